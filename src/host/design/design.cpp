// Design from a requirement: the standard parts whose worst case provably
// lies inside a window on the result, ranked as design.h states.
//
// The search. With one value to pick, every standard value of its window is
// tried. With two, each value of the first is a row of candidates over the
// second's values. Where the row's shape is monotone in each value (every
// shape but the series RLC's resonance) and no other value's box reaches
// zero, the result moves one way along a row whatever the other values are
// within their boxes, and so do the worst case's min and max: a part's box
// is value * (1 +- t), whose ends rise with the value. Then along a row
// "min >= low" and "max <= high" each hold on one side of a single step, so
// the passing candidates form an interval whose ends two bisections find,
// and the margin, the smaller of (min - low) and (high - max), rises to a
// single peak where the two are equal, a third bisection away. From the peak
// the walk goes outward on both sides in falling margin, and stops on a side
// once the margin is below every candidate kept. A row that gives a guarded
// or non-finite result, a box that reaches zero (a product's direction then
// depends on the sign of the other value), and the resonance are searched
// candidate by candidate, their worst case computed only where the nominal
// result lies inside the window until it is known that nothing passes.
//
// The ends of each interval are checked two steps beyond, as the pair
// search does: where the core's rounding is not quite monotone a result may
// step back by an ulp.
//
// Candidates alike but for their decades (design.h) fall into one group: the
// same place in each value's decade, the same margin, nominal error and
// worst case in the ranking's steps. The groups kept are the best `top`,
// and those tied with the last of them by margin and nominal error, whose
// order a later member may still change. A group ranked below them by
// margin and nominal error is dropped for good: every member it could gain
// has that same margin and nominal error. Each walk stops below the last
// group kept, so every member of a kept group is met.
#include "zorvane_host/design.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <map>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "formula_table.h"
#include "number_text.h"
#include "rendering.h"
#include "worst_case.h"
#include "zorvane_host/combination.h"

namespace zorvane::host {
namespace {

constexpr double INF = std::numeric_limits<double>::infinity();
constexpr double NAN_VALUE = std::numeric_limits<double>::quiet_NaN();

// Margins and nominal errors tie within 2^-KEY_BITS of the window's width.
constexpr int KEY_BITS = 30;

// The parts' tolerances a remedy tries, loosest first.
constexpr double TIGHTER[] = {0.1, 0.05, 0.02, 0.01, 0.005, 0.0025, 0.001};

double key(double relative) { return std::floor(std::ldexp(relative, KEY_BITS)); }

// E3 has three values a decade, and each finer series twice the one before.
int values_per_decade(Series series) { return 3 << static_cast<int>(series); }

// The worst case, through the one range routine of the hosts' share.
Range range_of(const Formula& row, const Values& values, const Values& tolerances) {
    return worst_case_range_of_row(row, values, tolerances);
}

// One value to pick: where it sits, its standard values and their tolerance.
struct Unknown {
    std::size_t position = 0;
    PartKind kind = PartKind::resistance;
    Series series = Series::e24;
    double tolerance = 0.0;
    std::vector<double> values;
};

struct Scored {
    DesignCandidate candidate;
    double margin_key = 0.0;
    double error_key = 0.0;
    // The worst case's ends from the window's ends, (min - low) and
    // (high - max), in the steps of the margin: for telling alike candidates.
    double low_key = 0.0;
    double high_key = 0.0;
    int distinct = 1;
    int steps = 0;        // the sum of the values' indices in their windows
    int first_step = 0;   // the first value's
    int second_step = 0;  // the second value's; 0 with one value
};

// The ranking of design.h; a total order on the candidates of one search.
bool better(const Scored& a, const Scored& b) {
    if (a.margin_key != b.margin_key) return a.margin_key > b.margin_key;
    if (a.error_key != b.error_key) return a.error_key < b.error_key;
    if (a.distinct != b.distinct) return a.distinct < b.distinct;
    if (a.steps != b.steps) return a.steps < b.steps;
    return a.first_step < b.first_step;
}

// The passing candidates kept, in groups of those alike but for their
// decades (see the top of this file).
class Kept {
   public:
    // `per_decade`: the values each unknown's series has in a decade.
    Kept(std::size_t top, std::array<int, 2> per_decade) : top_(top), per_decade_(per_decade) {}

