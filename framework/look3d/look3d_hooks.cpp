// Registration of the process and of threads, and automatic adoption through
// each hooked thread's CBT hook.
#include <cstring>
#include "framework/look3d/look3d_core.h"
#include "framework/runtime/system_function.h"

namespace look3d {

namespace {

void EnsureLock() {
    Core& core = TheCore();
    LONG seen = InterlockedCompareExchange(&core.lockReady, 1, 0);
    if (seen == 0) {
        InitializeCriticalSection(&core.lock);
        InterlockedExchange(&core.lockReady, 2);
        return;
    }
    while (InterlockedCompareExchange(&core.lockReady, 2, 2) != 2) {
        Sleep(0);
    }
}

// Index of the calling thread's entry, or -1. Under the lock.
int FindThreadEntry(DWORD threadId) {
    Core& core = TheCore();
    if (core.cachedThread == threadId && core.cachedIndex < core.entryCount &&
        core.threads[core.cachedIndex].threadId == threadId) {
        return core.cachedIndex;
    }
    for (int i = 0; i < core.entryCount; ++i) {
        if (core.threads[i].threadId == threadId) {
            core.cachedThread = threadId;
            core.cachedIndex = i;
            return i;
        }
    }
    return -1;
}

// Under the lock.
void RemoveThreadEntry(int index) {
    Core& core = TheCore();
    UnhookWindowsHookEx(core.threads[index].hook);
    for (int i = index; i + 1 < core.entryCount; ++i) {
        core.threads[i] = core.threads[i + 1];
    }
    --core.entryCount;
    core.threads[core.entryCount] = {};
    core.cachedThread = 0;
    core.cachedIndex = 0;
}

void ProcessSetup(HINSTANCE module) {
    using DisableCalls = BOOL(WINAPI*)(HMODULE);
    if (auto disable = SystemFunction<DisableCalls>("KERNEL32.DLL", "DisableThreadLibraryCalls")) {
        disable(module);
    }
    Core& core = TheCore();
    CriticalSectionLock guard(&TheCore().lock);
    core.moduleHandle = module;
    DWORD raw = GetVersion();
    core.version = static_cast<WORD>(LOBYTE(LOWORD(raw)) * 256 + HIBYTE(LOWORD(raw)));
    core.platform =
        ((raw & 0x80000000u) != 0 && core.version < kVersion395) ? kPlatform16 : kPlatform32;
    core.dialog.frameX = GetSystemMetrics(SM_CXDLGFRAME) - 1;
    core.dialog.frameY = GetSystemMetrics(SM_CYDLGFRAME) - 1;
    core.dialog.captionHeight = GetSystemMetrics(SM_CYCAPTION);
    core.dialog.sizeWidth = GetSystemMetrics(SM_CXSIZE);
}

bool ScreenIsUsable() {
    Core& core = TheCore();
    int bits = 0;
    int width = 0;
    int height = 0;
    if (core.screen.active) {
        bits = core.screen.colorBits;
        width = core.screen.width;
        height = core.screen.height;
    } else {
        const WindowDc screen;
        if (screen.dc == nullptr) {
            return false;
        }
        bits = GetDeviceCaps(screen.dc, BITSPIXEL) * GetDeviceCaps(screen.dc, PLANES);
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
    }
    // A 640 x 350 screen is EGA: too few colors for the shading.
    return bits >= 4 && !(width == 640 && height == 350);
}

BOOL GlobalSetup() {
    Core& core = TheCore();
    CriticalSectionLock guard(&TheCore().lock);
    core.enabled = ScreenIsUsable();
    if (!core.enabled) {
        return FALSE;
    }
    static const char* const kNames[kMarkCount] = {"Lum3d",     "Lum3dNew",  "Lum3dL", "Lum3dH",
                                                   "Lum3dLNew", "Lum3dHNew", "Lum3dD"};
    for (int i = 0; i < kMarkCount; ++i) {
        core.atoms[i] = GlobalAddAtomA(kNames[i]);
        if (core.atoms[i] == 0) {
            core.enabled = FALSE;
            return FALSE;
        }
    }
    core.dialog.doubleByte = GetSystemMetrics(SM_DBCSENABLED) != 0 ? 1 : 0;
    ReadImeSettingLocked();
    if (!BuildColors(TRUE)) {
        core.enabled = FALSE;
        return FALSE;
    }
    FillKindRecords();
    return core.enabled;
}

void Teardown() {
    Core& core = TheCore();
    CriticalSectionLock guard(&TheCore().lock);
    ClearKindRecords();
    DeleteColorObjects();
    for (ATOM& atom : core.atoms) {
        if (atom != 0) {
            GlobalDeleteAtom(atom);
            atom = 0;
        }
    }
    core.enabled = FALSE;
}

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    Core& core = TheCore();
    HHOOK hook = nullptr;
    int flags = 0;
    {
        CriticalSectionLock guard(&TheCore().lock);
        int index = FindThreadEntry(GetCurrentThreadId());
        if (index >= 0) {
            hook = core.threads[index].hook;
            flags = core.threads[index].flags;
        }
    }
    if (hook == nullptr) {
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    // After teardown the kind procedures are gone: adopt nothing.
    if (code != HCBT_CREATEWND || !core.enabled) {
        return CallNextHookEx(hook, code, wParam, lParam);
    }
    auto window = reinterpret_cast<HWND>(wParam);
    const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
    auto classValue = reinterpret_cast<UINT_PTR>(create->lpszClass);
    // Some creators name the dialog class instead of passing its atom.
    bool dialog = classValue == kDialogClassAtom ||
                  (HIWORD(classValue) != 0 && lstrcmpiA(create->lpszClass, "#32770") == 0);
    if (dialog) {
        if (core.platform == kPlatform32) {
            BOOL intention = !IsNewSystem() || (create->style & DS_3DLOOK) == 0;
            SendMessageA(window, WM_LOOK3D_MAYADOPT, 0, reinterpret_cast<LPARAM>(&intention));
            if (intention) {
                AdoptWindow(window, &DialogProc);
            }
        } else {
            AdoptLater(window, &DialogProc);
        }
    } else if ((flags & 1) != 0) {
        HWND parent = create->hwndParent;
        if (parent != nullptr && (IsAdoptedParent(parent) || IsAdoptedParent(GetParent(parent)))) {
            TryAdoptControl(window, kAnyKind, 1, parent);
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

LRESULT CALLBACK PendingProc(int code, WPARAM wParam, LPARAM lParam) {
    Core& core = TheCore();
    LRESULT result = CallNextHookEx(core.pendingHook, code, wParam, lParam);
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code >= 0 && message != nullptr && message->hwnd == core.pendingWindow &&
        core.pendingWindow != nullptr) {
        HWND window = core.pendingWindow;
        WNDPROC procedure = core.pendingProcedure;
        UnhookWindowsHookEx(core.pendingHook);
        core.pendingHook = nullptr;
        core.pendingWindow = nullptr;
        core.pendingProcedure = nullptr;
        BOOL intention = !IsNewSystem() ||
                         (static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & DS_3DLOOK) == 0;
        SendMessageA(window, WM_LOOK3D_MAYADOPT, 0, reinterpret_cast<LPARAM>(&intention));
        if (intention && core.enabled) {
            AdoptWindow(window, procedure);
        }
    }
    return result;
}

} // namespace

Core& TheCore() {
    static Core core;
    return core;
}

bool IsAdoptedParent(HWND window) {
    if (window == nullptr || !HasProperty(window, kMarkPrevious)) {
        return false;
    }
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    return !(IsNewSystem() && (style & DS_3DLOOK) != 0);
}

void AdoptLater(HWND window, WNDPROC procedure) {
    Core& core = TheCore();
    // One pending window at a time: a hook left behind would never be removed.
    if (core.pendingHook != nullptr) {
        UnhookWindowsHookEx(core.pendingHook);
        core.pendingHook = nullptr;
    }
    core.pendingWindow = window;
    core.pendingProcedure = procedure;
    core.pendingHook =
        SetWindowsHookExA(WH_CALLWNDPROC, &PendingProc, core.moduleHandle, GetCurrentThreadId());
    if (core.pendingHook == nullptr) {
        core.pendingWindow = nullptr;
        core.pendingProcedure = nullptr;
    }
}

int ThreadUseCount(DWORD threadId) {
    EnsureLock();
    CriticalSectionLock guard(&TheCore().lock);
    int index = FindThreadEntry(threadId);
    return index < 0 ? 0 : TheCore().threads[index].useCount;
}

int ThreadEntryCount() {
    EnsureLock();
    CriticalSectionLock guard(&TheCore().lock);
    return TheCore().entryCount;
}

void SetScreenSeam(int colorBits, int width, int height) {
    TheCore().screen = {TRUE, colorBits, width, height};
}

void ClearScreenSeam() {
    TheCore().screen = {};
}

} // namespace look3d

using namespace look3d;

BOOL Look3dAttach(HINSTANCE module) {
    EnsureLock();
    Core& core = TheCore();
    int count;
    {
        CriticalSectionLock guard(&TheCore().lock);
        count = ++core.attachCount;
    }
    if (count == 1) {
        ProcessSetup(module);
        GlobalSetup();
    }
    bool hooked;
    {
        CriticalSectionLock guard(&TheCore().lock);
        hooked = FindThreadEntry(GetCurrentThreadId()) >= 0;
    }
    if (hooked) {
        Look3dHookThread(module, 0);
    }
    return core.enabled;
}

BOOL Look3dDetach(HINSTANCE module) {
    EnsureLock();
    Core& core = TheCore();
    int count;
    {
        CriticalSectionLock guard(&TheCore().lock);
        int index = FindThreadEntry(GetCurrentThreadId());
        if (index >= 0) {
            ThreadHookEntry& entry = core.threads[index];
            --entry.useCount;
            if (entry.useCount <= 0 || entry.instance == module) {
                RemoveThreadEntry(index);
            }
        }
        // An unmatched detach must not run teardown a second time.
        if (core.attachCount == 0) {
            return TRUE;
        }
        count = --core.attachCount;
    }
    if (count == 0) {
        Teardown();
    }
    return TRUE;
}

BOOL Look3dHookThread(HINSTANCE module, WORD flags) {
    EnsureLock();
    Core& core = TheCore();
    if (core.version < kVersion310 || !core.enabled) {
        return FALSE;
    }
    int value = flags | 1;
    if ((value & 2) != 0) {
        value &= ~3;
    }
    CriticalSectionLock guard(&TheCore().lock);
    DWORD threadId = GetCurrentThreadId();
    // A thread already in the table only gains a use, even when it is full.
    int index = FindThreadEntry(threadId);
    if (index >= 0) {
        ++core.threads[index].useCount;
        return TRUE;
    }
    if (core.entryCount == kMaxThreads) {
        return FALSE;
    }
    HHOOK hook = SetWindowsHookExA(WH_CBT, &CbtProc, core.moduleHandle, threadId);
    if (hook == nullptr) {
        return FALSE;
    }
    core.threads[core.entryCount] = {module, threadId, hook, 1, value};
    core.cachedThread = threadId;
    core.cachedIndex = core.entryCount;
    ++core.entryCount;
    return TRUE;
}

BOOL Look3dHookThreadPlain(HINSTANCE module) {
    return Look3dHookThread(module, 0);
}

BOOL Look3dUnhookThread() {
    EnsureLock();
    Core& core = TheCore();
    CriticalSectionLock guard(&TheCore().lock);
    int index = FindThreadEntry(GetCurrentThreadId());
    if (index >= 0 && --core.threads[index].useCount <= 0) {
        RemoveThreadEntry(index);
    }
    return TRUE;
}
