#include "question_reading.h"

#include <cmath>

#include "number_text.h"
#include "rendering.h"
#include "zorvane_host/calculator.h"
#include "zorvane_host/hints.h"
#include "zorvane_host/prompt.h"

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
            out.tolerances[i] = value.tolerance->fraction();
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

// A window after '=' (3.3±3%, 3.2..3.4), which the grammar has read, on a
// command with tolerances.
bool read_window_target(PreparedQuestion& prepared, Reply& reply) {
    const Question& question = prepared.question;
    if (question.unknowns() > 0) {
        fail(reply, "Error: A window after '=' goes with tolerances, not with a value written ?",
             {"solve for one value: = 3.3; or give tolerances: 10k\xC2\xB1"
              "1% ... = 3.3\xC2\xB1"
              "3%"});
        return false;
    }
    if (question.tolerances() == 0) {
        fail(reply, "Error: A window after '=' needs values with tolerances",
             {"write a tolerance on a value: 10k\xC2\xB1"
              "1%"});
        return false;
    }
    const std::optional<ResultWindow> window = window_of(*question.target);
    if (!window) {
        fail(reply, invalid_number_line(question.target->number),
             {"write a window as 3.3\xC2\xB1"
              "3% or 3.2..3.4"});
        return false;
    }
    prepared.low = window->low;
    prepared.high = window->high;
    prepared.has_window = true;
    return true;
}

}  // namespace

void fail(Reply& reply, std::string line, std::vector<std::string> hints) {
    reply.error = true;
    reply.readable.clear();
    reply.engineering = line;
    reply.line = std::move(line);
    reply.hints = std::move(hints);
}

std::string module_command(const Question& question) {
    std::string command(question.keyword);
    for (const QuestionValue& value : question.values) {
        command.append(" ").append(value.unknown ? PLACEHOLDER : value.number);
    }
    return command;
}

bool read_question(const ReadCommand& command, const QuestionSettings& beside, ReadQuestion& out,
                   Reply& reply) {
    Calculator calculator;
    const Calculator::Options module_options{.expand = command.expand, .engineering = true};
    if (command.text.size() > command_capacity()) {
        const Answer& answer = calculator.evaluate(command.text, module_options);
        if (answer.kind == Kind::too_long) {
            fail(reply, answer.line);
            return false;
        }
    }
    const ParsedQuestion& parsed = command.reading;
    if (!parsed.ok()) {
        fail(reply, parsed.error, parsed.hints);
        return false;
    }
    out.question = parsed.question;
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
    const double fraction = target.tolerance->fraction();
    const double one = *target.reading * (1.0 - fraction);
    const double other = *target.reading * (1.0 + fraction);
    return ResultWindow{std::fmin(one, other), std::fmax(one, other), *target.reading};
}

bool prepare_question(const ReadCommand& command, const QuestionSettings& beside,
                      PreparedQuestion& prepared, Reply& reply) {
    if (!read_question(command, beside, prepared, reply)) return false;
    const Question& question = prepared.question;
    if (question.target && question.target->is_window()) {
        return read_window_target(prepared, reply);
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

bool samples_within_limit(const QuestionSettings& settings, Reply& reply) {
    if (!settings.samples || *settings.samples <= MAX_SAMPLES) return true;
    fail(reply,
         "Error: Invalid number of samples '" + std::to_string(*settings.samples) + "' for '--mc'",
         {std::string(question_option_hint("--mc"))});
    return false;
}

}  // namespace zorvane::host
