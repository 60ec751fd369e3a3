// The words of a command. Only the space separates them: a tab belongs to
// its word, as it does for the module. The module's command path, the input
// notation, the hints and the prompt all split lines here.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace zorvane {

class Words {
   public:
    constexpr explicit Words(std::string_view text) noexcept
        : at_(text.data()), end_(text.data() + text.size()) {}

    // Skips spaces; false when no word is left.
    constexpr bool skip_spaces() noexcept {
        while (at_ != end_ && *at_ == ' ') ++at_;
        return at_ != end_;
    }

    // The next word, or an empty view when none is left.
    std::string_view next() noexcept {
        skip_spaces();
        const char* start = at_;
        const void* space = std::memchr(at_, ' ', static_cast<std::size_t>(end_ - at_));
        at_ = space == nullptr ? end_ : static_cast<const char*>(space);
        return {start, static_cast<std::size_t>(at_ - start)};
    }

    // Where reading stands: the rest is read elsewhere.
    constexpr const char* position() const noexcept { return at_; }
    constexpr const char* end() const noexcept { return end_; }

   private:
    const char* at_;
    const char* end_;
};

// The number of words in `text`.
inline int count_words(std::string_view text) noexcept {
    Words words(text);
    int count = 0;
    while (!words.next().empty()) ++count;
    return count;
}

}  // namespace zorvane
