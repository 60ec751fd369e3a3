// Standard values against the IEC 60063 tables written out here, worst-case
// ranges against the reference model's dense sampling, standard pairs
// against an exhaustive search.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "formula_table.h"
#include "support/counting_row.h"
#include "support/vector_file.h"
#include "worst_case.h"
#include "zorvane_host/host.h"

namespace {

namespace host = zorvane::host;
using host::Series;
constexpr double INF = std::numeric_limits<double>::infinity();

// ---- The series as IEC 60063 tabulates them ----

struct Table {
    Series series;
    const char* name;
    const char* values;
};
const Table TABLES[] = {
    {Series::e3, "E3", "1.0 2.2 4.7"},
    {Series::e6, "E6", "1.0 1.5 2.2 3.3 4.7 6.8"},
    {Series::e12, "E12", "1.0 1.2 1.5 1.8 2.2 2.7 3.3 3.9 4.7 5.6 6.8 8.2"},
    {Series::e24, "E24",
     "1.0 1.1 1.2 1.3 1.5 1.6 1.8 2.0 2.2 2.4 2.7 3.0 3.3 3.6 3.9 4.3 4.7 5.1 5.6 6.2 6.8 7.5 "
     "8.2 9.1"},
    {Series::e48, "E48",
     "1.00 1.05 1.10 1.15 1.21 1.27 1.33 1.40 1.47 1.54 1.62 1.69 1.78 1.87 1.96 2.05 2.15 2.26 "
     "2.37 2.49 2.61 2.74 2.87 3.01 3.16 3.32 3.48 3.65 3.83 4.02 4.22 4.42 4.64 4.87 5.11 5.36 "
     "5.62 5.90 6.19 6.49 6.81 7.15 7.50 7.87 8.25 8.66 9.09 9.53"},
    {Series::e96, "E96",
     "1.00 1.02 1.05 1.07 1.10 1.13 1.15 1.18 1.21 1.24 1.27 1.30 1.33 1.37 1.40 1.43 1.47 1.50 "
     "1.54 1.58 1.62 1.65 1.69 1.74 1.78 1.82 1.87 1.91 1.96 2.00 2.05 2.10 2.15 2.21 2.26 2.32 "
     "2.37 2.43 2.49 2.55 2.61 2.67 2.74 2.80 2.87 2.94 3.01 3.09 3.16 3.24 3.32 3.40 3.48 3.57 "
     "3.65 3.74 3.83 3.92 4.02 4.12 4.22 4.32 4.42 4.53 4.64 4.75 4.87 4.99 5.11 5.23 5.36 5.49 "
     "5.62 5.76 5.90 6.04 6.19 6.34 6.49 6.65 6.81 6.98 7.15 7.32 7.50 7.68 7.87 8.06 8.25 8.45 "
     "8.66 8.87 9.09 9.31 9.53 9.76"},
    {Series::e192, "E192",
     "1.00 1.01 1.02 1.04 1.05 1.06 1.07 1.09 1.10 1.11 1.13 1.14 1.15 1.17 1.18 1.20 1.21 1.23 "
     "1.24 1.26 1.27 1.29 1.30 1.32 1.33 1.35 1.37 1.38 1.40 1.42 1.43 1.45 1.47 1.49 1.50 1.52 "
     "1.54 1.56 1.58 1.60 1.62 1.64 1.65 1.67 1.69 1.72 1.74 1.76 1.78 1.80 1.82 1.84 1.87 1.89 "
     "1.91 1.93 1.96 1.98 2.00 2.03 2.05 2.08 2.10 2.13 2.15 2.18 2.21 2.23 2.26 2.29 2.32 2.34 "
     "2.37 2.40 2.43 2.46 2.49 2.52 2.55 2.58 2.61 2.64 2.67 2.71 2.74 2.77 2.80 2.84 2.87 2.91 "
     "2.94 2.98 3.01 3.05 3.09 3.12 3.16 3.20 3.24 3.28 3.32 3.36 3.40 3.44 3.48 3.52 3.57 3.61 "
     "3.65 3.70 3.74 3.79 3.83 3.88 3.92 3.97 4.02 4.07 4.12 4.17 4.22 4.27 4.32 4.37 4.42 4.48 "
     "4.53 4.59 4.64 4.70 4.75 4.81 4.87 4.93 4.99 5.05 5.11 5.17 5.23 5.30 5.36 5.42 5.49 5.56 "
     "5.62 5.69 5.76 5.83 5.90 5.97 6.04 6.12 6.19 6.26 6.34 6.42 6.49 6.57 6.65 6.73 6.81 6.90 "
     "6.98 7.06 7.15 7.23 7.32 7.41 7.50 7.59 7.68 7.77 7.87 7.96 8.06 8.16 8.25 8.35 8.45 8.56 "
     "8.66 8.76 8.87 8.98 9.09 9.20 9.31 9.42 9.53 9.65 9.76 9.88"},
};

// The table's values in [10^decade, 10^(decade+1)], each the double strtod reads.
std::vector<double> decade_values(const Table& table, int decade) {
    std::vector<double> values;
    std::istringstream words(table.values);
    for (std::string word; words >> word;) {
        values.push_back(std::strtod((word + "e" + std::to_string(decade)).c_str(), nullptr));
    }
    values.push_back(std::strtod(("1e" + std::to_string(decade + 1)).c_str(), nullptr));
    return values;
}

void expect_values(double value, Series series, double below, double above, double nearest) {
    const auto found = host::standard_values(value, series);
    ASSERT_TRUE(found) << value;
    EXPECT_EQ(found->below, below) << value;
    EXPECT_EQ(found->above, above) << value;
    EXPECT_EQ(found->nearest, nearest) << value;
}

TEST(StandardValues, NamesTheSeries) {
    // The one list of names, in the order of Series, as the tables above.
    ASSERT_EQ(host::series_names().size(), std::size(TABLES));
    for (const Table& table : TABLES) {
        EXPECT_EQ(host::series_names()[static_cast<std::size_t>(table.series)], table.name);
    }
    for (const Table& table : TABLES) {
        EXPECT_EQ(host::series_named(table.name), table.series);
        EXPECT_EQ(host::series_named("e" + std::string(table.name + 1)), table.series);
        EXPECT_EQ(host::series_name(table.series), table.name);
    }
    for (const char* bad : {"", "E", "E5", "E24 ", " E24", "24", "EE24", "E024", "e1920", "X24"}) {
        EXPECT_FALSE(host::series_named(bad)) << bad;
    }
}

// Every value, the doubles beside it and the midpoints between, in decades
// whose values are computed (within 10^±22) and read as decimals (beyond).
TEST(StandardValues, HoldEveryValueOfTheStandardsTablesAndNoOther) {
    for (const Table& table : TABLES) {
        for (const int decade : {-300, -23, -12, -9, -1, 0, 1, 3, 5, 20, 22, 300}) {
            const std::vector<double> values = decade_values(table, decade);
            EXPECT_EQ(values.size() - 1, std::stoul(table.name + 1)) << table.name;
            for (std::size_t i = 0; i + 1 < values.size(); ++i) {
                const double a = values[i];
                const double b = values[i + 1];
                expect_values(a, table.series, a, a, a);
                expect_values(std::nextafter(a, INF), table.series, a, b, a);
                expect_values(std::nextafter(b, 0.0), table.series, a, b, b);
                expect_values(a + (b - a) / 2, table.series, a, b, b);  // above the geometric mean
            }
        }
    }
}

TEST(StandardValues, AnswerTheCasesPeopleAskAndNoneOutsideThePositiveNormalDoubles) {
    const double none = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double value;
        Series series;
        double below, above, nearest;
    } cases[] = {
        {9.95, Series::e24, 9.1, 10.0, 10.0},
        {3300.0, Series::e24, 3300.0, 3300.0, 3300.0},
        {4.7e-9, Series::e12, 4.7e-9, 4.7e-9, 4.7e-9},
        {3793.1034482758623, Series::e24, 3600.0, 3900.0, 3900.0},
        {0.99999, Series::e3, 0.47, 1.0, 1.0},
        {988001.0, Series::e192, 988000.0, 1e6, 988000.0},
        {1.78e308, Series::e192, 1.78e308, 1.78e308, 1.78e308},
        {1.5e308, Series::e3, none, none, none},  // the next is 2.2e308
        {DBL_MAX, Series::e192, none, none, none},
    };
    for (const auto& c : cases) {
        if (std::isnan(c.below)) {
            EXPECT_FALSE(host::standard_values(c.value, c.series)) << c.value;
        } else {
            expect_values(c.value, c.series, c.below, c.above, c.nearest);
        }
    }
    for (const double bad : {0.0, -0.0, -1.0, none, INF, DBL_MIN / 2}) {
        EXPECT_FALSE(host::standard_values(bad, Series::e24)) << bad;
    }
}

