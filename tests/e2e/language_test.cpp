// The tool speaks the user's language: its texts, read back through the ANSI
// interface, are those of its resources in the system's language, byte for
// byte in the system's code page. This program runs these cases once under
// LANG=ja_JP.UTF-8 with all the others (code page 932) and once more alone
// under LANG=en_US.UTF-8 (code page 1252).
#include "tool_driver.h"

#include <cstdlib>
#include <utility>

namespace {

using namespace e2e;

struct Language {
    UINT codePage;
    LANGID userLanguage;
    // Texts in UTF-8, as the sources write them.
    const char* settingsCaption;
    std::vector<std::pair<int, const char*>> settingsControls;
    const char* aboutEntry;
    const char* aboutCaption;
    const char* aboutToolName;
    const char* helpCaption;
    const char* helpFirstParagraph;
    const char* cannotCreate;
    const char* helpFileTitle;
    const char* settingsTopicTitle;
    const char* settingsTopicPhrase;
};

const Language kJapanese = {
    932,
    0x0411,
    "Lumora 環境設定",
    {{IDOK, "OK"},
     {IDCANCEL, "ｷｬﾝｾﾙ"},
     {IDC_HELP_BUTTON, "ﾍﾙﾌﾟ"},
     {IDC_USE_OVERLAY, "ｵｰﾊﾞｰﾚｲ表示を使用する"},
     {IDC_NO_OVERLAY, "ｵｰﾊﾞｰﾚｲ表示を使用しない"},
     {IDC_NO_SURFACE, "ｵｰﾊﾞｰﾚｲｻｰﾌｪｽを使用しない"}},
    "ﾊﾞｰｼﾞｮﾝ情報...",
    "バージョン情報",
    "Lumora 環境設定",
    "ﾍﾙﾌﾟ",
    "　弊社製グラフィックアクセラレータボード(ＫＴシリーズ)と併用される場合は、 "
    "[ｵｰﾊﾞｰﾚｲ表示を使用する] を選択してください。",
    "指定されたレジストリキーを作成できませんでした。",
    "Lumora 環境設定 ヘルプ",
    "Lumora 環境設定",
    "ｵｰﾊﾞｰﾚｲｻｰﾌｪｽを使用しない",
};

const Language kEnglish = {
    1252,
    0x0409,
    "Lumora Settings",
    {{IDOK, "OK"},
     {IDCANCEL, "Cancel"},
     {IDC_HELP_BUTTON, "Help"},
     {IDC_USE_OVERLAY, "Use overlay display"},
     {IDC_NO_OVERLAY, "Do not use overlay display"},
     {IDC_NO_SURFACE, "Do not use overlay surface"}},
    "About Lumora Settings...",
    "About Lumora Settings",
    "Lumora Settings",
    "Help",
    "If you use the card together with one of our graphics accelerator boards (KT series), "
    "select [Use overlay display].",
    "The specified registry key could not be created.",
    "Lumora Settings Help",
    "Lumora Settings",
    "Do not use overlay surface",
};

std::wstring Wide(const char* utf8) {
    std::wstring wide(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), static_cast<int>(wide.size()));
    wide.resize(wide.empty() ? 0 : wide.size() - 1);
    return wide;
}

// The text's bytes in the language's code page, converted by the system.
std::string Ansi(const Language& language, const char* utf8) {
    const std::wstring wide = Wide(utf8);
    BOOL unmappable = FALSE;
    std::string text(4 * wide.size() + 1, '\0');
    const int length = WideCharToMultiByte(language.codePage, 0, wide.c_str(), -1, text.data(),
                                           static_cast<int>(text.size()), nullptr, &unmappable);
    EXPECT_FALSE(unmappable) << utf8;
    text.resize(length > 0 ? length - 1 : 0);
    return text;
}

