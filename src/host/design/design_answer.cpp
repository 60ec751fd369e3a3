// Design questions as people type them: read by the question grammar, the
// values read by the module (so they are the doubles its lines use, and a
// bad value gets its own error line), answered by the design engine, and
// written as lines that show their proof: each candidate's nominal result,
// its worst case and its margin to the window.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "answer_lines.h"
#include "command.h"
#include "formula_table.h"
#include "number_text.h"
#include "question_reading.h"
#include "rendering.h"
#include "statistics.h"
#include "zorvane_host/design_question.h"
#include "zorvane_host/notation.h"

namespace zorvane::host {
namespace {

constexpr std::string_view ARROW = " \xE2\x86\x92 ";
constexpr std::string_view PARALLEL = " \xE2\x88\xA5 ";

// "12.50%", "-2.67%", "+0.36%" with `sign`: a fraction in percent, as a
// deviation is written.
std::string percent(double fraction, bool sign) {
    std::string text = sign && fraction >= 0.0 ? "+" : "";
    text += percent_text(fraction);
    text += '%';
    return text;
}

// The parts' choices the settings make, per kind.
std::array<PartChoice, PART_KIND_COUNT> part_choices(const QuestionSettings& settings) {
    std::array<PartChoice, PART_KIND_COUNT> parts{};
    for (std::size_t k = 0; k < PART_KIND_COUNT; ++k) {
        const auto kind = static_cast<PartKind>(k);
        PartChoice& choice = parts[k];
        if (const Series* series = settings.series.of(kind)) choice.series = *series;
        if (const Percent* tolerance = settings.tolerance.of(kind)) {
            choice.tolerance = tolerance->fraction();
        }
        if (const Limits* within = settings.within.of(kind)) {
            choice.window = PartWindow{within->low, within->high};
        }
        choice.series_per_kind = settings.series.kinds[k].has_value();
        choice.tolerance_per_kind = settings.tolerance.kinds[k].has_value();
        choice.window_per_kind = settings.within.kinds[k].has_value();
    }
    return parts;
}

// "r1 = 27400 Ω, r2 = 10000 Ω" and its engineering form.
void add_chosen_values(const Designed& designed, const DesignCandidate& c, AnswerLines& lines) {
    for (std::size_t u = 0; u < 2 && designed.arguments[u] >= 0; ++u) {
        lines.text(u == 0 ? "" : ", ").text(designed.names[u]).text(" = ");
        lines.value(c.values[u], designed.units[u]);
    }
}

// "×10", "×0.01": a power of ten as the factor it is, in decimals.
std::string factor(int power) {
    std::string text = "\xC3\x97";
    if (power >= 0) return text + "1" + std::string(static_cast<std::size_t>(power), '0');
    return text + "0." + std::string(static_cast<std::size_t>(-power - 1), '0') + "1";
}

// " (also ×10, ×100)": the candidate's other decades that pass alike, each
// as the factor that moves every value; where the values move apart (a
// product: R ×10 with C ×0.1), as the values, " (also 16000 Ω with
// 1e-08 F)". "" for a candidate without any.
void add_also(const Designed& designed, const DesignCandidate& c, AnswerLines& lines) {
    if (c.also.empty()) return;
    const std::size_t count = designed.arguments[1] >= 0 ? 2 : 1;
    lines.text(" (also ");
    for (std::size_t k = 0; k < c.also.size(); ++k) {
        const DesignCandidate::OtherDecade& other = c.also[k];
        lines.text(k == 0 ? "" : ", ");
        if (count == 1 || other.powers[0] == other.powers[1]) {
            lines.text(factor(other.powers[0]));
            continue;
        }
        for (std::size_t u = 0; u < count; ++u) {
            lines.text(u == 0 ? "" : " with ").value(other.values[u], designed.units[u]);
        }
    }
    lines.text(")");
}

// "3.2 .. 3.4 V": a window on the result, or the worst case.
void add_window(const Designed& designed, double low, double high, AnswerLines& lines) {
    lines.span(*row_of(*designed.formula), low, high, designed.formula->unit);
}

// "3.299270 V (-0.02%), worst case 3.230000 .. 3.370000 V, margin 15.20%"
void add_proof(const Designed& designed, const DesignCandidate& c, AnswerLines& lines) {
    lines.result(*row_of(*designed.formula), c.nominal, designed.formula->unit);
    if (designed.centre != 0.0) lines.text(" (" + percent(c.deviation, true) + ")");
    if (!designed.design.nominal_only) {
        lines.text(", worst case ");
        add_window(designed, c.min, c.max, lines);
    }
    lines.text(", margin " + percent(c.margin, false));
}

// "R E96 1%, C E12 10%": the parts searched.
std::string parts_text(const Designed& designed) {
    std::string text;
    std::array<bool, PART_KIND_COUNT> shown{};
    for (std::size_t u = 0; u < 2 && designed.arguments[u] >= 0; ++u) {
        const auto kind = part_kind(designed.units[u]);
        if (!kind || shown[static_cast<std::size_t>(*kind)]) continue;
        shown[static_cast<std::size_t>(*kind)] = true;
        std::string tolerance = percent(designed.design.part_tolerances[u], false);
        // "1.00%" reads "1%": the tolerances people name have no more digits than needed.
        while (tolerance.size() > 2 && tolerance[tolerance.size() - 2] == '0') {
            tolerance.erase(tolerance.size() - 2, 1);
        }
        if (tolerance.ends_with(".%")) tolerance.erase(tolerance.size() - 2, 1);
        text.append(text.empty() ? "" : ", ")
            .append(part_kind_letter(*kind))
            .append(" ")
            .append(series_name(designed.design.series[u]))
            .append(" ")
            .append(tolerance);
    }
    return text;
}

// ", yield 99.8700%" after a candidate's proof, with --mc.
std::string yield_text(double yield) {
    if (std::isnan(yield)) return ", yield undefined";
    std::string text = ", yield ";
    text += printed("%.4f", yield * 100.0);
    text += '%';
    return text;
}

// Each listed candidate through the statistics' Monte Carlo run: its parts
// within the series' (or --tolerance's) tolerance, the other values within
// their own, and one seed for all, so that candidates meet the same draws.
void add_yields(const ReadQuestion& r, const DesignRequest& request, Designed& designed) {
    TolerancedCommand t;
    t.info = r.info;
    t.row = r.row;
    t.has_window = true;
    t.low = request.low;
    t.high = request.high;
    t.samples = r.settings.samples.value_or(0);
    t.seed = r.settings.seed.value_or(DEFAULT_SEED);
    t.distribution = r.settings.distribution.value_or(Distribution::uniform);
    designed.samples = t.samples;
    designed.seed = t.seed;
    designed.distribution = t.distribution;
    long evaluations = designed.evaluations;
    const auto yield_of = [&](const DesignCandidate& c) {
        t.values = r.values;
        t.tolerances = r.tolerances;
        for (std::size_t u = 0; u < 2; ++u) {
            if (r.unknowns[u] < 0) continue;
            const auto index = static_cast<std::size_t>(r.unknowns[u]);
            t.values[index] = c.values[u];
            t.tolerances[index] = designed.design.part_tolerances[u];
        }
        const Simulated simulated = simulate_toleranced(t);
        evaluations += simulated.evaluations;
        return simulated.error ? std::numeric_limits<double>::quiet_NaN() : simulated.yield;
    };
    for (const DesignCandidate& c : designed.design.candidates) {
        designed.yields.push_back(yield_of(c));
    }
    // When none passes, how much of the window the best one still keeps.
    if (designed.design.candidates.empty() && designed.design.best) {
        designed.best_yield = yield_of(*designed.design.best);
    }
    designed.evaluations =
        static_cast<int>(std::min<long>(evaluations, std::numeric_limits<int>::max()));
}

// "the worst case", or nominal values only: how a candidate was checked.
std::string check_text(const Design& d) {
    return d.nominal_only ? "at nominal values only, no value or part carrying a tolerance"
                          : "the worst case";
}

// "Output Voltage within 3.2 .. 3.4 V"
void add_wanted(const Designed& designed, AnswerLines& lines) {
    lines.text(designed.formula->label).text(" within ");
    add_window(designed, designed.low, designed.high, lines);
}

// The hints of a design that no candidate passes: the best by margin, and
// what would make one pass.
void add_remedy_hints(Designed& designed) {
    const Design& d = designed.design;
    if (d.best) {
        std::string plain;
        std::string eng;
        AnswerLines best(plain, eng);
        add_chosen_values(designed, *d.best, best);
        best.text(ARROW);
        add_proof(designed, *d.best, best);
        best.text(designed.best_yield ? yield_text(*designed.best_yield) : "");
        designed.hints.push_back("best by margin: " + eng);
    }
    if (!d.remedy) return;
    std::string plain;
    std::string eng;
    AnswerLines window(plain, eng);
    add_window(designed, d.remedy->low, d.remedy->high, window);
    designed.hints.push_back("it passes with a window of " + eng);
    if (d.remedy->tolerance) {
        designed.hints.push_back("a candidate passes with parts of " +
                                 percent(*d.remedy->tolerance, false) + " (--tolerance)");
    } else {
        designed.hints.push_back(
            "no tighter part makes one pass: the other values' tolerances take up the window");
    }
    if (d.remedy->series) {
        const std::string name(series_name(*d.remedy->series));
        designed.hints.push_back("a candidate passes with " + name + " parts (--series " + name +
                                 ")");
    }
}

// "Error: No candidate keeps Output Voltage within 3.2 .. 3.4 V in the worst
// case (1234 candidates, R E24 5%)", with hints.
void write_failure(Designed& designed) {
    std::string plain;
    std::string eng;
    AnswerLines lines(plain, eng);
    lines.text("Error: No candidate keeps ");
    add_wanted(designed, lines);
    lines.text(" in " + check_text(designed.design) + " (" +
               std::to_string(designed.design.searched_candidates) + " candidates, " +
               parts_text(designed) + ")");
    fail(designed, plain);
    designed.engineering = std::move(eng);
    add_remedy_hints(designed);
}

// The heading, then a line per candidate, best first.
void write_candidates(Designed& designed) {
    const Design& d = designed.design;
    std::string plain;
    std::string eng;
    AnswerLines heading(plain, eng);
    // The count is of every candidate, each decade apart; a line holds one
    // with its other decades.
    add_wanted(designed, heading);
    heading.text(": " + std::to_string(d.passing) + " of " + std::to_string(d.searched_candidates) +
                 " candidates (every decade counted) pass " + check_text(d) + " (" +
                 parts_text(designed) + "), best first:");
    designed.lines.push_back(std::move(plain));
    designed.engineering_lines.push_back(std::move(eng));
    for (std::size_t i = 0; i < d.candidates.size(); ++i) {
        std::string candidate_plain;
        std::string candidate_eng;
        AnswerLines lines(candidate_plain, candidate_eng);
        lines.text(std::to_string(i + 1) + ". ");
        add_chosen_values(designed, d.candidates[i], lines);
        add_also(designed, d.candidates[i], lines);
        lines.text(": ");
        add_proof(designed, d.candidates[i], lines);
        lines.text(i < designed.yields.size() ? yield_text(designed.yields[i]) : "");
        designed.lines.push_back(std::move(candidate_plain));
        designed.engineering_lines.push_back(std::move(candidate_eng));
    }
}

// The lines joined into one: "heading 1. ...; 2. ...".
std::string joined(const std::vector<std::string>& lines) {
    std::string text = lines.front();
    for (std::size_t i = 1; i < lines.size(); ++i)
        text.append(i == 1 ? " " : "; ").append(lines[i]);
    return text;
}

void write_answer(Designed& designed) {
    if (designed.design.candidates.empty()) {
        write_failure(designed);
        return;
    }
    designed.error = false;
    write_candidates(designed);
    designed.line = joined(designed.lines);
    designed.engineering = joined(designed.engineering_lines);
    designed.hints.push_back(
        "ranked by margin to the window's nearer edge, then nominal error, then fewer distinct "
        "values, then smaller values; the same values in other decades with the same margin, "
        "nominal error and worst case are named on the first one's line (also \xC3\x97"
        "10)");
    if (designed.design.nominal_only) {
        designed.hints.push_back(
            "no value and no part carries a tolerance, so only nominal results were checked");
    }
}

// Whether a question read is one a design answers; false, with the error in
// `designed`, when it is not.
bool is_design(const ReadQuestion& r, Designed& designed) {
    const Question& question = r.question;
    if (question.unknowns() > 2) {
        fail(designed,
             "Error: A design picks one or two values written ?, not " +
                 std::to_string(question.unknowns()),
             {"write the others' values"});
        return false;
    }
    if (question.target && !question.target->is_window() && !question.target->reading) {
        fail(designed, invalid_number_line(question.target->number),
             {std::string(r.info->label) + " is in " + std::string(r.info->unit)});
        return false;
    }
    if (!question.target || !question.target->is_window()) {
        fail(designed, "Error: A design needs a window on the result after '='",
             {"write = 3.3\xC2\xB1"
              "3% or = 3.2..3.4"});
        return false;
    }
    if (r.settings.combine) {
        fail(designed, "Error: --combine goes with a solve, not with a design",
             {"leave the option out"});
        return false;
    }
    return samples_within_limit(r.settings, designed);
}

// The kind of part of the value written ?, if it is one.
std::optional<PartKind> unknown_part(const ReadQuestion& r) {
    const int argument = r.unknowns[0];
    if (argument < 0) return std::nullopt;
    return part_kind(r.info->argument_units[static_cast<std::size_t>(argument)]);
}

// Whether --combine asks for what can be combined: two parts of a kind with
// a series. False, with the error in `out`, when it does not.
bool can_combine(const ReadQuestion& r, const PartChoice* choice, SolvedInParts& out) {
    if (r.settings.combine && *r.settings.combine != 2) {
        fail(out, "Error: --combine takes 2: two parts for one value");
        return false;
    }
    if (choice == nullptr || !choice->series) {
        fail(out,
             "Error: --combine 2 needs a resistance, capacitance or inductance written ? "
             "and a series",
             {"--series E24 --combine 2 voltage_divider 12 10k ? = 3.3"});
        return false;
    }
    return true;
}

// "3300 Ω + 470 Ω = 3770 Ω → 3.3 V (+0.18%, 3.2 .. 3.4 V)": a combination
// and what it gives, its deviation from the target and its worst case.
void add_combination(const Formula& row, const Combination& c, const CombinedResult& result,
                     const SolvedInParts& out, std::string_view result_unit, AnswerLines& lines) {
    const std::string_view unit = out.unit;
    lines.value(c.first, unit).text(c.parallel ? PARALLEL : " + ").value(c.second, unit);
    lines.text(" = ").value(c.value, unit).text(ARROW).result(row, result.nominal, result_unit);
    lines.text(" (");
    // "+0.18%, " from the target; nothing for a target of 0.
    if (out.target != 0.0) {
        lines.text(percent((result.nominal - out.target) / std::abs(out.target), true) + ", ");
    }
    lines.span(row, result.min, result.max, result_unit).text(")");
}

// "; two E24 parts: " and each combination found, in series and in
// parallel, on the solve's lines; a hint when none is found.
void add_combinations(const ReadQuestion& r, const Combinations& found, double wanted,
                      Series series, SolvedInParts& out) {
    const int argument = r.unknowns[0];
    std::string plain;
    std::string eng;
    AnswerLines lines(plain, eng);
    lines.text("; two ").text(series_name(series)).text(" parts: ");
    for (const std::optional<Combination>& c : {found.series, found.parallel}) {
        if (!c) continue;
        std::array<double, 4> values = r.values;
        values[static_cast<std::size_t>(argument)] = wanted;
        const CombinedResult result =
            combined_result(*r.info, values, {}, argument, *c, out.part_tolerance);
        out.evaluations += result.evaluations;
        out.combinations.push_back({*c, result});
        lines.text(out.combinations.size() == 1 ? "" : ", ");
        add_combination(*r.row, *c, result, out, r.info->unit, lines);
    }
    if (out.combinations.empty()) {
        out.hints.push_back("no two " + std::string(series_name(series)) +
                            " values within the search window combine to it");
        return;
    }
    out.line += plain;
    out.engineering += eng;
    // The parts, each a standard value, read as the engineering line does.
    if (!out.readable.empty()) out.readable += eng;
}

}  // namespace

bool is_design_question(const Question& question) noexcept {
    return question.unknowns() > 0 && question.target && question.target->is_window();
}

Designed design(std::string_view command, const QuestionSettings& beside, bool expand) {
    return read_and_answer<Designed>(design, command, beside, expand);
}

Designed design(const ReadCommand& command, const QuestionSettings& beside) {
    Designed designed;
    ReadQuestion r;
    if (!read_question(command, beside, r, designed)) return designed;
    designed.formula = r.info;
    if (!is_design(r, designed)) return designed;
    const QuestionTarget& target = *r.question.target;
    DesignRequest request;
    request.formula = r.info;
    request.values = r.values;
    request.tolerances = r.tolerances;
    request.unknowns = r.unknowns;
    const std::optional<ResultWindow> window = window_of(target);
    if (!window) {
        fail(designed, invalid_number_line(target.number),
             {std::string(r.info->label) + " is in " + std::string(r.info->unit)});
        return designed;
    }
    request.low = window->low;
    request.high = window->high;
    request.centre = window->centre;
    request.parts = part_choices(r.settings);
    request.top = r.settings.top.value_or(DEFAULT_TOP);
    designed.design = host::design(request);
    designed.evaluations = static_cast<int>(
        std::min<long>(designed.design.evaluations, std::numeric_limits<int>::max()));
    if (!designed.design.error.empty()) {
        fail(designed, "Error: " + designed.design.error);
        return designed;
    }
    designed.arguments = r.unknowns;
    for (std::size_t u = 0; u < 2; ++u) {
        if (r.unknowns[u] < 0) continue;
        const Argument& argument = r.row->arguments[static_cast<std::size_t>(r.unknowns[u])];
        designed.names[u] = argument.name;
        designed.units[u] = argument.unit.utf8;
    }
    designed.low = request.low;
    designed.high = request.high;
    designed.centre = request.centre.value_or(request.low + (request.high - request.low) / 2.0);
    if (r.settings.samples) add_yields(r, request, designed);
    write_answer(designed);
    return designed;
}

SolvedInParts solve_in_parts(std::string_view command, const QuestionSettings& beside,
                             bool expand) {
    return read_and_answer<SolvedInParts>(solve_in_parts, command, beside, expand);
}

SolvedInParts solve_in_parts(const ReadCommand& command, const QuestionSettings& beside) {
    SolvedInParts out;
    ReadQuestion r;
    if (!read_question(command, beside, r, out)) return out;
    const std::optional<PartKind> part = unknown_part(r);
    const std::array<PartChoice, PART_KIND_COUNT> parts = part_choices(r.settings);
    const PartChoice* choice = part ? &parts[static_cast<std::size_t>(*part)] : nullptr;
    // The solve itself, of the question without its options but the series.
    ParsedQuestion plain;
    plain.question = r.question;
    plain.question.settings = {};
    QuestionSettings series_only;
    if (choice != nullptr) series_only.series.every = choice->series;
    static_cast<Solved&>(out) = solve({command.text, plain, command.expand}, series_only);
    if (out.error || !can_combine(r, choice, out)) return out;
    const Series series = *choice->series;
    out.part_tolerance = choice->tolerance.value_or(series_tolerance(series));
    const PartWindow window = choice->window.value_or(default_part_window(*part));
    // A stretch of values, not one: no value to make of two parts.
    if (out.solutions.empty()) {
        out.hints.emplace_back("a stretch of values gives the target: no one value to combine");
        return out;
    }
    const double wanted = out.solutions.front();
    const Combinations found = combine_two(wanted, *part, series, out.part_tolerance, window);
    out.evaluations += found.evaluations;
    add_combinations(r, found, wanted, series, out);
    return out;
}

}  // namespace zorvane::host
