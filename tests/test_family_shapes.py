"""Catalogue families of control shapes (lfo, path, wave, env, ease, akwf): the closed
formulas and keyframe lists at every pip against a plain evaluation written here, and
what the names and descriptions of the authored members promise."""

import math
import os
import re

import pytest

import kinetrope
from catalogue_data import catmull_rom, hashed, members_test, samples
from catalogue_records import Members, words

TAU = 2 * math.pi

# ---- the members' names, periods and descriptions -------------------------------------

WAVE_TITLES = ["Pinched sine", "Shouldered sine", "Folded sine", "Double-fold wave",
               "Rounded square", "Soft rectified swell", "Phase-skew sweep", "Scooped return",
               "Shelf and scoop", "Notched crest", "Bottle-neck swell", "Reed flutter",
               "Unequal double crest", "Rippled recovery", "Soft triple teeth", "Warped wave fold"]
ENV_TITLES = ["Lift, hold, settle", "Long inhale, short exhale", "Three unequal swells",
              "Rising echo ladder", "Falling echo ladder", "Backward anticipation",
              "Plateau then scoop", "Hesitant reach", "Two-height hold", "Deep swell and recoil",
              "Late release", "Split attack", "Suspended answer", "Valley between peaks",
              "Four breathing accents", "Stepped soft recovery"]

MEMBERS = [
    Members("wave", words("pinched shouldered folded double_fold rounded_square soft_rectifier "
                          "skew_warp scoop_warp shelf_wave notched bottle reed unequal_peaks "
                          "ripple_return soft_teeth warped_fold"), 512, 1,
            lambda s, i: WAVE_TITLES[i] + "; a continuous shaped control wave, mapped to "
                                          "horizontal displacement."),
    Members("env", words("lift_hold_drop inhale_exhale triple_swell rising_echo falling_echo "
                         "anticipation plateau_scoop hesitant double_hold swell_recoil late_release "
                         "split_attack suspended valley_peaks four_breaths return_stair"),
            512, 2,
            lambda s, i: ENV_TITLES[i] + " over an eight-beat phrase; smooth, resting joins."),
]


test_members_are_named_timed_and_described = members_test(MEMBERS)



def twelve(v):
    r = round(v, 12)
    return 0.0 if r == 0.0 else r


def scaled(rows, target):
    m = max(abs(c) for row in rows for c in row)
    return [tuple(c * (target / m) for c in row) for row in rows]


def assert_close(name, period, expected):
    got = samples(name)
    assert len(got) == period == len(expected), name
    for p, (g, e) in enumerate(zip(got, expected)):
        for axis in range(3):
            assert abs(g[axis] - twelve(e[axis])) <= 1e-12, (name, p, axis, g, e)


# ---- closed formulas ---------------------------------------------------------------------

def raw(f, period):
    return [f(TAU * p / period) for p in range(period)]


FORMULAS = {
    "lfo_breathe": (256, None, lambda t: (0.8 * math.sin(t), 0, 0)),
    "lfo_flower": (512, None, lambda t: (0.56 * math.cos(t) - 0.28 * math.cos(2 * t),
                                         0.56 * math.sin(t) + 0.28 * math.sin(2 * t), 0)),
    "lfo_breathing_orbit": (512, None, lambda t: (0.67 * math.cos(t) + 0.11 * math.cos(3 * t),
                                                  0.39 * math.sin(t) + 0.09 * math.sin(3 * t), 0)),
    "lfo_triplet_wobble": (512, None, lambda t: (math.sin(12 * t) * (0.5525 - 0.255 * math.cos(t)),
                                                 0.22 * math.sin(t), 0)),
    "path_lissajous_2_3": (512, None, lambda t: (0.78 * math.sin(2 * t), 0.68 * math.sin(3 * t), 0)),
    "path_rose_4": (512, None, lambda t: (0.82 * math.cos(2 * t) * math.cos(t),
                                          0.82 * math.cos(2 * t) * math.sin(t), 0)),
    "path_rose_5": (512, None, lambda t: (0.82 * math.cos(5 * t / 2) * math.cos(t / 2),
                                          0.82 * math.cos(5 * t / 2) * math.sin(t / 2), 0)),
    "path_bowed_diamond": (512, None, lambda t: (0.8 * math.cos(t) ** 3, 0.8 * math.sin(t) ** 3, 0)),
    "path_torus_knot": (1024, None, lambda t: ((0.54 + 0.22 * math.cos(3 * t)) * math.cos(2 * t),
                                               (0.54 + 0.22 * math.cos(3 * t)) * math.sin(2 * t),
                                               0.36 * math.sin(3 * t))),
    "path_woven_3d": (1024, None, lambda t: (0.72 * math.sin(2 * t), 0.64 * math.sin(3 * t),
                                             0.48 * math.sin(5 * t))),
    "wave_pinched": (512, None, lambda t: (0.82 * math.sin(t) ** 3, 0, 0)),
    "wave_notched": (512, 0.82, lambda t: (math.sin(t) - 0.36 * math.sin(3 * t)
                                           + 0.12 * math.cos(5 * t), 0, 0)),
    "wave_reed": (512, 0.82, lambda t: (math.sin(t) * (0.85 + 0.4 * math.cos(7 * t)), 0, 0)),
    "wave_ripple_return": (512, 0.82, lambda t: (math.sin(t) + 0.09 * math.sin(5 * t)
                                                 * (1 + math.cos(t)), 0, 0)),
}


