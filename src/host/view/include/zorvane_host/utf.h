// Text at the boundary: hosts speak UTF-8, the module's entry UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace zorvane::host {

// Malformed UTF-8 becomes U+FFFD, one per bad byte.
void append_utf16_from_utf8(std::string_view utf8, std::u16string& out);
// A lone surrogate becomes U+FFFD.
void append_utf8_from_utf16(std::u16string_view utf16, std::string& out);

}  // namespace zorvane::host
