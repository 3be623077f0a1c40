#include "helpfile/help_reader.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <stdexcept>

namespace helpfile {

namespace {

constexpr uint32_t kFileMagic = 0x00035F3F;
constexpr uint16_t kTreeMagic = 0x293B;
constexpr uint16_t kSystemMagic = 0x036C;
constexpr uint32_t kTopicBlock = 4096;
constexpr uint32_t kBlockHeader = 12;
constexpr uint32_t kPositionsPerBlock = 0x4000;
constexpr uint32_t kLinkHeader = 21;
constexpr uint32_t kNone = 0xFFFFFFFF;

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& why) {
    throw Failure(why);
}

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

// A bounds-checked view of part of the file.
class Cursor {
public:
    Cursor(const uint8_t* data, size_t size, const char* what)
        : data(data), size(size), what(what) {}

    void Need(size_t count) const {
        if (count > size - at) {
            Fail(std::string(what) + ": ends early at " + std::to_string(at));
        }
    }
    uint8_t U8() {
        Need(1);
        return data[at++];
    }
    uint16_t U16() {
        Need(2);
        uint16_t v = static_cast<uint16_t>(data[at] | data[at + 1] << 8);
        at += 2;
        return v;
    }
    uint32_t U32() {
        Need(4);
        uint32_t v = 0;
        std::memcpy(&v, data + at, 4);
        at += 4;
        return v;
    }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    int16_t I16() { return static_cast<int16_t>(U16()); }
    std::string Bytes(size_t count) {
        Need(count);
        std::string s(reinterpret_cast<const char*>(data + at), count);
        at += count;
        return s;
    }
    // A NUL-terminated string.
    std::string Text() {
        size_t end = at;
        while (end < size && data[end] != 0) {
            ++end;
        }
        if (end == size) {
            Fail(std::string(what) + ": unterminated text");
        }
        std::string s(reinterpret_cast<const char*>(data + at), end - at);
        at = end + 1;
        return s;
    }
    // Fixed-size field holding NUL-padded text.
    std::string Field(size_t count) {
        std::string s = Bytes(count);
        return s.substr(0, s.find('\0'));
    }
    // The format's compressed integers: the low bit says one or two units.
    uint32_t CompressedUShort() {
        Need(1);
        if ((data[at] & 1) == 0) {
            return U8() / 2u;
        }
        return U16() / 2u;
    }
    int32_t CompressedShort() {
        Need(1);
        if ((data[at] & 1) == 0) {
            return U8() / 2 - 0x40;
        }
        return U16() / 2 - 0x4000;
    }
    uint32_t CompressedULong() {
        Need(2);
        if ((data[at] & 1) == 0) {
            return U16() / 2u;
        }
        return U32() / 2u;
    }
    bool AtEnd() const { return at == size; }

    const uint8_t* data;
    size_t size;
    size_t at = 0;
    const char* what;
};

struct Bytes {
    const std::vector<uint8_t>& all;

