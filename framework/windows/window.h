// Window objects: a CWnd owns the system window it is bound to.
#pragma once

#include <windows.h>
#include "framework/windows/cmd_target.h"

class CWnd : public CCmdTarget {
    LUM_DECLARE_CREATABLE(CWnd)
public:
    CWnd() = default;
    ~CWnd() override = default;

    // Gives the window a look at a message before it is translated and
    // dispatched; TRUE when it handled it.
    virtual BOOL PreviewMessage(MSG* message);
    virtual BOOL DestroyHandle();
    virtual BOOL IsFrameWindow() const { return FALSE; }

    CWnd* TopLevelParent() const;

    // Delivers a message to every descendant window, children before
    // grandchildren (deep), optionally only to those with window objects.
    void SendToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL deep,
                           BOOL permanentOnly) const;

    static CWnd* PermanentObjectFor(HWND handle);
    static CWnd* ObjectFor(HWND handle);

    HWND windowHandle = nullptr;
};

// Calls the window's procedure directly, through the framework's delivery.
LRESULT DeliverDirect(CWnd* window, UINT message, WPARAM wParam, LPARAM lParam);
