"""SampledRecording: construction checks, their order, properties and the sampling window."""

import decimal
import math
import sys

import numpy as np
import pytest

from kinetrope import SampledRecording
from number_kinds import FloatOnly, IndexOnly

INT_MIN = -(2**31)
INT_MAX = 2**31 - 1
CAP = 2**23

INVALID_ID = "Invalid identifier"
TEMPO = "A finite positive BPM and beat origin are required"
SIZE = "Empty recording or recording resource limit exceeded"
DUPLICATE = "Duplicate axis"
RAGGED = "Ragged recording"
INVALID_SAMPLE = "Invalid sample"
OUTSIDE = "Pip outside non-looping recording"

ABOVE_ONE = math.nextafter(1.0, 2.0)

ROWS = [[0.1, -0.2, 0.3], [1.0, -1.0, 0.0], [-0.0, 0.5, -0.5]]


def make(name="take", dimensions=("x", "y", "z"), samples=ROWS, bpm=120.0, **kw):
    return SampledRecording(name, list(dimensions), samples, bpm, **kw)


def refused(message, **kw):
    with pytest.raises(ValueError) as info:
        make(**kw)
    assert str(info.value) == message


# Properties and defaults


def test_properties_read_back_unchanged():
    r = SampledRecording(
        name="take_2",
        dimensions=["lift", "pan"],
        samples=[[0.25, -0.75], [1.0, -1.0]],
        bpm=97.5,
        beat_zero_seconds=-5.0,
        start_pip=-40,
    )
    assert r.name == "take_2"
    assert r.dimensions == ["lift", "pan"]
    assert (r.sample_count, r.bpm, r.beat_zero_seconds, r.start_pip) == (2, 97.5, -5.0, -40)
    assert type(r.sample_count) is int and type(r.start_pip) is int
    assert type(r.bpm) is float and type(r.beat_zero_seconds) is float


def test_defaults():
    r = SampledRecording("take", ["x"], [[0.5]], 60)
    assert r.beat_zero_seconds == 0.0 and type(r.beat_zero_seconds) is float
    assert r.start_pip == 0 and type(r.start_pip) is int
    assert r.bpm == 60.0 and type(r.bpm) is float


def test_dimensions_is_a_new_list_each_time():
    r = make()
    first = r.dimensions
    first.append("w")
    first[0] = "q"
    assert r.dimensions == ["x", "y", "z"]
    assert r.dimensions is not r.dimensions


@pytest.mark.parametrize(
    "attribute", ["name", "dimensions", "sample_count", "bpm", "beat_zero_seconds", "start_pip"]
)
def test_properties_are_read_only(attribute):
    r = make()
    with pytest.raises(AttributeError):
        setattr(r, attribute, getattr(r, attribute))
    with pytest.raises(AttributeError):
        r.extra = 1


def test_members_registered_in_order_without_docstrings():
    order = [
        "__init__", "name", "dimensions", "sample_count", "bpm", "beat_zero_seconds",
        "start_pip", "sample",
    ]
    present = [n for n in vars(SampledRecording) if n in order]
    assert present == order
    for method in ("__init__", "sample"):
        doc = getattr(SampledRecording, method).__doc__.strip()
        assert doc.startswith(f"{method}(") and "\n" not in doc


@pytest.mark.parametrize(
    "start, expected",
    [(5, 5), (True, 1), (decimal.Decimal("5.9"), 5), (decimal.Decimal("-5.9"), -5)],
)
def test_start_pip_is_a_convertible_integer(start, expected):
    assert make(start_pip=start).start_pip == expected


def test_start_pip_accepts_index_objects():
    assert make(start_pip=IndexOnly(7)).start_pip == 7


@pytest.mark.parametrize("start", [3.0, "3", None, 2**31, INT_MIN - 1])
def test_start_pip_refused_by_conversion(start):
    with pytest.raises(TypeError):
        make(start_pip=start)


def test_name_as_bytes():
    assert make(name=b"take").name == "take"


# The sampling window


