"""The answers' objects: attributes over the fields every host's answer has.

Each object holds the answer as the JavaScript module and ``zorvane-calc``
give it (the same field names, numbers that are not finite as ``None``);
the attributes read those fields, ``to_dict()`` returns them, and
``_repr_html_`` shows them in a notebook as the page does: values in
engineering notation with their units, written by the hosts' share (the
page's ``calc.format``), deviations and margins in percent as the tool's
lines write them.
"""

from __future__ import annotations

import copy
import html
import json
from dataclasses import dataclass
from typing import Any, NamedTuple, Optional

from . import _core
from ._fields import FIELDS


class ZorvaneError(ValueError):
    """The one error of the package: ``str(error)`` and ``error.line`` are the
    error line (``"Error: ..."``), as the module or ``zorvane-calc`` gives it
    for the same command; ``hints`` may help to fix the command.

    >>> import zorvane_calc
    >>> try:
    ...     zorvane_calc.solve("voltage_divider 12 10k ? = 15")
    ... except zorvane_calc.ZorvaneError as error:
    ...     print(error.line)
    Error: No r2 gives Output Voltage = 15 V
    """

    def __init__(self, line: str, hints: Optional[list[str]] = None,
                 answer: Optional[dict[str, Any]] = None) -> None:
        super().__init__(line)
        self.line = line
        self.hints = list(hints or [])
        self.answer = answer


def answer_fields(raw: Any) -> dict[str, Any]:
    """The fields of an answer: the extension hands over the JSON object the
    hosts' share writes for every host (a dict where none is written)."""
    return json.loads(raw) if isinstance(raw, str) else raw


def raise_for_error(fields: dict[str, Any]) -> dict[str, Any]:
    if fields["error"]:
        raise ZorvaneError(fields["line"], fields.get("hints"), fields)
    return fields


def _whole(digits: Optional[str]) -> Optional[int]:
    """A seed, which the JSON writes as its digits (exact past 2^53)."""
    return None if digits is None else int(digits)


def _eng(value: Optional[float], unit: str = "") -> str:
    """"3.7931 kΩ": the value as a result in ``unit`` is shown, by the hosts'
    share."""
    return "—" if value is None else _core.format(value, unit)


def _range(low: Optional[float], high: Optional[float], unit: str) -> str:
    return f"{_eng(low, unit)} .. {_eng(high, unit)}"


def _percent(fraction: Optional[float], signed: bool = False) -> str:
    """A deviation or margin in percent as the tool's lines write it, by the
    hosts' share: "-3.74%", with ``signed`` "+2.03%", from 100000 % on three
    digits ("1.23e+05%")."""
    if fraction is None:
        return "—"
    return ("+" if signed and fraction >= 0 else "") + _core.percent(fraction) + "%"


def _yield(fraction: Optional[float]) -> str:
    """"99.8700%": a yield as the tool writes it ("%.4f" of the percentage)."""
    return "—" if fraction is None else f"{fraction * 100.0:.4f}%"


def _table(rows: list[tuple[str, str]]) -> str:
    cells = "".join(
        f"<tr><th style='text-align:left'>{html.escape(name)}</th>"
        f"<td style='text-align:left'>{html.escape(value)}</td></tr>"
        for name, value in rows)
    return f"<table>{cells}</table>"


class _Fields:
    """An answer's fields, read through attributes."""

    __slots__ = ("_fields",)

    def __init__(self, fields: dict[str, Any]) -> None:
        self._fields = fields

    def to_dict(self) -> dict[str, Any]:
        """The answer's fields, as ``zorvane-calc --json`` writes them."""
        return copy.deepcopy(self._fields)

    def __eq__(self, other: object) -> bool:
        return type(other) is type(self) and other._fields == self._fields  # type: ignore[attr-defined]

    __hash__ = None  # type: ignore[assignment]

    def _caption(self) -> str:
        return ""

    def _rows(self) -> list[tuple[str, str]]:
        return []

    # A drawing under the table (the statistics' histogram).
    def _figure(self) -> str:
        return ""

    def _repr_html_(self) -> str:
        caption = self._caption()
        code = f"<code>{html.escape(caption)}</code>" if caption else ""
        return f"<div>{code}{_table(self._rows())}{self._figure()}</div>"


