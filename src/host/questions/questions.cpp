// The questions people bring beyond the module's forward one: which value
// gives a result (?, =), which standard parts come nearest (a series), how far
// a result wanders with tolerances (±). A question is read once into its
// parts; the module then reads its values (so they are exactly the doubles
// the module's line would use, and a bad value gets the module's own error
// line), the search runs on the row's arithmetic, and whatever is printed
// as a result is confirmed through the module's command path.
#include "questions.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "answer_lines.h"
#include "command.h"
#include "formula_table.h"
#include "number_text.h"
#include "question_reading.h"
#include "rendering.h"
#include "roots.h"
#include "worst_case.h"
#include "zorvane_host/notation.h"

namespace zorvane::host {
namespace {

constexpr std::string_view ARROW = " \xE2\x86\x92 ";

// The deviation of a result from the target: relative, (result - target) /
// |target|; the difference itself where the target is 0 or so small that the
// ratio is beyond the doubles.
bool has_relative_deviation(double result, double target) {
    return target != 0.0 && std::isfinite(result / std::abs(target) - 1.0);
}

double deviation_of(double result, double target) {
    if (!has_relative_deviation(result, target)) return result - target;
    const double relative = (result - target) / std::abs(target);
    // The difference overflows only between results and targets near the
    // largest doubles, where the quotients do not.
    return std::isfinite(relative) ? relative
                                   : result / std::abs(target) - std::copysign(1.0, target);
}

// "-3.74%", or for a target of 0 "+0.0012 V": how far a result lies from
// the target.
std::string deviation_text(double result, double target, std::string_view unit,
                           bool as_engineering) {
    if (!has_relative_deviation(result, target)) {
        const double difference = result - target;
        std::string text = difference >= 0.0 ? "+" : "";
        return text.append(as_engineering ? engineering(difference, unit)
                                          : with_unit(round_trip(difference), unit));
    }
    const double deviation = deviation_of(result, target);
    std::string text = deviation >= 0.0 ? "+" : "";
    return text.append(percent_text(deviation)).append("%");
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
           AnswerLines::engineering_span(low, high, info.unit, " and ") + tail;
}

Outcome through_module(const Formula& row, const Values& values) {
    std::string command;
    return host::through_module(row, values, command);
}

// "; E24: 3600 Ω → 3.176471 V (-3.74%), 3900 Ω → 3.366906 V (+2.03%)"
void add_standard_neighbours(const PreparedQuestion& prepared, Series series, Solved& solved) {
    const Formula& row = *prepared.row;
    const int argument = solved.argument;
    if (!part_kind(solved.unit)) return;
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
            // A neighbour the doubles cannot hold the result of answers nothing.
            if (!std::isfinite(outcome.value)) continue;
            solved.standard.push_back(
                {value, outcome.value, deviation_of(outcome.value, prepared.target)});
        }
    }
    if (solved.standard.empty()) return;
    AnswerLines lines(solved.line, solved.engineering, &solved.readable);
    lines.text("; ").text(series_name(series)).text(": ");
    const std::string_view unit = solved.unit;
    const std::string_view result_unit = prepared.info->unit;
    for (std::size_t i = 0; i < solved.standard.size(); ++i) {
        const StandardNeighbour& n = solved.standard[i];
        lines.text(i == 0 ? "" : ", ").value(n.value, unit).text(ARROW);
        lines.result(row, n.result, result_unit).text(" (");
        lines.text(deviation_text(n.result, prepared.target, result_unit, false),
                   deviation_text(n.result, prepared.target, result_unit, true));
        lines.text(")");
    }
}

// "r2 = 3793.103448275862 Ω or ...": the solutions, each way a reply is written.
void write_solutions(const std::string& name, Solved& solved) {
    if (solved.solutions.empty()) return;
    solved.line.clear();
    solved.engineering.clear();
    solved.readable.clear();
    AnswerLines lines(solved.line, solved.engineering, &solved.readable);
    lines.text(name).text(" = ");
    for (std::size_t i = 0; i < solved.solutions.size(); ++i) {
        lines.text(i == 0 ? "" : " or ").value(solved.solutions[i], solved.unit);
    }
}

