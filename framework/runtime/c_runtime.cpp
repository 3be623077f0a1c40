#include "framework/runtime/c_runtime.h"

#include <windows.h>

// The compiler would turn these loops back into calls of the very
// functions they implement.
#define LUM_PLAIN_LOOPS __attribute__((optimize("no-tree-loop-distribute-patterns")))

namespace crt {

namespace {
// wvsprintfA writes at most this many characters plus the terminator.
constexpr size_t kSystemFormatLimit = 1024;
} // namespace

void* Allocate(size_t size) {
    return HeapAlloc(GetProcessHeap(), 0, size != 0 ? size : 1);
}

void* AllocateZeroed(size_t count, size_t size) {
    if (size != 0 && count > static_cast<size_t>(-1) / size) {
        return nullptr;
    }
    size_t total = count * size;
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, total != 0 ? total : 1);
}

void* Reallocate(void* block, size_t size) {
    if (block == nullptr) {
        return Allocate(size);
    }
    if (size == 0) {
        Release(block);
        return nullptr;
    }
    return HeapReAlloc(GetProcessHeap(), 0, block, size);
}

void Release(void* block) {
    if (block != nullptr) {
        HeapFree(GetProcessHeap(), 0, block);
    }
}

size_t BlockSize(void* block) {
    return block != nullptr ? HeapSize(GetProcessHeap(), 0, block) : static_cast<size_t>(-1);
}

void* ResizeInPlace(void* block, size_t size) {
    if (block == nullptr) {
        return nullptr;
    }
    return HeapReAlloc(GetProcessHeap(), HEAP_REALLOC_IN_PLACE_ONLY, block, size != 0 ? size : 1);
}

LUM_PLAIN_LOOPS void* CopyBytes(void* to, const void* from, size_t count) {
    auto* out = static_cast<unsigned char*>(to);
    const auto* in = static_cast<const unsigned char*>(from);
    for (size_t i = 0; i < count; ++i) {
        out[i] = in[i];
    }
    return to;
}

LUM_PLAIN_LOOPS void* MoveBytes(void* to, const void* from, size_t count) {
    auto* out = static_cast<unsigned char*>(to);
    const auto* in = static_cast<const unsigned char*>(from);
    if (out <= in || out >= in + count) {
        return CopyBytes(to, from, count);
    }
    while (count-- != 0) {
        out[count] = in[count];
    }
    return to;
}

LUM_PLAIN_LOOPS void* FillBytes(void* to, int value, size_t count) {
    auto* out = static_cast<unsigned char*>(to);
    for (size_t i = 0; i < count; ++i) {
        out[i] = static_cast<unsigned char>(value);
    }
    return to;
}

LUM_PLAIN_LOOPS int CompareBytes(const void* left, const void* right, size_t count) {
    const auto* a = static_cast<const unsigned char*>(left);
    const auto* b = static_cast<const unsigned char*>(right);
    for (size_t i = 0; i < count; ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
    }
    return 0;
}

LUM_PLAIN_LOOPS const void* FindByte(const void* from, int value, size_t count) {
    const auto* p = static_cast<const unsigned char*>(from);
    for (size_t i = 0; i < count; ++i) {
        if (p[i] == static_cast<unsigned char>(value)) {
            return p + i;
        }
    }
    return nullptr;
}

LUM_PLAIN_LOOPS size_t TextLength(const char* text) {
    size_t length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    return length;
}

LUM_PLAIN_LOOPS const char* FindChar(const char* text, int value) {
    char wanted = static_cast<char>(value);
    for (;; ++text) {
        if (*text == wanted) {
            return text;
        }
        if (*text == '\0') {
            return nullptr;
        }
    }
}

LUM_PLAIN_LOOPS int CompareText(const char* left, const char* right) {
    const auto* a = reinterpret_cast<const unsigned char*>(left);
    const auto* b = reinterpret_cast<const unsigned char*>(right);
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b ? 0 : (*a < *b ? -1 : 1);
}

// wvsprintfA has no bound of its own: it writes into a buffer of the
// system's limit, and the caller's buffer gets what fits.
int FormatBounded(char* buffer, size_t size, const char* format, va_list args) {
    if (format == nullptr) {
        return -1;
    }
    char whole[kSystemFormatLimit + 1];
    int length = wvsprintfA(whole, format, args);
    if (length < 0) {
        return -1;
    }
    if (size != 0) {
        size_t kept = static_cast<size_t>(length) < size ? static_cast<size_t>(length) : size - 1;
        CopyBytes(buffer, whole, kept);
        buffer[kept] = '\0';
    }
    return length;
}

int FormatText(char* buffer, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int length = FormatBounded(buffer, size, format, args);
    va_end(args);
    return length;
}

} // namespace crt
