"""The default catalogue and sampling by name: the listing against the census, its
structure, exact byte-wise lookup, floor modulo on every stored period, agreement with the
rudiment functions, and the data rules checked again on what the module actually holds,
here and nowhere else."""

import collections
import decimal
import functools
import hashlib
import math
import struct

import pytest
from hypothesis import given, strategies as st

import catalogue_records as records
import kinetrope
from catalogue_data import samples
from number_kinds import IndexOnly

INT_MIN, INT_MAX = -2**31, 2**31 - 1

RUDIMENTS = records.RUDIMENTS
RUDIMENT_NAMES = records.RUDIMENT_NAMES


@functools.cache
def listing():
    return kinetrope.catalogue()


@functools.cache
def builtins():
    return {e["name"]: e for e in listing()[len(RUDIMENTS):]}


# ---- the listing against the census -------------------------------------------------

def test_the_table_follows_the_census():
    names = list(builtins())
    assert collections.Counter(map(records.family_of, names)) == records.COUNTS
    assert records.runs(names) == records.expected_runs()


def test_the_first_records_interleave_the_older_families():
    entries = list(builtins().values())[:len(records.FIRST_RECORDS)]
    got = [(e["name"], e["period_pips"], e["dimensions"]) for e in entries]
    assert got == records.FIRST_RECORDS
    for name, description in records.SAMPLE_DESCRIPTIONS.items():
        assert builtins()[name]["description"] == description


def test_descriptions_keep_their_shape():
    for e in builtins().values():
        raw = e["description"].encode()
        assert 43 <= len(raw) <= 235, e["name"]
        assert "\n" not in e["description"]
        # Plain ASCII but for the dashes of a few families.
        assert set(e["description"]) - set(map(chr, range(32, 127))) <= {records.EM, records.EN}


# ---- structure of catalogue() -------------------------------------------------------

def test_catalogue_starts_with_the_rudiments():
    head = [(e["name"], e["description"], e["period_pips"], e["dimensions"])
            for e in listing()[:15]]
    assert head == RUDIMENTS
    assert len(listing()) == len(RUDIMENTS) + records.RECORDS


def test_catalogue_entries_are_plain_dicts_in_key_order():
    for e in listing():
        assert type(e) is dict
        assert list(e) == ["name", "description", "period_pips", "dimensions"]
        assert type(e["name"]) is str and type(e["description"]) is str
        assert type(e["period_pips"]) is int and type(e["dimensions"]) is int


def test_each_call_builds_a_fresh_list():
    first = kinetrope.catalogue()
    second = kinetrope.catalogue()
    assert first == second and first is not second and first[0] is not second[0]
    first[0]["name"] = "changed"
    first.append(None)
    assert kinetrope.catalogue() == second


def test_catalogue_signature():
    assert kinetrope.catalogue.__doc__.strip() == "catalogue() -> list"
    with pytest.raises(TypeError):
        kinetrope.catalogue(1)


# ---- sampling by name ---------------------------------------------------------------

def one_record_per_period():
    by_period = {}
    for name, e in builtins().items():
        by_period.setdefault(e["period_pips"], name)
    return sorted(by_period.items())


@pytest.mark.parametrize("pip_of", [
    lambda p: (-1, p - 1), lambda p: (p, 0), lambda p: (-p, 0), lambda p: (2 * p + 5, 5),
    lambda p: (INT_MIN, INT_MIN % p), lambda p: (INT_MAX, INT_MAX % p),
    lambda p: (300, 300 % p)],
    ids=["-1", "P", "-P", "2P+5", "int-min", "int-max", "300"])
def test_pips_wrap_by_floor_modulo(pip_of):
    for period, name in one_record_per_period():
        pip, entry = pip_of(period)
        assert kinetrope.sample(name, pip).as_tuple() == samples(name)[entry], (name, pip)


def test_pinned_floor_modulo_entries():
    # Independent of Python's %: the entries the table's periods must give at the extremes.
    pinned = {160: (32, 127), 448: (320, 127), 512: (0, 511), 1024: (0, 1023), 768: (256, 511)}
    for period, (at_min, at_max) in pinned.items():
        names = [n for n, e in builtins().items() if e["period_pips"] == period]
        assert kinetrope.sample(names[0], INT_MIN).as_tuple() == samples(names[0])[at_min]
        assert kinetrope.sample(names[0], INT_MAX).as_tuple() == samples(names[0])[at_max]


