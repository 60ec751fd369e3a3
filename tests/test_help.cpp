// The usage summary and the reference file, byte for byte, and the reference
// writer's failure paths exercised for real.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
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

#include "formula_table.h"
#include "help.h"
#include "zorvane/electronics_calc.h"

namespace {

namespace fs = std::filesystem;

// Every fsync of this binary passes through the interposer below: a test
// can make the flush of the file or of its directory fail, and sees what
// the reference's name held when each flush ran.
struct FsyncProbe {
    int file_error = 0;
    int directory_error = 0;
    std::vector<std::string> seen;  // "file:" or "directory:", then the reference's bytes
} fsync_probe;

}  // namespace

extern "C" int fsync(int fd) {
    struct stat status {};
    const bool directory = ::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode);
    std::string bytes;
    std::error_code unreadable;
    if (fs::is_regular_file("electronics_formulas.txt", unreadable)) {
        std::ifstream in("electronics_formulas.txt", std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    fsync_probe.seen.push_back((directory ? "directory:" : "file:") + bytes);
    const int error = directory ? fsync_probe.directory_error : fsync_probe.file_error;
    if (error != 0) {
        errno = error;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace {

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

    // Every name under the directory, a link with what it points to, sorted.
    std::vector<std::string> tree(const fs::path& under = {}) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory_ / under)) {
            const fs::path name = under / entry.path().filename();
            if (entry.is_symlink()) {
                names.push_back(name.string() + " -> " + fs::read_symlink(entry).string());
            } else {
                names.push_back(name.string());
                if (entry.is_directory()) std::ranges::copy(tree(name), std::back_inserter(names));
            }
        }
        std::ranges::sort(names);
        return names;
    }

    void empty_directory() const {
        for (const auto& entry : fs::directory_iterator(directory_)) fs::remove_all(entry.path());
    }

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

TEST(HelpSummary, IsTheGoldenTextByteForByte) {
    std::string summary;
    for (const std::string_view text : zorvane::help_summary_texts()) summary += text;
    EXPECT_EQ(summary, GOLDEN_HELP);
}

TEST_F(ReferenceFile, IsTheGoldenFileByteForByte) {
    ASSERT_EQ(GOLDEN_REFERENCE.size(), 4276U) << "golden file damaged";
    ASSERT_TRUE(zorvane::save_formula_reference(nullptr));
    EXPECT_EQ(read_bytes(reference()), GOLDEN_REFERENCE);
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
        const std::string_view category = table[i].category->name;
        if (categories.empty() || categories.back() != category) {
            EXPECT_EQ(std::count(categories.begin(), categories.end(), category), 0)
                << category << " is split";
            categories.push_back(category);
        }
        std::string arguments;
        for (const zorvane::Argument& argument : table[i].argument_list()) {
            arguments += (arguments.empty() ? "<" : " <") + std::string(argument.name) + ">";
        }
        EXPECT_EQ(listed[i].keyword, table[i].keyword) << "row " << i + 1;
        EXPECT_EQ(listed[i].arguments, arguments) << table[i].keyword;
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
    // An empty name names no directory: neither this one nor the root.
    const fs::path in_root = "/electronics_formulas.txt";
    const bool was_in_root = fs::exists(fs::symlink_status(in_root));
    EXPECT_FALSE(zorvane::save_formula_reference(""));
    EXPECT_EQ(entries(), std::vector<std::string>{"plain-file"});
    EXPECT_EQ(fs::exists(fs::symlink_status(in_root)), was_in_root);
    if (!was_in_root) fs::remove(in_root);
}

TEST_F(ReferenceFile, ATargetThatCannotBeReplacedFailsAndLeavesNoTemporaryFile) {
    fs::create_directory(reference());
    EXPECT_FALSE(zorvane::save_formula_reference(nullptr));
    EXPECT_TRUE(fs::is_directory(reference()));
    EXPECT_EQ(entries(), std::vector<std::string>{"electronics_formulas.txt"});
}

TEST_F(ReferenceFile, AWriteThatFailsHalfwayLeavesTheOldFileUntouched) {
    write_bytes(reference(), OLD_REFERENCE);
    const int status =
        with_file_size_limit(1000, [] { return zorvane::save_formula_reference(nullptr) ? 1 : 0; });
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

// Only the request itself writes the file; other commands that begin with
// '/' are evaluated as any other.
TEST_F(ReferenceFile, OtherSlashCommandsAreEvaluatedAndWriteNothing) {
    const struct {
        const char16_t* command;
        const char16_t* expected;
    } cases[] = {
        {u"/helpx", u"Error: Unknown formula '/helpx' or insufficient parameters"},
        {u"/hel", u"Error: Unknown formula '/hel' or insufficient parameters"},
        {u" /he lp", u"Error: Invalid number 'lp'"},
        {u"/help x", u"Error: Invalid number 'x'"},
        {u"/", u"Error: Unknown formula '/' or insufficient parameters"},
        {u"//help", u"Error: Unknown formula '//help' or insufficient parameters"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::u16string(ElectronicsCalc(c.command)), c.expected);
        EXPECT_FALSE(fs::exists(reference())) << std::u16string_view(c.command).size();
    }
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

TEST_F(ReferenceFile, FlushesTheFileBeforeTheRenameAndTheDirectoryAfterIt) {
    const struct {
        const char* name;
        int file_error;
        int directory_error;
        bool written;
    } cases[] = {
        {"no fault", 0, 0, true},
        {"the file's flush fails", EIO, 0, false},
        {"the file's flush is unsupported", EINVAL, 0, false},
        {"the directory's flush fails", 0, EIO, false},
        {"the directory's flush is unsupported", 0, EINVAL, true},
    };
    for (const auto& c : cases) {
        write_bytes(reference(), OLD_REFERENCE);
        fsync_probe = {c.file_error, c.directory_error, {}};
        EXPECT_EQ(zorvane::save_formula_reference(nullptr), c.written) << c.name;
        const std::vector<std::string> flushes = fsync_probe.seen;
        fsync_probe = {};
        // The old text at the file's flush, the new one at the directory's.
        const bool renamed = c.file_error == 0;
        std::vector<std::string> expected{"file:" + OLD_REFERENCE};
        if (renamed) expected.push_back("directory:" + GOLDEN_REFERENCE);
        EXPECT_EQ(flushes, expected) << c.name;
        EXPECT_EQ(read_bytes(reference()), renamed ? GOLDEN_REFERENCE : OLD_REFERENCE) << c.name;
        EXPECT_EQ(entries(), std::vector<std::string>{"electronics_formulas.txt"}) << c.name;
    }
}

TEST_F(ReferenceFile, AStaleTemporaryFileIsNeitherReusedNorTouched) {
    const std::string stale = "electronics_formulas.txt." + std::to_string(::getpid()) + "-0.tmp";
    const std::string stale_text(10000, 's');
    write_bytes(stale, stale_text);
    ASSERT_TRUE(zorvane::save_formula_reference(nullptr));
    EXPECT_EQ(read_bytes(reference()), GOLDEN_REFERENCE);
    EXPECT_EQ(read_bytes(stale), stale_text);
    EXPECT_EQ(tree(), (std::vector<std::string>{"electronics_formulas.txt", stale}));
}

// The temporary name is the longest path the writer builds: 4095 characters
// and the terminator fit, one more does not. "./././" pads the directory.
TEST_F(ReferenceFile, TheTemporaryPathMayReachTheLimitButNotPassIt) {
    const std::size_t tail =
        ("/electronics_formulas.txt." + std::to_string(::getpid()) + "-0.tmp").size();
    for (const std::size_t length : {std::size_t{4095}, std::size_t{4096}}) {
        std::string directory = ".";
        while (directory.size() + 2 <= length - tail) directory += "/.";
        if (directory.size() < length - tail) directory += "/";
        ASSERT_EQ(directory.size() + tail, length);
        EXPECT_EQ(zorvane::save_formula_reference(directory.c_str()), length == 4095) << length;
        EXPECT_EQ(tree(), std::vector<std::string>(length == 4095, "electronics_formulas.txt"));
        fs::remove(reference());
    }
}

TEST_F(ReferenceFile, AReplacedFileKeepsItsModeAndGroupANewOneFollowsTheUmask) {
    const struct {
        int old_mode;  // -1: no old file
        mode_t umask;
        int expected;
    } cases[] = {
        {-1, 022, 0644}, {-1, 077, 0600},    {0600, 022, 0600}, {0755, 077, 0755},
        {0444, 0, 0444}, {04755, 022, 0755}, {07644, 0, 0644},  // no set-id or sticky bit
    };
    for (const auto& c : cases) {
        fs::remove(reference());
        if (c.old_mode >= 0) {
            write_bytes(reference(), OLD_REFERENCE);
            ASSERT_EQ(::chmod(reference().c_str(), static_cast<mode_t>(c.old_mode)), 0);
        }
        const mode_t previous = ::umask(c.umask);
        const bool written = zorvane::save_formula_reference(nullptr);
        ::umask(previous);
        EXPECT_TRUE(written) << std::oct << c.old_mode;
        EXPECT_EQ(fs::status(reference()).permissions(), static_cast<fs::perms>(c.expected))
            << std::oct << c.old_mode << " " << c.umask;
        EXPECT_EQ(read_bytes(reference()), GOLDEN_REFERENCE);
    }
    // Root may choose any group, others one of their own.
    std::vector<gid_t> groups(64);
    groups.resize(static_cast<std::size_t>(std::max(0, ::getgroups(64, groups.data()))));
    std::erase(groups, ::getegid());
    const gid_t group = ::geteuid() == 0 ? 4242 : groups.empty() ? ::getegid() : groups[0];
    ASSERT_EQ(::chown(reference().c_str(), static_cast<uid_t>(-1), group), 0);
    ASSERT_TRUE(zorvane::save_formula_reference(nullptr));
    struct stat status {};
    ASSERT_EQ(::stat(reference().c_str(), &status), 0);
    EXPECT_EQ(status.st_gid, group);
}

// A chain of `count` links from the reference's name to other/real.txt.
std::vector<std::pair<std::string, std::string>> chain_of_links(int count) {
    std::vector<std::pair<std::string, std::string>> links{{"electronics_formulas.txt", "other/1"}};
    for (int hop = 1; hop < count; ++hop) {
        links.emplace_back("other/" + std::to_string(hop),
                           hop + 1 == count ? "real.txt" : std::to_string(hop + 1));
    }
    return links;
}

// A link stays a link and the file it leads to is replaced, in place; a link
// that leads nowhere fails. No case leaves a name behind or creates one.
TEST_F(ReferenceFile, ALinkedReferenceReplacesTheFileTheLinkLeadsTo) {
    const std::string absolute = (directory_ / "other/real.txt").string();
    const struct {
        const char* name;
        std::vector<std::pair<std::string, std::string>> links;  // name, what it points to
        bool written;
    } cases[] = {
        {"relative", {{"electronics_formulas.txt", "other/real.txt"}}, true},
        {"absolute", {{"electronics_formulas.txt", absolute}}, true},
        {"two hops", {{"electronics_formulas.txt", "other/hop"}, {"other/hop", "real.txt"}}, true},
        {"dangling", {{"electronics_formulas.txt", "other/missing.txt"}}, false},
        {"loop",
         {{"electronics_formulas.txt", "loop"}, {"loop", "electronics_formulas.txt"}},
         false},
        {"a directory", {{"electronics_formulas.txt", "other"}}, false},
        {"forty links, as many as the system follows", chain_of_links(40), true},
        {"forty-one links", chain_of_links(41), false},
    };
    for (const auto& c : cases) {
        for (const char* directory : {static_cast<const char*>(nullptr), directory_.c_str()}) {
            empty_directory();
            fs::create_directory(directory_ / "other");
            const fs::path real = directory_ / "other/real.txt";
            write_bytes(real, OLD_REFERENCE);
            fs::permissions(real, static_cast<fs::perms>(0640));
            for (const auto& [name, to] : c.links) fs::create_symlink(to, directory_ / name);
            const std::vector<std::string> before = tree();
            const bool written = zorvane::save_formula_reference(directory);
            EXPECT_EQ(written, c.written) << c.name << (directory ? " in a directory" : "");
            EXPECT_EQ(tree(), before) << c.name;
            EXPECT_EQ(read_bytes(real), c.written ? GOLDEN_REFERENCE : OLD_REFERENCE) << c.name;
            EXPECT_EQ(fs::status(real).permissions(), static_cast<fs::perms>(0640)) << c.name;
        }
    }
    empty_directory();
    fs::create_symlink("missing.txt", reference());
    EXPECT_EQ(std::u16string(ElectronicsCalc(u"/help")), u"Error: Could not create help file");
    EXPECT_EQ(tree(), std::vector<std::string>{"electronics_formulas.txt -> missing.txt"});
}

// A link to a file directly in the root: its directory is "/", not "".
TEST_F(ReferenceFile, ALinkToAFileInTheRootReplacesIt) {
    if (::access("/", W_OK) != 0) GTEST_SKIP() << "needs a writable root directory";
    const fs::path real = "/zorvane-help-" + std::to_string(::getpid()) + ".txt";
    write_bytes(real, OLD_REFERENCE);
    fs::create_symlink(real, reference());
    const bool written = zorvane::save_formula_reference(nullptr);
    const std::string bytes = read_bytes(real);
    fs::remove(real);
    EXPECT_TRUE(written);
    EXPECT_EQ(bytes, GOLDEN_REFERENCE);
    EXPECT_EQ(tree(), std::vector<std::string>{"electronics_formulas.txt -> " + real.string()});
}

// A writer outside the replaced file's group cannot give its file that group
// (EPERM): the reference is written all the same, in the writer's own group.
TEST_F(ReferenceFile, AGroupTheWriterMayNotGiveIsLeftToTheSystem) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a file of a group it is not in";
    constexpr uid_t NOBODY = 65534;
    constexpr gid_t NO_GROUP = 65534;
    write_bytes(reference(), OLD_REFERENCE);
    ASSERT_EQ(::chmod(reference().c_str(), 0640), 0);
    ASSERT_EQ(::chown(reference().c_str(), NOBODY, 0), 0);
    ASSERT_EQ(::chown(directory_.c_str(), NOBODY, NO_GROUP), 0);
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
        const bool unprivileged =
            ::setgroups(0, nullptr) == 0 && ::setgid(NO_GROUP) == 0 && ::setuid(NOBODY) == 0;
        ::_exit(!unprivileged ? 100 : zorvane::save_formula_reference(nullptr) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(read_bytes(reference()), GOLDEN_REFERENCE);
    struct stat replaced {};
    ASSERT_EQ(::stat(reference().c_str(), &replaced), 0);
    EXPECT_EQ(replaced.st_gid, NO_GROUP);
    EXPECT_EQ(replaced.st_mode & 07777, 0640U);
    EXPECT_EQ(entries(), std::vector<std::string>{"electronics_formulas.txt"});
}

// The one length rule: 255 characters are a /help command, 256 are refused
// before anything is written.
TEST_F(ReferenceFile, HelpCommandObeysTheCommandLengthRule) {
    const struct {
        std::size_t spaces;
        const char16_t* expected;
    } cases[] = {
        {300, u"Error: Command longer than 255 characters"},
        {251, u"Error: Command longer than 255 characters"},
        {250, u"Help file 'electronics_formulas.txt' created successfully!"},
    };
    for (const auto& c : cases) {
        const std::u16string command = u"/help" + std::u16string(c.spaces, u' ');
        EXPECT_EQ(std::u16string(ElectronicsCalc(command.c_str())), c.expected) << c.spaces;
        EXPECT_EQ(fs::exists(reference()), c.spaces == 250) << c.spaces;
    }
}

}  // namespace

namespace {

// A sink that takes `room` writes, then fails every one after.
struct FailingSink {
    int room;
    int calls = 0;
    static bool write(void* context, std::string_view) {
        auto& sink = *static_cast<FailingSink*>(context);
        return sink.calls++ < sink.room;
    }
};

// The reference writer reports a failed write wherever it happens, and
// writes nothing after it: every write of the reference, failed in turn.
TEST(ReferenceWriter, AWriteFailedAnywhereIsReportedAndEndsTheReference) {
    FailingSink whole{1 << 30};
    ASSERT_TRUE(zorvane::write_formula_reference(FailingSink::write, &whole));
    ASSERT_GT(whole.calls, 60);  // the title, the headings and 50 lines at least
    for (int room = 0; room < whole.calls; ++room) {
        FailingSink sink{room};
        EXPECT_FALSE(zorvane::write_formula_reference(FailingSink::write, &sink)) << room;
        EXPECT_EQ(sink.calls, room + 1) << room;
    }
}

}  // namespace