// Exactly: x² against below * above in 128-bit integers, for integer neighbours.
__extension__ typedef unsigned __int128 Wide;
bool nearer_below(double x, unsigned long long product) {
    int exponent = 0;
    const double fraction = std::frexp(x, &exponent);  // x = mantissa * 2^(exponent - 53)
    const auto mantissa = static_cast<Wide>(std::ldexp(fraction, 53));
    return mantissa * mantissa <= (static_cast<Wide>(product) << (2 * (53 - exponent)));
}

TEST(StandardValues, NearestIsDecidedExactlyAtTheGeometricMean) {
    const struct {
        Series series;
        double below, above;
    } pairs[] = {{Series::e24, 91, 100},
                 {Series::e3, 10, 22},
                 {Series::e192, 988, 1000},
                 {Series::e12, 82, 100},
                 {Series::e6, 47, 68}};
    for (const auto& pair : pairs) {
        const auto product = static_cast<unsigned long long>(pair.below * pair.above);
        const double mean = std::sqrt(pair.below * pair.above);
        for (const double x : {std::nextafter(mean, 0.0), mean, std::nextafter(mean, INF)}) {
            expect_values(x, pair.series, pair.below, pair.above,
                          nearer_below(x, product) ? pair.below : pair.above);
        }
    }
}

