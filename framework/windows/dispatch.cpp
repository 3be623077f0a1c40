#include "framework/windows/dispatch.h"

#include "framework/runtime/global_locks.h"
#include "framework/runtime/state.h"
#include "framework/windows/dc.h"
#include "framework/windows/handle_table.h"
#include "framework/windows/menu.h"
#include "framework/windows/window.h"
#include "framework/windows/window_proc.h"

namespace {

// Direct-mapped: repeated messages, handled or not, cost one comparison.
struct LookupCacheEntry {
    UINT message;
    const MessageMapEntry* entry;
    const MessageMap* map;
};
static_assert(sizeof(LookupCacheEntry) == 12);
LookupCacheEntry lookupCache[512];

UINT RegisteredNumberOf(const MessageMapEntry* e) {
    return *reinterpret_cast<const UINT*>(e->signature);
}

const MessageMapEntry* FindInChain(const MessageMap* map, UINT message) {
    for (; map != nullptr; map = map->base) {
        if (message < 0xC000) {
            if (const MessageMapEntry* e = LookUpMapEntry(map->entries, message, 0, 0)) {
                return e;
            }
        } else {
            for (const MessageMapEntry* e = map->entries;
                 (e = LookUpMapEntry(e, 0xC000, 0, 0)) != nullptr; ++e) {
                if (RegisteredNumberOf(e) == message) {
                    return e;
                }
            }
        }
    }
    return nullptr;
}

template <UINT Code> typename mapform::Window<Code>::Thunk As(MapHandler handler) {
    return reinterpret_cast<typename mapform::Window<Code>::Thunk>(handler);
}

CWnd* WindowOf(WPARAM value) {
    return CWnd::ObjectFor(reinterpret_cast<HWND>(value));
}
CDC* DcOf(WPARAM value) {
    return CDC::ObjectFor(reinterpret_cast<HDC>(value));
}
CMenu* MenuOf(WPARAM value) {
    return CMenu::ObjectFor(reinterpret_cast<HMENU>(value));
}
int SignedLow(DWORD v) {
    return static_cast<SHORT>(LOWORD(v));
}
int SignedHigh(DWORD v) {
    return static_cast<SHORT>(HIWORD(v));
}
POINT PointOf(LPARAM l) {
    return POINT{SignedLow(l), SignedHigh(l)};
}

// Calls a window handler in the form its code fixes; FALSE when the
// message is to be treated as not handled.
BOOL CallBySignature(CWnd* self, const MessageMapEntry* e, WPARAM w, LPARAM l, LRESULT& value) {
    MapHandler h = e->handler;
    switch (e->signature) {
    case 1:
        value = As<1>(h)(self, DcOf(w));
        break;
    case 2:
        value = As<2>(h)(self, w);
        break;
    case 3:
        value = As<3>(h)(self, WindowOf(w), SignedLow(l), HIWORD(l));
        break;
    case 4:
    case 5: {
        auto* record = reinterpret_cast<ControlColorRecord*>(l);
        CDC dc;
        dc.outputHandle = record->dc;
        CWnd stackWindow(record->window);
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
        CWnd* control = CWnd::PermanentObjectFor(record->window);
        if (e->signature == 4) {
            value = As<4>(h)(self, &dc, control != nullptr ? control : &stackWindow, record->type);
        } else {
            value = As<5>(h)(self, &dc, record->type);
        }
        break;
    }
    case 6:
        value = As<6>(h)(self, LOWORD(w), WindowOf(l), HIWORD(w));
        break;
    case 7:
        value = As<7>(h)(self, LOWORD(w), HIWORD(w));
        break;
    case 8:
        value = As<8>(h)(self, WindowOf(w), SignedLow(l), HIWORD(l));
        break;
    case 9:
        value = As<9>(h)(self, l);
        break;
    case 10:
        value = As<10>(h)(self, w, l);
        break;
    case 11:
        value = As<11>(h)(self, LOWORD(w), HIWORD(w), MenuOf(l));
        break;
    case 12:
        As<12>(h)(self);
        break;
    case 13:
        As<13>(h)(self, w);
        break;
    case 14:
        As<14>(h)(self, w, l);
        break;
    case 15:
        As<15>(h)(self, SignedLow(l), SignedHigh(l));
        break;
    case 16:
        As<16>(h)(self, w, LOWORD(l), HIWORD(l));
        break;
    case 17:
        As<17>(h)(self, w, LOWORD(l), HIWORD(l));
        break;
    case 18:
        As<18>(h)(self, w, l);
        break;
    case 19:
        As<19>(h)(self, reinterpret_cast<HWND>(l) == self->windowHandle, WindowOf(l), WindowOf(w));
        break;
    case 20:
        As<20>(h)(self, DcOf(w));
        break;
    case 21:
        As<21>(h)(self, MenuOf(w));
        break;
    case 22:
        As<22>(h)(self, MenuOf(w), LOWORD(l), HIWORD(l));
        break;
    case 23:
        As<23>(h)(self, WindowOf(w));
        break;
    case 24:
        As<24>(h)(self, WindowOf(w), LOWORD(l), HIWORD(l));
        break;
    case 25:
        As<25>(h)(self, WindowOf(w), PointOf(l));
        break;
    case 26:
        As<26>(h)(self, WindowOf(w), l);
        break;
    case 27:
        As<27>(h)(self, w, WindowOf(l));
        break;
    case 28:
        As<28>(h)(self, LOWORD(w), WindowOf(l), HIWORD(w));
        break;
    case 29:
        As<29>(h)(self, SignedLow(w), SignedHigh(w), WindowOf(l));
        break;
    case 30:
        As<30>(h)(self, SignedLow(w), SignedHigh(w));
        break;
    case 31:
        As<31>(h)(self, l);
        break;
    case 32:
        As<32>(h)(self, w, l);
        value = 1;
        break;
    case 33:
        value = As<33>(h)(self, w, l);
        break;
    case 34:
        value = As<34>(h)(self, PointOf(l));
        break;
    case 35:
        value = As<35>(h)(self);
        break;
    case 36:
        As<36>(h)(self, l);
        break;
    case 37:
        As<37>(h)(self, w, l);
        break;
    case 42:
        value = As<42>(h)(self, l);
        break;
    case 43:
        As<43>(h)(self, w, l);
        value = 1;
        break;
    case 44:
        As<44>(h)(self, WindowOf(l));
        break;
    case 45:
        value = As<45>(h)(self, WindowOf(l), l);
        break;
    case 46:
        value = As<46>(h)(self, LOWORD(w), HIWORD(w), LOWORD(l), HIWORD(l));
        return value != 0;
    case 47:
        As<47>(h)(self, w, l);
        break;
    case 48:
        As<48>(h)(self, LOWORD(w), HIWORD(w), l);
        break;
    case 49:
        As<49>(h)(self, w, PointOf(l));
        break;
    default:
        // Unknown codes call nothing and count as handled.
        break;
    }
    return TRUE;
}

} // namespace

