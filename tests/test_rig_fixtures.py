"""Fixture definitions: fourteen real files against a table read from them by hand, the
value arithmetic, inline layouts, and refusal of bad files, each problem on one line."""

import copy
import json
import os
import random
from collections import Counter
from pathlib import Path

import pytest
from hypothesis import given
from hypothesis import strategies as st

from kinetrope_rig import DmxFixture
from kinetrope_rig.fixtures import (MAX_FILE_BYTES, DefinitionError, inline_layout,
                                    load_definition, parse_definition, share_value)

DATA = Path(__file__).resolve().parent / "data" / "ofl"

# file, mode (name or short name), channels, pan, tilt and dimmer offsets (coarse first),
# pan and tilt travel in degrees, pan reversed: read off each file's mode list and angles.
TABLE = [
    ("5star-systems/spica-250m.json", "16bit", 16, (0, 1), (2, 3), (15,), 530, 280, False),
    ("american-dj/xs-400.json", "18-channel", 18, (0, 1), (2, 3), (12,), 540, 360, False),
    ("blizzard/lil-g.json", "11ch", 11, (0, 2), (1, 3), (5,), 540, 220, False),
    ("briteq/btx-cirrus-ii.json", "Extended Dimmer (48 channels)", 48, (13, 14), (15, 16),
     (11, 12), 540, 210, False),
    ("clay-paky/alpha-spot-qwo-800.json", "36ch", 36, (25, 26), (27, 28), (7, 8), 540, 250,
     False),
    ("eurolite/led-tmh-18.json", "48-channel", 48, (0, 1), (2, 3), (8,), 540, 200, False),
    ("jb-lighting/jbled-a7.json", "Standard 16bit", 19, (0, 1), (2, 3), (6,), 430, 300, True),
    ("martin/mac-250-beam.json", "16-Bit Extendend", 19, (13, 14), (15, 16), (1, 2), 540, 257,
     False),
    ("martin/mac-700-wash.json", "Extended 23-channel", 23, (17, 18), (19, 20), (1, 2), 540,
     246, False),
    ("martin/mac-viper-performance.json", "ext", 40, (30, 31), (32, 33), (1, 2), 540, 268,
     False),
    ("martin/roboscan-812.json", "5-channel tracking", 5, (3,), (4,), None, 173, 83, False),
    ("robe/robin-300e-wash.json", "1st", 20, (0, 1), (2, 3), (18, 19), 540, 260, False),
    ("robe/robin-600e-spot.json", "32-channel", 32, (0, 1), (2, 3), (30, 31), 540, 280, False),
    ("robe/robin-ledwash-600.json", "1st", 37, (0, 1), (2, 3), (35, 36), 450, 300, False),
]

# share -> the bytes at 8, 16 and 24 bits, most significant first: 0.5 lies on a tie and
# rounds up; 0.2 of 2**n - 1 is 0x33 repeated.
BYTES = {0.0: (0x00,) * 3, 1.0: (0xFF,) * 3, 0.5: (0x80, 0x00, 0x00), 0.2: (0x33,) * 3}


def expected_bytes(offsets, share):
    return dict(zip(offsets, BYTES[share]))


def definition(channels, modes, **extra):
    """A definition file's bytes: ``channels`` are available channels, ``modes`` name to
    channel list."""
    body = {"name": "Test", "availableChannels": channels,
            "modes": [{"name": name, "channels": list(chans)} for name, chans in modes.items()]}
    body.update(extra)
    return json.dumps(body).encode()


def motion(kind, start="0deg", end="540deg", **more):
    return {"capability": {"type": kind, "angleStart": start, "angleEnd": end}, **more}


PAN_TILT = {"Pan": motion("Pan", fineChannelAliases=["Pan fine", "Pan fine^2"]),
            "Tilt": motion("Tilt", end="270deg", fineChannelAliases=["Tilt fine"])}


def refusal_lines(error, source):
    lines = error.lines
    assert lines and all("\n" not in line and line.isprintable()
                          and line.startswith(source + ": ") for line in lines), lines
    return lines


# -- the real files ---------------------------------------------------------------------

@pytest.mark.parametrize("file, mode, channels, pan, tilt, dimmer, pan_travel, tilt_travel, "
                         "reversed_", TABLE)
def test_real_definitions_place_pan_tilt_and_dimmer(file, mode, channels, pan, tilt, dimmer,
                                                    pan_travel, tilt_travel, reversed_):
    layout = load_definition(DATA / file, file).layout(mode)
    assert (layout.channels, layout.pan.offsets, layout.tilt.offsets) == (channels, pan, tilt)
    assert (layout.dimmer and layout.dimmer.offsets) == dimmer
    assert (layout.pan.travel, layout.tilt.travel) == (pan_travel, tilt_travel)
    assert (layout.pan.reversed, layout.tilt.reversed) == (reversed_, False)


