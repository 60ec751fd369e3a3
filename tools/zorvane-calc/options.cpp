#include "options.h"

namespace zorvane_calc {

const std::string_view USAGE_TEXT =
    "Usage: zorvane-calc [OPTION]... [FORMULA VALUE...]\n"
    "Evaluate electronics formulas. Given a formula and its values, print one\n"
    "result line. Given none, read one command per line from standard input and\n"
    "print one line for each; at a terminal, prompt for them ('help' shows the\n"
    "sample commands, 'help NAME' one formula, 'quit' or end of input leaves).\n"
    "\n"
    "  -e, --eng              print values in engineering notation: 100 ns, 4.7 k\xCE\xA9\n"
    "      --plain            take values as plain numbers only (no 4.7k, 1u, 4k7)\n"
    "      --list             print every formula with its arguments\n"
    "      --list=categories  print the formulas grouped by category\n"
    "      --reference [DIR]  write the formula reference file electronics_formulas.txt\n"
    "                         into DIR (default: the current directory)\n"
    "  -h, --help             print this help and exit\n"
    "      --version          print the module's version and exit\n"
    "\n"
    "A value may end in one SI prefix, p n u (or \xC2\xB5) m k M G T, so 4.7k is 4700;\n"
    "or the prefix may stand for the decimal point (IEC 60062): 4k7 is 4700, 2R2 is 2.2.\n"
    "A line whose first non-space character is # is a comment: an empty answer.\n"
    "At a terminal, hints on standard error help to fix a command.\n"
    "Exit status: 0 when every line was a result, 1 when any line was an error\n"
    "line, 2 for a usage error or a read or write error (at the prompt: 0 unless\n"
    "a read or write error happened).\n";

namespace {

constexpr OptionInfo OPTIONS[] = {
    {"-e", "--eng", "print values in engineering notation"},
    {"", "--plain", "take values as plain numbers only"},
    {"", "--list", "print every formula with its arguments"},
    {"", "--list=categories", "print the formulas grouped by category"},
    {"", "--reference", "write the formula reference file into a directory"},
    {"-h", "--help", "print the help and exit"},
    {"", "--version", "print the version and exit"},
};

struct Parser {
    std::span<char* const> arguments;
    std::size_t at = 0;
    ParsedOptions parsed;

    bool fail(std::string_view message, std::string_view argument) {
        parsed.error = UsageError{message, argument};
        return false;
    }

    // "--reference [DIR]": DIR is the only argument that may follow.
    bool reference() {
        parsed.options.action = Action::reference;
        const std::span<char* const> rest = arguments.subspan(at + 1);
        if (rest.size() > 1) return fail("unexpected argument", rest[1]);
        if (rest.empty()) return false;
        if (*rest[0] == '\0') return fail("empty directory name for", "--reference");
        parsed.options.reference_directory = rest[0];
        return false;
    }

    // Applies one option; false when parsing ends here.
    bool option(std::string_view word) {
        Options& options = parsed.options;
        if (word == "-e" || word == "--eng") {
            options.engineering = true;
        } else if (word == "--plain") {
            options.expand = false;
        } else if (word == "--list" || word == "--list=categories") {
            options.action = word == "--list" ? Action::list : Action::list_categories;
            return false;
        } else if (word == "--help" || word == "-h") {
            options.action = Action::help;
            return false;
        } else if (word == "--version") {
            options.action = Action::version;
            return false;
        } else if (word == "--reference") {
            return reference();
        } else {
            return fail(word.starts_with("--list=") ? "invalid argument" : "unrecognized option",
                        word);
        }
        return true;
    }
};

}  // namespace

const std::span<const OptionInfo> OPTION_LIST = OPTIONS;

ParsedOptions parse_options(std::span<char* const> arguments) {
    Parser parser{arguments, 0, {}};
    for (; parser.at < arguments.size() && arguments[parser.at][0] == '-'; ++parser.at) {
        const std::string_view word = arguments[parser.at];
        if (word == "--") {
            ++parser.at;
            break;
        }
        if (!parser.option(word)) return parser.parsed;
    }
    parser.parsed.options.command = arguments.subspan(parser.at);
    return parser.parsed;
}

}  // namespace zorvane_calc
