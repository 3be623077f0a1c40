// Planted beside a copy of the tool under a system library's name: if the
// tool ever loads it, it leaves a mark that the test looks for.
#include <windows.h>

extern "C" __declspec(dllexport) void WINAPI InitCommonControls() {}

extern "C" __declspec(dllexport) BOOL WINAPI InitCommonControlsEx(const void*) {
    return TRUE;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH];
        if (GetEnvironmentVariableA("LUM_PLANTED_MARK", path, MAX_PATH) != 0) {
            HANDLE mark = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            if (mark != INVALID_HANDLE_VALUE) {
                CloseHandle(mark);
            }
        }
    }
    return TRUE;
}
