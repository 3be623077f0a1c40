// The application object's start-up, loop, idle and exit rules, driven on
// the test's own thread with real messages.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "framework/runtime/exceptions.h"
#include "framework/runtime/state.h"
#include "framework/windows/messaging/win_app.h"
#include "framework/windows/messaging/window.h"
#include "common/import_patch.h"

namespace {

// An event of the loop: an idle pass (count) or a retrieved message.
struct LoopEvent {
    bool idle;
    UINT value;
    bool operator==(const LoopEvent&) const = default;
};

LoopEvent Idle(UINT count) {
    return {true, count};
}
LoopEvent Pumped(UINT message) {
    return {false, message};
}

class TestApp : public CWinApp {
public:
    TestApp() : CWinApp("TestApp") {}

    BOOL StartApplication() override { return startApplicationResult; }
    BOOL StartInstance() override {
        if (onStart) {
            onStart(this);
        }
        return startInstanceResult;
    }
    int FinishInstance() override {
        ++finishCalls;
        return CWinApp::FinishInstance();
    }
    BOOL IdleStep(LONG count) override {
        events.push_back(Idle(static_cast<UINT>(count)));
        BOOL more = CWinApp::IdleStep(count);
        if (!more && onIdleEnd) {
            onIdleEnd(this, ++idlePeriods);
        }
        return more;
    }
    BOOL PumpOneMessage() override {
        BOOL result = CWinApp::PumpOneMessage();
        if (result) {
            events.push_back(Pumped(currentMessage.message));
        }
        return result;
    }

    BOOL startApplicationResult = TRUE;
    BOOL startInstanceResult = FALSE;
    int finishCalls = 0;
    int idlePeriods = 0;
    UINT_PTR timer = 0;
    std::vector<LoopEvent> events;
    void (*onStart)(TestApp*) = nullptr;
    void (*onIdleEnd)(TestApp*, int period) = nullptr;
};

class DestroyRecordingWnd : public CWnd {
public:
    BOOL DestroyHandle() override {
        ++destroyCalls;
        return TRUE;
    }
    int destroyCalls = 0;
};

int RunFramework() {
    return FrameworkMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOW);
}

void DrainQueue() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
}

} // namespace

TEST(FrameworkMain, StartInstanceFalseGivesLastMessageWParam) {
    DrainQueue();
    TestApp app;
    app.onStart = [](TestApp* a) { a->currentMessage.wParam = 2; };
    EXPECT_EQ(RunFramework(), 2);
    EXPECT_EQ(app.finishCalls, 1);
    EXPECT_TRUE(app.events.empty()) << "no pump may run";
}

TEST(FrameworkMain, MainWindowLeftOverIsDestroyedBeforeFinishing) {
    TestApp app;
    DestroyRecordingWnd window;
    app.mainWindow = &window;
    EXPECT_EQ(RunFramework(), 0);
    EXPECT_EQ(window.destroyCalls, 1);
    EXPECT_EQ(app.finishCalls, 1);
    app.mainWindow = nullptr;
}

TEST(FrameworkMain, StartInstanceTrueWithoutMainWindowQuitsAtOnce) {
    DrainQueue();
    TestApp app;
    app.startInstanceResult = TRUE;
    EXPECT_EQ(RunFramework(), 0);
    EXPECT_EQ(app.finishCalls, 1);
    // The quit message is already queued: no idle pass, no message pumped.
    EXPECT_TRUE(app.events.empty());
}

TEST(FrameworkMain, FailedApplicationStartEndsWithMinusOne) {
    TestApp app;
    app.startApplicationResult = FALSE;
    app.onStart = [](TestApp*) { ADD_FAILURE() << "StartInstance must not run"; };
    EXPECT_EQ(RunFramework(), -1);
    EXPECT_EQ(app.finishCalls, 0);
}

TEST(FrameworkMain, InstallsAndRemovesTheMessageFilterHook) {
    TestApp app;
    app.onStart = [](TestApp*) { EXPECT_NE(GetThreadState()->messageFilterHook, nullptr); };
    RunFramework();
    EXPECT_EQ(GetThreadState()->messageFilterHook, nullptr);
}

