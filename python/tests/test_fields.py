"""The answers' classes and the schema's fields (python/zorvane_calc/_fields.py,
generated from docs/answer.schema.json) name the same fields: every field of
a kind is an attribute of its class, and no property reads a field its kind
lacks."""

import re

import pytest

from zorvane_calc import Design, Pair, Range, Solution, Statistics
from zorvane_calc._fields import FIELDS

CLASSES = {"solve": Solution, "range": Range, "pair": Pair, "statistics": Statistics,
           "design": Design}
# The attributes named otherwise than their fields: Python's keyword, the
# longer word.
ATTRIBUTES = {"yield": "yield_", "eng": "engineering", "exactPercentiles": "exact_percentiles"}
COMMON = {"kind", "error", "line", "eng", "hints", "evaluations"}


def attribute(field):
    return ATTRIBUTES.get(field, re.sub(r"(?<!^)([A-Z])", lambda m: "_" + m[1].lower(), field))


@pytest.mark.parametrize("kind", sorted(CLASSES))
def test_each_class_reads_its_kinds_fields(kind):
    cls = CLASSES[kind]
    fields = FIELDS[kind]
    missing = [f for f in fields if f not in {"error"} and not hasattr(cls, attribute(f))]
    assert missing == [], f"{cls.__name__} lacks {missing}"
    read = {name for name, value in vars(cls).items() if isinstance(value, property)}
    named = {attribute(f) for f in fields} | {"lines", "best", "engineering"}
    assert read - named == set(), f"{cls.__name__} reads fields its kind lacks"
    assert COMMON <= set(fields)
