// The statistics' histogram as a drawing.
#pragma once

#include <string>

#include "zorvane_host/statistics.h"

namespace zorvane::host {

// The histogram of a Monte Carlo run as an SVG drawing over the worst-case
// range, the result window marked, described in its title for screen
// readers; "" for an error or a run without samples. Every host draws this
// one (the page, a notebook).
std::string histogram_svg(const Simulated& simulated);

}  // namespace zorvane::host
