"""TempoMap: MIDI files against mido's own timing, exact round trips, lookups by bisection."""

import math
import os
import sys
import threading

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from kinetrope_rig import MissingDependency, TempoMap
from rig_helpers import quarter_seconds, write_midi

# Tempo layouts, as (tick, us per beat) lists per track, in units of a quarter note so that
# every ticks-per-beat can use them; "mid-beat" changes fall between quarter notes.
LAYOUTS = {
    "none": [[]],
    "mid-beat": [[(0, 600_000), (1.5, 400_000), (2.75, 750_000), (5.125, 333_333)]],
    "second track": [[], [(0, 450_000), (3.25, 800_000)]],
    "two at tick 0": [[(0, 300_000), (0, 1_000_000), (4, 550_000)]],
    "two mid-beat, across tracks": [[(2.5, 900_000)], [(2.5, 420_000)]],
}


@pytest.mark.parametrize("tpq", [96, 192, 480, 960, 1024])
@pytest.mark.parametrize("layout", LAYOUTS, ids=str)
def test_quarter_notes_land_on_whole_beats(tmp_path, tpq, layout):
    tracks = [[(round(q * tpq), tempo) for q, tempo in events] for events in LAYOUTS[layout]]
    path = write_midi(tmp_path / "t.mid", tpq, tracks, beats=8)
    tempo = TempoMap.from_midi(path)
    marks = quarter_seconds(path)
    assert len(marks) == 9
    for k, seconds in enumerate(marks):
        exact = tempo.seconds_at(64 * k)
        assert exact == pytest.approx(seconds, abs=1e-9)       # mido sums floats
        assert tempo.pip_at(exact) == 64 * k
        assert tempo.pip_at(math.nextafter(exact, -math.inf)) == 64 * k - 1
    assert tempo.duration == pytest.approx(marks[-1], abs=1e-9)


def test_the_later_of_two_changes_at_one_tick_wins_and_120_bpm_holds_before_the_first(tmp_path):
    path = write_midi(tmp_path / "t.mid", 480, [[(960, 250_000), (0, 400_000), (0, 750_000)],
                                                [(960, 1_000_000)]])
    tempo = TempoMap.from_midi(path)
    assert tempo.bpm_at(0.0) == 80.0                   # 750000 came after 400000
    assert tempo.bpm_at(2.0) == 60.0                   # track 2 comes after track 1
    late = TempoMap.from_midi(write_midi(tmp_path / "u.mid", 96, [[(192, 1_000_000)]]))
    assert late.bpm_at(0.5) == 120.0 and late.seconds_at(128) == 1.0


def test_times_outside_the_file_extend_the_first_and_last_tempo(tmp_path):
    tempo = TempoMap.from_midi(write_midi(tmp_path / "t.mid", 480,
                                          [[(0, 600_000), (960, 300_000)]], beats=2))
    assert tempo.bpm_at(-10.0) == 100.0 and tempo.bpm_at(1e6) == 200.0
    assert tempo.pip_at(-0.6) == -64 and tempo.pip_at(-0.6000001) == -65
    assert tempo.seconds_at(-128) == -1.2
    # Beat 2 at 1.2 s exactly, which the float 1.2 falls just short of.
    assert tempo.pip_at(1.2) == 127 and tempo.pip_at(tempo.seconds_at(128)) == 128
    assert tempo.seconds_at(128 + 64 * 1000) == pytest.approx(301.2)   # then 0.3 s a beat


@settings(deadline=None)
@given(bpm=st.floats(20, 400), zero=st.floats(-100, 100),
       seconds=st.floats(-1e4, 1e4, allow_subnormal=False))
def test_constant_tempo_matches_the_guide_formula(bpm, zero, seconds):
    guide = (seconds - zero) * bpm / 60 * 64
    nearest = round(guide)
    if abs(guide - nearest) < 1e-9 * max(1.0, abs(guide)):
        return   # the float formula may round across a whole pip here; the map is exact
    assert TempoMap.constant(bpm, zero).pip_at(seconds) == math.floor(guide)


changes = st.lists(st.tuples(st.integers(0, 20_000), st.integers(60_000, 3_000_000)),
                   max_size=40)


@settings(max_examples=150, deadline=None)   # exact fractions: slow under debug allocators
@given(tpq=st.sampled_from([96, 192, 480, 960, 1024, 7, 1000]), changes=changes,
       pips=st.lists(st.integers(-5_000, 60_000), min_size=1, max_size=30))
def test_every_pip_round_trips_through_its_first_float_second(tpq, changes, pips):
    tempo = TempoMap.from_ticks(tpq, changes, end_tick=20_000)
    for pip in pips:
        seconds = tempo.seconds_at(pip)
        assert tempo.pip_at(seconds) == pip
        assert tempo.pip_at(math.nextafter(seconds, -math.inf)) == pip - 1


