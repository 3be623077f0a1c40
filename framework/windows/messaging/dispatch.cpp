#include "framework/windows/messaging/dispatch.h"

#include "framework/runtime/state.h"
#include "framework/runtime/system_function.h"
#include "framework/windows/handles/dc.h"
#include "framework/windows/handles/handle_table.h"
#include "framework/windows/handles/menu.h"
#include "framework/windows/messaging/window.h"
#include "framework/windows/messaging/window_proc.h"

namespace {

const MessageMapEntry* FindInChain(const MessageMap* map, UINT message) {
    for (; map != nullptr; map = map->base) {
        const MessageMapEntry* e = message < kFirstRegisteredMessage
                                       ? LookUpMapEntry(map->entries, message, 0, 0)
                                       : LookUpRegisteredEntry(map->entries, message);
        if (e != nullptr) {
            return e;
        }
    }
    return nullptr;
}

// Calls a window handler in the form its code fixes; FALSE when the
// message is to be treated as not handled.
BOOL CallBySignature(CWnd* self, const MessageMapEntry* e, WPARAM w, LPARAM l, LRESULT& value) {
    return mapform::UnpackByCode(LumForm::AllForms{}, static_cast<UINT>(e->signature), self,
                                 e->handler, w, l, value);
}

// Direct-mapped: repeated messages, handled or not, cost one comparison.
const MessageMapEntry* LookUpThroughCache(ThreadState* state, const MessageMap* map, UINT message) {
    MapLookupSlot& slot =
        state->mapLookups[(message ^ reinterpret_cast<UINT_PTR>(map)) & (kMapLookupSlots - 1)];
    if (slot.message == message && slot.map == map) {
        return static_cast<const MessageMapEntry*>(slot.entry);
    }
    const MessageMapEntry* entry = FindInChain(map, message);
    slot = {message, entry, map};
    return entry;
}

BOOL CallMapEntry(CWnd* self, const MessageMapEntry* entry, UINT message, WPARAM w, LPARAM l,
                  LRESULT& value) {
    if (message >= kFirstRegisteredMessage) {
        value = LumForm::LresultWParamLParam::ThunkOf(entry->handler)(self, w, l);
        return TRUE;
    }
    return CallBySignature(self, entry, w, l, value);
}

enum class BeforeMap { GoOn, Handled, NotHandled };

// The messages that take their own road before (or besides) the map.
BeforeMap HandleBeforeMap(CWnd* self, UINT message, WPARAM w, LPARAM l, LRESULT& value) {
    switch (message) {
    case WM_COMMAND:
        if (!self->HandleCommandMessage(w, l)) {
            return BeforeMap::NotHandled;
        }
        value = 1;
        return BeforeMap::Handled;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(l)->hwndFrom == nullptr ||
            !self->HandleNotifyMessage(w, l, &value)) {
            return BeforeMap::NotHandled;
        }
        return BeforeMap::Handled;
    case WM_ACTIVATE:
        NotifyTopLevelActivation(self, w, mapform::WindowFor(l));
        return BeforeMap::GoOn;
    case WM_SETCURSOR:
        if (BringPopupForward(self, mapform::SignedLow(l), HIWORD(l))) {
            value = 1;
            return BeforeMap::Handled;
        }
        return BeforeMap::GoOn;
    default:
        return BeforeMap::GoOn;
    }
}

} // namespace

CWnd* mapform::WindowFor(UINT_PTR handle) {
    return CWnd::ObjectFor(reinterpret_cast<HWND>(handle));
}

CDC* mapform::DcFor(UINT_PTR handle) {
    return CDC::ObjectFor(reinterpret_cast<HDC>(handle));
}

CMenu* mapform::MenuFor(UINT_PTR handle) {
    return CMenu::ObjectFor(reinterpret_cast<HMENU>(handle));
}

BOOL mapform::IsOwnHandle(CCmdTarget* window, UINT_PTR handle) {
    return reinterpret_cast<HWND>(handle) == static_cast<CWnd*>(window)->windowHandle;
}

