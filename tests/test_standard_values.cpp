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
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "formula_table.h"
#include "host.h"
#include "worst_case.h"

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
    for (const Table& table : TABLES) {
        EXPECT_EQ(host::series_named(table.name), table.series);
        std::string lower = table.name;
        lower[0] = 'e';
        EXPECT_EQ(host::series_named(lower), table.series);
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
                const double middle = a + (b - a) / 2;  // above the geometric mean
                expect_values(middle, table.series, a, b, b);
            }
        }
    }
}

TEST(StandardValues, AnswerTheCasesPeopleAsk) {
    expect_values(9.95, Series::e24, 9.1, 10.0, 10.0);
    expect_values(3300.0, Series::e24, 3300.0, 3300.0, 3300.0);
    expect_values(4.7e-9, Series::e12, 4.7e-9, 4.7e-9, 4.7e-9);
    expect_values(3793.1034482758623, Series::e24, 3600.0, 3900.0, 3900.0);
    expect_values(0.99999, Series::e3, 0.47, 1.0, 1.0);
    expect_values(988001.0, Series::e192, 988000.0, 1e6, 988000.0);
    expect_values(1e-12, Series::e96, 1e-12, 1e-12, 1e-12);
}

// Exactly: x² against below * above in 128-bit integers, for integer neighbours.
__extension__ typedef unsigned __int128 Wide;
bool nearer_below(double x, unsigned long long product) {
    int exponent = 0;
    const double fraction = std::frexp(x, &exponent);
    const auto mantissa =
        static_cast<Wide>(std::ldexp(fraction, 53));  // x = mantissa * 2^(exponent-53)
    const int shift = 2 * (53 - exponent);
    return mantissa * mantissa <= (static_cast<Wide>(product) << shift);
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

TEST(StandardValues, NoneOutsideThePositiveNormalDoubles) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const double bad : {0.0, -0.0, -1.0, nan, INF, -INF, DBL_MIN / 2,
                             std::numeric_limits<double>::denorm_min()}) {
        EXPECT_FALSE(host::standard_values(bad, Series::e24)) << bad;
    }
    EXPECT_FALSE(host::standard_values(1.5e308, Series::e3));  // the next is 2.2e308
    EXPECT_FALSE(host::standard_values(DBL_MAX, Series::e192));
    expect_values(1.78e308, Series::e192, 1.78e308, 1.78e308, 1.78e308);
    const auto smallest = host::standard_values(DBL_MIN, Series::e24);
    ASSERT_TRUE(smallest);
    EXPECT_TRUE(smallest->below <= DBL_MIN && DBL_MIN < smallest->above);
}

// ---- Worst-case ranges ----

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
    Box box;
    box.row = zorvane::find_keyword(word);
    for (std::size_t i = 0; i < 4 && words >> word; ++i) {
        const std::size_t plus_minus = word.find("\xC2\xB1");
        box.values[i] = std::strtod(word.substr(0, plus_minus).c_str(), nullptr);
        if (plus_minus != std::string::npos) {
            box.tolerances[i] = std::strtod(word.c_str() + plus_minus + 2, nullptr) / 100;
        }
    }
    return box;
}