@pytest.mark.parametrize("share", sorted(BYTES))
@pytest.mark.parametrize("file, mode, pan, tilt, dimmer",
                         [(row[0], row[1], row[3], row[4], row[5]) for row in TABLE])
def test_real_definitions_encode_at_their_offsets(file, mode, pan, tilt, dimmer, share):
    layout = load_definition(DATA / file, file).layout(mode)
    expected = expected_bytes(pan, share) | expected_bytes(tilt, share)
    if dimmer:
        expected |= expected_bytes(dimmer, share)
    assert layout.encode(share, share, share) == expected


def test_mode_lookup_names_the_modes_there_are():
    source = "robe/robin-600e-spot.json"
    with pytest.raises(DefinitionError) as caught:
        load_definition(DATA / source, source).layout("Mode 9")
    assert caught.value.lines == (f"{source}: modes: no mode named 'Mode 9' (modes: "
                                  f"'32-channel', '25-channel', '23-channel')",)


def test_a_mode_without_motion_is_refused_naming_both_axes():
    source = "eurolite/led-tmh-18.json"
    with pytest.raises(DefinitionError) as caught:
        load_definition(DATA / source, source).layout("1ch")
    assert [line.split(": ")[2][:10] for line in refusal_lines(caught.value, source)] == [
        "no pan cha", "no tilt ch"]


# -- arithmetic ---------------------------------------------------------------------------

@pytest.mark.parametrize("bits", [8, 16, 24])
@pytest.mark.parametrize("share", sorted(BYTES))
def test_inline_layout_encodes_each_width(bits, share):
    layout = inline_layout(12, pan_offset=5, pan_bits=bits, tilt_offset=0, tilt_bits=bits,
                           dimmer_offset=11, pan_travel=540, tilt_travel=270)
    width = bits // 8
    pan, tilt = tuple(range(5, 5 + width)), tuple(range(width))
    assert layout.encode(share, share, share) == (
        expected_bytes(pan, share) | expected_bytes(tilt, share) | {11: BYTES[share][0]})


@pytest.mark.parametrize("share, span, value", [
    (-0.5, None, 0), (1.5, None, 65535), (float("nan"), None, 0), (float("inf"), None, 65535),
    (0.5, (10, 15), 13), (0.5, (10, 13), 12),  # ties round up, not to even
])
def test_share_values_clamp_and_round_half_up(share, span, value):
    assert share_value(share, 16, span) == value


@given(st.floats(0.5, 1e4), st.floats(0.0, 1.0))
def test_sixteen_bits_match_the_dmx_fixture_rule(travel, fraction):
    degrees = min(fraction * travel, travel)
    word = DmxFixture._word(0.0, degrees, 1.0, (0.0, travel), travel)
    assert share_value(degrees / travel, 16) == word


# -- what files can say -------------------------------------------------------------------

def test_travel_in_percent_must_be_stated_and_a_stated_travel_wins():
    data = definition({"Pan": motion("Pan", "0%", "100%"), "Tilt": motion("Tilt", "100%", "0%")},
                      {"Basic": ["Pan", "Tilt"]})
    fixture = parse_definition(data, "martin/xyz.json")
    with pytest.raises(DefinitionError) as caught:
        fixture.layout("Basic", tilt_travel=270)
    assert caught.value.lines == ("martin/xyz.json: mode 'Basic': pan travel is given in "
                                  "percent; state pan_travel in degrees",)
    layout = fixture.layout("Basic", pan_travel=540, tilt_travel=270)
    assert (layout.pan.travel, layout.tilt.travel, layout.tilt.reversed) == (540, 270, True)
    real = load_definition(DATA / "robe/robin-600e-spot.json").layout("32ch", pan_travel=500)
    assert (real.pan.travel, real.tilt.travel) == (500, 280)


@pytest.mark.parametrize("mode, pan, problem", [
    (["Tilt", "Pan fine^2", "x", "Pan", "Pan fine"], (3, 4, 1), None),
    (["Pan", "Tilt", "Pan fine^2"], None, "uses a fine channel of 'Pan' without the ones"),
])
def test_fine_channels_are_found_wherever_the_mode_puts_them(mode, pan, problem):
    channels = {**PAN_TILT, "x": {"capability": {"type": "NoFunction"}}}
    try:
        layout = parse_definition(definition(channels, {"m": mode}), "t.json").layout("m")
    except DefinitionError as error:
        assert problem in error.lines[0]
    else:
        assert problem is None and layout.pan.offsets == pan and layout.pan.bits == 24


