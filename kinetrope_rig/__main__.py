"""Command line: ``python -m kinetrope_rig play|render ...``."""

from __future__ import annotations

import argparse
import contextlib
import math
import os
import re
import signal
import stat
import sys
import tempfile
from fractions import Fraction
from typing import Any, Callable, Iterator, Sequence, TextIO

import kinetrope

from ._net import describe, parse_host, parse_port
from ._optional import MissingDependency
from .clock import ClockFollower, follow_port, follow_stream
from .artnet import ArtNetSender
from .dmx import DIMMER_CHANNEL, MAX_UNIVERSE, UNIVERSE_SIZE, DmxSender, dimmer_level
from .effects import ORDERS, Effect, Fan
from .fixtures import inline_layout
from .frame import Frame
from .motions import Motion, Motions
from .offline import FPS_RANGE, MAX_FRAMES, planned_frames, render, render_show
from .osc import OscSender
from .patch import Aim, Patch, Placement
from .player import (DmxOutput, DmxSending, OscOutput, Output, Player, PrintOutput, Result,
                     TimeSource, Watcher, dmx_name)
from .link import LinkFollower
from .live import ShowReloader
from .show import OutputSpec, Show, ShowError, ShowFrames, Tempo, describe_patch, load_show
from .status import PLAIN_INTERVAL, FixtureAim, Status
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


def _number(low: float, high: float, what: str) -> Callable[[str], float]:
    """An argparse type: a number from ``low`` to ``high``, described as ``what``."""
    def parse(text: str) -> float:
        try:
            value = float(text)
        except ValueError:
            raise argparse.ArgumentTypeError(f"not a number: {text!r}") from None
        if not low <= value <= high:
            raise argparse.ArgumentTypeError(f"must be {what}: {text!r}")
        return value
    return parse


_positive = _number(math.ulp(0.0), sys.float_info.max, "a positive number")
_finite = _number(-sys.float_info.max, sys.float_info.max, "a finite number")
_fps = _number(*FPS_RANGE, f"a number from {FPS_RANGE[0]:g} to {FPS_RANGE[1]:g}")


def _whole(low: int, high: int, what: str) -> Callable[[str], int]:
    """An argparse type: a whole number in ASCII digits from ``low`` to ``high``."""
    def parse(text: str) -> int:
        if not (text.isascii() and text.isdigit() and low <= int(text) <= high):
            raise argparse.ArgumentTypeError(f"must be {what} from {low} to {high}: {text!r}")
        return int(text)
    return parse


_channel = _whole(1, UNIVERSE_SIZE, "a channel")
_count = _whole(1, 10**12, "a frame count")
# argparse takes "-inf", "-1e3" or "-0.5,0,0" after an option for another option; glue such
# a value to its option so that it is read, and refused if it must be.
_NEGATIVE = re.compile(r"-(\d|\.\d|inf|nan)", re.IGNORECASE)


def _glue_numbers(argv: Sequence[str]) -> list[str]:
    glued: list[str] = []
    for arg in argv:
        if glued and glued[-1].startswith("--") and "=" not in glued[-1] \
                and _NEGATIVE.match(arg):
            glued[-1] = f"{glued[-1]}={arg}"
        else:
            glued.append(arg)
    return glued


def host_port(text: str) -> tuple[str, int]:
    """``HOST:PORT`` or ``[IPv6]:PORT``."""
    host, colon, port = text.rpartition(":")
    try:
        if not colon:
            raise ValueError("no port")
        return parse_host(host), parse_port(port)
    except ValueError:
        raise UsageError(f"malformed address {text!r}: expected HOST:PORT with a port "
                         "1..65535 (an IPv6 host in brackets)") from None


def universe_host(text: str) -> tuple[int, str | None]:
    """``UNIVERSE@HOST`` (unicast) or ``UNIVERSE`` (multicast)."""
    universe, at, host = text.partition("@")
    try:
        if not (universe.isascii() and universe.isdigit() and 1 <= int(universe) <= MAX_UNIVERSE):
            raise ValueError(universe)
        return int(universe), (parse_host(host) if at else None)
    except ValueError:
        raise UsageError(f"malformed DMX address {text!r}: expected UNIVERSE@HOST "
                         f"(or UNIVERSE alone for multicast), universe 1..{MAX_UNIVERSE}, HOST an "
                         "IP address or host name") from None


