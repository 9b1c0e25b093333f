"""Motion out: OSC and sACN over the loopback interface with the real libraries, the
moving-head arithmetic, and CSV rendering."""

import contextlib
import csv
import io
import math
import socket
import struct
import sys

import pytest
from hypothesis import given
from hypothesis import strategies as st

import kinetrope
from kinetrope_rig import (DmxFixture, DmxSender, Effect, Fan, MissingDependency, OscSender,
                           TempoMap, render)
from kinetrope_rig.offline import header, rows
from rig_helpers import SacnLog, listener, write_midi

TIMEOUT = 3.0


def as_f32(value):
    return struct.unpack("f", struct.pack("f", value))[0]


class P:
    """A plain point: the senders take anything with x, y and z."""

    def __init__(self, x, y=0.0, z=0.0):
        self.x, self.y, self.z = x, y, z


@pytest.fixture
def udp():
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.bind(("127.0.0.1", 0))
    sock.settimeout(TIMEOUT)
    yield sock
    sock.close()


# -- OSC ----------------------------------------------------------------------------------

def test_osc_messages_reach_a_python_osc_server_as_32_bit_floats():
    from pythonosc.dispatcher import Dispatcher
    from pythonosc.osc_server import BlockingOSCUDPServer

    received = []
    dispatcher = Dispatcher()
    dispatcher.set_default_handler(lambda address, *args: received.append((address, args)))
    server = BlockingOSCUDPServer(("127.0.0.1", 0), dispatcher)
    server.timeout = TIMEOUT
    values = [(0.1, -1 / 3, 1e-9), (1.0, -1.0, 0.0), kinetrope.figure_eight(37).as_tuple()]
    try:
        with OscSender("127.0.0.1", server.server_address[1], prefix="/rig/a") as osc:
            for i, (x, y, z) in enumerate(values):
                osc.send(f"p{i}", P(x, y, z))
                server.handle_request()
            osc.send_frame({"circle": kinetrope.circle(5), "bounce": kinetrope.bounce(5)})
            server.handle_request()
    finally:
        server.server_close()
    expected = [(f"/rig/a/p{i}", tuple(as_f32(v) for v in xyz)) for i, xyz in enumerate(values)]
    expected += [(f"/rig/a/{name}", tuple(as_f32(v) for v in getattr(kinetrope, name)(5).as_tuple()))
                 for name in ("circle", "bounce")]
    assert received == expected


def test_a_frame_is_one_bundle_holding_every_pattern_in_order(udp):
    from pythonosc.osc_bundle import OscBundle

    names = [e["name"] for e in kinetrope.catalogue()[:8]]
    with OscSender(*udp.getsockname()) as osc:
        osc.send_frame({name: kinetrope.sample(name, 1000) for name in names})
        data = udp.recv(65536)
    assert OscBundle.dgram_is_bundle(data)
    messages = list(OscBundle(data))
    assert [m.address for m in messages] == [f"/kinetrope/{n}" for n in names]
    for name, message in zip(names, messages):
        assert message.params == [as_f32(v) for v in kinetrope.sample(name, 1000).as_tuple()]
        assert [type(p) for p in message.params] == [float] * 3


@pytest.mark.parametrize("prefix", ["kinetrope", "/kinetrope/", "", "/my rig#1", "/a*b?",
                                    "/x,y", "/{a}[b]", "//x", "/é", "/a\x00b", "/p" * 5000])
def test_osc_prefix_must_be_an_address_that_fits(prefix):
    with pytest.raises(ValueError, match="prefix"):
        OscSender("127.0.0.1", 9000, prefix=prefix)


@pytest.mark.parametrize("name", ["a b", "*", "{a,b}", "", "a\x00b", "x/", "ü"])
def test_a_name_that_makes_no_osc_address_is_refused(udp, name):
    with OscSender(*udp.getsockname()) as osc:
        with pytest.raises(ValueError, match="not an OSC address"):
            osc.send(name, P(0.0))


def test_a_large_frame_is_split_into_bundles_that_fit_a_datagram(udp):
    from pythonosc.osc_bundle import OscBundle

    names = [e["name"] for e in kinetrope.catalogue()]
    udp.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 1 << 22)   # the whole burst
    with OscSender(*udp.getsockname(), prefix="/rig") as osc:
        osc.send_frame({name: kinetrope.sample(name, 77) for name in names})
        datagrams = []
        udp.settimeout(0.5)
        with contextlib.suppress(TimeoutError):
            while len(datagrams) < len(names):
                datagrams.append(udp.recv(65536))
    assert 1 < len(datagrams) and all(len(d) <= osc.max_datagram for d in datagrams)
    messages = [m for d in datagrams for m in OscBundle(d)]
    assert [m.address.rsplit("/", 1)[1] for m in messages] == names


