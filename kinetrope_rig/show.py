"""Shows: a TOML file naming the tempo, the outputs, the fixture types, the patch, the groups
and the effects on them.

``load_show`` reads the file once, checks all of it and gives plain frozen records, or
raises ``ShowError`` listing every problem it found, one line each, naming the file, the
key path and what is wrong. ``ShowFrames`` turns a show into frames: the points of every
fixture and the bytes of every universe.
"""

from __future__ import annotations

import math
import os
import tomllib
from dataclasses import dataclass
from fractions import Fraction
from typing import Any, Callable, Iterable, Mapping

from . import shapes
from ._files import Unreadable, read_regular
from ._net import parse_host
from .artnet import MAX_PORT_ADDRESS
from .dmx import MAX_UNIVERSE, UNIVERSE_SIZE
from .effects import Effect, Fan
from .fixtures import DefinitionError, FixtureLayout, Problem, inline_layout, load_definition
from .frame import Frame
from .motions import check_name
from .patch import Aim, Patch, Placement, overlaps

MAX_SHOW_BYTES = 1 << 20            # a show of thousands of fixtures is a few hundred KiB
MAX_ENTRIES = 4096                  # patch entries, fixtures of one entry, effects, groups
PROTOCOLS = ("sacn", "artnet", "osc")
SHAPES: dict[str, Callable[..., Any]] = {
    "lfo": shapes.lfo, "ease": shapes.ease, "lissajous": shapes.lissajous,
    "polygon": shapes.polygon, "line": shapes.line, "rose": shapes.rose}
_EFFECT_KEYS = ("rate", "shift", "phase", "size", "offset", "rotate", "mirror", "clamp")
_FAN_KEYS = ("spread", "order", "wings", "blocks", "groups", "seed")
_MOTION_KEYS = ("pattern", "shape") + _EFFECT_KEYS + _FAN_KEYS
_KNOWN = {
    "": ("tempo", "outputs", "types", "patch", "groups", "effects"),
    "tempo": ("bpm", "midi", "clock", "link", "quantum", "start_stop_sync"),
    "outputs": ("protocol", "universe", "universes", "host", "port", "prefix", "priority"),
    "types": ("definition", "mode", "pan_travel", "tilt_travel", "channels", "pan_offset",
              "tilt_offset", "dimmer_offset", "pan_bits", "tilt_bits", "dimmer_bits"),
    "patch": ("type", "name", "count", "universe", "address", "invert_pan", "invert_tilt",
              "swap_pan_tilt", "pan_centre", "tilt_centre", "pan_swing", "tilt_swing",
              "pan_limits", "tilt_limits", "dimmer"),
    "effects": ("group",) + _MOTION_KEYS + ("dimmer",),
    "dimmer": _MOTION_KEYS,
}


class ShowError(ValueError):
    """A show was refused; ``lines`` holds one line per problem."""

    def __init__(self, problems: Iterable[Problem | str]) -> None:
        self.lines = tuple(map(str, problems))
        super().__init__("\n".join(self.lines))


@dataclass(frozen=True)
class Tempo:
    """Where time comes from: a constant ``bpm``, a ``midi`` file's tempo map, a MIDI
    ``clock`` port ("-": raw MIDI on standard input), or an Ableton ``link`` session (with
    ``bpm`` the tempo the show brings to a session it starts, and ``start_stop_sync`` to
    follow the session's transport). A bar has ``quantum`` beats."""

    bpm: float | None = None
    midi: str | None = None
    clock: str | None = None
    link: bool = False
    quantum: int = 4
    start_stop_sync: bool = False


@dataclass(frozen=True)
class OutputSpec:
    """An output: ``protocol``, the ``universes`` it carries as the protocol numbers them
    (sACN 1..63999; Art-Net port-addresses, 0 carrying the show's universe 1), and where
    it sends."""

    protocol: str
    universes: tuple[int, ...] = ()
    host: str | None = None
    port: int | None = None
    prefix: str = "/kinetrope"
    priority: int = 100

    def routes(self) -> dict[int, int]:
        """The show's universe -> the universe this output sends it as."""
        if self.protocol == "artnet":
            return {address + 1: address for address in self.universes}
        return {universe: universe for universe in self.universes}


