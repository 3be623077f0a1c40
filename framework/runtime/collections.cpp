#include "framework/runtime/collections.h"

#include <cstdint>
#include <cstring>
#include <new>
#include "framework/runtime/exceptions.h"
#include "framework/runtime/memory.h"

LUM_IMPLEMENT_CLASS(CMapPtrToPtr, CObject)
LUM_IMPLEMENT_CLASS(CPtrList, CObject)
LUM_IMPLEMENT_CLASS(CMapStringToPtr, CObject)

namespace {

void* AllocateOrRaise(size_t size) {
    void* p = AllocateObjectMemory(size);
    if (p == nullptr) {
        RaiseMemoryException();
    }
    return p;
}

template <class T> T** AllocateTable(UINT size) {
    if (size > SIZE_MAX / sizeof(T*)) {
        RaiseMemoryException();
    }
    auto** table = static_cast<T**>(AllocateOrRaise(size * sizeof(T*)));
    memset(table, 0, size * sizeof(T*));
    return table;
}

template <class T> T* TakeFreeElement(T*& freeChain, NodeBlock*& blocks, int blockSize) {
    if (freeChain == nullptr) {
        NodeBlock* block = AllocateNodeBlock(blocks, blockSize, sizeof(T));
        T* elements = static_cast<T*>(block->Elements());
        // Last to first, so that the block's first element is handed out first.
        for (int i = blockSize - 1; i >= 0; --i) {
            elements[i].next = freeChain;
            freeChain = &elements[i];
        }
    }
    T* element = freeChain;
    freeChain = element->next;
    return element;
}

int UsableBlockSize(int blockSize) {
    return blockSize > 0 ? blockSize : 1;
}

UINT UsableTableSize(UINT size) {
    return size > 0 ? size : 1;
}

// The low bits that heap and handle values share are dropped.
UINT PointerBucket(void* key, UINT tableSize) {
    return static_cast<UINT>(reinterpret_cast<uintptr_t>(key) >> 4) % tableSize;
}

} // namespace

NodeBlock* AllocateNodeBlock(NodeBlock*& chain, int count, int elementSize) {
    if (count < 0 || elementSize < 0 ||
        (elementSize > 0 && static_cast<size_t>(count) > (SIZE_MAX - sizeof(NodeBlock)) /
                                                             static_cast<size_t>(elementSize))) {
        RaiseMemoryException();
    }
    size_t size = sizeof(NodeBlock) + static_cast<size_t>(count) * static_cast<size_t>(elementSize);
    auto* block = static_cast<NodeBlock*>(AllocateOrRaise(size));
    block->next = chain;
    chain = block;
    return block;
}

void FreeNodeBlocks(NodeBlock* chain) {
    while (chain != nullptr) {
        NodeBlock* next = chain->next;
        FreeObjectMemory(chain);
        chain = next;
    }
}

UINT HashTextKey(const char* key, UINT tableSize) {
    UINT h = 0;
    for (const char* p = key != nullptr ? key : ""; *p != '\0'; ++p) {
        h = h * 33 + static_cast<UINT>(static_cast<int>(static_cast<signed char>(*p)));
    }
    return h % UsableTableSize(tableSize);
}

// CPtrList

CPtrList::CPtrList(int blockSize) : blockSize(UsableBlockSize(blockSize)) {}

CPtrList::~CPtrList() {
    Clear();
}

void CPtrList::Clear() {
    head = nullptr;
    tail = nullptr;
    count = 0;
    freeNodes = nullptr;
    FreeNodeBlocks(blocks);
    blocks = nullptr;
}

CPtrList::ListNode* CPtrList::AcquireNode(ListNode* prev, ListNode* next) {
    ListNode* node = TakeFreeElement(freeNodes, blocks, blockSize);
    ++count;
    node->prev = prev;
    node->next = next;
    node->data = nullptr;
    return node;
}

