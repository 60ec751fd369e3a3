// What every host of the module shares: the formula table as people read
// it, the input notation people type (SI prefixes, IEC 60062 codes), one
// evaluation rendered as the module's line and in engineering notation, and
// the hints that help someone fix a command. zorvane-calc and the WebAssembly
// glue reach the core through this header alone.
//
// Text here is UTF-8 (the module's Windows-1252 is converted at this
// boundary). Nothing here depends on the locale.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorvane::host {

// ---- The formula table, as hosts show it ----

struct FormulaInfo {
    std::string_view keyword;                     // the name typed: ohms_current
    std::string_view category;                    // "Ohm's law and power"
    std::span<const std::string_view> arguments;  // {"<voltage>", "<resistance>"}
    std::string_view label;                       // "Current"
    std::string_view unit;                        // UTF-8: "A", "Ω", "°C/W", "" for none
    // The unit of each of `arguments`, UTF-8: {"V", "Ω"}; "" for a ratio.
    std::span<const std::string_view> argument_units;
    std::string_view
        description;  // UTF-8, as the reference gives it: "Calculate current (I = V / R)"
};

// Every formula, in table order.
std::span<const FormulaInfo> formulas() noexcept;

// The formula named `keyword` (exact, lower-case), or null.
const FormulaInfo* find(std::string_view keyword) noexcept;

// The unit of a value named `argument` ("<resistance>": "Ω"; "" for ratios,
// factors and the dielectric constant), in UTF-8; nothing for a name no
// formula uses.
std::optional<std::string_view> argument_unit(std::string_view argument) noexcept;

// The name and its arguments: ohms_current followed by <voltage> <resistance>.
std::string usage(const FormulaInfo& formula);

// The formula's line of the reference file, in UTF-8, without the leading
// spaces and line end, as in the reference file.
std::string reference_line(const FormulaInfo& formula);

// The usage summary with sample commands, UTF-8, line-feed terminated lines.
std::string help_summary();

// The reference file's exact bytes (Windows-1252), as the module writes them.
std::string reference_file_bytes();

// ---- Input notation ----

// Rewrites every value token (each token after the first) written with one
// SI prefix (p n u µ μ m k M G T: 4.7k, 1u) or in IEC 60062 form (4k7, 1M5,
// 4n7, 2R2) as the same number in plain decimal, exactly (decimal digits are
// shifted, never rounded through binary), in its shortest exact form. A
// value may end in its argument's unit, after the prefix or code if any:
// 12V, 10kΩ or 10kohm, 4.7uF, 25°C; the unit goes, the number stays as
// typed or expanded (12V is 12). A value that reads as a prefixed number
// reads so first: for a length, 1m is 0.001 and 1mm is too. Everything
// else (a unit that is not the argument's: 12A for a voltage), and the
// spacing, is kept as typed.
void expand_notation(std::string_view command, std::string& out);

// ---- One evaluation, several renderings ----

enum class Kind {
    empty,              // nothing but spaces
    too_long,           // refused: longer than the module accepts
    invalid_number,     // `token` is the value token that is not a number
    unknown_formula,    // `token` is the name as typed; `formula` set when the name exists
    result,             // `formula` and `value`
    reference_written,  // "/help": the reference file was written into the current directory
    reference_failed,   // "/help": it could not be
};

struct Answer {
    Kind kind = Kind::empty;
    const FormulaInfo* formula = nullptr;
    double value = 0.0;
    bool guarded = false;     // result: the formula's zero guard answered 0, not its arithmetic
    std::string token;        // the name, or the invalid value token, as typed (UTF-8)
    int values_given = 0;     // value tokens typed after the name (all of them, not only four)
    std::string line;         // the module's line, UTF-8, exactly as ElectronicsCalc gives it
    std::string engineering;  // the same line with the value in engineering notation,
                              // equal to `line` for everything but a result; empty
                              // when the evaluation was not asked for it

    // result: the values the module read, in order (zero past the formula's count)
    std::array<double, 4> values{};

    bool is_error() const noexcept {
        return kind != Kind::result && kind != Kind::empty && kind != Kind::reference_written;
    }
};

// Evaluates one UTF-8 command once and renders it both ways. With
// `expand` the input notation is expanded first. The text goes to UTF-16 and
// through the module's own narrowing, so the line is exactly the one
// ElectronicsCalc gives; "/help" writes the reference file as the module
// does. Keeps its buffers from call to call, so a line without notation
// allocates nothing once they have grown.
class Calculator {
   public:
    struct Options {
        bool expand = true;       // expand the input notation first
        bool engineering = true;  // also render the engineering line (else it stays empty)
    };
    const Answer& evaluate(std::string_view command, Options options);
    const Answer& evaluate(std::string_view command) { return evaluate(command, Options{}); }

   private:
    std::string expanded_;
    std::u16string wide_;
    Answer answer_;
};

