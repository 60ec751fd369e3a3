#include "question_reading.h"

#include <cmath>

#include "rendering.h"
#include "reply_text.h"

namespace zorvane::host {
namespace {

// What stands for an unknown when the module reads the values.
constexpr std::string_view PLACEHOLDER = "1";

// Notes where the values written ? are, and refuses one beyond the
// formula's values.
bool find_unknowns(ReadQuestion& out, Reply& reply) {
    const int count = out.row->required_count;
    int found = 0;
    for (std::size_t i = 0; i < out.question.values.size(); ++i) {
        const QuestionValue& value = out.question.values[i];
        if (i < out.tolerances.size() && value.tolerance) {
            out.tolerances[i] = value.tolerance->value / 100.0;
        }
        if (!value.unknown) continue;
        if (static_cast<int>(i) >= count) {
            fail(reply,
                 "Error: ? stands for one of the " + std::to_string(count) + " values of " +
                     std::string(out.row->keyword),
                 {usage(*out.info)});
            return false;
        }
        if (found < 2) out.unknowns[static_cast<std::size_t>(found++)] = static_cast<int>(i);
    }
    return true;
}

// One character, in UTF-8: what a shell puts where a ? matched a file name
// of one letter.
bool is_one_character(std::string_view word) {
    if (word.empty()) return false;
    const auto lead = static_cast<unsigned char>(word[0]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    return word.size() == length;
}

// Why the module refused a value of the question. A word of one character
// in a question with '=' is most likely a ? that the shell replaced: the
// unit the value takes would only mislead.
std::vector<std::string> refusal_hints(const ReadQuestion& out, std::string_view text,
                                       const Answer& answer) {
    if (answer.kind == Kind::invalid_number && out.question.target &&
        is_one_character(answer.token)) {
        return {"did the shell replace ? with a file name of one letter? quote it: '?'"};
    }
    return hints(text, answer);
}

}  // namespace

std::string module_command(const Question& question) {
    std::string command(question.keyword);
    for (const QuestionValue& value : question.values) {
        command.append(" ").append(value.unknown ? PLACEHOLDER : value.number);
    }
    return command;
}

bool read_question(std::string_view command, bool expand, const QuestionSettings& beside,
                   ReadQuestion& out, Reply& reply) {
    Calculator calculator;
    const Calculator::Options module_options{.expand = expand, .engineering = true};
    if (command.size() > command_capacity()) {
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
    out.question = std::move(parsed.question);
    out.settings = merged(beside, out.question.settings);
    const std::string text = module_command(out.question);
    const Answer& answer = calculator.evaluate(text, module_options);
    reply.formula = answer.formula;
    if (answer.kind != Kind::result) {
        fail(reply, answer.line, refusal_hints(out, text, answer));
        return false;
    }
    out.info = answer.formula;
    out.row = row_of(*answer.formula);
    out.values = answer.values;
    out.line = answer.line;
    out.engineering = answer.engineering;
    out.notes = hints(text, answer);
    return find_unknowns(out, reply);
}

std::optional<ResultWindow> window_of(const QuestionTarget& target) {
    if (target.limits) return ResultWindow{target.limits->low, target.limits->high, {}};
    if (!target.reading || !target.tolerance) return std::nullopt;
    const double fraction = target.tolerance->value / 100.0;
    const double one = *target.reading * (1.0 - fraction);
    const double other = *target.reading * (1.0 + fraction);
    return ResultWindow{std::fmin(one, other), std::fmax(one, other), *target.reading};
}

}  // namespace zorvane::host
