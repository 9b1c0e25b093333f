"""The beat family: 68 drum scores times 16 motions. The scores' musical facts are read
back through the motions that show them (kick downstrokes, snare side accents, ricochet
returns), the motions' promises are checked on simple scores, and the family's binding
facts on all 1088 patterns."""

import functools
import itertools

import numpy as np
import pytest

import catalogue_records as records
import kinetrope

MOTIONS = records.MOTION_KEYS

# bounce and step stay in the plane for these grooves: they carry no bass cue.
FLAT = records.FLAT_BOUNCE_STEP
PEAK_LOW, PEAK_HIGH, STEP, _ = records.RULES["beat"]

AT_CAP = {"beat_house_shuffle_ricochet", "beat_house_jack_ricochet",
          "beat_techno_drive_ricochet", "beat_bassline_dive"}


@functools.lru_cache(maxsize=None)
def entries():
    return {e["name"]: e for e in kinetrope.catalogue() if e["name"].startswith("beat_")}


def split(name):
    for m in MOTIONS:
        if name.endswith("_" + m):
            return name[len("beat_"):-len(m) - 1], m
    raise AssertionError(name)


@functools.lru_cache(maxsize=None)
def grooves():
    seen = []
    for name in entries():
        g, _ = split(name)
        if g not in seen:
            seen.append(g)
    return tuple(seen)


@functools.lru_cache(maxsize=None)
def block(name):
    period = entries()[name]["period_pips"]
    return np.array([kinetrope.sample(name, p).as_tuple() for p in range(period)])


def pattern(groove, motion):
    return block(f"beat_{groove}_{motion}")


def local_extrema(values, threshold):
    """Pips where |values| is a circular local maximum at or above threshold."""
    a = np.abs(values)
    prev, nxt = np.roll(a, 1), np.roll(a, -1)
    return [int(p) for p in np.nonzero((a >= prev) & (a > nxt) & (a >= threshold))[0]]


def downstrokes(y):
    """Pips of the kick downstrokes: local minima of y well below zero."""
    low = -0.2 * np.abs(y).max()
    prev, nxt = np.roll(y, 1), np.roll(y, -1)
    return [int(p) for p in np.nonzero((y <= prev) & (y < nxt) & (y < low))[0]]


def side_accents(x):
    return local_extrema(x, 0.5 * np.abs(x).max())


def home_returns(b):
    """Pips where a ricochet stands exactly at its home point (that of pip 0)."""
    return [int(p) for p in np.nonzero((b == b[0]).all(axis=1))[0]]


def circ(p, q, period):
    d = abs(p - q) % period
    return min(d, period - d)


def flat_corr(a, b):
    return float(np.corrcoef(a.T.ravel(), b.T.ravel())[0, 1])


# ---- the family as a whole ----------------------------------------------------------

def test_product_of_68_grooves_and_16_motions():
    names = set(entries())
    assert len(names) == 1088
    assert len(grooves()) == 68
    assert names == {f"beat_{g}_{m}" for g in grooves() for m in MOTIONS}


@pytest.mark.parametrize("motion", MOTIONS)
def test_peaks_steps_and_rounding(motion):
    for g in grooves():
        name = f"beat_{g}_{motion}"
        b = block(name)
        peak = np.abs(b).max()
        assert PEAK_LOW <= peak <= PEAK_HIGH, name
        if name in AT_CAP:
            assert peak == PEAK_HIGH, name
            assert int((np.abs(b) == PEAK_HIGH).any(axis=1).sum()) == 1, name
        else:
            assert peak < PEAK_HIGH, name
        closed = np.vstack([b, b[:1]])
        assert np.abs(np.diff(closed, axis=0)).max() <= STEP, name
        inner = np.abs(np.diff(b, axis=0)).max(axis=0)
        seam = np.abs(b[0] - b[-1])
        assert (seam <= inner).all(), name
        assert (np.round(b, 12) == b).all(), name
        assert b[0].any(), f"{name} starts at the origin"


@pytest.mark.parametrize("motion", MOTIONS)
def test_dimensions_follow_the_bass_lane(motion):
    for g in grooves():
        name = f"beat_{g}_{motion}"
        b = block(name)
        flat = (motion in ("bounce", "step") and g in FLAT) or name == "beat_four_floor_orbit"
        assert entries()[name]["dimensions"] == (2 if flat else 3), name
        assert (b[:, 2] == 0.0).all() == flat, name
        assert b[:, 1].any(), name
        # A kicks-only score gives the bounce nothing to accent sideways.
        assert b[:, 0].any() == (name != "beat_four_floor_bounce"), name


def test_motions_of_one_groove_are_not_alike():
    for g in grooves():
        for m1, m2 in itertools.combinations(MOTIONS, 2):
            assert flat_corr(pattern(g, m1), pattern(g, m2)) < 0.999, (g, m1, m2)


