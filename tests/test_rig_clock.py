"""ClockFollower on simulated MIDI clocks: accuracy, smoothness and transport."""

import bisect
import io
import math
import os
import random
from collections import Counter
from types import SimpleNamespace

import pytest

from kinetrope_rig import ClockFollower, follow_stream
from rig_helpers import DyingStream

FPS = 60
BEAT_TICKS = 24


def msg(kind, **fields):
    return SimpleNamespace(type=kind, **fields)


def simulate(bpm_of_tick, seconds=20.0, jitter=0.0, seed=0):
    """Start at 0.9 s, ticks from 1 s at ``bpm_of_tick(n)``, timestamps jittered uniformly
    by ±``jitter``; frames at 60 fps. Returns (tick index in progress, pip, true pip)
    per frame."""
    rng = random.Random(seed)
    ticks, t = [], 1.0
    while t < 1.0 + seconds + 1.0:
        ticks.append(t)
        t += 60.0 / (bpm_of_tick(len(ticks) - 1) * BEAT_TICKS)
    events = [(msg("start"), 0.9)] + [(msg("clock"), s + rng.uniform(-jitter, jitter))
                                      for s in ticks]
    events.sort(key=lambda e: e[1])
    follower = ClockFollower()
    fed, out = 0, []
    for k in range(int(seconds * FPS)):
        now = 1.0 + k / FPS + 0.004
        while fed < len(events) and events[fed][1] <= now:
            follower.feed(*events[fed])
            fed += 1
        i = bisect.bisect_right(ticks, now) - 1
        position = i + (now - ticks[i]) / (ticks[i + 1] - ticks[i])
        out.append((i, follower.pip_at(now), math.floor(position * 8 / 3)))
    return out


def errors(frames, skip=lambda tick: tick < BEAT_TICKS):
    return [pip - true for tick, pip, true in frames if not skip(tick)]


def steps(frames):
    return [b[1] - a[1] for a, b in zip(frames, frames[1:])]


@pytest.mark.parametrize("bpm", [60, 97, 120, 175])
def test_a_steady_clock_without_jitter_is_followed_exactly(bpm):
    frames = simulate(lambda n: bpm, seconds=8)
    assert errors(frames) and set(errors(frames)) == {0}


@pytest.mark.parametrize("seed", range(4))
def test_three_milliseconds_of_jitter_stay_within_a_pip_and_never_stutter(seed):
    frames = simulate(lambda n: 120, seconds=30, jitter=0.003, seed=seed)
    errs = errors(frames)
    counts = Counter(errs)
    assert set(counts) <= {-1, 0, 1}
    assert counts[0] / len(errs) > 0.9
    assert math.sqrt(sum(e * e for e in errs) / len(errs)) < 0.3
    # 128 pips a second at 60 fps is 2.13 a frame: no frame stands still or leaps
    moves = Counter(steps(frames[FPS:]))
    assert set(moves) <= {1, 2, 3} and moves[1] < 0.01 * len(frames)


@pytest.mark.parametrize("name, bpm_of_tick, skip", [
    ("ramp 90 to 150", lambda n: 90 + 60 * min(n, 16 * BEAT_TICKS) / (16 * BEAT_TICKS),
     lambda tick: tick < BEAT_TICKS),
    ("step 120 to 140", lambda n: 120 if n < 8 * BEAT_TICKS else 140,
     lambda tick: tick < BEAT_TICKS or 8 * BEAT_TICKS <= tick < 9 * BEAT_TICKS),
    ("step 140 to 80", lambda n: 140 if n < 8 * BEAT_TICKS else 80,
     lambda tick: tick < BEAT_TICKS or 8 * BEAT_TICKS <= tick < 9 * BEAT_TICKS),
])
def test_tempo_changes_are_followed_within_a_beat(name, bpm_of_tick, skip):
    frames = simulate(bpm_of_tick, seconds=20, jitter=0.003, seed=7)
    assert set(errors(frames, skip)) <= {-1, 0, 1}
    assert min(steps(frames)) >= 0


def test_stop_holds_continue_resumes_and_start_resets():
    follower = ClockFollower()
    tick = 60.0 / (120 * BEAT_TICKS)
    follower.feed(msg("start"), 0.0)
    assert follower.pip_at(0.5) == 0 and not follower.playing
    follower.feed_all((msg("clock"), 1.0 + n * tick) for n in range(30))   # ticks 0..29
    playing = follower.pip_at(1.0 + 29.5 * tick)
    assert playing == math.floor(29.5 * 8 / 3)
    follower.feed(msg("stop"), 1.0 + 29.5 * tick)
    assert [follower.pip_at(1.0 + s) for s in (1, 5, 50)] == [playing] * 3
    # Clocks while stopped move nothing.
    follower.feed_all((msg("clock"), 3.0 + n * tick) for n in range(10))
    assert follower.pip_at(4.0) == playing
    follower.feed(msg("continue"), 5.0)
    follower.feed(msg("clock"), 5.01)                                      # tick 30
    assert follower.pip_at(5.01) == 80 and follower.playing
    follower.feed(msg("start"), 6.0)
    assert follower.pip_at(6.0) == 0
    follower.feed(msg("clock"), 6.1)
    assert follower.pip_at(6.1) == 0 and follower.pip_at(6.1 + tick) == 2


