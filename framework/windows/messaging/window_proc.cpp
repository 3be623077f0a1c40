#include "framework/windows/messaging/window_proc.h"

#include "framework/look3d/look3d_state.h"
#include "framework/runtime/exceptions.h"
#include "framework/runtime/state.h"
#include "framework/windows/messaging/win_app.h"
#include "framework/windows/messaging/window_utilities.h"
#include "framework/windows/messaging/dispatch.h"
#include "framework/windows/handles/handle_table.h"
#include "framework/windows/messaging/window.h"

namespace {

const char kOldProcProperty[] = "LumOldWndProc";

LRESULT ReportCallbackException(CException* e, const MSG* message) {
    LRESULT result = 0;
    if (CWinThread* thread = GetCurrentThreadObject()) {
        result = thread->HandleCallbackException(e, message);
    }
    e->Discard();
    return result;
}

// `bound`: the object is the one bound to the window on this thread. Only
// such an object carries the state while its handlers run: it lives until
// it is unbound, and unbinding clears the field. Inlined into the common
// procedure, which every message of every window passes through.
[[gnu::always_inline]] inline LRESULT DeliverToBound(ThreadState* state, CWnd* object, HWND window,
                                                     UINT message, WPARAM wParam, LPARAM lParam,
                                                     bool bound) {
    // Time and position are read when someone asks (CurrentMessage), so
    // only the four fields a delivery sets are kept and put back.
    MSG& current = state->lastSentMessage;
    const HWND savedWindow = current.hwnd;
    const UINT savedMessage = current.message;
    const WPARAM savedWParam = current.wParam;
    const LPARAM savedLParam = current.lParam;
    current.hwnd = window;
    current.message = message;
    current.wParam = wParam;
    current.lParam = lParam;
    ThreadState* savedDelivering = nullptr;
    if (bound) {
        savedDelivering = object->deliveringState;
        object->deliveringState = state;
    }
    LRESULT result;
    // No exception may unwind through the system's frames.
    try {
        if (message == WM_INITDIALOG) {
            InitPlacement before = RememberInitPlacement(window);
            result = object->HandleMessage(message, wParam, lParam);
            AutoCenterAfterInit(object, before);
        } else {
            result = object->HandleMessage(message, wParam, lParam);
        }
    } catch (CException* e) {
        result = ReportCallbackException(e, &current);
    }
    // The handler may have unbound the object and deleted it.
    if (bound && FindPermanentWindow(state, window) == object) {
        object->deliveringState = savedDelivering;
    }
    current.hwnd = savedWindow;
    current.message = savedMessage;
    current.wParam = savedWParam;
    current.lParam = savedLParam;
    return result;
}

} // namespace

LRESULT CALLBACK CommonWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LUM_WNDPROC_PROBE) {
        return 1;
    }
    // Fetched once per message and handed down.
    ThreadState* state = GetThreadState();
    CWnd* object = FindPermanentWindow(state, window);
    if (object == nullptr) {
        // Only reachable when someone else installed this procedure.
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return DeliverToBound(state, object, window, message, wParam, lParam, true);
}

WNDPROC GetCommonWindowProc() {
    return &CommonWindowProc;
}

LRESULT DeliverToObject(CWnd* object, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ThreadState* state = GetThreadState();
    return DeliverToBound(state, object, window, message, wParam, lParam,
                          FindPermanentWindow(state, window) == object);
}

void ArmCreationHook(CWnd* object) {
    ThreadState* state = GetThreadState();
    if (state->windowBeingCreated == object) {
        return;
    }
    if (state->cbtHook == nullptr) {
        state->cbtHook = SetWindowsHookExA(WH_CBT, &CreationHook, nullptr, GetCurrentThreadId());
        if (state->cbtHook == nullptr) {
            RaiseMemoryException();
        }
    }
    state->windowBeingCreated = object;
}

BOOL DisarmCreationHook() {
    ThreadState* state = GetThreadState();
    if (GetModuleState()->isLibrary != 0 && state->cbtHook != nullptr) {
        UnhookWindowsHookEx(state->cbtHook);
        state->cbtHook = nullptr;
    }
    if (state->windowBeingCreated != nullptr) {
        state->windowBeingCreated = nullptr;
        return FALSE;
    }
    return TRUE;
}

HWND CreateBoundWindow(CWnd* object, HWND (*create)(const void* request), const void* request) {
    ArmCreationHook(object);
    HWND window = create(request);
    // No window reached the hook: the object never had one, so its life as
    // a window ends here.
    if (!DisarmCreationHook()) {
        object->AfterFinalMessage();
    }
    return window;
}

namespace {

// Puts the common procedure on a new window, keeping the one it replaces as
// the object's super procedure. 3D look: when the system is older than
// version 4, the window may hand its controls and itself to the look's
// adopt-dialog entry; the look's procedure then sits below the common one.
void SubclassNewWindow(CWnd* object, HWND window, ModuleState* module) {
    WNDPROC* slot = object->SuperProcSlot();
    Look3dState* look = PeekLook3dState();
    LRESULT kinds = 0;
    if (!GetDisplayData().isVersion4 && module->isLibrary == 0 && look != nullptr &&
        look->adoptDialog != nullptr) {
        kinds = DeliverToObject(object, window, WM_LUM_QUERY3DCONTROLS, 0, 0);
    }
    if (kinds != 0) {
        bool common =
            reinterpret_cast<WNDPROC>(GetWindowLongA(window, GWL_WNDPROC)) == GetCommonWindowProc();
        look->adoptDialog(window, static_cast<DWORD>(kinds));
        if (!common) {
            *slot = reinterpret_cast<WNDPROC>(
                SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG>(GetCommonWindowProc())));
        }
    } else {
        auto previous = reinterpret_cast<WNDPROC>(
            SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG>(GetCommonWindowProc())));
        if (previous != GetCommonWindowProc()) {
            *slot = previous;
        }
    }
}

