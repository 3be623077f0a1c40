// Activation across top-level windows: the notice sent to a top-level window
// when activation enters or leaves it, the activation procedure given to
// message boxes made on the thread, and a click on a window disabled by its
// popup bringing the popup forward.
#include <gtest/gtest.h>
#include <chrono>
#include <vector>
#include "common/import_patch.h"
#include "framework/windows/messaging/dispatch.h"
#include "framework/windows/messaging/window_proc.h"
#include "tests/windows/window_test_support.h"

namespace {

// A message, and for the activation notice the two handles of its record.
struct Event {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    HWND window = nullptr;
    HWND other = nullptr;
    bool operator==(const Event&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Event& e) {
    return os << "{0x" << std::hex << e.message << ", " << e.wParam << ", " << e.lParam << ", "
              << e.window << ", " << e.other << "}";
}

class ActivationRecorder : public wintest::ObservingWnd {
    LUM_DECLARE_MESSAGE_MAP(ActivationRecorder)
public:
    LRESULT OnNotice(WPARAM w, LPARAM l) {
        auto* record = reinterpret_cast<HWND*>(l);
        events.push_back({WM_LUM_ACTIVATE_TOPLEVEL, w, 0, record[0], record[1]});
        return 0;
    }
    void OnActivate(WPARAM w, LPARAM l) { events.push_back({WM_ACTIVATE, w, l}); }
    LRESULT OnSetCursor(WPARAM w, LPARAM l) {
        events.push_back({WM_SETCURSOR, w, l});
        return DefaultForCurrentMessage();
    }
    std::vector<Event> events;
};

// clang-format off
LUM_BEGIN_MESSAGE_MAP(ActivationRecorder, wintest::ObservingWnd)
LUM_ON_MESSAGE(WM_LUM_ACTIVATE_TOPLEVEL, LumForm::LresultWParamLParam, OnNotice)
LUM_ON_MESSAGE(WM_ACTIVATE, LumForm::VoidWParamLParam, OnActivate)
LUM_ON_MESSAGE(WM_SETCURSOR, LumForm::LresultWParamLParam, OnSetCursor)
LUM_END_MESSAGE_MAP(ActivationRecorder, wintest::ObservingWnd)
// clang-format on

using Events = std::vector<Event>;

LRESULT Activate(HWND to, WPARAM state, HWND other) {
    return SendMessageA(to, WM_ACTIVATE, state, reinterpret_cast<LPARAM>(other));
}

Event Notice(WPARAM state, HWND window, HWND other) {
    return {WM_LUM_ACTIVATE_TOPLEVEL, state, 0, window, other};
}
Event Activated(WPARAM state, HWND other) {
    return {WM_ACTIVATE, state, reinterpret_cast<LPARAM>(other)};
}

// Two top-level windows, a popup owned by the first and a child of it.
class TopLevelActivation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(wintest::CreateTop(top, "top"));
        ASSERT_TRUE(wintest::CreateTop(other, "other"));
        ASSERT_TRUE(wintest::CreateTop(popup, "popup", WS_POPUP, top.windowHandle));
        ASSERT_TRUE(child.CreateWithStyles(0, nullptr, "child", WS_CHILD, 0, 0, 10, 10,
                                           top.windowHandle, nullptr, nullptr));
        Clear();
    }
    void Clear() {
        for (ActivationRecorder* w : {&top, &other, &popup, &child}) {
            w->events.clear();
        }
    }

    ActivationRecorder top;
    ActivationRecorder other;
    ActivationRecorder popup;
    ActivationRecorder child;
};

TEST_F(TopLevelActivation, WithinOneTopLevelWindowNoNoticeIsSent) {
    Activate(popup.windowHandle, WA_ACTIVE, top.windowHandle);
    Activate(top.windowHandle, WA_INACTIVE, popup.windowHandle);
    Activate(child.windowHandle, WA_ACTIVE, other.windowHandle);
    EXPECT_EQ(top.events, (Events{Activated(WA_INACTIVE, popup.windowHandle)}));
    EXPECT_EQ(popup.events, (Events{Activated(WA_ACTIVE, top.windowHandle)}));
    EXPECT_EQ(child.events, (Events{Activated(WA_ACTIVE, other.windowHandle)}))
        << "a child window never notifies";
    EXPECT_TRUE(other.events.empty());
}

