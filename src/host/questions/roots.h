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
    // which a zero guard answered. Of a few neighbouring doubles that all
    // give the target (a plateau of rounding), one: the shortest text, then
    // the one nearer zero.
    std::vector<double> roots;
    // A stretch: every double from `from` to `to` gives the target, the two
    // ends checked through the module's line path, the doubles just outside
    // them not. An end that is the domain's own (the largest double, the
    // smallest positive one, the most negative one) is marked, so that a
    // reply can say "above" or "below".
    struct Stretch {
        double from = 0.0;
        double to = 0.0;
        bool from_domain_end = false;
        bool to_domain_end = false;
        // Every double looked at between the ends gives the target; false
        // where the result rounds to either side of it here and there (a
        // product over a sum whose sum has long stopped moving).
        bool every = true;
    };
    std::vector<Stretch> stretches;  // increasing
    bool flat_everywhere = false;    // one stretch over the whole domain
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

}  // namespace zorvane::host
