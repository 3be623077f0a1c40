#include "framework/runtime/no_track.h"

#include <windows.h>
#include "framework/runtime/exceptions.h"
#ifdef LUM_FAULT_INJECTION
#include "framework/runtime/memory.h"
#endif

void* AllocateNoTrack(size_t size) {
#ifdef LUM_FAULT_INJECTION
    void* p = RefuseFrameworkAllocation(size) ? nullptr : LocalAlloc(LMEM_ZEROINIT, size);
#else
    void* p = LocalAlloc(LMEM_ZEROINIT, size);
#endif
    if (p == nullptr) {
        RaiseMemoryException();
    }
#ifdef LUM_FAULT_INJECTION
    CountFrameworkBlock(1);
#endif
    return p;
}

void FreeNoTrack(void* pointer) {
    if (pointer != nullptr) {
#ifdef LUM_FAULT_INJECTION
        CountFrameworkBlock(-1);
#endif
        LocalFree(pointer);
    }
}
