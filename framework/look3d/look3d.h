// The three-dimensional control look: dialogs and standard controls get grey,
// sunken, chiselled drawing on systems whose own controls are flat. The core
// entry points below are reached by the framework only through the look's
// process state (look3d_state.h).
#pragma once

#include <windows.h>

// Private messages of the look.
constexpr UINT WM_LOOK3D_MAYADOPT = 0x11F0;
constexpr UINT WM_LOOK3D_MAYFRAME = 0x11EF;
constexpr UINT WM_LOOK3D_IDENTIFY = 0x1944;
// The number earlier copies of the look answer; asked when the first is not.
constexpr UINT WM_LOOK3D_IDENTIFY_EARLIER = 0x1943;

// Kind indices for Look3dAdoptControlAs.
enum Look3dKind {
    kKindButton = 0,
    kKindListBox = 1,
    kKindEdit = 2,
    kKindComboBox = 3,
    kKindStatic = 4,
    kKindComboList = 5,
    kKindDialog = 6
};

BOOL Look3dAttach(HINSTANCE module);
BOOL Look3dDetach(HINSTANCE module);
BOOL Look3dHookThread(HINSTANCE module, WORD flags);
BOOL Look3dHookThreadPlain(HINSTANCE module);
BOOL Look3dUnhookThread();
BOOL Look3dRefreshColors();
BOOL Look3dAdoptDialog(HWND dialog, DWORD mask);
void Look3dReadImeSetting();
BOOL Look3dAdoptControl(HWND window);
BOOL Look3dAdoptControlAs(HWND window, int kind);
