// Seventeen process-wide locks, created on first use and never deleted.
#pragma once

#include <windows.h>
#include "framework/runtime/scopes.h"

enum GlobalLock {
    kLockWindowClasses = 1,
    kLockWaitCursor = 2,
    kLockMessageMapCache = 7,
    kLockTypeLibraries = 13,
    kLockProcessRecords = 16,
    kGlobalLockCount = 17
};

void TakeGlobalLock(int n);
void ReleaseGlobalLock(int n);

// The section of lock `n`, created on first use; null where nothing needs
// locking. Held for a scope as CriticalSectionLock guard(GlobalLockSection(n)).
CRITICAL_SECTION* GlobalLockSection(int n);
