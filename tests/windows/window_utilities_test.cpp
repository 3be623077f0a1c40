// Control helpers, scroll-bar wrappers, dialog colors and the system-change
// handlers every window object has.
#include <gtest/gtest.h>
#include <vector>
#include "framework/runtime/state.h"
#include "framework/windows/messaging/window_utilities.h"
#include "common/import_patch.h"
#include "windows/window_test_support.h"

using wintest::ObservingWnd;
using wintest::PlainWindow;
using wintest::Seen;

namespace {

int Count(const std::vector<Seen>& seen, UINT message) {
    int n = 0;
    for (const Seen& s : seen) {
        n += s.message == message ? 1 : 0;
    }
    return n;
}

bool MakeChild(CWnd& w, HWND parent, int id, const char* text = "child") {
    return w.CreateWithStyles(0, nullptr, text, WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr) != FALSE;
}

// A window whose scroll bars are stand-in sibling controls.
class StandInScrollWnd : public ObservingWnd {
public:
    CWnd* GetScrollBarObject(int bar) const override {
        return bar == SB_HORZ ? horizontal : bar == SB_VERT ? vertical : nullptr;
    }
    CWnd* horizontal = nullptr;
    CWnd* vertical = nullptr;
};

// Notes the order in which controls are enabled or disabled.
class EnableOrderWnd : public ObservingWnd {
public:
    explicit EnableOrderWnd(std::vector<HWND>* order) : order(order) {}
    LRESULT CallDefaultProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_ENABLE) {
            order->push_back(windowHandle);
        }
        return ObservingWnd::CallDefaultProc(message, wParam, lParam);
    }
    std::vector<HWND>* order;
};

} // namespace

TEST(SetTextIfChanged, SameTextSendsNothingOtherCaseDoes) {
    ObservingWnd w;
    ASSERT_TRUE(wintest::CreateTop(w, "Title"));
    w.defaults.clear();
    SetTextIfChanged(w.windowHandle, "Title");
    EXPECT_EQ(Count(w.defaults, WM_SETTEXT), 0);
    SetTextIfChanged(w.windowHandle, "TITLE");
    EXPECT_EQ(Count(w.defaults, WM_SETTEXT), 1);
    char text[16];
    GetWindowTextA(w.windowHandle, text, sizeof text);
    EXPECT_STREQ(text, "TITLE");
}

TEST(ScrollBars, BothBarsGoHorizontalThenVerticalAndStandInsAreDisabled) {
    StandInScrollWnd w;
    ASSERT_TRUE(wintest::CreateTop(w));
    std::vector<HWND> order;
    EnableOrderWnd horizontal(&order);
    EnableOrderWnd vertical(&order);
    ASSERT_TRUE(MakeChild(horizontal, w.windowHandle, 1));
    ASSERT_TRUE(MakeChild(vertical, w.windowHandle, 2));
    w.horizontal = &horizontal;
    w.vertical = &vertical;
    w.ShowScrollBar(SB_BOTH, FALSE);
    EXPECT_EQ(order, (std::vector<HWND>{horizontal.windowHandle, vertical.windowHandle}));
    EXPECT_FALSE(IsWindowEnabled(vertical.windowHandle));
    EXPECT_NE(horizontal.ReadStyle() & WS_VISIBLE, 0u) << "disabled, not hidden";

    // Without stand-ins the window's own bars are shown and hidden.
    w.horizontal = w.vertical = nullptr;
    w.ShowScrollBar(SB_BOTH, TRUE);
    DWORD style = w.ReadStyle();
    EXPECT_EQ(style & (WS_HSCROLL | WS_VSCROLL), static_cast<DWORD>(WS_HSCROLL | WS_VSCROLL));
    w.ShowScrollBar(SB_HORZ, FALSE);
    EXPECT_EQ(w.ReadStyle() & (WS_HSCROLL | WS_VSCROLL), static_cast<DWORD>(WS_VSCROLL));
}

