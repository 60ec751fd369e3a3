// Designs against the reference model's brute force (every candidate, its
// worst case by exhaustive corners), the requests refused, what is proposed
// when nothing passes, and two parts for one value against every pair.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "zorvane_host/host.h"

#define PM "\xC2\xB1"
#define OHM "\xCE\xA9"
#define TIMES "\xC3\x97"

namespace {

namespace host = zorvane::host;
using host::PartKind;
using host::Series;

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) parts.push_back(part);
    if (!text.empty() && text.back() == separator) parts.emplace_back();
    return parts;
}

std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string word; in >> word;) out.push_back(word);
    return out;
}

double number(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    EXPECT_EQ(*end, '\0') << text;
    return value;
}

std::string hex(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%a", value);
    return text;
}

// One line of the reference model's design vectors, as a request.
struct DesignVector {
    std::string line;
    host::DesignRequest request;
    long passing = 0;
    std::vector<double> best;  // values, nominal, min, max; empty when no candidate has a result
    std::vector<std::array<double, 2>> passing_values;     // best first, alike ones folded
    std::vector<std::vector<std::array<double, 2>>> also;  // of each listed, their values
};

// "24000.0,9100.0;240000.0,91000.0", or "-" for none.
std::vector<std::array<double, 2>> parse_also(const std::string& text) {
    std::vector<std::array<double, 2>> also;
    for (const std::string& other : split(text, ';')) {
        const std::vector<std::string> values = split(other, ',');
        if (other != "-")
            also.push_back({number(values[0]), values.size() > 1 ? number(values[1]) : 0});
    }
    return also;
}

DesignVector parse_design_vector(const std::string& line) {
    DesignVector v;
    v.line = line;
    const std::vector<std::string> fields = split(line, '\t');
    EXPECT_EQ(fields.size(), 8U) << line;
    const std::vector<std::string> command = words(fields[0]);
    host::DesignRequest& r = v.request;
    r.formula = host::find(command[0]);
    EXPECT_NE(r.formula, nullptr) << line;
    int unknowns = 0;
    for (std::size_t i = 1; i < command.size(); ++i) {
        if (command[i] == "?") {
            r.unknowns[static_cast<std::size_t>(unknowns++)] = static_cast<int>(i - 1);
        } else {
            r.values[i - 1] = number(command[i]);
        }
    }
    const std::vector<std::string> tolerances = words(fields[1]);
    for (std::size_t i = 0; i < tolerances.size(); ++i) r.tolerances[i] = number(tolerances[i]);
    const std::vector<std::string> window = words(fields[2]);
    r.low = number(window[0]);
    r.high = number(window[1]);
    r.centre = number(window[2]);
    for (const std::string& part : words(fields[3])) {
        const std::vector<std::string> p = split(part, ':');
        const auto kind = host::part_kind_named(p[0]);
        EXPECT_TRUE(kind) << part;
        host::PartChoice& choice = r.parts[static_cast<std::size_t>(*kind)];
        choice.series = host::series_named(p[1]);
        choice.tolerance = number(p[2]);
        choice.window = host::PartWindow{number(p[3]), number(p[4])};
    }
    r.top = std::numeric_limits<int>::max();
    r.suggest = false;
    v.passing = std::stol(fields[4]);
    if (fields[5] != "-") {
        const std::vector<std::string> best = words(fields[5]);
        for (const std::string& value : split(best[0], ',')) v.best.push_back(number(value));
        for (std::size_t i = 1; i < best.size(); ++i) v.best.push_back(number(best[i]));
    }
    for (const std::string& pair : words(fields[6])) {
        const std::vector<std::string> values = split(pair, ',');
        v.passing_values.push_back(
            {number(values[0]), values.size() > 1 ? number(values[1]) : 0.0});
    }
    for (const std::string& others : words(fields[7])) v.also.push_back(parse_also(others));
    EXPECT_EQ(v.also.size(), v.passing_values.size()) << line;
    return v;
}

void expect_same_also(const host::DesignCandidate& found,
                      const std::vector<std::array<double, 2>>& expected, const std::string& line) {
    ASSERT_EQ(found.also.size(), expected.size()) << line;
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(found.also[k].values, expected[k]) << line;
    }
}

