// The built program's resources, read from LUMCFG.EXE loaded as a data file:
// the catalogue, the string table as the tool loads it (Shift-JIS), the dialog
// templates field by field, the images and the version block; and the English
// set beside the Japanese one, twin by twin.
#include "settings_test_support.h"

#include "common/template_reader.h"

#include "framework/runtime/framework_ids.h"
#include "resources/resource_ids.h"

#include <cstring>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace dialog_template;

// The program is built beside the tests, one folder or more above them.
std::string ProgramPath() {
    char own[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, own, MAX_PATH);
    std::string folder(own, length);
    for (int up = 0; up < 4; ++up) {
        const size_t slash = folder.find_last_of("\\/");
        if (slash == std::string::npos) {
            break;
        }
        folder.resize(slash);
        const std::string candidate = folder + "\\LUMCFG.EXE";
        if (GetFileAttributesA(candidate.c_str()) != INVALID_FILE_ATTRIBUTES) {
            return candidate;
        }
    }
    return {};
}

HMODULE Program() {
    static const HMODULE module =
        LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

Bytes RawResource(LPCSTR type, UINT id) {
    HRSRC found = FindResourceA(Program(), MAKEINTRESOURCEA(id), type);
    if (found == nullptr) {
        return {};
    }
    return {static_cast<const BYTE*>(LockResource(LoadResource(Program(), found))),
            SizeofResource(Program(), found)};
}

class ProgramTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(932u, GetACP()) << "the tests run under LANG=ja_JP.UTF-8";
        ASSERT_NE(nullptr, Program()) << "LUMCFG.EXE not found above " << ProgramPath();
    }
};

using ResourceKey = std::pair<UINT, UINT>; // type, id

BOOL CALLBACK AddLanguage(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR out) {
    auto& found = *reinterpret_cast<std::map<ResourceKey, std::set<WORD>>*>(out);
    found[{LOWORD(reinterpret_cast<ULONG_PTR>(type)), LOWORD(reinterpret_cast<ULONG_PTR>(name))}]
        .insert(language);
    return TRUE;
}

BOOL CALLBACK AddName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR out) {
    EXPECT_TRUE(IS_INTRESOURCE(name)) << "named resource " << name;
    return IS_INTRESOURCE(name) ? EnumResourceLanguagesA(module, type, name, AddLanguage, out)
                                : TRUE;
}

BOOL CALLBACK AddType(HMODULE module, LPSTR type, LONG_PTR out) {
    EXPECT_TRUE(IS_INTRESOURCE(type)) << "named resource type " << type;
    return IS_INTRESOURCE(type) ? EnumResourceNamesA(module, type, AddName, out) : TRUE;
}

struct TableText {
    UINT id;
    const char* utf8;
};

// The whole string table, in id order.
const TableText kStringTable[] = {
    {101, "ﾊﾞｰｼﾞｮﾝ情報..."},
    {0xF000, "開く"},
    {0xF001, "名前を付けて保存"},
    {0xF002, "すべてのﾌｧｲﾙ (*.*)"},
    {0xF003, "無題"},
    {0xF006, "無題のﾌｧｲﾙ"},
    {0xF011, "非表示(&H)"},
    {0xF020, "ｴﾗｰ ﾒｯｾｰｼﾞはありません。"},
    {0xF021, "ｻﾎﾟｰﾄされていない操作を実行しました。"},
    {0xF022, "要求されたﾘｿｰｽは使用できません。"},
    {0xF023, "ﾒﾓﾘが不足しています。"},
    {0xF024, "原因不明のｴﾗｰが発生しました。"},
    {0xF100, "無効なﾌｧｲﾙ名です。"},
    {0xF101, "ﾄﾞｷｭﾒﾝﾄを開くことに失敗しました。"},
    {0xF102, "ﾄﾞｷｭﾒﾝﾄの保存に失敗しました。"},
    {0xF103, "%1 への変更を保存しますか？"},
    {0xF104, "空のﾄﾞｷｭﾒﾝﾄの作成に失敗しました。"},
    {0xF105, "ﾌｧｲﾙが大きすぎて開けません。"},
    {0xF106, "印刷を開始できませんでした。"},
    {0xF107, "ﾍﾙﾌﾟの起動に失敗しました。"},
    {0xF108, "ｱﾌﾟﾘｹｰｼｮﾝの内部ｴﾗｰです。"},
    {0xF109, "ｺﾏﾝﾄﾞの実行に失敗しました。"},
    {0xF10A, "実行するためのﾒﾓﾘが不足しています。"},
    {0xF10B, "ｼｽﾃﾑ ﾚｼﾞｽﾄﾘのｴﾝﾄﾘは削除されています、また INI ﾌｧｲﾙも削除されました。"},
    {0xF10C, "すべてのｼｽﾃﾑ ﾚｼﾞｽﾄﾘ ｴﾝﾄﾘ (または INI ﾌｧｲﾙ) は削除されていません。"},
    {0xF10D, "このﾌﾟﾛｸﾞﾗﾑにはﾌｧｲﾙ %s が必要ですがこのｼｽﾃﾑ上に見つかりませんでした。"},
    {0xF10E,
     "このﾌﾟﾛｸﾞﾗﾑは存在しないｴｸｽﾎﾟｰﾄ %s にﾌｧｲﾙ %s "
     "内でﾘﾝｸされています。このﾏｼﾝは互換性のないﾊﾞｰｼﾞｮﾝの %s を含んでいる可能性があります。"},
    {0xF110, "整数を入力してください。"},
    {0xF111, "数値を入力してください。"},
    {0xF112, "%1 から %2 までの整数を入力してください。"},
    {0xF113, "%1 から %2 までの数値を入力してください。"},
    {0xF114, "%1 文字以内で入力してください。"},
    {0xF115, "ﾎﾞﾀﾝを選択してください。"},
    {0xF116, "0 から 255 までの整数を入力してください。"},
    {0xF117, "正の整数を入力してください。"},
    {0xF118, "日付/時間などを入力してください。"},
    {0xF119, "通貨型を入力してください。"},
    {0xF120, "予期しないﾌｧｲﾙ形式です。"},
    {0xF121, "%1\nこのﾌｧｲﾙが見つかりません。\n正しいﾃﾞｨﾚｸﾄﾘとﾌｧｲﾙ名を確認して入力してください。"},
    {0xF122, "出力先のﾃﾞｨｽｸ ﾄﾞﾗｲﾌﾞの空き容量が不足しています。"},
    {0xF123, "%1 から読み取れません。他のｱﾌﾟﾘｹｰｼｮﾝによって開かれています。"},
    {0xF124, "%1 へ書き込めません。他のｱﾌﾟﾘｹｰｼｮﾝによって開かれています。"},
    {0xF125, "%1 の読み取り中に予期しないｴﾗｰが発生しました。"},
    {0xF126, "%1 の書き込み中に予期しないｴﾗｰが発生しました。"},
    {0xF18C, "書き込み専用のﾌﾟﾛﾊﾟﾃｨは読み取れません。"},
    {0xF18D, "読み取り専用のﾌﾟﾛﾊﾟﾃｨへは書き込めません。"},
    {0xF190, "ﾒｰﾙ ｼｽﾃﾑ ｻﾎﾟｰﾄをﾛｰﾄﾞできません。"},
    {0xF191, "ﾒｰﾙ ｼｽﾃﾑ DLL が無効です。"},
    {0xF192, "ﾒｰﾙの送信に失敗しました。"},
    {0xF1A0, "ｴﾗｰはありません。"},
    {0xF1A1, "%1 へのｱｸｾｽ中に予期しないｴﾗｰが発生しました。"},
    {0xF1A2, "%1 が見つかりません。"},
    {0xF1A3, "%1 は無効なﾊﾟｽです。"},
    {0xF1A4, "開いているﾌｧｲﾙが多すぎるため %1 を開けませんでした。"},
    {0xF1A5, "%1 へのｱｸｾｽは拒否されました。"},
    {0xF1A6, "%1 へ無効なﾌｧｲﾙ ﾊﾝﾄﾞﾙが関連付けられています。"},
    {0xF1A7, "%1 could not be removed because it is the current directory."},
    {0xF1A8, "ﾃﾞｨﾚｸﾄﾘの空き容量が不足しているため %1 を作成できません。"},
    {0xF1A9, "%1 のｼｰｸに失敗しました"},
    {0xF1AA, "%1 へのｱｸｾｽ中にﾊｰﾄﾞｳｪｱ I/O ｴﾗｰが報告されました。"},
    {0xF1AB, "%1 へのｱｸｾｽ中に共有違反が発生しました。"},
    {0xF1AC, "%1 へのｱｸｾｽ中にﾛｯｷﾝｸﾞ違反が発生しました。"},
    {0xF1AD, "%1 へのｱｸｾｽ中にﾃﾞｨｽｸの空き容量が不足しました。"},
    {0xF1AE, "%1 の末尾以降にｱｸｾｽしようとしました。"},
    {0xF1B0, "ｴﾗｰはありません。"},
    {0xF1B1, "%1 へのｱｸｾｽ中に予期しないｴﾗｰが発生しました。"},
    {0xF1B2, "%1 の読み取り中に書き込もうとしました。"},
    {0xF1B3, "%1 の末尾以降にｱｸｾｽしようとしました。"},
    {0xF1B4, "%1 へ書き込み中に読み取ろうとしました。"},
    {0xF1B5, "%1 のﾌｧｲﾙ形式が正しくありません。"},
    {0xF1B6, "%1 は予期しないｵﾌﾞｼﾞｪｸﾄを含んでいます。"},
    {0xF1B7, "%1 は不正なｽｷｰﾏを含んでいます。"},
    {0xF1C0, "ﾋﾟｸｾﾙ"},
    {112, "Lumora 環境設定"},
    {113, "指定されたレジストリキーを作成できませんでした。"},
    {114, "指定されたレジストリキーに値を書き込むことができませんでした。"},
    {115, ".HLP"},
};

