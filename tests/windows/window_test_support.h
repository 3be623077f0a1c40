// Shared pieces of the window-layer tests: recorded messages, a window object
// whose default processing can be observed, and plain windows that clean up.
#pragma once

#include <windows.h>
#include <vector>
#include "framework/windows/messaging/window.h"
#include "tests/common/message_sequence.h"

namespace wintest {

using lumtest::Seen;

// What default processing answers for the tests' own messages, so that a
// message that fell through cannot pass for one handled with result 0.
constexpr LRESULT kDefaultAnswer = 0x0DEF0DEF;

inline bool IsTestMessage(UINT message) {
    return message == WM_NOTIFY || (message >= WM_APP && message < 0xC000);
}

// Records every call of default processing.
class ObservingWnd : public CWnd {
public:
    ObservingWnd() = default;
    // Destroyed while the derived object still exists, so its handlers run.
    ~ObservingWnd() override {
        if (windowHandle != nullptr) {
            DestroyHandle();
        }
    }

    LRESULT CallDefaultProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        defaults.push_back({message, wParam, lParam});
        if (IsTestMessage(message)) {
            return kDefaultAnswer;
        }
        return CWnd::CallDefaultProc(message, wParam, lParam);
    }

    std::vector<Seen> defaults;
};

inline bool CreateTop(CWnd& w, const char* name = "top", DWORD style = WS_OVERLAPPEDWINDOW,
                      HWND owner = nullptr) {
    return w.CreateWithStyles(0, nullptr, name, style, 0, 0, 120, 90, owner, nullptr, nullptr) !=
           FALSE;
}

// A system window that the framework did not create; destroyed at scope end.
class PlainWindow {
public:
    PlainWindow(const char* className, DWORD style, HWND parentOrOwner, int id = 0)
        : handle(CreateWindowA(className, "plain", style, 0, 0, 40, 20, parentOrOwner,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleA(nullptr), nullptr)) {}
    ~PlainWindow() {
        if (IsWindow(handle)) {
            DestroyWindow(handle);
        }
    }
    PlainWindow(const PlainWindow&) = delete;
    PlainWindow& operator=(const PlainWindow&) = delete;

    HWND handle;
};

// A system child window bound to a plain object, unbound before it goes.
template <class Object = CWnd> class BoundChild {
public:
    BoundChild(HWND parent, int id) : window("STATIC", WS_CHILD, parent, id) {
        object.Bind(window.handle);
    }
    ~BoundChild() { object.Unbind(); }
    BoundChild(const BoundChild&) = delete;
    BoundChild& operator=(const BoundChild&) = delete;

    PlainWindow window;
    Object object;
};

} // namespace wintest
