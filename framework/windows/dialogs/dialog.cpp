#include "framework/windows/dialogs/dialog.h"

#include "framework/runtime/exceptions.h"
#include "framework/runtime/state.h"
#include "framework/runtime/system_function.h"
#include "framework/windows/messaging/win_app.h"
#include "framework/windows/handles/dc.h"
#include "framework/windows/dialogs/dialog_template.h"
#include "framework/windows/messaging/dispatch.h"
#include "framework/windows/handles/gdi_object.h"
#include "framework/windows/messaging/window_class.h"
#include "framework/windows/messaging/window_proc.h"
#include "framework/windows/messaging/window_utilities.h"

LUM_IMPLEMENT_CLASS(CDialog, CWnd)

namespace {

// The dialog's keys end where Windows 95 ends them, before WM_UNICHAR.
static_assert(WM_KEYLAST == kLastKeyMessage, "the key messages before WM_UNICHAR");

HGLOBAL LoadTemplateResource(HINSTANCE instance, const char* name) {
    HRSRC found = FindResourceA(instance, name, reinterpret_cast<LPCSTR>(RT_DIALOG));
    return found != nullptr ? LoadResource(instance, found) : nullptr;
}

bool HasHelpHandler(CCmdTarget* target) {
    CommandHandlerInfo info = {};
    return target != nullptr && target->RouteCommand(ID_HELP_COMMAND, 0, nullptr, &info);
}

} // namespace

LUM_BEGIN_MESSAGE_MAP(CDialog, CWnd)
LUM_ON_WM_LUM_CTLCOLOR(HandleDialogColor)
LUM_ON_COMMAND(IDOK, HandleOk)
LUM_ON_COMMAND(IDCANCEL, HandleCancel)
LUM_ON_MESSAGE(WM_LUM_COMMAND_HELP, LumForm::LresultWParamLParam, HandleCommandHelp)
LUM_ON_MESSAGE(WM_LUM_HELP_HIT_TEST, LumForm::LresultWParamLParam, HandleHelpHitTest)
LUM_ON_MESSAGE(WM_LUM_QUERY3DCONTROLS, LumForm::LresultWParamLParam, HandleQuery3dControls)
LUM_ON_WM_INITDIALOG(HandleInitDialog)
LUM_ON_WM_SETFONT(HandleSetFont)
LUM_END_MESSAGE_MAP(CDialog, CWnd)

CDialog::CDialog(UINT templateId, CWnd* parent)
    : helpId(templateId), templateName(MAKEINTRESOURCEA(LOWORD(templateId))), parent(parent) {}

CDialog::~CDialog() {
    if (windowHandle != nullptr) {
        CWnd::DestroyHandle();
    }
}

const DLGTEMPLATE* CDialog::LocateTemplate(HGLOBAL* handle) const {
    *handle = templateHandle;
    if (templateName != nullptr) {
        *handle = LoadTemplateResource(GetModuleState()->resourceHandle, templateName);
    }
    if (*handle != nullptr) {
        return static_cast<const DLGTEMPLATE*>(LockResource(*handle));
    }
    return templatePointer;
}

void CDialog::HandleOk() {
    if (TransferData(TRUE)) {
        CloseDialog(IDOK);
    }
}

void CDialog::HandleCancel() {
    CloseDialog(IDCANCEL);
}

BOOL CDialog::TransferData(BOOL saveAndValidate) {
    CExchangeContext context = {saveAndValidate, this, nullptr};
    ThreadState* state = GetThreadState();
    HWND savedLockout = state->lockoutNotifyWindow;
    // Controls changed by the exchange must not notify the dialog back.
    state->lockoutNotifyWindow = windowHandle;
    BOOL ok = TRUE;
    try {
        ExchangeDialogData(&context);
    } catch (CException* e) {
        // A user exception means the user has been told already.
        if (!e->IsOfKind(LUM_RUNTIME_CLASS(CUserException))) {
            e->ShowErrorBox(MB_ICONEXCLAMATION, IDS_INTERNAL_ERROR);
        }
        e->Discard();
        ok = FALSE;
    }
    state->lockoutNotifyWindow = savedLockout;
    return ok;
}

BOOL CDialog::InitializeDialog() {
    BOOL applied =
        initData != nullptr ? ApplyDialogInitData(initData) : ApplyDialogInitData(templateName);
    if (!applied || !TransferData(FALSE)) {
        CloseDialog(-1);
        return FALSE;
    }
    if (HWND help = ::GetDlgItem(windowHandle, ID_HELP_COMMAND)) {
        CWinApp* app = GetApplication();
        bool available = app != nullptr && (HasHelpHandler(GetMainWindow()) || HasHelpHandler(app));
        ::ShowWindow(help, available ? SW_SHOW : SW_HIDE);
    }
    return TRUE;
}

LRESULT CDialog::HandleInitDialog(HWND, LPARAM) {
    BeforeDialogInit();
    // The system dialog procedure calls FrameworkDlgProc, which initializes.
    return DefaultForCurrentMessage();
}

