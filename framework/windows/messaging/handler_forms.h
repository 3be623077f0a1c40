// Handler forms of message-map entries. A form fixes the parameters a handler
// takes, how the message's parameters (or routing's id and extra argument)
// become them and how the handler's result becomes the message result (or
// routing's answer). Entries store a form's number, its signature code; the
// dispatch finds the form's call by that number. A new form is one struct
// with its Call, and its name in its kind's AllForms.
#pragma once

#include <windows.h>
#include <cstddef>
#include <type_traits>

class CCmdTarget;
class CCmdUI;
class CDC;
class CMenu;
class CWnd;

// The handler field holds a per-handler thunk: a plain function whose first
// parameter is the target. Its real type is fixed by the entry's form.
using MapHandler = void (*)();

// The extra argument of notification routing.
struct NotifyPacket {
    LRESULT* result;
    NMHDR* header;
};

namespace mapform {

// How the message result, or routing's answer, is formed.
enum class Result {
    Zero,           // the handler gives nothing; 0
    One,            // the handler gives nothing; 1 (routing: TRUE)
    Value,          // the handler's value (routing: TRUE when it is nonzero)
    ValueOrDefault, // the handler's value; 0 leaves the message to default processing
    UpdateRouting,  // the handler gives nothing; TRUE unless it asked routing to go on
};

constexpr bool GivesValue(Result r) {
    return r == Result::Value || r == Result::ValueOrDefault;
}

struct WindowKind {};
struct CommandKind {};

template <class Kind, UINT Code, Result R, class... A> struct Form {
    using FormType = Form;
    using FormKind = Kind;
    static constexpr UINT code = Code;
    static constexpr Result result = R;
    // Every thunk returns LRESULT; handlers without a result give 0.
    using Thunk = LRESULT (*)(CCmdTarget*, A...);
    static Thunk ThunkOf(MapHandler handler) { return reinterpret_cast<Thunk>(handler); }
};

// Each form of a kind has one static Call that hands the handler its
// arguments: Call(thunk, target, wParam, lParam) for a window message,
// Call(thunk, target, id, extra) for routing; the form's Result does the rest.
template <UINT Code, Result R, class... A> using WindowForm = Form<WindowKind, Code, R, A...>;
template <UINT Code, Result R, class... A> using CommandForm = Form<CommandKind, Code, R, A...>;

template <class... F> struct FormList {};

// What unpacking needs of the window layer; defined with the dispatch, where
// the object types are complete.
CWnd* WindowFor(UINT_PTR handle);
CDC* DcFor(UINT_PTR handle);
CMenu* MenuFor(UINT_PTR handle);
BOOL IsOwnHandle(CCmdTarget* window, UINT_PTR handle);
using ColorCall = LRESULT (*)(CCmdTarget* target, MapHandler handler, CDC* dc, CWnd* control,
                              UINT type);
// Calls `call` with stack objects made for the ControlColorRecord at `record`.
LRESULT CallWithColorRecord(CCmdTarget* target, MapHandler handler, LPARAM record, ColorCall call);
// Routing's answer after an update handler; takes back its request to go on.
BOOL UpdateHandlerAnswer(CCmdUI* ui);

inline UINT Low(UINT_PTR v) {
    return LOWORD(v);
}
inline UINT High(UINT_PTR v) {
    return HIWORD(v);
}
inline int SignedLow(UINT_PTR v) {
    return static_cast<SHORT>(LOWORD(v));
}
inline int SignedHigh(UINT_PTR v) {
    return static_cast<SHORT>(HIWORD(v));
}
inline POINT PointOf(UINT_PTR v) {
    return POINT{SignedLow(v), SignedHigh(v)};
}

} // namespace mapform

