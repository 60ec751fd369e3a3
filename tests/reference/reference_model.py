#!/usr/bin/env python3
"""An independent model of the calculator, written from the formula tables.

It shares no code with the library: numbers are parsed by Python's float(),
arithmetic is Python's IEEE double arithmetic in the tables' operation order,
and lines are printed with Python's '%.6f'. It serves two purposes:

  reference_model.py expect < commands      print the expected line of each command
  reference_model.py random SEED COUNT OUT  write COUNT random commands and their
                                            expected lines as a vector file
  reference_model.py engineering IN OUT     write the engineering line of each command
                                            of IN (results only) as a vector file
  reference_model.py range IN OUT           write the smallest and largest result found by
                                            dense sampling over each command's tolerance box
  reference_model.py solve SEED COUNT OUT   for every argument of every formula, COUNT sets
                                            of values: the command with that argument as ?,
                                            its target, every solution and how close a
                                            solver's double must come to each
  reference_model.py solve-lines SEED COUNT OUT  COUNT questions for every argument whose row
                                            reaches its target once (or at a value and its
                                            negative), with the line every platform's solver
                                            must write: of the doubles around the drawn value
                                            that give the target, the shortest text, then
                                            the one nearer zero
  reference_model.py solve-wide SEED COUNT OUT  as solve, the unknown drawn across the whole
                                            range of doubles (1e-300 to 1e300, both signs
                                            where the domain has them), the other values
                                            ordinary; closeness inf where the row is flat
  reference_model.py design SEED COUNT OUT  COUNT designs from standard parts, each with every
                                            candidate tried: those whose worst case lies inside
                                            the window, ranked, those alike but for their
                                            decades as one, or the best when none does
  reference_model.py divider IN OUT         for each voltage divider with tolerances and a
                                            window of IN, the mean, standard deviation and
                                            yield of its output, by numerical integration

Engineering lines are computed with Python's decimal arithmetic on the exact
value of each double.
"""
import decimal
import math
import random
import re
import sys

TWO_PI = 6.28318530718
C = 299792458.0
RESULT_CAPACITY = 79
NUMBER = re.compile(r'[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\Z')
INF = float('inf')
NAN = float('nan')


def div(a, b):
    if b == 0.0:
        if a == 0.0 or math.isnan(a):
            return NAN
        return math.copysign(INF, a) * math.copysign(1.0, b)
    return a / b


def sqrt(x):
    return NAN if x < 0 else math.sqrt(x)


def log10(x):
    if math.isnan(x) or x < 0:
        return NAN
    if x == 0:
        return -INF
    return math.log10(x)


def pow10(y):
    try:
        return math.pow(10.0, y)
    except OverflowError:
        return INF


def xc(f, c):
    if f == 0.0 or c == 0.0:
        return 0.0
    return div(1.0, (f * c) * TWO_PI)


def xl(f, l):
    return (f * l) * TWO_PI


def guarded(condition, value):
    return 0.0 if condition else value()


def impedance(x, r):
    return sqrt((x * x) + (r * r))


