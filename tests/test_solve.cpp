// Questions answered through the host: solving for a value written ?, the
// standard neighbours of a solution, the best pair, worst-case ranges, units
// on values. Solutions are checked against the reference model's known
// values and by the solution rule itself, through the module's own path.
#include <gtest/gtest.h>

#include <algorithm>
#include <boost/math/tools/minima.hpp>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "command.h"
#include "number_text.h"
#include "roots.h"
#include "support/counting_row.h"
#include "support/vector_file.h"
#include "zorvane_host/host.h"

namespace {

namespace host = zorvane::host;

std::string utf8(std::u16string_view text) {
    std::string out;
    host::append_utf8_from_utf16(text, out);
    return out;
}

// The module's outcome for `keyword` with `values`, each written "%.17g",
// which reads back as the same double.
zorvane::Outcome module_at(const std::string& keyword, const std::vector<double>& values) {
    std::string command = keyword;
    for (const double value : values) {
        char text[40];
        std::snprintf(text, sizeof text, " %.17g", value);
        command += text;
    }
    return zorvane::evaluate(command);
}

// The rule a solution keeps: the module gives the target at it, or the
// target lies strictly between its results there and at a neighbouring
// double; never where a zero guard answered.
testing::AssertionResult is_solution(const std::string& keyword, std::vector<double> values,
                                     std::size_t at, double solution, double target) {
    const auto result = [&](double x) {
        values[at] = x;
        return module_at(keyword, values);
    };
    const zorvane::Outcome here = result(solution);
    if (here.kind != zorvane::Outcome::result || here.guarded) {
        return testing::AssertionFailure() << solution << " is guarded or not a result";
    }
    if (here.value == target) return testing::AssertionSuccess();
    for (const double direction : {-INFINITY, INFINITY}) {
        const zorvane::Outcome next = result(std::nextafter(solution, direction));
        if (next.kind == zorvane::Outcome::result && !next.guarded &&
            std::min(here.value, next.value) < target &&
            target < std::max(here.value, next.value)) {
            return testing::AssertionSuccess();
        }
    }
    return testing::AssertionFailure()
           << std::hexfloat << solution << " gives " << here.value << ", not " << target;
}

struct Question {
    std::string keyword;
    std::vector<double> values;  // the unknown as 0
    std::size_t at = 0;          // which value is ?
    double target = 0.0;
};

// "keyword v1 ? v3 = target", plain numbers.
Question read_question(const std::string& command) {
    Question question;
    std::istringstream words(command);
    words >> question.keyword;
    for (std::string word; words >> word && word != "=";) {
        if (word == "?") question.at = question.values.size();
        question.values.push_back(word == "?" ? 0.0 : std::strtod(word.c_str(), nullptr));
    }
    std::string target;
    words >> target;
    question.target = std::strtod(target.c_str(), nullptr);
    return question;
}

// For every argument of every formula: the known value (and its twin where
// the formula reaches the target twice) among the solutions, each solution
// keeping the rule. A known value where the formula is flat (the reference
// model finds no slope) may give "every value" instead.
TEST(Solve, FindsEveryKnownValueOfEveryArgument) {
    const auto vectors = zorvane_test::load_vectors(ZORVANE_SOLVE_VECTORS);
    ASSERT_GT(vectors.size(), 1000U);
    int two_roots = 0;
    int failures = 0;
    for (const auto& vector : vectors) {
        const std::string command = utf8(vector.command);
        const Question question = read_question(command);
        struct Expected {
            double value;
            double closeness;
        };
        std::vector<Expected> expected;
        std::istringstream fields(utf8(vector.expected));
        bool flat = false;
        for (std::string field; fields >> field;) {
            const std::size_t colon = field.find(':');
            expected.push_back({std::strtod(field.substr(0, colon).c_str(), nullptr),
                                std::strtod(field.substr(colon + 1).c_str(), nullptr)});
            flat = flat || !std::isfinite(expected.back().closeness);
        }
        const host::Solved solved = host::solve(command);
        const std::string where = vector.where + ": " + command + " gave " + solved.line;
        for (const double solution : solved.solutions) {
            EXPECT_TRUE(is_solution(question.keyword, question.values, question.at, solution,
                                    question.target))
                << where;
        }
        if (flat) {
            if (solved.error) {
                EXPECT_TRUE(solved.line.starts_with("Error: Every ")) << where;
            }
            continue;
        }
        bool found = !solved.error && solved.solutions.size() == expected.size();
        for (std::size_t i = 0; found && i < expected.size(); ++i) {
            found = std::abs(solved.solutions[i] - expected[i].value) <= expected[i].closeness;
        }
        if (!found && ++failures <= 20)
            ADD_FAILURE() << where << "; expected " << utf8(vector.expected);
        two_roots += expected.size() == 2 ? 1 : 0;
    }
    EXPECT_EQ(failures, 0);
    EXPECT_GT(two_roots, 60);
}

// Whether `x` lies in one of the stretches a reply reports.
bool in_stretch(const host::Solved& solved, double x) {
    return std::any_of(solved.stretches.begin(), solved.stretches.end(),
                       [x](const host::SolvedStretch& s) { return s.from <= x && x <= s.to; });
}

// The property over the whole range of doubles: the unknown drawn from
// 1e-300 to 1e300 (either sign where the domain has them), the target what
// the reference model computes there. The reply never says no value gives
// it; every solution keeps the rule; the drawn value is a solution (within
// the reference model's closeness, reproducing the target exactly) or lies
// in a reported stretch, unless the row is flat there.
TEST(Solve, FindsTheValueAnywhereInTheRangeOfDoubles) {
    const auto vectors = zorvane_test::load_vectors(ZORVANE_WIDE_SOLVE_VECTORS);
    ASSERT_GT(vectors.size(), 4000U);
    int failures = 0;
    int stretches = 0;
    const auto failed = [&failures](const std::string& what) {
        if (++failures <= 20) ADD_FAILURE() << what;
    };
    for (const auto& vector : vectors) {
        const std::string command = utf8(vector.command);
        const Question question = read_question(command);
        const host::Solved solved = host::solve(command);
        const std::string where = vector.where + ": " + command + " gave " + solved.line;
        if (solved.error) {
            if (!solved.line.starts_with("Error: Every ")) failed(where);
            continue;
        }
        for (const double solution : solved.solutions) {
            if (!is_solution(question.keyword, question.values, question.at, solution,
                             question.target)) {
                failed(where);
            }
        }
        stretches += solved.stretches.empty() ? 0 : 1;
        std::istringstream fields(utf8(vector.expected));
        for (std::string field; fields >> field;) {
            const std::size_t colon = field.find(':');
            const double x = std::strtod(field.substr(0, colon).c_str(), nullptr);
            const double closeness = std::strtod(field.substr(colon + 1).c_str(), nullptr);
            if (!std::isfinite(closeness) || in_stretch(solved, x)) continue;
            const bool found =
                std::any_of(solved.solutions.begin(), solved.solutions.end(), [&](double solution) {
                    std::vector<double> values = question.values;
                    values[question.at] = solution;
                    const zorvane::Outcome at = module_at(question.keyword, values);
                    return std::abs(solution - x) <= closeness && at.value == question.target;
                });
            if (!found) failed(where + "; expected " + utf8(vector.expected));
        }
    }
    EXPECT_EQ(failures, 0);
    EXPECT_GT(stretches, 50);
}

// The edges the property found, and the faults it would let through on its
// own, each with its whole line.
TEST(Solve, AnswersTruthfullyAtTheEdges) {
    const struct {
        const char* command;
        const char* line;
    } cases[] = {
        // The bottom of the series RLC at resonance is a solution: of the
        // doubles that give 10 Ω there, the shortest text.
        {"impedance_rlc_series 10 ? 1e-3 1e-6 = 10", "frequency = 5032.9212 Hz"},
        // A stretch's ends are the first and last doubles that give the
        // target; past it the results rise again.
        {"impedance_rlc_series 1e10 ? 1e-3 1e-6 = 1e10",
         "Every frequency from 976.974952558757 to 25927.27259203475 Hz gives RLC Series "
         "Impedance = 1e+10 \xCE\xA9"},
        {"impedance_rl 79550 ? 5.181e-08 = 79550",
         "Every frequency below 3674.1104876216546 Hz gives RL Impedance = 79550 \xCE\xA9"},
        {"capacitor_charge ? 1e-300 = 0",
         "Every capacitance below 2.4703282292062325e-24 F gives Charge = 0 C"},
        // Through zero: where the product underflows either side of it.
        {"ohms_voltage ? 1e-300 = 0",
         "Every current from -2.4703282292062325e-24 to 2.4703282292062325e-24 A gives Voltage = "
         "0 V"},
        // The product over a sum that has stopped moving rounds either side
        // of 176.5 here and there, and overflows at the top.
        {"resistors_parallel 176.5 ? = 176.5",
         "Many r2 from 1000000000000001024 to 1.0185230225848814e+306 \xCE\xA9 give Parallel "
         "Resistance = 176.5 \xCE\xA9, not every one"},
        // A root, and a stretch after it: where the inductance is tiny beside
        // the capacitor's reactance, the capacitor decides the impedance.
        {"impedance_rlc_series 4700 12.7 ? 1e-05 = 4864.2040959872365",
         "inductance = 31.4096297483801 H; every inductance below 1.4247104084944997e-15 H gives "
         "RLC Series Impedance = 4864.2040959872365 \xCE\xA9"},
        // Large targets: results that overflow at the grid's next point.
        {"db_to_power_ratio ? = 1e200", "db = 2000 dB"},
        {"inductor_reactance 164.4 ? = 3.1742727570097046e+240", "inductance = 3.073e+237 H"},
        {"capacitor_charge 8.354e-11 ? = 2.4368618e+179", "voltage = 2.917e+189 V"},
        {"current_divider ? 673700 31760 = 1.0561755450344457e+214", "itotal = 2.346e+215 A"},
        // Zero itself is a value of a signed quantity.
        {"power_vi 5 ? = 0", "current = 0 A"},
        // The pole at r2 = 3, between two grid points, is no root.
        {"resistors_parallel -3 ? = 1", "r2 = 0.75 \xCE\xA9"},
        // Of two adjacent doubles around the target, the nearer.
        {"db_to_power_ratio ? = 123456.7", "db = 50.91514664086262 dB"},
        {"power_ratio_to_db ? = -4.506288476668228", "power_ratio = 0.3543"},
        {"gain_db ? = 20", "gain_ratio = 10"},
    };
    for (const auto& c : cases) {
        const host::Solved solved = host::solve(c.command);
        EXPECT_FALSE(solved.error) << c.command;
        EXPECT_EQ(solved.line, c.line) << c.command;
    }
    // The stretch's ends give the target and the doubles just outside do not.
    const host::Solved stretch = host::solve("impedance_rlc_series 1e10 ? 1e-3 1e-6 = 1e10");
    ASSERT_EQ(stretch.stretches.size(), 1U);
    const host::SolvedStretch& s = stretch.stretches[0];
    const auto gives = [](double f) {
        return module_at("impedance_rlc_series", {1e10, f, 1e-3, 1e-6}).value == 1e10;
    };
    EXPECT_TRUE(gives(s.from) && gives(s.to) && gives(15000.0));
    EXPECT_FALSE(gives(std::nextafter(s.from, 0.0)) || gives(std::nextafter(s.to, INFINITY)));
}

// The questions every platform's build answers alike (the qemu targets, Wine
// and node read the same file): the lines the reference model writes.
TEST(Solve, WritesTheSharedVectorsLines) {
    const auto vectors = zorvane_test::load_vectors(ZORVANE_VECTOR_DIR "/solve.tsv");
    ASSERT_GT(vectors.size(), 250U);
    for (const auto& vector : vectors) {
        const std::string command = utf8(vector.command);
        EXPECT_EQ(host::solve(command).line, utf8(vector.expected))
            << vector.where << ": " << command;
    }
}

// The series RLC reaches one impedance below and above resonance: twice in
// frequency, inductance and capacitance alike.
TEST(Solve, FindsBothRootsOfTheSeriesRlc) {
    const struct {
        const char* command;
        std::size_t count;
    } cases[] = {
        {"impedance_rlc_series 10 ? 0.001 0.000001 = 50", 2},
        {"impedance_rlc_series 10 1000 ? 0.000001 = 50", 2},
        {"impedance_rlc_series 10 10000 0.001 ? = 50", 2},
        // Just above the resistance: two roots a hair either side of resonance.
        {"impedance_rlc_series 10 ? 0.001 0.000001 = 10.001", 2},
        {"impedance_rlc_series 10 ? 0.001 0.000001 = 10.000000001", 2},
    };
    for (const auto& c : cases) {
        const host::Solved solved = host::solve(c.command);
        ASSERT_EQ(solved.solutions.size(), c.count) << c.command << ": " << solved.line;
        const Question question = read_question(c.command);
        for (const double solution : solved.solutions) {
            EXPECT_TRUE(is_solution(question.keyword, question.values, question.at, solution,
                                    question.target))
                << c.command;
        }
    }
}

TEST(Solve, WritesOneLineInEitherNotation) {
    const auto e24 = host::series_named("E24");
    const auto e12 = host::series_named("E12");
    const struct {
        const char* command;
        std::optional<host::Series> series;
        const char* line;
        const char* engineering;
    } cases[] = {
        // 3793.103448275862 gives 3.3 exactly; 5000/1005 rounds to 4.975124378109452.
        {"voltage_divider 12 10k ? = 3.3",
         {},
         "r2 = 3793.103448275862 \xCE\xA9",
         "r2 = 3.7931 k\xCE\xA9"},
        {"voltage_divider 12V 10k\xCE\xA9 ?=3.3V",
         {},
         "r2 = 3793.103448275862 \xCE\xA9",
         "r2 = 3.7931 k\xCE\xA9"},
        {"VOLTAGE_DIVIDER 12 10kohm ?= 3300mV",
         {},
         "r2 = 3793.103448275862 \xCE\xA9",
         "r2 = 3.7931 k\xCE\xA9"},
        // Of 0.1 and its lower neighbour (whose results lie either side of
        // 1), the shorter text.
        {"power_i2r ? 100 = 1", {}, "current = -0.1 A or 0.1 A", "current = -100 mA or 100 mA"},
        // Even in the current: solutions of one magnitude, whichever side.
        {"power_i2r ? 464 = 2",
         {},
         "current = -0.06565321642986127 A or 0.06565321642986127 A",
         "current = -65.6532 mA or 65.6532 mA"},
        // A pole at r2 = 1000 (a zero sum the guards do not cover) is no root.
        {"resistors_parallel -1000 ? = 5",
         {},
         "r2 = 4.975124378109452 \xCE\xA9",
         "r2 = 4.97512 \xCE\xA9"},
        // A guard's 0 is never a solution: the negative ratios give 0 dB by it.
        {"gain_db ? = 0", {}, "gain_ratio = 1", "gain_ratio = 1"},
        {"junction_temperature 25\xC2\xB0"
         "C ? 10W = 45\xC2\xB0"
         "C",
         {},
         "thermal_resistance = 2 \xC2\xB0"
         "C/W",
         "thermal_resistance = 2 \xC2\xB0"
         "C/W"},
        {"voltage_divider 12 10k ? = 3.3", e24,
         "r2 = 3793.103448275862 \xCE\xA9; E24: 3600 \xCE\xA9 \xE2\x86\x92 3.176471 V (-3.74%), "
         "3900 \xCE\xA9 \xE2\x86\x92 3.366906 V (+2.03%)",
         "r2 = 3.7931 k\xCE\xA9; E24: 3.6 k\xCE\xA9 \xE2\x86\x92 3.17647 V (-3.74%), "
         "3.9 k\xCE\xA9 \xE2\x86\x92 3.36691 V (+2.03%)"},
        {"voltage_divider 12 10k ? = 3.3", e12,
         "r2 = 3793.103448275862 \xCE\xA9; E12: 3300 \xCE\xA9 \xE2\x86\x92 2.977444 V (-9.77%), "
         "3900 \xCE\xA9 \xE2\x86\x92 3.366906 V (+2.03%)",
         "r2 = 3.7931 k\xCE\xA9; E12: 3.3 k\xCE\xA9 \xE2\x86\x92 2.97744 V (-9.77%), "
         "3.9 k\xCE\xA9 \xE2\x86\x92 3.36691 V (+2.03%)"},
        // A standard solution is its own neighbour.
        {"voltage_divider 12 10k ? = 3.836734693877551", e12,
         "r2 = 4700 \xCE\xA9; E12: 4700 \xCE\xA9 \xE2\x86\x92 3.836735 V (+0.00%)",
         "r2 = 4.7 k\xCE\xA9; E12: 4.7 k\xCE\xA9 \xE2\x86\x92 3.83673 V (+0.00%)"},
        // Standard values are for parts: a resistance, capacitance or inductance.
        {"junction_temperature -20 ? 10 = 0", e12,
         "thermal_resistance = 2 \xC2\xB0"
         "C/W",
         "thermal_resistance = 2 \xC2\xB0"
         "C/W"},
        {"junction_temperature ? 2 10 = 0", e12,
         "ambient_temp = -20 \xC2\xB0"
         "C",
         "ambient_temp = -20 \xC2\xB0"
         "C"},
    };
    for (const auto& c : cases) {
        host::QuestionOptions options;
        options.series = c.series;
        const host::Solved solved = host::solve(c.command, options);
        EXPECT_FALSE(solved.error) << c.command;
        EXPECT_EQ(solved.line, c.line) << c.command;
        EXPECT_EQ(solved.engineering, c.engineering) << c.command;
        EXPECT_GT(solved.evaluations, 0);
        EXPECT_LT(solved.evaluations, 1600) << c.command;  // the grid, and a few dozen per root
    }
}

// A search's evaluations are the row's calls, counted from outside by a
// row that counts them: every argument of every row, solved for a result
// the row gives at drawn values.
TEST(Solve, EvaluationsAreTheRowsCalls) {
    std::mt19937_64 random(20261215);
    for (const zorvane::Formula& row : zorvane::formula_table()) {
        for (int argument = 0; argument < row.required_count; ++argument) {
            zorvane::Values values{};
            for (int i = 0; i < row.required_count; ++i) {
                values[static_cast<std::size_t>(i)] = static_cast<double>(1 + random() % 999);
            }
            const double target = row.evaluate(values).value;
            const zorvane_test::CountingRow counting(row);
            const host::RootSearch search =
                host::find_roots(counting.row(), values, argument, target);
            EXPECT_EQ(search.evaluations, counting.calls()) << row.keyword << " " << argument;
        }
    }
}

// A turn of the results that stays clear of the target is looked at once:
// the series RLC's impedance never falls below its 10 Ω, asked for 5 Ω,
// turns at resonance (5 kHz) between the grid's 1 kHz and 100 kHz. There
// the search spends one minimisation (Brent's, in the frequency's
// logarithm, to half a double's bits: run here apart, and counted) and a
// last look at the turn found; nothing more, and no answer.
TEST(Solve, ATurnThatMissesTheTargetIsLookedAtOnce) {
    const zorvane::Formula& rlc = *zorvane::find_keyword("impedance_rlc_series");
    const zorvane::Values values{10.0, 1.0, 1e-3, 1e-6};
    const double target = 5.0;
    const zorvane_test::CountingRow counting(rlc);
    const host::RootSearch search = host::find_roots(counting.row(), values, 1, target);
    EXPECT_TRUE(search.roots.empty() && search.stretches.empty());
    EXPECT_EQ(search.evaluations, counting.calls());
    const auto near_turn = std::count_if(
        counting.points().begin(), counting.points().end(),
        [](const zorvane::Values& point) { return point[1] > 1e3 && point[1] < 1e5; });
    long minimisation = 0;
    const auto distance = [&](double u) {
        ++minimisation;
        zorvane::Values point = values;
        point[1] = std::exp(u);
        return rlc.evaluate(point).value - target;
    };
    std::uintmax_t steps = 100;
    boost::math::tools::brent_find_minima(distance, std::log(1e3), std::log(1e5),
                                          std::numeric_limits<double>::digits / 2, steps);
    EXPECT_EQ(near_turn, minimisation + 1);
}

TEST(Solve, ExplainsWhatHasNoAnswer) {
    const struct {
        const char* command;
        const char* line;
        std::vector<std::string> hints;
    } cases[] = {
        {"voltage_divider 12 10k ? = 15",
         "Error: No r2 gives Output Voltage = 15 V",
         {"Output Voltage stays between 0 and 12 V for any r2"}},
        // The guard's 0 at r = 0 and base current 0 is no solution.
        // The reach runs to the last finite result before the division
        // overflows (the largest double), not to the grid's last one.
        {"ohms_current 12 ? = 0",
         "Error: No resistance gives Current = 0 A",
         {"Current stays between 6.67522e-308 and 1.79769e+308 A for any resistance"}},
        {"db_to_power_ratio ? = -1",
         "Error: No db gives Power Ratio = -1",
         {"Power Ratio stays between 0 and 1.79769e+308 for any db"}},
        {"transistor_beta 1m ? = 0", "Error: No base_current gives Beta (hFE) = 0", {}},
        {"power_vi 0 ? = 0",
         "Error: Every current gives Power = 0 W",
         {"the other values decide Power there, not current"}},
        {"power_vi 0 ? = 1",
         "Error: No current gives Power = 1 W",
         {"Power is 0 W for any current"}},
        {"voltage_divider 12 10k ?",
         "Error: A value written ? needs the result wanted after '='",
         {}},
        {"voltage_divider 12 10k 5k = 3", "Error: '=' needs a value written ?", {}},
        // Nothing written ?: a plain command, or one for a range.
        {"voltage_divider 12 10k 5k",
         "Error: Solving needs a value written ? and the result wanted after '='",
         {}},
        {"voltage_divider 12 10k\xC2\xB1"
         "1% 5k",
         "Error: Solving needs a value written ? and the result wanted after '='",
         {}},
        {"voltage_divider 12 ? ? = 3",
         "Error: Two values written ? need a series of standard values",
         {}},
        {"voltage_divider ? ? ? = 3", "Error: At most two values may be ?", {}},
        {"power_vi 12 1 ? = 3",
         "Error: ? stands for one of the 2 values of power_vi",
         {"power_vi <voltage> <current>"}},
        {"voltage_divider 12 10k ? =",
         "Error: No result after '='",
         {"write the result wanted on one word: = 3.3V"}},
        {"voltage_divider 12 10k ? = 3.3 V",
         "Error: One result after '='",
         {"write the result wanted on one word: = 3.3V"}},
        {"voltage_divider 12 10k ? = 3.3A",
         "Error: Invalid number '3.3A'",
         {"Output Voltage is in V"}},
        {"voltage_divider 12 10k\xC2\xB1"
         "1% ? = 3",
         "Error: Tolerances do not go with ? or '='",
         {}},
        // The module's own lines for what it cannot read.
        {"voltage_divider 12 10kA ? = 3", "Error: Invalid number '10kA'", {"<r1> is in \xCE\xA9"}},
        {"voltage_divider 12 ? = 3",
         "Error: Unknown formula 'voltage_divider' or insufficient parameters",
         {"voltage_divider needs 3 values: <vin> <r1> <r2>"}},
        {"nosuch ? = 3", "Error: Unknown formula 'nosuch' or insufficient parameters", {}},
        {"voltage_divider 12 10k ?\? = 3", "Error: Invalid number '?\?'", {}},
    };
    for (const auto& c : cases) {
        const host::Solved solved = host::solve(c.command);
        EXPECT_TRUE(solved.error) << c.command;
        EXPECT_EQ(solved.line, c.line) << c.command;
        EXPECT_EQ(solved.engineering, solved.line) << c.command;
        EXPECT_EQ(solved.hints, c.hints) << c.command;
        EXPECT_TRUE(solved.solutions.empty()) << c.command;
    }
    const std::string long_command = "voltage_divider 12 10k ? = 3" + std::string(300, ' ');
    EXPECT_EQ(host::solve(long_command).line, "Error: Command longer than 255 characters");
}

TEST(Questions, PairsRangesAndTheirDispatch) {
    const auto e24 = *host::series_named("E24");
    const host::Paired pair = host::pair("voltage_divider 12 ? ? = 3.3", e24);
    EXPECT_EQ(pair.line,
              "r1 = 24000 \xCE\xA9, r2 = 9100 \xCE\xA9 (Output Voltage = 3.299094 V, -0.03%)");
    EXPECT_EQ(pair.engineering,
              "r1 = 24 k\xCE\xA9, r2 = 9.1 k\xCE\xA9 (Output Voltage = 3.29909 V, -0.03%)");
    EXPECT_EQ(pair.values, (std::array<double, 2>{24000.0, 9100.0}));
    // Nearest to a target of zero: the smallest sum the range allows, and
    // the difference itself in place of a percentage.
    EXPECT_EQ(host::pair("resistors_series ? ? = 0", e24).line,
              "r1 = 100 \xCE\xA9, r2 = 100 \xCE\xA9 (Series Resistance = 200.000000 \xCE\xA9, +200 "
              "\xCE\xA9)");
    EXPECT_EQ(host::pair("voltage_divider ? 10k ? = 3.3", e24).line,
              "Error: A pair is of two resistances, two capacitances or two inductances");
    EXPECT_EQ(host::pair("voltage_divider 12 10k ? = 3.3", e24).line,
              "Error: A pair needs two values written ?");

    // 12 x 4.7 / 14.8 and 12 x 4.7 / 14.6, with r1 at 10.1k and 9.9k.
    const host::Ranged ranged = host::range(
        "voltage_divider 12 10k\xC2\xB1"
        "1% 4.7k");
    EXPECT_EQ(ranged.line, "Output Voltage = 3.836735 V (3.810811 .. 3.863014 V)");
    EXPECT_EQ(ranged.engineering, "Output Voltage = 3.83673 V (3.81081 .. 3.86301 V)");
    EXPECT_EQ(host::range("voltage_divider 12 10k+-1% 4.7k").line, ranged.line);
    EXPECT_EQ(host::range("power_vi 1 2").line, "Error: No value carries a tolerance");
    EXPECT_EQ(host::range("power_vi 1\xC2\xB1x% 2").line, "Error: Invalid number '1\xC2\xB1x%'");
    // Prefixes that differ show each their own unit.
    EXPECT_EQ(host::range("power_vi 1\xC2\xB1"
                          "50% 1")
                  .engineering,
              "Power = 1 W (500 mW .. 1.5 W)");

    host::QuestionOptions with_series;
    with_series.series = e24;
    EXPECT_EQ(host::ask("voltage_divider 12 ? ? = 3.3", with_series).line, pair.line);
    EXPECT_EQ(host::ask("voltage_divider 12 10k\xC2\xB1"
                        "1% 4.7k")
                  .line,
              ranged.line);
    EXPECT_EQ(host::ask("power_vi 12V 0.5A").line, "Power = 6.000000 W");
    EXPECT_FALSE(host::ask("power_vi 12V 0.5A").error);
    EXPECT_EQ(host::ask("power_vi 12A 0.5").hints, std::vector<std::string>{"<voltage> is in V"});

    for (const char* question : {"x ? = 1", "x 1 =1",
                                 "x 1\xC2\xB1"
                                 "1%",
                                 "x 1+-1%", "x ?"}) {
        EXPECT_TRUE(host::is_question(question)) << question;
    }
    for (const char* plain : {"power_vi 1 2", "?", "a?b", "power_vi -1 +2", ""}) {
        EXPECT_FALSE(host::is_question(plain)) << plain;
    }
}

// The range's extremes, against the reference model's dense sampling, as the
// module prints values.
TEST(Questions, RangeLinesGiveTheSampledExtremes) {
    int checked = 0;
    host::Calculator calculator;
    for (const auto& [command, low, high] :
         zorvane_test::load_range_vectors(ZORVANE_RANGE_VECTORS)) {
        const host::Ranged ranged = host::range(command);
        if (!std::isfinite(low) || !std::isfinite(high)) continue;
        ASSERT_FALSE(ranged.error) << command << ": " << ranged.line;
        const double scale = std::fmax(std::fabs(low), std::fabs(high));
        EXPECT_NEAR(ranged.min, low, 1e-9 * scale) << command;
        EXPECT_NEAR(ranged.max, high, 1e-9 * scale) << command;
        char extremes[200];
        std::snprintf(extremes, sizeof extremes, " (%.6f .. %.6f", ranged.min, ranged.max);
        if (std::string(extremes).size() > 60) continue;  // the module's %.6e
        EXPECT_NE(ranged.line.find(extremes), std::string::npos) << command << ": " << ranged.line;
        // The module's line of the nominal values comes first.
        std::string nominal;
        std::istringstream words(command);
        for (std::string word; words >> word;) {
            nominal += word.substr(0, word.find("\xC2\xB1")) + " ";
        }
        EXPECT_TRUE(ranged.line.starts_with(calculator.evaluate(nominal).line + " (")) << command;
        ++checked;
    }
    EXPECT_GT(checked, 30);
}

// Solutions are written in the shortest text that reads back as the same
// double, as std::to_chars writes it (or, without it, its stand-in).
TEST(Solve, WritesValuesInTheShortestTextThatReadsBack) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {3793.103448275862, "3793.103448275862"},
        {0.1, "0.1"},
        {-0.1, "-0.1"},
        {1e-07, "1e-07"},
        {1e20, "1e+20"},
        {1000000.0, "1e+06"},
        {123456.0, "123456"},
        {0.001, "0.001"},
        {1.5e-05, "1.5e-05"},
        {5e-324, "5e-324"},
        {1.7976931348623157e308, "1.7976931348623157e+308"},
        {0.0, "0"},
        {-2.0, "-2"},
        {980215450921557376.0, "980215450921557376"},
        {1e22, "1e+22"},
    };
    for (const auto& c : cases) {
        std::string text;
        host::append_round_trip(c.value, text);
        EXPECT_EQ(text, c.text);
    }
    // Random doubles: the text reads back, and one digit fewer would not.
    std::uint64_t state = 20261207;
    for (int i = 0; i < 20000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        double value = 0;
        const std::uint64_t bits = state & 0x7FEFFFFFFFFFFFFFULL;
        std::memcpy(&value, &bits, sizeof value);
        std::string text;
        host::append_round_trip(value, text);
        ASSERT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
        const std::string mantissa = text.substr(0, text.find('e'));
        const std::size_t digits =
            mantissa.size() - (mantissa.find('.') == std::string::npos ? 0 : 1);
        char shorter[40];
        std::snprintf(shorter, sizeof shorter, "%.*e", static_cast<int>(digits) - 2, value);
        // (An integer is written with all its digits, as to_chars does.)
        const bool integer = text.find_first_of(".e") == std::string::npos;
        if (digits > 1 && !integer && mantissa.find_first_not_of("0.") == 0) {
            EXPECT_NE(std::strtod(shorter, nullptr), value) << text;
        }
    }
}

