// The one dispatch: which answer a command asks for, decided here once for
// every host, and the answer as a reply or as one JSON object.
#include <algorithm>
#include <string>

#include "questions.h"
#include "zorvane_host/answers.h"
#include "zorvane_host/design_question.h"
#include "zorvane_host/hints.h"

namespace zorvane::host {
namespace {

// Which answer a command asks for.
enum class QuestionKind { forward, solve, pair, range, statistics, design, combine };

QuestionKind question_kind(std::string_view command, const QuestionSettings& beside, bool expand) {
    if (!is_question(command)) return QuestionKind::forward;
    const ParsedQuestion parsed = parse_question(command, expand);
    // A question that does not read gets its error from the solver's reading.
    if (!parsed.ok()) return QuestionKind::solve;
    const Question& question = parsed.question;
    const QuestionSettings settings = merged(beside, question.settings);
    // Options before a command that asks nothing more: the module's answer.
    Question forward = question;
    forward.settings = {};
    if (!is_question(compose_question(forward))) return QuestionKind::forward;
    // Designs and two parts for one value (design_answer.cpp).
    if (is_design_question(question)) return QuestionKind::design;
    if (settings.combine) return QuestionKind::combine;
    if (question.tolerances() > 0 && question.unknowns() == 0) {
        const bool window = question.target && question.target->is_window();
        if (window || (!question.target && settings.samples)) return QuestionKind::statistics;
        if (!question.target) return QuestionKind::range;
    }
    const auto first = std::find_if(question.values.begin(), question.values.end(),
                                    [](const QuestionValue& value) { return value.unknown; });
    const Series* series =
        series_for(settings, question.formula, static_cast<int>(first - question.values.begin()));
    if (question.unknowns() == 2 && series != nullptr) return QuestionKind::pair;
    return QuestionKind::solve;
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

bool is_statistics_question(std::string_view command, const QuestionSettings& beside, bool expand) {
    return is_question(command) &&
           question_kind(command, beside, expand) == QuestionKind::statistics;
}

Reply ask(std::string_view command, const QuestionOptions& options) {
    return ask(command, beside_of(options), options.expand);
}

Reply ask(std::string_view command, const QuestionSettings& beside, bool expand) {
    switch (question_kind(command, beside, expand)) {
        case QuestionKind::forward:
            break;
        case QuestionKind::statistics:
            return simulate(command, beside, expand);
        case QuestionKind::design:
            return design(command, beside, expand);
        case QuestionKind::combine:
            return solve_in_parts(command, beside, expand);
        case QuestionKind::range:
            return range(command, beside, expand);
        case QuestionKind::pair:
            return pair(command, beside, expand);
        case QuestionKind::solve:
            return solve(command, beside, expand);
    }
    Calculator calculator;
    if (!is_question(command)) {
        return from_answer(calculator.evaluate(command, {.expand = expand, .engineering = true}),
                           command);
    }
    // Options before a command that asks nothing more: the module's answer
    // to the rest (each answer uses the options it needs and leaves the others be).
    const ParsedQuestion parsed = parse_question(command, expand);
    Question forward = parsed.question;
    forward.settings = {};
    const std::string rest = compose_question(forward);
    return from_answer(calculator.evaluate(rest, {.expand = expand, .engineering = true}), rest);
}

JsonAnswer json_answer(std::string_view command) { return json_answer(command, {}); }

JsonAnswer json_answer(std::string_view command, const QuestionSettings& beside, bool expand) {
    const auto of = [](const auto& reply) { return JsonAnswer{answer_json(reply), reply.error}; };
    switch (question_kind(command, beside, expand)) {
        case QuestionKind::forward:
            break;
        case QuestionKind::statistics:
            return of(simulate(command, beside, expand));
        case QuestionKind::design: {
            const Designed designed = design(command, beside, expand);
            return {design_json(designed), designed.error};
        }
        case QuestionKind::combine:
            return of(static_cast<const Solved&>(solve_in_parts(command, beside, expand)));
        case QuestionKind::range:
            return of(range(command, beside, expand));
        case QuestionKind::pair:
            return of(pair(command, beside, expand));
        case QuestionKind::solve:
            return of(solve(command, beside, expand));
    }
    // Options before a forward command: the reply as ask gives it.
    if (is_question(command)) return of(ask(command, beside, expand));
    Calculator calculator;
    const Answer& answer = calculator.evaluate(command, {.expand = expand, .engineering = true});
    return {answer_json(command, answer), answer.is_error()};
}

}  // namespace zorvane::host
