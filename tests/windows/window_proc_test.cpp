// Framework windows end to end: creation through the hook, the common window
// procedure, delivery, dispatch by signature and the final message.
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "framework/runtime/exceptions.h"
#include "framework/runtime/state.h"
#include "framework/windows/messaging/win_app.h"
#include "framework/windows/messaging/dispatch.h"
#include "framework/windows/handles/handle_table.h"
#include "framework/windows/messaging/window.h"
#include "framework/windows/messaging/window_class.h"
#include "framework/windows/messaging/window_proc.h"
#include "tests/windows/window_test_support.h"

namespace {

using wintest::CreateTop;
using wintest::Seen;

constexpr UINT WM_TEST_THROW = WM_APP + 10;
constexpr UINT WM_TEST_NESTED = WM_APP + 11;
constexpr UINT WM_TEST_FALLTHROUGH = WM_APP + 12;
constexpr UINT WM_TEST_SYSCOMMANDLIKE = WM_APP + 13;

UINT registeredTestMessage = RegisterWindowMessageA("LumTestRegistered");

class RecordingWnd : public CWnd {
    LUM_DECLARE_MESSAGE_MAP(RecordingWnd)
public:
    BOOL HandleNcCreate(const CREATESTRUCTA*) {
        boundAtNcCreate = windowHandle != nullptr;
        seen.push_back({WM_NCCREATE, 0, 0});
        return DefaultForCurrentMessage() != 0;
    }
    LRESULT HandleNcCalcSize(BOOL, NCCALCSIZE_PARAMS*) {
        seen.push_back({WM_NCCALCSIZE, 0, 0});
        return DefaultForCurrentMessage();
    }
    LRESULT HandleCreate(const CREATESTRUCTA*) {
        seen.push_back({WM_CREATE, 0, 0});
        if (failCreate) {
            RaiseMemoryException();
        }
        return 0;
    }
    void HandleThrow(WPARAM, LPARAM) { RaiseUserException(); }
    LRESULT HandleNested(WPARAM, LPARAM l) {
        // Something else is delivered while this message is being handled.
        SendMessageA(reinterpret_cast<HWND>(l), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("inner"));
        nestedSawOwnMessage = CurrentMessage()->message == WM_TEST_NESTED;
        return 5;
    }
    void HandleSetText(WPARAM, LPARAM) { DefaultForCurrentMessage(); }
    LRESULT HandleFallThrough(UINT a, UINT, UINT, UINT) { return a; }
    void HandleSysCommandLike(WPARAM w, LPARAM) { seen.push_back({WM_TEST_SYSCOMMANDLIKE, w, 0}); }
    LRESULT HandleRegistered(WPARAM w, LPARAM l) { return static_cast<LRESULT>(w + l); }
    void OnButton() { seen.push_back({WM_COMMAND, 1002, 0}); }
    void OnMenuCommand() { seen.push_back({WM_COMMAND, 40, 0}); }
    void OnUpdateDisabled(CCmdUI* ui) { ui->SetEnabled(FALSE); }
    void OnDisabledCommand() { seen.push_back({WM_COMMAND, 41, 0}); }
    void AfterFinalMessage() override { ++finalCalls; }

    std::vector<Seen> seen;
    bool boundAtNcCreate = false;
    bool failCreate = false;
    bool nestedSawOwnMessage = false;
    int finalCalls = 0;
};

// clang-format off
LUM_BEGIN_MESSAGE_MAP(RecordingWnd, CWnd)
LUM_ON_WM_NCCREATE(HandleNcCreate)
LUM_ON_WM_NCCALCSIZE(HandleNcCalcSize)
LUM_ON_WM_CREATE(HandleCreate)
LUM_ON_MESSAGE(WM_TEST_THROW, LumForm::VoidWParamLParam, HandleThrow)
LUM_ON_MESSAGE(WM_TEST_NESTED, LumForm::LresultWParamLParam, HandleNested)
LUM_ON_MESSAGE(WM_SETTEXT, LumForm::VoidWParamLParam, HandleSetText)
LUM_ON_MESSAGE(WM_TEST_FALLTHROUGH, LumForm::LresultOrDefaultFourWords, HandleFallThrough)
LUM_ON_MESSAGE(WM_TEST_SYSCOMMANDLIKE, LumForm::VoidCommandLParam, HandleSysCommandLike)
LUM_ON_REGISTERED_MESSAGE(registeredTestMessage, HandleRegistered)
LUM_ON_COMMAND(1002, OnButton)
LUM_ON_COMMAND(40, OnMenuCommand)
LUM_ON_UPDATE_COMMAND_UI(41, OnUpdateDisabled)
LUM_ON_COMMAND(41, OnDisabledCommand)
LUM_END_MESSAGE_MAP(RecordingWnd, CWnd)
// clang-format on

// A button that handles its own click.
class SelfClickingButton : public CWnd {
    LUM_DECLARE_MESSAGE_MAP(SelfClickingButton)
public:
    void OnReflectedClick() { ++clicks; }
    int clicks = 0;
};

LUM_BEGIN_MESSAGE_MAP(SelfClickingButton, CWnd)
LUM_ON_CONTROL_REFLECT(BN_CLICKED, OnReflectedClick)
LUM_END_MESSAGE_MAP(SelfClickingButton, CWnd)

class TestThreadApp : public CWinApp {
public:
    TestThreadApp() : CWinApp("WindowTests") {}
};

} // namespace