def test_lfo_breathe_values():
    assert kinetrope.sample("lfo_breathe", 64).as_tuple() == (0.8, 0.0, 0.0)
    assert kinetrope.sample("lfo_breathe", -64).as_tuple() == (-0.8, 0.0, 0.0)
    assert kinetrope.sample("lfo_breathe", 32).x == 0.565685424949
    assert kinetrope.sample("lfo_breathe", 300).as_tuple() == kinetrope.sample("lfo_breathe", 44).as_tuple()


@pytest.mark.parametrize("name", RUDIMENT_NAMES)
@given(pip=st.integers(INT_MIN, INT_MAX))
def test_sampling_a_rudiment_by_name_is_the_rudiment(name, pip):
    assert kinetrope.sample(name, pip).as_tuple() == getattr(kinetrope, name)(pip).as_tuple()


def near_misses():
    names = RUDIMENT_NAMES + sorted(builtins())[:3] + sorted(builtins())[-3:]
    for name in names:
        yield name[:-1]
        yield name + "_"
        yield name + "\x00"
        yield name.capitalize()
        yield name.upper()
        yield " " + name


@pytest.mark.parametrize("name", ["", "Bounce", "lfo_breath", "x" * 33, "é", "a" * 4096,
                                  "beat", "beat_", "zzzzzzzzzzzz", "aaaaaaaa"])
def test_unknown_names_raise_with_the_name(name):
    with pytest.raises(ValueError) as info:
        kinetrope.sample(name, 0)
    assert str(info.value) == "Unknown kinetrope rudiment: " + name


@pytest.mark.parametrize("name, shown", [
    ("lfo_breathe\x00", "lfo_breathe\x00"), (b"a\x00b", "a\x00b"), (b"bad\xff", "bad\\xff"),
    (bytearray(b"\xc3"), "\\xc3")])
def test_the_message_keeps_every_byte_of_the_name(name, shown):
    # Zero bytes stay in the text; bytes that are not UTF-8 show as escapes, still ValueError.
    with pytest.raises(ValueError) as info:
        kinetrope.sample(name, 0)
    assert type(info.value) is ValueError
    assert str(info.value) == "Unknown kinetrope rudiment: " + shown


def test_lookup_is_exact_byte_for_byte():
    for name in near_misses():
        with pytest.raises(ValueError, match="^Unknown kinetrope rudiment: "):
            kinetrope.sample(name, 0)


def test_every_neighbour_of_every_name_is_told_apart():
    # The names sort next to each other in the index: each one's closest neighbours in
    # byte order (one byte less, one more, the last byte one off) must miss unless they
    # are names themselves, whichever branch of the search they end in.
    names = set(RUDIMENT_NAMES) | set(builtins())
    faults = []
    for name in sorted(builtins()):
        last = name[-1]
        for other in (name[:-1], name + "_", name + "\x00", name + "z",
                      name[:-1] + chr(ord(last) - 1), name[:-1] + chr(ord(last) + 1)):
            try:
                kinetrope.sample(other, 0)
                found = True
            except ValueError:
                found = False
            if found != (other in names):
                faults.append(other)
    assert faults == []


@pytest.mark.parametrize("kind", [bytes, bytearray])
def test_bytes_names_are_taken_as_they_stand(kind):
    names = RUDIMENT_NAMES[:3] + sorted(builtins())[:2]
    for name in names:
        assert (kinetrope.sample(kind(name.encode()), 77).as_tuple()
                == kinetrope.sample(name, 77).as_tuple())
    with pytest.raises(ValueError, match="^Unknown kinetrope rudiment: Bounce$"):
        kinetrope.sample(kind(b"Bounce"), 0)


def test_non_ascii_names_match_by_their_utf8_bytes():
    with pytest.raises(ValueError, match="^Unknown kinetrope rudiment: bounc\u00e9$"):
        kinetrope.sample("bounc\u00e9", 0)
    with pytest.raises(ValueError):
        kinetrope.sample(b"bounc\xc3\xa9", 0)


@pytest.mark.parametrize("name", [None, 3, 3.0, ["bounce"], memoryview(b"bounce"),
                                  "bounce\ud800"])
def test_names_of_other_types_are_refused(name):
    with pytest.raises(TypeError):
        kinetrope.sample(name, 0)


