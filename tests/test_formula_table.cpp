// Invariants of the table that a mistyped row would break.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "formula_table.h"

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

}  // namespace
