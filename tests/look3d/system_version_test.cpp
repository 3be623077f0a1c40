// The look at 4.0 and later stays idle, and engages for framework dialogs
// below it.
#include "framework/look3d/look3d_state.h"
#include "framework/runtime/state.h"
#include "framework/windows/dialogs/dialog.h"
#include "framework/windows/messaging/window_proc.h"
#include "look3d/look3d_test_support.h"

using namespace look3dtest;

namespace {

TEST(Look3dNewSystem, EnableReturnsTrueAndEngagesNothing) {
    if (OldSystem()) {
        GTEST_SKIP() << "needs 4.0 or later";
    }
    EXPECT_TRUE(EnableLook3dStatic());
    EXPECT_EQ(PeekLook3dState(), nullptr);
    EXPECT_EQ(look3d::TheCore().attachCount, 0);
    EXPECT_EQ(look3d::ThreadEntryCount(), 0);
    Template t(WS_POPUP, 100, 60);
    t.Item(kButton, BS_AUTOCHECKBOX, "Check", 1, 4, 4, 60, 10);
    Dialog dialog(t);
    EXPECT_FALSE(Adopted(dialog.handle));
    EXPECT_FALSE(Adopted(dialog.Item(1)));
}

// The core itself, attached directly on a new system: from 3.95 on the
// system draws buttons, etched statics and the insides of combo boxes.
TEST(Look3dNewSystem, CoreLeavesWhatTheSystemDrawsItself) {
    if (OldSystem()) {
        GTEST_SKIP() << "needs 4.0 or later";
    }
    ASSERT_TRUE(Look3dAttach(Module()));
    ASSERT_TRUE(Look3dHookThread(Module(), 0));
    {
        // The system marks its dialogs for its own 3D look: left alone.
        Template t(WS_POPUP, 200, 100);
        t.Item(kEdit, WS_BORDER, "", 1, 80, 4, 60, 12);
        t.Item(kButton, BS_AUTOCHECKBOX, "Check", 2, 80, 20, 60, 10);
        t.Item(kStatic, SS_ETCHEDHORZ, "", 3, 80, 40, 60, 2);
        Dialog dialog(t);
        EXPECT_FALSE(Adopted(dialog.handle));
        EXPECT_FALSE(Adopted(dialog.Item(1)));
        // Without the mark, on request: fields yes, buttons and etched lines no.
        SetWindowLongA(dialog.handle, GWL_STYLE,
                       GetWindowLongA(dialog.handle, GWL_STYLE) & ~DS_3DLOOK);
        EXPECT_TRUE(Look3dAdoptDialog(dialog.handle, 0xFFFF));
        EXPECT_TRUE(Adopted(dialog.handle));
        EXPECT_TRUE(Adopted(dialog.Item(1)));
        EXPECT_FALSE(Adopted(dialog.Item(2)));
        EXPECT_FALSE(Adopted(dialog.Item(3)));
        // A combo box made later: neither it nor its edit and list.
        Window combo("COMBOBOX", WS_CHILD | CBS_SIMPLE, dialog.handle, "", 60, 80);
        Window edit("EDIT", WS_CHILD | WS_BORDER, dialog.handle);
        EXPECT_TRUE(Adopted(edit.handle));
        EXPECT_FALSE(Adopted(combo.handle));
        int children = 0;
        for (HWND c = GetWindow(combo.handle, GW_CHILD); c != nullptr;
             c = GetWindow(c, GW_HWNDNEXT)) {
            ++children;
            EXPECT_FALSE(Adopted(c));
        }
        EXPECT_EQ(children, 2);
    }
    Look3dUnhookThread();
    Look3dDetach(Module());
    EXPECT_EQ(look3d::TheCore().attachCount, 0);
}

// A framework dialog built from a template in memory.
class MemoryDialog : public CDialog {
public:
    MemoryDialog() : CDialog(0) {}
};

TEST(Look3dFramework, EnableEngagesTheLookForFrameworkDialogs) {
    if (!OldSystem()) {
        GTEST_SKIP() << kNeedsOldSystem;
    }
    ASSERT_TRUE(EnableLook3dStatic());
    Look3dState* state = PeekLook3dState();
    ASSERT_NE(state, nullptr);
    EXPECT_NE(state->adoptDialog, nullptr);
    EXPECT_NE(state->hookThread, nullptr);
    EXPECT_EQ(look3d::ThreadUseCount(GetCurrentThreadId()), 1);
    Template t(WS_POPUP | DS_MODALFRAME, 100, 60);
    t.Item(kButton, BS_AUTOCHECKBOX, "Check", 1, 4, 4, 60, 10);
    t.Item(kEdit, WS_BORDER, "", 2, 4, 20, 60, 12);
    MemoryDialog dialog;
    ASSERT_TRUE(dialog.CreateFromTemplate(t.Get(), nullptr, Module()));
    HWND window = dialog.windowHandle;
    EXPECT_EQ(ProcOf(window), AsLong(GetCommonWindowProc()));
    EXPECT_TRUE(Adopted(window));
    // The look sits between the framework and the dialog class.
    EXPECT_EQ(*dialog.SuperProcSlot(), &look3d::DialogProc);
    EXPECT_EQ(ProcOf(GetDlgItem(window, 1)), AsLong(&look3d::ButtonProc));
    EXPECT_EQ(ProcOf(GetDlgItem(window, 2)), AsLong(&look3d::EditProc));
    int answer = 0;
    EXPECT_EQ(SendMessageA(window, WM_LOOK3D_IDENTIFY, 0, reinterpret_cast<LPARAM>(&answer)), 1006);
    dialog.DestroyHandle();
    // A second enable only adds a use of the thread's hook.
    EXPECT_TRUE(EnableLook3dStatic());
    EXPECT_EQ(look3d::ThreadUseCount(GetCurrentThreadId()), 2);
}

} // namespace
