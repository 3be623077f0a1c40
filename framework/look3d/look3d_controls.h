// What the procedures of the adopted kinds share: the system's own
// procedures still run underneath; these draw over, around or instead of
// their output. One file per family: buttons, field frames, statics and the
// dialog.
#pragma once

#include "framework/look3d/look3d_core.h"

namespace look3d {

inline DWORD StyleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
}

inline void SelectWindowFont(HWND window, HDC dc) {
    if (auto font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0))) {
        SelectObject(dc, font);
    }
}

// The brush the parent answers `message` (a WM_CTLCOLOR*) with; null when
// there is no parent or it gives none.
inline HBRUSH ParentBrush(HWND window, UINT message, HDC dc) {
    HWND parent = GetParent(window);
    if (parent == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<HBRUSH>(SendMessageA(parent, message, reinterpret_cast<WPARAM>(dc),
                                                 reinterpret_cast<LPARAM>(window)));
}

} // namespace look3d
