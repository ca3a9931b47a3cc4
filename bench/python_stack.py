"""Kelvaro beside what a physicist would use instead, the same jobs in one process: the
potential on the surface's grid with NumPy and scikit-image's marching cubes, VTK's flying
edges (through its Python bindings) on that grid, and NumPy for the hedgehog's directions.
Run by hand with a build folder, after `scripts/setup.sh bench`:

    /usr/bin/python3 bench/python_stack.py build

- Surfaces, the dipole's at V = 1 and the cloud's at V = 6: the module's Model.surface
  against NumPy's potential on the same 41 x 41 x 41 nodes plus skimage.measure.marching_cubes
  (targets: at most 0.8 x for the dipole, 0.5 x for the cloud).
- Hedgehogs of 100000 lines on both models: Model.hedgehog against NumPy drawing the same
  number of points in the box and computing each one's field direction and line end
  (targets: at most 0.8 x for the dipole, 0.3 x for the cloud).
- A fresh process's first surface of the cloud at V = 6: the build_ms of
  `kelvaro-batch stats cloud.txt surface 6 leave`, which samples the potential and makes
  the surface, against a fresh interpreter that computes the same grid of the potential
  with NumPy and runs the VTK pipeline on it (an image of the grid, vtkFlyingEdges3D with
  normals), both timed (target: at most 0.3 x); the imports are left out. The ratio to
  the VTK pipeline alone, given the grid, is printed too.

In-process figures are medians over rounds that take turns between the sides, so a change
of the machine's load meets both; each round's ratio is taken within the round, and the
median of those ratios printed. Kelvaro runs on KELVARO_THREADS threads (default: the
processor's); NumPy and scikit-image on one; VTK on its own SMP threads.
"""

import pathlib
import statistics
import subprocess
import sys
import time

ROUNDS = 9
RUNS_PER_ROUND = 3
FRESH_PROCESSES = 9
GRID_CELLS = 40  # the surface builder's cells along each axis
HEDGEHOG_LINES = 100000
EXAMPLES = pathlib.Path(__file__).resolve().parents[1] / "examples"


def charges_and_box(model):
    """The charges as float64 columns (values, positions) and the box corners, from the module."""
    charges = model.charges.astype("float64")
    return charges[:, 0], charges[:, 1:4], model.bounds


def grid_axes(np, bounds):
    """The nodes along each axis of the surface builder's grid."""
    (x0, y0, z0), (x1, y1, z1) = bounds
    return [np.linspace(low, high, GRID_CELLS + 1) for low, high in ((x0, x1), (y0, y1), (z0, z1))]


def numpy_potential_grid(np, values, positions, bounds):
    """The potential q / r summed over the charges at every node, one charge at a time."""
    x, y, z = np.meshgrid(*grid_axes(np, bounds), indexing="ij", sparse=True)
    potential = np.zeros((GRID_CELLS + 1,) * 3)
    for q, (cx, cy, cz) in zip(values, positions):
        potential += q / np.sqrt((x - cx) ** 2 + (y - cy) ** 2 + (z - cz) ** 2)
    return potential


def spacing(bounds):
    (x0, y0, z0), (x1, y1, z1) = bounds
    return tuple((high - low) / GRID_CELLS for low, high in ((x0, x1), (y0, y1), (z0, z1)))


def numpy_hedgehog(np, rng, values, positions, bounds, length):
    """HEDGEHOG_LINES points in the box, the unit field direction at each and the line's end."""
    low, high = (np.asarray(corner) for corner in bounds)
    points = rng.uniform(low, high, size=(HEDGEHOG_LINES, 3))
    field = np.zeros_like(points)
    for q, centre in zip(values, positions):
        d = points - centre
        r2 = np.einsum("ij,ij->i", d, d)
        field += (q / (r2 * np.sqrt(r2)))[:, None] * d
    direction = field / np.linalg.norm(field, axis=1)[:, None]
    return points, points + length * direction


def vtk_flying_edges(np, potential, bounds, level):
    """The surface of `level` through VTK's flying edges, with normals, on the potential grid."""
    import vtk
    from vtk.util import numpy_support

    image = vtk.vtkImageData()
    image.SetDimensions(*potential.shape)
    image.SetOrigin(*bounds[0])
    image.SetSpacing(*spacing(bounds))
    # VTK's image order is x fastest: the (i, j, k) array read in Fortran order.
    scalars = numpy_support.numpy_to_vtk(potential.ravel(order="F"), deep=True)
    image.GetPointData().SetScalars(scalars)
    edges = vtk.vtkFlyingEdges3D()
    edges.SetInputData(image)
    edges.SetValue(0, level)
    edges.ComputeNormalsOn()
    edges.Update()
    return edges.GetOutput()


