// Reaching the application object and this thread's object from windows
// and dialogs: what they are is declared with them, what they do is the
// application room's.
#include "framework/runtime/state.h"
#include "framework/windows/messaging/win_app.h"
#include "framework/windows/messaging/win_thread.h"

CWinApp* GetApplication() {
    return GetModuleState()->currentApp;
}

CWinThread* GetCurrentThreadObject() {
    CWinThread* thread = GetModuleThreadState()->currentThread;
    return thread != nullptr ? thread : GetApplication();
}

CWnd* GetMainWindow() {
    CWinThread* thread = GetCurrentThreadObject();
    return thread != nullptr ? thread->MainWindowForUi() : nullptr;
}

void PostQuit(int exitCode) {
    PostQuitMessage(exitCode);
}
