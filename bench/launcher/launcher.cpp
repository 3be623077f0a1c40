// Starts LUMCFG and the plain Win32 baseline under the same Wine, in turn,
// and measures each from outside: time from process creation to a visible,
// painted settings dialog; what an untouched dialog costs (processor time,
// messages retrieved); memory with the dialog open and across many About
// boxes. Prints readable tables and one "ROW|" line per headline result.
#include <windows.h>

#include "bench_clock.h"
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "idle_protocol.h"

namespace {

constexpr DWORD kStartTimeout = 120000;
constexpr DWORD kStepTimeout = 30000;
constexpr int kSettingsControl = 1000; // only the settings dialog has it
constexpr UINT kAboutCommand = 0x0010;

struct HandleCloser {
    void operator()(HANDLE handle) const {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct ViewUnmapper {
    void operator()(void* view) const { UnmapViewOfFile(view); }
};
using UniqueView = std::unique_ptr<void, ViewUnmapper>;

struct HookRemover {
    void operator()(HHOOK hook) const { UnhookWindowsHookEx(hook); }
};
using UniqueHook = std::unique_ptr<std::remove_pointer_t<HHOOK>, HookRemover>;

struct LibraryFreer {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using UniqueLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "launcher: %s (error %lu)\n", what, GetLastError());
    std::fflush(stdout);
    std::fflush(stderr);
    std::exit(1);
}

double Now() {
    return NowSeconds() * 1000.0;
}

std::string HostToWinePath(const char* hostPath) {
    if (hostPath[0] != '/') {
        return hostPath;
    }
    std::string path = "Z:";
    for (const char* p = hostPath; *p != '\0'; ++p) {
        path += *p == '/' ? '\\' : *p;
    }
    return path;
}

void Row(const char* area, const char* measure, const char* target, const std::string& result,
         const char* verdict) {
    std::printf("ROW|%s|%s|%s|%s|%s\n", area, measure, target, result.c_str(), verdict);
}

std::string Format(const char* format, double a, double b = 0, double c = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

struct Program {
    const char* label;
    std::string path;
};

struct DialogSearch {
    DWORD processId;
    bool settings;
    HWND found;
};

BOOL CALLBACK FindDialogOf(HWND window, LPARAM param) {
    auto& s = *reinterpret_cast<DialogSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[16] = "";
    if (owner != s.processId || !IsWindowVisible(window) ||
        GetClassNameA(window, className, sizeof className) == 0 ||
        lstrcmpiA(className, "#32770") != 0 ||
        (GetDlgItem(window, kSettingsControl) != nullptr) != s.settings) {
        return TRUE;
    }
    s.found = window;
    return FALSE;
}

HWND ShownDialog(DWORD processId, bool settings) {
    DialogSearch search = {processId, settings, nullptr};
    EnumWindows(FindDialogOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK ChildNeedsPaint(HWND child, LPARAM found) {
    if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}

// Update regions still waiting for WM_PAINT: the dialog's and its controls'.
bool NeedsPaint(HWND dialog) {
    bool found = GetUpdateRect(dialog, nullptr, FALSE) != FALSE;
    if (!found) {
        EnumChildWindows(dialog, ChildNeedsPaint, reinterpret_cast<LPARAM>(&found));
    }
    return found;
}

bool Answers(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kStepTimeout, &result) != 0;
}

struct Memory {
    double peakWorkingSet = 0; // KiB
    double workingSet = 0;
    double privateUsage = 0;
    double privateCommitted = 0; // committed MEM_PRIVATE regions, by VirtualQueryEx
};

// One run of a program, ended (if still alive) when it goes.
class Run {
public:
    explicit Run(const Program& program) {
        std::string commandLine = "\"" + program.path + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        started = Now();
        if (!CreateProcessA(program.path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, &startup, &info)) {
            Fail("cannot start a program");
        }
        process.reset(info.hProcess);
        UniqueHandle thread(info.hThread);
        processId = info.dwProcessId;
    }
    ~Run() {
        if (Running()) {
            TerminateProcess(process.get(), 0xDEAD);
            WaitForSingleObject(process.get(), kStepTimeout);
        }
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    bool Running() const { return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT; }

    // Polls the condition; between looks waits 1 ms or until the process ends.
    template <typename Condition> bool WaitFor(Condition condition, DWORD timeout) {
        const double end = Now() + timeout;
        for (;;) {
            if (condition()) {
                return true;
            }
            if (Now() >= end || WaitForSingleObject(process.get(), 1) != WAIT_TIMEOUT) {
                return condition();
            }
        }
    }

    // The settings dialog shown, answering, and with nothing left to paint;
    // returns the milliseconds from process creation.
    double WaitUntilPainted() {
        if (!WaitFor([&] { return (dialog = ShownDialog(processId, true)) != nullptr; },
                     kStartTimeout)) {
            Fail("the settings dialog did not appear");
        }
        if (!WaitFor(
                [&] {
                    if (!Answers(dialog)) {
                        return false;
                    }
                    if (NeedsPaint(dialog)) {
                        ++pendingPaintSeen;
                        return false;
                    }
                    return true;
                },
                kStepTimeout)) {
            Fail("the settings dialog was not painted");
        }
        return Now() - started;
    }

    // After the paint: the dialog's thread waiting for input with none
    // pending, where a user can act; milliseconds from process creation.
    double WaitUntilReady() {
        if (WaitForInputIdle(process.get(), kStepTimeout) != 0) {
            Fail("the program did not come to wait for input");
        }
        return Now() - started;
    }

    void Close() {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        if (WaitForSingleObject(process.get(), kStepTimeout) != WAIT_OBJECT_0) {
            Fail("a program did not end on Cancel");
        }
    }

    // The About box from the system menu, shown and closed with OK.
    void AboutOnce() {
        PostMessageA(dialog, WM_SYSCOMMAND, kAboutCommand, 0);
        HWND about = nullptr;
        if (!WaitFor([&] { return (about = ShownDialog(processId, false)) != nullptr; },
                     kStepTimeout)) {
            Fail("the About box did not appear");
        }
        PostMessageA(about, WM_COMMAND, IDOK, 0);
        // Closed, and the settings dialog enabled and answering again.
        if (!WaitFor([&] { return !IsWindow(about) && IsWindowEnabled(dialog) && Answers(dialog); },
                     kStepTimeout)) {
            Fail("the About box did not close");
        }
    }

    Memory ReadMemory() const {
        Memory m;
        PROCESS_MEMORY_COUNTERS_EX counters = {};
        counters.cb = sizeof counters;
        if (GetProcessMemoryInfo(process.get(),
                                 reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                 sizeof counters)) {
            m.peakWorkingSet = static_cast<double>(counters.PeakWorkingSetSize) / 1024;
            m.workingSet = static_cast<double>(counters.WorkingSetSize) / 1024;
            m.privateUsage = static_cast<double>(counters.PrivateUsage) / 1024;
        }
        MEMORY_BASIC_INFORMATION info;
        const char* address = nullptr;
        while (VirtualQueryEx(process.get(), address, &info, sizeof info) == sizeof info) {
            if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) {
                m.privateCommitted += static_cast<double>(info.RegionSize) / 1024;
            }
            const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
            if (next <= address) {
                break;
            }
            address = next;
        }
        return m;
    }

    // Kernel and user time so far, in ms.
    double ProcessorTime() const {
        FILETIME created, ended, kernel, user;
        if (!GetProcessTimes(process.get(), &created, &ended, &kernel, &user)) {
            return -1;
        }
        auto ms = [](FILETIME t) {
            return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                       t.dwLowDateTime) /
                   1e4;
        };
        return ms(kernel) + ms(user);
    }

    UniqueHandle process;
    DWORD processId = 0;
    HWND dialog = nullptr;
    double started = 0;
    int pendingPaintSeen = 0;
};

struct StartSample {
    double ms;      // to the painted dialog
    double readyMs; // to the painted dialog and a thread waiting for input
    Memory memory;
    int pendingPaintSeen;
};

StartSample StartOnce(const Program& program) {
    Run run(program);
    StartSample s;
    s.ms = run.WaitUntilPainted();
    s.readyMs = run.WaitUntilReady();
    s.memory = run.ReadMemory();
    s.pendingPaintSeen = run.pendingPaintSeen;
    run.Close();
    return s;
}

// What the later parts read of the start-up rounds: memory with the dialog open.
struct StartResult {
    Memory toolMemory, baseMemory;
};

Memory MedianMemory(const std::vector<StartSample>& samples) {
    std::vector<double> peak, ws, priv, committed;
    for (const StartSample& s : samples) {
        peak.push_back(s.memory.peakWorkingSet);
        ws.push_back(s.memory.workingSet);
        priv.push_back(s.memory.privateUsage);
        committed.push_back(s.memory.privateCommitted);
    }
    return {Median(peak), Median(ws), Median(priv), Median(committed)};
}

// Per round: the three programs' times and the ratios the rows read.
struct StartRounds {
    std::vector<double> tool, base, variant;
    std::vector<double> toolOverBase, variantOverBase, toolOverVariant;

    void Add(double a, double b, double c) {
        tool.push_back(a);
        base.push_back(b);
        toolOverBase.push_back(a / b);
        if (c > 0) {
            variant.push_back(c);
            variantOverBase.push_back(c / b);
            toolOverVariant.push_back(a / c);
        }
    }
};

void StartRows(const char* to, const StartRounds& r, bool withVariant, double toVariantTarget) {
    char measure[96], target[16];
    std::snprintf(measure, sizeof measure, "LUMCFG / baseline, create -> %s", to);
    Row("start-up", measure, "<= 1.10",
        Format("%.3f (%.0f / %.0f ms)", Median(r.toolOverBase), Median(r.tool), Median(r.base)),
        Median(r.toolOverBase) <= 1.10 ? "met" : "NOT met");
    if (!withVariant) {
        return;
    }
    std::snprintf(measure, sizeof measure, "LUMCFG / baseline+comctl32, create -> %s", to);
    std::snprintf(target, sizeof target, toVariantTarget > 0 ? "<= %.2f" : "(diagnosis)",
                  toVariantTarget);
    const double framework = Median(r.toolOverVariant);
    Row("start-up", measure, target,
        Format("%.3f (%.0f / %.0f ms)", framework, Median(r.tool), Median(r.variant)),
        toVariantTarget <= 0           ? ""
        : framework <= toVariantTarget ? "met"
                                       : "NOT met");
}

// Rounds A B (tool, baseline), or A B C with the baseline variant that loads
// the common controls library, as the framework does before its dialog: the
// tool over that variant is the framework's own share.
StartResult MeasureStart(const Program& tool, const Program& base, const Program* variant,
                         int pairs, int warmups) {
    std::printf("\nStart-up: process creation to a visible, painted settings dialog, and to\n"
                "that and the program's thread waiting for input (WaitForInputIdle), ms\n");
    std::printf("%-6s %17s %17s %17s %8s %8s   %s\n", "round", tool.label, base.label,
                variant != nullptr ? variant->label : "-", "A/C", "C/B",
                "polls that saw paint pending (A/B)");
    std::printf("%-6s %17s %17s %17s %17s\n", "", "painted / ready", "painted / ready",
                "painted / ready", "ready");
    StartRounds painted, ready;
    std::vector<StartSample> a, b;
    int pendingSeen = 0;
    for (int i = -warmups; i < pairs; ++i) {
        StartSample x = StartOnce(tool);
        StartSample y = StartOnce(base);
        StartSample z = variant != nullptr ? StartOnce(*variant) : StartSample{};
        std::printf("%-6s %8.1f %8.1f %8.1f %8.1f %8.1f %8.1f %8.3f %8.3f   %d/%d%s\n",
                    i < 0 ? "warm" : std::to_string(i + 1).c_str(), x.ms, x.readyMs, y.ms,
                    y.readyMs, z.ms, z.readyMs, z.readyMs > 0 ? x.readyMs / z.readyMs : 0,
                    z.readyMs / y.readyMs, x.pendingPaintSeen, y.pendingPaintSeen,
                    i < 0 ? " (not counted)" : "");
        if (i < 0) {
            continue;
        }
        painted.Add(x.ms, y.ms, z.ms);
        ready.Add(x.readyMs, y.readyMs, z.readyMs);
        pendingSeen += x.pendingPaintSeen + y.pendingPaintSeen;
        a.push_back(x);
        b.push_back(y);
    }
    std::printf("(ratios: medians of per-round ratios; ready A/B range %.3f-%.3f)\n",
                *std::min_element(ready.toolOverBase.begin(), ready.toolOverBase.end()),
                *std::max_element(ready.toolOverBase.begin(), ready.toolOverBase.end()));
    if (pendingSeen == 0) {
        std::printf("note: no poll ever saw a pending update region; the paint condition may "
                    "be vacuous here\n");
    }
    const bool withVariant = variant != nullptr;
    StartRows("painted", painted, withVariant, 0);
    StartRows("ready for input", ready, withVariant, 1.05);
    if (withVariant) {
        Row("start-up", "  part: baseline+comctl32 / baseline, ready", "(diagnosis)",
            Format("%.3f (%.0f / %.0f ms)", Median(ready.variantOverBase), Median(ready.variant),
                   Median(ready.base)),
            "");
    }
    return {MedianMemory(a), MedianMemory(b)};
}

struct IdleResult {
    double cpuMs;
    long removed;
    long peeked;
    double seconds;
};

IdleResult MeasureIdle(const Program& program, const std::string& probePath, DWORD idleMs) {
    Run run(program);
    run.WaitUntilPainted();
    char name[64];
    idleprobe::BlockName(run.processId, name);
    UniqueHandle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            sizeof(idleprobe::Block), name));
    if (mapping == nullptr) {
        Fail("no shared block for the idle probe");
    }
    UniqueView view(MapViewOfFile(mapping.get(), FILE_MAP_WRITE | FILE_MAP_READ, 0, 0, 0));
    auto* block = static_cast<volatile idleprobe::Block*>(view.get());
    if (block == nullptr) {
        Fail("cannot map the idle probe's block");
    }
    UniqueLibrary library(LoadLibraryA(probePath.c_str()));
    if (library == nullptr) {
        Fail("the idle probe library does not load");
    }
    const auto proc = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(GetProcAddress(library.get(), idleprobe::kHookProcName)));
    const DWORD thread = GetWindowThreadProcessId(run.dialog, nullptr);
    UniqueHook hook(proc != nullptr ? SetWindowsHookExA(WH_GETMESSAGE, proc, library.get(), thread)
                                    : nullptr);
    if (hook == nullptr) {
        Fail("cannot hook the idle probe into the program");
    }
    // The library loads in the program when its thread next retrieves a message.
    const UINT kick = RegisterWindowMessageA(idleprobe::kKickMessage);
    if (!run.WaitFor(
            [&] {
                PostMessageA(run.dialog, kick, 0, 0);
                return run.WaitFor([&] { return block->kicked != 0; }, 500);
            },
            kStepTimeout)) {
        Fail("the idle probe did not report from the program");
    }
    // The first idle phase after the kick ends once no message came for 1 s.
    LONG last = block->removed;
    double quietSince = Now();
    if (!run.WaitFor(
            [&] {
                if (block->removed != last) {
                    last = block->removed;
                    quietSince = Now();
                }
                return Now() - quietSince >= 1000;
            },
            kStepTimeout)) {
        Fail("the program did not become idle");
    }
    const LONG removed0 = block->removed;
    const LONG peeked0 = block->peeked;
    const double cpu0 = run.ProcessorTime();
    const double t0 = Now();
    if (WaitForSingleObject(run.process.get(), idleMs) != WAIT_TIMEOUT) {
        Fail("a program ended while idle");
    }
    IdleResult r = {run.ProcessorTime() - cpu0, block->removed - removed0, block->peeked - peeked0,
                    (Now() - t0) / 1000};
    std::printf("%-8s idle %.1f s: processor %.1f ms, retrieved %ld, peeked %ld", program.label,
                r.seconds, r.cpuMs, r.removed, r.peeked);
    if (r.removed > 0) {
        std::printf("; last retrieved:");
        for (LONG i = std::max(removed0, block->removed - 8); i < block->removed; ++i) {
            std::printf(" 0x%04X", block->recent[i % idleprobe::kRecent].message);
        }
    }
    std::printf("\n");
    hook.reset();
    run.Close();
    return r;
}

