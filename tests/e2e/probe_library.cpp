// Loaded into the tool's process by a message hook of the driver: reads
// what only the owning process can read (menus, icons) and hands it back.
#include "probe_protocol.h"

#include <memory>
#include "common/import_patch.h"

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

LONG& PaintFailures() {
    static LONG count = 0;
    return count;
}

// The tool's BeginPaint, pointed at FailOnce until that has run.
std::unique_ptr<ImportPatch>& PaintPatch() {
    static std::unique_ptr<ImportPatch> patch;
    return patch;
}

// Fails once, as BeginPaint does for a window it cannot paint, and puts the
// real function back.
HDC WINAPI FailOnce(HWND, PAINTSTRUCT*) {
    ++PaintFailures();
    PaintPatch().reset();
    return nullptr;
}

BOOL ArmPaintFailure() {
    PaintPatch().reset();
    PaintPatch() = std::make_unique<ImportPatch>("USER32.dll", "BeginPaint",
                                                 reinterpret_cast<void*>(&FailOnce));
    return PaintPatch()->Applied();
}

void ReadSystemVersion(e2eprobe::Block& block) {
    block.systemVersion = GetVersion();
    using VersionCall = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto rtlVersion = reinterpret_cast<VersionCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW system = {};
    system.dwOSVersionInfoSize = sizeof system;
    if (rtlVersion != nullptr && rtlVersion(&system) == 0) {
        block.ntMajor = system.dwMajorVersion;
        block.ntMinor = system.dwMinorVersion;
        block.ntBuild = system.dwBuildNumber;
    }
    // No context named: the process's own, made from the program's manifest.
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    block.runLevel = QueryActCtxW(0, nullptr, nullptr, RunlevelInformationInActivationContext,
                                  &level, sizeof level, nullptr)
                         ? level.RunLevel
                         : -1;
}

// A 32-bit top-down picture with a device context of its own.
class Canvas {
public:
    Canvas(int width, int height) : dc(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* data = nullptr;
        bitmap.reset(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &data, nullptr, 0));
        pixels = static_cast<const DWORD*>(data);
        old = SelectObject(dc, bitmap.get());
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc;
    const DWORD* pixels = nullptr;

private:
    UniqueObject bitmap;
    HGDIOBJ old = nullptr;
};

// What the icon control shows against the image the system picks for the
// icon size of this DPI, drawn on the dialog's face as the control draws it.
void ReadDrawnIcon(e2eprobe::Block& block) {
    HWND control = nullptr;
    EnumChildWindows(block.window, FindIconControl, reinterpret_cast<LPARAM>(&control));
    HMODULE program = GetModuleHandleW(nullptr);
    HRSRC group = FindResourceA(program, MAKEINTRESOURCEA(128), RT_GROUP_ICON);
    auto* directory =
        group != nullptr ? static_cast<BYTE*>(LockResource(LoadResource(program, group))) : nullptr;
    const int id = directory != nullptr
                       ? LookupIconIdFromDirectoryEx(directory, TRUE, 0, 0, LR_DEFAULTCOLOR)
                       : 0;
    HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(id), RT_ICON);
    auto* image =
        found != nullptr ? static_cast<BYTE*>(LockResource(LoadResource(program, found))) : nullptr;
    RECT client = {};
    if (control == nullptr || image == nullptr || !GetClientRect(control, &client)) {
        return;
    }
    e2eprobe::DrawnIcon& drawn = block.drawnIcon;
    drawn.read = TRUE;
    drawn.control = {client.right, client.bottom};
    drawn.imageWidth = reinterpret_cast<const BITMAPINFOHEADER*>(image)->biWidth;
    HICON icon = CreateIconFromResourceEx(image, SizeofResource(program, found), TRUE, 0x00030000,
                                          0, 0, LR_DEFAULTCOLOR);
    Canvas shown(client.right, client.bottom);
    Canvas expected(client.right, client.bottom);
    // A box just shown may not have painted yet: its paint is due only once
    // the queue holds nothing else, and this request came through the queue.
    UpdateWindow(control);
    HDC controlDc = GetDC(control);
    BitBlt(shown.dc, 0, 0, client.right, client.bottom, controlDc, 0, 0, SRCCOPY);
    ReleaseDC(control, controlDc);
    FillRect(expected.dc, &client, GetSysColorBrush(COLOR_3DFACE));
    DrawIconEx(expected.dc, 0, 0, icon, client.right, client.bottom, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
    for (LONG i = 0; i < client.right * client.bottom; ++i) {
        drawn.differingPixels += (shown.pixels[i] & 0xFFFFFF) != (expected.pixels[i] & 0xFFFFFF);
    }
}

constexpr wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

BOOL CALLBACK ReadLayoutItem(HWND control, LPARAM data) {
    auto& block = *reinterpret_cast<e2eprobe::Block*>(data);
    e2eprobe::Layout& layout = block.layout;
    if (GetParent(control) != block.window || layout.itemCount == e2eprobe::kMaxItems) {
        return TRUE;
    }
    e2eprobe::LayoutItem& item = layout.items[layout.itemCount++];
    item.id = GetDlgCtrlID(control);
    item.style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
    GetClassNameW(control, item.className, 16);
    GetWindowRect(control, &item.rect);
    MapWindowPoints(nullptr, block.window, reinterpret_cast<POINT*>(&item.rect), 2);
    wchar_t text[256] = L"";
    GetWindowTextW(control, text, 256);
    const bool noPrefix = lstrcmpiW(item.className, L"Static") == 0 && (item.style & SS_NOPREFIX);
    const UINT format = DT_CALCRECT | (noPrefix ? DT_NOPREFIX : 0);
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT line = {};
    DrawTextW(dc, text, -1, &line, format | DT_SINGLELINE);
    RECT wrapped = {0, 0, item.rect.right - item.rect.left, 0};
    DrawTextW(dc, text, -1, &wrapped, format | DT_WORDBREAK);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    item.line = {line.right, line.bottom};
    item.wrapped = {wrapped.right, wrapped.bottom};
    return TRUE;
}

void ReadLayout(e2eprobe::Block& block) {
    e2eprobe::Layout& layout = block.layout;
    HDC screen = GetDC(nullptr);
    layout.dpi = GetDeviceCaps(screen, LOGPIXELSY);
    const auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(block.window, WM_GETFONT, 0, 0));
    LOGFONTW logFont = {};
    GetObjectW(font, sizeof logFont, &logFont);
    layout.fontHeight = logFont.lfHeight;
    // The system's own rule for a dialog's base units.
    HGDIOBJ old = SelectObject(screen, font);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(screen, &metrics);
    SIZE alphabet = {};
    GetTextExtentPoint32W(screen, kAlphabet, 52, &alphabet);
    layout.baseUnits = {(alphabet.cx / 26 + 1) / 2, metrics.tmHeight};
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    layout.checkBoxWidth = GetSystemMetrics(SM_CXMENUCHECK);
    layout.edge = GetSystemMetrics(SM_CXEDGE);
    EnumChildWindows(block.window, ReadLayoutItem, reinterpret_cast<LPARAM>(&block));
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
        ReadSystemVersion(block);
        break;
    case e2eprobe::kReadCodePage:
        block.codePage = GetACP();
        break;
    case e2eprobe::kFailNextPaint:
        block.paintFailureArmed = ArmPaintFailure();
        break;
    case e2eprobe::kReadLayout:
        ReadLayout(block);
        break;
    case e2eprobe::kReadDrawnIcon:
        ReadDrawnIcon(block);
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
