// Dialog templates built in memory: measuring, copying, font replacement,
// the font rule on this double-byte system, and dialogs made from copies.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "common/template_builder.h"
#include "framework/runtime/shared_string.h"
#include "framework/windows/dialogs/dialog_template.h"

namespace {

using namespace testtemplate;

std::vector<Item> SomeItems() {
    return {
        {1, WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, Ordinal(kButton), Text(L"OK")},
        {100, WS_CHILD | WS_VISIBLE, Ordinal(kStatic), Text(L"Label text")},
        {101, WS_CHILD | WS_VISIBLE | WS_BORDER, Text(L"EDIT"), Text(L"abc"), {7, 8}},
    };
}

std::vector<Item> ManyItems(int n) {
    std::vector<Item> items;
    for (int i = 0; i < n; ++i) {
        std::wstring title(static_cast<size_t>(i % 7), L'x');
        std::vector<BYTE> data(static_cast<size_t>(i % 3), static_cast<BYTE>(i));
        items.push_back({static_cast<WORD>(1000 + i), WS_CHILD,
                         i % 2 ? Ordinal(kStatic) : Text(L"STATIC"),
                         i % 5 ? Text(title.c_str()) : Ordinal(static_cast<WORD>(i)), data});
    }
    return items;
}

// The template's bytes in a copy's block.
std::vector<BYTE> BlockBytes(const CTemplateCopy& copy) {
    const auto* p = static_cast<const BYTE*>(GlobalLock(copy.block));
    std::vector<BYTE> bytes(p, p + copy.size);
    GlobalUnlock(copy.block);
    return bytes;
}

const DLGTEMPLATE* AsTemplate(const std::vector<BYTE>& bytes) {
    return reinterpret_cast<const DLGTEMPLATE*>(bytes.data());
}

DWORD AlignUp4(DWORD v) {
    return (v + 3) & ~DWORD{3};
}

std::string Ansi(const std::wstring& wide) {
    char buffer[64] = {};
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
}

std::wstring Wide(const char* ansi) {
    WCHAR buffer[64] = {};
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, buffer, 64);
    return buffer;
}

std::wstring FaceAt(const std::vector<BYTE>& bytes, DWORD offset) {
    std::wstring face;
    for (DWORD p = offset; p + 1 < bytes.size(); p += 2) {
        WCHAR c;
        std::memcpy(&c, &bytes[p], 2);
        if (c == 0) {
            break;
        }
        face.push_back(c);
    }
    return face;
}

WORD WordAt(const std::vector<BYTE>& bytes, DWORD offset) {
    WORD v;
    std::memcpy(&v, &bytes[offset], 2);
    return v;
}

DWORD StyleOf(const std::vector<BYTE>& bytes, bool extended) {
    DWORD v;
    std::memcpy(&v, &bytes[extended ? 12 : 0], 4);
    return v;
}

// The GUI font that replaced faces come from, and its size in points.
struct GuiFont {
    GuiFont() {
        LOGFONTA lf = {};
        GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
        face = lf.lfFaceName;
        HDC screen = GetDC(nullptr);
        points = static_cast<WORD>(MulDiv(lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight, 72,
                                          GetDeviceCaps(screen, LOGPIXELSY)));
        ReleaseDC(nullptr, screen);
    }
    std::string face;
    WORD points;
};

