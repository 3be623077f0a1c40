// The help files' index in the system's real help engine: the engine's
// Index list shows every keyword of the file, in the order in which the
// system compares strings for the file's locale, and choosing a keyword
// there opens its topic. The list is checked against the file as the
// project's reader reads it.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "helpfile/help_reader.h"
#include "tool_driver.h"

namespace {

using namespace e2e;

struct IndexCase {
    const char* hostPath;
    UINT codePage;
    const wchar_t* keyword; // names one topic
    const wchar_t* title;   // of that topic
};

const IndexCase kCases[] = {
    {LUM_HELP_FILE_PATH, 932, L"著作権", L"バージョン情報"},
    {LUM_HELP_FILE_EN_PATH, 1252, L"copyright", L"About Lumora Settings"},
};

// The file's Wine path (drive Z:), which is ASCII here.
std::string WinePath(const char* hostPath) {
    const std::wstring wide = HostToWinePath(hostPath);
    return std::string(wide.begin(), wide.end());
}

std::wstring Widen(const std::string& text, UINT codePage) {
    wchar_t wide[256] = {};
    MultiByteToWideChar(codePage, 0, text.c_str(), -1, wide, 256);
    return wide;
}

struct ChildSearch {
    const wchar_t* className;
    const wchar_t* text;
    HWND found;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM data) {
    auto& s = *reinterpret_cast<ChildSearch*>(data);
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (lstrcmpiW(name, s.className) == 0 &&
        (s.text == nullptr || TextOf(child).find(s.text) != std::wstring::npos)) {
        s.found = child;
        return FALSE;
    }
    return TRUE;
}

HWND ChildOfClass(HWND parent, const wchar_t* className, const wchar_t* text = nullptr) {
    ChildSearch search{className, text, nullptr};
    EnumChildWindows(parent, &MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The engine's Index page: a dialog of the engine's process with a list box.
HWND FindIndexList(DWORD engineProcess) {
    for (HWND sheet : ShownDialogsOf(engineProcess)) {
        if (HWND list = ChildOfClass(sheet, L"ListBox")) {
            return list;
        }
    }
    return nullptr;
}

std::vector<std::wstring> ListItems(HWND list) {
    std::vector<std::wstring> items(std::max<LRESULT>(0, Ask(list, LB_GETCOUNT)));
    for (size_t i = 0; i < items.size(); ++i) {
        wchar_t text[256] = {};
        Ask(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        items[i] = text;
    }
    return items;
}

class HelpIndexTest : public HelpEngineCase, public testing::WithParamInterface<IndexCase> {
protected:
    void SetUp() override {
        HelpEngineCase::SetUp();
        owner = CreateWindowExW(0, L"STATIC", L"index test", WS_POPUP, 0, 0, 10, 10, nullptr,
                                nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, owner);
    }
    void TearDown() override {
        EndEngine();
        EXPECT_TRUE(WaitUntil([] { return HelpEngineWindows().empty(); }));
        DestroyWindow(owner);
        HelpEngineCase::TearDown();
    }

    HWND owner = nullptr;
};

TEST_P(HelpIndexTest, IndexListsEveryKeywordInOrderAndOpensItsTopic) {
    const IndexCase& c = GetParam();
    const std::string path = WinePath(c.hostPath);
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    helpfile::HelpFile file;
    std::string error;
    ASSERT_TRUE(helpfile::Parse(bytes, &file, &error)) << error;
    ASSERT_FALSE(file.keywords.empty());

    ASSERT_TRUE(HelpEngineWindows().empty()) << "an engine is already running";
    ASSERT_TRUE(WinHelpA(owner, path.c_str(), HELP_FINDER, 0));
    HWND engine = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            std::vector<HWND> windows = HelpEngineWindows();
            engine = windows.empty() ? nullptr : windows.front();
            return engine != nullptr;
        },
        kStartTimeout));
    GetWindowThreadProcessId(engine, &engineProcess);

    // The engine's own Index button opens its Index list.
    HWND indexButton = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        indexButton = ChildOfClass(engine, L"Button", L"Index");
        indexButton = indexButton ? indexButton : ChildOfClass(engine, L"Button", L"索引");
        return indexButton != nullptr;
    })) << testing::PrintToString(DescendantTexts(engine));
    PostMessageW(indexButton, BM_CLICK, 0, 0);
    HWND list = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        list = FindIndexList(engineProcess);
        return list != nullptr && !ListItems(list).empty();
    }));

    std::vector<std::wstring> expected;
    for (const auto& [keyword, offsets] : file.keywords) {
        expected.push_back(Widen(keyword, c.codePage));
    }
    const std::vector<std::wstring> shown = ListItems(list);
    EXPECT_EQ(expected, shown);
    const LCID locale = file.system.locale;
    for (size_t i = 1; i < shown.size(); ++i) {
        EXPECT_EQ(CSTR_LESS_THAN, CompareStringW(locale, NORM_IGNORECASE, shown[i - 1].c_str(), -1,
                                                 shown[i].c_str(), -1))
            << testing::PrintToString(shown[i - 1]) << " " << testing::PrintToString(shown[i]);
    }

    // Choosing a keyword there opens its topic.
    const auto at = std::find(shown.begin(), shown.end(), std::wstring(c.keyword));
    ASSERT_NE(shown.end(), at);
    Ask(list, LB_SETCURSEL, at - shown.begin());
    PostMessageW(GetAncestor(list, GA_ROOT), PSM_PRESSBUTTON, PSBTN_OK, 0);
    std::wstring texts;
    EXPECT_TRUE(WaitUntil([&] {
        texts = TopicText(engine);
        return FindIndexList(engineProcess) == nullptr && texts.find(c.title) == 0;
    })) << testing::PrintToString(texts);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, HelpIndexTest, testing::ValuesIn(kCases));

} // namespace
