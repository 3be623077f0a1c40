// The code page that multibyte text handling follows, and its lead bytes.
// It starts as the system's ANSI code page; the library context sets it
// again at start-up, as an executable built on the framework expects.
#pragma once

#include <windows.h>

// CP_ACP selects the system's ANSI code page. A code page the system does
// not know leaves the state as it was and returns FALSE.
BOOL SelectMultibyteCodePage(UINT codePage);
UINT CurrentMultibyteCodePage();
// Whether the byte opens a double-byte character in that code page.
bool IsMultibyteLeadByte(BYTE byte);
