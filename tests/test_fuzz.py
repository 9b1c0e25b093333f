"""Every entry point called with generated arguments of every kind a caller might pass.

A small model of the argument conversion and of each constructor's checks predicts, for each
call, either the result or the exact exception type and message; the call must agree with it.
KINETROPE_FUZZ_PROFILE=deep (set for the sanitized run) raises the number of examples."""

import decimal
import operator
import os
import struct

import pytest
from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

import kinetrope
from catalogue_records import RUDIMENT_NAMES
from kinetrope import Offset3, PatternLibrary, SampledPattern, SampledRecording
from number_kinds import FloatOnly, IndexOnly, IntOnly

settings.register_profile(
    "quick", max_examples=40, deadline=None, database=None,
    suppress_health_check=[HealthCheck.too_slow, HealthCheck.data_too_large])
settings.register_profile(
    "deep", max_examples=600, deadline=None, database=None,
    suppress_health_check=[HealthCheck.too_slow, HealthCheck.data_too_large])
FUZZ = settings.get_profile(os.environ.get("KINETROPE_FUZZ_PROFILE", "quick"))

INT_MIN, INT_MAX = -2**31, 2**31 - 1
ABOVE_ONE = 1.0000000000000002
BELOW_ONE = 0.9999999999999999
REFUSED = object()

RUDIMENTS = RUDIMENT_NAMES
CATALOGUE = kinetrope.catalogue()
DEFAULTS = {e["name"].encode(): e for e in CATALOGUE}
DEFAULT_NAMES = [e["name"] for e in CATALOGUE]


# ---------------------------------------------------------------------------------------------
# Argument kinds

class Generated:
    """Items handed over as a fresh generator at call time (the model reads the list)."""

    def __init__(self, items):
        self.items = list(items)

    def __repr__(self):
        return f"Generated({self.items!r})"


class Lazy:
    """A sequence without a store of its own: each item is made afresh when asked for."""

    def __init__(self, items):
        self.items = list(items)

    def __len__(self):
        return len(self.items)

    def __getitem__(self, i):
        if i >= len(self.items):
            raise IndexError(i)
        return realize(self.items[i])

    def __repr__(self):
        return f"Lazy({self.items!r})"


class PatternSpec:
    """A SampledPattern that is built afresh wherever one is passed."""

    def __init__(self, name, description, samples):
        self.args = (name, description, samples)

    def make(self):
        return SampledPattern(*self.args)

    def __repr__(self):
        return f"PatternSpec{self.args!r}"


def realize(value):
    """The object actually passed: generators and patterns are made afresh, nested ones too."""
    if isinstance(value, Generated):
        return (realize(v) for v in value.items)
    if isinstance(value, PatternSpec):
        return value.make()
    if isinstance(value, list):
        return [realize(v) for v in value]
    if isinstance(value, tuple):
        return tuple(realize(v) for v in value)
    return value


def is_number(v):
    """CPython's number check: a type with __index__, __int__ or __float__, or a complex."""
    t = type(v)
    return isinstance(v, complex) or any(hasattr(t, m) for m in ("__index__", "__int__", "__float__"))


def strict_int(v):
    if isinstance(v, float) or not (isinstance(v, int) or hasattr(type(v), "__index__")):
        return REFUSED
    try:
        i = operator.index(v)
    except Exception:
        return REFUSED
    return i if INT_MIN <= i <= INT_MAX else REFUSED


def convertible_int(v):
    if isinstance(v, float):
        return REFUSED
    i = strict_int(v)
    if i is not REFUSED or not is_number(v):
        return i
    try:
        i = int(v)
    except Exception:
        return REFUSED
    return i if INT_MIN <= i <= INT_MAX else REFUSED


def real(v):
    if isinstance(v, (str, bytes, bytearray)) or not is_number(v):
        return REFUSED
    try:
        return float(v)
    except Exception:
        return REFUSED


def text_bytes(v):
    """A name or description: str as UTF-8, bytes and bytearray as they stand."""
    if isinstance(v, str):
        try:
            return v.encode("utf-8")
        except UnicodeEncodeError:
            return REFUSED
    if isinstance(v, (bytes, bytearray)):
        return bytes(v)
    return REFUSED


