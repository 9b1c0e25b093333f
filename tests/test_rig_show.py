"""Shows: a show file checked, played to loopback listeners and rendered; real fixtures
patched; every problem of a bad show reported; untrusted files refused in one line."""

import contextlib
import csv
import io
import os
import random
import shutil
import socket
import struct
import time
from pathlib import Path

import pytest
from hypothesis import given
from hypothesis import strategies as st

from kinetrope_rig import DmxFixture, TempoMap
from kinetrope_rig.artnet import ArtNetSender
from kinetrope_rig.fixtures import inline_layout, load_definition
from kinetrope_rig.patch import Aim, Patch, Placement
from kinetrope_rig.show import ShowError, ShowFrames, load_show
from rig_helpers import SacnLog, listener
from test_rig_cli import RUN_TIMEOUT, rig, running
from test_rig_fixtures import DATA, TABLE

ROOT = Path(__file__).resolve().parent.parent
SPOT = "robe/robin-600e-spot.json"

# The format's smallest complete case, with a mode that the definition has.
EXAMPLE = """
[tempo]
bpm = 128

[[outputs]]
protocol = "sacn"          # "sacn" | "artnet" | "osc"
universe = 1
host = "127.0.0.1"         # sacn without host: multicast

[[outputs]]
protocol = "artnet"
universe = 0               # Art-Net port-address 0..32767
host = "127.0.0.1"

[types.spot]
definition = "fixtures/robe/robin-600e-spot.json"   # relative to the show file
mode = "32-channel"

[[patch]]
type = "spot"
name = "spot"              # spot1 .. spot8
count = 8
universe = 1
address = 1                # the next fixture follows at the end of the previous one

[groups]
front = ["spot1", "spot2", "spot3", "spot4", "spot5", "spot6", "spot7", "spot8"]

[[effects]]
group = "front"
pattern = "circle"
rate = "1/2"
size = 0.6
spread = 1
wings = 2
"""


@pytest.fixture
def folder(tmp_path):
    """A show folder with the definitions under fixtures/."""
    shutil.copytree(DATA, tmp_path / "fixtures")
    return tmp_path


def write_show(folder, text, name="show.toml"):
    path = folder / name
    path.write_text(text)
    return path


def every_frame(show):
    """Universe 1's bytes at every pip of the show's repeat (the circle at half speed)."""
    frames = ShowFrames(show)
    return {frames.frame(0.0, pip).universes[1] for pip in range(128)}


def test_the_example_checks(folder):
    done = rig("check", write_show(folder, EXAMPLE))
    assert done.returncode == 0, done.stderr
    lines = done.stdout.splitlines()
    assert lines[0] == "universe 1"
    assert lines[1] == ("    1-32   spot1      spot     " + str(folder / "fixtures" / SPOT)
                        + ", mode '32-channel': pan 1-2, tilt 3-4, dimmer 31-32")
    assert lines[8].startswith("  225-256  spot8 ")
    assert lines[9:] == ["sACN to 127.0.0.1: universes 1",
                         "Art-Net to 127.0.0.1: port-addresses 0 (universe 1)"]


def test_the_shipped_example_checks():
    done = rig("check", ROOT / "examples" / "show" / "show.toml")
    assert done.returncode == 0 and done.stdout.count(" spot ") == 8, done.stderr


def test_the_example_plays_to_sacn_art_net_and_osc_alike(folder):
    from pythonosc.osc_bundle import OscBundle

    with contextlib.ExitStack() as stack:
        artnet = stack.enter_context(listener(socket.AF_INET, ("127.0.0.1", 6454)))
        osc = stack.enter_context(listener(socket.AF_INET, ("127.0.0.1", 0)))
        show = write_show(folder, EXAMPLE + f"""
[[outputs]]
protocol = "osc"
host = "127.0.0.1"
port = {osc.getsockname()[1]}
""")
        log = stack.enter_context(SacnLog(1))
        packets = []
        artnet.settimeout(0.2)
        with running("play", show, "--seconds", 2) as proc:
            deadline = time.monotonic() + RUN_TIMEOUT
            while time.monotonic() < deadline:    # read as it plays: the queue is small
                try:
                    packets.append(artnet.recv(1000))
                except TimeoutError:
                    if proc.poll() is not None:
                        break
            _, err = proc.communicate(timeout=RUN_TIMEOUT)
        log.wait_for(lambda log: (1, "timeout") in log.availability)
        bundle = list(OscBundle(osc.recv(65536)))
    assert proc.returncode == 0 and "Traceback" not in err, err
    possible = every_frame(load_show(show))
    sacn_lit = [frame for frame in log.frames if any(frame)]
    artnet_data = [p[18:] for p in packets]
    artnet_lit = [data for data in artnet_data if any(data)]
    assert len(sacn_lit) > 10 and len(artnet_lit) > 10
    assert set(sacn_lit) <= possible and set(artnet_lit) <= possible
    assert log.frames[-1] == artnet_data[-1] == bytes(512)          # dark at the end
    assert [m.address for m in bundle] == [f"/kinetrope/spot{n}" for n in range(1, 9)]


