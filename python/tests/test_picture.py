"""kelvaro.picture against the PNG files of kelvaro-batch png; pictures in Jupyter."""

import os
import subprocess
import sys
import threading
import time

import numpy as np
import pytest
from PIL import Image

import kelvaro
from helpers import DIPOLE, EXAMPLES


def png_pixels(path):
    return np.asarray(Image.open(path).convert("RGB"))


def test_picture_equals_the_batch_tools_png(examples, batch, tmp_path):
    requests = ["lines 6", "hedgehog 40", "hedgehog 40", "surface 5 leave", "surface -3 enter"]
    png = tmp_path / "dipole.png"
    batch("png", "dipole.txt", *" ".join(requests).split(), "--size", "320x200", "--turn", "30", "-20", "-o", str(png))
    model = kelvaro.load("dipole.txt")
    # Twice: each picture starts the hedgehog generator afresh, as each run of the tool does.
    for _ in range(2):
        drawn = kelvaro.picture(model, requests, size=(320, 200), turn=(30, -20))
        assert drawn.shape == (200, 320, 3) and drawn.dtype == np.uint8
        np.testing.assert_array_equal(drawn, png_pixels(png))
    batch("png", "dipole.txt", "-o", str(png))
    np.testing.assert_array_equal(kelvaro.picture(model), png_pixels(png))
    # As a Picture: the same pixels, and the very bytes of the tool's file as its PNG.
    options = "--fit --zoom 1.5 --samples 2 --style teaching --background light".split()
    batch("png", "dipole.txt", "lines", "4", "--size", "240x180", *options, "-o", str(png))
    shown = kelvaro.picture(model, ["lines 4"], size=(240, 180), fit=True, zoom=1.5, samples=2, style="teaching",
                            background="light", as_picture=True)
    np.testing.assert_array_equal(np.asarray(shown), png_pixels(png))
    assert shown._repr_png_() == png.read_bytes() and repr(shown) == "<kelvaro.Picture 240x180>"
    for pixels in (np.zeros((0, 5, 3)), np.zeros((1, 1000001, 3))):
        with pytest.raises(ValueError, match="pixels must be a non-empty"):
            kelvaro.Picture(pixels)._repr_png_()
    shown.save(tmp_path / "saved.png")
    assert (tmp_path / "saved.png").read_bytes() == png.read_bytes()


def test_a_model_shows_itself_in_the_teaching_style(tmp_path):
    picture = kelvaro.picture(DIPOLE, style="teaching", as_picture=True)
    assert DIPOLE._repr_png_() == picture._repr_png_()


def test_field_lines_read_the_installed_seed_file_or_the_one_named(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)  # no ElectronData here
    drawn = kelvaro.picture(DIPOLE, ["lines 5"], size=(160, 120))
    # A seed file whose set of 5 has x and y swapped: other lines, in the picture that
    # kelvaro-batch draws with it as ElectronData.
    data = bytearray(open(kelvaro.seed_file(), "rb").read())
    offset = int.from_bytes(data[20:24], "little")
    for i in range(5):
        at = offset + 12 * i
        data[at:at + 8] = data[at + 4:at + 8] + data[at:at + 4]
    (tmp_path / "ElectronData").write_bytes(data)
    png = tmp_path / "swapped.png"
    subprocess.run([os.environ["KELVARO_BATCH"], "png", str(EXAMPLES / "dipole.txt"), "lines", "5", "--size", "160x120",
                    "-o", str(png)], cwd=tmp_path, check=True)
    swapped = kelvaro.picture(DIPOLE, ["lines 5"], size=(160, 120), seeds="ElectronData")
    np.testing.assert_array_equal(swapped, png_pixels(png))
    assert not np.array_equal(swapped, drawn)
    assert not np.array_equal(DIPOLE.field_lines(5, seeds=tmp_path / "ElectronData").points, DIPOLE.field_lines(5).points)
    with pytest.raises(FileNotFoundError, match="Could not open the seed file"):
        kelvaro.picture(DIPOLE, ["lines 3"], seeds="missing")


