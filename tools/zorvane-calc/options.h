// The command line of zorvane-calc: one table of options, from which the
// parser, --help and the shell completions are all made.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings.h"

namespace zorvane_calc {

enum class Action { evaluate, help, version, list, list_categories, reference };

// What an option takes after it.
enum class Takes {
    nothing,
    // "[DIR]": a directory that may follow as the last word of the command
    // line; nothing else may.
    final_directory,
    // "NAME": one word, the next one or after '=' (--name VALUE or
    // --name=VALUE), one of `choices` (any non-empty word when there are none).
    value,
    // "[N]": a number, the next word when it begins as one does (a digit, or
    // a sign or point and a digit), or after '='; nothing otherwise.
    optional_number,
};

struct OptionArgument {
    Takes takes = Takes::nothing;
    std::string_view name;  // as --help shows it: "[DIR]", "NAME"
    std::span<const std::string_view> choices;
    // Whether a word is an argument, in place of `choices` (which completions
    // still offer); null: the choices decide.
    bool (*accepts)(std::string_view word) = nullptr;
    // What is wrong with the value given (empty: nothing), or null when any
    // word (of `choices`) is right.
    std::string_view (*problem)(std::string_view value) = nullptr;
};

// One row of the table.
struct OptionSpec {
    std::string_view short_name;  // "-e", or empty
    std::string_view long_name;   // "--eng"
    OptionArgument argument;
    // Action::evaluate: a setting, and more options may follow; any other
    // action is what the tool does, and the options end with it.
    Action action;
    // What the option sets, given its argument (null when it takes none); or null.
    void (*set)(Settings& settings, const char* argument);
    // --help's text: its further lines are indented under the first, which
    // alone describes the option in shell completions.
    std::string_view help;
};

// The options, in the order --help lists them.
extern const std::span<const OptionSpec> OPTION_TABLE;

// "unrecognized option '-x'", "invalid argument 'E25' for '--series'"
struct UsageError {
    std::string_view message;   // "unrecognized option"
    std::string_view argument;  // the word it is about
    std::string_view option;    // the option that word was given to, or empty
    std::string_view detail;    // why the argument is wrong, or empty
};

struct ParsedOptions {
    Action action = Action::evaluate;
    Settings settings;
    std::vector<char*> command;  // the words of a one-shot command, in their order
    std::optional<UsageError> error;
};

// Whether `word` reads as a number, a value rather than an option: it begins
// with a digit, or a sign or point and a digit (-12, -.5, -1e3, -12V, +5).
bool reads_as_number(std::string_view word) noexcept;

// `arguments` without the program name. Options may stand anywhere among
// the command's words, as GNU tools read them: a word that begins with '-'
// and does not read as a number is an option, and an option's argument is
// the word after it wherever it stands; "--" ends the options.
ParsedOptions parse_options(std::span<char* const> arguments,
                            std::span<const OptionSpec> table = OPTION_TABLE);

// What a command line read from standard input or typed at the prompt
// begins with for itself alone: -e, --eng and --plain, among the question's
// own options (--series E12 -e voltage_divider ...), which stay in the
// command for the question grammar to read.
struct LineOptions {
    bool engineering = false;  // -e, --eng
    bool plain = false;        // --plain
    bool given = false;        // any of them; else `command` is empty: the line stands
    std::string command;       // the line without them
};
LineOptions read_line_options(std::string_view line);

// What --help prints before the module's help summary.
std::string usage_text();

}  // namespace zorvane_calc
