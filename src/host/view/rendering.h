// What the hosts' layers share beyond their public headers: the core's rows
// as hosts see them, the module's lines, input notation and SI prefixes.
#pragma once

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>

#include "units.h"

namespace zorvane {
struct Formula;
struct Outcome;
}  // namespace zorvane

namespace zorvane::host {

struct FormulaInfo;

// The host's view of a row of the core's table (null for null).
const FormulaInfo* info_of(const Formula* row) noexcept;

// The core's row of a formula as hosts see it; null when its keyword names
// no row (a FormulaInfo a host made up).
const Formula* row_of(const FormulaInfo& formula) noexcept;

// Appends the module's line of an outcome, as ElectronicsCalc gives it, in UTF-8.
void append_module_line(const Outcome& outcome, std::string& out);

// The module's line for an invalid number `token` (UTF-8, as typed).
std::string invalid_number_line(std::string_view token);

// Appends the value and UTF-8 unit of a result in engineering notation:
// "159.155 Ω", "100 ns", "1e-15 F", "20 dB", "1.58114".
void append_engineering_value(double value, std::string_view unit, std::string& out);

// Appends the plain decimal text of one value `token` written with an SI
// prefix or an IEC 60062 code, or ending in `unit` (UTF-8, or another
// spelling of it: "ohm" for "\xCE\xA9") after any of those or a plain
// number. False, with nothing appended, when the token is written in none
// of these ways.
bool append_plain_value(std::string_view token, std::string_view unit, std::string& out);

// The SI prefixes, pico to tera, in the spellings people type. The one a
// result is shown with is the first of its exponent ("µ", the micro sign,
// for 10^-6).
struct SiPrefix {
    std::string_view symbol;  // UTF-8
    int exponent;
};
inline constexpr SiPrefix SI_PREFIXES[] = {
    {"p", -12},
    {"n", -9},
    {MICRO_SIGN_UTF8, -6},
    {GREEK_MU_UTF8, -6},
    {"u", -6},
    {"m", -3},
    {"k", 3},
    {"M", 6},
    {"G", 9},
    {"T", 12},
};
inline constexpr int SMALLEST_PREFIX = -12;
inline constexpr int LARGEST_PREFIX = 12;

// What the hints call the prefixes: "p n u µ m k M G T".
inline constexpr std::string_view SI_PREFIX_LIST = "p n u \xC2\xB5 m k M G T";

// The prefix shown for 10^exponent, a multiple of 3 from SMALLEST_PREFIX to
// LARGEST_PREFIX ("" for 0).
constexpr std::string_view shown_prefix(int exponent) {
    const SiPrefix* found = std::find_if(std::begin(SI_PREFIXES), std::end(SI_PREFIXES),
                                         [&](const SiPrefix& p) { return p.exponent == exponent; });
    return found == std::end(SI_PREFIXES) ? std::string_view{} : found->symbol;
}

// One of the SI prefixes a value may carry: p n u µ μ m k M G T.
bool is_prefix_symbol(std::string_view text);

// Appends Windows-1252 text (no zero bytes) as UTF-8, through the module's
// own code-page table.
void append_utf8_from_windows_1252(std::string_view narrow, std::string& out);

// `text` with A..Z lower-cased, whatever the locale (the module's own lower-casing).
std::string ascii_lowercase(std::string_view text);

}  // namespace zorvane::host