_EFFECT_OPTIONS = ("rate", "shift", "phase", "size", "offset", "rotate", "mirror")
_FAN_OPTIONS = ("spread", "order", "wings", "blocks", "groups", "seed")


def _numbers(text: str, key: str) -> float | tuple[float, ...]:
    """"0.5" as one number, "1,0.5,0" as three."""
    try:
        values = tuple(float(part) for part in text.split(","))
    except ValueError:
        raise UsageError(f"--{key} must be numbers separated by commas, not {text!r}") from None
    return values[0] if len(values) == 1 else values


def _motions(args: argparse.Namespace) -> Motions:
    """The patterns named, each shaped by the effect options and fanned by --fan."""
    effect = {key: getattr(args, key) for key in _EFFECT_OPTIONS
              if getattr(args, key) is not None}
    fan = {key: getattr(args, key) for key in _FAN_OPTIONS if getattr(args, key) is not None}
    if fan and args.fan is None:
        verb = "shapes" if len(fan) == 1 else "shape"
        raise UsageError(f"--{', --'.join(fan)} {verb} a fan: give --fan N as well")
    for key in ("size", "offset", "rotate"):
        if key in effect:
            effect[key] = _numbers(effect[key], key)
    for key in ("shift", "wings", "blocks", "groups", "seed"):
        for given in (effect, fan):
            if key in given:
                given[key] = _integer(given[key], key)
    motions: list[Motion] = []
    try:
        for name in args.patterns:
            if args.fan is not None:
                motions.append(Fan(Effect(name, **effect), args.fan, **fan))
            else:
                motions.append(Effect(name, **effect) if effect else name)
        return Motions(motions)
    except ValueError as error:  # the module's own "Unknown kinetrope rudiment: ..." too
        raise UsageError(str(error)) from None


def _integer(text: str, key: str) -> int:
    if not re.fullmatch(r"[+-]?[0-9]+", text, re.ASCII):
        raise UsageError(f"--{key} must be a whole number, not {text!r}")
    return int(text)


def _load_midi(path: str) -> TempoMap:
    try:
        return TempoMap.from_midi(path)
    except OSError as error:
        raise UsageError(f"cannot read {path}: {error.strerror or error}") from None
    except ValueError as error:
        raise UsageError(str(error)) from None


# -- play ---------------------------------------------------------------------------------

def _clock_source(port: str, stack: contextlib.ExitStack) -> ClockFollower:
    follower = ClockFollower()
    if port == "-":
        if sys.stdin is None:
            raise UsageError("--midi-clock -: standard input is closed")
        stack.callback(follow_stream(follower, sys.stdin).stop)
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
    return follower


def _dmx_output(args: argparse.Namespace, names: Sequence[str],
                stack: contextlib.ExitStack) -> tuple[DmxOutput, Patch]:
    """One moving head per point, at consecutive addresses."""
    universe, host = universe_host(args.dmx)
    try:
        layout = inline_layout(DIMMER_CHANNEL + 1 if args.dimmer else DIMMER_CHANNEL,
                               pan_offset=0, tilt_offset=2,
                               dimmer_offset=DIMMER_CHANNEL if args.dimmer else None,
                               pan_travel=args.pan_travel, tilt_travel=args.tilt_travel)
    except ValueError as error:
        raise UsageError(str(error)) from None
    footprint = layout.channels
    last = args.start + len(names) * footprint - 1
    if last > UNIVERSE_SIZE:
        count = f"{len(names)} fixtures need" if len(names) > 1 else "a fixture needs"
        raise UsageError(f"{count} {footprint} channels each from channel {args.start}: "
                         f"channels {args.start}..{last}, past the end of the universe "
                         f"({UNIVERSE_SIZE})")
    try:
        patch = Patch([Placement(name, universe, args.start + i * footprint, layout,
                                 Aim(swing=args.pan_swing), Aim(swing=args.tilt_swing))
                       for i, name in enumerate(names)])
        sender = stack.enter_context(DmxSender(universe, host))
    except (OSError, ValueError) as error:
        raise UsageError(f"cannot send sACN to {args.dmx}: {describe(error)}") from None
    name = dmx_name("sACN", [universe], host)
    return DmxOutput(sender, {universe: universe}, name), patch


