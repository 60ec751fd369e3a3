// The command path: one narrow command line in, one result line out.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "formula_table.h"
#include "words.h"

namespace zorvane {

// Narrow characters a command may hold: the host's command buffer of 256
// bytes with its terminator. A longer one is refused, never cut.
inline constexpr std::size_t COMMAND_CAPACITY = 255;
// Characters a result line may hold: the 80-character result buffer every
// host reads, terminator excluded.
inline constexpr std::size_t RESULT_CAPACITY = 79;
static_assert(MAX_FORMAT_TEXT + WIDEST_SCIENTIFIC <= RESULT_CAPACITY,
              "every value fits the result line at least in %.6e");

// Characters a formula name may hold where a host keeps one: a name buffer
// of 52 bytes with its terminator, room for any keyword (29 at most) with
// space to spare. The command path looks names up where they stand.
inline constexpr std::size_t NAME_CAPACITY = 51;
using ResultBuffer = std::span<char, RESULT_CAPACITY + 1>;

// What evaluating one command came to, before it is rendered as text. Views
// point into the command.
struct Outcome {
    enum Kind {
        empty,            // nothing but spaces
        too_long,         // longer than COMMAND_CAPACITY: refused
        invalid_number,   // `token` is the first value token that is not a number
        unknown_formula,  // `name` names no row, or `formula` needs more values than given
        result,           // `formula` evaluated to `value`
    };
    Kind kind = empty;
    std::string_view name;             // the formula name as typed
    std::string_view token;            // invalid_number: the offending token
    const Formula* formula = nullptr;  // the row named (unknown_formula: null when none is)
    Values values{};                   // the values read, at most MAX_VALUES
    int value_count = 0;
    double value = 0.0;
    bool guarded = false;  // result: the formula's zero guard gave `value`
};

// Evaluates one command of Windows-1252 text. Pure and reentrant.
Outcome evaluate(std::string_view command) noexcept;

// Writes the module's line of an outcome into `result`, zero-terminated:
// a formula's result, an error line that begins "Error: ", or an empty
// line. Returns the line's length.
std::size_t render(const Outcome& outcome, ResultBuffer result) noexcept;

// render(evaluate(command)): evaluates one zero-terminated command of
// Windows-1252 text and writes its line into `result`. A null command is an
// empty command. Returns the line's length. Pure and reentrant: it reads
// nothing but its arguments.
std::size_t evaluate_command(const char* command, ResultBuffer result) noexcept;

// As above, for a command whose length is known; it need not be terminated.
std::size_t evaluate_command(std::string_view command, ResultBuffer result) noexcept;

// The value of a token in plain decimal notation: an optional sign, digits
// with an optional point and fraction (or a point and digits), an optional
// exponent. Anything else, and a value beyond the range of a double, is not a
// number. A value too small for a double reads as zero, as it does in C.
std::optional<double> parse_number(std::string_view token) noexcept;

// One token read from `first`: it ends at the next space or at `last`.
// `value` is empty when the token is not a number as parse_number defines it.
struct NumberToken {
    std::optional<double> value;
    const char* end;
};
NumberToken read_number(const char* first, const char* last) noexcept;

// Lower-cases A..Z of a text; every other byte stays as it is, whatever the
// host's locale.
void lowercase_in_place(std::span<char> text) noexcept;

}  // namespace zorvane
