// How the dispatch calls a handler of each form: unpacking by signature
// code, the thread forms' check, and the per-handler thunks that check a
// member against its form when a map is compiled. Included by
// handler_forms.h, after the forms.
#pragma once

#include <windows.h>
#include <type_traits>

namespace mapform {

// Unpacks the message for a handler in form F, calls it and forms the result
// in `value`; FALSE when the message is to be treated as not handled.
template <class F>
BOOL UnpackWindowMessage(CCmdTarget* target, MapHandler handler, WPARAM w, LPARAM l,
                         LRESULT& value) {
    [[maybe_unused]] LRESULT r = F::Call(F::ThunkOf(handler), target, w, l);
    if constexpr (F::result == Result::One) {
        value = 1;
    } else if constexpr (F::result == Result::Value) {
        value = r;
    } else if constexpr (F::result == Result::ValueOrDefault) {
        value = r;
        return r != 0;
    }
    return TRUE;
}

// Routing's answer from a handler in form F.
template <class F>
BOOL RouteToHandler(CCmdTarget* target, MapHandler handler, UINT id, void* extra) {
    [[maybe_unused]] LRESULT r = F::Call(F::ThunkOf(handler), target, id, extra);
    if constexpr (F::result == Result::Value) {
        return r != 0;
    } else if constexpr (F::result == Result::UpdateRouting) {
        return UpdateHandlerAnswer(static_cast<CCmdUI*>(extra));
    } else {
        return TRUE;
    }
}

// The dispatch by signature code: one test per form, which the compiler
// turns into a jump table as it would a switch. A window code without a form
// calls nothing and counts as handled; a routing code without one answers
// FALSE.
template <class... F>
BOOL UnpackByCode(FormList<F...>, UINT code, CCmdTarget* target, MapHandler handler, WPARAM w,
                  LPARAM l, LRESULT& value) {
    BOOL handled = TRUE;
    (void)((code == F::code &&
            (handled = UnpackWindowMessage<F>(target, handler, w, l, value), true)) ||
           ...);
    return handled;
}
template <class... F>
BOOL RouteByCode(FormList<F...>, UINT code, CCmdTarget* target, MapHandler handler, UINT id,
                 void* extra) {
    BOOL routed = FALSE;
    (void)((code == F::code && (routed = RouteToHandler<F>(target, handler, id, extra), true)) ||
           ...);
    return routed;
}

// A thread message to a handler in one of the thread forms; FALSE, with
// nothing called, for any other code.
template <class... F>
BOOL CallThreadHandler(FormList<F...>, UINT code, CCmdTarget* target, MapHandler handler, WPARAM w,
                       LPARAM l) {
    static_assert(
        (std::is_same_v<typename F::Thunk, LRESULT (*)(CCmdTarget*, WPARAM, LPARAM)> && ...),
        "a thread form must take wParam and lParam as they are");
    return ((code == F::code && (F::ThunkOf(handler)(target, w, l), true)) || ...);
}

template <class F, class... T> constexpr bool IsOneOf(FormList<T...>) {
    return (std::is_same_v<F, T> || ...);
}
template <class F> constexpr UINT ThreadFormCode() {
    static_assert(IsOneOf<F>(LumForm::ThreadForms{}), "not a thread form");
    return F::code;
}

// The thread object's class says that its map's message entries answer
// thread messages; every class derived from it inherits the answer.
template <class C>
concept TakesThreadMessages = requires {
    C::takesThreadMessages;
};

// The signature code of a message entry in the map of class C. A thread's
// pump dispatches only the thread forms: any other form in a thread's map
// would never be called.
template <class C, class F> constexpr UINT MessageEntryCode() {
    static_assert(!TakesThreadMessages<C> || IsOneOf<F>(LumForm::ThreadForms{}),
                  "not a thread form, in a thread's map: thread messages come without a window, "
                  "so their wParam and lParam are handed over as they are");
    return F::code;
}

template <class... F> constexpr bool CodesAreDistinct(FormList<F...>) {
    const UINT codes[] = {F::code...};
    for (std::size_t i = 0; i < sizeof...(F); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (codes[i] == codes[j]) {
                return false;
            }
        }
    }
    return true;
}
static_assert(CodesAreDistinct(LumForm::AllForms{}), "two window forms share a code");
static_assert(CodesAreDistinct(LumCommandForm::AllForms{}), "two command forms share a code");

