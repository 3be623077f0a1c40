#include "framework/runtime/ansi_imports.h"

namespace {

// The wide name in the ANSI code page, whole and exact, or false.
bool Narrow(LPCWSTR wide, char (&narrow)[MAX_PATH]) {
    BOOL lossy = FALSE;
    int length = WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, &lossy);
    if (length == 0 || lossy) {
        SetLastError(length == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER
                         ? ERROR_FILENAME_EXCED_RANGE
                         : ERROR_NO_UNICODE_TRANSLATION);
        return false;
    }
    return true;
}

} // namespace

HANDLE WINAPI CreateSemaphoreThroughAnsi(LPSECURITY_ATTRIBUTES attributes, LONG initialCount,
                                         LONG maximumCount, LPCWSTR name) {
    char narrow[MAX_PATH];
    if (name != nullptr && !Narrow(name, narrow)) {
        return nullptr;
    }
    return CreateSemaphoreA(attributes, initialCount, maximumCount,
                            name != nullptr ? narrow : nullptr);
}

HMODULE WINAPI GetModuleHandleThroughAnsi(LPCWSTR name) {
    char narrow[MAX_PATH];
    if (name != nullptr && !Narrow(name, narrow)) {
        return nullptr;
    }
    return GetModuleHandleA(name != nullptr ? narrow : nullptr);
}

// The import slots the run-time libraries call through. Defined here, they
// are found before the system's import library is searched.
extern "C" {
extern decltype(&CreateSemaphoreW) const createSemaphoreSlot asm("__imp__CreateSemaphoreW@16");
decltype(&CreateSemaphoreW) const createSemaphoreSlot = &CreateSemaphoreThroughAnsi;
extern decltype(&GetModuleHandleW) const getModuleHandleSlot asm("__imp__GetModuleHandleW@4");
decltype(&GetModuleHandleW) const getModuleHandleSlot = &GetModuleHandleThroughAnsi;
}
