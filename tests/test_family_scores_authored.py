"""Authored score families (rhythm, groove, swing, stick, canon, echo, ladder, necklace,
accent_walk, triplet, dialogue, burst): the names' counts, onsets, groupings and mirror
halves, read back through kinetrope.sample."""

from fractions import Fraction as F

import numpy as np
import pytest

from catalogue_data import block, entries, members, members_test
from catalogue_records import EN, Members, group_sum, two_digits

BEAT = 64
# Parabolic interpolation of a raised-cosine peak is good to well under a hundredth of a
# pip for the pulse widths in these families; fractional onsets differ by a third of a pip
# at the least.
ONSET_TOL = 0.02


def peaks(lane, sign=1.0):
    """Sub-pip positions and heights of the local maxima of sign * lane (circular), both
    from the parabola through the top three pips."""
    v = sign * np.asarray(lane)
    n = len(v)
    found = []
    for p in range(n):
        a, b, c = v[p - 1], v[p], v[(p + 1) % n]
        if b > 1e-9 and b > a and b >= c:
            denom = a - 2 * b + c
            offset = 0.5 * (a - c) / denom if denom != 0 else 0.0
            found.append((p + offset, b - 0.25 * (a - c) * offset))
    return found


def onsets(lane, sign=1.0):
    return [p for p, _ in peaks(lane, sign)]


def extremes(lane):
    """Peaks of either sign, in time order: (position, signed height)."""
    both = [(p, h) for p, h in peaks(lane)] + [(p, -h) for p, h in peaks(lane, -1.0)]
    return sorted(both)


def circular(a, b, period):
    d = (a - b) % period
    return min(d, period - d)


def assert_onsets(found, expected, period, tol=ONSET_TOL):
    found = sorted(f % period for f in found)
    expected = sorted(float(e) % period for e in expected)
    assert len(found) == len(expected), (found, expected)
    for f, e in zip(found, expected):
        assert circular(f, e, period) < tol, (found, expected)


def beats(*fractions):
    return [BEAT * F(f) for f in fractions]


# ---- what every family here keeps ---------------------------------------------------

FAMILIES = ["rhythm", "groove", "swing", "stick", "canon", "echo", "ladder", "necklace",
            "accent_walk", "triplet", "dialogue", "burst"]


@pytest.mark.parametrize("family", FAMILIES)
def test_members_differ_in_shape_not_only_in_scale(family):
    names = members(family)
    assert len(names) > 1
    flat = {n: block(n).ravel() for n in names}
    for i, a in enumerate(names):
        for other in names[i + 1:]:
            if len(flat[a]) == len(flat[other]):
                assert np.corrcoef(flat[a], flat[other])[0, 1] < 0.995, (a, other)


# ---- rhythm -------------------------------------------------------------------------

@pytest.mark.parametrize("name,k,n,grids", [
    ("rhythm_euclid_3_8", 3, 8, 1), ("rhythm_euclid_5_12", 5, 12, 1),
    ("rhythm_euclid_7_16", 7, 16, 2), ("rhythm_euclid_5_16", 5, 16, 2)])
