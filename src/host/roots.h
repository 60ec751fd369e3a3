// Every value of one argument at which a formula gives a wanted result.
#pragma once

#include <limits>
#include <string>
#include <vector>

#include "command.h"
#include "formula_table.h"

namespace zorvane::host {

struct RootSearch {
    // Increasing. Each is a value at which the core, evaluating the command
    // through the module's line path, gives the target, or one of two
    // adjacent doubles between whose results the target lies; never one at
    // which a zero guard answered.
    std::vector<double> roots;
    // The target is reached by every value from `flat_from` to `flat_to`
    // rather than at points (then `roots` is empty).
    bool flat = false;
    bool flat_everywhere = false;  // over the whole domain
    double flat_from = 0.0;
    double flat_to = 0.0;
    // The least and greatest finite results seen, guarded ones left out:
    // what the formula reaches (lowest > highest when it reaches nothing).
    double lowest = std::numeric_limits<double>::infinity();
    double highest = -std::numeric_limits<double>::infinity();
    int evaluations = 0;  // of the row's arithmetic
};

// Searches the domain of `row`'s argument `argument` (above zero for a
// magnitude, both signs and zero for a signed quantity); `values` holds the
// other values. `target` is finite.
RootSearch find_roots(const Formula& row, const Values& values, int argument, double target);

// The module's outcome for `row` at `values`, read from the command's text
// (`command`, kept for its buffer) as the module reads it: each value in the
// shortest text that reads back as it.
Outcome through_module(const Formula& row, const Values& values, std::string& command);

// The shortest text that reads back as `value`, as std::to_chars writes it:
// "3793.103448275862", "1e-07". Locale-free.
void append_round_trip(double value, std::string& out);

// Text that reads back as `value`, the shortest where that costs nothing.
void append_exact(double value, std::string& out);

}  // namespace zorvane::host
