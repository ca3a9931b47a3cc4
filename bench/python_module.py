"""The Python module's costs beside the C++ ones it stands on, on examples/cloud.txt (99
charges), measured side by side in one run. Run by hand with a build folder:

    /usr/bin/python3 bench/python_module.py build

- Model.potential on a million points against viz_bench's BM_PotentialsOfMillionPoints,
  the C++ path it calls, on the same points (target: at most 1.2 times), with the points
  given as float64 (rounded to single precision by the module) and as float32.
- field_lines(100), hedgehog(100000) and surface(6) against the build_ms that
  `kelvaro-batch stats` reports for the same requests; the module adds the copy into NumPy.

Every figure is a median of several runs (the potential's, of rounds that take turns
between the two sides, with the CPU time of all threads beside the wall time); both sides
run on KELVARO_THREADS threads (default: the processor's).
"""

import json
import pathlib
import statistics
import subprocess
import sys
import time

ROUNDS = 5
RUNS_PER_ROUND = 3
BUILDER_RUNS = 3
EXAMPLES = pathlib.Path(__file__).resolve().parents[1] / "examples"

if len(sys.argv) != 2:
    sys.exit(__doc__)
BUILD = pathlib.Path(sys.argv[1]).resolve()
sys.path.insert(0, str(BUILD / "python"))

import numpy as np  # noqa: E402

import kelvaro  # noqa: E402


def lattice(model):
    """The points of BM_PotentialsOfMillionPoints: the centres of 100 x 100 x 100 cells."""
    (x0, y0, z0), (x1, y1, z1) = model.bounds
    centres = (np.arange(100) + 0.5) / 100
    x, y, z = (low + (high - low) * centres for low, high in ((x0, x1), (y0, y1), (z0, z1)))
    grid = np.stack(np.meshgrid(x, y, z, indexing="ij"), axis=-1).reshape(-1, 3)
    return grid.astype(np.float32).astype(np.float64)


def median_ms(call, runs, clock=time.perf_counter):
    times = []
    for _ in range(runs):
        start = clock()
        call()
        times.append(1000 * (clock() - start))
    return statistics.median(times)


def potential_ms(model, points):
    """The median wall and CPU (all threads) milliseconds of Model.potential."""
    return (median_ms(lambda: model.potential(points), RUNS_PER_ROUND),
            median_ms(lambda: model.potential(points), RUNS_PER_ROUND, time.process_time))


def cpp_potential_ms():
    done = subprocess.run([BUILD / "bench/viz_bench", "--benchmark_filter=^BM_PotentialsOfMillionPoints/",
                           f"--benchmark_repetitions={RUNS_PER_ROUND}", "--benchmark_format=json"],
                          capture_output=True, text=True, check=True)
    runs = [b for b in json.loads(done.stdout)["benchmarks"] if b.get("run_type") == "iteration"]
    return (statistics.median(b["real_time"] for b in runs), statistics.median(b["cpu_time"] for b in runs)), \
        int(runs[0]["threads"])


def batch_build_ms(requests):
    """The median build_ms of each request over BUILDER_RUNS runs of kelvaro-batch stats."""
    runs = []
    for _ in range(BUILDER_RUNS):
        done = subprocess.run([BUILD / "tools/batch/kelvaro-batch", "stats", "cloud.txt", *" ".join(requests).split()],
                              cwd=EXAMPLES, capture_output=True, text=True, check=True)
        runs.append([float(line.split()[1]) for line in done.stdout.splitlines() if line.startswith("build_ms:")])
    return [statistics.median(run[i] for run in runs) for i in range(len(requests))]


def main():
    model = kelvaro.load(EXAMPLES / "cloud.txt")
    points = lattice(model)
    single_points = points.astype(np.float32)
    model.potential(points)  # the first call also pays for pages the process has never used
    # Rounds of each side in turn, so that a change of the machine's load meets both.
    rounds = []
    for _ in range(ROUNDS):
        cpp, threads = cpp_potential_ms()
        wide, single = potential_ms(model, points), potential_ms(model, single_points)
        # Wall and CPU times of C++, float64 and float32 points, then the module's ratios.
        rounds.append((*cpp, *wide, *single, *(side[i] / cpp[i] for side in (wide, single) for i in (0, 1))))
    m = [statistics.median(column) for column in zip(*rounds)]
    print(f"{threads} threads; medians of {ROUNDS} rounds, each side {RUNS_PER_ROUND} runs a round; "
          f"wall time, and CPU time of all threads")
    print(f"C++ potentialsOf, {len(points)} points: {m[0]:.1f} ms, CPU {m[1]:.1f} ms")
    print(f"Model.potential, float64 points: {m[2]:.1f} ms ({m[6]:.2f} x; target at most 1.2 x), "
          f"CPU {m[3]:.1f} ms ({m[7]:.2f} x)")
    print(f"Model.potential, float32 points: {m[4]:.1f} ms ({m[8]:.2f} x), CPU {m[5]:.1f} ms ({m[9]:.2f} x)")

    seeds = EXAMPLES / "ElectronData"
    builders = {
        "lines 100": lambda: model.field_lines(100, seeds),
        "hedgehog 100000": lambda: model.hedgehog(100000),
        "surface 6 leave": lambda: model.surface(6),
    }
    for (request, build), batch in zip(builders.items(), batch_build_ms(list(builders))):
        module = median_ms(build, BUILDER_RUNS)
        print(f"{request}: kelvaro-batch stats {batch:.1f} ms, module {module:.1f} ms ({module / batch:.2f} x)")


main()
