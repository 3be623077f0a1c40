#include "keyword_order.h"

#include <string>

namespace {

// Weight bands, lowest first.
constexpr uint32_t symbol_band = 0x100;
constexpr uint32_t digit_band = 0x1000;
constexpr uint32_t letter_band = 0x2000;
constexpr uint32_t kana_band = 0x3000;
constexpr uint32_t other_band = 0x10000;

constexpr std::u32string_view syllables =
    U"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホ"
    U"マミムメモヤユヨラリルレロワヲン";
constexpr std::u32string_view voiced = U"ガギグゲゴザジズゼゾダヂヅデドバビブベボヴ";
constexpr std::u32string_view voiced_base = U"カキクケコサシスセソタチツテトハヒフヘホウ";
constexpr std::u32string_view semi_voiced = U"パピプペポ";
constexpr std::u32string_view semi_voiced_base = U"ハヒフヘホ";
constexpr std::u32string_view small = U"ァィゥェォッャュョヮ";
constexpr std::u32string_view small_base = U"アイウエオツヤユヨワ";
// U+FF66 to U+FF9D in full width.
constexpr std::u32string_view half_width =
    U"ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテト"
    U"ナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン";
constexpr char32_t long_vowel = U'ー';
constexpr char32_t half_voiced_mark = 0xFF9E;
constexpr char32_t half_semi_voiced_mark = 0xFF9F;

// One character's weights at the three levels.
struct Weights {
    uint32_t primary;
    uint32_t accent = 1; // voicing
    uint32_t kind = 1;   // small, hiragana, half width
};

bool kana_weights(char32_t c, Weights& w) {
    uint32_t kind = 1;
    if (c >= 0xFF66 && c <= 0xFF9D) {
        c = half_width[c - 0xFF66];
        kind += 4;
    } else if (c >= U'ぁ' && c <= U'ゖ') {
        c += U'ァ' - U'ぁ';
        kind += 2;
    }
    size_t at;
    if ((at = voiced.find(c)) != std::u32string_view::npos) {
        c = voiced_base[at];
        w.accent = 2;
    } else if ((at = semi_voiced.find(c)) != std::u32string_view::npos) {
        c = semi_voiced_base[at];
        w.accent = 3;
    } else if ((at = small.find(c)) != std::u32string_view::npos) {
        c = small_base[at];
        kind += 8;
    }
    if (c == long_vowel) {
        w.primary = kana_band;
    } else if ((at = syllables.find(c)) != std::u32string_view::npos) {
        w.primary = kana_band + 1 + uint32_t(at);
    } else {
        return false;
    }
    w.kind = kind;
    return true;
}

Weights weights(char32_t c, const CodePage& page) {
    Weights w{0};
    if (c >= 0xFF01 && c <= 0xFF5E) // full-width Latin letters, digits and signs
        c -= 0xFF01 - U'!';
    if (c >= U'A' && c <= U'Z')
        c += U'a' - U'A';
    if (c >= U'0' && c <= U'9')
        w.primary = digit_band + uint32_t(c - U'0');
    else if (c >= U'a' && c <= U'z')
        w.primary = letter_band + uint32_t(c);
    else if (c < 0x80)
        w.primary = symbol_band + uint32_t(c);
    else if (!kana_weights(c, w)) {
        // Kanji and the rest: by their bytes in a double-byte code page.
        auto found = page.table.find(c);
        uint32_t code = uint32_t(c);
        if (page.number == 932 && found != page.table.end() && found->second.size() == 2)
            code = uint8_t(found->second[0]) << 8 | uint8_t(found->second[1]);
        w.primary = other_band + code;
    }
    return w;
}

} // namespace

std::vector<uint32_t> keyword_order(std::u32string_view keyword, const CodePage& page) {
    std::vector<Weights> chars;
    for (char32_t c : keyword) {
        if ((c == half_voiced_mark || c == half_semi_voiced_mark) && !chars.empty()) {
            chars.back().accent = c == half_voiced_mark ? 2 : 3;
            continue;
        }
        chars.push_back(weights(c, page));
    }
    // All primary weights first, then the accents, then the kinds: a
    // difference at a lower level counts only where the higher ones agree.
    std::vector<uint32_t> order;
    for (uint32_t Weights::*level : {&Weights::primary, &Weights::accent, &Weights::kind}) {
        for (const Weights& w : chars)
            order.push_back(w.*level);
        order.push_back(0);
    }
    return order;
}