def _osc_output(host: str, port: int, prefix: str, shown: str,
                stack: contextlib.ExitStack) -> OscOutput:
    try:
        sender = stack.enter_context(OscSender(host, port, prefix=prefix))
    except (OSError, ValueError) as error:
        raise UsageError(f"cannot send OSC to {shown}: {describe(error)}") from None
    return OscOutput(sender)


def _printer(outputs: list[Output], args: argparse.Namespace) -> None:
    if args.print:
        if sys.stdout is None:
            raise UsageError("--print: standard output is closed")
        outputs.append(PrintOutput(sys.stdout))


def _levels(values: Sequence[tuple[float, float, float]]) -> list[float]:
    """The dimmer levels of points, as ``DmxFixture`` has them."""
    return [dimmer_level(z) for _, _, z in values]


def _pattern_frames(motions: Motions, patch: Patch | None) -> Callable[[float, int], Frame]:
    labels = motions.labels

    def frame_at(seconds: float, pip: int) -> Frame:
        values = motions.values(pip)
        if patch is None:
            return Frame(seconds, pip, labels, values)
        levels = _levels(values)
        return Frame(seconds, pip, labels, values, patch.universes(values, levels), levels)
    return frame_at


def _is_show(args: argparse.Namespace) -> bool:
    """A pattern's name is a plain identifier; anything with a dot or a slash is a file."""
    return any(c in args.patterns[0] for c in "./" + os.sep)


def play(args: argparse.Namespace) -> int:
    if _is_show(args):
        return play_show(args)
    if not (args.midi or args.bpm or args.midi_clock or args.link):
        raise UsageError("one of the arguments --midi --bpm --midi-clock --link is required")
    if args.start_stop_sync and not args.link:
        raise UsageError("--start-stop-sync follows a Link session's transport: give --link")
    motions = _motions(args)
    with contextlib.ExitStack() as stack:
        outputs: list[Output] = []
        _printer(outputs, args)
        if args.osc:
            outputs.append(_osc_output(*host_port(args.osc), args.prefix, args.osc, stack))
        patch = None
        if args.dmx:
            output, patch = _dmx_output(args, motions.labels, stack)
            outputs.append(output)

        def aims(frame: Frame) -> list[FixtureAim] | None:
            if patch is None:
                return None
            return [(name, *aim) for name, aim in
                    zip(motions.labels, patch.aims(frame.values, frame.levels))]

        status = _status(args, aims, args.quantum)
        if status is not None:
            stack.callback(status.close)
        return _run(args, _time_source(_pattern_tempo(args), stack),
                    _pattern_frames(motions, patch), outputs,
                    [] if status is None else [status],
                    report=status.report if status is not None else None)


def _time_source(tempo: Tempo, stack: contextlib.ExitStack,
                 keep: tuple[Player, int] | None = None) -> TimeSource:
    """The time source of a MIDI file, a tempo, a MIDI clock or a Link session. With
    ``keep``, a player and its pip, a tempo takes over that pip at this moment, so a change
    of tempo while a show plays does not jump."""
    if tempo.link:
        follower = stack.enter_context(_join_link(tempo))

        def link_state() -> str:
            peers = "no peers, its own tempo" if follower.peers == 0 else (
                f"{follower.peers} peer{'s' if follower.peers > 1 else ''}")
            return peers + ("" if follower.playing else ", stopped, holding")
        return TimeSource("Ableton Link", follower.pip_at, lambda _: follower.bpm,
                          absolute=True, failure=lambda: follower.failure, state=link_state)
    if tempo.clock is not None:
        clock = _clock_source(tempo.clock, stack)
        return TimeSource(f"MIDI clock {tempo.clock}", clock.pip_at, lambda _: clock.bpm,
                          absolute=True, failure=lambda: clock.failure,
                          state=lambda: "playing" if clock.playing else "stopped, holding")
    if tempo.midi:
        song = _load_midi(tempo.midi)
        return TimeSource(tempo.midi, song.pip_at, song.bpm_at, duration=song.duration)
    bpm = 120.0 if tempo.bpm is None else tempo.bpm
    zero = 0.0
    if keep is not None:
        player, pip = keep
        zero = player.time_of(player.clock()) - pip * 60.0 / (kinetrope.PIPS_PER_BEAT * bpm)
    steady = TempoMap.constant(bpm, beat_zero_seconds=zero)
    return TimeSource("steady tempo", steady.pip_at, steady.bpm_at)


