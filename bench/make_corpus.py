#!/usr/bin/env python3
"""Writes the benchmark corpus: COUNT commands spread evenly over all 50
formulas, each with the values its formula needs, drawn reproducibly.

  make_corpus.py OUT [COUNT]
"""
import random
import sys

# keyword and required count, in table order
FORMULAS = [
    ('ohms_voltage', 2), ('ohms_current', 2), ('ohms_resistance', 2), ('power_vi', 2),
    ('power_v2r', 2), ('power_i2r', 2), ('capacitor_energy', 2), ('capacitor_charge', 2),
    ('capacitor_reactance', 2), ('capacitor_time_constant_rc', 2), ('capacitors_series', 2),
    ('capacitors_parallel', 2), ('inductor_energy', 2), ('inductor_reactance', 2),
    ('inductor_time_constant_lr', 2), ('inductors_series', 2), ('inductors_parallel', 2),
    ('resistors_series', 2), ('resistors_parallel', 2), ('voltage_divider', 3),
    ('current_divider', 3), ('frequency_to_period', 1), ('period_to_frequency', 1),
    ('impedance_rc', 3), ('impedance_rl', 3), ('impedance_rlc_series', 4),
    ('resonant_frequency_lc', 2), ('q_factor_rlc', 3), ('gain_db', 1), ('gain_ratio_from_db', 1),
    ('transistor_beta', 2), ('transistor_alpha', 2), ('transformer_turns_ratio', 2),
    ('rectifier_peak_voltage', 1), ('filter_ripple_factor', 2), ('characteristic_impedance_coax', 3),
    ('wavelength', 2), ('velocity_factor_to_velocity', 1), ('dipole_length', 1),
    ('antenna_gain_db', 2), ('rc_lowpass_cutoff', 2), ('rc_highpass_cutoff', 2),
    ('rl_lowpass_cutoff', 2), ('rl_highpass_cutoff', 2), ('power_ratio_to_db', 1),
    ('voltage_ratio_to_db', 1), ('db_to_power_ratio', 1), ('db_to_voltage_ratio', 1),
    ('thermal_resistance', 2), ('junction_temperature', 3),
]


def value(rng):
    kind = rng.randrange(4)
    if kind == 0:
        return str(rng.randrange(1, 10000))
    if kind == 1:
        return '%d.%d' % (rng.randrange(0, 1000), rng.randrange(1, 100))
    if kind == 2:
        return '0.%06d' % rng.randrange(1, 1000000)
    return '%d.%de-%d' % (rng.randrange(1, 10), rng.randrange(0, 10), rng.randrange(1, 10))


def main(argv):
    if len(argv) not in (2, 3):
        sys.stderr.write(__doc__)
        return 2
    count = int(argv[2]) if len(argv) == 3 else 10000
    rng = random.Random(1070)
    with open(argv[1], 'w', encoding='ascii', newline='\n') as out:
        for i in range(count):
            keyword, needed = FORMULAS[i % len(FORMULAS)]
            out.write(' '.join([keyword] + [value(rng) for _ in range(needed)]) + '\n')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
