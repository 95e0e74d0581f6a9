#include "ui/VornickAppKitGeneration.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(AppKitGeneration, ThresholdsBelongToTheOlderGeneration)
{
    EXPECT_EQ(VornickAppKitGenerationForVersionNumber(1100.0), 2u);
    EXPECT_EQ(VornickAppKitGenerationForVersionNumber(1266.0), 2u);
    EXPECT_EQ(VornickAppKitGenerationForVersionNumber(1266.1), 3u);
    EXPECT_EQ(VornickAppKitGenerationForVersionNumber(1672.0), 3u);
    EXPECT_EQ(VornickAppKitGenerationForVersionNumber(1672.1), 4u);
    // The running view layer is of the newest generation, the same at every call.
    EXPECT_EQ(VornickAppKitGeneration(), 4u);
    EXPECT_EQ(VornickAppKitGeneration(), VornickAppKitGeneration());
}
