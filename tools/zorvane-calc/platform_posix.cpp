// zorvane-calc on POSIX systems: file descriptors, signals and libedit.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "platform.h"

#if defined(ZORVANE_HAVE_LIBEDIT)
#include <langinfo.h>

#include <clocale>
#include <cstdio>
#include <cwchar>
// (editline/readline.h needs FILE declared first.)
#include <editline/readline.h>

#include "zorvane_host/host.h"
#endif

namespace zorvane_calc::platform {

namespace {

int descriptor(Stream stream) noexcept {
    switch (stream) {
        case Stream::input:
            return STDIN_FILENO;
        case Stream::output:
            return STDOUT_FILENO;
        case Stream::error:
            return STDERR_FILENO;
    }
    return -1;
}

}  // namespace

void prepare_process() noexcept {
    // SIGPIPE keeps its default: a reader that left ends the tool silently,
    // as it ends any filter. With SIGPIPE ignored by whoever started us,
    // EPIPE comes back from write and is reported like any write error.
    std::signal(SIGXFSZ, SIG_IGN);
}

// The bytes as they came: a POSIX system does not know their encoding, and
// a UTF-8 locale is what the tool assumes. (argc is 0 when a program was
// started with an empty argument vector.)
std::span<char* const> utf8_arguments(int argc, char** argv) {
    if (argc < 1) return {};
    return std::span<char* const>(argv, static_cast<std::size_t>(argc)).subspan(1);
}

bool is_terminal(Stream stream) noexcept { return isatty(descriptor(stream)) == 1; }

Transfer read_some(Stream stream, std::span<char> buffer) noexcept {
    for (;;) {
        const ssize_t got = ::read(descriptor(stream), buffer.data(), buffer.size());
        if (got >= 0) return {static_cast<std::size_t>(got), 0};
        if (errno != EINTR) return {0, errno};
    }
}

Transfer write_all(Stream stream, std::string_view bytes) noexcept {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(descriptor(stream), bytes.data() + done, bytes.size() - done);
        if (wrote > 0) {
            done += static_cast<std::size_t>(wrote);
        } else if (wrote == 0) {
            return {done, EIO};  // no progress and no reason: never loop forever
        } else if (errno != EINTR) {
            return {done, errno};
        }
    }
    return {done, 0};
}

// The tool never sets a locale, so the text is the C locale's English.
std::string error_text(int error) { return std::strerror(error); }

#if defined(ZORVANE_HAVE_LIBEDIT)

namespace {

LineEditor::Completer* active_completer = nullptr;
std::vector<std::string_view> pending_matches;
std::size_t next_match = 0;

// libedit asks for one match per call until it gets null; it frees them.
char* next_completion(const char* text, int state) {
    if (state == 0) {
        pending_matches = (*active_completer)(text);
        next_match = 0;
    }
    if (next_match == pending_matches.size()) return nullptr;
    const std::string_view match = pending_matches[next_match++];
    char* copy = static_cast<char*>(std::malloc(match.size() + 1));
    if (copy == nullptr) return nullptr;
    match.copy(copy, match.size());
    copy[match.size()] = '\0';
    return copy;
}

bool only_spaces_before(int start) {
    for (int i = 0; i < start; ++i) {
        if (rl_line_buffer[i] != ' ') return false;
    }
    return true;
}

// Formula names complete as the first word; the values after them do not.
char** complete_first_word(const char* text, int start, int /*end*/) {
    rl_attempted_completion_over = 1;
    if (!only_spaces_before(start)) return nullptr;
    return rl_completion_matches(text, next_completion);
}

const char* editor_prompt = "";

bool is_utf8_locale() { return std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0; }

// libedit reads what is typed through the C library's multibyte functions,
// which in the "C" locale the tool runs in know ASCII alone: every other
// character typed (µ, Ω, °, ±) would be dropped. For the time it reads a
// line, the editor gets the user's character set (UTF-8 where the
// environment names none, since the tool reads and writes UTF-8 everywhere
// else); then the tool's "C" comes back, so that nothing it parses or
// prints depends on the locale. The tool sets no other category.
class UserCharacterSet {
   public:
    UserCharacterSet() {
        if (std::setlocale(LC_CTYPE, "") == nullptr || !is_utf8_locale()) {
            const char* named = std::setlocale(LC_CTYPE, nullptr);
            const bool unnamed = named == nullptr || std::strcmp(named, "C") == 0 ||
                                 std::strcmp(named, "POSIX") == 0;
            if (unnamed) std::setlocale(LC_CTYPE, "C.UTF-8");
        }
        utf8_ = is_utf8_locale();
    }
    ~UserCharacterSet() { std::setlocale(LC_CTYPE, "C"); }
    UserCharacterSet(const UserCharacterSet&) = delete;
    UserCharacterSet& operator=(const UserCharacterSet&) = delete;

    // A line libedit gave, in the user's character set, as UTF-8; a byte
    // that is no character there becomes U+FFFD.
    std::string to_utf8(std::string_view line) const {
        if (utf8_) return std::string(line);
        std::u16string wide;
        std::mbstate_t state{};
        while (!line.empty()) {
            wchar_t c = 0;
            std::size_t used = std::mbrtowc(&c, line.data(), line.size(), &state);
            if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2)) {
                c = 0xFFFD;
                used = 1;
                state = std::mbstate_t{};
            }
            const auto code = static_cast<char32_t>(c);
            if (code >= 0x10000) {
                wide += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
                wide += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
            } else {
                wide += static_cast<char16_t>(code);
            }
            line.remove_prefix(used == 0 ? 1 : used);
        }
        std::string text;
        zorvane::host::append_utf8_from_utf16(wide, text);
        return text;
    }

   private:
    bool utf8_ = false;
};

}  // namespace

LineEditor::LineEditor(const char* prompt, Completer complete) {
    editor_prompt = prompt;
    active_completer = new Completer(std::move(complete));
    rl_readline_name = "zorvane-calc";
    rl_attempted_completion_function = complete_first_word;
}

LineEditor::~LineEditor() {
    rl_attempted_completion_function = nullptr;
    delete active_completer;
    active_completer = nullptr;
}

bool LineEditor::available() noexcept { return true; }

bool LineEditor::read(std::string& line) {
    const UserCharacterSet characters;
    char* typed = readline(editor_prompt);
    if (typed == nullptr) return false;
    const std::string_view text(typed);
    if (text.find_first_not_of(' ') != std::string_view::npos) add_history(typed);
    line = characters.to_utf8(text);
    std::free(typed);
    return true;
}

#else

LineEditor::LineEditor(const char* /*prompt*/, Completer /*complete*/) {}
LineEditor::~LineEditor() = default;
bool LineEditor::available() noexcept { return false; }
bool LineEditor::read(std::string& /*line*/) { return false; }

#endif

}  // namespace zorvane_calc::platform
