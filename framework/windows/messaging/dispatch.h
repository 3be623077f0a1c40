// From a window object's HandleMessage to the handler in its message map.
#pragma once

#include <windows.h>
#include "framework/runtime/framework_ids.h"

class CMenu;
class CWnd;

// What the private color message carries by address.
struct ControlColorRecord {
    HWND window;
    HDC dc;
    UINT type; // message number minus WM_CTLCOLORMSGBOX
};
static_assert(sizeof(ControlColorRecord) == 12);

void NotifyTopLevelActivation(CWnd* window, WPARAM state, CWnd* other);
BOOL BringPopupForward(CWnd* window, int hitTest, UINT mouseMessage);
CMenu* FindPopupMenu(CMenu* menu, UINT itemId);
