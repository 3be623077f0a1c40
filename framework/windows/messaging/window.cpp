#include "framework/windows/messaging/window.h"

#include "framework/runtime/state.h"
#include "framework/windows/handles/handle_table.h"
#include "framework/windows/messaging/window_class.h"
#include "framework/windows/messaging/window_proc.h"

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

CWnd& PlaceTop() {
    return placeTop;
}
CWnd& PlaceBottom() {
    return placeBottom;
}
CWnd& PlaceTopMost() {
    return placeTopMost;
}
CWnd& PlaceNoTopMost() {
    return placeNoTopMost;
}

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
    // The system's default procedure is called directly: CallWindowProcA
    // adds its own bookkeeping around the same call.
    if (proc == nullptr || proc == &DefWindowProcA) {
        return DefWindowProcA(windowHandle, message, wParam, lParam);
    }
    return CallWindowProcA(proc, windowHandle, message, wParam, lParam);
}

BOOL CWnd::DestroyHandle() {
    if (windowHandle == nullptr) {
        return FALSE;
    }
    const bool permanent = PermanentObjectFor(windowHandle) != nullptr;
    BOOL result = DestroyWindow(windowHandle);
    // A bound object was unbound by its final message and may be gone.
    if (!permanent) {
        Unbind();
    }
    return result;
}

namespace {

// The lookups keep permanent answers outside the table. Tables belong to the
// thread that uses them; at thread end the state record may already be gone,
// and then so are its lookups.
void ForgetWindowLookups() {
    if (ThreadState* state = PeekThreadState()) {
        for (WindowLookupSlot& slot : state->windowLookups) {
            slot = {nullptr, nullptr};
        }
    }
}

using Windows = WrapperTable<CWnd, &CWnd::windowHandle, &ModuleThreadState::windowTable, 1,
                             &ForgetWindowLookups>;

} // namespace

CHandleTable* GetWindowTable(BOOL create) {
    return Windows::Table(create);
}

CWnd* LookUpPermanentWindow(WindowLookupSlot& slot, HWND window) {
    CHandleTable* table = GetWindowTable(FALSE);
    slot.object = table != nullptr ? static_cast<CWnd*>(table->FindPermanent(window)) : nullptr;
    slot.handle = window;
    return slot.object;
}

BOOL CWnd::Bind(HWND handle) {
    return Windows::Bind(*this, handle);
}

HWND CWnd::Unbind() {
    controlSite = nullptr;
    deliveringState = nullptr;
    return Windows::Unbind(*this);
}

CWnd* CWnd::ObjectFor(HWND handle) {
    return Windows::ObjectFor(handle);
}

CWnd* CWnd::PermanentObjectFor(HWND handle) {
    return FindPermanentWindow(GetThreadState(), handle);
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
    if (HWND child = ::GetDlgItem(parent, id)) {
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
            DeliverToObject(object, child, message, wParam, lParam);
        }
        if (deep && GetTopWindow(child) != nullptr) {
            SendToDescendants(child, message, wParam, lParam, deep, permanentOnly);
        }
    }
}

BOOL CWnd::CreateWithStyles(DWORD exStyle, const char* className, const char* windowName,
                            DWORD style, int x, int y, int width, int height, HWND parent,
                            HMENU idOrMenu, void* context) {
    CREATESTRUCTA cs = {};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = static_cast<LONG>(style);
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.hwndParent = parent;
    cs.hMenu = idOrMenu;
    cs.hInstance = GetModuleState()->instanceHandle;
    cs.lpCreateParams = context;
    if (!AdjustCreateParams(cs)) {
        AfterFinalMessage();
        return FALSE;
    }
    auto create = [](const void* request) {
        const auto& c = *static_cast<const CREATESTRUCTA*>(request);
        return CreateWindowExA(c.dwExStyle, c.lpszClass, c.lpszName, static_cast<DWORD>(c.style),
                               c.x, c.y, c.cx, c.cy, c.hwndParent, c.hMenu, c.hInstance,
                               c.lpCreateParams);
    };
    return CreateBoundWindow(this, create, &cs) != nullptr;
}

BOOL CWnd::CreateChild(const char* className, const char* windowName, DWORD style, const RECT* rect,
                       CWnd* parent, UINT id, void* context) {
    return CreateWithStyles(0, className, windowName, style | WS_CHILD, rect->left, rect->top,
                            rect->right - rect->left, rect->bottom - rect->top,
                            parent != nullptr ? parent->windowHandle : nullptr,
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), context);
}

BOOL CWnd::AdjustCreateParams(CREATESTRUCTA& cs) {
    if (cs.lpszClass != nullptr) {
        return TRUE;
    }
    ModuleState* module = GetModuleState();
    if ((module->registeredClasses & kClassWnd) == 0 && !RegisterStandardClasses(kClassWnd)) {
        return FALSE;
    }
    cs.lpszClass = "LumWnd";
    return TRUE;
}

void CWnd::ComputeWindowRect(RECT* rect, UINT adjustType) {
    DWORD exStyle = static_cast<DWORD>(GetWindowLongA(windowHandle, GWL_EXSTYLE));
    if (adjustType == 0) {
        exStyle &= ~WS_EX_CLIENTEDGE;
    }
    AdjustWindowRectEx(rect, static_cast<DWORD>(GetWindowLongA(windowHandle, GWL_STYLE)), FALSE,
                       exStyle);
}

void CWnd::EndModalWith(int result) {
    modalResult = result;
    if ((stateFlags & WND_CONTINUE_MODAL) != 0) {
        stateFlags &= ~WND_CONTINUE_MODAL;
        // Wakes the modal loop so that it sees the flag.
        PostMessageA(windowHandle, WM_NULL, 0, 0);
    }
}