// Every candidate of the brute force, ranked as documented: the same
// passing set, in the same order, those alike but for their decades folded
// alike, and the same best with the same worst case to the last bit.
TEST(Design, MatchesTheReferenceBruteForce) {
    std::ifstream file(ZORVANE_DESIGN_VECTORS);
    ASSERT_TRUE(file) << ZORVANE_DESIGN_VECTORS;
    int cases = 0;
    int none_pass = 0;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#') continue;
        const DesignVector v = parse_design_vector(line);
        const host::Design d = host::design(v.request);
        ASSERT_EQ(d.error, "") << line;
        ++cases;
        EXPECT_EQ(d.passing, v.passing) << line;
        ASSERT_EQ(d.candidates.size(), v.passing_values.size()) << line;
        for (std::size_t i = 0; i < d.candidates.size(); ++i) {
            EXPECT_EQ(d.candidates[i].values, v.passing_values[i]) << line << " at " << i;
            expect_same_also(d.candidates[i], v.also[i], line);
        }
        if (v.best.empty()) {
            EXPECT_FALSE(d.best) << line;
            continue;
        }
        ASSERT_TRUE(d.best) << line;
        const std::size_t count = v.best.size() - 3;
        for (std::size_t i = 0; i < count; ++i) EXPECT_EQ(d.best->values[i], v.best[i]) << line;
        EXPECT_EQ(hex(d.best->nominal), hex(v.best[count])) << line;
        EXPECT_EQ(hex(d.best->min), hex(v.best[count + 1])) << line;
        EXPECT_EQ(hex(d.best->max), hex(v.best[count + 2])) << line;
        none_pass += v.passing == 0 ? 1 : 0;
        // The bisection spends far fewer evaluations than every candidate's range.
        if (d.searched_candidates > 2000) {
            EXPECT_LT(d.evaluations, d.searched_candidates * 4) << line;
        }
    }
    EXPECT_GE(cases, 50);
    EXPECT_GE(none_pass, 5);  // the vectors reach both answers
    EXPECT_LT(none_pass, cases - 5);
}

// The kept candidates are the best `top` of all that pass, each with all of
// its other decades, and the count is of all of them.
TEST(Design, TopKeepsThePrefixOfTheRanking) {
    std::ifstream file(ZORVANE_DESIGN_VECTORS);
    int folded = 0;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#') continue;
        DesignVector v = parse_design_vector(line);
        if (v.passing_values.size() < 4) continue;
        for (const int top : {1, 3}) {
            v.request.top = top;
            const host::Design d = host::design(v.request);
            ASSERT_EQ(d.candidates.size(), static_cast<std::size_t>(top)) << line;
            EXPECT_EQ(d.passing, v.passing) << line;
            for (std::size_t i = 0; i < d.candidates.size(); ++i) {
                EXPECT_EQ(d.candidates[i].values, v.passing_values[i]) << line;
                expect_same_also(d.candidates[i], v.also[i], line);
                folded += d.candidates[i].also.empty() ? 0 : 1;
            }
        }
    }
    EXPECT_GT(folded, 0);  // the vectors reach a fold within the top
}

host::DesignRequest divider(double vin_tolerance, Series series, double low, double high) {
    host::DesignRequest r;
    r.formula = host::find("voltage_divider");
    r.values = {12, 0, 0, 0};
    r.tolerances = {vin_tolerance, 0, 0, 0};
    r.unknowns = {1, 2};
    r.low = low;
    r.high = high;
    r.centre = 3.3;
    r.parts[0].series = series;
    return r;
}

// The requests a design cannot answer, each with the reason.
TEST(Design, RefusesWhatItCannotDesign) {
    const auto error = [](host::DesignRequest r) { return host::design(r).error; };
    host::DesignRequest r = divider(0.05, Series::e96, 3.201, 3.399);
    EXPECT_EQ(error(r), "");
    r.low = 3.4;
    r.high = 3.2;
    EXPECT_NE(error(r).find("inverted"), std::string::npos);
    r.low = r.high = 3.3;
    EXPECT_NE(error(r).find("empty"), std::string::npos);
    r = divider(0.05, Series::e96, 3.2, 3.4);
    r.top = 0;
    EXPECT_NE(error(r).find("at least one candidate"), std::string::npos);
    r = divider(0.05, Series::e96, 3.2, 3.4);
    r.parts[1].series = Series::e12;
    r.parts[1].series_per_kind = true;  // C=E12 for a divider
    EXPECT_EQ(error(r), "voltage_divider has no capacitor: C= names none of its parts");
    r.parts[1].series_per_kind = false;  // one series for every kind: fine
    EXPECT_EQ(error(r), "");
    r = divider(0.05, Series::e96, 3.2, 3.4);
    r.unknowns = {0, 2};  // vin is no part
    EXPECT_NE(error(r).find("vin is not a resistance"), std::string::npos);
    r = divider(0.05, Series::e96, 3.2, 3.4);
    r.parts[0].series.reset();
    EXPECT_NE(error(r).find("No series for the resistors"), std::string::npos);
    r = divider(0.05, Series::e96, 3.2, 3.4);
    r.parts[0].tolerance = 1.0;
    EXPECT_NE(error(r).find("tolerance"), std::string::npos);
    r = divider(0.05, Series::e96, 3.2, 3.4);
    r.parts[0].window = host::PartWindow{1001, 1019};  // between E96's 1000 and 1020
    EXPECT_EQ(error(r), "No E96 value lies within 1001 .. 1019");
    r.parts[0].window = host::PartWindow{1e5, 1e3};
    EXPECT_NE(error(r).find("no window above zero"), std::string::npos);
    r = divider(0.05, Series::e96, 3.2, 3.4);
    r.unknowns = {-1, -1};
    EXPECT_NE(error(r).find("one or two values"), std::string::npos);
    // Requests made in code rather than read from a question.
    r = divider(0.05, Series::e96, 3.2, 3.4);
    r.formula = nullptr;
    EXPECT_EQ(error(r), "A design needs a formula");
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const auto& [low, high] : {std::pair{-inf, 3.4}, {3.2, inf}, {nan, 3.4}}) {
        r = divider(0.05, Series::e96, low, high);
        EXPECT_EQ(error(r), "The window on the result is not finite") << low << " " << high;
    }
    for (const auto& [value, tolerance] : {std::pair{inf, 0.0}, {12.0, nan}, {12.0, -0.01}}) {
        r = divider(0.05, Series::e96, 3.2, 3.4);
        r.values[0] = value;
        r.tolerances[0] = tolerance;
        EXPECT_EQ(error(r),
                  "The value vin and its tolerance must be finite, the tolerance not negative")
            << value << " " << tolerance;
    }
    for (const std::array<int, 2> unknowns :
         {std::array{1, 1}, std::array{1, 3}, std::array{3, -1}}) {
        r = divider(0.05, Series::e96, 3.2, 3.4);
        r.unknowns = unknowns;
        EXPECT_EQ(error(r), "A value written ? is one of the 3 values of voltage_divider")
            << unknowns[0] << " " << unknowns[1];
    }
}

