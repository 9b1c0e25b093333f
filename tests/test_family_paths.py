"""The spatial-path families: gestures, ribbons, contours, splines, tours, scans, reaches,
braids, arms and dwells. Each test reads back through the module what a name and a
description promise: counts of cycles, vertices, rows and reaches, the centre of the
reaches, holds on the half-beat grid, axes that stay at zero, and seams that close."""

import math

import numpy as np
import pytest

from catalogue_data import block, entries, members, members_test
from catalogue_records import Members, three_from_ninth, three_if, two_digits, words

FAMILIES = ["gesture", "ribbon", "contour", "spline", "tour", "scan", "reach", "braid", "arm",
            "dwell"]

GESTURES_WITH_DEPTH = {"push_pull", "reach_depth", "bow_turn", "spiral_reach", "diamond_depth"}
RIBBON_PAIRS = ["1_2", "1_3", "1_4", "1_5", "2_3", "2_5", "3_4", "3_5"]
BRAIDS = ["1_2", "1_3", "1_4", "1_5", "2_3", "2_5", "3_4", "3_5", "1_6", "2_7", "3_7", "4_5",
          "4_7", "5_6", "5_7", "5_8"]
TOURS = ["5_2", "7_2", "7_3", "8_3", "9_2", "9_4", "10_3", "11_2", "11_3", "11_4", "12_5",
         "13_2", "13_3", "13_4", "13_5", "14_3"]
SCANS = [(style, n) for n in (3, 4, 5, 6) for style in ("flat", "bowed", "tilted", "depth")]
REACHES = [(style, n) for n in (3, 4, 5, 7) for style in ("scoop", "hook", "lift", "recoil")]


ALL = [name for family in FAMILIES for name in members(family)]


def steps(values):
    """Largest change of any axis from each pip to the next, the seam last."""
    return np.abs(np.roll(values, -1, axis=0) - values).max(axis=1)


def winding(xy):
    """Turns of the closed path round the origin."""
    angles = np.unwrap(np.arctan2(xy[:, 1], xy[:, 0]))
    return (angles[-1] - angles[0] + math.remainder(angles[0] - angles[-1], 2 * math.pi)) / (
        2 * math.pi)


def circular_runs(mask):
    """(start, length) of the runs of True in a circular boolean sequence."""
    n = len(mask)
    if mask.all():
        return [(0, n)]
    first = int(np.argmin(mask))  # start scanning just after a False
    runs, start = [], None
    for k in range(1, n + 1):
        i = (first + k) % n
        if mask[i] and start is None:
            start = i
        elif not mask[i] and start is not None:
            runs.append((start, (i - start) % n))
            start = None
    return runs


def holds(values):
    """(first pip, pips held) of every stretch where the point stands still."""
    still = np.all(np.roll(values, -1, axis=0) == values, axis=1)
    return [(start, length) for start, length in circular_runs(still)]


@pytest.mark.parametrize("name", ALL)
def test_the_seam_is_an_ordinary_step(name):
    # A loop joined badly shows as a seam step out of line with its neighbours.
    s = steps(block(name))
    assert s[-1] <= 1.5 * max(s[-2], s[0]) + 1e-9


@pytest.mark.parametrize("family", FAMILIES)
def test_members_differ_in_shape(family):
    flat = [block(n).ravel() for n in members(family)]
    corr = np.corrcoef(np.array(flat))
    np.fill_diagonal(corr, 0.0)
    assert corr.max() <= 0.995


@pytest.mark.parametrize("name", [n for n in ALL if entries()[n]["dimensions"] == 3])
def test_depth_where_it_moves_is_more_than_a_tremor(name):
    assert np.abs(block(name)[:, 2]).max() > 0.05


# ---- gesture ------------------------------------------------------------------------------

def test_gesture_shapes_do_what_their_phrases_say():
    side = block("gesture_side_reach")
    assert side[:, 0].min() >= 0.0 and side[:, 0].max() == 0.82  # one side only
    scoop = block("gesture_low_scoop")
    low = scoop[:, 1].argmin()
    assert scoop[low, 1] < scoop[0, 1] - 0.8 and abs(scoop[low, 0]) < 0.1  # dips in the middle
    arc = block("gesture_high_arc")
    high = arc[:, 1].argmax()
    assert arc[high, 1] > arc[0, 1] + 0.8 and abs(arc[high, 0]) < 0.1
    push = block("gesture_push_pull")
    assert push[:, 2].max() == 0.82 and push[:, 2].min() < -0.5  # forward, then back
    corners = block("gesture_corner_taps")
    far = corners[(np.abs(corners[:, 0]) > 0.6) & (np.abs(corners[:, 1]) > 0.45)]
    assert len({(np.sign(x), np.sign(y)) for x, y, _ in far}) == 4  # a tap in every corner
    box = block("gesture_box_return")
    assert np.all(box[-64:] == box[0]) and np.all(box[0] == 0.0)  # back at the centre, held
    hop = block("gesture_hop_answer")
    first, second = hop[:192, 1].max(), hop[192:, 1].max()
    assert first > second > hop[0, 1] + 0.3  # a hop, then a lower answer


