// WM_NOTIFY: routing by the sender's own control id, default processing for
// a header without a sender, and reflection to bound controls only.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <vector>
#include "framework/runtime/state.h"
#include "framework/windows/handles/handle_table.h"
#include "tests/windows/window_test_support.h"

namespace {

using wintest::kDefaultAnswer;
using wintest::Seen;

constexpr int kListId = 1200;
constexpr int kOtherId = 999;
constexpr int kSelfId = 1201;
// The codes as the recorders keep them.
constexpr LPARAM kClick = static_cast<LPARAM>(NM_CLICK);
constexpr LPARAM kDoubleClick = static_cast<LPARAM>(NM_DBLCLK);

// Records {WM_NOTIFY, the id its entry is for, the header's code}.
class NotifyParent : public wintest::ObservingWnd {
    LUM_DECLARE_MESSAGE_MAP(NotifyParent)
public:
    void OnNoIdClick(NMHDR* h, LRESULT* r) { Hit(0, h, r, 54); }
    void OnListClick(NMHDR* h, LRESULT* r) { Hit(kListId, h, r, 55); }
    void OnOtherClick(NMHDR* h, LRESULT* r) { Hit(kOtherId, h, r, 56); }
    void OnSelfClick(NMHDR* h, LRESULT* r) { Hit(kSelfId, h, r, 57); }
    void OnSelfDoubleClick(NMHDR* h, LRESULT* r) { Hit(kSelfId, h, r, 58); }
    void Hit(int id, NMHDR* h, LRESULT* r, LRESULT answer) {
        seen.push_back({WM_NOTIFY, static_cast<WPARAM>(id), static_cast<LPARAM>(h->code)});
        *r = answer;
    }
    std::vector<Seen> seen;
};

// clang-format off
LUM_BEGIN_MESSAGE_MAP(NotifyParent, wintest::ObservingWnd)
// Where a header without a sender would be routed, were it routed at all.
LUM_ON_NOTIFY(NM_CLICK, 0, OnNoIdClick)
LUM_ON_NOTIFY(NM_CLICK, kListId, OnListClick)
LUM_ON_NOTIFY(NM_CLICK, kOtherId, OnOtherClick)
LUM_ON_NOTIFY(NM_CLICK, kSelfId, OnSelfClick)
LUM_ON_NOTIFY(NM_DBLCLK, kSelfId, OnSelfDoubleClick)
LUM_END_MESSAGE_MAP(NotifyParent, wintest::ObservingWnd)
// clang-format on

// A control that takes its own clicks.
class SelfNotifyingControl : public CWnd {
    LUM_DECLARE_MESSAGE_MAP(SelfNotifyingControl)
public:
    void OnReflectedClick(NMHDR* h, LRESULT* r) {
        seen.push_back({kReflectedNotify, 0, static_cast<LPARAM>(h->code)});
        *r = 66;
    }
    std::vector<Seen> seen;
};

LUM_BEGIN_MESSAGE_MAP(SelfNotifyingControl, CWnd)
LUM_ON_NOTIFY_REFLECT(NM_CLICK, OnReflectedClick)
LUM_END_MESSAGE_MAP(SelfNotifyingControl, CWnd)

LRESULT Notify(HWND to, NMHDR& header) {
    return SendMessageA(to, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

class NotifyDispatch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(wintest::CreateTop(parent, "parent"));
        parent.defaults.clear();
    }
    NotifyParent parent;
};

TEST_F(NotifyDispatch, RoutingUsesTheSendersControlIdNotTheHeadersIdFrom) {
    wintest::PlainWindow list("STATIC", WS_CHILD, parent.windowHandle, kListId);
    parent.defaults.clear();
    NMHDR header = {list.handle, kOtherId, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(Notify(parent.windowHandle, header), 55);
    EXPECT_EQ(parent.seen, (std::vector<Seen>{{WM_NOTIFY, kListId, kClick}}));
    EXPECT_TRUE(parent.defaults.empty());
}

TEST_F(NotifyDispatch, AHeaderWithoutSenderGoesToDefaultProcessing) {
    NMHDR header = {nullptr, kListId, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(Notify(parent.windowHandle, header), kDefaultAnswer);
    EXPECT_TRUE(parent.seen.empty());
    EXPECT_EQ(parent.defaults,
              (std::vector<Seen>{{WM_NOTIFY, kListId, reinterpret_cast<LPARAM>(&header)}}));
}

TEST_F(NotifyDispatch, ACodeNoEntryTakesGoesToDefaultProcessing) {
    wintest::PlainWindow list("STATIC", WS_CHILD, parent.windowHandle, kListId);
    parent.defaults.clear();
    NMHDR header = {list.handle, kListId, static_cast<UINT>(NM_RCLICK)};
    EXPECT_EQ(Notify(parent.windowHandle, header), kDefaultAnswer);
    EXPECT_TRUE(parent.seen.empty());
    EXPECT_EQ(parent.defaults.size(), 1u);
}

TEST_F(NotifyDispatch, NotificationsAreSwallowedDuringADataExchange) {
    wintest::PlainWindow list("STATIC", WS_CHILD, parent.windowHandle, kListId);
    parent.defaults.clear();
    NMHDR header = {list.handle, kListId, static_cast<UINT>(NM_CLICK)};
    GetThreadState()->lockoutNotifyWindow = parent.windowHandle;
    LRESULT r = Notify(parent.windowHandle, header);
    GetThreadState()->lockoutNotifyWindow = nullptr;
    EXPECT_EQ(r, 0);
    EXPECT_TRUE(parent.seen.empty());
    EXPECT_TRUE(parent.defaults.empty());
}

TEST_F(NotifyDispatch, ABoundControlTakesItsOwnReflectedNotification) {
    wintest::BoundChild<SelfNotifyingControl> control(parent.windowHandle, kSelfId);
    parent.defaults.clear();
    NMHDR click = {control.window.handle, kSelfId, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(Notify(parent.windowHandle, click), 66) << "the control's result";
    EXPECT_EQ(control.object.seen, (std::vector<Seen>{{kReflectedNotify, 0, kClick}}));
    EXPECT_TRUE(parent.seen.empty()) << "the parent's entry for the id is not called";

    // A code the control has no reflected entry for reaches the parent.
    NMHDR doubleClick = {control.window.handle, kSelfId, static_cast<UINT>(NM_DBLCLK)};
    EXPECT_EQ(Notify(parent.windowHandle, doubleClick), 58);
    EXPECT_EQ(parent.seen, (std::vector<Seen>{{WM_NOTIFY, kSelfId, kDoubleClick}}));
    EXPECT_EQ(control.object.seen.size(), 1u);
    EXPECT_TRUE(parent.defaults.empty());
}

TEST_F(NotifyDispatch, ATemporaryControlGetsNothingReflected) {
    wintest::PlainWindow plain("STATIC", WS_CHILD, parent.windowHandle, kSelfId);
    ASSERT_NE(CWnd::ObjectFor(plain.handle), nullptr);
    ASSERT_EQ(CWnd::PermanentObjectFor(plain.handle), nullptr);
    NMHDR click = {plain.handle, kSelfId, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(Notify(parent.windowHandle, click), 57);
    EXPECT_EQ(parent.seen, (std::vector<Seen>{{WM_NOTIFY, kSelfId, kClick}}));

    // A control nobody wrapped is not given a wrapper to reflect into.
    wintest::PlainWindow unwrapped("STATIC", WS_CHILD, parent.windowHandle, kSelfId);
    NMHDR again = {unwrapped.handle, kSelfId, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(Notify(parent.windowHandle, again), 57);
    EXPECT_EQ(GetWindowTable(TRUE)->FindTemporary(unwrapped.handle), nullptr);
}

} // namespace
