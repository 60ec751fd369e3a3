// Hints that help someone fix a command, and the names that complete one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "zorvane_host/calculator.h"

namespace zorvane::host {

// What may help someone fix `command` given its answer: too few values (the
// formula's arguments), an unknown name (up to three nearest keywords), the
// likely cause of an invalid number, values beyond the formula's count. One
// line each, without line ends; none for a plain result.
std::vector<std::string> hints(std::string_view command, const Answer& answer);

// Keywords that start with `prefix` (any case), in table order (completion).
std::vector<std::string_view> complete(std::string_view prefix);

}  // namespace zorvane::host
