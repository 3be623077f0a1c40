// Where a keyword sorts in the index. The help engine finds keywords by
// comparing them as the system compares strings for the file's locale,
// ignoring case: Latin letters before kana before kanji; kana by their
// syllable first (hiragana, katakana and half-width forms alike), voicing,
// kind and width only where the syllables agree; kanji in the order of
// the Japanese code page, which is their reading order for the common ones.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "code_page.h"

// Compared as a sequence, the weights order keywords as the engine does.
std::vector<uint32_t> keyword_order(std::u32string_view keyword, const CodePage& page);
