// The settings dialog's minimized painting and its system menu without an
// About text, on the tool's own dialog in this process. The system calls
// the dialog makes are seen through this program's import slots.
#include "reliability/reliability_support.h"

#include <functional>
#include <vector>

#include "app/config_dialog.h"
#include "framework/windows/messaging/message_map.h"

namespace {

// What the stand-ins saw, and the calls they stand in for.
struct StandInCalls {
    HWND window = nullptr; // the only window the stand-ins lie about
    RECT client = {};
    std::vector<HDC> paintDcs;
    struct Drawn {
        HDC dc;
        int x;
        int y;
        HICON icon;
    };
    std::vector<Drawn> drawn;
    decltype(&::BeginPaint) realBeginPaint = nullptr;
    decltype(&::GetClientRect) realGetClientRect = nullptr;
    decltype(&::IsIconic) realIsIconic = nullptr;
    decltype(&::LoadStringA) realLoadString = nullptr;
};

StandInCalls& Calls() {
    static StandInCalls seen;
    return seen;
}

BOOL WINAPI IconicStandIn(HWND window) {
    return window == Calls().window ? TRUE : Calls().realIsIconic(window);
}

BOOL WINAPI ClientRectStandIn(HWND window, RECT* rect) {
    if (window != Calls().window) {
        return Calls().realGetClientRect(window, rect);
    }
    *rect = Calls().client;
    return TRUE;
}

HDC WINAPI BeginPaintStandIn(HWND window, PAINTSTRUCT* paint) {
    HDC dc = Calls().realBeginPaint(window, paint);
    Calls().paintDcs.push_back(dc);
    return dc;
}

BOOL WINAPI DrawIconStandIn(HDC dc, int x, int y, HICON icon) {
    Calls().drawn.push_back({dc, x, y, icon});
    return TRUE;
}

int WINAPI EmptyAboutStandIn(HINSTANCE module, UINT id, char* buffer, int size) {
    if (id != IDS_ABOUT) {
        return Calls().realLoadString(module, id, buffer, size);
    }
    if (buffer != nullptr && size > 0) {
        buffer[0] = '\0';
    }
    return 0;
}

void* Fn(auto f) {
    return reinterpret_cast<void*>(f);
}

// Keeps the erase messages the dialog sends itself.
class WatchedConfigDlg : public CConfigDlg {
    LUM_DECLARE_MESSAGE_MAP(WatchedConfigDlg)
public:
    void OnIconErase(WPARAM dc, LPARAM lParam) {
        erases.push_back(dc);
        eraseLParams.push_back(lParam);
    }

    std::vector<WPARAM> erases;
    std::vector<LPARAM> eraseLParams;
};

LUM_BEGIN_MESSAGE_MAP(WatchedConfigDlg, CConfigDlg)
LUM_ON_MESSAGE(WM_ICONERASEBKGND, LumForm::VoidWParamLParam, OnIconErase)
LUM_END_MESSAGE_MAP(WatchedConfigDlg, CConfigDlg)

// Runs the dialog, calls look once it is shown, then cancels it.
void WhileShown(CConfigDlg& dialog, const std::function<void(HWND)>& look) {
    bool looked = false;
    const rel::DrivenRun driven = rel::RunDriven([&] { return dialog.RunModal(); },
                                                 [&](rel::Ticker&) {
                                                     HWND shown =
                                                         rel::FindThreadDialog(IDC_NO_SURFACE);
                                                     if (shown == nullptr || looked) {
                                                         return;
                                                     }
                                                     looked = true;
                                                     look(shown);
                                                     rel::PostClick(shown, IDCANCEL);
                                                 },
                                                 20000);
    EXPECT_FALSE(driven.timedOut);
    EXPECT_TRUE(driven.boxes.empty());
    EXPECT_EQ(driven.result, IDCANCEL);
}

struct SystemMenu {
    int items = -1;
    UINT lastType = 0;
    bool hasAbout = false;
};

SystemMenu SystemMenuOfShownDialog() {
    CConfigDlg dialog;
    SystemMenu seen;
    WhileShown(dialog, [&](HWND shown) {
        HMENU menu = GetSystemMenu(shown, FALSE);
        seen.items = GetMenuItemCount(menu);
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_TYPE;
        GetMenuItemInfoA(menu, static_cast<UINT>(seen.items - 1), TRUE, &info);
        seen.lastType = info.fType;
        seen.hasAbout = GetMenuState(menu, IDM_ABOUT, MF_BYCOMMAND) != static_cast<UINT>(-1);
    });
    return seen;
}

class SettingsDialog : public rel::DeviceKeyTest {};

} // namespace

