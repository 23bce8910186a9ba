#include "support/gui_harness.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

using guitest::GuiFixture;

TEST_F(GuiFixture, SmokeRootSizedToScreen)
{
    EXPECT_EQ(h.Root()->GetName(), "__root__");
    EXPECT_EQ(h.Root()->GetWidth(), 1024);
    EXPECT_EQ(h.Root()->GetHeight(), 768);
}