// "159.155 Ω", "100 ns", "1e-15 F", "20 dB", "1.58114": the value and unit of
// a result in engineering notation.
std::string engineering_value(double value, const FormulaInfo& formula);

// "-3.74", "0.00", "2.00e+304": a relative deviation (or a margin) in
// percent as every answer writes it, without the "%": two decimals rounded
// as printf's "%.2f" rounds the exact percentage, from the deviation's own
// digits (no multiplication by 100, no locale); scientific where the fixed
// form would be long.
std::string percent_text(double deviation);

// `line` as people read it: the module's line of `formula` (or a line that
// begins with it: a range, statistics) with the ohm sign where the module,
// whose character set lacks it, wrote "?" for the unit Ω, the "?" after
// "<label> = <number> " at the start. Nothing else changes: a "?" typed
// into an error line, or one of another formula's line, stays as it is.
std::string with_ohm_sign(std::string_view line, const FormulaInfo* formula);

// ---- Hints for people ----

// What may help someone fix `command` given its answer: too few values (the
// formula's arguments), an unknown name (up to three nearest keywords), the
// likely cause of an invalid number, values beyond the formula's count. One
// line each, without line ends; none for a plain result.
std::vector<std::string> hints(std::string_view command, const Answer& answer);

// One value as typed into a field: a number, with an SI prefix or in IEC
// form, and in the unit of `formula`'s argument `argument` when one is
// given. `problem` says why the text is no single value ("'1,5' is not a
// number: write 1.5", "one value per field", "enter a value"), in the
// words of the hints; empty when `value` holds the value read.
struct ValueReading {
    double value = 0.0;
    std::string problem;
};
ValueReading read_value(std::string_view text, const FormulaInfo* formula = nullptr,
                        int argument = -1);

// Keywords that start with `prefix` (any case), in table order (completion).
std::vector<std::string_view> complete(std::string_view prefix);

// ---- Questions beyond the module's: solving, standard parts, ranges ----
//
// The command language grows three ways, each checked by the module's own
// arithmetic:
//   voltage_divider 12 10k ? = 3.3      one value written ?, the result wanted
//                                       after = (spaces optional, prefixes and
//                                       the result's unit allowed): solve for it
//   voltage_divider 12 ? ? = 3.3        two of one kind (resistances,
//                                       capacitances, inductances) with a series
//                                       of standard values: the best pair
//   voltage_divider 12 10k±1% 4.7k±1%   tolerances in percent (also +-): the
//                                       worst-case range of the result

enum class Series;  // the IEC 60063 series, below

// Whether `command` asks one of these questions rather than the module's
// forward one: a value word holds ?, =, ± or +-. (The rest goes to
// Calculator as ever.)
bool is_question(std::string_view command) noexcept;

struct QuestionOptions {
    bool expand = true;            // the input notation (prefixes, IEC codes, units)
    std::optional<Series> series;  // standard values after a solution; two ? ask for a pair
};

// What every answer to a question has.
struct Reply {
    bool error = true;        // `line` begins "Error: "
    std::string line;         // one line, UTF-8: what zorvane-calc prints
    std::string engineering;  // the same with values in engineering notation
    // The line for a person at a terminal: each solution, standard neighbour
    // or pair value in engineering notation with its exact double after it,
    // "capacitance = 15.9155 nF (1.5915494309188485e-08 F)"; empty where it
    // would be `line` itself.
    std::string readable;
    std::vector<std::string> hints;  // what may help a person fix the command
    const FormulaInfo* formula = nullptr;
    int evaluations = 0;  // of the formula's arithmetic, to answer
};

// "voltage_divider 12 10k ? = 3.3": line "r2 = 3793.1034482758623 Ω" (each
// solution in the shortest form that reads back as the same double, so it
// can be pasted into a command), engineering "r2 = 3.7931 kΩ". All
// solutions in the argument's domain (above zero for a magnitude), in
// increasing order, joined by " or ". With a series, the standard
// neighbours of each solution for a resistance, capacitance or inductance
// follow, with the result each gives and its deviation from the target:
// "...; E24: 3600 Ω → 3.176471 V (-3.74%), 3900 Ω → 3.366906 V (+2.03%)".
// No solution, or every value of the domain a solution: an error line, and a
// hint with what the formula reaches.
//
// A stretch of values that all give the target (where the other values
// decide the result) is a sentence with its first and last values, or the
// domain's end in words: "Every r2 from 1.2e+19 to 1.0184e+306 Ω gives
// Parallel Resistance = 176.5 Ω", "Every capacitance below 4.9e-24 F
// gives ...". After solutions it follows them: "frequency = 2 Hz; every
// frequency from ...". Where the result rounds away from the target and back
// within the stretch, the sentence says so: "Many r2 from ... give ..., not
// every one".
struct SolvedStretch {
    double from;
    double to;
    bool from_domain_end;  // every value below `to` in the domain
    bool to_domain_end;    // every value above `from` in the domain
    // Every value looked at between the ends gives the target; false where
    // the result rounds away from it and back ("Many r2 from ... give").
    bool every;
};
struct StandardNeighbour {
    double value;      // a standard value next to a solution
    double result;     // the formula's result with it
    double deviation;  // (result - target) / |target|; the difference when the target is 0
                       // or so small that the ratio is beyond the doubles
};
struct Solved : Reply {
    int argument = -1;               // which value was ?, from 0
    std::string_view argument_name;  // "r2"
    std::string_view unit;           // the argument's unit, UTF-8: "Ω"; "" for none
    double target = 0.0;
    std::vector<double> solutions;  // increasing
    std::vector<StandardNeighbour> standard;
    std::vector<SolvedStretch> stretches;  // increasing
};
Solved solve(std::string_view command, const QuestionOptions& options = {});

