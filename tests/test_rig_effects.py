"""Effects and fans: exact source pips, the transforms' order, the fan rules, frames."""

import math
import sys
from decimal import Decimal
from fractions import Fraction

import numpy as np
import pytest
from hypothesis import given
from hypothesis import strategies as st

import kinetrope
from kinetrope_rig import MissingDependency
from kinetrope_rig.effects import Effect, Fan, _cos_sin_degrees

# 64 distinct samples, so that every source pip shows which one was read.
RAMP = kinetrope.SampledPattern("ramp", "", [(k / 64, 0.0, 0.0) for k in range(64)])


class Wave:
    """A source of another kind: sample(pip) gives three numbers, with or without a period."""

    def __init__(self, period=None):
        if period is not None:
            self.period_pips = period

    def sample(self, pip):
        return (math.sin(pip / 5) / 2, 0.25, 0.0)


# -- exact arithmetic ----------------------------------------------------------------------

@pytest.mark.parametrize("params, pip, expected", [
    ({"rate": "3/7"}, 7, 3),
    ({"rate": "3/7"}, -1, -1),                    # floor, not truncation
    ({"rate": "3/7"}, -8, -4),
    ({"rate": Fraction(3, 2)}, -1, -2),           # a triplet against quarter notes
    ({"rate": "3/2"}, 43, 64),
    ({"rate": 2, "shift": -5}, -3, -11),
    ({"phase": "1/3"}, 0, 21),                    # floor(64 / 3)
    ({"phase": Fraction(5, 4)}, 1, 81),           # more than a cycle wraps when sampled
    ({"phase": -0.25, "rate": "0.5"}, -3, -18),   # floats that are exactly their decimal
    ({"phase": Decimal("0.75"), "rate": "3/7", "shift": 2}, -100, -43 + 2 + 48),
])
def test_source_pip_floors_exactly(params, pip, expected):
    effect = Effect(RAMP, **params)
    assert effect.source_pip(pip) == expected
    assert effect.at(pip) == RAMP.sample(expected).as_tuple()


@pytest.mark.parametrize("rate, period, repeat", [
    (1, Fraction(64), 64), ("3/7", Fraction(448, 3), 448), ("2/3", Fraction(96), 96),
    (Fraction(16, 3), Fraction(12), 12), ("3/2", Fraction(128, 3), 128),
])
def test_period_and_repeat(rate, period, repeat):
    effect = Effect("circle", rate=rate, phase="1/5")
    assert (effect.period, effect.repeat_pips) == (period, repeat)
    for pip in range(-repeat, repeat):
        assert effect.at(pip) == effect.at(pip + repeat)


@given(st.fractions(min_value=Fraction(1, 40), max_value=8, max_denominator=40),
       st.integers(-10**12, 10**12), st.fractions(-3, 3, max_denominator=12))
def test_any_rate_repeats_after_repeat_pips(rate, pip, phase):
    effect = Effect(RAMP, rate=rate, phase=phase, shift=-7)
    assert effect.at(pip) == effect.at(pip + effect.repeat_pips)
    place = math.floor(pip * rate) - 7 + math.floor(phase * 64)
    assert effect.at(pip) == RAMP.sample(place % 64).as_tuple()


@pytest.mark.parametrize("phase", [Fraction(5, 4), Fraction(-3, 4), "9/4"])
def test_phases_wrap_whole_cycles(phase):
    quarter, wrapped = Effect("circle", phase="1/4"), Effect("circle", phase=phase)
    assert all(quarter.at(p) == wrapped.at(p) for p in range(-64, 64))


@pytest.mark.parametrize("value, expected", [
    ("0.1", Fraction(1, 10)), (Decimal("0.1"), Fraction(1, 10)), (0.375, Fraction(3, 8)),
    (" 3/7 ", Fraction(3, 7)), (np.int64(3), Fraction(3)),
])
def test_exact_numbers(value, expected):
    assert Effect(RAMP, rate=value).rate == expected


# -- sources ---------------------------------------------------------------------------------

def test_sources_of_every_kind():
    user = kinetrope.SampledPattern("u_wave", "", [(0.5, 0.0, 0.0), (-0.5, 0.25, 0.0)])
    library = kinetrope.PatternLibrary([user])
    by_name = Effect("u_wave", library=library, phase="1/2")
    assert by_name.period == 2 and by_name.at(0) == (-0.5, 0.25, 0.0)
    assert Effect(user).at(-1) == by_name.at(0)
    assert Effect("helix").at(-3) == kinetrope.helix(-3).as_tuple()
    breathe = kinetrope.sample("lfo_breathe", 5).as_tuple()
    assert Effect("lfo_breathe", library=library).at(5) == breathe
    bare = Effect(Wave(), rate=2)
    assert bare.period is None and bare.at(-3) == Wave().sample(-6)
    assert Effect(Wave(), period=10, phase="1/2").at(0) == Wave().sample(5)
    assert Effect(Wave(period=10), phase="1/2").at(10) == Wave().sample(5)


