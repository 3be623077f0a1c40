// Must not compile: a command-routing form in a window-message entry. Code 38
// means a notification handler in routing; window dispatch would never call it.
#include "framework/windows/messaging/cmd_target.h"

class Target : public CCmdTarget {
    LUM_DECLARE_MESSAGE_MAP(Target)
public:
    void OnNotify(NMHDR*, LRESULT*) {}
};

LUM_BEGIN_MESSAGE_MAP(Target, CCmdTarget)
LUM_ON_MESSAGE(WM_NOTIFY, LumCommandForm::VoidNotify, OnNotify)
LUM_END_MESSAGE_MAP(Target, CCmdTarget)