    void offer(const Scored& s) {
        if (cutoff_ && rank_of(s) > *cutoff_) return;
        std::vector<Scored>& members = groups_[alike(s)];
        members.push_back(s);
        // Dropping the groups below the best `top` costs a pass over them:
        // done when their count reaches `top`, then each time it doubles.
        if (members.size() == 1 && groups_.size() >= next_drop_) {
            drop();
            next_drop_ = 2 * std::max(groups_.size(), top_);
        }
    }

    // Whether a candidate, and every one of lower margin, ranks below the
    // groups kept.
    bool beneath(const Scored& s) const { return cutoff_ && -s.margin_key > cutoff_->first; }

    // The best `top` groups, best first, each as its best member with the
    // others' decades.
    std::vector<DesignCandidate> best_first() const {
        std::vector<std::pair<Scored, std::vector<DesignCandidate::OtherDecade>>> ranked;
        for (const auto& [group, members] : groups_) {
            const Scored& first = *std::min_element(members.begin(), members.end(), better);
            std::vector<DesignCandidate::OtherDecade> also;
            for (const Scored& other : members) {
                if (&other == &first) continue;
                also.push_back({other.candidate.values,
                                {powers(other.first_step - first.first_step, per_decade_[0]),
                                 powers(other.second_step - first.second_step, per_decade_[1])}});
            }
            std::sort(also.begin(), also.end(),
                      [](const auto& a, const auto& b) { return a.powers < b.powers; });
            ranked.emplace_back(first, std::move(also));
        }
        std::sort(ranked.begin(), ranked.end(),
                  [](const auto& a, const auto& b) { return better(a.first, b.first); });
        if (ranked.size() > top_) ranked.resize(top_);
        std::vector<DesignCandidate> out;
        for (auto& [first, also] : ranked) {
            out.push_back(first.candidate);
            out.back().also = std::move(also);
        }
        return out;
    }

   private:
    // Margin (larger first) and nominal error: the ranking's first two rules,
    // shared by every member of a group.
    using Rank = std::pair<double, double>;
    // What alike candidates share; ordered by rank first.
    using Alike = std::tuple<double, double, double, double, int, int>;

    static Rank rank_of(const Scored& s) { return {-s.margin_key, s.error_key}; }

    Alike alike(const Scored& s) const {
        return {-s.margin_key,
                s.error_key,
                s.low_key,
                s.high_key,
                s.first_step % per_decade_[0],
                s.second_step % per_decade_[1]};
    }

    static int powers(int steps, int per_decade) { return steps / per_decade; }

    // The rank of the `top`-th group, and every group below it dropped.
    void drop() {
        auto last = groups_.begin();
        std::advance(last, static_cast<std::ptrdiff_t>(top_ - 1));
        cutoff_ = Rank{std::get<0>(last->first), std::get<1>(last->first)};
        auto below = std::find_if(last, groups_.end(), [this](const auto& group) {
            return Rank{std::get<0>(group.first), std::get<1>(group.first)} > *cutoff_;
        });
        groups_.erase(below, groups_.end());
    }

    std::size_t top_;
    std::array<int, 2> per_decade_;
    std::map<Alike, std::vector<Scored>> groups_;
    std::optional<Rank> cutoff_;  // the rank of the `top`-th group, once there are `top`
    std::size_t next_drop_ = top_;
};

class Search {
   public:
    Search(const Formula& row, const DesignRequest& request, std::vector<Unknown> unknowns,
           double centre)
        : row_(row),
          values_(request.values),
          tolerances_(request.tolerances),
          unknowns_(std::move(unknowns)),
          low_(request.low),
          high_(request.high),
          width_(request.high - request.low),
          centre_(centre),
          top_(static_cast<std::size_t>(request.top)),
          kept_(top_, per_decade_of(unknowns_)) {
        for (const Unknown& unknown : unknowns_) tolerances_[unknown.position] = unknown.tolerance;
    }

    void run() {
        prefilter_ = true;
        search();
        // Candidates whose nominal result left the window were not scored;
        // when nothing passes the best of them may be the best by margin.
        if (passing_ == 0 && skipped_) {
            prefilter_ = false;
            search();
        }
    }

