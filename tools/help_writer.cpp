#include "help_writer.h"

#include <algorithm>
#include <utility>

#include "help_pack.h"

namespace {

constexpr uint32_t file_magic = 0x00035F3F;
constexpr uint16_t btree_magic = 0x293B;
constexpr uint16_t system_magic = 0x036C;
// The 3.1 compiler's mark: every engine from Windows 3.1 (and so Win32s) on
// reads it, where the 95 compiler's 33 is refused before Windows 95.
constexpr uint16_t system_minor = 21;
constexpr int directory_page = 1024;
constexpr int context_page = 2048;
constexpr uint8_t file_flags = 4;
constexpr uint16_t btree_flags = 0x0002;
constexpr uint16_t directory_flags = 0x0402;

// |SYSTEM record kinds.
constexpr int system_title = 1;
constexpr int system_copyright = 2;
constexpr int system_contents = 3;
constexpr int system_window = 6;
constexpr int system_language = 9;
constexpr int system_charset = 11;

Bytes file_header(const Bytes& data) {
    // Reserved space, used space, flags: the space includes this header.
    Bytes out;
    put(out, data.size() + 9, 4);
    put(out, data.size(), 4);
    put(out, file_flags, 1);
    return out + data;
}

} // namespace

Bytes btree(const std::string& structure, uint16_t flags, int page_size,
            const std::vector<Bytes>& entries) {
    Bytes body;
    for (const auto& e : entries)
        body += e;
    long free = long(page_size) - 8 - long(body.size());
    if (free < 0)
        fail("B+ tree " + structure + ": expected entries that fit one page of " +
             std::to_string(page_size) + " bytes; there are too many topics");
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

namespace {

Bytes system_record(int kind, const Bytes& data) {
    Bytes out;
    put(out, uint16_t(kind), 2);
    put_checked(out, data.size(), 2, "a |SYSTEM record's size");
    return out + data;
}

// The main window's record: without its caption the engine shows its own name.
Bytes main_window(const std::string& caption) {
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
    return window;
}

Bytes build_system(const HelpSettings& settings, uint32_t first_topic) {
    Bytes data;
    put(data, system_magic, 2);
    put(data, system_minor, 2);
    put(data, 1, 2);
    put(data, settings.date, 4);
    put(data, 0, 2);
    data += system_record(system_title, settings.title + Bytes(1, '\0'));
    if (!settings.copyright.empty())
        data += system_record(system_copyright, settings.copyright + Bytes(1, '\0'));
    Bytes first;
    put(first, first_topic, 4);
    data += system_record(system_contents, first);
    data += system_record(system_window, main_window(settings.title));
    Bytes language;
    put(language, 0, 8);
    put(language, settings.locale, 2);
    data += system_record(system_language, language);
    Bytes charset;
    put(charset, settings.charset, 2);
    data += system_record(system_charset, charset);
    return data;
}

// Font 0 is the body text's, font 1 the headings'.
Bytes build_font(const HelpSettings& settings) {
    const HelpFont* fonts[] = {&settings.body, &settings.heading};
    std::vector<std::string> faces;
    for (const HelpFont* f : fonts)
        if (std::find(faces.begin(), faces.end(), f->face) == faces.end())
            faces.push_back(f->face);
    const size_t face_field = help_face_field;
    Bytes names;
    for (const auto& face : faces)
        put_fixed(names, face, face_field);
    const int head_size = 8;
    Bytes data;
    put(data, faces.size(), 2);
    put(data, std::size(fonts), 2);
    put(data, head_size, 2);
    put(data, head_size + names.size(), 2);
    data += names;
    for (const HelpFont* f : fonts) {
        // Attributes, half points, family (3: swiss), face index, colors.
        put(data, f->bold ? 1 : 0, 1);
        put(data, f->halfPoints, 1);
        put(data, 3, 1);
        put(data, std::find(faces.begin(), faces.end(), f->face) - faces.begin(), 2);
        data += Bytes(3, '\0');
        data += "\xff\xff\xff";
    }
    return data;
}

// Stored and sorted as a signed long.
int32_t context_hash(const std::string& name) {
    uint32_t value = 0;
    for (char c : name)
        value = value * 43 + uint32_t(context_char_value(char32_t(c)));
    return int32_t(value);
}

Bytes build_context(const std::vector<HelpTopic>& topics, const std::vector<uint32_t>& offsets) {
    std::vector<std::pair<int32_t, size_t>> entries;
    for (size_t i = 0; i < topics.size(); ++i)
        entries.emplace_back(context_hash(topics[i].context), i);
    std::sort(entries.begin(), entries.end());
    for (size_t i = 1; i < entries.size(); ++i)
        if (entries[i].first == entries[i - 1].first)
            fail(topics[entries[i].second].path + ": expected a context name whose hash " +
                 "differs from that of " + topics[entries[i - 1].second].path);
    std::vector<Bytes> encoded;
    for (auto [hash, topic] : entries) {
        Bytes e;
        put(e, uint32_t(hash), 4);
        put(e, offsets[topic], 4);
        encoded.push_back(e);
    }
    return btree("L4", btree_flags, context_page, encoded);
}

Bytes build_ctxomap(const std::vector<HelpTopic>& topics, const std::vector<uint32_t>& offsets) {
    std::vector<std::pair<int32_t, uint32_t>> entries;
    for (size_t i = 0; i < topics.size(); ++i)
        entries.emplace_back(topics[i].mapId, offsets[i]);
    std::sort(entries.begin(), entries.end());
    Bytes data;
    put_checked(data, entries.size(), 2, "the number of topics");
    for (auto [map_id, offset] : entries) {
        put(data, uint32_t(map_id), 4);
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
    out += file_header(btree("z4", directory_flags, directory_page, entries));
    Bytes head;
    put(head, file_magic, 4);
    put(head, directory_start, 4);
    put(head, 0xFFFFFFFF, 4);
    put(head, out.size(), 4);
    out.replace(0, head.size(), head);
    return out;
}

} // namespace

std::string build_help_file(const HelpSettings& settings, const std::vector<HelpTopic>& topics) {
    std::vector<uint32_t> offsets;
    for (size_t block = 0; block < topics.size(); ++block)
        offsets.push_back(uint32_t(block << topic_offset_shift));
    std::vector<std::pair<std::string, Bytes>> files;
    files.emplace_back("|SYSTEM", build_system(settings, offsets.at(0)));
    files.emplace_back("|TOPIC", build_topic_file(topics));
    files.emplace_back("|FONT", build_font(settings));
    files.emplace_back("|CONTEXT", build_context(topics, offsets));
    files.emplace_back("|CTXOMAP", build_ctxomap(topics, offsets));
    for (auto& file : build_keyword_files(topics, offsets))
        files.push_back(std::move(file));
    return assemble(files);
}