# -- transforms ------------------------------------------------------------------------------

POINT = kinetrope.SampledPattern("point", "", [(0.5, 0.25, -0.5)])


@pytest.mark.parametrize("params, expected", [
    ({"mirror": "x", "rotate": 90}, (-0.25, -0.5, -0.5)),       # mirror before rotate
    ({"mirror": (False, True, True)}, (0.5, -0.25, 0.5)),
    ({"size": (2, 1, 1), "rotate": 90}, (-0.25, 1.0, -0.5)),     # size before rotate
    ({"size": 2, "mirror": "z"}, (1.0, 0.5, 1.0)),
    ({"rotate": 90, "offset": (0.5, 0, 0)}, (0.25, 0.5, -0.5)),  # rotate before offset
    ({"rotate": -270}, (-0.25, 0.5, -0.5)),
    ({"rotate": 180}, (-0.5, -0.25, -0.5)),
    ({"size": 2, "offset": (0.75, -2, 0.25)}, (1.0, -1.0, -0.75)),  # offset, then clamp
    ({"size": 2, "offset": (0.75, -2, 0.25), "clamp": False}, (1.75, -1.5, -0.75)),
])
def test_transforms_apply_in_order(params, expected):
    assert Effect(POINT, **params).at(0) == expected


@pytest.mark.parametrize("degrees", [1, 30, 45, Fraction(1, 3), 12.25, -17])
def test_rotation_is_the_same_on_every_machine(degrees):
    cos, sin = _cos_sin_degrees(Fraction(degrees))
    radians = math.radians(degrees)
    assert abs(cos - math.cos(radians)) <= math.ulp(cos)
    assert abs(sin - math.sin(radians)) <= math.ulp(sin)
    # Correctly rounded, so every symmetric angle gives the same two numbers.
    for other, expected in [(degrees + 720, (cos, sin)), (90 - degrees, (sin, cos)),
                            (180 - degrees, (-cos, sin)), (-degrees, (cos, -sin)),
                            (degrees - 270, (-sin, cos))]:
        assert _cos_sin_degrees(Fraction(other)) == expected
    x, y, _ = Effect(POINT, rotate=degrees).at(0)
    assert (x, y) == (0.5 * cos - 0.25 * sin, 0.5 * sin + 0.25 * cos)


# -- fans ------------------------------------------------------------------------------------

@pytest.mark.parametrize("count, params, delays", [
    (8, {}, [0, 8, 16, 24, 32, 40, 48, 56]),
    (8, {"spread": "1/2"}, [0, 4, 8, 12, 16, 20, 24, 28]),
    (5, {"spread": "1/2"}, [0, 6, 12, 19, 25]),
    (4, {"spread": 2}, [0, 32, 64, 96]),
    (8, {"order": "reverse"}, [56, 48, 40, 32, 24, 16, 8, 0]),
    (8, {"order": "center_out"}, [48, 32, 16, 0, 0, 16, 32, 48]),
    (7, {"order": "center_out"}, [48, 32, 16, 0, 16, 32, 48]),
    (8, {"order": "outside_in"}, [0, 16, 32, 48, 48, 32, 16, 0]),
    (8, {"wings": 2}, [0, 16, 32, 48, 48, 32, 16, 0]),
    (7, {"wings": 2}, [0, 16, 32, 48, 32, 16, 0]),
    (8, {"wings": 3}, [0, 21, 42, 42, 21, 0, 0, 21]),
    (8, {"wings": 2, "order": "reverse"}, [48, 32, 16, 0, 0, 16, 32, 48]),
    (8, {"blocks": 2}, [0, 0, 16, 16, 32, 32, 48, 48]),
    (8, {"blocks": 3}, [0, 0, 0, 21, 21, 21, 42, 42]),
    (8, {"blocks": 2, "wings": 2}, [0, 0, 32, 32, 32, 32, 0, 0]),
    (8, {"groups": 2}, [0, 16, 32, 48, 0, 16, 32, 48]),
    (7, {"groups": 2}, [0, 16, 32, 48, 0, 16, 32]),
    (8, {"groups": 2, "wings": 2}, [0, 32, 32, 0, 0, 32, 32, 0]),
    (8, {"order": "shuffle"}, [16, 40, 0, 24, 32, 48, 8, 56]),   # the same on every Python
    (8, {"order": "shuffle", "seed": 5}, [0, 56, 24, 8, 32, 48, 40, 16]),
])
def test_fan_rules(count, params, delays):
    fan = Fan("circle", count, **params)
    assert list(fan.delays) == delays
    for member, delay in enumerate(delays):
        assert fan.at(100, member) == kinetrope.circle(100 - delay).as_tuple()


def test_fan_delays_are_in_the_effects_pips():
    fan = Fan(Effect("circle", rate="3/7"), 8)     # period 448/3: floor(i * 56 / 3)
    assert list(fan.delays) == [0, 18, 37, 56, 74, 93, 112, 130]


