"""Cost of sampling by name relative to ombrel_background(pip), the cheapest rudiment call.

sample(name, pip) pays for the name on top of a rudiment call: converting it, finding it
among the rudiments, then in the built-in table. Also the cost of importing the module
and the memory it takes: importing must not touch the sample data.
Prints ratios measured in this one run."""

import subprocess
import sys

import kinetrope
from _timing import best_per_call, import_cost_ms, report

RUDIMENTS = [e["name"] for e in kinetrope.catalogue()[:15]]


def builtin_names():
    table = [e["name"] for e in kinetrope.catalogue()[15:]]
    if not table:
        return []
    # First, last and one in the middle of the table, and every 128th in name order from the
    # first to the last, so that the search ends in every part of the index.
    by_name = sorted(table)
    picks = [table[0], table[len(table) // 2], table[-1], *by_name[::128], by_name[-1]]
    return list(dict.fromkeys(picks))


def resident_growth_kb():
    """Resident memory (VmRSS) added by `import kinetrope`, measured in a fresh process."""
    code = (
        "def rss():\n"
        "    for line in open('/proc/self/status'):\n"
        "        if line.startswith('VmRSS:'):\n"
        "            return int(line.split()[1])\n"
        "before = rss()\n"
        "import kinetrope\n"
        "print(rss() - before)\n"
    )
    runs = [int(subprocess.run([sys.executable, "-c", code], check=True, capture_output=True,
                               text=True).stdout) for _ in range(5)]
    return sorted(runs)[len(runs) // 2]


def import_self_us():
    """The module's own import time as `python -X importtime` reports it, in microseconds."""
    best = None
    for _ in range(7):
        err = subprocess.run([sys.executable, "-X", "importtime", "-c", "import kinetrope"],
                             check=True, capture_output=True, text=True).stderr
        for line in err.splitlines():
            parts = [p.strip() for p in line.split("|")]
            if len(parts) == 3 and parts[2] == "kinetrope":
                cumulative = int(parts[1])
                best = cumulative if best is None else min(best, cumulative)
    return best


def main():
    pip = 1234567
    cases = [("ombrel_background(pip)", "kinetrope.ombrel_background(p)",
              {"kinetrope": kinetrope, "p": pip})]
    names = RUDIMENTS + builtin_names()
    for name in names:
        cases.append((name, "kinetrope.sample(n, p)", {"kinetrope": kinetrope, "n": name, "p": pip}))
    best = best_per_call(cases)
    floor = best["ombrel_background(pip)"]
    print(f"ombrel_background: {floor * 1e9:.1f} ns per call")
    report("sample(name, pip) / ombrel_background(pip)",
           [(name, best[name] / floor, 1.15) for name in names])
    report("start-up", [("import kinetrope, ms (median process difference)", import_cost_ms(), 15.0),
                        ("import kinetrope, ms (-X importtime, best)", import_self_us() / 1000.0, 15.0),
                        ("resident growth on import, MB", resident_growth_kb() / 1024.0, 4.0)])


if __name__ == "__main__":
    main()
