// Writes the help file the tool opens with F1 from the readable texts in
// resources/help. It runs on the build machine, so it uses the host's C
// library (iconv) for the code page and nothing of the target's.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include <iconv.h>

namespace {

const char usage_text[] = R"(Writes a help file from readable UTF-8 sources.

usage: make_helpfile OUT.HLP SETTINGS.txt TOPIC.txt...

SETTINGS.txt holds "key: value" lines (title, copyright, locale, charset,
font, heading-font). Each TOPIC.txt starts with "context:", "map:" and
"title:" lines; after them, paragraphs are separated by blank lines and a
paragraph whose line starts with "* " is a heading. Lines starting with "#"
are comments. Text is stored in the code page of the charset (932 for 128).

The file is uncompressed. Each topic gets a topic block of its own, so that
its topic offset is the block number alone and no character count of the
text before it has to agree between writer and reader.
)";

constexpr uint32_t file_magic = 0x00035F3F;
constexpr uint16_t btree_magic = 0x293B;
constexpr uint16_t system_magic = 0x036C;
constexpr uint16_t system_minor = 33;
constexpr int topic_block = 4096;
constexpr int block_header = 12;
constexpr int topic_pos_block = 0x4000;
constexpr int link_header = 21;
constexpr int directory_page = 1024;
constexpr int context_page = 2048;
// Space above each paragraph after the title: a small gap, as tried in the engine.
constexpr int space_above = 12;

// Numbers from the sources may be far out of range; they are only checked
// where they are stored, so they are kept wide (and saturated) until then.
using Int = __int128;
constexpr Int int_limit = Int(1) << 100;

// Ends the run: the message goes to stderr and the status is 1.
struct Failure {
    std::string message;
};

[[noreturn]] void fail(std::string message) {
    throw Failure{std::move(message)};
}

// ---- Text: the sources are read as code points, as the checks below count them.

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