// "Every r2 from A to B Ω", "above A Ω", "below B Ω", then "gives" what was
// asked for (`wanted_text`): the ends are values that give the target, the
// domain's own ends said in words; "Many" where the results round away from
// the target and back inside a stretch. After the solutions, if any.
void write_stretches(const RootSearch& search, const std::string& name,
                     const std::string& wanted_text, Solved& solved) {
    const bool every = std::all_of(search.stretches.begin(), search.stretches.end(),
                                   [](const RootSearch::Stretch& s) { return s.every; });
    const std::string_view unit = solved.unit;
    AnswerLines lines(solved.line, solved.engineering, &solved.readable);
    for (std::size_t i = 0; i < search.stretches.size(); ++i) {
        const RootSearch::Stretch& s = search.stretches[i];
        solved.stretches.push_back({s.from, s.to, s.from_domain_end, s.to_domain_end, s.every});
        std::string head;
        if (i > 0) {
            head = " or";
        } else {
            if (!solved.solutions.empty()) head = "; ";
            head += solved.solutions.empty() ? (every ? "Every " : "Many ")
                                             : (every ? "every " : "many ");
            head += name;
        }
        lines.text(head);
        if (s.from_domain_end) {
            lines.text(" below ").value(s.to, unit);
        } else if (s.to_domain_end) {
            lines.text(" above ").value(s.from, unit);
        } else {
            lines.text(" from ");
            lines.text(round_trip(s.from) + " to " + with_unit(round_trip(s.to), unit),
                       AnswerLines::engineering_span(s.from, s.to, unit, " to "),
                       readable(s.from, unit) + " to " + readable(s.to, unit));
        }
    }
    if (search.stretches.empty()) return;
    lines.text(every ? " gives " : " give ").text(wanted_text);
    lines.text(every ? "" : ", not every one");
}

Solved solve_question(const ReadCommand& command, const QuestionSettings& beside) {
    Solved solved;
    PreparedQuestion prepared;
    if (!prepare_question(command, beside, prepared, solved)) return solved;
    const Series* series = series_for(prepared.settings, prepared.info, prepared.unknowns[0]);
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
    solved.argument = prepared.unknowns[0];
    solved.argument_name = row.arguments[static_cast<std::size_t>(solved.argument)].name;
    solved.unit = argument_unit_of(row, solved.argument);
    solved.target = prepared.target;
    const RootSearch search = find_roots(row, prepared.values, solved.argument, prepared.target);
    solved.evaluations = search.evaluations;
    const std::string name = argument_name(row, solved.argument);
    const std::vector<std::string> decided = {"the other values decide " + std::string(info.label) +
                                              " there, not " + name};
    if (search.flat_everywhere) {
        fail(solved, "Error: Every " + name + " gives " + wanted(info, prepared.target), decided);
        return solved;
    }
    if (search.roots.empty() && search.stretches.empty()) {
        std::vector<std::string> reach;
        if (std::string hint = reach_hint(info, search, prepared.target, name); !hint.empty()) {
            reach.push_back(std::move(hint));
        }
        fail(solved, "Error: No " + name + " gives " + wanted(info, prepared.target), reach);
        return solved;
    }
    solved.error = false;
    solved.hints = prepared.notes;
    solved.solutions = search.roots;
    write_solutions(name, solved);
    write_stretches(search, name, wanted(info, prepared.target), solved);
    if (!search.stretches.empty()) solved.hints = decided;
    if (series != nullptr) add_standard_neighbours(prepared, *series, solved);
    return solved;
}

