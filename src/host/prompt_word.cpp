// The prompt's own words, as zorvane-calc's prompt and the web page read
// them: the same line is a word at every prompt or at none.
#include <algorithm>
#include <array>

#include "command/command.h"
#include "host.h"

namespace zorvane::host {
namespace {

// A prompt word has at most two words; a third makes the line a command.
constexpr std::size_t WORDS_LOOKED_AT = 3;

struct LeadingWords {
    std::array<std::string_view, WORDS_LOOKED_AT> word{};
    std::size_t count = 0;
};

// The first words of a line separated by spaces.
LeadingWords leading_words(std::string_view line) {
    LeadingWords words;
    std::size_t at = line.find_first_not_of(' ');
    while (at != std::string_view::npos && words.count < WORDS_LOOKED_AT) {
        const std::size_t end = std::min(line.find(' ', at), line.size());
        words.word.at(words.count++) = line.substr(at, end - at);
        at = line.find_first_not_of(' ', end);
    }
    return words;
}

std::string lowered(std::string_view word) {
    std::string text(word);
    lowercase_in_place(text);
    return text;
}

}  // namespace

PromptWord prompt_word(std::string_view line) {
    using Word = PromptWord::Kind;
    const LeadingWords words = leading_words(line);
    if (words.count == 0 || words.count > 2) return {};
    const std::string first = lowered(words.word[0]);
    if (words.count == 1 && (first == "quit" || first == "exit")) return {Word::quit, {}};
    if (words.count == 1 && (first == "help" || first == "?")) return {Word::help, {}};
    if (words.count == 2 && first == "help") return {Word::help_name, lowered(words.word[1])};
    return {};
}

}  // namespace zorvane::host