@pytest.mark.parametrize("motion", MOTIONS)
def test_grooves_of_one_motion_are_not_alike(motion):
    for g1, g2 in itertools.combinations(grooves(), 2):
        a, b = pattern(g1, motion), pattern(g2, motion)
        if len(a) == len(b):
            assert flat_corr(a, b) < 0.999, (motion, g1, g2)


# ---- the scores, read back through the data -------------------------------------------

BEAT = 64
BAR = 256


@pytest.mark.parametrize("groove, kicks, snares", [
    ("four_floor", [0, 64, 128, 192], []),
    ("house_classic", list(range(0, 512, BEAT)), [64, 192, 320, 448]),
    # Backbeats on 2 and 4, the second kick on the & of 3.
    ("ukg_two_step", [0, 160, 256, 416], [64, 192, 320, 448]),
    # Snare on beat 3 of bar one, beat 4 of bar two.
    ("drill_displaced", None, [2 * BEAT, BAR + 3 * BEAT]),
    # Kick and rim together on beat three, nothing on the one.
    ("reggae_one_drop", [128, 384], [128, 384]),
])
def test_kick_downstrokes_and_snare_accents(groove, kicks, snares):
    b = pattern(groove, "bounce")
    if kicks is not None:
        assert downstrokes(b[:, 1]) == kicks
    if snares:
        assert side_accents(b[:, 0]) == snares
    else:
        assert not b[:, 0].any()


def test_house_classic_open_hats_on_the_offbeats():
    x = pattern("house_classic", "bounce")[:, 0]
    offbeats = [BEAT * k + 32 for k in range(8)]
    small = local_extrema(x, 0.1 * np.abs(x).max())
    assert set(offbeats) <= set(small)
    assert all(abs(x[p]) < 0.5 * np.abs(x).max() for p in offbeats)


def test_drill_hats_group_three_three_two_on_a_straight_grid():
    x = pattern("drill_tresillo", "bounce")[:, 0]
    flicks = local_extrema(x, 0.05 * np.abs(x).max())
    assert flicks == [BAR * bar + p for bar in (0, 1) for p in (0, 48, 96, 128, 176, 224)]
    gaps = np.diff(flicks + [flicks[0] + 512]) // 16
    assert list(gaps) == [3, 3, 2, 3, 3, 2] * 2


def test_drill_rolls_fill_is_a_true_triplet():
    x = pattern("drill_rolls", "bounce")[:, 0]
    last_beat = [p for p in local_extrema(x, 0.05 * np.abs(x).max()) if p >= 448]
    # Six hats in one beat: every 64/6 pips, off the sixteenth grid.
    assert len(last_beat) == 6
    for k, p in enumerate(last_beat):
        assert abs(p - (448 + 64 * k / 6)) <= 1.0, (k, p)
    assert any(p % 16 != 0 for p in last_beat)


def test_jungle_switch_drops_main_snares_in_its_last_half():
    x = pattern("jungle_switch", "bounce")[:, 0]
    accents = side_accents(x)
    assert accents == [64, 192, 320, 448, 640, 896]
    first, last = [p for p in accents if p < 512], [p for p in accents if p >= 512]
    assert len(last) < len(first)


def test_amen_without_ghosts_drops_only_the_quiet_snares():
    full, bare = pattern("amen_four_bar", "bounce"), pattern("amen_no_ghosts", "bounce")
    # The kicks are untouched.
    assert (full[:, 1] == bare[:, 1]).all()
    # Quiet snares: the e of 2 and the & of 3 (and the a of 4 in bars one and two, the
    # e of 1 in bar four); nothing else sounds on those sixteenths.
    ghosts = []
    for bar, steps in enumerate([(7, 9, 15), (7, 9, 15), (7, 9), (1, 7, 9)]):
        ghosts += [BAR * bar + 16 * s for s in steps]
    for p in ghosts:
        assert full[p, 0] != 0.0 and bare[p, 0] == 0.0, p
        assert abs(full[p, 0]) < 0.5 * np.abs(full[:, 0]).max(), p
    # Every loud snare survives: beats 2 and 4, the late snare of bar three, the early one
    # of bar four.
    main = [64, 192, 320, 448, 576, 736, 832, 992]
    assert side_accents(full[:, 0]) == main
    assert side_accents(bare[:, 0]) == main


@pytest.mark.parametrize("motion", ["bounce", "surge"])
def test_son_clave_directions(motion):
    three_two, two_three = pattern("son_clave_32", motion), pattern("son_clave_23", motion)
    clave_32 = [0, 96, 192, 320, 384]  # beats 1, 2& and 4, then 2 and 3
    clave_23 = [(p + BAR) % 512 for p in clave_32]  # the same bars, swapped
    # Only the clave differs: compare at one scale, fixed by an axis the clave leaves alone.
    ref = 1 if motion == "bounce" else 2
    k = int(np.argmax(np.abs(three_two[:, ref])))
    scale = three_two[k, ref] / two_three[k, ref]
    assert np.allclose(three_two[:, ref], scale * two_three[:, ref], atol=1e-11)
    diff = three_two[:, 0] - scale * two_three[:, 0]
    hits = local_extrema(diff, 0.5 * np.abs(diff).max())
    assert hits == sorted(clave_32 + clave_23)
    assert np.allclose(np.abs(diff[hits]), np.abs(diff[hits[0]]), atol=1e-11)
    far = [p for p in range(512) if min(circ(p, c, 512) for c in clave_32 + clave_23) > 26]
    assert np.abs(diff[far]).max() < 1e-11


