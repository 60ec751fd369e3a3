#include <gtest/gtest.h>

#include "engineering_notation.h"

namespace {

struct Case {
    const char* command;
    const char* expanded;
};

TEST(EngineeringNotation, ExpandsValueTokensToPlainDecimal) {
    const Case cases[] = {
        {"capacitor_reactance 1k 1u", "capacitor_reactance 1000 0.000001"},
        {"power_vi 4.7k 2.2m", "power_vi 4700 0.0022"},
        {"x 1p 1n 1u 1m", "x 0.000000000001 0.000000001 0.000001 0.001"},
        {"x 1k 1M 1G 1T", "x 1000 1000000 1000000000 1000000000000"},
        {"x 1\xC2\xB5 2\xCE\xBC", "x 0.000001 0.000002"},
        {"x -4.7k +1.5M", "x -4700 +1500000"},
        {"x .5m 5.k 0.001k 000.5k", "x 0.0005 5000 1 500"},
        {"1k 1k", "1k 1000"},
        {"x 12345.678m", "x 12.345678"},
        {"x 100n", "x 0.000000100"},
    };
    for (const auto& [command, expanded] : cases) {
        EXPECT_EQ(zorvane_calc::expand_engineering_notation(command), expanded) << command;
    }
}

TEST(EngineeringNotation, LeavesEverythingElseAsTyped) {
    const char* const unchanged[] = {
        "1k",                  // the formula name is never a value
        "x k m",               // a prefix alone
        "x 1kk 1km 1e3k",      // two prefixes, or an exponent before one
        "x 1K 1U 1x",          // not prefixes
        "x 1.2.3k --1k .k",    // not numbers
        "x  1   2 ",           // spacing kept
        "x\t1k",               // a tab belongs to the token
        "",
    };
    for (const char* command : unchanged) {
        EXPECT_EQ(zorvane_calc::expand_engineering_notation(command), command) << command;
    }
}

}  // namespace
