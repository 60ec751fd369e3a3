// Solving a formula for one of its values. The argument's domain is scanned
// on a grid a power of ten apart (both signs and zero for a signed quantity),
// and the results between two grid points are taken to move one way, except
// where they turn back towards the target without reaching it on the grid
// (two roots in one step: a series RLC near resonance). There Brent's
// minimiser finds the turning point, which joins the grid.
//
// The walk along the points then meets three things: a change of sign of
// f(x) - target, which TOMS 748 narrows down to two adjacent doubles; a run
// of doubles that all give the target, whose first and last doubles TOMS 748
// narrows to the same way (the end of a run is where the results leave the
// target); and the last place where a run stops, from which the walk goes on
// towards the next grid point. A run a few doubles wide is the rounding of a
// slope and answers one value, the shortest text of its doubles; a wide one
// is a stretch the other values decide. Where a result nearly flat in the
// value rounds back and forth around the target (a product over a sum), the
// hits and misses between the two narrowings are a band: its shortest text
// that gives the target answers, and roots and stretches with only near
// misses between them become one stretch that says not every value gives it.
//
// The search evaluates the row's arithmetic directly; every root and every
// end of a stretch it keeps is confirmed through the module's own command
// path, so the value printed is one the module's line agrees with.
#include "roots.h"

#include <algorithm>
#include <array>
#include <boost/math/tools/minima.hpp>
#include <boost/math/tools/toms748_solve.hpp>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <string>

#include "command.h"
#include "exact_decimal.h"
#include "ieee754.h"
#include "number_format.h"
#include "number_text.h"

namespace zorvane::host {
namespace {

namespace policies = boost::math::policies;
// Errors are answered by the search itself, never thrown.
using Quiet = policies::policy<policies::domain_error<policies::ignore_error>,
                               policies::pole_error<policies::ignore_error>,
                               policies::overflow_error<policies::ignore_error>,
                               policies::evaluation_error<policies::ignore_error>>;

constexpr double INF = std::numeric_limits<double>::infinity();
constexpr double LARGEST = std::numeric_limits<double>::max();
constexpr double NAN_VALUE = std::numeric_limits<double>::quiet_NaN();
// Decimals of one length looked at in a band of hits and misses.
constexpr int DECIMALS_TRIED = 4;
constexpr std::uint64_t BAND_MARGIN = 64;
// Enough for TOMS 748 to reach adjacent doubles from any grid step, on a
// step function too, where it halves the bracket each round; a bound, not a
// target.
constexpr std::uintmax_t REFINE_STEPS = 400;
// Brent's minimiser locates a turning point to half the bits of a double in
// its own coordinate; each further pass looks again, 2^12 times closer, until
// the turn either reaches the target or rises no lower.
constexpr int TURNING_BITS = std::numeric_limits<double>::digits / 2;
constexpr std::uintmax_t TURNING_STEPS = 100;
constexpr int TURNING_PASSES = 4;
constexpr double TURNING_WINDOW = 0x1p-12;
// Doubles looked at inside a stretch before it is said to hold every value.
constexpr int STRETCH_PROBES = 16;

// The positive grid: the smallest subnormal, every power of ten a double
// holds, the largest double.
const std::vector<double>& magnitude_grid() {
    static const std::vector<double> grid = [] {
        std::vector<double> points{std::numeric_limits<double>::denorm_min()};
        for (int exponent = std::numeric_limits<double>::min_exponent10 - 16;
             exponent <= std::numeric_limits<double>::max_exponent10; ++exponent) {
            const double power = std::pow(10.0, exponent);
            if (power > points.back()) points.push_back(power);
        }
        points.push_back(LARGEST);
        return points;
    }();
    return grid;
}

bool opposite(double a, double b) { return a != 0.0 && b != 0.0 && (a < 0.0) != (b < 0.0); }

bool adjacent(double low, double high) { return std::nextafter(low, high) == high; }

class Search {
   public:
    Search(const Formula& row, const Values& values, int argument, double target)
        : row_(row),
          values_(values),
          argument_(static_cast<std::size_t>(argument)),
          target_(target),
          scale_(std::max(std::abs(target), 1.0)),
          signed_(row.arguments[argument_].domain == Domain::signed_quantity) {}