def test_partial_ranges_keep_a_combined_channel_within_its_function():
    channels = {
        "Pan": {"capabilities": [
            {"dmxRange": [0, 191], "type": "Pan", "angleStart": "0deg", "angleEnd": "360deg"},
            {"dmxRange": [192, 255], "type": "PanContinuous", "speed": "fast CW"}]},
        "Tilt": motion("Tilt"),
        "Dimmer": {"fineChannelAliases": ["Dimmer fine"], "dmxValueResolution": "8bit",
                   "capabilities": [
                       {"dmxRange": [0, 63], "type": "Intensity"},
                       {"dmxRange": [64, 127], "type": "Intensity"},
                       {"dmxRange": [128, 255], "type": "ShutterStrobe",
                        "shutterEffect": "Strobe"}]}}
    layout = parse_definition(definition(channels, {"m": ["Pan", "Tilt", "Dimmer",
                                                           "Dimmer fine"]}), "t").layout("m")
    assert (layout.pan.travel, layout.pan.span, layout.dimmer.span) == (360, (0, 191),
                                                                         (0, 32767))
    assert layout.encode(1.0, 0.0, 1.0) == {0: 191, 1: 0, 2: 0x7F, 3: 0xFF}


@pytest.mark.parametrize("order, pan, tilt", [("perChannel", (4, 7), (1,)),
                                              ("perPixel", (2, 3), (1,))])
def test_template_channels_in_a_matrix_block(order, pan, tilt):
    templates = {"Pan $pixelKey": motion("Pan", fineChannelAliases=["Pan $pixelKey fine"]),
                 "Tilt $pixelKey": motion("Tilt")}
    block = {"insert": "matrixChannels", "repeatFor": "eachPixelXYZ", "channelOrder": order,
             "templateChannels": ["Tilt $pixelKey", "Pan $pixelKey", "Pan $pixelKey fine"]}
    data = definition({"Dimmer": {"capability": {"type": "Intensity"}}},
                      {"m": ["Dimmer", block], "resolved": ["Pan 2", "Pan 2 fine", "Tilt 3"]},
                      templateChannels=templates, matrix={"pixelCount": [3, 1, 1]})
    fixture = parse_definition(data, "t.json")
    layout = fixture.layout("m")
    assert (layout.channels, layout.pan.offsets, layout.tilt.offsets) == (10, pan, tilt)
    resolved = fixture.layout("resolved")
    assert (resolved.channels, resolved.pan.offsets, resolved.tilt.offsets) == (3, (0, 1), (2,))


# -- refusals -----------------------------------------------------------------------------

@pytest.mark.parametrize("change, where", [
    ({"channels": 0}, "types.m.channels"),
    ({"pan_bits": 12}, "types.m.pan_bits"),
    ({"tilt_offset": 1}, "types.m.tilt_offset"),  # overlaps pan's fine channel
    ({"dimmer_offset": 9}, "types.m.dimmer_offset"),  # past the end
    ({"pan_travel": float("inf")}, "types.m.pan_travel"),
    ({"tilt_travel": 0}, "types.m.tilt_travel"),
])
def test_inline_layouts_are_validated(change, where):
    args = dict(channels=9, pan_offset=0, tilt_offset=2, pan_travel=540, tilt_travel=270,
                dimmer_offset=4) | change
    with pytest.raises(DefinitionError) as caught:
        inline_layout(**args, source="show.toml", where="types.m")
    assert refusal_lines(caught.value, "show.toml")[0].startswith(f"show.toml: {where}: ")


def test_every_problem_of_a_file_is_reported():
    channels = {"Pan": motion("Pan", end="lots"), "Tilt": {"capability": []}}
    data = definition(channels, {"a": ["Pan", "Nothing\n"], "b": ["Tilt", 3]})
    with pytest.raises(DefinitionError) as caught:
        parse_definition(data, "bad.json")
    assert [line.split(": ")[1] for line in refusal_lines(caught.value, "bad.json")] == [
        "availableChannels.Pan.capability.angleEnd", "availableChannels.Tilt.capability",
        "modes[0].channels[1]", "modes[1].channels[1]"]


def test_problems_past_fifty_are_counted():
    data = definition(PAN_TILT, {"m": ["Pan", "Tilt"] + [f"x{i}" for i in range(80)]})
    with pytest.raises(DefinitionError) as caught:
        parse_definition(data, "t.json")
    lines = refusal_lines(caught.value, "t.json")
    assert (len(lines), lines[-1]) == (51, "t.json: 30 more problems")


