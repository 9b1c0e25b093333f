#!/usr/bin/env python3
"""Draw a fan of 8 under each fan rule, as phase-shifted traces.

One panel per rule (spread, order, wings, blocks, groups): the x of `circle` for each of
the eight members over two beats, member 0 at the top, with a dot where each member starts
its cycle, that is its delay behind the effect. The delays are printed beside the traces.

    python3 tools/fan_picture.py [--out docs/images/fan.png]

Needs matplotlib (the project's "docs" extra; it brings Pillow), numpy and an importable
kinetrope; the kinetrope_rig of this checkout is used.
"""

import argparse
import io
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT))

import matplotlib  # noqa: E402

matplotlib.use("Agg")
from matplotlib.backends.backend_agg import FigureCanvasAgg  # noqa: E402
from matplotlib.figure import Figure  # noqa: E402
from PIL import Image  # noqa: E402

from kinetrope_rig.effects import Fan  # noqa: E402

PIPS_PER_BEAT = 64
BEATS = 2
MEMBERS = 8
# (panel title, the fan's keyword arguments)
RULES = [
    ("spread 1", {}),
    ("spread 1/2", {"spread": "1/2"}),
    ('order "reverse"', {"order": "reverse"}),
    ('order "center_out"', {"order": "center_out"}),
    ("wings 2", {"wings": 2}),
    ("blocks 2", {"blocks": 2}),
    ("groups 2", {"groups": 2}),
    ("wings 2, blocks 2", {"wings": 2, "blocks": 2}),
]
COLUMNS = 4
DPI = 72


def draw_rule(axes, title, options):
    fan = Fan("circle", MEMBERS, **options)
    pips = range(BEATS * PIPS_PER_BEAT)
    frames = [fan.frame(pip) for pip in pips]
    for beat in range(BEATS + 1):
        axes.axvline(beat * PIPS_PER_BEAT, color="0.85", linewidth=0.6, zorder=0)
    for member, delay in enumerate(fan.delays):
        base = MEMBERS - 1 - member
        colour = matplotlib.colormaps["viridis"](member / MEMBERS)
        axes.plot(pips, [base + 0.38 * frame[member, 0] for frame in frames], color=colour,
                  linewidth=1.0)
        axes.plot([delay], [base], "o", color="#d62728", markersize=3)
        axes.text(BEATS * PIPS_PER_BEAT + 3, base, str(delay), fontsize=6, va="center")
    axes.set_xlim(0, BEATS * PIPS_PER_BEAT)
    axes.set_ylim(-0.6, MEMBERS - 0.4)
    axes.set_xticks([0, PIPS_PER_BEAT, 2 * PIPS_PER_BEAT])
    axes.set_xticklabels(["0", "64", "128"], fontsize=6)
    axes.set_yticks(range(MEMBERS))
    axes.set_yticklabels([str(MEMBERS - 1 - k) for k in range(MEMBERS)], fontsize=6)
    axes.tick_params(length=2, pad=1)
    axes.set_title(title, fontsize=8, pad=3)


def draw(path):
    rows = -(-len(RULES) // COLUMNS)
    fig = Figure(figsize=(9.6, 2.5 * rows + 0.4), dpi=DPI)
    FigureCanvasAgg(fig)
    for index, (title, options) in enumerate(RULES):
        draw_rule(fig.add_subplot(rows, COLUMNS, index + 1), title, options)
    fig.suptitle("Fan('circle', 8, ...): x of each member (0 at the top) over two beats; "
                 "red dot: the member's delay in pips, also printed at the right",
                 fontsize=8)
    fig.tight_layout(pad=0.4, w_pad=1.6, rect=(0, 0, 1, 0.96))
    png = io.BytesIO()
    fig.savefig(png, dpi=DPI)
    # A palette of 64 colours keeps the committed picture small; the traces look the same.
    png.seek(0)
    Image.open(png).convert("RGB").quantize(colors=64).save(path, optimize=True)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=str(ROOT / "docs" / "images" / "fan.png"),
                        help="the PNG to write")
    args = parser.parse_args(argv)
    draw(args.out)
    print(args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
