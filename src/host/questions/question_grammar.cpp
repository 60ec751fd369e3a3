// The question grammar: a command with options, ? for unknowns, tolerances
// and a target after '=', read into its parts and written back. Every host
// reads questions here (the tool, the WebAssembly glue, so the page), so a
// question means the same wherever it is typed, and an address the page
// writes reads back as the question it shows.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "command.h"
#include "rendering.h"
#include "words.h"
#include "zorvane_host/question.h"

namespace zorvane::host {
namespace {

constexpr std::string_view PLUS_MINUS = "\xC2\xB1";
constexpr std::string_view ASCII_PLUS_MINUS = "+-";
constexpr std::string_view UNKNOWN = "?";
constexpr std::string_view LIMITS_SEPARATOR = "..";

constexpr std::array<std::string_view, 2> DISTRIBUTIONS = {"uniform", "normal"};
static_assert(MAX_SAMPLES == 100'000'000, "the --mc hint names the limit");

// A number as the input notation reads it in `unit` (or plainly).
std::optional<double> read_number_text(std::string_view text, std::string_view unit, bool expand) {
    std::string plain;
    const bool notation = expand && append_plain_value(text, unit, plain);
    return parse_number(notation ? std::string_view(plain) : text);
}

// Where a tolerance sign stands in `word`, and how long it is.
std::pair<std::size_t, std::size_t> plus_minus_at(std::string_view word) {
    std::size_t at = word.find(PLUS_MINUS);
    if (at != std::string_view::npos) return {at, PLUS_MINUS.size()};
    return {word.find(ASCII_PLUS_MINUS), ASCII_PLUS_MINUS.size()};
}

// "1" of "±1%": a percentage at least 0, or nothing.
std::optional<Percent> read_percent(std::string_view text) {
    const std::optional<double> read = parse_number(text);
    if (!read || !(*read >= 0.0)) return std::nullopt;
    return Percent{std::string(text), *read};
}

constexpr std::string_view TOLERANCE_PROBLEM = "a tolerance in percent, such as 1 or 0.5";

// "10k±1%", "10k+-1%": the number and its tolerance. A word that only looks
// so ("±1%", "10k±-1%", "10k±x%") stays whole, for the module to refuse.
// (The reading comes later, when the formula is known.)
QuestionValue read_value_word(std::string_view word) {
    QuestionValue value;
    value.number = word;
    if (word == UNKNOWN) {
        value.unknown = true;
        return value;
    }
    const auto [at, length] = plus_minus_at(word);
    if (at == std::string_view::npos) return value;
    if (at == 0 || !word.ends_with('%')) {
        value.tolerance_problem = TOLERANCE_PROBLEM;
        return value;
    }
    std::optional<Percent> percent =
        read_percent(word.substr(at + length, word.size() - at - length - 1));
    if (!percent) {
        value.tolerance_problem = TOLERANCE_PROBLEM;
        return value;
    }
    value.number = word.substr(0, at);
    value.tolerance = std::move(percent);
    return value;
}

// "3.3", "3.3±3%", "3.2..3.4" after '=', read in the result's unit.
QuestionTarget read_target(std::string_view word, std::string_view unit, bool expand) {
    QuestionTarget target;
    target.number = word;
    if (const std::size_t dots = word.find(LIMITS_SEPARATOR);
        dots != std::string_view::npos && dots > 0 && dots + 2 < word.size()) {
        const std::string_view low = word.substr(0, dots);
        const std::string_view high = word.substr(dots + 2);
        const std::optional<double> low_value = read_number_text(low, unit, expand);
        const std::optional<double> high_value = read_number_text(high, unit, expand);
        if (low_value && high_value) {
            target.form = QuestionTarget::Form::limits;
            target.number.clear();
            target.limits = Limits{std::string(low), std::string(high), *low_value, *high_value};
            return target;
        }
    }
    const QuestionValue value = read_value_word(word);
    if (value.tolerance && !value.unknown) {
        target.form = QuestionTarget::Form::tolerance;
        target.number = value.number;
        target.tolerance = value.tolerance;
    }
    target.reading = read_number_text(target.number, unit, expand);
    return target;
}

// A whole number in decimal digits from `low` to `high`, or nothing.
std::optional<std::uint64_t> read_count(std::string_view text, std::uint64_t low,
                                        std::uint64_t high) {
    std::uint64_t value = 0;
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < low || value > high) return std::nullopt;
    return value;
}

std::string quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

// Why an option's argument does not read; "" when it does.
using ArgumentReader = std::string (*)(std::string_view argument, QuestionSettings& settings);

// The kind of part whose letter `letter` is, written as options write it
// (R, C, L: a capital), or nothing.
std::optional<PartKind> kind_lettered(std::string_view letter) {
    const std::optional<PartKind> kind = part_kind_named(letter);
    if (!kind || part_kind_letter(*kind) != letter) return std::nullopt;
    return kind;
}

// An argument given for every kind of part ("E24") or per kind
// ("R=E96,C=E12"), each item read by `read_one` in the kind's unit ("" for
// every kind).
template <typename T, typename Read>
std::string read_per_kind(std::string_view argument, PerKind<T>& into, Read read_one) {
    PerKind<T> read{};
    if (argument.find('=') == std::string_view::npos) {
        std::optional<T> value = read_one(argument, std::string_view{});
        if (!value) return "invalid";
        read.every = std::move(value);
        into = std::move(read);
        return {};
    }
    while (true) {
        const std::size_t comma = argument.find(',');
        const std::string_view item = argument.substr(0, comma);
        const std::size_t equals = item.find('=');
        const std::optional<PartKind> kind =
            equals == std::string_view::npos ? std::nullopt : kind_lettered(item.substr(0, equals));
        if (!kind) return "kind";
        std::optional<T>& slot = read.kinds[static_cast<std::size_t>(*kind)];
        if (slot) return "twice";
        std::optional<T> value = read_one(item.substr(equals + 1), part_kind_info(*kind).unit);
        if (!value) return "invalid";
        slot = std::move(value);
        if (comma == std::string_view::npos) break;
        argument.remove_prefix(comma + 1);
    }
    into = std::move(read);
    return {};
}

std::string per_kind_error(std::string_view problem, std::string_view name,
                           std::string_view argument, std::string_view what) {
    if (problem.empty()) return {};
    if (problem == "kind") {
        return "Error: Write " + std::string(name) + " per kind as R=, C= or L=, not " +
               quoted(argument);
    }
    if (problem == "twice") {
        return "Error: A kind is given twice in " + std::string(name) + " " + std::string(argument);
    }
    return "Error: Invalid " + std::string(what) + " " + quoted(argument) + " for " + quoted(name);
}

std::string read_series(std::string_view argument, QuestionSettings& settings) {
    // E24 or e24, as the module's other entry points take a series; written
    // back as the standard names it.
    const auto one = [](std::string_view text, std::string_view) { return series_named(text); };
    return per_kind_error(read_per_kind(argument, settings.series, one), "--series", argument,
                          "series");
}

std::string read_tolerance(std::string_view argument, QuestionSettings& settings) {
    const auto one = [](std::string_view text, std::string_view) -> std::optional<Percent> {
        if (text.ends_with('%')) text.remove_suffix(1);
        return read_percent(text);
    };
    return per_kind_error(read_per_kind(argument, settings.tolerance, one), "--tolerance", argument,
                          "tolerance");
}

std::string read_within(std::string_view argument, QuestionSettings& settings) {
    const auto one = [](std::string_view text, std::string_view unit) -> std::optional<Limits> {
        const std::size_t dots = text.find(LIMITS_SEPARATOR);
        if (dots == std::string_view::npos) return std::nullopt;
        const std::string_view low = text.substr(0, dots);
        const std::string_view high = text.substr(dots + 2);
        const std::optional<double> low_value = read_number_text(low, unit, true);
        const std::optional<double> high_value = read_number_text(high, unit, true);
        // A window of values parts take: above zero, the low end first.
        if (!low_value || !high_value || !(*low_value > 0.0) || !(*low_value <= *high_value)) {
            return std::nullopt;
        }
        return Limits{std::string(low), std::string(high), *low_value, *high_value};
    };
    return per_kind_error(read_per_kind(argument, settings.within, one), "--within", argument,
                          "window");
}

// A whole number of samples in decimal digits or as a number ("1e6"),
// written back in digits.
std::string read_samples(std::string_view argument, QuestionSettings& settings) {
    const std::optional<double> value =
        argument.find_first_not_of("0123456789.eE+-") == std::string_view::npos
            ? parse_number(argument)
            : std::nullopt;
    settings.samples.reset();
    if (value && *value >= 1.0 && *value <= static_cast<double>(MAX_SAMPLES) &&
        *value == std::floor(*value)) {
        settings.samples = static_cast<std::uint64_t>(*value);
        return {};
    }
    return "Error: Invalid number of samples " + quoted(argument) + " for '--mc'";
}

std::string read_seed(std::string_view argument, QuestionSettings& settings) {
    settings.seed = read_count(argument, 0, std::numeric_limits<std::uint64_t>::max());
    if (settings.seed) return {};
    return "Error: Invalid seed " + quoted(argument) + " for '--seed'";
}

std::string read_distribution(std::string_view argument, QuestionSettings& settings) {
    const auto* found = std::find(DISTRIBUTIONS.begin(), DISTRIBUTIONS.end(), argument);
    if (found == DISTRIBUTIONS.end()) {
        return "Error: Invalid distribution " + quoted(argument) + " for '--distribution'";
    }
    settings.distribution = static_cast<Distribution>(found - DISTRIBUTIONS.begin());
    return {};
}

std::string read_top(std::string_view argument, QuestionSettings& settings) {
    const std::optional<std::uint64_t> top = read_count(argument, 1, MAX_TOP);
    if (!top) return "Error: Invalid count " + quoted(argument) + " for '--top'";
    settings.top = static_cast<int>(*top);
    return {};
}

std::string read_combine(std::string_view argument, QuestionSettings& settings) {
    // Two parts are what a board takes in place of one.
    if (argument != "2") return "Error: Invalid count " + quoted(argument) + " for '--combine'";
    settings.combine = 2;
    return {};
}

// How an option takes its argument.
enum class Argument {
    required,  // --series E24
    optional,  // --mc, --mc 1000: the next word when it starts with a digit
};

struct OptionRow {
    std::string_view name;
    Argument argument;
    std::string_view hint;  // what the argument is, for a missing or bad one
    ArgumentReader read;
};

// In the order a composed question writes them.
// clang-format off
constexpr OptionRow OPTION_ROWS[] = {
    {"--series",       Argument::required, "a series: E3 E6 E12 E24 E48 E96 E192, or per kind: R=E96,C=E12", read_series},
    {"--tolerance",    Argument::required, "a tolerance in percent: 1%, or per kind: R=1%,C=5%",           read_tolerance},
    {"--within",       Argument::required, "a window of values: 1k..100k, or per kind: R=1k..100k",        read_within},
    {"--mc",           Argument::optional, "a whole number of samples from 1 to 100000000",                read_samples},
    {"--seed",         Argument::required, "a whole number from 0 to 18446744073709551615",                read_seed},
    {"--distribution", Argument::required, "uniform or normal",                                            read_distribution},
    {"--top",          Argument::required, "a whole number from 1 to 1000",                                read_top},
    {"--combine",      Argument::required, "2: one value from two standard parts",                         read_combine},
};
// clang-format on

const OptionRow* option_row(std::string_view name) {
    const auto* found = std::find_if(std::begin(OPTION_ROWS), std::end(OPTION_ROWS),
                                     [name](const OptionRow& row) { return row.name == name; });
    return found == std::end(OPTION_ROWS) ? nullptr : found;
}

// Whether `word` may be the optional argument of --mc rather than the
// keyword: it starts as a number does.
bool looks_numeric(std::string_view word) {
    return !word.empty() && word.find_first_of("0123456789+-.") == 0 && !word.starts_with("--");
}

// Whether the option `name` is set in `settings`.
bool is_set(std::string_view name, const QuestionSettings& settings) {
    if (name == "--series") return settings.series.given();
    if (name == "--tolerance") return settings.tolerance.given();
    if (name == "--within") return settings.within.given();
    if (name == "--mc") return settings.samples.has_value();
    if (name == "--seed") return settings.seed.has_value();
    if (name == "--distribution") return settings.distribution.has_value();
    if (name == "--top") return settings.top.has_value();
    return settings.combine.has_value();
}

void fail(ParsedQuestion& parsed, std::string line, std::string hint = {}) {
    parsed.error = std::move(line);
    if (!hint.empty()) parsed.hints.push_back(std::move(hint));
}

std::string option_list() {
    std::string list;
    for (const OptionRow& row : OPTION_ROWS) list.append(list.empty() ? "" : " ").append(row.name);
    return "the options of a question: " + list;
}

// Reads the options before the keyword; false, with the error in `parsed`,
// on one that does not read.
bool read_options(Words& words, std::string_view& word, ParsedQuestion& parsed) {
    QuestionSettings& settings = parsed.question.settings;
    while (word.starts_with("--")) {
        const std::size_t equals = word.find('=');
        const std::string_view name = word.substr(0, equals);
        const OptionRow* row = option_row(name);
        if (row == nullptr) {
            fail(parsed, "Error: Unknown option " + quoted(name), option_list());
            return false;
        }
        if (is_set(name, settings)) {
            fail(parsed, "Error: " + quoted(name) + " is given twice");
            return false;
        }
        std::optional<std::string_view> argument;
        std::string_view next = words.next();
        if (equals != std::string_view::npos) {
            argument = word.substr(equals + 1);
        } else if (row->argument == Argument::required ||
                   (row->argument == Argument::optional && looks_numeric(next))) {
            if (next.empty()) {
                fail(parsed, "Error: " + quoted(name) + " needs an argument",
                     std::string(row->hint));
                return false;
            }
            argument = next;
            next = words.next();
        }
        if (std::string error = set_question_option(name, argument, settings); !error.empty()) {
            fail(parsed, std::move(error), std::string(row->hint));
            return false;
        }
        word = next;
    }
    return true;
}

void append_per_kind_items(std::string& out, const auto& option, const auto& write) {
    if (option.every) {
        write(*option.every, out);
        return;
    }
    bool first = true;
    for (std::size_t kind = 0; kind < PART_KIND_COUNT; ++kind) {
        if (!option.kinds[kind]) continue;
        out.append(first ? "" : ",")
            .append(part_kind_letter(static_cast<PartKind>(kind)))
            .append("=");
        write(*option.kinds[kind], out);
        first = false;
    }
}

std::string per_kind_text(const auto& option, const auto& write) {
    std::string text;
    append_per_kind_items(text, option, write);
    return text;
}

std::string_view unit_of_argument(const FormulaInfo* formula, std::size_t index) {
    if (formula == nullptr || index >= formula->argument_units.size()) return {};
    return formula->argument_units[index];
}

}  // namespace

