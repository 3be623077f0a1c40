// Window objects: a CWnd owns the system window it is bound to. Any window
// handle can be turned into an object: the bound one, or a temporary.
#pragma once

#include <windows.h>
#include <typeinfo>
#include "framework/runtime/state.h"
#include "framework/windows/messaging/cmd_target.h"
#include "framework/windows/handles/dc.h"
#include "framework/windows/handles/menu.h"

class CDC;
class CHandleTable;
class CMenu;

// The window has tools in the thread's tool-tip control, taken out when it ends.
constexpr DWORD WND_HAS_TOOLS = 0x01;
// Window state bits owned by the modal run.
constexpr DWORD WND_IN_MODAL_LOOP = 0x08;
constexpr DWORD WND_CONTINUE_MODAL = 0x10;

class CWnd : public CCmdTarget {
    LUM_DECLARE_CREATABLE(CWnd)
    LUM_DECLARE_MESSAGE_MAP(CWnd)
public:
    CWnd() = default;
    // Wraps a handle without binding it (placement values, stack objects).
    explicit CWnd(HWND handle) : windowHandle(handle) {}
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Virtual operations, in their fixed order.
    virtual void BeforeSubclass() {}
    virtual BOOL CreateChild(const char* className, const char* windowName, DWORD style,
                             const RECT* rect, CWnd* parent, UINT id, void* context = nullptr);
    virtual BOOL DestroyHandle();
    virtual BOOL AdjustCreateParams(CREATESTRUCTA& cs);
    virtual void ComputeWindowRect(RECT* rect, UINT adjustType = 1);
    // Tool tips belong to a layer this framework does not build: no tool.
    virtual int FindToolAtPoint(POINT, void*) const { return -1; }
    virtual CWnd* GetScrollBarObject(int) const { return nullptr; }
    virtual void CallHelpEngine(DWORD data, UINT command);
    virtual BOOL IsModalContinuing() const { return (stateFlags & WND_CONTINUE_MODAL) != 0; }
    virtual void EndModalWith(int result);
    virtual BOOL HandleCommandMessage(WPARAM wParam, LPARAM lParam);
    virtual BOOL HandleNotifyMessage(WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual WNDPROC* SuperProcSlot() { return &superProc; }
    virtual void ExchangeDialogData(void*) {}
    virtual BOOL BeginModalDisable() { return ::EnableWindow(windowHandle, FALSE); }
    virtual void EndModalDisable() { ::EnableWindow(windowHandle, TRUE); }
    // A look at a message before it is translated and dispatched; TRUE when
    // the window handled it.
    virtual BOOL PreviewMessage(MSG* message);
    // No control container is ever installed, so no ambient property.
    virtual BOOL QueryAmbientProperty(LONG, void*) { return FALSE; }
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL DispatchThroughMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual LRESULT CallDefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void AfterFinalMessage() {}
    virtual BOOL HandleReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                        LRESULT* result);
    virtual BOOL WantsAutoCenter() const { return TRUE; }
    virtual BOOL IsFrameWindow() const { return FALSE; }
    virtual BOOL SetControlSiteDialogInfo(void*) { return FALSE; }

    BOOL CreateWithStyles(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                          int x, int y, int width, int height, HWND parent, HMENU idOrMenu,
                          void* context);

