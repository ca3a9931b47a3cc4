"""kelvaro.picture against the PNG files of kelvaro-batch png."""

import os
import subprocess
import sys

import numpy as np
import pytest
from PIL import Image

import kelvaro


def test_picture_equals_the_batch_tools_png(examples, batch, tmp_path):
    requests = ["lines 6", "hedgehog 40", "hedgehog 40", "surface 5 leave", "surface -3 enter"]
    png = tmp_path / "dipole.png"
    batch("png", "dipole.txt", *" ".join(requests).split(), "--size", "320x200", "--turn", "30", "-20", "-o", str(png))
    expected = np.asarray(Image.open(png).convert("RGB"))
    model = kelvaro.load("dipole.txt")
    # Twice: each picture starts the hedgehog generator afresh, as each run of the tool does.
    for _ in range(2):
        drawn = kelvaro.picture(model, requests, size=(320, 200), turn=(30, -20))
        assert drawn.shape == (200, 320, 3) and drawn.dtype == np.uint8
        np.testing.assert_array_equal(drawn, expected)
    batch("png", "dipole.txt", "-o", str(png))
    np.testing.assert_array_equal(kelvaro.picture(model), np.asarray(Image.open(png).convert("RGB")))
    options = "--fit --zoom 1.5 --samples 2 --style teaching --background light".split()
    batch("png", "dipole.txt", "lines", "4", "--size", "240x180", *options, "-o", str(png))
    drawn = kelvaro.picture(model, ["lines 4"], size=(240, 180), fit=True, zoom=1.5, samples=2, style="teaching",
                            background="light")
    np.testing.assert_array_equal(drawn, np.asarray(Image.open(png).convert("RGB")))


MODEL = kelvaro.Model(((-1, -1, -1), (1, 1, 1)), [(1, (0, 0, 0))])


@pytest.mark.parametrize(
    "arguments, error",
    [
        ({"requests": "lines 2"}, TypeError),
        ({"requests": ["lines"]}, ValueError),
        ({"requests": ["lines 500"]}, ValueError),  # the batch tool would clamp it
        ({"requests": ["surface 11 leave"]}, ValueError),
        ({"requests": ["surface 1 up"]}, ValueError),
        ({"requests": ["hedgehog 2 3"]}, ValueError),
        ({"requests": [3]}, TypeError),
        ({"size": (0, 10)}, ValueError),
        ({"size": (10, 8193)}, ValueError),
        ({"turn": (0, float("inf"))}, ValueError),
        ({"zoom": 0}, ValueError),
        ({"samples": 5}, ValueError),
        ({"style": "bold"}, ValueError),
        ({"background": 1}, TypeError),
    ],
)
def test_bad_pictures_raise(arguments, error):
    with pytest.raises(error):
        kelvaro.picture(MODEL, **arguments)


def test_a_flat_box_cannot_be_framed(tmp_path):
    flat = tmp_path / "flat.txt"
    flat.write_text("BOUNDS FROM -1, -1, 0 TO 1, 1, 0\nPOINT 1 AT 0, 0, 0\n")
    with pytest.raises(ValueError, match="cannot frame"):
        kelvaro.picture(kelvaro.load(str(flat)), fit=True)


def test_missing_seed_file_or_gl_driver_raises(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    with pytest.raises(FileNotFoundError):
        kelvaro.picture(MODEL, ["lines 3"])
    script = "import kelvaro\nkelvaro.picture(kelvaro.Model(((0, 0, 0), (1, 1, 1)), []))"
    environment = dict(os.environ, __EGL_VENDOR_LIBRARY_FILENAMES="/nonexistent/egl_vendor.json")
    done = subprocess.run([sys.executable, "-c", script], env=environment, capture_output=True, text=True, check=False)
    assert done.returncode == 1
    assert done.stderr.splitlines()[-1].startswith("RuntimeError: no usable GL context: ")
