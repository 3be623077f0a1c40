// The real HKEY_CLASSES_ROOT\Bt848 key of the test prefix, where the tool
// keeps its settings: writing exact bytes, reading them back, protecting it.
#pragma once

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

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

void DeleteDeviceKey();
bool KeyExists(const char* path);
// Stores exactly these bytes, with this type, as the default value of Bt848\name.
void StoreRaw(const char* name, DWORD type, const std::string& bytes);

struct RawValue {
    LONG status = ERROR_SUCCESS;
    DWORD type = REG_NONE;
    std::string bytes;
};
RawValue LoadRaw(const char* name);
// The same value read through the wide interface.
RawValue LoadRawWide(const char* name);

// Only what the key's owner may still do: read, and undo the protection.
void RestrictToReaders(const char* path);

// Every case starts and ends without the device key.
class DeviceKeyTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};
