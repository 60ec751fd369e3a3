"""Electronics formulas: the calculator module's lines, its questions, and
its rows evaluated over NumPy arrays.

>>> import zorvane_calc
>>> zorvane_calc.line("power_vi 12 0.5")
'Power = 6.000000 W'
>>> zorvane_calc.evaluate("voltage_divider", vin=12, r1=10e3, r2=4.7e3)
3.836734693877551
>>> zorvane_calc.solve("voltage_divider 12 10k ? = 3.3").solutions
[3793.103448275862]

Every answer is the one ``zorvane-calc`` and the JavaScript module give:
the same lines, the same numbers, the same fields in ``to_dict()``. An
error raises :class:`ZorvaneError` carrying the error line.
"""

from __future__ import annotations

import json
import re
from typing import Any, Optional, Union

import numpy as np

from . import _core
from ._answers import (Answer, Argument, Contribution, Design, DesignCandidate, Formula, Histogram,
                       Pair, Percentile, Range, Solution, StandardNeighbour, StandardValues,
                       Statistics, ZorvaneError, answer_fields, raise_for_error)

__all__ = [
    "Answer", "Argument", "Contribution", "Design", "DesignCandidate", "Formula", "Histogram",
    "Pair", "Percentile", "Range", "Solution", "StandardNeighbour", "StandardValues", "Statistics",
    "ZorvaneError", "ask", "design", "evaluate", "formulas", "line", "monte_carlo", "pairs", "range",
    "series_names", "solve", "standard_values",
]

# The classes are the package's, wherever they are written.
for _public in (Answer, Argument, Contribution, Design, DesignCandidate, Formula, Histogram, Pair,
                Percentile, Range, Solution, StandardNeighbour, StandardValues, Statistics,
                ZorvaneError):
    _public.__module__ = __name__

__version__ = _core.VERSION

Command = Union[str, bytes]


def _command(command: Command) -> bytes:
    """The command as UTF-8 bytes. A str is read as the UTF-16 a host hands
    ElectronicsCalc; bytes as UTF-8, each byte that is not read as U+FFFD,
    as zorvane-calc reads its input."""
    if isinstance(command, str):
        try:
            data = command.encode("utf-8")
        except UnicodeEncodeError:
            # A lone surrogate is one UTF-16 unit that the module reads as
            # one character outside its code page: one U+FFFD here.
            data = (command.encode("utf-16-le", "surrogatepass")
                    .decode("utf-16-le", "replace").encode("utf-8"))
    elif isinstance(command, (bytes, bytearray, memoryview)):
        data = bytes(command)
    else:
        raise TypeError(f"a command is a str or bytes, not {type(command).__name__}")
    if b"\0" in data:
        # The module reads a command up to its first NUL; a caller's text
        # past it would be dropped without a word.
        raise ZorvaneError("Error: Command holds a NUL character")
    return data


def line(command: Command) -> str:
    """The module's line for one command, exactly what ``ElectronicsCalc``
    returns (``?`` for the ohm sign, which its character set lacks).

    Plain numbers only, as the module reads them: ``line("power_vi 12 0.5")``;
    ``4.7k`` or ``12V`` are invalid numbers here (``solve`` and ``range`` read
    them). An error is a line too, never an exception; ``"/help"`` writes
    the reference file into the current directory, as the module does:

    >>> line("ohms_current 12 4.7e3")
    'Current = 0.002553 A'
    >>> line("ohms_voltage 2.5")
    "Error: Unknown formula 'ohms_voltage' or insufficient parameters"
    """
    return _core.line(_command(command))


_KEYWORD = re.compile(r"[A-Za-z0-9_]{1,64}")


def _unknown(name: str) -> ZorvaneError:
    """The module's own error line for a name no formula has."""
    word = name if _KEYWORD.fullmatch(name) else re.sub(r"[^A-Za-z0-9_]", "?", name[:64]) or "?"
    return ZorvaneError(_core.line(word.encode()))


def _numbers(words: list[str]) -> Optional[list[str]]:
    """Each word as a float's repr, or None where one is no number."""
    try:
        return [repr(float(word)) for word in words]
    except ValueError:
        return None


