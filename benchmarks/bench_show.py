"""A show of 512 moving heads played live, against its targets, measured in this one run.

512 heads, each 16-bit pan and tilt and a dimmer (5 channels), on 6 universes of sACN sent
to a listener on 127.0.0.1 that reads every packet; 8 groups of 64, each with one effect
fanned across it, and a dimmer effect on half of them. ``play`` runs as a process of its
own at 60 frames a second; its CPU time (user and system) over the wall time is its share
of one core. Targets: at most 15% of one core, and no dropped frame.

Usage: python benchmarks/bench_show.py [--seconds 30] [--profile FILE]
"""

import argparse
import os
import re
import resource
import select
import socket
import subprocess
import sys
import tempfile
import threading
import time

from _timing import report

HEADS, GROUP, UNIVERSES, FPS = 512, 64, 6, 60
PATTERNS = ["circle", "figure_eight", "lfo_breathe", "helix", "sway", "box_step",
            "single_paradiddle", "flam"]


def show_text():
    per_universe = -(-HEADS // UNIVERSES)
    lines = ["[tempo]", "bpm = 128", "",
             "[[outputs]]", 'protocol = "sacn"',
             f"universes = {list(range(1, UNIVERSES + 1))}", 'host = "127.0.0.1"', "",
             "[types.head]", "channels = 5", "pan_offset = 0", "tilt_offset = 2",
             "dimmer_offset = 4", "pan_travel = 540", "tilt_travel = 270", ""]
    for universe in range(1, UNIVERSES + 1):
        count = min(per_universe, HEADS - (universe - 1) * per_universe)
        lines += ["[[patch]]", 'type = "head"', f'name = "u{universe}h"', f"count = {count}",
                  f"universe = {universe}", "address = 1", ""]
    names = [f"u{u}h{n}" for u in range(1, UNIVERSES + 1)
             for n in range(1, min(per_universe, HEADS - (u - 1) * per_universe) + 1)]
    lines.append("[groups]")
    groups = [names[i:i + GROUP] for i in range(0, HEADS, GROUP)]
    for g, members in enumerate(groups):
        lines.append(f"g{g} = {members!r}".replace("'", '"'))
    for g, pattern in zip(range(len(groups)), PATTERNS):
        lines += ["", "[[effects]]", f'group = "g{g}"', f'pattern = "{pattern}"',
                  'rate = "1/2"', "size = 0.8", "spread = 1", f"wings = {1 + g % 2}"]
        if g % 2:
            lines.append('dimmer = { pattern = "lfo_breathe", spread = "1/2" }')
    return "\n".join(lines) + "\n"


def listen(stop, counts):
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        sock.bind(("127.0.0.1", 5568))
        while not stop.is_set():
            if select.select([sock], [], [], 0.1)[0]:
                sock.recv(2000)
                counts[0] += 1


def run(seconds, profile):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "show.toml")
        with open(path, "w") as out:
            out.write(show_text())
        stop, counts = threading.Event(), [0]
        thread = threading.Thread(target=listen, args=(stop, counts))
        thread.start()
        command = [sys.executable]
        if profile:
            command += ["-m", "cProfile", "-o", profile]
        command += ["-m", "kinetrope_rig", "play", path, "--seconds", str(seconds),
                    "--quiet", "--fps", str(FPS)]
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        done = subprocess.run(command, capture_output=True, text=True, check=False)
        wall = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        time.sleep(0.3)
        stop.set()
        thread.join()
    if done.returncode:
        sys.exit(f"play failed ({done.returncode}): {done.stderr}")
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    summary = done.stderr.strip().splitlines()[-1]
    frames = int(summary.split()[0])
    dropped = int(m.group(1)) if (m := re.search(r"(\d+) dropped", summary)) else 0
    share = cpu / wall * 100
    print(f"{HEADS} heads on {UNIVERSES} universes, {HEADS // GROUP} fanned effects: "
          f"{frames} frames in {wall:.1f} s ({frames / wall:.1f} fps), {dropped} dropped, "
          f"{counts[0]} sACN packets received; CPU {cpu:.2f} s, {share:.1f}% of one core "
          "(start-up included)")
    report("a show of 512 heads at 60 fps against its targets", [
        ("play CPU, % of one core", share, 15.0),
        ("dropped frames", dropped, 0),
    ])


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=30.0, help="how long to play")
    parser.add_argument("--profile", metavar="FILE", help="write cProfile statistics there")
    options = parser.parse_args()
    run(options.seconds, options.profile)
