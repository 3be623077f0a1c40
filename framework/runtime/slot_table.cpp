#include "framework/runtime/slot_table.h"

#include <atomic>
#include <new>
#include "framework/runtime/exceptions.h"
#include "framework/runtime/global_locks.h"

namespace {

constexpr UINT kSlotMemoryFlags = GMEM_MOVEABLE | GMEM_SHARE;
constexpr int kSlotGrowth = 32;

// The table lives in static storage and is never destroyed: per-thread
// records are released after every other static object is gone.
alignas(CSlotTable) unsigned char slotTableStorage[sizeof(CSlotTable)];
CSlotTable* slotTable;

} // namespace

CSlotTable::CSlotTable() {
    tlsIndex = TlsAlloc();
    if (tlsIndex == TLS_OUT_OF_INDEXES) {
        RaiseMemoryException();
    }
    InitializeCriticalSection(&lock);
}

CSlotTable* CSlotTable::Existing() {
    return slotTable;
}

CSlotTable* CSlotTable::Get() {
    if (slotTable == nullptr) {
        slotTable = new (slotTableStorage) CSlotTable;
    }
    return slotTable;
}

int CSlotTable::AllocateSlot() {
    CriticalSectionLock guard(&lock);
    int slot = nextSlot;
    if (slot >= slotCount || (slots[slot].flags & kSlotInUse) != 0) {
        for (slot = 1; slot < slotCount && (slots[slot].flags & kSlotInUse) != 0; ++slot) {
        }
        if (slot >= slotCount) {
            int newCount = slotCount + kSlotGrowth;
            SIZE_T bytes = newCount * sizeof(SlotEntry);
            HGLOBAL block;
            if (slots == nullptr) {
                block = GlobalAlloc(kSlotMemoryFlags, bytes);
            } else {
                HGLOBAL old = GlobalHandle(slots);
                GlobalUnlock(old);
                block = GlobalReAlloc(old, bytes, kSlotMemoryFlags);
                if (block == nullptr) {
                    GlobalLock(old);
                }
            }
            if (block == nullptr) {
                RaiseMemoryException();
            }
            auto* grown = static_cast<SlotEntry*>(GlobalLock(block));
            for (int i = slotCount; i < newCount; ++i) {
                grown[i].flags = 0;
            }
            slots = grown;
            slot = slotCount == 0 ? 1 : slotCount;
            slotCount = newCount;
        }
    }
    if (slot >= slotLimit) {
        slotLimit = slot + 1;
    }
    slots[slot].flags |= kSlotInUse;
    nextSlot = slot + 1;
    return slot;
}

void CSlotTable::ReleaseSlot(int slot) {
    CriticalSectionLock guard(&lock);
    for (CThreadData* data = threadList; data != nullptr; data = data->next) {
        if (slot < data->count) {
            delete data->values[slot];
            data->values[slot] = nullptr;
        }
    }
    if (slot > 0 && slot < slotCount) {
        slots[slot].flags &= ~kSlotInUse;
    }
}

void CSlotTable::SetThreadValue(int slot, CNoTrackObject* value) {
    auto* data = static_cast<CThreadData*>(TlsGetValue(tlsIndex));
    if (data == nullptr || (slot >= data->count && value != nullptr)) {
        // Other threads walk the list and write into value arrays under the
        // lock; linking a record or moving its array must not race them.
        CriticalSectionLock guard(&lock);
        if (data == nullptr) {
            data = new CThreadData;
            data->next = threadList;
            threadList = data;
            TlsSetValue(tlsIndex, data);
        }
        int newCount = slotLimit;
        void* grown;
        if (data->values == nullptr) {
            grown = LocalAlloc(LMEM_FIXED, newCount * sizeof(CNoTrackObject*));
        } else {
            grown = LocalReAlloc(data->values, newCount * sizeof(CNoTrackObject*), LMEM_MOVEABLE);
        }
        if (grown == nullptr) {
            RaiseMemoryException();
        }
        data->values = static_cast<CNoTrackObject**>(grown);
        for (int i = data->count; i < newCount; ++i) {
            data->values[i] = nullptr;
        }
        data->count = newCount;
    }
    if (slot < data->count) {
        data->values[slot] = value;
    }
}

void CSlotTable::DeleteValuesOf(CThreadData* data) {
    for (int i = 1; i < data->count; ++i) {
        delete data->values[i];
        data->values[i] = nullptr;
    }
    CThreadData** link = &threadList;
    while (*link != nullptr && *link != data) {
        link = &(*link)->next;
    }
    if (*link == data) {
        *link = data->next;
    }
    if (data->values != nullptr) {
        LocalFree(data->values);
    }
    delete data;
}

void CSlotTable::DeleteThreadValues(BOOL allThreads) {
    CriticalSectionLock guard(&lock);
    if (allThreads) {
        while (threadList != nullptr) {
            DeleteValuesOf(threadList);
        }
    } else {
        auto* data = static_cast<CThreadData*>(TlsGetValue(tlsIndex));
        if (data != nullptr) {
            DeleteValuesOf(data);
        }
    }
    TlsSetValue(tlsIndex, nullptr);
}

CNoTrackObject* CThreadLocalHolder::GetRecord(RecordFactory factory) {
    CSlotTable* table = CSlotTable::Get();
    if (slot == 0) {
        slot = table->AllocateSlot();
    }
    CNoTrackObject* value = table->GetThreadValue(slot);
    if (value == nullptr) {
        value = factory();
        try {
            table->SetThreadValue(slot, value);
        } catch (...) {
            delete value;
            throw;
        }
    }
    return value;
}

void CThreadLocalHolder::Release() {
    if (slot != 0) {
        if (CSlotTable* table = CSlotTable::Existing()) {
            table->ReleaseSlot(slot);
        }
        slot = 0;
    }
}

CNoTrackObject* CProcessLocalHolder::GetRecord(RecordFactory factory) {
    // The unlocked first check must not see the pointer before the record
    // it points to is complete.
    std::atomic_ref<CNoTrackObject*> published(record);
    CNoTrackObject* value = published.load(std::memory_order_acquire);
    if (value == nullptr) {
        CriticalSectionLock guard(GlobalLockSection(kLockProcessRecords));
        value = published.load(std::memory_order_relaxed);
        if (value == nullptr) {
            value = factory();
            published.store(value, std::memory_order_release);
        }
    }
    return value;
}

void CProcessLocalHolder::Release() {
    delete record;
    record = nullptr;
}

void ReleaseLocalState(BOOL allThreads) {
    if (CSlotTable* table = CSlotTable::Existing()) {
        table->DeleteThreadValues(allThreads);
    }
}
