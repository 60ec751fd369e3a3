// The one dispatch: whatever a command asks, answered once, as a reply or
// as one JSON object.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "zorvane_host/calculator.h"
#include "zorvane_host/design_question.h"
#include "zorvane_host/pair.h"
#include "zorvane_host/question.h"
#include "zorvane_host/range.h"
#include "zorvane_host/reply.h"
#include "zorvane_host/solve.h"
#include "zorvane_host/statistics.h"

namespace zorvane::host {

// ---- One command, one typed answer ----

// A command the module answers itself (options written before it are left
// be): its answer, and the command the module was given.
struct Forwarded : Reply {
    std::string command;
    Answer answer;
};

// The answer to one command, of its own kind and whole: a host renders it,
// never asks again or decides the kind itself.
using Answered =
    std::variant<Forwarded, Solved, SolvedInParts, Ranged, Paired, Simulated, Designed>;

// Reads `command` once and answers it by the first kind of question it asks
// (the table of kinds in dispatch.cpp), with options passed beside it as
// well as those written in it (which win).
Answered answer(std::string_view command, const QuestionSettings& beside = {}, bool expand = true);

// The module's own kind of answer as every host names it: "result",
// "empty", "invalid_number", "unknown_formula", "too_long",
// "reference_written", "reference_failed".
std::string_view kind_name(Kind kind) noexcept;

// What every answer has: the line, the engineering line, the hints.
const Reply& reply_of(const Answered& answered);

// The answer's kind as every host names it (JSON's "kind"): "solve",
// "range", "pair", "statistics", "design", the module's own kinds
// ("result", "invalid_number", ...), or "error" for a question's error line.
std::string_view kind_name(const Answered& answered);

// The answer as one JSON object on one line, its fields by its kind.
std::string answer_json(const Answered& answered);

// Whichever question the command asks (options.series decides between a
// pair and an error for two ?); for a command that asks none, the
// Calculator's answer.
Reply ask(std::string_view command, const QuestionOptions& options = {});

// Answers a question with options passed beside it as well as those written
// in it (which win): a solve, a pair, a range, statistics (a window after
// '=', --mc, --seed, --distribution), a design (a value written ? and a
// window) or a solve in two parts (--combine 2); for a command that asks
// none, the Calculator's answer.
Reply ask(std::string_view command, const QuestionSettings& beside, bool expand = true);

// Whether `simulate` answers `command`: values with tolerances and no value
// written ?, and either a window after '=' or samples asked for (in the
// command or in `beside`).
bool is_statistics_question(std::string_view command, const QuestionSettings& beside,
                            bool expand = true);

// ---- Answers as JSON ----
//
// Each answer as one JSON object on one line (no line end), with the field
// names of the JavaScript module's answers; docs/answer.schema.json
// describes them. Numbers are written in the shortest form that reads back
// as the same double, the same bytes on every platform; infinities and NaN
// as null. Every object has "kind", "error", "line", "eng" and "hints".

// A command the module answers (not a question), as `evaluate` gives it:
// {"kind" ("result", "empty", "invalid_number", "unknown_formula",
// "too_long", "reference_written", "reference_failed"), "line", "eng",
// "error", "guarded", "note" (why a guarded result is 0), "lineNote", "hints"}.
std::string answer_json(std::string_view command, const Answer& answer);
// Any question's reply as one line: {"kind": "answer" or "error", "error",
// "guarded": false, "line", "eng", "note": "", "lineNote": "", "hints"}.
std::string answer_json(const Reply& reply);
// The questions with their own fields; "kind" is "solve", "range" or
// "pair", or "error" for an error line (which has the common fields and
// "evaluations" only).
std::string answer_json(
    const Solved& solved);  // + argument, index, unit, target, solutions, standard
std::string answer_json(const Ranged& ranged);  // + value, min, max
std::string answer_json(
    const Paired& paired);  // + arguments, indices, unit, values, result, target, deviation
// kind "statistics": + value, worst {min, max}, window {low, high, inside,
// lowMargin, highMargin} (or null), contributions [{argument, index,
// share}], and after a Monte Carlo run samples, seed, distribution, mean,
// sd, min, max (the smallest and largest sampled), percentiles [{percent,
// value}], exactPercentiles, yield, ppm, cpk (these three null without a
// window), histogram {edges, counts}.
std::string answer_json(const Simulated& simulated);
// A solve in two parts (--combine 2): kind "solve", with its
// combinations [{parallel, first, second, value, result {nominal, min, max}}]
// and the parts' tolerance.
std::string answer_json(const SolvedInParts& solved);

// Whatever `command` asks (a forward command, a question, statistics), as
// one JSON object: what zorvane-calc --json writes.
struct JsonAnswer {
    std::string json;
    bool error = false;  // the answer is an error line
};
JsonAnswer json_answer(std::string_view command, const QuestionSettings& beside,
                       bool expand = true);
JsonAnswer json_answer(std::string_view command);

}  // namespace zorvane::host
