"""Parametric shapes as ordinary ``kinetrope.SampledPattern`` objects.

LFOs at note-value rates, the figures of a moving-head effect engine, and the classic
easings. Each builder returns a ``SampledPattern``, so the shape samples natively, joins a
``PatternLibrary`` and lists in its catalogue like any pattern of your own.

Exactness. A rate is an exact number of pips ``c`` (64 to a beat), whole or not. The
pattern spans the fewest whole pips that hold whole cycles, the numerator of ``c``: an
eighth-note triplet (``c = 64/3``) gives 64 pips holding three cycles. Pip ``p`` lies at
the exact phase ``f = p / c mod 1``, and every formula below is evaluated on exact
fractions and rounded to a float once, at the end. The transcendental functions are the
only other roundings: sin(2πg) for an exact number of turns ``g`` is
``math.sin(math.tau * float(h))`` once ``g`` has been folded exactly into the quarter turn
``0 <= h <= 1/4`` (so quarter turns give exactly 0 and ±1, and the two halves of a wave are
exact mirrors); cos(2πg) is sin(2π(g + 1/4)); a square root is ``math.sqrt(float(x))`` and
a power of two ``2.0 ** float(x)``. The same pip gives the same bits on every run.

Values must stay within −1…1: a shape that would leave that range (an LFO with
``low=-2``, an overshooting easing between 0 and 1) is refused by ``SampledPattern`` itself
with its own message. Any other bad argument raises ``ValueError`` naming the argument and
what it allows.
"""

from __future__ import annotations

import math
import random
import re
from fractions import Fraction
from typing import Callable, Sequence, Union

import kinetrope

from ._rates import Rate, beats_of, pips_of

__all__ = ["AXES", "EASINGS", "LOOPS", "WAVES", "Rate", "beats_of", "cos_turns", "ease",
           "easing_curve", "lfo", "line", "lissajous", "polygon", "rose", "sin_turns"]

Real = Union[int, float, Fraction]
Exact = Callable[[Fraction], Fraction]
Triple = tuple[Fraction, Fraction, Fraction]

MAX_SAMPLES = 65_535                 # the most samples a SampledPattern holds
WAVES = ("sine", "triangle", "square", "saw_up", "saw_down", "random")
# One axis, or an ordered pair: the second axis runs a quarter cycle behind the first.
AXES = ("x", "y", "z", "xy", "yx", "xz", "zx", "yz", "zy")
LOOPS = ("repeat", "pingpong")
FAMILIES = ("quad", "cubic", "quart", "quint", "sine", "expo", "circ", "back", "elastic",
            "bounce")
EASINGS = ("linear",) + tuple(f"{way}_{family}" for family in FAMILIES
                              for way in ("in", "out", "in_out"))
"""The 31 named easings; ``"steps(N)"`` comes on top."""
BACK_OVERSHOOT = 1.70158             # a 10% overshoot of the back easings
MAX_COUNT = 64                       # polygon sides, rose petals, Lissajous cycles

_ZERO = Fraction(0)
_HALF = Fraction(1, 2)
_QUARTER = Fraction(1, 4)
_STEPS = re.compile(r"steps\(([1-9][0-9]*)\)")


# -- exact helpers ----------------------------------------------------------------------

def sin_turns(turns: Fraction) -> float:
    """sin(2π·turns), folded exactly into the first quarter turn before the one call."""
    h = turns % 1
    negative = h >= _HALF
    if negative:
        h -= _HALF
    if h > _QUARTER:
        h = _HALF - h
    value = math.sin(math.tau * float(h))
    return 0.0 - value if negative else value


def cos_turns(turns: Fraction) -> float:
    """cos(2π·turns), as sin_turns a quarter turn on."""
    return sin_turns(turns + _QUARTER)


def _triangle(f: Fraction) -> Fraction:
    """The triangle of phase ``f``: 0 rising to 1 at 1/4, down to −1 at 3/4, back to 0."""
    if f < _QUARTER:
        return 4 * f
    if f < 3 * _QUARTER:
        return 2 - 4 * f
    return 4 * f - 4


def _real(value: object, argument: str) -> Fraction:
    if isinstance(value, (int, Fraction)) and not isinstance(value, bool) \
            or isinstance(value, float) and math.isfinite(value):
        return Fraction(value)
    raise ValueError(f"{argument}: must be a finite number (int, float or Fraction), "
                     f"not {value!r}")


def _ensure(ok: bool, argument: str, value: object, allowed: str) -> None:
    if not ok:
        raise ValueError(f"{argument}: {value!r} is out of range; {allowed}")


