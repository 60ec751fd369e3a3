#!/usr/bin/env python3
"""zorvane-calc driven as a user drives it: arguments, a pipe, exit codes."""
import os
import subprocess
import sys
import unittest

CALC = os.environ.get('ZORVANE_CALC', 'zorvane-calc')


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
        ]
        for args, out, status in cases:
            with self.subTest(args=args):
                result = run(*args)
                self.assertEqual(result.stdout, out)
                self.assertEqual(result.returncode, status)
                self.assertEqual(result.stderr, b'')

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
        result = run(stdin=b'power_vi 12 0.5\ngain_db 100\n')
        self.assertEqual(result.stdout, b'Power = 6.000000 W\nGain = 40.000000 dB\n')
        self.assertEqual(result.returncode, 0)

    def test_text_is_utf8_both_ways(self):
        result = run(stdin='thermal_resistance 50 10\npower_vi 1 €\npower_vi 1 中\n'.encode())
        self.assertEqual(result.stdout.decode('utf-8').splitlines(), [
            'Thermal Resistance = 5.000000 °C/W',
            "Error: Invalid number '€'",
            "Error: Invalid number '?'",
        ])

    def test_a_long_line_is_refused_not_cut(self):
        result = run(stdin=b'power_vi 12 0.5' + b' ' * 300 + b'\npower_vi 1 1\n')
        self.assertEqual(result.stdout,
                         b'Error: Command longer than 255 characters\nPower = 1.000000 W\n')


if __name__ == '__main__':
    unittest.main(argv=sys.argv[:1], verbosity=2)
