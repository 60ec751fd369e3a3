"""evaluate(): the rows over arrays against the independent reference model,
the scalar path, the module's line, and values that are not numbers."""

import math

import numpy as np
import pytest

import zorvane_calc
from conftest import load_reference_model

SEED = 20261207


@pytest.fixture(scope="module")
def guarded_nan_rows():
    """The reference model's rows, with a zero guard answering NaN (as
    evaluate documents) instead of the module's 0; a guarded reactance
    makes its impedance guarded too."""
    model = load_reference_model()
    nan = float("nan")
    model.guarded = lambda condition, value: nan if condition else value()
    plain_xc = model.xc
    model.xc = lambda f, c: nan if f == 0.0 or c == 0.0 else plain_xc(f, c)
    rows = {row[0]: (row[1], row[2]) for row in model.ROWS}
    rows["capacitor_reactance"] = (2, model.xc)
    return rows


def values(rng, shape):
    """Typical magnitudes of either sign, zeros, small integers, NaN and
    infinities."""
    size = int(np.prod(shape))
    kind = rng.integers(0, 20, size)
    out = rng.choice([-1.0, 1.0], size) * 10.0 ** rng.uniform(-6, 6, size)
    out[kind == 0] = 0.0
    out[kind == 1] = rng.integers(-3, 4, int(np.sum(kind == 1)))
    out[kind == 2] = np.nan
    out[kind == 3] = rng.choice([-np.inf, np.inf], int(np.sum(kind == 3)))
    return out.reshape(shape)


def module_number(line):
    return line.partition(" = ")[2].split(" ")[0]


def test_every_row_over_broadcast_arrays_matches_the_reference_and_the_scalar_path(
        guarded_nan_rows):
    rng = np.random.default_rng(SEED)
    for formula in zorvane_calc.formulas():
        count, function = guarded_nan_rows[formula.keyword]
        assert count == len(formula.arguments), formula.keyword
        # Alternate axes, so that every pair of neighbours broadcasts.
        arrays = [values(rng, (40, 1) if i % 2 == 0 else (1, 30)) for i in range(count)]
        result = zorvane_calc.evaluate(formula.keyword, *arrays)
        grid = np.broadcast_arrays(*arrays)
        assert result.shape == grid[0].shape, formula.keyword
        with np.errstate(all="ignore"):  # the model's own overflows, as IEEE has them
            expected = np.vectorize(lambda *point: function(*map(float, point)),
                                    otypes=[float])(*grid)
        np.testing.assert_array_equal(result, expected, err_msg=formula.keyword)

        # Named values give the same; floats give the array's element; the
        # module prints the same double (its 0 where evaluate has the guard's NaN).
        named = {argument.name: array for argument, array in zip(formula.arguments, arrays)}
        np.testing.assert_array_equal(zorvane_calc.evaluate(formula.keyword, **named), result)
        for _ in range(25):
            point = tuple(int(rng.integers(0, n)) for n in result.shape)
            scalars = [float(array[point]) for array in grid]
            scalar = zorvane_calc.evaluate(formula.keyword, *scalars)
            assert isinstance(scalar, float)
            assert scalar == result[point] or (math.isnan(scalar) and math.isnan(result[point]))
            if all(math.isfinite(v) for v in scalars):
                command = " ".join([formula.keyword] + [repr(v) for v in scalars])
                printed = module_number(zorvane_calc.line(command))
                # (NaN: a guard answered, for the whole or for a part.)
                if not math.isnan(scalar):
                    assert printed in ("%.6f" % scalar, "%.6e" % scalar), (command, printed)


def test_the_guard_answers_nan_where_the_module_prints_0():
    np.testing.assert_array_equal(
        zorvane_calc.evaluate("ohms_current", [12.0, 12.0, 0.0], [0.0, 4.0, 0.0]),
        [np.nan, 3.0, np.nan])
    assert zorvane_calc.line("ohms_current 12 0") == "Current = 0.000000 A"
    assert math.isnan(zorvane_calc.evaluate("gain_db", -1.0))
    assert zorvane_calc.evaluate("gain_db", 10.0) == 20.0


