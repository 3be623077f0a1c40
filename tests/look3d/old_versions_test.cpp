// The look's branches for the oldest systems: Win32s on Windows 3.1 (the
// 16-bit platform), Windows 3.0 and 3.10. The version and platform words are
// set for a case where the system in use cannot be made to report them.
#include "look3d/look3d_test_support.h"

using namespace look3dtest;

namespace {

using Look3dOldVersions = OldSystemTest;
using look3d::TheCore;

TEST_F(Look3dOldVersions, Win32sIsTheSixteenBitPlatform) {
    const DWORD reported = GetVersion();
    if ((reported & 0x80000000u) == 0) {
        GTEST_SKIP() << "needs Win32s; the look3d_win31 entries run it";
    }
    EXPECT_EQ(16, TheCore().platform);
    EXPECT_EQ(0x030A, TheCore().version) << std::hex << reported;
}

// Where the dialog stands when the creation hook has run: on the 16-bit
// platform it waits in the one pending slot and is adopted at its first
// message, elsewhere it is adopted inside the hook.
struct HookSight {
    bool adopted = false;
    HWND pending = nullptr;
    HWND dialog = nullptr;
};

HookSight sight;
HHOOK watcher = nullptr;

LRESULT CALLBACK WatchCreation(int code, WPARAM wParam, LPARAM lParam) {
    // Hooks run newest first: the look's own runs inside this call.
    LRESULT result = CallNextHookEx(watcher, code, wParam, lParam);
    if (code == HCBT_CREATEWND && sight.dialog == nullptr) {
        auto window = reinterpret_cast<HWND>(wParam);
        char name[16] = "";
        GetClassNameA(window, name, sizeof name);
        if (lstrcmpA(name, "#32770") == 0) {
            sight = {Adopted(window), TheCore().pendingWindow, window};
        }
    }
    return result;
}

TEST_F(Look3dOldVersions, DialogIsAdoptedAtItsFirstMessageOnTheSixteenBitPlatform) {
    const struct {
        WORD platform;
        bool adoptedInHook;
        bool pendingInHook;
    } cases[] = {{32, true, false}, {16, false, true}};
    for (const auto& c : cases) {
        CoreVersion version(TheCore().version, c.platform);
        sight = {};
        watcher = SetWindowsHookExA(WH_CBT, &WatchCreation, nullptr, GetCurrentThreadId());
        ASSERT_NE(watcher, nullptr);
        Dialog dialog(Template(WS_POPUP | WS_CAPTION, 100, 60));
        UnhookWindowsHookEx(watcher);
        ASSERT_EQ(sight.dialog, dialog.handle) << c.platform;
        EXPECT_EQ(c.adoptedInHook, sight.adopted) << c.platform;
        EXPECT_EQ(c.pendingInHook, sight.pending == dialog.handle) << c.platform;
        EXPECT_TRUE(Adopted(dialog.handle)) << c.platform;
        EXPECT_EQ(nullptr, TheCore().pendingWindow) << c.platform;
        EXPECT_EQ(nullptr, TheCore().pendingHook) << c.platform;
    }
}

TEST_F(Look3dOldVersions, ThreadsAreRefusedBelow310) {
    const int uses = look3d::ThreadUseCount(GetCurrentThreadId());
    for (WORD v : {WORD{0x0300}, WORD{0x030A}}) {
        CoreVersion version(v, 32);
        const BOOL hooked = Look3dHookThread(Module(), 0);
        EXPECT_EQ(v >= 0x030A, hooked != FALSE) << std::hex << v;
        if (hooked) {
            Look3dUnhookThread();
        }
        EXPECT_EQ(uses, look3d::ThreadUseCount(GetCurrentThreadId())) << std::hex << v;
    }
}

// Before 3.10 a list box's frame, drawn in the dialog outside the box, is
// repainted when the box is hidden or its client area shrinks; from 3.10 on
// it follows the box's moves instead.
TEST_F(Look3dOldVersions, ListFrameFollowsHidingAndShrinkingBefore310) {
    Template t(WS_POPUP | WS_VISIBLE, 120, 80);
    t.Item(kListBox, WS_BORDER | LBS_NOINTEGRALHEIGHT, "", 1, 10, 10, 60, 40);
    Dialog dialog(t);
    HWND list = dialog.Item(1);
    ASSERT_TRUE(Adopted(list));
    const struct {
        WORD version;
        UINT message;
        bool repaints;
    } cases[] = {{0x0300, WM_SHOWWINDOW, true},
                 {0x030A, WM_SHOWWINDOW, false},
                 {0x0300, WM_NCCALCSIZE, true},
                 {0x030A, WM_NCCALCSIZE, false}};
    for (const auto& c : cases) {
        CoreVersion version(c.version, 32);
        UpdateWindow(dialog.handle);
        ValidateRect(dialog.handle, nullptr);
        if (c.message == WM_SHOWWINDOW) {
            SendMessageA(list, WM_SHOWWINDOW, FALSE, 0);
        } else {
            // The proposed window ten pixels shorter than the box is now.
            RECT proposed;
            GetWindowRect(list, &proposed);
            proposed.bottom -= 10;
            SendMessageA(list, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&proposed));
        }
        RECT dirty = {};
        EXPECT_EQ(c.repaints, GetUpdateRect(dialog.handle, &dirty, FALSE) != FALSE)
            << std::hex << c.version << " message " << c.message;
    }
}

// A dialog procedure that the system hands out as a handle (a Unicode
// procedure read as ANSI) cannot be called up to 3.10: the look answers a
// colour request itself there, and asks the procedure from 3.51 on.
INT_PTR CALLBACK OwnStaticColorProcW(HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_CTLCOLORSTATIC) {
        return reinterpret_cast<INT_PTR>(GetStockObject(DKGRAY_BRUSH));
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

TEST_F(Look3dOldVersions, DialogProcedureHandleIsNotAskedForColorsUpTo310) {
    Template t(WS_POPUP, 100, 60);
    HWND dialog = CreateDialogIndirectParamW(Module(), t.Get(), nullptr, &OwnStaticColorProcW, 0);
    ASSERT_NE(dialog, nullptr);
    const auto procedure = static_cast<DWORD>(GetWindowLongA(dialog, DWL_DLGPROC));
    ASSERT_GT(procedure, 0xFFFF0000u) << "the system gave the procedure itself";
    HDC dc = GetDC(dialog);
    for (WORD v : {WORD{0x030A}, WORD{0x0333}}) {
        CoreVersion version(v, 32);
        auto answer = reinterpret_cast<HGDIOBJ>(SendMessageA(dialog, WM_CTLCOLORSTATIC,
                                                             reinterpret_cast<WPARAM>(dc),
                                                             reinterpret_cast<LPARAM>(dialog)));
        EXPECT_EQ(v <= 0x030A ? static_cast<HGDIOBJ>(TheCore().faceBrush)
                              : GetStockObject(DKGRAY_BRUSH),
                  answer)
            << std::hex << v;
    }
    ReleaseDC(dialog, dc);
    DestroyWindow(dialog);
}

} // namespace
