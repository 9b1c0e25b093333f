"""Musical rates as exact numbers of beats: note values, bars, or beats given outright."""

from __future__ import annotations

import re
from fractions import Fraction
from typing import Union

import kinetrope

BEATS_PER_BAR = 4                    # bars are 4/4

Rate = Union[str, int, Fraction]
"""A note value such as ``"1/8t"``, a count of bars such as ``"2 bars"``, or beats."""

_NOTE = re.compile(r"1/(1|2|4|8|16|32)([t.]?)")
_BARS = re.compile(r"([1-9][0-9]*) ?bars?")
# A triplet fits three notes in the time of two; a dotted note lasts half as long again.
_MODIFIER = {"": Fraction(1), "t": Fraction(2, 3), ".": Fraction(3, 2)}

ALLOWED = ("a note value '1/1' (4 beats), '1/2', '1/4', '1/8', '1/16' or '1/32', optionally "
           "with 't' (triplet) or '.' (dotted); 'N bars' of 4 beats; or a positive number of "
           "beats as an int or a Fraction")


def beats_of(rate: Rate, argument: str = "rate") -> Fraction:
    """The exact length of ``rate`` in beats.

    ``"1/4"`` is one beat, ``"1/1"`` four; ``"1/8t"`` is 1/3 beat and ``"1/8."`` 3/4 beat;
    ``"2 bars"`` is 8 beats; an ``int`` or ``Fraction`` counts beats. Anything else raises
    ``ValueError`` naming ``argument`` and what is allowed.
    """
    beats: Fraction | None = None
    if isinstance(rate, str):
        text = rate.strip()
        note = _NOTE.fullmatch(text)
        bars = _BARS.fullmatch(text)
        if note:
            beats = Fraction(BEATS_PER_BAR, int(note[1])) * _MODIFIER[note[2]]
        elif bars:
            beats = Fraction(int(bars[1]) * BEATS_PER_BAR)
    elif isinstance(rate, (int, Fraction)) and not isinstance(rate, bool):
        beats = Fraction(rate)
    if beats is None or beats <= 0:
        raise ValueError(f"{argument}: {rate!r} is not a rate; use {ALLOWED}")
    return beats


def pips_of(rate: Rate, argument: str = "rate") -> Fraction:
    """The exact length of ``rate`` in pips (64 to a beat), a whole number or not."""
    return beats_of(rate, argument) * kinetrope.PIPS_PER_BEAT