// ---- Worst-case ranges ----

#define PM "\xC2\xB1"  // ±

// "voltage_divider 12 10000±1% 4700": the row, each value and its tolerance.
struct Box {
    const zorvane::Formula* row = nullptr;
    std::array<double, 4> values{};
    std::array<double, 4> tolerances{};
};

Box parse_box(const std::string& command) {
    std::istringstream words(command);
    std::string word;
    words >> word;
    Box box{zorvane::find_keyword(word)};
    for (std::size_t i = 0; i < 4 && words >> word; ++i) {
        const std::size_t at = word.find(PM);
        box.values[i] = std::strtod(word.substr(0, at).c_str(), nullptr);
        if (at != std::string::npos) box.tolerances[i] = std::strtod(&word[at + 2], nullptr) / 100;
    }
    return box;
}

host::Range range_of(const std::string& command) {
    const Box box = parse_box(command);
    if (box.row == nullptr) throw std::runtime_error("no row: " + command);
    return host::worst_case_range(*host::find(box.row->keyword), box.values, box.tolerances);
}

std::string six_decimals(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

TEST(WorstCaseRange, EveryRowIsClassified) {
    for (const zorvane::Formula& row : zorvane::formula_table()) {
        EXPECT_TRUE(host::shape_of(row)) << row.keyword;
    }
}

// Every sampled value lies in the range (up to rounding an ulp off monotone),
// and the range's ends are the sampled extremes.
TEST(WorstCaseRange, ContainsAndReachesTheReferenceModelsSampledExtremes) {
    std::set<std::string_view> rows;
    for (const auto& [command, low, high] :
         zorvane_test::load_range_vectors(ZORVANE_RANGE_VECTORS)) {
        const host::Range range = range_of(command);
        const double scale = std::fmax(std::fabs(low), std::fabs(high));
        EXPECT_LE(range.min, low + 1e-12 * scale) << command;
        EXPECT_GE(range.max, high - 1e-12 * scale) << command;
        EXPECT_NEAR(range.min, low, 1e-9 * scale) << command;
        EXPECT_NEAR(range.max, high, 1e-9 * scale) << command;
        rows.insert(parse_box(command).row->keyword);
    }
    EXPECT_EQ(rows.size(), zorvane::formula_table().size());
}

// Poles, guards, the magnitudes' floor, no range at all, and the cost.
TEST(WorstCaseRange, RunsToThePolesAndCountsTheGuardAndTheEvaluations) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* command;
        double min, max;
        bool guarded;
        int evaluations;
    } cases[] = {
        {"ohms_current 12 10" PM "100%", 0.0, INF, true, 3},  // R: 0 (guard), tiny, 20
        {"ohms_resistance 12 0.001" PM "200%", -INF, INF, true, 5},
        {"ohms_current 12 0", 0.0, 0.0, true, 1},
        {"voltage_divider 12 1000" PM "100% 1000" PM "100%", 0.0, 12.0, true, 9},
        {"resistors_series 100" PM "150% 100", 100.0, 350.0, false, 3},  // R from 0, not -50
        {"impedance_rlc_series 10 1000" PM "100% 0.1 0.00000025", 10.0, INF, true, -1},
        {"transistor_beta 2" PM "50% 0.25", 4.0, 12.0, false, 2},
        {"power_i2r 1" PM "200% 10" PM "50%", 0.0, 135.0, false, 10},  // I: -1, -tiny, 0, tiny, 3
        {"voltage_divider 12 10000 4700", 12 * 4700.0 / 14700, 12 * 4700.0 / 14700, false, 1},
        {"ohms_current 12 -10" PM "5%", nan, nan, false, 0},    // a negative magnitude
        {"antenna_gain_db 1" PM "200% 1", nan, nan, false, 5},  // log10 of a negative ratio
        {"ohms_current 12 nan", nan, nan, false, 0},
        {"ohms_current inf 10", nan, nan, false, 0},
    };
    for (const auto& c : cases) {
        const host::Range range = range_of(c.command);
        const auto same = [](double x, double y) { return x == y || (x != x && y != y); };
        EXPECT_TRUE(same(range.min, c.min) && same(range.max, c.max)) << c.command;
        EXPECT_EQ(range.guarded, c.guarded) << c.command;
        EXPECT_TRUE(c.evaluations < 0 || range.evaluations == c.evaluations) << c.command;
    }
    // The ratio <= 0 gives the guard's 0, the smallest positive double log10 of it.
    const host::Range gain = range_of("gain_db 2" PM "150%");
    EXPECT_LT(gain.min, -6000.0);
    EXPECT_EQ(six_decimals(gain.max), "13.979400");
    EXPECT_TRUE(gain.guarded);
    const host::Range divider = range_of("voltage_divider 12 10000" PM "1% 4700");
    EXPECT_EQ(six_decimals(divider.min), "3.810811");  // 56400 / 14800
    EXPECT_EQ(six_decimals(divider.max), "3.863014");  // 56400 / 14600
    const int rlc =
        range_of("impedance_rlc_series 50" PM "5% 1000" PM "10% 0.1" PM "10% 0.00000025" PM "10%")
            .evaluations;
    EXPECT_TRUE(rlc > 16 && rlc < 300) << rlc;  // the corners, a bisection, four points
}

