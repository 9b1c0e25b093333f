"""What one frame of a show is: its time, its pip and a point for every name."""

from __future__ import annotations

from dataclasses import dataclass
from typing import Mapping, Protocol


class Point(Protocol):
    """Anything with float ``x``, ``y`` and ``z``, such as ``kinetrope.Offset3``."""

    @property
    def x(self) -> float: ...
    @property
    def y(self) -> float: ...
    @property
    def z(self) -> float: ...


@dataclass(frozen=True)
class Frame:
    """One frame: ``seconds`` since the show started, the ``pip`` it shows, and ``points``,
    a point for every name in play (a pattern, or later a fixture), in a fixed order."""

    seconds: float
    pip: int
    points: Mapping[str, Point]
