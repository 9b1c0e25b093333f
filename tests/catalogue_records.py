"""The built-in table's records as the naming rules compose them, and each family's rule
class, written out here apart from the generator so the tests can hold the two against each
other. The other test modules take these facts from here.

expected_records() -> list of (name, description, period, dimensions, family) in table order.
"""

import functools

EM = "\u2014"

# The census of the whole table: how many records, how many of each period and dimension
# count, and the names that stand at the borders of the family runs.
RECORDS = 1716
PERIODS = {256: 41, 512: 1304, 1024: 307, 768: 17, 352: 6, 416: 6, 448: 6, 224: 5, 288: 5,
           480: 5, 320: 4, 384: 4, 160: 3, 544: 1, 608: 1, 640: 1}
DIMENSIONS = {1: 29, 2: 321, 3: 1366}
EDGES = {0: "lfo_breathe", 27: "groove_b_grid", 28: "lfo_twin_swell", 52: "wave_pinched",
         627: "burst_5_6_2", 628: "beat_four_floor_bounce", 771: "beat_amapiano_glide",
         772: "beat_four_floor_surge", 1203: "beat_amapiano_ricochet",
         1204: "beat_jersey_five_bounce", 1715: "beat_dembow_push_ricochet"}

# Positions 0-51: name, period, dimensions. Their descriptions are checked by shape and by
# the few quoted in SAMPLE_DESCRIPTIONS.
FIRST = """
lfo_breathe 256 1, lfo_surge 256 1, lfo_soft_gate 256 1, lfo_double_pump 256 2,
lfo_ratchet 256 2, lfo_glide_stair 256 1, lfo_morph 512 2, lfo_flower 512 2,
rhythm_euclid_3_8 256 2, rhythm_euclid_5_12 256 2, rhythm_three_two 256 2, rhythm_half_time 256 2,
rudiment_double_paradiddle 256 2, rudiment_paradiddle_diddle 256 2, rudiment_six_stroke 256 2,
rudiment_flam_accent 256 2, ease_rebound 256 1, ease_anticipate 256 1, ease_overshoot 256 1,
ease_elastic 256 1, akwf_round_saw 256 1, akwf_quick_return 256 1, akwf_multi_lobe 256 1,
akwf_plateau 256 1, groove_a_played 512 2, groove_a_grid 512 2, groove_b_played 512 2,
groove_b_grid 512 2, lfo_twin_swell 512 2, lfo_pulse_hold 256 1, lfo_sweep_ratchet 512 2,
lfo_triplet_wobble 512 2, lfo_breathing_orbit 512 2, lfo_seeded_drift 1024 2,
lfo_pendulum_dwell 512 2, lfo_reverse_swell 512 2, path_lissajous_2_3 512 2, path_rose_4 512 2,
path_rose_5 512 2, path_bowed_diamond 512 2, path_orbit_dwell 512 2, path_torus_knot 1024 3,
path_woven_3d 1024 3, path_crank_slider 256 2, rhythm_five_four 512 2, rhythm_seven_four 512 2,
rhythm_euclid_7_16 512 2, rhythm_euclid_5_16 512 2, rhythm_swung_answer 256 2,
rhythm_group_332 512 2, rhythm_group_223 448 2, rhythm_three_four_five 512 3
"""

SAMPLE_DESCRIPTIONS = {
    "lfo_breathe": "A four-beat, single-axis sine. The quiet reference for judging busier shapes.",
    "rhythm_euclid_5_12": "5 evenly distributed onsets on a 12-step grid. Alternating lateral gestures.",
    "groove_b_grid": "Two-bar funk excerpt B (36\u201344 source beats), same hits quantised to sixteenths.",
    "path_rose_5": "Five petals in one complete eight-beat traversal; the odd-petal parameter runs "
                   "through pi, not two pi.",
    "rudiment_six_stroke": "Visual sticking study RLLRRL LRRLLR; equal triplet spacing over four "
                           "beats. This is a movement interpretation, not a complete "
                           "drum-performance notation.",
}