// "voltage_divider 12 10k±1% 4.7k±1%": the module's line followed by the
// smallest and largest result over every combination of values within their
// tolerances: "Output Voltage = 3.836735 V (3.810811 .. 3.863014 V)".
// Where the box reaches a division by zero or leaves the doubles, or the
// formula gives no number in it, an error line, the hints saying which; the
// hints also tell of a zero guard within the box and of values beyond the
// formula's count.
struct Ranged : Reply {
    double value = 0.0;  // the result at the nominal values
    double min = 0.0;
    double max = 0.0;
};
Ranged range(std::string_view command, const QuestionOptions& options = {});

// "voltage_divider 12 ? ? = 3.3" with E24: the two standard values whose
// result is nearest the target, over 100 Ω to 1 MΩ (10 pF to 100 µF, 1 µH to
// 100 mH): "r1 = 24000 Ω, r2 = 9100 Ω (Output Voltage = 3.299094 V, -0.03%)".
struct Paired : Reply {
    std::array<int, 2> arguments{-1, -1};  // which values were ?
    std::array<std::string_view, 2> names;
    std::string_view unit;
    std::array<double, 2> values{};
    double result = 0.0;  // the formula's result with them
    double target = 0.0;
    double deviation = 0.0;  // as for StandardNeighbour
    // With a tolerance for the pair's kind of part (--tolerance 1%): the
    // result's worst case with both parts anywhere within it.
    std::optional<double> part_tolerance;  // a fraction: 0.01
    double min = 0.0;
    double max = 0.0;
};
Paired pair(std::string_view command, Series series, const QuestionOptions& options = {});

// Whichever question the command asks (options.series decides between a
// pair and an error for two ?); for a command that asks none, the
// Calculator's answer.
Reply ask(std::string_view command, const QuestionOptions& options = {});

// ---- The prompt's own words ----

// What a person types to leave or to ask for help, rather than a command:
// "quit", "exit", "help", "?" and "help NAME", in any case, words separated
// by spaces. Everything else ("/help" included) is a command.
struct PromptWord {
    enum class Kind { none, quit, help, help_name };
    Kind kind = Kind::none;
    std::string name;  // for help_name: NAME, lower-cased
};
PromptWord prompt_word(std::string_view line);

// ---- Text at the boundary ----

// Malformed UTF-8 becomes U+FFFD, one per bad byte.
void append_utf16_from_utf8(std::string_view utf8, std::u16string& out);
// A lone surrogate becomes U+FFFD.
void append_utf8_from_utf16(std::u16string_view utf16, std::string& out);

// ---- Standard values and worst-case ranges ----

// The preferred-number series of IEC 60063, as the standard tabulates them
// (E24 and below are not 10^(i/n) rounded: 2.7, 3.0, 3.3 ...; E192 has 9.20).
enum class Series { e3, e6, e12, e24, e48, e96, e192 };

// "E24", "e24" -> Series::e24; nothing for any other text.
std::optional<Series> series_named(std::string_view name);
std::string_view series_name(Series series);  // "E24"
// Every series' name, in the order of Series: "E3", "E6" ... "E192". The
// one list of them the tool's options, its completions and the page read.
std::span<const std::string_view> series_names() noexcept;

// The largest series value at or below `value`, the smallest at or above it,
// and the nearer of the two by ratio (value / below against above / value,
// compared exactly, value² against below * above; a tie gives the lower one).
// A value of the series is its own below, above and nearest.
// Each is the double nearest the decimal the standard gives (3.3e3 is the
// double of "3300", 4.7e-9 that of "4.7e-9"). Nothing unless value is finite
// and > 0; nothing also below the smallest normal double or where the next
// series value is beyond the largest double.
struct StandardValues {
    double below;
    double above;
    double nearest;
};
std::optional<StandardValues> standard_values(double value, Series series);

