"""python -m kinetrope_rig, as a user runs it: every subcommand and its failures."""

import contextlib
import csv
import io
import os
import signal
import socket
import subprocess
import sys
import time
from fractions import Fraction
from pathlib import Path

import pytest

import kinetrope
from kinetrope_rig import TempoMap, render
from kinetrope_rig.effects import Effect, Fan
from rig_helpers import TIMEOUT, SacnLog, write_midi

ROOT = Path(__file__).resolve().parent.parent
ENV = {**os.environ, "PYTHONPATH": os.pathsep.join(
    [str(ROOT)] + ([os.environ["PYTHONPATH"]] if os.environ.get("PYTHONPATH") else []))}
RUN_TIMEOUT = 60


def rig(*args, **kw):
    return subprocess.run([sys.executable, "-m", "kinetrope_rig", *map(str, args)], env=ENV,
                          capture_output=True, text=True, timeout=RUN_TIMEOUT, **kw)


@contextlib.contextmanager
def running(*args, text=True, **kw):
    """The command as a process, killed if still running at the end of the block."""
    with subprocess.Popen([sys.executable, "-m", "kinetrope_rig", *map(str, args)], env=ENV,
                          stderr=subprocess.PIPE, text=text, **kw) as proc:
        try:
            yield proc
        finally:
            proc.kill()


@pytest.fixture
def song(tmp_path):
    """Two beats at 240 bpm then two at 480 bpm: 0.75 s."""
    return write_midi(tmp_path / "song.mid", 480, [[(0, 250_000), (960, 125_000)]], beats=4)


@pytest.mark.parametrize("command", [[], ["play"], ["render"]])
def test_help_shows_the_defaults(command):
    done = rig(*command, "--help")
    assert done.returncode == 0
    if command:
        assert "(default: 60.0)" in done.stdout


def test_play_prints_frames_at_a_constant_tempo():
    done = rig("play", "circle", "bounce", "--bpm", 240, "--print", "--beats", 1, "--fps", 50)
    assert done.returncode == 0, done.stderr
    lines = done.stdout.splitlines()
    pips = [int(line.split()[1]) for line in lines]
    assert pips[0] == 0 and pips == sorted(pips) and pips[-1] < 64 and len(lines) > 5
    assert f"{len(lines)} frames" in done.stderr
    for line in lines:
        cells = line.split()
        pip = int(cells[1])
        assert cells[2] == "circle" and cells[6] == "bounce"
        assert [float(v) for v in cells[3:6]] == [round(v, 4) for v in kinetrope.circle(pip).as_tuple()]


def test_play_a_midi_file_to_osc_until_its_end(song):
    from pythonosc.osc_bundle import OscBundle

    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
        sock.bind(("127.0.0.1", 0))
        sock.settimeout(TIMEOUT)
        with running("play", "circle", "lfo_breathe", "--midi", song, "--fps", 40,
                     "--osc", "127.0.0.1:%d" % sock.getsockname()[1], "--prefix", "/show") as proc:
            bundles = []
            sock.settimeout(0.2)
            deadline = time.monotonic() + RUN_TIMEOUT
            while time.monotonic() < deadline:
                try:
                    bundles.append(list(OscBundle(sock.recv(65536))))
                except TimeoutError:
                    if proc.poll() is not None:   # finished, and everything it sent is read
                        break
            _, err = proc.communicate(timeout=RUN_TIMEOUT)
    assert proc.returncode == 0, err
    assert len(bundles) == int(err.split()[0]) > 10        # the file lasts 0.75 s
    # 4 beats: every frame's pip is in 0..255, and the values are those of one such pip.
    table = {name: {tuple(kinetrope.sample(name, p).as_tuple()) for p in range(256)}
             for name in ("circle", "lfo_breathe")}
    for bundle in bundles:
        assert [m.address for m in bundle] == ["/show/circle", "/show/lfo_breathe"]
        for message in bundle:
            name = message.address.rsplit("/", 1)[1]
            assert any(all(abs(a - b) < 1e-6 for a, b in zip(message.params, values))
                       for values in table[name])


def test_ctrl_c_blacks_out_the_dmx_universe():
    with SacnLog(9) as log:
        with running("play", "lfo_breathe", "bounce", "--bpm", 120, "--dmx", "9@127.0.0.1",
                     "--start", 100, "--dimmer", "--seconds", 30) as proc:
            log.wait_for(lambda log: any(any(frame) for frame in log.frames), timeout=30)
            proc.send_signal(signal.SIGINT)
            _, err = proc.communicate(timeout=RUN_TIMEOUT)
        log.wait_for(lambda log: (9, "timeout") in log.availability)
    assert proc.returncode == 130 and "Traceback" not in err
    lit = [frame for frame in log.frames if any(frame)]
    # Two five-channel heads from channel 100, nothing else touched.
    assert all(not any(f[:99]) and not any(f[109:]) for f in lit)
    assert log.frames[-1] == bytes(512)


