// zorvane-calc on Windows: Win32 handles, the wide console API and UTF-16
// arguments. Pipes and files carry UTF-8 bytes unchanged; a console gets
// UTF-16 both ways, so that Ω, µ and ° show (and can be typed) whatever the
// console's code page. Error codes in Transfer are Win32 error codes.
#include <windows.h>
// (shellapi.h needs windows.h first.)
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "zorvane_host/host.h"
#include "platform.h"

namespace zorvane_calc::platform {

namespace {

// Bytes of UTF-8 handed to the console in one call: small enough for any
// console, large enough that a batch is not slowed down.
constexpr std::size_t CONSOLE_PIECE = 4096;
constexpr wchar_t END_OF_FILE_KEY = 0x1A;  // Ctrl+Z typed at a console

HANDLE handle(Stream stream) noexcept {
    switch (stream) {
        case Stream::input:
            return ::GetStdHandle(STD_INPUT_HANDLE);
        case Stream::output:
            return ::GetStdHandle(STD_OUTPUT_HANDLE);
        case Stream::error:
            return ::GetStdHandle(STD_ERROR_HANDLE);
    }
    return INVALID_HANDLE_VALUE;
}

bool is_console(HANDLE console) noexcept {
    DWORD mode = 0;
    return ::GetConsoleMode(console, &mode) != 0;
}

// The error of the call that just failed; never zero, so that a failure
// cannot pass for success.
int last_error() noexcept {
    const DWORD error = ::GetLastError();
    return error == 0 ? ERROR_GEN_FAILURE : static_cast<int>(error);
}

DWORD clamped(std::size_t size) noexcept {
    return static_cast<DWORD>(std::min<std::size_t>(size, std::size_t{1} << 30));
}

std::string utf8_from_wide(const wchar_t* wide, std::size_t length) {
    std::string utf8;
    zorvane::host::append_utf8_from_utf16(std::u16string(wide, wide + length), utf8);
    return utf8;
}

// How many of `bytes` end on a character boundary: a UTF-8 sequence cut at
// the end waits for the bytes that complete it.
std::size_t complete_length(std::string_view bytes) noexcept {
    const std::size_t size = bytes.size();
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, size); ++back) {
        const auto byte = static_cast<unsigned char>(bytes[size - back]);
        if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
        const std::size_t needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return needed > back ? size - back : size;
    }
    return size;
}

// UTF-8 to a console as UTF-16. A write may end inside a character (the
// tool's buffer fills at any byte); its first bytes are kept until the
// next write to the same console completes it.
class ConsoleWriter {
   public:
    ConsoleWriter() {
        held_.reserve(CONSOLE_PIECE);
        units_.reserve(CONSOLE_PIECE);
    }

    Transfer write(HANDLE console, std::string_view bytes) noexcept {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const std::size_t take = std::min(CONSOLE_PIECE - held_.size(), bytes.size() - done);
            held_.append(bytes.substr(done, take));
            done += take;
            const std::string_view whole =
                std::string_view(held_).substr(0, complete_length(held_));
            if (const int error = write_units(console, whole)) {
                held_.clear();
                return {done, error};
            }
            held_.erase(0, whole.size());
        }
        return {done, 0};
    }

   private:
    int write_units(HANDLE console, std::string_view utf8) noexcept {
        units_.clear();
        zorvane::host::append_utf16_from_utf8(utf8, units_);
        std::size_t done = 0;
        while (done < units_.size()) {
            DWORD wrote = 0;
            const auto* wide = reinterpret_cast<const wchar_t*>(units_.data() + done);
            if (!::WriteConsoleW(console, wide, clamped(units_.size() - done), &wrote, nullptr)) {
                return last_error();
            }
            if (wrote == 0) return ERROR_WRITE_FAULT;  // no progress: never loop forever
            done += wrote;
        }
        return 0;
    }

    std::string held_;
    std::u16string units_;
};

// A console's UTF-16 as UTF-8. What does not fit the caller's buffer, and a
// high surrogate whose partner has not been read yet, wait for the next call.
class ConsoleReader {
   public:
    ConsoleReader() {
        units_.reserve(typed_.size() + 1);
        utf8_.reserve(3 * (typed_.size() + 1));
    }

    Transfer read(HANDLE console, std::span<char> buffer) noexcept {
        if (taken_ == utf8_.size()) {
            if (at_end_) return {0, 0};
            if (const int error = fill(console)) return {0, error};
        }
        const std::size_t count = std::min(buffer.size(), utf8_.size() - taken_);
        std::copy_n(utf8_.data() + taken_, count, buffer.data());
        taken_ += count;
        return {count, 0};
    }