def _whole_command(command: str) -> ZorvaneError:
    """The error for a whole command where a formula's name goes, with the
    call meant: the command's values in plain decimal where it has one
    number for each of the formula's values, else their names."""
    keyword, *words = _core.expand(_command(command)).split()
    row = _core.find(keyword)
    if row is None:
        return ZorvaneError(_unknown(keyword).line,
                            ["evaluate takes a formula's name, then its values apart"])
    names = [argument.name for argument in _formulas_by_keyword()[row.keyword].arguments]
    numbers = _numbers(words) if len(words) == len(names) else None
    if numbers is None:
        hint = "a question (?, ±, =) goes whole to solve, range, pairs, monte_carlo or design"
    else:
        hint = (f"line({' '.join([row.keyword, *numbers])!r}) answers the whole command, "
                f"as the module reads it")
    call = ", ".join([repr(row.keyword), *(numbers or names)])
    return ZorvaneError(f"Error: evaluate takes a formula's name, then its values apart, "
                        f"not a whole command: evaluate({call})", [hint])


def _row(name: str) -> Any:
    if not isinstance(name, str):
        raise TypeError(f"a formula's name is a str, not {type(name).__name__}")
    if len(name.split()) > 1:
        raise _whole_command(name)
    row = _core.find(name) if name.isascii() else None
    if row is None:
        raise _unknown(name)
    return row


def _float_array(name: str, value: Any) -> np.ndarray:
    if isinstance(value, (str, bytes, bytearray)):
        raise ZorvaneError(f"Error: {name} is not a number: {value!r:.60}")
    try:
        array = np.asarray(value)
        if array.dtype == object and array.ndim == 0:
            array = np.asarray(float(value))
    except (TypeError, ValueError, OverflowError) as error:
        raise ZorvaneError(f"Error: {name} is not a number or an array of numbers") from error
    if array.dtype.kind not in "iuf":
        raise ZorvaneError(f"Error: {name} is not a number or an array of numbers "
                           f"(dtype {array.dtype})")
    return array.astype(np.float64, copy=False)


def evaluate(name: str, /, *values: Any, **named: Any) -> Any:
    """The formula ``name`` at every point of its values: floats, or NumPy
    arrays (and sequences) that broadcast together.

    Values are given in the formula's order or by argument name (as
    ``formulas()`` lists them). The result is a float when every value is a
    scalar, else an array of the broadcast shape, each element the double
    the module prints for that point. Where the formula's zero guard
    answered (a division by zero, the logarithm of a ratio that is not
    positive), the element is NaN, not the module's 0, so a guarded point
    cannot pass for a computed one. NaN and infinite values go through the
    arithmetic as they are. The loop is C++'s: a million points take
    milliseconds.

    >>> evaluate("power_vi", 12, 0.5)
    6.0
    >>> evaluate("ohms_current", voltage=[1.0, 2.0, 3.0], resistance=0)
    array([nan, nan, nan])
    >>> evaluate("resistors_series", np.array([[1.0], [2.0]]), np.array([10.0, 20.0]))
    array([[11., 21.],
           [12., 22.]])

    A whole command where the name goes is refused with the call meant:

    >>> evaluate("power_vi 12V 500m")
    Traceback (most recent call last):
      ...
    zorvane_calc.ZorvaneError: Error: evaluate takes ... command: evaluate('power_vi', 12.0, 0.5)
    """
    row = _row(name)
    formula = _formulas_by_keyword()[row.keyword]
    names = [argument.name for argument in formula.arguments]
    if len(values) > len(names):
        raise ZorvaneError(f"Error: {formula.keyword} takes {len(names)} values "
                           f"({', '.join(names)}), {len(values)} given")
    given = dict(zip(names, values))
    for key, value in named.items():
        if key not in names:
            raise ZorvaneError(f"Error: {formula.keyword} has no value named {key!r} "
                               f"({', '.join(names)})")
        if key in given:
            raise ZorvaneError(f"Error: {formula.keyword} got {key} twice")
        given[key] = value
    missing = [key for key in names if key not in given]
    if missing:
        raise ZorvaneError(_core.line(formula.keyword.encode()),
                           [f"{formula.keyword} needs {', '.join(missing)} too"])
    arrays = [_float_array(key, given[key]) for key in names]
    try:
        np.broadcast_shapes(*(array.shape for array in arrays))
    except ValueError as error:
        shapes = ", ".join(str(array.shape) for array in arrays)
        raise ZorvaneError(f"Error: values of shapes {shapes} do not broadcast together") from error
    padding = [0.0] * (4 - len(arrays))
    return _core.evaluate(row, *arrays, *padding)


def _series(series: Any, function: str = "") -> str:
    if not isinstance(series, str) or not series.isascii() or not _core.is_series(series):
        # A command where the series goes: the arguments swapped.
        hints = ([f"{function} takes the command first, then the series: "
                  f"{function}({series!r}, 'E24')"]
                 if function and isinstance(series, str) and " " in series.strip() else [])
        raise ZorvaneError(f"Error: Unknown series {series!r} "
                           f"({', '.join(_core.series_names())})", hints)
    return series


