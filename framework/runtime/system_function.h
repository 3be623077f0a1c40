// Calls that some of the program's systems lack (Windows NT 3.51 has no
// GetSysColorBrush, Windows 95 no SetProcessDPIAware): looked up at run
// time, so that the program still loads where they are missing.
#pragma once

#include <windows.h>

// `name` of the loaded system library `module`, or null where that system
// lacks it.
template <typename Call> Call SystemFunction(const char* module, const char* name) {
    HMODULE library = GetModuleHandleA(module);
    return library != nullptr
               ? reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(library, name)))
               : nullptr;
}

// Win32s: Windows 3.1 running 32-bit programs, one thread at a time, its
// active window the only foreground there is.
inline bool RunsOnWin32s() {
    const DWORD version = GetVersion();
    return (version & 0x80000000u) != 0 && LOBYTE(LOWORD(version)) < 4;
}
