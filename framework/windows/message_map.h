// Message-map entries and their handler forms. Each signature code fixes the
// parameters a handler takes and how its result becomes the message result;
// the entry macros check a member against its code when the map is compiled.
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
// parameter is the target. Its real type is fixed by the signature code.
using MapHandler = void (*)();

struct MessageMapEntry {
    UINT message;
    UINT code;
    UINT firstId;
    UINT lastId;
    UINT_PTR signature; // for a registered message: address of its number
    MapHandler handler;
};
static_assert(sizeof(MessageMapEntry) == 24, "six 32-bit fields");
static_assert(offsetof(MessageMapEntry, code) == 4);
static_assert(offsetof(MessageMapEntry, firstId) == 8);
static_assert(offsetof(MessageMapEntry, lastId) == 12);
static_assert(offsetof(MessageMapEntry, signature) == 16);
static_assert(offsetof(MessageMapEntry, handler) == 20);

struct MessageMap {
    const MessageMap* base;
    const MessageMapEntry* entries;
};

const MessageMapEntry* LookUpMapEntry(const MessageMapEntry* entries, UINT message, UINT code,
                                      UINT id);

namespace mapform {

// How the message result is formed from a handler.
enum class Result { Zero, One, Value };

template <Result R, class... A> struct Form {
    using FormType = Form;
    static constexpr Result result = R;
    // Every thunk returns LRESULT; handlers without a result give 0.
    using Thunk = LRESULT (*)(CCmdTarget*, A...);
};

// Window-message forms, by signature code.
template <UINT Code> struct Window;
// clang-format off
template <> struct Window<1>  : Form<Result::Value, CDC*> {};
template <> struct Window<2>  : Form<Result::Value, WPARAM> {};
template <> struct Window<3>  : Form<Result::Value, CWnd*, int, UINT> {};
template <> struct Window<4>  : Form<Result::Value, CDC*, CWnd*, UINT> {};
template <> struct Window<5>  : Form<Result::Value, CDC*, UINT> {};
template <> struct Window<6>  : Form<Result::Value, UINT, CWnd*, UINT> {};
template <> struct Window<7>  : Form<Result::Value, UINT, UINT> {};
template <> struct Window<8>  : Form<Result::Value, CWnd*, int, UINT> {};
template <> struct Window<9>  : Form<Result::Value, LPARAM> {};
template <> struct Window<10> : Form<Result::Value, WPARAM, LPARAM> {};
template <> struct Window<11> : Form<Result::Value, UINT, UINT, CMenu*> {};
template <> struct Window<12> : Form<Result::Zero> {};
template <> struct Window<13> : Form<Result::Zero, WPARAM> {};
template <> struct Window<14> : Form<Result::Zero, WPARAM, LPARAM> {};
template <> struct Window<15> : Form<Result::Zero, int, int> {};
template <> struct Window<16> : Form<Result::Zero, WPARAM, UINT, UINT> {};
template <> struct Window<17> : Form<Result::Zero, WPARAM, UINT, UINT> {};
template <> struct Window<18> : Form<Result::Zero, WPARAM, LPARAM> {};
template <> struct Window<19> : Form<Result::Zero, BOOL, CWnd*, CWnd*> {};
template <> struct Window<20> : Form<Result::Zero, CDC*> {};
template <> struct Window<21> : Form<Result::Zero, CMenu*> {};
template <> struct Window<22> : Form<Result::Zero, CMenu*, UINT, UINT> {};
template <> struct Window<23> : Form<Result::Zero, CWnd*> {};
template <> struct Window<24> : Form<Result::Zero, CWnd*, UINT, UINT> {};
template <> struct Window<25> : Form<Result::Zero, CWnd*, POINT> {};
template <> struct Window<26> : Form<Result::Zero, CWnd*, LPARAM> {};
template <> struct Window<27> : Form<Result::Zero, WPARAM, CWnd*> {};
template <> struct Window<28> : Form<Result::Zero, UINT, CWnd*, UINT> {};
template <> struct Window<29> : Form<Result::Zero, int, int, CWnd*> {};
template <> struct Window<30> : Form<Result::Zero, int, int> {};
template <> struct Window<31> : Form<Result::Zero, LPARAM> {};
template <> struct Window<32> : Form<Result::One, WPARAM, LPARAM> {};
template <> struct Window<33> : Form<Result::Value, WPARAM, LPARAM> {};
template <> struct Window<34> : Form<Result::Value, POINT> {};
template <> struct Window<35> : Form<Result::Value> {};
template <> struct Window<36> : Form<Result::Zero, LPARAM> {};
template <> struct Window<37> : Form<Result::Zero, WPARAM, LPARAM> {};
template <> struct Window<42> : Form<Result::Value, LPARAM> {};
template <> struct Window<43> : Form<Result::One, WPARAM, LPARAM> {};
template <> struct Window<44> : Form<Result::Zero, CWnd*> {};
template <> struct Window<45> : Form<Result::Value, CWnd*, LPARAM> {};
template <> struct Window<46> : Form<Result::Value, UINT, UINT, UINT, UINT> {};
template <> struct Window<47> : Form<Result::Zero, WPARAM, LPARAM> {};
template <> struct Window<48> : Form<Result::Zero, UINT, UINT, LPARAM> {};
template <> struct Window<49> : Form<Result::Zero, WPARAM, POINT> {};

// Command-routing forms (WM_COMMAND, WM_NOTIFY and their reflected forms).
template <UINT Code> struct Command;
template <> struct Command<2>  : Form<Result::Value, UINT> {};
template <> struct Command<12> : Form<Result::One> {};
template <> struct Command<13> : Form<Result::One, UINT> {};
template <> struct Command<35> : Form<Result::Value> {};
template <> struct Command<38> : Form<Result::One, NMHDR*, LRESULT*> {};
template <> struct Command<39> : Form<Result::Value, NMHDR*, LRESULT*> {};
template <> struct Command<40> : Form<Result::One, UINT, NMHDR*, LRESULT*> {};
template <> struct Command<41> : Form<Result::Value, UINT, NMHDR*, LRESULT*> {};
template <> struct Command<44> : Form<Result::One, CCmdUI*> {};
template <> struct Command<45> : Form<Result::One, CCmdUI*, UINT> {};
template <> struct Command<46> : Form<Result::One, void*> {};
template <> struct Command<47> : Form<Result::Value, void*> {};
// clang-format on

template <class F, auto Member> struct Thunk;

// Fails to compile when Member is not a member function with exactly the
// form's parameters, returning nothing where the form forms its own result
// and something convertible to LRESULT where the handler's value is used.
template <Result R, class... A, auto Member> struct Thunk<Form<R, A...>, Member> {
    template <class C, class Ret> static C* ClassOf(Ret (C::*)(A...));
    using Class = std::remove_pointer_t<decltype(ClassOf(Member))>;
    using Ret = decltype((std::declval<Class*>()->*Member)(std::declval<A>()...));
    static_assert(R == Result::Value ? !std::is_void_v<Ret> : std::is_void_v<Ret>,
                  "handler result does not fit its signature code");

    static LRESULT Call(CCmdTarget* target, A... args) {
        auto* self = static_cast<Class*>(target);
        if constexpr (std::is_void_v<Ret>) {
            (self->*Member)(args...);
            return 0;
        } else if constexpr (std::is_pointer_v<Ret>) {
            return reinterpret_cast<LRESULT>((self->*Member)(args...));
        } else {
            return static_cast<LRESULT>((self->*Member)(args...));
        }
    }
};

template <class F, auto Member> inline MapHandler HandlerOf() {
    typename F::Thunk thunk = &Thunk<typename F::FormType, Member>::Call;
    return reinterpret_cast<MapHandler>(thunk);
}

} // namespace mapform

