"""Default patterns at any pip, and offline rendering: frames at a fixed rate through a
tempo map, as CSV rows."""

from __future__ import annotations

import csv
import functools
import math
from fractions import Fraction
from typing import Callable, Iterator, Sequence, TextIO

import kinetrope

from .tempo import TempoMap

AXES = ("x", "y", "z")
# A render larger than this is refused before anything is written: three and a half hours
# at 240 frames a second, more than any concert.
MAX_FRAMES = 3_000_000
FPS_RANGE = (0.01, 10_000.0)


@functools.cache
def periods() -> dict[str, int]:
    """Every default pattern's period in pips, by name."""
    return {str(entry["name"]): int(entry["period_pips"]) for entry in kinetrope.catalogue()}


def check_names(names: Sequence[str]) -> None:
    """Raise the module's own ``ValueError`` for the first unknown pattern name."""
    for name in names:
        try:
            name.encode("utf-8")
        except UnicodeEncodeError:      # undecodable bytes from a command line
            raise ValueError(f"Unknown kinetrope rudiment: {name!r} (not UTF-8 text)") from None
        kinetrope.sample(name, 0)


def check_fps(fps: float) -> float:
    """``fps`` if it is a rate the rig plays and renders at, else ``ValueError``."""
    low, high = FPS_RANGE
    if not (isinstance(fps, (int, float)) and low <= fps <= high):
        raise ValueError(f"fps must be a number from {low:g} to {high:g}, not {fps!r}")
    return float(fps)


class Patterns:
    """Default patterns sampled at any whole pip, however large.

    A pattern gives the same values at every pip of the same phase, bit for bit, so the
    pip is reduced by each pattern's period before the module sees it: a show may run past
    the module's 32-bit pips, and a frame there is exactly what the same phase gave before.
    """

    def __init__(self, names: Sequence[str]) -> None:
        check_names(names)
        known = periods()
        self.names = list(names)
        self._periods = [(name, known[name]) for name in self.names]

    def points(self, pip: int) -> dict[str, kinetrope.Offset3]:
        sample = kinetrope.sample
        return {name: sample(name, pip % period) for name, period in self._periods}

    def period(self, name: str) -> int:
        return periods()[name]


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


def header(names: Sequence[str]) -> list[str]:
    """The CSV header: frame, seconds, pip, then ``<name>_x``, ``_y``, ``_z`` per pattern."""
    return ["frame", "seconds", "pip"] + [f"{name}_{axis}" for name in names for axis in AXES]


def _times(tempo_map: TempoMap, fps: float, count: int) -> Iterator[tuple[int, float, int]]:
    pip_at = tempo_map.pip_at
    for frame in range(count):
        seconds = frame / fps
        yield frame, seconds, pip_at(seconds)


def rows(tempo_map: TempoMap, names: Sequence[str], fps: float, frames: int | None = None,
         max_frames: int = MAX_FRAMES) -> Iterator[list[float | int]]:
    """One row per frame: ``[frame, seconds, pip, x, y, z, x, y, z, ...]``.

    Frame ``n`` is at ``n / fps`` seconds; ``frames`` defaults to the file's length.
    """
    patterns = Patterns(names)
    count = planned_frames(tempo_map, fps, frames, max_frames)
    for frame, seconds, pip in _times(tempo_map, fps, count):
        row: list[float | int] = [frame, seconds, pip]
        for point in patterns.points(pip).values():
            row.extend(point.as_tuple())
        yield row


def render(tempo_map: TempoMap, names: Sequence[str], fps: float, out: TextIO,
           frames: int | None = None,
           progress: Callable[[int, int], None] | None = None,
           max_frames: int = MAX_FRAMES) -> int:
    """Write the header and every frame's row as CSV to ``out``; returns the frame count.

    The rows are those of ``rows``, every float written as its shortest exact ``repr``.
    A render of more than ``max_frames`` frames is refused with ``ValueError`` before
    anything is written. ``progress(done, total)`` is called now and then, and last with
    ``done == total``.
    """
    patterns = Patterns(names)
    total = planned_frames(tempo_map, fps, frames, max_frames)
    csv.writer(out, lineterminator="\n").writerow(header(names))
    # A looping pattern repeats bit for bit every period, so each pattern's text is made
    # once per place in its period; in a long render nearly every frame is a lookup.
    caches: list[tuple[str, int, dict[int, str]]] = [
        (name, patterns.period(name), {}) for name in patterns.names]
    sample = kinetrope.sample
    step = max(1, total // 100)
    write = out.write
    for frame, seconds, pip in _times(tempo_map, fps, total):
        cells = [f"{frame},{seconds!r},{pip}"]
        for name, period, cache in caches:
            place = pip % period
            text = cache.get(place)
            if text is None:
                x, y, z = sample(name, place).as_tuple()
                text = cache[place] = f"{x!r},{y!r},{z!r}"
            cells.append(text)
        write(",".join(cells) + "\n")
        if progress is not None and (frame + 1) % step == 0 and frame + 1 < total:
            progress(frame + 1, total)
    if progress is not None:
        progress(total, total)
    return total
