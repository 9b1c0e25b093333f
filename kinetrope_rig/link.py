"""Following an Ableton Link session: its tempo, its beat phase on bars of ``quantum`` beats
and, when asked, its transport, turned into the pip at a ``time.monotonic()`` time.

The binding is LinkPython-extern (``pip install kinetrope[link]``). It carries Ableton's
Link library, whose licence is the GPL (version 2 or later), as native code."""

from __future__ import annotations

import math
import threading
import time
from typing import Any, Callable

from ._net import describe
from ._optional import MissingDependency, install_hint, require
from .tempo import PIPS_PER_BEAT

FEATURE = "Following an Ableton Link session"
# How often the offset between time.monotonic() and Link's clock is measured again. On
# Linux Link reads CLOCK_MONOTONIC_RAW and Python CLOCK_MONOTONIC, which NTP may slew by up
# to 0.05%: half a millisecond a second at most, a fifteenth of a pip at 200 bpm.
CALIBRATE_SECONDS = 1.0
CALIBRATE_READINGS = 5
# A transport that starts this little after a bar line (in beats) starts on that bar line.
ON_THE_BAR = 0.5 / PIPS_PER_BEAT
# Seconds between making the Link peer and joining the network. Joining at once, a new peer
# sometimes imposes its own tempo on the session it joins (in half of 16 trials here); a
# peer that waited half a second never did (in 40).
JOIN_DELAY = 0.6


def clock_offset(link_micros: Callable[[], int],
                 monotonic: Callable[[], float] = time.monotonic,
                 readings: int = CALIBRATE_READINGS) -> float:
    """The seconds to add to a ``monotonic()`` time to get the same instant on the clock
    whose whole microseconds ``link_micros()`` reads: of a few readings, the one bracketed
    most tightly by two ``monotonic()`` readings, taken as lying midway between them."""
    best, width = 0.0, math.inf
    for _ in range(readings):
        before = monotonic()
        micros = link_micros()
        after = monotonic()
        if after - before < width:
            width = after - before
            # The clock truncates to whole microseconds: the instant lies within the next one.
            best = (micros + 0.5) * 1e-6 - (before + after) / 2
    return best