@pytest.mark.parametrize("name", sorted(FORMULAS))
def test_formula_members_at_every_pip(name):
    period, target, f = FORMULAS[name]
    rows = raw(f, period)
    assert_close(name, period, scaled(rows, target) if target else rows)


def test_breathe_worked_values():
    assert kinetrope.sample("lfo_breathe", 32).x == 0.565685424949
    assert kinetrope.sample("lfo_breathe", 64).as_tuple() == (0.8, 0.0, 0.0)
    assert kinetrope.sample("lfo_breathe", 192).x == -0.8
    assert kinetrope.sample("lfo_breathe", -64).x == -0.8


# ---- keyframe lists ----------------------------------------------------------------------

KEYS = {
    "lfo_surge": (256, [(0, -0.8), (192, 0.8), (256, -0.8)], None),
    "lfo_soft_gate": (256, [(0, -0.8), (32, 0.8), (128, 0.8), (160, -0.8), (256, -0.8)], None),
    "lfo_double_pump": (256, None, [(0, 0), (32, -0.85), (64, 0), (96, -0.55), (128, 0), (256, 0)]),
    "lfo_glide_stair": (256, [(0, -0.8), (32, -0.8), (64, -0.4), (96, 0), (128, 0.4), (160, 0.8),
                              (192, 0.8), (256, -0.8)], None),
    "lfo_twin_swell": (512, [(0, 0), (128, 0.2), (256, 0), (384, -0.32), (512, 0)],
                       [(0, 0), (128, -0.85), (256, 0), (384, -0.45), (512, 0)]),
    "lfo_pulse_hold": (256, [(0, 0), (32, 0.8), (128, 0.8), (160, -0.35), (192, 0), (256, 0)], None),
    "lfo_reverse_swell": (512, [(0, 0), (192, -0.24), (224, 0.24), (384, 0), (512, 0)],
                          [(0, 0), (192, -0.82), (224, 0), (256, -0.38), (288, 0), (320, -0.18),
                           (352, 0), (512, 0)]),
    "env_lift_hold_drop": (512, None, [(0, 0), (64, -0.8), (192, -0.8), (256, 0.2), (320, 0), (512, 0)]),
    "env_inhale_exhale": (512, None, [(0, 0), (320, -0.8), (384, 0.1), (448, 0), (512, 0)]),
    "env_triple_swell": (512, None, [(0, 0), (64, -0.8), (128, 0), (192, -0.5), (256, 0), (384, -0.3),
                                     (512, 0)]),
    "env_rising_echo": (512, None, [(0, 0), (64, -0.25), (128, 0), (192, -0.5), (256, 0), (320, -0.8),
                                    (384, 0), (512, 0)]),
    "env_falling_echo": (512, None, [(0, 0), (64, -0.8), (128, 0), (192, -0.45), (256, 0),
                                     (320, -0.15), (512, 0)]),
    "env_anticipation": (512, None, [(0, 0), (64, 0.35), (128, 0), (192, -0.82), (256, -0.82),
                                     (384, 0.12), (512, 0)]),
    "env_plateau_scoop": (512, None, [(0, 0), (64, -0.7), (256, -0.7), (320, -0.3), (384, 0.4), (512, 0)]),
    "env_hesitant": (512, None, [(0, 0), (64, -0.3), (128, -0.2), (192, -0.5), (256, -0.4), (320, -0.8),
                                 (512, 0)]),
    "env_double_hold": (512, None, [(0, 0), (64, -0.4), (192, -0.4), (256, -0.8), (384, -0.8), (512, 0)]),
    "env_swell_recoil": (512, None, [(0, 0), (192, -0.8), (256, 0.5), (320, -0.2), (384, 0.08), (512, 0)]),
    "env_late_release": (512, None, [(0, 0), (256, -0.8), (384, -0.8), (448, 0.25), (512, 0)]),
    "env_split_attack": (512, None, [(0, 0), (32, -0.6), (64, -0.2), (128, -0.8), (320, -0.2), (512, 0)]),
    "env_suspended": (512, None, [(0, 0), (64, -0.75), (128, 0), (256, 0), (384, -0.55), (448, -0.55),
                                  (512, 0)]),
    "env_valley_peaks": (512, None, [(0, 0), (64, -0.7), (192, -0.3), (256, -0.82), (384, 0.2), (512, 0)]),
    "env_four_breaths": (512, None, [(0, 0), (64, -0.7), (128, 0), (192, -0.5), (256, 0), (320, -0.8),
                                     (384, 0), (448, -0.3), (512, 0)]),
    "env_return_stair": (512, None, [(0, 0), (128, -0.8), (192, -0.8), (256, -0.5), (320, -0.5),
                                     (384, -0.2), (448, -0.2), (512, 0)]),
}