std::u32string u32(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

std::string hex(unsigned long value, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*lx", digits, value);
    return buf;
}

std::string decimal(Int value) {
    bool negative = value < 0;
    unsigned __int128 v = negative ? -(unsigned __int128)value : (unsigned __int128)value;
    std::string digits;
    do {
        digits.insert(digits.begin(), char('0' + int(v % 10)));
        v /= 10;
    } while (v);
    return negative ? "-" + digits : digits;
}

// Strict decoding: a bad byte stops the run, as a silently replaced one
// would end up in the help file.
std::u32string decode_utf8(const std::string& bytes) {
    std::u32string out;
    size_t i = 0, n = bytes.size();
    auto byte = [&](size_t k) { return (unsigned char)bytes[k]; };
    while (i < n) {
        unsigned char b = byte(i);
        if (b < 0x80) {
            out += char32_t(b);
            ++i;
            continue;
        }
        int length = b >= 0xC2 && b <= 0xDF   ? 2
                     : b >= 0xE0 && b <= 0xEF ? 3
                     : b >= 0xF0 && b <= 0xF4 ? 4
                                              : 0;
        const char* reason = nullptr;
        size_t good = 1;
        if (!length) {
            reason = "invalid start byte";
        } else {
            for (; good < size_t(length); ++good) {
                if (i + good >= n) {
                    reason = "unexpected end of data";
                    break;
                }
                unsigned char c = byte(i + good);
                unsigned char lo = 0x80, hi = 0xBF;
                if (good == 1) {
                    if (b == 0xE0)
                        lo = 0xA0;
                    else if (b == 0xED)
                        hi = 0x9F;
                    else if (b == 0xF0)
                        lo = 0x90;
                    else if (b == 0xF4)
                        hi = 0x8F;
                }
                if (c < lo || c > hi) {
                    reason = "invalid continuation byte";
                    break;
                }
            }
        }
        if (reason) {
            // Positions count from where the reader's current 8 KiB chunk
            // began, or from the sequence if it was held back for the next.
            const size_t chunk = 8192;
            size_t chunk_start = i - i % chunk;
            size_t at =
                length && (i + good >= chunk_start + chunk || i + good >= n) ? 0 : i - chunk_start;
            std::string where = good == 1
                                    ? "byte 0x" + hex(b, 2) + " in position " + std::to_string(at)
                                    : "bytes in position " + std::to_string(at) + "-" +
                                          std::to_string(at + good - 1);
            fail("UnicodeDecodeError: 'utf-8' codec can't decode " + where + ": " + reason);
        }
        char32_t c = b & (0xFF >> (length + 1));
        for (int k = 1; k < length; ++k)
            c = (c << 6) | (byte(i + k) & 0x3F);
        out += c;
        i += length;
    }
    return out;
}

bool is_space(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || (c >= 0x1C && c <= 0x20) || c == 0x85 || c == 0xA0 ||
           c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

// Unassigned code points are not known here and count as printable.
bool is_printable(char32_t c) {
    if (c < 0x20 || (c >= 0x7F && c <= 0xA0) || c == 0xAD || (c != 0x20 && is_space(c)))
        return false;
    static const std::pair<char32_t, char32_t> hidden[] = {
        {0x600, 0x605},     {0x61C, 0x61C},     {0x6DD, 0x6DD},     {0x70F, 0x70F},
        {0x890, 0x891},     {0x8E2, 0x8E2},     {0x180E, 0x180E},   {0x200B, 0x200F},
        {0x202A, 0x202E},   {0x2060, 0x206F},   {0xE000, 0xF8FF},   {0xFDD0, 0xFDEF},
        {0xFEFF, 0xFEFF},   {0xFFF0, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
        {0x13430, 0x13438}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0000, 0xE0FFF},
        {0xF0000, 0x10FFFF}};
    for (auto [lo, hi] : hidden)
        if (c >= lo && c <= hi)
            return false;
    return (c & 0xFFFE) != 0xFFFE;
}

// A string as the messages quote it: quotes chosen by content, odd characters escaped.
std::u32string quoted32(std::u32string_view s) {
    bool single = s.find(U'\'') != s.npos, dbl = s.find(U'"') != s.npos;
    char32_t quote = single && !dbl ? U'"' : U'\'';
    std::u32string out(1, quote);
    for (char32_t c : s) {
        if (c == quote || c == U'\\') {
            out += U'\\';
            out += c;
        } else if (c == U'\t') {
            out += u32("\\t");
        } else if (c == U'\n') {
            out += u32("\\n");
        } else if (c == U'\r') {
            out += u32("\\r");
        } else if (c < 0x7F && c >= 0x20) {
            out += c;
        } else if (c >= 0x7F && is_printable(c)) {
            out += c;
        } else if (c <= 0xFF) {
            out += u32("\\x" + hex(c, 2));
        } else if (c <= 0xFFFF) {
            out += u32("\\u" + hex(c, 4));
        } else {
            out += u32("\\U" + hex(c, 8));
        }
    }
    return out + quote;
}

std::string quoted(std::u32string_view s) {
    return utf8(quoted32(s));
}

std::u32string strip(std::u32string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && is_space(s[b]))
        ++b;
    while (e > b && is_space(s[e - 1]))
        --e;
    return std::u32string(s.substr(b, e - b));
}

bool blank(std::u32string_view s) {
    return strip(s).empty();
}

bool starts_with(std::u32string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), s.begin());
}

// Digits of any script count, as the sources may be typed in full width.
int digit_value(char32_t c) {
    static const char32_t zeros[] = {
        0x30,    0x660,   0x6f0,   0x7c0,   0x966,   0x9e6,   0xa66,   0xae6,   0xb66,   0xbe6,
        0xc66,   0xce6,   0xd66,   0xde6,   0xe50,   0xed0,   0xf20,   0x1040,  0x1090,  0x17e0,
        0x1810,  0x1946,  0x19d0,  0x1a80,  0x1a90,  0x1b50,  0x1bb0,  0x1c40,  0x1c50,  0xa620,
        0xa8d0,  0xa900,  0xa9d0,  0xa9f0,  0xaa50,  0xabf0,  0xff10,  0x104a0, 0x10d30, 0x11066,
        0x110f0, 0x11136, 0x111d0, 0x112f0, 0x11450, 0x114d0, 0x11650, 0x116c0, 0x11730, 0x118e0,
        0x11950, 0x11c50, 0x11d50, 0x11da0, 0x16a60, 0x16ac0, 0x16b50, 0x1d7ce, 0x1d7d8, 0x1d7e2,
        0x1d7ec, 0x1d7f6, 0x1e140, 0x1e2f0, 0x1e950, 0x1fbf0};
    for (char32_t zero : zeros)
        if (c >= zero && c <= zero + 9)
            return int(c - zero);
    if (c >= U'a' && c <= U'z')
        return int(c - U'a') + 10;
    if (c >= U'A' && c <= U'Z')
        return int(c - U'A') + 10;
    return -1;
}

