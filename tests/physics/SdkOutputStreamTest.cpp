#include "physics/SdkOutputStream.h"

#include <gtest/gtest.h>

#include <string>

TEST(SdkOutputStream, PrintsErrorsBelowCode205AsTextOnly)
{
    const SdkOutputStream output;
    const struct {
        int code;
        const char* message;
        std::string printed;
    } cases[] = {
        {204, "joint descriptor invalid", "SDK says: joint descriptor invalid\n"},
        {SDK_ERROR_INVALID_PARAMETER, "bad radius", "SDK says: bad radius\n"},
        {205, "info", ""},
        {208, "print", ""},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStdout();
        output.reportError(c.code, c.message);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed) << c.code;
    }
    testing::internal::CaptureStdout();
    output.print("100% %s %d");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "SDK says: 100% %s %d\n");
}