    RootSearch run() {
        scan();
        add_turning_points();
        walk();
        std::sort(result_.roots.begin(), result_.roots.end());
        result_.roots.erase(std::unique(result_.roots.begin(), result_.roots.end()),
                            result_.roots.end());
        join_bands();
        if (result_.roots.empty() && result_.stretches.empty()) reach_overflow_edges();
        return result_;
    }

   private:
    struct Point {
        double x = 0.0;
        double g = 0.0;      // f(x) - target
        bool valid = false;  // neither guarded nor NaN
        bool hits() const { return valid && g == 0.0; }
    };

    // Roots and stretches with nothing but near misses between them (every
    // point looked at there within a few units in the last place of the
    // target) are one band where the result rounds back and forth around
    // the target: one stretch, not every value of which gives it.
    void join_bands() {
        if (result_.roots.size() + result_.stretches.size() < 2) return;
        std::vector<RootSearch::Stretch> items;
        items.reserve(result_.roots.size() + result_.stretches.size());
        // cppcheck-suppress useStlAlgorithm ; a loop says it plainer than a transform
        for (const double root : result_.roots) items.push_back({root, root, false, false, true});
        items.insert(items.end(), result_.stretches.begin(), result_.stretches.end());
        std::sort(items.begin(), items.end(),
                  [](const RootSearch::Stretch& a, const RootSearch::Stretch& b) {
                      return a.from < b.from;
                  });
        const double near_miss = 4 * (std::nextafter(std::abs(target_), INF) - std::abs(target_));
        const auto by_x = [](const Point& p, double x) { return p.x < x; };
        // Chains of items, each a run of `items`: [first, end).
        std::vector<std::pair<std::size_t, std::size_t>> chains;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (!chains.empty()) {
                const RootSearch::Stretch& last = items[i - 1];
                const RootSearch::Stretch& item = items[i];
                const bool same_side =
                    (last.to > 0.0) == (item.from > 0.0) && last.to != 0.0 && item.from != 0.0;
                auto p = std::lower_bound(points_.begin(), points_.end(), last.to, by_x);
                bool misses_only = same_side;
                for (; misses_only && p != points_.end() && p->x < item.from; ++p) {
                    misses_only = p->x <= last.to || (p->valid && std::abs(p->g) <= near_miss);
                }
                if (misses_only) {
                    chains.back().second = i + 1;
                    continue;
                }
            }
            chains.emplace_back(i, i + 1);
        }
        result_.roots.clear();
        result_.stretches.clear();
        for (const auto& [first, end] : chains) {
            const bool has_stretch = std::any_of(items.begin() + static_cast<std::ptrdiff_t>(first),
                                                 items.begin() + static_cast<std::ptrdiff_t>(end),
                                                 [](const RootSearch::Stretch& item) {
                                                     return item.from != item.to ||
                                                            item.from_domain_end ||
                                                            item.to_domain_end || !item.every;
                                                 });
            // Two roots with a near miss between them are two roots (a turn
            // that dips a unit below the target between them).
            if (!has_stretch && end - first <= 2) {
                for (std::size_t i = first; i < end; ++i) result_.roots.push_back(items[i].from);
                continue;
            }
            RootSearch::Stretch stretch = items[first];
            if (end - first > 1) {
                stretch.to = items[end - 1].to;
                stretch.to_domain_end = items[end - 1].to_domain_end;
                stretch.every = false;
            }
            result_.stretches.push_back(stretch);
        }
        result_.flat_everywhere = result_.roots.empty() && result_.stretches.size() == 1 &&
                                  result_.stretches[0].from_domain_end &&
                                  result_.stretches[0].to_domain_end && result_.stretches[0].every;
    }

