"""Move a point in time with a metronome.

    python examples/follow_the_beat.py --bpm 120 --pattern circle --bars 2

Each frame reads the clock, turns the elapsed time into a pip and asks kinetrope where
the point should be. The pip is computed from the clock every frame, never accumulated
frame by frame, so the motion cannot drift away from the beat however long it runs.

By default the point is drawn in the terminal. With a display and matplotlib installed,
``--window`` opens an animated plot instead.
"""

from __future__ import annotations

import argparse
import math
import os
import sys
import time
from typing import Callable

import kinetrope

BEATS_PER_BAR = 4
NO_DISPLAY = ("no display: --window needs a graphical display; "
              "run without --window to draw in the terminal")


class NoWindow(Exception):
    """--window cannot open a window here; the message says why and what to do instead."""


def pip_at(elapsed_seconds: float, bpm: float) -> int:
    """The pip at a time since beat 0: beats = seconds * bpm / 60, 64 pips a beat."""
    return math.floor(elapsed_seconds * bpm / 60.0 * kinetrope.PIPS_PER_BEAT)


def sampler(name: str) -> Callable[[int], kinetrope.Offset3]:
    """A function of the pip for a rudiment or built-in pattern name."""
    kinetrope.sample(name, 0)  # fails early, with the module's message, for unknown names
    return lambda pip: kinetrope.sample(name, pip)