TEST(Creation, BoundBeforeTheFirstMessageAndSubclassed) {
    RecordingWnd w;
    ASSERT_TRUE(CreateTop(w));
    EXPECT_TRUE(w.boundAtNcCreate);
    ASSERT_GE(w.seen.size(), 3u);
    std::vector<Seen> head(w.seen.begin(), w.seen.begin() + 3);
    EXPECT_EQ(head,
              (std::vector<Seen>{{WM_NCCREATE, 0, 0}, {WM_NCCALCSIZE, 0, 0}, {WM_CREATE, 0, 0}}));
    EXPECT_EQ(CWnd::PermanentObjectFor(w.windowHandle), &w);
    EXPECT_EQ(GetWindowLongA(w.windowHandle, GWL_WNDPROC),
              reinterpret_cast<LONG>(GetCommonWindowProc()));
    EXPECT_EQ(w.superProc, &DefWindowProcA) << "the standard class's procedure";
    EXPECT_EQ(SendMessageA(w.windowHandle, WM_LUM_WNDPROC_PROBE, 0, 0), 1);
    HWND h = w.windowHandle;
    EXPECT_TRUE(w.DestroyHandle());
    EXPECT_EQ(w.windowHandle, nullptr) << "unbound by the final message";
    EXPECT_EQ(CWnd::PermanentObjectFor(h), nullptr);
    EXPECT_EQ(w.finalCalls, 1);
}

TEST(Creation, FailingCreateReturnsFalseAndUnbinds) {
    TestThreadApp app;
    RecordingWnd w;
    w.failCreate = true;
    EXPECT_FALSE(CreateTop(w));
    EXPECT_EQ(w.windowHandle, nullptr);
    EXPECT_EQ(GetThreadState()->windowBeingCreated, nullptr);
}

