#include "framework/windows/messaging/window_utilities.h"

#include "framework/runtime/state.h"
#include "framework/runtime/system_function.h"
#include "framework/windows/messaging/window.h"
#include "framework/windows/messaging/window_proc.h"

namespace {

constexpr UINT kLegacyListAdd = 0x0401;
constexpr UINT kLegacyComboAdd = 0x0403;

// One record of dialog init data; the data follows the fixed part unaligned.
#pragma pack(push, 1)
struct InitRecord {
    WORD controlId;
    WORD message;
    DWORD dataBytes;
};
#pragma pack(pop)
static_assert(sizeof(InitRecord) == 8);

HWND FirstChild(HWND parent) {
    return GetWindow(parent, GW_CHILD);
}
HWND NextSibling(HWND window) {
    return GetWindow(window, GW_HWNDNEXT);
}

} // namespace

BOOL IsComboOfKind(HWND window, UINT styleKind) {
    if (window == nullptr || (GetWindowLongA(window, GWL_STYLE) & 0x0F) != styleKind) {
        return FALSE;
    }
    char name[10];
    GetClassNameA(window, name, sizeof name);
    return lstrcmpiA(name, "combobox") == 0;
}

BOOL HasClassName(HWND window, const char* name) {
    char buffer[32];
    if (GetClassNameA(window, buffer, sizeof buffer) == 0) {
        return FALSE;
    }
    return lstrcmpiA(buffer, name) == 0;
}

HWND ChildAtPoint(HWND parent, POINT clientPoint) {
    ClientToScreen(parent, &clientPoint);
    for (HWND child = FirstChild(parent); child != nullptr; child = NextSibling(child)) {
        if (LOWORD(GetDlgCtrlID(child)) == 0xFFFF ||
            (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) == 0) {
            continue;
        }
        RECT r;
        GetWindowRect(child, &r);
        if (PtInRect(&r, clientPoint)) {
            return child;
        }
    }
    return nullptr;
}

void SetTextIfChanged(HWND window, const char* text) {
    int length = lstrlenA(text);
    if (length <= 256) {
        char current[257];
        if (GetWindowTextA(window, current, 256) == length && lstrcmpA(current, text) == 0) {
            return;
        }
    }
    SetWindowTextA(window, text);
}

void DeleteHeldObject(HGDIOBJ* slot) {
    if (*slot != nullptr) {
        DeleteObject(*slot);
        *slot = nullptr;
    }
}

void CloseComboDropDown(HWND window) {
    HWND focus = GetFocus();
    if (focus == nullptr || focus == window) {
        return;
    }
    if (!IsComboOfKind(focus, CBS_DROPDOWNLIST)) {
        // The focus may sit in the edit part of a drop-down combo box.
        focus = ::GetParent(focus);
        if (focus == window || !IsComboOfKind(focus, CBS_DROPDOWN)) {
            return;
        }
    }
    if (window != nullptr && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0 &&
        ::GetParent(window) == GetDesktopWindow()) {
        return;
    }
    SendMessageA(focus, CB_SHOWDROPDOWN, FALSE, 0);
}

void FreeGlobalBlock(HGLOBAL block) {
    if (block == nullptr) {
        return;
    }
    for (UINT locks = GlobalFlags(block) & GMEM_LOCKCOUNT; locks > 0; --locks) {
        GlobalUnlock(block);
    }
    GlobalFree(block);
}

void MoveToRectangle(BarLayout* layout, HWND window, const RECT* rect) {
    if (layout != nullptr && layout->deferred == nullptr) {
        return;
    }
    RECT now;
    GetWindowRect(window, &now);
    MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&now), 2);
    if (EqualRect(&now, rect)) {
        return;
    }
    int width = rect->right - rect->left;
    int height = rect->bottom - rect->top;
    if (layout != nullptr) {
        layout->deferred = DeferWindowPos(layout->deferred, window, nullptr, rect->left, rect->top,
                                          width, height, SWP_NOACTIVATE | SWP_NOZORDER);
    } else {
        ::SetWindowPos(window, nullptr, rect->left, rect->top, width, height,
                       SWP_NOACTIVATE | SWP_NOZORDER);
    }
}

BOOL PaintDialogColors(HDC dc, HWND control, UINT type, HBRUSH brush, COLORREF textColor) {
    if (dc == nullptr || brush == nullptr) {
        return FALSE;
    }
    switch (type) {
    case CTLCOLOR_MSGBOX:
    case CTLCOLOR_EDIT:
    case CTLCOLOR_SCROLLBAR:
        return FALSE;
    case CTLCOLOR_LISTBOX:
        // Only the list of a drop-down combo box takes the dialog's colors.
        if (!IsComboOfKind(control, CBS_DROPDOWN)) {
            return FALSE;
        }
        break;
    default:
        break;
    }
    LOGBRUSH logical = {};
    GetObjectA(brush, sizeof logical, &logical);
    SetBkColor(dc, logical.lbColor);
    if (textColor == 0xFFFFFFFF) {
        textColor = GetSysColor(COLOR_WINDOWTEXT);
    }
    SetTextColor(dc, textColor);
    return TRUE;
}

