#include "settings_test_support.h"

#include "common/window_text.h"

#include <winternl.h>

#include <cwctype>
#include <memory>

namespace {

// ntdll is not among the test's import libraries.
template <typename Call> Call NtdllCall(const char* name) {
    return reinterpret_cast<Call>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

using QuerySystemCall = NTSTATUS(NTAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
using QueryObjectCall = NTSTATUS(NTAPI*)(HANDLE, OBJECT_INFORMATION_CLASS, PVOID, ULONG, PULONG);

std::vector<SYSTEM_HANDLE_ENTRY> OwnHandles() {
    constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
    const auto query = NtdllCall<QuerySystemCall>("NtQuerySystemInformation");
    std::vector<ULONG_PTR> buffer(64 * 1024);
    NTSTATUS status;
    while ((status = query(SystemHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR)), nullptr)) ==
               kInfoLengthMismatch &&
           buffer.size() < 16 * 1024 * 1024) {
        buffer.resize(buffer.size() * 2);
    }
    std::vector<SYSTEM_HANDLE_ENTRY> own;
    if (status != 0) {
        ADD_FAILURE() << "the system's handle table cannot be listed: 0x" << std::hex << status;
        return own;
    }
    const auto* table = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(buffer.data());
    for (ULONG i = 0; i < table->Count; ++i) {
        if (table->Handle[i].OwnerPid == GetCurrentProcessId()) {
            own.push_back(table->Handle[i]);
        }
    }
    return own;
}

BYTE KeyObjectType() {
    ScopedKey probe;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &probe.key) != ERROR_SUCCESS) {
        return 0;
    }
    for (const SYSTEM_HANDLE_ENTRY& entry : OwnHandles()) {
        if (entry.HandleValue == reinterpret_cast<ULONG_PTR>(probe.key)) {
            return entry.ObjectType;
        }
    }
    return 0;
}

bool NamesDeviceKey(HANDLE key) {
    const auto query = NtdllCall<QueryObjectCall>("NtQueryObject");
    alignas(8) char buffer[2048];
    if (query(key, ObjectNameInformation, buffer, sizeof buffer, nullptr) != 0) {
        return false;
    }
    const UNICODE_STRING& name = reinterpret_cast<const OBJECT_NAME_INFORMATION*>(buffer)->Name;
    std::wstring path(name.Buffer, name.Length / sizeof(WCHAR));
    for (wchar_t& c : path) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    const std::wstring device = L"\\classes\\bt848";
    const size_t at = path.find(device);
    return at != std::wstring::npos &&
           (at + device.size() == path.size() || path[at + device.size()] == L'\\');
}

BOOL CALLBACK FindShownBox(HWND window, LPARAM found) {
    if (HasClass(window, "#32770") && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

struct BoxWatch {
    std::vector<SeenBox> boxes;
    HWND closing = nullptr;
    ULONGLONG closingSince = 0;
    bool stuck = false;
};

// Runs on the watched thread's timer while a message box's own loop pumps it.
LRESULT CALLBACK WatchBoxes(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_TIMER) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    BoxWatch& watch = *reinterpret_cast<BoxWatch*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (watch.closing != nullptr && IsWindow(watch.closing)) {
        if (GetTickCount64() - watch.closingSince > 10000) {
            watch.stuck = true;
            EndDialog(watch.closing, IDABORT);
        }
        return 0;
    }
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindShownBox, reinterpret_cast<LPARAM>(&box));
    if (box != nullptr) {
        watch.boxes.push_back(lumtest::ReadSeenBox(box));
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        watch.closing = box;
        watch.closingSince = GetTickCount64();
    }
    return 0;
}

const char kWatcherClass[] = "SettingsTestBoxWatcher";

} // namespace

int OpenDeviceKeyHandles() {
    const BYTE keyType = KeyObjectType();
    EXPECT_NE(0, keyType) << "the type of key handles is unknown";
    int count = 0;
    for (const SYSTEM_HANDLE_ENTRY& entry : OwnHandles()) {
        const HANDLE handle = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(entry.HandleValue));
        if (entry.ObjectType == keyType && NamesDeviceKey(handle)) {
            ++count;
        }
    }
    return count;
}

WatchedCall RunClosingBoxes(const std::function<int()>& call) {
    WNDCLASSA watcherClass = {};
    watcherClass.lpfnWndProc = WatchBoxes;
    watcherClass.hInstance = GetModuleHandleA(nullptr);
    watcherClass.lpszClassName = kWatcherClass;
    if (RegisterClassA(&watcherClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        ADD_FAILURE() << "no window class for the watcher";
    }
    BoxWatch watch;
    // Hidden top-level rather than message-only: after a message-only window,
    // Wine's X11 driver fails the thread's next message box.
    const std::unique_ptr<HWND__, decltype(&DestroyWindow)> watcher(
        CreateWindowExA(0, kWatcherClass, "", 0, 0, 0, 0, 0, nullptr, nullptr,
                        GetModuleHandleA(nullptr), nullptr),
        DestroyWindow);
    WatchedCall watched;
    if (watcher == nullptr) {
        ADD_FAILURE() << "no watcher window (error " << GetLastError() << ")";
        return watched;
    }
    SetWindowLongPtrA(watcher.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&watch));
    SetTimer(watcher.get(), 1, 10, nullptr);
    watched.result = call();
    watched.boxes = std::move(watch.boxes);
    EXPECT_FALSE(watch.stuck) << "a message box did not close on OK";
    return watched;
}
