"""solve, pairs, range and standard_values: the same answers as zorvane-calc
for the same commands, and their fields."""

import json
import subprocess
from xml.etree import ElementTree

import pytest

import zorvane_calc
from conftest import VECTOR_DIR, load_vectors  # noqa: F401 (the shared reader)
from pathlib import Path


def questions():
    """(series or None, command) of questions.txt and of the shared range
    commands."""
    out = []
    for text in (Path(__file__).parent / "questions.txt").read_text("utf-8").splitlines():
        if text and not text.startswith("#"):
            series, command = text.split("\t")
            out.append((None if series == "-" else series, command))
    for text in (VECTOR_DIR / "range_commands.txt").read_text("utf-8").splitlines():
        if text and not text.startswith("#"):
            out.append((None, text))
    return out


def tool_answers(tool, options, commands):
    """zorvane-calc --json's answer to each command, in batch mode."""
    run = subprocess.run([tool, "--json", *options], input="\n".join(commands) + "\n",
                         capture_output=True, encoding="utf-8", check=False)
    assert run.returncode in (0, 1), run.stderr
    answers = [json.loads(line) for line in run.stdout.splitlines()]
    assert len(answers) == len(commands)
    return answers


def ask(series, command):
    asked = command.count("?")
    if asked == 2 and series:
        return zorvane_calc.pairs(command, series)
    if asked:
        return zorvane_calc.solve(command, series=series)
    return zorvane_calc.range(command)


def same_answers(tool, options, commands, function):
    """Each command's answer from `function` is the tool's, field for field;
    an error raises ZorvaneError with the tool's answer (its hints may differ:
    monte_carlo answers a question with ? as a run, where the tool solves).
    The number of errors."""
    errors = 0
    for command, expected in zip(commands, tool_answers(tool, options, commands)):
        if expected["error"]:
            errors += 1
            with pytest.raises(zorvane_calc.ZorvaneError) as raised:
                function(command)
            assert raised.value.line == expected["line"], command
            hintless = {key: value for key, value in expected.items() if key != "hints"}
            assert {key: value for key, value in raised.value.answer.items()
                    if key != "hints"} == hintless, command
        else:
            answer = function(command)
            assert answer.to_dict() == expected, command
            assert (answer.line, answer.engineering) == (expected["line"], expected["eng"])
    return errors


def test_questions_are_answered_as_the_tool_answers_them(zorvane_calc_tool):
    cases = questions()
    groups = {}
    for series, command in cases:
        groups.setdefault(series, []).append(command)
    errors = 0
    for series, commands in groups.items():
        options = ["--series", series] if series else []
        errors += same_answers(zorvane_calc_tool, options, commands,
                               lambda command, series=series: ask(series, command))
    assert 0 < errors < len(cases)


def test_monte_carlo_runs_are_the_tools(zorvane_calc_tool):
    runs = {}
    for text in (Path(__file__).parent / "statistics.txt").read_text("utf-8").splitlines():
        if text and not text.startswith("#"):
            settings, command = text.split("\t")
            runs.setdefault(tuple(settings.split()), []).append(command)
    errors = 0
    for (samples, seed, distribution), commands in runs.items():
        options = ["--mc", samples, "--seed", seed, "--distribution", distribution]
        errors += same_answers(
            zorvane_calc_tool, options, commands,
            lambda command, samples=samples, seed=seed, distribution=distribution:
                zorvane_calc.monte_carlo(command, int(samples), seed=int(seed),
                                         distribution=distribution))
    assert errors > 0


def drawing(run):
    """The run's histogram as its notebook view draws it, parsed."""
    view = run._repr_html_()
    svg = view[view.index("<svg"):view.index("</svg>") + len("</svg>")]
    return ElementTree.fromstring(svg)


