#!/usr/bin/env python3
"""zorvane-calc.exe under Wine: its modes, options and exit statuses through
pipes and files (where standard output is UTF-8 bytes), then through a
console (a pseudo-terminal, which Wine makes a Windows console), where the
tool writes and reads UTF-16.

    zorvane_calc_under_wine.py WINE EXE SOURCE_DIR
"""
import os
import pty
import re
import select
import signal
import subprocess
import sys
import tempfile
import time
import tty

wine, exe, source_dir = sys.argv[1:4]
# Wine turns the Unix command line into UTF-16 by the locale's encoding.
env = dict(os.environ, LC_ALL="C.UTF-8")
failures = []

NO_COMMAND = b"' or insufficient parameters\n"
DIRECTORY = object()  # standard input that cannot be read: a directory
FULL = "/dev/full"    # standard output that cannot be written

# what, arguments, standard input, standard output (or where it goes),
# status, what standard error holds.
PIPE_CASES = [
    ("one-shot", ["power_vi", "12", "0.5"], None, b"Power = 6.000000 W\n", 0, b""),
    ("one-shot, an error line", ["power_vi", "12"], None,
     b"Error: Unknown formula 'power_vi" + NO_COMMAND, 1, b""),
    ("a bad option", ["--frobnicate", "power_vi", "1", "2"], None, b"", 2,
     b"zorvane-calc: unrecognized option '--frobnicate'\nTry 'zorvane-calc --help'"),
    ("an empty reference directory", ["--reference", ""], None, b"", 2,
     b"zorvane-calc: empty directory name for '--reference'\n"),
    ("a UTF-16 argument: the prefix \u00b5", ["power_vi", "1000", "2\u00b5"], None,
     b"Power = 0.002000 W\n", 0, b""),
    ("a UTF-16 argument echoed", ["caf\u00e9", "1"], None,
     b"Error: Unknown formula 'caf\xc3\xa9" + NO_COMMAND, 1, b""),
    ("engineering notation in UTF-8", ["-e", "ohms_resistance", "4.7k", "1"], None,
     b"Resistance = 4.7 k\xce\xa9\n", 0, b""),
    ("batch: one line each, CR LF, a comment", [],
     b"junction_temperature 25 10 2\r\npower_vi 12 0.5\nbogus\n# a note\nthermal_resistance 50 2",
     b"Junction Temperature = 45.000000 \xc2\xb0C\nPower = 6.000000 W\n"
     b"Error: Unknown formula 'bogus" + NO_COMMAND + b"\nThermal Resistance = 25.000000 \xc2\xb0C/W\n",
     1, b""),
    ("batch: UTF-16 with a byte-order mark", [],
     "\ufeffpower_vi 1000 2\u00b5\r\n".encode("utf-16-le"), b"Power = 0.002000 W\n", 0, b""),
    ("a write error", ["power_vi", "12", "0.5"], None, FULL, 2, b"zorvane-calc: write error: "),
    ("a read error", [], DIRECTORY, b"", 2, b"zorvane-calc: read error: "),
]

checks = 0


def check(what, condition, detail):
    global checks
    checks += 1
    if not condition:
        failures.append(f"{what}: {detail}")


def run(arguments, stdin=None, stdout=subprocess.PIPE, cwd=None):
    """stdin: bytes to pipe in, a file descriptor, or None for no input."""
    streams = {"input": stdin} if isinstance(stdin, bytes) else \
        {"stdin": subprocess.DEVNULL if stdin is None else stdin}
    # Bytes, so that the arguments are UTF-8 whatever Python's own locale.
    command = [wine, exe, *(argument.encode() for argument in arguments)]
    return subprocess.run(command, stdout=stdout, stderr=subprocess.PIPE,
                          env=env, cwd=cwd, timeout=120, **streams)


def check_pipes():
    for what, arguments, stdin, expected, status, error in PIPE_CASES:
        directory = os.open(source_dir, os.O_RDONLY) if stdin is DIRECTORY else None
        with open(expected if expected is FULL else os.devnull, "wb") as sink:
            done = run(arguments, stdin=directory if stdin is DIRECTORY else stdin,
                       stdout=sink if expected is FULL else subprocess.PIPE)
        if directory is not None:
            os.close(directory)
        output = b"" if expected is FULL else done.stdout
        wanted = b"" if expected is FULL else expected
        # Wine's own notes may come before the tool's words on standard error.
        check(what, (output, done.returncode) == (wanted, status) and error in done.stderr,
              f"got {output!r}, status {done.returncode}, {done.stderr!r}; "
              f"expected {wanted!r}, {status}, {error!r}")


