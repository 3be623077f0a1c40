#include "framework/runtime/memory.h"

#include <malloc.h>
#include <cstdlib>
#include "framework/runtime/exceptions.h"
#include "framework/runtime/state.h"

#ifdef LUM_FAULT_INJECTION
#include <windows.h>

FaultInjection faultInjection;

bool RefuseFrameworkAllocation(size_t size) {
    if (faultInjection.thread != GetCurrentThreadId()) {
        return false;
    }
    if (++faultInjection.numbered != faultInjection.failAt) {
        return false;
    }
    if (faultInjection.onRefusal != nullptr) {
        faultInjection.onRefusal(size);
    }
    return true;
}

void CountFrameworkBlock(long delta) {
    InterlockedExchangeAdd(&faultInjection.liveBlocks, delta);
}
#endif

void* AllocateObjectMemory(size_t size) {
    NewHandler handler = nullptr;
    bool handlerTaken = false;
#ifdef LUM_FAULT_INJECTION
    // Every attempt of a refused allocation fails, as when memory is gone.
    const bool refused = RefuseFrameworkAllocation(size);
#else
    constexpr bool refused = false;
#endif
    for (;;) {
        if (void* p = refused ? nullptr : malloc(size)) {
#ifdef LUM_FAULT_INJECTION
            CountFrameworkBlock(1);
#endif
            return p;
        }
        if (!handlerTaken) {
            handler = GetModuleThreadState()->newHandler;
            handlerTaken = true;
        }
        if (handler == nullptr || handler(size) == 0) {
            return nullptr;
        }
    }
}

void FreeObjectMemory(void* pointer) {
#ifdef LUM_FAULT_INJECTION
    if (pointer != nullptr) {
        CountFrameworkBlock(-1);
    }
#endif
    free(pointer);
}

NewHandler SwapNewHandler(NewHandler handler) {
    ModuleThreadState* state = GetModuleThreadState();
    NewHandler previous = state->newHandler;
    state->newHandler = handler;
    return previous;
}

int ThrowingNewHandler(size_t) {
    RaiseMemoryException();
}

int SafetyPoolNewHandler(size_t size) {
    ThreadState* state = GetThreadState();
    if (state->safetyPool == nullptr) {
        RaiseMemoryException();
    }
    size_t old = _msize(state->safetyPool);
    if (old <= size + 4) {
        free(state->safetyPool);
        state->safetyPool = nullptr;
    } else if (_expand(state->safetyPool, old - (size + 4)) == nullptr) {
        // A pool that cannot shrink would be offered again on every retry.
        free(state->safetyPool);
        state->safetyPool = nullptr;
    }
    return 1;
}
