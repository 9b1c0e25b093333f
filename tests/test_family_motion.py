"""Catalogue families of motion studies (seq, noise, mech, packet): what their names and
descriptions promise, checked on the data through sample()."""

import math

import pytest

from catalogue_data import catmull_rom, hashed, members, members_test, samples
from catalogue_records import Members, by_n, three_if, words


def winding(points):
    """Turns of the closed x-y path around the origin."""
    total = 0.0
    for (x0, y0, _), (x1, y1, _) in zip(points, points[1:] + points[:1]):
        d = math.atan2(y1, x1) - math.atan2(y0, x0)
        total += (d + math.pi) % math.tau - math.pi
    return round(total / math.tau)


# ---- the members' names, periods and descriptions -------------------------------------

SHAPES = ["up_down", "pendulum", "octave", "unequal", "question", "answer", "ratchet", "stairs"]
STEPS = {"even": [64] * 8, "lilt": [84, 44] * 4}
STYLES = ["alternating", "cascading", "crossing", "depth"]
MECH_TITLES = ["Short-rod piston", "Long-rod piston", "Offset crank", "Yoke with rocking linkage",
               "Quick-return linkage study", "Elliptic cam follower", "Two-lobe cam follower",
               "Three-lobe cam follower", "Soft escapement study", "Paddle-wheel tip",
               "Wobble-plate trace", "Rocking beam", "Coupled cranks", "Crank and rocker study",
               "Piston and balance mass", "Cam rise and return"]

MEMBERS = [
    Members("seq", [f"{shape}_{t}" for shape in SHAPES for t in STEPS], 512, 2,
            lambda s, i: f"A programmed position sequence with {s.rsplit('_', 1)[1]} segment "
                          "durations and softened transitions."),
    Members("noise", by_n(["drift"], [5, 7, 9, 11]) + by_n(["orbit"], [6, 8, 10, 12])
            + by_n(["ripple"], [5, 7, 9, 11]) + by_n(["depth"], [6, 8, 10, 12]), 1024,
            lambda s, i: 3 if s.startswith("depth") else 2,
            lambda s, i: f"Indexed SHA-256 control points in a closed {s.split('_')[0]} path. "
                          "No mutable random state."),
    Members("mech", words("piston_short piston_long offset_crank scotch_yoke whitworth "
                          "elliptic_cam two_lobe_cam three_lobe_cam escapement paddle "
                          "wobble_plate rocking_beam coupled_cranks crank_rocker piston_balance "
                          "cam_return"), 512,
            three_if("wobble_plate", "crank_rocker", "piston_balance"),
            lambda s, i: MECH_TITLES[i] + "; an original kinematic-style position study, not an "
                                          "engineering simulation."),
    Members("packet", by_n(STYLES, [2, 3, 4, 5]),
            512, lambda s, i: 3 if s.startswith("depth") else 2,
            "Compact, smooth-edged oscillation packets arranged around a closed phrase, "
            "with shaped side motion."),
]


test_members_are_named_timed_and_described = members_test(MEMBERS)


# ---- seq ---------------------------------------------------------------------------------

