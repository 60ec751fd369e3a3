// Solving a formula for one of its values by bracketing. The argument's
// domain is scanned on a grid a power of ten apart (both signs and zero for a
// signed quantity) for changes of sign of f(x) - target; TOMS 748 narrows
// each bracket down to two adjacent doubles. Where the results turn back
// towards the target between grid points without crossing it on the grid
// (two roots in one step: a series RLC near resonance), Brent's minimiser
// finds the turning point, which splits the step into two brackets.
//
// The search evaluates the row's arithmetic directly; every root it keeps is
// confirmed through the module's own command path, so the value printed is
// one the module's line agrees with.
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
#include "number_format.h"
#include "platform.h"

namespace zorvane::host {
namespace {

namespace policies = boost::math::policies;
// Errors are answered by the search itself, never thrown.
using Quiet = policies::policy<policies::domain_error<policies::ignore_error>,
                               policies::pole_error<policies::ignore_error>,
                               policies::overflow_error<policies::ignore_error>,
                               policies::evaluation_error<policies::ignore_error>>;

constexpr double INF = std::numeric_limits<double>::infinity();
// Enough for TOMS 748 to reach adjacent doubles from any grid step (it
// needs a few dozen at most); a bound, not a target.
constexpr std::uintmax_t REFINE_STEPS = 200;
// Brent's minimiser locates a turning point to half the bits of a double,
// which is all a bracket needs.
constexpr int TURNING_BITS = std::numeric_limits<double>::digits / 2;
constexpr std::uintmax_t TURNING_STEPS = 100;

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
        points.push_back(std::numeric_limits<double>::max());
        return points;
    }();
    return grid;
}

bool opposite(double a, double b) { return a != 0.0 && b != 0.0 && (a < 0.0) != (b < 0.0); }

class Search {
   public:
    Search(const Formula& row, const Values& values, int argument, double target)
        : row_(row),
          values_(values),
          argument_(static_cast<std::size_t>(argument)),
          target_(target) {}

    RootSearch run() {
        scan();
        if (find_flat_stretch()) return result_;
        for (std::size_t i = 0; i < points_.size(); ++i) {
            const Point& p = points_[i];
            if (p.valid && p.g == 0.0) keep(p.x, p.x, 0.0);
            if (i + 1 < points_.size()) {
                const Point& q = points_[i + 1];
                if (p.valid && q.valid && opposite(p.g, q.g)) refine(p, q);
            }
            if (i > 0 && i + 1 < points_.size()) look_for_turn(points_[i - 1], p, points_[i + 1]);
        }
        std::sort(result_.roots.begin(), result_.roots.end());
        result_.roots.erase(std::unique(result_.roots.begin(), result_.roots.end()),
                            result_.roots.end());
        return result_;
    }

   private:
    struct Point {
        double x = 0.0;
        double g = 0.0;      // f(x) - target
        bool valid = false;  // neither guarded nor NaN
    };

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

    void scan() {
        const std::vector<double>& grid = magnitude_grid();
        const bool is_signed = row_.arguments[argument_].domain == Domain::signed_quantity;
        points_.reserve(grid.size() * 2 + 1);
        if (is_signed) {
            for (auto x = grid.rbegin(); x != grid.rend(); ++x) points_.push_back(point(-*x));
            points_.push_back(point(0.0));
        }
        std::transform(grid.begin(), grid.end(), std::back_inserter(points_),
                       [this](double x) { return point(x); });
    }

    // Two neighbouring grid points that both give the target: the formula
    // is flat there, and every value between them is as much a solution.
    bool find_flat_stretch() {
        for (std::size_t i = 0; i + 1 < points_.size(); ++i) {
            if (!(points_[i].valid && points_[i].g == 0.0 && points_[i + 1].valid &&
                  points_[i + 1].g == 0.0)) {
                continue;
            }
            std::size_t last = i + 1;
            while (last + 1 < points_.size() && points_[last + 1].valid &&
                   points_[last + 1].g == 0.0) {
                ++last;
            }
            result_.flat = true;
            result_.flat_everywhere = i == 0 && last + 1 == points_.size();
            result_.flat_from = points_[i].x;
            result_.flat_to = points_[last].x;
            return true;
        }
        return false;
    }

    // Three grid points on one side of the target, the middle one nearest
    // it: the results turn back between the outer two, and may cross the
    // target twice there.
    void look_for_turn(const Point& left, const Point& middle, const Point& right) {
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
        const double u0 = std::log(std::min(std::abs(left.x), std::abs(right.x)));
        const double u1 = std::log(std::max(std::abs(left.x), std::abs(right.x)));
        const auto distance = [&](double u) {
            const Point p = point(sign * std::exp(u));
            return p.valid ? side * p.g : INF;
        };
        std::uintmax_t steps = TURNING_STEPS;
        const std::pair<double, double> turn =
            boost::math::tools::brent_find_minima(distance, u0, u1, TURNING_BITS, steps);
        const Point at = point(sign * std::exp(turn.first));
        if (!at.valid || at.x <= std::min(left.x, right.x) || at.x >= std::max(left.x, right.x)) {
            return;
        }
        if (at.g == 0.0) {
            keep(at.x, at.x, 0.0);
        } else if (opposite(at.g, middle.g)) {
            const Point& low = left.x < right.x ? left : right;
            const Point& high = left.x < right.x ? right : left;
            refine(low, at);
            refine(at, high);
        }
    }

