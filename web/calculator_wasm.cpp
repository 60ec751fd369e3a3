// The calculator's face towards JavaScript. ElectronicsCalc is exported as
// it is: programs hand it UTF-16 in the module's memory, as a native host
// does. Everything a person sees besides the module's line (engineering
// reading, notation, hints, the formula list, the reference file) comes from
// src/host through the functions below, so the page shows what zorvane-calc
// shows and nothing is written a second time in JavaScript.
//
// Text crosses as zero-terminated UTF-8. A returned pointer stays valid
// until the next call of any of these functions.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zorvane_host/host.h"

namespace {

using zorvane::host::Answer;
using zorvane::host::FormulaInfo;
using zorvane::host::Kind;
using zorvane::host::PromptWord;

zorvane::host::Calculator calculator;
std::string reply;

// Keys in the order they are written, as the replies are documented.
using Json = nlohmann::ordered_json;

// `value` as the reply, kept in `reply` until the next call. Bytes that are
// not UTF-8 (a value typed in another encoding, echoed back) become U+FFFD
// instead of ending the module.
const char* send(const Json& value) {
    reply = value.dump(-1, ' ', false, Json::error_handler_t::replace);
    return reply.c_str();
}

// A number for JSON, which lacks infinities and NaN: those are null.
Json number(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

template <typename Range>
Json strings(const Range& items) {
    Json out = Json::array();
    for (const auto& item : items) out.push_back(std::string(item));
    return out;
}

// The description as prose for the page. The module's character set has no
// pi, so its reference writes "2?f" where 2πf is meant; the reference file
// keeps those bytes, the page shows the symbol.
std::string prose(std::string_view description) {
    std::string out;
    for (std::size_t i = 0; i < description.size(); ++i) {
        const bool pi = description[i] == '?' && i > 0 && description[i - 1] == '2' &&
                        i + 1 < description.size() && description[i + 1] == 'f';
        if (pi) {
            out += "\u03c0";
        } else {
            out += description[i];
        }
    }
    return out;
}

// The series at `index` of the list the module gives (zc_series), or none.
std::optional<zorvane::host::Series> series_at(int index) {
    if (index < 0 || index > static_cast<int>(zorvane::host::Series::e192)) return std::nullopt;
    return static_cast<zorvane::host::Series>(index);
}

Json formula_json(const FormulaInfo& formula) {
    return Json{{"keyword", formula.keyword},
                {"category", formula.category},
                {"label", formula.label},
                {"unit", formula.unit},
                {"usage", zorvane::host::usage(formula)},
                {"reference", zorvane::host::reference_line(formula)},
                {"description", prose(formula.description)},
                {"argumentUnits", strings(formula.argument_units)},
                {"arguments", strings(formula.arguments)}};
}

std::string_view prompt_word_name(PromptWord::Kind kind) {
    switch (kind) {
        case PromptWord::Kind::none:
            return "none";
        case PromptWord::Kind::quit:
            return "quit";
        case PromptWord::Kind::help:
            return "help";
        case PromptWord::Kind::help_name:
            return "help_name";
    }
    return "none";
}

// A formula whose result has `unit`, so that values of any quantity render
// as results of that unit do. Null when no result has that unit.
const FormulaInfo* formula_with_unit(std::string_view unit) {
    const auto all = zorvane::host::formulas();
    const auto* found =
        std::find_if(all.begin(), all.end(), [&](const FormulaInfo& f) { return f.unit == unit; });
    return found == all.end() ? nullptr : found;
}

}  // namespace

extern "C" {

// Every formula of the table as a JSON array.
EMSCRIPTEN_KEEPALIVE const char* zc_formulas() {
    Json all = Json::array();
    for (const FormulaInfo& formula : zorvane::host::formulas()) {
        all.push_back(formula_json(formula));
    }
    return send(all);
}

// One command with the input notation, as zorvane-calc --eng evaluates it:
// {"kind", "error", "guarded", "line", "eng", "note", "lineNote", "hints": [...]}.
// error is the answer's own verdict; note says why a guarded result is 0. A
// question (?, =, ±) is answered as the tool answers it, with kind "answer"
// or "error".
EMSCRIPTEN_KEEPALIVE const char* zc_evaluate(const char* command) {
    const std::string_view text(command);
    if (zorvane::host::is_question(text)) {
        reply = zorvane::host::answer_json(zorvane::host::ask(text));
    } else {
        reply = zorvane::host::answer_json(text, calculator.evaluate(text));
    }
    return reply.c_str();
}

// What a line typed at the prompt asks for, as zorvane-calc's prompt reads
// it: {"word": "none" | "quit" | "help" | "help_name" | "comment", "name"}.
EMSCRIPTEN_KEEPALIVE const char* zc_prompt_word(const char* line) {
    const std::string_view text(line);
    const std::size_t first = text.find_first_not_of(" \t");
    // zorvane-calc answers a comment line with an empty line.
    if (first != std::string_view::npos && text[first] == '#') {
        return send(Json{{"word", "comment"}, {"name", ""}});
    }
    const PromptWord word = zorvane::host::prompt_word(text);
    return send(Json{{"word", prompt_word_name(word.kind)}, {"name", word.name}});
}

// The value of one command with the input notation; NaN unless it is a result.
EMSCRIPTEN_KEEPALIVE double zc_value(const char* command) {
    const Answer& answer = calculator.evaluate(command, {.expand = true, .engineering = false});
    return answer.kind == Kind::result ? answer.value : std::nan("");
}

// One value as typed into a field of the argument `argument` of formula
// `row` (the table's order; -1 and -1: any value without a unit):
// {"value", "problem"}, the problem "" when the value reads.
EMSCRIPTEN_KEEPALIVE const char* zc_read_value(const char* value, int row, int argument) {
    const auto all = zorvane::host::formulas();
    const FormulaInfo* formula = row >= 0 && static_cast<std::size_t>(row) < all.size()
                                     ? &all[static_cast<std::size_t>(row)]
                                     : nullptr;
    const zorvane::host::ValueReading reading = zorvane::host::read_value(value, formula, argument);
    return send(Json{{"problem", reading.problem},
                     {"value", reading.problem.empty() ? number(reading.value) : Json(nullptr)}});
}

// The command with its input notation expanded, as the module receives it.
EMSCRIPTEN_KEEPALIVE const char* zc_expand(const char* command) {
    reply.clear();
    zorvane::host::expand_notation(command, reply);
    return reply.c_str();
}

// `value` in engineering notation as a result in `unit` shows it ("1 kHz").
EMSCRIPTEN_KEEPALIVE const char* zc_format(double value, const char* unit) {
    const FormulaInfo* formula = formula_with_unit(unit);
    if (formula == nullptr) formula = formula_with_unit("");
    reply = zorvane::host::engineering_value(value, *formula);
    return reply.c_str();
}

// ---- Questions: solving, standard values, ranges, pairs ----

// The index of the series named `name` ("E24" or "e24") among E3, E6, E12,
// E24, E48, E96, E192; -1 for none.
EMSCRIPTEN_KEEPALIVE int zc_series(const char* name) {
    const auto series = zorvane::host::series_named(name);
    return series ? static_cast<int>(*series) : -1;
}

// "voltage_divider 12 10k ? = 3.3", with the standard neighbours of the
// series at `series` (-1: none): {"error", "line", "eng", "hints",
// "evaluations", "argument", "index", "unit", "target", "solutions",
// "standard": [{"value", "result", "deviation"}]}.
EMSCRIPTEN_KEEPALIVE const char* zc_solve(const char* command, int series) {
    zorvane::host::QuestionOptions options;
    options.series = series_at(series);
    reply = zorvane::host::answer_json(zorvane::host::solve(command, options));
    return reply.c_str();
}

// {"below", "above", "nearest"} in the series at `series`, or null.
EMSCRIPTEN_KEEPALIVE const char* zc_standard_values(double value, int series) {
    const auto which = series_at(series);
    const auto found = which ? zorvane::host::standard_values(value, *which) : std::nullopt;
    if (!found) return send(nullptr);
    return send(Json{{"below", number(found->below)},
                     {"above", number(found->above)},
                     {"nearest", number(found->nearest)}});
}

// "voltage_divider 12 10k±1% 4.7k": {"error", "line", "eng", "hints",
// "evaluations", "value", "min", "max"}.
EMSCRIPTEN_KEEPALIVE const char* zc_range(const char* command) {
    reply = zorvane::host::answer_json(zorvane::host::range(command));
    return reply.c_str();
}

// "voltage_divider 12 ? ? = 3.3" in the series at `series`: {"error",
// "line", "eng", "hints", "evaluations", "arguments", "indices", "unit",
// "values", "result", "target", "deviation"}.
EMSCRIPTEN_KEEPALIVE const char* zc_pairs(const char* command, int series) {
    const auto which = series_at(series);
    if (!which) return send(nullptr);
    reply = zorvane::host::answer_json(zorvane::host::pair(command, *which));
    return reply.c_str();
}

// ---- Statistics ----

// Why `samples` is no number of samples a run takes ("" when it is one).
EMSCRIPTEN_KEEPALIVE const char* zc_samples_problem(double samples) {
    reply = zorvane::host::samples_from(samples).problem;
    return reply.c_str();
}

// The index of the distribution named `name` (uniform 0, normal 1), or -1.
EMSCRIPTEN_KEEPALIVE int zc_distribution(const char* name) {
    const auto distribution = zorvane::host::distribution_named(name);
    return distribution ? static_cast<int>(*distribution) : -1;
}

// Whether `seed` is a seed: decimal digits, 0 to 2^64 - 1.
EMSCRIPTEN_KEEPALIVE int zc_seed_valid(const char* seed) {
    return zorvane::host::seed_from(seed).has_value() ? 1 : 0;
}

// "voltage_divider 12±5% 10k±1% 4k7±1% = 3.3±3%" with `samples` samples
// (checked by zc_samples_problem; 0 for none) of the distribution at
// `distribution` from `seed` (checked by zc_seed_valid): the statistics
// answer as zorvane-calc --json writes it.
EMSCRIPTEN_KEEPALIVE const char* zc_monte_carlo(const char* command, double samples,
                                                int distribution, const char* seed) {
    zorvane::host::StatisticsOptions options;
    options.samples = samples == 0.0 ? 0 : zorvane::host::samples_from(samples).samples;
    options.distribution = distribution == 1 ? zorvane::host::Distribution::normal
                                             : zorvane::host::Distribution::uniform;
    options.seed = zorvane::host::seed_from(seed).value_or(zorvane::host::DEFAULT_SEED);
    reply = zorvane::host::answer_json(zorvane::host::simulate(command, {}, options));
    return reply.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* zc_help_summary() {
    reply = zorvane::host::help_summary();
    return reply.c_str();
}

// The reference file's exact bytes (Windows-1252): zc_reference_size() of
// them, from zc_reference().
EMSCRIPTEN_KEEPALIVE const char* zc_reference() {
    reply = zorvane::host::reference_file_bytes();
    return reply.data();
}

EMSCRIPTEN_KEEPALIVE std::size_t zc_reference_size() { return reply.size(); }

}  // extern "C"
