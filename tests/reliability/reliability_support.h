// Shared pieces of the reliability tests: registry access outside the code
// under test, replacement of the test program's own imports, and a driver
// that works the thread's dialogs and message boxes from a timer.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/device_key.h"
#include "common/import_patch.h"
#include "common/message_box_reading.h"
#include "common/shift_jis.h"
#include "resources/resource_ids.h"

namespace rel {

// Set by a case that needs the runtime's exit processing to run.
extern bool normalExit;

// The helpers every test area shares.
using ::DeleteDeviceKey;
using ::DeviceKeyTest;
using ::KeyExists;
using ::LoadRaw;
using ::RawValue;
using ::ShiftJis;

// Stores exactly these bytes with this type as the default value of
// Bt848\name through the ANSI interface; returns the registry's status.
LONG StoreRaw(const char* name, DWORD type, const std::string& bytes);
// The setting's text as the tool stores it: decimal text and its NUL.
void StoreSetting(const char* name, int value);

using ::ImportPatch;

using lumtest::Ansi;
using lumtest::SeenBox;

// A framework or system message box of this thread, or null.
HWND FindMessageBox();
// MB_ICONEXCLAMATION, MB_ICONSTOP, ... for a system icon a box shows; 0 else.
UINT IconStyleOf(HICON icon);

// Calls step every few milliseconds from the thread's message loops (modal
// ones included) while alive; nested calls are skipped.
class Ticker {
public:
    explicit Ticker(std::function<void()> step, UINT period = 10);
    ~Ticker();
    Ticker(const Ticker&) = delete;
    Ticker& operator=(const Ticker&) = delete;

    HWND Window() const { return window; }
    // Runs call from the ticker's own window procedure, outside any step, so
    // that a modal loop it enters goes on ticking; done is set once it returned.
    void Defer(std::function<void()> call, bool* done);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::function<void()> step;
    std::function<void()> deferred;
    bool* deferredDone = nullptr;
    HWND window = nullptr;
    bool inStep = false;
};

// Closes every message box of the thread with OK and keeps what it said.
struct BoxCloser {
    void Step();

    std::vector<SeenBox> boxes;
    HWND closing = nullptr;
};

// A shown top-level dialog of this thread that holds a control with this id.
HWND FindThreadDialog(int controlId);

// A shown dialog of the thread, run by the framework, other than `settings`.
HWND FindSecondaryDialog(HWND settings);

struct DrivenRun {
    int result = 0;
    std::vector<SeenBox> boxes;
    bool timedOut = false;
};
// Runs `run`, which enters a modal loop; every tick closes the thread's
// message boxes, or else calls act. Past the timeout every shown dialog of
// the thread is cancelled and the run counts as timed out.
DrivenRun RunDriven(const std::function<int()>& run, const std::function<void(Ticker&)>& act,
                    DWORD timeout = 30000);

// Sets the dialog's controls as the user would leave them before OK.
void ChooseInDialog(HWND dialog, int previewOnly, int forcePrimary);
void PostClick(HWND dialog, int id);

} // namespace rel
