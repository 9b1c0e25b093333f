"""Command line: ``python -m kinetrope_rig play|render ...``."""

from __future__ import annotations

import argparse
import contextlib
import os
import signal
import sys
import time
from typing import Any, Callable, Sequence, TextIO

import kinetrope

from ._optional import MissingDependency
from .clock import ClockFollower, follow_port, follow_stream
from .dmx import UNIVERSE_SIZE, DmxFixture, DmxSender
from .offline import check_names, frame_count, render
from .osc import OscSender
from .tempo import TempoMap

PROG = "python -m kinetrope_rig"


class UsageError(Exception):
    """An expected failure: reported in one line, exit status 2."""


class _Formatter(argparse.ArgumentDefaultsHelpFormatter):
    """Shows defaults, except for options whose default is "not given"."""

    def _get_help_string(self, action: argparse.Action) -> str | None:
        if action.default is None or action.default is False:
            return action.help
        return super()._get_help_string(action)


def _positive(text: str) -> float:
    try:
        value = float(text)
    except ValueError:
        raise argparse.ArgumentTypeError(f"not a number: {text!r}") from None
    if not (value > 0 and value != float("inf")):
        raise argparse.ArgumentTypeError(f"must be a positive number: {text!r}")
    return value


def host_port(text: str) -> tuple[str, int]:
    """``HOST:PORT`` or ``[IPv6]:PORT``."""
    host, colon, port = text.rpartition(":")
    if host.startswith("[") and host.endswith("]"):
        host = host[1:-1]
    if not colon or not host or not port.isdigit() or not 0 < int(port) < 65536:
        raise UsageError(f"malformed address {text!r}: expected HOST:PORT with a port 1..65535")
    return host, int(port)


def universe_host(text: str) -> tuple[int, str | None]:
    """``UNIVERSE@HOST`` (unicast) or ``UNIVERSE`` (multicast)."""
    universe, at, host = text.partition("@")
    if not universe.isdigit() or not 1 <= int(universe) <= 63999 or (at and not host):
        raise UsageError(f"malformed DMX address {text!r}: expected UNIVERSE@HOST "
                         "(or UNIVERSE alone for multicast), universe 1..63999")
    return int(universe), host or None


def _check_patterns(names: Sequence[str]) -> list[str]:
    try:
        check_names(names)
    except ValueError as error:          # the module's own "Unknown kinetrope rudiment: ..."
        raise UsageError(str(error)) from None
    return list(names)


def _load_midi(path: str) -> TempoMap:
    try:
        return TempoMap.from_midi(path)
    except OSError as error:
        raise UsageError(f"cannot read {path}: {error.strerror or error}") from None
    except ValueError as error:
        raise UsageError(str(error)) from None


# -- play ---------------------------------------------------------------------------------

def _clock_source(port: str, stack: contextlib.ExitStack) -> Callable[[float], int]:
    follower = ClockFollower()
    if port == "-":
        follow_stream(follower, sys.stdin.buffer)
    else:
        try:
            stack.enter_context(follow_port(follower, port))
        except MissingDependency:
            raise
        except ImportError as error:
            raise UsageError(f"opening MIDI port {port!r} needs a MIDI backend for mido, "
                             f"such as python-rtmidi ({error})") from None
        except OSError as error:
            raise UsageError(f"cannot open MIDI port {port!r}: {error}") from None
    return follower.pip_at


def _printer(out: TextIO) -> Callable[[float, int, dict[str, Any]], None]:
    def show(elapsed: float, pip: int, offsets: dict[str, Any]) -> None:
        cells = " ".join(f"{name} {o.x:+.4f} {o.y:+.4f} {o.z:+.4f}"
                         for name, o in offsets.items())
        out.write(f"{elapsed:9.3f} {pip:8d}  {cells}\n")
        out.flush()
    return show


def _dmx_output(args: argparse.Namespace, names: Sequence[str],
                stack: contextlib.ExitStack) -> Callable[[float, int, dict[str, Any]], None]:
    universe, host = universe_host(args.dmx)
    fixtures = []
    start = args.start
    try:
        for name in names:
            fixture = DmxFixture(start, pan_travel=args.pan_travel, tilt_travel=args.tilt_travel,
                                 pan_swing=args.pan_swing, tilt_swing=args.tilt_swing,
                                 dimmer_channel=4 if args.dimmer else None)
            fixtures.append((name, fixture))
            start += fixture.footprint
    except ValueError as error:
        raise UsageError(f"--start {args.start}: {error}") from None
    try:
        sender = stack.enter_context(DmxSender(universe, host, fps=args.fps))
    except OSError as error:
        raise UsageError(f"cannot send sACN to {args.dmx}: {error}") from None

    def send(elapsed: float, pip: int, offsets: dict[str, Any]) -> None:
        data = bytearray(UNIVERSE_SIZE)
        for name, fixture in fixtures:
            fixture.write(offsets[name], data)
        sender.send(universe, data)
    return send


