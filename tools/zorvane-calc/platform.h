// What zorvane-calc needs from the operating system, in one small interface,
// so that each platform supplies one source file (platform_posix.cpp,
// platform_windows.cpp) and the rest of the tool stays the same everywhere.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorvane_calc::platform {

// The three standard streams.
enum class Stream { input, output, error };

// Sets the process up before any I/O: a file-size limit must make a write
// fail (and be reported) rather than kill the tool.
void prepare_process() noexcept;

// The arguments after the program's name, in UTF-8, valid for the rest of
// the process. Where the system hands arguments over in another encoding
// (UTF-16 on Windows) they are converted here, before any option is read.
std::span<char* const> utf8_arguments(int argc, char** argv);

bool is_terminal(Stream stream) noexcept;

// What a read or write achieved: `error` is zero or the system's error code.
struct Transfer {
    std::size_t count = 0;
    int error = 0;
};

// Reads what is available, up to `buffer.size()` bytes, waiting for at
// least one; a count of zero without an error is the end of input.
Transfer read_some(Stream stream, std::span<char> buffer) noexcept;

// Writes all of `bytes`, however many calls it takes.
Transfer write_all(Stream stream, std::string_view bytes) noexcept;

// The system's words for an error code: "No space left on device".
std::string error_text(int error);

// A line typed at the prompt, with line editing where the platform has it.
// `complete` gives the completions of the first word of a line.
class LineEditor {
   public:
    using Completer = std::function<std::vector<std::string_view>(std::string_view)>;

    LineEditor(const char* prompt, Completer complete);
    ~LineEditor();
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;

    // Whether this platform edits lines itself; when it does not, the tool
    // writes the prompt and reads the line as it reads a batch.
    static bool available() noexcept;

    // The next line without its line end; false at the end of input.
    bool read(std::string& line);
};

}  // namespace zorvane_calc::platform
