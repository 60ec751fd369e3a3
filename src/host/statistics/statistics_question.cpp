// A statistics question read as every question is: values with
// tolerances, a window after '=' or samples, and the settings of the run.
#include <string>

#include "question_reading.h"
#include "statistics.h"
#include "zorvane_host/statistics.h"

namespace zorvane::host {

bool read_toleranced(const ReadCommand& command, const QuestionSettings& beside,
                     TolerancedCommand& toleranced, Reply& reply) {
    PreparedQuestion prepared;
    if (!prepare_question(command, beside, prepared, reply)) return false;
    const Question& question = prepared.question;
    if (question.tolerances() == 0 || question.unknowns() > 0 ||
        (question.target && !prepared.has_window)) {
        const std::string error = misfit(question, false, false);
        fail(reply, error.empty() ? "Error: No value carries a tolerance" : error,
             {"write a tolerance on a value: 10k\xC2\xB1"
              "1%"});
        return false;
    }
    toleranced.info = prepared.info;
    toleranced.row = prepared.row;
    toleranced.values = prepared.values;
    toleranced.tolerances = prepared.tolerances;
    toleranced.line = prepared.line;
    toleranced.engineering = prepared.engineering;
    toleranced.has_window = prepared.has_window;
    toleranced.low = prepared.low;
    toleranced.high = prepared.high;
    if (!samples_within_limit(prepared.settings, reply)) return false;
    toleranced.samples = prepared.settings.samples.value_or(0);
    toleranced.seed = prepared.settings.seed.value_or(DEFAULT_SEED);
    toleranced.distribution = prepared.settings.distribution.value_or(Distribution::uniform);
    return true;
}

Simulated simulate(std::string_view command) { return simulate(command, QuestionSettings{}); }

Simulated simulate(std::string_view command, const QuestionSettings& beside, bool expand) {
    return read_and_answer<Simulated>(simulate, command, beside, expand);
}

Simulated simulate(const ReadCommand& command, const QuestionSettings& beside) {
    Simulated s;
    TolerancedCommand t;
    if (!read_toleranced(command, beside, t, s)) return s;
    if (!t.has_window && t.samples == 0) {
        fail(s, "Error: Statistics need a window after '=' or samples",
             {"write a window, = 3.3\xC2\xB1"
              "3%, or ask for samples: --mc"});
        return s;
    }
    return simulate_toleranced(t);
}

}  // namespace zorvane::host
