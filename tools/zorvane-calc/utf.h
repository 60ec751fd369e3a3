// UTF-8 text of the terminal and scripts to and from the module's UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace zorvane_calc {

// Malformed UTF-8 becomes U+FFFD, one per bad byte.
std::u16string utf16_from_utf8(std::string_view utf8);
void append_utf16_from_utf8(std::string_view utf8, std::u16string& out);

// A lone surrogate becomes U+FFFD.
std::string utf8_from_utf16(std::u16string_view utf16);
void append_utf8_from_utf16(std::u16string_view utf16, std::string& out);

}  // namespace zorvane_calc
