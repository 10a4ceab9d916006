#include "platform/DriverTuning.h"

#include <cstdlib>

void DriverTuning::apply()
{
    setenv("GALLIVM_PERF", "brilinear,rho_approx", 0);
}