@pytest.mark.parametrize("window", ["3.3±3%", "3.8..3.9"])
def test_a_run_shows_its_histogram(window):
    run = zorvane_calc.monte_carlo(f"voltage_divider 12±5% 10k±1% 4k7±1% = {window}", 20_000, seed=3)
    edges, counts = run.histogram
    assert sum(counts) == run.samples == 20_000 and len(edges) == len(counts) + 1
    assert (edges[0], edges[-1]) == run.worst
    assert sum(c.share for c in run.contributions) == pytest.approx(1.0)
    svg = drawing(run)
    ns = {"svg": "http://www.w3.org/2000/svg"}
    width = float(svg.get("viewBox").split()[2])
    assert svg.find("svg:title", ns).text.startswith("Histogram of 20000 results in 40 bins")
    # A bar per bin that holds samples, as tall as its count over the tallest
    # and at least 1/64 of it, as the tool draws it.
    bars = svg.findall("svg:g[@class='bars']/svg:rect", ns)
    filled = [(i, c) for i, c in enumerate(counts) if c]
    assert len(bars) == len(filled)
    tallest = max(float(bar.get("height")) for bar in bars)
    for bar, (i, count) in zip(bars, filled):
        assert float(bar.get("x")) == pytest.approx(i * width / len(counts), abs=0.01)
        assert float(bar.get("height")) == pytest.approx(tallest * max(count / max(counts), 1 / 64), abs=0.01)
    # The window's edges, dashed where they fall within the worst case.
    low, high = run.window["low"], run.window["high"]
    inside = [edge for edge in (low, high) if edges[0] <= edge <= edges[-1]]
    lines = svg.findall("svg:g[@class='window']/svg:line", ns)
    assert [float(line.get("x1")) for line in lines] == pytest.approx(
        [(edge - edges[0]) / (edges[-1] - edges[0]) * width for edge in inside], abs=0.01)
    assert run.to_dict()["yield"] == run.yield_
    assert (run.yield_ == 0.0) == (not inside)


@pytest.mark.parametrize("options", [
    {"samples": 0}, {"samples": -5}, {"samples": 10 ** 12}, {"samples": 2.5},
    {"samples": "1000"}, {"samples": True}, {"samples": float("nan")},
    {"seed": -1}, {"seed": 2 ** 64}, {"seed": 1.5}, {"distribution": "weird"},
    {"distribution": "\udcff"}, {"command": "voltage_divider 12 10k 4k7"},
    {"command": "voltage_divider 12±5% 10k ? = 3.3"},
    {"command": "voltage_divider 12±5% 10k 4k7 = 3.4..3.2"},
])
def test_bad_runs_raise_the_one_error(options):
    command = options.pop("command", "voltage_divider 12±5% 10k±1% 4k7")
    with pytest.raises(zorvane_calc.ZorvaneError) as raised:
        zorvane_calc.monte_carlo(command, **{"samples": 100, **options})
    assert raised.value.line.startswith("Error: ")


def test_a_solution_reads_back_to_its_target():
    answer = zorvane_calc.solve("impedance_rlc_series 10 ? 1m 1u = 50")
    assert (answer.argument, answer.index, answer.unit) == ("frequency", 1, "Hz")
    assert len(answer.solutions) == 2 and answer.solutions[0] < answer.solutions[1]
    for frequency in answer.solutions:
        value = zorvane_calc.evaluate("impedance_rlc_series", 10, frequency, 1e-3, 1e-6)
        assert abs(value - 50) < 1e-9
    with_series = zorvane_calc.solve("voltage_divider 12 10k ? = 3.3", series="E24")
    for neighbour in with_series.standard:
        result = zorvane_calc.evaluate("voltage_divider", 12, 10e3, neighbour.value)
        assert neighbour.result == result
        assert neighbour.deviation == pytest.approx((result - 3.3) / 3.3, rel=1e-12)


def test_a_pair_and_a_range_carry_their_numbers():
    pair = zorvane_calc.pairs("voltage_divider 12 ? ? = 3.3", "e24")
    assert pair.arguments == ["r1", "r2"] and pair.indices == [1, 2]
    assert pair.result == zorvane_calc.evaluate("voltage_divider", 12, *pair.values)
    ranged = zorvane_calc.range("power_vi 12±5% 0.5")
    assert (ranged.min, ranged.value, ranged.max) == (
        zorvane_calc.evaluate("power_vi", 12 * (1 - 0.05), 0.5), 6.0,
        zorvane_calc.evaluate("power_vi", 12 * (1 + 0.05), 0.5))
    assert ranged == zorvane_calc.range(b"power_vi 12\xc2\xb15% 0.5")
    assert zorvane_calc.range("power_vi 12+-5% 0.5").to_dict() == ranged.to_dict()


