// The question grammar: questions generated from a fixed seed in every
// spelling it takes read back as what was generated (numbers checked
// against the C library's own reading of the same decimal), and written
// back in the canonical form that reads as the same question; the data
// files hold the canonical forms, the refusals and the answers every host
// gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "support/vector_file.h"
#include "zorvane_host/host.h"

namespace {

namespace host = zorvane::host;
using host::QuestionTarget;

std::string utf8(std::u16string_view text) {
    std::string out;
    host::append_utf8_from_utf16(text, out);
    return out;
}

// The double nearest a plain decimal, as the C library reads it.
double decimal(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// A number in one of the spellings people type, and the plain decimal it stands for.
struct Spelled {
    std::string text;
    std::string plain;
};

class Generator {
   public:
    explicit Generator(std::uint64_t seed) : random_(seed) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    bool chance(int percent) { return below(100) < percent; }

    std::string digits(int count) {
        std::string text;
        for (int i = 0; i < count; ++i) text += static_cast<char>('0' + below(10));
        return text;
    }

    // 4.7, 4.7e3, 4.7k, 4k7, 2R2, with the argument's unit on some.
    Spelled number(std::string_view unit) {
        const std::string whole = std::to_string(1 + below(999));
        const std::string fraction = chance(60) ? digits(1 + below(3)) : "";
        const std::string mantissa = fraction.empty() ? whole : whole + "." + fraction;
        struct Prefix {
            const char* symbol;
            int exponent;
        };
        static constexpr Prefix PREFIXES[] = {{"p", -12}, {"n", -9}, {"u", -6}, {"\xC2\xB5", -6},
                                              {"m", -3},  {"k", 3},  {"M", 6},  {"G", 9}};
        Spelled spelled;
        switch (below(4)) {
            case 0:
                spelled = {mantissa, mantissa};
                if (chance(30)) spelled = {"-" + mantissa, "-" + mantissa};
                break;
            case 1: {
                const std::string exponent = std::to_string(below(41) - 20);
                spelled = {mantissa + "e" + exponent, mantissa + "e" + exponent};
                break;
            }
            case 2: {
                const Prefix& prefix = PREFIXES[below(std::size(PREFIXES))];
                spelled = {mantissa + prefix.symbol,
                           mantissa + "e" + std::to_string(prefix.exponent)};
                break;
            }
            default: {
                // IEC 60062: the prefix, or R, stands for the decimal point.
                const bool r = chance(25);
                const Prefix& prefix = PREFIXES[below(std::size(PREFIXES))];
                const std::string tail = fraction.empty() ? "1" : fraction;
                spelled = {whole + (r ? "R" : prefix.symbol) + tail,
                           whole + "." + tail + "e" + std::to_string(r ? 0 : prefix.exponent)};
                break;
            }
        }
        // Units plain enough to follow any of these spellings.
        if (!unit.empty() && (unit == "V" || unit == "A" || unit == "Hz" || unit == "F") &&
            chance(30)) {
            spelled.text += unit;
        }
        return spelled;
    }

    Spelled percent() {
        static constexpr const char* TEXTS[] = {"1", "0.5", ".5", "10", "0", "2.5e-1", "100"};
        const std::string text = chance(70) ? TEXTS[below(std::size(TEXTS))]
                                            : std::to_string(below(50)) + "." + digits(2);
        return {text, text};
    }

    std::string plus_minus() { return chance(50) ? "\xC2\xB1" : "+-"; }
    std::string spaces() {
        return std::string(static_cast<std::size_t>(1 + (chance(20) ? below(3) : 0)), ' ');
    }

   private:
    std::mt19937_64 random_;
};

// What a generated question is expected to read as.
struct Expected {
    std::string keyword;
    std::vector<bool> unknown;
    std::vector<double> readings;    // of the known values
    std::vector<double> tolerances;  // in percent; -1 for none
    int target_form = -1;            // -1: no target
    std::vector<double> target;      // value, or low and high, and the tolerance
    host::QuestionSettings settings;
};

constexpr std::string_view KINDS[] = {"R", "C", "L"};
constexpr std::string_view KIND_UNITS[] = {"\xCE\xA9", "F", "H"};
constexpr std::string_view SERIES[] = {"E3", "E6", "E12", "E24", "E48", "E96", "E192"};

// Options in random order, spelled --name ARG or --name=ARG; each kept in
// `expected` as it must read.
std::string options(Generator& g, Expected& expected) {
    std::vector<std::string> words;
    const auto option = [&](const std::string& name, const std::string& argument) {
        words.push_back(g.chance(30) ? name + "=" + argument : name + " " + argument);
    };
    host::QuestionSettings& s = expected.settings;
    if (g.chance(40)) {
        if (g.chance(50)) {
            const int series = g.below(7);
            s.series.every = static_cast<host::Series>(series);
            option("--series", std::string(SERIES[series]));
        } else {
            std::string argument;
            for (std::size_t kind = 0; kind < 3; ++kind) {
                if (!g.chance(60)) continue;
                const int series = g.below(7);
                s.series.kinds[kind] = static_cast<host::Series>(series);
                argument += (argument.empty() ? "" : ",") + std::string(KINDS[kind]) + "=" +
                            std::string(SERIES[series]);
            }
            if (!argument.empty()) option("--series", argument);
        }
    }
    if (g.chance(30)) {
        const Spelled p = g.percent();
        s.tolerance.every = host::Percent{p.text, decimal(p.plain)};
        option("--tolerance", p.text + (g.chance(70) ? "%" : ""));
    }
    if (g.chance(30)) {
        const std::size_t kind = static_cast<std::size_t>(g.below(3));
        const Spelled low = g.number({});
        const Spelled high = g.number({});
        double a = decimal(low.plain);
        double b = decimal(high.plain);
        if (a > 0 && b > 0) {
            const bool swap = a > b;
            const Spelled& first = swap ? high : low;
            const Spelled& second = swap ? low : high;
            if (swap) std::swap(a, b);
            host::Limits limits{first.text, second.text, a, b};
            std::string argument = first.text + ".." + second.text;
            if (g.chance(50)) {
                s.within.kinds[kind] = limits;
                argument = std::string(KINDS[kind]) + "=" + argument;
            } else {
                s.within.every = limits;
            }
            option("--within", argument);
        }
    }
    if (g.chance(30)) {
        if (g.chance(30)) {
            s.samples = host::DEFAULT_SAMPLES;
            words.emplace_back("--mc");
        } else {
            s.samples = 1 + static_cast<std::uint64_t>(g.below(10'000'000));
            option("--mc", std::to_string(*s.samples));
        }
    }
    if (g.chance(30)) {
        s.seed = g.chance(20) ? UINT64_MAX : static_cast<std::uint64_t>(g.below(1'000'000));
        option("--seed", std::to_string(*s.seed));
    }
    if (g.chance(30)) {
        s.distribution = g.chance(50) ? host::Distribution::uniform : host::Distribution::normal;
        option("--distribution",
               s.distribution == host::Distribution::uniform ? "uniform" : "normal");
    }
    if (g.chance(20)) {
        s.top = 1 + g.below(host::MAX_TOP);
        option("--top", std::to_string(*s.top));
    }
    if (g.chance(20)) {
        s.combine = 2;
        option("--combine", "2");
    }
    std::shuffle(words.begin(), words.end(), std::mt19937(static_cast<unsigned>(g.below(1000))));
    std::string text;
    for (const std::string& word : words) text += word + g.spaces();
    return text;
}

// A question over a random formula: values, unknowns, tolerances, a target.
std::string question(Generator& g, Expected& expected) {
    const auto all = host::formulas();
    const host::FormulaInfo& formula =
        all[static_cast<std::size_t>(g.below(static_cast<int>(all.size())))];
    std::string text = options(g, expected);
    expected.keyword = formula.keyword;
    text += formula.keyword;
    bool asked = false;
    for (std::size_t i = 0; i < formula.arguments.size(); ++i) {
        text += g.spaces();
        if (g.chance(20)) {
            text += "?";
            asked = true;
            expected.unknown.push_back(true);
            expected.tolerances.push_back(-1);
            continue;
        }
        const Spelled value = g.number(formula.argument_units[i]);
        text += value.text;
        expected.unknown.push_back(false);
        expected.readings.push_back(decimal(value.plain));
        if (g.chance(30)) {
            const Spelled p = g.percent();
            text += g.plus_minus() + p.text + "%";
            expected.tolerances.push_back(decimal(p.plain));
        } else {
            expected.tolerances.push_back(-1);
        }
    }
    if (!asked && !g.chance(20)) return text;
    text += g.chance(20) ? "=" : g.spaces() + "=" + g.spaces();
    const Spelled value = g.number(formula.unit);
    switch (g.below(3)) {
        case 0:
            expected.target_form = static_cast<int>(QuestionTarget::Form::value);
            expected.target = {decimal(value.plain)};
            return text + value.text;
        case 1: {
            const Spelled p = g.percent();
            expected.target_form = static_cast<int>(QuestionTarget::Form::tolerance);
            expected.target = {decimal(value.plain), decimal(p.plain)};
            return text + value.text + g.plus_minus() + p.text + "%";
        }
        default: {
            const Spelled other = g.number(formula.unit);
            const bool swap = decimal(value.plain) > decimal(other.plain);
            const Spelled& low = swap ? other : value;
            const Spelled& high = swap ? value : other;
            expected.target_form = static_cast<int>(QuestionTarget::Form::limits);
            expected.target = {decimal(low.plain), decimal(high.plain)};
            return text + low.text + ".." + high.text;
        }
    }
}

void expect_read_as(const host::Question& q, const Expected& e, const std::string& text) {
    SCOPED_TRACE(text);
    EXPECT_EQ(q.keyword, e.keyword);
    EXPECT_EQ(q.settings, e.settings);
    ASSERT_EQ(q.values.size(), e.unknown.size());
    std::size_t known = 0;
    for (std::size_t i = 0; i < q.values.size(); ++i) {
        const host::QuestionValue& value = q.values[i];
        EXPECT_EQ(value.unknown, e.unknown[i]);
        EXPECT_TRUE(value.tolerance_problem.empty());
        if (value.unknown) continue;
        ASSERT_TRUE(value.reading.has_value()) << value.number;
        EXPECT_EQ(*value.reading, e.readings[known++]) << value.number;
        if (e.tolerances[i] < 0) {
            EXPECT_FALSE(value.tolerance.has_value());
        } else {
            ASSERT_TRUE(value.tolerance.has_value());
            EXPECT_EQ(value.tolerance->value, e.tolerances[i]);
        }
    }
    if (e.target_form < 0) {
        EXPECT_FALSE(q.target.has_value());
        return;
    }
    ASSERT_TRUE(q.target.has_value());
    const QuestionTarget& target = *q.target;
    ASSERT_EQ(static_cast<int>(target.form), e.target_form);
    if (target.form == QuestionTarget::Form::limits) {
        ASSERT_TRUE(target.limits.has_value());
        EXPECT_EQ(target.limits->low, e.target[0]);
        EXPECT_EQ(target.limits->high, e.target[1]);
        return;
    }
    ASSERT_TRUE(target.reading.has_value());
    EXPECT_EQ(*target.reading, e.target[0]);
    if (target.form == QuestionTarget::Form::tolerance) {
        ASSERT_TRUE(target.tolerance.has_value());
        EXPECT_EQ(target.tolerance->value, e.target[1]);
    }
}

TEST(QuestionGrammar, GeneratedQuestionsReadAsWrittenAndComposeBackToThemselves) {
    Generator g(20261207);
    for (int i = 0; i < 4000; ++i) {
        Expected expected;
        const std::string text = question(g, expected);
        const host::ParsedQuestion parsed = host::parse_question(text);
        ASSERT_TRUE(parsed.ok()) << text << ": " << parsed.error;
        expect_read_as(parsed.question, expected, text);
        const std::string composed = host::compose_question(parsed.question);
        const host::ParsedQuestion again = host::parse_question(composed);
        ASSERT_TRUE(again.ok()) << composed << ": " << again.error;
        EXPECT_EQ(again.question, parsed.question) << text << "\n" << composed;
        EXPECT_EQ(host::compose_question(again.question), composed);
        if (::testing::Test::HasFailure()) break;
    }
}

// The round trip above compares questions: a question changed in any one
// of its parts, however deep, must compare unequal, or the round trip
// would pass over a part lost.
TEST(QuestionGrammar, AQuestionChangedInAnyOnePartIsAnother) {
    const host::ParsedQuestion parsed = host::parse_question(
        "--series R=E96 --tolerance 1% --within 1k..100k voltage_divider 12 10k ? = 3.2..3.4");
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    const host::Question base = parsed.question;
    using Change = void (*)(host::Question&);
    const Change changes[] = {
        [](host::Question& q) { q.settings.series.every = host::Series::e12; },
        [](host::Question& q) { q.settings.series.kinds[0] = host::Series::e24; },
        [](host::Question& q) { q.settings.tolerance.every->text = "1.0"; },
        [](host::Question& q) { q.settings.tolerance.every->value = 2.0; },
        [](host::Question& q) { q.settings.within.every->low_text = "1000"; },
        [](host::Question& q) { q.settings.within.every->high_text = "100000"; },
        [](host::Question& q) { q.settings.within.every->low = 999.0; },
        [](host::Question& q) { q.settings.within.every->high = 1e6; },
        [](host::Question& q) { q.settings.samples = 10; },
        [](host::Question& q) { q.settings.seed = 2; },
        [](host::Question& q) { q.settings.distribution = host::Distribution::normal; },
        [](host::Question& q) { q.settings.top = 3; },
        [](host::Question& q) { q.settings.combine = 2; },
        [](host::Question& q) { q.keyword = "Voltage_divider"; },
        [](host::Question& q) { q.formula = nullptr; },
        [](host::Question& q) { q.values.pop_back(); },
        [](host::Question& q) { q.values[1].number = "10000"; },
        [](host::Question& q) { q.values[2].unknown = false; },
        [](host::Question& q) {
            q.values[1].tolerance = host::Percent{"1", 1.0};
        },
        [](host::Question& q) { q.values[1].reading = 1e4 + 1; },
        [](host::Question& q) { q.values[1].tolerance_problem = "no"; },
        [](host::Question& q) { q.target.reset(); },
        [](host::Question& q) { q.target->form = QuestionTarget::Form::value; },
        [](host::Question& q) { q.target->number = "3.3"; },
        [](host::Question& q) { q.target->reading = 3.3; },
        [](host::Question& q) {
            q.target->tolerance = host::Percent{"3", 3.0};
        },
        [](host::Question& q) { q.target->limits->high_text = "3.40"; },
    };
    int index = 0;
    for (const Change change : changes) {
        host::Question changed = base;
        change(changed);
        EXPECT_NE(changed, base) << "change " << index;
        EXPECT_EQ(changed, changed) << "change " << index;
        ++index;
    }
}

// Each of a generated question's words, changed into one the grammar
// refuses, is refused, never dropped: the error line names it.
// A window of one value is a window: --within 10k..10k (for every kind or
// one) reads as it is written, and a design searches that one value.
TEST(QuestionGrammar, AOneValueWithinIsAWindow) {
    for (const std::string within : {"10k..10k", "R=10k..10k"}) {
        const std::string design =
            "--series E24 --within " + within + " voltage_divider 12 ? 4k7 = 3..4.5";
        const host::ParsedQuestion parsed = host::parse_question(design);
        ASSERT_TRUE(parsed.ok()) << parsed.error;
        const host::Limits* limits = parsed.question.settings.within.of(host::PartKind::resistance);
        ASSERT_NE(limits, nullptr) << within;
        EXPECT_EQ(limits->low, 10000.0);
        EXPECT_EQ(limits->high, 10000.0);
        // r1 = 10 kΩ ± 5 %: 12 × 4.7 / (4.7 + 9.5 .. 10.5) = 3.97 .. 3.71 V.
        const host::Designed designed = host::design(design);
        ASSERT_FALSE(designed.error) << designed.line;
        EXPECT_EQ(designed.design.searched_candidates, 1) << designed.line;
        ASSERT_EQ(designed.design.candidates.size(), 1u) << designed.line;
        EXPECT_EQ(designed.design.candidates[0].values[0], 10000.0);
    }
}

TEST(QuestionGrammar, GeneratedBadOptionsAreRefusedByName) {
    Generator g(7);
    const std::string bad[][2] = {
        {"--series", "E" + std::to_string(7 + g.below(5))},
        {"--series", "R=E24,R=E12"},
        {"--tolerance", "-" + std::to_string(1 + g.below(9)) + "%"},
        {"--within", "0.." + std::to_string(1 + g.below(9)) + "k"},
        {"--mc", std::to_string(host::MAX_SAMPLES + 1 + static_cast<std::uint64_t>(g.below(9)))},
        {"--seed", "-" + std::to_string(1 + g.below(9))},
        {"--distribution", "lognormal"},
        {"--top", std::to_string(host::MAX_TOP + 1 + g.below(9))},
        {"--combine", std::to_string(3 + g.below(9))},
    };
    for (const auto& [name, argument] : bad) {
        for (const std::string& text :
             {name + " " + argument + " voltage_divider 12 10k ? = 3.3",
              name + "=" + argument + " voltage_divider 12 10k ? = 3.3"}) {
            const host::ParsedQuestion parsed = host::parse_question(text);
            EXPECT_FALSE(parsed.ok()) << text;
            EXPECT_NE(parsed.error.find(argument), std::string::npos) << parsed.error;
            EXPECT_FALSE(parsed.hints.empty()) << text;
            const host::Reply reply = host::ask(text);
            EXPECT_TRUE(reply.error);
            EXPECT_EQ(reply.line, parsed.error);
        }
    }
    for (int i = 0; i < 50; ++i) {
        const std::string name =
            "--" + std::string(1, static_cast<char>('a' + g.below(26))) + g.digits(1 + g.below(3));
        EXPECT_FALSE(host::is_question_option(name));
        const host::ParsedQuestion parsed = host::parse_question(name + " power_vi 1 2");
        EXPECT_EQ(parsed.error, "Error: Unknown option '" + name + "'");
    }
}

// "10k±1%" has a tolerance; "±1%" and "10k±-1%" are numbers that are none.
TEST(QuestionGrammar, OnlyAValueWithANonNegativePercentCarriesATolerance) {
    Generator g(11);
    for (int i = 0; i < 500; ++i) {
        const Spelled value = g.number({});
        const Spelled p = g.percent();
        const std::string sign = g.plus_minus();
        const struct {
            std::string word;
            bool tolerance;
        } words[] = {
            {value.text + sign + p.text + "%", true},
            {sign + p.text + "%", false},
            {value.text + sign + "-" + p.text + "%", decimal(p.plain) == 0.0},
            {value.text + sign + p.text, false},
            {value.text + sign + "%", false},
        };
        for (const auto& [word, tolerance] : words) {
            const host::ParsedQuestion parsed = host::parse_question("power_vi 1 " + word);
            ASSERT_TRUE(parsed.ok());
            const host::QuestionValue& read = parsed.question.values.at(1);
            EXPECT_EQ(read.tolerance.has_value(), tolerance) << word;
            EXPECT_EQ(read.tolerance_problem.empty(), tolerance) << word;
            if (!tolerance) {
                EXPECT_EQ(read.number, word);
                EXPECT_FALSE(read.reading.has_value()) << word;
            }
        }
    }
}

// question_forms.tsv: the canonical form of a question, or its error line.
TEST(QuestionGrammar, TheFormsOfTheDataFile) {
    for (const zorvane_test::Vector& vector :
         zorvane_test::load_vectors(ZORVANE_VECTOR_DIR "/question_forms.tsv")) {
        const std::string command = utf8(vector.command);
        const host::ParsedQuestion parsed = host::parse_question(command);
        const std::string got =
            parsed.ok() ? host::compose_question(parsed.question) : parsed.error;
        EXPECT_EQ(got, utf8(vector.expected)) << vector.where;
    }
}

// questions.tsv: the line every host answers.
TEST(QuestionGrammar, TheAnswersOfTheDataFile) {
    for (const zorvane_test::Vector& vector :
         zorvane_test::load_vectors(ZORVANE_VECTOR_DIR "/questions.tsv")) {
        const host::Reply reply = host::ask(utf8(vector.command));
        EXPECT_EQ(reply.line, utf8(vector.expected)) << vector.where;
        EXPECT_EQ(reply.error, reply.line.starts_with("Error: ")) << vector.where;
    }
}

// Options passed beside a question (the tool's) give way to those written in it.
TEST(QuestionGrammar, OptionsWrittenInAQuestionWin) {
    host::QuestionSettings beside;
    ASSERT_EQ(host::set_question_option("--series", "E24", beside), "");
    const std::string asked = "voltage_divider 12 10k ? = 3.3";
    EXPECT_NE(host::ask(asked, beside).line.find("; E24: "), std::string::npos);
    EXPECT_NE(host::ask("--series E12 " + asked, beside).line.find("; E12: "), std::string::npos);
    // A series written per kind replaces the one beside as a whole.
    EXPECT_EQ(host::pair("--series C=E6 voltage_divider 12 ? ? = 3.3", host::Series::e24).line,
              "Error: Two values written ? need a series of standard values");
    // By hand: of E6 ratios r2 / (r1 + r2), 3.3 / 13.3 = 0.248 lies nearest 3.3 / 12 = 0.275.
    EXPECT_EQ(host::pair("--series R=E6 voltage_divider 12 ? ? = 3.3", host::Series::e24).values,
              (std::array<double, 2>{10000, 3300}));
    host::QuestionSettings written;
    ASSERT_EQ(host::set_question_option("--series", "C=E6", written), "");
    const host::QuestionSettings both = host::merged(beside, written);
    EXPECT_EQ(both.series, written.series);
    EXPECT_EQ(host::merged(beside, {}), beside);
    EXPECT_EQ(host::question_option_words(both), (std::vector<std::string>{"--series", "C=E6"}));
}

// merged(beside, written): each option as written where written sets it, else as beside.
TEST(QuestionGrammar, MergedSettingsTakeEachOptionWrittenOverTheOneBeside) {
    Generator g(3);
    for (int i = 0; i < 300; ++i) {
        Expected a;
        Expected b;
        options(g, a);
        options(g, b);
        const host::QuestionSettings both = host::merged(a.settings, b.settings);
        const auto pick = [](const auto& beside, const auto& written, bool given) {
            return given ? written : beside;
        };
        const host::QuestionSettings& x = a.settings;
        const host::QuestionSettings& y = b.settings;
        EXPECT_EQ(both.series, pick(x.series, y.series, y.series.given()));
        EXPECT_EQ(both.tolerance, pick(x.tolerance, y.tolerance, y.tolerance.given()));
        EXPECT_EQ(both.within, pick(x.within, y.within, y.within.given()));
        EXPECT_EQ(both.samples, pick(x.samples, y.samples, y.samples.has_value()));
        EXPECT_EQ(both.seed, pick(x.seed, y.seed, y.seed.has_value()));
        EXPECT_EQ(both.distribution,
                  pick(x.distribution, y.distribution, y.distribution.has_value()));
        EXPECT_EQ(both.top, pick(x.top, y.top, y.top.has_value()));
        EXPECT_EQ(both.combine, pick(x.combine, y.combine, y.combine.has_value()));
        // The options' words read back as the same settings.
        host::QuestionSettings read;
        const std::vector<std::string> words = host::question_option_words(both);
        for (std::size_t w = 0; w + 1 < words.size(); w += 2) {
            EXPECT_EQ(host::set_question_option(words[w], words[w + 1], read), "") << words[w];
        }
        EXPECT_EQ(read, both);
    }
}

TEST(QuestionGrammar, KindsOfPartsAndTolerancesOnTheirOwn) {
    EXPECT_EQ(host::part_kind("\xCE\xA9"), host::PartKind::resistance);
    EXPECT_EQ(host::part_kind("F"), host::PartKind::capacitance);
    EXPECT_EQ(host::part_kind("H"), host::PartKind::inductance);
    EXPECT_EQ(host::part_kind("V"), std::nullopt);
    for (const char* good : {"1", ".5", "0", "2.5e-1", "100"}) {
        EXPECT_EQ(host::tolerance_problem(good), "") << good;
    }
    for (const char* bad : {"", "-1", "1,5", "1%", "x", "-0.5"}) {
        EXPECT_EQ(host::tolerance_problem(bad), "a tolerance in percent, such as 1 or 0.5") << bad;
    }
    host::QuestionSettings settings;
    EXPECT_EQ(host::set_question_option("--bogus", "1", settings),
              "Error: Unknown option '--bogus'");
    EXPECT_EQ(host::set_question_option("--series", std::nullopt, settings),
              "Error: '--series' needs an argument");
    EXPECT_EQ(host::set_question_option("--mc", std::nullopt, settings), "");
    EXPECT_EQ(settings.samples, host::DEFAULT_SAMPLES);
}

TEST(HostNotes, CommentsGuardsAndProse) {
    EXPECT_TRUE(host::is_comment_line("  \t# a note"));
    EXPECT_FALSE(host::is_comment_line("power_vi 1 2 # not one"));
    EXPECT_FALSE(host::is_comment_line("   "));
    host::Calculator calculator;
    EXPECT_EQ(host::guard_note(calculator.evaluate("resistors_parallel 0 0")),
              "r1 and r2 are 0: the formula divides by zero, and the module answers 0");
    EXPECT_EQ(host::guard_note(calculator.evaluate("capacitor_reactance 0 100n")),
              "frequency is 0: the formula divides by zero, and the module answers 0");
    EXPECT_EQ(host::guard_note(calculator.evaluate("capacitor_reactance 1k 100n")), "");
    EXPECT_EQ(host::description_prose(*host::find("capacitor_reactance")),
              "Reactance (Xc = 1/2\xCF\x80"
              "fC)");
    EXPECT_EQ(host::argument_words("<inner_diameter>"), "inner diameter");
}

}  // namespace