# keyword, count, function, format -- transcribed from the tables
ROWS = [
    ('ohms_voltage', 2, lambda i, r: i * r, 'Voltage = %.6f V'),
    ('ohms_current', 2, lambda v, r: guarded(r == 0, lambda: div(v, r)), 'Current = %.6f A'),
    ('ohms_resistance', 2, lambda v, i: guarded(i == 0, lambda: div(v, i)), 'Resistance = %.6f ?'),
    ('power_vi', 2, lambda v, i: v * i, 'Power = %.6f W'),
    ('power_v2r', 2, lambda v, r: guarded(r == 0, lambda: div(v * v, r)), 'Power = %.6f W'),
    ('power_i2r', 2, lambda i, r: (i * i) * r, 'Power = %.6f W'),
    ('capacitor_energy', 2, lambda c, v: ((c * v) * v) * 0.5, 'Energy = %.6f J'),
    ('capacitor_charge', 2, lambda c, v: c * v, 'Charge = %.6f C'),
    ('capacitor_reactance', 2, xc, 'Capacitive Reactance = %.6f ?'),
    ('capacitor_time_constant_rc', 2, lambda r, c: r * c, 'RC Time Constant = %.6f s'),
    ('capacitors_series', 2, lambda a, b: guarded(a == 0 or b == 0, lambda: div(a * b, a + b)),
     'Series Capacitance = %.6f F'),
    ('capacitors_parallel', 2, lambda a, b: a + b, 'Parallel Capacitance = %.6f F'),
    ('inductor_energy', 2, lambda l, i: ((l * i) * i) * 0.5, 'Energy = %.6f J'),
    ('inductor_reactance', 2, xl, 'Inductive Reactance = %.6f ?'),
    ('inductor_time_constant_lr', 2, lambda l, r: guarded(r == 0, lambda: div(l, r)),
     'LR Time Constant = %.6f s'),
    ('inductors_series', 2, lambda a, b: a + b, 'Series Inductance = %.6f H'),
    ('inductors_parallel', 2, lambda a, b: guarded(a == 0 or b == 0, lambda: div(a * b, a + b)),
     'Parallel Inductance = %.6f H'),
    ('resistors_series', 2, lambda a, b: a + b, 'Series Resistance = %.6f ?'),
    ('resistors_parallel', 2, lambda a, b: guarded(a == 0 or b == 0, lambda: div(a * b, a + b)),
     'Parallel Resistance = %.6f ?'),
    ('voltage_divider', 3, lambda v, a, b: guarded(a + b == 0, lambda: div(v * b, a + b)),
     'Output Voltage = %.6f V'),
    ('current_divider', 3, lambda i, a, b: guarded(a + b == 0, lambda: div(i * b, a + b)),
     'Current through R1 = %.6f A'),
    ('frequency_to_period', 1, lambda f: guarded(f == 0, lambda: div(1.0, f)), 'Period = %.6f s'),
    ('period_to_frequency', 1, lambda t: guarded(t == 0, lambda: div(1.0, t)), 'Frequency = %.6f Hz'),
    ('impedance_rc', 3, lambda r, f, c: impedance(xc(f, c), r), 'RC Impedance = %.6f ?'),
    ('impedance_rl', 3, lambda r, f, l: impedance(xl(f, l), r), 'RL Impedance = %.6f ?'),
    ('impedance_rlc_series', 4, lambda r, f, l, c: impedance(xl(f, l) - xc(f, c), r),
     'RLC Series Impedance = %.6f ?'),
    ('resonant_frequency_lc', 2,
     lambda l, c: guarded(l == 0 or c == 0, lambda: div(1.0, sqrt(l * c) * TWO_PI)),
     'Resonant Frequency = %.6f Hz'),
    ('q_factor_rlc', 3,
     lambda r, l, c: guarded(r == 0 or c == 0, lambda: sqrt(div(l, c)) * div(1.0, r)),
     'Q Factor = %.6f'),
    ('gain_db', 1, lambda g: guarded(g <= 0, lambda: log10(g) * 20.0), 'Gain = %.6f dB'),
    ('gain_ratio_from_db', 1, lambda d: pow10(d * 0.05), 'Gain Ratio = %.6f'),
    ('transistor_beta', 2, lambda a, b: guarded(b == 0, lambda: div(a, b)), 'Beta (hFE) = %.6f'),
    ('transistor_alpha', 2, lambda a, b: guarded(b == 0, lambda: div(a, b)), 'Alpha = %.6f'),
    ('transformer_turns_ratio', 2, lambda a, b: guarded(b == 0, lambda: div(a, b)),
     'Turns Ratio = %.6f'),
    ('rectifier_peak_voltage', 1, lambda v: math.sqrt(2.0) * v, 'Peak Voltage = %.6f V'),
    ('filter_ripple_factor', 2, lambda a, b: guarded(b == 0, lambda: div(a, b)), 'Ripple Factor = %.6f'),
    ('characteristic_impedance_coax', 3,
     lambda e, d_out, d_in: guarded(d_in == 0 or e == 0,
                                    lambda: log10(div(d_out, d_in)) * div(138.0, sqrt(e))),
     'Characteristic Impedance = %.6f ?'),
    ('wavelength', 2, lambda f, vf: guarded(f == 0, lambda: div(vf * C, f)), 'Wavelength = %.6f m'),
    ('velocity_factor_to_velocity', 1, lambda vf: vf * C, 'Velocity = %.6f m/s'),
    ('dipole_length', 1, lambda f: guarded(f == 0, lambda: div(C, f * 2.0)), 'Dipole Length = %.6f m'),
    ('antenna_gain_db', 2, lambda a, b: guarded(b == 0, lambda: log10(div(a, b)) * 10.0),
     'Antenna Gain = %.6f dB'),
    ('rc_lowpass_cutoff', 2, lambda r, c: guarded(r == 0 or c == 0, lambda: div(1.0, (r * c) * TWO_PI)),
     'Cutoff Frequency = %.6f Hz'),
    ('rc_highpass_cutoff', 2, lambda r, c: guarded(r == 0 or c == 0, lambda: div(1.0, (r * c) * TWO_PI)),
     'Cutoff Frequency = %.6f Hz'),
    ('rl_lowpass_cutoff', 2, lambda r, l: guarded(l == 0, lambda: div(r, l * TWO_PI)),
     'Cutoff Frequency = %.6f Hz'),
    ('rl_highpass_cutoff', 2, lambda r, l: guarded(l == 0, lambda: div(r, l * TWO_PI)),
     'Cutoff Frequency = %.6f Hz'),
    ('power_ratio_to_db', 1, lambda p: guarded(p <= 0, lambda: log10(p) * 10.0),
     'Power Ratio in dB = %.6f dB'),
    ('voltage_ratio_to_db', 1, lambda v: guarded(v <= 0, lambda: log10(v) * 20.0),
     'Voltage Ratio in dB = %.6f dB'),
    ('db_to_power_ratio', 1, lambda d: pow10(d * 0.1), 'Power Ratio = %.6f'),
    ('db_to_voltage_ratio', 1, lambda d: pow10(d * 0.05), 'Voltage Ratio = %.6f'),
    ('thermal_resistance', 2, lambda t, p: guarded(p == 0, lambda: div(t, p)),
     'Thermal Resistance = %.6f \u00b0C/W'),
    ('junction_temperature', 3, lambda a, th, p: (th * p) + a, 'Junction Temperature = %.6f \u00b0C'),
]
KEYWORDS = {row[0]: row for row in ROWS}


def clip(text, room):
    return text if len(text) <= room else text[:room - 3] + '...'


def render(fmt, value):
    label, unit = fmt.split('%.6f')
    if math.isnan(value):
        number = 'nan'
    else:
        number = '%.6f' % value
        if len(label) + len(number) + len(unit) > RESULT_CAPACITY:
            number = '%.6e' % value
    return label + number + unit


# Rows whose result goes through pow or log10, which other C libraries may
# round differently in the last bit.
LIBM_ROWS = {'gain_db', 'gain_ratio_from_db', 'characteristic_impedance_coax', 'antenna_gain_db',
             'power_ratio_to_db', 'voltage_ratio_to_db', 'db_to_power_ratio', 'db_to_voltage_ratio'}


def platform_dependent(command, line):
    """True when the line's digits beyond the fifteenth significant one come
    from pow or log10."""
    tokens = [t for t in command.split(' ') if t]
    if not tokens or tokens[0].lower() not in LIBM_ROWS or line.startswith('Error') or ' = ' not in line:
        return False
    number = line.split(' = ', 1)[1].split(' ')[0]
    mantissa = number.split('e')[0].lstrip('-').replace('.', '').lstrip('0')
    return len(mantissa) > 15


def expect(command):
    """The expected line of one command (a str of Windows-1252 characters)."""
    if len(command.encode('cp1252', errors='replace')) > 255:
        return 'Error: Command longer than 255 characters'
    tokens = [t for t in command.split(' ') if t]
    if not tokens:
        return ''
    name = tokens[0]
    values = []
    for token in tokens[1:5]:
        if not NUMBER.match(token) or math.isinf(float(token)):
            return "Error: Invalid number '" + clip(token, 55) + "'"
        values.append(float(token))
    lowered = ''.join(chr(ord(ch) + 32) if 'A' <= ch <= 'Z' else ch for ch in name)
    row = KEYWORDS.get(lowered)
    if row is None or len(values) < row[1]:
        return "Error: Unknown formula '" + clip(lowered, 27) + "' or insufficient parameters"
    return render(row[3], row[2](*values[:row[1]]))


PREFIXES = {-12: 'p', -9: 'n', -6: '\u00b5', -3: 'm', 0: '', 3: 'k', 6: 'M', 9: 'G', 12: 'T'}
PREFIXABLE = {'W', 'V', 'A', '\u03a9', 'F', 'C', 'J', 's', 'H', 'Hz', 'm', 'm/s'}


