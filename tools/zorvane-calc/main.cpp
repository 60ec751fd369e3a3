// zorvane-calc: the command-line host of the electronics calculator.
//
//   zorvane-calc power_vi 12 0.5      one command from the arguments
//   zorvane-calc < commands.txt       one result line per input line
//   zorvane-calc                      at a terminal: a prompt, line editing
#include <span>
#include <string>
#include <string_view>

#include "listing.h"
#include "options.h"
#include "output.h"
#include "platform.h"
#include "report.h"
#include "session.h"
#include "zorvane_host/host.h"

namespace {

using namespace zorvane_calc;

int usage_error(const UsageError& error) {
    const bool about_option = !error.option.empty();
    const bool detailed = !error.detail.empty();
    report_error({error.message, " '", error.argument, "'", about_option ? " for '" : "",
                  error.option, about_option ? "'" : "", detailed ? ": " : "", error.detail,
                  "\nTry '", PROGRAM_NAME, " --help' for more information."});
    return EXIT_TROUBLE;
}

int write_reference(const char* directory) {
    Output out(platform::Stream::output, false);
    const zorvane::host::SavedReference reference = zorvane::host::save_reference(directory);
    out.write_line(reference.line);
    return finish(out, reference.saved ? EXIT_ALL_RESULTS : EXIT_ERROR_LINE);
}

// --help, --version, --list: text from the table and the module, then exit.
int write_information(Action action) {
    Output out(platform::Stream::output, false);
    switch (action) {
        case Action::help:
            out.write(usage_text());
            write_help_summary(out);
            break;
        case Action::version:
            out.write_line(ZORVANE_VERSION);
            break;
        case Action::list:
            write_formula_list(out);
            break;
        default:
            write_formulas_by_category(out);
            break;
    }
    return finish(out, EXIT_ALL_RESULTS);
}

std::string joined(std::span<char* const> words) {
    std::string command = words[0];
    for (const char* word : words.subspan(1)) command.append(" ").append(word);
    return command;
}

int evaluate(std::span<char* const> command, Settings settings) {
    settings.hints = platform::is_terminal(platform::Stream::error);
    settings.readable = platform::is_terminal(platform::Stream::output);
    if (!command.empty()) return run_one_shot(joined(command), settings);
    return platform::is_terminal(platform::Stream::input) ? run_prompt(settings)
                                                          : run_batch(settings);
}

}  // namespace

int main(int argc, char** argv) {
    platform::prepare_process();
    const ParsedOptions parsed = parse_options(platform::utf8_arguments(argc, argv));
    if (parsed.error) return usage_error(*parsed.error);
    switch (parsed.action) {
        case Action::evaluate:
            return evaluate(parsed.command, parsed.settings);
        case Action::reference:
            return write_reference(parsed.settings.reference_directory);
        default:
            return write_information(parsed.action);
    }
}