    Evaluation evaluate(double x) {
        values_[argument_] = x;
        ++result_.evaluations;
        return row_.evaluate(values_);
    }

    Point point(double x) {
        const Evaluation e = evaluate(x);
        const bool valid = !e.guarded && !std::isnan(e.value);
        // What the formula reaches: finite results, not the infinities its
        // arithmetic overflows to at the ends of the domain.
        if (valid && std::isfinite(e.value)) {
            result_.lowest = std::min(result_.lowest, e.value);
            result_.highest = std::max(result_.highest, e.value);
        }
        return {x, e.value - target_, valid};
    }

    // Where the results overflow between two grid points, the grid's last
    // finite result is no bound of what the formula reaches (10^(db/10) is
    // 1e100 at 1000 dB and overflows at 10000): bisect the doubles between
    // them for the last finite one, so that the reach a hint states is true.
    void reach_overflow_edges() {
        const std::size_t grid_points = points_.size();
        for (std::size_t i = 0; i + 1 < grid_points; ++i) {
            const Point a = points_[i];
            const Point b = points_[i + 1];
            if (!(a.valid && b.valid) || std::isfinite(a.g) == std::isfinite(b.g)) continue;
            if (!((a.x > 0.0 && b.x > 0.0) || (a.x < 0.0 && b.x < 0.0))) continue;
            double finite = std::isfinite(a.g) ? a.x : b.x;
            double overflowed = std::isfinite(a.g) ? b.x : a.x;
            for (;;) {
                const double middle = bit_midpoint(finite, overflowed);
                if (middle == finite || middle == overflowed) break;
                const Point p = point(middle);  // keeps a finite result in the reach
                (p.valid && std::isfinite(p.g) ? finite : overflowed) = middle;
            }
        }
    }

    // The double halfway between two of one sign, by their bit patterns:
    // bisection by it ends in at most 64 steps at adjacent doubles.
    static double bit_midpoint(double a, double b) {
        const auto low = ieee754::bits_of(std::abs(a));
        const auto high = ieee754::bits_of(std::abs(b));
        const std::uint64_t middle =
            std::min(low, high) + (std::max(low, high) - std::min(low, high)) / 2;
        return std::copysign(ieee754::double_from_bits(middle), a);
    }

    void scan() {
        const std::vector<double>& grid = magnitude_grid();
        points_.reserve(grid.size() * 2 + 8);
        if (signed_) {
            for (auto x = grid.rbegin(); x != grid.rend(); ++x) points_.push_back(point(-*x));
            points_.push_back(point(0.0));
        }
        std::transform(grid.begin(), grid.end(), std::back_inserter(points_),
                       [this](double x) { return point(x); });
    }

    // Three grid points on one side of the target, the middle one nearest
    // it: the results turn back between the outer two, and may reach or
    // cross the target there. The turn joins the points, so the walk finds
    // the crossings on either side of it, or the run it lies in.
    void add_turning_points() {
        std::vector<Point> turns;
        for (std::size_t i = 1; i + 1 < points_.size(); ++i) {
            // Most points are no nearer the target than both neighbours.
            const double m = std::abs(points_[i].g);
            if (!(m < std::abs(points_[i - 1].g) && m < std::abs(points_[i + 1].g))) continue;
            look_for_turn(points_[i - 1], points_[i], points_[i + 1], turns);
        }
        if (turns.empty()) return;
        const std::size_t grid_end = points_.size();
        points_.insert(points_.end(), turns.begin(), turns.end());
        const auto by_x = [](const Point& a, const Point& b) { return a.x < b.x; };
        std::inplace_merge(points_.begin(), points_.begin() + static_cast<std::ptrdiff_t>(grid_end),
                           points_.end(), by_x);
    }