def check_list_and_reference():
    with open(os.path.join(source_dir, "tests/vectors/formulas.tsv"), encoding="utf-8") as rows:
        keywords = {line.split()[0] for line in rows if line.strip() and not line.startswith("#")}
    done = run(["--list"])
    listed = done.stdout.decode().splitlines()
    check("--list", done.returncode == 0 and len(listed) == len(keywords) == 50
          and {line.split()[0] for line in listed} == keywords,
          f"status {done.returncode}, {len(listed)} lines for {len(keywords)} formulas")
    # A directory whose name the ANSI code page 1252 could not hold.
    into = "Z\u00fcrich \u03a9".encode()
    with tempfile.TemporaryDirectory() as work:
        os.mkdir(os.path.join(work.encode(), into))
        done = run(["--reference", into.decode()], cwd=work)
        with open(os.path.join(source_dir, "tests/golden/electronics_formulas.txt"), "rb") as f:
            golden = f.read()
        written = os.path.join(work.encode(), into, b"electronics_formulas.txt")
        content = open(written, "rb").read() if os.path.exists(written) else b"(none)"
        check("--reference DIR",
              done.returncode == 0 and content == golden
              and done.stdout == b"Help file 'electronics_formulas.txt' created successfully!\n",
              f"status {done.returncode}, {done.stdout!r}, {len(content)} bytes written")
        check("--reference DIR: nothing else", os.listdir(os.path.join(work.encode(), into))
              == [b"electronics_formulas.txt"], "a temporary file was left")


def visible(screen):
    """The console's text: its cursor movements to the right as the spaces
    they stand for, without its other escape sequences and carriage returns."""
    spaced = re.sub(rb"\x1b\[(\d*)C", lambda move: b" " * int(move[1] or 1), screen)
    return re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]", b"", spaced).replace(b"\r", b"")


def console_session(arguments, typed, input_file=None):
    """Runs the tool at a console (standard input from `input_file` if
    given); each (shown, text) of `typed` types text once the console shows
    `shown` after what was typed before. Returns the console's visible text
    and the exit status."""
    pid, terminal = pty.fork()
    if pid == 0:
        if input_file is not None:
            os.dup2(os.open(input_file, os.O_RDONLY), 0)
        os.execve(wine, [wine, exe, *arguments], env)
    # Keys reach the console as typed (Enter as CR, no echo by the terminal)
    # even before Wine's console has set the terminal up itself.
    tty.setraw(terminal)
    screen = b""
    position = 0
    pending = list(typed)
    deadline = time.monotonic() + 120
    while time.monotonic() < deadline:
        if pending and (found := visible(screen).find(pending[0][0], position)) >= 0:
            position = found + len(pending[0][0])
            os.write(terminal, pending.pop(0)[1])
        if not select.select([terminal], [], [], 1)[0]:
            continue
        try:
            chunk = os.read(terminal, 4096)
        except OSError:  # the console is gone: the program ended
            chunk = b""
        if not chunk:
            break
        screen += chunk
    else:
        os.kill(pid, signal.SIGKILL)
    os.close(terminal)
    _, status = os.waitpid(pid, 0)
    return visible(screen), os.waitstatus_to_exitcode(status)


def check_console():
    text, status = console_session(["junction_temperature", "25", "10", "2"], [])
    check("console: one-shot with °", status == 0
          and b"Junction Temperature = 45.000000 \xc2\xb0C\n" in text, f"{text!r}, status {status}")
    text, status = console_session([], [(b"\n> ", "power_vi 1000 2\u00b5\r".encode()),
                                        (b"Power = ", b"quit\r")])
    check("console: the prompt reads UTF-16", status == 0
          and b"Power = 0.002000 W\n" in text, f"{text!r}, status {status}")
    # A batch from a file to the console. Empty answers (a byte each) first,
    # so that the tool's 64 KiB buffer fills between the two bytes of a °.
    line = "Junction Temperature = 45.000000 \u00b0C\n".encode()
    empty_answers = (65536 - line.index(b"\xb0")) % len(line)
    with tempfile.NamedTemporaryFile(suffix=".txt") as batch:
        batch.write(b"#\n" * empty_answers + b"junction_temperature 25 10 2\n" * 2000)
        batch.flush()
        text, status = console_session([], [], batch.name)
    degrees = text.count(b"\xc2\xb0C")
    check("console: a ° cut by a full buffer",
          status == 0 and degrees == 2000 and b"\xef\xbf\xbd" not in text,
          f"status {status}, {degrees} times °C")


def check_statistics():
    """The shared statistics vectors: the same JSON lines from the same seeds."""
    path = os.path.join(source_dir, "tests", "vectors", "statistics.tsv")
    with open(path, encoding="utf-8") as vectors:
        for line in vectors:
            if line.startswith("#") or not line.strip():
                continue
            arguments, expected = line.rstrip("\n").split("\t", 1)
            done = run(["--json", *arguments.split(" ")])
            check(f"statistics: {arguments}", done.stdout == expected.encode() + b"\n",
                  f"status {done.returncode}: {done.stdout[:200]!r}")


check_pipes()
check_statistics()
check_list_and_reference()
check_console()
for failure in failures:
    print("FAILED", failure)
print(f"zorvane-calc.exe: {checks - len(failures)} checks passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