int Question::unknowns() const noexcept {
    return static_cast<int>(std::count_if(values.begin(), values.end(),
                                          [](const QuestionValue& v) { return v.unknown; }));
}

int Question::tolerances() const noexcept {
    return static_cast<int>(std::count_if(values.begin(), values.end(), [](const QuestionValue& v) {
        return v.tolerance.has_value();
    }));
}

std::string tolerance_problem(std::string_view percent) {
    return read_percent(percent) ? std::string() : std::string(TOLERANCE_PROBLEM);
}

std::string_view distribution_name(Distribution distribution) {
    return DISTRIBUTIONS[static_cast<std::size_t>(distribution)];
}

std::string_view question_option_hint(std::string_view name) noexcept {
    const OptionRow* row = option_row(name);
    return row == nullptr ? std::string_view{} : row->hint;
}

bool is_question_option(std::string_view word) noexcept {
    return option_row(word.substr(0, word.find('='))) != nullptr;
}

std::string set_question_option(std::string_view name, std::optional<std::string_view> argument,
                                QuestionSettings& settings) {
    const OptionRow* row = option_row(name);
    if (row == nullptr) return "Error: Unknown option " + quoted(name);
    if (!argument) {
        if (row->argument == Argument::required)
            return "Error: " + quoted(name) + " needs an argument";
        settings.samples = DEFAULT_SAMPLES;
        return {};
    }
    return row->read(*argument, settings);
}