def _fifo(path):
    os.mkfifo(path)
    return path


@pytest.mark.parametrize("make, problem", [
    (lambda d: d / "missing.json", "cannot be read"),
    (lambda d: d, "is a directory"),
    (lambda d: _fifo(d / "fifo.json"), "is not a regular file"),
    (lambda d: d / "big.json", "bytes; a definition is at most"),
    (lambda d: d / "latin1.json", "is not UTF-8"),
    (lambda d: d / "cut.json", "is not valid JSON"),
    (lambda d: d / "deep.json", "nests deeper than"),
    (lambda d: d / "nan.json", "NaN is no JSON number"),
    (lambda d: d / "list.json", "must be an object, not a list"),
])
def test_bad_files_are_refused_in_one_line(tmp_path, make, problem):
    (tmp_path / "big.json").write_bytes(b" " * (MAX_FILE_BYTES + 1))
    (tmp_path / "latin1.json").write_bytes(b'{"name": "Caf\xe9"}')
    (tmp_path / "cut.json").write_bytes((DATA / "blizzard/lil-g.json").read_bytes()[:500])
    (tmp_path / "deep.json").write_text("[" * 100_000 + "]" * 100_000)
    (tmp_path / "nan.json").write_text('{"modes": NaN}')
    (tmp_path / "list.json").write_text("[]")
    with pytest.raises(DefinitionError) as caught:
        load_definition(make(tmp_path), "f.json")
    assert problem in refusal_lines(caught.value, "f.json")[0]


# -- mutated files ------------------------------------------------------------------------

def _nodes(value, path=()):
    yield path
    children = value.items() if isinstance(value, dict) else enumerate(value) \
        if isinstance(value, list) else ()
    for key, child in children:
        yield from _nodes(child, path + (key,))


def _replace(tree, path, new):
    if not path:
        return new
    parent = tree
    for key in path[:-1]:
        parent = parent[key]
    parent[path[-1]] = new
    return tree


MARK = "\x00mark"
SWAPS = [None, True, 0, -1, 70000, 1.5e308, "", "x", "540deg", "50%", [], {}, ["Pan"],
         {"type": "Pan"}]


def mutate(data, rng):
    """One mutation of a definition's bytes, chosen by ``rng``."""
    how = rng.choice(["flip", "cut", "swap", "delete", "deep", "huge"])
    if how == "flip":
        out = bytearray(data)
        for _ in range(rng.randint(1, 8)):
            out[rng.randrange(len(out))] ^= rng.randint(1, 255)
        return bytes(out)
    if how == "cut":
        return data[:rng.randrange(len(data))]
    tree = json.loads(data)
    path = rng.choice(list(_nodes(tree)))
    if how == "swap":
        return json.dumps(_replace(tree, path, copy.deepcopy(rng.choice(SWAPS)))).encode()
    if how == "delete":
        dicts = [p for p in _nodes(tree) if isinstance(_at(tree, p), dict) and _at(tree, p)]
        target = _at(tree, rng.choice(dicts))
        del target[rng.choice(list(target))]
        return json.dumps(tree).encode()
    raw = ("[" * 5000 + "]" * 5000 if how == "deep"
           else rng.choice(["1" + "0" * 5000, "1e999", "-1e999", "123456789" * 40 + ".5"]))
    text = json.dumps(_replace(tree, path, MARK))
    return text.replace(json.dumps(MARK), raw, 1).encode()


def _at(tree, path):
    for key in path:
        tree = tree[key]
    return tree


def test_mutated_definitions_parse_or_are_refused_in_one_line():
    rng = random.Random(20240611)
    outcomes = Counter()
    failures = []
    for file in sorted(DATA.glob("*/*.json")):
        source = str(file.relative_to(DATA))
        original = file.read_bytes()
        for _ in range(30):
            data = mutate(original, rng)
            try:
                fixture = parse_definition(data, source)
                for mode in fixture.modes:
                    try:
                        fixture.layout(mode.name).encode(0.3, 0.7, 1.0)
                    except DefinitionError as error:
                        refusal_lines(error, source)
                outcomes["parsed"] += 1
            except DefinitionError as error:
                refusal_lines(error, source)
                outcomes["refused"] += 1
            except Exception as error:  # anything else is the fault this test looks for
                failures.append(f"{source}: {error!r}")
    print(f"\nmutated definitions: {sum(outcomes.values()) + len(failures)}, parsed "
          f"{outcomes['parsed']}, refused {outcomes['refused']}, other {len(failures)}")
    assert not failures, failures[:5]
    assert outcomes["parsed"] > 20 and outcomes["refused"] > 100
