"""Pulse-score families (euclid, meter, poly and the rudiment stickings): every pip against
an independent rendering of the score, periods and dimensions, and where the onsets fall."""

import math

import numpy as np
import pytest

from catalogue_data import block, entries, members_test
from catalogue_records import Members, group_sum

TOLERANCE = 1e-12


def render(period, pulses):
    """Raised-cosine pulses (onset, half-width, (ax, ay, az)) summed in order per pip,
    then rounded to twelve places."""
    rows = []
    for p in range(period):
        acc = [0.0, 0.0, 0.0]
        for onset, half, amp in pulses:
            d = (p - onset) % period
            if d > period / 2:
                d -= period
            if abs(d) < half:
                w = (1 + math.cos(math.pi * d / half)) / 2
                acc = [a + v * w for a, v in zip(acc, amp)]
        rows.append([float(f"{v:.12f}") + 0.0 for v in acc])
    return np.array(rows)


def nearest_pip(onset, period):
    return round(onset) % period


def local_extreme(lane, pip):
    """True when lane[pip] is a local maximum of |lane| (circular neighbours)."""
    m = np.abs(lane)
    return m[pip] >= m[pip - 1] and m[pip] >= m[(pip + 1) % len(lane)] and m[pip] > 0


# ---- euclid -----------------------------------------------------------------------

EUCLID = [(2, 5), (3, 7), (3, 10), (4, 9), (4, 11), (5, 9), (5, 11), (5, 13), (5, 14),
          (6, 13), (7, 12), (7, 15), (7, 17), (8, 19), (9, 20), (11, 24)]


