// zorvane-calc's option parser on a table of its own, with the row shapes
// the tool's table does not use yet: an option whose value is one of a list.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "options.h"

namespace {

using zorvane_calc::Action;
using zorvane_calc::OptionSpec;
using zorvane_calc::Settings;
using zorvane_calc::Takes;

const char* chosen_series = nullptr;

void set_series(Settings&, const char* series) { chosen_series = series; }
void set_engineering(Settings& settings, const char*) { settings.engineering = true; }

constexpr std::string_view SERIES[] = {"E3", "E6", "E12"};

constexpr OptionSpec TABLE[] = {
    {"-s", "--series", {Takes::value, "SERIES", SERIES}, Action::evaluate, set_series, "series"},
    {"-e", "--eng", {}, Action::evaluate, set_engineering, "engineering"},
    {"", "--list", {}, Action::list, nullptr, "list"},
};

struct Case {
    std::vector<std::string> arguments;
    std::string error;                 // "message 'argument' for 'option'", or empty
    const char* series;                // what --series chose, or null
    std::vector<std::string> command;  // the words left for the command
};

std::string described(const zorvane_calc::UsageError& error) {
    std::string text = std::string(error.message) + " '" + std::string(error.argument) + "'";
    if (!error.option.empty()) text += " for '" + std::string(error.option) + "'";
    return text;
}

TEST(CliOptions, AValueOptionTakesTheNextWordOrWhatFollowsEquals) {
    const Case cases[] = {
        {{"--series", "E6", "power_vi", "1"}, "", "E6", {"power_vi", "1"}},
        {{"--series=E12", "-e", "x"}, "", "E12", {"x"}},
        {{"-s", "E3"}, "", "E3", {}},
        {{"-e", "-s", "E6", "--", "-s"}, "", "E6", {"-s"}},
        {{"--", "--series", "E3"}, "", nullptr, {"--series", "E3"}},
        {{"--series", "E24", "x"}, "invalid argument 'E24' for '--series'", nullptr, {}},
        {{"--series=e6"}, "invalid argument 'e6' for '--series'", nullptr, {}},
        {{"--series="}, "invalid argument '' for '--series'", nullptr, {}},
        {{"-s", ""}, "invalid argument '' for '--series'", nullptr, {}},
        {{"--series", "-e"}, "invalid argument '-e' for '--series'", nullptr, {}},
        {{"-e", "--series"}, "missing argument for '--series'", nullptr, {}},
        {{"-s=E3"}, "unrecognized option '-s=E3'", nullptr, {}},
        {{"--seri=E3"}, "unrecognized option '--seri=E3'", nullptr, {}},
        {{"--eng=E3"}, "unrecognized option '--eng=E3'", nullptr, {}},
        {{"--list=E3"}, "unrecognized option '--list=E3'", nullptr, {}},
        // Anywhere among the command's words; a word that reads as a number
        // is a value, and "-" alone a word.
        {{"x", "-e", "-12", "-s", "E6", "-.5", "-1e3", "-12V"},
         "",
         "E6",
         {"x", "-12", "-.5", "-1e3", "-12V"}},
        {{"x", "1", "--series=E3", "-", "+5"}, "", "E3", {"x", "1", "-", "+5"}},
        {{"x", "--", "-e", "-s"}, "", nullptr, {"x", "-e", "-s"}},
        {{"x", "1", "-s"}, "missing argument for '--series'", nullptr, {}},
        {{"x", "-.e"}, "unrecognized option '-.e'", nullptr, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> words = c.arguments;
        std::vector<char*> arguments;
        for (std::string& word : words) arguments.push_back(word.data());
        chosen_series = nullptr;
        const zorvane_calc::ParsedOptions parsed = zorvane_calc::parse_options(arguments, TABLE);
        const std::string context = testing::PrintToString(c.arguments);
        EXPECT_EQ(parsed.error ? described(*parsed.error) : "", c.error) << context;
        EXPECT_EQ(chosen_series == nullptr ? "" : std::string(chosen_series),
                  c.series == nullptr ? "" : std::string(c.series))
            << context;
        if (c.error.empty()) {
            EXPECT_EQ(std::vector<std::string>(parsed.command.begin(), parsed.command.end()),
                      c.command)
                << context;
            EXPECT_EQ(parsed.action, Action::evaluate) << context;
        }
    }
}

// What a line read from standard input may begin with for itself, among
// the question's own options.
TEST(CliOptions, ALineMayBeginWithItsOwnEngineeringAndPlain) {
    const struct {
        std::string_view line;
        bool given;
        bool engineering;
        bool plain;
        std::string_view command;
    } cases[] = {
        {"-e --series E12 voltage_divider 12", true, true, false,
         "--series E12 voltage_divider 12"},
        {"--series=E12 --eng --plain x", true, true, true, "--series=E12 x"},
        {"--mc -e --seed 3 x", true, true, false, "--mc --seed 3 x"},
        {"  --plain   power_vi  1 2", true, false, true, "power_vi  1 2"},
        {"--tolerance 1% -e", true, true, false, "--tolerance 1%"},
        {"-e", true, true, false, ""},
        {"power_vi -e 1 2", false, false, false, ""},
        {"--series -e x", false, false, false, ""},  // -e is --series' (wrong) argument
        {"--bogus -e x", false, false, false, ""},
        {"-x -e power_vi", false, false, false, ""},
        {"", false, false, false, ""},
    };
    for (const auto& c : cases) {
        const zorvane_calc::LineOptions read = zorvane_calc::read_line_options(c.line);
        EXPECT_EQ(read.given, c.given) << c.line;
        EXPECT_EQ(read.engineering, c.engineering) << c.line;
        EXPECT_EQ(read.plain, c.plain) << c.line;
        EXPECT_EQ(read.command, c.command) << c.line;
    }
}

}  // namespace