enum : UINT { kCursor = 1, kBitmap, kIcon, kDialog = 5, kString, kGroupCursor = 12 };
enum : UINT { kGroupIcon = 14, kVersion = 16, kManifest = 24 };
constexpr WORD kJapanese = 0x0411;
constexpr WORD kEnglish = 0x0409;
constexpr WORD kNeutral = 0x0000;

// Every listed resource is Japanese; the dialogs, strings and version block
// are English too. The images exist once: the loader falls back to them. The
// manifest is in no language.
TEST_F(ProgramTest, HoldsTheListedResourcesInJapaneseAndTheirTextsInEnglish) {
    std::map<ResourceKey, std::set<WORD>> found;
    EnumResourceTypesA(Program(), AddType, reinterpret_cast<LONG_PTR>(&found));

    std::map<ResourceKey, std::set<WORD>> expected = {
        {{kGroupIcon, 128}, {kJapanese}}, {{kIcon, 1}, {kJapanese}},
        {{kIcon, 2}, {kJapanese}},        {{kIcon, 5}, {kJapanese}},
        {{kCursor, 3}, {kJapanese}},      {{kCursor, 4}, {kJapanese}},
        {{kBitmap, 26567}, {kJapanese}},  {{kBitmap, 30994}, {kJapanese}},
        {{kBitmap, 30995}, {kJapanese}},  {{kBitmap, 30996}, {kJapanese}},
        {{kManifest, 1}, {kNeutral}},     {{kGroupCursor, 30977}, {kJapanese}},
    };
    for (UINT dialog : {100, 102, 129, 30721}) {
        expected[{kDialog, dialog}] = {kJapanese, kEnglish};
    }
    expected[{kVersion, 1}] = {kJapanese, kEnglish};
    for (const TableText& text : kStringTable) {
        // Strings come in blocks of 16.
        expected[{kString, text.id / 16 + 1}] = {kJapanese, kEnglish};
    }
    EXPECT_EQ(expected, found);
}

