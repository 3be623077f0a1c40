// The framework's message box (owner, title, icon, published help context)
// and F1 from a dialog to the system help engine.
#include <gtest/gtest.h>
#include <cstring>
#include <functional>
#include <string>
#include <vector>
#include "common/help_engine_stand_in.h"
#include "common/message_box_reading.h"
#include "framework/runtime/exceptions.h"
#include "framework/runtime/message_box.h"
#include "framework/runtime/state.h"
#include "framework/windows/messaging/win_app.h"
#include "framework/windows/dialogs/dialog.h"
#include "framework/windows/messaging/window_proc.h"
#include "windows/window_test_support.h"

namespace {

constexpr UINT kVisibleDialog = 204;

class HelpApp : public CWinApp {
    LUM_DECLARE_MESSAGE_MAP(HelpApp)
public:
    HelpApp() : CWinApp("HelpTests") { helpFilePath = _strdup("C:\\tests\\HELPTEST.HLP"); }
};

LUM_BEGIN_MESSAGE_MAP(HelpApp, CWinApp)
LUM_ON_COMMAND(ID_HELP_COMMAND, HandleHelpCommand)
LUM_END_MESSAGE_MAP(HelpApp, CWinApp)

using lumtest::Ansi;

// Watches the thread's windows from a timer, which keeps running inside the
// system's message-box loop, and answers each box it finds.
class BoxWatcher : public CWnd {
    LUM_DECLARE_MESSAGE_MAP(BoxWatcher)
public:
    explicit BoxWatcher(CWinApp* app) : app(app) {
        CreateWithStyles(0, nullptr, "watcher", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr);
        SetTimer(windowHandle, 1, 10, nullptr);
    }
    ~BoxWatcher() override {
        KillTimer(windowHandle, 1);
        DestroyHandle();
    }
    void OnTimer(WPARAM) {
        EnumThreadWindows(GetCurrentThreadId(), &BoxWatcher::Visit, reinterpret_cast<LPARAM>(this));
    }
    static BOOL CALLBACK Visit(HWND window, LPARAM self) {
        auto* watcher = reinterpret_cast<BoxWatcher*>(self);
        char name[16] = {};
        GetClassNameA(window, name, sizeof name);
        if (lstrcmpA(name, "#32770") != 0 || !IsWindowVisible(window) ||
            CWnd::PermanentObjectFor(window) != nullptr) {
            return TRUE;
        }
        for (HWND seen : watcher->seen) {
            if (seen == window) {
                return TRUE;
            }
        }
        watcher->seen.push_back(window);
        watcher->boxes.push_back(lumtest::ReadSeenBox(window));
        watcher->promptContexts.push_back(watcher->app->promptContext);
        if (watcher->onBox) {
            watcher->onBox(window);
        } else {
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        }
        return FALSE;
    }

    CWinApp* app;
    std::vector<lumtest::SeenBox> boxes;
    std::vector<DWORD> promptContexts; // the application's, while each box was open
    std::vector<HWND> seen;
    std::function<void(HWND)> onBox;
};

LUM_BEGIN_MESSAGE_MAP(BoxWatcher, CWnd)
LUM_ON_WM_TIMER(OnTimer)
LUM_END_MESSAGE_MAP(BoxWatcher, CWnd)

class HelpDialog : public CDialog {
    LUM_DECLARE_MESSAGE_MAP(HelpDialog)
public:
    explicit HelpDialog(UINT id) : CDialog(id) {}
    LRESULT OnIdleKick(WPARAM, LPARAM) {
        if (onKick) {
            auto call = std::move(onKick);
            call();
        }
        return 0;
    }
    std::function<void()> onKick;
};

LUM_BEGIN_MESSAGE_MAP(HelpDialog, CDialog)
LUM_ON_MESSAGE(WM_LUM_KICKIDLE, LumForm::LresultWParamLParam, OnIdleKick)
LUM_END_MESSAGE_MAP(HelpDialog, CDialog)

HICON SystemIcon(LPCSTR id) {
    return LoadIconA(nullptr, id);
}

// Runs a dialog as the thread's main window. Its end posts the quit that
// ends a program; a test takes it out of the queue again.
int RunAsMainWindow(CWinApp& app, CDialog& dialog) {
    app.mainWindow = &dialog;
    int result = dialog.RunModal();
    app.mainWindow = nullptr;
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    return result;
}

} // namespace

