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
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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

Json numbers(const std::vector<double>& values) {
    Json out = Json::array();
    for (const double value : values) out.push_back(number(value));
    return out;
}

template <typename Range>
Json strings(const Range& items) {
    Json out = Json::array();
    for (const auto& item : items) out.push_back(std::string(item));
    return out;
}

// "<inner_diameter>" as a person reads it: "inner diameter".
std::string argument_words(std::string_view argument) {
    if (argument.starts_with('<')) argument.remove_prefix(1);
    if (argument.ends_with('>')) argument.remove_suffix(1);
    std::string words(argument);
    std::replace(words.begin(), words.end(), '_', ' ');
    return words;
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

// Why a guarded result is 0: the arguments typed as zero, named. The guards
// answer for zero operands only, so a guarded result always has one unless
// a product of values underflowed to zero.
std::string guard_note(std::string_view command, const Answer& answer) {
    std::string expanded;
    zorvane::host::expand_notation(command, expanded);
    std::vector<std::string> tokens;
    std::size_t at = 0;
    while (at < expanded.size()) {
        const std::size_t start = expanded.find_first_not_of(' ', at);
        if (start == std::string::npos) break;
        const std::size_t end = std::min(expanded.find(' ', start), expanded.size());
        tokens.emplace_back(expanded.substr(start, end - start));
        at = end;
    }
    std::vector<std::string> zero;
    const auto& arguments = answer.formula->arguments;
    for (std::size_t i = 0; i < arguments.size() && i + 1 < tokens.size(); ++i) {
        char* end = nullptr;
        const double value = std::strtod(tokens[i + 1].c_str(), &end);
        if (end != tokens[i + 1].c_str() && *end == '\0' && value == 0.0)
            zero.push_back(argument_words(arguments[i]));
    }
    std::string note;
    for (std::size_t i = 0; i < zero.size(); ++i) {
        if (i > 0) note += i + 1 == zero.size() ? " and " : ", ";
        note += zero[i];
    }
    if (!note.empty()) note += zero.size() == 1 ? " is 0: " : " are 0: ";
    // A guarded part of a larger formula (the reactance of an impedance)
    // leaves a result that is not 0 but is no physical answer either.
    note += answer.value == 0.0
                ? "the formula divides by zero, and the module answers 0"
                : "the formula divides by zero there, and the module counts that part as 0";
    return note;
}

// What a reader of the module's own line needs told: its "?" for the ohm
// sign, which the module's character set lacks.
std::string_view line_note(const Answer& answer) {
    if (answer.kind == Kind::result && answer.formula->unit == "\u03a9" &&
        answer.line.ends_with('?')) {
        return "the ? at the end is the ohm sign \u03a9, which the module's character set lacks";
    }
    return "";
}

// What every answer to a question has: {"error", "line", "eng",
// "evaluations", "hints"}; the caller adds its own fields.
Json reply_json(const zorvane::host::Reply& answer) {
    return Json{{"error", answer.error},
                {"line", answer.line},
                {"eng", answer.engineering},
                {"evaluations", answer.evaluations},
                {"hints", strings(answer.hints)}};
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

std::string_view kind_name(Kind kind) {
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

// A formula whose result has `unit`, so that values of any quantity render
// as results of that unit do. Null when no result has that unit.
const FormulaInfo* formula_with_unit(std::string_view unit) {
    const auto all = zorvane::host::formulas();
    const auto* found =
        std::find_if(all.begin(), all.end(), [&](const FormulaInfo& f) { return f.unit == unit; });
    return found == all.end() ? nullptr : found;
}

// An argument of some formula whose unit is `unit`, to read a value in
// that unit as a field of it reads; a null formula (no unit) for none.
std::pair<const FormulaInfo*, int> argument_with_unit(std::string_view unit) {
    if (unit.empty()) return {nullptr, -1};
    for (const FormulaInfo& formula : zorvane::host::formulas()) {
        const auto units = formula.argument_units;
        const auto* found = std::find(units.begin(), units.end(), unit);
        if (found != units.end()) return {&formula, static_cast<int>(found - units.begin())};
    }
    return {nullptr, -1};
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
        const zorvane::host::Reply question = zorvane::host::ask(text);
        return send(Json{{"kind", question.error ? "error" : "answer"},
                         {"error", question.error},
                         {"guarded", false},
                         {"line", question.line},
                         {"eng", question.engineering},
                         {"note", ""},
                         {"lineNote", ""},
                         {"hints", strings(question.hints)}});
    }
    const Answer& answer = calculator.evaluate(text);
    const bool guarded = answer.kind == Kind::result && answer.guarded;
    return send(Json{{"kind", kind_name(answer.kind)},
                     {"line", answer.line},
                     {"eng", answer.engineering},
                     {"error", answer.is_error()},
                     {"guarded", guarded},
                     {"note", guarded ? guard_note(text, answer) : std::string()},
                     {"lineNote", line_note(answer)},
                     {"hints", strings(zorvane::host::hints(text, answer))}});
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
// `row` (the table's order; -1 and -1: any value without a unit; the
// argument count: the result wanted after "=", in the result's unit):
// {"value", "problem"}, the problem "" when the value reads.
EMSCRIPTEN_KEEPALIVE const char* zc_read_value(const char* value, int row, int argument) {
    const auto all = zorvane::host::formulas();
    const FormulaInfo* formula = row >= 0 && static_cast<std::size_t>(row) < all.size()
                                     ? &all[static_cast<std::size_t>(row)]
                                     : nullptr;
    if (formula != nullptr && argument >= 0 &&
        static_cast<std::size_t>(argument) == formula->arguments.size()) {
        const auto [reader, place] = argument_with_unit(formula->unit);
        formula = reader;
        argument = place;
    }
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
    const zorvane::host::Solved solved = zorvane::host::solve(command, options);
    Json out = reply_json(solved);
    if (!solved.error) {
        out["argument"] = solved.argument_name;
        out["index"] = solved.argument;
        out["unit"] = solved.unit;
        out["target"] = number(solved.target);
        out["solutions"] = numbers(solved.solutions);
        Json standard = Json::array();
        for (const zorvane::host::StandardNeighbour& neighbour : solved.standard) {
            standard.push_back(Json{{"value", number(neighbour.value)},
                                    {"result", number(neighbour.result)},
                                    {"deviation", number(neighbour.deviation)}});
        }
        out["standard"] = std::move(standard);
    }
    return send(out);
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
    const zorvane::host::Ranged ranged = zorvane::host::range(command);
    Json out = reply_json(ranged);
    if (!ranged.error) {
        out["value"] = number(ranged.value);
        out["min"] = number(ranged.min);
        out["max"] = number(ranged.max);
    }
    return send(out);
}

// "voltage_divider 12 ? ? = 3.3" in the series at `series`: {"error",
// "line", "eng", "hints", "evaluations", "arguments", "indices", "unit",
// "values", "result", "target", "deviation"}.
EMSCRIPTEN_KEEPALIVE const char* zc_pairs(const char* command, int series) {
    const auto which = series_at(series);
    if (!which) return send(nullptr);
    const zorvane::host::Paired paired = zorvane::host::pair(command, *which);
    Json out = reply_json(paired);
    if (!paired.error) {
        out["arguments"] = strings(paired.names);
        out["indices"] = Json::array({paired.arguments[0], paired.arguments[1]});
        out["unit"] = paired.unit;
        out["values"] = numbers({paired.values[0], paired.values[1]});
        out["result"] = number(paired.result);
        out["target"] = number(paired.target);
        out["deviation"] = number(paired.deviation);
    }
    return send(out);
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
