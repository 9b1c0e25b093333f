"""Fixture definitions: where a moving head takes its pan, tilt and dimmer in its DMX
footprint, and the bytes that put it at a share of its travel.

A definition file is read in the Open Fixture Library's JSON format, once and whole, into
frozen dataclasses; a mode of it then becomes a :class:`FixtureLayout`. A fixture with no
file is described inline with :func:`inline_layout`. Everything wrong with a file or a
description is reported as :class:`DefinitionError`, one line per problem, naming the file,
the key path and what is wrong.

A value is a *share* of its channel's range: 0.0 at one end, 1.0 at the other, written as
``round-half-up(share * (2**bits - 1))`` with its bytes most significant first.
"""

from __future__ import annotations

import json
import math
import os
import re
from dataclasses import dataclass
from itertools import accumulate
from typing import Any, Iterable

from ._files import Unreadable, read_regular
from .dmx import UNIVERSE_SIZE

MAX_FILE_BYTES = 4 * 1024 * 1024
MAX_DEPTH = 32          # real definitions nest about eight deep
MAX_ITEMS = 4096        # channels, modes, entries of one list
MAX_PIXELS = 4096
MAX_FINE = 8            # fine aliases of one channel
MAX_PROBLEMS = 50       # reported of one file; the rest are counted
BITS = (8, 16, 24)
FUNCTIONS = ("Pan", "Tilt", "Intensity")  # the capability types this module acts on
PIXEL_ORDERS = frozenset(f"eachPixel{order}" for order in
                         ("ABC", "XYZ", "XZY", "YXZ", "YZX", "ZXY", "ZYX"))
PIXEL_KEY = "$pixelKey"


# -- problems -----------------------------------------------------------------------------

def _printable(text: str) -> str:
    """``text`` on one line: anything unprintable escaped."""
    if text.isprintable():
        return text
    return "".join(c if c.isprintable() else repr(c)[1:-1] for c in text)


def quote(text: str, limit: int = 60) -> str:
    """A name from a file as it appears in a message: quoted, escaped and cut short."""
    return repr(text if len(text) <= limit else text[:limit] + "...")


@dataclass(frozen=True)
class Problem:
    """One thing wrong: in ``source`` (a file as the user named it), at ``where`` (a key
    path such as ``modes[1].channels[4]``; may be empty)."""

    source: str
    where: str
    what: str

    def __str__(self) -> str:
        return _printable(": ".join(part for part in (self.source, self.where, self.what)
                                    if part))


class DefinitionError(ValueError):
    """A definition or a layout was refused; ``problems`` holds each reason, and ``str``
    gives one line per problem."""

    def __init__(self, problems: Iterable[Problem]) -> None:
        self.problems = tuple(problems)
        super().__init__("\n".join(map(str, self.problems)))

    @property
    def lines(self) -> tuple[str, ...]:
        return tuple(map(str, self.problems))


def _key(path: str, key: str) -> str:
    """``path`` extended by an object key."""
    if re.fullmatch(r"[A-Za-z_][A-Za-z0-9_]*", key):
        return f"{path}.{key}" if path else key
    return f"{path}[{quote(key)}]"


_KINDS: dict[type, str] = {str: "a string", list: "a list", dict: "an object",
                           int: "an integer"}


class _Reader:
    """Collects problems while taking typed values out of parsed JSON."""

    def __init__(self, source: str) -> None:
        self.source = source
        self.problems: list[Problem] = []
        self.count = 0

    def fail(self, where: str, what: str) -> None:
        self.count += 1
        if self.count <= MAX_PROBLEMS:
            self.problems.append(Problem(self.source, where, what))

    def error(self) -> DefinitionError:
        more = self.count - len(self.problems)
        extra = [Problem(self.source, "", f"{more} more problems")] if more else []
        return DefinitionError(self.problems + extra)

    def typed(self, value: Any, kind: type, where: str) -> Any:
        """``value`` if it is a ``kind`` (bool is no integer), else None and a problem."""
        if isinstance(value, kind) and not isinstance(value, bool):
            return value
        self.fail(where, f"must be {_KINDS[kind]}, not {_json_kind(value)}")
        return None

    def field(self, obj: dict[str, Any], key: str, kind: type, where: str,
              required: bool = False) -> Any:
        if key not in obj:
            if required:
                self.fail(where, f"{quote(key)} is missing")
            return None
        return self.typed(obj[key], kind, _key(where, key))

    def items(self, value: Any, where: str, limit: int = MAX_ITEMS) -> list[Any]:
        """The elements of a list field, or none with a problem."""
        if value is None:
            return []
        if len(value) > limit:
            self.fail(where, f"holds {len(value)} entries; at most {limit} are read")
            return []
        return list(value)


