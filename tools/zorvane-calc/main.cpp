// zorvane-calc: the command-line host of the electronics calculator.
//
//   zorvane-calc power_vi 12 0.5      one command from the arguments
//   zorvane-calc < commands.txt       one result line per input line
//   zorvane-calc                      at a terminal: a prompt, line editing
#include <stdio_ext.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "help/help.h"
#include "host/host.h"
#include "zorvane/electronics_calc.h"

#if defined(ZORVANE_HAVE_LIBEDIT)
#include <editline/readline.h>
#endif

namespace {

constexpr int EXIT_ERROR_LINE = 1;
constexpr int EXIT_USAGE = 2;
constexpr const char* PROGRAM = "zorvane-calc";
constexpr const char* PROMPT = "> ";

constexpr std::string_view USAGE =
    "Usage: zorvane-calc [OPTION]... [FORMULA VALUE...]\n"
    "Evaluate electronics formulas. Given a formula and its values, print one\n"
    "result line. Given none, read one command per line from standard input and\n"
    "print one line for each; at a terminal, prompt for them ('help' shows the\n"
    "sample commands, 'quit' or end of input leaves).\n"
    "\n"
    "  --list             print every formula with its arguments\n"
    "  --reference [DIR]  write the formula reference file electronics_formulas.txt\n"
    "                     into DIR (default: the current directory)\n"
    "  --plain            take values as plain numbers only (no 1k, 4.7u)\n"
    "  --help             print this help and exit\n"
    "  --version          print the module's version and exit\n"
    "\n"
    "A value may end in one SI prefix: p n u (or \xC2\xB5) m k M G T, so 4.7k is 4700.\n"
    "Exit status: 0 when every line was a result, 1 when any line was an error\n"
    "line, 2 for a usage error.\n";

struct Options {
    bool engineering_notation = true;
};

void write_utf8(std::string_view windows_1252) {
    std::u16string wide;
    for (const char c : windows_1252) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
    std::string text;
    zorvane::host::append_utf8_from_utf16(wide, text);
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void print_help_summary() {
    for (const std::string_view text : zorvane::help_summary_texts()) write_utf8(text);
}

// The formula lines of the reference, cut before their descriptions.
void print_formula_list() {
    for (const std::string_view text : zorvane::formula_reference_texts()) {
        if (!text.starts_with("  ") || text.size() < 3 || text[2] < 'a' || text[2] > 'z') continue;
        std::string_view line = text.substr(2, text.find(" - ") - 2);
        line = line.substr(0, line.find_last_not_of(' ') + 1);
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    }
}

// The text of one command on its way through the module, kept from line
// to line so that a batch allocates nothing per line.
struct Buffers {
    std::string expanded;
    std::u16string wide;
    std::string line;
};

// Runs one command through the module and writes its line; true when the
// line is a result rather than an error.
bool run_command(std::string_view command, const Options& options, Buffers& buffers) {
    std::string_view text = command;
    if (options.engineering_notation) {
        buffers.expanded.clear();
        zorvane::host::expand_notation(command, buffers.expanded);
        text = buffers.expanded;
    }
    buffers.wide.clear();
    zorvane::host::append_utf16_from_utf8(text, buffers.wide);
    buffers.line.clear();
    zorvane::host::append_utf8_from_utf16(ElectronicsCalc(buffers.wide.c_str()), buffers.line);
    buffers.line += '\n';
    std::fwrite(buffers.line.data(), 1, buffers.line.size(), stdout);
    return !buffers.line.starts_with("Error: ");
}

bool run_command(std::string_view command, const Options& options) {
    Buffers buffers;
    return run_command(command, options, buffers);
}

std::string_view strip_line_end(std::string_view line) {
    if (line.ends_with('\n')) line.remove_suffix(1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
}

int run_batch(const Options& options) {
    // Scripts read the output when the batch ends; a person watching a
    // terminal sees each line as it comes.
    static char output_buffer[1 << 16];
    std::setvbuf(stdout, output_buffer, isatty(STDOUT_FILENO) ? _IOLBF : _IOFBF, sizeof output_buffer);
    // One thread reads and writes: the streams need no locking.
    __fsetlocking(stdin, FSETLOCKING_BYCALLER);
    __fsetlocking(stdout, FSETLOCKING_BYCALLER);
    bool all_results = true;
    Buffers buffers;
    char* buffer = nullptr;
    std::size_t capacity = 0;
    ssize_t length = 0;
    while ((length = getline(&buffer, &capacity, stdin)) >= 0) {
        const std::string_view line(buffer, static_cast<std::size_t>(length));
        all_results = run_command(strip_line_end(line), options, buffers) && all_results;
    }
    std::free(buffer);
    return all_results ? EXIT_SUCCESS : EXIT_ERROR_LINE;
}

// One line typed at the prompt, without its line end; false at end of input.
bool read_interactive_line(std::string& line) {
#if defined(ZORVANE_HAVE_LIBEDIT)
    char* typed = readline(PROMPT);
    if (typed == nullptr) return false;
    line = typed;
    std::free(typed);
    if (line.find_first_not_of(' ') != std::string::npos) add_history(line.c_str());
    return true;
#else
    std::fputs(PROMPT, stdout);
    std::fflush(stdout);
    line.clear();
    char chunk[512];
    while (std::fgets(chunk, sizeof chunk, stdin) != nullptr) {
        line += chunk;
        if (line.ends_with('\n')) break;
    }
    if (line.empty()) return false;
    line = std::string(strip_line_end(line));
    return true;
#endif
}

int run_interactive(const Options& options) {
    std::printf("Electronics calculator %s. Type 'help' for sample commands, 'quit' to leave.\n",
                ZORVANE_VERSION);
    bool all_results = true;
    std::string line;
    while (read_interactive_line(line)) {
        const std::size_t first = line.find_first_not_of(' ');
        const std::string_view word =
            first == std::string::npos
                ? std::string_view{}
                : std::string_view(line).substr(first, line.find_last_not_of(' ') - first + 1);
        if (word == "quit" || word == "exit") break;
        if (word == "help" || word == "?") {
            print_help_summary();
        } else if (!word.empty()) {
            all_results = run_command(line, options) && all_results;
        }
        std::fflush(stdout);
    }
    return all_results ? EXIT_SUCCESS : EXIT_ERROR_LINE;
}

int usage_error(const char* message, const char* argument) {
    std::fprintf(stderr, "%s: %s '%s'\nTry '%s --help' for more information.\n", PROGRAM, message,
                 argument, PROGRAM);
    return EXIT_USAGE;
}

int write_reference(const char* directory) {
    const bool saved = zorvane::save_formula_reference(directory);
    const std::string_view outcome = saved ? zorvane::REFERENCE_CREATED : zorvane::REFERENCE_FAILED;
    std::fwrite(outcome.data(), 1, outcome.size(), stdout);
    std::fputc('\n', stdout);
    return saved ? EXIT_SUCCESS : EXIT_ERROR_LINE;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    int at = 1;
    // Options come before the formula; "--" ends them.
    for (; at < argc && argv[at][0] == '-'; ++at) {
        const std::string_view option = argv[at];
        if (option == "--") {
            ++at;
            break;
        }
        if (option == "--help" || option == "-h") {
            std::fwrite(USAGE.data(), 1, USAGE.size(), stdout);
            print_help_summary();
            return EXIT_SUCCESS;
        }
        if (option == "--version") {
            std::puts(ZORVANE_VERSION);
            return EXIT_SUCCESS;
        }
        if (option == "--list") {
            print_formula_list();
            return EXIT_SUCCESS;
        }
        if (option == "--reference") {
            if (at + 2 < argc) return usage_error("unexpected argument", argv[at + 2]);
            return write_reference(at + 1 < argc ? argv[at + 1] : nullptr);
        }
        if (option == "--plain") {
            options.engineering_notation = false;
            continue;
        }
        return usage_error("unrecognized option", argv[at]);
    }

    if (at == argc) return isatty(STDIN_FILENO) ? run_interactive(options) : run_batch(options);

    std::string command = argv[at];
    for (int i = at + 1; i < argc; ++i) {
        command += ' ';
        command += argv[i];
    }
    return run_command(command, options) ? EXIT_SUCCESS : EXIT_ERROR_LINE;
}
