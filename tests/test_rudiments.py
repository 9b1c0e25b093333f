"""The fifteen rudiments: worked values to the last bit, periodicity, and agreement
with a plain evaluation of each formula written here independently."""

import math
import struct

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import kinetrope
from catalogue_records import RUDIMENTS

PERIODS = {name: period for name, _, period, _ in RUDIMENTS}

INT_MIN, INT_MAX = -2**31, 2**31 - 1


def bits(values):
    """Compare doubles by their bit patterns, so -0.0 and 0.0 differ."""
    return tuple(struct.pack("<d", v) for v in values)


WORKED = [
    ("bounce", 0, (-1.0, 0.0, 0.0)), ("bounce", 16, (0.0, 0.0, 0.0)),
    ("bounce", 32, (1.0, 0.0, 0.0)), ("bounce", 100, (0.75, 0.0, 0.0)),
    ("bounce", 2147483647, (-0.9375, 0.0, 0.0)), ("bounce", -2147483648, (-1.0, 0.0, 0.0)),
    ("sway", 16, (0.7071067811865475, 0.0, 0.0)), ("sway", 32, (1.0, 0.0, 0.0)),
    ("sway", 64, (1.2246467991473532e-16, 0.0, 0.0)), ("sway", -32, (-1.0, 0.0, 0.0)),
    ("sway", 2147483647, (-0.04906767432741809, 0.0, 0.0)),
    ("circle", 0, (6.123233995736766e-17, -1.0, 0.0)),
    ("circle", 8, (0.7071067811865476, -0.7071067811865475, 0.0)),
    ("circle", 16, (1.0, 0.0, 0.0)), ("circle", 48, (-1.0, 1.2246467991473532e-16, 0.0)),
    ("figure_eight", 16, (0.7071067811865475, 1.0, 0.0)),
    ("figure_eight", 32, (1.0, 1.2246467991473532e-16, 0.0)),
    ("figure_eight", 96, (-1.0, 3.6739403974420594e-16, 0.0)),
    ("step_touch", 0, (-1.0, -0.0, 0.0)), ("step_touch", 16, (-0.5, -0.35, 0.0)),
    ("step_touch", 31, (-0.00286865234375, -0.034305999115346285, 0.0)),
    ("step_touch", 32, (0.0, -0.0, 0.0)), ("step_touch", 48, (0.5, -0.35, 0.0)),
    ("step_touch", -16, (-0.5, -0.35, 0.0)),
    ("box_step", 0, (-1.0, -1.0, 0.0)), ("box_step", 16, (-0.6875, -1.0, 0.0)),
    ("box_step", 96, (1.0, 0.0, 0.0)), ("box_step", 160, (0.0, 1.0, 0.0)),
    ("box_step", 255, (-1.0, -0.9985504150390625, 0.0)),
    ("helix", 0, (1.0, 0.0, 0.0)), ("helix", 32, (6.123233995736766e-17, 1.0, 0.7071067811865475)),
    ("helix", 64, (-1.0, 1.2246467991473532e-16, 1.0)),
    ("helix", 192, (-1.0, 3.6739403974420594e-16, -1.0)),
    ("ombrel_background", 0, (0.0, 0.0, 0.0)),
    ("ombrel_background", 23, (0.14285714285714285, -0.1, 0.0)),
    ("ombrel_background", 50, (0.35597650636286005, -0.3987753316810031, 0.0)),
    ("ombrel_background", 87, (-0.21428571428571425, 0.20000000000000007, 0.0)),
    ("ombrel_background", 100, (-1.0, 0.8999999999999999, 0.0)),
    ("ombrel_background", 128, (-0.2763080540858318, 0.4056927297668038, 0.0)),
    ("ombrel_background", 255, (-0.0036088172182846823, -0.005052344105598516, 0.0)),
    ("ombrel_background", 256, (0.0, 0.0, 0.0)),
    ("single_stroke_roll", 0, (0.0, 0.0, 0.0)),
    ("single_stroke_roll", 2, (0.4599999999999999, -0.33119999999999994, 0.0)),
    ("single_stroke_roll", 4, (0.92, -0.6624, 0.0)),
    ("single_stroke_roll", 12, (-0.92, -0.6624, 0.0)),
    ("single_stroke_roll", 63, (-0.13473088065418823, -0.09700623407101552, 0.0)),
    ("single_stroke_roll", -4, (-0.92, -0.6624, 0.0)),
    ("double_stroke_roll", 4, (0.88, -0.6335999999999999, 0.0)),
    ("double_stroke_roll", 12, (0.72, -0.5184, 0.0)),
    ("double_stroke_roll", 20, (-0.88, -0.6335999999999999, 0.0)),
    ("double_stroke_roll", 28, (-0.72, -0.5184, 0.0)),
    ("multiple_bounce_roll", 3, (0.92, -0.6624, 0.0)),
    ("multiple_bounce_roll", 9, (0.68, -0.48960000000000004, 0.0)),
    ("multiple_bounce_roll", 15, (0.48, -0.34559999999999996, 0.0)),
    ("multiple_bounce_roll", 21, (0.32, -0.2304, 0.0)),
    ("multiple_bounce_roll", 27, (0.0, 0.0, 0.0)),
    ("multiple_bounce_roll", 35, (-0.92, -0.6624, 0.0)),
    ("single_paradiddle", 4, (1.0, -0.72, 0.0)), ("single_paradiddle", 12, (-0.72, -0.5184, 0.0)),
    ("single_paradiddle", 36, (-1.0, -0.72, 0.0)), ("single_paradiddle", 100, (-1.0, -0.72, 0.0)),
    ("flam", 3, (-0.2225328890437411, -0.1602236801114936, 0.0)),
    ("flam", 5, (-0.34, -0.24480000000000002, 0.0)),
    ("flam", 8, (0.23239846876339948, -0.3364795372866606, 0.0)),
    ("flam", 12, (0.9, -0.648, 0.0)), ("flam", 19, (0.0, 0.0, 0.0)), ("flam", 44, (-0.9, -0.648, 0.0)),
    ("drag", 3, (-0.2389949493661167, -0.17207636354360403, 0.0)),
    ("drag", 8, (-0.2731370849898476, -0.19665870119269027, 0.0)),
    ("drag", 12, (0.11880157217200484, -0.15301972957846297, 0.0)),
    ("drag", 17, (0.88, -0.6335999999999999, 0.0)), ("drag", 49, (-0.88, -0.6335999999999999, 0.0)),
    ("five_stroke_roll", 4, (0.6982893434829269, -0.5027683273077074, 0.0)),
    ("five_stroke_roll", 36, (0.0, 0.0, 0.0)), ("five_stroke_roll", 43, (1.0, -0.72, 0.0)),
    ("five_stroke_roll", 107, (-1.0, -0.72, 0.0)), ("five_stroke_roll", -21, (-1.0, -0.72, 0.0)),
]


