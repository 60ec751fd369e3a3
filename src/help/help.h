// The usage summary and the formula reference file.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace zorvane {

struct Formula;

inline constexpr std::string_view REFERENCE_FILE_NAME = "electronics_formulas.txt";
inline constexpr std::string_view REFERENCE_CREATED =
    "Help file 'electronics_formulas.txt' created successfully!";
inline constexpr std::string_view REFERENCE_FAILED = "Error: Could not create help file";

// The line that answers a "/help" request.
constexpr std::string_view reference_outcome(bool written) noexcept {
    return written ? REFERENCE_CREATED : REFERENCE_FAILED;
}

// The usage summary, line-feed terminated texts in Windows-1252.
std::span<const std::string_view> help_summary_texts() noexcept;

// One line of text built from a row, in a fixed buffer.
struct ReferenceLine {
    std::array<char, 192> chars{};
    std::size_t size = 0;
    std::string_view text() const noexcept { return {chars.data(), size}; }
};

// Appends the keyword and its arguments, "<voltage> <resistance>", to `line`;
// its new size.
std::size_t append_usage(const Formula& formula, ReferenceLine& line) noexcept;

// The formula's line of the reference file, Windows-1252, with its two
// leading spaces, padded to its column, and a line feed.
ReferenceLine reference_line(const Formula& formula) noexcept;

// Hands the reference file's content to `sink` piece by piece, in order:
// a title, the formulas by category in table order, then notes on units.
// Stops at the first piece the sink refuses; true when it took them all.
using ReferenceSink = bool (*)(void* context, std::string_view text);
bool write_formula_reference(ReferenceSink sink, void* context) noexcept;

// Writes "electronics_formulas.txt" into `directory` (null: the current
// directory; an empty name is no directory and fails) and reports nothing.
// The file is written under a temporary name and renamed over the old one
// only when every byte reached the disk, so a failure leaves an existing
// reference untouched and no partial file;
// the directory is synced after the rename. A replaced file keeps its
// permission bits and, where the process may set it, its group. When the
// name is a symbolic link, the file it points to is replaced and the link
// stays; a link to nothing or a loop of links is a failure.
// True when the file was written completely.
bool save_formula_reference(const char* directory) noexcept;

}  // namespace zorvane