def eased(keys, p):
    for (a, va), (b, vb) in zip(keys, keys[1:]):
        if a <= p < b:
            t = (p - a) / (b - a)
            return va + (vb - va) * (t * t * t * (t * (t * 6 - 15) + 10))
    raise AssertionError(p)


@pytest.mark.parametrize("name", sorted(KEYS))
def test_keyframe_members_at_every_pip(name):
    period, xs, ys = KEYS[name]
    lane = lambda keys, p: eased(keys, p) if keys else 0.0  # noqa: E731
    assert_close(name, period, [(lane(xs, p), lane(ys, p), 0.0) for p in range(period)])


@pytest.mark.parametrize("name", sorted(n for n in KEYS if n.startswith("env_")))
def test_env_moves_on_y_alone(name):
    assert all(x == 0.0 for x, _, _ in samples(name))


# ---- helpers for the authored members ----------------------------------------------------

def lane(name, axis=0):
    return [row[axis] for row in samples(name)]


def local_maxima(xs):
    n = len(xs)
    return [p for p in range(n) if xs[p] > xs[p - 1] and xs[p] > xs[(p + 1) % n]]


def local_minima(xs):
    return local_maxima([-v for v in xs])


def max_step(xs):
    return max(abs(xs[(p + 1) % len(xs)] - xs[p]) for p in range(len(xs)))


# ---- lfo ---------------------------------------------------------------------------------

def test_ratchet_four_decaying_hits_on_their_pips_then_rest():
    rows = samples("lfo_ratchet")
    ys = [y for _, y, _ in rows]
    hits = local_minima(ys)
    assert hits == [0, 32, 64, 96]
    heights = [-ys[p] for p in hits]
    assert heights == sorted(heights, reverse=True) and len(set(heights)) == 4
    assert heights[0] == 0.82
    # each hit is over before the next begins, and beats three and four are still
    assert all(rows[p] == (0.0, 0.0, 0.0) for p in range(110, 243))
    assert all(ys[p] == 0.0 for p in (14, 18, 46, 50, 78, 82))
    # the lean alternates sides
    xs = [x for x, _, _ in rows]
    assert [xs[p] > 0 for p in hits] == [True, False, True, False]


def test_sweep_ratchet_sweeps_then_three_decaying_ratchets_without_a_jump():
    rows = samples("lfo_sweep_ratchet")
    xs = [x for x, _, _ in rows]
    ys = [y for _, y, _ in rows]
    assert all(b >= a for a, b in zip(xs[:257], xs[1:257]))
    assert xs[0] == -0.75 and xs[256] == 0.75
    assert local_minima(ys) == [288, 336, 384]
    assert -ys[288] > -ys[336] > -ys[384] > 0
    assert all(y == 0.0 for y in ys[:268] + ys[405:])
    assert max_step(xs) < 0.03


