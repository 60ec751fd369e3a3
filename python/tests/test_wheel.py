"""The package as users get it: a wheel built from the sources by pip
(offline, with the extension the build made), installed into a fresh
virtual environment, imported from there."""

import os
import shutil
import subprocess
import sys
import zipfile

import pytest

from conftest import SOURCE_DIR


def run(arguments, **options):
    done = subprocess.run(arguments, capture_output=True, encoding="utf-8", check=False, **options)
    assert done.returncode == 0, f"{arguments}\n{done.stdout}\n{done.stderr}"
    return done.stdout


def test_a_wheel_installs_into_a_fresh_virtual_environment(tmp_path):
    extension = os.environ.get("ZORVANE_PYTHON_EXTENSION")
    if not extension:
        pytest.fail("ZORVANE_PYTHON_EXTENSION names the built extension (CTest sets it)")
    # What the package's build reads; the C++ sources are not needed with a
    # built extension, and the source tree is left as it is.
    source = tmp_path / "source"
    (source / "python").mkdir(parents=True)
    for name in ("pyproject.toml", "setup.py", "CMakeLists.txt", "LICENSE"):
        shutil.copy(SOURCE_DIR / name, source / name)
    shutil.copytree(SOURCE_DIR / "python" / "zorvane_calc", source / "python" / "zorvane_calc",
                    ignore=shutil.ignore_patterns("__pycache__", "_core*.so"))
    environment = {key: value for key, value in os.environ.items() if key != "PYTHONPATH"}
    environment["ZORVANE_PYTHON_EXTENSION"] = extension

    wheels = tmp_path / "wheels"
    run([sys.executable, "-m", "pip", "wheel", "--no-build-isolation", "--no-deps", "--no-index",
         "--wheel-dir", str(wheels), str(source)], env=environment, cwd=tmp_path)
    [wheel] = wheels.iterdir()
    assert wheel.name.startswith("zorvane_calc-") and "-cp3" in wheel.name, wheel.name
    names = zipfile.ZipFile(wheel).namelist()
    for member in ("__init__.py", "_answers.py", "_core.pyi", "py.typed"):
        assert f"zorvane_calc/{member}" in names
    assert any(name.startswith("zorvane_calc/_core.") and name.endswith(".so") for name in names)

    # Debian's NumPy (and pip) come from the system's site packages.
    venv = tmp_path / "venv"
    run([sys.executable, "-m", "venv", "--system-site-packages", "--without-pip", str(venv)])
    python = str(venv / "bin" / "python")
    del environment["ZORVANE_PYTHON_EXTENSION"]
    run([python, "-m", "pip", "install", "--no-index", str(wheel)], env=environment, cwd=tmp_path)
    out = run([python, "-c", "import importlib.metadata, zorvane_calc as z, numpy as np\n"
               "print(z.__file__)\n"
               "print(z.__version__, importlib.metadata.version('zorvane-calc'))\n"
               "print(z.line('power_vi 12 0.5'))\n"
               "print(z.evaluate('power_vi', np.array([1.0, 2.0]), 3).tolist())\n"],
              env=environment, cwd=tmp_path)
    where, versions, line, values = out.splitlines()
    assert where.startswith(str(venv))
    version, metadata_version = versions.split()
    assert version == metadata_version and version.count(".") == 3
    assert (line, values) == ("Power = 6.000000 W", "[3.0, 6.0]")