// Base 0 takes 0x, 0o and 0b prefixes and rejects other leading zeros;
// single underscores may group digits.
Int parse_int(std::u32string_view text, int base) {
    auto invalid = [&]() -> Int {
        fail("ValueError: invalid literal for int() with base " + std::to_string(base) + ": " +
             utf8(quoted32(text).substr(0, 200)));
    };
    std::u32string s = strip(text);
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == U'+' || s[i] == U'-'))
        negative = s[i++] == U'-';
    int radix = base;
    bool zeros_only = false, prefixed = false;
    if (base == 0) {
        radix = 10;
        if (i < s.size() && s[i] == U'0') {
            char32_t p = i + 1 < s.size() ? s[i + 1] : 0;
            if (p == U'x' || p == U'X')
                radix = 16;
            else if (p == U'o' || p == U'O')
                radix = 8;
            else if (p == U'b' || p == U'B')
                radix = 2;
            else
                zeros_only = true;
            if (radix != 10) {
                i += 2;
                prefixed = true;
            }
        }
    }
    if (prefixed && i < s.size() && s[i] == U'_')
        ++i;
    Int value = 0;
    bool any = false, after_underscore = false;
    for (; i < s.size(); ++i) {
        if (s[i] == U'_') {
            if (!any || after_underscore)
                return invalid();
            after_underscore = true;
            continue;
        }
        int d = digit_value(s[i]);
        // Only the ASCII letters are digits above nine.
        if (d < 0 || d >= radix || (d >= 10 && s[i] > 0x7F))
            return invalid();
        if (zeros_only && d != 0)
            return invalid();
        value = std::min(value * radix + d, int_limit);
        any = true;
        after_underscore = false;
    }
    if (!any || after_underscore)
        return invalid();
    return negative ? -value : value;
}

// ---- Code pages.

// A code page's encoder, made by decoding every byte sequence with iconv:
// where several sequences decode to one character, the lowest is written.
struct CodePage {
    std::string codec;  // as the messages name it
    std::string reason; // why a character cannot be written
    bool runs = false;  // a message covers a run of such characters
    std::unordered_map<char32_t, std::string> table;
};

void decode_into(iconv_t cd, const std::string& sequence, CodePage& page) {
    char in[2], out[16];
    std::memcpy(in, sequence.data(), sequence.size());
    char* ip = in;
    char* op = out;
    size_t il = sequence.size(), ol = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1) || il != 0 || op - out != 4)
        return;
    uint32_t c;
    std::memcpy(&c, out, 4);
    page.table.emplace(char32_t(c), sequence);
}

CodePage make_code_page(int charset) {
    CodePage page;
    bool double_byte = charset == 128;
    page.codec = double_byte ? "cp932" : "charmap";
    page.reason = double_byte ? "illegal multibyte sequence" : "character maps to <undefined>";
    page.runs = !double_byte;
    const char* name = double_byte ? "CP932" : "CP1252";
    iconv_t cd = iconv_open("UTF-32LE", name);
    if (cd == iconv_t(-1))
        fail(std::string("iconv: no conversion from ") + name + ": " + std::strerror(errno));
    for (int lead = 0; lead < 256; ++lead) {
        decode_into(cd, std::string(1, char(lead)), page);
        if (!double_byte || lead < 0x81)
            continue;
        for (int trail = 0x40; trail < 256; ++trail)
            decode_into(cd, {char(lead), char(trail)}, page);
    }
    iconv_close(cd);
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

std::string encode(const CodePage& page, std::u32string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        auto found = page.table.find(text[i]);
        if (found != page.table.end()) {
            out += found->second;
            continue;
        }
        size_t end = i + 1;
        while (page.runs && end < text.size() && !page.table.count(text[end]))
            ++end;
        std::string what;
        if (end == i + 1) {
            char32_t c = text[i];
            std::string escaped = c <= 0xFF     ? "\\x" + hex(c, 2)
                                  : c <= 0xFFFF ? "\\u" + hex(c, 4)
                                                : "\\U" + hex(c, 8);
            what = "character '" + escaped + "' in position " + std::to_string(i);
        } else {
            what = "characters in position " + std::to_string(i) + "-" + std::to_string(end - 1);
        }
        fail("UnicodeEncodeError: '" + page.codec + "' codec can't encode " + what + ": " +
             page.reason);
    }
    return out;
}

