"""The example scripts run as a user would run them."""

import importlib.util
import io
import re
import subprocess
import sys
from pathlib import Path

import pytest

EXAMPLES = Path(__file__).resolve().parent.parent / "examples"


def load(name):
    spec = importlib.util.spec_from_file_location(name, EXAMPLES / f"{name}.py")
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def test_tour_prints_a_table_per_motion():
    out = subprocess.run([sys.executable, str(EXAMPLES / "tour.py")], capture_output=True,
                         text=True, check=True).stdout
    for name in ("bounce", "circle", "single_paradiddle"):
        assert f"\n{name}\n" in out
    # bounce at pip 32 (half a beat) is at its top
    assert re.search(r"0\.50\s+32\s+1\.000", out)


@pytest.mark.parametrize("seconds, bpm, pip", [
    (0.0, 120, 0), (0.5, 120, 64), (0.5078125, 120, 65), (-0.001, 120, -1), (60.0, 90, 5760),
])
def test_pip_from_clock(seconds, bpm, pip):
    assert load("follow_the_beat").pip_at(seconds, bpm) == pip


def test_follow_the_beat_tracks_the_clock_without_drift():
    follow = load("follow_the_beat")
    now = [0.0]
    # A fake clock that advances a little unevenly, as real frames do.
    steps = iter([0.0, 0.0] + [0.031 + (i % 3) * 0.004 for i in range(1000)])

    def clock():
        now[0] += next(steps)
        return now[0]

    out = io.StringIO()
    frames = follow.run_terminal("circle", bpm=120.0, bars=0.5, fps=30.0, ansi=False,
                                 out=out, clock=clock, sleep=lambda s: None)
    lines = out.getvalue().splitlines()
    assert frames == len(lines) > 10
    pips = [int(re.search(r"pip\s+(-?\d+)", line).group(1)) for line in lines]
    assert pips == sorted(pips) and pips[0] == 0
    assert pips[-1] < 128  # half a bar at 120 bpm is two beats: pips 0 .. 127
    x, y = (float(v) for v in re.search(r"x=(\S+) y=(\S+)", lines[0]).groups())
    assert (x, y) == (0.0, -1.0)


def test_follow_the_beat_headless_run_and_unknown_name():
    script = str(EXAMPLES / "follow_the_beat.py")
    ok = subprocess.run([sys.executable, script, "--bpm", "480", "--bars", "0.25", "--plain",
                         "--pattern", "lfo_breathe"], capture_output=True, text=True, check=True)
    assert "lfo_breathe" in ok.stdout and "frames" in ok.stderr
    bad = subprocess.run([sys.executable, script, "--pattern", "no_such_motion", "--bars", "0.1"],
                         capture_output=True, text=True, check=False)
    assert bad.returncode == 2
    assert "Unknown kinetrope rudiment: no_such_motion" in bad.stderr