def engineering_value(value, unit):
    """The value and unit as an engineer reads them: six significant digits
    and an SI prefix for the units that take one, '%.6g' otherwise."""
    suffix = ' ' + unit if unit else ''
    if math.isnan(value):
        return 'nan' + suffix
    if math.isinf(value):
        return ('-inf' if value < 0 else 'inf') + suffix
    if value == 0:
        return '0' + suffix
    six = decimal.Context(prec=6, rounding=decimal.ROUND_HALF_EVEN).plus(decimal.Decimal(value))
    power = six.adjusted() // 3 * 3
    if unit not in PREFIXABLE or power not in PREFIXES:
        return '%.6g' % value + suffix
    mantissa = six.scaleb(-power)
    text = format(mantissa, 'f')
    if '.' in text:
        text = text.rstrip('0').rstrip('.')
    return text + ' ' + PREFIXES[power] + unit


def engineering(command):
    """The engineering line of a command whose line is a result, else None."""
    line = expect(command)
    tokens = [t for t in command.split(' ') if t]
    if line.startswith('Error') or not tokens:
        return None
    row = KEYWORDS[tokens[0].lower()]
    label, unit = row[3].split('%.6f')
    unit = unit.strip().replace('?', '\u03a9')
    value = row[2](*[float(t) for t in tokens[1:1 + row[1]]])
    return label + engineering_value(value, unit)


def tolerance_box(token):
    """'10000±1%' -> (9900.0, 10100.0); a plain value is a box of one point."""
    value, _, percent = token.partition('±')
    value = float(value)
    tolerance = float(percent.rstrip('%')) / 100 if percent else 0.0
    ends = (value * (1.0 - tolerance), value * (1.0 + tolerance))
    return min(ends), max(ends)


def sample(function, box, points):
    """(min, argmin, max, argmax) over an even grid of `points` per axis."""
    axes = [[lo + (hi - lo) * k / (points - 1) for k in range(points)] if hi > lo else [lo]
            for lo, hi in box]
    low = (INF, None)
    high = (-INF, None)
    index = [0] * len(axes)
    while True:
        point = [axis[k] for axis, k in zip(axes, index)]
        value = function(*point)
        if value < low[0]:
            low = (value, point)
        if value > high[0]:
            high = (value, point)
        at = 0
        while at < len(axes) and index[at] == len(axes[at]) - 1:
            index[at] = 0
            at += 1
        if at == len(axes):
            return low[0], low[1], high[0], high[1]
        index[at] += 1


def zoom(function, box, point, sign):
    """Refines an extreme (sign -1: min, +1: max) by sampling ever smaller
    boxes around the best point so far, each half as wide."""
    best = sign * function(*point)
    for _ in range(48):
        box = [(max(lo, x - (hi - lo) / 4), min(hi, x + (hi - lo) / 4)) for (lo, hi), x in zip(box, point)]
        low, low_at, high, high_at = sample(function, box, 5)
        candidate, at = (high, high_at) if sign > 0 else (-low, low_at)
        if candidate > best:
            best, point = candidate, at
    return sign * best


def sampled_range(command):
    """The extremes of a command's result over its tolerance box: a dense
    grid, then each extreme refined around the best grid point."""
    tokens = command.split()
    row = KEYWORDS[tokens[0]]
    box = [tolerance_box(token) for token in tokens[1:1 + row[1]]]
    points = max(2, min(201, int(round(20000 ** (1.0 / len(box))))))
    low, low_at, high, high_at = sample(row[2], box, points)
    return zoom(row[2], box, low_at, -1), zoom(row[2], box, high_at, 1)


# Values for solving: for each argument, typical values and the range random
# ones are drawn from (log-uniform; signed quantities take either sign).
TYPICAL = {
    'current': (0.02, 1e-6, 100.0), 'voltage': (12.0, 1e-3, 1e4), 'resistance': (4700.0, 1.0, 1e7),
    'capacitance': (1e-7, 1e-12, 1e-2), 'inductance': (1e-3, 1e-9, 10.0),
    'frequency': (1000.0, 1.0, 1e10), 'period': (1e-3, 1e-9, 1.0), 'c1': (1e-6, 1e-12, 1e-2),
    'c2': (2.2e-7, 1e-12, 1e-2), 'l1': (1e-3, 1e-9, 10.0), 'l2': (4.7e-4, 1e-9, 10.0),
    'r1': (1e4, 1.0, 1e7), 'r2': (4700.0, 1.0, 1e7), 'vin': (12.0, 1e-3, 1e4),
    'itotal': (0.5, 1e-6, 100.0), 'gain_ratio': (10.0, 1e-3, 1e6), 'gain_db': (20.0, 0.1, 120.0),
    'collector_current': (0.01, 1e-6, 10.0), 'base_current': (1e-4, 1e-9, 1.0),
    'emitter_current': (0.0101, 1e-6, 10.0), 'primary_voltage': (230.0, 1.0, 1e5),
    'secondary_voltage': (12.0, 0.1, 1e4), 'rms_voltage': (230.0, 1e-3, 1e5),
    'ripple_voltage': (0.5, 1e-6, 100.0), 'dc_voltage': (12.0, 1e-3, 1e4),
    'dielectric_constant': (2.3, 1.0, 100.0), 'outer_diameter': (5e-3, 1e-4, 1.0),
    'inner_diameter': (1e-3, 1e-5, 0.1), 'velocity_factor': (0.66, 0.05, 1.0),
    'power_density_max': (10.0, 1e-6, 1e6), 'power_density_isotropic': (1.0, 1e-6, 1e6),
    'power_ratio': (100.0, 1e-6, 1e9), 'voltage_ratio': (2.0, 1e-6, 1e6), 'db': (3.0, 0.1, 120.0),
    'temperature_rise': (50.0, 0.1, 500.0), 'power': (10.0, 1e-3, 1e4),
    'ambient_temp': (25.0, 0.1, 100.0), 'thermal_resistance': (2.0, 0.01, 100.0),
}
# Each row's argument names and which of them are signed quantities,
# transcribed from the table.
ARGUMENTS = {
    'ohms_voltage': 'current resistance', 'ohms_current': 'voltage resistance',
    'ohms_resistance': 'voltage current', 'power_vi': 'voltage current',
    'power_v2r': 'voltage resistance', 'power_i2r': 'current resistance',
    'capacitor_energy': 'capacitance voltage', 'capacitor_charge': 'capacitance voltage',
    'capacitor_reactance': 'frequency capacitance', 'capacitor_time_constant_rc': 'resistance capacitance',
    'capacitors_series': 'c1 c2', 'capacitors_parallel': 'c1 c2', 'inductor_energy': 'inductance current',
    'inductor_reactance': 'frequency inductance', 'inductor_time_constant_lr': 'inductance resistance',
    'inductors_series': 'l1 l2', 'inductors_parallel': 'l1 l2', 'resistors_series': 'r1 r2',
    'resistors_parallel': 'r1 r2', 'voltage_divider': 'vin r1 r2', 'current_divider': 'itotal r1 r2',
    'frequency_to_period': 'frequency', 'period_to_frequency': 'period',
    'impedance_rc': 'resistance frequency capacitance', 'impedance_rl': 'resistance frequency inductance',
    'impedance_rlc_series': 'resistance frequency inductance capacitance',
    'resonant_frequency_lc': 'inductance capacitance', 'q_factor_rlc': 'resistance inductance capacitance',
    'gain_db': 'gain_ratio', 'gain_ratio_from_db': 'gain_db',
    'transistor_beta': 'collector_current base_current', 'transistor_alpha': 'collector_current emitter_current',
    'transformer_turns_ratio': 'primary_voltage secondary_voltage', 'rectifier_peak_voltage': 'rms_voltage',
    'filter_ripple_factor': 'ripple_voltage dc_voltage',
    'characteristic_impedance_coax': 'dielectric_constant outer_diameter inner_diameter',
    'wavelength': 'frequency velocity_factor', 'velocity_factor_to_velocity': 'velocity_factor',
    'dipole_length': 'frequency', 'antenna_gain_db': 'power_density_max power_density_isotropic',
    'rc_lowpass_cutoff': 'resistance capacitance', 'rc_highpass_cutoff': 'resistance capacitance',
    'rl_lowpass_cutoff': 'resistance inductance', 'rl_highpass_cutoff': 'resistance inductance',
    'power_ratio_to_db': 'power_ratio', 'voltage_ratio_to_db': 'voltage_ratio', 'db_to_power_ratio': 'db',
    'db_to_voltage_ratio': 'db', 'thermal_resistance': 'temperature_rise power',
    'junction_temperature': 'ambient_temp thermal_resistance power',
}
SIGNED = {'current', 'voltage', 'vin', 'itotal', 'gain_ratio', 'gain_db', 'collector_current',
          'base_current', 'emitter_current', 'primary_voltage', 'secondary_voltage', 'rms_voltage',
          'ripple_voltage', 'dc_voltage', 'power_density_max', 'power_density_isotropic',
          'power_ratio', 'voltage_ratio', 'db', 'temperature_rise', 'power', 'ambient_temp'}
