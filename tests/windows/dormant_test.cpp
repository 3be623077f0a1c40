// Operations the tool never calls, on real windows: bar layout, closing a
// combo box's list, extended styles, temporary windows and the tool-tip steps
// of the pump, of a window's end and of the framework's end.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <memory>
#include <vector>
#include "framework/runtime/state.h"
#include "framework/windows/handles/handle_table.h"
#include "framework/windows/handles/menu.h"
#include "framework/windows/messaging/win_app.h"
#include "framework/windows/messaging/window_class.h"
#include "framework/windows/messaging/window_proc.h"
#include "framework/windows/messaging/window_utilities.h"
#include "tests/windows/window_test_support.h"

namespace {

using wintest::ObservingWnd;
using wintest::PlainWindow;
using Box = std::vector<LONG>;

Box ChildBox(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
}

// A bar docked at the top: takes its rows off what remains.
class TopBar : public CWnd {
    LUM_DECLARE_MESSAGE_MAP(TopBar)
public:
    LRESULT OnSizeParent(WPARAM, LPARAM lParam) {
        auto* layout = reinterpret_cast<BarLayout*>(lParam);
        RECT mine = layout->remaining;
        mine.bottom = mine.top + height;
        layout->remaining.top += height;
        layout->total.cx = 50;
        layout->total.cy += height;
        MoveToRectangle(layout, windowHandle, &mine);
        ++queries;
        return 0;
    }
    int height = 0;
    int queries = 0;
};

LUM_BEGIN_MESSAGE_MAP(TopBar, CWnd)
LUM_ON_MESSAGE(WM_LUM_SIZE_PARENT, LumForm::LresultWParamLParam, OnSizeParent)
LUM_END_MESSAGE_MAP(TopBar, CWnd)

constexpr UINT kFirstBar = 0xE800, kLeftOver = 0xE900;

// A 120 x 90 client area with bars of 10 and 15 rows (ids kFirstBar and the
// next), one bar outside the range, and the left-over window, whose border
// counts and client edge does not.
struct BarFrame {
    BarFrame() {
        SetWindowLongA(rest.handle, GWL_EXSTYLE, WS_EX_CLIENTEDGE);
        const UINT ids[3] = {kFirstBar, kFirstBar + 1, kFirstBar + 5};
        for (int i = 0; i < 3; ++i) {
            bars[i].height = 10 + 5 * i;
            EXPECT_TRUE(bars[i].CreateWithStyles(0, "STATIC", "", WS_CHILD, 0, 0, 40, 20,
                                                 frame.windowHandle,
                                                 reinterpret_cast<HMENU>(ids[i]), nullptr));
        }
    }
    ObservingWnd frame;
    TopBar bars[3];
    PlainWindow rest{"STATIC", WS_CHILD | WS_BORDER, CreatedFrame(), kLeftOver};

private:
    HWND CreatedFrame() {
        EXPECT_TRUE(wintest::CreateTop(frame, "frame", WS_POPUP));
        return frame.windowHandle;
    }
};

struct LayoutCase {
    UINT mode;
    BOOL stretch;
    RECT rect; // borders in, or the answer of a query
    bool ownClient;
    Box restBox;
    RECT answer;
};

TEST(BarLayout, BarsTakeTheirPartsAndTheLeftOverWindowTheRest) {
    const Box untouched = {0, 0, 40, 20};
    const LayoutCase cases[] = {
        {kLayOutBars, TRUE, {}, false, {-1, 24, 121, 91}, {}},
        {kLayOutBars, TRUE, {}, true, {-1, 24, 101, 61}, {}},
        {kLayOutBarsWithBorders, TRUE, {2, 3, 4, 5}, false, {1, 27, 117, 86}, {2, 3, 4, 5}},
        {kQueryBars, TRUE, {}, false, untouched, {0, 25, 120, 90}},
        {kQueryBars, FALSE, {}, false, untouched, {0, 0, 50, 25}},
    };
    const RECT client = {0, 0, 100, 60};
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " stretch " << c.stretch);
        BarFrame f;
        RECT rect = c.rect;
        f.frame.LayOutBars(kFirstBar, kFirstBar + 1, kLeftOver, c.mode, &rect,
                           c.ownClient ? &client : nullptr, c.stretch);
        bool query = c.mode == kQueryBars;
        LONG right = c.ownClient ? client.right : 120;
        EXPECT_EQ(ChildBox(f.bars[0].windowHandle), query ? untouched : Box({0, 0, right, 10}));
        EXPECT_EQ(ChildBox(f.bars[1].windowHandle), query ? untouched : Box({0, 10, right, 25}));
        EXPECT_EQ(ChildBox(f.rest.handle), c.restBox);
        EXPECT_TRUE(EqualRect(&rect, &c.answer));
        EXPECT_EQ(f.bars[0].queries + f.bars[1].queries, 2);
        EXPECT_EQ(f.bars[2].queries, 0) << "outside the range";
    }
    BarFrame f;
    RECT to = {5, 6, 25, 16};
    MoveToRectangle(nullptr, f.rest.handle, &to);
    EXPECT_EQ(ChildBox(f.rest.handle), Box({5, 6, 25, 16}));
}