def test_play_follows_a_midi_clock_on_standard_input():
    with running("play", "circle", "--midi-clock", "-", "--print", "--seconds", 1.5,
                 "--fps", 100, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=False) as proc:
        first = proc.stdout.readline()          # a frame before any start: pip 0
        proc.stdin.write(b"\xfa")
        for _ in range(24):                     # one beat at 120 bpm, then silence
            proc.stdin.write(b"\xf8")
            proc.stdin.flush()
            time.sleep(60 / 120 / 24)
        out, err = proc.communicate(timeout=RUN_TIMEOUT)      # closes standard input
    assert proc.returncode == 0, err
    pips = [int(line.split()[1]) for line in (first + out).decode().splitlines()]
    assert pips[0] == 0 and pips == sorted(pips)
    # 24 ticks arrived: the pip stops short of tick 24, pip 64.
    assert 0 < pips[-1] <= 63


def test_render_writes_what_the_library_renders(song, tmp_path):
    out = tmp_path / "track.csv"
    done = rig("render", "circle", "figure_eight", "--midi", song, "--fps", 60, "-o", out)
    assert done.returncode == 0, done.stderr
    assert "45 frames" in done.stderr and "\r" not in done.stderr   # no bar off a terminal
    expected = io.StringIO()
    render(TempoMap.from_midi(song), ["circle", "figure_eight"], 60.0, expected)
    assert out.read_text() == expected.getvalue()
    table = list(csv.reader(io.StringIO(out.read_text())))
    assert table[0][:4] == ["frame", "seconds", "pip", "circle_x"] and len(table) == 46


def test_a_fan_drives_heads_at_consecutive_addresses():
    with SacnLog(9) as log:
        with running("play", "circle", "--rate", "1/2", "--size", 0.5, "--fan", 8, "--spread",
                     1, "--wings", 2, "--bpm", 128, "--dmx", "9@127.0.0.1",
                     "--seconds", 30) as proc:
            log.wait_for(lambda log: len([f for f in log.frames if any(f)]) > 5, timeout=30)
            proc.send_signal(signal.SIGINT)
            proc.communicate(timeout=RUN_TIMEOUT)
    lit = [frame for frame in log.frames if any(frame)]
    heads = [[frame[4 * i:4 * i + 4] for i in range(8)] for frame in lit]
    assert all(not any(frame[32:]) for frame in lit)
    # Two wings of four: heads 0 and 7, 1 and 6, ... move alike; one wing's heads do not.
    assert all(h[i] == h[7 - i] for h in heads for i in range(4))
    assert all(len({bytes(h[i]) for i in range(4)}) == 4 for h in heads)


def test_render_writes_a_fan_member_by_member(song, tmp_path):
    out = tmp_path / "fan.csv"
    done = rig("render", "helix", "--rate", "3/7", "--phase", "1/4", "--fan", 4, "--order",
               "reverse", "--midi", song, "--fps", 30, "-o", out)
    assert done.returncode == 0, done.stderr
    table = list(csv.reader(io.StringIO(out.read_text())))
    assert table[0][3:7] == ["helix_1_x", "helix_1_y", "helix_1_z", "helix_2_x"]
    fan = Fan(Effect("helix", rate=Fraction(3, 7), phase=Fraction(1, 4)), 4, order="reverse")
    for line in table[1:]:
        pip = int(line[2])
        expected = [v for m in range(4) for v in fan.effect.at(pip - fan.delays[m])]
        assert [float(v) for v in line[3:]] == expected


def test_render_to_a_closed_pipe_ends_quietly(tmp_path):
    long_song = write_midi(tmp_path / "long.mid", 96, [[]], beats=600)   # five minutes
    with running("render", "circle", "bounce", "helix", "--midi", long_song, "-o", "-",
                 stdout=subprocess.PIPE) as proc:
        head = [proc.stdout.readline() for _ in range(3)]
        proc.stdout.close()
        err = proc.stderr.read()
        proc.wait(timeout=RUN_TIMEOUT)
    assert head[0].startswith("frame,seconds,pip,circle_x")
    assert proc.returncode == 1 and "Traceback" not in err and "Error" not in err


