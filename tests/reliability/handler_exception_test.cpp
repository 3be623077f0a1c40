// Every kind of framework exception thrown once from each handler of the
// settings dialog (control and menu-style commands, the system command,
// painting, dialog initialization): the report the kind calls for, none for
// the user exception or for painting, and the dialog goes on working.
#include "reliability/reliability_support.h"

#include <cstdio>

#include "app/config_dialog.h"
#include "framework/runtime/exceptions.h"
#include "framework/windows/messaging/message_map.h"

namespace {

using rel::ShiftJis;

enum class Site { InitDialog, RadioClick, HelpClick, OkFromButton, OkFromMenu, SysCommand, Paint };
enum class Kind { Memory, Resource, NotSupported, User };

// Throws the chosen kind from the chosen handler, once.
class ThrowingConfigDlg : public CConfigDlg {
    LUM_DECLARE_MESSAGE_MAP(ThrowingConfigDlg)
public:
    ThrowingConfigDlg(Site site, Kind kind) : site(site), kind(kind) {}

    void Trip(Site here) {
        if (here != site || tripped) {
            return;
        }
        tripped = true;
        switch (kind) {
        case Kind::Memory:
            RaiseMemoryException();
        case Kind::Resource:
            RaiseResourceException();
        case Kind::NotSupported:
            RaiseNotSupportedException();
        case Kind::User:
            RaiseUserException();
        }
    }

    BOOL InitializeDialog() override {
        Trip(Site::InitDialog);
        return CConfigDlg::InitializeDialog();
    }
    void HandleOk() override {
        Trip(lastOkFromMenu ? Site::OkFromMenu : Site::OkFromButton);
        CConfigDlg::HandleOk();
    }
    void OnSysCommand(UINT command, POINT cursor) {
        Trip(Site::SysCommand);
        HandleSysCommand(command, cursor);
    }
    void OnPaint() {
        ++paints;
        Trip(Site::Paint);
        HandlePaint();
    }
    void OnHelp() {
        Trip(Site::HelpClick);
        ShowHelpDialog();
    }
    void OnUseOverlay() {
        Trip(Site::RadioClick);
        EnableSurfaceCheckBox();
    }

