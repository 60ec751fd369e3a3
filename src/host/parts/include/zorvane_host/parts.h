// What the hosts know about parts, in one place: the kinds of standard part
// with their letters, units and names, the tolerance a series comes in, the
// values a search takes when none are given, every standard value within a
// window, the rows that join two parts, and the limits of a question about
// parts.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zorvane_host/formulas.h"
#include "zorvane_host/series.h"

namespace zorvane::host {

// The kinds of standard parts, as per-kind options name them: R, C, L.
enum class PartKind { resistance, capacitance, inductance };
inline constexpr std::size_t PART_KIND_COUNT = 3;

// A kind of part as the hosts write it.
struct PartKindInfo {
    std::string_view letter;    // "R": how options name the kind (R=E96)
    std::string_view unit;      // "Ω", UTF-8: the unit its values are in
    std::string_view singular;  // "resistor"
    std::string_view plural;    // "resistors"
};
const PartKindInfo& part_kind_info(PartKind kind) noexcept;

// The kind of part whose values are in `unit` ("Ω", "F", "H"), or nothing.
std::optional<PartKind> part_kind(std::string_view unit) noexcept;

// The kinds of part as options name them: "R", "C", "L"; and back (either
// case); nothing for another text.
std::string_view part_kind_letter(PartKind kind);
std::optional<PartKind> part_kind_named(std::string_view letter);

// The tolerance IEC 60063 pairs with a series, relative: E6 0.2, E12 0.1, E24
// 0.05, E48 0.02, E96 0.01, E192 0.005. The standard publishes none for E3;
// 0.4 is taken, the tolerance at which neighbouring E3 values' bands meet
// (about 37 %), rounded up as the other series' are (E6's bands meet at 19 %,
// E12's at 9.6 %).
double series_tolerance(Series series);

// The values a search takes when none are given: 100 Ω–1 MΩ, 10 pF–100 µF,
// 1 µH–100 mH.
struct PartWindow {
    double low;
    double high;
};
PartWindow default_part_window(PartKind kind);

// Every standard value of `series` within `window`, rising, both ends
// included: the doubles nearest the decimals the standard gives.
std::vector<double> values_within(Series series, PartWindow window);

// The formulas that give the value of two parts of `kind` in series and in
// parallel (resistors_series and resistors_parallel ...), as the table's
// rows say; never null.
struct JoiningFormulas {
    const FormulaInfo* in_series;
    const FormulaInfo* in_parallel;
};
JoiningFormulas joining_formulas(PartKind kind) noexcept;

// A percentage as typed ("1" of "1%") and read (1.0).
struct Percent {
    std::string text;
    double value = 0.0;
    double fraction() const noexcept { return value / 100.0; }  // 0.01 of 1 %
    bool operator==(const Percent&) const = default;
};

// An option's argument, for every kind of part alike or per kind.
template <typename T>
struct PerKind {
    std::optional<T> every;                               // --series E24
    std::array<std::optional<T>, PART_KIND_COUNT> kinds;  // --series R=E96,C=E12
    // What holds for `kind`: its own, else what holds for every kind; null for none.
    const T* of(PartKind kind) const noexcept {
        const std::optional<T>& own = kinds[static_cast<std::size_t>(kind)];
        return own ? &*own : every ? &*every : nullptr;
    }
    bool given() const noexcept {
        return every.has_value() ||
               std::any_of(kinds.begin(), kinds.end(), [](const auto& k) { return k.has_value(); });
    }
    bool operator==(const PerKind&) const = default;
};

// The limits of a question about parts: the candidates a design lists, the
// samples a Monte Carlo run draws.
inline constexpr int DEFAULT_TOP = 5;
inline constexpr int MAX_TOP = 1000;
inline constexpr std::uint64_t DEFAULT_SAMPLES = 100'000;  // --mc without N
inline constexpr std::uint64_t MAX_SAMPLES = 100'000'000;  // a few seconds of one core

}  // namespace zorvane::host
