#include "options.h"

#include <algorithm>
#include <iterator>

#include "report.h"
#include "zorvane_host/host.h"

namespace zorvane_calc {

namespace {

void set_engineering(Settings& settings, const char*) { settings.engineering = true; }
void set_plain(Settings& settings, const char*) { settings.expand = false; }
void set_module_lines(Settings& settings, const char*) { settings.module_lines = true; }
void set_reference_directory(Settings& settings, const char* directory) {
    settings.reference_directory = directory;
}
// A question's options are read by the question grammar, as a question
// written with them is: the tool's --series, --mc, --seed and
// --distribution mean what the page's do. What a bad argument should be is
// the grammar's hint for the option.
std::string_view problem_of(std::string_view name, std::string_view argument) {
    zorvane::host::QuestionSettings scratch;
    return zorvane::host::set_question_option(name, argument, scratch).empty()
               ? std::string_view{}
               : zorvane::host::question_option_hint(name);
}
bool reads_as_series(std::string_view series) { return problem_of("--series", series).empty(); }
std::string_view samples_problem(std::string_view samples) { return problem_of("--mc", samples); }
std::string_view seed_problem(std::string_view seed) { return problem_of("--seed", seed); }

// The setters run after the checks above, so the grammar reads each argument.
void set_question_option(Settings& settings, std::string_view name, const char* argument) {
    std::optional<std::string_view> given;
    if (argument != nullptr) given = argument;
    zorvane::host::set_question_option(name, given, settings.question);
}
void set_series(Settings& settings, const char* series) {
    set_question_option(settings, "--series", series);
}
void set_samples(Settings& settings, const char* samples) {
    set_question_option(settings, "--mc", samples);
}
void set_seed(Settings& settings, const char* seed) {
    set_question_option(settings, "--seed", seed);
}
void set_distribution(Settings& settings, const char* name) {
    set_question_option(settings, "--distribution", name);
}
void set_json(Settings& settings, const char*) { settings.json = true; }
void set_histogram(Settings& settings, const char*) { settings.histogram = true; }

// The design's options, read by the question grammar as well.
template <const char* name>
bool reads_as(std::string_view word) {
    return problem_of(name, word).empty();
}
template <const char* name>
void set_question(Settings& settings, const char* argument) {
    set_question_option(settings, name, argument);
}
constexpr char TOLERANCE_OPTION[] = "--tolerance";
constexpr char WITHIN_OPTION[] = "--within";
constexpr char TOP_OPTION[] = "--top";
constexpr char COMBINE_OPTION[] = "--combine";
constexpr std::string_view COMBINE_COUNTS[] = {"2"};
constexpr OptionArgument TOLERANCE = {Takes::value, "TOL", {}, reads_as<TOLERANCE_OPTION>};
constexpr OptionArgument WITHIN = {Takes::value, "LOW..HIGH", {}, reads_as<WITHIN_OPTION>};
constexpr OptionArgument TOP = {Takes::value, "N", {}, reads_as<TOP_OPTION>};
constexpr OptionArgument COMBINE = {Takes::value, "2", COMBINE_COUNTS, reads_as<COMBINE_OPTION>};

constexpr OptionArgument DIRECTORY = {Takes::final_directory, "[DIR]", {}};
// The IEC 60063 series and the distributions, as the hosts' share names them.
const OptionArgument SERIES = {Takes::value, "SERIES", zorvane::host::series_names(),
                               reads_as_series};
constexpr OptionArgument SAMPLES = {Takes::optional_number, "[N]", {}, nullptr, samples_problem};
constexpr OptionArgument SEED = {Takes::value, "S", {}, nullptr, seed_problem};
const std::string_view DISTRIBUTION_NAMES[] = {
    zorvane::host::distribution_name(zorvane::host::Distribution::uniform),
    zorvane::host::distribution_name(zorvane::host::Distribution::normal)};
const OptionArgument DISTRIBUTION = {Takes::value, "D", DISTRIBUTION_NAMES};

// Adding an option is adding a row; a new setting also needs its field in
// Settings and a setter above.
// clang-format off
const OptionSpec OPTIONS[] = {
    // short long                  argument    action                   sets                      help
    {"-e",  "--eng",               {},         Action::evaluate,        set_engineering,          "print values in engineering notation: 100 ns, 4.7 k\xCE\xA9"},
    {"",    "--plain",             {},         Action::evaluate,        set_plain,                "take values as plain numbers only (no 4.7k, 4k7, 12V)"},
    {"",    "--module-lines",      {},         Action::evaluate,        set_module_lines,         "print the module's lines as they are, for scripts that\n"
                                                                                                  "compare them: ? for the ohm sign \xCE\xA9, and at a\n"
                                                                                                  "terminal solutions without their engineering values"},
    {"",    "--series",            SERIES,     Action::evaluate,        set_series,               "after a solution, its neighbours in SERIES with the\n"
                                                                                                  "result each gives; with two values written ?, the\n"
                                                                                                  "best pair of them; one per kind of part:\n"
                                                                                                  "R=E96,C=E12 (R, C, L)"},
    {"",    "--tolerance",         TOLERANCE,  Action::evaluate,        set_question<TOLERANCE_OPTION>, "the standard parts' tolerance in a design (default:\n"
                                                                                                  "the series', E6 20% ... E192 0.5%, E3 40%): 1%, or\n"
                                                                                                  "per kind R=1%,C=5%"},
    {"",    "--within",            WITHIN,     Action::evaluate,        set_question<WITHIN_OPTION>,    "the values a design searches (default: 100..1M \xCE\xA9,\n"
                                                                                                  "10p..100u F, 1u..100m H), or per kind R=1k..100k"},
    {"",    "--top",               TOP,        Action::evaluate,        set_question<TOP_OPTION>,       "how many candidates a design lists (default 5)"},
    {"",    "--combine",           COMBINE,    Action::evaluate,        set_question<COMBINE_OPTION>,   "after a solution, the best series and parallel pair\n"
                                                                                                  "of --series values for it"},
    {"",    "--mc",                SAMPLES,    Action::evaluate,        set_samples,              "Monte Carlo: N samples (default 100000, at most\n"
                                                                                                  "100000000) of the values within their tolerances:\n"
                                                                                                  "mean, sd, percentiles; with a window, yield and Cpk;\n"
                                                                                                  "with a design, each candidate's yield"},
    {"",    "--seed",              SEED,       Action::evaluate,        set_seed,                 "the samples' seed, 0 to 2^64 - 1 (default 1): the same\n"
                                                                                                  "seed gives the same numbers on every platform"},
    {"",    "--distribution",      DISTRIBUTION, Action::evaluate,      set_distribution,         "how values spread within their tolerances: uniform\n"
                                                                                                  "(default), or normal (3 sigma is the tolerance)"},
    {"",    "--histogram",         {},         Action::evaluate,        set_histogram,            "draw the samples' histogram under the answer (not in\n"
                                                                                                  "batch mode, where --json carries it)"},
    {"",    "--json",              {},         Action::evaluate,        set_json,                 "write each answer as one JSON object per line"},
    {"",    "--list",              {},         Action::list,            nullptr,                  "print every formula with its arguments"},
    {"",    "--list=categories",   {},         Action::list_categories, nullptr,                  "print the formulas grouped by category"},
    {"",    "--reference",         DIRECTORY,  Action::reference,       set_reference_directory,  "write the formula reference file electronics_formulas.txt\n"
                                                                                                  "into DIR (default: the current directory); DIR may\n"
                                                                                                  "also be written --reference=DIR"},
    {"-h",  "--help",              {},         Action::help,            nullptr,                  "print this help and exit"},
    {"",    "--version",           {},         Action::version,         nullptr,                  "print the module's version and exit"},
};
// clang-format on

constexpr std::string_view USAGE_DESCRIPTION =
    "Evaluate electronics formulas. Given a formula and its values, print one\n"
    "result line. Given none, read one command per line from standard input and\n"
    "print one line for each; at a terminal, prompt for them ('help' shows the\n"
    "sample commands, 'help NAME' one formula, 'quit' or end of input leaves).\n"
    "Given 'help' or 'help NAME', print the same. Options may stand anywhere\n"
    "among the values, and '--' ends them; a word that reads as a number (-12,\n"
    "-.5, -12V) is a value.\n";

constexpr std::string_view USAGE_NOTES =
    "A value may end in one SI prefix, p n u (or \xC2\xB5) m k M G T, so 4.7k is 4700;\n"
    "or the prefix may stand for the decimal point (IEC 60062): 4k7 is 4700, 2R2 is 2.2.\n"
    "Then it may end in its own unit: 12V, 10k\xCE\xA9 or 10kohm, 4.7uF, 1kHz, 25\xC2\xB0"
    "C.\n"
    "Write one value as ? and the result wanted after = to solve for that value:\n"
    "every solution is printed, in increasing order, and a stretch of values\n"
    "that all give it by its ends. Two values of one kind\n"
    "written ? ask for the best pair of --series values. A tolerance in percent\n"
    "on values (10k\xC2\xB1"
    "1% or 10k+-1%) adds the worst-case range of the result.\n"
    "One or two values written ? and a window after = (3.3\xC2\xB1"
    "3% or 3.2..3.4) ask for\n"
    "a design: the --series values whose worst case lies inside it, best first.\n"
    "Quote ? in a shell, which may take it for a file name.\n"
    "A command read from standard input or typed at the prompt may start with\n"
    "-e, --eng or --plain, for that line alone, and with its own --series, --mc,\n"
    "--seed or --distribution, which win over the tool's.\n"
    "Results in ohms are written with the sign \xCE\xA9 where the module's own line\n"
    "has ?. At a terminal, a solution shows its value in engineering notation\n"
    "first and the exact one after it; piped, the exact one alone.\n"
    "Values with tolerances may end in a result window on the result, = 3.3\xC2\xB1"
    "3% or\n"
    "= 3.2..3.4: the worst case is judged against it, and each value's share of\n"
    "the variance is given. --mc adds a Monte Carlo run: mean, sd, percentiles,\n"
    "and with a window yield, ppm outside and Cpk. Values spread uniformly within\n"
    "their tolerances, or with --distribution normal as a Gaussian whose 3 sigma\n"
    "is the tolerance, cut off there. The same --seed gives the same numbers on\n"
    "every platform.\n"
    "A line whose first non-space character is # is a comment: an empty answer.\n"
    "At a terminal, hints on standard error help to fix a command.\n"
    "Exit status: 0 when every line was a result, 1 when any line was an error\n"
    "line, 2 for a usage error or a read or write error (at the prompt: 0 unless\n"
    "a read or write error happened).\n"
    "\n"
    "Examples:\n"
    "  zorvane-calc power_vi 12V 500mA\n"
    "    Power = 6.000000 W\n"
    "  zorvane-calc ohms_resistance 3V 20mA\n"
    "    Resistance = 150.000000 \xCE\xA9\n"
    "  zorvane-calc ohms_resistance 3V 20mA --module-lines\n"
    "    Resistance = 150.000000 ?\n"
    "  zorvane-calc help ohms_current\n"
    "    ohms_current <voltage> <resistance>     - Calculate current (I = V / R)\n"
    "  printf '%s\\n' '-e resistors_parallel 4k7 10k' 'resistors_parallel 4k7 10k' | zorvane-calc\n"
    "    Parallel Resistance = 3.19728 k\xCE\xA9\n"
    "    Parallel Resistance = 3197.278912 \xCE\xA9\n"
    "  zorvane-calc voltage_divider 12 10k '?' = 3.3\n"
    "    r2 = 3793.103448275862 \xCE\xA9\n"
    "  zorvane-calc -e --series E24 voltage_divider 12 10k '?' = 3.3\n"
    "    r2 = 3.7931 k\xCE\xA9; E24: 3.6 k\xCE\xA9 \xE2\x86\x92 3.17647 V (-3.74%), 3.9 k\xCE\xA9 "
    "\xE2\x86\x92 "
    "3.36691 V (+2.03%)\n"
    "  zorvane-calc --series E24 voltage_divider 12 '?' '?' = 3.3\n"
    "    r1 = 24000 \xCE\xA9, r2 = 9100 \xCE\xA9 (Output Voltage = 3.299094 V, -0.03%)\n"
    "  zorvane-calc voltage_divider 12 10k\xC2\xB1"
    "1% 4.7k\n"
    "    Output Voltage = 3.836735 V (3.810811 .. 3.863014 V)\n"
    "  zorvane-calc --series R=E24,C=E12 --tolerance R=1%,C=5% --within R=1k..100k --top 1 "
    "rc_lowpass_cutoff '?' '?' = 1kHz\xC2\xB1"
    "10%\n"
    "    Cutoff Frequency within 900.000000 .. 1100.000000 Hz: 18 of 4165 candidates (every "
    "decade counted) pass the worst case (R E24 1%, C E12 5%), best first:\n"
    "    1. resistance = 1600 \xCE\xA9, capacitance = 1e-07 F (also 16000 \xCE\xA9 with 1e-08 F): "
    "994.718394 Hz (-0.53%), worst case 937.971140 .. 1057.648479 Hz, margin 18.99%\n"
    "  zorvane-calc --series E96 voltage_divider 12\xC2\xB1"
    "5% '?' '?' = 3.3\xC2\xB1"
    "3%\n"
    "    Error: No candidate keeps Output Voltage within 3.201000 .. 3.399000 V in the worst case "
    "(148225 candidates, R E96 1%)\n"
    "  zorvane-calc -e resistors_series 1k\xC2\xB1"
    "1% 2k\xC2\xB1"
    "2% = 2.94k..3.06k\n"
    "    Series Resistance = 3 k\xCE\xA9 (2.95 k\xCE\xA9 .. 3.05 k\xCE\xA9); window 2.94 k\xCE\xA9 "
    ".. "
    "3.06 k\xCE\xA9: worst case inside (low edge cleared by 10 \xCE\xA9, high edge cleared by 10 "
    "\xCE\xA9); variance: r2 94 %, r1 6 %\n";

// Whether `text` has `word` standing alone, not within a longer name.
bool has_word(std::string_view text, std::string_view word) {
    const auto name_character = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    };
    for (std::size_t at = text.find(word); at != std::string_view::npos;
         at = text.find(word, at + 1)) {
        const std::size_t end = at + word.size();
        if ((at == 0 || !name_character(text[at - 1])) &&
            (end == text.size() || !name_character(text[end]))) {
            return true;
        }
    }
    return false;
}

// Whether the option's synopsis or help names every choice of its argument
// already ("--combine 2", "uniform ... or normal"), so that a list of them
// would say nothing new.
bool names_every_choice(const OptionSpec& option) {
    return std::ranges::all_of(option.argument.choices, [&option](std::string_view choice) {
        return has_word(option.argument.name, choice) || has_word(option.help, choice);
    });
}

// "--reference [DIR]": the option as --help names it.
std::string synopsis(const OptionSpec& option) {
    std::string text(option.long_name);
    if (!option.argument.name.empty()) text.append(" ").append(option.argument.name);
    return text;
}

bool accepts(const OptionArgument& argument, std::string_view word) {
    if (word.empty()) return false;
    if (argument.accepts != nullptr) return argument.accepts(word);
    return argument.choices.empty() ||
           std::ranges::find(argument.choices, word) != argument.choices.end();
}

struct Parser {
    std::span<const OptionSpec> table;
    std::span<char* const> arguments;
    std::size_t at = 0;
    ParsedOptions parsed;