std::string LoadedText(UINT id) {
    char text[1024];
    const int length = LoadStringA(Program(), id, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

TEST_F(ProgramTest, EveryStringLoadsAsItsShiftJisText) {
    for (const TableText& text : kStringTable) {
        EXPECT_EQ(ShiftJis(text.utf8), LoadedText(text.id)) << "string " << text.id;
    }
}

TEST_F(ProgramTest, StringBytesDoNotDependOnTheConversionTable) {
    // Half-width katakana are single bytes; 情報 and the full-width question
    // mark are double-byte; the file-not-found text keeps its line breaks.
    EXPECT_EQ("\xCA\xDE\xB0\xBC\xDE\xAE\xDD\x8F\xEE\x95\xF1...", LoadedText(101));
    EXPECT_EQ("\xCB\xDF\xB8\xBE\xD9", LoadedText(0xF1C0));
    const std::string save = LoadedText(0xF103);
    EXPECT_EQ("\x81\x48", save.substr(save.size() - 2));
    const std::string missing = LoadedText(0xF121);
    EXPECT_EQ(0u, missing.find("%1\n\x82\xB1\x82\xCC"));
    EXPECT_NE(std::string::npos, missing.find("\x81\x42\n\x90\xB3"));
}

TEST_F(ProgramTest, NoStringsBesideTheListedOnes) {
    std::set<UINT> listed;
    for (const TableText& text : kStringTable) {
        listed.insert(text.id);
    }
    for (UINT id = 0xF000; id < 0xF200; ++id) {
        if (listed.count(id) == 0) {
            EXPECT_EQ("", LoadedText(id)) << "string " << id;
        }
    }
    for (UINT id = 96; id < 128; ++id) {
        if (listed.count(id) == 0) {
            EXPECT_EQ("", LoadedText(id)) << "string " << id;
        }
    }
}

constexpr WORD kButton = 0x80;
constexpr WORD kStatic = 0x82;
constexpr WORD kListBox = 0x83;

struct ExpectedItem {
    int id; // -1: no id
    WORD windowClass;
    Field title;
    short x, y, cx, cy;
    DWORD style;
};

constexpr const char16_t* kDialogFace = u"ＭＳ Ｐゴシック";
// Styles as the script spells them: every control is a shown child, most
// also a tab stop; the boxes are modal frames with a caption and a font.
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
constexpr DWORD kTabStop = kShown | WS_TABSTOP;
constexpr DWORD kModalBox = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;
// The id the script gives every static it does not name.
constexpr int kStaticId = -1;
constexpr const char16_t* kToolName = u"Lumora 環境設定";
constexpr const char16_t* kNotice = u"Copyright (C) 1998 Quillfern Devices";

class DialogTemplateTest : public ProgramTest {
protected:
    Template Load(UINT id) {
        const Bytes bytes = RawResource(RT_DIALOG, id);
        EXPECT_NE(nullptr, bytes.data) << "dialog " << id;
        Template t = TemplateReader(bytes).Read();
        EXPECT_FALSE(t.overrun) << "dialog " << id << " runs past its resource";
        EXPECT_EQ(bytes.size, t.end) << "dialog " << id << " ends after its last item";
        return t;
    }

    static void ExpectItems(const Template& t, const std::vector<ExpectedItem>& expected) {
        ASSERT_EQ(expected.size(), t.items.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE("item " + std::to_string(i));
            const Item& item = t.items[i];
            const ExpectedItem& want = expected[i];
            EXPECT_EQ(t.extended ? static_cast<DWORD>(want.id) : static_cast<WORD>(want.id),
                      item.id);
            EXPECT_EQ(Ordinal(want.windowClass), item.windowClass);
            EXPECT_EQ(want.title, item.title);
            EXPECT_EQ(want.x, item.x);
            EXPECT_EQ(want.y, item.y);
            EXPECT_EQ(want.cx, item.cx);
            EXPECT_EQ(want.cy, item.cy);
            EXPECT_EQ(want.style, item.style);
            EXPECT_EQ(0u, item.exStyle);
            EXPECT_EQ(0u, item.helpId);
            EXPECT_EQ(0u, item.creationBytes);
        }
    }

    static void ExpectClassicFrame(const Template& t, DWORD style, short x, short y, short cx,
                                   short cy) {
        EXPECT_FALSE(t.extended);
        EXPECT_EQ(style, t.style);
        EXPECT_EQ(0u, t.exStyle);
        EXPECT_EQ(x, t.x);
        EXPECT_EQ(y, t.y);
        EXPECT_EQ(cx, t.cx);
        EXPECT_EQ(cy, t.cy);
        EXPECT_EQ(Text(u""), t.menu);
        EXPECT_EQ(Text(u""), t.windowClass);
    }
};

TEST_F(DialogTemplateTest, AboutBox) {
    const Template t = Load(IDD_ABOUT);
    ExpectClassicFrame(t, kModalBox | WS_SYSMENU, 0, 0, 165, 85);
    EXPECT_EQ(u"バージョン情報", t.title);
    EXPECT_EQ(9, t.pointSize);
    EXPECT_EQ(kDialogFace, t.face);
    ExpectItems(
        t, {
               {kStaticId, kStatic, Ordinal(IDI_TOOL), 20, 12, 20, 20, kShown | SS_ICON},
               {kStaticId, kStatic, Text(kToolName), 50, 13, 90, 8,
                kShown | WS_GROUP | SS_NOPREFIX | SS_RIGHT},
               {kStaticId, kStatic, Text(kNotice), 7, 45, 151, 8, kShown | WS_GROUP | SS_CENTER},
               {IDOK, kButton, Text(u"OK"), 57, 65, 50, 14, kTabStop | WS_GROUP | BS_DEFPUSHBUTTON},
               {kStaticId, kStatic, Text(u"Version 1.01"), 50, 25, 90, 8,
                kShown | WS_GROUP | SS_RIGHT},
               {kStaticId, kStatic, Text(u""), 10, 60, 144, 1, kShown | SS_ETCHEDHORZ},
           });
}

TEST_F(DialogTemplateTest, SettingsDialogIsExtended) {
    const Template t = Load(IDD_CONFIG);
    EXPECT_TRUE(t.extended);
    EXPECT_EQ(1, t.version);
    EXPECT_EQ(0u, t.helpId);
    EXPECT_EQ(kModalBox | WS_VISIBLE | WS_SYSMENU | WS_MINIMIZEBOX, t.style);
    EXPECT_EQ(DWORD{WS_EX_APPWINDOW}, t.exStyle);
    EXPECT_EQ(0, t.x);
    EXPECT_EQ(0, t.y);
    EXPECT_EQ(187, t.cx);
    EXPECT_EQ(95, t.cy);
    EXPECT_EQ(Text(u""), t.menu);
    EXPECT_EQ(Text(u""), t.windowClass);
    EXPECT_EQ(kToolName, t.title);
    EXPECT_EQ(9, t.pointSize);
    EXPECT_EQ(0, t.weight);
    EXPECT_EQ(0, t.italic);
    EXPECT_EQ(1, t.charSet);
    EXPECT_EQ(kDialogFace, t.face);
    ExpectItems(
        t, {
               {IDOK, kButton, Text(u"OK"), 10, 70, 50, 14, kTabStop | BS_DEFPUSHBUTTON},
               {IDCANCEL, kButton, Text(u"ｷｬﾝｾﾙ"), 68, 70, 50, 14, kTabStop | BS_PUSHBUTTON},
               {IDC_HELP_BUTTON, kButton, Text(u"ﾍﾙﾌﾟ"), 126, 70, 50, 14, kTabStop | BS_PUSHBUTTON},
               {kStaticId, kStatic, Text(u""), 10, 10, 166, 51, kShown | SS_SUNKEN | SS_GRAYFRAME},
               {kStaticId, kStatic, Text(u""), 28, 20, 139, 21, kShown | SS_ETCHEDFRAME},
               {IDC_USE_OVERLAY, kButton, Text(u"ｵｰﾊﾞｰﾚｲ表示を使用する"), 25, 17, 90, 10,
                kShown | BS_AUTORADIOBUTTON},
               {IDC_NO_OVERLAY, kButton, Text(u"ｵｰﾊﾞｰﾚｲ表示を使用しない"), 25, 45, 95, 10,
                kShown | BS_AUTORADIOBUTTON},
               {IDC_NO_SURFACE, kButton, Text(u"ｵｰﾊﾞｰﾚｲｻｰﾌｪｽを使用しない"), 44, 28, 106, 11,
                kTabStop | BS_AUTOCHECKBOX},
           });
}

TEST_F(DialogTemplateTest, HelpDialogHasNoSystemMenu) {
    const Template t = Load(IDD_HELP);
    ExpectClassicFrame(t, kModalBox, 0, 0, 187, 91);
    EXPECT_EQ(u"ﾍﾙﾌﾟ", t.title);
    EXPECT_EQ(9, t.pointSize);
    EXPECT_EQ(kDialogFace, t.face);
    // The first paragraph opens with an ideographic space, the second with two spaces.
    ExpectItems(
        t,
        {
            {IDOK, kButton, Text(u"OK"), 66, 70, 50, 14, kTabStop | BS_DEFPUSHBUTTON},
            {-1, kStatic,
             Text(u"\u3000弊社製グラフィックアクセラレータボード(ＫＴシリーズ)と併用される場合は、"
                  u" [ｵｰﾊﾞｰﾚｲ表示を使用する] を選択してください。"),
             9, 10, 168, 24, kShown | WS_GROUP | SS_LEFT},
            {-1, kStatic,
             Text(u"  オーバーレイ表示を使用した場合に、画面上にゴミが残る等の現象が出る場合は"
                  u" [ｵｰﾊﾞｰﾚｲｻｰﾌｪｽを使用しない] をチェックしてください。"),
             10, 40, 168, 24, kShown | WS_GROUP | SS_LEFT},
        });
}

TEST_F(DialogTemplateTest, DocumentTypeChooserNamesTheRewrittenFace) {
    const Template t = Load(IDD_NEW_DOCUMENT);
    ExpectClassicFrame(t, kModalBox | WS_SYSMENU | DS_3DLOOK, 9, 26, 183, 70);
    EXPECT_EQ(u"新規", t.title);
    EXPECT_EQ(8, t.pointSize);
    EXPECT_EQ(u"MS Sans Serif", t.face);
    ExpectItems(
        t, {
               {kStaticId, kStatic, Text(u"新規(&N) "), 6, 5, 123, 8, kShown | WS_GROUP | SS_LEFT},
               {IDC_DOCUMENT_TYPES, kListBox, Text(u""), 6, 15, 125, 49,
                kTabStop | WS_VSCROLL | WS_BORDER | LBS_NOTIFY},
               {IDOK, kButton, Text(u"OK"), 137, 6, 40, 14, kTabStop | BS_DEFPUSHBUTTON},
               {IDCANCEL, kButton, Text(u"ｷｬﾝｾﾙ"), 137, 23, 40, 14, kTabStop | BS_PUSHBUTTON},
               {ID_HELP_COMMAND, kButton, Text(u"ﾍﾙﾌﾟ(&H)"), 137, 43, 40, 14,
                kTabStop | BS_PUSHBUTTON},
           });
}

#pragma pack(push, 2)
struct GroupEntry {
    // Icons: width, height, colors, reserved (bytes); cursors: width, height (words).
    BYTE size[4];
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)
static_assert(sizeof(GroupEntry) == 14);

struct Group {
    WORD type = 0;
    std::vector<GroupEntry> entries;
};

Group ReadGroup(Bytes bytes) {
    Group group;
    if (bytes.data == nullptr || bytes.size < 6) {
        return group;
    }
    WORD header[3];
    std::memcpy(header, bytes.data, sizeof header);
    group.type = header[1];
    for (WORD i = 0; i < header[2] && 6 + (i + 1) * sizeof(GroupEntry) <= bytes.size; ++i) {
        GroupEntry entry;
        std::memcpy(&entry, bytes.data + 6 + i * sizeof(GroupEntry), sizeof entry);
        group.entries.push_back(entry);
    }
    return group;
}

BITMAPINFOHEADER HeaderAt(Bytes bytes, size_t offset) {
    BITMAPINFOHEADER header{};
    if (bytes.data != nullptr && bytes.size >= offset + sizeof header) {
        std::memcpy(&header, bytes.data + offset, sizeof header);
    }
    return header;
}

struct IconShape {
    int width = 0;
    int height = 0;
    bool isIcon = false;
    DWORD hotX = 0, hotY = 0;
};

IconShape MadeFrom(Bytes image, bool icon) {
    IconShape shape;
    HICON handle = CreateIconFromResourceEx(const_cast<BYTE*>(image.data), image.size, icon,
                                            0x00030000, 0, 0, LR_DEFAULTCOLOR);
    ICONINFO info{};
    if (handle == nullptr || !GetIconInfo(handle, &info)) {
        return shape;
    }
    BITMAP mask{};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    shape.width = mask.bmWidth;
    // A monochrome image keeps its mask and image in one bitmap of twice the height.
    shape.height = info.hbmColor != nullptr ? mask.bmHeight : mask.bmHeight / 2;
    shape.isIcon = info.fIcon != FALSE;
    shape.hotX = info.xHotspot;
    shape.hotY = info.yHotspot;
    DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr) {
        DeleteObject(info.hbmColor);
    }
    icon ? DestroyIcon(handle) : DestroyCursor(handle);
    return shape;
}

// The 48-pixel image comes last and takes the number after the cursor's.
TEST_F(ProgramTest, IconGroupHoldsA32And16And48PixelSixteenColorImage) {
    const Bytes groupBytes = RawResource(RT_GROUP_ICON, 128);
    const Group group = ReadGroup(groupBytes);
    EXPECT_EQ(1, group.type);
    ASSERT_EQ(3u, group.entries.size());
    const int sizes[] = {32, 16, 48};
    const WORD ids[] = {1, 2, 5};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("image " + std::to_string(ids[i]));
        const GroupEntry& entry = group.entries[i];
        EXPECT_EQ(sizes[i], entry.size[0]);
        EXPECT_EQ(sizes[i], entry.size[1]);
        EXPECT_EQ(16, entry.size[2]) << "colors";
        EXPECT_EQ(1, entry.planes);
        EXPECT_EQ(4, entry.bitCount);
        EXPECT_EQ(ids[i], entry.id);
        const Bytes image = RawResource(RT_ICON, entry.id);
        EXPECT_EQ(entry.bytesInRes, image.size);
        const BITMAPINFOHEADER header = HeaderAt(image, 0);
        EXPECT_EQ(sizes[i], header.biWidth);
        EXPECT_EQ(2 * sizes[i], header.biHeight) << "image and mask";
        EXPECT_EQ(4, header.biBitCount);
        const IconShape made = MadeFrom(image, true);
        EXPECT_TRUE(made.isIcon);
        EXPECT_EQ(sizes[i], made.width);
        EXPECT_EQ(sizes[i], made.height);
        EXPECT_EQ(entry.id, LookupIconIdFromDirectoryEx(const_cast<BYTE*>(groupBytes.data), TRUE,
                                                        sizes[i], sizes[i], 0));
    }
}

