// The command that asks for the formula reference file.
#pragma once

#include <string_view>

namespace zorvane {

// "/help" in any case, with any spaces around it: the command that writes
// the reference file rather than evaluating a formula. It obeys the length
// rule of every command: a longer one is no request, and its evaluation
// refuses it.
bool is_reference_request(std::string_view command) noexcept;

}  // namespace zorvane