    bool fail(std::string_view message, std::string_view argument, std::string_view option = {}) {
        parsed.error = UsageError{message, argument, option, {}};
        return false;
    }

    // (`word` is never empty, so an empty short name matches nothing.)
    const OptionSpec* find(std::string_view word) const {
        const auto named = [word](const OptionSpec& option) {
            return word == option.long_name || word == option.short_name;
        };
        const auto found = std::ranges::find_if(table, named);
        return found == table.end() ? nullptr : &*found;
    }

    // "--reference [DIR]" or "--reference=DIR": DIR is the only argument
    // that may follow; `inline_value` is what followed '=', or null.
    bool take_directory(const OptionSpec& option, const char* inline_value,
                        const char*& directory) {
        if (!parsed.command.empty()) return fail("unexpected argument", parsed.command.front());
        const std::span<char* const> rest = arguments.subspan(at + 1);
        const std::size_t allowed = inline_value == nullptr ? 1 : 0;
        if (rest.size() > allowed) return fail("unexpected argument", rest[allowed]);
        if (inline_value == nullptr && rest.empty()) return true;
        directory = inline_value == nullptr ? rest[0] : inline_value;
        if (*directory == '\0') return fail("empty directory name for", option.long_name);
        at = arguments.size() - 1;
        return true;
    }

