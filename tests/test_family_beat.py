"""The beat family: drum scores (grooves) times motions. How its members are named, timed
and described; the scores' musical facts read back through the motions that show them (kick
downstrokes, snare side accents, ricochet returns); the motions' promises checked on simple
scores; and the family's binding facts on every pattern."""

import itertools

import numpy as np
import pytest

from catalogue_data import block, listed
from catalogue_records import EM, RULES

PEAK_HIGH = RULES["beat"][1]
# The patterns that a full-velocity hit drives to the family's cap, at one pip.
AT_CAP = {"beat_house_shuffle_ricochet", "beat_house_jack_ricochet",
          "beat_techno_drive_ricochet", "beat_bassline_dive"}

# ---- the members' names, periods and descriptions ---------------------------------------

# The earlier grooves: key, label, and the note that ends the descriptions of the motions
# that have a later version ("" for none; None where the note is worded by us, see below).
EARLIER = [
    ("four_floor", "Four to the floor / bare pulse",
     "Equal quarter-note kicks only. This shared foundation is not itself a complete genre."),
    ("house_classic", "House / kick-clap-offbeat hat", ""),
    ("house_shuffle", "House / shuffled hats", ""),
    ("house_jack", "Jackin house / ghost-kick turnaround",
     "Original swung variant: extra ghost kicks and claps; not a transcription of a named track."),
    ("techno_drive", "Techno / straight driving pulse", ""),
    ("techno_toms", "Techno / tom conversation", ""),
    ("techno_broken", "Techno / broken kick study",
     "A deliberately broken alternative; not all techno uses a quarter-note kick."),
    ("techno_polymeter", "Techno / three-step percussion cycle",
     "Original three-sixteenth percussion cycle over 4/4: both layers close after three bars."),
    ("ukg_two_step", "UK garage / two-step foundation",
     "Backbeats on 2/4; the second kick sits on the & of 3. Off-grid hats supply shuffle."),
    ("ukg_skip", "UK garage / skipping answer", ""),
    ("ukg_four_four", "UK garage / four-four shuffle",
     "Garage also has a four-to-the-floor branch; it is not all two-step."),
    ("speed_garage", "Speed garage / offbeat bass answers", None),  # worded by us, see below
    ("bassline", "Bassline / syncopated low-end hooks", ""),
    ("grime_sparse", "Grime / sparse square-cut backbeat", ""),
    ("grime_syncopated", "Grime / displaced snare conversation",
     "A 140 BPM syncopated study; grime has no single mandatory snare pattern."),
    ("grime_half", "Grime / half-time negative space", ""),
    ("drill_tresillo", "UK drill / grouped hats",
     "3+3+2 sixteenth grouping is not a tuplet: the grid here remains straight."),
    ("drill_displaced", "UK drill / moving second-bar snare",
     "Snare: beat 3 in bar one, beat 4 in bar two. This is one common design, not a rule for all drill."),
    ("drill_rolls", "UK drill / true triplet hat fill",
     "The added hat fill uses rational tuplets; grouped hats and triplet rolls remain distinct concepts."),
    ("amen_four_bar", "Amen / four-bar structural study", None),  # worded by us, see below
    ("amen_no_ghosts", "Amen / remove the ghost snares",
     "A/B study: only quiet snares removed. This deliberately simplified version is not the complete Amen."),
    ("jungle_chops", "Jungle / rearranged break fragments",
     "Original chopped-break-style arrangement, not the original Amen sequence."),
    ("jungle_ghosts", "Jungle / ghosts and snare rolls", ""),
    ("jungle_switch", "Jungle / full-time to half-time answer",
     "Four-bar original phrase: the final half uses fewer main snares, not a tempo change."),
    ("dnb_two_step", "Drum & bass / two-step foundation", ""),
    ("dnb_rolling", "Drum & bass / rolling ghosts", ""),
    ("dnb_half", "Drum & bass / half-time space", ""),
    ("dubstep_half", "Dubstep / half-step anchor", ""),
    ("dubstep_skip", "Dubstep / skippy half-step", ""),
    ("trap_trills", "Trap / half-time and hat trills", ""),
    ("electro", "Electro / broken machine groove", ""),
    ("trance", "Trance / offbeat lift",
     "Offbeat bass/pulse is included. A rhythmic sketch cannot supply trance harmony, timbre or arrangement."),
    ("rave_breaks", "Rave / four-floor plus break layer", ""),
    ("dembow", "Reggaeton / dembow answer",
     "Quarter-note kick version with offbeat snare answers; one useful dembow foundation, not every dancehall rhythm."),
    ("disco", "Disco / lively hat accents", ""),
    ("amapiano", "Amapiano / shaker and bass-percussion study",
     "An original percussion and log-drum-style bass rhythm. Pitched bass is a cue lane, not a downloaded sample."),
]

