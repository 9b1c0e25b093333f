"""Shapes: exact rates and phases, waves and figures against formulas written apart, the
easings against pytweening, and what is refused."""

import math
import random
import re
from fractions import Fraction as F

import pytest
import pytweening

import kinetrope
from kinetrope_rig.shapes import (EASINGS, beats_of, ease, easing_curve, lfo, line, lissajous,
                                  polygon, rose)

OUT_OF_RANGE = "Pattern samples must be finite and within [-1, 1]"


def phase(pip, cycle, ahead=0):
    return (F(pip) / cycle + F(ahead)) % 1


@pytest.mark.parametrize("rate, beats, period", [
    ("1/1", 4, 256), ("1/2", 2, 128), ("1/4", 1, 64), ("1/8", F(1, 2), 32),
    ("1/16", F(1, 4), 16), ("1/32", F(1, 8), 8), ("1/4t", F(2, 3), 128), ("1/8t", F(1, 3), 64),
    ("1/32t", F(1, 12), 16), ("1/4.", F(3, 2), 96), ("1/32.", F(3, 16), 12), ("1 bar", 4, 256),
    (" 2 bars ", 8, 512), (3, 3, 192), (F(3, 7), F(3, 7), 192), (F(1, 128), F(1, 128), 1),
])
def test_a_rate_is_exact_and_its_pattern_closes_on_whole_cycles(rate, beats, period):
    assert beats_of(rate) == beats
    saw = lfo("saw", "saw_up", rate, phase=F(5, 8), low=-0.5)
    assert saw.period_pips == period
    for pip in range(-period, period):          # negative pips and wrapping phases
        assert saw.sample(pip).x == float(F(-0.5) + F(3, 2) * phase(pip, beats * 64, F(5, 8)))


@pytest.mark.parametrize("rate", ["1/3", "1/64", "3/4", "1/4tt", "1/04", "0 bars", "bars",
                                  "quarter", "", 0, -2, F(-1, 2), 1.5, True, None])
def test_a_bad_rate_says_what_a_rate_is(rate):
    with pytest.raises(ValueError, match=r"^rate: .* is not a rate; use a note value"):
        lfo("bad", "sine", rate)


# Each wave on -1..1 at phase f, written apart from the module's exact arithmetic.
WAVES = {
    "sine": lambda f: math.sin(2 * math.pi * f),
    "triangle": lambda f: 1 - 4 * abs((f + 0.25) % 1 - 0.5),
    "square": lambda f: 1.0 if f < F(3, 8) else -1.0,
    "saw_up": lambda f: 2 * f - 1,
    "saw_down": lambda f: 1 - 2 * f,
}


@pytest.mark.parametrize("wave", WAVES)
@pytest.mark.parametrize("rate, ahead", [("1/8t", F(1, 3)), ("1/4.", 0.75), (F(3, 7), 0)])
def test_each_wave_follows_its_formula(wave, rate, ahead):
    pattern = lfo("w", wave, rate, phase=ahead, low=-0.5, high=0.75, width=F(3, 8))
    cycle = beats_of(rate) * 64
    for pip in range(-pattern.period_pips, pattern.period_pips):
        f = phase(pip, cycle, ahead)
        unit = WAVES[wave](f if wave == "square" else float(f))
        assert pattern.sample(pip).x == pytest.approx(0.125 + 0.625 * unit, abs=2e-15)


def test_each_wave_starts_its_cycle_as_an_oscillator_does_with_exact_landmarks():
    def quarters(wave, **options):
        pattern = lfo("w", wave, "1/4", low=-0.5, high=1, **options)
        return [pattern.sample(pip).x for pip in (0, 1, 16, 32, 48)]

    for wave in ("sine", "triangle"):           # the middle, rising
        middle, rising, top, middle_again, bottom = quarters(wave)
        assert (middle, top, middle_again, bottom) == (0.25, 1.0, 0.25, -0.5) < (rising,)
    assert quarters("saw_up") == [-0.5, -0.5 + 1.5 / 64, -0.125, 0.25, 0.625]
    assert quarters("saw_down") == [1.0, 1.0 - 1.5 / 64, 0.625, 0.25, -0.125]
    assert quarters("square", width=F(1, 4)) == [1.0, 1.0, -0.5, -0.5, -0.5]


