// The allocator of state records: zero-filled local memory that no
// diagnostic tracking ever sees.
#pragma once

#include <cstddef>

void* AllocateNoTrack(size_t size);
void FreeNoTrack(void* pointer);

class CNoTrackObject {
public:
    static void* operator new(size_t size) { return AllocateNoTrack(size); }
    static void operator delete(void* pointer) noexcept { FreeNoTrack(pointer); }
    virtual ~CNoTrackObject() = default;

protected:
    CNoTrackObject() = default;
};