void RefreshSystemColors() {
    GetDisplayData().RefreshColors();
}

void RefreshSystemMetrics() {
    DisplayData& display = GetDisplayData();
    display.RefreshMetrics();
    display.RefreshScreenMetrics();
}

BOOL CWnd::ChangeExStyle(DWORD remove, DWORD add, UINT positioning) {
    return ChangeStyleBits(windowHandle, GWL_EXSTYLE, remove, add, positioning);
}

int CWnd::SetScrollPos(int bar, int position, BOOL redraw) {
    if (CWnd* control = GetScrollBarObject(bar)) {
        return ::SetScrollPos(control->windowHandle, SB_CTL, position, redraw);
    }
    return ::SetScrollPos(windowHandle, bar, position, redraw);
}

int CWnd::GetScrollPos(int bar) const {
    if (CWnd* control = GetScrollBarObject(bar)) {
        return ::GetScrollPos(control->windowHandle, SB_CTL);
    }
    return ::GetScrollPos(windowHandle, bar);
}

void CWnd::SetScrollRange(int bar, int minimum, int maximum, BOOL redraw) {
    if (CWnd* control = GetScrollBarObject(bar)) {
        ::SetScrollRange(control->windowHandle, SB_CTL, minimum, maximum, redraw);
        return;
    }
    ::SetScrollRange(windowHandle, bar, minimum, maximum, redraw);
}

void CWnd::ShowScrollBar(UINT bar, BOOL show) {
    if (bar == SB_BOTH) {
        ShowScrollBar(SB_HORZ, show);
        ShowScrollBar(SB_VERT, show);
        return;
    }
    if (CWnd* control = GetScrollBarObject(static_cast<int>(bar))) {
        // A stand-in control is disabled rather than hidden.
        control->EnableWindow(show);
        return;
    }
    ::ShowScrollBar(windowHandle, static_cast<int>(bar), show);
}

BOOL CWnd::SetScrollInfo(int bar, SCROLLINFO* info, BOOL redraw) {
    if (GetDisplayData().windowsVersion < 0x0333) {
        return FALSE;
    }
    HWND target = windowHandle;
    if (bar != SB_CTL) {
        if (CWnd* control = GetScrollBarObject(bar)) {
            target = control->windowHandle;
            bar = SB_CTL;
        }
    }
    // Windows NT 3.5 has no such call.
    using ScrollInfoCall = int(WINAPI*)(HWND, int, const SCROLLINFO*, BOOL);
    const auto setInfo = SystemFunction<ScrollInfoCall>("USER32.DLL", "SetScrollInfo");
    if (setInfo == nullptr) {
        return FALSE;
    }
    info->cbSize = sizeof(SCROLLINFO);
    setInfo(target, bar, info, redraw);
    return TRUE;
}

