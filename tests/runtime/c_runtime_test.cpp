// The program's own C functions, code-page state and thread primitives.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include "framework/runtime/c_runtime.h"
#include "framework/runtime/code_page.h"
#include "framework/runtime/thread_primitives.h"

namespace {

TEST(CRuntime, HeapBlocksKeepTheirSizeAndContents) {
    char* block = static_cast<char*>(crt::Allocate(10));
    ASSERT_NE(nullptr, block);
    EXPECT_GE(crt::BlockSize(block), 10u);
    crt::CopyBytes(block, "abcdefghi", 10);
    block = static_cast<char*>(crt::Reallocate(block, 4000));
    ASSERT_NE(nullptr, block);
    EXPECT_STREQ("abcdefghi", block);
    EXPECT_NE(nullptr, crt::ResizeInPlace(block, 8));
    EXPECT_EQ(8u, crt::BlockSize(block));
    EXPECT_EQ(nullptr, crt::Reallocate(block, 0)) << "size 0 releases";
    EXPECT_EQ(static_cast<size_t>(-1), crt::BlockSize(nullptr));
    EXPECT_EQ(nullptr, crt::ResizeInPlace(nullptr, 8));
    void* empty = crt::Allocate(0);
    EXPECT_NE(nullptr, empty) << "a block of size 0 is still a block";
    crt::Release(empty);
    crt::Release(nullptr);
}

TEST(CRuntime, ZeroedBlocksAreZeroAndOverflowIsRefused) {
    auto* zeroed = static_cast<unsigned char*>(crt::AllocateZeroed(7, 9));
    ASSERT_NE(nullptr, zeroed);
    for (int i = 0; i < 63; ++i) {
        ASSERT_EQ(0, zeroed[i]);
    }
    crt::Release(zeroed);
    EXPECT_EQ(nullptr, crt::AllocateZeroed(0x10000, 0x10001));
}

TEST(CRuntime, BytesCopyMoveFillCompareAndFind) {
    char text[] = "0123456789";
    crt::MoveBytes(text + 2, text, 5); // overlapping, forwards
    EXPECT_STREQ("0101234789", text);
    crt::MoveBytes(text, text + 2, 5); // overlapping, backwards
    EXPECT_STREQ("0123434789", text);
    crt::FillBytes(text, 0x1FF, 3); // only the low byte counts
    EXPECT_EQ(std::string("\xFF\xFF\xFF", 3), std::string(text, 3));
    struct Row {
        const char* left;
        const char* right;
        size_t count;
        int bytes;
        int text;
    };
    const Row rows[] = {
        {"abc", "abc", 4, 0, 0},  {"abc", "abd", 3, -1, -1}, {"abd", "abc", 3, 1, 1},
        {"ab", "abc", 3, -1, -1}, {"\x80", "\x7F", 1, 1, 1}, {"abc", "abd", 2, 0, -1},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.bytes, crt::CompareBytes(row.left, row.right, row.count)) << row.left;
        EXPECT_EQ(row.text, crt::CompareText(row.left, row.right)) << row.left;
    }
    const char* sample = "path\\name.ext";
    EXPECT_EQ(13u, crt::TextLength(sample));
    EXPECT_EQ(sample + 4, crt::FindChar(sample, '\\'));
    EXPECT_EQ(sample + 13, crt::FindChar(sample, '\0'));
    EXPECT_EQ(nullptr, crt::FindChar(sample, 'z'));
    EXPECT_EQ(sample + 9, crt::FindByte(sample, '.', 13));
    EXPECT_EQ(nullptr, crt::FindByte(sample, '.', 9));
}

TEST(CRuntime, FormattingIsBoundedAndCountsTheWhole) {
    struct Row {
        size_t size;
        const char* expected;
        int length;
    };
    const Row rows[] = {
        {64, "Bt848\\PreviewOnly -2147483648", 29}, {10, "Bt848\\Pre", 29}, {1, "", 29}};
    for (const Row& row : rows) {
        char buffer[80];
        crt::FillBytes(buffer, 'x', sizeof buffer);
        EXPECT_EQ(row.length,
                  crt::FormatText(buffer, row.size, "%s\\%s %d", "Bt848", "PreviewOnly", INT_MIN));
        EXPECT_STREQ(row.expected, buffer);
        EXPECT_EQ('x', buffer[row.size]) << "nothing written past the size";
    }
    char untouched = 'x';
    EXPECT_EQ(3, crt::FormatText(&untouched, 0, "%d", 123));
    EXPECT_EQ('x', untouched);
    EXPECT_EQ(-1, crt::FormatText(&untouched, 1, nullptr));
    std::string longText(2000, 'a');
    char big[1100];
    EXPECT_EQ(1024, crt::FormatText(big, sizeof big, "%s", longText.c_str()))
        << "the system formats at most 1024 characters";
}

