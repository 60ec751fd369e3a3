#include "significant_digits.h"

#include <cmath>

#include "number_format.h"

namespace zorvane::host {

SignificantDigits round_significant(double value, int significant) noexcept {
    SignificantDigits rounded;
    if (value == 0.0) {
        rounded.digits[0] = '0';
        rounded.count = 1;
        return rounded;
    }
    // "d.ddddde+XX" of the magnitude, rounded half to even on the exact
    // value; at most 23 characters ("d." and 16 digits, "e-308"), so it fits.
    char text[32];
    const char* end =
        format_scientific(std::fabs(value), significant - 1, text, text + sizeof text);
    const char* at = text;
    for (; *at != 'e'; ++at) {
        if (*at != '.') rounded.digits[static_cast<std::size_t>(rounded.count++)] = *at;
    }
    const bool negative_exponent = at[1] == '-';
    for (at += 2; at != end; ++at) rounded.exponent = rounded.exponent * 10 + (*at - '0');
    if (negative_exponent) rounded.exponent = -rounded.exponent;
    while (rounded.count > 1 &&
           rounded.digits[static_cast<std::size_t>(rounded.count - 1)] == '0') {
        --rounded.count;
    }
    rounded.negative = std::signbit(value);
    return rounded;
}

}  // namespace zorvane::host
