#include "session.h"

#include <string>
#include <vector>

#include "histogram.h"
#include "input.h"
#include "listing.h"
#include "options.h"
#include "platform.h"
#include "report.h"

namespace zorvane_calc {

namespace host = zorvane::host;

Answerer::Answerer(Output& out, Settings settings)
    : out_(out),
      settings_(settings),
      // The module refuses a command this long with its own line.
      too_long_probe_(host::command_capacity() + 1, ' '),
      hint_out_(platform::Stream::error, true) {}

namespace {

// The line a reply is shown with: -e's; at a terminal the readable one, where
// it differs from the module's; else the module's.
std::string_view shown_line(const host::Reply& reply, const Settings& settings) {
    if (settings.engineering) return reply.engineering;
    const bool readable = settings.readable && !settings.module_lines && !reply.readable.empty();
    return readable ? reply.readable : reply.line;
}

}  // namespace

void Answerer::answer(std::string_view line, bool overlong) {
    const LineOptions head = overlong ? LineOptions{} : read_line_options(line);
    if (!head.given) {
        answer_command(line, overlong, settings_);
        return;
    }
    Settings settings = settings_;
    settings.engineering = settings.engineering || head.engineering;
    settings.expand = settings.expand && !head.plain;
    answer_command(head.command, overlong, settings);
}

void Answerer::answer_command(std::string_view line, bool overlong, const Settings& settings) {
    if (settings.json) {
        answer_as_json(line, overlong, settings);
        return;
    }
    if (host::is_comment_line(line)) {
        out_.write_line("");
        return;
    }
    if (!overlong && host::is_question(line)) {
        answer_question(line, settings);
        return;
    }
    const host::Calculator::Options options{.expand = settings.expand && !overlong,
                                            .engineering = settings.engineering};
    const host::Answer& answer = calculator_.evaluate(overlong ? too_long_probe_ : line, options);
    any_error_ = any_error_ || answer.is_error();
    write_answer(settings.engineering ? answer.engineering : answer.line, answer.formula, settings);
    if (settings.hints && !overlong) show_hints(line, answer);
}

void Answerer::write_answer(std::string_view line, const host::FormulaInfo* formula,
                            const Settings& settings) {
    if (settings.module_lines) {
        out_.write_shown_line(line);
    } else {
        shown_.clear();
        host::append_with_ohm_sign(line, formula, shown_);
        out_.write_shown_line(shown_);
    }
}

// Every answer as one JSON object on its line; a comment is answered as an
// empty command is, so that every line reads as JSON. The hints are in it.
// (The empty command is "", a view that points somewhere: the command path
// hands its words to memchr.)
void Answerer::answer_as_json(std::string_view line, bool overlong, const Settings& settings) {
    const std::string_view command = overlong ? std::string_view(too_long_probe_)
                                     : host::is_comment_line(line) ? std::string_view("")
                                                                   : line;
    const host::JsonAnswer answer =
        host::json_answer(command, settings.question, settings.expand && !overlong);
    any_error_ = any_error_ || answer.error;
    out_.write_line(answer.json);
}

// A design, a value to solve for, a pair of standard values, a range, statistics:
// asked once, one line too, and at a terminal the samples' histogram under it.
void Answerer::answer_question(std::string_view line, const Settings& settings) {
    const host::Answered answered = host::answer(line, settings.question, settings.expand);
    const host::Reply& reply = host::reply_of(answered);
    any_error_ = any_error_ || reply.error;
    // A design lists its candidates one line each, but in batch mode.
    const auto* designed = std::get_if<host::Designed>(&answered);
    if (designed != nullptr && !designed->error && !settings.one_line) {
        const std::vector<std::string>& lines =
            settings.engineering ? designed->engineering_lines : designed->lines;
        for (const std::string& each : lines) write_answer(each, reply.formula, settings);
    } else {
        write_answer(shown_line(reply, settings), reply.formula, settings);
    }
    const auto* simulated = std::get_if<host::Simulated>(&answered);
    if (simulated != nullptr && settings.histogram) {
        for (const std::string& drawn : histogram_lines(*simulated)) out_.write_line(drawn);
    }
    if (settings.hints) write_hints(reply.hints);
}

// Hints are for a person at a terminal and never change the answers or the
// status, so a hint that cannot be written is let go.
void Answerer::show_hints(std::string_view line, const host::Answer& answer) {
    std::vector<std::string> hints = host::hints(line, answer);
    if (std::string note = host::guard_note(answer); !note.empty())
        hints.push_back(std::move(note));
    write_hints(hints);
}

void Answerer::write_hints(const std::vector<std::string>& hints) {
    if (hints.empty() || !out_.flush()) return;
    for (const std::string& hint : hints) hint_out_.write_shown_line(hint);
    hint_out_.flush();
}

int finish(Output& out, int status) {
    if (out.flush()) return status;
    report_failure("write error", out.error());
    return EXIT_TROUBLE;
}

int finish_after_read_error(Output& out, int error) {
    finish(out, EXIT_TROUBLE);
    report_failure("read error", error);
    return EXIT_TROUBLE;
}

bool answer_help(std::string_view line, Output& out, Answerer& answerer) {
    using Word = host::PromptWord::Kind;
    const host::PromptWord word = host::prompt_word(line);
    if (word.kind == Word::help) {
        write_help_summary(out);
    } else if (word.kind != Word::help_name) {
        return false;
    } else if (const host::FormulaInfo* formula = host::find(word.name)) {
        out.write_shown_line(host::reference_line(*formula));
    } else {
        answerer.answer(word.name, false);
    }
    return true;
}

int run_one_shot(std::string_view command, Settings settings) {
    Output out(platform::Stream::output, platform::is_terminal(platform::Stream::output));
    Answerer answerer(out, settings);
    const bool overlong = command.size() > line_capacity();
    if (overlong || !answer_help(command, out, answerer)) answerer.answer(command, overlong);
    return finish(out, answerer.any_error() ? EXIT_ERROR_LINE : EXIT_ALL_RESULTS);
}

int run_batch(Settings settings) {
    // One line per command: a design's candidates share it, and the
    // histogram is in --json's answers.
    settings.one_line = true;
    settings.histogram = false;
    Output out(platform::Stream::output, platform::is_terminal(platform::Stream::output));
    Answerer answerer(out, settings);
    LineReader reader(platform::Stream::input, [&out] { return out.flush(); });
    LineReader::Status status = LineReader::Status::line;
    while (!out.failed() && (status = reader.next()) == LineReader::Status::line) {
        answerer.answer(reader.line(), reader.overlong());
    }
    if (status == LineReader::Status::read_failed) {
        return finish_after_read_error(out, reader.error());
    }
    return finish(out, answerer.any_error() ? EXIT_ERROR_LINE : EXIT_ALL_RESULTS);
}

}  // namespace zorvane_calc
