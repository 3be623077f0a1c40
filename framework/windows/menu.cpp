#include "framework/windows/menu.h"

#include "framework/windows/handle_table.h"

LUM_IMPLEMENT_CREATABLE(CMenu, CObject)

CMenu::~CMenu() {
    DestroyHandle();
}

CMenu* CMenu::ObjectFor(HMENU handle) {
    return static_cast<CMenu*>(GetMenuTable(TRUE)->ObjectFor(handle));
}

CMenu* CMenu::PermanentObjectFor(HMENU handle) {
    CHandleTable* table = GetMenuTable(FALSE);
    return table != nullptr ? static_cast<CMenu*>(table->FindPermanent(handle)) : nullptr;
}

HMENU CMenu::Unbind() {
    HMENU handle = menuHandle;
    if (handle != nullptr) {
        if (CHandleTable* table = GetMenuTable(FALSE)) {
            table->UnbindPermanent(handle);
        }
    }
    menuHandle = nullptr;
    return handle;
}

BOOL CMenu::DestroyHandle() {
    if (menuHandle == nullptr) {
        return FALSE;
    }
    return DestroyMenu(Unbind());
}
