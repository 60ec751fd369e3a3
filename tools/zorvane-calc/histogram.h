// A Monte Carlo run's histogram drawn at a terminal, under the answer.
#pragma once

#include <string>
#include <vector>

#include "zorvane_host/host.h"

namespace zorvane_calc {

// Eight rows of block characters, one column per bin of the worst-case
// range, the bars marking the range's ends; a row beneath marking the bins
// within the result window ('=', ':' for a bin the window's edge cuts, '-'
// outside); and a legend with the range and the window. Nothing for an
// answer without samples.
std::vector<std::string> histogram_lines(const zorvane::host::Simulated& simulated);

}  // namespace zorvane_calc
