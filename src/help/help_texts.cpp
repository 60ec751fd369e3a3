#include <cstdio>

#include "help.h"

namespace zorvane {
namespace {

// "?" in "1/2?fC" and "2?fL" is a question mark; \xB2 is the superscript two
// and \xBD the one half of Windows-1252 (\x43 is a "C" that would otherwise
// read as part of the hexadecimal escape before it).
constexpr std::string_view HELP_SUMMARY[] = {
    "\n=== Electronics Calculator Help ===\n",
    "Usage: <formula_name> <value1> <value2> [value3] ...\n",
    "Type '/help' to create a complete help file with all formulas\n\n",
    "Sample commands:\n",
    "  ohms_voltage 2.5 1000      (V = I * R, I=2.5A, R=1000ohm)\n",
    "  power_vi 12 0.5            (P = V * I, V=12V, I=0.5A)\n",
    "  capacitor_reactance 1000 0.000001  (Xc, f=1000Hz, C=1uF)\n",
    "  resistors_parallel 1000 2000       (parallel resistance)\n\n",
};

// clang-format off
constexpr std::string_view FORMULA_REFERENCE[] = {
    "=== ZorvaneCalculator Electronics - Complete Formula Reference ===\n\n",
    "BASIC ELECTRONICS (Ohm's Law & Power):\n",
    "  ohms_voltage <current> <resistance>     - Calculate voltage (V = I * R)\n",
    "  ohms_current <voltage> <resistance>     - Calculate current (I = V / R)\n",
    "  ohms_resistance <voltage> <current>     - Calculate resistance (R = V / I)\n",
    "  power_vi <voltage> <current>            - Power from V*I (P = V * I)\n",
    "  power_v2r <voltage> <resistance>        - Power from V\xB2/R (P = V\xB2 / R)\n",
    "  power_i2r <current> <resistance>        - Power from I\xB2*R (P = I\xB2 * R)\n\n",
    "CAPACITOR FORMULAS:\n",
    "  capacitor_energy <capacitance> <voltage>       - Energy stored (E = \xBD\x43V\xB2)\n",
    "  capacitor_charge <capacitance> <voltage>       - Charge stored (Q = CV)\n",
    "  capacitor_reactance <frequency> <capacitance>  - Reactance (Xc = 1/2?fC)\n",
    "  capacitor_time_constant_rc <resistance> <capacitance> - RC time constant\n",
    "  capacitors_series <c1> <c2>             - Series capacitance\n",
    "  capacitors_parallel <c1> <c2>           - Parallel capacitance\n\n",
    "INDUCTOR FORMULAS:\n",
    "  inductor_energy <inductance> <current>         - Energy stored (E = \xBDLI\xB2)\n",
    "  inductor_reactance <frequency> <inductance>    - Reactance (XL = 2?fL)\n",
    "  inductor_time_constant_lr <inductance> <resistance> - LR time constant\n",
    "  inductors_series <l1> <l2>              - Series inductance\n",
    "  inductors_parallel <l1> <l2>            - Parallel inductance\n\n",
    "RESISTOR FORMULAS:\n",
    "  resistors_series <r1> <r2>              - Series resistance\n",
    "  resistors_parallel <r1> <r2>            - Parallel resistance\n",
    "  voltage_divider <vin> <r1> <r2>         - Voltage divider output\n",
    "  current_divider <itotal> <r1> <r2>      - Current divider (through R1)\n\n",
    "AC CIRCUIT FORMULAS:\n",
    "  frequency_to_period <frequency>         - Convert frequency to period\n",
    "  period_to_frequency <period>            - Convert period to frequency\n",
    "  impedance_rc <resistance> <frequency> <capacitance> - RC impedance\n",
    "  impedance_rl <resistance> <frequency> <inductance>  - RL impedance\n",
    "  impedance_rlc_series <resistance> <frequency> <inductance> <capacitance> - RLC series impedance\n",
    "  resonant_frequency_lc <inductance> <capacitance>    - LC resonant frequency\n",
    "  q_factor_rlc <resistance> <inductance> <capacitance> - Q factor for RLC\n\n",
    "AMPLIFIER FORMULAS:\n",
    "  gain_db <gain_ratio>                    - Convert gain ratio to dB\n",
    "  gain_ratio_from_db <gain_db>            - Convert dB to gain ratio\n",
    "  transistor_beta <collector_current> <base_current> - Transistor beta (hFE)\n",
    "  transistor_alpha <collector_current> <emitter_current> - Transistor alpha\n\n",
    "POWER SUPPLY FORMULAS:\n",
    "  transformer_turns_ratio <primary_voltage> <secondary_voltage> - Turns ratio\n",
    "  rectifier_peak_voltage <rms_voltage>    - Peak voltage from RMS\n",
    "  filter_ripple_factor <ripple_voltage> <dc_voltage> - Ripple factor\n\n",
    "TRANSMISSION LINE FORMULAS:\n",
    "  characteristic_impedance_coax <dielectric_constant> <outer_diameter> <inner_diameter> - Coax impedance\n",
    "  wavelength <frequency> <velocity_factor> - Wavelength calculation\n",
    "  velocity_factor_to_velocity <velocity_factor> - Convert velocity factor to velocity\n\n",
    "ANTENNA FORMULAS:\n",
    "  dipole_length <frequency>               - Half-wave dipole length\n",
    "  antenna_gain_db <power_density_max> <power_density_isotropic> - Antenna gain in dB\n\n",
    "FILTER FORMULAS:\n",
    "  rc_lowpass_cutoff <resistance> <capacitance>     - RC low-pass cutoff frequency\n",
    "  rc_highpass_cutoff <resistance> <capacitance>    - RC high-pass cutoff frequency\n",
    "  rl_lowpass_cutoff <resistance> <inductance>      - RL low-pass cutoff frequency\n",
    "  rl_highpass_cutoff <resistance> <inductance>     - RL high-pass cutoff frequency\n\n",
    "DECIBEL FORMULAS:\n",
    "  power_ratio_to_db <power_ratio>         - Convert power ratio to dB\n",
    "  voltage_ratio_to_db <voltage_ratio>     - Convert voltage ratio to dB\n",
    "  db_to_power_ratio <db>                  - Convert dB to power ratio\n",
    "  db_to_voltage_ratio <db>                - Convert dB to voltage ratio\n\n",
    "THERMAL FORMULAS:\n",
    "  thermal_resistance <temperature_rise> <power>   - Thermal resistance calculation\n",
    "  junction_temperature <ambient_temp> <thermal_resistance> <power> - Junction temperature\n\n",
    "Notes:\n",
    "- All frequencies in Hz\n",
    "- All resistances in Ohms\n",
    "- All capacitances in Farads\n",
    "- All inductances in Henries\n",
    "- All voltages in Volts\n",
    "- All currents in Amperes\n",
    "- All powers in Watts\n",
    "- All temperatures in Celsius\n",
};
// clang-format on

}  // namespace

std::span<const std::string_view> help_summary_texts() noexcept { return HELP_SUMMARY; }

std::span<const std::string_view> formula_reference_texts() noexcept { return FORMULA_REFERENCE; }

void print_help_summary() {
    for (const std::string_view text : HELP_SUMMARY) {
        (void)std::fwrite(text.data(), 1, text.size(), stdout);
    }
}

void write_formula_reference() {
    const std::string_view outcome =
        save_formula_reference(nullptr) ? REFERENCE_CREATED : REFERENCE_FAILED;
    (void)std::fwrite(outcome.data(), 1, outcome.size(), stdout);
    (void)std::fputc('\n', stdout);
}

}  // namespace zorvane
