// The IEC 60063 series as data, and the standard values around any
// positive value.
#include "zorvane_host/series.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace zorvane::host {
namespace {

// ---- The tables, as IEC 60063 gives them: the mantissas of one decade ----

constexpr std::uint16_t E3[] = {10, 22, 47};
constexpr std::uint16_t E6[] = {10, 15, 22, 33, 47, 68};
constexpr std::uint16_t E12[] = {10, 12, 15, 18, 22, 27, 33, 39, 47, 56, 68, 82};
constexpr std::uint16_t E24[] = {10, 11, 12, 13, 15, 16, 18, 20, 22, 24, 27, 30,
                                 33, 36, 39, 43, 47, 51, 56, 62, 68, 75, 82, 91};
// clang-format off
constexpr std::uint16_t E192[] = {
    100, 101, 102, 104, 105, 106, 107, 109, 110, 111, 113, 114, 115, 117, 118, 120,
    121, 123, 124, 126, 127, 129, 130, 132, 133, 135, 137, 138, 140, 142, 143, 145,
    147, 149, 150, 152, 154, 156, 158, 160, 162, 164, 165, 167, 169, 172, 174, 176,
    178, 180, 182, 184, 187, 189, 191, 193, 196, 198, 200, 203, 205, 208, 210, 213,
    215, 218, 221, 223, 226, 229, 232, 234, 237, 240, 243, 246, 249, 252, 255, 258,
    261, 264, 267, 271, 274, 277, 280, 284, 287, 291, 294, 298, 301, 305, 309, 312,
    316, 320, 324, 328, 332, 336, 340, 344, 348, 352, 357, 361, 365, 370, 374, 379,
    383, 388, 392, 397, 402, 407, 412, 417, 422, 427, 432, 437, 442, 448, 453, 459,
    464, 470, 475, 481, 487, 493, 499, 505, 511, 517, 523, 530, 536, 542, 549, 556,
    562, 569, 576, 583, 590, 597, 604, 612, 619, 626, 634, 642, 649, 657, 665, 673,
    681, 690, 698, 706, 715, 723, 732, 741, 750, 759, 768, 777, 787, 796, 806, 816,
    825, 835, 845, 856, 866, 876, 887, 898, 909, 920, 931, 942, 953, 965, 976, 988,
};
// clang-format on

// E96 and E48 are every second and every fourth value of E192, as the
// standard lists them side by side.
template <std::size_t step>
consteval std::array<std::uint16_t, std::size(E192) / step> every() {
    std::array<std::uint16_t, std::size(E192) / step> values{};
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = E192[i * step];
    return values;
}
constexpr auto E96 = every<2>();
constexpr auto E48 = every<4>();

struct SeriesTable {
    std::string_view name;
    int digits;  // of each mantissa: 10..91 has two, 100..988 three
    std::span<const std::uint16_t> mantissas;
};

constexpr SeriesTable TABLES[] = {
    {"E3", 2, E3},   {"E6", 2, E6},   {"E12", 2, E12},   {"E24", 2, E24},
    {"E48", 3, E48}, {"E96", 3, E96}, {"E192", 3, E192},
};

consteval bool tables_are_sound() {
    for (const SeriesTable& table : TABLES) {
        const int first = table.digits == 2 ? 10 : 100;
        if (table.mantissas.front() != first) return false;
        for (std::size_t i = 1; i < table.mantissas.size(); ++i) {
            if (table.mantissas[i] <= table.mantissas[i - 1]) return false;
        }
        if (table.mantissas.back() >= first * 10) return false;
    }
    return true;
}
static_assert(tables_are_sound(), "each series starts its decade at 1 and rises within it");

static_assert(std::size(TABLES) == static_cast<std::size_t>(Series::e192) + 1,
              "one table per series, in the order of Series");

consteval auto names_of_tables() {
    std::array<std::string_view, std::size(TABLES)> names{};
    for (std::size_t i = 0; i < names.size(); ++i) names[i] = TABLES[i].name;
    return names;
}
constexpr auto SERIES_NAMES = names_of_tables();

const SeriesTable& table_of(Series series) { return TABLES[static_cast<int>(series)]; }

// ---- Values as the decimals they are ----

constexpr double POWERS_OF_TEN[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int EXACT_POWERS = static_cast<int>(std::size(POWERS_OF_TEN)) - 1;

// The double nearest mantissa * 10^exponent. Up to 10^22 every power of ten
// is a double, so one multiplication or division rounds once, correctly;
// beyond, strtod reads the decimal (digits and exponent only: no decimal
// point, so no locale enters).
double decimal(unsigned mantissa, int exponent) {
    const double m = mantissa;
    if (exponent >= 0 && exponent <= EXACT_POWERS) return m * POWERS_OF_TEN[exponent];
    if (exponent < 0 && -exponent <= EXACT_POWERS) return m / POWERS_OF_TEN[-exponent];
    char text[24];
    char* end = std::to_chars(text, text + sizeof text, mantissa).ptr;
    *end++ = 'e';
    end = std::to_chars(end, text + sizeof text - 1, exponent).ptr;
    *end = '\0';
    return std::strtod(text, nullptr);
}

// The series value of index `i` in the decade [10^decade, 10^(decade+1)).
double series_value(const SeriesTable& table, int decade, std::size_t i) {
    return decimal(table.mantissas[i], decade - table.digits + 1);
}

// Whether value / below <= above / value, that is value² <= below * above,
// exactly: scaled by a power of two (exact) so that no product leaves the
// normal range, each product is split into its rounded part and its exact
// error.
bool nearer_below(double value, double below, double above) {
    const int shift = -std::ilogb(value);
    value = std::ldexp(value, shift);
    below = std::ldexp(below, shift);
    above = std::ldexp(above, shift);
    const double square = value * value;
    const double product = below * above;
    if (square != product) return square < product;
    return std::fma(value, value, -square) <= std::fma(below, above, -product);
}

}  // namespace

std::optional<Series> series_named(std::string_view name) {
    for (std::size_t i = 0; i < std::size(TABLES); ++i) {
        const std::string_view table = TABLES[i].name;
        if (name.size() == table.size() && (name[0] == 'E' || name[0] == 'e') &&
            name.substr(1) == table.substr(1)) {
            return static_cast<Series>(i);
        }
    }
    return std::nullopt;
}

std::string_view series_name(Series series) { return table_of(series).name; }

std::span<const std::string_view> series_names() noexcept { return SERIES_NAMES; }

std::optional<StandardValues> standard_values(double value, Series series) {
    if (!(value >= DBL_MIN && value <= DBL_MAX)) return std::nullopt;
    const SeriesTable& table = table_of(series);
    // log10 finds the decade but for a value next to a power of ten; the
    // comparisons with the decade's exact ends settle it.
    int decade = static_cast<int>(std::floor(std::log10(value)));
    while (value < series_value(table, decade, 0)) --decade;
    while (value >= series_value(table, decade + 1, 0)) ++decade;

    // The first value of the decade above `value`: at least index 1.
    std::size_t from = 1;
    std::size_t to = table.mantissas.size();
    while (from < to) {
        const std::size_t mid = from + (to - from) / 2;
        if (series_value(table, decade, mid) > value) {
            to = mid;
        } else {
            from = mid + 1;
        }
    }
    const double below = series_value(table, decade, from - 1);
    if (below == value) return StandardValues{value, value, value};
    const double above = from < table.mantissas.size() ? series_value(table, decade, from)
                                                       : series_value(table, decade + 1, 0);
    if (!(above <= DBL_MAX)) return std::nullopt;
    return StandardValues{below, above, nearer_below(value, below, above) ? below : above};
}

}  // namespace zorvane::host