TEST_F(ProgramTest, CursorGroupHoldsA32And16PixelMonochromeImage) {
    const Bytes groupBytes = RawResource(RT_GROUP_CURSOR, 30977);
    const Group group = ReadGroup(groupBytes);
    EXPECT_EQ(2, group.type);
    ASSERT_EQ(2u, group.entries.size());
    const int sizes[] = {32, 16};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE("image " + std::to_string(i + 3));
        const GroupEntry& entry = group.entries[i];
        WORD extent[2];
        std::memcpy(extent, entry.size, sizeof extent);
        EXPECT_EQ(sizes[i], extent[0]);
        EXPECT_EQ(2 * sizes[i], extent[1]) << "image and mask";
        EXPECT_EQ(1, entry.planes);
        EXPECT_EQ(1, entry.bitCount);
        EXPECT_EQ(i + 3, entry.id) << "numbered on from the icon's images";
        const Bytes image = RawResource(RT_CURSOR, entry.id);
        EXPECT_EQ(entry.bytesInRes, image.size);
        const BITMAPINFOHEADER header = HeaderAt(image, 4); // after the hotspot
        EXPECT_EQ(sizes[i], header.biWidth);
        EXPECT_EQ(2 * sizes[i], header.biHeight);
        EXPECT_EQ(1, header.biBitCount);
        const IconShape made = MadeFrom(image, false);
        EXPECT_FALSE(made.isIcon);
        EXPECT_EQ(sizes[i], made.width);
        EXPECT_EQ(sizes[i], made.height);
        EXPECT_EQ(0u, made.hotX);
        EXPECT_EQ(0u, made.hotY);
        EXPECT_EQ(entry.id, LookupIconIdFromDirectoryEx(const_cast<BYTE*>(groupBytes.data), FALSE,
                                                        sizes[i], sizes[i], LR_MONOCHROME));
    }
}

