#include "framework/windows/handle_table.h"

#include <initializer_list>
#include "framework/runtime/exceptions.h"
#include "framework/runtime/memory.h"
#include "framework/runtime/state.h"
#include "framework/windows/dc.h"
#include "framework/windows/gdi_object.h"
#include "framework/windows/menu.h"
#include "framework/windows/window.h"

namespace {

HANDLE* WindowHandleField(CObject* o) {
    return reinterpret_cast<HANDLE*>(&static_cast<CWnd*>(o)->windowHandle);
}

} // namespace

CHandleTable::CHandleTable(const RuntimeClassInfo* wrapperClass, HandleField handleField,
                           int handleCount)
    : wrapperClass(wrapperClass), handleField(handleField), handleCount(handleCount) {
    temporaryObjects.SetTableSize(7, FALSE);
}

CHandleTable::~CHandleTable() {
    DeleteTemporaries();
    Changed();
}

void CHandleTable::Changed() const {
    // Tables belong to the thread that uses them; at thread end the state
    // record may already be gone, and then so are its lookups.
    if (handleField == &WindowHandleField) {
        if (ThreadState* state = PeekThreadState()) {
            for (WindowLookupSlot& slot : state->windowLookups) {
                slot = {nullptr, nullptr};
            }
        }
    }
}

void* CHandleTable::operator new(size_t size) {
    void* p = AllocateObjectMemory(size);
    if (p == nullptr) {
        RaiseMemoryException();
    }
    return p;
}

void CHandleTable::operator delete(void* p) noexcept {
    FreeObjectMemory(p);
}

void CHandleTable::WriteHandle(CObject* wrapper, HANDLE handle) const {
    HANDLE* field = handleField(wrapper);
    field[0] = handle;
    if (handleCount == 2) {
        field[1] = handle;
    }
}

CObject* CHandleTable::FindPermanent(HANDLE handle) const {
    return static_cast<CObject*>(permanentObjects.FindValue(handle));
}

CObject* CHandleTable::FindTemporary(HANDLE handle) const {
    return static_cast<CObject*>(temporaryObjects.FindValue(handle));
}

CObject* CHandleTable::ObjectFor(HANDLE handle) {
    if (handle == nullptr) {
        return nullptr;
    }
    if (CObject* permanent = FindPermanent(handle)) {
        return permanent;
    }
    CObject* wrapper = FindTemporary(handle);
    if (wrapper == nullptr) {
        // Temporaries may spend the safety pool: running out here must not
        // fail a message that only wanted to look at a handle.
        SafetyPoolScope pool;
        wrapper =
            wrapperClass->creationFunction != nullptr ? wrapperClass->creationFunction() : nullptr;
        if (wrapper == nullptr) {
            RaiseMemoryException();
        }
        try {
            temporaryObjects.ValueSlot(handle) = wrapper;
        } catch (...) {
            delete wrapper;
            throw;
        }
    }
    WriteHandle(wrapper, handle);
    return wrapper;
}

void CHandleTable::BindPermanent(HANDLE handle, CObject* wrapper) {
    Changed();
    permanentObjects.ValueSlot(handle) = wrapper;
}

void CHandleTable::UnbindPermanent(HANDLE handle) {
    Changed();
    permanentObjects.Erase(handle);
}

void CHandleTable::DeleteTemporaries() {
    POSITION position = temporaryObjects.FirstPosition();
    const bool any = position != nullptr;
    while (position != nullptr) {
        void* key;
        void* value;
        temporaryObjects.NextPair(position, key, value);
        if (auto* wrapper = static_cast<CObject*>(value)) {
            // Cleared first: deleting a temporary never touches what it wraps.
            WriteHandle(wrapper, nullptr);
            delete wrapper;
        }
    }
    temporaryObjects.Clear();
    temporaryObjects.SetTableSize(7, FALSE);
    // Lookups never keep temporaries; forgetting them all is only prudence,
    // and idle time comes often.
    if (any) {
        Changed();
    }
}

namespace {

HANDLE* DcHandleFields(CObject* o) {
    // The output handle, with the attribute handle right behind it.
    static_assert(sizeof(HDC) == sizeof(HANDLE));
    return reinterpret_cast<HANDLE*>(&static_cast<CDC*>(o)->outputHandle);
}

HANDLE* GdiObjectHandleField(CObject* o) {
    return reinterpret_cast<HANDLE*>(&static_cast<CGdiObject*>(o)->objectHandle);
}

HANDLE* MenuHandleField(CObject* o) {
    return reinterpret_cast<HANDLE*>(&static_cast<CMenu*>(o)->menuHandle);
}

// In the order window, menu, device context, GDI object, image list.
void DeleteHandleTables(ModuleThreadState* state) {
    for (CHandleTable** table : {&state->windowTable, &state->menuTable, &state->dcTable,
                                 &state->gdiObjectTable, &state->imageListTable}) {
        delete *table;
        *table = nullptr;
    }
}

} // namespace

CHandleTable* GetHandleTable(CHandleTable*& slot, BOOL create, const RuntimeClassInfo* wrapperClass,
                             HandleField field, int handleCount) {
    if (slot == nullptr && create) {
        SafetyPoolScope pool;
        slot = new CHandleTable(wrapperClass, field, handleCount);
        GetModuleThreadState()->releaseHandleTables = &DeleteHandleTables;
    }
    return slot;
}

CHandleTable* GetWindowTable(BOOL create) {
    return GetHandleTable(GetModuleThreadState()->windowTable, create, LUM_RUNTIME_CLASS(CWnd),
                          &WindowHandleField, 1);
}

CHandleTable* GetMenuTable(BOOL create) {
    return GetHandleTable(GetModuleThreadState()->menuTable, create, LUM_RUNTIME_CLASS(CMenu),
                          &MenuHandleField, 1);
}

CHandleTable* GetDcTable(BOOL create) {
    return GetHandleTable(GetModuleThreadState()->dcTable, create, LUM_RUNTIME_CLASS(CDC),
                          &DcHandleFields, 2);
}

CHandleTable* GetGdiObjectTable(BOOL create) {
    return GetHandleTable(GetModuleThreadState()->gdiObjectTable, create,
                          LUM_RUNTIME_CLASS(CGdiObject), &GdiObjectHandleField, 1);
}

CWnd* LookUpPermanentWindow(WindowLookupSlot& slot, HWND window) {
    CHandleTable* table = GetWindowTable(FALSE);
    slot.object = table != nullptr ? static_cast<CWnd*>(table->FindPermanent(window)) : nullptr;
    slot.handle = window;
    return slot.object;
}

void DeleteAllTemporaries() {
    ModuleThreadState* state = GetModuleThreadState();
    for (CHandleTable* table : {state->gdiObjectTable, state->dcTable, state->menuTable,
                                state->windowTable, state->imageListTable}) {
        if (table != nullptr) {
            table->DeleteTemporaries();
        }
    }
}