void CPtrList::ReleaseNode(ListNode* node) {
    node->next = freeNodes;
    freeNodes = node;
    if (--count == 0) {
        Clear();
    }
}

CPtrList::ListNode* CPtrList::Append(void* data) {
    ListNode* node = AcquireNode(tail, nullptr);
    node->data = data;
    if (tail != nullptr) {
        tail->next = node;
    } else {
        head = node;
    }
    tail = node;
    return node;
}

void* CPtrList::TakeFirst() {
    if (head == nullptr) {
        return nullptr;
    }
    ListNode* node = head;
    void* data = node->data;
    head = node->next;
    if (head != nullptr) {
        head->prev = nullptr;
    } else {
        tail = nullptr;
    }
    ReleaseNode(node);
    return data;
}

// CMapPtrToPtr

CMapPtrToPtr::CMapPtrToPtr(int blockSize) : blockSize(UsableBlockSize(blockSize)) {}

CMapPtrToPtr::~CMapPtrToPtr() {
    Clear();
}

UINT CMapPtrToPtr::BucketOf(void* key) const {
    return PointerBucket(key, tableSize);
}

void CMapPtrToPtr::SetTableSize(UINT size, BOOL allocateNow) {
    size = UsableTableSize(size);
    // Made before the old table goes, so that a failure leaves the map as it was.
    MapPair** table = allocateNow || count > 0 ? AllocateTable<MapPair>(size) : nullptr;
    if (count > 0) {
        for (UINT b = 0; b < tableSize; ++b) {
            for (MapPair *pair = buckets[b], *next; pair != nullptr; pair = next) {
                next = pair->next;
                UINT target = PointerBucket(pair->key, size);
                pair->next = table[target];
                table[target] = pair;
            }
        }
    }
    FreeObjectMemory(buckets);
    buckets = table;
    tableSize = size;
}

void CMapPtrToPtr::Clear() {
    FreeObjectMemory(buckets);
    buckets = nullptr;
    count = 0;
    freePairs = nullptr;
    FreeNodeBlocks(blocks);
    blocks = nullptr;
}

CMapPtrToPtr::MapPair* CMapPtrToPtr::FindPair(void* key, UINT& bucket) const {
    bucket = BucketOf(key);
    if (buckets == nullptr) {
        return nullptr;
    }
    for (MapPair* pair = buckets[bucket]; pair != nullptr; pair = pair->next) {
        if (pair->key == key) {
            return pair;
        }
    }
    return nullptr;
}

void* CMapPtrToPtr::FindValue(void* key) const {
    UINT bucket;
    MapPair* pair = FindPair(key, bucket);
    return pair != nullptr ? pair->value : nullptr;
}

CMapPtrToPtr::MapPair* CMapPtrToPtr::AcquirePair() {
    MapPair* pair = TakeFreeElement(freePairs, blocks, blockSize);
    ++count;
    pair->key = nullptr;
    pair->value = nullptr;
    return pair;
}

void CMapPtrToPtr::ReleasePair(MapPair* pair) {
    pair->next = freePairs;
    freePairs = pair;
    if (--count == 0) {
        Clear();
    }
}

void*& CMapPtrToPtr::ValueSlot(void* key) {
    UINT bucket;
    if (MapPair* pair = FindPair(key, bucket)) {
        return pair->value;
    }
    if (buckets == nullptr) {
        buckets = AllocateTable<MapPair>(tableSize);
    }
    MapPair* pair = AcquirePair();
    pair->key = key;
    pair->next = buckets[bucket];
    buckets[bucket] = pair;
    return pair->value;
}

BOOL CMapPtrToPtr::Erase(void* key) {
    if (buckets == nullptr) {
        return FALSE;
    }
    for (MapPair** link = &buckets[BucketOf(key)]; *link != nullptr; link = &(*link)->next) {
        MapPair* pair = *link;
        if (pair->key == key) {
            *link = pair->next;
            ReleasePair(pair);
            return TRUE;
        }
    }
    return FALSE;
}