    // "--mc 5000", "--mc=5000" or "--mc" alone.
    bool take_number(const OptionSpec& option, const char* inline_value, const char*& chosen) {
        chosen = inline_value;
        if (chosen == nullptr && at + 1 < arguments.size() && reads_as_number(arguments[at + 1])) {
            chosen = arguments[++at];
        }
        if (chosen == nullptr) return true;
        return checked(option, chosen);
    }

    bool checked(const OptionSpec& option, const char* chosen) {
        if (!accepts(option.argument, chosen)) {
            return fail("invalid argument", chosen, option.long_name);
        }
        if (option.argument.problem != nullptr) {
            if (const std::string_view problem = option.argument.problem(chosen);
                !problem.empty()) {
                parsed.error = UsageError{"invalid argument", chosen, option.long_name, problem};
                return false;
            }
        }
        return true;
    }

    // `inline_value`: what followed '=' in the same word, or null.
    bool take_value(const OptionSpec& option, const char* inline_value, const char*& chosen) {
        chosen = inline_value;
        if (chosen == nullptr) {
            if (at + 1 == arguments.size()) return fail("missing argument for", option.long_name);
            chosen = arguments[++at];
        }
        return checked(option, chosen);
    }

    // False when parsing ends here.
    bool apply(const OptionSpec& option, const char* inline_value) {
        const char* argument = nullptr;
        switch (option.argument.takes) {
            case Takes::nothing:
                break;
            case Takes::final_directory:
                if (!take_directory(option, inline_value, argument)) return false;
                break;
            case Takes::value:
                if (!take_value(option, inline_value, argument)) return false;
                break;
            case Takes::optional_number:
                if (!take_number(option, inline_value, argument)) return false;
                break;
        }
        if (option.set != nullptr) option.set(parsed.settings, argument);
        if (option.action == Action::evaluate) return true;
        parsed.action = option.action;
        return false;
    }