    // Reflection hands a control's notification back to the control's own
    // object; each name says on which side it runs.
    static BOOL ParentReflectToChild(HWND child, LRESULT* result);
    BOOL NotifyWithCurrentMessage(LRESULT* result);
    BOOL ReflectToSelf(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    BOOL Bind(HWND handle);
    HWND Unbind();

    static CWnd* ObjectFor(HWND handle);
    static CWnd* PermanentObjectFor(HWND handle);
    // Dormant: idle time deletes the temporaries of every table at once.
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

    // Control and window wrappers.
    void CheckDlgButton(int id, UINT check) { ::CheckDlgButton(windowHandle, id, check); }
    void CheckRadioButton(int first, int last, int id) {
        ::CheckRadioButton(windowHandle, first, last, id);
    }
    CWnd* GetDlgItem(int id) const { return ObjectFor(::GetDlgItem(windowHandle, id)); }
    UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(windowHandle, id); }
    BOOL ProcessDialogKeys(MSG* message) { return IsDialogMessageA(windowHandle, message); }
    DWORD ReadStyle() const { return static_cast<DWORD>(GetWindowLongA(windowHandle, GWL_STYLE)); }
    // Dormant, as ChangeExStyle: the tool changes no extended style.
    DWORD ReadExStyle() const {
        return static_cast<DWORD>(GetWindowLongA(windowHandle, GWL_EXSTYLE));
    }
    BOOL ChangeExStyle(DWORD remove, DWORD add, UINT positioning = 0);
    void SetWindowText(const char* text) { ::SetWindowTextA(windowHandle, text); }
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
        return ::SetWindowPos(windowHandle,
                              insertAfter != nullptr ? insertAfter->windowHandle : nullptr, x, y,
                              cx, cy, flags);
    }
    BOOL ShowWindow(int command) { return ::ShowWindow(windowHandle, command); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(windowHandle); }
    BOOL EnableWindow(BOOL enable) { return ::EnableWindow(windowHandle, enable); }
    CWnd* SetFocus() { return ObjectFor(::SetFocus(windowHandle)); }

    // Scroll bars: this window's own, or a sibling control standing in.
    int SetScrollPos(int bar, int position, BOOL redraw = TRUE);
    int GetScrollPos(int bar) const;
    void SetScrollRange(int bar, int minimum, int maximum, BOOL redraw = TRUE);
    void ShowScrollBar(UINT bar, BOOL show = TRUE);
    BOOL SetScrollInfo(int bar, SCROLLINFO* info, BOOL redraw = TRUE);
    void ScrollWindow(int dx, int dy, const RECT* scroll = nullptr, const RECT* clip = nullptr);

    void CenterOverOwner(CWnd* alternate = nullptr);
    BOOL ApplyDialogInitData(const char* resourceName);
    BOOL ApplyDialogInitData(const void* block);
    // Dormant: a frame window's bars (ids first..last, each a bound object
    // that answers WM_LUM_SIZE_PARENT) take their parts of the client area,
    // the window with id leftOver gets the rest. `mode` is a BarLayoutMode;
    // querying fills `rect`, the border mode takes borders from it.
    void LayOutBars(UINT first, UINT last, UINT leftOver, UINT mode = 0, RECT* rect = nullptr,
                    const RECT* client = nullptr, BOOL stretch = TRUE);

    // Context help.
    LRESULT HandleHelpRequest(HELPINFO* request);
    void RequestContextHelp();

    // System-wide changes every window follows.
    void HandleSysColorChange();
    void HandleSettingChange(UINT flags, const char* section);
    LRESULT HandleDisplayChange(WPARAM wParam, LPARAM lParam);
    void HandleDevModeChange(const char* deviceName);
    void HandleEnterIdle(UINT reason, CWnd* window);

    // Handlers of CWnd's own map.
    LRESULT HandleControlColorMessage(HDC dc, HWND control);
    void HandleDrawItem(UINT controlId, DRAWITEMSTRUCT* item);
    void HandleMeasureItem(UINT controlId, MEASUREITEMSTRUCT* item);
    CMenu* MenuBeingMeasured() const;
    HBRUSH HandleControlColor(CDC* dc, CWnd* control, UINT type);
    LRESULT HandleCompareItem(UINT controlId, const COMPAREITEMSTRUCT* item);
    void HandleScroll(int code, int position, CWnd* scrollBar);
    void HandleDeleteItem(UINT controlId, DELETEITEMSTRUCT* item);
    LRESULT HandleListBoxKey(UINT key, CWnd* listBox, UINT caret);
    void HandleFinalMessage();
    void RemoveOwnTools();
    void HandleParentNotify(UINT event, HWND child);
    void HandleDestroy();
    LRESULT HandleTopLevelActivation(WPARAM wParam, LPARAM lParam);
    LRESULT HandleDragListMessage(UINT listId, DRAGLISTINFO* info);

    HWND windowHandle = nullptr;
    HWND ownerHandle = nullptr;
    DWORD stateFlags = 0;
    WNDPROC superProc = nullptr;
    int modalResult = 0;
    void* dropTarget = nullptr;
    void* controlContainer = nullptr;
    void* controlSite = nullptr;
    // The delivering thread's state while the delivery step runs this
    // object's handlers: the map lookup then needs no second fetch of it.
    ThreadState* deliveringState = nullptr;

protected:
    // The state the map lookup uses: the delivery's, or else this thread's.
    ThreadState* DispatchState() const {
        return deliveringState != nullptr ? deliveringState : GetThreadState();
    }
    // GetClassMessageMap's answer for the class the object is now (its
    // constructors and destructors change that), asked once per class: the
    // virtual call's target differs from class to class, and such a call
    // on every message costs more the more classes take turns.
    const MessageMap* CurrentClassMap() const {
        const std::type_info* now = &typeid(*this);
        if (now != mapClass) {
            classMap = GetClassMessageMap();
            mapClass = now;
        }
        return classMap;
    }

private:
    mutable const std::type_info* mapClass = nullptr;
    mutable const MessageMap* classMap = nullptr;
};

// The four z-order values, as window objects for positioning calls.
CWnd& PlaceTop();
CWnd& PlaceBottom();
CWnd& PlaceTopMost();
CWnd& PlaceNoTopMost();

// This thread's window table; with `create` clear an absent one stays absent.
CHandleTable* GetWindowTable(BOOL create);

// The thread state's lookup slot for a window handle. Handle values differ
// in their low bits on one system and in their high word on another: both
// take part in the index.
[[gnu::always_inline]] inline WindowLookupSlot& WindowLookupSlotFor(ThreadState* state,
                                                                    HWND window) {
    auto bits = static_cast<UINT>(reinterpret_cast<UINT_PTR>(window));
    constexpr int kShift = 32 - 10;
    static_assert(kWindowLookupSlots == 1 << (32 - kShift));
    return state->windowLookups[((bits ^ (bits >> 16)) * 0x9E3779B1u) >> kShift];
}

// Fills `slot` from this thread's window table.
CWnd* LookUpPermanentWindow(WindowLookupSlot& slot, HWND window);

// The permanent object bound to `window` in this thread's window table, or
// null; repeated questions are answered from the thread state. Inline: it
// runs several times for every message.
[[gnu::always_inline]] inline CWnd* FindPermanentWindow(ThreadState* state, HWND window) {
    if (window == nullptr) {
        return nullptr;
    }
    WindowLookupSlot& slot = WindowLookupSlotFor(state, window);
    return slot.handle == window ? slot.object : LookUpPermanentWindow(slot, window);
}

// The wrappers' forms that take a window object: the handles room below
// knows windows by their handles only.
inline CPaintDC::CPaintDC(CWnd* window) : CPaintDC(window->windowHandle) {}
inline BOOL CMenu::TrackPopup(UINT flags, int x, int y, CWnd* owner) {
    return TrackPopup(flags, x, y, owner->windowHandle);
}
