"""Costs of SampledRecording, as ratios measured in this one run.

- sample(pip) of a three-axis recording against ombrel_background(pip), the cheapest call;
- building a one-axis recording of 8,388,608 rows against pybind11 merely converting the
  same rows to a vector of vectors (rows_probe.cpp, compiled here on first use);
- the native memory of that recording and the peak while it is built, both measured in a
  fresh process: glibc's mallinfo2() for the bytes held (heap and mmap separately, with
  the count of mmapped blocks), the growth of the peak resident set for the transient.

Usage: PYTHONPATH=<build dir> python3 benchmarks/bench_recording.py [--probe-dir DIR]
"""

import argparse
import os
import subprocess
import sys
import sysconfig
import time
from pathlib import Path

import kinetrope
from _timing import best_per_call, report

ROWS = 2**23
HERE = Path(__file__).resolve().parent


def build_probe(directory):
    directory.mkdir(parents=True, exist_ok=True)
    target = directory / ("rows_probe" + sysconfig.get_config_var("EXT_SUFFIX"))
    source = HERE / "rows_probe.cpp"
    if not target.exists() or target.stat().st_mtime < source.stat().st_mtime:
        import pybind11

        subprocess.run(
            ["c++", "-O2", "-std=c++20", "-ffp-contract=off", "-shared", "-fPIC",
             "-fvisibility=hidden", f"-I{pybind11.get_include()}",
             f"-I{sysconfig.get_paths()['include']}", str(source), "-o", str(target)],
            check=True)
    sys.path.insert(0, str(directory))
    import rows_probe

    return rows_probe


def best_seconds(fn, repeat=5):
    best = float("inf")
    for _ in range(repeat):
        start = time.perf_counter()
        fn()
        best = min(best, time.perf_counter() - start)
    return best


MEMORY_PROBE = r"""
import ctypes, sys
import kinetrope

class MallInfo2(ctypes.Structure):
    _fields_ = [(n, ctypes.c_size_t) for n in
                ("arena", "ordblks", "smblks", "hblks", "hblkhd", "usmblks", "fsmblks",
                 "uordblks", "fordblks", "keepcost")]

libc = ctypes.CDLL(None)
libc.mallinfo2.restype = MallInfo2
counter = ctypes.CDLL(sys.argv[2])
counts = (ctypes.c_longlong * 3)()

def held():
    m = libc.mallinfo2()
    return m.uordblks, m.hblkhd, m.hblks

rows = [[0.25]] * int(sys.argv[1])
before = held()
counter.alloc_counter_start()
r = kinetrope.SampledRecording("take", ["x"], rows, 120.0)
counter.alloc_counter_stop(counts)
after = held()
print(*(a - b for a, b in zip(after, before)), counts[1], counts[2])
"""


def build_counter(directory):
    target = directory / "alloc_counter.so"
    source = HERE / "alloc_counter.c"
    if not target.exists() or target.stat().st_mtime < source.stat().st_mtime:
        subprocess.run(["cc", "-O2", "-shared", "-fPIC", str(source), "-o", str(target)],
                       check=True)
    return target


def memory_figures(directory):
    counter = build_counter(directory)
    env = dict(os.environ, LD_PRELOAD=str(counter))
    out = subprocess.run([sys.executable, "-c", MEMORY_PROBE, str(ROWS), str(counter)],
                         check=True, capture_output=True, text=True, env=env).stdout
    heap, mapped, blocks, peak, large = (int(v) for v in out.split())
    return heap, mapped, blocks, large, peak


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--probe-dir", type=Path,
                        default=HERE.parent / "build" / "bench_recording")
    args = parser.parse_args()
    probe = build_probe(args.probe_dir)

    recording = kinetrope.SampledRecording(
        "take", ["x", "y", "z"], [[0.1, -0.2, 0.3]] * 4096, 120.0, start_pip=-2048)
    names = {"kinetrope": kinetrope, "recording": recording, "p": 1234}
    best = best_per_call([
        ("recording", "recording.sample(p)", names),
        ("ombrel", "kinetrope.ombrel_background(p)", names),
    ])
    print(f"ombrel_background: {best['ombrel'] * 1e9:.1f} ns, "
          f"SampledRecording.sample: {best['recording'] * 1e9:.1f} ns per call")

    rows = [[0.25]] * ROWS
    # Interleaved, best of five each.
    build = convert = float("inf")
    for _ in range(5):
        convert = min(convert, best_seconds(lambda: probe.convert(rows), repeat=1))
        build = min(build, best_seconds(
            lambda: kinetrope.SampledRecording("take", ["x"], rows, 120.0), repeat=1))
    print(f"{ROWS} rows: construction {build * 1e3:.1f} ms, "
          f"vector-of-vectors conversion {convert * 1e3:.1f} ms")
    del rows

    heap, mapped, blocks, large, peak = memory_figures(args.probe_dir)
    block = ROWS * 8
    print(f"held after construction: {mapped} bytes mapped in {blocks} block(s), "
          f"{heap} bytes of heap; during it {large} allocation(s) of 1 MiB or more, "
          f"at most {peak} bytes live at once")
    report("SampledRecording", [
        ("sample(pip) / ombrel_background(pip)", best["recording"] / best["ombrel"], 1.0),
        ("construction / vector-of-vectors conversion", build / convert, 1.5),
        ("allocations of 1 MiB or more", large, 1),
        ("native bytes held beyond 64 MiB, KiB", (heap + mapped - block) / 1024, 8.0),
        ("native bytes live at the peak beyond 64 MiB, KiB", (peak - block) / 1024, 8.0),
    ])


if __name__ == "__main__":
    main()