    // Applies one option; false when parsing ends here.
    bool read_option(std::string_view word) {
        if (const OptionSpec* option = find(word)) return apply(*option, nullptr);
        const std::size_t equals = word.starts_with("--") ? word.find('=') : std::string_view::npos;
        if (equals != std::string_view::npos) {
            const OptionSpec* option = find(word.substr(0, equals));
            if (option != nullptr && option->argument.takes != Takes::nothing) {
                return apply(*option, word.data() + equals + 1);
            }
            // "--list=xyz", where only "--list=categories" is an option.
            const std::string_view prefix = word.substr(0, equals + 1);
            if (std::ranges::any_of(table, [prefix](const OptionSpec& known) {
                    return known.long_name.starts_with(prefix);
                })) {
                return fail("invalid argument", word);
            }
        }
        return fail("unrecognized option", word);
    }
};

}  // namespace

const std::span<const OptionSpec> OPTION_TABLE = OPTIONS;

bool reads_as_number(std::string_view word) noexcept {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (word.empty()) return false;
    if (digit(word[0])) return true;
    const std::size_t next = word[0] == '-' || word[0] == '+' ? 1 : 0;
    if (word.size() > next && word[next] == '.') {
        return word.size() > next + 1 && digit(word[next + 1]);
    }
    return next == 1 && word.size() > 1 && digit(word[1]);
}

