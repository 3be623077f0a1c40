#include "framework/runtime/code_page.h"

#include "framework/runtime/thread_primitives.h"

namespace {

// The process's multibyte state: the code page and a bit per lead byte.
struct CodePageState {
    LumSpinLock lock;
    bool selected;
    UINT codePage;
    DWORD leadBits[256 / 32];
};
constinit CodePageState codePageState = {};

// The state as of the call, selecting the ANSI code page on first use.
CodePageState& Selected() {
    if (!__atomic_load_n(&codePageState.selected, __ATOMIC_ACQUIRE)) {
        SelectMultibyteCodePage(CP_ACP);
    }
    return codePageState;
}

} // namespace

BOOL SelectMultibyteCodePage(UINT codePage) {
    UINT resolved = codePage == CP_ACP ? GetACP() : codePage;
    CPINFO info;
    if (!GetCPInfo(resolved, &info)) {
        return FALSE;
    }
    DWORD bits[256 / 32] = {};
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
        for (unsigned byte = info.LeadByte[i]; byte <= info.LeadByte[i + 1]; ++byte) {
            bits[byte / 32] |= 1ul << (byte % 32);
        }
    }
    LumSpinAcquire(&codePageState.lock);
    codePageState.codePage = resolved;
    for (int i = 0; i < 256 / 32; ++i) {
        codePageState.leadBits[i] = bits[i];
    }
    __atomic_store_n(&codePageState.selected, true, __ATOMIC_RELEASE);
    LumSpinRelease(&codePageState.lock);
    return TRUE;
}

UINT CurrentMultibyteCodePage() {
    return Selected().codePage;
}

bool IsMultibyteLeadByte(BYTE byte) {
    return (Selected().leadBits[byte / 32] >> (byte % 32) & 1) != 0;
}
