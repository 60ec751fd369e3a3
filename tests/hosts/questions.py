"""Questions of every kind, generated from a seed, for comparing the hosts'
answers with zorvane-calc --json: forward commands, solves, ranges, pairs,
statistics (seeds past 2^53 among them), designs, solves in two parts and
commands that fail.

As a program: reads the formulas as JSON ([{"keyword", "argumentUnits"}])
on standard input and writes COUNT questions from SEED, one a line.
    python3 questions.py COUNT SEED < formulas.json
"""

import json
import random
import sys

PREFIXES = {"\u03a9": ["", "k", "M"], "F": ["n", "u"], "H": ["u", "m"], "Hz": ["", "k"]}


def _value(rng, unit):
    """A positive value as a person types it: 4.7k, 12, 100n."""
    mantissa = rng.choice(["1", "2.2", "3.3", "4.7", "10", "12", "47", "100", "5", "0.5"])
    return mantissa + rng.choice(PREFIXES.get(unit, [""]))


def _tolerance(rng):
    return f"\u00b1{rng.choice(['0.1', '1', '2', '5', '10'])}%"


def _seed_option(rng):
    seed = rng.choice([1, 7, rng.randrange(2 ** 53), rng.randrange(2 ** 53, 2 ** 64)])
    return f"--seed {seed}"


def _question(rng, keyword, units):
    """One question of a kind drawn at random for one formula."""
    values = [_value(rng, unit) for unit in units]
    toleranced = [v + _tolerance(rng) if rng.random() < 0.6 else v for v in values]
    target = rng.choice(["1", "3.3", "0.5", "12", "100", "1k"])
    window = rng.choice([f"{target}\u00b1{rng.choice(['3', '10', '50'])}%", "0.1..100", "3.2..3.4"])
    unknown = rng.randrange(len(units))
    asked = [("?" if i == unknown else v) for i, v in enumerate(values)]
    kinds = {
        "forward": lambda: [keyword, *values],
        "solve": lambda: [keyword, *asked, "=", target],
        "series": lambda: ["--series", rng.choice(["E12", "E24", "E96"]), keyword, *asked, "=", target],
        "range": lambda: [keyword, *toleranced],
        "window": lambda: [keyword, *toleranced, "=", window],
        "mc": lambda: ["--mc", str(rng.choice([100, 500, 2000])), _seed_option(rng),
                       "--distribution", rng.choice(["uniform", "normal"]), keyword, *toleranced,
                       *(["=", window] if rng.random() < 0.5 else [])],
        "pair": lambda: ["--series E24", keyword, *["?" if i < 2 else v for i, v in enumerate(values)],
                         "=", target],
        "design": lambda: ["--series E24 --top 2", keyword,
                           *["?" if i in (0, len(units) - 1) else v + _tolerance(rng)
                             for i, v in enumerate(values)], "=", window],
        "combine": lambda: ["--series E24 --combine 2", keyword, *asked, "=", target],
        "wrong": lambda: [rng.choice([keyword, keyword + "x"]), *values[:-1],
                          rng.choice(["1,5", "?", "x", "1k\u00b1", "= 3"])],
    }
    return " ".join(kinds[rng.choice(sorted(kinds))]())


def questions(formulas, count, seed):
    """`count` questions from `seed` over `formulas` [(keyword, argument units)]."""
    rng = random.Random(seed)
    return [_question(rng, *rng.choice(formulas)) for _ in range(count)]


if __name__ == "__main__":
    table = [(f["keyword"], f["argumentUnits"]) for f in json.load(sys.stdin)]
    print("\n".join(questions(table, int(sys.argv[1]), int(sys.argv[2]))))
