// Owner-drawn menu items on real windows: while a popup is tracked, the
// system's measuring and drawing requests reach the menu object that holds
// the item; a menu without one is left to default processing.
#include <gtest/gtest.h>
#include <algorithm>
#include <vector>
#include "framework/runtime/state.h"
#include "framework/windows/handles/handle_table.h"
#include "framework/windows/handles/menu.h"
#include "tests/windows/window_test_support.h"

namespace {

constexpr int kItemHeight = 21;

// Sizes its items and records what it was asked; closes the tracked menu once
// every item of `awaited` has been drawn.
class RecordingMenu : public CMenu {
public:
    void MeasureMenuItem(MEASUREITEMSTRUCT* item) override {
        measured.push_back(item->itemID);
        data.push_back(item->itemData);
        item->itemWidth = 60;
        item->itemHeight = kItemHeight;
    }
    void DrawMenuItem(DRAWITEMSTRUCT* item) override {
        drawn.push_back(item->itemID);
        heights.push_back(item->rcItem.bottom - item->rcItem.top);
        if (owner != nullptr &&
            std::all_of(awaited.begin(), awaited.end(), [this](UINT id) { return WasDrawn(id); })) {
            PostMessageA(owner, WM_CANCELMODE, 0, 0);
        }
    }
    bool WasDrawn(UINT id) const {
        return std::find(drawn.begin(), drawn.end(), id) != drawn.end();
    }

    HWND owner = nullptr;
    std::vector<UINT> awaited;
    std::vector<UINT> measured;
    std::vector<ULONG_PTR> data;
    std::vector<UINT> drawn;
    std::vector<LONG> heights;
};

// Binds a menu to its object for one test; the menu itself belongs to
// whatever holds it (a menu bar goes with its window).
class BoundMenu {
public:
    BoundMenu(RecordingMenu& object, HMENU menu) : object(object) {
        object.menuHandle = menu;
        GetMenuTable(TRUE)->BindPermanent(menu, &object);
    }
    ~BoundMenu() { object.Unbind(); }
    BoundMenu(const BoundMenu&) = delete;
    BoundMenu& operator=(const BoundMenu&) = delete;

private:
    RecordingMenu& object;
};

class PopupMenu {
public:
    PopupMenu() : handle(CreatePopupMenu()) {}
    ~PopupMenu() { DestroyMenu(handle); }
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    HMENU handle;
};

void AddOwnerDrawn(HMENU menu, UINT id) {
    AppendMenuA(menu, MF_OWNERDRAW, id, reinterpret_cast<const char*>(0x5000 + id));
}

// A menu that never closes must fail the test, not hang it.
void CALLBACK GiveUp(HWND window, UINT, UINT_PTR, DWORD) {
    PostMessageA(window, WM_CANCELMODE, 0, 0);
}

class TrackingDeadline {
public:
    explicit TrackingDeadline(HWND window) : window(window) { SetTimer(window, 77, 30000, GiveUp); }
    ~TrackingDeadline() { KillTimer(window, 77); }
    TrackingDeadline(const TrackingDeadline&) = delete;
    TrackingDeadline& operator=(const TrackingDeadline&) = delete;

private:
    HWND window;
};

} // namespace

