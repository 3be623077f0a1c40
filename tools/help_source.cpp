#include "help_source.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string_view>

#include "code_page.h"
#include "keyword_order.h"

namespace {

// Longest caption the engine's window record holds, without its end.
constexpr size_t caption_size = 50;
// Longest face name the font file holds, without its end.
constexpr size_t face_size = help_face_field - 1;

// A piece of a source with the line it stands on.
struct Text {
    std::u32string text;
    int line;
};

struct Source {
    std::string path;
    std::map<std::string, Text> header;
    // Each paragraph's lines.
    std::vector<std::vector<Text>> paragraphs;
};

std::string at(const Source& source, const Text& text) {
    return source.path + ":" + std::to_string(text.line);
}

} // namespace

std::string read_source_file(const std::string& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!f)
        fail(path + ": cannot read: " + std::strerror(errno));
    std::string data;
    char buf[8192];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f.get())) > 0)
        data.append(buf, got);
    if (std::ferror(f.get()))
        fail(path + ": cannot read: " + std::strerror(errno));
    return data;
}

namespace {

std::u32string strip(std::u32string_view s) {
    auto blank = [](char32_t c) { return c == U' ' || c == U'\t'; };
    size_t b = 0, e = s.size();
    while (b < e && blank(s[b]))
        ++b;
    while (e > b && blank(s[e - 1]))
        --e;
    return std::u32string(s.substr(b, e - b));
}

// Lines end at \n, \r\n or a lone \r; an empty line closes the last paragraph.
std::vector<std::u32string> split_lines(const std::u32string& text) {
    std::vector<std::u32string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == U'\r' || text[i] == U'\n') {
            if (text[i] == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n')
                ++i;
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    if (!lines.back().empty())
        lines.emplace_back();
    return lines;
}

// Header lines up to the first blank line after one; then paragraphs
// separated by blank lines. Lines starting with "#" are comments.
Source read_source(const std::string& path) {
    Source source{path, {}, {}};
    std::vector<std::u32string> lines = split_lines(decode_utf8(read_source_file(path), path));
    bool in_body = false;
    std::vector<Text> paragraph;
    for (size_t i = 0; i < lines.size(); ++i) {
        Text line{strip(lines[i]), int(i) + 1};
        if (lines[i].starts_with(U'#'))
            continue;
        if (!in_body) {
            size_t colon = line.text.find(U':');
            if (line.text.empty())
                in_body = !source.header.empty();
            else if (colon == std::u32string::npos)
                fail(at(source, line) + ": expected 'key: value', got '" + utf8(line.text) + "'");
            else
                source.header[utf8(strip(line.text.substr(0, colon)))] = {
                    strip(line.text.substr(colon + 1)), line.line};
        } else if (!line.text.empty()) {
            paragraph.push_back(std::move(line));
        } else if (!paragraph.empty()) {
            source.paragraphs.push_back(std::move(paragraph));
            paragraph.clear();
        }
    }
    return source;
}

const Text& require(const Source& source, const std::string& key) {
    auto found = source.header.find(key);
    if (found == source.header.end())
        fail(source.path + ": expected a '" + key + ":' line in the header");
    return found->second;
}

// A decimal number, or a hexadecimal one after "0x".
long parse_number(std::u32string_view text, long min, long max, const std::string& where,
                  const std::string& what) {
    std::string ascii = utf8(text);
    std::string_view digits = ascii;
    bool negative = digits.starts_with('-');
    if (negative)
        digits.remove_prefix(1);
    int base = 10;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        digits.remove_prefix(2);
        base = 16;
    }
    uint32_t magnitude = 0;
    auto [end, error] = std::from_chars(digits.begin(), digits.end(), magnitude, base);
    long value = negative ? -long(magnitude) : long(magnitude);
    if (digits.empty() || error != std::errc() || end != digits.end() || value < min || value > max)
        fail(where + ": expected " + what + " to be a number from " + std::to_string(min) + " to " +
             std::to_string(max) + " (decimal, or hexadecimal after 0x), got '" + ascii + "'");
    return value;
}

long number(const Source& source, const std::string& key, long min, long max) {
    const Text& value = require(source, key);
    return parse_number(value.text, min, max, at(source, value), key);
}

std::string encoded(const CodePage& page, const Source& source, const Text& text) {
    return encode(page, text.text, at(source, text));
}

// "face, points" with ", bold" for a bold face.
HelpFont font(const Source& source, const std::string& key, const CodePage& page) {
    const Text& value = require(source, key);
    std::string where = at(source, value);
    std::vector<std::u32string> parts;
    for (size_t start = 0;;) {
        size_t comma = value.text.find(U',', start);
        parts.push_back(strip(value.text.substr(start, comma - start)));
        if (comma == std::u32string::npos)
            break;
        start = comma + 1;
    }
    bool bold = parts.size() == 3 && parts[2] == U"bold";
    if (parts.size() < 2 || parts.size() > (bold ? 3u : 2u) || parts[0].empty())
        fail(where + ": expected 'face, points' or 'face, points, bold', got '" + utf8(value.text) +
             "'");
    HelpFont font{encode(page, parts[0], where), 0, bold};
    if (font.face.size() > face_size)
        fail(where + ": expected a face name of at most " + std::to_string(face_size) +
             " bytes in code page " + std::to_string(page.number));
    // The font file holds half points in a byte.
    font.halfPoints = uint8_t(2 * parse_number(parts[1], 1, 127, where, "the points"));
    return font;
}

HelpSettings read_settings(const Source& source, const CodePage& page) {
    HelpSettings settings{};
    settings.charset = uint16_t(number(source, "charset", 0, 128));
    settings.locale = uint16_t(number(source, "locale", 0, 0xFFFF));
    settings.title = encoded(page, source, require(source, "title"));
    if (settings.title.size() > caption_size)
        fail(at(source, require(source, "title")) + ": expected a title of at most " +
             std::to_string(caption_size) + " bytes in code page " + std::to_string(page.number) +
             ", as it is the window's caption");
    if (source.header.count("copyright"))
        settings.copyright = encoded(page, source, source.header.at("copyright"));
    settings.body = font(source, "font", page);
    settings.heading = font(source, "heading-font", page);
    return settings;
}

std::string context_name(const Source& source, const Text& name) {
    bool valid = !name.text.empty() && std::all_of(name.text.begin(), name.text.end(), [](auto c) {
        return context_char_value(c) >= 0;
    });
    if (!valid)
        fail(at(source, name) + ": expected a context name of letters, digits, '.', '_' and " +
             "'!', got '" + utf8(name.text) + "'");
    return utf8(name.text);
}

// "keywords: one; two; three", each where the engine sorts it.
std::vector<HelpKeyword> keywords(const Source& source, const CodePage& page) {
    std::vector<HelpKeyword> out;
    auto found = source.header.find("keywords");
    if (found == source.header.end())
        return out;
    const Text& value = found->second;
    for (size_t start = 0; start <= value.text.size();) {
        size_t end = std::min(value.text.find(U';', start), value.text.size());
        std::u32string word = strip(value.text.substr(start, end - start));
        if (word.empty())
            fail(at(source, value) + ": expected keywords separated by ';', got an empty one");
        out.push_back({encode(page, word, at(source, value)), keyword_order(word, page)});
        start = end + 1;
    }
    return out;
}

// "* " opens a heading. The lines of a paragraph are joined with a space in
// a Western text; Japanese runs on without one.
HelpTopic read_topic(const std::string& path, const CodePage& page) {
    Source source = read_source(path);
    HelpTopic topic{path,
                    context_name(source, require(source, "context")),
                    int32_t(number(source, "map", INT32_MIN, INT32_MAX)),
                    encoded(page, source, require(source, "title")),
                    {},
                    keywords(source, page)};
    const bool spaced = page.number != 932;
    for (const auto& lines : source.paragraphs) {
        HelpParagraph paragraph{lines.front().text.starts_with(U"* "), {}};
        for (const Text& line : lines) {
            std::u32string_view text = line.text;
            if (paragraph.heading && &line == &lines.front())
                text.remove_prefix(2);
            if (spaced && &line != &lines.front())
                paragraph.text += ' ';
            paragraph.text += encode(page, text, at(source, line));
        }
        topic.paragraphs.push_back(std::move(paragraph));
    }
    return topic;
}

} // namespace

HelpSources read_help_sources(const std::string& settings_path,
                              std::vector<std::string> topic_paths) {
    Source settings = read_source(settings_path);
    const Text& charset = require(settings, "charset");
    long set = parse_number(charset.text, 0, 128, at(settings, charset), "charset");
    if (set != 0 && set != 128)
        fail(at(settings, charset) +
             ": expected charset 0 (code page 1252) or 128 (code page 932)");
    CodePage page = make_code_page(int(set));
    HelpSources sources{read_settings(settings, page), {}};
    std::sort(topic_paths.begin(), topic_paths.end());
    for (const auto& path : topic_paths)
        sources.topics.push_back(read_topic(path, page));
    return sources;
}
