// Dialog templates in memory: walking the classic and extended layouts, and
// an editable copy whose font can be replaced by the system's GUI font.
#pragma once

#include <windows.h>
#include "framework/runtime/shared_string.h"

class CTemplateCopy {
public:
    explicit CTemplateCopy(const DLGTEMPLATE* source = nullptr);
    ~CTemplateCopy();
    CTemplateCopy(const CTemplateCopy&) = delete;
    CTemplateCopy& operator=(const CTemplateCopy&) = delete;

    BOOL CopyTemplate(const DLGTEMPLATE* source, DWORD bytes);
    // Hands the block over; the receiver unlocks and frees it.
    HGLOBAL ReleaseHandle();
    // `face` is ANSI text of at most 31 characters.
    BOOL ReplaceFont(const char* face, WORD pointSize);
    // A point size of 0 takes the GUI font's own size.
    BOOL UseSystemFont(WORD pointSize);
    // An extended copy is rewritten in the classic layout; FALSE when out of memory.
    BOOL MakeClassic();

    // FALSE, leaving the outputs alone, when the template names no font.
    static BOOL ReadTemplateFont(const DLGTEMPLATE* source, CSharedString& face, WORD& pointSize);
    static DWORD MeasureTemplate(const DLGTEMPLATE* source);
    static const BYTE* LocateFontBlock(const DLGTEMPLATE* source);

    HGLOBAL block = nullptr;
    DWORD size = 0;
    BOOL usesSystemFont = FALSE;
};

// Where the template places the dialog: its style and x, y, from either layout.
struct TemplatePlacement {
    DWORD style;
    SHORT x;
    SHORT y;
};
TemplatePlacement ReadTemplatePlacement(const DLGTEMPLATE* source);

// The font rule of dialog creation: TRUE when the dialog is to be made from
// a copy with the system font, at *pointSize (0: the font's own size).
BOOL NeedsSystemFont(const DLGTEMPLATE* source, WORD* pointSize);

inline bool IsExtendedTemplate(const DLGTEMPLATE* source) {
    return reinterpret_cast<const WORD*>(source)[1] == 0xFFFF;
}
// The same rule with the system's double-byte support given.
BOOL NeedsSystemFont(const DLGTEMPLATE* source, BOOL doubleByteSystem, WORD* pointSize);
