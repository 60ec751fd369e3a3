// One evaluation, rendered as the module's line and in engineering notation.
#include "zorvane_host/calculator.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "command.h"
#include "help.h"
#include "reference_request.h"
#include "rendering.h"
#include "text_conversion.h"
#include "zorvane_host/notation.h"
#include "zorvane_host/utf.h"

namespace zorvane::host {
namespace {

// The tokens of a command are split at spaces as the module splits them.
// Expansion and narrowing keep every token in its place, so a token the
// module names can be shown as the person typed it.

// The typed word in the place of the module's `token`, which views `narrow`.
std::string_view as_typed(std::string_view typed, std::string_view narrow, std::string_view token) {
    Words typed_words(typed);
    Words narrow_words(narrow);
    for (std::string_view word = narrow_words.next(), typed_word = typed_words.next();
         !word.empty(); word = narrow_words.next(), typed_word = typed_words.next()) {
        if (word.data() == token.data()) return typed_word;
    }
    return {};
}

// The host's kinds begin with the core's, in the same order.
static_assert(static_cast<int>(Kind::empty) == Outcome::empty &&
              static_cast<int>(Kind::too_long) == Outcome::too_long &&
              static_cast<int>(Kind::invalid_number) == Outcome::invalid_number &&
              static_cast<int>(Kind::unknown_formula) == Outcome::unknown_formula &&
              static_cast<int>(Kind::result) == Outcome::result);

// "/help" writes the reference file, as it does through the module.
void write_reference(Answer& answer) {
    const bool written = save_formula_reference(nullptr);
    answer.kind = written ? Kind::reference_written : Kind::reference_failed;
    answer.line = reference_outcome(written);
}

void render_engineering(Answer& answer) {
    if (answer.kind != Kind::result) {
        answer.engineering = answer.line;
        return;
    }
    answer.engineering.assign(answer.formula->label).append(" = ");
    append_engineering_value(answer.value, answer.formula->unit, answer.engineering);
}

}  // namespace

const FormulaInfo* info_of(const Formula* row) noexcept {
    return row == nullptr ? nullptr
                          : &formulas()[static_cast<std::size_t>(row - formula_table().data())];
}

const Formula* row_of(const FormulaInfo& formula) noexcept {
    // By keyword, so that a FormulaInfo a host built itself finds its row too.
    return find_keyword(formula.keyword);
}

// The widening reads whole rounds of sixteen bytes, past the line's end, so
// the buffer is zero-filled as the module's own is: no byte it reads is
// indeterminate.
void append_module_line(const Outcome& outcome, std::string& out) {
    LineBuffer line{};
    const std::size_t length = render(outcome, line);
    WideLineBuffer wide_line;
    widen_line(line, length, wide_line);
    append_utf8_from_utf16(std::u16string_view(wide_line.data(), length), out);
}

std::string invalid_number_line(std::string_view token) {
    std::u16string wide;
    append_utf16_from_utf8(token, wide);
    std::array<char, COMMAND_CAPACITY + 1> narrow{};
    const std::size_t length = narrow_from_wide(wide.c_str(), narrow);
    Outcome outcome;
    outcome.kind = Outcome::invalid_number;
    outcome.token = std::string_view(narrow.data(), length);
    std::string line;
    append_module_line(outcome, line);
    return line;
}

const Answer& Calculator::evaluate(std::string_view command, Options options) {
    std::string_view text = command;
    if (options.expand) {
        expanded_.clear();
        expand_notation(command, expanded_);
        text = expanded_;
    }
    wide_.clear();
    append_utf16_from_utf8(text, wide_);
    // One more than the module accepts, so that a longer command is refused.
    std::array<char, COMMAND_CAPACITY + 2> narrow;
    const std::string_view narrow_text(narrow.data(), narrow_from_wide(wide_.c_str(), narrow));
    const Outcome outcome = zorvane::evaluate(narrow_text);

    answer_.kind = static_cast<Kind>(outcome.kind);
    answer_.formula = info_of(outcome.formula);
    answer_.value = outcome.value;
    answer_.guarded = outcome.guarded;
    answer_.values = outcome.values;
    answer_.values_given = std::max(count_words(narrow_text) - 1, 0);
    answer_.token =
        as_typed(command, narrow_text,
                 outcome.kind == Outcome::invalid_number ? outcome.token : outcome.name);
    answer_.line.clear();
    if (is_reference_request(narrow_text)) {
        write_reference(answer_);
    } else {
        append_module_line(outcome, answer_.line);
    }
    // The engineering line costs about a quarter of an evaluation; a batch
    // that prints only the module's lines does without it.
    answer_.engineering.clear();
    if (options.engineering) render_engineering(answer_);
    return answer_;
}

namespace {

// The unit word of the module's line of `formula` at the start of `line`,
// "<label> = <number> <unit>" followed by the line's end or a space (a range
// and statistics follow it); empty when `line` does not begin so.
std::string_view module_unit(std::string_view line, const FormulaInfo& formula) {
    constexpr std::string_view EQUALS = " = ";
    if (!line.starts_with(formula.label)) return {};
    std::string_view rest = line.substr(formula.label.size());
    if (!rest.starts_with(EQUALS)) return {};
    rest.remove_prefix(EQUALS.size());
    const std::size_t number_end = rest.find(' ');
    if (number_end == 0 || number_end == std::string_view::npos) return {};
    rest.remove_prefix(number_end + 1);
    return rest.substr(0, rest.find(' '));
}

}  // namespace

void append_with_ohm_sign(std::string_view line, const FormulaInfo* formula, std::string& out) {
    const std::string_view unit = formula == nullptr || formula->unit != OHM.utf8
                                      ? std::string_view()
                                      : module_unit(line, *formula);
    if (unit != OHM.windows_1252) {
        out.append(line);
        return;
    }
    const auto at = static_cast<std::size_t>(unit.data() - line.data());
    out.append(line.substr(0, at)).append(OHM.utf8).append(line.substr(at + unit.size()));
}

std::string with_ohm_sign(std::string_view line, const FormulaInfo* formula) {
    std::string shown;
    append_with_ohm_sign(line, formula, shown);
    return shown;
}

std::string guard_note(const Answer& answer) {
    if (answer.kind != Kind::result || !answer.guarded || answer.formula == nullptr) return {};
    // The guards answer for zero operands only, so a guarded result has one
    // unless a product of values underflowed to zero.
    std::vector<std::string> zero;
    const auto& arguments = answer.formula->arguments;
    for (std::size_t i = 0; i < arguments.size() && i < answer.values.size(); ++i) {
        if (answer.values[i] == 0.0) zero.push_back(argument_words(arguments[i]));
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

}  // namespace zorvane::host
