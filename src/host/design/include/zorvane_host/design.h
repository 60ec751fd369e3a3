// Design: the standard parts that provably meet a requirement.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "zorvane_host/formulas.h"
#include "zorvane_host/parts.h"

namespace zorvane::host {

//   --series E96 voltage_divider 12±5% ? ? = 3.3±3%
//
// One or two values written ?, each a resistance, capacitance or inductance
// (of one kind or of two), a window on the result, and per kind of part a
// series, the parts' tolerance and the values searched. A candidate is a
// choice of standard values; it passes when its worst case (every part within
// its tolerance and every other value within its own, worst_case_range's
// exact extremes) lies inside the window, ends included.
//
// Ranking, best first:
//   1. the larger margin: the smaller of (min - low) and (high - max), over
//      the window's width (negative when the worst case leaves the window);
//   2. the smaller nominal error: |nominal - centre| over the window's width;
//   3. fewer distinct values (10 kΩ and 10 kΩ are one part number);
//   4. smaller values: the lower sum of the values' steps above the bottom of
//      their search windows, then the smaller first value.
// Margins and nominal errors are compared in steps of 2^-30 of the window's
// width (floor(x * 2^30)), so that results a few units in the last place
// apart tie and the later rules decide.
//
// Candidates alike but for their decades are one: each value the same
// standard value in its own decade (2.4 k/910 and 24 k/9.1 k; 1.6 k/100 n
// and 16 k/10 n, R x 10 with C x 0.1), with the same margin, nominal error
// and worst case (its ends' distances to the window's ends) in those steps.
// The one ranked first stands for them and lists the others (`also`); the
// steps ensure that no candidate the ranking tells apart is folded away.

// What a design knows about one kind of part. `per_kind`: the options named
// this kind alone (R=E96), so a formula without such a part is an error
// rather than a setting that does not apply.
struct PartChoice {
    std::optional<Series> series;      // needed for every kind written ?
    std::optional<double> tolerance;   // relative, 0 <= t < 1; default: the series'
    std::optional<PartWindow> window;  // default: default_part_window
    bool series_per_kind = false;
    bool tolerance_per_kind = false;
    bool window_per_kind = false;
};

struct DesignRequest {
    const FormulaInfo* formula = nullptr;
    std::array<double, 4> values{};       // the known values; an unknown's is not read
    std::array<double, 4> tolerances{};   // relative, of the known values
    std::array<int, 2> unknowns{-1, -1};  // argument positions, the second -1 for one unknown
    double low = 0.0;                     // the window on the result, both ends included
    double high = 0.0;
    // The result wanted, which nominal errors are measured from: 3.3 of
    // 3.3±3%; the window's middle when not given.
    std::optional<double> centre;
    std::array<PartChoice, PART_KIND_COUNT> parts{};  // by PartKind
    int top = DEFAULT_TOP;                            // candidates kept, best first
    bool suggest = true;  // when none passes: search again for what would make one pass
};

struct DesignCandidate {
    std::array<double, 2> values{};  // the standard values, in the order of `unknowns`
    double nominal = 0.0;            // the result at those values, the others nominal
    double min = 0.0;                // the worst case
    double max = 0.0;
    double margin = 0.0;     // min(min - low, high - max) / (high - low); >= 0 passes
    double deviation = 0.0;  // (nominal - centre) / |centre|; nominal - centre for a centre of 0
    // The candidates alike but for their decades (see the ranking), lowest
    // powers first: their values, and each value's power of ten from this
    // candidate's (24 k/9.1 k from 2.4 k/910: {1, 1}).
    struct OtherDecade {
        std::array<double, 2> values{};
        std::array<int, 2> powers{};
    };
    std::vector<OtherDecade> also;
};

// When nothing passes, what would make the best candidate, or some
// candidate, pass.
struct DesignRemedy {
    // The window the best candidate's worst case needs: its min and max
    // joined with the window asked for.
    double low = 0.0;
    double high = 0.0;
    // The loosest of 10, 5, 2, 1, 0.5, 0.25 and 0.1 %, below the parts'
    // tolerance, that lets a candidate pass; nothing when none does.
    std::optional<double> tolerance;
    // The coarsest finer series (with its own tolerance, unless the request
    // named one) that lets a candidate pass; nothing when none does.
    std::optional<Series> series;
};

struct Design {
    std::string error;  // why the request cannot be designed ("" when it can), a sentence
    std::vector<DesignCandidate> candidates;  // passing, best first, at most `top`
    long passing = 0;                         // how many pass in all, every decade counted
    std::optional<DesignCandidate> best;      // the best candidate, passing or not
    std::optional<DesignRemedy> remedy;       // when none passes (and `suggest`)
    // No part and no value carries a tolerance: the window is checked against
    // nominal results only.
    bool nominal_only = false;
    std::array<Series, 2> series{};                   // in effect, per unknown
    std::array<double, 2> part_tolerances{};          // in effect, per unknown
    std::array<std::array<double, 2>, 2> searched{};  // the window of values searched, per unknown
    long searched_candidates = 0;                     // the choices the search space holds
    long evaluations = 0;  // of the formula's arithmetic, the remedies' searches included
};
Design design(const DesignRequest& request);

}  // namespace zorvane::host