# Where a value and its negative give the same result: both are solutions.
EVEN = {('power_v2r', 0), ('power_i2r', 0), ('capacitor_energy', 1), ('inductor_energy', 1)}


def other_rlc_root(values, at):
    """The series RLC's second solution in frequency, inductance or
    capacitance: the one whose reactance has the other sign, when it lies
    in the domain; worked in 50-digit decimal arithmetic."""
    context = decimal.Context(prec=50)
    r, f, l, c = (decimal.Decimal(v) for v in values)
    two_pi = decimal.Decimal(TWO_PI)
    omega = context.multiply(two_pi, f)
    x = context.subtract(context.multiply(omega, l), context.divide(1, context.multiply(omega, c)))
    if at == 1:  # L w^2 + X w - 1/C = 0, the positive root
        root = context.divide(context.add(-x, context.sqrt(context.add(x * x, context.divide(4 * l, c)))),
                              2 * l)
        return float(context.divide(root, two_pi))
    if at == 2:  # w L = 1/(w C) - X
        inductance = context.divide(context.subtract(context.divide(1, context.multiply(omega, c)), x), omega)
        return float(inductance) if inductance > 0 else None
    if at == 3:  # 1/(w C) = w L + X
        reactance = context.add(context.multiply(omega, l), x)
        return float(context.divide(1, context.multiply(omega, reactance))) if reactance > 0 else None
    return None


def closeness(function, values, at, target):
    """How far from `values[at]` a double may lie and still give `target`
    within the rounding of the row's few operations: sixteen units in the
    last place of the target over the slope, plus four of the value."""
    x = values[at]
    h = abs(x) * 1e-7
    probe = lambda v: function(*(values[:at] + [v] + values[at + 1:]))
    slope = abs(probe(x + h) - probe(x - h)) / (2 * h)
    spread = 16 * math.ulp(target) / slope if slope > 0 else INF
    return spread + 4 * math.ulp(x)


def solve_vectors(seed, count):
    """Lines 'command <TAB> solution:closeness ...' for every argument of
    every row: the typical values first, then `count` - 1 random sets."""
    rng = random.Random(seed)
    lines = []
    for keyword, names in ARGUMENTS.items():
        names = names.split()
        row = KEYWORDS[keyword]
        for trial in range(count):
            values = []
            for name in names:
                typical, low, high = TYPICAL[name]
                if trial == 0:
                    values.append(typical)
                    continue
                value = float('%.4g' % math.exp(rng.uniform(math.log(low), math.log(high))))
                values.append(-value if name in SIGNED and rng.randrange(4) == 0 else value)
            target = row[2](*values)
            if not math.isfinite(target) or target == 0.0:
                continue
            for at, name in enumerate(names):
                solutions = [values[at]]
                if (keyword, at) in EVEN:
                    solutions.append(-values[at])
                if keyword == 'impedance_rlc_series' and at > 0:
                    other = other_rlc_root(values, at)
                    if other is not None:
                        solutions.append(other)
                words = ['?' if i == at else repr(v) for i, v in enumerate(values)]
                expected = ['%r:%r' % (x, closeness(row[2], values[:at] + [x] + values[at + 1:], at, target))
                            for x in sorted(solutions)]
                lines.append('%s %s = %r\t%s' % (keyword, ' '.join(words), target, ' '.join(expected)))
    return lines


def wide_solve_vectors(seed, count):
    """Lines like solve_vectors', for COUNT values of each argument drawn
    log-uniformly from 1e-300 to 1e300 (either sign for a signed quantity),
    the other values typical or ordinary random ones. The target is what the
    row gives at the drawn value, so a solver must find that value (or say
    that a stretch holding it gives the target)."""
    rng = random.Random(seed)
    lines = []
    for keyword, names in ARGUMENTS.items():
        names = names.split()
        row = KEYWORDS[keyword]
        for at, name in enumerate(names):
            for _ in range(count):
                values = []
                for other in names:
                    typical, low, high = TYPICAL[other]
                    value = typical if rng.randrange(2) else float(
                        '%.4g' % math.exp(rng.uniform(math.log(low), math.log(high))))
                    values.append(-value if other in SIGNED and rng.randrange(4) == 0 else value)
                x = float('%.6g' % (10.0 ** rng.uniform(-300.0, 300.0)))
                values[at] = -x if name in SIGNED and rng.randrange(2) else x
                target = row[2](*values)
                if not math.isfinite(target):
                    continue
                solutions = [values[at]]
                if (keyword, at) in EVEN:
                    solutions.append(-values[at])
                try:
                    near = closeness(row[2], values, at, target)
                    # Flat where a step of 1e-7 either way moves the result by
                    # no more than its rounding: the other values decide it.
                    h = abs(values[at]) * 1e-7
                    probe = lambda v: row[2](*(values[:at] + [v] + values[at + 1:]))
                    if abs(probe(values[at] + h) - probe(values[at] - h)) <= 4 * math.ulp(target):
                        near = INF
                except (OverflowError, ZeroDivisionError, ValueError):
                    near = INF
                if not math.isfinite(near) or near > abs(values[at]):
                    near = INF
                words = ['?' if i == at else repr(v) for i, v in enumerate(values)]
                expected = ['%r:%r' % (x, near) for x in sorted(solutions)]
                lines.append('%s %s = %r\t%s' % (keyword, ' '.join(words), target, ' '.join(expected)))
    return lines