def _join_link(tempo: Tempo) -> LinkFollower:
    try:
        return LinkFollower(tempo.quantum, start_stop_sync=tempo.start_stop_sync,
                            bpm=120.0 if tempo.bpm is None else tempo.bpm)
    except OSError as error:
        raise UsageError(f"cannot join an Ableton Link session: {describe(error)}") from None


def _pattern_tempo(args: argparse.Namespace) -> Tempo:
    return Tempo(bpm=args.bpm, midi=args.midi, clock=args.midi_clock, link=args.link,
                 quantum=args.quantum, start_stop_sync=args.start_stop_sync)


def _run(args: argparse.Namespace, source: TimeSource,
         frame_at: Callable[[float, int], Frame], outputs: list[Output],
         watchers: Sequence[Watcher] = (), report: Callable[[str], None] | None = None,
         attach: Callable[[Player], None] | None = None) -> int:
    limit = args.seconds
    if source.duration is not None and limit is None and args.beats is None:
        limit = source.duration
    end_pip = None if args.beats is None else round(args.beats * kinetrope.PIPS_PER_BEAT)
    player = Player(source, frame_at, outputs, fps=args.fps, seconds=limit, end_pip=end_pip,
                    watchers=watchers, report=report)
    if attach is not None:
        attach(player)
    result = player.run()
    if isinstance(result.error, BrokenPipeError):
        raise result.error                 # the reader went away: end as for render
    _say(_summary(result))
    if result.failure is not None:
        _say(f"{PROG}: stopped: {result.failure}")
        return 1
    return 0


# -- shows ----------------------------------------------------------------------------------

_PATTERN_ONLY = ("midi", "bpm", "midi_clock", "link", "start_stop_sync", "osc", "dmx",
                 "dimmer") + _EFFECT_OPTIONS + \
    _FAN_OPTIONS + ("fan",)


def _load_show(args: argparse.Namespace, allowed: Sequence[str] = ()) -> Show:
    if len(args.patterns) > 1:
        raise UsageError("give one show file, or pattern names")
    given = [key for key in _PATTERN_ONLY if key not in allowed
             and getattr(args, key, None) not in (None, False)]
    if given:
        raise UsageError(f"{args.patterns[0]}: the show sets its own tempo, outputs and "
                         f"effects; --{', --'.join(k.replace('_', '-') for k in given)} "
                         "go with pattern names")
    try:
        return load_show(args.patterns[0])
    except ShowError as error:
        raise ShowRefused(error.lines) from None


class ShowRefused(Exception):
    """A show with problems: every line is printed, exit status 2."""

    def __init__(self, lines: Sequence[str]) -> None:
        super().__init__("\n".join(lines))
        self.lines = list(lines)


def check_command(args: argparse.Namespace) -> int:
    args.patterns = [args.show]
    show = _load_show(args)
    try:
        ShowFrames(show)
    except ValueError as error:
        raise ShowRefused([f"{args.show}: {error}"]) from None
    for line in describe_patch(show):
        print(line)
    return 0


def open_output(spec: OutputSpec) -> Output:
    """The output a show's ``[[outputs]]`` entry describes, open; ``OSError`` or
    ``ValueError`` where it cannot be."""
    if spec.protocol == "osc":
        assert spec.host is not None and spec.port is not None
        return OscOutput(OscSender(spec.host, spec.port, prefix=spec.prefix))
    sender: DmxSending
    if spec.protocol == "sacn":
        sender = DmxSender(spec.universes, spec.host, priority=spec.priority)
        return DmxOutput(sender, spec.routes(), dmx_name("sACN", spec.universes, spec.host))
    assert spec.host is not None
    sender = ArtNetSender(spec.universes, spec.host)
    return DmxOutput(sender, spec.routes(), dmx_name("Art-Net", spec.universes, spec.host))


