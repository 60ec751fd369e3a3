// The command line of zorvane-calc.
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace zorvane_calc {

enum class Action { evaluate, help, version, list, list_categories, reference };

struct Options {
    Action action = Action::evaluate;
    bool engineering = false;  // -e, --eng: values as 100 ns, 4.7 kΩ
    bool expand = true;        // SI prefixes and IEC 60062 codes in values; --plain turns it off
    const char* reference_directory = nullptr;  // --reference DIR; null: the current directory
    std::span<char* const> command;             // the words of a one-shot command
};

struct UsageError {
    std::string_view message;   // "unrecognized option"
    std::string_view argument;  // the argument it is about
};

struct ParsedOptions {
    Options options;
    std::optional<UsageError> error;
};

// `arguments` without the program name. Options come before the formula;
// "--" ends them.
ParsedOptions parse_options(std::span<char* const> arguments);

// The options, as shell completion offers them.
struct OptionInfo {
    std::string_view short_name;  // "-e", or empty
    std::string_view long_name;   // "--eng"
    std::string_view description;
};
extern const std::span<const OptionInfo> OPTION_LIST;

// What --help prints before the module's help summary.
extern const std::string_view USAGE_TEXT;

}  // namespace zorvane_calc
