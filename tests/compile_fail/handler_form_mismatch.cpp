// Must not compile: a command handler (LumCommandForm::Void) takes no arguments.
#include "framework/windows/messaging/cmd_target.h"

class Target : public CCmdTarget {
    LUM_DECLARE_MESSAGE_MAP(Target)
public:
    void OnCommand(UINT) {}
};

LUM_BEGIN_MESSAGE_MAP(Target, CCmdTarget)
LUM_ON_COMMAND(1, OnCommand)
LUM_END_MESSAGE_MAP(Target, CCmdTarget)
