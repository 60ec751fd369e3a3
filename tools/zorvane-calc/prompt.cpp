// The prompt at a terminal: commands, and the prompt's own words.
#include <string>

#include "command/command.h"
#include "input.h"
#include "listing.h"
#include "platform.h"
#include "session.h"

namespace zorvane_calc {

namespace host = zorvane::host;

namespace {

constexpr const char* PROMPT = "> ";

enum class Word { none, quit, help, help_name };

struct Request {
    Word word = Word::none;
    std::string name;  // lower-cased, for "help NAME"
};

// The words of a line separated by spaces, the first `limit` of them.
std::vector<std::string> leading_words(std::string_view line, std::size_t limit) {
    std::vector<std::string> words;
    std::size_t at = line.find_first_not_of(' ');
    while (at != std::string_view::npos && words.size() < limit) {
        const std::size_t end = std::min(line.find(' ', at), line.size());
        std::string word(line.substr(at, end - at));
        zorvane::lowercase_in_place(word);
        words.push_back(std::move(word));
        at = line.find_first_not_of(' ', end);
    }
    return words;
}

// "quit", "exit", "help", "?" and "help NAME", in any case.
Request prompt_request(std::string_view line) {
    std::vector<std::string> words = leading_words(line, 3);
    if (words.size() == 1 && (words[0] == "quit" || words[0] == "exit")) return {Word::quit, {}};
    if (words.size() == 1 && (words[0] == "help" || words[0] == "?")) return {Word::help, {}};
    if (words.size() == 2 && words[0] == "help") return {Word::help_name, std::move(words[1])};
    return {};
}

// The formula's line of the reference; for a name not in the table, what the
// module says about it (and the hints, which suggest names).
void help_on(std::string_view name, Output& out, Answerer& answerer) {
    if (const host::FormulaInfo* formula = host::find(name)) {
        out.write_shown_line(host::reference_line(*formula));
    } else {
        answerer.answer(name, false);
    }
}

class Prompt {
   public:
    explicit Prompt(Settings settings)
        : out_(platform::Stream::output, platform::is_terminal(platform::Stream::output)),
          answerer_(out_, settings),
          editor_(PROMPT, [](std::string_view prefix) { return host::complete(prefix); }),
          reader_(platform::Stream::input, [this] { return out_.flush(); }) {}

    int run() {
        out_.write("Electronics calculator " ZORVANE_VERSION
                   ". Type 'help' for sample commands, 'quit' to leave.\n");
        std::string line;
        bool overlong = false;
        while (!out_.failed() && read(line, overlong)) {
            if (!respond(line, overlong)) return finish(out_, EXIT_ALL_RESULTS);
        }
        if (reader_.error() != 0) return finish_after_read_error(out_, reader_.error());
        out_.write("\n");  // the end of input leaves the terminal on a new line
        // A person at a prompt is not a script: error lines do not change the status.
        return finish(out_, EXIT_ALL_RESULTS);
    }

   private:
    bool read(std::string& line, bool& overlong) {
        if (!out_.flush()) return false;
        if (platform::LineEditor::available()) {
            if (!editor_.read(line)) return false;
            overlong = line.size() > LINE_CAPACITY;
            return true;
        }
        out_.write(PROMPT);
        if (reader_.next() != LineReader::Status::line) return false;
        line.assign(reader_.line());
        overlong = reader_.overlong();
        return true;
    }

    // False when the person asked to leave.
    bool respond(std::string_view line, bool overlong) {
        const Request request = overlong ? Request{} : prompt_request(line);
        switch (request.word) {
            case Word::quit:
                return false;
            case Word::help:
                write_help_summary(out_);
                break;
            case Word::help_name:
                help_on(request.name, out_, answerer_);
                break;
            case Word::none:
                if (line.find_first_not_of(' ') != std::string_view::npos) {
                    answerer_.answer(line, overlong);
                }
                break;
        }
        return true;
    }

    Output out_;
    Answerer answerer_;
    platform::LineEditor editor_;
    LineReader reader_;
};

}  // namespace

int run_prompt(Settings settings) {
    Prompt prompt(settings);
    return prompt.run();
}

}  // namespace zorvane_calc
