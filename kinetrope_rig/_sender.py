"""What the DMX senders share: universes checked at construction, one packet a ``send`` on
the caller's thread, a blackout that does not depend on the frame rate, and a ``stop`` that
never raises for the network."""

from __future__ import annotations

import socket
import time
from types import TracebackType
from typing import Iterable, Self

UNIVERSE_SIZE = 512
MAX_UNIVERSE = 63999             # the highest sACN universe, and of a show's patch
BLACKOUT_SPACING = 0.02          # seconds between blackout packets, whatever the frame rate


class UdpDmxSender:
    """A sender of DMX universes over UDP. Subclasses open ``_sockets`` (one per universe)
    and lay out ``_packet``; ``_finish`` sends what the protocol asks at the end."""

    protocol = "DMX"
    universe_range = (1, MAX_UNIVERSE)
    universe_word = "universe"

    def __init__(self, universes: int | Iterable[int], blackout_frames: int) -> None:
        self.universes = (universes,) if isinstance(universes, int) else tuple(universes)
        low, high = self.universe_range
        if not self.universes:
            raise ValueError(f"a {self.protocol} sender needs at least one {self.universe_word}")
        for universe in self.universes:
            if isinstance(universe, bool) or not isinstance(universe, int) \
                    or not low <= universe <= high:
                raise ValueError(f"{self.protocol} {self.universe_word}s are whole numbers "
                                 f"{low}..{high}, not {universe!r}")
        if len(set(self.universes)) != len(self.universes):
            raise ValueError(f"{self.universe_word}s repeat: {self.universes}")
        if isinstance(blackout_frames, bool) or not isinstance(blackout_frames, int) \
                or not 0 <= blackout_frames <= 100:
            raise ValueError(f"blackout_frames must be 0..100, not {blackout_frames!r}")
        self.blackout_frames = blackout_frames
        self.last_error: OSError | None = None
        self._sockets: dict[int, socket.socket] = {}
        self._dark = True

    def _packet(self, universe: int, data: bytes) -> bytes:
        raise NotImplementedError

    def _finish(self) -> None:
        """Whatever the protocol sends after the blackout, before the sockets close."""

    @property
    def running(self) -> bool:
        """Whether the sender can still send (it has not been stopped)."""
        return bool(self._sockets)

    def _usable(self, universe: int) -> socket.socket:
        if not self._sockets:
            raise RuntimeError(f"the {self.protocol} sender is stopped")
        sock = self._sockets.get(universe)
        if sock is None:
            raise ValueError(f"{self.universe_word} {universe!r} is not one of this sender's "
                             f"{self.universe_word}s {self.universes}")
        return sock

    def send(self, universe: int, data: bytes | bytearray | memoryview) -> None:
        """Send ``universe``'s 512 channel values now."""
        sock = self._usable(universe)
        payload = bytes(data)
        if len(payload) != UNIVERSE_SIZE:
            raise ValueError(f"a universe holds {UNIVERSE_SIZE} values, not {len(payload)}")
        self._dark = False
        sock.send(self._packet(universe, payload))

    def _send_all(self, data: bytes) -> None:
        """One packet on every universe; raises the first failure after trying them all."""
        failure: OSError | None = None
        for universe in self.universes:
            try:
                self._usable(universe).send(self._packet(universe, data))
            except OSError as error:
                failure = failure or error
        if failure is not None:
            raise failure

    def blackout(self) -> None:
        """Send ``blackout_frames`` packets of zeros on every universe, 20 ms apart; raises
        the first failed send after sending all of them."""
        failure: OSError | None = None
        for frame in range(self.blackout_frames):
            if frame:
                time.sleep(BLACKOUT_SPACING)
            try:
                self._send_all(bytes(UNIVERSE_SIZE))
            except OSError as error:
                failure = failure or error
        self._dark = True
        if failure is not None:
            raise failure

    def stop(self) -> None:
        """Black out unless the last thing sent was a blackout, finish and close. Safe to
        call twice; never raises for a failed send, keeping it in ``last_error``."""
        if not self._sockets:
            return
        try:
            for step in ((self._finish,) if self._dark else (self.blackout, self._finish)):
                try:
                    step()
                except OSError as error:
                    self.last_error = error
        finally:
            self._close_sockets()

    close = stop

    def _close_sockets(self) -> None:
        sockets, self._sockets = self._sockets, {}
        for sock in set(sockets.values()):
            sock.close()

    def __enter__(self) -> Self:
        return self

    def __exit__(self, kind: type[BaseException] | None, error: BaseException | None,
                 trace: TracebackType | None) -> None:
        self.stop()
