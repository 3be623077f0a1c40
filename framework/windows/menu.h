// Menu wrapper objects.
#pragma once

#include <windows.h>
#include "framework/runtime/object.h"

class CMenu : public CObject {
    LUM_DECLARE_CREATABLE(CMenu)
public:
    CMenu() = default;
    ~CMenu() override = default;

    static CMenu* ObjectFor(HMENU handle);
    static CMenu* PermanentObjectFor(HMENU handle);

    HMENU menuHandle = nullptr;
};