def test_the_example_renders_what_play_sends(folder):
    out = folder / "dmx.csv"
    done = rig("render", write_show(folder, EXAMPLE), "--seconds", 2, "--fps", 10, "-o", out)
    assert done.returncode == 0, done.stderr
    table = list(csv.reader(io.StringIO(out.read_text())))
    assert table[0] == ["frame", "seconds", "pip"] + [f"u1.{c}" for c in range(1, 257)]
    possible = every_frame(load_show(folder / "show.toml"))
    tempo = TempoMap.constant(128)
    assert len(table) == 21
    for frame, row in enumerate(table[1:]):
        assert int(row[2]) == tempo.pip_at(frame / 10)
        assert bytes(map(int, row[3:])) + bytes(256) in possible


# -- real fixtures ------------------------------------------------------------------------

def share_bytes(share, bits):
    """Bytes for a share of the travel at the points this test uses: read off by hand."""
    words = {8: {0.0: (0,), 0.25: (0x40,), 0.5: (0x80,), 0.75: (0xBF,), 1.0: (0xFF,)},
             16: {0.0: (0, 0), 0.25: (0x40, 0), 0.5: (0x80, 0), 0.75: (0xBF, 0xFF),
                  1.0: (0xFF, 0xFF)}}
    return words[bits][share]


@pytest.mark.parametrize("file, mode, channels, pan, tilt, dimmer, pan_travel, tilt_travel, "
                         "reversed", TABLE, ids=[row[0] for row in TABLE])
def test_every_definition_lands_pan_and_tilt_on_its_channels(file, mode, channels, pan, tilt,
                                                               dimmer, pan_travel, tilt_travel,
                                                               reversed):
    layout = load_definition(DATA / file).layout(mode)
    address = 513 - channels          # the very end of the universe
    patch = Patch([Placement("head", 3, address, layout, Aim(swing=pan_travel / 2),
                             Aim(swing=tilt_travel / 2))])
    # x, y -> share of pan, share of tilt: centre, both ends and one point between.
    for x, y, pan_share, tilt_share in [(0.0, 0.0, 0.5, 0.5), (1.0, -1.0, 1.0, 0.0),
                                        (-1.0, 1.0, 0.0, 1.0), (0.5, 0.5, 0.75, 0.75)]:
        data = patch.universes([(x, y, 0.0)])[3]
        if reversed:
            pan_share = 1.0 - pan_share
        for offsets, share in ((pan, pan_share), (tilt, tilt_share)):
            got = tuple(data[address - 1 + offset] for offset in offsets)
            assert got == share_bytes(share, 8 * len(offsets)), (x, y)
        driven = set(pan) | set(tilt) | set(dimmer or ())
        assert not any(data[:address - 1])
        assert not any(data[address - 1 + k] for k in range(channels) if k not in driven)


@given(st.lists(st.tuples(st.floats(-2, 2), st.floats(-2, 2), st.floats(-2, 2)),
                min_size=3, max_size=3),
       st.floats(-400, 400), st.floats(0, 270))
