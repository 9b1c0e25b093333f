"""Catalogue families of control shapes (lfo, path, wave, env, ease, akwf): the closed
formulas and keyframe lists at every pip against a plain evaluation written here, and
what the names and descriptions of the authored members promise."""

import math
import os
import re

import pytest

import kinetrope

TAU = 2 * math.pi


def block(name, period):
    return [kinetrope.sample(name, p).as_tuple() for p in range(period)]


def twelve(v):
    r = round(v, 12)
    return 0.0 if r == 0.0 else r


def scaled(rows, target):
    m = max(abs(c) for row in rows for c in row)
    return [tuple(c * (target / m) for c in row) for row in rows]


def assert_close(name, period, expected):
    got = block(name, period)
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
def test_env_moves_on_y_alone_from_rest(name):
    rows = block(name, 512)
    assert rows[0] == (0.0, 0.0, 0.0)
    assert all(x == 0.0 and z == 0.0 for x, _, z in rows)
    entry = next(e for e in kinetrope.catalogue() if e["name"] == name)
    assert entry["dimensions"] == 2
