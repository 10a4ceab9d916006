#include "app/Report.h"

#include <cstdarg>
#include <cstdio>

void report(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::vprintf(format, arguments);
    va_end(arguments);
}
