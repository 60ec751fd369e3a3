// Conversion between the host's UTF-16 text and the module's narrow
// Windows-1252 text, for platforms without the Windows code-page functions.
#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "command.h"

namespace zorvane {

// Converts the zero-terminated UTF-16 `wide` into zero-terminated
// Windows-1252 text in `narrow`. A character the code page lacks becomes one
// '?' (a surrogate pair is one character; a lone surrogate is one '?').
// Stops when `narrow` is full, so a text longer than narrow.size() - 1
// characters comes out cut at exactly narrow.size() - 1 characters; the
// caller sizes the buffer one larger than it accepts to see that. Returns
// the number of characters written, the terminator excluded.
std::size_t narrow_from_wide(const char16_t* wide, std::span<char> narrow) noexcept;

// Converts zero-terminated Windows-1252 text into zero-terminated UTF-16 in
// `wide`, one code unit per byte. A text longer than wide.size() - 1 is cut
// to fit.
void wide_from_narrow(const char* narrow, std::span<char16_t> wide) noexcept;

// Result lines and a terminator.
using LineBuffer = std::array<char, RESULT_CAPACITY + 1>;
using WideLineBuffer = std::array<char16_t, RESULT_CAPACITY + 1>;

// As wide_from_narrow for a line of `length` characters (at most RESULT_CAPACITY),
// sixteen at a time where the processor allows. Those sixteen may reach past
// the line's end, so the whole of `narrow` must be initialised.
void widen_line(const LineBuffer& narrow, std::size_t length, WideLineBuffer& wide) noexcept;

}  // namespace zorvane