TEST(FrameworkMessageBox, NoWindowGivesNoOwnerAndTheApplicationTitle) {
    HelpApp app;
    BoxWatcher watcher(&app);
    EXPECT_EQ(MessageBoxText("plain text", MB_OK, 0), IDOK);
    ASSERT_EQ(watcher.boxes.size(), 1u);
    EXPECT_EQ(watcher.boxes[0].owner, nullptr);
    EXPECT_EQ(Ansi(watcher.boxes[0].caption), "HelpTests");
    EXPECT_EQ(Ansi(watcher.boxes[0].text), "plain text");
    EXPECT_EQ(watcher.promptContexts[0], 0u);
}

TEST(FrameworkMessageBox, PromptContextIsPublishedWhileTheBoxIsOpen) {
    HelpApp app;
    BoxWatcher watcher(&app);
    app.promptContext = 0x1234;
    app.ShowMessageBox("prompt", MB_OK, 0xF108);
    ASSERT_EQ(watcher.boxes.size(), 1u);
    EXPECT_EQ(watcher.promptContexts[0], 0x3F108u);
    EXPECT_EQ(app.promptContext, 0x1234u) << "the old value is back";
}

TEST(FrameworkMessageBox, NestedBoxesRestoreTheirOwnContexts) {
    HelpApp app;
    BoxWatcher watcher(&app);
    int depth = 0;
    watcher.onBox = [&](HWND box) {
        if (depth++ == 0) {
            app.ShowMessageBox("inner", MB_OK, 0xF109);
            EXPECT_EQ(app.promptContext, 0x3F108u) << "outer context back after the inner box";
        }
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    };
    app.ShowMessageBox("outer", MB_OK, 0xF108);
    ASSERT_EQ(watcher.boxes.size(), 2u);
    EXPECT_EQ(watcher.promptContexts[1], 0x3F109u);
    EXPECT_EQ(app.promptContext, 0u);
}

TEST(FrameworkMessageBox, ExclamationIsAddedOnlyToButtonSetsThatAskForIt) {
    struct Case {
        UINT type;
        LPCSTR icon; // null: no icon
        int button;  // one the box has, to end it
    };
    const Case cases[] = {
        {MB_OK, IDI_EXCLAMATION, IDOK},
        {MB_OKCANCEL, IDI_EXCLAMATION, IDCANCEL},
        {MB_ABORTRETRYIGNORE, nullptr, IDABORT},
        {MB_YESNOCANCEL, IDI_EXCLAMATION, IDCANCEL},
        {MB_YESNO, IDI_EXCLAMATION, IDNO},
        {MB_RETRYCANCEL, nullptr, IDCANCEL},
        {MB_OK | MB_ICONSTOP, IDI_HAND, IDOK},
        {MB_YESNO | MB_ICONINFORMATION, IDI_ASTERISK, IDNO},
    };
    HelpApp app;
    BoxWatcher watcher(&app);
    int button = IDOK;
    // A message left in the queue for a closed box could reach a later
    // window that gets the same handle: exactly one, for a button it has.
    watcher.onBox = [&](HWND box) {
        PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
    };
    for (const Case& c : cases) {
        button = c.button;
        size_t before = watcher.boxes.size();
        EXPECT_EQ(app.ShowMessageBox("icons", c.type, 0), c.button);
        ASSERT_EQ(watcher.boxes.size(), before + 1) << std::hex << c.type;
        HICON expected = c.icon != nullptr ? SystemIcon(c.icon) : nullptr;
        EXPECT_EQ(watcher.boxes.back().icon, expected) << "type 0x" << std::hex << c.type;
    }
}

