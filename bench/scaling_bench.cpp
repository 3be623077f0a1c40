// How two framework costs grow with their input: the idle clean-up of
// temporary wrapper objects (and making them), and measuring and copying a
// dialog template. Sizes interleave within each round so that noise falls on
// each alike; figures are medians of the rounds. Prints readable tables and
// one "ROW|" line per table.
#include <windows.h>

#include "bench_clock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "framework/runtime/state.h"
#include "framework/windows/dialogs/dialog_template.h"
#include "framework/windows/handles/handle_table.h"
#include "framework/windows/handles/menu.h"
#include "framework/windows/messaging/window.h"

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "scaling_bench: %s (error %lu)\n", what, GetLastError());
    std::fflush(stderr);
    std::exit(1);
}

double NowNs() {
    return NowSeconds() * 1e9;
}

// Per-object (or per-item) cost of the largest size over the smallest's:
// about 1 when the cost grows linearly, below 1 when a fixed part dominates
// small sizes; well above 1 means worse than linear.
const char* LinearVerdict(double perSmall, double perLarge) {
    return perLarge / perSmall <= 2.0 ? "met" : "NOT met";
}

void PrintRule() {
    std::printf("%s\n", std::string(86, '-').c_str());
}

// --- temporaries -----------------------------------------------------------

struct TemporaryCase {
    const char* kind;
    std::function<void(std::size_t)> make; // n temporaries from the first n handles
};

void RunTemporaries(const TemporaryCase& c, const std::vector<int>& sizes, int rounds) {
    std::vector<std::vector<double>> makeNs(sizes.size()), cleanNs(sizes.size());
    for (int r = 0; r < rounds; ++r) {
        for (std::size_t s = 0; s < sizes.size(); ++s) {
            std::size_t i = (s + static_cast<std::size_t>(r)) % sizes.size();
            const auto n = static_cast<std::size_t>(sizes[i]);
            const double t0 = NowNs();
            c.make(n);
            const double t1 = NowNs();
            DeleteAllTemporaries();
            const double t2 = NowNs();
            makeNs[i].push_back(t1 - t0);
            cleanNs[i].push_back(t2 - t1);
        }
    }
    std::printf("\nTemporaries, %s objects: DeleteAllTemporaries (the idle clean-up) and making\n"
                "them with ObjectFor, median of %d rounds\n",
                c.kind, rounds);
    std::printf("%10s %14s %14s %12s %14s %14s\n", "objects", "clean-up us", "per object ns",
                "growth", "make us", "per object ns");
    PrintRule();
    std::vector<double> cleanPer, makePer;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const double clean = Median(cleanNs[i]);
        const double make = Median(makeNs[i]);
        cleanPer.push_back(clean / sizes[i]);
        makePer.push_back(make / sizes[i]);
        char growth[32] = "";
        if (i > 0) {
            std::snprintf(growth, sizeof growth, "x%.1f", clean / Median(cleanNs[i - 1]));
        }
        std::printf("%10d %14.1f %14.0f %12s %14.1f %14.0f\n", sizes[i], clean / 1000,
                    cleanPer.back(), growth, make / 1000, makePer.back());
    }
    char measure[96], result[160];
    std::snprintf(measure, sizeof measure, "idle clean-up of %d/%d/%d %s temporaries", sizes[0],
                  sizes[1], sizes[2], c.kind);
    std::snprintf(result, sizeof result, "%.0f/%.0f/%.0f ns per object", cleanPer[0], cleanPer[1],
                  cleanPer[2]);
    std::printf("ROW|scaling|%s|at most linear|%s|%s\n", measure, result,
                LinearVerdict(cleanPer[0], cleanPer[2]));
    std::snprintf(measure, sizeof measure, "making %d/%d/%d %s temporaries (ObjectFor)", sizes[0],
                  sizes[1], sizes[2], c.kind);
    std::snprintf(result, sizeof result, "%.0f/%.0f/%.0f ns per object", makePer[0], makePer[1],
                  makePer[2]);
    std::printf("ROW|scaling|%s|at most linear|%s|%s\n", measure, result,
                LinearVerdict(makePer[0], makePer[2]));
}

// --- templates -------------------------------------------------------------

