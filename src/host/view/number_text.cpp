#include "number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "command.h"
#include "exact_decimal.h"  // the digits' limit where std::to_chars lacks doubles
#include "number_format.h"
#include "platform.h"
#include "rendering.h"
#include "significant_digits.h"
#include "zorvane_host/notation.h"

namespace zorvane::host {

namespace {
// Percentages past this many digits before the point are written in
// scientific form: "+2.00e+304%", not three hundred digits.
constexpr int FIXED_PERCENT_DIGITS = 5;
}  // namespace

std::string percent_text(double deviation) {
    std::string text = deviation < 0.0 ? "-" : "";
    const SignificantDigits all = round_significant(deviation, MAX_SIGNIFICANT);
    // The percentage's first digit stands for 10^(all.exponent + 2).
    if (deviation != 0.0 && all.exponent + 2 >= FIXED_PERCENT_DIGITS) {
        const SignificantDigits d = round_significant(deviation, 3);
        const auto digit = [&d](int i) {
            return i < d.count ? d.digits[static_cast<std::size_t>(i)] : '0';
        };
        const std::string exponent = std::to_string(d.exponent + 2);
        text.append(1, digit(0)).append(".").append(1, digit(1)).append(1, digit(2));
        return text.append("e+").append(exponent.size() < 2 ? "0" : "").append(exponent);
    }
    // Digits down to 10^-4 of the deviation: 10^-2 of the percentage.
    const int significant = all.exponent + 5;
    SignificantDigits d;
    if (deviation == 0.0 || significant < 0) {
        d = round_significant(0.0, 1);
    } else if (significant == 0) {
        // Below the last digit kept: 0.01 above the half, 0.00 below.
        const bool up = all.digits[0] > '5' || (all.digits[0] == '5' && all.count > 1);
        d = round_significant(up ? 1e-4 : 0.0, 1);
    } else {
        d = round_significant(deviation, significant);
    }
    const int first =
        deviation == 0.0 || (d.count == 1 && d.digits[0] == '0') ? -2 : d.exponent + 2;
    for (int place = std::max(first, 0); place >= -2; --place) {
        const int i = first - place;
        text += i >= 0 && i < d.count ? d.digits[static_cast<std::size_t>(i)] : '0';
        if (place == 0) text += '.';
    }
    return text;
}

std::string module_number(const Formula& row, double value) {
    Outcome outcome;
    outcome.kind = Outcome::result;
    outcome.formula = &row;
    outcome.value = value;
    std::array<char, RESULT_CAPACITY + 1> line{};
    const std::size_t length = render(outcome, line);
    return {line.data() + row.label.size(), length - row.label.size() - row.unit.size()};
}

std::string with_unit(std::string text, std::string_view unit) {
    if (!unit.empty()) text.append(" ").append(unit);
    return text;
}

std::string round_trip(double value) {
    std::string text;
    append_round_trip(value, text);
    return text;
}

#if ZORVANE_HAVE_FLOAT_CHARCONV

void append_round_trip(double value, std::string& out) {
    std::array<char, 32> text{};
    const std::to_chars_result written =
        std::to_chars(text.data(), text.data() + text.size(), value);
    out.append(text.data(), written.ptr);
}

void append_exact(double value, std::string& out) { append_round_trip(value, out); }

#else

// Without floating-point to_chars: the fewest digits of printf's "%.*e"
// that read back as the value, then the shorter of the plain and the
// scientific form (the plain one on a tie), as to_chars writes them.
void append_round_trip(double value, std::string& out) {
    std::array<char, 40> text{};
    std::string_view scientific;
    for (int precision = 0; precision <= MAX_SCIENTIFIC_PRECISION; ++precision) {
        const char* end =
            format_scientific(value, precision, text.data(), text.data() + text.size());
        if (end == nullptr) continue;  // (never: 40 characters hold every "%.16e")
        scientific = std::string_view(text.data(), static_cast<std::size_t>(end - text.data()));
        if (!std::isfinite(value) || parse_number(scientific) == value) break;
    }
    const std::size_t e = scientific.find('e');
    if (e == std::string_view::npos) {  // inf, -inf, nan
        out += scientific;
        return;
    }
    const std::size_t sign = scientific[0] == '-' ? 1 : 0;
    std::string digits(scientific.substr(sign, e - sign));
    std::erase(digits, '.');
    int exponent = 0;
    const std::string_view power = scientific.substr(e + 1);
    std::from_chars(power.data() + (power[0] == '+' ? 1 : 0), power.data() + power.size(),
                    exponent);
    const auto count = static_cast<int>(digits.size());
    std::string plain;
    if (exponent >= count - 1) {
        // An integer: to_chars writes its exact digits, not zeros after the
        // shortest ones.
        std::array<char, 40> whole{};
        const char* whole_end = exponent < 30 ? format_fixed6(std::abs(value), whole.data(),
                                                              whole.data() + whole.size())
                                              : nullptr;
        plain =
            whole_end != nullptr
                ? std::string(whole.data(), static_cast<std::size_t>(whole_end - whole.data() - 7))
                : digits + std::string(static_cast<std::size_t>(exponent - count + 1), '0');
    } else if (exponent >= 0) {
        plain = digits.substr(0, static_cast<std::size_t>(exponent + 1)) + "." +
                digits.substr(static_cast<std::size_t>(exponent + 1));
    } else {
        plain = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    out += scientific.substr(0, sign);
    out += plain.size() <= scientific.size() - sign ? std::string_view(plain)
                                                    : scientific.substr(sign);
}

// Seventeen significant digits read back as any double.
void append_exact(double value, std::string& out) {
    std::array<char, 40> text{};
    const char* end =
        format_scientific(value, MAX_SCIENTIFIC_PRECISION, text.data(), text.data() + text.size());
    out.append(text.data(), static_cast<std::size_t>(end - text.data()));
}

#endif

std::string engineering(double value, std::string_view unit) {
    std::string text;
    append_engineering_value(value, unit, text);
    return text;
}

std::string readable(double value, std::string_view unit) {
    std::string shown = engineering(value, unit);
    std::string exact = with_unit(round_trip(value), unit);
    if (shown == exact) return shown;
    return shown.append(" (").append(exact).append(")");
}

std::string printed(const char* format, double value) {
    std::array<char, 512> digits{};
    const int length = std::snprintf(digits.data(), digits.size(), format, value);
    std::string text(digits.data(), static_cast<std::size_t>(std::clamp(length, 0, 511)));
    std::replace(text.begin(), text.end(), ',', '.');
    return text;
}

}  // namespace zorvane::host
