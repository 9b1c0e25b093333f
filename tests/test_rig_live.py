"""A show on stage: the status view and line, edits taken in at a bar line without a gap,
a second Ctrl-C, a stopped clock shown, and one output failing while the others go on."""

import io
import os
import select
import signal
import socket
import subprocess
import textwrap
import time

import pytest

import kinetrope
from kinetrope_rig.frame import Frame
from kinetrope_rig.player import Player, TimeSource
from kinetrope_rig.show import ShowFrames, load_show
from kinetrope_rig.status import Status, position
from rig_helpers import SacnLog, in_namespace, listener
from test_rig_cli import ENV, RUN_TIMEOUT, running


class Quiet:
    name = "quiet"

    def send(self, frame):
        pass

    def blackout(self):
        pass

    def close(self):
        pass


def simulated(status, seconds=3.0, fps=60.0):
    """Play ``seconds`` of a 120 bpm circle on a clock that moves only when the player
    sleeps, with ``status`` watching."""
    now = [100.0]
    status.clock = lambda: now[0]
    source = TimeSource("steady tempo", lambda s: int(s * 128), lambda s: 120.0,
                        state=lambda: "playing")
    player = Player(source, lambda s, pip: Frame(s, pip, ["c"], [kinetrope.circle(pip).as_tuple()]),
                    [Quiet()], fps=fps, seconds=seconds, watchers=[status],
                    report=status.report, clock=lambda: now[0],
                    sleep=lambda s: now.__setitem__(0, now[0] + s))
    player.run()
    return player


@pytest.mark.parametrize("pip, shown", [(0, "1.1.00"), (63, "1.1.63"), (64, "1.2.00"),
                                        (256 * 3 + 130, "4.3.02"), (-1, "0.4.63")])
def test_positions_are_bar_beat_pip(pip, shown):
    assert position(pip) == shown


def test_the_plain_line_comes_every_interval_and_says_what_plays():
    out = io.StringIO()
    simulated(Status(out, live=False, interval=1.0), seconds=3.5)
    lines = out.getvalue().splitlines()
    assert len(lines) == 3
    words = lines[0].split()
    assert words[:2] == ["1.0", "s"] and words[2].startswith("1.3.")      # beat 3 at 1 s
    assert words[3:13] == ["steady", "tempo:", "120.0", "bpm,", "playing", "60.0", "fps,",
                           "0", "dropped", "quiet:"]
    assert 60 <= int(words[13]) <= 62 and words[14:] == ["sent,", "0", "failed"]


def test_the_live_view_shows_tempo_position_rate_outputs_and_fixtures():
    rich_console = pytest.importorskip("rich.console")
    status = Status(io.StringIO(), live=False,
                    aims=lambda frame: [("spot1", 271.25, 135.0, 0.5), ("wash1", 10.0, 20.0, None)])
    status.report("show.toml: taken in at bar 3")
    player = simulated(status, seconds=0.5)
    frame = Frame(0.5, 64, ["c"], [(0.0, 0.0, 0.0)])
    screen = rich_console.Console(file=io.StringIO(), width=100, color_system=None)
    screen.print(status.view(player, frame, 100.5))
    text = screen.file.getvalue()
    for part in ("1.2.00", "steady tempo: 120.0 bpm, playing", "60.0 fps, 0 dropped",
                 "quiet", "spot1 271.2° 135.0°  50%", "wash1  10.0°  20.0°",
                 "taken in at bar 3"):
        assert part in text, part


# -- edits while a show plays ---------------------------------------------------------------

SHOW = """
[tempo]
bpm = 960                  # a bar every quarter of a second

{outputs}

[types.head]
channels = 5
pan_offset = 0
tilt_offset = 2
dimmer_offset = 4
pan_travel = 540
tilt_travel = 270

[[patch]]
type = "head"
name = "head"
count = 4
universe = 1
address = 1

[groups]
all = ["head1", "head2", "head3", "head4"]

[[effects]]
group = "all"
pattern = "{pattern}"
spread = "1/2"
"""
SACN = '[[outputs]]\nprotocol = "sacn"\nuniverse = 1\nhost = "127.0.0.1"\n'
ARTNET = '[[outputs]]\nprotocol = "artnet"\nuniverse = 0\nhost = "127.0.0.1"\n'
OSC = '[[outputs]]\nprotocol = "osc"\nhost = "127.0.0.1"\nport = {port}\n'


def save(path, text):
    """Write as an editor saves: whole, then renamed into place."""
    part = path.with_suffix(".part")
    part.write_text(text)
    os.replace(part, path)


