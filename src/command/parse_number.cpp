// Plain decimal numbers. One pass checks the grammar and gathers up to 19
// significant digits; when they form an integer of at most 2^53 and the
// decimal exponent is within 10^±22, both are exact doubles and one IEEE
// multiplication or division gives the correctly rounded value (Clinger's
// fast path). Everything else goes to std::from_chars, which is exact.
#include <array>
#include <charconv>
#include <cstdint>
#include <system_error>

#include "command.h"

namespace zorvane {
namespace {

constexpr int MAX_FAST_DIGITS = 19;        // significant digits an uint64 always holds
constexpr std::uint64_t MAX_EXACT_INTEGER = std::uint64_t{1} << 53;
constexpr long long EXPONENT_SATURATION = 1'000'000'000;

constexpr std::array<double, 23> EXACT_POWERS_OF_TEN = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22,
};

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

struct Scan {
    bool valid = false;
    bool negative = false;
    std::uint64_t significand = 0;  // the first significant digits
    int significant_digits = 0;     // all of them, leading zeros excluded
    long long exponent = 0;         // of the last gathered digit; saturated
    std::size_t number_start = 0;   // where from_chars may start (after a '+')
};

Scan scan(std::string_view token) {
    Scan result;
    std::size_t at = 0;
    const std::size_t size = token.size();
    if (at < size && (token[at] == '+' || token[at] == '-')) {
        result.negative = token[at] == '-';
        result.number_start = token[at] == '-' ? 0 : 1;
        ++at;
    }
    int digits = 0;
    long long dropped = 0;  // digits not gathered, which scale the value
    auto take = [&](char c, bool after_point) {
        ++digits;
        if (result.significant_digits == 0 && c == '0') {
            if (after_point) --result.exponent;
            return;
        }
        if (result.significant_digits < MAX_FAST_DIGITS) {
            result.significand = result.significand * 10 + static_cast<std::uint64_t>(c - '0');
            if (after_point) --result.exponent;
        } else if (!after_point) {
            ++dropped;
        }
        ++result.significant_digits;
    };
    for (; at < size && is_digit(token[at]); ++at) take(token[at], false);
    if (at < size && token[at] == '.') {
        for (++at; at < size && is_digit(token[at]); ++at) take(token[at], true);
    }
    if (digits == 0) return result;
    if (at < size && (token[at] == 'e' || token[at] == 'E')) {
        ++at;
        bool negative_exponent = false;
        if (at < size && (token[at] == '+' || token[at] == '-')) {
            negative_exponent = token[at] == '-';
            ++at;
        }
        if (at == size || !is_digit(token[at])) return result;
        long long exponent = 0;
        for (; at < size && is_digit(token[at]); ++at) {
            if (exponent < EXPONENT_SATURATION) exponent = exponent * 10 + (token[at] - '0');
        }
        result.exponent += negative_exponent ? -exponent : exponent;
    }
    result.exponent += dropped;
    result.valid = at == size;
    return result;
}

}  // namespace

std::optional<double> parse_number(std::string_view token) noexcept {
    const Scan number = scan(token);
    if (!number.valid) return std::nullopt;

    if (number.significand == 0) return number.negative ? -0.0 : 0.0;
    if (number.significant_digits <= MAX_FAST_DIGITS && number.significand <= MAX_EXACT_INTEGER &&
        number.exponent >= -22 && number.exponent <= 22) {
        const auto significand = static_cast<double>(number.significand);
        const double power = EXACT_POWERS_OF_TEN[static_cast<std::size_t>(
            number.exponent < 0 ? -number.exponent : number.exponent)];
        const double value = number.exponent < 0 ? significand / power : significand * power;
        return number.negative ? -value : value;
    }

    double value = 0.0;
    const char* first = token.data() + number.number_start;
    const char* last = token.data() + token.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc::result_out_of_range) {
        // The exponent of the leading significant digit tells overflow from
        // underflow: a value too large is not a number, one too small reads
        // as zero, as it does in C.
        const int gathered =
            number.significant_digits < MAX_FAST_DIGITS ? number.significant_digits : MAX_FAST_DIGITS;
        const long long leading = number.exponent + gathered - 1;
        if (leading > 0) return std::nullopt;
        return number.negative ? -0.0 : 0.0;
    }
    if (error != std::errc{} || end != last) return std::nullopt;
    return value;
}

void lowercase_in_place(char* text) noexcept {
    for (; *text != '\0'; ++text) {
        if (*text >= 'A' && *text <= 'Z') *text = static_cast<char>(*text - 'A' + 'a');
    }
}

}  // namespace zorvane
