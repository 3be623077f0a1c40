// Window classes that the framework registers on request.
#pragma once

#include <windows.h>

enum StandardClassRequest : UINT {
    kClassWnd = 0x01,
    kClassControlBar = 0x02,
    kClassMdiFrame = 0x04,
    kClassFrameOrView = 0x08,
    kClassCommonControls = 0x10,
    kClassOleControl = 0x20,
};

BOOL RegisterClassOnce(WNDCLASSA* windowClass);
// A class name for these attributes, registering the class when new; valid
// until the thread's next call.
const char* MakeWindowClassName(UINT style, HCURSOR cursor, HBRUSH background, HICON icon);
BOOL RegisterStandardClasses(UINT requests);
