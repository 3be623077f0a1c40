// Refusals by the registry and the warning box that reports them.
#include "settings_test_support.h"

namespace {

std::string CannotCreate() {
    return ShiftJis("指定されたレジストリキーを作成できませんでした。");
}

std::string CannotWrite() {
    return ShiftJis("指定されたレジストリキーに値を書き込むことができませんでした。");
}

void ExpectWarningBox(const SeenBox& box, const std::string& text) {
    EXPECT_EQ(ShiftJis("Lumora 環境設定"), lumtest::Ansi(box.caption));
    EXPECT_EQ(text, lumtest::Ansi(box.text));
    EXPECT_EQ(LoadIconA(nullptr, IDI_WARNING), box.icon);
    EXPECT_EQ(1, box.shownButtons);
    EXPECT_TRUE(box.okButtonShown);
    EXPECT_EQ(nullptr, box.owner);
}

LONG WINAPI RefuseValue(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD) {
    return ERROR_ACCESS_DENIED;
}

class SettingsFailureTest : public DeviceKeyTest {};

TEST_F(SettingsFailureTest, ShowsTextWithCaptionAndWarningIcon) {
    const std::string text = ShiftJis("任意の文 \\ 表示");
    const WatchedCall watched =
        RunClosingBoxes([&text] { return ShowSettingsError(nullptr, text.c_str()); });
    EXPECT_EQ(IDOK, watched.result);
    ASSERT_EQ(1u, watched.boxes.size());
    ExpectWarningBox(watched.boxes[0], text);
}

// A key that is lost at restart takes no lasting key below it.
TEST_F(SettingsFailureTest, KeyThatCannotBeCreatedShowsOnlyCreationMessage) {
    {
        ScopedKey device;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(HKEY_CLASSES_ROOT, "Bt848", 0, nullptr, REG_OPTION_VOLATILE,
                                  KEY_READ, nullptr, &device.key, nullptr));
        ScopedKey probe;
        ASSERT_EQ(ERROR_CHILD_MUST_BE_VOLATILE,
                  RegCreateKeyExA(HKEY_CLASSES_ROOT, "Bt848\\Probe", 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &probe.key,
                                  nullptr));
    }

    const WatchedCall watched = RunClosingBoxes([] { return WriteSetting("PreviewOnly", 1); });
    EXPECT_EQ(FALSE, watched.result);
    ASSERT_EQ(1u, watched.boxes.size());
    ExpectWarningBox(watched.boxes[0], CannotCreate());
    EXPECT_FALSE(KeyExists("Bt848\\PreviewOnly"));
    EXPECT_EQ(0, OpenDeviceKeyHandles());
}

// A key closed to writers cannot be opened for writing, and creating it opens it
// the same way, so the registry's refusal reads as a key that cannot be created.
TEST_F(SettingsFailureTest, KeyClosedToWritersShowsCreationMessageAndNextWriteGoesOn) {
    ASSERT_NO_FATAL_FAILURE(StoreRaw("PreviewOnly", REG_SZ, std::string("5", 2)));
    ASSERT_NO_FATAL_FAILURE(RestrictToReaders("Bt848\\PreviewOnly"));

    BOOL first = -1;
    BOOL second = -1;
    const WatchedCall watched = RunClosingBoxes([&first, &second] {
        first = WriteSetting("PreviewOnly", 0);
        second = WriteSetting("Force Primary", 1);
        return 0;
    });
    EXPECT_EQ(FALSE, first);
    EXPECT_EQ(TRUE, second);
    ASSERT_EQ(1u, watched.boxes.size());
    ExpectWarningBox(watched.boxes[0], CannotCreate());
    EXPECT_EQ(std::string("5", 2), LoadRaw("PreviewOnly").bytes);
    EXPECT_EQ(std::string("1", 2), LoadRaw("Force Primary").bytes);
    EXPECT_EQ(0, OpenDeviceKeyHandles());
}

TEST_F(SettingsFailureTest, RefusedValueShowsOnlyWritingMessageAndNextWriteGoesOn) {
    BOOL first = -1;
    BOOL second = -1;
    const WatchedCall watched = RunClosingBoxes([&first, &second] {
        {
            const StandInSetValue refused(RefuseValue);
            first = WriteSetting("PreviewOnly", 0);
        }
        second = WriteSetting("Force Primary", 1);
        return 0;
    });
    EXPECT_EQ(FALSE, first);
    EXPECT_EQ(TRUE, second);
    ASSERT_EQ(1u, watched.boxes.size());
    ExpectWarningBox(watched.boxes[0], CannotWrite());
    EXPECT_TRUE(KeyExists("Bt848\\PreviewOnly")) << "a created key stays";
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, LoadRaw("PreviewOnly").status);
    EXPECT_EQ(std::string("1", 2), LoadRaw("Force Primary").bytes);
    EXPECT_EQ(0, OpenDeviceKeyHandles());
}

TEST_F(SettingsFailureTest, RefusedValueOnExistingKeyKeepsOldValue) {
    ASSERT_NO_FATAL_FAILURE(StoreRaw("PreviewOnly", REG_SZ, std::string("5", 2)));
    const WatchedCall watched = RunClosingBoxes([] {
        const StandInSetValue refused(RefuseValue);
        return WriteSetting("PreviewOnly", 0);
    });
    EXPECT_EQ(FALSE, watched.result);
    ASSERT_EQ(1u, watched.boxes.size());
    ExpectWarningBox(watched.boxes[0], CannotWrite());
    EXPECT_EQ(std::string("5", 2), LoadRaw("PreviewOnly").bytes);
    EXPECT_EQ(0, OpenDeviceKeyHandles());
}

} // namespace
