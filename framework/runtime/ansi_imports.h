// Two wide-character functions that the static run-time libraries import
// (the thread support's mutexes, the C run-time's code-page lookup) and that
// Windows 95, 98 and ME export only as stubs that fail. Programs that must
// run there link ansi_imports.cpp directly: its import slots then answer for
// these functions, which leave the import table, and both take the ANSI road.
#pragma once

#include <windows.h>

// A name that the ANSI code page cannot hold fails with
// ERROR_NO_UNICODE_TRANSLATION rather than open some other object.
HANDLE WINAPI CreateSemaphoreThroughAnsi(LPSECURITY_ATTRIBUTES attributes, LONG initialCount,
                                         LONG maximumCount, LPCWSTR name);
HMODULE WINAPI GetModuleHandleThroughAnsi(LPCWSTR name);
