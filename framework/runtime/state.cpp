#include "framework/runtime/state.h"

#include "framework/runtime/code_page.h"
#include "framework/runtime/scopes.h"
#include "framework/runtime/system_function.h"

// Holders are set up before every other static object of the program and so
// are torn down after them (the application object included).
namespace {

__attribute__((init_priority(200))) ThreadLocal<ThreadState> threadStateHolder;
__attribute__((init_priority(200))) ProcessLocal<ModuleState> moduleStateHolder;
__attribute__((init_priority(200))) ProcessLocal<WindowState> windowStateHolder;

CNoTrackObject* MakeBaseModuleState() {
    return new BaseModuleState;
}

// The executable's library context: not a library, multibyte text in the
// system's ANSI code page. At exit, every thread's records go.
struct LibraryContext {
    LibraryContext() {
        GetModuleState()->isLibrary = 0;
        SelectMultibyteCodePage(CP_ACP);
    }
    ~LibraryContext() { ReleaseLocalState(TRUE); }
};
__attribute__((init_priority(210))) LibraryContext libraryContext;

__attribute__((init_priority(230))) DisplayData displayData;

// Windows NT 3.51 lacks both.
using ProcessVersionCall = DWORD(WINAPI*)(DWORD);
using ColorBrushCall = HBRUSH(WINAPI*)(int);

// The version the program is marked with is read only where the call came
// with the system: Windows 95 and NT 4.0 and later.
BOOL IsMarkedVersion4(BOOL isVersion4) {
    if (!isVersion4) {
        return FALSE;
    }
    const auto processVersion =
        SystemFunction<ProcessVersionCall>("KERNEL32.DLL", "GetProcessVersion");
    return processVersion != nullptr && processVersion(0) >= 0x40000;
}

} // namespace

ModuleState* GetModuleState() {
    return static_cast<ModuleState*>(moduleStateHolder.GetRecord(&MakeBaseModuleState));
}

// An existing record is read in one step (Peek is inline): dispatch asks
// for these for every message.
ModuleThreadState* GetModuleThreadState() {
    ThreadLocal<ModuleThreadState>& holder = GetModuleState()->threadData;
    ModuleThreadState* record = holder.Peek();
    return record != nullptr ? record : holder.Get();
}

ThreadState* GetThreadState() {
    ThreadState* record = threadStateHolder.Peek();
    return record != nullptr ? record : threadStateHolder.Get();
}

ThreadState* PeekThreadState() {
    return threadStateHolder.Peek();
}

WindowState* GetWindowState() {
    return windowStateHolder.Get();
}

DisplayData& GetDisplayData() {
    return displayData;
}

ModuleState::ModuleState(BOOL library) : isLibrary(static_cast<BYTE>(library)) {}

ModuleState::~ModuleState() {
    threadData.Release();
}

ModuleThreadState::ModuleThreadState() : newHandler(&ThrowingNewHandler) {}

ModuleThreadState::~ModuleThreadState() {
    if (releaseHandleTables != nullptr) {
        releaseHandleTables(this);
    }
}

ThreadState::ThreadState() = default;

ThreadState::~ThreadState() {
    if (messageFilterHook != nullptr) {
        UnhookWindowsHookEx(messageFilterHook);
    }
    if (cbtHook != nullptr) {
        UnhookWindowsHookEx(cbtHook);
    }
    free(safetyPool);
}

WindowState::~WindowState() {
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
    markedVersion4 = IsMarkedVersion4(isVersion4);
    RefreshMetrics();
    RefreshColors();
    RefreshScreenMetrics();
    waitCursor = LoadCursorA(nullptr, IDC_WAIT);
    arrowCursor = LoadCursorA(nullptr, IDC_ARROW);
}

DisplayData::~DisplayData() {
    if (radioDotBitmap != nullptr) {
        DeleteObject(radioDotBitmap);
    }
    ReleaseColorBrushes();
}

void DisplayData::ReleaseColorBrushes() {
    if (ownsColorBrushes) {
        DeleteObject(buttonFaceBrush);
        DeleteObject(windowFrameBrush);
    }
    buttonFaceBrush = nullptr;
    windowFrameBrush = nullptr;
    ownsColorBrushes = FALSE;
}

void DisplayData::RefreshColors() {
    buttonFaceColor = GetSysColor(COLOR_BTNFACE);
    buttonShadowColor = GetSysColor(COLOR_BTNSHADOW);
    buttonHighlightColor = GetSysColor(COLOR_BTNHIGHLIGHT);
    buttonTextColor = GetSysColor(COLOR_BTNTEXT);
    windowFrameColor = GetSysColor(COLOR_WINDOWFRAME);
    ReleaseColorBrushes();
    const auto colorBrush = SystemFunction<ColorBrushCall>("USER32.DLL", "GetSysColorBrush");
    if (colorBrush != nullptr) {
        buttonFaceBrush = colorBrush(COLOR_BTNFACE);
        windowFrameBrush = colorBrush(COLOR_WINDOWFRAME);
        return;
    }
    // Without the system's brushes, brushes of the colours just read: the
    // display's own, made again on every colour change.
    buttonFaceBrush = CreateSolidBrush(buttonFaceColor);
    windowFrameBrush = CreateSolidBrush(windowFrameColor);
    ownsColorBrushes = TRUE;
}

void DisplayData::RefreshScreenMetrics() {
    iconWidth = GetSystemMetrics(SM_CXICON);
    iconHeight = GetSystemMetrics(SM_CYICON);
    if (const WindowDc screen; screen.dc != nullptr) {
        logPixelsX = GetDeviceCaps(screen.dc, LOGPIXELSX);
        logPixelsY = GetDeviceCaps(screen.dc, LOGPIXELSY);
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