# The later grooves, which play the later version of every motion that has one: key, label.
LATER = [
    ("jersey_five", "Jersey / five-kick foundation"),
    ("jersey_call", "Jersey / call and turnaround"),
    ("footwork_triplet", "Footwork / triplet bass reply"),
    ("footwork_sparse", "Footwork / interrupted half-time"),
    ("funky_toms", "UK funky / tom-led skips"),
    ("funky_syncopated", "UK funky / broken response"),
    ("broken_push", "Broken beat / early-and-late answers"),
    ("broken_shuffle", "Broken beat / shuffled rim circuit"),
    ("afro_bell", "Afro house / bell and kick weave"),
    ("afro_cross", "Afro house / three-over-four percussion"),
    ("gqom_space", "Gqom / broken-kick space study"),
    ("gqom_exchange", "Gqom / staggered drum exchange"),
    ("baile_toms", "Baile funk / low-drum conversation"),
    ("baile_response", "Baile funk / syncopated answer"),
    ("reggae_one_drop", "Reggae / one-drop foundation"),
    ("reggae_steppers", "Dub / steppers foundation"),
    ("reggae_rockers", "Reggae / kick-on-one-and-three study"),
    ("son_clave_32", "Latin club / 3-2 son clave"),
    ("son_clave_23", "Latin club / 2-3 son clave"),
    ("psy_rolling", "Psy / straight rolling bass gaps"),
    ("psy_offbeat", "Trance / offbeat bass exchange"),
    ("hard_reverse", "Hard dance / delayed bass swell cues"),
    ("italo_machine", "Italo / machine rim conversation"),
    ("electro_robot", "Electro / asymmetric machine break"),
    ("acid_percussion", "Acid house / syncopated machine accents"),
    ("techno_rumble", "Techno / delayed low-end answer"),
    ("ukg_rim_shuffle", "Garage / rim-led skipping pocket"),
    ("dnb_push", "DnB / kick pickup and ghost reply"),
    ("jungle_switchback", "Jungle / two-bar switchback"),
    ("amapiano_answer", "Amapiano / log-like bass answer"),
    ("dancehall_space", "Dancehall / spacious offbeat replies"),
    ("dembow_push", "Reggaeton / dembow with pickup answer"),
]

GROOVE_KEYS = [g[0] for g in EARLIER + LATER]

# The two notes whose first (speed_garage) or leading (amen) sentence is ours to word; the
# tests hold them to the shape: the quoted part in place, one added sentence.
SPEED_GARAGE_LEAD = "Bass onsets are included as movement cues. "
AMEN_TAIL = (" Four bars, not a generic 2-bar loop. Timing/velocity are approximations; "
             "no original recording or measured human microtiming.")

# Motions: key, title, sentence (None for the groove's note).
MOTIONS = [
    ("bounce", "Kick-led bounce", None),
    ("step", "Snare side-step", None),
    ("orbit", "Percussion orbit", None),
    ("glide", "Bass-and-phrase glide", None),
    ("surge", "Forward surge", "Kick thrust through depth with contrasting snare lift and hat detail."),
    ("recoil", "Backbeat recoil", "Snare pushes sideways; kick counters downward; delayed echo draws back."),
    ("flutter", "Upper-percussion flutter", "Hat and shaker tremors over a wider kick/snare arc."),
    ("dive", "Bass-led dive", "Bass drives a broad depth plunge with alternating drum counterweight."),
    ("pendulum", "Weighted pendulum", "A hanging arc whose amplitude and angular speed respond to the score."),
    ("figure8", "Woven figure eight", "Two crossing lobes expand at kicks with a lifted snare crossing."),
    ("box", "Rounded corner tour", "Rhythm-weighted phase travels around four softened corners."),
    ("corkscrew", "Closed corkscrew", "Two orbital turns ride a depth wave with percussion-driven radius."),
    ("spiral", "Breathing spiral", "A contracting and expanding double-turn path with a continuous seam."),
    ("slalom", "Drum slalom", "S-shaped travel with kick lift, snare cutbacks and depth counter-motion."),
    ("spring", "Causal spring", "An event starts at rest, then drives a damped ringing excursion."),
    ("ricochet", "Directional ricochet", "Successive onsets send smooth excursions toward a cyclic series of targets."),
]

MOTION_KEYS = [key for key, _, _ in MOTIONS]

# The later versions of the motions that have one: title, sentence.
LATER_VERSIONS = {
    "bounce": ("Kick-led bounce", "Original Vessa 05 kick-led downstroke and side accents."),
    "step": ("Snare side-step", "Original Vessa 05 alternating lateral kick and snare gestures."),
    "orbit": ("Percussion orbit", "Original Vessa 05 event-weighted orbital speed, radius and depth."),
    "glide": ("Bass / phrase glide", "Original Vessa 05 continuous phrase path with bass excursions."),
}