def _json_kind(value: Any) -> str:
    if value is None:
        return "null"
    if isinstance(value, bool):
        return "true" if value else "false"
    if isinstance(value, (int, float)):
        return "a number"
    return _KINDS.get(type(value), "a value")


# -- value arithmetic -----------------------------------------------------------------------

def full_scale(bits: int) -> int:
    """The highest value at ``bits`` bits."""
    return (1 << bits) - 1


def share_value(share: float, bits: int, span: tuple[int, int] | None = None) -> int:
    """The value for ``share`` (0.0 to 1.0) of ``span`` (low, high; by default the whole
    range at ``bits``): ``low + round-half-up(share * (high - low))``.

    A share outside 0..1 is clamped, and one that is not a number counts as 0. At 16 bits
    over the whole range this is ``DmxFixture``'s rule, bit for bit.
    """
    low, high = span if span is not None else (0, full_scale(bits))
    if not share >= 0.0:
        share = 0.0
    elif share > 1.0:
        share = 1.0
    return low + math.floor(share * (high - low) + 0.5)


def value_bytes(value: int, bits: int) -> tuple[int, ...]:
    """``value`` as ``bits // 8`` bytes, most significant first."""
    return tuple((value >> shift) & 0xFF for shift in range(bits - 8, -1, -8))


def rescale_range(low: int, high: int, from_bytes: int, to_bytes: int) -> tuple[int, int]:
    """A DMX range written at ``from_bytes`` bytes as it reads at ``to_bytes``: a coarser
    range drops the low bytes, a finer one covers every fine value of its ends."""
    shift = 8 * (to_bytes - from_bytes)
    if shift <= 0:
        return low >> -shift, high >> -shift
    return low << shift, (high << shift) | ((1 << shift) - 1)


# -- the layout a show drives ---------------------------------------------------------------

@dataclass(frozen=True)
class Parameter:
    """A value at 8, 16 or 24 bits over ``offsets`` (from the fixture's first channel,
    coarse first). ``span`` is the lowest and highest value that carries the function
    (None: the whole range)."""

    offsets: tuple[int, ...]
    span: tuple[int, int] | None = None

    def __post_init__(self) -> None:
        if len(self.offsets) not in (1, 2, 3) or min(self.offsets) < 0:
            raise ValueError("a parameter takes one to three channels at offsets from 0")
        if self.span is not None and not 0 <= self.span[0] < self.span[1] <= full_scale(
                self.bits):
            raise ValueError(f"span {self.span} does not fit {self.bits} bits")

    @property
    def bits(self) -> int:
        return 8 * len(self.offsets)

    def value(self, share: float) -> int:
        return share_value(share, self.bits, self.span)

    def encode(self, share: float) -> tuple[tuple[int, int], ...]:
        """``(offset, byte)`` for each channel at ``share``."""
        return tuple(zip(self.offsets, value_bytes(self.value(share), self.bits)))


@dataclass(frozen=True, kw_only=True)
class Axis(Parameter):
    """Pan or tilt: ``travel`` degrees from share 0 to share 1. ``reversed``: the file's
    angle falls as the value rises."""

    travel: float
    reversed: bool = False


@dataclass(frozen=True)
class FixtureLayout:
    """Where one fixture model, in one mode, takes pan, tilt and dimmer: ``channels`` is
    its footprint. ``source`` and ``mode`` say where it came from, for messages."""

    channels: int
    pan: Axis
    tilt: Axis
    dimmer: Parameter | None = None
    source: str = ""
    mode: str = ""

    def encode(self, pan: float, tilt: float, dimmer: float | None = None) -> dict[int, int]:
        """``{offset: byte}`` for pan and tilt at shares of their travel and, given a
        level from 0 to 1 and a dimmer channel, the dimmer."""
        values = dict(self.pan.encode(pan) + self.tilt.encode(tilt))
        if dimmer is not None and self.dimmer is not None:
            values.update(self.dimmer.encode(dimmer))
        return values


def _positive_degrees(value: Any) -> bool:
    return (isinstance(value, (int, float)) and not isinstance(value, bool)
            and math.isfinite(value) and value > 0)


