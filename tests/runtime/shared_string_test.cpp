#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "framework/runtime/exceptions.h"
#include "framework/runtime/message_box.h"
#include "framework/runtime/memory.h"
#include "framework/runtime/shared_string.h"
#include "framework/runtime/state.h"

namespace {

// Expected texts in the code page the tests run under (932).
std::string Ansi(const wchar_t* text) {
    char buffer[512];
    int n = WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    return std::string(buffer, n > 0 ? n - 1 : 0);
}

LONG References(const CSharedString& s) {
    return s.Header()->references;
}

} // namespace

TEST(SharedString, SharedEmptyTextIsNeverWritten) {
    const char* empty = *GetSharedEmptyText();
    {
        CSharedString a;
        CSharedString b(a);
        a = nullptr;
        b = "";
        a.Clear();
        b.CloseBuffer(-1);
        EXPECT_EQ(a.OpenBuffer(0), empty);
        EXPECT_EQ(b.OpenBufferWithLength(0), empty);
        a.MakeUnique();
        EXPECT_EQ(ExtractDelimitedField(a, "", 0, '\n'), TRUE);
        EXPECT_EQ(static_cast<const char*>(a), empty);
    }
    const auto* header = reinterpret_cast<const SharedStringHeader*>(empty) - 1;
    EXPECT_EQ(header->references, -1);
    EXPECT_EQ(header->length, 0);
    EXPECT_EQ(header->capacity, 0);
    EXPECT_EQ(*empty, '\0');
}

TEST(SharedString, WritersCopyASharedBlockFirst) {
    CSharedString a;
    a = "shared";
    CSharedString b(a);
    CSharedString c;
    c = a;
    EXPECT_EQ(static_cast<const char*>(b), static_cast<const char*>(a));
    EXPECT_EQ(References(a), 3);

    b = static_cast<const char*>(b) + 2; // from inside the shared block
    EXPECT_STREQ(b, "ared");
    c.CloseBuffer(2);
    EXPECT_STREQ(a, "shared");
    EXPECT_STREQ(c, "sh");
    EXPECT_EQ(References(a), 1);
}

TEST(SharedString, MakeUniqueLeavesTheOtherHolderIntact) {
    CSharedString a;
    a = "original";
    const char* block = a;
    CSharedString b(a);
    b.MakeUnique();
    EXPECT_EQ(static_cast<const char*>(a), block);
    EXPECT_NE(static_cast<const char*>(b), block);
    EXPECT_STREQ(a, "original");
    EXPECT_STREQ(b, "original");
    EXPECT_EQ(References(a), 1);
    EXPECT_EQ(References(b), 1);
}

TEST(SharedString, ShorterAssignmentKeepsTheBlock) {
    CSharedString s;
    s = "eleven char";
    const char* block = s;
    s = "ab";
    s = "";
    EXPECT_EQ(static_cast<const char*>(s), block);
    EXPECT_EQ(s.GetLength(), 0);
    EXPECT_EQ(s.Header()->capacity, 11);
    s.Clear(); // length 0: nothing to release
    EXPECT_EQ(static_cast<const char*>(s), block);
    s = "x";
    s.Clear();
    EXPECT_EQ(static_cast<const char*>(s), *GetSharedEmptyText());
}

TEST(SharedString, OpenBufferKeepsThePresentText) {
    CSharedString s;
    s = "hello";
    const char* block = s;
    EXPECT_EQ(s.OpenBuffer(2), block);
    char* p = s.OpenBuffer(20);
    EXPECT_STREQ(p, "hello");
    EXPECT_EQ(s.GetLength(), 5);
    EXPECT_EQ(s.Header()->capacity, 20);
    memcpy(p, "abc", 4);
    s.CloseBuffer(-1);
    EXPECT_EQ(s.GetLength(), 3);

    CSharedString copy(s);
    copy.OpenBuffer(1); // shared: a private copy as long as the text
    EXPECT_STREQ(copy, "abc");
    EXPECT_EQ(copy.Header()->capacity, 3);
    EXPECT_EQ(References(s), 1);
}

TEST(SharedString, LoadsAtTheLocalBufferLimit) {
    CSharedString s;
    ASSERT_TRUE(s.LoadFromResource(0x7000));
    EXPECT_EQ(s.GetLength(), 253);
    EXPECT_EQ(s.Header()->capacity, 253); // one allocation, from the local buffer
    EXPECT_STREQ(static_cast<const char*>(s) + 249, "|253");

    ASSERT_TRUE(s.LoadFromResource(0x7001));
    EXPECT_EQ(s.GetLength(), 254);
    EXPECT_EQ(s.Header()->capacity, 511); // the 512-byte attempt
    EXPECT_EQ(lstrlenA(s), 254);
}

TEST(SharedString, LongTextSurvivesDoubleByteCuts) {
    // A double-byte character straddles the 512 and 768 limits: each cut
    // attempt comes back two bytes short and must be retried.
    CSharedString s;
    ASSERT_TRUE(s.LoadFromResource(0x7002));
    EXPECT_EQ(s.GetLength(), 1000);
    EXPECT_EQ(s.Header()->capacity, 1023);
    EXPECT_EQ(std::string(s).substr(510, 2), Ansi(L"漢"));
    EXPECT_STREQ(static_cast<const char*>(s) + 995, "|1000");

    const char* block = s;
    ASSERT_TRUE(s.LoadFromResource(0x7000));
    EXPECT_EQ(static_cast<const char*>(s), block);
    EXPECT_EQ(s.GetLength(), 253);
}

