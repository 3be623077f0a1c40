// The framework's own numbers, in one place: private window messages, the
// commands it handles, the string ids of its prompts, the bases of help
// contexts and the codes of reflected messages.
#pragma once

#include <windows.h>

// Private window messages.
constexpr UINT WM_LUM_CTLCOLOR = 0x0019; // the control-color messages, folded into one
constexpr UINT WM_LUM_WNDPROC_PROBE = 0x0360;
// Asks a bar for its share of the parent's client area (lParam: BarLayout*).
constexpr UINT WM_LUM_SIZE_PARENT = 0x0361;
constexpr UINT WM_LUM_IDLEUPDATECMDUI = 0x0363;
constexpr UINT WM_LUM_INITIAL_UPDATE = 0x0364;
constexpr UINT WM_LUM_COMMAND_HELP = 0x0365;
constexpr UINT WM_LUM_HELP_HIT_TEST = 0x0366;
// Sent to a dialog once per idle pass of its modal loop, posted to make the
// thread's loop look at idle work again.
constexpr UINT WM_LUM_KICKIDLE = 0x036A;
constexpr UINT WM_LUM_CENTER_TARGET = 0x036B;
constexpr UINT WM_LUM_ACTIVATE_TOPLEVEL = 0x036E;
constexpr UINT WM_LUM_QUERY3DCONTROLS = 0x036F;

// System message numbers that the headers do not name.
// RegisterWindowMessage hands out numbers from here up.
constexpr UINT kFirstRegisteredMessage = 0xC000;
// The system's caret-blink timer (WM_SYSTIMER).
constexpr UINT kSystemTimerMessage = 0x0118;
// The last keyboard message before WM_UNICHAR, where Windows 95 ends them.
constexpr UINT kLastKeyMessage = 0x0108;

// Commands.
constexpr UINT ID_RECENT_FILE_FIRST = 0xE110;
constexpr UINT ID_RECENT_FILE_LAST = 0xE11F;
constexpr UINT ID_EXIT_COMMAND = 0xE141;
constexpr UINT ID_HELP_COMMAND = 0xE146;
constexpr UINT ID_DEFAULT_HELP_COMMAND = 0xE147;

// String ids of the framework's prompts.
constexpr UINT IDS_NO_ERROR_MESSAGE = 0xF020;
constexpr UINT IDS_HELP_FAILED = 0xF107;
constexpr UINT IDS_INTERNAL_ERROR = 0xF108;
constexpr UINT IDS_COMMAND_FAILED = 0xF109;

// Help contexts: a dialog's is its template id above this base, a prompt's
// its string id above the other.
constexpr DWORD kDialogHelpContextBase = 0x20000;
constexpr DWORD kPromptHelpContextBase = 0x30000;

// A message reflected back to the control that caused it arrives as this
// base plus its number; commands and notifications so have their own codes.
constexpr UINT kReflectBase = 0xBC00;
constexpr UINT kReflectedCommand = kReflectBase + WM_COMMAND;
constexpr UINT kReflectedNotify = kReflectBase + WM_NOTIFY;
