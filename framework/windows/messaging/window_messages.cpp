// CWnd's own message map: control colors, owner draw and scroll messages
// reflected to the controls that sent them, and the end of a window's life.
#include "framework/look3d/look3d_state.h"
#include "framework/runtime/state.h"
#include "framework/windows/messaging/win_app.h"
#include "framework/windows/handles/dc.h"
#include "framework/windows/messaging/dispatch.h"
#include "framework/windows/handles/handle_table.h"
#include "framework/windows/handles/menu.h"
#include "framework/windows/messaging/window.h"

#include <commctrl.h>
#include "framework/windows/messaging/window_proc.h"
#include "framework/windows/messaging/window_utilities.h"

namespace {

// Registered at start-up; the map entry points at it.
UINT dragListMessage = RegisterWindowMessageA("commctrl_DragListMsg");

} // namespace

// clang-format off
LUM_BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
LUM_ON_WM_CTLCOLOR_RANGE(HandleControlColorMessage)
LUM_ON_WM_DRAWITEM(HandleDrawItem)
LUM_ON_WM_MEASUREITEM(HandleMeasureItem)
LUM_ON_WM_LUM_CTLCOLOR(HandleControlColor)
LUM_ON_WM_COMPAREITEM(HandleCompareItem)
LUM_ON_WM_HSCROLL(HandleScroll)
LUM_ON_WM_VSCROLL(HandleScroll)
LUM_ON_WM_DELETEITEM(HandleDeleteItem)
LUM_ON_WM_CHARTOITEM(HandleListBoxKey)
LUM_ON_WM_VKEYTOITEM(HandleListBoxKey)
LUM_ON_WM_NCDESTROY(HandleFinalMessage)
LUM_ON_WM_PARENTNOTIFY(HandleParentNotify)
LUM_ON_WM_DESTROY(HandleDestroy)
LUM_ON_MESSAGE(WM_LUM_ACTIVATE_TOPLEVEL, LumForm::LresultWParamLParam, HandleTopLevelActivation)
LUM_ON_REGISTERED_MESSAGE_AS(dragListMessage, LumCracked::DragList, HandleDragListMessage)
LUM_ON_WM_SYSCOLORCHANGE(HandleSysColorChange)
LUM_ON_WM_SETTINGCHANGE(HandleSettingChange)
LUM_ON_WM_DISPLAYCHANGE(HandleDisplayChange)
LUM_ON_WM_DEVMODECHANGE(HandleDevModeChange)
LUM_ON_WM_ENTERIDLE(HandleEnterIdle)
LUM_ON_WM_HELP(HandleHelpRequest)
LUM_END_MESSAGE_MAP(CWnd, CCmdTarget)
// clang-format on

LRESULT CWnd::HandleControlColorMessage(HDC dc, HWND control) {
    // One handler of the private color message serves all seven.
    ControlColorRecord record = {control, dc, CurrentMessage()->message - WM_CTLCOLORMSGBOX};
    return HandleMessage(WM_LUM_CTLCOLOR, 0, reinterpret_cast<LPARAM>(&record));
}

HBRUSH CWnd::HandleControlColor(CDC*, CWnd* control, UINT) {
    LRESULT value = 0;
    if (control != nullptr && control->NotifyWithCurrentMessage(&value)) {
        return reinterpret_cast<HBRUSH>(value);
    }
    return reinterpret_cast<HBRUSH>(DefaultForCurrentMessage());
}

void CWnd::HandleDrawItem(UINT, DRAWITEMSTRUCT* item) {
    if (item->CtlType == ODT_MENU) {
        // The request names the menu; only one the program bound draws itself.
        if (CMenu* menu = CMenu::PermanentObjectFor(reinterpret_cast<HMENU>(item->hwndItem))) {
            menu->DrawMenuItem(item);
        } else {
            DefaultForCurrentMessage();
        }
        return;
    }
    if (!ParentReflectToChild(item->hwndItem, nullptr)) {
        DefaultForCurrentMessage();
    }
}

void CWnd::HandleMeasureItem(UINT, MEASUREITEMSTRUCT* item) {
    if (item->CtlType == ODT_MENU) {
        if (CMenu* menu = FindPopupMenu(MenuBeingMeasured(), item->itemID)) {
            menu->MeasureMenuItem(item);
        }
        DefaultForCurrentMessage();
        return;
    }
    CWnd* control = FindDescendant(windowHandle, static_cast<int>(item->CtlID), TRUE);
    if (control == nullptr || !control->NotifyWithCurrentMessage(nullptr)) {
        DefaultForCurrentMessage();
    }
}

CMenu* CWnd::MenuBeingMeasured() const {
    // The request names no menu: it is the popup this window is tracking, or
    // else its own menu bar. A child window has no menu; GetMenu gives its id.
    const ThreadState* thread = GetThreadState();
    HMENU menu = nullptr;
    if (thread->trackingWindow == windowHandle) {
        menu = thread->trackingMenu;
    } else if ((GetWindowLongA(windowHandle, GWL_STYLE) & WS_CHILD) == 0) {
        menu = GetMenu(windowHandle);
    }
    return menu != nullptr ? CMenu::ObjectFor(menu) : nullptr;
}

