"""Field lines, hedgehog lines and surfaces as arrays; how far they reach past the box."""

import gc
import shutil
import signal
import subprocess
import sys
import time

import numpy as np
import pytest

import kelvaro
from helpers import DIPOLE, EXAMPLES


def distance_outside(points, model):
    """How far each point lies outside the model's box (0 inside)."""
    low, high = np.array(model.bounds)
    return np.maximum(np.maximum(low - points, points - high), 0).max(axis=-1)


def test_surfaces_are_indexed_meshes_on_their_level(examples):
    model = kelvaro.load("quadrupole.txt")
    welded, plain, enter = model.surface(-2.5), model.surface(-2.5, weld=False), model.surface(-2.5, normals="enter")
    assert len(welded) == len(plain) > 100 and plain.vertices.shape == (3 * len(plain), 3)
    np.testing.assert_array_equal(plain.triangles, np.arange(3 * len(plain)).reshape(-1, 3))
    # The same triangles, each corner's position and normal, with every shared corner once.
    np.testing.assert_array_equal(welded.vertices[welded.triangles], plain.vertices.reshape(-1, 3, 3))
    np.testing.assert_array_equal(welded.normals[welded.triangles], plain.normals.reshape(-1, 3, 3))
    corners = np.hstack([welded.vertices, welded.normals])
    assert len(np.unique(corners, axis=0)) == len(welded.vertices) < len(plain.vertices) / 2
    assert np.all(np.abs(model.potential(welded.vertices) + 2.5) < 1e-3)
    # Unit normals along the field, and against it for "enter".
    np.testing.assert_allclose(np.linalg.norm(welded.normals, axis=1), 1, rtol=1e-5)
    assert np.all(np.sum(welded.normals * model.field(welded.vertices), axis=1) > 0)
    np.testing.assert_array_equal(enter.normals, -welded.normals)


def test_lines_start_at_the_charge_radius_from_the_installed_seed_file(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)  # no ElectronData here
    model = kelvaro.load(EXAMPLES / "quadrupole.txt")
    lines = model.field_lines(8)
    positions = model.charges[:, 1:]
    assert len(lines) == 32 and lines.offsets[-1] == len(lines.points)
    for line in lines:
        to_charges = np.linalg.norm(positions[:, None] - line[[0, -1]], axis=2).min(axis=0)
        assert to_charges[0] == pytest.approx(0.01, rel=1e-5)
        assert to_charges[1] < 0.01 or distance_outside(line[-1], model) > 0
    # seeds= names any seed file, in any form of path.
    shutil.copy(kelvaro.seed_file(), tmp_path / "seeds")
    for seeds in (None, "seeds", b"seeds", tmp_path / "seeds"):
        np.testing.assert_array_equal(model.field_lines(8, seeds=seeds).points, lines.points)
    # The arrays are the lines' own, and changed offsets cannot reach outside the points.
    del model
    gc.collect()
    assert lines.points.flags.owndata and lines.offsets.flags.owndata
    lines.offsets[1] = 10**9
    assert len(lines[0]) == len(lines.points)
    for index, error in ((32, IndexError), (-33, IndexError), (10**30, IndexError), (1.0, TypeError), (True, TypeError)):
        with pytest.raises(error, match="line index"):
            lines[index]


def test_how_far_lines_and_surfaces_reach_past_the_box(examples):
    for name in ("dipole.txt", "quadrupole.txt", "cloud.txt"):
        model = kelvaro.load(name)
        side = np.ptp(np.array(model.bounds), axis=0).min()
        # A field line's last segment is at most the rest of its path plus the first step.
        for line in model.field_lines(30):
            last = np.linalg.norm(line[-1] - line[-2])
            rest = np.linalg.norm(np.diff(line[:-1], axis=0), axis=1).sum()
            assert last <= rest + 0.05 + 1e-5
            assert distance_outside(line[:-1], model).max() == 0
        hedgehog = model.hedgehog(2000)[0].points
        assert distance_outside(hedgehog[::2], model).max() == 0 and distance_outside(hedgehog, model).max() <= 0.2 + 1e-6
        for level in (-1, 1, 5):
            assert distance_outside(model.surface(level).vertices, model).max() <= 4e-7
    # The README's figure: along the dipole's axis a field line ends far out, by the growth of
    # its step on the straight way (the box's side is 3).
    farthest = max(DIPOLE.field_lines(100), key=lambda line: distance_outside(line[-1], DIPOLE))
    assert distance_outside(farthest[-1], DIPOLE) / 3 == pytest.approx(0.18, abs=0.01)
    assert np.abs(farthest[:, 1:]).max() < 0.2 and len(farthest) < 10