// The smallest and largest result of `formula` over every combination of values
// within value[i] * (1 +- tolerance[i]) (tolerance relative: 0.01 for 1 %; 0
// for exact values), exactly: every min and max is a result the core computes
// at a point of the box, found at the corners where the row is monotone in
// each value and at the interior extrema where it is not (a series RLC's
// resonance); a point between them may give a result an ulp beyond, where
// the core's rounding is not quite monotone. A magnitude (resistance, frequency ...) never goes
// below zero: a tolerance over 100 % reaches down to 0. Where the box reaches a division by zero
// the range runs to the infinity the core gives next to it. The guard's 0 counts among the results,
// and `guarded` tells that some point of the box hit the row's zero guard. min and max are NaN when
// the row gives not-a-number somewhere in the box, when a value or tolerance is not finite, or when
// a magnitude's whole box is negative. `evaluations` counts the core's evaluations spent.
struct Range {
    double min;
    double max;
    bool guarded;
    int evaluations;
};
Range worst_case_range(const FormulaInfo& formula, const std::array<double, 4>& values,
                       const std::array<double, 4>& tolerances);

// Two unknowns of one kind (both resistances, capacitances or inductances):
// the pair of standard values from `series` whose result is nearest `target`
// by relative deviation (absolute for a target of 0), searched over
// 100 Ω–1 MΩ, 10 pF–100 µF or 1 µH–100 mH by the unknowns' unit (both ends
// included); `first` and `second` are argument positions, the other values
// are taken from `values`.
// The same ratio recurs in every decade (2.4 k/910, 24 k/9.1 k,
// 240 k/91 k): of pairs whose results miss the target by amounts within
// 1e-12 of the results' scale (the target's, or the best miss's where that
// is larger, as for a target of 0) of the best miss, the one whose
// geometric mean lies nearest the middle of the window in series steps wins
// (10 kΩ, 31.6 nF, 316 µH), then the one with the smaller values, then the
// smaller first value. Pairs where the zero guard answered are not results.
// Nothing when the two are not of one such kind, an argument position is out
// of range, the target is not finite, or no pair gives a finite result.
struct StandardPair {
    double first;
    double second;
    double result;
    int evaluations;
};
std::optional<StandardPair> best_standard_pair(const FormulaInfo& formula,
                                               const std::array<double, 4>& values, int first,
                                               int second, double target, Series series);

// ---- Statistics: result windows, Monte Carlo, the values that matter ----
//
// A command whose values carry tolerances may end in a result window on the
// result, a tolerance or two limits after '=':
//   voltage_divider 12±5% 10k±1% 4k7±1% = 3.3±3%     (3.201 .. 3.399 V)
//   voltage_divider 12±5% 10k±1% 4k7±1% = 3.2..3.4
// and is then answered with the module's line, the worst-case range, the
// verdict on the window (whether the worst case lies inside, by how much it
// clears or misses each edge) and each toleranced value's share of the
// variance. With samples, a Monte Carlo run adds the sampled figures.
//
// The samples are the same bits on every platform: std::mt19937_64 (whose
// output the C++ standard fixes) seeded with the seed, each sample drawing
// the toleranced values in order; the variates are made from the engine's
// bits with + - * / only (see variates.h).
//   uniform: value * (1 + tolerance * (2u - 1)), u = the engine's top 53
//            bits * 2^-53, so uniform over [value(1 - t), value(1 + t)).
//   normal:  value * (1 + tolerance * z / 3), z Gaussian with sigma 1
//            truncated to [-3, 3] (the tolerance is 3 sigma, and parts
//            outside it were screened out at the factory).
// A magnitude (a resistance, a frequency ...) never goes below 0, as in
// the worst-case range.

enum class Distribution { uniform, normal };
std::string_view distribution_name(Distribution distribution);  // "uniform", "normal"

inline constexpr std::uint64_t DEFAULT_SAMPLES = 100'000;  // --mc without N
inline constexpr std::uint64_t MAX_SAMPLES = 100'000'000;  // a few seconds of one core
inline constexpr std::uint64_t KEPT_SAMPLES = 1'000'000;   // 8 MB: exact percentiles up to here
inline constexpr std::uint64_t DEFAULT_SEED = 1;
inline constexpr int HISTOGRAM_BINS = 40;

// The samples, seed and distribution come from the question's settings
// (QuestionSettings below: --mc, --seed, --distribution), read by the
// question grammar like every other option.

struct Contribution {
    int argument = -1;      // which value, from 0
    std::string_view name;  // "r2"
    double share = 0.0;     // of the sum of the variances, 0 .. 1
};

// The percentiles reported, in percent: 3 sigma and 2 sigma below and above
// the median of a normal distribution, and the median.
inline constexpr std::array<double, 5> PERCENTILES = {0.135, 2.275, 50.0, 97.725, 99.865};