def series_names() -> list[str]:
    """The IEC 60063 series: ``['E3', 'E6', 'E12', 'E24', 'E48', 'E96', 'E192']``."""
    return _core.series_names()


def solve(command: Command, *, series: Optional[str] = None, expand: bool = True) -> Solution:
    """Solves for the value written ``?``, as ``zorvane-calc`` does: every
    solution in the argument's domain, increasing, and with a series the
    standard neighbours of each. Values may carry prefixes and units
    (``10k``, ``4k7``, ``12V``) unless ``expand`` is false.

    >>> answer = solve("voltage_divider 12 10k ? = 3.3", series="E24")
    >>> answer.line
    'r2 = 3793.103448275862 Ω; E24: 3600 Ω → 3.176471 V (-3.74%), 3900 Ω → 3.366906 V (+2.03%)'
    >>> [n.value for n in answer.standard]
    [3600.0, 3900.0]
    """
    options = {} if series is None else {"series": _series(series)}
    return _ask(command, options, "solve", expand)


def range(command: Command, *, expand: bool = True) -> Range:  # noqa: A001 (the tool's word)
    """The result and its worst case over tolerances written ``±`` (or
    ``+-``) in percent: every combination of values within them.

    >>> answer = range("voltage_divider 12 10k±1% 4.7k")
    >>> answer.line
    'Output Voltage = 3.836735 V (3.810811 .. 3.863014 V)'
    >>> answer.min < answer.value < answer.max
    True
    """
    return _ask(command, {}, "range", expand)


def pairs(command: Command, series: str, *, expand: bool = True) -> Pair:
    """For two values of one kind written ``?``: the pair of standard values
    in ``series`` whose result is nearest the target.

    >>> pairs("voltage_divider 12 ? ? = 3.3", "E24").values
    [24000.0, 9100.0]
    """
    return _ask(command, {"series": _series(series, "pairs")}, "pair", expand)


def standard_values(value: float, series: str) -> StandardValues:
    """The values of ``series`` next to ``value``: the largest at or below
    it, the smallest at or above it, and the nearer of the two by ratio.

    >>> standard_values(3793.1, "E24")
    StandardValues(below=3600.0, above=3900.0, nearest=3900.0)
    """
    which = _series(series)
    if isinstance(value, (str, bytes)):
        raise ZorvaneError(f"Error: value is not a number: {value!r:.60}")
    try:
        number = float(value)
    except (TypeError, ValueError, OverflowError) as error:
        raise ZorvaneError("Error: value is not a number") from error
    found = _core.standard_values(number, which)
    if found is None:
        raise ZorvaneError(f"Error: No {which} values next to {number!r}: "
                           f"a value must be finite and above zero")
    return StandardValues(answer_fields(found))


# Every command goes to the extension's one answer, which replies with the
# hosts' JSON and its kind; the answer's class is the kind's.
_CLASSES: dict[str, type[Answer]] = {"solve": Solution, "range": Range, "pair": Pair,
                                     "statistics": Statistics, "design": Design}


def _ask(command: Command, options: dict[str, str], kind: str, expand: bool) -> Any:
    """The answer to ``command`` of its own kind (with ``kind``, that kind's
    own answer where the command asks another), or ZorvaneError."""
    raw, answered, unit, figure = _core.answer(_command(command), json.dumps(options), kind,
                                               expand)
    fields = raise_for_error(answer_fields(raw))
    if answered == "statistics":
        return Statistics(fields, figure, unit)
    return _CLASSES.get(answered, Answer)(fields, unit)


def ask(command: Command, *, expand: bool = True, **options: Any) -> Answer:
    """Any command answered as ``zorvane-calc --json`` answers it, the options
    beside it as the tool's without the dashes (``series="E24"``, ``mc=1000``,
    ``seed=7``): a :class:`Solution`, :class:`Range`, :class:`Pair`,
    :class:`Statistics` or :class:`Design` by what the command asks, or an
    :class:`Answer` for a command the module answers itself. ``to_dict()``
    gives the fields ``--json`` writes; an error raises :class:`ZorvaneError`.

    >>> ask("voltage_divider 12 10k±1% 4k7").kind
    'range'
    >>> ask("--mc 1000 --seed 6131790410650751224 voltage_divider 12±5% 10k 4k7").seed
    6131790410650751224
    """
    words = {name.replace("_", "-"): _option_word(value) for name, value in options.items()}
    return _ask(command, words, "", expand)