# -- the moving head ----------------------------------------------------------------------

@pytest.mark.parametrize("kw, point, pan, tilt", [
    ({}, P(0.0), 32768, 32768),                                          # centre of travel
    ({}, P(1.0, -1.0), round((270 + 90) / 540 * 65535), round((135 - 45) / 270 * 65535)),
    ({"pan_swing": -90.0}, P(1.0), round(180 / 540 * 65535), 32768),     # reversed
    ({"pan_centre": 500.0}, P(1.0), 65535, 32768),                       # past the end
    ({"pan_limits": (200.0, 300.0)}, P(-1.0, 0.0), round(200 / 540 * 65535), 32768),
    ({"tilt_centre": 0.0, "tilt_swing": 270.0}, P(0.0, -0.5), 32768, 0),
    ({}, P(math.nan, math.inf), 32768, 32768),                           # nonsense: centre
])
def test_pan_and_tilt_words(kw, point, pan, tilt):
    assert DmxFixture(1, **kw).pan_tilt(point) == (pan, tilt)


def test_channels_split_words_and_map_z_to_the_dimmer():
    fixture = DmxFixture(10, pan_channel=1, tilt_channel=3, dimmer_channel=0,
                         pan_swing=270.0, tilt_swing=135.0)
    assert fixture.footprint == 5
    pan, tilt = fixture.pan_tilt(P(0.3, -0.6, 1.0))
    assert fixture.channels(P(0.3, -0.6, 1.0)) == {
        10: 255, 11: pan >> 8, 12: pan & 0xFF, 13: tilt >> 8, 14: tilt & 0xFF}
    universe = bytearray(512)
    fixture.write(P(0.0, 0.0, -1.0), universe)
    assert universe[9:14] == bytes([0, 128, 0, 128, 0]) and not any(universe[14:])
    assert fixture.channels(P(0, 0, 0.0))[10] == 128


@given(st.floats(-3, 3), st.floats(-3, 3), st.floats(-3, 3), st.floats(-3, 3))
def test_words_stay_in_range_and_follow_the_axis(x1, x2, y, z):
    fixture = DmxFixture(1, dimmer_channel=4, pan_swing=400.0, tilt_limits=(10.0, 100.0))
    low, high = sorted((x1, x2))
    assert fixture.pan_tilt(P(low, y))[0] <= fixture.pan_tilt(P(high, y))[0]
    assert all(0 <= v <= 255 for v in fixture.channels(P(low, y, z)).values())
    tilt = fixture.pan_tilt(P(0, y))[1]
    assert round(10 / 270 * 65535) <= tilt <= round(100 / 270 * 65535)


@pytest.mark.parametrize("kw", [
    {"start": 0}, {"start": 510}, {"start": 509, "dimmer_channel": 4}, {"start": 1.5},
    {"start": True}, {"start": 1, "pan_limits": (-10.0, 90.0)},
    {"start": 1, "tilt_limits": (100.0, 50.0)}, {"start": 1, "tilt_limits": (0.0, math.nan)},
    {"start": 1, "tilt_channel": 1}, {"start": 1, "pan_travel": 0.0},
    {"start": 1, "pan_travel": math.inf}, {"start": 1, "pan_centre": math.nan},
    {"start": 1, "tilt_swing": math.inf}, {"start": 1, "pan_swing": "90"},
    {"start": 1, "dimmer_channel": 4.0},
])
def test_fixtures_that_cannot_be_patched_are_refused(kw):
    with pytest.raises(ValueError):
        DmxFixture(**kw)


# -- sACN ---------------------------------------------------------------------------------

@pytest.fixture
def sacn_log():
    with SacnLog(7) as log:
        yield log


def test_sacn_carries_the_fixture_channels_and_blacks_out_on_stop(sacn_log):
    fixture = DmxFixture(20, dimmer_channel=4)
    point = P(0.5, -0.25, 1.0)
    universe = bytearray(512)
    fixture.write(point, universe)
    with DmxSender(7, "127.0.0.1", bind_address="127.0.0.1") as sender:
        sender.send(7, universe)
        sacn_log.wait_for(lambda log: bytes(universe) in log.frames)
        assert not any(universe[:19]) and any(universe[19:24])
    sacn_log.wait_for(lambda log: (7, "timeout") in log.availability)
    # After the lit frame: zeros only, then the stream's termination.
    assert sacn_log.frames[-1] == bytes(512)
    assert sacn_log.frames.index(bytes(universe)) < len(sacn_log.frames) - 1


