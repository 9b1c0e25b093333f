"""What one frame of a show is: its time, its pip, a point for every name and the DMX data
of every universe."""

from __future__ import annotations

from typing import Any, Mapping, NamedTuple, Protocol, Sequence


class Point(Protocol):
    """Anything with float ``x``, ``y`` and ``z``, such as ``kinetrope.Offset3``."""

    @property
    def x(self) -> float: ...
    @property
    def y(self) -> float: ...
    @property
    def z(self) -> float: ...


class XYZ(NamedTuple):
    """A point with ``x``, ``y`` and ``z``, as ``kinetrope.Offset3`` has them."""

    x: float
    y: float
    z: float


class Frame:
    """One frame: ``seconds`` since the show started, the ``pip`` it shows, ``names`` and
    their ``values`` (one ``(x, y, z)`` each, a sequence or an array of rows), and
    ``universes``, the 512 bytes of every DMX universe the show drives, and the dimmer
    ``levels`` that set them (0 to 1, NaN where a fixture holds its own; None: none).

    ``points`` maps each name to its point; it is made on first use, so outputs that only
    send universes never pay for it.
    """

    __slots__ = ("seconds", "pip", "names", "values", "universes", "levels", "_points")

    def __init__(self, seconds: float, pip: int, names: Sequence[str], values: Any,
                 universes: Mapping[int, bytes] | None = None, levels: Any = None) -> None:
        self.seconds, self.pip, self.names, self.values = seconds, pip, names, values
        self.universes: Mapping[int, bytes] = universes or {}
        self.levels = levels
        self._points: dict[str, XYZ] | None = None

    @property
    def points(self) -> dict[str, XYZ]:
        if self._points is None:
            rows = self.values.tolist() if hasattr(self.values, "tolist") else self.values
            self._points = {name: XYZ(*row) for name, row in zip(self.names, rows)}
        return self._points
