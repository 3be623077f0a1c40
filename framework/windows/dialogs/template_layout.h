// The byte layouts of dialog templates, classic and extended, and the
// helpers that walk them; shared by the files that read and rewrite
// templates, nowhere else.
#pragma once

#include <windows.h>
#include <cstddef>
#include <cstring>

namespace templatelayout {

// The published fixed parts; the variable fields after them are only
// 2-byte aligned, so every field is read and written through memcpy.
static_assert(sizeof(DLGTEMPLATE) == 18);
static_assert(offsetof(DLGTEMPLATE, style) == 0);
static_assert(offsetof(DLGTEMPLATE, cdit) == 8);
static_assert(sizeof(DLGITEMTEMPLATE) == 18);

#pragma pack(push, 2)
struct ExtendedTemplateHeader {
    WORD version;
    WORD signature;
    DWORD helpId;
    DWORD extendedStyle;
    DWORD style;
    WORD itemCount;
    short x;
    short y;
    short cx;
    short cy;
};
struct ExtendedItemHeader {
    DWORD helpId;
    DWORD extendedStyle;
    DWORD style;
    short x;
    short y;
    short cx;
    short cy;
    DWORD id;
};
#pragma pack(pop)
static_assert(sizeof(ExtendedTemplateHeader) == 26);
static_assert(offsetof(ExtendedTemplateHeader, signature) == 2);
static_assert(offsetof(ExtendedTemplateHeader, style) == 12);
static_assert(offsetof(ExtendedTemplateHeader, itemCount) == 16);
static_assert(offsetof(ExtendedTemplateHeader, x) == 18);
static_assert(offsetof(ExtendedTemplateHeader, y) == 20);
static_assert(offsetof(DLGTEMPLATE, x) == 10);
static_assert(offsetof(DLGTEMPLATE, y) == 12);
static_assert(sizeof(ExtendedItemHeader) == 24);

// Room behind a copy for a font block that grows.
constexpr DWORD kSpareBytes = 64;
// Points, weight, italic and character set before an extended face.
constexpr DWORD kExtendedFontAttributes = 6;
constexpr DWORD kClassicFontAttributes = 2;
constexpr int kFaceChars = 32;
static_assert(sizeof(LOGFONTA) == 60);

inline WORD ReadWord(const BYTE* p) {
    WORD value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

inline DWORD ReadDword(const BYTE* p) {
    DWORD value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

inline void WriteWord(BYTE* p, WORD value) {
    std::memcpy(p, &value, sizeof value);
}

struct Layout {
    BOOL extended;
    DWORD styleOffset;
    DWORD style;
    WORD itemCount;
    DWORD headerBytes;
    DWORD itemHeaderBytes;
    DWORD fontAttributeBytes;
};

inline Layout ReadLayout(const BYTE* t) {
    Layout l;
    l.extended = ReadWord(t + offsetof(ExtendedTemplateHeader, signature)) == 0xFFFF;
    if (l.extended) {
        l.styleOffset = offsetof(ExtendedTemplateHeader, style);
        l.itemCount = ReadWord(t + offsetof(ExtendedTemplateHeader, itemCount));
        l.headerBytes = sizeof(ExtendedTemplateHeader);
        l.itemHeaderBytes = sizeof(ExtendedItemHeader);
        l.fontAttributeBytes = kExtendedFontAttributes;
    } else {
        l.styleOffset = offsetof(DLGTEMPLATE, style);
        l.itemCount = ReadWord(t + offsetof(DLGTEMPLATE, cdit));
        l.headerBytes = sizeof(DLGTEMPLATE);
        l.itemHeaderBytes = sizeof(DLGITEMTEMPLATE);
        l.fontAttributeBytes = kClassicFontAttributes;
    }
    l.style = ReadDword(t + l.styleOffset);
    return l;
}

inline const BYTE* SkipString(const BYTE* p) {
    while (ReadWord(p) != 0) {
        p += 2;
    }
    return p + 2;
}

inline const BYTE* SkipNameOrOrdinal(const BYTE* p) {
    return ReadWord(p) == 0xFFFF ? p + 4 : SkipString(p);
}

inline DWORD AlignUp4(DWORD offset) {
    return (offset + 3) & ~DWORD{3};
}

inline const BYTE* Bytes(const DLGTEMPLATE* t) {
    return reinterpret_cast<const BYTE*>(t);
}

// Units of a UTF-16 face, its terminator not counted.
inline DWORD FaceLength(const BYTE* face) {
    return static_cast<DWORD>(SkipString(face) - face) / 2 - 1;
}

class LockedBlock {
public:
    explicit LockedBlock(HGLOBAL block)
        : block(block), bytes(static_cast<BYTE*>(GlobalLock(block))) {}
    ~LockedBlock() { GlobalUnlock(block); }
    LockedBlock(const LockedBlock&) = delete;
    LockedBlock& operator=(const LockedBlock&) = delete;

    HGLOBAL block;
    BYTE* bytes;
};

} // namespace templatelayout
