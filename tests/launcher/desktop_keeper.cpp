// Keeps Wine's default desktop open for a whole test run.
//
// Wine closes the desktop a second after the last program using it ends, and
// the next program starts its process again, which then writes to that
// program's output for as long as it lives, through later programs too. A
// crash of it under the emulator would then be seen by no one. While this
// program runs, the desktop's process lives as long as the test bed, and its
// output goes where the test bed sends this program's.
#include <windows.h>

#include <cstdio>

int main() {
    // Asking for the desktop window starts the desktop's process.
    if (GetDesktopWindow() == nullptr) {
        std::printf("desktop keeper: no desktop window (error %lu)\n", GetLastError());
        return 1;
    }
    // A window of its own makes this thread one of the desktop's users;
    // message-only, so that no test that looks through the windows meets it.
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) {
        std::printf("desktop keeper: no window (error %lu)\n", GetLastError());
        return 1;
    }
    std::printf("desktop keeper: ready\n");
    std::fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    DestroyWindow(window);
    return 0;
}