ParsedOptions parse_options(std::span<char* const> arguments, std::span<const OptionSpec> table) {
    Parser parser{table, arguments, 0, {}};
    std::vector<char*>& command = parser.parsed.command;
    for (; parser.at < arguments.size(); ++parser.at) {
        const std::string_view word = arguments[parser.at];
        if (word == "--") {
            const std::span<char* const> rest = arguments.subspan(parser.at + 1);
            command.insert(command.end(), rest.begin(), rest.end());
            break;
        }
        // "-" alone is a word, as GNU tools read it.
        if (!word.starts_with('-') || word.size() == 1 || reads_as_number(word)) {
            command.push_back(arguments[parser.at]);
        } else if (!parser.read_option(word)) {
            return parser.parsed;
        }
    }
    return parser.parsed;
}

namespace {

// A line's words, separated by spaces as the module separates them.
struct LineWords {
    std::string_view line;
    std::size_t at = 0;

    std::string_view next() {
        at = std::min(line.find_first_not_of(' ', at), line.size());
        const std::size_t end = std::min(line.find(' ', at), line.size());
        const std::string_view word = line.substr(at, end - at);
        at = end;
        return word;
    }
};

// Whether the question option `name` (written without '=') takes `next`
// as its argument: always when it needs one, else (--mc [N]) a number.
bool takes_as_argument(std::string_view name, std::string_view next) {
    zorvane::host::QuestionSettings scratch;
    const bool needs_one = !zorvane::host::set_question_option(name, std::nullopt, scratch).empty();
    return needs_one ? !next.empty() : reads_as_number(next);
}

// The row of `word` if it is one of the options a line may begin with for
// itself: those that say how values are read and printed.
const OptionSpec* line_option(std::string_view word) {
    if (word.empty()) return nullptr;  // (an empty short name matches nothing)
    const auto found = std::ranges::find_if(OPTIONS, [word](const OptionSpec& option) {
        return (option.set == set_engineering || option.set == set_plain) &&
               (word == option.short_name || word == option.long_name);
    });
    return found == std::end(OPTIONS) ? nullptr : &*found;
}

}  // namespace