TEST(FrameworkMessageBox, OwnerIsTheMainWindowsLastActivePopup) {
    HelpApp app;
    BoxWatcher watcher(&app);
    CWnd main;
    ASSERT_TRUE(main.CreateWithStyles(0, nullptr, "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                      100, 80, nullptr, nullptr, nullptr));
    app.mainWindow = &main;
    app.ShowMessageBox("owned", MB_OK, 0);
    ASSERT_EQ(watcher.boxes.size(), 1u);
    EXPECT_EQ(watcher.boxes[0].owner, main.windowHandle);
    EXPECT_TRUE(IsWindowEnabled(main.windowHandle));
    app.mainWindow = nullptr;
    main.DestroyHandle();
}

TEST(ContextHelp, F1InADialogStartsTheEngineAtTheDialogsContext) {
    HelpApp app;
    HelpEngine engine(TRUE);
    HelpDialog dialog(kVisibleDialog);
    int kicks = 0;
    dialog.onKick = [&] {
        // The system makes a help request only from real key input.
        SetForegroundWindow(dialog.windowHandle);
        SetFocus(GetDlgItem(dialog.windowHandle, 301));
        keybd_event(VK_F1, 0, 0, 0);
        keybd_event(VK_F1, 0, KEYEVENTF_KEYUP, 0);
        std::function<void()> wait = [&] {
            if (engine.requests.empty() && ++kicks < 200) {
                Sleep(5);
                PostMessageA(dialog.windowHandle, WM_NULL, 0, 0);
                dialog.onKick = wait;
                return;
            }
            dialog.CloseDialog(IDCANCEL);
        };
        dialog.onKick = wait;
    };
    RunAsMainWindow(app, dialog);
    ASSERT_EQ(engine.requests.size(), 1u);
    EXPECT_EQ(engine.requests[0].command, HELP_CONTEXT);
    EXPECT_EQ(engine.requests[0].data, kDialogHelpContextBase + kVisibleDialog);
    EXPECT_EQ(engine.requests[0].file, "C:\\tests\\HELPTEST.HLP");
}

TEST(ContextHelp, ModifiedHelpRequestsStartNothing) {
    HelpApp app;
    HelpEngine engine(TRUE);
    HelpDialog dialog(kVisibleDialog);
    dialog.onKick = [&] {
        BYTE keys[256];
        for (int modifier : {VK_SHIFT, VK_CONTROL, VK_MENU}) {
            GetKeyboardState(keys);
            keys[modifier] = 0x80;
            SetKeyboardState(keys);
            HELPINFO info = {sizeof info, HELPINFO_WINDOW, 0, nullptr, 0, {0, 0}};
            SendMessageA(dialog.windowHandle, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
            keys[modifier] = 0;
            SetKeyboardState(keys);
        }
        dialog.CloseDialog(IDCANCEL);
    };
    RunAsMainWindow(app, dialog);
    EXPECT_TRUE(engine.requests.empty());
}

TEST(ContextHelp, FailedStartIsReportedOnceAndF1InTheReportDoesNotRetry) {
    HelpApp app;
    HelpEngine engine(FALSE);
    BoxWatcher watcher(&app);
    HelpDialog dialog(kVisibleDialog);
    watcher.onBox = [&](HWND box) {
        // F1 inside the report asks for help on the report itself.
        HELPINFO info = {sizeof info, HELPINFO_WINDOW, 0, box, 0, {0, 0}};
        SendMessageA(box, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        SendMessageA(dialog.windowHandle, WM_COMMAND, ID_HELP_COMMAND, 0);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    };
    dialog.onKick = [&] {
        SendMessageA(dialog.windowHandle, WM_COMMAND, ID_HELP_COMMAND, 0);
        dialog.onKick = [&] { dialog.CloseDialog(IDCANCEL); };
    };
    RunAsMainWindow(app, dialog);
    EXPECT_EQ(engine.requests.size(), 1u) << "no second attempt from inside the report";
    ASSERT_EQ(watcher.boxes.size(), 1u);
    EXPECT_EQ(watcher.promptContexts[0], 0x3F107u);
    EXPECT_EQ(app.promptContext, 0u);
}

namespace {

// A window whose commands throw the framework's exceptions.
class ThrowingWnd : public CWnd {
    LUM_DECLARE_MESSAGE_MAP(ThrowingWnd)
public:
    void OnCommand() { RaiseResourceException(); }
};

LUM_BEGIN_MESSAGE_MAP(ThrowingWnd, CWnd)
LUM_ON_COMMAND(0x8101, OnCommand)
LUM_END_MESSAGE_MAP(ThrowingWnd, CWnd)

} // namespace

// This program's string table has no text for the exception: the report
// falls back to the prompt text chosen for the message.
TEST(ExceptionReport, MenuCommandThatThrowsReportsTheCommandPrompt) {
    HelpApp app;
    BoxWatcher watcher(&app);
    ThrowingWnd w;
    ASSERT_TRUE(w.CreateWithStyles(0, nullptr, "throws", WS_OVERLAPPEDWINDOW, 0, 0, 100, 80,
                                   nullptr, nullptr, nullptr));
    wintest::PlainWindow button("BUTTON", WS_CHILD, w.windowHandle, 0x8101);
    // A menu or accelerator command (no control): counted as handled.
    EXPECT_EQ(SendMessageA(w.windowHandle, WM_COMMAND, 0x8101, 0), 1);
    // From a control: the internal-error prompt.
    SendMessageA(w.windowHandle, WM_COMMAND, 0x8101, reinterpret_cast<LPARAM>(button.handle));
    char commandFailed[128] = {};
    char internalError[128] = {};
    LoadStringA(GetModuleHandleA(nullptr), 0xF109, commandFailed, sizeof commandFailed);
    LoadStringA(GetModuleHandleA(nullptr), 0xF108, internalError, sizeof internalError);
    ASSERT_EQ(watcher.boxes.size(), 2u);
    EXPECT_EQ(Ansi(watcher.boxes[0].text), commandFailed);
    EXPECT_EQ(Ansi(watcher.boxes[1].text), internalError);
    EXPECT_EQ(watcher.boxes[0].icon, SystemIcon(IDI_HAND)) << "a resource failure stops";
    EXPECT_EQ(Ansi(watcher.boxes[0].caption), "HelpTests");
    w.DestroyHandle();
}

namespace {

std::string TempIniPath() {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "lumprofile.ini";
}

DWORD ReadDword(const char* path, const char* name, DWORD* type) {
    HKEY key = nullptr;
    DWORD value = 0;
    DWORD size = sizeof value;
    *type = REG_NONE;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
    }
    return size == sizeof value ? value : 0xFFFFFFFF;
}

} // namespace

TEST(ProfileStore, IniBranchWritesTheEntryUnderItsSection) {
    HelpApp app;
    const std::string path = TempIniPath();
    DeleteFileA(path.c_str());
    free(app.profileName);
    app.profileName = _strdup(path.c_str());
    EXPECT_TRUE(app.StoreProfileInteger("Settings", "PreviewPages", 2));
    char text[16] = {};
    GetPrivateProfileStringA("Settings", "PreviewPages", "", text, sizeof text, path.c_str());
    EXPECT_STREQ(text, "2");
    DeleteFileA(path.c_str());
}

TEST(ProfileStore, RegistryBranchWritesAFourByteDword) {
    HelpApp app;
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\LumTestMaker");
    app.registryKey = _strdup("LumTestMaker");
    free(app.profileName);
    app.profileName = _strdup("LumTestProfile");
    EXPECT_TRUE(app.StoreProfileInteger("Settings", "PreviewPages", 2));
    DWORD type = REG_NONE;
    EXPECT_EQ(ReadDword("Software\\LumTestMaker\\LumTestProfile\\Settings", "PreviewPages", &type),
              2u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\LumTestMaker");
}

TEST(ProfileStore, StandardSettingsWriteNothingWithoutPreviewPages) {
    HelpApp app;
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\LumTestMaker");
    app.registryKey = _strdup("LumTestMaker");
    free(app.profileName);
    app.profileName = _strdup("LumTestProfile");
    app.SaveStandardSettings();
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\LumTestMaker", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    app.previewPages = 3;
    app.SaveStandardSettings();
    DWORD type = REG_NONE;
    EXPECT_EQ(ReadDword("Software\\LumTestMaker\\LumTestProfile\\Settings", "PreviewPages", &type),
              3u);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\LumTestMaker");
}
