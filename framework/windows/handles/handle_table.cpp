#include "framework/windows/handles/handle_table.h"

#include <initializer_list>
#include "framework/runtime/exceptions.h"
#include "framework/runtime/memory.h"
#include "framework/runtime/state.h"

CHandleTable::CHandleTable(const RuntimeClassInfo* wrapperClass, HandleField handleField,
                           int handleCount, void (*forget)())
    : wrapperClass(wrapperClass), handleField(handleField), handleCount(handleCount),
      forgetAnswers(forget) {
    temporaryObjects.SetTableSize(7, FALSE);
}

CHandleTable::~CHandleTable() {
    DeleteTemporaries();
    Changed();
}

void CHandleTable::Changed() const {
    if (forgetAnswers != nullptr) {
        forgetAnswers();
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
                             HandleField field, int handleCount, void (*forget)()) {
    if (slot == nullptr && create) {
        SafetyPoolScope pool;
        slot = new CHandleTable(wrapperClass, field, handleCount, forget);
        GetModuleThreadState()->releaseHandleTables = &DeleteHandleTables;
    }
    return slot;
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