def inline_layout(channels: int, *, pan_offset: int, tilt_offset: int,
                  pan_travel: float, tilt_travel: float, pan_bits: int = 16,
                  tilt_bits: int = 16, dimmer_offset: int | None = None,
                  dimmer_bits: int = 8, source: str = "", where: str = "") -> FixtureLayout:
    """A layout for a fixture that has no definition file. Offsets count from 0 at the
    fixture's first channel; each parameter's fine channels follow its coarse one.

    Problems name ``source`` and the argument under ``where`` (``types.mover.pan_offset``
    for ``where="types.mover"``); all of them are raised together.
    """
    reader = _Reader(source)

    def at(name: str) -> str:
        return f"{where}.{name}" if where else name

    def count(value: Any, name: str, low: int, high: int) -> bool:
        if type(value) is not int or not low <= value <= high:
            reader.fail(at(name), f"must be an integer from {low} to {high}, not {value!r}")
            return False
        return True

    count(channels, "channels", 1, UNIVERSE_SIZE)
    claims: dict[int, str] = {}
    params: dict[str, tuple[int, ...]] = {}
    for name, offset, bits in (("pan", pan_offset, pan_bits), ("tilt", tilt_offset, tilt_bits),
                               ("dimmer", dimmer_offset, dimmer_bits)):
        if offset is None:
            continue
        bits_ok = bits in BITS and type(bits) is int
        if not bits_ok:
            reader.fail(at(f"{name}_bits"), f"must be 8, 16 or 24, not {bits!r}")
        if not count(offset, f"{name}_offset", 0, UNIVERSE_SIZE - 1) or not bits_ok:
            continue
        offsets = tuple(range(offset, offset + bits // 8))
        if type(channels) is int and offsets[-1] >= channels:
            reader.fail(at(f"{name}_offset"), f"{name} at {offset} with {bits} bits passes "
                        f"the end of {channels} channels")
        for taken in offsets:
            if taken in claims:
                reader.fail(at(f"{name}_offset"), f"{name} shares offset {taken} with "
                            f"{claims[taken]}")
            claims.setdefault(taken, name)
        params[name] = offsets
    for name, travel in (("pan_travel", pan_travel), ("tilt_travel", tilt_travel)):
        if not _positive_degrees(travel):
            reader.fail(at(name), f"must be a positive number of degrees, not {travel!r}")
    if reader.problems:
        raise reader.error()
    dimmer = params.get("dimmer")
    return FixtureLayout(channels, Axis(params["pan"], travel=float(pan_travel)),
                         Axis(params["tilt"], travel=float(tilt_travel)),
                         None if dimmer is None else Parameter(dimmer), source=source)


# -- a definition file, read whole ----------------------------------------------------------

@dataclass(frozen=True)
class Angle:
    """``angleStart``/``angleEnd`` of a capability: degrees, or percent of an unpublished
    range."""

    value: float
    percent: bool


@dataclass(frozen=True)
class Capability:
    """A Pan, Tilt or Intensity capability: over ``dmx_range`` (None: the whole channel),
    from angle ``start`` to ``end`` where it has a range."""

    kind: str
    dmx_range: tuple[int, int] | None = None
    start: Angle | None = None
    end: Angle | None = None


@dataclass(frozen=True)
class ChannelDef:
    """A channel of the file: its key, its fine aliases (most significant first), the
    resolution its DMX ranges are written in (bytes), and the capabilities acted on."""

    key: str
    fine: tuple[str, ...] = ()
    resolution: int = 1
    capabilities: tuple[Capability, ...] = ()

    def does(self, kind: str) -> bool:
        return any(cap.kind == kind for cap in self.capabilities)


@dataclass(frozen=True)
class Placed:
    """A channel doing a function in a mode, at ``offsets`` coarse first (the fine ones the
    mode uses, in order)."""

    channel: ChannelDef
    offsets: tuple[int, ...]


@dataclass(frozen=True)
class Mode:
    """A mode: its footprint in channels and where pan, tilt and dimmer are, if anywhere."""

    name: str
    short_name: str | None
    channels: int
    pan: Placed | None
    tilt: Placed | None
    dimmer: Placed | None


@dataclass(frozen=True)
class Definition:
    """A fixture definition file, as read."""

    source: str
    name: str
    modes: tuple[Mode, ...]

    def mode(self, name: str) -> Mode:
        """The mode called ``name``, or with ``name`` as its short name."""
        for mode in self.modes:
            if mode.name == name:
                return mode
        for mode in self.modes:
            if mode.short_name == name:
                return mode
        known = ", ".join(quote(mode.name) for mode in self.modes[:12])
        more = ", ..." if len(self.modes) > 12 else ""
        asked = quote(name) if isinstance(name, str) else repr(name)
        raise DefinitionError([Problem(self.source, "modes", f"no mode named {asked} "
                                                             f"(modes: {known}{more})")])

    def layout(self, mode: str, pan_travel: float | None = None,
               tilt_travel: float | None = None) -> FixtureLayout:
        """The layout of ``mode``. A travel given here wins over the file's angles: it is
        the show's statement about the unit in front of it, and is needed where the file
        gives percent only."""
        chosen = self.mode(mode)
        reader = _Reader(self.source)
        where = f"mode {quote(chosen.name)}"
        if chosen.channels > UNIVERSE_SIZE:
            reader.fail(where, f"{chosen.channels} channels do not fit in one universe "
                               f"({UNIVERSE_SIZE})")
        pan = _axis(reader, where, chosen.pan, "Pan", pan_travel)
        tilt = _axis(reader, where, chosen.tilt, "Tilt", tilt_travel)
        dimmer = _dimmer(reader, where, chosen.dimmer)
        taken = [offset for part in (pan, tilt, dimmer) if part is not None
                 for offset in part.offsets]
        if len(set(taken)) != len(taken):
            reader.fail(where, "pan, tilt and dimmer share a channel")
        if reader.count or pan is None or tilt is None:
            raise reader.error()
        return FixtureLayout(chosen.channels, pan, tilt, dimmer, self.source, chosen.name)


def _width(reader: _Reader, where: str, placed: Placed, what: str) -> bool:
    if len(placed.offsets) > 3:
        reader.fail(where, f"{what} uses {8 * len(placed.offsets)} bits; 8, 16 or 24 are "
                           f"supported")
        return False
    return True


def _span(placed: Placed, dmx_range: tuple[int, int] | None) -> tuple[int, int] | None:
    if dmx_range is None:
        return None
    low, high = rescale_range(*dmx_range, placed.channel.resolution, len(placed.offsets))
    return (low, high) if low < high else None


def _intensity_range(caps: Iterable[Capability]) -> tuple[int, int] | None:
    """The DMX range of the first run of adjoining Intensity capabilities (None: the whole
    channel), so that a dimmer never reaches a strobe range beside it."""
    ranges = [cap.dmx_range for cap in caps if cap.kind == "Intensity"]
    if None in ranges:
        return None
    runs = sorted(r for r in ranges if r is not None)
    low, high = runs[0]
    for start, end in runs[1:]:
        if start != high + 1:
            break
        high = end
    return low, high


def _axis(reader: _Reader, where: str, placed: Placed | None, kind: str,
          travel: float | None) -> Axis | None:
    what = kind.lower()
    if travel is not None and not _positive_degrees(travel):
        reader.fail(f"{what}_travel", f"must be a positive number of degrees, not {travel!r}")
        return None
    if placed is None:
        reader.fail(where, f"no {what} channel (no channel has a {kind} capability)")
        return None
    if not _width(reader, where, placed, what):
        return None
    name = quote(placed.channel.key)
    caps = [cap for cap in placed.channel.capabilities if cap.kind == kind]
    if len(caps) > 1:
        reader.fail(where, f"{what} channel {name} has {len(caps)} {kind} ranges; one is "
                           f"supported")
        return None
    cap = caps[0]
    if cap.start is None or cap.end is None:
        reader.fail(where, f"{what} channel {name} gives no angle range")
        return None
    span = _span(placed, cap.dmx_range)
    if cap.dmx_range is not None and span is None:
        reader.fail(where, f"{what} channel {name} has no DMX range left at "
                           f"{8 * len(placed.offsets)} bits")
        return None
    if travel is None:
        if cap.start.percent or cap.end.percent:
            reader.fail(where, f"{what} travel is given in percent; state {what}_travel in "
                               f"degrees")
            return None
        travel = abs(cap.end.value - cap.start.value)
        if not _positive_degrees(travel):
            reader.fail(where, f"{what} channel {name} spans no degrees")
            return None
    return Axis(placed.offsets, span, travel=float(travel),
                reversed=cap.end.value < cap.start.value)


def _dimmer(reader: _Reader, where: str, placed: Placed | None) -> Parameter | None:
    if placed is None or not _width(reader, where, placed, "dimmer"):
        return None
    dmx_range = _intensity_range(placed.channel.capabilities)
    span = _span(placed, dmx_range)
    if dmx_range is not None and span is None:
        reader.fail(where, f"dimmer channel {quote(placed.channel.key)} has no DMX range "
                           f"left at {8 * len(placed.offsets)} bits")
        return None
    return Parameter(placed.offsets, span)


# -- reading --------------------------------------------------------------------------------

def load_definition(path: str | os.PathLike[str], source: str | None = None) -> Definition:
    """Read the definition file at ``path``; problems name it ``source`` (by default the
    path). Anything but a regular file of at most ``MAX_FILE_BYTES`` is refused, and
    opening never waits (a FIFO is refused, not read)."""
    try:
        shown = os.fspath(path) if source is None else source
    except TypeError:
        shown = repr(path)
    data = _read(path)
    if isinstance(data, str):
        raise _refused(shown, data)
    return parse_definition(data, shown)


def _read(path: str | os.PathLike[str]) -> bytes | str:
    """The bytes of the file at ``path``, or why they cannot be had."""
    try:
        return read_regular(path, MAX_FILE_BYTES)
    except Unreadable as refusal:
        return {"directory": "is a directory, not a definition file",
                "special": "is not a regular file",
                "size": f"is {refusal.size} bytes; a definition is at most {MAX_FILE_BYTES} "
                        "bytes",
                "os": f"cannot be read: {refusal.detail}",
                "path": f"is not a usable path: {refusal.detail}"}[refusal.reason]


def _refused(source: str, what: str) -> DefinitionError:
    return DefinitionError([Problem(source, "", what)])


# An unterminated string runs to the end: the scan stays linear on any input.
_STRING = re.compile(r'"[^"\\]*(?:\\.[^"\\]*)*"?', re.DOTALL)
_BRACKETS = re.compile(r"[^\[\]{}]+")
_STEP = {"[": 1, "{": 1, "]": -1, "}": -1}


def nesting(text: str) -> int:
    """How deep the arrays and objects of JSON ``text`` nest (strings skipped)."""
    brackets = _BRACKETS.sub("", _STRING.sub("", text))
    return max(accumulate(map(_STEP.__getitem__, brackets)), default=0)


def _no_constant(name: str) -> Any:
    raise ValueError(f"{name} is no JSON number")


def _integer(text: str) -> int:
    if len(text) > 24:
        raise ValueError(f"the number {text[:24]}... has {len(text)} digits")
    return int(text)


def parse_definition(data: bytes | str, source: str) -> Definition:
    """Read a definition from its text; problems name it ``source``."""
    if len(data) > MAX_FILE_BYTES:
        raise _refused(source, f"is {len(data)} bytes; a definition is at most "
                               f"{MAX_FILE_BYTES} bytes")
    if isinstance(data, bytes):
        try:
            data = data.decode("utf-8-sig")
        except UnicodeDecodeError as error:
            raise _refused(source, f"is not UTF-8 text (byte {error.start})") from None
    if nesting(data) > MAX_DEPTH:
        raise _refused(source, f"nests deeper than {MAX_DEPTH} levels")
    try:
        raw = json.loads(data, parse_constant=_no_constant, parse_int=_integer)
    except json.JSONDecodeError as error:
        raise _refused(source, f"is not valid JSON: {error.msg} (line {error.lineno}, column "
                               f"{error.colno})") from None
    except (ValueError, RecursionError) as error:
        first_line = str(error).splitlines()[0][:120]
        raise _refused(source, f"is not valid JSON: {first_line}") from None
    reader = _Reader(source)
    definition = _definition(reader, raw)
    if reader.count or definition is None:
        raise reader.error()
    return definition


def _angle(reader: _Reader, cap: dict[str, Any], key: str, where: str) -> Angle | None:
    text = reader.field(cap, key, str, where, required=True)
    if text is None:
        return None
    match = re.fullmatch(r"(-?[0-9]+(?:\.[0-9]+)?)(deg|%)", text)
    value = float(match.group(1)) if match else math.nan
    if not math.isfinite(value):
        reader.fail(_key(where, key), f"must be degrees ('540deg') or percent ('100%'), not "
                                      f"{quote(text)}")
        return None
    return Angle(value, match is not None and match.group(2) == "%")


def _dmx_range(reader: _Reader, cap: dict[str, Any], where: str,
               resolution: int) -> tuple[int, int] | None:
    pair = reader.field(cap, "dmxRange", list, where, required=True)
    if pair is None:
        return None
    top = full_scale(8 * resolution)
    if (len(pair) != 2 or not all(type(v) is int for v in pair)
            or not 0 <= pair[0] <= pair[1] <= top):
        reader.fail(_key(where, "dmxRange"), f"must be two integers from 0 to {top}, low "
                                             f"first")
        return None
    return pair[0], pair[1]


def _capability(reader: _Reader, raw: Any, where: str, whole: bool, resolution: int,
                switches: set[str]) -> Capability | None:
    cap = reader.typed(raw, dict, where)
    if cap is None:
        return None
    kind = reader.field(cap, "type", str, where, required=True)
    aliases = reader.field(cap, "switchChannels", dict, where)
    switches.update(aliases or ())
    if kind not in FUNCTIONS:
        return None
    dmx_range = None if whole else _dmx_range(reader, cap, where, resolution)
    if kind == "Intensity":
        return Capability(kind, dmx_range)
    if "angleStart" not in cap and "angleEnd" not in cap:
        return Capability(kind, dmx_range)  # a single angle or none: no range to drive
    return Capability(kind, dmx_range, _angle(reader, cap, "angleStart", where),
                      _angle(reader, cap, "angleEnd", where))


def _channel(reader: _Reader, key: str, raw: Any, where: str,
             switches: set[str]) -> ChannelDef | None:
    obj = reader.typed(raw, dict, where)
    if obj is None:
        return None
    path = _key(where, "fineChannelAliases")
    aliases = reader.items(reader.field(obj, "fineChannelAliases", list, where), path,
                           MAX_FINE)
    fine = tuple(alias for i, alias in enumerate(aliases)
                 if reader.typed(alias, str, f"{path}[{i}]") is not None)
    resolution = 1 + len(aliases)
    stated = reader.field(obj, "dmxValueResolution", str, where)
    if stated is not None:
        if stated not in ("8bit", "16bit", "24bit"):
            reader.fail(_key(where, "dmxValueResolution"),
                        "must be '8bit', '16bit' or '24bit'")
        else:
            resolution = int(stated[:-3]) // 8
    single = obj.get("capability")
    many = obj.get("capabilities")
    if (single is None) == (many is None):
        reader.fail(where, "needs either 'capability' or 'capabilities'")
        return None
    if single is not None:
        raws = [(single, _key(where, "capability"))]
    else:
        path = _key(where, "capabilities")
        raws = [(cap, f"{path}[{i}]") for i, cap in enumerate(reader.items(
            reader.typed(many, list, path), path))]
    caps = [_capability(reader, cap, at, single is not None, resolution, switches)
            for cap, at in raws]
    if len(fine) != len(aliases):
        return None
    return ChannelDef(key, fine, resolution, tuple(c for c in caps if c is not None))


def _channels(reader: _Reader, raw: dict[str, Any], field: str
              ) -> dict[str, tuple[ChannelDef, int]]:
    """The channels under ``field``: every name a mode may use (key, fine alias, switching
    alias) mapped to the channel and its byte (0 coarse)."""
    table = reader.field(raw, field, dict, "")
    if table is None:
        return {}
    if len(table) > MAX_ITEMS:
        reader.fail(field, f"holds {len(table)} channels; at most {MAX_ITEMS} are read")
        return {}
    names: dict[str, tuple[ChannelDef, int]] = {}
    switches: set[str] = set()
    for key, body in table.items():
        channel = _channel(reader, key, body, _key(field, key), switches)
        if channel is None:
            continue
        names.setdefault(key, (channel, 0))
        for byte, alias in enumerate(channel.fine, 1):
            names.setdefault(alias, (channel, byte))
    for alias in sorted(switches):
        # A switching channel changes function with another channel; it is never
        # taken for pan, tilt or dimmer.
        names.setdefault(alias, (ChannelDef(alias), 0))
    return names


def _pixel_keys(reader: _Reader, raw: dict[str, Any]) -> tuple[list[str], list[str]]:
    """The matrix's pixel keys (in file order) and pixel group keys."""
    matrix = reader.field(raw, "matrix", dict, "")
    if matrix is None:
        return [], []
    groups = list(reader.field(matrix, "pixelGroups", dict, "matrix") or ())
    count = reader.field(matrix, "pixelCount", list, "matrix")
    if count is not None:
        if len(count) != 3 or not all(type(n) is int and n >= 1 for n in count):
            reader.fail("matrix.pixelCount", "must be three positive integers")
            return [], groups
        if math.prod(count) > MAX_PIXELS:
            reader.fail("matrix.pixelCount", f"holds {math.prod(count)} pixels; at most "
                                             f"{MAX_PIXELS} are read")
            return [], groups
        return _counted_keys(count), groups
    keys: dict[str, None] = {}
    layers = reader.field(matrix, "pixelKeys", list, "matrix")
    if layers is None:
        reader.fail("matrix", "needs 'pixelCount' or 'pixelKeys'")
        return [], groups
    cells = 0
    for z, rows in enumerate(layers):
        for y, row in enumerate(reader.typed(rows, list, f"matrix.pixelKeys[{z}]") or ()):
            where = f"matrix.pixelKeys[{z}][{y}]"
            for x, key in enumerate(reader.typed(row, list, where) or ()):
                cells += 1
                if cells > MAX_PIXELS * 4:
                    reader.fail("matrix.pixelKeys", "holds too many cells")
                    return [], groups
                if key is not None and reader.typed(key, str, f"{where}[{x}]") is not None:
                    keys[key] = None
    return list(keys), groups


def _counted_keys(count: list[int]) -> list[str]:
    """The pixel keys a ``pixelCount`` matrix names: ``n`` along one dimension,
    ``(x, y)`` or ``(x, y, z)`` over the dimensions longer than one."""
    xs, ys, zs = (range(1, n + 1) for n in count)
    points = [(x, y, z) for z in zs for y in ys for x in xs]
    used = [axis for axis in range(3) if count[axis] > 1]
    if len(used) <= 1:
        return [str(i) for i in range(1, len(points) + 1)]
    return ["(" + ", ".join(str(point[axis]) for axis in used) + ")" for point in points]


class _Names:
    """Every channel name a mode may use, template channels resolved on demand."""

    def __init__(self, reader: _Reader, raw: dict[str, Any]) -> None:
        self.plain = _channels(reader, raw, "availableChannels")
        self.templates = _channels(reader, raw, "templateChannels")
        for name in self.templates:
            if PIXEL_KEY not in name:
                reader.fail("templateChannels", f"{quote(name)} does not contain {PIXEL_KEY}")
        self.pixels, self.groups = _pixel_keys(reader, raw)
        self.known = set(self.pixels) | set(self.groups)
        self._resolved: dict[str, tuple[ChannelDef, int, str]] | None = None

    def resolve(self, name: str) -> tuple[ChannelDef, int, str] | None:
        """A name in a mode: its channel, its byte, and the pixel key it was resolved with."""
        found = self.plain.get(name)
        if found is not None:
            return found[0], found[1], ""
        if self._resolved is None:
            keys = self.pixels + self.groups
            self._resolved = {}
            if len(self.templates) * len(keys) <= 1 << 18:
                for template, (channel, byte) in self.templates.items():
                    for key in keys:
                        self._resolved.setdefault(template.replace(PIXEL_KEY, key),
                                                  (channel, byte, key))
        return self._resolved.get(name)


def _definition(reader: _Reader, raw: Any) -> Definition | None:
    if reader.typed(raw, dict, "") is None:
        return None
    name = reader.field(raw, "name", str, "") or ""
    names = _Names(reader, raw)
    modes = reader.items(reader.field(raw, "modes", list, "", required=True), "modes")
    if not modes and "modes" in raw:
        reader.fail("modes", "lists no mode")
    parsed = [_mode(reader, names, body, f"modes[{i}]") for i, body in enumerate(modes)]
    return Definition(reader.source, name, tuple(m for m in parsed if m is not None))


@dataclass(frozen=True)
class _Block:
    """A matrix channel insert block of a mode, as far as counting and finding need."""

    repeats: int
    per_pixel: bool
    templates: tuple[tuple[ChannelDef, int, str] | None, ...]

    def offset(self, start: int, index: int) -> int:
        """Where the first pixel's ``index``-th template channel lands."""
        return start + index * (1 if self.per_pixel else self.repeats)


def _block(reader: _Reader, names: _Names, obj: dict[str, Any], where: str) -> _Block | None:
    if obj.get("insert") != "matrixChannels":
        reader.fail(_key(where, "insert"), "must be 'matrixChannels'")
        return None
    order = reader.field(obj, "channelOrder", str, where, required=True)
    if order is not None and order not in ("perPixel", "perChannel"):
        reader.fail(_key(where, "channelOrder"), "must be 'perPixel' or 'perChannel'")
    repeat = obj.get("repeatFor")
    repeats = 0
    if repeat == "eachPixelGroup":
        repeats = len(names.groups)
    elif isinstance(repeat, str) and repeat in PIXEL_ORDERS:
        repeats = len(names.pixels)
    elif isinstance(repeat, list):
        for i, key in enumerate(reader.items(repeat, _key(where, "repeatFor"))):
            if not isinstance(key, str) or key not in names.known:
                reader.fail(f"{_key(where, 'repeatFor')}[{i}]",
                            f"{_shown(key)} is no pixel or pixel group key")
        repeats = len(repeat)
    else:
        reader.fail(_key(where, "repeatFor"), "must be a pixel order such as 'eachPixelABC', "
                                              "'eachPixelGroup' or a list of pixel keys")
        return None
    if repeats == 0:
        reader.fail(_key(where, "repeatFor"), "names no pixel")
    path = _key(where, "templateChannels")
    entries = reader.items(reader.field(obj, "templateChannels", list, where, required=True),
                           path)
    templates: list[tuple[ChannelDef, int, str] | None] = []
    for i, entry in enumerate(entries):
        if entry is None:
            templates.append(None)
            continue
        found = names.templates.get(entry) if isinstance(entry, str) else None
        if found is None:
            reader.fail(f"{path}[{i}]", f"{_shown(entry)} is no template channel")
        templates.append(None if found is None else (found[0], found[1], entry))
    if not entries:
        reader.fail(path, "lists no channel")
    return _Block(repeats, order != "perChannel", tuple(templates))


def _shown(value: Any) -> str:
    return quote(value) if isinstance(value, str) else _json_kind(value)


def _mode(reader: _Reader, names: _Names, raw: Any, where: str) -> Mode | None:
    body = reader.typed(raw, dict, where)
    if body is None:
        return None
    name = reader.field(body, "name", str, where, required=True)
    short_name = reader.field(body, "shortName", str, where)
    path = _key(where, "channels")
    entries = reader.items(reader.field(body, "channels", list, where, required=True), path)
    errors = reader.count
    offset = 0
    at: dict[str, int] = {}  # name -> first offset
    # function -> (channel, coarse offset, fine names to look up, or fine offsets found)
    first: dict[str, tuple[ChannelDef, int, tuple[str, ...], tuple[int | None, ...]]] = {}
    for i, entry in enumerate(entries):
        if entry is None:
            offset += 1
        elif isinstance(entry, str):
            found = names.resolve(entry)
            if found is None:
                reader.fail(f"{path}[{i}]", f"unknown channel {quote(entry)}")
            else:
                channel, byte, key = found
                at.setdefault(entry, offset)
                if byte == 0:
                    aliases = tuple(alias.replace(PIXEL_KEY, key) for alias in channel.fine)
                    for kind in FUNCTIONS:
                        if channel.does(kind):
                            first.setdefault(kind, (channel, offset, aliases, ()))
            offset += 1
        elif isinstance(entry, dict):
            block = _block(reader, names, entry, f"{path}[{i}]")
            if block is None:
                continue
            index = {template[2]: t for t, template in enumerate(block.templates)
                     if template is not None}
            for t, template in enumerate(block.templates):
                if template is None or template[1] != 0:
                    continue
                channel = template[0]
                fine_at = tuple(None if index.get(alias) is None
                                else block.offset(offset, index[alias])
                                for alias in channel.fine)
                for kind in FUNCTIONS:
                    if channel.does(kind):
                        first.setdefault(kind, (channel, block.offset(offset, t), (), fine_at))
            offset += block.repeats * len(block.templates)
        else:
            reader.fail(f"{path}[{i}]", f"must be a channel name, null or a matrix insert "
                                        f"block, not {_json_kind(entry)}")
    if not entries and "channels" in body:
        reader.fail(path, "lists no channel")
    placed: dict[str, Placed] = {}
    for kind, (channel, coarse, fine_names, fine_found) in first.items():
        fine = tuple(at.get(alias) for alias in fine_names) if fine_names else fine_found
        used = fine.index(None) if None in fine else len(fine)
        if any(later is not None for later in fine[used:]):
            reader.fail(path, f"uses a fine channel of {quote(channel.key)} without the ones "
                              f"before it")
        placed[kind] = Placed(channel, (coarse, *(o for o in fine[:used] if o is not None)))
    if name is None or reader.count != errors:
        return None
    return Mode(name, short_name, offset, placed.get("Pan"), placed.get("Tilt"),
                placed.get("Intensity"))
