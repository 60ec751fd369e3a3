// Worst-case ranges: the smallest and largest result over a box of values,
// each value within its tolerance, found by the core's own evaluations at the
// points where the extremes can lie.
//
// The points. Along each value's axis the box [lo, hi] is cut into pieces at
// zero: [lo, -tiny], {0}, [tiny, hi], where tiny is the smallest positive
// double (the pieces that the box reaches). If, for any fixed other values,
// a row's result is monotone in each value on each piece of its axis, then
// the max and min over the box are at a point whose every value is an end of
// a piece: from any point, move one value at a time to the end of its piece
// that does not lower (raise) the result; the other values stay where they
// are. So the grid of lo, hi and the zero points inside the box holds both
// extremes; with all tolerances below 100 % and no zero value that is just
// the corners. The points next to zero matter where zero is a pole: a
// divisor of 4.9e-324 gives the largest result the core can compute
// (infinity for all but the tiniest numerators), so a box that reaches a
// division by zero runs to infinity, and the guard's own 0 at zero is a
// result as well.
//
// Magnitudes (resistances, frequencies, lengths ...) keep to their domain,
// the box cut off at zero: a negative resistance would put the divider's
// r1 + r2 = 0 pole on a slanted line through the box, where no axis point
// marks it.
//
// Which rows are monotone in each value per piece, and why, by shape:
//
// multilinear: I*R, V*I, C*V, R*C, a+b, 2pi*f*L, sqrt(2)*V, vf*c, th*p + a.
//   With the other values fixed the result is linear in each value, so
//   monotone along the whole axis (products of signed values included: a
//   bilinear function has its extremes at the corners).
// quotient: x/y, 1/f, 1/(2pi*f*C), L/R, 1/(2pi*sqrt(L*C)), sqrt(L/C)/R,
//   vf*c/f, c/(2f), 1/(2pi*R*C), R/(2pi*L). With the others fixed the result
//   is k*x, k/x, k*sqrt(x) or k/sqrt(x): monotone on each side of zero. The
//   guards answer at a zero value only, a piece of its own.
// even_square: V*V/R, I*I*R, C*V*V/2, L*I*I/2. In the signed value an even
//   function, falling to 0 and rising again, the turn at zero; in the
//   magnitudes a product or quotient as above.
// product_over_sum: a*b/(a+b) with a, b >= 0 rises in each (its derivative
//   in a is b²/(a+b)²); the guard at a = 0 or b = 0 answers 0, which is also
//   its limit there. The divider total*r2/(r1+r2) with r1, r2 >= 0 is linear
//   in total, and its derivatives in r2 (total*r1/(r1+r2)²) and r1
//   (-total*r2/(r1+r2)²) keep one sign; its guard at r1 = r2 = 0 is a grid
//   point, and the slices through it are steps (0 to total), monotone too.
// hypotenuse: sqrt(X² + R²) rises with |X| and with R >= 0, and the
//   reactance X = 1/(2pi*f*C) or 2pi*f*L has one sign and is monotone in f, C
//   and L on each piece (guard at f = 0 or C = 0, where X is 0).
// logarithmic: log10 and 10^x rise, of a quotient monotone per piece as
//   above; a ratio <= 0 gives the guard's constant 0 (decibels) or
//   not-a-number (antenna gain), bounded by the axis's zero. The coax
//   impedance log10(D/d) * 138/sqrt(er) is monotone in D and d through its
//   first factor, and in er through the second, the first keeping its sign.
// resonance: the series RLC, sqrt(X² + R²) with X = 2pi*f*L - 1/(2pi*f*C).
//   X rises in f, L and C (derivatives 2pi*L + 1/(2pi*f²*C), 2pi*f and
//   1/(2pi*f*C²)), so |X| and the impedance fall and rise again as X crosses
//   zero, at a point that depends on all three values: no axis point marks
//   it. The max is still on the grid (|X| is largest at the box's lowest or
//   highest corner); for the min, when the corners' X have both signs, the
//   crossing is found on the walk from the lowest corner to the highest one
//   value at a time, by bisecting the doubles of the leg where X changes
//   sign, with the core's own reactances (the rounded operations are
//   monotone themselves, so the computed X is too). The impedance there, with
//   the resistance's smallest value, is the min: its resistance when X is
//   below the last place of R.
#include "worst_case.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>

