#include "framework/windows/frame_window.h"

LUM_IMPLEMENT_CREATABLE(CFrameWnd, CWnd)
