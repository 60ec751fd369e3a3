#include <array>
#include <cstring>

#include "command.h"
#include "number_format.h"

namespace zorvane {
namespace {

constexpr std::string_view ELLIPSIS = "...";

// Copies `count` bytes in as few fixed-size moves as cover them, the last
// overlapping those before it: lines are short, and a library call for each
// piece would cost more than the piece.
inline void copy_short(char* to, const char* from, std::size_t count) {
    if (count >= 16) {
        for (std::size_t at = 0; at + 16 < count; at += 16) std::memcpy(to + at, from + at, 16);
        std::memcpy(to + count - 16, from + count - 16, 16);
    } else if (count >= 8) {
        std::memcpy(to, from, 8);
        std::memcpy(to + count - 8, from + count - 8, 8);
    } else if (count >= 4) {
        std::memcpy(to, from, 4);
        std::memcpy(to + count - 4, from + count - 4, 4);
    } else if (count >= 2) {
        std::memcpy(to, from, 2);
        std::memcpy(to + count - 2, from + count - 2, 2);
    } else if (count == 1) {
        *to = *from;
    }
}

// Builds a line of at most RESULT_CAPACITY characters in the result buffer.
// Only echoed input can be longer than the room left; it is shortened with
// "..." so the fixed words around it always survive.
class LineWriter {
   public:
    explicit LineWriter(ResultBuffer out) : out_(out) {}

    // Terminates the line; its length.
    std::size_t finish() {
        out_[length_] = '\0';
        return length_;
    }

    void append(std::string_view text) {
        copy_short(out_.data() + length_, text.data(), text.size());
        length_ += text.size();
    }

    // Appends `text`, leaving room for `reserved` characters after it.
    void append_echo(std::string_view text, std::size_t reserved, bool lower_case) {
        const std::size_t room = RESULT_CAPACITY - length_ - reserved;
        const bool fits = text.size() <= room;
        const std::size_t kept = fits ? text.size() : room - ELLIPSIS.size();
        char* at = out_.data() + length_;
        std::memcpy(at, text.data(), kept);
        if (lower_case) lowercase_in_place(std::span(at, kept));
        length_ += kept;
        if (!fits) append(ELLIPSIS);
    }

    // Appends `value` as "%.6f" would print it, or as "%.6e" where the fixed
    // form would not leave room for `reserved` characters after it. The sign
    // of a NaN carries no meaning and is not printed.
    void append_value(double value, std::size_t reserved) {
        char* first = out_.data() + length_;
        char* last = out_.data() + (RESULT_CAPACITY - reserved);
        char* end = format_fixed6(value, first, last);
        if (end == nullptr) end = format_scientific6(value, first, last);
        // Some "%.6e" text always fits: at most 14 characters after the
        // longest label and unit.
        length_ = static_cast<std::size_t>(end - out_.data());
    }

   private:
    ResultBuffer out_;
    std::size_t length_ = 0;
};

// "Error: Command longer than 255 characters", its number the capacity's.
struct TooLongText {
    std::array<char, 64> chars{};
    std::size_t size = 0;
    constexpr void append(std::string_view text) {
        for (const char c : text) chars[size++] = c;
    }
};

consteval TooLongText too_long_text() {
    TooLongText text;
    text.append("Error: Command longer than ");
    std::array<char, 20> digits{};
    std::size_t count = 0;
    for (std::size_t rest = COMMAND_CAPACITY; count == 0 || rest != 0; rest /= 10) {
        digits[count++] = static_cast<char>('0' + rest % 10);
    }
    while (count != 0) text.chars[text.size++] = digits[--count];
    text.append(" characters");
    return text;
}

constexpr TooLongText TOO_LONG = too_long_text();

std::size_t write_too_long(ResultBuffer result) {
    LineWriter line(result);
    line.append(std::string_view(TOO_LONG.chars.data(), TOO_LONG.size));
    return line.finish();
}

std::size_t write_unknown_formula(ResultBuffer result, std::string_view name) {
    constexpr std::string_view tail = "' or insufficient parameters";
    LineWriter line(result);
    line.append("Error: Unknown formula '");
    line.append_echo(name, tail.size(), true);
    line.append(tail);
    return line.finish();
}

std::size_t write_invalid_number(ResultBuffer result, std::string_view token) {
    LineWriter line(result);
    line.append("Error: Invalid number '");
    line.append_echo(token, 1, false);
    line.append("'");
    return line.finish();
}

std::size_t write_result(ResultBuffer result, const Formula& formula, double value) {
    LineWriter line(result);
    line.append(formula.label);
    line.append_value(value, formula.unit.size());
    line.append(formula.unit);
    return line.finish();
}

std::size_t write_empty(ResultBuffer result) {
    result[0] = '\0';
    return 0;
}

}  // namespace

Outcome evaluate(std::string_view command) noexcept {
    Outcome outcome;
    if (command.size() > COMMAND_CAPACITY) {
        outcome.kind = Outcome::too_long;
        return outcome;
    }
    Words words(command);
    outcome.name = words.next();
    if (outcome.name.empty()) return outcome;

    // Values are read before the name is looked up, so an invalid number is
    // reported even for an unknown name. Tokens after the fourth value are
    // never read.
    outcome.kind = Outcome::result;
    const char* at = words.position();
    const char* const end = words.end();
    while (outcome.value_count < MAX_VALUES) {
        while (at != end && *at == ' ') ++at;
        if (at == end) break;
        const NumberToken number = read_number(at, end);
        if (!number.value) {
            outcome.kind = Outcome::invalid_number;
            outcome.token = std::string_view(at, static_cast<std::size_t>(number.end - at));
            return outcome;
        }
        outcome.values[static_cast<std::size_t>(outcome.value_count++)] = *number.value;
        at = number.end;
    }

    outcome.formula = find_keyword_any_case(outcome.name);
    if (outcome.formula == nullptr || outcome.formula->required_count > outcome.value_count) {
        outcome.kind = Outcome::unknown_formula;
        return outcome;
    }
    const Evaluation evaluation = outcome.formula->evaluate(outcome.values);
    outcome.value = evaluation.value;
    outcome.guarded = evaluation.guarded;
    return outcome;
}

std::size_t render(const Outcome& outcome, ResultBuffer result) noexcept {
    switch (outcome.kind) {
        case Outcome::too_long:
            return write_too_long(result);
        case Outcome::invalid_number:
            return write_invalid_number(result, outcome.token);
        case Outcome::unknown_formula:
            return write_unknown_formula(result, outcome.name);
        case Outcome::result:
            // An outcome built by hand may name no formula: it has no line.
            if (outcome.formula == nullptr) break;
            return write_result(result, *outcome.formula, outcome.value);
        case Outcome::empty:
            break;
    }
    return write_empty(result);
}

std::size_t evaluate_command(const char* command, ResultBuffer result) noexcept {
    if (command == nullptr) return write_empty(result);
    return evaluate_command(std::string_view(command, strnlen(command, COMMAND_CAPACITY + 1)),
                            result);
}

std::size_t evaluate_command(std::string_view command, ResultBuffer result) noexcept {
    return render(evaluate(command), result);
}

}  // namespace zorvane
