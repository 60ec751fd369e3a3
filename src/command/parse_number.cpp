// Plain decimal numbers. One pass checks the grammar and gathers up to 19
// significant digits; when they form an integer of at most 2^53 and the
// decimal exponent is within 10^±22, both are exact doubles and one IEEE
// multiplication or division gives the correctly rounded value (Clinger's
// fast path). Everything else goes to std::from_chars, which is exact, or
// to the exact conversion of exact_decimal.h where the library lacks it.
#include <array>
#include <charconv>
#include <cstdint>
#include <system_error>

#include "command.h"
#include "exact_decimal.h"
#include "platform.h"

namespace zorvane {
namespace {

constexpr int MAX_FAST_DIGITS = 19;  // significant digits an uint64 always holds
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
    std::uint64_t significand = 0;            // the significant digits, when there are at most 19
    int significant_digits = 0;               // leading zeros excluded
    const char* significant_start = nullptr;  // the first of them
    long long exponent = 0;                   // the value is significand x 10^exponent; saturated
    const char* number_start = nullptr;       // where from_chars may start (after a '+')
    const char* end = nullptr;                // the end of the token: a space or `last`
};

// Gathers a run of digits into `significand`; where it stopped. Past 19
// digits the significand is meaningless, and the count says so.
const char* gather_digits(const char* at, const char* end, std::uint64_t& significand) {
    for (; at != end && is_digit(*at); ++at) {
        significand = significand * 10 + static_cast<std::uint64_t>(*at - '0');
    }
    return at;
}

const char* skip_zeros(const char* at, const char* end) {
    while (at != end && *at == '0') ++at;
    return at;
}

// Scans one token, which ends at the next space or at `end`.
Scan scan(const char* at, const char* const end) {
    Scan result;
    result.number_start = at;
    if (at != end && (*at == '+' || *at == '-')) {
        result.negative = *at == '-';
        if (*at == '+') ++result.number_start;
        ++at;
    }
    const char* const whole_start = at;
    const char* const whole_significant = skip_zeros(at, end);
    result.significant_start = whole_significant;
    at = gather_digits(whole_significant, end, result.significand);
    const auto whole_digits = at - whole_start;
    result.significant_digits = static_cast<int>(at - whole_significant);
    std::ptrdiff_t fraction_digits = 0;
    if (at != end && *at == '.') {
        const char* const fraction_start = ++at;
        // Zeros right after the point lead only while no digit came before.
        const char* const fraction_significant =
            result.significant_digits == 0 ? skip_zeros(at, end) : at;
        if (result.significant_digits == 0) result.significant_start = fraction_significant;
        at = gather_digits(fraction_significant, end, result.significand);
        fraction_digits = at - fraction_start;
        result.significant_digits += static_cast<int>(at - fraction_significant);
        result.exponent = -fraction_digits;
    }
    bool valid = whole_digits + fraction_digits != 0;
    if (valid && at != end && (*at == 'e' || *at == 'E')) {
        ++at;
        bool negative_exponent = false;
        if (at != end && (*at == '+' || *at == '-')) {
            negative_exponent = *at == '-';
            ++at;
        }
        valid = at != end && is_digit(*at);
        long long exponent = 0;
        for (; at != end && is_digit(*at); ++at) {
            if (exponent < EXPONENT_SATURATION) exponent = exponent * 10 + (*at - '0');
        }
        result.exponent += negative_exponent ? -exponent : exponent;
    }
    result.valid = valid && (at == end || *at == ' ');
    while (at != end && *at != ' ') ++at;
    result.end = at;
    return result;
}

struct Conversion {
    double value;
    bool out_of_range;  // rounds to zero or past the largest double
    bool valid;
};

// The correctly rounded value of a well-formed number with significant digits.
Conversion convert_exactly(const Scan& number) {
#if ZORVANE_HAVE_FLOAT_CHARCONV
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.number_start, number.end, value);
    return {value, error == std::errc::result_out_of_range,
            error == std::errc{} && end == number.end};
#else
    const ExactValue exact =
        exact_decimal_value(number.significant_start, number.significant_digits, number.exponent);
    return {number.negative ? -exact.value : exact.value, exact.out_of_range, true};
#endif
}

