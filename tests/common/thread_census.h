// Which of the test program's threads are still starting or ending.
#pragma once

#include <windows.h>

namespace testsupport {

// Waits until every thread of the process but the calling one, its first,
// has finished starting (has run its thread-attach notifications) and every
// one that has begun to end (has run its detach notifications) is gone, or
// the time is up; true when none is still starting or ending. Wine ends a
// program's other threads when the program ends, and one that is still
// starting then (GoogleTest starts a watcher thread the first time a thread
// uses SCOPED_TRACE) takes the whole process down with a segmentation fault.
bool WaitForThreadsSettled(DWORD timeoutMs);

} // namespace testsupport
