// Per-thread tables from system handles to wrapper objects: permanent
// wrappers that the program bound, and temporaries made on demand and
// deleted in idle time.
#pragma once

#include <windows.h>
#include <type_traits>
#include <utility>
#include "framework/runtime/collections.h"
#include "framework/runtime/object.h"
#include "framework/runtime/state.h"

// Where a wrapper keeps its handle (the first of two when handleCount is 2).
using HandleField = HANDLE* (*)(CObject* wrapper);

class CHandleTable {
public:
    // `forget`, when given, is told of every change that could alter a
    // permanent answer, for answers kept outside the table.
    CHandleTable(const RuntimeClassInfo* wrapperClass, HandleField handleField, int handleCount,
                 void (*forget)() = nullptr);
    ~CHandleTable();
    CHandleTable(const CHandleTable&) = delete;
    CHandleTable& operator=(const CHandleTable&) = delete;

    static void* operator new(size_t size);
    static void operator delete(void* p) noexcept;

    // Null only for a null handle; a handle nobody bound gets a temporary.
    CObject* ObjectFor(HANDLE handle);
    CObject* FindPermanent(HANDLE handle) const;
    CObject* FindTemporary(HANDLE handle) const;
    void BindPermanent(HANDLE handle, CObject* wrapper);
    void UnbindPermanent(HANDLE handle);
    void DeleteTemporaries();

    CMapPtrToPtr permanentObjects{10};
    CMapPtrToPtr temporaryObjects{4};
    const RuntimeClassInfo* wrapperClass;
    HandleField handleField;
    int handleCount;
    void (*forgetAnswers)();

private:
    void WriteHandle(CObject* wrapper, HANDLE handle) const;
    // Every change that could alter a permanent answer (and the deletion of
    // temporaries) comes through here: answers kept outside the table must
    // not outlive it.
    void Changed() const;
};

// The table held in `slot`, made on request as the constructor's arguments
// say; with `create` clear an absent table stays absent.
CHandleTable* GetHandleTable(CHandleTable*& slot, BOOL create, const RuntimeClassInfo* wrapperClass,
                             HandleField field, int handleCount, void (*forget)() = nullptr);

// The table side of a wrapper class whose handle lives in its member Field
// (HandleCount handles there, one after the other) and whose table this
// thread's module state holds in Slot: the table itself, objects for
// handles, binding and letting go. Forget, when given, hears of every change
// that could alter a permanent answer. The classes' own members of those
// names call these and add what is theirs.
template <class Wrapper, auto Field, CHandleTable* ModuleThreadState::*Slot, int HandleCount = 1,
          void (*Forget)() = nullptr>
struct WrapperTable {
    using Handle = std::remove_reference_t<decltype(std::declval<Wrapper&>().*Field)>;

    static HANDLE* HandleField(CObject* wrapper) {
        return reinterpret_cast<HANDLE*>(&(static_cast<Wrapper*>(wrapper)->*Field));
    }

    // With `create` clear an absent table stays absent.
    static CHandleTable* Table(BOOL create) {
        return GetHandleTable(GetModuleThreadState()->*Slot, create, Wrapper::StaticClass(),
                              &HandleField, HandleCount, Forget);
    }

    // The object for `handle`: its permanent one, or else a temporary made now.
    static Wrapper* ObjectFor(Handle handle) {
        return static_cast<Wrapper*>(Table(TRUE)->ObjectFor(handle));
    }

    // The permanent object bound to `handle`, or null; no table is made to say so.
    static Wrapper* PermanentObjectFor(Handle handle) {
        CHandleTable* existing = Table(FALSE);
        return existing != nullptr ? static_cast<Wrapper*>(existing->FindPermanent(handle))
                                   : nullptr;
    }

    // Entered in the table first: when it cannot grow, the object stays unbound.
    static BOOL Bind(Wrapper& object, Handle handle) {
        if (handle == nullptr) {
            return FALSE;
        }
        Table(TRUE)->BindPermanent(handle, &object);
        object.*Field = handle;
        return TRUE;
    }

    // Takes the object's permanent binding out of the table; its handle, now its caller's.
    static Handle Unbind(Wrapper& object) {
        Handle handle = object.*Field;
        if (handle != nullptr) {
            if (CHandleTable* existing = Table(FALSE)) {
                existing->UnbindPermanent(handle);
            }
        }
        object.*Field = nullptr;
        return handle;
    }
};

// Deletes the temporaries of every table: GDI objects, device contexts,
// menus, windows, image lists.
void DeleteAllTemporaries();