@pytest.mark.parametrize("start", [0, -10, 1000, INT_MIN, INT_MAX - len(ROWS)])
def test_window_edges(start):
    r = make(start_pip=start)
    assert r.sample(start) == ROWS[0]
    assert r.sample(start + 1) == ROWS[1]
    assert r.sample(start + len(ROWS) - 1) == ROWS[-1]
    outside = [start + len(ROWS), INT_MAX]
    if start > INT_MIN:
        outside += [start - 1, INT_MIN]
    for pip in outside:
        with pytest.raises(IndexError) as info:
            r.sample(pip)
        assert str(info.value) == OUTSIDE


def test_negative_start_pip_window():
    rows = [[i / 20] for i in range(20)]
    r = make(dimensions=["x"], samples=rows, start_pip=-10)
    assert [r.sample(p) for p in range(-10, 10)] == rows
    with pytest.raises(IndexError, match=OUTSIDE):
        r.sample(10)
    with pytest.raises(IndexError, match=OUTSIDE):
        r.sample(-11)


def test_sample_returns_a_fresh_copy_in_axis_order():
    r = make()
    got = r.sample(0)
    assert type(got) is list and all(type(v) is float for v in got)
    got[0] = 9.0
    got.append(1.0)
    assert r.sample(0) == ROWS[0]
    assert r.sample(0) is not r.sample(0)


def test_negative_zero_is_kept():
    got = make().sample(2)[0]
    assert got == 0.0 and math.copysign(1.0, got) == -1.0


@pytest.mark.parametrize("pip", [3.0, "1", None, decimal.Decimal(1), 2**31, INT_MIN - 1])
def test_sample_pip_is_strict(pip):
    with pytest.raises(TypeError):
        make().sample(pip)


def test_sample_pip_accepts_int_like():
    r = make(start_pip=0)
    assert r.sample(True) == ROWS[1]
    assert r.sample(pip=2) == ROWS[2]
    assert make(start_pip=7).sample(IndexOnly(7)) == ROWS[0]


# Size limits at their exact edges