#include "circuit_formulas.h"
#include "formula_table.h"
#include "ieee754.h"
#include "rendering.h"
#include "zorvane_host/range.h"

namespace zorvane::host {
namespace {

constexpr double NAN_VALUE = std::numeric_limits<double>::quiet_NaN();
constexpr double NEXT_TO_ZERO = std::numeric_limits<double>::denorm_min();

// The points of one value's axis: the box's ends and the zero points inside.
struct Axis {
    std::array<double, 5> points{};
    int count = 0;
    double low() const { return points[0]; }
    double high() const { return points[static_cast<std::size_t>(count - 1)]; }
};

Axis axis(double low, double high) {
    Axis result;
    result.points[0] = low;
    result.count = 1;
    for (const double zero : {-NEXT_TO_ZERO, 0.0, NEXT_TO_ZERO}) {
        if (low < zero && zero < high)
            result.points[static_cast<std::size_t>(result.count++)] = zero;
    }
    if (high != low) result.points[static_cast<std::size_t>(result.count++)] = high;
    return result;
}

class Extremes {
   public:
    void add(const Evaluation& evaluation) {
        ++evaluations_;
        guarded_ = guarded_ || evaluation.guarded;
        if (std::isnan(evaluation.value)) {
            nan_ = true;
        } else {
            min_ = std::fmin(min_, evaluation.value);
            max_ = std::fmax(max_, evaluation.value);
        }
    }
    void count(int evaluations) { evaluations_ += evaluations; }
    Range range() const {
        if (nan_) return Range{NAN_VALUE, NAN_VALUE, guarded_, evaluations_};
        return Range{min_, max_, guarded_, evaluations_};
    }

   private:
    double min_ = std::numeric_limits<double>::infinity();
    double max_ = -std::numeric_limits<double>::infinity();
    bool guarded_ = false;
    bool nan_ = false;
    int evaluations_ = 0;
};

using Axes = std::array<Axis, MAX_VALUES>;

// Every point of the grid, evaluated.
void add_grid(const Formula& row, const Axes& axes, Values point, Extremes& extremes) {
    const auto count = static_cast<std::size_t>(row.required_count);
    std::array<int, MAX_VALUES> at{};
    while (true) {
        for (std::size_t i = 0; i < count; ++i) {
            point[i] = axes[i].points[static_cast<std::size_t>(at[i])];
        }
        extremes.add(row.evaluate(point));
        std::size_t i = 0;
        while (i < count && ++at[i] == axes[i].count) at[i++] = 0;
        if (i == count) return;
    }
}

// The series RLC's zero reactance inside the box (see above): where its row
// holds the resistance, frequency, inductance and capacitance.
// (Read through a structured binding, which cppcheck does not follow.)
struct RlcPlaces {
    std::size_t r;  // cppcheck-suppress unusedStructMember
    std::size_t f;  // cppcheck-suppress unusedStructMember
    std::size_t l;  // cppcheck-suppress unusedStructMember
    std::size_t c;  // cppcheck-suppress unusedStructMember
};

// The place of the first argument of `row` in `unit` (the row has one of each).
std::size_t place_of(const Formula& row, const Unit& unit) {
    const std::span<const Argument> arguments = row.argument_list();
    const auto found = std::find_if(arguments.begin(), arguments.end(), [&unit](const Argument& a) {
        return a.unit.utf8 == unit.utf8;
    });
    return static_cast<std::size_t>(found - arguments.begin());
}

RlcPlaces rlc_places(const Formula& row) {
    return {place_of(row, OHM), place_of(row, HERTZ), place_of(row, HENRY), place_of(row, FARAD)};
}

class Reactance {
   public:
    int evaluations() const { return evaluations_; }

    // X at (f, L, C), with the evaluators the series RLC combines, xl - xc.
    double operator()(const std::array<double, 3>& flc) {
        evaluations_ += 2;
        const double xl = inductive_reactance(flc[0], flc[1]).value;
        return xl - capacitive_reactance(flc[0], flc[2]).value;
    }

