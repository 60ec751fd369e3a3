// A double is m x 2^e exactly; a decimal token is D x 10^k exactly. Both
// conversions form those integers in full and round once, half to even, so
// they give the digits printf prints and the double from_chars reads.
#include "exact_decimal.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "ieee754.h"

namespace zorvane {
namespace {

using ieee754::bits_of;
using ieee754::double_from_bits;
using ieee754::IMPLICIT_BIT;
using ieee754::is_finite;
using ieee754::is_negative;
using ieee754::MANTISSA_BITS;
constexpr int EXPONENT_BIAS = ieee754::INTEGER_BIAS;

// An unsigned integer of up to LIMBS x 32 bits, least significant limb
// first. The bounds of the values formed below are stated where they are
// formed; all stay well inside.
class BigNumber {
   public:
    static constexpr std::size_t LIMBS = 128;

    explicit BigNumber(std::uint64_t value) {
        for (; value != 0; value >>= 32) limbs_[size_++] = static_cast<std::uint32_t>(value);
    }

    bool is_zero() const { return size_ == 0; }

    std::size_t bit_length() const {
        if (size_ == 0) return 0;
        std::size_t bits = (size_ - 1) * 32;
        for (std::uint32_t top = limbs_[size_ - 1]; top != 0; top >>= 1) ++bits;
        return bits;
    }

