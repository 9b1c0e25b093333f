"""Cost of a rudiment call relative to the cheapest one, ombrel_background (a table read).

Nearly all of a call is binding work (converting the pip, creating the Offset3), so every
rudiment should cost about the same. Prints ratios measured in this one run."""

import math

import kinetrope
from _timing import best_per_call, import_cost_ms, report

RUDIMENTS = ["bounce", "sway", "circle", "figure_eight", "step_touch", "box_step", "helix",
             "ombrel_background", "single_stroke_roll", "double_stroke_roll",
             "multiple_bounce_roll", "single_paradiddle", "flam", "drag", "five_stroke_roll"]


class PyOffset:
    __slots__ = ("x", "y", "z")

    def __init__(self, x, y, z):
        self.x, self.y, self.z = x, y, z


def py_sway(pip):
    c = pip % 128
    return PyOffset(math.sin((c * 0.0078125) * 6.283185307179586), 0.0, 0.0)


def main():
    pip = 1234567
    names = {"kinetrope": kinetrope, "py_sway": py_sway, "p": pip}
    cases = [(name, f"kinetrope.{name}(p)", names) for name in RUDIMENTS]
    cases.append(("divmod", "divmod(p, 64)", names))
    cases.append(("python sway", "py_sway(p)", names))
    best = best_per_call(cases)
    floor = best["ombrel_background"]
    print(f"ombrel_background: {floor * 1e9:.1f} ns per call")
    report("rudiment call / ombrel_background(pip)",
           [(name, best[name] / floor, 1.15) for name in RUDIMENTS])
    report("for the record: sway(pip) against",
           [("divmod(pip, 64)", best["sway"] / best["divmod"], None),
            ("a plain-Python sway", best["sway"] / best["python sway"], None)])
    report("start-up", [("import kinetrope, ms (median)", import_cost_ms(), 15.0)])


if __name__ == "__main__":
    main()
