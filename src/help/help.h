// The usage summary and the formula reference file.
#pragma once

#include <span>
#include <string_view>

namespace zorvane {

inline constexpr std::string_view REFERENCE_FILE_NAME = "electronics_formulas.txt";
inline constexpr std::string_view REFERENCE_CREATED =
    "Help file 'electronics_formulas.txt' created successfully!";
inline constexpr std::string_view REFERENCE_FAILED = "Error: Could not create help file";

// The usage summary, line-feed terminated texts in Windows-1252.
std::span<const std::string_view> help_summary_texts() noexcept;

// The reference file's content, line-feed terminated texts in Windows-1252:
// a title, the formulas by category in table order, then notes on units.
std::span<const std::string_view> formula_reference_texts() noexcept;

// Writes the usage summary to standard output.
void print_help_summary();

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

// Writes "electronics_formulas.txt" into the current directory and reports
// the outcome on standard output.
void write_formula_reference();

}  // namespace zorvane
