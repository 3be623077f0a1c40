#include <gtest/gtest.h>
#include "common/stdout_printer.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testsupport::InstallStdoutPrinter();
    return RUN_ALL_TESTS();
}
