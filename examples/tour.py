"""Where is the point? A quick tour of a few kinetrope motions.

For each motion, prints the displacement at a few pips where it moves, and says which:
the flowing motions at every sixteenth note (16 pips) over two beats, the drum strokes at
the peak of each thirty-second-note stroke over one beat. A beat is
kinetrope.PIPS_PER_BEAT = 64 pips.
"""

import os
import sys
from fractions import Fraction

import kinetrope

BEAT = kinetrope.PIPS_PER_BEAT
SIXTEENTH = BEAT // 4
STROKE = BEAT // 8  # the stroke rudiments strike on the thirty-second-note grid

EVERY_SIXTEENTH = (range(0, 2 * BEAT + 1, SIXTEENTH), "each sixteenth note over two beats")
# A stroke rests at its edges, which fall on the sixteenth grid, and peaks half-way.
STROKE_PEAKS = (range(STROKE // 2, BEAT, STROKE),
                "the peak of each thirty-second-note stroke, over one beat")

TOUR = [
    ("bounce", EVERY_SIXTEENTH),
    ("sway", EVERY_SIXTEENTH),
    ("circle", EVERY_SIXTEENTH),
    ("step_touch", EVERY_SIXTEENTH),
    ("helix", EVERY_SIXTEENTH),
    ("single_paradiddle", STROKE_PEAKS),
]


def beat_of(pip: int) -> str:
    """The pip's place in beats, as an exact fraction: 0, 1/16, 1/4, 5/4, 2..."""
    return str(Fraction(pip, BEAT))


def main() -> None:
    print("kinetrope:", kinetrope.__doc__)
    print(f"{BEAT} pips per beat; each table says which pips it shows\n")
    for name, (pips, what) in TOUR:
        motion = getattr(kinetrope, name)
        print(f"{name}\n  pips {pips[0]} to {pips[-1]}, every {pips.step}: {what}")
        print(f"  {'beat':>6} {'pip':>5} {'x':>8} {'y':>8} {'z':>8}")
        for pip in pips:
            x, y, z = motion(pip).as_tuple()
            # "z" drops the sign of a value that rounds to zero: 0.000, never -0.000.
            print(f"  {beat_of(pip):>6} {pip:5d} {x:z8.3f} {y:z8.3f} {z:z8.3f}")
        print()
    name = "lfo_breathe"
    print(f"{name}: a built-in pattern, sampled by name, one row per beat")
    for pip in range(0, 5 * BEAT, BEAT):
        x, y, z = kinetrope.sample(name, pip).as_tuple()
        print(f"  pip {pip:4d}: x={x:+z.3f}")


if __name__ == "__main__":
    try:
        main()
        sys.stdout.flush()  # inside the try: a reader gone (`| head`) shows up here
    except BrokenPipeError:
        # Stop quietly, and keep the interpreter's own last flush from failing again.
        devnull = os.open(os.devnull, os.O_WRONLY)
        os.dup2(devnull, sys.stdout.fileno())
        os.close(devnull)
        sys.exit(141)  # 128 + SIGPIPE, as for a writer the signal would have stopped
