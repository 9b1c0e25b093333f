"""SampledPattern: validation in order with exact messages, dimensions, floor-modulo sampling
and the argument kinds of its binding."""

import decimal
import math
import struct

import pytest
from hypothesis import given
from hypothesis import strategies as st

import kinetrope
from kinetrope import PatternLibrary, SampledPattern
from number_kinds import IndexOnly

INT_MIN, INT_MAX = -2**31, 2**31 - 1
BAD_NAME = "Invalid pattern name"
BAD_COUNT = "A pattern requires 1..65535 samples (one per pip)"
BAD_VALUE = "Pattern samples must be finite and within [-1, 1]"
BAD_DESCRIPTION = "Pattern description must be valid UTF-8"
ABOVE_ONE = math.nextafter(1.0, 2.0)
BELOW_MINUS_ONE = math.nextafter(-1.0, -2.0)

ZERO = (0.0, 0.0, 0.0)


def bits(values):
    return tuple(struct.pack("<d", v) for v in values)


def dimensions_of(pattern):
    """The dimension count is only visible through a library's catalogue."""
    return PatternLibrary([pattern]).catalogue()[-1]["dimensions"]


@pytest.mark.parametrize("name", ["a", "a_1", "z9_", "a" * 128, "abcdefghijklmnopqrstuvwxyz_0123456789"])
def test_identifier_names_are_accepted(name):
    assert SampledPattern(name, "", [ZERO]).name == name


@pytest.mark.parametrize("name", [
    "", "a" * 129, "1a", "_a", "Ab", "aB", "a-b", "a b", " a", "a\n", "caf\u00e9", "\u00e9",
    b"a\x80", b"ab\xff", "a\x00b",
])
def test_non_identifier_names_are_refused(name):
    with pytest.raises(ValueError) as err:
        SampledPattern(name, "", [ZERO])
    assert str(err.value) == BAD_NAME


@pytest.mark.parametrize("samples, message", [
    ([], BAD_NAME),                                  # name before count
    ([ZERO] * 65536, BAD_NAME),
    ([(2.0, 0.0, 0.0)], BAD_NAME),                   # name before values
])
def test_bad_name_is_reported_first(samples, message):
    with pytest.raises(ValueError) as err:
        SampledPattern("Bad", "", samples)
    assert str(err.value) == message


@pytest.mark.parametrize("count, ok", [(0, False), (1, True), (65535, True), (65536, False)])
def test_sample_count_limits(count, ok):
    samples = [(0.5, 0.0, 0.0)] * count
    if ok:
        assert SampledPattern("p", "", samples).period_pips == count
    else:
        with pytest.raises(ValueError) as err:
            SampledPattern("p", "", samples)
        assert str(err.value) == BAD_COUNT


def test_count_is_checked_before_any_value():
    with pytest.raises(ValueError) as err:
        SampledPattern("p", "", [(math.nan, 0.0, 0.0)] * 65536)
    assert str(err.value) == BAD_COUNT


@pytest.mark.parametrize("axis", [0, 1, 2])
@pytest.mark.parametrize("value", [ABOVE_ONE, BELOW_MINUS_ONE, math.nan, math.inf, -math.inf, 2.0])
def test_out_of_rule_values_are_refused_on_every_axis(axis, value):
    bad = [0.0, 0.0, 0.0]
    bad[axis] = value
    # The broken sample sits after good ones: every sample is looked at, not just the first.
    with pytest.raises(ValueError) as err:
        SampledPattern("p", "", [(1.0, -1.0, 0.5), ZERO, tuple(bad), ZERO])
    assert str(err.value) == BAD_VALUE


@pytest.mark.parametrize("value", [1.0, -1.0, 0.0, -0.0, 5e-324, 1, -1, True])
def test_values_at_and_within_the_bounds_are_kept_exactly(value):
    p = SampledPattern("p", "", [(value, value, value)])
    assert bits(p.sample(0).as_tuple()) == bits((float(value),) * 3)


@pytest.mark.parametrize("samples", [
    [(0.0, 0.0)],
    [(0.0, 0.0, 0.0, 0.0)],
    [ZERO, (0.0,)],
    [("a", 0.0, 0.0)],
    [None],
    [0.0],
    "abc",
])
def test_malformed_samples_fail_conversion(samples):
    with pytest.raises(TypeError):
        SampledPattern("p", "", samples)


def test_inner_sequences_of_any_kind_are_converted():
    p = SampledPattern("p", "", [[0.25, 0, 0], (0.5, 0.0, 0.0), (1, 0, 0)])
    assert [p.sample(i).x for i in range(3)] == [0.25, 0.5, 1.0]


@pytest.mark.parametrize("samples, expected", [
    ([ZERO] * 4, 1),
    ([(1.0, 0.0, 0.0), (-1.0, 0.0, 0.0)], 1),           # x never raises the count
    ([(0.0, -0.0, -0.0)], 1),                           # negative zero counts as zero
    ([ZERO, (0.0, 0.1, 0.0), ZERO], 2),
    ([(0.0, 0.5, 0.0), (0.0, 0.0, -0.0)], 2),
    ([ZERO, ZERO, (0.0, 0.0, 1e-300)], 3),              # z alone, x and y zero throughout
    ([(0.0, 0.0, 0.5), (0.0, 0.5, 0.0)], 3),            # a later y does not lower it
    ([(0.0, 0.5, 0.0), (0.0, 0.0, 0.5)], 3),
])
def test_dimensions_follow_the_last_used_axis(samples, expected):
    assert dimensions_of(SampledPattern("p", "", samples)) == expected


