// What every answer to a question has, and the options of the questions'
// simpler entry points.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "zorvane_host/formulas.h"
#include "zorvane_host/series.h"

namespace zorvane::host {

// ---- Questions beyond the module's: solving, standard parts, ranges ----
//
// The command language grows three ways, each checked by the module's own
// arithmetic:
//   voltage_divider 12 10k ? = 3.3      one value written ?, the result wanted
//                                       after = (spaces optional, prefixes and
//                                       the result's unit allowed): solve for it
//   voltage_divider 12 ? ? = 3.3        two of one kind (resistances,
//                                       capacitances, inductances) with a series
//                                       of standard values: the best pair
//   voltage_divider 12 10k±1% 4.7k±1%   tolerances in percent (also +-): the
//                                       worst-case range of the result

struct QuestionOptions {
    bool expand = true;            // the input notation (prefixes, IEC codes, units)
    std::optional<Series> series;  // standard values after a solution; two ? ask for a pair
};

// What every answer to a question has.
struct Reply {
    bool error = true;        // `line` begins "Error: "
    std::string line;         // one line, UTF-8: what zorvane-calc prints
    std::string engineering;  // the same with values in engineering notation
    // The line for a person at a terminal: each solution, standard neighbour
    // or pair value in engineering notation with its exact double after it,
    // "capacitance = 15.9155 nF (1.5915494309188485e-08 F)"; empty where it
    // would be `line` itself.
    std::string readable;
    std::vector<std::string> hints;  // what may help a person fix the command
    const FormulaInfo* formula = nullptr;
    int evaluations = 0;  // of the formula's arithmetic, to answer
};

}  // namespace zorvane::host
