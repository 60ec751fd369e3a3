#!/usr/bin/python3
"""zorvane_calc.evaluate over a million points of each row against a Python
loop over zorvane_calc.line, on one core (CPU times, for orientation: the
process's own, best of several runs, so that other work on a busy machine
counts as little as it can).

    PYTHONPATH=build/test/python bench/python_evaluate.py [POINTS] [ROWS...]

evaluate's loop is C++'s over the NumPy arrays; the loop over line formats a
command per point and parses the module's line back, as a script without
evaluate would. The loop runs over a sample of the points and is scaled up.
"""
import os
import sys
import time

import numpy as np

import zorvane_calc

SEED = 20261207


def best_of(runs, function):
    best = float("inf")
    for _ in range(runs):
        start = time.process_time()
        function()
        best = min(best, time.process_time() - start)
    return best


def main(argv):
    if hasattr(os, "sched_setaffinity"):
        os.sched_setaffinity(0, {min(os.sched_getaffinity(0))})
    points = int(argv[1]) if len(argv) > 1 else 1_000_000
    wanted = set(argv[2:])
    rng = np.random.default_rng(SEED)
    print(f"{'row':32} {'evaluate ms':>12} {'line loop ms':>13} {'ratio':>7}")
    worst = 0.0
    for formula in zorvane_calc.formulas():
        if wanted and formula.keyword not in wanted:
            continue
        arrays = [10.0 ** rng.uniform(-3, 3, points) for _ in formula.arguments]
        vectorised = best_of(5, lambda: zorvane_calc.evaluate(formula.keyword, *arrays))
        sample = min(points, 20_000)
        rows = list(zip(*(array[:sample].tolist() for array in arrays)))
        keyword = formula.keyword

        def loop():
            for values in rows:
                line = zorvane_calc.line(" ".join([keyword, *map(repr, values)]))
                float(line.partition(" = ")[2].split(" ")[0])

        looped = best_of(2, loop) * points / sample
        worst = max(worst, vectorised)
        print(f"{keyword:32} {vectorised * 1e3:12.2f} {looped * 1e3:13.0f} {looped / vectorised:7.0f}")
    print(f"slowest evaluate over {points} points: {worst * 1e3:.2f} ms")


if __name__ == "__main__":
    main(sys.argv)
