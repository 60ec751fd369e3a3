// Transmission-line, antenna and filter formulas.
#pragma once

#include <cmath>

#include "constants.h"
#include "zero_guard.h"

namespace zorvane {

// ---- Transmission lines ----

// Z0 = 138 / sqrt(er) * log10(D / d). Nothing guards a negative dielectric
// constant or diameter ratio: those give not-a-number.
inline Evaluation characteristic_impedance_coax(double dielectric_constant, double outer_diameter,
                                                double inner_diameter) {
    if (inner_diameter == 0.0) return Evaluation::zero_guard();
    if (dielectric_constant == 0.0) return Evaluation::zero_guard();
    const double root = std::sqrt(dielectric_constant);
    const double decades = std::log10(outer_diameter / inner_diameter);
    return decades * (138.0 / root);
}

inline Evaluation wavelength(double frequency, double velocity_factor) {
    return guarded_quotient(velocity_factor * SPEED_OF_LIGHT, frequency);
}

inline Evaluation velocity_factor_to_velocity(double velocity_factor) {
    return velocity_factor * SPEED_OF_LIGHT;
}

// ---- Antennas ----

// The plain half wavelength c / 2f, without a shortening factor.
inline Evaluation dipole_length(double frequency) {
    if (frequency == 0.0) return Evaluation::zero_guard();
    return SPEED_OF_LIGHT / (frequency * 2.0);
}

inline Evaluation antenna_gain_db(double power_density_max, double power_density_isotropic) {
    if (power_density_isotropic == 0.0) return Evaluation::zero_guard();
    return std::log10(power_density_max / power_density_isotropic) * 10.0;
}

// ---- Filters: low-pass and high-pass share one cutoff ----

inline Evaluation rc_cutoff_frequency(double resistance, double capacitance) {
    if (resistance == 0.0) return Evaluation::zero_guard();
    if (capacitance == 0.0) return Evaluation::zero_guard();
    return 1.0 / ((resistance * capacitance) * TWO_PI);
}

inline Evaluation rl_cutoff_frequency(double resistance, double inductance) {
    return guarded_quotient(resistance, inductance * TWO_PI);
}

}  // namespace zorvane
