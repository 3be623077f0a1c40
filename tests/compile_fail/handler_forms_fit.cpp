// Must compile: the same maps as the failing cases, with fitting handlers.
#include "framework/windows/cmd_target.h"

class Target : public CCmdTarget {
    LUM_DECLARE_MESSAGE_MAP()
public:
    void OnCommand() {}
    void OnPaint() {}
    HCURSOR OnQueryDragIcon() { return nullptr; }
};

LUM_BEGIN_MESSAGE_MAP(Target, CCmdTarget)
LUM_ON_COMMAND(1, Target, OnCommand)
LUM_ON_MESSAGE(WM_PAINT, 12, Target, OnPaint)
LUM_ON_MESSAGE(WM_QUERYDRAGICON, 35, Target, OnQueryDragIcon)
LUM_END_MESSAGE_MAP(Target, CCmdTarget)
