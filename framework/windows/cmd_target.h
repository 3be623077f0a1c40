// Command targets: objects that receive messages and commands through their
// class's message map, and the command-UI objects of update handlers.
#pragma once

#include <windows.h>
#include "framework/runtime/object.h"
#include "framework/windows/message_map.h"

class CCmdTarget;

// Filled by routing instead of calling, to ask whether a handler exists.
struct CommandHandlerInfo {
    CCmdTarget* target;
    MapHandler handler;
};

// Routing codes that are not packed (message << 16 | notification code).
constexpr int kRouteUpdateUi = -1;
constexpr int kRouteControlEvent = -2;
constexpr int kRouteTranslate = -3;

class CCmdTarget : public CObject {
    LUM_DECLARE_CLASS(CCmdTarget)
public:
    CCmdTarget() = default;
    ~CCmdTarget() override = default;

    virtual BOOL RouteCommand(UINT id, int code, void* extra, CommandHandlerInfo* info);
    virtual const MessageMap* GetClassMessageMap() const;

    DWORD referenceCount = 1;
    void* outerObject = nullptr;
    DWORD innerObjectWord = 0;
    DWORD automationWord = 0;
    BOOL resultExpected = TRUE;
    DWORD connectionWord = 0;

    static const MessageMap messageMap;
};

BOOL InvokeCommandHandler(CCmdTarget* target, UINT id, int code, MapHandler handler, void* extra,
                          UINT signature, CommandHandlerInfo* info);

// What an update handler may change about a menu item or a control.
class CCmdUI {
public:
    CCmdUI() = default;
    virtual ~CCmdUI() = default;
    CCmdUI(const CCmdUI&) = delete;
    CCmdUI& operator=(const CCmdUI&) = delete;

    virtual void SetEnabled(BOOL on);
    virtual void SetChecked(int state);
    virtual void SetRadioMark(BOOL on);
    virtual void SetItemText(const char* text);

    BOOL UpdateFrom(CCmdTarget* target, BOOL disableWithoutHandler);

    UINT id = 0;
    UINT index = 0;
    CMenu* menu = nullptr;
    CMenu* subMenu = nullptr;
    CWnd* otherWindow = nullptr;
    BOOL enableChanged = FALSE;
    BOOL continueRouting = FALSE;
    UINT indexLimit = 0;
    CMenu* parentMenu = nullptr;
};

// Routes an update request only to learn whether the command is enabled;
// changes nothing on screen.
class CCmdEnableProbe : public CCmdUI {
public:
    void SetEnabled(BOOL on) override;
    void SetChecked(int) override {}
    void SetRadioMark(BOOL) override {}
    void SetItemText(const char*) override {}

    BOOL enabled = TRUE;
};

HBITMAP GetRadioDotBitmap();
