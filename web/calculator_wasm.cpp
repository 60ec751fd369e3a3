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
#include <cstdint>
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

// The series at `index` of the list the module gives (zc_series), or none.
std::optional<zorvane::host::Series> series_at(int index) {
    if (index < 0 || index > static_cast<int>(zorvane::host::Series::e192)) return std::nullopt;
    return static_cast<zorvane::host::Series>(index);
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

// `object`'s member `key`, or null: read without the library's throwing
// accessors, as the parts come from any caller.
const Json& member(const Json& object, const char* key) {
    static const Json none;
    if (!object.is_object()) return none;
    const auto found = object.find(key);
    return found == object.end() ? none : *found;
}

// `items` when it is an array, else an empty one.
const Json& list(const Json& items) {
    static const Json empty = Json::array();
    return items.is_array() ? items : empty;
}

std::string_view window_part_name(zorvane::host::WindowPart part) {
    switch (part) {
        case zorvane::host::WindowPart::outside:
            return "outside";
        case zorvane::host::WindowPart::partly:
            return "partly";
        case zorvane::host::WindowPart::inside:
            return "inside";
        case zorvane::host::WindowPart::none:
            break;
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

// ---- Questions as the grammar reads them ----

using zorvane::host::Percent;
using zorvane::host::Question;
using zorvane::host::QuestionTarget;

Json optional_number(const std::optional<double>& value) {
    return value ? number(*value) : Json(nullptr);
}

Json percent_text(const std::optional<Percent>& percent) {
    return percent ? Json(percent->text) : Json(nullptr);
}

Json percent_value(const std::optional<Percent>& percent) {
    return percent ? number(percent->value) : Json(nullptr);
}

std::string_view target_form_name(QuestionTarget::Form form) {
    switch (form) {
        case QuestionTarget::Form::tolerance:
            return "tolerance";
        case QuestionTarget::Form::limits:
            return "limits";
        case QuestionTarget::Form::value:
            break;
    }
    return "value";
}

Json target_json(const QuestionTarget& target) {
    Json out{{"form", target_form_name(target.form)},
             {"text", zorvane::host::compose_target(target)},
             {"number", target.number},
             {"reading", optional_number(target.reading)},
             {"tolerance", percent_text(target.tolerance)},
             {"toleranceValue", percent_value(target.tolerance)}};
    out["low"] = target.limits ? Json(target.limits->low_text) : Json(nullptr);
    out["high"] = target.limits ? Json(target.limits->high_text) : Json(nullptr);
    out["lowValue"] = target.limits ? number(target.limits->low) : Json(nullptr);
    out["highValue"] = target.limits ? number(target.limits->high) : Json(nullptr);
    return out;
}

// {"series": "E24", "mc": "100000", ...}: each option's argument as the
// canonical command writes it, keyed by its name without the dashes.
Json options_json(const zorvane::host::QuestionSettings& settings) {
    Json out = Json::object();
    const std::vector<std::string> words = zorvane::host::question_option_words(settings);
    for (std::size_t i = 0; i + 1 < words.size(); i += 2) out[words[i].substr(2)] = words[i + 1];
    return out;
}

Json question_json(const zorvane::host::ParsedQuestion& parsed) {
    const Question& question = parsed.question;
    Json values = Json::array();
    for (const zorvane::host::QuestionValue& value : question.values) {
        values.push_back(Json{{"number", value.unknown ? std::string() : value.number},
                              {"unknown", value.unknown},
                              {"reading", optional_number(value.reading)},
                              {"tolerance", percent_text(value.tolerance)},
                              {"toleranceValue", percent_value(value.tolerance)},
                              {"toleranceProblem", value.tolerance_problem}});
    }
    const auto& series = question.settings.series.every;
    return Json{{"error", parsed.error},
                {"hints", strings(parsed.hints)},
                {"keyword", question.keyword},
                {"formula", question.formula ? Json(question.formula->keyword) : Json(nullptr)},
                {"values", std::move(values)},
                {"target", question.target ? target_json(*question.target) : Json(nullptr)},
                {"options", options_json(question.settings)},
                {"series", series ? Json(zorvane::host::series_name(*series)) : Json(nullptr)}};
}

std::string text_of(const Json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

std::optional<Percent> percent_of(const Json& object) {
    const std::string text = text_of(object, "tolerance");
    if (text.empty()) return std::nullopt;
    return Percent{text, 0.0};
}

// The question whose parts are given as texts; the options through the
// grammar, so a bad one is refused: the error line, or "".
std::string question_from(const Json& parts, Question& question) {
    question.keyword = text_of(parts, "keyword");
    if (const auto values = parts.find("values"); values != parts.end() && values->is_array()) {
        for (const Json& item : *values) {
            zorvane::host::QuestionValue value;
            // (Read without the library's throwing accessors: parts come from any caller.)
            const auto unknown = item.is_object() ? item.find("unknown") : item.end();
            value.unknown = unknown != item.end() && unknown->is_boolean() && unknown->get<bool>();
            if (item.is_string()) value.number = item.get<std::string>();
            if (item.is_object() && !value.unknown) {
                value.number = text_of(item, "number");
                value.tolerance = percent_of(item);
            }
            question.values.push_back(std::move(value));
        }
    }
    if (const auto target = parts.find("target"); target != parts.end() && target->is_object()) {
        QuestionTarget read;
        read.number = text_of(*target, "number");
        read.tolerance = percent_of(*target);
        if (!text_of(*target, "low").empty() || !text_of(*target, "high").empty()) {
            read.limits =
                zorvane::host::Limits{text_of(*target, "low"), text_of(*target, "high"), 0.0, 0.0};
        }
        question.target = std::move(read);
    }
    if (const auto options = parts.find("options");
        options != parts.end() && options->is_object()) {
        if (auto refused =
                zorvane::host::read_question_options(options->dump(), question.settings)) {
            return refused.error;
        }
    }
    return {};
}

// ---- The tool's display options before a command ----

// How zorvane-calc's display options set an answer's reading and showing:
// -e (--eng) prints values in engineering notation, --plain takes values
// as plain numbers only. The tool reads them from its option table, which
// the page cannot link (it is the tool's own); these are its names and
// meanings, and the question's options stay for the grammar.
struct Display {
    bool engineering = false;
    bool expand = true;
};

// Whether `word` is a display option, setting it in `display`.
bool read_display_option(std::string_view word, Display& display) {
    if (word == "-e" || word == "--eng") {
        display.engineering = true;
        return true;
    }
    if (word == "--plain") {
        display.expand = false;
        return true;
    }
    return false;
}

// The leading display options of `line`, and the rest: the command, as typed.
struct DisplayedCommand {
    Display display;
    std::string_view command;
};

DisplayedCommand displayed_command(std::string_view line) {
    constexpr std::string_view SPACE = " \t";
    DisplayedCommand out{{}, line};
    for (;;) {
        const std::size_t start = out.command.find_first_not_of(SPACE);
        if (start == std::string_view::npos) break;
        const std::size_t end = out.command.find_first_of(SPACE, start);
        if (!read_display_option(out.command.substr(start, end - start), out.display)) {
            if (out.command.size() != line.size()) out.command.remove_prefix(start);
            break;
        }
        out.command = end == std::string_view::npos ? std::string_view() : out.command.substr(end);
    }
    return out;
}

}  // namespace

extern "C" {

// Every formula of the table as a JSON array.
EMSCRIPTEN_KEEPALIVE const char* zc_formulas() {
    reply = zorvane::host::formulas_json();
    return reply.c_str();
}

// Any command, answered once as zorvane-calc --json answers it: {"command",
// "options": {"series": "E24", "mc": 1000, ...} (read by the question
// grammar), "expand": false for values as plain numbers, "kind": "solve",
// "range", "pair", "statistics" or "design" for that kind's own answer
// where the command asks another (omitted: whatever it asks)}. The answer
// as one JSON object, its fields by its kind (docs/answer.schema.json), or
// {"optionError": the grammar's error line} for an option that does not read.
EMSCRIPTEN_KEEPALIVE const char* zc_answer(const char* request) {
    const Json given = Json::parse(request, nullptr, false);
    zorvane::host::QuestionSettings beside;
    const Json& options = member(given, "options");
    if (options.is_object()) {
        if (auto refused = zorvane::host::read_question_options(options.dump(), beside)) {
            return send(Json{{"optionError", refused.error}});
        }
    }
    const Json& expand = member(given, "expand");
    reply = zorvane::host::answer_json(
        zorvane::host::answer_as(text_of(given, "kind"), text_of(given, "command"), beside,
                                 !expand.is_boolean() || expand.get<bool>()));
    return reply.c_str();
}

// A command line as zorvane-calc's words: leading -e, --eng and --plain
// are the tool's display options, and the rest is
// answered as the tool answers it with them: zc_answer's reply with
// "command" (the rest), "engineering", "plain" and "shown", the line
// zorvane-calc prints (with the ohm sign where the module's line has "?").
EMSCRIPTEN_KEEPALIVE const char* zc_command(const char* line) {
    const auto [display, text] = displayed_command(line);
    const zorvane::host::Answered answered = zorvane::host::answer(text, {}, display.expand);
    const FormulaInfo* formula = zorvane::host::reply_of(answered).formula;
    Json answer = Json::parse(zorvane::host::answer_json(answered), nullptr, false);
    if (!answer.is_object()) return send(Json{{"kind", "error"}, {"error", true}});
    answer["command"] = std::string(text);
    answer["engineering"] = display.engineering;
    answer["plain"] = !display.expand;
    answer["shown"] = zorvane::host::with_ohm_sign(
        text_of(answer, display.engineering ? "eng" : "line"), formula);
    return send(answer);
}

// What a line typed at the prompt asks for, as zorvane-calc's prompt reads
// it: {"word": "none" | "quit" | "help" | "help_name" | "comment", "name"}.
EMSCRIPTEN_KEEPALIVE const char* zc_prompt_word(const char* line) {
    const std::string_view text(line);
    // zorvane-calc answers a comment line with an empty line.
    if (zorvane::host::is_comment_line(text)) {
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

// ---- Standard values ----

// The index of the series named `name` ("E24" or "e24") in zc_series_names;
// -1 for none.
EMSCRIPTEN_KEEPALIVE int zc_series(const char* name) {
    const auto series = zorvane::host::series_named(name);
    return series ? static_cast<int>(*series) : -1;
}

// The series' names, in the order zc_series numbers them: ["E3", ... "E192"].
EMSCRIPTEN_KEEPALIVE const char* zc_series_names() {
    return send(strings(zorvane::host::series_names()));
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

// ---- Statistics ----

// The histogram of a statistics answer as every host draws it: {"histogram":
// {"edges", "counts"}, "window": {"low", "high"} or null} (the answer's own
// parts) gives the figure, {"bars": [{"left", "right", "count", "height",
// "window": "none" | "outside" | "partly" | "inside"}], "worst": {"left",
// "right"}, "window": null or {"left", "right", "edges": [...]}}, places
// fractions of the drawing's width and heights of the tallest bar.
EMSCRIPTEN_KEEPALIVE const char* zc_histogram_figure(const char* request) {
    const Json given = Json::parse(request, nullptr, false);
    const Json& histogram = member(given, "histogram");
    std::vector<double> edges;
    for (const Json& edge : list(member(histogram, "edges"))) {
        edges.push_back(edge.is_number() ? edge.get<double>() : std::nan(""));
    }
    std::vector<std::uint64_t> counts;
    for (const Json& count : list(member(histogram, "counts"))) {
        counts.push_back(count.is_number_unsigned() ? count.get<std::uint64_t>() : 0);
    }
    std::optional<zorvane::host::WindowEdges> window;
    const Json& low = member(member(given, "window"), "low");
    const Json& high = member(member(given, "window"), "high");
    if (low.is_number() && high.is_number()) {
        window = zorvane::host::WindowEdges{low.get<double>(), high.get<double>()};
    }
    const zorvane::host::HistogramFigure figure =
        zorvane::host::histogram_figure(edges, counts, window);
    Json bars = Json::array();
    for (const zorvane::host::HistogramFigure::Bar& bar : figure.bars) {
        bars.push_back(Json{{"left", bar.left},
                            {"right", bar.right},
                            {"count", bar.count},
                            {"height", bar.height},
                            {"window", window_part_name(bar.window)}});
    }
    Json drawn_window(nullptr);
    if (figure.has_window) {
        drawn_window = Json{{"left", figure.window_left},
                            {"right", figure.window_right},
                            {"edges", figure.window_edges}};
    }
    return send(Json{{"bars", std::move(bars)},
                     {"worst", Json{{"left", figure.worst_left}, {"right", figure.worst_right}}},
                     {"window", std::move(drawn_window)}});
}

// ---- Questions as parts ----

// A question read by the grammar: {"error", "hints", "keyword", "formula"
// (the keyword of the formula named, or null), "values": [{"number",
// "unknown", "reading", "tolerance", "toleranceValue", "toleranceProblem"}],
// "target": null or {"form", "number", "reading", "tolerance",
// "toleranceValue", "low", "high", "lowValue", "highValue"}, "options":
// {"series": "E24", ...}, "series": the series for every kind or null}.
EMSCRIPTEN_KEEPALIVE const char* zc_parse(const char* command) {
    return send(question_json(zorvane::host::parse_question(command)));
}

// The canonical command of a question given as parts (JSON, the shape
// zc_parse gives; texts only: values may be strings): {"command", "error"}.
EMSCRIPTEN_KEEPALIVE const char* zc_compose(const char* parts) {
    const Json given = Json::parse(parts, nullptr, false);
    if (given.is_discarded() || !given.is_object()) {
        return send(
            Json{{"command", ""}, {"error", "Error: A question's parts are a JSON object"}});
    }
    Question question;
    const std::string error = question_from(given, question);
    return send(Json{{"command", error.empty() ? zorvane::host::compose_question(question) : ""},
                     {"error", error}});
}

// Why a tolerance field's text is no percentage, or "".
EMSCRIPTEN_KEEPALIVE const char* zc_tolerance_problem(const char* percent) {
    reply = zorvane::host::tolerance_problem(percent);
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
