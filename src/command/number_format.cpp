// "%.6f" is where a call spends most of its time, so values of ordinary
// magnitude take a short exact path: with value = m * 2^e, the six-decimal
// result is round(m * 10^6 / 2^-e), computed in 128-bit integers (m * 10^6 <
// 2^73) with round half to even on exact ties, the rounding of printf in its
// default mode. Larger values, infinities and NaN go through std::to_chars,
// which is exact too.
#include "number_format.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <system_error>

namespace zorvane {
namespace {

__extension__ typedef unsigned __int128 uint128;  // GCC and Clang, mingw-w64 included

constexpr std::uint64_t MILLION = 1000000;
constexpr int MANTISSA_BITS = 52;
constexpr int EXPONENT_BIAS = 1075;  // 1023 + 52: the exponent of the integer mantissa
// Below 2^43 the six-decimal integer m * 10^6 / 2^-e stays below 2^64.
constexpr int FAST_PATH_EXPONENT_LIMIT = 1023 + 43;

char* write_not_a_number(char* first, const char* last) {
    constexpr std::string_view text = "nan";
    if (last - first < static_cast<std::ptrdiff_t>(text.size())) return nullptr;
    return std::copy(text.begin(), text.end(), first);
}

char* library_format(double value, char* first, char* last, std::chars_format format) {
    if (std::isnan(value)) return write_not_a_number(first, last);
    const auto [end, error] = std::to_chars(first, last, value, format, 6);
    return error == std::errc{} ? end : nullptr;
}

// round(value * 10^6) for 0 <= |value| < 2^43, from the bits of the double.
std::uint64_t scaled_by_million(std::uint64_t exponent_bits, std::uint64_t fraction) {
    const std::uint64_t mantissa =
        exponent_bits == 0 ? fraction : fraction | (std::uint64_t{1} << MANTISSA_BITS);
    const int exponent = exponent_bits == 0 ? 1 - EXPONENT_BIAS
                                            : static_cast<int>(exponent_bits) - EXPONENT_BIAS;
    const uint128 product = static_cast<uint128>(mantissa) * MILLION;
    const int shift = -exponent;  // at least 10 here
    if (shift > 74) return 0;  // product < 2^73 < half of 2^shift: rounds to zero, never a tie
    const std::uint64_t quotient = static_cast<std::uint64_t>(product >> shift);
    const uint128 remainder = product & ((static_cast<uint128>(1) << shift) - 1);
    const uint128 half = static_cast<uint128>(1) << (shift - 1);
    const bool round_up = remainder > half || (remainder == half && (quotient & 1) != 0);
    return quotient + (round_up ? 1 : 0);
}

// "00" to "99", so that digits are written two at a time.
constexpr char DIGIT_PAIRS[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

void write_pair(char* at, std::uint64_t pair) { std::memcpy(at, DIGIT_PAIRS + 2 * pair, 2); }

int digit_count(std::uint64_t n) {
    int count = 1;
    for (; n >= 10; n /= 10) ++count;
    return count;
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

}  // namespace

char* format_fixed6(double value, char* first, char* last) noexcept {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const std::uint64_t exponent_bits = (bits >> MANTISSA_BITS) & 0x7FF;
    if (exponent_bits >= FAST_PATH_EXPONENT_LIMIT) {
        return library_format(value, first, last, std::chars_format::fixed);
    }
    const std::uint64_t scaled =
        scaled_by_million(exponent_bits, bits & ((std::uint64_t{1} << MANTISSA_BITS) - 1));
    const bool negative = (bits >> 63) != 0;

    const std::uint64_t whole = scaled / MILLION;
    const int whole_count = digit_count(whole);
    const std::ptrdiff_t length = (negative ? 1 : 0) + whole_count + 7;
    if (last - first < length) return nullptr;
    char* out = first;
    if (negative) *out++ = '-';
    out += whole_count;
    write_digits(whole, out);
    *out++ = '.';
    const std::uint64_t fraction = scaled % MILLION;
    write_pair(out, fraction / 10000);
    write_pair(out + 2, fraction / 100 % 100);
    write_pair(out + 4, fraction % 100);
    return out + 6;
}

char* format_scientific6(double value, char* first, char* last) noexcept {
    return library_format(value, first, last, std::chars_format::scientific);
}

}  // namespace zorvane
