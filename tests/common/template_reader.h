// Dialog templates read from a program's resources independently of the
// framework's own reader.
#pragma once

#include <windows.h>

#include <cstring>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace dialog_template {

struct Bytes {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

inline std::string Utf8(const std::u16string& text) {
    const auto* wide = reinterpret_cast<const wchar_t*>(text.c_str());
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string out(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, out.data(), length, nullptr, nullptr);
    out.resize(length > 0 ? length - 1 : 0);
    return out;
}

// A field that is either a number (0xFFFF, ordinal) or text.
struct Field {
    bool isOrdinal = false;
    WORD ordinal = 0;
    std::u16string text;
    bool operator==(const Field&) const = default;
};

inline void PrintTo(const Field& field, std::ostream* out) {
    if (field.isOrdinal) {
        *out << "#" << field.ordinal;
    } else {
        *out << '"' << Utf8(field.text) << '"';
    }
}

inline Field Ordinal(WORD ordinal) {
    return {true, ordinal, {}};
}

inline Field Text(std::u16string text) {
    return {false, 0, std::move(text)};
}

struct Item {
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    Field windowClass;
    Field title;
    WORD creationBytes = 0;
};

struct Template {
    bool extended = false;
    WORD version = 0;
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    Field menu;
    Field windowClass;
    std::u16string title;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charSet = 0;
    std::u16string face;
    std::vector<Item> items;
    size_t end = 0; // bytes up to the end of the last item
    bool overrun = false;
};

// Reads a template of either form, field by field.
class TemplateReader {
public:
    explicit TemplateReader(Bytes bytes) : bytes(bytes) {}

    Template Read() {
        Template t;
        t.extended = Word(2) == 0xFFFF;
        if (t.extended) {
            t.version = Next16();
            Next16();
            t.helpId = Next32();
            t.exStyle = Next32();
            t.style = Next32();
        } else {
            t.style = Next32();
            t.exStyle = Next32();
        }
        const WORD count = Next16();
        t.x = Next16(), t.y = Next16(), t.cx = Next16(), t.cy = Next16();
        t.menu = NextField();
        t.windowClass = NextField();
        t.title = NextText();
        if (t.style & DS_SETFONT) {
            t.pointSize = Next16();
            if (t.extended) {
                t.weight = Next16();
                t.italic = NextByte();
                t.charSet = NextByte();
            }
            t.face = NextText();
        }
        for (WORD i = 0; i < count && !overrun; ++i) {
            pos = (pos + 3) & ~size_t{3};
            Item item;
            if (t.extended) {
                item.helpId = Next32();
                item.exStyle = Next32();
                item.style = Next32();
            } else {
                item.style = Next32();
                item.exStyle = Next32();
            }
            item.x = Next16(), item.y = Next16(), item.cx = Next16(), item.cy = Next16();
            item.id = t.extended ? Next32() : Next16();
            item.windowClass = NextField();
            item.title = NextField();
            item.creationBytes = Next16();
            pos += item.creationBytes;
            t.items.push_back(item);
        }
        t.end = pos;
        t.overrun = overrun || pos > bytes.size;
        return t;
    }

private:
    WORD Word(size_t at) {
        if (at + 2 > bytes.size) {
            overrun = true;
            return 0;
        }
        WORD value;
        std::memcpy(&value, bytes.data + at, 2);
        return value;
    }
    WORD Next16() {
        pos += 2;
        return Word(pos - 2);
    }
    DWORD Next32() {
        const DWORD low = Next16();
        return low | DWORD{Next16()} << 16;
    }
    BYTE NextByte() {
        const BYTE value = pos < bytes.size ? bytes.data[pos] : 0;
        overrun = overrun || pos >= bytes.size;
        ++pos;
        return value;
    }
    std::u16string NextText() {
        std::u16string text;
        for (WORD c = Next16(); c != 0 && !overrun; c = Next16()) {
            text += static_cast<char16_t>(c);
        }
        return text;
    }
    Field NextField() {
        if (Word(pos) == 0xFFFF) {
            pos += 2;
            return Ordinal(Next16());
        }
        return Text(NextText());
    }

    Bytes bytes;
    size_t pos = 0;
    bool overrun = false;
};

} // namespace dialog_template