struct Simulated : Ranged {
    // The window on the result, when one was given, and the verdict.
    bool has_window = false;
    double low = 0.0;  // the window's edges
    double high = 0.0;
    bool inside = false;       // the whole worst-case range lies inside
    double low_margin = 0.0;   // min - low: >= 0 clears the low edge, < 0 misses it
    double high_margin = 0.0;  // high - max
    // Each toleranced value's share of the variance, largest first: the
    // variance of the result when that value alone varies (its
    // distribution, the others at nominal, integrated by 20-point
    // Gauss-Legendre quadrature) over the sum of those variances.
    // Interactions between values are not counted.
    std::vector<Contribution> contributions;
    // The Monte Carlo run, when samples > 0.
    std::uint64_t samples = 0;
    std::uint64_t seed = DEFAULT_SEED;
    Distribution distribution = Distribution::uniform;
    double mean = 0.0;
    double sd = 0.0;        // sample standard deviation (n - 1)
    double smallest = 0.0;  // the smallest and largest result sampled
    double largest = 0.0;
    // At PERCENTILES: with up to KEPT_SAMPLES samples, the sample of rank
    // ceil(p N) (exact); beyond, read from a histogram of 65600 bins over the
    // worst-case range, interpolated within a bin (within one bin's width,
    // (max - min) / 65600).
    std::array<double, 5> percentiles{};
    bool exact_percentiles = true;
    // With a window: the fraction of samples inside it (edges included),
    // the parts per million outside, and Cpk = min(mean - low, high - mean)
    // / (3 sd) (NaN when sd is 0).
    double yield = 0.0;
    double ppm = 0.0;
    double cpk = 0.0;
    // HISTOGRAM_BINS bins over the worst-case range (one when the range is a
    // point): edges has one more entry than counts.
    std::vector<double> edges;
    std::vector<std::uint64_t> counts;
};

// "voltage_divider 12±5% 10k±1% 4k7±1% = 3.3±3%" with 100000 samples: one
// line, "Output Voltage = 3.836735 V (3.5 .. 4.2 V); window ...; 100000
// samples (uniform, seed 1): mean ...; yield ...; variance: vin 96 %, ...".
// Errors: no tolerance, a value written ?, an empty window (3.4..3.2), a
// result that is not finite everywhere within the tolerances, samples
// beyond MAX_SAMPLES.
// The samples, seed and distribution are those of `beside` (the tool's
// command line) with those written in the command winning.
struct QuestionSettings;
Simulated simulate(std::string_view command, const QuestionSettings& beside, bool expand = true);
Simulated simulate(std::string_view command);

// Whether `simulate` answers `command`: values with tolerances and no value
// written ?, and either a window after '=' or samples asked for (in the
// command or in `beside`).
bool is_statistics_question(std::string_view command, const QuestionSettings& beside,
                            bool expand = true);

// ---- Answers as JSON ----
//
// Each answer as one JSON object on one line (no line end), with the field
// names of the JavaScript module's answers; docs/answer.schema.json
// describes them. Numbers are written in the shortest form that reads back
// as the same double, the same bytes on every platform; infinities and NaN
// as null. Every object has "kind", "error", "line", "eng" and "hints".

// A command the module answers (not a question), as `evaluate` gives it:
// {"kind" ("result", "empty", "invalid_number", "unknown_formula",
// "too_long", "reference_written", "reference_failed"), "line", "eng",
// "error", "guarded", "note" (why a guarded result is 0), "lineNote", "hints"}.
std::string answer_json(std::string_view command, const Answer& answer);
// Any question's reply as one line: {"kind": "answer" or "error", "error",
// "guarded": false, "line", "eng", "note": "", "lineNote": "", "hints"}.
std::string answer_json(const Reply& reply);
// The questions with their own fields; "kind" is "solve", "range" or
// "pair", or "error" for an error line (which has the common fields and
// "evaluations" only).
std::string answer_json(
    const Solved& solved);  // + argument, index, unit, target, solutions, standard
std::string answer_json(const Ranged& ranged);  // + value, min, max
std::string answer_json(
    const Paired& paired);  // + arguments, indices, unit, values, result, target, deviation
// kind "statistics": + value, worst {min, max}, window {low, high, inside,
// lowMargin, highMargin} (or null), contributions [{argument, index,
// share}], and after a Monte Carlo run samples, seed, distribution, mean,
// sd, min, max (the smallest and largest sampled), percentiles [{percent,
// value}], exactPercentiles, yield, ppm, cpk (these three null without a
// window), histogram {edges, counts}.
std::string answer_json(const Simulated& simulated);

// The histogram of a Monte Carlo run as an SVG drawing over the worst-case
// range, the result window marked, described in its title for screen
// readers; "" for an error or a run without samples. Every host draws this
// one (the page, a notebook).
std::string histogram_svg(const Simulated& simulated);

// Whatever `command` asks (a forward command, a question, statistics), as
// one JSON object: what zorvane-calc --json writes.
struct JsonAnswer {
    std::string json;
    bool error = false;  // the answer is an error line
};
JsonAnswer json_answer(std::string_view command, const QuestionSettings& beside,
                       bool expand = true);
