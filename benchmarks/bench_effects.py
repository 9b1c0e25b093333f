"""A fan's frame against the plain sampling it stands for, measured in this one run.

One effect fanned over 512 fixtures: ``Fan.frame(pip)`` against 512 calls of
``kinetrope.sample(name, pip)`` at the pips the members stand at. Target: a frame costs at
most half of the calls. Beside the ratio, the frame is checked bit for bit against
``Fan.at`` member by member over whole periods of the effect, negative pips included.

Usage: python benchmarks/bench_effects.py
"""

import sys

import numpy as np

import kinetrope
from _timing import best_per_call, report
from kinetrope_rig.effects import Effect, Fan

FIXTURES = 512
PATTERN = next(e["name"] for e in kinetrope.catalogue() if e["period_pips"] == 512)
# The general path (a rate that is not whole, a rotation, wings) and the common one.
FANS = {
    "rate 3/7, size, rotate, wings 2": Fan(Effect(PATTERN, rate="3/7", size=0.8, rotate=30),
                                           FIXTURES, wings=2),
    "rate 1": Fan(PATTERN, FIXTURES),
}


def mismatches(fan):
    """Members whose frame row is not bit for bit ``fan.at`` over the effect's repeat on
    both sides of pip 0."""
    repeat = fan.effect.repeat_pips
    bad = 0
    for pip in range(-repeat, repeat):
        rows = fan.frame(pip)
        expected = np.array([fan.at(pip, m) for m in range(fan.count)], dtype=np.float64)
        bad += int(np.count_nonzero((rows.view(np.int64) != expected.view(np.int64)).any(1)))
    return bad, 2 * repeat


def run():
    pip = 1_234_567
    cases = []
    for label, fan in FANS.items():
        pips = [pip - delay for delay in fan.delays]
        cases.append((f"frame, {label}", "frame(p)", {"frame": fan.frame, "p": pip}))
        cases.append((f"sample x{FIXTURES}, {label}", "for q in pips: sample(name, q)",
                      {"sample": kinetrope.sample, "name": PATTERN, "pips": pips}))
    best = best_per_call(cases, number=200, repeat=40)
    rows = []
    for label, fan in FANS.items():
        frame, plain = best[f"frame, {label}"], best[f"sample x{FIXTURES}, {label}"]
        bad, pips = mismatches(fan)
        print(f"{label}: frame {frame * 1e6:.1f} us, {FIXTURES} samples {plain * 1e6:.1f} us; "
              f"bit-identical to Fan.at: {'yes' if bad == 0 else f'NO, {bad} rows differ'} "
              f"({pips} pips from {-pips // 2}, {FIXTURES} members)")
        rows.append((f"frame / {FIXTURES} samples, {label}", frame / plain, 0.5))
        rows.append((f"frame rows not bit-identical to Fan.at, {label}", bad, 0))
    report(f"{PATTERN} fanned over {FIXTURES} fixtures", rows)


if __name__ == "__main__":
    sys.exit(run())
