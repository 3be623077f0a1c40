#include "framework/windows/messaging/window_class.h"

#include <commctrl.h>
#include <cstring>
#include <cstring>
#include "framework/runtime/exceptions.h"
#include "framework/runtime/global_locks.h"
#include "framework/runtime/state.h"

BOOL RegisterClassOnce(WNDCLASSA* windowClass) {
    WNDCLASSA existing;
    if (GetClassInfoA(windowClass->hInstance, windowClass->lpszClassName, &existing)) {
        return TRUE;
    }
    if (!RegisterClassA(windowClass)) {
        return FALSE;
    }
    ModuleState* module = GetModuleState();
    if (module->isLibrary != 0) {
        CriticalSectionLock guard(GlobalLockSection(kLockWindowClasses));
        size_t used = strlen(module->unregisterList);
        size_t add = strlen(windowClass->lpszClassName) + 1;
        // A full list loses the name rather than the memory behind it.
        if (used + add < sizeof module->unregisterList) {
            strcat(module->unregisterList, windowClass->lpszClassName);
            strcat(module->unregisterList, "\n");
        }
    }
    return TRUE;
}

const char* MakeWindowClassName(UINT style, HCURSOR cursor, HBRUSH background, HICON icon) {
    char* name = GetThreadState()->classNameBuffer;
    HINSTANCE instance = GetModuleState()->instanceHandle;
    if (cursor == nullptr && background == nullptr && icon == nullptr) {
        wsprintfA(name, "Lum:%x:%x", reinterpret_cast<UINT_PTR>(instance), style);
    } else {
        wsprintfA(name, "Lum:%x:%x:%x:%x:%x", reinterpret_cast<UINT_PTR>(instance), style,
                  reinterpret_cast<UINT_PTR>(cursor), reinterpret_cast<UINT_PTR>(background),
                  reinterpret_cast<UINT_PTR>(icon));
    }
    WNDCLASSA existing;
    if (GetClassInfoA(instance, name, &existing)) {
        return name;
    }
    WNDCLASSA wc = {};
    wc.style = style;
    wc.lpfnWndProc = &DefWindowProcA;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    if (!RegisterClassOnce(&wc)) {
        RaiseResourceException();
    }
    return name;
}

namespace {

// The common controls come from the system folder by full path: a library of
// that name beside the program or in the current folder is never loaded.
void InitializeCommonControls() {
    char path[MAX_PATH];
    UINT n = GetSystemDirectoryA(path, MAX_PATH);
    const char name[] = "\\comctl32.dll";
    if (n == 0 || n + sizeof name > MAX_PATH) {
        return;
    }
    std::memcpy(path + n, name, sizeof name);
    // Loaded for the life of the process: the classes it registers stay.
    HMODULE library = LoadLibraryA(path);
    if (library == nullptr) {
        return;
    }
    using InitCall = void(WINAPI*)();
    if (auto init = reinterpret_cast<InitCall>(GetProcAddress(library, "InitCommonControls"))) {
        init();
    }
}

HICON ModuleIconOr(int id) {
    HICON icon = LoadIconA(GetModuleState()->resourceHandle, MAKEINTRESOURCEA(id));
    return icon != nullptr ? icon : LoadIconA(nullptr, IDI_APPLICATION);
}

} // namespace

BOOL RegisterStandardClasses(UINT requests) {
    ModuleState* module = GetModuleState();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &DefWindowProcA;
    wc.hInstance = module->instanceHandle;
    wc.hCursor = GetDisplayData().arrowCursor;
    UINT served;
    if (requests & kClassWnd) {
        served = kClassWnd;
        wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
        wc.lpszClassName = "LumWnd";
    } else if (requests & kClassOleControl) {
        served = kClassOleControl;
        wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_PARENTDC;
        wc.lpszClassName = "LumOleControl";
    } else if (requests & kClassControlBar) {
        served = kClassControlBar;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = "LumControlBar";
    } else if (requests & kClassMdiFrame) {
        served = kClassMdiFrame;
        wc.style = CS_DBLCLKS;
        wc.hIcon = ModuleIconOr(31233);
        wc.lpszClassName = "LumMDIFrame";
    } else if (requests & kClassFrameOrView) {
        served = kClassFrameOrView;
        wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.hIcon = ModuleIconOr(31234);
        wc.lpszClassName = "LumFrameOrView";
    } else if (requests & kClassCommonControls) {
        InitializeCommonControls();
        module->registeredClasses |= kClassCommonControls;
        return TRUE;
    } else {
        return FALSE;
    }
    if (!RegisterClassOnce(&wc)) {
        return FALSE;
    }
    module->registeredClasses |= served;
    return TRUE;
}
