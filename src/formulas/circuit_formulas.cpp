// Direct-current and component formulas.
#include "constants.h"
#include "evaluators.h"

namespace zorvane {

// ---- Ohm's law and power ----

double ohms_voltage(double current, double resistance) { return current * resistance; }

double ohms_current(double voltage, double resistance) {
    if (resistance == 0.0) return 0.0;
    return voltage / resistance;
}

double ohms_resistance(double voltage, double current) {
    if (current == 0.0) return 0.0;
    return voltage / current;
}

double power_vi(double voltage, double current) { return voltage * current; }

double power_v2r(double voltage, double resistance) {
    if (resistance == 0.0) return 0.0;
    return (voltage * voltage) / resistance;
}

double power_i2r(double current, double resistance) { return (current * current) * resistance; }

// ---- Capacitors ----

double capacitor_energy(double capacitance, double voltage) {
    return ((capacitance * voltage) * voltage) * 0.5;
}

double capacitor_charge(double capacitance, double voltage) { return capacitance * voltage; }

// Xc = 1 / (2 pi f C). Zero frequency or capacitance gives 0, not infinity,
// which the impedance formulas rely on.
double capacitive_reactance(double frequency, double capacitance) {
    if (frequency == 0.0) return 0.0;
    if (capacitance == 0.0) return 0.0;
    return 1.0 / ((frequency * capacitance) * TWO_PI);
}

double capacitor_time_constant_rc(double resistance, double capacitance) {
    return resistance * capacitance;
}

// The guards cover zero operands only; equal values of opposite sign still
// divide by a zero sum.
double capacitors_series(double c1, double c2) {
    if (c1 == 0.0) return 0.0;
    if (c2 == 0.0) return 0.0;
    return (c1 * c2) / (c1 + c2);
}

double capacitors_parallel(double c1, double c2) { return c1 + c2; }

// ---- Inductors ----

double inductor_energy(double inductance, double current) {
    return ((inductance * current) * current) * 0.5;
}

// XL = 2 pi f L
double inductive_reactance(double frequency, double inductance) {
    return (frequency * inductance) * TWO_PI;
}

double inductor_time_constant_lr(double inductance, double resistance) {
    if (resistance == 0.0) return 0.0;
    return inductance / resistance;
}

double inductors_series(double l1, double l2) { return l1 + l2; }

double inductors_parallel(double l1, double l2) {
    if (l1 == 0.0) return 0.0;
    if (l2 == 0.0) return 0.0;
    return (l1 * l2) / (l1 + l2);
}

// ---- Resistors ----

double resistors_series(double r1, double r2) { return r1 + r2; }

double resistors_parallel(double r1, double r2) {
    if (r1 == 0.0) return 0.0;
    if (r2 == 0.0) return 0.0;
    return (r1 * r2) / (r1 + r2);
}

// total * r2 / (r1 + r2): the voltage across r2 of a voltage divider, and the
// current through r1 of a current divider fed with `total`.
double divider_share(double total, double r1, double r2) {
    const double sum = r1 + r2;
    if (sum == 0.0) return 0.0;
    return (total * r2) / sum;
}

}  // namespace zorvane