FRAMED = [
    Fan(Effect(RAMP, rate="3/7", phase="5/4", shift=-3), 9),
    Fan(Effect("circle", rate="3/7", size=(0.5, 2, 1), rotate=30, mirror="y"), 10,
        wings=2, blocks=2, spread="3/4"),
    Fan(Effect("figure_eight", rate=3, phase="-1/3", offset=(0.5, 0, 0)), 11, groups=3,
        wings=2, order="center_out"),
    Fan(Effect(kinetrope.SampledPattern("odd", "", [(k / 7, -k / 7, 0) for k in range(7)]),
               rate="7/5"), 6, order="shuffle", seed=11, spread=3),
    Fan(Effect(Wave(), period=12, rate="2/9"), 5, order="outside_in"),
    Fan(Effect(RAMP, rate=Fraction(10**12 + 1, 10**12)), 4),    # products beyond int64
]


@pytest.mark.parametrize("fan", FRAMED, ids=repr)
def test_frame_is_at_bit_for_bit(fan):
    repeat = fan.effect.repeat_pips
    pips = [*(range(-repeat, repeat) if repeat <= 1000 else range(-3, 3)), 2**62, -2**62 - 5]
    for pip in pips:
        frame = fan.frame(pip)
        assert frame.shape == (fan.count, 3) and frame.dtype == np.float64
        expected = np.array([fan.at(pip, m) for m in range(fan.count)], dtype=np.float64)
        assert (frame.view(np.int64) == expected.view(np.int64)).all(), pip


def test_fans_need_numpy_only_for_frames(monkeypatch):
    monkeypatch.setitem(sys.modules, "numpy", None)
    fan = Fan("circle", 4)
    assert fan.at(3, 1) == kinetrope.circle(-13).as_tuple()
    with pytest.raises(MissingDependency, match="'numpy' package"):
        fan.frame(0)


# -- bad input -------------------------------------------------------------------------------

@pytest.mark.parametrize("make, argument", [
    (lambda: Effect("no_such"), "source"),
    (lambda: Effect(42), "source"),  # type: ignore[arg-type]
    (lambda: Effect(RAMP, library=kinetrope.PatternLibrary()), "library"),
    (lambda: Effect("no_such", library=kinetrope.PatternLibrary()), "source"),
    (lambda: Effect(Wave(), phase="1/4"), "phase"),
    (lambda: Effect(Wave(period=10), period=12), "period"),
    (lambda: Effect(Wave(), period=0), "period"),
    (lambda: Effect("circle", rate=0), "rate"),
    (lambda: Effect("circle", rate="-1/2"), "rate"),
    (lambda: Effect("circle", rate=0.1), "rate"),
    (lambda: Effect("circle", rate="fast"), "rate"),
    (lambda: Effect("circle", rate="1/0"), "rate"),
    (lambda: Effect("circle", rate=True), "rate"),
    (lambda: Effect("circle", phase=1 / 3), "phase"),
    (lambda: Effect("circle", phase=math.inf), "phase"),
    (lambda: Effect("circle", shift=1.5), "shift"),  # type: ignore[arg-type]
    (lambda: Effect("circle", size="big"), "size"),  # type: ignore[arg-type]
    (lambda: Effect("circle", size=(1, 2)), "size"),
    (lambda: Effect("circle", size=math.nan), "size"),
    (lambda: Effect("circle", offset=0.5), "offset"),  # type: ignore[arg-type]
    (lambda: Effect("circle", rotate=math.inf), "rotate"),
    (lambda: Effect("circle", mirror="w"), "mirror"),
    (lambda: Effect("circle", mirror=True), "mirror"),  # type: ignore[arg-type]
    (lambda: Effect("circle", clamp=1), "clamp"),  # type: ignore[arg-type]
    (lambda: Fan(Wave(), 4), "effect"),
    (lambda: Fan("circle", 0), "count"),
    (lambda: Fan("circle", 8, spread=-1), "spread"),
    (lambda: Fan("circle", 8, spread=0.1), "spread"),
    (lambda: Fan("circle", 8, order="sideways"), "order"),
    (lambda: Fan("circle", 8, wings=9), "wings"),
    (lambda: Fan("circle", 8, blocks=0), "blocks"),
    (lambda: Fan("circle", 8, groups=2.0), "groups"),  # type: ignore[arg-type]
    (lambda: Fan("circle", 8, seed=3), "seed"),
    (lambda: Fan("circle", 8).at(0, 8), "member"),
])
def test_bad_input_names_the_argument(make, argument):
    with pytest.raises(ValueError, match=f"^{argument}"):
        make()


def test_a_source_must_give_three_numbers():
    class Flat:
        def sample(self, pip):
            return (0.0, 0.0)

    with pytest.raises(ValueError, match="^source: sample"):
        Effect(Flat())