std::string AnsiTextOf(HWND window) {
    char text[512] = "";
    const int length = GetWindowTextA(window, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

// The text of a message box: its one static control that is not the icon.
std::string AnsiBoxText(HWND box) {
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = L"";
        GetClassNameW(child, className, 16);
        if (lstrcmpiW(className, L"Static") == 0 &&
            (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON &&
            GetWindowTextLengthW(child) != 0) {
            text = AnsiTextOf(child);
        }
    }
    return text;
}

class LanguageTest : public HelpEngineCase {
protected:
    void SetUp() override {
        HelpEngineCase::SetUp();
        const UINT codePage = GetACP();
        language = codePage == kJapanese.codePage  ? &kJapanese
                   : codePage == kEnglish.codePage ? &kEnglish
                                                   : nullptr;
        ASSERT_NE(nullptr, language) << "code page " << codePage << " is neither 932 nor 1252";
        // The run that is meant for one language says so: another one is a
        // locale that did not take.
        if (const char* expected = std::getenv("LUM_E2E_CODE_PAGE")) {
            ASSERT_EQ(static_cast<UINT>(std::atoi(expected)), codePage);
        }
        EXPECT_EQ(language->userLanguage, GetUserDefaultLangID());
        tool.settingsCaption = Wide(language->settingsCaption);
    }

    std::string Ansi(const char* utf8) const { return ::Ansi(*language, utf8); }

    // A dialog of the tool with this caption opens; Escape closes it again.
    HWND ExpectDialog(const char* caption) {
        HWND dialog = WaitForDialog(tool.processId, Wide(caption), false);
        EXPECT_NE(nullptr, dialog) << "no dialog " << Ansi(caption);
        if (dialog != nullptr) {
            EXPECT_EQ(Ansi(caption), AnsiTextOf(dialog));
        }
        return dialog;
    }
    void CloseWithEscape(HWND dialog) {
        ASSERT_TRUE(MakeActive(dialog, tool.threadId));
        PressKey(VK_ESCAPE);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    }

    const Language* language = nullptr;
};

TEST_F(LanguageTest, DialogsHelpAndStoredSettingsInTheSystemsLanguage) {
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(Ansi(language->settingsCaption), AnsiTextOf(dialog));
    for (const auto& [id, text] : language->settingsControls) {
        EXPECT_EQ(Ansi(text), AnsiTextOf(GetDlgItem(dialog, id))) << "control " << id;
    }
    {
        ToolProbe probe(tool.threadId);
        const e2eprobe::Block* answer = probe.Ask(dialog, e2eprobe::kReadCodePage);
        ASSERT_NE(nullptr, answer);
        EXPECT_EQ(language->codePage, answer->codePage) << "the tool's own code page";
        const e2eprobe::Block* menu = probe.Ask(dialog, e2eprobe::kReadSystemMenu);
        ASSERT_NE(nullptr, menu);
        ASSERT_GE(menu->itemCount, 1);
        EXPECT_EQ(Wide(language->aboutEntry), menu->items[menu->itemCount - 1].text);
    }

    PostMessageW(dialog, WM_SYSCOMMAND, IDM_ABOUT, 0);
    HWND about = ExpectDialog(language->aboutCaption);
    ASSERT_NE(nullptr, about);
    bool toolNameShown = false;
    for (HWND child = GetWindow(about, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        toolNameShown = toolNameShown || AnsiTextOf(child) == Ansi(language->aboutToolName);
    }
    EXPECT_TRUE(toolNameShown);
    CloseWithEscape(about);

    ClickControl(dialog, IDC_HELP_BUTTON);
    HWND help = ExpectDialog(language->helpCaption);
    ASSERT_NE(nullptr, help);
    HWND paragraph = GetWindow(GetDlgItem(help, IDOK), GW_HWNDNEXT);
    EXPECT_EQ(Ansi(language->helpFirstParagraph), AnsiTextOf(paragraph));
    CloseWithEscape(help);

    ExpectTopicFor(dialog, Wide(language->helpFileTitle), Wide(language->settingsTopicTitle),
                   Wide(language->settingsTopicPhrase));

    ASSERT_NO_FATAL_FAILURE(ChooseOverlayWithoutSurface(dialog));
    ClickControl(dialog, IDOK);
    EXPECT_EQ(0u, ExitCode());
    ExpectStored("PreviewOnly", Stored('0'));
    ExpectStored("Force Primary", Stored('1'));
}

// Below a volatile key no lasting key can be made: both writes warn.
TEST_F(LanguageTest, WarningsInTheSystemsLanguage) {
    ASSERT_NO_FATAL_FAILURE(MakeVolatileDeviceKey());
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(MakeActive(dialog, tool.threadId));
    PressKey(VK_RETURN);
    for (int warning = 0; warning < 2; ++warning) {
        SCOPED_TRACE("warning " + std::to_string(warning + 1));
        HWND box = WaitForDialog(tool.processId, Wide(language->settingsCaption), false);
        ASSERT_NE(nullptr, box) << "no warning box";
        EXPECT_EQ(Ansi(language->settingsCaption), AnsiTextOf(box));
        EXPECT_EQ(Ansi(language->cannotCreate), AnsiBoxText(box));
        ASSERT_TRUE(MakeActive(box, tool.threadId));
        PressKey(VK_RETURN);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); })) << "the box did not close";
    }
    EXPECT_EQ(static_cast<DWORD>(VK_RETURN), ExitCode());
}

} // namespace
