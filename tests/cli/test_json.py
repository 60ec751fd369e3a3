#!/usr/bin/python3
"""zorvane-calc --json, --mc and --histogram as a user and a program use them:
every kind of answer checked against docs/answer.schema.json, the shared
statistics vectors through the tool, and the options' bad input.

Needs Debian's python3-jsonschema (for Debian's /usr/bin/python3)."""
import json
import os
import subprocess
import sys
import unittest

import jsonschema

CALC = os.path.abspath(os.environ['ZORVANE_CALC'])
SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..')
PM = '\u00b1'
DIVIDER = f'voltage_divider 12{PM}5% 10k{PM}1% 4k7{PM}1%'

with open(os.path.join(SOURCE, 'docs', 'answer.schema.json'), encoding='utf-8') as f:
    SCHEMA = json.load(f)
jsonschema.Draft202012Validator.check_schema(SCHEMA)
VALIDATOR = jsonschema.Draft202012Validator(SCHEMA)


def run(*args, stdin=None):
    return subprocess.run([CALC, *args], input=stdin, capture_output=True, timeout=120)


def answers(output):
    return [json.loads(line) for line in output.decode('utf-8').splitlines()]


class Json(unittest.TestCase):
    # A command of every kind, and the kind its answer must have.
    COMMANDS = [
        ('power_vi 12 0.5', 'result'),
        ('', 'empty'),
        ('# a comment', 'empty'),
        ('power_vi 12 x', 'invalid_number'),
        ('nosuch 1 2', 'unknown_formula'),
        ('power_vi ' + '1' * 300, 'too_long'),
        ('capacitor_reactance 0 100n', 'result'),
        ('voltage_divider 12 10k ? = 3.3', 'solve'),
        ('voltage_divider 12 10k ? = 15', 'error'),
        ('voltage_divider 12 ? ? = 3.3', 'pair'),
        (f'voltage_divider 12 10k{PM}1% 4.7k', 'range'),
        (DIVIDER + ' = 3.3\u00b13%', 'statistics'),
        (DIVIDER + ' = 3.4..3.2', 'error'),
        ('voltage_divider 12 10k ? = 3.2..3.4', 'error'),
    ]

    def test_every_kind_of_answer_is_one_valid_object_per_line(self):
        stdin = '\n'.join(command for command, _ in self.COMMANDS).encode() + b'\n'
        for options in ([], ['--mc', '2000', '--series', 'E24'], ['-e', '--distribution', 'normal']):
            with self.subTest(options=options):
                result = run('--json', *options, stdin=stdin)
                self.assertEqual(result.returncode, 1)
                got = answers(result.stdout)
                self.assertEqual(len(got), len(self.COMMANDS))
                for (command, kind), answer in zip(self.COMMANDS, got):
                    errors = [e.message for e in VALIDATOR.iter_errors(answer)]
                    self.assertEqual(errors, [], command)
                    expected = kind
                    if '--mc' in options and kind == 'range':
                        expected = 'statistics'  # samples asked for: a Monte Carlo run
                    if '--series' not in options and kind == 'pair':
                        expected = 'error'  # a pair needs a series
                    if '--series' in options and command.endswith('? = 3.2..3.4'):
                        # A design: r2 = 3.9k, the E24 value nearest 3636 .. 3953, gives
                        # 12 x 3705 / 13705 = 3.244 .. 12 x 4095 / 14095 = 3.486 at 5 %.
                        expected = 'design'
                        self.assertTrue(answer['error'], command)
                        self.assertEqual(answer['best']['values'], [3900.0], command)
                    self.assertEqual(answer['kind'], expected, command)
                self.assertEqual(got[7]['solutions'], [3793.103448275862])
                self.assertEqual('samples' in got[11], '--mc' in options)
                self.assertEqual(got[11]['line' if '-e' not in options else 'eng'],
                                 run(*options, self.COMMANDS[11][0]).stdout.decode().rstrip('\n'))

    def test_a_design_with_samples_gives_each_candidate_its_yield(self):
        # Every listed candidate's worst case lies inside the window: every
        # sample does too. The line says so as the JSON does.
        command = ['--mc', '5000', '--series', 'E96', '--top', '3', '--within', '1k..100k',
                   f'voltage_divider 12{PM}1% ? ? = 3.2..3.4']
        answer = answers(run('--json', *command).stdout)[0]
        self.assertEqual([e.message for e in VALIDATOR.iter_errors(answer)], [])
        self.assertEqual(answer['kind'], 'design')
        self.assertEqual((answer['samples'], answer['seed'], answer['distribution']), (5000, '1', 'uniform'))
        self.assertEqual([c['yield'] for c in answer['candidates']], [1, 1, 1])
        # The best is the first candidate, with all it carries.
        self.assertEqual(answer['best'], answer['candidates'][0])
        for c in answer['candidates']:
            self.assertTrue(3.2 <= c['min'] <= c['max'] <= 3.4, c)
        lines = run(*command).stdout.decode().splitlines()
        self.assertEqual(lines, answer['lines'])
        self.assertTrue(all(line.endswith(', yield 100.0000%') for line in lines[1:]), lines)

    def test_the_answer_is_the_line_the_tool_prints_otherwise(self):
        for command, _ in self.COMMANDS[:-3]:
            if not command or command.startswith('#'):
                continue
            with self.subTest(command=command):
                plain = run('--module-lines', command).stdout.decode().rstrip('\n')
                self.assertEqual(answers(run('--json', command).stdout)[0]['line'], plain)

    def test_shared_statistics_vectors_through_the_tool(self):
        with open(os.path.join(SOURCE, 'tests', 'vectors', 'statistics.tsv'), encoding='utf-8') as f:
            vectors = [line.rstrip('\n').split('\t', 1) for line in f if not line.startswith('#')]
        self.assertGreaterEqual(len(vectors), 6)
        for arguments, expected in vectors:
            with self.subTest(arguments=arguments):
                result = run('--json', *arguments.split(' '))
                self.assertEqual(result.stdout.decode('utf-8'), expected + '\n')
                self.assertEqual(VALIDATOR.is_valid(json.loads(expected)), True)

    def test_the_seed_decides_the_samples(self):
        command = DIVIDER + ' = 3.7..4.1'
        first = run('--json', '--mc', '3000', '--seed', '99', command).stdout
        self.assertEqual(run('--json', '--mc=3000', '--seed=99', command).stdout, first)
        self.assertNotEqual(run('--json', '--mc', '3000', '--seed', '100', command).stdout, first)
        # The default: 100000 samples from seed 1, with --mc alone before the formula.
        default = answers(run('--json', '--mc', *command.split(' ')).stdout)[0]
        self.assertEqual((default['samples'], default['seed'], default['distribution']),
                         (100000, '1', 'uniform'))

    def test_a_seed_past_two_to_the_53_reads_back_exactly(self):
        # As a JSON number, 6131790410650751224 reads back as the nearest
        # double, 6131790410650751000, in most readers: the digits are a text.
        for seed in ('6131790410650751224', '9007199254740993', '18446744073709551615', '0'):
            for command in (DIVIDER + ' = 3.7..4.1', '--series E24 voltage_divider 12 ? ? = 3.2..3.4'):
                with self.subTest(seed=seed, command=command):
                    out = run('--json', '--mc', '200', '--seed', seed, *command.split(' ')).stdout.decode()
                    self.assertIn(f'"seed":"{seed}"', out)
                    self.assertEqual(json.loads(out)['seed'], seed)