// Checks that the copy holds `original` with the new font block and the
// items moved to the next multiple of 4 after it.
void ExpectReplaced(const Built& original, const CTemplateCopy& copy, bool extended,
                    const std::wstring& face, WORD points) {
    const std::vector<BYTE> bytes = BlockBytes(copy);
    const DWORD attributes = extended ? 6 : 2;
    const DWORD newItems = AlignUp4(original.fontBlock + attributes + 2 * (face.size() + 1));
    ASSERT_GE(GlobalSize(copy.block), copy.size) << "the template lies inside its block";
    EXPECT_TRUE(StyleOf(bytes, extended) & DS_SETFONT);
    EXPECT_EQ(WordAt(bytes, original.fontBlock), points);
    EXPECT_EQ(FaceAt(bytes, original.fontBlock + attributes), face);
    EXPECT_EQ(CTemplateCopy::MeasureTemplate(AsTemplate(bytes)), copy.size);
    std::vector<BYTE> head(original.bytes.begin(), original.bytes.begin() + original.fontBlock);
    const DWORD style = StyleOf(head, extended) | DS_SETFONT;
    std::memcpy(&head[extended ? 12 : 0], &style, 4);
    EXPECT_EQ(std::memcmp(bytes.data(), head.data(), head.size()), 0)
        << "header, menu, class and title unchanged";
    if (original.items.empty()) {
        EXPECT_EQ(copy.size, original.fontBlock + attributes + 2 * (face.size() + 1));
        return;
    }
    const DWORD oldItems = original.items.front();
    EXPECT_EQ(copy.size, original.Size() + newItems - oldItems) << "grown by the distance moved";
    ASSERT_EQ(copy.size - newItems, original.Size() - oldItems);
    EXPECT_EQ(std::memcmp(&bytes[newItems], &original.bytes[oldItems], copy.size - newItems), 0)
        << "items moved whole";
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

std::string WindowText(HWND h) {
    char text[64] = {};
    GetWindowTextA(h, text, sizeof text);
    return text;
}

std::string ClassOf(HWND h) {
    char name[64] = {};
    GetClassNameA(h, name, sizeof name);
    CharUpperA(name);
    return name;
}

// Hands the copy's block to the system dialog manager as dialog creation
// does, checks the controls of SomeItems() and the font the dialog got.
void ExpectDialogFromCopy(CTemplateCopy& copy, const std::string& face) {
    HGLOBAL block = copy.ReleaseHandle();
    ASSERT_NE(block, nullptr);
    auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(GlobalLock(block));
    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate, nullptr,
                                             &QuietDialogProc, 0);
    EXPECT_NE(dialog, nullptr);
    if (dialog != nullptr) {
        EXPECT_EQ(WindowText(dialog), "Template");
        HWND ok = GetDlgItem(dialog, 1);
        HWND label = GetDlgItem(dialog, 100);
        HWND edit = GetDlgItem(dialog, 101);
        ASSERT_NE(ok, nullptr);
        ASSERT_NE(label, nullptr);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(WindowText(ok), "OK");
        EXPECT_EQ(ClassOf(ok), "BUTTON");
        EXPECT_EQ(WindowText(label), "Label text");
        EXPECT_EQ(ClassOf(label), "STATIC");
        EXPECT_EQ(WindowText(edit), "abc");
        EXPECT_EQ(ClassOf(edit), "EDIT");
        auto font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
        LOGFONTA lf = {};
        ASSERT_NE(GetObjectA(font, sizeof lf, &lf), 0);
        EXPECT_EQ(std::string(lf.lfFaceName), face) << "the dialog read the new font block";
        DestroyWindow(dialog);
    }
    GlobalUnlock(block);
    GlobalFree(block);
}

Shape DialogShape(bool extended, bool font, const wchar_t* face = L"MS Sans Serif",
                  WORD points = 8) {
    Shape s;
    s.extended = extended;
    s.title = L"Template";
    s.font = font;
    s.points = points;
    s.face = face;
    s.weight = 700;
    s.italic = 1;
    s.charset = SHIFTJIS_CHARSET;
    s.items = SomeItems();
    return s;
}

} // namespace

// Sizes worked out by hand from the layouts.
TEST(TemplateLayout, ClassicWithoutFontOrItems) {
    Shape s;
    s.title = L"T";
    Built b = Build(s);
    // header 18, no menu 2, no class 2, "T" 4
    EXPECT_EQ(CTemplateCopy::LocateFontBlock(b.Get()) - b.bytes.data(), 26);
    EXPECT_EQ(CTemplateCopy::MeasureTemplate(b.Get()), 26u);
}

TEST(TemplateLayout, ClassicWithOrdinalsStringsAndFont) {
    Shape s;
    s.menu = Ordinal(5);
    s.windowClass = Text(L"Cls");
    s.title = L"Hello";
    s.font = true;
    s.points = 8;
    s.face = L"MS Sans Serif";
    s.items = {{1, WS_CHILD, Ordinal(kButton), Text(L"OK")},
               {2, WS_CHILD, Text(L"EDIT"), Ordinal(3), {9, 9}}};
    Built b = Build(s);
    // header 18, menu ordinal 4, "Cls" 8, "Hello" 12: font at 42
    EXPECT_EQ(CTemplateCopy::LocateFontBlock(b.Get()) - b.bytes.data(), 42);
    // points 2 and the face 28 end at 72; item 1 at 72: 18 + 4 + 6 + 2 ends
    // at 102; item 2 at 104: 18 + "EDIT" 10 + ordinal 4 + 2 + 2 ends at 140
    EXPECT_EQ(CTemplateCopy::MeasureTemplate(b.Get()), 140u);
    EXPECT_EQ(b.Size(), 140u);
}

