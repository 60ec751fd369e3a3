// Facts about IEEE 754 binary64, the only double the module knows, and the
// texts "%f" and "%e" print for the values that are not finite.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace zorvane::ieee754 {

inline constexpr int MANTISSA_BITS = 52;
inline constexpr std::uint64_t EXPONENT_MASK = 0x7FF;  // the biased exponent's field
inline constexpr int BIAS = 1023;
// The exponent of the integer mantissa: value = mantissa x 2^(field - INTEGER_BIAS).
inline constexpr int INTEGER_BIAS = BIAS + MANTISSA_BITS;
inline constexpr std::uint64_t IMPLICIT_BIT = std::uint64_t{1} << MANTISSA_BITS;
inline constexpr std::uint64_t FRACTION_MASK = IMPLICIT_BIT - 1;
inline constexpr std::uint64_t SIGN_BIT = std::uint64_t{1} << 63;

inline std::uint64_t bits_of(double value) noexcept {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

inline double double_from_bits(std::uint64_t bits) noexcept {
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

constexpr std::uint64_t exponent_field(std::uint64_t bits) noexcept {
    return (bits >> MANTISSA_BITS) & EXPONENT_MASK;
}
constexpr bool is_finite(std::uint64_t bits) noexcept {
    return exponent_field(bits) != EXPONENT_MASK;
}
constexpr bool is_negative(std::uint64_t bits) noexcept { return (bits & SIGN_BIT) != 0; }

inline constexpr std::string_view NAN_TEXT = "nan";  // the sign of a NaN means nothing
inline constexpr std::string_view INFINITY_TEXT = "inf";
inline constexpr std::string_view NEGATIVE_INFINITY_TEXT = "-inf";

// The text of a value that is not finite: "nan", "inf" or "-inf".
constexpr std::string_view not_finite_text(std::uint64_t bits) noexcept {
    if ((bits & FRACTION_MASK) != 0) return NAN_TEXT;
    return is_negative(bits) ? NEGATIVE_INFINITY_TEXT : INFINITY_TEXT;
}

}  // namespace zorvane::ieee754
