#include "framework/runtime/state.h"

#include <mbctype.h>

// Holders are set up before every other static object of the program and so
// are torn down after them (the application object included).
namespace {

__attribute__((init_priority(200))) ThreadLocal<_AFX_THREAD_STATE> threadStateHolder;
__attribute__((init_priority(200))) ProcessLocal<AFX_MODULE_STATE> moduleStateHolder;
__attribute__((init_priority(200))) ProcessLocal<_AFX_WIN_STATE> windowStateHolder;

CNoTrackObject* MakeBaseModuleState() {
    return new AFX_MODULE_STATE(TRUE);
}

// The executable's library context: not a library, multibyte text in the
// system's ANSI code page. At exit, every thread's records go.
struct LibraryContext {
    LibraryContext() {
        GetModuleState()->isLibrary = 0;
        _setmbcp(_MB_CP_ANSI);
    }
    ~LibraryContext() { ReleaseLocalState(TRUE); }
};
__attribute__((init_priority(210))) LibraryContext libraryContext;

__attribute__((init_priority(230))) DisplayData displayData;

} // namespace

AFX_MODULE_STATE* GetModuleState() {
    return static_cast<AFX_MODULE_STATE*>(moduleStateHolder.GetRecord(&MakeBaseModuleState));
}

AFX_MODULE_THREAD_STATE* GetModuleThreadState() {
    return GetModuleState()->threadData.Get();
}

_AFX_THREAD_STATE* GetThreadState() {
    return threadStateHolder.Get();
}

_AFX_WIN_STATE* GetWindowState() {
    return windowStateHolder.Get();
}

DisplayData& GetDisplayData() {
    return displayData;
}

AFX_MODULE_STATE::AFX_MODULE_STATE(BOOL library) : isLibrary(static_cast<BYTE>(library)) {}

AFX_MODULE_STATE::~AFX_MODULE_STATE() {
    threadData.Release();
}

AFX_MODULE_THREAD_STATE::AFX_MODULE_THREAD_STATE() : newHandler(&ThrowingNewHandler) {}

AFX_MODULE_THREAD_STATE::~AFX_MODULE_THREAD_STATE() {
    DeleteHandleTables(this);
}

_AFX_THREAD_STATE::_AFX_THREAD_STATE() = default;

_AFX_THREAD_STATE::~_AFX_THREAD_STATE() {
    if (messageFilterHook != nullptr) {
        UnhookWindowsHookEx(messageFilterHook);
    }
    if (cbtHook != nullptr) {
        UnhookWindowsHookEx(cbtHook);
    }
    free(safetyPool);
}

_AFX_WIN_STATE::~_AFX_WIN_STATE() {
    if (dialogBrush != nullptr) {
        DeleteObject(dialogBrush);
    }
}

DisplayData::DisplayData() {
    DWORD version = GetVersion();
    BYTE major = LOBYTE(LOWORD(version));
    BYTE minor = HIBYTE(LOWORD(version));
    windowsVersion = static_cast<WORD>(major * 256 + minor);
    isVersion4 = major >= 4;
    markedVersion4 = isVersion4 && GetProcessVersion(0) >= 0x40000;
    RefreshMetrics();
    RefreshColours();
    RefreshScreenMetrics();
    waitCursor = LoadCursorA(nullptr, IDC_WAIT);
    arrowCursor = LoadCursorA(nullptr, IDC_ARROW);
}

DisplayData::~DisplayData() {
    if (radioDotBitmap != nullptr) {
        DeleteObject(radioDotBitmap);
    }
}

void DisplayData::RefreshColours() {
    buttonFaceColour = GetSysColor(COLOR_BTNFACE);
    buttonShadowColour = GetSysColor(COLOR_BTNSHADOW);
    buttonHighlightColour = GetSysColor(COLOR_BTNHIGHLIGHT);
    buttonTextColour = GetSysColor(COLOR_BTNTEXT);
    windowFrameColour = GetSysColor(COLOR_WINDOWFRAME);
    buttonFaceBrush = GetSysColorBrush(COLOR_BTNFACE);
    windowFrameBrush = GetSysColorBrush(COLOR_WINDOWFRAME);
}

void DisplayData::RefreshScreenMetrics() {
    iconWidth = GetSystemMetrics(SM_CXICON);
    iconHeight = GetSystemMetrics(SM_CYICON);
    if (HDC screen = GetDC(nullptr)) {
        logPixelsX = GetDeviceCaps(screen, LOGPIXELSX);
        logPixelsY = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
}

void DisplayData::RefreshMetrics() {
    vScrollWidth = GetSystemMetrics(SM_CXVSCROLL);
    hScrollHeight = GetSystemMetrics(SM_CYHSCROLL);
    if (markedVersion4 && isVersion4) {
        ++vScrollWidth;
        ++hScrollHeight;
    } else {
        markedVersion4 = FALSE;
    }
}