def sequence(v, item, size=None):
    """A list converter: any sequence or generator but str and bytes, each item converted."""
    if isinstance(v, (Generated, Lazy)):
        items = v.items
    elif isinstance(v, (list, tuple, bytearray)):
        items = list(v)
    else:
        return REFUSED
    items = [realize(x) if isinstance(x, PatternSpec) else x for x in items]
    if size is not None and len(items) != size:
        return REFUSED
    out = []
    for x in items:
        c = item(x)
        if c is REFUSED:
            return REFUSED
        out.append(c)
    return out


def triple(v):
    return sequence(v, real, size=3)


# ---------------------------------------------------------------------------------------------
# Strategies

EDGE_INTS = [0, 1, -1, INT_MIN, INT_MAX, INT_MIN - 1, INT_MAX + 1, 2**32, -2**32, 2**63,
             -2**63 - 1, 2**64, 10**30]
EDGE_FLOATS = [0.0, -0.0, 1.0, -1.0, ABOVE_ONE, -ABOVE_ONE, BELOW_ONE, -BELOW_ONE,
               float("nan"), float("inf"), float("-inf"), 5e-324, 1e-308, 1.7976931348623157e308]

ints = st.one_of(st.integers(INT_MIN, INT_MAX), st.sampled_from(EDGE_INTS), st.integers())
floats = st.one_of(st.floats(), st.sampled_from(EDGE_FLOATS))
decimals = st.one_of(
    st.decimals(min_value=-10**12, max_value=10**12, allow_nan=False),
    st.sampled_from([decimal.Decimal(s) for s in ("NaN", "-NaN", "sNaN", "Infinity",
                                                  "-Infinity", "5.9", "-5.9", "1E+40", "-0")]))
lone_surrogates = st.integers(0xD800, 0xDFFF).map(chr)
texts = st.one_of(
    st.text(max_size=12),
    st.text(alphabet="abcxyz_019", min_size=1, max_size=12),
    st.tuples(st.text(max_size=6), lone_surrogates, st.text(max_size=6)).map("".join),
    st.text(alphabet="ab_", min_size=125, max_size=131),
    st.integers(129, 20000).map(lambda n: "a" * n),
    st.sampled_from(["", "a", "a_1", "1a", "_a", "Ab", "a-b", "a b", "é", "a\0b", "naïve"]))
byte_strings = st.one_of(st.binary(max_size=12),
                         st.sampled_from([b"\xff", b"bounce\xff", b"a\0", b"\xc3\xa9"]))
numbers = st.one_of(ints, st.booleans(), floats, decimals, ints.map(IndexOnly),
                    ints.map(IntOnly), floats.map(FloatOnly))
scalars = st.one_of(numbers, texts, byte_strings, byte_strings.map(bytearray), st.none(),
                    st.just(complex(1, 0)), st.just(object()))
anything = st.one_of(scalars, st.lists(scalars, max_size=4), st.tuples(scalars, scalars))



def mostly(good, bad, odds=8):
    """Draws from good, and one time in odds from bad: most calls get past conversion."""
    return st.integers(0, odds - 1).flatmap(lambda k: bad if k == 0 else good)


CONTAINERS = [list, tuple, Lazy, Generated]


def containers(items):
    """The same items as a list, a tuple, a sequence without a store, or a generator."""
    return st.tuples(st.sampled_from(CONTAINERS), items).map(lambda t: t[0](t[1]))


identifiers = st.from_regex(r"[a-z][a-z0-9_]{0,14}", fullmatch=True)
real_values = st.one_of(
    st.floats(-1.0, 1.0), st.sampled_from(EDGE_FLOATS), st.integers(-1, 1), st.booleans(),
    st.sampled_from([decimal.Decimal("0.5"), decimal.Decimal("-1"), decimal.Decimal("NaN")]),
    st.integers(-1, 1).map(IndexOnly), st.floats(-1.0, 1.0).map(FloatOnly))
