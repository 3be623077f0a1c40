#include "tool_driver.h"

#include <shellapi.h>

#include <cstdlib>
#include <sstream>

#include "common/window_text.h"

namespace e2e {

namespace {

struct DialogSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialogs(HWND window, LPARAM search) {
    auto& s = *reinterpret_cast<DialogSearch*>(search);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == s.processId && IsWindowVisible(window) && HasClass(window, "#32770")) {
        s.found.push_back(window);
    }
    return TRUE;
}

INPUT KeyInput(WORD key, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = flags;
    return input;
}

INPUT MouseInput(DWORD flags, LONG x = 0, LONG y = 0) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = x;
    input.mi.dy = y;
    input.mi.dwFlags = flags;
    return input;
}

// The normalized coordinate that the system maps back to exactly this pixel.
LONG Normalized(LONG pixel, int extent) {
    return static_cast<LONG>((static_cast<long long>(pixel) * 65536 + extent - 1) / extent);
}

constexpr wchar_t kEngineClass[] = L"MS_WINHELP";

std::wstring ClassOf(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return name;
}

BOOL CALLBACK CollectEngine(HWND window, LPARAM data) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() && IsWindowVisible(window) &&
        ClassOf(window) == kEngineClass) {
        reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
    }
    return TRUE;
}

// The engine's rich text control answers a text request from another
// process with nothing; copied to the clipboard, its text comes whole.
std::wstring RichText(HWND control) {
    DWORD_PTR result = 0;
    if (!OpenClipboard(nullptr)) {
        return std::wstring();
    }
    EmptyClipboard();
    CloseClipboard();
    SendMessageTimeoutW(control, EM_SETSEL, 0, -1, SMTO_ABORTIFHUNG, kStepTimeout, &result);
    SendMessageTimeoutW(control, WM_COPY, 0, 0, SMTO_ABORTIFHUNG, kStepTimeout, &result);
    SendMessageTimeoutW(control, EM_SETSEL, 0, 0, SMTO_ABORTIFHUNG, kStepTimeout, &result);
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
                text = chars;
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
    }
    return text;
}

BOOL CALLBACK CollectText(HWND child, LPARAM data) {
    std::wstring text = ClassOf(child).find(L"RichEdit") == 0 ? RichText(child) : TextOf(child);
    if (!text.empty()) {
        *reinterpret_cast<std::wstring*>(data) += text + L"\n";
    }
    return TRUE;
}

bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

} // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeout) {
    const ULONGLONG end = GetTickCount64() + timeout;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount64() >= end) {
            return false;
        }
        // Messages other processes send to the driver's windows (a help
        // engine stand-in) arrive while it looks at its queue.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
}

std::wstring HostToWinePath(const char* hostPath) {
    std::wstring path = L"Z:";
    for (const char* p = hostPath; *p != '\0'; ++p) {
        path += *p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    }
    return path;
}

ToolRun::~ToolRun() {
    Stop();
}

bool ToolRun::Start() {
    // A run may name another copy of the program, e.g. one moved to another base.
    const char* chosen = getenv("LUM_E2E_TOOL");
    const std::wstring path =
        HostToWinePath(chosen != nullptr && *chosen != '\0' ? chosen : LUM_E2E_TOOL_PATH);
    // The shell's default verb, as a double-click: on Windows Vista and later
    // it brings up the elevation prompt that the tool's manifest asks for,
    // where CreateProcess from a caller without those rights fails.
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpFile = path.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info) || info.hProcess == nullptr) {
        ADD_FAILURE() << "LUMCFG.EXE does not start, error " << GetLastError();
        return false;
    }
    process.reset(info.hProcess);
    processId = GetProcessId(info.hProcess);
    threadId = 0;
    return true;
}

void ToolRun::Stop() {
    if (Running()) {
        TerminateProcess(process.get(), 0xDEAD);
        WaitForSingleObject(process.get(), kStepTimeout);
    }
}

