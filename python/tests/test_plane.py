"""Model.plane, lines in proportion to charge, and the legend and labels of pictures."""

import copy
import pickle

import numpy as np
import pytest
from PIL import Image

import kelvaro

DIPOLE = kelvaro.Model(((-1.5, -1.5, -1.5), (1.5, 1.5, 1.5)), [(1, (-0.5, 0, 0)), (-1, (0.5, 0, 0))])


def test_plane_samples_are_the_models_potentials():
    plane = DIPOLE.plane("y", 0.25)
    assert plane.axis == "y" and plane.offset == 0.25
    assert plane.potential.shape == (256, 256) and plane.u.dtype == np.float32
    # u runs along z and v along x for a plane normal to y; potential[j, i] at (u[i], v[j]).
    np.testing.assert_array_equal(plane.u[[0, -1]], [-1.5, 1.5])
    points = np.stack(np.broadcast_arrays(plane.v[:, None], np.float32(0.25), plane.u[None, :]), axis=-1)
    np.testing.assert_array_equal(plane.potential, DIPOLE.potential(points.reshape(-1, 3)).reshape(256, 256))


def test_equipotential_points_lie_on_their_levels():
    plane = DIPOLE.plane(levels=[0.5, -2.0, 0.05])
    np.testing.assert_array_equal(plane.levels, np.float32([0.5, -2.0, 0.05]))
    lines = plane.equipotentials
    levels = np.repeat(plane.equipotential_levels, np.diff(lines.offsets))
    assert set(plane.equipotential_levels) == set(plane.levels)
    # The root finder locates each crossing to 0.0005 of a grid edge (3 / 255 long) along
    # it: at most that times the field's strength, evaluated here apart from the module.
    charges = DIPOLE.charges
    d = lines.points[:, None, :].astype(np.float64) - charges[None, :, 1:]
    r = np.linalg.norm(d, axis=2)
    potential = (charges[None, :, 0] / r).sum(axis=1)
    strength = np.linalg.norm((charges[None, :, 0, None] * d / r[:, :, None] ** 3).sum(axis=1), axis=1)
    assert np.all(np.abs(potential - levels) <= strength * (0.0005 * 3 / 255 + 4e-7) + 1e-9)
    assert np.all(lines.points[:, 2] == 0)


def test_plane_field_lines_start_round_the_charges_in_it(examples):
    plane = DIPOLE.plane(lines=12)
    starts = plane.field_lines.points[plane.field_lines.offsets[:-1]]
    to_positive = np.linalg.norm(starts - [-0.5, 0, 0], axis=1)
    assert np.sum(np.isclose(to_positive, 0.01, rtol=1e-5)) == 12
    assert len(DIPOLE.plane("x", -0.5, lines=6).field_lines) == 6  # only the + charge lies in x = -0.5
    assert len(DIPOLE.plane().field_lines) == 0


@pytest.mark.parametrize(
    "arguments, error",
    [
        ({"axis": "w"}, ValueError),
        ({"offset": 2}, ValueError),
        ({"offset": float("nan")}, ValueError),
        ({"offset": "0"}, TypeError),
        ({"levels": [1, float("inf")]}, ValueError),
        ({"levels": 101}, ValueError),
        ({"levels": "1,2"}, TypeError),
        ({"lines": -1}, ValueError),
    ],
)
def test_bad_planes_raise(arguments, error):
    with pytest.raises(error):
        DIPOLE.plane(**arguments)


def test_proportional_lines_follow_the_charges(examples):
    model = kelvaro.Model(((-2, -2, -2), (2, 2, 2)), [(2, (-1, 0, 0)), (-0.5, (1, 0, 0)), (0, (0, 1, 0))])
    lines = model.field_lines(8, proportional=True)
    starts = lines.points[lines.offsets[:-1]]
    near = lambda at: int(np.sum(np.linalg.norm(starts - at, axis=1) < 0.0101))
    assert (near([-1, 0, 0]), near([1, 0, 0]), near([0, 1, 0])) == (8, 2, 0)


def test_legend_and_labels_add_to_the_batch_tools_picture(examples, batch, tmp_path):
    model = kelvaro.load("dipole.txt")
    png = tmp_path / "plane.png"
    requests = ["plane z 0 fieldlines 8", "lines 3 strength"]
    batch("png", "dipole.txt", *" ".join(requests).split(), "--legend", "--labels", "--size", "400x300", "-o", str(png))
    drawn = kelvaro.picture(model, requests, size=(400, 300), legend=True, labels=True)
    np.testing.assert_array_equal(drawn, np.asarray(Image.open(png).convert("RGB")))
    plain = kelvaro.picture(model, requests, size=(400, 300))
    changed = np.any(drawn != plain, axis=2)
    assert changed[:, 300:].sum() > 500, "the colour bars along the right edge"
    with pytest.raises(ValueError, match="outside the box"):
        kelvaro.picture(model, ["plane x 3"])


def test_lines_coloured_by_strength_come_with_a_colour_a_point(examples):
    lines, colours = DIPOLE.field_lines(4, method="accurate", proportional=True, strength=True)
    assert isinstance(lines, kelvaro.Lines) and colours.shape == lines.points.shape and colours.dtype == np.float32
    # Viridis grows greener with strength: the strongest point is greener than the weakest.
    strength = np.linalg.norm(DIPOLE.field(lines.points), axis=1)
    assert colours[np.argmax(strength), 1] > colours[np.argmin(strength), 1]
    np.testing.assert_array_equal(lines.points, DIPOLE.field_lines(4, method="accurate", proportional=True).points)
    with pytest.raises(TypeError):
        DIPOLE.field_lines(4, strength=1)


def test_a_plane_copies_and_pickles_whole():
    plane = DIPOLE.plane(levels=3, lines=4)
    again = pickle.loads(pickle.dumps(plane))
    assert (again.axis, again.offset, repr(again)) == (plane.axis, plane.offset, repr(plane))
    for name in ("u", "v", "potential", "levels", "equipotential_levels"):
        np.testing.assert_array_equal(getattr(again, name), getattr(plane, name))
    np.testing.assert_array_equal(copy.deepcopy(plane).field_lines.points, plane.field_lines.points)
