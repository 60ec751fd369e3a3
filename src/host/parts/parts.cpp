// What the hosts know about parts, in one place: the questions, the designs
// and the options read it here.
#include "zorvane_host/parts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "units.h"

namespace zorvane::host {
namespace {

// In PartKind's order: the letter options name each kind by, and the unit
// its values are in.
constexpr std::array<std::string_view, PART_KIND_COUNT> KIND_LETTERS = {"R", "C", "L"};
constexpr std::array<std::string_view, PART_KIND_COUNT> KIND_UNITS = {OHM.utf8, FARAD.utf8,
                                                                      HENRY.utf8};

}  // namespace

std::optional<PartKind> part_kind(std::string_view unit) noexcept {
    const auto* found = std::find(KIND_UNITS.begin(), KIND_UNITS.end(), unit);
    if (found == KIND_UNITS.end()) return std::nullopt;
    return static_cast<PartKind>(found - KIND_UNITS.begin());
}

std::string_view part_kind_letter(PartKind kind) {
    return KIND_LETTERS[static_cast<std::size_t>(kind)];
}

std::optional<PartKind> part_kind_named(std::string_view letter) {
    if (letter.size() != 1) return std::nullopt;
    const char upper =
        letter[0] >= 'a' && letter[0] <= 'z' ? static_cast<char>(letter[0] - 32) : letter[0];
    for (std::size_t k = 0; k < PART_KIND_COUNT; ++k) {
        if (KIND_LETTERS[k][0] == upper) return static_cast<PartKind>(k);
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

}  // namespace zorvane::host
