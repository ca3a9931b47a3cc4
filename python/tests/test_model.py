"""Models, read and made from values, and the potential and field at NumPy points."""

import numpy as np
import pytest

import kelvaro


def test_one_charge_follows_coulombs_law():
    charge, at = 2.5, np.array([0.25, -0.5, 0.125])
    model = kelvaro.Model(((-2, -2, -2), (2, 2, 2)), [(charge, at)])
    points = np.random.default_rng(7).uniform(-2, 2, (1000, 3))
    # The module rounds the points to single precision; the formula takes the rounded ones.
    d = points.astype(np.float32).astype(np.float64) - at
    r = np.linalg.norm(d, axis=1)
    np.testing.assert_allclose(model.potential(points), charge / r, rtol=1e-12)
    field = model.field(points)
    assert field.dtype == np.float32 and field.shape == (1000, 3)
    exact = charge * d / r[:, None] ** 3
    assert np.all(np.linalg.norm(field - exact, axis=1) <= 1e-6 * np.linalg.norm(exact, axis=1))
    # One point gives a float and a (3,) field; any float dtype is taken.
    assert model.potential(points[0].astype(np.float16)) == model.potential(points[:1].astype(np.float16))[0]
    assert model.field(points[0]).shape == (3,)


def test_model_from_values_equals_the_file(examples):
    loaded = kelvaro.load("cloud.txt")
    made = kelvaro.Model(loaded.bounds, loaded.charges, name=loaded.name, axes=loaded.axes, box=loaded.box)
    assert (made.name, made.bounds, made.axes, made.box) == (loaded.name, loaded.bounds, loaded.axes, loaded.box)
    assert made.potential_range == loaded.potential_range
    np.testing.assert_array_equal(made.charges, loaded.charges)
    points = np.random.default_rng(3).uniform(-3, 3, (500, 3))
    np.testing.assert_array_equal(made.potential(points), loaded.potential(points))
    # The pair form, corners in any order, numbers rounded as the reader rounds "0.1".
    dipole = kelvaro.load("dipole.txt")
    pairs = kelvaro.Model(((1.5, 1.5, 1.5), (-1.5, -1.5, -1.5)), [(1, (-0.5, 0, 0)), (-1, (0.5, 0, 0))], "Dipole", axes=True)
    assert pairs.bounds == dipole.bounds and pairs.potential_range == dipole.potential_range
    assert kelvaro.Model(((0, 0, 0), (1, 1, 1)), [(0.1, (0.1, 0, 0))]).charges[0, 0] == np.float32(0.1)
    assert len(dipole) == 2 and repr(dipole) == "<kelvaro.Model 'Dipole': 2 charges in ((-1.5, -1.5, -1.5), (1.5, 1.5, 1.5))>"


def test_a_file_the_program_cannot_read_raises_model_error(tmp_path):
    path = tmp_path / "bad.txt"
    path.write_text('MODEL "x"\nBOUNDS FROM 0, 0, 0 TO 1, 1, 1\nFOO 1\n')
    with pytest.raises(kelvaro.ModelError) as raised:
        kelvaro.load(path)
    assert isinstance(raised.value, ValueError)
    assert (raised.value.code, raised.value.line) == (37011, 3)
    assert str(raised.value).startswith(f"Failed to read in model correctly. {path}:3: a line that begins with a word")
    with pytest.raises(FileNotFoundError, match="Could not open file"):
        kelvaro.load(tmp_path / "missing.txt")
    with pytest.raises(IsADirectoryError, match="Could not open file"):
        kelvaro.load(tmp_path)


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
        again = kelvaro.load(tmp_path / "saved.txt")
        assert (again.name, again.bounds, again.axes, again.box) == (model.name, model.bounds, model.axes, model.box)
        np.testing.assert_array_equal(again.charges, model.charges)
    with pytest.raises(OSError):
        cloud.save(tmp_path)
    kept = tmp_path / "kept.txt"
    kept.write_text("older")
    kept.chmod(0o444)
    with pytest.raises(OSError, match="kept.txt: it is read-only"):
        cloud.save(kept)
    assert kept.read_text() == "older"
    with pytest.raises(ValueError):
        cloud.save("")


BOX = ((-1, -1, -1), (1, 1, 1))
DIPOLE = kelvaro.Model(BOX, [(1, (-0.5, 0, 0)), (-1, (0.5, 0, 0))])


@pytest.mark.parametrize(
    "call, error",
    [
        (lambda: DIPOLE.potential(np.zeros((4, 2))), ValueError),
        (lambda: DIPOLE.potential(np.zeros((2, 3, 1))), ValueError),
        (lambda: DIPOLE.potential(np.zeros((4, 3), dtype=np.int64)), TypeError),
        (lambda: DIPOLE.field(np.zeros((4, 3), dtype=np.complex128)), TypeError),
        (lambda: DIPOLE.field("points"), TypeError),
        (lambda: DIPOLE.potential([[0, 0, np.nan]]), ValueError),
        (lambda: DIPOLE.field([[0, 0, 1e39]]), ValueError),  # infinite in single precision
        (lambda: kelvaro.Model(BOX, [(1, (0, 0, 0))] * 100), ValueError),
        (lambda: kelvaro.Model(((0, 0, 0), (1, 0, 1)), []), ValueError),
        (lambda: kelvaro.Model(((0, 0, 0), (1, 1, np.inf)), []), ValueError),
        (lambda: kelvaro.Model(BOX, [(1e39, (0, 0, 0))]), ValueError),
        (lambda: kelvaro.Model(BOX, [(1, (0, 0))]), ValueError),
        (lambda: kelvaro.Model(BOX, [("1", (0, 0, 0))]), TypeError),
        (lambda: kelvaro.Model(BOX, [], name=b"x"), TypeError),
        (lambda: kelvaro.Model("box", []), TypeError),
    ],
)
def test_bad_values_raise(call, error):
    with pytest.raises(error):
        call()
