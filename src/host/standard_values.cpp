// The IEC 60063 series as data, the standard values around any positive
// value, and the pair of standard parts that comes nearest a target.
#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <span>
#include <vector>

#include "formula_table.h"
#include "rendering.h"
#include "worst_case.h"
#include "zorvane_host/host.h"

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

// ---- Pairs ----

// The search window of a unit, as decades: [10^low, 10^high].
struct Window {
    int low;
    int high;
};

std::optional<Window> window_of(const Argument& argument) {
    const std::string_view unit = argument.unit.utf8;
    if (unit == OHM.utf8) return Window{2, 6};       // 100 Ω .. 1 MΩ
    if (unit == FARAD.utf8) return Window{-11, -4};  // 10 pF .. 100 µF
    if (unit == HENRY.utf8) return Window{-6, -1};   // 1 µH .. 100 mH
    return std::nullopt;
}

// Every series value of the window, rising, both ends included.
std::vector<double> window_values(const SeriesTable& table, Window window) {
    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(window.high - window.low) * table.mantissas.size() + 1);
    for (int decade = window.low; decade < window.high; ++decade) {
        for (std::size_t i = 0; i < table.mantissas.size(); ++i) {
            values.push_back(series_value(table, decade, i));
        }
    }
    values.push_back(series_value(table, window.high, 0));
    return values;
}

// Misses closer than this fraction of the results' scale are one miss: the
// ratio that recurs from decade to decade gives results a few units in the
// last place apart when the values are not integers (4.7e-9 is not 47e-10
// times 0.1 exactly). The scale is the target's, or the best miss's where
// that is larger (a target of 0, or one far below what the pair reaches),
// so that it is that of the results themselves.
constexpr double SAME_MISS = 1e-12;

struct Candidate {
    double miss;    // |result - target|
    double result;  // cppcheck-suppress unusedStructMember ; read through the optional best
    int first;      // indices into the window's values
    int second;
};

// Of candidates that tie, the pair whose geometric mean lies nearest the
// middle of the window, counted in series steps (so exactly, in integers):
// values far down the window draw large currents, and a source's own
// resistance, a switch's or a trace's starts to count; values far up it are
// noisier and let leakage, input currents and stray capacitance move the
// result; the middle decades are also the ones kept in stock. Then the
// smaller values (less noise), then the smaller first value. A total order,
// so that the answer never depends on the order of the search.
bool preferred(const Candidate& a, const Candidate& b, int middle_twice) {
    const int a_sum = a.first + a.second;
    const int b_sum = b.first + b.second;
    const int a_distance = std::abs(a_sum - middle_twice);
    const int b_distance = std::abs(b_sum - middle_twice);
    if (a_distance != b_distance) return a_distance < b_distance;
    if (a_sum != b_sum) return a_sum < b_sum;
    return a.first < b.first;
}

// The candidates within a tie of the best miss seen: the best miss only
// falls, and the tie's width with it, so one dropped never returns.
class NearestCandidates {
   public:
    explicit NearestCandidates(double target) : target_(std::abs(target)) {}

    void add(const Candidate& candidate) {
        if (candidate.miss > bound_) return;
        if (candidate.miss < best_miss_) {
            best_miss_ = candidate.miss;
            bound_ = best_miss_ + SAME_MISS * std::max(target_, best_miss_);
            // Pruned when the list has doubled, so each candidate is looked
            // at a bounded number of times.
            if (near_.size() >= 2 * kept_) prune();
        }
        near_.push_back(candidate);
    }

    std::optional<Candidate> best(int middle_twice) {
        prune();
        if (near_.empty()) return std::nullopt;
        return *std::min_element(near_.begin(), near_.end(),
                                 [middle_twice](const Candidate& a, const Candidate& b) {
                                     return preferred(a, b, middle_twice);
                                 });
    }

   private:
    void prune() {
        const double limit = bound_;
        std::erase_if(near_, [limit](const Candidate& c) { return c.miss > limit; });
        kept_ = std::max<std::size_t>(near_.size(), 16);
    }

    double target_;
    double best_miss_ = std::numeric_limits<double>::infinity();
    double bound_ = std::numeric_limits<double>::infinity();  // the tie's reach from the best
    std::vector<Candidate> near_;
    std::size_t kept_ = 16;
};

