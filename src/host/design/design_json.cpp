// A design's answer as JSON, the form programs read, written once here for
// every host. nlohmann/json writes numbers in the shortest form that reads
// back as the same double, on every platform and whatever the locale.
#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "json_values.h"
#include "zorvane_host/design_question.h"

namespace zorvane::host {
namespace {

using json_values::Json;
using json_values::number;
using json_values::strings;

// `yield`: the candidate's Monte Carlo yield, when --mc gave one.
Json candidate_json(const Designed& designed, const DesignCandidate& c,
                    std::optional<double> yield = std::nullopt) {
    const std::size_t count = designed.arguments[1] >= 0 ? 2 : 1;
    const auto values_of = [count](const std::array<double, 2>& chosen) {
        Json values = Json::array();
        for (std::size_t u = 0; u < count; ++u) values.push_back(number(chosen[u]));
        return values;
    };
    // The other decades that pass alike, as their values.
    Json also = Json::array();
    std::transform(c.also.begin(), c.also.end(), std::back_inserter(also),
                   [&values_of](const DesignCandidate::OtherDecade& other) {
                       return values_of(other.values);
                   });
    Json out{{"values", values_of(c.values)}, {"nominal", number(c.nominal)},
             {"min", number(c.min)},          {"max", number(c.max)},
             {"margin", number(c.margin)},    {"deviation", number(c.deviation)},
             {"also", std::move(also)}};
    if (yield) out["yield"] = number(*yield);
    return out;
}

// An array of one entry per value searched for, `entry(u)` for the u-th.
template <typename Entry>
Json per_unknown(const Designed& designed, Entry entry) {
    Json array = Json::array();
    const std::size_t count = designed.arguments[1] >= 0 ? 2 : 1;
    for (std::size_t u = 0; u < count; ++u) array.push_back(entry(u));
    return array;
}

// What would make a candidate pass, or null.
Json remedy_json(const Design& d) {
    if (!d.remedy) return nullptr;
    return Json{{"window", Json{{"low", number(d.remedy->low)}, {"high", number(d.remedy->high)}}},
                {"tolerance", d.remedy->tolerance ? number(*d.remedy->tolerance) : Json(nullptr)},
                {"series", d.remedy->series ? Json(std::string(series_name(*d.remedy->series)))
                                            : Json(nullptr)}};
}

// A search's fields: the window, the count, the candidates, the best by
// margin and the remedy.
void add_search(const Designed& designed, Json& out) {
    const Design& d = designed.design;
    out["lines"] = strings(designed.lines);
    out["engLines"] = strings(designed.engineering_lines);
    out["arguments"] =
        per_unknown(designed, [&](std::size_t u) { return std::string(designed.names[u]); });
    out["indices"] = per_unknown(designed, [&](std::size_t u) { return designed.arguments[u]; });
    out["units"] =
        per_unknown(designed, [&](std::size_t u) { return std::string(designed.units[u]); });
    out["window"] = Json{{"low", number(designed.low)},
                         {"high", number(designed.high)},
                         {"centre", number(designed.centre)}};
    out["nominalOnly"] = d.nominal_only;
    out["series"] =
        per_unknown(designed, [&](std::size_t u) { return std::string(series_name(d.series[u])); });
    out["tolerances"] =
        per_unknown(designed, [&](std::size_t u) { return number(d.part_tolerances[u]); });
    out["tried"] = d.searched_candidates;
    out["passing"] = d.passing;
    Json candidates = Json::array();
    for (std::size_t i = 0; i < d.candidates.size(); ++i) {
        candidates.push_back(candidate_json(
            designed, d.candidates[i],
            i < designed.yields.size() ? std::optional(designed.yields[i]) : std::nullopt));
    }
    out["candidates"] = std::move(candidates);
    if (designed.samples > 0) {
        out["samples"] = designed.samples;
        out["seed"] = std::to_string(designed.seed);  // digits: exact past 2^53
        out["distribution"] = std::string(distribution_name(designed.distribution));
    }
    // The best is the first candidate when one passes, and carries its yield.
    const std::optional<double> best_yield =
        !d.candidates.empty() && !designed.yields.empty() ? std::optional(designed.yields[0])
                                                          : designed.best_yield;
    out["best"] = d.best ? candidate_json(designed, *d.best, best_yield) : Json(nullptr);
    out["remedy"] = remedy_json(d);
}

}  // namespace

bool design_searched(const Designed& designed) noexcept {
    return designed.formula != nullptr && designed.design.error.empty() &&
           designed.arguments[0] >= 0;
}

std::string design_json(const Designed& designed) {
    const bool ran = design_searched(designed);
    Json out{{"kind", ran ? "design" : "error"},
             {"error", designed.error},
             {"line", designed.line},
             {"eng", designed.engineering},
             {"hints", strings(designed.hints)},
             {"evaluations", designed.evaluations}};
    if (ran) add_search(designed, out);
    return out.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace zorvane::host
