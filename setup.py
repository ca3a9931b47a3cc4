"""Builds the package kelvaro for pip install . with the project's own CMake build of its
compiled part (the same sources, compiler flags and floating-point settings as every other
build), configured to build the Python module alone (KELVARO_PYTHON_ONLY)."""

import os
import pathlib
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext
from setuptools.command.build_py import build_py

TOP = pathlib.Path(__file__).resolve().parent

NEEDED = (
    "pip install . builds the module kelvaro with CMake (3.22 or later) and a C++20 compiler, and needs, "
    "on Debian 12: build-essential cmake python3-dev python3-numpy pybind11-dev (or python3-pybind11) "
    "libgl-dev libglu1-mesa-dev libegl-dev libpng-dev libgif-dev; kelvaro.picture draws through "
    "libegl-mesa0 and libgl1-mesa-dri (scripts/setup.sh installs all of them)."
)


def run(command, **options):
    try:
        subprocess.run(command, check=True, **options)
    except FileNotFoundError:
        sys.exit(f"{command[0]} was not found. {NEEDED}")
    except subprocess.CalledProcessError:
        sys.exit(f"{' '.join(map(str, command[:2]))} ... failed (see above). {NEEDED}")


class CMakeBuild(build_ext):
    """Configures the project into the build's temporary folder and builds the module."""

    def build_extension(self, ext):
        folder = pathlib.Path(self.build_temp).resolve() / "cmake"
        configure = ["cmake", "-S", str(TOP), "-B", str(folder), "-DKELVARO_PYTHON_ONLY=ON", "-DKELVARO_TESTS=OFF",
                     "-DKELVARO_BENCHMARKS=OFF", f"-DKELVARO_PYTHON_EXECUTABLE={sys.executable}"]
        if shutil.which("ninja"):
            configure += ["-G", "Ninja"]
        try:
            import pybind11
            configure.append(f"-Dpybind11_DIR={pybind11.get_cmake_dir()}")
        except ImportError:
            pass  # pybind11-dev's own CMake files are found where Debian puts them
        run(configure)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", str(os.cpu_count() or 1))
        run(["cmake", "--build", str(folder), "--target", "kelvaro_python", "-j", jobs])
        built = next((folder / "python/kelvaro").glob("_kelvaro.*.so"))
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


class BuildWithSeedFile(build_py):
    """Puts the seed file ElectronData of examples/ into the package."""

    def run(self):
        super().run()
        shutil.copyfile(TOP / "examples/ElectronData", pathlib.Path(self.build_lib) / "kelvaro/ElectronData")


setup(
    packages=["kelvaro"],
    package_dir={"": "python"},
    package_data={"kelvaro": ["py.typed", "__init__.pyi"]},
    ext_modules=[Extension("kelvaro._kelvaro", sources=[])],
    cmdclass={"build_ext": CMakeBuild, "build_py": BuildWithSeedFile},
    # Beside CMake's build/ folder rather than in it.
    options={"build": {"build_base": "build-pip"}},
)