host::Range range_of(const std::string& command) {
    const Box box = parse_box(command);
    if (box.row == nullptr) throw std::runtime_error("no row: " + command);
    return host::worst_case_range(*box.row, box.values, box.tolerances);
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
    std::ifstream in(ZORVANE_RANGE_VECTORS);
    ASSERT_TRUE(in) << ZORVANE_RANGE_VECTORS;
    std::set<std::string_view> rows;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t tab = line.find('\t');
        const std::string command = line.substr(0, tab);
        char* end = nullptr;
        const double low = std::strtod(line.c_str() + tab + 1, &end);
        const double high = std::strtod(end + 1, nullptr);
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

TEST(WorstCaseRange, RunsToThePolesAndCountsTheGuard) {
    const struct {
        const char* command;
        double min, max;
        bool guarded;
    } cases[] = {
        {"ohms_current 12 10\xC2\xB1"
         "100%",
         0.0, INF, true},  // R from 0: the guard, then 12/tiny
        {"ohms_resistance 12 0.001\xC2\xB1"
         "200%",
         -INF, INF, true},
        {"ohms_current 12 0", 0.0, 0.0, true},
        {"voltage_divider 12 1000\xC2\xB1"
         "100% 1000\xC2\xB1"
         "100%",
         0.0, 12.0, true},
        {"resistors_series 100\xC2\xB1"
         "150% 100",
         100.0, 350.0, false},  // no resistance below 0
        {"impedance_rlc_series 10 1000\xC2\xB1"
         "100% 0.1 0.00000025",
         10.0, INF, true},
        {"transistor_beta 2\xC2\xB1"
         "50% 0.25",
         4.0, 12.0, false},
    };
    for (const auto& c : cases) {
        const host::Range range = range_of(c.command);
        EXPECT_EQ(range.min, c.min) << c.command;
        EXPECT_EQ(range.max, c.max) << c.command;
        EXPECT_EQ(range.guarded, c.guarded) << c.command;
    }
    // The ratio <= 0 gives the guard's 0, the smallest positive double log10 of it.
    const host::Range gain = range_of(
        "gain_db 2\xC2\xB1"
        "150%");
    EXPECT_LT(gain.min, -6000.0);
    EXPECT_EQ(six_decimals(gain.max), "13.979400");
    EXPECT_TRUE(gain.guarded);
}

TEST(WorstCaseRange, GivesTheLineOfTheExampleAndNanWhereThereIsNoRange) {
    const host::Range divider = range_of(
        "voltage_divider 12 10000\xC2\xB1"
        "1% 4700");
    EXPECT_EQ(six_decimals(divider.min), "3.810811");  // 56400 / 14800
    EXPECT_EQ(six_decimals(divider.max), "3.863014");  // 56400 / 14600
    EXPECT_EQ(divider.evaluations, 2);
    for (const char* command : {"ohms_current 12 -10\xC2\xB1"
                                "5%",  // a negative magnitude
                                "antenna_gain_db 1\xC2\xB1"
                                "200% 1",  // log10 of a negative ratio
                                "ohms_current 12 nan", "ohms_current inf 10"}) {
        const host::Range range = range_of(command);
        EXPECT_TRUE(std::isnan(range.min) && std::isnan(range.max)) << command;
    }
}

TEST(WorstCaseRange, SpendsFewEvaluations) {
    EXPECT_EQ(range_of("voltage_divider 12 10000 4700").evaluations, 1);
    EXPECT_EQ(range_of("voltage_divider 12\xC2\xB1"
                       "1% 10000\xC2\xB1"
                       "1% 4700\xC2\xB1"
                       "1%")
                  .evaluations,
              8);
    EXPECT_EQ(range_of("power_i2r 1\xC2\xB1"
                       "200% 10\xC2\xB1"
                       "5%")
                  .evaluations,
              10);  // -1, -tiny, 0, tiny, 3
    const int rlc = range_of(
                        "impedance_rlc_series 50\xC2\xB1"
                        "5% 1000\xC2\xB1"
                        "10% 0.1\xC2\xB1"
                        "10% 0.00000025\xC2\xB1"
                        "10%")
                        .evaluations;
    EXPECT_GT(rlc, 16);
    EXPECT_LT(rlc, 300);
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

// Every pair, the tie broken as host.h says.
host::StandardPair exhaustive(const zorvane::Formula& row, std::array<double, 4> values, int first,
                              int second, double target, const std::vector<double>& window) {
    struct Best {
        double deviation = INF;
        int i = 0, j = 0;
        double result = 0;
    } best;
    const int count = static_cast<int>(window.size());
    for (int i = 0; i < count; ++i) {
        for (int j = 0; j < count; ++j) {
            values[static_cast<std::size_t>(first)] = window[static_cast<std::size_t>(i)];
            values[static_cast<std::size_t>(second)] = window[static_cast<std::size_t>(j)];
            const zorvane::Evaluation e = row.evaluate(values);
            const double deviation = std::fabs(e.value - target) / std::fabs(target);
            if (e.guarded || !std::isfinite(e.value)) continue;
            const auto key = [&](int a, int b) {
                return std::array<int, 3>{std::abs(a + b - (count - 1)), a + b, a};
            };
            if (deviation < best.deviation - 1e-12 ||
                (deviation <= best.deviation + 1e-12 && key(i, j) < key(best.i, best.j))) {
                best = {deviation, i, j, e.value};
            }
        }
    }
    return {window[static_cast<std::size_t>(best.i)], window[static_cast<std::size_t>(best.j)],
            best.result, count * count};
}

TEST(StandardPair, FindsTheDividersPairAndBreaksTheDecadeTieInTheMiddle) {
    const zorvane::Formula& divider = *zorvane::find_keyword("voltage_divider");
    const auto pair = host::best_standard_pair(divider, {12, 0, 0, 0}, 1, 2, 3.3, Series::e24);
    ASSERT_TRUE(pair);
    EXPECT_EQ(pair->first, 24000.0);  // not 2400/910 nor 240k/91k: the same result
    EXPECT_EQ(pair->second, 9100.0);
    EXPECT_EQ(six_decimals(pair->result), "3.299094");
    char deviation[16];
    std::snprintf(deviation, sizeof deviation, "%+.2f%%", (pair->result / 3.3 - 1) * 100);
    EXPECT_STREQ(deviation, "-0.03%");
    // Exact ties: 1k2 + 1k8 and 1k5 + 1k5 are as near the middle; the smaller first wins.
    const zorvane::Formula& series = *zorvane::find_keyword("resistors_series");
    const auto sum = host::best_standard_pair(series, {}, 0, 1, 3000, Series::e24);
    ASSERT_TRUE(sum);
    EXPECT_EQ(sum->first, 1200.0);
    EXPECT_EQ(sum->second, 1800.0);
    const zorvane::Formula& parallel = *zorvane::find_keyword("resistors_parallel");
    const auto half = host::best_standard_pair(parallel, {}, 0, 1, 5000, Series::e24);
    ASSERT_TRUE(half);
    EXPECT_EQ(half->first, 10000.0);  // not 7k5 || 15k
    EXPECT_EQ(half->second, 10000.0);
}

TEST(StandardPair, AgreesWithTheExhaustiveSearch) {
    const struct {
        const char* keyword;
        std::array<double, 4> values;
        int first, second;
        double target;
        Series series;
        int low, high;  // the window's decades
    } cases[] = {
        {"voltage_divider", {5, 0, 0, 0}, 1, 2, 1.8, Series::e96, 2, 6},
        {"voltage_divider", {12, 0, 0, 0}, 2, 1, 3.3, Series::e24, 2, 6},
        {"voltage_divider", {-12, 0, 0, 0}, 1, 2, -3.3, Series::e12, 2, 6},
        {"voltage_divider", {12, 0, 0, 0}, 1, 2, 20, Series::e6, 2, 6},  // beyond reach
        {"current_divider", {0.1, 0, 0, 0}, 1, 2, 0.0123, Series::e48, 2, 6},
        {"capacitors_series", {}, 0, 1, 1e-9, Series::e12, -11, -4},
        {"capacitors_parallel", {}, 0, 1, 3.3e-7, Series::e6, -11, -4},
        {"inductors_parallel", {}, 0, 1, 2.2e-5, Series::e24, -6, -1},
        {"inductors_series", {}, 0, 1, 0.0123, Series::e48, -6, -1},
        {"resistors_parallel", {}, 0, 1, 1234, Series::e192, 2, 6},
    };
    for (const auto& c : cases) {
        const zorvane::Formula& row = *zorvane::find_keyword(c.keyword);
        const auto pair =
            host::best_standard_pair(row, c.values, c.first, c.second, c.target, c.series);
        ASSERT_TRUE(pair) << c.keyword;
        const host::StandardPair expected =
            exhaustive(row, c.values, c.first, c.second, c.target, window(c.series, c.low, c.high));
        EXPECT_EQ(pair->first, expected.first) << c.keyword << " " << c.target;
        EXPECT_EQ(pair->second, expected.second) << c.keyword << " " << c.target;
        EXPECT_EQ(pair->result, expected.result) << c.keyword << " " << c.target;
        if (c.series == Series::e192) {
            EXPECT_LT(pair->evaluations * 20, expected.evaluations);
        }
    }
}

TEST(StandardPair, NoneWithoutTwoUnknownsOfOneKindOrAFiniteResult) {
    const zorvane::Formula& divider = *zorvane::find_keyword("voltage_divider");
    const std::array<double, 4> twelve{12, 0, 0, 0};
    const struct {
        const char* keyword;
        std::array<double, 4> values;
        int first, second;
        double target;
    } cases[] = {
        {"capacitor_time_constant_rc", {}, 0, 1, 1e-3},  // a resistance and a capacitance
        {"voltage_divider", twelve, 0, 1, 3.3},          // a voltage and a resistance
        {"ohms_voltage", {}, 0, 1, 1},                   // a current and a resistance
        {"voltage_divider", twelve, 1, 1, 3.3},
        {"voltage_divider", twelve, 1, 3, 3.3},
        {"voltage_divider", twelve, -1, 2, 3.3},
        {"voltage_divider", twelve, 1, 2, std::numeric_limits<double>::quiet_NaN()},
        {"voltage_divider", twelve, 1, 2, INF},
        {"voltage_divider", {std::numeric_limits<double>::quiet_NaN(), 0, 0, 0}, 1, 2, 3.3},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(host::best_standard_pair(*zorvane::find_keyword(c.keyword), c.values, c.first,
                                              c.second, c.target, Series::e24))
            << c.keyword << " " << c.first << " " << c.second << " " << c.target;
    }
    EXPECT_TRUE(host::best_standard_pair(divider, twelve, 1, 2, 3.3, Series::e3));
}

}  // namespace
