#!/usr/bin/env python3
"""Draw contact sheets of generated patterns from a `kinetrope_gen --dump` directory.

One PNG per family (or one for --only PREFIX): for each pattern, x, y and z over one
period with a line at every beat, and the x-y trace coloured by z.

    python3 tools/sheet.py DUMP_DIR [--only PREFIX] [--out DIR]
"""

import argparse
import csv
import math
import os
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
from matplotlib.collections import LineCollection  # noqa: E402

PIPS_PER_BEAT = 64


def draw_trace(trace, xs, ys, zs, linewidth, markersize, limit):
    """The x-y trace coloured by z, closed from the last pip back to pip 0 so an open seam
    shows, with pip 0 marked."""
    px, py, pz = xs + xs[:1], ys + ys[:1], zs + zs[:1]
    segments = [[(px[k], py[k]), (px[k + 1], py[k + 1])] for k in range(len(xs))]
    lc = LineCollection(segments, cmap="viridis", linewidths=linewidth)
    lc.set_array([(pz[k] + pz[k + 1]) / 2 for k in range(len(xs))])
    lc.set_clim(-1, 1)
    trace.add_collection(lc)
    trace.plot([xs[0]], [ys[0]], "o", color="red", markersize=markersize)
    trace.set_xlim(-limit, limit)
    trace.set_ylim(-limit, limit)
    trace.set_aspect("equal")


def panel_pairs(count, cols, panel_size, **subplots):
    """A figure of count (wave, trace) panel pairs, cols pairs a line, each pair
    panel_size inches; the panels past the last pair stay hidden."""
    lines = math.ceil(count / cols)
    fig, axes = plt.subplots(lines, cols * 2, figsize=(cols * panel_size[0], lines * panel_size[1]),
                             squeeze=False, **subplots)
    for ax in axes.flat:
        ax.set_visible(False)
    pairs = []
    for i in range(count):
        wave = axes[i // cols][(i % cols) * 2]
        trace = axes[i // cols][(i % cols) * 2 + 1]
        wave.set_visible(True)
        trace.set_visible(True)
        pairs.append((wave, trace))
    return fig, pairs


def read_index(dump):
    with open(os.path.join(dump, "index.csv"), newline="", encoding="utf-8") as f:
        return list(csv.DictReader(f))


def read_block(dump, name):
    pips, xs, ys, zs = [], [], [], []
    with open(os.path.join(dump, name + ".csv"), newline="") as f:
        for row in csv.DictReader(f):
            pips.append(int(row["pip"]))
            xs.append(float(row["x"]))
            ys.append(float(row["y"]))
            zs.append(float(row["z"]))
    return pips, xs, ys, zs


def draw_sheet(dump, rows, title, path):
    fig, pairs = panel_pairs(len(rows), 4, (6.4, 2.6))
    for i, (row, (wave, trace)) in enumerate(zip(rows, pairs)):
        pips, xs, ys, zs = read_block(dump, row["name"])
        period = len(pips)
        for beat in range(0, period + 1, PIPS_PER_BEAT):
            wave.axvline(beat, color="0.88", linewidth=0.6, zorder=0)
        wave.plot(pips, xs, label="x", linewidth=0.9)
        wave.plot(pips, ys, label="y", linewidth=0.9)
        wave.plot(pips, zs, label="z", linewidth=0.9)
        wave.set_xlim(0, period)
        wave.set_ylim(-1.05, 1.05)
        wave.set_title(f"{row['name']}  (P={period}, d={row['dimensions']})", fontsize=8)
        wave.tick_params(labelsize=6)
        if i == 0:
            wave.legend(fontsize=6, loc="upper right")
        draw_trace(trace, xs, ys, zs, linewidth=1.2, markersize=3, limit=1.05)
        trace.tick_params(labelsize=6)
    fig.suptitle(title)
    fig.tight_layout()
    fig.savefig(path, dpi=90)
    plt.close(fig)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("dump", help="directory written by kinetrope_gen --dump")
    parser.add_argument("--only", default="", help="draw one sheet of the names with this prefix")
    parser.add_argument("--out", default=None, help="where the PNGs go (default: the dump directory)")
    args = parser.parse_args(argv)
    out = args.out or args.dump
    os.makedirs(out, exist_ok=True)
    rows = [r for r in read_index(args.dump) if r["name"].startswith(args.only)]
    if not rows:
        print("no patterns match", file=sys.stderr)
        return 1
    if args.only:
        groups = {args.only: rows}
    else:
        groups = {}
        for r in rows:
            groups.setdefault(r["family"], []).append(r)
    for key, members in groups.items():
        # The beat family is large: one sheet per groove keeps each one readable.
        chunks = [members[k:k + 16] for k in range(0, len(members), 16)]
        for c, chunk in enumerate(chunks):
            suffix = f"_{c + 1:02d}" if len(chunks) > 1 else ""
            path = os.path.join(out, f"sheet_{key.rstrip('_')}{suffix}.png")
            draw_sheet(args.dump, chunk, key + suffix, path)
            print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