// ---- Files.

std::string quoted_path(const std::string& path) {
    try {
        return quoted(decode_utf8(path));
    } catch (const Failure&) {
        return "'" + path + "'";
    }
}

std::string os_error(int error, const std::string& path) {
    const char* kind = error == ENOENT                     ? "FileNotFoundError"
                       : error == EACCES || error == EPERM ? "PermissionError"
                       : error == EISDIR                   ? "IsADirectoryError"
                       : error == ENOTDIR                  ? "NotADirectoryError"
                                                           : "OSError";
    return std::string(kind) + ": [Errno " + std::to_string(error) + "] " + std::strerror(error) +
           ": " + quoted_path(path);
}

std::string read_file(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        fail(os_error(errno, path));
    std::string data;
    char buf[8192];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0)
        data.append(buf, got);
    int error = std::ferror(f) ? errno : 0;
    std::fclose(f);
    if (error)
        fail(os_error(error, path));
    return data;
}

struct Source {
    std::map<std::u32string, std::u32string> header;
    std::vector<std::u32string> paragraphs;
};

// Returns the "key: value" header and the paragraphs of a source.
Source read_source(const std::string& path) {
    std::u32string text = decode_utf8(read_file(path));
    // Lines end at \n, \r\n or a lone \r.
    std::vector<std::u32string> lines;
    std::u32string line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == U'\r' || text[i] == U'\n') {
            if (text[i] == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n')
                ++i;
            lines.push_back(std::move(line));
            line.clear();
        } else {
            line += text[i];
        }
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    lines.emplace_back();

    Source source;
    std::u32string current;
    bool in_body = false, in_paragraph = false;
    for (const auto& l : lines) {
        if (starts_with(l, "#"))
            continue;
        if (!in_body) {
            if (blank(l)) {
                in_body = !source.header.empty();
                continue;
            }
            size_t colon = l.find(U':');
            if (colon == l.npos)
                fail(path + ": expected 'key: value', got " + quoted(l));
            source.header[strip(l.substr(0, colon))] = strip(l.substr(colon + 1));
            continue;
        }
        if (blank(l)) {
            if (in_paragraph) {
                source.paragraphs.push_back(std::move(current));
                current.clear();
                in_paragraph = false;
            }
        } else {
            current += strip(l);
            in_paragraph = true;
        }
    }
    return source;
}

const std::u32string& get(const std::map<std::u32string, std::u32string>& map,
                          std::string_view key) {
    auto found = map.find(u32(key));
    if (found == map.end())
        fail("KeyError: " + quoted(u32(key)));
    return found->second;
}

// ---- Packing, little-endian.

using Bytes = std::string;

void put(Bytes& out, uint64_t value, int size) {
    for (int i = 0; i < size; ++i)
        out += char((value >> (8 * i)) & 0xFF);
}

void put_fixed(Bytes& out, std::string_view text, size_t size) {
    Bytes field(text.substr(0, size));
    field.resize(size, '\0');
    out += field;
}