JsonAnswer json_answer(std::string_view command);

}  // namespace zorvane::host

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

// The kinds of standard parts, as per-kind options name them: R, C, L.
enum class PartKind { resistance, capacitance, inductance };
inline constexpr std::size_t PART_KIND_COUNT = 3;

// The kind of part whose values are in `unit` ("Ω", "F", "H"), or nothing.
std::optional<PartKind> part_kind(std::string_view unit) noexcept;

// An option's argument, for every kind of part alike or per kind.
template <typename T>
struct PerKind {
    std::optional<T> every;                               // --series E24
    std::array<std::optional<T>, PART_KIND_COUNT> kinds;  // --series R=E96,C=E12
    // What holds for `kind`: its own, else what holds for every kind; null for none.
    const T* of(PartKind kind) const noexcept {
        const std::optional<T>& own = kinds[static_cast<std::size_t>(kind)];
        return own ? &*own : every ? &*every : nullptr;
    }
    bool given() const noexcept {
        return every.has_value() ||
               std::any_of(kinds.begin(), kinds.end(), [](const auto& k) { return k.has_value(); });
    }
    bool operator==(const PerKind&) const = default;
};

// A percentage as typed ("1" of "1%") and read (1.0).
struct Percent {
    std::string text;
    double value = 0.0;
    bool operator==(const Percent&) const = default;
};

// Two limits as typed ("1k", "100k") and read (1000, 100000).
struct Limits {
    std::string low_text;
    std::string high_text;
    double low = 0.0;
    double high = 0.0;
    bool operator==(const Limits&) const = default;
};

// Distribution, DEFAULT_SAMPLES and MAX_SAMPLES: with the statistics above.
inline constexpr int MAX_TOP = 1000;

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

// Answers a question with options passed beside it as well as those written
// in it (which win). A window after '=' and --mc, --seed, --distribution
// are the statistics' (simulate); the options no answer uses yet (--tolerance,
// --within, --top, --combine) give an error line saying so.
Reply ask(std::string_view command, const QuestionSettings& beside, bool expand = true);

// ---- What hosts explain beside an answer ----

// Whether a line is a comment: its first non-space character is '#'.
// Hosts answer it with an empty line.
bool is_comment_line(std::string_view line) noexcept;

// Why a guarded result is what it is: "frequency is 0: the formula divides
// by zero, and the module answers 0". Empty unless `answer` is a guarded result.
std::string guard_note(const Answer& answer);

// "<inner_diameter>" as a person reads it: "inner diameter".
std::string argument_words(std::string_view argument);

// A formula's description as prose, with the symbols the module's
// character set lacks: "Reactance (Xc = 1/2πfC)".
std::string description_prose(const FormulaInfo& formula);

// ---- Rows evaluated one point at a time, for hosts that evaluate arrays ----
//
// A host that evaluates a row at a million points (the Python package's
// NumPy path) calls the row itself rather than rendering a command per
// point; the arithmetic is the row's own, so each value is the one the
// module would print.

// The row's value at `values` (the first of them, as many as its
// arguments; the rest are not read), and whether its zero guard answered.
struct RowValue {
    double value;
    bool guarded;
};
RowValue evaluate_row(const FormulaInfo& formula, const std::array<double, 4>& values) noexcept;

// Whether the row's argument `argument` (from 0) is a magnitude, never
// negative (a resistance, a frequency), rather than a signed quantity (a
// voltage, a gain in dB): where a solver looks, and what a host shows.
// False for a position past the row's arguments.
bool is_magnitude(const FormulaInfo& formula, int argument) noexcept;

}  // namespace zorvane::host

// ---- What command-line hosts need ----