void CWnd::ScrollWindow(int dx, int dy, const RECT* scroll, const RECT* clip) {
    if (IsWindowVisible(windowHandle) || scroll != nullptr || clip != nullptr) {
        ::ScrollWindow(windowHandle, dx, dy, scroll, clip);
        return;
    }
    // A hidden window does not scroll its pixels; its children move instead.
    for (HWND child = FirstChild(windowHandle); child != nullptr; child = NextSibling(child)) {
        RECT r;
        GetWindowRect(child, &r);
        ScreenToClient(windowHandle, reinterpret_cast<POINT*>(&r.left));
        ScreenToClient(windowHandle, reinterpret_cast<POINT*>(&r.right));
        ::SetWindowPos(child, nullptr, r.left + dx, r.top + dy, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CWnd::CenterOverOwner(CWnd* alternate) {
    DWORD style = ReadStyle();
    bool child = (style & WS_CHILD) != 0;
    HWND center = alternate != nullptr ? alternate->windowHandle : nullptr;
    if (alternate == nullptr) {
        center = child ? ::GetParent(windowHandle) : GetWindow(windowHandle, GW_OWNER);
        if (center != nullptr) {
            if (LRESULT target = SendMessageA(center, WM_LUM_CENTER_TARGET, 0, 0)) {
                center = reinterpret_cast<HWND>(target);
            }
        }
    }
    RECT dialog;
    GetWindowRect(windowHandle, &dialog);
    RECT area;
    RECT target;
    if (!child) {
        if (center != nullptr) {
            DWORD centerStyle = static_cast<DWORD>(GetWindowLongA(center, GWL_STYLE));
            if ((centerStyle & WS_VISIBLE) == 0 || (centerStyle & WS_MINIMIZE) != 0) {
                center = nullptr;
            }
        }
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        if (center != nullptr) {
            GetWindowRect(center, &target);
        } else {
            target = area;
        }
    } else {
        HWND parentWindow = ::GetParent(windowHandle);
        GetClientRect(parentWindow, &area);
        GetClientRect(center, &target);
        MapWindowPoints(center, parentWindow, reinterpret_cast<POINT*>(&target), 2);
    }
    int width = dialog.right - dialog.left;
    int height = dialog.bottom - dialog.top;
    int left = (target.left + target.right) / 2 - width / 2;
    int top = (target.top + target.bottom) / 2 - height / 2;
    // Kept inside the area; the left and top edges win when it is too small.
    if (left < area.left) {
        left = area.left;
    } else if (left + width > area.right) {
        left = area.right - width;
    }
    if (top < area.top) {
        top = area.top;
    } else if (top + height > area.bottom) {
        top = area.bottom - height;
    }
    ::SetWindowPos(windowHandle, nullptr, left, top, -1, -1,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWnd::ApplyDialogInitData(const char* resourceName) {
    if (resourceName == nullptr) {
        return ApplyDialogInitData(static_cast<const void*>(nullptr));
    }
    HINSTANCE instance = GetModuleState()->resourceHandle;
    HRSRC found = FindResourceA(instance, resourceName, MAKEINTRESOURCEA(240));
    if (found == nullptr) {
        return ApplyDialogInitData(static_cast<const void*>(nullptr));
    }
    HGLOBAL loaded = LoadResource(instance, found);
    if (loaded == nullptr) {
        return FALSE;
    }
    return ApplyDialogInitData(LockResource(loaded));
}

BOOL CWnd::ApplyDialogInitData(const void* block) {
    BOOL success = TRUE;
    if (block != nullptr) {
        const BYTE* p = static_cast<const BYTE*>(block);
        while (success) {
            InitRecord record;
            CopyMemory(&record, p, sizeof(WORD));
            if (record.controlId == 0) {
                break;
            }
            CopyMemory(&record, p, sizeof record);
            const BYTE* data = p + sizeof record;
            UINT message = record.message;
            if (message == kLegacyListAdd) {
                message = LB_ADDSTRING;
            } else if (message == kLegacyComboAdd) {
                message = CB_ADDSTRING;
            }
            if (message == LB_ADDSTRING || message == CB_ADDSTRING) {
                if (SendDlgItemMessageA(windowHandle, record.controlId, message, 0,
                                        reinterpret_cast<LPARAM>(data)) == -1) {
                    success = FALSE;
                }
            }
            p = data + record.dataBytes;
        }
    }
    if (success) {
        for (HWND child = FirstChild(windowHandle); child != nullptr; child = NextSibling(child)) {
            SendMessageA(child, WM_LUM_INITIAL_UPDATE, 0, 0);
        }
    }
    return success;
}

void CWnd::LayOutBars(UINT first, UINT last, UINT leftOver, UINT mode, RECT* rect,
                      const RECT* client, BOOL stretch) {
    BarLayout layout = {};
    if (client != nullptr) {
        layout.remaining = *client;
    } else {
        GetClientRect(windowHandle, &layout.remaining);
    }
    layout.deferred = mode == kQueryBars ? nullptr : BeginDeferWindowPos(8);
    layout.stretch = stretch;
    HWND leftOverWindow = nullptr;
    for (HWND child = GetTopWindow(windowHandle); child != nullptr; child = NextSibling(child)) {
        UINT id = LOWORD(GetDlgCtrlID(child));
        if (id == leftOver) {
            leftOverWindow = child;
        } else if (id >= first && id <= last && PermanentObjectFor(child) != nullptr) {
            SendMessageA(child, WM_LUM_SIZE_PARENT, 0, reinterpret_cast<LPARAM>(&layout));
        }
    }
    if (mode == kQueryBars) {
        if (rect != nullptr) {
            if (stretch) {
                *rect = layout.remaining;
            } else {
                SetRect(rect, 0, 0, layout.total.cx, layout.total.cy);
            }
        }
        return;
    }
    if (leftOver != 0 && leftOverWindow != nullptr) {
        if (mode == kLayOutBarsWithBorders && rect != nullptr) {
            layout.remaining.left += rect->left;
            layout.remaining.top += rect->top;
            layout.remaining.right -= rect->right;
            layout.remaining.bottom -= rect->bottom;
        }
        ObjectFor(leftOverWindow)->ComputeWindowRect(&layout.remaining, 0);
        MoveToRectangle(&layout, leftOverWindow, &layout.remaining);
    }
    if (layout.deferred != nullptr) {
        EndDeferWindowPos(layout.deferred);
    }
}

InitPlacement RememberInitPlacement(HWND window) {
    InitPlacement placement = {};
    GetWindowRect(window, &placement.rect);
    placement.style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    return placement;
}

void AutoCenterAfterInit(CWnd* object, const InitPlacement& before) {
    if (object == nullptr || (before.style & WS_VISIBLE) != 0) {
        return;
    }
    HWND window = object->windowHandle;
    if ((GetWindowLongA(window, GWL_STYLE) & (WS_VISIBLE | WS_CHILD)) != 0) {
        return;
    }
    RECT now;
    GetWindowRect(window, &now);
    // A dialog that placed itself keeps its place.
    if (now.left != before.rect.left || now.top != before.rect.top) {
        return;
    }
    HWND owner = GetWindow(window, GW_OWNER);
    if (owner != nullptr && ::IsWindowEnabled(owner)) {
        return;
    }
    if (!object->WantsAutoCenter()) {
        return;
    }
    object->CenterOverOwner(nullptr);
}
