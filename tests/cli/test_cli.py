#!/usr/bin/env python3
"""zorvane-calc driven as a user drives it: arguments, a pipe, exit codes."""
import json
import math
import os
import pty
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

CALC = os.path.abspath(os.environ['ZORVANE_CALC'])
GOLDEN = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'golden')
# Whether the tool was built with line editing (libedit) or the plain prompt.
LINE_EDITING = os.environ.get('ZORVANE_LINE_EDITING', '1') == '1'
OHM = '\u03a9'


def run(*args, stdin=None):
    return subprocess.run([CALC, *args], input=stdin, capture_output=True, timeout=60)


class OneShot(unittest.TestCase):
    def test_arguments_are_joined_into_one_command(self):
        cases = [
            (['power_vi', '12', '0.5'], b'Power = 6.000000 W\n', 0),
            (['ohms_voltage', '-2', '1000'], b'Voltage = -2000.000000 V\n', 0),
            (['junction_temperature', '25', '2', '10'], 'Junction Temperature = 45.000000 °C\n'.encode(), 0),
            (['power_vi 12', '0.5'], b'Power = 6.000000 W\n', 0),
            (['power_vi', '12'], b"Error: Unknown formula 'power_vi' or insufficient parameters\n", 1),
            (['power_vi', '12', 'x'], b"Error: Invalid number 'x'\n", 1),
            (['--', 'power_vi', '1', '2'], b'Power = 2.000000 W\n', 0),
            (['-e', 'capacitor_time_constant_rc', '1k', '100p'], b'RC Time Constant = 100 ns\n', 0),
            (['--eng', 'capacitor_reactance', '1k', '1u'], 'Capacitive Reactance = 159.155 Ω\n'.encode(), 0),
            (['-e', '--', 'power_vi', '12', 'x'], b"Error: Invalid number 'x'\n", 1),
            (['power_vi', '4k7', '1m'], b'Power = 4.700000 W\n', 0),
            (['power_vi', '2R2', '1'], b'Power = 2.200000 W\n', 0),
            (['--plain', 'power_vi', '4k7', '1'], b"Error: Invalid number '4k7'\n", 1),
            # The module's "?" for the ohm sign is written as the sign, but
            # with --module-lines; a "?" of the command's own stays.
            (['ohms_resistance', '3V', '20mA'], 'Resistance = 150.000000 \u03a9\n'.encode(), 0),
            (['--module-lines', 'ohms_resistance', '3V', '20mA'], b'Resistance = 150.000000 ?\n', 0),
            (['resistors_series', '1', '\u4e2d'], b"Error: Invalid number '?'\n", 1),
        ]
        for args, out, status in cases:
            with self.subTest(args=args):
                result = run(*args)
                self.assertEqual(result.stdout, out)
                self.assertEqual(result.returncode, status)
                self.assertEqual(result.stderr, b'')

    def test_options_stand_anywhere_and_numbers_are_values(self):
        """As GNU tools read them: after the formula and its values too, up to
        '--'; a word that reads as a number is a value."""
        divider = ['voltage_divider', '12', '24k\u00b11%', '9.1k\u00b11%']
        cases = [
            # options after (or among) the words, the same options first
            (divider + ['--mc', '2000'], ['--mc', '2000'] + divider),
            (divider + ['--mc'], ['--mc'] + divider),
            (['power_vi', '12', '-e', '0.5'], ['-e', 'power_vi', '12', '0.5']),
            (['voltage_divider', '12', '10k', '?', '=', '3.3', '--series=E24', '--eng'],
             ['--series', 'E24', '-e', 'voltage_divider', '12', '10k', '?', '=', '3.3']),
            (['power_vi', '4k7', '--plain', '1'], ['--plain', 'power_vi', '4k7', '1']),
            (['resistors_series', '1k', '2k', '--module-lines'],
             ['--module-lines', 'resistors_series', '1k', '2k']),
        ]
        for late, early in cases:
            with self.subTest(args=late):
                result, expected = run(*late), run(*early)
                self.assertEqual((result.stdout, result.returncode, result.stderr),
                                 (expected.stdout, expected.returncode, b''))
        for args, line in [
                (['ohms_voltage', '-2', '-.5'], 'Voltage = 1.000000 V'),
                (['power_vi', '-12V', '-1e3'], 'Power = 12000.000000 W'),
                (['power_vi', '-', '2'], "Error: Invalid number '-'"),
                (['power_vi', '1', '--', '-e'], "Error: Invalid number '-e'"),
                (['--', 'power_vi', '-e', '--mc'], "Error: Invalid number '-e'")]:
            with self.subTest(args=args):
                self.assertEqual(run(*args).stdout.decode(), line + '\n')

    def test_help_and_help_name_as_the_command(self):
        """What the prompt's words print: the sample commands, one formula's
        reference line, or the answer to a name that is none."""
        with open(os.path.join(GOLDEN, 'help_summary.txt'), 'rb') as f:
            summary = f.read()
        cases = [
            (['help'], summary, 0),
            (['--', 'help'], summary, 0),
            (['help', 'Ohms_Current'],
             b'ohms_current <voltage> <resistance>     - Calculate current (I = V / R)\n', 0),
            (['help', 'ohms_curent'],
             b"Error: Unknown formula 'ohms_curent' or insufficient parameters\n", 1),
            # Three words are a command, answered as a batch answers it.
            (['help', 'ohms_current', '12'], run(stdin=b'help ohms_current 12\n').stdout, 1),
        ]
        for args, out, status in cases:
            with self.subTest(args=args):
                result = run(*args)
                self.assertEqual((result.stdout, result.returncode, result.stderr), (out, status, b''))

    def test_unknown_option_is_a_usage_error(self):
        result = run('--frobnicate')
        self.assertEqual(result.returncode, 2)
        self.assertEqual(result.stdout, b'')
        self.assertIn(b"zorvane-calc: unrecognized option '--frobnicate'", result.stderr)