# Grooves: key, label, note (block 1 only; "" for none). Grooves 36 on have no note.
GROOVES = [
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
    ("jersey_five", "Jersey / five-kick foundation", ""),
    ("jersey_call", "Jersey / call and turnaround", ""),
    ("footwork_triplet", "Footwork / triplet bass reply", ""),
    ("footwork_sparse", "Footwork / interrupted half-time", ""),
    ("funky_toms", "UK funky / tom-led skips", ""),
    ("funky_syncopated", "UK funky / broken response", ""),
    ("broken_push", "Broken beat / early-and-late answers", ""),
    ("broken_shuffle", "Broken beat / shuffled rim circuit", ""),
    ("afro_bell", "Afro house / bell and kick weave", ""),
    ("afro_cross", "Afro house / three-over-four percussion", ""),
    ("gqom_space", "Gqom / broken-kick space study", ""),
    ("gqom_exchange", "Gqom / staggered drum exchange", ""),
    ("baile_toms", "Baile funk / low-drum conversation", ""),
    ("baile_response", "Baile funk / syncopated answer", ""),
    ("reggae_one_drop", "Reggae / one-drop foundation", ""),
    ("reggae_steppers", "Dub / steppers foundation", ""),
    ("reggae_rockers", "Reggae / kick-on-one-and-three study", ""),
    ("son_clave_32", "Latin club / 3-2 son clave", ""),
    ("son_clave_23", "Latin club / 2-3 son clave", ""),
    ("psy_rolling", "Psy / straight rolling bass gaps", ""),
    ("psy_offbeat", "Trance / offbeat bass exchange", ""),
    ("hard_reverse", "Hard dance / delayed bass swell cues", ""),
    ("italo_machine", "Italo / machine rim conversation", ""),
    ("electro_robot", "Electro / asymmetric machine break", ""),
    ("acid_percussion", "Acid house / syncopated machine accents", ""),
    ("techno_rumble", "Techno / delayed low-end answer", ""),
    ("ukg_rim_shuffle", "Garage / rim-led skipping pocket", ""),
    ("dnb_push", "DnB / kick pickup and ghost reply", ""),
    ("jungle_switchback", "Jungle / two-bar switchback", ""),
    ("amapiano_answer", "Amapiano / log-like bass answer", ""),
    ("dancehall_space", "Dancehall / spacious offbeat replies", ""),
    ("dembow_push", "Reggaeton / dembow with pickup answer", ""),
]

# The two notes whose first (speed_garage) or leading (amen) sentence is ours to word; the
# tests hold them to the shape: the quoted part in place, one added sentence.
SPEED_GARAGE_LEAD = "Bass onsets are included as movement cues. "
AMEN_TAIL = (" Four bars, not a generic 2-bar loop. Timing/velocity are approximations; "
             "no original recording or measured human microtiming.")

# The grooves from this position on are the later set: they use the newer version of the
# first motions, and all their patterns follow those of the earlier grooves.
NEWER_FROM = 36
FIRST_MOTIONS = 4

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

BLOCK3_FIRST = [
    ("Kick-led bounce", "Original Vessa 05 kick-led downstroke and side accents."),
    ("Snare side-step", "Original Vessa 05 alternating lateral kick and snare gestures."),
    ("Percussion orbit", "Original Vessa 05 event-weighted orbital speed, radius and depth."),
    ("Bass / phrase glide", "Original Vessa 05 continuous phrase path with bass excursions."),
]

GROOVE_PERIODS = {"four_floor": 256, "techno_polymeter": 768, "amen_four_bar": 1024,
                  "amen_no_ghosts": 1024, "jungle_switch": 1024}

