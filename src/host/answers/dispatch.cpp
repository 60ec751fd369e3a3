// The one dispatch: which answer a command asks for, decided here once for
// every host, and the answer as a reply or as one JSON object. The kinds of
// question are the rows of one table, as the formulas are: its name, how a
// question is recognised as it, and how it is answered.
#include <algorithm>
#include <iterator>
#include <string>
#include <type_traits>

#include "kinds.h"
#include "questions.h"
#include "zorvane_host/answers.h"
#include "zorvane_host/design_question.h"
#include "zorvane_host/hints.h"

namespace zorvane::host {
namespace kinds {

bool asks_design(const Asked& asked) { return is_design_question(asked.question); }
bool asks_combine(const Asked& asked) { return asked.settings.combine.has_value(); }

namespace {
bool has_window(const Question& question) {
    return question.target && question.target->is_window();
}
}  // namespace

bool asks_statistics(const Asked& asked) {
    const Question& q = asked.question;
    return q.tolerances() > 0 && q.unknowns() == 0 &&
           (has_window(q) || (!q.target && asked.settings.samples));
}
bool asks_range(const Asked& asked) {
    const Question& q = asked.question;
    return q.tolerances() > 0 && q.unknowns() == 0 && !q.target;
}
bool asks_pair(const Asked& asked) {
    const Question& q = asked.question;
    const auto first = std::find_if(q.values.begin(), q.values.end(),
                                    [](const QuestionValue& value) { return value.unknown; });
    return q.unknowns() == 2 && series_for(asked.settings, q.formula,
                                           static_cast<int>(first - q.values.begin())) != nullptr;
}
// Every other question: the solver reads it, and says what it lacks.
bool asks_anything(const Asked&) { return true; }

Answered design_answer(const ReadCommand& command, const QuestionSettings& beside) {
    return design(command, beside);
}
Answered combine_answer(const ReadCommand& command, const QuestionSettings& beside) {
    return solve_in_parts(command, beside);
}
Answered statistics_answer(const ReadCommand& command, const QuestionSettings& beside) {
    return simulate(command, beside);
}
Answered range_answer(const ReadCommand& command, const QuestionSettings& beside) {
    return range(command, beside);
}
Answered pair_answer(const ReadCommand& command, const QuestionSettings& beside) {
    return pair(command, beside);
}
Answered solve_answer(const ReadCommand& command, const QuestionSettings& beside) {
    return solve(command, beside);
}

}  // namespace kinds

namespace {

using kinds::KindRow;
using kinds::KINDS;

Forwarded forwarded(std::string command, bool expand) {
    Forwarded out;
    Calculator calculator;
    out.answer = calculator.evaluate(command, {.expand = expand, .engineering = true});
    out.error = out.answer.is_error();
    out.line = out.answer.line;
    out.engineering = out.answer.engineering;
    out.hints = hints(command, out.answer);
    out.formula = out.answer.formula;
    out.evaluations = out.answer.kind == Kind::result ? 1 : 0;
    out.command = std::move(command);
    return out;
}

// The row that answers a question that reads, or null where the question
// is only options before a command the module answers.
const KindRow* kind_of(const Question& question, const QuestionSettings& beside) {
    Question forward = question;
    forward.settings = {};
    if (!is_question(compose_question(forward))) return nullptr;
    const QuestionSettings settings = merged(beside, question.settings);
    const kinds::Asked asked{question, settings};
    return &*std::find_if(std::begin(KINDS), std::end(KINDS),
                          [&asked](const KindRow& row) { return row.asks(asked); });
}

}  // namespace

Answered answer(std::string_view command, const QuestionSettings& beside, bool expand) {
    if (!is_question(command)) return forwarded(std::string(command), expand);
    const ParsedQuestion parsed = parse_question(command, expand);
    // A question that does not read gets its error from the solver's reading.
    const ReadCommand read{command, parsed, expand};
    if (!parsed.ok()) return solve(read, beside);
    if (const KindRow* row = kind_of(parsed.question, beside)) return row->answer(read, beside);
    // Options before a command that asks nothing more: the module's answer
    // to the rest (each answer uses the options it needs and leaves the others be).
    Question forward = parsed.question;
    forward.settings = {};
    return forwarded(compose_question(forward), expand);
}

const Reply& reply_of(const Answered& answered) {
    return std::visit([](const auto& reply) -> const Reply& { return reply; }, answered);
}

std::string_view kind_name(const Answered& answered) {
    if (const auto* module = std::get_if<Forwarded>(&answered)) {
        return kind_name(module->answer.kind);
    }
    if (const auto* designed = std::get_if<Designed>(&answered)) {
        return design_searched(*designed) ? kinds::name_of<Designed>() : "error";
    }
    if (reply_of(answered).error) return "error";
    return std::find_if(std::begin(KINDS), std::end(KINDS),
                        [&answered](const KindRow& row) { return row.type == answered.index(); })
        ->name;
}

std::string answer_json(const Answered& answered) {
    return std::visit(
        [](const auto& reply) {
            using Type = std::decay_t<decltype(reply)>;
            if constexpr (std::is_same_v<Type, Forwarded>) {
                return answer_json(reply.command, reply.answer);
            } else if constexpr (std::is_same_v<Type, Designed>) {
                return design_json(reply);
            } else {
                return answer_json(reply);
            }
        },
        answered);
}

bool is_statistics_question(std::string_view command, const QuestionSettings& beside, bool expand) {
    if (!is_question(command)) return false;
    const ParsedQuestion parsed = parse_question(command, expand);
    if (!parsed.ok()) return false;
    const KindRow* row = kind_of(parsed.question, beside);
    return row != nullptr && row->asks == kinds::asks_statistics;
}

Reply ask(std::string_view command, const QuestionOptions& options) {
    return ask(command, beside_of(options), options.expand);
}

Reply ask(std::string_view command, const QuestionSettings& beside, bool expand) {
    return reply_of(answer(command, beside, expand));
}

JsonAnswer json_answer(std::string_view command) { return json_answer(command, {}); }

JsonAnswer json_answer(std::string_view command, const QuestionSettings& beside, bool expand) {
    const Answered answered = answer(command, beside, expand);
    return {answer_json(answered), reply_of(answered).error};
}

}  // namespace zorvane::host
