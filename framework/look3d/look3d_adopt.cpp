// Choosing windows by class and style, replacing their procedures, and
// putting the procedures back.
#include "framework/look3d/look3d_core.h"

namespace look3d {

bool IsClass(HWND window, const char* name) {
    char buffer[16] = {};
    return window != nullptr && GetClassNameA(window, buffer, sizeof buffer) > 0 &&
           lstrcmpA(buffer, name) == 0;
}

namespace {

// The kinds' bits in an adoption mask; statics take two.
constexpr DWORD kMaskButton = 0x0001;
constexpr DWORD kMaskList = 0x0002;
constexpr DWORD kMaskEdit = 0x0004;
constexpr DWORD kMaskCombo = 0x0008;
constexpr DWORD kMaskStatic = 0x0030;

int AcceptButton(HWND, DWORD style, DWORD, int, HWND) {
    // Only BS_LEFTTEXT may accompany the ten plain button kinds.
    return !IsNewSystem() && LOWORD(style & ~DWORD{BS_LEFTTEXT}) <= BS_AUTORADIOBUTTON ? 1 : 0;
}

int AcceptListOrEdit(HWND, DWORD, DWORD, int, HWND parent) {
    return !IsNewSystem() || parent == nullptr || !IsClass(parent, "ComboBox") ? 1 : 0;
}

int AcceptCombo(HWND window, DWORD style, DWORD, int creating, HWND) {
    if (IsNewSystem()) {
        return 0;
    }
    switch (style & CBS_DROPDOWNLIST) {
    case CBS_DROPDOWNLIST:
        return 1;
    case CBS_DROPDOWN:
        if (creating != 0) {
            return 0;
        }
        if (HWND edit = GetWindow(window, GW_CHILD)) {
            TryAdoptControl(edit, kMaskEdit, 0, window);
        }
        return 1;
    default: {
        if (creating != 0) {
            return 1;
        }
        HWND list = GetWindow(window, GW_CHILD);
        if (list == nullptr) {
            return 0;
        }
        TryAdoptControl(list, kMaskList, 0, window);
        if (HWND edit = GetWindow(list, GW_HWNDNEXT)) {
            TryAdoptControl(edit, kMaskEdit, 0, window);
        }
        return 1;
    }
    }
}

int AcceptStatic(HWND, DWORD style, DWORD mask, int, HWND) {
    DWORD kind = StyleKind(style);
    if (kind == SS_ICON) {
        return 0;
    }
    if ((mask & 0x0010) != 0 && (kind <= 2 || kind == 12)) {
        return 1;
    }
    if ((mask & 0x0020) != 0 && kind >= 4 && kind <= 9) {
        return 1;
    }
    // Etched statics draw themselves from 3.95 on.
    return !IsNewSystem() && kind >= 16 && kind <= 18 ? 1 : 0;
}

int AcceptDropList(HWND, DWORD, DWORD, int creating, HWND parent) {
    if (IsNewSystem()) {
        return 0;
    }
    if (creating == 1 && parent != nullptr) {
        DWORD parentKind = static_cast<DWORD>(GetWindowLongA(parent, GWL_STYLE)) & 3;
        if (parentKind == 2 || parentKind == 3) {
            return 0;
        }
    }
    return 1;
}

struct KindRow {
    const char* className;
    WNDPROC procedure;
    AcceptTest accept;
    DWORD mask;
    int identify;
};

constexpr KindRow kRows[kControlKindCount] = {
    {"Button", &ButtonProc, &AcceptButton, kMaskButton, kIdentifyButton},
    {"ListBox", &ListProc, &AcceptListOrEdit, kMaskList, kIdentifyList},
    {"Edit", &EditProc, &AcceptListOrEdit, kMaskEdit, kIdentifyEdit},
    {"ComboBox", &ComboProc, &AcceptCombo, kMaskCombo, kIdentifyCombo},
    {"Static", &StaticProc, &AcceptStatic, kMaskStatic, kIdentifyStatic},
    {"ComboLBox", &ListProc, &AcceptDropList, kMaskList, kIdentifyList},
};

constexpr int kUnanswered = 666;

void CheckAndAdopt(HWND window, HWND parent) {
    if (HasProperty(window, kMarkPrevious)) {
        if (HasProperty(window, kMarkSwitchedOff)) {
            return;
        }
        int answer = kUnanswered;
        SendMessageA(window, WM_LOOK3D_IDENTIFY, 0, reinterpret_cast<LPARAM>(&answer));
        if (answer == kUnanswered) {
            SendMessageA(window, WM_LOOK3D_IDENTIFY_EARLIER, 0, reinterpret_cast<LPARAM>(&answer));
        }
        if (answer != kUnanswered) {
            return;
        }
        // The adopter that left this is gone.
        RemoveProperty(window, kMarkPrevious);
    }
    TryAdoptControl(window, kAnyKind, 0, parent);
}

} // namespace

HANDLE GetProperty(HWND window, Atom atom) {
    ATOM value = TheCore().atoms[atom];
    return value == 0 ? nullptr : GetPropA(window, MAKEINTATOM(value));
}

bool HasProperty(HWND window, Atom atom) {
    return GetProperty(window, atom) != nullptr;
}

void SetProperty(HWND window, Atom atom, HANDLE value) {
    if (ATOM name = TheCore().atoms[atom]) {
        SetPropA(window, MAKEINTATOM(name), value);
    }
}

void RemoveProperty(HWND window, Atom atom) {
    if (ATOM name = TheCore().atoms[atom]) {
        RemovePropA(window, MAKEINTATOM(name));
    }
}

void AdoptWindow(HWND window, WNDPROC procedure) {
    static constexpr Atom kForeign[] = {kMarkOtherCopy,         kMarkPrevious,
                                        kMarkOtherPreviousLow,  kMarkOtherLow,
                                        kMarkOtherPreviousHigh, kMarkOtherHigh};
    if (procedure == nullptr) {
        return;
    }
    for (Atom atom : kForeign) {
        if (HasProperty(window, atom)) {
            return;
        }
    }
    // Keeping our own procedure as the previous one would loop for ever.
    if (reinterpret_cast<WNDPROC>(GetWindowLongA(window, GWL_WNDPROC)) == procedure) {
        return;
    }
    LONG previous = SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG>(procedure));
    SetProperty(window, kMarkPrevious, reinterpret_cast<HANDLE>(previous));
}