    void look_for_turn(const Point& left, const Point& middle, const Point& right,
                       std::vector<Point>& turns) {
        if (!(left.valid && middle.valid && right.valid)) return;
        if (middle.g == 0.0 || left.g == 0.0 || right.g == 0.0) return;
        if (opposite(left.g, middle.g) || opposite(middle.g, right.g)) return;
        const double side = middle.g < 0.0 ? -1.0 : 1.0;  // of the target
        const double l = side * left.g;
        const double m = side * middle.g;
        const double r = side * right.g;
        // A turn, not the last bits of rounding along a plateau.
        const double noise = 1e-12 * std::max(l, r);
        if (!(m < l - noise && m < r - noise)) return;
        // In the logarithm of the magnitude, on one side of zero.
        if (left.x <= 0.0 && right.x >= 0.0) return;
        const double sign = right.x > 0.0 ? 1.0 : -1.0;
        const double low = std::min(std::abs(left.x), std::abs(right.x));
        const double high = std::max(std::abs(left.x), std::abs(right.x));
        const auto distance = [&](double magnitude) {
            const Point p = point(sign * magnitude);
            return p.valid ? side * p.g : INF;
        };
        std::uintmax_t steps = TURNING_STEPS;
        const std::pair<double, double> first = boost::math::tools::brent_find_minima(
            [&](double u) { return distance(std::exp(u)); }, std::log(low), std::log(high),
            TURNING_BITS, steps);
        double at = std::clamp(std::exp(first.first), low, high);
        double lowest = distance(at);
        // Where the lowest result equals the target, the run that gives it
        // may be narrower than the first pass's precision: look again, closer,
        // while what is left is small beside the turn's depth (a target the
        // turn stays well clear of needs no second look).
        const double depth = std::min(l, r) - m;
        double window = TURNING_WINDOW;
        for (int pass = 1; pass < TURNING_PASSES && lowest > 0.0 &&
                           lowest < depth * TURNING_WINDOW * TURNING_WINDOW;
             ++pass) {
            const double centre = at;
            const double reach = centre * window;
            steps = TURNING_STEPS;
            const std::pair<double, double> closer = boost::math::tools::brent_find_minima(
                [&](double s) { return distance(std::clamp(centre + s * reach, low, high)); }, -1.0,
                1.0, TURNING_BITS, steps);
            const double candidate = std::clamp(centre + closer.first * reach, low, high);
            const double value = distance(candidate);
            if (!(value < lowest)) break;
            at = candidate;
            lowest = value;
            window *= TURNING_WINDOW;
        }
        if (lowest == INF || at <= low || at >= high) return;
        if (lowest <= 0.0) turns.push_back(point(sign * at));
    }

    // The walk along the points in increasing order.
    void walk() {
        Point current = points_.front();
        if (current.hits()) start_run(current.x, true);
        for (std::size_t j = 1; j < points_.size(); ++j) {
            const Point& next = points_[j];
            // Most steps neither reach, nor cross, nor leave the target.
            if (in_run_ || next.hits() ||
                (current.valid && next.valid && opposite(current.g, next.g))) {
                if (next.x != current.x) step(current, next);
            }
            current = next;
        }
        if (in_run_) close_run(current.x, true);
    }

