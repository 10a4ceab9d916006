#include "physics/SdkOutputStream.h"

#include <gtest/gtest.h>

TEST(SdkOutputStream, PrintsErrorsBelowCode205)
{
    const SdkOutputStream output;
    testing::internal::CaptureStdout();
    output.reportError(204, "joint descriptor invalid");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "SDK says: joint descriptor invalid\n");

    testing::internal::CaptureStdout();
    output.reportError(SDK_ERROR_INVALID_PARAMETER, "bad radius");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "SDK says: bad radius\n");
}

TEST(SdkOutputStream, DropsCodesFrom205On)
{
    const SdkOutputStream output;
    testing::internal::CaptureStdout();
    output.reportError(205, "info");
    output.reportError(208, "print");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(SdkOutputStream, PrintKeepsPercentSignsAsText)
{
    const SdkOutputStream output;
    testing::internal::CaptureStdout();
    output.print("100% %s %d");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "SDK says: 100% %s %d\n");
}
