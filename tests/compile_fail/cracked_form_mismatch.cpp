// Must not compile: a creation handler takes the creation record, not the
// bare lParam it arrives in.
#include "framework/windows/messaging/cmd_target.h"

class Target : public CCmdTarget {
    LUM_DECLARE_MESSAGE_MAP(Target)
public:
    int OnCreate(LPARAM) { return 0; }
};

LUM_BEGIN_MESSAGE_MAP(Target, CCmdTarget)
LUM_ON_WM_CREATE(OnCreate)
LUM_END_MESSAGE_MAP(Target, CCmdTarget)