TEST(TemplateLayout, ExtendedWithMenuStringAndFont) {
    Shape s;
    s.extended = true;
    s.menu = Text(L"M");
    s.font = true;
    s.points = 10;
    s.face = L"Helv";
    s.weight = 700;
    s.items = {{7, WS_CHILD, Ordinal(kButton), Text(L"Go")}};
    Built b = Build(s);
    // header 26, "M" 4, no class 2, empty title 2: font at 34
    EXPECT_EQ(CTemplateCopy::LocateFontBlock(b.Get()) - b.bytes.data(), 34);
    // attributes 6 and "Helv" 10 end at 50; the item at 52: 24 + 4 + 6 + 2
    EXPECT_EQ(CTemplateCopy::MeasureTemplate(b.Get()), 88u);
    EXPECT_EQ(b.Size(), 88u);
}

TEST(TemplateLayout, ThreeHundredItemsAreMeasuredAndCopiedWhole) {
    for (bool extended : {false, true}) {
        Shape s;
        s.extended = extended;
        s.title = L"Many";
        s.font = true;
        s.points = 9;
        s.face = L"Face";
        s.items = ManyItems(300);
        Built b = Build(s);
        EXPECT_EQ(CTemplateCopy::MeasureTemplate(b.Get()), b.Size());
        CTemplateCopy copy(b.Get());
        EXPECT_EQ(copy.size, b.Size());
        EXPECT_FALSE(copy.usesSystemFont);
        EXPECT_EQ(BlockBytes(copy), b.bytes);
        EXPECT_GE(GlobalSize(copy.block), b.Size() + 64);
        copy.ReplaceFont("A much longer face", 12);
        ExpectReplaced(b, copy, extended, L"A much longer face", 12);
    }
}

TEST(TemplateFont, ReadsPointSizeAndFaceOfBothLayouts) {
    for (bool extended : {false, true}) {
        Built b = Build(DialogShape(extended, true, L"Helv", 10));
        CSharedString face;
        WORD points = 0;
        EXPECT_TRUE(CTemplateCopy::ReadTemplateFont(b.Get(), face, points));
        EXPECT_STREQ(face, "Helv");
        EXPECT_EQ(face.GetLength(), 4);
        EXPECT_EQ(points, 10);
    }
}

TEST(TemplateFont, NoFontLeavesTheOutputsAlone) {
    Built b = Build(DialogShape(false, false));
    CSharedString face;
    face = "before";
    WORD points = 77;
    EXPECT_FALSE(CTemplateCopy::ReadTemplateFont(b.Get(), face, points));
    EXPECT_STREQ(face, "before");
    EXPECT_EQ(points, 77);
}

TEST(TemplateCopy, EmptyCopyDoesNothing) {
    CTemplateCopy copy;
    EXPECT_EQ(copy.block, nullptr);
    EXPECT_EQ(copy.size, 0u);
    EXPECT_FALSE(copy.usesSystemFont);
    EXPECT_FALSE(copy.ReplaceFont("Face", 9));
    EXPECT_FALSE(copy.UseSystemFont(0));
    EXPECT_EQ(copy.ReleaseHandle(), nullptr);
}

TEST(TemplateCopy, ReleaseHandleHandsTheBlockOver) {
    Built b = Build(DialogShape(false, false));
    CTemplateCopy copy(b.Get());
    EXPECT_TRUE(copy.usesSystemFont);
    HGLOBAL block = copy.block;
    EXPECT_EQ(copy.ReleaseHandle(), block);
    EXPECT_EQ(copy.block, nullptr);
    EXPECT_EQ(GlobalFree(block), nullptr) << "still alive after the copy let it go";
}

TEST(TemplateCopy, ClassicWithoutFontGainsOneAndItsItemsMove) {
    // Titles of odd and even length put the font block at both alignments.
    for (const wchar_t* title : {L"T", L"Ti"}) {
        Shape s = DialogShape(false, false);
        s.title = title;
        Built b = Build(s);
        CTemplateCopy copy(b.Get());
        ASSERT_TRUE(copy.usesSystemFont);
        EXPECT_TRUE(copy.ReplaceFont("Arial", 9));
        EXPECT_FALSE(copy.usesSystemFont);
        ExpectReplaced(b, copy, false, L"Arial", 9);
    }
}

TEST(TemplateCopy, ShorterFaceMovesItemsDown) {
    Built b = Build(DialogShape(false, true, L"MS Sans Serif", 8));
    CTemplateCopy copy(b.Get());
    EXPECT_TRUE(copy.ReplaceFont("Helv", 8));
    ExpectReplaced(b, copy, false, L"Helv", 8);
    EXPECT_LT(copy.size, b.Size());
}

