// The three ways zorvane-calc answers commands: one command from the
// arguments, a batch from standard input, and a prompt at a terminal.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "output.h"
#include "settings.h"
#include "zorvane_host/host.h"

namespace zorvane_calc {

inline constexpr int EXIT_ALL_RESULTS = 0;
inline constexpr int EXIT_ERROR_LINE = 1;
inline constexpr int EXIT_TROUBLE = 2;  // a usage error, or a read or write error

// Answers command lines one by one on `out`, remembering whether any
// answer was an error line.
class Answerer {
   public:
    Answerer(Output& out, Settings settings);

    // `overlong`: the line was longer than the tool keeps, and `line` holds
    // only its start. A line may begin with -e, --eng or --plain for itself.
    void answer(std::string_view line, bool overlong);
    bool any_error() const noexcept { return any_error_; }

   private:
    void answer_command(std::string_view line, bool overlong, const Settings& settings);
    void answer_question(std::string_view line, const Settings& settings);
    void answer_as_json(std::string_view line, bool overlong, const Settings& settings);
    void show_hints(std::string_view line, const zorvane::host::Answer& answer);
    void write_hints(const std::vector<std::string>& hints);
    // Writes a line of the module's (or one beginning with it) as people
    // read it: with the ohm sign, unless --module-lines.
    void write_answer(std::string_view line, const zorvane::host::FormulaInfo* formula,
                      const Settings& settings);

    Output& out_;
    Settings settings_;
    zorvane::host::Calculator calculator_;
    std::string too_long_probe_;
    // The line as shown (the ohm sign for the module's ?), kept from line to
    // line so that answering a line allocates nothing once it has grown.
    std::string shown_;
    Output hint_out_;
    bool any_error_ = false;
};

// "help" and "help NAME" (any case), at the prompt or as the one command of
// the command line: the sample commands, or one formula's reference line
// (for a name not in the table, the answer to it as a command, with its
// hints). False, with nothing written, for any other line.
bool answer_help(std::string_view line, Output& out, Answerer& answerer);

// Each returns the exit status, after reporting any read or write error.
int run_one_shot(std::string_view command, Settings settings);
int run_batch(Settings settings);
int run_prompt(Settings settings);

// Reports a failed write of `out` (if it failed) and gives the status.
int finish(Output& out, int status);

// Writes out the answers so far, then reports the read error: status 2.
int finish_after_read_error(Output& out, int error);

}  // namespace zorvane_calc