    // this = this * factor + addend
    void multiply_add(std::uint32_t factor, std::uint32_t addend) {
        std::uint64_t carry = addend;
        for (std::size_t i = 0; i < size_; ++i) {
            carry += std::uint64_t{limbs_[i]} * factor;
            limbs_[i] = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        if (carry != 0) limbs_[size_++] = static_cast<std::uint32_t>(carry);
    }

    void multiply_by_power(std::uint32_t base, std::size_t exponent) {
        // The largest power of the base in a limb, as often as it goes.
        std::uint32_t step = base;
        std::size_t per_step = 1;
        for (; step <= UINT32_MAX / base; ++per_step) step *= base;
        for (; exponent >= per_step; exponent -= per_step) multiply_add(step, 0);
        std::uint32_t rest = 1;
        for (; exponent > 0; --exponent) rest *= base;
        multiply_add(rest, 0);
    }

    // this /= divisor; the remainder.
    std::uint32_t divide(std::uint32_t divisor) {
        std::uint64_t remainder = 0;
        for (std::size_t i = size_; i-- > 0;) {
            const std::uint64_t current = (remainder << 32) | limbs_[i];
            limbs_[i] = static_cast<std::uint32_t>(current / divisor);
            remainder = current % divisor;
        }
        trim();
        return static_cast<std::uint32_t>(remainder);
    }

    void shift_left(std::size_t bits) {
        if (size_ == 0 || bits == 0) return;
        const std::size_t limbs = bits / 32;
        const std::size_t rest = bits % 32;
        limbs_[size_ + limbs] = 0;
        for (std::size_t i = size_; i-- > 0;) {
            const std::uint64_t moved = std::uint64_t{limbs_[i]} << rest;
            limbs_[i + limbs + 1] |= static_cast<std::uint32_t>(moved >> 32);
            limbs_[i + limbs] = static_cast<std::uint32_t>(moved);
        }
        std::fill(limbs_, limbs_ + limbs, 0U);
        size_ += limbs + 1;
        trim();
    }

    void shift_right_one() {
        for (std::size_t i = 0; i < size_; ++i) {
            const std::uint32_t next = i + 1 < size_ ? limbs_[i + 1] : 0;
            limbs_[i] = (limbs_[i] >> 1) | (next << 31);
        }
        trim();
    }

    // The 64 bits from bit `first` up.
    std::uint64_t bits_from(std::size_t first) const {
        std::uint64_t bits = 0;
        for (std::size_t i = 64; i-- > 0;) bits = (bits << 1) | bit(first + i);
        return bits;
    }

    bool any_bit_below(std::size_t end) const {
        for (std::size_t i = 0; i < end; ++i) {
            if (bit(i) != 0) return true;
        }
        return false;
    }

    bool at_least(const BigNumber& other) const {
        if (size_ != other.size_) return size_ > other.size_;
        for (std::size_t i = size_; i-- > 0;) {
            if (limbs_[i] != other.limbs_[i]) return limbs_[i] > other.limbs_[i];
        }
        return true;
    }

    // this -= other, where this >= other.
    void subtract(const BigNumber& other) {
        std::uint32_t borrow = 0;
        for (std::size_t i = 0; i < size_; ++i) {
            const std::uint64_t taken =
                std::uint64_t{i < other.size_ ? other.limbs_[i] : 0} + borrow;
            borrow = limbs_[i] < taken ? 1 : 0;
            limbs_[i] = static_cast<std::uint32_t>(limbs_[i] - taken);
        }
        trim();
    }

   private:
    std::uint64_t bit(std::size_t index) const {
        return index / 32 < size_ ? (limbs_[index / 32] >> (index % 32)) & 1 : 0;
    }

    void trim() {
        while (size_ > 0 && limbs_[size_ - 1] == 0) --size_;
    }

    std::uint32_t limbs_[LIMBS + 1] = {};  // one spare limb for a shift's carry
    std::size_t size_ = 0;
};

// ---- Formatting ----

// The exact decimal digits of a finite non-negative double, value =
// digits x 10^-fraction_digits. m x 2^e with e < 0 is m x 5^-e / 10^-e:
// at most 2^53 x 5^1074 < 2^2548, 767 digits.
struct Decimal {
    static constexpr int CAPACITY = 800;
    std::array<char, CAPACITY> digits;
    int count;
    int fraction_digits;
};

Decimal exact_digits(std::uint64_t bits) {
    const auto exponent_bits = static_cast<int>(ieee754::exponent_field(bits));
    const std::uint64_t fraction = bits & (IMPLICIT_BIT - 1);
    const std::uint64_t mantissa = exponent_bits == 0 ? fraction : fraction | IMPLICIT_BIT;
    const int exponent = (exponent_bits == 0 ? 1 : exponent_bits) - EXPONENT_BIAS;

    Decimal decimal{};
    BigNumber number(mantissa);
    if (exponent >= 0) {
        number.shift_left(static_cast<std::size_t>(exponent));
    } else if (mantissa != 0) {
        number.multiply_by_power(5, static_cast<std::size_t>(-exponent));
        decimal.fraction_digits = -exponent;
    }
    // Nine digits per division, from the last digit back.
    char* const end = decimal.digits.data() + Decimal::CAPACITY;
    char* at = end;
    do {
        std::uint32_t chunk = number.divide(1'000'000'000);
        for (int i = 0; i < 9; ++i, chunk /= 10) *--at = static_cast<char>('0' + chunk % 10);
    } while (!number.is_zero());
    while (at + 1 < end && *at == '0') ++at;
    decimal.count = static_cast<int>(end - at);
    std::memmove(decimal.digits.data(), at, static_cast<std::size_t>(decimal.count));
    return decimal;
}

// The integer nearest to digits x 10^(keep - count), ties to even, as
// digits into `out`: the first `keep` digits rounded at the next one (zeros
// appended when `keep` exceeds the count). Its length: keep, one more when
// the rounding carried out of the first digit, 1 when keep < 1.
int round_digits(const Decimal& decimal, int keep, char* out) {
    const char* digits = decimal.digits.data();
    if (keep >= decimal.count) {
        std::memcpy(out, digits, static_cast<std::size_t>(decimal.count));
        std::fill(out + decimal.count, out + keep, '0');
        return keep;
    }
    if (keep < 0) {
        *out = '0';  // below a tenth of the last place kept
        return 1;
    }
    std::memcpy(out, digits, static_cast<std::size_t>(keep));
    const char next = digits[keep];
    const bool rest_zero =
        std::all_of(digits + keep + 1, digits + decimal.count, [](char c) { return c == '0'; });
    const bool last_odd = keep > 0 && (out[keep - 1] - '0') % 2 == 1;
    const bool round_up = next > '5' || (next == '5' && (!rest_zero || last_odd));
    if (keep == 0) {
        *out = round_up ? '1' : '0';
        return 1;
    }
    if (!round_up) return keep;
    int at = keep - 1;
    for (; at >= 0 && out[at] == '9'; --at) out[at] = '0';
    if (at >= 0) {
        ++out[at];
        return keep;
    }
    std::memmove(out + 1, out, static_cast<std::size_t>(keep));
    out[0] = '1';
    return keep + 1;
}

std::uint64_t magnitude_bits(std::uint64_t bits) { return bits & ~(std::uint64_t{1} << 63); }

// "inf", "-inf" or "nan" (the sign of a NaN means nothing).
char* write_not_finite(std::uint64_t bits, char* first, const char* last) {
    const std::string_view text = ieee754::not_finite_text(bits);
    if (last - first < static_cast<std::ptrdiff_t>(text.size())) return nullptr;
    return std::copy(text.begin(), text.end(), first);
}

// ---- Parsing ----

// Digits beyond the first 780 only decide between a value exactly halfway
// and one just above it (halfway points have at most 767 significant
// digits), so the rest stands in as one more nonzero digit.
constexpr int MAX_DIGITS = 780;
constexpr int LARGEST_EXPONENT = 308;    // of the leading digit of a finite double
constexpr int SMALLEST_EXPONENT = -324;  // below it a value rounds to zero
// The division below forms 10^q x 2^63 with q <= MAX_DIGITS - SMALLEST_EXPONENT.
static_assert(63 + (MAX_DIGITS - SMALLEST_EXPONENT) * 10 / 3 + 1 < BigNumber::LIMBS * 32);

// The double nearest to (m + epsilon) x 2^exponent, where epsilon is a
// positive amount below one when `inexact`; m is not zero.
double round_binary(std::uint64_t m, int exponent, bool inexact) {
    while ((m >> 63) == 0) {
        m <<= 1;
        --exponent;
    }
    const int leading = exponent + 63;  // the value lies in [2^leading, 2^(leading + 1))
    if (leading > ieee754::BIAS) return double_from_bits(ieee754::EXPONENT_MASK << MANTISSA_BITS);
    const int kept_bits =
        leading >= 1 - ieee754::BIAS ? MANTISSA_BITS + 1 : leading + EXPONENT_BIAS;
    const int dropped = 64 - kept_bits;
    if (dropped > 64) return 0.0;
    const std::uint64_t kept = dropped == 64 ? 0 : m >> dropped;
    const bool round_bit = ((m >> (dropped - 1)) & 1) != 0;
    const bool below = inexact || (m & ((std::uint64_t{1} << (dropped - 1)) - 1)) != 0;
    const std::uint64_t rounded = kept + (round_bit && (below || (kept & 1) != 0) ? 1 : 0);
    if (leading < 1 - ieee754::BIAS)
        return double_from_bits(rounded);  // subnormal: units of 2^-1074
    // A carry to 2^53 moves into the exponent field, up to infinity.
    return double_from_bits((static_cast<std::uint64_t>(leading + ieee754::BIAS) << MANTISSA_BITS) +
                            (rounded - IMPLICIT_BIT));
}

// D, from `count` digits; digits past MAX_DIGITS become one trailing 1 when
// any of them is not zero. `exponent` is adjusted to match.
BigNumber digits_value(const char* digits, int count, long long& exponent) {
    BigNumber value(0);
    std::uint32_t chunk = 0;
    std::uint32_t scale = 1;
    int taken = 0;
    bool rest_nonzero = false;
    for (int seen = 0; seen < count; ++digits) {
        if (*digits == '.') continue;
        ++seen;
        if (taken == MAX_DIGITS) {
            rest_nonzero = rest_nonzero || *digits != '0';
            ++exponent;
            continue;
        }
        chunk = chunk * 10 + static_cast<std::uint32_t>(*digits - '0');
        scale *= 10;
        ++taken;
        if (scale == 1'000'000'000) {
            value.multiply_add(scale, chunk);
            chunk = 0;
            scale = 1;
        }
    }
    if (rest_nonzero) {
        chunk = chunk * 10 + 1;
        scale *= 10;
        --exponent;
    }
    value.multiply_add(scale, chunk);
    return value;
}

// A nonzero number times 2^exponent: its top 64 bits, rounded with the rest.
double round_big(const BigNumber& number, int exponent) {
    const std::size_t length = number.bit_length();
    const std::size_t shift = length > 64 ? length - 64 : 0;
    return round_binary(number.bits_from(shift), exponent + static_cast<int>(shift),
                        number.any_bit_below(shift));
}

// D / 10^q, from a quotient of 63 or 64 bits found by long division.
double round_quotient(BigNumber numerator, std::size_t q) {
    BigNumber denominator(1);
    denominator.multiply_by_power(10, q);
    const int shift =
        63 + static_cast<int>(denominator.bit_length()) - static_cast<int>(numerator.bit_length());
    if (shift >= 0) {
        numerator.shift_left(static_cast<std::size_t>(shift));
    } else {
        denominator.shift_left(static_cast<std::size_t>(-shift));
    }
    std::uint64_t quotient = 0;
    denominator.shift_left(63);
    for (int bit = 63; bit >= 0; --bit) {
        if (numerator.at_least(denominator)) {
            numerator.subtract(denominator);
            quotient |= std::uint64_t{1} << bit;
        }
        denominator.shift_right_one();
    }
    return round_binary(quotient, -shift, !numerator.is_zero());
}

}  // namespace

char* exact_fixed6(double value, char* first, char* last) noexcept {
    const std::uint64_t bits = bits_of(value);
    if (!is_finite(bits)) return write_not_finite(bits, first, last);

    const Decimal decimal = exact_digits(magnitude_bits(bits));
    // The value in millionths, with at least one digit before the point.
    std::array<char, Decimal::CAPACITY + 8> units{};
    const int keep = decimal.count - decimal.fraction_digits + 6;
    int length = round_digits(decimal, keep, units.data());
    if (length < 7) {
        std::memmove(units.data() + 7 - length, units.data(), static_cast<std::size_t>(length));
        std::fill(units.data(), units.data() + 7 - length, '0');
        length = 7;
    }
    const int sign = is_negative(bits) ? 1 : 0;
    if (last - first < sign + length + 1) return nullptr;
    char* out = first;
    if (sign != 0) *out++ = '-';
    out = std::copy(units.data(), units.data() + length - 6, out);
    *out++ = '.';
    return std::copy(units.data() + length - 6, units.data() + length, out);
}

char* exact_scientific(double value, int precision, char* first, char* last) noexcept {
    const std::uint64_t bits = bits_of(value);
    if (!is_finite(bits)) return write_not_finite(bits, first, last);

    const Decimal decimal = exact_digits(magnitude_bits(bits));
    std::array<char, MAX_SCIENTIFIC_PRECISION + 2> significant{};
    const int kept = precision + 1;
    int exponent = decimal.count - decimal.fraction_digits - 1;
    if (round_digits(decimal, kept, significant.data()) > kept) ++exponent;  // 9.95 -> 10.0
    if (magnitude_bits(bits) == 0) exponent = 0;
    const int sign = is_negative(bits) ? 1 : 0;
    const int point = precision > 0 ? 1 : 0;
    const int magnitude = exponent < 0 ? -exponent : exponent;
    const int exponent_digits = magnitude >= 100 ? 3 : 2;
    if (last - first < sign + kept + point + 2 + exponent_digits) return nullptr;
    char* out = first;
    if (sign != 0) *out++ = '-';
    *out++ = significant[0];
    if (point != 0) *out++ = '.';
    out = std::copy(significant.begin() + 1, significant.begin() + kept, out);
    *out++ = 'e';
    *out++ = exponent < 0 ? '-' : '+';
    for (int i = exponent_digits - 1, rest = magnitude; i >= 0; --i, rest /= 10) {
        out[i] = static_cast<char>('0' + rest % 10);
    }
    return out + exponent_digits;
}

ExactValue exact_decimal_value(const char* digits, int count, long long exponent) noexcept {
    const long long leading = exponent + count - 1;
    const double infinity = double_from_bits(ieee754::EXPONENT_MASK << MANTISSA_BITS);
    if (leading > LARGEST_EXPONENT) return {infinity, true};
    if (leading < SMALLEST_EXPONENT) return {0.0, true};

    const BigNumber value = digits_value(digits, count, exponent);
    double result = 0.0;
    if (exponent >= 0) {
        BigNumber whole = value;  // below 10^309
        whole.multiply_by_power(10, static_cast<std::size_t>(exponent));
        result = round_big(whole, 0);
    } else {
        result = round_quotient(value, static_cast<std::size_t>(-exponent));
    }
    return {result, result == 0.0 || result == infinity};
}

}  // namespace zorvane