// The issue's divider: the rail's 5 % alone moves the output 5 %, more than
// the window's 3 %, so nothing passes; a wider window would, a tighter part
// would not, and neither would a finer series.
TEST(Design, SaysWhatWouldMakeTheBestPass) {
    host::DesignRequest r = divider(0.05, Series::e96, 3.3 * 0.97, 3.3 * 1.03);
    const host::Design d = host::design(r);
    ASSERT_EQ(d.error, "");
    EXPECT_EQ(d.passing, 0);
    EXPECT_TRUE(d.candidates.empty());
    ASSERT_TRUE(d.best && d.remedy);
    EXPECT_LT(d.best->margin, 0.0);
    EXPECT_LE(d.remedy->low, d.best->min);
    EXPECT_GE(d.remedy->high, d.best->max);
    EXPECT_FALSE(d.remedy->tolerance);
    EXPECT_FALSE(d.remedy->series);
    // With a 1 % rail, E24's 5 % parts fail ±3 %, 1 % parts pass, and so does E96.
    r = divider(0.01, Series::e24, 3.3 * 0.97, 3.3 * 1.03);
    const host::Design e24 = host::design(r);
    EXPECT_EQ(e24.passing, 0);
    ASSERT_TRUE(e24.remedy && e24.remedy->tolerance && e24.remedy->series);
    EXPECT_EQ(*e24.remedy->tolerance, 0.01);  // 2 % parts leave 1 % + 2·2 % > 3 %... at best
    EXPECT_EQ(*e24.remedy->series, Series::e96);
    r.parts[0].tolerance = *e24.remedy->tolerance;
    EXPECT_GT(host::design(r).passing, 0);
    r.parts[0].tolerance.reset();
    r.parts[0].series = Series::e96;
    EXPECT_GT(host::design(r).passing, 0);
    r.parts[0].series = Series::e48;  // 2 %: not enough
    EXPECT_EQ(host::design(r).passing, 0);
}

// No tolerance anywhere: the candidates' ranges are their nominal results,
// and the design says it checked nothing more.
TEST(Design, WithoutToleranceChecksNominalResultsOnly) {
    host::DesignRequest r = divider(0.0, Series::e24, 3.29, 3.31);
    r.parts[0].tolerance = 0.0;
    const host::Design d = host::design(r);
    ASSERT_EQ(d.error, "");
    EXPECT_TRUE(d.nominal_only);
    ASSERT_FALSE(d.candidates.empty());
    for (const host::DesignCandidate& c : d.candidates) {
        EXPECT_EQ(c.min, c.nominal);
        EXPECT_EQ(c.max, c.nominal);
    }
    r.tolerances[0] = 0.01;
    EXPECT_FALSE(host::design(r).nominal_only);
}

// Series' tolerances as IEC 60063 pairs them, E3's as documented.
TEST(Design, SeriesTolerances) {
    const double expected[] = {0.4, 0.2, 0.1, 0.05, 0.02, 0.01, 0.005};
    for (int s = 0; s <= static_cast<int>(Series::e192); ++s) {
        EXPECT_EQ(host::series_tolerance(static_cast<Series>(s)), expected[s]);
    }
    EXPECT_EQ(host::part_kind_named("c"), PartKind::capacitance);
    EXPECT_FALSE(host::part_kind_named("X"));
    EXPECT_EQ(host::part_kind_letter(PartKind::inductance), "L");
}

// ---- Two parts for one value ----

// Every pair of the window, with the connection's arithmetic written out
// (as the rows compute it: a + b, a*b/(a+b)).
struct Exhaustive {
    double first = 0, second = 0, value = 0;
    bool found = false;
};

Exhaustive every_pair(const std::vector<double>& values, double wanted, bool sum) {
    Exhaustive best;
    for (const double a : values) {
        for (const double b : values) {
            if (sum ? b > a : b < a) continue;
            const double v = sum ? a + b : (a * b) / (a + b);
            const double miss = std::abs(v - wanted);
            const double best_miss = std::abs(best.value - wanted);
            const bool nearer_first = std::abs(a - wanted) < std::abs(best.first - wanted);
            const bool same_first = std::abs(a - wanted) == std::abs(best.first - wanted);
            if (!best.found || miss < best_miss ||
                (miss == best_miss && (nearer_first || (same_first && b < best.second)))) {
                best = {a, b, v, true};
            }
        }
    }
    return best;
}