// Map declaration, inside the class body.
#define LUM_DECLARE_MESSAGE_MAP()                                                                  \
public:                                                                                            \
    static const MessageMap messageMap;                                                            \
    const MessageMap* GetClassMessageMap() const override;

// Map definition, in one source file.
#define LUM_BEGIN_MESSAGE_MAP(cls, base)                                                           \
    const MessageMap* cls::GetClassMessageMap() const {                                            \
        return &cls::messageMap;                                                                   \
    }                                                                                              \
    static const MessageMapEntry cls##_entries[] = {

#define LUM_END_MESSAGE_MAP(cls, base)                                                             \
    { 0, 0, 0, 0, 0, nullptr }                                                                     \
    }                                                                                              \
    ;                                                                                              \
    const MessageMap cls::messageMap = {&base::messageMap, cls##_entries};

// A window message handled by member `fn` of `cls` in the form of code `sig`.
#define LUM_ON_MESSAGE(msg, sig, cls, fn)                                                          \
    {msg, 0, 0, 0, sig, mapform::HandlerOf<mapform::Window<sig>, &cls::fn>()},

// A registered message: `number` is the variable holding its number.
#define LUM_ON_REGISTERED_MESSAGE(number, cls, fn)                                                 \
    {0xC000,                                                                                       \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     reinterpret_cast<UINT_PTR>(&number),                                                          \
     mapform::HandlerOf<mapform::Window<10>, &cls::fn>()},

// A thread message, handled as void fn(WPARAM, LPARAM).
#define LUM_ON_THREAD_MESSAGE(msg, cls, fn) LUM_ON_MESSAGE(msg, 14, cls, fn)

// A command (menu item, accelerator or button click): void fn().
#define LUM_ON_COMMAND(id, cls, fn)                                                                \
    {WM_COMMAND, 0, id, id, 12, mapform::HandlerOf<mapform::Command<12>, &cls::fn>()},

// A control notification through WM_COMMAND: void fn().
#define LUM_ON_CONTROL(code, id, cls, fn)                                                          \
    {WM_COMMAND, code, id, id, 12, mapform::HandlerOf<mapform::Command<12>, &cls::fn>()},

// A range of commands, the handler told the id: BOOL fn(UINT id).
#define LUM_ON_COMMAND_RANGE(first, last, cls, fn)                                                 \
    {WM_COMMAND, 0, first, last, 2, mapform::HandlerOf<mapform::Command<2>, &cls::fn>()},

// An update handler: void fn(CCmdUI*).
#define LUM_ON_UPDATE_COMMAND_UI(id, cls, fn)                                                      \
    {WM_COMMAND, 0xFFFFFFFFu, id, id, 44, mapform::HandlerOf<mapform::Command<44>, &cls::fn>()},

// A notification through WM_NOTIFY: void fn(NMHDR*, LRESULT*).
#define LUM_ON_NOTIFY(code, id, cls, fn)                                                           \
    {WM_NOTIFY, (code)&0xFFFFu, id, id, 38, mapform::HandlerOf<mapform::Command<38>, &cls::fn>()},

// A control's own WM_COMMAND notification, reflected back to it: void fn().
#define LUM_ON_CONTROL_REFLECT(code, cls, fn)                                                      \
    {0xBD11, code, 0, 0, 12, mapform::HandlerOf<mapform::Command<12>, &cls::fn>()},

// A control's own WM_NOTIFY notification, reflected back to it:
// void fn(NMHDR*, LRESULT*).
#define LUM_ON_NOTIFY_REFLECT(code, cls, fn)                                                       \
    {0xBC4E, (code)&0xFFFFu, 0, 0, 38, mapform::HandlerOf<mapform::Command<38>, &cls::fn>()},

// A window message reflected back to the control that caused it.
#define LUM_ON_MESSAGE_REFLECT(msg, sig, cls, fn)                                                  \
    {0xBC00 + (msg), 0, 0, 0, sig, mapform::HandlerOf<mapform::Window<sig>, &cls::fn>()},
