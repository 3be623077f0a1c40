// The thread object: message pump, idle processing and pre-translation.
// Declared here, where windows and dialogs use it; what it does is in
// framework/windows/application/.
#pragma once

#include <windows.h>
#include "framework/runtime/framework_ids.h"
#include "framework/windows/messaging/cmd_target.h"

class CException;
class CWnd;

class CWinThread : public CCmdTarget {
    LUM_DECLARE_CLASS(CWinThread)
public:
    CWinThread();
    ~CWinThread() override;

    // The message entries of this class's maps (and of every derived
    // class's) answer thread messages, so they must take thread forms.
    static constexpr bool takesThreadMessages = true;

    virtual BOOL StartInstance();
    virtual int RunLoop();
    virtual BOOL FilterMessage(MSG* message);
    virtual BOOL PumpOneMessage();
    virtual BOOL IdleStep(LONG count);
    virtual BOOL RestartsIdle(const MSG* message);
    virtual int FinishInstance();
    virtual LRESULT HandleCallbackException(CException* e, const MSG* message);
    virtual BOOL FilterHookMessage(int code, MSG* message);
    virtual CWnd* MainWindowForUi();
    virtual void DeleteIfAutomatic();

    // Handles a message that has no window through the thread's message map.
    BOOL DispatchThreadMessage(const MSG* message);

    CWnd* mainWindow = nullptr;
    CWnd* activeWindow = nullptr;
    BOOL autoDelete = TRUE;
    HANDLE threadHandle = nullptr;
    DWORD threadId = 0;
    MSG currentMessage = {};
    POINT lastCursorPos = {};
    UINT lastMouseMessage = 0;
};

CWinThread* GetCurrentThreadObject();
CWnd* GetMainWindow();
void PostQuit(int exitCode);

LRESULT CALLBACK MessageFilterHook(int code, WPARAM wParam, LPARAM lParam);
BOOL IsHelpKey(const MSG* message);

void LockTemporaryMaps();
BOOL UnlockTemporaryMaps(BOOL deleteTemporaries);
