// What the hosts know about parts: the kinds of standard part, their letters
// and units, the tolerance a series comes in, the values a search takes when
// none are given and every standard value within a window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "zorvane_host/series.h"

namespace zorvane::host {

// The kinds of standard parts, as per-kind options name them: R, C, L.
enum class PartKind { resistance, capacitance, inductance };
inline constexpr std::size_t PART_KIND_COUNT = 3;

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

// The limits of a question about parts: the candidates a design lists, the
// samples a Monte Carlo run draws.
inline constexpr int MAX_TOP = 1000;
inline constexpr std::uint64_t DEFAULT_SAMPLES = 100'000;  // --mc without N
inline constexpr std::uint64_t MAX_SAMPLES = 100'000'000;  // a few seconds of one core

// Every standard value of `series` within `window`, rising, both ends
// included: the doubles nearest the decimals the standard gives.
std::vector<double> values_within(Series series, PartWindow window);

}  // namespace zorvane::host
