"""Points as NumPy users give them: any shape (..., 3), any real dtype, any memory layout;
the results' shapes and dtypes."""

import numpy as np
import pytest

import kelvaro
from helpers import DIPOLE

GRID = np.random.default_rng(11).uniform(-1.5, 1.5, (4, 5, 3))


def flat_evaluations(points):
    """Potentials and fields of the points as plain (N, 3) float64 rows of their float32 values."""
    rows = np.asarray(points, dtype=np.float32).reshape(-1, 3).astype(np.float64)
    return DIPOLE.potential(rows), DIPOLE.field(rows)


def test_results_keep_the_leading_shape_and_one_dtype_rule():
    potential, field = DIPOLE.potential(GRID), DIPOLE.field(GRID)
    assert (potential.shape, potential.dtype, field.shape, field.dtype) == ((4, 5), np.float64, (4, 5, 3), np.float32)
    flat_potential, flat_field = flat_evaluations(GRID)
    np.testing.assert_array_equal(potential.ravel(), flat_potential)
    np.testing.assert_array_equal(field.reshape(-1, 3), flat_field)
    # One point: a NumPy float64 (a float) and a (3,) float32 field, the values of the grid's.
    one = DIPOLE.potential(GRID[1, 2])
    assert type(one) is np.float64 and isinstance(one, float) and one == potential[1, 2]
    assert DIPOLE.field(GRID[1, 2]).dtype == np.float32
    np.testing.assert_array_equal(DIPOLE.field(GRID[1, 2]), field[1, 2])
    # No points: empty results of the same kinds.
    assert DIPOLE.potential(np.zeros((0, 3))).shape == (0,) and DIPOLE.field(np.zeros((2, 0, 3))).shape == (2, 0, 3)


@pytest.mark.parametrize("dtype", [np.int8, np.int64, np.uint16, np.float16, np.float32, ">f8", "<f4", np.longdouble])
def test_every_real_dtype_is_taken_and_rounded_once_to_single_precision(dtype):
    points = (GRID * 40).astype(dtype)
    expected = flat_evaluations(points)
    np.testing.assert_array_equal(DIPOLE.potential(points).ravel(), expected[0])
    np.testing.assert_array_equal(DIPOLE.field(points).reshape(-1, 3), expected[1])


def test_integers_and_python_numbers_are_rounded_once():
    # 2**24 + 1 has no float32 of its own: it rounds (to even) to 2**24, as a file's number would.
    big = 2**24 + 1
    assert DIPOLE.potential([big, 0, 0]) == DIPOLE.potential([2.0**24, 0, 0])
    assert DIPOLE.potential(np.array([[big, 0, 0]], dtype=np.int64))[0] == DIPOLE.potential([2.0**24, 0, 0])
    # An int beyond 64 bits, which NumPy keeps as an object.
    assert DIPOLE.potential([2**70, 0, 0]) == DIPOLE.potential([2.0**70, 0, 0])


def test_any_memory_layout_is_read_right():
    # Misaligned views into a byte buffer, at an odd offset, for both float dtypes.
    for dtype in (np.float64, np.float32):
        size = np.dtype(dtype).itemsize
        buffer = np.zeros(GRID.size * size + 1, np.uint8)
        misaligned = buffer[1:].view(dtype).reshape(GRID.shape)
        misaligned[...] = GRID
        assert not misaligned.flags.aligned
        np.testing.assert_array_equal(DIPOLE.potential(misaligned), DIPOLE.potential(GRID.astype(dtype)))
        np.testing.assert_array_equal(DIPOLE.field(misaligned), DIPOLE.field(GRID.astype(dtype)))
    # Strided and Fortran-ordered views.
    wide = np.zeros((4, 10, 6))
    wide[:, ::2, ::2] = GRID
    np.testing.assert_array_equal(DIPOLE.potential(wide[:, ::2, ::2]), DIPOLE.potential(GRID))
    np.testing.assert_array_equal(DIPOLE.field(np.asfortranarray(GRID)), DIPOLE.field(GRID))


@pytest.mark.parametrize(
    "points, error, words",
    [
        (np.zeros((4, 2)), ValueError, r"points must have shape \(..., 3\)"),
        (np.float64(1.0), ValueError, r"points must have shape \(..., 3\)"),
        ([[0, 0, 0], [1, 1]], ValueError, r"points must be an array of shape \(..., 3\)"),
        (np.zeros((4, 3), dtype=bool), TypeError, "not bool"),
        (np.zeros((4, 3), dtype=np.complex64), TypeError, "not complex64"),
        (["1", "2", "3"], TypeError, "must hold real numbers"),
        ([[0, 0, 10**400]], ValueError, "too large for a float"),
        ([[0, 0, 0], [0, 0, np.nan]], ValueError, r"points\[1\] has a coordinate that is not finite"),
        (np.full((2, 3, 3), 1e39), ValueError, r"points\[0, 0\] has a coordinate that is not finite in single"),
    ],
)
def test_points_that_are_no_points_are_refused(points, error, words):
    for evaluate in (DIPOLE.potential, DIPOLE.field):
        with pytest.raises(error, match=words):
            evaluate(points)


def test_where_single_precision_ends_the_field():
    # Within (|q| / 3.4e38)^(1/3) of a charge q, q / r^3 passes float32's range.
    for q, edge in ((1, 1.43e-13), (1e-9, 1.43e-16)):
        model = kelvaro.Model(((-1, -1, -1), (1, 1, 1)), [(q, (0, 0, 0))])
        assert np.isfinite(model.field([1.05 * edge, 0, 0])).all()
        assert not np.isfinite(model.field([0.95 * edge, 0, 0])).any()
        assert np.isfinite(model.potential([0.95 * edge, 0, 0]))
    # A point and a charge more than 3.4e38 apart along an axis.
    far = kelvaro.Model(((-1, -1, -1), (1, 1, 1)), [(1, (-2e38, 0, 0))])
    assert np.isnan(far.field([2e38, 0, 0])[0]) and np.isfinite(far.potential([2e38, 0, 0]))
