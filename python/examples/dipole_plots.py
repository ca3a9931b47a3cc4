"""The dipole's field lines, projected on the x-y plane, over a colour map of the potential
in that plane, written as a PNG figure.

    python3 python/examples/dipole_plots.py [FIGURE.png]
"""

import pathlib
import sys

import matplotlib

matplotlib.use("Agg")  # no display needed
import matplotlib.pyplot as plt
import numpy as np
from matplotlib.colors import SymLogNorm

import kelvaro

examples = pathlib.Path(__file__).resolve().parents[2] / "examples"
figure_path = sys.argv[1] if len(sys.argv) > 1 else "dipole_plots.png"

model = kelvaro.load(examples / "dipole.txt")
lines = model.field_lines(20)

# The potential on a 600 x 600 grid of the plane z = 0 across the box: a (600, 600) map.
(x0, y0, _), (x1, y1, _) = model.bounds
x, y = np.meshgrid(np.linspace(x0, x1, 600), np.linspace(y0, y1, 600))
potential = model.potential(np.stack([x, y, np.zeros_like(x)], axis=-1))

figure, axes = plt.subplots(figsize=(7.5, 6))
colours = axes.pcolormesh(x, y, potential, cmap="RdBu_r", shading="auto",
                          norm=SymLogNorm(linthresh=0.1, vmin=-20, vmax=20))
figure.colorbar(colours, ax=axes, label="potential (charge / distance)")
for line in lines:
    axes.plot(line[:, 0], line[:, 1], color="black", linewidth=0.6)
values = model.charges[:, 0]
axes.scatter(model.charges[:, 1], model.charges[:, 2], s=60, c=np.where(values > 0, "red", "blue"),
             edgecolors="white", zorder=3)
axes.set(xlim=(x0, x1), ylim=(y0, y1), aspect="equal", xlabel="x", ylabel="y",
         title=f"{model.name}: {len(lines)} field lines, projected, over the potential at z = 0")
figure.savefig(figure_path, dpi=120, bbox_inches="tight")
print(figure_path)
