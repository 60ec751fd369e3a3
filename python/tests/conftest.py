"""What the package's tests share: the source tree, zorvane-calc, the
independent reference model."""

import importlib.machinery
import types
import os
from pathlib import Path

import pytest

SOURCE_DIR = Path(os.environ.get("ZORVANE_SOURCE_DIR", Path(__file__).resolve().parents[2]))
VECTOR_DIR = SOURCE_DIR / "tests" / "vectors"


def load_reference_model():
    path = SOURCE_DIR / "tests" / "reference" / "reference_model.py"
    loader = importlib.machinery.SourceFileLoader("reference_model", str(path))
    module = types.ModuleType(loader.name)
    loader.exec_module(module)
    return module


@pytest.fixture(scope="session")
def reference():
    return load_reference_model()


@pytest.fixture(scope="session")
def zorvane_calc_tool():
    tool = os.environ.get("ZORVANE_CALC")
    if not tool:
        pytest.fail("ZORVANE_CALC names the zorvane-calc to compare with (CTest sets it)")
    return tool


def decode_field(field):
    """A vector file's field: \\t, \\\\ and \\uXXXX (one UTF-16 code unit, so
    a lone surrogate can be written)."""
    units = bytearray()
    i = 0
    while i < len(field):
        if field[i] == "\\":
            kind = field[i + 1]
            if kind == "u":
                units += int(field[i + 2:i + 6], 16).to_bytes(2, "little")
                i += 6
                continue
            units += {"t": "\t", "\\": "\\"}[kind].encode("utf-16-le")
            i += 2
            continue
        units += field[i].encode("utf-16-le")
        i += 1
    return units.decode("utf-16-le", "surrogatepass")


def load_vectors(path):
    """(where, command, expected line) of each vector in `path`."""
    vectors = []
    with open(path, encoding="utf-8") as lines:
        for number, text in enumerate(lines, 1):
            text = text.rstrip("\n")
            if not text or text.startswith("#"):
                continue
            text = text.lstrip("~")  # last digits from libm: the same library here
            command, expected = text.split("\t")
            vectors.append((f"{path.name}:{number}", decode_field(command), decode_field(expected)))
    return vectors