BOOL TryAdoptControl(HWND window, DWORD mask, int creating, HWND parent) {
    Core& core = TheCore();
    if (HasProperty(window, kMarkPrevious)) {
        return FALSE;
    }
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    for (int kind = 0; kind < kControlKindCount; ++kind) {
        const KindRow& row = kRows[kind];
        if ((row.mask & mask) == 0 || lstrcmpA(name, row.className) != 0) {
            continue;
        }
        DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
        int result = row.accept(window, style, mask, creating, parent);
        if (result == 1) {
            if (creating == 1 && core.platform == kPlatform16) {
                AdoptLater(window, core.kinds[kind].procedure);
            } else {
                AdoptWindow(window, core.kinds[kind].procedure);
            }
        }
        return result != 0;
    }
    return FALSE;
}

void ReadoptChildren(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        CheckAndAdopt(child, nullptr);
        for (HWND inner = GetWindow(child, GW_CHILD); inner != nullptr;
             inner = GetWindow(inner, GW_HWNDNEXT)) {
            CheckAndAdopt(inner, child);
        }
    }
}

WNDPROC PreviousProcedure(HWND window, int kind) {
    auto previous = reinterpret_cast<WNDPROC>(GetProperty(window, kMarkPrevious));
    if (previous == nullptr) {
        const Core& core = TheCore();
        previous =
            kind == kKindDialog ? core.dialog.classProcedure : core.kinds[kind].classProcedure;
        SetProperty(window, kMarkPrevious, reinterpret_cast<HANDLE>(previous));
    }
    if (previous == nullptr) {
        previous = kind == kKindDialog ? &DefDlgProcA : &DefWindowProcA;
    }
    return previous;
}