def monte_carlo(command: Command, samples: int = _core.DEFAULT_SAMPLES, *, seed: int = 1,
                distribution: str = "uniform", expand: bool = True) -> Statistics:
    """A Monte Carlo run over the values' tolerances (``±`` in percent), as
    ``zorvane-calc --mc SAMPLES --seed SEED --distribution DISTRIBUTION``
    answers it: the same seed gives the same numbers on every platform. A
    result window after ``=`` (``3.3±3%`` or ``3.2..3.4``) adds the yield, the
    parts per million outside and Cpk. ``distribution`` is ``"uniform"``
    within the tolerance, or ``"normal"`` with the tolerance as 3 sigma,
    cut off there.

    >>> run = monte_carlo("voltage_divider 12±5% 10k±1% 4k7±1% = 3.6..4.0", 10_000, seed=7)
    >>> run.samples, run.window["inside"], [c.argument for c in run.contributions]
    (10000, False, ['vin', 'r1', 'r2'])
    >>> 0.9 < run.yield_ < 0.95
    True
    """
    # The options are read by the question grammar, as the tool's --mc,
    # --seed and --distribution are; what is no number of the kind asked
    # goes as its repr, which the grammar refuses in its own words.
    def whole(value: Any, kinds: tuple[type, ...]) -> str:
        if isinstance(value, bool) or not isinstance(value, kinds):
            return repr(value)
        return str(int(value)) if isinstance(value, (int, np.integer)) else repr(float(value))

    options = {"mc": whole(samples, (int, float, np.integer, np.floating)),
               "seed": whole(seed, (int, np.integer)),
               "distribution": distribution if isinstance(distribution, str)
               and distribution.isascii() else ascii(distribution)}
    return _ask(command, options, "statistics", expand)


def _option_word(value: Any) -> str:
    """An option's argument as the tool's command line writes it: per kind
    of part as ``R=E24,C=E12`` from a dict, numbers as their digits."""
    if isinstance(value, dict):
        return ",".join(f"{kind}={_option_word(each)}" for kind, each in value.items())
    if isinstance(value, (int, np.integer)) and not isinstance(value, bool):
        return str(int(value))
    return value if isinstance(value, str) and value.isascii() else ascii(value)


def design(command: Command, *, expand: bool = True, **options: Any) -> Design:
    """A design from standard parts, as ``zorvane-calc`` answers it: one or
    two values written ``?`` and a window after ``=``. The options are the
    tool's, without the dashes: ``series`` (``"E96"``, or per kind
    ``{"R": "E24", "C": "E12"}``), ``tolerance``, ``within``, ``top``, and
    ``mc``, ``seed``, ``distribution`` for each candidate's yield. No
    candidate passing raises :class:`ZorvaneError`, whose ``answer`` holds
    the best one and what would make it pass.

    >>> found = design("voltage_divider 12±1% ? ? = 3.2..3.4", series="E96", top=2,
    ...                within="1k..100k")
    >>> [c.values for c in found.candidates]
    [[13700.0, 5230.0], [3090.0, 1180.0]]
    """
    words = {name.replace("_", "-"): _option_word(value) for name, value in options.items()}
    return _ask(command, words, "design", expand)


_FORMULAS: Optional[tuple[Formula, ...]] = None


def _formula(fields: dict[str, Any]) -> Formula:
    """A formula from the one JSON form every host lists them in."""
    arguments = tuple(Argument(name[1:-1], unit, domain) for name, unit, domain in
                      zip(fields["arguments"], fields["argumentUnits"], fields["argumentDomains"]))
    return Formula(keyword=fields["keyword"], category=fields["category"], label=fields["label"],
                   unit=fields["unit"], description=fields["referenceDescription"],
                   usage=fields["usage"], arguments=arguments)


def formulas() -> list[Formula]:
    """Every formula, in the table's order, with its category, arguments
    (name, unit, domain) and result.

    >>> f = formulas()[0]
    >>> f.keyword, [a.name for a in f.arguments], f.unit
    ('ohms_voltage', ['current', 'resistance'], 'V')
    """
    global _FORMULAS
    if _FORMULAS is None:
        _FORMULAS = tuple(_formula(fields) for fields in json.loads(_core.formulas()))
    return list(_FORMULAS)


_BY_KEYWORD: Optional[dict[str, Formula]] = None


def _formulas_by_keyword() -> dict[str, Formula]:
    global _BY_KEYWORD
    if _BY_KEYWORD is None:
        _BY_KEYWORD = {formula.keyword: formula for formula in formulas()}
    return _BY_KEYWORD
