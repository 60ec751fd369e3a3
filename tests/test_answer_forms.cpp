// Every kind of answer is rendered twice, as the tool's line and as JSON;
// the two must tell the same answer, and a success line must hold a number
// (never nan or inf). Commands: every shared vector file's, and questions
// generated from a seed over every formula, kind and option.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "zorvane_host/host.h"

namespace host = zorvane::host;

namespace {

std::vector<std::string> vector_commands() {
    std::vector<std::string> commands;
    for (const char* file :
         {ZORVANE_VECTOR_DIR "/formulas.tsv", ZORVANE_VECTOR_DIR "/commands.tsv",
          ZORVANE_VECTOR_DIR "/solve.tsv", ZORVANE_VECTOR_DIR "/questions.tsv",
          ZORVANE_VECTOR_DIR "/question_forms.tsv", ZORVANE_VECTOR_DIR "/range_commands.txt",
          ZORVANE_VECTOR_DIR "/engineering_commands.txt"}) {
        std::ifstream in(file);
        EXPECT_TRUE(in) << file;
        for (std::string line; std::getline(in, line);) {
            if (line.empty() || line[0] == '#') continue;
            commands.push_back(line.substr(0, line.find('\t')));
        }
    }
    return commands;
}

// Questions of every kind: solves, pairs, ranges, windows, Monte Carlo,
// designs and combinations, with options in the command, on random rows.
std::vector<std::string> generated_questions(std::uint64_t seed, int count) {
    std::mt19937_64 random(seed);
    const auto pick = [&random](auto const& choices) {
        return choices[random() % std::size(choices)];
    };
    constexpr const char* VALUES[] = {"12",    "4k7",  "10k",    "100n",    "1m",  "2.2u",
                                      "0",     "-3",   "1e300",  "1e-300",  "50",  "-12",
                                      "1e-12", "1e12", "5e-324", "1.7e308", "0.5", "-0.001"};
    constexpr const char* TOLERANCES[] = {"", "", "±1%", "±5%", "+-20%", "±100%", "±300%"};
    constexpr const char* TARGETS[] = {
        "3.3",  "0",      "1k",       "-1",       "1e200",   "3.3±3%", "3.2..3.4",   "1kHz±10%",
        "5..5", "1e-300", "3.4..3.2", "1..1e300", "100±50%", "-5..5",  "0.001±0.1%", "2.2k±20%"};
    constexpr const char* OPTIONS[] = {"",
                                       "",
                                       "--series E24 ",
                                       "--series E96 --top 2 ",
                                       "--series R=E24,C=E12 --tolerance R=1%,C=5% ",
                                       "--series E12 --within 1k..100k ",
                                       "--series E6 --tolerance 0% ",
                                       "--mc 300 --seed 7 ",
                                       "--mc 300 --distribution normal ",
                                       "--series E24 --combine 2 ",
                                       "--series E192 --mc 200 --top 1 ",
                                       "--series E3 --top 1000 ",
                                       "--series L=E12 ",
                                       "--series E24 --within 100k..1k ",
                                       "--series E24 --within R=10..100,C=1n..10n,L=1u..1m ",
                                       "--series E24 --combine 3 ",
                                       "--series E48 --tolerance 10% --mc 100 ",
                                       "--series E12 --top 0 ",
                                       "--combine 2 "};
    const std::span<const host::FormulaInfo> formulas = host::formulas();
    std::vector<std::string> questions;
    for (int i = 0; i < count; ++i) {
        const host::FormulaInfo& formula = formulas[random() % formulas.size()];
        std::string command = std::string(pick(OPTIONS)) + std::string(formula.keyword);
        const std::size_t unknowns = random() % 4;
        for (std::size_t a = 0; a < formula.arguments.size(); ++a) {
            command += ' ';
            command +=
                a < unknowns ? std::string("?") : std::string(pick(VALUES)) + pick(TOLERANCES);
        }
        if (unknowns > 0 || random() % 2 == 0) command += std::string(" = ") + pick(TARGETS);
        questions.push_back(command);
    }
    return questions;
}

// A word of the line that is a non-number: "nan", "inf", "-inf".
bool holds_no_number(const std::string& line) {
    std::string word;
    for (const char c : line + " ") {
        if (c == ' ' || c == '(' || c == ')' || c == ',' || c == ';') {
            if (word == "nan" || word == "inf" || word == "-inf" || word == "+inf") return true;
            word.clear();
        } else {
            word += c;
        }
    }
    return false;
}

// `default_settings_too`: also that asking without settings is asking with
// none (a third answer, so checked on a share of the generated questions).
void expect_same_answer(const std::string& command, bool default_settings_too = true) {
    const host::QuestionSettings none;
    const host::Reply reply = host::ask(command, none);
    const host::JsonAnswer json = host::json_answer(command, none);
    const nlohmann::json object = nlohmann::json::parse(json.json, nullptr, false);
    ASSERT_FALSE(object.is_discarded()) << command << "\n" << json.json;
    ASSERT_TRUE(object.contains("kind") && object["kind"].is_string()) << command;
    EXPECT_EQ(object["line"].get<std::string>(), reply.line) << command;
    EXPECT_EQ(object["error"].get<bool>(), reply.error) << command;
    EXPECT_EQ(json.error, reply.error) << command;
    EXPECT_EQ(reply.error, reply.line.starts_with("Error: ")) << command << "\n" << reply.line;
    EXPECT_EQ(json.json.find('\n'), std::string::npos) << command;
    if (default_settings_too) {
        EXPECT_EQ(host::json_answer(command).json, json.json) << command;
    }
    // (The module's own line prints an overflow as inf, as it always has;
    // the questions' answers never do.)
    const bool question =
        command.find('?') != std::string::npos || command.find(" =") != std::string::npos ||
        command.find("= ") != std::string::npos || command.find("\xC2\xB1") != std::string::npos ||
        command.find("+-") != std::string::npos;
    if (question && !reply.error && !reply.line.starts_with("Every") &&
        !reply.line.starts_with("Many")) {
        EXPECT_FALSE(holds_no_number(reply.line)) << command << "\n" << reply.line;
    }
}

}  // namespace