known_names = st.sampled_from(DEFAULT_NAMES)
names = st.one_of(
    known_names, known_names.map(str.encode), known_names.map(lambda n: bytearray(n.encode())),
    known_names.map(lambda n: n[:-1]), known_names.map(lambda n: n + "\0"),
    known_names.map(str.upper), texts, byte_strings, byte_strings.map(bytearray), scalars)
pips = st.one_of(ints, numbers, scalars)

sample_values = mostly(real_values, numbers, odds=100)
good_triples = st.tuples(st.floats(-1.0, 1.0), st.floats(-1.0, 1.0), st.floats(-1.0, 1.0))
any_triples = mostly(
    containers(st.lists(sample_values, min_size=3, max_size=3)),
    st.one_of(containers(st.lists(sample_values, max_size=5)),
              st.sampled_from([bytearray(b"\x00\x01\x00"), bytearray(b"\x02\x00\x00"), b"abc",
                               "abc"]),
              scalars),
    odds=50)


def sample_lists(triples):
    sizes = st.sampled_from([0, 1, 65535, 65536]).map(lambda n: [(0.0, 0.5, 0.0)] * n)
    return mostly(mostly(containers(st.lists(triples, max_size=8)), sizes, odds=20), scalars)


pattern_names = mostly(st.one_of(identifiers, identifiers.map(str.encode), texts), scalars)
descriptions = mostly(st.one_of(texts, byte_strings, byte_strings.map(bytearray)), scalars)


# ---------------------------------------------------------------------------------------------
# Checking calls

def incompatible(fn_name, constructor=False):
    kind = "constructor" if constructor else "function"
    return f"{fn_name}(): incompatible {kind} arguments. "


def expect_type_error(call, fn_name, constructor=False):
    with pytest.raises(TypeError) as err:
        call()
    assert type(err.value) is TypeError
    assert str(err.value).startswith(incompatible(fn_name, constructor))


def expect(call, exc_type, message):
    with pytest.raises(Exception) as err:
        call()
    assert type(err.value) is exc_type, (err.value, message)
    assert str(err.value) == message


def bits(values):
    return struct.pack(f"{len(values)}d", *values)


def assert_offset(result, expected):
    assert type(result) is Offset3
    t = result.as_tuple()
    assert type(t) is tuple and all(type(v) is float for v in t)
    assert (result.x, result.y, result.z) == t
    assert bits(t) == bits(expected)


def unknown_message(name):
    return (b"Unknown kinetrope rudiment: " + name).decode("utf-8", "backslashreplace")


def call_with(fn, args, names, use_keywords):
    real_args = [realize(a) for a in args]
    if use_keywords:
        return fn(**dict(zip(names, real_args)))
    return fn(*real_args)


# ---------------------------------------------------------------------------------------------
# Module functions

@FUZZ
@given(rudiment=st.sampled_from(RUDIMENTS), pip=pips)
def test_rudiments(rudiment, pip):
    fn = getattr(kinetrope, rudiment)
    p = convertible_int(pip)
    if p is REFUSED:
        expect_type_error(lambda: fn(pip), rudiment)
        return
    result = fn(pip)
    assert_offset(result, fn(p).as_tuple())
    assert all(-1.0 <= v <= 1.0 for v in result.as_tuple())


@FUZZ
@given(name=names, pip=pips, use_keywords=st.booleans())
def test_sample_by_name(name, pip, use_keywords):
    call = lambda: call_with(kinetrope.sample, [name, pip], ["name", "pip_count"], use_keywords)
    n, p = text_bytes(name), convertible_int(pip)
    if n is REFUSED or p is REFUSED:
        expect_type_error(call, "sample")
    elif n in DEFAULTS:
        assert_offset(call(), kinetrope.sample(n.decode(), p).as_tuple())
    else:
        expect(call, ValueError, unknown_message(n))


@FUZZ
@given(args=st.lists(anything, min_size=1, max_size=2))
def test_catalogue_takes_no_arguments(args):
    expect_type_error(lambda: kinetrope.catalogue(*args), "catalogue")
    assert kinetrope.catalogue() == CATALOGUE


@FUZZ
@given(args=st.lists(anything, max_size=3))
def test_offset3_cannot_be_made(args):
    expect(lambda: Offset3(*args), TypeError, "kinetrope.Offset3: No constructor defined!")