def play(args: argparse.Namespace) -> int:
    names = _check_patterns(args.patterns)
    limit = args.seconds
    with contextlib.ExitStack() as stack:
        if args.midi_clock is not None:
            pip_of = _clock_source(args.midi_clock, stack)
            absolute = True
        else:
            tempo = _load_midi(args.midi) if args.midi else TempoMap.constant(args.bpm)
            pip_of = tempo.pip_at
            absolute = False
            if args.midi and limit is None and args.beats is None:
                limit = tempo.duration
        outputs = []
        if args.print:
            outputs.append(_printer(sys.stdout))
        if args.osc:
            host, port = host_port(args.osc)
            try:
                osc = stack.enter_context(OscSender(host, port, prefix=args.prefix))
            except (OSError, ValueError) as error:
                raise UsageError(f"cannot send OSC to {args.osc}: {error}") from None
            outputs.append(lambda elapsed, pip, offsets: osc.send_frame(offsets))
        if args.dmx:
            outputs.append(_dmx_output(args, names, stack))
        end_pip = None if args.beats is None else round(args.beats * kinetrope.PIPS_PER_BEAT)
        frames = _run(names, pip_of, absolute, outputs, args.fps, limit, end_pip)
    print(f"{frames} frames", file=sys.stderr)
    return 0


def _run(names: Sequence[str], pip_of: Callable[[float], int], absolute: bool,
         outputs: Sequence[Callable[[float, int, dict[str, Any]], None]], fps: float,
         limit: float | None, end_pip: int | None) -> int:
    """Play frames at ``fps`` until ``limit`` seconds or ``end_pip``; returns the count."""
    sample = kinetrope.sample
    period = 1.0 / fps
    start = time.monotonic()
    due = start
    frames = 0
    while True:
        now = time.monotonic()
        elapsed = now - start
        if limit is not None and elapsed >= limit:
            break
        pip = pip_of(now if absolute else elapsed)
        if end_pip is not None and pip >= end_pip:
            break
        offsets = {name: sample(name, pip) for name in names}
        for output in outputs:
            output(elapsed, pip, offsets)
        frames += 1
        due += period
        if due < now:                 # fell behind: drop the missed frames, keep the grid
            due += (now - due) // period * period + period
        time.sleep(max(0.0, due - time.monotonic()))
    return frames


# -- render -------------------------------------------------------------------------------

def _progress_bar(stream: TextIO) -> Callable[[int, int], None]:
    def show(done: int, total: int) -> None:
        width = 40
        filled = width * done // total if total else width
        stream.write(f"\rrender [{'#' * filled}{'.' * (width - filled)}] {done}/{total} frames")
        if done >= total:
            stream.write("\n")
        stream.flush()
    return show


def render_command(args: argparse.Namespace) -> int:
    names = _check_patterns(args.patterns)
    tempo = _load_midi(args.midi)
    progress = _progress_bar(sys.stderr) if sys.stderr.isatty() else None
    if args.output == "-":
        frames = render(tempo, names, args.fps, sys.stdout, progress=progress)
    else:
        try:
            out = open(args.output, "w", encoding="utf-8", newline="")
        except OSError as error:
            raise UsageError(f"cannot write {args.output}: {error.strerror or error}") from None
        with out:
            frames = render(tempo, names, args.fps, out, progress=progress)
        print(f"{frames} frames ({frame_count(tempo, args.fps) / args.fps:.3f} s) "
              f"written to {args.output}", file=sys.stderr)
    return 0


# -- entry --------------------------------------------------------------------------------