// One idle period is exactly two passes; idle restarts only for messages
// that can change what idle work would do.
TEST(RunLoop, IdlePeriodsAndRestartRules) {
    DrainQueue();
    TestApp app;
    CWnd placeholder; // a main window without a handle keeps the loop running
    app.mainWindow = &placeholder;
    app.startInstanceResult = TRUE;
    app.onIdleEnd = [](TestApp* a, int period) {
        switch (period) {
        case 1:
            // Neither a paint nor the caret timer restarts idle; the timer
            // message that follows them does.
            PostThreadMessageA(GetCurrentThreadId(), WM_PAINT, 0, 0);
            PostThreadMessageA(GetCurrentThreadId(), 0x0118, 0, 0);
            a->timer = SetTimer(nullptr, 0, 1, nullptr);
            break;
        case 2: {
            KillTimer(nullptr, a->timer);
            MSG m;
            while (PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
            }
            PostThreadMessageA(GetCurrentThreadId(), WM_LUM_KICKIDLE, 0, 0);
            break;
        }
        default:
            PostQuitMessage(7);
            break;
        }
    };
    EXPECT_EQ(RunFramework(), 7);
    ASSERT_GE(app.events.size(), 7u);
    std::vector<LoopEvent> head(app.events.begin(), app.events.begin() + 4);
    std::vector<LoopEvent> expectedHead = {Idle(0), Idle(1), Pumped(WM_PAINT), Pumped(0x0118)};
    EXPECT_EQ(head, expectedHead);
    // Then timer messages until the timer is killed, one idle period each.
    size_t i = 4;
    while (i < app.events.size() && app.events[i] == Pumped(WM_TIMER)) {
        ++i;
    }
    ASSERT_GT(i, 4u) << "the timer message must arrive";
    std::vector<LoopEvent> tail(app.events.begin() + static_cast<long>(i), app.events.end());
    std::vector<LoopEvent> expectedTail = {Idle(0), Idle(1), Pumped(WM_LUM_KICKIDLE), Idle(0),
                                           Idle(1)};
    EXPECT_EQ(tail, expectedTail);
    app.mainWindow = nullptr;
}

TEST(RunLoop, MouseMovesRestartIdleOnlyWhenTheyChange) {
    TestApp app;
    MSG m = {};
    m.message = WM_MOUSEMOVE;
    m.pt = app.lastCursorPos;
    EXPECT_TRUE(app.RestartsIdle(&m)) << "first move: the message number is new";
    EXPECT_FALSE(app.RestartsIdle(&m)) << "same point, same message";
    m.pt.x += 1;
    EXPECT_TRUE(app.RestartsIdle(&m)) << "one pixel further";
    m.message = WM_NCMOUSEMOVE;
    EXPECT_TRUE(app.RestartsIdle(&m)) << "same point, other message";
    EXPECT_FALSE(app.RestartsIdle(&m));
    m.message = WM_PAINT;
    EXPECT_FALSE(app.RestartsIdle(&m));
    m.message = 0x0118;
    EXPECT_FALSE(app.RestartsIdle(&m));
    m.message = WM_LUM_KICKIDLE;
    EXPECT_TRUE(app.RestartsIdle(&m));
}

TEST(RunLoop, IdleKickIsRetrievedButNeverDispatched) {
    DrainQueue();
    struct KickProbe {
        static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
            if (msg == WM_LUM_KICKIDLE) {
                SetWindowLongPtrA(h, GWLP_USERDATA, 1);
            }
            return DefWindowProcA(h, msg, w, l);
        }
    };
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &KickProbe::Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "LumIdleKickProbe";
    RegisterClassA(&wc);
    HWND probe = CreateWindowA("LumIdleKickProbe", "", 0, 0, 0, 1, 1, nullptr, nullptr,
                               wc.hInstance, nullptr);
    ASSERT_NE(probe, nullptr);
    TestApp app;
    PostMessageA(probe, WM_LUM_KICKIDLE, 0, 0);
    PostQuitMessage(3);
    EXPECT_TRUE(app.PumpOneMessage());
    EXPECT_EQ(app.currentMessage.message, WM_LUM_KICKIDLE);
    EXPECT_FALSE(app.PumpOneMessage()) << "the quit message ends pumping";
    EXPECT_EQ(app.currentMessage.wParam, 3u);
    EXPECT_EQ(GetWindowLongPtrA(probe, GWLP_USERDATA), 0);
    DestroyWindow(probe);
    UnregisterClassA("LumIdleKickProbe", wc.hInstance);
}

