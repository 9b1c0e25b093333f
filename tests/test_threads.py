"""First use from many threads at once, on a fresh interpreter: the lazily built default
catalogue and everything sampled beside it come out the same in every thread."""

import json
import subprocess
import sys

import pytest

SCRIPT = r"""
import json, sys, threading

sys.setswitchinterval(1e-6)  # switch threads as often as the interpreter allows
THREADS, IMPORT_IN_THREADS = int(sys.argv[1]), sys.argv[2] == "1"
if not IMPORT_IN_THREADS:
    import kinetrope
start = threading.Barrier(THREADS)
results, failures = [None] * THREADS, []


def work(slot):
    try:
        start.wait()
        import kinetrope as k
        listing = k.catalogue()
        library = k.PatternLibrary()
        mine = k.PatternLibrary([k.SampledPattern("mine", "", [(0.5, 0.0, -0.5)] * 3)])
        names = [e["name"] for e in listing]
        values = [k.sample(n, p).as_tuple() for n in names[::7] for p in (-1, 0, 1000)]
        values += [library.sample(n, 5).as_tuple() for n in names[::11]]
        results[slot] = [listing, library.catalogue(), mine.catalogue()[-1],
                         mine.sample("mine", -1).as_tuple(), values]
    except BaseException as exc:
        failures.append(repr(exc))


threads = [threading.Thread(target=work, args=(i,)) for i in range(THREADS)]
for t in threads:
    t.start()
for t in threads:
    t.join()
first = results[0]
print(json.dumps({
    "failures": failures,
    "missing": sum(r is None for r in results),
    "different": sum(r != first for r in results),
    "listing": first[0] if first else None,
}))
"""


@pytest.mark.parametrize("import_in_threads", [False, True], ids=["imported", "imported-in-threads"])
def test_first_use_from_many_threads(import_in_threads):
    import kinetrope

    run = subprocess.run([sys.executable, "-c", SCRIPT, "32", str(int(import_in_threads))],
                         capture_output=True, text=True, timeout=300, check=False)
    assert run.returncode == 0, run.stderr
    report = json.loads(run.stdout)
    assert report == {"failures": [], "missing": 0, "different": 0,
                      "listing": kinetrope.catalogue()}