TEST_F(TopLevelActivation, BetweenTopLevelWindowsTheTopLevelIsNotifiedFirst) {
    Activate(top.windowHandle, WA_ACTIVE, other.windowHandle);
    EXPECT_EQ(top.events, (Events{Notice(WA_ACTIVE, top.windowHandle, other.windowHandle),
                                  Activated(WA_ACTIVE, other.windowHandle)}));
    // The popup's notice goes to its top-level window, naming the popup.
    Activate(popup.windowHandle, WA_CLICKACTIVE, other.windowHandle);
    EXPECT_EQ(top.events.back(), Notice(WA_CLICKACTIVE, popup.windowHandle, other.windowHandle));
    EXPECT_EQ(popup.events, (Events{Activated(WA_CLICKACTIVE, other.windowHandle)}));
    // No other window at all.
    Activate(other.windowHandle, WA_INACTIVE, nullptr);
    EXPECT_EQ(other.events, (Events{Notice(WA_INACTIVE, other.windowHandle, nullptr),
                                    Activated(WA_INACTIVE, 0)}));
    EXPECT_EQ(top.events.size(), 3u);
}

TEST_F(TopLevelActivation, WindowsTheFrameworkDidNotMakeCountByTheirOwners) {
    wintest::PlainWindow owned("STATIC", WS_POPUP, top.windowHandle);
    wintest::PlainWindow alone("STATIC", WS_POPUP, nullptr);
    Activate(top.windowHandle, WA_ACTIVE, owned.handle);
    Activate(top.windowHandle, WA_ACTIVE, alone.handle);
    EXPECT_EQ(top.events, (Events{Activated(WA_ACTIVE, owned.handle),
                                  Notice(WA_ACTIVE, top.windowHandle, alone.handle),
                                  Activated(WA_ACTIVE, alone.handle)}));
}

// Waits for the thread's message box, looks at it and closes it, from a
// thread timer that the box's own message loop dispatches.
class BoxWatch {
public:
    explicit BoxWatch(HWND owner, HWND stranger) : owner(owner), stranger(stranger) {
        current = this;
        hook = SetWindowsHookExA(WH_CALLWNDPROCRET, &AfterProcedure, nullptr, GetCurrentThreadId());
        timer = SetTimer(nullptr, 0, 10, &Tick);
    }
    ~BoxWatch() {
        if (timer != 0) {
            KillTimer(nullptr, timer);
        }
        if (hook != nullptr) {
            UnhookWindowsHookEx(hook);
        }
        current = nullptr;
    }
    BoxWatch(const BoxWatch&) = delete;
    BoxWatch& operator=(const BoxWatch&) = delete;

    HWND owner;
    HWND stranger;
    HHOOK hook = nullptr;
    UINT_PTR timer = 0;
    bool timedOut = false;
    HWND box = nullptr;
    LONG procedureWhileOpen = 0;
    HANDLE propertyWhileOpen = nullptr;
    bool sawFinalMessage = false;
    LONG procedureAfterFinal = 0;
    HANDLE propertyAfterFinal = nullptr;

private:
    static BOOL CALLBACK FindBox(HWND h, LPARAM l) {
        auto* self = reinterpret_cast<BoxWatch*>(l);
        char name[16] = {};
        GetClassNameA(h, name, sizeof name);
        if (lstrcmpA(name, "#32770") == 0 && GetWindow(h, GW_OWNER) == self->owner) {
            self->box = h;
            return FALSE;
        }
        return TRUE;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        BoxWatch* self = current;
        if (self == nullptr || self->box != nullptr) {
            return;
        }
        EnumThreadWindows(GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(self));
        if (self->box == nullptr) {
            if (std::chrono::steady_clock::now() - self->started > std::chrono::seconds(20)) {
                self->timedOut = true;
                KillTimer(nullptr, id);
                self->timer = 0;
                PostQuitMessage(0);
            }
            return;
        }
        KillTimer(nullptr, id);
        self->timer = 0;
        HWND box = self->box;
        self->procedureWhileOpen = GetWindowLongA(box, GWL_WNDPROC);
        self->propertyWhileOpen = GetPropA(box, "LumOldWndProc");
        // Through the activation procedure: activation from another
        // top-level window notifies the box's owner, from the owner not.
        Activate(box, WA_ACTIVE, self->stranger);
        Activate(box, WA_ACTIVE, self->owner);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }

    static LRESULT CALLBACK AfterProcedure(int code, WPARAM w, LPARAM l) {
        BoxWatch* self = current;
        auto* call = reinterpret_cast<CWPRETSTRUCT*>(l);
        if (code == HC_ACTION && self != nullptr && self->box != nullptr &&
            call->hwnd == self->box && call->message == WM_NCDESTROY) {
            self->sawFinalMessage = true;
            self->procedureAfterFinal = GetWindowLongA(call->hwnd, GWL_WNDPROC);
            self->propertyAfterFinal = GetPropA(call->hwnd, "LumOldWndProc");
        }
        return CallNextHookEx(self != nullptr ? self->hook : nullptr, code, w, l);
    }

    static inline BoxWatch* current = nullptr;
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

TEST(ActivationProcedure, AMessageBoxGetsItWhileOpenAndKeepsNothingOfItAfter) {
    // Arms the thread's creation hook; it then watches every top-level window.
    ActivationRecorder owner;
    ActivationRecorder stranger;
    ASSERT_TRUE(wintest::CreateTop(owner, "owner"));
    ASSERT_TRUE(wintest::CreateTop(stranger, "stranger"));
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "first box" : "second box");
        owner.events.clear();
        BoxWatch watch(owner.windowHandle, stranger.windowHandle);
        ASSERT_NE(watch.hook, nullptr);
        ASSERT_NE(watch.timer, 0u);
        int answer = MessageBoxA(owner.windowHandle, "text", "caption", MB_OK);
        if (watch.timedOut) {
            MSG quit;
            PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
            FAIL() << "no message box appeared";
        }
        EXPECT_EQ(answer, IDOK);
        ASSERT_NE(watch.box, nullptr);
        EXPECT_EQ(watch.procedureWhileOpen, reinterpret_cast<LONG>(&ActivationWindowProc));
        EXPECT_NE(watch.propertyWhileOpen, nullptr);
        EXPECT_TRUE(watch.sawFinalMessage);
        EXPECT_EQ(watch.propertyAfterFinal, nullptr) << "removed before the window went";
        EXPECT_EQ(watch.procedureAfterFinal, reinterpret_cast<LONG>(watch.propertyWhileOpen))
            << "the box's own procedure put back";
        EXPECT_FALSE(IsWindow(watch.box));
        Events notices;
        for (const Event& e : owner.events) {
            if (e.message == WM_LUM_ACTIVATE_TOPLEVEL && e.other == stranger.windowHandle) {
                notices.push_back(e);
            }
        }
        EXPECT_EQ(notices, (Events{Notice(WA_ACTIVE, watch.box, stranger.windowHandle)}));
        for (const Event& e : owner.events) {
            EXPECT_FALSE(e.message == WM_LUM_ACTIVATE_TOPLEVEL && e.other == owner.windowHandle)
                << "activation from the owner stays inside one top-level window";
        }
    }
}

// Top-level windows of foreign classes, each class with a procedure of its
// own that answers a probe with its class number and notes what it sees of
// the subclass at the final message.
constexpr UINT kForeignProbe = WM_APP + 0x60;
constexpr int kForeignClasses = 3;

struct ForeignFinal {
    HWND window;
    HANDLE property;
    LONG procedure;
};

std::vector<ForeignFinal>& Finals() {
    static std::vector<ForeignFinal> finals;
    return finals;
}

template <int K> LRESULT CALLBACK ForeignProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == kForeignProbe) {
        return K * 1000 + static_cast<LRESULT>(w);
    }
    if (m == WM_NCDESTROY) {
        Finals().push_back({h, GetPropA(h, "LumOldWndProc"), GetWindowLongA(h, GWL_WNDPROC)});
    }
    return DefWindowProcA(h, m, w, l);
}

const WNDPROC kForeignProcs[kForeignClasses] = {&ForeignProc<0>, &ForeignProc<1>, &ForeignProc<2>};