def hashed_lanes(name, period, lanes, target):
    points = [hashed(f"{name}/{axis}", count) for axis, count in lanes]
    rows = [tuple(catmull_rom(pts, p / period) for pts in points) for p in range(period)]
    rows = [row + (0.0,) * (3 - len(row)) for row in rows]
    return scaled(rows, target)


def test_seeded_drift_follows_its_hashed_control_points():
    assert_close("lfo_seeded_drift", 1024,
                 hashed_lanes("lfo_seeded_drift", 1024, [("x", 9), ("y", 7)], 0.8))


def test_pendulum_dwells_near_both_sides_on_a_shallow_arc():
    rows = samples("lfo_pendulum_dwell")
    xs = [x for x, _, _ in rows]
    peak = max(abs(x) for x in xs)
    near_sides = sum(abs(x) > 0.9 * peak for x in xs) / len(xs)
    assert near_sides > 0.4  # a plain sine spends 0.29 of its time there
    assert len(local_maxima(xs)) == 2 and len(local_minima(xs)) == 2
    # the bob is lowest in the middle of the swing and rises towards either side
    lowest = min(rows, key=lambda r: abs(r[0]))
    widest = max(rows, key=lambda r: abs(r[0]))
    assert lowest[1] < 0.0 < widest[1] < 0.2


def test_morph_changes_shape_within_the_phrase():
    xs = lane("lfo_morph")

    def rise_share(cycle):
        seg = xs[cycle * 128:(cycle + 1) * 128]
        lo, hi = seg.index(min(seg)), seg.index(max(seg))
        return ((hi - lo) % 128) / 128

    # near the ends a sine (rises half the cycle), in the middle the skewed triangle
    assert abs(rise_share(0) - 0.5) < 0.1
    assert rise_share(2) > 0.65
    assert len(local_maxima(xs)) == 4


# ---- path --------------------------------------------------------------------------------

def test_orbit_dwell_stops_at_one_point_and_races_opposite():
    rows = samples("path_orbit_dwell")
    phase = [math.atan2(y / 0.55, x / 0.8) for x, y, _ in rows]
    speed = [(phase[(p + 1) % 512] - phase[p]) % math.tau for p in range(512)]
    assert speed.index(max(speed)) in (255, 256)
    assert max(speed) > 1.9 * math.tau / 512
    assert max(speed[-1], speed[0]) < 0.01 * max(speed)
    assert rows[0][:2] == (0.8, 0.0)
    for x, y, _ in rows:
        assert abs((x / 0.8) ** 2 + (y / 0.55) ** 2 - 1.0) < 1e-9


def test_crank_slider_is_the_exact_slider_position():
    def exact(t):
        return (math.cos(t) + math.sqrt(9 - math.sin(t) ** 2) - 3.0, math.sin(t), 0.0)
    assert_close("path_crank_slider", 256, scaled(raw(exact, 256), 0.8))


# ---- wave --------------------------------------------------------------------------------

WAVES = next(m.suffixes for m in MEMBERS if m.family == "wave")


@pytest.mark.parametrize("suffix, maxima, minima", [
    ("shouldered", 1, 1), ("rounded_square", 1, 1), ("skew_warp", 1, 1),
    ("folded", 3, 3), ("double_fold", 5, 5), ("soft_teeth", 3, 3), ("unequal_peaks", 2, 2),
    ("soft_rectifier", 2, 2),
])
def test_wave_extremum_counts(suffix, maxima, minima):
    xs = lane("wave_" + suffix)
    assert len(local_maxima(xs)) == maxima and len(local_minima(xs)) == minima


def test_wave_titles_in_the_data():
    xs = {s: lane("wave_" + s) for s in WAVES}
    # a folded crest turns back down before the top, the double fold goes past the far side
    assert 0.1 < xs["folded"][128] < 0.3
    assert xs["double_fold"][128] < -0.5
    # the rounded square sits near its peak most of the time
    assert sum(abs(v) > 0.75 for v in xs["rounded_square"]) > 0.6 * 512
    # a rectified swell never crosses to the other side
    assert min(xs["soft_rectifier"]) == 0.0
    # the two crests are unequal
    crests = sorted(xs["unequal_peaks"][p] for p in local_maxima(xs["unequal_peaks"]))
    assert crests[1] == 0.82 and crests[0] < 0.6
    # the skewed sweep reaches its crest early and its trough late
    assert xs["skew_warp"].index(0.82) < 100 and xs["skew_warp"].index(-0.82) > 410
    # each soft tooth falls faster than it rises
    teeth = xs["soft_teeth"]
    up, down = local_minima(teeth), local_maxima(teeth)
    assert (down[0] - up[0]) > 1.4 * (up[1] - down[0])