TEST(ScrollBars, InfoIsStampedWithItsSizeAndPositionsRoundTrip) {
    ObservingWnd w;
    ASSERT_TRUE(w.CreateWithStyles(0, nullptr, "scroll", WS_OVERLAPPEDWINDOW | WS_VSCROLL, 0, 0,
                                   100, 100, nullptr, nullptr, nullptr));
    SCROLLINFO info = {};
    info.fMask = SIF_RANGE | SIF_POS;
    info.nMin = 0;
    info.nMax = 50;
    info.nPos = 20;
    EXPECT_TRUE(w.SetScrollInfo(SB_VERT, &info));
    EXPECT_EQ(info.cbSize, sizeof(SCROLLINFO));
    EXPECT_EQ(w.GetScrollPos(SB_VERT), 20);
    EXPECT_EQ(w.SetScrollPos(SB_VERT, 30), 20);
    EXPECT_EQ(w.GetScrollPos(SB_VERT), 30);
}

// Windows NT 3.5 has no such call: the bar stays as it was.
TEST(ScrollBars, InfoWithoutTheSystemsCallAnswersFalseAndLeavesTheBar) {
    ObservingWnd w;
    ASSERT_TRUE(w.CreateWithStyles(0, nullptr, "scroll", WS_OVERLAPPEDWINDOW | WS_VSCROLL, 0, 0,
                                   100, 100, nullptr, nullptr, nullptr));
    w.SetScrollRange(SB_VERT, 0, 50, FALSE);
    w.SetScrollPos(SB_VERT, 10);
    MissingFunction missing("SetScrollInfo");
    ASSERT_TRUE(missing.Applied());
    SCROLLINFO info = {};
    info.fMask = SIF_POS;
    info.nPos = 20;
    EXPECT_FALSE(w.SetScrollInfo(SB_VERT, &info));
    EXPECT_EQ(1, MissingFunction::Asks());
    EXPECT_EQ(w.GetScrollPos(SB_VERT), 10);
}

TEST(ScrollBars, HiddenWindowMovesItsChildrenInstead) {
    ObservingWnd w;
    ASSERT_TRUE(wintest::CreateTop(w));
    ShowWindow(w.windowHandle, SW_HIDE);
    PlainWindow child("STATIC", WS_CHILD | WS_VISIBLE, w.windowHandle);
    SetWindowPos(child.handle, nullptr, 5, 6, 10, 10, SWP_NOZORDER);
    w.ScrollWindow(3, -2);
    RECT r;
    GetWindowRect(child.handle, &r);
    MapWindowPoints(nullptr, w.windowHandle, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 8);
    EXPECT_EQ(r.top, 4);
}

TEST(DialogColors, OnlyPlainControlsAndDropDownListsAreColored) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
    PlainWindow parent("STATIC", WS_POPUP, nullptr);
    PlainWindow dropDown("COMBOBOX", WS_CHILD | CBS_DROPDOWN, parent.handle);
    PlainWindow dropDownList("COMBOBOX", WS_CHILD | CBS_DROPDOWNLIST, parent.handle);
    PlainWindow list("LISTBOX", WS_CHILD, parent.handle);

    EXPECT_FALSE(PaintDialogColors(dc, nullptr, CTLCOLOR_STATIC, nullptr, 0)) << "no brush";
    for (UINT type : {CTLCOLOR_MSGBOX, CTLCOLOR_EDIT, CTLCOLOR_SCROLLBAR}) {
        EXPECT_FALSE(PaintDialogColors(dc, nullptr, type, brush, 0)) << type;
    }
    EXPECT_FALSE(PaintDialogColors(dc, list.handle, CTLCOLOR_LISTBOX, brush, 0));
    EXPECT_FALSE(PaintDialogColors(dc, dropDownList.handle, CTLCOLOR_LISTBOX, brush, 0));
    EXPECT_TRUE(PaintDialogColors(dc, dropDown.handle, CTLCOLOR_LISTBOX, brush, RGB(1, 2, 3)));
    EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));

    EXPECT_TRUE(PaintDialogColors(dc, nullptr, CTLCOLOR_STATIC, brush, 0xFFFFFFFF));
    EXPECT_EQ(GetBkColor(dc), RGB(10, 20, 30));
    EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_WINDOWTEXT)) << "the system text color";
    DeleteObject(brush);
    DeleteDC(dc);
}