def _show_outputs(show: Show, stack: contextlib.ExitStack) -> dict[OutputSpec, Output]:
    outputs: dict[OutputSpec, Output] = {}
    for i, spec in enumerate(show.outputs):
        try:
            outputs[spec] = output = open_output(spec)
        except (OSError, ValueError) as error:
            raise UsageError(f"{show.path}: outputs[{i}]: cannot send {spec.protocol} to "
                             f"{spec.host or 'multicast'}: {describe(error)}") from None
        stack.callback(output.close)
    return outputs


def _status(args: argparse.Namespace,
            aims: Callable[[Frame], Sequence[FixtureAim] | None] | None,
            quantum: int = 4) -> Status | None:
    """The live view on a terminal, plain lines elsewhere, nothing with --quiet."""
    if args.quiet or sys.stderr is None:
        return None
    live = sys.stderr.isatty() and not args.print      # printed frames would tear the view
    try:
        return Status(sys.stderr, live=live, aims=aims, interval=args.status_every,
                      quantum=quantum)
    except MissingDependency:
        return Status(sys.stderr, live=False, aims=aims, interval=args.status_every,
                      quantum=quantum)


def play_show(args: argparse.Namespace) -> int:
    show = _load_show(args)
    frames = ShowFrames(show)
    with contextlib.ExitStack() as stack:
        printed: list[Output] = []
        _printer(printed, args)
        opened = _show_outputs(show, stack)

        def make_source(tempo: Tempo, player: Player, pip: int) -> TimeSource:
            return _time_source(tempo, stack, keep=(player, pip))

        def aims(frame: Frame) -> list[FixtureAim]:
            current = reloader.frames
            return [(name, *aim) for name, aim in
                    zip(current.names, current.patch.aims(frame.values, frame.levels))]

        status = _status(args, aims, show.tempo.quantum)
        if status is not None:
            stack.callback(status.close)
        report = status.report if status is not None else _say
        reloader = ShowReloader(show, frames, opened, open_output, make_source, report,
                                show.tempo.quantum)
        stack.callback(reloader.close)
        return _run(args, _time_source(show.tempo, stack),
                    reloader.frame, printed + list(opened.values()),
                    [] if status is None else [status], report=report,
                    attach=reloader.attach)


def _summary(result: Result) -> str:
    parts = [f"{result.frames} frames"]
    if result.dropped:
        parts.append(f"{result.dropped} dropped")
    parts += [f"{state.output.name}: {state.failed} failed (the last: {state.last_error})"
              for state in result.outputs if state.failed]
    return "; ".join(parts)


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


class WriteFailed(Exception):
    """Output could not be written: reported in one line, exit status 1."""


@contextlib.contextmanager
def _file_for(path: str) -> Iterator[tuple[TextIO, bool]]:
    """A text file that becomes ``path`` only when the block ends without an error, and
    whether it does so (rather than being written in place).

    The rows go to a temporary file beside ``path``, renamed over it at the end, so a
    failed render leaves no partial file. A path that exists and is not a regular file (a
    device, a pipe) is written in place: it cannot be replaced, and need not be.
    """
    try:
        regular = stat.S_ISREG(os.stat(path).st_mode)
    except OSError:
        regular = True                          # not there yet: made below, or refused
    if not regular:
        with open(path, "w", encoding="utf-8", newline="") as out:
            yield out, False
        return
    folder, base = os.path.split(os.path.abspath(path))
    handle, temporary = tempfile.mkstemp(prefix=f".{base}.", suffix=".part", dir=folder)
    try:
        with os.fdopen(handle, "w", encoding="utf-8", newline="") as out:
            yield out, True
        umask = os.umask(0)
        os.umask(umask)
        os.chmod(temporary, 0o666 & ~umask)     # what open() would have made
        os.replace(temporary, path)
    except BaseException:
        with contextlib.suppress(OSError):
            os.unlink(temporary)
        raise


