#include <gtest/gtest.h>
#include <malloc.h>
#include <windows.h>
#include <string>
#include "common/shift_jis.h"
#include "framework/runtime/exceptions.h"
#include "framework/runtime/memory.h"
#include "framework/runtime/state.h"
#include "framework/windows/messaging/win_app.h"
#include "framework/windows/messaging/window.h"

namespace {

constexpr size_t kHuge = 0x7FFFFFF0;
constexpr char kDeletedEvent[] = "LumRuntimeTestExceptionDeleted";

// Thrown where nothing can be captured, so it reports its deletion through
// a named event (see Deleted).
class SignallingException : public CUserException {
public:
    explicit SignallingException(BOOL autoDelete = TRUE) : CUserException(autoDelete) {}
    ~SignallingException() override {
        HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, kDeletedEvent);
        SetEvent(event);
        CloseHandle(event);
    }
};

// Whether a SignallingException was deleted since the last call.
bool Deleted(HANDLE event) {
    bool deleted = WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
    ResetEvent(event);
    return deleted;
}

class HandlerScope {
public:
    explicit HandlerScope(NewHandler handler) : previous(SwapNewHandler(handler)) {}
    ~HandlerScope() { SwapNewHandler(previous); }
    NewHandler previous;
};

// This thread's safety pool: `size` bytes (none for 0) for the scope.
class PoolScope {
public:
    explicit PoolScope(size_t size) : state(GetThreadState()), saved(state->safetyPool) {
        state->safetyPool = size != 0 ? malloc(size) : nullptr;
    }
    ~PoolScope() {
        free(state->safetyPool);
        state->safetyPool = saved;
    }
    void*& Pool() { return state->safetyPool; }

private:
    ThreadState* state;
    void* saved;
};

// A handler cannot capture a counter; each call moves the thread's handler
// slot one step on instead.
template <int N> int Step(size_t) {
    return 0;
}
int RetryTwice(size_t) {
    NewHandler now = GetModuleThreadState()->newHandler;
    NewHandler next = now == &Step<1> ? &Step<2> : now == &Step<2> ? &Step<3> : &Step<1>;
    SwapNewHandler(next);
    return next != &Step<3>;
}

CObject* CreationThrowingHeapException() {
    throw new SignallingException;
}
CObject* CreationThrowingStaticException() {
    RaiseMemoryException();
}

TEST(Exceptions, KindTestsFollowTheRecords) {
    CResourceException* resource = StaticResourceException();
    EXPECT_TRUE(resource->IsOfKind(LUM_RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(resource->IsOfKind(LUM_RUNTIME_CLASS(CMemoryException)));
    EXPECT_FALSE(LUM_RUNTIME_CLASS(CException)->DescendsFrom(LUM_RUNTIME_CLASS(CUserException)));
    // No record of its own: a plain simple exception reports its base's.
    EXPECT_EQ(CSimpleException(FALSE, 0).GetRuntimeClassInfo(), LUM_RUNTIME_CLASS(CException));
    EXPECT_EQ(DowncastTo<CException>(resource), resource);
    EXPECT_EQ(DowncastTo<CMemoryException>(resource), nullptr);
    EXPECT_EQ(DowncastTo<CException>(nullptr), nullptr);
}

TEST(Exceptions, DiscardDeletesOnlyAutoDeleteObjects) {
    try {
        RaiseMemoryException();
    } catch (CException* e) {
        EXPECT_EQ(e, StaticMemoryException());
        e->Discard();
    }
    char text[128] = {};
    EXPECT_TRUE(StaticMemoryException()->FormatErrorText(text, sizeof text, nullptr));
    EXPECT_EQ(text, ShiftJis("ﾒﾓﾘが不足しています。"));

    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, kDeletedEvent);
    (new SignallingException)->Discard();
    EXPECT_TRUE(Deleted(event));
    auto* kept = new SignallingException(FALSE);
    kept->Discard();
    EXPECT_FALSE(Deleted(event));
    kept->autoDelete = -1;
    kept->Discard();
    EXPECT_FALSE(Deleted(event));
    delete kept;
    CloseHandle(event);
}

TEST(Exceptions, FormatErrorTextGivesTheStringTableText) {
    CSimpleException noMessage(FALSE, 0xF020), internal(FALSE, 0xF108), failed(FALSE, 0xF109);
    const std::pair<CException*, const char*> cases[] = {
        {StaticMemoryException(), "ﾒﾓﾘが不足しています。"},
        {StaticResourceException(), "要求されたﾘｿｰｽは使用できません。"},
        {StaticNotSupportedException(), "ｻﾎﾟｰﾄされていない操作を実行しました。"},
        {StaticUserException(), "原因不明のｴﾗｰが発生しました。"},
        {&noMessage, "ｴﾗｰ ﾒｯｾｰｼﾞはありません。"},
        {&internal, "ｱﾌﾟﾘｹｰｼｮﾝの内部ｴﾗｰです。"},
        {&failed, "ｺﾏﾝﾄﾞの実行に失敗しました。"},
    };
    for (auto [exception, expected] : cases) {
        char text[128] = {};
        UINT help = 99;
        EXPECT_TRUE(exception->FormatErrorText(text, sizeof text, &help)) << expected;
        EXPECT_EQ(text, ShiftJis(expected));
        EXPECT_EQ(help, 0u);
    }
    char small[5] = "????";
    EXPECT_TRUE(StaticUserException()->FormatErrorText(small, sizeof small, nullptr));
    EXPECT_EQ(std::string(small), ShiftJis("原因"));

    CSimpleException missing(FALSE, 0xF0FF);
    CException base(FALSE);
    for (CException* e : {static_cast<CException*>(&missing), &base}) {
        char text[16] = "x";
        UINT help = 99;
        EXPECT_FALSE(e->FormatErrorText(text, sizeof text, &help));
        EXPECT_STREQ(text, "");
        EXPECT_EQ(help, 0u);
    }
}

TEST(Exceptions, MessageIsLoadedOnceAndKept) {
    CNotSupportedException early(FALSE), late(FALSE);
    char text[128] = {};
    ASSERT_TRUE(early.FormatErrorText(text, sizeof text, nullptr));
    // From here on the texts cannot be found.
    HINSTANCE saved = GetModuleState()->resourceHandle;
    GetModuleState()->resourceHandle = GetModuleHandleA("kernel32.dll");
    BOOL lateFound = late.FormatErrorText(text, sizeof text, nullptr);
    BOOL earlyFound = early.FormatErrorText(text, sizeof text, nullptr);
    GetModuleState()->resourceHandle = saved;

    EXPECT_FALSE(lateFound);
    EXPECT_TRUE(earlyFound);
    EXPECT_EQ(text, ShiftJis("ｻﾎﾟｰﾄされていない操作を実行しました。"));
    EXPECT_FALSE(late.FormatErrorText(text, sizeof text, nullptr)); // not retried either
}

TEST(ObjectModel, MakeInstanceTurnsFailureIntoNull) {
    EXPECT_EQ(LUM_RUNTIME_CLASS(CWinApp)->MakeInstance(), nullptr);
    CObject* window = LUM_RUNTIME_CLASS(CWnd)->MakeInstance();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->GetRuntimeClassInfo(), LUM_RUNTIME_CLASS(CWnd));
    delete window;

    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, kDeletedEvent);
    const RuntimeClassInfo heapThrower = {
        "H", 4, 0xFFFF, &CreationThrowingHeapException, LUM_RUNTIME_CLASS(CObject), nullptr};
    EXPECT_EQ(heapThrower.MakeInstance(), nullptr);
    EXPECT_TRUE(Deleted(event));
    CloseHandle(event);
    const RuntimeClassInfo staticThrower = {
        "S", 4, 0xFFFF, &CreationThrowingStaticException, LUM_RUNTIME_CLASS(CObject), nullptr};
    EXPECT_EQ(staticThrower.MakeInstance(), nullptr);
}