GROOVE_PERIODS = {"four_floor": 256, "techno_polymeter": 768, "amen_four_bar": 1024,
                  "amen_no_ghosts": 1024, "jungle_switch": 1024}

# The grooves that carry no bass cue: bounce and step, whose depth only the bass moves, stay
# in the plane for them. The orbit's depth follows everything but the kick, so it stays in
# the plane only for a score of kicks alone.
NO_BASS = set("""four_floor house_classic house_shuffle house_jack techno_drive techno_toms
techno_broken techno_polymeter ukg_two_step ukg_skip ukg_four_four grime_sparse grime_syncopated
jungle_chops jungle_ghosts jungle_switch dnb_two_step dnb_rolling electro rave_breaks dembow disco
jersey_five baile_toms""".split())
KICKS_ONLY = {"four_floor"}


def flat(groove, motion):
    return ((motion in ("bounce", "step") and groove in NO_BASS)
            or (motion == "orbit" and groove in KICKS_ONLY))


def beat_record(groove, motion, later):
    """(name, description, period, dimensions); the description is None where the note is
    worded by us."""
    key, label, *note = groove
    motion_key, title, sentence = motion
    if later and motion_key in LATER_VERSIONS:
        title, sentence = LATER_VERSIONS[motion_key]
    text = note[0] if sentence is None else sentence
    description = None if text is None else f"{label} {EM} {title}. {text}"
    return (f"beat_{key}_{motion_key}", description, GROOVE_PERIODS.get(key, 512),
            2 if flat(key, motion_key) else 3)


def expected_records():
    """The earlier grooves with the motions that have a later version, then with the
    others; then the later grooves with every motion."""
    noted = [m for m in MOTIONS if m[0] in LATER_VERSIONS]
    others = [m for m in MOTIONS if m[0] not in LATER_VERSIONS]
    return ([beat_record(g, m, False) for g in EARLIER for m in noted]
            + [beat_record(g, m, False) for g in EARLIER for m in others]
            + [beat_record(g, m, True) for g in LATER for m in MOTIONS])


def test_members_are_named_timed_and_described():
    got, want = listed("beat"), expected_records()
    assert [r[0] for r in got] == [r[0] for r in want]
    for g, w in zip(got, want):
        assert (g[2], g[3]) == (w[2], w[3]), g[0]
        if w[1] is not None:
            assert g[1] == w[1]


def test_the_two_worded_notes_keep_the_quoted_text():
    descriptions = {name: d for name, d, _, _ in listed("beat")}
    for motion in LATER_VERSIONS:
        speed = descriptions[f"beat_speed_garage_{motion}"].split(". ", 1)[1]
        assert speed.startswith(SPEED_GARAGE_LEAD)
        amen = descriptions[f"beat_amen_four_bar_{motion}"].split(". ", 1)[1]
        assert amen.endswith(AMEN_TAIL)
        for added, words in ((speed[len(SPEED_GARAGE_LEAD):], ("synthesizer", "bass patch")),
                             (amen[:-len(AMEN_TAIL)], ("Amen, Brother", "Winstons", "1969"))):
            assert all(w in added for w in words)
            assert added.endswith(".") and len(added) > 20 and "  " not in added


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

@pytest.mark.parametrize("motion", MOTION_KEYS)
def test_the_cap_is_reached_at_one_pip_and_no_loop_starts_at_the_origin(motion):
    for g in GROOVE_KEYS:
        name = f"beat_{g}_{motion}"
        b = block(name)
        if name in AT_CAP:
            assert int((np.abs(b) == PEAK_HIGH).any(axis=1).sum()) == 1, name
        else:
            assert np.abs(b).max() < PEAK_HIGH, name
        assert b[0].any(), f"{name} starts at the origin"


@pytest.mark.parametrize("motion", MOTION_KEYS)
def test_every_pattern_moves_up_and_down(motion):
    for g in GROOVE_KEYS:
        name = f"beat_{g}_{motion}"
        b = block(name)
        assert b[:, 1].any(), name
        # A kicks-only score gives the bounce nothing to accent sideways.
        assert b[:, 0].any() == (name != "beat_four_floor_bounce"), name


def test_motions_of_one_groove_are_not_alike():
    for g in GROOVE_KEYS:
        for m1, m2 in itertools.combinations(MOTION_KEYS, 2):
            assert flat_corr(pattern(g, m1), pattern(g, m2)) < 0.999, (g, m1, m2)


@pytest.mark.parametrize("motion", MOTION_KEYS)
def test_grooves_of_one_motion_are_not_alike(motion):
    for g1, g2 in itertools.combinations(GROOVE_KEYS, 2):
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
    for g in GROOVE_KEYS:
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
