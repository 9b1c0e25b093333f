"""Motion out to moving heads: the channel arithmetic, and sACN (E1.31) through ``sacn``."""

from __future__ import annotations

import math
import time
from dataclasses import dataclass
from types import TracebackType
from typing import Any, Iterable

from ._optional import require
from .osc import Point

UNIVERSE_SIZE = 512
_FULL16 = 0xFFFF


def _limits(pair: tuple[float, float] | None, travel: float, what: str) -> tuple[float, float]:
    low, high = (0.0, travel) if pair is None else pair
    if not (0.0 <= low <= high <= travel):
        raise ValueError(f"{what} limits must lie within 0..{travel} degrees, low first")
    return float(low), float(high)


@dataclass(frozen=True)
class DmxFixture:
    """A moving head at DMX address ``start`` (1-based) whose pan follows x and tilt y.

    ``pan_travel`` and ``tilt_travel`` are the degrees the fixture's full 16-bit range
    spans. x = 0 points the head at ``pan_centre`` degrees and x = ±1 swings it by
    ``pan_swing`` degrees either side (a negative swing reverses the direction); likewise
    tilt with y. Angles are clamped to ``pan_limits`` / ``tilt_limits`` (by default the
    whole travel). Pan and tilt are written as coarse/fine pairs at ``pan_channel`` and
    ``tilt_channel`` (offsets from ``start``); with ``dimmer_channel`` set, z from −1 to 1
    drives the dimmer from 0 to 255.
    """

    start: int
    pan_travel: float = 540.0
    tilt_travel: float = 270.0
    pan_centre: float | None = None
    tilt_centre: float | None = None
    pan_swing: float = 90.0
    tilt_swing: float = 45.0
    pan_limits: tuple[float, float] | None = None
    tilt_limits: tuple[float, float] | None = None
    pan_channel: int = 0
    tilt_channel: int = 2
    dimmer_channel: int | None = None

    def __post_init__(self) -> None:
        if not (self.pan_travel > 0 and self.tilt_travel > 0):
            raise ValueError("pan and tilt travel must be positive")
        set_ = object.__setattr__
        set_(self, "pan_limits", _limits(self.pan_limits, self.pan_travel, "pan"))
        set_(self, "tilt_limits", _limits(self.tilt_limits, self.tilt_travel, "tilt"))
        if self.pan_centre is None:
            set_(self, "pan_centre", self.pan_travel / 2)
        if self.tilt_centre is None:
            set_(self, "tilt_centre", self.tilt_travel / 2)
        offsets = [self.pan_channel, self.pan_channel + 1, self.tilt_channel,
                   self.tilt_channel + 1]
        if self.dimmer_channel is not None:
            offsets.append(self.dimmer_channel)
        if min(offsets) < 0 or len(set(offsets)) != len(offsets):
            raise ValueError("channel offsets must be distinct and not negative")
        if not (1 <= self.start and self.start + max(offsets) <= UNIVERSE_SIZE):
            raise ValueError(f"a fixture at {self.start} with {max(offsets) + 1} channels "
                             f"does not fit in channels 1..{UNIVERSE_SIZE}")

    @property
    def footprint(self) -> int:
        """How many channels the fixture spans from ``start``."""
        last = max(self.pan_channel, self.tilt_channel) + 1
        return max(last, self.dimmer_channel or 0) + 1

    @staticmethod
    def _word(value: float, centre: float, swing: float, limits: tuple[float, float],
              travel: float) -> int:
        if not math.isfinite(value):
            value = 0.0
        degrees = min(max(centre + swing * value, limits[0]), limits[1])
        return min(_FULL16, math.floor(degrees / travel * _FULL16 + 0.5))

    def pan_tilt(self, offset: Point) -> tuple[int, int]:
        """The 16-bit pan and tilt values for ``offset``."""
        assert self.pan_centre is not None and self.tilt_centre is not None
        assert self.pan_limits is not None and self.tilt_limits is not None
        return (self._word(offset.x, self.pan_centre, self.pan_swing, self.pan_limits,
                           self.pan_travel),
                self._word(offset.y, self.tilt_centre, self.tilt_swing, self.tilt_limits,
                           self.tilt_travel))

    def channels(self, offset: Point) -> dict[int, int]:
        """``{channel: value}`` for ``offset``, channels numbered 1..512."""
        pan, tilt = self.pan_tilt(offset)
        base = self.start
        values = {base + self.pan_channel: pan >> 8, base + self.pan_channel + 1: pan & 0xFF,
                  base + self.tilt_channel: tilt >> 8, base + self.tilt_channel + 1: tilt & 0xFF}
        if self.dimmer_channel is not None:
            z = offset.z if math.isfinite(offset.z) else -1.0
            level = math.floor((min(max(z, -1.0), 1.0) + 1.0) / 2.0 * 255 + 0.5)
            values[base + self.dimmer_channel] = level
        return values

    def write(self, offset: Point, universe: bytearray) -> None:
        """Write the fixture's channels for ``offset`` into a 512-slot ``universe``."""
        for channel, value in self.channels(offset).items():
            universe[channel - 1] = value


