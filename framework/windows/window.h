// Window objects: a CWnd owns the system window it is bound to. Any window
// handle can be turned into an object: the bound one, or a temporary.
#pragma once

#include <windows.h>
#include "framework/windows/cmd_target.h"

class CWnd : public CCmdTarget {
    LUM_DECLARE_CREATABLE(CWnd)
public:
    CWnd() = default;
    // Wraps a handle without binding it (placement values, stack objects).
    explicit CWnd(HWND handle) : windowHandle(handle) {}
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    virtual void BeforeSubclass() {}
    virtual BOOL DestroyHandle();
    virtual CWnd* GetScrollBarObject(int) const { return nullptr; }
    virtual BOOL IsModalContinuing() const { return (stateFlags & 0x10) != 0; }
    virtual WNDPROC* SuperProcSlot() { return &superProc; }
    virtual void ExchangeDialogData(void*) {}
    virtual BOOL BeginModalDisable() { return EnableWindow(windowHandle, FALSE); }
    virtual void EndModalDisable() { EnableWindow(windowHandle, TRUE); }
    // A look at a message before it is translated and dispatched; TRUE when
    // the window handled it.
    virtual BOOL PreviewMessage(MSG* message);
    virtual LRESULT CallDefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void AfterFinalMessage() {}
    virtual BOOL WantsAutoCenter() const { return TRUE; }
    virtual BOOL IsFrameWindow() const { return FALSE; }
    virtual BOOL SetControlSiteDialogInfo(void*) { return FALSE; }

    BOOL Bind(HWND handle);
    HWND Unbind();

    static CWnd* ObjectFor(HWND handle);
    static CWnd* PermanentObjectFor(HWND handle);
    static void DeleteTemporaryWindows();

    CWnd* GetOwnerObject() const;
    static HWND ParentOrOwnerHandle(HWND handle);
    CWnd* TopLevelParent() const;
    CWnd* ParentFrame() const;
    CWnd* TopLevelFrame() const;
    static CWnd* FindDescendant(HWND parent, int id, BOOL permanentOnly);
    // Every child in z-order (and, deep, its children before the next
    // sibling); permanentOnly delivers only to children with bound objects.
    static void SendToDescendants(HWND parent, UINT message, WPARAM wParam, LPARAM lParam,
                                  BOOL deep, BOOL permanentOnly);

    HWND windowHandle = nullptr;
    HWND ownerHandle = nullptr;
    DWORD stateFlags = 0;
    WNDPROC superProc = nullptr;
    int modalResult = 0;
    void* dropTarget = nullptr;
    void* controlContainer = nullptr;
    void* controlSite = nullptr;
};

// The four z-order values, as window objects for positioning calls.
CWnd& PlaceTop();
CWnd& PlaceBottom();
CWnd& PlaceTopMost();
CWnd& PlaceNoTopMost();

// Delivers a message straight to a bound object's window procedure.
LRESULT DeliverDirect(CWnd* window, UINT message, WPARAM wParam, LPARAM lParam);
