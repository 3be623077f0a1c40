#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <vector>
#include "common/import_patch.h"
#include "framework/runtime/exceptions.h"
#include "framework/runtime/global_locks.h"
#include "framework/runtime/slot_table.h"
#include "framework/runtime/state.h"

namespace {

constexpr DWORD kWaitMs = 20000;

class Counted : public CNoTrackObject {
public:
    explicit Counted(std::atomic<int>* destroyed) : destroyed(destroyed) {}
    ~Counted() override { ++*destroyed; }

private:
    std::atomic<int>* destroyed;
};

// Runs `body` on a system thread of its own.
class TestThread {
public:
    explicit TestThread(std::function<void()> body)
        : body(std::move(body)), started(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
        handle = CreateThread(nullptr, 0, &Run, this, 0, nullptr);
        // The emulated test bed crashes when two threads start up at once.
        WaitForSingleObject(started, kWaitMs);
    }
    ~TestThread() {
        // Still running means the test has failed; do not hang the run.
        if (!Finished()) {
            TerminateThread(handle, 1);
        }
        CloseHandle(handle);
        CloseHandle(started);
    }
    TestThread(const TestThread&) = delete;
    TestThread& operator=(const TestThread&) = delete;

    bool Finished(DWORD ms = kWaitMs) { return WaitForSingleObject(handle, ms) == WAIT_OBJECT_0; }

private:
    static DWORD WINAPI Run(void* self) {
        SetEvent(static_cast<TestThread*>(self)->started);
        static_cast<TestThread*>(self)->body();
        return 0;
    }

    std::function<void()> body;
    HANDLE started;
    HANDLE handle;
};

// A table of the test's own: the framework's table is left alone.
class SlotTableTest : public testing::Test {
protected:
    ~SlotTableTest() override {
        table.DeleteThreadValues(TRUE);
        if (table.slots != nullptr) {
            HGLOBAL block = GlobalHandle(table.slots);
            GlobalUnlock(block);
            GlobalFree(block);
        }
        DeleteCriticalSection(&table.lock);
        TlsFree(table.tlsIndex);
    }

    CThreadData* ThisThreadData() const {
        return static_cast<CThreadData*>(TlsGetValue(table.tlsIndex));
    }
    std::vector<CThreadData*> Records() const {
        std::vector<CThreadData*> records;
        for (CThreadData* d = table.threadList; d != nullptr && records.size() < 1000;
             d = d->next) {
            records.push_back(d);
        }
        return records;
    }
    void AllocateUpTo(int last) {
        while (table.slotLimit <= last) {
            table.AllocateSlot();
        }
    }

    CSlotTable table;
    std::atomic<int> destroyed{0};
};

TEST_F(SlotTableTest, FirstSlotIsOneAndThe32ndGrowsTheTable) {
    EXPECT_EQ(table.AllocateSlot(), 1);
    AllocateUpTo(31);
    EXPECT_EQ(table.slotCount, 32);
    EXPECT_EQ(table.AllocateSlot(), 32);
    EXPECT_EQ(table.slotCount, 64);
    EXPECT_EQ(table.slotLimit, 33);
    for (int s = 0; s < 64; ++s) {
        EXPECT_EQ(table.slots[s].flags & 1, s >= 1 && s <= 32 ? 1u : 0u) << "slot " << s;
    }
    HGLOBAL block = GlobalHandle(table.slots);
    EXPECT_GE(GlobalSize(block), 64 * sizeof(SlotEntry));
    EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 1u);
}

TEST_F(SlotTableTest, FreedSlotIsReusedOnlyWhenTheSearchFromNextFails) {
    AllocateUpTo(3);
    table.ReleaseSlot(2);
    EXPECT_EQ(table.nextSlot, 4);
    EXPECT_EQ(table.slotLimit, 4);
    EXPECT_EQ(table.AllocateSlot(), 4);
    AllocateUpTo(31);
    EXPECT_EQ(table.AllocateSlot(), 2);
    EXPECT_EQ(table.slotCount, 32);
    EXPECT_EQ(table.AllocateSlot(), 32);
}