// The standard 16-color VGA palette, as the resource stores it (blue, green, red, 0).
const RGBQUAD kVgaPalette[16] = {
    {0x00, 0x00, 0x00, 0}, {0x00, 0x00, 0x80, 0}, {0x00, 0x80, 0x00, 0}, {0x00, 0x80, 0x80, 0},
    {0x80, 0x00, 0x00, 0}, {0x80, 0x00, 0x80, 0}, {0x80, 0x80, 0x00, 0}, {0x80, 0x80, 0x80, 0},
    {0xC0, 0xC0, 0xC0, 0}, {0x00, 0x00, 0xFF, 0}, {0x00, 0xFF, 0x00, 0}, {0x00, 0xFF, 0xFF, 0},
    {0xFF, 0x00, 0x00, 0}, {0xFF, 0x00, 0xFF, 0}, {0xFF, 0xFF, 0x00, 0}, {0xFF, 0xFF, 0xFF, 0},
};

// A 4-bit bottom-up bitmap resource: header, 16 palette entries, pixels.
class Bitmap4 {
public:
    explicit Bitmap4(UINT id) : bytes(RawResource(RT_BITMAP, id)), header(HeaderAt(bytes, 0)) {}

    bool Complete() const {
        return bytes.data != nullptr && header.biSize == sizeof header &&
               bytes.size >= sizeof header + sizeof kVgaPalette + Stride() * header.biHeight;
    }
    const BITMAPINFOHEADER& Header() const { return header; }
    bool HasVgaPalette() const {
        return std::memcmp(bytes.data + sizeof header, kVgaPalette, sizeof kVgaPalette) == 0;
    }
    int At(int x, int y) const {
        const BYTE* row =
            bytes.data + sizeof header + sizeof kVgaPalette + Stride() * (header.biHeight - 1 - y);
        return x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0xF;
    }

private:
    size_t Stride() const { return (header.biWidth * 4 + 31) / 32 * 4; }

    Bytes bytes;
    BITMAPINFOHEADER header;
};

TEST_F(ProgramTest, BitmapsAreSixteenColorImagesOfTheirSizes) {
    const struct {
        UINT id;
        int width;
        int height;
    } bitmaps[] = {{26567, 70, 39}, {30994, 12, 10}, {30995, 39, 13}, {30996, 33, 11}};
    for (const auto& expected : bitmaps) {
        SCOPED_TRACE("bitmap " + std::to_string(expected.id));
        const Bitmap4 bitmap(expected.id);
        ASSERT_TRUE(bitmap.Complete());
        EXPECT_EQ(expected.width, bitmap.Header().biWidth);
        EXPECT_EQ(expected.height, bitmap.Header().biHeight) << "bottom-up";
        EXPECT_EQ(1, bitmap.Header().biPlanes);
        EXPECT_EQ(4, bitmap.Header().biBitCount);
        EXPECT_EQ(DWORD{BI_RGB}, bitmap.Header().biCompression);
        EXPECT_TRUE(bitmap.HasVgaPalette());
    }
}

// Palette entries that the 3D look replaces with the color set.
enum Slot {
    kWindowText = 0,
    kShadow = 7,
    kFace = 8,
    kWindowFrame = 10,
    kWindow = 11,
    kHighlight = 15,
};

constexpr int kCellWidth = 14;
constexpr int kCellHeight = 13;
constexpr int kCheckBox = 0;
constexpr int kRadio = 1;
constexpr int kThirdState = 2;

class GlyphTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(glyphs.Complete());
    }
    int At(int column, int row, int x, int y) const {
        return glyphs.At(column * kCellWidth + x, row * kCellHeight + y);
    }
    // The pixels of one color within a square of the cell.
    std::set<std::pair<int, int>> Pixels(int column, int row, int color, int from, int to) const {
        std::set<std::pair<int, int>> found;
        for (int y = from; y <= to; ++y) {
            for (int x = from; x <= to; ++x) {
                if (At(column, row, x, y) == color) {
                    found.insert({x, y});
                }
            }
        }
        return found;
    }
    static int Background(int column) { return column < 2 ? kWindow : kFace; }

    Bitmap4 glyphs{26567};
};

