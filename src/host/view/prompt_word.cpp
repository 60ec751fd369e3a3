// The prompt's own words, as zorvane-calc's prompt and the web page read
// them: the same line is a word at every prompt or at none.
#include <algorithm>
#include <array>

#include "command.h"
#include "rendering.h"
#include "words.h"
#include "zorvane_host/prompt.h"

namespace zorvane::host {
namespace {

// A prompt word has at most two words; a third makes the line a command.
constexpr std::size_t WORDS_LOOKED_AT = 3;

struct LeadingWords {
    std::array<std::string_view, WORDS_LOOKED_AT> word{};
    std::size_t count = 0;
};

// The first words of a line.
LeadingWords leading_words(std::string_view line) {
    LeadingWords leading;
    Words words(line);
    for (std::string_view word = words.next(); !word.empty() && leading.count < WORDS_LOOKED_AT;
         word = words.next()) {
        leading.word.at(leading.count++) = word;
    }
    return leading;
}

}  // namespace

PromptWord prompt_word(std::string_view line) {
    using Word = PromptWord::Kind;
    const LeadingWords words = leading_words(line);
    if (words.count == 0 || words.count > 2) return {};
    const std::string first = ascii_lowercase(words.word[0]);
    if (words.count == 1 && (first == "quit" || first == "exit")) return {Word::quit, {}};
    if (words.count == 1 && (first == "help" || first == "?")) return {Word::help, {}};
    if (words.count == 2 && first == "help")
        return {Word::help_name, ascii_lowercase(words.word[1])};
    return {};
}

bool is_comment_line(std::string_view line) noexcept {
    const std::size_t first = line.find_first_not_of(" \t");
    return first != std::string_view::npos && line[first] == '#';
}

}  // namespace zorvane::host