FLAT_BOUNCE_STEP = set("""four_floor house_classic house_shuffle house_jack techno_drive techno_toms
techno_broken techno_polymeter ukg_two_step ukg_skip ukg_four_four grime_sparse grime_syncopated
jungle_chops jungle_ghosts jungle_switch dnb_two_step dnb_rolling electro rave_breaks dembow disco
jersey_five baile_toms""".split())


# family: (lowest peak, highest peak, largest step between neighbouring pips with the seam,
# where pip 0 lies: anywhere, exactly at the origin, or within 0.00001 of it)
RULES = {
    "lfo": (0.75, 0.85, 0.154, "free"),
    "rhythm": (0.7, 0.85, 0.150, "free"),
    "rudiment": (0.82, 0.82, 0.138, "free"),
    "ease": (0.65, 0.8, 0.057, "free"),
    "akwf": (0.85, 0.85, 0.192, "free"),
    "groove": (0.6488, 1.0, 0.135, "free"),
    "path": (0.72, 0.82, 0.026, "free"),
    "wave": (0.82, 0.82, 0.044, "free"),
    "env": (0.7, 0.82, 0.039, "exact"),
    "seq": (0.82, 0.82, 0.051, "free"),
    "noise": (0.82, 0.82, 0.029, "free"),
    "orbit": (0.82, 0.82, 0.021, "free"),
    "weave": (0.82, 0.82, 0.037, "free"),
    "polar": (0.82, 0.82, 0.030, "free"),
    "spiro": (0.82, 0.82, 0.030, "free"),
    "space": (0.82, 0.82, 0.026, "free"),
    "mech": (0.82, 0.82, 0.031, "free"),
    "euclid": (0.75, 0.75, 0.064, "free"),
    "poly": (0.52, 0.52, 0.057, "free"),
    "meter": (0.72, 0.72, 0.059, "free"),
    "swing": (0.585, 0.585, 0.072, "free"),
    "stick": (0.74, 0.74, 0.096, "free"),
    "gesture": (0.82, 0.82, 0.043, "free"),
    "ribbon": (0.82, 0.82, 0.016, "free"),
    "contour": (0.8199, 0.82, 0.043, "free"),
    "silhouette": (0.8199, 0.82, 0.028, "free"),
    "spline": (0.8197, 0.82, 0.034, "free"),
    "tour": (0.82, 0.82, 0.037, "free"),
    "scan": (0.82, 0.82, 0.045, "free"),
    "reach": (0.8199, 0.82, 0.029, "exact"),
    "surface": (0.82, 0.82, 0.033, "free"),
    "braid": (0.8198, 0.82, 0.026, "free"),
    "arm": (0.8199, 0.82, 0.027, "free"),
    "dwell": (0.8199, 0.82, 0.029, "free"),
    "packet": (0.8196, 0.82, 0.168, "near"),
    "canon": (0.279, 0.311, 0.080, "free"),
    "echo": (0.2489, 0.31, 0.075, "free"),
    "ladder": (0.32, 0.32, 0.103, "free"),
    "necklace": (0.248, 0.248, 0.046, "free"),
    "accent_walk": (0.2561, 0.3139, 0.077, "free"),
    "triplet": (0.2945, 0.2945, 0.076, "free"),
    "dialogue": (0.32, 0.32, 0.059, "free"),
    "burst": (0.288, 0.288, 0.097, "free"),
    "beat": (0.1552, 0.92, 0.268, "free"),
}


def two_digits(count=16):
    """The member numbers of the numbered families: "01", "02", ..."""
    return [f"{n:02d}" for n in range(1, count + 1)]


def _words(text):
    return text.replace(",", " ").split()


def _group_sum(suffix):
    return sum(int(n) for n in suffix.split("_"))