def test_song_position_pointer_sets_the_position_in_sixteenths():
    follower = ClockFollower()
    tick = 60.0 / (100 * BEAT_TICKS)
    follower.feed(msg("start"), 0.0)
    follower.feed_all((msg("clock"), 1.0 + n * tick) for n in range(100))
    follower.feed(msg("stop"), 1.0 + 100 * tick)
    follower.feed(msg("songpos", pos=9), 4.0)            # backwards, while stopped
    assert follower.pip_at(4.5) == 9 * 16
    follower.feed(msg("continue"), 4.5)
    follower.feed(msg("clock"), 5.0)
    assert follower.pip_at(5.0) == 144
    follower.feed_all((msg("clock"), 5.0 + n * tick) for n in range(1, 7))
    assert follower.pip_at(5.0 + 6 * tick) == 144 + 16  # six ticks: a sixteenth


@pytest.mark.parametrize("seed", range(3))
def test_pips_never_run_backwards_while_playing_even_with_wild_stamps(seed):
    rng = random.Random(seed)
    follower = ClockFollower()
    follower.feed(msg("start"), 0.0)
    now, last = 0.0, 0
    for _ in range(2000):
        now += rng.uniform(0.0, 0.03)
        if rng.random() < 0.6:   # ticks of erratic period, some stamped out of order
            follower.feed(msg("clock"), now + rng.uniform(-0.02, 0.02))
        pip = follower.pip_at(now + rng.uniform(-0.01, 0.01))
        assert pip >= last
        last = pip


def test_mido_messages_and_a_raw_byte_stream_drive_it():
    mido = pytest.importorskip("mido")
    follower = ClockFollower()
    follower.feed(mido.Message("songpos", pos=4), 0.0)
    assert follower.pip_at(0.0) == 64
    follower.feed(mido.Message("continue"), 0.1)
    follower.feed(mido.Message("clock"), 0.2)
    follower.feed(mido.Message("note_on"), 0.21)        # other messages are ignored
    assert follower.pip_at(0.2) == 64 and follower.playing

    streamed = ClockFollower()
    stamps = iter(range(1000))
    thread = follow_stream(streamed, io.BytesIO(bytes([0xFA] + [0xF8] * 48 + [0xFC])),
                           clock=lambda: next(stamps) / 100.0, chunk=5)
    thread.join(timeout=5)
    assert not thread.is_alive()
    held = streamed.pip_at(100.0)
    # Stopped after ticks 0..47: held between one tick behind and the pip before tick 48.
    assert not streamed.playing and 122 <= held <= 127 and streamed.pip_at(200.0) == held


@pytest.mark.parametrize("ticks", [24, 25, 26])
def test_a_clock_that_goes_silent_holds_short_of_the_next_tick(ticks):
    follower = ClockFollower()
    tick = 60.0 / (120 * BEAT_TICKS)
    follower.feed(msg("start"), 0.0)
    follower.feed_all((msg("clock"), 1.0 + n * tick) for n in range(ticks))
    # Ticks 0..ticks-1 arrived; tick `ticks` starts at pip ticks * 8/3 and has not.
    held = math.ceil(ticks * 8 / 3) - 1
    assert [follower.pip_at(1.0 + s) for s in (0.6, 2.0, 60.0)] == [held] * 3


def clocked(stamps, tick=60.0 / (120 * BEAT_TICKS)):
    """A follower after start and one clock per stamp; stamps of None are on time."""
    follower = ClockFollower()
    follower.feed(msg("start"), 0.0)
    for n, stamp in enumerate(stamps):
        follower.feed(msg("clock"), 1.0 + n * tick if stamp is None else stamp)
    return follower


@pytest.mark.parametrize("bad", [math.inf, -math.inf, math.nan, 101.0, -50.0, 1.3])
@pytest.mark.parametrize("where", [0, 1, 30])
def test_a_wild_timestamp_costs_at_most_a_pip(bad, where):
    tick = 60.0 / (120 * BEAT_TICKS)
    stamps = [None] * 97
    stamps[where] = bad
    now = 1.0 + 96.5 * tick
    truth = clocked([None] * 97).pip_at(now)
    assert truth == 257
    assert abs(clocked(stamps).pip_at(now) - truth) <= 1


def test_a_time_that_is_not_finite_gives_the_last_pip():
    follower = clocked([None] * 30)
    pip = follower.pip_at(1.6)
    assert follower.pip_at(math.nan) == follower.pip_at(math.inf) == pip


def test_a_reader_that_dies_stops_the_follower_and_says_why():
    follower = ClockFollower()
    thread = follow_stream(follower, DyingStream(bytes([0xFA] + [0xF8] * 30)), chunk=8)
    thread.join(timeout=5)
    assert not thread.is_alive() and not follower.playing
    assert follower.failure == "reading the MIDI clock failed: Input/output error"
    held = follower.pip_at(1e9)
    follower.feed(msg("start"), 0.0)                     # dead is dead
    follower.feed(msg("clock"), 0.1)
    assert not follower.playing and follower.pip_at(2e9) == held


def test_a_reader_of_a_silent_pipe_stops_when_asked():
    read, write = os.pipe()
    try:
        with open(read, "rb", buffering=0) as stream:
            thread = follow_stream(ClockFollower(), stream)
            thread.stop()
            assert not thread.is_alive()
    finally:
        os.close(write)
