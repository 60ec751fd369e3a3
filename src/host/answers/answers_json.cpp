// Every answer as one JSON object, the form programs read: the JavaScript
// module's answers, zorvane-calc --json (JSON Lines) and the Python package
// all take their objects from here, so a field is named and filled once.
// docs/answer.schema.json describes the objects.
//
// Written with nlohmann/json: keys in the order they are documented, numbers
// in the shortest form that reads back as the same double (the library's own
// conversion, the same bytes on every platform, never the locale's), and
// infinities and NaN, which JSON lacks, as null. Bytes that are not UTF-8 (a
// value typed in another encoding, echoed back) become U+FFFD.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "json_values.h"
#include "kinds.h"
#include "zorvane_host/answers.h"
#include "zorvane_host/hints.h"

namespace zorvane::host {
namespace {

using json_values::Json;
using json_values::number;
using json_values::numbers;
using json_values::strings;

std::string dumped(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

std::string_view kind_name(Kind kind) noexcept {
    switch (kind) {
        case Kind::empty:
            return "empty";
        case Kind::too_long:
            return "too_long";
        case Kind::invalid_number:
            return "invalid_number";
        case Kind::unknown_formula:
            return "unknown_formula";
        case Kind::result:
            return "result";
        case Kind::reference_written:
            return "reference_written";
        case Kind::reference_failed:
            return "reference_failed";
    }
    return "empty";
}

namespace {

// What a reader of the module's own line needs told: its "?" for the ohm
// sign, which the module's character set lacks.
std::string_view line_note(const Answer& answer) {
    if (answer.kind == Kind::result && answer.formula->unit == "\u03a9" &&
        answer.line.ends_with('?')) {
        return "the ? at the end is the ohm sign \u03a9, which the module's character set lacks";
    }
    return "";
}

// What every answer to a question has; the kind is the question's, or
// "error" for an error line.
Json reply_object(const Reply& reply, std::string_view kind) {
    return Json{{"kind", reply.error ? std::string_view("error") : kind},
                {"error", reply.error},
                {"line", reply.line},
                {"eng", reply.engineering},
                {"evaluations", reply.evaluations},
                {"hints", strings(reply.hints)}};
}

Json solved_object(const Solved& solved) {
    Json out = reply_object(solved, kinds::name_of<Solved>());
    if (solved.error) return out;
    out["argument"] = solved.argument_name;
    out["index"] = solved.argument;
    out["unit"] = solved.unit;
    out["target"] = number(solved.target);
    out["solutions"] = numbers(solved.solutions);
    Json standard = Json::array();
    std::transform(solved.standard.begin(), solved.standard.end(), std::back_inserter(standard),
                   [](const StandardNeighbour& neighbour) {
                       return Json{{"value", number(neighbour.value)},
                                   {"result", number(neighbour.result)},
                                   {"deviation", number(neighbour.deviation)}};
                   });
    out["standard"] = std::move(standard);
    return out;
}

// Each combination of two parts: which connection, the parts, the value
// they make, and the result with it and its worst case.
Json in_parts_object(const SolvedInParts& solved) {
    Json out = solved_object(solved);
    if (solved.error) return out;
    Json combinations = Json::array();
    std::transform(solved.combinations.begin(), solved.combinations.end(),
                   std::back_inserter(combinations), [](const CombinedPart& part) {
                       const Combination& c = part.combination;
                       return Json{{"parallel", c.parallel},
                                   {"first", number(c.first)},
                                   {"second", number(c.second)},
                                   {"value", number(c.value)},
                                   {"result", Json{{"nominal", number(part.result.nominal)},
                                                   {"min", number(part.result.min)},
                                                   {"max", number(part.result.max)}}}};
                   });
    out["combinations"] = std::move(combinations);
    out["partTolerance"] = number(solved.part_tolerance);
    return out;
}

Json ranged_object(const Ranged& ranged) {
    Json out = reply_object(ranged, kinds::name_of<Ranged>());
    if (ranged.error) return out;
    out["value"] = number(ranged.value);
    out["min"] = number(ranged.min);
    out["max"] = number(ranged.max);
    return out;
}

Json paired_object(const Paired& paired) {
    Json out = reply_object(paired, kinds::name_of<Paired>());
    if (paired.error) return out;
    out["arguments"] = strings(paired.names);
    out["indices"] = Json::array({paired.arguments[0], paired.arguments[1]});
    out["unit"] = paired.unit;
    out["values"] = numbers(paired.values);
    out["result"] = number(paired.result);
    out["target"] = number(paired.target);
    out["deviation"] = number(paired.deviation);
    out["partTolerance"] = paired.part_tolerance ? number(*paired.part_tolerance) : Json(nullptr);
    out["worst"] = paired.part_tolerance
                       ? Json{{"min", number(paired.min)}, {"max", number(paired.max)}}
                       : Json(nullptr);
    return out;
}

Json simulated_object(const Simulated& s) {
    Json out = reply_object(s, kinds::name_of<Simulated>());
    if (s.error) return out;
    out["value"] = number(s.value);
    out["worst"] = Json{{"min", number(s.min)}, {"max", number(s.max)}};
    out["window"] = s.has_window ? Json{{"low", number(s.low)},
                                        {"high", number(s.high)},
                                        {"inside", s.inside},
                                        {"lowMargin", number(s.low_margin)},
                                        {"highMargin", number(s.high_margin)}}
                                 : Json(nullptr);
    Json contributions = Json::array();
    std::transform(
        s.contributions.begin(), s.contributions.end(), std::back_inserter(contributions),
        [](const Contribution& c) {
            return Json{{"argument", c.name}, {"index", c.argument}, {"share", number(c.share)}};
        });
    out["contributions"] = std::move(contributions);
    if (s.samples == 0) return out;
    out["samples"] = s.samples;
    out["seed"] = std::to_string(s.seed);  // digits: past 2^53 a JSON number loses them
    out["distribution"] = distribution_name(s.distribution);
    out["mean"] = number(s.mean);
    out["sd"] = number(s.sd);
    out["min"] = number(s.smallest);
    out["max"] = number(s.largest);
    Json percentiles = Json::array();
    for (std::size_t i = 0; i < PERCENTILES.size(); ++i) {
        percentiles.push_back(
            Json{{"percent", PERCENTILES[i]}, {"value", number(s.percentiles[i])}});
    }
    out["percentiles"] = std::move(percentiles);
    out["exactPercentiles"] = s.exact_percentiles;
    out["yield"] = number(s.yield);
    out["ppm"] = number(s.ppm);
    out["cpk"] = number(s.cpk);
    out["histogram"] = Json{{"edges", numbers(s.edges)}, {"counts", s.counts}};
    return out;
}

}  // namespace

std::string answer_json(std::string_view command, const Answer& answer) {
    const bool guarded = answer.kind == Kind::result && answer.guarded;
    return dumped(Json{{"kind", kind_name(answer.kind)},
                       {"line", answer.line},
                       {"eng", answer.engineering},
                       {"error", answer.is_error()},
                       {"guarded", guarded},
                       {"note", guard_note(answer)},
                       {"lineNote", line_note(answer)},
                       {"hints", strings(hints(command, answer))}});
}

std::string answer_json(const Reply& reply) {
    return dumped(Json{{"kind", reply.error ? "error" : "answer"},
                       {"error", reply.error},
                       {"guarded", false},
                       {"line", reply.line},
                       {"eng", reply.engineering},
                       {"note", ""},
                       {"lineNote", ""},
                       {"hints", strings(reply.hints)}});
}

std::string answer_json(const Solved& solved) { return dumped(solved_object(solved)); }
std::string answer_json(const SolvedInParts& solved) { return dumped(in_parts_object(solved)); }
std::string answer_json(const Ranged& ranged) { return dumped(ranged_object(ranged)); }
std::string answer_json(const Paired& paired) { return dumped(paired_object(paired)); }
std::string answer_json(const Simulated& simulated) { return dumped(simulated_object(simulated)); }

}  // namespace zorvane::host
