// Must not compile: an owner-drawn item's handler returns nothing, the
// message's result is the form's.
#include "framework/windows/messaging/cmd_target.h"

class Target : public CCmdTarget {
    LUM_DECLARE_MESSAGE_MAP(Target)
public:
    BOOL OnDrawItem(UINT, DRAWITEMSTRUCT*) { return TRUE; }
};

LUM_BEGIN_MESSAGE_MAP(Target, CCmdTarget)
LUM_ON_WM_DRAWITEM(OnDrawItem)
LUM_END_MESSAGE_MAP(Target, CCmdTarget)