@dataclass(frozen=True)
class EffectSpec:
    """An effect on a group: its motion fanned over the members, and optionally a fanned
    dimmer whose x from -1 to 1 sets the level from 0 to 1."""

    group: str
    members: tuple[str, ...]
    motion: Fan
    dimmer: Fan | None = None


@dataclass(frozen=True)
class Show:
    """A show as read and checked."""

    path: str
    tempo: Tempo
    outputs: tuple[OutputSpec, ...]
    placements: tuple[Placement, ...]
    groups: Mapping[str, tuple[str, ...]]
    effects: tuple[EffectSpec, ...]

    @property
    def universes(self) -> list[int]:
        return sorted({p.universe for p in self.placements})


# -- reading ------------------------------------------------------------------------------

_KINDS = ((bool, "a boolean"), (int, "an integer"), (float, "a number"), (str, "a string"),
          (list, "an array"), (dict, "a table"))


def _kind(value: Any) -> str:
    """What a TOML value is, as a message names it (bool before int: a bool is an int)."""
    return next((name for kind, name in _KINDS if isinstance(value, kind)), "a date or time")


def _finite(value: Any) -> bool:
    return isinstance(value, (int, float)) and not isinstance(value, bool) \
        and math.isfinite(value)


# What ``_Checker.get`` accepts for each kind, and how a message names it.
_VALUE_KINDS: dict[str, tuple[Callable[[Any], bool], str]] = {
    "string": (lambda v: isinstance(v, str), "a string"),
    "boolean": (lambda v: isinstance(v, bool), "true or false"),
    "integer": (lambda v: isinstance(v, int) and not isinstance(v, bool), "a whole number"),
    "number": (_finite, "a finite number"),
    "numbers2": (lambda v: isinstance(v, list) and len(v) == 2 and all(map(_finite, v)),
                 "two numbers [low, high]"),
}


class _Checker:
    """Collects the problems of one show while taking typed values out of its tables."""

    def __init__(self, source: str) -> None:
        self.source = source
        self.problems: list[Problem] = []

    def fail(self, where: str, what: str) -> None:
        self.problems.append(Problem(self.source, where, what))

    def table(self, value: Any, where: str) -> dict[str, Any] | None:
        if isinstance(value, dict):
            return value
        self.fail(where, f"must be a table, not {_kind(value)}")
        return None

    def tables(self, value: Any, where: str) -> list[dict[str, Any] | None]:
        """An array of tables (one entry a None where it is not a table)."""
        if value is None:
            return []
        if not isinstance(value, list):
            self.fail(where, f"must be an array of tables, not {_kind(value)}")
            return []
        if len(value) > MAX_ENTRIES:
            self.fail(where, f"has {len(value)} entries; at most {MAX_ENTRIES} are read")
            return []
        return [self.table(item, f"{where}[{i}]") for i, item in enumerate(value)]

    def entries(self, value: Any, section: str) -> Iterable[tuple[int, str, dict[str, Any]]]:
        """``(index, key path, table)`` for each table of an array section, its keys
        checked."""
        for i, table in enumerate(self.tables(value, section)):
            if table is not None:
                self.known(table, section, f"{section}[{i}]")
                yield i, f"{section}[{i}]", table

    def named(self, value: str | None, known: Iterable[str], path: str,
              what: str) -> str | None:
        """``value`` if it is one of ``known``; else None and a problem listing them."""
        names = list(known)
        if value is None or value in names:
            return value
        self.fail(path, f"no {what} named {value!r} ({what}s: "
                        f"{', '.join(map(repr, names)) or 'none'})")
        return None

    def known(self, table: dict[str, Any], section: str, where: str) -> None:
        for key in table:
            if key not in _KNOWN[section]:
                self.fail(where, f"unknown key {key!r} (known: {', '.join(_KNOWN[section])})")

    def get(self, table: dict[str, Any], key: str, where: str, kind: str,
            required: bool = False, low: float | None = None, high: float | None = None,
            default: Any = None) -> Any:
        """``table[key]`` checked: ``kind`` is "string", "integer", "number", "boolean" or
        "numbers2" (two numbers, low first); ``low``..``high`` bound a number."""
        path = f"{where}.{key}" if where else key
        if key not in table:
            if required:
                self.fail(where, f"{key!r} is missing")
            return default
        value = table[key]
        accepts, wanted = _VALUE_KINDS[kind]
        if not accepts(value):
            self.fail(path, f"must be {wanted}, not {value!r}"[:200])
            return default
        if kind == "numbers2" and value[0] > value[1]:
            self.fail(path, f"must be [low, high], low first, not {value!r}")
            return default
        if (low is not None and value < low) or (high is not None and value > high):
            bound = (f"from {low:g} to {high:g}" if low is not None and high is not None
                     else f"at least {low:g}" if low is not None else f"at most {high:g}")
            self.fail(path, f"must be {bound}, not {value!r}")
            return default
        return value

    def error(self) -> ShowError:
        return ShowError(self.problems)