HWND ToolRun::WaitForDialog() {
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
            dialog = FindDialog(processId, settingsCaption, true);
            return dialog != nullptr || !Running();
        },
        kStartTimeout);
    if (dialog != nullptr) {
        threadId = GetWindowThreadProcessId(dialog, nullptr);
    }
    return dialog;
}

bool ToolRun::WaitForExit(DWORD* exitCode, DWORD timeout) {
    // Waits pumping: the tool may be sending to one of the driver's windows.
    if (!WaitUntil([&] { return !Running(); }, timeout)) {
        return false;
    }
    return GetExitCodeProcess(process.get(), exitCode) != FALSE;
}

bool ToolRun::Running() const {
    return process != nullptr && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

std::vector<HWND> ShownDialogsOf(DWORD processId) {
    DialogSearch search{processId, {}};
    EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindDialog(DWORD processId, const std::wstring& caption, bool settingsDialog) {
    for (HWND window : ShownDialogsOf(processId)) {
        if (TextOf(window) == caption &&
            (GetDlgItem(window, IDC_USE_OVERLAY) != nullptr) == settingsDialog) {
            return window;
        }
    }
    return nullptr;
}

HWND WaitForDialog(DWORD processId, const std::wstring& caption, bool settingsDialog) {
    HWND found = nullptr;
    WaitUntil([&] {
        found = FindDialog(processId, caption, settingsDialog);
        return found != nullptr;
    });
    return found;
}

std::wstring TextOf(HWND window) {
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return text;
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kStepTimeout,
                             &result)) {
        ADD_FAILURE() << "no answer to message 0x" << std::hex << message;
    }
    return static_cast<LRESULT>(result);
}

LRESULT CheckState(HWND dialog, int id) {
    return Ask(GetDlgItem(dialog, id), BM_GETCHECK);
}

bool ControlEnabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != 0;
}

void ChooseOverlayWithoutSurface(HWND dialog) {
    ClickControl(dialog, IDC_USE_OVERLAY);
    ASSERT_TRUE(WaitUntil([&] {
        return CheckState(dialog, IDC_USE_OVERLAY) == BST_CHECKED &&
               ControlEnabled(dialog, IDC_NO_SURFACE);
    })) << "choosing the overlay enables the check box";
    ClickControl(dialog, IDC_NO_SURFACE);
    ASSERT_TRUE(WaitUntil([&] { return CheckState(dialog, IDC_NO_SURFACE) == BST_CHECKED; }));
}

void MakeVolatileDeviceKey() {
    ScopedKey device;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CLASSES_ROOT, "Bt848", 0, nullptr, REG_OPTION_VOLATILE, KEY_READ,
                              nullptr, &device.key, nullptr));
}

DialogState ReadState(HWND dialog) {
    return {CheckState(dialog, IDC_USE_OVERLAY), CheckState(dialog, IDC_NO_OVERLAY),
            CheckState(dialog, IDC_NO_SURFACE), ControlEnabled(dialog, IDC_NO_SURFACE)};
}

GUITHREADINFO GuiInfo(DWORD threadId) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(threadId, &info);
    return info;
}

bool IsActive(HWND window, DWORD threadId) {
    return GetForegroundWindow() == window && GuiInfo(threadId).hwndActive == window;
}

bool MakeActive(HWND window, DWORD threadId) {
    // Activation passing within the tool (a box that closes hands it back to
    // its owner) arrives by itself; once the window is enabled and the
    // foreground is elsewhere (another program had it, or nobody), the user
    // would bring the window forward.
    const auto foregroundIsTools = [&] {
        return GetWindowThreadProcessId(GetForegroundWindow(), nullptr) == threadId;
    };
    WaitUntil([&] {
        return IsActive(window, threadId) || (IsWindowEnabled(window) && !foregroundIsTools());
    });
    if (!IsActive(window, threadId)) {
        SetForegroundWindow(window);
    }
    return WaitUntil([&] { return IsActive(window, threadId); });
}