LineOptions read_line_options(std::string_view line) {
    LineOptions found;
    std::vector<std::string_view> kept;  // the question's options and their arguments
    LineWords words{line};
    for (std::size_t before = words.at;; before = words.at) {
        const std::string_view word = words.next();
        if (const OptionSpec* option = line_option(word)) {
            found.given = true;
            found.engineering = found.engineering || option->set == set_engineering;
            found.plain = found.plain || option->set == set_plain;
        } else if (word.starts_with("--") && zorvane::host::is_question_option(word)) {
            kept.push_back(word);
            const std::size_t after_option = words.at;
            const std::string_view next = words.next();
            if (word.find('=') == std::string_view::npos && takes_as_argument(word, next)) {
                kept.push_back(next);
            } else {
                words.at = after_option;
            }
        } else {
            words.at = before;
            break;
        }
    }
    if (!found.given) return found;
    for (const std::string_view word : kept) found.command.append(word).append(" ");
    const std::string_view rest =
        line.substr(std::min(line.find_first_not_of(' ', words.at), line.size()));
    found.command.append(rest);
    if (rest.empty() && !kept.empty()) found.command.pop_back();
    return found;
}

// The options in two columns, the help text starting where the longest
// synopsis leaves room for it.
std::string usage_text() {
    std::size_t width = 0;
    for (const OptionSpec& option : OPTION_TABLE) width = std::max(width, synopsis(option).size());
    const std::size_t column = width + 2;
    const std::string indent(6 + column, ' ');  // under "  -e, --eng  "'s help
    std::string text = "Usage: ";
    text.append(PROGRAM_NAME).append(" [OPTION]... [FORMULA VALUE...]\n");
    text.append(USAGE_DESCRIPTION).append("\n");
    for (const OptionSpec& option : OPTION_TABLE) {
        text.append("  ");
        text.append(option.short_name.empty() ? "    " : std::string(option.short_name) + ", ");
        const std::string name = synopsis(option);
        text.append(name).append(column - name.size(), ' ');
        std::string_view help = option.help;
        for (;;) {
            const std::size_t end = help.find('\n');
            text.append(help.substr(0, end)).append("\n");
            if (end == std::string_view::npos) break;
            help.remove_prefix(end + 1);
            text.append(indent);
        }
        if (!names_every_choice(option)) {
            text.append(indent).append(option.argument.name).append(": one of");
            for (const std::string_view choice : option.argument.choices) {
                text.append(" ").append(choice);
            }
            text.append("\n");
        }
    }
    text.append("\n").append(USAGE_NOTES);
    return text;
}

}  // namespace zorvane_calc
