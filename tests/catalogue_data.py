"""Helpers shared by the pattern tests: catalogue entries, whole blocks, and the closed
Catmull-Rom interpolation the seeded families are built from."""

import functools
import hashlib
import math

import numpy as np

import kinetrope


@functools.cache
def entries():
    return {e["name"]: e for e in kinetrope.catalogue()}


@functools.cache
def block(name):
    """The pattern's samples over one period, as a (period, 3) array."""
    period = entries()[name]["period_pips"]
    return np.array([kinetrope.sample(name, p).as_tuple() for p in range(period)])


def catmull_rom(points, u):
    """Closed uniform Catmull-Rom curve through points, at u in [0, 1)."""
    n = len(points)
    s = u * n
    k = math.floor(s)
    f = s - k
    p0, p1, p2, p3 = (points[(k + j) % n] for j in (-1, 0, 1, 2))
    m1, m2 = (p2 - p0) / 2.0, (p3 - p1) / 2.0
    f2 = f * f
    f3 = f2 * f
    return ((2.0 * f3 - 3.0 * f2 + 1.0) * p1 + (f3 - 2.0 * f2 + f) * m1
            + (-2.0 * f3 + 3.0 * f2) * p2 + (f3 - f2) * m2)


def hashed(prefix, count):
    """The seeded control points the generator draws: count values in [-1, 1), each from
    the first eight bytes of SHA-256 of "prefix/k"."""
    out = []
    for k in range(count):
        v = int.from_bytes(hashlib.sha256(f"{prefix}/{k}".encode()).digest()[:8], "big")
        out.append(2.0 * ((v >> 11) * 2.0 ** -53) - 1.0)
    return out