// Numbers from the sources are checked against their field before they are stored.
void put_checked(Bytes& out, Int value, char format) {
    if (value < INT64_MIN || value > INT64_MAX || (format == 'I' && value < 0))
        fail("struct.error: argument out of range");
    const char* range = nullptr;
    int size = 0;
    if (format == 'B' && (value < 0 || value > 0xFF)) {
        range = "ubyte format requires 0 <= number <= 255";
    } else if (format == 'H' && (value < 0 || value > 0xFFFF)) {
        range = "ushort format requires 0 <= number <= 65535";
    } else if (format == 'i' && (value < INT32_MIN || value > INT32_MAX)) {
        range = "'i' format requires -2147483648 <= number <= 2147483647";
    } else if (format == 'I' && value > UINT32_MAX) {
        range = "'I' format requires 0 <= number <= 4294967295";
    }
    if (range)
        fail(std::string("struct.error: ") + range);
    size = format == 'B' ? 1 : format == 'H' ? 2 : 4;
    put(out, uint64_t(int64_t(value)), size);
}

Bytes file_header(const Bytes& data) {
    // Reserved space, used space, flags: the space includes this header.
    Bytes out;
    put(out, data.size() + 9, 4);
    put(out, data.size(), 4);
    put(out, 4, 1);
    return out + data;
}

// A B+ tree of one leaf page; entries are already encoded and sorted.
Bytes btree(const std::string& structure, uint16_t flags, int page_size,
            const std::vector<Bytes>& entries) {
    Bytes body;
    for (const auto& e : entries)
        body += e;
    long free = long(page_size) - 8 - long(body.size());
    if (free < 0)
        fail("B+ tree " + structure + ": entries do not fit one page");
    Bytes out;
    put(out, btree_magic, 2);
    put(out, flags, 2);
    put(out, page_size, 2);
    put_fixed(out, structure, 16);
    for (int v : {0, 0, 0, -1, 1, 1})
        put(out, uint16_t(v), 2);
    put(out, uint32_t(entries.size()), 4);
    put(out, free, 2);
    put(out, entries.size(), 2);
    put(out, 0xFFFF, 2);
    put(out, 0xFFFF, 2);
    return out + body + Bytes(free, '\0');
}

Bytes compressed_ushort(Int value) {
    Bytes out;
    if (value < 0x80)
        put(out, uint64_t(value * 2), 1);
    else
        put_checked(out, value * 2 + 1, 'H');
    return out;
}

Bytes compressed_ulong(Int value) {
    Bytes out;
    if (value < 0x8000)
        put(out, uint64_t(value * 2), 2);
    else
        put_checked(out, value * 2 + 1, 'I');
    return out;
}

Bytes compressed_short(int value) {
    Bytes out;
    if (value >= -0x40 && value < 0x40)
        put(out, uint64_t((value + 0x40) * 2), 1);
    else
        put(out, uint64_t((value + 0x4000) * 2 + 1), 2);
    return out;
}

struct FontSpec {
    std::u32string face;
    Int points;
    bool bold;
};

FontSpec font_spec(std::u32string_view text) {
    std::vector<std::u32string> parts;
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(U',', start);
        parts.push_back(strip(text.substr(start, comma - start)));
        if (comma == text.npos)
            break;
        start = comma + 1;
    }
    if (parts.size() < 2)
        fail("IndexError: list index out of range");
    Int points = parse_int(parts[1], 10);
    bool bold = std::find(parts.begin() + 2, parts.end(), u32("bold")) != parts.end();
    return {parts[0], points, bold};
}

struct Paragraph {
    int font;
    Bytes text;
};

struct Topic {
    std::u32string context;
    Int map_id;
    Bytes title;
    std::vector<Paragraph> paragraphs;
};

Topic read_topic(const std::string& path, const CodePage& page) {
    Source source = read_source(path);
    for (const char* key : {"context", "map", "title"})
        if (!source.header.count(u32(key)))
            fail(path + ": no " + key);
    Topic topic;
    topic.context = get(source.header, "context");
    topic.map_id = parse_int(get(source.header, "map"), 0);
    topic.title = encode(page, get(source.header, "title"));
    // The title opens the text as a heading; "* " marks further headings.
    topic.paragraphs.push_back({1, topic.title});
    for (const auto& p : source.paragraphs) {
        bool heading = starts_with(p, "* ");
        topic.paragraphs.push_back(
            {heading ? 1 : 0, encode(page, heading ? std::u32string_view(p).substr(2) : p)});
    }
    return topic;
}

