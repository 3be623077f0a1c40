// The C library's names for the functions in c_runtime.cpp, and the few
// language-support routines the compiler's own run-time would otherwise
// bring, for the shipped program only. The compiler calls memcpy, memset
// and the stack probe on its own.
#include <windows.h>
#include <cstdlib>
#include "framework/runtime/c_runtime.h"

extern "C" {

void* malloc(size_t size) {
    return crt::Allocate(size);
}
void* calloc(size_t count, size_t size) {
    return crt::AllocateZeroed(count, size);
}
void* realloc(void* block, size_t size) {
    return crt::Reallocate(block, size);
}
void free(void* block) {
    crt::Release(block);
}
void* memcpy(void* to, const void* from, size_t count) {
    return crt::CopyBytes(to, from, count);
}
void* memmove(void* to, const void* from, size_t count) {
    return crt::MoveBytes(to, from, count);
}
void* memset(void* to, int value, size_t count) {
    return crt::FillBytes(to, value, count);
}
int memcmp(const void* left, const void* right, size_t count) {
    return crt::CompareBytes(left, right, count);
}
void* memchr(const void* from, int value, size_t count) {
    return const_cast<void*>(crt::FindByte(from, value, count));
}
size_t strlen(const char* text) {
    return crt::TextLength(text);
}
char* strchr(const char* text, int value) {
    return const_cast<char*>(crt::FindChar(text, value));
}
int strcmp(const char* left, const char* right) {
    return crt::CompareText(left, right);
}
char* strcat(char* to, const char* from) {
    crt::CopyBytes(to + crt::TextLength(to), from, crt::TextLength(from) + 1);
    return to;
}

// The headers declare these two as imports from the C run-time DLL: the
// callers go through an import slot, which the program fills itself.
size_t BlockSizeOf(void* block) {
    return crt::BlockSize(block);
}
void* ResizeBlockInPlace(void* block, size_t size) {
    return crt::ResizeInPlace(block, size);
}
extern decltype(&BlockSizeOf) const blockSizeSlot asm("__imp___msize");
decltype(&BlockSizeOf) const blockSizeSlot = &BlockSizeOf;
extern decltype(&ResizeBlockInPlace) const resizeSlot asm("__imp___expand");
decltype(&ResizeBlockInPlace) const resizeSlot = &ResizeBlockInPlace;

// Abnormal end, with the exit code the C library's abort gives.
void abort() {
    ExitProcess(3);
}

// A call to a pure or deleted virtual function is a fault in the program.
void __cxa_pure_virtual() {
    abort();
}
void __cxa_deleted_virtual() {
    abort();
}

} // extern "C"

// The stack probe that the compiler calls for frames of a page or more:
// touches each page below the stack pointer in order, so that the guard page
// moves down with it. Takes the size in EAX and keeps every register.
asm(R"(
    .text
    .globl ___chkstk_ms
___chkstk_ms:
    pushl %ecx
    pushl %eax
    leal 12(%esp), %ecx
1:  cmpl $0x1000, %eax
    jb 2f
    subl $0x1000, %ecx
    orl $0, (%ecx)
    subl $0x1000, %eax
    jmp 1b
2:  subl %eax, %ecx
    orl $0, (%ecx)
    popl %eax
    popl %ecx
    ret
)");
