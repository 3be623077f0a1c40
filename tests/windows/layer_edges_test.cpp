// Edge cases of the window layer on real windows: command state on controls,
// the two help requests, owner-draw and list messages reflected to bound
// controls, system changes passed down and frame lookups.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <vector>
#include "framework/windows/dialogs/dialog.h"
#include "framework/windows/messaging/window_proc.h"
#include "tests/windows/window_test_support.h"

namespace {

using wintest::ObservingWnd;
using wintest::PlainWindow;

HMENU IdOf(int id) {
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

TEST(CommandUiOnControls, DisablingTheFocusedControlMovesTheFocusFirst) {
    ObservingWnd top;
    ASSERT_TRUE(wintest::CreateTop(top, "top", WS_POPUP | WS_VISIBLE));
    SetForegroundWindow(top.windowHandle);
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    PlainWindow first("BUTTON", style, top.windowHandle, 1);
    PlainWindow second("BUTTON", style, top.windowHandle, 2);
    SetFocus(first.handle);
    ASSERT_EQ(GetFocus(), first.handle);
    CCmdUI ui;
    ui.otherWindow = CWnd::ObjectFor(first.handle);
    ui.SetEnabled(FALSE);
    EXPECT_EQ(GetFocus(), second.handle);
    EXPECT_FALSE(IsWindowEnabled(first.handle));
    EXPECT_TRUE(ui.enableChanged);
}

TEST(CommandUiOnControls, CheckStatesReachButtonsOnly) {
    struct Case {
        const char* className;
        DWORD style;
        LRESULT before;
        void (*update)(CCmdUI& ui);
        LRESULT after;
    } const cases[] = {
        {"BUTTON", BS_CHECKBOX, BST_UNCHECKED, [](CCmdUI& ui) { ui.SetChecked(1); }, BST_CHECKED},
        {"BUTTON", BS_3STATE, BST_UNCHECKED, [](CCmdUI& ui) { ui.SetChecked(2); },
         BST_INDETERMINATE},
        {"BUTTON", BS_RADIOBUTTON, BST_UNCHECKED, [](CCmdUI& ui) { ui.SetRadioMark(TRUE); },
         BST_CHECKED},
        {"BUTTON", BS_RADIOBUTTON, BST_CHECKED, [](CCmdUI& ui) { ui.SetRadioMark(FALSE); },
         BST_UNCHECKED},
        {"EDIT", 0, BST_UNCHECKED, [](CCmdUI& ui) { ui.SetChecked(1); }, -1},
    };
    ObservingWnd top;
    ASSERT_TRUE(wintest::CreateTop(top));
    for (const Case& c : cases) {
        ObservingWnd control;
        ASSERT_TRUE(control.CreateWithStyles(0, c.className, "", WS_CHILD | c.style, 0, 0, 40, 20,
                                             top.windowHandle, IdOf(3), nullptr));
        SendMessageA(control.windowHandle, BM_SETCHECK, c.before, 0);
        control.defaults.clear();
        CCmdUI ui;
        ui.otherWindow = &control;
        c.update(ui);
        bool button = c.after >= 0;
        EXPECT_EQ(lumtest::Contains(control.defaults, BM_SETCHECK), button)
            << c.className << c.style;
        if (button) {
            EXPECT_EQ(SendMessageA(control.windowHandle, BM_GETCHECK, 0, 0), c.after);
        }
    }
}

TEST(HelpRequests, UnansweredWalkSendsTheDefaultHelpCommand) {
    ObservingWnd w;
    ASSERT_TRUE(wintest::CreateTop(w, "help", WS_POPUP | WS_VISIBLE));
    w.defaults.clear();
    w.RequestContextHelp();
    EXPECT_TRUE(lumtest::Contains(w.defaults, WM_LUM_COMMAND_HELP));
    EXPECT_EQ(std::count(w.defaults.begin(), w.defaults.end(),
                         wintest::Seen{WM_COMMAND, ID_DEFAULT_HELP_COMMAND, 0}),
              1);
}

TEST(HelpRequests, ADialogAnswersTheHitTestWithItsContext) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(200), MAKEINTRESOURCEA(5));
    auto* resource = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(nullptr, found)));
    for (DWORD helpId : {200u, 0u}) {
        CDialog dialog(200);
        dialog.helpId = helpId;
        ASSERT_TRUE(dialog.CreateFromTemplate(resource, nullptr, nullptr));
        EXPECT_EQ(SendMessageA(dialog.windowHandle, WM_LUM_HELP_HIT_TEST, 0, 0),
                  helpId != 0 ? static_cast<LRESULT>(kDialogHelpContextBase + helpId) : 0);
        dialog.DestroyHandle();
    }
}

