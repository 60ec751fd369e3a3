// The pair of standard values whose result comes nearest a target.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "zorvane_host/question.h"
#include "zorvane_host/reply.h"

namespace zorvane::host {

// the pair of standard values from `series` whose result is nearest `target`
// by relative deviation (absolute for a target of 0), searched over
// 100 Ω–1 MΩ, 10 pF–100 µF or 1 µH–100 mH by the unknowns' unit (both ends
// included); `first` and `second` are argument positions, the other values
// are taken from `values`.
// The same ratio recurs in every decade (2.4 k/910, 24 k/9.1 k,
// 240 k/91 k): of pairs whose results miss the target by amounts within
// 1e-12 of the results' scale (the target's, or the best miss's where that
// is larger, as for a target of 0) of the best miss, the one whose
// geometric mean lies nearest the middle of the window in series steps wins
// (10 kΩ, 31.6 nF, 316 µH), then the one with the smaller values, then the
// smaller first value. Pairs where the zero guard answered are not results.
// Nothing when the two are not of one such kind, an argument position is out
// of range, the target is not finite, or no pair gives a finite result.
struct StandardPair {
    double first;
    double second;
    double result;
    int evaluations;
};
std::optional<StandardPair> best_standard_pair(const FormulaInfo& formula,
                                               const std::array<double, 4>& values, int first,
                                               int second, double target, Series series);

// "voltage_divider 12 ? ? = 3.3" with E24: the two standard values whose
// result is nearest the target, over 100 Ω to 1 MΩ (10 pF to 100 µF, 1 µH to
// 100 mH): "r1 = 24000 Ω, r2 = 9100 Ω (Output Voltage = 3.299094 V, -0.03%)".
struct Paired : Reply {
    std::array<int, 2> arguments{-1, -1};  // which values were ?
    std::array<std::string_view, 2> names;
    std::string_view unit;
    std::array<double, 2> values{};
    double result = 0.0;  // the formula's result with them
    double target = 0.0;
    double deviation = 0.0;  // as for StandardNeighbour
    // With a tolerance for the pair's kind of part (--tolerance 1%): the
    // result's worst case with both parts anywhere within it.
    std::optional<double> part_tolerance;  // a fraction: 0.01
    double min = 0.0;
    double max = 0.0;
};
Paired pair(std::string_view command, Series series, const QuestionOptions& options = {});
// The same of a command read once (options beside it as well as its own).
Paired pair(const ReadCommand& command, const QuestionSettings& beside);

}  // namespace zorvane::host
