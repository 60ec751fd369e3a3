// Design questions as people type them, their answers and their JSON.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zorvane_host/combination.h"
#include "zorvane_host/design.h"
#include "zorvane_host/question.h"
#include "zorvane_host/solve.h"
#include "zorvane_host/statistics.h"

namespace zorvane::host {

//   --series E96 voltage_divider 12±5% ? ? = 3.3±3%
//   --series R=E24,C=E12 rc_lowpass_cutoff ? ? = 1kHz±10%
//   --series E24 --combine 2 voltage_divider 12 10k ? = 3.3
//
// A question with one or two values written ? and a window after '=' (a
// tolerance or two limits) is a design: --series (one for every kind or per
// kind), --tolerance, --within and --top set its parts and how many
// candidates are listed. --combine 2 after a solve adds the best series and
// parallel pair of standard values for the solution.

// Whether a question asks for a design: a value written ? and a window.
bool is_design_question(const Question& question) noexcept;

// A design's answer. `lines`: a heading ("Output Voltage within 3.201000 ..
// 3.399000 V: 31 of 9409 candidates (every decade counted) pass the worst
// case (R E24 1%), best first:"), then one line per candidate, its other
// decades named after its values ("1. r1 = 2400 Ω, r2 = 910 Ω (also ×10,
// ×100): 3.299094 V (-0.03%), worst case 3.251466 .. 3.347152 V, margin
// 25.49%"; "(also 16000 Ω with 1e-08 F)" where the values move apart);
// `line` is all of them on one line, for hosts that answer each command
// with one. When none passes, an error line, and hints with the best
// candidate and what would make one pass.
struct Designed : Reply {
    Design design;
    std::array<int, 2> arguments{-1, -1};  // which values were ?
    std::array<std::string_view, 2> names{};
    std::array<std::string_view, 2> units{};
    double low = 0.0;  // the window on the result
    double high = 0.0;
    double centre = 0.0;
    std::vector<std::string> lines;
    std::vector<std::string> engineering_lines;
    // With --mc: each listed candidate's yield, the fraction of samples (its
    // parts and the other values spread within their tolerances, as the
    // statistics draw them) inside the window, in the candidates' order.
    std::uint64_t samples = 0;
    std::uint64_t seed = DEFAULT_SEED;
    Distribution distribution = Distribution::uniform;
    std::vector<double> yields;
    std::optional<double> best_yield;  // the best candidate's, when none passes
};
Designed design(std::string_view command, const QuestionSettings& beside = {}, bool expand = true);
Designed design(const ReadCommand& command, const QuestionSettings& beside);

// A solve followed by the best two-part combinations for its first
// solution: "r2 = 3793.103448275862 Ω; two E24 parts: 3600 Ω + 200 Ω =
// 3800 Ω → 3.300000 V (+0.00%, 3.260870 .. 3.337748 V), 3900 Ω ∥ 130000 Ω
// = ...". The parts' tolerance is --tolerance, else the series'.
struct CombinedPart {
    Combination combination;
    CombinedResult result;
};
struct SolvedInParts : Solved {
    std::vector<CombinedPart> combinations;  // series first, then parallel
    double part_tolerance = 0.0;
};
SolvedInParts solve_in_parts(std::string_view command, const QuestionSettings& beside = {},
                             bool expand = true);
SolvedInParts solve_in_parts(const ReadCommand& command, const QuestionSettings& beside);

// A design as one JSON object on one line, for programs (the JavaScript
// module's calc.design): {"kind": "design", "error", "line", "eng", "hints",
// "evaluations", "lines", "engLines", "arguments", "indices", "units",
// "window": {"low", "high", "centre"}, "nominalOnly", "series",
// "tolerances", "tried", "passing", "candidates": [{"values", "nominal",
// "min", "max", "margin", "deviation", "also": the other decades' values,
// [[24000, 9100], ...]}], "best" (a candidate, or null),
// "remedy" (null, or {"window": {"low", "high"}, "tolerance", "series"})}.
// A design that ran but found no candidate has "error": true and all of
// these; a request it could not run is {"kind": "error", "error": true,
// "line", "eng", "hints", "evaluations"}. Numbers in the shortest form that
// reads back as the same double.
std::string design_json(const Designed& designed);

// Whether the design was searched: its answer, an error line too when no
// candidate passes, carries the search's figures ("kind" "design"), where a
// request the design refuses before searching is a plain error.
bool design_searched(const Designed& designed) noexcept;

}  // namespace zorvane::host
