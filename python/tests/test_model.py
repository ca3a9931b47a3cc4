"""Models: read, made from values, compared, copied, pickled and saved; their files' paths."""

import copy
import os
import pickle

import numpy as np
import pytest

import kelvaro
from helpers import DEGENERATE_MODELS, DIPOLE


def test_one_charge_follows_coulombs_law():
    charge, at = 2.5, np.array([0.25, -0.5, 0.125])
    model = kelvaro.Model(((-2, -2, -2), (2, 2, 2)), [(charge, at)])
    points = np.random.default_rng(7).uniform(-2, 2, (1000, 3))
    # The module rounds the points to single precision; the formula takes the rounded ones.
    d = points.astype(np.float32).astype(np.float64) - at
    r = np.linalg.norm(d, axis=1)
    np.testing.assert_allclose(model.potential(points), charge / r, rtol=1e-12)
    field = model.field(points)
    exact = charge * d / r[:, None] ** 3
    assert np.all(np.linalg.norm(field - exact, axis=1) <= 1e-6 * np.linalg.norm(exact, axis=1))


def test_model_from_values_equals_the_file(examples):
    loaded = kelvaro.load("cloud.txt")
    made = kelvaro.Model(loaded.bounds, loaded.charges, name=loaded.name, axes=loaded.axes, box=loaded.box)
    assert made == loaded and made.potential_range == loaded.potential_range
    points = np.random.default_rng(3).uniform(-3, 3, (500, 3))
    np.testing.assert_array_equal(made.potential(points), loaded.potential(points))
    # The pair form, corners in any order, numbers rounded as the reader rounds "0.1".
    pairs = kelvaro.Model(((1.5, 1.5, 1.5), (-1.5, -1.5, -1.5)), [(1, (-0.5, 0, 0)), (-1, (0.5, 0, 0))], "Dipole", axes=True)
    assert pairs == kelvaro.load("dipole.txt") == DIPOLE
    assert kelvaro.Model(((0, 0, 0), (1, 1, 1)), [(0.1, (0.1, 0, 0))]).charges[0, 0] == np.float32(0.1)
    assert len(DIPOLE) == 2 and repr(DIPOLE) == "<kelvaro.Model 'Dipole': 2 charges in ((-1.5, -1.5, -1.5), (1.5, 1.5, 1.5))>"


def test_models_are_equal_bit_for_bit_and_copy_and_pickle_whole(examples):
    cloud = kelvaro.load("cloud.txt")
    assert hash(cloud) == hash(kelvaro.Model(cloud.bounds, cloud.charges, cloud.name, cloud.axes, cloud.box))
    nudged = cloud.charges.copy()
    nudged[5, 2] = np.nextafter(np.float32(nudged[5, 2]), np.float32(1))  # one float32 step
    (x0, y0, z0), high = cloud.bounds
    others = [kelvaro.Model(((x0, y0, z0 - 1), high), cloud.charges, cloud.name, cloud.axes, cloud.box),kelvaro.Model(cloud.bounds, nudged, cloud.name, cloud.axes, cloud.box),
              kelvaro.Model(cloud.bounds, cloud.charges[:-1], cloud.name, cloud.axes, cloud.box),
              kelvaro.Model(cloud.bounds, cloud.charges, cloud.name + " ", cloud.axes, cloud.box),
              kelvaro.Model(cloud.bounds, cloud.charges, cloud.name, not cloud.axes, cloud.box),
              kelvaro.Model(cloud.bounds, cloud.charges, cloud.name, cloud.axes, not cloud.box)]
    for other in others:
        assert other != cloud and not other == cloud
    assert kelvaro.Model(((0, 0, 0), (1, 1, 1)), []) != kelvaro.Model(((-0.0, 0, 0), (1, 1, 1)), [])
    assert cloud != "cloud.txt" and cloud != None  # noqa: E711
    # Copies and pickles of any model are equal models that compute the same bits, also of
    # models no constructor from values takes (infinite numbers, a box of no size).
    points = np.random.default_rng(5).uniform(-3, 3, (300, 3))
    for model in (cloud, kelvaro.load(DEGENERATE_MODELS / "overflowed_numbers.txt"),
                  kelvaro.load(DEGENERATE_MODELS / "zero_size_box.txt")):
        copies = [copy.copy(model), copy.deepcopy(model)]
        copies += [pickle.loads(pickle.dumps(model, protocol)) for protocol in range(pickle.HIGHEST_PROTOCOL + 1)]
        for copied in copies:
            assert copied == model and copied is not model and repr(copied) == repr(model)
            np.testing.assert_array_equal(copied.potential_range, model.potential_range)
            np.testing.assert_array_equal(copied.potential(points), model.potential(points))
    assert repr(kelvaro.load(DEGENERATE_MODELS / "one_charge.txt")).split(":")[1].startswith(" 1 charge in ")


