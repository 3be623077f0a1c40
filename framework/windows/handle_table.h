// Per-thread tables from system handles to wrapper objects: permanent
// wrappers that the program bound, and temporaries made on demand and
// deleted in idle time.
#pragma once

#include <windows.h>
#include "framework/runtime/collections.h"
#include "framework/runtime/object.h"
#include "framework/runtime/state.h"

// Where a wrapper keeps its handle (the first of two when handleCount is 2).
using HandleField = HANDLE* (*)(CObject* wrapper);

class CHandleTable {
public:
    CHandleTable(const RuntimeClassInfo* wrapperClass, HandleField handleField, int handleCount);
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

private:
    void WriteHandle(CObject* wrapper, HANDLE handle) const;
    // Every change that could alter a permanent answer (and the deletion of
    // temporaries) comes through here: answers kept outside the table must
    // not outlive it.
    void Changed() const;
};

// The table held in `slot`, made on request for wrappers of `wrapperClass`;
// with `create` clear an absent table stays absent.
CHandleTable* GetHandleTable(CHandleTable*& slot, BOOL create, const RuntimeClassInfo* wrapperClass,
                             HandleField field, int handleCount);

// This thread's tables. The image-list table's maker lives with its wrapper.
CHandleTable* GetWindowTable(BOOL create);
CHandleTable* GetMenuTable(BOOL create);
CHandleTable* GetDcTable(BOOL create);
CHandleTable* GetGdiObjectTable(BOOL create);
CHandleTable* GetImageListTable(BOOL create);

// What every wrapper class does with its table, given the table's maker.
using TableMaker = CHandleTable* (*)(BOOL create);

// The object for `handle`: its permanent one, or else a temporary made now.
template <class Wrapper> Wrapper* ObjectIn(TableMaker table, HANDLE handle) {
    return static_cast<Wrapper*>(table(TRUE)->ObjectFor(handle));
}

// The permanent object bound to `handle`, or null; no table is made to say so.
template <class Wrapper> Wrapper* PermanentObjectIn(TableMaker table, HANDLE handle) {
    CHandleTable* existing = table(FALSE);
    return existing != nullptr ? static_cast<Wrapper*>(existing->FindPermanent(handle)) : nullptr;
}

// Takes `handle`'s permanent binding out of its table, if there is one.
inline void UnbindIn(TableMaker table, HANDLE handle) {
    if (handle != nullptr) {
        if (CHandleTable* existing = table(FALSE)) {
            existing->UnbindPermanent(handle);
        }
    }
}

// The thread state's lookup slot for a window handle. Handle values differ
// in their low bits on one system and in their high word on another: both
// take part in the index.
[[gnu::always_inline]] inline WindowLookupSlot& WindowLookupSlotFor(ThreadState* state,
                                                                    HWND window) {
    auto bits = static_cast<UINT>(reinterpret_cast<UINT_PTR>(window));
    constexpr int kShift = 32 - 7;
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

// Deletes the temporaries of every table: GDI objects, device contexts,
// menus, windows, image lists.
void DeleteAllTemporaries();