class TemplateWriter {
public:
    void Word(WORD v) { Raw(&v, sizeof v); }
    void Dword(DWORD v) { Raw(&v, sizeof v); }
    void Text(const wchar_t* s) {
        do {
            Word(static_cast<WORD>(*s));
        } while (*s++ != 0);
    }
    void Align4() {
        while (bytes.size() % 4 != 0) {
            bytes.push_back(0);
        }
    }
    void Raw(const void* p, std::size_t n) {
        const auto* b = static_cast<const BYTE*>(p);
        bytes.insert(bytes.end(), b, b + n);
    }

    std::vector<BYTE> bytes;
};

// A dialog of `items` buttons with a font, in the classic or extended layout,
// each item with a class ordinal and a short title.
std::vector<BYTE> BuildTemplate(int items, bool extended) {
    TemplateWriter w;
    const DWORD style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;
    if (extended) {
        w.Word(1);
        w.Word(0xFFFF);
        w.Dword(0); // help id
        w.Dword(0); // extended style
        w.Dword(style);
    } else {
        w.Dword(style);
        w.Dword(0);
    }
    w.Word(static_cast<WORD>(items));
    for (short v : {0, 0, 300, 200}) {
        w.Word(static_cast<WORD>(v));
    }
    w.Word(0);          // no menu
    w.Word(0);          // default class
    w.Text(L"Scaling"); // title
    w.Word(9);          // points
    if (extended) {
        w.Word(FW_NORMAL);
        w.Raw("\0\x01", 2); // italic, character set
    }
    w.Text(L"MS Shell Dlg");
    for (int i = 0; i < items; ++i) {
        w.Align4();
        const DWORD itemStyle = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON;
        if (extended) {
            w.Dword(0);
            w.Dword(0);
            w.Dword(itemStyle);
        } else {
            w.Dword(itemStyle);
            w.Dword(0);
        }
        for (int v : {i % 20 * 14, i / 20 * 10, 12, 8}) {
            w.Word(static_cast<WORD>(v));
        }
        if (extended) {
            w.Dword(static_cast<DWORD>(1000 + i));
        } else {
            w.Word(static_cast<WORD>(1000 + i));
        }
        w.Word(0xFFFF);
        w.Word(0x0080); // button
        wchar_t title[16];
        std::swprintf(title, 16, L"Item %d", i);
        w.Text(title);
        w.Word(0); // no creation data
    }
    return w.bytes;
}

// ns per call of `call`, in blocks long enough for the timer.
double TimeCalls(const std::function<void()>& call, long n) {
    const double t0 = NowNs();
    for (long i = 0; i < n; ++i) {
        call();
    }
    return (NowNs() - t0) / static_cast<double>(n);
}

long CallsFor(const std::function<void()>& call, double minMs) {
    long n = 16;
    while (TimeCalls(call, n) * static_cast<double>(n) < minMs * 1e6 && n < (1L << 24)) {
        n *= 2;
    }
    return n;
}

volatile DWORD sink;

