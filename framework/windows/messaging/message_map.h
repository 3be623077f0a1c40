// Message-map entries, the maps of a class chain and the macros a class uses
// to declare and fill its map. A message with a cracker (message_crackers.h)
// has its form fixed by the message; any other entry names its form (the
// forms are in handler_forms.h and command_forms.h). The macros check the
// member against the form when the map is compiled.
//
// The road of a message, each step in one place: the thread's pump
// (application/win_thread.cpp) → the common window procedure and its
// delivery step (messaging/window_proc.cpp) → the dispatch and its lookup
// cache (messaging/dispatch.cpp) → this map, searched up the class chain →
// the entry's thunk, which unpacks the words in the entry's form
// (messaging/handler_dispatch.h) → the handler.
#pragma once

#include <windows.h>
#include <cstddef>
#include "framework/runtime/framework_ids.h"
#include "framework/windows/messaging/handler_forms.h"

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

// Inline: commands walk maps on every notification, so the scan stays in
// the caller.
inline const MessageMapEntry* LookUpMapEntry(const MessageMapEntry* entries, UINT message,
                                             UINT code, UINT id) {
    for (const MessageMapEntry* e = entries; e->signature != 0; ++e) {
        if (e->message == message && e->code == code && e->firstId <= id && id <= e->lastId) {
            return e;
        }
    }
    return nullptr;
}

// A registered message's entry: its number is read from the variable the
// entry names, since it is only known at run time.
inline const MessageMapEntry* LookUpRegisteredEntry(const MessageMapEntry* entries, UINT message) {
    for (const MessageMapEntry* e = entries;
         (e = LookUpMapEntry(e, kFirstRegisteredMessage, 0, 0)) != nullptr; ++e) {
        if (*reinterpret_cast<const UINT*>(e->signature) == message) {
            return e;
        }
    }
    return nullptr;
}

// Map declaration, inside the class body of `cls`. Entries name their
// handlers through ThisClass.
#define LUM_DECLARE_MESSAGE_MAP(cls)                                                               \
public:                                                                                            \
    using ThisClass = cls;                                                                         \
    static const MessageMap messageMap;                                                            \
    static const MessageMapEntry messageEntries[];                                                 \
    const MessageMap* GetClassMessageMap() const override;

// Map definition, in one source file. The entries are the initializer of a
// static member, so ThisClass is cls there.
#define LUM_BEGIN_MESSAGE_MAP(cls, base)                                                           \
    const MessageMap* cls::GetClassMessageMap() const {                                            \
        return &cls::messageMap;                                                                   \
    }                                                                                              \
    const MessageMapEntry cls::messageEntries[] = {

#define LUM_END_MESSAGE_MAP(cls, base)                                                             \
    { 0, 0, 0, 0, 0, nullptr }                                                                     \
    }                                                                                              \
    ;                                                                                              \
    const MessageMap cls::messageMap = {&base::messageMap, cls::messageEntries};

// A window message handled by member `fn` in `form`, one of LumForm's; in a
// thread's map, one of LumForm::ThreadForms. For a message with a cracker
// (message_crackers.h) write its LUM_ON_WM_ entry instead.
#define LUM_ON_MESSAGE(msg, form, fn)                                                              \
    {msg,                                                                                          \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     mapform::MessageEntryCode<ThisClass, form>(),                                                 \
     mapform::HandlerOf<mapform::WindowKind, form, &ThisClass::fn>()},

// A registered message: `number` is the variable holding its number. The
// handler takes the LumForm::LresultWParamLParam form, or with _AS a form
// cracked from it (the dispatch calls every registered handler in that one).
#define LUM_ON_REGISTERED_MESSAGE(number, fn)                                                      \
    LUM_ON_REGISTERED_MESSAGE_AS(number, LumForm::LresultWParamLParam, fn)
#define LUM_ON_REGISTERED_MESSAGE_AS(number, form, fn)                                             \
    {kFirstRegisteredMessage,                                                                      \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     reinterpret_cast<UINT_PTR>(&number),                                                          \
     mapform::RegisteredHandlerOf<form, &ThisClass::fn>()},

// A thread message, handled as void fn(WPARAM, LPARAM).
#define LUM_ON_THREAD_MESSAGE(msg, fn) LUM_ON_MESSAGE(msg, LumForm::VoidWParamLParam, fn)

// A thread message in `form`, one of LumForm::ThreadForms.
#define LUM_ON_THREAD_MESSAGE_AS(msg, form, fn)                                                    \
    {msg,                                                                                          \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     mapform::ThreadFormCode<form>(),                                                              \
     mapform::HandlerOf<mapform::WindowKind, form, &ThisClass::fn>()},

// An entry for command routing in `form`, one of LumCommandForm's.
#define LUM_COMMAND_ENTRY(msg, notification, first, last, form, fn)                                \
    {msg,  notification, first,                                                                    \
     last, form::code,   mapform::HandlerOf<mapform::CommandKind, form, &ThisClass::fn>()},

// A command (menu item, accelerator or button click): void fn().
#define LUM_ON_COMMAND(id, fn) LUM_COMMAND_ENTRY(WM_COMMAND, 0, id, id, LumCommandForm::Void, fn)

// A control notification through WM_COMMAND: void fn().
#define LUM_ON_CONTROL(code, id, fn)                                                               \
    LUM_COMMAND_ENTRY(WM_COMMAND, code, id, id, LumCommandForm::Void, fn)

// A range of commands, the handler told the id: BOOL fn(UINT id).
#define LUM_ON_COMMAND_RANGE(first, last, fn)                                                      \
    LUM_COMMAND_ENTRY(WM_COMMAND, 0, first, last, LumCommandForm::BoolId, fn)

// An update handler: void fn(CCmdUI*).
#define LUM_ON_UPDATE_COMMAND_UI(id, fn)                                                           \
    LUM_COMMAND_ENTRY(WM_COMMAND, 0xFFFFFFFFu, id, id, LumCommandForm::VoidCmdUi, fn)

// A notification through WM_NOTIFY: void fn(NMHDR*, LRESULT*).
#define LUM_ON_NOTIFY(code, id, fn)                                                                \
    LUM_COMMAND_ENTRY(WM_NOTIFY, (code)&0xFFFFu, id, id, LumCommandForm::VoidNotify, fn)

// A control's own WM_COMMAND notification, reflected back to it: void fn().
#define LUM_ON_CONTROL_REFLECT(code, fn)                                                           \
    LUM_COMMAND_ENTRY(kReflectedCommand, code, 0, 0, LumCommandForm::Void, fn)

// A control's own WM_NOTIFY notification, reflected back to it:
// void fn(NMHDR*, LRESULT*).
#define LUM_ON_NOTIFY_REFLECT(code, fn)                                                            \
    LUM_COMMAND_ENTRY(kReflectedNotify, (code)&0xFFFFu, 0, 0, LumCommandForm::VoidNotify, fn)

// A window message reflected back to the control that caused it.
#define LUM_ON_MESSAGE_REFLECT(msg, form, fn) LUM_ON_MESSAGE(kReflectBase + (msg), form, fn)

#include "framework/windows/messaging/message_crackers.h"
