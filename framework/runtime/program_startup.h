// What the program entry hands to WinMain, computed as the system's own
// start-up code does.
#pragma once

#include <windows.h>

// The command line after the program name, which may be quoted, and after
// the blanks that follow it.
const char* CommandTail(const char* commandLine);
// The start-up information's show command when it carries one, else
// SW_SHOWDEFAULT.
int StartupShowCommand();
