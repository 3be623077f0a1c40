#include "settings_test_support.h"

#include <climits>
#include <cstring>
#include <ostream>

namespace {

constexpr int kUnreadable = 4242;

struct StoredCase {
    const char* label;
    DWORD type;
    std::string bytes;
    int expected;
};

void PrintTo(const StoredCase& stored, std::ostream* out) {
    *out << stored.label;
}

// The text and its terminating NUL.
std::string Text(const std::string& text) {
    return text + '\0';
}

// count characters of decimal text that reads as 7, without a terminator.
std::string DigitsOfSeven(size_t count) {
    return std::string(count - 1, '0') + '7';
}

std::string Dword(DWORD value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

std::vector<StoredCase> StoredCases() {
    return {
        {"LettersOnly", REG_SZ, Text("abc"), 0},
        {"SpaceSevenLetters", REG_SZ, Text(" 7abc"), 7},
        {"MinusThree", REG_SZ, Text("-3"), -3},
        // A key's default value that was never set, as Windows 9x reads it.
        {"EmptyText", REG_SZ, Text(""), kUnreadable},
        {"NoBytes", REG_SZ, "", kUnreadable},
        {"TwoTerminators", REG_SZ, std::string(2, '\0'), 0},
        {"PlusFive", REG_SZ, Text("+5"), 5},
        {"LeadingTabs", REG_SZ, Text("\t\t12"), 12},
        {"OtherWhiteSpace", REG_SZ, Text("\r\n\v\f 9"), 9},
        {"SignThenSpace", REG_SZ, Text("- 3"), 0},
        {"StopsAtFirstNonDigit", REG_SZ, Text("12 34"), 12},
        {"LargestInt", REG_SZ, Text("2147483647"), INT_MAX},
        {"JustAboveLargest", REG_SZ, Text("2147483648"), INT_MAX},
        {"FarAboveLargest", REG_SZ, Text("99999999999999999999"), INT_MAX},
        {"SmallestInt", REG_SZ, Text("-2147483648"), INT_MIN},
        {"JustBelowSmallest", REG_SZ, Text("-2147483649"), INT_MIN},
        {"FarBelowSmallest", REG_SZ, Text("-99999999999999999999"), INT_MIN},
        {"TwoHundredNines", REG_SZ, Text(std::string(200, '9')), INT_MAX},
        {"Bytes259", REG_SZ, Text(DigitsOfSeven(258)), 7},
        {"Bytes260", REG_SZ, Text(DigitsOfSeven(259)), 7},
        {"Bytes261", REG_SZ, Text(DigitsOfSeven(260)), kUnreadable},
        {"Bytes260WithoutTerminator", REG_SZ, DigitsOfSeven(260), 7},
        {"DwordOfDigitBytes", REG_DWORD, Dword(0x37373737), 7777},
        {"DwordFive", REG_DWORD, Dword(5), 0},
        {"BinaryText", REG_BINARY, " 42", 42},
        {"Binary260Digits", REG_BINARY, DigitsOfSeven(260), 7},
        {"MultiString", REG_MULTI_SZ,
         std::string("12\0"
                     "34\0\0",
                     7),
         12},
        {"ShiftJisAfterDigits", REG_SZ, Text(ShiftJis("12番地")), 12},
        {"ShiftJisBeforeDigits", REG_SZ, Text(ShiftJis("番地12")), 0},
        {"FullWidthDigits", REG_SZ, Text(ShiftJis("１２")), 0},
        {"FullWidthSpace", REG_SZ, Text(ShiftJis("　7")), 0},
    };
}

// Leaves digits where the next call's locals will lie, so that reading past
// the bytes a query returned runs on into digits instead of stopping by luck.
[[gnu::noinline]] void LitterStackWithDigits() {
    volatile char area[2048];
    for (volatile char& c : area) {
        c = '5';
    }
}

class StoredDataTest : public DeviceKeyTest, public testing::WithParamInterface<StoredCase> {};

TEST_P(StoredDataTest, ConvertsToInteger) {
    const StoredCase& stored = GetParam();
    ASSERT_NO_FATAL_FAILURE(StoreRaw("PreviewOnly", stored.type, stored.bytes));
    const RawValue held = LoadRaw("PreviewOnly");
    ASSERT_EQ(stored.type, held.type);
    ASSERT_EQ(stored.bytes, held.bytes) << "the registry holds other data than the case means";

    LitterStackWithDigits();
    const int value = ReadSetting("PreviewOnly", kUnreadable);
    EXPECT_EQ(stored.expected, value);
}

INSTANTIATE_TEST_SUITE_P(Registry, StoredDataTest, testing::ValuesIn(StoredCases()),
                         [](const testing::TestParamInfo<StoredCase>& info) {
                             return std::string(info.param.label);
                         });

class SettingsReadTest : public DeviceKeyTest {};

TEST_F(SettingsReadTest, DefaultsWithoutDeviceKey) {
    EXPECT_EQ(1, ReadSetting("PreviewOnly", 1));
    EXPECT_EQ(0, ReadSetting("Force Primary", 0));
    EXPECT_EQ(-9, ReadSetting("PreviewOnly", -9));
    EXPECT_FALSE(KeyExists("Bt848")) << "reading created the device key";
}

TEST_F(SettingsReadTest, DefaultsWithoutSettingKeyOrDefaultValue) {
    ScopedKey key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CLASSES_ROOT, "Bt848\\Force Primary", 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key.key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key.key, "Named", 0, REG_SZ, reinterpret_cast<const BYTE*>("6"), 2));

    EXPECT_EQ(1, ReadSetting("PreviewOnly", 1));
    EXPECT_EQ(kUnreadable, ReadSetting("Force Primary", kUnreadable));
}

TEST_F(SettingsReadTest, ReadsEveryTimeFromRegistry) {
    ASSERT_NO_FATAL_FAILURE(StoreRaw("Force Primary", REG_SZ, Text("3")));
    EXPECT_EQ(3, ReadSetting("Force Primary", 0));
    ASSERT_NO_FATAL_FAILURE(StoreRaw("Force Primary", REG_SZ, Text("4")));
    EXPECT_EQ(4, ReadSetting("Force Primary", 0));
    EXPECT_EQ(0, ReadSetting("Force", 0)) << "the name must be used whole, space included";
}

TEST_F(SettingsReadTest, ReadsKeyClosedToWriters) {
    ASSERT_NO_FATAL_FAILURE(StoreRaw("PreviewOnly", REG_SZ, Text("6")));
    ASSERT_NO_FATAL_FAILURE(RestrictToReaders("Bt848\\PreviewOnly"));
    ScopedKey writer;
    ASSERT_EQ(ERROR_ACCESS_DENIED,
              RegOpenKeyExA(HKEY_CLASSES_ROOT, "Bt848\\PreviewOnly", 0, KEY_WRITE, &writer.key));

    EXPECT_EQ(6, ReadSetting("PreviewOnly", 1));
}

TEST_F(SettingsReadTest, FailedReadsShowNoMessage) {
    ASSERT_NO_FATAL_FAILURE(StoreRaw("Force Primary", REG_SZ, Text(DigitsOfSeven(300))));
    const WatchedCall watched = RunClosingBoxes(
        [] { return ReadSetting("PreviewOnly", 1) * 10 + ReadSetting("Force Primary", 2); });
    EXPECT_EQ(12, watched.result);
    EXPECT_TRUE(watched.boxes.empty());
}

} // namespace
