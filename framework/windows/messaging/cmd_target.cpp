#include "framework/windows/messaging/cmd_target.h"

#include <cstring>
#include "framework/runtime/global_locks.h"
#include "framework/runtime/state.h"
#include "framework/windows/handles/menu.h"
#include "framework/windows/messaging/window.h"

LUM_IMPLEMENT_CLASS(CCmdTarget, CObject)

namespace {

const MessageMapEntry cmdTargetEntries[] = {{0, 0, 0, 0, 0, nullptr}};
const CommandTranslationEntry cmdTargetCommands[] = {{nullptr, 0, 0}};
const DWORD dormantTableEnd[4] = {};
const DormantClassTable emptyDormantTable = {nullptr, dormantTableEnd};

BOOL SameGroup(const GUID* a, const GUID* b) {
    if (a == nullptr || b == nullptr) {
        return a == b;
    }
    return memcmp(a, b, sizeof(GUID)) == 0;
}

BOOL TranslateCommand(const CommandTranslationTable* table, UINT command,
                      CCmdTranslation* request) {
    // Without a request there is no group to match and nowhere to answer.
    if (request == nullptr) {
        return FALSE;
    }
    for (; table != nullptr; table = table->base) {
        for (const CommandTranslationEntry* e = table->entries; e->command != 0 && e->id != 0;
             ++e) {
            if (e->command == command && SameGroup(e->group, request->group)) {
                request->id = e->id;
                return TRUE;
            }
        }
    }
    return FALSE;
}

} // namespace

const MessageMap CCmdTarget::messageMap = {nullptr, cmdTargetEntries};
const CommandTranslationTable CCmdTarget::commandTable = {nullptr, cmdTargetCommands};

const MessageMap* CCmdTarget::GetClassMessageMap() const {
    return &messageMap;
}

const CommandTranslationTable* CCmdTarget::GetClassCommandTable() const {
    return &commandTable;
}

const DormantClassTable* CCmdTarget::GetClassAutomationTable() const {
    return &emptyDormantTable;
}

const DormantClassTable* CCmdTarget::GetClassConnectionTable() const {
    return &emptyDormantTable;
}

const DormantClassTable* CCmdTarget::GetClassInterfaceTable() const {
    return &emptyDormantTable;
}

const DormantClassTable* CCmdTarget::GetClassEventSinkTable() const {
    return &emptyDormantTable;
}

void CCmdTarget::DeleteAfterLastRelease() {
    {
        CriticalSectionLock lock(GlobalLockSection(kLockTypeLibraries));
        if (TypeLibraryCache* cache = GetTypeLibraryCache()) {
            cache->Release();
        }
    }
    delete this;
}

HRESULT CCmdTarget::LoadTypeLibrary(LCID, void** library) {
    if (library != nullptr) {
        *library = nullptr;
    }
    return TYPE_E_CANTLOADLIBRARY;
}

BOOL CCmdTarget::RouteCommand(UINT id, int code, void* extra, CommandHandlerInfo* info) {
    if (code == kRouteControlEvent) {
        // No control-event manager exists: nothing embeds controls here.
        return FALSE;
    }
    if (code == kRouteTranslate) {
        return TranslateCommand(GetClassCommandTable(), id, static_cast<CCmdTranslation*>(extra));
    }
    UINT message = 0;
    UINT notification = static_cast<UINT>(code);
    if (code != kRouteUpdateUi) {
        message = static_cast<UINT>(code) >> 16;
        notification = static_cast<UINT>(code) & 0xFFFF;
    }
    if (message == 0) {
        message = WM_COMMAND;
    }
    for (const MessageMap* map = GetClassMessageMap(); map != nullptr; map = map->base) {
        if (const MessageMapEntry* e = LookUpMapEntry(map->entries, message, notification, id)) {
            return InvokeCommandHandler(this, id, static_cast<int>(notification), e->handler, extra,
                                        static_cast<UINT>(e->signature), info);
        }
    }
    return FALSE;
}

BOOL mapform::UpdateHandlerAnswer(CCmdUI* ui) {
    BOOL handled = !ui->continueRouting;
    ui->continueRouting = FALSE;
    return handled;
}

BOOL InvokeCommandHandler(CCmdTarget* target, UINT id, int, MapHandler handler, void* extra,
                          UINT signature, CommandHandlerInfo* info) {
    if (info != nullptr) {
        info->target = target;
        info->handler = handler;
        return TRUE;
    }
    return mapform::RouteByCode(LumCommandForm::AllForms{}, signature, target, handler, id, extra);
}

