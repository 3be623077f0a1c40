// Dialogs made by the system dialog manager from a template and run modally
// by the framework's own loop, so that pre-translation, idle work and message
// maps stay in force while a dialog runs.
#pragma once

#include <windows.h>
#include "framework/runtime/framework_ids.h"
#include "framework/windows/messaging/window.h"

class CGdiObject;

// Modal-loop flags.
constexpr UINT MODAL_QUIET_OWNER = 0x1;
constexpr UINT MODAL_NO_IDLE_KICK = 0x2;
constexpr UINT MODAL_SHOW_WHEN_IDLE = 0x4;

// Handed to the data exchange; lives on the stack for one exchange.
struct CExchangeContext {
    BOOL saveAndValidate;
    CWnd* dialog;
    HWND lastControl;
};

class CDialog : public CWnd {
    LUM_DECLARE_CLASS(CDialog)
    LUM_DECLARE_MESSAGE_MAP(CDialog)
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    BOOL RouteCommand(UINT id, int code, void* extra, CommandHandlerInfo* info) override;
    BOOL PreviewMessage(MSG* message) override;
    BOOL WantsAutoCenter() const override;
    void EndModalWith(int result) override;
    BOOL SetControlSiteDialogInfo(void* data) override;

    virtual int RunModal();
    virtual BOOL InitializeDialog();
    virtual void FontAssigned(CGdiObject*) {}
    virtual void HandleOk();
    virtual void HandleCancel();
    virtual void BeforeDialogInit() {}

    void CloseDialog(int result);
    BOOL TransferData(BOOL saveAndValidate);
    BOOL CreateFromTemplate(const DLGTEMPLATE* dialogTemplate, CWnd* parent, HINSTANCE instance);
    HWND PrepareModal();
    void FinishModal();
    int ModalLoop(UINT flags);
    BOOL TranslateDialogInput(MSG* message);

    // Message-map handlers.
    HBRUSH HandleDialogColor(CDC* dc, CWnd* control, UINT type);
    LRESULT HandleInitDialog(HWND focusControl, LPARAM initParam);
    LRESULT HandleSetFont(HFONT font, BOOL redraw);
    LRESULT HandleQuery3dControls(WPARAM wParam, LPARAM lParam);
    LRESULT HandleCommandHelp(WPARAM wParam, LPARAM lParam);
    LRESULT HandleHelpHitTest(WPARAM wParam, LPARAM lParam);

    DWORD helpId;
    const char* templateName;
    HGLOBAL templateHandle = nullptr;
    const DLGTEMPLATE* templatePointer = nullptr;
    const void* initData = nullptr;
    CWnd* parent;
    HWND disabledTopLevel = nullptr;
    void* controlSiteInfo = nullptr;
    // The thread's current message when the run was ended: what the loop
    // leaves in the thread's record, and so the program's exit code.
    MSG endingMessage = {};

private:
    // The template from name, handle or pointer; the loaded handle goes to `handle`.
    const DLGTEMPLATE* LocateTemplate(HGLOBAL* handle) const;
};

// The owner a modal window gets for a parent (none: the main window), and
// the top-level window that must be disabled besides it.
CWnd* ChooseModalOwner(CWnd* parent, HWND* disabledTopLevel);

INT_PTR CALLBACK FrameworkDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
