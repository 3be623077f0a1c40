// The capture driver's two settings in the registry: HKEY_CLASSES_ROOT\Bt848\<name>,
// default value, decimal text.
#pragma once

#include <windows.h>

int ReadSetting(const char* name, int defaultValue);
BOOL WriteSetting(const char* name, int value);
int ShowSettingsError(HWND owner, const char* text);

// Decimal text to a 32-bit integer: leading white space, optional sign,
// digits up to the first non-digit; saturates at the 32-bit range.
int ParseSettingText(const char* text);

namespace settings_store_internal {

// The call that stores a setting's text. No registry refuses a value on a key it
// has just opened for writing, so tests stand in a refusing call here.
using SetValueCall = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD);
extern SetValueCall setValue;

} // namespace settings_store_internal