class Options(unittest.TestCase):
    def test_bad_statistics_options_are_usage_errors(self):
        # The reasons are the question grammar's, as for an option written in a command.
        cases = [
            (['--mc', '0'], "invalid argument '0' for '--mc': a whole number of samples from 1 to 100000000"),
            (['--mc', '-5'], "invalid argument '-5' for '--mc': a whole number of samples from 1 to 100000000"),
            (['--mc', '1e12'], "invalid argument '1e12' for '--mc': a whole number of samples from 1 to 100000000"),
            (['--mc=2.5'], "invalid argument '2.5' for '--mc': a whole number of samples from 1 to 100000000"),
            (['--distribution', 'weird'], "invalid argument 'weird' for '--distribution'"),
            (['--seed', '-1'], "invalid argument '-1' for '--seed': a whole number from 0 to 18446744073709551615"),
            (['--seed', '18446744073709551616'],
             "invalid argument '18446744073709551616' for '--seed': a whole number from 0 to 18446744073709551615"),
        ]
        for options, message in cases:
            with self.subTest(options=options):
                result = run(*options, *DIVIDER.split(' '))
                self.assertEqual(result.returncode, 2)
                self.assertEqual(result.stdout, b'')
                self.assertEqual(result.stderr.decode().splitlines(),
                                 ['zorvane-calc: ' + message, "Try 'zorvane-calc --help' for more information."])

    def test_bad_windows_are_one_error_line(self):
        cases = [
            (DIVIDER + ' = 3.4..3.2', 'Error: The window 3.4..3.2 is empty'),
            # A value written ? and a window: a design, which needs a series.
            ('voltage_divider 12 10k ? = 3.2..3.4', 'Error: No series for the resistors: name one (R=E24)'),
            ('voltage_divider 12 10k 4k7 = 3.3\u00b13%', "Error: A window after '=' needs values with tolerances"),
        ]
        for command, line in cases:
            with self.subTest(command=command):
                result = run('--mc', '100', command)
                self.assertEqual(result.stdout.decode(), line + '\n')
                self.assertEqual(result.returncode, 1)

    def test_histogram_at_one_shot_but_not_in_a_batch(self):
        command = DIVIDER + ' = 3.7..4.1'
        lines = run('--mc', '5000', '--histogram', command).stdout.decode().splitlines()
        self.assertEqual(len(lines), 1 + 8 + 2)
        bars = lines[1:9]
        self.assertTrue(all(line.startswith('  |') and line.endswith('|') for line in bars))
        self.assertEqual({len(line) for line in bars}, {3 + 40 + 1})
        self.assertIn('\u2588', ''.join(bars))  # the tallest bin fills its column
        marks = lines[9][3:-1]
        # The window 3.7 .. 4.1 V over the worst case 3.595 .. 4.084 V: the
        # bins below 3.7 V outside, those above inside, one cut by the edge.
        self.assertRegex(marks, r'^-+:=+$')
        self.assertIn('the worst case, 3.59549 V .. 4.08358 V', lines[10])
        self.assertIn('window 3.7 V .. 4.1 V', lines[10])
        batch = run('--mc', '5000', '--histogram', stdin=(command + '\n' + command + '\n').encode())
        self.assertEqual(len(batch.stdout.decode().splitlines()), 2)


if __name__ == '__main__':
    unittest.main(argv=sys.argv[:1], verbosity=2)
