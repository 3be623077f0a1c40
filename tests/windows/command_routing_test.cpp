// Command routing through message-map chains.
#include <gtest/gtest.h>
#include <vector>
#include "framework/windows/messaging/cmd_target.h"
#include "framework/windows/handles/menu.h"

namespace {

class BaseTarget : public CCmdTarget {
    LUM_DECLARE_MESSAGE_MAP(BaseTarget)
public:
    void OnBaseCommand() { calls.push_back(1); }
    void OnShared() { calls.push_back(2); }
    std::vector<int> calls;
};

class DerivedTarget : public BaseTarget {
    LUM_DECLARE_MESSAGE_MAP(DerivedTarget)
public:
    void OnShared() { calls.push_back(3); }
    BOOL OnRange(UINT id) {
        calls.push_back(static_cast<int>(id));
        return rangeResult;
    }
    void OnUpdate(CCmdUI* ui) {
        calls.push_back(4);
        ui->SetEnabled(updateEnables);
        ui->continueRouting = askToContinue;
    }
    void OnNotify(NMHDR* header, LRESULT* result) {
        calls.push_back(static_cast<int>(header->idFrom));
        *result = 77;
    }
    void OnFirstOfTwo() { calls.push_back(5); }
    void OnSecondOfTwo() { calls.push_back(6); }

    BOOL rangeResult = TRUE;
    BOOL updateEnables = FALSE;
    BOOL askToContinue = FALSE;
};

LUM_BEGIN_MESSAGE_MAP(BaseTarget, CCmdTarget)
LUM_ON_COMMAND(100, OnBaseCommand)
LUM_ON_COMMAND(200, OnShared)
LUM_END_MESSAGE_MAP(BaseTarget, CCmdTarget)

LUM_BEGIN_MESSAGE_MAP(DerivedTarget, BaseTarget)
LUM_ON_COMMAND(200, OnShared)
LUM_ON_COMMAND_RANGE(0xE110, 0xE11F, OnRange)
LUM_ON_UPDATE_COMMAND_UI(300, OnUpdate)
LUM_ON_NOTIFY(0xFFFFFDF8, 400, OnNotify)
LUM_ON_COMMAND(500, OnFirstOfTwo)
LUM_ON_COMMAND(500, OnSecondOfTwo)
LUM_END_MESSAGE_MAP(DerivedTarget, BaseTarget)

} // namespace

