// Window dispatch by signature code: what each handler form receives (which
// halves are signed, which values become window, menu or DC objects) and how
// its result becomes the message result.
#include <gtest/gtest.h>
#include <set>
#include <vector>
#include "framework/runtime/exceptions.h"
#include "framework/windows/handles/dc.h"
#include "framework/windows/messaging/dispatch.h"
#include "framework/windows/handles/handle_table.h"
#include "framework/windows/handles/menu.h"
#include "framework/windows/messaging/window_proc.h"
#include "tests/windows/window_test_support.h"

namespace {

using wintest::kDefaultAnswer;
using wintest::Seen;

constexpr UINT Msg(UINT code) {
    return WM_APP + code;
}

// Every half has its high bit set, and all four halves differ, so a signed
// half, an unsigned one and a swapped one each give another value.
constexpr WPARAM kW = 0x8001FFFE;
constexpr LPARAM kL = static_cast<LPARAM>(0xFFFD8003);
constexpr long long kWLowU = 0xFFFE, kWLowS = -2;
constexpr long long kWHighU = 0x8001, kWHighS = -32767;
constexpr long long kLLowU = 0x8003, kLLowS = -32765;
constexpr long long kLHighU = 0xFFFD, kLHighS = -3;
constexpr long long kWWhole = 0x8001FFFE;
constexpr long long kLWhole = static_cast<LONG>(0xFFFD8003);

enum class Kind { Int, Point, Window, Dc, Menu, StackDc, StackWindow };

// One handler argument: as received, or as expected.
struct Arg {
    Kind kind;
    long long x = 0;
    long long y = 0;
    HANDLE handle = nullptr;      // what the object wraps (its output handle for a DC)
    HANDLE attribute = nullptr;   // a DC's attribute handle
    const void* object = nullptr; // the object received
};

Arg I(long long v) {
    return {Kind::Int, v};
}
Arg Pt(long long x, long long y) {
    return {Kind::Point, x, y};
}
Arg Wnd(HWND h) {
    return {Kind::Window, 0, 0, h};
}
Arg Dc(HDC h) {
    return {Kind::Dc, 0, 0, h};
}
Arg Menu(HMENU h) {
    return {Kind::Menu, 0, 0, h};
}
Arg StackDc(HDC h) {
    return {Kind::StackDc, 0, 0, h};
}
Arg StackWnd(HWND h) {
    return {Kind::StackWindow, 0, 0, h};
}

Arg Got(int v) {
    return I(v);
}
Arg Got(UINT v) {
    return I(v);
}
Arg Got(LPARAM v) {
    return I(v);
}
Arg Got(POINT p) {
    return Pt(p.x, p.y);
}
Arg Got(CWnd* w) {
    return {Kind::Window, 0, 0, w ? w->windowHandle : nullptr, nullptr, w};
}
Arg Got(CMenu* m) {
    return {Kind::Menu, 0, 0, m ? m->menuHandle : nullptr, nullptr, m};
}
Arg Got(CDC* d) {
    return {Kind::Dc, 0, 0, d ? d->outputHandle : nullptr, d ? d->attributeHandle : nullptr, d};
}

struct Call {
    UINT code;
    std::vector<Arg> args;
};

LRESULT NeverCalled(CCmdTarget* target);

// One entry per signature code, each on its own message WM_APP + code.
class SignatureWnd : public wintest::ObservingWnd {
    LUM_DECLARE_MESSAGE_MAP(SignatureWnd)
public:
    LRESULT Rec(UINT code, std::vector<Arg> args) {
        calls.push_back({code, std::move(args)});
        return reply;
    }