TEST_F(GlyphTest, DrawsOnlyInTheEntriesTheLookReplaces) {
    const std::set<int> replaced = {kWindowText, kShadow, kFace, kWindowFrame, kWindow, kHighlight};
    for (int y = 0; y < 39; ++y) {
        for (int x = 0; x < 70; ++x) {
            EXPECT_EQ(1u, replaced.count(glyphs.At(x, y))) << "pixel " << x << ", " << y;
        }
    }
}

TEST_F(GlyphTest, CheckBoxCellsHaveTwoRingsAroundTheirInterior) {
    for (int row : {kCheckBox, kThirdState}) {
        for (int column = 0; column < 5; ++column) {
            SCOPED_TRACE("cell " + std::to_string(column) + ", " + std::to_string(row));
            for (int i = 0; i < 13; ++i) {
                EXPECT_EQ(kFace, At(column, row, 13, i)) << "last column";
                EXPECT_EQ(i < 12 ? kShadow : kHighlight, At(column, row, i, 0)) << "top";
                EXPECT_EQ(i < 12 ? kShadow : kHighlight, At(column, row, 0, i)) << "left";
                EXPECT_EQ(kHighlight, At(column, row, 12, i)) << "right";
                EXPECT_EQ(kHighlight, At(column, row, i, 12)) << "bottom";
            }
            for (int i = 1; i < 12; ++i) {
                EXPECT_EQ(i < 11 ? kWindowFrame : kFace, At(column, row, i, 1)) << "inner top";
                EXPECT_EQ(i < 11 ? kWindowFrame : kFace, At(column, row, 1, i)) << "inner left";
                EXPECT_EQ(kFace, At(column, row, 11, i)) << "inner right";
                EXPECT_EQ(kFace, At(column, row, i, 11)) << "inner bottom";
            }
            // Interior corners lie outside a centered 7 x 7 mark and on the
            // checkerboard's other color.
            EXPECT_EQ(Background(column), At(column, row, 2, 3));
            EXPECT_EQ(Background(column), At(column, row, 10, 9));
        }
    }
}

TEST_F(GlyphTest, UncheckedBoxesAreEmpty) {
    for (int column : {0, 2}) {
        EXPECT_EQ(81u, Pixels(column, kCheckBox, Background(column), 2, 10).size())
            << "column " << column;
    }
}

TEST_F(GlyphTest, CheckMarksAreCenteredCrosses) {
    const auto cross = Pixels(1, kCheckBox, kWindowText, 2, 10);
    ASSERT_FALSE(cross.empty());
    for (const auto& [x, y] : cross) {
        EXPECT_TRUE(x >= 3 && x <= 9 && y >= 3 && y <= 9) << x << ", " << y << " inside 7 x 7";
        EXPECT_EQ(1u, cross.count({12 - x, y})) << x << ", " << y << " mirrored";
        EXPECT_EQ(1u, cross.count({x, 12 - y})) << x << ", " << y << " mirrored";
    }
    for (const auto& point : {std::pair{3, 3}, {9, 3}, {6, 6}, {3, 9}, {9, 9}}) {
        EXPECT_EQ(1u, cross.count(point))
            << "a diagonal through " << point.first << ", " << point.second;
    }
    EXPECT_EQ(0u, cross.count({6, 3})) << "no bar across the top";
    EXPECT_EQ(81u, cross.size() + Pixels(1, kCheckBox, kWindow, 2, 10).size());

    EXPECT_EQ(cross, Pixels(3, kCheckBox, kWindowText, 2, 10)) << "pushed";
    EXPECT_EQ(81u, cross.size() + Pixels(3, kCheckBox, kFace, 2, 10).size());

    // Disabled: shadow over a highlight copy one pixel right and down.
    EXPECT_EQ(cross, Pixels(4, kCheckBox, kShadow, 2, 10));
    const auto lit = Pixels(4, kCheckBox, kHighlight, 2, 10);
    EXPECT_FALSE(lit.empty());
    for (const auto& [x, y] : lit) {
        EXPECT_EQ(1u, cross.count({x - 1, y - 1})) << x << ", " << y;
    }
    EXPECT_TRUE(Pixels(4, kCheckBox, kWindowText, 0, 12).empty());
}

TEST_F(GlyphTest, ThirdStateCellsAreOnePixelCheckerboards) {
    const struct {
        int column;
        int mark;
        int ground;
    } cells[] = {{1, kWindowText, kWindow}, {3, kWindowText, kFace}, {4, kShadow, kFace}};
    for (const auto& cell : cells) {
        SCOPED_TRACE("column " + std::to_string(cell.column));
        for (int y = 2; y <= 10; ++y) {
            for (int x = 2; x <= 10; ++x) {
                const int color = At(cell.column, kThirdState, x, y);
                EXPECT_TRUE(color == cell.mark || color == cell.ground) << x << ", " << y;
                if (x > 2) {
                    EXPECT_NE(color, At(cell.column, kThirdState, x - 1, y)) << x << ", " << y;
                }
                if (y > 2) {
                    EXPECT_NE(color, At(cell.column, kThirdState, x, y - 1)) << x << ", " << y;
                }
            }
        }
    }
}

TEST_F(GlyphTest, RadioCellsAreLitCirclesWithADotWhenChecked) {
    for (int column = 0; column < 5; ++column) {
        SCOPED_TRACE("column " + std::to_string(column));
        for (int i = 0; i < 13; ++i) {
            EXPECT_EQ(kFace, At(column, kRadio, 13, i)) << "right of the circle";
            EXPECT_EQ(kFace, At(column, kRadio, i, 12)) << "below the circle";
        }
        for (const auto& [x, y] : {std::pair{0, 0}, {11, 0}, {0, 11}, {11, 11}}) {
            EXPECT_EQ(kFace, At(column, kRadio, x, y)) << "corner " << x << ", " << y;
        }
        EXPECT_EQ(kShadow, At(column, kRadio, 5, 0)) << "top";
        EXPECT_EQ(kShadow, At(column, kRadio, 0, 5)) << "left";
        EXPECT_EQ(kHighlight, At(column, kRadio, 11, 6)) << "right";
        EXPECT_EQ(kHighlight, At(column, kRadio, 6, 11)) << "bottom";
        EXPECT_EQ(kWindowFrame, At(column, kRadio, 5, 1)) << "inner top";
        EXPECT_EQ(kWindowFrame, At(column, kRadio, 1, 5)) << "inner left";
        EXPECT_EQ(Background(column), At(column, kRadio, 5, 2)) << "interior";
    }
    const auto dot = Pixels(1, kRadio, kWindowText, 0, 12);
    std::set<int> xs, ys;
    for (const auto& [x, y] : dot) {
        xs.insert(x);
        ys.insert(y);
    }
    ASSERT_EQ(21u, dot.size()) << "5 x 5 less its corners";
    ASSERT_EQ(5u, xs.size());
    ASSERT_EQ(5u, ys.size());
    EXPECT_EQ(4, *xs.rbegin() - *xs.begin());
    EXPECT_EQ(4, *ys.rbegin() - *ys.begin());
    EXPECT_EQ(0u, dot.count({*xs.begin(), *ys.begin()}));
    EXPECT_EQ(0u, dot.count({*xs.rbegin(), *ys.rbegin()}));

    EXPECT_EQ(dot, Pixels(3, kRadio, kWindowText, 0, 12)) << "pushed";
    EXPECT_EQ(dot, Pixels(4, kRadio, kShadow, 2, 9)) << "disabled";
    const auto lit = Pixels(4, kRadio, kHighlight, 2, 9);
    EXPECT_FALSE(lit.empty());
    for (const auto& [x, y] : lit) {
        EXPECT_EQ(1u, dot.count({x - 1, y - 1})) << x << ", " << y;
    }
    for (int column : {0, 2, 4}) {
        EXPECT_TRUE(Pixels(column, kRadio, kWindowText, 0, 12).empty()) << "column " << column;
    }
    for (int column : {0, 2}) {
        EXPECT_TRUE(Pixels(column, kRadio, kShadow, 2, 9).empty()) << "column " << column;
    }
}

class VersionTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        const std::string path = ProgramPath();
        DWORD handle = 0;
        block.resize(GetFileVersionInfoSizeA(path.c_str(), &handle));
        ASSERT_FALSE(block.empty());
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, block.size(), block.data()));
    }
    std::pair<const void*, UINT> Query(const char* path) {
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueA(block.data(), path, &value, &length)) {
            return {nullptr, 0};
        }
        return {value, length};
    }
    std::string Text(const char* key) {
        const auto [value, length] =
            Query(("\\StringFileInfo\\041104b0\\" + std::string(key)).c_str());
        return value != nullptr ? std::string(static_cast<const char*>(value)) : "(none)";
    }

    std::vector<char> block;
};

TEST_F(VersionTest, FixedPartIsVersionOneOfAnApplication) {
    const auto [value, length] = Query("\\");
    ASSERT_NE(nullptr, value);
    ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), length);
    const auto& fixed = *static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(0xFEEF04BDu, fixed.dwSignature);
    EXPECT_EQ(0x00010000u, fixed.dwFileVersionMS);
    EXPECT_EQ(0x00000001u, fixed.dwFileVersionLS);
    EXPECT_EQ(0x00010000u, fixed.dwProductVersionMS);
    EXPECT_EQ(0x00000001u, fixed.dwProductVersionLS);
    EXPECT_EQ(0x3Fu, fixed.dwFileFlagsMask);
    EXPECT_EQ(0u, fixed.dwFileFlags);
    EXPECT_EQ(0x4u, fixed.dwFileOS);
    EXPECT_EQ(0x1u, fixed.dwFileType);
    EXPECT_EQ(0u, fixed.dwFileSubtype);
}

TEST_F(VersionTest, OneTranslationJapaneseUnicode) {
    const auto [value, length] = Query("\\VarFileInfo\\Translation");
    ASSERT_NE(nullptr, value);
    ASSERT_EQ(4u, length);
    const auto* words = static_cast<const WORD*>(value);
    EXPECT_EQ(0x0411, words[0]);
    EXPECT_EQ(0x04B0, words[1]);
}

TEST_F(VersionTest, StringsLoadAsShiftJis) {
    EXPECT_EQ(ShiftJis("Lumora 環境設定"), Text("FileDescription"));
    EXPECT_EQ("1.01", Text("FileVersion"));
    EXPECT_EQ("LUMCFG", Text("InternalName"));
    EXPECT_EQ("LUMCFG.EXE", Text("OriginalFilename"));
    EXPECT_EQ("Lumora/PCI", Text("ProductName"));
    EXPECT_EQ("1.11", Text("ProductVersion"));
}

TEST_F(VersionTest, NoticeNamesTheMakerAsTheAboutBoxDoes) {
    const std::string maker = Text("CompanyName");
    const std::string notice = Text("LegalCopyright");
    EXPECT_NE("(none)", maker);
    EXPECT_FALSE(maker.empty());
    EXPECT_NE(std::string::npos, notice.find(maker));
    EXPECT_EQ(Utf8(kNotice), notice);
}

// ---- The English set: the same layouts, English texts.

Bytes RawResourceIn(LPCSTR type, UINT id, WORD language) {
    HRSRC found = FindResourceExA(Program(), type, MAKEINTRESOURCEA(id), language);
    if (found == nullptr) {
        return {};
    }
    return {static_cast<const BYTE*>(LockResource(LoadResource(Program(), found))),
            SizeofResource(Program(), found)};
}

// Code page 1252 shows it on every Western system, and it needs no font of
// another script.
bool IsPlainText(const std::u16string& text) {
    for (char16_t c : text) {
        if ((c < 0x20 || c > 0x7E) && c != u'\n') {
            return false;
        }
    }
    return true;
}

class EnglishDialogTest : public ProgramTest, public testing::WithParamInterface<UINT> {};