// ---- Standard pairs ----

// The window's values from the tables above.
std::vector<double> window(Series series, int low, int high) {
    std::vector<double> values;
    for (int decade = low; decade < high; ++decade) {
        std::vector<double> some = decade_values(TABLES[static_cast<int>(series)], decade);
        values.insert(values.end(), some.begin(), some.end() - 1);
    }
    values.push_back(std::strtod(("1e" + std::to_string(high)).c_str(), nullptr));
    return values;
}

// Every pair: the least miss, then of the pairs within 1e-12 of the results'
// scale of it (the target's, or the least miss's where larger), the one
// nearest the window's middle in steps, then the smaller sum, then the
// smaller first index, as host.h says.
host::StandardPair exhaustive(const zorvane::Formula& row, std::array<double, 4> values,
                              std::size_t first, std::size_t second, double target,
                              const std::vector<double>& window) {
    const int count = static_cast<int>(window.size());
    std::vector<std::array<double, 4>> results;  // miss, result, i, j
    for (int i = 0; i < count; ++i) {
        for (int j = 0; j < count; ++j) {
            values[first] = window[static_cast<std::size_t>(i)];
            values[second] = window[static_cast<std::size_t>(j)];
            const zorvane::Evaluation e = row.evaluate(values);
            if (e.guarded || !std::isfinite(e.value)) continue;
            results.push_back({std::fabs(e.value - target), e.value, double(i), double(j)});
        }
    }
    double least = INF;
    for (const auto& r : results) least = std::fmin(least, r[0]);
    const double limit = least + 1e-12 * std::fmax(std::fabs(target), least);
    const auto key = [&](const std::array<double, 4>& r) {
        const int sum = int(r[2]) + int(r[3]);
        return std::array<int, 3>{std::abs(sum - (count - 1)), sum, int(r[2])};
    };
    const std::array<double, 4>* best = nullptr;
    for (const auto& r : results) {
        if (r[0] <= limit && (best == nullptr || key(r) < key(*best))) best = &r;
    }
    return {window[std::size_t((*best)[2])], window[std::size_t((*best)[3])], (*best)[1],
            count * count};
}

