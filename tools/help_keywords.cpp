// The keyword index, in the order in which the engine compares keywords.
#include <map>

#include "help_pack.h"

namespace {

constexpr uint16_t keyword_flags = 0x0002;
constexpr int keyword_page = 2048;

struct Entry {
    std::string text;
    std::string first_path;
    std::vector<uint32_t> offsets;
};

} // namespace

std::vector<std::pair<std::string, Bytes>>
build_keyword_files(const std::vector<HelpTopic>& topics, const std::vector<uint32_t>& offsets) {
    std::map<std::vector<uint32_t>, Entry> sorted;
    for (size_t i = 0; i < topics.size(); ++i) {
        for (const HelpKeyword& keyword : topics[i].keywords) {
            Entry& entry = sorted[keyword.order];
            if (entry.offsets.empty())
                entry = {keyword.text, topics[i].path, {}};
            else if (entry.text != keyword.text || entry.offsets.back() == offsets[i])
                fail(topics[i].path + ": expected keywords the engine tells apart; '" +
                     keyword.text + "' equals '" + entry.text + "' of " + entry.first_path);
            entry.offsets.push_back(offsets[i]);
        }
    }
    Bytes data;
    std::vector<Bytes> leaves;
    for (const auto& [order, entry] : sorted) {
        Bytes leaf = entry.text + Bytes(1, '\0');
        put(leaf, entry.offsets.size(), 2);
        put(leaf, data.size(), 4);
        leaves.push_back(leaf);
        for (uint32_t offset : entry.offsets)
            put(data, offset, 4);
    }
    // One leaf page, page 0, whose first keyword is number 0.
    Bytes map;
    put(map, 1, 2);
    put(map, 0, 4);
    put(map, 0, 2);
    return {{"|KWBTREE", btree("i24", keyword_flags, keyword_page, leaves)},
            {"|KWDATA", data},
            {"|KWMAP", map}};
}
