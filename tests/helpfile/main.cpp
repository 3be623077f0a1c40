#include <gtest/gtest.h>
#include "common/stdout_printer.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testsupport::InstallStdoutPrinter();
    testsupport::ExitWith(RUN_ALL_TESTS());
}
