"""Costs of kinetrope_rig against its targets, measured in this one run.

- play: eight patterns to OSC at 60 frames a second, through the command line's own code,
  for a few seconds of real playing to a UDP socket on 127.0.0.1 that nobody reads; the
  process's CPU time (time.process_time) over the wall time is the share of one core.
  Target: under 2%.
- render: a five-minute MIDI file with a tempo change every bar, 60 frames a second, eight
  patterns, to a CSV file. Target: under 2 s (best of three).

Usage: python benchmarks/bench_rig.py [--seconds 4]
"""

import argparse
import contextlib
import io
import os
import socket
import sys
import tempfile
import time

import mido

import kinetrope
from _timing import report
from kinetrope_rig import TempoMap, render
from kinetrope_rig.__main__ import main

PATTERNS = [e["name"] for e in kinetrope.catalogue()[::211]][:8]


def play_cpu_share(seconds):
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sink:
        sink.bind(("127.0.0.1", 0))          # bound, never read: datagrams overflow and drop
        port = sink.getsockname()[1]

        def play(duration):
            args = ["play", *PATTERNS, "--bpm", "120", "--fps", "60",
                    "--osc", f"127.0.0.1:{port}", "--seconds", str(duration)]
            with contextlib.redirect_stderr(stderr):
                return main(args)

        stderr = io.StringIO()
        play(0.2)                 # the first run pays for importing python-osc: not counted
        stderr = io.StringIO()
        cpu, wall = time.process_time(), time.perf_counter()
        status = play(seconds)
        cpu, wall = time.process_time() - cpu, time.perf_counter() - wall
    assert status == 0, stderr.getvalue()
    frames = int(stderr.getvalue().split()[0])
    return cpu / wall, frames, wall


def five_minute_song(path):
    """600 beats at 110..130 bpm, a tempo change every four beats (about five minutes)."""
    track = mido.MidiTrack()
    for bar in range(150):
        bpm = 110 + (bar * 7) % 21
        track.append(mido.MetaMessage("set_tempo", tempo=round(60e6 / bpm),
                                      time=0 if bar == 0 else 4 * 480))
    track.append(mido.MetaMessage("end_of_track", time=4 * 480))
    song = mido.MidiFile(ticks_per_beat=480)
    song.tracks.append(track)
    song.save(path)


def render_seconds(folder, repeat=3):
    song = os.path.join(folder, "five_minutes.mid")
    five_minute_song(song)
    tempo = TempoMap.from_midi(song)
    out_path = os.path.join(folder, "track.csv")
    best = float("inf")
    for _ in range(repeat):
        start = time.perf_counter()
        with open(out_path, "w", newline="") as out:
            frames = render(tempo, PATTERNS, 60.0, out)
        best = min(best, time.perf_counter() - start)
    return best, frames, tempo.duration, os.path.getsize(out_path)


def run(seconds):
    share, frames, wall = play_cpu_share(seconds)
    print(f"play: {len(PATTERNS)} patterns to OSC, {frames} frames in {wall:.2f} s "
          f"({frames / wall:.1f} fps), CPU {share * 100:.3f}% of one core "
          f"({share * 100 / 2.0:.2f} of the 2% target)")
    with tempfile.TemporaryDirectory() as folder:
        best, count, duration, size = render_seconds(folder)
    print(f"render: {count} frames of {duration:.1f} s, {len(PATTERNS)} patterns, "
          f"{size / 1e6:.1f} MB of CSV in {best:.3f} s ({best / 2.0:.2f} of the 2 s target)")
    report("kinetrope_rig against its targets", [
        ("play CPU, % of one core", share * 100, 2.0),
        ("render five minutes, s", best, 2.0),
    ])


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=4.0, help="how long to play")
    sys.exit(run(parser.parse_args().seconds))
