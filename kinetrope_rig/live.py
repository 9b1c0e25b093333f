"""A show that takes in edits while it plays.

``ShowReloader`` watches the show file from a thread of its own. A saved change is read
and checked there, away from the frame loop; one that fails the check leaves the running
show as it was and reports every problem. One that passes is applied at the next bar
line, on the frame loop, between two frames: the new effects and patch from that frame on,
the tempo source and each output kept wherever they are unchanged, an output that the
change removes blacked out and closed, one that it adds opened. No frame is skipped.
"""

from __future__ import annotations

import os
import threading
from typing import TYPE_CHECKING, Callable

from .frame import Frame
from .player import Output, TimeSource
from .show import OutputSpec, Show, ShowError, ShowFrames, Tempo, load_show
from .tempo import PIPS_PER_BEAT

if TYPE_CHECKING:
    from .player import Player

POLL_SECONDS = 0.25              # how often the file is looked at


class ShowReloader:
    """The frames of a show that may change while it plays.

    ``frame(seconds, pip)`` is the player's ``frame_at``. ``open_output(spec)`` opens an
    output for a spec (it may raise ``OSError`` or ``ValueError``, which is reported);
    ``make_source(tempo, player, pip)`` makes the time source for a changed ``[tempo]``, to
    take over at ``pip``;
    ``outputs`` maps each spec of the show to its open output; ``report`` shows a message.
    Call ``attach(player)`` before playing and ``close()`` after.
    """

    def __init__(self, show: Show, frames: ShowFrames, outputs: dict[OutputSpec, Output],
                 open_output: Callable[[OutputSpec], Output],
                 make_source: Callable[[Tempo, Player, int], TimeSource],
                 report: Callable[[str], None], quantum: int = 4) -> None:
        self.show, self.frames, self.outputs = show, frames, dict(outputs)
        self.open_output, self.make_source, self.report = open_output, make_source, report
        self.bar_pips = quantum * PIPS_PER_BEAT
        self.player: Player | None = None
        self._lock = threading.Lock()
        self._pending: tuple[Show, ShowFrames] | None = None
        self._pending_bar: int | None = None
        self._stamp = self._stat()
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._watch, name="kinetrope-rig show watcher",
                                        daemon=True)

    def attach(self, player: Player) -> None:
        self.player = player
        self._thread.start()

    def close(self) -> None:
        self._stop.set()
        if self._thread.is_alive():
            self._thread.join(timeout=2.0)

    # -- the watcher's thread -----------------------------------------------------------

    def _stat(self) -> tuple[int, int, int] | None:
        try:
            info = os.stat(self.show.path)
        except OSError:
            return None
        return info.st_mtime_ns, info.st_size, info.st_ino

    def _watch(self) -> None:
        while not self._stop.wait(POLL_SECONDS):
            stamp = self._stat()
            if stamp is None or stamp == self._stamp:
                continue
            self._stamp = stamp
            try:
                show = load_show(self.show.path)
                frames = ShowFrames(show)
            except ShowError as error:
                self.report(f"{self.show.path}: changed, but not taken in; the show plays on:")
                for line in error.lines:
                    self.report(line)
                continue
            except Exception as error:        # anything a half-written file may cause
                self.report(f"{self.show.path}: changed, but not taken in ({error!r})")
                continue
            with self._lock:
                self._pending = (show, frames)
                self._pending_bar = None
            self.report(f"{self.show.path}: changed and checked; taken in at the next bar")

    # -- the frame loop ------------------------------------------------------------------

    def frame(self, seconds: float, pip: int) -> Frame:
        with self._lock:
            pending = self._pending
            if pending is not None:
                bar = pip // self.bar_pips
                if self._pending_bar is None:
                    self._pending_bar = bar          # the bar in which the change arrived
                elif bar != self._pending_bar:
                    self._pending = None
                    self._apply(*pending, pip)
        return self.frames.frame(seconds, pip)

    def _apply(self, show: Show, frames: ShowFrames, pip: int) -> None:
        player = self.player
        old = self.outputs
        kept = {spec: output for spec, output in old.items() if spec in show.outputs}
        if player is not None:
            for spec, output in old.items():
                if spec not in kept:
                    player.remove_output(output)          # dark first, then closed
            for spec in show.outputs:
                if spec in kept:
                    continue
                try:
                    kept[spec] = output = self.open_output(spec)
                except (OSError, ValueError) as error:
                    self.report(f"{show.path}: cannot open the {spec.protocol} output "
                                f"to {spec.host or 'multicast'}: {error}")
                    continue
                player.add_output(output)
            if show.tempo != self.show.tempo:
                player.source = self.make_source(show.tempo, player, pip)
        self.outputs = kept
        self.show, self.frames = show, frames
        self.report(f"{show.path}: taken in at bar {pip // self.bar_pips + 1}")