class SessionPips:
    """The pip count that a Link session's beats drive, kept apart from the binding.

    Running, the pip is ``base + floor((beat - anchor) * 64)``: ``anchor`` is a bar line of
    the session (a multiple of ``quantum`` beats) and ``base`` a whole number of bars, so the
    pip is a whole number of bars on every bar line of the session. The pip never goes
    back. A step back of less than half a bar (the session's clock measurements settling, or
    its phase nudged by someone joining) holds the pip until the beats catch up; a larger
    one (the session's beat moved by more) goes on from the same phase in a later bar,
    whichever of the two disturbs fewer pips.
    """

    def __init__(self, quantum: int) -> None:
        self.quantum = quantum
        self.bar = quantum * PIPS_PER_BEAT
        self.running = False
        self._waiting = False      # started, but the bar line it starts on is still ahead
        self._base = 0
        self._anchor = 0.0
        self.last = 0               # the last pip given

    def start(self, beat: float, *, on_the_bar: bool) -> None:
        """Run from ``beat``: in phase from there on, or, ``on_the_bar``, from the first bar
        line at or after it, the pip held until then. The count goes on from the next whole
        bar, or from where it stands if that is one."""
        q = self.quantum
        bars = math.ceil((beat - ON_THE_BAR) / q) if on_the_bar else math.floor(beat / q)
        self._anchor = float(bars * q)
        self._base = -(-self.last // self.bar) * self.bar
        self.running, self._waiting = True, on_the_bar

    def stop(self, beat: float) -> int:
        """Stop at ``beat``: the pip there is held (never one before the last given)."""
        pip = self.at(beat)
        self.running = self._waiting = False
        return pip

    def at(self, beat: float) -> int:
        """The pip at ``beat``, a beat of the session on the quantum's bars."""
        if not self.running or not math.isfinite(beat):
            return self.last
        if self._waiting:
            if beat < self._anchor:
                return self.last
            self._waiting = False
        pip = self._base + math.floor((beat - self._anchor) * PIPS_PER_BEAT)
        behind = self.last - pip
        if behind > 0:
            if 2 * behind < self.bar:
                return self.last
            ahead = -(-behind // self.bar) * self.bar
            self._base += ahead
            pip += ahead
        self.last = pip
        return pip


def _binding() -> Any:
    link = require("link", "LinkPython-extern", FEATURE, extra="link")
    if not hasattr(getattr(link, "Link", None), "captureAppSessionState"):
        # Another distribution's module named "link" stands where the binding's would.
        raise MissingDependency(f"{FEATURE} requires the 'LinkPython-extern' package, but the "
                                f"module 'link' found is not its. {install_hint('link')}",
                                name="link")
    return link


class LinkFollower:
    """A peer of the Ableton Link session on the local network, and the pip that it plays.

    ``pip_at(now)``, with ``now`` a ``time.monotonic()`` time, is the session's beat at that
    instant, with bars of ``quantum`` beats, in pips (64 a beat), counted so that every bar
    line of the session is a whole bar of pips: ``pip % (quantum * 64) == 0`` there. Link's
    own clock counts microseconds (on Linux, ``CLOCK_MONOTONIC_RAW``); the offset between
    the two clocks is measured when the follower starts and again every second.

    Without ``start_stop_sync`` the pip runs all the time, from the bar line before the
    first ``pip_at``, so it starts below one bar and in phase. With it, the follower takes
    part in the session's start and stop: stopped (as it starts, until a peer starts the
    transport) the pip is held; a start runs it on from the first bar line at or after the
    start, from the next whole bar of pips (or from where it stands, if it stopped on one);
    a stop holds the pip where the session stopped. Joining a session that is playing, the
    pip counts the bars since its start, at the present tempo.

    The follower joins the network ``JOIN_DELAY`` seconds after it is made, and plays alone
    until then. Link keeps the tempo of the older session: a session that was there first
    keeps its own; peers that come more than half a second after the follower take the
    follower's tempo (``bpm`` at first). Alone, or when the last peer leaves, the follower
    goes on at the tempo it has; ``peers`` tells how many there are. While playing, the pip
    never goes back (see ``SessionPips``). If the binding fails, the pip holds and
    ``failure`` says why. The methods and properties may be called from any thread.

    Measured in the test suite, two peers on one machine, at 60 frames a second: the pip
    is within one pip of the other peer's beat on every frame, and a change of its tempo is
    followed within a fraction of a beat.
    """

    def __init__(self, quantum: int = 4, *, start_stop_sync: bool = False,
                 bpm: float = 120.0) -> None:
        if isinstance(quantum, bool) or not isinstance(quantum, int) or quantum < 1:
            raise ValueError(f"the quantum must be a whole number of beats, not {quantum!r}")
        if not (math.isfinite(bpm) and bpm > 0):
            raise ValueError(f"bpm must be a positive number, not {bpm!r}")
        binding = _binding()
        self.quantum, self.start_stop_sync = quantum, start_stop_sync
        self._lock = threading.Lock()
        self._pips = SessionPips(quantum)
        self._failure: str | None = None
        self._tempo = float(bpm)
        link = binding.Link(float(bpm))
        link.startStopSyncEnabled = start_stop_sync
        self._link: Any = link
        self._micros: Callable[[], int] = link.clock().micros
        self._calibrate()
        self._joining = threading.Timer(JOIN_DELAY, self._join)
        self._joining.daemon = True
        self._joining.start()

    def _join(self) -> None:
        with self._lock:
            if self._link is None or self._failure is not None:
                return
            try:
                self._link.enabled = True
            except Exception as error:
                self._failure = f"joining the Link session failed: {describe(error)}"

    def _calibrate(self) -> None:
        self._offset = clock_offset(self._micros)
        self._calibrated = time.monotonic()

    # -- the pip ------------------------------------------------------------------------

    def pip_at(self, now: float) -> int:
        """The pip at ``now``, a ``time.monotonic()`` time."""
        with self._lock:
            if self._link is None or self._failure is not None or not math.isfinite(now):
                return self._pips.last
            try:
                return self._pip_at(now)
            except Exception as error:      # the binding died: hold, and say why
                self._failure = f"the Link session failed: {describe(error)}"
                return self._pips.last

    def _pip_at(self, now: float) -> int:
        if abs(now - self._calibrated) >= CALIBRATE_SECONDS:
            self._calibrate()
        micros = max(0, round((now + self._offset) * 1e6))
        state = self._link.captureAppSessionState()
        self._tempo = state.tempo()
        pips, quantum = self._pips, self.quantum
        playing = state.isPlaying() if self.start_stop_sync else True
        if playing and not pips.running:
            start = state.timeForIsPlaying() if self.start_stop_sync else micros
            pips.start(state.beatAtTime(start, quantum), on_the_bar=self.start_stop_sync)
        elif not playing and pips.running:
            # A stop already heard of before it is due holds the pip of the present.
            stop = min(state.timeForIsPlaying(), micros)
            return pips.stop(state.beatAtTime(stop, quantum))
        return pips.at(state.beatAtTime(micros, quantum))

    # -- the session --------------------------------------------------------------------

    def _ask(self, question: Callable[[Any], Any], otherwise: Any) -> Any:
        with self._lock:
            if self._link is None or self._failure is not None:
                return otherwise
            try:
                return question(self._link)
            except Exception as error:
                self._failure = f"the Link session failed: {describe(error)}"
                return otherwise

    @property
    def bpm(self) -> float:
        """The session's tempo (the last one known, once closed or failed)."""
        tempo = self._ask(lambda link: link.captureAppSessionState().tempo(), None)
        if tempo is not None:
            self._tempo = tempo
        return self._tempo

    @property
    def peers(self) -> int:
        """How many other peers the session has: 0 alone, or once closed or failed."""
        return int(self._ask(lambda link: link.numPeers(), 0))

    @property
    def playing(self) -> bool:
        """Whether the session's transport plays: always while open without
        ``start_stop_sync``; never once closed or failed."""
        if not self.start_stop_sync:
            return self._ask(lambda link: True, False)
        return bool(self._ask(lambda link: link.captureAppSessionState().isPlaying(), False))

    @property
    def failure(self) -> str | None:
        """Why the binding failed, or ``None`` while it works."""
        return self._failure

    def close(self) -> None:
        """Leave the session, at once telling the peers; the pip holds from then on."""
        self._joining.cancel()
        with self._lock:
            link, self._link = self._link, None
        if link is not None:
            link.enabled = False

    def __enter__(self) -> LinkFollower:
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()
