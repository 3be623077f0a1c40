#include "common/thread_census.h"

#include <tlhelp32.h>

namespace {

constexpr LONG kMaxThreads = 1024;

// Threads that have run their thread-attach notifications and not yet
// their detach ones, by id: an id the system gives again to a new thread
// must be noted again, and a thread on its way out counts as unsettled
// until it is gone. A test program starts a few dozen; one beyond the list
// counts as unsettled, which a waiting caller reports as a time-out rather
// than missing it.
volatile LONG startedCount = 0;
volatile DWORD startedIds[kMaxThreads] = {};

LONG NotedCount() {
    return startedCount < kMaxThreads ? startedCount : kMaxThreads;
}

bool IsNoted(DWORD id) {
    for (LONG i = 0; i < NotedCount(); ++i) {
        if (startedIds[i] == id) {
            return true;
        }
    }
    return false;
}

void NTAPI NoteThread(PVOID, DWORD reason, PVOID) {
    const DWORD self = GetCurrentThreadId();
    if (reason == DLL_THREAD_ATTACH) {
        const LONG slot = InterlockedIncrement(&startedCount) - 1;
        if (slot < kMaxThreads) {
            startedIds[slot] = self;
        }
    } else if (reason == DLL_THREAD_DETACH) {
        for (LONG i = 0; i < NotedCount(); ++i) {
            if (startedIds[i] == self) {
                startedIds[i] = 0;
            }
        }
    }
}

// Every thread of the process but the caller, its first one (the loader
// starts that one before any notification can be taken), is noted.
bool AllOthersSettled() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return false;
    }
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool all = true;
    for (BOOL more = Thread32First(snapshot, &entry); more && all;
         more = Thread32Next(snapshot, &entry)) {
        all = entry.th32OwnerProcessID != GetCurrentProcessId() ||
              entry.th32ThreadID == GetCurrentThreadId() || IsNoted(entry.th32ThreadID);
        entry.dwSize = sizeof entry;
    }
    CloseHandle(snapshot);
    return all;
}

} // namespace

// Run by the loader for every thread the process starts and ends.
extern "C" __attribute__((section(".CRT$XLM"), used))
const PIMAGE_TLS_CALLBACK lumTestThreadCensus = &NoteThread;

namespace testsupport {

bool WaitForThreadsSettled(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!AllOthersSettled()) {
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Sleep(1);
    }
    return true;
}

} // namespace testsupport