# ---------------------------------------------------------------------------------------------
# SampledPattern

def pattern_outcome(name, description, samples):
    """(exception type, message) or the converted (name, description, samples)."""
    n, d, s = text_bytes(name), text_bytes(description), sequence(samples, triple)
    if REFUSED in (n, d) or s is REFUSED:
        return TypeError, None
    if not is_identifier(n):
        return ValueError, "Invalid pattern name"
    if not is_utf8(d):
        return ValueError, "Pattern description must be valid UTF-8"
    if not 1 <= len(s) <= 65535:
        return ValueError, "A pattern requires 1..65535 samples (one per pip)"
    if not all(is_sample(v) for t in s for v in t):
        return ValueError, "Pattern samples must be finite and within [-1, 1]"
    return n, d, s


def is_identifier(b):
    return (1 <= len(b) <= 128 and b[:1].isalpha() and b[:1].islower()
            and all(c in b"abcdefghijklmnopqrstuvwxyz0123456789_" for c in b))


def is_utf8(b):
    try:
        b.decode("utf-8")
    except UnicodeDecodeError:
        return False
    return True


def is_sample(v):
    return -1.0 <= v <= 1.0


def check_pattern_reads(pattern, n, d, s):
    assert (pattern.name, pattern.description) == (n.decode(), d.decode())
    assert type(pattern.period_pips) is int and pattern.period_pips == len(s)


@FUZZ
@given(name=pattern_names, description=descriptions, samples=sample_lists(any_triples),
       use_keywords=st.booleans())
def test_sampled_pattern_construction(name, description, samples, use_keywords):
    call = lambda: call_with(SampledPattern, [name, description, samples],
                             ["name", "description", "samples"], use_keywords)
    outcome = pattern_outcome(name, description, samples)
    if outcome[0] is TypeError:
        expect_type_error(call, "__init__", constructor=True)
    elif outcome[0] is ValueError:
        expect(call, ValueError, outcome[1])
    else:
        check_pattern_reads(call(), *outcome)


@FUZZ
@given(samples=st.lists(good_triples, min_size=1, max_size=9), pip=pips,
       use_keyword=st.booleans())
def test_sampled_pattern_sample(samples, pip, use_keyword):
    pattern = SampledPattern("wave", "", samples)
    call = (lambda: pattern.sample(pip_count=pip)) if use_keyword else (lambda: pattern.sample(pip))
    p = strict_int(pip)
    if p is REFUSED:
        expect_type_error(call, "sample")
    else:
        assert_offset(call(), samples[p % len(samples)])


# ---------------------------------------------------------------------------------------------
# PatternLibrary

def replica_of(name, change):
    entry = DEFAULTS[name.encode()]
    samples = [kinetrope.sample(name, i).as_tuple() for i in range(entry["period_pips"])]
    description = entry["description"]
    if change == "description":
        description += " "
    elif change == "longer":
        samples.append(samples[0])
    elif change == "shorter" and len(samples) > 1:
        samples.pop()
    elif change == "value":
        x, y, z = samples[-1]
        samples[-1] = (x, y, 0.5 if z != 0.5 else 0.25)
    return PatternSpec(name, description, samples)


def user_patterns():
    plain = st.builds(
        PatternSpec,
        st.sampled_from(["a", "b_one", "a_two", "wave", "zz9"]),
        st.one_of(st.text(max_size=6), byte_strings.filter(is_utf8)),
        st.lists(good_triples, min_size=1, max_size=6))
    replicas = st.builds(
        replica_of, st.sampled_from(["bounce", "flam", DEFAULT_NAMES[15], DEFAULT_NAMES[-1]]),
        st.sampled_from([None, None, None, "description", "longer", "shorter", "value"]))
    return st.one_of(plain, replicas)


packs = mostly(
    st.one_of(containers(st.lists(user_patterns(), max_size=5)),
              st.sampled_from([1024, 1025]).map(
                  lambda n: [SampledPattern("a", "", [(0.0, 0.0, 0.0)])] * n)),
    st.one_of(st.lists(st.one_of(user_patterns(), scalars, st.just(bytearray(b"ab"))), max_size=4),
              scalars),
    odds=5)