    long passing() const { return passing_; }
    long evaluations() const { return evaluations_; }
    const std::optional<Scored>& best() const { return best_; }

    // The passing candidates kept, best first, each with its other decades.
    std::vector<DesignCandidate> kept() const { return kept_.best_first(); }

   private:
    // What one candidate is: scored, or not (skipped by the prefilter, or
    // no result at all: a guard, not a number, an infinity).
    struct Slot {
        bool done = false;
        std::optional<Scored> scored;
    };

    static std::array<int, 2> per_decade_of(const std::vector<Unknown>& unknowns) {
        std::array<int, 2> counts{1, 1};
        for (std::size_t u = 0; u < unknowns.size(); ++u) {
            counts[u] = values_per_decade(unknowns[u].series);
        }
        return counts;
    }

    void search() {
        passing_ = 0;
        skipped_ = false;
        best_.reset();
        kept_ = Kept(top_, per_decade_of(unknowns_));
        const Unknown& first = unknowns_[0];
        const bool pair = unknowns_.size() == 2;
        const bool monotone = monotone_in_each_value(row_.shape) && no_box_reaches_zero();
        for (std::size_t i = 0; i < first.values.size(); ++i) {
            if (!pair) {
                offer_if_passing(score(static_cast<int>(i), -1));
            } else if (!monotone || !monotone_row(static_cast<int>(i))) {
                for (std::size_t j = 0; j < unknowns_[1].values.size(); ++j) {
                    offer_if_passing(score(static_cast<int>(i), static_cast<int>(j)));
                }
            }
        }
    }

    bool no_box_reaches_zero() const {
        for (std::size_t p = 0; p < static_cast<std::size_t>(row_.required_count); ++p) {
            if (std::any_of(unknowns_.begin(), unknowns_.end(),
                            [p](const Unknown& u) { return u.position == p; })) {
                continue;
            }
            const double a = values_[p] * (1.0 - tolerances_[p]);
            const double b = values_[p] * (1.0 + tolerances_[p]);
            if (!(tolerances_[p] == 0.0 || (a > 0.0 && b > 0.0) || (a < 0.0 && b < 0.0))) {
                return false;
            }
        }
        return true;
    }

    Slot score(int i, int j) {
        Slot slot;
        slot.done = true;
        Values values = values_;
        const Unknown& first = unknowns_[0];
        values[first.position] = first.values[static_cast<std::size_t>(i)];
        if (j >= 0)
            values[unknowns_[1].position] = unknowns_[1].values[static_cast<std::size_t>(j)];
        const Evaluation nominal = row_.evaluate(values);
        ++evaluations_;
        if (prefilter_ && !(nominal.value >= low_ && nominal.value <= high_)) {
            skipped_ = true;
            return slot;
        }
        const Range range = range_of(row_, values, tolerances_);
        evaluations_ += range.evaluations;
        if (nominal.guarded || range.guarded || !std::isfinite(nominal.value) ||
            !std::isfinite(range.min) || !std::isfinite(range.max)) {
            return slot;
        }
        Scored s;
        DesignCandidate& c = s.candidate;
        c.values = {first.values[static_cast<std::size_t>(i)],
                    j >= 0 ? unknowns_[1].values[static_cast<std::size_t>(j)] : 0.0};
        c.nominal = nominal.value;
        c.min = range.min;
        c.max = range.max;
        c.margin = std::min(range.min - low_, high_ - range.max) / width_;
        const double miss = nominal.value - centre_;
        c.deviation = centre_ == 0.0 ? miss : miss / std::abs(centre_);
        s.margin_key = key(c.margin);
        s.error_key = key(std::abs(miss) / width_);
        s.low_key = key((range.min - low_) / width_);
        s.high_key = key((high_ - range.max) / width_);
        s.distinct = j >= 0 && c.values[0] != c.values[1] ? 2 : 1;
        s.steps = i + std::max(j, 0);
        s.first_step = i;
        s.second_step = std::max(j, 0);
        slot.scored = s;
        if (!best_ || better(s, *best_)) best_ = s;
        return slot;
    }

    static bool passes(const Slot& slot) {
        return slot.scored && slot.scored->candidate.margin >= 0.0;
    }

