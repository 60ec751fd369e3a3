"""The extension zorvane_calc._core is built by CMake, as every other part of
the project is (python/CMakeLists.txt); this only runs it. The version is
the project's (CMakeLists.txt).

ZORVANE_PYTHON_EXTENSION, when set, names an extension CMake has built
already for this interpreter, which is taken instead (the tests' wheel).
"""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

SOURCE_DIR = Path(__file__).resolve().parent


def project_version():
    text = (SOURCE_DIR / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"^\s*VERSION ([0-9.]+)$", text, re.MULTILINE).group(1)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        prebuilt = os.environ.get("ZORVANE_PYTHON_EXTENSION")
        if prebuilt:
            shutil.copyfile(prebuilt, target)
            return
        build_dir = Path(self.build_temp).resolve() / "cmake"
        # CMake's own lines follow, as they run (pip shows them with -v).
        print(f"zorvane_calc: CMake configures and builds the extension in {build_dir}", flush=True)
        configure = ["cmake", "-S", str(SOURCE_DIR), "-B", str(build_dir),
                     "-DCMAKE_BUILD_TYPE=Release", "-DZORVANE_BUILD_TESTS=OFF",
                     "-DZORVANE_BUILD_CLI=OFF", "-DZORVANE_BUILD_PYTHON=ON",
                     f"-DPython_EXECUTABLE={sys.executable}"]
        try:  # the pybind11 this interpreter has, else CMake's own search
            import pybind11
            if Path(pybind11.get_cmake_dir()).is_dir():
                configure.append(f"-Dpybind11_DIR={pybind11.get_cmake_dir()}")
        except ImportError:
            pass
        subprocess.run(configure, check=True)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        subprocess.run(["cmake", "--build", str(build_dir), "--target", "zorvane_calc_core",
                        "-j", jobs], check=True)
        built = next((build_dir / "python" / "zorvane_calc").glob("_core*.so"))
        shutil.copyfile(built, target)


setup(
    version=project_version(),
    ext_modules=[Extension("zorvane_calc._core", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    # Beside the presets' trees, which .gitignore keeps out of the sources.
    options={"build": {"build_base": "build/setuptools"}},
)