TEST(Creation, UnarmedChildWindowsAreLeftAlone) {
    RecordingWnd parent;
    ASSERT_TRUE(CreateTop(parent));
    HWND child = CreateWindowA("BUTTON", "b", WS_CHILD, 0, 0, 10, 10, parent.windowHandle, nullptr,
                               nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(CWnd::PermanentObjectFor(child), nullptr);
    EXPECT_NE(SendMessageA(child, WM_LUM_WNDPROC_PROBE, 0, 0), 1);
    parent.DestroyHandle();
}

TEST(Delivery, HandlerExceptionsBecomeResultsAndTheWindowGoesOn) {
    TestThreadApp app;
    RecordingWnd w;
    ASSERT_TRUE(CreateTop(w));
    // The user exception is silent; the message result is the report's.
    EXPECT_EQ(SendMessageA(w.windowHandle, WM_TEST_THROW, 0, 0), 0);
    EXPECT_EQ(SendMessageA(w.windowHandle, WM_LUM_WNDPROC_PROBE, 0, 0), 1);
    EXPECT_EQ(GetThreadState()->lastSentMessage.message, 0u) << "restored after delivery";
    w.DestroyHandle();
}

TEST(Delivery, NestedDeliveriesKeepTheirOwnCurrentMessage) {
    RecordingWnd a;
    RecordingWnd b;
    ASSERT_TRUE(CreateTop(a, "a"));
    ASSERT_TRUE(CreateTop(b, "b"));
    EXPECT_EQ(
        SendMessageA(a.windowHandle, WM_TEST_NESTED, 0, reinterpret_cast<LPARAM>(b.windowHandle)),
        5);
    EXPECT_TRUE(a.nestedSawOwnMessage);
    char text[16];
    GetWindowTextA(b.windowHandle, text, sizeof text);
    EXPECT_STREQ(text, "inner") << "default processing applied to B's own message";
    a.DestroyHandle();
    b.DestroyHandle();
}

TEST(Dispatch, ResultsFollowTheSignatureCode) {
    RecordingWnd w;
    ASSERT_TRUE(CreateTop(w));
    // Code 46 with a zero result falls through to default processing (0).
    EXPECT_EQ(SendMessageA(w.windowHandle, WM_TEST_FALLTHROUGH, MAKEWPARAM(9, 0), 0), 9);
    EXPECT_EQ(SendMessageA(w.windowHandle, WM_TEST_FALLTHROUGH, 0, 0), 0);
    // Code 18 passes wParam on and always answers 0.
    EXPECT_EQ(SendMessageA(w.windowHandle, WM_TEST_SYSCOMMANDLIKE, 0xF060, 0), 0);
    EXPECT_EQ(w.seen.back(), (Seen{WM_TEST_SYSCOMMANDLIKE, 0xF060, 0}));
    // A registered message is matched by its number.
    EXPECT_EQ(SendMessageA(w.windowHandle, registeredTestMessage, 3, 4), 7);
    w.DestroyHandle();
}

TEST(Dispatch, CommandsFromControlsMenusAndReflection) {
    RecordingWnd w;
    ASSERT_TRUE(CreateTop(w));
    HWND plain = CreateWindowA("BUTTON", "b", WS_CHILD, 0, 0, 10, 10, w.windowHandle,
                               reinterpret_cast<HMENU>(1002), nullptr, nullptr);
    w.seen.clear();
    EXPECT_EQ(SendMessageA(w.windowHandle, WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED),
                           reinterpret_cast<LPARAM>(plain)),
              1);
    EXPECT_EQ(w.seen, (std::vector<Seen>{{WM_COMMAND, 1002, 0}}));

    // A bound control with a reflected entry takes its own click.
    SelfClickingButton own;
    HWND ownHandle = CreateWindowA("BUTTON", "o", WS_CHILD, 0, 0, 10, 10, w.windowHandle,
                                   reinterpret_cast<HMENU>(1002), nullptr, nullptr);
    own.Bind(ownHandle);
    w.seen.clear();
    SendMessageA(w.windowHandle, WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED),
                 reinterpret_cast<LPARAM>(ownHandle));
    EXPECT_EQ(own.clicks, 1);
    EXPECT_TRUE(w.seen.empty()) << "the parent's entry is not called";
    own.Unbind();

    // Notifications are swallowed while a data exchange runs.
    GetThreadState()->lockoutNotifyWindow = w.windowHandle;
    SendMessageA(w.windowHandle, WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED),
                 reinterpret_cast<LPARAM>(plain));
    GetThreadState()->lockoutNotifyWindow = nullptr;
    EXPECT_TRUE(w.seen.empty());

    // Menu commands: a disabled one is swallowed, id 0 is not a command.
    EXPECT_EQ(SendMessageA(w.windowHandle, WM_COMMAND, 40, 0), 1);
    EXPECT_EQ(SendMessageA(w.windowHandle, WM_COMMAND, 41, 0), 1);
    EXPECT_EQ(w.seen, (std::vector<Seen>{{WM_COMMAND, 40, 0}}));
    EXPECT_EQ(SendMessageA(w.windowHandle, WM_COMMAND, 0, 0), 0);
    w.DestroyHandle();
}

TEST(Dispatch, MessagesNoMapHandlesGoToTheDefaultProcedure) {
    RecordingWnd w;
    ASSERT_TRUE(CreateTop(w));
    // Twice: the second answer comes from the cached miss.
    for (int i = 0; i < 2; ++i) {
        SendMessageA(w.windowHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x"));
        EXPECT_EQ(SendMessageA(w.windowHandle, WM_GETTEXTLENGTH, 0, 0), 1);
    }
    w.DestroyHandle();
}

TEST(FinalMessage, MainWindowIsClearedAndQuitPosted) {
    TestThreadApp app;
    RecordingWnd w;
    ASSERT_TRUE(CreateTop(w));
    app.mainWindow = &w;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    w.DestroyHandle();
    EXPECT_EQ(app.mainWindow, nullptr);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(m.wParam, 0u);
}

TEST(WindowClasses, GeneratedNamesRegisterOnce) {
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    std::string first = MakeWindowClassName(CS_DBLCLKS, arrow, nullptr, nullptr);
    std::string second = MakeWindowClassName(CS_DBLCLKS, arrow, nullptr, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first.rfind("Lum:", 0), 0u);
    WNDCLASSA info;
    EXPECT_TRUE(GetClassInfoA(GetModuleState()->instanceHandle, first.c_str(), &info));
    EXPECT_EQ(info.hCursor, arrow);
    std::string bare = MakeWindowClassName(0, nullptr, nullptr, nullptr);
    EXPECT_EQ(std::count(bare.begin(), bare.end(), ':'), 2);
}

TEST(WindowClasses, OneRequestIsServedPerCall) {
    ModuleState* module = GetModuleState();
    WORD before = module->registeredClasses;
    module->registeredClasses = 0;
    EXPECT_TRUE(RegisterStandardClasses(kClassWnd | kClassCommonControls));
    EXPECT_EQ(module->registeredClasses, kClassWnd);
    EXPECT_TRUE(RegisterStandardClasses(kClassCommonControls));
    EXPECT_EQ(module->registeredClasses, kClassWnd | kClassCommonControls);
    EXPECT_FALSE(RegisterStandardClasses(0x40));
    module->registeredClasses = before | module->registeredClasses;
}
