// The evaluators: pure functions of the values typed, in the order typed.
// A zero guard returns positive zero instead of dividing by zero; it compares
// by value, so -0.0 counts as zero.
#pragma once

namespace zorvane {

// circuit_formulas.cpp: Ohm's law and power, capacitors, inductors, resistors
double ohms_voltage(double current, double resistance);
double ohms_current(double voltage, double resistance);
double ohms_resistance(double voltage, double current);
double power_vi(double voltage, double current);
double power_v2r(double voltage, double resistance);
double power_i2r(double current, double resistance);
double capacitor_energy(double capacitance, double voltage);
double capacitor_charge(double capacitance, double voltage);
double capacitive_reactance(double frequency, double capacitance);
double capacitor_time_constant_rc(double resistance, double capacitance);
double capacitors_series(double c1, double c2);
double capacitors_parallel(double c1, double c2);
double inductor_energy(double inductance, double current);
double inductive_reactance(double frequency, double inductance);
double inductor_time_constant_lr(double inductance, double resistance);
double inductors_series(double l1, double l2);
double inductors_parallel(double l1, double l2);
double resistors_series(double r1, double r2);
double resistors_parallel(double r1, double r2);
double divider_share(double total, double r1, double r2);

// ac_formulas.cpp: AC circuits, amplifiers, power supplies
double frequency_to_period(double frequency);
double period_to_frequency(double period);
double impedance_rc(double resistance, double frequency, double capacitance);
double impedance_rl(double resistance, double frequency, double inductance);
double impedance_rlc_series(double resistance, double frequency, double inductance,
                            double capacitance);
double resonant_frequency_lc(double inductance, double capacitance);
double q_factor_rlc(double resistance, double inductance, double capacitance);
double transistor_beta(double collector_current, double base_current);
double transistor_alpha(double collector_current, double emitter_current);
double transformer_turns_ratio(double primary_voltage, double secondary_voltage);
double rectifier_peak_voltage(double rms_voltage);
double filter_ripple_factor(double ripple_voltage, double dc_voltage);

// rf_formulas.cpp: transmission lines, antennas, filters
double characteristic_impedance_coax(double dielectric_constant, double outer_diameter,
                                     double inner_diameter);
double wavelength(double frequency, double velocity_factor);
double velocity_factor_to_velocity(double velocity_factor);
double dipole_length(double frequency);
double antenna_gain_db(double power_density_max, double power_density_isotropic);
double rc_cutoff_frequency(double resistance, double capacitance);
double rl_cutoff_frequency(double resistance, double inductance);

// decibel_thermal_formulas.cpp: decibel conversions, thermal
double power_ratio_to_db(double power_ratio);
double voltage_ratio_to_db(double voltage_ratio);
double db_to_power_ratio(double db);
double db_to_voltage_ratio(double db);
double thermal_resistance(double temperature_rise, double power);
double junction_temperature(double ambient_temp, double thermal_resistance, double power);

}  // namespace zorvane