def _write(target: str, write: Callable[[TextIO], int]) -> int:
    """Run ``write`` on the output file (or standard output for "-") with every failure
    turned into one line; returns what ``write`` returns."""
    if target == "-":
        if sys.stdout is None:
            raise UsageError("-o -: standard output is closed")
        try:
            count = write(sys.stdout)
            sys.stdout.flush()
        except BrokenPipeError:
            raise
        except OSError as error:
            raise WriteFailed(f"cannot write standard output: {describe(error)}") from None
        return count
    try:
        with _file_for(target) as (out, replaced):
            try:
                count = write(out)
                out.flush()
            except OSError as error:
                untouched = "; nothing written" if replaced else ""
                raise WriteFailed(f"cannot write {target}: {describe(error)}"
                                  f"{untouched}") from None
    except OSError as error:                 # the file or its temporary could not be made
        raise UsageError(f"cannot write {target}: {describe(error)}") from None
    return count


def _planned(tempo: TempoMap, args: argparse.Namespace, shown: str) -> int:
    frames = None if args.seconds is None else math.ceil(
        Fraction(args.seconds) * Fraction(args.fps))
    try:
        return planned_frames(tempo, args.fps, frames, args.max_frames)
    except ValueError as error:
        raise UsageError(f"{shown}: {error} (--max-frames)") from None


def render_command(args: argparse.Namespace) -> int:
    progress = _progress_bar(sys.stderr) if sys.stderr is not None and sys.stderr.isatty() \
        else None
    if _is_show(args):
        show = _load_show(args, allowed=("midi",))
        frames = ShowFrames(show)
        midi = args.midi or show.tempo.midi
        if midi is None and show.tempo.clock is not None:
            raise UsageError(f"{show.path}: a show that follows a MIDI clock renders with "
                             "--midi FILE")
        if midi is None and args.seconds is None:
            raise UsageError(f"{show.path}: give --seconds N or --midi FILE")
        tempo = _load_midi(midi) if midi else TempoMap.constant(show.tempo.bpm or 120.0)
        total = _planned(tempo, args, midi or show.path)
        _write(args.output, lambda out: render_show(tempo, frames, args.fps, out, total,
                                                    progress, args.max_frames))
    else:
        motions = _motions(args)
        if args.midi is None:
            raise UsageError("render of patterns needs --midi FILE")
        tempo = _load_midi(args.midi)
        total = _planned(tempo, args, args.midi)
        _write(args.output, lambda out: render(tempo, motions, args.fps, out, total,
                                               progress, args.max_frames))
    if args.output != "-":
        _say(f"{total} frames ({total / args.fps:.3f} s) written to {args.output}")
    return 0


# -- entry --------------------------------------------------------------------------------

def _shaping_options(parser: argparse.ArgumentParser) -> None:
    shape = parser.add_argument_group(
        "shaping", "Each pattern runs as an effect with these, applied in this order: "
                   "sampled at floor(pip * RATE) + SHIFT + floor(PHASE * period), then "
                   "mirrored, sized, rotated and offset, and kept within -1..1.")
    shape.add_argument("--rate", metavar="R", help="speed factor, exact: 2, 1/2, 0.75")
    shape.add_argument("--shift", metavar="PIPS", help="a shift in whole pips")
    shape.add_argument("--phase", metavar="CYCLES", help="a phase in cycles: 1/4, 0.5")
    shape.add_argument("--size", metavar="S|X,Y,Z", help="a size, or one per axis")
    shape.add_argument("--offset", metavar="X,Y,Z", help="added to each axis")
    shape.add_argument("--rotate", metavar="DEG", help="degrees, in the x-y plane")
    shape.add_argument("--mirror", metavar="AXES", help="axes to mirror: x, xy, ...")
    fan = parser.add_argument_group(
        "fan", "--fan N runs each pattern on N points (N moving heads at consecutive "
               "addresses with --dmx), each a little later than the last.")
    fan.add_argument("--fan", type=_whole(1, UNIVERSE_SIZE, "a count"), metavar="N",
                     help="how many points each pattern fans out to")
    fan.add_argument("--spread", metavar="S", help="the part of a period laid across the "
                                                   "fan (default 1)")
    fan.add_argument("--order", choices=ORDERS, help="the order of the phases (default "
                                                     "forward)")
    fan.add_argument("--wings", metavar="N", help="mirrored parts (default 1)")
    fan.add_argument("--blocks", metavar="N", help="neighbours sharing a phase (default 1)")
    fan.add_argument("--groups", metavar="N", help="groups repeating the phases (default 1)")
    fan.add_argument("--seed", metavar="N", help="the seed of --order shuffle")


