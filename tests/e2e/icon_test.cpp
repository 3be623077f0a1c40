// The minimized settings dialog and its icon.
#include "tool_driver.h"

namespace {

using namespace e2e;

class IconTest : public ToolTest {};

// Under Wine, WM_QUERYDRAGICON and WM_GETICON sent from another process get no
// answer, and another process cannot read an icon: the probe asks from inside
// the tool's thread, through the dialog's own window procedure.
TEST_F(IconTest, MinimizedDialogAnswersDragIconQueryWithItsColorIcon) {
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);

    PostMessageW(dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(dialog) != FALSE; })) << "not minimized";
    {
        ToolProbe probe(tool.threadId);
        const e2eprobe::Block* icons = probe.Ask(dialog, e2eprobe::kReadIcons);
        ASSERT_NE(nullptr, icons);
        EXPECT_TRUE(icons->iconic);
        EXPECT_NE(0u, icons->dragIcon);
        EXPECT_EQ(icons->resourceIcon, icons->dragIcon) << "not the tool's icon 128";
        EXPECT_EQ(icons->dragIcon, icons->bigIcon);
        EXPECT_EQ(icons->dragIcon, icons->smallIcon);
        ASSERT_TRUE(icons->shape.known) << "the icon cannot be read";
        EXPECT_TRUE(icons->shape.isIcon);
        EXPECT_TRUE(icons->shape.hasColor);
        EXPECT_EQ(32, icons->shape.width);
        EXPECT_EQ(32, icons->shape.height);
    }

    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(static_cast<DWORD>(IDCANCEL), ExitCode());
    EXPECT_FALSE(KeyExists("Bt848"));
}

} // namespace
