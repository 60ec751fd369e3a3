// What a worst-case range and a standard-pair search may assume about how a
// row's result moves with each of its values (the reasoning per shape is in
// worst_case.cpp; the shape itself is the row's).
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "formula_table.h"
#include "zorvane_host/pair.h"
#include "zorvane_host/range.h"

namespace zorvane::host {

// The shape of `row`, as its row gives it.
std::optional<Shape> shape_of(const Formula& row) noexcept;

// True for every shape but resonance: on a box whose magnitudes are not
// negative, the result is monotone in each value separately between the
// value's zero and the box's ends.
// The ends of value * (1 +- tolerance), the lower first: what a worst-case
// range spans of one value before a magnitude is cut off at zero. Either may
// be infinite or NaN, and the range is then undefined.
struct ToleranceEnds {
    double low;
    double high;
};
ToleranceEnds tolerance_ends(double value, double tolerance) noexcept;

// worst_case_range for a row the layer already holds (a design tries
// thousands of boxes of one row).
Range worst_case_range_of_row(const Formula& row, const std::array<double, 4>& values,
                              const std::array<double, 4>& tolerances);

// best_standard_pair for a row the layer already holds.
std::optional<StandardPair> best_standard_pair_of_row(const Formula& row,
                                                      const std::array<double, 4>& values,
                                                      int first, int second, double target,
                                                      Series series);

constexpr bool monotone_in_each_value(Shape shape) noexcept { return shape != Shape::resonance; }

}  // namespace zorvane::host
