"""kinetrope in a live rig: tempo from MIDI files and MIDI clock, motion out over OSC and
DMX (sACN), and offline rendering to CSV.

The optional libraries (``mido``, ``python-osc``, ``sacn``) are imported only by the
features that use them; install them with ``pip install kinetrope[rig]``.
"""

from ._optional import MissingDependency
from .clock import ClockFollower, follow_port, follow_stream
from .tempo import TempoMap

__all__ = ["ClockFollower", "MissingDependency", "TempoMap", "follow_port", "follow_stream"]
