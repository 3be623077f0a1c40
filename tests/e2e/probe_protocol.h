// What the driver and the probe library loaded into the tool's process
// exchange through a named shared block: one request, one answer.
#pragma once

#include <windows.h>

#include <cwchar>

namespace e2eprobe {

// Posted to a window of the tool; the probe answers when the tool's thread
// retrieves it. wParam carries the driver's process id.
inline constexpr wchar_t kRequestMessage[] = L"LumE2eProbeRequest";
inline constexpr char kHookProcName[] = "ProbeHook";

enum Request : LONG {
    kReadSystemMenu = 1,
    kReadIcons = 2,
    kReadMessageBoxIcon = 3,
    kReadSystemVersion = 4,
    kReadCodePage = 5,
    kReadLayout = 6,
    kReadDrawnIcon = 7,
    // The tool's next BeginPaint fails, once; the answer counts the
    // failures so far.
    kFailNextPaint = 8
};

inline constexpr int kMaxItems = 40;
inline constexpr int kTextLength = 80;

struct MenuItem {
    UINT id;
    UINT type;
    UINT state;
    WCHAR text[kTextLength];
};

struct IconShape {
    BOOL known;
    BOOL isIcon;
    BOOL hasColor;
    LONG width;
    LONG height;
    WORD bitsPerPixel;
};

// A control of a dialog, as the dialog's process sees it.
struct LayoutItem {
    LONG id;
    DWORD style;
    WCHAR className[16];
    RECT rect; // in the dialog's client coordinates
    // The text measured with the control's own font: on one line, and broken
    // into lines of the control's width.
    SIZE line;
    SIZE wrapped;
};

struct Layout {
    int dpi;
    LONG fontHeight;
    SIZE baseUnits; // of the dialog's font: average character width, height
    int checkBoxWidth;
    int edge;
    int itemCount;
    LayoutItem items[kMaxItems];
};

// The icon control of a dialog: what it shows against the image that the
// system picks from the icon group for the icon size of its DPI.
struct DrawnIcon {
    BOOL read;
    SIZE control;
    LONG imageWidth;
    LONG differingPixels;
};

struct Block {
    // Set by the driver.
    LONG request;
    HWND window;
    // Set in the tool's process.
    LONG answered;
    int itemCount;
    MenuItem items[kMaxItems];
    UINT_PTR dragIcon;
    UINT_PTR bigIcon;
    UINT_PTR smallIcon;
    UINT_PTR resourceIcon;
    IconShape shape;
    BOOL iconic;
    RECT client;
    UINT_PTR shownIcon;
    UINT_PTR warningIcon;
    DWORD systemVersion;
    // What the system is, which from 8.1 on it tells only programs whose
    // manifest names it (RtlGetVersion), and the run level the manifest asks.
    DWORD ntMajor;
    DWORD ntMinor;
    DWORD ntBuild;
    LONG runLevel;
    UINT codePage;
    BOOL paintFailureArmed;
    LONG paintFailures;
    Layout layout;
    DrawnIcon drawnIcon;
};

inline void BlockName(DWORD driver, wchar_t (&name)[64]) {
    std::swprintf(name, 64, L"LumE2eProbeBlock-%lu", static_cast<unsigned long>(driver));
}

inline void DoneEventName(DWORD driver, wchar_t (&name)[64]) {
    std::swprintf(name, 64, L"LumE2eProbeDone-%lu", static_cast<unsigned long>(driver));
}

} // namespace e2eprobe