def test_techno_polymeter_closes_after_three_bars():
    b = pattern("techno_polymeter", "bounce")
    assert len(b) == 3 * BAR
    # The 4/4 kick repeats every bar ...
    assert (b[:, 1] == np.roll(b[:, 1], BAR)).all()
    # ... while the percussion, one hit every three sixteenths, lands differently in each
    # bar: the bars differ exactly around the cycle's hits and nowhere else.
    cycle = list(range(0, 3 * BAR, 48))
    assert len(cycle) == 16
    for shift in (BAR, 2 * BAR):
        diff = b[:, 0] - np.roll(b[:, 0], shift)
        near = [p for p in range(3 * BAR)
                if min(min(circ(p, c, 3 * BAR), circ(p - shift, c, 3 * BAR)) for c in cycle) < 8]
        assert np.abs(diff).max() > 0.01
        assert np.abs(np.delete(diff, near)).max() < 1e-12


# ---- what each motion promises ---------------------------------------------------------

def test_bounce_is_a_downstroke_on_every_kick():
    b = pattern("four_floor", "bounce")
    assert downstrokes(b[:, 1]) == [0, 64, 128, 192]
    assert (b[:, 1] <= 0.0).all()
    assert np.allclose(b[[0, 64, 128, 192], 1], b[:, 1].min())


@pytest.mark.parametrize("groove, steps", [
    ("house_classic", [64, 192, 320, 448]),
    ("ukg_two_step", [64, 192, 320, 448]),
    ("four_floor", [0, 64, 128, 192]),  # no snare: the kicks take the steps
])
def test_step_alternates_sides(groove, steps):
    x = pattern(groove, "step")[:, 0]
    signs = [np.sign(x[p]) for p in steps]
    assert all(s != 0 for s in signs)
    assert all(a == -b for a, b in zip(signs, signs[1:]))
    # Between steps the side is held: the foot stands where the last step put it.
    for a, b in zip(steps, steps[1:]):
        assert np.sign(x[(a + b) // 2]) == np.sign(x[a])


def test_spring_rests_until_its_first_event():
    b = pattern("reggae_one_drop", "spring")
    rest = b[0]
    assert rest[0] == 0.0 and rest[2] == 0.0 and rest[1] < 0.0
    first = 32  # the first offbeat hat; bass, kick and rim come later
    assert (b[:first] == rest).all()
    assert (b[first + 1] != rest).any()


def test_spring_starts_every_event_from_rest():
    b = pattern("four_floor", "spring")
    rest = b[0]
    for kick in (0, 64, 128, 192):
        assert (b[kick] == rest).all()
        # Zero slope at the start: the first pips barely move, then the ringing builds.
        swing = np.abs(b[kick:kick + 64] - rest).max()
        assert np.abs(b[kick + 1] - rest).max() < 0.15 * swing
    # Damped: each excursion rings with decaying swings of both signs.
    y = b[:64, 1] - rest[1]
    assert y.min() < 0.0 < y.max()
    assert abs(y[:32]).max() > abs(y[32:]).max()


def test_every_spring_is_at_rest_on_the_downbeat():
    for g in grooves():
        b = pattern(g, "spring")
        assert b[0, 0] == 0.0 and b[0, 2] == 0.0 and b[0, 1] < 0.0, g


@pytest.mark.parametrize("groove, onsets", [
    ("four_floor", [0, 64, 128, 192]),
    # Kicks, claps, open hats and the rim on the a of 1, the e of 3 and the & of 4.
    ("techno_drive", sorted({BAR * bar + p for bar in (0, 1)
                             for p in [0, 64, 128, 192, 32, 96, 160, 224, 48, 144, 224]})),
])
def test_ricochet_one_excursion_per_onset(groove, onsets):
    b = pattern(groove, "ricochet")
    assert home_returns(b) == onsets
    dist = np.abs(b - b[0]).max(axis=1)
    for a, z in zip(onsets, onsets[1:] + [onsets[0] + len(b)]):
        gap = dist[np.arange(a, z) % len(b)]
        bumps = [p for p in range(1, len(gap) - 1) if gap[p] > gap[p - 1] and gap[p] >= gap[p + 1]]
        assert len(bumps) == 1, (groove, a)


def test_ricochet_cap_is_the_full_velocity_downbeat():
    b = pattern("techno_drive", "ricochet")
    at = np.nonzero((np.abs(b) == 0.92).any(axis=1))[0]
    assert len(at) == 1 and 0 < at[0] < 32
