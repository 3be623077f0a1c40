// The |TOPIC file: per topic a block with a topic header record and one
// paragraph record for the title and for each paragraph, chained by their
// positions.
#include <algorithm>
#include <utility>

#include "help_pack.h"

namespace {

constexpr int block_header = 12;
constexpr int link_header = 21;
constexpr int topic_header = 28;
// Space above each paragraph after the title: a small gap, as tried in the engine.
constexpr int space_above = 12;
constexpr int record_topic_header = 0x02;
constexpr int record_paragraph = 0x20;

// The engine's compressed unsigned numbers: twice the value in size bytes,
// or twice the value plus one in twice as many.
Bytes compressed(size_t value, int size) {
    Bytes out;
    if (value < size_t(1) << (8 * size - 1))
        put(out, value * 2, size);
    else
        put_checked(out, value * 2 + 1, 2 * size, "a paragraph's size");
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

// A paragraph record's two parts: the paragraph header, then the font, the
// text and the end commands; and the strings between the commands.
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
    Bytes data1 = compressed(data2.size(), 2);
    data1 += compressed(text.size(), 1);
    data1 += Bytes("\x00\x80", 2);
    put(data1, 0, 2);
    put(data1, bits, 2);
    return {data1 + fields + commands, data2};
}

struct Record {
    int kind;
    std::pair<Bytes, Bytes> data;
};

// A topic's records and where each lies.
struct Layout {
    std::vector<Record> records;
    std::vector<int32_t> positions;
    std::vector<int> sizes;
};

[[noreturn]] void does_not_fit(const HelpTopic& topic) {
    fail(topic.path + ": expected a topic that fits one topic block of " +
         std::to_string(topic_block) + " bytes");
}

// The title opens the text as a heading (font 1), body text is font 0.
Layout lay_out(const HelpTopic& topic, int block) {
    Layout layout;
    layout.records.push_back({record_topic_header, {}});
    layout.records.push_back({record_paragraph, paragraph_data(1, topic.title, 0)});
    for (const auto& [heading, text] : topic.paragraphs) {
        if (text.size() > topic_block)
            does_not_fit(topic);
        layout.records.push_back({record_paragraph, paragraph_data(heading, text, space_above)});
    }
    int offset = block_header;
    for (const auto& [kind, data] : layout.records) {
        int size = kind == record_topic_header
                       ? link_header + topic_header + int(topic.title.size())
                       : link_header + int(data.first.size() + data.second.size());
        layout.positions.push_back(block * topic_pos_block + offset);
        layout.sizes.push_back(size);
        offset += size;
    }
    if (offset > topic_block)
        does_not_fit(topic);
    return layout;
}

// Browse sequence, the topic number and the first scrolling record.
Bytes topic_header_data(const std::vector<Layout>& layouts, size_t block, int32_t next_topic) {
    const Layout& layout = layouts[block];
    bool last = block + 1 == layouts.size();
    int32_t total = 0;
    for (int s : layout.sizes)
        total += s;
    int32_t browse_back = block == 0 ? -1 : int32_t((block - 1) << topic_offset_shift);
    int32_t browse_forward = last ? -1 : int32_t((block + 1) << topic_offset_shift);
    int32_t scroll = layout.positions.size() > 1 ? layout.positions[1] : -1;
    Bytes header;
    for (int32_t v : {total, browse_back, browse_forward, int32_t(block), -1, scroll, next_topic})
        put(header, uint32_t(v), 4);
    return header;
}

Bytes topic_block_data(const std::vector<HelpTopic>& topics, const std::vector<Layout>& layouts,
                       size_t block) {
    const Layout& layout = layouts[block];
    const auto& positions = layout.positions;
    bool last = block + 1 == topics.size();
    int32_t next_topic = last ? -1 : layouts[block + 1].positions.front();
    int32_t prev_block_last = block == 0 ? -1 : layouts[block - 1].positions.back();
    int32_t prev_header = block == 0 ? -1 : layouts[block - 1].positions.front();
    Bytes data;
    for (int32_t v : {prev_block_last, positions.front(), prev_header})
        put(data, uint32_t(v), 4);
    for (size_t i = 0; i < layout.records.size(); ++i) {
        const auto& [kind, payload] = layout.records[i];
        int32_t prev_pos = i ? positions[i - 1] : prev_block_last;
        int32_t next_pos = i + 1 < layout.records.size() ? positions[i + 1] : next_topic;
        if (kind == record_topic_header)
            data += topic_link(kind, prev_pos, next_pos,
                               topic_header_data(layouts, block, next_topic), topics[block].title);
        else
            data += topic_link(kind, prev_pos, next_pos, payload.first, payload.second);
    }
    if (!last)
        data.resize(std::max<size_t>(data.size(), topic_block), '\0');
    return data;
}

} // namespace

Bytes build_topic_file(const std::vector<HelpTopic>& topics) {
    // Every block's records are laid out first: the links name positions
    // in the blocks before and after.
    std::vector<Layout> layouts;
    for (size_t block = 0; block < topics.size(); ++block)
        layouts.push_back(lay_out(topics[block], int(block)));
    Bytes out;
    for (size_t block = 0; block < topics.size(); ++block)
        out += topic_block_data(topics, layouts, block);
    return out;
}