Bytes topic_link(int record_type, int32_t prev_pos, int32_t next_pos, const Bytes& data1,
                 const Bytes& data2) {
    Bytes out;
    put(out, uint32_t(link_header + data1.size() + data2.size()), 4);
    put(out, uint32_t(data2.size()), 4);
    put(out, uint32_t(prev_pos), 4);
    put(out, uint32_t(next_pos), 4);
    put(out, uint32_t(link_header + data1.size()), 4);
    put(out, uint8_t(record_type), 1);
    return out + data1 + data2;
}

// Type 0x20 record: paragraph header, then the font, the text, the end.
std::pair<Bytes, Bytes> paragraph_data(int font, const Bytes& text, int space) {
    Bytes commands = "\x80";
    put(commands, uint16_t(font), 2);
    commands += "\x82\xff";
    // One string before each command but the last: none before the font.
    Bytes data2 = Bytes(1, '\0') + text + Bytes(1, '\0');
    uint16_t bits = 0;
    Bytes fields;
    if (space) {
        bits = 0x0002;
        fields = compressed_short(space);
    }
    Bytes data1 = compressed_ulong(Int(data2.size()));
    data1 += compressed_ushort(Int(text.size()));
    data1 += Bytes("\x00\x80", 2);
    put(data1, 0, 2);
    put(data1, bits, 2);
    return {data1 + fields + commands, data2};
}

// Positions count 0x4000 per block, whatever the block size.
int32_t topic_pos(int block, int offset) {
    return block * topic_pos_block + offset;
}

struct Record {
    int kind;
    std::pair<Bytes, Bytes> data;
};

struct Layout {
    std::vector<Record> records;
    std::vector<int32_t> positions;
    std::vector<int> sizes;
};

// Returns the |TOPIC data; each topic's topic offset is its block shifted by 15.
Bytes build_topic_file(const std::vector<Topic>& topics) {
    // Lay out each block's links first to know every position.
    std::vector<Layout> layouts;
    for (size_t block = 0; block < topics.size(); ++block) {
        const Topic& topic = topics[block];
        Layout layout;
        layout.records.push_back({2, {}});
        for (size_t i = 0; i < topic.paragraphs.size(); ++i) {
            const auto& [font, text] = topic.paragraphs[i];
            layout.records.push_back({0x20, paragraph_data(font, text, i ? space_above : 0)});
        }
        int offset = block_header;
        for (const auto& [kind, data] : layout.records) {
            int size = kind == 2 ? link_header + 28 + int(topic.title.size())
                                 : link_header + int(data.first.size() + data.second.size());
            layout.positions.push_back(topic_pos(int(block), offset));
            layout.sizes.push_back(size);
            offset += size;
        }
        if (offset > topic_block)
            fail("topic " + utf8(topic.context) + " does not fit one topic block");
        layouts.push_back(std::move(layout));
    }

    Bytes out;
    for (size_t block = 0; block < topics.size(); ++block) {
        const Topic& topic = topics[block];
        const Layout& layout = layouts[block];
        bool last = block + 1 == topics.size();
        int32_t next_topic = last ? -1 : layouts[block + 1].positions.front();
        int32_t prev_block_last = block == 0 ? -1 : layouts[block - 1].positions.back();
        int32_t prev_header = block == 0 ? -1 : layouts[block - 1].positions.front();
        Bytes data;
        for (int32_t v : {prev_block_last, layout.positions.front(), prev_header})
            put(data, uint32_t(v), 4);
        const auto& positions = layout.positions;
        for (size_t i = 0; i < layout.records.size(); ++i) {
            const auto& [kind, payload] = layout.records[i];
            int32_t prev_pos = i ? positions[i - 1] : prev_block_last;
            int32_t next_pos = i + 1 < layout.records.size() ? positions[i + 1] : next_topic;
            if (kind == 2) {
                int32_t total = 0;
                for (int s : layout.sizes)
                    total += s;
                int32_t browse_back = block == 0 ? -1 : int32_t((block - 1) << 15);
                int32_t browse_forward = last ? -1 : int32_t((block + 1) << 15);
                int32_t scroll = positions.size() > 1 ? positions[1] : -1;
                Bytes header;
                for (int32_t v :
                     {total, browse_back, browse_forward, int32_t(block), -1, scroll, next_topic})
                    put(header, uint32_t(v), 4);
                data += topic_link(2, prev_pos, next_pos, header, topic.title);
            } else {
                data += topic_link(0x20, prev_pos, next_pos, payload.first, payload.second);
            }
        }
        if (!last)
            data.resize(std::max<size_t>(data.size(), topic_block), '\0');
        out += data;
    }
    return out;
}

