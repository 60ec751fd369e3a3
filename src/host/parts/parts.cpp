// What the hosts know about parts, in one place: the questions, the designs
// and the options read it here.
#include "zorvane_host/parts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "formula_table.h"
#include "rendering.h"
#include "units.h"

namespace zorvane::host {
namespace {

// In PartKind's order.
constexpr std::array<PartKindInfo, PART_KIND_COUNT> KINDS = {{
    {"R", OHM.utf8, "resistor", "resistors"},
    {"C", FARAD.utf8, "capacitor", "capacitors"},
    {"L", HENRY.utf8, "inductor", "inductors"},
}};

// The row of the table that joins two parts of `kind` as `joining`.
const FormulaInfo* joining_formula(PartKind kind, Joining joining) noexcept {
    const std::span<const Formula> rows = formula_table();
    const auto row = std::find_if(rows.begin(), rows.end(), [&](const Formula& r) {
        return r.joins == joining && part_kind(r.result_unit.utf8) == kind;
    });
    return row == rows.end() ? nullptr : info_of(&*row);
}

}  // namespace

const PartKindInfo& part_kind_info(PartKind kind) noexcept {
    return KINDS[static_cast<std::size_t>(kind)];
}

std::optional<PartKind> part_kind(std::string_view unit) noexcept {
    const auto* found = std::find_if(KINDS.begin(), KINDS.end(),
                                     [unit](const PartKindInfo& k) { return k.unit == unit; });
    if (found == KINDS.end()) return std::nullopt;
    return static_cast<PartKind>(found - KINDS.begin());
}

std::string_view part_kind_letter(PartKind kind) { return part_kind_info(kind).letter; }

std::optional<PartKind> part_kind_named(std::string_view letter) {
    if (letter.size() != 1) return std::nullopt;
    const char upper =
        letter[0] >= 'a' && letter[0] <= 'z' ? static_cast<char>(letter[0] - 32) : letter[0];
    for (std::size_t k = 0; k < PART_KIND_COUNT; ++k) {
        if (KINDS[k].letter[0] == upper) return static_cast<PartKind>(k);
    }
    return std::nullopt;
}

double series_tolerance(Series series) {
    constexpr double TOLERANCES[] = {0.4, 0.2, 0.1, 0.05, 0.02, 0.01, 0.005};
    static_assert(std::size(TOLERANCES) == static_cast<std::size_t>(Series::e192) + 1);
    return TOLERANCES[static_cast<std::size_t>(series)];
}

PartWindow default_part_window(PartKind kind) {
    switch (kind) {
        case PartKind::resistance:
            return {1e2, 1e6};
        case PartKind::capacitance:
            return {1e-11, 1e-4};
        case PartKind::inductance:
            return {1e-6, 1e-1};
    }
    return {1e2, 1e6};
}

std::vector<double> values_within(Series series, PartWindow window) {
    std::vector<double> values;
    std::optional<StandardValues> at = standard_values(window.low, series);
    while (at && at->above <= window.high) {
        values.push_back(at->above);
        at = standard_values(std::nextafter(at->above, std::numeric_limits<double>::infinity()),
                             series);
    }
    return values;
}

JoiningFormulas joining_formulas(PartKind kind) noexcept {
    return {joining_formula(kind, Joining::in_series), joining_formula(kind, Joining::in_parallel)};
}

}  // namespace zorvane::host