    // From `current` to `next`, the results taken to move one way between
    // them (the turns are points themselves): past the end of a run they
    // stay on next's side, and where they round back and forth around the
    // target instead (a product over a sum whose sum has stopped moving), the
    // first run from either end stands for the rest.
    void step(const Point& current, const Point& next) {
        if (in_run_) {
            if (next.hits()) return;
            close_run(run_end(current.x, next.x).first, false);
            return;
        }
        if (!next.hits() && !(current.valid && next.valid && opposite(current.g, next.g))) return;
        if (!current.valid) {
            // From a guard or NaN to a run: the run's first double.
            start_run(run_end(next.x, current.x).first, false);
            return;
        }
        const std::pair<double, double> crossing = narrow_crossing(current, next);
        const Point after = point(crossing.second);
        if (!next.hits()) {
            // Where the results leave current's side and where they reach
            // next's: one double apart where the results step over the
            // target, a run of hits where they keep to one way, and a band of
            // hits and misses where they round back and forth (a product over
            // a sum nearly flat in the value).
            // (From next back towards current: the order is the search's.)
            // NOLINTNEXTLINE(readability-suspicious-call-argument)
            const double before_next = narrow_crossing(next, current).second;
            const bool upward = next.x > current.x;
            // A narrowing finds one place where the results change sides,
            // not always the first: the band is looked at widened by its own
            // width and a few dozen doubles either way, within the step.
            const double first = upward ? after.x : before_next;
            const double last = upward ? before_next : after.x;
            const bool band = first <= last;  // (else the results step over the target)
            const std::uint64_t width = doubles_between(first, last) + BAND_MARGIN;
            const double low = doubles_towards(first, upward ? current.x : next.x, width);
            const double high = doubles_towards(last, upward ? next.x : current.x, width);
            if (band && (high <= 0.0 || low >= 0.0) &&
                std::max(std::abs(low), std::abs(high)) <
                    2 * std::min(std::abs(low), std::abs(high))) {
                const double chosen = shortest_hit(low, high);
                if (!std::isnan(chosen) && gives_target(chosen)) {
                    result_.roots.push_back(chosen);
                    return;
                }
            }
        }
        if (after.hits()) {
            start_run(after.x, false);
            if (!next.hits()) close_run(run_end(after.x, next.x).first, false);
            return;
        }
        keep_between(crossing.first, crossing.second,
                     std::min(std::abs(current.g), std::abs(next.g)));
        if (next.hits()) start_run(run_end(next.x, after.x).first, false);
    }

    // Of the doubles from `low` to `high` (one side of zero) that give the
    // target, the one with the shortest text, then the one nearer zero: for
    // each count of significant digits, the first few such decimals from the
    // nearer end. NaN when none of those gives it.
    double shortest_hit(double low, double high) {
        if (low == high) return point(low).hits() ? low : NAN_VALUE;
        const double sign = high > 0.0 ? 1.0 : -1.0;
        const double near = std::min(std::abs(low), std::abs(high));
        const double far = std::max(std::abs(low), std::abs(high));
        for (int digits = 1; digits <= 17; ++digits) {
            double candidate = decimal_at_or_above(near, digits);
            for (int tries = 0; tries < DECIMALS_TRIED && candidate <= far; ++tries) {
                if (point(sign * candidate).hits()) return sign * candidate;
                candidate = decimal_at_or_above(std::nextafter(candidate, INF), digits);
            }
        }
        return NAN_VALUE;
    }

    // Narrows [a, b] (one side of zero, or zero at one end) with `side`
    // negative at `a` and positive at `b`, down to adjacent doubles: the last
    // one on a's side and the first one past it. TOMS 748 works on the
    // magnitude scaled by a power of two to at most 1, where every step is
    // exact and none of its interpolations can overflow; `side` is bounded
    // by the arctangent, so an infinite result is a value like any other.
    template <class Side>
    std::pair<double, double> narrow(double a, double b, double side_a, double side_b, Side side) {
        if (a == b || adjacent(a, b)) return {a, b};
        const double sign = (a > 0.0 || b > 0.0) ? 1.0 : -1.0;
        const double far = std::max(std::abs(a), std::abs(b));
        const double unit = far > 1.0 ? std::ldexp(1.0, std::ilogb(far) + 1) : 1.0;
        const auto scaled = [&](double t) { return side(sign * (t * unit)); };
        const double ta = std::abs(a) / unit;
        const double tb = std::abs(b) / unit;
        const double low = std::min(ta, tb);
        const double high = std::max(ta, tb);
        const bool a_low = low == ta;
        std::uintmax_t steps = REFINE_STEPS;
        const std::pair<double, double> found = boost::math::tools::toms748_solve(
            scaled, low, high, a_low ? side_a : side_b, a_low ? side_b : side_a,
            [](double lo, double hi) { return adjacent(lo, hi); }, steps, Quiet());
        const double x0 = sign * (found.first * unit);
        const double x1 = sign * (found.second * unit);
        // The end on a's side first: x0 is the one nearer zero.
        return a_low ? std::pair{x0, x1} : std::pair{x1, x0};
    }

