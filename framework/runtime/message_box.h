// The framework's message box: through the application object once there is
// one, a plain system box before.
#pragma once

#include <windows.h>

int MessageBoxText(const char* text, UINT type = MB_OK, UINT helpId = 0);
// A helpId of (UINT)-1 stands for the string id itself.
int MessageBoxById(UINT stringId, UINT type = MB_OK, UINT helpId = static_cast<UINT>(-1));
