// Ending the settings dialog: what is stored, and the tool's exit code, which
// is the wParam of the last message the dialog's modal loop retrieved.
#include "tool_driver.h"

namespace {

using namespace e2e;

class ClosingTest : public ToolTest {};

TEST_F(ClosingTest, OkAfterUserChoicesStoresOneAndOne) {
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);

    ClickControl(dialog, IDC_USE_OVERLAY);
    EXPECT_TRUE(WaitUntil([&] {
        return CheckState(dialog, IDC_USE_OVERLAY) == BST_CHECKED &&
               ControlEnabled(dialog, IDC_NO_SURFACE);
    })) << "choosing the overlay enables the check box";
    EXPECT_EQ(BST_UNCHECKED, CheckState(dialog, IDC_NO_OVERLAY));
    ClickControl(dialog, IDC_NO_SURFACE);
    EXPECT_TRUE(WaitUntil([&] { return CheckState(dialog, IDC_NO_SURFACE) == BST_CHECKED; }));
    ClickControl(dialog, IDC_NO_OVERLAY);
    EXPECT_TRUE(WaitUntil([&] {
        return CheckState(dialog, IDC_NO_OVERLAY) == BST_CHECKED &&
               !ControlEnabled(dialog, IDC_NO_SURFACE);
    })) << "choosing no overlay disables the check box";
    EXPECT_EQ(BST_UNCHECKED, CheckState(dialog, IDC_USE_OVERLAY));
    EXPECT_EQ(BST_CHECKED, CheckState(dialog, IDC_NO_SURFACE)) << "kept while disabled";
    ClickControl(dialog, IDOK);

    // The button's WM_LBUTTONUP (no button still down) was the last message retrieved.
    EXPECT_EQ(0u, ExitCode());
    ExpectStored("PreviewOnly", Stored('1'));
    ExpectStored("Force Primary", Stored('1'));
    EXPECT_EQ("REG_SZ 1", QueryWithRegExe("PreviewOnly"));
    EXPECT_EQ("REG_SZ 1", QueryWithRegExe("Force Primary"));
}

// A stored value outside 0..1 selects neither button; OK then stores 0.
TEST_F(ClosingTest, EnterWithNeitherButtonSelectedStoresZeroAndExitsWithReturnKey) {
    StoreRaw("PreviewOnly", REG_SZ, std::string("-1", 3));
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    const DialogState shown = ReadState(dialog);
    EXPECT_EQ(BST_UNCHECKED, shown.useOverlay);
    EXPECT_EQ(BST_UNCHECKED, shown.noOverlay);
    EXPECT_FALSE(shown.noSurfaceEnabled);

    ASSERT_TRUE(MakeActive(dialog, tool.threadId));
    PressKey(VK_RETURN);

    EXPECT_EQ(static_cast<DWORD>(VK_RETURN), ExitCode());
    ExpectStored("PreviewOnly", Stored('0'));
    ExpectStored("Force Primary", Stored('0'));
    EXPECT_EQ("REG_SZ 0", QueryWithRegExe("PreviewOnly"));
}

TEST_F(ClosingTest, EscapeStoresNothingAndExitsWithEscapeKey) {
    StoreRaw("PreviewOnly", REG_SZ, Stored('0'));
    StoreRaw("Force Primary", REG_SZ, Stored('1'));
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    ClickControl(dialog, IDC_NO_SURFACE);
    EXPECT_TRUE(WaitUntil([&] { return CheckState(dialog, IDC_NO_SURFACE) == BST_UNCHECKED; }));

    ASSERT_TRUE(MakeActive(dialog, tool.threadId));
    PressKey(VK_ESCAPE);

    EXPECT_EQ(static_cast<DWORD>(VK_ESCAPE), ExitCode());
    ExpectStored("PreviewOnly", Stored('0'));
    ExpectStored("Force Primary", Stored('1'));
}

// The system dialog procedure answers WM_CLOSE by posting IDCANCEL; that
// command is the last message the loop retrieves.
TEST_F(ClosingTest, CloseCommandStoresNothingAndExitsWithCancelId) {
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    ClickControl(dialog, IDC_USE_OVERLAY);
    EXPECT_TRUE(WaitUntil([&] { return CheckState(dialog, IDC_USE_OVERLAY) == BST_CHECKED; }));

    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);

    EXPECT_EQ(static_cast<DWORD>(IDCANCEL), ExitCode());
    EXPECT_FALSE(KeyExists("Bt848"));
}

TEST_F(ClosingTest, CloseBoxClickStoresNothingAndExitsWithCancelId) {
    StoreRaw("PreviewOnly", REG_SZ, Stored('0'));
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    ClickControl(dialog, IDC_NO_OVERLAY);
    EXPECT_TRUE(WaitUntil([&] { return CheckState(dialog, IDC_NO_OVERLAY) == BST_CHECKED; }));

    POINT closeBox = {};
    ASSERT_TRUE(FindCloseBox(dialog, &closeBox)) << "no close box in the caption";
    ClickAt(closeBox);

    EXPECT_EQ(static_cast<DWORD>(IDCANCEL), ExitCode());
    ExpectStored("PreviewOnly", Stored('0'));
    EXPECT_FALSE(KeyExists("Bt848\\Force Primary"));
}

} // namespace