TEST(TemplateCopy, ExtendedKeepsAttributesOfAFontItHad) {
    Built b = Build(DialogShape(true, true, L"MS Sans Serif", 8));
    CTemplateCopy copy(b.Get());
    EXPECT_TRUE(copy.ReplaceFont("Arial", 11));
    ExpectReplaced(b, copy, true, L"Arial", 11);
    std::vector<BYTE> bytes = BlockBytes(copy);
    EXPECT_EQ(WordAt(bytes, b.fontBlock + 2), 700);
    EXPECT_EQ(bytes[b.fontBlock + 4], 1);
    EXPECT_EQ(bytes[b.fontBlock + 5], SHIFTJIS_CHARSET);
}

TEST(TemplateCopy, ExtendedWithoutFontGetsAPlainOne) {
    Built b = Build(DialogShape(true, false));
    CTemplateCopy copy(b.Get());
    EXPECT_TRUE(copy.ReplaceFont("Arial", 11));
    ExpectReplaced(b, copy, true, L"Arial", 11);
    std::vector<BYTE> bytes = BlockBytes(copy);
    EXPECT_EQ(WordAt(bytes, b.fontBlock + 2), FW_NORMAL);
    EXPECT_EQ(bytes[b.fontBlock + 4], 0);
    EXPECT_EQ(bytes[b.fontBlock + 5], DEFAULT_CHARSET);
}

TEST(TemplateCopy, NoItemsGetTheFontBlockWithoutAMove) {
    for (bool extended : {false, true}) {
        Shape s;
        s.extended = extended;
        s.title = L"Empty";
        Built b = Build(s);
        CTemplateCopy copy(b.Get());
        EXPECT_TRUE(copy.ReplaceFont("Arial", 9));
        ExpectReplaced(b, copy, extended, L"Arial", 9);
    }
}

// 31 characters: the longest face a logical font can have.
constexpr const char* kLongestFace = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcde";

TEST(TemplateCopy, FontBlockLargerThanTheSpareRoomGrowsTheBlock) {
    // Title lengths for both alignments of the font block, each layout, with
    // and without items.
    int beyondSpareRoom = 0;
    for (bool extended : {false, true}) {
        for (const wchar_t* title : {L"Templates", L"Template"}) {
            for (bool items : {true, false}) {
                Shape s = DialogShape(extended, false);
                s.title = title;
                if (!items) {
                    s.items.clear();
                }
                Built b = Build(s);
                CTemplateCopy copy(b.Get());
                const SIZE_T room = GlobalSize(copy.block);
                EXPECT_TRUE(copy.ReplaceFont(kLongestFace, 9));
                ExpectReplaced(b, copy, extended, Wide(kLongestFace), 9);
                EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr));
                beyondSpareRoom += copy.size > room;
            }
        }
    }
    EXPECT_GE(beyondSpareRoom, 4) << "each layout needed more than the spare room";
}

TEST(TemplateCopy, DialogFromAGrownCopy) {
    for (bool extended : {false, true}) {
        Built b = Build(DialogShape(extended, false));
        CTemplateCopy copy(b.Get());
        ASSERT_TRUE(copy.ReplaceFont(kLongestFace, 9));
        ExpectDialogFromCopy(copy, kLongestFace);
    }
}

// The classic copy of an extended template is the template a classic
// source of the same dialog makes, byte for byte: only the help ids and the
// font's weight, italic and character set are dropped.
TEST(TemplateCopy, ExtendedCopyMadeClassicMatchesTheClassicTemplate) {
    Shape withFont;
    withFont.menu = Text(L"M");
    withFont.title = L"Settings";
    withFont.font = true;
    withFont.points = 9;
    withFont.face = L"Helv";
    withFont.weight = 700;
    withFont.italic = 1;
    withFont.charset = SHIFTJIS_CHARSET;
    withFont.style |= DS_SETFONT;
    withFont.items = SomeItems();
    Shape manyWithoutFont;
    manyWithoutFont.windowClass = Ordinal(7);
    manyWithoutFont.items = ManyItems(300);
    for (Shape shape : {withFont, manyWithoutFont}) {
        SCOPED_TRACE(shape.items.size());
        shape.extended = true;
        CTemplateCopy copy(Build(shape).Get());
        ASSERT_TRUE(copy.MakeClassic());
        shape.extended = false;
        const Built classic = Build(shape);
        EXPECT_EQ(BlockBytes(copy), classic.bytes);
        // A classic copy is left as it is.
        ASSERT_TRUE(copy.MakeClassic());
        EXPECT_EQ(BlockBytes(copy), classic.bytes);
    }
}

