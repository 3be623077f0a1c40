#include "settings_test_support.h"

#include <climits>
#include <cstring>

namespace {

class SettingsWriteTest : public DeviceKeyTest {};

std::string SubkeyNames(const char* path) {
    ScopedKey key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key.key) != ERROR_SUCCESS) {
        return "(no key)";
    }
    std::string names;
    char name[256];
    for (DWORD i = 0; RegEnumKeyA(key.key, i, name, sizeof name) == ERROR_SUCCESS; ++i) {
        names += std::string(i == 0 ? "" : "|") + name;
    }
    return names;
}

TEST_F(SettingsWriteTest, CreatesDeviceKeyAndSettingKey) {
    ASSERT_EQ(TRUE, WriteSetting("Force Primary", 1));

    EXPECT_EQ("Force Primary", SubkeyNames("Bt848"));
    const RawValue stored = LoadRaw("Force Primary");
    EXPECT_EQ(ERROR_SUCCESS, stored.status);
    EXPECT_EQ(std::string("1", 2), stored.bytes);
    ScopedKey setting;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CLASSES_ROOT, "Bt848\\Force Primary", 0, KEY_READ, &setting.key));
    DWORD values = 0;
    ASSERT_EQ(ERROR_SUCCESS,
              RegQueryInfoKeyA(setting.key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               &values, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(1u, values) << "only the default value is written";
    // Only a key that survives a restart takes a lasting key below it.
    ScopedKey below;
    EXPECT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(setting.key, "Lasting", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ,
                              nullptr, &below.key, nullptr));
}

TEST_F(SettingsWriteTest, WritingZeroStoresDigitAndTerminator) {
    ASSERT_EQ(TRUE, WriteSetting("PreviewOnly", 0));
    const RawValue stored = LoadRaw("PreviewOnly");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), stored.type);
    EXPECT_EQ(std::string("0", 2), stored.bytes);
}

TEST_F(SettingsWriteTest, ExtremesRoundTrip) {
    ASSERT_EQ(TRUE, WriteSetting("PreviewOnly", INT_MIN));
    EXPECT_EQ(std::string("-2147483648", 12), LoadRaw("PreviewOnly").bytes);
    EXPECT_EQ(INT_MIN, ReadSetting("PreviewOnly", 0));

    ASSERT_EQ(TRUE, WriteSetting("PreviewOnly", INT_MAX));
    EXPECT_EQ(std::string("2147483647", 11), LoadRaw("PreviewOnly").bytes);
    EXPECT_EQ(INT_MAX, ReadSetting("PreviewOnly", 0));

    ASSERT_EQ(TRUE, WriteSetting("PreviewOnly", -1));
    EXPECT_EQ(std::string("-1", 3), LoadRaw("PreviewOnly").bytes);
}

TEST_F(SettingsWriteTest, ReplacesExistingValueOfAnyType) {
    const DWORD seven = 7;
    ASSERT_NO_FATAL_FAILURE(StoreRaw("Force Primary", REG_DWORD,
                                     std::string(reinterpret_cast<const char*>(&seven), 4)));
    ASSERT_EQ(TRUE, WriteSetting("Force Primary", 0));
    RawValue stored = LoadRaw("Force Primary");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), stored.type);
    EXPECT_EQ(std::string("0", 2), stored.bytes);

    ASSERT_EQ(TRUE, WriteSetting("Force Primary", 1));
    stored = LoadRaw("Force Primary");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), stored.type);
    EXPECT_EQ(std::string("1", 2), stored.bytes);
    EXPECT_EQ(1, ReadSetting("Force Primary", 0));
    EXPECT_EQ("Force Primary", SubkeyNames("Bt848"));
}

// The registry itself counts a NUL that the caller left out, so only the call
// shows whether the text was handed over with its terminator.
LONG WINAPI StoreOnlyTerminatedDefaultText(HKEY key, LPCSTR name, DWORD reserved, DWORD type,
                                           const BYTE* data, DWORD size) {
    if (name != nullptr || type != REG_SZ || size == 0 || data[size - 1] != '\0' ||
        strlen(reinterpret_cast<const char*>(data)) + 1 != size) {
        return ERROR_INVALID_DATA;
    }
    return RegSetValueExA(key, name, reserved, type, data, size);
}

TEST_F(SettingsWriteTest, HandsOverTextWithTerminatorCounted) {
    const WatchedCall watched = RunClosingBoxes([] {
        const StandInSetValue checked(StoreOnlyTerminatedDefaultText);
        return WriteSetting("PreviewOnly", -15);
    });
    EXPECT_EQ(TRUE, watched.result);
    EXPECT_TRUE(watched.boxes.empty());
    EXPECT_EQ(std::string("-15", 4), LoadRaw("PreviewOnly").bytes);
}

class KeyHandleTest : public DeviceKeyTest {};

TEST_F(KeyHandleTest, ReadAndWriteCloseKeysOnEveryPath) {
    {
        ScopedKey held;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(HKEY_CLASSES_ROOT, "Bt848", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_READ, nullptr, &held.key, nullptr));
        ASSERT_EQ(1, OpenDeviceKeyHandles()) << "the count does not see an open key";
    }
    ASSERT_EQ(0, OpenDeviceKeyHandles());

    EXPECT_EQ(1, ReadSetting("PreviewOnly", 1));
    EXPECT_EQ(0, OpenDeviceKeyHandles()) << "reading a missing key";
    ASSERT_EQ(TRUE, WriteSetting("PreviewOnly", 0));
    EXPECT_EQ(0, OpenDeviceKeyHandles()) << "writing a new key";
    ASSERT_EQ(TRUE, WriteSetting("PreviewOnly", 1));
    EXPECT_EQ(0, OpenDeviceKeyHandles()) << "writing an existing key";
    EXPECT_EQ(1, ReadSetting("PreviewOnly", 0));
    EXPECT_EQ(0, OpenDeviceKeyHandles()) << "reading a value";
    ASSERT_NO_FATAL_FAILURE(StoreRaw("PreviewOnly", REG_SZ, std::string(300, '1') + '\0'));
    EXPECT_EQ(5, ReadSetting("PreviewOnly", 5));
    EXPECT_EQ(0, OpenDeviceKeyHandles()) << "reading too long a value";
}

} // namespace