// Why a range is no answer, and the hint that says what to change: a range
// is a result only where every point of it is a number.
struct RangeProblem {
    // cppcheck-suppress unusedStructMember ; read by range_question
    std::string line;
    // cppcheck-suppress unusedStructMember ; read by range_question
    std::string hint;
};
std::optional<RangeProblem> range_problem(const PreparedQuestion& prepared, const Range& found,
                                          double nominal) {
    const Formula& row = *prepared.row;
    const std::string label(prepared.info->label);
    for (std::size_t i = 0; i < static_cast<std::size_t>(row.required_count); ++i) {
        const auto [low, high] = tolerance_ends(prepared.values[i], prepared.tolerances[i]);
        if (!std::isfinite(low) || !std::isfinite(high)) {
            return RangeProblem{"Error: No range of " + label + ": a value leaves the doubles",
                                argument_name(row, static_cast<int>(i)) +
                                    " within its tolerance goes beyond the largest double: "
                                    "write a smaller value or tolerance"};
        }
    }
    if (std::isnan(found.min) || std::isnan(found.max) || std::isnan(nominal)) {
        return RangeProblem{
            "Error: " + label + " is undefined for some values within the tolerances",
            "some values within the tolerances are outside what the formula takes (a magnitude "
            "below zero, the logarithm of a negative ratio)"};
    }
    if (std::isinf(found.min) || std::isinf(found.max) || std::isinf(nominal)) {
        return RangeProblem{"Error: " + label + " runs to infinity within the tolerances",
                            "a division by zero or a result beyond the largest double lies "
                            "within the tolerances: narrow them"};
    }
    return std::nullopt;
}

Ranged range_question(const ReadCommand& command, const QuestionSettings& beside) {
    Ranged ranged;
    PreparedQuestion prepared;
    if (!prepare_question(command, beside, prepared, ranged)) return ranged;
    const Question& parsed = prepared.question;
    if (std::string error = misfit(parsed, false, false); !error.empty()) {
        fail(ranged, error);
        return ranged;
    }
    if (parsed.tolerances() == 0) {
        fail(ranged, "Error: No value carries a tolerance",
             {"write a tolerance on a value: 10k\xC2\xB1"
              "1%"});
        return ranged;
    }
    const Formula& row = *prepared.row;
    const FormulaInfo& info = *prepared.info;
    const Range found = worst_case_range(info, prepared.values, prepared.tolerances);
    ranged.evaluations = found.evaluations + 1;  // and the nominal, below
    ranged.value = row.evaluate(prepared.values).value;
    ranged.min = found.min;
    ranged.max = found.max;
    std::vector<std::string> hints;
    if (found.guarded) {
        hints.emplace_back("a zero guard answers 0 for some values within the tolerances");
    }
    hints.insert(hints.end(), prepared.notes.begin(), prepared.notes.end());
    if (const std::optional<RangeProblem> problem = range_problem(prepared, found, ranged.value)) {
        hints.insert(hints.begin(), problem->hint);
        fail(ranged, problem->line, std::move(hints));
        return ranged;
    }
    const std::string_view unit = info.unit;
    ranged.error = false;
    ranged.hints = std::move(hints);
    ranged.line = prepared.line;
    ranged.engineering = prepared.engineering;
    AnswerLines(ranged.line, ranged.engineering)
        .text(" (")
        .shared_unit_span(row, found.min, found.max, unit)
        .text(")");
    return ranged;
}

// With --tolerance for the pair's kind of part, the result's worst case with
// both parts anywhere within it: ", worst case 3.26 .. 3.33 V with 1% parts".
// A tolerance given for other kinds only has nothing to apply to, which is
// an error rather than silence. False when the reply became an error.
bool add_pair_worst_case(const PreparedQuestion& prepared, const Values& values, Paired& paired) {
    const PerKind<Percent>& given = prepared.settings.tolerance;
    if (!given.given()) return true;
    const Percent* tolerance = given.of(*part_kind(paired.unit));
    if (tolerance == nullptr) {
        fail(paired,
             "Error: --tolerance has nothing to apply to: it names none of the pair's "
             "kind of part");
        return false;
    }
    const double fraction = tolerance->fraction();
    if (!(fraction < 1.0)) {
        fail(paired, "Error: A pair's tolerance is from 0 to below 100 %");
        return false;
    }
    std::array<double, 4> tolerances{};
    for (const int argument : paired.arguments) {
        tolerances[static_cast<std::size_t>(argument)] = fraction;
    }
    const FormulaInfo& info = *prepared.info;
    const Range found = worst_case_range(info, values, tolerances);
    paired.evaluations += found.evaluations;
    if (!std::isfinite(found.min) || !std::isfinite(found.max)) {
        fail(paired, "Error: " + std::string(info.label) +
                         " leaves the numbers within the pair's tolerance");
        return false;
    }
    paired.part_tolerance = fraction;
    paired.min = found.min;
    paired.max = found.max;
    AnswerLines(paired.line, paired.engineering, &paired.readable)
        .text(", worst case ")
        .shared_unit_span(*prepared.row, found.min, found.max, info.unit)
        .text(" with " + tolerance->text + "% parts");
    return true;
}

