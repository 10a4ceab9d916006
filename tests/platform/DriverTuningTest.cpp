#include "platform/DriverTuning.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// The README tells users to set the variable (even to nothing) to measure
// without the tuning, so a value already there must win.
TEST(DriverTuning, SetsTheFilteringOnlyWhereTheUserSetNothing)
{
    unsetenv("GALLIVM_PERF");
    DriverTuning::apply();
    ASSERT_NE(std::getenv("GALLIVM_PERF"), nullptr);
    EXPECT_EQ(std::string(std::getenv("GALLIVM_PERF")), "brilinear,rho_approx");

    for (const char* own : {"", "nopt"}) {
        setenv("GALLIVM_PERF", own, 1);
        DriverTuning::apply();
        EXPECT_EQ(std::string(std::getenv("GALLIVM_PERF")), own);
    }
}

}  // namespace
