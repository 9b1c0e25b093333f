"""Effects: one movement, transformed; fans: one effect across many fixtures.

An ``Effect`` samples a source at a pip derived from the effect's own pip by exact integer
arithmetic, then moves the value by a fixed transform::

    1. source pip = floor(pip * rate) + shift + floor(phase * source period)
    2. mirror, then size, then rotate (x-y plane), then offset, then clamp to -1..1

A ``Fan`` runs one effect on ``count`` members, each a whole number of pips behind the
effect by the rules of a lighting console's effect engine (spread, order, wings, blocks,
groups). ``Fan.frame`` gives every member at once from a table of one source period, bit
for bit what ``Fan.at`` gives member by member.

Exact parameters (``rate``, ``phase``, ``spread``) take an ``int``, a ``Fraction``, a
``Decimal``, a string such as ``"1/3"`` or ``"0.1"``, or a float that is exactly the decimal
it prints as (``0.5``, ``0.25``). Other floats, such as ``0.1`` or ``1/3``, are refused: they
are binary approximations, and the arithmetic here is exact.
"""

from __future__ import annotations

import math
import numbers
import operator
from decimal import Decimal, localcontext
from fractions import Fraction
from functools import lru_cache, partial
from typing import TYPE_CHECKING, Any, Callable, Protocol, Sequence, Union

import kinetrope

from ._optional import require

if TYPE_CHECKING:
    import numpy as np
    from numpy.typing import NDArray

Triple = tuple[float, float, float]
Exact = Union[int, Fraction, Decimal, float, str]
Real = Union[int, float, Fraction, Decimal]

AXES = "xyz"
ORDERS = ("forward", "reverse", "center_out", "outside_in", "shuffle")

# pi to 64 digits, for the rotation's cosine and sine (see _cos_sin_degrees).
_PI = Decimal("3.141592653589793238462643383279502884197169399375105820974944592")
_MASK64 = (1 << 64) - 1


class Source(Protocol):
    """Anything sampled at an integer pip: its value is an ``Offset3`` or three numbers."""

    def sample(self, pip: int, /) -> Any: ...


def _exact(value: object, argument: str) -> Fraction:
    """``value`` as an exact ``Fraction``, or a ``ValueError`` naming ``argument``."""
    if isinstance(value, numbers.Rational) and not isinstance(value, bool):
        return Fraction(int(value.numerator), int(value.denominator))
    if isinstance(value, float) and math.isfinite(value):
        if Fraction(value) == Fraction(repr(float(value))):
            return Fraction(value)
    elif isinstance(value, Decimal) and value.is_finite():
        return Fraction(value)
    elif isinstance(value, str):
        try:
            return Fraction(value)
        except (ValueError, ZeroDivisionError):
            pass
    raise ValueError(f"{argument} must be an exact number: an int, a Fraction, a Decimal, a "
                     f"string such as '1/3' or '0.1', or a float that is exactly its decimal "
                     f"(0.5, 0.25); not {value!r}")


def _whole(value: object, argument: str, low: int | None = None,
           high: int | None = None) -> int:
    """``value`` as an ``int`` within ``low..high``, or a ``ValueError`` naming ``argument``."""
    if not isinstance(value, bool):
        try:
            number = operator.index(value)  # type: ignore[arg-type]
        except TypeError:
            pass
        else:
            if (low is None or number >= low) and (high is None or number <= high):
                return number
    allowed = ("" if low is None else f" {low}..{high}" if high is not None
               else f" {low} or more")
    raise ValueError(f"{argument} must be a whole number{allowed}, not {value!r}")


def _real(value: object, argument: str) -> float:
    if isinstance(value, (numbers.Real, Decimal)) and not isinstance(value, bool):
        number = float(value)
        if math.isfinite(number):
            return number
    raise ValueError(f"{argument} must be a finite number, not {value!r}")


def _per_axis(value: object, argument: str, *, single: bool) -> Triple:
    """Three floats from three numbers, or from one number when ``single`` allows it."""
    if single and not isinstance(value, (str, Sequence)):
        number = _real(value, argument)
        return number, number, number
    if isinstance(value, Sequence) and not isinstance(value, str) and len(value) == 3:
        x, y, z = (_real(v, argument) for v in value)
        return x, y, z
    what = "one number or three (x, y, z)" if single else "three numbers (x, y, z)"
    raise ValueError(f"{argument} must be {what}, not {value!r}")