TEST(SafetyPool, CriticalHandlerSpendsThePoolThenThrows) {
    PoolScope pool(512);
    void* block = pool.Pool();
    EXPECT_EQ(SafetyPoolNewHandler(100), 1);
    EXPECT_EQ(pool.Pool(), block); // shrunk in place
    EXPECT_EQ(_msize(block), 408u);
    EXPECT_EQ(SafetyPoolNewHandler(403), 1);
    EXPECT_EQ(_msize(block), 1u);
    EXPECT_EQ(SafetyPoolNewHandler(0), 1);
    EXPECT_EQ(pool.Pool(), nullptr);
    EXPECT_THROW(SafetyPoolNewHandler(1), CMemoryException*);

    PoolScope big(512);
    EXPECT_EQ(SafetyPoolNewHandler(600), 1);
    EXPECT_EQ(big.Pool(), nullptr);
}

TEST(ObjectMemory, FailedAllocationAsksTheThreadsHandler) {
    HandlerScope retrying(&RetryTwice);
    EXPECT_EQ(retrying.previous, &ThrowingNewHandler);
    EXPECT_EQ(AllocateObjectMemory(kHuge), nullptr);
    // Three calls of the handler taken once per allocation.
    EXPECT_EQ(GetModuleThreadState()->newHandler, &Step<3>);
    // Objects are never built on null, whatever the handler says.
    EXPECT_THROW(CObject::operator new(kHuge), CMemoryException*);

    SwapNewHandler(nullptr);
    EXPECT_EQ(AllocateObjectMemory(kHuge), nullptr);
    SwapNewHandler(&ThrowingNewHandler);
    EXPECT_THROW(AllocateObjectMemory(kHuge), CMemoryException*);
    PoolScope pool(512);
    SwapNewHandler(&SafetyPoolNewHandler);
    EXPECT_THROW(AllocateObjectMemory(kHuge), CMemoryException*);
    EXPECT_EQ(pool.Pool(), nullptr);
}

// The application object registers itself in the state records and clears
// them when it goes; this puts back what was there before.
class ApplicationRecords {
public:
    ApplicationRecords()
        : app(GetModuleState()->currentApp), thread(GetModuleThreadState()->currentThread) {}
    ~ApplicationRecords() {
        GetModuleState()->currentApp = app;
        GetModuleThreadState()->currentThread = thread;
    }

private:
    CWinApp* app;
    CWinThread* thread;
};

TEST(SafetyPool, RefillRestoresTheApplicationsSize) {
    ApplicationRecords records;
    PoolScope pool(0);
    GetModuleState()->currentApp = nullptr;
    RefillSafetyPool();
    EXPECT_EQ(pool.Pool(), nullptr);

    CWinApp app;
    RefillSafetyPool();
    ASSERT_NE(pool.Pool(), nullptr);
    EXPECT_EQ(_msize(pool.Pool()), 512u);
    SafetyPoolNewHandler(100);
    RefillSafetyPool();
    EXPECT_EQ(_msize(pool.Pool()), 512u);
    void* full = pool.Pool();
    RefillSafetyPool();
    EXPECT_EQ(pool.Pool(), full);
    app.safetyPoolSize = 1024;
    RefillSafetyPool();
    EXPECT_EQ(_msize(pool.Pool()), 1024u);
    app.safetyPoolSize = 0;
    SafetyPoolNewHandler(2000);
    RefillSafetyPool();
    EXPECT_EQ(pool.Pool(), nullptr);
}

} // namespace