// Wine gives a minimized window no client area, so the dialog is painted as
// minimized while its client rectangle is one narrower than the icon: the
// position's divisions must stay signed and truncate toward zero.
TEST_F(SettingsDialog, MinimizedPaintErasesWithThePaintDcAndCentersTheIcon) {
    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    Calls() = StandInCalls{};
    Calls().client = {0, 0, iconWidth - 12, iconHeight + 9};
    ImportPatch iconic{"user32.dll", "IsIconic", Fn(&IconicStandIn)};
    ImportPatch clientRect{"user32.dll", "GetClientRect", Fn(&ClientRectStandIn)};
    ImportPatch beginPaint{"user32.dll", "BeginPaint", Fn(&BeginPaintStandIn)};
    ImportPatch drawIcon{"user32.dll", "DrawIcon", Fn(&DrawIconStandIn)};
    ASSERT_TRUE(iconic.Applied() && clientRect.Applied() && beginPaint.Applied() &&
                drawIcon.Applied());
    Calls().realIsIconic = iconic.Original<decltype(&::IsIconic)>();
    Calls().realGetClientRect = clientRect.Original<decltype(&::GetClientRect)>();
    Calls().realBeginPaint = beginPaint.Original<decltype(&::BeginPaint)>();

    WatchedConfigDlg dialog;
    WhileShown(dialog, [&](HWND shown) {
        Calls().paintDcs.clear();
        Calls().window = shown;
        dialog.HandlePaint();
        Calls().window = nullptr;
    });

    ASSERT_EQ(Calls().paintDcs.size(), 1u);
    const HDC dc = Calls().paintDcs[0];
    ASSERT_EQ(dialog.erases.size(), 1u);
    EXPECT_EQ(dialog.erases[0], reinterpret_cast<WPARAM>(dc));
    EXPECT_EQ(dialog.eraseLParams[0], 0);
    ASSERT_EQ(Calls().drawn.size(), 1u);
    EXPECT_EQ(Calls().drawn[0].dc, dc);
    EXPECT_EQ(Calls().drawn[0].x, -5) << "(-12 + 1) / 2, truncated toward zero";
    EXPECT_EQ(Calls().drawn[0].y, 5) << "(9 + 1) / 2";
    EXPECT_EQ(Calls().drawn[0].icon, dialog.icon);
    EXPECT_NE(dialog.icon, nullptr);
}

TEST_F(SettingsDialog, EmptyAboutTextAddsNeitherSeparatorNorItem) {
    const SystemMenu withText = SystemMenuOfShownDialog();
    ASSERT_TRUE(withText.hasAbout);

    Calls() = StandInCalls{};
    ImportPatch loadString{"user32.dll", "LoadStringA", Fn(&EmptyAboutStandIn)};
    ASSERT_TRUE(loadString.Applied());
    Calls().realLoadString = loadString.Original<decltype(&::LoadStringA)>();
    const SystemMenu withoutText = SystemMenuOfShownDialog();

    EXPECT_FALSE(withoutText.hasAbout);
    EXPECT_EQ(withoutText.items, withText.items - 2) << "neither the separator nor the item";
    EXPECT_EQ(withoutText.lastType & MFT_SEPARATOR, 0u);
}
