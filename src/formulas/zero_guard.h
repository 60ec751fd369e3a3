// The zero guards the evaluators share. A guard compares by value, so -0.0
// counts as zero, and answers positive zero in place of the expression.
#pragma once

#include "formula_table.h"

namespace zorvane {

// numerator / denominator, or the guard's 0 when the denominator is zero.
inline Evaluation guarded_quotient(double numerator, double denominator) {
    if (denominator == 0.0) return Evaluation::zero_guard();
    return numerator / denominator;
}

// (a * b) / (a + b): resistors in parallel, capacitors in series, inductors
// in parallel. The guards cover zero operands only; equal values of opposite
// sign still divide by a zero sum.
inline Evaluation product_over_sum(double a, double b) {
    if (a == 0.0) return Evaluation::zero_guard();
    if (b == 0.0) return Evaluation::zero_guard();
    return (a * b) / (a + b);
}

inline Evaluation sum(double a, double b) { return a + b; }

}  // namespace zorvane
