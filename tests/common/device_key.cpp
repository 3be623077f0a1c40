#include "common/device_key.h"

#include <memory>

namespace {

std::string SettingPath(const char* name) {
    return std::string("Bt848\\") + name;
}

template <typename Query> RawValue Load(const char* name, Query query) {
    RawValue value;
    ScopedKey key;
    value.status =
        RegOpenKeyExA(HKEY_CLASSES_ROOT, SettingPath(name).c_str(), 0, KEY_QUERY_VALUE, &key.key);
    if (value.status != ERROR_SUCCESS) {
        return value;
    }
    DWORD size = 0;
    value.status = query(key.key, nullptr, nullptr, &value.type, nullptr, &size);
    if (value.status != ERROR_SUCCESS) {
        return value;
    }
    // Room for a conversion that comes out longer than announced.
    std::string buffer(size + 16, '\0');
    size = static_cast<DWORD>(buffer.size());
    value.status = query(key.key, nullptr, nullptr, &value.type,
                         reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (value.status == ERROR_SUCCESS) {
        value.bytes.assign(buffer.data(), size);
    }
    return value;
}

} // namespace

void DeleteDeviceKey() {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "Bt848");
}

bool KeyExists(const char* path) {
    ScopedKey key;
    return RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key.key) == ERROR_SUCCESS;
}

void StoreRaw(const char* name, DWORD type, const std::string& bytes) {
    ScopedKey key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CLASSES_ROOT, SettingPath(name).c_str(), 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key.key, nullptr));
    // The registry adds a NUL that directly follows string data to the data.
    const std::string data = bytes + 'x';
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key.key, nullptr, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(bytes.size())));
}

RawValue LoadRaw(const char* name) {
    return Load(name, &RegQueryValueExA);
}

RawValue LoadRawWide(const char* name) {
    return Load(name,
                [](HKEY key, const char*, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size) {
                    return RegQueryValueExW(key, nullptr, reserved, type, data, size);
                });
}

void RestrictToReaders(const char* path) {
    ScopedKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, WRITE_DAC, &key.key));
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    ASSERT_TRUE(
        AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
    const std::unique_ptr<void, decltype(&FreeSid)> sid(everyone, FreeSid);
    alignas(DWORD) BYTE aclBuffer[256];
    ACL* acl = reinterpret_cast<ACL*>(aclBuffer);
    ASSERT_TRUE(InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION));
    ASSERT_TRUE(AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ | DELETE | WRITE_DAC, everyone));
    SECURITY_DESCRIPTOR descriptor;
    ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE));
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key.key, DACL_SECURITY_INFORMATION, &descriptor));
}

void DeviceKeyTest::SetUp() {
    DeleteDeviceKey();
    ASSERT_FALSE(KeyExists("Bt848"));
}

void DeviceKeyTest::TearDown() {
    DeleteDeviceKey();
    EXPECT_FALSE(KeyExists("Bt848"));
}
