// The program entry: the framework's main routine with the command tail and
// show command computed the way the system's own start-up code does.
#include <windows.h>
#include "framework/runtime/win_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    STARTUPINFOA info = {};
    info.cb = sizeof info;
    GetStartupInfoA(&info);
    int show = (info.dwFlags & STARTF_USESHOWWINDOW) != 0 ? info.wShowWindow : SW_SHOWDEFAULT;
    LPSTR tail = const_cast<LPSTR>(CommandTail(GetCommandLineA()));
    return FrameworkMain(GetModuleHandleA(nullptr), nullptr, tail, show);
}
