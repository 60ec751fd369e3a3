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
#include "rendering.h"
#include "roots.h"
#include "words.h"
#include "zorvane_host/host.h"

namespace zorvane::host {
namespace {

// What stands for an unknown when the module reads the values.
constexpr std::string_view PLACEHOLDER = "1";

// The command the module reads: the values alone, an unknown as 1.
std::string module_command(const Question& question) {
    std::string command(question.keyword);
    for (const QuestionValue& value : question.values) {
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
    Question question;
    QuestionSettings settings;  // passed beside the question, and written in it
    const FormulaInfo* info = nullptr;
    const Formula* row = nullptr;
    Values values{};
    std::string line;         // the module's line of the values
    std::string engineering;  // and its engineering line
    std::array<int, 2> unknown{-1, -1};
    double target = 0.0;
};

// The settings of the questions' older entry points, which take a series alone.
QuestionSettings beside_of(const QuestionOptions& options) {
    QuestionSettings settings;
    settings.series.every = options.series;
    return settings;
}

// The series that applies to the value at `argument` (its kind's, else the
// one for every kind), or null.
const Series* series_for(const QuestionSettings& settings, const FormulaInfo* formula,
                         int argument) {
    if (formula == nullptr || argument < 0 ||
        static_cast<std::size_t>(argument) >= formula->argument_units.size()) {
        return settings.series.every ? &*settings.series.every : nullptr;
    }
    const std::optional<PartKind> kind =
        part_kind(formula->argument_units[static_cast<std::size_t>(argument)]);
    return kind                    ? settings.series.of(*kind)
           : settings.series.every ? &*settings.series.every
                                   : nullptr;
}

// What a question asks that no answer gives yet, as its error line and
// hint; empty when there is nothing.
std::pair<std::string, std::string> not_answered(const Question& question,
                                                 const QuestionSettings& settings) {
    const std::vector<std::string> words = question_option_words(settings);
    const auto unanswered = std::find_if(words.begin(), words.end(), [](const std::string& word) {
        return word.starts_with("--") && word != "--series";
    });
    if (unanswered != words.end()) {
        return {"Error: This version does not answer '" + *unanswered + "' yet",
                "the options answered are --series"};
    }
    if (question.target && question.target->is_window()) {
        return {"Error: This version does not answer a window after '=' yet",
                "write the result wanted: = 3.3"};
    }
    return {};
}

// Reads a question; false, with the error in `reply`, when it cannot be
// answered: a question that does not read, what the module says of its
// values, a value written ? that is not one of the formula's, a target that
// is not a number, what no answer gives yet.
bool prepare(std::string_view command, bool expand, const QuestionSettings& beside,
             Prepared& prepared, Reply& reply) {
    Calculator calculator;
    const Calculator::Options module_options{.expand = expand, .engineering = true};
    if (command.size() > COMMAND_CAPACITY) {
        const Answer& answer = calculator.evaluate(command, module_options);
        if (answer.kind == Kind::too_long) {
            fail(reply, answer.line);
            return false;
        }
    }
    ParsedQuestion parsed = parse_question(command, expand);
    if (!parsed.ok()) {
        fail(reply, parsed.error, parsed.hints);
        return false;
    }
    prepared.question = std::move(parsed.question);
    prepared.settings = merged(beside, prepared.question.settings);
    const Question& question = prepared.question;
    const std::string text = module_command(question);
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
    for (std::size_t i = 0; i < question.values.size(); ++i) {
        if (!question.values[i].unknown) continue;
        if (static_cast<int>(i) >= count) {
            fail(reply,
                 "Error: ? stands for one of the " + std::to_string(count) + " values of " +
                     std::string(prepared.row->keyword),
                 {usage(*prepared.info)});
            return false;
        }
        if (found < 2) prepared.unknown[static_cast<std::size_t>(found++)] = static_cast<int>(i);
    }
    if (const auto [line, hint] = not_answered(question, prepared.settings); !line.empty()) {
        fail(reply, line, {hint});
        return false;
    }
    if (question.target) {
        const std::optional<double> target = question.target->reading;
        if (!target) {
            std::vector<std::string> unit_hint;
            if (!prepared.info->unit.empty()) {
                unit_hint.push_back(std::string(prepared.info->label) + " is in " +
                                    std::string(prepared.info->unit));
            }
            fail(reply, invalid_number_line(question.target->number), unit_hint);
            return false;
        }
        prepared.target = *target;
    }
    return true;
}

// The error of a question that is not one this answer gives, or "".
std::string misfit(const Question& question, bool pair, bool have_series) {
    const int unknowns = question.unknowns();
    const bool has_equals = question.target.has_value();
    if (question.tolerances() > 0 && (unknowns > 0 || has_equals)) {
        return "Error: Tolerances do not go with ? or '='";
    }
    if (unknowns > 2) return "Error: At most two values may be ?";
    if (unknowns == 0 && has_equals) return "Error: '=' needs a value written ?";
    if (unknowns > 0 && !has_equals) {
        return "Error: A value written ? needs the result wanted after '='";
    }
    if (unknowns == 2 && !pair) {
        return have_series ? "Error: Two values written ? are a pair: ask for pairs"
                           : "Error: Two values written ? need a series of standard values";
    }
    if (pair && unknowns != 2) return "Error: A pair needs two values written ?";
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

Solved solve_question(std::string_view command, bool expand, const QuestionSettings& beside) {
    Solved solved;
    Prepared prepared;
    if (!prepare(command, expand, beside, prepared, solved)) return solved;
    const Series* series = series_for(prepared.settings, prepared.info, prepared.unknown[0]);
    if (const std::string error = misfit(prepared.question, false, series != nullptr);
        !error.empty()) {
        fail(solved, error);
        return solved;
    }
    // What misfit lets through for a range (tolerances) or a plain command
    // leaves no argument to solve for.
    if (prepared.question.unknowns() == 0) {
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
    if (series != nullptr) add_standard_neighbours(prepared, *series, solved);
    return solved;
}

Ranged range_question(std::string_view command, bool expand, const QuestionSettings& beside) {
    Ranged ranged;
    Prepared prepared;
    if (!prepare(command, expand, beside, prepared, ranged)) return ranged;
    const Question& parsed = prepared.question;
    if (std::string error = misfit(parsed, false, false);
        !error.empty() || parsed.tolerances() == 0) {
        fail(ranged, error.empty() ? "Error: No value carries a tolerance" : error,
             {"write a tolerance on a value: 10k\xC2\xB1"
              "1%"});
        return ranged;
    }
    const Formula& row = *prepared.row;
    std::array<double, 4> tolerances{};
    for (std::size_t i = 0; i < parsed.values.size() && i < tolerances.size(); ++i) {
        const std::optional<Percent>& tolerance = parsed.values[i].tolerance;
        tolerances[i] = tolerance ? tolerance->value / 100.0 : 0.0;
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

Paired pair_question(std::string_view command, bool expand, const QuestionSettings& beside) {
    Paired paired;
    Prepared prepared;
    if (!prepare(command, expand, beside, prepared, paired)) return paired;
    const Series* found = series_for(prepared.settings, prepared.info, prepared.unknown[0]);
    if (const std::string error = misfit(prepared.question, true, found != nullptr);
        !error.empty() || found == nullptr) {
        fail(paired, error.empty() ? "Error: Two values written ? need a series of standard values"
                                   : error);
        return paired;
    }
    const Series series = *found;
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

}  // namespace

Solved solve(std::string_view command, const QuestionOptions& options) {
    return solve_question(command, options.expand, beside_of(options));
}

Ranged range(std::string_view command, const QuestionOptions& options) {
    return range_question(command, options.expand, beside_of(options));
}

Paired pair(std::string_view command, Series series, const QuestionOptions& options) {
    QuestionSettings beside = beside_of(options);
    beside.series.every = series;
    return pair_question(command, options.expand, beside);
}

Reply ask(std::string_view command, const QuestionOptions& options) {
    return ask(command, beside_of(options), options.expand);
}

Reply ask(std::string_view command, const QuestionSettings& beside, bool expand) {
    Calculator calculator;
    if (!is_question(command)) {
        return from_answer(calculator.evaluate(command, {.expand = expand, .engineering = true}),
                           command);
    }
    const ParsedQuestion parsed = parse_question(command, expand);
    const Question& question = parsed.question;
    if (parsed.ok()) {
        const QuestionSettings settings = merged(beside, question.settings);
        // Options before a command that asks nothing more: the module's answer.
        Question forward = question;
        forward.settings = {};
        const std::string rest = compose_question(forward);
        if (!is_question(rest)) {
            Reply reply;
            if (const auto [line, hint] = not_answered(question, settings); !line.empty()) {
                fail(reply, line, {hint});
                return reply;
            }
            return from_answer(calculator.evaluate(rest, {.expand = expand, .engineering = true}),
                               rest);
        }
        // Designs and two parts for one value (design_answer.cpp).
        if (is_design_question(question)) return design(command, beside, expand);
        if (settings.combine) return solve_in_parts(command, beside, expand);
        if (question.tolerances() > 0 && question.unknowns() == 0 && !question.target) {
            return range_question(command, expand, beside);
        }
        const auto first = std::find_if(question.values.begin(), question.values.end(),
                                        [](const QuestionValue& value) { return value.unknown; });
        const Series* series = series_for(settings, question.formula,
                                          static_cast<int>(first - question.values.begin()));
        if (question.unknowns() == 2 && series != nullptr) {
            return pair_question(command, expand, beside);
        }
    }
    return solve_question(command, expand, beside);
}

}  // namespace zorvane::host