def test_sacn_blacks_out_when_interrupted(sacn_log):
    lit = bytes([255] * 512)
    with pytest.raises(KeyboardInterrupt):
        with DmxSender(7, "127.0.0.1", bind_address="127.0.0.1") as sender:
            sender.send(7, lit)
            sacn_log.wait_for(lambda log: lit in log.frames)
            raise KeyboardInterrupt
    sacn_log.wait_for(lambda log: (7, "timeout") in log.availability)
    assert sacn_log.frames[-1] == bytes(512)


def test_misuse_of_a_sender_is_refused_clearly():
    sender = DmxSender(7, "127.0.0.1", bind_address="127.0.0.1")
    with pytest.raises(ValueError, match=r"universe 8 is not one of this sender's"):
        sender.send(8, bytes(512))
    with pytest.raises(ValueError, match="512 values, not 511"):
        sender.send(7, bytes(511))
    sender.stop()
    sender.stop()
    for late in (lambda: sender.send(7, bytes(512)), sender.blackout):
        with pytest.raises(RuntimeError, match="stopped"):
            late()


@pytest.mark.parametrize("destination", ["::1", "[::1]"])
def test_sacn_goes_unicast_over_ipv6(destination):
    from sacn.messages.data_packet import DataPacket

    if not socket.has_ipv6:
        pytest.skip("this Python has no IPv6")
    with listener(socket.AF_INET6, ("::1", 5568)) as sacn:
        with DmxSender(3, destination) as sender:
            sender.send(3, bytes(range(256)) * 2)
            packet = DataPacket.make_data_packet(sacn.recv(1000))
    assert packet.universe == 3 and bytes(packet.dmxData) == bytes(range(256)) * 2


def test_senders_name_the_extra_when_their_library_is_missing(monkeypatch):
    monkeypatch.setitem(sys.modules, "sacn", None)
    monkeypatch.setitem(sys.modules, "pythonosc", None)
    for make, package in [(lambda: DmxSender(1, "127.0.0.1"), "sacn"),
                          (lambda: OscSender("127.0.0.1", 9000), "python-osc")]:
        with pytest.raises(MissingDependency) as info:
            make()
        assert f"requires the '{package}' package" in str(info.value)
        assert "pip install kinetrope[rig]" in str(info.value)


# -- rendering ----------------------------------------------------------------------------

def test_render_writes_a_header_and_one_exact_row_per_frame(tmp_path):
    path = write_midi(tmp_path / "t.mid", 480, [[(0, 500_000), (720, 250_000)]], beats=4)
    tempo = TempoMap.from_midi(path)        # 1.5 beats at 120 bpm, then 2.5 at 240 bpm
    assert tempo.duration == 1.375
    out = io.StringIO()
    names = ["circle", "lfo_breathe"]
    assert render(tempo, names, 24.0, out) == 33          # frames 0 .. 32 < 1.375 * 24
    table = list(csv.reader(io.StringIO(out.getvalue())))
    assert table[0] == header(names) == ["frame", "seconds", "pip", "circle_x", "circle_y",
                                         "circle_z", "lfo_breathe_x", "lfo_breathe_y",
                                         "lfo_breathe_z"]
    assert len(table) == 34
    for frame, line in enumerate(table[1:]):
        seconds = frame / 24.0
        pip = tempo.pip_at(seconds)
        assert line[:3] == [str(frame), repr(seconds), str(pip)]
        values = kinetrope.circle(pip).as_tuple() + kinetrope.sample("lfo_breathe", pip).as_tuple()
        assert [float(v) for v in line[3:]] == list(values)
    # 0.75 s is beat 1.5, where the tempo doubles: pip 96; then 256 pips a second.
    assert table[1 + 18][2] == "96" and table[1 + 24][2] == str(96 + 64)


def test_effects_and_fans_render_under_their_labels_which_must_not_repeat():
    out = io.StringIO()
    render(TempoMap.constant(120), [Effect("circle", rate=2), Fan("bounce", 2)], 10.0, out,
           frames=1)
    assert out.getvalue().splitlines()[0].split(",")[3::3] == ["circle_x", "bounce_1_x",
                                                               "bounce_2_x"]
    with pytest.raises(ValueError, match="share the labels circle; give them labels"):
        render(TempoMap.constant(120), ["circle", Effect("circle", size=0.5)], 10.0, out)


def test_render_reports_progress_to_the_end_once():
    calls = []
    render(TempoMap.constant(120), ["circle"], 60.0, io.StringIO(), frames=300,
           progress=lambda done, total: calls.append(done))
    assert calls == list(range(3, 301, 3))


def test_render_rows_refuse_an_unknown_pattern_with_the_module_message():
    with pytest.raises(ValueError, match="^Unknown kinetrope rudiment: no_such$"):
        next(rows(TempoMap.constant(120), ["circle", "no_such"], 60.0, frames=1))
