// Edits, combo boxes and list boxes: the system paints them, the look adds a
// sunken frame around them in the parent.
#include "framework/look3d/look3d_controls.h"

namespace look3d {

namespace {

// The identifiers of a combo box's own list and edit.
constexpr int kComboListId = 1000;

constexpr int kComboEditId = 1001;

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

// The frame is drawn in the parent, outside the field: it follows the
// field when it is hidden (before 3.10) or moved and sized (from 3.10).
void FrameFollowsWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WORD version = TheCore().version;
    if (message == WM_SHOWWINDOW && wParam == FALSE && version < kVersion310) {
        InvalidateFrame(window, nullptr);
    } else if (message == WM_WINDOWPOSCHANGING && version >= kVersion310) {
        InvalidateFrame(window, reinterpret_cast<const WINDOWPOS*>(lParam));
    }
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
        code =
            SendMessageA(parent, WM_LOOK3D_IDENTIFY_EARLIER, 0, reinterpret_cast<LPARAM>(&answer));
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

// Before 3.10 a list that shrinks leaves its old frame's bottom in the parent.
LRESULT ListCalcSize(HWND window, int kind, WPARAM wParam, LPARAM lParam) {
    RECT before;
    GetWindowRect(window, &before);
    HWND parent = GetParent(window);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&before), 2);
    LRESULT result = CallPrevious(window, kind, WM_NCCALCSIZE, wParam, lParam);
    RECT client = *reinterpret_cast<const RECT*>(lParam);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&client), 2);
    InflateRect(&client, 2, 1);
    if (client.bottom < before.bottom) {
        RECT strip = {before.left, client.bottom + 1, before.right, before.bottom + 1};
        InvalidateRect(parent, &strip, TRUE);
    }
    return result;
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
    if (message != WM_PAINT) {
        FrameFollowsWindow(window, message, wParam, lParam);
    } else if (kind == kKindEdit || (style & 3) == CBS_DROPDOWNLIST) {
        PaintFieldFrame(window, true, kind);
    }
    return result;
}

} // namespace

// List boxes, and a combo box's own list: as the fields, but the frame moves
// before the system's procedure moves the list.
LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    int kind = ListKind(window);
    LRESULT result;
    if (CommonOpening(window, kind, message, wParam, lParam, &result)) {
        return result;
    }
    if (message == WM_PAINT) {
        result = CallPrevious(window, kind, message, wParam, lParam);
        PaintFieldFrame(window, false, kKindListBox);
        return result;
    }
    if (message == WM_NCCALCSIZE && TheCore().version < kVersion310) {
        return ListCalcSize(window, kind, wParam, lParam);
    }
    FrameFollowsWindow(window, message, wParam, lParam);
    return CallPrevious(window, kind, message, wParam, lParam);
}

LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return FieldProc(window, kKindEdit, message, wParam, lParam);
}

LRESULT CALLBACK ComboProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return FieldProc(window, kKindComboBox, message, wParam, lParam);
}

} // namespace look3d