# Each argument's unit, from the tables, as a reply writes it.
ARGUMENT_UNITS = {
    'current': 'A', 'voltage': 'V', 'resistance': '\u03a9', 'capacitance': 'F', 'inductance': 'H',
    'frequency': 'Hz', 'period': 's', 'c1': 'F', 'c2': 'F', 'l1': 'H', 'l2': 'H', 'r1': '\u03a9',
    'r2': '\u03a9', 'vin': 'V', 'itotal': 'A', 'gain_ratio': '', 'gain_db': 'dB',
    'collector_current': 'A', 'base_current': 'A', 'emitter_current': 'A', 'primary_voltage': 'V',
    'secondary_voltage': 'V', 'rms_voltage': 'V', 'ripple_voltage': 'V', 'dc_voltage': 'V',
    'dielectric_constant': '', 'outer_diameter': 'm', 'inner_diameter': 'm', 'velocity_factor': '',
    'power_density_max': 'W/m\u00b2', 'power_density_isotropic': 'W/m\u00b2', 'power_ratio': '',
    'voltage_ratio': '', 'db': 'dB', 'temperature_rise': '\u00b0C', 'power': 'W',
    'ambient_temp': '\u00b0C', 'thermal_resistance': '\u00b0C/W',
}
# Questions whose answers once differed between platforms, asked as they were.
FIXED_SOLVES = [('power_ratio_to_db', [0.3543]), ('db_to_power_ratio', [50.91514664086262])]


def shortest_text(x):
    """The shortest text that reads back as x, as C++'s std::to_chars
    writes it: the fewest significant digits (Python's repr finds them), in
    plain or scientific form, whichever is shorter (plain on a tie)."""
    if x == 0:
        return '-0' if math.copysign(1.0, x) < 0 else '0'
    mantissa, _, exponent = ('%r' % abs(x)).partition('e')
    digits = mantissa.replace('.', '').lstrip('0')
    power = int(exponent or 0)
    if '.' in mantissa:
        whole, fraction = mantissa.split('.')
        power += len(whole.lstrip('0')) - 1 if whole.strip('0') else -(len(fraction) - len(fraction.lstrip('0')) + 1)
    digits = digits.rstrip('0') or '0'
    scientific = digits[0] + ('.' + digits[1:] if len(digits) > 1 else '') + 'e%s%02d' % (
        '-' if power < 0 else '+', abs(power))
    if power >= len(digits) - 1:
        plain = '%d' % int(abs(x)) if power < 30 else digits + '0' * (power - len(digits) + 1)
    elif power >= 0:
        plain = digits[:power + 1] + '.' + digits[power + 1:]
    else:
        plain = '0.' + '0' * (-power - 1) + digits
    sign = '-' if x < 0 else ''
    return sign + (plain if len(plain) <= len(scientific) else scientific)


def plateau_choice(function, values, at, target, limit=4096):
    """Of the doubles next to values[at] that all give `target`, the one
    with the shortest text, then the one nearer zero; None when the run is
    longer than `limit` either way (the row is flat there)."""
    members = [values[at]]
    for direction in (-INF, INF):
        x = values[at]
        for _ in range(limit + 1):
            x = math.nextafter(x, direction)
            if function(*(values[:at] + [x] + values[at + 1:])) != target:
                break
            members.append(x)
        else:
            return None
    return min(members, key=lambda m: (len(shortest_text(m).split('e')[0].replace('-', '').replace('.', '').strip('0')), abs(m)))


def solve_lines(seed, count):
    """'question <TAB> line': every argument of every row but the series
    RLC's frequency, inductance and capacitance (two roots, worked apart),
    COUNT times, values of four significant digits."""
    rng = random.Random(seed)
    lines = []
    draws = []
    for keyword, names in ARGUMENTS.items():
        names = names.split()
        for at in range(len(names)):
            if keyword == 'impedance_rlc_series' and at > 0:
                continue
            for _ in range(count):
                values = []
                for name in names:
                    typical, low, high = TYPICAL[name]
                    value = float('%.4g' % math.exp(rng.uniform(math.log(low), math.log(high))))
                    values.append(-value if name in SIGNED and rng.randrange(4) == 0 else value)
                draws.append((keyword, at, values))
    for keyword, fixed in FIXED_SOLVES:
        draws.append((keyword, 0, fixed))
    for keyword, at, values in draws:
        names = ARGUMENTS[keyword].split()
        function = KEYWORDS[keyword][2]
        target = function(*values)
        if not math.isfinite(target) or target == 0.0:
            continue
        chosen = plateau_choice(function, values, at, target)
        if chosen is None:
            continue
        solutions = [chosen]
        if (keyword, at) in EVEN:
            solutions = [-abs(chosen), abs(chosen)]
        unit = ARGUMENT_UNITS[names[at]]
        texts = [shortest_text(x) + (' ' + unit if unit else '') for x in solutions]
        words = ['?' if i == at else repr(v) for i, v in enumerate(values)]
        lines.append('%s %s = %r\t%s = %s' % (keyword, ' '.join(words), target, names[at],
                                              ' or '.join(texts)))
    return lines


# ---- Designs: every candidate tried, worst case by exhaustive corners ----