   private:
    int evaluations_ = 0;
};

void add_resonance(const Formula& row, const Axes& axes, Values point, Extremes& extremes) {
    const auto [R, F, L, C] = rlc_places(row);
    // A resonance row names each of the four, or the search has nothing to walk.
    if (std::max({R, F, L, C}) >= static_cast<std::size_t>(row.required_count)) return;
    Reactance reactance;
    // Where the reactance is continuous and rising: f and C above zero.
    const std::array<double, 3> lowest{std::fmax(axes[F].low(), NEXT_TO_ZERO), axes[L].low(),
                                       std::fmax(axes[C].low(), NEXT_TO_ZERO)};
    const std::array<double, 3> highest{axes[F].high(), axes[L].high(), axes[C].high()};
    if (lowest[0] > highest[0] || lowest[2] > highest[2]) return;
    // One sign all over: the corner nearest zero is a grid point.
    if (reactance(lowest) >= 0.0 || reactance(highest) <= 0.0) {
        extremes.count(reactance.evaluations());
        return;
    }
    std::array<double, 3> walk = lowest;
    for (std::size_t leg = 0; leg < 3; ++leg) {
        std::array<double, 3> next = walk;
        next[leg] = highest[leg];
        if (reactance(next) < 0.0) {
            walk = next;
            continue;
        }
        // X < 0 at `below`, X >= 0 at `above`: the bit patterns of doubles
        // >= +0 rise with their values, so they bisect as integers.
        auto below = ieee754::bits_of(walk[leg]);
        auto above = ieee754::bits_of(highest[leg]);
        while (above - below > 1) {
            const std::uint64_t middle = below + (above - below) / 2;
            next[leg] = ieee754::double_from_bits(middle);
            (reactance(next) < 0.0 ? below : above) = middle;
        }
        extremes.count(reactance.evaluations());
        for (const std::uint64_t bits : {below, above}) {
            next[leg] = ieee754::double_from_bits(bits);
            point[F] = next[0];
            point[L] = next[1];
            point[C] = next[2];
            for (int r = 0; r < axes[R].count; ++r) {
                point[R] = axes[R].points[static_cast<std::size_t>(r)];
                extremes.add(row.evaluate(point));
            }
        }
        return;
    }
}

}  // namespace

std::optional<Shape> shape_of(const Formula& row) noexcept { return row.shape; }

ToleranceEnds tolerance_ends(double value, double tolerance) noexcept {
    const double one_end = value * (1.0 - tolerance);
    const double other_end = value * (1.0 + tolerance);
    return {std::fmin(one_end, other_end), std::fmax(one_end, other_end)};
}

Range worst_case_range(const FormulaInfo& formula, const std::array<double, 4>& values,
                       const std::array<double, 4>& tolerances) {
    const Formula* found = row_of(formula);
    if (found == nullptr) return {NAN_VALUE, NAN_VALUE, false, 0};
    return worst_case_range_of_row(*found, values, tolerances);
}

Range worst_case_range_of_row(const Formula& row, const std::array<double, 4>& values,
                              const std::array<double, 4>& tolerances) {
    const Range none{NAN_VALUE, NAN_VALUE, false, 0};
    Axes axes{};
    for (std::size_t i = 0; i < static_cast<std::size_t>(row.required_count); ++i) {
        auto [low, high] = tolerance_ends(values[i], tolerances[i]);
        if (!std::isfinite(low) || !std::isfinite(high)) return none;
        if (row.arguments[i].domain == Domain::magnitude) {
            if (high < 0.0) return none;
            // (+0, never -0: the resonance search bisects bit patterns.)
            if (!(low > 0.0)) low = 0.0;
            if (!(high > 0.0)) high = 0.0;
        }
        axes[i] = axis(low, high);
    }
    Extremes extremes;
    add_grid(row, axes, values, extremes);
    if (shape_of(row) == Shape::resonance) add_resonance(row, axes, values, extremes);
    return extremes.range();
}

}  // namespace zorvane::host
