#include "level/TextNumber.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

bool isSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

}  // namespace

int TextNumber::toInteger(const char* text)
{
    while (isSpace(*text))
        ++text;
    const bool negative = *text == '-';
    if (*text == '+' || *text == '-')
        ++text;
    long long value = 0;
    for (; isDigit(*text); ++text)
        value = std::min(value * 10 + (*text - '0'), static_cast<long long>(INT_MAX) + 1);
    value = negative ? -value : value;
    return static_cast<int>(std::clamp(value, static_cast<long long>(INT_MIN), static_cast<long long>(INT_MAX)));
}

float TextNumber::toDecimal(const char* text)
{
    while (isSpace(*text))
        ++text;
    const char* const begin = text;
    if (*text == '+' || *text == '-')
        ++text;
    bool digits = false;
    for (; isDigit(*text); ++text)
        digits = true;
    if (*text == '.') {
        for (++text; isDigit(*text); ++text)
            digits = true;
    }
    if (!digits)
        return 0.0f;
    if (*text == 'e' || *text == 'E') {
        const char* exponent = text + 1;
        if (*exponent == '+' || *exponent == '-')
            ++exponent;
        if (isDigit(*exponent)) {
            while (isDigit(*exponent))
                ++exponent;
            text = exponent;
        }
    }
    // Only the matched form reaches strtof, so no other notation slips through.
    const float value = std::strtof(std::string(begin, text).c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0f;
}