def _read(path: str) -> bytes:
    """The bytes of a show file, bounded; ``ShowError`` for anything but a regular file."""
    try:
        data = read_regular(path, MAX_SHOW_BYTES)
    except Unreadable as refusal:
        raise ShowError([f"{path}: " + {
            "size": f"{refusal.size} bytes; a show file may have at most {MAX_SHOW_BYTES}",
            "os": f"cannot read it: {refusal.detail}",
            "path": f"not a usable path: {refusal.detail}",
        }.get(refusal.reason, "not a regular file")]) from None
    if len(data) > MAX_SHOW_BYTES:
        raise ShowError([f"{path}: larger than {MAX_SHOW_BYTES} bytes"])
    return data


def load_show(path: str | os.PathLike[str]) -> Show:
    """Read and check the show file at ``path``; ``ShowError`` lists every problem."""
    name = os.fspath(path)
    data = _read(name)
    try:
        raw = tomllib.loads(data.decode("utf-8"))
    except UnicodeDecodeError as error:
        raise ShowError([f"{name}: not UTF-8 text (byte {error.start})"]) from None
    except tomllib.TOMLDecodeError as error:
        raise ShowError([f"{name}: not valid TOML: {error}"]) from None
    except RecursionError:
        raise ShowError([f"{name}: nested too deeply"]) from None
    return _Loader(name, raw).show()


