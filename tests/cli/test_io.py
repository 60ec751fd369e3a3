#!/usr/bin/env python3
"""zorvane-calc when its input and output misbehave: every failure is
reported with status 2, memory stays flat, answers come out as a co-process
needs them, and input files are read as people save them."""
import atexit
import os
import resource
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

CALC = os.path.abspath(os.environ['ZORVANE_CALC'])
TOO_LONG = b'Error: Command longer than 255 characters\n'
# A command sent last to learn that the tool has read all before it.
PROBE, PROBE_ANSWER = b'power_vi 3 1\n', b'Power = 3.000000 W\n'


def out_ends_with(file, tail):
    file.flush()
    size = os.fstat(file.fileno()).st_size
    return size >= len(tail) and os.pread(file.fileno(), len(tail), size - len(tail)) == tail
WRITE_ERROR = b'zorvane-calc: write error: '


def run(args, stdin=b'', stdout=subprocess.PIPE, timeout=60, **kwargs):
    return subprocess.run([CALC, *args], input=stdin, stdout=stdout, stderr=subprocess.PIPE,
                          timeout=timeout, **kwargs)


def without_profiler_notes(stderr):
    """A coverage build writes its profile at exit, under the same file size
    limit, and says so when it cannot: that is the profiler's, not the tool's."""
    return b''.join(line for line in stderr.splitlines(keepends=True)
                    if not line.startswith(b'libgcov profiling error:'))


# A coverage build's profiler writes its data at exit, under the same file
# size limit; it is sent here (GCOV_PREFIX) so that the build's own profile
# files are never cut short for the tests that run later.
PROFILE_DIR = tempfile.mkdtemp(prefix='zorvane-profile-')
atexit.register(shutil.rmtree, PROFILE_DIR, True)


def under_file_size_limit(size):
    return {'preexec_fn': lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (size, size)),
            'env': dict(os.environ, GCOV_PREFIX=PROFILE_DIR)}


