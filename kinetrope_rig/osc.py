"""Motion out over OSC, through python-osc."""

from __future__ import annotations

import struct
from types import TracebackType
from typing import Mapping, Protocol

from ._optional import require


class Point(Protocol):
    """Anything with float ``x``, ``y`` and ``z``, such as ``kinetrope.Offset3``."""

    @property
    def x(self) -> float: ...
    @property
    def y(self) -> float: ...
    @property
    def z(self) -> float: ...


class _Datagram:
    """Encoded OSC, in the shape ``UDPClient.send`` takes."""

    __slots__ = ("dgram",)

    def __init__(self, dgram: bytes) -> None:
        self.dgram = dgram


_THREE_FLOATS = struct.Struct(">fff")
_SIZE = struct.Struct(">i")


class OscSender:
    """Sends offsets as OSC messages ``<prefix>/<name>`` carrying x, y and z as 32-bit floats.

    ``send`` sends one message; ``send_frame`` sends every pattern of a frame in one bundle
    (time tag "immediately"), so a receiver sees the frame whole. Close it, or use it as a
    context manager.

    Each name's address and type tags are encoded once, with python-osc's own encoders, and
    each frame only packs its floats: python-osc's builders parse back everything they
    build, which would cost a 60 fps show several times as much.
    """

    def __init__(self, host: str, port: int, prefix: str = "/kinetrope") -> None:
        udp_client = require("pythonosc.udp_client", "python-osc", "Sending OSC")
        self._types = require("pythonosc.parsing.osc_types", "python-osc", "Sending OSC")
        if not prefix.startswith("/") or prefix.endswith("/") and prefix != "/":
            raise ValueError(f"OSC prefix must start with '/' and not end with one: {prefix!r}")
        if not 0 < port < 65536:
            raise ValueError(f"port must be 1..65535, not {port}")
        self._prefix = "" if prefix == "/" else prefix
        self._heads: dict[str, bytes] = {}
        self._bundle_head = b"#bundle\x00" + self._types.write_date(self._types.IMMEDIATELY)
        self._client = udp_client.UDPClient(host, port)
        self.host, self.port = host, port

    def _message(self, name: str, offset: Point) -> bytes:
        head = self._heads.get(name)
        if head is None:
            write_string = self._types.write_string
            head = self._heads[name] = (write_string(f"{self._prefix}/{name}")
                                        + write_string(",fff"))
        return head + _THREE_FLOATS.pack(offset.x, offset.y, offset.z)

    def send(self, name: str, offset: Point) -> None:
        """Send one message for pattern ``name``."""
        self._client.send(_Datagram(self._message(name, offset)))

    def send_frame(self, offsets: Mapping[str, Point]) -> None:
        """Send one bundle holding a message for every ``name: offset``."""
        parts = [self._bundle_head]
        for name, offset in offsets.items():
            message = self._message(name, offset)
            parts.append(_SIZE.pack(len(message)))
            parts.append(message)
        self._client.send(_Datagram(b"".join(parts)))

    def close(self) -> None:
        self._client.close()

    def __enter__(self) -> OscSender:
        return self

    def __exit__(self, kind: type[BaseException] | None, error: BaseException | None,
                 trace: TracebackType | None) -> None:
        self.close()