def test_arrays_of_any_layout_and_type():
    base = np.arange(24, dtype=np.float64).reshape(4, 6)
    expected = base * 2.0
    for voltage in (base, base.T.copy().T, np.asfortranarray(base), base[::-1][::-1],
                    base.astype(np.float32), base.astype(np.int64), base.tolist()):
        np.testing.assert_array_equal(zorvane_calc.evaluate("power_vi", voltage, 2), expected)
    np.testing.assert_array_equal(
        zorvane_calc.evaluate("power_vi", base[:, ::2], 2.0), expected[:, ::2])
    assert zorvane_calc.evaluate("power_vi", np.float64(3), np.array(2.0)) == 6.0
    assert zorvane_calc.evaluate("power_vi", np.empty((0, 3)), 1.0).shape == (0, 3)
    assert zorvane_calc.evaluate("POWER_VI", 1, 2) == 2.0


UNKNOWN = "Error: Unknown formula '{}' or insufficient parameters"


@pytest.mark.parametrize("call, line", [
    (lambda: zorvane_calc.evaluate("nosuch", 1), UNKNOWN.format("nosuch")),
    (lambda: zorvane_calc.evaluate("power_vi", 12), UNKNOWN.format("power_vi")),
    (lambda: zorvane_calc.evaluate("power_vi", voltage=12), UNKNOWN.format("power_vi")),
    (lambda: zorvane_calc.evaluate("/help"), UNKNOWN.format("?help")),
    (lambda: zorvane_calc.evaluate("", 1), UNKNOWN.format("?")),
    (lambda: zorvane_calc.evaluate("x" * 10_000_000, 1), None),
    (lambda: zorvane_calc.evaluate("power_vi", 1, 2, 3), None),
    (lambda: zorvane_calc.evaluate("power_vi", 1, 2, volts=3), None),
    (lambda: zorvane_calc.evaluate("power_vi", 1, 2, current=3), None),
    (lambda: zorvane_calc.evaluate("power_vi", "12V", 1), None),
    (lambda: zorvane_calc.evaluate("power_vi", b"12", 1), None),
    (lambda: zorvane_calc.evaluate("power_vi", 1j, 1), None),
    (lambda: zorvane_calc.evaluate("power_vi", [1, [2, 3]], 1), None),
    (lambda: zorvane_calc.evaluate("power_vi", {"a": 1}, 1), None),
    (lambda: zorvane_calc.evaluate("power_vi", object(), 1), None),
    (lambda: zorvane_calc.evaluate("power_vi", True, 1), None),
    (lambda: zorvane_calc.evaluate("power_vi", np.zeros(3), np.zeros(4)), None),
    (lambda: zorvane_calc.evaluate("power_vi", np.zeros((2, 3)), np.zeros((3, 2))), None),
])
def test_bad_values_raise_the_one_error(call, line):
    with pytest.raises(zorvane_calc.ZorvaneError) as raised:
        call()
    assert raised.value.line.startswith("Error: ") and len(raised.value.line) < 200
    assert str(raised.value) == raised.value.line
    if line is not None:
        assert raised.value.line == line


@pytest.mark.parametrize("name", [None, 12, b"power_vi"])
def test_a_name_is_text(name):
    with pytest.raises(TypeError):
        zorvane_calc.evaluate(name, 1, 2)


def test_formulas_carry_units_and_domains():
    rows = zorvane_calc.formulas()
    assert len(rows) == len({row.keyword for row in rows}) == 50
    divider = next(row for row in rows if row.keyword == "voltage_divider")
    assert divider.arguments == (zorvane_calc.Argument("vin", "V", "signed"),
                                 zorvane_calc.Argument("r1", "\u03a9", "magnitude"),
                                 zorvane_calc.Argument("r2", "\u03a9", "magnitude"))
    assert (divider.category, divider.label, divider.unit) == ("Resistors", "Output Voltage", "V")
    assert all(a.domain in ("signed", "magnitude") for row in rows for a in row.arguments)
