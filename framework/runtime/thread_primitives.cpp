#include "framework/runtime/thread_primitives.h"

#include <windows.h>

namespace {

constexpr int kSpinsBeforeYield = 64;
constexpr int kMaxKeys = 8;
constexpr long kOnceIdle = 0;
constexpr long kOnceRunning = 1;
constexpr long kOnceDone = 2;

// A short spin, then the rest of the time slice, then a real sleep, so that
// a lower-priority owner gets to run.
void PauseWhileTaken(int round) {
    if (round < kSpinsBeforeYield) {
        return;
    }
    Sleep(round < 2 * kSpinsBeforeYield ? 0 : 1);
}

struct KeyRecord {
    DWORD slot;
    void (*destructor)(void*);
    bool used;
};

// The keys that have destructors, for LumRunKeyDestructors.
struct KeyTable {
    LumSpinLock lock;
    KeyRecord keys[kMaxKeys];
};
constinit KeyTable keyTable = {};

} // namespace

extern "C" {

void LumSpinAcquire(LumSpinLock* lock) {
    for (int round = 0; __atomic_exchange_n(&lock->taken, 1, __ATOMIC_ACQUIRE) != 0; ++round) {
        PauseWhileTaken(round);
    }
}

int LumSpinTryAcquire(LumSpinLock* lock) {
    return __atomic_exchange_n(&lock->taken, 1, __ATOMIC_ACQUIRE) == 0;
}

void LumSpinRelease(LumSpinLock* lock) {
    __atomic_store_n(&lock->taken, 0, __ATOMIC_RELEASE);
}

void LumRecursiveAcquire(LumRecursiveLock* lock) {
    DWORD self = GetCurrentThreadId();
    if (lock->depth != 0 && lock->owner == self) {
        ++lock->depth;
        return;
    }
    LumSpinAcquire(&lock->lock);
    lock->owner = self;
    lock->depth = 1;
}

int LumRecursiveTryAcquire(LumRecursiveLock* lock) {
    DWORD self = GetCurrentThreadId();
    if (lock->depth != 0 && lock->owner == self) {
        ++lock->depth;
        return 1;
    }
    if (!LumSpinTryAcquire(&lock->lock)) {
        return 0;
    }
    lock->owner = self;
    lock->depth = 1;
    return 1;
}

void LumRecursiveRelease(LumRecursiveLock* lock) {
    if (--lock->depth == 0) {
        lock->owner = 0;
        LumSpinRelease(&lock->lock);
    }
}

void LumRunOnce(LumOnceFlag* flag, void (*routine)(void)) {
    long expected = kOnceIdle;
    if (__atomic_compare_exchange_n(&flag->state, &expected, kOnceRunning, false, __ATOMIC_ACQUIRE,
                                    __ATOMIC_ACQUIRE)) {
        routine();
        __atomic_store_n(&flag->state, kOnceDone, __ATOMIC_RELEASE);
        return;
    }
    for (int round = 0; __atomic_load_n(&flag->state, __ATOMIC_ACQUIRE) != kOnceDone; ++round) {
        PauseWhileTaken(round);
    }
}

int LumKeyCreate(unsigned long* key, void (*destructor)(void*)) {
    DWORD slot = TlsAlloc();
    if (slot == TLS_OUT_OF_INDEXES) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    if (destructor != nullptr) {
        LumSpinAcquire(&keyTable.lock);
        KeyRecord* free = nullptr;
        for (KeyRecord& record : keyTable.keys) {
            if (!record.used && free == nullptr) {
                free = &record;
            }
        }
        if (free != nullptr) {
            *free = {slot, destructor, true};
        }
        LumSpinRelease(&keyTable.lock);
        if (free == nullptr) {
            TlsFree(slot);
            return ERROR_NOT_ENOUGH_MEMORY;
        }
    }
    *key = slot;
    return 0;
}

int LumKeyDelete(unsigned long key) {
    LumSpinAcquire(&keyTable.lock);
    for (KeyRecord& record : keyTable.keys) {
        if (record.used && record.slot == key) {
            record.used = false;
        }
    }
    LumSpinRelease(&keyTable.lock);
    return TlsFree(key) ? 0 : ERROR_INVALID_PARAMETER;
}

void* LumKeyGet(unsigned long key) {
    // TlsGetValue clears the last error on success; callers between a
    // failing call and their GetLastError must not see it change.
    DWORD error = GetLastError();
    void* value = TlsGetValue(key);
    SetLastError(error);
    return value;
}

int LumKeySet(unsigned long key, const void* value) {
    return TlsSetValue(key, const_cast<void*>(value)) ? 0 : ERROR_INVALID_PARAMETER;
}

void LumRunKeyDestructors(void) {
    for (KeyRecord& record : keyTable.keys) {
        LumSpinAcquire(&keyTable.lock);
        KeyRecord copy = record;
        LumSpinRelease(&keyTable.lock);
        void* value = copy.used ? TlsGetValue(copy.slot) : nullptr;
        if (value != nullptr) {
            TlsSetValue(copy.slot, nullptr);
            copy.destructor(value);
        }
    }
}

} // extern "C"
