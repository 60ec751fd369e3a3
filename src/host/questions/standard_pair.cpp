// The pair of standard parts whose result comes nearest a target.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "formula_table.h"
#include "rendering.h"
#include "worst_case.h"
#include "zorvane_host/pair.h"
#include "zorvane_host/parts.h"

namespace zorvane::host {
namespace {

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
    const std::optional<PartKind> kind = part_kind(a.unit.utf8);
    if (!kind || a.unit.utf8 != b.unit.utf8) return std::nullopt;
    // The window holds positive values only, where every shape but resonance
    // is monotone in each value; anything else is searched pair by pair.
    const std::optional<Shape> shape = shape_of(row);
    const bool monotone = shape && monotone_in_each_value(*shape);
    PairSearch search(row, values, first, second, target,
                      values_within(series, default_part_window(*kind)));
    return search.run(monotone);
}

}  // namespace zorvane::host