TEST(MessageMapEntry, HandlersAreThunksInSixFields) {
    const MessageMapEntry* e = DerivedTarget::messageMap.entries;
    EXPECT_EQ(e[0].message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(e[0].firstId, 200u);
    EXPECT_EQ(e[0].signature, 12u);
    EXPECT_EQ(e[2].code, 0xFFFFFFFFu) << "update entries carry code -1";
    EXPECT_EQ(e[3].code, 0xFDF8u) << "notify entries keep the low word only";
    EXPECT_EQ(DerivedTarget::messageMap.base, &BaseTarget::messageMap);
}

TEST(RouteCommand, DerivedMapFirstAndFirstEntryWins) {
    DerivedTarget t;
    EXPECT_TRUE(t.RouteCommand(200, 0, nullptr, nullptr));
    EXPECT_TRUE(t.RouteCommand(100, 0, nullptr, nullptr));
    EXPECT_TRUE(t.RouteCommand(500, 0, nullptr, nullptr));
    EXPECT_EQ(t.calls, (std::vector<int>{3, 1, 5}));
    EXPECT_FALSE(t.RouteCommand(999, 0, nullptr, nullptr));
}

TEST(RouteCommand, RangeHandlerGetsTheIdAndDecides) {
    DerivedTarget t;
    EXPECT_TRUE(t.RouteCommand(0xE115, 0, nullptr, nullptr));
    t.rangeResult = FALSE;
    EXPECT_FALSE(t.RouteCommand(0xE11F, 0, nullptr, nullptr));
    EXPECT_FALSE(t.RouteCommand(0xE120, 0, nullptr, nullptr));
    EXPECT_EQ(t.calls, (std::vector<int>{0xE115, 0xE11F}));
}

TEST(RouteCommand, UpdateAndCommandEntriesNeverAnswerEachOther) {
    DerivedTarget t;
    EXPECT_FALSE(t.RouteCommand(300, 0, nullptr, nullptr)) << "only an update entry for 300";
    CCmdEnableProbe probe;
    probe.id = 100;
    EXPECT_FALSE(t.RouteCommand(100, kRouteUpdateUi, &probe, nullptr));
    EXPECT_TRUE(probe.enabled) << "no update handler answered";
    EXPECT_TRUE(t.calls.empty());
}

TEST(RouteCommand, UpdateHandlerDisablesAndMayAskToContinue) {
    DerivedTarget t;
    CCmdEnableProbe probe;
    probe.id = 300;
    EXPECT_TRUE(t.RouteCommand(300, kRouteUpdateUi, &probe, nullptr));
    EXPECT_FALSE(probe.enabled);
    EXPECT_TRUE(probe.enableChanged);
    t.askToContinue = TRUE;
    EXPECT_FALSE(t.RouteCommand(300, kRouteUpdateUi, &probe, nullptr));
    EXPECT_FALSE(probe.continueRouting) << "cleared after the handler";
}

TEST(RouteCommand, NotifyCodeIsPackedWithTheMessage) {
    DerivedTarget t;
    NMHDR header = {nullptr, 42, static_cast<UINT>(0xFFFFFDF8)};
    LRESULT result = 0;
    NotifyPacket packet = {&result, &header};
    EXPECT_TRUE(t.RouteCommand(400, static_cast<int>((0x004Eu << 16) | 0xFDF8u), &packet, nullptr));
    EXPECT_EQ(result, 77);
    EXPECT_EQ(t.calls, (std::vector<int>{42}));
}

TEST(RouteCommand, InfoIsFilledAndNothingIsCalled) {
    DerivedTarget t;
    CommandHandlerInfo info = {nullptr, nullptr};
    EXPECT_TRUE(t.RouteCommand(200, 0, nullptr, &info));
    EXPECT_EQ(info.target, &t);
    EXPECT_NE(info.handler, nullptr);
    EXPECT_TRUE(t.calls.empty());
}

namespace {

struct FormCall {
    UINT form;
    std::vector<UINT_PTR> args;
};

template <class P> UINT_PTR Bits(P* p) {
    return reinterpret_cast<UINT_PTR>(p);
}

// One entry per command form, at the id equal to its code.
class EveryFormTarget : public CCmdTarget {
    LUM_DECLARE_MESSAGE_MAP(EveryFormTarget)
public:
    LRESULT Rec(UINT form, std::vector<UINT_PTR> args) {
        calls.push_back({form, std::move(args)});
        return answer;
    }
    BOOL OnBoolId(UINT id) { return Rec(2, {id}); }
    void OnVoid() { Rec(12, {}); }
    void OnVoidId(UINT id) { Rec(13, {id}); }
    BOOL OnBool() { return Rec(35, {}); }
    void OnVoidNotify(NMHDR* h, LRESULT* r) { Rec(38, {Bits(h), Bits(r)}); }
    BOOL OnBoolNotify(NMHDR* h, LRESULT* r) { return Rec(39, {Bits(h), Bits(r)}); }
    void OnVoidIdNotify(UINT id, NMHDR* h, LRESULT* r) { Rec(40, {id, Bits(h), Bits(r)}); }
    BOOL OnBoolIdNotify(UINT id, NMHDR* h, LRESULT* r) { return Rec(41, {id, Bits(h), Bits(r)}); }
    void OnCmdUi(CCmdUI* ui) {
        Rec(44, {Bits(ui)});
        ui->continueRouting = !answer;
    }
    void OnCmdUiId(CCmdUI* ui, UINT id) {
        Rec(45, {Bits(ui), id});
        ui->continueRouting = !answer;
    }
    void OnExtra(void* extra) { Rec(46, {Bits(extra)}); }
    BOOL OnBoolExtra(void* extra) { return Rec(47, {Bits(extra)}); }

    std::vector<FormCall> calls;
    BOOL answer = TRUE;
};

LRESULT NeverCalled(CCmdTarget* target) {
    return static_cast<EveryFormTarget*>(target)->Rec(3, {});
}

// clang-format off
#define LUM_TEST_FORM(form, fn) \
    LUM_COMMAND_ENTRY(WM_COMMAND, 0, form::code, form::code, form, fn)
LUM_BEGIN_MESSAGE_MAP(EveryFormTarget, CCmdTarget)
LUM_TEST_FORM(LumCommandForm::BoolId, OnBoolId)
LUM_TEST_FORM(LumCommandForm::Void, OnVoid)
LUM_TEST_FORM(LumCommandForm::VoidId, OnVoidId)
LUM_TEST_FORM(LumCommandForm::Bool, OnBool)
LUM_TEST_FORM(LumCommandForm::VoidNotify, OnVoidNotify)
LUM_TEST_FORM(LumCommandForm::BoolNotify, OnBoolNotify)
LUM_TEST_FORM(LumCommandForm::VoidIdNotify, OnVoidIdNotify)
LUM_TEST_FORM(LumCommandForm::BoolIdNotify, OnBoolIdNotify)
LUM_TEST_FORM(LumCommandForm::VoidCmdUi, OnCmdUi)
LUM_TEST_FORM(LumCommandForm::VoidCmdUiId, OnCmdUiId)
LUM_TEST_FORM(LumCommandForm::VoidExtra, OnExtra)
LUM_TEST_FORM(LumCommandForm::BoolExtra, OnBoolExtra)
// Code 3 has no command form.
{WM_COMMAND, 0, 3, 3, 3, reinterpret_cast<MapHandler>(&NeverCalled)},
LUM_END_MESSAGE_MAP(EveryFormTarget, CCmdTarget)
#undef LUM_TEST_FORM
// clang-format on

} // namespace

TEST(CommandForms, EachPassesItsArgumentsAndAnswersByItsRule) {
    NMHDR header = {nullptr, 0, 0};
    LRESULT slot = 0;
    NotifyPacket packet = {&slot, &header};
    CCmdEnableProbe ui;
    int extra = 0;
    // Void forms answer TRUE; the others as the handler says.
    struct Case {
        UINT form;
        void* extra;
        std::vector<UINT_PTR> args;
        bool handlerDecides;
    };
    const Case cases[] = {
        {2, nullptr, {2}, true},
        {12, nullptr, {}, false},
        {13, nullptr, {13}, false},
        {35, nullptr, {}, true},
        {38, &packet, {Bits(&header), Bits(&slot)}, false},
        {39, &packet, {Bits(&header), Bits(&slot)}, true},
        {40, &packet, {40, Bits(&header), Bits(&slot)}, false},
        {41, &packet, {41, Bits(&header), Bits(&slot)}, true},
        {44, &ui, {Bits(&ui)}, true},
        {45, &ui, {Bits(&ui), 45}, true},
        {46, &extra, {Bits(&extra)}, false},
        {47, &extra, {Bits(&extra)}, true},
    };
    EveryFormTarget t;
    for (const Case& c : cases) {
        for (BOOL answer : {TRUE, FALSE}) {
            SCOPED_TRACE(testing::Message() << "code " << c.form << ", handler answers " << answer);
            t.calls.clear();
            t.answer = answer;
            EXPECT_EQ(t.RouteCommand(c.form, 0, c.extra, nullptr),
                      c.handlerDecides ? answer : TRUE);
            ASSERT_EQ(t.calls.size(), 1u);
            EXPECT_EQ(t.calls[0].form, c.form);
            EXPECT_EQ(t.calls[0].args, c.args);
            EXPECT_FALSE(ui.continueRouting) << "taken back after the update handler";
        }
    }
    t.calls.clear();
    EXPECT_FALSE(t.RouteCommand(3, 0, nullptr, nullptr)) << "a code without a command form";
    EXPECT_TRUE(t.calls.empty());
}

TEST(CmdUi, UpdateFromSkipsIdZeroAndDisablesWithoutHandler) {
    DerivedTarget t;
    CCmdEnableProbe probe;
    probe.id = 0;
    EXPECT_TRUE(probe.UpdateFrom(&t, TRUE));
    probe.id = 0xFFFF;
    EXPECT_TRUE(probe.UpdateFrom(&t, TRUE));
    EXPECT_FALSE(probe.enableChanged);
    probe.id = 999; // neither update nor command handler
    probe.UpdateFrom(&t, TRUE);
    EXPECT_FALSE(probe.enabled);
    probe.id = 100; // a command handler but no update handler
    probe.UpdateFrom(&t, TRUE);
    EXPECT_TRUE(probe.enabled);
    EXPECT_TRUE(t.calls.empty()) << "asking for a handler never runs it";
}

TEST(CmdUi, MenuItemsFollowEnableAndCheck) {
    HMENU handle = CreatePopupMenu();
    AppendMenuA(handle, MF_STRING, 10, "Item");
    HMENU sub = CreatePopupMenu();
    AppendMenuA(handle, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Sub");
    CMenu menu;
    menu.menuHandle = handle;
    CCmdUI ui;
    ui.menu = &menu;
    ui.id = 10;
    ui.index = 0;
    ui.SetEnabled(FALSE);
    EXPECT_TRUE(GetMenuState(handle, 0, MF_BYPOSITION) & MF_GRAYED);
    ui.SetChecked(2);
    EXPECT_TRUE(GetMenuState(handle, 0, MF_BYPOSITION) & MF_CHECKED);
    ui.SetItemText("Renamed");
    char text[32];
    GetMenuStringA(handle, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Renamed");
    CMenu subMenu;
    subMenu.menuHandle = sub;
    CCmdUI popup;
    popup.menu = &menu;
    popup.subMenu = &subMenu;
    popup.index = 1;
    popup.SetEnabled(FALSE);
    EXPECT_FALSE(popup.enableChanged);
    EXPECT_FALSE(GetMenuState(handle, 1, MF_BYPOSITION) & MF_GRAYED);
    menu.menuHandle = nullptr;
    subMenu.menuHandle = nullptr;
    DestroyMenu(handle);
}

TEST(CmdUi, RadioDotIsMadeOnce) {
    HBITMAP first = GetRadioDotBitmap();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetRadioDotBitmap(), first);
    BITMAP info;
    ASSERT_TRUE(GetObjectA(first, sizeof info, &info));
    EXPECT_EQ(info.bmBitsPixel, 1);
}