def test_lengths_are_in_model_units_whatever_the_box():
    large = kelvaro.Model(((-1000, -1000, -1000), (1000, 1000, 1000)), [(1, (0, 0, 0))])
    lines = large.field_lines(3)
    np.testing.assert_allclose(np.linalg.norm(lines.points[lines.offsets[:-1]], axis=1), 0.01, rtol=1e-5)
    hedgehog = large.hedgehog(20)[0].points.reshape(-1, 2, 3)
    np.testing.assert_allclose(np.linalg.norm(hedgehog[:, 1] - hedgehog[:, 0], axis=1), 0.2, rtol=1e-3)


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
    lines, hedgehog, surface = model.field_lines(5), model.hedgehog(300)[0], model.surface(1, weld=False)
    stats = batch("stats", "quadrupole.txt", "lines", "5", "hedgehog", "300", "surface", "1", "leave")
    values = [int(line.split()[1]) for line in stats.splitlines() if line.startswith(("polylines", "line_points", "triangles"))]
    assert values == [len(lines), len(lines.points), 0, 0, len(hedgehog.points), 0, 0, 0, len(surface)]
    assert len(hedgehog) == 300 and len(hedgehog.points) == 600


@pytest.mark.parametrize(
    "call, error, words",
    [
        (lambda: DIPOLE.field_lines(0), ValueError, "per_charge must be from 1 to 100, not 0"),
        (lambda: DIPOLE.field_lines(10**30), ValueError, "per_charge must be from 1 to 100, not a number that large"),
        (lambda: DIPOLE.field_lines(2.0), TypeError, "per_charge must be a whole number, not float"),
        (lambda: DIPOLE.field_lines(True), TypeError, "per_charge must be a whole number, not bool"),
        (lambda: DIPOLE.field_lines(2, "no/such/file"), FileNotFoundError, "Could not open the seed file"),
        (lambda: DIPOLE.field_lines(2, EXAMPLES), IsADirectoryError, "Could not open the seed file"),
        (lambda: DIPOLE.field_lines(2, EXAMPLES / "dipole.txt"), ValueError, "holds no set of 2 directions"),
        (lambda: DIPOLE.field_lines(2, "Electron\0Data"), ValueError, "seeds holds a NUL character"),
        (lambda: DIPOLE.field_lines(2, 5), TypeError, "seeds must be a path"),
        (lambda: DIPOLE.hedgehog(100001), ValueError, "count must be from 1 to 100000"),
        (lambda: DIPOLE.hedgehog(True), TypeError, "count must be a whole number, not bool"),
        (lambda: DIPOLE.hedgehog(np.True_), TypeError, "count must be a whole number, not bool"),
        (lambda: DIPOLE.hedgehog(1, 2**32), ValueError, "generator must be from 0 to 4294967295"),
        (lambda: DIPOLE.surface(10.5), ValueError, "level must be from -10 to 10"),
        (lambda: DIPOLE.surface(float("nan")), ValueError, "level must be from -10 to 10"),
        (lambda: DIPOLE.surface(10**400), ValueError, "level is too large for a float"),
        (lambda: DIPOLE.surface(True), TypeError, "level must be a real number, not bool"),
        (lambda: DIPOLE.surface("1"), TypeError, "level must be a real number, not str"),
        (lambda: DIPOLE.surface(1, normals="up"), ValueError, "normals must be \"leave\" or \"enter\""),
        (lambda: DIPOLE.surface(1, normals="leave\0"), ValueError, "normals holds a NUL character"),
        (lambda: DIPOLE.surface(1, weld=1), TypeError, "weld must be True or False"),
    ],
)
def test_bad_requests_raise_naming_the_parameter(call, error, words):
    with pytest.raises(error, match=words):
        call()


def test_ctrl_c_stops_a_long_build_and_the_module_goes_on():
    # 99 charges filling a box but for its corners: a hedgehog of 100000 lines there takes
    # minutes of drawing samples again and again.
    script = """if True:
        import kelvaro
        a = 0.006
        model = kelvaro.Model(((-a, -a, -a), (a, a, a)), [(1, (0, 0, 0))] * 99)
        try:
            print("started", flush=True)
            model.hedgehog(100000)
        except KeyboardInterrupt:
            print("interrupted", flush=True)
        lines, state = kelvaro.Model(((0, 0, 0), (1, 1, 1)), [(1, (0.5, 0.5, 0.5))]).hedgehog(50)
        print(len(lines), state)
    """
    child = subprocess.Popen([sys.executable, "-c", script], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        assert child.stdout.readline() == "started\n"
        time.sleep(0.3)  # well into the build
        child.send_signal(signal.SIGINT)
        out, err = child.communicate(timeout=60)
    finally:
        child.kill()
    lines, state = kelvaro.Model(((0, 0, 0), (1, 1, 1)), [(1, (0.5, 0.5, 0.5))]).hedgehog(50)
    assert (child.returncode, out) == (0, f"interrupted\n{len(lines)} {state}\n"), err