bool FindCloseBox(HWND window, POINT* point) {
    RECT rect = {};
    if (!GetWindowRect(window, &rect)) {
        return false;
    }
    const LONG y =
        rect.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    LONG first = -1;
    LONG last = -1;
    for (LONG x = rect.right - 1; x > rect.right - 80 && x > rect.left; --x) {
        if (Ask(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
            first = first < 0 ? x : first;
            last = x;
        } else if (first >= 0) {
            break;
        }
    }
    if (first < 0) {
        return false;
    }
    *point = POINT{(first + last) / 2, y};
    return true;
}

void PressKey(WORD key) {
    INPUT inputs[] = {KeyInput(key, 0), KeyInput(key, KEYEVENTF_KEYUP)};
    EXPECT_EQ(2u, SendInput(2, inputs, sizeof(INPUT)));
}

void PressKeyWith(WORD modifier, WORD key) {
    INPUT inputs[] = {KeyInput(modifier, 0), KeyInput(key, 0), KeyInput(key, KEYEVENTF_KEYUP),
                      KeyInput(modifier, KEYEVENTF_KEYUP)};
    EXPECT_EQ(4u, SendInput(4, inputs, sizeof(INPUT)));
}

// Mouse input at `point`, in the absolute units SendInput takes.
INPUT MouseInputAt(DWORD flags, POINT point) {
    return MouseInput(flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE,
                      Normalized(point.x, GetSystemMetrics(SM_CXSCREEN)),
                      Normalized(point.y, GetSystemMetrics(SM_CYSCREEN)));
}

void MoveMouse(POINT point) {
    // Moves the display's pointer too: otherwise the display's next motion
    // report can put the system's cursor back where the pointer still is.
    EXPECT_TRUE(SetCursorPos(point.x, point.y));
    INPUT move = MouseInputAt(0, point);
    EXPECT_EQ(1u, SendInput(1, &move, sizeof(INPUT)));
    EXPECT_TRUE(WaitUntil([&] {
        POINT now = {};
        return GetCursorPos(&now) && now.x == point.x && now.y == point.y;
    })) << "the mouse did not reach "
        << point.x << "," << point.y;
}

void PressMouse(DWORD flags, POINT point) {
    // The press carries its place: a motion report from where the display's
    // pointer was before cannot send it to another window.
    INPUT button = MouseInputAt(flags, point);
    EXPECT_EQ(1u, SendInput(1, &button, sizeof(INPUT)));
}

void ClickAt(POINT point) {
    MoveMouse(point);
    PressMouse(MOUSEEVENTF_LEFTDOWN, point);
    PressMouse(MOUSEEVENTF_LEFTUP, point);
}

namespace {

// The dialog's child that a click at `point` reaches, found as the system
// finds it in the dialog's own thread: the topmost shown child there that
// does not let the click through (HTTRANSPARENT); a disabled one takes it.
HWND ChildUnder(HWND dialog, POINT point) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect = {};
        if (!IsWindowVisible(child) || !GetWindowRect(child, &rect) || !PtInRect(&rect, point)) {
            continue;
        }
        if (!IsWindowEnabled(child) ||
            Ask(child, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y)) != HTTRANSPARENT) {
            return child;
        }
    }
    return dialog;
}

constexpr DWORD kModalModes =
    GUI_INMENUMODE | GUI_INMOVESIZE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE;

// What stands between a click at `point` and the control, or nothing when
// the control can take it: shown and enabled, on top there, its dialog
// enabled and active, and the dialog's thread waiting for input (answering,
// with no capture and in no menu or move loop).
std::string ClickBlocker(HWND dialog, HWND control, POINT point) {
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    const GUITHREADINFO info = GuiInfo(thread);
    HWND top = GetAncestor(WindowFromPoint(point), GA_ROOT);
    HWND child = nullptr;
    std::ostringstream seen;
    if (!IsWindowVisible(control) || !IsWindowEnabled(control)) {
        seen << "control visible " << IsWindowVisible(control) << ", enabled "
             << IsWindowEnabled(control);
    } else if (!IsWindowEnabled(dialog) || !IsActive(dialog, thread)) {
        seen << "dialog enabled " << IsWindowEnabled(dialog) << "; active window "
             << info.hwndActive << ", foreground " << GetForegroundWindow() << ", dialog "
             << dialog;
    } else if (top != dialog || (child = ChildUnder(dialog, point)) != control) {
        seen << "window on top there " << top << ", child there " << child;
    } else if (info.hwndCapture != nullptr || (info.flags & kModalModes) != 0) {
        seen << "capture " << info.hwndCapture << ", flags 0x" << std::hex << info.flags;
    } else {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kStepTimeout, &result)) {
            seen << "the dialog's thread does not answer";
        }
    }
    return seen.str();
}

