"""Motion out to moving heads: the channel arithmetic, and sACN (E1.31) packets laid out by
``sacn``."""

from __future__ import annotations

import math
import uuid
from dataclasses import dataclass
from typing import Iterable

from ._net import open_udp, parse_host
from ._optional import require
from ._sender import BLACKOUT_SPACING, MAX_UNIVERSE, UNIVERSE_SIZE, UdpDmxSender
from .frame import Point

__all__ = ["BLACKOUT_SPACING", "DIMMER_CHANNEL", "MAX_UNIVERSE", "SACN_PORT", "UNIVERSE_SIZE",
           "DmxFixture", "DmxSender", "dimmer_level"]

SACN_PORT = 5568
DIMMER_CHANNEL = 4              # a head's dimmer, after its pan and tilt pairs
_FULL16 = 0xFFFF
# Where a data packet's sequence number and option flags sit, and the header's length.
_SEQUENCE, _OPTIONS, _HEADER = 111, 112, 126
_TERMINATED = 0x40


def _number(value: object, what: str) -> float:
    """``value`` as a finite float, or ``ValueError`` naming ``what``."""
    if isinstance(value, bool) or not isinstance(value, (int, float)) \
            or not math.isfinite(value):
        raise ValueError(f"{what} must be a finite number, not {value!r}")
    return float(value)


def _whole(value: object, what: str) -> int:
    if isinstance(value, bool) or not isinstance(value, int):
        raise ValueError(f"{what} must be a whole number, not {value!r}")
    return value


def _limits(pair: tuple[float, float] | None, travel: float, what: str) -> tuple[float, float]:
    if pair is None:
        return 0.0, travel
    try:
        low, high = pair
    except (TypeError, ValueError):
        raise ValueError(f"{what}_limits must be a pair (low, high), not {pair!r}") from None
    low, high = _number(low, f"{what}_limits"), _number(high, f"{what}_limits")
    if not 0.0 <= low <= high <= travel:
        raise ValueError(f"{what} limits must lie within 0..{travel} degrees, low first")
    return low, high


def dimmer_level(z: float) -> float:
    """A point's dimmer level: z from -1 to 1 as 0 to 1; dark where z is not finite."""
    z = z if math.isfinite(z) else -1.0
    return (min(max(z, -1.0), 1.0) + 1.0) / 2.0


@dataclass(frozen=True)
class DmxFixture:
    """A moving head at DMX address ``start`` (1-based) whose pan follows x and tilt y.

    ``pan_travel`` and ``tilt_travel`` are the degrees the fixture's full 16-bit range
    spans. x = 0 points the head at ``pan_centre`` degrees and x = ±1 swings it by
    ``pan_swing`` degrees either side (a negative swing reverses the direction); likewise
    tilt with y. Angles are clamped to ``pan_limits`` / ``tilt_limits`` (by default the
    whole travel). Pan and tilt are written as coarse/fine pairs at ``pan_channel`` and
    ``tilt_channel`` (offsets from ``start``); with ``dimmer_channel`` set, z from −1 to 1
    drives the dimmer from 0 to 255. Every argument is checked here: a fixture that is made
    can be written.
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
        set_ = object.__setattr__
        for axis in ("pan", "tilt"):
            travel = _number(getattr(self, f"{axis}_travel"), f"{axis}_travel")
            if not travel > 0:
                raise ValueError("pan and tilt travel must be positive")
            set_(self, f"{axis}_travel", travel)
            set_(self, f"{axis}_swing", _number(getattr(self, f"{axis}_swing"), f"{axis}_swing"))
            centre = getattr(self, f"{axis}_centre")
            set_(self, f"{axis}_centre",
                 travel / 2 if centre is None else _number(centre, f"{axis}_centre"))
            set_(self, f"{axis}_limits", _limits(getattr(self, f"{axis}_limits"), travel, axis))
        _whole(self.start, "start")
        offsets = [_whole(self.pan_channel, "pan_channel"), self.pan_channel + 1,
                   _whole(self.tilt_channel, "tilt_channel"), self.tilt_channel + 1]
        if self.dimmer_channel is not None:
            offsets.append(_whole(self.dimmer_channel, "dimmer_channel"))
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
            level = math.floor(dimmer_level(offset.z) * 255 + 0.5)
            values[base + self.dimmer_channel] = level
        return values

    def write(self, offset: Point, universe: bytearray) -> None:
        """Write the fixture's channels for ``offset`` into a 512-slot ``universe``."""
        for channel, value in self.channels(offset).items():
            universe[channel - 1] = value


class DmxSender(UdpDmxSender):
    """Sends DMX universes over sACN (E1.31), on the caller's thread.

    With ``destination`` set (an IPv4 or IPv6 address, or a host name), every universe goes
    unicast to that host; without, to the universe's standard IPv4 multicast group. Universe
    discovery is off. The packets are laid out by the ``sacn`` library; the sockets are our
    own, one per universe, connected at construction so that an address or route that
    cannot work fails there, with ``ValueError`` or ``OSError``.

    ``send(universe, data)`` transmits one packet at once and raises ``OSError`` when the
    network refuses it, so the caller decides what a failed frame means; nothing is sent
    behind the caller's back, so send every frame (a receiver drops a source after 2.5 s
    without one). ``blackout`` sends ``blackout_frames`` packets of zeros on every universe,
    20 ms apart. ``stop`` (also on leaving a ``with`` block, by an error or Ctrl-C alike)
    blacks out unless the last thing sent was a blackout, sends the stream-termination
    packets that E1.31 asks for and closes; it never raises for a failed send, and keeps
    the last such failure in ``last_error``.
    """

    protocol = "sACN"

    def __init__(self, universes: int | Iterable[int], destination: str | None = None, *,
                 source_name: str = "kinetrope", bind_address: str | None = None,
                 priority: int = 100, blackout_frames: int = 3) -> None:
        packets = require("sacn.messages.data_packet", "sacn", "Sending DMX over sACN")
        super().__init__(universes, blackout_frames)
        self.destination = None if destination is None else parse_host(destination)
        cid = tuple(uuid.uuid4().bytes)
        self._heads: dict[int, bytearray] = {}
        self._sequence = dict.fromkeys(self.universes, 0)
        self._options = 0
        try:
            for universe in self.universes:
                packet = packets.DataPacket(cid=cid, sourceName=source_name,
                                            universe=universe, priority=priority)
                self._heads[universe] = bytearray(packet.getBytes()[:_HEADER])
                host = self.destination or packets.calculate_multicast_addr(universe)
                self._sockets[universe] = open_udp(host, SACN_PORT, multicast_ttl=8,
                                                   bind_address=bind_address)
        except BaseException:
            self._close_sockets()
            raise

    def _packet(self, universe: int, data: bytes) -> bytes:
        head = self._heads[universe]
        head[_SEQUENCE] = self._sequence[universe]
        head[_OPTIONS] = self._options
        self._sequence[universe] = (self._sequence[universe] + 1) & 0xFF
        return bytes(head) + data

    def _finish(self) -> None:
        """Three packets with the stream-termination bit, as E1.31 asks."""
        self._options = _TERMINATED
        failure: OSError | None = None
        for _ in range(3):
            try:
                self._send_all(bytes(UNIVERSE_SIZE))
            except OSError as error:
                failure = failure or error
        if failure is not None:
            raise failure
