// The help files the build writes beside LUMCFG.EXE, read back: their parts,
// the three dialog contexts and their topics in Japanese and in English; and
// copies spoilt in memory, which the reader must refuse.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "framework/runtime/framework_ids.h"
#include "helpfile/help_reader.h"
#include "resources/resource_ids.h"

namespace {

using helpfile::HelpFile;

constexpr int32_t kSettingsContext = kDialogHelpContextBase + IDD_CONFIG;
constexpr int32_t kAboutContext = kDialogHelpContextBase + IDD_ABOUT;
constexpr int32_t kHelpContext = kDialogHelpContextBase + IDD_HELP;

// The file's text is in code page 932, as the Japanese system reads it.
std::string Cp932(const wchar_t* text) {
    char buffer[512] = {};
    int n = WideCharToMultiByte(932, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    return n > 0 ? std::string(buffer, n - 1) : std::string();
}

std::wstring FromCp932(const std::string& text) {
    int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text.data(),
                                static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(n > 0 ? n : 0, L'\0');
    if (n > 0) {
        MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                            wide.data(), n);
    }
    return wide;
}

std::vector<uint8_t> ReadWrittenFile(const char* hostPath = LUM_HELP_FILE_PATH) {
    // The build names it by its host path; Wine reaches it through drive Z:.
    std::string path = std::string("Z:") + hostPath;
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    ASSERT_LE(at + 4, bytes.size());
    std::memcpy(bytes.data() + at, &value, 4);
}

// The topic a context number leads to, or an empty one.
const helpfile::Topic& TopicIn(const HelpFile& file, int32_t context) {
    static const helpfile::Topic none;
    auto entry = file.contextMap.find(context);
    const helpfile::Topic* topic =
        entry == file.contextMap.end() ? nullptr : file.TopicAt(entry->second);
    return topic != nullptr ? *topic : none;
}

std::string ReadText(const char* hostPath) {
    const std::vector<uint8_t> bytes = ReadWrittenFile(hostPath);
    return std::string(bytes.begin(), bytes.end());
}

// The time of the last commit of the help sources, as the build found it.
uint32_t SourcesDate() {
    return static_cast<uint32_t>(std::strtoul(ReadText(LUM_HELP_DATE_FILE).c_str(), nullptr, 10));
}

struct IndexEntry {
    const wchar_t* keyword;
    std::vector<int32_t> contexts;
};

// The index as the engine must find it: every keyword with its topics, in
// the order in which the engine compares keywords.
void ExpectIndex(const HelpFile& file, const std::vector<IndexEntry>& expected, UINT codePage) {
    ASSERT_EQ(expected.size(), file.keywords.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        char text[128] = {};
        WideCharToMultiByte(codePage, 0, expected[i].keyword, -1, text, sizeof text, nullptr,
                            nullptr);
        std::vector<uint32_t> offsets;
        for (int32_t context : expected[i].contexts) {
            offsets.push_back(TopicIn(file, context).offset);
        }
        EXPECT_EQ(text, file.keywords[i].first) << i;
        EXPECT_EQ(offsets, file.keywords[i].second) << text;
    }
}

// The contents file's lines, CR LF after each, in the help file's code page.
void ExpectContents(const char* hostPath, const std::vector<const wchar_t*>& lines, UINT codePage) {
    std::string expected;
    for (const wchar_t* line : lines) {
        char text[128] = {};
        WideCharToMultiByte(codePage, 0, line, -1, text, sizeof text, nullptr, nullptr);
        expected += std::string(text) + "\r\n";
    }
    EXPECT_EQ(expected, ReadText(hostPath));
}

class HelpFileTest : public testing::Test {
protected:
    void SetUp() override {
        bytes = ReadWrittenFile();
        ASSERT_FALSE(bytes.empty()) << "no help file at " << LUM_HELP_FILE_PATH;
        std::string error;
        ASSERT_TRUE(helpfile::Parse(bytes, &file, &error)) << error;
    }

    // The reason a spoilt copy is refused; empty when it is accepted.
    std::string Refusal(const std::vector<uint8_t>& copy) {
        HelpFile spoilt;
        std::string error;
        if (helpfile::Parse(copy, &spoilt, &error)) {
            return std::string();
        }
        EXPECT_FALSE(error.empty());
        return error;
    }

    uint32_t DirectoryStart() const {
        uint32_t start = 0;
        std::memcpy(&start, bytes.data() + 4, 4);
        return start;
    }

