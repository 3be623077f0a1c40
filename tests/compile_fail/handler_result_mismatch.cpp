// Must not compile: a paint handler in LumForm::Void gives no result.
#include "framework/windows/messaging/cmd_target.h"

class Target : public CCmdTarget {
    LUM_DECLARE_MESSAGE_MAP(Target)
public:
    LRESULT OnPaint() { return 0; }
};

LUM_BEGIN_MESSAGE_MAP(Target, CCmdTarget)
LUM_ON_MESSAGE(WM_PAINT, LumForm::Void, OnPaint)
LUM_END_MESSAGE_MAP(Target, CCmdTarget)
