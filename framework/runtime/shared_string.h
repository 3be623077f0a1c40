// Reference-counted 8-bit text in the system's ANSI code page. A string is
// one pointer to the characters of a heap block that starts with a header;
// every empty string shares one static text.
#pragma once

#include <windows.h>

struct SharedStringHeader {
    LONG references; // -1 marks the shared empty text
    int length;
    int capacity;

    char* Characters() { return reinterpret_cast<char*>(this + 1); }
};
static_assert(sizeof(SharedStringHeader) == 12, "three 32-bit fields before the characters");

// Address of the static pointer to the shared empty text.
char* const* GetSharedEmptyText();

// Drops one reference of a detached header and frees the block at the last.
void ReleaseTextHeader(SharedStringHeader* header);

class CSharedString {
public:
    CSharedString() : text(*GetSharedEmptyText()) {}
    ~CSharedString();

    // A copy shares the block; writers copy it first.
    CSharedString(const CSharedString& other);
    CSharedString& operator=(const CSharedString& other);

    CSharedString& operator=(const char* source);

    void AllocateText(int n);
    void ReleaseText();
    void Clear();
    void MakeUnique();
    void PrepareForOverwrite(int n);
    void AssignBytes(int n, const char* source);

    char* OpenBuffer(int minimum);
    void CloseBuffer(int newLength);
    char* OpenBufferWithLength(int n);

    BOOL LoadFromResource(UINT id);

    void Swap(CSharedString& other) noexcept;

    operator const char*() const { return text; }
    int GetLength() const { return Header()->length; }
    SharedStringHeader* Header() const { return reinterpret_cast<SharedStringHeader*>(text) - 1; }
    BOOL IsSharedEmpty() const;
    // Whether p points into this string's block.
    BOOL HoldsAddress(const char* p) const;

private:
    char* text;
};
static_assert(sizeof(CSharedString) == sizeof(char*), "a string is one pointer wide");

// Copies field `index` of `text` (fields end at `separator`) into `dest`.
// Double-byte characters are stepped over whole.
BOOL ExtractDelimitedField(CSharedString& dest, const char* text, int index, char separator);

// ANSI to UTF-16; a cut-off result is still terminated. Returns the
// platform's result (0 on failure, a too small buffer included).
int NarrowToWide(WCHAR* dest, const char* source, int size);
