// The narrow command path: bounds of every fixed-size buffer, checked with a
// guard byte planted just past the result buffer.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "command.h"

namespace {

using zorvane::RESULT_CAPACITY;

constexpr char GUARD = '\x5A';

// Evaluates into a buffer followed by a guard byte and checks the guard and
// the line's length before handing the line back.
std::string evaluate(const std::string& command) {
    std::array<char, RESULT_CAPACITY + 2> buffer;
    buffer.fill('\x7F');
    buffer.back() = GUARD;
    zorvane::evaluate_command(
        command.c_str(), std::span<char, RESULT_CAPACITY + 1>(buffer.data(), RESULT_CAPACITY + 1));
    EXPECT_EQ(buffer.back(), GUARD) << "overrun by: " << command.substr(0, 80);
    const void* terminator = std::memchr(buffer.data(), '\0', RESULT_CAPACITY + 1);
    EXPECT_NE(terminator, nullptr) << command.substr(0, 80);
    return terminator == nullptr ? std::string() : std::string(buffer.data());
}

struct BoundaryCase {
    std::string name;
    std::string command;
    std::string expected;
};

std::string padded(std::string command, std::size_t length) {
    command.resize(length, ' ');
    return command;
}

const std::string UNKNOWN_HEAD = "Error: Unknown formula '";
const std::string UNKNOWN_TAIL = "' or insufficient parameters";
const std::string INVALID_HEAD = "Error: Invalid number '";
const std::string TOO_LONG = "Error: Command longer than 255 characters";

std::vector<BoundaryCase> boundary_cases() {
    const std::string name27(27, 'n');
    const std::string name51 = std::string(50, 'q') + "Q";
    return {
        // the command: 255 narrow characters are accepted, 256 refused
        {"command of 255", padded("power_vi 12 0.5", 255), "Power = 6.000000 W"},
        {"command of 256", padded("power_vi 12 0.5", 256), TOO_LONG},
        {"spaces only, 255", std::string(255, ' '), ""},
        {"spaces only, 256", std::string(256, ' '), TOO_LONG},
        {"a megabyte", std::string(1 << 20, 'a'), TOO_LONG},
        // the formula name: 51 characters are copied and looked up, 52 are not
        {"name of 51", name51 + " 1", UNKNOWN_HEAD + std::string(24, 'q') + "..." + UNKNOWN_TAIL},
        {"name of 52", std::string(52, 'N') + " 1",
         UNKNOWN_HEAD + std::string(24, 'n') + "..." + UNKNOWN_TAIL},
        {"name of 255", std::string(255, 'n'),
         UNKNOWN_HEAD + std::string(24, 'n') + "..." + UNKNOWN_TAIL},
        // the echoed name: 27 characters fit a 79-character line, 28 are shortened
        {"echo of 27", name27, UNKNOWN_HEAD + name27 + UNKNOWN_TAIL},
        {"echo of 28", name27 + "X", UNKNOWN_HEAD + std::string(24, 'n') + "..." + UNKNOWN_TAIL},
        // the echoed token: 55 characters fit, 56 are shortened
        {"token of 55", "power_vi 1 " + std::string(55, 'x'),
         INVALID_HEAD + std::string(55, 'x') + "'"},
        {"token of 56", "power_vi 1 " + std::string(56, 'x'),
         INVALID_HEAD + std::string(52, 'x') + "...'"},
        {"token of 240", "power_vi 1 " + std::string(240, '9') + "x",
         INVALID_HEAD + std::string(52, '9') + "...'"},
        // a value: 240 digits are read whole
        {"value of 240 digits", "power_vi 1 0." + std::string(238, '0') + "5",
         "Power = 0.000000 W"},
    };
}

TEST(EvaluateCommand, EveryBoundaryHoldsOnBothSides) {
    for (const auto& c : boundary_cases()) {
        const std::string line = evaluate(c.command);
        EXPECT_EQ(line, c.expected) << c.name;
        EXPECT_LE(line.size(), RESULT_CAPACITY) << c.name;
    }
}

TEST(EvaluateCommand, LinesThatReachTheCapacityAreExactly79Characters) {
    EXPECT_EQ(evaluate(std::string(27, 'n')).size(), 79U);
    EXPECT_EQ(evaluate("characteristic_impedance_coax 1 10").size(), 79U);
    EXPECT_EQ(evaluate("power_vi 1 " + std::string(55, 'x')).size(), 79U);
    EXPECT_EQ(evaluate("power_vi 1 " + std::string(56, 'x')).size(), 79U);
    EXPECT_EQ(evaluate("power_vi 9.99e61 1").size(), 79U);
}

TEST(EvaluateCommand, ExtremeResultsNeverOverrun) {
    const char* const commands[] = {
        "power_vi 1.7976931348623157e308 1",
        "power_vi -1.7976931348623157e308 1",
        "power_vi 1e308 10",
        "power_vi -1e308 10",
        "power_vi 4.9406564584124654e-324 1",
        "antenna_gain_db -1 1",
        "characteristic_impedance_coax -1 10 1",
        "db_to_power_ratio 3080",
        "db_to_power_ratio -3240",
        "junction_temperature 1e308 -1e308 1e308",
    };
    for (const char* command : commands) {
        const std::string line = evaluate(command);
        EXPECT_FALSE(line.empty()) << command;
        EXPECT_EQ(line.rfind("Error", 0), std::string::npos) << command << " -> " << line;
    }
}

TEST(EvaluateCommand, NullAndEmptyCommandsGiveAnEmptyLine) {
    std::array<char, RESULT_CAPACITY + 1> buffer;
    buffer.fill('x');
    zorvane::evaluate_command(nullptr, buffer);
    EXPECT_EQ(buffer[0], '\0');
    buffer.fill('x');
    zorvane::evaluate_command("", buffer);
    EXPECT_EQ(buffer[0], '\0');
}

// The core keeps no state: concurrent evaluations into separate buffers do
// not disturb each other.
TEST(EvaluateCommand, IsReentrant) {
    const std::pair<const char*, const char*> work[] = {
        {"power_vi 12 0.5", "Power = 6.000000 W"},
        {"resistors_parallel 1000 2000 7 8 9", "Parallel Resistance = 666.666667 ?"},
        {"nosuch 1 2", "Error: Unknown formula 'nosuch' or insufficient parameters"},
        {"ohms_voltage 1 x", "Error: Invalid number 'x'"},
    };
    std::vector<std::thread> threads;
    std::array<int, std::size(work)> failures{};
    for (std::size_t t = 0; t < std::size(work); ++t) {
        threads.emplace_back([&, t] {
            std::array<char, RESULT_CAPACITY + 1> buffer{};
            for (int i = 0; i < 20000; ++i) {
                zorvane::evaluate_command(work[t].first, buffer);
                if (std::strcmp(buffer.data(), work[t].second) != 0) ++failures[t];
            }
        });
    }
    for (auto& thread : threads) thread.join();
    for (std::size_t t = 0; t < std::size(work); ++t) EXPECT_EQ(failures[t], 0) << work[t].first;
}

// The outcome before rendering: what the hosts' hints and renderings read.
TEST(Evaluate, TellsEachKindOfOutcomeApart) {
    using Kind = zorvane::Outcome::Kind;
    const struct {
        std::string command;
        Kind kind;
        std::string name;
        const char* token;
        const char* formula;  // null: no row
        int value_count;
    } cases[] = {
        {"", Kind::empty, "", "", nullptr, 0},
        {"    ", Kind::empty, "", "", nullptr, 0},
        {std::string(256, ' '), Kind::too_long, "", "", nullptr, 0},
        {"Power_VI 12 0.5", Kind::result, "Power_VI", "", "power_vi", 2},
        {"power_vi 12 0.5 7 8 9", Kind::result, "power_vi", "", "power_vi", 4},
        {"power_vi 12 1,5 x", Kind::invalid_number, "power_vi", "1,5", nullptr, 1},
        {"nosuch 1 1K", Kind::invalid_number, "nosuch", "1K", nullptr, 1},
        {"OHMS_current 12", Kind::unknown_formula, "OHMS_current", "", "ohms_current", 1},
        {"ohms_curent 12 1000", Kind::unknown_formula, "ohms_curent", "", nullptr, 2},
        {std::string(52, 'a'), Kind::unknown_formula, std::string(52, 'a'), "", nullptr, 0},
    };
    for (const auto& c : cases) {
        const zorvane::Outcome outcome = zorvane::evaluate(c.command);
        EXPECT_EQ(outcome.kind, c.kind) << c.command;
        EXPECT_EQ(outcome.name, c.name) << c.command;
        EXPECT_EQ(outcome.token, c.token) << c.command;
        EXPECT_EQ(outcome.formula == nullptr ? "" : outcome.formula->keyword,
                  c.formula == nullptr ? "" : c.formula)
            << c.command;
        EXPECT_EQ(outcome.value_count, c.value_count) << c.command;
    }
    EXPECT_EQ(zorvane::evaluate("power_vi 12 0.5").value, 6.0);
    EXPECT_EQ(zorvane::evaluate("ohms_current 1 0").value, 0.0);
}

// Hosts may build an outcome themselves: one that claims a result but names
// no formula renders as the empty line, never through a null row.
TEST(Render, AResultWithoutAFormulaIsTheEmptyLine) {
    std::array<char, zorvane::RESULT_CAPACITY + 1> line;
    line.fill('x');
    zorvane::Outcome outcome;
    outcome.kind = zorvane::Outcome::result;
    outcome.value = 6.0;
    EXPECT_EQ(zorvane::render(outcome, line), 0U);
    EXPECT_EQ(line[0], '\0');
    outcome.formula = zorvane::find_keyword("power_vi");
    ASSERT_NE(outcome.formula, nullptr);
    EXPECT_EQ(std::string_view(line.data(), zorvane::render(outcome, line)), "Power = 6.000000 W");
}

}  // namespace
