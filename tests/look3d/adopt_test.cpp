// Which windows the look adopts, and how it lets go of them (below 4.0).
#include "look3d/look3d_test_support.h"

using namespace look3dtest;

namespace {

using Look3dCore = OldSystemTest;

Template ControlsTemplate() {
    Template t(WS_POPUP | WS_CAPTION | DS_MODALFRAME, 200, 160);
    t.Item(kButton, BS_PUSHBUTTON, "OK", 1, 4, 4, 40, 14);
    t.Item(kButton, BS_AUTOCHECKBOX, "Check", 2, 4, 20, 60, 10);
    t.Item(kEdit, WS_BORDER, "text", 3, 4, 34, 60, 12);
    t.Item(kListBox, WS_BORDER, "", 4, 4, 50, 60, 30);
    t.Item(kStatic, SS_LEFT, "label", 5, 4, 84, 60, 10);
    t.Item(kComboBox, CBS_DROPDOWNLIST, "", 6, 80, 4, 60, 60);
    t.Item(kComboBox, CBS_SIMPLE, "", 7, 80, 20, 60, 60);
    t.Item(kComboBox, CBS_DROPDOWN, "", 8, 80, 84, 60, 60);
    t.Item(kButton, BS_GROUPBOX, "Group", 9, 4, 100, 80, 40);
    t.Item(kButton, BS_OWNERDRAW, "drawn", 10, 100, 100, 40, 14);
    t.Item(kStatic, SS_ICON, "", 11, 150, 100, 20, 20);
    return t;
}

TEST_F(Look3dCore, HookAdoptsDialogAndControlsWithTheirKindProcedures) {
    Template t = ControlsTemplate();
    Dialog dialog(t);
    ASSERT_NE(dialog.handle, nullptr);
    EXPECT_TRUE(Adopted(dialog.handle));
    EXPECT_EQ(ProcOf(dialog.handle), AsLong(&look3d::DialogProc));
    EXPECT_EQ(ProcOf(dialog.Item(1)), AsLong(&look3d::ButtonProc));
    EXPECT_EQ(ProcOf(dialog.Item(2)), AsLong(&look3d::ButtonProc));
    EXPECT_EQ(ProcOf(dialog.Item(3)), AsLong(&look3d::EditProc));
    EXPECT_EQ(ProcOf(dialog.Item(4)), AsLong(&look3d::ListProc));
    EXPECT_EQ(ProcOf(dialog.Item(5)), AsLong(&look3d::StaticProc));
    EXPECT_EQ(ProcOf(dialog.Item(6)), AsLong(&look3d::ComboProc));
    EXPECT_EQ(ProcOf(dialog.Item(7)), AsLong(&look3d::ComboProc));
    EXPECT_EQ(ProcOf(dialog.Item(8)), AsLong(&look3d::ComboProc));
    EXPECT_EQ(ProcOf(dialog.Item(9)), AsLong(&look3d::ButtonProc));
    for (int id = 1; id <= 9; ++id) {
        EXPECT_TRUE(Adopted(dialog.Item(id))) << "control " << id;
    }
    // Owner-drawn buttons and icons draw themselves.
    EXPECT_FALSE(Adopted(dialog.Item(10)));
    EXPECT_FALSE(Adopted(dialog.Item(11)));
    // The edit of a drop-down combo box comes through its combo box.
    HWND comboEdit = GetWindow(dialog.Item(8), GW_CHILD);
    ASSERT_NE(comboEdit, nullptr);
    EXPECT_EQ(ProcOf(comboEdit), AsLong(&look3d::EditProc));
    // Every adopted procedure names its kind.
    int answer = 0;
    EXPECT_EQ(
        SendMessageA(dialog.Item(6), WM_LOOK3D_IDENTIFY, 0, reinterpret_cast<LPARAM>(&answer)),
        1003);
    EXPECT_EQ(answer, 1);
    answer = 0;
    EXPECT_EQ(SendMessageA(dialog.handle, WM_LOOK3D_IDENTIFY_EARLIER, 0,
                           reinterpret_cast<LPARAM>(&answer)),
              1006);
    EXPECT_EQ(answer, 1);
}

TEST_F(Look3dCore, ButtonAndStaticStylesDecideAdoption) {
    Window parent("STATIC", WS_POPUP, nullptr);
    struct Case {
        const char* className;
        DWORD style;
        bool adopted;
    };
    const Case cases[] = {
        {"BUTTON", BS_OWNERDRAW, false},
        {"BUTTON", BS_AUTOCHECKBOX | BS_PUSHLIKE, false},
        {"BUTTON", BS_AUTOCHECKBOX | BS_LEFTTEXT, true},
        {"BUTTON", BS_AUTORADIOBUTTON, true},
        {"BUTTON", BS_USERBUTTON, true},
        {"STATIC", SS_ICON, false},
        {"STATIC", SS_ETCHEDFRAME, true},
        {"STATIC", SS_BLACKFRAME, true},
        {"STATIC", SS_CENTER, true},
        {"STATIC", SS_BITMAP, false},
    };
    for (const Case& c : cases) {
        Window control(c.className, WS_CHILD | c.style, parent.handle);
        ASSERT_NE(control.handle, nullptr);
        LONG before = ProcOf(control.handle);
        Look3dAdoptControl(control.handle);
        EXPECT_EQ(Adopted(control.handle), c.adopted) << c.className << " " << c.style;
        if (c.adopted) {
            EXPECT_EQ(reinterpret_cast<LONG>(GetPropA(control.handle, "Lum3dNew")), before);
        } else {
            EXPECT_EQ(ProcOf(control.handle), before);
        }
    }
}

TEST_F(Look3dCore, WindowOfAnotherCopyIsNeverAdopted) {
    Window parent("STATIC", WS_POPUP, nullptr);
    for (const char* mark : {"Lum3d", "Lum3dL", "Lum3dH", "Lum3dLNew", "Lum3dHNew"}) {
        Window button("BUTTON", WS_CHILD | BS_AUTOCHECKBOX, parent.handle);
        SetPropA(button.handle, mark, reinterpret_cast<HANDLE>(1));
        LONG before = ProcOf(button.handle);
        Look3dAdoptControl(button.handle);
        EXPECT_EQ(ProcOf(button.handle), before) << mark;
        EXPECT_FALSE(Adopted(button.handle)) << mark;
        EXPECT_FALSE(Look3dAdoptControlAs(button.handle, kKindButton) && Adopted(button.handle));
        RemovePropA(button.handle, mark);
    }
}

TEST_F(Look3dCore, AdoptControlAsUsesTheGivenKind) {
    Window parent("STATIC", WS_POPUP, nullptr);
    Window label("STATIC", WS_CHILD | SS_LEFT, parent.handle);
    EXPECT_FALSE(Look3dAdoptControlAs(label.handle, 6));
    EXPECT_FALSE(Look3dAdoptControlAs(label.handle, -1));
    EXPECT_TRUE(Look3dAdoptControlAs(label.handle, kKindButton));
    EXPECT_EQ(ProcOf(label.handle), AsLong(&look3d::ButtonProc));
    // Already adopted: refused.
    EXPECT_FALSE(Look3dAdoptControlAs(label.handle, kKindStatic));
}

TEST_F(Look3dCore, StaleMarkIsRepairedAtDialogInit) {
    Template t(WS_POPUP, 100, 60);
    t.Item(kButton, BS_AUTOCHECKBOX, "Check", 1, 4, 4, 60, 10);
    Dialog dialog(t);
    HWND check = dialog.Item(1);
    ASSERT_TRUE(Adopted(check));
    // Someone put the class procedure back but left the mark behind.
    WNDPROC classProc = ClassProc("Button");
    SetWindowLongA(check, GWL_WNDPROC, AsLong(classProc));
    SetPropA(check, "Lum3dNew", reinterpret_cast<HANDLE>(0x1234));
    SendMessageA(dialog.handle, WM_INITDIALOG, 0, 0);
    EXPECT_EQ(ProcOf(check), AsLong(&look3d::ButtonProc));
    EXPECT_EQ(reinterpret_cast<LONG>(GetPropA(check, "Lum3dNew")), AsLong(classProc));
    // Controls made later inside an adopted dialog are adopted as they come.
    Window later("BUTTON", WS_CHILD | BS_AUTOCHECKBOX, dialog.handle);
    EXPECT_EQ(ProcOf(later.handle), AsLong(&look3d::ButtonProc));
}

TEST_F(Look3dCore, RefusalPutsEveryProcedureBack) {
    Template t(WS_POPUP, 100, 60);
    t.Item(kButton, BS_AUTOCHECKBOX, "Check", 1, 4, 4, 60, 10);
    t.Item(kEdit, WS_BORDER, "", 2, 4, 20, 60, 12);
    Dialog dialog(t, &RefusingDialogProc);
    ASSERT_NE(dialog.handle, nullptr);
    EXPECT_FALSE(Adopted(dialog.handle));
    EXPECT_FALSE(Adopted(dialog.Item(1)));
    EXPECT_FALSE(Adopted(dialog.Item(2)));
    EXPECT_NE(ProcOf(dialog.handle), AsLong(&look3d::DialogProc));
    EXPECT_EQ(ProcOf(dialog.Item(1)), AsLong(ClassProc("Button")));
    EXPECT_EQ(ProcOf(dialog.Item(2)), AsLong(ClassProc("Edit")));
}

TEST_F(Look3dCore, BuriedProcedureIsSwitchedOffInsteadOfRemoved) {
    Window parent("STATIC", WS_POPUP, nullptr);
    Window check("BUTTON", WS_CHILD | BS_AUTOCHECKBOX, parent.handle);
    ASSERT_TRUE(Look3dAdoptControl(check.handle));
    // Someone subclasses over the look.
    WNDPROC ours = reinterpret_cast<WNDPROC>(ProcOf(check.handle));
    SetWindowLongA(check.handle, GWL_WNDPROC, AsLong(ClassProc("Button")));
    EXPECT_TRUE(look3d::ReleaseTree(parent.handle));
    EXPECT_EQ(GetPropA(check.handle, "Lum3dD"), reinterpret_cast<HANDLE>(1));
    // Switched off: the look's procedure no longer answers for itself.
    int answer = 666;
    CallWindowProcA(ours, check.handle, WM_LOOK3D_IDENTIFY, 0, reinterpret_cast<LPARAM>(&answer));
    EXPECT_EQ(answer, 666);
}

} // namespace
