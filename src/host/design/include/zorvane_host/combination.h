// One value made of two standard parts of one kind, in series or in
// parallel, and what a formula gives with it.
#pragma once

#include <array>
#include <optional>

#include "zorvane_host/formulas.h"
#include "zorvane_host/parts.h"

namespace zorvane::host {

// A value no single part reaches closely, from two standard parts of one
// kind: the best series and the best parallel connection (for capacitors the
// parallel one adds). `first` is the part nearer the value (the larger in
// series, the smaller in parallel), `second` the trimming one; of two equally
// near results, the one whose first part is nearer the value. Both parts from
// `series` within `window`. `min` and `max`: the combination's value with
// each part within `tolerance`. Nothing when no pair combines to a finite
// value.
struct Combination {
    bool parallel = false;
    double first = 0.0;
    double second = 0.0;
    double value = 0.0;
    double min = 0.0;
    double max = 0.0;
};
struct Combinations {
    std::optional<Combination> series;
    std::optional<Combination> parallel;
    int evaluations = 0;
};
Combinations combine_two(double wanted, PartKind kind, Series series, double tolerance,
                         PartWindow window);

// The result a formula gives with a combination in place of its value
// `argument`, and its worst case over the parts' and every other value's
// tolerance.
struct CombinedResult {
    double nominal = 0.0;
    double min = 0.0;
    double max = 0.0;
    int evaluations = 0;
};
CombinedResult combined_result(const FormulaInfo& formula, const std::array<double, 4>& values,
                               const std::array<double, 4>& tolerances, int argument,
                               const Combination& combination, double tolerance);

}  // namespace zorvane::host
