// What a message box showed, read from its window while it is open: the
// one reading every test shares, in this process or in the tool's.
#pragma once

#include <windows.h>

#include <string>

namespace lumtest {

struct SeenBox {
    std::wstring caption;
    std::wstring text;
    HWND owner = nullptr;
    HICON icon = nullptr; // as the box's icon control holds it
    int shownButtons = 0;
    bool okButtonShown = false;
    bool topmost = false; // system-modal boxes stay on top
};

inline std::wstring WideTextOf(HWND window) {
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
    return text;
}

// The text as this process's ANSI calls read it (the system converts with
// the ANSI code page, as here).
inline std::string Ansi(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

inline BOOL CALLBACK ReadBoxControl(HWND control, LPARAM seen) {
    auto& box = *reinterpret_cast<SeenBox*>(seen);
    wchar_t className[16] = L"";
    GetClassNameW(control, className, 16);
    if (lstrcmpiW(className, L"Button") == 0 && IsWindowVisible(control)) {
        ++box.shownButtons;
        box.okButtonShown = box.okButtonShown || GetDlgCtrlID(control) == IDOK;
    } else if (lstrcmpiW(className, L"Static") == 0) {
        if ((GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            box.icon = reinterpret_cast<HICON>(SendMessageW(control, STM_GETICON, 0, 0));
        } else if (std::wstring text = WideTextOf(control); !text.empty()) {
            box.text = text;
        }
    }
    return TRUE;
}

inline SeenBox ReadSeenBox(HWND box) {
    SeenBox seen;
    seen.caption = WideTextOf(box);
    seen.owner = GetWindow(box, GW_OWNER);
    seen.topmost = (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    EnumChildWindows(box, ReadBoxControl, reinterpret_cast<LPARAM>(&seen));
    return seen;
}

} // namespace lumtest
