"""Exact electrostatic fields of point charges in 3D, from the C++ core of Kelvaro.

    load(path) -> Model                          reads a model file as the program does
    Model(bounds, charges, name='', axes=False, box=False)
                                                 a model from Python values
    Model.potential(points) -> float64 (...)     potentials at points of shape (..., 3)
    Model.field(points) -> float32 (..., 3)      fields at points of shape (..., 3)
    Model.field_lines(per_charge, seeds=None, method='euler', *, proportional=False, strength=False)
                                                 -> Lines, or (Lines, colours) with strength
    Model.hedgehog(count, generator=None) -> (Lines, generator)
    Model.surface(level, normals='leave', *, weld=True) -> Surface
    Model.plane(axis='z', offset=None, *, levels=15, lines=0) -> Plane
    picture(model, requests=(), size=(626, 520), turn=(0, 0), ...) -> (H, W, 3) uint8
                                                 the picture of kelvaro-batch png
    seed_file() -> str                           the ElectronData installed with the module

Units are the model's: positions in the units of its box, a charge q at distance r has
the potential q / r (Coulomb's constant 1). The charge radius 0.01 (where field lines
start and stop), the hedgehog lines' length 0.2 and the surface levels' limits -10 to 10
are in those units, whatever the size of the box.

Precision: every number is the one the program computes, bit for bit. The program holds
coordinates in single precision: points are rounded to float32 before they are evaluated,
and a coordinate beyond float32's range (3.4e38) is refused. One dtype rule for every
output, the same for one point and for many: what is computed in double precision comes
as float64 (potentials, charges, potential_range), what the program computes and keeps in
single precision as float32 (fields, line points, surface vertices and normals), since
that is all the precision it has; np.asarray(x, float) widens it exactly. Points are any
array-like of shape (..., 3) and real dtype (integers included, bool not); results keep
the leading shape, and one point of shape (3,) gives a numpy.float64 potential and a (3,)
field.

The builders run on KELVARO_THREADS threads (default: the processor's) and give the same
numbers on any number of them, without the interpreter's lock; Ctrl+C stops a builder or
an evaluation within some milliseconds with KeyboardInterrupt (a picture, once drawn).
Bad values raise TypeError or ValueError naming the parameter; files OSError; model files
the program cannot read kelvaro.ModelError.
"""

import os as _os

from kelvaro import _kelvaro
from kelvaro._kelvaro import Lines, Model, ModelError, ModelWarning, Picture, Plane, Surface, load, picture

__all__ = ["Lines", "Model", "ModelError", "ModelWarning", "Picture", "Plane", "Surface", "load", "picture",
           "seed_file"]


def seed_file() -> str:
    """seed_file() -> str

    The path of the seed file ElectronData installed with the module: the directions in
    which field lines start around a charge, 1 to 100 of them. Every seeds= argument
    defaults to it.

    Example: kelvaro.seed_file()  # '.../kelvaro/ElectronData'
    """
    return _os.path.join(_os.path.dirname(_os.path.abspath(__file__)), "ElectronData")


def _model_of_state(state):
    """The model that pickle and copy keep as `state` (see Model.__reduce__)."""
    return _kelvaro._model_of_state(state)


# Shown, pickled and documented as kelvaro's own.
for _name in ("Lines", "Model", "Picture", "Plane", "Surface", "load", "picture"):
    globals()[_name].__module__ = __name__
del _name
