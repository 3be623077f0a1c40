// The look at 4.0 and later stays idle; the cases that need an older system
// run in a copy of this program that Wine tells it is 3.51.
#include <cstdio>
#include <string>
#include "framework/look3d/look3d_state.h"
#include "framework/runtime/state.h"
#include "framework/windows/dialog.h"
#include "framework/windows/window_proc.h"
#include "look3d/look3d_test_support.h"

using namespace look3dtest;

namespace {

constexpr char kOldCopy[] = "look3d_old_tests.exe";

std::string OwnDirectory() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string directory(path);
    return directory.substr(0, directory.find_last_of("\\/") + 1);
}

// The per-program version setting of the copy, removed again at the end.
class VersionSetting {
public:
    VersionSetting() {
        std::string key = std::string("Software\\Wine\\AppDefaults\\") + kOldCopy;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &handle, nullptr) == ERROR_SUCCESS) {
            static const char kVersion[] = "nt351";
            ok = RegSetValueExA(handle, "Version", 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(kVersion),
                                sizeof kVersion) == ERROR_SUCCESS;
        }
    }
    ~VersionSetting() {
        if (handle != nullptr) {
            RegDeleteValueA(handle, "Version");
            RegCloseKey(handle);
            std::string key = std::string("Software\\Wine\\AppDefaults\\") + kOldCopy;
            RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
        }
    }
    VersionSetting(const VersionSetting&) = delete;
    VersionSetting& operator=(const VersionSetting&) = delete;
    HKEY handle = nullptr;
    bool ok = false;
};

class Handle {
public:
    explicit Handle(HANDLE h = nullptr) : h(h) {}
    ~Handle() {
        if (h != nullptr && h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE h;
};

// Runs the copy with a filter; its output goes to a file that is printed.
DWORD RunOldCopy(const std::string& filter, std::string* output) {
    std::string directory = OwnDirectory();
    std::string log = directory + "look3d_old_tests_" + std::to_string(GetTickCount()) + ".log";
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    Handle file(CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0,
                            nullptr));
    if (file.h == INVALID_HANDLE_VALUE) {
        return 0xFFFFFFFF;
    }
    std::string command =
        "\"" + directory + kOldCopy + "\" --gtest_color=no --gtest_filter=" + filter;
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = file.h;
    start.hStdError = file.h;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        directory.c_str(), &start, &process)) {
        return 0xFFFFFFFE;
    }
    Handle processHandle(process.hProcess);
    Handle threadHandle(process.hThread);
    DWORD code = 0xFFFFFFFD;
    if (WaitForSingleObject(process.hProcess, 200000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &code);
    } else {
        TerminateProcess(process.hProcess, 99);
    }
    CloseHandle(file.h);
    file.h = nullptr;
    if (FILE* in = fopen(log.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, in)) > 0) {
            output->append(buffer, n);
        }
        fclose(in);
    }
    DeleteFileA(log.c_str());
    return code;
}

TEST(Look3dSystemVersion, OldSystemCasesPassUnderVersion351) {
    if (OldSystem()) {
        GTEST_SKIP() << "this is the copy";
    }
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string copy = OwnDirectory() + kOldCopy;
    ASSERT_TRUE(CopyFileA(self, copy.c_str(), FALSE));
    VersionSetting setting;
    ASSERT_TRUE(setting.ok);
    // The framework case needs a process of its own: its state is made once.
    for (const char* filter :
         {"Look3dCore*:Look3dPaint*:Look3dScreen*:Look3dLabel*", "Look3dFramework*"}) {
        std::string output;
        DWORD code = RunOldCopy(filter, &output);
        EXPECT_EQ(code, 0u) << output;
        EXPECT_NE(output.find("[  PASSED  ]"), std::string::npos) << output;
        EXPECT_EQ(output.find("SKIPPED"), std::string::npos) << output;
        printf("%s", output.c_str());
    }
    DeleteFileA(copy.c_str());
}

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
        GTEST_SKIP() << "needs a system older than 4.0";
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
