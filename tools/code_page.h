// The code pages a help file's text is stored in: 932 for the Japanese
// character set (128), 1252 for the Western one (0).
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

struct CodePage {
    int number;
    // The bytes that stand for each character the code page holds.
    std::unordered_map<char32_t, std::string> table;
};

// The code page of a help file's character set (0 or 128).
CodePage make_code_page(int charset);

// The text in the code page; where names the place in the sources for the
// message about a character it cannot hold.
std::string encode(const CodePage& page, std::u32string_view text, const std::string& where);

// The code points of a source's UTF-8 bytes; a byte that is no part of
// UTF-8 stops the run with its line, as a replaced one would end up in the
// help file.
std::u32string decode_utf8(const std::string& bytes, const std::string& path);

// Text for messages.
std::string utf8(std::u32string_view text);