@pytest.mark.parametrize("name, pip, expected", WORKED)
def test_worked_values_to_the_last_bit(name, pip, expected):
    assert bits(getattr(kinetrope, name)(pip).as_tuple()) == bits(expected)


@pytest.mark.parametrize("name, period", PERIODS.items())
def test_periodic_at_the_edges_of_the_pip_range(name, period):
    fn = getattr(kinetrope, name)
    at = lambda p: bits(fn(p).as_tuple())  # noqa: E731
    assert at(-1) == at(period - 1)
    assert at(period) == at(0) == at(-period) == at(INT_MIN)
    assert at(INT_MAX) == at(period - 1) == at(INT_MAX - period)
    assert at(12345) == at(12345 + period)


# ---- independent evaluation of each formula -------------------------------------------

def smoothstep(t):
    return (3.0 - (t + t)) * (t * t)


def ref_bounce(c):
    return (1.0 - abs(c * 0.015625 - 0.5) * 4.0, 0.0, 0.0)


def ref_sway(c):
    return (math.sin((c * 0.0078125) * 6.283185307179586), 0.0, 0.0)


def ref_circle(c):
    a = (c * 0.015625) * 6.283185307179586 - 1.5707963267948966
    return (math.cos(a), math.sin(a), 0.0)


def ref_figure_eight(c):
    a = (c * 0.0078125) * 6.283185307179586
    return (math.sin(a), math.sin(a + a), 0.0)