def library_outcome(pack):
    items = sequence(pack, lambda x: x if isinstance(x, SampledPattern) else REFUSED)
    if items is REFUSED:
        return TypeError, None
    if len(items) > 1024:
        return ValueError, "Too many patterns"
    seen, total, kept = set(), 0, []
    for p in items:
        if p.name in seen:
            return ValueError, "Duplicate pattern name: " + p.name
        seen.add(p.name)
        total += p.period_pips
        if total > 1 << 20:
            return ValueError, "Pattern pack is too large"
        entry = DEFAULTS.get(p.name.encode())
        if entry is None:
            kept.append(p)
        elif not replicates(p, entry):
            return ValueError, "Cannot override default pattern: " + p.name
    return (kept,)


def replicates(p, entry):
    if p.period_pips != entry["period_pips"] or p.description != entry["description"]:
        return False
    return all(p.sample(i).as_tuple() == kinetrope.sample(p.name, i).as_tuple()
               for i in range(p.period_pips))


def dimensions_of(p):
    values = [p.sample(i).as_tuple() for i in range(p.period_pips)]
    if any(z != 0.0 for _, _, z in values):
        return 3
    return 2 if any(y != 0.0 for _, y, _ in values) else 1


@FUZZ
@given(pack=packs, use_keyword=st.booleans(), leave_out=st.booleans())
def test_pattern_library_construction_and_listing(pack, use_keyword, leave_out):
    if leave_out:
        pack = []
        call = PatternLibrary
    else:
        call = lambda: call_with(PatternLibrary, [pack], ["patterns"], use_keyword)
    outcome = library_outcome(pack)
    if outcome[0] is TypeError:
        expect_type_error(call, "__init__", constructor=True)
        return
    if outcome[0] is ValueError:
        expect(call, ValueError, outcome[1])
        return
    library, kept = call(), outcome[0]
    listing = library.catalogue()
    assert listing[:len(CATALOGUE)] == CATALOGUE
    assert listing[len(CATALOGUE):] == [
        {"name": p.name, "description": p.description, "period_pips": p.period_pips,
         "dimensions": dimensions_of(p)} for p in kept]


@FUZZ
@given(pack=st.lists(user_patterns(), max_size=4, unique_by=lambda p: p.args[0]), name=names,
       pip=pips, use_keywords=st.booleans())
def test_pattern_library_sample(pack, name, pip, use_keywords):
    outcome = library_outcome(pack)
    if len(outcome) != 1:
        return  # refused packs are the construction test's business
    library = PatternLibrary(realize(pack))
    users = {p.name.encode(): p for p in outcome[0]}
    call = lambda: call_with(library.sample, [name, pip], ["name", "pip_count"], use_keywords)
    n, p = text_bytes(name), strict_int(pip)
    if n is REFUSED or p is REFUSED:
        expect_type_error(call, "sample")
    elif n in users:
        assert_offset(call(), users[n].sample(p).as_tuple())
    elif n in DEFAULTS:
        assert_offset(call(), kinetrope.sample(n.decode(), p).as_tuple())
    else:
        expect(call, ValueError, unknown_message(n))


@FUZZ
@given(name=st.one_of(texts, byte_strings, byte_strings.map(bytearray)))
def test_library_refusal_keeps_every_byte_of_the_name(name):
    # An unknown name that is not valid UTF-8 or holds a zero byte is still a ValueError with
    # the whole name, as from the module function.
    library = PatternLibrary([SampledPattern("mine", "", [(0.0, 0.0, 0.0)])])
    n = text_bytes(name)
    if n is REFUSED or n in DEFAULTS or n == b"mine":
        return
    expect(lambda: library.sample(name, 0), ValueError, unknown_message(n))


# ---------------------------------------------------------------------------------------------
# SampledRecording

RECORDING_ARGS = ["name", "dimensions", "samples", "bpm", "beat_zero_seconds", "start_pip"]
INVALID_TEMPO = "A finite positive BPM and beat origin are required"
SIZE_FAULT = "Empty recording or recording resource limit exceeded"


