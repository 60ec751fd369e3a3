// The formula table as people read it: UTF-8 names, units and argument
// lists, the help texts, completion. Everything here reads the core's table
// and help texts; nothing is listed twice.
#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

#include "command/command.h"
#include "entry/text_conversion.h"
#include "formulas/formula_table.h"
#include "help/help.h"
#include "host.h"
#include "rendering.h"

namespace zorvane::host {
namespace {

// "<voltage> <resistance>" as its words.
std::array<std::string_view, MAX_VALUES> argument_words(std::string_view arguments) {
    std::array<std::string_view, MAX_VALUES> words{};
    for (std::size_t i = 0; !arguments.empty(); ++i) {
        const std::size_t space = arguments.find(' ');
        words[i] = arguments.substr(0, space);
        arguments.remove_prefix(space == std::string_view::npos ? arguments.size() : space + 1);
    }
    return words;
}

// The quantity behind each argument name, for labels and axes. The
// reference file's notes give the units of the names that say what they
// are; ratios, factors and the dielectric constant have none. Coax diameters
// only enter as their ratio, so any one length unit serves.
struct ArgumentUnit {
    std::string_view argument;
    std::string_view unit;
};
constexpr std::string_view OHMS = "\xCE\xA9";
constexpr std::string_view DEGREES_C =
    "\xC2\xB0"
    "C";
constexpr std::string_view DEGREES_C_PER_W =
    "\xC2\xB0"
    "C/W";
constexpr std::string_view WATTS_PER_SQUARE_METRE = "W/m\xC2\xB2";
constexpr ArgumentUnit ARGUMENT_UNITS[] = {
    {"<current>", "A"},
    {"<resistance>", OHMS},
    {"<voltage>", "V"},
    {"<capacitance>", "F"},
    {"<frequency>", "Hz"},
    {"<c1>", "F"},
    {"<c2>", "F"},
    {"<inductance>", "H"},
    {"<l1>", "H"},
    {"<l2>", "H"},
    {"<r1>", OHMS},
    {"<r2>", OHMS},
    {"<vin>", "V"},
    {"<itotal>", "A"},
    {"<period>", "s"},
    {"<gain_ratio>", ""},
    {"<gain_db>", "dB"},
    {"<collector_current>", "A"},
    {"<base_current>", "A"},
    {"<emitter_current>", "A"},
    {"<primary_voltage>", "V"},
    {"<secondary_voltage>", "V"},
    {"<rms_voltage>", "V"},
    {"<ripple_voltage>", "V"},
    {"<dc_voltage>", "V"},
    {"<dielectric_constant>", ""},
    {"<outer_diameter>", "m"},
    {"<inner_diameter>", "m"},
    {"<velocity_factor>", ""},
    {"<power_density_max>", WATTS_PER_SQUARE_METRE},
    {"<power_density_isotropic>", WATTS_PER_SQUARE_METRE},
    {"<power_ratio>", ""},
    {"<voltage_ratio>", ""},
    {"<db>", "dB"},
    {"<temperature_rise>", DEGREES_C},
    {"<power>", "W"},
    {"<ambient_temp>", DEGREES_C},
    {"<thermal_resistance>", DEGREES_C_PER_W},
};

consteval bool names_distinct(std::span<const ArgumentUnit> units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        for (std::size_t j = i + 1; j < units.size(); ++j) {
            if (units[i].argument == units[j].argument) return false;
        }
    }
    return true;
}
static_assert(names_distinct(ARGUMENT_UNITS), "each argument name has one unit");

// The units of a row's arguments; "" for a name without one.
std::array<std::string_view, MAX_VALUES> units_of(
    const std::array<std::string_view, MAX_VALUES>& arguments) {
    std::array<std::string_view, MAX_VALUES> units{};
    std::transform(arguments.begin(), arguments.end(), units.begin(),
                   [](std::string_view argument) { return argument_unit(argument).value_or(""); });
    return units;
}

// The unit of a result format as UTF-8: "?" in a unit stands for ohms.
std::string unit_of(const Formula& row) {
    std::string unit;
    for (const char c : row.unit.substr(row.unit.empty() ? 0 : 1)) {
        if (c == '?') {
            unit += OHMS;
        } else {
            append_utf8_from_windows_1252(std::string_view(&c, 1), unit);
        }
    }
    return unit;
}

// Built once, in place, so that the views into its strings stay valid.
class TableView {
   public:
    TableView() {
        const std::span<const Formula> table = formula_table();
        words_.reserve(table.size());
        argument_units_.reserve(table.size());
        units_.reserve(table.size());
        labels_.reserve(table.size());
        for (const Formula& row : table) {
            words_.push_back(argument_words(row.arguments));
            argument_units_.push_back(units_of(words_.back()));
            units_.push_back(unit_of(row));
            labels_.emplace_back();
            append_utf8_from_windows_1252(row.label.substr(0, row.label.size() - 3),
                                          labels_.back());
        }
        for (std::size_t i = 0; i < table.size(); ++i) {
            const auto count = static_cast<std::size_t>(table[i].required_count);
            infos_.push_back({table[i].keyword, table[i].category,
                              std::span<const std::string_view>(words_[i].data(), count),
                              labels_[i], units_[i], &table[i],
                              std::span<const std::string_view>(argument_units_[i].data(), count)});
        }
    }
    std::span<const FormulaInfo> infos() const { return infos_; }