# ---- ribbon -------------------------------------------------------------------------------

@pytest.mark.parametrize("pair", RIBBON_PAIRS)
@pytest.mark.parametrize("kind", ["slim", "deep"])
def test_ribbon_spine_cycles_and_width_swells(pair, kind):
    a, b = map(int, pair.split("_"))
    values = block(f"ribbon_{pair}_{kind}")
    assert round(abs(winding(values[:, :2]))) == a
    side = np.sign(values[:, 2][values[:, 2] != 0.0])
    assert np.count_nonzero(side != np.roll(side, 1)) == 2 * b  # depth follows the width


@pytest.mark.parametrize("pair", RIBBON_PAIRS)
def test_deep_ribbons_deflect_further_than_slim_ones(pair):
    slim, deep = block(f"ribbon_{pair}_slim"), block(f"ribbon_{pair}_deep")
    assert np.ptp(deep[:, 2]) > 2.0 * np.ptp(slim[:, 2])


# ---- contour and spline -------------------------------------------------------------------

@pytest.mark.parametrize("name", members("contour"))
def test_contours_go_once_round_an_oval(name):
    values = block(name)
    assert round(abs(winding(values[:, :2]))) == 1
    # Travelled at an even pace along the edge, squared-off sides included.
    travel = np.linalg.norm(np.roll(values, -1, axis=0) - values, axis=1)
    assert travel.max() < 1.05 * travel.min()


@pytest.mark.parametrize("name", members("spline"))
def test_spline_tangents_run_on_across_the_seam(name):
    values = block(name)
    second = np.abs(np.roll(values, -1, axis=0) - 2 * values + np.roll(values, 1, axis=0))
    second = second.max(axis=1)
    # A tangent that failed to wrap would leave a corner: a spike of the second difference.
    assert second[0] <= 3.0 * max(second[1], second[-1]) + 1e-6


# ---- tour ---------------------------------------------------------------------------------

@pytest.mark.parametrize("suffix", TOURS)
def test_tour_visits_the_star_polygon_in_steps_of_k(suffix):
    n, k = map(int, suffix.split("_"))
    values = block(f"tour_{suffix}")
    stops = [(start, length) for start, length in holds(values) if length >= 2]
    assert len(stops) == n
    stops.sort()
    points = np.array([values[start] for start, _ in stops])
    assert len({tuple(p) for p in points}) == n
    # The vertices lie round the centre; rank them by angle and read off the visiting steps.
    order = np.argsort(np.arctan2(points[:, 1], points[:, 0]))
    rank = np.empty(n, dtype=int)
    rank[order] = np.arange(n)
    jumps = {(int(rank[(i + 1) % n]) - int(rank[i])) % n for i in range(n)}
    assert jumps in ({k}, {n - k})
    # Dwell lengths alternate long and short (the odd tours meet two longs at the seam).
    lengths = [length for _, length in stops]
    for i in range(n - 1):
        assert (lengths[i] > lengths[i + 1]) == (i % 2 == 0)


def test_tour_vertices_are_not_on_a_circle():
    for name in members("tour"):
        values = block(name)
        points = np.array([values[s] for s, length in holds(values) if length >= 2])
        radii = np.hypot(points[:, 0], points[:, 1])
        assert radii.max() > 1.1 * radii.min(), name


# ---- scan ---------------------------------------------------------------------------------

def sweeps(x):
    """(direction, start, end) of each monotone run of x that crosses most of the field."""
    runs, direction, start = [], 0, 0
    span = np.ptp(x)
    for p in range(1, len(x)):
        d = np.sign(x[p] - x[p - 1])
        if d == 0 or d == direction:
            continue
        if direction and abs(x[p - 1] - x[start]) >= 0.6 * span:
            runs.append((direction, start, p - 1))
        direction, start = d, p - 1
    if direction and abs(x[-1] - x[start]) >= 0.6 * span:
        runs.append((direction, start, len(x) - 1))
    return runs