TEST(OwnerDrawMenu, PopupOfTheMenuBarIsFoundThroughNestedPopups) {
    wintest::ObservingWnd w;
    ASSERT_TRUE(wintest::CreateTop(w));
    // bar > "outer" > "inner" (bound) > items 42, 43; nothing else is bound.
    HMENU bar = CreateMenu();
    HMENU outer = CreatePopupMenu();
    HMENU inner = CreatePopupMenu();
    AppendMenuA(outer, MF_STRING, 41, "plain");
    AppendMenuA(outer, MF_POPUP, reinterpret_cast<UINT_PTR>(inner), "inner");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(outer), "outer");
    AddOwnerDrawn(inner, 42);
    AddOwnerDrawn(inner, 43);
    ASSERT_TRUE(SetMenu(w.windowHandle, bar));
    RecordingMenu object;
    BoundMenu bound(object, inner);
    object.owner = w.windowHandle;
    object.awaited = {42, 43};

    {
        TrackingDeadline deadline(w.windowHandle);
        ASSERT_TRUE(TrackPopupMenu(inner, TPM_LEFTALIGN, 10, 10, 0, w.windowHandle, nullptr));
    }
    EXPECT_EQ(object.measured, (std::vector<UINT>{42, 43}));
    EXPECT_EQ(object.data, (std::vector<ULONG_PTR>{0x5000 + 42, 0x5000 + 43}));
    EXPECT_TRUE(object.WasDrawn(42) && object.WasDrawn(43)) << object.drawn.size() << " drawn";
    for (LONG h : object.heights) {
        EXPECT_EQ(h, kItemHeight) << "drawn at the measured size";
    }
    // Default processing follows every measuring and leaves its size alone.
    EXPECT_TRUE(lumtest::Contains(w.defaults, WM_MEASUREITEM));
    EXPECT_FALSE(lumtest::Contains(w.defaults, WM_DRAWITEM));
}

TEST(OwnerDrawMenu, TrackedPopupIsFoundWithoutAMenuBar) {
    wintest::ObservingWnd w;
    ASSERT_TRUE(wintest::CreateTop(w));
    PopupMenu popup;
    AddOwnerDrawn(popup.handle, 7);
    RecordingMenu object;
    BoundMenu bound(object, popup.handle);
    object.owner = w.windowHandle;
    object.awaited = {7};

    {
        TrackingDeadline deadline(w.windowHandle);
        ASSERT_TRUE(object.TrackPopup(TPM_LEFTALIGN, 10, 10, &w));
    }
    EXPECT_EQ(object.measured, (std::vector<UINT>{7}));
    EXPECT_TRUE(object.WasDrawn(7));
    EXPECT_TRUE(lumtest::Contains(w.defaults, WM_MEASUREITEM));
    EXPECT_EQ(GetThreadState()->trackingWindow, nullptr) << "given back when the menu closed";
    EXPECT_EQ(GetThreadState()->trackingMenu, nullptr);
}

TEST(OwnerDrawMenu, MenuWithoutAnObjectIsLeftToDefaultProcessing) {
    wintest::ObservingWnd w;
    ASSERT_TRUE(wintest::CreateTop(w));
    HMENU bar = CreateMenu();
    HMENU outer = CreatePopupMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(outer), "outer");
    AddOwnerDrawn(outer, 9);
    ASSERT_TRUE(SetMenu(w.windowHandle, bar));

    // As the system sends them while the popup is up.
    MEASUREITEMSTRUCT measure = {ODT_MENU, 0, 9, 0, 0, 0x5000 + 9};
    SendMessageA(w.windowHandle, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_TRUE(lumtest::Contains(w.defaults, WM_MEASUREITEM));
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_MENU;
    draw.itemID = 9;
    draw.hwndItem = reinterpret_cast<HWND>(outer);
    draw.hDC = GetDC(w.windowHandle);
    SendMessageA(w.windowHandle, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    ReleaseDC(w.windowHandle, draw.hDC);
    EXPECT_TRUE(lumtest::Contains(w.defaults, WM_DRAWITEM));

    // Bound, the same requests reach the object; drawing stops there, the
    // measured item still gets default processing.
    RecordingMenu object;
    BoundMenu bound(object, outer);
    w.defaults.clear();
    SendMessageA(w.windowHandle, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    SendMessageA(w.windowHandle, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    EXPECT_EQ(object.measured, (std::vector<UINT>{9}));
    EXPECT_EQ(object.drawn, (std::vector<UINT>{9}));
    EXPECT_EQ(w.defaults, (std::vector<wintest::Seen>{
                              {WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)}}));
    EXPECT_EQ(measure.itemHeight, static_cast<UINT>(kItemHeight));
}
