"""Closed-formula families (orbit, weave, polar, spiro, space, surface, silhouette): every
pip against an independent numpy evaluation, periods and dimensions, and the counts that
the names promise (cycles per axis, petals and lobes, windings)."""

import math

import numpy as np
import pytest

import kinetrope
from catalogue_data import block, entries, members_test
from catalogue_records import Members, two_digits

TOLERANCE = 1e-12


def round12(values):
    return np.vectorize(lambda v: float(f"{v:.12f}") + 0.0)(values)


def scaled(raw, target=0.82, reference=None):
    """Scale all axes together so that the largest magnitude of `reference` is target."""
    ref = raw if reference is None else reference
    return raw * (target / np.max(np.abs(ref)))


def thetas(period, points=None):
    points = period if points is None else points
    return 2 * math.pi * np.arange(points) / points


def stack(x, y, z=None):
    return np.stack([x, y, np.zeros_like(x) if z is None else z], axis=1)


# ---- the members, as their rows read ---------------------------------------------

ORBIT = [(2, 0.18, 0), (3, 0.22, 0), (4, 0.25, 0), (5, 0.28, 0), (6, 0.25, 0), (7, 0.20, 0),
         (8, 0.15, 0), (9, 0.13, 0), (2, 0.34, 0.5), (3, 0.31, 0.8), (4, 0.29, 1.1),
         (5, 0.26, 1.4), (6, 0.23, 1.7), (7, 0.20, 2.0), (8, 0.17, 2.3), (9, 0.14, 2.6)]
WEAVE = [(1, 3), (1, 4), (1, 5), (2, 5), (2, 7), (3, 4), (3, 5), (3, 7), (3, 8), (4, 5),
         (4, 7), (4, 9), (5, 6), (5, 7), (5, 8), (5, 9)]
ROSES = [3, 6, 7, 8, 9, 10, 11, 12]
SCALLOPS = [2, 3, 4, 5, 6, 7, 8, 9]
SPIRO = [(3, 1, 0.45), (4, 1, 0.60), (5, 2, 0.75), (5, 1, 0.55), (7, 2, 0.65), (7, 3, 0.70),
         (8, 3, 0.60), (9, 4, 0.80)]
TORI = [(2, 5), (2, 7), (3, 4), (3, 5), (3, 7), (4, 5), (4, 7), (5, 6)]
SPACE_WEAVES = [(1, 2, 3), (1, 3, 4), (2, 3, 4), (2, 3, 7), (2, 5, 7), (3, 4, 5), (3, 5, 7),
                (4, 5, 7)]
SURFACES = [(1, 2, 0.5, 1.1), (1, 3, 0.65, 1.2), (1, 4, 0.8, 1.0), (1, 5, 0.55, 1.25),
            (2, 3, 0.6, 1.15), (2, 5, 0.75, 1.0), (3, 4, 0.5, 1.2), (3, 5, 0.7, 1.05)]
SILHOUETTES = [(1, 2, 3, 0.20, 0.16), (1, 3, 5, 0.35, 0.12), (2, 3, 4, 0.30, 0.18),
               (2, 5, 7, 0.23, 0.16), (1, 4, 7, 0.35, 0.21), (3, 4, 5, 0.28, 0.14),
               (2, 7, 9, 0.19, 0.12), (3, 5, 8, 0.30, 0.17), (1, 2, 5, 0.40, 0.22),
               (1, 5, 8, 0.27, 0.24), (2, 3, 7, 0.34, 0.20), (3, 7, 10, 0.26, 0.16),
               (2, 4, 9, 0.33, 0.23), (3, 4, 9, 0.29, 0.25), (4, 5, 7, 0.25, 0.21),
               (4, 7, 11, 0.21, 0.16)]