std::string Described(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    std::ostringstream out;
    out << window << " (" << name << " " << GetDlgCtrlID(window) << ")";
    return out.str();
}

// Where the dialog's thread stood after a click that did not land.
std::string InputState(HWND dialog, HWND control, POINT point) {
    const GUITHREADINFO info = GuiInfo(GetWindowThreadProcessId(dialog, nullptr));
    std::ostringstream seen;
    seen << "capture " << Described(info.hwndCapture) << ", focus " << Described(info.hwndFocus)
         << ", under the point " << Described(WindowFromPoint(point)) << ", control state 0x"
         << std::hex << Ask(control, BM_GETSTATE) << ", style 0x"
         << GetWindowLongA(control, GWL_STYLE) << ", thread flags 0x" << info.flags;
    return seen.str();
}

POINT CenterOf(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

} // namespace

void ClickControl(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    ASSERT_TRUE(IsWindow(control)) << "no control " << id;
    const POINT center = CenterOf(control);
    // A user clicks into the dialog they mean; a click on an inactive one
    // would spend itself activating it.
    if (!MakeActive(dialog, GetWindowThreadProcessId(dialog, nullptr))) {
        ADD_FAILURE() << "the dialog of control " << id
                      << " does not become active: " << ClickBlocker(dialog, control, center);
        return;
    }
    std::string blocker;
    if (!WaitUntil([&] { return (blocker = ClickBlocker(dialog, control, center)).empty(); })) {
        ADD_FAILURE() << "control " << id << " cannot take a click at " << center.x << ","
                      << center.y << ": " << blocker;
        return;
    }
    MoveMouse(center);
    PressMouse(MOUSEEVENTF_LEFTDOWN, center);
    // A button shows itself pushed while the button is held over it.
    const bool pushed = WaitUntil([&] { return (Ask(control, BM_GETSTATE) & BST_PUSHED) != 0; });
    if (!pushed) {
        POINT cursor = {};
        GetCursorPos(&cursor);
        ADD_FAILURE() << "control " << id << " was not pressed by the click at " << cursor.x << ","
                      << cursor.y << "; then " << ClickBlocker(dialog, control, cursor) << "; "
                      << InputState(dialog, control, cursor);
    }
    PressMouse(MOUSEEVENTF_LEFTUP, center);
}