LRESULT mapform::CallWithColorRecord(CCmdTarget* target, MapHandler handler, LPARAM record,
                                     ColorCall call) {
    auto* color = reinterpret_cast<ControlColorRecord*>(record);
    CDC dc;
    dc.outputHandle = color->dc;
    CWnd stackWindow(color->window);
    // Also when the handler throws: a stack window object that still
    // held the handle would destroy the control's window.
    struct ClearHandles {
        CDC& dc;
        CWnd& window;
        ~ClearHandles() {
            dc.outputHandle = nullptr;
            window.windowHandle = nullptr;
        }
    } clearHandles{dc, stackWindow};
    CWnd* control = CWnd::PermanentObjectFor(color->window);
    return call(target, handler, &dc, control != nullptr ? control : &stackWindow, color->type);
}

LRESULT CWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!DispatchThroughMap(message, wParam, lParam, &result)) {
        result = CallDefaultProc(message, wParam, lParam);
    }
    return result;
}

BOOL CWnd::DispatchThroughMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    LRESULT value = 0;
    switch (HandleBeforeMap(this, message, wParam, lParam, value)) {
    case BeforeMap::NotHandled:
        return FALSE;
    case BeforeMap::Handled:
        break;
    case BeforeMap::GoOn: {
        const MessageMapEntry* entry =
            LookUpThroughCache(DispatchState(), CurrentClassMap(), message);
        if (entry == nullptr || !CallMapEntry(this, entry, message, wParam, lParam, value)) {
            return FALSE;
        }
        break;
    }
    }
    if (result != nullptr) {
        *result = value;
    }
    return TRUE;
}

BOOL CWnd::HandleCommandMessage(WPARAM wParam, LPARAM lParam) {
    UINT id = LOWORD(wParam);
    int code = HIWORD(wParam);
    auto control = reinterpret_cast<HWND>(lParam);
    if (control == nullptr) {
        if (id == 0) {
            return FALSE;
        }
        // A command whose update handler disables it is swallowed.
        CCmdEnableProbe probe;
        probe.id = id;
        RouteCommand(id, kRouteUpdateUi, &probe, nullptr);
        if (!probe.enabled) {
            return TRUE;
        }
        code = 0;
    } else {
        ThreadState* state = DispatchState();
        if (state->lockoutNotifyWindow == windowHandle) {
            return TRUE;
        }
        CWnd* child = FindPermanentWindow(state, control);
        if (child != nullptr && child->NotifyWithCurrentMessage(nullptr)) {
            return TRUE;
        }
        if (id == 0) {
            return FALSE;
        }
    }
    return RouteCommand(id, code, nullptr, nullptr);
}

BOOL CWnd::HandleNotifyMessage(WPARAM, LPARAM lParam, LRESULT* result) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    HWND control = header->hwndFrom;
    UINT id = LOWORD(GetDlgCtrlID(control));
    if (GetThreadState()->lockoutNotifyWindow == windowHandle) {
        return TRUE;
    }
    if (ParentReflectToChild(control, result)) {
        return TRUE;
    }
    NotifyPacket packet = {result, header};
    return RouteCommand(id, static_cast<int>((WM_NOTIFY << 16) | LOWORD(header->code)), &packet,
                        nullptr);
}

BOOL CWnd::ParentReflectToChild(HWND child, LRESULT* result) {
    if (CWnd* object = PermanentObjectFor(child)) {
        return object->NotifyWithCurrentMessage(result);
    }
    return FALSE;
}

BOOL CWnd::NotifyWithCurrentMessage(LRESULT* result) {
    const MSG& m = GetThreadState()->lastSentMessage;
    return HandleReflectedMessage(m.message, m.wParam, m.lParam, result);
}

// The child's side of reflection: its own map. A control that must see
// reflected messages first overrides this.
BOOL CWnd::HandleReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return ReflectToSelf(message, wParam, lParam, result);
}