def build_parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(
        prog=PROG, formatter_class=_Formatter,
        description="Drive a rig with kinetrope patterns: tempo from a MIDI file, a fixed "
                    "bpm or a MIDI clock; motion out over OSC, DMX (sACN, Art-Net) or to "
                    "CSV; patterns named on the command line, or a show file (TOML) of "
                    "real fixtures, groups and effects.",
        epilog="Exit status: 0 done (failed sends that a later frame got past are counted "
               "in the last line); 1 an output or the MIDI clock input failed for good, a "
               "file could not be written, or the reader of standard output went away; "
               "2 bad arguments or input; 130 interrupted (Ctrl-C); 143 terminated "
               "(SIGTERM).")
    commands = parser.add_subparsers(dest="command", required=True, metavar="COMMAND")

    play_parser = commands.add_parser(
        "play", formatter_class=_Formatter, help="play patterns or a show live",
        description="Play patterns, or a show file, in real time. With --midi (or a show "
                    "that follows one), play stops at the end of the file; otherwise at "
                    "Ctrl-C or a --seconds/--beats limit. "
                    "A send that the network refuses is counted, reported at most once a "
                    "second and tried again every frame. On any stop, DMX outputs black out.")
    play_parser.add_argument("patterns", nargs="+", metavar="PATTERN",
                             help="rudiment or catalogue pattern names, or one show file")
    source = play_parser.add_mutually_exclusive_group()
    source.add_argument("--midi", metavar="FILE", help="follow the tempo map of a MIDI file")
    source.add_argument("--bpm", type=_positive, help="a constant tempo")
    source.add_argument("--midi-clock", metavar="PORT",
                        help="follow MIDI clock from a mido input port, or '-' for raw MIDI "
                             "bytes on standard input")
    source.add_argument("--link", action="store_true",
                        help="follow the Ableton Link session on the local network (the "
                             "link extra)")
    play_parser.add_argument("--quantum", type=_whole(1, 64, "a number of beats"), default=4,
                             metavar="BEATS", help="beats a bar: Link's quantum, and the "
                                                   "status view's bars")
    play_parser.add_argument("--start-stop-sync", action="store_true",
                             help="with --link, follow the session's start and stop")
    play_parser.add_argument("--osc", metavar="HOST:PORT", help="send OSC bundles there")
    play_parser.add_argument("--prefix", default="/kinetrope", help="OSC address prefix")
    play_parser.add_argument("--dmx", metavar="UNIVERSE@HOST",
                             help="send sACN to HOST (UNIVERSE alone: multicast), one moving "
                                  "head per pattern")
    play_parser.add_argument("--start", type=_channel, default=1, metavar="CHANNEL",
                             help="DMX channel of the first fixture")
    play_parser.add_argument("--pan-travel", type=_positive, default=540.0, metavar="DEG",
                             help="degrees the fixture's pan range spans")
    play_parser.add_argument("--tilt-travel", type=_positive, default=270.0, metavar="DEG",
                             help="degrees the fixture's tilt range spans")
    play_parser.add_argument("--pan-swing", type=_finite, default=90.0, metavar="DEG",
                             help="pan degrees for x = ±1 around the centre")
    play_parser.add_argument("--tilt-swing", type=_finite, default=45.0, metavar="DEG",
                             help="tilt degrees for y = ±1 around the centre")
    play_parser.add_argument("--dimmer", action="store_true",
                             help="a fifth channel per fixture: dimmer from z")
    _shaping_options(play_parser)
    play_parser.add_argument("--print", action="store_true",
                             help="print seconds, pip and every pattern's x y z per frame")
    play_parser.add_argument("--fps", type=_fps, default=60.0, help="frames per second")
    play_parser.add_argument("--quiet", action="store_true",
                             help="no status: neither the live view on a terminal nor the "
                                  "line every few seconds elsewhere")
    play_parser.add_argument("--status-every", type=_positive, default=PLAIN_INTERVAL,
                             metavar="SECONDS",
                             help="how often the status line comes without a terminal")
    limit = play_parser.add_mutually_exclusive_group()
    limit.add_argument("--seconds", type=_positive, help="stop after this many seconds")
    limit.add_argument("--beats", type=_positive, help="stop at this beat")
    play_parser.set_defaults(run=play)

    render_parser = commands.add_parser(
        "render", formatter_class=_Formatter, help="render patterns or a show to CSV",
        description="Render frames at a fixed rate to CSV, with a header row: for patterns, "
                    "through a MIDI file's tempo map, frame, seconds, pip, then x, y, z per "
                    "pattern; for a show, through --midi or the show's own tempo, frame, "
                    "seconds, pip, then the 0-255 value of every patched DMX channel, "
                    "u<universe>.<channel>, exactly what play sends.")
    render_parser.add_argument("patterns", nargs="+", metavar="PATTERN",
                               help="rudiment or catalogue pattern names, or one show file")
    render_parser.add_argument("--midi", metavar="FILE",
                               help="the MIDI file whose tempo map and length to use")
    render_parser.add_argument("--seconds", type=_positive,
                               help="a show at its own tempo: how many seconds to render")
    _shaping_options(render_parser)
    render_parser.add_argument("--fps", type=_fps, default=60.0, help="frames per second")
    render_parser.add_argument("--max-frames", type=_count, default=MAX_FRAMES, metavar="N",
                               help="refuse, before writing anything, a render of more "
                                    "frames than this")
    render_parser.add_argument("-o", "--output", required=True, metavar="FILE",
                               help="CSV file to write, '-' for standard output")
    render_parser.set_defaults(run=render_command)

    check_parser = commands.add_parser(
        "check", formatter_class=_Formatter, help="check a show file and print its patch",
        description="Check a show file whole: print the patch (universe, channels, fixture, "
                    "type, mode and where pan, tilt and dimmer sit) and the outputs, and "
                    "exit 0; or print every problem found, one a line, and exit 2.")
    check_parser.add_argument("show", metavar="SHOW", help="the show file (TOML)")
    check_parser.set_defaults(run=check_command)
    return parser