std::vector<double> series_values(Series series, double low, double high) {
    std::vector<double> values;
    for (auto at = host::standard_values(low, series); at && at->above <= high;
         at = host::standard_values(std::nextafter(at->above, 1e300), series)) {
        values.push_back(at->above);
    }
    return values;
}

TEST(Combine, BestSeriesAndParallelAgainstEveryPair) {
    // The issue's value first: 3.6 kΩ + 200 Ω and 3.9 kΩ ∥ 130 kΩ.
    const host::Combinations issue =
        host::combine_two(3793.103448275862, PartKind::resistance, Series::e24, 0.05, {100, 1e6});
    ASSERT_TRUE(issue.series && issue.parallel);
    EXPECT_EQ(issue.series->first, 3600);
    EXPECT_EQ(issue.series->second, 200);
    EXPECT_EQ(issue.parallel->first, 3900);
    EXPECT_EQ(issue.parallel->second, 130000);
    EXPECT_EQ(issue.series->min, 3800 * 0.95);
    EXPECT_EQ(issue.series->max, 3600 * 1.05 + 200 * 1.05);

    // Every kind, over its default window: for capacitors the sum is the
    // parallel connection, for resistors and inductors the series one.
    std::srand(20261207);
    const Series series_tried[] = {Series::e12, Series::e24, Series::e96};
    const struct {
        PartKind kind;
        double lowest_decade;
        double decades;
    } kinds[] = {{PartKind::resistance, 2, 4},
                 {PartKind::capacitance, -11, 7},
                 {PartKind::inductance, -6, 5}};
    for (int trial = 0; trial < 90; ++trial) {
        const Series series = series_tried[trial % 3];
        const auto& k = kinds[(trial / 3) % 3];
        const double wanted =
            std::pow(10.0, k.lowest_decade + 0.3 +
                               (k.decades - 0.6) * (static_cast<double>(std::rand()) / RAND_MAX));
        const host::PartWindow window = host::default_part_window(k.kind);
        const std::vector<double> values = series_values(series, window.low, window.high);
        const host::Combinations c = host::combine_two(wanted, k.kind, series, 0.01, window);
        const Exhaustive sum = every_pair(values, wanted, true);
        const Exhaustive product = every_pair(values, wanted, false);
        const bool sum_is_parallel = k.kind == PartKind::capacitance;
        const auto& by_sum = sum_is_parallel ? c.parallel : c.series;
        const auto& by_product = sum_is_parallel ? c.series : c.parallel;
        ASSERT_TRUE(by_sum && by_product) << wanted;
        EXPECT_EQ(by_sum->value, sum.value) << wanted;
        EXPECT_EQ(by_sum->first, sum.first) << wanted;
        EXPECT_EQ(by_sum->second, sum.second) << wanted;
        EXPECT_EQ(by_product->value, product.value) << wanted;
        EXPECT_EQ(by_product->first, product.first) << wanted;
        EXPECT_EQ(by_product->second, product.second) << wanted;
        EXPECT_EQ(by_sum->parallel, sum_is_parallel);
        EXPECT_EQ(by_product->parallel, !sum_is_parallel);
        // Each part within 1 %: the combination's own extremes.
        EXPECT_EQ(by_sum->min, by_sum->first * 0.99 + by_sum->second * 0.99) << wanted;
        EXPECT_EQ(by_sum->max, by_sum->first * 1.01 + by_sum->second * 1.01) << wanted;
    }
    EXPECT_FALSE(host::combine_two(0, PartKind::resistance, Series::e24, 0.05, {100, 1e6}).series);
    // Two parts of 100 .. 1M reach 50 .. 2M, their ends included, and nothing beyond.
    for (const double wanted : {50.0, 2e6}) {
        const host::Combinations c =
            host::combine_two(wanted, PartKind::resistance, Series::e24, 0.05, {100, 1e6});
        const std::optional<host::Combination>& reached = wanted < 100 ? c.parallel : c.series;
        ASSERT_TRUE(reached) << wanted;
        EXPECT_EQ(reached->value, wanted);
    }
    for (const double wanted : {std::nextafter(50.0, 0.0), std::nextafter(2e6, 3e6), 5e300}) {
        const host::Combinations c =
            host::combine_two(wanted, PartKind::resistance, Series::e24, 0.05, {100, 1e6});
        EXPECT_FALSE(c.series || c.parallel) << wanted;
    }
}

// The result with a combination in place, its worst case through the
// combination's own extremes.
TEST(Combine, ResultAndWorstCase) {
    const host::FormulaInfo& divider = *host::find("voltage_divider");
    const host::Combination three_k8{false, 3600, 200, 3800, 3800 * 0.95, 3600 * 1.05 + 200 * 1.05};
    const host::CombinedResult r =
        host::combined_result(divider, {12, 10000, 0, 0}, {0, 0.01, 0, 0}, 2, three_k8, 0.05);
    EXPECT_EQ(r.nominal, (12 * 3800.0) / (10000 + 3800.0));
    EXPECT_EQ(r.min, (12 * three_k8.min) / (10100 + three_k8.min));
    EXPECT_EQ(r.max, (12 * three_k8.max) / (9900 + three_k8.max));
}