def test_random_holds_seeded_draws_from_python_s_generator():
    pattern = lfo("r", "random", "1 bar", steps=8, seed=7, low=-0.5, high=0.5)
    draws = random.Random(7)
    held = [draws.random() for _ in range(8)]
    assert [pattern.sample(pip).x for pip in range(256)] == \
        [float(F(-0.5) + F(held[pip // 32])) for pip in range(256)]
    other = lfo("r", "random", "1 bar", steps=8, seed=8, low=-0.5, high=0.5)
    assert pattern.sample(0).x != other.sample(0).x


def test_a_sine_on_xy_circles_as_kinetrope_circle_does_and_yx_turns_the_other_way():
    xy = lfo("c", "sine", "1/4", axis="xy")
    yx = lfo("c", "sine", "1/4", axis="yx")
    assert xy.sample(0).as_tuple() == (0.0, -1.0, 0.0)
    for pip in range(64):
        x, y, z = xy.sample(pip).as_tuple()
        assert (x, y, z) == pytest.approx(kinetrope.circle(pip).as_tuple(), abs=1e-15)
        assert yx.sample(pip).as_tuple() == (y, x, z)


def test_shapes_join_a_library_and_sample_by_name():
    made = [lfo("wobble", "sine", "1/8t", axis="xz"), ease("rise", "in_out_quad", "1 bar"),
            polygon("box", "2 bars", 4, 45)]
    library = kinetrope.PatternLibrary(made)
    listed = {entry["name"]: (entry["period_pips"], entry["dimensions"])
              for entry in library.catalogue()}
    assert (listed["wobble"], listed["rise"], listed["box"]) == ((64, 3), (256, 1), (512, 2))
    for pattern in made:
        for pip in (-1, 0, 37, 1000):
            assert library.sample(pattern.name, pip).as_tuple() == pattern.sample(pip).as_tuple()


def test_lissajous_follows_its_formula():
    pattern = lissajous("liss", "1/2t", 3, 2, F(1, 8))       # 256/3 pips: 3 figures in 256
    assert pattern.period_pips == 256
    for pip in range(256):
        f = float(phase(pip, F(256, 3)))
        assert pattern.sample(pip).as_tuple() == pytest.approx(
            (math.sin(2 * math.pi * (3 * f + 0.125)), math.sin(4 * math.pi * f), 0), abs=1e-14)


@pytest.mark.parametrize("sides, rotation", [(3, 0), (4, 0), (4, 45), (5, 10), (6, F(-30))])
def test_a_polygon_runs_corner_to_corner_at_constant_speed(sides, rotation):
    span = 16 * sides                                        # pips a lap, 16 an edge
    pattern = polygon("p", F(span, 64), sides, rotation)
    angles = [math.radians(90 + rotation + 360 * k / sides) for k in range(sides + 1)]
    corners = [(math.cos(a), math.sin(a)) for a in angles]
    reach = max(abs(c) for corner in corners for c in corner)
    for pip in range(span):
        (x0, y0), (x1, y1) = corners[pip // 16], corners[pip // 16 + 1]
        along = pip % 16 / 16
        assert pattern.sample(pip).as_tuple() == pytest.approx(
            ((x0 + (x1 - x0) * along) / reach, (y0 + (y1 - y0) * along) / reach, 0), abs=2e-15)
    if (sides, rotation) == (4, 45):
        assert [pattern.sample(16 * k).as_tuple() for k in range(4)] == [
            (-1.0, 1.0, 0.0), (-1.0, -1.0, 0.0), (1.0, -1.0, 0.0), (1.0, 1.0, 0.0)]


@pytest.mark.parametrize("angle, end", [(0, (1, 0)), (90, (0, 1)), (45, (1, 1)),
                                        (F(135), (-1, 1)), (210, (-1, -math.tan(math.pi / 6)))])
def test_a_line_swings_through_the_centre_at_constant_speed(angle, end):
    pattern = line("l", "1/2", angle)
    for pip in range(128):
        along = 1 - 4 * abs((pip / 128 + 0.25) % 1 - 0.5)
        assert pattern.sample(pip).as_tuple() == pytest.approx(
            (end[0] * along, end[1] * along, 0), abs=2e-15)
    if angle in (0, 90, 45):
        assert pattern.sample(32).as_tuple() == (*map(float, end), 0.0)


@pytest.mark.parametrize("petals, k, sweep", [(1, 1, 0.5), (3, 3, 0.5), (5, 5, 0.5), (4, 2, 1),
                                              (8, 4, 1)])
def test_a_rose_has_as_many_petals_as_asked(petals, k, sweep):
    pattern = rose("r", "1 bar", petals)
    reach = []
    for pip in range(256):
        theta = 2 * math.pi * sweep * pip / 256
        r = math.cos(k * theta)
        point = pattern.sample(pip).as_tuple()
        assert point == pytest.approx((r * math.cos(theta), r * math.sin(theta), 0), abs=1e-14)
        reach.append(math.hypot(*point))
    tips = sum(reach[p] > reach[p - 1] and reach[p] >= reach[(p + 1) % 256] for p in range(256))
    assert tips == petals


def pytweening_of(easing):
    if easing == "linear":
        return pytweening.linear
    way, family = easing.rsplit("_", 1)
    return getattr(pytweening, "ease" + way.title().replace("_", "") + family.title())


def bounce_shift(t):
    """Penner's last bounce is centred on 2.625/2.75, pytweening's on 2.65/2.75."""
    return 7.5625 * ((t - 2.625 / 2.75) ** 2 - (t - 2.65 / 2.75) ** 2) if t >= 2.5 / 2.75 else 0
# What is added to pytweening's curve to give Penner's, as a function of t.
PENNER_MINUS_PYTWEENING = {
    "out_bounce": bounce_shift,
    "in_bounce": lambda t: -bounce_shift(1 - t),
    "in_out_bounce": lambda t: -bounce_shift(1 - 2 * t) / 2 if t < 0.5 else bounce_shift(2 * t - 1) / 2,
}
GRID = [F(k, 2048) for k in range(1, 2048)]


@pytest.mark.parametrize("easing", EASINGS)
def test_every_easing_agrees_with_pytweening_but_for_penner_s_bounce(easing):
    ours, theirs = easing_curve(easing), pytweening_of(easing)
    # pytweening's in-out elastic defaults to a period of 0.5, Penner's to 0.3 * 1.5.
    options = {"period": 0.45} if easing == "in_out_elastic" else {}
    shift = PENNER_MINUS_PYTWEENING.get(easing, lambda t: 0)
    for t in GRID:
        expected = theirs(float(t), **options) + shift(float(t))
        assert float(ours(t)) == pytest.approx(expected, abs=1e-15)
    # Exact ends, as Penner guards elastic's; pytweening's elastic misses them by 2**-11.
    assert (ours(F(0)), ours(F(1))) == (0, 1)
    if easing == "out_bounce":
        assert max(abs(shift(float(t))) for t in GRID) > 6e-3


@pytest.mark.parametrize("easing, ours, theirs", [
    ("in_back", {"overshoot": 2.5}, {"s": 2.5}),
    ("out_back", {"overshoot": 0}, {"s": 0}),
    ("in_out_back", {"overshoot": 0.5}, {"s": 0.5}),
    ("out_elastic", {"amplitude": 1.5, "period": 0.4}, {"amplitude": 1.5, "period": 0.4}),
    ("in_elastic", {"period": 0.2}, {"period": 0.2}),
])
def test_back_and_elastic_take_their_parameters(easing, ours, theirs):
    curve, reference = easing_curve(easing, **ours), pytweening_of(easing)
    for t in GRID:
        assert float(curve(t)) == pytest.approx(reference(float(t), **theirs), abs=2e-15)
    assert (curve(F(0)), curve(F(1))) == (0, 1)


@pytest.mark.parametrize("amplitude, period", [(1.5, 0.4), (3, 0.25)])
def test_elastic_in_is_penner_s_own_formula_not_the_mirror_of_out(amplitude, period):
    ease_in = easing_curve("in_elastic", amplitude=amplitude, period=period)
    ease_out = easing_curve("out_elastic", amplitude=amplitude, period=period)
    s = period / (2 * math.pi) * math.asin(1 / amplitude)
    for t in map(float, GRID):
        penner = -(amplitude * 2 ** (10 * (t - 1)) * math.sin((t - 1 - s) * (2 * math.pi) / period))
        assert float(ease_in(F(t))) == pytest.approx(penner, abs=1e-14)
        # pytweening mirrors out instead; the two agree only for an amplitude of 1.
        mirror = 1 - float(ease_out(1 - F(t)))
        assert pytweening.easeInElastic(t, amplitude, period) == pytest.approx(mirror, abs=1e-14)


@pytest.mark.parametrize("n", [1, 3, 4, 7])
def test_steps_hold_each_level_for_one_step(n):
    pattern = ease("s", f"steps({n})", "1 bar", start=(-1, 0.5, 0), end=(1, -0.5, 0))
    for pip in range(256):
        level = F(math.floor(pip * n / 256), n)
        assert pattern.sample(pip).as_tuple() == (float(-1 + 2 * level), float(F(1, 2) - level), 0)


@pytest.mark.parametrize("beats", [1, "1/8t", F(3, 7)])
def test_ease_maps_t_onto_start_and_end_and_pingpong_comes_back(beats):
    start, end = (F(1, 2), F(-1), F(1, 4)), (F(-1, 2), F(1), F(1, 4))
    cycle = beats_of(beats) * 64
    repeat = ease("r", "in_cubic", beats, start=start, end=end)
    pingpong = ease("p", "in_cubic", beats, start=start, end=end, loop="pingpong")
    assert (repeat.period_pips, pingpong.period_pips) == (cycle.numerator, (2 * cycle).numerator)
    for pip in range(-pingpong.period_pips, pingpong.period_pips):
        there_and_back = phase(pip, 2 * cycle)
        for pattern, t in ((repeat, phase(pip, cycle)),
                           (pingpong, 1 - abs(1 - 2 * there_and_back))):
            assert pattern.sample(pip).as_tuple() == tuple(
                float(a + (b - a) * t ** 3) for a, b in zip(start, end))


BAD_INPUT = [
    ("wave", lambda: lfo("n", "sin", "1/4")),
    ("phase", lambda: lfo("n", "sine", "1/4", phase=1)),
    ("phase", lambda: lissajous("n", "1/4", 1, 2, -0.25)),
    ("width", lambda: lfo("n", "square", "1/4", width=1)),
    ("axis", lambda: lfo("n", "sine", "1/4", axis="xyz")),
    ("axis", lambda: lfo("n", "sine", "1/4", axis="xx")),
    ("low", lambda: lfo("n", "sine", "1/4", low=math.nan)),
    ("steps", lambda: lfo("n", "random", "1/4", steps=0)),
    ("seed", lambda: lfo("n", "random", "1/4", seed=-1)),
    ("rate", lambda: lfo("n", "sine", "300 bars")),
    ("x_cycles", lambda: lissajous("n", "1/4", 0, 1)),
    ("sides", lambda: polygon("n", "1/4", 2)),
    ("rotation", lambda: polygon("n", "1/4", 4, math.inf)),
    ("angle", lambda: line("n", "1/4", "45")),
    ("petals", lambda: rose("n", "1/4", 6)),
    ("easing", lambda: ease("n", "ease_in_quad", 1)),
    ("easing", lambda: ease("n", "steps(0)", 1)),
    ("beats", lambda: ease("n", "linear", "1/3")),
    ("loop", lambda: ease("n", "linear", 1, loop="bounce")),
    ("start", lambda: ease("n", "linear", 1, start=(0, 0))),
    ("overshoot", lambda: ease("n", "in_back", 1, overshoot=-1)),
    ("amplitude", lambda: ease("n", "in_elastic", 1, amplitude=0.5)),
    ("period", lambda: ease("n", "in_elastic", 1, period=0)),
]


@pytest.mark.parametrize("argument, build", BAD_INPUT,
                         ids=[f"{argument}-{i}" for i, (argument, _) in enumerate(BAD_INPUT)])
def test_bad_input_names_the_argument(argument, build):
    with pytest.raises(ValueError, match=rf"^{argument}: "):
        build()


@pytest.mark.parametrize("message, build", [
    (OUT_OF_RANGE, lambda: lfo("n", "sine", "1/4", low=-1.5)),
    (OUT_OF_RANGE, lambda: ease("n", "out_back", 1)),
    (OUT_OF_RANGE, lambda: ease("n", "linear", 1, end=(0, 0, 2))),
    (OUT_OF_RANGE, lambda: lfo("n", "sine", "1/4", high=10 ** 400)),     # past any float
    ("Invalid pattern name", lambda: rose("Rose", "1/4", 3)),
])
def test_the_module_s_own_rules_refuse_what_it_cannot_hold(message, build):
    with pytest.raises(ValueError, match=f"^{re.escape(message)}$"):
        build()
