#include "framework/windows/dialogs/dialog_template.h"

#include "framework/runtime/scopes.h"
#include "framework/windows/dialogs/template_layout.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

using namespace templatelayout;

TemplatePlacement ReadTemplatePlacement(const DLGTEMPLATE* source) {
    const BYTE* t = reinterpret_cast<const BYTE*>(source);
    const Layout layout = ReadLayout(t);
    const size_t x =
        layout.extended ? offsetof(ExtendedTemplateHeader, x) : offsetof(DLGTEMPLATE, x);
    const size_t y =
        layout.extended ? offsetof(ExtendedTemplateHeader, y) : offsetof(DLGTEMPLATE, y);
    return {layout.style, static_cast<SHORT>(ReadWord(t + x)), static_cast<SHORT>(ReadWord(t + y))};
}

CTemplateCopy::CTemplateCopy(const DLGTEMPLATE* source) {
    if (source != nullptr) {
        CopyTemplate(source, MeasureTemplate(source));
    }
}

CTemplateCopy::~CTemplateCopy() {
    if (block != nullptr) {
        GlobalFree(block);
    }
}

BOOL CTemplateCopy::CopyTemplate(const DLGTEMPLATE* source, DWORD bytes) {
    if (block != nullptr) {
        GlobalFree(block);
    }
    block = GlobalAlloc(GMEM_ZEROINIT, bytes + kSpareBytes);
    if (block == nullptr) {
        size = 0;
        usesSystemFont = FALSE;
        return FALSE;
    }
    size = bytes;
    LockedBlock copy(block);
    std::memcpy(copy.bytes, source, bytes);
    usesSystemFont = (ReadLayout(copy.bytes).style & DS_SETFONT) == 0;
    return TRUE;
}

HGLOBAL CTemplateCopy::ReleaseHandle() {
    HGLOBAL handle = block;
    block = nullptr;
    size = 0;
    return handle;
}

namespace {

// Where a copy's font block lies and how a new face changes it.
struct FontChange {
    Layout layout;
    BOOL hadFont;
    DWORD position;
    DWORD oldBytes; // 0 when the template named no font
    DWORD newBytes;
    DWORD oldItems; // where the items start, before and after
    DWORD newItems;
    DWORD newSize;
};

FontChange PlanFontChange(HGLOBAL block, DWORD size, int faceUnits) {
    FontChange c;
    c.oldBytes = 0;
    {
        LockedBlock copy(block);
        c.layout = ReadLayout(copy.bytes);
        c.position = static_cast<DWORD>(
            CTemplateCopy::LocateFontBlock(reinterpret_cast<const DLGTEMPLATE*>(copy.bytes)) -
            copy.bytes);
        c.hadFont = (c.layout.style & DS_SETFONT) != 0;
        if (c.hadFont) {
            const BYTE* oldFace = copy.bytes + c.position + c.layout.fontAttributeBytes;
            c.oldBytes = c.layout.fontAttributeBytes + 2 * (FaceLength(oldFace) + 1);
        }
    }
    c.newBytes = c.layout.fontAttributeBytes + 2 * static_cast<DWORD>(faceUnits);
    c.oldItems = AlignUp4(c.position + c.oldBytes);
    c.newItems = AlignUp4(c.position + c.newBytes);
    // Without items the template ends with its face, as a measured one does.
    c.newSize = c.layout.itemCount != 0 ? size + c.newItems - c.oldItems : c.position + c.newBytes;
    return c;
}

// A long face on a template that had none can move the items past the spare
// room: carries the template over into a block that has the room.
bool MakeRoom(HGLOBAL& block, DWORD size, DWORD needed) {
    if (needed <= GlobalSize(block)) {
        return true;
    }
    HGLOBAL bigger = GlobalAlloc(GMEM_ZEROINIT, needed + kSpareBytes);
    if (bigger == nullptr) {
        return false;
    }
    {
        LockedBlock from(block);
        LockedBlock to(bigger);
        std::memcpy(to.bytes, from.bytes, size);
    }
    GlobalFree(block);
    block = bigger;
    return true;
}

// `size` is the template's length before the change.
void WriteFontBlock(BYTE* t, DWORD size, const FontChange& c, WORD pointSize, const WCHAR* face,
                    int faceUnits) {
    DWORD style = c.layout.style | DS_SETFONT;
    std::memcpy(t + c.layout.styleOffset, &style, sizeof style);
    if (c.newBytes != c.oldBytes && c.layout.itemCount != 0) {
        std::memmove(t + c.newItems, t + c.oldItems, size - c.oldItems);
        std::memset(t + c.position + c.newBytes, 0, c.newItems - (c.position + c.newBytes));
    }
    WriteWord(t + c.position, pointSize);
    if (c.layout.extended && !c.hadFont) {
        // What lay here was item data: a plain font in the face's own
        // character set.
        WriteWord(t + c.position + 2, FW_NORMAL);
        t[c.position + 4] = FALSE;
        t[c.position + 5] = DEFAULT_CHARSET;
    }
    std::memcpy(t + c.position + c.layout.fontAttributeBytes, face,
                2 * static_cast<size_t>(faceUnits));
}

} // namespace