   private:
    std::vector<std::array<std::string_view, MAX_VALUES>> words_;
    std::vector<std::array<std::string_view, MAX_VALUES>> argument_units_;
    std::vector<std::string> units_;
    std::vector<std::string> labels_;
    std::vector<FormulaInfo> infos_;
};

const TableView& table_view() {
    static const TableView view;
    return view;
}

}  // namespace

void append_utf8_from_windows_1252(std::string_view narrow, std::string& out) {
    // Through the module's widening, a chunk at a time.
    constexpr std::size_t CHUNK = 64;
    std::array<char, CHUNK + 1> chunk{};
    std::array<char16_t, CHUNK + 1> wide{};
    for (std::size_t at = 0; at < narrow.size(); at += CHUNK) {
        const std::size_t size = narrow.copy(chunk.data(), CHUNK, at);
        chunk[size] = '\0';
        wide_from_narrow(chunk.data(), wide);
        append_utf8_from_utf16(std::u16string_view(wide.data(), size), out);
    }
}

std::optional<std::string_view> argument_unit(std::string_view argument) noexcept {
    const ArgumentUnit* const found =
        std::find_if(std::begin(ARGUMENT_UNITS), std::end(ARGUMENT_UNITS),
                     [&](const ArgumentUnit& entry) { return entry.argument == argument; });
    if (found == std::end(ARGUMENT_UNITS)) return std::nullopt;
    return found->unit;
}

std::span<const FormulaInfo> formulas() noexcept { return table_view().infos(); }

const FormulaInfo* find(std::string_view keyword) noexcept {
    const Formula* row = find_keyword(keyword);
    if (row == nullptr) return nullptr;
    return &formulas()[static_cast<std::size_t>(row - formula_table().data())];
}

std::string usage(const FormulaInfo& formula) {
    return std::string(formula.keyword) + " " + std::string(formula.row->arguments);
}

std::string reference_line(const FormulaInfo& formula) {
    const std::string start = "  " + std::string(formula.keyword) + " ";
    std::string line;
    for (const std::string_view text : formula_reference_texts()) {
        if (!text.starts_with(start)) continue;
        append_utf8_from_windows_1252(text.substr(2, text.find('\n') - 2), line);
        break;
    }
    return line;
}

std::string help_summary() {
    std::string text;
    for (const std::string_view part : help_summary_texts())
        append_utf8_from_windows_1252(part, text);
    return text;
}

std::string reference_file_bytes() {
    std::string bytes;
    for (const std::string_view part : formula_reference_texts()) bytes += part;
    return bytes;
}

std::vector<std::string_view> complete(std::string_view prefix) {
    std::string lowered(prefix);
    lowercase_in_place(lowered);
    std::vector<std::string_view> keywords;
    for (const FormulaInfo& info : formulas()) {
        if (info.keyword.starts_with(lowered)) keywords.push_back(info.keyword);
    }
    return keywords;
}

}  // namespace zorvane::host