class _Loader:
    def __init__(self, path: str, raw: dict[str, Any]) -> None:
        self.path, self.raw = path, raw
        self.check = _Checker(path)
        self.folder = os.path.dirname(path)

    def show(self) -> Show:
        check, raw = self.check, self.raw
        check.known(raw, "", "")
        tempo = self._tempo()
        outputs = self._outputs()
        types = self._types()
        placements = self._patch(types)
        groups = self._groups(placements)
        effects = self._effects(groups, placements)
        self._coverage(outputs, placements)
        if check.problems:
            raise check.error()
        return Show(self.path, tempo, tuple(outputs), tuple(placements), groups,
                    tuple(effects))

    # -- sections -------------------------------------------------------------------------

    def _tempo(self) -> Tempo:
        check = self.check
        table = check.table(self.raw.get("tempo", {}), "tempo")
        if table is None:
            return Tempo()
        check.known(table, "tempo", "tempo")
        link = check.get(table, "link", "tempo", "boolean", default=False)
        quantum = check.get(table, "quantum", "tempo", "integer", low=1, high=64, default=4)
        sync = check.get(table, "start_stop_sync", "tempo", "boolean", default=False)
        sources = [key for key in ("bpm", "midi", "clock") if key in table]
        if link:
            sources = [key for key in sources if key != "bpm"]   # the tempo it brings
        if len(sources) + bool(link) != 1:
            given = sources + (["link"] if link else [])
            check.fail("tempo", "give exactly one of bpm, midi, clock and link = true"
                       + (f", not {' and '.join(given)}" if given else ""))
            return Tempo()
        if sync and not link:
            check.fail("tempo.start_stop_sync", "follows a Link session's transport: it "
                                                "needs link = true")
        bpm = check.get(table, "bpm", "tempo", "number", low=1e-6, high=1e6)
        midi = check.get(table, "midi", "tempo", "string")
        clock = check.get(table, "clock", "tempo", "string")
        return Tempo(bpm=bpm, midi=self._relative(midi), clock=clock, link=link,
                     quantum=quantum, start_stop_sync=sync)

    def _relative(self, path: str | None) -> str | None:
        return None if path is None else os.path.join(self.folder, path)

    def _outputs(self) -> list[OutputSpec]:
        check, outputs = self.check, []
        if not self.raw.get("outputs"):
            check.fail("outputs", "a show needs at least one output")
        for _, where, table in check.entries(self.raw.get("outputs"), "outputs"):
            protocol = check.get(table, "protocol", where, "string", required=True)
            if protocol is not None and protocol not in PROTOCOLS:
                check.fail(f"{where}.protocol", f"must be one of {', '.join(PROTOCOLS)}, "
                                                f"not {protocol!r}")
                continue
            host = check.get(table, "host", where, "string",
                             required=protocol in ("artnet", "osc"))
            if host is not None:
                try:
                    host = parse_host(host)
                except ValueError as error:
                    check.fail(f"{where}.host", str(error))
            if protocol == "osc":
                port = check.get(table, "port", where, "integer", required=True, low=1,
                                 high=65535)
                prefix = check.get(table, "prefix", where, "string", default="/kinetrope")
                outputs.append(OutputSpec("osc", host=host, port=port, prefix=prefix))
                continue
            low, high = (0, MAX_PORT_ADDRESS) if protocol == "artnet" else (1, MAX_UNIVERSE)
            universes = self._universes(table, where, low, high)
            priority = check.get(table, "priority", where, "integer", low=0, high=200,
                                 default=100)
            if protocol is not None:
                outputs.append(OutputSpec(protocol, universes, host, priority=priority))
        return outputs

    def _universes(self, table: dict[str, Any], where: str, low: int,
                   high: int) -> tuple[int, ...]:
        check = self.check
        if ("universe" in table) == ("universes" in table):
            check.fail(where, "give one of universe and universes")
            return ()
        if "universe" in table:
            one = check.get(table, "universe", where, "integer", low=low, high=high)
            return () if one is None else (one,)
        values = table["universes"]
        if not (isinstance(values, list) and values and len(values) <= MAX_ENTRIES and all(
                isinstance(v, int) and not isinstance(v, bool) and low <= v <= high
                for v in values)) or len(set(values)) != len(values):
            check.fail(f"{where}.universes", f"must be distinct whole numbers from {low} to "
                                             f"{high}, not {values!r}"[:200])
            return ()
        return tuple(values)

    def _types(self) -> dict[str, FixtureLayout | None]:
        check = self.check
        layouts: dict[str, FixtureLayout | None] = {}
        table = check.table(self.raw.get("types", {}), "types")
        for name, entry in (table or {}).items():
            where = f"types.{name}"
            entry = check.table(entry, where)
            if entry is None:
                layouts[name] = None
                continue
            check.known(entry, "types", where)
            layouts[name] = self._layout(name, entry, where)
        return layouts

    def _layout(self, name: str, entry: dict[str, Any], where: str) -> FixtureLayout | None:
        check = self.check
        travels = {key: check.get(entry, key, where, "number", low=1e-9, high=1e6)
                   for key in ("pan_travel", "tilt_travel")}
        if "definition" in entry:
            definition = check.get(entry, "definition", where, "string")
            mode = check.get(entry, "mode", where, "string", required=True)
            if definition is None or mode is None:
                return None
            try:
                loaded = load_definition(os.path.join(self.folder, definition))
                return loaded.layout(mode, **travels)
            except DefinitionError as error:
                for line in error.lines:       # each names the definition file and its key
                    check.fail(where, line)
                return None
        numbers = {key: check.get(entry, key, where, "integer", required=key in (
            "channels", "pan_offset", "tilt_offset"), low=0, high=UNIVERSE_SIZE)
            for key in ("channels", "pan_offset", "tilt_offset", "dimmer_offset",
                        "pan_bits", "tilt_bits", "dimmer_bits")}
        for key in ("pan_travel", "tilt_travel"):
            if travels[key] is None and key not in entry:
                check.fail(where, f"{key!r} is missing (an inline type states its travel)")
        if None in (numbers["channels"], numbers["pan_offset"], numbers["tilt_offset"],
                    travels["pan_travel"], travels["tilt_travel"]):
            return None
        given = {key: value for key, value in numbers.items() if value is not None}
        try:
            return inline_layout(given.pop("channels"), **given, **travels,
                                 source=self.path, where=where)
        except DefinitionError as error:
            check.problems.extend(error.problems)
            return None

    def _patch(self, types: dict[str, FixtureLayout | None]) -> list[Placement]:
        check, placements = self.check, []
        for _, where, table in check.entries(self.raw.get("patch"), "patch"):
            kind = check.get(table, "type", where, "string", required=True)
            name = check.get(table, "name", where, "string", required=True)
            count = check.get(table, "count", where, "integer", low=1, high=MAX_ENTRIES)
            universe = check.get(table, "universe", where, "integer", required=True, low=1,
                                 high=MAX_UNIVERSE)
            address = check.get(table, "address", where, "integer", required=True, low=1,
                                high=UNIVERSE_SIZE)
            aims = {axis: Aim(centre=check.get(table, f"{axis}_centre", where, "number"),
                              swing=check.get(table, f"{axis}_swing", where, "number",
                                              default=90.0 if axis == "pan" else 45.0),
                              limits=(lambda pair: None if pair is None else tuple(pair))(
                                  check.get(table, f"{axis}_limits", where, "numbers2")),
                              invert=check.get(table, f"invert_{axis}", where, "boolean",
                                               default=False))
                    for axis in ("pan", "tilt")}
            swap = check.get(table, "swap_pan_tilt", where, "boolean", default=False)
            level = check.get(table, "dimmer", where, "number", low=0, high=1, default=1.0)
            if kind is not None and check.named(kind, types, f"{where}.type", "type") is None:
                continue
            layout = types.get(kind) if kind is not None else None
            if None in (layout, name, universe, address):
                continue
            assert layout is not None and name is not None
            names = [name] if count is None else [f"{name}{n}" for n in range(1, count + 1)]
            for n, fixture in enumerate(names):
                start = address + n * layout.channels
                last = start + layout.channels - 1
                if last > UNIVERSE_SIZE:
                    check.fail(f"{where} {fixture}", f"channels {start}-{last} pass the end of "
                                                     f"universe {universe} ({UNIVERSE_SIZE})")
                    break
                placement = Placement(fixture, universe, start, layout, aims["pan"],
                                      aims["tilt"], swap, level, kind)
                for axis, aim, part in (("pan", aims["pan"], layout.pan),
                                        ("tilt", aims["tilt"], layout.tilt)):
                    try:
                        aim.resolved(part.travel, axis)
                    except ValueError as error:
                        check.fail(f"{where} {fixture}", str(error))
                placements.append(placement)
        seen: set[str] = set()
        for p in placements:
            if p.name in seen:
                check.fail("patch", f"two fixtures are named {p.name!r}")
            seen.add(p.name)
        for first, second, low, high in overlaps(placements):
            check.fail("patch", f"{first.name} and {second.name} share channels {low}-{high} "
                                f"of universe {first.universe}")
        return placements

    def _groups(self, placements: list[Placement]) -> dict[str, tuple[str, ...]]:
        check, groups = self.check, {}
        table = check.table(self.raw.get("groups", {}), "groups") or {}
        known = {p.name for p in placements}
        for name, members in table.items():
            where = f"groups.{name}"
            if not (isinstance(members, list) and members and len(members) <= MAX_ENTRIES
                    and all(isinstance(m, str) for m in members)):
                check.fail(where, "must be a non-empty array of fixture names")
                continue
            for i, member in enumerate(members):
                if member not in known:
                    check.fail(f"{where}[{i}]", f"no fixture named {member!r}")
            if len(set(members)) != len(members):
                check.fail(where, "names a fixture twice")
            groups[name] = tuple(members)
        return groups

    def _effects(self, groups: dict[str, tuple[str, ...]],
                 placements: list[Placement]) -> list[EffectSpec]:
        check, effects = self.check, []
        for i, where, table in check.entries(self.raw.get("effects"), "effects"):
            group = check.named(check.get(table, "group", where, "string", required=True),
                                groups, f"{where}.group", "group")
            members = groups.get(group, ()) if group is not None else ()
            motion = self._fan(table, where, len(members) or 1, f"show_effect_{i}")
            dimmer = None
            if "dimmer" in table:
                spec = table["dimmer"]
                if isinstance(spec, str):
                    spec = {"pattern": spec}
                spec = check.table(spec, f"{where}.dimmer")
                if spec is not None:
                    check.known(spec, "dimmer", f"{where}.dimmer")
                    dimmer = self._fan(spec, f"{where}.dimmer", len(members) or 1,
                                       f"show_dimmer_{i}")
            if group is not None and members and motion is not None and (
                    dimmer is not None or "dimmer" not in table):
                effects.append(EffectSpec(group, members, motion, dimmer))
        return effects

    def _fan(self, table: dict[str, Any], where: str, count: int, name: str) -> Fan | None:
        """The fan that a table's motion keys describe, or None after a problem."""
        check = self.check
        if ("pattern" in table) == ("shape" in table):
            check.fail(where, "give one of pattern and shape")
            return None
        source: Any
        try:
            if "pattern" in table:
                source = check.get(table, "pattern", where, "string")
                if source is None:
                    return None
                check_name(source)
            else:
                source = self._shape(table["shape"], f"{where}.shape", name)
                if source is None:
                    return None
            effect_args = {key: table[key] for key in _EFFECT_KEYS if key in table}
            fan_args = {key: table[key] for key in _FAN_KEYS if key in table}
            for key in ("size", "offset"):
                if isinstance(effect_args.get(key), list):
                    effect_args[key] = tuple(effect_args[key])
            return Fan(Effect(source, **effect_args), count, **fan_args)
        except ValueError as error:
            check.fail(where, str(error))
        except TypeError as error:
            check.fail(where, f"a value has the wrong type: {error}")
        return None

    def _shape(self, spec: Any, where: str, name: str) -> Any:
        check = self.check
        spec = check.table(spec, where)
        if spec is None:
            return None
        kind = check.get(spec, "kind", where, "string", required=True)
        if kind is None:
            return None
        if kind not in SHAPES:
            check.fail(f"{where}.kind", f"must be one of {', '.join(SHAPES)}, not {kind!r}")
            return None
        arguments = {key: (tuple(v) if isinstance(v, list) else v)
                     for key, v in spec.items() if key != "kind"}
        phase = arguments.get("phase")
        if isinstance(phase, str) and "/" in phase:
            try:
                arguments["phase"] = Fraction(phase)
            except ZeroDivisionError:
                raise ValueError(f"phase: {phase!r} divides by zero") from None
        try:
            return SHAPES[kind](name, **arguments)
        except TypeError as error:
            check.fail(where, f"{kind}: {error}")
            return None

    def _coverage(self, outputs: list[OutputSpec], placements: list[Placement]) -> None:
        carried = {universe for output in outputs for universe in output.routes()}
        for universe in sorted({p.universe for p in placements} - carried):
            first = next(p.name for p in placements if p.universe == universe)
            self.check.fail("outputs", f"universe {universe} (patched: {first}, ...) has no "
                                       "sACN or Art-Net output (Art-Net port-address "
                                       f"{universe - 1} carries it)")