class Answer(_Fields):
    """What every answer to a question has: ``line`` (what ``zorvane-calc``
    prints), ``engineering`` (the same with ``-e``), ``hints`` and
    ``evaluations`` (of the formula's arithmetic, spent to answer)."""

    # The unit of the formula's result, which the notebook's table shows.
    __slots__ = ("_unit",)

    def __init__(self, fields: dict[str, Any], unit: str = "") -> None:
        super().__init__(fields)
        self._unit = unit

    @property
    def kind(self) -> str:
        """``"solve"``, ``"range"``, ``"pair"``, ``"statistics"`` or ``"design"``; for
        a command the module answers itself, its kind (``"result"``, ...)."""
        return self._fields["kind"]

    @property
    def line(self) -> str:
        return self._fields["line"]

    @property
    def engineering(self) -> str:
        return self._fields["eng"]

    @property
    def hints(self) -> list[str]:
        return list(self._fields["hints"])

    @property
    def evaluations(self) -> int:
        return self._fields["evaluations"]

    def __repr__(self) -> str:
        return f"{type(self).__name__}({self.line!r})"

    def _caption(self) -> str:
        return self.engineering


class StandardNeighbour(NamedTuple):
    value: Optional[float]
    result: Optional[float]
    deviation: Optional[float]


class Solution(Answer):
    """The values of one argument that give the target (``solve``)."""

    __slots__ = ()

    @property
    def argument(self) -> str:
        return self._fields["argument"]

    @property
    def index(self) -> int:
        return self._fields["index"]

    @property
    def unit(self) -> str:
        return self._fields["unit"]

    @property
    def target(self) -> Optional[float]:
        return self._fields["target"]

    @property
    def solutions(self) -> list[Optional[float]]:
        return list(self._fields["solutions"])

    @property
    def standard(self) -> list[StandardNeighbour]:
        return [StandardNeighbour(**item) for item in self._fields["standard"]]

    def _rows(self) -> list[tuple[str, str]]:
        rows = [(self.argument, " or ".join(_eng(s, self.unit) for s in self.solutions)),
                ("target", _eng(self.target, self._unit))]
        rows += [(f"standard {_eng(n.value, self.unit)}",
                  f"{_eng(n.result, self._unit)} ({_percent(n.deviation, signed=True)})")
                 for n in self.standard]
        return rows


class Range(Answer):
    """The result at the nominal values and its worst case over the
    tolerances (``range``)."""

    __slots__ = ()

    @property
    def value(self) -> Optional[float]:
        return self._fields["value"]

    @property
    def min(self) -> Optional[float]:
        return self._fields["min"]

    @property
    def max(self) -> Optional[float]:
        return self._fields["max"]

    def _rows(self) -> list[tuple[str, str]]:
        return [(name, _eng(value, self._unit))
                for name, value in (("value", self.value), ("min", self.min), ("max", self.max))]


class Pair(Answer):
    """The two standard values whose result is nearest the target
    (``pairs``)."""

    __slots__ = ()

    @property
    def arguments(self) -> list[str]:
        return list(self._fields["arguments"])

    @property
    def indices(self) -> list[int]:
        return list(self._fields["indices"])

    @property
    def unit(self) -> str:
        return self._fields["unit"]

    @property
    def values(self) -> list[Optional[float]]:
        return list(self._fields["values"])

    @property
    def result(self) -> Optional[float]:
        return self._fields["result"]

    @property
    def target(self) -> Optional[float]:
        return self._fields["target"]

    @property
    def deviation(self) -> Optional[float]:
        return self._fields["deviation"]

    def _rows(self) -> list[tuple[str, str]]:
        rows = list(zip(self.arguments, (_eng(v, self.unit) for v in self.values)))
        rows += [("result", _eng(self.result, self._unit)),
                 ("target", _eng(self.target, self._unit)),
                 ("deviation", _percent(self.deviation, signed=True))]
        return rows


class Contribution(NamedTuple):
    argument: str
    index: int
    share: Optional[float]


class Percentile(NamedTuple):
    percent: float
    value: Optional[float]


class Histogram(NamedTuple):
    edges: list[Optional[float]]
    counts: list[int]