class DmxSender:
    """Sends DMX universes over sACN (E1.31) at ``fps`` frames a second.

    With ``destination`` set, every universe goes unicast to that host; without, to the
    universe's standard multicast group. Universe discovery is off. ``send`` sets a
    universe's data for the next frame; ``stop`` (also on leaving a ``with`` block, by an
    exception or Ctrl-C alike) sends ``blackout_frames`` frames of all zeros, then
    terminates the streams as E1.31 asks and closes the socket.
    """

    def __init__(self, universes: int | Iterable[int], destination: str | None = None,
                 fps: float = 44.0, source_name: str = "kinetrope",
                 bind_address: str = "0.0.0.0", priority: int = 100,
                 blackout_frames: int = 3) -> None:
        sacn = require("sacn", "sacn", "Sending DMX over sACN")
        if not fps > 0:
            raise ValueError("fps must be positive")
        self.universes = (universes,) if isinstance(universes, int) else tuple(universes)
        for universe in self.universes:
            if not 1 <= universe <= 63999:
                raise ValueError(f"sACN universes are 1..63999, not {universe}")
        self.fps = fps
        self.blackout_frames = blackout_frames
        # Port 0: an ephemeral source port, so a receiver may use 5568 on the same host.
        self._sender: Any = sacn.sACNsender(bind_address=bind_address, bind_port=0,
                                            source_name=source_name, fps=fps,
                                            universeDiscovery=False)
        self._running = False
        try:
            for universe in self.universes:
                self._sender.activate_output(universe)
                output = self._sender[universe]
                output.priority = priority
                if destination is None:
                    output.multicast = True
                else:
                    output.destination = destination
                output.dmx_data = bytes(UNIVERSE_SIZE)
            self._sender.start()
            self._running = True
        except BaseException:
            self._sender.stop()
            raise

    def send(self, universe: int, data: bytes | bytearray) -> None:
        """Set ``universe``'s 512 channel values for the next frame."""
        if len(data) != UNIVERSE_SIZE:
            raise ValueError(f"a universe holds {UNIVERSE_SIZE} values, not {len(data)}")
        self._sender[universe].dmx_data = bytes(data)

    def blackout(self) -> None:
        """Send ``blackout_frames`` frames of zeros on every universe."""
        zeros = bytes(UNIVERSE_SIZE)
        for _ in range(self.blackout_frames):
            for universe in self.universes:
                self._sender[universe].dmx_data = zeros
            time.sleep(1.0 / self.fps)

    def stop(self) -> None:
        """Black out, terminate the streams and close. Safe to call twice."""
        if not self._running:
            return
        self._running = False
        try:
            self.blackout()
        finally:
            try:
                for universe in self.universes:
                    self._sender.deactivate_output(universe)
            finally:
                self._sender.stop()

    close = stop

    def __enter__(self) -> DmxSender:
        return self

    def __exit__(self, kind: type[BaseException] | None, error: BaseException | None,
                 trace: TracebackType | None) -> None:
        self.stop()
