// The ANSI stand-ins for the wide functions the static run-time imports:
// they must behave as the real ones on every name the ANSI code page holds,
// refuse the others, and really answer for the import slots.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "framework/runtime/ansi_imports.h"

namespace {

struct Handle {
    explicit Handle(HANDLE value) : value(value) {}
    ~Handle() {
        if (value != nullptr) {
            CloseHandle(value);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE value;
};

TEST(AnsiImports, ProgramCallsGoThroughTheStandIns) {
    EXPECT_EQ(reinterpret_cast<void*>(&CreateSemaphoreW),
              reinterpret_cast<void*>(&CreateSemaphoreThroughAnsi));
    EXPECT_EQ(reinterpret_cast<void*>(&GetModuleHandleW),
              reinterpret_cast<void*>(&GetModuleHandleThroughAnsi));
}

TEST(AnsiImports, UnnamedSemaphoreCountsAndWaits) {
    Handle semaphore(CreateSemaphoreThroughAnsi(nullptr, 0, 2, nullptr));
    ASSERT_NE(nullptr, semaphore.value);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(semaphore.value, 0));
    LONG previous = -1;
    ASSERT_TRUE(ReleaseSemaphore(semaphore.value, 2, &previous));
    EXPECT_EQ(0, previous);
    EXPECT_FALSE(ReleaseSemaphore(semaphore.value, 1, nullptr)) << "past its maximum";
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(semaphore.value, 0));
}

TEST(AnsiImports, NamedSemaphoreIsTheObjectOfThatName) {
    Handle wide(CreateSemaphoreThroughAnsi(nullptr, 1, 1, L"LumAnsiImportsSemaphore"));
    ASSERT_NE(nullptr, wide.value);
    Handle narrow(CreateSemaphoreA(nullptr, 0, 1, "LumAnsiImportsSemaphore"));
    ASSERT_NE(nullptr, narrow.value);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(narrow.value, 0));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(wide.value, 0));
}

TEST(AnsiImports, NamesTheCodePageCannotHoldAreRefused) {
    // U+0100 has no place in code page 932 (nor in 1252): a best-fit '?' or
    // 'A' would name another object.
    SetLastError(0);
    EXPECT_EQ(nullptr, CreateSemaphoreThroughAnsi(nullptr, 0, 1, L"Lum\x0100Semaphore"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION), GetLastError());
    SetLastError(0);
    EXPECT_EQ(nullptr, GetModuleHandleThroughAnsi(L"kernel\x0100.dll"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION), GetLastError());

    const std::wstring tooLong(MAX_PATH + 10, L'x');
    SetLastError(0);
    EXPECT_EQ(nullptr, CreateSemaphoreThroughAnsi(nullptr, 0, 1, tooLong.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), GetLastError());
}

TEST(AnsiImports, ModuleHandlesMatchTheAnsiLookUp) {
    EXPECT_EQ(GetModuleHandleA(nullptr), GetModuleHandleThroughAnsi(nullptr));
    EXPECT_EQ(GetModuleHandleA("kernel32.dll"), GetModuleHandleThroughAnsi(L"KERNEL32.DLL"));
    EXPECT_NE(nullptr, GetModuleHandleThroughAnsi(L"kernel32.dll"));
    EXPECT_EQ(nullptr, GetModuleHandleThroughAnsi(L"lum-no-such-library.dll"));
}

} // namespace