host::StandardPair expected_pair(const char* keyword, double total, int first, int second,
                                 double target, Series series) {
    const zorvane::Formula& row = *zorvane::find_keyword(keyword);
    const std::string_view unit = row.arguments[std::size_t(first)].unit.utf8;
    const auto [low, high] = unit == zorvane::OHM.utf8     ? std::pair{2, 6}
                             : unit == zorvane::FARAD.utf8 ? std::pair{-11, -4}
                                                           : std::pair{-6, -1};
    return exhaustive(row, {total}, std::size_t(first), std::size_t(second), target,
                      window(series, low, high));
}

std::optional<host::StandardPair> best_pair(const char* keyword, double total, int first,
                                            int second, double target, Series series) {
    return host::best_standard_pair(*host::find(keyword), {total}, first, second, target, series);
}

// Each case against every pair; where ratios recur or sums tie, the pair the
// rule picks: 24k/9k1, not 2k4/910 nor 240k/91k; 1k2 + 1k8 as near the middle
// as 1k5 + 1k5, with the smaller first; 10k || 10k, not 7k5 || 15k; 4k7/2k2
// and 47k/22k as near the middle, the smaller sum; for a target of 0, the
// least result (10 pF in series with 10 pF), not whatever a picofarad spans.
TEST(StandardPair, AgreesWithTheExhaustiveSearchAndBreaksTiesInTheMiddle) {
    const struct {
        const char* keyword;
        double total;
        int first, second;
        double target;
        Series series;
        double expect_first, expect_second;  // 0: as the exhaustive search
    } cases[] = {
        {"voltage_divider", 12, 1, 2, 3.3, Series::e24, 24000, 9100},
        {"resistors_series", 0, 0, 1, 3000, Series::e24, 1200, 1800},
        {"resistors_parallel", 0, 0, 1, 5000, Series::e24, 10000, 10000},
        {"voltage_divider", 12, 1, 2, 12.0 * 2200 / 6900, Series::e24, 4700, 2200},
        {"capacitors_series", 0, 0, 1, 0, Series::e24, 1e-11, 1e-11},
        {"resistors_series", 0, 0, 1, 1e-305, Series::e24, 100, 100},
        {"voltage_divider", 5, 1, 2, 1.8, Series::e96, 0, 0},
        {"voltage_divider", 12, 2, 1, 3.3, Series::e24, 9100, 24000},
        {"voltage_divider", -12, 1, 2, -3.3, Series::e12, 0, 0},
        {"voltage_divider", 12, 1, 2, 20, Series::e6, 100, 1e6},  // beyond reach
        {"current_divider", 0.1, 1, 2, 0.0123, Series::e48, 0, 0},
        {"capacitors_series", 0, 0, 1, 1e-9, Series::e12, 0, 0},
        {"capacitors_parallel", 0, 0, 1, 3.3e-7, Series::e6, 0, 0},
        {"inductors_parallel", 0, 0, 1, 2.2e-5, Series::e24, 0, 0},
        {"inductors_series", 0, 0, 1, 0.0123, Series::e48, 0, 0},
        {"resistors_parallel", 0, 0, 1, 1234, Series::e192, 0, 0},
    };
    for (const auto& c : cases) {
        const auto pair = best_pair(c.keyword, c.total, c.first, c.second, c.target, c.series);
        ASSERT_TRUE(pair) << c.keyword;
        const host::StandardPair expected =
            expected_pair(c.keyword, c.total, c.first, c.second, c.target, c.series);
        EXPECT_EQ(pair->first, expected.first) << c.keyword << " " << c.target;
        EXPECT_EQ(pair->second, expected.second) << c.keyword << " " << c.target;
        EXPECT_EQ(pair->result, expected.result) << c.keyword << " " << c.target;
        if (c.expect_first != 0) {
            EXPECT_EQ(pair->first, c.expect_first) << c.keyword << " " << c.target;
            EXPECT_EQ(pair->second, c.expect_second) << c.keyword << " " << c.target;
        }
        if (c.series == Series::e192) {
            EXPECT_LT(pair->evaluations * 20, expected.evaluations);
        }
    }
    const auto divider = best_pair("voltage_divider", 12, 1, 2, 3.3, Series::e24);
    char deviation[16];
    std::snprintf(deviation, sizeof deviation, "%+.2f%%", (divider->result / 3.3 - 1) * 100);
    EXPECT_EQ(six_decimals(divider->result) + " " + deviation, "3.299094 -0.03%");
}