TEST_F(SlotTableTest, EachThreadHasItsOwnArrayOfSlotLimitEntries) {
    AllocateUpTo(8);
    auto* mine = new Counted(&destroyed);
    table.SetThreadValue(2, mine);
    auto* theirs = new Counted(&destroyed);
    CNoTrackObject* seenBefore = theirs;
    CThreadData* data = nullptr;
    TestThread other([&] {
        seenBefore = table.GetThreadValue(2);
        table.SetThreadValue(5, theirs);
        data = ThisThreadData();
    });
    ASSERT_TRUE(other.Finished());
    EXPECT_EQ(seenBefore, nullptr);
    EXPECT_EQ(table.GetThreadValue(2), mine);
    EXPECT_EQ(table.GetThreadValue(5), nullptr);
    ASSERT_EQ(Records(), (std::vector<CThreadData*>{data, ThisThreadData()})); // newest first
    EXPECT_EQ(data->count, 9);
    EXPECT_EQ(LocalSize(data->values), 9 * sizeof(CNoTrackObject*));
    for (int s = 0; s < 9; ++s) {
        EXPECT_EQ(data->values[s], s == 5 ? theirs : nullptr) << "slot " << s;
    }

    // Growing keeps what the array held; a null beyond it changes nothing.
    AllocateUpTo(11);
    table.SetThreadValue(11, nullptr);
    EXPECT_EQ(ThisThreadData()->count, 9);
    auto* late = new Counted(&destroyed);
    table.SetThreadValue(11, late);
    CNoTrackObject** values = ThisThreadData()->values;
    EXPECT_EQ(ThisThreadData()->count, 12);
    EXPECT_EQ(values[2], mine);
    EXPECT_EQ(values[10], nullptr);
    EXPECT_EQ(values[11], late);
}

// The system calls that fail while a case's patch lives.
DWORD WINAPI NoTlsIndex() {
    return TLS_OUT_OF_INDEXES;
}
HGLOBAL WINAPI NoGlobalGrowth(HGLOBAL, SIZE_T, UINT) {
    return nullptr;
}
HLOCAL WINAPI NoLocalGrowth(HLOCAL, SIZE_T, UINT) {
    return nullptr;
}

bool ThrowsMemoryException(const std::function<void()>& call) {
    try {
        call();
    } catch (CException* e) {
        bool memory = e->IsOfKind(LUM_RUNTIME_CLASS(CMemoryException));
        e->Discard();
        return memory;
    }
    return false;
}

// What a failed growth must leave as it was.
struct TableState {
    const SlotEntry* slots;
    int slotCount, nextSlot, slotLimit;
    UINT blockLocks;
    CNoTrackObject** values;
    int count;
    CNoTrackObject* value5;
    bool operator==(const TableState&) const = default;
};

TEST_F(SlotTableTest, FailedSystemAllocationsThrowAndKeepWhatWasThere) {
    AllocateUpTo(31); // full: the next slot grows the table
    auto* kept = new Counted(&destroyed);
    table.SetThreadValue(5, kept);
    auto state = [&] {
        CThreadData* data = ThisThreadData();
        return TableState{table.slots,
                          table.slotCount,
                          table.nextSlot,
                          table.slotLimit,
                          GlobalFlags(GlobalHandle(table.slots)) & GMEM_LOCKCOUNT,
                          data->values,
                          data->count,
                          table.GetThreadValue(5)};
    };
    alignas(CSlotTable) unsigned char storage[sizeof(CSlotTable)];
    Counted late(&destroyed);
    const struct {
        const char* function;
        void* failing;
        std::function<void()> prepare, call;
    } cases[] = {
        {"TlsAlloc", reinterpret_cast<void*>(&NoTlsIndex), [] {},
         [&] { new (storage) CSlotTable; }},
        {"GlobalReAlloc", reinterpret_cast<void*>(&NoGlobalGrowth), [] {},
         [&] { table.AllocateSlot(); }},
        // The value array grows to a slot the table has handed out.
        {"LocalReAlloc", reinterpret_cast<void*>(&NoLocalGrowth), [&] { table.AllocateSlot(); },
         [&] { table.SetThreadValue(table.slotLimit - 1, &late); }},
    };
    for (const auto& c : cases) {
        c.prepare();
        const TableState before = state();
        ImportPatch patch("kernel32.dll", c.function, c.failing);
        ASSERT_TRUE(patch.Applied()) << c.function;
        EXPECT_TRUE(ThrowsMemoryException(c.call)) << c.function;
        EXPECT_TRUE(state() == before) << c.function;
        EXPECT_EQ(table.lock.OwningThread, nullptr) << c.function << " left its lock held";
    }
    EXPECT_EQ(state().blockLocks, 1u);
    EXPECT_EQ(state().value5, kept);
}