std::vector<std::string> question_option_words(const QuestionSettings& settings) {
    std::vector<std::string> words;
    const auto add = [&words](std::string_view name, std::string argument) {
        words.emplace_back(name);
        words.push_back(std::move(argument));
    };
    if (settings.series.given()) {
        add("--series", per_kind_text(settings.series, [](Series series, std::string& out) {
                out += series_name(series);
            }));
    }
    if (settings.tolerance.given()) {
        add("--tolerance",
            per_kind_text(settings.tolerance, [](const Percent& p, std::string& out) {
                out.append(p.text).append("%");
            }));
    }
    if (settings.within.given()) {
        add("--within", per_kind_text(settings.within, [](const Limits& limits, std::string& out) {
                out.append(limits.low_text).append(LIMITS_SEPARATOR).append(limits.high_text);
            }));
    }
    if (settings.samples) add("--mc", std::to_string(*settings.samples));
    if (settings.seed) add("--seed", std::to_string(*settings.seed));
    if (settings.distribution) {
        add("--distribution",
            std::string(DISTRIBUTIONS[static_cast<std::size_t>(*settings.distribution)]));
    }
    if (settings.top) add("--top", std::to_string(*settings.top));
    if (settings.combine) add("--combine", std::to_string(*settings.combine));
    return words;
}

