// The pieces every answer to a question is written from: the module's own
// number text, values that read back exactly, engineering notation, units.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formula_table.h"
#include "zorvane_host/host.h"

namespace zorvane::host {

// Makes `reply` the error `line` (its engineering line too), with `hints`.
void fail(Reply& reply, std::string line, std::vector<std::string> hints = {});

// A result's number exactly as the module's line prints it: "3.176471", or
// "%.6e" where that would not fit.
std::string module_number(const Formula& row, double value);

// "3300 Ω": the text and its unit, or the text alone for a ratio.
std::string with_unit(std::string text, std::string_view unit);

// The shortest text that reads back as `value`: "3793.103448275862".
std::string round_trip(double value);

// "3.7931 kΩ": a value and its unit in engineering notation.
std::string engineering(double value, std::string_view unit);

// "15.9155 nF (1.5915494309188485e-08 F)": the engineering form a person
// reads first, then the exact double to paste into a command; one text where
// the two are the same ("0.5 A").
std::string readable(double value, std::string_view unit);


// printf's exact rounding of `value` by `format` ("%.4f"), whatever decimal
// point the locale gives it written '.'.
std::string printed(const char* format, double value);

}  // namespace zorvane::host