def test_a_file_the_program_cannot_read_raises_model_error(tmp_path):
    path = tmp_path / "bad.txt"
    path.write_text('MODEL "x"\nBOUNDS FROM 0, 0, 0 TO 1, 1, 1\nFOO 1\n')
    with pytest.raises(kelvaro.ModelError) as raised:
        kelvaro.load(path)
    assert isinstance(raised.value, ValueError)
    assert (raised.value.code, raised.value.line) == (37011, 3)
    assert str(raised.value).startswith(f"Failed to read in model correctly. {path}:3: a line that begins with a word")


def test_dropped_lines_warn_with_their_line_numbers(tmp_path):
    path = tmp_path / "triangle.txt"
    path.write_text("BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT 0, 0, 0\nPOINT +1 AT 0.5, 0, 0\nPOINT 1 AT 0 0.5 0\n")
    with pytest.warns(kelvaro.ModelWarning) as told:
        model = kelvaro.load(path)
    assert len(model) == 1
    assert [(w.lineno, w.message.line, w.filename) for w in told] == [(3, 3, str(path)), (4, 4, str(path))]
    assert str(told[0].message).endswith("the line was skipped: POINT +1 AT 0.5, 0, 0")


def test_a_saved_model_loads_back_to_the_bit(examples, tmp_path):
    cloud = kelvaro.load("cloud.txt")
    odd = kelvaro.Model(((-1, -1, -1), (1, 1, 1)), [(1 / 3, (0.1, 1e-7, -2 / 3))], name='quote " and \\', box=True)
    for model in (cloud, odd):
        model.save(tmp_path / "saved.txt")
        assert kelvaro.load(tmp_path / "saved.txt") == model
    kept = tmp_path / "kept.txt"
    kept.write_text("older")
    kept.chmod(0o444)
    with pytest.raises(OSError, match="kept.txt: it is read-only"):
        cloud.save(kept)
    assert kept.read_text() == "older"


def test_paths_of_every_kind_and_their_refusals(tmp_path):
    # str, bytes, os.PathLike, and a name that is no UTF-8 (as os.fsencode gives it).
    odd_name = os.fsencode(tmp_path) + b"/model-\xff.txt"
    for path in (str(tmp_path / "a.txt"), bytes(tmp_path / "b.txt"), tmp_path / "c.txt", odd_name):
        DIPOLE.save(path)
        assert kelvaro.load(path) == DIPOLE
    assert os.path.exists(odd_name)
    with pytest.raises(FileNotFoundError, match="Could not open file") as raised:
        kelvaro.load(tmp_path / "missing.txt")
    assert raised.value.filename == str(tmp_path / "missing.txt")
    with pytest.raises(IsADirectoryError, match="Could not open file"):
        kelvaro.load(tmp_path)
    with pytest.raises(OSError, match="it is a folder"):
        DIPOLE.save(tmp_path)
    for call in (kelvaro.load, DIPOLE.save):
        with pytest.raises(ValueError, match="path holds a NUL character"):
            call(str(tmp_path / "a\0b.txt"))
        with pytest.raises(TypeError, match="path must be a path"):
            call(3)
    with pytest.raises(ValueError, match="path is empty"):
        DIPOLE.save("")
    # A file that exists but cannot be replaced: the cause, not "No such file or directory".
    with pytest.raises(OSError, match="cannot save the model as /proc/version: it is read-only"):
        DIPOLE.save("/proc/version")
    with pytest.raises(OSError, match="cannot save the model as /proc/self/comm: no file can be made beside it"):
        DIPOLE.save("/proc/self/comm")


BOX = ((-1, -1, -1), (1, 1, 1))


@pytest.mark.parametrize(
    "arguments, error, words",
    [
        ((BOX, [(1, (0, 0, 0))] * 100), ValueError, "at most 99 charges"),
        ((((0, 0, 0), (1, 0, 1)), []), ValueError, "span every axis"),
        ((((0, 0, 0), (1, 1, np.inf)), []), ValueError, "bounds corner 1 z is not finite"),
        ((((0, 0, 0), (1, 1, 10**400)), []), ValueError, "bounds corner 1 z is too large"),
        ((BOX, [(1e39, (0, 0, 0))]), ValueError, "charge 0 value is not finite"),
        ((BOX, [(1, (0, 0))]), ValueError, "charge 0 position must hold 3 numbers"),
        ((BOX, [("1", (0, 0, 0))]), TypeError, "charge 0 value must be a real number"),
        ((BOX, [(True, (0, 0, 0))]), TypeError, "charge 0 value must be a real number, not bool"),
        ((BOX, [], b"x"), TypeError, "name must be a str"),
        ((BOX, [], "", 1), TypeError, "axes must be True or False"),
        (("box", []), TypeError, "bounds must be a sequence"),
    ],
)
def test_bad_values_raise_naming_the_parameter(arguments, error, words):
    with pytest.raises(error, match=words):
        kelvaro.Model(*arguments)