# IEC 60063, transcribed from the standard's tables (E48 and E96 are every
# fourth and second value of E192).
E_SERIES = {
    'E3': (2, [10, 22, 47]),
    'E6': (2, [10, 15, 22, 33, 47, 68]),
    'E12': (2, [10, 12, 15, 18, 22, 27, 33, 39, 47, 56, 68, 82]),
    'E24': (2, [10, 11, 12, 13, 15, 16, 18, 20, 22, 24, 27, 30, 33, 36, 39, 43, 47, 51, 56, 62,
                68, 75, 82, 91]),
}
E192 = [100, 101, 102, 104, 105, 106, 107, 109, 110, 111, 113, 114, 115, 117, 118, 120, 121, 123,
        124, 126, 127, 129, 130, 132, 133, 135, 137, 138, 140, 142, 143, 145, 147, 149, 150, 152,
        154, 156, 158, 160, 162, 164, 165, 167, 169, 172, 174, 176, 178, 180, 182, 184, 187, 189,
        191, 193, 196, 198, 200, 203, 205, 208, 210, 213, 215, 218, 221, 223, 226, 229, 232, 234,
        237, 240, 243, 246, 249, 252, 255, 258, 261, 264, 267, 271, 274, 277, 280, 284, 287, 291,
        294, 298, 301, 305, 309, 312, 316, 320, 324, 328, 332, 336, 340, 344, 348, 352, 357, 361,
        365, 370, 374, 379, 383, 388, 392, 397, 402, 407, 412, 417, 422, 427, 432, 437, 442, 448,
        453, 459, 464, 470, 475, 481, 487, 493, 499, 505, 511, 517, 523, 530, 536, 542, 549, 556,
        562, 569, 576, 583, 590, 597, 604, 612, 619, 626, 634, 642, 649, 657, 665, 673, 681, 690,
        698, 706, 715, 723, 732, 741, 750, 759, 768, 777, 787, 796, 806, 816, 825, 835, 845, 856,
        866, 876, 887, 898, 909, 920, 931, 942, 953, 965, 976, 988]
E_SERIES['E48'] = (3, E192[::4])
E_SERIES['E96'] = (3, E192[::2])
E_SERIES['E192'] = (3, E192)
SERIES_TOLERANCE = {'E3': 0.4, 'E6': 0.2, 'E12': 0.1, 'E24': 0.05, 'E48': 0.02, 'E96': 0.01,
                    'E192': 0.005}


def series_values(name, low, high):
    """Every value of the series from low to high, both included, as the
    double nearest the decimal the standard gives."""
    digits, mantissas = E_SERIES[name]
    values = []
    for decade in range(-14, 10):
        for m in mantissas:
            v = float('%de%d' % (m, decade - digits + 1))
            if low <= v <= high:
                values.append(v)
    return sorted(set(values))


# Which value is which kind of part, by row (the others are not parts).
PART_KINDS = {
    'voltage_divider': {1: 'R', 2: 'R'}, 'current_divider': {1: 'R', 2: 'R'},
    'resistors_series': {0: 'R', 1: 'R'}, 'resistors_parallel': {0: 'R', 1: 'R'},
    'capacitors_series': {0: 'C', 1: 'C'}, 'capacitors_parallel': {0: 'C', 1: 'C'},
    'inductors_series': {0: 'L', 1: 'L'}, 'inductors_parallel': {0: 'L', 1: 'L'},
    'rc_lowpass_cutoff': {0: 'R', 1: 'C'}, 'impedance_rlc_series': {0: 'R', 2: 'L', 3: 'C'},
}


def corners_range(function, values, tolerances):
    """Min and max of the result over every corner of the box; the rows here
    are monotone in each value with the others fixed."""
    axes = []
    for v, t in zip(values, tolerances):
        ends = (v * (1.0 - t), v * (1.0 + t))
        axes.append(sorted(set(ends)) if t else [v])
    results = []

    def walk(at, point):
        if at == len(axes):
            results.append(function(*point))
            return
        for x in axes[at]:
            walk(at + 1, point + [x])
    walk(0, [])
    return min(results), max(results)


def rlc_range(values, tolerances):
    """The series RLC: the corners, and its resistance's smallest value where
    the reactance changes sign inside the box (its interior minimum)."""
    low, high = corners_range(KEYWORDS['impedance_rlc_series'][2], values, tolerances)
    boxes = [sorted((v * (1.0 - t), v * (1.0 + t))) for v, t in zip(values, tolerances)]
    x = lambda f, l, c: xl(f, l) - xc(f, c)
    if x(boxes[1][0], boxes[2][0], boxes[3][0]) < 0 < x(boxes[1][1], boxes[2][1], boxes[3][1]):
        low = min(low, boxes[0][0])
    return low, high


def design_ranked(keyword, values, tolerances, unknowns, parts, low, high, centre):
    """Every candidate: (key, values, nominal, min, max, margin, alike) sorted
    best first by the documented ranking; `alike` is what candidates alike but
    for their decades share."""
    row = KEYWORDS[keyword]
    width = high - low
    lists = [series_values(parts[PART_KINDS[keyword][u]][0], *parts[PART_KINDS[keyword][u]][2:])
             for u in unknowns]
    out = []
    choices = [[(i, v)] for i, v in enumerate(lists[0])]
    if len(unknowns) == 2:
        choices = [[(i, a), (j, b)] for i, a in enumerate(lists[0]) for j, b in enumerate(lists[1])]
    for choice in choices:
        point = list(values)
        spread = list(tolerances)
        for u, (_, v) in zip(unknowns, choice):
            point[u] = v
            spread[u] = parts[PART_KINDS[keyword][u]][1]
        nominal = row[2](*point)
        if keyword == 'impedance_rlc_series':
            mn, mx = rlc_range(point, spread)
        else:
            mn, mx = corners_range(row[2], point, spread)
        if not all(math.isfinite(z) for z in (nominal, mn, mx)):
            continue
        margin = min(mn - low, high - mx) / width
        chosen = [v for _, v in choice]
        distinct = len(set(chosen)) if len(unknowns) == 2 and PART_KINDS[keyword][unknowns[0]] == \
            PART_KINDS[keyword][unknowns[1]] else 1 if len(unknowns) == 1 else 2
        steps = sum(i for i, _ in choice)
        key = (-math.floor(math.ldexp(margin, 30)), math.floor(math.ldexp(abs(nominal - centre) / width, 30)),
               distinct, steps, choice[0][0])
        alike = (key[:2], math.floor(math.ldexp((mn - low) / width, 30)),
                 math.floor(math.ldexp((high - mx) / width, 30)), tuple(mantissa(v) for v in chosen))
        out.append((key, chosen, nominal, mn, mx, margin, alike))
    out.sort(key=lambda c: c[0])
    return out


def mantissa(value):
    """A standard value's three significant digits, the same in every decade."""
    return ('%.2e' % value).split('e')[0]


def decade(value):
    return int(('%.2e' % value).split('e')[1])


