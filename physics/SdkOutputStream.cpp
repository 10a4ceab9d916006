#include "physics/SdkOutputStream.h"

#include "app/Report.h"

#include <cstdio>

void SdkOutputStream::reportError(int code, const char* message) const
{
    if (code < SDK_FIRST_QUIET_CODE)
        print(message);
}

void SdkOutputStream::print(const char* message) const
{
    report("SDK says: %s\n", message ? message : "");
    std::fflush(stdout);
}
