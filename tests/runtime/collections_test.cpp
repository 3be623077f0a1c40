#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "framework/runtime/collections.h"
#include "framework/runtime/exceptions.h"
#include "framework/runtime/memory.h"

namespace {

void* P(uintptr_t value) {
    return reinterpret_cast<void*>(value);
}

std::vector<uintptr_t> KeysInOrder(const CMapPtrToPtr& map) {
    std::vector<uintptr_t> keys;
    for (POSITION pos = map.FirstPosition(); pos != nullptr;) {
        void *key, *value;
        map.NextPair(pos, key, value);
        keys.push_back(reinterpret_cast<uintptr_t>(key));
    }
    return keys;
}

} // namespace

TEST(Collections, NewMapAllocatesNothing) {
    CMapPtrToPtr map(10);
    EXPECT_EQ(map.FindValue(P(0x10)), nullptr);
    EXPECT_FALSE(map.Erase(P(0x10)));
    EXPECT_EQ(map.FirstPosition(), nullptr);
    EXPECT_FALSE(map.HasTable());
    EXPECT_FALSE(map.HasBlocks());
}

TEST(Collections, IterationFollowsBucketsNewestFirst) {
    CMapPtrToPtr map(10);
    for (uintptr_t key = 0x10; key <= 0x110; key += 0x10) {
        map.ValueSlot(P(key)) = P(key + 1);
    }
    std::vector<uintptr_t> expected = {0x110};
    for (uintptr_t key = 0x10; key <= 0x100; key += 0x10) {
        expected.push_back(key);
    }
    EXPECT_EQ(KeysInOrder(map), expected);

    map.ValueSlot(P(0x00)) = P(1); // joins 0x110 in bucket 0, in front
    expected.insert(expected.begin(), 0x00);
    EXPECT_EQ(KeysInOrder(map), expected);
    EXPECT_EQ(map.FindValue(P(0x110)), P(0x111));
    EXPECT_EQ(map.FindValue(P(0x00)), P(1));
}

TEST(Collections, LaterBucketsComeLater) {
    CMapPtrToPtr map(10);
    map.ValueSlot(P(0x50)) = P(5);  // bucket 5
    map.ValueSlot(P(0x20)) = P(2);  // bucket 2
    map.ValueSlot(P(0x130)) = P(3); // bucket 2 again
    EXPECT_EQ(KeysInOrder(map), (std::vector<uintptr_t>{0x130, 0x20, 0x50}));
}

TEST(Collections, LastRemovalReleasesTableAndBlocks) {
    CMapPtrToPtr map(10);
    map.ValueSlot(P(0x10)) = P(1);
    EXPECT_TRUE(map.Erase(P(0x10)));
    EXPECT_FALSE(map.HasTable());
    EXPECT_FALSE(map.HasBlocks());

    map.SetTableSize(7, FALSE);
    map.ValueSlot(P(0x10)) = P(1);
    map.ValueSlot(P(0x80)) = P(2); // 8 mod 7 = 1: same bucket as 0x10
    EXPECT_EQ(map.GetTableSize(), 7u);
    EXPECT_EQ(KeysInOrder(map), (std::vector<uintptr_t>{0x80, 0x10}));
    EXPECT_FALSE(map.Erase(P(0x90)));
    EXPECT_EQ(map.GetCount(), 2);
}

TEST(Collections, FreedPairsAreReusedInBlockOrder) {
    CMapPtrToPtr map(4);
    char* first = reinterpret_cast<char*>(&map.ValueSlot(P(0x10)));
    char* second = reinterpret_cast<char*>(&map.ValueSlot(P(0x20)));
    EXPECT_EQ(second - first, 12); // the block's elements are handed out in order
    map.ValueSlot(P(0x30));
    EXPECT_TRUE(map.Erase(P(0x10)));
    EXPECT_EQ(reinterpret_cast<char*>(&map.ValueSlot(P(0x40))), first);
    EXPECT_EQ(&map.ValueSlot(P(0x20)), reinterpret_cast<void**>(second));
}

TEST(Collections, TableResizeKeepsExistingPairs) {
    CMapPtrToPtr map(10);
    for (uintptr_t key = 0x10; key <= 0x300; key += 0x10) {
        map.ValueSlot(P(key)) = P(key);
    }
    map.SetTableSize(3, FALSE);
    for (uintptr_t key = 0x10; key <= 0x300; key += 0x10) {
        ASSERT_EQ(map.FindValue(P(key)), P(key));
    }
    EXPECT_EQ(KeysInOrder(map).size(), 48u);
}

TEST(Collections, ListIsFirstInFirstOut) {
    CPtrList list(2);
    int a, b, c, d;
    list.Append(&a);
    list.Append(&b);
    EXPECT_EQ(list.TakeFirst(), &a);
    list.Append(&c);
    list.Append(&d); // a second block
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.TakeFirst(), &b);
    EXPECT_EQ(list.TakeFirst(), &c);
    EXPECT_EQ(list.TakeFirst(), &d);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_FALSE(list.HasBlocks());
    EXPECT_EQ(list.TakeFirst(), nullptr);
}

TEST(Collections, TextHashCountsHighBytesNegative) {
    EXPECT_EQ(HashTextKey("a\xFF", 17), 4u);    // 97 * 33 - 1 = 3200
    EXPECT_EQ(HashTextKey("\x80\x80", 17), 1u); // -128 * 33 - 128 as unsigned
    EXPECT_EQ(HashTextKey("", 17), 0u);
}

TEST(Collections, TextMapKeepsItsOwnKeys) {
    CMapStringToPtr map(10);
    char key[] = "\x95\x5C\x8E\xA6";
    int x, y;
    map.ValueSlot(key) = &x;
    map.ValueSlot("\x95\x5C\x8E\xA7") = &y;
    const char* stored = nullptr;
    ASSERT_TRUE(map.FindStoredKey(key, stored));
    EXPECT_NE(stored, key);
    key[3] = 'z';
    EXPECT_STREQ(stored, "\x95\x5C\x8E\xA6");
    void* value = nullptr;
    EXPECT_TRUE(map.FindValue("\x95\x5C\x8E\xA6", value));
    EXPECT_EQ(value, &x);
    EXPECT_FALSE(map.FindValue(key, value));
    EXPECT_EQ(map.GetCount(), 2);
    EXPECT_EQ(&map.ValueSlot("\x95\x5C\x8E\xA7"), &map.ValueSlot("\x95\x5C\x8E\xA7"));
}

TEST(Collections, ExhaustionLeavesContainersUsable) {
    NewHandler previous = SwapNewHandler(&ThrowingNewHandler);
    CMapPtrToPtr map(10);
    map.ValueSlot(P(0x10)) = P(1);
    EXPECT_THROW(map.SetTableSize(0x20000000, TRUE), CMemoryException*);
    EXPECT_EQ(map.FindValue(P(0x10)), P(1));

    CMapPtrToPtr huge(0x10000000);
    EXPECT_THROW(huge.ValueSlot(P(0x10)), CMemoryException*);
    EXPECT_EQ(huge.GetCount(), 0);
    EXPECT_EQ(huge.FindValue(P(0x10)), nullptr);
    SwapNewHandler(previous);
}

TEST(Collections, ClassRecords) {
    CPtrList list(10);
    CMapStringToPtr strings(10);
    EXPECT_STREQ(list.GetRuntimeClassInfo()->className, "CPtrList");
    EXPECT_TRUE(strings.IsOfKind(LUM_RUNTIME_CLASS(CObject)));
    EXPECT_EQ(LUM_RUNTIME_CLASS(CMapPtrToPtr)->MakeInstance(), nullptr);
}
