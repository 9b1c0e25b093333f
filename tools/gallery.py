#!/usr/bin/env python3
"""Draw a picture of every default pattern, and an index page to browse them.

One PNG sheet per family (the fifteen rudiments share the sheet "rudiments"; the beat
family gets one sheet per motion, every groove of that motion side by side). Each pattern
is a panel pair: x, y and z over one period with a line at every beat, and the x-y trace
coloured by z. index.html lists every pattern under its sheet (name, period in beats,
dimensions, description) and filters them by name as you type.

    python3 tools/gallery.py OUT --dump DUMP [--only PREFIX ...] [--jobs N]

DUMP is a directory that `kinetrope_gen --dump` wrote from the same sources: its index
names each built-in pattern's family. Needs matplotlib (the project's "docs" extra) and an
importable kinetrope.
"""

import argparse
import csv
import html
import multiprocessing
import os
import sys
import time

import matplotlib

matplotlib.use("Agg")
import numpy as np  # noqa: E402
from matplotlib.backends.backend_agg import FigureCanvasAgg  # noqa: E402
from matplotlib.collections import LineCollection  # noqa: E402
from matplotlib.figure import Figure  # noqa: E402

import kinetrope  # noqa: E402

PIPS_PER_BEAT = kinetrope.PIPS_PER_BEAT

AXIS_COLOURS = ("#1f77b4", "#ff7f0e", "#2ca02c")
DPI = 72
COLUMNS = 4
# Panel geometry in inches: a wide time plot and a square trace per cell.
CELL_W, CELL_H = 4.5, 1.45
WAVE = (0.08, 0.1, 3.0, 1.05)
TRACE = (3.3, 0.1, 1.05, 1.05)
HEADER_H = 0.55
LIMIT = 1.08
LEGEND = ("x, y, z over one period (grey lines: beats);  x–y trace coloured by z "
          "(dark −1 … light +1), red dot at pip 0")


def read_families(dump):
    """Each built-in pattern's family key, from the index of a `kinetrope_gen --dump`
    directory: {name: family}."""
    with open(os.path.join(dump, "index.csv"), newline="", encoding="utf-8") as f:
        return {row["name"]: row["family"] for row in csv.DictReader(f)}


def family_of(name, families):
    """The family key of a pattern as the dump names it; "rudiments" for the module's own
    motions, which no dump lists. None for a built-in pattern the dump does not hold."""
    if name in families:
        return families[name]
    return "rudiments" if callable(getattr(kinetrope, name, None)) else None


def motion_of(name):
    """The motion of a beat pattern: the last word of its name (beat_<groove>_<motion>, the
    motion keys being single words)."""
    return name.rsplit("_", 1)[-1]


def sheet_of(name, family):
    """(sheet key, label shown on the pattern's panel) for a pattern of the family."""
    if family != "beat":
        return family, name
    motion = motion_of(name)
    groove = name[len("beat_"):len(name) - len(motion) - 1]
    return f"beat_{motion}", groove or name


def plan_sheets(entries, families):
    """Group catalogue entries into sheets, keeping catalogue order within and across them;
    families maps each entry's name to its family key."""
    sheets = {}
    for entry in entries:
        key, label = sheet_of(entry["name"], families[entry["name"]])
        sheets.setdefault(key, []).append((label, entry))
    return sheets


def sheet_title(key, members):
    if key.startswith("beat_"):
        return f"beat · {key[len('beat_'):]} ({len(members)} grooves)"
    return f"{key} ({len(members)} patterns)"


def beats_text(period_pips):
    return f"{period_pips / PIPS_PER_BEAT:g}"


def beats_label(period_pips):
    beats = beats_text(period_pips)
    return f"{beats} beat" if beats == "1" else f"{beats} beats"


def samples_of(name, period):
    sample = kinetrope.sample
    rows = [sample(name, pip).as_tuple() for pip in range(period)]
    return np.array(rows, dtype=float).reshape(period, 3)