TEST(ComboDropDown, ClosesTheListThatHasTheFocusUnlessTheWindowIsThatCombo) {
    struct Case {
        DWORD kind;
        bool windowIsCombo;
        bool closes;
    } const cases[] = {
        {CBS_DROPDOWNLIST, false, true},
        {CBS_DROPDOWN, false, true}, // the focus is in its edit
        {CBS_DROPDOWNLIST, true, false},
        {CBS_DROPDOWN, true, false},
    };
    ObservingWnd top;
    ASSERT_TRUE(wintest::CreateTop(top, "top", WS_POPUP | WS_VISIBLE));
    SetForegroundWindow(top.windowHandle);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "kind " << c.kind << " window is combo " << c.windowIsCombo);
        HWND combo = CreateWindowA("COMBOBOX", "", WS_CHILD | WS_VISIBLE | c.kind, 0, 0, 100, 80,
                                   top.windowHandle, nullptr, GetModuleHandleA(nullptr), nullptr);
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("item"));
        SetFocus(combo);
        SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
        ASSERT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
        CloseComboDropDown(c.windowIsCombo ? combo : top.windowHandle);
        EXPECT_EQ(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) == 0, c.closes);
        SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
        DestroyWindow(combo);
    }
}

TEST(StyleBits, ChangeOnlyWhatDiffersAndRedrawTheFrameWhenAsked) {
    struct Case {
        int index;
        DWORD remove, add;
        UINT positioning;
        BOOL changed;
        bool frameRedrawn;
    } const cases[] = {
        {GWL_EXSTYLE, 0, WS_EX_CLIENTEDGE, SWP_FRAMECHANGED, TRUE, true},
        {GWL_EXSTYLE, 0, WS_EX_CLIENTEDGE, SWP_FRAMECHANGED, FALSE, false},
        {GWL_EXSTYLE, WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE, 0, 0, TRUE, false},
        {GWL_STYLE, 0, WS_BORDER, SWP_FRAMECHANGED, TRUE, true},
        {GWL_STYLE, WS_DLGFRAME, 0, SWP_FRAMECHANGED, FALSE, false},
    };
    ObservingWnd w;
    ASSERT_TRUE(w.CreateWithStyles(WS_EX_TOOLWINDOW, nullptr, "styles", WS_POPUP, 10, 10, 50, 40,
                                   nullptr, nullptr, nullptr));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.index << " -" << std::hex << c.remove << " +" << c.add);
        w.defaults.clear();
        DWORD old = c.index == GWL_EXSTYLE ? w.ReadExStyle() : w.ReadStyle();
        BOOL changed = c.index == GWL_EXSTYLE ? w.ChangeExStyle(c.remove, c.add, c.positioning)
                                              : ChangeStyleBits(w.windowHandle, c.index, c.remove,
                                                                c.add, c.positioning);
        EXPECT_EQ(changed, c.changed);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(w.windowHandle, c.index)),
                  (old & ~c.remove) | c.add);
        EXPECT_EQ(lumtest::Contains(w.defaults, WM_NCCALCSIZE), c.frameRedrawn);
    }
    EXPECT_EQ(w.ReadExStyle(), static_cast<DWORD>(GetWindowLongA(w.windowHandle, GWL_EXSTYLE)));
}

