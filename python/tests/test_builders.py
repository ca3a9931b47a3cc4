"""Field lines, hedgehog lines and surfaces as arrays."""

import gc

import numpy as np
import pytest

import kelvaro


def test_surface_vertices_lie_on_the_level(examples):
    model = kelvaro.load("quadrupole.txt")
    leave, enter = model.surface(-2.5), model.surface(-2.5, normals="enter")
    assert len(leave) > 100 and leave.vertices.shape == (3 * len(leave), 3)
    assert np.all(np.abs(model.potential(leave.vertices) + 2.5) < 1e-3)
    np.testing.assert_array_equal(leave.triangles, np.arange(3 * len(leave)).reshape(-1, 3))
    # Unit normals along the field, and against it for "enter".
    np.testing.assert_allclose(np.linalg.norm(leave.normals, axis=1), 1, rtol=1e-5)
    assert np.all(np.sum(leave.normals * model.field(leave.vertices), axis=1) > 0)
    np.testing.assert_array_equal(enter.normals, -leave.normals)


def test_a_surface_without_a_triangle_warns_why():
    model = kelvaro.Model(((-1, -1, -1), (1, 1, 1)), [(1, (0, 0, 0))])  # the potential is positive everywhere
    with pytest.warns(UserWarning, match=r"^No surface at V = -1 inside the box: the potential there runs from "
                                         r"0\.577 to 57\.\d\.$"):
        assert len(model.surface(-1)) == 0


def test_lines_start_at_the_seed_radius_and_end_at_a_charge_or_the_box(examples):
    model = kelvaro.load("quadrupole.txt")
    lines = model.field_lines(8, seeds=examples / "ElectronData")
    positions = model.charges[:, 1:]
    low, high = np.array(model.bounds)
    assert len(lines) == 32 and lines.offsets[-1] == len(lines.points)
    for line in lines:
        to_charges = np.linalg.norm(positions[:, None] - line[[0, -1]], axis=2).min(axis=0)
        assert to_charges[0] == pytest.approx(0.01, rel=1e-5)
        assert to_charges[1] < 0.01 or np.any(line[-1] < low) or np.any(line[-1] > high)
    # By default the seed file of the current folder, as the program reads it.
    np.testing.assert_array_equal(model.field_lines(8).points, lines.points)
    # The arrays are the lines' own, and changed offsets cannot reach outside the points.
    del model
    gc.collect()
    assert lines.points.flags.owndata and lines.offsets.flags.owndata
    lines.offsets[1] = 10**9
    assert len(lines[0]) == len(lines.points)


def test_hedgehog_continues_the_programs_generator():
    model = kelvaro.Model(((0, 0, 0), (1, 2, 4)), [(1, (5, 5, 5))])  # no sample is discarded
    lines, state = model.hedgehog(2)
    # The program's generator from state 1; samples low + r * ((high - low) / 32767).
    expected, s = [], 1
    for high in (1, 2, 4):
        s = (s * 214013 + 2531011) % 2**32
        expected.append(np.float32((s >> 16 & 0x7FFF) * (high / 32767)))
    np.testing.assert_array_equal(lines.points[0], expected)
    np.testing.assert_array_equal(lines.offsets, [0, 2, 4])
    second, end = model.hedgehog(1, model.hedgehog(1)[1])
    np.testing.assert_array_equal(second.points, lines.points[2:])
    assert end == state


def test_counts_equal_the_batch_tools(examples, batch):
    model = kelvaro.load("quadrupole.txt")
    lines, hedgehog, surface = model.field_lines(5), model.hedgehog(300)[0], model.surface(1)
    stats = batch("stats", "quadrupole.txt", "lines", "5", "hedgehog", "300", "surface", "1", "leave")
    values = [int(line.split()[1]) for line in stats.splitlines() if line.startswith(("polylines", "line_points", "triangles"))]
    assert values == [len(lines), len(lines.points), 0, 0, len(hedgehog.points), 0, 0, 0, len(surface)]
    assert len(hedgehog) == 300 and len(hedgehog.points) == 600


DIPOLE = kelvaro.Model(((-1, -1, -1), (1, 1, 1)), [(1, (-0.5, 0, 0)), (-1, (0.5, 0, 0))])


@pytest.mark.parametrize(
    "call, error",
    [
        (lambda: DIPOLE.field_lines(0, "ElectronData"), ValueError),
        (lambda: DIPOLE.field_lines(101, "ElectronData"), ValueError),
        (lambda: DIPOLE.field_lines(2.0, "ElectronData"), TypeError),
        (lambda: DIPOLE.field_lines(2, "no/such/file"), FileNotFoundError),
        (lambda: DIPOLE.field_lines(2, "dipole.txt"), ValueError),  # no seed file
        (lambda: DIPOLE.hedgehog(0), ValueError),
        (lambda: DIPOLE.hedgehog(100001), ValueError),
        (lambda: DIPOLE.hedgehog(1, -1), ValueError),
        (lambda: DIPOLE.hedgehog(1, 2**32), ValueError),
        (lambda: DIPOLE.surface(10.5), ValueError),
        (lambda: DIPOLE.surface(float("nan")), ValueError),
        (lambda: DIPOLE.surface("1"), TypeError),
        (lambda: DIPOLE.surface(1, normals="up"), ValueError),
    ],
)
def test_bad_requests_raise(examples, call, error):
    with pytest.raises(error):
        call()
