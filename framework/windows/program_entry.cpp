// The program entry: the framework's main routine with the command tail and
// show command computed the way the system's own start-up code does.
#include <windows.h>
#include <cstdlib>
#include "framework/windows/win_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    STARTUPINFOA info = {};
    info.cb = sizeof info;
    GetStartupInfoA(&info);
    int show = (info.dwFlags & STARTF_USESHOWWINDOW) != 0 ? info.wShowWindow : SW_SHOWDEFAULT;
    LPSTR tail = const_cast<LPSTR>(CommandTail(GetCommandLineA()));
    return FrameworkMain(GetModuleHandleA(nullptr), nullptr, tail, show);
}

// The library's own handler prints the exception's type to a console that a
// windowed program does not have, and pulls the whole demangler (~46 KiB)
// into the program for it.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