// ---- Decades ----

// A standard value's three significant digits and its decade, from its
// decimal text: 24000 is ("2.40", 4).
std::pair<std::string, int> digits_and_decade(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2e", value);
    const std::string written = text;
    const std::size_t e = written.find('e');
    return {written.substr(0, e), std::stoi(written.substr(e + 1))};
}

// The powers of ten that take the values `a` to `b`, when each is the same
// standard value in another decade.
std::optional<std::array<int, 2>> decades_apart(std::array<double, 2> a, std::array<double, 2> b) {
    std::array<int, 2> powers{};
    for (std::size_t u = 0; u < 2; ++u) {
        const auto [a_digits, a_decade] = digits_and_decade(a[u]);
        const auto [b_digits, b_decade] = digits_and_decade(b[u]);
        if (a_digits != b_digits) return std::nullopt;
        powers[u] = b_decade - a_decade;
    }
    return powers;
}

// Generated questions over the default windows, several decades wide: no two
// listed candidates are the same ratio (a divider) or the same product (an
// RC) in other decades; each other decade a candidate names is its values
// moved by the powers it gives, as a ratio or a product moves them; and the
// listed candidates with their other decades are every one that passes.
TEST(Design, ListsNoCandidateAgainInAnotherDecade) {
    std::mt19937 random(20261207);
    const auto draw = [&random](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    };
    const Series series_drawn[] = {Series::e6, Series::e12, Series::e24};
    int folds = 0;
    for (int trial = 0; trial < 48; ++trial) {
        const bool ratio = trial % 2 == 0;
        host::DesignRequest r;
        r.top = std::numeric_limits<int>::max();
        r.parts[0] = {series_drawn[trial % 3], draw(0.0, 0.02), std::nullopt};
        r.parts[1].series = series_drawn[(trial / 3) % 3];
        r.formula = host::find(ratio ? "voltage_divider" : "rc_lowpass_cutoff");
        r.unknowns = ratio ? std::array{1, 2} : std::array{0, 1};
        r.values = {12, 0, 0, 0};
        r.tolerances = {ratio ? draw(0.0, 0.01) : 0.0, 0, 0, 0};
        // 12 V over a ratio from 0.1 to 0.9; 1/(2 pi R C) for R C from 1 µs to 10 ms.
        r.centre = ratio ? 12 * draw(0.1, 0.9) : 1 / (6.283 * std::pow(10.0, draw(-6, -2)));
        const double half = *r.centre * draw(0.01, 0.08);
        r.low = *r.centre - half;
        r.high = *r.centre + half;
        const host::Design d = host::design(r);
        ASSERT_EQ(d.error, "");
        // Powers that keep the ratio, or the product, are equal, or opposite.
        const auto alike = [ratio](std::array<int, 2> p) { return p[0] == (ratio ? p[1] : -p[1]); };
        long counted = 0;
        for (std::size_t i = 0; i < d.candidates.size(); ++i) {
            const host::DesignCandidate& a = d.candidates[i];
            counted += 1 + static_cast<long>(a.also.size());
            folds += a.also.empty() ? 0 : 1;
            for (const host::DesignCandidate::OtherDecade& other : a.also) {
                const auto powers = decades_apart(a.values, other.values);
                EXPECT_TRUE(powers && *powers == other.powers && alike(*powers)) << trial;
            }
            for (std::size_t k = i + 1; k < d.candidates.size(); ++k) {
                const auto powers = decades_apart(a.values, d.candidates[k].values);
                EXPECT_FALSE(powers && alike(*powers)) << trial << ": " << i << ", " << k;
            }
        }
        EXPECT_EQ(counted, d.passing) << trial;
    }
    EXPECT_GT(folds, 20);  // the questions reach what they test
}

}  // namespace

// ---- Design questions as typed ----

