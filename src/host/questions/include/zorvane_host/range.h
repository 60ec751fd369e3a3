// How far a result wanders with its values' tolerances: the worst case.
#pragma once

#include <array>
#include <string_view>

#include "zorvane_host/question.h"
#include "zorvane_host/reply.h"

namespace zorvane::host {

// The smallest and largest result of `formula` over every combination of values
// within value[i] * (1 +- tolerance[i]) (tolerance relative: 0.01 for 1 %; 0
// for exact values), exactly: every min and max is a result the core computes
// at a point of the box, found at the corners where the row is monotone in
// each value and at the interior extrema where it is not (a series RLC's
// resonance); a point between them may give a result an ulp beyond, where
// the core's rounding is not quite monotone. A magnitude (resistance, frequency ...) never goes
// below zero: a tolerance over 100 % reaches down to 0. Where the box reaches a division by zero
// the range runs to the infinity the core gives next to it. The guard's 0 counts among the results,
// and `guarded` tells that some point of the box hit the row's zero guard. min and max are NaN when
// the row gives not-a-number somewhere in the box, when a value or tolerance is not finite, or when
// a magnitude's whole box is negative. `evaluations` counts the core's evaluations spent.
struct Range {
    double min;
    double max;
    bool guarded;
    int evaluations;
};
Range worst_case_range(const FormulaInfo& formula, const std::array<double, 4>& values,
                       const std::array<double, 4>& tolerances);

// "voltage_divider 12 10k±1% 4.7k±1%": the module's line followed by the
// smallest and largest result over every combination of values within their
// tolerances: "Output Voltage = 3.836735 V (3.810811 .. 3.863014 V)".
// Where the box reaches a division by zero or leaves the doubles, or the
// formula gives no number in it, an error line, the hints saying which; the
// hints also tell of a zero guard within the box and of values beyond the
// formula's count.
struct Ranged : Reply {
    double value = 0.0;  // the result at the nominal values
    double min = 0.0;
    double max = 0.0;
};
Ranged range(std::string_view command, const QuestionOptions& options = {});
// The same of a command read once (options beside it as well as its own).
Ranged range(const ReadCommand& command, const QuestionSettings& beside);

}  // namespace zorvane::host