def test_a_patch_of_sixteen_bit_heads_gives_dmx_fixture_bytes(points, swing, centre):
    layout = inline_layout(5, pan_offset=0, tilt_offset=2, dimmer_offset=4, pan_travel=540,
                           tilt_travel=270)
    heads = [DmxFixture(1 + 5 * i, pan_swing=swing, tilt_centre=centre, dimmer_channel=4)
             for i in range(3)]
    patch = Patch([Placement(f"h{i}", 1, 1 + 5 * i, layout, Aim(swing=swing),
                             Aim(centre=centre, swing=45.0)) for i in range(3)])
    expected = bytearray(512)
    for head, point in zip(heads, points):
        head.write(type("P", (), dict(zip("xyz", point)))(), expected)
    levels = [(min(max(z, -1.0), 1.0) + 1.0) / 2.0 for _, _, z in points]
    assert patch.universes(points, levels)[1] == bytes(expected)


# -- Art-Net ------------------------------------------------------------------------------

def test_art_net_packets_follow_the_art_net_layout():
    with listener(socket.AF_INET, ("127.0.0.1", 6454)) as artnet:
        data = bytes(range(256)) * 2
        with ArtNetSender([0x1234, 0], "127.0.0.1", blackout_frames=1) as sender:
            sender.send(0x1234, data)
            sender.send(0x1234, data)
            packets = [artnet.recv(1000) for _ in range(2)]
        packets += [artnet.recv(1000) for _ in range(2)]            # the blackout
    head, second = packets[0], packets[1]
    assert head[:8] == b"Art-Net\x00" and head[8:10] == b"\x00\x50"     # OpDmx, low first
    assert head[10:12] == b"\x00\x0e"                                   # version 14
    assert (head[12], second[12]) == (1, 2)                             # sequence
    assert head[14:16] == b"\x34\x12"                                   # SubUni, Net
    assert head[16:18] == b"\x02\x00" and head[18:] == data             # length, high first
    assert sorted(struct.unpack("<H", p[14:16])[0] for p in packets[2:]) == [0, 0x1234]
    assert all(p[18:] == bytes(512) for p in packets[2:])


# -- bad shows ----------------------------------------------------------------------------

BAD = """
[tempo]
bpm = -3

[[outputs]]
protocol = "sacn"
universe = 1

[types.spot]
definition = "fixtures/robe/robin-600e-spot.json"
mode = "Mode 1"

[types.wash]
definition = "fixtures/martin/mac-700-wash.json"
mode = "Extended 23-channel"

[types.broken]
definition = "broken.json"
mode = "x"

[types.gone]
definition = "fixtures/nowhere.json"
mode = "x"

[[patch]]
type = "wash"
name = "wash"
count = 3
universe = 1
address = 10
adress = 3

[[patch]]
type = "wash"
name = "far"
count = 2
universe = 2
address = 480
pan_swing = "wide"

[[patch]]
type = "nope"
name = "c"
universe = 1
address = 1

[[patch]]
type = "wash"
name = "w"
universe = 1
address = 60

[groups]
front = ["wash1", "spot9"]

[[effects]]
group = "front"
pattern = "cirlce"

[[effects]]
group = "front"
shape = { kind = "lfo", wave = "sine", rate = "1/4", phase = "1/0" }
"""


def test_check_lists_every_problem_of_a_show(folder):
    (folder / "broken.json").write_text('{"name": "x", "modes": [')
    done = rig("check", write_show(folder, BAD))
    assert done.returncode == 2 and done.stdout == "" and "Traceback" not in done.stderr
    show = str(folder / "show.toml")
    assert done.stderr.splitlines() == [line.replace("show.toml", show) for line in [
        "show.toml: tempo.bpm: must be from 1e-06 to 1e+06, not -3",
        f"show.toml: types.spot: {folder}/fixtures/{SPOT}: modes: no mode named 'Mode 1' "
        "(modes: '32-channel', '25-channel', '23-channel')",
        f"show.toml: types.broken: {folder}/broken.json: is not valid JSON: Expecting value "
        "(line 1, column 25)",
        f"show.toml: types.gone: {folder}/fixtures/nowhere.json: cannot be read: No such file "
        "or directory",
        "show.toml: patch[0]: unknown key 'adress' (known: type, name, count, universe, "
        "address, invert_pan, invert_tilt, swap_pan_tilt, pan_centre, tilt_centre, pan_swing, "
        "tilt_swing, pan_limits, tilt_limits, dimmer)",
        "show.toml: patch[1].pan_swing: must be a finite number, not 'wide'",
        "show.toml: patch[1] far2: channels 503-525 pass the end of universe 2 (512)",
        "show.toml: patch[2].type: no type named 'nope' (types: 'spot', 'wash', 'broken', "
        "'gone')",
        "show.toml: patch: wash3 and w share channels 60-78 of universe 1",
        "show.toml: groups.front[1]: no fixture named 'spot9'",
        "show.toml: effects[0]: Unknown kinetrope rudiment: cirlce",
        "show.toml: effects[1]: phase: '1/0' divides by zero",
        "show.toml: outputs: universe 2 (patched: far1, ...) has no sACN or Art-Net output "
        "(Art-Net port-address 1 carries it)",
    ]]


