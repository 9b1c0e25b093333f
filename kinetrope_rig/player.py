"""The live frame loop: a clock gives the pip, the pip gives the points, and every output
sends each frame. Outputs fail apart: a send that the network refuses for a while is
counted, reported at most once a second and tried again on the next frame; an output that
cannot go on stops the show, after the others have blacked out."""

from __future__ import annotations

import math
import sys
import time
from dataclasses import dataclass, field
from typing import Callable, Mapping, Protocol, Sequence, TextIO

from ._net import describe, is_transient
from .dmx import UNIVERSE_SIZE
from .frame import Frame
from .osc import OscSender

REPORT_INTERVAL = 1.0            # seconds between two reports of one output's failures


class Output(Protocol):
    """Where frames go. ``send`` raises ``OSError`` when the network refuses a frame;
    ``blackout`` leaves every light it drives dark; ``close`` ends it for good."""

    name: str

    def send(self, frame: Frame) -> None: ...
    def blackout(self) -> None: ...
    def close(self) -> None: ...


class PrintOutput:
    """Seconds, pip and every point's x, y and z, one line a frame."""

    def __init__(self, stream: TextIO, name: str = "standard output") -> None:
        self.stream, self.name = stream, name

    def send(self, frame: Frame) -> None:
        cells = " ".join(f"{name} {p.x:+.4f} {p.y:+.4f} {p.z:+.4f}"
                         for name, p in frame.points.items())
        self.stream.write(f"{frame.seconds:9.3f} {frame.pip:8d}  {cells}\n")
        self.stream.flush()

    def blackout(self) -> None:
        pass

    def close(self) -> None:
        pass


class OscOutput:
    """Every frame as OSC bundles, one message a point."""

    def __init__(self, sender: OscSender) -> None:
        self.sender = sender
        host = f"[{sender.host}]" if ":" in sender.host else sender.host
        self.name = f"OSC {host}:{sender.port}"

    def send(self, frame: Frame) -> None:
        self.sender.send_frame(frame.points)

    def blackout(self) -> None:
        pass                      # OSC carries positions, not light

    def close(self) -> None:
        self.sender.close()


class DmxSending(Protocol):
    """What ``DmxOutput`` needs of a sender: ``DmxSender`` and ``ArtNetSender`` have it."""

    def send(self, universe: int, data: bytes) -> None: ...
    def blackout(self) -> None: ...
    def stop(self) -> None: ...


class DmxOutput:
    """A frame's universes to a DMX sender: ``routes`` maps a universe of the frame to the
    number the sender sends it as (an Art-Net port-address counts from 0)."""

    def __init__(self, sender: DmxSending, routes: Mapping[int, int], name: str) -> None:
        self.sender, self.routes, self.name = sender, dict(routes), name
        self._zeros = bytes(UNIVERSE_SIZE)

    def send(self, frame: Frame) -> None:
        failure: OSError | None = None
        for universe, sent_as in self.routes.items():
            try:
                self.sender.send(sent_as, frame.universes.get(universe, self._zeros))
            except OSError as error:       # the other universes still get their frame
                failure = failure or error
        if failure is not None:
            raise failure

    def blackout(self) -> None:
        self.sender.blackout()

    def close(self) -> None:
        self.sender.stop()


def dmx_name(protocol: str, universes: Sequence[int], host: str | None) -> str:
    """How an output is named in reports: ``sACN universe 1 to 10.0.0.20``."""
    where = f"to {host}" if host else "(multicast)"
    plural = "s" if len(universes) > 1 else ""
    word = "port-address" if protocol == "Art-Net" else "universe"
    return f"{protocol} {word}{plural} {','.join(map(str, universes))} {where}"


class OutputFailed(Exception):
    """An output met an error that a later frame cannot get past."""

    def __init__(self, output: Output, error: BaseException) -> None:
        super().__init__(f"{output.name}: {describe(error)}")
        self.output, self.error = output, error


@dataclass
class OutputState:
    """What the player knows of one output's sending."""

    output: Output
    sent: int = 0                 # frames sent
    failed: int = 0               # frames whose send failed
    failing: int = 0              # failed frames since the last one that went out
    last_error: str | None = None
    _reported: float = field(default=-math.inf, repr=False)
    _told: bool = field(default=False, repr=False)   # this run of failures was reported


@dataclass
class Result:
    """How a show ended."""

    frames: int = 0
    dropped: int = 0              # frames skipped because the loop fell behind
    outputs: list[OutputState] = field(default_factory=list)
    failure: str | None = None    # why the show stopped early, if it did
    error: BaseException | None = None   # the output error that stopped it, if one did


@dataclass
class TimeSource:
    """Where a show's pip comes from: ``pip_at`` of a time, which is the seconds since the
    show started or, with ``absolute``, the clock's own time (``time.monotonic``); ``bpm``
    of the same time; ``failure`` says why the source died, ``state`` what it is doing
    ("stopped", "2 peers"); ``duration`` ends a show that follows a file."""

    name: str
    pip_at: Callable[[float], int]
    bpm: Callable[[float], float]
    absolute: bool = False
    duration: float | None = None
    failure: Callable[[], str | None] = lambda: None
    state: Callable[[], str] = lambda: ""


