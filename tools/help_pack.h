// Little-endian packing for the help file writer, and the parts it lays
// out in files of their own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "help_file.h"

using Bytes = std::string;

inline void put(Bytes& out, uint64_t value, int size) {
    for (int i = 0; i < size; ++i)
        out += char((value >> (8 * i)) & 0xFF);
}

// A value that must fit its field; what names it for the message.
inline void put_checked(Bytes& out, uint64_t value, int size, const std::string& what) {
    if (size < 8 && value >> (8 * size))
        fail(what + ": " + std::to_string(value) + " does not fit a field of " +
             std::to_string(size) + " bytes");
    put(out, value, size);
}

// Text cut or padded with zeros to its field.
inline void put_fixed(Bytes& out, std::string_view text, size_t size) {
    Bytes field(text.substr(0, size));
    field.resize(size, '\0');
    out += field;
}

// Positions count 0x4000 per topic block, whatever the block size; a topic's
// topic offset is its block shifted by 15.
constexpr int topic_block = 4096;
constexpr int32_t topic_pos_block = 0x4000;
constexpr int topic_offset_shift = 15;

// The |TOPIC file: each topic in a topic block of its own, so that its
// topic offset is the block number alone and no character count of the text
// before it has to agree between writer and reader.
Bytes build_topic_file(const std::vector<HelpTopic>& topics);

// A B+ tree of one leaf page; entries are already encoded and sorted.
Bytes btree(const std::string& structure, uint16_t flags, int page_size,
            const std::vector<Bytes>& entries);

// The keyword index: |KWBTREE (each keyword, how many topics it names and
// where their list starts), |KWDATA (the lists of topic offsets) and |KWMAP
// (the first keyword of each leaf page). Topic i has offsets[i].
std::vector<std::pair<std::string, Bytes>>
build_keyword_files(const std::vector<HelpTopic>& topics, const std::vector<uint32_t>& offsets);