QuestionSettings merged(const QuestionSettings& beside, const QuestionSettings& written) {
    QuestionSettings settings = beside;
    if (written.series.given()) settings.series = written.series;
    if (written.tolerance.given()) settings.tolerance = written.tolerance;
    if (written.within.given()) settings.within = written.within;
    if (written.samples) settings.samples = written.samples;
    if (written.seed) settings.seed = written.seed;
    if (written.distribution) settings.distribution = written.distribution;
    if (written.top) settings.top = written.top;
    if (written.combine) settings.combine = written.combine;
    return settings;
}

bool is_question(std::string_view command) noexcept {
    Words words(command);
    const std::string_view first = words.next();
    if (first.starts_with("--")) return true;
    const std::string_view values(words.position(),
                                  static_cast<std::size_t>(words.end() - words.position()));
    return values.find_first_of("?=") != std::string_view::npos ||
           values.find(PLUS_MINUS) != std::string_view::npos ||
           values.find(ASCII_PLUS_MINUS) != std::string_view::npos;
}

ParsedQuestion parse_question(std::string_view command, bool expand) {
    ParsedQuestion parsed;
    Question& question = parsed.question;
    Words words(command);
    std::string_view word = words.next();
    if (!read_options(words, word, parsed)) return parsed;
    question.keyword = word;
    question.formula = find(ascii_lowercase(word));
    // Values run to '=', which needs no space around it ("?=3.3").
    const std::size_t from = static_cast<std::size_t>(words.position() - command.data());
    const std::size_t equals = command.find('=', from);
    Words values(command.substr(
        from, equals == std::string_view::npos ? std::string_view::npos : equals - from));
    for (std::string_view value = values.next(); !value.empty(); value = values.next()) {
        QuestionValue read = read_value_word(value);
        if (!read.unknown) {
            read.reading = read_number_text(
                read.number, unit_of_argument(question.formula, question.values.size()), expand);
        }
        question.values.push_back(std::move(read));
    }
    if (equals == std::string_view::npos) return parsed;
    Words after(command.substr(equals + 1));
    const std::string_view target = after.next();
    if (target.empty() || !after.next().empty()) {
        fail(parsed, target.empty() ? "Error: No result after '='" : "Error: One result after '='",
             "write the result wanted on one word: = 3.3V");
        return parsed;
    }
    question.target = read_target(
        target, question.formula == nullptr ? std::string_view{} : question.formula->unit, expand);
    if (const std::optional<Limits>& limits = question.target->limits;
        limits && !(limits->low <= limits->high)) {
        fail(parsed, "Error: The window " + std::string(target) + " is empty",
             "write the lower limit first: = 3.2..3.4");
    }
    return parsed;
}

std::string compose_question(const Question& question) {
    std::string text;
    for (const std::string& word : question_option_words(question.settings)) {
        text.append(word).append(" ");
    }
    text += question.keyword;
    for (const QuestionValue& value : question.values) {
        text.append(" ").append(value.unknown ? UNKNOWN : std::string_view(value.number));
        if (value.tolerance && !value.unknown) {
            text.append(PLUS_MINUS).append(value.tolerance->text).append("%");
        }
    }
    if (question.target) text.append(" = ").append(compose_target(*question.target));
    return text;
}

std::string compose_target(const QuestionTarget& target) {
    std::string text;
    if (target.limits) {
        return text.append(target.limits->low_text)
            .append(LIMITS_SEPARATOR)
            .append(target.limits->high_text);
    }
    text += target.number;
    if (target.tolerance) text.append(PLUS_MINUS).append(target.tolerance->text).append("%");
    return text;
}

}  // namespace zorvane::host
