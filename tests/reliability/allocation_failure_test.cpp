// The Nth framework allocation of a scripted session with the real settings
// dialog fails, for every N the session makes: the session opens the dialog,
// changes both settings, opens and closes About and Help, and presses OK.
// Each run must end (no crash, no hang), free what it took, leave no window,
// show the memory message where a handler met the failure, and leave the
// registry with either the old settings or the new ones.
#include "reliability/reliability_support.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "app/config_dialog.h"
#include "framework/runtime/exceptions.h"
#include "framework/runtime/memory.h"
#include "framework/runtime/state.h"
#include "framework/windows/handles/handle_table.h"

namespace {

using rel::ShiftJis;

constexpr int kOldPreview = 1, kOldForce = 0;
constexpr int kNewPreview = 0, kNewForce = 1;

struct Refusal {
    bool happened = false;
    HWND deliveringTo = nullptr;
    UINT message = 0;
    size_t size = 0;
};
Refusal refusal;

void NoteRefusal(size_t size) {
    const MSG& current = GetThreadState()->lastSentMessage;
    refusal = {true, current.hwnd, current.message, size};
    std::printf("  refused: %u bytes during message 0x%04X\n", static_cast<unsigned>(size),
                current.message);
    std::fflush(stdout);
}

struct SessionResult {
    rel::DrivenRun driven;
    bool escaped = false;
    bool aboutShown = false;
    bool helpShown = false;
    bool okPressed = false;
    bool enabledAtOk = true;
};

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int ThreadWindows() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

SessionResult RunSession(DWORD timeout = 20000) {
    SessionResult session;
    int step = 0;
    bool sent = false;
    HWND closingSecondary = nullptr;
    session.driven = rel::RunDriven(
        [&] {
            try {
                CConfigDlg dialog;
                return dialog.RunModal();
            } catch (CException* e) {
                session.escaped = true;
                e->Discard();
                return -2;
            }
        },
        [&](rel::Ticker& ticker) {
            HWND settings = rel::FindThreadDialog(IDC_NO_SURFACE);
            if (HWND secondary = rel::FindSecondaryDialog(settings)) {
                (step == 1 ? session.aboutShown : session.helpShown) = true;
                if (secondary != closingSecondary) {
                    closingSecondary = secondary;
                    rel::PostClick(secondary, IDOK);
                }
                return;
            }
            if (settings == nullptr) {
                return;
            }
            switch (step) {
            case 0:
                rel::ChooseInDialog(settings, kNewPreview, kNewForce);
                step = 1;
                ticker.Defer([settings] { SendMessageA(settings, WM_SYSCOMMAND, IDM_ABOUT, 0); },
                             &sent);
                break;
            case 1:
                if (sent) {
                    step = 2;
                    ticker.Defer(
                        [settings] {
                            SendMessageA(
                                settings, WM_COMMAND, MAKEWPARAM(IDC_HELP_BUTTON, 0),
                                reinterpret_cast<LPARAM>(GetDlgItem(settings, IDC_HELP_BUTTON)));
                        },
                        &sent);
                }
                break;
            case 2:
                if (sent) {
                    step = 3;
                    session.okPressed = true;
                    session.enabledAtOk = IsWindowEnabled(settings) != FALSE;
                    rel::PostClick(settings, IDOK);
                }
                break;
            default:
                break;
            }
        },
        timeout);
    return session;
}

std::string SettingsPair() {
    return rel::LoadRaw("PreviewOnly").bytes + "/" + rel::LoadRaw("Force Primary").bytes;
}

std::string Pair(int preview, int force) {
    const std::string a = std::to_string(preview), b = std::to_string(force);
    return std::string(a.c_str(), a.size() + 1) + "/" + std::string(b.c_str(), b.size() + 1);
}

class AllocationFailureTest : public rel::DeviceKeyTest {
protected:
    void TearDown() override {
        faultInjection.thread = 0;
        faultInjection.failAt = 0;
        faultInjection.onRefusal = nullptr;
        rel::DeviceKeyTest::TearDown();
    }
};

// A refusal at window binding once left the settings dialog up but unbound,
// and its modal loop never ended.
TEST_F(AllocationFailureTest, EveryAllocationOfASessionFailsInTurn) {
    const std::string memoryText = ShiftJis("ﾒﾓﾘが不足しています。");
    // A first run makes the records that live until the process ends.
    rel::StoreSetting("PreviewOnly", kOldPreview);
    rel::StoreSetting("Force Primary", kOldForce);
    {
        const SessionResult warm = RunSession();
        ASSERT_FALSE(warm.driven.timedOut);
        ASSERT_TRUE(warm.aboutShown && warm.helpShown && warm.okPressed);
        ASSERT_TRUE(warm.driven.boxes.empty());
        ASSERT_EQ(Pair(kNewPreview, kNewForce), SettingsPair());
    }
    DeleteAllTemporaries();

    // The count of a clean run.
    faultInjection.thread = GetCurrentThreadId();
    faultInjection.failAt = 0;
    faultInjection.numbered = 0;
    rel::StoreSetting("PreviewOnly", kOldPreview);
    rel::StoreSetting("Force Primary", kOldForce);
    {
        const SessionResult clean = RunSession();
        ASSERT_FALSE(clean.driven.timedOut);
        ASSERT_EQ(Pair(kNewPreview, kNewForce), SettingsPair());
    }
    const long total = faultInjection.numbered;
    ASSERT_GT(total, 0);
    DeleteAllTemporaries();
    const int windowsBefore = ThreadWindows();

    std::map<std::string, int> sites;
    int withBox = 0, silent = 0, escaped = 0, oldKept = 0, newWritten = 0, hung = 0;
    faultInjection.onRefusal = NoteRefusal;
    // LUM_FAULT_FROM and LUM_FAULT_TO narrow the sweep for a closer look.
    const char* from = std::getenv("LUM_FAULT_FROM");
    const char* to = std::getenv("LUM_FAULT_TO");
    const long first = from != nullptr ? std::atol(from) : 1;
    const long last = to != nullptr ? std::atol(to) : total;
    for (long n = first; n <= last; ++n) {
        std::printf("allocation failure %ld of %ld\n", n, total);
        std::fflush(stdout);
        SCOPED_TRACE("allocation " + std::to_string(n));
        rel::StoreSetting("PreviewOnly", kOldPreview);
        rel::StoreSetting("Force Primary", kOldForce);
        DeleteAllTemporaries();
        const long liveBefore = faultInjection.liveBlocks;
        refusal = Refusal();
        faultInjection.numbered = 0;
        faultInjection.failAt = n;
        const SessionResult session = RunSession(5000);
        faultInjection.failAt = 0;
        DeleteAllTemporaries();

        EXPECT_FALSE(session.driven.timedOut) << "the session hung";
        hung += session.driven.timedOut;
        EXPECT_TRUE(refusal.happened) << "the run made fewer allocations than the clean one";
        EXPECT_EQ(liveBefore, faultInjection.liveBlocks) << "framework blocks leaked";
        EXPECT_EQ(windowsBefore, ThreadWindows()) << "windows left behind";
        EXPECT_TRUE(session.enabledAtOk) << "the dialog was left disabled";

        int memoryBoxes = 0;
        for (const rel::SeenBox& box : session.driven.boxes) {
            EXPECT_EQ(memoryText, rel::Ansi(box.text)) << "another message than the memory message";
            memoryBoxes += rel::Ansi(box.text) == memoryText;
        }
        EXPECT_LE(memoryBoxes, 1);
        // A failure met while a message was being handled reaches that
        // handler's report unless the framework got round it.
        char site[96];
        snprintf(site, sizeof site, "message 0x%04X, %u bytes, %s", refusal.message,
                 static_cast<unsigned>(refusal.size),
                 session.driven.timedOut ? "HUNG"
                 : memoryBoxes > 0       ? "memory message"
                 : session.escaped       ? "exception to the caller"
                                         : "absorbed");
        ++sites[site];
        withBox += memoryBoxes > 0;
        escaped += session.escaped;
        silent += memoryBoxes == 0 && !session.escaped;

        const std::string held = SettingsPair();
        EXPECT_TRUE(held == Pair(kOldPreview, kOldForce) || held == Pair(kNewPreview, kNewForce))
            << "the registry holds a mix: " << held;
        oldKept += held == Pair(kOldPreview, kOldForce);
        newWritten += held == Pair(kNewPreview, kNewForce);
        if (HasFatalFailure()) {
            break;
        }
    }
    std::printf("allocation failures: %ld runs of %ld allocations, %d hung, %d with the memory "
                "message, %d raised to the caller, %d absorbed; registry old %d, new %d\n",
                last - first + 1, total, hung, withBox, escaped, silent - hung, oldKept,
                newWritten);
    for (const auto& [site, count] : sites) {
        std::printf("  site: %s x%d\n", site.c_str(), count);
    }
}

} // namespace