    void offer_if_passing(const Slot& slot) {
        if (!passes(slot)) return;
        ++passing_;
        offer(*slot.scored);
    }

    void offer(const Scored& s) { kept_.offer(s); }

    // Whether a walk away from the peak can stop: the kept groups are full
    // and this one's margin is below all of theirs.
    bool beneath_kept(const Scored& s) const { return kept_.beneath(s); }

    // The first index in [from, to) where `holds` is true, for a predicate
    // false then true along the row; `to` when it never is.
    template <typename Predicate>
    static int first_where(int from, int to, Predicate holds) {
        while (from < to) {
            const int middle = from + (to - from) / 2;
            if (holds(middle)) {
                to = middle;
            } else {
                from = middle + 1;
            }
        }
        return from;
    }

    // Candidate (i, j) of the row being searched, scored once; null when it
    // has no result.
    const Scored* row_at(int i, int j) {
        Slot& slot = row_slots_[static_cast<std::size_t>(j)];
        if (!slot.done) slot = score(i, j);
        return slot.scored ? &*slot.scored : nullptr;
    }

    // Where a row passes, [from, to), and its peak: the first candidate past
    // the middle of the window.
    struct RowInterval {
        int from = 0;
        int to = 0;
        int peak = 0;
    };

    // The passing interval of row i by bisection, its results monotone in
    // the second value; none when a candidate visited has no result.
    std::optional<RowInterval> bisect_row(int i, int count) {
        const auto at = [&](int j) { return row_at(i, j); };
        // A candidate visited without a result: the row may not be monotone.
        const auto holed = [this] {
            return std::any_of(row_slots_.begin(), row_slots_.end(),
                               [](const Slot& slot) { return slot.done && !slot.scored; });
        };
        const auto min_at = [&](int j) {
            const Scored* s = at(j);
            return s != nullptr ? s->candidate.min : NAN_VALUE;
        };
        const auto max_at = [&](int j) {
            const Scored* s = at(j);
            return s != nullptr ? s->candidate.max : NAN_VALUE;
        };
        const Scored* lowest = at(0);
        const Scored* highest = at(count - 1);
        const bool rising =
            lowest && highest && highest->candidate.nominal >= lowest->candidate.nominal;
        const auto low_ok = [&](int j) { return min_at(j) >= low_; };
        const auto high_ok = [&](int j) { return max_at(j) <= high_; };
        const auto past_peak = [&](int j) {
            const double d = (min_at(j) - low_) - (high_ - max_at(j));
            return rising ? d >= 0.0 : d <= 0.0;
        };
        if (holed()) return std::nullopt;
        RowInterval row;
        if (rising) {
            row.from = first_where(0, count, low_ok);
            row.to = first_where(0, count, [&](int j) { return !high_ok(j); });
        } else {
            row.from = first_where(0, count, high_ok);
            row.to = first_where(0, count, [&](int j) { return !low_ok(j); });
        }
        row.peak = first_where(0, count, past_peak);
        // The peak's two sides, for the best by margin when nothing passes.
        for (int j = std::max(row.peak - 1, 0); j <= std::min(row.peak, count - 1); ++j) at(j);
        if (holed()) return std::nullopt;
        return row;
    }

    // The passing candidates of row i, counted, and offered from the peak
    // outwards until they fall beneath the kept ones.
    void walk_passing(int i, const RowInterval& row) {
        if (row.from >= row.to) return;
        passing_ += row.to - row.from;
        const int start = std::clamp(row.peak, row.from, row.to - 1);
        const auto walk = [&](int j) {
            const Scored* s = row_at(i, j);
            if (!s) {
                --passing_;  // a hole in the row: no result, so it does not pass
                return true;
            }
            if (beneath_kept(*s)) return false;
            offer(*s);
            return true;
        };
        for (int j = start; j < row.to && walk(j); ++j) {
        }
        for (int j = start - 1; j >= row.from && walk(j); --j) {
        }
    }

