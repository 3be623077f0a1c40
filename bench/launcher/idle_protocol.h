// What the launcher and the probe library hooked into a measured program
// share: counters of the messages its thread retrieves, in a named block.
#pragma once

#include <windows.h>

#include <cstdio>

namespace idleprobe {

// Posted by the launcher to wake the hooked thread, which loads the library.
inline constexpr char kKickMessage[] = "LumBenchIdleKick";
inline constexpr char kHookProcName[] = "IdleHook";
inline constexpr int kRecent = 32;

struct Retrieved {
    UINT message;
    HWND window;
};

struct Block {
    LONG kicked;
    // Messages taken off the queue (GetMessage, PeekMessage with PM_REMOVE).
    LONG removed;
    // Looks at a waiting message without taking it (PM_NOREMOVE).
    LONG peeked;
    // The last kRecent removed messages, a ring indexed by `removed`.
    Retrieved recent[kRecent];
};

inline void BlockName(DWORD processId, char (&name)[64]) {
    std::snprintf(name, sizeof name, "LumBenchIdle-%lu", static_cast<unsigned long>(processId));
}

} // namespace idleprobe
