// What the hosts that speak JSON (the WebAssembly glue, the Python
// package) hand the hosts' share and take back besides answers: the
// formulas as one JSON form, and a question's options given as one JSON
// object, read by the question grammar as the tool reads its command line.
#pragma once

#include <string>
#include <string_view>

#include "zorvane_host/answers.h"
#include "zorvane_host/formulas.h"
#include "zorvane_host/question.h"

namespace zorvane::host {

// One formula as every host lists it: {"keyword", "category", "label",
// "unit", "usage", "reference" (its line of the reference file),
// "description" (as prose, with the symbols the reference file lacks),
// "referenceDescription" (as the reference file gives it), "arguments"
// (as the usage names them: "<voltage>"), "argumentUnits", "argumentDomains"
// ("magnitude" or "signed" for each)}.
std::string formula_json(const FormulaInfo& formula);
// Every formula of the table, in its order, as one JSON array.
std::string formulas_json();

// An option that did not read: the grammar's error line and the option's
// name as given ("--mc"); both empty when every option read.
struct OptionRefusal {
    std::string error;
    std::string name;
    explicit operator bool() const noexcept { return !error.empty(); }
};

// Options given as one JSON object ({"series": "E24", "mc": 1000, "seed":
// "7"}), each named without its dashes, read in order by the grammar into
// `settings`. A text or a whole number is the option's argument, as the
// tool's command line writes it; null or true gives the option without one;
// false leaves it out; any other number is written out for the grammar to
// refuse in its own words. Text that is no JSON object is refused.
OptionRefusal read_question_options(std::string_view json_object, QuestionSettings& settings);

// The answer a host's function of one kind gives ("solve", "range",
// "pair", "statistics", "design"; "" for any): the one answer to `command`
// where it is of that kind, else that kind's own answer to it, which says
// why the command is no such question. A host's solve() thus answers as
// the tool does and never a range instead.
Answered answer_as(std::string_view kind, std::string_view command,
                   const QuestionSettings& beside = {}, bool expand = true);

}  // namespace zorvane::host