class SheetCanvas:
    """One sheet drawn on a single full-figure axes measured in inches.

    Every panel is a transformed region of that one axes, and each kind of line is one
    collection for the whole sheet: far cheaper than an axes per panel, which is what
    keeps the full catalogue within a couple of minutes.
    """

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.frames, self.grid = [], []
        self.curves = ([], [], [])
        self.trace_segments, self.trace_z, self.starts = [], [], []
        self.labels = []

    def add_pattern(self, left, bottom, label, entry):
        period = entry["period_pips"]
        data = samples_of(entry["name"], period)
        # Close the loop at pip == period so the seam between periods shows.
        closed = np.vstack((data, data[:1]))

        wx, wy, ww, wh = left + WAVE[0], bottom + WAVE[1], WAVE[2], WAVE[3]
        self.frames.append(frame(wx, wy, ww, wh))
        mid = wy + wh / 2
        self.grid.append(((wx, mid), (wx + ww, mid)))
        for beat in range(PIPS_PER_BEAT, period, PIPS_PER_BEAT):
            bx = wx + ww * beat / period
            self.grid.append(((bx, wy), (bx, wy + wh)))
        xs = wx + ww * np.arange(period + 1) / period
        for axis in range(3):
            ys = mid + closed[:, axis] * (wh / (2 * LIMIT))
            self.curves[axis].append(np.column_stack((xs, ys)))
        self.labels.append((wx, wy + wh + 0.04,
                            f"{label}  ·  {beats_label(period)}  ·  {entry['dimensions']}D"))

        tx, ty, tw, th = left + TRACE[0], bottom + TRACE[1], TRACE[2], TRACE[3]
        self.frames.append(frame(tx, ty, tw, th))
        centre = np.array((tx + tw / 2, ty + th / 2))
        points = centre + closed[:, :2] * np.array((tw, th)) / (2 * LIMIT)
        self.trace_segments.append(np.stack((points[:-1], points[1:]), axis=1))
        self.trace_z.append(data[:, 2])
        self.starts.append(points[0])

    def save(self, title, path):
        fig = Figure(figsize=(self.width, self.height), dpi=DPI)
        FigureCanvasAgg(fig)
        ax = fig.add_axes((0, 0, 1, 1))
        ax.set_axis_off()
        ax.set_xlim(0, self.width)
        ax.set_ylim(0, self.height)
        ax.add_collection(LineCollection(self.grid, colors="0.87", linewidths=0.6))
        ax.add_collection(LineCollection(self.frames, colors="0.6", linewidths=0.5))
        for axis in range(3):
            ax.add_collection(LineCollection(self.curves[axis], colors=AXIS_COLOURS[axis],
                                             linewidths=0.8))
        trace = LineCollection(np.concatenate(self.trace_segments), cmap="viridis",
                               linewidths=1.0)
        trace.set_array(np.concatenate(self.trace_z))
        trace.set_clim(-1.0, 1.0)
        ax.add_collection(trace)
        starts = np.array(self.starts)
        ax.plot(starts[:, 0], starts[:, 1], "o", color="#d62728", markersize=2.5)
        for x, y, text in self.labels:
            ax.text(x, y, text, fontsize=7.5, va="bottom", ha="left")
        ax.text(0.1, self.height - 0.08, title, fontsize=11, weight="bold", va="top")
        ax.text(0.1, self.height - 0.3, LEGEND, fontsize=7, va="top", color="0.3")
        fig.savefig(path, dpi=DPI)


def frame(x, y, w, h):
    return ((x, y), (x + w, y), (x + w, y + h), (x, y + h), (x, y))