def folded(passing):
    """The passing candidates (best first) with those alike but for their
    decades folded into the first of them: (candidate, others), each other as
    (powers of ten from the first's values, values), lowest powers first."""
    groups = {}
    order = []
    for c in passing:
        if c[6] not in groups:
            groups[c[6]] = (c, [])
            order.append(c[6])
        else:
            first = groups[c[6]][0]
            powers = tuple(decade(v) - decade(f) for v, f in zip(c[1], first[1]))
            groups[c[6]][1].append((powers, c[1]))
    return [(groups[k][0], sorted(groups[k][1])) for k in order]


def design_cases(seed, count):
    """Random designs: a row, known values with tolerances, the unknowns'
    series, tolerances and windows, and a window on the result around a
    result some candidate gives."""
    rng = random.Random(seed)
    decades = {'R': (2, 6), 'C': (-11, -4), 'L': (-6, -1)}
    lines = []
    rows = sorted(PART_KINDS)
    for case in range(count):
        keyword = rows[case % len(rows)]
        row = KEYWORDS[keyword]
        kinds = PART_KINDS[keyword]
        names = ARGUMENTS[keyword].split()
        candidates = sorted(kinds)
        if keyword == 'impedance_rlc_series':
            candidates = [2, 3]
        unknowns = sorted(rng.sample(candidates, 2 if rng.randrange(4) else 1))
        parts = {}
        for kind in set(kinds[u] for u in unknowns):
            series = rng.choice(['E6', 'E12', 'E24'])
            tolerance = rng.choice([SERIES_TOLERANCE[series], 0.01, 0.02, 0.05, 0.0])
            first, last = decades[kind]
            start = rng.randrange(first, last)
            span = rng.randrange(1, 3)
            parts[kind] = (series, tolerance, float('1e%d' % start), float('1e%d' % min(last, start + span)))
        values = []
        tolerances = []
        for at, name in enumerate(names):
            if at in kinds:
                first, last = decades[kinds[at]]
                values.append(float('%.2g' % (10 ** rng.uniform(first, last))))
            else:
                typical = TYPICAL[name][0]
                values.append(float('%.3g' % (typical * rng.uniform(0.5, 2.0))))
                if name in SIGNED and rng.randrange(4) == 0:
                    values[-1] = -values[-1]
            tolerances.append(0.0 if at in unknowns else rng.choice([0.0, 0.0, 0.01, 0.02, 0.05]))
            # Now and then a signed value whose box reaches across zero.
            if at not in kinds and name in SIGNED and rng.randrange(3) == 0:
                tolerances[-1] = 1.5
        if keyword == 'impedance_rlc_series':
            # A frequency near the resonance of the windows' middles.
            lw, cw = parts.get('L', (0, 0, values[2], values[2])), parts.get('C', (0, 0, values[3], values[3]))
            l = math.sqrt(lw[2] * lw[3]) if 2 in unknowns else values[2]
            c = math.sqrt(cw[2] * cw[3]) if 3 in unknowns else values[3]
            values[1] = float('%.3g' % (1.0 / (TWO_PI * math.sqrt(l * c)) * rng.uniform(0.7, 1.4)))
        # A result some candidate gives, then a window about it.
        point = list(values)
        for u in unknowns:
            kind = kinds[u]
            point[u] = rng.choice(series_values(parts[kind][0], parts[kind][2], parts[kind][3]))
        centre = float('%.4g' % (row[2](*point) * rng.uniform(0.97, 1.03)))
        half = rng.choice([0.005, 0.01, 0.03, 0.05, 0.1, 0.2])
        if 1.5 in tolerances:
            half = rng.choice([2.0, 3.0])
        low, high = sorted((centre * (1.0 - half), centre * (1.0 + half)))
        ranked = design_ranked(keyword, values, tolerances, unknowns, parts, low, high, centre)
        passing = [c for c in ranked if c[5] >= 0]
        words = ['?' if at in unknowns else repr(v) for at, v in enumerate(values)]
        part_text = ' '.join('%s:%s:%r:%r:%r' % ((kind,) + parts[kind]) for kind in sorted(parts))
        shown = folded(passing)
        first = passing[0] if passing else ranked[0] if ranked else None
        head = ('%s %s\t%s\t%r %r %r\t%s\t%d' %
                (keyword, ' '.join(words), ' '.join(repr(t) for t in tolerances), low, high, centre,
                 part_text, len(passing)))
        best = '-' if first is None else '%s %s %s %s' % (
            ','.join(repr(v) for v in first[1]), first[2].hex(), first[3].hex(), first[4].hex())
        listed = ' '.join(','.join(repr(v) for v in c[1]) for c, _ in shown)
        others = ' '.join(';'.join(','.join(repr(v) for v in values) for _, values in also) or '-'
                          for _, also in shown)
        lines.append(head + '\t' + best + '\t' + listed + '\t' + others)
    return lines


def random_token(rng):
    kind = rng.randrange(10)
    sign = rng.choice(['', '', '', '-', '+'])
    if kind == 0:
        return rng.choice(['0', '-0', '0.0', '+0', '.0', '0e5'])
    if kind <= 3:
        return sign + str(rng.randrange(1, 100000))
    if kind <= 6:
        return sign + '%d.%0*d' % (rng.randrange(0, 10000), rng.randrange(1, 8),
                                  rng.randrange(0, 10 ** 7) % 10 ** 7)
    if kind <= 8:
        return sign + '%d.%de%d' % (rng.randrange(1, 10), rng.randrange(0, 1000), rng.randrange(-15, 12))
    return sign + rng.choice(['1e300', '1e-300', '.5', '7.', '1E3', '2.5e+2', '123456789012',
                              '0.000001', '1000000'])


def random_command(rng):
    row = rng.choice(ROWS)
    name = row[0]
    if rng.randrange(8) == 0:
        name = ''.join(ch.upper() if rng.randrange(2) else ch for ch in name)
    count = row[1] + rng.choice([0, 0, 0, 0, 0, 1, -1])
    count = max(0, min(count, 5))
    tokens = [random_token(rng) for _ in range(count)]
    spaces = lambda: ' ' * rng.choice([1, 1, 1, 1, 2, 3])
    return (' ' * rng.choice([0, 0, 0, 1])) + name + ''.join(spaces() + t for t in tokens)


def escape(text):
    out = []
    for ch in text:
        if ch == '\\':
            out.append('\\\\')
        elif ch == '\t':
            out.append('\\t')
        else:
            out.append(ch)
    return ''.join(out)


# ---- The voltage divider's distribution, integrated ----
#
# vin, r1 and r2 vary independently, each uniform within its tolerance or
# Gaussian with the tolerance as 3 sigma, cut off there. For fixed r1 and r2
# the output vin * r2 / (r1 + r2) is linear in vin, so the chance that it
# lies in the window is a difference of vin's distribution function; that is
# integrated over r1 and r2 by the midpoint rule on a fine grid.

