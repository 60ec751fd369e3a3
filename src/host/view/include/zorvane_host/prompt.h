// What a host with a prompt or a command line needs beyond the evaluation:
// the prompt's own words, comment lines, the module's limit on a command and
// the reference file written where a person asks.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zorvane::host {

// What a person types to leave or to ask for help, rather than a command:
// "quit", "exit", "help", "?" and "help NAME", in any case, words separated
// by spaces. Everything else ("/help" included) is a command.
struct PromptWord {
    enum class Kind { none, quit, help, help_name };
    Kind kind = Kind::none;
    std::string name;  // for help_name: NAME, lower-cased
};
PromptWord prompt_word(std::string_view line);

// Whether a line is a comment: its first non-space character is '#'.
// Hosts answer it with an empty line.
bool is_comment_line(std::string_view line) noexcept;

// The most characters a command may have; the module refuses a longer one
// with its own line.
std::size_t command_capacity() noexcept;

// Writes the reference file electronics_formulas.txt into `directory` (null:
// the current directory) as the command "/help" writes it, and gives the
// module's line about the outcome.
struct SavedReference {
    bool saved = false;
    std::string_view line;  // "Help file 'electronics_formulas.txt' created successfully!"
};
SavedReference save_reference(const char* directory) noexcept;

}  // namespace zorvane::host
