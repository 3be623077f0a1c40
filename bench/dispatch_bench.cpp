// Cost of one message through a framework window's map dispatch against a
// plain window procedure that handles the same message with a switch. All
// variants run in one process, interleaved round by round, so that machine
// noise (an emulator, other load) falls on each of them alike; the ratios are
// medians of per-round ratios.
#include <windows.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>
#include "framework/runtime/global_locks.h"
#include "framework/runtime/state.h"
#include "framework/windows/messaging/window.h"
#include "framework/windows/messaging/window_proc.h"

namespace {

constexpr UINT kPing = WM_APP + 1;     // in the most derived map
constexpr UINT kDeepPing = WM_APP + 2; // only in the map four bases up
constexpr UINT kUnhandled = WM_APP + 3;
constexpr UINT kFiller = WM_APP + 20;
constexpr WORD kButtonId = 1002;     // command in the most derived map
constexpr WORD kDeepButtonId = 1003; // command only four bases up

// Every handler, framework or plain, bumps it: each timed block checks that
// its messages reached a handler (or, for the unhandled case, did not).
unsigned long handledCount = 0;

// The depth chain: BenchWnd -> Level3 -> Level2 -> Level1 -> BenchBase -> CWnd.
// Intermediate maps carry unrelated entries so that a walk has work to do.
class BenchBase : public CWnd {
    LUM_DECLARE_MESSAGE_MAP(BenchBase)
public:
    LRESULT OnDeepPing(WPARAM w, LPARAM l) {
        ++handledCount;
        return static_cast<LRESULT>(w) + l;
    }
    void OnDeepButton() { ++handledCount; }
    void OnFiller() {}
};

class Level1 : public BenchBase {
    LUM_DECLARE_MESSAGE_MAP(Level1)
};
class Level2 : public Level1 {
    LUM_DECLARE_MESSAGE_MAP(Level2)
};
class Level3 : public Level2 {
    LUM_DECLARE_MESSAGE_MAP(Level3)
};

class BenchWnd : public Level3 {
    LUM_DECLARE_MESSAGE_MAP(BenchWnd)
public:
    LRESULT OnPing(WPARAM w, LPARAM l) {
        ++handledCount;
        return static_cast<LRESULT>(w) + l;
    }
    void OnButton() { ++handledCount; }
};

// clang-format off
LUM_BEGIN_MESSAGE_MAP(BenchBase, CWnd)
LUM_ON_MESSAGE(kDeepPing, LumForm::LresultWParamLParam, OnDeepPing)
LUM_ON_COMMAND(kDeepButtonId, OnDeepButton)
LUM_END_MESSAGE_MAP(BenchBase, CWnd)

LUM_BEGIN_MESSAGE_MAP(Level1, BenchBase)
LUM_ON_MESSAGE(kFiller + 1, LumForm::Void, OnFiller)
LUM_ON_MESSAGE(kFiller + 2, LumForm::Void, OnFiller)
LUM_ON_COMMAND(2001, OnFiller)
LUM_END_MESSAGE_MAP(Level1, BenchBase)

LUM_BEGIN_MESSAGE_MAP(Level2, Level1)
LUM_ON_MESSAGE(kFiller + 3, LumForm::Void, OnFiller)
LUM_ON_MESSAGE(kFiller + 4, LumForm::Void, OnFiller)
LUM_ON_COMMAND(2002, OnFiller)
LUM_END_MESSAGE_MAP(Level2, Level1)

LUM_BEGIN_MESSAGE_MAP(Level3, Level2)
LUM_ON_MESSAGE(kFiller + 5, LumForm::Void, OnFiller)
LUM_ON_MESSAGE(kFiller + 6, LumForm::Void, OnFiller)
LUM_ON_COMMAND(2003, OnFiller)
LUM_END_MESSAGE_MAP(Level3, Level2)

LUM_BEGIN_MESSAGE_MAP(BenchWnd, Level3)
LUM_ON_MESSAGE(kPing, LumForm::LresultWParamLParam, OnPing)
LUM_ON_COMMAND(kButtonId, OnButton)
LUM_END_MESSAGE_MAP(BenchWnd, Level3)
// clang-format on

// Distinct classes, one map each, for the scaling runs. The map macros paste
// the class name into member definitions, so a template spells its map out.
template <int K> class ScaledWnd : public CWnd {
public:
    using ThisClass = ScaledWnd;
    static const MessageMapEntry entries[];
    static const MessageMap messageMap;
    const MessageMap* GetClassMessageMap() const override { return &messageMap; }
    LRESULT OnPing(WPARAM w, LPARAM l) {
        ++handledCount;
        return static_cast<LRESULT>(w) + l;
    }
};

// clang-format off
template <int K> const MessageMapEntry ScaledWnd<K>::entries[] = {
    LUM_ON_MESSAGE(kPing, LumForm::LresultWParamLParam, OnPing)
    {0, 0, 0, 0, 0, nullptr}};
// clang-format on
template <int K>
const MessageMap ScaledWnd<K>::messageMap = {&CWnd::messageMap, ScaledWnd<K>::entries};

constexpr int kMaxScaled = 100;

struct Scaled {
    std::unique_ptr<CWnd> window;
    const MessageMap* map;
};

template <std::size_t... K> std::vector<Scaled> MakeScaled(std::index_sequence<K...>) {
    std::vector<Scaled> out;
    (out.push_back({std::make_unique<ScaledWnd<static_cast<int>(K)>>(),
                    &ScaledWnd<static_cast<int>(K)>::messageMap}),
     ...);
    return out;
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The same procedure under another address, put on a window after creation.
LRESULT CALLBACK PlainSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainProc(window, message, wParam, lParam);
}

// Inlined into every plain procedure, so that each costs the same.
[[gnu::always_inline]] inline LRESULT PlainBody(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    switch (message) {
    case kPing:
    case kDeepPing:
        ++handledCount;
        return static_cast<LRESULT>(wParam) + lParam;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED &&
            (LOWORD(wParam) == kButtonId || LOWORD(wParam) == kDeepButtonId)) {
            ++handledCount;
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainBody(window, message, wParam, lParam);
}

// A procedure of its own per class, as a plain program with that many
// classes has: each framework class of the scaling runs has handlers of
// its own too.
template <int K>
LRESULT CALLBACK PlainProcOf(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainBody(window, message, wParam, lParam);
}

template <std::size_t... K>
constexpr std::array<WNDPROC, sizeof...(K)> PlainProcs(std::index_sequence<K...>) {
    return {&PlainProcOf<static_cast<int>(K)>...};
}

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "dispatch_bench: %s (error %lu)\n", what, GetLastError());
    std::fflush(stderr);
    std::exit(1);
}