GRID = 400
TRUNCATED_MASS = math.erf(3.0 / math.sqrt(2.0))  # P(|z| <= 3)


def spread_cdf(z, distribution):
    """P(Z <= z) for Z in units of the tolerance (-1 .. 1)."""
    z = min(max(z, -1.0), 1.0)
    if distribution == 'uniform':
        return (z + 1.0) / 2.0
    return (math.erf(3.0 * z / math.sqrt(2.0)) + TRUNCATED_MASS) / (2.0 * TRUNCATED_MASS)


def spread_points(distribution):
    """Midpoints of GRID cells over -1 .. 1 and their probabilities."""
    points = [-1.0 + (2.0 * k + 1.0) / GRID for k in range(GRID)]
    if distribution == 'uniform':
        return [(z, 1.0 / GRID) for z in points]
    # Each cell's exact probability under the truncated normal.
    edges = [-1.0 + 2.0 * k / GRID for k in range(GRID + 1)]
    return [(z, spread_cdf(edges[k + 1], distribution) - spread_cdf(edges[k], distribution))
            for k, z in enumerate(points)]


def spread_variance(distribution):
    """The variance of Z (in units of the tolerance)."""
    if distribution == 'uniform':
        return 1.0 / 3.0
    phi3 = math.exp(-4.5) / math.sqrt(2.0 * math.pi)
    return (1.0 - 6.0 * phi3 / TRUNCATED_MASS) / 9.0


def divider_statistics(fields):
    vin, tv, r1, t1, r2, t2, low, high = (float(f) for f in fields[:8])
    distribution = fields[8]
    tv, t1, t2 = tv / 100.0, t1 / 100.0, t2 / 100.0
    points = spread_points(distribution)
    inside = ratio = ratio2 = 0.0
    for z1, w1 in points:
        a = r1 * (1.0 + t1 * z1)
        for z2, w2 in points:
            b = r2 * (1.0 + t2 * z2)
            g = b / (a + b)
            w = w1 * w2
            ratio += w * g
            ratio2 += w * g * g
            if tv == 0.0:
                inside += w * (1.0 if low <= vin * g <= high else 0.0)
                continue
            # vin * g in [low, high]: vin's z between these.
            z_low = (low / g / vin - 1.0) / tv
            z_high = (high / g / vin - 1.0) / tv
            inside += w * max(0.0, spread_cdf(z_high, distribution) - spread_cdf(z_low, distribution))
    vin2 = vin * vin * (1.0 + tv * tv * spread_variance(distribution))
    mean = vin * ratio
    sd = math.sqrt(vin2 * ratio2 - mean * mean)
    return mean, sd, inside


def main(argv):
    if len(argv) >= 2 and argv[1] == 'expect':
        for line in sys.stdin.read().splitlines():
            expected = expect(line)
            marker = '~' if platform_dependent(line, expected) else ''
            print(marker + escape(line) + '\t' + escape(expected))
        return 0
    if len(argv) == 5 and argv[1] == 'random':
        rng = random.Random(int(argv[2]))
        with open(argv[4], 'w', encoding='utf-8', newline='\n') as out:
            out.write('# generated by reference_model.py random %s %s\n' % (argv[2], argv[3]))
            for _ in range(int(argv[3])):
                command = random_command(rng)
                expected = expect(command)
                marker = '~' if platform_dependent(command, expected) else ''
                out.write(marker + escape(command) + '\t' + escape(expected) + '\n')
        return 0
    if len(argv) == 4 and argv[1] == 'engineering':
        with open(argv[2], encoding='utf-8') as commands, \
                open(argv[3], 'w', encoding='utf-8', newline='\n') as out:
            out.write('# generated by reference_model.py engineering\n')
            for command in commands.read().splitlines():
                if command and not command.startswith('#'):
                    out.write(escape(command) + '\t' + escape(engineering(command)) + '\n')
        return 0
    if len(argv) == 4 and argv[1] == 'range':
        with open(argv[2], encoding='utf-8') as commands, \
                open(argv[3], 'w', encoding='utf-8', newline='\n') as out:
            out.write('# generated by reference_model.py range: command, min, max (hexadecimal)\n')
            for command in commands.read().splitlines():
                if command and not command.startswith('#'):
                    low, high = sampled_range(command)
                    out.write('%s\t%s\t%s\n' % (command, low.hex(), high.hex()))
        return 0
    if len(argv) == 5 and argv[1] == 'solve':
        with open(argv[4], 'w', encoding='utf-8', newline='\n') as out:
            out.write('# generated by reference_model.py solve %s %s\n' % (argv[2], argv[3]))
            for line in solve_vectors(int(argv[2]), int(argv[3])):
                out.write(line + '\n')
        return 0
    if len(argv) == 5 and argv[1] == 'solve-lines':
        with open(argv[4], 'w', encoding='utf-8', newline='\n') as out:
            out.write('# generated by reference_model.py solve-lines %s %s\n' % (argv[2], argv[3]))
            for line in solve_lines(int(argv[2]), int(argv[3])):
                out.write(escape(line.split('\t')[0]) + '\t' + escape(line.split('\t')[1]) + '\n')
        return 0
    if len(argv) == 5 and argv[1] == 'solve-wide':
        with open(argv[4], 'w', encoding='utf-8', newline='\n') as out:
            out.write('# generated by reference_model.py solve-wide %s %s\n' % (argv[2], argv[3]))
            for line in wide_solve_vectors(int(argv[2]), int(argv[3])):
                out.write(line + '\n')
        return 0
    if len(argv) == 5 and argv[1] == 'design':
        with open(argv[4], 'w', encoding='utf-8', newline='\n') as out:
            out.write('# generated by reference_model.py design %s %s: command, tolerances, window low '
                      'high centre, parts kind:series:tolerance:low:high, passing, best values nominal min '
                      'max (hexadecimal), every passing candidate best first with those alike but for their '
                      'decades folded into it, and the values of the others of each (- for none)\n'
                      % (argv[2], argv[3]))
            for line in design_cases(int(argv[2]), int(argv[3])):
                out.write(line + '\n')
        return 0
    if len(argv) == 4 and argv[1] == 'divider':
        with open(argv[2], encoding='utf-8') as cases, \
                open(argv[3], 'w', encoding='utf-8', newline='\n') as out:
            out.write('# generated by reference_model.py divider: the case, then mean, sd, yield\n')
            for line in cases.read().splitlines():
                if line and not line.startswith('#'):
                    mean, sd, inside = divider_statistics(line.split())
                    out.write('%s\t%r\t%r\t%r\n' % (line, mean, sd, inside))
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == '__main__':
    sys.exit(main(sys.argv))
