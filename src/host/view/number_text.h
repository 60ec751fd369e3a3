// The pieces every answer is written from: the module's own number text,
// values that read back exactly, engineering notation, units.
#pragma once

#include <string>
#include <string_view>

#include "formula_table.h"

namespace zorvane::host {

// A result's number exactly as the module's line prints it: "3.176471", or
// "%.6e" where that would not fit.
std::string module_number(const Formula& row, double value);

// "3300 Ω": the text and its unit, or the text alone for a ratio.
std::string with_unit(std::string text, std::string_view unit);

// The shortest text that reads back as `value`: "3793.103448275862".
std::string round_trip(double value);

// The shortest text that reads back as `value`, as std::to_chars writes it:
// "3793.103448275862", "1e-07". Locale-free.
void append_round_trip(double value, std::string& out);

// Text that reads back as `value`, the shortest where that costs nothing.
void append_exact(double value, std::string& out);

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
