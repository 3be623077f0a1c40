// Seventeen process-wide locks, created on first use and never deleted.
#pragma once

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

class GlobalLockScope {
public:
    explicit GlobalLockScope(int n) : n(n) { TakeGlobalLock(n); }
    ~GlobalLockScope() { ReleaseGlobalLock(n); }
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;

private:
    int n;
};