MEMBERS = [
    Members("orbit", ["harmonic_" + n for n in two_digits()], 512, 2,
            "An ellipse combined with unequal horizontal and vertical harmonic ripples."),
    Members("weave", [f"{a}_{b}" for a, b in WEAVE], 1024, 2,
            lambda s, i: "{} horizontal and {} vertical cycles; a phase-offset, closed 16-beat "
                         "traversal.".format(*s.split("_"))),
    Members("polar", [f"rose_{n}" for n in ROSES] + [f"scallop_{n}" for n in SCALLOPS],
            1024, 2,
            lambda s, i: ("A complete signed-radius rose traversal; odd-petal roses use a "
                          "half-turn parameter." if s.startswith("rose") else
                          "A positive-radius scalloped loop; no centre crossings, with an "
                          "asymmetrically bent lobe.")),
    Members("spiro", [f"{side}_{R}_{r}" for side in ("inside", "outside") for R, r, _ in SPIRO],
            1024, 2,
            lambda s, i: f"A closed {s.split('_')[0]}-rolling circle trace, with pen radius "
                         "smaller than the rolling radius."),
    Members("space", [f"torus_{p}_{q}" for p, q in TORI]
            + [f"weave_{a}_{b}_{c}" for a, b, c in SPACE_WEAVES], 1024, 3,
            lambda s, i: ("A genuine XYZ closed torus-knot trajectory. The demo uses an oblique "
                          "projection." if s.startswith("torus") else
                          "Three coprime-frequency coordinate lanes with distinct phase offsets.")),
    Members("surface", [f"{a}_{b}_{k}" for k in ("low", "wide") for a, b, _, _ in SURFACES],
            1024, 3,
            "A varying-radius surface path with coupled longitude and latitude; all three "
            "coordinates are retained."),
    Members("silhouette", ["harmonic_" + n for n in two_digits()], 1024, 3,
            "Three unequal harmonic components, with cross-axis phases and a small linked "
            "depth term."),
]


test_members_are_named_timed_and_described = members_test(MEMBERS)


# ---- independent evaluations ------------------------------------------------------

def orbit(h, k, phi):
    t = thetas(512)
    return scaled(stack(np.cos(t) + k * np.cos(h * t + phi),
                        0.72 * np.sin(t) - k * np.sin((h + 1) * t - phi)))


def weave(a, b):
    t = thetas(1024)
    return scaled(stack(np.sin(a * t + 0.37), 0.8125 * np.sin(b * t)))


def rose(n):
    t = thetas(1024)
    r = np.cos(n * t / 2)
    turn = t / 2 if n % 2 else t
    return scaled(stack(r * np.cos(turn), r * np.sin(turn)))


def scallop(n):
    t = thetas(1024)
    r = 0.58 + 0.24 * np.cos(n * t + 0.2 * np.sin(t))
    return stack(r * np.cos(t), r * np.sin(t))


def spiro(kind, R, r, f):
    t = thetas(1024)
    d = f * r
    if kind == "inside":
        x = (R - r) * np.cos(r * t) + d * np.cos((R - r) * t)
        y = (R - r) * np.sin(r * t) - d * np.sin((R - r) * t)
    else:
        x = (R + r) * np.cos(r * t) - d * np.cos((R + r) * t)
        y = (R + r) * np.sin(r * t) - d * np.sin((R + r) * t)
    return scaled(stack(x, y))


def torus(p, q):
    t = thetas(1024)
    ring = 0.58 + 0.2 * np.cos(q * t)
    return scaled(stack(ring * np.cos(p * t), ring * np.sin(p * t), 0.42 * np.sin(q * t)))


def space_weave(a, b, c):
    t = thetas(1024)
    return stack(0.82 * np.sin(a * t), 0.656 * np.sin(b * t + 0.4),
                 0.574 * np.sin(c * t + 0.7 + math.pi / 2))


def surface(a, b, L):
    t = thetas(1024)
    r = 1 + 0.15 * np.cos(3 * t)
    mu = a * t + 0.22 * np.sin(2 * t)
    lam = L * np.sin(b * t + 0.17 * np.sin(t))
    return scaled(stack(r * np.cos(lam) * np.cos(mu), r * np.cos(lam) * np.sin(mu),
                        r * np.sin(lam)))


def silhouette(p, q, r, b, c):
    def curve(t):
        return stack(np.cos(p * t) + b * np.sin(q * t + 0.3) + c * np.cos(r * t),
                     0.65 * np.sin(p * t + 0.2) + c * np.sin(q * t) - b * np.cos(r * t + 0.1),
                     0.12 * np.sin(t) * np.sin((p + q) * t))
    return scaled(curve(thetas(1024)), reference=curve(thetas(1024, 2048)))


