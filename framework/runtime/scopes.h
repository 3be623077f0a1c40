// Scope guards on system objects, shared by every layer: a critical section
// held, a device context borrowed.
#pragma once

#include <windows.h>

// Holds a critical section for a scope; a null section holds nothing (the
// global locks on a system without threads).
class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CRITICAL_SECTION* section) : section(section) {
        if (section != nullptr) {
            EnterCriticalSection(section);
        }
    }
    ~CriticalSectionLock() {
        if (section != nullptr) {
            LeaveCriticalSection(section);
        }
    }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CRITICAL_SECTION* section;
};

// A window's DC (its client area, or with `whole` all of it), or the
// screen's for no window; released at the end of the scope. Null when the
// system gave none.
class WindowDc {
public:
    explicit WindowDc(HWND window = nullptr, bool whole = false)
        : window(window), dc(whole ? GetWindowDC(window) : GetDC(window)) {}
    ~WindowDc() {
        if (dc != nullptr) {
            ReleaseDC(window, dc);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HWND window;
    HDC dc;
};
