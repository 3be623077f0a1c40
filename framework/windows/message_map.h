// Message-map entries, the maps of a class chain and the macros a class uses
// to declare and fill its map. Each entry names its handler's form (the
// forms are in handler_forms.h); the macros check the member against it when
// the map is compiled.
#pragma once

#include <windows.h>
#include <cstddef>
#include "framework/runtime/framework_ids.h"
#include "framework/windows/handler_forms.h"

struct MessageMapEntry {
    UINT message;
    UINT code;
    UINT firstId;
    UINT lastId;
    UINT_PTR signature; // for a registered message: address of its number
    MapHandler handler;
};
static_assert(sizeof(MessageMapEntry) == 24, "six 32-bit fields");
static_assert(offsetof(MessageMapEntry, code) == 4);
static_assert(offsetof(MessageMapEntry, firstId) == 8);
static_assert(offsetof(MessageMapEntry, lastId) == 12);
static_assert(offsetof(MessageMapEntry, signature) == 16);
static_assert(offsetof(MessageMapEntry, handler) == 20);

struct MessageMap {
    const MessageMap* base;
    const MessageMapEntry* entries;
};

// Inline: commands walk maps on every notification, and under an emulator
// each call and return costs more than the scan.
inline const MessageMapEntry* LookUpMapEntry(const MessageMapEntry* entries, UINT message,
                                             UINT code, UINT id) {
    for (const MessageMapEntry* e = entries; e->signature != 0; ++e) {
        if (e->message == message && e->code == code && e->firstId <= id && id <= e->lastId) {
            return e;
        }
    }
    return nullptr;
}

// Map declaration, inside the class body.
#define LUM_DECLARE_MESSAGE_MAP()                                                                  \
public:                                                                                            \
    static const MessageMap messageMap;                                                            \
    const MessageMap* GetClassMessageMap() const override;

// Map definition, in one source file.
#define LUM_BEGIN_MESSAGE_MAP(cls, base)                                                           \
    const MessageMap* cls::GetClassMessageMap() const {                                            \
        return &cls::messageMap;                                                                   \
    }                                                                                              \
    static const MessageMapEntry cls##_entries[] = {

#define LUM_END_MESSAGE_MAP(cls, base)                                                             \
    { 0, 0, 0, 0, 0, nullptr }                                                                     \
    }                                                                                              \
    ;                                                                                              \
    const MessageMap cls::messageMap = {&base::messageMap, cls##_entries};

// A window message handled by member `fn` of `cls` in `form`, one of LumForm's;
// in a thread's map, one of LumForm::ThreadForms.
#define LUM_ON_MESSAGE(msg, form, cls, fn)                                                         \
    {msg,                                                                                          \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     mapform::MessageEntryCode<cls, form>(),                                                       \
     mapform::HandlerOf<mapform::WindowKind, form, &cls::fn>()},

// A registered message: `number` is the variable holding its number. The
// handler takes the LumForm::LresultWParamLParam form.
#define LUM_ON_REGISTERED_MESSAGE(number, cls, fn)                                                 \
    {0xC000,                                                                                       \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     reinterpret_cast<UINT_PTR>(&number),                                                          \
     mapform::HandlerOf<mapform::WindowKind, LumForm::LresultWParamLParam, &cls::fn>()},

// A thread message, handled as void fn(WPARAM, LPARAM).
#define LUM_ON_THREAD_MESSAGE(msg, cls, fn) LUM_ON_MESSAGE(msg, LumForm::VoidWParamLParam, cls, fn)

// A thread message in `form`, one of LumForm::ThreadForms.
#define LUM_ON_THREAD_MESSAGE_AS(msg, form, cls, fn)                                               \
    {msg,                                                                                          \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     mapform::ThreadFormCode<form>(),                                                              \
     mapform::HandlerOf<mapform::WindowKind, form, &cls::fn>()},

// An entry for command routing in `form`, one of LumCommandForm's.
#define LUM_COMMAND_ENTRY(msg, notification, first, last, form, cls, fn)                           \
    {msg,  notification, first,                                                                    \
     last, form::code,   mapform::HandlerOf<mapform::CommandKind, form, &cls::fn>()},

// A command (menu item, accelerator or button click): void fn().
#define LUM_ON_COMMAND(id, cls, fn)                                                                \
    LUM_COMMAND_ENTRY(WM_COMMAND, 0, id, id, LumCommandForm::Void, cls, fn)

// A control notification through WM_COMMAND: void fn().
#define LUM_ON_CONTROL(code, id, cls, fn)                                                          \
    LUM_COMMAND_ENTRY(WM_COMMAND, code, id, id, LumCommandForm::Void, cls, fn)

// A range of commands, the handler told the id: BOOL fn(UINT id).
#define LUM_ON_COMMAND_RANGE(first, last, cls, fn)                                                 \
    LUM_COMMAND_ENTRY(WM_COMMAND, 0, first, last, LumCommandForm::BoolId, cls, fn)

// An update handler: void fn(CCmdUI*).
#define LUM_ON_UPDATE_COMMAND_UI(id, cls, fn)                                                      \
    LUM_COMMAND_ENTRY(WM_COMMAND, 0xFFFFFFFFu, id, id, LumCommandForm::VoidCmdUi, cls, fn)

// A notification through WM_NOTIFY: void fn(NMHDR*, LRESULT*).
#define LUM_ON_NOTIFY(code, id, cls, fn)                                                           \
    LUM_COMMAND_ENTRY(WM_NOTIFY, (code)&0xFFFFu, id, id, LumCommandForm::VoidNotify, cls, fn)

// A control's own WM_COMMAND notification, reflected back to it: void fn().
#define LUM_ON_CONTROL_REFLECT(code, cls, fn)                                                      \
    LUM_COMMAND_ENTRY(kReflectedCommand, code, 0, 0, LumCommandForm::Void, cls, fn)

// A control's own WM_NOTIFY notification, reflected back to it:
// void fn(NMHDR*, LRESULT*).
#define LUM_ON_NOTIFY_REFLECT(code, cls, fn)                                                       \
    LUM_COMMAND_ENTRY(kReflectedNotify, (code)&0xFFFFu, 0, 0, LumCommandForm::VoidNotify, cls, fn)

// A window message reflected back to the control that caused it.
#define LUM_ON_MESSAGE_REFLECT(msg, form, cls, fn)                                                 \
    LUM_ON_MESSAGE(kReflectBase + (msg), form, cls, fn)
