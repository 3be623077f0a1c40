// The framework's containers: a pointer list used as a queue and two hash
// maps. Elements come a block at a time from the heap, are recycled through
// a free chain and go back to the heap only when the container empties.
#pragma once

#include <windows.h>
#include "framework/runtime/object.h"
#include "framework/runtime/shared_string.h"

struct NodeBlock {
    NodeBlock* next;

    void* Elements() { return this + 1; }
};
static_assert(sizeof(NodeBlock) == 4, "the link is the block's only header");

// Links a new block of `count` elements in front of the chain.
NodeBlock* AllocateNodeBlock(NodeBlock*& chain, int count, int elementSize);
void FreeNodeBlocks(NodeBlock* chain);

struct PositionTag;
using POSITION = PositionTag*;
// All bits set: iteration starts at the first pair. A function, not a
// constant, because a pointer made from an integer is no constant expression.
inline POSITION BeforeFirstPosition() {
    return reinterpret_cast<POSITION>(-1);
}

class CPtrList : public CObject {
    LUM_DECLARE_CLASS(CPtrList)
public:
    struct ListNode {
        ListNode* next;
        ListNode* prev;
        void* data;
    };

    explicit CPtrList(int blockSize = 10);
    ~CPtrList() override;
    CPtrList(const CPtrList&) = delete;
    CPtrList& operator=(const CPtrList&) = delete;

    void Clear();
    ListNode* Append(void* data);
    // Null on an empty list.
    void* TakeFirst();
    int GetCount() const { return count; }
    BOOL HasBlocks() const { return blocks != nullptr; }

private:
    ListNode* AcquireNode(ListNode* prev, ListNode* next);
    void ReleaseNode(ListNode* node);

    ListNode* head = nullptr;
    ListNode* tail = nullptr;
    int count = 0;
    ListNode* freeNodes = nullptr;
    NodeBlock* blocks = nullptr;
    int blockSize;
};

class CMapPtrToPtr : public CObject {
    LUM_DECLARE_CLASS(CMapPtrToPtr)
public:
    struct MapPair {
        MapPair* next;
        void* key;
        void* value;
    };

    explicit CMapPtrToPtr(int blockSize = 10);
    ~CMapPtrToPtr() override;
    CMapPtrToPtr(const CMapPtrToPtr&) = delete;
    CMapPtrToPtr& operator=(const CMapPtrToPtr&) = delete;

    void SetTableSize(UINT size, BOOL allocateNow);
    void Clear();
    // Null when absent: a stored null reads the same.
    void* FindValue(void* key) const;
    void*& ValueSlot(void* key);
    BOOL Erase(void* key);

    POSITION FirstPosition() const { return count == 0 ? nullptr : BeforeFirstPosition(); }
    void NextPair(POSITION& position, void*& key, void*& value) const;

    int GetCount() const { return count; }
    UINT GetTableSize() const { return tableSize; }
    BOOL HasTable() const { return buckets != nullptr; }
    BOOL HasBlocks() const { return blocks != nullptr; }

private:
    UINT BucketOf(void* key) const;
    MapPair* FindPair(void* key, UINT& bucket) const;
    MapPair* AcquirePair();
    void ReleasePair(MapPair* pair);

    MapPair** buckets = nullptr;
    UINT tableSize = 17;
    int count = 0;
    MapPair* freePairs = nullptr;
    NodeBlock* blocks = nullptr;
    int blockSize;
};

class CMapStringToPtr : public CObject {
    LUM_DECLARE_CLASS(CMapStringToPtr)
public:
    struct StringMapPair {
        StringMapPair* next;
        UINT bucket;
        CSharedString key;
        void* value;
    };

    explicit CMapStringToPtr(int blockSize = 10);
    ~CMapStringToPtr() override;
    CMapStringToPtr(const CMapStringToPtr&) = delete;
    CMapStringToPtr& operator=(const CMapStringToPtr&) = delete;

    void SetTableSize(UINT size, BOOL allocateNow);
    BOOL FindValue(const char* key, void*& value) const;
    // The map's own copy of the key, valid while the pair exists.
    BOOL FindStoredKey(const char* key, const char*& storedKey) const;
    void*& ValueSlot(const char* key);

    int GetCount() const { return count; }
    BOOL HasTable() const { return buckets != nullptr; }

private:
    UINT BucketOf(const char* key) const;
    StringMapPair* FindPair(const char* key, UINT& bucket) const;

    StringMapPair** buckets = nullptr;
    UINT tableSize = 17;
    int count = 0;
    StringMapPair* freePairs = nullptr;
    NodeBlock* blocks = nullptr;
    int blockSize;
};

static_assert(sizeof(CPtrList::ListNode) == 12, "list node layout");
static_assert(sizeof(CMapPtrToPtr::MapPair) == 12, "pointer pair layout");
static_assert(sizeof(CMapStringToPtr::StringMapPair) == 16, "string pair layout");

// Bucket of a text key in a table of `tableSize` buckets.
UINT HashTextKey(const char* key, UINT tableSize);
