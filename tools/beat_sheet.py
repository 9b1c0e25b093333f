#!/usr/bin/env python3
"""Draw one sheet per beat motion: every groove of that motion side by side.

Reads a `kinetrope_gen --dump` directory (all beat_ records). For each groove, x, y and z
over one period with a line at every beat and a heavier one at every bar, and the x-y
trace coloured by z (red dot at pip 0).

    python3 tools/beat_sheet.py DUMP_DIR [--motion KEY ...] [--out DIR]
"""

import argparse
import os
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
from sheet import draw_trace, panel_pairs, read_block, read_index  # noqa: E402

PIPS_PER_BEAT = 64
PIPS_PER_BAR = 256


def motions_of(rows):
    """The motions in table order: the last words of the beat names (beat_<groove>_<motion>,
    the motion keys being single words)."""
    return list(dict.fromkeys(r["name"].rsplit("_", 1)[-1] for r in rows))


def groove_of(name, motion):
    return name[len("beat_"):-len(motion) - 1]


def draw_motion(dump, rows, motion, path):
    members = [r for r in rows if r["name"].endswith("_" + motion)]
    fig, pairs = panel_pairs(len(members), 4, (5.2, 1.5),
                             gridspec_kw={"width_ratios": [3, 1] * 4})
    for row, (wave, trace) in zip(members, pairs):
        _, xs, ys, zs = read_block(dump, row["name"])
        period = len(xs)
        for beat in range(0, period + 1, PIPS_PER_BEAT):
            wave.axvline(beat, color="0.6" if beat % PIPS_PER_BAR == 0 else "0.9",
                         linewidth=0.5, zorder=0)
        for values, colour in ((xs, "C0"), (ys, "C1"), (zs, "C2")):
            wave.plot(range(period), values, color=colour, linewidth=0.7)
        wave.set_xlim(0, period)
        wave.set_ylim(-1.0, 1.0)
        wave.set_xticks([])
        wave.set_yticks([])
        wave.set_title(f"{groove_of(row['name'], motion)}  d={row['dimensions']}", fontsize=7,
                       loc="left", pad=2)
        draw_trace(trace, xs, ys, zs, linewidth=0.8, markersize=2, limit=1.0)
        trace.set_xticks([])
        trace.set_yticks([])
    fig.suptitle(f"beat_*_{motion}  (x blue, y orange, z green)", fontsize=10)
    fig.tight_layout(pad=0.3)
    fig.savefig(path, dpi=80)
    plt.close(fig)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("dump", help="directory written by kinetrope_gen --dump")
    parser.add_argument("--motion", nargs="*", default=None,
                        help="the motions to draw (default: all of them)")
    parser.add_argument("--out", default=None, help="where the PNGs go (default: the dump directory)")
    args = parser.parse_args(argv)
    out = args.out or args.dump
    os.makedirs(out, exist_ok=True)
    rows = [r for r in read_index(args.dump) if r["name"].startswith("beat_")]
    if not rows:
        print("no beat patterns in the dump", file=sys.stderr)
        return 1
    motions = motions_of(rows)
    unknown = sorted(set(args.motion or []) - set(motions))
    if unknown:
        parser.error(f"no such motion: {', '.join(unknown)} (choose from {', '.join(motions)})")
    for motion in args.motion or motions:
        path = os.path.join(out, f"beat_{motion}.png")
        draw_motion(args.dump, rows, motion, path)
        print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
