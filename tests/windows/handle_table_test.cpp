// Handle tables and window objects on real windows.
#include <gtest/gtest.h>
#include <thread>
#include <string>
#include <vector>
#include "framework/runtime/state.h"
#include "framework/windows/messaging/win_thread.h"
#include "framework/windows/handles/handle_table.h"
#include "framework/windows/messaging/window.h"

namespace {

// Real windows of a private class whose procedure records the messages
// numbered 0x8000 + n it receives, by window text.
struct Recorder {
    static std::vector<std::string>& Log() {
        static std::vector<std::string> log;
        return log;
    }
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m == WM_APP + 1) {
            char text[32];
            GetWindowTextA(h, text, sizeof text);
            Log().push_back(text);
        }
        return DefWindowProcA(h, m, w, l);
    }
    Recorder() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "LumRecorder";
        RegisterClassA(&wc);
        Log().clear();
    }
    ~Recorder() { UnregisterClassA("LumRecorder", GetModuleHandleA(nullptr)); }
    static HWND Make(const char* name, HWND parent, int id = 0, DWORD style = 0) {
        DWORD s = style | (parent != nullptr ? WS_CHILD : WS_POPUP);
        return CreateWindowA("LumRecorder", name, s, 0, 0, 10, 10, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleA(nullptr), nullptr);
    }
};

void IdleCleanUp() {
    LockTemporaryMaps();
    UnlockTemporaryMaps(TRUE);
}

constexpr UINT kPing = WM_APP + 0x50;

// Answers kPing with 7; default processing of a bare window answers 0.
class PingCounter : public CWnd {
    LUM_DECLARE_MESSAGE_MAP(PingCounter)
public:
    LRESULT OnPing(WPARAM, LPARAM) {
        ++pings;
        return 7;
    }
    int pings = 0;
};

LUM_BEGIN_MESSAGE_MAP(PingCounter, CWnd)
LUM_ON_MESSAGE(kPing, LumForm::LresultWParamLParam, OnPing)
LUM_END_MESSAGE_MAP(PingCounter, CWnd)

bool CreatePopup(CWnd& w) {
    return w.CreateWithStyles(0, nullptr, "p", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr) !=
           FALSE;
}

} // namespace

// Repeated lookups of one handle are answered without the table; none of
// these answers may survive a change of the table.
TEST(WindowLookups, AnUnboundObjectGetsNoFurtherMessagesAndTheNextBoundOneDoes) {
    PingCounter first;
    PingCounter second;
    ASSERT_TRUE(CreatePopup(first));
    HWND h = first.windowHandle;
    EXPECT_EQ(SendMessageA(h, kPing, 0, 0), 7);
    EXPECT_EQ(SendMessageA(h, kPing, 0, 0), 7);
    EXPECT_EQ(CWnd::PermanentObjectFor(h), &first);
    EXPECT_EQ(first.Unbind(), h);
    EXPECT_EQ(CWnd::PermanentObjectFor(h), nullptr);
    EXPECT_EQ(SendMessageA(h, kPing, 0, 0), 0) << "no object: default procedure";
    EXPECT_EQ(first.pings, 2);
    ASSERT_TRUE(second.Bind(h));
    EXPECT_EQ(SendMessageA(h, kPing, 0, 0), 7);
    EXPECT_EQ(CWnd::PermanentObjectFor(h), &second);
    EXPECT_EQ(second.pings, 1);
    EXPECT_EQ(first.pings, 2);
}

TEST(WindowLookups, AHandleValueOfADestroyedWindowAnswersForWhatIsBoundToItNow) {
    PingCounter gone;
    ASSERT_TRUE(CreatePopup(gone));
    HWND h = gone.windowHandle;
    EXPECT_EQ(SendMessageA(h, kPing, 0, 0), 7);
    EXPECT_EQ(CWnd::PermanentObjectFor(h), &gone);
    EXPECT_TRUE(gone.DestroyHandle());
    EXPECT_EQ(CWnd::PermanentObjectFor(h), nullptr);
    // The system may give the value to a new window.
    CWnd next;
    ASSERT_TRUE(next.Bind(h));
    EXPECT_EQ(CWnd::PermanentObjectFor(h), &next);
    EXPECT_EQ(CWnd::ObjectFor(h), &next);
    next.Unbind();
    EXPECT_EQ(CWnd::PermanentObjectFor(h), nullptr);
}

