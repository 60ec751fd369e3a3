// A double rounded to a number of significant decimal digits, exactly: round
// half to even on the exact binary value, whatever the locale.
#pragma once

#include <array>
#include <cstddef>

namespace zorvane::host {

inline constexpr int MAX_SIGNIFICANT = 17;

// value = (negative ? -1 : 1) * 0.d1d2...dn * 10^(exponent + 1), that is the
// first digit stands for 10^exponent. Trailing zeros are dropped; zero has
// the one digit '0' and exponent 0.
struct SignificantDigits {
    bool negative = false;
    std::array<char, MAX_SIGNIFICANT> digits{};
    int count = 0;
    int exponent = 0;
};

// For a finite `value` and 1 <= significant <= MAX_SIGNIFICANT. The digits
// are the module's own "%.*e" rendering, so they are exact wherever the
// module's lines are.
SignificantDigits round_significant(double value, int significant) noexcept;

}  // namespace zorvane::host
