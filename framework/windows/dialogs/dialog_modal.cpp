// The modal run of a dialog: choosing and disabling its owner, making the
// window from the template through the creation hook, the loop over the
// thread's pump, and its end.
#include "framework/windows/dialogs/dialog.h"

#include "framework/runtime/exceptions.h"
#include "framework/runtime/state.h"
#include "framework/runtime/system_function.h"
#include "framework/windows/dialogs/dialog_template.h"
#include "framework/windows/messaging/win_app.h"
#include "framework/windows/messaging/window_class.h"
#include "framework/windows/messaging/window_proc.h"

namespace {

struct DialogRequest {
    HINSTANCE instance;
    const DLGTEMPLATE* dialogTemplate;
    HWND parent;
};

HWND CreateDialogFor(const void* request) {
    const auto& r = *static_cast<const DialogRequest*>(request);
    return CreateDialogIndirectParamA(r.instance, r.dialogTemplate, r.parent, &FrameworkDlgProc, 0);
}

} // namespace

int CDialog::RunModal() {
    const DLGTEMPLATE* dialogTemplate = LocateTemplate(&templateHandle);
    if (dialogTemplate == nullptr) {
        return -1;
    }
    HINSTANCE instance = GetModuleState()->resourceHandle;
    HWND owner = PrepareModal();
    bool ownerDisabled = false;
    if (owner != nullptr && ::IsWindowEnabled(owner)) {
        ::EnableWindow(owner, FALSE);
        ownerDisabled = true;
    }
    try {
        if (CreateFromTemplate(dialogTemplate, ObjectFor(owner), instance) &&
            (stateFlags & WND_CONTINUE_MODAL) != 0) {
            UINT flags = MODAL_SHOW_WHEN_IDLE;
            if ((ReadStyle() & DS_NOIDLEMSG) != 0) {
                flags |= MODAL_QUIET_OWNER;
            }
            ModalLoop(flags);
        }
        if (windowHandle != nullptr) {
            ::SetWindowPos(windowHandle, nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE |
                               SWP_NOSIZE);
        }
    } catch (CException* e) {
        e->Discard();
        modalResult = -1;
    }
    // The owner takes activation back before the dialog goes, so that it
    // does not pass to another application.
    if (ownerDisabled) {
        ::EnableWindow(owner, TRUE);
    }
    if (owner != nullptr && windowHandle != nullptr && GetActiveWindow() == windowHandle) {
        SetActiveWindow(owner);
    }
    DestroyHandle();
    FinishModal();
    return modalResult;
}

HWND CDialog::PrepareModal() {
    if (CWinApp* app = GetApplication()) {
        app->SetModelessEnabled(FALSE);
    }
    CWnd* owner = ChooseModalOwner(parent, &disabledTopLevel);
    return owner != nullptr ? owner->windowHandle : nullptr;
}

void CDialog::FinishModal() {
    Unbind();
    if (disabledTopLevel != nullptr && IsWindow(disabledTopLevel)) {
        ::EnableWindow(disabledTopLevel, TRUE);
    }
    disabledTopLevel = nullptr;
    if (CWinApp* app = GetApplication()) {
        app->SetModelessEnabled(TRUE);
    }
}

CWnd* ChooseModalOwner(CWnd* parent, HWND* disabledTopLevel) {
    HWND h = parent != nullptr ? parent->windowHandle : nullptr;
    if (h == nullptr) {
        if (CWnd* main = GetMainWindow()) {
            h = main->windowHandle;
        }
    }
    while (h != nullptr && (GetWindowLongA(h, GWL_STYLE) & WS_CHILD) != 0) {
        h = GetParent(h);
    }
    HWND top = h;
    for (HWND up = top != nullptr ? GetParent(top) : nullptr; up != nullptr; up = GetParent(up)) {
        top = up;
    }
    if (parent == nullptr && h != nullptr) {
        h = GetLastActivePopup(h);
    }
    if (disabledTopLevel != nullptr) {
        if (top != nullptr && ::IsWindowEnabled(top) && top != h) {
            *disabledTopLevel = top;
            ::EnableWindow(top, FALSE);
        } else {
            *disabledTopLevel = nullptr;
        }
    }
    return CWnd::ObjectFor(h);
}

