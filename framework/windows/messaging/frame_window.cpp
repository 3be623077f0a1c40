#include "framework/windows/messaging/frame_window.h"

LUM_IMPLEMENT_CREATABLE(CFrameWnd, CWnd)
