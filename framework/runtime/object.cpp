#include "framework/runtime/object.h"

#include "framework/runtime/exceptions.h"
#include "framework/runtime/memory.h"

const RuntimeClassInfo CObject::classCObject = {"CObject", sizeof(CObject), 0xFFFF,
                                                nullptr,   nullptr,         nullptr};

const RuntimeClassInfo* CObject::GetRuntimeClassInfo() const {
    return &classCObject;
}

BOOL CObject::IsOfKind(const RuntimeClassInfo* record) const {
    return GetRuntimeClassInfo()->DescendsFrom(record);
}

void* CObject::operator new(size_t size) {
    // A throwing operator new must not return null: the constructor would
    // run on it. A handler that gives up still ends in the memory exception.
    void* p = AllocateObjectMemory(size);
    if (p == nullptr) {
        RaiseMemoryException();
    }
    return p;
}

void CObject::operator delete(void* p) noexcept {
    FreeObjectMemory(p);
}

BOOL RuntimeClassInfo::DescendsFrom(const RuntimeClassInfo* base) const {
    for (const RuntimeClassInfo* r = this; r != nullptr; r = r->baseClass) {
        if (r == base) {
            return TRUE;
        }
    }
    return FALSE;
}

CObject* RuntimeClassInfo::MakeInstance() const {
    if (creationFunction == nullptr) {
        return nullptr;
    }
    try {
        return creationFunction();
    } catch (CException* e) {
        e->Discard();
        return nullptr;
    }
}

CObject* DowncastTo(const RuntimeClassInfo* record, CObject* object) {
    return object != nullptr && object->IsOfKind(record) ? object : nullptr;
}