// The value of a well-formed number.
std::optional<double> value_of(const Scan& number) {
    if (number.significant_digits == 0) return number.negative ? -0.0 : 0.0;
    if (number.significant_digits <= MAX_FAST_DIGITS && number.significand <= MAX_EXACT_INTEGER &&
        number.exponent >= -22 && number.exponent <= 22) {
        const auto significand = static_cast<double>(number.significand);
        const double power = EXACT_POWERS_OF_TEN[static_cast<std::size_t>(
            number.exponent < 0 ? -number.exponent : number.exponent)];
        const double value = number.exponent < 0 ? significand / power : significand * power;
        return number.negative ? -value : value;
    }

    const Conversion exact = convert_exactly(number);
    if (exact.out_of_range) {
        // The exponent of the leading significant digit tells overflow from
        // underflow: a value too large is not a number, one too small reads
        // as zero, as it does in C.
        const long long leading = number.exponent + number.significant_digits - 1;
        if (leading > 0) return std::nullopt;
        return number.negative ? -0.0 : 0.0;
    }
    if (!exact.valid) return std::nullopt;
    return exact.value;
}

#if ZORVANE_ONE_PASS_NUMBERS
// Adds the run of digits at `at` to `significand`; where it stopped.
const char* add_digits(const char* at, const char* const end, std::uint64_t& significand) {
    for (; at != end; ++at) {
        const unsigned digit = static_cast<unsigned char>(*at) - unsigned{'0'};
        if (digit > 9) break;
        significand = significand * 10 + digit;
    }
    return at;
}

// The numbers commands mostly hold, read in one pass: at most 19 digits
// (leading zeros included) forming an integer of at most 2^53, and a decimal
// exponent within 10^+-22 from the point and at most three exponent digits.
// Their value is what value_of gives them, by the same one operation.
// Anything else, invalid tokens included, is left to scan and value_of.
std::optional<NumberToken> read_common_number(const char* at, const char* const end) {
    const bool negative = at != end && *at == '-';
    if (at != end && (*at == '-' || *at == '+')) ++at;
    std::uint64_t significand = 0;
    const char* const whole = at;
    at = add_digits(at, end, significand);
    std::ptrdiff_t digits = at - whole;
    std::ptrdiff_t exponent = 0;
    if (at != end && *at == '.') {
        const char* const fraction = ++at;
        at = add_digits(at, end, significand);
        exponent = fraction - at;
        digits += at - fraction;
    }
    if (digits == 0 || digits > MAX_FAST_DIGITS) return std::nullopt;
    if (at != end && *at != ' ') {
        if (*at != 'e' && *at != 'E') return std::nullopt;
        ++at;
        const bool negative_exponent = at != end && *at == '-';
        if (at != end && (*at == '-' || *at == '+')) ++at;
        std::uint64_t written = 0;
        const char* const exponent_digits = at;
        at = add_digits(at, end, written);
        if (at == exponent_digits || at - exponent_digits > 3) return std::nullopt;
        if (at != end && *at != ' ') return std::nullopt;
        const auto magnitude = static_cast<std::ptrdiff_t>(written);  // at most 999
        exponent += negative_exponent ? -magnitude : magnitude;
    }
    if (significand > MAX_EXACT_INTEGER || exponent < -22 || exponent > 22) return std::nullopt;
    const auto exact = static_cast<double>(significand);
    const double power =
        EXACT_POWERS_OF_TEN[static_cast<std::size_t>(exponent < 0 ? -exponent : exponent)];
    const double value = exponent < 0 ? exact / power : exact * power;
    return NumberToken{negative ? -value : value, at};
}
#endif

}  // namespace

std::optional<double> parse_number(std::string_view token) noexcept {
    const char* const last = token.data() + token.size();
    const NumberToken number = read_number(token.data(), last);
    return number.end == last ? number.value : std::nullopt;
}

NumberToken read_number(const char* first, const char* last) noexcept {
#if ZORVANE_ONE_PASS_NUMBERS
    if (const std::optional<NumberToken> common = read_common_number(first, last)) return *common;
#endif
    const Scan number = scan(first, last);
    return {number.valid ? value_of(number) : std::nullopt, number.end};
}

}  // namespace zorvane