// A value in its argument's unit is the plain value: the same line.
TEST(Questions, UnitsOnValuesGiveThePlainValuesLine) {
    const struct {
        const char* with_units;
        const char* plain;
    } cases[] = {
        {"power_vi 12V 0.5A", "power_vi 12 0.5"},
        {"capacitor_reactance 1kHz 4.7uF", "capacitor_reactance 1000 0.0000047"},
        {"ohms_current 3.3V 10k\xCE\xA9", "ohms_current 3.3 10000"},
        {"ohms_current 3.3V 10kohm", "ohms_current 3.3 10000"},
        {"inductor_time_constant_lr 2.2mH 100ohms", "inductor_time_constant_lr 0.0022 100"},
        {"period_to_frequency 100ns", "period_to_frequency 0.0000001"},
        {"junction_temperature 25\xC2\xB0"
         "C 2\xC2\xB0"
         "C/W 10W",
         "junction_temperature 25 2 10"},
        {"db_to_power_ratio 3dB", "db_to_power_ratio 3"},
    };
    host::Calculator calculator;
    for (const auto& c : cases) {
        const std::string plain = calculator.evaluate(c.plain).line;
        EXPECT_EQ(calculator.evaluate(c.with_units).line, plain) << c.with_units;
        EXPECT_EQ(plain.rfind("Error", 0), std::string::npos) << c.plain;
    }
    EXPECT_EQ(calculator.evaluate("power_vi 12A 0.5").line, "Error: Invalid number '12A'");
    EXPECT_EQ(calculator.evaluate("power_vi 12V 0.5A", {.expand = false}).line,
              "Error: Invalid number '12V'");
}

}  // namespace