LRESULT CWnd::HandleCompareItem(UINT, const COMPAREITEMSTRUCT* item) {
    LRESULT value = 0;
    if (ParentReflectToChild(item->hwndItem, &value)) {
        return value;
    }
    return DefaultForCurrentMessage();
}

void CWnd::HandleScroll(int, int, CWnd* scrollBar) {
    if (scrollBar == nullptr || !scrollBar->NotifyWithCurrentMessage(nullptr)) {
        DefaultForCurrentMessage();
    }
}

void CWnd::HandleDeleteItem(UINT, DELETEITEMSTRUCT* item) {
    if (!ParentReflectToChild(item->hwndItem, nullptr)) {
        DefaultForCurrentMessage();
    }
}

LRESULT CWnd::HandleListBoxKey(UINT, CWnd* listBox, UINT) {
    LRESULT value = 0;
    if (listBox != nullptr && listBox->NotifyWithCurrentMessage(&value)) {
        return value;
    }
    return DefaultForCurrentMessage();
}

void CWnd::HandleParentNotify(UINT event, HWND child) {
    // The low word is the event; the high word the child's id.
    event = LOWORD(event);
    if ((event == WM_CREATE || event == WM_DESTROY) && ParentReflectToChild(child, nullptr)) {
        return;
    }
    DefaultForCurrentMessage();
}

void CWnd::HandleDestroy() {
    DefaultForCurrentMessage();
}

LRESULT CWnd::HandleTopLevelActivation(WPARAM, LPARAM) {
    // Tool tips would be hidden here on deactivation; this framework has none.
    return 0;
}

LRESULT CWnd::HandleDragListMessage(UINT, DRAGLISTINFO* info) {
    LRESULT value = 0;
    if (info != nullptr && ParentReflectToChild(info->hWnd, &value)) {
        return value;
    }
    return DefaultForCurrentMessage();
}

// Dormant: no window of this program registers tools.
void CWnd::RemoveOwnTools() {
    const CWnd* tips = GetThreadState()->toolTip;
    if ((stateFlags & WND_HAS_TOOLS) == 0 || tips == nullptr || tips->windowHandle == nullptr) {
        return;
    }
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = windowHandle;
    tool.uId = reinterpret_cast<UINT_PTR>(windowHandle);
    SendMessageA(tips->windowHandle, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void CWnd::HandleFinalMessage() {
    if (CWinThread* thread = GetCurrentThreadObject()) {
        if (thread->mainWindow == this) {
            if (GetModuleState()->isLibrary == 0) {
                PostQuit(0);
            }
            thread->mainWindow = nullptr;
        }
        if (thread->activeWindow == this) {
            thread->activeWindow = nullptr;
        }
    }
    RemoveOwnTools();
    LONG procedure = GetWindowLongA(windowHandle, GWL_WNDPROC);
    DefaultForCurrentMessage();
    WNDPROC* slot = SuperProcSlot();
    if (GetWindowLongA(windowHandle, GWL_WNDPROC) == procedure && *slot != nullptr) {
        SetWindowLongA(windowHandle, GWL_WNDPROC, reinterpret_cast<LONG>(*slot));
    }
    Unbind();
    AfterFinalMessage();
}

namespace {

bool IsApplicationMainWindow(const CWnd* w) {
    CWinApp* app = GetApplication();
    return app != nullptr && app->mainWindow == w;
}

void ForwardCurrentMessage(HWND window) {
    const MSG* m = CurrentMessage();
    CWnd::SendToDescendants(window, m->message, m->wParam, m->lParam, TRUE, TRUE);
}

} // namespace

void CWnd::HandleSysColorChange() {
    if (IsApplicationMainWindow(this)) {
        RefreshSystemColors();
        Look3dColorsChanged();
    }
    if ((ReadStyle() & WS_CHILD) == 0) {
        SendToDescendants(windowHandle, WM_SYSCOLORCHANGE, 0, 0, TRUE, TRUE);
    }
    DefaultForCurrentMessage();
}

void CWnd::HandleSettingChange(UINT, const char*) {
    if (IsApplicationMainWindow(this)) {
        Look3dSettingsChanged();
    }
    // The wheel line count belongs to a layer this framework does not build
    // yet; metrics and descendants follow.
    HandleDisplayChange(0, 0);
}

LRESULT CWnd::HandleDisplayChange(WPARAM, LPARAM) {
    if (IsApplicationMainWindow(this)) {
        RefreshSystemMetrics();
    }
    if ((ReadStyle() & WS_CHILD) == 0) {
        ForwardCurrentMessage(windowHandle);
    }
    return DefaultForCurrentMessage();
}

void CWnd::HandleDevModeChange(const char*) {
    // The application holds no printer names, so there is no printer
    // settings block to read again.
    if ((ReadStyle() & WS_CHILD) == 0) {
        ForwardCurrentMessage(windowHandle);
    }
}

void CWnd::HandleEnterIdle(UINT, CWnd*) {
    MSG queued;
    while (PeekMessageA(&queued, nullptr, WM_ENTERIDLE, WM_ENTERIDLE, PM_REMOVE)) {
        DispatchMessageA(&queued);
    }
    DefaultForCurrentMessage();
}
