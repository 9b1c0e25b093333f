"""Offline rendering: frames at a fixed rate through a tempo map, as CSV rows."""

from __future__ import annotations

import csv
import math
from fractions import Fraction
from typing import Callable, Iterator, Sequence, TextIO

import kinetrope

from .tempo import TempoMap

AXES = ("x", "y", "z")


def check_names(names: Sequence[str]) -> None:
    """Raise the module's own ``ValueError`` for the first unknown pattern name."""
    for name in names:
        kinetrope.sample(name, 0)


def frame_count(tempo_map: TempoMap, fps: float) -> int:
    """Frames whose time ``frame / fps`` falls before the end of ``tempo_map``'s file."""
    return math.ceil(Fraction(tempo_map.duration) * Fraction(fps))


def header(names: Sequence[str]) -> list[str]:
    """The CSV header: frame, seconds, pip, then ``<name>_x``, ``_y``, ``_z`` per pattern."""
    return ["frame", "seconds", "pip"] + [f"{name}_{axis}" for name in names for axis in AXES]


def rows(tempo_map: TempoMap, names: Sequence[str], fps: float,
         frames: int | None = None) -> Iterator[list[float | int]]:
    """One row per frame: ``[frame, seconds, pip, x, y, z, x, y, z, ...]``.

    Frame ``n`` is at ``n / fps`` seconds; ``frames`` defaults to the file's length.
    """
    if not (math.isfinite(fps) and fps > 0):
        raise ValueError("fps must be a positive number")
    check_names(names)
    count = frame_count(tempo_map, fps) if frames is None else frames
    pip_at = tempo_map.pip_at
    sample = kinetrope.sample
    for frame in range(count):
        seconds = frame / fps
        pip = pip_at(seconds)
        row: list[float | int] = [frame, seconds, pip]
        for name in names:
            row.extend(sample(name, pip).as_tuple())
        yield row


def render(tempo_map: TempoMap, names: Sequence[str], fps: float, out: TextIO,
           frames: int | None = None,
           progress: Callable[[int, int], None] | None = None) -> int:
    """Write the header and every frame's row as CSV to ``out``; returns the frame count.

    The rows are those of ``rows``, every float written as its shortest exact ``repr``.
    ``progress(done, total)`` is called now and then, and once at the end.
    """
    if not (math.isfinite(fps) and fps > 0):
        raise ValueError("fps must be a positive number")
    check_names(names)
    total = frame_count(tempo_map, fps) if frames is None else frames
    csv.writer(out, lineterminator="\n").writerow(header(names))
    # A looping pattern repeats bit for bit every period, so each pattern's text is made
    # once per place in its period; in a long render nearly every frame is a lookup.
    periods = {str(entry["name"]): int(entry["period_pips"]) for entry in kinetrope.catalogue()}
    patterns: list[tuple[str, int, dict[int, str]]] = [(name, periods[name], {})
                                                        for name in names]
    pip_at = tempo_map.pip_at
    sample = kinetrope.sample
    step = max(1, total // 100)
    write = out.write
    for frame in range(total):
        seconds = frame / fps
        pip = pip_at(seconds)
        cells = [f"{frame},{seconds!r},{pip}"]
        for name, period, cache in patterns:
            place = pip % period
            text = cache.get(place)
            if text is None:
                x, y, z = sample(name, pip).as_tuple()
                text = cache[place] = f"{x!r},{y!r},{z!r}"
            cells.append(text)
        write(",".join(cells) + "\n")
        if progress is not None and (frame + 1) % step == 0:
            progress(frame + 1, total)
    if progress is not None:
        progress(total, total)
    return total
