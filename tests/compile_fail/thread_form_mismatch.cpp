// Must not compile: a thread-message entry in a form that unpacks its
// values. The thread dispatch hands wParam and lParam over as they are.
#include "framework/windows/messaging/cmd_target.h"

class Target : public CCmdTarget {
    LUM_DECLARE_MESSAGE_MAP(Target)
public:
    LRESULT OnWords(UINT, UINT) { return 0; }
};

LUM_BEGIN_MESSAGE_MAP(Target, CCmdTarget)
LUM_ON_THREAD_MESSAGE_AS(WM_APP, LumForm::LresultWParamWords, OnWords)
LUM_END_MESSAGE_MAP(Target, CCmdTarget)