TEST(AnswerForms, EveryVectorCommandIsTheSameAnswerAsLineAndAsJson) {
    const std::vector<std::string> commands = vector_commands();
    ASSERT_GT(commands.size(), 400U);
    for (const std::string& command : commands) expect_same_answer(command);
    // And the module's answers that are no result: nothing, a line too long.
    for (const std::string& command :
         {std::string(), std::string("   "), std::string(host::command_capacity() + 1, 'x')}) {
        expect_same_answer(command);
    }
}

TEST(AnswerForms, GeneratedQuestionsOfEveryKindAreTheSameAnswerAsLineAndAsJson) {
    // ZORVANE_GENERATED_QUESTIONS sets how many (memcheck runs fewer).
    const char* configured = std::getenv("ZORVANE_GENERATED_QUESTIONS");
    const int count = configured != nullptr ? std::atoi(configured) : 8000;
    const std::vector<std::string> questions = generated_questions(20261207, count);
    for (std::size_t i = 0; i < questions.size(); ++i)
        expect_same_answer(questions[i], i % 16 == 0);
}

// A design asked directly (as hosts may) of what is no design: each is one
// error line saying why, whichever check meets it first.
TEST(AnswerForms, WhatIsNoDesignIsOneErrorLineSayingWhy) {
    host::QuestionSettings e24;
    host::set_question_option("--series", "E24", e24);
    host::QuestionSettings too_many = e24;
    too_many.samples = host::MAX_SAMPLES + 1;
    host::QuestionSettings combined = e24;
    combined.combine = 2;
    const struct {
        const char* command;
        const host::QuestionSettings* settings;
        const char* starts;
    } cases[] = {
        {"voltage_divider ? ? ? = 3..4", &e24, "Error: A design picks one or two values written ?"},
        {"voltage_divider 12 ? ? = 3.3", &e24, "Error: A design needs a window on the result"},
        {"voltage_divider 12 ? ?", &e24, "Error: A design needs a window on the result"},
        {"voltage_divider 12 ? ? = 3x", &e24, "Error: Invalid number '3x'"},
        {"voltage_divider 12 ? ? = 3..4", &combined, "Error: --combine goes with a solve"},
        {"voltage_divider 12 ? ? = 3..4", &too_many, "Error: Invalid number of samples"},
        {"power_vi 1 2 ? = 1..2", &e24, "Error: ? stands for one of the 2 values of power_vi"},
        {"nosuch ? ? = 1..2", &e24, "Error: Unknown formula"},
    };
    for (const auto& c : cases) {
        const host::Designed designed = host::design(c.command, *c.settings);
        EXPECT_TRUE(designed.error) << c.command;
        EXPECT_TRUE(designed.line.starts_with(c.starts)) << c.command << "\n" << designed.line;
        EXPECT_EQ(designed.line, designed.engineering) << c.command;
    }
}

