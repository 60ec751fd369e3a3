// The question grammar: a question as people type it, read into its parts,
// and written back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zorvane_host/formulas.h"
#include "zorvane_host/parts.h"

namespace zorvane::host {

// ---- The question grammar ----
//
// A question as people type it, read into its parts, and written back:
//
//   [OPTION]... KEYWORD VALUE... [= TARGET]
//
// VALUE is a value in the input notation (4k7, 10kohm), optionally with a
// tolerance in percent (10k±1%, 10k+-1%, 10k±.5%), or ? for an unknown.
// TARGET, after =, is a value (3.3, 3.3V), or a window on the result: a
// value with a tolerance (3.3±3%) or two limits (3.2..3.4). An OPTION comes
// before the keyword, written --name ARGUMENT or --name=ARGUMENT:
//
//   --series E24 | R=E96,C=E12     standard values (per kind: R, C, L)
//   --tolerance 1% | R=1%,C=5%     the standard parts' tolerance
//   --within 1k..100k | R=1k..100k the values a search may take
//   --mc [N]                       Monte Carlo samples (N a whole number from 1
//                                  to MAX_SAMPLES, 1e6 too; DEFAULT_SAMPLES without N)
//   --seed S                       the samples' seed, 0 to 2^64-1
//   --distribution uniform|normal  how values spread within their tolerances
//   --top N                        how many candidates, 1 to MAX_TOP
//   --combine 2                    one value from two standard parts
//
// Names, kinds and distributions are spelled as above, a series in either
// case (e24 is E24); an unknown
// option or a bad argument is an error, never dropped. Reading a question
// never evaluates it: a value that is no number stays as typed, with no
// reading, for the answer to refuse in the module's words.

// Whether `command` asks a question rather than the module's forward one: a
// value word holds ?, =, ± or +-, or an option comes first. (The rest goes
// to Calculator as ever.)
bool is_question(std::string_view command) noexcept;

// Two limits as typed ("1k", "100k") and read (1000, 100000).
struct Limits {
    std::string low_text;
    std::string high_text;
    double low = 0.0;
    double high = 0.0;
    bool operator==(const Limits&) const = default;
};

// How values spread within their tolerances when they are sampled (the
// statistics' --distribution).
enum class Distribution { uniform, normal };
std::string_view distribution_name(Distribution distribution);  // "uniform", "normal"

// The options a question carries, written in it or passed beside it.
struct QuestionSettings {
    PerKind<Series> series;
    PerKind<Percent> tolerance;
    PerKind<Limits> within;
    std::optional<std::uint64_t> samples;  // --mc
    std::optional<std::uint64_t> seed;
    std::optional<Distribution> distribution;
    std::optional<int> top;
    std::optional<int> combine;
    bool operator==(const QuestionSettings&) const = default;
};

// One value word: "10k±1%" is number "10k" with tolerance "1"; "?" an
// unknown. A word that only looks toleranced ("±1%", "10k±-1%", "10k±x%")
// is a number as typed, with `tolerance_problem` saying why.
struct QuestionValue {
    std::string number;  // as typed, without the tolerance
    bool unknown = false;
    std::optional<Percent> tolerance;
    // The number read with its prefix, code or unit (the argument's); none
    // for an unknown or a word that is no number.
    std::optional<double> reading;
    std::string tolerance_problem;  // "" unless a tolerance is written wrongly
    bool operator==(const QuestionValue&) const = default;
};

// What follows '=': the result wanted, or a window on it.
struct QuestionTarget {
    enum class Form { value, tolerance, limits };
    Form form = Form::value;
    std::string number;                // value, tolerance: the value as typed
    std::optional<double> reading;     // in the result's unit; none when no number
    std::optional<Percent> tolerance;  // tolerance: 3.3±3%
    std::optional<Limits> limits;      // limits: 3.2..3.4
    bool is_window() const noexcept { return form != Form::value; }
    bool operator==(const QuestionTarget&) const = default;
};

struct Question {
    QuestionSettings settings;  // the options written in the question
    std::string keyword;        // as typed
    const FormulaInfo* formula = nullptr;
    std::vector<QuestionValue> values;
    std::optional<QuestionTarget> target;
    int unknowns() const noexcept;
    int tolerances() const noexcept;
    bool operator==(const Question&) const = default;
};

// The question in `command`, or why it is none: `error` is the error line
// ("Error: Unknown option '--foo'"), with hints. With `expand`, values are
// read in the input notation; else as plain numbers only.
struct ParsedQuestion {
    Question question;
    std::string error;  // "" when the question reads
    std::vector<std::string> hints;
    bool ok() const noexcept { return error.empty(); }
};
ParsedQuestion parse_question(std::string_view command, bool expand = true);

// A command read once: its text, kept for what only the text tells (a line
// longer than the module takes), and the grammar's reading of it. Every
// answer takes its question so, from the one reading the dispatch made.
struct ReadCommand {
    std::string_view text;
    const ParsedQuestion& reading;
    bool expand = true;  // values were read in the input notation
};

// The answer of `answer` to `command` read here: for the entry points that
// take a command as text rather than the dispatch's one reading.
template <class Answer>
Answer read_and_answer(Answer (*answer)(const ReadCommand&, const QuestionSettings&),
                       std::string_view command, const QuestionSettings& beside, bool expand) {
    const ParsedQuestion reading = parse_question(command, expand);
    return answer({command, reading, expand}, beside);
}

// The question as one canonical command: options in the order above (one
// space between words, ± for tolerances, "--mc N" with its N), then the
// keyword, the values and "= TARGET". Reading it back gives the same
// question: parse_question(compose_question(q)) == q.
std::string compose_question(const Question& question);

// What follows "= " in the composed question: "3.3", "3.3±3%", "3.2..3.4".
std::string compose_target(const QuestionTarget& target);

// Why `percent` ("1", "0.5", ".5": what stands between ± and %) is no
// tolerance ("a tolerance in percent, such as 1 or 0.5"); "" when it is one.
std::string tolerance_problem(std::string_view percent);

// Whether `word` names one of the options above ("--series", "--series=E24").
bool is_question_option(std::string_view word) noexcept;

// Reads the option `name` with `argument` (none when none was written) into
// `settings`; "" when it reads, else the error line.
std::string set_question_option(std::string_view name, std::optional<std::string_view> argument,
                                QuestionSettings& settings);

// What the option `name` takes, as a person reads it ("a whole number of
// samples from 1 to 100000000"); "" for no option.
std::string_view question_option_hint(std::string_view name) noexcept;

// The options of `settings` as words of a command: {"--series", "E24"}, ...,
// in canonical order.
std::vector<std::string> question_option_words(const QuestionSettings& settings);

// `beside` (the tool's command line) with what `written` (the question)
// sets in its place: an option written in a question wins.
QuestionSettings merged(const QuestionSettings& beside, const QuestionSettings& written);

}  // namespace zorvane::host
