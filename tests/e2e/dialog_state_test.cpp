// The state the settings dialog opens in, for stored data clean and not.
#include "tool_driver.h"

#include <optional>
#include <ostream>

namespace {

using namespace e2e;

struct StoredData {
    DWORD type;
    std::string bytes;
};

struct OpeningCase {
    const char* label;
    std::optional<StoredData> previewOnly;
    std::optional<StoredData> forcePrimary;
    DialogState expected;
};

void PrintTo(const OpeningCase& opening, std::ostream* out) {
    *out << opening.label;
}

StoredData Text(const std::string& text) {
    return {REG_SZ, text + '\0'};
}

StoredData Dword(DWORD value) {
    return {REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof value)};
}

// Shown state: 1000 checked, 1001 checked, 1012 checked, 1012 enabled.
constexpr DialogState kOverlay = {BST_CHECKED, BST_UNCHECKED, BST_UNCHECKED, true};
constexpr DialogState kOverlayNoSurface = {BST_CHECKED, BST_UNCHECKED, BST_CHECKED, true};
constexpr DialogState kNoOverlayState = {BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED, false};
constexpr DialogState kNoOverlayNoSurface = {BST_UNCHECKED, BST_CHECKED, BST_CHECKED, false};
constexpr DialogState kNeither = {BST_UNCHECKED, BST_UNCHECKED, BST_UNCHECKED, false};

std::vector<OpeningCase> OpeningCases() {
    return {
        {"NoDeviceKey", std::nullopt, std::nullopt, kNoOverlayState},
        {"PreviewZero", Text("0"), std::nullopt, kOverlay},
        {"PreviewTwo", Text("2"), std::nullopt, kNeither},
        {"ForcePrimaryOneIsCheckedWhileDisabled", std::nullopt, Text("1"), kNoOverlayNoSurface},
        {"LettersAndSpaceDigitLetters", Text("abc"), Text(" 1x"), kOverlayNoSurface},
        {"SpaceDigitLettersAndLetters", Text(" 1x"), Text("abc"), kNoOverlayState},
        {"PlusZeroAndMinusZero", Text("+0"), Text("-0"), kOverlay},
        {"MinusZeroAndPlusOne", Text("-0"), Text("+1"), kOverlayNoSurface},
        // An empty default value is no value (every key has one on Windows 9x).
        {"EmptyTexts", Text(""), Text(""), kNoOverlayState},
        {"LargestInt", Text("2147483647"), std::nullopt, kNeither},
        {"SmallestInt", Text("-2147483648"), std::nullopt, kNeither},
        // 261 bytes with the terminator do not fit the 260-byte buffer: defaults.
        {"TextsLongerThanBuffer", Text(std::string(260, '0')), Text("1" + std::string(259, '0')),
         kNoOverlayState},
        {"TextsFillingBuffer", Text(std::string(259, '0')), Text(std::string(258, '0') + "1"),
         kOverlayNoSurface},
        // The value's bytes are read as text whatever its type: 01 00 00 00 has no
        // digit, 31 00 00 00 is the digit 1.
        {"DwordValues", Dword(1), Dword(0x31), kOverlayNoSurface},
        {"BinaryValuesWithoutTerminator", StoredData{REG_BINARY, "0"}, StoredData{REG_BINARY, "1x"},
         kOverlayNoSurface},
    };
}

void Store(const char* name, const std::optional<StoredData>& data) {
    if (data) {
        StoreRaw(name, data->type, data->bytes);
    }
}

void ExpectUnchanged(const char* name, const std::optional<StoredData>& data) {
    const RawValue now = LoadRaw(name);
    if (!data) {
        EXPECT_NE(ERROR_SUCCESS, now.status) << name << " was written";
        return;
    }
    ASSERT_EQ(ERROR_SUCCESS, now.status) << name;
    EXPECT_EQ(data->type, now.type) << name;
    EXPECT_EQ(data->bytes, now.bytes) << name;
}

class DialogOpeningTest : public ToolTest, public testing::WithParamInterface<OpeningCase> {};

TEST_P(DialogOpeningTest, ShowsStoredSettingsAndCancelKeepsThem) {
    const OpeningCase& opening = GetParam();
    ASSERT_NO_FATAL_FAILURE(Store("PreviewOnly", opening.previewOnly));
    ASSERT_NO_FATAL_FAILURE(Store("Force Primary", opening.forcePrimary));

    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);

    const DialogState shown = ReadState(dialog);
    EXPECT_EQ(opening.expected.useOverlay, shown.useOverlay);
    EXPECT_EQ(opening.expected.noOverlay, shown.noOverlay);
    EXPECT_EQ(opening.expected.noSurface, shown.noSurface);
    EXPECT_EQ(opening.expected.noSurfaceEnabled, shown.noSurfaceEnabled);

    ClickControl(dialog, IDCANCEL);
    // The button's WM_LBUTTONUP (no button still down) was the last message retrieved.
    EXPECT_EQ(0u, ExitCode()) << "Cancel did not end the tool";
    ExpectUnchanged("PreviewOnly", opening.previewOnly);
    ExpectUnchanged("Force Primary", opening.forcePrimary);
    if (!opening.previewOnly && !opening.forcePrimary) {
        EXPECT_FALSE(KeyExists("Bt848"));
    }
}

INSTANTIATE_TEST_SUITE_P(Stored, DialogOpeningTest, testing::ValuesIn(OpeningCases()),
                         [](const testing::TestParamInfo<OpeningCase>& info) {
                             return std::string(info.param.label);
                         });

} // namespace
