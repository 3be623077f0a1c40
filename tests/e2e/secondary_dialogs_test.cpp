// The About box and the Help dialog, run modally over the settings dialog,
// and the About entry of the settings dialog's system menu.
#include "tool_driver.h"

namespace {

using namespace e2e;

constexpr wchar_t kAboutCaption[] = L"バージョン情報";
constexpr wchar_t kHelpCaption[] = L"ﾍﾙﾌﾟ";
constexpr UINT kAboutCommand = 0x0010;

class SecondaryDialogTest : public ToolTest {
protected:
    // Opens a box over the settings dialog, checks that it runs modally, ends
    // it, and checks that the settings dialog is back in charge.
    void RunBox(HWND dialog, const std::function<void()>& open, const std::wstring& caption,
                bool systemMenu, const std::function<void(HWND)>& close) {
        open();
        HWND box = WaitForDialog(tool.processId, caption, false);
        ASSERT_NE(nullptr, box) << "the box did not appear";
        const LONG style = GetWindowLongW(box, GWL_STYLE);
        EXPECT_EQ(systemMenu, (style & WS_SYSMENU) != 0);
        EXPECT_EQ(0, style & WS_MINIMIZEBOX);
        EXPECT_EQ(dialog, GetWindow(box, GW_OWNER));
        EXPECT_FALSE(IsWindowEnabled(dialog)) << "the settings dialog stays usable";
        EXPECT_TRUE(WaitUntil([&] { return IsActive(box, tool.threadId); }))
            << "the box is not active";
        close(box);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); })) << "the box did not close";
        EXPECT_TRUE(IsWindowEnabled(dialog));
        EXPECT_TRUE(WaitUntil([&] { return IsActive(dialog, tool.threadId); }))
            << "the settings dialog is not active again";
    }
};

// Also while neither radio button is selected (a stored value of 2).
TEST_F(SecondaryDialogTest, AboutAndHelpOpenRepeatedlyAsModalBoxesOfTheSettingsDialog) {
    StoreRaw("PreviewOnly", REG_SZ, std::string("2", 2));
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    const auto pressKey = [](WORD key) { return [key](HWND) { PressKey(key); }; };
    const auto systemCommand = [dialog](UINT command) {
        return [dialog, command] { PostMessageW(dialog, WM_SYSCOMMAND, command, 0); };
    };
    const auto clickHelp = [dialog] { ClickControl(dialog, IDC_HELP_BUTTON); };

    RunBox(dialog, systemCommand(kAboutCommand), kAboutCaption, true, pressKey(VK_RETURN));
    // Only the command's upper twelve bits name it.
    RunBox(dialog, systemCommand(kAboutCommand | 0x3), kAboutCaption, true, pressKey(VK_ESCAPE));
    RunBox(dialog, clickHelp, kHelpCaption, false, pressKey(VK_RETURN));
    RunBox(dialog, clickHelp, kHelpCaption, false, [](HWND help) { ClickControl(help, IDOK); });
    RunBox(dialog, clickHelp, kHelpCaption, false, pressKey(VK_ESCAPE));

    const DialogState shown = ReadState(dialog);
    EXPECT_EQ(BST_UNCHECKED, shown.useOverlay);
    EXPECT_EQ(BST_UNCHECKED, shown.noOverlay);
    ClickControl(dialog, IDCANCEL);
    EXPECT_EQ(0u, ExitCode());
    EXPECT_EQ(std::string("2", 2), LoadRaw("PreviewOnly").bytes);
    EXPECT_FALSE(KeyExists("Bt848\\Force Primary"));
}

// Escape pressed while the Help dialog is still ending (closed by its OK
// button or by Enter, the second time it was opened) reaches the settings
// dialog and ends the tool as Escape alone does: exit code 27, nothing
// stored. Each way is tried several times, the race being one of timing.
TEST_F(SecondaryDialogTest, EscapeAsTheHelpDialogEndsClosesTheToolWithEscapeKey) {
    constexpr int kTries = 6;
    const std::function<void(HWND)> closers[] = {
        [](HWND help) { ClickControl(help, IDOK); },
        [](HWND) { PressKey(VK_RETURN); },
    };
    for (int attempt = 0; attempt < kTries; ++attempt) {
        SCOPED_TRACE("attempt " + std::to_string(attempt + 1));
        const auto& close = closers[attempt % 2];
        HWND dialog = Open();
        ASSERT_NE(nullptr, dialog);
        for (int opening = 0; opening < 2; ++opening) {
            ClickControl(dialog, IDC_HELP_BUTTON);
            HWND help = WaitForDialog(tool.processId, kHelpCaption, false);
            ASSERT_NE(nullptr, help) << "the Help dialog did not appear";
            ASSERT_TRUE(WaitUntil([&] { return IsActive(help, tool.threadId); }));
            close(help);
        }
        PressKey(VK_ESCAPE);
        EXPECT_EQ(static_cast<DWORD>(VK_ESCAPE), ExitCode());
        EXPECT_FALSE(KeyExists("Bt848"));
    }
}

// Read inside the tool's process: another process cannot read a menu.
TEST_F(SecondaryDialogTest, SystemMenuEndsWithSeparatorAndAboutEntry) {
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    {
        ToolProbe probe(tool.threadId);
        const e2eprobe::Block* menu = probe.Ask(dialog, e2eprobe::kReadSystemMenu);
        ASSERT_NE(nullptr, menu);
        ASSERT_GE(menu->itemCount, 3);
        ASSERT_LE(menu->itemCount, e2eprobe::kMaxItems);
        const e2eprobe::MenuItem& last = menu->items[menu->itemCount - 1];
        const e2eprobe::MenuItem& beforeLast = menu->items[menu->itemCount - 2];
        EXPECT_EQ(kAboutCommand, last.id);
        EXPECT_EQ(static_cast<UINT>(MFT_STRING), last.type);
        EXPECT_EQ(std::wstring(L"ﾊﾞｰｼﾞｮﾝ情報..."), std::wstring(last.text));
        EXPECT_EQ(static_cast<UINT>(MFT_SEPARATOR), beforeLast.type & MFT_SEPARATOR);
        int aboutEntries = 0;
        for (int i = 0; i < menu->itemCount; ++i) {
            aboutEntries += menu->items[i].id == kAboutCommand ? 1 : 0;
        }
        EXPECT_EQ(1, aboutEntries);
    }
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(static_cast<DWORD>(IDCANCEL), ExitCode());
    EXPECT_FALSE(KeyExists("Bt848"));
}

} // namespace