BOOL CWnd::ReflectToSelf(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_PARENTNOTIFY:
        return CWnd::DispatchThroughMap(kReflectBase + message, wParam, lParam, result);
    case WM_COMMAND:
        if (CCmdTarget::RouteCommand(0,
                                     static_cast<int>((kReflectedCommand << 16) | HIWORD(wParam)),
                                     nullptr, nullptr)) {
            if (result != nullptr) {
                *result = 1;
            }
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        NotifyPacket packet = {result, header};
        return CCmdTarget::RouteCommand(
            0, static_cast<int>((kReflectedNotify << 16) | LOWORD(header->code)), &packet, nullptr);
    }
    default:
        if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
            ControlColorRecord record = {nullptr, reinterpret_cast<HDC>(wParam),
                                         message - WM_CTLCOLORMSGBOX};
            BOOL handled = CWnd::DispatchThroughMap(kReflectBase + WM_LUM_CTLCOLOR, 0,
                                                    reinterpret_cast<LPARAM>(&record), result);
            return handled && result != nullptr && *result != 0 ? handled : FALSE;
        }
        return FALSE;
    }
}

void NotifyTopLevelActivation(CWnd* window, WPARAM state, CWnd* other) {
    if (window == nullptr || (GetWindowLongA(window->windowHandle, GWL_STYLE) & WS_CHILD) != 0) {
        return;
    }
    CWnd* top = window->TopLevelParent();
    CWnd* otherTop = other != nullptr ? other->TopLevelParent() : nullptr;
    if (top == nullptr || top == otherTop) {
        return;
    }
    HWND record[2] = {window->windowHandle, other != nullptr ? other->windowHandle : nullptr};
    SendMessageA(top->windowHandle, WM_LUM_ACTIVATE_TOPLEVEL, state,
                 reinterpret_cast<LPARAM>(record));
}

namespace {

// Win32s documents no foreground calls: the active window stands for the
// foreground there, and wherever a system lacks them.
HWND ForegroundWindow() {
    using GetCall = HWND(WINAPI*)();
    const auto get =
        RunsOnWin32s() ? nullptr : SystemFunction<GetCall>("USER32.DLL", "GetForegroundWindow");
    return get != nullptr ? get() : GetActiveWindow();
}

void BringToForeground(HWND window) {
    using SetCall = BOOL(WINAPI*)(HWND);
    const auto set =
        RunsOnWin32s() ? nullptr : SystemFunction<SetCall>("USER32.DLL", "SetForegroundWindow");
    if (set != nullptr) {
        set(window);
    } else {
        SetActiveWindow(window);
    }
}

} // namespace

BOOL BringPopupForward(CWnd* window, int hitTest, UINT mouseMessage) {
    if (window == nullptr || hitTest != HTERROR ||
        (mouseMessage != WM_LBUTTONDOWN && mouseMessage != WM_RBUTTONDOWN &&
         mouseMessage != WM_MBUTTONDOWN)) {
        return FALSE;
    }
    CWnd* top = window->TopLevelParent();
    if (top == nullptr) {
        return FALSE;
    }
    CWnd* popup = CWnd::ObjectFor(GetLastActivePopup(top->windowHandle));
    if (popup != nullptr && popup != CWnd::ObjectFor(ForegroundWindow()) &&
        IsWindowEnabled(popup->windowHandle)) {
        BringToForeground(popup->windowHandle);
        return TRUE;
    }
    return FALSE;
}

CMenu* FindPopupMenu(CMenu* menu, UINT itemId) {
    if (menu == nullptr) {
        return nullptr;
    }
    int count = GetMenuItemCount(menu->menuHandle);
    for (int i = 0; i < count; ++i) {
        if (HMENU sub = GetSubMenu(menu->menuHandle, i)) {
            if (CMenu* hit = FindPopupMenu(CMenu::ObjectFor(sub), itemId)) {
                return hit;
            }
        } else if (GetMenuItemID(menu->menuHandle, i) == itemId) {
            return CMenu::PermanentObjectFor(menu->menuHandle);
        }
    }
    return nullptr;
}
