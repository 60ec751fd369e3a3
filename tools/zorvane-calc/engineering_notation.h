// Values with an SI prefix, as electronics calculators accept them: 4.7k, 1u.
#pragma once

#include <string>
#include <string_view>

namespace zorvane_calc {

// Rewrites every value token (each token after the first) that is a plain
// number followed by one prefix letter (p n u µ m k M G T; "u" and "µ" are
// both micro) as the same number in plain decimal: "1k" -> "1000",
// "4.7u" -> "0.0000047". Shifting the decimal point is exact, so the module
// reads the same double as if the user had typed the expansion. Other
// tokens, and the spaces between tokens, are kept as they are.
std::string expand_engineering_notation(std::string_view command);
void expand_engineering_notation(std::string_view command, std::string& out);

}  // namespace zorvane_calc
