"""A patch: fixtures at universes and addresses, and the DMX bytes that points give them.

Each fixture follows a point as ``DmxFixture`` does, whatever its layout: x = 0 points the
head at its pan centre and x = ±1 swings it ``pan_swing`` degrees either side, clamped to
its limits (likewise tilt with y); the angle's share of the travel is scaled to the
channel's whole range at 8, 16 or 24 bits (or the part of it that a definition gives the
function) and rounded half up. A dimmer follows a level from 0 to 1 the same way.

A frame of any number of fixtures is a handful of array operations, each value computed by
the same IEEE operations, in the same order, as ``DmxFixture`` computes one: a patch of
16-bit heads gives ``DmxFixture``'s bytes, bit for bit.
"""

from __future__ import annotations

import math
from dataclasses import dataclass, field
from typing import TYPE_CHECKING, Any, Sequence

from ._optional import require
from .dmx import MAX_UNIVERSE, UNIVERSE_SIZE
from .fixtures import FixtureLayout, Parameter, full_scale

if TYPE_CHECKING:
    import numpy as np
    from numpy.typing import NDArray


@dataclass(frozen=True)
class Aim:
    """How one axis of a head follows its coordinate: ``centre`` (None: the middle of the
    travel), ``swing`` and ``limits`` (None: the whole travel) in degrees, and ``invert``
    to move the other way."""

    centre: float | None = None
    swing: float = 90.0
    limits: tuple[float, float] | None = None
    invert: bool = False

    def resolved(self, travel: float, what: str) -> tuple[float, float, float, float]:
        """``(centre, swing, low, high)`` for a travel, checked."""
        numbers = [self.swing] + ([] if self.centre is None else [self.centre]) + \
            list(self.limits or ())
        if not all(isinstance(n, (int, float)) and not isinstance(n, bool)
                   and math.isfinite(n) for n in numbers):
            raise ValueError(f"{what}: centre, swing and limits must be finite numbers")
        low, high = (0.0, travel) if self.limits is None else map(float, self.limits)
        if not 0.0 <= low <= high <= travel:
            raise ValueError(f"{what} limits must lie within 0..{travel:g} degrees, low first")
        centre = travel / 2 if self.centre is None else float(self.centre)
        return centre, float(self.swing), low, high


@dataclass(frozen=True)
class Placement:
    """A fixture in the patch: its ``name``, ``universe`` (1..63999), ``address`` (its first
    channel, 1..512), ``layout``, how pan and tilt aim, whether x drives tilt and y pan
    (``swap``), the dimmer ``level`` (0 to 1) it holds when no effect drives it, and the
    ``kind`` of fixture it is, by the name of its type."""

    name: str
    universe: int
    address: int
    layout: FixtureLayout
    pan: Aim = field(default_factory=Aim)
    tilt: Aim = field(default_factory=lambda: Aim(swing=45.0))
    swap: bool = False
    level: float = 1.0
    kind: str = ""                # the type it was patched as, for messages

    @property
    def last(self) -> int:
        """The last channel it takes."""
        return self.address + self.layout.channels - 1


def overlaps(placements: Sequence[Placement]) -> list[tuple[Placement, Placement, int, int]]:
    """Every pair that shares channels of a universe, with the first and last shared."""
    found = []
    by_universe: dict[int, list[Placement]] = {}
    for placement in placements:
        by_universe.setdefault(placement.universe, []).append(placement)
    for group in by_universe.values():
        group.sort(key=lambda p: p.address)
        for i, first in enumerate(group):
            for second in group[i + 1:]:
                if second.address > first.last:
                    break
                found.append((first, second, second.address, min(first.last, second.last)))
    return found