BOOL CTemplateCopy::ReplaceFont(const char* face, WORD pointSize) {
    if (block == nullptr) {
        return FALSE;
    }
    WCHAR wideFace[kFaceChars];
    int count = MultiByteToWideChar(CP_ACP, 0, face, -1, wideFace, kFaceChars);
    if (count == 0) {
        // No face name is that long; the template keeps its own font.
        return FALSE;
    }
    const FontChange change = PlanFontChange(block, size, count);
    if (!MakeRoom(block, size, change.newSize)) {
        return FALSE;
    }
    LockedBlock copy(block);
    WriteFontBlock(copy.bytes, size, change, pointSize, wideFace, count);
    size = change.newSize;
    usesSystemFont = FALSE;
    return TRUE;
}

BOOL CTemplateCopy::UseSystemFont(WORD pointSize) {
    const char* face = "System";
    WORD fontPoints = 10;
    LOGFONTA logFont;
    HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    if (font == nullptr) {
        font = GetStockObject(SYSTEM_FONT);
    }
    if (font != nullptr && GetObjectA(font, sizeof logFont, &logFont) != 0) {
        face = logFont.lfFaceName;
        WindowDc screen;
        int pixelsPerInch = screen.dc != nullptr ? GetDeviceCaps(screen.dc, LOGPIXELSY) : 0;
        if (pixelsPerInch > 0) {
            fontPoints = static_cast<WORD>(MulDiv(std::abs(logFont.lfHeight), 72, pixelsPerInch));
        }
    }
    if (pointSize == 0) {
        pointSize = fontPoints;
    }
    return ReplaceFont(face, pointSize);
}

BOOL CTemplateCopy::ReadTemplateFont(const DLGTEMPLATE* source, CSharedString& face,
                                     WORD& pointSize) {
    const Layout layout = ReadLayout(Bytes(source));
    if ((layout.style & DS_SETFONT) == 0) {
        return FALSE;
    }
    const BYTE* position = LocateFontBlock(source);
    pointSize = ReadWord(position);
    const auto* wideFace = reinterpret_cast<LPCWCH>(position + layout.fontAttributeBytes);
    char* buffer = face.OpenBufferWithLength(kFaceChars);
    if (WideCharToMultiByte(CP_ACP, 0, wideFace, -1, buffer, kFaceChars, nullptr, nullptr) == 0) {
        // A face too long for the buffer is no face the rule knows.
        buffer[0] = '\0';
    }
    face.CloseBuffer(-1);
    return TRUE;
}

DWORD CTemplateCopy::MeasureTemplate(const DLGTEMPLATE* source) {
    const BYTE* start = Bytes(source);
    const Layout layout = ReadLayout(start);
    const BYTE* p = LocateFontBlock(source);
    if ((layout.style & DS_SETFONT) != 0) {
        p = SkipString(p + layout.fontAttributeBytes);
    }
    for (WORD i = 0; i < layout.itemCount; ++i) {
        p = start + AlignUp4(static_cast<DWORD>(p - start));
        p += layout.itemHeaderBytes;
        p = SkipNameOrOrdinal(p);
        p = SkipNameOrOrdinal(p);
        p += 2 + ReadWord(p);
    }
    return static_cast<DWORD>(p - start);
}

const BYTE* CTemplateCopy::LocateFontBlock(const DLGTEMPLATE* source) {
    const BYTE* p = Bytes(source) + ReadLayout(Bytes(source)).headerBytes;
    p = SkipNameOrOrdinal(p); // menu
    p = SkipNameOrOrdinal(p); // window class
    return SkipString(p);     // title
}

BOOL NeedsSystemFont(const DLGTEMPLATE* source, BOOL doubleByteSystem, WORD* pointSize) {
    CSharedString face;
    WORD points = 0;
    if (!CTemplateCopy::ReadTemplateFont(source, face, points)) {
        *pointSize = 0;
        return TRUE;
    }
    // These faces have no double-byte glyphs. Matched byte for byte, so a
    // template that spells them otherwise keeps its font.
    if (doubleByteSystem &&
        (std::strcmp(face, "MS Sans Serif") == 0 || std::strcmp(face, "Helv") == 0)) {
        *pointSize = points == 8 ? 0 : points;
        return TRUE;
    }
    return FALSE;
}

BOOL NeedsSystemFont(const DLGTEMPLATE* source, WORD* pointSize) {
    return NeedsSystemFont(source, GetSystemMetrics(SM_DBCSENABLED) != 0, pointSize);
}