    Site site;
    Kind kind;
    bool tripped = false;
    bool lastOkFromMenu = false;
    int paints = 0;
};

LUM_BEGIN_MESSAGE_MAP(ThrowingConfigDlg, CConfigDlg)
LUM_ON_WM_SYSCOMMAND(OnSysCommand)
LUM_ON_WM_PAINT(OnPaint)
LUM_ON_CONTROL(BN_CLICKED, IDC_HELP_BUTTON, OnHelp)
LUM_ON_CONTROL(BN_CLICKED, IDC_USE_OVERLAY, OnUseOverlay)
LUM_END_MESSAGE_MAP(ThrowingConfigDlg, CConfigDlg)

const char* SiteName(Site site) {
    const char* names[] = {"WM_INITDIALOG", "radio click",         "help click", "OK from button",
                           "OK from menu",  "WM_SYSCOMMAND About", "WM_PAINT"};
    return names[static_cast<int>(site)];
}

const char* KindName(Kind kind) {
    const char* names[] = {"memory", "resource", "not supported", "user"};
    return names[static_cast<int>(kind)];
}

// Sends a message from the ticker's window, so that a modal loop it opens
// goes on ticking.
void Send(rel::Ticker& ticker, bool* done, HWND window, UINT message, WPARAM wParam,
          LPARAM lParam) {
    ticker.Defer([=] { SendMessageA(window, message, wParam, lParam); }, done);
}

void Trigger(rel::Ticker& ticker, bool* done, ThrowingConfigDlg& dialog, HWND shown) {
    switch (dialog.site) {
    case Site::InitDialog:
        *done = true;
        break;
    case Site::RadioClick:
        Send(ticker, done, shown, WM_COMMAND, MAKEWPARAM(IDC_USE_OVERLAY, BN_CLICKED),
             reinterpret_cast<LPARAM>(GetDlgItem(shown, IDC_USE_OVERLAY)));
        break;
    case Site::HelpClick:
        Send(ticker, done, shown, WM_COMMAND, MAKEWPARAM(IDC_HELP_BUTTON, BN_CLICKED),
             reinterpret_cast<LPARAM>(GetDlgItem(shown, IDC_HELP_BUTTON)));
        break;
    case Site::OkFromButton:
        dialog.lastOkFromMenu = false;
        Send(ticker, done, shown, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
             reinterpret_cast<LPARAM>(GetDlgItem(shown, IDOK)));
        break;
    case Site::OkFromMenu:
        dialog.lastOkFromMenu = true;
        Send(ticker, done, shown, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
        break;
    case Site::SysCommand:
        Send(ticker, done, shown, WM_SYSCOMMAND, IDM_ABOUT, 0);
        break;
    case Site::Paint:
        ticker.Defer(
            [shown] {
                InvalidateRect(shown, nullptr, TRUE);
                UpdateWindow(shown);
            },
            done);
        break;
    }
}

// What one run of the dialog showed.
struct RunSeen {
    rel::DrivenRun driven;
    bool secondaryShown = false;
    bool surfaceEnabledAfter = false;
};

// Shows the dialog, sends the tripping message twice (the second time it is
// handled in full), closes what it opens, and ends with OK.
RunSeen DriveDialog(ThrowingConfigDlg& dialog) {
    RunSeen seen;
    int step = 0;
    bool done = false;
    HWND closingSecondary = nullptr;
    seen.driven =
        rel::RunDriven([&] { return dialog.RunModal(); },
                       [&](rel::Ticker& ticker) {
                           HWND shown = rel::FindThreadDialog(IDC_NO_SURFACE);
                           if (HWND secondary = rel::FindSecondaryDialog(shown)) {
                               seen.secondaryShown = true;
                               if (secondary != closingSecondary) {
                                   closingSecondary = secondary;
                                   rel::PostClick(secondary, IDOK);
                               }
                               return;
                           }
                           if (shown == nullptr) {
                               return;
                           }
                           switch (step) {
                           case 0:
                               rel::ChooseInDialog(shown, 0, 1);
                               step = 1;
                               Trigger(ticker, &done, dialog, shown);
                               break;
                           case 1:
                               // The same message again, now handled in full.
                               if (done) {
                                   step = 2;
                                   Trigger(ticker, &done, dialog, shown);
                               }
                               break;
                           case 2:
                               if (done) {
                                   step = 3;
                                   seen.surfaceEnabledAfter =
                                       IsWindowEnabled(GetDlgItem(shown, IDC_NO_SURFACE)) != FALSE;
                                   rel::PostClick(shown, IDOK);
                               }
                               break;
                           default:
                               break;
                           }
                       },
                       20000);
    return seen;
}

void ExpectReport(Kind kind, const rel::DrivenRun& driven) {
    struct Report {
        std::string text;
        UINT icon;
        bool systemModal;
    };
    const Report reports[] = {
        {ShiftJis("ﾒﾓﾘが不足しています。"), MB_ICONEXCLAMATION, true},
        {ShiftJis("要求されたﾘｿｰｽは使用できません。"), MB_ICONSTOP, false},
        {ShiftJis("ｻﾎﾟｰﾄされていない操作を実行しました。"), MB_ICONSTOP, false},
        {"", 0, false},
    };
    const Report& expected = reports[static_cast<int>(kind)];
    EXPECT_EQ(expected.text, rel::Ansi(driven.boxes[0].text));
    EXPECT_EQ(expected.icon, rel::IconStyleOf(driven.boxes[0].icon));
    EXPECT_EQ(expected.systemModal, driven.boxes[0].topmost);
    EXPECT_EQ(L"LUMCFG", driven.boxes[0].caption);
}

// After the second, fully handled message the dialog still works.
void ExpectDialogWentOn(Site site, const ThrowingConfigDlg& dialog, const RunSeen& seen) {
    EXPECT_EQ(IDOK, seen.driven.result) << "the dialog did not go on to OK";
    EXPECT_EQ(std::string("0", 2), rel::LoadRaw("PreviewOnly").bytes);
    EXPECT_EQ(std::string("1", 2), rel::LoadRaw("Force Primary").bytes);
    if (site == Site::HelpClick || site == Site::SysCommand) {
        EXPECT_TRUE(seen.secondaryShown) << "the second try opened nothing";
    }
    if (site == Site::RadioClick) {
        EXPECT_TRUE(seen.surfaceEnabledAfter) << "the second click did not take";
    }
    if (site == Site::Paint) {
        EXPECT_GE(dialog.paints, 2);
    }
}

class HandlerExceptionTest : public rel::DeviceKeyTest {};

TEST_F(HandlerExceptionTest, EveryKindFromEveryHandler) {
    int runs = 0;
    for (Site site : {Site::InitDialog, Site::RadioClick, Site::HelpClick, Site::OkFromButton,
                      Site::OkFromMenu, Site::SysCommand, Site::Paint}) {
        for (Kind kind : {Kind::Memory, Kind::Resource, Kind::NotSupported, Kind::User}) {
            char label[96];
            snprintf(label, sizeof label, "%s exception from %s", KindName(kind), SiteName(site));
            SCOPED_TRACE(label);
            ++runs;
            rel::DeleteDeviceKey();
            ThrowingConfigDlg dialog(site, kind);
            const RunSeen seen = DriveDialog(dialog);
            ASSERT_FALSE(seen.driven.timedOut);
            EXPECT_TRUE(dialog.tripped);

            const bool silent = kind == Kind::User || site == Site::Paint;
            ASSERT_EQ(silent ? 0u : 1u, seen.driven.boxes.size());
            if (!silent) {
                ExpectReport(kind, seen.driven);
            }
            if (site == Site::InitDialog) {
                // A dialog that cannot initialize ends at once.
                EXPECT_EQ(-1, seen.driven.result);
                EXPECT_FALSE(rel::KeyExists("Bt848"));
                continue;
            }
            ExpectDialogWentOn(site, dialog, seen);
        }
    }
    std::printf("handler exceptions: %d dialog runs (7 handlers x 4 kinds)\n", runs);
}

} // namespace
