#include <gtest/gtest.h>
#include "framework/runtime/exceptions.h"
#include "framework/windows/messaging/window.h"

TEST(ObjectModel, KindOfFollowsBaseLinks) {
    CMemoryException* e = StaticMemoryException();
    EXPECT_TRUE(e->IsOfKind(LUM_RUNTIME_CLASS(CException)));
    EXPECT_TRUE(e->IsOfKind(LUM_RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(e->IsOfKind(LUM_RUNTIME_CLASS(CUserException)));
    EXPECT_STREQ(e->GetRuntimeClassInfo()->className, "CMemoryException");
    EXPECT_EQ(e->GetRuntimeClassInfo()->schema, 0xFFFFu);
}