    // Narrows a bracket (a.x < b.x, results on both sides of the target)
    // to adjacent doubles, in the magnitude of x so that TOMS 748's relative
    // steps work on one side of zero.
    void refine(const Point& a, const Point& b) {
        const double sign = b.x > 0.0 ? 1.0 : -1.0;
        const Point& near = sign > 0 ? a : b;  // nearer zero
        const Point& far = sign > 0 ? b : a;
        const auto g = [&](double magnitude) { return evaluate(sign * magnitude).value - target_; };
        const auto adjacent = [](double low, double high) {
            return std::nextafter(low, high) >= high;
        };
        std::uintmax_t steps = REFINE_STEPS;
        const std::pair<double, double> found = boost::math::tools::toms748_solve(
            g, std::abs(near.x), std::abs(far.x), near.g, far.g, adjacent, steps, Quiet());
        const double low = sign > 0 ? found.first : -found.second;
        const double high = sign > 0 ? found.second : -found.first;
        keep(low, high, std::min(std::abs(a.g), std::abs(b.g)));
    }

    Outcome through_module(double x) {
        values_[argument_] = x;
        return host::through_module(row_, values_, command_);
    }

    // Keeps `low` or `high` (equal, or adjacent doubles) when the module
    // gives the target at it, or one of them when the target lies between
    // its results at the two. A change of sign across a pole (a division by a sum the
    // guards do not cover) is no root: there the results grow away from the
    // target as the bracket narrows, beyond `bracket_distance`, the nearer
    // distance of the bracket's ends from the target (0: no such check).
    void keep(double low, double high, double bracket_distance) {
        const Outcome at_low = through_module(low);
        const auto answers = [](const Outcome& o) {
            return o.kind == Outcome::result && !o.guarded && !std::isnan(o.value);
        };
        if (answers(at_low) && at_low.value == target_) {
            result_.roots.push_back(low);
            return;
        }
        if (low == high) return;
        const Outcome at_high = through_module(high);
        if (answers(at_high) && at_high.value == target_) {
            result_.roots.push_back(high);
            return;
        }
        if (!answers(at_low) || !answers(at_high) || std::nextafter(low, high) != high) return;
        const double below = std::min(at_low.value, at_high.value);
        const double above = std::max(at_low.value, at_high.value);
        if (!(below < target_ && target_ < above)) return;
        const double low_distance = std::abs(at_low.value - target_);
        const double high_distance = std::abs(at_high.value - target_);
        const double nearest = std::min(low_distance, high_distance);
        if (bracket_distance > 0.0 && !(nearest <= 2 * bracket_distance)) return;
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
    std::vector<Point> points_;
    std::string command_;
    std::string text_;
    RootSearch result_;
};

}  // namespace

#if ZORVANE_HAVE_FLOAT_CHARCONV

void append_round_trip(double value, std::string& out) {
    std::array<char, 32> text{};
    const std::to_chars_result written =
        std::to_chars(text.data(), text.data() + text.size(), value);
    out.append(text.data(), written.ptr);
}

void append_exact(double value, std::string& out) { append_round_trip(value, out); }

#else

// Without floating-point to_chars: the fewest digits of printf's "%.*e"
// that read back as the value, then the shorter of the plain and the
// scientific form (the plain one on a tie), as to_chars writes them.
void append_round_trip(double value, std::string& out) {
    std::array<char, 40> text{};
    std::string_view scientific;
    for (int precision = 0; precision <= MAX_SCIENTIFIC_PRECISION; ++precision) {
        const char* end =
            format_scientific(value, precision, text.data(), text.data() + text.size());
        if (end == nullptr) continue;  // (never: 40 characters hold every "%.16e")
        scientific = std::string_view(text.data(), static_cast<std::size_t>(end - text.data()));
        if (!std::isfinite(value) || parse_number(scientific) == value) break;
    }
    const std::size_t e = scientific.find('e');
    if (e == std::string_view::npos) {  // inf, -inf, nan
        out += scientific;
        return;
    }
    const std::size_t sign = scientific[0] == '-' ? 1 : 0;
    std::string digits(scientific.substr(sign, e - sign));
    std::erase(digits, '.');
    int exponent = 0;
    const std::string_view power = scientific.substr(e + 1);
    std::from_chars(power.data() + (power[0] == '+' ? 1 : 0), power.data() + power.size(),
                    exponent);
    const auto count = static_cast<int>(digits.size());
    std::string plain;
    if (exponent >= count - 1) {
        // An integer: to_chars writes its exact digits, not zeros after the
        // shortest ones.
        std::array<char, 40> whole{};
        const char* whole_end = exponent < 30 ? format_fixed6(std::abs(value), whole.data(),
                                                              whole.data() + whole.size())
                                              : nullptr;
        plain =
            whole_end != nullptr
                ? std::string(whole.data(), static_cast<std::size_t>(whole_end - whole.data() - 7))
                : digits + std::string(static_cast<std::size_t>(exponent - count + 1), '0');
    } else if (exponent >= 0) {
        plain = digits.substr(0, static_cast<std::size_t>(exponent + 1)) + "." +
                digits.substr(static_cast<std::size_t>(exponent + 1));
    } else {
        plain = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    out += scientific.substr(0, sign);
    out += plain.size() <= scientific.size() - sign ? std::string_view(plain)
                                                    : scientific.substr(sign);
}

// Seventeen significant digits read back as any double.
void append_exact(double value, std::string& out) {
    std::array<char, 40> text{};
    const char* end =
        format_scientific(value, MAX_SCIENTIFIC_PRECISION, text.data(), text.data() + text.size());
    out.append(text.data(), static_cast<std::size_t>(end - text.data()));
}

#endif

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
