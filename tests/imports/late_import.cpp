// Never run: it puts imports that the oldest systems lack into a copy of the
// program, which the import check must refuse: one first in Vista, and one
// that Windows NT 3.51 lacks (first in NT 4.0).
#include <windows.h>

extern "C" __declspec(dllimport) ULONGLONG WINAPI GetTickCount64();

ULONGLONG LateImport() {
    return GetTickCount64();
}

HBRUSH NewerImport() {
    return GetSysColorBrush(COLOR_BTNFACE);
}
