// Invariants of the table that a mistyped row would break.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "formula_table.h"
#include "ieee754.h"

namespace {

using zorvane::formula_table;

TEST(FormulaTable, HoldsFiftyDistinctLowerCaseKeywords) {
    ASSERT_EQ(formula_table().size(), 50U);
    std::set<std::string_view> seen;
    for (const auto& row : formula_table()) {
        EXPECT_TRUE(seen.insert(row.keyword).second) << row.keyword;
        EXPECT_LE(row.keyword.size(), 29U) << row.keyword;
        EXPECT_EQ(row.keyword.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_"),
                  std::string_view::npos)
            << row.keyword;
    }
}

TEST(FormulaTable, FormatsAreLabelEqualsValueAndUnit) {
    for (const auto& row : formula_table()) {
        EXPECT_EQ(std::string(row.label) + "%.6f" + std::string(row.unit), row.format);
        ASSERT_GE(row.label.size(), 4U);
        EXPECT_EQ(row.label.substr(row.label.size() - 3), " = ") << row.format;
        EXPECT_TRUE(row.unit.empty() || row.unit[0] == ' ') << row.format;
        EXPECT_GE(row.required_count, 1);
        EXPECT_LE(row.required_count, zorvane::MAX_VALUES);
    }
}

TEST(FormulaTable, LookupFindsExactlyTheLowerCaseKeyword) {
    for (const auto& row : formula_table()) EXPECT_EQ(zorvane::find_keyword(row.keyword), &row);
    for (const std::string_view miss : {"", "power_v", "power_vii", "POWER_VI", "ohms_voltage_"}) {
        EXPECT_EQ(zorvane::find_keyword(miss), nullptr) << miss;
    }
    EXPECT_EQ(zorvane::find_keyword(std::string_view("power_vi\0", 9)), nullptr);
}

// The row a name gives, lower-cased byte by byte and searched row by row.
const zorvane::Formula* row_named(std::string name) {
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    for (const auto& row : formula_table()) {
        if (row.keyword == name) return &row;
    }
    return nullptr;
}

TEST(FormulaTable, LookupInAnyCaseFoldsOnlyTheCapitals) {
    for (const auto& row : formula_table()) {
        std::string upper(row.keyword);
        std::string alternating(row.keyword);
        for (std::size_t i = 0; i < upper.size(); ++i) {
            if (upper[i] >= 'a' && upper[i] <= 'z') {
                upper[i] = static_cast<char>(upper[i] - 'a' + 'A');
                if (i % 2 == 0) alternating[i] = upper[i];
            }
        }
        EXPECT_EQ(zorvane::find_keyword_any_case(upper), &row) << upper;
        EXPECT_EQ(zorvane::find_keyword_any_case(alternating), &row) << alternating;
        // One byte changed at each position: among them the same byte with
        // its case bit flipped ('_' becomes DEL) and bytes whose low seven
        // bits are a capital.
        for (std::size_t i = 0; i < upper.size(); ++i) {
            for (const char replacement : {'Q', '@', '`', '\x7F', '\xC1', '\xE1',
                                           static_cast<char>(row.keyword[i] ^ 0x20)}) {
                std::string name(row.keyword);
                name[i] = replacement;
                EXPECT_EQ(zorvane::find_keyword_any_case(name), row_named(name)) << name;
            }
        }
        std::string name(row.keyword);
        EXPECT_EQ(zorvane::find_keyword_any_case(name + "s"), row_named(name + "s")) << name;
        name.pop_back();
        EXPECT_EQ(zorvane::find_keyword_any_case(name), row_named(name)) << name;
    }
    for (const std::string_view miss : {"", "g", "gain_d", "POWER_VII", "OHMS_VOLTAGE "}) {
        EXPECT_EQ(zorvane::find_keyword_any_case(miss), nullptr) << miss;
    }
    EXPECT_EQ(zorvane::find_keyword_any_case(std::string_view("POWER_VI\0", 9)), nullptr);
    EXPECT_EQ(zorvane::find_keyword_any_case(std::string(300, 'A')), nullptr);
}

// A host must tell the guard's 0 (or the resistance an impedance falls back
// to) from a value the arithmetic gave.
TEST(FormulaTable, EvaluationsSayWhenTheZeroGuardAnswered) {
    const struct {
        std::string_view keyword;
        zorvane::Values values;
        double value;
        bool guarded;
    } cases[] = {
        {"ohms_current", {1, 0}, 0.0, true},
        {"ohms_current", {0, 1}, 0.0, false},
        {"capacitors_series", {0, 1}, 0.0, true},
        {"resistors_parallel", {2, 0}, 0.0, true},
        {"resistors_parallel", {2, 2}, 1.0, false},
        {"voltage_divider", {1, 1, -1}, 0.0, true},
        {"impedance_rc", {5, 0, 1e-6}, 5.0, true},
        {"impedance_rlc_series", {5, 0, 1, 1e-6}, 5.0, true},
        {"impedance_rl", {5, 0, 1}, 5.0, false},
        {"power_ratio_to_db", {-1}, 0.0, true},
        {"power_ratio_to_db", {1}, 0.0, false},
        {"rl_lowpass_cutoff", {1, 0}, 0.0, true},
        {"resonant_frequency_lc", {1, 0}, 0.0, true},
        {"characteristic_impedance_coax", {0, 2, 1}, 0.0, true},
        {"junction_temperature", {0, 0, 0}, 0.0, false},
    };
    for (const auto& c : cases) {
        const auto* row = zorvane::find_keyword(c.keyword);
        ASSERT_NE(row, nullptr) << c.keyword;
        const zorvane::Evaluation evaluation = row->evaluate(c.values);
        EXPECT_EQ(evaluation.guarded, c.guarded) << c.keyword;
        EXPECT_EQ(evaluation.value, c.value) << c.keyword;
    }
}

// Points as a Monte Carlo run or a careless caller gives them: sizes from
// 1e-12 to 1e6 of either sign, and the values where the guards and the
// arithmetic's special cases sit. A value read from the wrong column, or a
// point skipped or repeated, shows as a difference from the same points
// evaluated one at a time (any NaN for a NaN: its payload is the processor's).
TEST(FormulaTable, ColumnsGiveEachPointsValueBitForBit) {
    using limits = std::numeric_limits<double>;
    constexpr std::array<double, 7> special = {
        0.0, -0.0, 1.0, -1.0, limits::infinity(), limits::quiet_NaN(), limits::denorm_min()};
    std::mt19937_64 random(20261208);
    constexpr std::size_t POINTS = 257;  // no vector width divides it
    std::array<std::vector<double>, zorvane::MAX_VALUES> column;
    zorvane::Columns columns{};
    for (std::size_t i = 0; i < column.size(); ++i) {
        for (std::size_t k = 0; k < POINTS; ++k) {
            const double size = std::pow(10.0, static_cast<double>(random() % 1800) / 100 - 12);
            column[i].push_back(random() % 8 == 0   ? special[random() % special.size()]
                                : random() % 4 == 0 ? -size
                                                    : size);
        }
        columns[i] = column[i].data();
    }
    std::vector<double> values(POINTS);
    for (const auto& row : formula_table()) {
        row.evaluate_columns(columns, POINTS, values.data());
        for (std::size_t k = 0; k < POINTS; ++k) {
            const double one =
                row.evaluate({column[0][k], column[1][k], column[2][k], column[3][k]}).value;
            if (one != one && values[k] != values[k]) continue;
            ASSERT_EQ(zorvane::ieee754::bits_of(values[k]), zorvane::ieee754::bits_of(one))
                << row.keyword << " at point " << k;
        }
    }
}

}  // namespace
