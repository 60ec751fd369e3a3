// The prompt at a terminal: commands, and the prompt's own words.
#include <string>

#include "input.h"
#include "platform.h"
#include "session.h"

namespace zorvane_calc {

namespace host = zorvane::host;

namespace {

constexpr const char* PROMPT = "> ";

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
            overlong = line.size() > line_capacity();
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
        if (!overlong) {
            if (host::prompt_word(line).kind == host::PromptWord::Kind::quit) return false;
            if (answer_help(line, out_, answerer_)) return true;
        }
        if (line.find_first_not_of(' ') != std::string_view::npos) answerer_.answer(line, overlong);
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