namespace {

// Each bad request, as typed, gets one clear error line.
TEST(DesignQuestion, BadInputIsAnErrorLine) {
    const struct {
        const char* command;
        const char* line;
    } cases[] = {
        {"--series E24 voltage_divider 12 ? ? = 3.3" PM "0%",
         "Error: The window 3.3 .. 3.3 is empty: a window needs a width"},
        {"--series R=E24,C=E12 voltage_divider 12 ? ? = 3.3" PM "3%",
         "Error: voltage_divider has no capacitor: C= names none of its parts"},
        {"--series E24 --tolerance L=1% rc_lowpass_cutoff ? ? = 1k" PM "10%",
         "Error: rc_lowpass_cutoff has no inductor: L= names none of its parts"},
        {"--series E24 impedance_rlc_series ? 1k ? ? = 10" PM "5%",
         "Error: A design picks one or two values written ?, not 3"},
        {"--series E24 voltage_divider ? 10k 5k = 3.3" PM "3%",
         "Error: vin is not a resistance, capacitance or inductance: a design picks parts"},
        {"voltage_divider 12 ? ? = 3.3" PM "3%",
         "Error: No series for the resistors: name one (R=E24)"},
        {"--series E24 --tolerance 100% voltage_divider 12 10k ? = 3.2..3.4",
         "Error: The resistors' tolerance is from 0 to below 100 %"},
        {"--series E24 --within 1001..1019 voltage_divider 12 10k ? = 3.2..3.4",
         "Error: No E24 value lies within 1001 .. 1019"},
        {"--series E24 voltage_divider 12 10k ? = 3.2..x", "Error: Invalid number '3.2..x'"},
        {"--series E24 voltage_divider 12 1x ? = 3.2..3.4", "Error: Invalid number '1x'"},
        {"--series E24 --combine 2 voltage_divider 12 ? ? = 3.2..3.4",
         "Error: --combine goes with a solve, not with a design"},
    };
    for (const auto& c : cases) {
        const host::Designed d = host::design(c.command);
        EXPECT_TRUE(d.error) << c.command;
        EXPECT_EQ(d.line, c.line) << c.command;
        EXPECT_TRUE(d.lines.empty()) << c.command;
    }
    // An inverted window, and --top 0, are refused as the question is read.
    for (const char* command : {"--series E24 voltage_divider 12 ? ? = 3.4..3.2",
                                "--series E24 --top 0 voltage_divider 12 ? ? = 3.2..3.4"}) {
        const host::Designed d = host::design(command);
        EXPECT_TRUE(d.error) << command;
        EXPECT_TRUE(d.line.starts_with("Error: ")) << command;
    }
    // Through ask, as every host asks: the same line.
    EXPECT_EQ(host::ask("voltage_divider 12 ? ? = 3.3" PM "3%", host::QuestionSettings{}).line,
              "Error: No series for the resistors: name one (R=E24)");
}

// The RC case of the documentation: per-kind options reach the engine, the
// lines show its candidates, and the one-line form holds them all. 1.6 kΩ
// with 100 nF and 16 kΩ with 10 nF make the same RC, and the first is fewer
// steps above the windows' bottoms (5 + 48 against 29 + 36); 160 Ω and
// 160 kΩ lie outside R=1k..100k.
TEST(DesignQuestion, PerKindOptionsAndTheLines) {
    const host::Designed d = host::design(
        "--series R=E24,C=E12 --tolerance R=1%,C=5% --within R=1k..100k --top 3 "
        "rc_lowpass_cutoff ? ? = 1kHz" PM "10%");
    ASSERT_FALSE(d.error) << d.line;
    host::DesignRequest r;
    r.formula = host::find("rc_lowpass_cutoff");
    r.unknowns = {0, 1};
    r.low = 900;
    r.high = 1100;
    r.centre = 1000;
    r.parts[0] = {Series::e24, 0.01, host::PartWindow{1e3, 1e5}};
    r.parts[1] = {Series::e12, 0.05, std::nullopt};
    r.top = 3;
    const host::Design e = host::design(r);
    ASSERT_EQ(d.design.candidates.size(), 3U);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(d.design.candidates[i].values, e.candidates[i].values);
    }
    EXPECT_EQ(d.design.passing, e.passing);
    ASSERT_EQ(d.lines.size(), 4U);
    EXPECT_EQ(d.lines[1],
              "1. resistance = 1600 \xCE\xA9, capacitance = 1e-07 F (also 16000 \xCE\xA9 with "
              "1e-08 F): 994.718394 Hz (-0.53%), worst case 937.971140 .. 1057.648479 Hz, margin "
              "18.99%");
    EXPECT_EQ(d.engineering_lines[1],
              "1. resistance = 1.6 k\xCE\xA9, capacitance = 100 nF (also 16 k\xCE\xA9 with 10 "
              "nF): 994.718 Hz (-0.53%), worst case 937.971 Hz .. 1.05765 kHz, margin 18.99%");
    EXPECT_EQ(d.line, d.lines[0] + " " + d.lines[1] + "; " + d.lines[2] + "; " + d.lines[3]);
    // The nominal error and margin, from the window: (1/(2π·1600·1e-7) - 1000)/1000 and
    // min(min - 900, 1100 - max)/200.
    const double nominal = 1.0 / ((1600 * 1e-7) * 6.28318530718);
    EXPECT_EQ(d.design.candidates[0].nominal, nominal);
    EXPECT_EQ(d.design.candidates[0].deviation, (nominal - 1000) / 1000);
}

