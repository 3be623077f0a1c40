// Menu wrapper objects: a bound CMenu owns its menu; temporaries from the
// table never destroy theirs.
#pragma once

#include <windows.h>
#include "framework/runtime/object.h"

class CMenu : public CObject {
    LUM_DECLARE_CREATABLE(CMenu)
public:
    CMenu() = default;
    ~CMenu() override;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    // Hooks for owner-drawn items.
    virtual void DrawMenuItem(DRAWITEMSTRUCT*) {}
    virtual void MeasureMenuItem(MEASUREITEMSTRUCT*) {}

    static CMenu* ObjectFor(HMENU handle);
    static CMenu* PermanentObjectFor(HMENU handle);

    HMENU Unbind();
    BOOL DestroyHandle();

    HMENU menuHandle = nullptr;
};
