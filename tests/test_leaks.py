"""Memory and references under repetition: a million calls across the API leave the heap
where it was after a warm-up, and no call, failing or not, keeps a reference to its arguments."""

import ctypes
import decimal
import gc
import os
import sys

import pytest

import kinetrope
from catalogue_records import RUDIMENT_NAMES
from kinetrope import PatternLibrary, SampledPattern, SampledRecording
from number_kinds import IndexOnly

RUDIMENTS = [getattr(kinetrope, n) for n in RUDIMENT_NAMES]
NAMES = [e["name"] for e in kinetrope.catalogue()]
SAMPLES = [(0.5, -0.25, 0.0), (1.0, 0.0, -1.0), (-0.0, 0.125, 0.75)]
ROWS = [[0.5, -0.5], [1.0, -1.0]]


def sanitizer_live_bytes():
    """Bytes the sanitizer's allocator holds for the program, or None without a sanitizer.
    Freed memory waits in its quarantine, so resident memory says nothing there."""
    try:
        fn = ctypes.CDLL(None).__sanitizer_get_current_allocated_bytes
    except AttributeError:
        return None
    fn.restype = ctypes.c_size_t
    return fn()


def resident_bytes():
    with open("/proc/self/statm") as f:
        return int(f.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def heap_in_use():
    gc.collect()
    live = sanitizer_live_bytes()
    return ("sanitizer heap", live) if live is not None else ("resident memory", resident_bytes())


def raises(exc, fn, *args, **kwargs):
    try:
        fn(*args, **kwargs)
    except exc:
        return
    raise AssertionError(f"{fn!r}{args!r} did not raise {exc.__name__}")


def one_round(pattern, library, recording):
    """About 100,000 calls; returns how many it made."""
    calls = 0
    for fn in RUDIMENTS:
        for pip in range(-1000, 1000):
            fn(pip)
        calls += 2000
    for i in range(20000):
        kinetrope.sample(NAMES[i % len(NAMES)], i)
    for i in range(2000):
        raises(ValueError, kinetrope.sample, "no_such_pattern", i)
        raises(ValueError, kinetrope.sample, b"bad\xff\x00name", i)
    calls += 24000
    for i in range(10000):
        pattern.sample(i)
        library.sample("mine", i)
        library.sample(NAMES[i % len(NAMES)], i)
        recording.sample(i % 2)
    for i in range(1000):
        raises(ValueError, library.sample, "no_such_pattern", i)
        raises(IndexError, recording.sample, 2 + i)
        raises(TypeError, pattern.sample, 1.5)
    calls += 43000
    for i in range(1000):
        SampledPattern("wave", "A description", SAMPLES)
        raises(ValueError, SampledPattern, "Wave", "", SAMPLES)
        raises(ValueError, SampledPattern, "wave", "", SAMPLES + [(2.0, 0.0, 0.0)])
        SampledRecording("take", ["x", "y"], ROWS, 120.0, 0.5, i)
        raises(ValueError, SampledRecording, "take", ["x", "x"], ROWS, 120.0)
        raises(ValueError, SampledRecording, "take", ["x", "y"], ROWS + [[0.0]], 120.0)
    calls += 6000
    for _ in range(300):
        raises(TypeError, SampledPattern, "wave", "", [(0.0, 0.0)])
        raises(TypeError, SampledRecording, "take", ["x"], [["a"]], 120.0)
        raises(TypeError, PatternLibrary, [pattern, None])
        raises(TypeError, kinetrope.bounce, 2**31)
    calls += 1200
    for _ in range(500):
        PatternLibrary([pattern])
        raises(ValueError, PatternLibrary, [pattern, pattern])
    calls += 1000
    for _ in range(5):
        kinetrope.catalogue()
        library.catalogue()
    calls += 10
    return calls


def test_a_million_calls_leave_the_heap_where_it_was():
    pattern = SampledPattern("mine", "Caller data", SAMPLES)
    library = PatternLibrary([pattern])
    recording = SampledRecording("take", ["x", "y"], ROWS, 120.0)
    for _ in range(2):
        one_round(pattern, library, recording)
    what, before = heap_in_use()
    calls = 0
    while calls < 1_000_000:
        calls += one_round(pattern, library, recording)
    what, after = heap_in_use()
    growth = after - before
    print(f"{calls} calls after warm-up: {what} {before} -> {after} bytes ({growth:+d})")
    # A single leaked byte per call would show as a megabyte.
    assert growth < 512 * 1024


def failing_calls(pattern, library, recording):
    """(call, argument objects whose references must come back) for calls that raise."""
    name, raw, mutable = "no_such_pattern", b"no\xffsuch", bytearray(b"no_such")
    bad_row, rows, axes = [0.5, "x"], [[0.5], [2.0]], ["x"]
    samples, short = [(0.0, 0.0, 0.0), (3.0, 0.0, 0.0)], [(0.0, 0.0)]
    index, dec, huge = IndexOnly(3), decimal.Decimal("7.9"), 2**40
    pack = [pattern, pattern]
    return [
        (lambda: kinetrope.sample(name, index), [name, index]),
        (lambda: kinetrope.sample(raw, dec), [raw, dec]),
        (lambda: kinetrope.sample(mutable, huge), [mutable, huge]),
        (lambda: library.sample(name, index), [name, index]),
        (lambda: library.sample(mutable, dec), [mutable, dec]),
        (lambda: pattern.sample(dec), [dec]),
        (lambda: recording.sample(index), [index]),
        (lambda: recording.sample(huge), [huge]),
        (lambda: SampledPattern(name, raw, samples), [name, raw, samples, samples[1]]),
        (lambda: SampledPattern(name, raw, short), [short, short[0]]),
        (lambda: PatternLibrary(pack), [pack, pattern]),
        (lambda: PatternLibrary([pattern, name]), [pattern, name]),
        (lambda: SampledRecording(name, axes, rows, 120.0), [axes, rows, rows[1]]),
        (lambda: SampledRecording(name, axes, [bad_row], 120.0), [bad_row]),
        (lambda: SampledRecording(name, axes, [[0.5]], dec, index, huge), [dec, index, huge]),
        (lambda: kinetrope.bounce(huge), [huge]),
    ]


@pytest.mark.parametrize("case", range(16))
def test_failed_calls_give_back_every_reference(case):
    pattern = SampledPattern("mine", "", SAMPLES)
    cases = failing_calls(pattern, PatternLibrary([pattern]),
                          SampledRecording("take", ["x", "y"], ROWS, 120.0))
    assert len(cases) == 16
    call, arguments = cases[case]
    try:
        call()
    except (TypeError, ValueError, IndexError):
        pass
    else:
        raise AssertionError("the call was meant to fail")
    before = [sys.getrefcount(a) for a in arguments]
    for _ in range(1000):
        try:
            call()
        except (TypeError, ValueError, IndexError):
            pass
    assert [sys.getrefcount(a) for a in arguments] == before


def test_successful_calls_give_back_every_reference():
    name, raw, samples, rows, axes = "mine", b"bounce", list(SAMPLES), [[0.5]], ["x"]
    pattern = SampledPattern(name, "", samples)
    pack = [pattern]
    library = PatternLibrary(pack)
    index = IndexOnly(3)
    arguments = [name, raw, samples, rows, axes, pattern, pack, index]
    before = [sys.getrefcount(a) for a in arguments]
    for _ in range(1000):
        kinetrope.sample(raw, index)
        library.sample(name, index)
        pattern.sample(index)
        SampledPattern(name, raw, samples)
        PatternLibrary(pack)
        SampledRecording(name, axes, rows, 120.0).sample(0)
    assert [sys.getrefcount(a) for a in arguments] == before