def fifo(path):
    os.mkfifo(path)


@pytest.mark.parametrize("make, problem", [
    (lambda p: p.write_text("[tempo\nbpm = 1"), "not valid TOML: "),
    (lambda p: p.write_bytes(b"[tempo]\nbpm = 1 # \xff\n"), "not UTF-8 text"),
    (lambda p: p.write_text("outputs = 3\n"), "outputs: must be an array of tables, not an "
                                              "integer"),
    (lambda p: p.write_text("x = " + "[" * 5000 + "]" * 5000), "nested too deeply"),
    (lambda p: p.write_text("#" * (1 << 21)), "bytes; a show file may have at most"),
    (lambda p: p.mkdir(), "not a regular file"),
    (fifo, "not a regular file"),
], ids=["toml", "utf8", "types", "nesting", "size", "directory", "fifo"])
def test_untrusted_show_files_are_refused_in_one_line(tmp_path, make, problem):
    path = tmp_path / "show.toml"
    make(path)
    done = rig("check", path)
    assert done.returncode == 2 and "Traceback" not in done.stderr
    lines = done.stderr.splitlines()
    assert any(problem in line for line in lines)
    assert all(line.startswith(f"{path}: ") for line in lines)


def mutations(text, rng):
    """Small edits of a show: a byte changed, a line dropped, doubled or cut, a value
    swapped for one of another type."""
    lines = text.splitlines()
    kind = rng.randrange(5)
    if kind == 0:
        data = bytearray(text.encode())
        data[rng.randrange(len(data))] = rng.randrange(256)
        return bytes(data)
    i = rng.randrange(len(lines))
    if kind == 1:
        del lines[i]
    elif kind == 2:
        lines.insert(i, lines[i])
    elif kind == 3:
        lines[i] = lines[i][:rng.randrange(len(lines[i]) + 1)]
    elif "=" in lines[i]:
        key = lines[i].split("=")[0]
        lines[i] = key + "= " + rng.choice(['"x"', "-1", "1e999", "[]", "{}", "true", "0",
                                            "99999999999999999999", '"../../etc/passwd"'])
    return "\n".join(lines).encode()


def test_mutated_shows_load_or_are_refused_in_one_line(folder, capsys):
    rng = random.Random(7)
    outcomes = {"loaded": 0, "refused": 0}
    path = folder / "show.toml"
    for _ in range(400):
        path.write_bytes(mutations(EXAMPLE, rng))
        try:
            ShowFrames(load_show(path)).frame(0.0, 77)
        except ShowError as error:
            assert error.lines and all("\n" not in line and line.startswith(f"{path}: ")
                                       for line in error.lines)
            outcomes["refused"] += 1
        else:
            outcomes["loaded"] += 1
    with capsys.disabled():
        print(f"\nmutated shows: {outcomes}")
    assert outcomes["loaded"] > 20 and outcomes["refused"] > 100


@pytest.mark.parametrize("tempo, problem", [
    ("link = true\nbpm = 128\nquantum = 3\nstart_stop_sync = true", None),
    ("link = true\nmidi = 'song.mid'",
     "tempo: give exactly one of bpm, midi, clock and link = true, not midi and link"),
    ("bpm = 120\nstart_stop_sync = true",
     "tempo.start_stop_sync: follows a Link session's transport: it needs link = true"),
    ("clock = '-'\nquantum = 0", "tempo.quantum: must be from 1 to 64, not 0"),
])
def test_the_tempo_table(folder, tempo, problem):
    path = write_show(folder, EXAMPLE.replace("bpm = 128", tempo, 1))
    if problem is None:
        assert load_show(path).tempo.quantum == 3
        return
    with pytest.raises(ShowError) as info:
        load_show(path)
    assert info.value.lines == (f"{path}: {problem}",)
