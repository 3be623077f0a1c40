// Code page conversion with the build machine's C library (iconv): the
// writer runs on the build machine and uses nothing of the target's.
#include "code_page.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

#include <iconv.h>

#include "help_file.h"

namespace {

// One iconv conversion, closed when it goes.
class Conversion {
public:
    Conversion(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == iconv_t(-1))
            fail(std::string("iconv: no conversion from ") + from + " to " + to + ": " +
                 std::strerror(errno));
    }
    ~Conversion() { iconv_close(cd_); }
    Conversion(const Conversion&) = delete;
    Conversion& operator=(const Conversion&) = delete;

    // Converts all of in into out (of room enough); false at a sequence it
    // cannot convert, with in_left what was left of in.
    bool convert(const char* in, size_t& in_left, char* out, size_t& out_left) {
        char* ip = const_cast<char*>(in);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return iconv(cd_, &ip, &in_left, &out, &out_left) != size_t(-1);
    }

private:
    iconv_t cd_;
};

// Enters a byte sequence under the one character it decodes to, if any;
// where several sequences decode to one character, the first (lowest) stays.
void decode_into(Conversion& conversion, const std::string& sequence, CodePage& page) {
    char out[16];
    size_t in_left = sequence.size(), out_left = sizeof out;
    if (!conversion.convert(sequence.data(), in_left, out, out_left) || in_left != 0 ||
        sizeof out - out_left != 4)
        return;
    uint32_t c;
    std::memcpy(&c, out, 4);
    page.table.emplace(char32_t(c), sequence);
}

// Lines end at \n, \r\n or a lone \r.
int line_at(const std::string& bytes, size_t offset) {
    int line = 1;
    for (size_t i = 0; i < offset; ++i)
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == offset || bytes[i + 1] != '\n')))
            ++line;
    return line;
}

} // namespace

CodePage make_code_page(int charset) {
    bool double_byte = charset == 128;
    CodePage page{double_byte ? 932 : 1252, {}};
    Conversion conversion("UTF-32LE", double_byte ? "CP932" : "CP1252");
    for (int lead = 0; lead < 256; ++lead) {
        decode_into(conversion, std::string(1, char(lead)), page);
        if (!double_byte || lead < 0x81)
            continue;
        for (int trail = 0x40; trail < 256; ++trail)
            decode_into(conversion, {char(lead), char(trail)}, page);
    }
    if (double_byte) {
        // Bytes iconv leaves undefined but the help engine's code page reads,
        // and characters with a customary place in the code page.
        const std::pair<char32_t, const char*> extra[] = {
            {0x80, "\x80"},       {0xF8F0, "\xA0"},     {0xF8F1, "\xFD"},    {0xF8F2, "\xFE"},
            {0xF8F3, "\xFF"},     {0xA2, "\x81\x91"},   {0xA3, "\x81\x92"},  {0xAC, "\x81\xCA"},
            {0x2016, "\x81\x61"}, {0x2212, "\x81\x7C"}, {0x301C, "\x81\x60"}};
        for (auto [c, bytes] : extra)
            page.table.emplace(c, bytes);
    }
    return page;
}

std::string encode(const CodePage& page, std::u32string_view text, const std::string& where) {
    std::string out;
    for (char32_t c : text) {
        auto found = page.table.find(c);
        if (found == page.table.end()) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", unsigned(c));
            fail(where + ": expected text that code page " + std::to_string(page.number) +
                 " holds; it has no place for " + code + " '" + utf8({&c, 1}) + "'");
        }
        out += found->second;
    }
    return out;
}

std::u32string decode_utf8(const std::string& bytes, const std::string& path) {
    Conversion conversion("UTF-32LE", "UTF-8");
    // No more code points than bytes.
    std::u32string out(bytes.size(), U'\0');
    size_t in_left = bytes.size(), out_left = out.size() * sizeof(char32_t);
    if (!conversion.convert(bytes.data(), in_left, reinterpret_cast<char*>(out.data()), out_left))
        fail(path + ":" + std::to_string(line_at(bytes, bytes.size() - in_left)) +
             ": expected UTF-8 text");
    out.resize(out.size() - out_left / sizeof(char32_t));
    return out;
}

std::string utf8(std::u32string_view text) {
    std::string out;
    for (char32_t c : text) {
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}