namespace {

// "a or b" of the part after " = " of a line, split at " or ".
std::vector<std::string> solution_texts(const std::string& line) {
    std::vector<std::string> texts;
    std::string rest = line.substr(line.find(" = ") + 3);
    for (std::size_t at; (at = rest.find(" or ")) != std::string::npos; rest.erase(0, at + 4)) {
        texts.push_back(rest.substr(0, at));
    }
    texts.push_back(rest);
    return texts;
}

// At a terminal a solution reads in engineering notation first, with the
// exact double after it: over the shared vectors, each value of the
// readable line is the engineering line's, followed by the exact line's in
// parentheses where the two differ.
TEST(Solve, ReadableLinesGiveEachEngineeringValueWithItsExactDouble) {
    int checked = 0;
    for (const auto& vector : zorvane_test::load_vectors(ZORVANE_VECTOR_DIR "/solve.tsv")) {
        const host::Solved solved = host::solve(utf8(vector.command));
        if (solved.error || !solved.stretches.empty()) continue;
        const std::vector<std::string> exact = solution_texts(solved.line);
        const std::vector<std::string> shown = solution_texts(solved.engineering);
        ASSERT_EQ(exact.size(), shown.size()) << solved.line;
        std::string expected = solved.line.substr(0, solved.line.find(" = ") + 3);
        for (std::size_t i = 0; i < exact.size(); ++i) {
            expected += (i == 0 ? "" : " or ") + shown[i];
            if (shown[i] != exact[i]) expected += " (" + exact[i] + ")";
        }
        EXPECT_EQ(solved.readable, expected) << utf8(vector.command);
        ++checked;
    }
    EXPECT_GT(checked, 200);
    // Stretches, neighbours and pairs alike; errors have no readable line.
    host::QuestionSettings e24;
    e24.series.every = host::series_named("E24");
    const struct {
        const char* command;
        const char* readable;
    } cases[] = {
        {"impedance_rl 79550 ? 5.181e-08 = 79550",
         "Every frequency below 3.67411 kHz (3674.1104876216546 Hz) gives RL Impedance = 79550 "
         "\xCE\xA9"},
        {"voltage_divider 12 10k ? = 3.3",
         "r2 = 3.7931 k\xCE\xA9 (3793.103448275862 \xCE\xA9); E24: 3.6 k\xCE\xA9 (3600 \xCE\xA9) "
         "\xE2\x86\x92 3.17647 V (-3.74%), 3.9 k\xCE\xA9 (3900 \xCE\xA9) \xE2\x86\x92 3.36691 V "
         "(+2.03%)"},
        {"voltage_divider 12 ? ? = 3.3",
         "r1 = 24 k\xCE\xA9 (24000 \xCE\xA9), r2 = 9.1 k\xCE\xA9 (9100 \xCE\xA9) (Output Voltage "
         "= 3.29909 V, -0.03%)"},
        {"power_i2r ? 100 = 1", "current = -100 mA (-0.1 A) or 100 mA (0.1 A)"},
        {"gain_db ? = 0", "gain_ratio = 1"},
        {"voltage_divider 12 10k ? = 15", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(host::ask(c.command, e24).readable, c.readable) << c.command;
    }
}

// With --tolerance, a pair's line gives its worst case: over generated
// targets and tolerances, the extremes of the formula at the four corners
// of the two parts' boxes (each formula here is monotone in both parts),
// evaluated through the module.
TEST(Questions, APairWithATolerancedGivesItsWorstCase) {
    std::mt19937_64 random(20261208);
    const struct {
        const char* formula;  // with "%s" for the target
        double low;
        double high;
    } shapes[] = {
        {"voltage_divider 12 ? ? = %.17g", 0.5, 11.5},
        {"resistors_parallel ? ? = %.17g", 100.0, 5e5},
        {"capacitors_series ? ? = %.17g", 1e-11, 5e-5},
    };
    const double percents[] = {0.1, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0};
    for (const auto& shape : shapes) {
        for (int round = 0; round < 12; ++round) {
            const double target =
                std::uniform_real_distribution<double>(shape.low, shape.high)(random);
            const double percent = percents[random() % std::size(percents)];
            char question[160];
            const int at = std::snprintf(question, sizeof question, "--tolerance %g%% ", percent);
            std::snprintf(question + at, sizeof question - static_cast<std::size_t>(at),
                          shape.formula, target);
            const host::Paired paired = host::pair(question, *host::series_named("E24"));
            ASSERT_FALSE(paired.error) << question << ": " << paired.line;
            ASSERT_TRUE(paired.part_tolerance.has_value()) << question;
            EXPECT_EQ(*paired.part_tolerance, percent / 100.0);
            double low = INFINITY;
            double high = -INFINITY;
            for (const double a : {1.0 - percent / 100.0, 1.0 + percent / 100.0}) {
                for (const double b : {1.0 - percent / 100.0, 1.0 + percent / 100.0}) {
                    std::vector<double> values = {12.0, paired.values[0] * a, paired.values[1] * b};
                    if (shape.formula[0] != 'v') values.erase(values.begin());
                    const std::string keyword(shape.formula, std::strchr(shape.formula, ' '));
                    const zorvane::Outcome corner = module_at(keyword, values);
                    low = std::min(low, corner.value);
                    high = std::max(high, corner.value);
                }
            }
            EXPECT_EQ(paired.min, low) << question;
            EXPECT_EQ(paired.max, high) << question;
            EXPECT_NE(paired.line.find(", worst case "), std::string::npos) << paired.line;
        }
    }
    // Without one, no worst case; with one for another kind only, an error.
    const host::Series e24 = *host::series_named("E24");
    EXPECT_FALSE(host::pair("voltage_divider 12 ? ? = 3.3", e24).part_tolerance);
    EXPECT_EQ(host::pair("--tolerance C=1% voltage_divider 12 ? ? = 3.3", e24).line,
              "Error: --tolerance has nothing to apply to: it names none of the pair's kind of "
              "part");
    EXPECT_EQ(host::ask("--series E24 --tolerance 100% voltage_divider 12 ? ? = 3.3").line,
              "Error: A pair's tolerance is from 0 to below 100 %");
}

}  // namespace
