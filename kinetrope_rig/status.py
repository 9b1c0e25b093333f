"""What plays, for the operator: a live view on a terminal, drawn with ``rich``, or one plain
line every few seconds where there is no terminal (a pipe, a service).

The view shows the time source and its tempo, bar.beat.pip, the frames a second achieved
and those dropped, each output's frames sent and last error, the recent messages (failed
sends, reloads), and every fixture's pan, tilt and dimmer, as compactly as the terminal
allows. ``Status`` is a watcher of the player: it counts every frame and draws a few times
a second, so its cost does not grow with the frame rate.
"""

from __future__ import annotations

import math
import time
from collections import deque
from typing import TYPE_CHECKING, Any, Callable, Sequence, TextIO

from ._optional import require
from .frame import Frame
from .tempo import PIPS_PER_BEAT

if TYPE_CHECKING:
    from .player import Player

REFRESH = 0.25                   # seconds between two drawings of the live view
PLAIN_INTERVAL = 5.0             # seconds between two plain status lines
MESSAGES = 6                     # recent messages the live view keeps

# A fixture as the view shows it: name, pan and tilt in degrees, dimmer 0..1 (or None).
FixtureAim = tuple[str, float, float, "float | None"]


def position(pip: int, quantum: int = 4) -> str:
    """``bar.beat.pip``, counted from 1, 1 and 0, with ``quantum`` beats a bar."""
    bar_pips = quantum * PIPS_PER_BEAT
    return (f"{pip // bar_pips + 1}.{pip % bar_pips // PIPS_PER_BEAT + 1}."
            f"{pip % PIPS_PER_BEAT:02d}")


class Status:
    """A player's watcher that shows what plays on ``stream``: live (``live=True``, a
    terminal) or one plain line every ``interval`` seconds. ``aims(frame)`` gives every
    fixture's aim, or None to show points' x, y, z instead. ``report`` prints a message
    above the live view, or as a line of its own."""

    def __init__(self, stream: TextIO, *, live: bool,
                 aims: Callable[[Frame], Sequence[FixtureAim] | None] | None = None,
                 quantum: int = 4, interval: float = PLAIN_INTERVAL,
                 clock: Callable[[], float] = time.monotonic) -> None:
        self.stream, self.aims, self.quantum, self.interval = stream, aims, quantum, interval
        self.clock = clock
        self.messages: deque[str] = deque(maxlen=MESSAGES)
        self._times: deque[float] = deque(maxlen=256)
        self._drawn = -math.inf
        self._live: Any = None
        self._console: Any = None
        if live:
            rich_live = require("rich.live", "rich", "The live status view")
            console = require("rich.console", "rich", "The live status view")
            self._console = console.Console(file=stream)
            self._live = rich_live.Live(console=self._console, auto_refresh=False,
                                        transient=False, redirect_stdout=False,
                                        redirect_stderr=False)
            self._live.start()

    def report(self, text: str) -> None:
        self.messages.append(text)
        if self._live is not None:
            self._console.print(text, markup=False, highlight=False)
        elif self.stream is not None:
            print(text, file=self.stream, flush=True)

    def fps(self) -> float:
        """Frames a second over the last second or so of frames."""
        times = self._times
        while len(times) > 2 and times[-1] - times[0] > 1.0:
            times.popleft()
        if len(times) < 2 or times[-1] <= times[0]:
            return 0.0
        return (len(times) - 1) / (times[-1] - times[0])

    def __call__(self, player: Player, frame: Frame, now: float) -> None:
        self._times.append(now)
        if self._drawn == -math.inf and self._live is None:
            self._drawn = now              # the first plain line comes after an interval
        every = REFRESH if self._live is not None else self.interval
        if now - self._drawn < every:
            return
        self._drawn = now
        if self._live is not None:
            self._live.update(self.view(player, frame, now), refresh=True)
        else:
            print(self.line(player, frame, now), file=self.stream, flush=True)

    def _tempo(self, player: Player, now: float) -> str:
        source = player.source
        state = source.state()
        return (f"{source.name}: {source.bpm(player.time_of(now)):.1f} bpm"
                + (f", {state}" if state else ""))

    def line(self, player: Player, frame: Frame, now: float) -> str:
        """The plain status line."""
        result = player.result
        outputs = "; ".join(
            f"{s.output.name}: {s.sent} sent, {s.failed} failed"
            + (f" (the last: {s.last_error})" if s.last_error and s.failing else "")
            for s in result.outputs)
        return (f"{frame.seconds:8.1f} s  {position(frame.pip, self.quantum)}  "
                f"{self._tempo(player, now)}  {self.fps():.1f} fps, {result.dropped} dropped"
                + (f"  {outputs}" if outputs else ""))

    def view(self, player: Player, frame: Frame, now: float) -> Any:
        """The live view, as a ``rich`` renderable."""
        console = require("rich.console", "rich", "The live status view")
        table = require("rich.table", "rich", "The live status view")
        text = require("rich.text", "rich", "The live status view")
        result = player.result
        head = text.Text.assemble(
            ("kinetrope ", "bold"), (f"{position(frame.pip, self.quantum)}", "bold cyan"),
            f"  {self._tempo(player, now)}  ",
            (f"{self.fps():.1f} fps", "green"), f", {result.dropped} dropped  ",
            f"{frame.seconds:.1f} s")
        outputs = table.Table(box=None, padding=(0, 1), show_header=True, header_style="dim")
        for column in ("output", "sent", "failed", "last error"):
            outputs.add_column(column, justify="right" if column in ("sent", "failed")
                               else "left")
        for state in result.outputs:
            error = state.last_error or ""
            outputs.add_row(state.output.name, str(state.sent), str(state.failed),
                            text.Text(error, style="red" if state.failing else "dim"))
        parts: list[Any] = [head, outputs, self._fixtures(frame)]
        if self.messages:
            parts.append(text.Text("\n".join(self.messages), style="yellow"))
        return console.Group(*parts)

    def _fixtures(self, frame: Frame) -> Any:
        text = require("rich.text", "rich", "The live status view")
        aims = self.aims(frame) if self.aims is not None else None
        if aims is not None:
            cells = [f"{name} {pan:5.1f}° {tilt:5.1f}°" +
                     ("" if level is None else f" {level * 100:3.0f}%")
                     for name, pan, tilt, level in aims]
        else:
            cells = [f"{name} {p.x:+.2f} {p.y:+.2f} {p.z:+.2f}"
                     for name, p in frame.points.items()]
        width = max((len(cell) for cell in cells), default=1) + 2
        columns = max(1, (self._console.width if self._console else 80) // width)
        rows_room = max(1, (self._console.height if self._console else 24) - 16)
        shown = cells[:columns * rows_room]
        lines = ["".join(cell.ljust(width) for cell in shown[i:i + columns])
                 for i in range(0, len(shown), columns)]
        if len(cells) > len(shown):
            lines.append(f"... and {len(cells) - len(shown)} more")
        return text.Text("\n".join(lines))

    def close(self) -> None:
        if self._live is not None:
            self._live.stop()
            self._live = None
