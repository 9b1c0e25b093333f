"""DMX out over Art-Net: ArtDmx packets to one host, unicast or a broadcast address.

The packet is written here. The Art-Net libraries on the package index were looked at:
stupidArtnet and npArtNet catch a failed send and print it to standard output, so a caller
can neither count a lost frame nor keep its output clean; pyartnet runs its own refresh
task on asyncio and is GPL-licensed. An ArtDmx packet is eighteen bytes of header before
the channel data, laid out below as Art-Net 4 defines it.
"""

from __future__ import annotations

import struct
from typing import Iterable

from ._net import open_udp, parse_host
from ._sender import UNIVERSE_SIZE, UdpDmxSender

ARTNET_PORT = 6454
MAX_PORT_ADDRESS = 32767            # 15 bits: net, sub-net and universe
PROTOCOL_VERSION = 14
# ID, OpCode (ArtDmx, low byte first), protocol version (high byte first).
_ID = b"Art-Net\x00" + struct.pack("<H", 0x5000) + struct.pack(">H", PROTOCOL_VERSION)
# Sequence, Physical, SubUni and Net (the port-address, low byte first).
_ROUTE = struct.Struct("<BBH")
_LENGTH = struct.pack(">H", UNIVERSE_SIZE)       # high byte first


def artdmx(port_address: int, sequence: int, data: bytes) -> bytes:
    """One ArtDmx packet: ``data`` (512 bytes) for ``port_address`` with ``sequence``."""
    return _ID + _ROUTE.pack(sequence, 0, port_address) + _LENGTH + data


class ArtNetSender(UdpDmxSender):
    """Sends DMX universes over Art-Net, on the caller's thread.

    ``port_addresses`` are Art-Net's 15-bit universes (0..32767); ``destination`` is the
    node's address, or a broadcast address that you name (``2.255.255.255``,
    ``10.255.255.255``, ``255.255.255.255``). ``send``, ``blackout``, ``stop``, ``last_error``
    and the failure rules are those of ``DmxSender``; Art-Net has no stream to end, so
    ``stop`` only blacks out and closes. The sequence number runs 1..255 per universe, so a
    node can put packets back in order.
    """

    protocol = "Art-Net"
    universe_range = (0, MAX_PORT_ADDRESS)
    universe_word = "port-address"

    def __init__(self, port_addresses: int | Iterable[int], destination: str, *,
                 blackout_frames: int = 3, bind_address: str | None = None) -> None:
        super().__init__(port_addresses, blackout_frames)
        self.destination = parse_host(destination)
        self._sequence = dict.fromkeys(self.universes, 0)
        # Permission to broadcast costs a unicast destination nothing, and a broadcast
        # address that the user names needs it.
        sock = open_udp(self.destination, ARTNET_PORT, bind_address=bind_address,
                        broadcast=True)
        self._sockets = dict.fromkeys(self.universes, sock)

    def _packet(self, universe: int, data: bytes) -> bytes:
        sequence = self._sequence[universe] % 255 + 1       # 0 would switch ordering off
        self._sequence[universe] = sequence
        return artdmx(universe, sequence, data)