Bytes system_record(int kind, const Bytes& data) {
    Bytes out;
    put(out, uint16_t(kind), 2);
    put_checked(out, Int(data.size()), 'H');
    return out + data;
}

using Settings = std::map<std::u32string, std::u32string>;

Bytes build_system(const Settings& settings, const CodePage& page, uint32_t first_topic) {
    Bytes data;
    put(data, system_magic, 2);
    put(data, system_minor, 2);
    put(data, 1, 2);
    put(data, 0, 4);
    put(data, 0, 2);
    data += system_record(1, encode(page, get(settings, "title")) + Bytes(1, '\0'));
    if (settings.count(u32("copyright")))
        data += system_record(2, encode(page, get(settings, "copyright")) + Bytes(1, '\0'));
    Bytes first;
    put(first, first_topic, 4);
    data += system_record(3, first);
    // The main window's caption: without it the engine shows its own name.
    Bytes caption = encode(page, get(settings, "title"));
    if (caption.size() > 50)
        fail("title too long for the window caption");
    Bytes window;
    put(window, 0x0007, 2);
    put_fixed(window, "main", 10);
    put_fixed(window, "main", 9);
    put_fixed(window, caption, 51);
    put(window, 0, 10);
    window += "\xff\xff\xff";
    window += Bytes(1, '\0');
    window += "\xff\xff\xff";
    window += Bytes(1, '\0');
    data += system_record(6, window);
    Int locale = parse_int(get(settings, "locale"), 0);
    Bytes language;
    put(language, 0, 8);
    put_checked(language, locale, 'H');
    data += system_record(9, language);
    Bytes charset;
    put_checked(charset, parse_int(get(settings, "charset"), 0), 'H');
    data += system_record(11, charset);
    return data;
}

Bytes build_font(const Settings& settings, const CodePage& page) {
    std::vector<FontSpec> fonts;
    fonts.push_back(font_spec(get(settings, "font")));
    fonts.push_back(font_spec(get(settings, "heading-font")));
    std::vector<std::u32string> faces;
    for (const auto& f : fonts)
        if (std::find(faces.begin(), faces.end(), f.face) == faces.end())
            faces.push_back(f.face);
    const size_t face_size = 32;
    Bytes names;
    for (const auto& face : faces) {
        Bytes raw = encode(page, face);
        if (raw.size() >= face_size)
            fail("font face " + quoted(face) + " too long");
        put_fixed(names, raw, face_size);
    }
    const int head_size = 8;
    Bytes data;
    put(data, faces.size(), 2);
    put(data, fonts.size(), 2);
    put(data, head_size, 2);
    put(data, head_size + names.size(), 2);
    data += names;
    for (const auto& f : fonts) {
        // Attributes, half points, family (3: swiss), face index, colors.
        put(data, f.bold ? 1 : 0, 1);
        put_checked(data, f.points * 2, 'B');
        put(data, 3, 1);
        put(data, std::find(faces.begin(), faces.end(), f.face) - faces.begin(), 2);
        data += Bytes(3, '\0');
        data += "\xff\xff\xff";
    }
    return data;
}

// Context-name hash values of the characters a name may use.
int context_char(char32_t c) {
    if (c == U'!')
        return 0x0B;
    if (c == U'.')
        return 0x0C;
    if (c == U'_')
        return 0x0D;
    if (c == U'0')
        return 0x0A;
    if (c >= U'1' && c <= U'9')
        return int(c - U'0');
    if (c >= U'A' && c <= U'Z')
        return 0x11 + int(c - U'A');
    if (c >= U'a' && c <= U'z')
        return 0x11 + int(c - U'a');
    return -1;
}

int32_t context_hash(const std::u32string& name) {
    uint32_t value = 0;
    for (char32_t c : name) {
        int v = context_char(c);
        if (v < 0)
            fail("context name " + quoted(name) + ": character " + quoted(std::u32string(1, c)) +
                 " not allowed");
        value = value * 43 + uint32_t(v);
    }
    // Stored and sorted as a signed long.
    return int32_t(value);
}

