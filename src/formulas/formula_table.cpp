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

// clang-format off
constexpr Formula FORMULAS[] = {
    // ---- Basic electronics (Ohm's law and power) ----
    formula<ohms_voltage>              ("ohms_voltage",                  2, "Voltage = %.6f V"),
    formula<ohms_current>              ("ohms_current",                  2, "Current = %.6f A"),
    formula<ohms_resistance>           ("ohms_resistance",               2, "Resistance = %.6f ?"),
    formula<power_vi>                  ("power_vi",                      2, "Power = %.6f W"),
    formula<power_v2r>                 ("power_v2r",                     2, "Power = %.6f W"),
    formula<power_i2r>                 ("power_i2r",                     2, "Power = %.6f W"),
    // ---- Capacitors ----
    formula<capacitor_energy>          ("capacitor_energy",              2, "Energy = %.6f J"),
    formula<capacitor_charge>          ("capacitor_charge",              2, "Charge = %.6f C"),
    formula<capacitive_reactance>      ("capacitor_reactance",           2, "Capacitive Reactance = %.6f ?"),
    formula<capacitor_time_constant_rc>("capacitor_time_constant_rc",    2, "RC Time Constant = %.6f s"),
    formula<capacitors_series>         ("capacitors_series",             2, "Series Capacitance = %.6f F"),
    formula<capacitors_parallel>       ("capacitors_parallel",           2, "Parallel Capacitance = %.6f F"),
    // ---- Inductors ----
    formula<inductor_energy>           ("inductor_energy",               2, "Energy = %.6f J"),
    formula<inductive_reactance>       ("inductor_reactance",            2, "Inductive Reactance = %.6f ?"),
    formula<inductor_time_constant_lr> ("inductor_time_constant_lr",     2, "LR Time Constant = %.6f s"),
    formula<inductors_series>          ("inductors_series",              2, "Series Inductance = %.6f H"),
    formula<inductors_parallel>        ("inductors_parallel",            2, "Parallel Inductance = %.6f H"),
    // ---- Resistors ----
    formula<resistors_series>          ("resistors_series",              2, "Series Resistance = %.6f ?"),
    formula<resistors_parallel>        ("resistors_parallel",            2, "Parallel Resistance = %.6f ?"),
    formula<divider_share>             ("voltage_divider",               3, "Output Voltage = %.6f V"),
    formula<divider_share>             ("current_divider",               3, "Current through R1 = %.6f A"),
    // ---- AC circuits ----
    formula<frequency_to_period>       ("frequency_to_period",           1, "Period = %.6f s"),
    formula<period_to_frequency>       ("period_to_frequency",           1, "Frequency = %.6f Hz"),
    formula<impedance_rc>              ("impedance_rc",                  3, "RC Impedance = %.6f ?"),
    formula<impedance_rl>              ("impedance_rl",                  3, "RL Impedance = %.6f ?"),
    formula<impedance_rlc_series>      ("impedance_rlc_series",          4, "RLC Series Impedance = %.6f ?"),
    formula<resonant_frequency_lc>     ("resonant_frequency_lc",         2, "Resonant Frequency = %.6f Hz"),
    formula<q_factor_rlc>              ("q_factor_rlc",                  3, "Q Factor = %.6f"),
    // ---- Amplifiers ----
    formula<voltage_ratio_to_db>       ("gain_db",                       1, "Gain = %.6f dB"),
    formula<db_to_voltage_ratio>       ("gain_ratio_from_db",            1, "Gain Ratio = %.6f"),
    formula<transistor_beta>           ("transistor_beta",               2, "Beta (hFE) = %.6f"),
    formula<transistor_alpha>          ("transistor_alpha",              2, "Alpha = %.6f"),
    // ---- Power supplies ----
    formula<transformer_turns_ratio>   ("transformer_turns_ratio",       2, "Turns Ratio = %.6f"),
    formula<rectifier_peak_voltage>    ("rectifier_peak_voltage",        1, "Peak Voltage = %.6f V"),
    formula<filter_ripple_factor>      ("filter_ripple_factor",          2, "Ripple Factor = %.6f"),
    // ---- Transmission lines ----
    formula<characteristic_impedance_coax>("characteristic_impedance_coax", 3, "Characteristic Impedance = %.6f ?"),
    formula<wavelength>                ("wavelength",                    2, "Wavelength = %.6f m"),
    formula<velocity_factor_to_velocity>("velocity_factor_to_velocity",  1, "Velocity = %.6f m/s"),
    // ---- Antennas ----
    formula<dipole_length>             ("dipole_length",                 1, "Dipole Length = %.6f m"),
    formula<antenna_gain_db>           ("antenna_gain_db",               2, "Antenna Gain = %.6f dB"),
    // ---- Filters ----
    formula<rc_cutoff_frequency>       ("rc_lowpass_cutoff",             2, "Cutoff Frequency = %.6f Hz"),
    formula<rc_cutoff_frequency>       ("rc_highpass_cutoff",            2, "Cutoff Frequency = %.6f Hz"),
    formula<rl_cutoff_frequency>       ("rl_lowpass_cutoff",             2, "Cutoff Frequency = %.6f Hz"),
    formula<rl_cutoff_frequency>       ("rl_highpass_cutoff",            2, "Cutoff Frequency = %.6f Hz"),
    // ---- Decibels ----
    formula<power_ratio_to_db>         ("power_ratio_to_db",             1, "Power Ratio in dB = %.6f dB"),
    formula<voltage_ratio_to_db>       ("voltage_ratio_to_db",           1, "Voltage Ratio in dB = %.6f dB"),
    formula<db_to_power_ratio>         ("db_to_power_ratio",             1, "Power Ratio = %.6f"),
    formula<db_to_voltage_ratio>       ("db_to_voltage_ratio",           1, "Voltage Ratio = %.6f"),
    // ---- Thermal ----
    formula<thermal_resistance>        ("thermal_resistance",            2, "Thermal Resistance = %.6f \xB0" "C/W"),
    formula<junction_temperature>      ("junction_temperature",          3, "Junction Temperature = %.6f \xB0" "C"),
};
// clang-format on

