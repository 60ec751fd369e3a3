// AC circuit, amplifier and power-supply formulas.
#pragma once

#include <cmath>

#include "circuit_formulas.h"
#include "constants.h"
#include "zero_guard.h"

namespace zorvane {

// ---- AC circuits ----

inline Evaluation frequency_to_period(double frequency) { return guarded_quotient(1.0, frequency); }

inline Evaluation period_to_frequency(double period) { return guarded_quotient(1.0, period); }

// sqrt(x² + r²). A reactance whose guard answered 0 makes the impedance
// guarded too: it is then the resistance alone, not a physical answer.
inline Evaluation hypotenuse(const Evaluation& reactance, double resistance) {
    Evaluation impedance =
        std::sqrt((reactance.value * reactance.value) + (resistance * resistance));
    impedance.guarded = reactance.guarded;
    return impedance;
}

inline Evaluation impedance_rc(double resistance, double frequency, double capacitance) {
    return hypotenuse(capacitive_reactance(frequency, capacitance), resistance);
}

inline Evaluation impedance_rl(double resistance, double frequency, double inductance) {
    return hypotenuse(inductive_reactance(frequency, inductance), resistance);
}

inline Evaluation impedance_rlc_series(double resistance, double frequency, double inductance,
                                       double capacitance) {
    const double xl = inductive_reactance(frequency, inductance).value;
    const Evaluation xc = capacitive_reactance(frequency, capacitance);
    Evaluation x = xl - xc.value;
    x.guarded = xc.guarded;
    return hypotenuse(x, resistance);
}

inline Evaluation resonant_frequency_lc(double inductance, double capacitance) {
    if (inductance == 0.0) return Evaluation::zero_guard();
    if (capacitance == 0.0) return Evaluation::zero_guard();
    return 1.0 / (std::sqrt(inductance * capacitance) * TWO_PI);
}

// Q = sqrt(L / C) / R, formed as a product with 1 / R.
inline Evaluation q_factor_rlc(double resistance, double inductance, double capacitance) {
    if (resistance == 0.0) return Evaluation::zero_guard();
    if (capacitance == 0.0) return Evaluation::zero_guard();
    return std::sqrt(inductance / capacitance) * (1.0 / resistance);
}

// ---- Amplifiers (the decibel rows share the decibel conversions) ----

inline Evaluation transistor_beta(double collector_current, double base_current) {
    return guarded_quotient(collector_current, base_current);
}

inline Evaluation transistor_alpha(double collector_current, double emitter_current) {
    return guarded_quotient(collector_current, emitter_current);
}

// ---- Power supplies ----

inline Evaluation transformer_turns_ratio(double primary_voltage, double secondary_voltage) {
    return guarded_quotient(primary_voltage, secondary_voltage);
}

inline Evaluation rectifier_peak_voltage(double rms_voltage) {
    return std::sqrt(2.0) * rms_voltage;
}

inline Evaluation filter_ripple_factor(double ripple_voltage, double dc_voltage) {
    return guarded_quotient(ripple_voltage, dc_voltage);
}

}  // namespace zorvane
