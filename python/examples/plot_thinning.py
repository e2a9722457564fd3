#!/usr/bin/python3
"""Draws the README's picture of a track thinned from Python: the sample
survey run (1290 fixes, X and Y in metres) and the points that oru.thin_xy
keeps within 1 m, by Douglas-Peucker and by the optimal method, the whole
run and its turn enlarged.

    PYTHONPATH=build/python /usr/bin/python3 python/examples/plot_thinning.py [OUTPUT.png]

from the top of the tree (default output: docs/python_thinning.png)."""

import os
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import oru  # noqa: E402

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")


def draw(axes, x, y, results, window=None):
    axes.plot(x, y, ".", color="0.45", markersize=3, label=f"{len(x)} fixes")
    for (label, result), colour in zip(results, ("tab:red", "tab:blue")):
        k = result.indices
        axes.plot(x[k], y[k], "-o", color=colour, markersize=3.5, linewidth=1.0,
                  label=f"{label}: {len(k)} kept, largest deviation "
                        f"{result.max_deviation:.2f} m")
    if window is not None:
        axes.set_xlim(*window[0])
        axes.set_ylim(*window[1])
    axes.set_aspect("equal")
    axes.set_xlabel("metres east of the first fix")
    axes.set_ylabel("metres north of the first fix")


def main():
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "docs", "python_thinning.png")
    x, y = np.loadtxt(os.path.join(ROOT, "data", "samples", "survey_line_xy.txt"), unpack=True)
    results = [(method, oru.thin_xy(x, y, max_deviation=1.0, method=method))
               for method in ("douglas-peucker", "optimal")]
    x, y = x - x[0], y - y[0]
    figure, (whole, turn) = plt.subplots(1, 2, figsize=(12, 6.5))
    draw(whole, x, y, results)
    whole.set_title("The whole run")
    # Where the first line turns into the turn, enlarged.
    middle = 445
    draw(turn, x, y, results, window=((x[middle] - 80, x[middle] + 80),
                                      (y[middle] - 50, y[middle] + 50)))
    turn.set_title("Part of the turn, enlarged")
    handles, labels = whole.get_legend_handles_labels()
    figure.legend(handles, labels, loc="upper center", ncol=3, fontsize=9)
    figure.tight_layout(rect=(0, 0, 1, 0.94))
    figure.savefig(output, dpi=110)
    print(f"wrote {output}")


if __name__ == "__main__":
    main()
