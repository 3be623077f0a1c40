// Thread registration and the screen check (below 4.0).
#include <vector>
#include "framework/look3d/look3d_state.h"
#include "look3d/look3d_test_support.h"

using namespace look3dtest;

namespace {

using Look3dCore = OldSystemTest;

// Runs a routine on a thread of its own and waits for it.
template <class Routine> DWORD RunOnThread(Routine routine) {
    struct Box {
        Routine* routine;
        static DWORD WINAPI Start(void* p) { return (*static_cast<Box*>(p)->routine)(); }
    } box{&routine};
    HANDLE thread = CreateThread(nullptr, 0, &Box::Start, &box, 0, nullptr);
    if (thread == nullptr) {
        return 0xFFFFFFFF;
    }
    WaitForSingleObject(thread, 60000);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    return code;
}

TEST_F(Look3dCore, TwoHooksNeedTwoUnhooks) {
    DWORD result = RunOnThread([]() -> DWORD {
        DWORD me = GetCurrentThreadId();
        if (!Look3dHookThread(Module(), 0) || !Look3dHookThread(Module(), 0)) {
            return 1;
        }
        if (look3d::ThreadUseCount(me) != 2) {
            return 2;
        }
        Look3dUnhookThread();
        if (look3d::ThreadUseCount(me) != 1) {
            return 3;
        }
        Look3dUnhookThread();
        return look3d::ThreadUseCount(me) == 0 ? 0 : 4;
    });
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(look3d::ThreadEntryCount(), 1);
}

TEST_F(Look3dCore, DetachWithTheEntrysOwnModuleRemovesItAtOnce) {
    DWORD result = RunOnThread([]() -> DWORD {
        DWORD me = GetCurrentThreadId();
        Look3dAttach(Module());
        Look3dHookThread(Module(), 0);
        Look3dHookThread(Module(), 0);
        if (look3d::ThreadUseCount(me) != 2) {
            return 1;
        }
        Look3dDetach(Module());
        return look3d::ThreadUseCount(me) == 0 ? 0 : 2;
    });
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(look3d::TheCore().attachCount, 1);
}

struct Shared {
    HANDLE release;
    HANDLE ready;
    LONG hooked;
};

DWORD WINAPI HookAndWait(void* p) {
    auto* s = static_cast<Shared*>(p);
    BOOL ok = Look3dHookThread(Module(), 0);
    if (ok) {
        InterlockedIncrement(&s->hooked);
    }
    ReleaseSemaphore(s->ready, 1, nullptr);
    WaitForSingleObject(s->release, 60000);
    if (ok) {
        Look3dUnhookThread();
    }
    return ok ? 0 : 1;
}

TEST_F(Look3dCore, ThreadOneHundredAndTwentyNineIsRefused) {
    Shared shared{CreateEventA(nullptr, TRUE, FALSE, nullptr),
                  CreateSemaphoreA(nullptr, 0, 200, nullptr), 0};
    LPTHREAD_START_ROUTINE worker = &HookAndWait;
    int free = look3d::kMaxThreads - look3d::ThreadEntryCount();
    std::vector<HANDLE> threads;
    for (int i = 0; i < free + 1; ++i) {
        HANDLE t = CreateThread(nullptr, 0, worker, &shared, 0, nullptr);
        ASSERT_NE(t, nullptr);
        threads.push_back(t);
        // One at a time, so that the last one is the one refused.
        ASSERT_EQ(WaitForSingleObject(shared.ready, 60000), WAIT_OBJECT_0);
    }
    EXPECT_EQ(shared.hooked, free);
    EXPECT_EQ(look3d::ThreadEntryCount(), look3d::kMaxThreads);
    DWORD last = 0;
    SetEvent(shared.release);
    for (size_t i = 0; i < threads.size(); ++i) {
        WaitForSingleObject(threads[i], 60000);
        DWORD code = 0;
        GetExitCodeThread(threads[i], &code);
        if (i + 1 == threads.size()) {
            last = code;
        }
        CloseHandle(threads[i]);
    }
    EXPECT_EQ(last, 1u);
    EXPECT_EQ(look3d::ThreadEntryCount(), 1);
    CloseHandle(shared.release);
    CloseHandle(shared.ready);
}

TEST_F(Look3dCore, UnchangedColorsRebuildNothing) {
    const look3d::Core& core = look3d::TheCore();
    int before = core.rebuildCount;
    HBRUSH face = core.faceBrush;
    HBITMAP glyphs = core.glyphs;
    EXPECT_TRUE(Look3dRefreshColors());
    EXPECT_EQ(core.rebuildCount, before);
    EXPECT_EQ(core.faceBrush, face);
    EXPECT_EQ(core.glyphs, glyphs);
}

// The screen check, through the same set-up the enable routine runs.
void ExpectScreenRefused(int bits, int width, int height) {
    ASSERT_EQ(look3d::TheCore().attachCount, 0);
    look3d::SetScreenSeam(bits, width, height);
    Look3dState state;
    InitializeLook3dState(&state, Module());
    look3d::ClearScreenSeam();
    EXPECT_TRUE(state.initialized);
    EXPECT_FALSE(look3d::TheCore().enabled);
    EXPECT_EQ(state.attach, nullptr);
    EXPECT_EQ(state.detach, nullptr);
    EXPECT_EQ(state.hookThread, nullptr);
    EXPECT_EQ(state.unhookThread, nullptr);
    EXPECT_EQ(state.refreshColors, nullptr);
    EXPECT_EQ(state.adoptDialog, nullptr);
    EXPECT_EQ(state.readImeSetting, nullptr);
    EXPECT_EQ(state.adoptControl, nullptr);
    EXPECT_EQ(state.adoptControlAs, nullptr);
    EXPECT_FALSE(Look3dHookThread(Module(), 0));
    EXPECT_FALSE(Look3dAdoptControl(nullptr));
    Look3dDetach(Module());
}

TEST(Look3dScreen, FewerThanFourColorBitsLeaveTheLookOff) {
    if (!OldSystem()) {
        GTEST_SKIP() << kNeedsOldSystem;
    }
    ExpectScreenRefused(1, 1024, 768);
}

TEST(Look3dScreen, An640By350ScreenLeavesTheLookOff) {
    if (!OldSystem()) {
        GTEST_SKIP() << kNeedsOldSystem;
    }
    ExpectScreenRefused(4, 640, 350);
}

TEST(Look3dScreen, SixteenColorsAreEnough) {
    if (!OldSystem()) {
        GTEST_SKIP() << kNeedsOldSystem;
    }
    look3d::SetScreenSeam(4, 640, 480);
    EXPECT_TRUE(Look3dAttach(Module()));
    look3d::ClearScreenSeam();
    Look3dDetach(Module());
    EXPECT_FALSE(look3d::TheCore().enabled);
}

} // namespace
