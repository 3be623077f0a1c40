#include "framework/windows/handle_table.h"

#include <initializer_list>
#include "framework/runtime/state.h"

CHandleTable::~CHandleTable() = default;

CObject* CHandleTable::LookupPermanent(HANDLE) { return nullptr; }

void CHandleTable::DeleteTemporaries() {}

CHandleTable* ExistingWindowTable() { return GetModuleThreadState()->windowTable; }

void DeleteAllTemporaries() {
    AFX_MODULE_THREAD_STATE* state = GetModuleThreadState();
    for (CHandleTable* table : {state->gdiObjectTable, state->dcTable, state->menuTable,
                                state->windowTable, state->imageListTable}) {
        if (table != nullptr) {
            table->DeleteTemporaries();
        }
    }
}

void DeleteHandleTables(AFX_MODULE_THREAD_STATE* state) {
    for (CHandleTable** table : {&state->windowTable, &state->menuTable, &state->dcTable,
                                 &state->gdiObjectTable, &state->imageListTable}) {
        delete *table;
        *table = nullptr;
    }
}
