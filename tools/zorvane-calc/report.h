// How zorvane-calc tells of its own problems: "zorvane-calc: message" on
// standard error.
#pragma once

#include <initializer_list>
#include <string_view>

namespace zorvane_calc {

inline constexpr std::string_view PROGRAM_NAME = "zorvane-calc";

// Writes the program's name, ": ", the pieces and a line end on standard
// error. Nothing is left to tell a failure of standard error to.
void report_error(std::initializer_list<std::string_view> message) noexcept;

// "zorvane-calc: <what>: <the system's words for error>"
void report_failure(std::string_view what, int error) noexcept;

}  // namespace zorvane_calc