    // Where the directory's leaf entry for `name` begins.
    size_t DirectoryEntry(const char* name) const {
        const std::string key = std::string(name) + '\0';
        auto found =
            std::search(bytes.begin() + DirectoryStart(), bytes.end(), key.begin(), key.end());
        return found == bytes.end() ? 0 : static_cast<size_t>(found - bytes.begin());
    }

    const helpfile::Topic& TopicOf(int32_t context) const { return TopicIn(file, context); }

    std::vector<uint8_t> bytes;
    HelpFile file;
};

TEST_F(HelpFileTest, HeaderDirectoryAndSystemRecords) {
    for (const char* name :
         {"|SYSTEM", "|TOPIC", "|FONT", "|CONTEXT", "|CTXOMAP", "|KWBTREE", "|KWDATA", "|KWMAP"}) {
        EXPECT_EQ(1u, file.directory.count(name)) << name;
    }
    EXPECT_EQ(8u, file.directory.size());
    EXPECT_EQ(1, file.system.major);
    EXPECT_EQ(21, file.system.minor) << "the 3.1 compiler's mark, which Win32s reads";
    EXPECT_EQ(0, file.system.flags) << "the topics are stored uncompressed";
    EXPECT_EQ(L"Lumora 環境設定 ヘルプ", FromCp932(file.system.title));
    EXPECT_EQ(file.system.title, file.system.windowCaption);
    EXPECT_EQ(0x0411, file.system.locale);
    EXPECT_EQ(128, file.system.charset);
    EXPECT_EQ(TopicOf(kSettingsContext).offset, file.system.contents);
    ASSERT_FALSE(file.faces.empty());
    EXPECT_EQ(L"ＭＳ ゴシック", FromCp932(file.faces[0]));
    EXPECT_EQ(20u, file.faceField) << "the 3.1 engine's face-name width";
}

TEST_F(HelpFileTest, GenerationDateIsTheSourcesCommitTime) {
    EXPECT_NE(0u, file.system.genDate);
    EXPECT_EQ(SourcesDate(), file.system.genDate);
}

// Latin letters, kana (any width or kind, by syllable), then kanji in the
// Japanese code page's order; a keyword shared by two topics lists both.
TEST_F(HelpFileTest, IndexListsEachKeywordWithItsTopicsInTheEnginesOrder) {
    const int32_t s = kSettingsContext, a = kAboutContext, h = kHelpContext;
    ExpectIndex(file,
                {{L"F1キー", {h}},
                 {L"Force Primary", {s}},
                 {L"HKEY_CLASSES_ROOT\\Bt848", {s}},
                 {L"KTシリーズ", {s, h}},
                 {L"オーバーレイサーフェス", {s, h}},
                 {L"オーバーレイ表示", {s}},
                 {L"お問い合わせ", {a}},
                 {L"キャプチャドライバ", {s}},
                 {L"バージョン情報", {a}},
                 {L"プライマリサーフェス", {s}},
                 {L"プレビュー", {s}},
                 {L"ヘルプ", {h}},
                 {L"ﾍﾙﾌﾟ ダイアログ", {h}},
                 {L"レジストリ", {s}},
                 {L"環境設定", {s}},
                 {L"設定", {s, h}},
                 {L"著作権", {a}}},
                932);
}

TEST_F(HelpFileTest, ContentsFileNamesItsHelpFileAndEachTopic) {
    ExpectContents(LUM_CONTENTS_FILE_PATH,
                   {L":Base LUMCFG.HLP", L":Title Lumora 環境設定 ヘルプ",
                    L"1 Lumora 環境設定 ヘルプ", L"2 Lumora 環境設定=IDH_SETTINGS",
                    L"2 バージョン情報=IDH_ABOUT", L"2 ﾍﾙﾌﾟ ダイアログ=IDH_HELP_DIALOG"},
                   932);
}

TEST_F(HelpFileTest, EachDialogContextOpensItsOwnTopic) {
    ASSERT_EQ(3u, file.contextMap.size());
    ASSERT_EQ(3u, file.topics.size());
    EXPECT_EQ(L"Lumora 環境設定", FromCp932(TopicOf(kSettingsContext).title));
    EXPECT_EQ(L"バージョン情報", FromCp932(TopicOf(kAboutContext).title));
    EXPECT_EQ(L"ﾍﾙﾌﾟ ダイアログ", FromCp932(TopicOf(kHelpContext).title));
    EXPECT_NE(TopicOf(kSettingsContext).offset, TopicOf(kAboutContext).offset);
    EXPECT_NE(TopicOf(kAboutContext).offset, TopicOf(kHelpContext).offset);
    EXPECT_NE(TopicOf(kSettingsContext).offset, TopicOf(kHelpContext).offset);

    const std::string& settings = TopicOf(kSettingsContext).text;
    for (const wchar_t* control : {L"[ｵｰﾊﾞｰﾚｲ表示を使用する]", L"[ｵｰﾊﾞｰﾚｲ表示を使用しない]",
                                   L"[ｵｰﾊﾞｰﾚｲｻｰﾌｪｽを使用しない]"}) {
        EXPECT_NE(std::string::npos, settings.find(Cp932(control))) << FromCp932(settings).size();
    }
    EXPECT_NE(std::string::npos, TopicOf(kAboutContext).text.find(Cp932(L"バージョンと著作権")));
    EXPECT_NE(std::string::npos, TopicOf(kHelpContext).text.find(Cp932(L"ゴミが残る")));
    // The lines of a Japanese paragraph run on without a space.
    EXPECT_NE(std::string::npos, settings.find(Cp932(L"動きも滑らかです。弊社製")));
}

TEST_F(HelpFileTest, ContextNamesLeadToTheSameTopicsAsTheMap) {
    const std::pair<const char*, int32_t> names[] = {{"IDH_SETTINGS", kSettingsContext},
                                                     {"IDH_ABOUT", kAboutContext},
                                                     {"IDH_HELP_DIALOG", kHelpContext}};
    ASSERT_EQ(3u, file.contextHashes.size());
    for (const auto& [name, context] : names) {
        auto found = file.contextHashes.find(helpfile::ContextHash(name));
        ASSERT_NE(file.contextHashes.end(), found) << name;
        EXPECT_EQ(file.contextMap.at(context), found->second) << name;
    }
}

TEST_F(HelpFileTest, AllTextIsValidInCodePage932) {
    for (const helpfile::Topic& topic : file.topics) {
        EXPECT_FALSE(FromCp932(topic.title).empty());
        EXPECT_FALSE(FromCp932(topic.text).empty()) << FromCp932(topic.title).size();
    }
}

TEST_F(HelpFileTest, CorruptedDirectoryIsRefused) {
    std::vector<uint8_t> copy = bytes;
    copy[DirectoryStart() + 9] ^= 0xFF; // the tree's magic
    EXPECT_NE(std::string::npos, Refusal(copy).find("directory"));

    copy = bytes;
    Put32(copy, 4, DirectoryStart() + 1);
    EXPECT_FALSE(Refusal(copy).empty());

    // An entry that points past the end of the file.
    const size_t topicEntry = DirectoryEntry("|TOPIC");
    ASSERT_NE(0u, topicEntry);
    copy = bytes;
    Put32(copy, topicEntry + 7, static_cast<uint32_t>(bytes.size()) + 100);
    EXPECT_NE(std::string::npos, Refusal(copy).find("|TOPIC"));

    // A renamed entry: the topics are then missing.
    copy = bytes;
    copy[topicEntry + 5] = 'X';
    EXPECT_NE(std::string::npos, Refusal(copy).find("no internal file |TOPIC"));

    // Entries out of order.
    const size_t fontEntry = DirectoryEntry("|FONT");
    ASSERT_NE(0u, fontEntry);
    copy = bytes;
    copy[fontEntry + 1] = 'Z';
    EXPECT_NE(std::string::npos, Refusal(copy).find("out of order"));

    copy.assign(bytes.begin(), bytes.end() - 1);
    EXPECT_FALSE(Refusal(copy).empty());
}

TEST_F(HelpFileTest, MissingTopicIsRefused) {
    // The Help dialog's topic cut off the chain of links.
    const helpfile::Topic& help = TopicOf(kHelpContext);
    size_t before = 0;
    for (size_t i = 1; i < file.links.size(); ++i) {
        if (file.links[i].position == help.position) {
            before = i - 1;
        }
    }
    ASSERT_NE(0u, before);
    std::vector<uint8_t> copy = bytes;
    Put32(copy, file.directory.at("|TOPIC").offset + 9 + file.links[before].fileOffset + 12,
          0xFFFFFFFF);
    EXPECT_NE(std::string::npos, Refusal(copy).find("topic"));

    // The map's entry for the Help dialog pointing past the last topic.
    const size_t map = file.directory.at("|CTXOMAP").offset + 9 + 2;
    copy = bytes;
    for (size_t entry = 0; entry < file.contextMap.size(); ++entry) {
        int32_t id = 0;
        std::memcpy(&id, bytes.data() + map + entry * 8, 4);
        if (id == kHelpContext) {
            Put32(copy, map + entry * 8 + 4, help.offset + (1u << 15));
        }
    }
    EXPECT_NE(std::string::npos, Refusal(copy).find("map number 0x20081 points at no topic"));
}

// The English file: the same contexts and context names, English texts in
// code page 1252, and the labels of the English settings dialog.
class EnglishHelpFileTest : public testing::Test {
protected:
    void SetUp() override {
        const std::vector<uint8_t> bytes = ReadWrittenFile(LUM_HELP_FILE_EN_PATH);
        ASSERT_FALSE(bytes.empty()) << "no help file at " << LUM_HELP_FILE_EN_PATH;
        std::string error;
        ASSERT_TRUE(helpfile::Parse(bytes, &file, &error)) << error;
    }

