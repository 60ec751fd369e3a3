// AC circuit, amplifier and power-supply formulas.
#include <cmath>

#include "constants.h"
#include "evaluators.h"

namespace zorvane {

// ---- AC circuits ----

double frequency_to_period(double frequency) {
    if (frequency == 0.0) return 0.0;
    return 1.0 / frequency;
}

double period_to_frequency(double period) {
    if (period == 0.0) return 0.0;
    return 1.0 / period;
}

double impedance_rc(double resistance, double frequency, double capacitance) {
    const double x = capacitive_reactance(frequency, capacitance);
    return std::sqrt((x * x) + (resistance * resistance));
}

double impedance_rl(double resistance, double frequency, double inductance) {
    const double x = inductive_reactance(frequency, inductance);
    return std::sqrt((x * x) + (resistance * resistance));
}

double impedance_rlc_series(double resistance, double frequency, double inductance,
                            double capacitance) {
    const double xl = inductive_reactance(frequency, inductance);
    const double xc = capacitive_reactance(frequency, capacitance);
    const double x = xl - xc;
    return std::sqrt((x * x) + (resistance * resistance));
}

double resonant_frequency_lc(double inductance, double capacitance) {
    if (inductance == 0.0) return 0.0;
    if (capacitance == 0.0) return 0.0;
    return 1.0 / (std::sqrt(inductance * capacitance) * TWO_PI);
}

// Q = sqrt(L / C) / R, formed as a product with 1 / R.
double q_factor_rlc(double resistance, double inductance, double capacitance) {
    if (resistance == 0.0) return 0.0;
    if (capacitance == 0.0) return 0.0;
    return std::sqrt(inductance / capacitance) * (1.0 / resistance);
}

// ---- Amplifiers (the decibel rows are in decibel_thermal_formulas.cpp) ----

double transistor_beta(double collector_current, double base_current) {
    if (base_current == 0.0) return 0.0;
    return collector_current / base_current;
}

double transistor_alpha(double collector_current, double emitter_current) {
    if (emitter_current == 0.0) return 0.0;
    return collector_current / emitter_current;
}

// ---- Power supplies ----

double transformer_turns_ratio(double primary_voltage, double secondary_voltage) {
    if (secondary_voltage == 0.0) return 0.0;
    return primary_voltage / secondary_voltage;
}

double rectifier_peak_voltage(double rms_voltage) { return std::sqrt(2.0) * rms_voltage; }

double filter_ripple_factor(double ripple_voltage, double dc_voltage) {
    if (dc_voltage == 0.0) return 0.0;
    return ripple_voltage / dc_voltage;
}

}  // namespace zorvane
