// The two small dialogs the settings dialog opens.
#pragma once

#include "framework/windows/dialog.h"

class CAboutDlg : public CDialog {
    LUM_DECLARE_MESSAGE_MAP()
public:
    CAboutDlg() : CDialog(100) {}
    void ExchangeDialogData(void*) override {}
};

class CHelpDlg : public CDialog {
    LUM_DECLARE_MESSAGE_MAP()
public:
    CHelpDlg() : CDialog(129) {}
    void ExchangeDialogData(void*) override {}
};