def build_parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(
        prog=PROG, formatter_class=_Formatter,
        description="Drive a rig with kinetrope patterns: tempo from a MIDI file, a fixed "
                    "bpm or a MIDI clock; motion out over OSC, DMX (sACN) or to CSV.",
        epilog="Exit status: 0 done, 2 bad arguments or input, 130 interrupted.")
    commands = parser.add_subparsers(dest="command", required=True, metavar="COMMAND")

    play_parser = commands.add_parser(
        "play", formatter_class=_Formatter, help="play patterns live",
        description="Play patterns in real time. With --midi, play stops at the end of the "
                    "file; with --bpm or --midi-clock, at Ctrl-C or a --seconds/--beats limit. "
                    "On any stop, DMX outputs black out.")
    play_parser.add_argument("patterns", nargs="+", metavar="PATTERN",
                             help="rudiment or catalogue pattern names")
    source = play_parser.add_mutually_exclusive_group(required=True)
    source.add_argument("--midi", metavar="FILE", help="follow the tempo map of a MIDI file")
    source.add_argument("--bpm", type=_positive, help="a constant tempo")
    source.add_argument("--midi-clock", metavar="PORT",
                        help="follow MIDI clock from a mido input port, or '-' for raw MIDI "
                             "bytes on standard input")
    play_parser.add_argument("--osc", metavar="HOST:PORT", help="send OSC bundles there")
    play_parser.add_argument("--prefix", default="/kinetrope", help="OSC address prefix")
    play_parser.add_argument("--dmx", metavar="UNIVERSE@HOST",
                             help="send sACN to HOST (UNIVERSE alone: multicast), one moving "
                                  "head per pattern")
    play_parser.add_argument("--start", type=int, default=1, metavar="CHANNEL",
                             help="DMX channel of the first fixture")
    play_parser.add_argument("--pan-travel", type=_positive, default=540.0, metavar="DEG",
                             help="degrees the fixture's pan range spans")
    play_parser.add_argument("--tilt-travel", type=_positive, default=270.0, metavar="DEG",
                             help="degrees the fixture's tilt range spans")
    play_parser.add_argument("--pan-swing", type=float, default=90.0, metavar="DEG",
                             help="pan degrees for x = ±1 around the centre")
    play_parser.add_argument("--tilt-swing", type=float, default=45.0, metavar="DEG",
                             help="tilt degrees for y = ±1 around the centre")
    play_parser.add_argument("--dimmer", action="store_true",
                             help="a fifth channel per fixture: dimmer from z")
    play_parser.add_argument("--print", action="store_true",
                             help="print seconds, pip and every pattern's x y z per frame")
    play_parser.add_argument("--fps", type=_positive, default=60.0, help="frames per second")
    limit = play_parser.add_mutually_exclusive_group()
    limit.add_argument("--seconds", type=_positive, help="stop after this many seconds")
    limit.add_argument("--beats", type=_positive, help="stop at this beat")
    play_parser.set_defaults(run=play)

    render_parser = commands.add_parser(
        "render", formatter_class=_Formatter, help="render patterns to CSV",
        description="Render frames at a fixed rate through a MIDI file's tempo map to CSV: "
                    "frame, seconds, pip, then x, y, z per pattern, with a header row.")
    render_parser.add_argument("patterns", nargs="+", metavar="PATTERN",
                               help="rudiment or catalogue pattern names")
    render_parser.add_argument("--midi", metavar="FILE", required=True,
                               help="the MIDI file whose tempo map and length to use")
    render_parser.add_argument("--fps", type=_positive, default=60.0, help="frames per second")
    render_parser.add_argument("-o", "--output", required=True, metavar="FILE",
                               help="CSV file to write, '-' for standard output")
    render_parser.set_defaults(run=render_command)
    return parser


def _terminate(signum: int, frame: Any) -> None:
    raise SystemExit(128 + signum)   # unwinds like Ctrl-C, so outputs black out


def main(argv: Sequence[str] | None = None) -> int:
    parser = build_parser()
    args = parser.parse_args(argv)
    with contextlib.suppress(ValueError):   # not the main thread: leave signals alone
        signal.signal(signal.SIGTERM, _terminate)
    try:
        return int(args.run(args))
    except (UsageError, MissingDependency) as error:
        print(f"{PROG}: error: {error}", file=sys.stderr)
        return 2
    except KeyboardInterrupt:
        print("interrupted", file=sys.stderr)
        return 130
    except BrokenPipeError:
        # The reader went away (`| head`): silence the final flush of stdout too.
        devnull = os.open(os.devnull, os.O_WRONLY)
        os.dup2(devnull, sys.stdout.fileno())
        os.close(devnull)
        return 1


if __name__ == "__main__":
    sys.exit(main())
