// Scope guards on system objects, shared by every layer: a critical section
// held; a device context borrowed, painted in, or its state kept. (The
// windows layer's CDC family wraps DCs as objects for callers of its API.)
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

// The DC of WM_PAINT: the one in wParam, or a BeginPaint one.
class PaintDc {
public:
    PaintDc(HWND window, WPARAM wParam) : window(window), dc(reinterpret_cast<HDC>(wParam)) {
        if (dc == nullptr) {
            dc = BeginPaint(window, &paint);
            began = true;
        }
    }
    ~PaintDc() {
        if (began) {
            EndPaint(window, &paint);
        }
    }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HWND window;
    HDC dc;
    PAINTSTRUCT paint = {};
    bool began = false;
};

// Everything a painting step selects or sets is put back with the DC state.
class SavedDc {
public:
    explicit SavedDc(HDC dc) : dc(dc), saved(dc != nullptr ? SaveDC(dc) : 0) {}
    ~SavedDc() {
        if (saved != 0) {
            RestoreDC(dc, saved);
        }
    }
    SavedDc(const SavedDc&) = delete;
    SavedDc& operator=(const SavedDc&) = delete;
    HDC dc;
    int saved;
};