def euclid_steps(k, n):
    return [-(-i * n // k) for i in range(k)]


def euclid_score(k, n):
    pulses = []
    for i, step in enumerate(euclid_steps(k, n)):
        amp = (0.75, -0.32, 0.0) if i == 0 else ((-1) ** i * 0.5625, -0.24, 0.0)
        pulses.append((32 * step, 24, amp))
    return pulses


def bjorklund(k, n):
    heads, tails = [[1]] * k, [[0]] * (n - k)
    while len(tails) > 1:
        m = min(len(heads), len(tails))
        heads, tails = ([heads[i] + tails[i] for i in range(m)],
                        heads[m:] if len(heads) > m else tails[m:])
    return sum(heads + tails, [])


def gaps(onsets, n):
    return [(onsets[(i + 1) % len(onsets)] - onsets[i]) % n for i in range(len(onsets))]


@pytest.mark.parametrize("k,n", EUCLID)
def test_euclid_every_pip(k, n):
    name = f"euclid_{k}_{n}"
    assert entries()[name]["period_pips"] == 32 * n
    assert entries()[name]["dimensions"] == 2
    np.testing.assert_allclose(block(name), render(32 * n, euclid_score(k, n)),
                               rtol=0, atol=TOLERANCE)
    assert np.max(np.abs(block(name))) == 0.75


@pytest.mark.parametrize("k,n", EUCLID)
def test_euclid_onsets_are_bjorklund_and_peak_on_the_grid(k, n):
    got = block(f"euclid_{k}_{n}")
    x = got[:, 0]
    grid = x[::32]
    onsets = [s for s in range(n) if grid[s] != 0.0]
    assert len(onsets) == k and onsets[0] == 0
    # The same necklace as Bjorklund's construction, up to rotation.
    pattern = bjorklund(k, n)
    reference = gaps([s for s in range(n) if pattern[s]], n)
    mine = gaps(onsets, n)
    assert any(mine == reference[r:] + reference[:r] for r in range(k))
    # The first onset is the accent; the others alternate sides and all peak on their step.
    assert grid[0] == 0.75 and got[0, 1] == -0.32
    for i, s in enumerate(onsets[1:], start=1):
        assert grid[s] == (-1) ** i * 0.5625
        assert got[32 * s, 1] == -0.24
    for s in onsets:
        assert local_extreme(x, 32 * s)


# ---- meter ------------------------------------------------------------------------

METER = [(2, 3), (3, 2), (3, 2, 2), (2, 3, 2), (3, 4), (4, 3), (2, 2, 2, 3), (2, 3, 2, 2),
         (3, 2, 3, 2), (3, 3, 2, 3), (2, 2, 3, 2, 3), (3, 3, 3, 2), (4, 3, 3), (3, 4, 4),
         (2, 3, 3, 2, 3), (3, 3, 3, 4)]


def group_starts(groups):
    return [sum(groups[:i]) for i in range(len(groups))]


def meter_score(groups):
    starts = group_starts(groups)
    pulses = [(32 * s, 19.2, ((-1) ** i * 0.72, -0.33, 0.0)) for i, s in enumerate(starts)]
    pulses += [(32 * e, 32 / 3, (0.0, -0.1134, 0.0504))
               for e in range(sum(groups)) if e not in starts]
    return pulses


def meter_name(groups):
    return "meter_" + "_".join(map(str, groups))


@pytest.mark.parametrize("groups", METER, ids=meter_name)
def test_meter_every_pip(groups):
    name, period = meter_name(groups), 32 * sum(groups)
    assert entries()[name]["period_pips"] == period
    assert entries()[name]["dimensions"] == 3
    np.testing.assert_allclose(block(name), render(period, meter_score(groups)),
                               rtol=0, atol=TOLERANCE)
    assert np.max(np.abs(block(name))) == 0.72


@pytest.mark.parametrize("groups", METER, ids=meter_name)
def test_meter_groups_lean_alternately_and_ticks_mark_the_rest(groups):
    got = block(meter_name(groups))
    starts = group_starts(groups)
    leaning = [e for e in range(sum(groups)) if got[32 * e, 0] != 0.0]
    assert leaning == starts
    for i, s in enumerate(starts):
        assert got[32 * s].tolist() == [(-1) ** i * 0.72, -0.33, 0.0]
        assert local_extreme(got[:, 0], 32 * s)
    for e in set(range(sum(groups))) - set(starts):
        assert got[32 * e].tolist() == [0.0, -0.1134, 0.0504]
    # Depth moves only on the ticks.
    assert np.count_nonzero(np.diff(np.sign(got[:, 2])) > 0) == sum(groups) - len(groups)


# ---- poly -------------------------------------------------------------------------

POLY = [(2, 5), (2, 7), (2, 9), (3, 5), (3, 7), (3, 8), (3, 10), (4, 5), (4, 7), (4, 9),
        (5, 6), (5, 7), (5, 8), (5, 9), (6, 7), (7, 8)]


def poly_score(a, b, P=512):
    def f(i):
        return 1.0 if i == 0 else 0.65
    left = [(P * i / a, 22.4, (-0.62 * f(i), -0.26 * f(i), 0.0)) for i in range(a)]
    right = [(P * j / b, 22.4, (0.62 * f(j), -0.26 * f(j), 0.22 * f(j))) for j in range(b)]
    return left + right


@pytest.mark.parametrize("a,b", POLY)
def test_poly_every_pip(a, b):
    name = f"poly_{a}_{b}"
    assert entries()[name]["period_pips"] == 512
    assert entries()[name]["dimensions"] == 3
    np.testing.assert_allclose(block(name), render(512, poly_score(a, b)),
                               rtol=0, atol=TOLERANCE)
    assert np.max(np.abs(block(name))) == 0.52
    assert block(name)[0].tolist() == [0.0, -0.52, 0.22]


@pytest.mark.parametrize("a,b", POLY)
def test_poly_lanes_count_their_onsets(a, b):
    got = block(f"poly_{a}_{b}")
    # Only the right lane moves in depth, in proportion to its x: that separates the lanes.
    right_x = got[:, 2] * (0.62 / 0.22)
    left_x = got[:, 0] - right_x
    for lane, count, sign in ((right_x, b, 1), (left_x, a, -1)):
        peaks = [p for p in range(512) if sign * lane[p] > 0.05 and local_extreme(lane, p)]
        assert peaks == sorted(nearest_pip(512 * i / count, 512) for i in range(count))
        # The first onset of each lane is the strong one.
        assert abs(lane[0]) > 1.4 * max(abs(lane[p]) for p in peaks[1:])


# ---- rudiment ---------------------------------------------------------------------

STICKINGS = {
    "rudiment_double_paradiddle": [0, 6],
    "rudiment_paradiddle_diddle": [0, 6],
    "rudiment_six_stroke": [0, 5, 6, 11],
}


def sticking_from_description(name):
    # "Visual sticking study RLRLRR LRLRLL; ..."
    words = entries()[name]["description"].split(";")[0].split()[-2:]
    return [1.0 if c == "R" else -1.0 for c in "".join(words)]


def stroke_score(hands, accents, P=256):
    pulses = []
    for j, hand in enumerate(hands):
        amp = (0.82 * hand, -0.42, 0.0)
        if j not in accents:
            amp = (0.6 * amp[0], 0.6 * amp[1], 0.0)
        pulses.append((P * j / 12, 28 / 3, amp))
    return pulses


@pytest.mark.parametrize("name", sorted(STICKINGS))
def test_rudiment_every_pip(name):
    hands = sticking_from_description(name)
    assert len(hands) == 12
    assert entries()[name]["period_pips"] == 256
    assert entries()[name]["dimensions"] == 2
    np.testing.assert_allclose(block(name), render(256, stroke_score(hands, STICKINGS[name])),
                               rtol=0, atol=TOLERANCE)
    assert np.max(np.abs(block(name))) == 0.82


@pytest.mark.parametrize("name", sorted(STICKINGS) + ["rudiment_flam_accent"])
def test_rudiment_strokes_follow_the_hands(name):
    got = block(name)
    if name == "rudiment_flam_accent":
        hands, accents = [(-1.0) ** j for j in range(12)], [0, 3, 6, 9]
    else:
        hands, accents = sticking_from_description(name), STICKINGS[name]
    for j, hand in enumerate(hands):
        p = nearest_pip(256 * j / 12, 256)
        assert np.sign(got[p, 0]) == hand and got[p, 1] < -0.2
        assert local_extreme(got[:, 0], p)
        expected = 0.82 if j in accents else 0.6 * 0.82
        assert abs(got[p, 0]) == pytest.approx(expected, abs=0.02)
    assert np.max(np.abs(block(name))) == 0.82


FLAM_ACCENTS = [0, 64, 128, 192]  # RLR LRL RLR LRL, each group led by its accent


def test_flam_accent_graces_lead_each_accent_from_the_other_side():
    got = block("rudiment_flam_accent")
    x = got[:, 0]
    for g, accent in enumerate(FLAM_ACCENTS):
        hand = 1.0 if g % 2 == 0 else -1.0
        assert x[accent] == 0.82 * hand and got[accent, 1] == -0.42
        # Opposite side, before the accent and after the previous stroke.
        previous = nearest_pip(accent - 256 / 12, 256)
        window = [(accent - d) % 256 for d in range(3, 15)]
        grace = max(window, key=lambda p: -hand * x[p])
        assert local_extreme(x, grace)
        assert 0.15 < -hand * x[grace] < 0.4
        # A separate gesture: the motion eases between the previous stroke and the grace.
        lo, hi = sorted(((previous - accent) % 256 - 256, (grace - accent) % 256 - 256))
        between = [-hand * x[(accent + d) % 256] for d in range(lo + 1, hi)]
        assert min(between) < -hand * x[grace] - 0.1
        # The grace is over by the accent and does not dent it.
        assert np.sign(x[(accent - 2) % 256]) == hand


def test_flam_accent_outside_the_graces_is_the_plain_score():
    hands = [(-1.0) ** j for j in range(12)]
    plain = render(256, stroke_score(hands, [0, 3, 6, 9]))
    got = block("rudiment_flam_accent")
    near_grace = {(a - d) % 256 for a in FLAM_ACCENTS for d in range(2, 18)}
    rest = [p for p in range(256) if p not in near_grace]
    np.testing.assert_allclose(got[rest], plain[rest], rtol=0, atol=TOLERANCE)
    assert entries()["rudiment_flam_accent"]["dimensions"] == 2
    # and the graces do change the pips near them
    assert np.max(np.abs(got - plain)) > 0.15


# ---- the members' names, periods and descriptions -------------------------------------

MEMBERS = [
    Members("euclid", [f"{k}_{n}" for k, n in EUCLID], lambda s: 32 * int(s.split("_")[1]),
            2, "Evenly distributed accents with alternating sides; first onset is "
                      "the phrase accent."),
    Members("poly", [f"{a}_{b}" for a, b in POLY], 512, 3,
            "Two independent pulse trains share an eight-beat boundary. Each right-lane "
            "gesture includes depth."),
    Members("meter", [meter_name(g)[len("meter_"):] for g in METER],
            lambda s: 32 * group_sum(s), 3,
            "Group starts lean alternately left and right; quieter subdivisions mark the "
            "eighth-note grid."),
]


test_members_are_named_timed_and_described = members_test(MEMBERS)
