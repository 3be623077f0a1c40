/* The compiler's thread-support interface for the C++ support and the
   unwinder, on the framework's own primitives (no semaphores with wide
   names, no TLS callbacks, nothing Windows 95 lacks). */
#ifndef LUM_GTHR_DEFAULT_H
#define LUM_GTHR_DEFAULT_H

#include "framework/runtime/thread_primitives.h"

#define __GTHREADS 1

typedef unsigned long __gthread_key_t;
typedef LumOnceFlag __gthread_once_t;
typedef LumSpinLock __gthread_mutex_t;
typedef LumRecursiveLock __gthread_recursive_mutex_t;

#define __GTHREAD_ONCE_INIT {0}
#define __GTHREAD_MUTEX_INIT {0}
#define __GTHREAD_RECURSIVE_MUTEX_INIT {{0}, 0, 0}

static inline int __gthread_active_p(void) {
    return 1;
}

static inline int __gthread_once(__gthread_once_t* once, void (*routine)(void)) {
    LumRunOnce(once, routine);
    return 0;
}

static inline int __gthread_key_create(__gthread_key_t* key, void (*destructor)(void*)) {
    return LumKeyCreate(key, destructor);
}

static inline int __gthread_key_delete(__gthread_key_t key) {
    return LumKeyDelete(key);
}

static inline void* __gthread_getspecific(__gthread_key_t key) {
    return LumKeyGet(key);
}

static inline int __gthread_setspecific(__gthread_key_t key, const void* value) {
    return LumKeySet(key, value);
}

static inline int __gthread_mutex_destroy(__gthread_mutex_t* mutex) {
    (void)mutex;
    return 0;
}

static inline int __gthread_mutex_lock(__gthread_mutex_t* mutex) {
    LumSpinAcquire(mutex);
    return 0;
}

static inline int __gthread_mutex_trylock(__gthread_mutex_t* mutex) {
    return LumSpinTryAcquire(mutex) ? 0 : 1;
}

static inline int __gthread_mutex_unlock(__gthread_mutex_t* mutex) {
    LumSpinRelease(mutex);
    return 0;
}

static inline int __gthread_recursive_mutex_destroy(__gthread_recursive_mutex_t* mutex) {
    (void)mutex;
    return 0;
}

static inline int __gthread_recursive_mutex_lock(__gthread_recursive_mutex_t* mutex) {
    LumRecursiveAcquire(mutex);
    return 0;
}

static inline int __gthread_recursive_mutex_trylock(__gthread_recursive_mutex_t* mutex) {
    return LumRecursiveTryAcquire(mutex) ? 0 : 1;
}

static inline int __gthread_recursive_mutex_unlock(__gthread_recursive_mutex_t* mutex) {
    LumRecursiveRelease(mutex);
    return 0;
}

#endif