@pytest.mark.parametrize("style,n", SCANS)
def test_scan_sweeps_n_rows_then_returns_outside(style, n):
    values = block(f"scan_{style}_{n}")
    x = values[:, 0]
    found = sweeps(x)
    # n alternating rows, and for an odd count one more crossing: the return underneath.
    assert len(found) == n + n % 2
    rows = found[:n]
    assert [d for d, _, _ in rows] == [1 if i % 2 == 0 else -1 for i in range(n)]
    # Where each sweep crosses the middle of the field.
    middle = [s + int(np.argmin(np.abs(x[s:e + 1]))) for _, s, e in found]
    levels = values[middle[:n], 1]
    assert all(a > b for a, b in zip(levels, levels[1:]))
    if style == "depth":
        assert all(a < b for a, b in zip(values[middle[:n], 2], values[middle[1:n], 2]))
    if n % 2:
        assert found[-1][0] == -1 and values[middle[-1], 1] < levels[-1] - 0.05
        # The last row drops away without the outward rounding of a turn onto a row.
        rounding = max(x[s:e + 1].max() for d, s, e in rows[:-1] if d == 1)
        assert x[rows[-1][1]:rows[-1][2] + 1].max() < rounding - 0.02
    # The climb back runs along the outside: left of every turn, from the lowest row up to
    # the first.
    turns = np.concatenate([x[s:e + 1] for _, s, e in rows[:-1]])
    track = np.flatnonzero(x == x.min())
    assert x.min() < turns.min() - 0.02
    assert values[track, 1].max() >= values[0, 1] - 0.01
    assert np.ptp(values[track, 1]) >= 0.75 * (levels[0] - levels[-1])


# ---- reach --------------------------------------------------------------------------------

def excursions(values):
    reach = np.linalg.norm(values, axis=1)
    return circular_runs(reach > 0.3 * reach.max()), reach


@pytest.mark.parametrize("style,n", REACHES)
def test_reach_departs_n_times_from_the_centre(style, n):
    values = block(f"reach_{style}_{n}")
    assert values[0].tolist() == [0.0, 0.0, 0.0]
    runs, reach = excursions(values)
    assert len(runs) == n
    tips = []
    for i, (start, length) in enumerate(runs):
        pips = (start + np.arange(length)) % len(values)
        tips.append(values[pips[np.argmax(reach[pips])]])
        # Settled back at the centre before the next reach leaves.
        gap_start = (start + length) % len(values)
        gap_end = runs[(i + 1) % n][0]
        gap = (gap_start + np.arange((gap_end - gap_start) % len(values))) % len(values)
        assert reach[gap].min() < 0.02
    angles = sorted(math.atan2(t[1], t[0]) for t in tips)
    gaps = [b - a for a, b in zip(angles, angles[1:])] + [angles[0] + 2 * math.pi - angles[-1]]
    assert min(gaps) > math.radians(15)  # each along its own direction


@pytest.mark.parametrize("style,n", REACHES)
def test_reach_styles(style, n):
    values = block(f"reach_{style}_{n}")
    runs, reach = excursions(values)
    period = len(values)

    def settled(i):
        """The pip nearest the centre between reach i and the next one."""
        end = (runs[i][0] + runs[i][1]) % period
        gap = (end + np.arange((runs[(i + 1) % n][0] - end) % period)) % period
        return int(gap[np.argmin(reach[gap])])

    for i in range(n):
        # The whole reach, from leaving the centre to settling back.
        start, end = settled(i - 1), settled(i)
        pips = (start + np.arange((end - start) % period + 1)) % period
        xy = values[pips, :2]
        tip = xy[np.argmax(np.linalg.norm(xy, axis=1))]
        along = xy @ (tip / np.linalg.norm(tip))
        area = 0.5 * abs(np.dot(xy[:, 0], np.roll(xy[:, 1], -1))
                         - np.dot(xy[:, 1], np.roll(xy[:, 0], -1)))
        if style in ("scoop", "hook"):
            assert area > 0.01  # out and back by different ways: a dip or a curl
        if style == "lift":
            assert values[pips, 2].max() > 0.2
        if style == "recoil":
            # Settling, the point passes the centre to the other side before the next reach.
            left = (runs[i][0] + runs[i][1]) % period
            after = (left + np.arange((runs[(i + 1) % n][0] - left) % period)) % period
            assert (values[after, :2] @ (tip / np.linalg.norm(tip))).min() < -0.03
        else:
            assert along.min() > -0.01
    if style == "lift":
        assert values[:, 2].min() >= 0.0