class Terminated(BaseException):
    """SIGTERM: unwinds like Ctrl-C, so outputs black out."""


_stopping = False


def _stop(signum: int, frame: Any) -> None:
    """Ctrl-C or SIGTERM: unwind, so that every output blacks out. A second one, while the
    outputs black out, ends the process at once."""
    global _stopping
    if _stopping:
        with contextlib.suppress(Exception):
            os.write(2, b"interrupted again: exiting without finishing the blackout\n")
        os._exit(128 + signum)
    _stopping = True
    raise KeyboardInterrupt if signum == signal.SIGINT else Terminated


def _say(text: str) -> None:
    """A line on standard error, if there is one."""
    if sys.stderr is not None:
        print(text, file=sys.stderr, flush=True)


def main(argv: Sequence[str] | None = None) -> int:
    parser = build_parser()
    args = parser.parse_args(_glue_numbers(sys.argv[1:] if argv is None else argv))
    with contextlib.suppress(ValueError):   # not the main thread: leave signals alone
        signal.signal(signal.SIGTERM, _stop)
        signal.signal(signal.SIGINT, _stop)
    try:
        return int(args.run(args))
    except (UsageError, MissingDependency) as error:
        _say(f"{PROG}: error: {error}")
        return 2
    except ShowRefused as refused:
        for line in refused.lines:
            _say(line)
        return 2
    except WriteFailed as error:
        _say(f"{PROG}: error: {error}")
        return 1
    except KeyboardInterrupt:
        _say("interrupted")
        return 130
    except Terminated:
        _say("terminated")
        return 128 + signal.SIGTERM
    except BrokenPipeError:
        # The reader went away (`| head`): silence the final flush of stdout too.
        if sys.stdout is not None:
            devnull = os.open(os.devnull, os.O_WRONLY)
            with contextlib.suppress(OSError, ValueError):
                os.dup2(devnull, sys.stdout.fileno())
            os.close(devnull)
        return 1


if __name__ == "__main__":
    sys.exit(main())
