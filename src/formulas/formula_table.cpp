// The 50 formulas. Adding a formula is adding a row (and its evaluator).
// "?" in a format stands for ohms; "\xB0" is the degree sign of Windows-1252.
#include "formula_table.h"

#include <algorithm>
#include <bit>
#include <iterator>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "evaluators.h"

namespace zorvane {
namespace {

// The categories, in the order the reference lists them.
constexpr std::string_view OHMS_LAW = "Ohm's law and power";
constexpr std::string_view CAPACITORS = "Capacitors";
constexpr std::string_view INDUCTORS = "Inductors";
constexpr std::string_view RESISTORS = "Resistors";
constexpr std::string_view AC_CIRCUITS = "AC circuits";
constexpr std::string_view AMPLIFIERS = "Amplifiers";
constexpr std::string_view POWER_SUPPLIES = "Power supplies";
constexpr std::string_view TRANSMISSION_LINES = "Transmission lines";
constexpr std::string_view ANTENNAS = "Antennas";
constexpr std::string_view FILTERS = "Filters";
constexpr std::string_view DECIBELS = "Decibels";
constexpr std::string_view THERMAL = "Thermal";

// One row per formula: evaluator, keyword, category, argument names as the
// reference writes them, required count, result format.
// clang-format off
constexpr Formula FORMULAS[] = {
    formula<ohms_voltage>                 ("ohms_voltage",                  OHMS_LAW,           "<current> <resistance>",                                  2, "Voltage = %.6f V"),
    formula<ohms_current>                 ("ohms_current",                  OHMS_LAW,           "<voltage> <resistance>",                                  2, "Current = %.6f A"),
    formula<ohms_resistance>              ("ohms_resistance",               OHMS_LAW,           "<voltage> <current>",                                     2, "Resistance = %.6f ?"),
    formula<power_vi>                     ("power_vi",                      OHMS_LAW,           "<voltage> <current>",                                     2, "Power = %.6f W"),
    formula<power_v2r>                    ("power_v2r",                     OHMS_LAW,           "<voltage> <resistance>",                                  2, "Power = %.6f W"),
    formula<power_i2r>                    ("power_i2r",                     OHMS_LAW,           "<current> <resistance>",                                  2, "Power = %.6f W"),
    formula<capacitor_energy>             ("capacitor_energy",              CAPACITORS,         "<capacitance> <voltage>",                                 2, "Energy = %.6f J"),
    formula<capacitor_charge>             ("capacitor_charge",              CAPACITORS,         "<capacitance> <voltage>",                                 2, "Charge = %.6f C"),
    formula<capacitive_reactance>         ("capacitor_reactance",           CAPACITORS,         "<frequency> <capacitance>",                               2, "Capacitive Reactance = %.6f ?"),
    formula<capacitor_time_constant_rc>   ("capacitor_time_constant_rc",    CAPACITORS,         "<resistance> <capacitance>",                              2, "RC Time Constant = %.6f s"),
    formula<capacitors_series>            ("capacitors_series",             CAPACITORS,         "<c1> <c2>",                                               2, "Series Capacitance = %.6f F"),
    formula<capacitors_parallel>          ("capacitors_parallel",           CAPACITORS,         "<c1> <c2>",                                               2, "Parallel Capacitance = %.6f F"),
    formula<inductor_energy>              ("inductor_energy",               INDUCTORS,          "<inductance> <current>",                                  2, "Energy = %.6f J"),
    formula<inductive_reactance>          ("inductor_reactance",            INDUCTORS,          "<frequency> <inductance>",                                2, "Inductive Reactance = %.6f ?"),
    formula<inductor_time_constant_lr>    ("inductor_time_constant_lr",     INDUCTORS,          "<inductance> <resistance>",                               2, "LR Time Constant = %.6f s"),
    formula<inductors_series>             ("inductors_series",              INDUCTORS,          "<l1> <l2>",                                               2, "Series Inductance = %.6f H"),
    formula<inductors_parallel>           ("inductors_parallel",            INDUCTORS,          "<l1> <l2>",                                               2, "Parallel Inductance = %.6f H"),
    formula<resistors_series>             ("resistors_series",              RESISTORS,          "<r1> <r2>",                                               2, "Series Resistance = %.6f ?"),
    formula<resistors_parallel>           ("resistors_parallel",            RESISTORS,          "<r1> <r2>",                                               2, "Parallel Resistance = %.6f ?"),
    formula<divider_share>                ("voltage_divider",               RESISTORS,          "<vin> <r1> <r2>",                                         3, "Output Voltage = %.6f V"),
    formula<divider_share>                ("current_divider",               RESISTORS,          "<itotal> <r1> <r2>",                                      3, "Current through R1 = %.6f A"),
    formula<frequency_to_period>          ("frequency_to_period",           AC_CIRCUITS,        "<frequency>",                                             1, "Period = %.6f s"),
    formula<period_to_frequency>          ("period_to_frequency",           AC_CIRCUITS,        "<period>",                                                1, "Frequency = %.6f Hz"),
    formula<impedance_rc>                 ("impedance_rc",                  AC_CIRCUITS,        "<resistance> <frequency> <capacitance>",                  3, "RC Impedance = %.6f ?"),
    formula<impedance_rl>                 ("impedance_rl",                  AC_CIRCUITS,        "<resistance> <frequency> <inductance>",                   3, "RL Impedance = %.6f ?"),
    formula<impedance_rlc_series>         ("impedance_rlc_series",          AC_CIRCUITS,        "<resistance> <frequency> <inductance> <capacitance>",     4, "RLC Series Impedance = %.6f ?"),
    formula<resonant_frequency_lc>        ("resonant_frequency_lc",         AC_CIRCUITS,        "<inductance> <capacitance>",                              2, "Resonant Frequency = %.6f Hz"),
    formula<q_factor_rlc>                 ("q_factor_rlc",                  AC_CIRCUITS,        "<resistance> <inductance> <capacitance>",                 3, "Q Factor = %.6f"),
    formula<voltage_ratio_to_db>          ("gain_db",                       AMPLIFIERS,         "<gain_ratio>",                                            1, "Gain = %.6f dB"),
    formula<db_to_voltage_ratio>          ("gain_ratio_from_db",            AMPLIFIERS,         "<gain_db>",                                               1, "Gain Ratio = %.6f"),
    formula<transistor_beta>              ("transistor_beta",               AMPLIFIERS,         "<collector_current> <base_current>",                      2, "Beta (hFE) = %.6f"),
    formula<transistor_alpha>             ("transistor_alpha",              AMPLIFIERS,         "<collector_current> <emitter_current>",                   2, "Alpha = %.6f"),
    formula<transformer_turns_ratio>      ("transformer_turns_ratio",       POWER_SUPPLIES,     "<primary_voltage> <secondary_voltage>",                   2, "Turns Ratio = %.6f"),
    formula<rectifier_peak_voltage>       ("rectifier_peak_voltage",        POWER_SUPPLIES,     "<rms_voltage>",                                           1, "Peak Voltage = %.6f V"),
    formula<filter_ripple_factor>         ("filter_ripple_factor",          POWER_SUPPLIES,     "<ripple_voltage> <dc_voltage>",                           2, "Ripple Factor = %.6f"),
    formula<characteristic_impedance_coax>("characteristic_impedance_coax", TRANSMISSION_LINES, "<dielectric_constant> <outer_diameter> <inner_diameter>", 3, "Characteristic Impedance = %.6f ?"),
    formula<wavelength>                   ("wavelength",                    TRANSMISSION_LINES, "<frequency> <velocity_factor>",                           2, "Wavelength = %.6f m"),
    formula<velocity_factor_to_velocity>  ("velocity_factor_to_velocity",   TRANSMISSION_LINES, "<velocity_factor>",                                       1, "Velocity = %.6f m/s"),
    formula<dipole_length>                ("dipole_length",                 ANTENNAS,           "<frequency>",                                             1, "Dipole Length = %.6f m"),
    formula<antenna_gain_db>              ("antenna_gain_db",               ANTENNAS,           "<power_density_max> <power_density_isotropic>",           2, "Antenna Gain = %.6f dB"),
    formula<rc_cutoff_frequency>          ("rc_lowpass_cutoff",             FILTERS,            "<resistance> <capacitance>",                              2, "Cutoff Frequency = %.6f Hz"),
    formula<rc_cutoff_frequency>          ("rc_highpass_cutoff",            FILTERS,            "<resistance> <capacitance>",                              2, "Cutoff Frequency = %.6f Hz"),
    formula<rl_cutoff_frequency>          ("rl_lowpass_cutoff",             FILTERS,            "<resistance> <inductance>",                               2, "Cutoff Frequency = %.6f Hz"),
    formula<rl_cutoff_frequency>          ("rl_highpass_cutoff",            FILTERS,            "<resistance> <inductance>",                               2, "Cutoff Frequency = %.6f Hz"),
    formula<power_ratio_to_db>            ("power_ratio_to_db",             DECIBELS,           "<power_ratio>",                                           1, "Power Ratio in dB = %.6f dB"),
    formula<voltage_ratio_to_db>          ("voltage_ratio_to_db",           DECIBELS,           "<voltage_ratio>",                                         1, "Voltage Ratio in dB = %.6f dB"),
    formula<db_to_power_ratio>            ("db_to_power_ratio",             DECIBELS,           "<db>",                                                    1, "Power Ratio = %.6f"),
    formula<db_to_voltage_ratio>          ("db_to_voltage_ratio",           DECIBELS,           "<db>",                                                    1, "Voltage Ratio = %.6f"),
    formula<thermal_resistance>           ("thermal_resistance",            THERMAL,            "<temperature_rise> <power>",                              2, "Thermal Resistance = %.6f \xB0" "C/W"),
    formula<junction_temperature>         ("junction_temperature",          THERMAL,            "<ambient_temp> <thermal_resistance> <power>",             3, "Junction Temperature = %.6f \xB0" "C"),
};
// clang-format on

// ---- Keyword lookup ----
//
// A perfect hash built at compile time, so that finding the last row costs
// what finding the first does: one multiplication, one slot, one comparison.
// A keyword is mixed into one word (its first and last eight bytes and its
// length); the build searches for a multiplier under which every row's word
// lands in a slot of its own. With at least four slots a row, a few hundred
// to a few thousand candidates are tried, which the build does in a moment.

constexpr std::size_t ROW_COUNT = std::size(FORMULAS);
constexpr std::size_t SLOT_BITS = static_cast<std::size_t>(std::bit_width(ROW_COUNT * 4 - 1));
constexpr std::size_t SLOT_COUNT = std::size_t{1} << SLOT_BITS;
constexpr std::uint8_t EMPTY_SLOT = 0xFF;
static_assert(ROW_COUNT < EMPTY_SLOT, "a slot holds a row number below EMPTY_SLOT");

// Eight bytes from `at` (fewer past `end`, zero-filled), little-endian.
constexpr std::uint64_t load_eight(const char* at, const char* end) {
    if constexpr (std::endian::native == std::endian::little) {
        if (!std::is_constant_evaluated() && end - at >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, at, sizeof word);
            return word;
        }
    }
    std::uint64_t word = 0;
    for (int i = 0; i < 8 && at + i < end; ++i) {
        word |= std::uint64_t{static_cast<unsigned char>(at[i])} << (8 * i);
    }
    return word;
}

constexpr std::uint64_t mix(std::string_view keyword) {
    const char* begin = keyword.data();
    const char* end = begin + keyword.size();
    const std::uint64_t head = load_eight(begin, end);
    const std::uint64_t tail = keyword.size() >= 8 ? load_eight(end - 8, end) : head;
    return head ^ tail ^ keyword.size();
}

constexpr std::size_t slot_of(std::uint64_t mixed, std::uint64_t multiplier) {
    return static_cast<std::size_t>((mixed * multiplier) >> (64 - SLOT_BITS));
}

// The candidates, an odd-valued pseudo-random sequence (splitmix64).
constexpr std::uint64_t next_candidate(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
    return (z ^ (z >> 31)) | 1;
}

struct KeywordIndex {
    std::uint64_t multiplier;
    std::uint8_t slots[SLOT_COUNT];
};

consteval std::array<std::uint64_t, ROW_COUNT> mixed_keywords() {
    std::array<std::uint64_t, ROW_COUNT> mixed{};
    for (std::size_t row = 0; row < ROW_COUNT; ++row) {
        mixed[row] = mix(FORMULAS[row].keyword);
        for (std::size_t earlier = 0; earlier < row; ++earlier) {
            if (FORMULAS[earlier].keyword == FORMULAS[row].keyword) throw "two rows share a keyword";
            if (mixed[earlier] == mixed[row]) throw "two keywords mix alike: change the mix";
        }
    }
    return mixed;
}

// Fills the slots under `multiplier`; false at the first collision.
consteval bool place_all(const std::array<std::uint64_t, ROW_COUNT>& mixed, KeywordIndex& index) {
    std::fill(std::begin(index.slots), std::end(index.slots), EMPTY_SLOT);
    for (std::size_t row = 0; row < ROW_COUNT; ++row) {
        std::uint8_t& slot = index.slots[slot_of(mixed[row], index.multiplier)];
        if (slot != EMPTY_SLOT) return false;
        slot = static_cast<std::uint8_t>(row);
    }
    return true;
}

consteval KeywordIndex build_keyword_index() {
    const std::array<std::uint64_t, ROW_COUNT> mixed = mixed_keywords();
    KeywordIndex index{};
    std::uint64_t state = 0;
    for (int attempt = 0; attempt < 100000; ++attempt) {
        index.multiplier = next_candidate(state);
        if (place_all(mixed, index)) return index;
    }
    throw "no multiplier gives every keyword a slot of its own: add a slot bit";
}

constexpr KeywordIndex KEYWORD_INDEX = build_keyword_index();

}  // namespace

std::span<const Formula> formula_table() noexcept { return FORMULAS; }

const Formula* find_keyword(std::string_view keyword) noexcept {
    const std::uint8_t at = KEYWORD_INDEX.slots[slot_of(mix(keyword), KEYWORD_INDEX.multiplier)];
    if (at == EMPTY_SLOT) return nullptr;
    const Formula& row = FORMULAS[at];
    const bool same = row.keyword.size() == keyword.size() &&
                      std::memcmp(row.keyword.data(), keyword.data(), keyword.size()) == 0;
    return same ? &row : nullptr;
}

const Formula* find_formula(std::string_view keyword, int value_count) noexcept {
    const Formula* row = find_keyword(keyword);
    return row != nullptr && row->required_count <= value_count ? row : nullptr;
}

}  // namespace zorvane