    // Two steps beyond each end of the interval (around the peak when it is
    // empty), for results an ulp out of order.
    void check_beyond(int i, int count, const RowInterval& row) {
        const bool any_pass = row.from < row.to;
        const int lower = any_pass ? row.from : row.peak;
        const int upper = any_pass ? row.to : row.peak;
        for (const int j : {lower - 2, lower - 1, upper, upper + 1}) {
            if (j < 0 || j >= count || (j >= row.from && j < row.to)) continue;
            const Scored* s = row_at(i, j);
            if (s && s->candidate.margin >= 0.0) {
                ++passing_;
                offer(*s);
            }
        }
    }

    // The row of first value i searched by bisection (see the top of this
    // file). False, with nothing counted, when a candidate of the row has no
    // result: then the row is searched candidate by candidate.
    bool monotone_row(int i) {
        const int count = static_cast<int>(unknowns_[1].values.size());
        row_slots_.assign(static_cast<std::size_t>(count), Slot{});
        // Every candidate the bisection visits is scored in full.
        const bool keep_prefilter = prefilter_;
        prefilter_ = false;
        const std::optional<RowInterval> row = bisect_row(i, count);
        prefilter_ = keep_prefilter;
        if (!row) return false;
        walk_passing(i, *row);
        check_beyond(i, count, *row);
        return true;
    }