// Window-message forms. A name says first what the handler returns:
//   Lresult           its value is the message result;
//   LresultOrDefault  the same, but 0 leaves the message to default processing;
//   Void              nothing, the message result is 0;
//   VoidTrue          nothing, the message result is 1;
// then what it receives, in order: WParam and LParam are the whole values;
// Words a parameter's low and high words, SignedWords the same sign-extended,
// Point lParam's signed words as a point; Wnd, Dc and Menu are the objects
// for a handle in wParam, or in lParam when the name says OfLParam or wParam
// is already used. Forms with the same parameters differ in what the message
// puts there: Record (lParam points to a structure), Text (to a string),
// Command, Key, Flags (what wParam holds).
namespace LumForm {

using mapform::CallWithColorRecord;
using mapform::DcFor;
using mapform::High;
using mapform::IsOwnHandle;
using mapform::Low;
using mapform::MenuFor;
using mapform::PointOf;
using mapform::Result;
using mapform::SignedHigh;
using mapform::SignedLow;
using mapform::WindowFor;
using mapform::WindowForm;

// DC object for wParam.
struct LresultDc : WindowForm<1, Result::Value, CDC*> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM) { return f(t, DcFor(w)); }
};
struct LresultWParam : WindowForm<2, Result::Value, WPARAM> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM) { return f(t, w); }
};
// The window under the cursor (wParam), signed hit test and mouse message
// (lParam's words).
struct LresultWndHitTest : WindowForm<3, Result::Value, CWnd*, int, UINT> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) {
        return f(t, WindowFor(w), SignedLow(l), High(l));
    }
};
// From the ControlColorRecord at lParam: a stack DC, the control's bound
// object or a stack window object, the control type. Returns a brush.
struct LresultColorDcWndType : WindowForm<4, Result::Value, CDC*, CWnd*, UINT> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM, LPARAM l) {
        return CallWithColorRecord(t, reinterpret_cast<MapHandler>(f), l,
                                   [](CCmdTarget* t, MapHandler h, CDC* dc, CWnd* control,
                                      UINT type) { return ThunkOf(h)(t, dc, control, type); });
    }
};
// As the one before, without the control.
struct LresultColorDcType : WindowForm<5, Result::Value, CDC*, UINT> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM, LPARAM l) {
        return CallWithColorRecord(t, reinterpret_cast<MapHandler>(f), l,
                                   [](CCmdTarget* t, MapHandler h, CDC* dc, CWnd*, UINT type) {
                                       return ThunkOf(h)(t, dc, type);
                                   });
    }
};
// Low word of wParam, window for lParam, high word of wParam.
struct LresultLowWndHigh : WindowForm<6, Result::Value, UINT, CWnd*, UINT> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) {
        return f(t, Low(w), WindowFor(l), High(w));
    }
};
struct LresultWParamWords : WindowForm<7, Result::Value, UINT, UINT> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM) { return f(t, Low(w), High(w)); }
};
// As LresultWndHitTest, for the top-level window being activated.
struct LresultTopWndHitTest : WindowForm<8, Result::Value, CWnd*, int, UINT> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) {
        return f(t, WindowFor(w), SignedLow(l), High(l));
    }
};
struct LresultLParam : WindowForm<9, Result::Value, LPARAM> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM, LPARAM l) { return f(t, l); }
};
struct LresultWParamLParam : WindowForm<10, Result::Value, WPARAM, LPARAM> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) { return f(t, w, l); }
};
// Menu for lParam.
struct LresultWParamWordsMenu : WindowForm<11, Result::Value, UINT, UINT, CMenu*> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) {
        return f(t, Low(w), High(w), MenuFor(l));
    }
};
struct Void : WindowForm<12, Result::Zero> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM, LPARAM) { return f(t); }
};
struct VoidWParam : WindowForm<13, Result::Zero, WPARAM> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM) { return f(t, w); }
};
// Plain values; the form of LUM_ON_THREAD_MESSAGE.
struct VoidWParamLParam : WindowForm<14, Result::Zero, WPARAM, LPARAM> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) { return f(t, w, l); }
};
struct VoidLParamSignedWords : WindowForm<15, Result::Zero, int, int> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM, LPARAM l) {
        return f(t, SignedLow(l), SignedHigh(l));
    }
};
struct VoidWParamLParamWords : WindowForm<16, Result::Zero, WPARAM, UINT, UINT> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) {
        return f(t, w, Low(l), High(l));
    }
};
// A key code, then lParam's words (repeat count, flags).
struct VoidKeyLParamWords : WindowForm<17, Result::Zero, WPARAM, UINT, UINT> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) {
        return f(t, w, Low(l), High(l));
    }
};
// A command or event code in wParam, lParam passed on.
struct VoidCommandLParam : WindowForm<18, Result::Zero, WPARAM, LPARAM> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) { return f(t, w, l); }
};
// TRUE when lParam is this window, then the windows for lParam (activated)
// and wParam (deactivated).
struct VoidActivatedDeactivated : WindowForm<19, Result::Zero, BOOL, CWnd*, CWnd*> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) {
        return f(t, IsOwnHandle(t, l), WindowFor(l), WindowFor(w));
    }
};
struct VoidDc : WindowForm<20, Result::Zero, CDC*> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM) { return f(t, DcFor(w)); }
};
struct VoidMenu : WindowForm<21, Result::Zero, CMenu*> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM) { return f(t, MenuFor(w)); }
};
struct VoidMenuLParamWords : WindowForm<22, Result::Zero, CMenu*, UINT, UINT> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) {
        return f(t, MenuFor(w), Low(l), High(l));
    }
};
struct VoidWnd : WindowForm<23, Result::Zero, CWnd*> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM) { return f(t, WindowFor(w)); }
};
struct VoidWndLParamWords : WindowForm<24, Result::Zero, CWnd*, UINT, UINT> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) {
        return f(t, WindowFor(w), Low(l), High(l));
    }
};
struct VoidWndPoint : WindowForm<25, Result::Zero, CWnd*, POINT> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) {
        return f(t, WindowFor(w), PointOf(l));
    }
};
struct VoidWndLParam : WindowForm<26, Result::Zero, CWnd*, LPARAM> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) {
        return f(t, WindowFor(w), l);
    }
};
// Window for lParam.
struct VoidWParamWnd : WindowForm<27, Result::Zero, WPARAM, CWnd*> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) {
        return f(t, w, WindowFor(l));
    }
};
// Low word of wParam, window for lParam, high word of wParam.
struct VoidLowWndHigh : WindowForm<28, Result::Zero, UINT, CWnd*, UINT> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) {
        return f(t, Low(w), WindowFor(l), High(w));
    }
};
// Window for lParam.
struct VoidWParamSignedWordsWnd : WindowForm<29, Result::Zero, int, int, CWnd*> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) {
        return f(t, SignedLow(w), SignedHigh(w), WindowFor(l));
    }
};
struct VoidWParamSignedWords : WindowForm<30, Result::Zero, int, int> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM) {
        return f(t, SignedLow(w), SignedHigh(w));
    }
};
struct VoidLParamText : WindowForm<31, Result::Zero, LPARAM> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM, LPARAM l) { return f(t, l); }
};
struct VoidTrueWParamRecord : WindowForm<32, Result::One, WPARAM, LPARAM> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) { return f(t, w, l); }
};
struct LresultWParamRecord : WindowForm<33, Result::Value, WPARAM, LPARAM> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) { return f(t, w, l); }
};
struct LresultPoint : WindowForm<34, Result::Value, POINT> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM, LPARAM l) { return f(t, PointOf(l)); }
};
struct Lresult : WindowForm<35, Result::Value> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM, LPARAM) { return f(t); }
};
struct VoidLParam : WindowForm<36, Result::Zero, LPARAM> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM, LPARAM l) { return f(t, l); }
};
struct VoidWParamRecord : WindowForm<37, Result::Zero, WPARAM, LPARAM> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) { return f(t, w, l); }
};
// Codes 38 to 41 have no window form: such an entry calls nothing.
struct LresultRecord : WindowForm<42, Result::Value, LPARAM> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM, LPARAM l) { return f(t, l); }
};
struct VoidTrueWParamLParam : WindowForm<43, Result::One, WPARAM, LPARAM> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) { return f(t, w, l); }
};
struct VoidWndOfLParam : WindowForm<44, Result::Zero, CWnd*> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM, LPARAM l) { return f(t, WindowFor(l)); }
};
struct LresultWndOfLParamLParam : WindowForm<45, Result::Value, CWnd*, LPARAM> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM, LPARAM l) { return f(t, WindowFor(l), l); }
};
// The low and high words of wParam, then of lParam.
struct LresultOrDefaultFourWords : WindowForm<46, Result::ValueOrDefault, UINT, UINT, UINT, UINT> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) {
        return f(t, Low(w), High(w), Low(l), High(l));
    }
};
// Flags in wParam, a text (a section name) at lParam.
struct VoidFlagsText : WindowForm<47, Result::Zero, WPARAM, LPARAM> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) { return f(t, w, l); }
};
struct VoidWParamWordsLParam : WindowForm<48, Result::Zero, UINT, UINT, LPARAM> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) {
        return f(t, Low(w), High(w), l);
    }
};
struct VoidWParamPoint : WindowForm<49, Result::Zero, WPARAM, POINT> {
    static LRESULT Call(Thunk f, CCmdTarget* t, WPARAM w, LPARAM l) { return f(t, w, PointOf(l)); }
};