def _mirror(value: object) -> tuple[bool, bool, bool]:
    """Axes to mirror: a string of axis letters such as ``"x"`` or ``"xy"``, or three bools."""
    if isinstance(value, str) and set(value) <= set(AXES):
        return "x" in value, "y" in value, "z" in value
    if (isinstance(value, Sequence) and not isinstance(value, str) and len(value) == 3
            and all(isinstance(v, bool) for v in value)):
        return bool(value[0]), bool(value[1]), bool(value[2])
    raise ValueError("mirror must be a string of axes ('x', 'xy', ...) or three bools "
                     f"(x, y, z), not {value!r}")


def _cos_sin_degrees(degrees: Fraction) -> tuple[float, float]:
    """Cosine and sine of an exact angle, rounded once from 60 digits.

    The platform's ``math.cos`` may differ in the last bit between C libraries; a rounded
    series gives every machine the same two floats.
    """
    turn = degrees % 360
    if turn % 90 == 0:  # the series would leave 1e-60 where the answer is 0
        return ((1.0, 0.0), (0.0, 1.0), (-1.0, 0.0), (0.0, -1.0))[int(turn // 90)]
    if turn > 180:
        turn -= 360
    with localcontext() as context:
        context.prec = 60
        angle = Decimal(turn.numerator) / Decimal(turn.denominator) * _PI / 180
        cosine, sine = Decimal(0), Decimal(0)
        term, n = Decimal(1), 0
        while term != 0 and n < 200:   # |angle| <= pi: the terms vanish after about 45
            if n % 2 == 0:
                cosine += term if n % 4 == 0 else -term
            else:
                sine += term if n % 4 == 1 else -term
            n += 1
            term = term * angle / n
    return float(cosine), float(sine)


@lru_cache(maxsize=1)
def _default_periods() -> dict[str, int]:
    return {str(entry["name"]): int(entry["period_pips"]) for entry in kinetrope.catalogue()}


def _as_triple(value: Any) -> Triple:
    as_tuple = getattr(value, "as_tuple", None)
    try:
        x, y, z = as_tuple() if as_tuple is not None else value
        return float(x), float(y), float(z)
    except (TypeError, ValueError):
        raise ValueError("source: sample(pip) must return an Offset3 or three numbers, "
                         f"not {value!r}") from None


def _resolve(source: object, library: kinetrope.PatternLibrary | None,
             period: object) -> tuple[Callable[[int], Any], int | None]:
    """The source's sampler and its period in pips (None when it has none)."""
    known: int | None
    if isinstance(source, str):
        if library is None:
            known = _default_periods().get(source)
            where, sampler = "among the default patterns", partial(kinetrope.sample, source)
        else:
            known = next((int(e["period_pips"]) for e in library.catalogue()
                          if e["name"] == source), None)
            where, sampler = "in the library", partial(library.sample, source)
        if known is None:
            raise ValueError(f"source: no pattern named {source!r} {where}")
    else:
        if library is not None:
            raise ValueError("library: only a pattern name is looked up in a library; "
                             f"the source is {source!r}")
        method = getattr(source, "sample", None)
        if not callable(method):
            raise ValueError("source must be a pattern name, a SampledPattern or an object "
                             f"with sample(pip), not {source!r}")
        sampler = method
        _as_triple(method(0))  # fail here, not at the first frame of a show
        own = getattr(source, "period_pips", None)
        known = None if own is None else _whole(own, "source.period_pips", 1)
    if period is not None:
        given = _whole(period, "period", 1)
        if known is not None and given != known:
            raise ValueError(f"period: the source repeats every {known} pips, not {given}")
        known = given
    return sampler, known


class Effect:
    """One movement, transformed: ``effect.at(pip)`` gives ``(x, y, z)`` as floats.

    ``source`` is a default pattern's name, a name in ``library``, a ``SampledPattern``, or
    anything with ``sample(pip)`` returning an ``Offset3`` or three numbers. Such an object
    gives its period by a ``period_pips`` attribute or the ``period`` argument; without one,
    ``phase`` and fans are refused.

    The parameters apply in this fixed order:

    1. the source is sampled at ``floor(pip * rate) + shift + floor(phase * P)``, ``P`` being
       the source's period in pips: ``rate`` is an exact speed factor (``2``, ``"1/2"``,
       ``Fraction(3, 4)``; negative pips floor too), ``shift`` whole pips, ``phase`` cycles
       of the source (any exact number; whole cycles wrap round);
    2. ``mirror`` negates the axes it names (``"x"``, ``"xy"`` or three bools);
    3. ``size`` scales by one factor or one per axis;
    4. ``rotate`` turns x and y by that many degrees, anticlockwise;
    5. ``offset`` adds one number per axis;
    6. ``clamp`` (on unless ``False``) keeps every value within -1..1.

    ``period`` is ``P / rate``, an exact ``Fraction``: the pips one cycle of the source takes
    at this rate. The values repeat exactly every ``repeat_pips`` pips, the numerator of
    ``period`` (448 for a 64-pip source at rate 3/7, whose period is 448/3).
    """

    __slots__ = ("_source", "_sample", "_source_period", "_rate", "_shift", "_phase",
                 "_lead", "_mirror", "_size", "_rotate", "_cos_sin", "_offset", "_clamp",
                 "_table")

    def __init__(self, source: str | Source, *,
                 library: kinetrope.PatternLibrary | None = None, period: int | None = None,
                 rate: Exact = 1, shift: int = 0, phase: Exact = 0,
                 size: Real | Sequence[Real] = 1.0,
                 offset: Sequence[Real] = (0.0, 0.0, 0.0), rotate: Real = 0.0,
                 mirror: str | Sequence[bool] = "", clamp: bool = True) -> None:
        self._source = source
        self._sample, self._source_period = _resolve(source, library, period)
        self._rate = _exact(rate, "rate")
        if self._rate <= 0:
            raise ValueError(f"rate must be above 0, not {rate!r}")
        self._shift = _whole(shift, "shift")
        self._phase = _exact(phase, "phase")
        if self._phase and self._source_period is None:
            raise ValueError("phase needs the source's period: give period= for a source "
                             "without period_pips")
        self._lead = self._shift + math.floor(self._phase * (self._source_period or 0))
        self._mirror = _mirror(mirror)
        self._size = _per_axis(size, "size", single=True)
        self._offset = _per_axis(offset, "offset", single=False)
        _real(rotate, "rotate")
        self._rotate = Fraction(rotate)
        self._cos_sin = None if self._rotate % 360 == 0 else _cos_sin_degrees(self._rotate)
        if not isinstance(clamp, bool):
            raise ValueError(f"clamp must be True or False, not {clamp!r}")
        self._clamp = clamp
        self._table: list[Triple] | None = None

    @property
    def source(self) -> str | Source:
        """The source as given."""
        return self._source

    @property
    def source_period(self) -> int | None:
        """The source's period in pips, or None."""
        return self._source_period

    @property
    def rate(self) -> Fraction:
        """The speed factor."""
        return self._rate

    @property
    def shift(self) -> int:
        """The shift in whole pips."""
        return self._shift

    @property
    def phase(self) -> Fraction:
        """The phase in cycles of the source."""
        return self._phase

    @property
    def mirror(self) -> tuple[bool, bool, bool]:
        """Whether x, y and z are mirrored."""
        return self._mirror

    @property
    def size(self) -> Triple:
        """The factors of x, y and z."""
        return self._size

    @property
    def rotate(self) -> Fraction:
        """The x-y rotation in degrees."""
        return self._rotate

    @property
    def offset(self) -> Triple:
        """What is added to x, y and z."""
        return self._offset

    @property
    def clamp(self) -> bool:
        """Whether values are kept within -1..1."""
        return self._clamp

    @property
    def period(self) -> Fraction | None:
        """One source cycle in this effect's pips, ``P / rate``; None without a period."""
        if self._source_period is None:
            return None
        return self._source_period / self._rate

    @property
    def repeat_pips(self) -> int | None:
        """The pips after which the values repeat exactly: the numerator of ``period``."""
        period = self.period
        return None if period is None else period.numerator

    def source_pip(self, pip: int) -> int:
        """Step 1: the pip at which the source is sampled for the effect's ``pip``."""
        return (operator.index(pip) * self._rate.numerator // self._rate.denominator
                + self._lead)

    def transform(self, point: Triple) -> Triple:
        """Steps 2 to 6: mirror, size, rotate, offset and clamp one source value."""
        x, y, z = point
        mx, my, mz = self._mirror
        if mx:
            x = -x
        if my:
            y = -y
        if mz:
            z = -z
        sx, sy, sz = self._size
        x, y, z = x * sx, y * sy, z * sz
        if self._cos_sin is not None:
            cos, sin = self._cos_sin
            x, y = x * cos - y * sin, x * sin + y * cos
        ox, oy, oz = self._offset
        x, y, z = x + ox, y + oy, z + oz
        if self._clamp:
            x = -1.0 if x < -1.0 else 1.0 if x > 1.0 else x
            y = -1.0 if y < -1.0 else 1.0 if y > 1.0 else y
            z = -1.0 if z < -1.0 else 1.0 if z > 1.0 else z
        return x, y, z

    def at(self, pip: int) -> Triple:
        """The effect's value at ``pip``: the source at ``source_pip(pip)``, transformed."""
        place = self.source_pip(pip)
        if self._source_period is not None:
            # The source repeats every period, and kinetrope samples 32-bit pips.
            place %= self._source_period
        return self.transform(_as_triple(self._sample(place)))

    def cycle(self) -> list[Triple]:
        """The transformed source over one source period, entry ``k`` for source pip ``k``.

        ``at(pip)`` is ``cycle()[source_pip(pip) % source_period]``. Sampled once, then kept.
        """
        if self._source_period is None:
            raise ValueError("cycle needs the source's period: give period= for a source "
                             "without period_pips")
        if self._table is None:
            self._table = [self.transform(_as_triple(self._sample(k)))
                           for k in range(self._source_period)]
        return list(self._table)

    def __repr__(self) -> str:
        return (f"Effect({self._source!r}, rate={str(self._rate)!r}, shift={self._shift}, "
                f"phase={str(self._phase)!r}, size={self._size}, offset={self._offset}, "
                f"rotate={str(self._rotate)!r}, mirror={self._mirror}, clamp={self._clamp})")


def _shuffled(width: int, seed: int) -> list[int]:
    """A permutation of ``range(width)`` from ``seed`` (splitmix64 and Fisher-Yates), the same
    on every Python version: ``random.shuffle`` does not promise that."""
    state = seed & _MASK64
    places = list(range(width))
    for i in range(width - 1, 0, -1):
        state = (state + 0x9E3779B97F4A7C15) & _MASK64
        z = state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & _MASK64
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & _MASK64
        j = (z ^ (z >> 31)) % (i + 1)
        places[i], places[j] = places[j], places[i]
    return places


def _fan_places(count: int, order: str, wings: int, blocks: int, groups: int,
                seed: int) -> tuple[list[int], int]:
    """Each member's place in the fan's phase order, and how many places there are."""
    group = -(-count // groups)
    wing = -(-group // wings)
    width = -(-wing // blocks)
    half = (width + 1) // 2
    shuffle = _shuffled(width, seed) if order == "shuffle" else []
    slots = []
    for member in range(count):
        place = member % group
        side = place // wing
        if side % 2:
            place = min(group, (side + 1) * wing) - 1 - place
        else:
            place -= side * wing
        block = place // blocks
        if order == "forward":
            slots.append(block)
        elif order == "reverse":
            slots.append(width - 1 - block)
        elif order == "shuffle":
            slots.append(shuffle[block])
        else:
            from_centre = abs(2 * block - (width - 1)) // 2
            slots.append(from_centre if order == "center_out" else half - 1 - from_centre)
    return slots, (half if order in ("center_out", "outside_in") else width)


class Fan:
    """One effect across ``count`` members, each its own whole number of pips behind.

    Member ``m`` at ``pip`` is the effect at ``pip - delays[m]``. A member in place ``s`` of
    ``n`` places is ``floor(s * spread * period / n)`` pips behind, ``period`` being the
    effect's exact period; ``spread`` is the part of a period laid across the places (``1``:
    one whole cycle, ``"1/2"``: half of one). Without wings, blocks or groups, member ``i``
    is in place ``i`` of ``count``. The places come from these rules, in this order:

    - ``groups``: the members split into that many consecutive groups of
      ``ceil(count / groups)``, and every group repeats the first one's places;
    - ``wings``: a group splits into that many wings of ``ceil(group / wings)``; the first
      wing counts from its first member, the second from its last, and so on alternately,
      so with two wings of four members 0 and 7, 1 and 6, ... move alike;
    - ``blocks``: that many consecutive places of a wing share one;
    - ``order``: ``forward``, ``reverse``, ``center_out`` (the middle first; places at equal
      distances from the middle alike, so there are half as many), ``outside_in`` (the ends
      first), or ``shuffle`` (a fixed permutation from ``seed``, 0 by default).

    ``effect`` may also be anything ``Effect`` takes as its source.
    """

    __slots__ = ("_effect", "_period", "_count", "_spread", "_order", "_wings", "_blocks",
                 "_groups", "_seed", "_delays", "_frame")

    def __init__(self, effect: Effect | str | Source, count: int, *, spread: Exact = 1,
                 order: str = "forward", wings: int = 1, blocks: int = 1, groups: int = 1,
                 seed: int | None = None) -> None:
        self._effect = effect if isinstance(effect, Effect) else Effect(effect)
        period = self._effect.period
        if period is None:
            raise ValueError("effect: a fan needs the source's period; give period= for a "
                             "source without period_pips")
        self._period = period
        self._count = _whole(count, "count", 1)
        self._spread = _exact(spread, "spread")
        if self._spread < 0:
            raise ValueError(f"spread must be 0 or more, not {spread!r}")
        if order not in ORDERS:
            raise ValueError(f"order must be one of {', '.join(ORDERS)}; not {order!r}")
        if seed is not None and order != "shuffle":
            raise ValueError("seed applies only to order='shuffle'")
        self._order = order
        self._seed = _whole(0 if seed is None else seed, "seed")
        self._wings = _whole(wings, "wings", 1, self._count)
        self._blocks = _whole(blocks, "blocks", 1, self._count)
        self._groups = _whole(groups, "groups", 1, self._count)
        slots, places = _fan_places(self._count, order, self._wings, self._blocks,
                                    self._groups, self._seed)
        self._delays = tuple(math.floor(slot * self._spread * period / places)
                             for slot in slots)
        self._frame: Callable[[int], NDArray[np.float64]] | None = None

    @property
    def effect(self) -> Effect:
        """The effect every member runs."""
        return self._effect

    @property
    def count(self) -> int:
        """How many members."""
        return self._count

    @property
    def spread(self) -> Fraction:
        """The part of a period laid across the places."""
        return self._spread

    @property
    def order(self) -> str:
        """The order of the places."""
        return self._order

    @property
    def wings(self) -> int:
        """How many mirrored wings a group has."""
        return self._wings

    @property
    def blocks(self) -> int:
        """How many consecutive places share one phase."""
        return self._blocks

    @property
    def groups(self) -> int:
        """How many groups repeat the pattern."""
        return self._groups

    @property
    def delays(self) -> tuple[int, ...]:
        """Each member's delay behind the effect, in whole pips."""
        return self._delays

    def at(self, pip: int, member: int) -> Triple:
        """Member ``member``'s value at ``pip``: the effect at ``pip - delays[member]``."""
        index = _whole(member, "member", 0, self._count - 1)
        return self._effect.at(operator.index(pip) - self._delays[index])

    def frame(self, pip: int) -> NDArray[np.float64]:
        """Every member at ``pip``: a ``(count, 3)`` float64 array, row ``m`` = ``at(pip, m)``."""
        if self._frame is None:
            self._frame = self._frame_function()
        return self._frame(operator.index(pip))

    def _frame_function(self) -> Callable[[int], NDArray[np.float64]]:
        """A frame is one index computation and one gather from the effect's cycle.

        With rate a/b, source period P and repeat R (``repeat_pips``), member m's source pip
        is ``floor((pip - d_m) * a / b) + lead``. Moving ``pip`` or ``d_m`` by R moves it by
        ``R * a / b``, a whole number of source periods, so both are taken modulo R first,
        which keeps the products small enough for int64.
        """
        np_ = require("numpy", "numpy", "Fan frames")
        effect = self._effect
        table = np_.array(effect.cycle(), dtype=np_.float64).reshape(-1, 3)
        size = len(table)
        a, b = effect.rate.numerator, effect.rate.denominator
        repeat = self._period.numerator
        lead = effect.source_pip(0) % size
        delays = [d % repeat for d in self._delays]
        if repeat * a + size < 1 << 62:
            offsets = np_.array(delays, dtype=np_.int64)

            def frame(pip: int) -> NDArray[np.float64]:
                places = (pip % repeat) - offsets
                if a != 1:
                    places *= a
                if b != 1:
                    places //= b
                places += lead
                places %= size
                return table[places]  # type: ignore[no-any-return]
        else:
            def frame(pip: int) -> NDArray[np.float64]:
                start = pip % repeat
                places = [((start - d) * a // b + lead) % size for d in delays]
                return table[np_.array(places, dtype=np_.int64)]  # type: ignore[no-any-return]
        return frame

    def __repr__(self) -> str:
        return (f"Fan({self._effect!r}, {self._count}, spread={str(self._spread)!r}, "
                f"order={self._order!r}, wings={self._wings}, blocks={self._blocks}, "
                f"groups={self._groups})")
