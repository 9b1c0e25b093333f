"""The rig keeps going: a network that fails for a while, outputs that fail for good, a
clock input that dies, output files that cannot be written, pips past 32 bits. Network
faults are made in a network namespace of the test's own, so nothing leaves the machine."""

import csv
import io
import os
import resource
import signal
import subprocess
import sys
import textwrap
import time

import pytest

import kinetrope
from kinetrope_rig import TempoMap, render
from kinetrope_rig.frame import Frame
from kinetrope_rig.motions import periods
from kinetrope_rig.player import Player, TimeSource
from rig_helpers import in_namespace, without_preload, write_midi
from test_rig_cli import ENV, RUN_TIMEOUT, rig, running

# Two multicast listeners (sACN universe 1 and OSC), then `play`; the multicast route goes
# away for 0.3 s after 0.5 s of lit frames. Prints what arrived when, and how play ended.
ROUTE_FLAP = textwrap.dedent("""
    import json, select, socket, subprocess, sys, time

    def member(group, port):
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        s.bind((group, port))
        s.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP,
                     socket.inet_aton(group) + socket.inet_aton("127.0.0.1"))
        return s

    dmx, osc = member("239.255.0.1", 5568), member("239.255.7.7", 9000)
    play = subprocess.Popen([sys.executable, "-m", "kinetrope_rig", "play", "circle",
                             "--bpm", "120", "--seconds", "2.5", "--dmx", "1", "--print",
                             "--osc", "239.255.7.7:9000"],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    start = time.monotonic()
    arrived = {"dmx": [], "osc": []}
    down = up = None
    while time.monotonic() - start < 30:
        ready = select.select([dmx, osc], [], [], 0.02)[0]
        now = time.monotonic()
        for s in ready:
            data = s.recv(2000)
            if s is dmx:
                arrived["dmx"].append((now, data[112] & 0x40 != 0, any(data[126:])))
            else:
                arrived["osc"].append((now, True, True))
        first = arrived["dmx"][0][0] if arrived["dmx"] else None
        if down is None and first is not None and now - first > 0.5:
            subprocess.run(["ip", "route", "del", "224.0.0.0/4", "dev", "lo"], check=True,
                           env=without_preload)
            down = now
        if down is not None and up is None and now - down > 0.3:
            subprocess.run(["ip", "route", "add", "224.0.0.0/4", "dev", "lo"], check=True,
                           env=without_preload)
            up = now
        if not ready and play.poll() is not None:
            break
    out, err = play.communicate(timeout=30)
    print(json.dumps({"rc": play.returncode, "out": out, "err": err, "down": down, "up": up,
                      "arrived": arrived}))
""")


def test_a_route_that_goes_away_and_comes_back_costs_only_the_frames_between():
    seen = in_namespace(ROUTE_FLAP, ENV)
    err, down, up = seen["err"], seen["down"], seen["up"]
    assert seen["rc"] == 0 and "Traceback" not in err and up is not None, err
    frames = int(err.splitlines()[-1].split()[0])
    assert len(seen["out"].splitlines()) == frames      # the loop never stopped
    for output in ("sACN universe 1 (multicast)", "OSC 239.255.7.7:9000"):
        assert f"{output}: send failed (Network is unreachable)" in err
        assert f"{output}: sending again after" in err
    for kind in ("dmx", "osc"):
        times = [t for t, _, _ in seen["arrived"][kind]]
        assert any(t < down for t in times)
        assert not any(down + 0.05 < t < up for t in times)
        # Sending resumes at once, for the rest of the show.
        assert min(t for t in times if t > up) - up < 0.2
        assert max(t for t in times) - up > 1.0
    dmx = seen["arrived"]["dmx"]
    lit = [t for t, ended, on in dmx if on and not ended]
    assert max(lit) > up + 1.0
    assert dmx[-1][1] and not dmx[-1][2]                # dark, and the stream ended


NO_ROUTE = textwrap.dedent("""
    import json, subprocess, sys
    subprocess.run(["ip", "route", "del", "224.0.0.0/4", "dev", "lo"], check=True,
                   env=without_preload)
    done = [subprocess.run([sys.executable, "-m", "kinetrope_rig", "play", "circle", "--bpm",
                            "120", "--seconds", "5", *args], capture_output=True, text=True)
            for args in (["--dmx", "1"], ["--osc", "239.255.7.7:9000"])]
    print(json.dumps([[d.returncode, d.stderr] for d in done]))
""")