// "r1 = 24000 Ω, r2 = 9100 Ω (Output Voltage = 3.299094 V, -0.03%": the
// pair and what it gives, each way a reply is written, the parenthesis left
// open for the worst case.
void write_pair(const PreparedQuestion& prepared, Paired& paired) {
    const Formula& row = *prepared.row;
    const FormulaInfo& info = *prepared.info;
    const auto [first_value, second_value] = paired.values;
    paired.line.clear();
    paired.engineering.clear();
    paired.readable.clear();
    AnswerLines lines(paired.line, paired.engineering, &paired.readable);
    lines.text(paired.names[0]).text(" = ").value(first_value, paired.unit);
    lines.text(", ").text(paired.names[1]).text(" = ").value(second_value, paired.unit);
    // The module's number, with the unit as every other answer writes it.
    lines.text(" (").text(info.label).text(" = ").result(row, paired.result, info.unit);
    lines.text(", ").text(deviation_text(paired.result, prepared.target, info.unit, false),
                          deviation_text(paired.result, prepared.target, info.unit, true));
}

Paired pair_question(const ReadCommand& command, const QuestionSettings& beside) {
    Paired paired;
    PreparedQuestion prepared;
    if (!prepare_question(command, beside, prepared, paired)) return paired;
    const Series* found = series_for(prepared.settings, prepared.info, prepared.unknowns[0]);
    if (const std::string error = misfit(prepared.question, true, found != nullptr);
        !error.empty() || found == nullptr) {
        fail(paired, error.empty() ? "Error: Two values written ? need a series of standard values"
                                   : error);
        return paired;
    }
    const Series series = *found;
    const Formula& row = *prepared.row;
    const FormulaInfo& info = *prepared.info;
    paired.arguments = prepared.unknowns;
    paired.target = prepared.target;
    paired.unit = argument_unit_of(row, paired.arguments[0]);
    if (paired.unit != argument_unit_of(row, paired.arguments[1]) || !part_kind(paired.unit)) {
        fail(paired, "Error: A pair is of two resistances, two capacitances or two inductances");
        return paired;
    }
    for (std::size_t i = 0; i < 2; ++i) {
        paired.names[i] = row.arguments[static_cast<std::size_t>(paired.arguments[i])].name;
    }
    const std::optional<StandardPair> best = best_standard_pair(
        info, prepared.values, paired.arguments[0], paired.arguments[1], prepared.target, series);
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
    paired.error = false;
    paired.hints = prepared.notes;
    write_pair(prepared, paired);
    if (!add_pair_worst_case(prepared, values, paired)) return paired;
    AnswerLines(paired.line, paired.engineering, &paired.readable).text(")");
    return paired;
}

}  // namespace

QuestionSettings beside_of(const QuestionOptions& options) {
    QuestionSettings settings;
    settings.series.every = options.series;
    return settings;
}

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

Solved solve(std::string_view command, const QuestionOptions& options) {
    return solve(command, beside_of(options), options.expand);
}

Ranged range(std::string_view command, const QuestionOptions& options) {
    return range(command, beside_of(options), options.expand);
}

Paired pair(std::string_view command, Series series, const QuestionOptions& options) {
    QuestionSettings beside = beside_of(options);
    beside.series.every = series;
    return pair(command, beside, options.expand);
}

Solved solve(std::string_view command, const QuestionSettings& beside, bool expand) {
    return read_and_answer(solve_question, command, beside, expand);
}

Ranged range(std::string_view command, const QuestionSettings& beside, bool expand) {
    return read_and_answer(range_question, command, beside, expand);
}

Paired pair(std::string_view command, const QuestionSettings& beside, bool expand) {
    return read_and_answer(pair_question, command, beside, expand);
}

Solved solve(const ReadCommand& command, const QuestionSettings& beside) {
    return solve_question(command, beside);
}

Ranged range(const ReadCommand& command, const QuestionSettings& beside) {
    return range_question(command, beside);
}

Paired pair(const ReadCommand& command, const QuestionSettings& beside) {
    return pair_question(command, beside);
}

}  // namespace zorvane::host
