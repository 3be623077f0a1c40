// Long runs, outside the regular test command (scripts/reliability.sh): About
// and Help opened and closed many times and the whole dialog run again and
// again in one process, with memory and handle counts along the way.
#include "reliability/reliability_support.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>

#include "app/config_dialog.h"
#include "app/secondary_dialogs.h"
#include "framework/runtime/memory.h"
#include "framework/windows/handles/handle_table.h"

namespace {

struct Sample {
    SIZE_T privateBytes;
    SIZE_T workingSet;
    DWORD gdiObjects;
    DWORD userObjects;
    DWORD handles;
    long frameworkBlocks;
};

Sample Take() {
    DeleteAllTemporaries();
    Sample s = {};
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
    s.privateBytes = memory.PrivateUsage;
    s.workingSet = memory.WorkingSetSize;
    s.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    s.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    GetProcessHandleCount(GetCurrentProcess(), &s.handles);
    s.frameworkBlocks = faultInjection.liveBlocks;
    return s;
}

void Print(const char* what, int done, const Sample& s) {
    std::printf("%-8s %5d  private %7lu KiB  working set %7lu KiB  GDI %4lu  USER %4lu  "
                "handles %4lu  framework blocks %ld\n",
                what, done, static_cast<unsigned long>(s.privateBytes / 1024),
                static_cast<unsigned long>(s.workingSet / 1024), s.gdiObjects, s.userObjects,
                s.handles, s.frameworkBlocks);
    std::fflush(stdout);
}

int Count(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::atoi(value) : fallback;
}

// Runs the dialog until OK is pressed, closing any other dialog it opens.
template <class Dialog> int RunAndClose(int closeId) {
    Dialog dialog;
    bool pressed = false;
    const rel::DrivenRun driven =
        rel::RunDriven([&] { return dialog.RunModal(); },
                       [&](rel::Ticker&) {
                           if (!pressed && dialog.windowHandle != nullptr &&
                               IsWindowVisible(dialog.windowHandle)) {
                               pressed = true;
                               rel::PostClick(dialog.windowHandle, closeId);
                           }
                       },
                       20000);
    EXPECT_FALSE(driven.timedOut);
    EXPECT_TRUE(driven.boxes.empty());
    return driven.result;
}

template <class Dialog> void Repeat(const char* what, int times, int closeId, int expected) {
    // A first run makes what lives until the process ends.
    EXPECT_EQ(expected, RunAndClose<Dialog>(closeId));
    const Sample first = Take();
    Print(what, 0, first);
    Sample last = first;
    for (int i = 1; i <= times; ++i) {
        ASSERT_EQ(expected, RunAndClose<Dialog>(closeId)) << what << " run " << i;
        if (i % (times / 10 > 0 ? times / 10 : 1) == 0) {
            last = Take();
            Print(what, i, last);
        }
    }
    EXPECT_EQ(first.frameworkBlocks, last.frameworkBlocks) << what;
    EXPECT_LE(last.gdiObjects, first.gdiObjects + 8) << what;
    EXPECT_LE(last.userObjects, first.userObjects + 8) << what;
    EXPECT_LE(last.handles, first.handles + 8) << what;
}

class LongRun : public rel::DeviceKeyTest {};

TEST_F(LongRun, DISABLED_AboutHelpAndDialogOpenedAndClosed) {
    Repeat<CAboutDlg>("about", Count("LUM_LONG_SECONDARY", 1000), IDOK, IDOK);
    Repeat<CHelpDlg>("help", Count("LUM_LONG_SECONDARY", 1000), IDOK, IDOK);
    Repeat<CConfigDlg>("dialog", Count("LUM_LONG_DIALOG", 200), IDOK, IDOK);
    EXPECT_EQ(std::string("1", 2), rel::LoadRaw("PreviewOnly").bytes);
}

} // namespace
