"""line(): the shared vectors, and text that no host should choke on."""

import os
from pathlib import Path

import pytest

import zorvane_calc
from conftest import VECTOR_DIR, load_vectors

VECTOR_FILES = ["formulas.tsv", "commands.tsv", "table_conversion.tsv"]


def vector_files():
    paths = [VECTOR_DIR / name for name in VECTOR_FILES]
    # The reference model's random vectors, when the build has made them.
    random_vectors = os.environ.get("ZORVANE_RANDOM_VECTORS")
    if random_vectors:
        paths.append(Path(random_vectors))
    return paths


@pytest.mark.parametrize("path", vector_files(), ids=lambda path: path.name)
def test_shared_vectors(path):
    failures = [(where, command, zorvane_calc.line(command), expected)
                for where, command, expected in load_vectors(path)
                if zorvane_calc.line(command) != expected]
    assert not failures[:5], f"{len(failures)} lines differ"


def test_bytes_are_read_as_utf8_each_stray_byte_one_replacement():
    assert zorvane_calc.line(b"power_vi 12 0.5") == "Power = 6.000000 W"
    assert zorvane_calc.line(b"power_vi 1 \xff\xfe") == "Error: Invalid number '??'"
    assert zorvane_calc.line(bytearray(b"power_vi 1 2")) == "Power = 2.000000 W"


def test_a_huge_command_is_refused_as_the_module_refuses_it():
    refused = "Error: Command longer than 255 characters"
    assert zorvane_calc.line("power_vi 12 " + "0" * 10_000_000 + "5") == refused
    assert zorvane_calc.line("\u00b5" * 300) == refused
    assert zorvane_calc.line(b"\xe2\x82\xac" * 10_000) == refused
    # The longest command the module takes is answered as ever.
    command = "power_vi 12 0.5" + " " * (255 - 15)
    assert zorvane_calc.line(command) == "Power = 6.000000 W"
    assert zorvane_calc.line(command + " ") == refused


@pytest.mark.parametrize("bad", [12, None, 1.5, ["power_vi"]])
def test_a_command_is_text(bad):
    with pytest.raises(TypeError):
        zorvane_calc.line(bad)


def test_a_nul_ends_no_command_silently():
    with pytest.raises(zorvane_calc.ZorvaneError) as raised:
        zorvane_calc.line("power_vi 12\x00 0.5")
    assert raised.value.line.startswith("Error: ")