// A divider's ratio once, with the decades it also passes in: 2.4 k/910
// (12 x 910/3310 = 3.299094 V) x10 and x100 within 100 Ω .. 1 MΩ, not x1000
// (2.4 MΩ). The count is of every decade; the hint says how lines are made.
TEST(DesignQuestion, ADividerListsEachRatioOnce) {
    const host::Designed d =
        host::design("--series E24 --tolerance 1% voltage_divider 12 ? ? = 3.3" PM "3%");
    ASSERT_FALSE(d.error) << d.line;
    ASSERT_EQ(d.lines.size(), 6U);
    EXPECT_TRUE(
        d.lines[0].ends_with(" of 9409 candidates (every decade counted) pass the worst "
                             "case (R E24 1%), best first:"))
        << d.lines[0];
    EXPECT_EQ(d.lines[1], "1. r1 = 2400 " OHM ", r2 = 910 " OHM " (also " TIMES "10, " TIMES
                          "100): 3.299094 V (-0.03%), worst case 3.251466 .. 3.347152 V, margin "
                          "25.49%");
    const auto json = nlohmann::json::parse(host::design_json(d));
    EXPECT_EQ(json["candidates"][0]["also"],
              nlohmann::json::parse("[[24000, 9100], [240000, 91000]]"));
    EXPECT_EQ(json["best"]["also"], json["candidates"][0]["also"]);
    EXPECT_NE(d.hints.front().find("other decades"), std::string::npos) << d.hints.front();
    // --within still chooses the values: from 1 k to 99 k, 910 Ω and
    // 240 kΩ are out, and the same ratio stands alone a decade up.
    EXPECT_EQ(host::design("--series E24 --tolerance 1% --within 1k..99k voltage_divider 12 ? ? = "
                           "3.3" PM "3%")
                  .lines[1],
              "1. r1 = 24000 " OHM ", r2 = 9100 " OHM
              ": 3.299094 V (-0.03%), worst case "
              "3.251466 .. 3.347152 V, margin 25.49%");
}

// Nothing passes: an error line, the best candidate and the remedies as hints.
TEST(DesignQuestion, NoCandidateGivesTheBestAndTheRemedies) {
    const host::Designed d =
        host::design("--series E24 voltage_divider 12" PM "1% ? ? = 3.3" PM "3%");
    ASSERT_TRUE(d.error);
    EXPECT_EQ(d.line,
              "Error: No candidate keeps Output Voltage within 3.201000 .. 3.399000 V in the worst "
              "case (9409 candidates, R E24 5%)");
    ASSERT_EQ(d.hints.size(), 4U);
    EXPECT_TRUE(d.hints[0].starts_with("best by margin: r1 = ")) << d.hints[0];
    EXPECT_TRUE(d.hints[1].starts_with("it passes with a window of ")) << d.hints[1];
    EXPECT_EQ(d.hints[2], "a candidate passes with parts of 1.00% (--tolerance)");
    EXPECT_EQ(d.hints[3], "a candidate passes with E96 parts (--series E96)");
}

TEST(DesignQuestion, WithoutToleranceSaysSo) {
    const host::Designed d =
        host::design("--series E12 --tolerance 0% voltage_divider 12 10k ? = 3.2..3.4");
    ASSERT_FALSE(d.error) << d.line;
    EXPECT_TRUE(d.design.nominal_only);
    EXPECT_NE(d.lines[0].find("at nominal values only"), std::string::npos) << d.lines[0];
    EXPECT_EQ(d.lines[1], "1. r2 = 3900 \xCE\xA9: 3.366906 V (+2.03%), margin 16.55%");
}

// --combine 2 after a solve, with the result and worst case of each pair.
TEST(DesignQuestion, TwoPartsAfterASolve) {
    const host::SolvedInParts s =
        host::solve_in_parts("--series E24 --combine 2 voltage_divider 12 10k ? = 3.3");
    ASSERT_FALSE(s.error) << s.line;
    ASSERT_EQ(s.combinations.size(), 2U);
    EXPECT_EQ(s.part_tolerance, 0.05);
    const host::CombinedPart& sum = s.combinations[0];
    EXPECT_EQ(sum.result.nominal, (12 * 3800.0) / (10000 + 3800.0));
    EXPECT_EQ(sum.result.min,
              (12 * (3600 * 0.95 + 200 * 0.95)) / (10000 + (3600 * 0.95 + 200 * 0.95)));
    EXPECT_NE(
        s.line.find("; two E24 parts: 3600 \xCE\xA9 + 200 \xCE\xA9 = 3800 \xCE\xA9 \xE2\x86\x92 "
                    "3.304348 V (+0.13%, 3.182954 .. 3.422445 V), 3900 \xCE\xA9 \xE2\x88\xA5 "
                    "130000 \xCE\xA9"),
        std::string::npos)
        << s.line;
    EXPECT_EQ(host::ask("--series E24 --combine 2 voltage_divider 12 10k ? = 3.3",
                        host::QuestionSettings{})
                  .line,
              s.line);
    EXPECT_TRUE(host::solve_in_parts("--combine 2 voltage_divider 12 10k ? = 3.3").error);
    // A solution beyond what two parts reach, a stretch of solutions, and a
    // count other than two set in code: the solve stands, with why no parts.
    const struct {
        const char* command;
        const char* hint;
    } without_parts[] = {
        {"--series E24 --combine 2 ohms_current 5 ? = 1e-300",
         "no two E24 values within the search window combine to it"},
        {"--series E24 --combine 2 resistors_series 100 ? = 100",
         "a stretch of values gives the target: no one value to combine"},
    };
    for (const auto& c : without_parts) {
        const host::SolvedInParts solved = host::solve_in_parts(c.command);
        EXPECT_FALSE(solved.error) << c.command;
        EXPECT_TRUE(solved.combinations.empty()) << c.command;
        EXPECT_EQ(solved.line.find("two E24 parts"), std::string::npos) << solved.line;
        EXPECT_EQ(solved.hints.back(), c.hint) << c.command;
    }
    host::QuestionSettings three;
    three.combine = 3;
    EXPECT_EQ(host::solve_in_parts("--series E24 voltage_divider 12 10k ? = 3.3", three).line,
              "Error: --combine takes 2: two parts for one value");
}

