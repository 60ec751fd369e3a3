// Decibel conversions (the amplifier gain rows share two of them) and
// thermal formulas.
#pragma once

#include <cmath>

#include "zero_guard.h"

namespace zorvane {

// ---- Decibels: multiplying by 0.1 and 0.05, not dividing by 10 and 20 ----

// A ratio that is not positive has no logarithm; the guard gives 0.
inline Evaluation power_ratio_to_db(double power_ratio) {
    if (power_ratio <= 0.0) return Evaluation::zero_guard();
    return std::log10(power_ratio) * 10.0;
}

inline Evaluation voltage_ratio_to_db(double voltage_ratio) {
    if (voltage_ratio <= 0.0) return Evaluation::zero_guard();
    return std::log10(voltage_ratio) * 20.0;
}

inline Evaluation db_to_power_ratio(double db) { return std::pow(10.0, db * 0.1); }

inline Evaluation db_to_voltage_ratio(double db) { return std::pow(10.0, db * 0.05); }

// ---- Thermal ----

inline Evaluation thermal_resistance(double temperature_rise, double power) {
    return guarded_quotient(temperature_rise, power);
}

inline Evaluation junction_temperature(double ambient_temp, double thermal_resistance,
                                       double power) {
    return (thermal_resistance * power) + ambient_temp;
}

}  // namespace zorvane
