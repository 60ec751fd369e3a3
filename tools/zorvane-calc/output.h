// Buffered output to a standard stream in which every write is checked.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "platform.h"

namespace zorvane_calc {

class Output {
   public:
    // With `show_controls`, lines written with write_shown() show control
    // characters as ^X, so that echoed input cannot drive a terminal.
    Output(platform::Stream stream, bool show_controls) noexcept
        : stream_(stream), show_controls_(show_controls) {}

    // Each returns false once a write has failed; later text is dropped, and
    // error() keeps the first failure's code.
    bool write(std::string_view text) noexcept;
    bool write_line(std::string_view text) noexcept;
    bool write_shown_line(std::string_view text) noexcept;
    bool flush() noexcept;

    bool failed() const noexcept { return error_ != 0; }
    int error() const noexcept { return error_; }

   private:
    bool put(char c) noexcept;

    // Large enough that a batch writes in big blocks; what a co-process waits
    // for is flushed before every read that may block.
    std::array<char, std::size_t{1} << 16> buffer_{};
    std::size_t used_ = 0;
    int error_ = 0;
    platform::Stream stream_;
    bool show_controls_;
};

// Appends `byte` as a person should see it on a terminal: C0 controls other
// than tab as ^@..^_, DEL as ^?, everything else unchanged. Returns the
// number of characters written into `out` (1 or 2).
std::size_t shown_byte(unsigned char byte, char out[2]) noexcept;

}  // namespace zorvane_calc