def test_every_pip_of_a_file_round_trips(tmp_path):
    layout = [[(0, 517_243), (333, 401_117), (1000, 123_457), (1001, 2_000_001)], [(1500, 97_001)]]
    tempo = TempoMap.from_midi(write_midi(tmp_path / "t.mid", 1024, layout, beats=40))
    span = int(tempo.end_pip)
    assert span == 64 * 40
    for pip in range(-64, span + 64):
        assert tempo.pip_at(tempo.seconds_at(pip)) == pip


class Counted(float):
    """A float that counts the comparisons made against it."""
    count = 0

    def __lt__(self, other):
        Counted.count += 1
        return float(self) < other


class CountedInt(int):
    count = 0

    def __lt__(self, other):
        CountedInt.count += 1
        return int(self) < other


def test_thousands_of_changes_are_found_by_bisection():
    n = 6000
    tempo = TempoMap.from_ticks(96, [(7 * i, 400_000 + (i * 7919) % 300_000) for i in range(n)])
    assert tempo.segments == n
    bound = math.ceil(math.log2(n)) + 1
    for probe in (-1.0, 0.0, 1.0, 123.456, 9999.0):
        Counted.count = 0
        tempo.pip_at(Counted(probe))
        assert 0 < Counted.count <= bound
    for pip in (-5, 0, 4000, 27_999, 10**6):
        CountedInt.count = 0
        tempo.seconds_at(CountedInt(pip))
        assert 0 < CountedInt.count <= bound


def smpte(path):
    """A valid file whose division field says 25 frames a second, 40 ticks a frame."""
    data = bytearray(write_midi(path, 480, [[]]).read_bytes())
    data[12:14] = bytes([0x100 - 25, 40])
    path.write_bytes(data)


def garbage(path):
    path.write_bytes(b"RIFF\x00\x00\x00\x00WAVEfmt not a midi file at all")


def truncated(path):
    data = write_midi(path, 480, [[(0, 500_000)]]).read_bytes()
    path.write_bytes(data[:-9])


def format_two(path):
    write_midi(path, 480, [[], []], midi_type=2)


def empty(path):
    path.write_bytes(b"")


def tempo_bytes(payload):
    """A file whose one set_tempo event carries ``payload`` (three bytes when well made)."""
    def spoil(path):
        data = write_midi(path, 480, [[(0, 0x0A0B0C)]]).read_bytes()
        track = data.index(b"MTrk")
        body = data[track + 8:].replace(b"\xff\x51\x03\x0a\x0b\x0c",
                                        b"\xff\x51" + bytes([len(payload)]) + payload)
        path.write_bytes(data[:track + 4] + len(body).to_bytes(4, "big") + body)
    spoil.__name__ = f"tempo_{payload.hex() or 'empty'}"
    return spoil


def huge_track(path):
    data = bytearray(write_midi(path, 480, [[]]).read_bytes())
    data[18:22] = (0xFFFFFFF0).to_bytes(4, "big")       # a track length far past the end
    path.write_bytes(data)


@pytest.mark.parametrize("spoil, words", [
    (smpte, "SMPTE"), (garbage, "not a readable"), (truncated, "truncated"),
    (format_two, "format 2"), (empty, "it is empty"), (huge_track, "truncated"),
    (tempo_bytes(b"\0\0\0"), "a tempo of 0 microseconds per beat at tick 0"),
    (tempo_bytes(b""), "too short for its kind"), (tempo_bytes(b"\7"), "too short for its kind"),
], ids=lambda v: getattr(v, "__name__", ""))
def test_unusable_files_are_refused_naming_the_file(tmp_path, spoil, words):
    path = tmp_path / "song.mid"
    spoil(path)
    with pytest.raises(ValueError) as info:
        TempoMap.from_midi(path)
    assert str(info.value).startswith(f"{path}: ") and words in str(info.value)
    assert "()" not in str(info.value)


def test_a_file_is_read_whole_so_a_pipe_works(tmp_path):
    data = write_midi(tmp_path / "song.mid", 480, [[(0, 250_000)]], beats=4).read_bytes()
    fifo = tmp_path / "pipe.mid"
    os.mkfifo(fifo)
    writer = threading.Thread(target=fifo.write_bytes, args=(data,))
    writer.start()
    try:
        assert TempoMap.from_midi(fifo).duration == 1.0
    finally:
        writer.join(timeout=5)


@pytest.mark.parametrize("bpm", [0, -120, math.inf, math.nan])
def test_constant_refuses_a_tempo_that_is_not_positive_and_finite(bpm):
    with pytest.raises(ValueError):
        TempoMap.constant(bpm)


def test_only_from_midi_needs_mido(monkeypatch, tmp_path):
    monkeypatch.setitem(sys.modules, "mido", None)
    assert TempoMap.constant(90).pip_at(1.0) == 96
    with pytest.raises(MissingDependency, match=r"requires the 'mido' package\. Install it "
                                                r"with `pip install kinetrope\[rig\]`"):
        TempoMap.from_midi(tmp_path / "any.mid")
