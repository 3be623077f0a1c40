// Menu wrapper objects: a bound CMenu owns its menu; temporaries from the
// table never destroy theirs.
#pragma once

#include <windows.h>
#include "framework/runtime/object.h"

class CWnd;

class CMenu : public CObject {
    LUM_DECLARE_CREATABLE(CMenu)
public:
    CMenu() = default;
    ~CMenu() override;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    // Hooks for owner-drawn items: the owner window's map calls them for
    // items of a menu bound to this object.
    virtual void DrawMenuItem(DRAWITEMSTRUCT*) {}
    virtual void MeasureMenuItem(MEASUREITEMSTRUCT*) {}

    // Shows this menu as a popup owned by `owner` until it is dismissed.
    BOOL TrackPopup(UINT flags, int x, int y, HWND owner);
    // For a window object; defined with the window objects.
    BOOL TrackPopup(UINT flags, int x, int y, CWnd* owner);

    static CMenu* ObjectFor(HMENU handle);
    static CMenu* PermanentObjectFor(HMENU handle);

    HMENU Unbind();
    BOOL DestroyHandle();

    HMENU menuHandle = nullptr;
};

// This thread's table of these wrappers; with `create` clear an absent one stays absent.
class CHandleTable;
CHandleTable* GetMenuTable(BOOL create);