    // An internal file's contents, after its header.
    Cursor Open(uint32_t offset, const char* what) const {
        if (offset > all.size() || all.size() - offset < 9) {
            Fail(std::string(what) + ": header outside the file at " + Hex(offset));
        }
        Cursor header(all.data() + offset, 9, what);
        uint32_t reserved = header.U32();
        uint32_t used = header.U32();
        header.U8();
        if (reserved < used + 9 || reserved > all.size() - offset) {
            Fail(std::string(what) + ": sizes do not fit the file");
        }
        return Cursor(all.data() + offset + 9, used, what);
    }
};

struct Tree {
    uint16_t flags = 0;
    std::string structure;
    uint32_t entries = 0;
};

// Walks a B+ tree's leaves in order; `entry` reads one leaf entry.
template <typename ReadEntry> Tree WalkTree(Cursor file, const char* what, ReadEntry entry) {
    Tree tree;
    if (file.U16() != kTreeMagic) {
        Fail(std::string(what) + ": no B+ tree magic");
    }
    tree.flags = file.U16();
    uint16_t pageSize = file.U16();
    tree.structure = file.Field(16);
    file.I16(); // must be zero
    file.I16(); // page splits
    int16_t root = file.I16();
    int16_t negOne = file.I16();
    int16_t pages = file.I16();
    int16_t levels = file.I16();
    int32_t total = file.I32();
    if (negOne != -1 || pageSize < 16 || pages < 1 || levels < 1 || root < 0 || root >= pages ||
        total < 0) {
        Fail(std::string(what) + ": bad B+ tree header");
    }
    const size_t first = file.at;
    if (static_cast<size_t>(pages) * pageSize != file.size - first) {
        Fail(std::string(what) + ": pages do not fill the file");
    }
    auto page = [&](int16_t index) {
        if (index < 0 || index >= pages) {
            Fail(std::string(what) + ": page " + std::to_string(index) + " out of range");
        }
        return Cursor(file.data + first + static_cast<size_t>(index) * pageSize, pageSize, what);
    };
    // Down the first children to the leftmost leaf.
    int16_t current = root;
    for (int level = 1; level < levels; ++level) {
        Cursor index = page(current);
        index.U16();
        index.I16();
        current = index.I16();
    }
    std::set<int16_t> seen;
    while (current != -1) {
        if (!seen.insert(current).second) {
            Fail(std::string(what) + ": leaf pages loop");
        }
        Cursor leaf = page(current);
        leaf.U16();
        int16_t count = leaf.I16();
        leaf.I16();
        int16_t next = leaf.I16();
        if (count < 0) {
            Fail(std::string(what) + ": negative entry count");
        }
        for (int i = 0; i < count; ++i) {
            entry(leaf);
            ++tree.entries;
        }
        current = next;
    }
    if (tree.entries != static_cast<uint32_t>(total)) {
        Fail(std::string(what) + ": entry count differs from the header");
    }
    return tree;
}

void ReadDirectory(const Bytes& bytes, uint32_t start, HelpFile* file) {
    std::string previous;
    Tree tree = WalkTree(bytes.Open(start, "directory"), "directory", [&](Cursor& leaf) {
        std::string name = leaf.Text();
        uint32_t offset = leaf.U32();
        if (!file->directory.empty() && name <= previous) {
            Fail("directory: names out of order at " + name);
        }
        previous = name;
        InternalFile internal;
        internal.offset = offset;
        internal.used = static_cast<uint32_t>(bytes.Open(offset, name.c_str()).size);
        file->directory[name] = internal;
    });
    if (tree.structure != "z4" || (tree.flags & 0x0400) == 0) {
        Fail("directory: not a directory tree");
    }
}

Cursor OpenNamed(const Bytes& bytes, const HelpFile& file, const char* name) {
    auto found = file.directory.find(name);
    if (found == file.directory.end()) {
        Fail(std::string("no internal file ") + name);
    }
    return bytes.Open(found->second.offset, name);
}

void ReadSystem(Cursor system, SystemInfo* info) {
    if (system.U16() != kSystemMagic) {
        Fail("|SYSTEM: no magic");
    }
    info->minor = system.U16();
    info->major = system.U16();
    info->genDate = system.U32();
    info->flags = system.U16();
    if (info->minor <= 16) {
        Fail("|SYSTEM: version without records");
    }
    while (!system.AtEnd()) {
        uint16_t type = system.U16();
        uint16_t size = system.U16();
        Cursor record(system.data + system.at, size, "|SYSTEM record");
        system.Need(size);
        system.at += size;
        switch (type) {
        case 1:
            info->title = record.Text();
            break;
        case 2:
            info->copyright = record.Text();
            break;
        case 3:
            info->contents = record.U32();
            break;
        case 6:
            record.U16();
            record.Bytes(10 + 9);
            info->windowCaption = record.Field(51);
            break;
        case 9:
            record.Bytes(8);
            info->locale = record.U16();
            break;
        case 11:
            info->charset = record.U16();
            break;
        default:
            break;
        }
    }
}

void ReadFonts(Cursor font, HelpFile* file) {
    uint16_t faces = font.U16();
    uint16_t descriptors = font.U16();
    uint16_t facesAt = font.U16();
    uint16_t descriptorsAt = font.U16();
    if (faces == 0 || descriptorsAt < facesAt || (descriptorsAt - facesAt) % faces != 0) {
        Fail("|FONT: bad header");
    }
    const size_t faceSize = (descriptorsAt - facesAt) / faces;
    file->faceField = faceSize;
    font.at = facesAt;
    for (int i = 0; i < faces; ++i) {
        file->faces.push_back(font.Field(faceSize));
    }
    font.at = descriptorsAt;
    for (int i = 0; i < descriptors; ++i) {
        font.Bytes(3);
        if (font.U16() >= faces) {
            Fail("|FONT: descriptor names no face");
        }
        font.Bytes(6);
    }
    file->fonts = descriptors;
}

// One paragraph record: the header, then commands interleaved with the
// text strings of the second data part.
std::string ReadParagraph(Cursor data1, Cursor data2, size_t fonts) {
    data1.CompressedULong();
    data1.CompressedUShort();
    data1.U8();
    data1.U8();
    data1.U16(); // id
    uint16_t bits = data1.U16();
    if (bits & 0x0001) {
        data1.CompressedULong();
    }
    for (uint16_t bit = 0x0002; bit <= 0x0040; bit <<= 1) {
        if (bits & bit) {
            data1.CompressedShort();
        }
    }
    if (bits & 0x0300) {
        Fail("|TOPIC: paragraph borders or tabs not read");
    }
    std::string text;
    // Each command but the last follows a string of the text.
    for (;;) {
        uint8_t command = data1.U8();
        if (command == 0xFF) {
            break;
        }
        text += data2.Text();
        switch (command) {
        case 0x80:
            if (data1.U16() >= fonts) {
                Fail("|TOPIC: paragraph names no font");
            }
            break;
        case 0x81:
        case 0x82:
            text += '\n';
            break;
        case 0x83:
            text += '\t';
            break;
        default:
            Fail("|TOPIC: unknown paragraph command " + Hex(command));
        }
    }
    if (!data2.AtEnd()) {
        Fail("|TOPIC: paragraph text left over");
    }
    return text;
}

void ReadTopics(const Bytes& bytes, const HelpFile& known, HelpFile* file) {
    Cursor topic = OpenNamed(bytes, known, "|TOPIC");
    if (file->system.flags != 0) {
        Fail("|TOPIC: compressed topics not read");
    }
    auto locate = [&](uint32_t position) {
        uint32_t block = position / kPositionsPerBlock;
        uint32_t within = position % kPositionsPerBlock;
        uint64_t at = static_cast<uint64_t>(block) * kTopicBlock + within;
        if (within < kBlockHeader || within >= kTopicBlock || at >= topic.size) {
            Fail("|TOPIC: position " + Hex(position) + " outside the topic blocks");
        }
        return static_cast<uint32_t>(at);
    };
    Cursor first(topic.data, topic.size, "|TOPIC");
    first.U32();
    uint32_t position = first.U32();
    std::set<uint32_t> seen;
    std::vector<uint32_t> nextTopics;
    uint32_t charCount = 0;
    uint32_t block = 0;
    Topic* current = nullptr;
    while (position != kNone) {
        if (!seen.insert(position).second) {
            Fail("|TOPIC: links loop");
        }
        const uint32_t at = locate(position);
        if (position / kPositionsPerBlock != block) {
            block = position / kPositionsPerBlock;
            charCount = 0;
        }
        Cursor link(topic.data + at, topic.size - at, "|TOPIC link");
        uint32_t size = link.U32();
        uint32_t data2Size = link.U32();
        link.U32(); // previous
        uint32_t next = link.U32();
        uint32_t data1Size = link.U32();
        uint8_t type = link.U8();
        if (data1Size < kLinkHeader || size < data1Size ||
            (at % kTopicBlock) + size > kTopicBlock || size > topic.size - at) {
            Fail("|TOPIC: link at " + Hex(position) + " does not fit its block");
        }
        if (data2Size != size - data1Size) {
            Fail("|TOPIC: phrase-compressed text not read");
        }
        Cursor data1(link.data + kLinkHeader, data1Size - kLinkHeader, "|TOPIC link data");
        Cursor data2(link.data + data1Size, data2Size, "|TOPIC link text");
        file->links.push_back({position, at, type});
        if (type == 2) {
            data1.U32(); // size
            data1.U32(); // browse back
            data1.U32(); // browse forward
            data1.U32(); // number
            data1.U32(); // non-scrolling region
            data1.U32(); // scrolling region
            nextTopics.push_back(data1.U32());
            Topic t;
            t.offset = block << 15 | charCount;
            t.position = position;
            t.title = data2.Bytes(data2.size);
            t.title = t.title.substr(0, t.title.find('\0'));
            file->topics.push_back(t);
            current = &file->topics.back();
        } else if (type == 0x20) {
            if (current == nullptr) {
                Fail("|TOPIC: text before the first topic");
            }
            Cursor length = data1;
            length.CompressedULong();
            charCount += length.CompressedUShort();
            current->text += ReadParagraph(data1, data2, file->fonts);
        } else {
            Fail("|TOPIC: unknown link type " + Hex(type));
        }
        position = next;
    }
    if (file->topics.empty()) {
        Fail("|TOPIC: no topic");
    }
    // Each header's next topic is the following header.
    for (size_t i = 0; i < file->topics.size(); ++i) {
        uint32_t expected = i + 1 < file->topics.size() ? file->topics[i + 1].position : kNone;
        if (nextTopics[i] != expected) {
            Fail("|TOPIC: topic " + std::to_string(i) + " names the wrong next topic");
        }
    }
}

void ReadMaps(const Bytes& bytes, HelpFile* file) {
    Cursor map = OpenNamed(bytes, *file, "|CTXOMAP");
    uint16_t count = map.U16();
    for (int i = 0; i < count; ++i) {
        int32_t id = map.I32();
        uint32_t offset = map.U32();
        if (!file->contextMap.emplace(id, offset).second) {
            Fail("|CTXOMAP: map number " + Hex(id) + " twice");
        }
        if (file->TopicAt(offset) == nullptr) {
            Fail("|CTXOMAP: map number " + Hex(id) + " points at no topic (" + Hex(offset) + ")");
        }
    }
    if (!map.AtEnd()) {
        Fail("|CTXOMAP: bytes after the entries");
    }
    bool first = true;
    int32_t previous = 0;
    Tree tree = WalkTree(OpenNamed(bytes, *file, "|CONTEXT"), "|CONTEXT", [&](Cursor& leaf) {
        int32_t hash = leaf.I32();
        uint32_t offset = leaf.U32();
        if (!first && hash <= previous) {
            Fail("|CONTEXT: hashes out of order");
        }
        first = false;
        previous = hash;
        if (file->TopicAt(offset) == nullptr) {
            Fail("|CONTEXT: context " + Hex(hash) + " points at no topic");
        }
        file->contextHashes[hash] = offset;
    });
    if (tree.structure != "L4") {
        Fail("|CONTEXT: not a context tree");
    }
}

// The index: keywords in the tree with their counts and where their topic
// offsets start in |KWDATA; one map entry per leaf page.
void ReadKeywords(const Bytes& bytes, HelpFile* file) {
    Cursor data = OpenNamed(bytes, *file, "|KWDATA");
    Tree tree = WalkTree(OpenNamed(bytes, *file, "|KWBTREE"), "|KWBTREE", [&](Cursor& leaf) {
        std::string keyword = leaf.Text();
        uint16_t count = leaf.U16();
        data.at = leaf.U32();
        std::vector<uint32_t> offsets;
        for (int i = 0; i < count; ++i) {
            offsets.push_back(data.U32());
            if (file->TopicAt(offsets.back()) == nullptr) {
                Fail("|KWDATA: keyword " + keyword + " points at no topic");
            }
        }
        file->keywords.emplace_back(keyword, offsets);
    });
    Cursor map = OpenNamed(bytes, *file, "|KWMAP");
    if (tree.structure != "i24" || map.U16() != 1 || map.U32() != 0 || map.U16() != 0 ||
        !map.AtEnd()) {
        Fail("|KWMAP: not the map of one leaf page");
    }
}

} // namespace

