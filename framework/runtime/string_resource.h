// Loading text from the module's string table.
#pragma once

#include <windows.h>

// Loads string `id` from the current module's resources into `buffer`
// (ANSI code page); on failure the buffer holds an empty text. Returns the
// bytes copied, terminator excluded.
int LoadStringResource(UINT id, char* buffer, int bufferSize);
