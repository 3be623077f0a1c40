// Dialogs: the frame painted in the look's colors, and the control-color
// messages answered with the look's brushes unless the dialog answers them.
#include "framework/look3d/look3d_controls.h"

namespace look3d {

namespace {

// A control-color message's private form is its number plus this
// (0x0DF1 to 0x0DF7).
constexpr UINT kPrivateColorOffset = 0x0CBF;

void PaintDialogFrame(HWND window) {
    const Core& core = TheCore();
    if (!core.enabled || IsIconic(window)) {
        return;
    }
    BOOL allowed = TRUE;
    SendMessageA(window, WM_LOOK3D_MAYFRAME, 0, reinterpret_cast<LPARAM>(&allowed));
    constexpr DWORD kNeeded = WS_VISIBLE | WS_DLGFRAME | DS_MODALFRAME;
    DWORD style = StyleOf(window);
    if (!allowed || (style & kNeeded) != kNeeded) {
        return;
    }
    bool caption = (style & WS_CAPTION) == WS_CAPTION;
    int cx = core.dialog.frameX;
    int cy = core.dialog.frameY;
    int d = cy - (caption ? 1 : 0);
    WindowDc dc(window, true);
    if (dc.dc == nullptr) {
        return;
    }
    RECT r;
    GetWindowRect(window, &r);
    OffsetRect(&r, -r.left, -r.top);
    DrawEdgeLines(dc.dc, r, kShadow, kWindowFrame, kSidesAll);
    InflateRect(&r, -1, -1);
    DrawEdgeLines(dc.dc, r, kHighlight, kShadow, kSidesAll);
    InflateRect(&r, -1, -1);
    HGDIOBJ old = SelectObject(dc.dc, core.faceBrush);
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    PatBlt(dc.dc, r.left, r.top, cx, height, PATCOPY);
    PatBlt(dc.dc, r.right - cx, r.top, cx, height, PATCOPY);
    PatBlt(dc.dc, r.left + cx, r.top, width - 2 * cx, d, PATCOPY);
    PatBlt(dc.dc, r.left + cx, r.bottom - cy, width - 2 * cx, cy, PATCOPY);
    if (caption) {
        RECT bar = {r.left + cx, r.top + d, r.right - cx, r.top + d + core.dialog.captionHeight};
        DrawEdgeLines(dc.dc, bar, kShadow, kHighlight, kSidesAll);
    }
    if (old != nullptr) {
        SelectObject(dc.dc, old);
    }
}

bool IsColorAnswer(LRESULT value) {
    return value != 0 && value != 1;
}

LRESULT DialogColor(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const UINT privateForm = message + kPrivateColorOffset;
    auto previous = [&](UINT m) { return CallPrevious(window, kKindDialog, m, wParam, lParam); };
    if (!IsClass(window, "#32770")) {
        LRESULT answer = previous(privateForm);
        if (IsColorAnswer(answer)) {
            return answer;
        }
    } else if (LONG procedure = GetWindowLongA(window, DWL_DLGPROC)) {
        LRESULT answer;
        if (static_cast<DWORD>(procedure) > 0xFFFF0000u && TheCore().version <= kVersion310) {
            answer = previous(privateForm);
        } else {
            answer = CallWindowProcA(reinterpret_cast<WNDPROC>(procedure), window, message, wParam,
                                     lParam);
            if (!IsColorAnswer(answer)) {
                answer = previous(privateForm);
            }
        }
        if (IsColorAnswer(answer)) {
            return answer;
        }
    }
    if (HBRUSH brush =
            ControlColor(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
        return reinterpret_cast<LRESULT>(brush);
    }
    return previous(message);
}

} // namespace

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result;
    if (CommonOpening(window, kKindDialog, message, wParam, lParam, &result)) {
        return result;
    }
    const Core& core = TheCore();
    switch (message) {
    case WM_INITDIALOG: {
        bool look3d = (StyleOf(window) & DS_3DLOOK) != 0;
        BOOL intention = core.version < kVersion395 || !look3d;
        SendMessageA(window, WM_LOOK3D_MAYADOPT, 0, reinterpret_cast<LPARAM>(&intention));
        WNDPROC previous = PreviousProcedure(window, kKindDialog);
        if (intention) {
            result = CallWindowProcA(previous, window, message, wParam, lParam);
            if (core.version < kVersion395 || !look3d) {
                ReadoptChildren(window);
            }
            return result;
        }
        ReleaseTree(window);
        return CallWindowProcA(previous, window, message, wParam, lParam);
    }
    case WM_SETTEXT:
    case WM_NCPAINT:
    case WM_NCACTIVATE:
        if (core.version < kVersion395 && !IsIconic(window)) {
            result = CallPrevious(window, kKindDialog, message, wParam, lParam);
            PaintDialogFrame(window);
            return result;
        }
        break;
    default:
        if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
            return DialogColor(window, message, wParam, lParam);
        }
        break;
    }
    return CallPrevious(window, kKindDialog, message, wParam, lParam);
}

} // namespace look3d