BOOL ReleaseTree(HWND window) {
    Core& core = TheCore();
    if (!core.enabled) {
        return FALSE;
    }
    auto current = reinterpret_cast<WNDPROC>(GetWindowLongA(window, GWL_WNDPROC));
    int kind = -1;
    for (int i = 0; i < kControlKindCount && kind < 0; ++i) {
        if (current == kRows[i].procedure) {
            kind = i;
        }
    }
    if (kind < 0 && current == &DialogProc) {
        kind = kKindDialog;
    }
    if (kind >= 0) {
        WNDPROC previous = PreviousProcedure(window, kind);
        RemoveProperty(window, kMarkPrevious);
        SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG>(previous));
    } else if (HasProperty(window, kMarkPrevious) || HasProperty(window, kMarkOtherPreviousLow) ||
               HasProperty(window, kMarkOtherPreviousHigh)) {
        // Someone subclassed over us: switch the look off instead.
        SetProperty(window, kMarkSwitchedOff, reinterpret_cast<HANDLE>(1));
    }
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        ReleaseTree(child);
    }
    return TRUE;
}

void FillKindRecords() {
    Core& core = TheCore();
    for (int kind = 0; kind < kControlKindCount; ++kind) {
        core.kinds[kind].procedure = kRows[kind].procedure;
        WNDCLASSA info = {};
        core.kinds[kind].classProcedure =
            GetClassInfoA(nullptr, kRows[kind].className, &info) ? info.lpfnWndProc : nullptr;
    }
    WNDCLASSA info = {};
    core.dialog.classProcedure = GetClassInfoA(nullptr, MAKEINTATOM(kDialogClassAtom), &info)
                                     ? info.lpfnWndProc
                                     : &DefDlgProcA;
}

void ClearKindRecords() {
    for (KindRecord& record : TheCore().kinds) {
        record.procedure = nullptr;
    }
}

int IdentifyCode(int kind) {
    return kind == kKindDialog ? kIdentifyDialog : kRows[kind].identify;
}

bool CommonOpening(HWND window, int kind, UINT message, WPARAM wParam, LPARAM lParam,
                   LRESULT* result) {
    if (message == WM_NCDESTROY) {
        *result = CallPrevious(window, kind, message, wParam, lParam);
        RemoveProperty(window, kMarkPrevious);
        RemoveProperty(window, kMarkSwitchedOff);
        return true;
    }
    if (HasProperty(window, kMarkSwitchedOff)) {
        *result = CallPrevious(window, kind, message, wParam, lParam);
        return true;
    }
    if (message == WM_LOOK3D_IDENTIFY || message == WM_LOOK3D_IDENTIFY_EARLIER) {
        if (lParam != 0) {
            *reinterpret_cast<int*>(lParam) = 1;
        }
        *result = IdentifyCode(kind);
        return true;
    }
    return false;
}

LRESULT CallPrevious(HWND window, int kind, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(PreviousProcedure(window, kind), window, message, wParam, lParam);
}

} // namespace look3d

using namespace look3d;

BOOL Look3dAdoptDialog(HWND dialog, DWORD mask) {
    if (!TheCore().enabled) {
        return FALSE;
    }
    mask &= kAnyKind;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        TryAdoptControl(child, mask, 0, nullptr);
    }
    AdoptWindow(dialog, &DialogProc);
    return TRUE;
}

BOOL Look3dAdoptControl(HWND window) {
    if (!TheCore().enabled) {
        return FALSE;
    }
    return TryAdoptControl(window, kAnyKind, 0, nullptr);
}

BOOL Look3dAdoptControlAs(HWND window, int kind) {
    Core& core = TheCore();
    if (!core.enabled || kind < 0 || kind >= kControlKindCount ||
        HasProperty(window, kMarkPrevious)) {
        return FALSE;
    }
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    if (kRows[kind].accept(window, style, 0xFFFF, 0, GetParent(window)) == 1) {
        AdoptWindow(window, core.kinds[kind].procedure);
    }
    return TRUE;
}