PERIODIC = [(i / 8.0, -i / 8.0, (i % 3) / 4.0) for i in range(7)]


@pytest.mark.parametrize("pip, index", [
    (0, 0), (6, 6), (7, 0), (-1, 6), (-7, 0), (-8, 6),
    (INT_MAX, INT_MAX % 7), (INT_MIN, INT_MIN % 7), (INT_MAX - 7, INT_MAX % 7),
])
def test_sampling_wraps_by_floor_modulo(pip, index):
    p = SampledPattern("p", "", PERIODIC)
    assert p.sample(pip).as_tuple() == PERIODIC[index]


@given(st.lists(st.tuples(*[st.floats(-1.0, 1.0)] * 3), min_size=1, max_size=40),
       st.integers(INT_MIN, INT_MAX))
def test_sampling_matches_python_modulo(samples, pip):
    p = SampledPattern("p", "", samples)
    assert bits(p.sample(pip).as_tuple()) == bits(samples[pip % len(samples)])


@pytest.mark.parametrize("call, index", [
    (lambda p: p.sample(True), 1),
    (lambda p: p.sample(pip_count=3), 3),
    (lambda p: p.sample(IndexOnly(3)), 3),
])
def test_integer_pips_are_accepted(call, index):
    p = SampledPattern("p", "", PERIODIC)
    assert call(p).as_tuple() == PERIODIC[index]


@pytest.mark.parametrize("call", [
    lambda p: p.sample(1.5),
    lambda p: p.sample(pip_count=1.0),
    lambda p: p.sample(decimal.Decimal("5.9")),
    lambda p: p.sample("1"),
    lambda p: p.sample(2**31),
    lambda p: p.sample(INT_MIN - 1),
    lambda p: p.sample(pip=1),
    lambda p: p.sample(),
])
def test_non_integer_pips_are_refused(call):
    with pytest.raises(TypeError):
        call(SampledPattern("p", "", PERIODIC))


def test_module_sample_converts_what_the_method_refuses():
    # The module function takes a convertible pip; the method does not.
    assert kinetrope.sample("bounce", decimal.Decimal("5.9")).as_tuple() == kinetrope.bounce(5).as_tuple()


@pytest.mark.parametrize("description", ["", "Two-beat wobble", "caf\u00e9 \u2014 \U0001f600", "a\x00b"])
def test_properties_return_what_was_given(description):
    p = SampledPattern(name="my_wave", description=description, samples=PERIODIC)
    assert (p.name, p.description, p.period_pips) == ("my_wave", description, 7)
    assert type(p.period_pips) is int


@pytest.mark.parametrize("description", [
    b"caf\xc3\xa9", b"\xe2\x80\x94", b"\xed\x9f\xbf", b"\xee\x80\x80",     # U+D7FF, U+E000
    b"\xf0\x90\x80\x80", b"\xf4\x8f\xbf\xbf",                              # U+10000, U+10FFFF
    b"\xff", b"\x80", b"a\xc3", b"\xe2\x28\xa1", bytearray(b"ok\xfe"),      # stray, cut short
    b"\xc0\xaf", b"\xc1\xbf", b"\xe0\x9f\xbf", b"\xf0\x8f\xbf\xbf",          # overlong
    b"\xed\xa0\x80", b"\xed\xbf\xbf", b"\xf4\x90\x80\x80", b"\xf5\x80\x80\x80",  # surrogate, too high
])
def test_a_description_is_taken_exactly_when_it_is_utf8(description):
    # A pattern whose description Python cannot decode could never be listed: it is refused.
    try:
        text = bytes(description).decode("utf-8")
    except UnicodeDecodeError:
        with pytest.raises(ValueError) as err:
            SampledPattern("p", description, [ZERO])
        assert str(err.value) == BAD_DESCRIPTION
    else:
        p = SampledPattern("p", description, [ZERO])
        assert p.description == text
        assert PatternLibrary([p]).catalogue()[-1]["description"] == text


@pytest.mark.parametrize("name, samples, message", [
    ("Bad", [ZERO], BAD_NAME),                       # name before description
    ("p", [], BAD_DESCRIPTION),                      # description before count
    ("p", [(2.0, 0.0, 0.0)], BAD_DESCRIPTION),       # description before values
])
def test_a_bad_description_is_reported_in_its_place(name, samples, message):
    with pytest.raises(ValueError) as err:
        SampledPattern(name, b"\xff", samples)
    assert str(err.value) == message


@pytest.mark.parametrize("attribute", ["name", "description", "period_pips", "samples", "dimensions"])
def test_instances_are_read_only(attribute):
    p = SampledPattern("p", "", [ZERO])
    with pytest.raises(AttributeError):
        setattr(p, attribute, 1)


def test_each_sample_is_a_new_object():
    p = SampledPattern("p", "", [ZERO])
    assert p.sample(0) is not p.sample(0)
