// Small helpers around controls and windows that dialogs and their users
// share: class tests, hit testing, flicker-free text, bar layout, colors.
#pragma once

#include <windows.h>
#include <cstddef>
#include "framework/runtime/framework_ids.h"

class CWnd;

// Passed by address with WM_LUM_SIZE_PARENT to each bar being laid out: a
// bar takes its part of `remaining` and adds what it needs to `total`.
struct BarLayout {
    HDWP deferred; // null when only measuring
    RECT remaining;
    SIZE total;
    BOOL stretch;
};
static_assert(sizeof(BarLayout) == 32);
static_assert(offsetof(BarLayout, remaining) == 4);
static_assert(offsetof(BarLayout, total) == 20);
static_assert(offsetof(BarLayout, stretch) == 28);

// What CWnd::LayOutBars does with the bars' answers.
enum BarLayoutMode : UINT {
    kLayOutBars = 0,
    kQueryBars = 1,
    kLayOutBarsWithBorders = 2,
};

BOOL IsComboOfKind(HWND window, UINT styleKind);
BOOL HasClassName(HWND window, const char* name);
HWND ChildAtPoint(HWND parent, POINT clientPoint);
// Setting an unchanged text would repaint the window and flicker.
void SetTextIfChanged(HWND window, const char* text);
void DeleteHeldObject(HGDIOBJ* slot);
// Dormant: frame windows close a dropped combo list this way; no window of
// this program does.
void CloseComboDropDown(HWND window);
void FreeGlobalBlock(HGLOBAL block);

// Dormant, as LayOutBars: moves `window` to `rect` (its parent's client
// coordinates) unless it is there already; with a layout, through its
// deferred positions, and not at all while the layout only measures.
void MoveToRectangle(BarLayout* layout, HWND window, const RECT* rect);

BOOL PaintDialogColors(HDC dc, HWND control, UINT type, HBRUSH brush, COLORREF textColor);

// Display data refreshes after system-wide changes.
void RefreshSystemColors();
void RefreshSystemMetrics();

// The automatic centring of a dialog around its WM_INITDIALOG, which the
// delivery step of every window runs: the placement before, and the
// centring after when the dialog neither placed itself nor shows already.
// Placement before WM_INITDIALOG, to tell whether the dialog placed itself.
struct InitPlacement {
    RECT rect;
    DWORD style;
};
InitPlacement RememberInitPlacement(HWND window);
void AutoCenterAfterInit(CWnd* object, const InitPlacement& before);