def render(x: float, y: float, width: int = 41, height: int = 17) -> list[str]:
    """A text frame with the point at (x, y); y grows downwards on screen, like the lift."""
    col = round((x + 1.0) / 2.0 * (width - 1))
    row = round((y + 1.0) / 2.0 * (height - 1))
    lines = []
    for r in range(height):
        cells = ["·" if (r == height // 2 or c == width // 2) else " " for c in range(width)]
        if r == row:
            cells[col] = "●"
        lines.append("".join(cells))
    return lines


def run_terminal(name: str, bpm: float, bars: float, fps: float, ansi: bool,
                 out=sys.stdout, clock=time.monotonic, sleep=time.sleep) -> int:
    motion = sampler(name)
    duration = bars * BEATS_PER_BAR * 60.0 / bpm
    start = clock()
    frames = 0
    last_beat = -1
    while True:
        elapsed = clock() - start
        if elapsed >= duration:
            break
        pip = pip_at(elapsed, bpm)
        beat = pip // kinetrope.PIPS_PER_BEAT
        x, y, z = motion(pip).as_tuple()
        tick = "TICK" if beat != last_beat else "    "
        last_beat = beat
        header = (f"{name}  bar {beat // BEATS_PER_BAR + 1} beat {beat % BEATS_PER_BAR + 1}  "
                  f"pip {pip:6d}  {tick}  x={x:+.2f} y={y:+.2f} z={z:+.2f}")
        frame = [header] + render(x, y)
        if ansi:
            out.write("\x1b[H\x1b[2J" + "\n".join(frame) + "\n")
        else:
            out.write(header + "\n")
        out.flush()
        frames += 1
        sleep(max(0.0, (frames / fps) - (clock() - start)))
    return frames


def has_display() -> bool:
    """Whether a window could open: X11 and Wayland announce themselves in the environment;
    macOS and Windows always have a desktop for a local program."""
    if sys.platform in ("darwin", "win32"):
        return True
    return bool(os.environ.get("DISPLAY") or os.environ.get("WAYLAND_DISPLAY"))


def interactive_backend(backend: str) -> bool:
    if backend.startswith("module://"):  # a third-party backend: let it try
        return True
    try:
        from matplotlib.backends import BackendFilter, backend_registry
    except ImportError:  # matplotlib before 3.9, which lists them in rcsetup
        from matplotlib import rcsetup
        names: list[str] = getattr(rcsetup, "interactive_bk")
    else:
        names = backend_registry.list_builtin(BackendFilter.INTERACTIVE)
    return backend.lower() in {n.lower() for n in names}


def run_window(name: str, bpm: float, bars: float, fps: float) -> int:
    motion = sampler(name)
    if not has_display():
        raise NoWindow(NO_DISPLAY)
    try:
        import matplotlib.pyplot as plt
        from matplotlib.animation import FuncAnimation
    except ImportError:
        raise NoWindow("--window needs matplotlib (pip install matplotlib); "
                       "run without --window to draw in the terminal") from None
    # Without a usable display, matplotlib quietly falls back to a backend that only
    # draws to files, and plt.show() would return at once with a warning.
    backend = plt.get_backend()
    if not interactive_backend(backend):
        raise NoWindow(f"no display: matplotlib's backend {backend!r} cannot open a window "
                       "(MPLBACKEND chooses one); run without --window to draw in the terminal")

    duration = bars * BEATS_PER_BAR * 60.0 / bpm
    fig, ax = plt.subplots(figsize=(5, 5))
    ax.set_xlim(-1.1, 1.1)
    ax.set_ylim(1.1, -1.1)
    ax.set_aspect("equal")
    ax.set_title(name)
    (point,) = ax.plot([], [], "o", markersize=14)
    label = ax.text(-1.05, -1.0, "")
    start = time.monotonic()
    frames = [0]

    def update(_):
        elapsed = time.monotonic() - start
        if elapsed >= duration:
            plt.close(fig)
        pip = pip_at(elapsed, bpm)
        x, y, _z = motion(pip).as_tuple()
        point.set_data([x], [y])
        beat = pip // kinetrope.PIPS_PER_BEAT
        label.set_text(f"beat {beat % BEATS_PER_BAR + 1}")
        point.set_color("tab:red" if pip % kinetrope.PIPS_PER_BEAT < 8 else "tab:blue")
        frames[0] += 1
        return point, label

    _anim = FuncAnimation(fig, update, interval=1000.0 / fps, blit=False, cache_frame_data=False)
    plt.show()
    return frames[0]


def main(argv: list[str] | None = None) -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bpm", type=float, default=120.0,
                        help="tempo in beats per minute (default: %(default)s)")
    parser.add_argument("--pattern", default="circle",
                        help="rudiment or built-in pattern name (default: %(default)s)")
    parser.add_argument("--bars", type=float, default=2.0,
                        help="how many 4/4 bars to play (default: %(default)s)")
    parser.add_argument("--fps", type=float, default=30.0,
                        help="frames per second (default: %(default)s)")
    parser.add_argument("--window", action="store_true", help="animate in a matplotlib window")
    parser.add_argument("--plain", action="store_true", help="one status line per frame, no redraw")
    args = parser.parse_args(argv)
    if args.bpm <= 0 or args.fps <= 0 or args.bars <= 0:
        parser.error("--bpm, --fps and --bars must be positive")
    try:
        if args.window:
            frames = run_window(args.pattern, args.bpm, args.bars, args.fps)
        else:
            frames = run_terminal(args.pattern, args.bpm, args.bars, args.fps,
                                  ansi=not args.plain and sys.stdout.isatty())
    except ValueError as error:
        parser.error(str(error))
    except NoWindow as error:
        print(f"{parser.prog}: {error}", file=sys.stderr)
        return 2
    except BrokenPipeError:
        # The reader went away (`| head`): stop quietly, and keep the interpreter's own
        # last flush of stdout from failing again.
        devnull = os.open(os.devnull, os.O_WRONLY)
        os.dup2(devnull, sys.stdout.fileno())
        os.close(devnull)
        return 141  # 128 + SIGPIPE, as for a writer the signal would have stopped
    except KeyboardInterrupt:
        print(file=sys.stderr)  # past the ^C that the terminal echoed
        return 130  # 128 + SIGINT, as a shell reports an interrupted command
    print(f"{frames} frames", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