@pytest.mark.parametrize(
    "axes, rows, accepted",
    [(1, CAP, True), (1, CAP + 1, False), (3, CAP // 3, True), (3, CAP // 3 + 1, False)],
)
def test_value_limit(axes, rows, accepted):
    assert CAP // 3 == 2_796_202
    dims = ["x", "y", "z"][:axes]
    row = [0.25, -0.5, 1.0][:axes]
    samples = [row] * (rows - 1) + [[-1.0] * axes]
    if accepted:
        r = make(dimensions=dims, samples=samples)
        assert r.sample_count == rows
        assert r.sample(0) == row
        assert r.sample(rows - 1) == [-1.0] * axes
        with pytest.raises(IndexError):
            r.sample(rows)
    else:
        refused(SIZE, dimensions=dims, samples=samples)


@pytest.mark.parametrize("n", [1, 3, 1000])
def test_start_pip_limit(n):
    rows = [[0.5]] * n
    r = make(dimensions=["x"], samples=rows, start_pip=INT_MAX - n)
    assert r.sample(INT_MAX - 1) == [0.5]
    refused(SIZE, dimensions=["x"], samples=rows, start_pip=INT_MAX - n + 1)
    refused(SIZE, dimensions=["x"], samples=rows, start_pip=INT_MAX)


@pytest.mark.parametrize(
    "dims, rows",
    [([], [[0.5]]), ([], []), (["x"], []), (["x", "y"], ()), ([], [[]])],
)
def test_empty_recordings_refused(dims, rows):
    refused(SIZE, dimensions=dims, samples=rows)


# Identifiers


BAD_IDENTIFIERS = ["", "a" * 129, "A", "take_A", "_a", "1a", "a-b", "a b", "caf\u00e9", b"\xff"]
GOOD_IDENTIFIERS = ["a", "a1_", "a" * 128, "z9"]


@pytest.mark.parametrize("name", BAD_IDENTIFIERS)
def test_invalid_names(name):
    refused(INVALID_ID, name=name)
    refused(INVALID_ID, dimensions=["x", name, "z"])


@pytest.mark.parametrize("name", GOOD_IDENTIFIERS)
def test_valid_names(name):
    assert make(name=name).name == name
    assert make(dimensions=["x", name, "zz"]).dimensions == ["x", name, "zz"]


# Duplicate axes


@pytest.mark.parametrize(
    "dims, message",
    [
        (["x", "x", "Y"], DUPLICATE),
        (["x", "Y", "x"], INVALID_ID),
        (["x", "y", "x"], DUPLICATE),
        (["ab", "a", "ab"], DUPLICATE),
        (["x", "y", "z", "y"], DUPLICATE),
    ],
)
def test_duplicate_axes(dims, message):
    refused(message, dimensions=dims, samples=[[0.0] * len(dims)])


def test_axes_that_differ_only_in_length_are_distinct():
    assert make(dimensions=["a", "aa", "a_"], samples=[[0.0] * 3]).dimensions == ["a", "aa", "a_"]


# Ragged rows


@pytest.mark.parametrize(
    "rows",
    [
        [[0.1, 0.2]],
        [[0.1, 0.2, 0.3, 0.4]],
        [[]],
        [[0.1, 0.2, 0.3], [0.1, 0.2]],
        [[0.1, 0.2, 0.3]] * 50 + [[0.0] * 4],
        [[0.1, 0.2, 0.3], []],
    ],
)
def test_ragged_rows(rows):
    refused(RAGGED, samples=rows)


def test_rows_of_one_length_that_is_not_the_axis_count():
    refused(RAGGED, dimensions=["x", "y"], samples=[[0.0, 0.0, 0.0]] * 10)


# Invalid values


@pytest.mark.parametrize(
    "bad", [ABOVE_ONE, -ABOVE_ONE, 2.0, math.nan, -math.nan, math.inf, -math.inf, 1e308]
)
@pytest.mark.parametrize("row, axis", [(0, 0), (1, 2), (2, 1)])
def test_invalid_samples(bad, row, axis):
    rows = [list(r) for r in ROWS]
    rows[row][axis] = bad
    refused(INVALID_SAMPLE, samples=rows)


@pytest.mark.parametrize("good", [1.0, -1.0, 0.0, -0.0, 5e-324, -5e-324, 1, -1, 0, True])
def test_edge_samples_kept(good):
    r = make(dimensions=["x"], samples=[[good]])
    got = r.sample(0)[0]
    assert type(got) is float
    assert got == float(good) and math.copysign(1.0, got) == math.copysign(1.0, float(good))


# Tempo and origin


@pytest.mark.parametrize("bpm", [0.0, -0.0, -1.0, -1e-300, math.nan, math.inf, -math.inf, 1e-308])
def test_invalid_bpm(bpm):
    refused(TEMPO, bpm=bpm)


@pytest.mark.parametrize("bpm", [1e-300, 3.3e-307, 3.34e-307, 3.35e-307, 3.4e-307, 5e-324])
def test_tiny_bpm_refused_exactly_when_beat_length_overflows(bpm):
    if math.isfinite(60.0 / bpm):
        assert make(bpm=bpm).bpm == bpm
    else:
        refused(TEMPO, bpm=bpm)


@pytest.mark.parametrize("bpm", [sys.float_info.max, 1e-306, 0.5, 300])
def test_extreme_valid_bpm(bpm):
    assert make(bpm=bpm).bpm == bpm


@pytest.mark.parametrize("origin", [math.nan, math.inf, -math.inf])
def test_invalid_origin(origin):
    refused(TEMPO, beat_zero_seconds=origin)


@pytest.mark.parametrize("origin", [-5.0, 0.0, -0.0, 1e308, -1e308, 1e-308])
def test_valid_origin(origin):
    got = make(beat_zero_seconds=origin).beat_zero_seconds
    assert got == origin and math.copysign(1.0, got) == math.copysign(1.0, origin)


# Order of checks when faults coincide


@pytest.mark.parametrize(
    "kw, message",
    [
        (dict(name="Take", bpm=0.0), INVALID_ID),
        (dict(name="", dimensions=[], samples=[]), INVALID_ID),
        (dict(bpm=0.0, samples=[]), TEMPO),
        (dict(beat_zero_seconds=math.nan, dimensions=[]), TEMPO),
        (dict(bpm=math.inf, dimensions=["x", "x"], samples=[[2.0]]), TEMPO),
        (dict(samples=[], dimensions=["X"]), SIZE),
        (dict(dimensions=["x", "x"], samples=[[0.0, 0.0]], start_pip=INT_MAX), SIZE),
        (dict(dimensions=["x", "x"], samples=[[0.0]]), DUPLICATE),
        (dict(dimensions=["x", "Y"], samples=[[2.0]]), INVALID_ID),
        (dict(samples=[[2.0, 0.0, 0.0], [0.0]]), INVALID_SAMPLE),
        (dict(samples=[[0.0], [2.0, 0.0, 0.0]]), RAGGED),
        (dict(samples=[[0.0, 0.0, 0.0], [0.0, math.nan, 0.0], [0.0], [0.0] * 3]), INVALID_SAMPLE),
        (dict(samples=[[0.0, 0.0, 0.0], [0.0, 0.0, 0.0, 2.0], [math.nan] * 3]), RAGGED),
    ],
)
def test_first_fault_wins(kw, message):
    refused(message, **kw)


def test_size_limit_before_any_value_or_length():
    refused(SIZE, dimensions=["x"], samples=[[math.nan]] * (CAP + 1))
    refused(SIZE, dimensions=["x"], samples=[[0.0]] * CAP + [[0.0, 0.0]])


def test_conversion_failure_comes_before_every_check():
    with pytest.raises(TypeError):
        SampledRecording("Bad", ["x"], [[0.0]] * 100 + [["0.5"]], 0.0)
    with pytest.raises(TypeError):
        SampledRecording("take", [], [[0.0]] * CAP + [[None]], 120.0)
    # Past the limit reading stops: what follows cannot change the answer.
    with pytest.raises(ValueError, match="resource limit"):
        SampledRecording("take", ["x"], [[0.0]] * (CAP + 1) + [[None]], 120.0)


# Row conversion


def rows_generator():
    yield (0.5,)
    yield iter_row()


def iter_row():
    return (v for v in [-0.5])


@pytest.mark.parametrize(
    "samples, expected",
    [
        (((0.5,), (-0.5,)), [[0.5], [-0.5]]),
        ((row for row in [[0.5], [-0.5]]), [[0.5], [-0.5]]),
        (rows_generator(), [[0.5], [-0.5]]),
        (np.array([[0.5], [-0.5]]), [[0.5], [-0.5]]),
        ([np.float32(0.5), np.float64(-0.5)], None),
        ([[FloatOnly(0.75)], [IndexOnly(1)]], [[0.75], [1.0]]),
        ([{0.5}, [decimal.Decimal("-0.5")]], [[0.5], [-0.5]]),
        ([[1], [False]], [[1.0], [0.0]]),
    ],
)
def test_rows_accepted_as_the_binding_converts_them(samples, expected):
    if expected is None:
        with pytest.raises(TypeError):
            SampledRecording("take", ["x"], samples, 120.0)
        return
    r = SampledRecording("take", ["x"], samples, 120.0)
    assert [r.sample(p) for p in range(r.sample_count)] == expected


@pytest.mark.parametrize(
    "samples",
    [None, "ab", b"ab", 0.5, [0.5], ["ab"], [b"\x00"], [[None]], [[0.5, "0.5"]], [{"a": 0.5}],
     [[10**400]], [[0.5], 0.5]],
)
def test_rows_refused_by_conversion(samples):
    with pytest.raises(TypeError):
        SampledRecording("take", ["x"], samples, 120.0)


def test_rows_shrinking_while_read_are_read_as_the_list_then_is():
    rows = [[0.0], [0.5], [0.25]]

    class Shrinker:
        def __float__(self):
            del rows[1:]
            return 0.125

    rows[0] = [Shrinker()]
    r = SampledRecording("take", ["x"], rows, 120.0)
    assert r.sample_count == 1 and r.sample(0) == [0.125]


def test_oversized_rows_that_shrink_while_read_are_read_as_the_list_then_is():
    rows = [[0.0]] * CAP + [[0.0]]

    class Shrinker:
        def __float__(self):
            del rows[1:]
            return 0.125

    rows[0] = [Shrinker()]
    r = SampledRecording("take", ["x"], rows, 120.0)
    assert r.sample_count == 1 and r.sample(0) == [0.125]
