#include "app/settings_store.h"

#include <climits>
#include <cstring>

#include "framework/runtime/c_runtime.h"
#include "framework/runtime/string_resource.h"
#include "resources/resource_ids.h"

namespace {

const char deviceKeyName[256] = "Bt848";

// The warning's texts come from the string table, in the user's language.
void ShowSettingsErrorFor(UINT textId) {
    char text[256];
    LoadStringResource(textId, text, sizeof text);
    ShowSettingsError(nullptr, text);
}

void FormKeyPath(char (&path)[256], const char* name) {
    crt::FormatText(path, sizeof path, "%s\\%s", deviceKeyName, name);
}

class KeyHandle {
public:
    KeyHandle() = default;
    ~KeyHandle() {
        if (key != nullptr) {
            RegCloseKey(key);
        }
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;

    HKEY key = nullptr;
};

} // namespace

settings_store_internal::SetValueCall settings_store_internal::setValue = RegSetValueExA;

int ParseSettingText(const char* text) {
    const char* p = text;
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
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return static_cast<int>(value);
}

int ReadSetting(const char* name, int defaultValue) {
    char path[256];
    FormKeyPath(path, name);
    KeyHandle key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key.key) != ERROR_SUCCESS) {
        key.key = nullptr;
        return defaultValue;
    }
    // One byte more than the query may fill, so that data without a
    // terminator (or of another type) is still read as text inside the buffer.
    char buffer[261];
    DWORD size = 260;
    if (RegQueryValueExA(key.key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                         &size) != ERROR_SUCCESS) {
        return defaultValue;
    }
    // Every key on Windows 95, 98 and ME has a default value: one never set
    // reads back as no data or a lone terminator. Either means "not stored".
    if (size == 0 || (size == 1 && buffer[0] == '\0')) {
        return defaultValue;
    }
    buffer[size < 260 ? size : 260] = '\0';
    return ParseSettingText(buffer);
}

BOOL WriteSetting(const char* name, int value) {
    char path[256];
    char text[256];
    FormKeyPath(path, name);
    crt::FormatText(text, sizeof text, "%d", value);
    KeyHandle key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_WRITE, &key.key) != ERROR_SUCCESS) {
        key.key = nullptr;
        char emptyClass[] = "";
        DWORD disposition;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path, 0, emptyClass, REG_OPTION_NON_VOLATILE,
                            KEY_WRITE, nullptr, &key.key, &disposition) != ERROR_SUCCESS) {
            key.key = nullptr;
            ShowSettingsErrorFor(IDS_CANNOT_CREATE_KEY);
            return FALSE;
        }
    }
    if (settings_store_internal::setValue(key.key, nullptr, 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(text),
                                          static_cast<DWORD>(strlen(text) + 1)) != ERROR_SUCCESS) {
        ShowSettingsErrorFor(IDS_CANNOT_WRITE_VALUE);
        return FALSE;
    }
    return TRUE;
}

int ShowSettingsError(HWND owner, const char* text) {
    char caption[64];
    LoadStringResource(IDS_SETTINGS_CAPTION, caption, sizeof caption);
    return MessageBoxA(owner, text, caption, MB_ICONWARNING);
}
