// Reads a help file in the WinHelp format as the build writes it
// (uncompressed, links whole within their topic block) and checks that its
// parts agree: a file the help engine would stumble over is rejected.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace helpfile {

struct InternalFile {
    uint32_t offset = 0; // of its file header
    uint32_t used = 0;   // bytes after the header
};

struct SystemInfo {
    uint16_t minor = 0;
    uint16_t major = 0;
    uint16_t flags = 0;
    uint32_t genDate = 0;
    std::string title;
    std::string copyright;
    std::string windowCaption;
    uint32_t contents = 0xFFFFFFFF;
    uint16_t locale = 0;
    uint16_t charset = 0xFFFF;
};

struct Topic {
    uint32_t offset = 0;   // the topic offset that maps and contexts name
    uint32_t position = 0; // the topic position of its header link
    std::string title;     // bytes in the file's code page
    std::string text;      // paragraphs, each ended by '\n'
};

struct Link {
    uint32_t position = 0;
    uint32_t fileOffset = 0;
    uint8_t type = 0;
};

struct HelpFile {
    std::map<std::string, InternalFile> directory;
    SystemInfo system;
    std::vector<std::string> faces;
    size_t faceField = 0;
    size_t fonts = 0; // font descriptors, which paragraphs name
    std::vector<Link> links;
    std::vector<Topic> topics;
    std::map<int32_t, uint32_t> contextMap;    // map number -> topic offset
    std::map<int32_t, uint32_t> contextHashes; // name hash -> topic offset
    // The index in the file's order: each keyword and its topics' offsets.
    std::vector<std::pair<std::string, std::vector<uint32_t>>> keywords;

    const Topic* TopicAt(uint32_t offset) const;
};

// The hash under which a context name is stored.
int32_t ContextHash(const std::string& name);

// False, with the reason in `error`, when the bytes are not a sound help file.
bool Parse(const std::vector<uint8_t>& bytes, HelpFile* file, std::string* error);

} // namespace helpfile
