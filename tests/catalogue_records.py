"""The default catalogue as the tests expect it, written out here apart from the generator
so that the tests can hold the two against each other: the rudiments that open it, and the
census of the built-in table, one line per family. Each family's own test file states how
its members are named, timed and described (Members) and holds the module to it."""

import dataclasses
from typing import Callable, Sequence

EM = "\u2014"
EN = "\u2013"

# The fifteen rudiments that open the catalogue: name, description, period, dimensions.
RUDIMENTS = [
    ("bounce", "One-beat vertical bounce", 64, 1),
    ("sway", "Two-beat side-to-side sway", 128, 1),
    ("circle", "One-beat circular orbit", 64, 2),
    ("figure_eight", "Two-beat figure eight", 128, 2),
    ("step_touch", "Two-beat side step with a small lift", 128, 2),
    ("box_step", "Four-beat softened square path", 256, 2),
    ("helix", "Four-beat double-turn helix", 256, 3),
    ("ombrel_background", "Ombrel/Quillon four-beat accented background drift", 256, 2),
    ("single_stroke_roll", "Alternating R/L strokes with smooth attack and decay", 64, 2),
    ("double_stroke_roll", "RRLL strokes with a softer second motion", 64, 2),
    ("multiple_bounce_roll", "Decaying same-hand bounce clusters", 64, 2),
    ("single_paradiddle", "RLRR LRLL with accented lead strokes", 128, 2),
    ("flam", "Grace motion flowing into an opposite-hand primary motion", 64, 2),
    ("drag", "Two grace motions flowing into an opposite-hand primary motion", 64, 2),
    ("five_stroke_roll", "Two diddles resolving to an accented fifth motion", 128, 2),
]
RUDIMENT_NAMES = [r[0] for r in RUDIMENTS]

# The census of the built-in table, one line per family in table order (the families of the
# interleaved first records in the order they first appear, then every other family whole):
# its key, how many members it has, and its rule class: lowest peak, highest peak, largest
# step of an axis between neighbouring pips with the seam, and where pip 0 lies (anywhere,
# exactly at the origin, or within 0.00001 of it). Only a family whose highest peak is 1.0
# may reach magnitude 1.0.
CENSUS = [
    ("lfo", 16, 0.75, 0.85, 0.154, "free"),
    ("rhythm", 12, 0.7, 0.85, 0.150, "free"),
    ("rudiment", 4, 0.82, 0.82, 0.138, "free"),
    ("ease", 4, 0.65, 0.8, 0.057, "free"),
    ("akwf", 4, 0.85, 0.85, 0.192, "free"),
    ("groove", 4, 0.6488, 1.0, 0.135, "free"),
    ("path", 8, 0.72, 0.82, 0.026, "free"),
    ("wave", 16, 0.82, 0.82, 0.044, "free"),
    ("env", 16, 0.7, 0.82, 0.039, "exact"),
    ("seq", 16, 0.82, 0.82, 0.051, "free"),
    ("noise", 16, 0.82, 0.82, 0.029, "free"),
    ("orbit", 16, 0.82, 0.82, 0.021, "free"),
    ("weave", 16, 0.82, 0.82, 0.037, "free"),
    ("polar", 16, 0.82, 0.82, 0.030, "free"),
    ("spiro", 16, 0.82, 0.82, 0.030, "free"),
    ("space", 16, 0.82, 0.82, 0.026, "free"),
    ("mech", 16, 0.82, 0.82, 0.031, "free"),
    ("euclid", 16, 0.75, 0.75, 0.064, "free"),
    ("poly", 16, 0.52, 0.52, 0.057, "free"),
    ("meter", 16, 0.72, 0.72, 0.059, "free"),
    ("swing", 16, 0.585, 0.585, 0.072, "free"),
    ("stick", 16, 0.74, 0.74, 0.096, "free"),
    ("gesture", 16, 0.82, 0.82, 0.043, "free"),
    ("ribbon", 16, 0.82, 0.82, 0.016, "free"),
    ("contour", 16, 0.8199, 0.82, 0.043, "free"),
    ("silhouette", 16, 0.8199, 0.82, 0.028, "free"),
    ("spline", 16, 0.8197, 0.82, 0.034, "free"),
    ("tour", 16, 0.82, 0.82, 0.037, "free"),
    ("scan", 16, 0.82, 0.82, 0.045, "free"),
    ("reach", 16, 0.8199, 0.82, 0.029, "exact"),
    ("surface", 16, 0.82, 0.82, 0.033, "free"),
    ("braid", 16, 0.8198, 0.82, 0.026, "free"),
    ("arm", 16, 0.8199, 0.82, 0.027, "free"),
    ("dwell", 16, 0.8199, 0.82, 0.029, "free"),
    ("packet", 16, 0.8196, 0.82, 0.168, "near"),
    ("canon", 16, 0.279, 0.311, 0.080, "free"),
    ("echo", 16, 0.2489, 0.31, 0.075, "free"),
    ("ladder", 16, 0.32, 0.32, 0.103, "free"),
    ("necklace", 16, 0.248, 0.248, 0.046, "free"),
    ("accent_walk", 16, 0.2561, 0.3139, 0.077, "free"),
    ("triplet", 16, 0.2945, 0.2945, 0.076, "free"),
    ("dialogue", 16, 0.32, 0.32, 0.059, "free"),
    ("burst", 16, 0.288, 0.288, 0.097, "free"),
    ("beat", 1088, 0.1552, 0.92, 0.268, "free"),
]