LRESULT CWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!DispatchThroughMap(message, wParam, lParam, &result)) {
        result = CallDefaultProc(message, wParam, lParam);
    }
    return result;
}

BOOL CWnd::DispatchThroughMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    LRESULT value = 0;
    switch (message) {
    case WM_COMMAND:
        if (!HandleCommandMessage(wParam, lParam)) {
            return FALSE;
        }
        value = 1;
        if (result != nullptr) {
            *result = value;
        }
        return TRUE;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom == nullptr) {
            return FALSE;
        }
        if (!HandleNotifyMessage(wParam, lParam, &value)) {
            return FALSE;
        }
        if (result != nullptr) {
            *result = value;
        }
        return TRUE;
    }
    case WM_ACTIVATE:
        NotifyTopLevelActivation(this, wParam, WindowOf(static_cast<WPARAM>(lParam)));
        break;
    case WM_SETCURSOR:
        if (BringPopupForward(this, SignedLow(lParam), HIWORD(lParam))) {
            if (result != nullptr) {
                *result = 1;
            }
            return TRUE;
        }
        break;
    default:
        break;
    }

    const MessageMap* map = GetClassMessageMap();
    LookupCacheEntry& slot = lookupCache[(message ^ reinterpret_cast<UINT_PTR>(map)) & 0x1FF];
    const MessageMapEntry* entry;
    TakeGlobalLock(kLockMessageMapCache);
    if (slot.message == message && slot.map == map) {
        entry = slot.entry;
    } else {
        entry = FindInChain(map, message);
        slot.message = message;
        slot.map = map;
        slot.entry = entry;
    }
    ReleaseGlobalLock(kLockMessageMapCache);
    if (entry == nullptr) {
        return FALSE;
    }
    if (message >= 0xC000) {
        value = As<10>(entry->handler)(this, wParam, lParam);
    } else if (!CallBySignature(this, entry, wParam, lParam, value)) {
        return FALSE;
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
        if (GetThreadState()->lockoutNotifyWindow == windowHandle) {
            return TRUE;
        }
        if (ParentReflectToChild(control, nullptr)) {
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
    if (GetWindowTable(FALSE) == nullptr) {
        return FALSE;
    }
    if (CWnd* object = PermanentObjectFor(child)) {
        return object->ChildHandleCurrentMessage(result);
    }
    return FALSE;
}

BOOL CWnd::ChildHandleCurrentMessage(LRESULT* result) {
    const MSG& m = GetThreadState()->lastSentMessage;
    return ChildHandleReflected(m.message, m.wParam, m.lParam, result);
}

BOOL CWnd::ChildHandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return ChildDispatchReflected(message, wParam, lParam, result);
}

BOOL CWnd::ChildDispatchReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
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
        if (CCmdTarget::RouteCommand(0, static_cast<int>((0xBD11u << 16) | HIWORD(wParam)), nullptr,
                                     nullptr)) {
            if (result != nullptr) {
                *result = 1;
            }
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        NotifyPacket packet = {result, header};
        return CCmdTarget::RouteCommand(0, static_cast<int>((0xBC4Eu << 16) | LOWORD(header->code)),
                                        &packet, nullptr);
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
    if (popup != nullptr && popup != CWnd::ObjectFor(GetForegroundWindow()) &&
        IsWindowEnabled(popup->windowHandle)) {
        SetForegroundWindow(popup->windowHandle);
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
