#include <gtest/gtest.h>
#include "framework/runtime/state.h"

int main(int argc, char** argv) {
    GetModuleState()->resourceHandle = GetModuleHandleA(nullptr);
    GetModuleState()->instanceHandle = GetModuleHandleA(nullptr);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
