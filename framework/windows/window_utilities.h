// Small helpers around controls and windows that dialogs and their users
// share: class tests, hit testing, flicker-free text, bar layout, colours.
#pragma once

#include <windows.h>

// Passed by address with the size-parent query to each bar being laid out.
struct BarLayout {
    HDWP deferred; // null when only measuring
    RECT remaining;
    SIZE total;
    BOOL stretch;
};
static_assert(sizeof(BarLayout) == 32);

constexpr UINT WM_LUM_SIZE_PARENT = 0x0361;

BOOL IsComboOfKind(HWND window, UINT styleKind);
BOOL HasClassName(HWND window, const char* name);
HWND ChildAtPoint(HWND parent, POINT clientPoint);
// Setting an unchanged text would repaint the window and flicker.
void SetTextIfChanged(HWND window, const char* text);
void DeleteHeldObject(HGDIOBJ* slot);
void CloseComboDropDown(HWND window);
void FreeGlobalBlock(HGLOBAL block);

void MoveToRectangle(BarLayout* layout, HWND window, const RECT* rect);
BOOL PaintDialogColours(HDC dc, HWND control, UINT type, HBRUSH brush, COLORREF textColor);

// Display data refreshes after system-wide changes.
void RefreshSystemColours();
void RefreshSystemMetrics();
