// The procedures of the adopted kinds: the system's own procedures still run
// underneath; these draw over, around or instead of their output.
#include "framework/look3d/look3d_core.h"

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
// The identifiers of a combo box's own list and edit.
constexpr int kComboListId = 1000;
constexpr int kComboEditId = 1001;
// A control-color message's private form is its number plus this
// (0x0DF1 to 0x0DF7).
constexpr UINT kPrivateColorOffset = 0x0CBF;
constexpr int kLabelGap = 18;

DWORD StyleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
}

class WindowDc {
public:
    explicit WindowDc(HWND window, bool whole = false)
        : window(window), dc(whole ? GetWindowDC(window) : GetDC(window)) {}
    ~WindowDc() {
        if (dc != nullptr) {
            ReleaseDC(window, dc);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HWND window;
    HDC dc;
};

// The DC of WM_PAINT: the one in wParam, or a BeginPaint one.
class PaintDc {
public:
    PaintDc(HWND window, WPARAM wParam) : window(window), dc(reinterpret_cast<HDC>(wParam)) {
        if (dc == nullptr) {
            dc = BeginPaint(window, &paint);
            began = true;
        }
    }
    ~PaintDc() {
        if (began) {
            EndPaint(window, &paint);
        }
    }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HWND window;
    HDC dc;
    PAINTSTRUCT paint = {};
    bool began = false;
};

// Everything a painting step selects or sets is put back with the DC state.
class SavedDc {
public:
    explicit SavedDc(HDC dc) : dc(dc), saved(dc != nullptr ? SaveDC(dc) : 0) {}
    ~SavedDc() {
        if (saved != 0) {
            RestoreDC(dc, saved);
        }
    }
    SavedDc(const SavedDc&) = delete;
    SavedDc& operator=(const SavedDc&) = delete;
    HDC dc;
    int saved;
};

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

void SelectWindowFont(HWND window, HDC dc) {
    if (auto font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0))) {
        SelectObject(dc, font);
    }
}