Bytes build_context(const std::vector<Topic>& topics, const std::vector<uint32_t>& offsets) {
    std::vector<std::pair<int32_t, uint32_t>> entries;
    for (size_t i = 0; i < topics.size(); ++i)
        entries.emplace_back(context_hash(topics[i].context), offsets[i]);
    std::sort(entries.begin(), entries.end());
    for (size_t i = 1; i < entries.size(); ++i)
        if (entries[i].first == entries[i - 1].first)
            fail("two context names share a hash value");
    std::vector<Bytes> encoded;
    for (auto [hash, offset] : entries) {
        Bytes e;
        put(e, uint32_t(hash), 4);
        put(e, offset, 4);
        encoded.push_back(e);
    }
    return btree("L4", 0x0002, context_page, encoded);
}

Bytes build_ctxomap(const std::vector<Topic>& topics, const std::vector<uint32_t>& offsets) {
    std::vector<std::pair<Int, uint32_t>> entries;
    for (size_t i = 0; i < topics.size(); ++i)
        entries.emplace_back(topics[i].map_id, offsets[i]);
    std::sort(entries.begin(), entries.end());
    Bytes data;
    put_checked(data, Int(entries.size()), 'H');
    for (auto [map_id, offset] : entries) {
        put_checked(data, map_id, 'i');
        put(data, offset, 4);
    }
    return data;
}

// Header, the internal files in the given order, the directory last.
Bytes assemble(const std::vector<std::pair<std::string, Bytes>>& files) {
    Bytes out(16, '\0');
    std::vector<std::pair<std::string, uint32_t>> directory;
    for (const auto& [name, data] : files) {
        directory.emplace_back(name, uint32_t(out.size()));
        out += file_header(data);
    }
    std::sort(directory.begin(), directory.end());
    std::vector<Bytes> entries;
    for (const auto& [name, offset] : directory) {
        Bytes e = name + Bytes(1, '\0');
        put(e, offset, 4);
        entries.push_back(e);
    }
    uint32_t directory_start = uint32_t(out.size());
    out += file_header(btree("z4", 0x0402, directory_page, entries));
    Bytes head;
    put(head, file_magic, 4);
    put(head, directory_start, 4);
    put(head, 0xFFFFFFFF, 4);
    put(head, out.size(), 4);
    out.replace(0, head.size(), head);
    return out;
}

void write_file(const std::string& path, const Bytes& data) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        fail(os_error(errno, path));
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    int error = errno;
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok)
        fail(os_error(error, path));
}

void run(int argc, char** argv) {
    if (argc < 4)
        fail(usage_text);
    std::string out_path = argv[1], settings_path = argv[2];
    std::vector<std::string> topic_paths(argv + 3, argv + argc);
    std::sort(topic_paths.begin(), topic_paths.end());
    Settings settings = read_source(settings_path).header;
    Int charset = parse_int(get(settings, "charset"), 0);
    if (charset != 128 && charset != 0)
        fail("KeyError: " + decimal(charset));
    CodePage page = make_code_page(int(charset));
    std::vector<Topic> topics;
    for (const auto& path : topic_paths)
        topics.push_back(read_topic(path, page));
    Bytes topic_data = build_topic_file(topics);
    std::vector<uint32_t> offsets;
    for (size_t block = 0; block < topics.size(); ++block)
        offsets.push_back(uint32_t(block << 15));
    std::vector<std::pair<std::string, Bytes>> files;
    files.emplace_back("|SYSTEM", build_system(settings, page, offsets[0]));
    files.emplace_back("|TOPIC", std::move(topic_data));
    files.emplace_back("|FONT", build_font(settings, page));
    files.emplace_back("|CONTEXT", build_context(topics, offsets));
    files.emplace_back("|CTXOMAP", build_ctxomap(topics, offsets));
    write_file(out_path, assemble(files));
}

} // namespace

int main(int argc, char** argv) {
    try {
        run(argc, argv);
    } catch (const Failure& failure) {
        std::string line = failure.message + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
        return 1;
    }
    return 0;
}
