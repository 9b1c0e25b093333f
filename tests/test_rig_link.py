"""Following an Ableton Link session: the pip count's rules, then two real peers (another
process at 133 bpm, and the follower) in a network namespace of the test's own, so that
nothing leaves the machine."""

import math
import sys
import textwrap
import time
import types

import pytest
from hypothesis import given, strategies as st

from kinetrope_rig import MissingDependency
from kinetrope_rig.link import LinkFollower, SessionPips
from rig_helpers import in_namespace
from test_rig_cli import ENV

BAR = 4 * 64


# -- the pip count, without a network ------------------------------------------------------

@given(st.lists(st.floats(-3.0, 3.0), min_size=1, max_size=60), st.integers(1, 7))
def test_the_pip_never_goes_back_and_moves_only_in_phase(steps, quantum):
    pips, beat = SessionPips(quantum), 10.0
    pips.start(beat, on_the_bar=False)
    last = pips.at(beat)
    assert last == math.floor(beat * 64) % (quantum * 64)   # below one bar, in phase
    for step in steps:
        beat += step
        pip = pips.at(beat)
        assert pip >= last
        if pip != last:
            assert (pip - math.floor(beat * 64)) % (quantum * 64) == 0
        last = pip


@pytest.mark.parametrize("beats, pips", [
    ([5.0, 6.0, 5.99, 6.02], [64, 128, 128, 129]),       # a step back a little: held
    ([5.0, 6.0, 3.5, 4.0], [64, 128, 224, 256]),          # half a bar: in phase, a bar on
    ([5.0, 7.5, 7.0], [64, 224, 224]),                    # forward, then held
])
def test_a_step_back_holds_or_goes_on_in_phase_whichever_moves_less(beats, pips):
    count = SessionPips(4)
    count.start(beats[0] - 1.0, on_the_bar=False)          # the bar line at beat 4 is pip 0
    assert [count.at(beat) for beat in beats] == pips


def test_a_transport_starts_on_a_bar_line_and_stops_where_it_is():
    count = SessionPips(4)
    assert count.at(9.0) == 0                              # stopped until started
    count.start(9.3, on_the_bar=True)                     # the bar line at beat 12
    assert [count.at(b) for b in (9.3, 11.99, 12.0, 13.5)] == [0, 0, 0, 96]
    assert count.stop(13.75) == 112
    assert count.at(20.0) == 112
    count.start(21.0, on_the_bar=True)                    # on from the next whole bar
    assert [count.at(b) for b in (23.0, 24.0, 25.0)] == [112, BAR, BAR + 64]
    assert count.stop(26.0) == BAR + 128
    count.start(27.999, on_the_bar=True)                   # a start a hair after the bar
    assert count.at(28.0) == 2 * BAR


@pytest.mark.parametrize("module", [None, types.ModuleType("link")])
def test_without_the_binding_the_follower_names_the_link_extra(monkeypatch, module):
    monkeypatch.setitem(sys.modules, "link", module)
    with pytest.raises(MissingDependency) as info:
        LinkFollower()
    assert "'LinkPython-extern' package" in str(info.value)
    assert "pip install kinetrope[link]" in str(info.value)


class DyingBinding(types.ModuleType):
    """A binding whose session can be read once, standing at beat 23.25, and then fails."""

    def __init__(self):
        super().__init__("link")
        binding = self

        class State:
            def tempo(self):
                return 120.0

            def isPlaying(self):
                return False

            def beatAtTime(self, micros, quantum):
                return 23.25

        class Link:
            def __init__(self, bpm):
                self.enabled = self.startStopSyncEnabled = False
                self.reads = 0

            def clock(self):
                return types.SimpleNamespace(micros=lambda: 10_000_000)

            def captureAppSessionState(self):
                self.reads += 1
                if self.reads > 1:
                    raise RuntimeError("the session's thread died")
                return State()

        binding.Link = Link


def test_a_binding_that_fails_holds_the_pip_and_says_why(monkeypatch):
    monkeypatch.setitem(sys.modules, "link", DyingBinding())
    with LinkFollower() as follower:
        assert follower.pip_at(time.monotonic()) == 208 and follower.failure is None
        assert follower.pip_at(time.monotonic()) == 208
        assert follower.failure == "the Link session failed: the session's thread died"
        assert (follower.peers, follower.playing, follower.bpm) == (0, False, 120.0)


# -- two peers --------------------------------------------------------------------------------

# The other peer: tempo and transport as told, and its beats (quantum 4) at times it is
# given on Link's clock, one JSON line each.
PEER = """
import json, sys, link
peer = link.Link(133.0)
peer.startStopSyncEnabled = True
peer.enabled = True
print("{}", flush=True)
for line in sys.stdin:
    ask = json.loads(line)
    now = peer.clock().micros()
    state = peer.captureAppSessionState()
    if "tempo" in ask:
        state.setTempo(ask["tempo"], now)
    if "play" in ask:
        state.setIsPlaying(ask["play"], now)
    peer.commitAppSessionState(state)
    print(json.dumps({"now": now, "beat": state.beatAtTime(now, 4),
                      "beats": [state.beatAtTime(t, 4) for t in ask.get("beats", [])]}),
          flush=True)
    if ask.get("leave"):
        break
peer.enabled = False
"""