def read_when_waiting(pid, at_least=0, timeout=10):
    """The bytes process `pid` has read, once it waits for input having read
    at least `at_least` of them."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        with open('/proc/%d/stat' % pid) as f:
            sleeping = f.read().rsplit(')', 1)[1].split()[0] == 'S'
        with open('/proc/%d/io' % pid) as f:
            read = next(int(line.split()[1]) for line in f if line.startswith('rchar:'))
        if sleeping and read >= at_least:
            return read
        time.sleep(0.01)
    raise AssertionError('zorvane-calc read no input')


class WriteFailures(unittest.TestCase):
    def test_a_failed_write_is_reported_with_status_2(self):
        batch = b'power_vi 12 0.5\n' * 20000  # more than one buffer of answers
        cases = [
            # args, stdin, where the output goes, the reason
            (['power_vi', '1', '2'], b'', '/dev/full', b'No space left on device'),
            ([], batch, '/dev/full', b'No space left on device'),
            (['--list'], b'', '/dev/full', b'No space left on device'),
            (['--list=categories'], b'', '/dev/full', b'No space left on device'),
            (['--help'], b'', '/dev/full', b'No space left on device'),
            (['--version'], b'', '/dev/full', b'No space left on device'),
            ([], batch, 'limited file', b'File too large'),
        ]
        for args, stdin, target, reason in cases:
            with self.subTest(args=args, target=target), tempfile.TemporaryDirectory() as directory:
                limited = target == 'limited file'
                path = os.path.join(directory, 'out') if limited else target
                with open(path, 'wb') as out:
                    result = run(args, stdin, stdout=out,
                                 **(under_file_size_limit(1000) if limited else {}))
                self.assertEqual(result.returncode, 2)
                self.assertEqual(without_profiler_notes(result.stderr), WRITE_ERROR + reason + b'\n')

    def test_a_reader_gone_with_sigpipe_ignored_is_a_write_error(self):
        read_end, write_end = os.pipe()
        os.close(read_end)
        try:
            result = run([], b'power_vi 12 0.5\n' * 1000, stdout=write_end, restore_signals=False,
                         preexec_fn=lambda: signal.signal(signal.SIGPIPE, signal.SIG_IGN))
        finally:
            os.close(write_end)
        self.assertEqual(result.returncode, 2)
        self.assertEqual(result.stderr, WRITE_ERROR + b'Broken pipe\n')


class ReadFailures(unittest.TestCase):
    def test_a_directory_as_standard_input_is_a_read_error(self):
        directory = os.open('/', os.O_RDONLY)
        try:
            result = subprocess.run([CALC], stdin=directory, capture_output=True, timeout=60)
        finally:
            os.close(directory)
        self.assertEqual((result.returncode, result.stdout), (2, b''))
        self.assertEqual(result.stderr, b'zorvane-calc: read error: Is a directory\n')


class Reference(unittest.TestCase):
    def test_an_empty_directory_name_is_a_usage_error(self):
        with tempfile.TemporaryDirectory() as directory:
            result = run(['--reference', ''], cwd=directory)
            self.assertEqual((result.returncode, result.stdout, os.listdir(directory)), (2, b'', []))
            self.assertIn(b"Try 'zorvane-calc --help'", result.stderr)

    def test_a_file_size_limit_fails_the_write_and_leaves_nothing(self):
        with tempfile.TemporaryDirectory() as directory:
            result = run(['--reference', directory], **under_file_size_limit(1024))
            self.assertEqual(result.returncode, 1)  # not killed by SIGXFSZ
            self.assertEqual(result.stdout, b'Error: Could not create help file\n')
            self.assertEqual(os.listdir(directory), [])


class Memory(unittest.TestCase):
    def run_streaming(self, chunks):
        """Runs the tool on a stream; returns its output, status and peak resident memory.

        The peak is read while the tool waits for the end of input, from the
        kernel's high-water mark of its own address space (a child's
        ru_maxrss would include the memory of this Python process it was
        forked from)."""
        with tempfile.TemporaryFile() as out:
            child = subprocess.Popen([CALC], stdin=subprocess.PIPE, stdout=out)
            for chunk in chunks + [PROBE]:
                child.stdin.write(chunk)
            child.stdin.flush()
            # The peak is read once the tool has answered the probe, so it is
            # the peak of a tool that has read everything (not of a process
            # still being loaded).
            deadline = time.monotonic() + 60
            while not out_ends_with(out, PROBE_ANSWER) and time.monotonic() < deadline:
                time.sleep(0.01)
            with open('/proc/%d/status' % child.pid) as status:
                peak = next(int(line.split()[1]) * 1024 for line in status if line.startswith('VmHWM:'))
            child.stdin.close()
            child.wait(timeout=60)
            out.seek(0)
            output = out.read()
            self.assertTrue(output.endswith(PROBE_ANSWER))
            return output[:-len(PROBE_ANSWER)], child.returncode, peak

    def test_a_huge_line_is_refused_in_flat_memory(self):
        megabyte = b'power_vi ' + b'9' * (1 << 20)
        cases = [
            # what streams in, the answers expected
            ([megabyte] * 300 + [b'\npower_vi 1 2\n'], TOO_LONG + b'Power = 2.000000 W\n'),
            ([b'\x00' * (1 << 20)] * 300 + [b'\n'], TOO_LONG),
            ([b'power_vi 1 2\n' * 100000] * 20, b'Power = 2.000000 W\n' * 2000000),
        ]
        # The tool's own size (larger under a sanitizer) is no growth: the
        # peak after 300 MB of input is measured against one short command's.
        _, _, baseline = self.run_streaming([b'power_vi 1 2\n'])
        for chunks, expected in cases:
            with self.subTest(first=chunks[0][:12], megabytes=len(chunks)):
                output, status, peak = self.run_streaming(chunks)
                self.assertEqual(output, expected)
                self.assertLess(peak, baseline + (8 << 20))

    def test_the_line_limit_is_exact_with_either_line_end(self):
        spaces = 1020 - len('power_vi 1 2')  # the tool keeps 4 bytes per character of the module
        for end in (b'\n', b'\r\n'):
            with self.subTest(end=end):
                kept = b'power_vi 1 2' + b' ' * spaces
                result = run([], kept + end + kept + b' ' + end)
                self.assertEqual(result.stdout, TOO_LONG * 2)
                result = run([], b' ' * 200 + b'power_vi 1 2' + end)
                self.assertEqual(result.stdout, b'Power = 2.000000 W\n')

    def test_characters_of_four_bytes_reach_the_modules_own_limit(self):
        """255 characters fill the tool's line when each takes four bytes: the
        module answers them itself, from a line or from the arguments."""
        wide = '\U0001F600'.encode()
        unknown = b"Error: Unknown formula '" + b'?' * 24 + b"...' or insufficient parameters\n"
        cases = [
            # arguments, input, answer
            ([], wide * 255 + b'\r\n', unknown),
            ([], wide * 255 + b'\n', unknown),
            ([], wide * 256 + b'\r\n', TOO_LONG),
            ([wide * 255], b'', unknown),
            ([wide * 256], b'', TOO_LONG),
        ]
        for args, stdin, answer in cases:
            with self.subTest(args=len(args), stdin=stdin[-2:], size=len(stdin) + sum(map(len, args))):
                self.assertEqual(run(args, stdin).stdout, answer)


class CoProcess(unittest.TestCase):
    def test_each_answer_comes_before_the_next_command(self):
        child = subprocess.Popen([CALC], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.addCleanup(child.stdout.close)
        self.addCleanup(child.kill)
        for command, answer in [(b'power_vi 12 0.5\n', b'Power = 6.000000 W\n'),
                                (b'nosuch\n', b"Error: Unknown formula 'nosuch' or insufficient parameters\n"),
                                (b'resistors_parallel 1k 2k\n', 'Parallel Resistance = 666.666667 \u03a9\n'.encode()),
                                (b'# a comment\n', b'\n')]:
            child.stdin.write(command)
            child.stdin.flush()
            ready, _, _ = select.select([child.stdout], [], [], 10)
            self.assertTrue(ready, 'no answer to %r' % command)
            self.assertEqual(child.stdout.readline(), answer)
        child.stdin.close()
        self.assertEqual(child.wait(timeout=10), 1)


class InputFiles(unittest.TestCase):
    def test_byte_order_marks_and_line_ends(self):
        text = 'power_vi 12 0.5\r\nresistors_parallel 4.7k 10k\npower_vi 1 €\n'
        answers = ('Power = 6.000000 W\nParallel Resistance = 3197.278912 \u03a9\n'
                   "Error: Invalid number '€'\n").encode()
        cases = [
            ('plain UTF-8', text.encode()),
            ('UTF-8 with a mark', b'\xef\xbb\xbf' + text.encode()),
            ('UTF-16 LE', b'\xff\xfe' + text.encode('utf-16-le')),
            ('UTF-16 BE', b'\xfe\xff' + text.encode('utf-16-be')),
            ('UTF-16 LE, no line end at the end', b'\xff\xfe' + text.rstrip('\n').encode('utf-16-le')),
        ]
        for name, data in cases:
            with self.subTest(name), tempfile.TemporaryFile() as file:
                file.write(data)
                file.seek(0)
                result = subprocess.run([CALC], stdin=file, capture_output=True, timeout=60)
                self.assertEqual(result.stdout, answers)
                self.assertEqual(result.returncode, 1)

    def test_input_too_short_for_a_mark_is_text(self):
        cases = [
            (b'', b'', 0),  # the end of input, not a wait for a mark's first byte
            (b'\xef\xbb', b"Error: Unknown formula '??' or insufficient parameters\n", 1),
            (b'\xff', b"Error: Unknown formula '?' or insufficient parameters\n", 1),
        ]
        for data, answer, status in cases:
            with self.subTest(data=data):
                result = run([], data, timeout=10)
                self.assertEqual((result.stdout, result.returncode), (answer, status))

    def test_a_mark_split_across_reads_is_still_a_mark(self):
        cases = [
            (b'\xef\xbb', b'\xbfpower_vi 1 2\n'),
            (b'\xef', b'\xbb\xbfpower_vi 1 2\n'),
            (b'\xff', b'\xfe' + 'power_vi 1 2\n'.encode('utf-16-le')),
        ]
        for first, rest in cases:
            with self.subTest(first=first):
                child = subprocess.Popen([CALC], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
                self.addCleanup(child.kill)
                before = read_when_waiting(child.pid)
                child.stdin.write(first)
                child.stdin.flush()
                read_when_waiting(child.pid, before + len(first))  # the first read ends here
                child.stdin.write(rest)
                child.stdin.close()
                self.assertEqual(child.stdout.read(), b'Power = 2.000000 W\n')
                child.stdout.close()
                self.assertEqual(child.wait(timeout=10), 0)

    def test_odd_utf16_is_replaced_not_lost(self):
        cases = [
            # a pair across the end of input, a lone high surrogate, an odd last byte
            (b'\xff\xfe' + 'power_vi 1 𝛍\n'.encode('utf-16-le'), "Error: Invalid number '?'\n"),
            (b'\xff\xfe' + 'power_vi 1 '.encode('utf-16-le') + b'\x00\xd8', "Error: Invalid number '?'\n"),
            (b'\xfe\xff' + 'power_vi 1 2'.encode('utf-16-be') + b'\x00', "Error: Invalid number '2?'\n"),
        ]
        for data, answer in cases:
            with self.subTest(data=data):
                self.assertEqual(run([], data).stdout.decode(), answer)

    def test_control_characters_pass_unchanged_to_a_pipe(self):
        result = run([], b'power_vi 1 \x1b[2J\x7f\n')
        self.assertEqual(result.stdout, b"Error: Invalid number '\x1b[2J\x7f'\n")


if __name__ == '__main__':
    unittest.main(argv=sys.argv[:1], verbosity=2)