using AllForms = mapform::FormList<
    LresultDc, LresultWParam, LresultWndHitTest, LresultColorDcWndType, LresultColorDcType,
    LresultLowWndHigh, LresultWParamWords, LresultTopWndHitTest, LresultLParam, LresultWParamLParam,
    LresultWParamWordsMenu, Void, VoidWParam, VoidWParamLParam, VoidLParamSignedWords,
    VoidWParamLParamWords, VoidKeyLParamWords, VoidCommandLParam, VoidActivatedDeactivated, VoidDc,
    VoidMenu, VoidMenuLParamWords, VoidWnd, VoidWndLParamWords, VoidWndPoint, VoidWndLParam,
    VoidWParamWnd, VoidLowWndHigh, VoidWParamSignedWordsWnd, VoidWParamSignedWords, VoidLParamText,
    VoidTrueWParamRecord, LresultWParamRecord, LresultPoint, Lresult, VoidLParam, VoidWParamRecord,
    LresultRecord, VoidTrueWParamLParam, VoidWndOfLParam, LresultWndOfLParamLParam,
    LresultOrDefaultFourWords, VoidFlagsText, VoidWParamWordsLParam, VoidWParamPoint>;

// The forms a thread map's entries may take: those whose handler gets
// wParam and lParam as they are. A thread message has no window to
// unpack objects for and no sender waiting for a result.
using ThreadForms = mapform::FormList<LresultWParamLParam, VoidWParamLParam, VoidCommandLParam,
                                      VoidTrueWParamRecord, LresultWParamRecord, VoidWParamRecord,
                                      VoidTrueWParamLParam, VoidFlagsText>;

} // namespace LumForm

#include "framework/windows/messaging/command_forms.h"

#include "framework/windows/messaging/handler_dispatch.h"
