#include "app/secondary_dialogs.h"

LUM_BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
LUM_END_MESSAGE_MAP(CAboutDlg, CDialog)

LUM_BEGIN_MESSAGE_MAP(CHelpDlg, CDialog)
LUM_END_MESSAGE_MAP(CHelpDlg, CDialog)
