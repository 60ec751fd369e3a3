// What every host shares: the table as people read it, input notation, the
// evaluation rendered twice, engineering notation and hints.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "command.h"
#include "formula_table.h"
#include "significant_digits.h"
#include "support/vector_file.h"
#include "zorvane_host/host.h"

namespace {

namespace host = zorvane::host;
using zorvane_test::printable;

std::string utf8(std::u16string_view text) {
    std::string out;
    host::append_utf8_from_utf16(text, out);
    return out;
}

std::string read_bytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The module's lines, through the host's UTF-8 path: the shared vectors
// and the random ones of the reference model.
TEST(Calculator, GivesTheModulesLineForEveryVector) {
    host::Calculator calculator;
    int mismatches = 0;
    for (const char* file : {ZORVANE_VECTOR_DIR "/formulas.tsv", ZORVANE_VECTOR_DIR "/commands.tsv",
                             ZORVANE_VECTOR_DIR "/table_conversion.tsv", ZORVANE_RANDOM_VECTORS}) {
        for (const auto& vector : zorvane_test::load_vectors(file)) {
            const host::Answer& answer =
                calculator.evaluate(utf8(vector.command), {.expand = false});
            if (answer.line != utf8(vector.expected) && ++mismatches <= 20) {
                ADD_FAILURE() << vector.where << ": " << printable(vector.command) << " gave "
                              << answer.line;
            }
            EXPECT_EQ(answer.is_error(), answer.line.starts_with("Error: ")) << vector.where;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// Expected lines from the reference model's decimal arithmetic.
TEST(Calculator, RendersEngineeringNotationAsTheReferenceModel) {
    const auto vectors = zorvane_test::load_vectors(ZORVANE_ENGINEERING_VECTORS);
    ASSERT_GT(vectors.size(), 50U);
    host::Calculator calculator;
    for (const auto& vector : vectors) {
        EXPECT_EQ(calculator.evaluate(utf8(vector.command)).engineering, utf8(vector.expected))
            << vector.where << ": " << printable(vector.command);
    }
    const auto& error = calculator.evaluate("ohms_current 1 x");
    EXPECT_EQ(error.engineering, error.line);
}

// A value printed in engineering notation, typed back (its prefix as input
// notation), reads as a value with the same six significant digits.
TEST(Calculator, EngineeringValuesReadBackToTheSameDigits) {
    host::Calculator calculator;
    int checked = 0;
    for (const auto& vector : zorvane_test::load_vectors(ZORVANE_ENGINEERING_VECTORS)) {
        const host::Answer answer = calculator.evaluate(utf8(vector.command));
        const std::string value = host::engineering_value(answer.value, *answer.formula);
        if (!std::isfinite(answer.value)) continue;
        // "5.03292 kHz" -> "5.03292k"; "1e-15 F" -> "1e-15"
        std::string typed = value.substr(0, value.find(' '));
        const std::string unit(answer.formula->unit);
        const std::size_t space = value.find(' ');
        if (space != std::string::npos && value.size() > space + 1 + unit.size()) {
            typed += value.substr(space + 1, value.size() - space - 1 - unit.size());
        }
        std::string expanded;
        host::expand_notation("x " + typed, expanded);
        const auto read = zorvane::parse_number(std::string_view(expanded).substr(2));
        ASSERT_TRUE(read.has_value()) << value << " as " << expanded;
        EXPECT_EQ(host::engineering_value(*read, *answer.formula), value) << vector.where;
        ++checked;
    }
    EXPECT_GT(checked, 40);
}

// Zero, of either sign, is the one digit 0 (engineering notation prints "0").
TEST(SignificantDigits, ZeroIsOneDigitWithoutSign) {
    for (const double zero : {0.0, -0.0}) {
        const auto digits = host::round_significant(zero, 6);
        EXPECT_EQ(std::string(digits.digits.data(), static_cast<std::size_t>(digits.count)), "0");
        EXPECT_EQ(digits.exponent, 0);
        EXPECT_FALSE(digits.negative);
    }
}

TEST(Notation, ExpandsPrefixesAndIecCodesExactlyInShortestForm) {
    const struct {
        const char* command;
        const char* expanded;
    } cases[] = {
        {"capacitor_reactance 1k 1u", "capacitor_reactance 1e3 1e-6"},
        {"power_vi 4.7k 2.2m", "power_vi 4700 0.0022"},
        {"x 1p 1n 1u 1m 2.2m", "x 1e-12 1e-9 1e-6 1e-3 0.0022"},
        {"x 1k 1M 1G 1T 10k", "x 1e3 1e6 1e9 1e12 1e4"},
        {"x 4.7u 4.7\xC2\xB5 100n", "x 4.7e-6 4.7e-6 1e-7"},
        {"x 2\xCE\xBC", "x 2e-6"},  // Greek mu alone in a line
        {"x 4k7 1M5 4n7 2R2 2r2 0R47", "x 4700 1.5e6 4.7e-9 2.2 2.2 0.47"},
        {"x -4.7k +1.5M -4k7", "x -4700 +1.5e6 -4700"},
        {"x .5m 5.k 0.001k 000.5k 0k -0k", "x 5e-4 5e3 1 500 0 -0"},
        {"x 12345.678m 1.000k", "x 12.345678 1e3"},
        {"1k 1k", "1k 1e3"},  // the name is never a value
        {"x 123456789012345678901234567890p", "x 123456789012345678.90123456789"},
        // Each value's own unit, after a prefix, a code or a plain number.
        {"power_vi 12V 0.5A", "power_vi 12 0.5"},
        {"POWER_VI +12V 1e3A", "POWER_VI +12 1e3"},
        {"ohms_current 1.5kV 10k\xCE\xA9", "ohms_current 1500 1e4"},
        {"ohms_current 1V 10kohm", "ohms_current 1 1e4"},
        {"ohms_current 1V 10kohms", "ohms_current 1 1e4"},
        {"ohms_current 1V 4k7\xE2\x84\xA6", "ohms_current 1 4700"},  // the ohm sign
        {"resistors_series 2R2ohm 10\xCE\xA9", "resistors_series 2.2 10"},
        {"capacitor_reactance 1kHz 4.7uF", "capacitor_reactance 1e3 4.7e-6"},
        {"capacitor_reactance 1Hz 4.7\xC2\xB5"
         "F",
         "capacitor_reactance 1 4.7e-6"},
        {"inductor_energy 2.2mH 1A", "inductor_energy 0.0022 1"},
        {"period_to_frequency 100ns", "period_to_frequency 1e-7"},
        {"junction_temperature 25\xC2\xB0"
         "C 2\xC2\xB0"
         "C/W 10W",
         "junction_temperature 25 2 10"},
        {"junction_temperature 25\xE2\x84\x83 2K/W 1kW", "junction_temperature 25 2 1e3"},
        // The degree Celsius without its sign, for a temperature only.
        {"junction_temperature 40C 2C/W -5degC", "junction_temperature 40 2C/W -5degC"},
        {"junction_temperature -4.5degC 2 1", "junction_temperature -4.5 2 1"},
        {"capacitor_charge 1C 1C", "capacitor_charge 1C 1C"},
        {"gain_ratio_from_db -6dB", "gain_ratio_from_db -6"},
        {"antenna_gain_db 10W/m\xC2\xB2 1W/m2 2W/m^2", "antenna_gain_db 10 1 2W/m^2"},
        // A length: a prefix letter alone is the prefix.
        {"characteristic_impedance_coax 2.3 5mm 1m", "characteristic_impedance_coax 2.3 5e-3 1e-3"},
    };
    for (const auto& [command, expanded] : cases) {
        std::string out;
        host::expand_notation(command, out);
        EXPECT_EQ(out, expanded) << command;
    }
}

TEST(Notation, LeavesEverythingElseAsTyped) {
    const char* const unchanged[] = {
        "1k",
        "x k m R",
        "x 1kk 1km 1e3k 4k7k 4.7k7 k7 1R",
        "x 1K 1U 1x 4K7",
        "x 1.2.3k --1k .k 1-2k",
        "x  1   2 ",
        "x\t1k",
        "x 1k\t2",
        "",
        // A unit that is not the value's, or no number before it.
        "power_vi 12A 0.5V",
        "power_vi 12 0.5 3V",
        "x 12V",
        "power_vi V A",
        "gain_db 2V",
        "ohms_current 1 1k\xCE",
        "ohms_current 1v 1KOHM",
    };
    for (const char* command : unchanged) {
        std::string out;
        host::expand_notation(command, out);
        EXPECT_EQ(out, command) << command;
    }
}

TEST(Hints, ExplainWhatWentWrong) {
    const struct {
        const char* command;
        std::vector<std::string> hints;
    } cases[] = {
        {"ohms_current 12", {"ohms_current needs 2 values: <voltage> <resistance>"}},
        {"Frequency_To_Period", {"frequency_to_period needs 1 value: <frequency>"}},
        {"ohms_curent 12 1k", {"did you mean ohms_current?"}},
        {"ohms_voltag 1 2", {"did you mean ohms_voltage?"}},
        {"power_iv 1 2", {"did you mean power_vi or power_i2r?"}},
        {"pwoer_iv 1 2", {"did you mean power_vi?"}},  // two swaps of neighbours: two edits
        {"capacitor_", {"did you mean capacitor_energy, capacitor_charge or capacitor_reactance?"}},
        {"xyzzy 1", {}},
        {"ohms_currentxy 1 2", {"did you mean ohms_current?"}},  // two edits away, two longer
        {"xyohms_current 1 2", {"did you mean ohms_current?"}},
        {"ohms_currentxyz 1 2", {}},                       // three longer: too far
        {"hms_curre 1 2", {}},                             // three shorter: too far
        {"ohms_cur 1 2", {"did you mean ohms_current?"}},  // four shorter, but its start
        {"oh 1 2", {"did you mean ohms_voltage, ohms_current or ohms_resistance?"}},
        {"ohms_current 1K 2", {"SI prefixes are p n u \xC2\xB5 m k M G T"}},
        {"ohms_current 4K7 2", {"SI prefixes are p n u \xC2\xB5 m k M G T"}},
        {"ohms_current 1,5 2", {"write 1.5"}},
        {"ohms_current 1,5k 2", {"write 1.5k"}},
        // Units: the argument's own is part of the value; another is a hint.
        {"ohms_current 12V 1k", {}},
        {"ohms_current 12A 1k", {"<voltage> is in V"}},
        {"ohms_current 12v 1k", {"<voltage> is in V"}},
        {"ohms_current 12 1kA", {"<resistance> is in \xCE\xA9"}},
        {"gain_db 2V", {"<gain_ratio> is a plain number, without a unit"}},
        {"ohms_current 12 1 kohm", {"write it on the number: 1kohm"}},
        {"ohms_current 12 V 1k", {"write it on the number: 12V"}},
        {"ohms_current 12 A 1k", {"<voltage> is in V"}},
        {"ohms_current 12 4.7k\xCE\xA9", {}},
        {"ohms_current 12 10 k", {"write it on the number: 10k"}},
        {"ohms_current 12 10k \xC2\xB1"
         "1%",
         {"write it on the number: 10k\xC2\xB1"
          "1%"}},
        {"ohms_current 12 10k +-1%", {"write it on the number: 10k+-1%"}},
        // A tolerance on its value, written wrongly: the word as it should be.
        {"ohms_current 12 10k\xC2\xB1-1%",
         {"a tolerance has no sign, it spreads both ways: 10k\xC2\xB1"
          "1%"}},
        {"ohms_current 12 10k+-+2.5%",
         {"a tolerance has no sign, it spreads both ways: 10k\xC2\xB1"
          "2.5%"}},
        {"ohms_current 12 10k\xC2\xB1"
         "1",
         {"a tolerance is in percent: 10k\xC2\xB1"
          "1%"}},
        {"ohms_current 12 10k+-x%",
         {"a tolerance is a percentage: 10k\xC2\xB1"
          "1%"}},
        {"ohms_current 12 10k+-%",
         {"a tolerance is a percentage: 10k\xC2\xB1"
          "1%"}},
        {"ohms_current 12 10q+-1", {}},  // the value itself is what is wrong
        {"ohms_current 12 10 R", {}},  // R marks the point of a code: no prefix to move
        {"capacitor_charge 4.7\xC2\xB5"
         "F 5",
         {}},
        {"thermal_resistance 25\xC2\xB0"
         "C 1",
         {}},
        {"thermal_resistance 1 2\xC2\xB0"
         "c/W",
         {"<power> is in W"}},
        {"thermal_resistance 1 2\xC2\xB0", {}},
        {"ohms_current 12 1k 5", {"ohms_current takes 2 values; 1 more was ignored"}},
        {"frequency_to_period 1 2 3 4 5 6",
         {"frequency_to_period takes 1 value; 5 more were ignored"}},
        {"ohms_current 12 x", {}},
        {"ohms_current 12 1k", {}},
        {"", {}},
    };
    host::Calculator calculator;
    for (const auto& c : cases) {
        EXPECT_EQ(host::hints(c.command, calculator.evaluate(c.command)), c.hints) << c.command;
    }
    // An answer built by hand that claims a result without its formula.
    host::Answer orphan;
    orphan.kind = host::Kind::result;
    orphan.values_given = 3;
    EXPECT_TRUE(host::hints("x 1 2 3", orphan).empty());
}

// Hints are lines a person can copy: a control character (a line break or a
// NUL among them) put anywhere into a command whose hint quotes its words
// never reaches a hint.
TEST(Hints, NeverCarryAControlCharacter) {
    const std::string commands[] = {
        "power_vi 1 2 \xC2\xB1"
        "1%",
        "ohms_current 12 1 kohm", "ohms_current 12 10 k", "ohms_current 1,5 2",
        "ohms_current 12 10k +-1%"};
    std::mt19937_64 random(20261208);
    host::Calculator calculator;
    for (int trial = 0; trial < 2000; ++trial) {
        std::string command = commands[random() % std::size(commands)];
        const auto control = static_cast<char>(random() % 33 == 32 ? 0x7F : random() % 32);
        command.insert(command.begin() + static_cast<std::ptrdiff_t>(random() % command.size() + 1),
                       control);
        for (const std::string& hint : host::hints(command, calculator.evaluate(command))) {
            EXPECT_TRUE(std::none_of(
                hint.begin(), hint.end(),
                [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
                << "a control character in [" << hint << "]";
        }
    }
}

// A field's value is read as the same word of a command would be, with the
// hints' words for what is wrong with it.
TEST(Hints, ReadValueTakesOneValueOfAField) {
    const zorvane::host::FormulaInfo* ohms_current = zorvane::host::find("ohms_current");
    const struct {
        const char* text;
        const zorvane::host::FormulaInfo* formula;
        int argument;
        double value;
        const char* problem;
    } cases[] = {
        {"4k7", nullptr, -1, 4700.0, ""},
        {" -2.5e-3 ", nullptr, -1, -0.0025, ""},
        {"10k\xCE\xA9", ohms_current, 1, 10000.0, ""},
        {"10k\xCE\xA9", nullptr, -1, 0.0, "'10k\xCE\xA9' is not a number"},
        {"12A", ohms_current, 0, 0.0, "'12A' is not a number: <voltage> is in V"},
        {"1,5", nullptr, -1, 0.0, "'1,5' is not a number: write 1.5"},
        {"10 k", nullptr, -1, 0.0, "'k' is not a number: write it on the number: 10k"},
        {"1 1", nullptr, -1, 0.0, "one value per field"},
        {"   ", nullptr, -1, 0.0, "enter a value"},
    };
    for (const auto& c : cases) {
        const zorvane::host::ValueReading reading =
            zorvane::host::read_value(c.text, c.formula, c.argument);
        EXPECT_EQ(reading.problem, c.problem) << c.text;
        if (reading.problem.empty()) {
            EXPECT_EQ(reading.value, c.value) << c.text;
        }
    }
    // A field longer than a whole command is refused before it is read.
    const std::string longest(zorvane::host::command_capacity(), '1');
    EXPECT_EQ(zorvane::host::read_value(longest, nullptr, -1).problem, "");
    EXPECT_EQ(zorvane::host::read_value(longest + "1", nullptr, -1).problem, "too long");
}

TEST(Calculator, AnswersCarryTheOutcome) {
    host::Calculator calculator;
    const auto& unknown = calculator.evaluate("OHMS_Current 12");
    EXPECT_EQ(unknown.kind, host::Kind::unknown_formula);
    ASSERT_NE(unknown.formula, nullptr);
    EXPECT_EQ(unknown.formula->keyword, "ohms_current");
    EXPECT_EQ(unknown.token, "OHMS_Current");
    const auto& invalid = calculator.evaluate(
        "power_vi 1 \xE2\x82\xAC"
        "5");
    EXPECT_EQ(invalid.kind, host::Kind::invalid_number);
    EXPECT_EQ(invalid.token,
              "\xE2\x82\xAC"
              "5");
    EXPECT_EQ(invalid.line,
              "Error: Invalid number '\xE2\x82\xAC"
              "5'");
    const auto& result = calculator.evaluate("capacitor_reactance 1k 1\xCE\xBC 7 8 9 10");
    EXPECT_EQ(result.kind, host::Kind::result);
    EXPECT_EQ(result.values_given, 6);
    EXPECT_EQ(result.line, "Capacitive Reactance = 159.154943 ?");
    EXPECT_EQ(result.engineering, "Capacitive Reactance = 159.155 \xCE\xA9");
    EXPECT_EQ(calculator.evaluate(std::string(256, ' ')).kind, host::Kind::too_long);
    EXPECT_EQ(calculator.evaluate("/help" + std::string(300, ' ')).line,
              "Error: Command longer than 255 characters");
    EXPECT_EQ(calculator.evaluate("  ").kind, host::Kind::empty);
    EXPECT_FALSE(calculator.evaluate("  ").is_error());
}

// "/help" writes the reference file as the module does, and says so.
TEST(Calculator, WritesTheReferenceFileOnRequest) {
    namespace fs = std::filesystem;
    const fs::path previous = fs::current_path();
    const fs::path directory =
        fs::temp_directory_path() / ("zorvane-host-" + std::to_string(::getpid()));
    fs::create_directories(directory);
    fs::current_path(directory);
    host::Calculator calculator;
    const auto& written = calculator.evaluate("  /HELP ");
    EXPECT_EQ(written.kind, host::Kind::reference_written);
    EXPECT_FALSE(written.is_error());
    EXPECT_EQ(written.line, "Help file 'electronics_formulas.txt' created successfully!");
    EXPECT_EQ(read_bytes("electronics_formulas.txt"), host::reference_file_bytes());
    fs::remove(directory / "electronics_formulas.txt");
    fs::create_directory(directory / "electronics_formulas.txt");  // cannot be replaced
    const auto& failed = calculator.evaluate("/help");
    EXPECT_EQ(failed.kind, host::Kind::reference_failed);
    EXPECT_TRUE(failed.is_error());
    EXPECT_EQ(failed.line, "Error: Could not create help file");
    EXPECT_EQ(calculator.evaluate("/help 1").kind, host::Kind::unknown_formula);
    fs::current_path(previous);
    fs::remove_all(directory);
}

TEST(TableView, ReadsTheFormulaTable) {
    ASSERT_EQ(host::formulas().size(), 50U);
    const host::FormulaInfo* current = host::find("ohms_current");
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->category, "Ohm's law and power");
    EXPECT_EQ(std::vector<std::string_view>(current->arguments.begin(), current->arguments.end()),
              (std::vector<std::string_view>{"<voltage>", "<resistance>"}));
    EXPECT_EQ(current->label, "Current");
    EXPECT_EQ(current->unit, "A");
    EXPECT_EQ(host::find("capacitor_reactance")->unit, "\xCE\xA9");
    EXPECT_EQ(host::find("thermal_resistance")->unit,
              "\xC2\xB0"
              "C/W");
    EXPECT_EQ(host::find("q_factor_rlc")->unit, "");
    EXPECT_EQ(host::find("OHMS_CURRENT"), nullptr);
    EXPECT_EQ(host::usage(*current), "ohms_current <voltage> <resistance>");
    EXPECT_EQ(host::reference_line(*current),
              "ohms_current <voltage> <resistance>     - Calculate current (I = V / R)");
    EXPECT_EQ(
        host::reference_line(*host::find("power_v2r")),
        "power_v2r <voltage> <resistance>        - Power from V\xC2\xB2/R (P = V\xC2\xB2 / R)");
    EXPECT_EQ(host::reference_file_bytes(),
              read_bytes(ZORVANE_GOLDEN_DIR "/electronics_formulas.txt"));
    EXPECT_EQ(host::help_summary(), read_bytes(ZORVANE_GOLDEN_DIR "/help_summary.txt"));
    EXPECT_EQ(host::complete("OHMS_"),
              (std::vector<std::string_view>{"ohms_voltage", "ohms_current", "ohms_resistance"}));
    EXPECT_EQ(host::complete("").size(), 50U);
    EXPECT_TRUE(host::complete("x").empty());
    EXPECT_EQ(host::engineering_value(4.7e-9, *host::find("capacitors_parallel")), "4.7 nF");
}

}  // namespace

TEST(PromptWords, AreTheToolsAndThePagesAlike) {
    using Word = host::PromptWord::Kind;
    const struct {
        const char* line;
        Word kind;
        const char* name;
    } cases[] = {
        {"quit", Word::quit, ""},
        {"  EXIT ", Word::quit, ""},
        {"Quit", Word::quit, ""},
        {"help", Word::help, ""},
        {" HeLp  ", Word::help, ""},
        {"?", Word::help, ""},
        {"help OHMS_Current", Word::help_name, "ohms_current"},
        {"  help   xyzzy  ", Word::help_name, "xyzzy"},
        {"help \xC3\x84x", Word::help_name, "\xC3\x84x"},  // only A..Z are lower-cased
        {"help ohms_current 12", Word::none, ""},
        {"quit now", Word::none, ""},
        {"? ohms_current", Word::none, ""},
        {"/help", Word::none, ""},
        {"helpx", Word::none, ""},
        {"quitter", Word::none, ""},
        {"help\tohms_current", Word::none, ""},  // words are separated by spaces only
        {"ohms_current 12 1k", Word::none, ""},
        {"   ", Word::none, ""},
        {"", Word::none, ""},
    };
    for (const auto& c : cases) {
        const host::PromptWord word = host::prompt_word(c.line);
        EXPECT_EQ(word.kind, c.kind) << c.line;
        EXPECT_EQ(word.name, c.name) << c.line;
    }
}

// Every formula's result line: the ohm sign in place of the module's "?"
// exactly where the unit is Ω, as "%.6f" and the table's unit spell it.
TEST(OhmSign, StandsForTheModulesQuestionMarkAfterAnOhmResultOnly) {
    host::Calculator calculator;
    int ohm_formulas = 0;
    for (const host::FormulaInfo& formula : host::formulas()) {
        const std::string command = std::string(formula.keyword) + " 1.5 2 3 4";
        const host::Answer& answer = calculator.evaluate(command);
        ASSERT_EQ(answer.kind, host::Kind::result) << command;
        char number[64];
        std::snprintf(number, sizeof number, "%.6f", answer.value);
        const std::string as_read = std::string(formula.label) + " = " + number + " ";
        const bool ohm = formula.unit == "\xCE\xA9";
        ohm_formulas += ohm ? 1 : 0;
        EXPECT_EQ(host::with_ohm_sign(answer.line, &formula),
                  ohm ? as_read + "\xCE\xA9" : answer.line)
            << command;
    }
    EXPECT_GE(ohm_formulas, 5);
    const host::FormulaInfo* series = host::find("resistors_series");
    const host::FormulaInfo* power = host::find("power_vi");
    const struct {
        const char* line;
        const host::FormulaInfo* formula;
        const char* shown;
    } cases[] = {
        {"Series Resistance = 3000.000000 ? (2950.000000 .. 3050.000000 \xCE\xA9)", series,
         "Series Resistance = 3000.000000 \xCE\xA9 (2950.000000 .. 3050.000000 \xCE\xA9)"},
        {"Series Resistance = inf ?", series, "Series Resistance = inf \xCE\xA9"},
        {"Error: Invalid number '?'", series, "Error: Invalid number '?'"},
        {"Error: Unknown formula 'resistors_series ?' or insufficient parameters", series,
         "Error: Unknown formula 'resistors_series ?' or insufficient parameters"},
        {"Series Resistance = ? ?", series, "Series Resistance = ? \xCE\xA9"},
        {"Series Resistance =  ?", series, "Series Resistance =  ?"},
        {"Series Resistance = 3 ?x", series, "Series Resistance = 3 ?x"},
        {"Series Resistance = 3 k?", series, "Series Resistance = 3 k?"},
        {"Series Resistances = 3 ?", series, "Series Resistances = 3 ?"},
        {"r2 = 3 ?", series, "r2 = 3 ?"},
        {"Power = 3 ?", power, "Power = 3 ?"},
        {"Series Resistance = 3 ?", nullptr, "Series Resistance = 3 ?"},
        {"", series, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(host::with_ohm_sign(c.line, c.formula), c.shown) << c.line;
}

// Every argument a formula names has a unit (empty for ratios), so a new
// row with a new argument name cannot leave the page without one.
TEST(TableView, KnowsTheUnitOfEveryArgument) {
    for (const host::FormulaInfo& formula : host::formulas()) {
        ASSERT_EQ(formula.argument_units.size(), formula.arguments.size()) << formula.keyword;
        for (std::size_t i = 0; i < formula.arguments.size(); ++i) {
            const auto unit = host::argument_unit(formula.arguments[i]);
            ASSERT_TRUE(unit.has_value()) << formula.keyword << " " << formula.arguments[i];
            EXPECT_EQ(formula.argument_units[i], *unit) << formula.keyword;
        }
    }
    EXPECT_FALSE(host::argument_unit("<no_such_argument>").has_value());
    EXPECT_FALSE(host::argument_unit("").has_value());
    using Units = std::vector<std::string_view>;
    const auto units = [](const char* keyword) {
        const auto& formula = *host::find(keyword);
        return Units(formula.argument_units.begin(), formula.argument_units.end());
    };
    EXPECT_EQ(units("junction_temperature"), (Units{"\xC2\xB0"
                                                    "C",
                                                    "\xC2\xB0"
                                                    "C/W",
                                                    "W"}));
    EXPECT_EQ(units("antenna_gain_db"), (Units{"W/m\xC2\xB2", "W/m\xC2\xB2"}));
    EXPECT_EQ(units("voltage_divider"), (Units{"V", "\xCE\xA9", "\xCE\xA9"}));
    EXPECT_EQ(units("characteristic_impedance_coax"), (Units{"", "m", "m"}));
}

// ---- Answers to questions: nothing unprintable, every reason its own ----

namespace {

namespace host = zorvane::host;

#define OHM_ "\xCE\xA9"
#define PM_ "\xC2\xB1"
#define ARROW_ " \xE2\x86\x92 "

// Each line and its hints, from arithmetic done here: 12 x 2200 / 6900 is
// the target 4k7/2k2 hit exactly; -12 x 3600 / 13600 = -3.176471 lies
// 3.74 % above -3.3; 200 / 1e-305 is 2e307, 2e309 %; 10 pF with 10 pF is
// 5 pF, the least a series pair of the window gives.
TEST(Questions, AnswerEachQuestionWithItsOwnLineAndHints) {
    using Hints = std::vector<std::string>;
    const std::string guard = "a zero guard answers 0 for some values within the tolerances";
    const struct {
        const char* command;
        const char* line;
        Hints hints;
    } cases[] = {
        {"resistors_series ? ? = 200",
         "r1 = 100 " OHM_ ", r2 = 100 " OHM_ " (Series Resistance = 200.000000 " OHM_ ", +0.00%)",
         {}},
        {"resistors_series ? ? = 1e-305",
         "r1 = 100 " OHM_ ", r2 = 100 " OHM_ " (Series Resistance = 200.000000 " OHM_
         ", +2.00e+309%)",
         {}},
        {"resistors_series ? ? = 1e-320",  // 200 / 1e-320 is beyond the doubles: the difference
         "r1 = 100 " OHM_ ", r2 = 100 " OHM_ " (Series Resistance = 200.000000 " OHM_ ", +200 " OHM_
         ")",
         {}},
        {"capacitors_series ? ? = 0",
         "c1 = 1e-11 F, c2 = 1e-11 F (Series Capacitance = 0.000000 F, +5e-12 F)",
         {}},
        {"voltage_divider 12 ? ? = 3.8260869565217392",
         "r1 = 4700 " OHM_ ", r2 = 2200 " OHM_ " (Output Voltage = 3.826087 V, +0.00%)",
         {}},
        {"voltage_divider -12 10k ? = -3.3",
         "r2 = 3793.103448275862 " OHM_ "; E24: 3600 " OHM_ ARROW_
         "-3.176471 V (+3.74%), 3900 " OHM_ ARROW_ "-3.366906 V (-2.03%)",
         {}},
        {"capacitor_time_constant_rc ? ? = 1m",
         "Error: A pair is of two resistances, two capacitances or two inductances",
         {}},
        {"voltage_divider 12 10k" PM_ "1% 5k = 3", "Error: Tolerances do not go with ? or '='", {}},
        {"ohms_current 12 10" PM_ "100%",
         "Error: Current runs to infinity within the tolerances",
         {"a division by zero or a result beyond the largest double lies within the tolerances: "
          "narrow them",
          guard}},
        {"ohms_current 12 10" PM_ "50%", "Current = 1.200000 A (0.800000 .. 2.400000 A)", {}},
        {"ohms_voltage 1e308" PM_ "100% 10" PM_ "100%",
         "Error: No range of Voltage: a value leaves the doubles",
         {"current within its tolerance goes beyond the largest double: write a smaller value or "
          "tolerance"}},
        {"antenna_gain_db 1" PM_ "200% 1",
         "Error: Antenna Gain is undefined for some values within the tolerances",
         {"some values within the tolerances are outside what the formula takes (a magnitude "
          "below zero, the logarithm of a negative ratio)"}},
        {"power_vi 1" PM_ "1% 2 3" PM_ "5%",
         "Power = 2.000000 W (1.980000 .. 2.020000 W)",
         {"power_vi takes 2 values; 1 more was ignored"}},
        {"voltage_divider 12 10k ? 5 = 3.3",
         "r2 = 3793.103448275862 " OHM_ "; E24: 3600 " OHM_ ARROW_
         "3.176471 V (-3.74%), 3900 " OHM_ ARROW_ "3.366906 V (+2.03%)",
         {"voltage_divider takes 3 values; 1 more was ignored"}},
        // A lone letter where a value belongs, with '=': the shell's doing.
        {"voltage_divider 12 10k a = 3.3",
         "Error: Invalid number 'a'",
         {"did the shell replace ? with a file name of one letter? quote it: '?'"}},
        {"voltage_divider 12 10k \xC3\xA9 = 3.3",
         "Error: Invalid number '\xC3\xA9'",
         {"did the shell replace ? with a file name of one letter? quote it: '?'"}},
        {"voltage_divider 12 10k ab = 3.3", "Error: Invalid number 'ab'", {}},
        // Every r2 meets r1's zero guard: the formula reaches nothing to tell of.
        {"resistors_parallel 0 ? = 1", "Error: No r2 gives Parallel Resistance = 1 " OHM_, {}},
    };
    host::QuestionOptions e24;
    e24.series = host::series_named("E24");
    for (const auto& c : cases) {
        const host::Reply reply = host::ask(c.command, e24);
        EXPECT_EQ(reply.line, c.line) << c.command;
        EXPECT_EQ(reply.hints, c.hints) << c.command;
        EXPECT_EQ(reply.error, std::string_view(c.line).starts_with("Error: ")) << c.command;
        static const std::regex unprintable(R"(\b(inf|nan)\b| \?[,)])");
        EXPECT_FALSE(std::regex_search(reply.line, unprintable)) << c.command;
    }
    // Asked as a range, the same reason, and not the range's hint.
    const host::Ranged mixed = host::range("voltage_divider 12 10k" PM_ "1% 5k = 3");
    EXPECT_EQ(mixed.line, "Error: Tolerances do not go with ? or '='");
    EXPECT_EQ(mixed.hints, Hints{});
    EXPECT_EQ(host::range("power_vi 1 2").hints,
              Hints{"write a tolerance on a value: 10k" PM_ "1%"});
}

// A pair's deviation from targets of every scale and both signs, from a
// fixed seed, against the arithmetic of long doubles: a percentage with two
// decimals up to 99999.99 %, three digits in scientific form beyond, the
// difference itself where the ratio leaves the doubles; the sign that of
// result - target whatever the target's.
TEST(Questions, DeviationsAreWrittenAtEveryScale) {
    std::mt19937_64 random(20261207);
    const std::regex fixed(R"(^([+-])(\d{1,5}\.\d\d)%\)$)");
    const std::regex scientific(R"(^([+-])(\d\.\d\de\+\d{2,3})%\)$)");
    const std::regex difference("^[+-][0-9.e+-]+ " OHM_ "\\)$");
    for (int n = 0; n < 400; ++n) {
        const int exponent = static_cast<int>(random() % 640) - 323;
        const double target = (random() % 2 == 0 ? 1.0 : -1.0) *
                              (1.0 + static_cast<double>(random() % 9000) / 1000.0) *
                              std::pow(10.0, std::min(exponent, 307));
        char command[80];
        std::snprintf(command, sizeof command, "resistors_series ? ? = %.17g", target);
        const host::Paired paired = host::pair(command, host::Series::e24);
        ASSERT_FALSE(paired.error) << command << ": " << paired.line;
        const std::string tail = paired.line.substr(paired.line.rfind(", ") + 2);
        const long double result = paired.result;
        const long double percent = (result - target) / std::fabs(target) * 100.0L;
        std::smatch parts;
        if (!std::isfinite(paired.result / std::fabs(target))) {
            EXPECT_TRUE(std::regex_match(tail, difference)) << command << ": " << tail;
            continue;
        }
        const bool is_fixed = std::regex_match(tail, parts, fixed);
        ASSERT_TRUE(is_fixed || std::regex_match(tail, parts, scientific))
            << command << ": " << tail;
        EXPECT_EQ(is_fixed, std::fabs(percent) < 99999.995L) << command << ": " << tail;
        EXPECT_EQ(parts[1] == "-", percent < 0) << command << ": " << tail;
        const long double shown = std::strtold(parts[2].str().c_str(), nullptr);
        const long double unit =
            is_fixed ? 0.01L : 0.01L * std::pow(10.0L, std::floor(std::log10(shown)));
        EXPECT_LE(std::fabs(shown - std::fabs(percent)), unit / 2 * (1 + 1e-12L))
            << command << ": " << tail;
    }
}

}  // namespace

namespace {

// The unit list the hints and the notation read holds every unit a row
// names, and each other spelling belongs to one of them. (A spelling may be
// another unit's symbol, "C" for the degree Celsius: a value is read in its
// own argument's unit only.)
TEST(Units, EveryUnitOfTheTableIsListedOnceWithItsSpellings) {
    const auto listed = [](std::string_view utf8) {
        return std::count_if(std::begin(zorvane::UNITS), std::end(zorvane::UNITS),
                             [utf8](const zorvane::Unit& unit) { return unit.utf8 == utf8; });
    };
    for (const zorvane::Formula& row : zorvane::formula_table()) {
        EXPECT_EQ(listed(row.result_unit.utf8), row.result_unit.utf8.empty() ? 0 : 1)
            << row.keyword;
        for (const zorvane::Argument& argument : row.argument_list()) {
            EXPECT_EQ(listed(argument.unit.utf8), argument.unit.utf8.empty() ? 0 : 1);
        }
    }
    for (const zorvane::UnitSpelling& other : zorvane::UNIT_SPELLINGS) {
        EXPECT_EQ(listed(other.unit), 1) << other.spelling;
        EXPECT_NE(other.spelling, other.unit);
    }
    for (const zorvane::Unit& unit : zorvane::PREFIXED_UNITS) EXPECT_EQ(listed(unit.utf8), 1);
}

}  // namespace