def render_sheet(job):
    """Draw one sheet to OUT/KEY.png; returns (key, seconds taken)."""
    key, title, members, out = job
    start = time.perf_counter()
    rows = -(-len(members) // COLUMNS)
    columns = min(COLUMNS, len(members))
    canvas = SheetCanvas(columns * CELL_W + 0.1, rows * CELL_H + HEADER_H)
    for i, (label, entry) in enumerate(members):
        row, col = divmod(i, COLUMNS)
        canvas.add_pattern(col * CELL_W, canvas.height - HEADER_H - (row + 1) * CELL_H,
                           label, entry)
    canvas.save(title, os.path.join(out, key + ".png"))
    return key, time.perf_counter() - start


def index_html(sheets, titles):
    """The index page: every sheet's image with a table of its patterns, filterable by name."""
    esc = html.escape
    count = sum(len(m) for m in sheets.values())
    parts = [
        "<!DOCTYPE html>",
        '<html lang="en"><head><meta charset="utf-8">',
        "<title>kinetrope pattern gallery</title>",
        "<style>",
        "body{font-family:sans-serif;margin:1.5em;color:#222}",
        "img{max-width:100%;height:auto;border:1px solid #ddd}",
        "table{border-collapse:collapse;margin:.6em 0 2em}",
        "td,th{padding:.15em .6em;text-align:left;vertical-align:top;font-size:.9em}",
        "tr:nth-child(even){background:#f4f4f4}",
        "#q{font-size:1.1em;padding:.3em;width:24em}",
        "nav a{margin-right:.6em}",
        "</style></head><body>",
        "<h1>kinetrope pattern gallery</h1>",
        f"<p>{count} patterns on {len(sheets)} sheets. Periods are in beats "
        f"({PIPS_PER_BEAT} pips each).</p>",
        '<p><input id="q" type="search" placeholder="Filter by name" autofocus> '
        '<span id="shown"></span></p>',
        "<nav>" + " ".join(f'<a href="#{esc(k)}">{esc(k)}</a>' for k in sheets) + "</nav>",
    ]
    for key, members in sheets.items():
        parts.append(f'<section class="sheet" id="{esc(key)}">')
        parts.append(f"<h2>{esc(titles[key])}</h2>")
        parts.append(f'<img src="{esc(key)}.png" alt="{esc(titles[key])}" loading="lazy">')
        parts.append("<table><tr><th>name</th><th>beats</th><th>dimensions</th>"
                     "<th>description</th></tr>")
        for _, entry in members:
            name = esc(entry["name"])
            parts.append(
                f'<tr class="pattern" data-name="{name}"><td><code>{name}</code></td>'
                f"<td>{beats_text(entry['period_pips'])}</td><td>{entry['dimensions']}</td>"
                f"<td>{esc(entry['description'])}</td></tr>")
        parts.append("</table></section>")
    parts += [
        "<script>",
        "(function(){",
        "var q=document.getElementById('q'),shown=document.getElementById('shown');",
        "var sections=document.querySelectorAll('section.sheet');",
        "function filter(){",
        " var t=q.value.trim().toLowerCase(),n=0;",
        " sections.forEach(function(s){",
        "  var any=false;",
        "  s.querySelectorAll('tr.pattern').forEach(function(r){",
        "   var hit=r.dataset.name.indexOf(t)>=0;",
        "   r.style.display=hit?'':'none';if(hit){any=true;n++;}",
        "  });",
        "  s.style.display=any?'':'none';",
        " });",
        " shown.textContent=t?n+' matching':'';",
        "}",
        "q.addEventListener('input',filter);filter();",
        "})();",
        "</script>",
        "</body></html>",
        "",
    ]
    return "\n".join(parts)


class Progress:
    """A text bar on stderr: redrawn in place on a terminal, one line per step otherwise."""

    def __init__(self, total, stream=sys.stderr):
        self.total, self.done, self.stream = total, 0, stream
        self.live = stream.isatty()

    def step(self, label):
        self.done += 1
        width = 30
        filled = width * self.done // self.total
        bar = "#" * filled + "-" * (width - filled)
        line = f"[{bar}] {self.done}/{self.total} sheets  {label}"
        if self.live:
            self.stream.write("\r" + line.ljust(78))
            if self.done == self.total:
                self.stream.write("\n")
        else:
            self.stream.write(line + "\n")
        self.stream.flush()


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out", help="folder to write the sheets and index.html into")
    parser.add_argument("--dump", required=True,
                        help="a directory written by kinetrope_gen --dump, for the families")
    parser.add_argument("--only", action="append", metavar="PREFIX",
                        help="draw only patterns whose name starts with PREFIX (repeatable)")
    parser.add_argument("--jobs", type=int, default=min(2, os.cpu_count() or 1),
                        help="worker processes (default: %(default)s)")
    args = parser.parse_args(argv)

    entries = kinetrope.catalogue()
    if args.only:
        entries = [e for e in entries if e["name"].startswith(tuple(args.only))]
        if not entries:
            parser.error("no pattern name starts with " + " or ".join(args.only))
    try:
        dumped = read_families(args.dump)
    except OSError as error:
        parser.error(f"cannot read the dump's index: {error}")
    families = {e["name"]: family_of(e["name"], dumped) for e in entries}
    missing = [name for name, family in families.items() if family is None]
    if missing:
        parser.error(f"{args.dump} does not list {missing[0]}"
                     + (f" and {len(missing) - 1} more" if len(missing) > 1 else "")
                     + ": dump the table of the same build")
    sheets = plan_sheets(entries, families)
    titles = {key: sheet_title(key, members) for key, members in sheets.items()}
    os.makedirs(args.out, exist_ok=True)

    start = time.perf_counter()
    # Largest sheets first, so the last worker to finish is not left with a big one.
    jobs = sorted(((k, titles[k], m, args.out) for k, m in sheets.items()),
                  key=lambda job: -sum(e["period_pips"] for _, e in job[2]))
    progress = Progress(len(jobs))
    if args.jobs > 1 and len(jobs) > 1:
        with multiprocessing.Pool(min(args.jobs, len(jobs))) as pool:
            for key, _ in pool.imap_unordered(render_sheet, jobs):
                progress.step(key)
    else:
        for job in jobs:
            key, _ = render_sheet(job)
            progress.step(key)

    with open(os.path.join(args.out, "index.html"), "w", encoding="utf-8") as f:
        f.write(index_html(sheets, titles))
    print(f"{len(entries)} patterns on {len(sheets)} sheets in "
          f"{time.perf_counter() - start:.1f} s: {os.path.join(args.out, 'index.html')}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