TEST(FontRule, ThisTestBedIsADoubleByteSystem) {
    EXPECT_NE(GetSystemMetrics(SM_DBCSENABLED), 0);
    EXPECT_EQ(GetACP(), 932u);
}

TEST(FontRule, NoFontIsReplacedAtTheSystemSize) {
    Built b = Build(DialogShape(false, false));
    WORD points = 99;
    EXPECT_TRUE(NeedsSystemFont(b.Get(), &points));
    EXPECT_EQ(points, 0);
    EXPECT_TRUE(NeedsSystemFont(b.Get(), FALSE, &points)) << "on any system";
}

TEST(FontRule, OldFacesOnADoubleByteSystem) {
    struct Case {
        const wchar_t* face;
        WORD points;
        BOOL replaced;
        WORD size;
    };
    for (bool extended : {false, true}) {
        for (const Case& c : {Case{L"MS Sans Serif", 8, TRUE, 0},
                              Case{L"MS Sans Serif", 10, TRUE, 10}, Case{L"Helv", 8, TRUE, 0},
                              Case{L"Helv", 12, TRUE, 12}, Case{L"ms sans serif", 8, FALSE, 0},
                              Case{L"MS Sans Serif ", 8, FALSE, 0}, Case{L"Arial", 8, FALSE, 0}}) {
            Built b = Build(DialogShape(extended, true, c.face, c.points));
            WORD points = 99;
            EXPECT_EQ(NeedsSystemFont(b.Get(), &points), c.replaced) << Ansi(c.face);
            if (c.replaced) {
                EXPECT_EQ(points, c.size) << Ansi(c.face);
            }
            EXPECT_FALSE(NeedsSystemFont(b.Get(), FALSE, &points))
                << "not without double-byte support";
        }
    }
}

TEST(FontRule, TheToolsOwnFaceIsUsedAsItIs) {
    const std::wstring face = L"ＭＳ Ｐゴシック";
    Built b = Build(DialogShape(true, true, face.c_str(), 9));
    WORD points = 99;
    EXPECT_FALSE(NeedsSystemFont(b.Get(), &points));
    CSharedString read;
    ASSERT_TRUE(CTemplateCopy::ReadTemplateFont(b.Get(), read, points));
    EXPECT_EQ(points, 9);
    EXPECT_STREQ(read, "\x82\x6c\x82\x72 \x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e")
        << "Shift-JIS, as the system's code page";
}

TEST(FontRule, ReplacedFontIsTheGuiFont) {
    GuiFont gui;
    ASSERT_FALSE(gui.face.empty());
    for (WORD templatePoints : {WORD{8}, WORD{10}}) {
        Built b = Build(DialogShape(false, true, L"MS Sans Serif", templatePoints));
        WORD points = 99;
        ASSERT_TRUE(NeedsSystemFont(b.Get(), &points));
        CTemplateCopy copy(b.Get());
        EXPECT_TRUE(copy.UseSystemFont(points));
        const WORD expected = templatePoints == 8 ? gui.points : templatePoints;
        ExpectReplaced(b, copy, false, Wide(gui.face.c_str()), expected);
        CSharedString face;
        std::vector<BYTE> bytes = BlockBytes(copy);
        ASSERT_TRUE(CTemplateCopy::ReadTemplateFont(AsTemplate(bytes), face, points));
        EXPECT_EQ(std::string(face), gui.face);
        EXPECT_EQ(points, expected);
    }
}

TEST(FontRule, DialogFromAReplacedCopy) {
    GuiFont gui;
    for (bool extended : {false, true}) {
        for (bool font : {true, false}) {
            Built b = Build(DialogShape(extended, font));
            WORD points = 99;
            ASSERT_TRUE(NeedsSystemFont(b.Get(), &points));
            CTemplateCopy copy(b.Get());
            copy.UseSystemFont(points);
            ExpectDialogFromCopy(copy, gui.face);
        }
    }
}

TEST(TemplatePlacement, StyleAndPositionFromEitherLayout) {
    for (bool extended : {false, true}) {
        Shape s;
        s.extended = extended;
        s.style = WS_POPUP | DS_CENTER;
        s.title = L"T";
        Built b = Build(s);
        const TemplatePlacement placement = ReadTemplatePlacement(b.Get());
        EXPECT_EQ(placement.style, static_cast<DWORD>(WS_POPUP | DS_CENTER)) << extended;
        EXPECT_EQ(placement.x, 10) << extended;
        EXPECT_EQ(placement.y, 10) << extended;
    }
}