void PrintMemory(const char* label, const Memory& m) {
    std::printf("%-30s %12.0f %12.0f %12.0f %14.0f\n", label, m.peakWorkingSet, m.workingSet,
                m.privateUsage, m.privateCommitted);
}

struct AboutResult {
    Memory open, first, last;
};

AboutResult MeasureAbout(const Program& program, int times) {
    Run run(program);
    run.WaitUntilPainted();
    AboutResult r;
    r.open = run.ReadMemory();
    run.AboutOnce();
    r.first = run.ReadMemory();
    for (int i = 1; i < times; ++i) {
        run.AboutOnce();
    }
    r.last = run.ReadMemory();
    run.Close();
    return r;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: lum_launcher TOOL.EXE BASELINE.EXE PROBE.DLL [pairs (15)] "
                             "[about boxes (200)] [idle s (5)] [BASELINE+COMCTL32.EXE]\n");
        return 2;
    }
    const Program tool = {"LUMCFG", HostToWinePath(argv[1])};
    const Program base = {"baseline", HostToWinePath(argv[2])};
    const std::string probe = HostToWinePath(argv[3]);
    const int pairs = argc > 4 ? std::atoi(argv[4]) : 15;
    const int aboutTimes = argc > 5 ? std::atoi(argv[5]) : 200;
    const double idleSeconds = argc > 6 ? std::atof(argv[6]) : 5.0;
    if (pairs < 1 || aboutTimes < 2 || idleSeconds <= 0) {
        Fail("bad arguments");
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    const Program variant = {"base+cc", argc > 7 ? HostToWinePath(argv[7]) : std::string()};

    StartResult start = MeasureStart(tool, base, argc > 7 ? &variant : nullptr, pairs, 2);

    std::printf("\nIdle: dialog open and untouched, after its first idle phase\n");
    const DWORD idleMs = static_cast<DWORD>(idleSeconds * 1000);
    for (const Program* p : {&tool, &base}) {
        IdleResult r = MeasureIdle(*p, probe, idleMs);
        std::string measure =
            std::string(p->label) + ": processor time, " + Format("%.0f s untouched", r.seconds);
        // Wine reads another process's times in clock ticks of 10 ms.
        Row("idle", measure.c_str(), "0 ms (+- 1 tick of 10)", Format("%.1f ms", r.cpuMs),
            r.cpuMs <= 10 ? "met" : "NOT met");
        measure = std::string(p->label) + ": messages retrieved (peeked)";
        Row("idle", measure.c_str(), "0",
            Format("%.0f (%.0f)", static_cast<double>(r.removed), static_cast<double>(r.peeked)),
            r.removed == 0 ? "met" : "NOT met");
    }

    std::printf("\nMemory, KiB (start-up runs: medians with the dialog open)\n");
    std::printf("%-30s %12s %12s %12s %14s\n", "", "peak WS", "WS", "private", "priv.committed");
    PrintMemory("LUMCFG, dialog open", start.toolMemory);
    PrintMemory("baseline, dialog open", start.baseMemory);
    AboutResult toolAbout = MeasureAbout(tool, aboutTimes);
    AboutResult baseAbout = MeasureAbout(base, aboutTimes);
    char label[64];
    PrintMemory("LUMCFG, one run: dialog open", toolAbout.open);
    PrintMemory("LUMCFG, after About x1", toolAbout.first);
    std::snprintf(label, sizeof label, "LUMCFG, after About x%d", aboutTimes);
    PrintMemory(label, toolAbout.last);
    PrintMemory("baseline, one run: dialog open", baseAbout.open);
    PrintMemory("baseline, after About x1", baseAbout.first);
    std::snprintf(label, sizeof label, "baseline, after About x%d", aboutTimes);
    PrintMemory(label, baseAbout.last);

    const Memory& t = start.toolMemory;
    const Memory& b = start.baseMemory;
    auto ratioRow = [](const char* measure, double tool, double base) {
        if (base <= 0) {
            Row("memory", measure, "<= 1.2 x baseline", "0 / 0: not reported under Wine", "n/a");
            return;
        }
        const double ratio = tool / base;
        Row("memory", measure, "<= 1.2 x baseline",
            Format("%.2f (%.0f / %.0f KiB)", ratio, tool, base), ratio <= 1.2 ? "met" : "NOT met");
    };
    ratioRow("peak working set, dialog open", t.peakWorkingSet, b.peakWorkingSet);
    ratioRow("private bytes (PrivateUsage), dialog open", t.privateUsage, b.privateUsage);
    ratioRow("private committed (VirtualQueryEx), dialog open", t.privateCommitted,
             b.privateCommitted);
    auto growthRow = [&](const char* who, const char* what, double first, double last,
                         double noise) {
        char measure[128];
        std::snprintf(measure, sizeof measure, "%s: %s growth, About x1 -> x%d", who, what,
                      aboutTimes);
        const double growth = last - first;
        Row("memory", measure, "~0 (noise)",
            Format("%+.0f KiB (%.0f -> %.0f)", growth, first, last),
            growth <= noise ? "met" : "NOT met");
    };
    // Noise: what the baseline's same loop grows by, and at least 64 KiB.
    const double wsNoise = std::max(64.0, baseAbout.last.workingSet - baseAbout.first.workingSet);
    const double privNoise =
        std::max(64.0, baseAbout.last.privateCommitted - baseAbout.first.privateCommitted);
    growthRow("LUMCFG", "working set", toolAbout.first.workingSet, toolAbout.last.workingSet,
              wsNoise);
    growthRow("LUMCFG", "private committed", toolAbout.first.privateCommitted,
              toolAbout.last.privateCommitted, privNoise);
    growthRow("baseline", "private committed", baseAbout.first.privateCommitted,
              baseAbout.last.privateCommitted, 64.0);
    return 0;
}