TEST(ControlHelpers, ClassTestsAndHitTesting) {
    PlainWindow parent("STATIC", WS_POPUP | WS_VISIBLE, nullptr);
    SetWindowPos(parent.handle, nullptr, 50, 50, 200, 100, SWP_NOZORDER | SWP_NOACTIVATE);
    PlainWindow combo("COMBOBOX", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, parent.handle, 7);
    PlainWindow hidden("STATIC", WS_CHILD, parent.handle, 8);
    PlainWindow noId("STATIC", WS_CHILD | WS_VISIBLE, parent.handle, 0xFFFF);
    PlainWindow target("STATIC", WS_CHILD | WS_VISIBLE, parent.handle, 9);
    SetWindowPos(hidden.handle, nullptr, 100, 10, 40, 20, SWP_NOZORDER);
    SetWindowPos(noId.handle, nullptr, 100, 10, 40, 20, SWP_NOZORDER);
    SetWindowPos(target.handle, nullptr, 100, 10, 40, 20, SWP_NOZORDER);

    EXPECT_TRUE(IsComboOfKind(combo.handle, CBS_DROPDOWNLIST));
    EXPECT_FALSE(IsComboOfKind(combo.handle, CBS_DROPDOWN));
    EXPECT_FALSE(IsComboOfKind(nullptr, CBS_DROPDOWNLIST));
    EXPECT_TRUE(HasClassName(combo.handle, "ComboBox"));
    EXPECT_FALSE(HasClassName(combo.handle, "Combo"));

    EXPECT_EQ(ChildAtPoint(parent.handle, POINT{110, 15}), target.handle)
        << "hidden windows and windows without an id are passed over";
    EXPECT_EQ(ChildAtPoint(parent.handle, POINT{190, 90}), nullptr);
}

TEST(ControlHelpers, GlobalBlocksAreUnlockedAsOftenAsLockedThenFreed) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 16);
    ASSERT_NE(block, nullptr);
    GlobalLock(block);
    GlobalLock(block);
    FreeGlobalBlock(block);
    EXPECT_EQ(GlobalFlags(block), GMEM_INVALID_HANDLE);
    FreeGlobalBlock(nullptr);

    HGDIOBJ held = CreateSolidBrush(0);
    DeleteHeldObject(&held);
    EXPECT_EQ(held, nullptr);
}

TEST(SystemChanges, ColorChangeReachesBoundDescendantsOnly) {
    ObservingWnd top;
    ASSERT_TRUE(wintest::CreateTop(top));
    ObservingWnd bound;
    ASSERT_TRUE(MakeChild(bound, top.windowHandle, 1));
    ObservingWnd grandchild;
    ASSERT_TRUE(MakeChild(grandchild, bound.windowHandle, 2));
    top.defaults.clear();
    bound.defaults.clear();
    grandchild.defaults.clear();
    SendMessageA(top.windowHandle, WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(Count(top.defaults, WM_SYSCOLORCHANGE), 1);
    EXPECT_EQ(Count(bound.defaults, WM_SYSCOLORCHANGE), 1) << "delivered once, not again by "
                                                              "the child itself";
    EXPECT_EQ(Count(grandchild.defaults, WM_SYSCOLORCHANGE), 1);
}

TEST(SystemChanges, DisplayChangeIsForwardedWithItsArguments) {
    ObservingWnd top;
    ASSERT_TRUE(wintest::CreateTop(top));
    ObservingWnd bound;
    ASSERT_TRUE(MakeChild(bound, top.windowHandle, 1));
    bound.defaults.clear();
    SendMessageA(top.windowHandle, WM_DISPLAYCHANGE, 24, MAKELPARAM(1024, 768));
    ASSERT_EQ(Count(bound.defaults, WM_DISPLAYCHANGE), 1);
    for (const Seen& s : bound.defaults) {
        if (s.message == WM_DISPLAYCHANGE) {
            EXPECT_EQ(s, (Seen{WM_DISPLAYCHANGE, 24, MAKELPARAM(1024, 768)}));
        }
    }
}

TEST(SystemChanges, EnterIdleDrainsTheQueuedOnes) {
    ObservingWnd w;
    ASSERT_TRUE(wintest::CreateTop(w));
    PostMessageA(w.windowHandle, WM_ENTERIDLE, 0, 1);
    PostMessageA(w.windowHandle, WM_ENTERIDLE, 0, 2);
    w.defaults.clear();
    SendMessageA(w.windowHandle, WM_ENTERIDLE, 0, 3);
    MSG m;
    EXPECT_FALSE(PeekMessageA(&m, w.windowHandle, WM_ENTERIDLE, WM_ENTERIDLE, PM_NOREMOVE));
    EXPECT_EQ(Count(w.defaults, WM_ENTERIDLE), 3);
}
