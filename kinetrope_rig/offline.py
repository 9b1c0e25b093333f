"""Offline rendering: frames at a fixed rate through a tempo map, as CSV rows."""

from __future__ import annotations

import csv
import math
from fractions import Fraction
from typing import Callable, Iterator, Mapping, Sequence, TextIO

from ._sender import UNIVERSE_SIZE
from .motions import Motion, Motions, Part
from .show import ShowFrames
from .tempo import TempoMap

AXES = ("x", "y", "z")
# A render larger than this is refused before anything is written: three and a half hours
# at 240 frames a second, more than any concert.
MAX_FRAMES = 3_000_000
FPS_RANGE = (0.01, 10_000.0)


def check_fps(fps: float) -> float:
    """``fps`` if it is a rate the rig plays and renders at, else ``ValueError``."""
    low, high = FPS_RANGE
    if not (isinstance(fps, (int, float)) and low <= fps <= high):
        raise ValueError(f"fps must be a number from {low:g} to {high:g}, not {fps!r}")
    return float(fps)


def frame_count(tempo_map: TempoMap, fps: float) -> int:
    """Frames whose time ``frame / fps`` falls before the end of ``tempo_map``'s file."""
    return math.ceil(Fraction(tempo_map.duration) * Fraction(fps))


def planned_frames(tempo_map: TempoMap, fps: float, frames: int | None,
                   max_frames: int = MAX_FRAMES) -> int:
    """How many frames a render makes, checked against ``max_frames`` before any work."""
    check_fps(fps)
    count = frame_count(tempo_map, fps) if frames is None else frames
    if isinstance(count, bool) or not isinstance(count, int) or count < 0:
        raise ValueError(f"frames must be a whole number, not {count!r}")
    if count > max_frames:
        raise ValueError(f"{count} frames at {fps:g} fps is more than the limit of "
                         f"{max_frames} frames; raise the limit to render it")
    return count


def header(labels: Sequence[str]) -> list[str]:
    """The CSV header: frame, seconds, pip, then ``<label>_x``, ``_y``, ``_z`` per point."""
    return ["frame", "seconds", "pip"] + [f"{label}_{axis}" for label in labels
                                          for axis in AXES]


def _times(tempo_map: TempoMap, fps: float, count: int) -> Iterator[tuple[int, float, int]]:
    pip_at = tempo_map.pip_at
    for frame in range(count):
        seconds = frame / fps
        yield frame, seconds, pip_at(seconds)


def rows(tempo_map: TempoMap, motions: Motions | Sequence[Motion] | Mapping[str, Motion],
         fps: float, frames: int | None = None,
         max_frames: int = MAX_FRAMES) -> Iterator[list[float | int]]:
    """One row per frame: ``[frame, seconds, pip, x, y, z, x, y, z, ...]``, a point of
    ``Motions(motions)`` after another.

    Frame ``n`` is at ``n / fps`` seconds; ``frames`` defaults to the file's length.
    """
    points = motions if isinstance(motions, Motions) else Motions(motions)
    count = planned_frames(tempo_map, fps, frames, max_frames)
    for frame, seconds, pip in _times(tempo_map, fps, count):
        row: list[float | int] = [frame, seconds, pip]
        for value in points.values(pip):
            row.extend(value)
        yield row


def render(tempo_map: TempoMap, motions: Motions | Sequence[Motion] | Mapping[str, Motion],
           fps: float, out: TextIO, frames: int | None = None,
           progress: Callable[[int, int], None] | None = None,
           max_frames: int = MAX_FRAMES) -> int:
    """Write the header and every frame's row as CSV to ``out``; returns the frame count.

    ``motions`` are pattern names, effects and fans, as ``Motions`` takes them, or a
    ``Motions``. The rows
    are those of ``rows``, every float written as its shortest exact ``repr``. A render of
    more than ``max_frames`` frames is refused with ``ValueError`` before anything is
    written. ``progress(done, total)`` is called now and then, and last with
    ``done == total``.
    """
    points = motions if isinstance(motions, Motions) else Motions(motions)
    total = planned_frames(tempo_map, fps, frames, max_frames)
    csv.writer(out, lineterminator="\n").writerow(header(points.labels))
    # Each motion's values repeat bit for bit, so its text is made once per place in its
    # repeat; in a long render nearly every frame is a lookup.
    caches: list[tuple[Part, dict[int, str]]] = [(part, {}) for part in points.parts]
    step = max(1, total // 100)
    write = out.write
    for frame, seconds, pip in _times(tempo_map, fps, total):
        cells = [f"{frame},{seconds!r},{pip}"]
        for part, cache in caches:
            place = pip % part.repeat if part.repeat else pip
            text = cache.get(place)
            if text is None:
                text = ",".join(f"{x!r},{y!r},{z!r}" for x, y, z in part.values(pip))
                if part.repeat:
                    cache[place] = text
            cells.append(text)
        write(",".join(cells) + "\n")
        if progress is not None and (frame + 1) % step == 0 and frame + 1 < total:
            progress(frame + 1, total)
    if progress is not None:
        progress(total, total)
    return total


def render_show(tempo_map: TempoMap, show: ShowFrames, fps: float, out: TextIO,
                frames: int | None = None,
                progress: Callable[[int, int], None] | None = None,
                max_frames: int = MAX_FRAMES) -> int:
    """Write a show's DMX as CSV: frame, seconds, pip, then one column per patched channel,
    ``u<universe>.<channel>``, in universe and channel order, with its value 0 to 255: what
    ``play`` sends, frame for frame. Returns the frame count."""
    total = planned_frames(tempo_map, fps, frames, max_frames)
    patched = show.patch.patched
    out.write(",".join(["frame", "seconds", "pip"] +
                       [f"u{universe}.{channel}" for universe, channel in patched]) + "\n")
    row = {u: i for i, u in enumerate(show.patch.universe_numbers)}
    picks = [row[universe] * UNIVERSE_SIZE + channel - 1 for universe, channel in patched]
    step = max(1, total // 100)
    for frame, seconds, pip in _times(tempo_map, fps, total):
        universes = show.frame(seconds, pip).universes
        flat = b"".join(universes[u] for u in show.patch.universe_numbers)
        out.write(f"{frame},{seconds!r},{pip}," + ",".join(str(flat[k]) for k in picks) + "\n")
        if progress is not None and (frame + 1) % step == 0 and frame + 1 < total:
            progress(frame + 1, total)
    if progress is not None:
        progress(total, total)
    return total
