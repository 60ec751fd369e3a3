#include "session.h"

#include <string>
#include <vector>

#include "histogram.h"
#include "input.h"
#include "listing.h"
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

void Answerer::answer(std::string_view line, bool overlong) {
    if (settings_.json) {
        answer_as_json(line, overlong);
        return;
    }
    if (host::is_comment_line(line)) {
        out_.write_line("");
        return;
    }
    if (!overlong && host::is_question(line)) {
        answer_question(line);
        return;
    }
    const host::Calculator::Options options{.expand = settings_.expand && !overlong,
                                            .engineering = settings_.engineering};
    const host::Answer& answer = calculator_.evaluate(overlong ? too_long_probe_ : line, options);
    any_error_ = any_error_ || answer.is_error();
    out_.write_shown_line(settings_.engineering ? answer.engineering : answer.line);
    if (settings_.hints && !overlong) show_hints(line, answer);
}

// Every answer as one JSON object on its line; a comment is answered as an
// empty command is, so that every line reads as JSON. The hints are in it.
// (The empty command is "", a view that points somewhere: the command path
// hands its words to memchr.)
void Answerer::answer_as_json(std::string_view line, bool overlong) {
    const std::string_view command = overlong ? std::string_view(too_long_probe_)
                                     : host::is_comment_line(line) ? std::string_view("")
                                                                   : line;
    const host::JsonAnswer answer =
        host::json_answer(command, settings_.question, settings_.expand && !overlong);
    any_error_ = any_error_ || answer.error;
    out_.write_line(answer.json);
}

// A design, a value to solve for, a pair of standard values, a range, statistics:
// one line too, and at a terminal the samples' histogram under it.
void Answerer::answer_question(std::string_view line) {
    // A design lists its candidates one line each, but in batch mode.
    const host::ParsedQuestion parsed = host::parse_question(line, settings_.expand);
    if (parsed.ok() && host::is_design_question(parsed.question)) {
        const host::Designed designed = host::design(line, settings_.question, settings_.expand);
        any_error_ = any_error_ || designed.error;
        const std::vector<std::string>& lines =
            settings_.engineering ? designed.engineering_lines : designed.lines;
        if (designed.error || settings_.one_line) {
            out_.write_shown_line(settings_.engineering ? designed.engineering : designed.line);
        } else {
            for (const std::string& each : lines) out_.write_shown_line(each);
        }
        if (settings_.hints) write_hints(designed.hints);
        return;
    }
    if (host::is_statistics_question(line, settings_.question, settings_.expand)) {
        const host::Simulated simulated =
            host::simulate(line, settings_.question, settings_.expand);
        any_error_ = any_error_ || simulated.error;
        out_.write_shown_line(settings_.engineering ? simulated.engineering : simulated.line);
        if (settings_.histogram) {
            for (const std::string& drawn : histogram_lines(simulated)) out_.write_line(drawn);
        }
        if (settings_.hints) write_hints(simulated.hints);
        return;
    }
    const host::Reply reply = host::ask(line, settings_.question, settings_.expand);
    any_error_ = any_error_ || reply.error;
    out_.write_shown_line(settings_.engineering ? reply.engineering : reply.line);
    if (settings_.hints) write_hints(reply.hints);
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

int run_one_shot(std::string_view command, Settings settings) {
    Output out(platform::Stream::output, platform::is_terminal(platform::Stream::output));
    Answerer answerer(out, settings);
    answerer.answer(command, command.size() > line_capacity());
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
