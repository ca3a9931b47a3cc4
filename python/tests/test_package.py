"""The package as a user meets it: its help and types, the README's example, the notebook,
cmake --install, and objects that cannot crash the interpreter."""

import ast
import inspect
import os
import pydoc
import re
import subprocess
import sys

import nbclient
import nbformat
import pytest

import kelvaro
from helpers import DIPOLE, EXAMPLES, TOP, plain_environment, run_python

CLASSES = (kelvaro.Model, kelvaro.Lines, kelvaro.Surface, kelvaro.Picture, kelvaro.Plane)
# Members that the stub types and that are documented, besides the public names.
SPECIAL = {"__init__", "__len__", "__getitem__", "__iter__", "__array__", "__eq__", "__hash__", "_repr_png_"}


def members(cls):
    return {name for name in vars(cls) if not name.startswith("_") or name in SPECIAL}


def test_help_and_every_docstring_state_signature_errors_and_an_example():
    text = pydoc.render_doc(kelvaro, renderer=pydoc.plaintext)
    for name in ("load(", "class Model", "field_lines(", "hedgehog(", "surface(", "potential(", "field(", "picture(",
                 "seed_file(", "save(", "plane(", "class Lines", "class Surface", "class Picture", "class Plane", "class ModelError",
                 "class ModelWarning", "float32", "float64", "single precision", "KeyboardInterrupt"):
        assert name in text, name
    functions = [(name, getattr(kelvaro, name)) for name in ("load", "picture", "seed_file")]
    for cls in CLASSES:
        for name in members(cls) - {"__len__", "__eq__", "__hash__"}:
            functions.append((cls.__name__ if name == "__init__" else name, getattr(cls, name)))
    for name, function in functions:
        doc = inspect.getdoc(function)
        if isinstance(function, property):
            assert doc.startswith(name + ": "), name
        elif name in ("__getitem__", "__iter__", "__array__", "_repr_png_"):
            assert doc.split()[0].startswith(("lines[", "iter(", name + "(")), name
        else:
            assert doc.startswith(name + "(") and "\nExample: " in doc, name
            assert "Raises" in doc or name == "seed_file", name


def test_the_stubs_type_what_the_module_holds(tmp_path):
    stub = ast.parse((TOP / "python/kelvaro/__init__.pyi").read_text())
    top = {node.name for node in stub.body if isinstance(node, (ast.ClassDef, ast.FunctionDef))}
    assert top == set(kelvaro.__all__)
    for node in stub.body:
        if isinstance(node, ast.ClassDef) and node.name not in ("ModelError", "ModelWarning"):
            typed = {item.name for item in node.body if isinstance(item, ast.FunctionDef)}
            assert typed == members(getattr(kelvaro, node.name)), node.name
    # mypy takes right calls and tells wrong ones, by the stubs that py.typed vouches for.
    (tmp_path / "right.py").write_text(
        "import numpy as np\nimport kelvaro\n"
        "model = kelvaro.load('dipole.txt')\n"
        "values = model.potential(np.zeros((4, 3)))\n"
        "lines, state = model.hedgehog(10, generator=3)\n"
        "surface = model.surface(1.5, 'enter', weld=False)\n"
        "pixels = kelvaro.picture(model, ['lines 2'], fit=True)\n"
        "kelvaro.picture(model, as_picture=True).save('x.png')\n"
        "print(pixels.shape, lines.points, surface.triangles, state + 1, kelvaro.seed_file())\n")
    (tmp_path / "wrong.py").write_text(
        "import kelvaro\n"
        "model = kelvaro.load(3)\n"
        "model.surface('1')\n"
        "model.hedgehog(10, generator='x')\n"
        "kelvaro.picture(model, style='bold')\n")
    environment = dict(plain_environment(), PYTHONPATH=os.environ["PYTHONPATH"])
    done = subprocess.run([sys.executable, "-m", "mypy", "--no-incremental", "right.py", "wrong.py"], cwd=tmp_path,
                          env=environment, capture_output=True, text=True, check=False)
    errors = re.findall(r"^(\w+)\.py:(\d+): error", done.stdout, re.MULTILINE)
    assert errors == [("wrong", "2"), ("wrong", "3"), ("wrong", "4"), ("wrong", "5")], done.stdout


