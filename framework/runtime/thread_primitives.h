// Locks, one-time initialisation and thread keys for the C++ support code
// (exception records, static-initialisation guards, the unwinder's frame
// list). They need no kernel object and no static constructor, so they work
// before any of the program's own start-up has run, and they use nothing
// that Windows 95 lacks: its KERNEL32 has no InterlockedCompareExchange, so
// the atomic steps are the processor's own (the 486 has CMPXCHG).
// Plain C declarations: the unwinder is C.
#ifndef LUM_THREAD_PRIMITIVES_H
#define LUM_THREAD_PRIMITIVES_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct LumSpinLock {
    volatile long taken;
} LumSpinLock;

typedef struct LumRecursiveLock {
    LumSpinLock lock;
    unsigned long owner;
    unsigned long depth;
} LumRecursiveLock;

typedef struct LumOnceFlag {
    volatile long state;
} LumOnceFlag;

void LumSpinAcquire(LumSpinLock* lock);
int LumSpinTryAcquire(LumSpinLock* lock);
void LumSpinRelease(LumSpinLock* lock);

void LumRecursiveAcquire(LumRecursiveLock* lock);
int LumRecursiveTryAcquire(LumRecursiveLock* lock);
void LumRecursiveRelease(LumRecursiveLock* lock);

// Runs routine once for the flag; other callers wait until it has run.
void LumRunOnce(LumOnceFlag* flag, void (*routine)(void));

// A key holds one value per thread. Zero on success, an errno-style code
// otherwise (the thread-support interface of the C++ run-time wants those).
int LumKeyCreate(unsigned long* key, void (*destructor)(void*));
int LumKeyDelete(unsigned long key);
void* LumKeyGet(unsigned long key);
int LumKeySet(unsigned long key, const void* value);
// A thread that ends without the system telling anyone (no DLL gets thread
// notices on its behalf, and Windows 9x runs no TLS callbacks) hands its
// values to their destructors here before it returns.
void LumRunKeyDestructors(void);

#ifdef __cplusplus
}
#endif

#endif
