// Frame windows: only as far as other code needs to recognize one and make
// one from its class record. Menus, bars and help mode are not built here.
#pragma once

#include <windows.h>
#include "framework/windows/messaging/window.h"

class CFrameWnd : public CWnd {
    LUM_DECLARE_CREATABLE(CFrameWnd)
public:
    CFrameWnd() = default;

    BOOL IsFrameWindow() const override { return TRUE; }
};