    LRESULT On1(CDC* a) { return Rec(1, {Got(a)}); }
    LRESULT On2(WPARAM a) { return Rec(2, {Got(a)}); }
    LRESULT On3(CWnd* a, int b, UINT c) { return Rec(3, {Got(a), Got(b), Got(c)}); }
    LRESULT On4(CDC* a, CWnd* b, UINT c) {
        if (throwInColor) {
            RaiseUserException();
        }
        return Rec(4, {Got(a), Got(b), Got(c)});
    }
    LRESULT On5(CDC* a, UINT b) { return Rec(5, {Got(a), Got(b)}); }
    LRESULT On6(UINT a, CWnd* b, UINT c) { return Rec(6, {Got(a), Got(b), Got(c)}); }
    LRESULT On7(UINT a, UINT b) { return Rec(7, {Got(a), Got(b)}); }
    LRESULT On8(CWnd* a, int b, UINT c) { return Rec(8, {Got(a), Got(b), Got(c)}); }
    LRESULT On9(LPARAM a) { return Rec(9, {Got(a)}); }
    LRESULT On10(WPARAM a, LPARAM b) { return Rec(10, {Got(a), Got(b)}); }
    LRESULT On11(UINT a, UINT b, CMenu* c) { return Rec(11, {Got(a), Got(b), Got(c)}); }
    void On12() { Rec(12, {}); }
    void On13(WPARAM a) { Rec(13, {Got(a)}); }
    void On14(WPARAM a, LPARAM b) { Rec(14, {Got(a), Got(b)}); }
    void On15(int a, int b) { Rec(15, {Got(a), Got(b)}); }
    void On16(WPARAM a, UINT b, UINT c) { Rec(16, {Got(a), Got(b), Got(c)}); }
    void On17(WPARAM a, UINT b, UINT c) { Rec(17, {Got(a), Got(b), Got(c)}); }
    void On18(WPARAM a, LPARAM b) { Rec(18, {Got(a), Got(b)}); }
    void On19(BOOL a, CWnd* b, CWnd* c) { Rec(19, {Got(a), Got(b), Got(c)}); }
    void On20(CDC* a) { Rec(20, {Got(a)}); }
    void On21(CMenu* a) { Rec(21, {Got(a)}); }
    void On22(CMenu* a, UINT b, UINT c) { Rec(22, {Got(a), Got(b), Got(c)}); }
    void On23(CWnd* a) { Rec(23, {Got(a)}); }
    void On24(CWnd* a, UINT b, UINT c) { Rec(24, {Got(a), Got(b), Got(c)}); }
    void On25(CWnd* a, POINT b) { Rec(25, {Got(a), Got(b)}); }
    void On26(CWnd* a, LPARAM b) { Rec(26, {Got(a), Got(b)}); }
    void On27(WPARAM a, CWnd* b) { Rec(27, {Got(a), Got(b)}); }
    void On28(UINT a, CWnd* b, UINT c) { Rec(28, {Got(a), Got(b), Got(c)}); }
    void On29(int a, int b, CWnd* c) { Rec(29, {Got(a), Got(b), Got(c)}); }
    void On30(int a, int b) { Rec(30, {Got(a), Got(b)}); }
    void On31(LPARAM a) { Rec(31, {Got(a)}); }
    void On32(WPARAM a, LPARAM b) { Rec(32, {Got(a), Got(b)}); }
    LRESULT On33(WPARAM a, LPARAM b) { return Rec(33, {Got(a), Got(b)}); }
    LRESULT On34(POINT a) { return Rec(34, {Got(a)}); }
    LRESULT On35() { return Rec(35, {}); }
    void On36(LPARAM a) { Rec(36, {Got(a)}); }
    void On37(WPARAM a, LPARAM b) { Rec(37, {Got(a), Got(b)}); }
    LRESULT On42(LPARAM a) { return Rec(42, {Got(a)}); }
    void On43(WPARAM a, LPARAM b) { Rec(43, {Got(a), Got(b)}); }
    void On44(CWnd* a) { Rec(44, {Got(a)}); }
    LRESULT On45(CWnd* a, LPARAM b) { return Rec(45, {Got(a), Got(b)}); }
    LRESULT On46(UINT a, UINT b, UINT c, UINT d) {
        return Rec(46, {Got(a), Got(b), Got(c), Got(d)});
    }
    void On47(WPARAM a, LPARAM b) { Rec(47, {Got(a), Got(b)}); }
    void On48(UINT a, UINT b, LPARAM c) { Rec(48, {Got(a), Got(b), Got(c)}); }
    void On49(WPARAM a, POINT b) { Rec(49, {Got(a), Got(b)}); }

