#include "framework/windows/menu.h"

LUM_IMPLEMENT_CREATABLE(CMenu, CObject)
