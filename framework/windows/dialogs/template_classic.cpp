// Rewriting an extended template in the classic layout, the only one Win32s
// creates dialogs from.
#include "framework/windows/dialogs/dialog_template.h"

#include "framework/windows/dialogs/template_layout.h"

using namespace templatelayout;

namespace {

BYTE* CopyRange(BYTE* to, const BYTE* from, const BYTE* end) {
    std::memcpy(to, from, static_cast<size_t>(end - from));
    return to + (end - from);
}

// Writes the extended template `in` in the classic layout at `out`; returns
// the bytes written.
DWORD WriteClassic(const BYTE* in, BYTE* out) {
    const Layout layout = ReadLayout(in);
    ExtendedTemplateHeader header;
    std::memcpy(&header, in, sizeof header);
    const DLGTEMPLATE classic = {
        header.style, header.extendedStyle, header.itemCount, header.x, header.y, header.cx,
        header.cy};
    std::memcpy(out, &classic, sizeof classic);
    const BYTE* p = in + sizeof header;
    BYTE* q = out + sizeof classic;
    const BYTE* names = p; // menu, class and title
    p = SkipString(SkipNameOrOrdinal(SkipNameOrOrdinal(p)));
    q = CopyRange(q, names, p);
    if ((layout.style & DS_SETFONT) != 0) {
        q = CopyRange(q, p, p + kClassicFontAttributes); // the point size
        p += kExtendedFontAttributes;
        const BYTE* face = p;
        p = SkipString(p);
        q = CopyRange(q, face, p);
    }
    for (WORD i = 0; i < layout.itemCount; ++i) {
        p = in + AlignUp4(static_cast<DWORD>(p - in));
        q = out + AlignUp4(static_cast<DWORD>(q - out));
        ExtendedItemHeader item;
        std::memcpy(&item, p, sizeof item);
        const DLGITEMTEMPLATE classicItem = {
            item.style, item.extendedStyle,        item.x, item.y, item.cx,
            item.cy,    static_cast<WORD>(item.id)};
        std::memcpy(q, &classicItem, sizeof classicItem);
        q += sizeof classicItem;
        p += sizeof item;
        const BYTE* rest = p; // class, title, creation data
        p = SkipNameOrOrdinal(SkipNameOrOrdinal(p));
        p += 2 + ReadWord(p);
        q = CopyRange(q, rest, p);
    }
    return static_cast<DWORD>(q - out);
}

} // namespace

// Win32s creates dialogs from the classic layout only. Help ids and the
// font's weight, italic and character set have no place there.
BOOL CTemplateCopy::MakeClassic() {
    if (block == nullptr) {
        return FALSE;
    }
    WORD items;
    {
        LockedBlock copy(block);
        const Layout layout = ReadLayout(copy.bytes);
        if (!layout.extended) {
            return TRUE;
        }
        items = layout.itemCount;
    }
    // Smaller headers; each item can gain at most its alignment.
    HGLOBAL classic = GlobalAlloc(GMEM_ZEROINIT, size + 4 * (items + 1u) + kSpareBytes);
    if (classic == nullptr) {
        return FALSE;
    }
    {
        LockedBlock from(block);
        LockedBlock to(classic);
        size = WriteClassic(from.bytes, to.bytes);
    }
    GlobalFree(block);
    block = classic;
    return TRUE;
}
