#include "framework/windows/messaging/win_thread.h"

#include <commctrl.h>
#include "framework/runtime/exceptions.h"
#include "framework/runtime/state.h"
#include "framework/windows/messaging/win_app.h"
#include "framework/windows/handles/handle_table.h"
#include "framework/windows/messaging/window.h"
#include "framework/windows/messaging/window_proc.h"

LUM_IMPLEMENT_CLASS(CWinThread, CCmdTarget)

CWinThread::CWinThread() {
    GetCursorPos(&lastCursorPos);
}

CWinThread::~CWinThread() {
    if (threadHandle != nullptr) {
        CloseHandle(threadHandle);
    }
    ModuleThreadState* state = GetModuleThreadState();
    if (state->currentThread == this) {
        state->currentThread = nullptr;
    }
}

BOOL CWinThread::StartInstance() {
    return FALSE;
}

int CWinThread::RunLoop() {
    BOOL idle = TRUE;
    LONG count = 0;
    for (;;) {
        while (idle && !PeekMessageA(&currentMessage, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!IdleStep(count++)) {
                idle = FALSE;
            }
        }
        do {
            if (!PumpOneMessage()) {
                return FinishInstance();
            }
            if (RestartsIdle(&currentMessage)) {
                idle = TRUE;
                count = 0;
            }
        } while (PeekMessageA(&currentMessage, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinThread::PumpOneMessage() {
    if (!GetMessageA(&currentMessage, nullptr, 0, 0)) {
        return FALSE;
    }
    // The idle kick only wakes the loop; nobody handles it.
    if (currentMessage.message != WM_LUM_KICKIDLE && !FilterMessage(&currentMessage)) {
        TranslateMessage(&currentMessage);
        DispatchMessageA(&currentMessage);
    }
    return TRUE;
}

BOOL CWinThread::RestartsIdle(const MSG* message) {
    switch (message->message) {
    case WM_PAINT:
    case kSystemTimerMessage:
        return FALSE;
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
        if (message->pt.x == lastCursorPos.x && message->pt.y == lastCursorPos.y &&
            message->message == lastMouseMessage) {
            return FALSE;
        }
        lastCursorPos = message->pt;
        lastMouseMessage = message->message;
        return TRUE;
    default:
        return TRUE;
    }
}

BOOL CWinThread::IdleStep(LONG count) {
    if (count <= 0) {
        if (mainWindow != nullptr && mainWindow->windowHandle != nullptr &&
            IsWindowVisible(mainWindow->windowHandle)) {
            DeliverToObject(mainWindow, mainWindow->windowHandle, WM_LUM_IDLEUPDATECMDUI, TRUE, 0);
            CWnd::SendToDescendants(mainWindow->windowHandle, WM_LUM_IDLEUPDATECMDUI, TRUE, 0, TRUE,
                                    TRUE);
        }
        // Frame windows would be refreshed here; this program has none.
    } else if (GetModuleThreadState()->temporaryHoldCount == 0) {
        LockTemporaryMaps();
        UnlockTemporaryMaps(TRUE);
    }
    return count < 0;
}

int CWinThread::FinishInstance() {
    return static_cast<int>(currentMessage.wParam);
}

LRESULT CWinThread::HandleCallbackException(CException*, const MSG* message) {
    if (message->message == WM_CREATE) {
        return -1;
    }
    if (message->message == WM_PAINT) {
        ValidateRect(message->hwnd, nullptr);
    }
    return 0;
}

namespace {

// Dormant: no window of this program makes the thread's tool-tip control.
// A key or a click puts away a tip that is showing.
void CancelToolTips(BOOL keys) {
    ThreadState* state = GetThreadState();
    if (state->toolTip != nullptr && state->toolTip->windowHandle != nullptr) {
        SendMessageA(state->toolTip->windowHandle, TTM_ACTIVATE, FALSE, 0);
    }
    // With keys, a frame's fly-by status bar would get its idle text back;
    // frame windows and their status bars are not built here.
    (void)keys;
}

// The keyboard messages up to WM_SYSDEADCHAR and the one after it, as the
// pre-translation of dialog-box messages takes them.
bool IsKeyMessage(UINT message) {
    return message >= WM_KEYFIRST && message <= kLastKeyMessage;
}

bool IsButtonPress(UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
        return true;
    default:
        return false;
    }
}

} // namespace

BOOL CWinThread::FilterMessage(MSG* message) {
    if (message->hwnd == nullptr && DispatchThreadMessage(message)) {
        return TRUE;
    }
    if (IsKeyMessage(message->message)) {
        CancelToolTips(TRUE);
    } else if (IsButtonPress(message->message)) {
        CancelToolTips(FALSE);
    }
    CWnd* main = GetMainWindow();
    HWND stop = main != nullptr ? main->windowHandle : nullptr;
    for (HWND h = message->hwnd; h != nullptr; h = GetParent(h)) {
        if (CWnd* w = CWnd::PermanentObjectFor(h)) {
            if (w->PreviewMessage(message)) {
                return TRUE;
            }
        }
        if (h == stop) {
            break;
        }
    }
    if (main != nullptr) {
        CWnd* target = CWnd::ObjectFor(message->hwnd);
        CWnd* top = target != nullptr ? target->TopLevelParent() : nullptr;
        if (top != main) {
            return main->PreviewMessage(message);
        }
    }
    return FALSE;
}

BOOL CWinThread::DispatchThreadMessage(const MSG* message) {
    for (const MessageMap* map = GetClassMessageMap(); map != nullptr; map = map->base) {
        if (message->message >= kFirstRegisteredMessage) {
            if (const MessageMapEntry* e = LookUpRegisteredEntry(map->entries, message->message)) {
                LumForm::LresultWParamLParam::ThunkOf(e->handler)(this, message->wParam,
                                                                  message->lParam);
                return TRUE;
            }
        } else if (const MessageMapEntry* e =
                       LookUpMapEntry(map->entries, message->message, 0, 0)) {
            if (mapform::CallThreadHandler(LumForm::ThreadForms{}, e->signature, this, e->handler,
                                           message->wParam, message->lParam)) {
                return TRUE;
            }
        }
    }
    return FALSE;
}

BOOL CWinThread::FilterHookMessage(int code, MSG* message) {
    if (message == nullptr) {
        return FALSE;
    }
    if (code != MSGF_DIALOGBOX && code != MSGF_MENU) {
        return FALSE;
    }
    // A frame window in help mode would take the menu's Enter or click here;
    // this framework's frame windows have no help mode.
    if (GetDisplayData().windowsVersion < 0x0333 && mainWindow != nullptr && IsHelpKey(message)) {
        if (CWnd* main = GetMainWindow()) {
            SendMessageA(main->windowHandle, WM_COMMAND, ID_HELP_COMMAND, 0);
        }
        return TRUE;
    }
    if (code == MSGF_DIALOGBOX && activeWindow != nullptr && IsKeyMessage(message->message)) {
        ThreadState* state = GetThreadState();
        if (state->inMessageFilter) {
            return FALSE;
        }
        state->inMessageFilter = TRUE;
        MSG copy = *message;
        BOOL handled = FALSE;
        try {
            handled = IsWindowEnabled(activeWindow->windowHandle) && FilterMessage(&copy);
        } catch (...) {
            state->inMessageFilter = FALSE;
            throw;
        }
        state->inMessageFilter = FALSE;
        if (handled) {
            return TRUE;
        }
    }
    return FALSE;
}

CWnd* CWinThread::MainWindowForUi() {
    if (activeWindow != nullptr) {
        return activeWindow;
    }
    if (mainWindow != nullptr) {
        return mainWindow;
    }
    return CWnd::ObjectFor(GetActiveWindow());
}

void CWinThread::DeleteIfAutomatic() {
    if (autoDelete) {
        delete this;
    }
}

BOOL IsHelpKey(const MSG* message) {
    return message->message == WM_KEYDOWN && message->wParam == VK_F1 &&
           (message->lParam & (1L << 30)) == 0 && GetKeyState(VK_SHIFT) >= 0 &&
           GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
}

LRESULT CALLBACK MessageFilterHook(int code, WPARAM wParam, LPARAM lParam) {
    CWinThread* thread = GetCurrentThreadObject();
    if (GetModuleState()->isLibrary == 0 && (code >= 0 || code == MSGF_DDEMGR) &&
        thread != nullptr) {
        // The hook runs inside the system's modal loops: nothing may unwind
        // through them.
        try {
            return thread->FilterHookMessage(code, reinterpret_cast<MSG*>(lParam));
        } catch (CException* e) {
            e->Discard();
            return FALSE;
        }
    }
    return CallNextHookEx(GetThreadState()->messageFilterHook, code, wParam, lParam);
}

void LockTemporaryMaps() {
    ++GetModuleThreadState()->temporaryHoldCount;
}

BOOL UnlockTemporaryMaps(BOOL deleteTemporaries) {
    ModuleThreadState* state = GetModuleThreadState();
    if (state->temporaryHoldCount == 0) {
        return FALSE;
    }
    if (--state->temporaryHoldCount > 0) {
        return TRUE;
    }
    if (deleteTemporaries) {
        DeleteAllTemporaries();
    }
    RefillSafetyPool();
    return FALSE;
}
