// Per-thread tables from system handles to wrapper objects.
#pragma once

#include <windows.h>
#include "framework/runtime/object.h"

class CHandleTable {
public:
    CHandleTable() = default;
    virtual ~CHandleTable();
    CHandleTable(const CHandleTable&) = delete;
    CHandleTable& operator=(const CHandleTable&) = delete;

    // The wrapper bound to `handle` for good, or null.
    virtual CObject* LookupPermanent(HANDLE handle);
    // Frees every temporary wrapper made since the last clean-up.
    virtual void DeleteTemporaries();
};

// The thread's window table, or null when none was ever needed.
CHandleTable* ExistingWindowTable();

// Temporary wrappers are deleted at the idle clean-up, in this order.
void DeleteAllTemporaries();
