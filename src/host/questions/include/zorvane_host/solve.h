// Solving a formula for one of its values.
#pragma once

#include <string_view>
#include <vector>

#include "zorvane_host/question.h"
#include "zorvane_host/reply.h"

namespace zorvane::host {

// "voltage_divider 12 10k ? = 3.3": line "r2 = 3793.1034482758623 Ω" (each
// solution in the shortest form that reads back as the same double, so it
// can be pasted into a command), engineering "r2 = 3.7931 kΩ". All
// solutions in the argument's domain (above zero for a magnitude), in
// increasing order, joined by " or ". With a series, the standard
// neighbours of each solution for a resistance, capacitance or inductance
// follow, with the result each gives and its deviation from the target:
// "...; E24: 3600 Ω → 3.176471 V (-3.74%), 3900 Ω → 3.366906 V (+2.03%)".
// No solution, or every value of the domain a solution: an error line, and a
// hint with what the formula reaches.
//
// A stretch of values that all give the target (where the other values
// decide the result) is a sentence with its first and last values, or the
// domain's end in words: "Every r2 from 1.2e+19 to 1.0184e+306 Ω gives
// Parallel Resistance = 176.5 Ω", "Every capacitance below 4.9e-24 F
// gives ...". After solutions it follows them: "frequency = 2 Hz; every
// frequency from ...". Where the result rounds away from the target and back
// within the stretch, the sentence says so: "Many r2 from ... give ..., not
// every one".
struct SolvedStretch {
    double from;
    double to;
    bool from_domain_end;  // every value below `to` in the domain
    bool to_domain_end;    // every value above `from` in the domain
    // Every value looked at between the ends gives the target; false where
    // the result rounds away from it and back ("Many r2 from ... give").
    bool every;
};
struct StandardNeighbour {
    double value;      // a standard value next to a solution
    double result;     // the formula's result with it
    double deviation;  // (result - target) / |target|; the difference when the target is 0
                       // or so small that the ratio is beyond the doubles
};
struct Solved : Reply {
    int argument = -1;               // which value was ?, from 0
    std::string_view argument_name;  // "r2"
    std::string_view unit;           // the argument's unit, UTF-8: "Ω"; "" for none
    double target = 0.0;
    std::vector<double> solutions;  // increasing
    std::vector<StandardNeighbour> standard;
    std::vector<SolvedStretch> stretches;  // increasing
};
Solved solve(std::string_view command, const QuestionOptions& options = {});
// The same of a command read once (options beside it as well as its own).
Solved solve(const ReadCommand& command, const QuestionSettings& beside);

}  // namespace zorvane::host