   private:
    int fill(HANDLE console) noexcept {
        DWORD got = 0;
        if (!::ReadConsoleW(console, typed_.data(), clamped(typed_.size()), &got, nullptr)) {
            return last_error();
        }
        // Ctrl+Z at the start of a line ends console input, as everywhere on
        // Windows; so does a read of nothing.
        at_end_ = got == 0 || typed_[0] == END_OF_FILE_KEY;
        units_.clear();
        if (held_high_ != 0) units_.push_back(std::exchange(held_high_, 0));
        if (!at_end_) units_.append(typed_.begin(), typed_.begin() + got);
        if (!units_.empty() && units_.back() >= 0xD800 && units_.back() <= 0xDBFF) {
            held_high_ = units_.back();
            units_.pop_back();
        }
        utf8_.clear();
        taken_ = 0;
        zorvane::host::append_utf8_from_utf16(units_, utf8_);
        return 0;
    }

    std::array<wchar_t, 1024> typed_{};
    std::u16string units_;
    std::string utf8_;
    std::size_t taken_ = 0;
    char16_t held_high_ = 0;
    bool at_end_ = false;
};

ConsoleWriter& console_writer(Stream stream) noexcept {
    static ConsoleWriter output;
    static ConsoleWriter error;
    return stream == Stream::error ? error : output;
}

Transfer read_file(HANDLE file, std::span<char> buffer) noexcept {
    DWORD got = 0;
    if (::ReadFile(file, buffer.data(), clamped(buffer.size()), &got, nullptr)) return {got, 0};
    const int error = last_error();
    // A pipe whose writer closed is the end of input, not a failure.
    if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return {0, 0};
    return {0, error};
}

Transfer write_file(HANDLE file, std::string_view bytes) noexcept {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        if (!::WriteFile(file, bytes.data() + done, clamped(bytes.size() - done), &wrote,
                         nullptr)) {
            return {done, last_error()};
        }
        if (wrote == 0) return {done, ERROR_WRITE_FAULT};  // no progress: never loop forever
        done += wrote;
    }
    return {done, 0};
}

// A system message without its line end and full stop, like strerror's.
std::string trimmed(std::string message) {
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    return message;
}

}  // namespace

// The tool writes through WriteFile and WriteConsoleW, never through the C
// runtime's text-mode streams, so no CR is ever added to a line end; and
// Windows has no signal for a file-size limit. Nothing to set up.
void prepare_process() noexcept {}

// The C runtime's narrow argv holds the arguments in the ANSI code page,
// which cannot hold Ω; the command line itself is UTF-16.
std::span<char* const> utf8_arguments(int argc, char** argv) {
    static std::vector<std::string> texts;
    static std::vector<char*> pointers;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {  // out of memory: the runtime's reading is what is left
        return argc < 1 ? std::span<char* const>{}
                        : std::span<char* const>(argv, static_cast<std::size_t>(argc)).subspan(1);
    }
    texts.reserve(static_cast<std::size_t>(count));
    for (int i = 1; i < count; ++i) texts.push_back(utf8_from_wide(wide[i], ::wcslen(wide[i])));
    ::LocalFree(wide);
    for (std::string& text : texts) pointers.push_back(text.data());
    return pointers;
}

bool is_terminal(Stream stream) noexcept { return is_console(handle(stream)); }

Transfer read_some(Stream stream, std::span<char> buffer) noexcept {
    static ConsoleReader console;
    const HANDLE input = handle(stream);
    return is_console(input) ? console.read(input, buffer) : read_file(input, buffer);
}

Transfer write_all(Stream stream, std::string_view bytes) noexcept {
    const HANDLE output = handle(stream);
    return is_console(output) ? console_writer(stream).write(output, bytes)
                              : write_file(output, bytes);
}

// In English where the system has the English messages, as the POSIX tool
// gives the C locale's; otherwise in the user's language.
std::string error_text(int error) {
    std::array<wchar_t, 512> message{};
    const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    const auto code = static_cast<DWORD>(error);
    for (const DWORD language : {DWORD{MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)}, DWORD{0}}) {
        const DWORD length = ::FormatMessageW(flags, nullptr, code, language, message.data(),
                                              clamped(message.size()), nullptr);
        if (length != 0) return trimmed(utf8_from_wide(message.data(), length));
    }
    return "error " + std::to_string(code);
}

// No line editing here: the tool writes the prompt and reads the line itself
// (the console edits the line and keeps its history).
LineEditor::LineEditor(const char* /*prompt*/, Completer /*complete*/) {}
LineEditor::~LineEditor() = default;
bool LineEditor::available() noexcept { return false; }
bool LineEditor::read(std::string& /*line*/) { return false; }

}  // namespace zorvane_calc::platform