    std::vector<Call> calls;
    LRESULT reply = 0;
    int neverCalled = 0;
    bool throwInColor = false;
};

LRESULT NeverCalled(CCmdTarget* target) {
    ++static_cast<SignatureWnd*>(target)->neverCalled;
    return 0x0BAD;
}

// Codes without a window form have no macro: written by hand.
#define LUM_TEST_RAW_ENTRY(code)                                                                   \
    {Msg(code), 0, 0, 0, code, reinterpret_cast<MapHandler>(&NeverCalled)},

// clang-format off
LUM_BEGIN_MESSAGE_MAP(SignatureWnd, wintest::ObservingWnd)
LUM_ON_MESSAGE(Msg(1), LumForm::LresultDc, On1)
LUM_ON_MESSAGE(Msg(2), LumForm::LresultWParam, On2)
LUM_ON_MESSAGE(Msg(3), LumForm::LresultWndHitTest, On3)
LUM_ON_MESSAGE(Msg(4), LumForm::LresultColorDcWndType, On4)
LUM_ON_MESSAGE(Msg(5), LumForm::LresultColorDcType, On5)
LUM_ON_MESSAGE(Msg(6), LumForm::LresultLowWndHigh, On6)
LUM_ON_MESSAGE(Msg(7), LumForm::LresultWParamWords, On7)
LUM_ON_MESSAGE(Msg(8), LumForm::LresultTopWndHitTest, On8)
LUM_ON_MESSAGE(Msg(9), LumForm::LresultLParam, On9)
LUM_ON_MESSAGE(Msg(10), LumForm::LresultWParamLParam, On10)
LUM_ON_MESSAGE(Msg(11), LumForm::LresultWParamWordsMenu, On11)
LUM_ON_MESSAGE(Msg(12), LumForm::Void, On12)
LUM_ON_MESSAGE(Msg(13), LumForm::VoidWParam, On13)
LUM_ON_MESSAGE(Msg(14), LumForm::VoidWParamLParam, On14)
LUM_ON_MESSAGE(Msg(15), LumForm::VoidLParamSignedWords, On15)
LUM_ON_MESSAGE(Msg(16), LumForm::VoidWParamLParamWords, On16)
LUM_ON_MESSAGE(Msg(17), LumForm::VoidKeyLParamWords, On17)
LUM_ON_MESSAGE(Msg(18), LumForm::VoidCommandLParam, On18)
LUM_ON_MESSAGE(Msg(19), LumForm::VoidActivatedDeactivated, On19)
LUM_ON_MESSAGE(Msg(20), LumForm::VoidDc, On20)
LUM_ON_MESSAGE(Msg(21), LumForm::VoidMenu, On21)
LUM_ON_MESSAGE(Msg(22), LumForm::VoidMenuLParamWords, On22)
LUM_ON_MESSAGE(Msg(23), LumForm::VoidWnd, On23)
LUM_ON_MESSAGE(Msg(24), LumForm::VoidWndLParamWords, On24)
LUM_ON_MESSAGE(Msg(25), LumForm::VoidWndPoint, On25)
LUM_ON_MESSAGE(Msg(26), LumForm::VoidWndLParam, On26)
LUM_ON_MESSAGE(Msg(27), LumForm::VoidWParamWnd, On27)
LUM_ON_MESSAGE(Msg(28), LumForm::VoidLowWndHigh, On28)
LUM_ON_MESSAGE(Msg(29), LumForm::VoidWParamSignedWordsWnd, On29)
LUM_ON_MESSAGE(Msg(30), LumForm::VoidWParamSignedWords, On30)
LUM_ON_MESSAGE(Msg(31), LumForm::VoidLParamText, On31)
LUM_ON_MESSAGE(Msg(32), LumForm::VoidTrueWParamRecord, On32)
LUM_ON_MESSAGE(Msg(33), LumForm::LresultWParamRecord, On33)
LUM_ON_MESSAGE(Msg(34), LumForm::LresultPoint, On34)
LUM_ON_MESSAGE(Msg(35), LumForm::Lresult, On35)
LUM_ON_MESSAGE(Msg(36), LumForm::VoidLParam, On36)
LUM_ON_MESSAGE(Msg(37), LumForm::VoidWParamRecord, On37)
LUM_TEST_RAW_ENTRY(38)
LUM_TEST_RAW_ENTRY(39)
LUM_TEST_RAW_ENTRY(40)
LUM_TEST_RAW_ENTRY(41)
LUM_ON_MESSAGE(Msg(42), LumForm::LresultRecord, On42)
LUM_ON_MESSAGE(Msg(43), LumForm::VoidTrueWParamLParam, On43)
LUM_ON_MESSAGE(Msg(44), LumForm::VoidWndOfLParam, On44)
LUM_ON_MESSAGE(Msg(45), LumForm::LresultWndOfLParamLParam, On45)
LUM_ON_MESSAGE(Msg(46), LumForm::LresultOrDefaultFourWords, On46)
LUM_ON_MESSAGE(Msg(47), LumForm::VoidFlagsText, On47)
LUM_ON_MESSAGE(Msg(48), LumForm::VoidWParamWordsLParam, On48)
LUM_ON_MESSAGE(Msg(49), LumForm::VoidWParamPoint, On49)
LUM_TEST_RAW_ENTRY(50)
LUM_TEST_RAW_ENTRY(200)
LUM_END_MESSAGE_MAP(SignatureWnd, wintest::ObservingWnd)
// clang-format on

// Entries store a form's number, so a name must keep the code its entries
// always stored: the map above pairs message WM_APP + code with the form of
// that code.
TEST(SignatureCodes, EachNamedFormStoresItsOwnCode) {
    for (const MessageMapEntry* e = SignatureWnd::messageMap.entries; e->signature != 0; ++e) {
        EXPECT_EQ(e->signature, e->message - WM_APP);
    }
}

// How the message result comes out.
enum class Rule {
    Value,    // the handler's return value
    Zero,     // 0 whatever the handler did
    One,      // 1
    Default,  // handler called, then default processing answers
    NotCalled // nothing called; 0, handled
};

struct Row {
    UINT code;
    WPARAM w;
    LPARAM l;
    std::vector<Arg> args;
    Rule rule;
    LRESULT reply;
};

LRESULT ReplyFor(UINT code) {
    return static_cast<LRESULT>(0x40000000u | (code << 8) | 0x5A);
}

Row V(UINT c, WPARAM wp, LPARAM lp, std::vector<Arg> a) {
    return Row{c, wp, lp, std::move(a), Rule::Value, ReplyFor(c)};
}
Row Z(UINT c, WPARAM wp, LPARAM lp, std::vector<Arg> a) {
    return Row{c, wp, lp, std::move(a), Rule::Zero, ReplyFor(c)};
}
Row O(UINT c, WPARAM wp, LPARAM lp, std::vector<Arg> a) {
    return Row{c, wp, lp, std::move(a), Rule::One, ReplyFor(c)};
}
Row N(UINT c) {
    return Row{c, kW, kL, {}, Rule::NotCalled, ReplyFor(c)};
}

template <class H> WPARAM AsW(H h) {
    return reinterpret_cast<WPARAM>(h);
}
template <class H> LPARAM AsL(H h) {
    return reinterpret_cast<LPARAM>(h);
}

// Objects for handles: the bound object when there is one, else the
// thread's temporary; none for a null handle.
void ExpectWindowArg(const Arg& want, const Arg& got) {
    ASSERT_EQ(got.kind, Kind::Window);
    auto h = static_cast<HWND>(want.handle);
    if (h == nullptr) {
        EXPECT_EQ(got.object, nullptr);
        return;
    }
    ASSERT_NE(got.object, nullptr);
    EXPECT_EQ(got.handle, h);
    if (CWnd* bound = CWnd::PermanentObjectFor(h)) {
        EXPECT_EQ(got.object, bound) << "the bound object";
    } else {
        EXPECT_EQ(got.object, GetWindowTable(TRUE)->FindTemporary(h)) << "a temporary";
    }
}

void ExpectMenuArg(const Arg& want, const Arg& got) {
    ASSERT_EQ(got.kind, Kind::Menu);
    ASSERT_NE(got.object, nullptr);
    EXPECT_EQ(got.handle, want.handle);
    CHandleTable* table = GetMenuTable(TRUE);
    if (CObject* bound = table->FindPermanent(want.handle)) {
        EXPECT_EQ(got.object, bound) << "the bound object";
    } else {
        EXPECT_EQ(got.object, table->FindTemporary(want.handle)) << "a temporary";
    }
}

// Objects made on the stack for one call, never the table's temporaries.
void ExpectStackArg(const Arg& want, const Arg& got) {
    ASSERT_NE(got.object, nullptr);
    EXPECT_EQ(got.handle, want.handle);
    if (want.kind == Kind::StackDc) {
        ASSERT_EQ(got.kind, Kind::Dc);
        EXPECT_EQ(got.attribute, nullptr);
        EXPECT_NE(got.object, GetDcTable(TRUE)->FindTemporary(want.handle))
            << "not the table's temporary";
    } else {
        ASSERT_EQ(got.kind, Kind::Window);
        auto h = static_cast<HWND>(want.handle);
        EXPECT_EQ(CWnd::PermanentObjectFor(h), nullptr);
        EXPECT_NE(got.object, GetWindowTable(TRUE)->FindTemporary(h))
            << "not the table's temporary";
    }
}

class SignatureDispatch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(wintest::CreateTop(w, "signatures"));
        ASSERT_TRUE(wintest::CreateTop(peer, "peer"));
        dc = GetDC(w.windowHandle);
        ASSERT_NE(dc, nullptr);
        menu = CreatePopupMenu();
        boundMenu = CreatePopupMenu();
        boundMenuObject.menuHandle = boundMenu;
        GetMenuTable(TRUE)->BindPermanent(boundMenu, &boundMenuObject);
    }
    void TearDown() override {
        GetMenuTable(TRUE)->UnbindPermanent(boundMenu);
        boundMenuObject.menuHandle = nullptr;
        DestroyMenu(menu);
        DestroyMenu(boundMenu);
        if (dc != nullptr) {
            ReleaseDC(w.windowHandle, dc);
        }
    }

    static void ExpectArg(const Arg& want, const Arg& got) {
        switch (want.kind) {
        case Kind::Int:
            ASSERT_EQ(got.kind, Kind::Int);
            EXPECT_EQ(got.x, want.x);
            break;
        case Kind::Point:
            ASSERT_EQ(got.kind, Kind::Point);
            EXPECT_EQ(got.x, want.x);
            EXPECT_EQ(got.y, want.y);
            break;
        case Kind::Window:
            ExpectWindowArg(want, got);
            break;
        case Kind::Menu:
            ExpectMenuArg(want, got);
            break;
        case Kind::Dc:
            ASSERT_EQ(got.kind, Kind::Dc);
            ASSERT_NE(got.object, nullptr);
            EXPECT_EQ(got.handle, want.handle);
            EXPECT_EQ(got.attribute, want.handle) << "temporaries carry both handles";
            EXPECT_EQ(got.object, GetDcTable(TRUE)->FindTemporary(want.handle));
            break;
        case Kind::StackDc:
        case Kind::StackWindow:
            ExpectStackArg(want, got);
            break;
        }
    }

    void Run(const std::vector<Row>& rows) {
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << "code " << row.code << ", wParam 0x" << std::hex
                                            << row.w << ", lParam 0x" << row.l);
            w.calls.clear();
            w.defaults.clear();
            w.neverCalled = 0;
            w.reply = row.reply;
            LRESULT r = SendMessageA(w.windowHandle, Msg(row.code), row.w, row.l);
            switch (row.rule) {
            case Rule::Value:
                EXPECT_EQ(r, row.reply);
                break;
            case Rule::Zero:
                EXPECT_EQ(r, 0);
                break;
            case Rule::One:
                EXPECT_EQ(r, 1);
                break;
            case Rule::Default:
                EXPECT_EQ(r, kDefaultAnswer);
                break;
            case Rule::NotCalled:
                EXPECT_EQ(r, 0);
                break;
            }
            if (row.rule == Rule::Default) {
                EXPECT_EQ(w.defaults, (std::vector<Seen>{{Msg(row.code), row.w, row.l}}));
            } else {
                EXPECT_TRUE(w.defaults.empty()) << "counts as handled";
            }
            if (row.rule == Rule::NotCalled) {
                EXPECT_TRUE(w.calls.empty());
                EXPECT_EQ(w.neverCalled, 0);
                continue;
            }
            ASSERT_EQ(w.calls.size(), 1u);
            EXPECT_EQ(w.calls[0].code, row.code);
            ASSERT_EQ(w.calls[0].args.size(), row.args.size());
            for (size_t i = 0; i < row.args.size(); ++i) {
                SCOPED_TRACE(testing::Message() << "argument " << i + 1);
                ExpectArg(row.args[i], w.calls[0].args[i]);
            }
        }
    }

    // One row or more per code. `self` is this window, `bound` another bound
    // one, `temp` a window with only a temporary object.
    std::vector<Row> EveryCodeRows(HWND self, HWND bound, HWND temp) const {
        return {
            V(1, AsW(dc), kL, {Dc(dc)}),
            V(2, kW, kL, {I(kWWhole)}),
            V(3, AsW(temp), kL, {Wnd(temp), I(kLLowS), I(kLHighU)}),
            V(6, kW, AsL(bound), {I(kWLowU), Wnd(bound), I(kWHighU)}),
            V(6, kW, AsL(temp), {I(kWLowU), Wnd(temp), I(kWHighU)}),
            V(7, kW, kL, {I(kWLowU), I(kWHighU)}),
            V(8, AsW(bound), kL, {Wnd(bound), I(kLLowS), I(kLHighU)}),
            V(9, kW, kL, {I(kLWhole)}),
            V(10, kW, kL, {I(kWWhole), I(kLWhole)}),
            V(11, kW, AsL(menu), {I(kWLowU), I(kWHighU), Menu(menu)}),
            Z(12, kW, kL, {}),
            Z(13, kW, kL, {I(kWWhole)}),
            Z(14, kW, kL, {I(kWWhole), I(kLWhole)}),
            Z(15, kW, kL, {I(kLLowS), I(kLHighS)}),
            Z(16, kW, kL, {I(kWWhole), I(kLLowU), I(kLHighU)}),
            Z(17, kW, kL, {I(kWWhole), I(kLLowU), I(kLHighU)}),
            Z(18, kW, kL, {I(kWWhole), I(kLWhole)}),
            Z(19, AsW(temp), AsL(self), {I(TRUE), Wnd(self), Wnd(temp)}),
            Z(19, 0, AsL(temp), {I(FALSE), Wnd(temp), Wnd(nullptr)}),
            Z(20, AsW(dc), kL, {Dc(dc)}),
            Z(21, AsW(menu), kL, {Menu(menu)}),
            Z(21, AsW(boundMenu), kL, {Menu(boundMenu)}),
            Z(22, AsW(menu), kL, {Menu(menu), I(kLLowU), I(kLHighU)}),
            Z(23, AsW(temp), kL, {Wnd(temp)}),
            Z(23, 0, kL, {Wnd(nullptr)}),
            Z(24, AsW(bound), kL, {Wnd(bound), I(kLLowU), I(kLHighU)}),
            Z(25, AsW(temp), kL, {Wnd(temp), Pt(kLLowS, kLHighS)}),
            Z(26, AsW(temp), kL, {Wnd(temp), I(kLWhole)}),
            Z(27, kW, AsL(bound), {I(kWWhole), Wnd(bound)}),
            Z(28, kW, AsL(temp), {I(kWLowU), Wnd(temp), I(kWHighU)}),
            Z(29, kW, AsL(bound), {I(kWLowS), I(kWHighS), Wnd(bound)}),
            Z(29, kW, 0, {I(kWLowS), I(kWHighS), Wnd(nullptr)}),
            Z(30, kW, kL, {I(kWLowS), I(kWHighS)}),
            Z(31, kW, kL, {I(kLWhole)}),
            O(32, kW, kL, {I(kWWhole), I(kLWhole)}),
            V(33, kW, kL, {I(kWWhole), I(kLWhole)}),
            V(34, kW, kL, {Pt(kLLowS, kLHighS)}),
            V(35, kW, kL, {}),
            Z(36, kW, kL, {I(kLWhole)}),
            Z(37, kW, kL, {I(kWWhole), I(kLWhole)}),
            N(38),
            N(39),
            N(40),
            N(41),
            V(42, kW, kL, {I(kLWhole)}),
            O(43, kW, kL, {I(kWWhole), I(kLWhole)}),
            Z(44, kW, AsL(temp), {Wnd(temp)}),
            V(45, kW, AsL(temp), {Wnd(temp), I(reinterpret_cast<LONG>(temp))}),
            V(46, kW, kL, {I(kWLowU), I(kWHighU), I(kLLowU), I(kLHighU)}),
            Row{46, kW, kL, {I(kWLowU), I(kWHighU), I(kLLowU), I(kLHighU)}, Rule::Default, 0},
            Z(47, kW, kL, {I(kWWhole), I(kLWhole)}),
            Z(48, kW, kL, {I(kWLowU), I(kWHighU), I(kLWhole)}),
            Z(49, kW, kL, {I(kWWhole), Pt(kLLowS, kLHighS)}),
            N(50),
            N(200),
        };
    }

    SignatureWnd w;
    SignatureWnd peer;
    HDC dc = nullptr;
    HMENU menu = nullptr;
    HMENU boundMenu = nullptr;
    CMenu boundMenuObject;
};