std::string QueryWithRegExe(const char* name) {
    wchar_t folder[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, folder);
    const std::wstring outputPath =
        std::wstring(folder) + L"lum-e2e-reg-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    {
        const UniqueHandle output(CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                              &inherited, CREATE_ALWAYS, 0, nullptr));
        if (output.get() == INVALID_HANDLE_VALUE) {
            return "no output file";
        }
        std::wstring commandLine = L"reg.exe query \"HKCR\\Bt848\\";
        for (const char* p = name; *p != '\0'; ++p) {
            commandLine += static_cast<wchar_t>(*p);
        }
        commandLine += L"\" /ve";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nullptr;
        startup.hStdOutput = output.get();
        startup.hStdError = output.get();
        PROCESS_INFORMATION info = {};
        // Without a console of its own reg.exe prints into the file, not to a console.
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS,
                            nullptr, nullptr, &startup, &info)) {
            return "reg.exe does not start";
        }
        const UniqueHandle process(info.hProcess);
        const UniqueHandle thread(info.hThread);
        if (WaitForSingleObject(process.get(), kStartTimeout) != WAIT_OBJECT_0) {
            TerminateProcess(process.get(), 1);
            return "reg.exe does not end";
        }
    }
    std::string printed;
    {
        const UniqueHandle file(CreateFileW(outputPath.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
        char chunk[4096];
        DWORD read = 0;
        while (file.get() != INVALID_HANDLE_VALUE &&
               ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read != 0) {
            printed.append(chunk, read);
        }
    }
    DeleteFileW(outputPath.c_str());
    const size_t type = printed.find("REG_SZ");
    if (type == std::string::npos) {
        return "reg.exe printed: " + printed;
    }
    size_t begin = printed.find_first_not_of(" \t", type + 6);
    const size_t end = printed.find_first_of("\r\n", type + 6);
    if (begin == std::string::npos || begin > end) {
        begin = end;
    }
    return "REG_SZ " + printed.substr(begin, end - begin);
}

void ToolTest::TearDown() {
    EXPECT_FALSE(tool.Running()) << "the tool was still running at the end of the case";
    tool.Stop();
    DeviceKeyTest::TearDown();
}

HWND ToolTest::Open() {
    if (!tool.Start()) {
        return nullptr;
    }
    HWND dialog = tool.WaitForDialog();
    EXPECT_NE(nullptr, dialog) << "the settings dialog did not appear";
    return dialog;
}

DWORD ToolTest::ExitCode() {
    DWORD code = 0xFFFFFFFF;
    EXPECT_TRUE(tool.WaitForExit(&code)) << "the tool did not end";
    return code;
}

std::vector<HWND> HelpEngineWindows() {
    std::vector<HWND> windows;
    EnumWindows(&CollectEngine, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::wstring DescendantTexts(HWND window) {
    std::wstring texts;
    EnumChildWindows(window, &CollectText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

std::wstring TopicText(HWND engine) {
    std::wstring text;
    for (HWND child = GetWindow(engine, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child).find(L"RichEdit") == 0) {
            text += RichText(child);
        }
    }
    return text;
}

void HelpEngineCase::TearDown() {
    EndEngine();
    ToolTest::TearDown();
}

void HelpEngineCase::EndEngine() {
    if (engineProcess == 0) {
        return;
    }
    UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, engineProcess));
    engineProcess = 0;
    if (process != nullptr) {
        TerminateProcess(process.get(), 0);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.get(), kStepTimeout));
    }
}

void HelpEngineCase::ExpectTopicFor(HWND window, const std::wstring& fileTitle,
                                    const std::wstring& title, const std::wstring& phrase) {
    ASSERT_TRUE(HelpEngineWindows().empty()) << "an engine is already running";
    ASSERT_TRUE(MakeActive(window, tool.threadId));
    PressKey(VK_F1);
    HWND engine = nullptr;
    std::wstring texts;
    const bool shown = WaitUntil(
        [&] {
            std::vector<HWND> windows = HelpEngineWindows();
            engine = windows.empty() ? nullptr : windows.front();
            if (engine == nullptr) {
                return false;
            }
            if (engineProcess == 0) {
                GetWindowThreadProcessId(engine, &engineProcess);
            }
            texts = TopicText(engine);
            return TextOf(engine) == fileTitle && Contains(texts, title) && Contains(texts, phrase);
        },
        kStartTimeout);
    ASSERT_NE(nullptr, engine) << "the help engine did not start";
    EXPECT_NE(tool.processId, engineProcess);
    EXPECT_TRUE(shown) << "caption: " << testing::PrintToString(TextOf(engine))
                       << "\ntext: " << testing::PrintToString(texts);
    // The topic's title is the first thing the engine shows of it.
    EXPECT_EQ(0u, texts.find(title)) << testing::PrintToString(texts);
    EndEngine();
    EXPECT_TRUE(WaitUntil([] { return HelpEngineWindows().empty(); }));
}