# The follower (with start/stop sync, and for a while a second one without) joins the
# peer's session and plays frames at 60 a second as the peer starts, changes tempo, stops,
# starts again and leaves. Every frame is stamped on Link's clock as read here
# (CLOCK_MONOTONIC_RAW on Linux), apart from the follower's own conversion.
SESSION = textwrap.dedent("""
    import json, subprocess, sys, time
    from kinetrope_rig.link import LinkFollower

    peer = subprocess.Popen([sys.executable, "-c", PEER], stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, text=True)

    def ask(**what):
        peer.stdin.write(json.dumps(what) + "\\n")
        peer.stdin.flush()
        return json.loads(peer.stdout.readline())

    def stamp():    # time.monotonic(), and the same instant in microseconds of Link's clock
        before = time.clock_gettime(time.CLOCK_MONOTONIC_RAW)
        now = time.monotonic()
        after = time.clock_gettime(time.CLOCK_MONOTONIC_RAW)
        return now, round((before + after) * 5e5)

    def frames(seconds, *followers):
        got, due = [], time.monotonic()
        for _ in range(round(seconds * 60)):
            time.sleep(max(0.0, due - time.monotonic()))
            now, at = stamp()
            got.append([at, *[[f.pip_at(now), f.bpm, f.peers] for f in followers]])
            due += 1 / 60
        return got

    def with_beats(got):
        beats = ask(beats=[at for at, *_ in got])["beats"]
        return [[beat, *rest] for beat, (_, *rest) in zip(beats, got)]

    peer.stdout.readline()
    # Older by more than Link's half a second, the peer's session keeps its tempo.
    time.sleep(0.7)
    # Seconds until the follower has the session's tempo; its pip runs meanwhile, and for
    # ``settle`` seconds more.
    def join(follower, settle=0.0):
        started, joined = time.monotonic(), None
        while time.monotonic() - started < 3 + settle:
            follower.pip_at(time.monotonic())
            if joined is None and follower.peers and abs(follower.bpm - 133) < 0.01:
                joined = time.monotonic() - started
            if joined is not None and time.monotonic() - started > joined + settle:
                break
            time.sleep(0.005)
        return joined

    seen = {}
    # One at a time: Link peers that join together may settle on either one's tempo.
    started = time.monotonic()
    with LinkFollower(4, start_stop_sync=True) as synced:
        seen["join"] = [time.monotonic() - started, join(synced), synced.bpm, synced.playing]
        free = LinkFollower(4)
        # The phase moves as it joins; a step back holds the pip for up to half a bar.
        seen["join_free"] = [join(free, settle=1.0), free.playing]
        seen["stopped"] = with_beats(frames(0.3, synced, free))
        seen["start"] = ask(play=True)
        seen["playing"] = with_beats(frames(2.5, synced, free))
        seen["change"] = ask(tempo=150)
        seen["changed"] = with_beats(frames(1.5, synced, free))
        free.close()
        seen["stop"] = ask(play=False)
        seen["stopped_again"] = with_beats(frames(0.5, synced))
        seen["restart"] = ask(play=True)
        seen["restarted"] = with_beats(frames(2.5, synced))
        seen["leave"] = ask(leave=True)
        peer.wait(timeout=10)
        seen["alone"] = frames(1, synced)
        seen["end"] = [synced.playing, synced.failure]
    print(json.dumps(seen))
""").replace("PEER", repr(PEER))


@pytest.fixture(scope="module")
def session():
    pytest.importorskip("link", reason="the Link binding (kinetrope[link]) is not installed")
    return in_namespace(SESSION, ENV)


# The pip is the floor of the exact position: an error in (-1, 0] pip. A frame's two
# time stamps lie a few microseconds apart, a few thousandths of a pip.
ONE_PIP = 1.01


def report(what, errors):
    """Prints the errors (the pip less the exact position in pips) and returns the largest."""
    worst = max(map(abs, errors))
    print(f"\nLink, {what}: {len(errors)} frames, pip error {min(errors):+.3f} to "
          f"{max(errors):+.3f}, largest {worst:.3f} pip")
    return worst


def test_joining_a_session_takes_its_tempo_within_a_second(session):
    made, joined, bpm, playing = session["join"]
    free_joined, free_playing = session["join_free"]
    print(f"\nLink, joining: 133 bpm seen {made:.3f} + {joined:.3f} s after starting, "
          f"as {bpm!r} bpm (without start/stop sync: {free_joined:.3f} s)")
    # Link sends a tempo as whole microseconds a beat: 451128 for 133 bpm.
    assert made + joined < 1.0 and free_joined < 1.0 and abs(bpm - 133) < 0.01
    assert (playing, free_playing) == (False, True)
    assert all(synced == 0 and peers == 2 for _, (synced, _, peers), _ in session["stopped"])


