// Must compile: the same maps as the failing cases, with fitting handlers.
#include "framework/windows/messaging/cmd_target.h"

#include <commctrl.h>

class Target : public CCmdTarget {
    LUM_DECLARE_MESSAGE_MAP(Target)
public:
    void OnCommand() {}
    void OnNotify(NMHDR*, LRESULT*) {}
    void OnPaint() {}
    HCURSOR OnQueryDragIcon() { return nullptr; }
    int OnCreate(const CREATESTRUCTA*) { return 0; }
    void OnDrawItem(UINT, DRAWITEMSTRUCT*) {}
    LRESULT OnSetFont(HFONT, BOOL) { return 0; }
};

LUM_BEGIN_MESSAGE_MAP(Target, CCmdTarget)
LUM_ON_COMMAND(1, OnCommand)
LUM_ON_NOTIFY(NM_CLICK, 2, OnNotify)
LUM_ON_MESSAGE(WM_PAINT, LumForm::Void, OnPaint)
LUM_ON_MESSAGE(WM_QUERYDRAGICON, LumForm::Lresult, OnQueryDragIcon)
LUM_ON_WM_CREATE(OnCreate)
LUM_ON_WM_DRAWITEM(OnDrawItem)
LUM_ON_WM_SETFONT(OnSetFont)
LUM_END_MESSAGE_MAP(Target, CCmdTarget)
