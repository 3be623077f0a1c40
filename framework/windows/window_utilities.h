// Small helpers around controls and windows that dialogs and their users
// share: class tests, hit testing, flicker-free text, colors.
#pragma once

#include <windows.h>
#include "framework/runtime/framework_ids.h"

BOOL IsComboOfKind(HWND window, UINT styleKind);
BOOL HasClassName(HWND window, const char* name);
HWND ChildAtPoint(HWND parent, POINT clientPoint);
// Setting an unchanged text would repaint the window and flicker.
void SetTextIfChanged(HWND window, const char* text);
void DeleteHeldObject(HGDIOBJ* slot);
void FreeGlobalBlock(HGLOBAL block);

BOOL PaintDialogColors(HDC dc, HWND control, UINT type, HBRUSH brush, COLORREF textColor);

// Display data refreshes after system-wide changes.
void RefreshSystemColors();
void RefreshSystemMetrics();