def recording_outcome(name, dimensions, rows, bpm, origin, start):
    n = text_bytes(name)
    dims = sequence(dimensions, text_bytes)
    values = sequence(rows, lambda r: sequence(r, real))
    b, o, s = real(bpm), real(origin), convertible_int(start)
    if REFUSED in (n, b, o, s) or dims is REFUSED or values is REFUSED:
        return TypeError, None
    if not is_identifier(n):
        return ValueError, "Invalid identifier"
    with_inf = float("inf")
    if not (abs(b) < with_inf and b > 0.0) or not abs(60.0 / b) < with_inf \
            or not 60.0 / b * 0.015625 > 0.0 or not abs(o) < with_inf:
        return ValueError, INVALID_TEMPO
    if not dims or not values or len(values) > (1 << 23) // len(dims) \
            or len(values) + s > INT_MAX:
        return ValueError, SIZE_FAULT
    seen = set()
    for axis in dims:
        if not is_identifier(axis):
            return ValueError, "Invalid identifier"
        if axis in seen:
            return ValueError, "Duplicate axis"
        seen.add(axis)
    for row in values:
        if len(row) != len(dims):
            return ValueError, "Ragged recording"
        if not all(is_sample(v) for v in row):
            return ValueError, "Invalid sample"
    return n, dims, values, b, o, s


axis_names = mostly(st.one_of(identifiers, identifiers.map(str.encode)),
                    st.one_of(texts, byte_strings, scalars), odds=20)


@st.composite
def recording_arguments(draw):
    """Axis names and rows of one width, each part now and then broken or of the wrong kind."""
    width = draw(st.integers(1, 3))
    dimensions = draw(mostly(
        containers(st.lists(axis_names, min_size=width, max_size=width)),
        st.one_of(containers(st.lists(axis_names, max_size=4)), scalars)))
    row = mostly(containers(st.lists(sample_values, min_size=width, max_size=width)),
                 st.one_of(containers(st.lists(sample_values, max_size=4)),
                           st.sampled_from([bytearray(b"\x00"), bytearray(b"\x01\x00"), b"\x00",
                                            "x"]),
                           scalars),
                 odds=30)
    samples = draw(mostly(containers(st.lists(row, max_size=6)), scalars, odds=20))
    return dimensions, samples


tempos = mostly(st.floats(0.001, 1000.0), st.one_of(floats, numbers, scalars), odds=4)
origins = mostly(st.floats(-100.0, 100.0), st.one_of(floats, numbers, scalars), odds=4)
starts = mostly(st.one_of(st.integers(-10, 10), st.integers(INT_MAX - 8, INT_MAX)), pips, odds=4)


@FUZZ
@given(name=mostly(identifiers, st.one_of(texts, scalars), odds=10), parts=recording_arguments(),
       bpm=tempos, origin=origins, start=starts, use_keywords=st.booleans(),
       defaults=st.booleans())
def test_sampled_recording(name, parts, bpm, origin, start, use_keywords, defaults):
    dimensions, samples = parts
    args = [name, dimensions, samples, bpm] + ([] if defaults else [origin, start])
    if defaults:
        origin, start = 0.0, 0
    call = lambda: call_with(SampledRecording, args, RECORDING_ARGS, use_keywords)
    outcome = recording_outcome(name, dimensions, samples, bpm, origin, start)
    if outcome[0] is TypeError:
        expect_type_error(call, "__init__", constructor=True)
        return
    if outcome[0] is ValueError:
        expect(call, ValueError, outcome[1])
        return
    n, dims, values, b, o, s = outcome
    rec = call()
    assert rec.name == n.decode()
    assert rec.dimensions == [d.decode() for d in dims]
    assert rec.sample_count == len(values)
    assert bits([rec.bpm, rec.beat_zero_seconds]) == bits([b, o])
    assert type(rec.start_pip) is int and rec.start_pip == s
    for pip in (s - 1, s, s + len(values) - 1, s + len(values), INT_MIN, INT_MAX):
        if not INT_MIN <= pip <= INT_MAX:
            continue
        k = pip - s
        if 0 <= k < len(values):
            row = rec.sample(pip)
            assert type(row) is list and all(type(v) is float for v in row)
            assert bits(row) == bits(values[k])
        else:
            expect(lambda: rec.sample(pip), IndexError, "Pip outside non-looping recording")


