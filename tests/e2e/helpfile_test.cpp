// F1 in each of the tool's dialogs opens the system's real help engine on
// LUMCFG.HLP beside the tool, at that dialog's topic. No stand-in engine
// window exists here: the system starts the engine itself. The engine is
// ended after each look, by its process id.

#include "tool_driver.h"

namespace {

using namespace e2e;

constexpr wchar_t kAboutCaption[] = L"バージョン情報";
constexpr wchar_t kHelpCaption[] = L"ﾍﾙﾌﾟ";
// The help file's title, which the engine shows as its caption.
constexpr wchar_t kFileTitle[] = L"Lumora 環境設定 ヘルプ";

class HelpEngineTest : public HelpEngineCase {
protected:
    void ExpectTopicFor(HWND window, const std::wstring& title, const std::wstring& phrase) {
        HelpEngineCase::ExpectTopicFor(window, kFileTitle, title, phrase);
    }
};

TEST_F(HelpEngineTest, F1InEachDialogOpensTheHelpEngineAtThatDialogsTopic) {
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    ExpectTopicFor(dialog, L"Lumora 環境設定", L"ｵｰﾊﾞｰﾚｲｻｰﾌｪｽを使用しない");

    PostMessageW(dialog, WM_SYSCOMMAND, 0x0010, 0);
    HWND about = WaitForDialog(tool.processId, kAboutCaption, false);
    ASSERT_NE(nullptr, about);
    ExpectTopicFor(about, L"バージョン情報", L"バージョンと著作権を表示します");
    ASSERT_TRUE(MakeActive(about, tool.threadId));
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));

    ClickControl(dialog, IDC_HELP_BUTTON);
    HWND help = WaitForDialog(tool.processId, kHelpCaption, false);
    ASSERT_NE(nullptr, help);
    ExpectTopicFor(help, L"ﾍﾙﾌﾟ ダイアログ", L"設定の選び方の要点");
    ASSERT_TRUE(MakeActive(help, tool.threadId));
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(help); }));

    ASSERT_TRUE(MakeActive(dialog, tool.threadId));
    PressKey(VK_ESCAPE);
    EXPECT_EQ(27u, ExitCode());
}

} // namespace
