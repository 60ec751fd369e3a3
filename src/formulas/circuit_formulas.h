// Direct-current and component formulas: Ohm's law and power, capacitors,
// inductors, resistors.
#pragma once

#include "constants.h"
#include "zero_guard.h"

namespace zorvane {

// ---- Ohm's law and power ----

inline Evaluation ohms_voltage(double current, double resistance) { return current * resistance; }

inline Evaluation ohms_current(double voltage, double resistance) {
    return guarded_quotient(voltage, resistance);
}

inline Evaluation ohms_resistance(double voltage, double current) {
    return guarded_quotient(voltage, current);
}

inline Evaluation power_vi(double voltage, double current) { return voltage * current; }

inline Evaluation power_v2r(double voltage, double resistance) {
    return guarded_quotient(voltage * voltage, resistance);
}

inline Evaluation power_i2r(double current, double resistance) {
    return (current * current) * resistance;
}

// ---- Capacitors ----

inline Evaluation capacitor_energy(double capacitance, double voltage) {
    return ((capacitance * voltage) * voltage) * 0.5;
}

inline Evaluation capacitor_charge(double capacitance, double voltage) {
    return capacitance * voltage;
}

// Xc = 1 / (2 pi f C). Zero frequency or capacitance gives the guard's 0,
// not infinity, which the impedance formulas rely on.
inline Evaluation capacitive_reactance(double frequency, double capacitance) {
    if (frequency == 0.0) return Evaluation::zero_guard();
    if (capacitance == 0.0) return Evaluation::zero_guard();
    return 1.0 / ((frequency * capacitance) * TWO_PI);
}

inline Evaluation capacitor_time_constant_rc(double resistance, double capacitance) {
    return resistance * capacitance;
}

// ---- Inductors ----

inline Evaluation inductor_energy(double inductance, double current) {
    return ((inductance * current) * current) * 0.5;
}

// XL = 2 pi f L
inline Evaluation inductive_reactance(double frequency, double inductance) {
    return (frequency * inductance) * TWO_PI;
}

inline Evaluation inductor_time_constant_lr(double inductance, double resistance) {
    return guarded_quotient(inductance, resistance);
}

// ---- Resistors ----

// total * r2 / (r1 + r2): the voltage across r2 of a voltage divider, and the
// current through r1 of a current divider fed with `total`.
inline Evaluation divider_share(double total, double r1, double r2) {
    return guarded_quotient(total * r2, r1 + r2);
}

}  // namespace zorvane
