"""The answers' objects: attributes over the fields every host's answer has.

Each object holds the answer as the JavaScript module and ``zorvane-calc``
give it (the same field names, numbers that are not finite as ``None``);
the attributes read those fields, ``to_dict()`` returns them, and
``_repr_html_`` shows them in a notebook.
"""

from __future__ import annotations

import copy
import html
import json
from dataclasses import dataclass
from typing import Any, NamedTuple, Optional


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


def _number(value: Optional[float]) -> str:
    return "—" if value is None else repr(value)


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

    __slots__ = ()

    @property
    def kind(self) -> str:
        """``"solve"``, ``"range"`` or ``"pair"``."""
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
        return self.line


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
        unit = f" {self.unit}" if self.unit else ""
        rows = [(self.argument, " or ".join(_number(s) + unit for s in self.solutions)),
                ("target", _number(self.target))]
        rows += [(f"standard {_number(n.value)}{unit}",
                  f"{_number(n.result)} ({_number(n.deviation)})") for n in self.standard]
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
        return [("value", _number(self.value)), ("min", _number(self.min)),
                ("max", _number(self.max))]


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
        rows = list(zip(self.arguments, (_number(v) for v in self.values)))
        rows += [("result", _number(self.result)), ("target", _number(self.target)),
                 ("deviation", _number(self.deviation))]
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

    def __init__(self, fields: dict[str, Any], figure: str = "") -> None:
        super().__init__(fields)
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
        return self._get("seed")

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
        low, high = self.worst
        rows = [("value", _number(self.value)), ("worst case", f"{_number(low)} .. {_number(high)}")]
        if self.window:
            rows.append(("window", f"{_number(self.window['low'])} .. "
                                   f"{_number(self.window['high'])}"
                                   f" ({'inside' if self.window['inside'] else 'outside'})"))
        if self.samples:
            rows += [("samples", f"{self.samples} ({self.distribution}, seed {self.seed})"),
                     ("mean", _number(self.mean)), ("sd", _number(self.sd))]
            rows += [(f"{p.percent}%", _number(p.value)) for p in self.percentiles]
            if self.yield_ is not None:
                rows += [("yield", _number(self.yield_)), ("ppm", _number(self.ppm)),
                         ("Cpk", _number(self.cpk))]
        rows += [(f"variance: {c.argument}", f"{c.share:.1%}" if c.share is not None else "—")
                 for c in self.contributions]
        return rows

    def _figure(self) -> str:
        # The histogram as every host draws it (the page too).
        return self._svg


class DesignCandidate(NamedTuple):
    """A design's candidate: the standard values, the nominal result, its
    worst case, the margin to the window's nearer edge (over the window's
    width), the deviation from its centre and, with ``mc``, the yield."""

    values: list[Optional[float]]
    nominal: Optional[float]
    min: Optional[float]
    max: Optional[float]
    margin: Optional[float]
    deviation: Optional[float]
    yield_: Optional[float] = None


def _candidate(fields: dict[str, Any]) -> DesignCandidate:
    return DesignCandidate(list(fields["values"]), fields["nominal"], fields["min"], fields["max"],
                           fields["margin"], fields["deviation"], fields.get("yield"))


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
        best = self._fields["best"]
        return _candidate(best) if best else None

    @property
    def samples(self) -> Optional[int]:
        return self._fields.get("samples")

    @property
    def seed(self) -> Optional[int]:
        return self._fields.get("seed")

    @property
    def distribution(self) -> Optional[str]:
        return self._fields.get("distribution")

    def _rows(self) -> list[tuple[str, str]]:
        rows = [("window", f"{_number(self.window['low'])} .. {_number(self.window['high'])}"),
                ("passing", f"{self.passing} of {self.tried}")]
        for rank, c in enumerate(self.candidates, 1):
            values = ", ".join(f"{name} = {_number(value)}"
                               for name, value in zip(self.arguments, c.values))
            text = (f"{values}: {_number(c.nominal)} ({_number(c.min)} .. {_number(c.max)}), "
                    f"margin {_number(c.margin)}")
            if c.yield_ is not None:
                text += f", yield {_number(c.yield_)}"
            rows.append((f"{rank}.", text))
        return rows


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
        return [("below", _number(self.below)), ("above", _number(self.above)),
                ("nearest", _number(self.nearest))]


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
