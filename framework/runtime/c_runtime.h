// The few C library functions the framework and the C++ support need, on
// top of Win32 alone, so that the shipped program needs no C run-time DLL
// (Windows 95 has none of its own). The program links them under their C
// names (crt/c_exports.cpp); here they keep names of their own, so that
// test programs, which keep the compiler's run-time, can reach both.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace crt {

// The process heap. Allocate never returns a block for size 0 as null.
void* Allocate(size_t size);
void* AllocateZeroed(size_t count, size_t size);
void* Reallocate(void* block, size_t size);
void Release(void* block);
// The usable size of a block, or (size_t)-1 for null.
size_t BlockSize(void* block);
// Shrinks or grows a block where it lies; null if it cannot.
void* ResizeInPlace(void* block, size_t size);

void* CopyBytes(void* to, const void* from, size_t count);
void* MoveBytes(void* to, const void* from, size_t count);
void* FillBytes(void* to, int value, size_t count);
int CompareBytes(const void* left, const void* right, size_t count);
const void* FindByte(const void* from, int value, size_t count);
size_t TextLength(const char* text);
const char* FindChar(const char* text, int value);
int CompareText(const char* left, const char* right);

// snprintf on the system's wvsprintfA: the same conversions (%d %u %x %s
// %c %ld and their flags; no floating point, no %zu), never more than size
// bytes written, always terminated when size is not 0. Returns the length
// of the whole result, as snprintf does, up to the system's limit of 1024
// characters; -1 for a null format.
int FormatBounded(char* buffer, size_t size, const char* format, va_list args);
int FormatText(char* buffer, size_t size, const char* format, ...);

} // namespace crt