TEST_F(SlotTableTest, ReleaseSlotDeletesTheValueOfEveryThread) {
    int kept = table.AllocateSlot();
    // This thread's array ends before the slot released below.
    TestThread early([&] { table.SetThreadValue(kept, new Counted(&destroyed)); });
    ASSERT_TRUE(early.Finished());
    int released = table.AllocateSlot();
    auto store = [&] {
        table.SetThreadValue(kept, new Counted(&destroyed));
        table.SetThreadValue(released, new Counted(&destroyed));
    };
    store();
    TestThread a(store);
    TestThread b(store);
    ASSERT_TRUE(a.Finished() && b.Finished());

    table.ReleaseSlot(released);
    EXPECT_EQ(destroyed, 3);
    for (CThreadData* d : Records()) {
        EXPECT_NE(d->values[kept], nullptr);
        EXPECT_TRUE(d->count <= released || d->values[released] == nullptr);
    }
    EXPECT_EQ(table.slots[released].flags & 1, 0u);
    EXPECT_EQ(table.nextSlot, released + 1);
    EXPECT_EQ(table.slotLimit, released + 1);
}

TEST_F(SlotTableTest, DeleteThreadValuesForThisThreadOrForAll) {
    AllocateUpTo(2);
    auto store = [&] {
        table.SetThreadValue(1, new Counted(&destroyed));
        table.SetThreadValue(2, new Counted(&destroyed));
    };
    TestThread other(store);
    ASSERT_TRUE(other.Finished());
    CThreadData* otherData = table.threadList;
    store();

    table.DeleteThreadValues(FALSE);
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(ThisThreadData(), nullptr);
    EXPECT_EQ(Records(), std::vector<CThreadData*>{otherData});
    table.SetThreadValue(1, new Counted(&destroyed));
    EXPECT_EQ(Records().size(), 2u);

    table.DeleteThreadValues(TRUE);
    EXPECT_EQ(destroyed, 5);
    EXPECT_EQ(table.threadList, nullptr);
    EXPECT_EQ(ThisThreadData(), nullptr);
}

// Threads link, grow and unlink their records while another thread hands out
// and releases slots, walking every record. The list must come out whole.
TEST_F(SlotTableTest, ConcurrentStoresAndSlotChurnKeepEveryRecordListed) {
    constexpr int kWorkers = 8;
    constexpr int kRounds = 10000;
    std::atomic<int> newest{table.AllocateSlot()};
    std::atomic<int> created{0};
    std::atomic<bool> go{false};
    std::mutex survivorsLock;
    std::set<CThreadData*> survivors;
    auto storeNewest = [&] {
        int slot = newest;
        if (table.GetThreadValue(slot) == nullptr) {
            ++created;
            table.SetThreadValue(slot, new Counted(&destroyed));
        }
    };

    std::deque<TestThread> threads;
    for (int w = 0; w < kWorkers; ++w) {
        threads.emplace_back([&, w] {
            while (!go) {
                SwitchToThread();
            }
            for (int i = 0; i < kRounds; ++i) {
                storeNewest();
                if ((i + w) % 2 == 0) {
                    table.DeleteThreadValues(FALSE);
                }
            }
            storeNewest();
            std::lock_guard<std::mutex> guard(survivorsLock);
            survivors.insert(ThisThreadData());
        });
    }
    threads.emplace_back([&] {
        while (!go) {
            SwitchToThread();
        }
        for (int i = 0; i < kRounds; ++i) {
            if (i % 32 == 0) {
                newest = table.AllocateSlot(); // arrays must grow
            }
            table.ReleaseSlot(table.AllocateSlot());
        }
    });
    go = true;
    for (TestThread& t : threads) {
        ASSERT_TRUE(t.Finished());
    }

    std::vector<CThreadData*> records = Records();
    EXPECT_EQ(records.size(), static_cast<size_t>(kWorkers));
    EXPECT_EQ(std::set<CThreadData*>(records.begin(), records.end()), survivors);
    int live = 0;
    for (CThreadData* d : records) {
        for (int s = 0; s < d->count; ++s) {
            live += d->values[s] != nullptr;
        }
    }
    EXPECT_EQ(live, created - destroyed);
    table.DeleteThreadValues(TRUE);
    EXPECT_EQ(destroyed, created);
}