TEST(Names, DerivedFromTheModulePath) {
    struct Case {
        const char* path;
        const char* title;
        const char* help;
        const char* profile;
    } cases[] = {
        {"C:\\DIR\\TOOL.EXE", "TOOL", "C:\\DIR\\TOOL.HLP", "TOOL.INI"},
        {"C:\\A.B\\C.D\\TOOL.EXE", "TOOL", "C:\\A.B\\C.D\\TOOL.HLP", "TOOL.INI"},
        {"C:\\DIR\\TOOL.V2.EXE", "TOOL.V2", "C:\\DIR\\TOOL.V2.HLP", "TOOL.V2.INI"},
        // A dot only in a directory name is no extension of the file.
        {"C:\\DIR.X\\TOOL", "TOOL", "C:\\DIR.X\\TOOL.HLP", "TOOL.INI"},
        {"TOOL", "TOOL", "TOOL.HLP", "TOOL.INI"},
        {"Z:/unix/like/tool.exe", "tool", "Z:/unix/like/tool.HLP", "tool.INI"},
    };
    for (const Case& c : cases) {
        DerivedNames names;
        DeriveNamesFromPath(c.path, &names);
        EXPECT_STREQ(names.title, c.title) << c.path;
        EXPECT_STREQ(names.helpFile, c.help) << c.path;
        EXPECT_STREQ(names.profile, c.profile) << c.path;
    }
}

TEST(Names, DoubleByteCharactersAreNotSeparators) {
    // 0x95 0x5C is one Shift-JIS character whose trail byte is a backslash.
    DerivedNames names;
    DeriveNamesFromPath("C:\\DIR\\\x95\x5C.EXE", &names);
    EXPECT_STREQ(names.title, "\x95\x5C");
    EXPECT_STREQ(names.profile, "\x95\x5C.INI");
    DeriveNamesFromPath("C:\\\x95\x5C\\TOOL.EXE", &names);
    EXPECT_STREQ(names.title, "TOOL");
    EXPECT_STREQ(names.helpFile, "C:\\\x95\x5C\\TOOL.HLP");
}

TEST(Names, FullLengthPathDoesNotOverflow) {
    std::string path = "C:\\" + std::string(MAX_PATH - 8, 'A') + ".EXE";
    path.resize(MAX_PATH - 1);
    DerivedNames names;
    DeriveNamesFromPath(path.c_str(), &names);
    std::string help = names.helpFile;
    EXPECT_EQ(help.substr(help.size() - 4), ".HLP");
}

TEST(Names, FileNamePartMeasuresWithoutOutput) {
    EXPECT_EQ(GetFileNamePart("C:\\DIR\\TOOL.EXE", nullptr, 0), 9);
    char out[5];
    EXPECT_EQ(GetFileNamePart("C:TOOL.EXE", out, sizeof out), 0);
    EXPECT_STREQ(out, "TOOL");
}

TEST(Names, ApplicationTakesThemFromItsRealModule) {
    TestApp app;
    free(app.appName);
    app.appName = nullptr;
    app.instance = GetModuleHandleA(nullptr);
    app.DeriveNamesAndPaths();
    EXPECT_STREQ(app.exeName, "runtime_tests");
    EXPECT_STREQ(app.appName, "runtime_tests") << "no string 0xE000 in this module";
    EXPECT_STREQ(app.profileName, "runtime_tests.INI");
    std::string help = app.helpFilePath;
    EXPECT_EQ(help.substr(help.size() - 18), "\\runtime_tests.HLP");
    EXPECT_EQ(GetModuleState()->currentAppName, app.appName);
}