def test_str_subclass_is_a_str():
    class Name(str):
        pass

    assert kinetrope.sample(Name("sway"), 9).as_tuple() == kinetrope.sway(9).as_tuple()


def test_pip_argument_conversion():
    assert kinetrope.sample("bounce", IndexOnly(5)).as_tuple() == kinetrope.bounce(5).as_tuple()
    assert kinetrope.sample("bounce", True).as_tuple() == kinetrope.bounce(1).as_tuple()
    assert (kinetrope.sample("bounce", decimal.Decimal("5.9")).as_tuple()
            == kinetrope.bounce(5).as_tuple())
    assert kinetrope.sample(name="bounce", pip_count=7).as_tuple() == kinetrope.bounce(7).as_tuple()
    for bad in (3.0, "3", 2**31, INT_MIN - 1, None):
        with pytest.raises(TypeError):
            kinetrope.sample("bounce", bad)
    with pytest.raises(TypeError):
        kinetrope.sample("bounce", pip=3)
    with pytest.raises(TypeError):
        kinetrope.sample("bounce")


def test_every_call_returns_a_new_offset():
    a = kinetrope.sample("bounce", 3)
    b = kinetrope.sample("bounce", 3)
    assert a is not b and a.as_tuple() == b.as_tuple()


# ---- the data rules, checked on the module's own samples ------------------------------

def test_every_block_obeys_the_value_rules():
    faults = []
    for name, e in builtins().items():
        values = samples(name)
        moved_y = any(v[1] != 0.0 for v in values)
        moved_z = any(v[2] != 0.0 for v in values)
        if (3 if moved_z else 2 if moved_y else 1) != e["dimensions"]:
            faults.append((name, "dimensions"))
        for pip, v in enumerate(values):
            for c in v:
                if not (math.isfinite(c) and -1.0 <= c <= 1.0):
                    faults.append((name, pip, "range", c))
                elif c == 0.0 and math.copysign(1.0, c) < 0:
                    faults.append((name, pip, "negative zero"))
                elif float(f"{c:.12f}") != c:
                    faults.append((name, pip, "decimals", c))
        for axis in range(3):
            inner = max(abs(values[p][axis] - values[p - 1][axis]) for p in range(1, len(values)))
            if abs(values[0][axis] - values[-1][axis]) > inner:
                faults.append((name, "open seam", axis))
        magnitude = max(abs(c) for v in values for c in v)
        if magnitude == 1.0 and records.RULES[records.family_of(name)][1] != 1.0:
            faults.append((name, "magnitude 1.0"))
    assert faults[:20] == []


def test_every_block_keeps_its_family_rule_class():
    faults = []
    for name in builtins():
        low, high, bound, origin = records.RULES[records.family_of(name)]
        values = samples(name)
        peak = max(abs(c) for v in values for c in v)
        if not low <= peak <= high or (low == high and peak != low):
            faults.append((name, "peak", peak))
        step = max(abs(b - a) for v, w in zip(values, values[1:] + values[:1])
                   for a, b in zip(v, w))
        if step > bound:
            faults.append((name, "step", step))
        if origin == "exact" and values[0] != (0.0, 0.0, 0.0):
            faults.append((name, "origin", values[0]))
        if origin == "near" and max(map(abs, values[0])) > 0.00001:
            faults.append((name, "origin", values[0]))
    assert faults == []


def test_no_two_blocks_are_equal():
    seen = {}
    for name in builtins():
        key = tuple(samples(name))
        assert key not in seen, (name, seen.get(key))
        seen[key] = name


# The SHA-256 of every default pattern's samples, read through the public API in catalogue
# order, each sample as three little-endian IEEE doubles. Stored files and callers rely on
# these values: change the constant only on purpose, and say why in the commit.
CATALOGUE_FINGERPRINT = "0fac2882ffe57f9b6d578acb56ae0f58d10995d43f817d9b30ec233bc34c6c45"


def test_the_samples_keep_their_fingerprint():
    digest = hashlib.sha256()
    pack = struct.Struct("<3d").pack
    sample = kinetrope.sample
    for entry in kinetrope.catalogue():
        name = entry["name"]
        for pip in range(entry["period_pips"]):
            digest.update(pack(*sample(name, pip).as_tuple()))
    assert digest.hexdigest() == CATALOGUE_FINGERPRINT
