// Helpers for the settings-store tests: the real HKEY_CLASSES_ROOT\Bt848 key of
// the test prefix, the process's open key handles, and message boxes shown by
// a call running on a thread of its own.
#pragma once

#include <windows.h>

#include "app/settings_store.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// UTF-8 text of this source in the ANSI code page the tool runs under (932).
std::string ShiftJis(const char* utf8);

class ScopedKey {
public:
    ScopedKey() = default;
    ~ScopedKey() {
        if (key != nullptr) {
            RegCloseKey(key);
        }
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    HKEY key = nullptr;
};

// Stands a replacement in for the registry's value-writing call while alive.
class StandInSetValue {
public:
    explicit StandInSetValue(settings_store_internal::SetValueCall call)
        : saved(settings_store_internal::setValue) {
        settings_store_internal::setValue = call;
    }
    ~StandInSetValue() { settings_store_internal::setValue = saved; }
    StandInSetValue(const StandInSetValue&) = delete;
    StandInSetValue& operator=(const StandInSetValue&) = delete;

private:
    settings_store_internal::SetValueCall saved;
};

// Every case starts and ends without the device key.
class DeviceKeyTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

bool KeyExists(const char* path);
// Stores exactly these bytes, with this type, as the default value of Bt848\name.
void StoreRaw(const char* name, DWORD type, const std::string& bytes);

struct RawValue {
    LONG status = ERROR_SUCCESS;
    DWORD type = REG_NONE;
    std::string bytes;
};
RawValue LoadRaw(const char* name);

// Only what the key's owner may still do: read, and undo the protection.
void RestrictToReaders(const char* path);

// Handles this process holds on Bt848 or any key below it.
int OpenDeviceKeyHandles();

struct SeenBox {
    std::string caption;
    std::string text;
    bool warningIcon = false;
    int buttons = 0;
    bool hasOkButton = false;
    bool hasOwner = false;
};

struct WatchedCall {
    int result = 0;
    std::vector<SeenBox> boxes;
};

// Runs call, closes with OK every message box it shows on this thread, and
// reports what each box said.
WatchedCall RunClosingBoxes(const std::function<int()>& call);
