// The framework's allocator with a per-thread out-of-memory handler and the
// safety pool that is spent while temporary objects are being made.
#pragma once

#include <cstddef>

using NewHandler = int (*)(size_t size);

void* AllocateObjectMemory(size_t size);
void FreeObjectMemory(void* pointer);

NewHandler SwapNewHandler(NewHandler handler);
int ThrowingNewHandler(size_t size);
int SafetyPoolNewHandler(size_t size);

#ifdef LUM_FAULT_INJECTION
// Test builds only: refuses one numbered framework allocation of one thread
// and counts the framework's live blocks, so that every failure path can be run.
struct FaultInjection {
    unsigned long thread; // whose allocations are numbered; 0: nobody's
    long numbered;
    long failAt; // 0: none is refused
    long liveBlocks;
    void (*onRefusal)(size_t size);
};
extern FaultInjection faultInjection;
bool RefuseFrameworkAllocation(size_t size);
void CountFrameworkBlock(long delta);
#endif

// Installs the safety-pool handler for a scope and puts the old one back.
class SafetyPoolScope {
public:
    SafetyPoolScope() : previous(SwapNewHandler(&SafetyPoolNewHandler)) {}
    ~SafetyPoolScope() { SwapNewHandler(previous); }
    SafetyPoolScope(const SafetyPoolScope&) = delete;
    SafetyPoolScope& operator=(const SafetyPoolScope&) = delete;

private:
    NewHandler previous;
};