    // A bounded, strictly signed stand-in for f(x) - target.
    double bounded(double g) const { return std::atan(g / scale_); }

    // The last double on current's side of the target, and the next one,
    // which gives the target or lies past it.
    std::pair<double, double> narrow_crossing(const Point& current, const Point& next) {
        const double from = current.g < 0.0 ? -1.0 : 1.0;
        const auto side = [this, from](const Point& p) {
            if (p.valid && from * p.g > 0.0) return -std::abs(bounded(p.g)) - 0x1p-1000;
            return p.valid && p.g != 0.0 ? std::abs(bounded(p.g)) + 0x1p-1000 : 1.0;
        };
        return narrow(current.x, next.x, side(current), side(next),
                      [&](double x) { return side(point(x)); });
    }

    // From `inside` (a double of a run) towards `outside` (one that leaves
    // the target): the run's last double on that side and the first after
    // it. Steps of 1, 2, 4 ... doubles first: most runs are a few doubles
    // of rounding, and the narrowing then starts from a bracket as wide as
    // the run.
    std::pair<double, double> run_end(double inside, double outside) {
        double last = inside;
        for (int k = 0; k < 63; ++k) {
            const double probe = doubles_towards(inside, outside, std::uint64_t{1} << k);
            if (probe == outside) break;
            if (!point(probe).hits()) {
                return narrow(last, probe, -1.0, 1.0,
                              [&](double x) { return point(x).hits() ? -1.0 : 1.0; });
            }
            last = probe;
        }
        return narrow(last, outside, -1.0, 1.0,
                      [&](double x) { return point(x).hits() ? -1.0 : 1.0; });
    }

    // How many doubles from `a` up to `b` (0 where b is not above a), both
    // on one side of zero.
    static std::uint64_t doubles_between(double a, double b) {
        if (!(b > a) || (a < 0.0) != (b < 0.0)) return 0;
        const std::uint64_t x = ieee754::bits_of(std::abs(a));
        const std::uint64_t y = ieee754::bits_of(std::abs(b));
        return x < y ? y - x : x - y;
    }

    // The double `count` doubles from `from` towards `to`, or `to` where that
    // lies no further; both on one side of zero (or one of them zero).
    static double doubles_towards(double from, double to, std::uint64_t count) {
        if (from == 0.0 || to == 0.0 || (from < 0.0) != (to < 0.0)) {
            const double next = std::nextafter(from, to);
            return count == 1 || next == to ? next : to;
        }
        const std::uint64_t a = ieee754::bits_of(std::abs(from));
        const std::uint64_t b = ieee754::bits_of(std::abs(to));
        const std::uint64_t room = a < b ? b - a : a - b;
        if (count >= room) return to;
        const double magnitude = ieee754::double_from_bits(a < b ? a + count : a - count);
        return from < 0.0 ? -magnitude : magnitude;
    }

    void start_run(double from, bool domain_end) {
        in_run_ = true;
        run_from_ = from;
        run_from_domain_end_ = domain_end;
    }