TEST(WindowLookups, AnsweredMissesAndTemporariesFollowBindingAndIdleCleanUp) {
    Recorder r;
    HWND h = Recorder::Make("t", nullptr);
    PingCounter framework;
    ASSERT_TRUE(CreatePopup(framework));
    EXPECT_EQ(SendMessageA(framework.windowHandle, kPing, 0, 0), 7);
    CWnd* temp = CWnd::ObjectFor(h);
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(CWnd::PermanentObjectFor(h), nullptr) << "a temporary is not permanent";
    IdleCleanUp();
    EXPECT_EQ(GetWindowTable(FALSE)->FindTemporary(h), nullptr);
    EXPECT_EQ(CWnd::PermanentObjectFor(h), nullptr);
    CWnd* fresh = CWnd::ObjectFor(h);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->windowHandle, h);
    EXPECT_EQ(SendMessageA(framework.windowHandle, kPing, 0, 0), 7);
    // A miss was answered for h just before: binding must replace it.
    CWnd bound;
    ASSERT_TRUE(bound.Bind(h));
    EXPECT_EQ(CWnd::PermanentObjectFor(h), &bound);
    IdleCleanUp();
    EXPECT_EQ(CWnd::PermanentObjectFor(h), &bound);
    EXPECT_EQ(framework.pings, 2);
    bound.Unbind();
    DestroyWindow(h);
}

TEST(WindowLookups, AnotherThreadSeesNoneOfThisThreadsObjects) {
    PingCounter w;
    ASSERT_TRUE(CreatePopup(w));
    HWND h = w.windowHandle;
    EXPECT_EQ(CWnd::PermanentObjectFor(h), &w);
    CWnd* seen = &w;
    std::thread worker([&] { seen = CWnd::PermanentObjectFor(h); });
    worker.join();
    EXPECT_EQ(seen, nullptr);
    EXPECT_EQ(CWnd::PermanentObjectFor(h), &w);
}

TEST(HandleTable, TemporaryWrappersLiveUntilIdleCleanUp) {
    Recorder r;
    HWND h = Recorder::Make("t", nullptr);
    EXPECT_EQ(CWnd::ObjectFor(nullptr), nullptr);
    CWnd* temp = CWnd::ObjectFor(h);
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(temp->GetRuntimeClassInfo(), LUM_RUNTIME_CLASS(CWnd));
    EXPECT_EQ(temp->windowHandle, h);
    EXPECT_EQ(CWnd::ObjectFor(h), temp) << "reused until idle";
    EXPECT_EQ(CWnd::PermanentObjectFor(h), nullptr);
    IdleCleanUp();
    EXPECT_EQ(GetWindowTable(FALSE)->FindTemporary(h), nullptr);
    EXPECT_TRUE(IsWindow(h)) << "deleting a temporary leaves the window alive";
    DestroyWindow(h);
}

TEST(HandleTable, HeldMapsKeepTemporaries) {
    Recorder r;
    HWND h = Recorder::Make("t", nullptr);
    CWnd::ObjectFor(h);
    LockTemporaryMaps();
    EXPECT_TRUE(UnlockTemporaryMaps(TRUE) == FALSE); // back to zero: deleted
    CWnd::ObjectFor(h);
    LockTemporaryMaps();
    LockTemporaryMaps();
    EXPECT_TRUE(UnlockTemporaryMaps(TRUE)) << "still held";
    EXPECT_NE(GetWindowTable(FALSE)->FindTemporary(h), nullptr);
    UnlockTemporaryMaps(TRUE);
    EXPECT_EQ(GetWindowTable(FALSE)->FindTemporary(h), nullptr);
    DestroyWindow(h);
}

