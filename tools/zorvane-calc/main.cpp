// zorvane-calc: the command-line host of the electronics calculator.
//
//   zorvane-calc power_vi 12 0.5      one command from the arguments
//   zorvane-calc < commands.txt       one result line per input line
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "utf.h"
#include "zorvane/electronics_calc.h"

namespace {

constexpr int EXIT_ERROR_LINE = 1;
constexpr int EXIT_USAGE = 2;

constexpr std::string_view PROGRAM = "zorvane-calc";

// Runs one command through the module and writes its line; true when the
// line is a result rather than an error.
bool run_command(std::string_view command) {
    const std::u16string wide = zorvane_calc::utf16_from_utf8(command);
    const char16_t* line = ElectronicsCalc(wide.c_str());
    const std::string text = zorvane_calc::utf8_from_utf16(line);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    return text.rfind("Error: ", 0) != 0;
}

int run_batch(std::FILE* input) {
    bool all_results = true;
    char* buffer = nullptr;
    std::size_t capacity = 0;
    ssize_t length = 0;
    while ((length = getline(&buffer, &capacity, input)) >= 0) {
        std::string_view line(buffer, static_cast<std::size_t>(length));
        if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        all_results = run_command(line) && all_results;
    }
    std::free(buffer);
    return all_results ? EXIT_SUCCESS : EXIT_ERROR_LINE;
}

int usage_error(const char* message, const char* argument) {
    std::fprintf(stderr, "%s: %s '%s'\nTry '%s --help' for more information.\n", PROGRAM.data(),
                 message, argument, PROGRAM.data());
    return EXIT_USAGE;
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    if (first < argc && std::strcmp(argv[first], "--") == 0) {
        ++first;
    } else if (first < argc && argv[first][0] == '-') {
        return usage_error("unrecognized option", argv[first]);
    }
    if (first == argc) return run_batch(stdin);

    std::string command = argv[first];
    for (int i = first + 1; i < argc; ++i) {
        command += ' ';
        command += argv[i];
    }
    const bool result = run_command(command);
    return result ? EXIT_SUCCESS : EXIT_ERROR_LINE;
}
