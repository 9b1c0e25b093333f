"""Motion out over OSC, through python-osc."""

from __future__ import annotations

from types import TracebackType
from typing import Any, Mapping, Protocol

from ._optional import require


class Point(Protocol):
    """Anything with float ``x``, ``y`` and ``z``, such as ``kinetrope.Offset3``."""

    @property
    def x(self) -> float: ...
    @property
    def y(self) -> float: ...
    @property
    def z(self) -> float: ...


class OscSender:
    """Sends offsets as OSC messages ``<prefix>/<name>`` carrying x, y and z as 32-bit floats.

    ``send`` sends one message; ``send_frame`` sends every pattern of a frame in one bundle
    (time tag "immediately"), so a receiver sees the frame whole. Close it, or use it as a
    context manager.
    """

    def __init__(self, host: str, port: int, prefix: str = "/kinetrope") -> None:
        udp_client = require("pythonosc.udp_client", "python-osc", "Sending OSC")
        self._builder = require("pythonosc.osc_message_builder", "python-osc",
                                "Sending OSC").OscMessageBuilder
        self._bundles = require("pythonosc.osc_bundle_builder", "python-osc", "Sending OSC")
        if not prefix.startswith("/") or prefix.endswith("/") and prefix != "/":
            raise ValueError(f"OSC prefix must start with '/' and not end with one: {prefix!r}")
        if not 0 < port < 65536:
            raise ValueError(f"port must be 1..65535, not {port}")
        self._prefix = "" if prefix == "/" else prefix
        self._client = udp_client.UDPClient(host, port)
        self.host, self.port = host, port

    def _message(self, name: str, offset: Point) -> Any:
        builder = self._builder(address=f"{self._prefix}/{name}")
        for value in (offset.x, offset.y, offset.z):
            builder.add_arg(float(value), "f")
        return builder.build()

    def send(self, name: str, offset: Point) -> None:
        """Send one message for pattern ``name``."""
        self._client.send(self._message(name, offset))

    def send_frame(self, offsets: Mapping[str, Point]) -> None:
        """Send one bundle holding a message for every ``name: offset``."""
        bundle = self._bundles.OscBundleBuilder(self._bundles.IMMEDIATELY)
        for name, offset in offsets.items():
            bundle.add_content(self._message(name, offset))
        self._client.send(bundle.build())

    def close(self) -> None:
        self._client.close()

    def __enter__(self) -> OscSender:
        return self

    def __exit__(self, kind: type[BaseException] | None, error: BaseException | None,
                 trace: TracebackType | None) -> None:
        self.close()
