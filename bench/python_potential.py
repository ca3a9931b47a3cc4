"""Model.potential of the Python module against the C++ path that it calls, on the same
million points of examples/cloud.txt (99 charges), side by side in one run. The target: the
module costs at most 1.2 times what the C++ path costs. Run by hand, from a build folder:

    PYTHONPATH=python /usr/bin/python3 ../bench/python_potential.py bench/viz_bench

The C++ figure is the median of viz_bench's BM_PotentialsOfMillionPoints; the module's
figures are medians of as many calls, with points given as float64 (converted to single
precision by the module) and as float32. Both run on KELVARO_THREADS threads (default: the
processor's).
"""

import json
import pathlib
import statistics
import subprocess
import sys
import time

import numpy as np

import kelvaro

RUNS = 15


def lattice(model):
    """The points of BM_PotentialsOfMillionPoints: the centres of 100 x 100 x 100 cells."""
    (x0, y0, z0), (x1, y1, z1) = model.bounds
    centres = (np.arange(100) + 0.5) / 100
    x, y, z = (low + (high - low) * centres for low, high in ((x0, x1), (y0, y1), (z0, z1)))
    grid = np.stack(np.meshgrid(x, y, z, indexing="ij"), axis=-1).reshape(-1, 3)
    return grid.astype(np.float32).astype(np.float64)


def module_ms(model, points):
    model.potential(points)  # the first call also pays for fresh pages
    times = []
    for _ in range(RUNS):
        start = time.perf_counter()
        model.potential(points)
        times.append(1000 * (time.perf_counter() - start))
    return statistics.median(times)


def cpp_ms(viz_bench):
    done = subprocess.run([viz_bench, "--benchmark_filter=^BM_PotentialsOfMillionPoints/",
                           f"--benchmark_repetitions={RUNS}", "--benchmark_format=json"],
                          capture_output=True, text=True, check=True)
    runs = [b for b in json.loads(done.stdout)["benchmarks"] if b.get("run_type") == "iteration"]
    return statistics.median(b["real_time"] for b in runs), int(runs[0]["threads"])


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    model = kelvaro.load(pathlib.Path(__file__).resolve().parents[1] / "examples" / "cloud.txt")
    points = lattice(model)
    cpp, threads = cpp_ms(sys.argv[1])
    wide = module_ms(model, points)
    single = module_ms(model, points.astype(np.float32))
    print(f"C++ potentialsOf, {len(points)} points, {threads} threads: {cpp:.1f} ms")
    print(f"Model.potential, float64 points: {wide:.1f} ms ({wide / cpp:.2f} x; target at most 1.2 x)")
    print(f"Model.potential, float32 points: {single:.1f} ms ({single / cpp:.2f} x)")


main()
