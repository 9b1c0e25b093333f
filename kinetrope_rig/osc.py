"""Motion out over OSC, encoded with python-osc's encoders."""

from __future__ import annotations

import socket
import struct
from types import TracebackType
from typing import Mapping

from ._net import open_udp, parse_host
from ._optional import require
from .frame import Point

# What python-osc's own UDP server reads of one datagram, and far below the 65,507 bytes of
# a UDP datagram: a bundle this size reaches the usual receivers whole.
MAX_DATAGRAM = 8192
# An OSC 1.0 address part is printable ASCII without these, which patterns give meaning to.
_RESERVED = frozenset(" #*,/?[]{}")
_LONGEST_NAME = 128              # the longest name a kinetrope pattern may have

_THREE_FLOATS = struct.Struct(">fff")
_SIZE = struct.Struct(">i")


def check_address(address: str) -> str:
    """``address`` if it is a valid OSC 1.0 address (``/part/part``, each part one or more
    printable ASCII characters other than space and ``#*,/?[]{}``); else ``ValueError``."""
    parts = address.split("/")
    if parts[0] or len(parts) < 2 or not all(
            part and all("!" <= c <= "~" and c not in _RESERVED for c in part)
            for part in parts[1:]):
        raise ValueError(f"{address!r} is not an OSC address: it must be '/' and parts "
                         "of printable ASCII other than space and #*,/?[]{}, "
                         "separated by '/'")
    return address


def _padded(size: int) -> int:
    return (size // 4 + 1) * 4          # an OSC string: its bytes, a NUL, padded to four


class OscSender:
    """Sends offsets as OSC messages ``<prefix>/<name>`` carrying x, y and z as 32-bit floats.

    ``send`` sends one message; ``send_frame`` sends every pattern of a frame in bundles
    (time tag "immediately") of at most ``max_datagram`` bytes, as few as fit, so a
    receiver sees a frame whole whenever it fits one datagram. Either raises ``OSError``
    when the network refuses a datagram (``send_frame`` after trying every bundle). Close
    it, or use it as a context manager.

    The prefix and every name must make valid OSC 1.0 addresses: ``ValueError`` otherwise.
    The host is resolved and its route found here, so an unusable address fails at once.

    Each name's address and type tags are encoded once, with python-osc's own encoders, and
    each frame only packs its floats: python-osc's builders parse back everything they
    build, which would cost a 60 fps show several times as much.
    """

    def __init__(self, host: str, port: int, prefix: str = "/kinetrope",
                 max_datagram: int = MAX_DATAGRAM) -> None:
        self._types = require("pythonosc.parsing.osc_types", "python-osc", "Sending OSC")
        if isinstance(port, bool) or not isinstance(port, int) or not 0 < port < 65536:
            raise ValueError(f"port must be 1..65535, not {port!r}")
        if prefix != "/":
            try:
                check_address(prefix)
            except ValueError as error:
                raise ValueError(f"OSC prefix: {error}") from None
        self._prefix = "" if prefix == "/" else prefix
        # The bundle head, an element's size and the longest name's message must fit.
        longest = (16 + 4 + _padded(len(self._prefix) + 1 + _LONGEST_NAME)
                   + 8 + _THREE_FLOATS.size)
        if not 0 < max_datagram <= 65507 or longest > max_datagram:
            raise ValueError(f"the OSC prefix is {len(self._prefix)} characters long: with a "
                             f"name of up to {_LONGEST_NAME} it does not fit a datagram of "
                             f"{max_datagram} bytes")
        self.max_datagram = max_datagram
        self._heads: dict[str, bytes] = {}
        self._bundle_head = b"#bundle\x00" + self._types.write_date(self._types.IMMEDIATELY)
        self.host, self.port = parse_host(host), port
        self._socket: socket.socket | None = open_udp(self.host, port)

    def _message(self, name: str, offset: Point) -> bytes:
        head = self._heads.get(name)
        if head is None:
            address = check_address(f"{self._prefix}/{name}")
            write_string = self._types.write_string
            head = write_string(address) + write_string(",fff")
            if len(self._bundle_head) + 4 + len(head) + _THREE_FLOATS.size > self.max_datagram:
                raise ValueError(f"the OSC address {address!r} is too long for a datagram "
                                 f"of {self.max_datagram} bytes")
            self._heads[name] = head
        return head + _THREE_FLOATS.pack(offset.x, offset.y, offset.z)

    def _send(self, datagram: bytes) -> None:
        if self._socket is None:
            raise RuntimeError("the OSC sender is closed")
        self._socket.send(datagram)

    def send(self, name: str, offset: Point) -> None:
        """Send one message for pattern ``name``."""
        self._send(self._message(name, offset))

    def send_frame(self, offsets: Mapping[str, Point]) -> None:
        """Send a message for every ``name: offset``, in bundles that each fit a datagram."""
        bundles: list[list[bytes]] = []
        size = self.max_datagram          # forces a first bundle
        for name, offset in offsets.items():
            message = self._message(name, offset)
            if size + 4 + len(message) > self.max_datagram:
                bundles.append([self._bundle_head])
                size = len(self._bundle_head)
            bundles[-1] += (_SIZE.pack(len(message)), message)
            size += 4 + len(message)
        failure: OSError | None = None
        for parts in bundles:
            try:
                self._send(b"".join(parts))
            except OSError as error:
                failure = failure or error
        if failure is not None:
            raise failure

    def close(self) -> None:
        if self._socket is not None:
            self._socket.close()
            self._socket = None

    def __enter__(self) -> OscSender:
        return self

    def __exit__(self, kind: type[BaseException] | None, error: BaseException | None,
                 trace: TracebackType | None) -> None:
        self.close()
