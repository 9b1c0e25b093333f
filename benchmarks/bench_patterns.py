"""Caller patterns: the cost of sampling a SampledPattern and a PatternLibrary by name, and of
building a library from patterns already built. Prints ratios measured in this one run."""

import gc
import os
import time

import kinetrope
from _timing import best_per_call, report

FULL = 65535


def rss_bytes():
    with open("/proc/self/statm") as f:
        return int(f.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def best_seconds(fn, repeat=5):
    best = float("inf")
    for _ in range(repeat):
        gc.collect()
        start = time.perf_counter()
        fn()
        best = min(best, time.perf_counter() - start)
    return best


def sampling():
    pattern = kinetrope.SampledPattern("bench", "", [(i / 256.0, 0.0, 0.0) for i in range(256)])
    users = [kinetrope.SampledPattern(f"u{i}", "", [(0.5, 0.0, 0.0)] * 8) for i in range(1024)]
    # Every call spelled as a caller writes it: the attribute looked up on each call, as it is
    # in a caller's loop, and no method bound beforehand.
    names = {"kinetrope": kinetrope, "pattern": pattern, "lib": kinetrope.PatternLibrary(users),
             "user": users[-1].name, "builtin": "lfo_breathe", "pip": 300}
    cases = [
        ("ombrel_background", "kinetrope.ombrel_background(pip)", names),
        ("SampledPattern.sample", "pattern.sample(pip)", names),
        ("module sample, built-in", "kinetrope.sample(builtin, pip)", names),
        ("library sample, last user", "lib.sample(user, pip)", names),
        ("library sample, built-in", "lib.sample(builtin, pip)", names),
    ]
    best = best_per_call(cases)
    for label, seconds in best.items():
        print(f"  {label}: {seconds * 1e9:.1f} ns per call")
    report("sampling", [
        ("SampledPattern.sample / ombrel_background",
         best["SampledPattern.sample"] / best["ombrel_background"], 1.4),
        ("library sample (last of 1024 users) / module sample (built-in)",
         best["library sample, last user"] / best["module sample, built-in"], 1.4),
        ("library sample (built-in) / module sample (built-in)",
         best["library sample, built-in"] / best["module sample, built-in"], 1.4),
    ])


def building():
    rows = [(0.5, -0.25, 0.125)] * FULL
    tail = [(0.5, 0.0, 0.0)] * 16
    pack = []

    def build_patterns():
        pack.clear()
        pack.extend(kinetrope.SampledPattern(f"full_{i}", "", rows) for i in range(16))
        pack.append(kinetrope.SampledPattern("tail", "", tail))

    patterns_s = best_seconds(build_patterns)
    library_s = best_seconds(lambda: kinetrope.PatternLibrary(pack))

    gc.collect()
    before = rss_bytes()
    library = kinetrope.PatternLibrary(pack)
    held = rss_bytes() - before
    samples = 16 * FULL + 16
    assert library.sample("tail", -1).as_tuple() == (0.5, 0.0, 0.0)
    print(f"  16 x {FULL} + 16 samples: patterns from lists {patterns_s * 1e3:.1f} ms, "
          f"library from patterns {library_s * 1e3:.1f} ms")
    report("building a full pack", [
        ("PatternLibrary(pack) / building the pack's SampledPatterns", library_s / patterns_s, 0.25),
        ("memory held by the library / one copy of the samples (24 bytes each)",
         held / (samples * 24), None),
    ])


def main():
    sampling()
    building()


if __name__ == "__main__":
    main()
