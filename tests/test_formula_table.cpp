// Invariants of the table that a mistyped row would break.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "formulas/formula_table.h"

namespace {

using zorvane::find_formula;
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

TEST(FormulaTable, LookupNeedsTheRequiredCount) {
    for (const auto& row : formula_table()) {
        for (int count = 0; count <= zorvane::MAX_VALUES; ++count) {
            EXPECT_EQ(zorvane::find_keyword(row.keyword), &row);
            const auto* found = find_formula(row.keyword, count);
            if (count < row.required_count) {
                EXPECT_EQ(found, nullptr) << row.keyword << " with " << count;
            } else {
                EXPECT_EQ(found, &row) << row.keyword << " with " << count;
            }
        }
    }
    EXPECT_EQ(find_formula("", 4), nullptr);
    EXPECT_EQ(find_formula("power_v", 4), nullptr);
    EXPECT_EQ(find_formula("power_vii", 4), nullptr);
    EXPECT_EQ(find_formula("POWER_VI", 4), nullptr);
    EXPECT_EQ(zorvane::find_keyword(std::string_view("power_vi\0", 9)), nullptr);
    EXPECT_EQ(zorvane::find_keyword("ohms_voltage_"), nullptr);
}

}  // namespace
