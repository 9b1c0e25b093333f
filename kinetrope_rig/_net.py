"""UDP destinations for the senders: addresses checked before use, and send errors sorted
into those that a later frame may get past and those that it cannot."""

from __future__ import annotations

import errno
import ipaddress
import re
import socket

# What a network does for a while and then stops doing: a route or an interface going away,
# a receiver that is not listening yet (a refusal the OS reports on a connected socket), a
# full queue. A frame that meets one of these is dropped and the next one tries again.
TRANSIENT_ERRNOS = frozenset(getattr(errno, name) for name in (
    "ENETUNREACH", "EHOSTUNREACH", "ENETDOWN", "EHOSTDOWN", "ENETRESET", "ECONNREFUSED",
    "ENOBUFS", "EAGAIN", "EWOULDBLOCK", "EADDRNOTAVAIL", "EPERM")
    if hasattr(errno, name))

_HOST_NAME = re.compile(r"(?=.{1,253}$)([A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?)"
                        r"(\.[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*\.?", re.ASCII)


def is_transient(error: BaseException) -> bool:
    """Whether a failed send may succeed on a later frame."""
    return isinstance(error, OSError) and error.errno in TRANSIENT_ERRNOS


def describe(error: BaseException) -> str:
    """A short text for an error: the OS's words where it has them."""
    if isinstance(error, OSError) and error.strerror:
        return error.strerror
    return str(error) or type(error).__name__


def parse_host(text: str) -> str:
    """``text`` as a host to resolve: an IPv4 or IPv6 literal (brackets allowed) or a DNS
    name. Anything else raises ``ValueError`` before any lookup, so a malformed address is
    never sent to a resolver."""
    host = text[1:-1] if text.startswith("[") and text.endswith("]") else text
    try:
        return str(ipaddress.ip_address(host))
    except ValueError:
        pass
    # All digits and dots is a botched IPv4 literal (256.0.0.1), not a name to look up.
    if _HOST_NAME.fullmatch(host) and not re.fullmatch(r"[0-9.]+", host):
        return host
    raise ValueError(f"{text!r} is neither an IP address nor a host name")


def parse_port(text: str) -> int:
    """A UDP port 1..65535 written in ASCII digits."""
    if not (text.isascii() and text.isdigit() and 0 < int(text) < 65536):
        raise ValueError(f"port must be a number 1..65535, not {text!r}")
    return int(text)


def open_udp(host: str, port: int, *, multicast_ttl: int = 1,
             bind_address: str | None = None, broadcast: bool = False) -> socket.socket:
    """A non-blocking UDP socket connected to ``host``:``port``.

    Connecting sends nothing, but it resolves the host and finds the route: an address that
    cannot be used fails here, at start, rather than at the first frame. A connected socket
    also hears of a refused port from the OS, so a missing receiver shows as failed sends.
    """
    infos = socket.getaddrinfo(host, port, type=socket.SOCK_DGRAM)
    family, kind, proto, _, address = infos[0]
    sock = socket.socket(family, kind, proto)
    try:
        if bind_address is not None:
            sock.bind((bind_address, 0))
        if broadcast and family == socket.AF_INET:
            sock.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
        if family == socket.AF_INET and ipaddress.ip_address(address[0]).is_multicast:
            sock.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_TTL, multicast_ttl)
        sock.connect(address)
        sock.setblocking(False)      # a full queue drops one frame rather than stalling all
    except BaseException:
        sock.close()
        raise
    return sock
