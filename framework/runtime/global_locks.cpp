#include "framework/runtime/global_locks.h"

#include "framework/runtime/system_function.h"

#include <windows.h>
#include <atomic>

namespace {

struct GlobalLockTable {
    CRITICAL_SECTION locks[kGlobalLockCount];
    LONG initialized[kGlobalLockCount];
    CRITICAL_SECTION lazyInit;
    BOOL setUp;
    BOOL noLocking;
};

// Zero-initialized before any code runs, so usable during static construction.
GlobalLockTable lockTable;

void SetUpLocks() {
    lockTable.setUp = TRUE;
    // Win32s has no threads worth locking against.
    if (RunsOnWin32s()) {
        lockTable.noLocking = TRUE;
    } else {
        lockTable.noLocking = FALSE;
        InitializeCriticalSection(&lockTable.lazyInit);
    }
}

} // namespace

CRITICAL_SECTION* GlobalLockSection(int n) {
    if (!lockTable.setUp) {
        SetUpLocks();
    }
    if (lockTable.noLocking) {
        return nullptr;
    }
    // The unlocked check must not see the word set before the section is.
    std::atomic_ref<LONG> initialized(lockTable.initialized[n]);
    if (initialized.load(std::memory_order_acquire) == 0) {
        EnterCriticalSection(&lockTable.lazyInit);
        if (initialized.load(std::memory_order_relaxed) == 0) {
            InitializeCriticalSection(&lockTable.locks[n]);
            initialized.store(1, std::memory_order_release);
        }
        LeaveCriticalSection(&lockTable.lazyInit);
    }
    return &lockTable.locks[n];
}

void TakeGlobalLock(int n) {
    if (CRITICAL_SECTION* section = GlobalLockSection(n)) {
        EnterCriticalSection(section);
    }
}

void ReleaseGlobalLock(int n) {
    if (!lockTable.noLocking) {
        LeaveCriticalSection(&lockTable.locks[n]);
    }
}
