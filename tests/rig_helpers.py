"""Shared by the rig tests: Standard MIDI Files written with mido, and an sACN receiver."""

import io
import threading

import mido

TIMEOUT = 5.0


def write_midi(path, ticks_per_beat, tempo_tracks, beats=8, midi_type=None):
    """A file whose first track marks every quarter note with a note and whose tempo
    changes are spread over ``tempo_tracks``: one list of ``(tick, us_per_beat)`` per
    track, in file order. Returns the path."""
    marks = [(k * ticks_per_beat, mido.Message("note_on", note=60, velocity=64))
             for k in range(beats + 1)]
    tracks = [marks + [(t, mido.MetaMessage("set_tempo", tempo=v)) for t, v in tempo_tracks[0]]
              if tempo_tracks else marks]
    tracks += [[(t, mido.MetaMessage("set_tempo", tempo=v)) for t, v in events]
               for events in tempo_tracks[1:]]
    midi = mido.MidiFile(type=midi_type if midi_type is not None else (1 if len(tracks) > 1 else 0),
                         ticks_per_beat=ticks_per_beat)
    for events in tracks:
        track = mido.MidiTrack()
        now = 0
        # Stable by tick: events at one tick keep the order they were given in.
        for tick, message in sorted(events, key=lambda e: e[0]):
            track.append(message.copy(time=tick - now))
            now = tick
        midi.tracks.append(track)
    midi.save(path)
    return path


def quarter_seconds(path):
    """mido's own seconds of every note in the file (one per quarter note)."""
    now, times = 0.0, []
    for message in mido.MidiFile(path):
        now += message.time
        if message.type == "note_on":
            times.append(now)
    return times


class SacnLog:
    """An sacn receiver recording what arrives for one universe; use it as a context
    manager. The receiver binds port 5568 on every interface (its fixed port on Linux);
    the senders under test address 127.0.0.1 only."""

    def __init__(self, universe):
        import sacn

        self.frames, self.availability = [], []
        self.changed = threading.Condition()
        self.receiver = sacn.sACNreceiver(bind_address="127.0.0.1")
        self.receiver.register_listener("universe", self._data, universe=universe)
        self.receiver.register_listener("availability", self._availability)

    def _data(self, packet):
        with self.changed:
            self.frames.append(bytes(packet.dmxData))
            self.changed.notify_all()

    def _availability(self, universe, changed):
        with self.changed:
            self.availability.append((universe, changed))
            self.changed.notify_all()

    def wait_for(self, test, timeout=TIMEOUT):
        """Wait, at most ``timeout`` seconds, until ``test(self)`` holds."""
        with self.changed:
            assert self.changed.wait_for(lambda: test(self), timeout=timeout)

    def __enter__(self):
        self.receiver.start()
        return self

    def __exit__(self, *exc):
        self.receiver.stop()


def without_preload(env):
    """``env`` for a program of the system's: the sanitizer runtimes that a sanitized test
    run preloads are for Python and the module, and would report the program's own leaks."""
    return {k: v for k, v in env.items() if k != "LD_PRELOAD"}


def in_namespace(code, env, timeout=60):
    """Run Python ``code`` in a network namespace of its own, its loopback up and carrying
    multicast, so that nothing it sends can leave the machine; returns what it prints as
    JSON. Skips where no namespace can be made (unshare -n needs root). The code finds
    ``without_preload`` defined, for the system programs it runs."""
    import json
    import shutil
    import subprocess
    import sys

    import pytest

    if not shutil.which("unshare") or not shutil.which("ip"):
        pytest.skip("unshare and ip (util-linux, iproute2) are needed for a network namespace")
    probe = subprocess.run(["unshare", "-n", "true"], capture_output=True, text=True,
                           env=without_preload(env))
    if probe.returncode:
        pytest.skip(f"cannot make a network namespace here: {probe.stderr.strip()}")
    setup = ("ip link set lo up && ip link set lo multicast on && "
             "ip route add 224.0.0.0/4 dev lo")
    code = ("import os\nwithout_preload = {k: v for k, v in os.environ.items() "
            "if k != 'LD_PRELOAD'}\n" + code)
    done = subprocess.run(["unshare", "-n", "--", "sh", "-c",
                           f'{setup} && LD_PRELOAD="$2" exec "$0" -c "$1"',
                           sys.executable, code, env.get("LD_PRELOAD", "")],
                          env=without_preload(env), capture_output=True, text=True,
                          timeout=timeout)
    assert done.returncode == 0, done.stderr
    return json.loads(done.stdout)


class DyingStream(io.RawIOBase):
    """A stream that gives ``data``, then fails as a vanished device does."""

    def __init__(self, data):
        self.data = data

    def readable(self):
        return True

    def readinto(self, buffer):
        if not self.data:
            raise OSError(5, "Input/output error")
        n = min(len(buffer), len(self.data))
        buffer[:n], self.data = self.data[:n], self.data[n:]
        return n


def listener(family, address, timeout=TIMEOUT):
    """A UDP socket bound to ``address`` on loopback; skips the test where it is taken or
    the family is missing."""
    import socket

    import pytest

    sock = socket.socket(family, socket.SOCK_DGRAM)
    try:
        sock.bind(address)
    except OSError as error:
        sock.close()
        pytest.skip(f"cannot listen on {address}: {error}")
    sock.settimeout(timeout)
    return sock