    // A run from run_from_ to `to`: one root where it is the rounding of a
    // slope, a stretch where it is wide (the other values decide the result
    // there) or reaches an end of the domain.
    void close_run(double to, bool domain_end) {
        in_run_ = false;
        const double from = std::min(run_from_, to);
        const double last = std::max(run_from_, to);
        const double near = std::min(std::abs(from), std::abs(last));
        const double far = std::max(std::abs(from), std::abs(last));
        const bool wide = from != last && ((from <= 0.0 && last >= 0.0) || far >= 2 * near);
        if (!(run_from_domain_end_ || domain_end || wide)) {
            const double chosen = shortest_between(from, last);
            if (gives_target(chosen)) {
                result_.roots.push_back(chosen);
            } else if (gives_target(from)) {
                result_.roots.push_back(from);
            }
            return;
        }
        if (!gives_target(from) || !gives_target(last)) return;
        RootSearch::Stretch stretch{from, last, run_from_domain_end_, domain_end,
                                    solid(from, last)};
        // A run that starts again within two grid steps of the last stretch's
        // end continues it: the results between round away from the target
        // and back, and the roots in that gap are part of it.
        if (!result_.stretches.empty()) {
            RootSearch::Stretch& before = result_.stretches.back();
            const bool same_side = (before.to > 0.0) == (from > 0.0);
            if (same_side && std::abs(from) <= 100 * std::abs(before.to) &&
                std::abs(before.to) <= 100 * std::abs(from)) {
                std::erase_if(result_.roots,
                              [&](double root) { return root > before.to && root < from; });
                before.to = last;
                before.to_domain_end = domain_end;
                before.every = false;
                result_.flat_everywhere = false;
                return;
            }
        }
        result_.stretches.push_back(stretch);
        result_.flat_everywhere = run_from_domain_end_ && domain_end;
    }

    // Whether the doubles between a stretch's ends give the target too, on
    // evenly spaced probes in the logarithm of the magnitude.
    bool solid(double from, double to) {
        const double near = std::max(std::min(std::abs(from), std::abs(to)),
                                     std::numeric_limits<double>::denorm_min());
        const double far = std::max(std::abs(from), std::abs(to));
        const double sign = to > 0.0 ? 1.0 : -1.0;
        if (from <= 0.0 && to >= 0.0) return true;  // (through zero: only where zero is flat)
        const double ratio = std::log(far / near);
        for (int probe = 1; probe < STRETCH_PROBES; ++probe) {
            const double x = near * std::exp(ratio * probe / STRETCH_PROBES);
            if (x > near && x < far && !point(sign * x).hits()) return false;
        }
        return true;
    }

    // Of the doubles from `low` to `high` (one side of zero), the one with
    // the shortest text, of those the one nearer zero: for each count of
    // significant digits, the first such decimal at or beyond the nearer end.
    double shortest_between(double low, double high) {
        if (low == high) return low;
        const double sign = high > 0.0 ? 1.0 : -1.0;
        const double near = std::min(std::abs(low), std::abs(high));
        const double far = std::max(std::abs(low), std::abs(high));
        for (int digits = 1; digits <= 17; ++digits) {
            const double candidate = decimal_at_or_above(near, digits);
            if (candidate <= far) return sign * candidate;
        }
        return sign * near;
    }

    // The least decimal of `digits` significant digits not below `value`.
    double decimal_at_or_above(double value, int digits) {
        std::array<char, 40> text{};
        const char* end =
            format_scientific(value, digits - 1, text.data(), text.data() + text.size());
        if (end == nullptr) return INF;
        const std::string_view rounded(text.data(), static_cast<std::size_t>(end - text.data()));
        double candidate = parse_decimal(rounded);
        if (candidate >= value) return candidate;
        // One unit up in the last digit, carrying: "4.99e+05" -> "5.00e+05".
        text_.assign(rounded);
        std::size_t at = text_.find('e');
        bool carry = true;
        while (carry && at-- > 0) {
            if (text_[at] == '.') continue;
            carry = text_[at] == '9';
            text_[at] = carry ? '0' : static_cast<char>(text_[at] + 1);
        }
        if (carry) {
            // Every digit was 9: "9.99e+05" goes up to 1e+06.
            int exponent = 0;
            const std::size_t e = text_.find('e');
            const char* power = text_.data() + e + 1;
            std::from_chars(power + (*power == '+' ? 1 : 0), text_.data() + text_.size(), exponent);
            std::array<char, 8> up{'1', 'e'};
            const std::to_chars_result written =
                std::to_chars(up.data() + 2, up.data() + up.size(), exponent + 1);
            return parse_decimal(
                std::string_view(up.data(), static_cast<std::size_t>(written.ptr - up.data())));
        }
        return parse_decimal(text_);
    }