TEST(TemporaryWindows, DeletedFromTheWindowTableOnly) {
    ObservingWnd bound;
    ASSERT_TRUE(wintest::CreateTop(bound));
    PlainWindow plain("STATIC", WS_POPUP, nullptr);
    HMENU menu = CreateMenu();
    CWnd* temporary = CWnd::ObjectFor(plain.handle);
    ASSERT_EQ(GetWindowTable(FALSE)->FindTemporary(plain.handle), temporary);
    ASSERT_NE(CMenu::ObjectFor(menu), nullptr);
    CWnd::DeleteTemporaryWindows();
    EXPECT_EQ(GetWindowTable(FALSE)->FindTemporary(plain.handle), nullptr);
    EXPECT_TRUE(IsWindow(plain.handle));
    EXPECT_EQ(CWnd::PermanentObjectFor(bound.windowHandle), &bound);
    EXPECT_NE(GetMenuTable(FALSE)->FindTemporary(menu), nullptr);
    DestroyMenu(menu);
}

// The thread's tool-tip control: a real one, whose messages are recorded.
class ToolTips : public CWnd {
public:
    explicit ToolTips(bool* deleted = nullptr) : deleted(deleted) {
        RegisterStandardClasses(kClassCommonControls);
        EXPECT_TRUE(CreateWithStyles(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0,
                                     10, 10, nullptr, nullptr, nullptr));
        GetThreadState()->toolTip = this;
    }
    ~ToolTips() override {
        if (GetThreadState()->toolTip == this) {
            GetThreadState()->toolTip = nullptr;
        }
        if (deleted != nullptr) {
            *deleted = true;
        }
    }
    LRESULT CallDefaultProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        seen.push_back({message, wParam, 0});
        if (message == TTM_DELTOOLA) {
            removed = *reinterpret_cast<TOOLINFOA*>(lParam);
        }
        return CWnd::CallDefaultProc(message, wParam, lParam);
    }
    LRESULT Count() { return SendMessageA(windowHandle, TTM_GETTOOLCOUNT, 0, 0); }
    bool Deactivated() const {
        return std::count(seen.begin(), seen.end(), wintest::Seen{TTM_ACTIVATE, FALSE, 0}) == 1;
    }

    bool* deleted;
    std::vector<wintest::Seen> seen;
    TOOLINFOA removed = {};
};

TEST(ToolTipSteps, KeysAndButtonPressesPutTheTipAway) {
    const struct {
        UINT message;
        bool cancels;
    } cases[] = {{WM_KEYDOWN, true},         {WM_SYSDEADCHAR, true},     {0x0108, true},
                 {WM_LBUTTONDOWN, true},     {WM_RBUTTONDBLCLK, true},   {WM_MBUTTONDOWN, true},
                 {WM_NCLBUTTONDBLCLK, true}, {WM_NCMBUTTONDBLCLK, true}, {0x0109, false},
                 {WM_LBUTTONUP, false},      {WM_MOUSEMOVE, false},      {WM_NCRBUTTONUP, false}};
    ToolTips tips;
    CWinThread thread;
    PlainWindow target("STATIC", WS_POPUP, nullptr);
    for (const auto& c : cases) {
        tips.seen.clear();
        MSG message = {target.handle, c.message, 0, 0, 0, {0, 0}};
        EXPECT_FALSE(thread.FilterMessage(&message));
        EXPECT_EQ(tips.Deactivated(), c.cancels) << std::hex << c.message;
    }
}

TEST(ToolTipSteps, AWindowWithToolsTakesThemOutAtItsEnd) {
    ToolTips tips;
    for (bool marked : {true, false}) {
        ObservingWnd w;
        ASSERT_TRUE(wintest::CreateTop(w));
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = w.windowHandle;
        tool.uId = reinterpret_cast<UINT_PTR>(w.windowHandle);
        tool.lpszText = const_cast<char*>("tip");
        ASSERT_TRUE(
            SendMessageA(tips.windowHandle, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)));
        ASSERT_EQ(tips.Count(), 1);
        w.stateFlags |= marked ? WND_HAS_TOOLS : 0;
        w.DestroyHandle();
        EXPECT_EQ(tips.Count(), marked ? 0 : 1);
        if (marked) {
            EXPECT_EQ(tips.removed.cbSize, 44u); // with lParam
            EXPECT_EQ(tips.removed.uFlags, static_cast<UINT>(TTF_IDISHWND));
        } else {
            SendMessageA(tips.windowHandle, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
}

TEST(ToolTipSteps, TheFrameworksEndDestroysAndDeletesTheControl) {
    bool deleted = false;
    auto* tips = new ToolTips(&deleted);
    HWND handle = tips->windowHandle;
    TerminateFramework();
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_TRUE(deleted);
    EXPECT_EQ(GetThreadState()->toolTip, nullptr);
}

} // namespace