def test_an_address_without_a_route_is_refused_at_start():
    (dmx_rc, dmx_err), (osc_rc, osc_err) = in_namespace(NO_ROUTE, ENV)
    assert (dmx_rc, dmx_err) == (2, "python -m kinetrope_rig: error: cannot send sACN to 1: "
                                    "Network is unreachable\n")
    assert (osc_rc, osc_err) == (2, "python -m kinetrope_rig: error: cannot send OSC to "
                                    "239.255.7.7:9000: Network is unreachable\n")


# -- the player's rules, on a clock of its own ---------------------------------------------

class Fake:
    """An output that fails as told: ``plan[frame]`` is an exception to raise, or None."""

    def __init__(self, name, plan=()):
        self.name, self.plan, self.log = name, dict(plan), []

    def send(self, frame):
        self.log.append(frame.pip)
        error = self.plan.get(len(self.log) - 1)
        if error is not None:
            raise error

    def blackout(self):
        self.log.append("blackout")

    def close(self):
        self.log.append("close")


def play(outputs, frames=10, fps=10.0, seconds=None):
    """Run a player on a simulated clock that moves only when it sleeps."""
    now = [0.0]
    reports = []
    source = TimeSource("test", lambda s: int(s * 64), lambda s: 60.0)
    player = Player(source,
                    lambda s, pip: Frame(s, pip, ["p"], [kinetrope.circle(pip).as_tuple()]),
                    outputs,
                    fps=fps, seconds=seconds if seconds is not None else frames / fps,
                    report=lambda text: reports.append((now[0], text)),
                    clock=lambda: now[0], sleep=lambda s: now.__setitem__(0, now[0] + s))
    return player.run(), reports


def test_transient_failures_are_counted_reported_once_a_second_and_retried():
    flaky = Fake("flaky", {k: OSError(101, "Network is unreachable") for k in range(2, 25)})
    steady = Fake("steady")
    result, reports = play([flaky, steady], frames=40)
    assert result.failure is None and result.frames == 40
    flaky_state, steady_state = result.outputs
    assert (flaky_state.sent, flaky_state.failed, flaky_state.failing) == (17, 23, 0)
    assert steady_state.failed == 0 and len(steady.log) == 40 + 2
    failing = [(t, text) for t, text in reports if "send failed" in text]
    assert [t for t, _ in failing] == pytest.approx([0.2, 1.2, 2.2])
    assert failing[0][1] == ("flaky: send failed (Network is unreachable); 1 frame failed so "
                             "far, trying every frame")
    assert reports[-1] == (pytest.approx(2.5), "flaky: sending again after 23 frames failed")
    assert flaky.log[-2:] == steady.log[-2:] == ["blackout", "close"]


@pytest.mark.parametrize("error", [OSError(9, "Bad file descriptor"), ValueError("bad"),
                                   BrokenPipeError(32, "Broken pipe")])
def test_an_output_that_cannot_go_on_stops_the_show_and_the_others_black_out(error):
    broken, other = Fake("broken", {3: error}), Fake("other")
    result, _ = play([broken, other])
    assert result.frames == 3 and result.error is error
    assert result.failure.startswith("broken: ")
    assert other.log == [0, 6, 12, "blackout", "close"]
    assert broken.log[-2:] == ["blackout", "close"]


def test_a_slow_frame_rate_stops_at_the_time_limit():
    result, _ = play([Fake("x")], fps=0.2, seconds=1.0)
    assert result.frames == 1


# -- the command line ---------------------------------------------------------------------

@pytest.mark.parametrize("sig, status, word", [(None, 0, "frames"),
                                               (signal.SIGINT, 130, "interrupted"),
                                               (signal.SIGTERM, 143, "terminated")])
def test_a_clock_on_standard_input_ends_cleanly(sig, status, word):
    silent = subprocess.Popen(["sleep", "30"], stdout=subprocess.PIPE,
                              env=without_preload(os.environ))
    try:
        with running("play", "circle", "--midi-clock", "-", "--seconds", 1.5,
                     stdin=silent.stdout) as proc:
            if sig is not None:
                time.sleep(0.8)
                proc.send_signal(sig)
            _, err = proc.communicate(timeout=RUN_TIMEOUT)
    finally:
        silent.kill()
        silent.wait()
        silent.stdout.close()
    assert proc.returncode == status and word in err.splitlines()[-1]
    assert "Fatal" not in err and "Traceback" not in err


