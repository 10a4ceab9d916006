#pragma once

// Numbers in the text of the level and materials files: leading whitespace,
// an optional sign, then digits up to the first character that does not fit.
// Text with nothing readable gives 0, so a bad value never stops a file.
class TextNumber {
public:
    // Decimal digits only. Saturates at the ends of int instead of overflowing.
    static int toInteger(const char* text);
    // Digits with an optional decimal point and an optional exponent. "inf",
    // "nan" and hexadecimal text give 0, and so does a value too large for a
    // float (1e39): an infinite size or position would reach the scene and the
    // physics.
    static float toDecimal(const char* text);
};
