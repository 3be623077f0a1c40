// Command targets and their message maps: a static table per class, linked
// to the base class's table.
#pragma once

#include <windows.h>
#include <cstddef>
#include "framework/runtime/object.h"

class CCmdTarget;

// The handler field holds a per-handler thunk, a plain function whose first
// parameter is the target; its real type is fixed by the signature code.
using MapHandler = void (*)();

struct MessageMapEntry {
    UINT message;
    UINT code;
    UINT firstId;
    UINT lastId;
    UINT_PTR signature;
    MapHandler handler;
};
static_assert(sizeof(MessageMapEntry) == 24, "six 32-bit fields");
static_assert(offsetof(MessageMapEntry, signature) == 16);
static_assert(offsetof(MessageMapEntry, handler) == 20);

struct MessageMap {
    const MessageMap* base;
    const MessageMapEntry* entries;
};

const MessageMapEntry* LookUpMapEntry(const MessageMapEntry* entries, UINT message, UINT code,
                                      UINT id);

class CCmdTarget : public CObject {
    LUM_DECLARE_CLASS(CCmdTarget)
public:
    CCmdTarget() = default;
    ~CCmdTarget() override = default;

    virtual const MessageMap* GetClassMessageMap() const;

    DWORD referenceCount = 1;
    void* outerObject = nullptr;
    DWORD innerObjectWord = 0;
    DWORD automationWord = 0;
    BOOL resultExpected = TRUE;
    DWORD connectionWord = 0;

    static const MessageMap messageMap;
};

// Thunks: each turns the plain entry call back into a member call. A member
// whose type does not match the thunk's form fails to compile.
template <auto Member> struct MapThunk;

template <class C, void (C::*Member)(WPARAM, LPARAM)> struct MapThunk<Member> {
    static void Call(CCmdTarget* target, WPARAM w, LPARAM l) {
        (static_cast<C*>(target)->*Member)(w, l);
    }
};

using ThreadMessageHandler = void (*)(CCmdTarget*, WPARAM, LPARAM);

// Signature code of a handler taking (wParam, lParam) with no result.
constexpr UINT kSigVoidWParamLParam = 14;

#define LUM_MAP_END {0, 0, 0, 0, 0, nullptr}

// A thread message handled by member `fn` of class `cls`: void fn(WPARAM, LPARAM).
#define LUM_ON_THREAD_MESSAGE(msg, cls, fn)                                                        \
    {msg, 0, 0, 0, kSigVoidWParamLParam,                                                           \
     reinterpret_cast<MapHandler>(static_cast<ThreadMessageHandler>(&MapThunk<&cls::fn>::Call))}
