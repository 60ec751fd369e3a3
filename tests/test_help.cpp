// The usage summary and the reference file, byte for byte, and the reference
// writer's failure paths exercised for real.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "formulas/formula_table.h"
#include "help/help.h"
#include "zorvane/electronics_calc.h"

namespace {

namespace fs = std::filesystem;

std::string read_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_bytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

const std::string GOLDEN_REFERENCE = read_bytes(ZORVANE_GOLDEN_DIR "/electronics_formulas.txt");
const std::string GOLDEN_HELP = read_bytes(ZORVANE_GOLDEN_DIR "/help_summary.txt");
const std::string OLD_REFERENCE = "an earlier reference that must survive a failed write\n";

// A fresh directory per test, left as the current directory while it runs.
class ReferenceFile : public testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        directory_ = fs::temp_directory_path() /
                     ("zorvane-help-" + std::to_string(::getpid()) + "-" +
                      testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(directory_);
        fs::create_directories(directory_);
        fs::current_path(directory_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(directory_);
    }

    fs::path reference() const { return directory_ / "electronics_formulas.txt"; }

    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    // Runs `body` in a child process whose files may not grow beyond
    // `limit` bytes; returns the child's exit status.
    static int with_file_size_limit(rlim_t limit, const std::function<int()>& body) {
        std::fflush(stdout);
        const pid_t child = ::fork();
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead
            const rlimit cap{limit, limit};
            if (::setrlimit(RLIMIT_FSIZE, &cap) != 0) ::_exit(100);
            ::_exit(body());
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path previous_;
    fs::path directory_;
};

TEST(HelpSummary, IsTheEightTextsByteForByte) {
    testing::internal::CaptureStdout();
    zorvane::print_help_summary();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), GOLDEN_HELP);
    EXPECT_EQ(zorvane::help_summary_texts().size(), 8U);
}

TEST_F(ReferenceFile, IsTheSeventyTwoTextsByteForByte) {
    ASSERT_EQ(GOLDEN_REFERENCE.size(), 4276U) << "golden file damaged";
    ASSERT_TRUE(zorvane::save_formula_reference(nullptr));
    EXPECT_EQ(read_bytes(reference()), GOLDEN_REFERENCE);
    EXPECT_EQ(zorvane::formula_reference_texts().size(), 72U);
    EXPECT_EQ(entries(), std::vector<std::string>{"electronics_formulas.txt"});
}

// The reference file and the table list the same formulas, in the same order,
// with the same argument names, under headings that fall where the table's
// category changes.
TEST_F(ReferenceFile, ListsEveryRowOfTheTableInOrderWithItsArgumentsAndCategory) {
    ASSERT_TRUE(zorvane::save_formula_reference(nullptr));
    std::istringstream file(read_bytes(reference()));
    struct Listed {
        std::string keyword;
        std::string arguments;
        int heading;
    };
    std::vector<Listed> listed;
    int headings = 0;
    int notes = 0;
    for (std::string line; std::getline(file, line);) {
        if (line.starts_with("  ")) {
            std::istringstream words(line);
            Listed entry{"", "", headings};
            words >> entry.keyword;
            for (std::string word; words >> word && word.starts_with('<');) {
                EXPECT_TRUE(word.ends_with('>')) << line;
                entry.arguments += (entry.arguments.empty() ? "" : " ") + word;
            }
            listed.push_back(entry);
        } else if (line.ends_with(':') && line != "Notes:") {
            ++headings;
        } else if (line.starts_with("- All ")) {
            ++notes;
        }
    }
    EXPECT_EQ(headings, 12);
    EXPECT_EQ(notes, 8);
    const auto table = zorvane::formula_table();
    ASSERT_EQ(listed.size(), table.size());
    std::vector<std::string_view> categories;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (categories.empty() || categories.back() != table[i].category) {
            EXPECT_EQ(std::count(categories.begin(), categories.end(), table[i].category), 0)
                << table[i].category << " is split";
            categories.push_back(table[i].category);
        }
        EXPECT_EQ(listed[i].keyword, table[i].keyword) << "row " << i + 1;
        EXPECT_EQ(listed[i].arguments, table[i].arguments) << table[i].keyword;
        EXPECT_EQ(listed[i].heading, static_cast<int>(categories.size())) << table[i].keyword;
    }
    EXPECT_EQ(categories.size(), 12U);
}

TEST_F(ReferenceFile, WritingTwiceLeavesOneCopy) {
    write_bytes(reference(), std::string(10000, 'x'));  // longer than the reference
    ASSERT_TRUE(zorvane::save_formula_reference(nullptr));
    ASSERT_TRUE(zorvane::save_formula_reference(directory_.c_str()));
    EXPECT_EQ(read_bytes(reference()), GOLDEN_REFERENCE);
    EXPECT_EQ(entries(), std::vector<std::string>{"electronics_formulas.txt"});
}

TEST_F(ReferenceFile, AMissingDirectoryFailsAndCreatesNothing) {
    EXPECT_FALSE(zorvane::save_formula_reference((directory_ / "missing").c_str()));
    write_bytes("plain-file", "x");
    EXPECT_FALSE(zorvane::save_formula_reference((directory_ / "plain-file").c_str()));
    EXPECT_EQ(entries(), std::vector<std::string>{"plain-file"});
}

TEST_F(ReferenceFile, ATargetThatCannotBeReplacedFailsAndLeavesNoTemporaryFile) {
    fs::create_directory(reference());
    EXPECT_FALSE(zorvane::save_formula_reference(nullptr));
    EXPECT_TRUE(fs::is_directory(reference()));
    EXPECT_EQ(entries(), std::vector<std::string>{"electronics_formulas.txt"});
}

TEST_F(ReferenceFile, AWriteThatFailsHalfwayLeavesTheOldFileUntouched) {
    write_bytes(reference(), OLD_REFERENCE);
    const int status = with_file_size_limit(1000, [] {
        return zorvane::save_formula_reference(nullptr) ? 1 : 0;
    });
    EXPECT_EQ(status, 0) << "the write must fail and say so";
    EXPECT_EQ(read_bytes(reference()), OLD_REFERENCE);
    EXPECT_EQ(entries(), std::vector<std::string>{"electronics_formulas.txt"});
}

TEST_F(ReferenceFile, HelpCommandWritesTheFileAndReportsSuccess) {
    const std::u16string line = ElectronicsCalc(u"  /HELP ");
    EXPECT_EQ(line, u"Help file 'electronics_formulas.txt' created successfully!");
    EXPECT_EQ(read_bytes(reference()), GOLDEN_REFERENCE);
    EXPECT_EQ(std::u16string(ElectronicsCalc(u"/help 1")),
              u"Error: Unknown formula '/help' or insufficient parameters");
}

TEST_F(ReferenceFile, HelpCommandReportsAFailedWriteAndKeepsTheOldFile) {
    write_bytes(reference(), OLD_REFERENCE);
    const int status = with_file_size_limit(1000, [] {
        const std::u16string line = ElectronicsCalc(u"/help");
        return line == u"Error: Could not create help file" ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(read_bytes(reference()), OLD_REFERENCE);
    EXPECT_EQ(entries(), std::vector<std::string>{"electronics_formulas.txt"});
}

TEST_F(ReferenceFile, DirectCallReportsItsOutcomeOnStandardOutput) {
    testing::internal::CaptureStdout();
    zorvane::write_formula_reference();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Help file 'electronics_formulas.txt' created successfully!\n");
    fs::remove(reference());
    fs::create_directory(reference());
    testing::internal::CaptureStdout();
    zorvane::write_formula_reference();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error: Could not create help file\n");
}

}  // namespace