# -- playing ------------------------------------------------------------------------------

class ShowFrames:
    """Frames of a show: every fixture's point, and the bytes of every universe.

    Each effect fans its motion over its group's members; a fixture in no effect points
    at its centre. Where two effects take the same fixture, the later one wins. A
    dimmer effect's x from -1 to 1 sets the level from 0 to 1; a fixture no dimmer effect
    drives holds its patch's ``dimmer`` level.
    """

    def __init__(self, show: Show) -> None:
        from ._optional import require

        self._np = require("numpy", "numpy", "Playing a show")
        self.show = show
        self.patch = Patch(show.placements)
        self.names = [p.name for p in show.placements]
        index = {name: i for i, name in enumerate(self.names)}
        np_ = self._np
        self._effects = [(np_.array([index[m] for m in spec.members], dtype=np_.int64),
                          spec.motion, spec.dimmer) for spec in show.effects]
        self._count = len(self.names)

    def points(self, pip: int) -> Any:
        """Every fixture's ``(x, y, z)``, an ``(n, 3)`` array in patch order."""
        np_ = self._np
        points = np_.zeros((self._count, 3), dtype=np_.float64)
        for members, motion, _ in self._effects:
            points[members] = motion.frame(pip)
        return points

    def levels(self, pip: int) -> Any:
        """Every fixture's dimmer level, NaN where no dimmer effect drives it."""
        np_ = self._np
        levels = np_.full(self._count, np_.nan)
        for members, _, dimmer in self._effects:
            if dimmer is not None:
                levels[members] = (np_.clip(dimmer.frame(pip)[:, 0], -1.0, 1.0) + 1.0) / 2.0
        return levels

    def frame(self, seconds: float, pip: int) -> Frame:
        points, levels = self.points(pip), self.levels(pip)
        return Frame(seconds, pip, self.names, points, self.patch.universes(points, levels),
                     levels)