COUNTS = {key: count for key, count, *_ in CENSUS}
RULES = {key: tuple(rule) for key, _, *rule in CENSUS}
RECORDS = sum(COUNTS.values())

# The first records interleave the families that came first: name, period, dimensions.
# Their descriptions are checked by shape and by the few quoted in SAMPLE_DESCRIPTIONS.
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
FIRST_RECORDS = [(name, int(period), int(dims))
                 for name, period, dims in map(str.split, FIRST.split(","))]

SAMPLE_DESCRIPTIONS = {
    "lfo_breathe": "A four-beat, single-axis sine. The quiet reference for judging busier shapes.",
    "rhythm_euclid_5_12": "5 evenly distributed onsets on a 12-step grid. Alternating lateral gestures.",
    "path_rose_5": "Five petals in one complete eight-beat traversal; the odd-petal parameter runs "
                   "through pi, not two pi.",
    "rudiment_six_stroke": "Visual sticking study RLLRRL LRRLLR; equal triplet spacing over four "
                           "beats. This is a movement interpretation, not a complete "
                           "drum-performance notation.",
}


def family_of(name):
    """The key of the family a built-in name belongs to (a key may itself hold an
    underscore), or None for any other name."""
    keys = [key for key in COUNTS if name.startswith(key + "_")]
    return max(keys, key=len) if keys else None


def runs(names):
    """The names as runs of one family each: [(family, count), ...]."""
    out = []
    for name in names:
        family = family_of(name)
        if out and out[-1][0] == family:
            out[-1] = (family, out[-1][1] + 1)
        else:
            out.append((family, 1))
    return out


def expected_runs():
    """The runs of the table: those of the first records, then every other family whole, in
    census order."""
    head = runs(name for name, _, _ in FIRST_RECORDS)
    interleaved = {family for family, _ in head}
    return head + [(key, count) for key, count, *_ in CENSUS if key not in interleaved]


# ---- how a family's members are named, timed and described -----------------------------

@dataclasses.dataclass(frozen=True)
class Members:
    """A family's members in declaration order: each is named family_suffix, and its period,
    dimensions and description are values shared by every member, or rules of its suffix
    (and, but for the period, of its place i among the members)."""

    family: str
    suffixes: Sequence[str]
    period: int | Callable[[str], int]
    dimensions: int | Callable[[str, int], int]
    description: str | Callable[[str, int], str]

    def records(self):
        """[(name, description, period, dimensions), ...] as the rules compose them."""
        def rule(value, *of):
            return value(*of) if callable(value) else value
        return [(f"{self.family}_{s}", rule(self.description, s, i), rule(self.period, s),
                 rule(self.dimensions, s, i)) for i, s in enumerate(self.suffixes)]


def two_digits(count=16):
    """The member numbers of the numbered families: "01", "02", ..."""
    return [f"{n:02d}" for n in range(1, count + 1)]


def words(text):
    return text.replace(",", " ").split()


def group_sum(suffix):
    """The sum of the numbers in a suffix such as 3_2_2."""
    return sum(int(n) for n in suffix.split("_"))


def three_if(*names):
    """Dimensions: three for the named suffixes, two for the others."""
    return lambda s, i: 3 if s in names else 2


def three_from_ninth(s, i):
    """Dimensions: the first eight members move two axes, the rest three."""
    return 2 if i < 8 else 3


def by_n(styles, ns):
    """Every style for each n in turn: style_n."""
    return [f"{style}_{n}" for n in ns for style in styles]


PAIRS8 = words("1_2 1_3 1_4 1_5 2_3 2_5 3_4 3_5")