void CMapPtrToPtr::NextPair(POSITION& position, void*& key, void*& value) const {
    MapPair* current = reinterpret_cast<MapPair*>(position);
    if (position == BeforeFirstPosition()) {
        current = nullptr;
        for (UINT b = 0; buckets != nullptr && b < tableSize && current == nullptr; ++b) {
            current = buckets[b];
        }
    }
    if (current == nullptr) {
        position = nullptr;
        key = nullptr;
        value = nullptr;
        return;
    }
    MapPair* next = current->next;
    for (UINT b = BucketOf(current->key) + 1; next == nullptr && b < tableSize; ++b) {
        next = buckets[b];
    }
    position = reinterpret_cast<POSITION>(next);
    key = current->key;
    value = current->value;
}

// CMapStringToPtr

CMapStringToPtr::CMapStringToPtr(int blockSize) : blockSize(UsableBlockSize(blockSize)) {}

CMapStringToPtr::~CMapStringToPtr() {
    for (UINT b = 0; buckets != nullptr && b < tableSize; ++b) {
        for (StringMapPair* pair = buckets[b]; pair != nullptr; pair = pair->next) {
            pair->key.~CSharedString();
        }
    }
    FreeObjectMemory(buckets);
    FreeNodeBlocks(blocks);
}

UINT CMapStringToPtr::BucketOf(const char* key) const {
    return HashTextKey(key, tableSize);
}

void CMapStringToPtr::SetTableSize(UINT size, BOOL allocateNow) {
    size = UsableTableSize(size);
    StringMapPair** table = allocateNow || count > 0 ? AllocateTable<StringMapPair>(size) : nullptr;
    if (count > 0) {
        for (UINT b = 0; b < tableSize; ++b) {
            for (StringMapPair *pair = buckets[b], *next; pair != nullptr; pair = next) {
                next = pair->next;
                pair->bucket = HashTextKey(pair->key, size);
                pair->next = table[pair->bucket];
                table[pair->bucket] = pair;
            }
        }
    }
    FreeObjectMemory(buckets);
    buckets = table;
    tableSize = size;
}

CMapStringToPtr::StringMapPair* CMapStringToPtr::FindPair(const char* key, UINT& bucket) const {
    if (key == nullptr) {
        key = "";
    }
    bucket = BucketOf(key);
    if (buckets == nullptr) {
        return nullptr;
    }
    for (StringMapPair* pair = buckets[bucket]; pair != nullptr; pair = pair->next) {
        if (strcmp(pair->key, key) == 0) {
            return pair;
        }
    }
    return nullptr;
}

BOOL CMapStringToPtr::FindValue(const char* key, void*& value) const {
    UINT bucket;
    StringMapPair* pair = FindPair(key, bucket);
    if (pair == nullptr) {
        return FALSE;
    }
    value = pair->value;
    return TRUE;
}

BOOL CMapStringToPtr::FindStoredKey(const char* key, const char*& storedKey) const {
    UINT bucket;
    StringMapPair* pair = FindPair(key, bucket);
    if (pair == nullptr) {
        return FALSE;
    }
    storedKey = pair->key;
    return TRUE;
}

void*& CMapStringToPtr::ValueSlot(const char* key) {
    UINT bucket;
    if (StringMapPair* pair = FindPair(key, bucket)) {
        return pair->value;
    }
    if (buckets == nullptr) {
        buckets = AllocateTable<StringMapPair>(tableSize);
    }
    // The key's copy is made before a pair is taken, so a failure changes nothing.
    CSharedString stored;
    stored = key;
    StringMapPair* pair = TakeFreeElement(freePairs, blocks, blockSize);
    ++count;
    new (&pair->key) CSharedString;
    pair->key.Swap(stored);
    pair->bucket = bucket;
    pair->value = nullptr;
    pair->next = buckets[bucket];
    buckets[bucket] = pair;
    return pair->value;
}
