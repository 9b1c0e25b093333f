"""An exact, piecewise-constant tempo map between seconds and pips."""

from __future__ import annotations

import io
import math
import os
import struct
from bisect import bisect_right
from fractions import Fraction
from typing import Iterable, Sequence

from ._optional import require

PIPS_PER_BEAT = 64
MIDI_DEFAULT_TEMPO = 500_000  # microseconds per quarter note: 120 bpm
MAX_MIDI_BYTES = 64 * 2**20    # far above any song; bounds what a bad path can cost


def _malformed(error: Exception) -> str:
    """What was wrong with a MIDI file, from the exception its parser raised."""
    if isinstance(error, EOFError):
        return "it ends early: truncated"
    if isinstance(error, (IndexError, KeyError, struct.error)):
        return f"an event is too short for its kind: {type(error).__name__}: {error}"
    return str(error) or type(error).__name__


def _float_at_or_above(value: Fraction) -> float:
    """The smallest float that is not below ``value``."""
    nearest = float(value)
    if Fraction(nearest) < value:
        nearest = math.nextafter(nearest, math.inf)
    return nearest


class TempoMap:
    """Seconds to pips and back through a piecewise-constant tempo.

    Every boundary and slope is held as an exact fraction; a float argument is taken at its
    exact value, so a pip is the floor of an exact quotient and no rounding can put a frame
    on the wrong side of a beat. The first tempo extends back before beat 0 and the last one
    forwards past the end.

    ``pip_at(seconds_at(p)) == p`` for every pip whose duration is far above the float
    resolution of its time (any pip of any real piece): ``seconds_at`` returns the smallest
    float at or after the exact start of the pip.
    """

    __slots__ = ("_second_keys", "_pip_keys", "_pip_starts", "_forward", "_backward",
                 "_bpms", "_end_pip", "_end_seconds", "_changes")

    def __init__(self, starts: Sequence[tuple[Fraction, Fraction]],
                 seconds_per_beat: Sequence[Fraction], origin: Fraction = Fraction(0),
                 end_pip: Fraction = Fraction(0)) -> None:
        """Segments start at ``starts[i] = (pip, seconds)``, the first at pip 0 and
        ``origin``; segment ``i`` lasts ``seconds_per_beat[i]`` a beat. Prefer the
        ``constant``, ``from_ticks`` and ``from_midi`` constructors."""
        if not starts or len(starts) != len(seconds_per_beat):
            raise ValueError("a tempo map needs one tempo per segment")
        forward, backward, second_keys, pip_keys, bpms = [], [], [], [], []
        pip_starts: list[Fraction] = []
        for i, ((pip, seconds), spb) in enumerate(zip(starts, seconds_per_beat)):
            if spb <= 0:
                raise ValueError("tempo must be positive")
            rate = PIPS_PER_BEAT / Fraction(spb)           # pips per second
            # pip = a + rate * s and s = b + p / rate, with the fractions over one denominator
            # so a lookup is a few integer products and one floor division.
            a = pip - rate * seconds
            forward.append((a.numerator * rate.denominator, rate.numerator * a.denominator,
                            a.denominator * rate.denominator))
            step = 1 / rate
            b = seconds - pip * step
            backward.append((b.numerator * step.denominator, step.numerator * b.denominator,
                             b.denominator * step.denominator))
            bpms.append(float(60 / Fraction(spb)))
            if i:
                # For a float s, s >= S exactly iff s >= the smallest float not below S;
                # for a whole pip p, p >= P iff p >= ceil(P).
                second_keys.append(_float_at_or_above(seconds))
                pip_keys.append(math.ceil(pip))
                pip_starts.append(pip)
        self._forward = tuple(forward)
        self._backward = tuple(backward)
        self._second_keys = second_keys
        self._pip_keys = pip_keys
        self._pip_starts = pip_starts
        self._bpms = tuple(bpms)
        self._end_pip = end_pip
        self._changes = len(starts)
        self._end_seconds = self._exact_seconds(end_pip)

    # -- constructors -----------------------------------------------------------------

    @classmethod
    def constant(cls, bpm: float, beat_zero_seconds: float = 0.0) -> TempoMap:
        """One tempo for all time, beat 0 at ``beat_zero_seconds``."""
        if not (isinstance(bpm, (int, float, Fraction)) and math.isfinite(bpm) and bpm > 0):
            raise ValueError(f"bpm must be a positive finite number, not {bpm!r}")
        if not math.isfinite(beat_zero_seconds):
            raise ValueError("beat_zero_seconds must be finite")
        return cls([(Fraction(0), Fraction(beat_zero_seconds))], [60 / Fraction(bpm)])

    @classmethod
    def from_ticks(cls, ticks_per_beat: int, changes: Iterable[tuple[int, int]],
                   end_tick: int = 0) -> TempoMap:
        """A map from tempo changes ``(tick, microseconds per beat)`` in file order.

        Before the first change (and without any) 120 bpm holds; of two changes at one
        tick the later one wins. Tick 0 is beat 0 at 0 seconds.
        """
        if not (isinstance(ticks_per_beat, int) and ticks_per_beat > 0):
            raise ValueError(f"ticks per beat must be a positive whole number, "
                             f"not {ticks_per_beat!r}")
        tempo_at: dict[int, int] = {0: MIDI_DEFAULT_TEMPO}
        for tick, tempo in changes:
            if tick < 0 or tempo <= 0:
                raise ValueError(f"a tempo of {tempo} microseconds per beat at tick {tick}; "
                                 "a tempo must be positive")
            tempo_at[tick] = tempo        # a later change at the same tick replaces it
        ticks = sorted(tempo_at)
        starts: list[tuple[Fraction, Fraction]] = []
        spbs: list[Fraction] = []
        seconds = Fraction(0)
        for i, tick in enumerate(ticks):
            if i:
                seconds += Fraction((tick - ticks[i - 1]) * tempo_at[ticks[i - 1]],
                                    ticks_per_beat * 1_000_000)
            starts.append((Fraction(tick * PIPS_PER_BEAT, ticks_per_beat), seconds))
            spbs.append(Fraction(tempo_at[tick], 1_000_000))
        end = max(end_tick, ticks[-1])
        return cls(starts, spbs, end_pip=Fraction(end * PIPS_PER_BEAT, ticks_per_beat))

    @classmethod
    def from_midi(cls, path: str | os.PathLike[str]) -> TempoMap:
        """The tempo map of a Standard MIDI File (format 0 or 1).

        A beat is a quarter note and beat 0 the file's tick 0; tempo changes count in any
        track. The file is read whole first, so a pipe or ``/dev/stdin`` works, and a file
        over ``MAX_MIDI_BYTES`` is refused. Raises ``ValueError`` naming the file if it is
        too large, does not parse, counts time in SMPTE frames or holds a tempo of zero, and
        ``OSError`` if it cannot be read.
        """
        mido = require("mido", "mido", "Reading a MIDI file")
        name = os.fspath(path)
        with open(name, "rb") as stream:
            data = stream.read(MAX_MIDI_BYTES + 1)
        if not data:
            raise ValueError(f"{name}: not a readable Standard MIDI File (it is empty)")
        if len(data) > MAX_MIDI_BYTES:
            raise ValueError(f"{name}: larger than {MAX_MIDI_BYTES // 2**20} MiB, which no "
                             "tempo map needs; not read")
        try:
            midi = mido.MidiFile(file=io.BytesIO(data))
        except Exception as error:  # mido raises many kinds for a malformed file
            raise ValueError(f"{name}: not a readable Standard MIDI File "
                             f"({_malformed(error)})") from None
        if midi.ticks_per_beat <= 0:
            raise ValueError(f"{name}: SMPTE time division is not supported; "
                             "the file must count ticks per quarter note")
        if midi.type not in (0, 1):
            raise ValueError(f"{name}: MIDI file format {midi.type} is not supported "
                             "(only formats 0 and 1)")
        changes: list[tuple[int, int]] = []
        end_tick = 0
        for track in midi.tracks:
            tick = 0
            for message in track:
                tick += message.time
                if message.type == "set_tempo":
                    changes.append((tick, message.tempo))
            end_tick = max(end_tick, tick)
        # Stable sort: at one tick, file order (track, then position) decides the winner.
        changes.sort(key=lambda change: change[0])
        try:
            return cls.from_ticks(midi.ticks_per_beat, changes, end_tick)
        except ValueError as error:
            raise ValueError(f"{name}: {error}") from None

    # -- lookups ----------------------------------------------------------------------

    def pip_at(self, seconds: float) -> int:
        """The pip in progress at ``seconds`` (the floor of the exact position)."""
        a, rate, den = self._forward[bisect_right(self._second_keys, seconds)]
        n, d = seconds.as_integer_ratio()
        return (a * d + rate * n) // (den * d)

    def seconds_at(self, pip: int) -> float:
        """The smallest float time at which ``pip`` is in progress."""
        b, step, den = self._backward[bisect_right(self._pip_keys, pip)]
        num = b + step * pip
        seconds = num / den                  # int / int is correctly rounded
        n, d = seconds.as_integer_ratio()
        if n * den < num * d:
            seconds = math.nextafter(seconds, math.inf)
        return seconds

    def bpm_at(self, seconds: float) -> float:
        """The tempo in beats per minute at ``seconds``."""
        return self._bpms[bisect_right(self._second_keys, seconds)]

    def _exact_seconds(self, pip: Fraction) -> Fraction:
        b, step, den = self._backward[bisect_right(self._pip_starts, pip)]
        return (b + step * pip) / den

    # -- the span of a file -----------------------------------------------------------

    @property
    def end_pip(self) -> Fraction:
        """The exact pip of the last event of the file (0 for a constant map)."""
        return self._end_pip

    @property
    def duration(self) -> float:
        """Seconds from tick 0 to the last event of the file (0.0 for a constant map)."""
        return float(self._end_seconds)

    @property
    def segments(self) -> int:
        """How many constant-tempo segments the map has."""
        return self._changes

    def __repr__(self) -> str:
        return (f"TempoMap(segments={self._changes}, first_bpm={self._bpms[0]!r}, "
                f"duration={self.duration!r})")