class ForeignClasses {
public:
    ForeignClasses() {
        for (int k = 0; k < kForeignClasses; ++k) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = kForeignProcs[k];
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = Name(k);
            RegisterClassA(&wc);
        }
        Finals().clear();
    }
    ~ForeignClasses() {
        for (int k = 0; k < kForeignClasses; ++k) {
            UnregisterClassA(Name(k), GetModuleHandleA(nullptr));
        }
    }
    ForeignClasses(const ForeignClasses&) = delete;
    ForeignClasses& operator=(const ForeignClasses&) = delete;

    static const char* Name(int k) {
        static const char* const names[kForeignClasses] = {"LumForeign0", "LumForeign1",
                                                           "LumForeign2"};
        return names[k];
    }
};

struct Foreign {
    HWND window;
    int kind;
};

Foreign MakeForeign(int kind) {
    return {CreateWindowA(ForeignClasses::Name(kind), "foreign", WS_POPUP, 0, 0, 30, 20, nullptr,
                          nullptr, GetModuleHandleA(nullptr), nullptr),
            kind};
}

// Every window reaches its own class's procedure, message after message.
void ExpectEachReachesItsOwnProcedure(const std::vector<Foreign>& windows) {
    for (int pass = 0; pass < 3; ++pass) {
        for (std::size_t i = 0; i < windows.size(); ++i) {
            const Foreign& f = windows[i];
            SCOPED_TRACE(testing::Message() << "window " << i << ", pass " << pass);
            EXPECT_EQ(GetWindowLongA(f.window, GWL_WNDPROC),
                      reinterpret_cast<LONG>(&ActivationWindowProc));
            EXPECT_EQ(GetPropA(f.window, "LumOldWndProc"),
                      reinterpret_cast<HANDLE>(kForeignProcs[f.kind]));
            EXPECT_EQ(SendMessageA(f.window, kForeignProbe, i, 0),
                      static_cast<LRESULT>(f.kind * 1000 + static_cast<int>(i)));
        }
    }
}

TEST(ActivationProcedure, ManyForeignWindowsAtOnceEachKeepTheirOwnProcedure) {
    ActivationRecorder framework; // arms the thread's creation hook
    ASSERT_TRUE(wintest::CreateTop(framework, "framework"));
    ForeignClasses classes;
    // More windows than a thread keeps at hand: the rest go by the property.
    std::vector<Foreign> windows;
    for (int i = 0; i < 12; ++i) {
        windows.push_back(MakeForeign(i % kForeignClasses));
        ASSERT_NE(windows.back().window, nullptr);
    }
    ExpectEachReachesItsOwnProcedure(windows);
    // Text goes through the original procedure's default processing.
    SetWindowTextA(windows[4].window, "renamed");
    char text[16] = {};
    GetWindowTextA(windows[4].window, text, sizeof text);
    EXPECT_STREQ(text, "renamed");

    // Some go, new ones come (their handles may take freed places).
    std::vector<Foreign> destroyed;
    for (std::size_t i : {0u, 3u, 5u, 11u}) {
        destroyed.push_back(windows[i]);
        DestroyWindow(windows[i].window);
    }
    std::vector<Foreign> remaining;
    for (const Foreign& f : windows) {
        if (IsWindow(f.window)) {
            remaining.push_back(f);
        }
    }
    for (int i = 0; i < 5; ++i) {
        remaining.push_back(MakeForeign((i + 1) % kForeignClasses));
        ASSERT_NE(remaining.back().window, nullptr);
    }
    ExpectEachReachesItsOwnProcedure(remaining);
    for (const Foreign& f : remaining) {
        destroyed.push_back(f);
        DestroyWindow(f.window);
    }

    // At its final message each window had its own procedure back and no
    // property left.
    ASSERT_EQ(Finals().size(), destroyed.size());
    for (std::size_t i = 0; i < destroyed.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "destroyed window " << i);
        EXPECT_EQ(Finals()[i].window, destroyed[i].window);
        EXPECT_EQ(Finals()[i].property, nullptr);
        EXPECT_EQ(Finals()[i].procedure, reinterpret_cast<LONG>(kForeignProcs[destroyed[i].kind]));
    }
}

