#include "physics/SdkOutputStream.h"

#include <gtest/gtest.h>

TEST(SdkOutputStream, PrintsErrorsButNotInformationAndNeverFormatsTheMessage)
{
    const SdkOutputStream output;
    testing::internal::CaptureStdout();
    output.reportError(SDK_ERROR_INVALID_PARAMETER, "bad radius");
    output.reportError(SDK_FIRST_QUIET_CODE, "info");
    output.print("100% %s %d");
    output.print(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "SDK says: bad radius\nSDK says: 100% %s %d\nSDK says: \n");
}
