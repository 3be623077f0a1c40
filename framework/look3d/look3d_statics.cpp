// Statics: text, rectangles and frames painted in the look's colors.
#include "framework/look3d/look3d_controls.h"

namespace look3d {

namespace {

class LocalText {
public:
    explicit LocalText(int size) : text(static_cast<char*>(LocalAlloc(LPTR, size))) {}
    ~LocalText() {
        if (text != nullptr) {
            LocalFree(text);
        }
    }
    LocalText(const LocalText&) = delete;
    LocalText& operator=(const LocalText&) = delete;
    char* text;
};

UINT StaticTextFormat(DWORD style) {
    DWORD kind = StyleKind(style);
    UINT format = kind == SS_LEFTNOWORDWRAP
                      ? DT_EXPANDTABS | DT_NOCLIP
                      : (kind & 0xF) | DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP;
    if ((style & SS_NOPREFIX) != 0) {
        format |= DT_NOPREFIX;
    }
    return format;
}

void PaintStaticText(HWND window, HDC dc, RECT client, DWORD style) {
    SelectWindowFont(window, dc);
    SetBkMode(dc, OPAQUE);
    if (HBRUSH brush = ParentBrush(window, WM_CTLCOLORSTATIC, dc)) {
        FillRect(dc, &client, brush);
    }
    int length = GetWindowTextLengthA(window);
    LocalText text(length + 2);
    if (text.text == nullptr) {
        return;
    }
    GetWindowTextA(window, text.text, length + 2);
    if (text.text[0] == '\0') {
        return;
    }
    UINT format = StaticTextFormat(style);
    if ((style & WS_DISABLED) != 0) {
        SetTextColor(dc, TheCore().colors[kGrayText]);
    }
    DrawTextA(dc, text.text, -1, &client, format);
}

// Grey frames and etched lines: a highlight one pixel below and right of a
// shadow.
void DrawEtchedFrame(HDC dc, const RECT& client) {
    RECT r = client;
    ++r.left;
    ++r.top;
    DrawEdgeLines(dc, r, kHighlight, kHighlight, kSidesAll);
    OffsetRect(&r, -1, -1);
    DrawEdgeLines(dc, r, kShadow, kShadow, kSidesAll);
}

void PaintStatic(HWND window, HDC dc) {
    DWORD style = StyleOf(window);
    if ((style & WS_VISIBLE) == 0) {
        return;
    }
    RECT client;
    GetClientRect(window, &client);
    SavedDc saved(dc);
    IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
    switch (StyleKind(style)) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
    case SS_LEFTNOWORDWRAP:
        PaintStaticText(window, dc, client, style);
        break;
    case SS_BLACKRECT:
    case SS_BLACKFRAME:
        DrawEdgeLines(dc, client, kShadow, kHighlight, kSidesAll);
        break;
    case SS_WHITERECT:
    case SS_WHITEFRAME:
        DrawEdgeLines(dc, client, kHighlight, kShadow, kSidesAll);
        break;
    case SS_GRAYRECT:
    case SS_GRAYFRAME:
    case SS_ETCHEDHORZ:
    case SS_ETCHEDVERT:
    case SS_ETCHEDFRAME:
        DrawEtchedFrame(dc, client);
        break;
    default:
        break;
    }
}

} // namespace

LRESULT CALLBACK StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result;
    if (CommonOpening(window, kKindStatic, message, wParam, lParam, &result)) {
        return result;
    }
    switch (message) {
    case WM_ENABLE: {
        WindowDc dc(window);
        if (dc.dc != nullptr) {
            PaintStatic(window, dc.dc);
        }
        return 0;
    }
    case WM_PAINT: {
        PaintDc dc(window, wParam);
        if (dc.dc != nullptr) {
            PaintStatic(window, dc.dc);
        }
        return 0;
    }
    default:
        return CallPrevious(window, kKindStatic, message, wParam, lParam);
    }
}

} // namespace look3d