// A list control that handles what its parent reflects to it.
class ReflectingList : public CWnd {
    LUM_DECLARE_MESSAGE_MAP(ReflectingList)
public:
    BOOL HandleReflectedMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override {
        reflected.push_back(message);
        if (message >= 0xC000) { // the drag-list message, which only the control knows
            *result = 0x66;
            return TRUE;
        }
        return CWnd::HandleReflectedMessage(message, w, l, result);
    }
    LRESULT Answer(WPARAM, LPARAM) { return 0x77; }
    std::vector<UINT> reflected;
};

// clang-format off
LUM_BEGIN_MESSAGE_MAP(ReflectingList, CWnd)
LUM_ON_MESSAGE_REFLECT(WM_PARENTNOTIFY, LumForm::LresultWParamLParam, Answer)
LUM_ON_MESSAGE_REFLECT(WM_COMPAREITEM, LumForm::LresultWParamLParam, Answer)
LUM_ON_MESSAGE_REFLECT(WM_DELETEITEM, LumForm::LresultWParamLParam, Answer)
LUM_ON_MESSAGE_REFLECT(WM_CHARTOITEM, LumForm::LresultWParamLParam, Answer)
LUM_END_MESSAGE_MAP(ReflectingList, CWnd)
// clang-format on

TEST(Reflection, ListMessagesReachABoundControlAndOnlyThat) {
    const UINT dragList = RegisterWindowMessageA(DRAGLISTMSGSTRING);
    ObservingWnd parent;
    ASSERT_TRUE(wintest::CreateTop(parent));
    ReflectingList bound;
    ASSERT_TRUE(bound.CreateWithStyles(0, "LISTBOX", "", WS_CHILD, 0, 0, 40, 40,
                                       parent.windowHandle, IdOf(7), nullptr));
    PlainWindow plain("LISTBOX", WS_CHILD, parent.windowHandle, 8);
    for (HWND child : {bound.windowHandle, plain.handle}) {
        const bool reflects = child == bound.windowHandle;
        COMPAREITEMSTRUCT compare = {ODT_LISTBOX, 7, child, 0, 0, 1, 0, 0};
        DELETEITEMSTRUCT deleted = {ODT_LISTBOX, 7, 0, child, 0};
        DRAGLISTINFO drag = {DL_BEGINDRAG, child, {0, 0}};
        const struct {
            UINT message;
            WPARAM w;
            LPARAM l;
            LRESULT answer;
        } cases[] = {
            {WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, 7), reinterpret_cast<LPARAM>(child), 0},
            {WM_COMPAREITEM, 7, reinterpret_cast<LPARAM>(&compare), 0x77},
            {WM_DELETEITEM, 7, reinterpret_cast<LPARAM>(&deleted), 1},
            {WM_CHARTOITEM, MAKEWPARAM('a', 0), reinterpret_cast<LPARAM>(child), 0x77},
            {dragList, 7, reinterpret_cast<LPARAM>(&drag), 0x66},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << std::hex << c.message << " bound " << reflects);
            parent.defaults.clear();
            bound.reflected.clear();
            LRESULT answer = SendMessageA(parent.windowHandle, c.message, c.w, c.l);
            EXPECT_EQ(bound.reflected,
                      reflects ? std::vector<UINT>{c.message} : std::vector<UINT>{});
            EXPECT_EQ(lumtest::Contains(parent.defaults, c.message), !reflects);
            if (reflects) {
                EXPECT_EQ(answer, c.answer);
            }
        }
    }
    // A child's other events are not reflected.
    parent.defaults.clear();
    SendMessageA(parent.windowHandle, WM_PARENTNOTIFY, WM_LBUTTONDOWN, 0);
    EXPECT_TRUE(bound.reflected.empty());
    EXPECT_TRUE(lumtest::Contains(parent.defaults, WM_PARENTNOTIFY));
}

