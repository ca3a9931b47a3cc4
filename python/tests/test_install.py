"""pip install . as the README says it: into an environment of Debian's Python, offline,
building the module with the project's CMake build; the installed module gives the very
numbers and pixels of the build's own, and pip uninstall removes it."""

import subprocess
import sys

import numpy as np

from helpers import EXAMPLES, TOP, plain_environment

# What both modules compute, the installed one in a child and the build's here.
OUTPUTS = f"""
import numpy as np
import kelvaro

def outputs():
    model = kelvaro.load({str(EXAMPLES / "cloud.txt")!r})
    grid = np.random.default_rng(1).uniform(-3, 3, (50, 40, 3))
    lines, (hedgehog, state), surface = model.field_lines(20), model.hedgehog(1000), model.surface(1)
    pixels = kelvaro.picture(model, ["lines 3", "surface 2 leave"], size=(200, 150), style="teaching")
    return dict(potential=model.potential(grid), field=model.field(grid), line_points=lines.points,
                offsets=lines.offsets, hedgehog=hedgehog.points, state=state, vertices=surface.vertices,
                normals=surface.normals, triangles=surface.triangles, pixels=pixels)
"""


def test_pip_installs_the_same_module_and_uninstalls_it(tmp_path):
    environment = plain_environment()
    folder = tmp_path / "env"
    subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", "--without-pip", str(folder)], check=True,
                   env=environment)
    python = str(folder / "bin/python")
    pip = [python, "-m", "pip", "--disable-pip-version-check"]
    installed = subprocess.run([*pip, "install", "--no-build-isolation", "."], cwd=TOP, env=environment,
                               capture_output=True, text=True, timeout=1200, check=False)
    assert installed.returncode == 0, installed.stdout + installed.stderr

    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    script = OUTPUTS + "\nimport sys\nprint(kelvaro.__file__)\nnp.savez(sys.argv[1], **outputs())\n"
    child = subprocess.run([python, "-c", script, str(tmp_path / "installed.npz")], cwd=elsewhere, env=environment,
                           capture_output=True, text=True, check=False)
    assert child.returncode == 0, child.stderr
    assert child.stdout.startswith(str(folder / "lib"))
    theirs = np.load(tmp_path / "installed.npz")
    ours = {}
    exec(OUTPUTS, ours)
    for name, value in ours["outputs"]().items():
        np.testing.assert_array_equal(theirs[name], value, err_msg=name)
        assert theirs[name].dtype == np.asarray(value).dtype, name

    removed = subprocess.run([*pip, "uninstall", "--yes", "kelvaro"], env=environment, capture_output=True, text=True,
                             check=False)
    assert removed.returncode == 0, removed.stderr
    gone = subprocess.run([python, "-c", "import kelvaro"], cwd=elsewhere, env=environment, capture_output=True,
                          text=True, check=False)
    assert gone.returncode == 1 and "No module named 'kelvaro'" in gone.stderr
