// One evaluation of a command, rendered as the module's line and in
// engineering notation, and what a host explains beside it.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "zorvane_host/formulas.h"

namespace zorvane::host {

enum class Kind {
    empty,              // nothing but spaces
    too_long,           // refused: longer than the module accepts
    invalid_number,     // `token` is the value token that is not a number
    unknown_formula,    // `token` is the name as typed; `formula` set when the name exists
    result,             // `formula` and `value`
    reference_written,  // "/help": the reference file was written into the current directory
    reference_failed,   // "/help": it could not be
};

struct Answer {
    Kind kind = Kind::empty;
    const FormulaInfo* formula = nullptr;
    double value = 0.0;
    bool guarded = false;     // result: the formula's zero guard answered 0, not its arithmetic
    std::string token;        // the name, or the invalid value token, as typed (UTF-8)
    int values_given = 0;     // value tokens typed after the name (all of them, not only four)
    std::string line;         // the module's line, UTF-8, exactly as ElectronicsCalc gives it
    std::string engineering;  // the same line with the value in engineering notation,
                              // equal to `line` for everything but a result; empty
                              // when the evaluation was not asked for it

    // result: the values the module read, in order (zero past the formula's count)
    std::array<double, 4> values{};

    bool is_error() const noexcept {
        return kind != Kind::result && kind != Kind::empty && kind != Kind::reference_written;
    }
};

// Evaluates one UTF-8 command once and renders it both ways. With
// `expand` the input notation is expanded first. The text goes to UTF-16 and
// through the module's own narrowing, so the line is exactly the one
// ElectronicsCalc gives; "/help" writes the reference file as the module
// does. Keeps its buffers from call to call, so a line without notation
// allocates nothing once they have grown.
class Calculator {
   public:
    struct Options {
        bool expand = true;       // expand the input notation first
        bool engineering = true;  // also render the engineering line (else it stays empty)
    };
    const Answer& evaluate(std::string_view command, Options options);
    const Answer& evaluate(std::string_view command) { return evaluate(command, Options{}); }

   private:
    std::string expanded_;
    std::u16string wide_;
    Answer answer_;
};

// `line` as people read it: the module's line of `formula` (or a line that
// begins with it: a range, statistics) with the ohm sign where the module,
// whose character set lacks it, wrote "?" for the unit Ω, the "?" after
// "<label> = <number> " at the start. Nothing else changes: a "?" typed
// into an error line, or one of another formula's line, stays as it is.
std::string with_ohm_sign(std::string_view line, const FormulaInfo* formula);
// The same appended to `out`: a host that writes a line per command keeps
// one buffer, so a line allocates nothing once it has grown.
void append_with_ohm_sign(std::string_view line, const FormulaInfo* formula, std::string& out);

// Why a guarded result is what it is: "frequency is 0: the formula divides
// by zero, and the module answers 0". Empty unless `answer` is a guarded result.
std::string guard_note(const Answer& answer);

}  // namespace zorvane::host
