// The look's color set, the GDI objects made from it and the drawing
// primitives that the control procedures share.
#include <cstring>
#include "framework/look3d/look3d_core.h"

namespace look3d {

namespace {

constexpr int kPaletteSize = 16;

// An owned global memory block.
class GlobalBlock {
public:
    explicit GlobalBlock(SIZE_T size) : handle(GlobalAlloc(GMEM_ZEROINIT, size)) {}
    ~GlobalBlock() {
        if (pointer != nullptr) {
            GlobalUnlock(handle);
        }
        if (handle != nullptr) {
            GlobalFree(handle);
        }
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;

    void* Lock() {
        if (pointer == nullptr && handle != nullptr) {
            pointer = GlobalLock(handle);
        }
        return pointer;
    }

private:
    HGLOBAL handle;
    void* pointer = nullptr;
};

RGBQUAD PaletteEntry(COLORREF color) {
    return {GetBValue(color), GetGValue(color), GetRValue(color), 0};
}

HBITMAP MakeGlyphs(const COLORREF* colors) {
    const Core& core = TheCore();
    HRSRC found =
        FindResourceA(core.moduleHandle, MAKEINTRESOURCEA(kGlyphResource), MAKEINTRESOURCEA(2));
    if (found == nullptr) {
        return nullptr;
    }
    DWORD size = SizeofResource(core.moduleHandle, found);
    HGLOBAL loaded = LoadResource(core.moduleHandle, found);
    const void* source = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (source == nullptr || size < sizeof(BITMAPINFOHEADER)) {
        return nullptr;
    }
    GlobalBlock block(size);
    auto* copy = static_cast<BYTE*>(block.Lock());
    if (copy == nullptr) {
        return nullptr;
    }
    memcpy(copy, source, size);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(copy);
    // The palette is patched by index: only a 16-color bitmap whose bits
    // are all inside the resource will do.
    if (header->biSize < sizeof(BITMAPINFOHEADER) || header->biSize > size ||
        header->biBitCount != 4 || header->biPlanes != 1 || header->biCompression != BI_RGB ||
        header->biWidth <= 0 || header->biHeight == 0 ||
        (header->biClrUsed != 0 && header->biClrUsed != kPaletteSize)) {
        return nullptr;
    }
    DWORD height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    DWORD stride = ((static_cast<DWORD>(header->biWidth) * 4 + 31) / 32) * 4;
    DWORD bitsOffset = header->biSize + kPaletteSize * sizeof(RGBQUAD);
    if (bitsOffset > size || (size - bitsOffset) / stride < height) {
        return nullptr;
    }
    auto* palette = reinterpret_cast<RGBQUAD*>(copy + header->biSize);
    palette[0] = PaletteEntry(colors[kWindowText]);
    palette[7] = PaletteEntry(colors[kShadow]);
    palette[8] = PaletteEntry(colors[kFace]);
    palette[10] = PaletteEntry(colors[kWindowFrame]);
    palette[11] = PaletteEntry(colors[kWindow]);
    palette[15] = PaletteEntry(colors[kHighlight]);
    WindowDc screen;
    if (screen.dc == nullptr) {
        return nullptr;
    }
    return CreateDIBitmap(screen.dc, header, CBM_INIT, copy + bitsOffset,
                          reinterpret_cast<BITMAPINFO*>(copy), DIB_RGB_COLORS);
}

void DeleteIf(HGDIOBJ object) {
    if (object != nullptr) {
        DeleteObject(object);
    }
}

} // namespace

BOOL BuildColors(BOOL force) {
    Core& core = TheCore();
    if (!core.enabled) {
        return FALSE;
    }
    static constexpr int kSystem[kColorCount] = {
        COLOR_BTNHIGHLIGHT, COLOR_BTNFACE,    COLOR_BTNSHADOW, COLOR_BTNTEXT,
        COLOR_WINDOW,       COLOR_WINDOWTEXT, COLOR_GRAYTEXT,  COLOR_WINDOWFRAME};
    COLORREF colors[kColorCount];
    for (int i = 0; i < kColorCount; ++i) {
        colors[i] = GetSysColor(kSystem[i]);
    }
    if (core.version == 0x0300) {
        colors[kHighlight] = RGB(255, 255, 255);
    }
    // Grey text that cannot be told from the face would vanish.
    if (colors[kGrayText] == 0 || colors[kGrayText] == colors[kFace]) {
        colors[kGrayText] =
            colors[kFace] == RGB(128, 128, 128) ? RGB(192, 192, 192) : RGB(128, 128, 128);
    }
    if (!force && memcmp(colors, core.colors, sizeof colors) == 0) {
        return TRUE;
    }
    HBITMAP glyphs = MakeGlyphs(colors);
    HBRUSH highlight = CreateSolidBrush(colors[kHighlight]);
    HBRUSH face = CreateSolidBrush(colors[kFace]);
    HBRUSH shadow = CreateSolidBrush(colors[kShadow]);
    if (glyphs == nullptr || highlight == nullptr || face == nullptr || shadow == nullptr) {
        DeleteIf(glyphs);
        DeleteIf(highlight);
        DeleteIf(face);
        DeleteIf(shadow);
        return FALSE;
    }
    DeleteColorObjects();
    core.glyphs = glyphs;
    core.highlightBrush = highlight;
    core.faceBrush = face;
    core.shadowBrush = shadow;
    memcpy(core.colors, colors, sizeof colors);
    ++core.rebuildCount;
    return TRUE;
}

void DeleteColorObjects() {
    Core& core = TheCore();
    DeleteIf(core.highlightBrush);
    DeleteIf(core.faceBrush);
    DeleteIf(core.shadowBrush);
    DeleteIf(core.glyphs);
    core.highlightBrush = nullptr;
    core.faceBrush = nullptr;
    core.shadowBrush = nullptr;
    core.glyphs = nullptr;
}

void ReadImeSettingLocked() {
    Core& core = TheCore();
    if (core.dialog.doubleByte == 0) {
        return;
    }
    char buffer[9] = {};
    BYTE mark = 30;
    GetProfileStringA("windows", "kanjimenu", "roman", buffer, sizeof buffer);
    if (lstrcmpiA(buffer, "kanji") == 0) {
        mark = 31;
    }
    GetProfileStringA("windows", "hangeulmenu", "english", buffer, sizeof buffer);
    if (lstrcmpiA(buffer, "hangeul") == 0) {
        mark = 31;
    }
    core.dialog.imeMark = mark;
}

void DrawEdgeLines(HDC dc, const RECT& r, int a, int b, UINT sides) {
    const COLORREF* colors = TheCore().colors;
    COLORREF saved = SetBkColor(dc, colors[a]);
    auto line = [dc](LONG left, LONG top, LONG right, LONG bottom) {
        RECT part = {left, top, right, bottom};
        ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &part, nullptr, 0, nullptr);
    };
    if ((sides & kSideTop) != 0) {
        line(r.left, r.top, r.right, r.top + 1);
    }
    if ((sides & kSideLeft) != 0) {
        line(r.left, r.top, r.left + 1, r.bottom);
    }
    SetBkColor(dc, colors[b]);
    if ((sides & kSideRight) != 0) {
        line(r.right - 1, r.top, r.right, r.bottom);
    }
    if ((sides & kSideBottom) != 0) {
        line(r.left, r.bottom - 1, (sides & kSideShortBottom) != 0 ? r.right - 2 : r.right,
             r.bottom);
    }
    SetBkColor(dc, saved);
}

void DrawSunkenFrame(HDC dc, const RECT& r, UINT sides) {
    DrawEdgeLines(dc, r, kWindowFrame, kFace, sides & kSidesAll);
    RECT outer = {r.left - 1, r.top - 1, r.right + 1, r.bottom + 1};
    DrawEdgeLines(dc, outer, kShadow, kHighlight, sides);
}

void StripMnemonics(const char* text, char* out, int outSize) {
    const DialogRecord& dialog = TheCore().dialog;
    bool doubleByte = dialog.doubleByte != 0;
    BYTE mark = dialog.imeMark;
    int used = 0;
    auto copyOne = [&](const char* from) {
        const char* next = CharNextA(from);
        while (from < next && used + 1 < outSize) {
            out[used++] = *from++;
        }
        return next;
    };
    const char* p = text;
    while (*p != '\0' && used + 1 < outSize) {
        auto c = static_cast<BYTE>(*p);
        bool imeChar = doubleByte && (c == 30 || c == 31);
        if (c == '&' || (imeChar && c == mark)) {
            ++p;
            if (*p == '\0') {
                break;
            }
            p = copyOne(p);
        } else if (imeChar) {
            ++p;
            if (*p == '\0') {
                break;
            }
            p = CharNextA(p);
        } else {
            p = copyOne(p);
        }
    }
    out[used] = '\0';
}

SIZE MeasureLabel(HDC dc, const char* text) {
    char stripped[260];
    StripMnemonics(text, stripped, sizeof stripped);
    SIZE size = {0, 0};
    GetTextExtentPointA(dc, stripped, lstrlenA(stripped), &size);
    return size;
}

HBRUSH ControlColor(UINT message, HDC dc, HWND control) {
    Core& core = TheCore();
    if (!core.enabled || message < WM_CTLCOLORLISTBOX || message == WM_CTLCOLORSCROLLBAR) {
        return nullptr;
    }
    if (message == WM_CTLCOLORLISTBOX) {
        if (IsNewSystem() || GetWindow(control, GW_CHILD) == nullptr ||
            (GetWindowLongA(control, GWL_STYLE) & 3) == 3) {
            return nullptr;
        }
    }
    SetTextColor(dc, core.colors[kButtonText]);
    SetBkColor(dc, core.colors[kFace]);
    return core.faceBrush;
}

} // namespace look3d

using namespace look3d;

BOOL Look3dRefreshColors() {
    if (TheCore().lockReady != 2) {
        return FALSE;
    }
    CriticalSectionLock guard(&TheCore().lock);
    return BuildColors(FALSE);
}

void Look3dReadImeSetting() {
    if (TheCore().lockReady != 2) {
        return;
    }
    CriticalSectionLock guard(&TheCore().lock);
    ReadImeSettingLocked();
}
