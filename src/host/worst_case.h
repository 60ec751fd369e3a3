// How a row's result moves with each of its values: what a worst-case range
// and a standard-pair search may assume about it (the reasoning per shape is
// in worst_case.cpp).
#pragma once

#include <optional>
#include <string_view>

namespace zorvane {
struct Formula;
}

namespace zorvane::host {

enum class Shape : unsigned char {
    multilinear,       // sums and products of the values: I*R, R*C, a+b, th*p+a
    quotient,          // a product over a product, a zero guard where a divisor is zero
    even_square,       // a square of a signed value times positive ones: V²/R, I²R, ½CV²
    product_over_sum,  // a*b/(a+b) and the divider's total*r2/(r1+r2)
    hypotenuse,        // sqrt(X² + R²) with X monotone in each value: RC and RL impedance
    logarithmic,       // log10 or 10^x of a quotient: decibels, coax impedance
    resonance,         // sqrt((XL - XC)² + R²): zero reactance inside the box
};

// The shape of `row`; nothing for a row nobody has classified.
std::optional<Shape> shape_of(const Formula& row) noexcept;

// True for every shape but resonance: on a box whose magnitudes are not
// negative, the result is monotone in each value separately between the
// value's zero and the box's ends.
constexpr bool monotone_in_each_value(Shape shape) noexcept { return shape != Shape::resonance; }

}  // namespace zorvane::host