def phase_errors(frames, column):
    """Each frame's pip less 64 times the peer's beat, within a bar (in phase)."""
    return [(frame[column][0] - 64 * frame[0] + BAR / 2) % BAR - BAR / 2 for frame in frames]


def transport_errors(frames, start_beat, base, held):
    """Each frame's pip less the exact count from the first bar line at or after
    ``start_beat``, counting from ``base``; ``held`` until that bar line."""
    bar_line = 4 * math.ceil(start_beat / 4)
    return [pip - (held if beat < bar_line else base + 64 * (beat - bar_line))
            for beat, (pip, _, _), *_ in frames]


def test_the_pip_follows_the_peers_beat_within_one_pip(session):
    start = session["start"]["beat"]
    synced = transport_errors(session["playing"], start, 0, 0)
    free = phase_errors(session["playing"] + session["stopped"], 2)
    assert report("133 bpm, transport from the peer's start", synced) <= ONE_PIP
    assert report("133 bpm, without start/stop sync", free) <= ONE_PIP
    assert session["playing"][-1][1][0] >= 64             # it played past the bar line


def test_a_change_of_tempo_is_followed_within_one_beat(session):
    frames = session["changed"]
    first = next(i for i, (_, (_, bpm, _), _) in enumerate(frames) if bpm == 150)
    beats = frames[first][0] - session["change"]["beat"]
    print(f"\nLink, tempo 133 -> 150: seen after {first} frames, {beats:.3f} beat")
    assert beats < 1 and all(bpm == 150 for _, (_, bpm, _), _ in frames[first:])
    synced = transport_errors(frames, session["start"]["beat"], 0, 0)
    free = phase_errors(frames, 2)
    # Until the change is heard (Link sends at most every 50 ms), the pip runs at 133 bpm.
    assert report("the first beat at 150 bpm", synced[:first + 24]) <= ONE_PIP + 1
    assert report("150 bpm, from one beat after the change", synced[first + 24:]) <= ONE_PIP
    assert report("150 bpm, without start/stop sync", free[first + 24:]) <= ONE_PIP


def test_start_and_stop_follow_the_session(session):
    start, stop, restart = session["start"], session["stop"], session["restart"]
    stopped = session["stopped_again"]
    pips = [pip for _, (pip, _, _) in stopped]
    held = pips[-1]
    at_stop = 64 * (stop["beat"] - 4 * math.ceil(start["beat"] / 4))
    print(f"\nLink, stop: held {held - at_stop:+.3f} pip from the stop "
          f"({pips.index(held)} frames to hold)")
    assert pips == sorted(pips) and pips.count(held) >= len(pips) - 6
    # Link sends a state change at most every 50 ms: the pip may run on until it is heard.
    assert -ONE_PIP <= held - at_stop <= 64 * 150 / 60 * 0.06 + ONE_PIP
    base = BAR * math.ceil(held / BAR)
    errors = transport_errors(session["restarted"], restart["beat"], base, held)
    assert report("restarted on the next bar line", errors) <= ONE_PIP
    assert session["restarted"][-1][1][0] > base + 64


def test_when_the_peer_leaves_the_follower_goes_on_at_its_tempo(session):
    leave, frames = session["leave"], session["alone"]
    assert all(bpm == 150 and peers == 0 for _, (_, bpm, peers) in frames)
    start = 4 * math.ceil(session["restart"]["beat"] / 4)
    base = BAR * math.ceil(session["stopped_again"][-1][1][0] / BAR)
    beats = [leave["beat"] + (at - leave["now"]) * 150 / 60e6 for at, _ in frames]
    errors = [pip - (base + 64 * (beat - start)) for beat, (_, (pip, _, _)) in zip(beats, frames)]
    assert report("alone at 150 bpm", errors) <= ONE_PIP
    assert session["end"] == [True, None]


# The command line, following a peer at 133 bpm: what its status line says.
COMMAND_LINE = textwrap.dedent("""
    import json, subprocess, sys, time
    peer = subprocess.Popen([sys.executable, "-c", PEER], stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, text=True)
    peer.stdout.readline()
    time.sleep(0.7)                       # the older session keeps its tempo
    play = subprocess.run([sys.executable, "-m", "kinetrope_rig", "play", "circle", "--link",
                           "--seconds", "2.5", "--status-every", "0.5"],
                          capture_output=True, text=True, timeout=60)
    peer.stdin.write(json.dumps({"leave": True}) + "\\n")
    peer.stdin.flush()
    peer.wait(timeout=10)
    print(json.dumps({"rc": play.returncode, "err": play.stderr}))
""")


def test_play_follows_a_link_session_and_says_so():
    seen = in_namespace(f"PEER = {PEER!r}\n" + COMMAND_LINE, ENV)
    lines = seen["err"].splitlines()
    assert seen["rc"] == 0, seen["err"]
    assert any("Ableton Link: 133.0 bpm, 1 peer" in line for line in lines[2:-1])
