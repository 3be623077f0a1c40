// Dialog templates built in memory, in the classic or the extended layout,
// byte for byte as the system's dialog manager reads them.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace testtemplate {

// A menu, class or item title field: an ordinal, or a string (empty: none).
struct Field {
    bool ordinal = false;
    WORD value = 0;
    std::wstring text;
};

inline Field Ordinal(WORD value) {
    return {true, value, {}};
}
inline Field Text(const wchar_t* text) {
    return {false, 0, text};
}

struct Item {
    WORD id;
    DWORD style;
    Field windowClass;
    Field title;
    std::vector<BYTE> data = {};
    short x = 5;
    short y = 5;
    short cx = 60;
    short cy = 14;
};

struct Shape {
    bool extended = false;
    DWORD style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
    short x = 10;
    short y = 10;
    short cx = 180;
    short cy = 90;
    Field menu;
    Field windowClass;
    std::wstring title;
    bool font = false;
    WORD points = 0;
    std::wstring face;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::vector<Item> items;
};

// A template with the offsets where its parts begin.
struct Built {
    std::vector<BYTE> bytes;
    DWORD fontBlock = 0;
    std::vector<DWORD> items;

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes.data()); }
    DWORD Size() const { return static_cast<DWORD>(bytes.size()); }
    DWORD FirstItem() const { return items.empty() ? Size() : items.front(); }
};

class Writer {
public:
    void Word(WORD v) { Raw(&v, 2); }
    void Dword(DWORD v) { Raw(&v, 4); }
    void Byte(BYTE v) { out.push_back(v); }
    void String(const std::wstring& s) {
        Raw(s.c_str(), 2 * (s.size() + 1)); // with the terminator
    }
    void NameOrOrdinal(const Field& f) {
        if (f.ordinal) {
            Word(0xFFFF);
            Word(f.value);
        } else {
            String(f.text);
        }
    }
    void Position(short x, short y, short cx, short cy) {
        for (short v : {x, y, cx, cy}) {
            Word(static_cast<WORD>(v));
        }
    }
    void Align4() {
        while (out.size() % 4 != 0) {
            out.push_back(0);
        }
    }
    DWORD Offset() const { return static_cast<DWORD>(out.size()); }
    void Raw(const void* p, size_t n) {
        const auto* b = static_cast<const BYTE*>(p);
        out.insert(out.end(), b, b + n);
    }
    std::vector<BYTE> out;
};

inline Built Build(const Shape& s) {
    Writer w;
    Built built;
    const DWORD style = s.style | (s.font ? DS_SETFONT : 0);
    const auto count = static_cast<WORD>(s.items.size());
    if (s.extended) {
        w.Word(1);
        w.Word(0xFFFF);
        w.Dword(0); // help id
        w.Dword(0); // extended style
        w.Dword(style);
        w.Word(count);
    } else {
        w.Dword(style);
        w.Dword(0);
        w.Word(count);
    }
    w.Position(s.x, s.y, s.cx, s.cy);
    w.NameOrOrdinal(s.menu);
    w.NameOrOrdinal(s.windowClass);
    w.String(s.title);
    built.fontBlock = w.Offset();
    if (s.font) {
        w.Word(s.points);
        if (s.extended) {
            w.Word(s.weight);
            w.Byte(s.italic);
            w.Byte(s.charset);
        }
        w.String(s.face);
    }
    for (const Item& item : s.items) {
        w.Align4();
        built.items.push_back(w.Offset());
        if (s.extended) {
            w.Dword(0); // help id
            w.Dword(0);
            w.Dword(item.style);
        } else {
            w.Dword(item.style);
            w.Dword(0);
        }
        w.Position(item.x, item.y, item.cx, item.cy);
        if (s.extended) {
            w.Dword(item.id);
        } else {
            w.Word(item.id);
        }
        w.NameOrOrdinal(item.windowClass);
        w.NameOrOrdinal(item.title);
        w.Word(static_cast<WORD>(item.data.size()));
        w.Raw(item.data.data(), item.data.size());
    }
    built.bytes = std::move(w.out);
    return built;
}

// The system's control classes by atom.
constexpr WORD kButton = 0x0080;
constexpr WORD kEdit = 0x0081;
constexpr WORD kStatic = 0x0082;
constexpr WORD kListBox = 0x0083;
constexpr WORD kComboBox = 0x0085;

} // namespace testtemplate
