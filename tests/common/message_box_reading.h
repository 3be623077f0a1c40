// What a message box showed, read from its window while it is open: the
// one reading every test shares, in this process or in the tool's.
#pragma once

#include <windows.h>

#include <string>

#include "common/window_text.h"

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
    if (HasClass(control, "Button") && IsWindowVisible(control)) {
        ++box.shownButtons;
        box.okButtonShown = box.okButtonShown || GetDlgCtrlID(control) == IDOK;
    } else if (HasClass(control, "Static")) {
        if ((GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            box.icon = reinterpret_cast<HICON>(SendMessageW(control, STM_GETICON, 0, 0));
        } else if (std::wstring text = WideWindowText(control); !text.empty()) {
            box.text = text;
        }
    }
    return TRUE;
}

inline SeenBox ReadSeenBox(HWND box) {
    SeenBox seen;
    seen.caption = WideWindowText(box);
    seen.owner = GetWindow(box, GW_OWNER);
    seen.topmost = (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    EnumChildWindows(box, ReadBoxControl, reinterpret_cast<LPARAM>(&seen));
    return seen;
}

} // namespace lumtest
