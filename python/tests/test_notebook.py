"""What a notebook shows of the answers (engineering values with units,
deviations in percent), the error for a whole command given as a name, and
a design's best candidate."""

import html
import random
import re

import pytest

import zorvane_calc
from zorvane_calc._answers import _percent


def cells(answer):
    """The notebook table's rows: {heading: cell}."""
    rows = re.findall(r"<th[^>]*>(.*?)</th><td[^>]*>(.*?)</td>", answer._repr_html_())
    return {html.unescape(name): html.unescape(value) for name, value in rows}


# Expected cells worked out by hand: six significant digits, trailing zeros
# dropped, the prefix of the power of 1000 at or below the value.
#   r2 = 3.3 * 10k / (12 - 3.3) = 3793.1034 Ω; 12 * 3600 / 13600 = 3.176470 V,
#   (3.176470 - 3.3) / 3.3 = -3.743 %; 12 * 3900 / 13900 = 3.366906 V, +2.027 %
#   C = 1 / (2π 1k 10k) = 15.91549 nF
#   12 * 9100 / 33100 = 3.2990937 V, -0.0275 %
#   12 V ± 5 % times 0.5 A: 5.7 .. 6.3 W
#   12 * 4.7k / 14.7k = 3.8367347 V
@pytest.mark.parametrize("ask, expected", [
    (lambda: zorvane_calc.solve("voltage_divider 12 10k ? = 3.3", series="E24"),
     {"r2": "3.7931 kΩ", "target": "3.3 V", "standard 3.6 kΩ": "3.17647 V (-3.74%)",
      "standard 3.9 kΩ": "3.36691 V (+2.03%)"}),
    (lambda: zorvane_calc.solve("rc_lowpass_cutoff 1k ? = 10k"),
     {"capacitance": "15.9155 nF", "target": "10 kHz"}),
    (lambda: zorvane_calc.pairs("voltage_divider 12 ? ? = 3.3", "E24"),
     {"r1": "24 kΩ", "r2": "9.1 kΩ", "result": "3.29909 V", "target": "3.3 V",
      "deviation": "-0.03%"}),
    (lambda: zorvane_calc.range("power_vi 12±5% 0.5"),
     {"value": "6 W", "min": "5.7 W", "max": "6.3 W"}),
    (lambda: zorvane_calc.monte_carlo("voltage_divider 12±5% 10k±1% 4k7±1% = 3.6..4.0", 1000),
     {"value": "3.83673 V", "window": "3.6 V .. 4 V (outside)"}),
])
def test_the_table_shows_engineering_values_with_units(ask, expected):
    shown = cells(ask())
    assert {name: shown.get(name) for name in expected} == expected


def test_yields_margins_and_deviations_are_in_percent():
    run = zorvane_calc.monte_carlo("voltage_divider 12±5% 10k±1% 4k7±1% = 3.6..4.0", 2000)
    assert cells(run)["yield"] == f"{run.yield_ * 100:.4f}%"
    found = zorvane_calc.design("voltage_divider 12±1% ? ? = 3.2..3.4", series="E96", top=3,
                                mc=500)
    shown = cells(found)
    for rank, c in enumerate(found.candidates, 1):
        row = shown[f"{rank}."]
        assert re.match(r"r1 = [\d.]+ k?Ω, r2 = [\d.]+ k?Ω: [\d.]+ V \(", row), row
        for part in (f"({c.deviation * 100:+.2f}%)", f"margin {c.margin * 100:.2f}%",
                     f"yield {c.yield_ * 100:.4f}%"):
            assert part in row


def test_deviations_are_written_as_the_tools_line_writes_them():
    # The standard neighbours of seeded targets: the table's percentages are
    # the ones in the tool's line, each rounded from its own fraction.
    rng = random.Random(20261207)
    for _ in range(40):
        target = round(rng.uniform(0.05, 11.9), rng.randrange(1, 9))
        answer = zorvane_calc.solve(f"voltage_divider 12 10k ? = {target}", series="E96")
        shown = [value.rsplit(" (", 1)[1][:-1]
                 for name, value in cells(answer).items() if name.startswith("standard")]
        assert shown and shown == re.findall(r"\(([-+]\d+\.\d\d%)\)", answer.line)


@pytest.mark.parametrize("fraction, signed, text", [
    (-0.0374331, True, "-3.74%"),
    (0.0139408, False, "1.39%"),
    (-0.0, True, "+0.00%"),   # no "-" for a zero
    (-1e-7, True, "-0.00%"),  # a negative deviation keeps its sign
    (1 / 32, False, "3.12%"),  # 3.125 exactly: half to even
    (0.00065, False, "0.06%"),  # the double is 0.000649999...: below the half
    (999.9999, True, "+99999.99%"),
    (1234.5678, True, "+1.23e+05%"),
    (-5e7, True, "-5.00e+09%"),
    (None, True, "—"),
])
def test_a_percentage_is_the_tools(fraction, signed, text):
    assert _percent(fraction, signed) == text


@pytest.mark.parametrize("name, message, hint", [
    ("voltage_divider 12 10k 4k7", "evaluate('voltage_divider', 12.0, 10000.0, 4700.0)",
     "line('voltage_divider 12.0 10000.0 4700.0')"),
    ("power_vi 12V 500m", "evaluate('power_vi', 12.0, 0.5)", "line('power_vi 12.0 0.5')"),
    ("voltage_divider 12 10k ? = 3.3", "evaluate('voltage_divider', vin, r1, r2)", "solve"),
    ("power_vi 12", "evaluate('power_vi', voltage, current)", "solve"),
    ("nosuch 1 2", "Error: Unknown formula 'nosuch' or insufficient parameters", "evaluate takes"),
])
def test_a_whole_command_for_a_name_says_what_to_call(name, message, hint):
    with pytest.raises(zorvane_calc.ZorvaneError) as raised:
        zorvane_calc.evaluate(name)
    assert message in raised.value.line and hint in raised.value.hints[0]
    suggested = re.match(r"line\('(.*)'\)", raised.value.hints[0])
    if suggested:
        assert not zorvane_calc.line(suggested[1]).startswith("Error")


def test_a_command_where_the_series_goes_is_named():
    command = "voltage_divider 12 ? ? = 3.3"
    with pytest.raises(zorvane_calc.ZorvaneError) as raised:
        zorvane_calc.pairs("E24", command)
    assert raised.value.hints == [f"pairs takes the command first, then the series: "
                                  f"pairs({command!r}, 'E24')"]


@pytest.mark.parametrize("options", [{"mc": 1000}, {"mc": 300, "seed": 9, "top": 1}, {}])
def test_the_best_is_the_first_candidate_with_all_it_carries(options):
    found = zorvane_calc.design("voltage_divider 12±1% ? ? = 3.2..3.4", series="E24",
                                tolerance="1%", **options)
    assert found.best == found.candidates[0]
    assert (found.best.yield_ is None) == ("mc" not in options)