void CCmdUI::SetEnabled(BOOL on) {
    if (menu != nullptr) {
        if (subMenu != nullptr) {
            return;
        }
        EnableMenuItem(menu->menuHandle, index,
                       on ? MF_BYPOSITION : (MF_BYPOSITION | MF_DISABLED | MF_GRAYED));
    } else if (otherWindow != nullptr) {
        HWND control = otherWindow->windowHandle;
        if (!on && GetFocus() == control) {
            HWND parent = GetParent(control);
            HWND next = GetNextDlgTabItem(parent, control, FALSE);
            SetFocus(next);
        }
        EnableWindow(control, on);
    }
    enableChanged = TRUE;
}

void CCmdUI::SetChecked(int state) {
    if (menu != nullptr) {
        if (subMenu == nullptr) {
            CheckMenuItem(menu->menuHandle, index,
                          MF_BYPOSITION | (state != 0 ? MF_CHECKED : MF_UNCHECKED));
        }
    } else if (otherWindow != nullptr) {
        HWND control = otherWindow->windowHandle;
        if ((SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON) != 0) {
            SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(state), 0);
        }
    }
}

void CCmdUI::SetRadioMark(BOOL on) {
    SetChecked(on ? 1 : 0);
    if (menu != nullptr && subMenu == nullptr) {
        if (HBITMAP dot = GetRadioDotBitmap()) {
            SetMenuItemBitmaps(menu->menuHandle, index, MF_BYPOSITION, nullptr, dot);
        }
    }
}

void CCmdUI::SetItemText(const char* text) {
    if (menu != nullptr) {
        if (subMenu != nullptr) {
            return;
        }
        UINT state = GetMenuState(menu->menuHandle, index, MF_BYPOSITION);
        UINT flags = (state & 0xFFFF0000u) | (state & 0xF6FBu) | MF_BYPOSITION | MF_STRING;
        ModifyMenuA(menu->menuHandle, index, flags, id, text);
    } else if (otherWindow != nullptr) {
        // An unchanged text is left alone, so the control does not flicker.
        HWND control = otherWindow->windowHandle;
        char current[256];
        int n = GetWindowTextA(control, current, sizeof current);
        if (n != lstrlenA(text) || lstrcmpA(current, text) != 0) {
            SetWindowTextA(control, text);
        }
    }
}

BOOL CCmdUI::UpdateFrom(CCmdTarget* target, BOOL disableWithoutHandler) {
    if (id == 0 || LOWORD(id) == 0xFFFF) {
        return TRUE;
    }
    enableChanged = FALSE;
    BOOL result = target->RouteCommand(id, kRouteUpdateUi, this, nullptr);
    if (disableWithoutHandler && !enableChanged) {
        CommandHandlerInfo info = {nullptr, nullptr};
        SetEnabled(target->RouteCommand(id, 0, this, &info));
    }
    return result;
}

void CCmdEnableProbe::SetEnabled(BOOL on) {
    enableChanged = TRUE;
    enabled = on;
}

HBITMAP GetRadioDotBitmap() {
    DisplayData& display = GetDisplayData();
    if (display.radioDotBitmap != nullptr) {
        return display.radioDotBitmap;
    }
    LONG dims = GetMenuCheckMarkDimensions();
    int width = static_cast<SHORT>(LOWORD(dims));
    int height = static_cast<SHORT>(HIWORD(dims));
    width = width > 32 ? 32 : width;
    height = height > 32 ? 32 : height;
    int wordsPerRow = (width + 15) / 16;
    int shift = (width - 4) / 2 + 16 * wordsPerRow - width;
    shift = shift > 12 ? 12 : shift;
    BYTE bits[128];
    memset(bits, 0xFF, sizeof bits);
    static const WORD dotRows[5] = {0x06, 0x0F, 0x0F, 0x0F, 0x06};
    int rowBytes = 2 * wordsPerRow;
    int firstRow = (height - 6) / 2;
    for (int i = 0; i < 5; ++i) {
        int row = firstRow + i;
        if (row < 0 || (row + 1) * rowBytes > static_cast<int>(sizeof bits)) {
            continue;
        }
        WORD value = static_cast<WORD>(~(dotRows[i] << shift));
        bits[row * rowBytes] = HIBYTE(value);
        bits[row * rowBytes + 1] = LOBYTE(value);
    }
    display.radioDotBitmap = CreateBitmap(width, height, 1, 1, bits);
    if (display.radioDotBitmap == nullptr) {
        display.radioDotBitmap = LoadBitmapA(nullptr, MAKEINTRESOURCEA(32739));
    }
    return display.radioDotBitmap;
}