    const helpfile::Topic& TopicOf(int32_t context) const { return TopicIn(file, context); }

    HelpFile file;
};

TEST_F(EnglishHelpFileTest, EachDialogContextOpensItsEnglishTopic) {
    EXPECT_EQ("Lumora Settings Help", file.system.title);
    EXPECT_EQ(0x0409, file.system.locale);
    EXPECT_EQ(0, file.system.charset);
    EXPECT_EQ(TopicOf(kSettingsContext).offset, file.system.contents);

    ASSERT_EQ(3u, file.topics.size());
    EXPECT_EQ("Lumora Settings", TopicOf(kSettingsContext).title);
    EXPECT_EQ("About Lumora Settings", TopicOf(kAboutContext).title);
    EXPECT_EQ("Help Dialog", TopicOf(kHelpContext).title);
    const std::string& settings = TopicOf(kSettingsContext).text;
    for (const char* control :
         {"[Use overlay display]", "[Do not use overlay display]", "[Do not use overlay surface]",
          "[OK]", "[Cancel]", "[Help]", "[About Lumora Settings...]"}) {
        EXPECT_NE(std::string::npos, settings.find(control)) << control;
    }
    for (const char* name : {"IDH_SETTINGS", "IDH_ABOUT", "IDH_HELP_DIALOG"}) {
        EXPECT_EQ(1u, file.contextHashes.count(helpfile::ContextHash(name))) << name;
    }
    // The lines of an English paragraph are joined with a space.
    for (const char* joined :
         {"motion is smooth. If you use the card", "than the overlay display. Choose this option",
          "(the primary surface) instead. Check this box"}) {
        EXPECT_NE(std::string::npos, settings.find(joined)) << joined;
    }
    EXPECT_EQ(SourcesDate(), file.system.genDate);
    for (const helpfile::Topic& topic : file.topics) {
        for (unsigned char c : topic.title + topic.text) {
            EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << topic.title << ": " << int(c);
        }
    }
}

TEST_F(EnglishHelpFileTest, IndexAndContentsFile) {
    const int32_t s = kSettingsContext, a = kAboutContext, h = kHelpContext;
    ExpectIndex(file,
                {{L"About box", {a}},
                 {L"capture driver", {s}},
                 {L"contact", {a}},
                 {L"copyright", {a}},
                 {L"F1 key", {h}},
                 {L"Force Primary", {s}},
                 {L"help", {h}},
                 {L"Help dialog", {h}},
                 {L"HKEY_CLASSES_ROOT\\Bt848", {s}},
                 {L"KT series", {s, h}},
                 {L"Lumora Settings", {s}},
                 {L"overlay display", {s}},
                 {L"overlay surface", {s, h}},
                 {L"preview", {s}},
                 {L"primary surface", {s}},
                 {L"registry", {s}},
                 {L"settings", {s, h}},
                 {L"version", {a}}},
                1252);
    ExpectContents(LUM_CONTENTS_FILE_EN_PATH,
                   {L":Base LUMCFG_E.HLP", L":Title Lumora Settings Help",
                    L"1 Lumora Settings Help", L"2 Lumora Settings=IDH_SETTINGS",
                    L"2 About Lumora Settings=IDH_ABOUT", L"2 Help Dialog=IDH_HELP_DIALOG"},
                   1252);
}

} // namespace