// The JSON answer carries what the lines show, as numbers.
TEST(DesignQuestion, JsonCarriesTheCandidatesTheRemedyAndErrors) {
    const host::Designed d = host::design(
        "--series R=E24,C=E12 --tolerance R=1%,C=5% --top 2 rc_lowpass_cutoff ? ? = 1kHz" PM "10%");
    const auto json = nlohmann::json::parse(host::design_json(d));
    EXPECT_EQ(json["kind"], "design");
    EXPECT_EQ(json["error"], false);
    EXPECT_EQ(json["line"], d.line);
    EXPECT_EQ(json["arguments"], nlohmann::json::array({"resistance", "capacitance"}));
    EXPECT_EQ(json["series"], nlohmann::json::array({"E24", "E12"}));
    EXPECT_EQ(json["tolerances"], nlohmann::json::array({0.01, 0.05}));
    EXPECT_EQ(json["window"]["low"], 900.0);
    EXPECT_EQ(json["passing"], d.design.passing);
    ASSERT_EQ(json["candidates"].size(), 2U);
    for (std::size_t i = 0; i < 2; ++i) {
        const auto& c = json["candidates"][i];
        EXPECT_EQ(c["values"][0].get<double>(), d.design.candidates[i].values[0]);
        EXPECT_EQ(c["values"][1].get<double>(), d.design.candidates[i].values[1]);
        EXPECT_EQ(c["min"].get<double>(), d.design.candidates[i].min);
        EXPECT_EQ(c["margin"].get<double>(), d.design.candidates[i].margin);
    }
    EXPECT_TRUE(json["remedy"].is_null());

    const auto none = nlohmann::json::parse(host::design_json(
        host::design("--series E24 voltage_divider 12" PM "1% ? ? = 3.3" PM "3%")));
    EXPECT_EQ(none["kind"], "design");
    EXPECT_EQ(none["error"], true);
    EXPECT_TRUE(none["candidates"].empty());
    EXPECT_EQ(none["best"]["values"].size(), 2U);
    EXPECT_EQ(none["remedy"]["series"], "E96");
    EXPECT_EQ(none["remedy"]["tolerance"], 0.01);

    const auto refused = nlohmann::json::parse(
        host::design_json(host::design("voltage_divider 12 ? ? = 3.3" PM "3%")));
    EXPECT_EQ(refused["kind"], "error");
    EXPECT_EQ(refused["line"], "Error: No series for the resistors: name one (R=E24)");
    EXPECT_FALSE(refused.contains("candidates"));
}

// With --mc each listed candidate's yield: a candidate whose worst case lies
// inside the window keeps every sample there. When none passes, the best
// one's yield against the closed form: r2 = 3900 Ω ± 5 % uniform under 10 kΩ
// from 12 V gives at most 3.4 V while r2 <= 3.4 x 10k / 8.6, and never less
// than 3.2 V (r2 >= 3705 > 3.2 x 10k / 8.8).
TEST(DesignQuestion, MonteCarloYieldOfEachCandidate) {
    const host::Designed passing =
        host::design("--mc 20000 --series E96 --top 4 --within 1k..100k voltage_divider 12" PM
                     "1% ? ? = 3.2..3.4");
    ASSERT_FALSE(passing.error) << passing.line;
    ASSERT_EQ(passing.yields.size(), passing.design.candidates.size());
    ASSERT_EQ(passing.yields.size(), 4U);
    for (std::size_t i = 0; i < passing.yields.size(); ++i) {
        EXPECT_EQ(passing.yields[i], 1.0) << i;
        EXPECT_TRUE(passing.lines[i + 1].ends_with(", yield 100.0000%")) << passing.lines[i + 1];
    }
    EXPECT_EQ(passing.samples, 20000U);
    EXPECT_FALSE(
        host::design("--series E96 voltage_divider 12" PM "1% ? ? = 3.2..3.4").yields.size());

    const std::uint64_t samples = 200000;
    const std::string failing =
        "--mc " + std::to_string(samples) + " --series E24 voltage_divider 12 10k ? = 3.2..3.4";
    const host::Designed none = host::design(failing);
    ASSERT_TRUE(none.design.best.has_value());
    ASSERT_EQ(none.design.best->values[0], 3900.0);
    ASSERT_TRUE(none.best_yield.has_value());
    const double low = 3900.0 * 0.95;
    const double high = 3900.0 * 1.05;
    const double expected = (3.4 * 10000.0 / 8.6 - low) / (high - low);
    const double sigma = std::sqrt(expected * (1.0 - expected) / static_cast<double>(samples));
    EXPECT_NEAR(*none.best_yield, expected, 5.0 * sigma);
    // The seed decides the draws: the same seed, the same yield; another, another.
    EXPECT_EQ(host::design(failing).best_yield, none.best_yield);
    EXPECT_NE(host::design("--seed 2 " + failing).best_yield, none.best_yield);
    const auto json = nlohmann::json::parse(host::design_json(none));
    EXPECT_EQ(json["best"]["yield"], *none.best_yield);
    EXPECT_EQ(json["samples"], samples);
}

}  // namespace
