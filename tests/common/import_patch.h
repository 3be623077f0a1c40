// Points this program's import slots for one function elsewhere while alive.
// The framework code linked into a test program calls through the same
// slots; calls made inside the system libraries are not seen.
#pragma once

#include <windows.h>

#include <cstring>
#include <vector>

class ImportPatch {
public:
    ImportPatch(const char* dll, const char* function, void* replacement) {
        auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
        auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& directory =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        auto* descriptor =
            reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
        for (; descriptor->Name != 0; ++descriptor) {
            if (lstrcmpiA(reinterpret_cast<const char*>(base + descriptor->Name), dll) != 0) {
                continue;
            }
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
                base + (descriptor->OriginalFirstThunk != 0 ? descriptor->OriginalFirstThunk
                                                            : descriptor->FirstThunk));
            auto* addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
            for (; names->u1.AddressOfData != 0; ++names, ++addresses) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                    continue;
                }
                auto* byName =
                    reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                    slots.push_back(reinterpret_cast<void**>(&addresses->u1.Function));
                }
            }
        }
        for (void** slot : slots) {
            original = *slot;
            Write(slot, replacement);
        }
    }
    ~ImportPatch() {
        for (void** slot : slots) {
            Write(slot, original);
        }
    }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    // The call as it was before the patch.
    template <typename Call> Call Original() const { return reinterpret_cast<Call>(original); }
    bool Applied() const { return !slots.empty(); }

private:
    static void Write(void** slot, void* value) {
        DWORD old;
        VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
        *slot = value;
        VirtualProtect(slot, sizeof *slot, old, &old);
    }

    std::vector<void**> slots;
    void* original = nullptr;
};

// GetProcAddress as on an older system that lacks one function: asking for
// it finds nothing, and each ask is counted.
class MissingFunction {
public:
    explicit MissingFunction(const char* name)
        : patch("KERNEL32.dll", "GetProcAddress", reinterpret_cast<void*>(&Find)) {
        original = patch.Original<Lookup>();
        missing = name;
        asks = 0;
    }
    ~MissingFunction() { missing = nullptr; }
    MissingFunction(const MissingFunction&) = delete;
    MissingFunction& operator=(const MissingFunction&) = delete;

    bool Applied() const { return patch.Applied(); }
    static int Asks() { return asks; }

private:
    using Lookup = FARPROC(WINAPI*)(HMODULE, LPCSTR);
    static FARPROC WINAPI Find(HMODULE module, LPCSTR name) {
        if (HIWORD(reinterpret_cast<ULONG_PTR>(name)) != 0 && missing != nullptr &&
            lstrcmpA(name, missing) == 0) {
            ++asks;
            return nullptr;
        }
        return original(module, name);
    }

    static inline Lookup original = nullptr;
    static inline const char* missing = nullptr;
    static inline int asks = 0;
    ImportPatch patch;
};