BOOL CDialog::CreateFromTemplate(const DLGTEMPLATE* dialogTemplate, CWnd* parentWindow,
                                 HINSTANCE instance) {
    ModuleState* module = GetModuleState();
    if (instance == nullptr) {
        instance = module->instanceHandle;
    }
    if ((module->registeredClasses & kClassCommonControls) == 0) {
        RegisterStandardClasses(kClassCommonControls);
    }
    if (dialogTemplate == nullptr) {
        return FALSE;
    }
    HGLOBAL copyBlock = nullptr;
    HWND window = nullptr;
    try {
        WORD pointSize = 0;
        const bool classic = RunsOnWin32s() && IsExtendedTemplate(dialogTemplate);
        const bool systemFont = NeedsSystemFont(dialogTemplate, &pointSize) != FALSE;
        if (classic || systemFont) {
            CTemplateCopy copy(dialogTemplate);
            if (classic) {
                copy.MakeClassic();
            }
            if (systemFont) {
                copy.UseSystemFont(pointSize);
            }
            copyBlock = copy.ReleaseHandle();
            if (copyBlock != nullptr) {
                dialogTemplate = static_cast<const DLGTEMPLATE*>(GlobalLock(copyBlock));
            }
        }
        modalResult = -1;
        stateFlags |= WND_CONTINUE_MODAL;
        const DialogRequest request = {instance, dialogTemplate,
                                       parentWindow != nullptr ? parentWindow->windowHandle
                                                               : nullptr};
        window = CreateBoundWindow(this, &CreateDialogFor, &request);
    } catch (CException* e) {
        e->Discard();
        modalResult = -1;
    }
    // A window the hook could not bind (no memory) would never see its
    // OK or Cancel: a loop over it could not end.
    if (window != nullptr && windowHandle != window) {
        DestroyWindow(window);
        window = nullptr;
        modalResult = -1;
    }
    // Ended during WM_INITDIALOG: the window is of no further use.
    if (window != nullptr && (stateFlags & WND_CONTINUE_MODAL) == 0) {
        DestroyWindow(window);
        window = nullptr;
    }
    if (copyBlock != nullptr) {
        GlobalUnlock(copyBlock);
        GlobalFree(copyBlock);
    }
    return window != nullptr;
}

int CDialog::ModalLoop(UINT flags) {
    CWinThread* thread = GetCurrentThreadObject();
    if (thread == nullptr) {
        return -1;
    }
    bool showWhenIdle = (flags & MODAL_SHOW_WHEN_IDLE) != 0 && (ReadStyle() & WS_VISIBLE) == 0;
    bool idle = true;
    LONG idleCount = 0;
    HWND owner = ::GetParent(windowHandle);
    stateFlags |= WND_IN_MODAL_LOOP | WND_CONTINUE_MODAL;
    // The thread's own record: the last message retrieved stays there.
    MSG* record = &thread->currentMessage;
    auto showNow = [&] {
        ShowWindow(SW_SHOWNORMAL);
        UpdateWindow(windowHandle);
        showWhenIdle = false;
    };
    for (;;) {
        while (idle && !PeekMessageA(record, nullptr, 0, 0, PM_NOREMOVE)) {
            if (showWhenIdle) {
                showNow();
            }
            if ((flags & MODAL_QUIET_OWNER) == 0 && owner != nullptr && idleCount == 0) {
                SendMessageA(owner, WM_ENTERIDLE, MSGF_DIALOGBOX,
                             reinterpret_cast<LPARAM>(windowHandle));
            }
            if ((flags & MODAL_NO_IDLE_KICK) != 0) {
                idle = false;
            } else if (SendMessageA(windowHandle, WM_LUM_KICKIDLE, 0, idleCount++) == 0) {
                idle = false;
            }
        }
        do {
            if (!thread->PumpOneMessage()) {
                PostQuit(0);
                return -1;
            }
            if (showWhenIdle &&
                (record->message == kSystemTimerMessage || record->message == WM_SYSKEYDOWN)) {
                showNow();
            }
            if (!IsModalContinuing()) {
                stateFlags &= ~(WND_IN_MODAL_LOOP | WND_CONTINUE_MODAL);
                // Ended from a nested loop, this loop retrieved only the
                // wake-up since; the record keeps the message that ended it.
                *record = endingMessage;
                return modalResult;
            }
            if (thread->RestartsIdle(record)) {
                idle = true;
                idleCount = 0;
            }
        } while (PeekMessageA(record, nullptr, 0, 0, PM_NOREMOVE));
    }
}

void CDialog::EndModalWith(int result) {
    CWinThread* thread = GetCurrentThreadObject();
    if (IsModalContinuing() && thread != nullptr) {
        endingMessage = thread->currentMessage;
    }
    CWnd::EndModalWith(result);
}

void CDialog::CloseDialog(int result) {
    if ((stateFlags & (WND_IN_MODAL_LOOP | WND_CONTINUE_MODAL)) != 0) {
        EndModalWith(result);
    }
    EndDialog(windowHandle, result);
}