TEST_P(EnglishDialogTest, HasItsJapaneseTwinsLayoutWithEnglishTexts) {
    const Bytes japaneseBytes = RawResourceIn(RT_DIALOG, GetParam(), kJapanese);
    const Bytes englishBytes = RawResourceIn(RT_DIALOG, GetParam(), kEnglish);
    ASSERT_NE(nullptr, japaneseBytes.data);
    ASSERT_NE(nullptr, englishBytes.data);
    const Template japanese = TemplateReader(japaneseBytes).Read();
    const Template english = TemplateReader(englishBytes).Read();
    ASSERT_FALSE(english.overrun);
    EXPECT_EQ(englishBytes.size, english.end);

    EXPECT_EQ(japanese.extended, english.extended);
    EXPECT_EQ(japanese.version, english.version);
    EXPECT_EQ(japanese.helpId, english.helpId);
    EXPECT_EQ(japanese.style, english.style);
    EXPECT_EQ(japanese.exStyle, english.exStyle);
    EXPECT_EQ(japanese.x, english.x);
    EXPECT_EQ(japanese.y, english.y);
    EXPECT_EQ(japanese.cx, english.cx);
    EXPECT_EQ(japanese.cy, english.cy);
    EXPECT_EQ(japanese.menu, english.menu);
    EXPECT_EQ(japanese.windowClass, english.windowClass);
    EXPECT_FALSE(english.title.empty());
    EXPECT_TRUE(IsPlainText(english.title)) << Utf8(english.title);
    EXPECT_EQ(8, english.pointSize);
    EXPECT_EQ(u"MS Sans Serif", english.face);
    EXPECT_EQ(japanese.weight, english.weight);
    EXPECT_EQ(japanese.italic, english.italic);
    EXPECT_EQ(japanese.charSet, english.charSet);

    ASSERT_EQ(japanese.items.size(), english.items.size());
    for (size_t i = 0; i < english.items.size(); ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        const Item& twin = japanese.items[i];
        const Item& item = english.items[i];
        EXPECT_EQ(twin.id, item.id);
        EXPECT_EQ(twin.windowClass, item.windowClass);
        EXPECT_EQ(twin.x, item.x);
        EXPECT_EQ(twin.y, item.y);
        EXPECT_EQ(twin.cx, item.cx);
        EXPECT_EQ(twin.cy, item.cy);
        EXPECT_EQ(twin.style, item.style);
        EXPECT_EQ(twin.exStyle, item.exStyle);
        EXPECT_EQ(twin.helpId, item.helpId);
        EXPECT_EQ(twin.creationBytes, item.creationBytes);
        // An icon stays the same icon; a text is translated, an empty one stays empty.
        ASSERT_EQ(twin.title.isOrdinal, item.title.isOrdinal);
        if (item.title.isOrdinal) {
            EXPECT_EQ(twin.title, item.title);
        } else {
            EXPECT_EQ(twin.title.text.empty(), item.title.text.empty()) << Utf8(item.title.text);
            EXPECT_TRUE(IsPlainText(item.title.text)) << Utf8(item.title.text);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Templates, EnglishDialogTest, testing::Values(100u, 102u, 129u, 30721u));

// The texts of one string block in one language, by id.
std::map<UINT, std::u16string> StringBlock(UINT block, WORD language) {
    const Bytes bytes = RawResourceIn(RT_STRING, block, language);
    std::map<UINT, std::u16string> texts;
    size_t pos = 0;
    for (UINT i = 0; i < 16; ++i) {
        WORD length = 0;
        if (pos + 2 > bytes.size) {
            ADD_FAILURE() << "block " << block << " ends before its 16 texts";
            break;
        }
        std::memcpy(&length, bytes.data + pos, 2);
        pos += 2;
        if (pos + 2 * size_t{length} > bytes.size) {
            ADD_FAILURE() << "block " << block << " text " << i << " runs past the block";
            break;
        }
        if (length != 0) {
            std::u16string& text = texts[(block - 1) * 16 + i];
            text.resize(length);
            std::memcpy(text.data(), bytes.data + pos, 2 * size_t{length});
        }
        pos += 2 * size_t{length};
    }
    return texts;
}

// What a text hands to formatting, in order: %1, %2, %s.
std::string Placeholders(const std::u16string& text) {
    std::string found;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'%') {
            found += '%';
            found += static_cast<char>(text[i + 1]);
            ++i;
        }
    }
    return found;
}

TEST_F(ProgramTest, EveryStringHasAnEnglishTextWithTheSamePlaceholders) {
    std::set<UINT> blocks;
    for (const TableText& text : kStringTable) {
        blocks.insert(text.id / 16 + 1);
    }
    for (UINT block : blocks) {
        const auto japanese = StringBlock(block, kJapanese);
        const auto english = StringBlock(block, kEnglish);
        std::set<UINT> japaneseIds, englishIds;
        for (const auto& [id, text] : japanese) {
            japaneseIds.insert(id);
        }
        for (const auto& [id, text] : english) {
            englishIds.insert(id);
            EXPECT_TRUE(IsPlainText(text)) << "string " << id << ": " << Utf8(text);
            if (japanese.count(id) != 0) {
                EXPECT_EQ(Placeholders(japanese.at(id)), Placeholders(text)) << "string " << id;
            }
        }
        EXPECT_EQ(japaneseIds, englishIds) << "block " << block;
    }
}

TEST_F(ProgramTest, EnglishToolTextsNameItsCaptionAndHelpFile) {
    const auto english = StringBlock(IDS_SETTINGS_CAPTION / 16 + 1, kEnglish);
    const Template settings = TemplateReader(RawResourceIn(RT_DIALOG, 102, kEnglish)).Read();
    ASSERT_EQ(1u, english.count(IDS_SETTINGS_CAPTION));
    EXPECT_EQ(settings.title, english.at(IDS_SETTINGS_CAPTION)) << "the warning box's caption";
    ASSERT_EQ(1u, english.count(IDS_HELP_FILE_ENDING));
    EXPECT_EQ(u"_E.HLP", english.at(IDS_HELP_FILE_ENDING));
}

// The version functions query a writable copy of the block.
std::vector<BYTE> VersionBlock(WORD language) {
    const Bytes raw = RawResourceIn(RT_VERSION, 1, language);
    std::vector<BYTE> block(raw.data, raw.data + raw.size);
    block.resize(2 * block.size() + 4);
    return block;
}

std::u16string VersionText(std::vector<BYTE>& block, const wchar_t* table, const wchar_t* key) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\") + table + L"\\" + key;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length)) {
        return u"(none)";
    }
    return static_cast<const char16_t*>(value);
}

TEST_F(ProgramTest, EnglishVersionBlockDiffersOnlyInLanguageAndDescription) {
    std::vector<BYTE> japanese = VersionBlock(kJapanese);
    std::vector<BYTE> english = VersionBlock(kEnglish);
    ASSERT_FALSE(english.empty());
    void* fixedJapanese = nullptr;
    void* fixedEnglish = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(japanese.data(), L"\\", &fixedJapanese, &length));
    ASSERT_TRUE(VerQueryValueW(english.data(), L"\\", &fixedEnglish, &length));
    EXPECT_EQ(0, std::memcmp(fixedJapanese, fixedEnglish, sizeof(VS_FIXEDFILEINFO)));

    void* translation = nullptr;
    ASSERT_TRUE(
        VerQueryValueW(english.data(), L"\\VarFileInfo\\Translation", &translation, &length));
    ASSERT_EQ(4u, length);
    EXPECT_EQ(0x0409, static_cast<const WORD*>(translation)[0]);
    EXPECT_EQ(0x04B0, static_cast<const WORD*>(translation)[1]);

    for (const wchar_t* key : {L"CompanyName", L"FileVersion", L"InternalName", L"LegalCopyright",
                               L"OriginalFilename", L"ProductName", L"ProductVersion"}) {
        EXPECT_EQ(VersionText(japanese, L"041104b0", key), VersionText(english, L"040904b0", key))
            << Utf8(std::u16string(reinterpret_cast<const char16_t*>(key)));
    }
    EXPECT_EQ(u"Lumora Settings", VersionText(english, L"040904b0", L"FileDescription"));
}

} // namespace
