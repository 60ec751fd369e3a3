// "%.6f" is where a call spends most of its time, so values of ordinary
// magnitude take a short exact path: with value = m * 2^e, the six-decimal
// result is round(m * 10^6 / 2^-e), computed in integers (m * 10^6 <
// 2^73: one 128-bit integer where the compiler has it, two 64-bit halves
// elsewhere) with round half to even on exact ties, the rounding of printf
// in its default mode. Larger values, infinities and NaN go through
// std::to_chars, or the exact conversion of exact_decimal.h where the
// library lacks it.
#include "number_format.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <system_error>

#include "exact_decimal.h"
#include "ieee754.h"
#include "platform.h"

namespace zorvane {
namespace {

constexpr std::uint64_t MILLION = 1000000;
constexpr int EXPONENT_BIAS = ieee754::INTEGER_BIAS;
// Below 2^43 the six-decimal integer m * 10^6 / 2^-e stays below 2^64.
constexpr int FAST_PATH_EXPONENT_LIMIT = ieee754::BIAS + 43;

#if ZORVANE_HAVE_FLOAT_CHARCONV
char* write_not_a_number(char* first, const char* last) {
    constexpr std::string_view text = ieee754::NAN_TEXT;
    if (last - first < static_cast<std::ptrdiff_t>(text.size())) return nullptr;
    return std::copy(text.begin(), text.end(), first);
}

char* library_format(double value, char* first, char* last, std::chars_format format,
                     int precision) {
    if (std::isnan(value)) return write_not_a_number(first, last);
    const auto [end, error] = std::to_chars(first, last, value, format, precision);
    return error == std::errc{} ? end : nullptr;
}

char* format_large_fixed6(double value, char* first, char* last) {
    return library_format(value, first, last, std::chars_format::fixed, 6);
}
#else
char* format_large_fixed6(double value, char* first, char* last) {
    return exact_fixed6(value, first, last);
}
#endif

// m * 10^6, which is below 2^73, and the two questions rounding asks of it.
#if ZORVANE_HAVE_INT128
__extension__ typedef unsigned __int128 Product;  // GCC and Clang

Product times_million(std::uint64_t mantissa) { return static_cast<Product>(mantissa) * MILLION; }

// product >> shift, for shifts where the result fits 64 bits.
std::uint64_t shifted_right(Product product, int shift) {
    return static_cast<std::uint64_t>(product >> shift);
}

bool any_bit_below(Product product, int end) {
    return (product & ((static_cast<Product>(1) << end) - 1)) != 0;
}
#else
struct Product {  // high * 2^64 + low
    std::uint64_t high;
    std::uint64_t low;
};

Product times_million(std::uint64_t mantissa) {
    const std::uint64_t low_part = (mantissa & 0xFFFFFFFF) * MILLION;  // < 2^52
    const std::uint64_t high_part = (mantissa >> 32) * MILLION;        // < 2^41
    const std::uint64_t low = low_part + (high_part << 32);
    return {(high_part >> 32) + (low < low_part ? 1 : 0), low};
}

// product >> shift, for 0 < shift < 128 where the result fits 64 bits.
std::uint64_t shifted_right(Product product, int shift) {
    if (shift >= 64) return product.high >> (shift - 64);
    return (product.low >> shift) | (product.high << (64 - shift));
}

bool any_bit_below(Product product, int end) {
    if (end < 64) return (product.low & ((std::uint64_t{1} << end) - 1)) != 0;
    return product.low != 0 || (product.high & ((std::uint64_t{1} << (end - 64)) - 1)) != 0;
}
#endif

// round(value * 10^6) for 0 <= |value| < 2^43, from the bits of the double.
std::uint64_t scaled_by_million(std::uint64_t exponent_bits, std::uint64_t fraction) {
    const std::uint64_t mantissa = exponent_bits == 0 ? fraction : fraction | ieee754::IMPLICIT_BIT;
    const int exponent =
        exponent_bits == 0 ? 1 - EXPONENT_BIAS : static_cast<int>(exponent_bits) - EXPONENT_BIAS;
    const Product product = times_million(mantissa);
    const int shift = -exponent;  // at least 10 here
    if (shift > 74) return 0;     // product < 2^73 < half of 2^shift: rounds to zero, never a tie
    // The quotient and the first bit below it, from one shift: product >> 9 fits 64 bits.
    const std::uint64_t with_round_bit = shifted_right(product, shift - 1);
    const std::uint64_t quotient = with_round_bit >> 1;
    const bool round_bit = (with_round_bit & 1) != 0;
    const bool round_up = round_bit && ((quotient & 1) != 0 || any_bit_below(product, shift - 1));
    return quotient + (round_up ? 1 : 0);
}

// "00" to "99", so that digits are written two at a time.
constexpr char DIGIT_PAIRS[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

void write_pair(char* at, std::uint64_t pair) { std::memcpy(at, DIGIT_PAIRS + 2 * pair, 2); }

constexpr std::array<std::uint64_t, 20> POWERS_OF_TEN = [] {
    std::array<std::uint64_t, 20> powers{};
    std::uint64_t power = 1;
    for (std::uint64_t& p : powers) {
        p = power;
        power *= 10;
    }
    return powers;
}();

// floor(e * log10(2)) or one less, for 0 <= e <= 2^16: 1233 / 4096 is just
// below log10(2).
constexpr int decimal_exponent_at_least(int binary_exponent) {
    return (binary_exponent * 1233) >> 12;
}

// The decimal digits of n: from its bit width to within one, then one comparison.
int digit_count(std::uint64_t n) {
    const std::uint64_t nonzero = n | 1;
    const int estimate = decimal_exponent_at_least(static_cast<int>(std::bit_width(nonzero)));
    return estimate + 1 - (nonzero < POWERS_OF_TEN[static_cast<std::size_t>(estimate)] ? 1 : 0);
}

// Writes the `count` decimal digits of `n` ending just before `end`.
void write_digits(std::uint64_t n, char* end) {
    for (; n >= 100; n /= 100) {
        end -= 2;
        write_pair(end, n % 100);
    }
    if (n >= 10) {
        write_pair(end - 2, n);
    } else {
        end[-1] = static_cast<char>('0' + n);
    }
}

// Writes the six digits of 0 <= n < 10^6, two at a time: n / 10^4 in 32-bit
// fixed point, then each further pair from the fraction times 100. The
// factor, 2^32 / 10^4 rounded up, errs high by less than 6.3e-5 of a unit of
// the first pair; multiplied by 100 twice that stays below 0.63 of a unit of
// the last, so no pair is ever pushed up to the next value.
void write_six_digits(std::uint64_t n, char* out) {
    constexpr std::uint64_t LOW_32 = 0xFFFFFFFF;
    std::uint64_t fixed = n * 429497;
    write_pair(out, fixed >> 32);
    fixed = (fixed & LOW_32) * 100;
    write_pair(out + 2, fixed >> 32);
    fixed = (fixed & LOW_32) * 100;
    write_pair(out + 4, fixed >> 32);
}

}  // namespace

char* format_fixed6(double value, char* first, char* last) noexcept {
    const std::uint64_t bits = ieee754::bits_of(value);
    const std::uint64_t exponent_bits = ieee754::exponent_field(bits);
    if (exponent_bits >= FAST_PATH_EXPONENT_LIMIT) {
        // A value too large for the room has no need of its digits: it is
        // at least 2^e, so it has more than e * log10(2) of them.
        const int binary_exponent = static_cast<int>(exponent_bits) - ieee754::BIAS;
        const std::ptrdiff_t shortest = static_cast<std::ptrdiff_t>(bits >> 63) +
                                        decimal_exponent_at_least(binary_exponent) + 8;
        if (exponent_bits != ieee754::EXPONENT_MASK && last - first < shortest) return nullptr;
        return format_large_fixed6(value, first, last);
    }
    const std::uint64_t scaled = scaled_by_million(exponent_bits, bits & ieee754::FRACTION_MASK);
    const bool negative = ieee754::is_negative(bits);

    const std::uint64_t whole = scaled / MILLION;
    const int whole_count = digit_count(whole);
    const std::ptrdiff_t length = (negative ? 1 : 0) + whole_count + 7;
    if (last - first < length) return nullptr;
    char* out = first;
    if (negative) *out++ = '-';
    out += whole_count;
    write_digits(whole, out);
    *out++ = '.';
    write_six_digits(scaled % MILLION, out);
    return out + 6;
}

char* format_scientific(double value, int precision, char* first, char* last) noexcept {
#if ZORVANE_HAVE_FLOAT_CHARCONV
    return library_format(value, first, last, std::chars_format::scientific, precision);
#else
    return exact_scientific(value, precision, first, last);
#endif
}

}  // namespace zorvane