def vtk_fresh(model_name, level):
    """In a fresh interpreter: the milliseconds of NumPy's grid of the model's potential, and
    of the VTK pipeline that makes the surface from that grid, the first time each runs."""
    import numpy as np
    import vtk  # noqa: F401 (loaded before the clock starts, as the batch tool is before its build)

    sys.path.insert(0, str(BUILD / "python"))
    import kelvaro

    values, positions, bounds = charges_and_box(kelvaro.load(EXAMPLES / model_name))
    start = time.perf_counter()
    potential = numpy_potential_grid(np, values, positions, bounds)
    sampled = time.perf_counter()
    surface = vtk_flying_edges(np, potential, bounds, level)
    done = time.perf_counter()
    if surface.GetNumberOfPolys() == 0:
        sys.exit("VTK made no surface")
    print(f"{1000 * (sampled - start):.3f} {1000 * (done - sampled):.3f}")


def timed_ms(call):
    start = time.perf_counter()
    call()
    return 1000 * (time.perf_counter() - start)


def median_ratios(sides, rounds=ROUNDS):
    """The median milliseconds of each side and of the ratio side 0 / side 1 per round; each
    round runs each side RUNS_PER_ROUND times in turn and keeps each side's median."""
    for call in sides:
        call()  # the first call also pays for pages and imports the process has never had
    per_round = []
    for _ in range(rounds):
        times = [[], []]
        for _ in range(RUNS_PER_ROUND):
            for side, call in enumerate(sides):
                times[side].append(timed_ms(call))
        ours, theirs = (statistics.median(t) for t in times)
        per_round.append((ours, theirs, ours / theirs))
    return [statistics.median(column) for column in zip(*per_round)]


def report(what, figures, target):
    ours, theirs, ratio = figures
    verdict = "met" if ratio <= target else "NOT met"
    print(f"{what}: Kelvaro {ours:.2f} ms, {theirs:.2f} ms: {ratio:.2f} x (target at most {target} x, {verdict})")


def in_process(kelvaro, np):
    from skimage import measure

    rng = np.random.default_rng(1)
    for name, level, surface_target, hedgehog_target in (("dipole.txt", 1.0, 0.8, 0.8), ("cloud.txt", 6.0, 0.5, 0.3)):
        model = kelvaro.load(EXAMPLES / name)
        values, positions, bounds = charges_and_box(model)

        def python_surface():
            potential = numpy_potential_grid(np, values, positions, bounds)
            measure.marching_cubes(potential, level, spacing=spacing(bounds))

        report(f"{name} surface at V = {level:g} against NumPy + scikit-image",
               median_ratios([lambda: model.surface(level), python_surface]), surface_target)
        report(f"{name} hedgehog of {HEDGEHOG_LINES} lines against NumPy",
               median_ratios([lambda: model.hedgehog(HEDGEHOG_LINES),
                              lambda: numpy_hedgehog(np, rng, values, positions, bounds, 0.2)]), hedgehog_target)


def fresh_processes():
    """The first surface of a fresh process, each side FRESH_PROCESSES times in turn."""
    batch = [str(BUILD / "tools/batch/kelvaro-batch"), "stats", "cloud.txt", "surface", "6", "leave"]
    python = [sys.executable, __file__, str(BUILD), "--vtk-fresh"]
    ours, pipeline, whole = [], [], []
    for _ in range(FRESH_PROCESSES):
        done = subprocess.run(batch, cwd=EXAMPLES, capture_output=True, text=True, check=True)
        ours.append(float(next(line.split()[1] for line in done.stdout.splitlines() if line.startswith("build_ms:"))))
        grid, surface = map(float, subprocess.run(python, capture_output=True, text=True, check=True).stdout.split())
        pipeline.append(surface)
        whole.append(grid + surface)
    median = statistics.median
    report(f"cloud.txt's first surface at V = 6 in a fresh process against NumPy's grid and VTK's flying edges "
           f"({FRESH_PROCESSES} pairs)", (median(ours), median(whole), median([o / w for o, w in zip(ours, whole)])), 0.3)
    print(f"  against VTK's pipeline alone, on the grid made before: {median(pipeline):.2f} ms, "
          f"{median([o / p for o, p in zip(ours, pipeline)]):.2f} x")


if len(sys.argv) < 2:
    sys.exit(__doc__)
BUILD = pathlib.Path(sys.argv[1]).resolve()

if sys.argv[2:] == ["--vtk-fresh"]:
    vtk_fresh("cloud.txt", 6.0)
else:
    sys.path.insert(0, str(BUILD / "python"))
    import numpy  # noqa: E402

    import kelvaro  # noqa: E402

    in_process(kelvaro, numpy)
    fresh_processes()
