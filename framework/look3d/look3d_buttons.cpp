// Push buttons, check boxes, radio buttons and group boxes: the look paints
// them itself, from one record per painting.
#include "framework/look3d/look3d_controls.h"

namespace look3d {

namespace {

constexpr UINT kPartText = 0x02;

constexpr UINT kPartGlyph = 0x04;

constexpr UINT kPartFocus = 0x08;

constexpr UINT kPartErase = 0x10;

constexpr UINT kPartCaption = 0x20;

// What a state change repaints: the face, and behind it where it may shrink.
constexpr UINT kPartsFace = kPartText | kPartGlyph;

constexpr UINT kPartsErasedFace = kPartsFace | kPartErase;

// A group box's new caption: the text and the frame line it breaks.
constexpr UINT kPartsGroupCaption = kPartText | kPartCaption;

constexpr int kLabelGap = 18;

class MemoryDc {
public:
    explicit MemoryDc(HDC like) : dc(CreateCompatibleDC(like)) {}
    ~MemoryDc() {
        if (dc != nullptr) {
            if (old != nullptr) {
                SelectObject(dc, old);
            }
            DeleteDC(dc);
        }
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    bool Select(HGDIOBJ object) {
        if (dc == nullptr || object == nullptr) {
            return false;
        }
        old = SelectObject(dc, object);
        return old != nullptr && old != HGDI_ERROR;
    }
    HDC dc;
    HGDIOBJ old = nullptr;
};

void FocusAround(HDC dc, RECT label, const RECT& client) {
    InflateRect(&label, 1, 1);
    RECT shown;
    if (IntersectRect(&shown, &label, &client)) {
        DrawFocusRect(dc, &shown);
    }
}

// What one painting of a button works from.
struct ButtonPainting {
    HWND window;
    HDC dc;
    UINT parts;
    DWORD kind;
    bool leftText;
    bool disabled;
    RECT client = {};
    UINT check = 0;
    bool pushed = false;
    char text[256] = {};
};

// The black frame (doubled round a default button), the rounded corners and
// the raised or pushed face; returns the inside of the face.
RECT DrawPushFace(const ButtonPainting& b) {
    const Core& core = TheCore();
    HDC dc = b.dc;
    const RECT& client = b.client;
    const bool pushed = b.pushed;
    RECT r = client;
    DrawEdgeLines(dc, r, kWindowFrame, kWindowFrame, kSidesAll);
    InflateRect(&r, -1, -1);
    if (b.kind == BS_DEFPUSHBUTTON && !b.disabled) {
        DrawEdgeLines(dc, r, kWindowFrame, kWindowFrame, kSidesAll);
        InflateRect(&r, -1, -1);
    }
    // Rounded corners: the parent's background shows through.
    PatBlt(dc, client.left, client.top, 1, 1, PATCOPY);
    PatBlt(dc, client.right - 1, client.top, 1, 1, PATCOPY);
    PatBlt(dc, client.left, client.bottom - 1, 1, 1, PATCOPY);
    PatBlt(dc, client.right - 1, client.bottom - 1, 1, 1, PATCOPY);
    int n = pushed ? 1 : 2;
    HBRUSH bands = pushed ? core.shadowBrush : core.highlightBrush;
    RECT left = {r.left, r.top, r.left + n, r.bottom};
    RECT top = {r.left, r.top, r.right, r.top + n};
    FillRect(dc, &left, bands);
    FillRect(dc, &top, bands);
    RECT inside = {r.left + n, r.top + n, r.right, r.bottom};
    if (!pushed) {
        RECT lines = r;
        for (int i = 0; i < 2; ++i) {
            RECT right = {lines.right - 1, lines.top, lines.right, lines.bottom};
            RECT bottom = {lines.left, lines.bottom - 1, lines.right, lines.bottom};
            FillRect(dc, &right, core.shadowBrush);
            FillRect(dc, &bottom, core.shadowBrush);
            InflateRect(&lines, -1, -1);
        }
        inside.right -= 2;
        inside.bottom -= 2;
    }
    FillRect(dc, &inside, core.faceBrush);
    return inside;
}

// Centered on the face; a pushed label moves down and right, short of the
// frame.
RECT PushLabel(const ButtonPainting& b, const RECT& inside) {
    SIZE size = MeasureLabel(b.dc, b.text);
    RECT label;
    label.left = inside.left + (inside.right - inside.left - size.cx) / 2;
    label.top = inside.top + (inside.bottom - inside.top - size.cy) / 2;
    label.right = label.left + size.cx;
    label.bottom = label.top + size.cy;
    if (b.pushed) {
        OffsetRect(&label, 1, 1);
        if (label.right > b.client.right - 3) {
            label.right = b.client.right - 3;
        }
        if (label.bottom > b.client.bottom - 3) {
            label.bottom = b.client.bottom - 3;
        }
    }
    return label;
}

void PaintPushButton(const ButtonPainting& b) {
    RECT inside = DrawPushFace(b);
    if (b.disabled) {
        SetTextColor(b.dc, TheCore().colors[kGrayText]);
    }
    RECT label = PushLabel(b, inside);
    {
        SavedDc clip(b.dc);
        IntersectClipRect(b.dc, inside.left, inside.top, inside.right, inside.bottom);
        DrawTextA(b.dc, b.text, -1, &label, DT_SINGLELINE);
    }
    if (GetFocus() == b.window) {
        FocusAround(b.dc, label, b.client);
    }
}

// The font, the colors and the parent's brush, as the system's own button
// painting sets them; null when the parent gives no brush.
HBRUSH PrepareButtonDc(HWND window, HDC dc) {
    SetBkMode(dc, OPAQUE);
    SelectWindowFont(window, dc);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    HBRUSH brush = ParentBrush(window, WM_CTLCOLORBTN, dc);
    if (brush != nullptr) {
        SelectObject(dc, brush);
    }
    return brush;
}

// Columns of the glyph grid: plain, checked, pushed (also disabled), pushed
// and checked, disabled and checked.
int GlyphColumn(const ButtonPainting& b) {
    // A disabled box shows its disabled cell whatever its pushed state, so
    // the column never leaves the grid.
    if (b.disabled) {
        return b.check != 0 ? 4 : 2;
    }
    return (b.pushed ? 2 : 0) + (b.check != 0 ? 1 : 0);
}

// Rows of the glyph grid: check box, radio button, indeterminate box.
int GlyphRow(const ButtonPainting& b) {
    if (b.kind == BS_RADIOBUTTON || b.kind == BS_AUTORADIOBUTTON) {
        return 1;
    }
    if ((b.kind == BS_3STATE || b.kind == BS_AUTO3STATE) && b.check == BST_INDETERMINATE) {
        return 2;
    }
    return 0;
}

void DrawBoxGlyph(const ButtonPainting& b) {
    MemoryDc memory(b.dc);
    if (!memory.Select(TheCore().glyphs)) {
        return;
    }
    int x = b.leftText ? b.client.right - kCellWidth : b.client.left;
    int y = b.client.top + (b.client.bottom - b.client.top - kCellHeight) / 2;
    BitBlt(b.dc, x, y, kCellWidth, kCellHeight, memory.dc, GlyphColumn(b) * kCellWidth,
           GlyphRow(b) * kCellHeight, SRCCOPY);
}

void DrawBoxLabel(const ButtonPainting& b) {
    RECT area = b.client;
    if (b.leftText) {
        area.right -= kLabelGap;
    } else {
        area.left += kLabelGap;
    }
    COLORREF old = GetTextColor(b.dc);
    if (b.disabled) {
        SetTextColor(b.dc, TheCore().colors[kGrayText]);
    }
    DrawTextA(b.dc, b.text, -1, &area, DT_SINGLELINE | DT_VCENTER);
    SetTextColor(b.dc, old);
}

void DrawBoxFocus(const ButtonPainting& b) {
    SIZE size = MeasureLabel(b.dc, b.text);
    RECT label;
    label.top = (b.client.bottom - b.client.top - size.cy) / 2;
    label.left = b.client.left + (b.leftText ? 0 : kLabelGap);
    label.right = label.left + size.cx;
    label.bottom = label.top + size.cy;
    FocusAround(b.dc, label, b.client);
}

// Check boxes and radio buttons: only the parts asked for are drawn.
void PaintBox(const ButtonPainting& b) {
    if ((b.parts & kPartGlyph) != 0) {
        DrawBoxGlyph(b);
    }
    if ((b.parts & kPartText) != 0) {
        DrawBoxLabel(b);
    }
    if ((b.parts & kPartFocus) != 0) {
        DrawBoxFocus(b);
    }
}

// An empty caption still lowers the frame by half a line.
SIZE GroupCaptionSize(HDC dc, const char* text) {
    SIZE size = MeasureLabel(dc, text);
    if (text[0] == '\0') {
        size.cx = 0;
        size.cy = MeasureLabel(dc, "X").cy;
    }
    return size;
}

// The caption's old text may have been wider: the parent repaints the strip.
void InvalidateGroupCaption(HWND window, const RECT& caption, const RECT& client) {
    RECT stale = {caption.left, caption.top, client.right, caption.bottom};
    HWND parent = GetParent(window);
    MapWindowPoints(window, parent, reinterpret_cast<POINT*>(&stale), 2);
    InvalidateRect(parent, &stale, TRUE);
}

void PaintGroupBox(const ButtonPainting& b) {
    if ((b.parts & (kPartText | kPartGlyph)) == 0) {
        return;
    }
    const RECT& client = b.client;
    SIZE size = GroupCaptionSize(b.dc, b.text);
    RECT caption = {client.left + 4, client.top, client.left + 4 + size.cx + 4,
                    client.top + size.cy};
    if ((b.parts & kPartCaption) != 0) {
        InvalidateGroupCaption(b.window, caption, client);
        return;
    }
    RECT frame = {client.left, client.top + size.cy / 2, client.right - 1, client.bottom - 1};
    DrawEdgeLines(b.dc, frame, kShadow, kShadow, kSidesAll);
    OffsetRect(&frame, 1, 1);
    DrawEdgeLines(b.dc, frame, kHighlight, kHighlight, kSidesAll);
    if (b.disabled) {
        SetTextColor(b.dc, TheCore().colors[kGrayText]);
    }
    DrawTextA(b.dc, b.text, -1, &caption, DT_SINGLELINE);
}

void PaintButton(HWND window, HDC dc, UINT parts) {
    DWORD style = StyleOf(window);
    ButtonPainting b = {window,
                        dc,
                        parts,
                        StyleKind(style),
                        (style & BS_LEFTTEXT) != 0,
                        (style & WS_DISABLED) != 0};
    SavedDc saved(dc);
    HBRUSH brush = PrepareButtonDc(window, dc);
    GetClientRect(window, &b.client);
    IntersectClipRect(dc, b.client.left, b.client.top, b.client.right, b.client.bottom);
    if ((parts & kPartErase) != 0 && b.kind != BS_GROUPBOX && brush != nullptr) {
        FillRect(dc, &b.client, brush);
    }
    auto state = static_cast<UINT>(SendMessageA(window, BM_GETSTATE, 0, 0));
    b.check = state & 3;
    b.pushed = (state & BST_PUSHED) != 0;
    if ((parts & (kPartText | kPartFocus)) != 0 || b.kind <= BS_DEFPUSHBUTTON) {
        GetWindowTextA(window, b.text, sizeof b.text);
    }
    switch (b.kind) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        PaintPushButton(b);
        break;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
        PaintBox(b);
        break;
    case BS_GROUPBOX:
        PaintGroupBox(b);
        break;
    default:
        break;
    }
}

LRESULT ButtonStateMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT parts) {
    DWORD style = StyleOf(window);
    if ((style & WS_VISIBLE) == 0) {
        return CallPrevious(window, kKindButton, message, wParam, lParam);
    }
    if (message == WM_KILLFOCUS && StyleKind(style) == BS_AUTORADIOBUTTON) {
        SendMessageA(window, BM_SETSTATE, FALSE, 0);
    }
    auto before = static_cast<UINT>(SendMessageA(window, BM_GETSTATE, 0, 0));
    LRESULT result;
    if (message == WM_SETFOCUS) {
        result = CallPrevious(window, kKindButton, message, wParam, lParam);
    } else {
        // The system's procedure draws nothing while the window looks hidden.
        SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(StyleOf(window) & ~WS_VISIBLE));
        result = CallPrevious(window, kKindButton, message, wParam, lParam);
        SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(StyleOf(window) | WS_VISIBLE));
    }
    auto after = static_cast<UINT>(SendMessageA(window, BM_GETSTATE, 0, 0));
    if ((message == BM_SETCHECK || message == BM_SETSTATE) && after == before) {
        return result;
    }
    UINT changed = before ^ after;
    UINT paint = ((changed & BST_FOCUS) != 0 ? kPartFocus : 0) |
                 ((changed & (BST_CHECKED | BST_INDETERMINATE)) != 0 ? parts | kPartGlyph : parts);
    WindowDc dc(window);
    if (dc.dc != nullptr) {
        ExcludeUpdateRgn(dc.dc, window);
        PaintButton(window, dc.dc, paint);
    }
    return result;
}

} // namespace

LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result;
    if (CommonOpening(window, kKindButton, message, wParam, lParam, &result)) {
        return result;
    }
    switch (message) {
    case WM_SETFOCUS:
        return ButtonStateMessage(window, message, wParam, lParam, kPartsErasedFace);
    case WM_KILLFOCUS:
        return ButtonStateMessage(window, message, wParam, lParam, 0);
    case WM_ENABLE:
        return ButtonStateMessage(window, message, wParam, lParam, kPartsFace);
    case WM_SETTEXT: {
        DWORD style = StyleOf(window);
        bool group = StyleKind(style) == BS_GROUPBOX && (style & WS_VISIBLE) != 0;
        return ButtonStateMessage(window, message, wParam, lParam,
                                  group ? kPartsGroupCaption : kPartsErasedFace);
    }
    case BM_SETCHECK:
    case BM_SETSTATE:
        return ButtonStateMessage(window, message, wParam, lParam, kPartGlyph);
    case WM_PAINT: {
        PaintDc dc(window, wParam);
        if (dc.dc != nullptr && (StyleOf(window) & WS_VISIBLE) != 0) {
            auto state = static_cast<UINT>(SendMessageA(window, BM_GETSTATE, 0, 0));
            PaintButton(window, dc.dc, kPartsFace | ((state & BST_FOCUS) != 0 ? kPartFocus : 0));
        }
        return 0;
    }
    default:
        return CallPrevious(window, kKindButton, message, wParam, lParam);
    }
}

} // namespace look3d