void RunTemplates(bool extended, const std::vector<int>& sizes, int rounds, double minMs) {
    std::vector<std::vector<BYTE>> templates;
    std::vector<std::function<void()>> measure, copy;
    for (int items : sizes) {
        templates.push_back(BuildTemplate(items, extended));
    }
    for (const std::vector<BYTE>& bytes : templates) {
        const auto* t = reinterpret_cast<const DLGTEMPLATE*>(bytes.data());
        if (CTemplateCopy::MeasureTemplate(t) != bytes.size()) {
            Fail("a built template measures differently from its size");
        }
        measure.push_back([t] { sink = CTemplateCopy::MeasureTemplate(t); });
        copy.push_back([t] {
            CTemplateCopy c(t);
            sink = c.size;
        });
    }
    std::vector<long> measureN, copyN;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        measureN.push_back(CallsFor(measure[i], minMs));
        copyN.push_back(CallsFor(copy[i], minMs));
    }
    std::vector<std::vector<double>> measureNs(sizes.size()), copyNs(sizes.size());
    for (int r = 0; r < rounds; ++r) {
        for (std::size_t s = 0; s < sizes.size(); ++s) {
            std::size_t i = (s + static_cast<std::size_t>(r)) % sizes.size();
            measureNs[i].push_back(TimeCalls(measure[i], measureN[i]));
            copyNs[i].push_back(TimeCalls(copy[i], copyN[i]));
        }
    }
    const char* layout = extended ? "extended" : "classic";
    std::printf("\nDialog templates (%s layout) built in memory: MeasureTemplate and a\n"
                "CTemplateCopy made and freed, median ns per call of %d rounds\n",
                layout, rounds);
    std::printf("%10s %10s %14s %12s %12s %14s %12s\n", "items", "bytes", "measure ns", "per item",
                "growth", "copy ns", "per item");
    PrintRule();
    std::vector<double> measurePer, copyPer;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const double m = Median(measureNs[i]);
        const double c = Median(copyNs[i]);
        measurePer.push_back(m / sizes[i]);
        copyPer.push_back(c / sizes[i]);
        char growth[32] = "";
        if (i > 0) {
            std::snprintf(growth, sizeof growth, "x%.1f", m / Median(measureNs[i - 1]));
        }
        std::printf("%10d %10zu %14.0f %12.1f %12s %14.0f %12.1f\n", sizes[i], templates[i].size(),
                    m, measurePer.back(), growth, c, copyPer.back());
    }
    std::printf(
        "ROW|scaling|MeasureTemplate, %s, %d/%d/%d items|at most linear|%.0f/%.0f/%.0f ns per "
        "item|%s\n",
        layout, sizes[0], sizes[1], sizes[2], measurePer[0], measurePer[1], measurePer[2],
        LinearVerdict(measurePer[0], measurePer[2]));
    std::printf(
        "ROW|scaling|CTemplateCopy, %s, %d/%d/%d items|at most linear|%.0f/%.0f/%.0f ns per "
        "item|%s\n",
        layout, sizes[0], sizes[1], sizes[2], copyPer[0], copyPer[1], copyPer[2],
        LinearVerdict(copyPer[0], copyPer[2]));
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 15;
    const double minMs = argc > 2 ? std::atof(argv[2]) : 20.0;
    if (rounds < 1 || minMs <= 0) {
        std::fprintf(stderr, "usage: scaling_bench [rounds (15)] [ms per block (20)]\n");
        return 2;
    }
    GetModuleState()->resourceHandle = GetModuleHandleA(nullptr);
    GetModuleState()->instanceHandle = GetModuleHandleA(nullptr);
    const std::vector<int> counts = {10, 100, 1000};

    std::vector<HMENU> menus;
    for (int i = 0; i < counts.back(); ++i) {
        HMENU m = CreateMenu();
        if (m == nullptr) {
            Fail("cannot create a menu");
        }
        menus.push_back(m);
    }
    RunTemporaries({"menu",
                    [&](std::size_t n) {
                        for (std::size_t i = 0; i < n; ++i) {
                            if (CMenu::ObjectFor(menus[i]) == nullptr) {
                                Fail("no temporary menu object");
                            }
                        }
                    }},
                   counts, rounds);

    std::vector<HWND> windows;
    // The process's first top-level window starts Wine's desktop process,
    // which under the emulator sometimes fails once.
    for (int attempt = 0; windows.size() < static_cast<std::size_t>(counts.back()); ++attempt) {
        HWND w = CreateWindowExA(0, "STATIC", "t", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        if (w != nullptr) {
            windows.push_back(w);
        } else if (!windows.empty() || attempt >= 10) {
            Fail("cannot create a window");
        } else {
            Sleep(500);
        }
    }
    RunTemporaries({"window",
                    [&](std::size_t n) {
                        for (std::size_t i = 0; i < n; ++i) {
                            if (CWnd::ObjectFor(windows[i]) == nullptr) {
                                Fail("no temporary window object");
                            }
                        }
                    }},
                   counts, rounds);

    const std::vector<int> items = {10, 100, 300};
    RunTemplates(false, items, rounds, minMs);
    RunTemplates(true, items, rounds, minMs);

    for (HWND w : windows) {
        DestroyWindow(w);
    }
    for (HMENU m : menus) {
        DestroyMenu(m);
    }
    std::fflush(stdout);
    return 0;
}