// A top-level window disabled while its popup is enabled, as under a modal
// dialog, and an unrelated window that has the foreground. Without a window
// manager Wine still moves the foreground on this thread's own request, so
// where the popup ends up is checked too.
class PopupForward : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(wintest::CreateTop(top, "disabled", WS_OVERLAPPEDWINDOW | WS_VISIBLE));
        ASSERT_TRUE(wintest::CreateTop(popup, "popup", WS_POPUP | WS_VISIBLE, top.windowHandle));
        ASSERT_TRUE(wintest::CreateTop(elsewhere, "elsewhere", WS_OVERLAPPEDWINDOW | WS_VISIBLE));
        SetForegroundWindow(popup.windowHandle);
        EnableWindow(top.windowHandle, FALSE);
        ASSERT_EQ(GetLastActivePopup(top.windowHandle), popup.windowHandle);
        ASSERT_NO_FATAL_FAILURE(ForegroundElsewhere());
    }
    void ForegroundElsewhere() {
        SetForegroundWindow(elsewhere.windowHandle);
        ASSERT_EQ(GetForegroundWindow(), elsewhere.windowHandle);
        top.events.clear();
    }
    LRESULT Click(UINT mouseMessage, int hitTest = HTERROR) {
        return SendMessageA(top.windowHandle, WM_SETCURSOR,
                            reinterpret_cast<WPARAM>(top.windowHandle),
                            MAKELPARAM(hitTest, mouseMessage));
    }
    Event CursorMessage(UINT mouseMessage, int hitTest = HTERROR) {
        return {WM_SETCURSOR, reinterpret_cast<WPARAM>(top.windowHandle),
                static_cast<LPARAM>(MAKELPARAM(hitTest, mouseMessage))};
    }

    ActivationRecorder top;
    ActivationRecorder popup;
    ActivationRecorder elsewhere;
};

TEST_F(PopupForward, AButtonDownOnTheDisabledWindowBringsThePopupForward) {
    for (UINT button : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
        SCOPED_TRACE(testing::Message() << "mouse message 0x" << std::hex << button);
        ASSERT_NO_FATAL_FAILURE(ForegroundElsewhere());
        EXPECT_EQ(Click(button), 1);
        // The cursor message never reached the map; the popup's activation
        // told the top-level window.
        EXPECT_EQ(top.events,
                  (Events{Notice(WA_ACTIVE, popup.windowHandle, elsewhere.windowHandle)}));
        EXPECT_EQ(GetForegroundWindow(), popup.windowHandle);
    }
}

// Where the system lacks the foreground calls, as Win32s does, the popup is
// made the active window instead.
TEST_F(PopupForward, WithoutTheForegroundCallThePopupIsMadeActive) {
    MissingFunction missing("SetForegroundWindow");
    ASSERT_TRUE(missing.Applied());
    EXPECT_EQ(Click(WM_LBUTTONDOWN), 1);
    EXPECT_EQ(1, MissingFunction::Asks());
    EXPECT_EQ(GetActiveWindow(), popup.windowHandle);
    EXPECT_EQ(top.events, (Events{Notice(WA_ACTIVE, popup.windowHandle, elsewhere.windowHandle)}));
}

TEST_F(PopupForward, OtherCursorMessagesAreLeftToTheMap) {
    Click(WM_MOUSEMOVE);
    Click(WM_LBUTTONDOWN, HTCLIENT);
    EXPECT_EQ(top.events,
              (Events{CursorMessage(WM_MOUSEMOVE), CursorMessage(WM_LBUTTONDOWN, HTCLIENT)}));
    EXPECT_EQ(GetForegroundWindow(), elsewhere.windowHandle);

    // A popup that already has the foreground, or is disabled itself.
    SetForegroundWindow(popup.windowHandle);
    top.events.clear();
    Click(WM_LBUTTONDOWN);
    EXPECT_EQ(top.events, (Events{CursorMessage(WM_LBUTTONDOWN)}));
    ASSERT_NO_FATAL_FAILURE(ForegroundElsewhere());
    EnableWindow(popup.windowHandle, FALSE);
    Click(WM_LBUTTONDOWN);
    EXPECT_EQ(top.events, (Events{CursorMessage(WM_LBUTTONDOWN)}));
    EXPECT_EQ(GetForegroundWindow(), elsewhere.windowHandle);
}

} // namespace
