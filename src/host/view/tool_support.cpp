// What command-line hosts need beyond the evaluation: the module's limits and
// the reference file written where the person asks.
#include "command.h"
#include "help.h"
#include "zorvane_host/prompt.h"

namespace zorvane::host {

std::size_t command_capacity() noexcept { return COMMAND_CAPACITY; }

SavedReference save_reference(const char* directory) noexcept {
    const bool saved = save_formula_reference(directory);
    return {saved, reference_outcome(saved)};
}

}  // namespace zorvane::host
