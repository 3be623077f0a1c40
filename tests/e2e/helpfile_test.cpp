// F1 in each of the tool's dialogs opens the system's real help engine on
// LUMCFG.HLP beside the tool, at that dialog's topic. No stand-in engine
// window exists here: the system starts the engine itself. The engine is
// ended after each look, by its process id.

#include "tool_driver.h"

namespace {

using namespace e2e;

constexpr wchar_t kAboutCaption[] = L"バージョン情報";
constexpr wchar_t kHelpCaption[] = L"ﾍﾙﾌﾟ";
constexpr wchar_t kEngineClass[] = L"MS_WINHELP";
// The help file's title, which the engine shows as its caption.
constexpr wchar_t kFileTitle[] = L"Lumora 環境設定 ヘルプ";

std::wstring ClassOf(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return name;
}

BOOL CALLBACK CollectEngine(HWND window, LPARAM data) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() && IsWindowVisible(window) &&
        ClassOf(window) == kEngineClass) {
        reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
    }
    return TRUE;
}

// Shown engine windows of other processes than this one.
std::vector<HWND> EngineWindows() {
    std::vector<HWND> windows;
    EnumWindows(&CollectEngine, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// The engine's rich text control answers a text request from another
// process with nothing; copied to the clipboard, its text comes whole.
std::wstring RichText(HWND control) {
    DWORD_PTR result = 0;
    if (!OpenClipboard(nullptr)) {
        return std::wstring();
    }
    EmptyClipboard();
    CloseClipboard();
    SendMessageTimeoutW(control, EM_SETSEL, 0, -1, SMTO_ABORTIFHUNG, kStepTimeout, &result);
    SendMessageTimeoutW(control, WM_COPY, 0, 0, SMTO_ABORTIFHUNG, kStepTimeout, &result);
    SendMessageTimeoutW(control, EM_SETSEL, 0, 0, SMTO_ABORTIFHUNG, kStepTimeout, &result);
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
                text = chars;
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
    }
    return text;
}

BOOL CALLBACK CollectText(HWND child, LPARAM data) {
    std::wstring text = ClassOf(child).find(L"RichEdit") == 0 ? RichText(child) : TextOf(child);
    if (!text.empty()) {
        *reinterpret_cast<std::wstring*>(data) += text + L"\n";
    }
    return TRUE;
}

// Texts of every descendant window: the engine shows the topic in one of them.
std::wstring DescendantTexts(HWND window) {
    std::wstring texts;
    EnumChildWindows(window, &CollectText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

class HelpEngineTest : public ToolTest {
protected:
    void TearDown() override {
        EndEngine();
        ToolTest::TearDown();
    }

    // Ends the engine this case caused, and waits until it is gone.
    void EndEngine() {
        if (engineProcess == 0) {
            return;
        }
        UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, engineProcess));
        engineProcess = 0;
        if (process != nullptr) {
            TerminateProcess(process.get(), 0);
            EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.get(), kStepTimeout));
        }
    }

    // F1 in `window` brings up the engine with the file's title and a topic
    // that starts with `title` and says `phrase`; then the engine is ended.
    void ExpectTopicFor(HWND window, const std::wstring& title, const std::wstring& phrase) {
        ASSERT_TRUE(EngineWindows().empty()) << "an engine is already running";
        ASSERT_TRUE(MakeActive(window, tool.threadId));
        PressKey(VK_F1);
        HWND engine = nullptr;
        std::wstring texts;
        const bool shown = WaitUntil(
            [&] {
                std::vector<HWND> windows = EngineWindows();
                engine = windows.empty() ? nullptr : windows.front();
                if (engine == nullptr) {
                    return false;
                }
                if (engineProcess == 0) {
                    GetWindowThreadProcessId(engine, &engineProcess);
                }
                texts = DescendantTexts(engine);
                return TextOf(engine) == kFileTitle && Contains(texts, title) &&
                       Contains(texts, phrase);
            },
            kStartTimeout);
        ASSERT_NE(nullptr, engine) << "the help engine did not start";
        EXPECT_NE(tool.processId, engineProcess);
        EXPECT_TRUE(shown) << "caption: " << testing::PrintToString(TextOf(engine))
                           << "\ntext: " << testing::PrintToString(texts);
        // The topic's title is the first thing the engine shows of it.
        EXPECT_EQ(0u, texts.find(title)) << testing::PrintToString(texts);
        EndEngine();
        EXPECT_TRUE(WaitUntil([] { return EngineWindows().empty(); }));
    }

    DWORD engineProcess = 0;
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
