// Exact conversions between doubles and decimal text built on integers
// alone: a small big integer of fixed capacity holds the exact value. Slow
// next to std::to_chars and std::from_chars, they stand in for them where a
// standard library lacks the floating-point overloads.
#pragma once

namespace zorvane {

// Digits after the point that exact_scientific writes at most: with the
// first digit, the 17 that tell every double apart.
inline constexpr int MAX_SCIENTIFIC_PRECISION = 16;

// As format_fixed6 and format_scientific (printf's "%.6f" and "%.*e" for
// every double; "inf", "-inf", "nan"); null when the text does not fit,
// and nothing written past `last`. `precision` is 0 to MAX_SCIENTIFIC_PRECISION.
char* exact_fixed6(double value, char* first, char* last) noexcept;
char* exact_scientific(double value, int precision, char* first, char* last) noexcept;

// The double nearest to D x 10^exponent, ties to even, where D is the
// integer of the `count` digits (count >= 1, the first not '0') that start
// at `digits`, a '.' among them skipped. `out_of_range` says that the value
// rounds to zero or beyond the largest double, where std::from_chars
// reports result_out_of_range; `value` is then 0 or infinity.
struct ExactValue {
    double value;
    bool out_of_range;
};
ExactValue exact_decimal_value(const char* digits, int count, long long exponent) noexcept;

}  // namespace zorvane