@pytest.mark.parametrize("args, message", [
    (["play", "circle", "nope", "--bpm", 120], "Unknown kinetrope rudiment: nope"),
    (["render", "no_such", "--midi", "{song}", "-o", "{tmp}/x.csv"],
     "Unknown kinetrope rudiment: no_such"),
    (["render", "circle", "--midi", "{tmp}/missing.mid", "-o", "{tmp}/x.csv"],
     "cannot read {tmp}/missing.mid"),
    (["play", "circle", "--midi", "{tmp}/garbage.mid"], "{tmp}/garbage.mid"),
    (["render", "circle", "--midi", "{song}", "-o", "{tmp}/no/dir/x.csv"], "cannot write"),
    (["play", "circle", "--bpm", 120, "--osc", "localhost"], "malformed address"),
    (["play", "circle", "--bpm", 120, "--osc", "127.0.0.1:"], "malformed address"),
    (["play", "circle", "--bpm", 120, "--osc", "127.0.0.1:70000"], "malformed address"),
    (["play", "circle", "--bpm", 120, "--osc", ":9000"], "malformed address"),
    (["play", "circle", "--bpm", 120, "--dmx", "0@127.0.0.1"], "malformed DMX address"),
    (["play", "circle", "--bpm", 120, "--dmx", "one@127.0.0.1"], "malformed DMX address"),
    (["play", "circle", "--bpm", 120, "--dmx", "7@"], "malformed DMX address"),
    (["play", "circle", "--bpm", 120, "--dmx", "7@127.0.0.1", "--start", 510],
     "a fixture needs 4 channels each from channel 510: channels 510..513, past the end"),
    (["play", "circle", "--bpm", 0], "must be a positive number"),
    (["play", "circle", "--bpm", 120, "--wings", 2], "--wings shapes a fan: give --fan N"),
    (["play", "{tmp}/show.toml", "--bpm", 120, "--fan", 2],
     "the show sets its own tempo, outputs and effects; --bpm, --fan go with pattern names"),
    (["render", "circle", "-o", "-"], "render of patterns needs --midi FILE"),
    (["play", "circle", "--bpm", 120, "--rate", "1/0"], "rate must be an exact number"),
    (["render", "circle", "--midi", "{song}", "-o", "-", "--size", "x"], "--size must be"),
    (["play", "circle", "--bpm", 120, "--osc", "127.0.0.1:²"], "malformed address"),
    (["play", "circle", "--bpm", 120, "--osc", ":٩٠٠٠"], "malformed address"),
    (["play", "circle", "--bpm", 120, "--dmx", "²@127.0.0.1"], "malformed DMX address"),
    (["play", "circle", "--bpm", 120, "--dmx", "١@127.0.0.1"], "malformed DMX address"),
    (["play", "circle", "--bpm", 120, "--dmx", "1@256.0.0.1"], "malformed DMX address"),
    (["play", "circle", "--bpm", 120, "--dmx", "1@127.0.0.1@x"], "malformed DMX address"),
    (["play", "circle", "--bpm", 120, "--osc", "127.0.0.1:9", "--prefix", "/my rig#1"],
     "cannot send OSC to 127.0.0.1:9: OSC prefix: '/my rig#1' is not an OSC address"),
    (["play", "circle", "--bpm", 120, "--pan-swing", "nan"], "must be a finite number"),
    (["play", "circle", "--bpm", 120, "--tilt-swing", "inf"], "must be a finite number"),
    (["play", "circle", "--bpm", 120, "--pan-swing", "-inf"], "must be a finite number"),
    (["play", "circle", "--bpm", 120, "--fps", "1e-300"], "must be a number from 0.01"),
    (["play", "circle", "--bpm", 120, "--start", "١"], "must be a channel from 1 to 512"),
    (["play", "circle", "helix", "--bpm", 120, "--dmx", "7@127.0.0.1", "--start", 506],
     "2 fixtures need 4 channels each from channel 506: channels 506..513"),
    (["play", "circle"], "one of the arguments --midi --bpm --midi-clock --link is required"),
])
def test_failures_exit_2_with_a_clear_message(args, message, song, tmp_path):
    (tmp_path / "garbage.mid").write_bytes(b"MThd garbage")
    fill = {"song": song, "tmp": tmp_path}
    done = rig(*[str(a).format(**fill) for a in args])
    assert done.returncode == 2
    assert message.format(**fill) in done.stderr and "Traceback" not in done.stderr


@pytest.mark.parametrize("command", [["play", "--bpm", 120, "--seconds", 1],
                                     ["render", "--midi", "{song}", "-o", "{tmp}/x.csv"]])
def test_a_name_that_is_not_text_is_refused(command, song, tmp_path):
    fill = {"song": song, "tmp": tmp_path}
    args = [command[0], b"\xff\xfe", *[str(a).format(**fill) for a in command[1:]]]
    done = subprocess.run([sys.executable, "-m", "kinetrope_rig", *args], env=ENV,
                          capture_output=True, timeout=RUN_TIMEOUT)
    assert done.returncode == 2 and done.stderr.decode() == (
        "python -m kinetrope_rig: error: Unknown kinetrope rudiment: '\\udcff\\udcfe' "
        "(not UTF-8 text)\n")


def test_a_missing_library_names_the_extra():
    code = ("import sys; sys.modules['sacn'] = None\n"
            "from kinetrope_rig.__main__ import main\n"
            "sys.exit(main(['play', 'circle', '--bpm', '120', '--dmx', '1@127.0.0.1']))")
    done = subprocess.run([sys.executable, "-c", code], env=ENV, capture_output=True,
                          text=True, timeout=RUN_TIMEOUT)
    assert done.returncode == 2
    assert ("requires the 'sacn' package. Install it with `pip install kinetrope[rig]`."
            in done.stderr)
