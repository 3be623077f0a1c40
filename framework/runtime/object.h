// Run-time class records and the root class of every framework object.
#pragma once

#include <windows.h>
#include <cstddef>

class CObject;

struct RuntimeClassInfo {
    const char* className;
    int objectSize;
    UINT schema;
    CObject* (*creationFunction)();
    const RuntimeClassInfo* baseClass;
    const RuntimeClassInfo* next;

    BOOL DescendsFrom(const RuntimeClassInfo* base) const;
    CObject* MakeInstance() const;
};
static_assert(sizeof(RuntimeClassInfo) == 24, "six 32-bit fields");

class CObject {
public:
    static const RuntimeClassInfo classCObject;
    static const RuntimeClassInfo* StaticClass() { return &classCObject; }

    virtual const RuntimeClassInfo* GetRuntimeClassInfo() const;
    virtual ~CObject() = default;

    BOOL IsOfKind(const RuntimeClassInfo* record) const;

    // Framework objects live in the framework's allocator, which reports
    // exhaustion through the thread's out-of-memory handler.
    static void* operator new(size_t size);
    static void* operator new(size_t, void* where) noexcept { return where; }
    static void operator delete(void* p) noexcept;
    static void operator delete(void*, void*) noexcept {}

protected:
    CObject() = default;
};

CObject* DowncastTo(const RuntimeClassInfo* record, CObject* object);

template <class T> T* DowncastTo(CObject* object) {
    return static_cast<T*>(DowncastTo(T::StaticClass(), object));
}

#define LUM_RUNTIME_CLASS(name) (&name::class##name)

// In the class body.
#define LUM_DECLARE_CLASS(name)                                                                    \
public:                                                                                            \
    static const RuntimeClassInfo class##name;                                                     \
    static const RuntimeClassInfo* StaticClass() {                                                 \
        return &class##name;                                                                       \
    }                                                                                              \
    const RuntimeClassInfo* GetRuntimeClassInfo() const override;

#define LUM_DECLARE_CREATABLE(name)                                                                \
    LUM_DECLARE_CLASS(name)                                                                        \
    static CObject* CreateObject();

// In one source file.
#define LUM_IMPLEMENT_CLASS(name, base)                                                            \
    const RuntimeClassInfo name::class##name = {#name,   sizeof(name),       0xFFFF,               \
                                                nullptr, &base::class##base, nullptr};             \
    const RuntimeClassInfo* name::GetRuntimeClassInfo() const {                                    \
        return &class##name;                                                                       \
    }

#define LUM_IMPLEMENT_CREATABLE(name, base)                                                        \
    CObject* name::CreateObject() {                                                                \
        return new name;                                                                           \
    }                                                                                              \
    const RuntimeClassInfo name::class##name = {                                                   \
        #name, sizeof(name), 0xFFFF, &name::CreateObject, &base::class##base, nullptr};            \
    const RuntimeClassInfo* name::GetRuntimeClassInfo() const {                                    \
        return &class##name;                                                                       \
    }
