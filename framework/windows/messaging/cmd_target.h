// Command targets: objects that receive messages and commands through their
// class's message map, and the command-UI objects of update handlers.
#pragma once

#include <windows.h>
#include "framework/runtime/object.h"
#include "framework/windows/messaging/message_map.h"

class CCmdTarget;
class CPtrList;

// Command translation: a class's table maps a command number of a command
// group (a 16-byte identifier, or none) to a command id.
struct CommandTranslationEntry {
    const GUID* group;
    UINT command;
    UINT id;
};
static_assert(sizeof(CommandTranslationEntry) == 12, "three 32-bit fields");

struct CommandTranslationTable {
    const CommandTranslationTable* base;
    const CommandTranslationEntry* entries; // ends at a zero command or id
};

// The shape of the component-object tables, which stay empty here.
struct DormantClassTable {
    const DormantClassTable* base;
    const void* entries;
};

// Shared type information of component-object support; none is ever made.
class TypeLibraryCache {
public:
    virtual void Release() = 0;

protected:
    ~TypeLibraryCache() = default;
};

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

    // Virtual operations, in their fixed order. Component-object support is
    // dormant: its hooks give the answers of an object that has none.
    virtual BOOL RouteCommand(UINT id, int code, void* extra, CommandHandlerInfo* info);
    virtual void DeleteAfterLastRelease();
    virtual BOOL IsAutomationCallAllowed(LONG) { return TRUE; }
    virtual BOOL GetAutomationInterfaceId(GUID*) { return FALSE; }
    virtual UINT CountTypeInfos() { return 0; }
    virtual TypeLibraryCache* GetTypeLibraryCache() { return nullptr; }
    virtual HRESULT LoadTypeLibrary(LCID locale, void** library);
    virtual const MessageMap* GetClassMessageMap() const;
    virtual const CommandTranslationTable* GetClassCommandTable() const;
    virtual const DormantClassTable* GetClassAutomationTable() const;
    virtual const DormantClassTable* GetClassConnectionTable() const;
    virtual const DormantClassTable* GetClassInterfaceTable() const;
    virtual const DormantClassTable* GetClassEventSinkTable() const;
    virtual BOOL CreateAggregatedObjects() { return TRUE; }
    virtual void* QueryInterfaceOverride(const void*) { return nullptr; }
    virtual BOOL CollectExtraConnectionPoints(CPtrList*) { return FALSE; }
    virtual void* QueryConnectionOverride(const GUID&) { return nullptr; }

    DWORD referenceCount = 1;
    void* outerObject = nullptr;
    DWORD innerObjectWord = 0;
    DWORD automationWord = 0;
    BOOL resultExpected = TRUE;
    DWORD connectionWord = 0;

    static const MessageMap messageMap;
    static const CommandTranslationTable commandTable;
};

// Command translation table declaration, inside the class body.
#define LUM_DECLARE_COMMAND_TABLE()                                                                \
public:                                                                                            \
    static const CommandTranslationTable commandTable;                                             \
    const CommandTranslationTable* GetClassCommandTable() const override;

#define LUM_BEGIN_COMMAND_TABLE(cls, base)                                                         \
    const CommandTranslationTable* cls::GetClassCommandTable() const {                             \
        return &cls::commandTable;                                                                 \
    }                                                                                              \
    static const CommandTranslationEntry cls##_commands[] = {

// Command number `command` of `group` (a const GUID*, or nullptr for none)
// stands for command id `id`.
#define LUM_TRANSLATE_COMMAND(group, command, id) {group, command, id},

#define LUM_END_COMMAND_TABLE(cls, base)                                                           \
    { nullptr, 0, 0 }                                                                              \
    }                                                                                              \
    ;                                                                                              \
    const CommandTranslationTable cls::commandTable = {&base::commandTable, cls##_commands};

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

// A command translation request (routing code kRouteTranslate): routing
// writes the translated command id into `id`.
class CCmdTranslation : public CCmdUI {
public:
    void SetEnabled(BOOL) override {}
    void SetChecked(int) override {}
    void SetRadioMark(BOOL) override {}
    void SetItemText(const char*) override {}

    const GUID* group = nullptr;
};

HBITMAP GetRadioDotBitmap();