// The plain windows get a class of their own per index, like the framework
// windows of the scaling runs, and the framework class's styles; `own`
// classes each have a procedure of their own, the others share PlainProc.
WNDPROC PlainProcFor(int index, bool own) {
    static constexpr auto procs = PlainProcs(std::make_index_sequence<kMaxScaled>());
    return own ? procs[static_cast<std::size_t>(index)] : &PlainProc;
}

const char* PlainClassName(int index, bool own) {
    static char names[2][kMaxScaled][24];
    static bool registered[2][kMaxScaled];
    if (!registered[own][index]) {
        std::snprintf(names[own][index], sizeof names[own][index], "LumBench%s%d",
                      own ? "Own" : "Plain", index);
        WNDCLASSA wc = {};
        wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
        wc.lpfnWndProc = PlainProcFor(index, own);
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = names[own][index];
        if (RegisterClassA(&wc) == 0) {
            Fail("cannot register a plain window class");
        }
        registered[own][index] = true;
    }
    return names[own][index];
}

HWND MakePlain(int index, bool own = false) {
    HWND w = CreateWindowExA(0, PlainClassName(index, own), "plain", WS_POPUP, 0, 0, 100, 100,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (w == nullptr) {
        Fail("cannot create a plain window");
    }
    return w;
}

// Once the framework's creation hook exists, every other top-level window the
// thread makes gets the activation subclass; a baseline window must not.
HWND MakeUntouchedPlain(int index, bool own = false) {
    HWND w = MakePlain(index, own);
    if (GetWindowLongA(w, GWL_WNDPROC) != reinterpret_cast<LONG>(PlainProcFor(index, own))) {
        Fail("a plain window was subclassed; make the baselines before any framework window");
    }
    return w;
}

// The process's first top-level window starts Wine's desktop process, which
// under the emulator sometimes fails once; the benchmark's windows come after.
void WaitForDesktop() {
    for (int attempt = 0; attempt < 10; ++attempt) {
        HWND w = CreateWindowExA(0, "STATIC", "probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        if (w != nullptr) {
            DestroyWindow(w);
            return;
        }
        Sleep(500);
    }
    Fail("cannot create a top-level window");
}

// A modeless dialog of the system's dialog class, as a message box is: its
// procedure handles the timed message like the plain procedure.
INT_PTR CALLBACK BoxProc(HWND, UINT message, WPARAM, LPARAM) {
    if (message == kPing) {
        ++handledCount;
        return TRUE;
    }
    return FALSE;
}

HWND MakeBox() {
    alignas(4) static WORD words[16] = {};
    auto* t = reinterpret_cast<DLGTEMPLATE*>(words);
    t->style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
    t->cx = 100;
    t->cy = 50; // no items; menu, class and title words stay 0
    HWND box = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), t, nullptr, &BoxProc, 0);
    if (box == nullptr) {
        Fail("cannot create a dialog box");
    }
    return box;
}