ToolProbe::ToolProbe(DWORD toolThread) {
    const std::wstring path = HostToWinePath(LUM_E2E_PROBE_PATH);
    library = LoadLibraryW(path.c_str());
    if (library == nullptr) {
        ADD_FAILURE() << "the probe library does not load, error " << GetLastError();
        return;
    }
    wchar_t name[64];
    e2eprobe::BlockName(GetCurrentProcessId(), name);
    mapping.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                     sizeof(e2eprobe::Block), name));
    e2eprobe::DoneEventName(GetCurrentProcessId(), name);
    done.reset(CreateEventW(nullptr, FALSE, FALSE, name));
    if (mapping == nullptr || done == nullptr) {
        ADD_FAILURE() << "no shared block for the probe";
        return;
    }
    block = static_cast<e2eprobe::Block*>(
        MapViewOfFile(mapping.get(), FILE_MAP_WRITE | FILE_MAP_READ, 0, 0, 0));
    const auto proc = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(GetProcAddress(library, e2eprobe::kHookProcName)));
    hook = proc != nullptr ? SetWindowsHookExW(WH_GETMESSAGE, proc, library, toolThread) : nullptr;
    if (hook == nullptr || block == nullptr) {
        ADD_FAILURE() << "the probe cannot be hooked into the tool, error " << GetLastError();
    }
}

ToolProbe::~ToolProbe() {
    if (hook != nullptr) {
        UnhookWindowsHookEx(hook);
    }
    if (block != nullptr) {
        UnmapViewOfFile(block);
    }
    if (library != nullptr) {
        FreeLibrary(library);
    }
}

const e2eprobe::Block* ToolProbe::Ask(HWND window, e2eprobe::Request request) {
    if (!Ready()) {
        return nullptr;
    }
    *block = e2eprobe::Block{};
    block->request = request;
    block->window = window;
    ResetEvent(done.get());
    PostMessageW(window, RegisterWindowMessageW(e2eprobe::kRequestMessage), GetCurrentProcessId(),
                 0);
    if (WaitForSingleObject(done.get(), kStepTimeout) != WAIT_OBJECT_0 || !block->answered) {
        ADD_FAILURE() << "the probe in the tool did not answer";
        return nullptr;
    }
    return block;
}

void ExpectStored(const char* name, const std::string& text) {
    const RawValue narrow = LoadRaw(name);
    ASSERT_EQ(ERROR_SUCCESS, narrow.status) << name;
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), narrow.type) << name;
    EXPECT_EQ(text, narrow.bytes) << name << ": the digit and its NUL, two bytes";
    const RawValue wide = LoadRawWide(name);
    ASSERT_EQ(ERROR_SUCCESS, wide.status) << name;
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), wide.type) << name;
    EXPECT_EQ(std::string({text[0], '\0', '\0', '\0'}), wide.bytes) << name;
}

ScopedValues::ScopedValues(HKEY root, const char* path, bool restore) : restore(restore) {
    EXPECT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                              &key.key, nullptr))
        << path;
}

ScopedValues::~ScopedValues() {
    for (auto it = saved.rbegin(); it != saved.rend(); ++it) {
        if (restore && it->old.status == ERROR_SUCCESS) {
            RegSetValueExA(key.key, it->name.c_str(), 0, it->old.type,
                           reinterpret_cast<const BYTE*>(it->old.bytes.data()),
                           static_cast<DWORD>(it->old.bytes.size()));
        } else {
            RegDeleteValueA(key.key, it->name.c_str());
        }
    }
}

void ScopedValues::Set(const char* name, DWORD type, const std::string& data) {
    Saved old{name, {}};
    DWORD size = 0;
    old.old.status = RegQueryValueExA(key.key, name, nullptr, &old.old.type, nullptr, &size);
    if (old.old.status == ERROR_SUCCESS) {
        old.old.bytes.resize(size);
        old.old.status = RegQueryValueExA(key.key, name, nullptr, &old.old.type,
                                          reinterpret_cast<BYTE*>(old.old.bytes.data()), &size);
    }
    saved.push_back(old);
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key.key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())))
        << name;
}

ToolVersion::ToolVersion(const char* version)
    : values(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\LUMCFG.EXE", false) {
    values.SetText("Version", version);
}

// Wine reads it when a process starts, as Windows does at log-on.
SystemDpi::SystemDpi(DWORD dpi) : values(HKEY_CURRENT_USER, "Control Panel\\Desktop", false) {
    values.SetNumber("LogPixels", dpi);
}

} // namespace e2e
