"""Model.probe and Model.flux, and the accurate field lines, against independent numbers
and the batch tool."""

import math

import numpy as np
import pytest

import kelvaro

DIPOLE = kelvaro.Model(((-1.5, -1.5, -1.5), (1.5, 1.5, 1.5)), [(1, (-0.5, 0, 0)), (-1, (0.5, 0, 0))])


def test_probe_reads_what_potential_and_field_read_and_what_the_batch_tool_prints(examples, batch):
    model = kelvaro.load("dipole.txt")
    points = np.array([[0.25, 0.5, -1.0], [1.0, 1.0, 1.0]])
    potentials, fields = model.probe(points)
    np.testing.assert_array_equal(potentials, model.potential(points))
    np.testing.assert_array_equal(fields, model.field(points))
    printed = batch("probe", "dipole.txt", *[str(x) for x in points.ravel()])
    values = [line.split(": ")[1] for line in printed.splitlines() if line.startswith(("potential", "field:"))]
    assert [float(v) for v in values[0::2]] == list(potentials)
    assert [[np.float32(c) for c in v.split()] for v in values[1::2]] == fields.tolist()
    # A plain sum in double precision, as a check of the numbers themselves.
    d = points[0] - np.array([[-0.5, 0, 0], [0.5, 0, 0]])
    r = np.linalg.norm(d, axis=1)
    assert potentials[0] == pytest.approx(1 / r[0] - 1 / r[1], rel=1e-12)
    np.testing.assert_allclose(fields[0], d[0] / r[0] ** 3 - d[1] / r[1] ** 3, rtol=1e-6)


def test_flux_follows_gauss_law_and_refuses_what_it_cannot_tell():
    assert DIPOLE.flux((-0.5, 0, 0), 0.5) == pytest.approx(4 * math.pi, abs=1e-6)
    assert DIPOLE.flux((0, 0, 0), 1.2) == pytest.approx(0, abs=1e-6)
    assert DIPOLE.flux((1, 1, 1), 0.3) == pytest.approx(0, abs=1e-6)
    with pytest.raises(ValueError, match="passes through charge 1"):
        DIPOLE.flux((0, 0, 0), 0.5)
    for radius in (0, -1, float("nan"), float("inf")):
        with pytest.raises(ValueError):
            DIPOLE.flux((0, 0, 0), radius)
    with pytest.raises(ValueError):
        DIPOLE.flux((0, 0), 1)
    with pytest.raises(TypeError):
        DIPOLE.flux((0, 0, "x"), 1)


def test_accurate_lines_end_on_the_box_or_at_a_charges_stop_distance(examples):
    lines = DIPOLE.field_lines(12, seeds="ElectronData", method="accurate")
    charges = np.array([[-0.5, 0, 0], [0.5, 0, 0]], dtype=np.float32)
    assert len(lines) == 24
    for i in range(len(lines)):
        last = lines[i][-1].astype(np.float64)
        distances = np.linalg.norm(charges - last, axis=1)
        on_face = np.isclose(np.abs(last), 1.5, rtol=0, atol=0).any()
        at_charge = np.isclose(distances, 0.01, rtol=0, atol=1e-6).any()
        assert on_face or at_charge, last
    assert len(DIPOLE.field_lines(12, seeds="ElectronData", method="euler")) == 24
    with pytest.raises(ValueError, match="method"):
        DIPOLE.field_lines(12, seeds="ElectronData", method="exact")