// --combine 2 answers with its parts in the JSON as in the line: 3600 Ω +
// 200 Ω = 3800 Ω, giving 12 x 3800 / 13800 V; 3900 Ω ∥ 130 kΩ = 3900 x
// 130000 / 133900 Ω. Every kind is named alike by the answer and its JSON.
TEST(AnswerForms, ACombinationsPartsAreInItsJsonAndEveryKindIsNamedOnce) {
    const host::Answered answered =
        host::answer("--series E24 --combine 2 voltage_divider 12 10k ? = 3.3");
    ASSERT_TRUE(std::holds_alternative<host::SolvedInParts>(answered));
    const nlohmann::json object = nlohmann::json::parse(host::answer_json(answered));
    EXPECT_EQ(object["kind"], "solve");
    ASSERT_EQ(object["combinations"].size(), 2U);
    const nlohmann::json& series = object["combinations"][0];
    EXPECT_FALSE(series["parallel"].get<bool>());
    EXPECT_EQ(series["first"], 3600.0);
    EXPECT_EQ(series["second"], 200.0);
    EXPECT_EQ(series["value"], 3800.0);
    EXPECT_DOUBLE_EQ(series["result"]["nominal"].get<double>(), 12.0 * 3800.0 / 13800.0);
    const nlohmann::json& parallel = object["combinations"][1];
    EXPECT_TRUE(parallel["parallel"].get<bool>());
    EXPECT_DOUBLE_EQ(parallel["value"].get<double>(), 3900.0 * 130000.0 / 133900.0);
    EXPECT_EQ(object["partTolerance"], 0.05);  // E24's
    const std::set<std::string> kinds = {"solve", "pair", "range", "statistics", "design", "error"};
    for (const std::string& question : generated_questions(20261208, 400)) {
        const host::Answered each = host::answer(question);
        const std::string kind(host::kind_name(each));
        EXPECT_EQ(nlohmann::json::parse(host::answer_json(each))["kind"], kind) << question;
        if (!std::holds_alternative<host::Forwarded>(each)) {
            EXPECT_EQ(kinds.count(kind), 1U) << kind;
        }
    }
}

// Options given as one JSON object read as the same words on the tool's
// command line read: texts, whole numbers of either sign and past 2^53, an
// option given without an argument, one left out; anything else is refused
// with the grammar's own error, naming the option.
TEST(AnswerForms, OptionsGivenAsJsonReadAsTheToolsWords) {
    const struct {
        const char* json;
        const char* words;  // the same as the tool's options, or null: refused
        const char* refused;
    } cases[] = {
        {R"({"series":"E24","mc":1000,"seed":18446744073709551615,"top":3})",
         "--series E24 --mc 1000 --seed 18446744073709551615 --top 3", ""},
        {R"({"mc":null,"distribution":"normal","histogram":false})", "--mc --distribution normal",
         ""},
        {R"({"mc":true})", "--mc", ""},
        {R"({"mc":-1})", nullptr, "--mc"},
        {R"({"mc":2.5})", nullptr, "--mc"},
        {R"({"series":"E25"})", nullptr, "--series"},
        {R"({"frobnicate":"1"})", nullptr, "--frobnicate"},
        {R"([1,2])", nullptr, ""},
        {"not json", nullptr, ""},
    };
    for (const auto& c : cases) {
        host::QuestionSettings settings;
        const host::OptionRefusal refusal = host::read_question_options(c.json, settings);
        EXPECT_EQ(static_cast<bool>(refusal), c.words == nullptr) << c.json;
        EXPECT_EQ(refusal.name, c.refused) << c.json;
        if (c.words == nullptr) {
            EXPECT_TRUE(refusal.error.starts_with("Error: ")) << refusal.error;
            continue;
        }
        const host::ParsedQuestion tool =
            host::parse_question(std::string(c.words) + " power_vi 1 2");
        ASSERT_TRUE(tool.ok()) << c.words << ": " << tool.error;
        EXPECT_EQ(settings, tool.question.settings) << c.json;
    }
}

// A host's function of one kind answers a question of that kind as the one
// answer does, and any other command with that kind's own refusal, or as
// that kind where it is one too.
TEST(AnswerForms, AKindsOwnAnswerIsTheOneAnswerOrItsRefusal) {
    const struct {
        const char* kind;
        const char* asks;  // a question of the kind
    } kinds[] = {
        {"solve", "voltage_divider 12 10k ? = 3.3"},
        {"range",
         "voltage_divider 12 10k\xC2\xB1"
         "1% 4k7"},
        {"pair", "--series E24 voltage_divider 12 ? ? = 3.3"},
        {"statistics",
         "--mc 100 voltage_divider 12 10k\xC2\xB1"
         "1% 4k7"},
        {"design", "--series E24 voltage_divider 12 ? ? = 3.2..3.4"},
    };
    for (const auto& own : kinds) {
        EXPECT_EQ(host::answer_json(host::answer_as(own.kind, own.asks)),
                  host::answer_json(host::answer(own.asks)))
            << own.kind;
        for (const auto& other : kinds) {
            if (std::string_view(other.kind) == own.kind) continue;
            // (A range of values with tolerances leaves --mc be, as the tool's
            // options a question does not use are left be.)
            const host::Answered refused = host::answer_as(own.kind, other.asks);
            EXPECT_TRUE(host::reply_of(refused).error || host::kind_name(refused) == own.kind)
                << own.kind << " of " << other.asks;
        }
    }
    // Every module kind has its name, the written reference's too.
    EXPECT_EQ(host::kind_name(host::Kind::reference_written), "reference_written");
    EXPECT_EQ(host::kind_name(host::Kind::reference_failed), "reference_failed");
}
