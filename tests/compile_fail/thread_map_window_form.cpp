// Must not compile: a message entry in a thread's map in a form that unpacks
// its values. The pump would never call it.
#include "framework/windows/messaging/win_thread.h"

class Worker : public CWinThread {
    LUM_DECLARE_MESSAGE_MAP(Worker)
public:
    LRESULT OnWords(UINT, UINT) { return 0; }
};

LUM_BEGIN_MESSAGE_MAP(Worker, CWinThread)
LUM_ON_MESSAGE(WM_APP, LumForm::LresultWParamWords, OnWords)
LUM_END_MESSAGE_MAP(Worker, CWinThread)
