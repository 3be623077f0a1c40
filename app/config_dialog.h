// The settings dialog: the two overlay settings as a pair of radio buttons
// and a check box, stored on OK; About in the system menu, Help on a button.
#pragma once

#include <windows.h>
#include "framework/windows/dialogs/dialog.h"
#include "resources/resource_ids.h"

class CConfigDlg : public CDialog {
    LUM_DECLARE_MESSAGE_MAP(CConfigDlg)
public:
    explicit CConfigDlg(CWnd* parent = nullptr);

    BOOL InitializeDialog() override;
    void HandleOk() override;
    // The dialog reads and writes its controls directly.
    void ExchangeDialogData(void*) override {}

    void HandleSysCommand(UINT command, POINT cursor);
    void HandlePaint();
    HICON HandleQueryDragIcon() { return icon; }
    void ShowHelpDialog();
    void EnableSurfaceCheckBox();
    void DisableSurfaceCheckBox();

    HICON icon;

    // The settings as last read or written.
    static int currentPreviewOnly;
    static int currentForcePrimary;
};