CASES = (
    [(f"orbit_harmonic_{i + 1:02d}", orbit(*row), 512) for i, row in enumerate(ORBIT)]
    + [(f"weave_{a}_{b}", weave(a, b), 1024) for a, b in WEAVE]
    + [(f"polar_rose_{n}", rose(n), 1024) for n in ROSES]
    + [(f"polar_scallop_{n}", scallop(n), 1024) for n in SCALLOPS]
    + [(f"spiro_{kind}_{R}_{r}", spiro(kind, R, r, f), 1024)
       for kind in ("inside", "outside") for R, r, f in SPIRO]
    + [(f"space_torus_{p}_{q}", torus(p, q), 1024) for p, q in TORI]
    + [(f"space_weave_{a}_{b}_{c}", space_weave(a, b, c), 1024) for a, b, c in SPACE_WEAVES]
    + [(f"surface_{a}_{b}_low", surface(a, b, low), 1024) for a, b, low, _ in SURFACES]
    + [(f"surface_{a}_{b}_wide", surface(a, b, wide), 1024) for a, b, _, wide in SURFACES]
    + [(f"silhouette_harmonic_{i + 1:02d}", silhouette(*row), 1024)
       for i, row in enumerate(SILHOUETTES)]
)
NAMES = [name for name, _, _ in CASES]


def test_every_member_is_covered_once():
    assert len(NAMES) == len(set(NAMES)) == 112
    families = ("orbit_", "weave_", "polar_", "spiro_", "space_", "surface_", "silhouette_")
    in_table = [n for n in entries() if n.startswith(families)]
    assert sorted(in_table) == sorted(NAMES)


@pytest.mark.parametrize("name,expected,period", CASES, ids=NAMES)
def test_every_pip_matches_the_formula(name, expected, period):
    entry = entries()[name]
    assert entry["period_pips"] == period
    got = block(name)
    assert got.shape == (period, 3)
    np.testing.assert_allclose(got, round12(expected), rtol=0, atol=TOLERANCE)
    assert entry["dimensions"] == (3 if name.startswith(("space", "surface", "silhouette"))
                                   else 2)
    # Periodic by the record's period, negative pips included.
    for p in (-1, -period, period + 7):
        assert kinetrope.sample(name, p).as_tuple() == tuple(got[p % period])


# ---- what the names promise --------------------------------------------------------

def spectrum_bins(lane, share=1e-9):
    """Harmonics carrying more than `share` of the lane's energy, and the strongest one."""
    power = np.abs(np.fft.rfft(lane)) ** 2
    return set(np.flatnonzero(power > share * power.sum()).tolist()), int(np.argmax(power))


def winding(x, y):
    angle = np.unwrap(np.arctan2(y, x))
    return round((angle[-1] - angle[0] + math.remainder(angle[0] - angle[-1], 2 * math.pi))
                 / (2 * math.pi))


def circular_maxima(values):
    return np.flatnonzero((values > np.roll(values, 1)) & (values >= np.roll(values, -1)))


def centre_distance_of_chords(got):
    """Distance from the origin to each chord from pip i to pip i + 1 (seam included)."""
    a, b = got[:, :2], np.roll(got[:, :2], -1, axis=0)
    ab = b - a
    t = np.clip(-np.sum(a * ab, axis=1) / np.sum(ab * ab, axis=1), 0.0, 1.0)
    return np.hypot(*(a + t[:, None] * ab).T)


def sign_changes(values):
    signs = np.sign(values)
    signs = signs[signs != 0]
    return int(np.count_nonzero(signs != np.roll(signs, 1)))


@pytest.mark.parametrize("a,b", WEAVE)
def test_weave_cycle_counts(a, b):
    got = block(f"weave_{a}_{b}")
    assert spectrum_bins(got[:, 0]) == ({a}, a)
    assert spectrum_bins(got[:, 1]) == ({b}, b)


@pytest.mark.parametrize("a,b,c", SPACE_WEAVES)
def test_space_weave_cycle_counts(a, b, c):
    got = block(f"space_weave_{a}_{b}_{c}")
    for axis, cycles in enumerate((a, b, c)):
        assert spectrum_bins(got[:, axis]) == ({cycles}, cycles)


