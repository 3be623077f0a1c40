// The test programs end only once no thread of theirs is still starting or
// ending; one that waits, as GoogleTest's watcher threads do, is settled.
#include <gtest/gtest.h>

#include "common/thread_census.h"

namespace {

DWORD WINAPI WaitForRelease(void* release) {
    return WaitForSingleObject(static_cast<HANDLE>(release), 30000);
}

TEST(ThreadCensus, ThreadNotYetRunIsUnsettledAndAWaitingOneSettled) {
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, &WaitForRelease, release, CREATE_SUSPENDED, nullptr);
    ASSERT_NE(nullptr, thread);
    EXPECT_FALSE(testsupport::WaitForThreadsSettled(0));
    ResumeThread(thread);
    EXPECT_TRUE(testsupport::WaitForThreadsSettled(30000));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(thread, 0)) << "still waiting";
    SetEvent(release);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 30000));
    EXPECT_TRUE(testsupport::WaitForThreadsSettled(30000));
    CloseHandle(thread);
    CloseHandle(release);
}

} // namespace