TEST_F(SignatureDispatch, EveryCodeUnpacksAndAnswersByItsRule) {
    wintest::PlainWindow child("STATIC", WS_CHILD, w.windowHandle, 7);
    HWND self = w.windowHandle;
    HWND bound = peer.windowHandle;
    HWND temp = child.handle;
    ASSERT_EQ(CWnd::PermanentObjectFor(temp), nullptr);
    const std::vector<Row> rows = EveryCodeRows(self, bound, temp);
    std::set<UINT> covered;
    for (const Row& row : rows) {
        covered.insert(row.code);
    }
    for (UINT code = 1; code <= 49; ++code) {
        if (code != 4 && code != 5) {
            EXPECT_TRUE(covered.count(code)) << "no row for code " << code;
        }
    }
    Run(rows);
    EXPECT_TRUE(IsWindow(temp)) << "temporaries never destroy their windows";
}

TEST_F(SignatureDispatch, ColorCodesGetStackObjectsFromTheRecord) {
    wintest::BoundChild<> control(w.windowHandle, 8);
    wintest::PlainWindow plain("STATIC", WS_CHILD, w.windowHandle, 9);
    ControlColorRecord toBound = {control.window.handle, dc, CTLCOLOR_STATIC};
    ControlColorRecord toPlain = {plain.handle, dc, CTLCOLOR_EDIT};
    // Temporaries exist for both handles: the stack objects are not them.
    ASSERT_NE(CWnd::ObjectFor(plain.handle), nullptr);
    ASSERT_NE(CDC::ObjectFor(dc), nullptr);
    const std::vector<Row> rows = {
        {4,
         0,
         AsL(&toBound),
         {StackDc(dc), Wnd(control.window.handle), I(CTLCOLOR_STATIC)},
         Rule::Value,
         ReplyFor(4)},
        {4,
         0,
         AsL(&toPlain),
         {StackDc(dc), StackWnd(plain.handle), I(CTLCOLOR_EDIT)},
         Rule::Value,
         ReplyFor(4)},
        {5, 0, AsL(&toPlain), {StackDc(dc), I(CTLCOLOR_EDIT)}, Rule::Value, ReplyFor(5)},
    };
    Run(rows);
    EXPECT_TRUE(IsWindow(plain.handle)) << "the stack window object let its window live";
    EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_DC));
}

TEST_F(SignatureDispatch, ColorHandlerThatThrowsLeavesTheControlAlive) {
    wintest::PlainWindow plain("STATIC", WS_CHILD, w.windowHandle, 9);
    ControlColorRecord record = {plain.handle, dc, CTLCOLOR_BTN};
    w.throwInColor = true;
    // The exception leaves through the stack objects; they must not take
    // the control's window with them.
    SendMessageA(w.windowHandle, Msg(4), 0, AsL(&record));
    EXPECT_TRUE(IsWindow(plain.handle));
    EXPECT_EQ(CWnd::PermanentObjectFor(plain.handle), nullptr);
    EXPECT_EQ(SendMessageA(w.windowHandle, WM_LUM_WNDPROC_PROBE, 0, 0), 1);
}

} // namespace
