// Drives the real LUMCFG.EXE from outside, as a user would: starts it, finds
// its windows, reads its controls, types and clicks, and reads the registry.
#pragma once

#include <windows.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/device_key.h"
#include "resources/resource_ids.h"
#include "probe_protocol.h"

namespace e2e {

// Generous for the emulated machine; a condition usually holds far sooner.
inline constexpr DWORD kStartTimeout = 60000;
inline constexpr DWORD kStepTimeout = 15000;

struct HandleCloser {
    void operator()(HANDLE handle) const {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Polls until the condition holds or the time is up; the driver's own
// windows get their messages meanwhile.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeout = kStepTimeout);

// Wine path (Z: drive) of a file named by its host path.
std::wstring HostToWinePath(const char* hostPath);

// The running tool; a run that is still alive at the end is ended.
class ToolRun {
public:
    ToolRun() = default;
    ~ToolRun();
    ToolRun(const ToolRun&) = delete;
    ToolRun& operator=(const ToolRun&) = delete;

    // Starts the tool as a double-click in the shell does.
    bool Start();
    // Ends a run that is still alive.
    void Stop();
    // The settings dialog once it is shown, or null; its thread is the tool's.
    HWND WaitForDialog();
    bool WaitForExit(DWORD* exitCode, DWORD timeout = kStepTimeout);
    bool Running() const;

    DWORD processId = 0;
    DWORD threadId = 0;
    // The settings dialog's caption in the language of the tool's resources.
    std::wstring settingsCaption = L"Lumora 環境設定";

private:
    UniqueHandle process;
};

// Top-level dialog windows of a process that are shown, in Z order.
std::vector<HWND> ShownDialogsOf(DWORD processId);
// A shown dialog of the process with this caption, or null.
HWND FindDialog(DWORD processId, const std::wstring& caption, bool settingsDialog);
// Waits for such a dialog.
HWND WaitForDialog(DWORD processId, const std::wstring& caption, bool settingsDialog);

std::wstring TextOf(HWND window);
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
LRESULT CheckState(HWND dialog, int id);
bool ControlEnabled(HWND dialog, int id);

GUITHREADINFO GuiInfo(DWORD threadId);
// The window is the foreground window and its thread's active window.
bool IsActive(HWND window, DWORD threadId);

// Brings the window to the foreground if it is not there yet.
bool MakeActive(HWND window, DWORD threadId);
// The center of the dialog's close box, found by hit-testing its caption.
bool FindCloseBox(HWND window, POINT* point);

// Real input, routed by the system to the foreground window's focus.
void PressKey(WORD key);
// The key pressed while a modifier (Shift, Ctrl, Alt) is held down.
void PressKeyWith(WORD modifier, WORD key);
// Real mouse input. A control is clicked at its center, and the button is
// released only once the control shows itself pushed.
void MoveMouse(POINT point);
void PressMouse(DWORD flags, POINT point);
void ClickAt(POINT point);
void ClickControl(HWND dialog, int id);

struct DialogState {
    LRESULT useOverlay;
    LRESULT noOverlay;
    LRESULT noSurface;
    bool noSurfaceEnabled;
};
DialogState ReadState(HWND dialog);
// The user chooses the overlay, then to do without its surface; each click
// is awaited until the dialog shows it.
void ChooseOverlayWithoutSurface(HWND dialog);
// A device key that lasts only until the registry is unloaded: no lasting
// key can be made below it, so both of the tool's writes are refused.
void MakeVolatileDeviceKey();

// A setting as the tool stores it: a digit and its NUL.
inline std::string Stored(char digit) {
    return std::string({digit, '\0'});
}
// The setting holds exactly this text as REG_SZ, through both interfaces.
void ExpectStored(const char* name, const std::string& text);

// The data of the setting as Wine's own reg.exe prints it, or the reason it could not.
std::string QueryWithRegExe(const char* name);

// A case that runs the tool: the tool has ended before the key is cleaned up.
class ToolTest : public DeviceKeyTest {
protected:
    void TearDown() override;
    // Starts the tool and waits for its settings dialog; null when it does not appear.
    HWND Open();
    // The tool's exit code once it has ended.
    DWORD ExitCode();

    ToolRun tool;
};

// The system's real help engine (not a stand-in of the driver's): its shown
// windows, and the texts of a window's descendants.
std::vector<HWND> HelpEngineWindows();
std::wstring DescendantTexts(HWND window);
// The text of the topic the engine's main window shows: its rich text
// control alone, never the button bar, which the engine makes at its own
// pace beside it.
std::wstring TopicText(HWND engine);

// A case in which F1 starts the real help engine; the engine is ended after
// each look, by its process id, and at the end of the case.
class HelpEngineCase : public ToolTest {
protected:
    void TearDown() override;
    void EndEngine();
    // F1 in `window` brings up the engine with the file's title and a topic
    // that starts with `title` and says `phrase`; then the engine is ended.
    void ExpectTopicFor(HWND window, const std::wstring& fileTitle, const std::wstring& title,
                        const std::wstring& phrase);

    DWORD engineProcess = 0;
};

// Values of a registry key, set while this object lives; each is then put
// back as it was, or removed when there was none or `restore` is false (a
// switch the test prefix never holds: one that a run ended without taking
// back is gone after the next).
class ScopedValues {
public:
    ScopedValues(HKEY root, const char* path, bool restore = true);
    ~ScopedValues();
    ScopedValues(const ScopedValues&) = delete;
    ScopedValues& operator=(const ScopedValues&) = delete;

    void Set(const char* name, DWORD type, const std::string& data);
    void SetText(const char* name, const char* text) {
        Set(name, REG_SZ, std::string(text, strlen(text) + 1));
    }
    void SetNumber(const char* name, DWORD number) {
        Set(name, REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof number));
    }

private:
    struct Saved {
        std::string name;
        RawValue old;
    };
    ScopedKey key;
    bool restore;
    std::vector<Saved> saved;
};

// The system version Wine reports to LUMCFG.EXE alone (Wine's name for it,
// such as "win95" or "nt40"), while this object lives.
class ToolVersion {
public:
    explicit ToolVersion(const char* version);

private:
    ScopedValues values;
};

// The system's DPI for processes started while this object lives.
class SystemDpi {
public:
    explicit SystemDpi(DWORD dpi);

private:
    ScopedValues values;
};

// The probe library hooked into the tool's thread for the lifetime of this object.
class ToolProbe {
public:
    explicit ToolProbe(DWORD toolThread);
    ~ToolProbe();
    ToolProbe(const ToolProbe&) = delete;
    ToolProbe& operator=(const ToolProbe&) = delete;

    bool Ready() const { return hook != nullptr && block != nullptr; }
    // Asks the tool's thread through a message to the window; null on time-out.
    const e2eprobe::Block* Ask(HWND window, e2eprobe::Request request);

private:
    HMODULE library = nullptr;
    HHOOK hook = nullptr;
    UniqueHandle mapping;
    UniqueHandle done;
    e2eprobe::Block* block = nullptr;
};

} // namespace e2e