# ---- braid --------------------------------------------------------------------------------

@pytest.mark.parametrize("suffix", BRAIDS)
def test_braid_turns_a_times_and_rolls_b_times(suffix):
    a, b = map(int, suffix.split("_"))
    values = block(f"braid_{suffix}")
    assert round(abs(winding(values[:, :2]))) == a
    r = np.hypot(values[:, 0], values[:, 1])
    peaks = (r > np.roll(r, 1)) & (r >= np.roll(r, -1))
    assert np.count_nonzero(peaks) == b


# ---- arm ----------------------------------------------------------------------------------

@pytest.mark.parametrize("name", members("arm"))
def test_arm_paths_are_centred(name):
    assert np.abs(block(name).mean(axis=0)).max() < 1e-9


# ---- dwell --------------------------------------------------------------------------------

@pytest.mark.parametrize("name", members("dwell"))
def test_dwell_holds_on_the_half_beat_grid(name):
    values = block(name)
    found = [(start, length) for start, length in holds(values) if length >= 2]
    assert len(found) == 3  # two lifted holds and the rest
    for start, length in found:
        assert start % 32 == 0 and length % 32 == 0
    rest = next(start for start, length in found if (start + length) % len(values) == 0)
    lifted = [(start, length) for start, length in found if start != rest]
    (s1, l1), (s2, l2) = lifted
    assert l1 != l2  # unequal lengths
    assert values[s1, 1] != values[s2, 1]  # and unequal heights
    assert min(values[s1, 1], values[s2, 1]) > values[0, 1] + 0.3  # both lifted


# ---- the members' names, periods and descriptions -------------------------------------

PHRASES = ["side reach", "cross and reach", "low scoop", "high arc", "corner taps",
           "diagonal touch", "box and centre", "zigzag lift", "duck and sway", "push and pull",
           "reach through depth", "bow and turn", "heel-toe abstract", "hop and answer",
           "spiral reach", "depth diamond"]

MEMBERS = [
    Members("gesture", words("side_reach cross_reach low_scoop high_arc corner_taps "
                             "diagonal_touch box_return zigzag_lift duck_sway push_pull "
                             "reach_depth bow_turn heel_toe hop_answer spiral_reach "
                             "diamond_depth"), 512, three_if(*GESTURES_WITH_DEPTH),
            lambda s, i: f"An original single-point {PHRASES[i]} gesture. Abstract motion, not "
                         "a full-body dance or biomechanical recording."),
    Members("ribbon", [f"{p}_{k}" for k in ("slim", "deep") for p in RIBBON_PAIRS], 1024,
            3, "A curved elliptical spine with variable radial width and linked "
                      "depth deflection."),
    Members("contour", ["shaped_" + n for n in two_digits()], 1024, three_from_ninth,
            "Signed-power oval edges with local ripples and an asymmetric bow."),
    Members("spline", words("kite hourglass hook crown bow crooked_cross asymmetric_star scoop "
                            "rising_kite twisted_bow cup bridge double_bay slanted_loop fork "
                            "folded_crown"), 512, three_from_ninth,
            "Periodic cubic tangents connect asymmetrical controls with unequal segment "
            "times."),
    Members("tour", TOURS, 1024, three_from_ninth,
            "A noncircular vertex tour with eased corners and alternating dwell lengths."),
    Members("scan", [f"{style}_{n}" for style, n in SCANS], 1024,
            lambda s, i: 3 if s.startswith("depth") else 2,
            "An eased serpentine scan and an explicit outer return to the starting point."),
    Members("reach", [f"{style}_{n}" for style, n in REACHES], 1024,
            lambda s, i: 3 if s.startswith("lift") else 2,
            "Separate shaped reaches depart from and settle at a shared centre, without "
            "reset jumps."),
    Members("braid", BRAIDS, 1024, 3,
            "An offset tube centreline and a rolling cross-section with a second depth "
            "ripple."),
    Members("arm", ["coupled_" + n for n in two_digits()], 1024, three_from_ninth,
            "Tip position of two kinematically driven links; not a dynamics simulation or "
            "anatomical model."),
    Members("dwell", ["phrase_" + n for n in two_digits()], 1024, 3,
            "Two unequal lift-and-hold gestures, a transfer and a settling return; holds "
            "have finite musical duration."),
]


test_members_are_named_timed_and_described = members_test(MEMBERS)
