// Never run: it puts one import that Windows 95 and NT 4.0 lack (first in
// Vista) into a copy of the program, which the import check must refuse.
#include <windows.h>

extern "C" __declspec(dllimport) ULONGLONG WINAPI GetTickCount64();

ULONGLONG LateImport() {
    return GetTickCount64();
}