// ---- Keyword lookup ----
//
// A hash table built at compile time, so that finding the last row costs
// what finding the first does. The hash mixes the first and the last eight
// bytes of the keyword with its length; with this multiplier every keyword
// has a slot of its own. A new row whose keyword collides stops the build
// below; bench/find_keyword_hash.py finds a new multiplier.

constexpr std::size_t SLOT_BITS = 7;
constexpr std::size_t SLOT_COUNT = std::size_t{1} << SLOT_BITS;
constexpr std::uint64_t HASH_MULTIPLIER = 0xffbbbc60e1c65441;
constexpr std::uint8_t EMPTY_SLOT = 0xFF;
constexpr std::size_t ROW_COUNT = std::size(FORMULAS);
static_assert(ROW_COUNT < EMPTY_SLOT && ROW_COUNT * 2 < SLOT_COUNT);

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

constexpr std::size_t slot_of(std::string_view keyword) {
    const char* begin = keyword.data();
    const char* end = begin + keyword.size();
    const std::uint64_t head = load_eight(begin, end);
    const std::uint64_t tail = keyword.size() >= 8 ? load_eight(end - 8, end) : head;
    return static_cast<std::size_t>(((head ^ tail ^ keyword.size()) * HASH_MULTIPLIER) >>
                                    (64 - SLOT_BITS));
}

struct KeywordIndex {
    std::uint8_t slots[SLOT_COUNT];
    int longest_probe;
};

consteval KeywordIndex build_keyword_index() {
    KeywordIndex index{};
    std::fill(std::begin(index.slots), std::end(index.slots), EMPTY_SLOT);
    for (std::size_t row = 0; row < ROW_COUNT; ++row) {
        std::size_t slot = slot_of(FORMULAS[row].keyword);
        int probe = 1;
        for (; index.slots[slot] != EMPTY_SLOT; slot = (slot + 1) % SLOT_COUNT) {
            if (FORMULAS[index.slots[slot]].keyword == FORMULAS[row].keyword) {
                throw "two rows share a keyword";
            }
            ++probe;
        }
        index.slots[slot] = static_cast<std::uint8_t>(row);
        if (probe > index.longest_probe) index.longest_probe = probe;
    }
    return index;
}

constexpr KeywordIndex KEYWORD_INDEX = build_keyword_index();
static_assert(KEYWORD_INDEX.longest_probe == 1, "keyword hash collision: choose a new multiplier");

}  // namespace

std::span<const Formula> formula_table() noexcept { return FORMULAS; }

const Formula* find_formula(std::string_view keyword, int value_count) noexcept {
    for (std::size_t slot = slot_of(keyword); KEYWORD_INDEX.slots[slot] != EMPTY_SLOT;
         slot = (slot + 1) % SLOT_COUNT) {
        const Formula& row = FORMULAS[KEYWORD_INDEX.slots[slot]];
        if (row.keyword.size() == keyword.size() &&
            std::memcmp(row.keyword.data(), keyword.data(), keyword.size()) == 0) {
            return row.required_count <= value_count ? &row : nullptr;
        }
    }
    return nullptr;
}

}  // namespace zorvane