class PairSearch {
   public:
    PairSearch(const Formula& row, const std::array<double, 4>& values, int first, int second,
               double target, std::vector<double> window)
        : row_(row),
          values_(values),
          first_(static_cast<std::size_t>(first)),
          second_(static_cast<std::size_t>(second)),
          target_(target),
          window_(std::move(window)),
          near_(target) {}

    // Every first value with the second values around the target's crossing
    // when the row is monotone in the second value, with all of them otherwise.
    std::optional<StandardPair> run(bool monotone) {
        const int count = static_cast<int>(window_.size());
        for (int i = 0; i < count; ++i) {
            if (!monotone || !around_crossing(i)) {
                for (int j = 0; j < count; ++j) consider(i, j, at(i, j));
            }
        }
        const std::optional<Candidate> best = near_.best(static_cast<int>(window_.size()) - 1);
        if (!best) return std::nullopt;
        return StandardPair{window_[static_cast<std::size_t>(best->first)],
                            window_[static_cast<std::size_t>(best->second)], best->result,
                            evaluations_};
    }

   private:
    Evaluation at(int i, int j) {
        values_[first_] = window_[static_cast<std::size_t>(i)];
        values_[second_] = window_[static_cast<std::size_t>(j)];
        ++evaluations_;
        return row_.evaluate(values_);
    }

    void consider(int i, int j, const Evaluation& evaluation) {
        if (evaluation.guarded || !std::isfinite(evaluation.value)) return;
        near_.add({std::abs(evaluation.value - target_), evaluation.value, i, j});
    }

    // Binary search over the second values for the first one whose result
    // reaches the target, then the neighbours on both sides (two each, for
    // results an ulp out of order). False when the ends give no finite
    // direction to search in.
    bool around_crossing(int i) {
        const int last = static_cast<int>(window_.size()) - 1;
        const Evaluation low = at(i, 0);
        const Evaluation high = at(i, last);
        if (low.guarded || high.guarded || !std::isfinite(low.value) ||
            !std::isfinite(high.value)) {
            return false;
        }
        const bool rising = high.value >= low.value;
        int from = 0;
        int to = last + 1;
        while (from < to) {
            const int mid = from + (to - from) / 2;
            const double value = at(i, mid).value;
            if (rising ? value >= target_ : value <= target_) {
                to = mid;
            } else {
                from = mid + 1;
            }
        }
        for (int j = std::max(0, from - 2); j <= std::min(last, from + 1); ++j) {
            consider(i, j, at(i, j));
        }
        return true;
    }

    const Formula& row_;
    std::array<double, 4> values_;
    std::size_t first_;
    std::size_t second_;
    double target_;
    std::vector<double> window_;
    NearestCandidates near_;
    int evaluations_ = 0;
};

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

std::optional<StandardPair> best_standard_pair(const FormulaInfo& formula,
                                               const std::array<double, 4>& values, int first,
                                               int second, double target, Series series) {
    const Formula* found = row_of(formula);
    if (found == nullptr) return std::nullopt;
    return best_standard_pair_of_row(*found, values, first, second, target, series);
}

std::optional<StandardPair> best_standard_pair_of_row(const Formula& row,
                                                      const std::array<double, 4>& values,
                                                      int first, int second, double target,
                                                      Series series) {
    const int count = row.required_count;
    if (first < 0 || second < 0 || first >= count || second >= count || first == second ||
        !std::isfinite(target)) {
        return std::nullopt;
    }
    const Argument& a = row.arguments[static_cast<std::size_t>(first)];
    const Argument& b = row.arguments[static_cast<std::size_t>(second)];
    const std::optional<Window> window = window_of(a);
    if (!window || a.unit.utf8 != b.unit.utf8) return std::nullopt;
    // The window holds positive values only, where every shape but resonance
    // is monotone in each value; anything else is searched pair by pair.
    const std::optional<Shape> shape = shape_of(row);
    const bool monotone = shape && monotone_in_each_value(*shape);
    PairSearch search(row, values, first, second, target, window_values(table_of(series), *window));
    return search.run(monotone);
}

}  // namespace zorvane::host
