#include "framework/runtime/program_startup.h"

const char* CommandTail(const char* commandLine) {
    const char* p = commandLine;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"') {
            p = CharNextA(p);
        }
        if (*p == '"') {
            ++p;
        }
    } else {
        while (static_cast<BYTE>(*p) > ' ') {
            p = CharNextA(p);
        }
    }
    while (*p != '\0' && static_cast<BYTE>(*p) <= ' ') {
        ++p;
    }
    return p;
}

int StartupShowCommand() {
    STARTUPINFOA info = {};
    info.cb = sizeof info;
    GetStartupInfoA(&info);
    return (info.dwFlags & STARTF_USESHOWWINDOW) != 0 ? info.wShowWindow : SW_SHOWDEFAULT;
}