// Results of every scale, from a fixed seed: a divider's total from 1e-300
// to 1e300 of either sign, the target a ratio of it the pair reaches; the
// networks' targets anywhere in their reach; and targets of 0. The search
// agrees with every pair tried, whatever its order.
TEST(StandardPair, AgreesWithTheExhaustiveSearchAtEveryScale) {
    std::mt19937_64 random(20261207);
    const auto uniform = [&random] { return static_cast<double>(random() >> 11) * 0x1p-53; };
    const struct {
        const char* keyword;
        int first, second;
        double low, high;  // the results' reach, for a total of 1
    } rows[] = {
        {"voltage_divider", 1, 2, 1e-4, 1.0},     {"current_divider", 1, 2, 1e-4, 1.0},
        {"resistors_series", 0, 1, 200, 2e6},     {"resistors_parallel", 0, 1, 50, 5e5},
        {"capacitors_series", 0, 1, 5e-12, 5e-5}, {"inductors_parallel", 0, 1, 5e-7, 5e-2},
    };
    for (int n = 0; n < 60; ++n) {
        const auto& row = rows[static_cast<std::size_t>(n) % std::size(rows)];
        const bool divider = row.first == 1;
        const double total =
            divider ? (random() % 2 == 0 ? 1.0 : -1.0) * std::pow(10.0, uniform() * 600.0 - 300.0)
                    : 0.0;
        const double ratio = row.low * std::pow(row.high / row.low, uniform());
        const double target = n % 7 == 0 ? 0.0 : divider ? total * ratio : ratio;
        const auto pair = best_pair(row.keyword, total, row.first, row.second, target, Series::e12);
        ASSERT_TRUE(pair) << row.keyword << " " << total << " " << target;
        const host::StandardPair expected =
            expected_pair(row.keyword, total, row.first, row.second, target, Series::e12);
        EXPECT_EQ(pair->first, expected.first) << row.keyword << " " << total << " " << target;
        EXPECT_EQ(pair->second, expected.second) << row.keyword << " " << total << " " << target;
    }
}

