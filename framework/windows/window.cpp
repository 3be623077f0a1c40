#include "framework/windows/window.h"

#include "framework/runtime/state.h"
#include "framework/windows/handle_table.h"

LUM_IMPLEMENT_CREATABLE(CWnd, CCmdTarget)

namespace {

CWnd placeTop(HWND_TOP);
CWnd placeBottom(HWND_BOTTOM);
CWnd placeTopMost(HWND_TOPMOST);
CWnd placeNoTopMost(HWND_NOTOPMOST);

bool IsPlacementObject(const CWnd* w) {
    return w == &placeTop || w == &placeBottom || w == &placeTopMost || w == &placeNoTopMost;
}

} // namespace

CWnd& PlaceTop() { return placeTop; }
CWnd& PlaceBottom() { return placeBottom; }
CWnd& PlaceTopMost() { return placeTopMost; }
CWnd& PlaceNoTopMost() { return placeNoTopMost; }

CWnd::~CWnd() {
    if (windowHandle != nullptr && !IsPlacementObject(this)) {
        CWnd::DestroyHandle();
    }
}

BOOL CWnd::PreviewMessage(MSG* message) {
    if (auto filter = GetModuleState()->toolTipFilter) {
        filter(message, this);
    }
    return FALSE;
}

LRESULT CWnd::CallDefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc = superProc != nullptr ? superProc : *SuperProcSlot();
    if (proc == nullptr) {
        return DefWindowProcA(windowHandle, message, wParam, lParam);
    }
    return CallWindowProcA(proc, windowHandle, message, wParam, lParam);
}

BOOL CWnd::DestroyHandle() {
    if (windowHandle == nullptr) {
        return FALSE;
    }
    CHandleTable* table = GetWindowTable(FALSE);
    bool permanent = table != nullptr && table->FindPermanent(windowHandle) != nullptr;
    BOOL result = DestroyWindow(windowHandle);
    // A bound object was unbound by its final message and may be gone.
    if (!permanent) {
        Unbind();
    }
    return result;
}

BOOL CWnd::Bind(HWND handle) {
    if (handle == nullptr) {
        return FALSE;
    }
    CHandleTable* table = GetWindowTable(TRUE);
    windowHandle = handle;
    table->BindPermanent(handle, this);
    return TRUE;
}

HWND CWnd::Unbind() {
    HWND old = windowHandle;
    if (old != nullptr) {
        if (CHandleTable* table = GetWindowTable(FALSE)) {
            table->UnbindPermanent(old);
        }
        windowHandle = nullptr;
    }
    controlSite = nullptr;
    return old;
}

CWnd* CWnd::ObjectFor(HWND handle) {
    return static_cast<CWnd*>(GetWindowTable(TRUE)->ObjectFor(handle));
}

CWnd* CWnd::PermanentObjectFor(HWND handle) {
    CHandleTable* table = GetWindowTable(FALSE);
    return table != nullptr ? static_cast<CWnd*>(table->FindPermanent(handle)) : nullptr;
}

void CWnd::DeleteTemporaryWindows() {
    if (CHandleTable* table = GetWindowTable(FALSE)) {
        table->DeleteTemporaries();
    }
}

CWnd* CWnd::GetOwnerObject() const {
    return ObjectFor(ownerHandle != nullptr ? ownerHandle : GetParent(windowHandle));
}

HWND CWnd::ParentOrOwnerHandle(HWND handle) {
    if (CWnd* object = PermanentObjectFor(handle)) {
        CWnd* owner = object->GetOwnerObject();
        return owner != nullptr ? owner->windowHandle : nullptr;
    }
    if ((GetWindowLongA(handle, GWL_STYLE) & WS_CHILD) != 0) {
        return GetParent(handle);
    }
    return GetWindow(handle, GW_OWNER);
}

CWnd* CWnd::TopLevelParent() const {
    if (windowHandle == nullptr) {
        return nullptr;
    }
    HWND top = windowHandle;
    for (HWND next = ParentOrOwnerHandle(top); next != nullptr; next = ParentOrOwnerHandle(top)) {
        top = next;
    }
    return ObjectFor(top);
}

CWnd* CWnd::ParentFrame() const {
    if (windowHandle == nullptr) {
        return nullptr;
    }
    for (HWND h = GetParent(windowHandle); h != nullptr; h = GetParent(h)) {
        CWnd* object = ObjectFor(h);
        if (object->IsFrameWindow()) {
            return object;
        }
    }
    return nullptr;
}

CWnd* CWnd::TopLevelFrame() const {
    if (windowHandle == nullptr) {
        return nullptr;
    }
    CWnd* frame = IsFrameWindow() ? const_cast<CWnd*>(this) : ParentFrame();
    while (frame != nullptr) {
        CWnd* up = frame->ParentFrame();
        if (up == nullptr) {
            break;
        }
        frame = up;
    }
    return frame;
}

CWnd* CWnd::FindDescendant(HWND parent, int id, BOOL permanentOnly) {
    if (HWND child = GetDlgItem(parent, id)) {
        if (GetTopWindow(child) != nullptr) {
            if (CWnd* hit = FindDescendant(child, id, permanentOnly)) {
                return hit;
            }
        }
        CWnd* object = permanentOnly ? PermanentObjectFor(child) : ObjectFor(child);
        if (object != nullptr) {
            return object;
        }
    }
    for (HWND child = GetTopWindow(parent); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (CWnd* hit = FindDescendant(child, id, permanentOnly)) {
            return hit;
        }
    }
    return nullptr;
}

void CWnd::SendToDescendants(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, BOOL deep,
                             BOOL permanentOnly) {
    for (HWND child = GetTopWindow(parent); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (!permanentOnly) {
            SendMessageA(child, message, wParam, lParam);
        } else if (CWnd* object = PermanentObjectFor(child)) {
            DeliverDirect(object, message, wParam, lParam);
        }
        if (deep && GetTopWindow(child) != nullptr) {
            SendToDescendants(child, message, wParam, lParam, deep, permanentOnly);
        }
    }
}

LRESULT DeliverDirect(CWnd* window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto proc = reinterpret_cast<WNDPROC>(GetWindowLongA(window->windowHandle, GWL_WNDPROC));
    return CallWindowProcA(proc, window->windowHandle, message, wParam, lParam);
}