LRESULT CDialog::HandleSetFont(HFONT font, BOOL) {
    FontAssigned(CGdiObject::ObjectFor(font));
    return DefaultForCurrentMessage();
}

LRESULT CDialog::HandleQuery3dControls(WPARAM, LPARAM) {
    return 0xFFFF;
}

LRESULT CDialog::HandleCommandHelp(WPARAM, LPARAM lParam) {
    DWORD context = static_cast<DWORD>(lParam);
    if (context == 0 && helpId != 0) {
        context = kDialogHelpContextBase + helpId;
    }
    if (context == 0) {
        return 0;
    }
    if (CWinApp* app = GetApplication()) {
        app->ShowHelp(context, HELP_CONTEXT);
    }
    return 1;
}

LRESULT CDialog::HandleHelpHitTest(WPARAM, LPARAM) {
    return helpId != 0 ? kDialogHelpContextBase + helpId : 0;
}

HBRUSH CDialog::HandleDialogColor(CDC* dc, CWnd* control, UINT type) {
    LRESULT value = 0;
    if (control != nullptr && control->NotifyWithCurrentMessage(&value)) {
        return reinterpret_cast<HBRUSH>(value);
    }
    WindowState* colors = GetWindowState();
    if (PaintDialogColors(dc != nullptr ? dc->outputHandle : nullptr,
                          control != nullptr ? control->windowHandle : nullptr, type,
                          colors->dialogBrush, colors->dialogTextColor)) {
        return colors->dialogBrush;
    }
    return reinterpret_cast<HBRUSH>(DefaultForCurrentMessage());
}

BOOL CDialog::PreviewMessage(MSG* message) {
    if (CWnd::PreviewMessage(message)) {
        return TRUE;
    }
    if (TopLevelFrame() != nullptr) {
        CWinApp* app = GetApplication();
        if (app != nullptr && app->helpMode) {
            return FALSE;
        }
    }
    if (message->message == WM_KEYDOWN &&
        (message->wParam == VK_ESCAPE || message->wParam == VK_CANCEL) &&
        (GetWindowLongA(message->hwnd, GWL_STYLE) & ES_MULTILINE) != 0 &&
        HasClassName(message->hwnd, "Edit")) {
        // A multi-line edit keeps Escape from the dialog manager; cancel here.
        HWND cancel = ::GetDlgItem(windowHandle, IDCANCEL);
        if (cancel == nullptr || ::IsWindowEnabled(cancel)) {
            SendMessageA(windowHandle, WM_COMMAND, IDCANCEL, 0);
        }
        return TRUE;
    }
    return TranslateDialogInput(message);
}

BOOL CDialog::TranslateDialogInput(MSG* message) {
    UINT m = message->message;
    // The mouse range ends before the wheel, as it did on Windows 3.x.
    if ((m >= WM_KEYFIRST && m <= WM_KEYLAST) || (m >= WM_MOUSEFIRST && m <= WM_MBUTTONDBLCLK)) {
        return ProcessDialogKeys(message);
    }
    return FALSE;
}

BOOL CDialog::RouteCommand(UINT id, int code, void* extra, CommandHandlerInfo* info) {
    if (CWnd::RouteCommand(id, code, extra, info)) {
        return TRUE;
    }
    if ((code == 0 || code == -1) && (id & 0x8000) != 0 && id < 0xF000) {
        if (CWnd* owner = ObjectFor(::GetParent(windowHandle))) {
            if (owner->RouteCommand(id, code, extra, info)) {
                return TRUE;
            }
        }
        if (CWinThread* thread = GetCurrentThreadObject()) {
            if (thread->RouteCommand(id, code, extra, info)) {
                return TRUE;
            }
        }
    }
    return FALSE;
}

BOOL CDialog::WantsAutoCenter() const {
    HGLOBAL handle = nullptr;
    const DLGTEMPLATE* t = LocateTemplate(&handle);
    if (t == nullptr) {
        return TRUE;
    }
    const TemplatePlacement placement = ReadTemplatePlacement(t);
    const DWORD selfPlacing = LOWORD(placement.style) & (DS_ABSALIGN | DS_CENTER | DS_CENTERMOUSE);
    return selfPlacing == 0 && placement.x == 0 && placement.y == 0;
}

BOOL CDialog::SetControlSiteDialogInfo(void* data) {
    controlSiteInfo = data;
    return TRUE;
}

INT_PTR CALLBACK FrameworkDlgProc(HWND window, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) {
        return FALSE;
    }
    auto* dialog = DowncastTo<CDialog>(CWnd::PermanentObjectFor(window));
    if (dialog == nullptr) {
        return TRUE;
    }
    // Called from inside the system dialog procedure: nothing may unwind
    // through it. A dialog that cannot initialize ends with -1.
    try {
        return dialog->InitializeDialog();
    } catch (CException* e) {
        if (CWinThread* thread = GetCurrentThreadObject()) {
            thread->HandleCallbackException(e, CurrentMessage());
        }
        e->Discard();
    }
    dialog->CloseDialog(-1);
    return FALSE;
}
