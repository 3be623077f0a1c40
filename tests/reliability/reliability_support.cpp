#include "reliability/reliability_support.h"

#include "common/window_text.h"

#include <cstring>

#include "framework/windows/messaging/window.h"

namespace rel {

bool normalExit = false;

namespace {

std::string SettingPath(const char* name) {
    return std::string("Bt848\\") + name;
}

struct Search {
    int controlId;
    HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM search) {
    // Message boxes are the thread's only dialogs no framework object owns.
    if (HasClass(window, "#32770") && IsWindowVisible(window) &&
        CWnd::PermanentObjectFor(window) == nullptr) {
        reinterpret_cast<Search*>(search)->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM search) {
    auto* s = reinterpret_cast<Search*>(search);
    if (HasClass(window, "#32770") && IsWindowVisible(window) &&
        GetDlgItem(window, s->controlId) != nullptr) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

const char kTickerClass[] = "ReliabilityTicker";

struct SecondarySearch {
    HWND settings;
    HWND found;
};

BOOL CALLBACK FindSecondaryWindow(HWND window, LPARAM p) {
    auto* s = reinterpret_cast<SecondarySearch*>(p);
    if (window != s->settings && IsWindowVisible(window) && HasClass(window, "#32770") &&
        CWnd::PermanentObjectFor(window) != nullptr) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

LONG StoreRaw(const char* name, DWORD type, const std::string& bytes) {
    ScopedKey key;
    LONG status =
        RegCreateKeyExA(HKEY_CLASSES_ROOT, SettingPath(name).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key.key, nullptr);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    // A digit right behind the data: the registry must not take it along.
    const std::string data = bytes + '9';
    return RegSetValueExA(key.key, nullptr, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(bytes.size()));
}

void StoreSetting(const char* name, int value) {
    const std::string text = std::to_string(value);
    ASSERT_EQ(ERROR_SUCCESS, StoreRaw(name, REG_SZ, std::string(text.c_str(), text.size() + 1)));
}

HWND FindMessageBox() {
    Search search = {0, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

UINT IconStyleOf(HICON icon) {
    const struct {
        LPCSTR name;
        UINT style;
    } icons[] = {{IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                 {IDI_HAND, MB_ICONSTOP},
                 {IDI_ASTERISK, MB_ICONINFORMATION},
                 {IDI_QUESTION, MB_ICONQUESTION}};
    for (const auto& known : icons) {
        if (icon != nullptr && icon == LoadIconA(nullptr, known.name)) {
            return known.style;
        }
    }
    return 0;
}

HWND FindSecondaryDialog(HWND settings) {
    SecondarySearch search = {settings, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindSecondaryWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindThreadDialog(int controlId) {
    Search search = {controlId, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

Ticker::Ticker(std::function<void()> step, UINT period) : step(std::move(step)) {
    WNDCLASSA ticker = {};
    ticker.lpfnWndProc = Procedure;
    ticker.hInstance = GetModuleHandleA(nullptr);
    ticker.lpszClassName = kTickerClass;
    RegisterClassA(&ticker);
    // Hidden top-level rather than message-only: after a message-only window,
    // Wine's X11 driver fails the thread's next message box.
    window = CreateWindowExA(0, kTickerClass, "", 0, 0, 0, 0, 0, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) {
        ADD_FAILURE() << "no ticker window";
        return;
    }
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetTimer(window, 1, period, nullptr);
}

Ticker::~Ticker() {
    if (window != nullptr) {
        KillTimer(window, 1);
        DestroyWindow(window);
    }
}

LRESULT CALLBACK Ticker::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Ticker*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_APP && self != nullptr && self->deferred) {
        auto call = std::move(self->deferred);
        bool* done = self->deferredDone;
        self->deferred = nullptr;
        call();
        *done = true;
        return 0;
    }
    if (message != WM_TIMER || self == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (!self->inStep) {
        self->inStep = true;
        self->step();
        self->inStep = false;
    }
    return 0;
}

void Ticker::Defer(std::function<void()> call, bool* done) {
    deferred = std::move(call);
    deferredDone = done;
    *done = false;
    PostMessageA(window, WM_APP, 0, 0);
}

void BoxCloser::Step() {
    HWND box = FindMessageBox();
    if (box == nullptr || box == closing) {
        return;
    }
    boxes.push_back(lumtest::ReadSeenBox(box));
    closing = box;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

namespace {

BOOL CALLBACK CancelShown(HWND window, LPARAM) {
    if (IsWindowVisible(window) && HasClass(window, "#32770")) {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    return TRUE;
}

} // namespace

DrivenRun RunDriven(const std::function<int()>& run, const std::function<void(Ticker&)>& act,
                    DWORD timeout) {
    DrivenRun driven;
    BoxCloser closer;
    const ULONGLONG start = GetTickCount64();
    Ticker* self = nullptr;
    Ticker ticker([&] {
        if (GetTickCount64() - start > timeout) {
            closer.Step();
            EnumThreadWindows(GetCurrentThreadId(), CancelShown, 0);
            // A loop that no dialog ends still ends on a quit message.
            if (!driven.timedOut) {
                PostQuitMessage(0);
            }
            driven.timedOut = true;
            return;
        }
        const size_t seen = closer.boxes.size();
        closer.Step();
        if (closer.boxes.size() == seen && FindMessageBox() == nullptr) {
            act(*self);
        }
    });
    self = &ticker;
    driven.result = run();
    if (driven.timedOut) {
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    driven.boxes = closer.boxes;
    return driven;
}

void ChooseInDialog(HWND dialog, int previewOnly, int forcePrimary) {
    SendDlgItemMessageA(dialog, IDC_USE_OVERLAY, BM_SETCHECK, previewOnly == 0, 0);
    SendDlgItemMessageA(dialog, IDC_NO_OVERLAY, BM_SETCHECK, previewOnly == 1, 0);
    SendDlgItemMessageA(dialog, IDC_NO_SURFACE, BM_SETCHECK, forcePrimary == 1, 0);
}

void PostClick(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

} // namespace rel
