"""kinetrope in a live rig: tempo from MIDI files, MIDI clock and Ableton Link, motion shaped
by shapes, effects and fans, shows of real fixtures, out over OSC and DMX (sACN, Art-Net), and
offline rendering to CSV.

The optional libraries (``mido``, ``python-osc``, ``sacn``, ``numpy``) are imported only by the
features that use them; install them with ``pip install kinetrope[rig]``. Following a Link
session needs the Link binding, ``pip install kinetrope[link]`` (GPL-2.0-or-later).
"""

from ._optional import MissingDependency
from .clock import ClockFollower, follow_port, follow_stream
from .artnet import ArtNetSender
from .dmx import DmxFixture, DmxSender
from .effects import Effect, Fan
from .link import LinkFollower
from .motions import Motions
from .osc import OscSender
from .offline import render
from .show import ShowError, ShowFrames, load_show
from .tempo import TempoMap

__all__ = ["ArtNetSender", "ClockFollower", "DmxFixture", "DmxSender", "Effect", "Fan",
           "LinkFollower", "MissingDependency", "Motions", "OscSender", "ShowError", "ShowFrames",
           "TempoMap", "follow_port", "follow_stream", "load_show", "render"]
