#include "framework/windows/handles/menu.h"

#include "framework/runtime/state.h"
#include "framework/windows/handles/handle_table.h"

LUM_IMPLEMENT_CREATABLE(CMenu, CObject)

namespace {
using Menus = WrapperTable<CMenu, &CMenu::menuHandle, &ModuleThreadState::menuTable>;
} // namespace

CHandleTable* GetMenuTable(BOOL create) {
    return Menus::Table(create);
}

CMenu::~CMenu() {
    DestroyHandle();
}

CMenu* CMenu::ObjectFor(HMENU handle) {
    return Menus::ObjectFor(handle);
}

CMenu* CMenu::PermanentObjectFor(HMENU handle) {
    return Menus::PermanentObjectFor(handle);
}

HMENU CMenu::Unbind() {
    return Menus::Unbind(*this);
}

BOOL CMenu::DestroyHandle() {
    if (menuHandle == nullptr) {
        return FALSE;
    }
    return DestroyMenu(Unbind());
}

BOOL CMenu::TrackPopup(UINT flags, int x, int y, HWND owner) {
    // A measuring request carries no menu handle: the owner finds the items
    // through these while this menu is up. A popup tracked from a handler of
    // another one gives the outer one back when it closes.
    class TrackingScope {
    public:
        TrackingScope(HWND window, HMENU menu)
            : thread(GetThreadState()), savedWindow(thread->trackingWindow),
              savedMenu(thread->trackingMenu) {
            thread->trackingWindow = window;
            thread->trackingMenu = menu;
        }
        ~TrackingScope() {
            thread->trackingWindow = savedWindow;
            thread->trackingMenu = savedMenu;
        }
        TrackingScope(const TrackingScope&) = delete;
        TrackingScope& operator=(const TrackingScope&) = delete;

    private:
        ThreadState* thread;
        HWND savedWindow;
        HMENU savedMenu;
    };
    TrackingScope scope(owner, menuHandle);
    return TrackPopupMenu(menuHandle, flags, x, y, 0, owner, nullptr);
}
