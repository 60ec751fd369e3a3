// The questions people bring beyond the module's forward one: which value
// gives a result (?, =), which standard parts come nearest (a series), how far
// a result wanders with tolerances (±). A question is read once into its
// parts; the module then reads its values (so they are exactly the doubles
// the module's line would use, and a bad value gets the module's own error
// line), the search runs on the row's arithmetic, and whatever is printed
// as a result is confirmed through the module's command path.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "command.h"
#include "formula_table.h"
#include "zorvane_host/host.h"
#include "rendering.h"
#include "roots.h"
#include "statistics.h"
#include "words.h"

namespace zorvane::host {
namespace {

constexpr std::string_view PLUS_MINUS = "\xC2\xB1";
constexpr std::string_view ASCII_PLUS_MINUS = "+-";
constexpr std::string_view UNKNOWN = "?";
// What stands for an unknown when the module reads the values.
constexpr std::string_view PLACEHOLDER = "1";

// One value word of a question.
struct ValueWord {
    std::string_view number;  // the value without its tolerance, as typed
    bool unknown = false;     // "?"
    bool has_tolerance = false;
    double tolerance = 0.0;  // relative: 0.01 for 1 %
};

// A question read into its parts, before any value is.
struct Parsed {
    std::string_view name;
    std::vector<ValueWord> values;
    bool has_equals = false;
    std::string_view target;  // the word after "="
    int words_after_equals = 0;
    int unknowns = 0;
    int tolerances = 0;
};

// "10k±1%", "10k+-1%": the value and its tolerance. A word that
// only looks so ("±1%", "10k±x%") is left whole, for the module to refuse.
ValueWord read_value_word(std::string_view word) {
    ValueWord value{word};
    if (word == UNKNOWN) {
        value.unknown = true;
        return value;
    }
    std::size_t at = word.find(PLUS_MINUS);
    std::size_t length = PLUS_MINUS.size();
    if (at == std::string_view::npos) {
        at = word.find(ASCII_PLUS_MINUS);
        length = ASCII_PLUS_MINUS.size();
    }
    if (at == std::string_view::npos || at == 0 || !word.ends_with('%')) return value;
    const std::string_view percent = word.substr(at + length, word.size() - at - length - 1);
    const std::optional<double> read = parse_number(percent);
    if (!read || !(*read >= 0.0)) return value;
    value.number = word.substr(0, at);
    value.has_tolerance = true;
    value.tolerance = *read / 100.0;
    return value;
}

Parsed parse(std::string_view command) {
    Parsed parsed;
    Words words(command);
    parsed.name = words.next();
    const std::size_t equals =
        command.find('=', static_cast<std::size_t>(words.position() - command.data()));
    const std::string_view left = command.substr(0, equals);
    Words values(left.substr(static_cast<std::size_t>(words.position() - command.data())));
    for (std::string_view word = values.next(); !word.empty(); word = values.next()) {
        parsed.values.push_back(read_value_word(word));
        parsed.unknowns += parsed.values.back().unknown ? 1 : 0;
        parsed.tolerances += parsed.values.back().has_tolerance ? 1 : 0;
    }
    if (equals != std::string_view::npos) {
        parsed.has_equals = true;
        Words after(command.substr(equals + 1));
        parsed.target = after.next();
        for (std::string_view word = parsed.target; !word.empty(); word = after.next()) {
            ++parsed.words_after_equals;
        }
    }
    return parsed;
}

// The command the module reads: the values alone, an unknown as 1.
std::string module_command(const Parsed& parsed) {
    std::string command(parsed.name);
    for (const ValueWord& value : parsed.values) {
        command.append(" ").append(value.unknown ? PLACEHOLDER : value.number);
    }
    return command;
}

void fail(Reply& reply, std::string line, std::vector<std::string> hints = {}) {
    reply.error = true;
    reply.engineering = line;
    reply.line = std::move(line);
    reply.hints = std::move(hints);
}

// "Output Voltage"'s value text exactly as the module's line prints it:
// "3.176471", or "%.6e" where that would not fit.
std::string module_number(const Formula& row, double value) {
    Outcome outcome;
    outcome.kind = Outcome::result;
    outcome.formula = &row;
    outcome.value = value;
    std::array<char, RESULT_CAPACITY + 1> line{};
    const std::size_t length = render(outcome, line);
    return {line.data() + row.label.size(), length - row.label.size() - row.unit.size()};
}

std::string with_unit(std::string text, std::string_view unit) {
    if (!unit.empty()) text.append(" ").append(unit);
    return text;
}

std::string round_trip(double value) {
    std::string text;
    append_round_trip(value, text);
    return text;
}

std::string engineering(double value, std::string_view unit) {
    std::string text;
    append_engineering_value(value, unit, text);
    return text;
}

// "3.81081 .. 3.86301 V", or "999.5 mV .. 1.0005 V" where the prefixes differ.
std::string engineering_span(double low, double high, std::string_view unit,
                             std::string_view separator) {
    std::string first = engineering(low, unit);
    const std::string second = engineering(high, unit);
    const std::size_t space = second.rfind(' ');
    if (!unit.empty() && space != std::string::npos && first.ends_with(second.substr(space))) {
        first.erase(first.size() - (second.size() - space));
    }
    return first + std::string(separator) + second;
}

// "-3.74%": the deviation of a result from the target, or, for a target of
// zero, the difference itself with its unit.
double deviation_of(double result, double target) {
    return target == 0.0 ? result - target : (result - target) / std::abs(target);
}

std::string deviation_text(double deviation, double target, std::string_view unit,
                           bool as_engineering) {
    std::string text = deviation >= 0.0 ? "+" : "";
    if (target == 0.0) {
        return text + (as_engineering ? engineering(deviation, unit)
                                      : with_unit(round_trip(deviation), unit));
    }
    if (std::isnan(deviation)) return "nan%";
    if (std::isinf(deviation)) return text + (deviation > 0 ? "inf%" : "-inf%");
    // printf's exact rounding to two decimals; whatever decimal point the
    // locale gives it becomes '.'.
    std::array<char, 400> digits{};
    const int length = std::snprintf(digits.data(), digits.size(), "%.2f", deviation * 100.0);
    const std::string_view printed(digits.data(), static_cast<std::size_t>(std::max(length, 0)));
    const std::size_t whole = printed.find_first_not_of("-0123456789");
    text.append(printed.substr(0, whole)).append(".").append(printed.substr(printed.size() - 2));
    return text + "%";
}

std::string argument_name(const Formula& row, int argument) {
    return std::string(row.arguments[static_cast<std::size_t>(argument)].name);
}

std::string_view argument_unit_of(const Formula& row, int argument) {
    return row.arguments[static_cast<std::size_t>(argument)].unit.utf8;
}

// "Output Voltage = 3.3 V": what was asked for.
std::string wanted(const FormulaInfo& info, double target) {
    return std::string(info.label) + " = " + with_unit(round_trip(target), info.unit);
}

// A question read, its values read by the module, its target read.
struct Prepared {
    Parsed parsed;
    const FormulaInfo* info = nullptr;
    const Formula* row = nullptr;
    Values values{};
    std::string line;         // the module's line of the values
    std::string engineering;  // and its engineering line
    std::array<int, 2> unknown{-1, -1};
    double target = 0.0;
    // A spec window after '=' instead of a target (statistics.cpp).
    bool has_window = false;
    double low = 0.0;
    double high = 0.0;
};

// A window after '=' (3.3±3%, 3.2..3.4) on a command with tolerances.
bool read_window_target(const QuestionOptions& options, Prepared& prepared, Reply& reply) {
    const Parsed& parsed = prepared.parsed;
    if (parsed.unknowns > 0) {
        fail(reply, "Error: A window after '=' goes with tolerances, not with a value written ?",
             {"solve for one value: = 3.3; or give tolerances: 10k\xC2\xB1"
              "1% ... = 3.3\xC2\xB1"
              "3%"});
        return false;
    }
    if (parsed.tolerances == 0) {
        fail(reply, "Error: A window after '=' needs values with tolerances",
             {"write a tolerance on a value: 10k\xC2\xB1"
              "1%"});
        return false;
    }
    WindowReading window = read_window(parsed.target, *prepared.info, options.expand);
    if (!window.error.empty()) {
        fail(reply, std::move(window.error), std::move(window.hints));
        return false;
    }
    prepared.has_window = true;
    prepared.low = window.low;
    prepared.high = window.high;
    return true;
}

// Reads a question; false, with the error in `reply`, when it cannot be
// answered: what the module says of its values, a value written ? that is
// not one of the formula's, a target that is not a number.
bool prepare(std::string_view command, const QuestionOptions& options, Prepared& prepared,
             Reply& reply) {
    Calculator calculator;
    const Calculator::Options module_options{.expand = options.expand, .engineering = true};
    if (command.size() > COMMAND_CAPACITY) {
        const Answer& answer = calculator.evaluate(command, module_options);
        if (answer.kind == Kind::too_long) {
            fail(reply, answer.line);
            return false;
        }
    }
    prepared.parsed = parse(command);
    const Parsed& parsed = prepared.parsed;
    const std::string text = module_command(parsed);
    const Answer& answer = calculator.evaluate(text, module_options);
    reply.formula = answer.formula;
    if (answer.kind != Kind::result) {
        fail(reply, answer.line, hints(text, answer));
        return false;
    }
    prepared.info = answer.formula;
    prepared.row = answer.formula->row;
    prepared.values = answer.values;
    prepared.line = answer.line;
    prepared.engineering = answer.engineering;
    const int count = prepared.row->required_count;
    int found = 0;
    for (std::size_t i = 0; i < parsed.values.size(); ++i) {
        if (!parsed.values[i].unknown) continue;
        if (static_cast<int>(i) >= count) {
            fail(reply,
                 "Error: ? stands for one of the " + std::to_string(count) + " values of " +
                     std::string(prepared.row->keyword),
                 {usage(*prepared.info)});
            return false;
        }
        if (found < 2) prepared.unknown[static_cast<std::size_t>(found++)] = static_cast<int>(i);
    }
    if (parsed.has_equals) {
        if (parsed.words_after_equals != 1) {
            fail(reply,
                 parsed.words_after_equals == 0 ? "Error: No result after '='"
                                                : "Error: One result after '='",
                 {"write the result wanted on one word: = 3.3V"});
            return false;
        }
        if (is_window_word(parsed.target)) {
            return read_window_target(options, prepared, reply);
        }
        std::string plain;
        const bool notation =
            options.expand && append_plain_value(parsed.target, prepared.info->unit, plain);
        const std::optional<double> target = parse_number(notation ? plain : parsed.target);
        if (!target) {
            std::vector<std::string> unit_hint;
            if (!prepared.info->unit.empty()) {
                unit_hint.push_back(std::string(prepared.info->label) + " is in " +
                                    std::string(prepared.info->unit));
            }
            fail(reply, invalid_number_line(parsed.target), unit_hint);
            return false;
        }
        prepared.target = *target;
    }
    return true;
}

// The error of a question that is not one this answer gives, or "".
std::string misfit(const Parsed& parsed, bool pair, bool have_series) {
    if (parsed.tolerances > 0 && (parsed.unknowns > 0 || parsed.has_equals)) {
        return "Error: Tolerances do not go with ? or '='";
    }
    if (parsed.unknowns > 2) return "Error: At most two values may be ?";
    if (parsed.unknowns == 0 && parsed.has_equals) return "Error: '=' needs a value written ?";
    if (parsed.unknowns > 0 && !parsed.has_equals) {
        return "Error: A value written ? needs the result wanted after '='";
    }
    if (parsed.unknowns == 2 && !pair) {
        return have_series ? "Error: Two values written ? are a pair: ask for pairs"
                           : "Error: Two values written ? need a series of standard values";
    }
    if (pair && parsed.unknowns != 2) return "Error: A pair needs two values written ?";
    return {};
}

// "Output Voltage stays between 0 and 12 V for any r2": what the formula
// reaches, tiny results beside large ones shown as 0.
std::string reach_hint(const FormulaInfo& info, const RootSearch& search, double target,
                       std::string_view argument) {
    // A target within what the formula reaches, yet not reached (a limit
    // approached, a guard, a jump): the span would not explain it.
    if (search.lowest > search.highest || (search.lowest <= target && target <= search.highest)) {
        return {};
    }
    // Tiny beside the other end, and the target not tiny too: 0.
    const double tiny = 1e-12 * std::max(std::abs(search.lowest), std::abs(search.highest));
    const auto shown = [tiny, target](double value) {
        return std::abs(value) < tiny && !(std::abs(target) < tiny) ? 0.0 : value;
    };
    const double low = shown(search.lowest);
    const double high = shown(search.highest);
    const std::string tail = " for any " + std::string(argument);
    if (low == high) {
        return std::string(info.label) + " is " + engineering(low, info.unit) + tail;
    }
    return std::string(info.label) + " stays between " +
           engineering_span(low, high, info.unit, " and ") + tail;
}

Outcome through_module(const Formula& row, const Values& values) {
    std::string command;
    return host::through_module(row, values, command);
}

// The units parts come in standard values of: resistances, capacitances,
// inductances.
bool is_part_unit(std::string_view unit) {
    constexpr std::array<std::string_view, 3> PARTS = {OHM.utf8, FARAD.utf8, HENRY.utf8};
    return std::find(PARTS.begin(), PARTS.end(), unit) != PARTS.end();
}

// "; E24: 3600 Ω → 3.176471 V (-3.74%), 3900 Ω → 3.366906 V (+2.03%)"
void add_standard_neighbours(const Prepared& prepared, Series series, Solved& solved) {
    const Formula& row = *prepared.row;
    const int argument = solved.argument;
    if (!is_part_unit(solved.unit)) return;
    for (const double solution : solved.solutions) {
        if (!(solution > 0.0)) continue;
        const std::optional<StandardValues> standard = standard_values(solution, series);
        if (!standard) continue;
        for (const double value : {standard->below, standard->above}) {
            const bool seen = std::any_of(
                solved.standard.begin(), solved.standard.end(),
                [value](const StandardNeighbour& known) { return known.value == value; });
            if (seen) continue;
            Values values = prepared.values;
            values[static_cast<std::size_t>(argument)] = value;
            const Outcome outcome = through_module(row, values);
            solved.standard.push_back(
                {value, outcome.value, deviation_of(outcome.value, prepared.target)});
        }
    }
    if (solved.standard.empty()) return;
    const std::string head = "; " + std::string(series_name(series)) + ": ";
    solved.line += head;
    solved.engineering += head;
    const std::string_view unit = solved.unit;
    const std::string_view result_unit = prepared.info->unit;
    for (std::size_t i = 0; i < solved.standard.size(); ++i) {
        const StandardNeighbour& n = solved.standard[i];
        const std::string separator = i == 0 ? "" : ", ";
        solved.line += separator + with_unit(round_trip(n.value), unit) + " \xE2\x86\x92 " +
                       with_unit(module_number(row, n.result), result_unit) + " (" +
                       deviation_text(n.deviation, prepared.target, result_unit, false) + ")";
        solved.engineering += separator + engineering(n.value, unit) + " \xE2\x86\x92 " +
                              engineering(n.result, result_unit) + " (" +
                              deviation_text(n.deviation, prepared.target, result_unit, true) + ")";
    }
}

Reply from_answer(const Answer& answer, std::string_view command) {
    Reply reply;
    reply.error = answer.is_error();
    reply.line = answer.line;
    reply.engineering = answer.engineering;
    reply.hints = hints(command, answer);
    reply.formula = answer.formula;
    reply.evaluations = answer.kind == Kind::result ? 1 : 0;
    return reply;
}

}  // namespace

bool is_question(std::string_view command) noexcept {
    Words words(command);
    words.next();  // the name
    const std::string_view values(words.position(),
                                  static_cast<std::size_t>(words.end() - words.position()));
    return values.find_first_of("?=") != std::string_view::npos ||
           values.find(PLUS_MINUS) != std::string_view::npos ||
           values.find(ASCII_PLUS_MINUS) != std::string_view::npos;
}

Solved solve(std::string_view command, const QuestionOptions& options) {
    Solved solved;
    Prepared prepared;
    if (!prepare(command, options, prepared, solved)) return solved;
    if (const std::string error = misfit(prepared.parsed, false, options.series.has_value());
        !error.empty()) {
        fail(solved, error);
        return solved;
    }
    // What misfit lets through for a range (tolerances) or a plain command
    // leaves no argument to solve for.
    if (prepared.parsed.unknowns == 0) {
        fail(solved, "Error: Solving needs a value written ? and the result wanted after '='");
        return solved;
    }
    const Formula& row = *prepared.row;
    const FormulaInfo& info = *prepared.info;
    solved.argument = prepared.unknown[0];
    solved.argument_name = row.arguments[static_cast<std::size_t>(solved.argument)].name;
    solved.unit = argument_unit_of(row, solved.argument);
    solved.target = prepared.target;
    const RootSearch search = find_roots(row, prepared.values, solved.argument, prepared.target);
    solved.evaluations = search.evaluations;
    const std::string name = argument_name(row, solved.argument);
    if (search.flat) {
        const std::string stretch = search.flat_everywhere
                                        ? std::string()
                                        : " from " + round_trip(search.flat_from) + " to " +
                                              with_unit(round_trip(search.flat_to), solved.unit);
        fail(solved, "Error: Every " + name + stretch + " gives " + wanted(info, prepared.target),
             {"the other values decide " + std::string(info.label) + " there, not " + name});
        return solved;
    }
    if (search.roots.empty()) {
        std::vector<std::string> reach;
        if (std::string hint = reach_hint(info, search, prepared.target, name); !hint.empty()) {
            reach.push_back(std::move(hint));
        }
        fail(solved, "Error: No " + name + " gives " + wanted(info, prepared.target), reach);
        return solved;
    }
    solved.error = false;
    solved.solutions = search.roots;
    solved.line = name + " = ";
    solved.engineering = solved.line;
    for (std::size_t i = 0; i < solved.solutions.size(); ++i) {
        const std::string separator = i == 0 ? "" : " or ";
        solved.line += separator + with_unit(round_trip(solved.solutions[i]), solved.unit);
        solved.engineering += separator + engineering(solved.solutions[i], solved.unit);
    }
    if (options.series) add_standard_neighbours(prepared, *options.series, solved);
    return solved;
}

Ranged range(std::string_view command, const QuestionOptions& options) {
    Ranged ranged;
    Prepared prepared;
    if (!prepare(command, options, prepared, ranged)) return ranged;
    const Parsed& parsed = prepared.parsed;
    if (std::string error = misfit(parsed, false, false);
        !error.empty() || parsed.tolerances == 0) {
        fail(ranged, error.empty() ? "Error: No value carries a tolerance" : error,
             {"write a tolerance on a value: 10k\xC2\xB1"
              "1%"});
        return ranged;
    }
    const Formula& row = *prepared.row;
    std::array<double, 4> tolerances{};
    for (std::size_t i = 0; i < parsed.values.size() && i < tolerances.size(); ++i) {
        tolerances[i] = parsed.values[i].tolerance;
    }
    const Range found = worst_case_range(row, prepared.values, tolerances);
    ranged.evaluations = found.evaluations;
    ranged.value = row.evaluate(prepared.values).value;
    ranged.min = found.min;
    ranged.max = found.max;
    const std::string_view unit = prepared.info->unit;
    ranged.error = false;
    ranged.line = prepared.line + " (" + module_number(row, found.min) + " .. " +
                  with_unit(module_number(row, found.max), unit) + ")";
    ranged.engineering =
        prepared.engineering + " (" + engineering_span(found.min, found.max, unit, " .. ") + ")";
    if (found.guarded) {
        ranged.hints.push_back("a zero guard answers 0 for some values within the tolerances");
    }
    return ranged;
}

Paired pair(std::string_view command, Series series, const QuestionOptions& options) {
    Paired paired;
    Prepared prepared;
    if (!prepare(command, options, prepared, paired)) return paired;
    if (const std::string error = misfit(prepared.parsed, true, true); !error.empty()) {
        fail(paired, error);
        return paired;
    }
    const Formula& row = *prepared.row;
    const FormulaInfo& info = *prepared.info;
    paired.arguments = prepared.unknown;
    paired.target = prepared.target;
    paired.unit = argument_unit_of(row, paired.arguments[0]);
    if (paired.unit != argument_unit_of(row, paired.arguments[1]) || !is_part_unit(paired.unit)) {
        fail(paired, "Error: A pair is of two resistances, two capacitances or two inductances");
        return paired;
    }
    for (std::size_t i = 0; i < 2; ++i) {
        paired.names[i] = row.arguments[static_cast<std::size_t>(paired.arguments[i])].name;
    }
    const std::optional<StandardPair> best = best_standard_pair(
        row, prepared.values, paired.arguments[0], paired.arguments[1], prepared.target, series);
    if (!best) {
        fail(paired, "Error: No pair of " + std::string(series_name(series)) + " values gives " +
                         wanted(info, prepared.target));
        return paired;
    }
    paired.evaluations = best->evaluations;
    paired.values = {best->first, best->second};
    Values values = prepared.values;
    values[static_cast<std::size_t>(paired.arguments[0])] = best->first;
    values[static_cast<std::size_t>(paired.arguments[1])] = best->second;
    const Outcome outcome = through_module(row, values);
    paired.result = outcome.value;
    paired.deviation = deviation_of(outcome.value, prepared.target);
    std::string module_line;
    append_module_line(outcome, module_line);
    paired.error = false;
    const std::string first = std::string(paired.names[0]) + " = ";
    const std::string second = ", " + std::string(paired.names[1]) + " = ";
    paired.line = first + with_unit(round_trip(best->first), paired.unit) + second +
                  with_unit(round_trip(best->second), paired.unit) + " (" + module_line + ", " +
                  deviation_text(paired.deviation, prepared.target, info.unit, false) + ")";
    paired.engineering = first + engineering(best->first, paired.unit) + second +
                         engineering(best->second, paired.unit) + " (" + std::string(info.label) +
                         " = " + engineering(outcome.value, info.unit) + ", " +
                         deviation_text(paired.deviation, prepared.target, info.unit, true) + ")";
    return paired;
}

bool read_toleranced(std::string_view command, const QuestionOptions& options,
                     TolerancedCommand& toleranced, Reply& reply) {
    Prepared prepared;
    if (!prepare(command, options, prepared, reply)) return false;
    const Parsed& parsed = prepared.parsed;
    if (parsed.tolerances == 0 || parsed.unknowns > 0 ||
        (parsed.has_equals && !prepared.has_window)) {
        const std::string error = misfit(parsed, false, false);
        fail(reply, error.empty() ? "Error: No value carries a tolerance" : error,
             {"write a tolerance on a value: 10k\xC2\xB1"
              "1%"});
        return false;
    }
    toleranced.info = prepared.info;
    toleranced.row = prepared.row;
    toleranced.values = prepared.values;
    for (std::size_t i = 0; i < parsed.values.size() && i < toleranced.tolerances.size(); ++i) {
        toleranced.tolerances[i] = parsed.values[i].tolerance;
    }
    toleranced.line = prepared.line;
    toleranced.engineering = prepared.engineering;
    toleranced.has_window = prepared.has_window;
    toleranced.low = prepared.low;
    toleranced.high = prepared.high;
    return true;
}

bool is_statistics_question(std::string_view command, const StatisticsOptions& statistics) {
    if (!is_question(command)) return false;
    const Parsed parsed = parse(command);
    const bool window = parsed.has_equals && is_window_word(parsed.target);
    return parsed.tolerances > 0 && parsed.unknowns == 0 && (window || statistics.samples > 0);
}

Question question_of(std::string_view command, const QuestionOptions& options,
                     const StatisticsOptions& statistics) {
    if (!is_question(command)) return Question::forward;
    if (is_statistics_question(command, statistics)) return Question::statistics;
    const Parsed parsed = parse(command);
    if (parsed.tolerances > 0 && parsed.unknowns == 0 && !parsed.has_equals) {
        return Question::range;
    }
    if (parsed.unknowns == 2 && options.series) return Question::pair;
    return Question::solve;
}

Reply ask(std::string_view command, const QuestionOptions& options) {
    switch (question_of(command, options, {})) {
        case Question::forward: {
            Calculator calculator;
            return from_answer(
                calculator.evaluate(command, {.expand = options.expand, .engineering = true}),
                command);
        }
        case Question::statistics:
            return simulate(command, options);
        case Question::range:
            return range(command, options);
        case Question::pair:
            return pair(command, *options.series, options);
        case Question::solve:
            break;
    }
    return solve(command, options);
}

}  // namespace zorvane::host
