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

// The shipped program throws and catches with its own run-time: a paint
// that the system refuses raises the framework's resource exception in the
// minimized dialog's paint handler, and dispatch catches it (a refused
// paint is not reported). Without working exception support the run-time
// would end the tool through terminate, with abort's exit code 3.
TEST_F(IconTest, RefusedPaintOfTheMinimizedDialogIsCaughtAndTheToolGoesOn) {
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    PostMessageW(dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(dialog) != FALSE; })) << "not minimized";
    {
        ToolProbe probe(tool.threadId);
        const e2eprobe::Block* armed = probe.Ask(dialog, e2eprobe::kFailNextPaint);
        ASSERT_NE(nullptr, armed);
        ASSERT_TRUE(armed->paintFailureArmed);
        ASSERT_EQ(0, armed->paintFailures);
        // An iconic window is not repainted on request everywhere: the
        // message itself is what the handler needs. The probe's next answer
        // comes after it, from the same queue.
        PostMessageW(dialog, WM_PAINT, 0, 0);
        const e2eprobe::Block* after = probe.Ask(dialog, e2eprobe::kReadIcons);
        ASSERT_NE(nullptr, after) << "the tool did not go on";
        EXPECT_EQ(1, after->paintFailures) << "the paint handler never met the failure";
    }
    EXPECT_TRUE(ShownDialogsOf(tool.processId) == std::vector<HWND>{dialog}) << "a report";
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(static_cast<DWORD>(IDCANCEL), ExitCode());
}

} // namespace
