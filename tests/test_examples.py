"""The example scripts run as a user would run them."""

import importlib.util
import io
import math
import os
import re
import signal
import subprocess
import sys
from fractions import Fraction
from pathlib import Path

import pytest

import kinetrope

EXAMPLES = Path(__file__).resolve().parent.parent / "examples"
TOUR = str(EXAMPLES / "tour.py")
FOLLOW = str(EXAMPLES / "follow_the_beat.py")


def load(name):
    spec = importlib.util.spec_from_file_location(name, EXAMPLES / f"{name}.py")
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


@pytest.fixture(scope="module")
def tour_output():
    return subprocess.run([sys.executable, TOUR], capture_output=True, text=True, check=True,
                          timeout=60).stdout


def tour_table(out, name):
    """The pips announced above the motion's table, and its rows as (beat, pip, x, y, z)."""
    match = re.search(rf"^{name}\n  pips (\d+) to (\d+), every (\d+): .+\n.*\bbeat\b.*\n"
                      r"((?:  .+\n)+)", out, re.M)
    assert match, f"no table for {name}"
    first, last, step = (int(v) for v in match.group(1, 2, 3))
    rows = [line.split() for line in match.group(4).splitlines()]
    return range(first, last + 1, step), rows


@pytest.mark.parametrize("name", ["bounce", "sway", "circle", "step_touch", "helix",
                                  "single_paradiddle"])
def test_tour_shows_each_motion_moving_at_the_pips_it_announces(tour_output, name):
    announced, rows = tour_table(tour_output, name)
    assert [int(row[1]) for row in rows] == list(announced)
    motion = getattr(kinetrope, name)
    for beat, pip, *xyz in rows:
        assert Fraction(beat) == Fraction(int(pip), kinetrope.PIPS_PER_BEAT)
        assert [float(v) for v in xyz] == pytest.approx(motion(int(pip)).as_tuple(), abs=5e-4)
    assert any(float(v) != 0.0 for row in rows for v in row[2:]), f"{name} shows only zeros"


def test_tour_prints_no_negative_zero(tour_output):
    # step_touch rests at y = -0.0 on the beat, one of the values shown.
    assert math.copysign(1.0, kinetrope.step_touch(0).y) == -1.0
    assert "-0.000" not in tour_output


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
    ok = subprocess.run([sys.executable, FOLLOW, "--bpm", "480", "--bars", "0.25", "--plain",
                         "--pattern", "lfo_breathe"], capture_output=True, text=True, check=True,
                        timeout=60)
    assert "lfo_breathe" in ok.stdout and "frames" in ok.stderr
    bad = subprocess.run([sys.executable, FOLLOW, "--pattern", "no_such_motion", "--bars", "0.1"],
                         capture_output=True, text=True, check=False, timeout=60)
    assert bad.returncode == 2
    assert "Unknown kinetrope rudiment: no_such_motion" in bad.stderr


def run_into_a_closed_pipe(args, lines_read):
    """Runs a script whose reader leaves after `lines_read` lines, as `| head` does;
    returns the exit status and what the script wrote to stderr."""
    if lines_read == 0:
        # The reader is gone before the first write: the script meets it whatever it buffers.
        read_end, write_end = os.pipe()
        os.close(read_end)
        try:
            done = subprocess.run(args, stdout=write_end, stderr=subprocess.PIPE, text=True,
                                  timeout=60)
        finally:
            os.close(write_end)
        return done.returncode, done.stderr
    with subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          text=True) as child:
        try:
            for _ in range(lines_read):
                assert child.stdout.readline()
            child.stdout.close()
            _, err = child.communicate(timeout=60)
        finally:
            child.kill()
    return child.returncode, err


# follow_the_beat writes a frame at a time for eight seconds: the reader leaves long before.
STREAM = [FOLLOW, "--plain", "--bpm", "60", "--bars", "2"]


@pytest.mark.parametrize("args, lines_read", [
    ([TOUR], 0),
    (STREAM, 0),
    (STREAM, 1),
], ids=["tour", "follow_the_beat", "follow_the_beat-after-a-line"])
def test_examples_end_quietly_when_the_reader_goes_away(args, lines_read):
    status, err = run_into_a_closed_pipe([sys.executable, *args], lines_read)
    assert err == ""
    assert status == 141



@pytest.fixture
def no_matplotlib(tmp_path):
    """An import path on which matplotlib is missing, as on a machine without it."""
    shadow = tmp_path / "matplotlib"
    shadow.mkdir()
    (shadow / "__init__.py").write_text(
        "raise ModuleNotFoundError(\"No module named 'matplotlib'\", name='matplotlib')\n")
    return os.pathsep.join(filter(None, [str(tmp_path), os.environ.get("PYTHONPATH")]))


NO_DISPLAY = "no display: --window needs a graphical display; run without --window"


@pytest.mark.skipif(sys.platform in ("darwin", "win32"), reason="X11 and Wayland systems")
@pytest.mark.parametrize("env, message", [
    ({"MPLBACKEND": "agg"}, NO_DISPLAY),
    ({}, NO_DISPLAY),
    # A display is announced, but matplotlib can only draw to files.
    ({"DISPLAY": ":99", "MPLBACKEND": "agg"},
     "no display: matplotlib's backend 'agg' cannot open a window"),
    ({"DISPLAY": ":99", "PYTHONPATH": "{no_matplotlib}"},
     "--window needs matplotlib (pip install matplotlib)"),
], ids=["no-display-agg", "no-display", "agg-backend", "no-matplotlib"])
def test_follow_the_beat_window_refuses_where_it_cannot_open(env, message, no_matplotlib):
    if "matplotlib (" not in message:
        pytest.importorskip("matplotlib")
    base = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env = dict(base, **{k: v.format(no_matplotlib=no_matplotlib) for k, v in env.items()})
    done = subprocess.run([sys.executable, FOLLOW, "--window", "--bars", "0.1"],
                          capture_output=True, text=True, env=env, timeout=120)
    assert done.returncode == 2
    assert message in done.stderr
    assert "Traceback" not in done.stderr and "Warning" not in done.stderr
    assert "frames" not in done.stderr


def test_follow_the_beat_help_shows_the_defaults():
    done = subprocess.run([sys.executable, FOLLOW, "--help"], capture_output=True, text=True,
                          check=True, timeout=60)
    # argparse wraps help text at the terminal width; compare it unwrapped.
    text = " ".join(done.stdout.split())
    for option, default in [("--bpm", "120.0"), ("--pattern", "circle"), ("--bars", "2.0"),
                            ("--fps", "30.0")]:
        shown = rf"{option} \S+ (?:(?!--).)*\(default: {re.escape(default)}\)"
        assert re.search(shown, text), option


def test_follow_the_beat_stops_quietly_on_ctrl_c():
    with subprocess.Popen([sys.executable, *STREAM], stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, text=True) as child:
        try:
            assert child.stdout.readline()
            child.send_signal(signal.SIGINT)
            _, err = child.communicate(timeout=60)
        finally:
            child.kill()
    assert child.returncode == 130
    assert "Traceback" not in err
