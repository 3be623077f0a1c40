// The settings dialog written against plain Win32 only: the same template
// and resources, the same two registry values read on start and written on
// OK, About from the system menu. The yardstick LUMCFG is measured against.
#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kDialog = 102;
constexpr int kAboutDialog = 100;
constexpr int kUseOverlay = 1000;
constexpr int kNoOverlay = 1001;
constexpr int kNoSurface = 1012;
constexpr UINT kAboutCommand = 0x0010;
constexpr UINT kAboutText = 101;
constexpr int kIcon = 128;

class Key {
public:
    Key() = default;
    ~Key() {
        if (handle != nullptr) {
            RegCloseKey(handle);
        }
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    HKEY handle = nullptr;
};

// Leading white space, optional sign, digits; saturates at the 32-bit range,
// as the tool reads its values.
int ParseText(const char* p) {
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) {
        ++p;
    }
    bool negative = false;
    if (*p == '-' || *p == '+') {
        negative = *p == '-';
        ++p;
    }
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    value = negative ? -value : value;
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

void KeyPath(char (&path)[256], const char* name) {
    std::snprintf(path, sizeof path, "Bt848\\%s", name);
}

int ReadValue(const char* name, int fallback) {
    char path[256];
    KeyPath(path, name);
    Key key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key.handle) != ERROR_SUCCESS) {
        key.handle = nullptr;
        return fallback;
    }
    char buffer[261];
    DWORD size = 260;
    if (RegQueryValueExA(key.handle, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                         &size) != ERROR_SUCCESS) {
        return fallback;
    }
    buffer[size < 260 ? size : 260] = '\0';
    return ParseText(buffer);
}

void WriteValue(HWND owner, const char* name, int value) {
    char path[256];
    char text[16];
    KeyPath(path, name);
    std::snprintf(text, sizeof text, "%d", value);
    Key key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key.handle, nullptr) != ERROR_SUCCESS) {
        key.handle = nullptr;
        MessageBoxA(owner, "cannot create the key", nullptr, MB_ICONWARNING);
        return;
    }
    if (RegSetValueExA(key.handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                       static_cast<DWORD>(std::strlen(text) + 1)) != ERROR_SUCCESS) {
        MessageBoxA(owner, "cannot write the value", nullptr, MB_ICONWARNING);
    }
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

void Initialize(HWND dialog) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    char about[64];
    HMENU menu = GetSystemMenu(dialog, FALSE);
    if (menu != nullptr && LoadStringA(instance, kAboutText, about, sizeof about) > 0) {
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, kAboutCommand, about);
    }
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(kIcon));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    const int previewOnly = ReadValue("PreviewOnly", 1);
    CheckRadioButton(dialog, kUseOverlay, kNoOverlay, kUseOverlay + previewOnly);
    CheckDlgButton(dialog, kNoSurface, static_cast<UINT>(ReadValue("Force Primary", 0)));
    EnableWindow(GetDlgItem(dialog, kNoSurface), previewOnly == 0);
}

INT_PTR CALLBACK SettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        Initialize(dialog);
        return TRUE;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == kAboutCommand) {
            DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kAboutDialog), dialog,
                            AboutProc, 0);
            return TRUE;
        }
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            WriteValue(dialog, "PreviewOnly", IsDlgButtonChecked(dialog, kNoOverlay) ? 1 : 0);
            WriteValue(dialog, "Force Primary", IsDlgButtonChecked(dialog, kNoSurface) ? 1 : 0);
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        case kUseOverlay:
        case kNoOverlay:
            if (HIWORD(wParam) == BN_CLICKED) {
                EnableWindow(GetDlgItem(dialog, kNoSurface), LOWORD(wParam) == kUseOverlay);
            }
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

} // namespace

#ifdef LUM_BASELINE_COMMON_CONTROLS
namespace {

// The common controls library loaded as the framework loads it before its
// first dialog: from the system folder, when the dialog is about to be made,
// not with the program as an import would.
void LoadCommonControls() {
    char path[MAX_PATH];
    const UINT n = GetSystemDirectoryA(path, MAX_PATH);
    const char name[] = "\\comctl32.dll";
    if (n == 0 || n + sizeof name > MAX_PATH) {
        return;
    }
    std::memcpy(path + n, name, sizeof name);
    if (HMODULE library = LoadLibraryA(path)) {
        using InitCall = void(WINAPI*)();
        if (auto init = reinterpret_cast<InitCall>(GetProcAddress(library, "InitCommonControls"))) {
            init();
        }
    }
}

} // namespace
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
#ifdef LUM_BASELINE_COMMON_CONTROLS
    // Tells how much of the framework's start-up is that library alone.
    LoadCommonControls();
#endif
    DialogBoxParamA(instance, MAKEINTRESOURCEA(kDialog), nullptr, SettingsProc, 0);
    return 0;
}