def ref_step_touch(c):
    frm, to = [(-1.0, 0.0), (0.0, 1.0), (1.0, 0.0), (0.0, -1.0)][c // 32]
    t = (c % 32) * 0.03125
    s = smoothstep(t)
    return (s * (to - frm) + frm, -(math.sin(t * 3.141592653589793) * 0.35), 0.0)


def ref_box_step(c):
    (fx, fy), (tx, ty) = [((-1.0, -1.0), (1.0, -1.0)), ((1.0, -1.0), (1.0, 1.0)),
                          ((1.0, 1.0), (-1.0, 1.0)), ((-1.0, 1.0), (-1.0, -1.0))][c // 64]
    s = smoothstep((c % 64) * 0.015625)
    return ((tx - fx) * s + fx, (ty - fy) * s + fy, 0.0)


def ref_helix(c):
    u = c * 0.00390625
    a = u * 12.566370614359172
    return (math.cos(a), math.sin(a), math.sin(u * 6.283185307179586))


KEYS = [(0, 0, 0), (23, 2, -1), (33, 13, -8), (49, 5, -4), (87, -3, 2), (100, -14, 9),
        (118, -5, 5), (154, 1, 0), (169, 12, 10), (187, 4, 5), (215, -2, -2), (228, -10, -9),
        (243, -3, -3), (256, 0, 0)]


def ref_ombrel_background(c):
    i = 0
    while i + 1 < len(KEYS) and c > KEYS[i + 1][0]:
        i += 1
    (pa, na, ma), (pb, nb, mb) = KEYS[i], KEYS[i + 1]
    xa, ya, xb, yb = na / 14.0, ma / 10.0, nb / 14.0, mb / 10.0
    s = smoothstep(float(c - pa) / float(pb - pa))
    return ((xb - xa) * s + xa, (yb - ya) * s + ya, 0.0)


STROKES = {
    "single_stroke_roll": (64, [(8 * i, 1 if i % 2 == 0 else -1, 0.92, 8) for i in range(8)]),
    "double_stroke_roll": (64, [(8 * i, [1, 1, -1, -1][i % 4], [0.88, 0.72][i % 2], 8)
                                for i in range(8)]),
    "multiple_bounce_roll": (64, [(o + 6 * i, h, a, 6) for o, h in ((0, 1), (32, -1))
                                  for i, a in enumerate((0.92, 0.68, 0.48, 0.32))]),
    "single_paradiddle": (128, [(8 * i, h, 1.0 if i % 4 == 0 else 0.72, 8)
                                for i, h in enumerate([1, -1, 1, 1, -1, 1, -1, -1] * 2)]),
    "flam": (64, [(0, -1, 0.34, 10), (5, 1, 0.9, 14), (32, 1, 0.34, 10), (37, -1, 0.9, 14)]),
    "drag": (64, [(0, -1, 0.28, 8), (5, -1, 0.32, 8), (10, 1, 0.88, 14),
                  (32, 1, 0.28, 8), (37, 1, 0.32, 8), (42, -1, 0.88, 14)]),
    "five_stroke_roll": (128, [(0, 1, 0.72, 9), (8, 1, 0.62, 9), (16, -1, 0.72, 9),
                               (24, -1, 0.62, 9), (36, 1, 1.0, 14), (64, -1, 0.72, 9),
                               (72, -1, 0.62, 9), (80, 1, 0.72, 9), (88, 1, 0.62, 9),
                               (100, -1, 1.0, 14)]),
}


def ref_strokes(name, c):
    period, strokes = STROKES[name]
    sx = sy = 0.0
    for onset, hand, amp, length in strokes:
        d = (c - onset) % period
        v = 0.0
        if d < length:
            e = math.sin((d / length) * 3.141592653589793)
            v = (e * amp) * e
        sx = sx + float(hand) * v
        sy = sy - v * 0.72
    return (min(1.0, max(-1.0, sx)), min(1.0, max(-1.0, sy)), 0.0)


def reference(name, pip):
    c = pip % PERIODS[name]  # Python's % is the floor modulo
    if name in STROKES:
        return ref_strokes(name, c)
    return globals()[f"ref_{name}"](c)


@pytest.mark.parametrize("name", PERIODS)
def test_every_phase_matches_the_formula(name):
    fn = getattr(kinetrope, name)
    for c in range(PERIODS[name]):
        assert bits(fn(c).as_tuple()) == bits(reference(name, c)), c


@settings(max_examples=300, deadline=None)
@given(name=st.sampled_from(sorted(PERIODS)), pip=st.integers(INT_MIN, INT_MAX))
def test_random_pips_match_the_formula(name, pip):
    assert bits(getattr(kinetrope, name)(pip).as_tuple()) == bits(reference(name, pip))


@pytest.mark.parametrize("name", PERIODS)
def test_values_stay_in_range_and_unwritten_axes_are_positive_zero(name):
    fn = getattr(kinetrope, name)
    values = [fn(c).as_tuple() for c in range(PERIODS[name])]
    assert all(-1.0 <= v <= 1.0 for t in values for v in t)
    assert all(bits([t[2]]) == bits([0.0]) for t in values if name != "helix")
    if name in ("bounce", "sway"):
        assert all(bits([t[1]]) == bits([0.0]) for t in values)


def test_drum_strokes_lift_and_rest():
    assert all(kinetrope.single_stroke_roll(p).as_tuple() == (0.0, 0.0, 0.0) for p in range(0, 64, 8))
    for name, gap in [("multiple_bounce_roll", range(24, 32)), ("flam", range(19, 32)),
                      ("drag", range(24, 32)), ("five_stroke_roll", range(50, 64))]:
        assert all(bits(getattr(kinetrope, name)(p).as_tuple()) == bits((0.0, 0.0, 0.0)) for p in gap)
    for name, (period, _) in STROKES.items():
        assert all(getattr(kinetrope, name)(p).y <= 0.0 for p in range(period))


def test_box_step_passes_corners_and_midpoints():
    expected = {0: (-1.0, -1.0), 64: (1.0, -1.0), 128: (1.0, 1.0), 192: (-1.0, 1.0),
                32: (0.0, -1.0), 96: (1.0, 0.0), 160: (0.0, 1.0), 224: (-1.0, 0.0)}
    for pip, xy in expected.items():
        assert kinetrope.box_step(pip).as_tuple()[:2] == xy
