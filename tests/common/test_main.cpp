// The main of the test programs that need no framework state: the tool's
// settings, its help file and the end-to-end driver.
#include <gtest/gtest.h>
#include "common/stdout_printer.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testsupport::InstallStdoutPrinter();
    testsupport::ExitWith(RUN_ALL_TESTS());
}