def _phase(value: object) -> Fraction:
    exact = _real(value, "phase")
    _ensure(0 <= exact < 1, "phase", value, "use 0 <= phase < 1 (cycles)")
    return exact


def _count(value: object, argument: str, least: int, most: int) -> int:
    if isinstance(value, int) and not isinstance(value, bool) and least <= value <= most:
        return value
    raise ValueError(f"{argument}: {value!r} is not allowed; use a whole number from "
                     f"{least} to {most}")


def _choice(value: object, argument: str, allowed: Sequence[str]) -> str:
    if isinstance(value, str) and value in allowed:
        return value
    raise ValueError(f"{argument}: {value!r} is not one of {', '.join(allowed)}")


def _triple(value: object, argument: str) -> Triple:
    if isinstance(value, (tuple, list)) and len(value) == 3:
        x, y, z = (_real(v, argument) for v in value)
        return x, y, z
    raise ValueError(f"{argument}: {value!r} is not an (x, y, z) triple of numbers")


def _rate_text(rate: Rate) -> str:
    return rate.strip() if isinstance(rate, str) else f"{beats_of(rate)} beats"


def _float(value: Fraction) -> float:
    """The nearest float; beyond the float range an infinity, which the pattern refuses."""
    try:
        return float(value)
    except OverflowError:
        return math.inf if value > 0 else -math.inf


def _pattern(name: str, description: str, cycle: Fraction, point: Callable[[Fraction], Triple],
             argument: str, rate: Rate) -> kinetrope.SampledPattern:
    """One sample per pip over the fewest pips holding whole cycles of ``cycle`` pips."""
    count, cycles = cycle.numerator, cycle.denominator
    if count > MAX_SAMPLES:
        raise ValueError(f"{argument}: {rate!r} takes {count} pips to close on whole cycles; "
                         f"a pattern holds at most {MAX_SAMPLES}")
    samples = []
    for pip in range(count):
        x, y, z = point(Fraction(pip * cycles % count, count))
        samples.append((_float(x), _float(y), _float(z)))
    return kinetrope.SampledPattern(name, description, samples)


# -- LFOs -------------------------------------------------------------------------------

def _wave(wave: str, low: Fraction, high: Fraction, width: Fraction,
          held: Sequence[Fraction]) -> Exact:
    """The wave as an exact function of its phase ``0 <= f < 1``."""
    mid, half, span = (low + high) / 2, (high - low) / 2, high - low
    if wave == "sine":
        return lambda f: mid + half * Fraction(sin_turns(f))
    if wave == "triangle":
        return lambda f: mid + half * _triangle(f)
    if wave == "square":
        return lambda f: high if f < width else low
    if wave == "saw_up":
        return lambda f: low + span * f
    if wave == "saw_down":
        return lambda f: high - span * f
    return lambda f: low + span * held[math.floor(f * len(held))]


def lfo(name: str, wave: str, rate: Rate, *, phase: Real = 0, low: Real = -1.0,
        high: Real = 1.0, width: Real = 0.5, axis: str = "x", steps: int = 16, seed: int = 0,
        description: str | None = None) -> kinetrope.SampledPattern:
    """A low-frequency oscillator of one cycle per ``rate``, between ``low`` and ``high``.

    At phase ``f`` (the exact fraction of the cycle, ``phase`` cycles ahead), with
    ``mid = (low + high) / 2`` and ``half = (high - low) / 2``:

    - ``sine``: ``mid + half * sin(2πf)``, from the middle, rising;
    - ``triangle``: ``mid + half * tri(f)``, with ``tri`` rising from 0 to 1 at f = 1/4,
      falling to −1 at 3/4 and back to 0;
    - ``square``: ``high`` while ``f < width``, then ``low``;
    - ``saw_up``: ``low + (high - low) * f``; ``saw_down``: ``high - (high - low) * f``;
    - ``random``: sample and hold, ``steps`` values a cycle, each held for 1/steps of it:
      ``low + (high - low) * u[floor(f * steps)]``, where ``u`` is the first ``steps``
      values of ``random.Random(seed).random()``, a sequence Python keeps the same from
      version to version. The cycle repeats, so a longer rate gives a longer sequence.

    ``axis`` is ``"x"``, ``"y"`` or ``"z"``, or a pair such as ``"xy"``: the second axis
    runs the same wave a quarter cycle behind the first (a sine on ``"xy"`` circles
    counter-clockwise from (0, −1), as ``kinetrope.circle`` does; ``"yx"`` turns the other
    way). ``phase`` is in cycles, ``0 <= phase < 1``; ``width`` lies strictly between 0
    and 1.
    """
    kind = _choice(wave, "wave", WAVES)
    cycle = pips_of(rate)
    ahead = _phase(phase)
    bottom, top = _real(low, "low"), _real(high, "high")
    pulse = _real(width, "width")
    _ensure(0 < pulse < 1, "width", width, "use 0 < width < 1")
    holds = _count(steps, "steps", 1, MAX_SAMPLES)
    if not (isinstance(seed, int) and not isinstance(seed, bool) and seed >= 0):
        raise ValueError(f"seed: {seed!r} is not allowed; use a whole number 0 or more")
    axes = _choice(axis, "axis", AXES)
    generator = random.Random(seed)
    held = [Fraction(generator.random()) for _ in range(holds)]
    shape = _wave(kind, bottom, top, pulse, held)
    lag = {letter: -Fraction(order, 4) for order, letter in enumerate(axes)}

    def point(f: Fraction) -> Triple:
        x, y, z = (shape((f + ahead + lag[a]) % 1) if a in lag else _ZERO for a in "xyz")
        return x, y, z

    text = description if description is not None else (
        f"{kind} LFO on {axes}, one cycle per {_rate_text(rate)}")
    return _pattern(name, text, cycle, point, "rate", rate)


