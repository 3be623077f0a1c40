// The framework's side of the 3D look: the process record holding the core's
// entry points, the per-thread record whose end releases the thread's hook,
// and the enable routine.
#pragma once

#include <windows.h>
#include "framework/runtime/no_track.h"

class _AFX_LOOK3D_STATE : public CNoTrackObject {
public:
    ~_AFX_LOOK3D_STATE() override;

    BOOL initialised = FALSE;
    HMODULE library = nullptr; // stays null: the core is part of the program
    BOOL (*attach)(HINSTANCE) = nullptr;
    BOOL (*detach)(HINSTANCE) = nullptr;
    BOOL (*hookThread)(HINSTANCE) = nullptr;
    BOOL (*unhookThread)() = nullptr;
    BOOL (*refreshColors)() = nullptr;
    BOOL (*adoptDialog)(HWND, DWORD) = nullptr;
    void (*readImeSetting)() = nullptr;
    BOOL (*adoptControl)(HWND) = nullptr;
    BOOL (*adoptControlAs)(HWND, int) = nullptr;
};

class _AFX_LOOK3D_THREAD : public CNoTrackObject {
public:
    ~_AFX_LOOK3D_THREAD() override;
};

// Created on first use.
_AFX_LOOK3D_STATE* GetLook3dState();
// Null until something has created it.
_AFX_LOOK3D_STATE* PeekLook3dState();

// Fills the record's entry points once and attaches; all entry points are
// cleared when the core cannot be used.
void InitialiseLook3dState(_AFX_LOOK3D_STATE* state, HINSTANCE instance);

BOOL EnableLook3dStatic();

// Per-thread start: hooks the thread when the look is engaged and gives it
// the record whose destruction unhooks it.
void Look3dThreadStarted();

// Forwarded by the main window's system-change handlers.
void Look3dColoursChanged();
void Look3dSettingsChanged();
