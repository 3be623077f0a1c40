// F1 to the help engine: the help request becomes the application's help
// command, which asks the windows in turn for their help context.
#include "framework/runtime/message_box.h"
#include "framework/runtime/state.h"
#include "framework/windows/messaging/win_app.h"
#include "framework/windows/messaging/window.h"
#include "framework/windows/messaging/window_proc.h"

namespace {

constexpr DWORD kFailedHelpPrompt = kPromptHelpContextBase + IDS_HELP_FAILED;

bool ModifierHeld() {
    return GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
}

// Asks `window` and then its parents and owners; TRUE at the first answer.
bool AskUpwards(HWND window) {
    for (HWND w = window; w != nullptr; w = CWnd::ParentOrOwnerHandle(w)) {
        if (SendMessageA(w, WM_LUM_COMMAND_HELP, 0, 0) != 0) {
            return true;
        }
    }
    return false;
}

// Ends any wait cursor on every way out, exceptions included.
class WaitCursorScope {
public:
    explicit WaitCursorScope(CWinApp* app) : app(app) {
        if (app != nullptr) {
            app->ShowWaitCursor(1);
        }
    }
    ~WaitCursorScope() {
        if (app != nullptr) {
            app->ShowWaitCursor(-1);
        }
    }
    WaitCursorScope(const WaitCursorScope&) = delete;
    WaitCursorScope& operator=(const WaitCursorScope&) = delete;

private:
    CWinApp* app;
};

void CancelModes(HWND window) {
    SendMessageA(window, WM_CANCELMODE, 0, 0);
    CWnd::SendToDescendants(window, WM_CANCELMODE, 0, 0, TRUE, TRUE);
}

} // namespace

LRESULT CWnd::HandleHelpRequest(HELPINFO*) {
    CWnd* main = GetMainWindow();
    // A child's request travels to its parent through default processing.
    if ((ReadStyle() & WS_CHILD) != 0 || main == nullptr || ModifierHeld()) {
        return DefaultForCurrentMessage();
    }
    SendMessageA(main->windowHandle, WM_COMMAND, ID_HELP_COMMAND, 0);
    return TRUE;
}

void CWnd::RequestContextHelp() {
    if (AskUpwards(GetCapture()) || AskUpwards(GetFocus())) {
        return;
    }
    CWnd* top = TopLevelParent();
    if (top != nullptr && AskUpwards(GetLastActivePopup(top->windowHandle))) {
        return;
    }
    SendMessageA(windowHandle, WM_COMMAND, ID_DEFAULT_HELP_COMMAND, 0);
}

void CWnd::CallHelpEngine(DWORD data, UINT command) {
    CWinApp* app = GetApplication();
    WaitCursorScope waiting(app);
    // Frame windows would leave help mode here; this framework makes none.
    CancelModes(windowHandle);
    CWnd* top = TopLevelParent();
    HWND topHandle = top != nullptr ? top->windowHandle : windowHandle;
    CancelModes(topHandle);
    if (HWND capture = GetCapture()) {
        SendMessageA(capture, WM_CANCELMODE, 0, 0);
    }
    if (!WinHelpA(topHandle, app != nullptr ? app->helpFilePath : nullptr, command, data)) {
        MessageBoxById(IDS_HELP_FAILED, MB_OK, static_cast<UINT>(-1));
    }
}

void CWinApp::HandleHelpCommand() {
    if (promptContext != 0) {
        // F1 in the box that reports a failed start must not try again.
        if (promptContext != kFailedHelpPrompt) {
            ShowHelp(promptContext, HELP_CONTEXT);
        }
        return;
    }
    CWnd* main = GetMainWindow();
    // A frame window would run its own help handler; none exist here.
    if (main != nullptr && !main->IsFrameWindow()) {
        main->RequestContextHelp();
    }
}

void CWinApp::ShowHelp(DWORD data, UINT command) {
    CWnd* main = GetMainWindow();
    helpMode = FALSE;
    if (main == nullptr) {
        return;
    }
    PostMessageA(main->windowHandle, WM_LUM_KICKIDLE, 0, 0);
    main->CallHelpEngine(data, command);
}
