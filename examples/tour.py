"""Where is the point? A quick tour of a few kinetrope motions.

For each motion, prints the displacement at every sixteenth note over two beats.
A sixteenth note is 16 pips (a beat is kinetrope.PIPS_PER_BEAT = 64 pips).
"""

import kinetrope

MOTIONS = ["bounce", "sway", "circle", "step_touch", "helix", "single_paradiddle"]
SIXTEENTH = kinetrope.PIPS_PER_BEAT // 4


def main() -> None:
    print("kinetrope:", kinetrope.__doc__)
    print(f"{kinetrope.PIPS_PER_BEAT} pips per beat; one row per sixteenth note over two beats\n")
    for name in MOTIONS:
        motion = getattr(kinetrope, name)
        print(f"{name}")
        print(f"  {'beat':>6} {'pip':>5} {'x':>8} {'y':>8} {'z':>8}")
        for step in range(8 + 1):
            pip = step * SIXTEENTH
            x, y, z = motion(pip).as_tuple()
            beat = pip / kinetrope.PIPS_PER_BEAT
            print(f"  {beat:6.2f} {pip:5d} {x:8.3f} {y:8.3f} {z:8.3f}")
        print()
    name = "lfo_breathe"
    print(f"{name}: a built-in pattern, sampled by name, one row per beat")
    for pip in range(0, 5 * kinetrope.PIPS_PER_BEAT, kinetrope.PIPS_PER_BEAT):
        x, y, z = kinetrope.sample(name, pip).as_tuple()
        print(f"  pip {pip:4d}: x={x:+.3f}")


if __name__ == "__main__":
    main()