@FUZZ
@given(pip=pips, use_keyword=st.booleans())
def test_sampled_recording_sample(pip, use_keyword):
    rec = SampledRecording("take", ["x", "y"], [[0.5, -0.5], [1.0, -1.0], [-0.0, 0.0]],
                           120.0, 0.0, -1)
    call = (lambda: rec.sample(pip=pip)) if use_keyword else (lambda: rec.sample(pip))
    p = strict_int(pip)
    if p is REFUSED:
        expect_type_error(call, "sample")
    elif -1 <= p <= 1:
        assert bits(call()) == bits([[0.5, -0.5], [1.0, -1.0], [-0.0, 0.0]][p + 1])
    else:
        expect(call, IndexError, "Pip outside non-looping recording")


# ---------------------------------------------------------------------------------------------
# Wrong arity and unknown keywords

def some_pattern():
    return SampledPattern("wave", "", [(0.0, 0.0, 0.0)])


def some_recording():
    return SampledRecording("take", ["x"], [[0.0]], 120.0)


BAD_CALLS = [
    ("bounce", lambda: kinetrope.bounce(), False),
    ("bounce", lambda: kinetrope.bounce(1, 2), False),
    ("bounce", lambda: kinetrope.bounce(pip=1), False),
    ("sample", lambda: kinetrope.sample("bounce"), False),
    ("sample", lambda: kinetrope.sample("bounce", 1, 2), False),
    ("sample", lambda: kinetrope.sample(name="bounce", pip=1), False),
    ("as_tuple", lambda: kinetrope.bounce(0).as_tuple(1), False),
    ("__init__", lambda: SampledPattern("a", ""), True),
    ("__init__", lambda: SampledPattern("a", "", [], 1), True),
    ("sample", lambda: some_pattern().sample(), False),
    ("sample", lambda: some_pattern().sample(pip=0), False),
    ("__init__", lambda: PatternLibrary([], []), True),
    ("__init__", lambda: PatternLibrary(pattern=[]), True),
    ("sample", lambda: PatternLibrary().sample("bounce"), False),
    ("catalogue", lambda: PatternLibrary().catalogue(1), False),
    ("__init__", lambda: SampledRecording("take", ["x"], [[0.0]]), True),
    ("__init__", lambda: SampledRecording("take", ["x"], [[0.0]], 120.0, 0.0, 0, 1), True),
    ("__init__", lambda: SampledRecording("take", ["x"], [[0.0]], 120.0, start=0), True),
    ("sample", lambda: some_recording().sample(), False),
    ("sample", lambda: some_recording().sample(pip_count=0), False),
]


@pytest.mark.parametrize("fn_name, call, constructor", BAD_CALLS)
def test_wrong_arity_and_keywords(fn_name, call, constructor):
    expect_type_error(call, fn_name, constructor)


@pytest.mark.parametrize("obj, attribute", [
    (kinetrope.bounce(0), "x"), (some_pattern(), "name"), (some_pattern(), "period_pips"),
    (some_recording(), "bpm"), (some_recording(), "dimensions")])
def test_properties_are_read_only(obj, attribute):
    with pytest.raises(AttributeError):
        setattr(obj, attribute, getattr(obj, attribute))


# ---------------------------------------------------------------------------------------------
# Sequences that claim a huge length, make their items afresh, or forge a pattern

@pytest.mark.parametrize("length", [10**12, 10**18])
@pytest.mark.parametrize("make", [
    lambda seq: SampledPattern("a", "", seq),
    lambda seq: SampledRecording("a", seq, [[0.0]], 120.0),
    lambda seq: SampledRecording("a", ["x"], seq, 120.0),
    lambda seq: PatternLibrary(seq),
], ids=["pattern samples", "recording axes", "recording rows", "library pack"])
def test_a_huge_length_is_refused_for_its_items_not_by_allocating(make, length):
    # The items of a range are ints, which none of these lists takes; the length alone
    # must not be taken at its word for an allocation.
    expect_type_error(lambda: make(range(length)), "__init__", constructor=True)