def _sixteen():
    """(family, suffixes, period(suffix), dims(suffix, i), description(suffix, i))."""
    def fixed(value):
        return lambda *_: value

    def three_if(*names):
        return lambda s, i: 3 if s in names else 2

    second_half = lambda s, i: 2 if i < 8 else 3  # noqa: E731
    nn = two_digits()
    pairs8 = _words("1_2 1_3 1_4 1_5 2_3 2_5 3_4 3_5")

    def by_n(styles, ns):
        return [f"{style}_{n}" for n in ns for style in styles]

    wave_titles = ["Pinched sine", "Shouldered sine", "Folded sine", "Double-fold wave",
                   "Rounded square", "Soft rectified swell", "Phase-skew sweep", "Scooped return",
                   "Shelf and scoop", "Notched crest", "Bottle-neck swell", "Reed flutter",
                   "Unequal double crest", "Rippled recovery", "Soft triple teeth",
                   "Warped wave fold"]
    env_titles = ["Lift, hold, settle", "Long inhale, short exhale", "Three unequal swells",
                  "Rising echo ladder", "Falling echo ladder", "Backward anticipation",
                  "Plateau then scoop", "Hesitant reach", "Two-height hold",
                  "Deep swell and recoil", "Late release", "Split attack", "Suspended answer",
                  "Valley between peaks", "Four breathing accents", "Stepped soft recovery"]
    mech_titles = ["Short-rod piston", "Long-rod piston", "Offset crank",
                   "Yoke with rocking linkage", "Quick-return linkage study",
                   "Elliptic cam follower", "Two-lobe cam follower", "Three-lobe cam follower",
                   "Soft escapement study", "Paddle-wheel tip", "Wobble-plate trace",
                   "Rocking beam", "Coupled cranks", "Crank and rocker study",
                   "Piston and balance mass", "Cam rise and return"]
    phrases = ["side reach", "cross and reach", "low scoop", "high arc", "corner taps",
               "diagonal touch", "box and centre", "zigzag lift", "duck and sway",
               "push and pull", "reach through depth", "bow and turn", "heel-toe abstract",
               "hop and answer", "spiral reach", "depth diamond"]
    return [
        ("wave", _words("pinched shouldered folded double_fold rounded_square soft_rectifier "
                        "skew_warp scoop_warp shelf_wave notched bottle reed unequal_peaks "
                        "ripple_return soft_teeth warped_fold"), fixed(512), fixed(1),
         lambda s, i: wave_titles[i] + "; a continuous shaped control wave, mapped to horizontal displacement."),
        ("env", _words("lift_hold_drop inhale_exhale triple_swell rising_echo falling_echo "
                       "anticipation plateau_scoop hesitant double_hold swell_recoil late_release "
                       "split_attack suspended valley_peaks four_breaths return_stair"),
         fixed(512), fixed(2),
         lambda s, i: env_titles[i] + " over an eight-beat phrase; smooth, resting joins."),
        ("seq", [f"{shape}_{t}" for shape in _words("up_down pendulum octave unequal question "
                                                    "answer ratchet stairs")
                 for t in ("even", "lilt")], fixed(512), fixed(2),
         lambda s, i: f"A programmed position sequence with {s.rsplit('_', 1)[1]} segment "
                      "durations and softened transitions."),
        ("noise", by_n(["drift"], [5, 7, 9, 11]) + by_n(["orbit"], [6, 8, 10, 12])
         + by_n(["ripple"], [5, 7, 9, 11]) + by_n(["depth"], [6, 8, 10, 12]), fixed(1024),
         lambda s, i: 3 if s.startswith("depth") else 2,
         lambda s, i: f"Indexed SHA-256 control points in a closed {s.split('_')[0]} path. "
                      "No mutable random state."),
        ("orbit", ["harmonic_" + n for n in nn], fixed(512), fixed(2),
         fixed("An ellipse combined with unequal horizontal and vertical harmonic ripples.")),
        ("weave", _words("1_3 1_4 1_5 2_5 2_7 3_4 3_5 3_7 3_8 4_5 4_7 4_9 5_6 5_7 5_8 5_9"),
         fixed(1024), fixed(2),
         lambda s, i: "{} horizontal and {} vertical cycles; a phase-offset, closed 16-beat "
                      "traversal.".format(*s.split("_"))),
        ("polar", [f"rose_{n}" for n in (3, 6, 7, 8, 9, 10, 11, 12)]
         + [f"scallop_{n}" for n in range(2, 10)], fixed(1024), fixed(2),
         lambda s, i: ("A complete signed-radius rose traversal; odd-petal roses use a half-turn "
                       "parameter." if s.startswith("rose") else
                       "A positive-radius scalloped loop; no centre crossings, with an "
                       "asymmetrically bent lobe.")),
        ("spiro", [f"{side}_{p}" for side in ("inside", "outside")
                   for p in _words("3_1 4_1 5_2 5_1 7_2 7_3 8_3 9_4")], fixed(1024), fixed(2),
         lambda s, i: f"A closed {s.split('_')[0]}-rolling circle trace, with pen radius "
                      "smaller than the rolling radius."),
        ("space", ["torus_" + p for p in _words("2_5 2_7 3_4 3_5 3_7 4_5 4_7 5_6")]
         + ["weave_" + p for p in _words("1_2_3 1_3_4 2_3_4 2_3_7 2_5_7 3_4_5 3_5_7 4_5_7")],
         fixed(1024), fixed(3),
         lambda s, i: ("A genuine XYZ closed torus-knot trajectory. The demo uses an oblique "
                       "projection." if s.startswith("torus") else
                       "Three coprime-frequency coordinate lanes with distinct phase offsets.")),
        ("mech", _words("piston_short piston_long offset_crank scotch_yoke whitworth elliptic_cam "
                        "two_lobe_cam three_lobe_cam escapement paddle wobble_plate rocking_beam "
                        "coupled_cranks crank_rocker piston_balance cam_return"), fixed(512),
         three_if("wobble_plate", "crank_rocker", "piston_balance"),
         lambda s, i: mech_titles[i] + "; an original kinematic-style position study, not an "
                                       "engineering simulation."),
        ("euclid", _words("2_5 3_7 3_10 4_9 4_11 5_9 5_11 5_13 5_14 6_13 7_12 7_15 7_17 8_19 "
                          "9_20 11_24"), lambda s: 32 * int(s.split("_")[1]), fixed(2),
         fixed("Evenly distributed accents with alternating sides; first onset is the phrase accent.")),
        ("poly", _words("2_5 2_7 2_9 3_5 3_7 3_8 3_10 4_5 4_7 4_9 5_6 5_7 5_8 5_9 6_7 7_8"),
         fixed(512), fixed(3),
         fixed("Two independent pulse trains share an eight-beat boundary. Each right-lane "
               "gesture includes depth.")),
        ("meter", _words("2_3 3_2 3_2_2 2_3_2 3_4 4_3 2_2_2_3 2_3_2_2 3_2_3_2 3_3_2_3 2_2_3_2_3 "
                         "3_3_3_2 4_3_3 3_4_4 2_3_3_2_3 3_3_3_4"),
         lambda s: 32 * _group_sum(s), fixed(3),
         fixed("Group starts lean alternately left and right; quieter subdivisions mark the "
               "eighth-note grid.")),
        ("swing", [f"{kind}_{ratio}" for ratio in ("3_5", "2_3", "5_7", "3_4")
                   for kind in ("push", "answer", "skip", "shuffle")], fixed(512),
         lambda s, i: 2 if s.startswith("answer") else 3,
         lambda s, i: "Eight-beat {} score with offbeats at {}/{} of each beat; peaks follow "
                      "the score.".format(*s.split("_"))),
        ("stick", ["study_" + n for n in nn], fixed(512), fixed(2),
         fixed("Original R/L movement study with accented group leads, followed by its "
               "hand-swapped answer. Not an official rudiment transcription.")),
        ("gesture", _words("side_reach cross_reach low_scoop high_arc corner_taps diagonal_touch "
                           "box_return zigzag_lift duck_sway push_pull reach_depth bow_turn "
                           "heel_toe hop_answer spiral_reach diamond_depth"), fixed(512),
         three_if("push_pull", "reach_depth", "bow_turn", "spiral_reach", "diamond_depth"),
         lambda s, i: f"An original single-point {phrases[i]} gesture. Abstract motion, not a "
                      "full-body dance or biomechanical recording."),
        ("ribbon", [f"{p}_{k}" for k in ("slim", "deep") for p in pairs8], fixed(1024), fixed(3),
         fixed("A curved elliptical spine with variable radial width and linked depth deflection.")),
        ("contour", ["shaped_" + n for n in nn], fixed(1024), second_half,
         fixed("Signed-power oval edges with local ripples and an asymmetric bow.")),
        ("silhouette", ["harmonic_" + n for n in nn], fixed(1024), fixed(3),
         fixed("Three unequal harmonic components, with cross-axis phases and a small linked "
               "depth term.")),
        ("spline", _words("kite hourglass hook crown bow crooked_cross asymmetric_star scoop "
                          "rising_kite twisted_bow cup bridge double_bay slanted_loop fork "
                          "folded_crown"), fixed(512), second_half,
         fixed("Periodic cubic tangents connect asymmetrical controls with unequal segment times.")),
        ("tour", _words("5_2 7_2 7_3 8_3 9_2 9_4 10_3 11_2 11_3 11_4 12_5 13_2 13_3 13_4 13_5 14_3"),
         fixed(1024), second_half,
         fixed("A noncircular vertex tour with eased corners and alternating dwell lengths.")),
        ("scan", by_n(["flat", "bowed", "tilted", "depth"], [3, 4, 5, 6]), fixed(1024),
         lambda s, i: 3 if s.startswith("depth") else 2,
         fixed("An eased serpentine scan and an explicit outer return to the starting point.")),
        ("reach", by_n(["scoop", "hook", "lift", "recoil"], [3, 4, 5, 7]), fixed(1024),
         lambda s, i: 3 if s.startswith("lift") else 2,
         fixed("Separate shaped reaches depart from and settle at a shared centre, without "
               "reset jumps.")),
        ("surface", [f"{p}_{k}" for k in ("low", "wide") for p in pairs8], fixed(1024), fixed(3),
         fixed("A varying-radius surface path with coupled longitude and latitude; all three "
               "coordinates are retained.")),
        ("braid", _words("1_2 1_3 1_4 1_5 2_3 2_5 3_4 3_5 1_6 2_7 3_7 4_5 4_7 5_6 5_7 5_8"),
         fixed(1024), fixed(3),
         fixed("An offset tube centreline and a rolling cross-section with a second depth ripple.")),
        ("arm", ["coupled_" + n for n in nn], fixed(1024), second_half,
         fixed("Tip position of two kinematically driven links; not a dynamics simulation or "
               "anatomical model.")),
        ("dwell", ["phrase_" + n for n in nn], fixed(1024), fixed(3),
         fixed("Two unequal lift-and-hold gestures, a transfer and a settling return; holds "
               "have finite musical duration.")),
        ("packet", by_n(["alternating", "cascading", "crossing", "depth"], [2, 3, 4, 5]),
         fixed(512), lambda s, i: 3 if s.startswith("depth") else 2,
         fixed("Compact, smooth-edged oscillation packets arranged around a closed phrase, "
               "with shaped side motion.")),
        ("canon", [f"{n}_{k}" for n in nn[:8] for k in ("close", "late")], fixed(512), fixed(3),
         fixed("A rational-beat motif passes between lateral and depth lanes, with an altered "
               "second-half response.")),
        ("echo", by_n(["regular", "shrinking", "expanding", "crossed"], [3, 4, 5, 6]),
         fixed(512), fixed(3),
         fixed("An original decaying call and a differently directed answer; echo spacing is "
               "preserved as fractions.")),
        ("ladder", _words("2_3_4_6 3_5_4_2 2_5_3_7 4_3_6_5 2_4_7_3 3_6_2_5 5_3_7_4 6_4_3_2 "
                          "2_7_4_5 7_3_5_2 4_7_3_6 5_2_6_3 3_4_5_7 6_5_4_3 7_5_3_4 4_6_7_5"),
         fixed(512), fixed(3),
         fixed("Four two-beat regions change subdivision density while accents mark region starts.")),
        ("necklace", nn, fixed(512), fixed(3),
         fixed("A hand-authored binary accent word; its complement moves the other side and "
               "rising accents add depth.")),
        ("accent_walk", _words("5_1 5_2 7_1 7_2 7_3 8_1 8_3 9_1 9_2 9_4 10_3 11_2 11_3 12_5 "
                               "13_3 13_5"), fixed(1024), fixed(3),
         fixed("A four-bar grid keeps its pulse spacing while a two-accent motif migrates "
               "between bars.")),
        ("triplet", [f"{n}_{k}" for n in nn[:8] for k in ("answer", "turnaround")], fixed(512),
         fixed(3),
         fixed("Triplet-grid gestures with deliberate omissions; gaps either answer off-grid or "
               "rotate after four beats.")),
        ("dialogue", _words("3_4_5 5_3_4 3_5_2 2_5_4 4_3_2 3_2_4_5 5_2_3_4 2_3_5_3 3_4_3_5 "
                            "5_4_2_3 2_4_5_2 4_5_3_2 3_5_4_3 5_3_2_5 2_5_3_5 4_3_5_4"),
         lambda s: 32 * _group_sum(s), fixed(3),
         fixed("Different eighth-note group lengths pass a phrase between directions, with late "
               "pickup responses.")),
        ("burst", _words("3_5_2 4_3_6 5_2_4 2_7_3 3_4_5 5_3_7 6_2_5 4_7_2 7_3_4 2_5_6 5_7_3 "
                         "3_6_4 4_5_7 6_3_5 7_4_3 5_6_2"), fixed(512), fixed(3),
         fixed("Three unevenly subdivided directional bursts, deliberate gaps and a late "
               "settling accent.")),
    ]