    const Formula& row_;
    Values values_;
    Values tolerances_;
    std::vector<Unknown> unknowns_;
    double low_;
    double high_;
    double width_;
    double centre_;
    std::size_t top_;
    bool prefilter_ = true;
    bool skipped_ = false;
    long passing_ = 0;
    long evaluations_ = 0;
    std::optional<Scored> best_;
    Kept kept_;
    std::vector<Slot> row_slots_;
};

}  // namespace

namespace {

// "The window 3.4 .. 3.2 is inverted ...": what is wrong with the list of
// candidates asked for or the window on the result, or "".
std::string window_problem(const DesignRequest& request) {
    if (request.top < 1) return "A design lists at least one candidate (top 0 asks for none)";
    if (!std::isfinite(request.low) || !std::isfinite(request.high)) {
        return "The window on the result is not finite";
    }
    const std::string window =
        "The window " + round_trip(request.low) + " .. " + round_trip(request.high);
    if (request.low > request.high) return window + " is inverted: its low end comes first";
    if (!(request.high - request.low > 0.0) || !std::isfinite(request.high - request.low)) {
        return window + " is empty: a window needs a width";
    }
    return {};
}

// An option named for a kind of part the formula has none of, or "".
std::string per_kind_problem(const Formula& row, const DesignRequest& request) {
    std::array<bool, PART_KIND_COUNT> has{};
    for (const Argument& argument : row.argument_list()) {
        if (const auto kind = part_kind(argument.unit.utf8)) {
            has[static_cast<std::size_t>(*kind)] = true;
        }
    }
    for (std::size_t k = 0; k < PART_KIND_COUNT; ++k) {
        const PartChoice& choice = request.parts[k];
        const bool named = (choice.series_per_kind && choice.series) ||
                           (choice.tolerance_per_kind && choice.tolerance) ||
                           (choice.window_per_kind && choice.window);
        if (named && !has[k]) {
            const PartKindInfo& kind = part_kind_info(static_cast<PartKind>(k));
            return std::string(row.keyword) + " has no " + std::string(kind.singular) + ": " +
                   std::string(kind.letter) + "= names none of its parts";
        }
    }
    return {};
}

// A known value or tolerance that is no number to search with, or "".
std::string known_values_problem(const Formula& row, const DesignRequest& request) {
    for (std::size_t p = 0; p < static_cast<std::size_t>(row.required_count); ++p) {
        const bool unknown = static_cast<int>(p) == request.unknowns[0] ||
                             static_cast<int>(p) == request.unknowns[1];
        if (unknown) continue;
        if (!std::isfinite(request.values[p]) || !std::isfinite(request.tolerances[p]) ||
            request.tolerances[p] < 0.0) {
            return "The value " + std::string(row.arguments[p].name) +
                   " and its tolerance must be finite, the tolerance not negative";
        }
    }
    return {};
}

// The unknown at `position`, a part of `kind`, with its series, tolerance
// and values; the sentence of its problem in `problem` when it has one.
Unknown unknown_part(const DesignRequest& request, int position, PartKind kind,
                     std::string& problem) {
    Unknown unknown;
    const PartChoice& choice = request.parts[static_cast<std::size_t>(kind)];
    const std::string plural(part_kind_info(kind).plural);
    if (!choice.series) {
        problem = "No series for the " + plural + ": name one (" +
                  std::string(part_kind_letter(kind)) + "=E24)";
        return unknown;
    }
    unknown.position = static_cast<std::size_t>(position);
    unknown.kind = kind;
    unknown.series = *choice.series;
    unknown.tolerance = choice.tolerance.value_or(series_tolerance(*choice.series));
    if (!(unknown.tolerance >= 0.0 && unknown.tolerance < 1.0)) {
        problem = "The " + plural + "' tolerance is from 0 to below 100 %";
        return unknown;
    }
    const PartWindow window = choice.window.value_or(default_part_window(kind));
    const std::string values = round_trip(window.low) + " .. " + round_trip(window.high);
    if (!(window.low > 0.0 && window.low <= window.high && std::isfinite(window.high))) {
        problem =
            "The values searched for the " + plural + ", " + values + ", are no window above zero";
        return unknown;
    }
    unknown.values = values_within(unknown.series, window);
    if (unknown.values.empty()) {
        problem = "No " + std::string(series_name(unknown.series)) + " value lies within " + values;
    }
    return unknown;
}

// What `design` checks before searching: the sentence of the first problem,
// or "" with `unknowns` set.
std::string prepare(const DesignRequest& request, std::vector<Unknown>& unknowns) {
    if (request.formula == nullptr || row_of(*request.formula) == nullptr)
        return "A design needs a formula";
    const Formula& row = *row_of(*request.formula);
    const int count = row.required_count;
    if (std::string problem = window_problem(request); !problem.empty()) return problem;
    if (std::string problem = per_kind_problem(row, request); !problem.empty()) return problem;
    if (request.unknowns[0] < 0) return "A design needs one or two values written ?";
    if (std::string problem = known_values_problem(row, request); !problem.empty()) return problem;
    for (std::size_t u = 0; u < 2; ++u) {
        const int position = request.unknowns[u];
        if (position < 0) continue;
        if (position >= count || (u == 1 && position == request.unknowns[0])) {
            return "A value written ? is one of the " + std::to_string(count) + " values of " +
                   std::string(row.keyword);
        }
        const Argument& argument = row.arguments[static_cast<std::size_t>(position)];
        const std::optional<PartKind> kind = part_kind(argument.unit.utf8);
        if (!kind) {
            return std::string(argument.name) +
                   " is not a resistance, capacitance or inductance: a design picks parts";
        }
        std::string problem;
        Unknown unknown = unknown_part(request, position, *kind, problem);
        if (!problem.empty()) return problem;
        unknowns.push_back(std::move(unknown));
    }
    return {};
}

// The search alone, without the remedies; `unknowns` as prepared.
Design searched(const DesignRequest& request, std::vector<Unknown>& unknowns) {
    Design out;
    out.error = prepare(request, unknowns);
    if (!out.error.empty()) return out;
    const Formula& row = *row_of(*request.formula);
    bool any_tolerance = false;
    for (std::size_t p = 0; p < static_cast<std::size_t>(row.required_count); ++p) {
        const bool unknown = std::any_of(unknowns.begin(), unknowns.end(),
                                         [p](const Unknown& u) { return u.position == p; });
        if (!unknown && request.tolerances[p] != 0.0) any_tolerance = true;
    }
    out.searched_candidates = 1;
    for (std::size_t u = 0; u < unknowns.size(); ++u) {
        const Unknown& unknown = unknowns[u];
        any_tolerance = any_tolerance || unknown.tolerance != 0.0;
        out.series[u] = unknown.series;
        out.part_tolerances[u] = unknown.tolerance;
        out.searched[u] = {unknown.values.front(), unknown.values.back()};
        out.searched_candidates *= static_cast<long>(unknown.values.size());
    }
    out.nominal_only = !any_tolerance;
    const double centre = request.centre.value_or(request.low + (request.high - request.low) / 2.0);
    Search search(row, request, unknowns, centre);
    search.run();
    out.passing = search.passing();
    out.evaluations = search.evaluations();
    out.candidates = search.kept();
    // The best passing candidate is the first listed, with its other decades.
    if (!out.candidates.empty()) {
        out.best = out.candidates.front();
    } else if (search.best()) {
        out.best = search.best()->candidate;
    }
    return out;
}

// Whether a request with these parts' choices lets some candidate pass;
// the evaluations spent are added to `evaluations`.
bool some_pass(DesignRequest request, long& evaluations) {
    request.top = 1;
    std::vector<Unknown> unknowns;
    const Design found = searched(request, unknowns);
    evaluations += found.evaluations;
    return found.error.empty() && found.passing > 0;
}

DesignRemedy remedy_for(const DesignRequest& request, const std::vector<Unknown>& unknowns,
                        const DesignCandidate& best, long& evaluations) {
    DesignRemedy remedy;
    remedy.low = std::min(request.low, best.min);
    remedy.high = std::max(request.high, best.max);
    double loosest = 0.0;
    for (const Unknown& unknown : unknowns) loosest = std::max(loosest, unknown.tolerance);
    for (const double step : TIGHTER) {
        if (step >= loosest) continue;
        DesignRequest tighter = request;
        for (const Unknown& unknown : unknowns) {
            PartChoice& choice = tighter.parts[static_cast<std::size_t>(unknown.kind)];
            choice.tolerance = std::min(unknown.tolerance, step);
        }
        if (some_pass(tighter, evaluations)) {
            remedy.tolerance = step;
            break;
        }
    }
    for (int s = 0; s <= static_cast<int>(Series::e192); ++s) {
        const auto finer = static_cast<Series>(s);
        bool changes = false;
        DesignRequest refined = request;
        for (const Unknown& unknown : unknowns) {
            if (unknown.series >= finer) continue;
            changes = true;
            PartChoice& choice = refined.parts[static_cast<std::size_t>(unknown.kind)];
            choice.series = finer;
            if (!request.parts[static_cast<std::size_t>(unknown.kind)].tolerance) {
                choice.tolerance = series_tolerance(finer);
            }
        }
        if (changes && some_pass(refined, evaluations)) {
            remedy.series = finer;
            break;
        }
    }
    return remedy;
}

}  // namespace

Design design(const DesignRequest& request) {
    std::vector<Unknown> unknowns;
    Design out = searched(request, unknowns);
    if (out.error.empty() && out.passing == 0 && out.best && request.suggest) {
        out.remedy = remedy_for(request, unknowns, *out.best, out.evaluations);
    }
    return out;
}

// ---- Two parts for one value ----

namespace {

struct Rows {
    const Formula* sum;               // a + b
    const Formula* product_over_sum;  // a*b/(a+b)
    bool sum_is_parallel;             // capacitors add in parallel
};

// The table's rows that join two parts of `kind`: the one in series adds
// for resistors and inductors, the one in parallel for capacitors, and the
// other is a product over a sum, as its shape says.
Rows rows_of(PartKind kind) {
    const JoiningFormulas joining = joining_formulas(kind);
    const Formula* in_series = row_of(*joining.in_series);
    const Formula* in_parallel = row_of(*joining.in_parallel);
    if (in_series->shape == Shape::product_over_sum) return {in_parallel, in_series, true};
    return {in_series, in_parallel, false};
}

// The better of two combinations for `wanted`: the nearer value, then the
// first part nearer the value.
bool nearer(const Combination& a, const Combination& b, double wanted) {
    const double a_miss = std::abs(a.value - wanted);
    const double b_miss = std::abs(b.value - wanted);
    if (a_miss != b_miss) return a_miss < b_miss;
    const double a_first = std::abs(a.first - wanted);
    const double b_first = std::abs(b.first - wanted);
    if (a_first != b_first) return a_first < b_first;
    return a.second < b.second;
}

// The values next to `ideal` in the sorted `values`, each given to `use`:
// a combination is monotone in its second part, so the nearest result is
// next to the crossing.
template <typename Use>
void each_around(const std::vector<double>& values, double ideal, Use&& use) {
    const auto at = std::lower_bound(values.begin(), values.end(), ideal) - values.begin();
    for (auto k = at - 1; k <= at + 1; ++k) {
        if (k >= 0 && k < static_cast<long>(values.size()))
            use(values[static_cast<std::size_t>(k)]);
    }
}

// The worst case of the best combination by `row`, both parts within
// `tolerance`, its evaluations counted.
void add_range(const Formula& row, double tolerance, std::optional<Combination>& best,
               int& evaluations) {
    if (!best) return;
    const Range range = range_of(row, {best->first, best->second}, {tolerance, tolerance});
    evaluations += range.evaluations;
    best->min = range.min;
    best->max = range.max;
}

}  // namespace

Combinations combine_two(double wanted, PartKind kind, Series series, double tolerance,
                         PartWindow window) {
    Combinations out;
    if (!(wanted > 0.0) || !std::isfinite(wanted)) return out;
    const std::vector<double> values = values_within(series, window);
    // Two parts of the window reach from half the smallest (two in
    // parallel) to twice the largest (two in series); beyond that the
    // nearest pair is only the window's end, and no answer to the question.
    if (values.empty() || wanted < values.front() / 2.0 || wanted > values.back() * 2.0) {
        return out;
    }
    const Rows rows = rows_of(kind);
    const auto consider = [&](const Formula& row, bool parallel, double first, double second,
                              std::optional<Combination>& best) {
        const Evaluation combined = row.evaluate({first, second});
        ++out.evaluations;
        if (combined.guarded || !std::isfinite(combined.value)) return;
        Combination candidate{parallel, first, second, combined.value, 0.0, 0.0};
        if (!best || nearer(candidate, *best, wanted)) best = candidate;
    };
    const auto around = [&](double ideal, auto&& use) { each_around(values, ideal, use); };
    std::optional<Combination> by_sum;
    std::optional<Combination> by_product;
    for (const double first : values) {
        // In a sum the first part is the larger, in a product over a sum the
        // smaller; where the ideal second part lies beyond the first, the
        // first itself is the nearest allowed.
        if (first < wanted) {
            around(wanted - first, [&](double second) {
                if (second <= first)
                    consider(*rows.sum, rows.sum_is_parallel, first, second, by_sum);
            });
            consider(*rows.sum, rows.sum_is_parallel, first, first, by_sum);
        }
        if (first > wanted) {
            around(wanted * first / (first - wanted), [&](double second) {
                if (second >= first) {
                    consider(*rows.product_over_sum, !rows.sum_is_parallel, first, second,
                             by_product);
                }
            });
            consider(*rows.product_over_sum, !rows.sum_is_parallel, first, first, by_product);
        }
    }
    add_range(*rows.sum, tolerance, by_sum, out.evaluations);
    add_range(*rows.product_over_sum, tolerance, by_product, out.evaluations);
    (rows.sum_is_parallel ? out.parallel : out.series) = by_sum;
    (rows.sum_is_parallel ? out.series : out.parallel) = by_product;
    return out;
}

CombinedResult combined_result(const FormulaInfo& formula, const std::array<double, 4>& values,
                               const std::array<double, 4>& tolerances, int argument,
                               const Combination& combination, double tolerance) {
    CombinedResult out;
    const Formula& row = *row_of(formula);
    const auto p = static_cast<std::size_t>(argument);
    Values at = values;
    Values spread = tolerances;
    at[p] = combination.value;
    const Evaluation nominal = row.evaluate(at);
    out.nominal = nominal.value;
    out.evaluations = 1;
    if (monotone_in_each_value(row.shape)) {
        // Monotone in the value: its extremes are at the combination's own.
        spread[p] = 0.0;
        out.min = INF;
        out.max = -INF;
        for (const double end : {combination.min, combination.max}) {
            at[p] = end;
            const Range range = range_of(row, at, spread);
            out.evaluations += range.evaluations;
            if (std::isnan(range.min) || std::isnan(range.max)) {
                out.min = out.max = NAN_VALUE;
                return out;
            }
            out.min = std::min(out.min, range.min);
            out.max = std::max(out.max, range.max);
        }
        return out;
    }
    // The resonance: the combination's box as its tolerance about its value
    // (the same box but for the last place).
    spread[p] = tolerance;
    const Range range = range_of(row, at, spread);
    out.evaluations += range.evaluations;
    out.min = range.min;
    out.max = range.max;
    return out;
}

}  // namespace zorvane::host