class Statistics(Answer):
    """The worst case, the verdict on a result window, each value's share of
    the variance and the figures of a Monte Carlo run (``monte_carlo``)."""

    __slots__ = ("_svg",)

    def __init__(self, fields: dict[str, Any], figure: str = "", unit: str = "") -> None:
        super().__init__(fields, unit)
        self._svg = figure

    def _get(self, key: str) -> Any:
        return self._fields.get(key)

    @property
    def value(self) -> Optional[float]:
        return self._get("value")

    @property
    def worst(self) -> tuple[Optional[float], Optional[float]]:
        worst = self._get("worst") or {}
        return worst.get("min"), worst.get("max")

    @property
    def window(self) -> Optional[dict[str, Any]]:
        """``low``, ``high``, ``inside``, ``lowMargin``, ``highMargin``, or None."""
        window = self._get("window")
        return dict(window) if window else None

    @property
    def contributions(self) -> list[Contribution]:
        return [Contribution(**item) for item in self._get("contributions") or []]

    @property
    def samples(self) -> Optional[int]:
        return self._get("samples")

    @property
    def seed(self) -> Optional[int]:
        """The run's seed; ``to_dict()`` holds its digits, as every host's JSON does."""
        return _whole(self._get("seed"))

    @property
    def distribution(self) -> Optional[str]:
        return self._get("distribution")

    @property
    def mean(self) -> Optional[float]:
        return self._get("mean")

    @property
    def sd(self) -> Optional[float]:
        return self._get("sd")

    @property
    def min(self) -> Optional[float]:
        return self._get("min")

    @property
    def max(self) -> Optional[float]:
        return self._get("max")

    @property
    def percentiles(self) -> list[Percentile]:
        return [Percentile(**item) for item in self._get("percentiles") or []]

    @property
    def exact_percentiles(self) -> Optional[bool]:
        return self._get("exactPercentiles")

    @property
    def yield_(self) -> Optional[float]:
        """The fraction of samples inside the window (``yield`` in ``to_dict()``)."""
        return self._get("yield")

    @property
    def ppm(self) -> Optional[float]:
        return self._get("ppm")

    @property
    def cpk(self) -> Optional[float]:
        return self._get("cpk")

    @property
    def histogram(self) -> Optional[Histogram]:
        histogram = self._get("histogram")
        return Histogram(list(histogram["edges"]), list(histogram["counts"])) if histogram else None

    def _rows(self) -> list[tuple[str, str]]:
        unit = self._unit
        rows = [("value", _eng(self.value, unit)), ("worst case", _range(*self.worst, unit))]
        if self.window:
            rows.append(("window", f"{_range(self.window['low'], self.window['high'], unit)}"
                                   f" ({'inside' if self.window['inside'] else 'outside'})"))
        if self.samples:
            rows += [("samples", f"{self.samples} ({self.distribution}, seed {self.seed})"),
                     ("mean", _eng(self.mean, unit)), ("sd", _eng(self.sd, unit)),
                     ("sampled", _range(self.min, self.max, unit))]
            rows += [(f"{p.percent:g}%", _eng(p.value, unit)) for p in self.percentiles]
            if self.yield_ is not None:
                rows += [("yield", _yield(self.yield_)), ("ppm outside", _eng(self.ppm)),
                         ("Cpk", "undefined" if self.cpk is None else f"{self.cpk:.3f}")]
        rows += [(f"variance: {c.argument}", f"{c.share:.1%}" if c.share is not None else "—")
                 for c in self.contributions]
        return rows

    def _figure(self) -> str:
        # The histogram as every host draws it (the page too).
        return self._svg


class DesignCandidate(NamedTuple):
    """A design's candidate: the standard values, the nominal result, its
    worst case, the margin to the window's nearer edge (over the window's
    width), the deviation from its centre and, with ``mc``, the yield;
    ``also``: the same standard values in other decades that pass alike,
    ``((24000.0, 9100.0), (240000.0, 91000.0))`` for 2400/910."""

    values: list[Optional[float]]
    nominal: Optional[float]
    min: Optional[float]
    max: Optional[float]
    margin: Optional[float]
    deviation: Optional[float]
    yield_: Optional[float] = None
    also: tuple[tuple[float, ...], ...] = ()


def _candidate(fields: dict[str, Any]) -> DesignCandidate:
    return DesignCandidate(list(fields["values"]), fields["nominal"], fields["min"], fields["max"],
                           fields["margin"], fields["deviation"], fields.get("yield"),
                           tuple(tuple(values) for values in fields.get("also", ())))


