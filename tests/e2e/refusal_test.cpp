// Writes that Wine's registry really refuses: the warning box, and the
// dialog still closing afterwards.
#include "common/message_box_reading.h"
#include "tool_driver.h"

namespace {

using namespace e2e;

constexpr wchar_t kCaption[] = L"Lumora 環境設定";
constexpr wchar_t kCannotCreate[] = L"指定されたレジストリキーを作成できませんでした。";

class RefusalTest : public ToolTest {
protected:
    // Waits for the warning box, checks it and answers it with Enter.
    void ExpectCreationWarning() {
        HWND box = WaitForDialog(tool.processId, kCaption, false);
        ASSERT_NE(nullptr, box) << "no warning box";
        const lumtest::SeenBox seen = lumtest::ReadSeenBox(box);
        EXPECT_EQ(kCaption, seen.caption);
        EXPECT_EQ(kCannotCreate, seen.text);
        EXPECT_EQ(1, seen.shownButtons);
        EXPECT_TRUE(seen.okButtonShown);
        EXPECT_EQ(nullptr, seen.owner);
        {
            ToolProbe probe(tool.threadId);
            const e2eprobe::Block* icon = probe.Ask(box, e2eprobe::kReadMessageBoxIcon);
            ASSERT_NE(nullptr, icon);
            EXPECT_NE(0u, icon->shownIcon);
            EXPECT_EQ(icon->warningIcon, icon->shownIcon) << "not the warning icon";
        }
        ASSERT_TRUE(MakeActive(box, tool.threadId));
        PressKey(VK_RETURN);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); })) << "the box did not close";
    }
};

// A key closed to writers cannot be opened for writing, and creating it
// opens it the same way: the refusal is reported as a key not created.
TEST_F(RefusalTest, KeyClosedToWritersWarnsAndTheOtherSettingIsStillStored) {
    StoreRaw("PreviewOnly", REG_SZ, std::string("0", 2));
    ASSERT_NO_FATAL_FAILURE(RestrictToReaders("Bt848\\PreviewOnly"));
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(BST_CHECKED, CheckState(dialog, IDC_USE_OVERLAY)) << "a closed key is still read";
    ClickControl(dialog, IDC_NO_SURFACE);
    EXPECT_TRUE(WaitUntil([&] { return CheckState(dialog, IDC_NO_SURFACE) == BST_CHECKED; }));
    ClickControl(dialog, IDOK);

    ExpectCreationWarning();
    // The OK button's WM_LBUTTONUP stays the last message of the dialog's own loop.
    EXPECT_EQ(0u, ExitCode()) << "the dialog did not close after the warning";
    EXPECT_EQ(std::string("0", 2), LoadRaw("PreviewOnly").bytes);
    EXPECT_EQ(std::string("1", 2), LoadRaw("Force Primary").bytes);
}

// Below a volatile key no lasting key can be made: both writes are refused.
TEST_F(RefusalTest, VolatileDeviceKeyWarnsOnceForEachSetting) {
    ASSERT_NO_FATAL_FAILURE(MakeVolatileDeviceKey());
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(MakeActive(dialog, tool.threadId));
    PressKey(VK_RETURN);

    ExpectCreationWarning();
    ExpectCreationWarning();
    EXPECT_EQ(static_cast<DWORD>(VK_RETURN), ExitCode())
        << "the dialog did not close after the warnings";
    EXPECT_TRUE(KeyExists("Bt848"));
    EXPECT_FALSE(KeyExists("Bt848\\PreviewOnly"));
    EXPECT_FALSE(KeyExists("Bt848\\Force Primary"));
}

} // namespace
