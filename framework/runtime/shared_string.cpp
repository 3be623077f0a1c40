#include "framework/runtime/shared_string.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include "framework/runtime/exceptions.h"
#include "framework/runtime/memory.h"
#include "framework/runtime/string_resource.h"

namespace {

struct EmptyTextBlock {
    SharedStringHeader header;
    char terminator[4];
};

// Constant-initialized, so strings made by other static constructors find it.
constinit EmptyTextBlock emptyBlock = {{-1, 0, 0}, {0, 0, 0, 0}};
constinit char* const emptyText = emptyBlock.terminator;

bool IsEmptyHeader(const SharedStringHeader* header) {
    return header == &emptyBlock.header;
}

const char* FindSeparator(const char* p, char separator) {
    while (*p != '\0') {
        if (*p == separator) {
            return p;
        }
        // Steps over a lead byte and its trail byte together.
        p = CharNextA(p);
    }
    return nullptr;
}

} // namespace

static_assert(offsetof(EmptyTextBlock, terminator) == sizeof(SharedStringHeader));

char* const* GetSharedEmptyText() {
    return &emptyText;
}

void ReleaseTextHeader(SharedStringHeader* header) {
    if (header == nullptr || IsEmptyHeader(header)) {
        return;
    }
    if (InterlockedDecrement(&header->references) <= 0) {
        FreeObjectMemory(header);
    }
}

CSharedString::~CSharedString() {
    ReleaseTextHeader(Header());
}

CSharedString::CSharedString(const CSharedString& other) : text(other.text) {
    if (!IsSharedEmpty()) {
        InterlockedIncrement(&Header()->references);
    }
}

CSharedString& CSharedString::operator=(const CSharedString& other) {
    if (text != other.text) {
        CSharedString copy(other);
        Swap(copy);
    }
    return *this;
}

CSharedString& CSharedString::operator=(const char* source) {
    AssignBytes(source != nullptr ? lstrlenA(source) : 0, source);
    return *this;
}

BOOL CSharedString::IsSharedEmpty() const {
    return IsEmptyHeader(Header());
}

BOOL CSharedString::HoldsAddress(const char* p) const {
    auto at = reinterpret_cast<uintptr_t>(p);
    auto begin = reinterpret_cast<uintptr_t>(text);
    return at >= begin && at <= begin + static_cast<uintptr_t>(Header()->capacity);
}

void CSharedString::Swap(CSharedString& other) noexcept {
    char* t = text;
    text = other.text;
    other.text = t;
}

void CSharedString::AllocateText(int n) {
    if (n <= 0) {
        text = emptyText;
        return;
    }
    void* block = AllocateObjectMemory(sizeof(SharedStringHeader) + static_cast<size_t>(n) + 1);
    if (block == nullptr) {
        RaiseMemoryException();
    }
    auto* header = static_cast<SharedStringHeader*>(block);
    header->references = 1;
    header->length = n;
    header->capacity = n;
    header->Characters()[n] = '\0';
    text = header->Characters();
}

void CSharedString::ReleaseText() {
    ReleaseTextHeader(Header());
    text = emptyText;
}

void CSharedString::Clear() {
    if (GetLength() != 0) {
        ReleaseText();
    }
}

void CSharedString::MakeUnique() {
    SharedStringHeader* old = Header();
    if (old->references <= 1) {
        return;
    }
    // Copy while still holding the old block: once our reference is gone,
    // another holder may free it at any moment.
    AllocateText(old->length);
    if (old->length > 0) {
        memcpy(text, old->Characters(), static_cast<size_t>(old->length) + 1);
    }
    ReleaseTextHeader(old);
}

void CSharedString::PrepareForOverwrite(int n) {
    SharedStringHeader* header = Header();
    if (header->references > 1 || n > header->capacity) {
        // Released first: if the allocation throws, the string is empty, not dangling.
        ReleaseText();
        AllocateText(n);
    }
}

void CSharedString::AssignBytes(int n, const char* source) {
    if (n < 0 || source == nullptr) {
        n = 0;
    }
    if (n > 0 && Header()->references > 1 && HoldsAddress(source)) {
        // The source lives in the shared block this string is about to let go.
        CSharedString fresh;
        fresh.AssignBytes(n, source);
        Swap(fresh);
        return;
    }
    PrepareForOverwrite(n);
    if (IsSharedEmpty()) {
        return;
    }
    memmove(text, source, static_cast<size_t>(n));
    Header()->length = n;
    text[n] = '\0';
}

char* CSharedString::OpenBuffer(int minimum) {
    SharedStringHeader* old = Header();
    if (old->references > 1 || minimum > old->capacity) {
        int length = old->length;
        AllocateText(minimum > length ? minimum : length);
        if (!IsSharedEmpty()) {
            memcpy(text, old->Characters(), static_cast<size_t>(length));
            text[length] = '\0';
            Header()->length = length;
        }
        ReleaseTextHeader(old);
    }
    return text;
}

void CSharedString::CloseBuffer(int newLength) {
    MakeUnique();
    if (IsSharedEmpty()) {
        return;
    }
    SharedStringHeader* header = Header();
    if (newLength == -1) {
        // Bounded: a buffer written without a terminator ends at the capacity.
        const void* end = memchr(text, '\0', static_cast<size_t>(header->capacity));
        newLength = end != nullptr ? static_cast<int>(static_cast<const char*>(end) - text)
                                   : header->capacity;
    } else if (newLength < 0 || newLength > header->capacity) {
        newLength = newLength < 0 ? 0 : header->capacity;
    }
    header->length = newLength;
    text[newLength] = '\0';
}

char* CSharedString::OpenBufferWithLength(int n) {
    if (n < 0) {
        n = 0;
    }
    OpenBuffer(n);
    if (!IsSharedEmpty()) {
        Header()->length = n;
        text[n] = '\0';
    }
    return text;
}

BOOL CSharedString::LoadFromResource(UINT id) {
    char buffer[256];
    int n = LoadStringResource(id, buffer, sizeof buffer);
    // The loader cuts at a character boundary, so two free bytes prove the text whole.
    if (static_cast<int>(sizeof buffer) - n > 2) {
        *this = buffer;
        return n > 0;
    }
    int size = sizeof buffer;
    do {
        size += 256;
        n = LoadStringResource(id, OpenBuffer(size - 1), size);
    } while (size - n <= 2);
    CloseBuffer(-1);
    return n > 0;
}

BOOL ExtractDelimitedField(CSharedString& dest, const char* text, int index, char separator) {
    if (text == nullptr) {
        return FALSE;
    }
    const char* p = text;
    for (int i = 0; i < index; ++i) {
        const char* end = FindSeparator(p, separator);
        if (end == nullptr) {
            dest.Clear();
            return FALSE;
        }
        p = end + 1;
    }
    const char* end = FindSeparator(p, separator);
    int length = end != nullptr ? static_cast<int>(end - p) : lstrlenA(p);
    // The text may be the destination's own characters: build apart, then swap.
    CSharedString field;
    CSharedString& target = dest.HoldsAddress(p) ? field : dest;
    memcpy(target.OpenBufferWithLength(length), p, static_cast<size_t>(length));
    if (&target == &field) {
        dest.Swap(field);
    }
    return TRUE;
}

int NarrowToWide(WCHAR* dest, const char* source, int size) {
    if (size == 0 && dest != nullptr) {
        return 0;
    }
    int n = MultiByteToWideChar(CP_ACP, 0, source, -1, dest, size);
    if (n > 0 && dest != nullptr && n <= size) {
        dest[n - 1] = L'\0';
    }
    return n;
}
