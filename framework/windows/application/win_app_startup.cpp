// Start-up and shut-down of the framework around the application object:
// the program's main, the framework's and each thread's initialisation, and
// what runs at the end.
#include "framework/windows/messaging/win_app.h"

#include "framework/look3d/look3d_state.h"

#include "framework/runtime/global_locks.h"
#include "framework/runtime/state.h"
#include "framework/runtime/system_function.h"
#include "framework/windows/messaging/window.h"

int FrameworkMain(HINSTANCE instance, HINSTANCE previous, LPSTR tail, int show) {
    int result = -1;
    CWinThread* thread = GetCurrentThreadObject();
    CWinApp* app = GetApplication();
    if (thread != nullptr && InitializeFramework(instance, previous, tail, show) &&
        (app == nullptr || app->StartApplication())) {
        if (thread->StartInstance()) {
            result = thread->RunLoop();
        } else {
            if (thread->mainWindow != nullptr) {
                thread->mainWindow->DestroyHandle();
            }
            result = thread->FinishInstance();
        }
    }
    TerminateFramework();
    return result;
}

BOOL InitializeFramework(HINSTANCE instance, HINSTANCE previous, LPSTR tail, int show) {
    SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    ModuleState* module = GetModuleState();
    module->instanceHandle = instance;
    module->resourceHandle = instance;
    if (CWinApp* app = GetApplication()) {
        app->instance = instance;
        app->previousInstance = previous;
        app->commandLine = tail;
        app->showCommand = show;
        app->DeriveNamesAndPaths();
    }
    if (module->isLibrary == 0) {
        InitializeThread();
    }
    return TRUE;
}

void InitializeThread() {
    if (GetModuleState()->isLibrary != 0) {
        return;
    }
    ThreadState* state = GetThreadState();
    if (state->messageFilterHook == nullptr) {
        state->messageFilterHook =
            SetWindowsHookExA(WH_MSGFILTER, &MessageFilterHook, nullptr, GetCurrentThreadId());
    }
    Look3dThreadStarted();
}

void DeclareDpiAware() {
    using DeclareCall = BOOL(WINAPI*)();
    if (auto declare = SystemFunction<DeclareCall>("USER32.DLL", "SetProcessDPIAware")) {
        declare();
    }
}

void TerminateFramework() {
    ModuleState* module = GetModuleState();
    {
        CriticalSectionLock guard(GlobalLockSection(kLockWindowClasses));
        char* name = module->unregisterList;
        while (*name != '\0') {
            char* end = strchr(name, '\n');
            if (end == nullptr) {
                break;
            }
            *end = '\0';
            UnregisterClassA(name, module->instanceHandle);
            name = end + 1;
        }
        module->unregisterList[0] = '\0';
    }
    ThreadState* state = GetThreadState();
    // Dormant: nothing here makes the thread's tool-tip control.
    if (state->toolTip != nullptr) {
        if (state->toolTip->windowHandle != nullptr) {
            DestroyWindow(state->toolTip->windowHandle);
        }
        delete state->toolTip;
        state->toolTip = nullptr;
    }
    if (module->isLibrary == 0) {
        if (state->messageFilterHook != nullptr) {
            UnhookWindowsHookEx(state->messageFilterHook);
            state->messageFilterHook = nullptr;
        }
        if (state->cbtHook != nullptr) {
            UnhookWindowsHookEx(state->cbtHook);
            state->cbtHook = nullptr;
        }
    }
}
