// F1 in each of the tool's dialogs reaches the system help engine with the
// tool's help file and the dialog's context. The driver stands in for the
// engine: the system's help call looks for a window of the engine's class
// and hands it the request as WM_COPYDATA.
#include <cstring>

#include "common/help_engine_stand_in.h"
#include "framework/runtime/framework_ids.h"
#include "tool_driver.h"

namespace {

using namespace e2e;

constexpr wchar_t kAboutCaption[] = L"バージョン情報";
constexpr wchar_t kHelpCaption[] = L"ﾍﾙﾌﾟ";
constexpr wchar_t kFailedHelpText[] = L"ﾍﾙﾌﾟの起動に失敗しました。";
constexpr DWORD kSettingsContext = kDialogHelpContextBase + IDD_CONFIG;
constexpr DWORD kAboutContext = kDialogHelpContextBase + IDD_ABOUT;
constexpr DWORD kHelpContext = kDialogHelpContextBase + IDD_HELP;

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           lstrcmpiA(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

class HelpTest : public ToolTest {
protected:
    // F1 in `window`; the engine is asked once, at `context`.
    void ExpectHelpAt(HWND window, HelpEngine& engine, DWORD context) {
        ASSERT_TRUE(MakeActive(window, tool.threadId));
        const size_t before = engine.requests.size();
        PressKey(VK_F1);
        ASSERT_TRUE(WaitUntil([&] { return engine.requests.size() > before; }))
            << "the help engine was not asked";
        const HelpRequest& request = engine.requests.back();
        EXPECT_EQ(HELP_CONTEXT, request.command);
        EXPECT_EQ(context, request.data) << std::hex << request.data;
        EXPECT_TRUE(EndsWithNoCase(request.file, "\\LUMCFG.HLP")) << request.file;
        WaitForToolThread(window);
    }
    // The tool has finished with earlier input once its thread answers again.
    static void WaitForToolThread(HWND window) {
        DWORD_PTR answer = 0;
        EXPECT_NE(
            0, SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kStepTimeout, &answer));
    }
    // Escape in the settings dialog ends the tool with Escape's exit code.
    void EndWithEscape(HWND dialog) {
        ASSERT_TRUE(MakeActive(dialog, tool.threadId));
        PressKey(VK_ESCAPE);
        EXPECT_EQ(27u, ExitCode());
    }
};

TEST_F(HelpTest, F1InEachDialogStartsHelpAtThatDialogsContext) {
    HelpEngine engine(TRUE);
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    ExpectHelpAt(dialog, engine, kSettingsContext);

    PostMessageW(dialog, WM_SYSCOMMAND, 0x0010, 0);
    HWND about = WaitForDialog(tool.processId, kAboutCaption, false);
    ASSERT_NE(nullptr, about);
    ExpectHelpAt(about, engine, kAboutContext);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));

    ClickControl(dialog, IDC_HELP_BUTTON);
    HWND help = WaitForDialog(tool.processId, kHelpCaption, false);
    ASSERT_NE(nullptr, help);
    ExpectHelpAt(help, engine, kHelpContext);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(help); }));

    EXPECT_EQ(3u, engine.requests.size());
    EndWithEscape(dialog);
}

TEST_F(HelpTest, ShiftCtrlOrAltWithF1StartNothing) {
    HelpEngine engine(TRUE);
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(MakeActive(dialog, tool.threadId));
    for (WORD modifier : {VK_SHIFT, VK_CONTROL, VK_MENU}) {
        PressKeyWith(modifier, VK_F1);
    }
    // Input is handled in order: once plain F1 has been answered, the
    // modified presses before it have had their turn.
    ExpectHelpAt(dialog, engine, kSettingsContext);
    EXPECT_EQ(1u, engine.requests.size());
    EndWithEscape(dialog);
}

TEST_F(HelpTest, FailedStartIsReportedOnceAndF1InTheReportDoesNotTryAgain) {
    HelpEngine engine(FALSE);
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(MakeActive(dialog, tool.threadId));
    PressKey(VK_F1);
    HWND report = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (HWND shown : ShownDialogsOf(tool.processId)) {
            if (shown != dialog) {
                report = shown;
            }
        }
        return report != nullptr;
    })) << "no report of the failed start";
    EXPECT_EQ(1u, engine.requests.size());
    bool textFound = false;
    for (HWND child = GetWindow(report, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        textFound = textFound || TextOf(child) == kFailedHelpText;
    }
    EXPECT_TRUE(textFound);
    EXPECT_EQ(dialog, GetWindow(report, GW_OWNER));

    ASSERT_TRUE(MakeActive(report, tool.threadId));
    PressKey(VK_F1);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(report); }));
    // Had F1 in the report asked again, that request would have come first.
    EXPECT_EQ(1u, engine.requests.size());
    EndWithEscape(dialog);
}

// Before 3.51 a system sends no help request for F1: the framework's
// message filter sees the key inside the dialog manager and issues the help
// command itself. Wine sends its help request at every version, so here the
// key reaches the engine twice: once by the filter, once by the request.
TEST_F(HelpTest, BeforeVersion351F1ReachesHelpThroughTheMessageFilter) {
    ToolVersion old("win31");
    HelpEngine engine(TRUE);
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    ExpectHelpAt(dialog, engine, kSettingsContext);
    ASSERT_TRUE(WaitUntil([&] { return engine.requests.size() >= 2; }))
        << "the message filter did not issue the help command";
    EXPECT_EQ(2u, engine.requests.size());
    EXPECT_EQ(kSettingsContext, engine.requests[1].data);
    WaitForToolThread(dialog);
    EndWithEscape(dialog);
}

} // namespace