def test_the_interpreter_runs_on_while_a_picture_is_drawn():
    # With an hour's switch interval this thread keeps the interpreter until it lets it go:
    # the other thread counts only while picture() runs without it.
    counted = []
    done = threading.Event()

    def count():
        while not done.is_set():
            counted.append(1)
            time.sleep(0)

    interval = sys.getswitchinterval()
    counter = threading.Thread(target=count)
    try:
        sys.setswitchinterval(3600)
        counter.start()
        before = len(counted)
        kelvaro.picture(DIPOLE, ["surface 1 leave"], size=(800, 600), samples=2)
        during = len(counted) - before
    finally:
        done.set()
        sys.setswitchinterval(interval)
        counter.join()
    assert during > 0


MODEL = kelvaro.Model(((-1, -1, -1), (1, 1, 1)), [(1, (0, 0, 0))])


@pytest.mark.parametrize(
    "arguments, error, words",
    [
        ({"requests": "lines 2"}, TypeError, "requests must be a sequence of str"),
        ({"requests": 2}, TypeError, "requests must be a sequence of str"),
        ({"requests": ["lines"]}, ValueError, 'request "lines"'),
        ({"requests": ["lines 500"]}, ValueError, "outside the limits"),  # the batch tool would clamp it
        ({"requests": ["surface 11 leave"]}, ValueError, "outside the limits"),
        ({"requests": ["surface 1 up"]}, ValueError, 'request "surface 1 up"'),
        ({"requests": ["hedgehog 2 3"]}, ValueError, 'request "hedgehog 2 3"'),
        ({"requests": ["lines 2\0lines 3"]}, ValueError, "each request holds a NUL character"),
        ({"requests": [3]}, TypeError, "each request must be a str"),
        ({"size": (0, 10)}, ValueError, r"size \(the width\) must be from 1 to 8192"),
        ({"size": (10, 8193)}, ValueError, r"size \(the height\) must be from 1 to 8192"),
        ({"size": 10}, TypeError, r"size must be \(width, height\)"),
        ({"turn": (0, float("inf"))}, ValueError, "turn must be finite"),
        ({"turn": (0, 10**400)}, ValueError, "turn is too large for a float"),
        ({"zoom": 0}, ValueError, "zoom must be a number from 0.01 to 100"),
        ({"zoom": 10**400}, ValueError, "zoom is too large for a float"),
        ({"zoom": True}, TypeError, "zoom must be a real number, not bool"),
        ({"samples": 5}, ValueError, "samples must be from 1 to 4"),
        ({"style": "bold"}, ValueError, 'style must be "plain" or "teaching"'),
        ({"background": 1}, TypeError, "background must be a str"),
        ({"fit": "yes"}, TypeError, "fit must be True or False"),
        ({"as_picture": 1}, TypeError, "as_picture must be True or False"),
    ],
)
def test_bad_pictures_raise_naming_the_argument(arguments, error, words):
    with pytest.raises(error, match=words):
        kelvaro.picture(MODEL, **arguments)


def test_a_flat_box_cannot_be_framed(tmp_path):
    flat = tmp_path / "flat.txt"
    flat.write_text("BOUNDS FROM -1, -1, 0 TO 1, 1, 0\nPOINT 1 AT 0, 0, 0\n")
    with pytest.raises(ValueError, match="cannot frame"):
        kelvaro.picture(kelvaro.load(str(flat)), fit=True)


def test_without_a_gl_driver_pictures_fail_and_models_show_as_text():
    script = """if True:
        import kelvaro
        model = kelvaro.Model(((0, 0, 0), (1, 1, 1)), [])
        assert model._repr_png_() is None
        kelvaro.picture(model)
    """
    environment = dict(os.environ, __EGL_VENDOR_LIBRARY_FILENAMES="/nonexistent/egl_vendor.json")
    done = subprocess.run([sys.executable, "-c", script], env=environment, capture_output=True, text=True, check=False)
    assert done.returncode == 1
    assert done.stderr.splitlines()[-1].startswith("RuntimeError: no usable GL context: ")