def test_an_edit_is_taken_in_at_a_bar_line_without_a_gap(tmp_path):
    path = tmp_path / "show.toml"
    first = SHOW.format(outputs=SACN + ARTNET, pattern="circle")
    save(path, first)
    with SacnLog(1) as log, listener(socket.AF_INET, ("127.0.0.1", 6454), 0.05) as artnet, \
            listener(socket.AF_INET, ("127.0.0.1", 0), 0.05) as osc:
        second = SHOW.format(outputs=SACN + OSC.format(port=osc.getsockname()[1]),
                             pattern="figure_eight")
        got: dict[socket.socket, list] = {artnet: [], osc: []}
        with running("play", path, "--seconds", 3.5, "--status-every", 0.5) as proc:
            start = time.monotonic()
            steps = [(1.0, SHOW.format(outputs=SACN, pattern="no_such")), (2.0, second)]
            while time.monotonic() - start < RUN_TIMEOUT:
                if steps and time.monotonic() - start > steps[0][0]:
                    save(path, steps.pop(0)[1])
                ready = select.select(list(got), [], [], 0.05)[0]
                for sock in ready:        # drained as they come: the queues are small
                    got[sock].append((time.monotonic(), sock.recv(65536)))
                if not ready and proc.poll() is not None:
                    break
            _, err = proc.communicate(timeout=RUN_TIMEOUT)
        art, bundles = got[artnet], got[osc]
        log.wait_for(lambda log: (1, "timeout") in log.availability)
    assert proc.returncode == 0 and "Traceback" not in err, err
    assert f"{path}: changed, but not taken in; the show plays on:" in err
    assert f"{path}: effects[0]: Unknown kinetrope rudiment: no_such" in err
    assert f"{path}: taken in at bar" in err
    before = {ShowFrames(load_show_text(tmp_path, first)).frame(0, p).universes[1]
              for p in range(256)}
    after = {ShowFrames(load_show_text(tmp_path, second)).frame(0, p).universes[1]
             for p in range(256)}
    frames = log.frames
    lit = frames[:frames.index(bytes(512))]          # up to the final blackout
    kinds = ["before" if f in before else "after" if f in after else "neither" for f in lit]
    assert "neither" not in kinds and "before" in kinds and "after" in kinds
    switch = kinds.index("after")
    assert all(k == "after" for k in kinds[switch:])  # one change, and no black frame
    # The output the edit removed went dark and quiet; the one it added began.
    assert art and art[-1][1][18:] == bytes(512)
    assert bundles and bundles[0][0] > art[-1][0] - 0.2


def load_show_text(folder, text):
    path = folder / "copy.toml"
    path.write_text(text)
    return load_show(path)


# -- stopping -----------------------------------------------------------------------------

def test_a_second_ctrl_c_during_the_blackout_exits_at_once(tmp_path):
    outputs = "".join(SACN.replace("universe = 1", f"universe = {u}") for u in range(1, 9))
    path = tmp_path / "show.toml"
    save(path, SHOW.format(outputs=outputs, pattern="circle").replace(
        'universe = 1\naddress = 1', 'universe = 1\naddress = 1'))
    with SacnLog(1) as log:
        with running("play", path, "--seconds", 30) as proc:
            log.wait_for(lambda log: len(log.frames) > 5, timeout=30)
            proc.send_signal(signal.SIGINT)
            log.wait_for(lambda log: bytes(512) in log.frames)   # the blackout has begun
            proc.send_signal(signal.SIGINT)
            sent = time.monotonic()
            _, err = proc.communicate(timeout=RUN_TIMEOUT)
            took = time.monotonic() - sent
    assert proc.returncode == 130 and "Traceback" not in err
    assert "interrupted again: exiting without finishing the blackout" in err
    assert took < 0.25


def test_a_clock_that_stops_holds_and_the_status_says_so():
    with running("play", "circle", "--midi-clock", "-", "--seconds", 2, "--status-every", 0.4,
                 stdin=subprocess.PIPE, text=False) as proc:
        proc.stdin.write(b"\xfa" + b"\xf8" * 24 + b"\xfc")
        proc.stdin.flush()
        time.sleep(1.5)
        _, err = proc.communicate(timeout=RUN_TIMEOUT)
    lines = err.decode().splitlines()
    held = [line for line in lines if "MIDI clock -" in line and "stopped, holding" in line]
    assert proc.returncode == 0 and held
    assert all(" 1.1.6" in line for line in held)      # held short of beat 2: pip 61..63


# A show whose Art-Net node becomes unreachable for a while: sACN and OSC go on.
UNREACHABLE = textwrap.dedent("""
    import json, select, socket, subprocess, sys, time

    def ip(*args):
        subprocess.run(["ip", *args], check=True, env=without_preload)

    ip("route", "add", "10.9.9.0/24", "dev", "lo")
    sacn = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sacn.bind(("127.0.0.1", 5568))
    path = sys.argv[1]
    play = subprocess.Popen([sys.executable, "-m", "kinetrope_rig", "play", path,
                             "--seconds", "3", "--quiet"], stderr=subprocess.PIPE, text=True)
    start, seen, gone = time.monotonic(), [], None
    while time.monotonic() - start < 30:
        ready = select.select([sacn], [], [], 0.05)[0]
        if ready:
            seen.append(time.monotonic())
            sacn.recv(2000)
        if gone is None and time.monotonic() - start > 1.0:
            ip("route", "replace", "unreachable", "10.9.9.0/24")
            gone = time.monotonic()
        if not ready and play.poll() is not None:
            break
    err = play.stderr.read()
    play.wait()
    print(json.dumps({"rc": play.returncode, "err": err, "gone": gone, "seen": seen}))
""")


def test_an_output_that_cannot_reach_its_node_does_not_stop_the_others(tmp_path):
    path = tmp_path / "show.toml"
    outputs = SACN + ARTNET.replace("127.0.0.1", "10.9.9.9")
    save(path, SHOW.format(outputs=outputs, pattern="circle"))
    seen = in_namespace(UNREACHABLE.replace("sys.argv[1]", repr(str(path))), ENV)
    err, gone, times = seen["err"], seen["gone"], seen["seen"]
    assert seen["rc"] == 0 and "Traceback" not in err, err
    assert "Art-Net port-address 0 to 10.9.9.9: send failed (No route to host)" in err
    assert "sACN" not in err.splitlines()[-1]            # sACN lost nothing
    gaps = [b - a for a, b in zip(times, times[1:]) if a > gone - 0.5]
    assert times[-1] - gone > 1.5 and max(gaps) < 0.1