// Records every message delivered to it.
class Listener : public ObservingWnd {
public:
    LRESULT HandleMessage(UINT message, WPARAM w, LPARAM l) override {
        delivered.push_back(message);
        return ObservingWnd::HandleMessage(message, w, l);
    }
    int Got(UINT message) const { return std::count(delivered.begin(), delivered.end(), message); }
    std::vector<UINT> delivered;
};

TEST(SystemChanges, TopLevelWindowsPassThemToEveryBoundDescendant) {
    const struct {
        UINT message;
        bool toChild;
        bool defaultProcessing;
        int childGets, grandchildGets;
    } cases[] = {
        {WM_SETTINGCHANGE, false, true, 1, 1},
        {WM_DEVMODECHANGE, false, false, 1, 1},
        {WM_SETTINGCHANGE, true, true, 1, 0},
        {WM_DEVMODECHANGE, true, false, 1, 0},
    };
    Listener top, child, grandchild;
    ASSERT_TRUE(wintest::CreateTop(top));
    ASSERT_TRUE(child.CreateWithStyles(0, nullptr, "", WS_CHILD, 0, 0, 40, 40, top.windowHandle,
                                       IdOf(1), nullptr));
    ASSERT_TRUE(grandchild.CreateWithStyles(0, nullptr, "", WS_CHILD, 0, 0, 10, 10,
                                            child.windowHandle, IdOf(2), nullptr));
    for (const auto& c : cases) {
        for (Listener* w : {&top, &child, &grandchild}) {
            w->delivered.clear();
            w->defaults.clear();
        }
        Listener& to = c.toChild ? child : top;
        SendMessageA(to.windowHandle, c.message, 0, reinterpret_cast<LPARAM>("DISPLAY"));
        EXPECT_EQ(lumtest::Contains(to.defaults, c.message), c.defaultProcessing) << c.message;
        EXPECT_EQ(child.Got(c.message), c.childGets) << c.message;
        EXPECT_EQ(grandchild.Got(c.message), c.grandchildGets) << c.message;
    }
}

class FrameWnd : public CWnd {
public:
    BOOL IsFrameWindow() const override { return TRUE; }
};

TEST(FrameLookups, ParentFrameIsTheNearestTopLevelFrameTheOutermost) {
    FrameWnd outer, inner;
    CWnd leaf, lone, unbound;
    ASSERT_TRUE(wintest::CreateTop(outer));
    ASSERT_TRUE(inner.CreateWithStyles(0, nullptr, "", WS_CHILD, 0, 0, 50, 50, outer.windowHandle,
                                       IdOf(1), nullptr));
    ASSERT_TRUE(leaf.CreateWithStyles(0, nullptr, "", WS_CHILD, 0, 0, 10, 10, inner.windowHandle,
                                      IdOf(2), nullptr));
    ASSERT_TRUE(wintest::CreateTop(lone));
    const struct {
        CWnd* window;
        CWnd* parentFrame;
        CWnd* topLevelFrame;
    } cases[] = {
        {&leaf, &inner, &outer},   {&inner, &outer, &outer},     {&outer, nullptr, &outer},
        {&lone, nullptr, nullptr}, {&unbound, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.window->ParentFrame(), c.parentFrame);
        EXPECT_EQ(c.window->TopLevelFrame(), c.topLevelFrame);
    }
}

} // namespace