def _beat_record(groove_index, motion_index, block):
    key, label, note = GROOVES[groove_index]
    motion, title, tail = MOTIONS[motion_index]
    if block == 1:
        text = note
    elif block == 3 and motion_index < FIRST_MOTIONS:
        title, text = BLOCK3_FIRST[motion_index]
    else:
        text = tail
    # None marks a note worded in the generator; the caller checks its shape separately.
    description = None if text is None else f"{label} {EM} {title}. {text}"
    flat = (motion_index < 2 and key in FLAT_BOUNCE_STEP) or (key == "four_floor" and motion == "orbit")
    return (f"beat_{key}_{motion}", description, GROOVE_PERIODS.get(key, 512), 2 if flat else 3,
            "beat")


@functools.cache
def expected_records():
    out = []
    for item in FIRST.split(","):
        name, period, dims = item.split()
        out.append((name, SAMPLE_DESCRIPTIONS.get(name), int(period), int(dims), name.split("_")[0]))
    for family, suffixes, period, dims, desc in _sixteen():
        assert len(suffixes) == 16, family
        for i, s in enumerate(suffixes):
            out.append((f"{family}_{s}", desc(s, i), period(s), dims(s, i), family))
    for g in range(NEWER_FROM):
        for m in range(FIRST_MOTIONS):
            out.append(_beat_record(g, m, 1))
    for g in range(NEWER_FROM):
        for m in range(FIRST_MOTIONS, len(MOTIONS)):
            out.append(_beat_record(g, m, 2))
    for g in range(NEWER_FROM, len(GROOVES)):
        for m in range(len(MOTIONS)):
            out.append(_beat_record(g, m, 3))
    return tuple(out)