namespace zorvane::host {

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

// ---- Design: the standard parts that provably meet a spec ----
//
//   --series E96 voltage_divider 12±5% ? ? = 3.3±3%
//
// One or two values written ?, each a resistance, capacitance or inductance
// (of one kind or of two), a window on the result, and per kind of part a
// series, the parts' tolerance and the values searched. A candidate is a
// choice of standard values; it passes when its worst case (every part within
// its tolerance and every other value within its own, worst_case_range's
// exact extremes) lies inside the window, ends included.
//
// Ranking, best first:
//   1. the larger margin: the smaller of (min - low) and (high - max), over
//      the window's width (negative when the worst case leaves the window);
//   2. the smaller nominal error: |nominal - centre| over the window's width;
//   3. fewer distinct values (10 kΩ and 10 kΩ are one part number);
//   4. smaller values: the lower sum of the values' steps above the bottom of
//      their search windows, then the smaller first value.
// Margins and nominal errors are compared in steps of 2^-30 of the window's
// width (floor(x * 2^30)), so that results a few units in the last place
// apart tie and the later rules decide.
//
// Candidates alike but for their decades are one: each value the same
// standard value in its own decade (2.4 k/910 and 24 k/9.1 k; 1.6 k/100 n
// and 16 k/10 n, R x 10 with C x 0.1), with the same margin, nominal error
// and worst case (its ends' distances to the window's ends) in those steps.
// The one ranked first stands for them and lists the others (`also`); the
// steps ensure that no candidate the ranking tells apart is folded away.

namespace zorvane::host {

// The kinds of part (PartKind, above) as options name them: "R", "C", "L";
// and back (either case); nothing for another text.
std::string_view part_kind_letter(PartKind kind);
std::optional<PartKind> part_kind_named(std::string_view letter);

// The tolerance IEC 60063 pairs with a series, relative: E6 0.2, E12 0.1, E24
// 0.05, E48 0.02, E96 0.01, E192 0.005. The standard publishes none for E3;
// 0.4 is taken, the tolerance at which neighbouring E3 values' bands meet
// (about 37 %), rounded up as the other series' are (E6's bands meet at 19 %,
// E12's at 9.6 %).
double series_tolerance(Series series);

// The values a design searches when none are given: 100 Ω–1 MΩ,
// 10 pF–100 µF, 1 µH–100 mH (as the standard pair).
struct PartWindow {
    double low;
    double high;
};
PartWindow default_part_window(PartKind kind);

// What a design knows about one kind of part. `per_kind`: the options named
// this kind alone (R=E96), so a formula without such a part is an error
// rather than a setting that does not apply.
struct PartChoice {
    std::optional<Series> series;      // needed for every kind written ?
    std::optional<double> tolerance;   // relative, 0 <= t < 1; default: the series'
    std::optional<PartWindow> window;  // default: default_part_window
    bool series_per_kind = false;
    bool tolerance_per_kind = false;
    bool window_per_kind = false;
};

struct DesignRequest {
    const FormulaInfo* formula = nullptr;
    std::array<double, 4> values{};       // the known values; an unknown's is not read
    std::array<double, 4> tolerances{};   // relative, of the known values
    std::array<int, 2> unknowns{-1, -1};  // argument positions, the second -1 for one unknown
    double low = 0.0;                     // the window on the result, both ends included
    double high = 0.0;
    // The result wanted, which nominal errors are measured from: 3.3 of
    // 3.3±3%; the window's middle when not given.
    std::optional<double> centre;
    std::array<PartChoice, PART_KIND_COUNT> parts{};  // by PartKind
    int top = 5;                                      // candidates kept, best first
    bool suggest = true;  // when none passes: search again for what would make one pass
};

struct DesignCandidate {
    std::array<double, 2> values{};  // the standard values, in the order of `unknowns`
    double nominal = 0.0;            // the result at those values, the others nominal
    double min = 0.0;                // the worst case
    double max = 0.0;
    double margin = 0.0;     // min(min - low, high - max) / (high - low); >= 0 passes
    double deviation = 0.0;  // (nominal - centre) / |centre|; nominal - centre for a centre of 0
    // The candidates alike but for their decades (see the ranking), lowest
    // powers first: their values, and each value's power of ten from this
    // candidate's (24 k/9.1 k from 2.4 k/910: {1, 1}).
    struct OtherDecade {
        std::array<double, 2> values{};
        std::array<int, 2> powers{};
    };
    std::vector<OtherDecade> also;
};

// When nothing passes, what would make the best candidate, or some
// candidate, pass.
struct DesignRemedy {
    // The window the best candidate's worst case needs: its min and max
    // joined with the window asked for.
    double low = 0.0;
    double high = 0.0;
    // The loosest of 10, 5, 2, 1, 0.5, 0.25 and 0.1 %, below the parts'
    // tolerance, that lets a candidate pass; nothing when none does.
    std::optional<double> tolerance;
    // The coarsest finer series (with its own tolerance, unless the request
    // named one) that lets a candidate pass; nothing when none does.
    std::optional<Series> series;
};

struct Design {
    std::string error;  // why the request cannot be designed ("" when it can), a sentence
    std::vector<DesignCandidate> candidates;  // passing, best first, at most `top`
    long passing = 0;                         // how many pass in all, every decade counted
    std::optional<DesignCandidate> best;      // the best candidate, passing or not
    std::optional<DesignRemedy> remedy;       // when none passes (and `suggest`)
    // No part and no value carries a tolerance: the window is checked against
    // nominal results only.
    bool nominal_only = false;
    std::array<Series, 2> series{};                   // in effect, per unknown
    std::array<double, 2> part_tolerances{};          // in effect, per unknown
    std::array<std::array<double, 2>, 2> searched{};  // the window of values searched, per unknown
    long searched_candidates = 0;                     // the choices the search space holds
    long evaluations = 0;  // of the formula's arithmetic, the remedies' searches included
};
Design design(const DesignRequest& request);

// A value no single part reaches closely, from two standard parts of one
// kind: the best series and the best parallel connection (for capacitors the
// parallel one adds). `first` is the part nearer the value (the larger in
// series, the smaller in parallel), `second` the trimming one; of two equally
// near results, the one whose first part is nearer the value. Both parts from
// `series` within `window`. `min` and `max`: the combination's value with
// each part within `tolerance`. Nothing when no pair combines to a finite
// value.
struct Combination {
    bool parallel = false;
    double first = 0.0;
    double second = 0.0;
    double value = 0.0;
    double min = 0.0;
    double max = 0.0;
};
struct Combinations {
    std::optional<Combination> series;
    std::optional<Combination> parallel;
    int evaluations = 0;
};
Combinations combine_two(double wanted, PartKind kind, Series series, double tolerance,
                         PartWindow window);

// The result a formula gives with a combination in place of its value
// `argument`, and its worst case over the parts' and every other value's
// tolerance.
struct CombinedResult {
    double nominal = 0.0;
    double min = 0.0;
    double max = 0.0;
    int evaluations = 0;
};
CombinedResult combined_result(const FormulaInfo& formula, const std::array<double, 4>& values,
                               const std::array<double, 4>& tolerances, int argument,
                               const Combination& combination, double tolerance);

// ---- Design questions, as people type them ----
//
//   --series E96 voltage_divider 12±5% ? ? = 3.3±3%
//   --series R=E24,C=E12 rc_lowpass_cutoff ? ? = 1kHz±10%
//   --series E24 --combine 2 voltage_divider 12 10k ? = 3.3
//
// A question with one or two values written ? and a window after '=' (a
// tolerance or two limits) is a design: --series (one for every kind or per
// kind), --tolerance, --within and --top set its parts and how many
// candidates are listed. --combine 2 after a solve adds the best series and
// parallel pair of standard values for the solution.

// Whether a question asks for a design: a value written ? and a window.
bool is_design_question(const Question& question) noexcept;

// A design's answer. `lines`: a heading ("Output Voltage within 3.201000 ..
// 3.399000 V: 31 of 9409 candidates (every decade counted) pass the worst
// case (R E24 1%), best first:"), then one line per candidate, its other
// decades named after its values ("1. r1 = 2400 Ω, r2 = 910 Ω (also ×10,
// ×100): 3.299094 V (-0.03%), worst case 3.251466 .. 3.347152 V, margin
// 25.49%"; "(also 16000 Ω with 1e-08 F)" where the values move apart);
// `line` is all of them on one line, for hosts that answer each command
// with one. When none passes, an error line, and hints with the best
// candidate and what would make one pass.
struct Designed : Reply {
    Design design;
    std::array<int, 2> arguments{-1, -1};  // which values were ?
    std::array<std::string_view, 2> names{};
    std::array<std::string_view, 2> units{};
    double low = 0.0;  // the window on the result
    double high = 0.0;
    double centre = 0.0;
    std::vector<std::string> lines;
    std::vector<std::string> engineering_lines;
    // With --mc: each listed candidate's yield, the fraction of samples (its
    // parts and the other values spread within their tolerances, as the
    // statistics draw them) inside the window, in the candidates' order.
    std::uint64_t samples = 0;
    std::uint64_t seed = DEFAULT_SEED;
    Distribution distribution = Distribution::uniform;
    std::vector<double> yields;
    std::optional<double> best_yield;  // the best candidate's, when none passes
};
Designed design(std::string_view command, const QuestionSettings& beside = {}, bool expand = true);

// A solve followed by the best two-part combinations for its first
// solution: "r2 = 3793.103448275862 Ω; two E24 parts: 3600 Ω + 200 Ω =
// 3800 Ω → 3.300000 V (+0.00%, 3.260870 .. 3.337748 V), 3900 Ω ∥ 130000 Ω
// = ...". The parts' tolerance is --tolerance, else the series'.
struct CombinedPart {
    Combination combination;
    CombinedResult result;
};
struct SolvedInParts : Solved {
    std::vector<CombinedPart> combinations;  // series first, then parallel
    double part_tolerance = 0.0;
};
SolvedInParts solve_in_parts(std::string_view command, const QuestionSettings& beside = {},
                             bool expand = true);

// A design as one JSON object on one line, for programs (the JavaScript
// module's calc.design): {"kind": "design", "error", "line", "eng", "hints",
// "evaluations", "lines", "engLines", "arguments", "indices", "units",
// "window": {"low", "high", "centre"}, "nominalOnly", "series",
// "tolerances", "tried", "passing", "candidates": [{"values", "nominal",
// "min", "max", "margin", "deviation", "also": the other decades' values,
// [[24000, 9100], ...]}], "best" (a candidate, or null),
// "remedy" (null, or {"window": {"low", "high"}, "tolerance", "series"})}.
// A design that ran but found no candidate has "error": true and all of
// these; a request it could not run is {"kind": "error", "error": true,
// "line", "eng", "hints", "evaluations"}. Numbers in the shortest form that
// reads back as the same double.
std::string design_json(const Designed& designed);

}  // namespace zorvane::host