class Batch(unittest.TestCase):
    def test_one_output_line_per_input_line(self):
        commands = b'power_vi 12 0.5\r\n\nnosuch 1\n   \nPOWER_VI 1 2'
        result = run(stdin=commands)
        self.assertEqual(result.stdout.split(b'\n'), [
            b'Power = 6.000000 W',
            b'',
            b"Error: Unknown formula 'nosuch' or insufficient parameters",
            b'',
            b'Power = 2.000000 W',
            b'',
        ])
        self.assertEqual(result.returncode, 1)

    def test_all_results_exit_zero(self):
        result = run(stdin=b'power_vi 12 0.5\n\t# tabs before a comment\ngain_db 100\n')
        self.assertEqual(result.stdout, b'Power = 6.000000 W\n\nGain = 40.000000 dB\n')
        self.assertEqual(result.returncode, 0)

    def test_text_is_utf8_both_ways(self):
        result = run(stdin='thermal_resistance 50 10\npower_vi 1 €\npower_vi 1 中\n'.encode()
                     + b'power_vi 1 \xfc\x80\x80\x80\n')  # no lead byte: four characters
        self.assertEqual(result.stdout.decode('utf-8').splitlines(), [
            'Thermal Resistance = 5.000000 °C/W',
            "Error: Invalid number '€'",
            "Error: Invalid number '?'",
            "Error: Invalid number '????'",
        ])

    def test_a_long_line_is_refused_not_cut(self):
        result = run(stdin=b'power_vi 12 0.5' + b' ' * 300 + b'\npower_vi 1 1\n')
        self.assertEqual(result.stdout,
                         b'Error: Command longer than 255 characters\nPower = 1.000000 W\n')