# -- figures ----------------------------------------------------------------------------

def lissajous(name: str, rate: Rate, x_cycles: int = 1, y_cycles: int = 2, phase: Real = 0,
              *, description: str | None = None) -> kinetrope.SampledPattern:
    """The Lissajous figure ``x = sin(2π(x_cycles·f + phase))``, ``y = sin(2π·y_cycles·f)``.

    One cycle per ``rate`` draws the whole figure; ``phase`` is in cycles of x,
    ``0 <= phase < 1``. The defaults draw a figure eight; ``(1, 1, 1/4)`` a circle.
    """
    a = _count(x_cycles, "x_cycles", 1, MAX_COUNT)
    b = _count(y_cycles, "y_cycles", 1, MAX_COUNT)
    ahead = _phase(phase)

    def point(f: Fraction) -> Triple:
        return Fraction(sin_turns(a * f + ahead)), Fraction(sin_turns(b * f)), _ZERO

    text = description if description is not None else (
        f"Lissajous figure {a}:{b}, once per {_rate_text(rate)}")
    return _pattern(name, text, pips_of(rate), point, "rate", rate)


def _fit(points: Sequence[tuple[float, float]]) -> list[tuple[Fraction, Fraction]]:
    """Scale about the centre until the farthest coordinate is exactly ±1."""
    reach = Fraction(max(abs(c) for point in points for c in point))
    return [(Fraction(x) / reach, Fraction(y) / reach) for x, y in points]


def polygon(name: str, rate: Rate, sides: int = 4, rotation: Real = 0, *,
            description: str | None = None) -> kinetrope.SampledPattern:
    """A regular polygon traced counter-clockwise at constant speed, corner to corner.

    Corner ``k`` lies at the angle ``90° + rotation + 360°·k/sides``, and the polygon is
    scaled so that it touches the edge of the −1…1 square: with 4 sides, rotation 0 is a
    diamond through (0, ±1) and (±1, 0), and rotation 45 the full square through
    (±1, ±1). Each edge takes ``1/sides`` of the cycle; pip 0 is at corner 0.
    """
    n = _count(sides, "sides", 3, MAX_COUNT)
    start = _QUARTER + _real(rotation, "rotation") / 360
    corners = _fit([(cos_turns(start + Fraction(k, n)), sin_turns(start + Fraction(k, n)))
                    for k in range(n)])

    def point(f: Fraction) -> Triple:
        edge, along = divmod(f * n, 1)
        (x0, y0), (x1, y1) = corners[edge], corners[(edge + 1) % n]
        return x0 + (x1 - x0) * along, y0 + (y1 - y0) * along, _ZERO

    text = description if description is not None else (
        f"{n}-sided polygon, once round per {_rate_text(rate)}")
    return _pattern(name, text, pips_of(rate), point, "rate", rate)


