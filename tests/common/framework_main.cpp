// The main of the framework's test programs: resources, strings and dialog
// templates come from the test program itself.
#include <gtest/gtest.h>
#include "common/stdout_printer.h"
#include "framework/runtime/state.h"

int main(int argc, char** argv) {
    GetModuleState()->resourceHandle = GetModuleHandleA(nullptr);
    GetModuleState()->instanceHandle = GetModuleHandleA(nullptr);
    testing::InitGoogleTest(&argc, argv);
    testsupport::InstallStdoutPrinter();
    testsupport::ExitWith(RUN_ALL_TESTS());
}