TEST(CodePage, LeadBytesFollowTheSelectedCodePage) {
    UINT before = CurrentMultibyteCodePage();
    ASSERT_TRUE(SelectMultibyteCodePage(932));
    EXPECT_EQ(932u, CurrentMultibyteCodePage());
    for (BYTE lead : {0x81, 0x9F, 0xE0, 0xFC}) {
        EXPECT_TRUE(IsMultibyteLeadByte(lead)) << int(lead);
    }
    for (BYTE single : {0x00, 0x41, 0x80, 0xA0, 0xB1, 0xDF, 0xFD}) {
        EXPECT_FALSE(IsMultibyteLeadByte(single)) << int(single);
    }
    ASSERT_TRUE(SelectMultibyteCodePage(1252));
    EXPECT_FALSE(IsMultibyteLeadByte(0x81));
    EXPECT_FALSE(SelectMultibyteCodePage(12345)) << "an unknown code page";
    EXPECT_EQ(1252u, CurrentMultibyteCodePage()) << "left as it was";
    ASSERT_TRUE(SelectMultibyteCodePage(CP_ACP));
    EXPECT_EQ(GetACP(), CurrentMultibyteCodePage());
    SelectMultibyteCodePage(before);
}

struct Held {
    LumSpinLock lock;
    LumRecursiveLock recursive;
};

// 1 when another thread can take neither lock.
DWORD WINAPI TryBoth(void* parameter) {
    auto* held = static_cast<Held*>(parameter);
    bool spin = LumSpinTryAcquire(&held->lock) != 0;
    bool recursive = LumRecursiveTryAcquire(&held->recursive) != 0;
    if (spin) {
        LumSpinRelease(&held->lock);
    }
    if (recursive) {
        LumRecursiveRelease(&held->recursive);
    }
    return !spin && !recursive ? 1 : 0;
}

DWORD RunTryBoth(Held& held) {
    HANDLE thread = CreateThread(nullptr, 0, &TryBoth, &held, 0, nullptr);
    DWORD result = 2;
    WaitForSingleObject(thread, 60000);
    GetExitCodeThread(thread, &result);
    CloseHandle(thread);
    return result;
}

TEST(ThreadPrimitives, LocksExcludeOtherThreadsAndNestForTheOwner) {
    Held held = {};
    LumSpinAcquire(&held.lock);
    LumRecursiveAcquire(&held.recursive);
    EXPECT_TRUE(LumRecursiveTryAcquire(&held.recursive)) << "the owner nests";
    EXPECT_FALSE(LumSpinTryAcquire(&held.lock));
    EXPECT_EQ(1u, RunTryBoth(held));
    LumRecursiveRelease(&held.recursive);
    EXPECT_EQ(1u, RunTryBoth(held)) << "still held once";
    LumRecursiveRelease(&held.recursive);
    LumSpinRelease(&held.lock);
    EXPECT_EQ(0ul, held.recursive.depth);
    EXPECT_EQ(0u, RunTryBoth(held)) << "free for the other thread";
}

int onceRuns = 0;
void CountOnce() {
    ++onceRuns;
}

void* destroyed = nullptr;
void Destroy(void* value) {
    destroyed = value;
}

DWORD WINAPI SeesNoValue(void* key) {
    return LumKeyGet(*static_cast<unsigned long*>(key)) == nullptr;
}

TEST(ThreadPrimitives, OnceRunsOnceAndKeysHoldPerThreadValues) {
    LumOnceFlag flag = {};
    LumRunOnce(&flag, &CountOnce);
    LumRunOnce(&flag, &CountOnce);
    EXPECT_EQ(1, onceRuns);
    unsigned long key = 0;
    ASSERT_EQ(0, LumKeyCreate(&key, &Destroy));
    int value = 0;
    EXPECT_EQ(nullptr, LumKeyGet(key));
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(nullptr, LumKeyGet(key));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError()) << "kept";
    ASSERT_EQ(0, LumKeySet(key, &value));
    HANDLE other = CreateThread(nullptr, 0, &SeesNoValue, &key, 0, nullptr);
    DWORD otherSawNothing = 0;
    WaitForSingleObject(other, 60000);
    GetExitCodeThread(other, &otherSawNothing);
    CloseHandle(other);
    EXPECT_EQ(1u, otherSawNothing);
    LumRunKeyDestructors();
    EXPECT_EQ(&value, destroyed);
    EXPECT_EQ(nullptr, LumKeyGet(key)) << "a value goes to its destructor once";
    EXPECT_EQ(0, LumKeyDelete(key));
}

} // namespace
