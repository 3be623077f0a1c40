#include <gtest/gtest.h>
#include "common/stdout_printer.h"
#include "framework/runtime/state.h"
#include "framework/windows/messaging/win_app.h"
#include "reliability/reliability_support.h"

namespace {

// The framework reports handler exceptions through the application object.
class ReliabilityApp : public CWinApp {
public:
    ReliabilityApp() : CWinApp("LUMCFG") {}
};
ReliabilityApp theApp;

} // namespace

int main(int argc, char** argv) {
    GetModuleState()->resourceHandle = GetModuleHandleA(nullptr);
    GetModuleState()->instanceHandle = GetModuleHandleA(nullptr);
    testing::InitGoogleTest(&argc, argv);
    testsupport::InstallStdoutPrinter();
    const int result = RUN_ALL_TESTS();
    if (rel::normalExit) {
        // The exit audit ends the process itself; reaching the end of exit
        // processing without it is a failure of its own.
        std::fflush(stdout);
        return result != 0 ? result : 3;
    }
    testsupport::ExitWith(result);
}
