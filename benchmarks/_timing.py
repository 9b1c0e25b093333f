"""Shared timing helpers: interleaved repeats, best-of, so ratios come from one run."""

import statistics
import subprocess
import sys
import time
import timeit


def best_per_call(cases, number=20_000, repeat=60):
    """Time each (label, stmt, globals) case; returns {label: best seconds per call}.

    Cases are interleaved within every repeat so that drifts of the machine affect all
    of them alike; many short repeats give the best-of a fair chance to find a quiet
    stretch of the machine for every case."""
    timers = {label: timeit.Timer(stmt, globals=g) for label, stmt, g in cases}
    best = {label: float("inf") for label in timers}
    for _ in range(repeat):
        for label, timer in timers.items():
            best[label] = min(best[label], timer.timeit(number) / number)
    return best


def import_cost_ms(module="kinetrope", runs=15):
    """Median extra start-up time of a process that imports the module, in ms."""
    def run(code):
        start = time.perf_counter()
        subprocess.run([sys.executable, "-c", code], check=True)
        return time.perf_counter() - start

    bare, with_import = [], []
    for _ in range(runs):
        bare.append(run("pass"))
        with_import.append(run(f"import {module}"))
    return (statistics.median(with_import) - statistics.median(bare)) * 1000.0


def report(title, rows):
    print(title)
    width = max(len(r[0]) for r in rows)
    for label, value, target in rows:
        verdict = "" if target is None else ("  ok" if value <= target else "  OVER TARGET")
        limit = "" if target is None else f"  (target <= {target})"
        print(f"  {label:<{width}}  {value:8.3f}{limit}{verdict}")