// The property asks the window server on every read; the activation
// procedure runs for every message of the window, so it looks here first.
void RememberForeignProc(ThreadState* state, HWND window, WNDPROC previous) {
    ForeignProcSlot* free = nullptr;
    for (ForeignProcSlot& slot : state->foreignProcs) {
        if (slot.window == window) {
            slot.previous = previous;
            return;
        }
        if (slot.window == nullptr && free == nullptr) {
            free = &slot;
        }
    }
    if (free != nullptr) {
        *free = {window, previous};
    }
}

void ForgetForeignProc(ThreadState* state, HWND window) {
    for (ForeignProcSlot& slot : state->foreignProcs) {
        if (slot.window == window) {
            slot = {nullptr, nullptr};
        }
    }
}

WNDPROC ForeignProcOf(const ThreadState* state, HWND window) {
    for (const ForeignProcSlot& slot : state->foreignProcs) {
        if (slot.window == window) {
            return slot.previous;
        }
    }
    return reinterpret_cast<WNDPROC>(GetPropA(window, kOldProcProperty));
}

// A top-level window made by someone else on this thread (a message box, a
// system dialog): its activation is watched too.
void WatchForeignTopLevel(ThreadState* state, HWND window) {
    auto proc = reinterpret_cast<HANDLE>(GetWindowLongA(window, GWL_WNDPROC));
    if (proc != nullptr) {
        SetPropA(window, kOldProcProperty, proc);
        if (GetPropA(window, kOldProcProperty) == proc) {
            RememberForeignProc(state, window, reinterpret_cast<WNDPROC>(proc));
            SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG>(&ActivationWindowProc));
        }
    }
}

} // namespace

LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    ThreadState* state = GetThreadState();
    if (code != HCBT_CREATEWND) {
        return CallNextHookEx(state->cbtHook, code, wParam, lParam);
    }
    auto window = reinterpret_cast<HWND>(wParam);
    auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
    CWnd* object = state->windowBeingCreated;
    ModuleState* module = GetModuleState();
    bool child = (create->lpcs->style & WS_CHILD) != 0;
    // The hook runs inside the system's window creation: nothing may unwind.
    try {
        if (object != nullptr) {
            object->Bind(window);
            object->BeforeSubclass();
            SubclassNewWindow(object, window, module);
            state->windowBeingCreated = nullptr;
        } else if (!child && module->isLibrary == 0) {
            WatchForeignTopLevel(state, window);
        }
    } catch (CException* e) {
        // Binding ran out of memory: the window goes on unbound, and the
        // creator learns it from DisarmCreationHook.
        e->Discard();
    }
    LRESULT result = CallNextHookEx(state->cbtHook, HCBT_CREATEWND, wParam, lParam);
    if (module->isLibrary != 0 && state->cbtHook != nullptr) {
        UnhookWindowsHookEx(state->cbtHook);
        state->cbtHook = nullptr;
    }
    return result;
}

LRESULT CALLBACK ActivationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ThreadState* state = GetThreadState();
    WNDPROC previous = ForeignProcOf(state, window);
    LRESULT result = 0;
    bool callPrevious = true;
    try {
        switch (message) {
        case WM_ACTIVATE:
            NotifyTopLevelActivation(CWnd::ObjectFor(window), wParam,
                                     CWnd::ObjectFor(reinterpret_cast<HWND>(lParam)));
            break;
        case WM_SETCURSOR:
            callPrevious = !BringPopupForward(CWnd::ObjectFor(window),
                                              static_cast<SHORT>(LOWORD(lParam)), HIWORD(lParam));
            break;
        case WM_NCDESTROY:
            SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG>(previous));
            RemovePropA(window, kOldProcProperty);
            ForgetForeignProc(state, window);
            break;
        case WM_INITDIALOG: {
            InitPlacement before = RememberInitPlacement(window);
            if (previous != nullptr) {
                result = CallWindowProcA(previous, window, message, wParam, lParam);
            }
            AutoCenterAfterInit(CWnd::ObjectFor(window), before);
            callPrevious = false;
            break;
        }
        default:
            break;
        }
        if (callPrevious && previous != nullptr) {
            result = CallWindowProcA(previous, window, message, wParam, lParam);
        }
    } catch (CException* e) {
        MSG record = {window, message, wParam, lParam, 0, {0, 0}};
        result = ReportCallbackException(e, &record);
    }
    return result;
}

LRESULT DefaultForCurrentMessage() {
    const MSG& m = GetThreadState()->lastSentMessage;
    CWnd* object = CWnd::ObjectFor(m.hwnd);
    if (object == nullptr) {
        return 0;
    }
    return object->CallDefaultProc(m.message, m.wParam, m.lParam);
}

const MSG* CurrentMessage() {
    MSG& m = GetThreadState()->lastSentMessage;
    m.time = static_cast<DWORD>(GetMessageTime());
    DWORD pos = GetMessagePos();
    m.pt.x = static_cast<SHORT>(LOWORD(pos));
    m.pt.y = static_cast<SHORT>(HIWORD(pos));
    return &m;
}

BOOL ChangeStyleBits(HWND window, int index, DWORD remove, DWORD add, UINT positioning) {
    DWORD old = static_cast<DWORD>(GetWindowLongA(window, index));
    DWORD now = (old & ~remove) | add;
    if (now == old) {
        return FALSE;
    }
    SetWindowLongA(window, index, static_cast<LONG>(now));
    if (positioning != 0) {
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     positioning | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return TRUE;
}