# ---- ease --------------------------------------------------------------------------------

def bounce_out(t):
    n1, d1 = 7.5625, 2.75
    if t < 1 / d1:
        return n1 * t * t
    if t < 2 / d1:
        t -= 1.5 / d1
        return n1 * t * t + 0.75
    if t < 2.5 / d1:
        t -= 2.25 / d1
        return n1 * t * t + 0.9375
    t -= 2.625 / d1
    return n1 * t * t + 0.984375


def back_in(t, s=1.70158):
    return t * t * ((s + 1) * t - s)


def out_and_back(curve):
    return [(curve((p if p <= 128 else 256 - p) / 128), 0.0, 0.0) for p in range(256)]


@pytest.mark.parametrize("name, curve, rescale", [
    ("ease_rebound", bounce_out, False),
    ("ease_anticipate", back_in, False),
    ("ease_overshoot", lambda t: 1 - back_in(1 - t), True),
])
def test_published_easings_out_and_back(name, curve, rescale):
    rows = [(0.8 * x, 0.0, 0.0) for x, _, _ in out_and_back(curve)]
    expected = scaled(rows, 0.8) if rescale else rows
    got = samples(name)
    for p in range(256):
        assert abs(got[p][0] - twelve(expected[p][0])) <= 2e-12, (name, p)


@pytest.mark.parametrize("name", ["ease_rebound", "ease_anticipate", "ease_overshoot", "ease_elastic"])
def test_ease_mirrors_back_to_rest(name):
    xs = lane(name)
    assert xs[0] == 0.0
    assert all(xs[p] == xs[256 - p] for p in range(1, 128))
    assert max(abs(v) for v in xs) == 0.8


def test_anticipate_dips_and_overshoot_passes_its_target():
    assert min(lane("ease_anticipate")) < -0.05
    over = lane("ease_overshoot")
    assert max(over) > over[128] * 1.05


def test_elastic_oscillates_as_it_decays():
    xs = lane("ease_elastic")[:129]
    assert len([p for p in range(1, 128) if xs[p - 1] < xs[p] > xs[p + 1]]) >= 2
    assert min(xs) < 0.0


# ---- akwf --------------------------------------------------------------------------------

AKWF_DIR = os.path.join(os.path.dirname(__file__), "..", "tools", "data", "akwf")
AKWF = {"akwf_round_saw": "AKWF_R_asym_saw_05_256", "akwf_quick_return": "AKWF_R_asym_saw_15_256",
        "akwf_multi_lobe": "AKWF_0001_256", "akwf_plateau": "AKWF_0010_256"}


def source_cycle(file):
    with open(os.path.join(AKWF_DIR, file + ".txt"), encoding="ascii") as f:
        values = [int(v) for v in re.findall(r"-?\d+", f.read())]
    assert len(values) == 257 and values[0] == values[256]
    m = max(abs(v) for v in values[:256])
    return [v * (0.85 / m) for v in values[:256]]


@pytest.mark.parametrize("name", sorted(AKWF))
def test_akwf_is_its_source_scaled_to_the_peak(name):
    want = source_cycle(AKWF[name])
    got = lane(name)
    changed = [p for p in range(256) if abs(got[p] - twelve(want[p])) > 1e-12]
    assert max(abs(v) for v in got) == 0.85
    if name != "akwf_quick_return":
        assert changed == []
        return
    # only the fast return is softened: one short run of samples across the seam, a
    # straight line between the source samples on either side of it
    assert 0 < len(changed) <= 8
    run = sorted(changed, key=lambda p: (p - 200) % 256)
    assert all((b - a) % 256 == 1 for a, b in zip(run, run[1:]))
    a, b = (run[0] - 1) % 256, (run[-1] + 1) % 256
    span = (b - a) % 256
    for k, p in enumerate(run, start=1):
        assert abs(got[p] - (want[a] + (want[b] - want[a]) * k / span)) < 1e-11