TEST(CommandLine, TailFollowsProgramNameAndBlanks) {
    EXPECT_STREQ(CommandTail("\"C:\\Program Files\\x.exe\"  -a b"), "-a b");
    EXPECT_STREQ(CommandTail("x.exe"), "");
    EXPECT_STREQ(CommandTail("x.exe \t arg"), "arg");
    EXPECT_STREQ(CommandTail("\"unterminated"), "");
    EXPECT_STREQ(CommandTail(""), "");
}

TEST(Terminate, UnregistersListedClassesOnce) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "LumListedClass";
    ASSERT_NE(RegisterClassA(&wc), 0);
    ModuleState* module = GetModuleState();
    module->instanceHandle = wc.hInstance;
    lstrcpyA(module->unregisterList, "LumListedClass\n");
    TerminateFramework();
    WNDCLASSA info;
    EXPECT_FALSE(GetClassInfoA(wc.hInstance, "LumListedClass", &info));
    EXPECT_EQ(module->unregisterList[0], '\0');
    ASSERT_NE(RegisterClassA(&wc), 0);
    TerminateFramework();
    EXPECT_TRUE(GetClassInfoA(wc.hInstance, "LumListedClass", &info))
        << "a second call unregisters nothing";
    UnregisterClassA("LumListedClass", wc.hInstance);
}

TEST(WaitCursor, NestsAndRestoresTheSavedCursor) {
    TestApp app;
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetCursor(arrow);
    app.ShowWaitCursor(1);
    EXPECT_EQ(app.waitCursorCount, 1);
    EXPECT_EQ(app.savedCursor, arrow);
    app.ShowWaitCursor(1);
    app.ShowWaitCursor(-1);
    EXPECT_EQ(app.savedCursor, arrow) << "inner levels keep the outer saved cursor";
    app.ShowWaitCursor(-5);
    EXPECT_EQ(app.waitCursorCount, 0) << "never below zero";
}

TEST(CallbackExceptions, CreationFailsAndPaintingStops) {
    TestApp app;
    MSG create = {};
    create.message = WM_CREATE;
    EXPECT_EQ(app.HandleCallbackException(StaticMemoryException(), &create), -1);
    MSG command = {};
    command.message = WM_COMMAND;
    command.lParam = 1;
    // The user exception is silent: no box, and the command counts as handled.
    EXPECT_EQ(app.HandleCallbackException(StaticUserException(), &command), 1);
}

namespace {

// The system's lookup, with the declaration replaced by a counter, or
// missing as on systems before Vista.
struct DeclarationLookup {
    using Lookup = FARPROC(WINAPI*)(HMODULE, LPCSTR);
    static FARPROC WINAPI Find(HMODULE module, LPCSTR name) {
        if (HIWORD(reinterpret_cast<ULONG_PTR>(name)) != 0 &&
            lstrcmpA(name, "SetProcessDPIAware") == 0) {
            asked = module;
            return present ? reinterpret_cast<FARPROC>(&Declare) : nullptr;
        }
        return original(module, name);
    }
    static BOOL WINAPI Declare() {
        ++declarations;
        return TRUE;
    }
    static inline Lookup original = nullptr;
    static inline bool present = false;
    static inline HMODULE asked = nullptr;
    static inline int declarations = 0;
};

} // namespace

TEST(DpiAwareness, DeclaredThroughUser32WhereTheCallExists) {
    for (bool present : {true, false}) {
        SCOPED_TRACE(present ? "Vista and later" : "earlier systems");
        ImportPatch patch("KERNEL32.dll", "GetProcAddress",
                          reinterpret_cast<void*>(&DeclarationLookup::Find));
        ASSERT_TRUE(patch.Applied());
        DeclarationLookup::original = patch.Original<DeclarationLookup::Lookup>();
        DeclarationLookup::present = present;
        DeclarationLookup::asked = nullptr;
        DeclarationLookup::declarations = 0;
        DeclareDpiAware();
        EXPECT_EQ(GetModuleHandleA("USER32.DLL"), DeclarationLookup::asked);
        EXPECT_EQ(present ? 1 : 0, DeclarationLookup::declarations);
    }
}