    static double parse_decimal(std::string_view text) {
        const std::optional<double> value = parse_number(text);
        if (value) return *value;
        return INF;
    }

    bool gives_target(double x) {
        const Outcome at = through_module(x);
        return answers(at) && at.value == target_;
    }

    static bool answers(const Outcome& o) {
        return o.kind == Outcome::result && !o.guarded && !std::isnan(o.value);
    }

    Outcome through_module(double x) {
        values_[argument_] = x;
        return host::through_module(row_, values_, command_);
    }

    // Two adjacent doubles between whose results the target lies: one of
    // them, when the module agrees. A change of sign across a pole (a
    // division by a sum the guards do not cover) is no root: there the
    // results grow away from the target as the bracket narrows, beyond
    // `bracket_distance`, the nearer distance of the bracket's ends from the
    // target.
    void keep_between(double a, double b, double bracket_distance) {
        const double low = std::min(a, b);
        const double high = std::max(a, b);
        const Outcome at_low = through_module(low);
        const Outcome at_high = through_module(high);
        if (!answers(at_low) || !answers(at_high) || !adjacent(low, high)) return;
        if (at_low.value == target_ || at_high.value == target_) {
            result_.roots.push_back(at_low.value == target_ ? low : high);
            return;
        }
        const double below = std::min(at_low.value, at_high.value);
        const double above = std::max(at_low.value, at_high.value);
        if (!(below < target_ && target_ < above)) return;
        const double low_distance = std::abs(at_low.value - target_);
        const double high_distance = std::abs(at_high.value - target_);
        const double nearest = std::min(low_distance, high_distance);
        if (!(nearest <= 2 * bracket_distance)) return;
        // On a tie the one nearer zero, so that a formula even in its value
        // gives solutions of one magnitude.
        const bool low_nearer = low_distance < high_distance ||
                                (low_distance == high_distance && std::abs(low) <= std::abs(high));
        result_.roots.push_back(preferred(low, high, low_nearer));
    }

    // Either of two adjacent doubles around the target is a solution: the
    // one with the shorter text (0.1 rather than 0.09999999999999999, which
    // a person would rather paste), else the nearer one.
    double preferred(double low, double high, bool low_nearer) {
        text_.clear();
        append_round_trip(low, text_);
        const std::size_t low_length = text_.size();
        text_.clear();
        append_round_trip(high, text_);
        if (low_length != text_.size()) return low_length < text_.size() ? low : high;
        return low_nearer ? low : high;
    }

    const Formula& row_;
    Values values_;
    std::size_t argument_;
    double target_;
    double scale_;  // of f(x) - target, for its bounded stand-in
    bool signed_;
    std::vector<Point> points_;
    bool in_run_ = false;
    double run_from_ = 0.0;
    bool run_from_domain_end_ = false;
    std::string command_;
    std::string text_;
    RootSearch result_;
};

}  // namespace

Outcome through_module(const Formula& row, const Values& values, std::string& command) {
    command.assign(row.keyword);
    for (int i = 0; i < row.required_count; ++i) {
        command += ' ';
        append_exact(values[static_cast<std::size_t>(i)], command);
    }
    return zorvane::evaluate(command);
}

RootSearch find_roots(const Formula& row, const Values& values, int argument, double target) {
    return Search(row, values, argument, target).run();
}

}  // namespace zorvane::host
