// Lines of standard input through fixed buffers: memory stays the same
// whatever the length of a line or of the input.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "zorvane_host/host.h"
#include "platform.h"

namespace zorvane_calc {

// Bytes of one line the tool holds. A command the module accepts has at most
// command_capacity() characters, each at most four bytes of UTF-8; a longer
// line is answered as the module answers a long command, without being kept.
inline std::size_t line_capacity() noexcept { return 4 * zorvane::host::command_capacity(); }

enum class Encoding { undecided, utf8, utf16le, utf16be };

// How input begins: the encoding its byte-order mark names (UTF-8 without
// one) and the mark's length; undecided while `start` could still become a
// mark and more input may follow.
struct EncodingMark {
    Encoding encoding;
    std::size_t length;
};
EncodingMark detect_encoding(std::string_view start, bool at_end) noexcept;

class LineReader {
   public:
    enum class Status { line, end, read_failed, stopped };

    // `before_read` runs before every read that may wait for input (the
    // caller flushes its answers there); when it returns false the reader
    // stops.
    LineReader(platform::Stream stream, std::function<bool()> before_read);

    // The next line, in UTF-8, without its line end (LF or CR LF).
    Status next();
    std::string_view line() const noexcept { return line_; }
    // The line was longer than line_capacity(); line() holds only its start.
    bool overlong() const noexcept { return overlong_; }
    int error() const noexcept { return error_; }

   private:
    Status refill();
    void decode(std::size_t from, std::size_t to);
    void decode_utf16(std::size_t from, std::size_t to);
    void take(std::string_view piece);
    Status finish_line();

    platform::Stream stream_;
    std::function<bool()> before_read_;
    std::array<char, std::size_t{1} << 16> raw_{};
    std::size_t carry_ = 0;        // bytes at the start of raw_ kept from the last read
    std::u16string units_;         // UTF-16 input: the units of one read
    char16_t held_surrogate_ = 0;  // a high surrogate whose partner comes with the next read
    std::string decoded_;          // UTF-16 input: one read in UTF-8
    std::string_view data_;        // the text of the last read, in UTF-8
    std::size_t position_ = 0;     // where the next line starts in data_
    std::string line_;
    bool dropped_ = false;   // part of the line was not kept
    bool has_text_ = false;  // the line has begun (even if empty so far)
    bool overlong_ = false;
    bool at_end_ = false;
    Encoding encoding_ = Encoding::undecided;
    int error_ = 0;
};

}  // namespace zorvane_calc
