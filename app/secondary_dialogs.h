// The two small dialogs the settings dialog opens.
#pragma once

#include "framework/windows/dialogs/dialog.h"
#include "resources/resource_ids.h"

class CAboutDlg : public CDialog {
    LUM_DECLARE_MESSAGE_MAP(CAboutDlg)
public:
    CAboutDlg() : CDialog(IDD_ABOUT) {}
    void ExchangeDialogData(void*) override {}
};

class CHelpDlg : public CDialog {
    LUM_DECLARE_MESSAGE_MAP(CHelpDlg)
public:
    CHelpDlg() : CDialog(IDD_HELP) {}
    void ExchangeDialogData(void*) override {}
};
