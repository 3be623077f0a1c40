// The test programs end only once no thread of theirs is still starting.
#include <gtest/gtest.h>

#include "common/thread_census.h"

namespace {

DWORD WINAPI ReturnAtOnce(void*) {
    return 0;
}

TEST(ThreadCensus, ThreadNotYetRunIsStillStartingUntilResumed) {
    HANDLE thread = CreateThread(nullptr, 0, &ReturnAtOnce, nullptr, CREATE_SUSPENDED, nullptr);
    ASSERT_NE(nullptr, thread);
    EXPECT_FALSE(testsupport::WaitForThreadsStarted(0));
    ResumeThread(thread);
    EXPECT_TRUE(testsupport::WaitForThreadsStarted(30000));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 30000));
    CloseHandle(thread);
}

} // namespace
