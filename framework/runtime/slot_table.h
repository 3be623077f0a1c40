// Per-thread values on top of the system's thread-local storage: slot numbers
// shared by all threads, one value array per thread.
#pragma once

#include <windows.h>
#include "framework/runtime/no_track.h"

class CThreadData : public CNoTrackObject {
public:
    CThreadData* next = nullptr;
    int count = 0;
    CNoTrackObject** values = nullptr;
};

constexpr DWORD kSlotInUse = 0x1;

struct SlotEntry {
    DWORD flags; // kSlotInUse
};

class CSlotTable {
public:
    CSlotTable();

    int AllocateSlot();
    void ReleaseSlot(int slot);
    // Inline with PeekRecord: dispatch reads its records for every message.
    CNoTrackObject* GetThreadValue(int slot) const {
        auto* data = static_cast<CThreadData*>(TlsGetValue(tlsIndex));
        if (data == nullptr || slot >= data->count) {
            return nullptr;
        }
        return data->values[slot];
    }
    void SetThreadValue(int slot, CNoTrackObject* value);
    void DeleteThreadValues(BOOL allThreads);

    // Null until the first per-thread record is asked for.
    static CSlotTable* Existing();
    static CSlotTable* Get();

    DWORD tlsIndex;
    int slotCount = 0;
    int nextSlot = 1;
    int slotLimit = 0;
    SlotEntry* slots = nullptr;
    CThreadData* threadList = nullptr;
    CRITICAL_SECTION lock;

private:
    void DeleteValuesOf(CThreadData* data);
};

using RecordFactory = CNoTrackObject* (*)();

class CThreadLocalHolder {
public:
    constexpr CThreadLocalHolder() = default;
    ~CThreadLocalHolder() { Release(); }
    CThreadLocalHolder(const CThreadLocalHolder&) = delete;
    CThreadLocalHolder& operator=(const CThreadLocalHolder&) = delete;

    CNoTrackObject* GetRecord(RecordFactory factory);
    // This thread's record, or null when it has none yet.
    CNoTrackObject* PeekRecord() const {
        CSlotTable* table = CSlotTable::Existing();
        if (slot == 0 || table == nullptr) {
            return nullptr;
        }
        return table->GetThreadValue(slot);
    }
    void Release();

    int slot = 0;
};

class CProcessLocalHolder {
public:
    constexpr CProcessLocalHolder() = default;
    ~CProcessLocalHolder() { Release(); }
    CProcessLocalHolder(const CProcessLocalHolder&) = delete;
    CProcessLocalHolder& operator=(const CProcessLocalHolder&) = delete;

    CNoTrackObject* GetRecord(RecordFactory factory);
    void Release();

    CNoTrackObject* record = nullptr;
};

template <class T> CNoTrackObject* MakeRecord() {
    return new T;
}

template <class T> class ThreadLocal : public CThreadLocalHolder {
public:
    T* Get() { return static_cast<T*>(GetRecord(&MakeRecord<T>)); }
    T* Peek() const { return static_cast<T*>(PeekRecord()); }
};

template <class T> class ProcessLocal : public CProcessLocalHolder {
public:
    T* Get() { return static_cast<T*>(GetRecord(&MakeRecord<T>)); }
};

// Deletes the per-thread records of every thread, or of this one.
void ReleaseLocalState(BOOL allThreads);
