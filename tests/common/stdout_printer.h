// A result printer for test programs run under Wine on an emulated CPU.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <cstdio>

#include "common/thread_census.h"

namespace testsupport {

// Generous for the emulated machine; a thread starts in well under a second.
constexpr DWORD kSettledThreadsTimeoutMs = 30000;

// gtest's own printer also hands every failure to OutputDebugStringA, and the
// exception that call raises ends a Wine process run under an emulator: later
// failures and the summary would be lost. This one writes to stdout only.
// Its first line is also what the Wine launcher (scripts/wine_test.sh) takes
// as the sign that the program started.
class StdoutPrinter : public testing::EmptyTestEventListener {
    void OnTestIterationStart(const testing::UnitTest& unit, int) override {
        std::printf("[==========] Running %d tests from %d test suites.\n",
                    unit.test_to_run_count(), unit.test_suite_to_run_count());
        std::fflush(stdout);
    }
    void OnTestStart(const testing::TestInfo& test) override {
        std::printf("[ RUN      ] %s.%s\n", test.test_suite_name(), test.name());
        std::fflush(stdout);
    }
    void OnTestPartResult(const testing::TestPartResult& part) override {
        if (part.failed() || part.skipped()) {
            std::printf("%s:%d: %s\n%s\n", part.file_name() ? part.file_name() : "?",
                        part.line_number(), part.failed() ? "Failure" : "Skipped", part.message());
            std::fflush(stdout);
        }
    }
    void OnTestEnd(const testing::TestInfo& test) override {
        const testing::TestResult& result = *test.result();
        std::printf("[ %s ] %s.%s (%lld ms)\n",
                    result.Failed() ? " FAILED " : (result.Skipped() ? " SKIPPED" : "      OK"),
                    test.test_suite_name(), test.name(),
                    static_cast<long long>(result.elapsed_time()));
        std::fflush(stdout);
    }
    void OnTestProgramEnd(const testing::UnitTest& unit) override {
        std::printf("[==========] %d tests from %d test suites ran. (%lld ms total)\n",
                    unit.test_to_run_count(), unit.test_suite_to_run_count(),
                    static_cast<long long>(unit.elapsed_time()));
        std::printf("[  PASSED  ] %d tests.\n", unit.successful_test_count());
        if (unit.skipped_test_count() > 0) {
            std::printf("[  SKIPPED ] %d tests, listed below:\n", unit.skipped_test_count());
            List(unit, "[  SKIPPED ]", &testing::TestResult::Skipped);
        }
        if (unit.failed_test_count() > 0) {
            std::printf("[  FAILED  ] %d tests, listed below:\n", unit.failed_test_count());
            List(unit, "[  FAILED  ]", &testing::TestResult::Failed);
        }
        std::fflush(stdout);
    }
    static void List(const testing::UnitTest& unit, const char* mark,
                     bool (testing::TestResult::*which)() const) {
        for (int s = 0; s < unit.total_test_suite_count(); ++s) {
            const testing::TestSuite& suite = *unit.GetTestSuite(s);
            for (int t = 0; t < suite.total_test_count(); ++t) {
                const testing::TestInfo& test = *suite.GetTestInfo(t);
                if ((test.result()->*which)()) {
                    std::printf("%s %s.%s\n", mark, suite.name(), test.name());
                }
            }
        }
    }
};

// Ends a test program with its result at once. Under the emulator the
// exit processing of a program that started threads now and then hangs
// after every test has passed; the tests have nothing left to say by then.
// No thread may be still starting or ending when the process ends.
[[noreturn]] inline void ExitWith(int result) {
    if (!WaitForThreadsSettled(kSettledThreadsTimeoutMs) && result == 0) {
        std::printf("a thread of this program was still starting or ending at its end\n");
        result = 1;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
    for (;;) {
    }
}

} // namespace testsupport

namespace testsupport {

// Replaces gtest's default printer with the stdout-only one.
inline void InstallStdoutPrinter() {
    testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
    delete listeners.Release(listeners.default_result_printer());
    listeners.Append(new StdoutPrinter);
}

} // namespace testsupport
