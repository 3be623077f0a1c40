// Loaded into the tool's process by a message hook of the driver: reads
// what only the owning process can read (menus, icons) and hands it back.
#include "probe_protocol.h"

#include <memory>

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct ViewUnmapper {
    void operator()(void* view) const { UnmapViewOfFile(view); }
};
using UniqueView = std::unique_ptr<void, ViewUnmapper>;

struct ObjectDeleter {
    void operator()(void* object) const { DeleteObject(object); }
};
using UniqueObject = std::unique_ptr<void, ObjectDeleter>;

void ReadSystemMenu(e2eprobe::Block& block) {
    HMENU menu = GetSystemMenu(block.window, FALSE);
    block.itemCount = menu != nullptr ? GetMenuItemCount(menu) : -1;
    for (int i = 0; i < block.itemCount && i < e2eprobe::kMaxItems; ++i) {
        e2eprobe::MenuItem& item = block.items[i];
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = item.text;
        info.cch = e2eprobe::kTextLength;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) {
            item.id = 0xFFFFFFFF;
            continue;
        }
        item.id = info.wID;
        item.type = info.fType;
        item.state = info.fState;
    }
}

e2eprobe::IconShape ShapeOf(HICON icon) {
    e2eprobe::IconShape shape = {};
    ICONINFO info = {};
    if (icon == nullptr || !GetIconInfo(icon, &info)) {
        return shape;
    }
    const UniqueObject color(info.hbmColor);
    const UniqueObject mask(info.hbmMask);
    shape.known = TRUE;
    shape.isIcon = info.fIcon;
    shape.hasColor = info.hbmColor != nullptr;
    BITMAP bitmap = {};
    if (info.hbmColor != nullptr && GetObjectW(info.hbmColor, sizeof bitmap, &bitmap) != 0) {
        shape.width = bitmap.bmWidth;
        shape.height = bitmap.bmHeight;
        shape.bitsPerPixel = bitmap.bmBitsPixel;
    }
    return shape;
}

UINT_PTR Ask(HWND window, UINT message, WPARAM wParam) {
    return static_cast<UINT_PTR>(SendMessageW(window, message, wParam, 0));
}

void ReadIcons(e2eprobe::Block& block) {
    block.dragIcon = Ask(block.window, WM_QUERYDRAGICON, 0);
    block.bigIcon = Ask(block.window, WM_GETICON, ICON_BIG);
    block.smallIcon = Ask(block.window, WM_GETICON, ICON_SMALL);
    block.resourceIcon =
        reinterpret_cast<UINT_PTR>(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128)));
    block.shape = ShapeOf(reinterpret_cast<HICON>(block.dragIcon));
    block.iconic = IsIconic(block.window);
    GetClientRect(block.window, &block.client);
}

BOOL CALLBACK FindIconControl(HWND control, LPARAM found) {
    if ((GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HWND*>(found) = control;
        return FALSE;
    }
    return TRUE;
}

void ReadMessageBoxIcon(e2eprobe::Block& block) {
    HWND control = nullptr;
    EnumChildWindows(block.window, FindIconControl, reinterpret_cast<LPARAM>(&control));
    block.shownIcon = control != nullptr ? Ask(control, STM_GETICON, 0) : 0;
    // IDI_WARNING, in wide form.
    block.warningIcon = reinterpret_cast<UINT_PTR>(LoadIconW(nullptr, MAKEINTRESOURCEW(32515)));
}

// The program's own import slot for a function, where its calls go.
void** ImportSlot(const char* function) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; imports.VirtualAddress != 0 && entry->Name != 0; ++entry) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
        auto* slots = reinterpret_cast<void**>(base + entry->FirstThunk);
        for (int i = 0; names[i].u1.AddressOfData != 0; ++i) {
            auto* byName =
                reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData);
            if (!IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal) &&
                lstrcmpA(reinterpret_cast<char*>(byName->Name), function) == 0) {
                return &slots[i];
            }
        }
    }
    return nullptr;
}

bool WriteSlot(void** slot, void* value) {
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) {
        return false;
    }
    *slot = value;
    VirtualProtect(slot, sizeof *slot, old, &old);
    return true;
}

// Fails once, as BeginPaint does for a window it cannot paint, and puts the
// real function back.
LONG& PaintFailures() {
    static LONG count = 0;
    return count;
}

HDC WINAPI FailOnce(HWND, PAINTSTRUCT*) {
    ++PaintFailures();
    WriteSlot(ImportSlot("BeginPaint"), reinterpret_cast<void*>(&BeginPaint));
    return nullptr;
}

BOOL ArmPaintFailure() {
    void** slot = ImportSlot("BeginPaint");
    return slot != nullptr && WriteSlot(slot, reinterpret_cast<void*>(&FailOnce));
}

void Answer(DWORD driver) {
    wchar_t name[64];
    e2eprobe::BlockName(driver, name);
    const UniqueHandle mapping(OpenFileMappingW(FILE_MAP_WRITE | FILE_MAP_READ, FALSE, name));
    if (mapping == nullptr) {
        return;
    }
    const UniqueView view(MapViewOfFile(mapping.get(), FILE_MAP_WRITE | FILE_MAP_READ, 0, 0,
                                        sizeof(e2eprobe::Block)));
    if (view == nullptr) {
        return;
    }
    auto& block = *static_cast<e2eprobe::Block*>(view.get());
    block.paintFailures = PaintFailures();
    switch (block.request) {
    case e2eprobe::kReadSystemMenu:
        ReadSystemMenu(block);
        break;
    case e2eprobe::kReadIcons:
        ReadIcons(block);
        break;
    case e2eprobe::kReadMessageBoxIcon:
        ReadMessageBoxIcon(block);
        break;
    case e2eprobe::kReadSystemVersion:
        block.systemVersion = GetVersion();
        break;
    case e2eprobe::kReadCodePage:
        block.codePage = GetACP();
        break;
    case e2eprobe::kFailNextPaint:
        block.paintFailureArmed = ArmPaintFailure();
        break;
    default:
        break;
    }
    block.answered = TRUE;
    e2eprobe::DoneEventName(driver, name);
    const UniqueHandle done(OpenEventW(EVENT_MODIFY_STATE, FALSE, name));
    if (done != nullptr) {
        SetEvent(done.get());
    }
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    ProbeHook(int code, WPARAM removal, LPARAM lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    // Only registered messages can be requests; others cost no atom look-up.
    if (code == HC_ACTION && removal == PM_REMOVE && message->message >= 0xC000 &&
        message->message == RegisterWindowMessageW(e2eprobe::kRequestMessage)) {
        Answer(static_cast<DWORD>(message->wParam));
        message->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}
