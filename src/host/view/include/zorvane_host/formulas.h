// The formula table as hosts show it: each row's name, arguments, units and
// reference text in UTF-8, and a row evaluated at one point.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zorvane::host {

struct FormulaInfo {
    std::string_view keyword;                     // the name typed: ohms_current
    std::string_view category;                    // "Ohm's law and power"
    std::span<const std::string_view> arguments;  // {"<voltage>", "<resistance>"}
    std::string_view label;                       // "Current"
    std::string_view unit;                        // UTF-8: "A", "Ω", "°C/W", "" for none
    // The unit of each of `arguments`, UTF-8: {"V", "Ω"}; "" for a ratio.
    std::span<const std::string_view> argument_units;
    std::string_view
        description;  // UTF-8, as the reference gives it: "Calculate current (I = V / R)"
};

// Every formula, in table order.
std::span<const FormulaInfo> formulas() noexcept;

// The formula named `keyword` (exact, lower-case), or null.
const FormulaInfo* find(std::string_view keyword) noexcept;

// The unit of a value named `argument` ("<resistance>": "Ω"; "" for ratios,
// factors and the dielectric constant), in UTF-8; nothing for a name no
// formula uses.
std::optional<std::string_view> argument_unit(std::string_view argument) noexcept;

// The name and its arguments: ohms_current followed by <voltage> <resistance>.
std::string usage(const FormulaInfo& formula);

// The formula's line of the reference file, in UTF-8, without the leading
// spaces and line end, as in the reference file.
std::string reference_line(const FormulaInfo& formula);

// The usage summary with sample commands, UTF-8, line-feed terminated lines.
std::string help_summary();

// The reference file's exact bytes (Windows-1252), as the module writes them.
std::string reference_file_bytes();

// "<inner_diameter>" as a person reads it: "inner diameter".
std::string argument_words(std::string_view argument);

// A formula's description as prose, with the symbols the module's
// character set lacks: "Reactance (Xc = 1/2πfC)".
std::string description_prose(const FormulaInfo& formula);

// ---- Rows evaluated one point at a time, for hosts that evaluate arrays ----
//
// A host that evaluates a row at a million points (the Python package's
// NumPy path) calls the row itself rather than rendering a command per
// point; the arithmetic is the row's own, so each value is the one the
// module would print.

// The row's value at `values` (the first of them, as many as its
// arguments; the rest are not read), and whether its zero guard answered.
struct RowValue {
    double value;
    bool guarded;
};
RowValue evaluate_row(const FormulaInfo& formula, const std::array<double, 4>& values) noexcept;

// Whether the row's argument `argument` (from 0) is a magnitude, never
// negative (a resistance, a frequency), rather than a signed quantity (a
// voltage, a gain in dB): where a solver looks, and what a host shows.
// False for a position past the row's arguments.
bool is_magnitude(const FormulaInfo& formula, int argument) noexcept;

}  // namespace zorvane::host