TEST(HandleTable, BoundObjectWinsOverAnEarlierTemporary) {
    Recorder r;
    HWND h = Recorder::Make("t", nullptr);
    CWnd* temp = CWnd::ObjectFor(h);
    CWnd bound;
    ASSERT_TRUE(bound.Bind(h));
    EXPECT_EQ(CWnd::ObjectFor(h), &bound);
    EXPECT_EQ(CWnd::PermanentObjectFor(h), &bound);
    EXPECT_EQ(GetWindowTable(FALSE)->FindTemporary(h), temp);
    IdleCleanUp();
    EXPECT_TRUE(IsWindow(h));
    EXPECT_EQ(bound.windowHandle, h);
    EXPECT_EQ(bound.Unbind(), h);
    EXPECT_EQ(CWnd::PermanentObjectFor(h), nullptr);
    EXPECT_FALSE(bound.Bind(nullptr));
    DestroyWindow(h);
}

TEST(HandleTable, AThreadWithoutWindowsHasNoTable) {
    bool absent = false;
    bool stillAbsent = false;
    std::thread worker([&] {
        absent = GetWindowTable(FALSE) == nullptr;
        CWnd::PermanentObjectFor(reinterpret_cast<HWND>(0x1234));
        stillAbsent = GetWindowTable(FALSE) == nullptr;
    });
    worker.join();
    EXPECT_TRUE(absent);
    EXPECT_TRUE(stillAbsent) << "asking for a permanent object creates no table";
}

TEST(WindowObject, DestroyHandleOfAnUnboundObjectForgetsTheHandle) {
    Recorder r;
    HWND h = Recorder::Make("t", nullptr);
    CWnd object(h);
    EXPECT_TRUE(object.DestroyHandle());
    EXPECT_EQ(object.windowHandle, nullptr);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(object.DestroyHandle());
}

TEST(WindowObject, PlacementObjectsHoldZOrderValues) {
    EXPECT_EQ(PlaceTop().windowHandle, HWND_TOP);
    EXPECT_EQ(PlaceBottom().windowHandle, HWND_BOTTOM);
    EXPECT_EQ(PlaceTopMost().windowHandle, HWND_TOPMOST);
    EXPECT_EQ(PlaceNoTopMost().windowHandle, HWND_NOTOPMOST);
}

TEST(WindowRelations, TopLevelParentFollowsParentsAndOwners) {
    Recorder r;
    HWND owner = Recorder::Make("owner", nullptr);
    HWND popup = CreateWindowA("LumRecorder", "popup", WS_POPUP, 0, 0, 10, 10, owner, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    HWND child = Recorder::Make("child", popup, 5);
    CWnd object(child);
    CWnd* top = object.TopLevelParent();
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->windowHandle, owner);
    CWnd lone(owner);
    EXPECT_EQ(lone.TopLevelParent()->windowHandle, owner);
    CWnd none;
    EXPECT_EQ(none.TopLevelParent(), nullptr);
    object.windowHandle = nullptr;
    lone.windowHandle = nullptr;
    DestroyWindow(owner);
}

TEST(WindowRelations, DescendantsAreVisitedDepthFirstInZOrder) {
    Recorder r;
    HWND root = Recorder::Make("root", nullptr);
    // Children are created in reverse so that z-order reads a, b.
    HWND b = Recorder::Make("b", root, 2);
    HWND a = Recorder::Make("a", root, 1);
    Recorder::Make("a1", a, 11);
    Recorder::Make("b1", b, 7);
    SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    CWnd::SendToDescendants(root, WM_APP + 1, 0, 0, TRUE, FALSE);
    EXPECT_EQ(Recorder::Log(), (std::vector<std::string>{"a", "a1", "b", "b1"}));
    Recorder::Log().clear();
    CWnd::SendToDescendants(root, WM_APP + 1, 0, 0, FALSE, FALSE);
    EXPECT_EQ(Recorder::Log(), (std::vector<std::string>{"a", "b"}));
    // Id 7 is b's child; a direct child with the id is searched first.
    CWnd* found = CWnd::FindDescendant(root, 7, FALSE);
    ASSERT_NE(found, nullptr);
    char text[8];
    GetWindowTextA(found->windowHandle, text, sizeof text);
    EXPECT_STREQ(text, "b1");
    EXPECT_EQ(CWnd::FindDescendant(root, 7, TRUE), nullptr) << "no bound object anywhere";
    EXPECT_EQ(CWnd::FindDescendant(root, 99, FALSE), nullptr);
    DestroyWindow(root);
}