struct PlainWindows {
    HWND main;
    HWND twin;
    HWND subclassed; // its procedure set by SetWindowLongA, as the framework sets its own
    HWND box;        // made before any framework window: as on a thread without one

    HWND button;
    std::vector<HWND> scaled;    // a class each, one procedure for all
    std::vector<HWND> scaledOwn; // a class and a procedure each
};

void MakeFramework(CWnd& w) {
    if (!w.CreateWithStyles(0, nullptr, "framework", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                            nullptr)) {
        Fail("cannot create a framework window");
    }
}

HWND MakeButton(HWND parent, WORD id) {
    HWND b = CreateWindowExA(0, "BUTTON", "b", WS_CHILD | BS_PUSHBUTTON, 0, 0, 20, 20, parent,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                             GetModuleHandleA(nullptr), nullptr);
    if (b == nullptr) {
        Fail("cannot create a button");
    }
    return b;
}

struct Send {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

using Caller = LRESULT (*)(const Send&);

LRESULT BySendMessage(const Send& s) {
    return SendMessageA(s.window, s.message, s.wParam, s.lParam);
}

// One thing timed: a list of sends taken round-robin, N per round.
struct Variant {
    Variant(std::vector<Send> s, bool h, Caller c = &BySendMessage)
        : sends(std::move(s)), handled(h), call(c) {}
    std::vector<Send> sends;
    bool handled;
    Caller call;
    std::size_t next = 0; // round-robin position, kept across slices
    long n = 0;
    std::vector<double> ns; // per round, ns per message
};

double Frequency() {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
}

double TimeBlock(Variant& v, long n) {
    static const double frequency = Frequency();
    const Send* sends = v.sends.data();
    const std::size_t count = v.sends.size();
    unsigned long before = handledCount;
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    std::size_t k = v.next;
    for (long i = 0; i < n; ++i) {
        v.call(sends[k]);
        if (++k == count) {
            k = 0;
        }
    }
    QueryPerformanceCounter(&t1);
    v.next = k;
    unsigned long reached = handledCount - before;
    if (reached != (v.handled ? static_cast<unsigned long>(n) : 0ul)) {
        Fail("a message did not reach the expected handler");
    }
    return static_cast<double>(t1.QuadPart - t0.QuadPart) / frequency * 1e9;
}

// Smallest power-of-two count (at least one full round-robin) that takes
// minMs; every variant of a group is then timed with the largest of them.
long Calibrate(Variant& v, double minMs) {
    long n = 256;
    while (n < static_cast<long>(v.sends.size())) {
        n *= 2;
    }
    while (TimeBlock(v, n) < minMs * 1e6 && n < (1L << 28)) {
        n *= 2;
    }
    return n;
}

// Bursts of load from other processes last longer than a block of 100 ms,
// so a round interleaves the variants in slices of N / kSlices messages and
// each variant's measurement is the sum of its slices.
constexpr long kSlices = 16;

void RunRounds(std::vector<Variant>& variants, int rounds, double minMs) {
    long n = 0;
    for (Variant& v : variants) {
        TimeBlock(v, static_cast<long>(v.sends.size())); // first lookups, emulator warm-up
        n = std::max(n, Calibrate(v, minMs));
    }
    n = std::max(n, kSlices);
    const std::size_t count = variants.size();
    std::vector<double> total(count);
    for (int r = 0; r < rounds; ++r) {
        std::fill(total.begin(), total.end(), 0.0);
        for (long slice = 0; slice < kSlices; ++slice) {
            // A rotating start keeps any "first after the previous variant"
            // effect from landing on one variant only.
            for (std::size_t i = 0; i < count; ++i) {
                std::size_t which = (i + static_cast<std::size_t>(slice + r)) % count;
                total[which] += TimeBlock(variants[which], n / kSlices);
            }
        }
        for (std::size_t i = 0; i < count; ++i) {
            variants[i].n = n;
            variants[i].ns.push_back(total[i] / static_cast<double>(n));
        }
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::size_t m = values.size() / 2;
    return values.size() % 2 != 0 ? values[m] : (values[m - 1] + values[m]) / 2;
}

struct Ratio {
    double median, low, high;
};

Ratio RatioOf(const Variant& a, const Variant& b) {
    std::vector<double> r;
    for (std::size_t i = 0; i < a.ns.size(); ++i) {
        r.push_back(a.ns[i] / b.ns[i]);
    }
    return {Median(r), *std::min_element(r.begin(), r.end()),
            *std::max_element(r.begin(), r.end())};
}

void PrintRule() {
    std::printf("%s\n", std::string(110, '-').c_str());
}

void PrintRow(const char* name, long n, double a, double b, Ratio r, const char* target,
              const char* verdict) {
    std::printf("%-42s %9ld %10.0f %10.0f %7.3f  %5.3f-%5.3f  %-22s %s\n", name, n, a, b, r.median,
                r.low, r.high, target, verdict);
}

void PrintHeader(const char* first, const char* second) {
    std::printf("%-42s %9s %10s %10s %7s  %-11s  %-22s %s\n", "case", "N/block", first, second,
                "ratio", "round range", "target", "");
    PrintRule();
}

// RunMain's variants, in the order it makes them.
enum MainCase {
    FwOwn,
    FwDeep,
    PlainPing,
    PlainTwin,
    FwMiss,
    PlainMiss,
    FwCmd,
    FwDeepCmd,
    PlainCmd,
    PlainLate,
    PlainSubclassed,
    BoxEarly,
    BoxLate
};

// One headline line of the summary table: the ratio against its target,
// with its round range and the run's noise floor.
void TargetRow(const char* measure, double limit, Ratio r, double a, double b, Ratio noise) {
    std::printf("ROW|dispatch|%s|ratio <= %.2f|%.3f (rounds %.3f-%.3f; %.0f / %.0f ns; noise "
                "%.3f-%.3f)|%s\n",
                measure, limit, r.median, r.low, r.high, a, b, noise.low, noise.high,
                r.median <= limit ? "met" : "NOT met");
}

// The timings of RunMain's variants, side by side.
void PrintMain(const std::vector<Variant>& v, int rounds) {
    auto med = [&](int i) { return Median(v[static_cast<std::size_t>(i)].ns); };
    auto ratio = [&](int a, int b) {
        return RatioOf(v[static_cast<std::size_t>(a)], v[static_cast<std::size_t>(b)]);
    };
    const long n = v[0].n;
    Ratio noise = ratio(PlainTwin, PlainPing);
    Ratio handled = ratio(FwOwn, PlainPing);
    Ratio depth = ratio(FwDeep, FwOwn);

    Ratio miss = ratio(FwMiss, PlainMiss);
    Ratio command = ratio(FwCmd, PlainCmd);
    Ratio box = ratio(BoxLate, BoxEarly);
    auto verdict = [](Ratio r, double limit) { return r.median <= limit ? "met" : "NOT met"; };

    std::printf(
        "\nDispatch through SendMessageA, ns per message: median of %d interleaved rounds\n",
        rounds);
    PrintHeader("framework", "plain");
    PrintRow("handled message, most derived map", n, med(FwOwn), med(PlainPing), handled,
             "ratio <= 1.10", verdict(handled, 1.10));
    PrintRow("handled message, map 4 bases up", n, med(FwDeep), med(PlainPing),
             ratio(FwDeep, PlainPing), "", "");
    PrintRow("unhandled message -> default procedure", n, med(FwMiss), med(PlainMiss), miss,
             "ratio <= 1.15", verdict(miss, 1.15));
    PrintRow("command from button (sig 12), own map", n, med(FwCmd), med(PlainCmd), command,
             "ratio <= 1.15", verdict(command, 1.15));
    PrintRow("command from button (sig 12), 4 bases up", n, med(FwDeepCmd), med(PlainCmd),
             ratio(FwDeepCmd, PlainCmd), "", "");
    PrintRule();
    std::printf("%-42s %9s %10s %10s\n", "", "", "4 up", "own map");
    PrintRow("depth: message 4 bases up / own map", n, med(FwDeep), med(FwOwn), depth,
             "ratio <= 1.03 (cached)", verdict(depth, 1.03));
    PrintRow("depth: command 4 bases up / own map", n, med(FwDeepCmd), med(FwCmd),
             ratio(FwDeepCmd, FwCmd), "(commands: no cache)", "");
    std::printf("%-42s %9s %10s %10s\n", "", "", "plain #2", "plain #1");
    PrintRow("noise floor: two identical plain windows", n, med(PlainTwin), med(PlainPing), noise,
             "", "");
    std::printf("%-42s %9s %10s %10s\n", "", "", "late", "plain #1");
    PrintRow("plain window made after a framework window", n, med(PlainLate), med(PlainPing),
             ratio(PlainLate, PlainPing), "(activation subclass)", "");
    std::printf("%-42s %9s %10s %10s\n", "", "", "with fw", "without");
    PrintRow("dialog box, thread with / without fw window", n, med(BoxLate), med(BoxEarly), box,
             "ratio <= 1.50", verdict(box, 1.50));
    std::printf("%-42s %9s %10s %10s\n", "", "", "set proc", "plain #1");
    Ratio subclassed = ratio(PlainSubclassed, PlainPing);
    PrintRow("plain procedure set by SetWindowLongA", n, med(PlainSubclassed), med(PlainPing),
             subclassed, "(how the framework's is set)", "");

    TargetRow("handled message, most derived map / plain proc", 1.10, handled, med(FwOwn),
              med(PlainPing), noise);
    TargetRow("unhandled message / DefWindowProcA via plain proc", 1.15, miss, med(FwMiss),
              med(PlainMiss), noise);
    TargetRow("button command, own map / plain WM_COMMAND case", 1.15, command, med(FwCmd),
              med(PlainCmd), noise);
    TargetRow("dialog box: thread with fw window / without", 1.50, box, med(BoxLate), med(BoxEarly),
              noise);
    TargetRow("depth: message 4 bases up / own map", 1.03, depth, med(FwDeep), med(FwOwn), noise);
    Ratio late = ratio(PlainLate, PlainPing);
    std::printf("ROW|dispatch|  part: plain window made after a fw window / plain|(diagnosis)|%.3f "
                "(rounds %.3f-%.3f; %.0f / %.0f ns)|\n",
                late.median, late.low, late.high, med(PlainLate), med(PlainPing));
    std::printf(
        "ROW|dispatch|  part: plain proc set by SetWindowLongA / class proc|(diagnosis)|%.3f "
        "(%.0f / %.0f ns)|\n",
        subclassed.median, med(PlainSubclassed), med(PlainPing));
}

void RunMain(const PlainWindows& plains, int rounds, double minMs) {
    BenchWnd framework;
    MakeFramework(framework);
    HWND plain = plains.main;
    HWND plainTwin = plains.twin;
    HWND plainButton = plains.button;
    HWND fwButton = MakeButton(framework.windowHandle, kButtonId);
    HWND fwDeepButton = MakeButton(framework.windowHandle, kDeepButtonId);
    HWND fw = framework.windowHandle;
    HWND late = MakePlain(0);
    HWND lateBox = MakeBox();
    if (GetWindowLongA(lateBox, GWL_WNDPROC) != reinterpret_cast<LONG>(&ActivationWindowProc)) {
        Fail("a dialog box made after a framework window lacks the activation procedure");
    }
    auto click = [](WORD id, HWND button) {
        return Send{GetParent(button), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                    reinterpret_cast<LPARAM>(button)};
    };

    std::vector<Variant> v = {
        {{{fw, kPing, 3, 4}}, true},
        {{{fw, kDeepPing, 3, 4}}, true},
        {{{plain, kPing, 3, 4}}, true},
        {{{plainTwin, kPing, 3, 4}}, true},
        {{{fw, kUnhandled, 3, 4}}, false},
        {{{plain, kUnhandled, 3, 4}}, false},
        {{click(kButtonId, fwButton)}, true},
        {{click(kDeepButtonId, fwDeepButton)}, true},
        {{click(kButtonId, plainButton)}, true},
        {{{late, kPing, 3, 4}}, true},
        {{{plains.subclassed, kPing, 3, 4}}, true},
        {{{plains.box, kPing, 3, 4}}, true},
        {{{lateBox, kPing, 3, 4}}, true},
    };
    RunRounds(v, rounds, minMs);
    PrintMain(v, rounds);
    DestroyWindow(lateBox);
    DestroyWindow(late);
}

// The framework's layers called directly, each one without the layers above
// it, to show where its share of a message goes.
LRESULT ByPlainProc(const Send& s) {
    return PlainProc(s.window, s.message, s.wParam, s.lParam);
}
LRESULT ByCommonProc(const Send& s) {
    return CommonWindowProc(s.window, s.message, s.wParam, s.lParam);
}
LRESULT ByDeliver(const Send& s) {
    return DeliverToObject(CWnd::PermanentObjectFor(s.window), s.window, s.message, s.wParam,
                           s.lParam);
}
LRESULT ByHandleMessage(const Send& s) {
    return CWnd::PermanentObjectFor(s.window)->HandleMessage(s.message, s.wParam, s.lParam);
}
LRESULT ByDispatch(const Send& s) {
    LRESULT result = 0;
    CWnd::PermanentObjectFor(s.window)->DispatchThroughMap(s.message, s.wParam, s.lParam, &result);
    return result;
}
LRESULT ByObjectLookup(const Send& s) {
    return reinterpret_cast<LRESULT>(CWnd::PermanentObjectFor(s.window));
}
LRESULT ByThreadState(const Send&) {
    return reinterpret_cast<LRESULT>(GetThreadState());
}
LRESULT ByCacheLock(const Send&) {
    TakeGlobalLock(kLockMessageMapCache);
    ReleaseGlobalLock(kLockMessageMapCache);
    return 0;
}

void RunBreakdown(const PlainWindows& plains, int rounds, double minMs) {
    BenchWnd framework;
    MakeFramework(framework);
    const Send fw = {framework.windowHandle, kPing, 3, 4};
    const Send plain = {plains.main, kPing, 3, 4};
    struct Row {
        const char* name;
        Send send;
        bool handled;
        Caller call;
    };
    const Row rows[] = {
        {"plain window procedure", plain, true, &ByPlainProc},
        {"CommonWindowProc", fw, true, &ByCommonProc},
        {"PermanentObjectFor + DeliverToObject", fw, true, &ByDeliver},
        {"PermanentObjectFor + HandleMessage", fw, true, &ByHandleMessage},
        {"PermanentObjectFor + DispatchThroughMap", fw, true, &ByDispatch},
        {"  part: PermanentObjectFor alone", fw, false, &ByObjectLookup},
        {"  part: GetThreadState alone", fw, false, &ByThreadState},
        {"  part: lock 7 taken and released (unused)", fw, false, &ByCacheLock},
    };
    std::vector<Variant> v;
    for (const Row& row : rows) {
        v.emplace_back(std::vector<Send>{row.send}, row.handled, row.call);
    }
    RunRounds(v, rounds, minMs);
    std::printf("\nWhere the framework's share goes: the handled message of the first table,\n"
                "layers called directly (no SendMessageA), median ns per call; every figure\n"
                "includes the benchmark's loop and indirect call, as the plain row does\n");
    std::printf("%-42s %9s %10s %10s\n", "call", "N/block", "ns", "- plain");
    PrintRule();
    double base = Median(v[0].ns);
    for (std::size_t i = 0; i < v.size(); ++i) {
        double ns = Median(v[i].ns);
        if (rows[i].handled) {
            std::printf("%-42s %9ld %10.0f %10.0f\n", rows[i].name, v[i].n, ns, ns - base);
        } else {
            std::printf("%-42s %9ld %10.0f\n", rows[i].name, v[i].n, ns);
        }
    }
}

void RunScaling(const PlainWindows& plains, int rounds, double minMs) {
    std::vector<Scaled> all = MakeScaled(std::make_index_sequence<kMaxScaled>());
    std::printf(
        "\nScaling: median ns per message, round-robin over that many framework windows of\n"
        "distinct classes (made for the run, destroyed after) and as many plain windows of\n"
        "distinct classes with a procedure each, as the framework classes have handlers\n"
        "each (all %d live throughout: made before the framework's creation hook); the\n"
        "last column against plain classes that share one procedure\n",
        kMaxScaled);
    std::printf("%-42s %9s %10s %10s %7s  %-11s  %-20s %s\n", "windows in round-robin (each kind)",
                "N/block", "framework", "plain", "ratio", "round range", "cache slots in use",
                "/ shared proc");
    PrintRule();
    std::vector<double> perLive, nsLive;
    for (int live : {1, 10, 100}) {
        std::vector<Send> fwSends, ownSends, sharedSends;
        std::set<UINT> slots;
        for (int i = 0; i < live; ++i) {
            const auto k = static_cast<std::size_t>(i);
            CWnd& w = *all[k].window;
            MakeFramework(w);
            fwSends.push_back({w.windowHandle, kPing, 3, 4});
            ownSends.push_back({plains.scaledOwn[k], kPing, 3, 4});
            sharedSends.push_back({plains.scaled[k], kPing, 3, 4});
            slots.insert((kPing ^ reinterpret_cast<UINT_PTR>(all[k].map)) & 0x1FF);
        }
        std::vector<Variant> v = {{fwSends, true}, {ownSends, true}, {sharedSends, true}};
        RunRounds(v, rounds, minMs);
        char name[64];
        std::snprintf(name, sizeof name, "%d", live);
        char slotText[64];
        std::snprintf(slotText, sizeof slotText, "%zu for %d maps", slots.size(), live);
        const Ratio r = RatioOf(v[0], v[1]);
        std::printf("%-42s %9ld %10.0f %10.0f %7.3f  %5.3f-%5.3f  %-20s %.3f\n", name, v[0].n,
                    Median(v[0].ns), Median(v[1].ns), r.median, r.low, r.high, slotText,
                    RatioOf(v[0], v[2]).median);
        perLive.push_back(r.median);
        nsLive.push_back(Median(v[0].ns));
        for (int i = 0; i < live; ++i) {
            all[static_cast<std::size_t>(i)].window->DestroyHandle();
        }
    }
    // Flat cost per message: the three ratios within 5 % of each other.
    const auto [low, high] = std::minmax_element(perLive.begin(), perLive.end());
    std::printf("ROW|scaling|dispatch, 1/10/100 live windows of distinct classes|within 5 %% of "
                "each other|%.0f/%.0f/%.0f ns (ratio to plain %.3f/%.3f/%.3f)|%s\n",
                nsLive[0], nsLive[1], nsLive[2], perLive[0], perLive[1], perLive[2],
                *high / *low <= 1.05 ? "met" : "NOT met");
}

} // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::atoi(argv[1]) : 15;
    double minMs = argc > 2 ? std::atof(argv[2]) : 100.0;
    if (rounds < 1 || minMs <= 0) {
        std::fprintf(stderr, "usage: dispatch_bench [rounds (15)] [ms per block (100)]\n");
        return 2;
    }
    GetModuleState()->resourceHandle = GetModuleHandleA(nullptr);
    GetModuleState()->instanceHandle = GetModuleHandleA(nullptr);
    WaitForDesktop();
    PlainWindows plains;
    plains.main = MakeUntouchedPlain(0);
    plains.twin = MakeUntouchedPlain(0);
    plains.button = MakeButton(plains.main, kButtonId);
    plains.subclassed = MakeUntouchedPlain(0);
    SetWindowLongA(plains.subclassed, GWL_WNDPROC, reinterpret_cast<LONG>(&PlainSubclassProc));
    for (int i = 0; i < kMaxScaled; ++i) {
        plains.scaled.push_back(MakeUntouchedPlain(i));
        plains.scaledOwn.push_back(MakeUntouchedPlain(i, true));
    }
    plains.box = MakeBox();
    RunMain(plains, rounds, minMs);
    RunBreakdown(plains, rounds, minMs);
    RunScaling(plains, rounds, minMs);
    std::printf(
        "\nTimes come from QueryPerformanceCounter around blocks of SendMessageA calls;\n"
        "each ratio is the median of per-round ratios, its range the lowest and highest.\n");
    std::fflush(stdout);
    return 0;
}
