// A library planted beside the tool under the name of a system library it
// imports (comctl32.dll), or in the current folder, is never loaded.
#include "reliability/reliability_support.h"

#include <string>

namespace {

std::string Folder(const std::string& path) {
    return path.substr(0, path.find_last_of("\\/"));
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

BOOL CALLBACK CloseToolDialog(HWND window, LPARAM) {
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (IsWindowVisible(window) && lstrcmpA(name, "#32770") == 0) {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    return TRUE;
}

struct ToolWindows {
    bool shown = false;
};

BOOL CALLBACK NoteShown(HWND window, LPARAM seen) {
    if (IsWindowVisible(window)) {
        reinterpret_cast<ToolWindows*>(seen)->shown = true;
    }
    return TRUE;
}

TEST(DllPlanting, PlantedSystemLibraryBesideToolIsNotLoaded) {
    char own[MAX_PATH];
    GetModuleFileNameA(nullptr, own, MAX_PATH);
    const std::string planted = Folder(own) + "\\lum_planted_library.dll";
    ASSERT_TRUE(Exists(planted)) << planted;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder =
        std::string(temp) + "lum_planting_" + std::to_string(GetCurrentProcessId());
    const std::string current = folder + "\\current";
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA(current.c_str(), nullptr);
    const std::string tool = folder + "\\LUMCFG.EXE";
    const std::string mark = folder + "\\loaded.mark";
    char toolSource[MAX_PATH];
    GetFullPathNameA(LUM_RELIABILITY_TOOL_PATH, MAX_PATH, toolSource, nullptr);
    std::string source = toolSource;
    if (!Exists(source)) {
        // A host path: the Z: drive maps the host's root.
        source = std::string("Z:") + LUM_RELIABILITY_TOOL_PATH;
        for (char& c : source) {
            c = c == '/' ? '\\' : c;
        }
    }
    ASSERT_TRUE(CopyFileA(source.c_str(), tool.c_str(), FALSE)) << source;
    ASSERT_TRUE(CopyFileA(planted.c_str(), (folder + "\\comctl32.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(planted.c_str(), (current + "\\comctl32.dll").c_str(), FALSE));
    DeleteFileA(mark.c_str());
    SetEnvironmentVariableA("LUM_PLANTED_MARK", mark.c_str());

    std::string command = "\"" + tool + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, current.c_str(), &startup, &process);
    SetEnvironmentVariableA("LUM_PLANTED_MARK", nullptr);
    ASSERT_TRUE(started);
    // The tool's dialog shows once every library is in; then it is cancelled.
    ToolWindows seen;
    const ULONGLONG deadline = GetTickCount64() + 60000;
    while (!seen.shown && GetTickCount64() < deadline &&
           WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
        EnumThreadWindows(process.dwThreadId, NoteShown, reinterpret_cast<LPARAM>(&seen));
    }
    EXPECT_TRUE(seen.shown) << "the tool showed no window";
    const bool loaded = Exists(mark);
    EnumThreadWindows(process.dwThreadId, CloseToolDialog, 0);
    if (WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_FALSE(loaded) << "the tool loaded comctl32.dll from its own or the current folder";

    DeleteFileA(mark.c_str());
    DeleteFileA(tool.c_str());
    DeleteFileA((folder + "\\comctl32.dll").c_str());
    DeleteFileA((current + "\\comctl32.dll").c_str());
    RemoveDirectoryA(current.c_str());
    RemoveDirectoryA(folder.c_str());
}

} // namespace
