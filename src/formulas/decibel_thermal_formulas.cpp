// Decibel conversions (the amplifier gain rows share two of them) and thermal formulas.
#include <cmath>

#include "evaluators.h"

namespace zorvane {

// ---- Decibels: multiplying by 0.1 and 0.05, not dividing by 10 and 20 ----

// A ratio that is not positive has no logarithm; the guard gives 0.
double power_ratio_to_db(double power_ratio) {
    if (power_ratio <= 0.0) return 0.0;
    return std::log10(power_ratio) * 10.0;
}

double voltage_ratio_to_db(double voltage_ratio) {
    if (voltage_ratio <= 0.0) return 0.0;
    return std::log10(voltage_ratio) * 20.0;
}

double db_to_power_ratio(double db) { return std::pow(10.0, db * 0.1); }

double db_to_voltage_ratio(double db) { return std::pow(10.0, db * 0.05); }

// ---- Thermal ----

double thermal_resistance(double temperature_rise, double power) {
    if (power == 0.0) return 0.0;
    return temperature_rise / power;
}

double junction_temperature(double ambient_temp, double thermal_resistance, double power) {
    return (thermal_resistance * power) + ambient_temp;
}

}  // namespace zorvane