template <class F, auto Member> struct Thunk;

// A member function whose parameters are exactly A... (any class, any result).
template <class M, class... A> struct TakesExactly : std::false_type {};
template <class Cls, class Ret, class... A>
struct TakesExactly<Ret (Cls::*)(A...), A...> : std::true_type {};

// Fails to compile when Member is not a member function with exactly the
// form's parameters, returning nothing where the form forms its own result
// and something convertible to LRESULT where the handler's value is used.
template <class K, UINT C, Result R, class... A, auto Member>
struct Thunk<Form<K, C, R, A...>, Member> {
    static_assert(TakesExactly<decltype(Member), A...>::value,
                  "handler parameters do not fit its form");
    template <class Cls, class Ret> static Cls* ClassOf(Ret (Cls::*)(A...));
    using Class = std::remove_pointer_t<decltype(ClassOf(Member))>;
    using Ret = decltype((std::declval<Class*>()->*Member)(std::declval<A>()...));
    static_assert(GivesValue(R) ? !std::is_void_v<Ret> : std::is_void_v<Ret>,
                  "handler result does not fit its form");

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

// A message word as the type its message gives it: a handle or a pointer
// to the message's structure, a point from its two signed words, a number.
template <class To, class From> To As(From raw) {
    if constexpr (std::is_same_v<To, From>) {
        return raw;
    } else if constexpr (std::is_same_v<To, POINT>) {
        return PointOf(raw);
    } else if constexpr (std::is_pointer_v<To>) {
        return reinterpret_cast<To>(raw);
    } else {
        return static_cast<To>(raw);
    }
}

template <class... T> struct Types {};
template <class F> struct FormArgs;
template <class K, UINT C, Result R, class... A> struct FormArgs<Form<K, C, R, A...>> {
    using type = Types<A...>;
};

// A cracked form: Base's code and unpacking, its message words handed to the
// handler as H..., one for each. The entry's thunk takes Base's words, so
// the dispatch calls it as Base; the thunk gives each word its type.
template <class Base, class... H> struct Cracked : Base { using FormType = Cracked; };

template <class Words, class Base, auto Member, class... H> struct CrackedThunk;
template <class... A, class Base, auto Member, class... H>
struct CrackedThunk<Types<A...>, Base, Member, H...> {
    static_assert(sizeof...(A) == sizeof...(H), "one handler type for each message word");
    using Typed = Thunk<Form<typename Base::FormKind, Base::code, Base::result, H...>, Member>;
    static LRESULT Call(CCmdTarget* target, A... words) {
        return Typed::Call(target, As<H>(words)...);
    }
};
template <class Base, class... H, auto Member>
struct Thunk<Cracked<Base, H...>, Member>
    : CrackedThunk<typename FormArgs<typename Base::FormType>::type, Base, Member, H...> {};

template <class Kind, class F, auto Member> inline MapHandler HandlerOf() {
    static_assert(std::is_same_v<typename F::FormKind, Kind>,
                  "a window form in a command entry, or a command form in a message entry");
    typename F::Thunk thunk = &Thunk<typename F::FormType, Member>::Call;
    return reinterpret_cast<MapHandler>(thunk);
}

// The dispatch calls every registered message's handler in one form: that
// form, or one cracked from it.
template <class F, auto Member> inline MapHandler RegisteredHandlerOf() {
    static_assert(std::is_same_v<typename F::Thunk, LumForm::LresultWParamLParam::Thunk>,
                  "a registered message's handler takes the words as they are, or cracked from "
                  "them");
    return HandlerOf<WindowKind, F, Member>();
}

} // namespace mapform