Watcher = Callable[["Player", Frame, float], None]


class Player:
    """Plays frames at ``fps`` until ``seconds`` have passed, the pip reaches ``end_pip``, the
    time source fails or an output fails for good.

    ``frame_at(seconds, pip)`` makes each frame, and every output sends it; then each of
    ``watchers`` sees the frame (a status view, a reloader). Between frames a watcher may
    change what plays: ``frame_at``, the ``source``, or the outputs (``add_output``,
    ``remove_output``). Whatever ends the loop, an exception or Ctrl-C included, every
    output blacks out and closes; a failure there is reported and does not stop the others.
    """

    def __init__(self, source: TimeSource, frame_at: Callable[[float, int], Frame],
                 outputs: Sequence[Output], *, fps: float, seconds: float | None = None,
                 end_pip: int | None = None, report: Callable[[str], None] | None = None,
                 watchers: Sequence[Watcher] = (),
                 clock: Callable[[], float] = time.monotonic,
                 sleep: Callable[[float], None] = time.sleep) -> None:
        if not (math.isfinite(fps) and fps > 0):
            raise ValueError(f"fps must be a positive number, not {fps!r}")
        self.source, self.frame_at = source, frame_at
        self.fps, self.seconds, self.end_pip = fps, seconds, end_pip
        self.report = report or _stderr
        self.watchers = list(watchers)
        self.clock, self.sleep = clock, sleep
        self.result = Result(outputs=[OutputState(output) for output in outputs])
        self.start = math.nan             # the clock's time at the first frame

    def time_of(self, now: float) -> float:
        """What the source's functions take at ``now``."""
        return now if self.source.absolute else now - self.start

    def run(self) -> Result:
        """Play the show; returns how it ended (also kept as ``result``)."""
        try:
            self._loop()
        except OutputFailed as failed:
            self.result.failure, self.result.error = str(failed), failed.error
        finally:
            self._shut_down()
        return self.result

    def add_output(self, output: Output) -> None:
        self.result.outputs.append(OutputState(output))

    def remove_output(self, output: Output) -> None:
        """Black out and close ``output``, and send it nothing more."""
        self.result.outputs = [s for s in self.result.outputs if s.output is not output]
        self._finish(output)

    def _loop(self) -> None:
        result = self.result
        period = 1.0 / self.fps
        self.frame_at(0.0, 0)    # tables that motions build on first use: before the clock
        self.start = start = self.clock()
        deadline = math.inf if self.seconds is None else start + self.seconds
        due = start
        while True:
            now = self.clock()
            if now >= deadline:
                return
            failure = self.source.failure()
            if failure is not None:
                result.failure = failure
                return
            pip = self.source.pip_at(self.time_of(now))
            if self.end_pip is not None and pip >= self.end_pip:
                return
            frame = self.frame_at(now - start, pip)
            for state in list(result.outputs):
                self._send(state, frame, now)
            result.frames += 1
            for watch in self.watchers:
                watch(self, frame, now)
            due += period
            if due < now:                 # fell behind: drop the missed frames, keep the grid
                missed = (now - due) // period + 1
                result.dropped += int(missed)
                due += missed * period
            self.sleep(max(0.0, min(due, deadline) - self.clock()))

    def _send(self, state: OutputState, frame: Frame, now: float) -> None:
        try:
            state.output.send(frame)
        except Exception as error:
            if not is_transient(error):
                raise OutputFailed(state.output, error) from error
            state.failed += 1
            state.failing += 1
            state.last_error = describe(error)
            if now - state._reported >= REPORT_INTERVAL:
                state._reported = now
                state._told = True
                self.report(f"{state.output.name}: send failed ({state.last_error}); "
                            f"{_frames(state.failed)} failed so far, trying every frame")
            return
        state.sent += 1
        # A recovery is news after a reported run of failures, not after each lone one
        # (a receiver that is not listening refuses every other datagram).
        if state._told and state.failing > 1:
            self.report(f"{state.output.name}: sending again after "
                        f"{_frames(state.failing)} failed")
        state.failing = 0
        state._told = False

    def _step(self, output: Output, step: str) -> None:
        """``output.blackout()`` or ``output.close()``; a failure is reported, not raised."""
        try:
            getattr(output, step)()
        except Exception as error:
            self.report(f"{output.name}: {step} failed ({describe(error)})")

    def _finish(self, output: Output) -> None:
        for step in ("blackout", "close"):
            self._step(output, step)

    def _shut_down(self) -> None:
        # Every output dark first, then each closed: the lights go out together.
        for step in ("blackout", "close"):
            for state in self.result.outputs:
                self._step(state.output, step)


def _frames(count: int) -> str:
    return f"{count} frame{'' if count == 1 else 's'}"


def _stderr(text: str) -> None:
    if sys.stderr is not None:
        print(text, file=sys.stderr, flush=True)
