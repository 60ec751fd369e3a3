// Results as an engineer reads them: six significant digits and an SI
// prefix where the unit takes one, "%.6g" where it does not.
#include <algorithm>
#include <cmath>

#include "ieee754.h"
#include "rendering.h"
#include "significant_digits.h"
#include "zorvane_host/notation.h"

namespace zorvane::host {
namespace {

constexpr int SIGNIFICANT = 6;

bool takes_prefix(std::string_view unit) {
    return std::any_of(std::begin(PREFIXED_UNITS), std::end(PREFIXED_UNITS),
                       [unit](const Unit& prefixed) { return prefixed.utf8 == unit; });
}

// Floor division by 3, times 3: the power of 1000 at or below 10^exponent.
int thousands_below(int exponent) { return (exponent >= 0 ? exponent : exponent - 2) / 3 * 3; }

// The digits with the point after `whole` of them (zeros added where the
// digits run out before it), without trailing zeros or point.
void append_with_point(const SignificantDigits& d, int whole, std::string& out) {
    if (d.negative) out += '-';
    if (whole <= 0) {
        out.append("0.").append(static_cast<std::size_t>(-whole), '0');
        out.append(d.digits.data(), static_cast<std::size_t>(d.count));
        return;
    }
    for (int i = 0; i < std::max(whole, d.count); ++i) {
        if (i == whole) out += '.';
        out += i < d.count ? d.digits[static_cast<std::size_t>(i)] : '0';
    }
}

// As C's "%.6g" prints it, without depending on the locale.
void append_general(const SignificantDigits& d, std::string& out) {
    if (d.exponent >= -4 && d.exponent < SIGNIFICANT) {
        append_with_point(d, d.exponent + 1, out);
        return;
    }
    append_with_point(d, 1, out);
    const int magnitude = d.exponent < 0 ? -d.exponent : d.exponent;
    out += d.exponent < 0 ? "e-" : "e+";
    if (magnitude < 10) out += '0';
    out += std::to_string(magnitude);
}

void append_unit(std::string_view prefix, std::string_view unit, std::string& out) {
    if (unit.empty()) return;
    out.append(" ").append(prefix).append(unit);
}

}  // namespace

void append_engineering_value(double value, std::string_view unit, std::string& out) {
    const std::uint64_t bits = ieee754::bits_of(value);
    if (!ieee754::is_finite(bits)) {
        out += ieee754::not_finite_text(bits);
    } else if (value == 0.0) {
        out += '0';  // never "-0"
    } else {
        const SignificantDigits d = round_significant(value, SIGNIFICANT);
        if (takes_prefix(unit) && d.exponent >= SMALLEST_PREFIX &&
            d.exponent < LARGEST_PREFIX + 3) {
            const int power = thousands_below(d.exponent);
            append_with_point(d, d.exponent - power + 1, out);
            append_unit(shown_prefix(power), unit, out);
            return;
        }
        append_general(d, out);
    }
    append_unit("", unit, out);
}

std::string engineering_value(double value, const FormulaInfo& formula) {
    std::string out;
    append_engineering_value(value, formula.unit, out);
    return out;
}

}  // namespace zorvane::host