const Topic* HelpFile::TopicAt(uint32_t offset) const {
    for (const Topic& topic : topics) {
        if (topic.offset == offset) {
            return &topic;
        }
    }
    return nullptr;
}

int32_t ContextHash(const std::string& name) {
    uint32_t hash = 0;
    for (char c : name) {
        uint32_t value = 0;
        if (c >= 'A' && c <= 'Z') {
            value = 0x11 + (c - 'A');
        } else if (c >= 'a' && c <= 'z') {
            value = 0x11 + (c - 'a');
        } else if (c >= '1' && c <= '9') {
            value = c - '0';
        } else if (c == '0') {
            value = 0x0A;
        } else if (c == '!') {
            value = 0x0B;
        } else if (c == '.') {
            value = 0x0C;
        } else if (c == '_') {
            value = 0x0D;
        }
        hash = hash * 43 + value;
    }
    return static_cast<int32_t>(hash);
}

bool Parse(const std::vector<uint8_t>& all, HelpFile* file, std::string* error) {
    *file = HelpFile();
    try {
        Cursor header(all.data(), all.size(), "file header");
        if (header.U32() != kFileMagic) {
            Fail("file header: no magic");
        }
        uint32_t directory = header.U32();
        header.U32(); // first free block
        if (header.U32() != all.size()) {
            Fail("file header: size differs from the file");
        }
        Bytes bytes{all};
        ReadDirectory(bytes, directory, file);
        ReadSystem(OpenNamed(bytes, *file, "|SYSTEM"), &file->system);
        ReadFonts(OpenNamed(bytes, *file, "|FONT"), file);
        ReadTopics(bytes, *file, file);
        ReadMaps(bytes, file);
        ReadKeywords(bytes, file);
        return true;
    } catch (const Failure& failure) {
        *error = failure.what();
        return false;
    }
}

} // namespace helpfile