def holds(name, timing):
    """The resting position of each step: its last pip, checked to be a real hold."""
    rows = samples(name)
    out, end = [], 0
    for d in STEPS[timing]:
        end += d
        rest = rows[end - 1]
        assert all(rows[p][:2] == rest[:2] for p in range(end - d // 4, end)), (name, end)
        out.append(rest[:2])
    return out, rows


@pytest.mark.parametrize("timing", sorted(STEPS))
@pytest.mark.parametrize("shape", SHAPES)
def test_seq_steps_rest_then_ease_on_at_each_step(shape, timing):
    name = f"seq_{shape}_{timing}"
    positions, rows = holds(name, timing)
    assert max(abs(c) for r in rows for c in r) == 0.82
    assert all(z == 0.0 for _, _, z in rows)
    start = 0
    for i, d in enumerate(STEPS[timing]):
        previous = positions[i - 1]
        # each step begins where the one before rested, and the move is eased: it leaves
        # slowly, with a step no larger than a quarter of the total at its first pip
        assert rows[start][:2] == previous
        if positions[i] != previous:
            gap = max(abs(a - b) for a, b in zip(positions[i], previous))
            first = max(abs(a - b) for a, b in zip(rows[start + 1][:2], previous))
            assert first < 0.25 * gap
        start += d


def test_seq_lilt_differs_from_even_only_in_timing():
    for shape in SHAPES:
        assert holds(f"seq_{shape}_even", "even")[0] == holds(f"seq_{shape}_lilt", "lilt")[0]
        assert samples(f"seq_{shape}_even") != samples(f"seq_{shape}_lilt")


def test_seq_shapes_do_what_their_names_say():
    pos = {s: holds(f"seq_{s}_even", "even")[0] for s in SHAPES}
    xs = {s: [p[0] for p in v] for s, v in pos.items()}
    ys = {s: [p[1] for p in v] for s, v in pos.items()}
    # up and down: y climbs to the top at the middle step and comes back down
    assert ys["up_down"][:5] == sorted(ys["up_down"][:5]) and ys["up_down"][4] == 0.82
    assert ys["up_down"][4:] == sorted(ys["up_down"][4:], reverse=True)
    # pendulum: x swings end to end, lowest in the middle of the swing
    assert xs["pendulum"][0] == -0.82 and xs["pendulum"][4] == 0.82
    assert min(ys["pendulum"]) == ys["pendulum"][2] == ys["pendulum"][6]
    # octave: every note is answered by the same position one register up
    assert all(xs["octave"][i] == xs["octave"][i + 1] and ys["octave"][i + 1] > ys["octave"][i]
               for i in range(0, 8, 2))
    assert len(set(ys["octave"])) == 2
    # stairs climb: alternately across and up to the top stair, then back down
    climb = pos["stairs"][:7]
    assert all(b[0] >= a[0] and b[1] >= a[1] and (b[0] == a[0]) != (b[1] == a[1])
               for a, b in zip(climb, climb[1:]))
    assert climb[-1] == (0.82, 0.82) and climb[0] == (-0.82, -0.82)
    # ratchet: four notches forward, a jump back, the same four again
    assert pos["ratchet"][:4] == pos["ratchet"][4:]
    assert xs["ratchet"][:4] == sorted(xs["ratchet"][:4]) and xs["ratchet"][4] < xs["ratchet"][3]
    # the question ends high and open; the answer starts there and resolves on its start
    assert ys["question"][-1] == max(ys["question"]) and pos["question"][-1] != pos["question"][0]
    assert pos["answer"][0] == pos["question"][-1]
    assert pos["answer"][-1] == pos["answer"][-2] == pos["question"][0]
    # unequal: the distances between neighbouring steps really differ
    gaps = [math.dist(a, b) for a, b in zip(pos["unequal"], pos["unequal"][1:])]
    assert len({round(g, 6) for g in gaps}) >= 5 and max(gaps) > 2 * min(gaps)


# ---- noise -------------------------------------------------------------------------------

@pytest.mark.parametrize("name, axes, count", [
    *[(f"noise_drift_{n}", "xy", n) for n in (5, 7, 9, 11)],
    *[(f"noise_depth_{n}", "xyz", n) for n in (6, 8, 10, 12)],
])
def test_noise_lanes_pass_through_their_sha256_points(name, axes, count):
    lanes = [hashed(f"{name}/{a}", count) for a in axes]
    rows = [[catmull_rom(pts, p / 1024) for pts in lanes] for p in range(1024)]
    m = max(abs(v) for r in rows for v in r)
    got = samples(name)
    for p in range(1024):
        want = [v * (0.82 / m) for v in rows[p]] + [0.0] * (3 - len(axes))
        for axis in range(3):
            assert abs(got[p][axis] - round(want[axis], 12)) <= 1e-12, (name, p, axis)
    # the control points sit where the count puts them: pip 1024 k / n, when that is whole
    for k in range(count):
        if 1024 * k % count == 0:
            assert abs(got[1024 * k // count][0] - round(lanes[0][k] * 0.82 / m, 12)) <= 1e-12


@pytest.mark.parametrize("n", [6, 8, 10, 12])
def test_noise_orbit_is_a_perturbed_circle(n):
    rows = samples(f"noise_orbit_{n}")
    radii = [math.hypot(x, y) for x, y, _ in rows]
    assert winding(rows) == 1
    assert min(radii) > 0.45 * max(radii)
    assert max(radii) - min(radii) > 0.1


@pytest.mark.parametrize("n", [5, 7, 9, 11])
def test_noise_ripple_wobbles_fast_on_a_slow_loop(n):
    rows = samples(f"noise_ripple_{n}")
    assert winding(rows) == 1
    # the wobble: what a one-beat moving average leaves over crosses zero many times a
    # loop, far more often than the slow loop itself could make it
    xs = [x for x, _, _ in rows]
    rest = [xs[p] - sum(xs[(p + k) % 1024] for k in range(-32, 33)) / 65 for p in range(1024)]
    crossings = sum(1 for a, b in zip(rest, rest[1:] + rest[:1]) if a * b < 0)
    assert crossings >= 20


# ---- mech --------------------------------------------------------------------------------

def centred_scaled(rows):
    cols = list(zip(*rows))
    mids = [(max(c) + min(c)) / 2 for c in cols]
    rows = [tuple(v - m for v, m in zip(r, mids)) for r in rows]
    peak = max(abs(v) for r in rows for v in r)
    return [tuple(v * (0.82 / peak) for v in r) for r in rows]


def rod_point(rod, fraction, turns):
    def at(p):
        t = (turns * math.tau * p / 512 + 0.3) % math.tau
        pin = (math.cos(t), math.sin(t))
        slider = pin[0] + math.sqrt(rod * rod - pin[1] * pin[1])
        return (pin[0] + fraction * (slider - pin[0]), pin[1] * (1 - fraction), 0.0)
    return [at(p) for p in range(512)]


@pytest.mark.parametrize("name, rod, fraction, turns", [
    ("mech_piston_short", 1.6, 0.5, 2), ("mech_piston_long", 4.0, 0.3, 1)])
def test_pistons_trace_the_slider_crank_rod(name, rod, fraction, turns):
    want = centred_scaled(rod_point(rod, fraction, turns))
    got = samples(name)
    assert all(abs(g - w) < 1e-9 for gr, wr in zip(got, want) for g, w in zip(gr, wr))


def test_every_mechanism_moves_on_both_axes_of_the_plane():
    for name in members("mech"):
        rows = samples(name)
        assert any(x != 0.0 for x, _, _ in rows) and any(y != 0.0 for _, y, _ in rows)


def test_whitworth_returns_faster_than_it_strokes():
    xs = [x for x, _, _ in samples("mech_whitworth")]
    forward = sum(1 for a, b in zip(xs, xs[1:] + xs[:1]) if b > a)
    backward = 512 - forward
    assert max(forward, backward) > 1.5 * min(forward, backward)


def test_escapement_ticks_and_holds():
    rows = samples("mech_escapement")
    still = [rows[p] == rows[(p + 1) % 512] for p in range(512)]
    runs = sum(1 for p in range(512) if still[p] and not still[p - 1])
    assert runs == 8
    radii = {round(math.hypot(x, y), 9) for x, y, _ in rows}
    assert radii == {0.82}


def test_cam_return_rises_dwells_and_returns():
    rows = samples("mech_cam_return")
    ys = [y for _, y, _ in rows]
    top, bottom = max(ys), min(ys)
    dwell_top = [p for p in range(512) if ys[p] == top]
    dwell_bottom = [p for p in range(512) if ys[p] == bottom]
    assert len(dwell_top) > 70 and len(dwell_bottom) > 70
    # a flat-faced follower's contact offset is the lift's slope: none while it dwells
    assert len({rows[p][0] for p in dwell_top + dwell_bottom}) == 1


def test_piston_balance_mass_stays_opposite_on_its_circle():
    rows = samples("mech_piston_balance")
    radii = [math.hypot(y, z) for _, y, z in rows]
    assert max(radii) - min(radii) < 1e-9
    # the mass is opposite the crank pin: when the piston is out (x high) the mass is in
    far = max(range(512), key=lambda p: rows[p][0])
    assert rows[far][2] < 0


# ---- packet ------------------------------------------------------------------------------



def packets(rows):
    """Runs of pips away from the origin, split only by rests of several pips (a packet
    itself may pass through the origin at a single pip)."""
    away = [p for p, r in enumerate(rows) if r != (0.0, 0.0, 0.0)]
    runs = [[away[0], away[0] + 1]]
    for p in away[1:]:
        if p - runs[-1][1] >= 3:
            runs.append([p, p + 1])
        else:
            runs[-1][1] = p + 1
    return [tuple(r) for r in runs]


@pytest.mark.parametrize("n", [2, 3, 4, 5])
@pytest.mark.parametrize("style", STYLES)
def test_packets_count_and_oscillate(style, n):
    rows = samples(f"packet_{style}_{n}")
    assert len(packets(rows)) == n
    # each packet oscillates: its fast lane turns back several times
    fast = 2 if style == "depth" else 1
    for a, b in packets(rows):
        lane = [rows[p][fast] for p in range(a, b)]
        turns = sum(1 for i in range(1, len(lane) - 1) if (lane[i] - lane[i - 1]) * (lane[i + 1] - lane[i]) < 0)
        assert turns >= 3


@pytest.mark.parametrize("n", [2, 3, 4, 5])
def test_packet_side_motion_follows_the_style(n):
    def sides(style):
        rows = samples(f"packet_{style}_{n}")
        return rows, packets(rows)

    rows, runs = sides("alternating")
    leans = [sum(rows[p][0] for p in range(a, b)) for a, b in runs]
    assert all(l1 * l2 < 0 for l1, l2 in zip(leans, leans[1:]))

    rows, runs = sides("cascading")
    centres = [sum(rows[p][0] for p in range(a, b)) / (b - a) for a, b in runs]
    assert centres == sorted(centres) and centres[0] < 0 < centres[-1]

    rows, runs = sides("crossing")
    for a, b in runs:
        xs = [rows[p][0] for p in range(a, b)]
        assert min(xs) < -0.3 and max(xs) > 0.3

    rows, runs = sides("depth")
    angles = [math.atan2(sum(rows[p][1] for p in range(a, b)), sum(rows[p][0] for p in range(a, b)))
              for a, b in runs]
    steps = [round(((b - a) % math.tau) / (math.tau / n), 6) for a, b in zip(angles, angles[1:])]
    assert steps == [1.0] * (n - 1)