class Patch:
    """Placements, and the bytes of every universe they are in for a frame of points.

    ``universes(points, levels)`` takes an ``(n, 3)`` array of points, one row per
    placement in order, and optionally ``n`` dimmer levels (NaN: the placement's own level);
    it returns ``{universe: 512 bytes}``. Channels that no fixture drives stay 0.
    """

    def __init__(self, placements: Sequence[Placement]) -> None:
        np_ = self._np = require("numpy", "numpy", "A patch of fixtures")
        self.placements = tuple(placements)
        names = [p.name for p in self.placements]
        if len(set(names)) != len(names):
            raise ValueError("fixture names repeat in the patch")
        for p in self.placements:
            if not (1 <= p.address and p.last <= UNIVERSE_SIZE
                    and 1 <= p.universe <= MAX_UNIVERSE):
                raise ValueError(f"{p.name}: channels {p.address}-{p.last} of universe "
                                 f"{p.universe} are not within 1-{UNIVERSE_SIZE}")
        if overlaps(self.placements):
            first, second, low, high = overlaps(self.placements)[0]
            raise ValueError(f"{first.name} and {second.name} share channels {low}-{high} of "
                             f"universe {first.universe}")
        self.universe_numbers = sorted({p.universe for p in self.placements})
        row = {u: i for i, u in enumerate(self.universe_numbers)}
        count = len(self.placements)
        columns: dict[str, list[float]] = {key: [] for key in (
            "pan_centre", "pan_swing", "pan_low", "pan_high", "pan_travel",
            "tilt_centre", "tilt_swing", "tilt_low", "tilt_high", "tilt_travel",
            "pan_from", "pan_span", "tilt_from", "tilt_span", "dim_from", "dim_span",
            "level")}
        flags: dict[str, list[bool]] = {"swap": [], "pan_invert": [], "tilt_invert": []}
        lanes: list[tuple[int, int, int, int]] = []     # row, channel, value index, shift
        for i, p in enumerate(self.placements):
            for what, aim, axis in (("pan", p.pan, p.layout.pan),
                                    ("tilt", p.tilt, p.layout.tilt)):
                centre, swing, bottom, top = aim.resolved(axis.travel, f"{p.name}: {what}")
                for key, value in (("centre", centre), ("swing", swing), ("low", bottom),
                                   ("high", top), ("travel", axis.travel)):
                    columns[f"{what}_{key}"].append(value)
                # A definition whose angle falls as the value rises turns the other way, so
                # that +x turns every model the same way.
                flags[f"{what}_invert"].append(aim.invert != axis.reversed)
            flags["swap"].append(p.swap)
            if not (isinstance(p.level, (int, float)) and 0.0 <= p.level <= 1.0):
                raise ValueError(f"{p.name}: the dimmer level must be 0 to 1, not {p.level!r}")
            columns["level"].append(float(p.level))
            parts: list[tuple[str, Parameter | None]] = [
                ("pan", p.layout.pan), ("tilt", p.layout.tilt), ("dim", p.layout.dimmer)]
            for index, (what, part) in enumerate(parts):
                low, high = (0, 0) if part is None else part.span or (0, full_scale(part.bits))
                columns[f"{what}_from"].append(low)
                columns[f"{what}_span"].append(high - low)
                if part is None:
                    continue
                width = len(part.offsets)
                for k, offset in enumerate(part.offsets):
                    lanes.append((row[p.universe], p.address - 1 + offset, index * count + i,
                                  8 * (width - 1 - k)))
        self._columns = {key: np_.array(values, dtype=np_.float64)
                         for key, values in columns.items()}
        self._flags = {key: np_.array(values, dtype=bool) for key, values in flags.items()}
        lane = np_.array(lanes, dtype=np_.int64).reshape(-1, 4)
        self._rows, self._channels, self._sources, self._shifts = lane.T.copy()
        self._count = count

    @property
    def patched(self) -> list[tuple[int, int]]:
        """Every channel a fixture takes, as ``(universe, channel)`` in order."""
        return sorted((p.universe, channel) for p in self.placements
                      for channel in range(p.address, p.last + 1))

    def _degrees(self, coordinate: NDArray[np.float64], what: str) -> NDArray[np.float64]:
        np_, c = self._np, self._columns
        coordinate = np_.where(np_.isfinite(coordinate), coordinate, 0.0)
        coordinate = np_.where(self._flags[f"{what}_invert"], -coordinate, coordinate)
        return np_.minimum(np_.maximum(c[f"{what}_centre"] + c[f"{what}_swing"] * coordinate,
                                       c[f"{what}_low"]), c[f"{what}_high"])

    def _values(self, coordinate: NDArray[np.float64], what: str) -> NDArray[np.int64]:
        share = self._degrees(coordinate, what) / self._columns[f"{what}_travel"]
        return self._scaled(share, what)

    def _scaled(self, share: NDArray[np.float64], what: str) -> NDArray[np.int64]:
        np_, c = self._np, self._columns
        steps = np_.floor(share * c[f"{what}_span"] + 0.5)
        return (c[f"{what}_from"] + steps).astype(np_.int64)  # type: ignore[no-any-return]

    def _axes(self, points: Any) -> tuple[NDArray[np.float64], NDArray[np.float64]]:
        """The coordinates that drive pan and tilt."""
        np_ = self._np
        points = np_.asarray(points, dtype=np_.float64).reshape(self._count, 3)
        x, y = points[:, 0], points[:, 1]
        swap = self._flags["swap"]
        return np_.where(swap, y, x), np_.where(swap, x, y)

    def _levels(self, levels: Any) -> NDArray[np.float64]:
        np_ = self._np
        if levels is None:
            return self._columns["level"]
        levels = np_.asarray(levels, dtype=np_.float64)
        return np_.where(np_.isnan(levels), self._columns["level"], np_.clip(levels, 0.0, 1.0))

    def aims(self, points: Any, levels: Any = None) -> list[tuple[float, float, float | None]]:
        """Each fixture's pan and tilt in degrees and its dimmer level (None without a
        dimmer), as ``universes`` would set them: what a status view shows."""
        pan_on, tilt_on = self._axes(points)
        pan, tilt = self._degrees(pan_on, "pan"), self._degrees(tilt_on, "tilt")
        level = self._levels(levels)
        return [(p, t, None if placement.layout.dimmer is None else d)
                for p, t, d, placement in zip(pan.tolist(), tilt.tolist(), level.tolist(),
                                              self.placements)]

    def universes(self, points: Any, levels: Any = None) -> dict[int, bytes]:
        np_ = self._np
        pan_on, tilt_on = self._axes(points)
        pan = self._values(pan_on, "pan")
        tilt = self._values(tilt_on, "tilt")
        dimmer = self._scaled(self._levels(levels), "dim")
        values = np_.concatenate((pan, tilt, dimmer))
        data = np_.zeros((len(self.universe_numbers), UNIVERSE_SIZE), dtype=np_.uint8)
        data[self._rows, self._channels] = (values[self._sources] >> self._shifts) & 0xFF
        return {u: data[i].tobytes() for i, u in enumerate(self.universe_numbers)}