// A range's and a pair's evaluations are the row's calls, counted from
// outside by a row that counts them: over the range vectors' boxes (but the
// series RLC's, whose worst case also evaluates its reactances alone) and
// pairs of every network at targets across its reach.
TEST(StandardPair, RangesAndPairsCountTheRowsCalls) {
    int ranges = 0;
    for (const auto& [command, low, high] :
         zorvane_test::load_range_vectors(ZORVANE_RANGE_VECTORS)) {
        const Box box = parse_box(command);
        if (box.row->shape == zorvane::Shape::resonance) continue;
        const zorvane_test::CountingRow counting(*box.row);
        const host::Range range =
            host::worst_case_range_of_row(counting.row(), box.values, box.tolerances);
        EXPECT_EQ(range.evaluations, counting.calls()) << command;
        ++ranges;
    }
    EXPECT_GT(ranges, 40);
    std::mt19937_64 random(20261213);
    const struct {
        const char* keyword;
        int first, second;
        double total, low, high;  // the results' reach
    } rows[] = {
        {"voltage_divider", 1, 2, 12, 1e-3, 12},
        {"resistors_series", 0, 1, 0, 200, 2e6},
        {"resistors_parallel", 0, 1, 0, 50, 5e5},
        {"capacitors_series", 0, 1, 0, 5e-12, 5e-5},
    };
    for (int n = 0; n < 24; ++n) {
        const auto& row = rows[static_cast<std::size_t>(n) % std::size(rows)];
        const double target =
            row.low * std::pow(row.high / row.low, static_cast<double>(random() >> 11) * 0x1p-53);
        const zorvane_test::CountingRow counting(*zorvane::find_keyword(row.keyword));
        const auto pair =
            host::best_standard_pair_of_row(counting.row(), {row.total}, row.first, row.second,
                                            target, static_cast<Series>(random() % 7));
        ASSERT_TRUE(pair) << row.keyword << " " << target;
        EXPECT_EQ(pair->evaluations, counting.calls()) << row.keyword << " " << target;
    }
}

TEST(StandardPair, NoneWithoutTwoUnknownsOfOneKindOrAFiniteResult) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* keyword;
        double total;
        int first, second;
        double target;
    } cases[] = {
        {"capacitor_time_constant_rc", 0, 0, 1, 1e-3},  // a resistance and a capacitance
        {"voltage_divider", 12, 0, 1, 3.3},             // a voltage and a resistance
        {"ohms_voltage", 0, 0, 1, 1},                   // a current and a resistance
        {"voltage_divider", 12, 1, 1, 3.3},
        {"voltage_divider", 12, 1, 3, 3.3},
        {"voltage_divider", 12, -1, 2, 3.3},
        {"voltage_divider", 12, 1, 2, nan},
        {"voltage_divider", 12, 1, 2, INF},
        {"voltage_divider", nan, 1, 2, 3.3},  // no finite result
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(best_pair(c.keyword, c.total, c.first, c.second, c.target, Series::e24))
            << c.keyword << " " << c.first << " " << c.second << " " << c.target;
    }
}

// ---- What the hosts know about parts ----

