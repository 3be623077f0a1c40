// The look's process-wide core record and the helpers its parts share.
#pragma once

#include <windows.h>
#include "framework/runtime/scopes.h"
#include "framework/look3d/look3d.h"

namespace look3d {

// The window's class name is exactly `name` (names longer than 15 never match).
bool IsClass(HWND window, const char* name);

constexpr WORD kVersion310 = 0x030A;
constexpr WORD kVersion395 = 0x035F;
constexpr int kMaxThreads = 128;
constexpr WORD kGlyphResource = 26567;
constexpr int kCellWidth = 14;
constexpr int kCellHeight = 13;

// The window properties ("marks"), in the order their atoms are added.
// kMarkPrevious ("Lum3dNew") holds an adopted window's previous procedure;
// kMarkSwitchedOff ("Lum3dD") turns the look off for a window. The others
// are set only by another copy of a three-dimensional look: a window with
// any of them is that copy's and is never adopted here.
enum Atom {
    kMarkOtherCopy,
    kMarkPrevious,
    kMarkOtherLow,
    kMarkOtherHigh,
    kMarkOtherPreviousLow,
    kMarkOtherPreviousHigh,
    kMarkSwitchedOff,
    kMarkCount
};

// The system's dialog class (WC_DIALOG).
constexpr UINT_PTR kDialogClassAtom = 0x8002;

// The platform word: Win32s runs programs on the 16-bit platform.
constexpr WORD kPlatform16 = 16;
constexpr WORD kPlatform32 = 32;

// The six control kinds have rows and records; the dialog kind comes after.
constexpr int kControlKindCount = kKindDialog;
// A kind mask that admits every kind.
constexpr DWORD kAnyKind = 0xFFFF;

// Color set slots.
enum Color {
    kHighlight,
    kFace,
    kShadow,
    kButtonText,
    kWindow,
    kWindowText,
    kGrayText,
    kWindowFrame,
    kColorCount
};

// The kind in a static's or button's style (SS_TYPEMASK; buttons are read
// with the same five bits).
inline DWORD StyleKind(DWORD style) {
    return style & SS_TYPEMASK;
}

// What the identify messages answer for each adopted kind.
constexpr int kIdentifyButton = 1000;
constexpr int kIdentifyList = 1001;
constexpr int kIdentifyEdit = 1002;
constexpr int kIdentifyCombo = 1003;
constexpr int kIdentifyStatic = 1004;
constexpr int kIdentifyDialog = 1006;

// Sides of DrawEdgeLines.
constexpr UINT kSideLeft = 0x0001;
constexpr UINT kSideTop = 0x0002;
constexpr UINT kSideRight = 0x0004;
constexpr UINT kSideBottom = 0x0008;
constexpr UINT kSidesAll = 0x000F;
constexpr UINT kSideShortBottom = 0x1000;

using AcceptTest = int (*)(HWND window, DWORD style, DWORD mask, int creating, HWND parent);

struct KindRecord {
    WNDPROC procedure;
    WNDPROC classProcedure;
};

struct DialogRecord {
    WNDPROC classProcedure;
    int frameX; // SM_CXDLGFRAME - 1
    int frameY; // SM_CYDLGFRAME - 1
    int captionHeight;
    int sizeWidth;
    BYTE doubleByte;
    BYTE imeMark;
};

struct ThreadHookEntry {
    HINSTANCE instance;
    DWORD threadId;
    HHOOK hook;
    int useCount;
    int flags; // bit 0: also adopt controls of non-dialog windows
};

// Screen numbers that replace the real ones when a test sets them.
struct ScreenSeam {
    BOOL active;
    int colorBits;
    int width;
    int height;
};

struct Core {
    CRITICAL_SECTION lock;
    LONG lockReady;
    BOOL enabled;
    int attachCount;
    HINSTANCE moduleHandle;
    WORD version;
    WORD platform;
    ATOM atoms[kMarkCount];
    COLORREF colors[kColorCount];
    HBRUSH highlightBrush;
    HBRUSH faceBrush;
    HBRUSH shadowBrush;
    HBITMAP glyphs;
    int rebuildCount; // color sets built, for diagnostics
    KindRecord kinds[kControlKindCount];
    DialogRecord dialog;
    ThreadHookEntry threads[kMaxThreads];
    int entryCount;
    DWORD cachedThread;
    int cachedIndex;
    HWND pendingWindow;
    WNDPROC pendingProcedure;
    HHOOK pendingHook;
    ScreenSeam screen;
};

Core& TheCore();

inline bool IsNewSystem() {
    return TheCore().version >= kVersion395;
}

// Properties.
HANDLE GetProperty(HWND window, Atom atom);
bool HasProperty(HWND window, Atom atom);
void SetProperty(HWND window, Atom atom, HANDLE value);
void RemoveProperty(HWND window, Atom atom);

// Adoption.
void AdoptWindow(HWND window, WNDPROC procedure);
void AdoptLater(HWND window, WNDPROC procedure);
BOOL TryAdoptControl(HWND window, DWORD mask, int creating, HWND parent);
void ReadoptChildren(HWND dialog);
BOOL ReleaseTree(HWND window);
WNDPROC PreviousProcedure(HWND window, int kind);
bool IsAdoptedParent(HWND window);
void FillKindRecords();
void ClearKindRecords();
int IdentifyCode(int kind);

// The common opening of every adopted procedure: true when it answered the
// message itself (the result is in *result).
bool CommonOpening(HWND window, int kind, UINT message, WPARAM wParam, LPARAM lParam,
                   LRESULT* result);
LRESULT CallPrevious(HWND window, int kind, UINT message, WPARAM wParam, LPARAM lParam);

// Painting.
BOOL BuildColors(BOOL force);
void DeleteColorObjects();
void ReadImeSettingLocked();
void DrawEdgeLines(HDC dc, const RECT& r, int a, int b, UINT sides);
void DrawSunkenFrame(HDC dc, const RECT& r, UINT sides);
SIZE MeasureLabel(HDC dc, const char* text);
void StripMnemonics(const char* text, char* out, int outSize);
HBRUSH ControlColor(UINT message, HDC dc, HWND control);

// The seven kind procedures.
LRESULT CALLBACK ButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ListProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ComboProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK StaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);

// Inspection for tests.
int ThreadUseCount(DWORD threadId);
int ThreadEntryCount();
void SetScreenSeam(int colorBits, int width, int height);
void ClearScreenSeam();

} // namespace look3d
