#include <algorithm>
#include <cstring>
#include <iterator>

#include "formula_table.h"
#include "help.h"

namespace zorvane {
namespace {

constexpr std::string_view HELP_SUMMARY[] = {
    "\n=== Electronics Calculator Help ===\n",
    "Usage: <formula_name> <value1> <value2> [value3] ...\n",
    "Type '/help' to create a complete help file with all formulas\n\n",
    "Sample commands:\n",
    "  ohms_voltage 2.5 1000      (V = I * R, I=2.5A, R=1000ohm)\n",
    "  power_vi 12 0.5            (P = V * I, V=12V, I=0.5A)\n",
    "  capacitor_reactance 1000 0.000001  (Xc, f=1000Hz, C=1uF)\n",
    "  resistors_parallel 1000 2000       (parallel resistance)\n\n",
};

constexpr std::string_view REFERENCE_TITLE =
    "=== ZorvaneCalculator Electronics - Complete Formula Reference ===\n\n";

constexpr std::string_view REFERENCE_NOTES[] = {
    "Notes:\n",
    "- All frequencies in Hz\n",
    "- All resistances in Ohms\n",
    "- All capacitances in Farads\n",
    "- All inductances in Henries\n",
    "- All voltages in Volts\n",
    "- All currents in Amperes\n",
    "- All powers in Watts\n",
    "- All temperatures in Celsius\n",
};

// Builds a line in a fixed buffer; what does not fit is left out, and the
// reference test sees it.
struct LineBuilder {
    ReferenceLine& line;

    void append(std::string_view text) {
        const std::size_t room = line.chars.size() - line.size;
        const std::size_t kept = std::min(room, text.size());
        std::memcpy(line.chars.data() + line.size, text.data(), kept);
        line.size += kept;
    }
    void pad_to(std::size_t column) {
        do {
            append(" ");
        } while (line.size < column && line.size < line.chars.size());
    }
};

}  // namespace

std::span<const std::string_view> help_summary_texts() noexcept { return HELP_SUMMARY; }

std::size_t append_usage(const Formula& formula, ReferenceLine& line) noexcept {
    LineBuilder builder{line};
    builder.append(formula.keyword);
    for (const Argument& argument : formula.argument_list()) {
        builder.append(" <");
        builder.append(argument.name);
        builder.append(">");
    }
    return line.size;
}

ReferenceLine reference_line(const Formula& formula) noexcept {
    ReferenceLine line;
    LineBuilder builder{line};
    builder.append("  ");
    append_usage(formula, line);
    builder.pad_to(static_cast<std::size_t>(formula.reference_column));
    builder.append("- ");
    builder.append(formula.description);
    builder.append("\n");
    return line;
}

bool write_formula_reference(ReferenceSink sink, void* context) noexcept {
    if (!sink(context, REFERENCE_TITLE)) return false;
    const Category* category = nullptr;
    for (const Formula& formula : formula_table()) {
        if (formula.category != category) {
            if (category != nullptr && !sink(context, "\n")) return false;
            category = formula.category;
            if (!sink(context, category->heading) || !sink(context, "\n")) return false;
        }
        const ReferenceLine line = reference_line(formula);
        if (!sink(context, line.text())) return false;
    }
    if (!sink(context, "\n")) return false;
    return std::all_of(std::begin(REFERENCE_NOTES), std::end(REFERENCE_NOTES),
                       [&](std::string_view text) { return sink(context, text); });
}

}  // namespace zorvane
