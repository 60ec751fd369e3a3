#include "reference_request.h"

#include <array>

#include "command.h"

namespace zorvane {

bool is_reference_request(std::string_view command) noexcept {
    constexpr std::string_view request = "/help";
    if (command.size() > COMMAND_CAPACITY) return false;
    const std::size_t first = command.find_first_not_of(' ');
    if (first == std::string_view::npos || command[first] != '/') return false;
    command.remove_prefix(first);
    command = command.substr(0, command.find_last_not_of(' ') + 1);
    if (command.size() != request.size()) return false;
    std::array<char, request.size()> word{};
    command.copy(word.data(), word.size());
    lowercase_in_place(word);
    return std::string_view(word.data(), word.size()) == request;
}

}  // namespace zorvane
