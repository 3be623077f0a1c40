// The shipped program's own start-up and exit, in place of the compiler's
// run-time: the exception frame tables, the static constructors, WinMain
// with the command tail and show command, then the atexit routines and
// static destructors in reverse order, and the exit code. Nothing depends on
// TLS callbacks, which Windows 9x does not run.
#include <windows.h>
#include "framework/runtime/program_startup.h"
#include "framework/runtime/thread_primitives.h"

extern "C" {
// The linker's tables: -1, the entries, 0.
extern void (*__CTOR_LIST__[])();
extern void (*__DTOR_LIST__[])();
extern char lumFrameTableStart[];
extern int lumFrameTableEnd;
void __register_frame_info(const void* begin, void* object);
void* __deregister_frame_info(const void* begin);
void* __cxa_get_globals();
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

namespace {

constexpr int kFirstExitRoutines = 32;

// What the start-up keeps until exit.
struct ProgramStartState {
    // The unwinder's record of the frame tables (its own layout, six words).
    void* frameObject[8];
    LumSpinLock exitLock;
    int exitCount;
    int exitCapacity;
    void (**exitRoutines)();
    void (*firstExitRoutines[kFirstExitRoutines])();
};
constinit ProgramStartState startState = {};

// The compiler orders the table so that running it backwards gives the
// order of initialisation: priorities first, then link order.
void RunConstructors() {
    int count = 0;
    while (__CTOR_LIST__[count + 1] != nullptr) {
        ++count;
    }
    for (int i = count; i >= 1; --i) {
        __CTOR_LIST__[i]();
    }
}

void RunDestructors() {
    for (int i = 1; __DTOR_LIST__[i] != nullptr; ++i) {
        __DTOR_LIST__[i]();
    }
}

// Routines run last registered, first run; one registered while they run
// (a destructor that makes a static) still runs.
void RunExitRoutines() {
    for (;;) {
        LumSpinAcquire(&startState.exitLock);
        void (*routine)() = nullptr;
        if (startState.exitCount > 0) {
            routine = startState.exitRoutines[--startState.exitCount];
        }
        LumSpinRelease(&startState.exitLock);
        if (routine == nullptr) {
            return;
        }
        routine();
    }
}

bool GrowExitRoutines() {
    int capacity = startState.exitCapacity * 2;
    auto** grown =
        static_cast<void (**)()>(HeapAlloc(GetProcessHeap(), 0, capacity * sizeof(void (*)())));
    if (grown == nullptr) {
        return false;
    }
    for (int i = 0; i < startState.exitCount; ++i) {
        grown[i] = startState.exitRoutines[i];
    }
    if (startState.exitRoutines != startState.firstExitRoutines) {
        HeapFree(GetProcessHeap(), 0, startState.exitRoutines);
    }
    startState.exitRoutines = grown;
    startState.exitCapacity = capacity;
    return true;
}

} // namespace

extern "C" int atexit(void (*routine)()) {
    LumSpinAcquire(&startState.exitLock);
    if (startState.exitRoutines == nullptr) {
        startState.exitRoutines = startState.firstExitRoutines;
        startState.exitCapacity = kFirstExitRoutines;
    }
    bool room = startState.exitCount < startState.exitCapacity || GrowExitRoutines();
    if (room) {
        startState.exitRoutines[startState.exitCount++] = routine;
    }
    LumSpinRelease(&startState.exitLock);
    return room ? 0 : -1;
}

// The image's entry point.
extern "C" void __stdcall LumProgramStart() {
    // The end mark is named here so that the linker, which drops what
    // nothing names, keeps the zero that ends the unwinder's walk.
    const bool frames = lumFrameTableStart != reinterpret_cast<char*>(&lumFrameTableEnd);
    if (frames) {
        __register_frame_info(lumFrameTableStart, startState.frameObject);
    }
    RunConstructors();
    // The thread's exception record is made on first use; made now, a
    // first exception thrown when memory has run out still has it.
    __cxa_get_globals();
    int code = WinMain(GetModuleHandleA(nullptr), nullptr,
                       const_cast<LPSTR>(CommandTail(GetCommandLineA())), StartupShowCommand());
    RunExitRoutines();
    RunDestructors();
    LumRunKeyDestructors();
    if (frames) {
        __deregister_frame_info(lumFrameTableStart);
    }
    ExitProcess(static_cast<UINT>(code));
}
