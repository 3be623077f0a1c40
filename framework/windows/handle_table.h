// Per-thread tables from system handles to wrapper objects: permanent
// wrappers that the program bound, and temporaries made on demand and
// deleted in idle time.
#pragma once

#include <windows.h>
#include "framework/runtime/collections.h"
#include "framework/runtime/object.h"

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

class CWnd;
class ThreadState;

// Which window lookup slot of the thread state an answer goes to.
enum class WindowLookupUse { WindowProcedure = 0, Other = 1 };

// The permanent object bound to `window` in this thread's window table, or
// null; repeated questions are answered from the thread state.
CWnd* FindPermanentWindow(ThreadState* state, HWND window, WindowLookupUse use);

// Deletes the temporaries of every table: GDI objects, device contexts,
// menus, windows, image lists.
void DeleteAllTemporaries();
