// Loaded into a measured program by the launcher's WH_GETMESSAGE hook:
// counts what the program's thread retrieves while it should be idle.
#include "idle_protocol.h"

namespace {

// Opened on the first hooked call, in the measured process; lives as long
// as the library stays loaded.
class SharedBlock {
public:
    SharedBlock() {
        char name[64];
        idleprobe::BlockName(GetCurrentProcessId(), name);
        mapping = OpenFileMappingA(FILE_MAP_WRITE | FILE_MAP_READ, FALSE, name);
        if (mapping != nullptr) {
            block = static_cast<idleprobe::Block*>(MapViewOfFile(
                mapping, FILE_MAP_WRITE | FILE_MAP_READ, 0, 0, sizeof(idleprobe::Block)));
        }
    }
    ~SharedBlock() {
        if (block != nullptr) {
            UnmapViewOfFile(block);
        }
        if (mapping != nullptr) {
            CloseHandle(mapping);
        }
    }
    SharedBlock(const SharedBlock&) = delete;
    SharedBlock& operator=(const SharedBlock&) = delete;

    HANDLE mapping = nullptr;
    idleprobe::Block* block = nullptr;
};

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    IdleHook(int code, WPARAM removal, LPARAM lParam) {
    static SharedBlock shared;
    static const UINT kick = RegisterWindowMessageA(idleprobe::kKickMessage);
    idleprobe::Block* block = shared.block;
    if (code == HC_ACTION && block != nullptr) {
        const MSG* message = reinterpret_cast<const MSG*>(lParam);
        if (removal == PM_REMOVE) {
            LONG n = InterlockedIncrement(&block->removed);
            block->recent[(n - 1) % idleprobe::kRecent] = {message->message, message->hwnd};
            if (message->message == kick) {
                InterlockedExchange(&block->kicked, 1);
            }
        } else {
            InterlockedIncrement(&block->peeked);
        }
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}