def line(name: str, rate: Rate, angle: Real = 0, *,
         description: str | None = None) -> kinetrope.SampledPattern:
    """Back and forth along a line through the centre, at constant speed.

    The line points at ``angle`` degrees (0 along x, 90 along y) and reaches the edge of
    the −1…1 square (at 45° the corners). Pip 0 is at the centre, moving towards
    ``angle``: the position is the end point times the triangle of the phase.
    """
    turn = _real(angle, "angle") / 360
    ((ux, uy),) = _fit([(cos_turns(turn), sin_turns(turn))])

    def point(f: Fraction) -> Triple:
        along = _triangle(f)
        return ux * along, uy * along, _ZERO

    text = description if description is not None else (
        f"line at {angle} degrees, there and back per {_rate_text(rate)}")
    return _pattern(name, text, pips_of(rate), point, "rate", rate)


def rose(name: str, rate: Rate, petals: int = 4, *,
         description: str | None = None) -> kinetrope.SampledPattern:
    """The rose ``r = cos(kθ)``, ``(x, y) = r·(cos θ, sin θ)``, with ``petals`` petals.

    An odd count ``k`` of petals is drawn as θ sweeps half a turn; a multiple of 4 as
    ``k = petals / 2`` sweeps a whole turn. No rose of this kind has 2, 6, 10… petals, so
    those are refused. θ advances evenly; the path crosses the centre in a straight line
    from one petal to the next.
    """
    n = _count(petals, "petals", 1, MAX_COUNT)
    if n % 4 == 2:
        raise ValueError(f"petals: {n!r} is not allowed; a rose has an odd number of petals "
                         "or a multiple of 4")
    k, sweep = (n, _HALF) if n % 2 else (n // 2, Fraction(1))

    def point(f: Fraction) -> Triple:
        theta = sweep * f
        r = Fraction(cos_turns(k * theta))
        return r * Fraction(cos_turns(theta)), r * Fraction(sin_turns(theta)), _ZERO

    text = description if description is not None else (
        f"rose of {n} petals, once round per {_rate_text(rate)}")
    return _pattern(name, text, pips_of(rate), point, "rate", rate)


# -- easings ----------------------------------------------------------------------------

def _power(t: Fraction) -> Fraction:
    """2**t through the one float call."""
    return Fraction(2.0 ** float(t))


def _bounce_out(t: Fraction) -> Fraction:
    # Four parabolas of 7.5625 = 121/16 with their feet at 0, 4/11, 8/11, 10/11 and 1.
    if t < Fraction(4, 11):
        return Fraction(121, 16) * t * t
    if t < Fraction(8, 11):
        return Fraction(121, 16) * (t - Fraction(6, 11)) ** 2 + Fraction(3, 4)
    if t < Fraction(10, 11):
        return Fraction(121, 16) * (t - Fraction(9, 11)) ** 2 + Fraction(15, 16)
    return Fraction(121, 16) * (t - Fraction(21, 22)) ** 2 + Fraction(63, 64)


def _mirror(curve: Exact) -> Exact:
    return lambda t: 1 - curve(1 - t)


def _elastic(amplitude: Fraction, period: Fraction) -> tuple[Exact, Exact]:
    # A sine of `period` under a power of two that decays away from the far end; its lag
    # of asin(1 / amplitude) / 2π turns makes it cross 1 at the end of in, 0 at out's start.
    lag = _QUARTER if amplitude == 1 else Fraction(math.asin(1 / float(amplitude)) / math.tau)

    def ease_in(t: Fraction) -> Fraction:
        if t in (0, 1):
            return t
        return -amplitude * _power(10 * t - 10) * Fraction(sin_turns((t - 1) / period - lag))

    def ease_out(t: Fraction) -> Fraction:
        if t in (0, 1):
            return t
        return amplitude * _power(-10 * t) * Fraction(sin_turns(t / period - lag)) + 1

    return ease_in, ease_out


def _power_in(power: int) -> Exact:
    return lambda t: t ** power


def _back_in(overshoot: Fraction) -> Exact:
    return lambda t: t * t * ((overshoot + 1) * t - overshoot)


def _sine_in(t: Fraction) -> Fraction:
    return 1 - Fraction(cos_turns(t / 4))


def _expo_in(t: Fraction) -> Fraction:
    return _ZERO if t == 0 else _power(10 * t - 10)


def _circ_in(t: Fraction) -> Fraction:
    return 1 - Fraction(math.sqrt(float(1 - t * t)))


_POWERS = {"quad": 2, "cubic": 3, "quart": 4, "quint": 5}
_IN_CURVES: dict[str, Exact] = {"sine": _sine_in, "expo": _expo_in, "circ": _circ_in}


def _family(family: str, overshoot: Fraction, amplitude: Fraction,
            period: Fraction) -> tuple[Exact, Exact]:
    """The in and out curves of one family."""
    if family == "elastic":
        return _elastic(amplitude, period)
    if family == "bounce":
        return _mirror(_bounce_out), _bounce_out
    if family in _POWERS:
        ease_in = _power_in(_POWERS[family])
    elif family == "back":
        ease_in = _back_in(overshoot)
    else:
        ease_in = _IN_CURVES[family]
    return ease_in, _mirror(ease_in)


def easing_curve(easing: str, *, overshoot: Real = BACK_OVERSHOOT, amplitude: Real = 1,
                 period: Real | None = None) -> Callable[[Fraction], Fraction]:
    """The easing ``E`` as an exact function of an exact ``0 <= t <= 1``; E(0) = 0, E(1) = 1.

    ``easing`` is ``"linear"``, ``"steps(N)"`` (``floor(N·t) / N``, and 1 at t = 1) or one
    of the in, out and in-out forms of quad, cubic, quart, quint, sine, expo, circ, back,
    elastic and bounce, spelt ``"in_quad"``, ``"out_quad"``, ``"in_out_quad"``. These are
    Robert Penner's definitions; each out curve is ``1 - in(1 - t)`` (elastic apart, which
    has its own), each in-out curve ``in(2t) / 2`` up to t = 1/2 and
    ``out(2t - 1) / 2 + 1/2`` after it.

    - ``overshoot`` (back, 0 or more): how far back pulls, 1.70158 for a 10% overshoot; the
      in-out form uses it times 1.525, as Penner does.
    - ``amplitude`` (elastic, 1 or more) and ``period`` (elastic, above 0, in fractions of
      the easing; of each half for in-out): 1 and 0.3, or 0.45 for in-out.
    """
    if easing == "linear":
        return lambda t: t
    steps = _STEPS.fullmatch(easing) if isinstance(easing, str) else None
    if steps:
        count = int(steps[1])
        return lambda t: Fraction(1) if t == 1 else Fraction(math.floor(t * count), count)
    name = _choice(easing, "easing", EASINGS + ("steps(N) for a whole N of 1 or more",))
    way, family = name.rsplit("_", 1)
    pull, size = _real(overshoot, "overshoot"), _real(amplitude, "amplitude")
    _ensure(pull >= 0, "overshoot", overshoot, "use 0 or more")
    _ensure(size >= 1, "amplitude", amplitude, "use 1 or more")
    if period is None:
        period = 0.45 if way == "in_out" else 0.3
    wave = _real(period, "period")
    _ensure(wave > 0, "period", period, "use a period above 0")
    if way == "in_out":
        pull *= Fraction(61, 40)
    ease_in, ease_out = _family(family, pull, size, wave)
    if way == "in":
        return ease_in
    if way == "out":
        return ease_out
    return lambda t: ease_in(2 * t) / 2 if t < _HALF else ease_out(2 * t - 1) / 2 + _HALF


def ease(name: str, easing: str, beats: Rate, *, start: Sequence[Real] = (0, 0, 0),
         end: Sequence[Real] = (1, 0, 0), loop: str = "repeat",
         overshoot: Real = BACK_OVERSHOOT, amplitude: Real = 1, period: Real | None = None,
         description: str | None = None) -> kinetrope.SampledPattern:
    """A move from ``start`` to ``end`` along an easing, lasting ``beats``, on a loop.

    ``beats`` is any rate: a number of beats, a note value or bars. With ``loop="repeat"``
    and a move of ``P`` pips, pip ``p`` is at ``t = p / P`` and the value is
    ``start + (end - start) * E(t)`` on each axis; the move starts again after ``P``.
    ``"pingpong"`` runs the move forwards over ``P`` pips and backwards over the next
    ``P``, reaching ``end`` at pip ``P``. A move of a whole number of pips loops on that;
    otherwise the pattern holds the fewest moves that fill whole pips. See
    ``easing_curve`` for the easings and their parameters.
    """
    curve = easing_curve(easing, overshoot=overshoot, amplitude=amplitude, period=period)
    cycle = pips_of(beats, "beats")
    mode = _choice(loop, "loop", LOOPS)
    first, last = _triple(start, "start"), _triple(end, "end")
    if mode == "pingpong":
        cycle *= 2

    def point(f: Fraction) -> Triple:
        t = f if mode == "repeat" else 2 * f if f <= _HALF else 2 - 2 * f
        e = curve(t)
        x, y, z = (a + (b - a) * e for a, b in zip(first, last))
        return x, y, z

    text = description if description is not None else (
        f"{easing} over {_rate_text(beats)}, {mode}")
    return _pattern(name, text, cycle, point, "beats", beats)
