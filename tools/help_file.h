// What a help file holds, as read from the readable sources: the text is
// already in the code page of the file's character set. The reader
// (help_source.cpp) makes it, the writer (help_writer.cpp) lays it out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A face name's field in the font file, its end included: the 3.1
// compiler's width, which every engine reads.
constexpr size_t help_face_field = 20;

struct HelpFont {
    std::string face;
    uint8_t halfPoints;
    bool bold;
};

struct HelpSettings {
    std::string title;
    uint32_t date;         // the generation date, seconds since 1970
    std::string copyright; // none when empty
    uint16_t locale;
    uint16_t charset;
    HelpFont body;
    HelpFont heading;
};

struct HelpParagraph {
    bool heading;
    std::string text;
};

// A keyword of the index, and where it sorts: the engine compares
// keywords in the order of the file's locale, not of their bytes.
struct HelpKeyword {
    std::string text;
    std::vector<uint32_t> order;
};

struct HelpTopic {
    std::string path; // the source, for messages
    std::string context;
    int32_t mapId;
    std::string title;
    std::vector<HelpParagraph> paragraphs;
    std::vector<HelpKeyword> keywords;
};

// Ends the run: the message goes to stderr and the status is 1.
struct Failure {
    std::string message;
};

[[noreturn]] inline void fail(std::string message) {
    throw Failure{std::move(message)};
}

// A context name's characters and their values in the engine's hash; -1 for
// a character a name cannot hold.
inline int context_char_value(char32_t c) {
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