TEST(SharedString, MissingIdGivesEmptyAndFalse) {
    CSharedString s;
    s = "old";
    EXPECT_FALSE(s.LoadFromResource(0x70FF));
    EXPECT_EQ(s.GetLength(), 0);
    EXPECT_STREQ(s, "");
}

TEST(SharedString, ExtractsLinesOfAResourceText) {
    CSharedString text, line;
    ASSERT_TRUE(text.LoadFromResource(0x7003));
    ASSERT_TRUE(ExtractDelimitedField(line, text, 1, '\n'));
    EXPECT_EQ(std::string(line), Ansi(L"二行目 ﾃｽﾄ表示"));
    EXPECT_TRUE(ExtractDelimitedField(line, text, 2, '\n'));
    EXPECT_EQ(std::string(line), Ansi(L"三行目"));
    EXPECT_FALSE(ExtractDelimitedField(line, text, 3, '\n'));
    EXPECT_EQ(line.GetLength(), 0);

    line = "kept";
    EXPECT_FALSE(ExtractDelimitedField(line, nullptr, 0, '\n'));
    EXPECT_STREQ(line, "kept");
    EXPECT_TRUE(ExtractDelimitedField(line, "single", 0, '\n'));
    EXPECT_STREQ(line, "single");
}

TEST(SharedString, TrailByteNeverEndsAField) {
    ASSERT_EQ(GetACP(), 932u);
    ASSERT_EQ(Ansi(L"ソ"), "\x83\x5C"); // trail byte is the backslash
    ASSERT_EQ(Ansi(L"ポ"), "\x83\x7C"); // trail byte is the bar
    CSharedString field;
    std::string text = Ansi(L"ソ表\\能力");
    ASSERT_TRUE(ExtractDelimitedField(field, text.c_str(), 0, '\\'));
    EXPECT_EQ(std::string(field), Ansi(L"ソ表"));
    ASSERT_TRUE(ExtractDelimitedField(field, text.c_str(), 1, '\\'));
    EXPECT_EQ(std::string(field), Ansi(L"能力"));
    text = Ansi(L"ポ|ポポ");
    ASSERT_TRUE(ExtractDelimitedField(field, text.c_str(), 1, '|'));
    EXPECT_EQ(std::string(field), Ansi(L"ポポ"));
    ASSERT_TRUE(ExtractDelimitedField(field, "ab\x83", 0, '|')); // lone lead byte at the end
    EXPECT_EQ(field.GetLength(), 3);
}

TEST(SharedString, ExtractsFromItsOwnText) {
    CSharedString s;
    s = "a\nbcd";
    ASSERT_TRUE(ExtractDelimitedField(s, s, 1, '\n'));
    EXPECT_STREQ(s, "bcd");
    CSharedString other(s);
    ASSERT_TRUE(ExtractDelimitedField(s, static_cast<const char*>(s) + 1, 0, '\n'));
    EXPECT_STREQ(s, "cd");
    EXPECT_STREQ(other, "bcd");
}

TEST(SharedString, NarrowToWide) {
    WCHAR out[8];
    wmemset(out, L'#', 8);
    EXPECT_EQ(NarrowToWide(out, "abc", 0), 0);
    EXPECT_EQ(out[0], L'#');
    std::string text = Ansi(L"表示ab");
    EXPECT_EQ(NarrowToWide(out, text.c_str(), 3), 0); // needs 5 units
    EXPECT_EQ(std::wstring(out, 3).find(L'\0'), std::wstring::npos);
    EXPECT_EQ(NarrowToWide(out, text.c_str(), 8), 5);
    EXPECT_STREQ(out, L"表示ab");
    EXPECT_EQ(NarrowToWide(nullptr, "abc", 0), 4); // size query
}

TEST(SharedString, MemoryExceptionLeavesAValidString) {
    NewHandler previous = SwapNewHandler(&ThrowingNewHandler);
    CSharedString s;
    s = "abc";
    const char* block = s;
    try {
        s.OpenBuffer(0x7FFFFFF0);
        ADD_FAILURE() << "no exception";
    } catch (CMemoryException* e) {
        e->Discard();
    }
    EXPECT_EQ(static_cast<const char*>(s), block);
    EXPECT_STREQ(s, "abc");
    EXPECT_EQ(References(s), 1);

    EXPECT_THROW(s.PrepareForOverwrite(0x7FFFFFF0), CMemoryException*);
    EXPECT_TRUE(s.IsSharedEmpty());
    SwapNewHandler(previous);
}

namespace {

struct ShownBox {
    std::string text;
    UINT type = 0;
    UINT helpId = 0;
};

ShownBox& LastBox() {
    static ShownBox box;
    return box;
}

int RecordBox(const char* text, UINT type, UINT helpId) {
    LastBox() = {text, type, helpId};
    return IDOK;
}

} // namespace

TEST(MessageBoxById, LongTextArrivesWhole) {
    auto& handler = GetModuleState()->messageBoxHandler;
    const auto saved = handler;
    handler = &RecordBox;
    LastBox() = {};
    const int result = MessageBoxById(0x7010, MB_OKCANCEL);
    handler = saved;
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(LastBox().text.size(), 600u);
    EXPECT_EQ(LastBox().text.substr(0, 3), "abc");
    EXPECT_EQ(LastBox().text.substr(596), "|600");
    EXPECT_EQ(LastBox().type, static_cast<UINT>(MB_OKCANCEL));
    EXPECT_EQ(LastBox().helpId, 0x7010u) << "the string id stands in for the help id";
}