class Design(Answer):
    """The standard values for the values written ``?`` whose worst case lies
    inside the window, best first (``design``)."""

    __slots__ = ()

    @property
    def lines(self) -> list[str]:
        """The heading, then one line per candidate, as ``zorvane-calc`` prints them."""
        return list(self._fields["lines"])

    @property
    def arguments(self) -> list[str]:
        return list(self._fields["arguments"])

    @property
    def indices(self) -> list[int]:
        return list(self._fields["indices"])

    @property
    def units(self) -> list[str]:
        return list(self._fields["units"])

    @property
    def window(self) -> dict[str, Optional[float]]:
        """``low``, ``high`` and ``centre``."""
        return dict(self._fields["window"])

    @property
    def series(self) -> list[str]:
        return list(self._fields["series"])

    @property
    def tolerances(self) -> list[Optional[float]]:
        return list(self._fields["tolerances"])

    @property
    def tried(self) -> int:
        return self._fields["tried"]

    @property
    def passing(self) -> int:
        return self._fields["passing"]

    @property
    def candidates(self) -> list[DesignCandidate]:
        return [_candidate(c) for c in self._fields["candidates"]]

    @property
    def best(self) -> Optional[DesignCandidate]:
        """The best candidate: the first listed, with all it carries (its
        yield too), or, when none passes, the one nearest to passing."""
        best = self._fields["best"]
        if not best:
            return None
        listed = self._fields["candidates"]
        # The answer's own "best" leaves out the yield of a listed candidate.
        if listed and listed[0]["values"] == best["values"]:
            return _candidate(listed[0])
        return _candidate(best)

    @property
    def samples(self) -> Optional[int]:
        return self._fields.get("samples")

    @property
    def seed(self) -> Optional[int]:
        return _whole(self._fields.get("seed"))

    @property
    def distribution(self) -> Optional[str]:
        return self._fields.get("distribution")

    def _caption(self) -> str:
        # The heading; the candidates are the table's rows.
        lines = self._fields.get("engLines")
        return lines[0] if lines else self.engineering

    def _rows(self) -> list[tuple[str, str]]:
        unit, window = self._unit, self.window
        rows = [("window", _range(window["low"], window["high"], unit)),
                ("passing", f"{self.passing} of {self.tried}")]
        for rank, c in enumerate(self.candidates, 1):
            values = ", ".join(f"{name} = {_eng(value, part)}"
                               for name, value, part in zip(self.arguments, c.values, self.units))
            # As the tool's line: no deviation from a window centred on zero.
            deviation = "" if window["centre"] == 0 else f" ({_percent(c.deviation, signed=True)})"
            text = (f"{values}: {_eng(c.nominal, unit)}{deviation}, "
                    f"worst case {_range(c.min, c.max, unit)}, margin {_percent(c.margin)}")
            if c.yield_ is not None:
                text += f", yield {_yield(c.yield_)}"
            rows.append((f"{rank}.", text))
        return rows


def _plain_property(field: str) -> property:
    return property(lambda self: copy.deepcopy(self._fields.get(field)),
                    doc=f"The answer's ``{field}``, as ``to_dict()`` holds it.")


def _attribute(field: str) -> str:
    """``partTolerance``: ``part_tolerance``."""
    return "".join("_" + c.lower() if c.isupper() else c for c in field)


# The fields of each kind that its class gives no reading of its own are
# read as they are, by the names the schema gives them (docs/answer.schema.json,
# through _fields.py, which is generated from it).
for _kind, _class in (("solve", Solution), ("range", Range), ("pair", Pair),
                      ("statistics", Statistics), ("design", Design)):
    for _field in FIELDS[_kind]:
        if not hasattr(_class, _attribute(_field)) and _field not in ("eng", "yield", "error"):
            setattr(_class, _attribute(_field), _plain_property(_field))


class StandardValues(_Fields):
    """The series values around a value: ``below``, ``above`` and ``nearest``."""

    __slots__ = ()

    @property
    def below(self) -> Optional[float]:
        return self._fields["below"]

    @property
    def above(self) -> Optional[float]:
        return self._fields["above"]

    @property
    def nearest(self) -> Optional[float]:
        return self._fields["nearest"]

    def __repr__(self) -> str:
        return (f"StandardValues(below={self.below!r}, above={self.above!r}, "
                f"nearest={self.nearest!r})")

    def _rows(self) -> list[tuple[str, str]]:
        return [("below", _eng(self.below)), ("above", _eng(self.above)),
                ("nearest", _eng(self.nearest))]


class Argument(NamedTuple):
    """One value a formula takes: its name, its unit (UTF-8, ``""`` for a
    ratio) and its domain, ``"magnitude"`` (never negative) or ``"signed"``."""

    name: str
    unit: str
    domain: str


@dataclass(frozen=True)
class Formula:
    """One formula of the table: ``keyword`` as typed, its ``category``, its
    ``arguments`` in order, the result's ``label`` and ``unit``."""

    keyword: str
    category: str
    label: str
    unit: str
    description: str
    usage: str
    arguments: tuple[Argument, ...]