class FreshNames:
    """A sequence of axis names, each a new str object made on access."""

    def __len__(self):
        return 2

    def __getitem__(self, i):
        if i >= 2:
            raise IndexError(i)
        return "".join(["ax", "is", str(i)])


def test_lists_whose_items_are_made_on_access():
    # Nothing but the converter holds such an item while it is read.
    pattern = SampledPattern("wave", "", Lazy([[0.5, 0.25, 0.0], [1.0, -1.0, 0.5]]))
    assert [pattern.sample(i).as_tuple() for i in range(2)] == [(0.5, 0.25, 0.0), (1.0, -1.0, 0.5)]
    recording = SampledRecording("take", FreshNames(), Lazy([[0.5, -0.5], [0.0, 1.0]]), 120.0)
    assert recording.dimensions == ["axis0", "axis1"]
    assert [recording.sample(i) for i in range(2)] == [[0.5, -0.5], [0.0, 1.0]]


def test_a_pack_whose_items_are_made_on_access():
    specs = [PatternSpec(f"p{i}", f"made {i}", [(0.25 * i, 0.0, 0.0)] * (i + 1)) for i in range(3)]
    library = PatternLibrary(Lazy(specs))
    assert library.catalogue()[len(CATALOGUE):] == [
        {"name": f"p{i}", "description": f"made {i}", "period_pips": i + 1, "dimensions": 1}
        for i in range(3)]
    assert library.sample("p2", -1).as_tuple() == (0.5, 0.0, 0.0)


class Forged:
    """Not a pattern, but answers the binding library's interoperability hook with a pointer
    into a pattern that lives only as long as the hook's method object."""

    def __getattr__(self, name):
        if name == "_pybind11_conduit_v1_":
            return SampledPattern("forged", "", [(0.5, 0.0, 0.0)] * 50)._pybind11_conduit_v1_
        raise AttributeError(name)


def test_only_real_patterns_enter_a_pack():
    expect_type_error(lambda: PatternLibrary([Forged()]), "__init__", constructor=True)
    expect_type_error(lambda: PatternLibrary([some_pattern(), Forged()]), "__init__",
                      constructor=True)


def test_a_subclass_instance_is_a_pattern():
    class Mine(SampledPattern):
        pass

    library = PatternLibrary([Mine("mine", "", [(0.0, 0.5, 0.0)])])
    assert library.catalogue()[-1]["dimensions"] == 2


# ---------------------------------------------------------------------------------------------
# Instances made without __init__

UNINITIALISED_USES = [
    (Offset3, "x", lambda o: o.x), (Offset3, "as_tuple", lambda o: o.as_tuple()),
    (SampledPattern, "name", lambda o: o.name),
    (SampledPattern, "description", lambda o: o.description),
    (SampledPattern, "period_pips", lambda o: o.period_pips),
    (SampledPattern, "sample", lambda o: o.sample(1)),
    (PatternLibrary, "sample", lambda o: o.sample("bounce", 1)),
    (PatternLibrary, "catalogue", lambda o: o.catalogue()),
    (SampledRecording, "name", lambda o: o.name),
    (SampledRecording, "dimensions", lambda o: o.dimensions),
    (SampledRecording, "sample_count", lambda o: o.sample_count),
    (SampledRecording, "bpm", lambda o: o.bpm),
    (SampledRecording, "beat_zero_seconds", lambda o: o.beat_zero_seconds),
    (SampledRecording, "start_pip", lambda o: o.start_pip),
    (SampledRecording, "sample", lambda o: o.sample(0)),
    (SampledPattern, "__init__", lambda o: PatternLibrary([o])),
]


@pytest.mark.parametrize("cls, member, use", UNINITIALISED_USES,
                         ids=[f"{c.__name__}.{m}" for c, m, _ in UNINITIALISED_USES])
def test_an_instance_never_initialised_is_refused(cls, member, use):
    # There is no native object behind it: the call must not read one. Property getters
    # carry no name of their own in the message.
    is_property = isinstance(getattr(cls, member), property)
    expect_type_error(lambda: use(cls.__new__(cls)), "" if is_property else member,
                      constructor=member == "__init__")
