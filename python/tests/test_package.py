"""The module as a user meets it: its help, the example, and cmake --install."""

import os
import pathlib
import pydoc
import subprocess
import sys

import kelvaro

TOP = pathlib.Path(__file__).resolve().parents[2]


def test_help_lists_the_interface():
    text = pydoc.render_doc(kelvaro, renderer=pydoc.plaintext)
    for name in ("load(", "class Model", "field_lines(", "hedgehog(", "surface(", "potential(", "field(",
                 "picture(", "save(", "class Lines", "class Surface", "class ModelError", "class ModelWarning"):
        assert name in text, name


def test_example_draws_its_figure(tmp_path):
    figure = tmp_path / "dipole.png"
    subprocess.run([sys.executable, str(TOP / "python/examples/dipole_plots.py"), str(figure)], check=True)
    assert figure.read_bytes().startswith(b"\x89PNG\r\n\x1a\n")


def test_install_puts_the_module_where_the_interpreter_finds_it(tmp_path):
    place = os.environ["KELVARO_PYTHON_INSTALL_DIR"]
    environment = dict(os.environ, DESTDIR=str(tmp_path))
    subprocess.run(["cmake", "--install", os.environ["KELVARO_BUILD_DIR"]], env=environment, check=True,
                   stdout=subprocess.DEVNULL)
    plain = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    search = subprocess.run([sys.executable, "-c", "import sys; print('\\n'.join(sys.path))"], env=plain,
                            capture_output=True, text=True, check=True)
    assert place in search.stdout.splitlines()
    installed = str(tmp_path) + place
    found = subprocess.run([sys.executable, "-c", "import kelvaro; print(kelvaro.__file__)"], cwd=tmp_path,
                           env=dict(plain, PYTHONPATH=installed), capture_output=True, text=True, check=True)
    assert found.stdout.startswith(installed + "/kelvaro.")