def describe_patch(show: Show) -> list[str]:
    """The patch as ``check`` prints it: per universe, every fixture's channels, type, mode
    and where pan, tilt and dimmer sit; then the outputs."""
    lines = []
    for universe in show.universes:
        lines.append(f"universe {universe}")
        for p in sorted((p for p in show.placements if p.universe == universe),
                        key=lambda p: p.address):
            layout = p.layout
            parts = [f"{what} {_channels(p.address, part.offsets)}" for what, part in
                     (("pan", layout.pan), ("tilt", layout.tilt), ("dimmer", layout.dimmer))
                     if part is not None]
            origin = (f"{layout.source}, mode {layout.mode!r}" if layout.mode
                      else "inline")
            lines.append(f"  {p.address:3d}-{p.last:<3d}  {p.name:<10} {p.kind:<8} {origin}: "
                         f"{', '.join(parts)}")
    for output in show.outputs:
        if output.protocol == "osc":
            lines.append(f"OSC to {output.host}:{output.port}: {output.prefix}/<fixture> "
                         "x y z")
        elif output.protocol == "sacn":
            lines.append(f"sACN to {output.host or 'multicast'}: universes "
                         f"{', '.join(map(str, output.universes))}")
        else:
            carried = ", ".join(f"{address} (universe {universe})"
                                for universe, address in output.routes().items())
            lines.append(f"Art-Net to {output.host}: port-addresses {carried}")
    return lines


def _channels(address: int, offsets: tuple[int, ...]) -> str:
    """Channels such as "1", "1-2" or, where a fine channel is not next to its coarse one,
    "1+3"."""
    channels = [address + offset for offset in offsets]
    if len(channels) > 1 and channels == list(range(channels[0], channels[-1] + 1)):
        return f"{channels[0]}-{channels[-1]}"
    return "+".join(map(str, channels))