@pytest.mark.parametrize("p,q", TORI)
def test_torus_winds_p_times_around_and_q_times_through(p, q):
    got = block(f"space_torus_{p}_{q}")
    assert winding(got[:, 0], got[:, 1]) == p
    assert spectrum_bins(got[:, 2]) == ({q}, q)
    # The ring radius (distance from the axis) swings q times too.
    assert len(circular_maxima(np.hypot(got[:, 0], got[:, 1]))) == q


@pytest.mark.parametrize("n", ROSES)
def test_rose_petals_pass_through_the_centre(n):
    got = block(f"polar_rose_{n}")
    radius = np.hypot(got[:, 0], got[:, 1])
    tips = circular_maxima(radius)
    assert len(tips) == n
    assert np.all(radius[tips] > 0.8)
    # Between neighbouring petal tips the path crosses the centre: some chord between
    # neighbouring pips passes (almost) through the origin.
    chords = centre_distance_of_chords(got)
    for a, b in zip(tips, np.roll(tips, -1)):
        between = chords[a:b] if b > a else np.concatenate([chords[a:], chords[:b]])
        assert between.min() < 1e-3
    # Distinct petal directions: an even n whose half is odd traces each of its n / 2
    # petals twice per period (the radius cos(n theta / 2) repeats after half a turn).
    directions = {round(math.degrees(math.atan2(got[t, 1], got[t, 0]))) % 360 for t in tips}
    assert len(directions) == (n // 2 if n % 4 == 2 else n)


@pytest.mark.parametrize("n", SCALLOPS)
def test_scallop_lobes_never_reach_the_centre(n):
    got = block(f"polar_scallop_{n}")
    radius = np.hypot(got[:, 0], got[:, 1])
    assert len(circular_maxima(radius)) == n
    assert radius.min() > 0.3
    assert winding(got[:, 0], got[:, 1]) == 1


@pytest.mark.parametrize("kind", ["inside", "outside"])
@pytest.mark.parametrize("R,r,f", SPIRO)
def test_spiro_lobes_and_turns(kind, R, r, f):
    got = block(f"spiro_{kind}_{R}_{r}")
    radius = np.hypot(got[:, 0], got[:, 1])
    # The pen's distance from the centre swings R times; the rolling centre turns r times.
    assert len(circular_maxima(radius)) == R
    assert winding(got[:, 0], got[:, 1]) == r
    # Pen inside the rolling circle: the trace never comes near the centre.
    assert radius.min() > 0.15


@pytest.mark.parametrize("i,row", list(enumerate(ORBIT)))
def test_orbit_ripples_are_unequal_harmonics(i, row):
    h, _, _ = row
    got = block(f"orbit_harmonic_{i + 1:02d}")
    assert spectrum_bins(got[:, 0]) == ({1, h}, 1)
    assert spectrum_bins(got[:, 1]) == ({1, h + 1}, 1)
    assert winding(got[:, 0], got[:, 1]) == 1


@pytest.mark.parametrize("kind", ["low", "wide"])
@pytest.mark.parametrize("a,b,low,wide", SURFACES)
def test_surface_longitude_and_latitude_counts(kind, a, b, low, wide):
    got = block(f"surface_{a}_{b}_{kind}")
    assert winding(got[:, 0], got[:, 1]) == a
    assert sign_changes(got[:, 2]) == 2 * b


def test_wide_surfaces_reach_higher_latitudes_than_low_ones():
    for a, b, _, _ in SURFACES:
        low, wide = block(f"surface_{a}_{b}_low"), block(f"surface_{a}_{b}_wide")
        lat = [np.max(np.abs(np.arctan2(g[:, 2], np.hypot(g[:, 0], g[:, 1])))) for g in (low, wide)]
        assert lat[1] > lat[0]


@pytest.mark.parametrize("i,row", list(enumerate(SILHOUETTES)))
def test_silhouette_harmonics(i, row):
    p, q, r, _, _ = row
    got = block(f"silhouette_harmonic_{i + 1:02d}")
    assert spectrum_bins(got[:, 0]) == ({p, q, r}, p)
    assert spectrum_bins(got[:, 1]) == ({p, q, r}, p)
    assert spectrum_bins(got[:, 2])[0] == {p + q - 1, p + q + 1}
    assert np.max(np.abs(got[:, 2])) < 0.12