HBRUSH ParentBrush(HWND window, UINT message, HDC dc) {
    HWND parent = GetParent(window);
    if (parent == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<HBRUSH>(SendMessageA(parent, message, reinterpret_cast<WPARAM>(dc),
                                                 reinterpret_cast<LPARAM>(window)));
}

void FocusAround(HDC dc, RECT label, const RECT& client) {
    InflateRect(&label, 1, 1);
    RECT shown;
    if (IntersectRect(&shown, &label, &client)) {
        DrawFocusRect(dc, &shown);
    }
}

// The black frame (doubled round a default button), the rounded corners and
// the raised or pushed face; returns the inside of the face.
RECT DrawPushFace(HDC dc, const RECT& client, DWORD kind, bool pushed, bool disabled) {
    const Core& core = TheCore();
    RECT r = client;
    DrawEdgeLines(dc, r, kWindowFrame, kWindowFrame, kSidesAll);
    InflateRect(&r, -1, -1);
    if (kind == BS_DEFPUSHBUTTON && !disabled) {
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
RECT PushLabel(HDC dc, const RECT& inside, const RECT& client, const char* text, bool pushed) {
    SIZE size = MeasureLabel(dc, text);
    RECT label;
    label.left = inside.left + (inside.right - inside.left - size.cx) / 2;
    label.top = inside.top + (inside.bottom - inside.top - size.cy) / 2;
    label.right = label.left + size.cx;
    label.bottom = label.top + size.cy;
    if (pushed) {
        OffsetRect(&label, 1, 1);
        if (label.right > client.right - 3) {
            label.right = client.right - 3;
        }
        if (label.bottom > client.bottom - 3) {
            label.bottom = client.bottom - 3;
        }
    }
    return label;
}

void PaintPushButton(HWND window, HDC dc, const RECT& client, const char* text, DWORD kind,
                     bool pushed, bool disabled) {
    RECT inside = DrawPushFace(dc, client, kind, pushed, disabled);
    if (disabled) {
        SetTextColor(dc, TheCore().colors[kGrayText]);
    }
    RECT label = PushLabel(dc, inside, client, text, pushed);
    {
        SavedDc clip(dc);
        IntersectClipRect(dc, inside.left, inside.top, inside.right, inside.bottom);
        DrawTextA(dc, text, -1, &label, DT_SINGLELINE);
    }
    if (GetFocus() == window) {
        FocusAround(dc, label, client);
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
        PaintPushButton(window, dc, b.client, b.text, b.kind, b.pushed, b.disabled);
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

// Frame area of a field: the window grown by one, in the parent's client
// coordinates.
RECT FrameArea(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    InflateRect(&r, 1, 1);
    if ((StyleOf(window) & WS_VSCROLL) != 0) {
        ++r.right;
    }
    return r;
}

void InvalidateFrame(HWND window, const WINDOWPOS* position) {
    if ((StyleOf(window) & WS_VISIBLE) == 0) {
        return;
    }
    RECT area = FrameArea(window);
    if (position != nullptr) {
        UINT f = position->flags;
        bool showHide = (f & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) != 0;
        if (!showHide && (f & SWP_NOMOVE) != 0 && (f & SWP_NOSIZE) != 0) {
            return;
        }
        if (!showHide && (f & SWP_NOMOVE) != 0 && (f & SWP_NOSIZE) == 0) {
            RECT now;
            GetWindowRect(window, &now);
            if (position->cx == now.right - now.left && position->cy <= now.bottom - now.top) {
                area.top = area.top + position->cy + 1;
            }
        }
    }
    InvalidateRect(GetParent(window), &area, FALSE);
}

// Nothing is framed while the field is hidden or its list is dropped.
bool FieldFrameShown(HWND window, DWORD style, int kind) {
    if ((style & WS_VISIBLE) == 0) {
        return false;
    }
    return !(kind == kKindComboBox && (style & 3) == CBS_DROPDOWNLIST &&
             SendMessageA(window, CB_GETDROPPEDSTATE, 0, 0) != 0);
}

// Scroll bars draw their own edge on their side.
UINT FieldSides(DWORD style) {
    UINT sides = kSidesAll;
    if ((style & WS_HSCROLL) != 0) {
        sides &= ~kSideBottom;
    }
    if ((style & WS_VSCROLL) != 0) {
        sides &= ~kSideRight;
    }
    return sides;
}

// The edit or list inside a combo box, known by its identifier and by the
// parent's class or its answer to the look's question.
bool IsComboChild(HWND window, HWND parent, bool caret) {
    int id = GetDlgCtrlID(window);
    if (parent == nullptr || id != (caret ? kComboEditId : kComboListId)) {
        return false;
    }
    if (IsClass(parent, "ComboBox")) {
        return true;
    }
    int answer = 0;
    LRESULT code = SendMessageA(parent, WM_LOOK3D_IDENTIFY, 0, reinterpret_cast<LPARAM>(&answer));
    if (answer == 0) {
        code = SendMessageA(parent, WM_LOOK3D_IDENTIFY_OLD, 0, reinterpret_cast<LPARAM>(&answer));
    }
    return answer != 0 && code == kIdentifyCombo;
}

// A combo box's child is framed in the combo's parent: moves the frame there
// and trims it to what the combo leaves showing. False when the dropped list
// hides where the frame would go.
bool FitFrameToCombo(HWND combo, HDC dc, bool caret, RECT& r, UINT& sides) {
    MapWindowPoints(combo, GetParent(combo), reinterpret_cast<POINT*>(&r), 2);
    DWORD comboStyle = StyleOf(combo) & 3;
    if (!caret) {
        ++r.top;
        sides &= ~kSideTop;
        return true;
    }
    if (comboStyle != CBS_DROPDOWN && comboStyle != CBS_DROPDOWNLIST) {
        // A simple combo's edit: its frame ends where the list's begins.
        RECT whole = r;
        if (HWND first = GetWindow(combo, GW_CHILD)) {
            RECT firstRect;
            GetWindowRect(first, &firstRect);
            r.right = r.left + (firstRect.right - firstRect.left);
        }
        DrawSunkenFrame(dc, r, kSideBottom | kSideShortBottom);
        r = whole;
        sides &= ~kSideBottom;
        return true;
    }
    return !(comboStyle == CBS_DROPDOWN && SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) != 0);
}

// Where a scroll bar meets the frame.
void DrawScrollBarEdges(HDC dc, const RECT& r, DWORD style, int scrollWidth) {
    if ((style & WS_VSCROLL) != 0) {
        RECT edge = {r.left, r.top, r.right + 1, r.bottom};
        DrawEdgeLines(dc, edge, kHighlight, kHighlight, kSideRight);
        RECT under = {r.right - scrollWidth, r.top, r.right, r.bottom};
        DrawEdgeLines(dc, under, kWindowFrame, kWindowFrame, kSideBottom);
    }
    if ((style & WS_HSCROLL) != 0) {
        RECT edge = {r.left, r.top, r.right, r.bottom + 1};
        DrawEdgeLines(dc, edge, kHighlight, kHighlight, kSideBottom);
        RECT beside = {r.left, r.bottom - GetSystemMetrics(SM_CXHSCROLL), r.right, r.bottom};
        DrawEdgeLines(dc, beside, kWindowFrame, kWindowFrame, kSideRight);
    }
}

void DrawFieldFrame(HWND window, HWND parent, HDC dc, const RECT& r, UINT sides, DWORD style,
                    int kind) {
    DrawSunkenFrame(dc, r, sides);
    int scrollWidth = GetSystemMetrics(SM_CXVSCROLL);
    if (kind == kKindComboBox && (style & 3) == CBS_DROPDOWNLIST) {
        RECT button = {r.right - scrollWidth, r.top, r.right, r.bottom};
        DrawEdgeLines(dc, button, kWindowFrame, kWindowFrame, kSideRight | kSideBottom);
        // The frame is up to date: the parent need not paint over it.
        RECT area = FrameArea(window);
        ValidateRect(parent, &area);
    } else {
        DrawScrollBarEdges(dc, r, style, scrollWidth);
    }
}

void PaintFieldFrame(HWND window, bool caret, int kind) {
    DWORD style = StyleOf(window);
    if (!FieldFrameShown(window, style, kind)) {
        return;
    }
    if (caret) {
        HideCaret(window);
    }
    HWND parent = GetParent(window);
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    UINT sides = FieldSides(style);
    bool comboChild = IsComboChild(window, parent, caret);
    WindowDc parentDc(comboChild ? GetParent(parent) : parent);
    HDC dc = parentDc.dc;
    bool draw = true;
    if (comboChild && dc != nullptr) {
        draw = FitFrameToCombo(parent, dc, caret, r, sides);
    }
    if (draw && dc != nullptr) {
        DrawFieldFrame(window, parent, dc, r, sides, style, kind);
    }
    if (caret) {
        ShowCaret(window);
    }
}

int ListKind(HWND window) {
    return IsClass(window, "ComboLBox") ? kKindComboList : kKindListBox;
}

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

void PaintDialogFrame(HWND window) {
    const Core& core = TheCore();
    if (!core.enabled || IsIconic(window)) {
        return;
    }
    BOOL allowed = TRUE;
    SendMessageA(window, WM_LOOK3D_MAYFRAME, 0, reinterpret_cast<LPARAM>(&allowed));
    constexpr DWORD kNeeded = WS_VISIBLE | WS_DLGFRAME | DS_MODALFRAME;
    DWORD style = StyleOf(window);
    if (!allowed || (style & kNeeded) != kNeeded) {
        return;
    }
    bool caption = (style & WS_CAPTION) == WS_CAPTION;
    int cx = core.dialog.frameX;
    int cy = core.dialog.frameY;
    int d = cy - (caption ? 1 : 0);
    WindowDc dc(window, true);
    if (dc.dc == nullptr) {
        return;
    }
    RECT r;
    GetWindowRect(window, &r);
    OffsetRect(&r, -r.left, -r.top);
    DrawEdgeLines(dc.dc, r, kShadow, kWindowFrame, kSidesAll);
    InflateRect(&r, -1, -1);
    DrawEdgeLines(dc.dc, r, kHighlight, kShadow, kSidesAll);
    InflateRect(&r, -1, -1);
    HGDIOBJ old = SelectObject(dc.dc, core.faceBrush);
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    PatBlt(dc.dc, r.left, r.top, cx, height, PATCOPY);
    PatBlt(dc.dc, r.right - cx, r.top, cx, height, PATCOPY);
    PatBlt(dc.dc, r.left + cx, r.top, width - 2 * cx, d, PATCOPY);
    PatBlt(dc.dc, r.left + cx, r.bottom - cy, width - 2 * cx, cy, PATCOPY);
    if (caption) {
        RECT bar = {r.left + cx, r.top + d, r.right - cx, r.top + d + core.dialog.captionHeight};
        DrawEdgeLines(dc.dc, bar, kShadow, kHighlight, kSidesAll);
    }
    if (old != nullptr) {
        SelectObject(dc.dc, old);
    }
}

bool IsColorAnswer(LRESULT value) {
    return value != 0 && value != 1;
}

LRESULT DialogColor(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const UINT privateForm = message + kPrivateColorOffset;
    auto previous = [&](UINT m) { return CallPrevious(window, kKindDialog, m, wParam, lParam); };
    if (!IsClass(window, "#32770")) {
        LRESULT answer = previous(privateForm);
        if (IsColorAnswer(answer)) {
            return answer;
        }
    } else if (LONG procedure = GetWindowLongA(window, DWL_DLGPROC)) {
        LRESULT answer;
        if (static_cast<DWORD>(procedure) > 0xFFFF0000u && TheCore().version <= kVersion310) {
            answer = previous(privateForm);
        } else {
            answer = CallWindowProcA(reinterpret_cast<WNDPROC>(procedure), window, message, wParam,
                                     lParam);
            if (!IsColorAnswer(answer)) {
                answer = previous(privateForm);
            }
        }
        if (IsColorAnswer(answer)) {
            return answer;
        }
    }
    if (HBRUSH brush =
            ControlColor(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
        return reinterpret_cast<LRESULT>(brush);
    }
    return previous(message);
}

// Edits and combo boxes: the system paints, the look adds the frame.
LRESULT FieldProc(HWND window, int kind, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result;
    if (CommonOpening(window, kind, message, wParam, lParam, &result)) {
        return result;
    }
    result = CallPrevious(window, kind, message, wParam, lParam);
    DWORD style = StyleOf(window);
    if (kind == kKindComboBox && (style & 3) == CBS_DROPDOWN) {
        return result;
    }
    switch (message) {
    case WM_PAINT:
        if (kind == kKindEdit || (style & 3) == CBS_DROPDOWNLIST) {
            PaintFieldFrame(window, true, kind);
        }
        break;
    case WM_SHOWWINDOW:
        if (wParam == FALSE && TheCore().version < kVersion310) {
            InvalidateFrame(window, nullptr);
        }
        break;
    case WM_WINDOWPOSCHANGING:
        if (TheCore().version >= kVersion310) {
            InvalidateFrame(window, reinterpret_cast<const WINDOWPOS*>(lParam));
        }
        break;
    default:
        break;
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

LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    int kind = ListKind(window);
    LRESULT result;
    if (CommonOpening(window, kind, message, wParam, lParam, &result)) {
        return result;
    }
    WORD version = TheCore().version;
    switch (message) {
    case WM_PAINT:
        result = CallPrevious(window, kind, message, wParam, lParam);
        PaintFieldFrame(window, false, kKindListBox);
        return result;
    case WM_SHOWWINDOW:
        if (wParam == FALSE && version < kVersion310) {
            InvalidateFrame(window, nullptr);
        }
        break;
    case WM_WINDOWPOSCHANGING:
        if (version >= kVersion310) {
            InvalidateFrame(window, reinterpret_cast<const WINDOWPOS*>(lParam));
        }
        break;
    case WM_NCCALCSIZE:
        if (version < kVersion310) {
            RECT before;
            GetWindowRect(window, &before);
            HWND parent = GetParent(window);
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&before), 2);
            result = CallPrevious(window, kind, message, wParam, lParam);
            RECT client = *reinterpret_cast<const RECT*>(lParam);
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&client), 2);
            InflateRect(&client, 2, 1);
            if (client.bottom < before.bottom) {
                RECT strip = {before.left, client.bottom + 1, before.right, before.bottom + 1};
                InvalidateRect(parent, &strip, TRUE);
            }
            return result;
        }
        break;
    default:
        break;
    }
    return CallPrevious(window, kind, message, wParam, lParam);
}

LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return FieldProc(window, kKindEdit, message, wParam, lParam);
}

LRESULT CALLBACK ComboProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return FieldProc(window, kKindComboBox, message, wParam, lParam);
}

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

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result;
    if (CommonOpening(window, kKindDialog, message, wParam, lParam, &result)) {
        return result;
    }
    const Core& core = TheCore();
    switch (message) {
    case WM_INITDIALOG: {
        bool look3d = (StyleOf(window) & DS_3DLOOK) != 0;
        BOOL intention = core.version < kVersion395 || !look3d;
        SendMessageA(window, WM_LOOK3D_MAYADOPT, 0, reinterpret_cast<LPARAM>(&intention));
        WNDPROC previous = PreviousProcedure(window, kKindDialog);
        if (intention) {
            result = CallWindowProcA(previous, window, message, wParam, lParam);
            if (core.version < kVersion395 || !look3d) {
                ReadoptChildren(window);
            }
            return result;
        }
        ReleaseTree(window);
        return CallWindowProcA(previous, window, message, wParam, lParam);
    }
    case WM_SETTEXT:
    case WM_NCPAINT:
    case WM_NCACTIVATE:
        if (core.version < kVersion395 && !IsIconic(window)) {
            result = CallPrevious(window, kKindDialog, message, wParam, lParam);
            PaintDialogFrame(window);
            return result;
        }
        break;
    default:
        if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
            return DialogColor(window, message, wParam, lParam);
        }
        break;
    }
    return CallPrevious(window, kKindDialog, message, wParam, lParam);
}

} // namespace look3d
