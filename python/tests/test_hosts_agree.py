"""One question, one answer: for questions of every kind generated from a
seed, Python's answer (``to_dict()``, or an error's ``answer``) is the
object zorvane-calc --json writes, field for field."""

import collections
import json
import subprocess
import sys

import zorvane_calc
from conftest import SOURCE_DIR

sys.path.insert(0, str(SOURCE_DIR / "tests" / "hosts"))
import questions  # noqa: E402  (tests/hosts: the generator every host's test shares)

COUNT = 1000


def python_answer(command):
    try:
        return zorvane_calc.ask(command).to_dict()
    except zorvane_calc.ZorvaneError as error:
        return error.answer


def test_ask_gives_the_tools_json_for_generated_questions(zorvane_calc_tool):
    table = [(f.keyword, [a.unit for a in f.arguments]) for f in zorvane_calc.formulas()]
    asked = questions.questions(table, COUNT, 20261208)
    written = subprocess.run([zorvane_calc_tool, "--json"], input="\n".join(asked) + "\n",
                             capture_output=True, encoding="utf-8", check=False).stdout.splitlines()
    assert len(written) == len(asked)
    kinds = collections.Counter()
    for command, line in zip(asked, written):
        expected = json.loads(line)
        kinds[expected["kind"]] += 1
        assert python_answer(command) == expected, command
    # The generator reaches every kind of answer, errors among them.
    assert {"result", "solve", "range", "pair", "statistics", "design", "error"} <= set(kinds), kinds


def test_a_seed_past_two_to_the_53_survives():
    # 2^63 + 1 as a double is 2^63: the digits are kept, the seed read back whole.
    seed = 2 ** 63 + 1
    run = zorvane_calc.ask(f"--mc 200 --seed {seed} voltage_divider 12\u00b15% 10k 4k7")
    assert (run.kind, run.seed, run.to_dict()["seed"]) == ("statistics", seed, str(seed))
    same = zorvane_calc.monte_carlo("voltage_divider 12\u00b15% 10k 4k7", 200, seed=seed)
    assert same.to_dict() == run.to_dict()
    designed = zorvane_calc.design("voltage_divider 12 ? ? = 3.2..3.4", series="E96", mc=100,
                                   seed=seed, top=1)
    assert designed.seed == seed
