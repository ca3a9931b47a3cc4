"""What the tests of the package kelvaro share: paths, a model, and Python children.

CTest runs them with PYTHONPATH at the build's python/ folder and KELVARO_BATCH naming
the batch tool of the same build (in the sanitizer build with the sanitizer's runtime in
LD_PRELOAD, which children running the build's module inherit)."""

import os
import pathlib
import subprocess
import sys

import kelvaro

TOP = pathlib.Path(__file__).resolve().parents[2]
EXAMPLES = TOP / "examples"
DEGENERATE_MODELS = TOP / "tests/viz/degenerate_models"

DIPOLE = kelvaro.Model(((-1.5, -1.5, -1.5), (1.5, 1.5, 1.5)), [(1, (-0.5, 0, 0)), (-1, (0.5, 0, 0))], "Dipole",
                       axes=True)


def run_python(code, cwd, environment=None, check=True):
    """Runs `code` in a new interpreter (this one) in `cwd`; answers the finished process."""
    done = subprocess.run([sys.executable, "-c", code], cwd=cwd, env=environment, capture_output=True, text=True,
                          check=False)
    if check:
        assert done.returncode == 0, done.stderr
    return done


def plain_environment():
    """This process's environment without the build's module and the sanitizer's runtime:
    for tools (pip, the compiler) and for modules built elsewhere."""
    return {k: v for k, v in os.environ.items() if k not in ("PYTHONPATH", "LD_PRELOAD")}
