"""Helpers shared by the pattern tests: catalogue entries, whole blocks, a family's members
as the module lists them, and the closed Catmull-Rom interpolation the seeded families are
built from."""

import functools
import hashlib
import math

import numpy as np
import pytest

import catalogue_records as records
import kinetrope


@functools.cache
def entries():
    return {e["name"]: e for e in kinetrope.catalogue()}


@functools.cache
def samples(name):
    """The pattern's samples over one period, as a tuple of (x, y, z) tuples."""
    period = entries()[name]["period_pips"]
    return tuple(kinetrope.sample(name, p).as_tuple() for p in range(period))


@functools.cache
def block(name):
    """The pattern's samples over one period, as a (period, 3) array."""
    return np.array(samples(name))


def members(family):
    """The names of a family's members, in table order."""
    return [name for name in entries() if records.family_of(name) == family]


def listed(family):
    """(name, description, period, dimensions) of each of a family's members, in table
    order, as the module lists them."""
    return [(name, e["description"], e["period_pips"], e["dimensions"])
            for name, e in entries().items() if records.family_of(name) == family]


def members_test(families):
    """The test that holds the module's listing of each family to its Members, for a family
    test file to bind to a test_ name."""
    @pytest.mark.parametrize("members", families, ids=lambda m: m.family)
    def test(members):
        assert listed(members.family) == members.records()
    return test


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