def test_the_readme_example_runs_as_written_from_any_folder(tmp_path):
    readme = (TOP / "README.md").read_text()
    section = readme[readme.index("## From Python"):]
    example = re.search(r"```python\n(.*?)```", section, re.DOTALL).group(1)
    check = f"\nassert model == kelvaro.load({str(EXAMPLES / 'dipole.txt')!r})\nassert image.shape == (520, 626, 3)\n"
    run_python(example + check, cwd=tmp_path)


def test_the_notebook_runs_from_any_folder(tmp_path):
    notebook = nbformat.read(TOP / "python/examples/dipole.ipynb", as_version=4)
    nbclient.NotebookClient(notebook, timeout=120, kernel_name="python3",
                            resources={"metadata": {"path": str(tmp_path)}}).execute()
    outputs = [output for cell in notebook.cells if cell.cell_type == "code" for output in cell.outputs]
    assert all(output.output_type != "error" for output in outputs)
    # The model and the Picture show themselves as PNG pictures.
    assert "image/png" in outputs[0].data and "image/png" in outputs[-1].data


def test_the_example_script_draws_its_figure(tmp_path):
    figure = tmp_path / "dipole.png"
    subprocess.run([sys.executable, str(TOP / "python/examples/dipole_plots.py"), str(figure)], check=True,
                   stdout=subprocess.DEVNULL)
    assert figure.read_bytes().startswith(b"\x89PNG\r\n\x1a\n")


def test_cmake_install_puts_the_package_where_the_interpreter_finds_it(tmp_path):
    place = os.environ["KELVARO_PYTHON_INSTALL_DIR"]
    environment = dict(os.environ, DESTDIR=str(tmp_path))
    subprocess.run(["cmake", "--install", os.environ["KELVARO_BUILD_DIR"]], env=environment, check=True,
                   stdout=subprocess.DEVNULL)
    plain = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    search = run_python("import sys; print('\\n'.join(sys.path))", cwd=tmp_path, environment=plain)
    assert place in search.stdout.splitlines()
    installed = str(tmp_path) + place
    found = run_python("import kelvaro; print(kelvaro.__file__, kelvaro.seed_file())\n"
                       "assert len(kelvaro.Model(((0, 0, 0), (1, 1, 1)), [(1, (0.5, 0.5, 0.5))]).field_lines(3)) == 3",
                       cwd=tmp_path, environment=dict(plain, PYTHONPATH=installed))
    assert found.stdout == f"{installed}/kelvaro/__init__.py {installed}/kelvaro/ElectronData\n"


# Arguments that each method would take from an initialised object.
ARGUMENTS = {"save": ("x",), "__eq__": (DIPOLE,), "potential": ([0, 0, 0],), "field": ([0, 0, 0],),
             "probe": ([0, 0, 0],), "flux": ([0, 0, 0], 1),
             "field_lines": (2,), "hedgehog": (2,), "surface": (1,), "plane": (), "__getitem__": (0,)}


@pytest.mark.parametrize("cls", CLASSES, ids=lambda cls: cls.__name__)
def test_objects_made_without_init_are_refused_by_every_method(cls):
    blank = cls.__new__(cls)
    never = "was never initialised"
    for name in members(cls) | {"__repr__", "__reduce__"}:
        if name == "__init__":
            continue
        with pytest.raises(TypeError, match=never):
            attribute = getattr(blank, name)
            attribute(*ARGUMENTS.get(name, ()))
    if cls is kelvaro.Model:
        for refused in (lambda: kelvaro.picture(blank), lambda: DIPOLE == blank, lambda: len(blank)):
            with pytest.raises(TypeError, match=never):
                refused()
    # pybind11's own base class of them all is refused as well, instead of ending the process.
    with pytest.raises(TypeError, match="cannot create"):
        cls.__base__()
