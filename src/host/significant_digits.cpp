#include "significant_digits.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace zorvane::host {
namespace {

// A natural number in base 10^9, least significant limb first: room for
// the exact decimal expansion of any double, 767 digits at most
// (2^53 * 5^1074 for the smallest subnormal).
class BigDecimal {
   public:
    explicit BigDecimal(std::uint64_t value) {
        do {
            limbs_[size_++] = static_cast<std::uint32_t>(value % BASE);
            value /= BASE;
        } while (value != 0);
    }

    // Multiplies by `factor`, at most 2^32 - 1.
    void multiply(std::uint32_t factor) {
        std::uint64_t carry = 0;
        for (int i = 0; i < size_; ++i) {
            const std::uint64_t product = std::uint64_t{limbs_[i]} * factor + carry;
            limbs_[i] = static_cast<std::uint32_t>(product % BASE);
            carry = product / BASE;
        }
        while (carry != 0) {
            limbs_[size_++] = static_cast<std::uint32_t>(carry % BASE);
            carry /= BASE;
        }
    }

    // Multiplies by base^count, `step` = base^chunk at a time.
    void multiply_power(std::uint32_t base, int count, std::uint32_t step, int chunk) {
        for (; count >= chunk; count -= chunk) multiply(step);
        for (; count > 0; --count) multiply(base);
    }

    // Writes the decimal digits, most significant first; returns their count.
    int write_digits(char* out) const {
        int count = 0;
        char group[9];
        for (int i = size_ - 1; i >= 0; --i) {
            std::uint32_t limb = limbs_[i];
            for (int k = 8; k >= 0; --k, limb /= 10) group[k] = static_cast<char>('0' + limb % 10);
            int k = 0;
            if (i == size_ - 1) {
                while (k < 8 && group[k] == '0') ++k;
            }
            for (; k < 9; ++k) out[count++] = group[k];
        }
        return count;
    }

   private:
    static constexpr std::uint32_t BASE = 1'000'000'000;
    std::uint32_t limbs_[90]{};
    int size_ = 0;
};

// Keeps the first `significant` of `count` exact digits, rounding half to even.
SignificantDigits round_digits(const char* digits, int count, int exponent, int significant) {
    SignificantDigits rounded;
    int kept = count < significant ? count : significant;
    for (int i = 0; i < kept; ++i) rounded.digits[static_cast<std::size_t>(i)] = digits[i];
    bool up = false;
    if (count > significant) {
        const char next = digits[significant];
        bool beyond = false;
        for (int i = significant + 1; i < count && !beyond; ++i) beyond = digits[i] != '0';
        const bool odd = (digits[significant - 1] - '0') % 2 == 1;
        up = next > '5' || (next == '5' && (beyond || odd));
    }
    for (int i = kept - 1; up && i >= 0; --i) {
        char& digit = rounded.digits[static_cast<std::size_t>(i)];
        up = digit == '9';
        digit = up ? '0' : static_cast<char>(digit + 1);
    }
    if (up) {  // 999.9995 became 1000.00
        rounded.digits[0] = '1';
        ++exponent;
    }
    while (kept > 1 && rounded.digits[static_cast<std::size_t>(kept - 1)] == '0') --kept;
    rounded.count = kept;
    rounded.exponent = exponent;
    return rounded;
}

SignificantDigits zero() {
    SignificantDigits digits;
    digits.digits[0] = '0';
    digits.count = 1;
    return digits;
}

}  // namespace

SignificantDigits round_significant_exact(double value, int significant) noexcept {
    if (value == 0.0) return zero();
    // (memcpy rather than std::bit_cast, which emscripten's library lacks)
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    const std::uint64_t mantissa = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
    const int binary_exponent = (biased == 0 ? 1 : biased) - 1075;

    // value = mantissa * 2^e: for e < 0 that is mantissa * 5^-e / 10^-e.
    BigDecimal exact(mantissa);
    int decimal_shift = 0;
    if (binary_exponent >= 0) {
        exact.multiply_power(2, binary_exponent, 1u << 30, 30);
    } else {
        exact.multiply_power(5, -binary_exponent, 1'220'703'125, 13);
        decimal_shift = -binary_exponent;
    }
    char digits[820];
    const int count = exact.write_digits(digits);
    SignificantDigits rounded = round_digits(digits, count, count - 1 - decimal_shift, significant);
    rounded.negative = std::signbit(value);
    return rounded;
}

SignificantDigits round_significant(double value, int significant) noexcept {
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
    if (value == 0.0) return zero();
    // "d.dddddde+XX": the library rounds the exact value half to even.
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, std::fabs(value),
                                            std::chars_format::scientific, significant - 1);
    if (error != std::errc{}) return round_significant_exact(value, significant);
    SignificantDigits rounded;
    const char* at = text;
    for (; *at != 'e'; ++at) {
        if (*at != '.') rounded.digits[static_cast<std::size_t>(rounded.count++)] = *at;
    }
    std::from_chars(at + (at[1] == '+' ? 2 : 1), end, rounded.exponent);
    while (rounded.count > 1 &&
           rounded.digits[static_cast<std::size_t>(rounded.count - 1)] == '0') {
        --rounded.count;
    }
    rounded.negative = std::signbit(value);
    return rounded;
#else
    return round_significant_exact(value, significant);
#endif
}

}  // namespace zorvane::host