TEST(Parts, EachKindHasItsLetterUnitWindowAndJoiningRows) {
    const struct {
        host::PartKind kind;
        const char* letter;
        const char* lower;
        const char* unit;
        double low;  // the default window: 100 Ω..1 MΩ, 10 pF..100 µF, 1 µH..100 mH
        double high;
        const char* in_series;
        const char* in_parallel;
    } kinds[] = {
        {host::PartKind::resistance, "R", "r", "\xCE\xA9", 100, 1e6, "resistors_series",
         "resistors_parallel"},
        {host::PartKind::capacitance, "C", "c", "F", 10e-12, 100e-6, "capacitors_series",
         "capacitors_parallel"},
        {host::PartKind::inductance, "L", "l", "H", 1e-6, 100e-3, "inductors_series",
         "inductors_parallel"},
    };
    for (const auto& k : kinds) {
        EXPECT_EQ(host::part_kind(k.unit), k.kind) << k.letter;
        EXPECT_EQ(host::part_kind_info(k.kind).unit, k.unit) << k.letter;
        EXPECT_EQ(host::part_kind_letter(k.kind), k.letter);
        EXPECT_EQ(host::part_kind_named(k.letter), k.kind) << k.letter;
        EXPECT_EQ(host::part_kind_named(k.lower), k.kind) << k.letter;
        EXPECT_EQ(host::default_part_window(k.kind).low, k.low) << k.letter;
        EXPECT_EQ(host::default_part_window(k.kind).high, k.high) << k.letter;
        const host::JoiningFormulas joining = host::joining_formulas(k.kind);
        ASSERT_TRUE(joining.in_series && joining.in_parallel) << k.letter;
        EXPECT_EQ(joining.in_series->keyword, k.in_series);
        EXPECT_EQ(joining.in_parallel->keyword, k.in_parallel);
    }
    for (const char* other : {"", "V", "A", "ohm", "Hz", "f"}) EXPECT_FALSE(host::part_kind(other));
    for (const char* other : {"", "X", "RC", "\xCE\xA9", "1"}) {
        EXPECT_FALSE(host::part_kind_named(other)) << other;
    }
}

// Two parts in series or in parallel, by the rules of circuits: resistances
// and inductances add in series, capacitances in parallel, and the other
// connection gives the product over the sum.
TEST(Parts, TheJoiningRowsAddWhereTheKindAdds) {
    std::mt19937_64 draw(20261207);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    for (const host::PartKind kind :
         {host::PartKind::resistance, host::PartKind::capacitance, host::PartKind::inductance}) {
        const host::JoiningFormulas joining = host::joining_formulas(kind);
        const bool adds_in_series = kind != host::PartKind::capacitance;
        for (int trial = 0; trial < 50; ++trial) {
            const double a = mantissa(draw) * 1e3;
            const double b = mantissa(draw) * 1e2;
            const double added = a + b;
            const double product_over_sum = a * b / (a + b);
            const auto joined = [&](const host::FormulaInfo* formula) {
                return host::evaluate_row(*formula, {a, b, 0.0, 0.0}).value;
            };
            EXPECT_EQ(joined(joining.in_series), adds_in_series ? added : product_over_sum);
            EXPECT_EQ(joined(joining.in_parallel), adds_in_series ? product_over_sum : added);
        }
    }
}

// The values a search takes: each decade's values from the standard's table,
// the window's ends included where they are values of the series.
TEST(Parts, ValuesWithinAWindowAreTheTablesValuesBetweenItsEnds) {
    for (const Table& table : TABLES) {
        // 100 Ω to 1 MΩ: four decades and the last one's end.
        std::vector<double> expected;
        for (int decade = 2; decade < 6; ++decade) {
            const std::vector<double> values = decade_values(table, decade);
            expected.insert(expected.end(), values.begin(), values.end() - 1);
        }
        expected.push_back(1e6);
        EXPECT_EQ(host::values_within(table.series, {100, 1e6}), expected) << table.name;
    }
    const struct {
        double low;
        double high;
        std::vector<double> values;
    } windows[] = {
        {4.6e3, 5.2e3, {4.7e3, 5.1e3}},  // ends between values
        {4.7e3, 5.1e3, {4.7e3, 5.1e3}},  // ends on values
        {1e4, 1e4, {1e4}},               // one value
        {1.05e3, 1.08e3, {}},            // none
        {9.5e-12, 1.25e-11, {1e-11, 1.1e-11, 1.2e-11}},
    };
    for (const auto& w : windows) {
        EXPECT_EQ(host::values_within(Series::e24, {w.low, w.high}), w.values) << w.low;
    }
}

}  // namespace