# Standard input that gives a start and a beat of clock, then fails as a vanished device does.
DYING_INPUT = textwrap.dedent("""
    import sys
    sys.path.insert(0, sys.argv[1])
    from rig_helpers import DyingStream
    from kinetrope_rig.__main__ import main

    sys.stdin = DyingStream(bytes([0xFA] + [0xF8] * 24))
    sys.exit(main(["play", "circle", "--midi-clock", "-", "--seconds", "30", "--print"]))
""")


def test_a_clock_input_that_dies_stops_the_show_and_says_why():
    done = subprocess.run([sys.executable, "-c", DYING_INPUT, os.path.dirname(__file__)],
                          env=ENV, capture_output=True, text=True, timeout=RUN_TIMEOUT)
    assert done.returncode == 1 and "Traceback" not in done.stderr
    assert done.stderr.splitlines()[-1] == ("python -m kinetrope_rig: stopped: reading the "
                                            "MIDI clock failed: Input/output error")


def _limited_file_size():
    resource.setrlimit(resource.RLIMIT_FSIZE, (20_000, 20_000))
    signal.signal(signal.SIGXFSZ, signal.SIG_IGN)       # a failed write, not a killed process


def test_a_render_that_cannot_be_written_leaves_the_old_file_and_no_part(tmp_path):
    song = write_midi(tmp_path / "song.mid", 96, [[]], beats=64)
    target = tmp_path / "track.csv"
    target.write_text("an older render\n")
    done = subprocess.run([sys.executable, "-m", "kinetrope_rig", "render", "circle", "helix",
                           "--midi", song, "-o", target], env=ENV, capture_output=True,
                          text=True, timeout=RUN_TIMEOUT, preexec_fn=_limited_file_size)
    assert done.returncode == 1
    assert done.stderr == (f"python -m kinetrope_rig: error: cannot write {target}: File too "
                           "large; nothing written\n")
    assert target.read_text() == "an older render\n"
    assert sorted(os.listdir(tmp_path)) == ["song.mid", "track.csv"]


@pytest.mark.parametrize("args, status, message", [
    (["-o", "/dev/full"], 1, "cannot write /dev/full: No space left on device"),
    (["-o", "-"], 1, "cannot write standard output: No space left on device"),
    (["--fps", 1e308, "-o", "{tmp}/x.csv"], 2, "--fps: must be a number from 0.01 to 10000"),
    (["--fps", 240, "--max-frames", 1000, "-o", "{tmp}/x.csv"], 2,
     "{tmp}/song.mid: 7680 frames at 240 fps is more than the limit of 1000 frames"),
])
def test_render_failures_are_one_line(tmp_path, args, status, message):
    song = write_midi(tmp_path / "song.mid", 96, [[]], beats=64)      # 32 s
    with open("/dev/full", "w") as full:
        done = subprocess.run([sys.executable, "-m", "kinetrope_rig", "render", "circle",
                               "--midi", song, *[str(a).format(tmp=tmp_path) for a in args]],
                              env=ENV, stdout=full, stderr=subprocess.PIPE, text=True,
                              timeout=RUN_TIMEOUT)
    assert done.returncode == status and "Traceback" not in done.stderr
    assert message.format(tmp=tmp_path) in done.stderr.splitlines()[-1]
    assert not (tmp_path / "x.csv").exists()


def test_a_render_past_the_modules_pips_keeps_every_patterns_phase(tmp_path):
    # One beat per microsecond, 40 million beats: pips up to 2.56e9, past 2**31.
    import mido

    song = mido.MidiFile(ticks_per_beat=1)
    song.tracks.append(mido.MidiTrack([mido.MetaMessage("set_tempo", tempo=1),
                                       mido.MetaMessage("end_of_track", time=40_000_000)]))
    song.save(tmp_path / "fast.mid")
    names = ["circle", "helix", "lfo_breathe", "beat_dancehall_space_ricochet"]
    table = io.StringIO()
    render(TempoMap.from_midi(tmp_path / "fast.mid"), names, 0.5, table)
    rows = list(csv.reader(io.StringIO(table.getvalue())))[1:]
    assert int(rows[-1][2]) > 2**31
    for row in rows:
        pip = int(row[2])
        expected = [v for n in names for v in kinetrope.sample(n, pip % periods()[n]).as_tuple()]
        assert [float(v) for v in row[3:]] == expected


def test_play_runs_past_the_modules_pips():
    done = rig("play", "circle", "--bpm", 1e12, "--seconds", 0.3, "--print")
    assert done.returncode == 0, done.stderr
    pips = [int(line.split()[1]) for line in done.stdout.splitlines()]
    assert pips[-1] > 2**31