def test_standard_values_are_the_tables():
    rng = __import__("random").Random(20261207)
    table = {"E3": [1.0, 2.2, 4.7], "E6": [1.0, 1.5, 2.2, 3.3, 4.7, 6.8]}
    for series, mantissas in table.items():
        for _ in range(200):
            decade = 10.0 ** rng.randrange(-11, 8)
            value = decade * rng.uniform(1.0, 10.0)
            found = zorvane_calc.standard_values(value, series)
            grid = [m * decade for m in mantissas] + [10 * decade]
            below = max(g for g in grid if g <= value)
            above = min(g for g in grid if g >= value)
            assert found.below == pytest.approx(below, rel=1e-15)
            assert found.above == pytest.approx(above, rel=1e-15)
            assert found.nearest in (found.below, found.above)
    exact = zorvane_calc.standard_values(4.7e3, "E12")
    assert exact.to_dict() == {"below": 4700.0, "above": 4700.0, "nearest": 4700.0}


@pytest.mark.parametrize("call", [
    lambda: zorvane_calc.standard_values(0.0, "E24"),
    lambda: zorvane_calc.standard_values(float("nan"), "E24"),
    lambda: zorvane_calc.standard_values(-1.0, "E24"),
    lambda: zorvane_calc.standard_values("4k7", "E24"),
    lambda: zorvane_calc.standard_values(4700, "E25"),
    lambda: zorvane_calc.standard_values(4700, None),
    lambda: zorvane_calc.solve("voltage_divider 12 10k ? = 3.3", series="E5"),
    lambda: zorvane_calc.pairs("voltage_divider 12 ? ? = 3.3", "\udcff"),
    lambda: zorvane_calc.evaluate("\udcff", 1),
    lambda: zorvane_calc.solve("voltage_divider 12 10k ? = 3.3" + " " * 10_000_000),
    lambda: zorvane_calc.solve(b"voltage_divider 12 \xff ? = 3.3"),
    lambda: zorvane_calc.range("voltage_divider 12 10k±nan% 4k7"),
    lambda: zorvane_calc.range("power_vi 12 0.5"),
    lambda: zorvane_calc.pairs("voltage_divider 12 10k ? = 3.3", "E24"),
])
def test_bad_questions_raise_the_one_error(call):
    with pytest.raises(zorvane_calc.ZorvaneError) as raised:
        call()
    assert raised.value.line.startswith("Error: ")


def test_a_candidates_margin_and_deviation_are_its_own():
    """The margin is the nearer edge's clearance over the window's width, the
    deviation the nominal's from the window's centre, each candidate's own."""
    found = zorvane_calc.design("voltage_divider 12±1% ? ? = 3.2..3.4", series="E96", top=5)
    assert len(found.candidates) == 5
    for c in found.candidates:
        assert c.margin == pytest.approx(min(c.min - 3.2, 3.4 - c.max) / 0.2, rel=1e-9)
        assert c.deviation == pytest.approx((c.nominal - 3.3) / 3.3, rel=1e-9)


def test_design_is_the_tools_design(zorvane_calc_tool):
    """design() with the tool's options as keywords: the object zorvane-calc
    --json writes for the same command, its candidates' worst cases inside
    the window (and so a yield of 1 with mc), and no candidate an error."""
    command = "voltage_divider 12±1% ? ? = 3.2..3.4"
    found = zorvane_calc.design(command, series={"R": "E96"}, top=3, within="1k..100k",
                                mc=2000, seed=5)
    [expected] = tool_answers(zorvane_calc_tool, ["--series", "R=E96", "--top", "3", "--within", "1k..100k",
                                     "--mc", "2000", "--seed", "5"], [command])
    assert found.to_dict() == expected
    assert found.kind == "design" and found.line == expected["line"]
    assert (found.samples, found.seed, found.distribution) == (2000, 5, "uniform")
    assert len(found.candidates) == 3 and found.candidates[0].values == found.best.values
    for candidate in found.candidates:
        assert 3.2 <= candidate.min <= candidate.max <= 3.4
        assert candidate.yield_ == 1.0
    assert found.best == found.candidates[0]
    with pytest.raises(zorvane_calc.ZorvaneError) as raised:
        zorvane_calc.design("voltage_divider 12 10k ? = 3.2..3.4", series="E24")
    assert raised.value.answer["best"]["values"] == [3900.0]
    with pytest.raises(zorvane_calc.ZorvaneError, match="Invalid count '0' for '--top'"):
        zorvane_calc.design(command, series="E96", top=0)
