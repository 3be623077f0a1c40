// The framework's side of the 3D look: the process record holding the core's
// entry points, the per-thread record whose end releases the thread's hook,
// and the enable routine.
#pragma once

#include <windows.h>
#include "framework/runtime/no_track.h"

class Look3dState : public CNoTrackObject {
public:
    ~Look3dState() override;

    BOOL initialized = FALSE;
    // Dormant: the core is part of the program, never a library of its own.
    HMODULE library = nullptr;
    BOOL (*attach)(HINSTANCE) = nullptr;
    BOOL (*detach)(HINSTANCE) = nullptr;
    BOOL (*hookThread)(HINSTANCE) = nullptr;
    BOOL (*unhookThread)() = nullptr;
    BOOL (*refreshColors)() = nullptr;
    BOOL (*adoptDialog)(HWND, DWORD) = nullptr;
    void (*readImeSetting)() = nullptr;
    // Published for programs that create controls the hooks do not see;
    // the tool needs neither.
    BOOL (*adoptControl)(HWND) = nullptr;
    BOOL (*adoptControlAs)(HWND, int) = nullptr;
};

class Look3dThread : public CNoTrackObject {
public:
    ~Look3dThread() override;
};

// Created on first use.
Look3dState* GetLook3dState();
// Null until something has created it.
Look3dState* PeekLook3dState();

// Fills the record's entry points once and attaches; all entry points are
// cleared when the core cannot be used.
void InitializeLook3dState(Look3dState* state, HINSTANCE instance);

BOOL EnableLook3dStatic();

// Per-thread start: hooks the thread when the look is engaged and gives it
// the record whose destruction unhooks it.
void Look3dThreadStarted();

// Forwarded by the main window's system-change handlers.
void Look3dColorsChanged();
void Look3dSettingsChanged();