TEST(StateRecords, ModuleStateIsSharedThreadStatesAreNot) {
    ModuleState* otherModule = nullptr;
    ThreadState* otherThread = nullptr;
    ModuleThreadState* otherModuleThread = nullptr;
    bool stable = false;
    TestThread other([&] {
        otherModule = GetModuleState();
        otherThread = GetThreadState();
        otherModuleThread = GetModuleThreadState();
        stable = GetThreadState() == otherThread && GetModuleThreadState() == otherModuleThread;
    });
    ASSERT_TRUE(other.Finished());
    EXPECT_TRUE(stable);
    EXPECT_EQ(otherModule, GetModuleState());
    ASSERT_NE(otherThread, nullptr);
    ASSERT_NE(otherModuleThread, nullptr);
    EXPECT_NE(otherThread, GetThreadState());
    EXPECT_NE(otherModuleThread, GetModuleThreadState());
    EXPECT_EQ(otherThread->lastHitCode, -1);
    EXPECT_EQ(otherModuleThread->newHandler, &ThrowingNewHandler);
}

TEST(StateRecords, ThrowingFactoryLeavesNothingBehindAndLock16Free) {
    CProcessLocalHolder holder;
    RecordFactory throwing = []() -> CNoTrackObject* { RaiseResourceException(); };
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_THROW(holder.GetRecord(throwing), CResourceException*);
        EXPECT_EQ(holder.record, nullptr);
    }
    TestThread other([] { CriticalSectionLock lock(GlobalLockSection(kLockProcessRecords)); });
    bool finished = other.Finished();
    if (!finished) {
        // Let the blocked thread through so that the run goes on.
        ReleaseGlobalLock(kLockProcessRecords);
        ReleaseGlobalLock(kLockProcessRecords);
    }
    EXPECT_TRUE(finished);

    CNoTrackObject* record = holder.GetRecord(&MakeRecord<WindowState>);
    EXPECT_NE(record, nullptr);
    EXPECT_EQ(holder.GetRecord(throwing), record);
}

TEST(GlobalLocks, TakingALockTwiceOnOneThreadDoesNotBlock) {
    auto takeAll = [](int times) {
        for (int n = 0; n < kGlobalLockCount; ++n) {
            for (int i = 0; i < times; ++i) {
                TakeGlobalLock(n);
            }
            for (int i = 0; i < times; ++i) {
                ReleaseGlobalLock(n);
            }
        }
    };
    TestThread twice([&] { takeAll(2); });
    ASSERT_TRUE(twice.Finished());
    TestThread after([&] { takeAll(1); }); // and left free for others
    EXPECT_TRUE(after.Finished());
}

// Win32s runs one thread at a time: no lock is ever entered there.
int sectionsEntered = 0;
using EnterCall = void(WINAPI*)(CRITICAL_SECTION*);
EnterCall enterSection = nullptr;
void WINAPI CountEntry(CRITICAL_SECTION* section) {
    ++sectionsEntered;
    enterSection(section);
}

TEST(GlobalLocks, NoneIsEnteredOnWin32sAndEachOnceElsewhere) {
    const DWORD version = GetVersion();
    const bool win32s = (version & 0x80000000u) != 0 && LOBYTE(LOWORD(version)) < 4;
    for (int n = 0; n < kGlobalLockCount; ++n) {
        EXPECT_EQ(win32s, GlobalLockSection(n) == nullptr) << n;
    }
    sectionsEntered = 0;
    {
        ImportPatch entry("KERNEL32.dll", "EnterCriticalSection",
                          reinterpret_cast<void*>(&CountEntry));
        ASSERT_TRUE(entry.Applied());
        enterSection = entry.Original<EnterCall>();
        for (int n = 0; n < kGlobalLockCount; ++n) {
            TakeGlobalLock(n);
            ReleaseGlobalLock(n);
        }
    }
    EXPECT_EQ(win32s ? 0 : kGlobalLockCount, sectionsEntered);
}

} // namespace
