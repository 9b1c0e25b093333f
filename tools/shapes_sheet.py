#!/usr/bin/env python3
"""Draw the pictures of kinetrope_rig.shapes for the guide.

- shapes_easings.png: every easing, each as the pattern `ease` builds over one bar;
- shapes_lfos.png: the six LFO waves at three rates (a dotted note and a triplet among
  them), one bar each, with a line at every beat;
- shapes_figures.png: the figures as x-y traces coloured from the start of the cycle
  (dark) to its end (light), with a red dot at pip 0.

Everything drawn is sampled from the patterns themselves.

    python3 tools/shapes_sheet.py [--out docs/images]

Needs matplotlib (the project's "docs" extra), kinetrope and kinetrope_rig (installed, or
PYTHONPATH set to the repository).
"""

import argparse
import os
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
from matplotlib.collections import LineCollection  # noqa: E402

import kinetrope  # noqa: E402
from kinetrope_rig import shapes  # noqa: E402

BAR = 4 * kinetrope.PIPS_PER_BEAT
DPI = 72
GRID = "0.88"
LINE = "#1f77b4"
RATES = ("1/2", "1/4.", "1/8t")
FIGURES = (
    ("lissajous 1:2", lambda: shapes.lissajous("f", "1 bar", 1, 2)),
    ("lissajous 3:4, phase 1/8", lambda: shapes.lissajous("f", "1 bar", 3, 4, 0.125)),
    ("polygon, 3 sides", lambda: shapes.polygon("f", "1 bar", 3)),
    ("polygon, 4 sides, rotation 45", lambda: shapes.polygon("f", "1 bar", 4, 45)),
    ("polygon, 4 sides (diamond)", lambda: shapes.polygon("f", "1 bar", 4)),
    ("line, angle 30", lambda: shapes.line("f", "1 bar", 30)),
    ("rose, 3 petals", lambda: shapes.rose("f", "1 bar", 3)),
    ("rose, 8 petals", lambda: shapes.rose("f", "1 bar", 8)),
)


def samples(pattern, count):
    return [pattern.sample(pip).as_tuple() for pip in range(count)]


def time_axes(ax, title, pips):
    for beat in range(0, pips + 1, kinetrope.PIPS_PER_BEAT):
        ax.axvline(beat, color=GRID, linewidth=0.6, zorder=0)
    ax.set_xlim(0, pips)
    ax.set_ylim(-1.05, 1.05)
    ax.set_xticks([])
    ax.set_yticks([-1, 0, 1])
    ax.tick_params(labelsize=7)
    ax.set_title(title, fontsize=9)


def easings_sheet(path):
    """Three columns a family (in, out, in_out), two families a row; linear and steps last."""
    names = list(shapes.EASINGS[1:]) + ["linear", "steps(5)"]
    fig, axes = plt.subplots(6, 6, figsize=(13, 8.4), squeeze=False)
    for ax in axes.flat:
        ax.set_visible(False)
    for ax, name in zip(axes.flat, names):
        ax.set_visible(True)
        pattern = shapes.ease("e", name, "1 bar", start=(-0.5, 0, 0), end=(0.5, 0, 0))
        for level in (-0.5, 0.5):
            ax.axhline(level, color=GRID, linewidth=0.6, zorder=0)
        ax.plot(range(BAR + 1), [x for x, _, _ in samples(pattern, BAR)] + [0.5], color=LINE,
                linewidth=1.2, drawstyle="steps-post" if name.startswith("steps") else "default")
        time_axes(ax, name, BAR)
        ax.set_yticks([])
    fig.suptitle("Easings from start −0.5 to end 0.5 over one bar", fontsize=11)
    fig.tight_layout()
    fig.savefig(path, dpi=DPI)
    plt.close(fig)


def lfos_sheet(path):
    fig, axes = plt.subplots(len(shapes.WAVES), len(RATES), figsize=(12, 8), squeeze=False)
    for row, wave in enumerate(shapes.WAVES):
        for column, rate in enumerate(RATES):
            ax = axes[row][column]
            pattern = shapes.lfo("w", wave, rate, width=0.25, steps=4)
            xs = [x for x, _, _ in samples(pattern, BAR)]
            stepped = wave in ("square", "random")
            ax.plot(range(BAR), xs, color=LINE, linewidth=1.2,
                    drawstyle="steps-post" if stepped else "default")
            time_axes(ax, f"{wave} at {rate}", BAR)
    fig.suptitle("LFO waves over one bar (grey lines: beats); square width 0.25, "
                 "random 4 steps a cycle", fontsize=11)
    fig.tight_layout()
    fig.savefig(path, dpi=DPI)
    plt.close(fig)


def figures_sheet(path):
    fig, axes = plt.subplots(2, 4, figsize=(11, 5.8), squeeze=False)
    for ax, (title, build) in zip(axes.flat, FIGURES):
        points = samples(build(), BAR)
        closed = points + points[:1]
        segments = [[closed[k][:2], closed[k + 1][:2]] for k in range(BAR)]
        lines = LineCollection(segments, cmap="viridis", linewidths=1.6)
        lines.set_array(list(range(BAR)))
        ax.add_collection(lines)
        ax.plot([points[0][0]], [points[0][1]], "o", color="red", markersize=4)
        ax.set_xlim(-1.1, 1.1)
        ax.set_ylim(-1.1, 1.1)
        ax.set_aspect("equal")
        ax.set_xticks([-1, 0, 1])
        ax.set_yticks([-1, 0, 1])
        ax.tick_params(labelsize=7)
        ax.grid(color=GRID, linewidth=0.6)
        ax.set_title(title, fontsize=9)
    fig.suptitle("Figures, x–y over one cycle: dark at the start, light at the end, "
                 "red dot at pip 0", fontsize=11)
    fig.tight_layout()
    fig.savefig(path, dpi=DPI)
    plt.close(fig)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(os.path.dirname(__file__), "..", "docs",
                                                      "images"),
                        help="directory for the PNG files (default: docs/images)")
    args = parser.parse_args(argv)
    os.makedirs(args.out, exist_ok=True)
    for name, draw in (("shapes_easings.png", easings_sheet), ("shapes_lfos.png", lfos_sheet),
                       ("shapes_figures.png", figures_sheet)):
        path = os.path.join(args.out, name)
        draw(path)
        print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