def test_rhythm_euclid_onsets_are_maximally_even(name, k, n, grids):
    b = block(name)
    period = len(b)
    step = F(period, grids * n)
    hits = extremes(b[:, 0])
    assert len(hits) == k * grids
    # Every hit on a grid step, the first at pip 0, the grid played identically each time.
    steps = [round(p / step) for p, _ in hits]
    for (p, _), s in zip(hits, steps):
        assert abs(p - float(s * step)) < ONSET_TOL
    assert steps[0] == 0
    first = steps[:k]
    assert steps[k:] == [s + n for s in first] * (grids - 1)
    # Maximally even: the gaps take only the two values next to n / k.
    gaps = [(first[(i + 1) % k] - first[i]) % n for i in range(k)]
    assert set(gaps) <= {n // k, -(-n // k)}
    if name == "rhythm_euclid_3_8":
        assert first == [0, 3, 6]
    # Sides alternate through every repetition; each grid's first onset is its accent.
    signs = [np.sign(h) for _, h in hits]
    assert all(signs[i] == -signs[i - 1] for i in range(1, len(signs)))
    for g in range(grids):
        grid_hits = [abs(h) for _, h in hits[g * k:(g + 1) * k]]
        assert grid_hits[0] == max(grid_hits) > grid_hits[1]


@pytest.mark.parametrize("name,lanes", [
    ("rhythm_three_two", {0: [F(256 * i, 3) for i in range(3)], 1: [64, 192]}),
    ("rhythm_five_four", {0: [F(512 * i, 10) for i in range(10)], 1: [64 * j for j in range(8)]}),
    ("rhythm_seven_four", {0: [F(512 * i, 14) for i in range(14)], 1: [64 * j for j in range(8)]}),
    ("rhythm_three_four_five", {0: [F(512 * i, 3) for i in range(3)],
                                1: [128 * j for j in range(4)],
                                2: [F(512 * i, 5) for i in range(5)]}),
])
def test_rhythm_evenly_spaced_lanes(name, lanes):
    b = block(name)
    assert entries()[name]["dimensions"] == max(lanes) + 1
    for axis, expected in lanes.items():
        hits = extremes(b[:, axis])
        assert_onsets([p for p, _ in hits], expected, len(b))
        signs = [np.sign(h) for _, h in hits]
        # Alternating directions all the way round (the two-bar members need both bars).
        assert all(signs[i] == -signs[i - 1] for i in range(1, len(signs)))


def test_rhythm_swung_answer_calls_right_and_answers_left():
    b = block("rhythm_swung_answer")
    right = beats(0, F(2, 3), 1, F(5, 3))
    left = beats(2, F(8, 3), 3, F(11, 3))
    assert_onsets(onsets(b[:, 0]), right, 256)
    assert_onsets(onsets(b[:, 0], -1), left, 256)


@pytest.mark.parametrize("name,starts", [
    ("rhythm_group_332", [0, 3, 6, 8, 11, 14]), ("rhythm_group_223", [0, 2, 4, 7, 9, 11])])
def test_rhythm_groupings_accent_their_group_starts(name, starts):
    b = block(name)
    hits = extremes(b[:, 0])
    assert [round(p) for p, _ in hits] == [32 * s for s in starts]
    assert [np.sign(h) for _, h in hits] == [1, -1, 1, -1, 1, -1]
    # Every eighth note dips on y: the group starts and the taps between them.
    assert_onsets(onsets(b[:, 1], -1), [32 * e for e in range(len(b) // 32)], len(b))


def test_rhythm_half_time_downbeat_snare_and_shuffles():
    b = block("rhythm_half_time")
    y = b[:, 1]
    assert np.argmin(y) == 0 and np.argmax(y) == 128
    assert_onsets([p for p, _ in extremes(b[:, 0])], beats(F(2, 3), F(5, 3), 2, F(8, 3), F(11, 3)), 256)
    shuffles = [abs(h) for p, h in extremes(b[:, 0]) if round(p) != 128]
    assert max(shuffles) < abs(y[0]) / 2


# ---- groove -------------------------------------------------------------------------

def lane_hits(b, axis, sign):
    return peaks(b[:, axis], sign)


@pytest.mark.parametrize("key", ["a", "b"])
def test_groove_played_is_the_grid_with_small_timing_offsets(key):
    grid = block(f"groove_{key}_grid")
    played = block(f"groove_{key}_played")
    moved = []
    for axis in (0, 1):
        for sign in (1.0, -1.0):
            g = lane_hits(grid, axis, sign)
            p = lane_hits(played, axis, sign)
            assert len(g) == len(p) > 0
            used = set()
            for gp, gh in g:
                assert abs(gp - round(gp)) < 1e-6 and round(gp) % 16 == 0
                # The played hit nearest round the loop (a downbeat may come a pip early).
                k = min(range(len(p)), key=lambda i: circular(p[i][0], gp, 512))
                pp, ph = p[k]
                used.add(k)
                assert abs(pp - round(pp)) < 1e-6
                offset = (round(pp) - round(gp) + 256) % 512 - 256
                assert abs(offset) <= 4
                assert played[round(pp) % 512, axis] == grid[round(gp), axis]
                moved.append(offset)
                if axis == 1 and sign > 0:
                    assert offset >= 0  # snares sit back
            assert len(used) == len(p)
    assert any(moved)


def test_groove_magnitudes():
    # The loudest hit sets the peak: B holds a full-velocity snare, A does not.
    for name in ("groove_b_played", "groove_b_grid"):
        assert np.max(np.abs(block(name))) == 1.0
    for name in ("groove_a_played", "groove_a_grid"):
        assert np.max(np.abs(block(name))) < 1.0


# ---- swing --------------------------------------------------------------------------

SWING = [(kind, p, q) for p, q in [(3, 5), (2, 3), (5, 7), (3, 4)]
         for kind in ("push", "answer", "skip", "shuffle")]


@pytest.mark.parametrize("kind,p,q", SWING, ids=lambda v: str(v))
def test_swing_offbeats_fall_at_p_over_q(kind, p, q):
    b = block(f"swing_{kind}_{p}_{q}")
    offbeats = [BEAT * (beat + F(p, q)) for beat in range(8)]
    downbeats = [BEAT * beat for beat in range(8)]
    assert_onsets(onsets(b[:, 1], -1), downbeats, 512)
    if kind == "answer":
        assert entries()[f"swing_answer_{p}_{q}"]["dimensions"] == 2
        assert not np.any(b[:, 2])
        assert_onsets(onsets(b[:, 0]), downbeats, 512)
        assert_onsets(onsets(b[:, 0], -1), offbeats, 512)
        return
    z = peaks(b[:, 2])
    if kind == "skip":
        played = [beat for beat in range(8)
                  if any(circular(pos, float(offbeats[beat]), 512) < ONSET_TOL for pos, _ in z)]
        assert 0 < len(played) < 8
        assert [beat % 4 for beat in played[:len(played) // 2]] == \
               [beat % 4 for beat in played[len(played) // 2:]]
        assert_onsets([pos for pos, _ in z], [offbeats[beat] for beat in played], 512)
    else:
        assert_onsets([pos for pos, _ in z], offbeats, 512)
    if kind == "shuffle":
        heights = [h for _, h in z]
        assert heights[0::2] != heights[1::2]
        assert len(set(np.round(heights, 12))) == 2


# ---- stick --------------------------------------------------------------------------

STICKS = [f"stick_study_{i:02d}" for i in range(1, 17)]


@pytest.mark.parametrize("name", STICKS)
def test_stick_second_half_is_the_mirror_and_strokes_are_sixteenths(name):
    b = block(name)
    first, second = b[:256], b[256:]
    assert np.array_equal(second[:, 0], -first[:, 0])
    assert np.array_equal(second[:, 1], first[:, 1])
    assert not np.any(b[:, 2])
    hits = extremes(b[:, 0])
    assert [round(p) for p, _ in hits] == [16 * k for k in range(32)]
    for p, _ in hits:
        assert abs(p - round(p)) < 1e-6
    # Group leads: larger strokes, lifted on y, never two in a row.
    heights = np.abs([b[16 * k, 0] for k in range(32)])
    leads = [k for k in range(32) if b[16 * k, 1] > 0]
    assert leads and all(heights[k] == heights.max() for k in leads)
    assert all(heights[k] < heights.max() for k in range(32) if k not in leads)
    assert all(b[(16 * k + 16) % 512, 1] == 0 for k in leads)


def test_stick_studies_all_differ():
    words = set()
    for name in STICKS:
        b = block(name)
        word = "".join(("R" if b[16 * k, 0] > 0 else "L") + ("!" if b[16 * k, 1] > 0 else "")
                       for k in range(16))
        words.add(word)
    assert len(words) == 16


# ---- canon --------------------------------------------------------------------------

def entries_of(lane, start, end):
    return [(p, h) for p, h in extremes(lane) if start <= p < end]


@pytest.mark.parametrize("number", range(1, 9))
def test_canon_follower_copies_then_alters_the_motif(number):
    delays = {}
    for kind in ("close", "late"):
        b = block(f"canon_{number:02d}_{kind}")
        x, z = b[:, 0], b[:, 2]
        np.testing.assert_allclose(x[256:], x[:256], rtol=0, atol=1e-12)
        motif = entries_of(x, 0, 256)
        n = len(motif)
        assert n >= 4 and motif[0][0] == 0
        # Entries are marked on y: the leader's downward, the follower's upward.
        assert_onsets(onsets(b[:, 1], -1), [0, 256], 512)
        follower = onsets(b[:, 1])
        assert len(follower) == 2 and abs(follower[1] - follower[0] - 256) < ONSET_TOL
        delay = follower[0]
        # The depth lane read from the follower's first entry on, round the loop.
        zs = sorted(extremes(z), key=lambda e: (e[0] - delay + 1) % 512)
        zs = [((p - delay + 1) % 512 + delay - 1, h) for p, h in zs]
        delays[kind] = delay
        copy = zs[:n]
        # First half: the depth lane is the motif, delayed, at the same relative sizes.
        ratio = copy[0][1] / motif[0][1]
        for (mp, mh), (cp, ch) in zip(motif, copy):
            assert abs(cp - (mp + delay)) < ONSET_TOL
            assert ch == pytest.approx(mh * ratio, rel=2e-3)
        # Second half: the answer from beat four plus the delay is altered.
        answer = [(p, h) for p, h in zs[n:2 * n]]
        assert len(zs) == 2 * n and abs(answer[0][0] - (256 + delay)) < ONSET_TOL
        times = [p - answer[0][0] for p, _ in answer]
        given = [p for p, _ in motif]
        levels = [h for _, h in motif]
        sizes = [h / ratio for _, h in answer]

        def same(a, b, tol=ONSET_TOL):
            return len(a) == len(b) and all(abs(u - v) < tol for u, v in zip(a, b))

        durations = [given[i + 1] - given[i] for i in range(n - 1)]
        answer_gaps = [times[i + 1] - times[i] for i in range(n - 1)]
        plain = same(times, given) and same(sizes, levels, 2e-3)
        inverted = same(times, given) and same(sizes, [-v for v in levels], 2e-3)
        augmented = same(times, [1.5 * g for g in given]) and same(sizes, levels, 2e-3)
        # Played backwards: sizes reversed; the gaps after the first are the motif's
        # durations reversed (the last note's own length is not audible in the motif).
        reordered = same(sizes, levels[::-1], 2e-3) and same(answer_gaps[1:], durations[::-1][:-1])
        assert not plain
        assert inverted or augmented or reordered
    assert 0 < delays["close"] < delays["late"]


# ---- echo ---------------------------------------------------------------------------

ECHO = [(style, n) for n in (3, 4, 5, 6) for style in ("regular", "shrinking", "expanding", "crossed")]


@pytest.mark.parametrize("style,n", ECHO, ids=lambda v: str(v))
def test_echo_spacing_decay_and_answer(style, n):
    b = block(f"echo_{style}_{n}")
    hits = extremes(b[:, 0])
    assert len(hits) == 1 + n
    assert hits[0][0] == 0 and b[0, 1] > 0  # the lifted call
    sizes = [abs(h) for _, h in hits]
    assert all(sizes[i] < sizes[i - 1] for i in range(1, len(sizes)))
    signs = [np.sign(h) for _, h in hits]
    if style == "crossed":
        assert signs == [(-1) ** k for k in range(n + 1)]
    else:
        assert signs == [1] * (n + 1)
    # The gaps, as exact fractions of a beat.
    ratio = {"regular": F(1), "crossed": F(1), "shrinking": F(3, 4), "expanding": F(4, 3)}[style]
    span = 4 if style == "crossed" else 3
    total = sum(ratio ** k for k in range(n))
    expected, at, gap = [0], F(0), span / total
    for _ in range(n):
        at += gap
        expected.append(BEAT * at)
        gap *= ratio
    assert_onsets([p for p, _ in hits], expected, 512)
    # The answer goes into depth once the echoes are done, with x at rest.
    answer = onsets(b[:, 2])
    assert len(answer) >= 1 and min(answer) > hits[-1][0]
    for p in answer:
        assert b[round(p), 0] == 0.0


# ---- ladder -------------------------------------------------------------------------

LADDERS = ["2_3_4_6", "3_5_4_2", "2_5_3_7", "4_3_6_5", "2_4_7_3", "3_6_2_5", "5_3_7_4",
           "6_4_3_2", "2_7_4_5", "7_3_5_2", "4_7_3_6", "5_2_6_3", "3_4_5_7", "6_5_4_3",
           "7_5_3_4", "4_6_7_5"]


@pytest.mark.parametrize("suffix", LADDERS)
def test_ladder_regions_subdivide_as_named(suffix):
    b = block(f"ladder_{suffix}")
    hits = extremes(b[:, 0])
    for region, per_beat in enumerate(map(int, suffix.split("_"))):
        start = 128 * region
        mine = [(p, h) for p, h in hits if start - ONSET_TOL <= p < start + 128 - ONSET_TOL]
        assert_onsets([p for p, _ in mine],
                      [start + F(64 * k, per_beat) for k in range(2 * per_beat)], 512)
        assert [np.sign(h) for _, h in mine] == [(-1) ** k for k in range(2 * per_beat)]
        # The region's first note is the accent.
        sizes = [abs(h) for _, h in mine]
        assert sizes[0] > max(sizes[1:])
    assert_onsets(onsets(b[:, 2]), [0, 128, 256, 384], 512, tol=1e-9)
    assert_onsets(onsets(b[:, 1], -1), [0, 128, 256, 384], 512, tol=1e-9)


# ---- necklace -----------------------------------------------------------------------

NECKLACES = [f"necklace_{i:02d}" for i in range(1, 17)]


def necklace_word(b):
    return "".join("1" if b[32 * i, 0] > 0 else "0" for i in range(16))


@pytest.mark.parametrize("name", NECKLACES)
def test_necklace_word_complement_and_rising_depth(name):
    b = block(name)
    assert_onsets([p for p, _ in extremes(b[:, 0])], [32 * i for i in range(16)], 512, tol=1e-9)
    word = necklace_word(b)
    assert "0" in word and "11" in word
    ones = [i for i in range(16) if word[i] == "1"]
    zeros = [i for i in range(16) if word[i] == "0"]
    # The complement: the other side, smaller, and never in depth.
    assert max(abs(b[32 * i, 0]) for i in zeros) < min(b[32 * i, 0] for i in ones)
    assert all(b[32 * i, 2] == 0 for i in zeros)
    # Each accent of a run reaches further forward than the one before it.
    for i in ones:
        before = (i - 1) % 16
        if word[before] == "1":
            assert b[32 * i, 2] > b[32 * before, 2]
        else:
            assert b[32 * i, 2] > 0


def test_necklace_words_are_distinct_necklaces():
    words = [necklace_word(block(n)) for n in NECKLACES]
    rotations = {min(w[r:] + w[:r] for r in range(16)) for w in words}
    assert len(rotations) == 16


# ---- accent_walk --------------------------------------------------------------------

WALKS = [(5, 1), (5, 2), (7, 1), (7, 2), (7, 3), (8, 1), (8, 3), (9, 1), (9, 2), (9, 4),
         (10, 3), (11, 2), (11, 3), (12, 5), (13, 3), (13, 5)]


@pytest.mark.parametrize("n,k", WALKS, ids=lambda v: str(v))
def test_accent_walk_moves_the_motif_k_pulses_a_bar(n, k):
    b = block(f"accent_walk_{n}_{k}")
    pulse = F(256, n)
    grid = [bar * 256 + j * pulse for bar in range(4) for j in range(n)]
    assert_onsets(onsets(b[:, 1], -1), grid, 1024)

    def pulses_of(found):
        per_bar = [[] for _ in range(4)]
        for p in found:
            bar, j = divmod(round(F(p).limit_denominator(1000) / pulse), n)
            assert abs(p - float(grid[bar * n + j])) < ONSET_TOL
            per_bar[bar].append(j)
        assert all(len(js) == 1 for js in per_bar)
        return [js[0] for js in per_bar]

    first = pulses_of(onsets(b[:, 0]))
    second = pulses_of(onsets(b[:, 0], -1))
    gap = (second[0] - first[0]) % n
    assert gap != 0
    for bar in range(4):
        assert first[bar] == (first[0] + bar * k) % n
        assert second[bar] == (first[bar] + gap) % n
    assert all(b[round(float(grid[bar * n + first[bar]])), 2] > 0 for bar in range(4))


# ---- triplet ------------------------------------------------------------------------

def triplet_mask(b, start):
    """Slots 0..11 from slot start on: 1 where an x gesture peaks on the slot."""
    hits = [p for p, _ in extremes(b[:, 0])]
    slots = set()
    for p in hits:
        s = round(p * 3 / 64)
        assert abs(p - 64 * s / 3) < ONSET_TOL  # on the triplet grid
        slots.add(s % 24)
    return "".join("1" if (start + j) in slots else "0" for j in range(12))


@pytest.mark.parametrize("number", range(1, 9))
def test_triplet_answer_fills_the_gaps_off_grid(number):
    b = block(f"triplet_{number:02d}_answer")
    mask = triplet_mask(b, 0)
    assert triplet_mask(b, 12) == mask and "0" in mask and "1" in mask
    gaps = [s for s in range(24) if mask[s % 12] == "0"]
    assert_onsets(onsets(b[:, 2]), [F(64 * (2 * s + 1), 6) for s in gaps], 512)


@pytest.mark.parametrize("number", range(1, 9))
def test_triplet_turnaround_rotates_after_four_beats(number):
    b = block(f"triplet_{number:02d}_turnaround")
    first, second = triplet_mask(b, 0), triplet_mask(b, 12)
    assert second != first
    assert any(second == first[-r:] + first[:-r] for r in range(1, 12))
    assert not np.any(b[:240, 2]) and np.any(b[256:, 2])
    assert first == triplet_mask(block(f"triplet_{number:02d}_answer"), 0)


def test_triplet_scores_differ():
    assert len({triplet_mask(block(f"triplet_{i:02d}_answer"), 0) for i in range(1, 9)}) == 8


# ---- dialogue -----------------------------------------------------------------------

DIALOGUES = ["3_4_5", "5_3_4", "3_5_2", "2_5_4", "4_3_2", "3_2_4_5", "5_2_3_4", "2_3_5_3",
             "3_4_3_5", "5_4_2_3", "2_4_5_2", "4_5_3_2", "3_5_4_3", "5_3_2_5", "2_5_3_5",
             "4_3_5_4"]
# Each group's direction: axis and sign.
DIRECTIONS = [(0, 1.0), (1, 1.0), (2, 1.0), (0, -1.0)]


@pytest.mark.parametrize("suffix", DIALOGUES)
def test_dialogue_groups_pass_the_phrase_late(suffix):
    groups = list(map(int, suffix.split("_")))
    name = f"dialogue_{suffix}"
    assert entries()[name]["period_pips"] == 32 * sum(groups)
    b = block(name)
    period = len(b)
    start = 0
    for i, g in enumerate(groups):
        axis, sign = DIRECTIONS[i]
        window = [(p, h) for p, h in peaks(b[:, axis], sign) if start <= p < start + 32 * g]
        entry = 0 if i == 0 else 16
        # g notes, an eighth apart, from the (late) entry, which is the strongest.
        assert_onsets([p for p, _ in window], [start + entry + 32 * k for k in range(g)], period,
                      tol=1e-9)
        assert window[0][1] == max(h for _, h in window)
        backswing = [p for p, _ in peaks(b[:, axis], -sign) if start - 1 < p < start + 1]
        assert backswing == ([] if i == 0 else [start])
        start += 32 * g


# ---- burst --------------------------------------------------------------------------

BURSTS = ["3_5_2", "4_3_6", "5_2_4", "2_7_3", "3_4_5", "5_3_7", "6_2_5", "4_7_2", "7_3_4",
          "2_5_6", "5_7_3", "3_6_4", "4_5_7", "6_3_5", "7_4_3", "5_6_2"]


@pytest.mark.parametrize("suffix", BURSTS)
def test_burst_subdivisions_gaps_and_settling_accent(suffix):
    b = block(f"burst_{suffix}")
    for axis, n in enumerate(map(int, suffix.split("_"))):
        start = 128 * axis
        hits = peaks(b[:, axis])
        assert_onsets([p for p, _ in hits], [start + F(64 * k, n) for k in range(n)], 512)
        sizes = [h for _, h in hits]
        assert all(sizes[i] < sizes[i - 1] for i in range(1, n))
        # Each burst alone in its beat; still until the next begins.
        assert not np.any(b[start + 64:start + 112, :])
        assert_onsets(onsets(b[:, axis], -1), beats(F(20, 3)), 512)


# ---- the members' names, periods and descriptions -------------------------------------

GROOVE_EXCERPTS = {"a": f"A (4{EN}12 source beats)", "b": f"B (36{EN}44 source beats)"}
GROOVE_TAKES = {"played": "performed microtiming.", "grid": "same hits quantised to sixteenths."}

MEMBERS = [
    Members("groove", [f"{e}_{t}" for e in GROOVE_EXCERPTS for t in GROOVE_TAKES], 512, 2,
            lambda s, i: f"Two-bar funk excerpt {GROOVE_EXCERPTS[s[0]]}, {GROOVE_TAKES[s[2:]]}"),
    Members("swing", [f"{kind}_{p}_{q}" for kind, p, q in SWING], 512,
            lambda s, i: 2 if s.startswith("answer") else 3,
            lambda s, i: "Eight-beat {} score with offbeats at {}/{} of each beat; peaks follow "
                         "the score.".format(*s.split("_"))),
    Members("stick", ["study_" + n for n in two_digits()], 512, 2,
            "Original R/L movement study with accented group leads, followed by its "
            "hand-swapped answer. Not an official rudiment transcription."),
    Members("canon", [f"{n}_{k}" for n in two_digits(8) for k in ("close", "late")], 512, 3,
            "A rational-beat motif passes between lateral and depth lanes, with an altered "
            "second-half response."),
    Members("echo", [f"{style}_{n}" for style, n in ECHO], 512, 3,
            "An original decaying call and a differently directed answer; echo spacing is "
            "preserved as fractions."),
    Members("ladder", LADDERS, 512, 3,
            "Four two-beat regions change subdivision density while accents mark region "
            "starts."),
    Members("necklace", two_digits(), 512, 3,
            "A hand-authored binary accent word; its complement moves the other side and "
            "rising accents add depth."),
    Members("accent_walk", [f"{n}_{k}" for n, k in WALKS], 1024, 3,
            "A four-bar grid keeps its pulse spacing while a two-accent motif migrates "
            "between bars."),
    Members("triplet", [f"{n}_{k}" for n in two_digits(8) for k in ("answer", "turnaround")],
            512, 3,
            "Triplet-grid gestures with deliberate omissions; gaps either answer off-grid "
            "or rotate after four beats."),
    Members("dialogue", DIALOGUES, lambda s: 32 * group_sum(s), 3,
            "Different eighth-note group lengths pass a phrase between directions, with "
            "late pickup responses."),
    Members("burst", BURSTS, 512, 3,
            "Three unevenly subdivided directional bursts, deliberate gaps and a late "
            "settling accent."),
]


test_members_are_named_timed_and_described = members_test(MEMBERS)
