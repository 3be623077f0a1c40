#include "app/config_dialog.h"

#include "app/secondary_dialogs.h"
#include "app/settings_store.h"
#include "framework/runtime/shared_string.h"
#include "framework/runtime/state.h"
#include "framework/windows/handles/dc.h"
#include "framework/windows/handles/menu.h"
#include "framework/windows/messaging/window_proc.h"

namespace {

// The radio button a stored "PreviewOnly" names. A value outside 0..1 names
// none, and both stay unselected; the id is not computed from it, since any
// integer may be stored.
int RadioButtonFor(int previewOnly) {
    switch (previewOnly) {
    case 0:
        return IDC_USE_OVERLAY;
    case 1:
        return IDC_NO_OVERLAY;
    default:
        return 0;
    }
}

} // namespace

int CConfigDlg::currentPreviewOnly = 0;
int CConfigDlg::currentForcePrimary = 0;

LUM_BEGIN_MESSAGE_MAP(CConfigDlg, CDialog)
LUM_ON_WM_SYSCOMMAND(HandleSysCommand)
LUM_ON_WM_PAINT(HandlePaint)
LUM_ON_WM_QUERYDRAGICON(HandleQueryDragIcon)
LUM_ON_CONTROL(BN_CLICKED, IDC_HELP_BUTTON, ShowHelpDialog)
LUM_ON_CONTROL(BN_CLICKED, IDC_USE_OVERLAY, EnableSurfaceCheckBox)
LUM_ON_CONTROL(BN_CLICKED, IDC_NO_OVERLAY, DisableSurfaceCheckBox)
LUM_END_MESSAGE_MAP(CConfigDlg, CDialog)

CConfigDlg::CConfigDlg(CWnd* parent)
    : CDialog(IDD_CONFIG, parent),
      icon(LoadIconA(GetModuleState()->resourceHandle, MAKEINTRESOURCEA(IDI_TOOL))) {}

BOOL CConfigDlg::InitializeDialog() {
    CDialog::InitializeDialog();

    CMenu* systemMenu = CMenu::ObjectFor(GetSystemMenu(windowHandle, FALSE));
    CSharedString about;
    about.LoadFromResource(IDS_ABOUT);
    if (systemMenu != nullptr && about.GetLength() != 0) {
        AppendMenuA(systemMenu->menuHandle, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(systemMenu->menuHandle, MF_STRING, IDM_ABOUT, about);
    }
    SendMessageA(windowHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(windowHandle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));

    currentPreviewOnly = ReadSetting("PreviewOnly", 1);
    CheckRadioButton(IDC_USE_OVERLAY, IDC_NO_OVERLAY, RadioButtonFor(currentPreviewOnly));
    currentForcePrimary = ReadSetting("Force Primary", 0);
    CheckDlgButton(IDC_NO_SURFACE, static_cast<UINT>(currentForcePrimary));
    GetDlgItem(IDC_NO_SURFACE)->EnableWindow(currentPreviewOnly == 0);
    return TRUE;
}

void CConfigDlg::HandleOk() {
    currentPreviewOnly = static_cast<int>(IsDlgButtonChecked(IDC_NO_OVERLAY));
    WriteSetting("PreviewOnly", currentPreviewOnly);
    // Written even while the check box is disabled.
    currentForcePrimary = static_cast<int>(IsDlgButtonChecked(IDC_NO_SURFACE));
    WriteSetting("Force Primary", currentForcePrimary);
    CDialog::HandleOk();
}

void CConfigDlg::HandleSysCommand(UINT command, POINT) {
    if ((command & 0xFFF0) == IDM_ABOUT) {
        CAboutDlg about;
        about.RunModal();
        return;
    }
    DefaultForCurrentMessage();
}

void CConfigDlg::HandlePaint() {
    if (!IsIconic(windowHandle)) {
        DefaultForCurrentMessage();
        return;
    }
    CPaintDC dc(this);
    SendMessageA(windowHandle, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.outputHandle), 0);
    int iconWidth = GetSystemMetrics(SM_CXICON);
    int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(windowHandle, &client);
    int x = (client.right - client.left - iconWidth + 1) / 2;
    int y = (client.bottom - client.top - iconHeight + 1) / 2;
    DrawIcon(dc.outputHandle, x, y, icon);
}

void CConfigDlg::ShowHelpDialog() {
    CHelpDlg help;
    help.RunModal();
}

void CConfigDlg::EnableSurfaceCheckBox() {
    GetDlgItem(IDC_NO_SURFACE)->EnableWindow(TRUE);
}

void CConfigDlg::DisableSurfaceCheckBox() {
    GetDlgItem(IDC_NO_SURFACE)->EnableWindow(FALSE);
}
