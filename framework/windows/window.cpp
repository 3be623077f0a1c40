#include "framework/windows/window.h"

#include "framework/windows/handle_table.h"

LUM_IMPLEMENT_CREATABLE(CWnd, CCmdTarget)

BOOL CWnd::PreviewMessage(MSG*) { return FALSE; }

BOOL CWnd::DestroyHandle() {
    if (windowHandle == nullptr) {
        return FALSE;
    }
    return DestroyWindow(windowHandle);
}

CWnd* CWnd::TopLevelParent() const {
    if (windowHandle == nullptr) {
        return nullptr;
    }
    HWND top = windowHandle;
    while ((GetWindowLongA(top, GWL_STYLE) & WS_CHILD) != 0) {
        HWND parent = GetParent(top);
        if (parent == nullptr) {
            break;
        }
        top = parent;
    }
    return ObjectFor(top);
}

void CWnd::SendToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL deep,
                             BOOL permanentOnly) const {
    for (HWND child = GetTopWindow(windowHandle); child != nullptr;
         child = GetNextWindow(child, GW_HWNDNEXT)) {
        if (!permanentOnly) {
            SendMessageA(child, message, wParam, lParam);
        } else if (CWnd* object = PermanentObjectFor(child)) {
            DeliverDirect(object, message, wParam, lParam);
        }
        if (deep && GetTopWindow(child) != nullptr) {
            CWnd probe;
            probe.windowHandle = child;
            probe.SendToDescendants(message, wParam, lParam, deep, permanentOnly);
            probe.windowHandle = nullptr;
        }
    }
}

CWnd* CWnd::PermanentObjectFor(HWND handle) {
    CHandleTable* table = ExistingWindowTable();
    if (table == nullptr || handle == nullptr) {
        return nullptr;
    }
    return static_cast<CWnd*>(table->LookupPermanent(handle));
}

CWnd* CWnd::ObjectFor(HWND handle) { return PermanentObjectFor(handle); }

LRESULT DeliverDirect(CWnd* window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(reinterpret_cast<WNDPROC>(GetWindowLongA(window->windowHandle,
                                                                    GWL_WNDPROC)),
                           window->windowHandle, message, wParam, lParam);
}
