// The program entry: the framework's main routine with the command tail and
// show command that the start-up code computed (CommandTail,
// StartupShowCommand).
#include <windows.h>
#include <cstdlib>
#include "framework/windows/messaging/win_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandTail, int show) {
    return FrameworkMain(instance, nullptr, commandTail, show);
}

// The library's own handler prints the exception's type to a console that a
// windowed program does not have, and pulls the whole demangler into the
// program for it.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
