// What the parts of the host share beyond host.h.
#pragma once

#include <string>
#include <string_view>

namespace zorvane::host {

// Appends the value and UTF-8 unit of a result in engineering notation:
// "159.155 Ω", "100 ns", "1e-15 F", "20 dB", "1.58114".
void append_engineering_value(double value, std::string_view unit, std::string& out);

// One of the SI prefixes a value may carry: p n u µ μ m k M G T.
bool is_prefix_symbol(std::string_view text);

// Appends Windows-1252 text (no zero bytes) as UTF-8, through the module's
// own code-page table.
void append_utf8_from_windows_1252(std::string_view narrow, std::string& out);

// `text` with A..Z lower-cased, whatever the locale (the module's own lower-casing).
std::string ascii_lowercase(std::string_view text);

}  // namespace zorvane::host
