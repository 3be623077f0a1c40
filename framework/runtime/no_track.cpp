#include "framework/runtime/no_track.h"

#include <windows.h>
#include "framework/runtime/exceptions.h"

void* AllocateNoTrack(size_t size) {
    void* p = LocalAlloc(LMEM_ZEROINIT, size);
    if (p == nullptr) {
        RaiseMemoryException();
    }
    return p;
}

void FreeNoTrack(void* pointer) {
    if (pointer != nullptr) {
        LocalFree(pointer);
    }
}