def through_terminal(args, stream):
    """A command run with a terminal as its `stream` ('stdout' or 'stderr')
    and a pipe as the other: the result, and what the terminal showed."""
    controller, terminal = os.openpty()
    try:
        streams = dict(stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        streams[stream] = terminal
        result = subprocess.run([CALC, *args], timeout=60, **streams)
        os.close(terminal)
        shown = b''
        while select.select([controller], [], [], 1)[0]:
            try:
                chunk = os.read(controller, 4096)
            except OSError:
                break
            if not chunk:
                break
            shown += chunk
    finally:
        os.close(controller)
    return result, shown.decode().replace('\r\n', '\n')


def hints_of(*args):
    """Standard output and status of a command, and what a terminal on
    standard error showed."""
    result, shown = through_terminal(args, 'stderr')
    return result.stdout, result.returncode, shown


class Questions(unittest.TestCase):
    # Answers with a result in ohms, of every kind: where the module's line
    # begins the answer, its "?" is the sign's place; designs list their
    # candidates on lines of their own but in a batch.
    OHM_ANSWERS = [
        # command, 'module' (the module's line begins it), 'own' or 'design'
        ('ohms_resistance 3V 20mA', 'module'),
        ('resistors_parallel 1k 2k', 'module'),
        ('resistors_series 1k\u00b11% 2k\u00b12%', 'module'),
        ('resistors_series 1k\u00b11% 2k\u00b12% = 2.94k..3.06k', 'module'),
        ('--mc 2000 capacitor_reactance 1k 1u\u00b15%', 'module'),
        ('ohms_resistance 3\u00b11% 20m\u00b11% = 140..160', 'module'),
        ('resistors_series 1k ? = 3k', 'own'),
        ('resistors_parallel ? ? = 3k', 'own'),
        ('--combine 2 resistors_parallel 10k ? = 3k', 'own'),
        ('--mc 500 --top 2 --tolerance 1% resistors_series ? ? = 3k\u00b13%', 'design'),
    ]

    def test_the_ohm_sign_in_every_answer_but_with_module_lines(self):
        batch = ''.join(command + '\n' for command, _ in self.OHM_ANSWERS).encode()
        shown = run('--series', 'E24', stdin=batch).stdout.decode().splitlines()
        module = run('--series', 'E24', '--module-lines', stdin=batch).stdout.decode().splitlines()
        self.assertEqual((len(shown), len(module)), (len(self.OHM_ANSWERS),) * 2)
        for (command, kind), line, module_line in zip(self.OHM_ANSWERS, shown, module):
            with self.subTest(command=command):
                self.assertIn(OHM, line)
                self.assertNotIn('?', line)
                self.assertEqual(module_line, line.replace(OHM, '?', 1) if kind == 'module' else line)
                one_shot = run('--series', 'E24', *command.split(' ')).stdout.decode()
                if kind == 'design':
                    self.assertNotIn('?', one_shot)
                else:
                    self.assertEqual(one_shot, line + '\n')

    def test_a_line_may_begin_with_its_own_e_eng_or_plain(self):
        """For that line alone, among the question's own options: the answer
        the tool's options give."""
        cases = [
            # the line, the tool's options it stands for, the line without them
            ('-e --series E12 voltage_divider 12 10k ? = 3.3', ['-e', '--series', 'E12'],
             'voltage_divider 12 10k ? = 3.3'),
            ('--series E12 -e voltage_divider 12 10k ? = 3.3', ['-e', '--series', 'E12'],
             'voltage_divider 12 10k ? = 3.3'),
            ('--eng capacitor_reactance 1k 1u', ['-e'], 'capacitor_reactance 1k 1u'),
            ('--mc 2000 -e --seed=3 resistors_series 1k\u00b11% 2k', ['-e', '--mc', '2000', '--seed', '3'],
             'resistors_series 1k\u00b11% 2k'),
            ('  --plain  -e  voltage_divider 12 10000 ? = 3.3', ['--plain', '-e'],
             'voltage_divider 12 10000 ? = 3.3'),
            ('--plain power_vi 4k7 1', ['--plain'], 'power_vi 4k7 1'),
            ('power_vi 4k7 1', [], 'power_vi 4k7 1'),  # the line before's option is gone
            ('power_vi -e 1 2', [], 'power_vi -e 1 2'),  # after the formula, a value
        ]
        batch = ''.join(line + '\n' for line, _, _ in cases).encode()
        self.assertEqual(run(stdin=batch).stdout.decode().splitlines(),
                         [run(*options, stdin=(command + '\n').encode()).stdout.decode().rstrip('\n')
                          for _, options, command in cases])
        kinds = [json.loads(line)['kind'] for line in
                 run('--json', stdin=b'--plain power_vi 4k7 1\n-e power_vi 1 2\n').stdout.splitlines()]
        self.assertEqual(kinds, ['invalid_number', 'result'])

    def test_a_terminal_reads_a_solution_in_engineering_notation_first(self):
        """At a terminal, but with -e or --module-lines; piped, the exact line."""
        solve = ['rc_lowpass_cutoff', '10k', '?', '=', '1kHz']
        piped = run(*solve).stdout.decode()
        exact = piped[len('capacitance = '):-len(' F\n')]
        self.assertAlmostEqual(float(exact) / (1 / (2 * math.pi * 1e4 * 1e3)), 1, delta=1e-12)
        engineering = 'capacitance = %.6g nF' % (float(exact) * 1e9)
        cases = [
            (solve, '%s (%s F)\n' % (engineering, exact)),
            (['--module-lines'] + solve, piped),
            (['-e'] + solve, engineering + '\n'),
            (['resistors_parallel', '1k', '2k'], 'Parallel Resistance = 666.666667 %s\n' % OHM),
            (['--module-lines', 'resistors_parallel', '1k', '2k'], 'Parallel Resistance = 666.666667 ?\n'),
        ]
        for args, line in cases:
            with self.subTest(args=args):
                result, shown = through_terminal(args, 'stdout')
                self.assertEqual((shown, result.returncode), (line, 0))

    def test_one_line_for_each_question_in_a_batch(self):
        commands = ('voltage_divider 12 10k ? = 3.3\n'
                    'power_i2r ? 100 = 1\n'
                    'voltage_divider 12 ? ? = 3.3\n'
                    'voltage_divider 12 10k\u00b11% 4.7k\n'
                    'voltage_divider 12 10k ? = 15\n'
                    'power_vi 12V 0.5A\n')
        result = run('--series', 'E24', stdin=commands.encode())
        self.assertEqual(result.stdout.decode().splitlines(), [
            'r2 = 3793.103448275862 \u03a9; E24: 3600 \u03a9 \u2192 3.176471 V (-3.74%), '
            '3900 \u03a9 \u2192 3.366906 V (+2.03%)',
            'current = -0.1 A or 0.1 A',
            'r1 = 24000 \u03a9, r2 = 9100 \u03a9 (Output Voltage = 3.299094 V, -0.03%)',
            'Output Voltage = 3.836735 V (3.810811 .. 3.863014 V)',
            'Error: No r2 gives Output Voltage = 15 V',
            'Power = 6.000000 W',
        ])
        self.assertEqual((result.returncode, result.stderr), (1, b''))
        result = run('-e', stdin=b'impedance_rlc_series 10 ? 1m 1u = 50\nvoltage_divider 12 ? ? = 3.3\n')
        self.assertEqual(result.stdout.decode().splitlines(), [
            'frequency = 2.46771 kHz or 10.2647 kHz',
            'Error: Two values written ? need a series of standard values',
        ])
        self.assertEqual(result.returncode, 1)
        result = run('--plain', 'power_vi', '?', '2', '=', '1k')
        self.assertEqual((result.stdout, result.returncode), (b"Error: Invalid number '1k'\n", 1))

    def test_a_design_lists_one_candidate_a_line_but_in_a_batch(self):
        design = ['--top', '2', '--series', 'E96', 'voltage_divider', '12\u00b11%', '?', '?',
                  '=', '3.3\u00b13%']
        result = run(*design)
        lines = result.stdout.decode().splitlines()
        self.assertEqual((len(lines), result.returncode), (3, 0))
        self.assertTrue(lines[0].endswith('best first:'))
        self.assertTrue(lines[1].startswith('1. r1 = ') and lines[2].startswith('2. r1 = '))
        commands = ' '.join(design) + '\n' + ' '.join(design[:-1]) + ' 3.3\u00b11%\npower_vi 1 2\n'
        result = run(stdin=commands.encode())
        self.assertEqual(result.stdout.decode().splitlines(), [
            lines[0] + ' ' + lines[1] + '; ' + lines[2],
            'Error: No candidate keeps Output Voltage within 3.267000 .. 3.333000 V in the worst '
            'case (148225 candidates, R E96 1%)',
            'Power = 2.000000 W',
        ])
        self.assertEqual(result.returncode, 1)

    def test_a_terminal_hears_what_would_make_a_design_pass(self):
        stdout, status, shown = hints_of('--series', 'E24', 'voltage_divider', '12\u00b11%', '?', '?',
                                         '=', '3.3\u00b13%')
        self.assertEqual(status, 1)
        self.assertTrue(stdout.startswith(b'Error: No candidate keeps Output Voltage'))
        shown = shown.splitlines()
        self.assertEqual(len(shown), 4, shown)
        self.assertTrue(shown[0].startswith('best by margin: r1 = '), shown)
        self.assertTrue(shown[1].startswith('it passes with a window of '), shown)
        self.assertEqual(shown[2:], ['a candidate passes with parts of 1.00% (--tolerance)',
                                     'a candidate passes with E96 parts (--series E96)'])
        # Piped, the hints stay away.
        self.assertEqual(run('--series', 'E24', 'voltage_divider', '12\u00b11%', '?', '?', '=',
                             '3.3\u00b13%').stderr, b'')

    def test_options_written_in_a_line_win_over_the_tools(self):
        commands = ('--series E12 voltage_divider 12 10k ? = 3.3\n'
                    'voltage_divider 12 10k ? = 3.3\n'
                    '--series E7 voltage_divider 12 10k ? = 3.3\n')
        result = run('--series', 'E24', stdin=commands.encode())
        self.assertEqual(result.stdout.decode().splitlines(), [
            'r2 = 3793.103448275862 \u03a9; E12: 3300 \u03a9 \u2192 2.977444 V (-9.77%), '
            '3900 \u03a9 \u2192 3.366906 V (+2.03%)',
            'r2 = 3793.103448275862 \u03a9; E24: 3600 \u03a9 \u2192 3.176471 V (-3.74%), '
            '3900 \u03a9 \u2192 3.366906 V (+2.03%)',
            "Error: Invalid series 'E7' for '--series'",
        ])
        self.assertEqual(result.returncode, 1)

    def test_series_names_the_standard_ones(self):
        for series in ('E3', 'E6', 'E12', 'E24', 'E48', 'E96', 'E192'):
            with self.subTest(series=series):
                result = run('--series', series, 'resistors_series', '0', '?', '=', '1')
                self.assertEqual((result.stdout, result.returncode),
                                 (('r2 = 1 \u03a9; %s: 1 \u03a9 \u2192 1.000000 \u03a9 (+0.00%%)\n'
                                   % series).encode(), 0))
        # One series per kind of part, read by the question grammar.
        result = run('--series', 'R=E12,C=E6', 'voltage_divider', '12', '10k', '?', '=', '3.3')
        self.assertEqual((result.stdout.decode(), result.returncode),
                         ('r2 = 3793.103448275862 \u03a9; E12: 3300 \u03a9 \u2192 2.977444 V (-9.77%), '
                          '3900 \u03a9 \u2192 3.366906 V (+2.03%)\n', 0))
        # Either case, as the module's other entry points take a series.
        result = run('--series=e24', 'resistors_series', '0', '?', '=', '1')
        self.assertEqual((result.stdout, result.returncode), (run('--series=E24', 'resistors_series', '0', '?', '=', '1').stdout, 0))
        for wrong in (['--series', 'E25'], ['--series=e25'], ['--series'], ['--series', 'X=E12'],
                      ['--series', 'R=E12,R=E6']):
            with self.subTest(wrong=wrong):
                result = run(*wrong, 'power_vi', '1', '2')
                self.assertEqual((result.stdout, result.returncode), (b'', 2))
                self.assertIn(b"for '--series'", result.stderr)

    def test_a_terminal_hears_why_the_zero_guard_answered(self):
        """The same note as the page's, from the hosts' share."""
        stdout, status, shown = hints_of('capacitor_reactance', '0', '100n')
        self.assertEqual((stdout, status), ('Capacitive Reactance = 0.000000 \u03a9\n'.encode(), 0))
        self.assertEqual(shown, 'frequency is 0: the formula divides by zero, and the module answers 0\n')
        stdout, status, shown = hints_of('impedance_rc', '1k', '0', '1n')
        self.assertEqual(status, 0)
        self.assertEqual(shown, 'frequency is 0: the formula divides by zero there, '
                                'and the module counts that part as 0\n')

    def test_hints_name_the_unit_and_what_a_formula_reaches(self):
        cases = [
            (['power_vi', '12A', '0.5'], "Error: Invalid number '12A'", '<voltage> is in V'),
            (['voltage_divider', '12', '10k', '?', '=', '15'], 'Error: No r2 gives Output Voltage = 15 V',
             'Output Voltage stays between 0 and 12 V for any r2'),
            (['ohms_current', '12', '1', 'kohm'], "Error: Invalid number 'kohm'",
             'write it on the number: 1kohm'),
            (['capacitor_charge', '4.7', '\u00b5F', '5'], "Error: Invalid number '\u00b5F'",
             'write it on the number: 4.7\u00b5F'),
        ]
        for args, line, hint in cases:
            with self.subTest(args=args):
                stdout, status, shown = hints_of(*args)
                self.assertEqual((stdout.decode(), status), (line + '\n', 1))
                self.assertEqual(shown, hint + '\n')


class Options(unittest.TestCase):
    def test_version(self):
        result = run('--version')
        self.assertEqual((result.stdout, result.returncode), (b'1.0.0.1\n', 0))

    def test_help_prints_usage_then_the_help_summary(self):
        result = run('--help')
        self.assertEqual(result.returncode, 0)
        self.assertTrue(result.stdout.startswith(b'Usage: zorvane-calc [OPTION]...'))
        self.assertTrue(result.stdout.endswith(
            b'\n=== Electronics Calculator Help ===\n'
            b'Usage: <formula_name> <value1> <value2> [value3] ...\n'
            b"Type '/help' to create a complete help file with all formulas\n\n"
            b'Sample commands:\n'
            b'  ohms_voltage 2.5 1000      (V = I * R, I=2.5A, R=1000ohm)\n'
            b'  power_vi 12 0.5            (P = V * I, V=12V, I=0.5A)\n'
            b'  capacitor_reactance 1000 0.000001  (Xc, f=1000Hz, C=1uF)\n'
            b'  resistors_parallel 1000 2000       (parallel resistance)\n\n'))

    def test_list_gives_every_formula_with_its_arguments(self):
        lines = run('--list').stdout.decode().splitlines()
        self.assertEqual(len(lines), 50)
        self.assertEqual(lines[0], 'ohms_voltage <current> <resistance>')
        self.assertEqual(lines[25], 'impedance_rlc_series <resistance> <frequency> <inductance> <capacitance>')
        self.assertEqual(lines[-1], 'junction_temperature <ambient_temp> <thermal_resistance> <power>')
        for line in lines:  # every listed line is a command that evaluates
            command = line.split()[0] + ' 1' * (len(line.split()) - 1)
            self.assertEqual(run(*command.split()).returncode, 0, command)

    def test_reference_into_a_directory(self):
        with tempfile.TemporaryDirectory() as directory:
            result = run('--reference', directory)
            self.assertEqual(result.stdout, b"Help file 'electronics_formulas.txt' created successfully!\n")
            self.assertEqual(result.returncode, 0)
            with open(os.path.join(directory, 'electronics_formulas.txt'), 'rb') as f:
                self.assertTrue(f.read().startswith(b'=== ZorvaneCalculator Electronics'))
            result = run('--reference', os.path.join(directory, 'missing'))
            self.assertEqual(result.stdout, b'Error: Could not create help file\n')
            self.assertEqual(result.returncode, 1)

    def test_reference_after_an_equals_sign_goes_into_that_directory(self):
        with tempfile.TemporaryDirectory() as here, tempfile.TemporaryDirectory() as there:
            result = subprocess.run([CALC, '--reference=' + there], cwd=here, capture_output=True,
                                    timeout=60)
            self.assertEqual((result.stdout, result.returncode),
                             (b"Help file 'electronics_formulas.txt' created successfully!\n", 0))
            self.assertEqual((os.listdir(here), os.listdir(there)), ([], ['electronics_formulas.txt']))
            for args, message in ((['--reference='], "empty directory name for '--reference'"),
                                  (['--reference=' + there, 'x'], "unexpected argument 'x'")):
                with self.subTest(args=args):
                    result = subprocess.run([CALC, *args], cwd=here, capture_output=True, timeout=60)
                    self.assertEqual((result.stdout, result.returncode, os.listdir(here)), (b'', 2, []))
                    self.assertTrue(result.stderr.decode().startswith('zorvane-calc: ' + message + '\n'))

    def test_help_command_writes_into_the_current_directory(self):
        with tempfile.TemporaryDirectory() as directory:
            result = subprocess.run([CALC, '/help'], cwd=directory, capture_output=True, timeout=60)
            self.assertEqual(result.stdout, b"Help file 'electronics_formulas.txt' created successfully!\n")
            self.assertEqual(os.listdir(directory), ['electronics_formulas.txt'])

    def test_engineering_notation_and_plain(self):
        self.assertEqual(run('capacitor_reactance', '1k', '1u').stdout,
                         run('capacitor_reactance', '1000', '0.000001').stdout)
        self.assertEqual(run(stdin='power_vi 4.7k 1µ\n'.encode()).stdout, b'Power = 0.004700 W\n')
        result = run('--plain', 'power_vi', '1k', '1')
        self.assertEqual((result.stdout, result.returncode), (b"Error: Invalid number '1k'\n", 1))

    def test_option_errors_are_usage_errors(self):
        cases = [
            (['--bogus'], "unrecognized option '--bogus'"),
            (['-x', 'power_vi'], "unrecognized option '-x'"),
            (['--eng=1', 'power_vi'], "unrecognized option '--eng=1'"),
            (['--lists'], "unrecognized option '--lists'"),
            (['--list=xyz'], "invalid argument '--list=xyz'"),
            (['--reference', 'a', 'b'], "unexpected argument 'b'"),
            (['--reference', ''], "empty directory name for '--reference'"),
            (['power_vi', '1', '2', '-x'], "unrecognized option '-x'"),
            (['power_vi', '--reference'], "unexpected argument 'power_vi'"),
            (['power_vi', '1', '--series'], "missing argument for '--series'"),
        ]
        for args, message in cases:
            with self.subTest(args=args):
                result = run(*args)
                self.assertEqual(result.returncode, 2)
                self.assertEqual(result.stdout, b'')
                self.assertEqual(result.stderr.decode(), 'zorvane-calc: ' + message +
                                 "\nTry 'zorvane-calc --help' for more information.\n")


class Interactive(unittest.TestCase):
    """A person at a terminal: a pseudo-terminal on standard input and output."""

    PROMPT = b'\r\n> '

    def read_until(self, fd, marker, timeout=20):
        """Reads up to and including `marker`; what follows it stays pending."""
        seen = self.pending
        deadline = time.monotonic() + timeout
        while marker not in seen:
            remaining = deadline - time.monotonic()
            self.assertGreater(remaining, 0, 'waited for %r, saw %r' % (marker, seen))
            ready, _, _ = select.select([fd], [], [], remaining)
            if ready:
                try:
                    chunk = os.read(fd, 4096)
                except OSError:
                    break
                if not chunk:
                    break
                seen += chunk
        self.assertIn(marker, seen)
        end = seen.index(marker) + len(marker)
        self.pending = seen[end:]
        return seen[:end]

    def session(self, environment=None):
        self.pending = b''
        self.prompted = False
        pid, fd = pty.fork()
        if pid == 0:
            if environment is None:
                os.execv(CALC, [CALC])
            os.execve(CALC, [CALC], environment)
        self.addCleanup(self.end_session, pid, fd)
        return pid, fd

    def end_session(self, pid, fd):
        try:
            os.kill(pid, 9)
            os.waitpid(pid, 0)
        except (ProcessLookupError, ChildProcessError):
            pass
        os.close(fd)

    def type_line(self, fd, text):
        """Types after the prompt, with the pause a person leaves."""
        if not self.prompted:
            self.read_until(fd, b'> ')
        self.prompted = False
        time.sleep(0.05)
        os.write(fd, text)

    def answer(self, fd, typed):
        """Types a line; returns what the tool wrote before its next prompt,
        without the terminal's echo of the line (up to its first line end)."""
        self.type_line(fd, typed)
        shown = self.read_until(fd, self.PROMPT)
        self.prompted = True
        return shown[:-len(self.PROMPT) + 2].split(b'\r\n', 1)[1]

    def exit_status(self, pid, fd, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            done, status = os.waitpid(pid, os.WNOHANG)
            if done:
                return os.waitstatus_to_exitcode(status)
            ready, _, _ = select.select([fd], [], [], 0.05)
            if ready:
                try:
                    self.pending += os.read(fd, 4096)
                except OSError:
                    pass
        self.fail('zorvane-calc did not leave; last output %r' % self.pending[-200:])

    def test_prompt_results_help_and_quit(self):
        pid, fd = self.session()
        self.assertEqual(self.answer(fd, b'power_vi 12 0.5\r'), b'Power = 6.000000 W\r\n')
        self.assertEqual(self.answer(fd, b'help\r'), self.help_summary())
        self.assertEqual(self.answer(fd, b'resistors_parallel 1k 2k\r'),
                         'Parallel Resistance = 666.666667 \u03a9\r\n'.encode())
        # -e for one line, among a question's options; a solution at a
        # terminal with its engineering value first.
        solve = 'voltage_divider 12 10k ? = 3.3'
        engineering = run('-e', '--series', 'E12', *solve.split(' ')).stdout.decode()
        self.assertEqual(self.answer(fd, b'--series E12 -e ' + solve.encode() + b'\r'),
                         engineering.replace('\n', '\r\n').encode())
        exact = run(*solve.split(' ')).stdout.decode()[len('r2 = '):-len(' \u03a9\n')]
        self.assertEqual(self.answer(fd, solve.encode() + b'\r').decode(),
                         'r2 = %.6g k\u03a9 (%s \u03a9)\r\n' % (float(exact) / 1e3, exact))
        self.type_line(fd, b'quit\r')
        self.assertEqual(self.exit_status(pid, fd), 0)

    @staticmethod
    def help_summary():
        with open(os.path.join(GOLDEN, 'help_summary.txt'), 'rb') as f:
            return f.read().replace(b'\n', b'\r\n')

    def test_end_of_input_leaves_on_a_new_line_with_status_0(self):
        pid, fd = self.session()
        self.assertEqual(self.answer(fd, b'nosuch 1\r'),
                         b"Error: Unknown formula 'nosuch' or insufficient parameters\r\n")
        self.type_line(fd, b'\x04')
        self.read_until(fd, b'\r\n')  # the prompt's line ended
        self.assertEqual(self.exit_status(pid, fd), 0)

    def test_prompt_words_comments_and_visible_controls(self):
        pid, fd = self.session()
        cases = [
            # typed (Ctrl-V types the next key as it is), the answer
            (b'HELP\r', self.help_summary()),
            (b' ? \r', self.help_summary()),
            (b'Help Ohms_Current\r',
             b'ohms_current <voltage> <resistance>     - Calculate current (I = V / R)\r\n'),
            (b'  # a comment\r', b'\r\n'),
            (b'\r', b''),
            (b'   \r', b''),
            (b'power_vi 1 \x16\x1b[2J\x16\x7f\r', b"Error: Invalid number '^[[2J^?'\r\n"),
            (b'power_vi 1 x\x16\ty\r', b"Error: Invalid number 'x\ty'\r\n"),  # a tab is no control
            # Tab completes names where the prompt edits lines, and values
            # nothing; the plain prompt keeps it in the word.
            (b'ohms_cur\t 12 1k\r', b'Current = 0.012000 A\r\n' if LINE_EDITING else
             b"Error: Unknown formula 'ohms_cur\t' or insufficient parameters\r\n"),
            (b'ohms_current 12 oh\t\r', b"Error: Invalid number 'oh%s'\r\n" % (b'' if LINE_EDITING else b'\t')),
            (b'ohms_curent 12 1k\r',  # standard error is the same terminal: the hint comes after
             b"Error: Unknown formula 'ohms_curent' or insufficient parameters\r\n"
             b'did you mean ohms_current?\r\n'),
        ]
        for typed, shown in cases:
            with self.subTest(typed=typed):
                self.assertEqual(self.answer(fd, typed), shown)
        self.type_line(fd, b'Exit\r')
        self.assertEqual(self.exit_status(pid, fd), 0)

    def test_every_character_typed_reaches_the_calculator(self):
        """The line editor reads characters in the user's character set (and in
        UTF-8 where the environment names none); the answers stay the same."""
        plain = {key: value for key, value in os.environ.items()
                 if not key.startswith('LC_') and key != 'LANG'}
        cases = [
            # typed, the answer it must show
            ('power_vi 12 4\u00b57\r', 'Power = 0.000056 W'),  # micro sign
            ('power_vi 12 4\u03bc7\r', 'Power = 0.000056 W'),  # Greek mu
            ('ohms_current 12 4k7\u03a9\r', 'Current = 0.002553 A'),
            ('junction_temperature 25\u00b0C 2\u00b0C/W 10\r', 'Junction Temperature = 45.000000 \u00b0C'),
            ('voltage_divider 12 10k\u00b11% 4.7k\r', 'Output Voltage = 3.836735 V (3.810811 .. 3.863014 V)'),
            ('power_vi 1 \u20ac\r', "Error: Invalid number '\u20ac'"),
        ]
        for name, environment in (('C.UTF-8', dict(plain, LANG='C.UTF-8', LC_NUMERIC='C.UTF-8')),
                                  ('no locale', plain)):
            with self.subTest(locale=name):
                pid, fd = self.session(environment)
                for typed, shown in cases:
                    self.type_line(fd, typed.encode())
                    self.read_until(fd, shown.encode())
                self.type_line(fd, b'quit\r')
                self.assertEqual(self.exit_status(pid, fd), 0)

    @unittest.skipUnless(shutil.which('localedef'), 'needs localedef')
    def test_a_line_typed_in_another_character_set_arrives_as_utf8(self):
        """A Latin-1 terminal sends \xb5 for the micro sign: the line editor
        reads it as the micro sign, the plain prompt (which reads UTF-8, as a
        batch does) as no character."""
        with tempfile.TemporaryDirectory() as locales:
            made = subprocess.run(['localedef', '-i', 'de_DE', '-f', 'ISO-8859-1',
                                   os.path.join(locales, 'de_DE.ISO-8859-1')], capture_output=True)
            if made.returncode not in (0, 1):  # 1: made, with warnings
                self.skipTest('no Latin-1 locale: %r' % made.stderr[-200:])
            environment = {key: value for key, value in os.environ.items()
                           if not key.startswith('LC_') and key != 'LANG'}
            environment.update(LOCPATH=locales, LANG='de_DE.ISO-8859-1')
            pid, fd = self.session(environment)
            self.type_line(fd, b'power_vi 12 4\xb57\r')
            # a decimal point, whatever the locale
            self.read_until(fd, b'Power = 0.000056 W' if LINE_EDITING else b"Invalid number '4?7'")
            self.type_line(fd, b'power_vi 1 2\xb0\r')
            self.read_until(fd, "Error: Invalid number '2%s'".encode() % ('\u00b0' if LINE_EDITING else '?').encode())
            self.type_line(fd, b'quit\r')
            self.assertEqual(self.exit_status(pid, fd), 0)

    def test_hints_go_to_a_terminal_on_standard_error_only(self):
        """Hints change neither standard output nor the status."""
        command = ['ohms_curent', '12', '1k']
        plain = run(*command)
        self.assertEqual((plain.returncode, plain.stderr), (1, b''))
        stdout, status, shown = hints_of(*command)
        self.assertEqual((stdout, status), (plain.stdout, 1))
        self.assertIn('did you mean ohms_current?', shown)


class ShellCompletion(unittest.TestCase):
    """The generated bash completion, run on partial words."""

    def complete(self, *words):
        script = os.path.abspath(os.path.join(os.environ['ZORVANE_COMPLETIONS'], 'zorvane-calc'))
        command = ('source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); '
                   '_zorvane_calc; printf "%s\\n" "${COMPREPLY[@]}"')
        result = subprocess.run(['bash', '-c', command, 'bash', script, 'zorvane-calc', *words],
                                capture_output=True, timeout=60, cwd=os.path.dirname(script))
        self.assertEqual(result.stderr, b'')
        return sorted(filter(None, result.stdout.decode().split('\n')))

    @unittest.skipUnless('ZORVANE_COMPLETIONS' in os.environ, 'built without completion scripts')
    def test_names_then_options_then_nothing_for_values(self):
        keywords = [line.split()[0] for line in run('--list').stdout.decode().splitlines()]
        cases = [
            (['ohms_'], ['ohms_current', 'ohms_resistance', 'ohms_voltage']),
            (['-e', 'capacitor_r'], ['capacitor_reactance']),
            ([''], sorted(keywords)),
            (['--l'], ['--list', '--list=categories']),
            (['--', '-'], []),
            (['ohms_current', ''], []),
            (['ohms_current', '12', '1'], []),
            (['ohms_current', '12', '--mo'], ['--module-lines']),  # options anywhere
            (['ohms_current', '-1'], []),  # a number is a value
            (['--mc', '500', 'ohms_c'], ['ohms_current']),
            (['--', 'ohms_current', '--'], []),
            (['--reference', ''], []),  # the completion directory holds no directories
        ]
        for words, expected in cases:
            with self.subTest(words=words):
                self.assertEqual(self.complete(*words), expected)


SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..')

# The man(7) escapes the manual page's examples use.
GROFF = [('\\fB', ''), ('\\fR', ''), ('\\fI', ''), ('\\&', ''), ('\\-', '-'), ('\\e', '\\'),
         ('\\(*W', '\u03a9'), ('\\(mc', '\u00b5'), ('\\(de', '\u00b0'), ('\\(+-', '\u00b1'),
         ('\\(->', '\u2192')]


def read_source(*path):
    with open(os.path.join(SOURCE, *path), encoding='utf-8') as f:
        return f.read()


def documentation_pages():
    """README.md and the reference pages under docs/, by path."""
    pages = sorted('docs/' + name for name in os.listdir(os.path.join(SOURCE, 'docs')) if name.endswith('.md'))
    return {page: read_source(page) for page in ['README.md', *pages]}


def examples_of(lines, command_prefix, output_prefix):
    """(command, output lines) pairs: a command line starts with
    `command_prefix`, the lines of its output follow (without `output_prefix`)."""
    examples = []
    for line in lines:
        if line.startswith(command_prefix):
            examples.append((line[len(command_prefix):], []))
        elif examples:
            examples[-1][1].append(line[len(output_prefix):] if line.startswith(output_prefix) else line)
    return examples


def anchors(page):
    """The anchors GitHub makes of a page's headings: lower case, spaces as
    hyphens, punctuation dropped."""
    prose = re.sub(r'```.*?```', '', page, flags=re.S)
    return {re.sub(r'[^\w -]', '', heading.lower()).replace(' ', '-')
            for heading in re.findall(r'^#+ (.+)$', prose, re.M)}


class Documentation(unittest.TestCase):
    def documented_examples(self):
        """Every example of the tool in README and docs/, the manual page and --help."""
        found = {}
        documented = []
        for text in documentation_pages().values():
            for block in re.findall(r'```console\n(.*?)```', text, re.S):
                documented += examples_of(block.splitlines(), '$ ', '')
        found['README and docs/'] = documented
        manual = read_source('packaging', 'zorvane-calc.1')
        manual = manual[manual.index('.SH EXAMPLES'):]
        manual = manual[manual.index('.nf\n') + 4:manual.index('\n.fi')]
        for escape, text in GROFF:
            manual = manual.replace(escape, text)
        found['manual page'] = examples_of(manual.splitlines(), '$ ', '')
        usage = run('--help').stdout.decode()
        usage = usage[usage.index('\nExamples:\n') + 11:]
        usage = usage[:usage.index('\n\n')]
        # A command is indented by two spaces, its output by four.
        lines = [line[4:] if line.startswith('    ') else '$ ' + line[2:] for line in usage.splitlines()]
        found['--help'] = examples_of(lines, '$ ', '')
        return found

    # What every source shows by an example: (what, a pattern one of its commands matches).
    FEATURES = [
        ('a solve', r"'\?' ="),
        ('a pair', r"'\?' '\?'"),
        ('a series', r'--series'),
        ('a tolerance', '\u00b1'),
        ('a unit', r' 12V'),
        ('the module\'s lines', r'--module-lines'),
        ('an option after the values', r' --?[a-z][\w-]*$'),
        ('help NAME as the command', r'^zorvane-calc help [a-z_]+$'),
        ("-e at a line's head", r"'(-e|--eng|--plain) [a-z_]+[^']*'.*\| zorvane-calc$"),
    ]

    def test_every_example_gives_the_output_shown(self):
        environment = dict(os.environ, PATH=os.path.dirname(CALC) + os.pathsep + os.environ['PATH'])
        for source, examples in self.documented_examples().items():
            for feature, pattern in self.FEATURES:
                with self.subTest(source=source, feature=feature):
                    self.assertTrue(any(re.search(pattern, command) for command, _ in examples))
            for command, output in examples:
                if re.search(r'[<>]', command):
                    continue  # redirection to files the example does not give
                with self.subTest(source=source, command=command), \
                        tempfile.TemporaryDirectory() as directory:
                    result = subprocess.run(['bash', '-c', command], cwd=directory, env=environment,
                                            capture_output=True, timeout=60)
                    self.assertEqual(result.stdout.decode('utf-8').splitlines(), output)

    def test_every_link_between_the_pages_leads_somewhere(self):
        pages = dict(documentation_pages(), **{'HACKING.md': read_source('HACKING.md')})
        for page, text in pages.items():
            for target in re.findall(r'\]\(([^)\s]+)\)', re.sub(r'```.*?```', '', text, flags=re.S)):
                path, _, fragment = target.partition('#')
                resolved = os.path.normpath(os.path.join(os.path.dirname(page), path)) if path else page
                with self.subTest(page=page, link=target):
                    self.assertTrue(os.path.exists(os.path.join(SOURCE, resolved)))
                    if fragment:
                        self.assertIn(fragment, anchors(read_source(resolved)))

    def test_help_manual_page_and_the_guide_agree_on_options_and_statuses(self):
        manual = read_source('packaging', 'zorvane-calc.1').replace('\\-', '-')
        guide = read_source('docs', 'tool.md')  # the tool's guide, which names every option
        usage = run('--help').stdout.decode()
        options = set(re.findall(r'^ +(?:(-\w), )?(--[\w=-]+)', usage, re.M))
        self.assertEqual(len(options), 18)
        # Each option heads a paragraph of its own in the manual page.
        section = manual[manual.index('.SH OPTIONS'):manual.index('.SH COMMAND LANGUAGE')].splitlines()
        headings = [line for before, line in zip(section, section[1:]) if before == '.TP']
        for short, long in options:
            for name in filter(None, (short, long)):
                with self.subTest(option=name):
                    alone = r'(?<![\w-])' + re.escape(name) + r'(?![\w=-])'
                    self.assertTrue(any(re.match(r'\.BR? .*' + alone, line) for line in headings),
                                    'manual page')
                    self.assertIsNotNone(re.search('`' + re.escape(name) + '[` ]', guide), 'docs/tool.md')
        # An argument with one value ("--combine 2") is not listed again.
        self.assertNotIn('one of 2', usage)
        for status in ('0', '1', '2'):
            with self.subTest(status=status):
                self.assertIn('.B ' + status + '\n', manual)
                self.assertIsNotNone(re.search(r'\b' + status + r' (when|for)', guide), 'docs/tool.md')


if __name__ == '__main__':
    unittest.main(argv=sys.argv[:1], verbosity=2)
