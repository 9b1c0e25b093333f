"""kinetrope in a live rig: tempo from MIDI files and MIDI clock, motion shaped by shapes,
effects and fans, shows of real fixtures, out over OSC and DMX (sACN, Art-Net), and offline
rendering to CSV.

The optional libraries (``mido``, ``python-osc``, ``sacn``, ``numpy``) are imported only by the
features that use them; install them with ``pip install kinetrope[rig]``.
"""

from ._optional import MissingDependency
from .clock import ClockFollower, follow_port, follow_stream
from .artnet import ArtNetSender
from .dmx import DmxFixture, DmxSender
from .effects import Effect, Fan
from .motions import Motions
from .osc import OscSender
from .offline import render
from .show import ShowError, ShowFrames, load_show
from .tempo import TempoMap

__all__ = ["ArtNetSender", "ClockFollower", "DmxFixture", "DmxSender", "Effect", "Fan",
           "MissingDependency", "Motions", "OscSender", "ShowError", "ShowFrames", "TempoMap",
           "follow_port", "follow_stream", "load_show", "render"]
