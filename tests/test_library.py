"""PatternLibrary: pack limits at their edges, duplicates, replicas and changed defaults,
lookup by name with fallback to the defaults, the listing, and the caller's objects left intact."""

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import kinetrope
from kinetrope import PatternLibrary, SampledPattern

INT_MIN, INT_MAX = -2**31, 2**31 - 1
ZERO = (0.0, 0.0, 0.0)
FULL = 65535


def pattern(name, count=1, value=0.25, description=""):
    return SampledPattern(name, description, [(value, 0.0, 0.0)] * count)


def default_entry(name):
    return next(d for d in kinetrope.catalogue() if d["name"] == name)


def replica(name):
    """A caller-built copy of a default pattern, from its listing and its samples by name."""
    entry = default_entry(name)
    samples = [kinetrope.sample(name, i).as_tuple() for i in range(entry["period_pips"])]
    return SampledPattern(name, entry["description"], samples)


def message_of(pack):
    with pytest.raises(ValueError) as err:
        PatternLibrary(pack)
    return str(err.value)


@pytest.fixture(scope="module")
def full_samples():
    return [(0.5, 0.0, 0.0)] * FULL


@pytest.fixture(scope="module")
def sixteen_full(full_samples):
    return [SampledPattern(f"full_{i}", "", full_samples) for i in range(16)]


# --- defaults only -------------------------------------------------------------------------

@pytest.mark.parametrize("make", [PatternLibrary, lambda: PatternLibrary([]),
                                  lambda: PatternLibrary(patterns=()), lambda: PatternLibrary(p for p in ())])
def test_empty_library_lists_and_samples_the_defaults(make):
    library = make()
    listing = library.catalogue()
    assert listing == kinetrope.catalogue()
    assert [list(d) for d in listing[:1]] == [["name", "description", "period_pips", "dimensions"]]
    for entry in listing:
        for pip in (0, -1, 300, INT_MIN, INT_MAX):
            assert (library.sample(entry["name"], pip).as_tuple()
                    == kinetrope.sample(entry["name"], pip).as_tuple())


def test_default_pack_is_not_shared_state():
    first = PatternLibrary()
    PatternLibrary([pattern("a")])
    assert len(PatternLibrary().catalogue()) == len(first.catalogue()) == len(kinetrope.catalogue())


def test_listings_are_fresh_each_call():
    library = PatternLibrary([pattern("mine")])
    first = library.catalogue()
    first[-1]["name"] = "changed"
    first.pop(0)
    second = library.catalogue()
    assert second is not first
    assert second[-1]["name"] == "mine" and len(second) == len(kinetrope.catalogue()) + 1


# --- pack limits ---------------------------------------------------------------------------

@pytest.mark.parametrize("count, ok", [(1024, True), (1025, False)])
def test_pattern_count_limit(count, ok):
    pack = [pattern(f"p{i}") for i in range(count)]
    if ok:
        assert len(PatternLibrary(pack).catalogue()) == len(kinetrope.catalogue()) + count
    else:
        assert message_of(pack) == "Too many patterns"


def test_too_many_is_reported_before_anything_else():
    pack = [pattern("same")] * 1025
    assert message_of(pack) == "Too many patterns"


@pytest.mark.parametrize("last, ok", [(16, True), (17, False)])
def test_sample_total_limit(sixteen_full, last, ok):
    pack = sixteen_full + [pattern("last", last)]
    if ok:
        listing = PatternLibrary(pack).catalogue()
        assert [d["period_pips"] for d in listing[-17:]] == [FULL] * 16 + [16]
    else:
        assert message_of(pack) == "Pattern pack is too large"


def test_replicas_count_towards_both_limits(sixteen_full):
    assert message_of([pattern(f"p{i}") for i in range(1024)] + [replica("bounce")]) == "Too many patterns"
    # 16 * 65535 + 64 exceeds 2**20 only because the replica's samples are counted.
    assert message_of(sixteen_full + [replica("bounce")]) == "Pattern pack is too large"


# --- duplicates, replicas and changed defaults ---------------------------------------------

@pytest.mark.parametrize("pack, name", [
    ([pattern("my_wave"), pattern("my_wave", 3)], "my_wave"),
    ([pattern("a"), pattern("b"), pattern("a")], "a"),
    ([replica("bounce"), replica("bounce")], "bounce"),
    ([replica("bounce"), pattern("bounce", 2)], "bounce"),     # a dropped replica keeps its name
])
def test_duplicate_names_are_refused(pack, name):
    assert message_of(pack) == "Duplicate pattern name: " + name


def test_same_object_twice_is_a_duplicate():
    p = pattern("twice")
    assert message_of([p, p]) == "Duplicate pattern name: twice"


def test_checks_run_in_order_within_a_pattern(sixteen_full):
    # The duplicate is reported although the pack is also too large at that point.
    assert message_of(sixteen_full + [pattern("full_0", 64)]) == "Duplicate pattern name: full_0"
    # Too large is reported although the pattern also overrides a default.
    assert message_of(sixteen_full + [pattern("bounce", 64)]) == "Pattern pack is too large"
    # The first broken pattern decides.
    assert message_of([pattern("bounce"), pattern("x"), pattern("x")]) == \
        "Cannot override default pattern: bounce"


@pytest.mark.parametrize("name", ["bounce", "helix", "single_paradiddle", "lfo_breathe",
                                  "beat_dembow_push_ricochet"])
def test_exact_replicas_are_accepted_and_dropped(name):
    library = PatternLibrary([pattern("before"), replica(name), pattern("after")])
    listing = library.catalogue()
    assert len(listing) == len(kinetrope.catalogue()) + 2
    assert [d["name"] for d in listing[-2:]] == ["before", "after"]
    for pip in (0, 17, -1, INT_MAX):
        assert library.sample(name, pip).as_tuple() == kinetrope.sample(name, pip).as_tuple()


def test_bounce_replica_matches_the_rudiment_description():
    p = replica("bounce")
    assert (p.description, p.period_pips) == ("One-beat vertical bounce", 64)
    assert [p.sample(i).as_tuple() for i in range(64)] == [kinetrope.bounce(i).as_tuple() for i in range(64)]


def changed(name, how):
    entry = default_entry(name)
    samples = [kinetrope.sample(name, i).as_tuple() for i in range(entry["period_pips"])]
    description = entry["description"]
    if how == "description":
        description += " "
    elif how == "shorter":
        samples = samples[:-1]
    elif how == "longer":
        samples = samples + samples[:1]
    else:
        axis, index = how
        s = list(samples[index])
        s[axis] = s[axis] / 2 if s[axis] else 0.125
        samples[index] = tuple(s)
    return SampledPattern(name, description, samples)


@pytest.mark.parametrize("name", ["bounce", "lfo_breathe"])
@pytest.mark.parametrize("how", ["description", "shorter", "longer",
                                 (0, 0), (1, 5), (2, 31), (0, -1)])
def test_changed_defaults_are_refused(name, how):
    assert message_of([changed(name, how)]) == "Cannot override default pattern: " + name


def test_default_names_are_compared_exactly():
    # Neighbours of default names are ordinary user names.
    library = PatternLibrary([pattern("bounce_"), pattern("bounc"), pattern("lfo_breath")])
    assert library.sample("bounc", 5).x == 0.25
    assert library.sample("bounce", 32).as_tuple() == kinetrope.bounce(32).as_tuple()


# --- lookup and listing --------------------------------------------------------------------

def test_user_entries_follow_the_defaults_in_given_order():
    b_one = SampledPattern("b_one", "first", [(0.1, 0.0, 0.0), (0.2, 0.3, 0.0), (0.4, 0.0, 0.0)])
    a_two = SampledPattern("a_two", "", [(0.0, 0.0, -0.5)] * 5)
    listing = PatternLibrary([b_one, a_two]).catalogue()
    assert listing[:-2] == kinetrope.catalogue()
    assert listing[-2:] == [
        {"name": "b_one", "description": "first", "period_pips": 3, "dimensions": 2},
        {"name": "a_two", "description": "", "period_pips": 5, "dimensions": 3},
    ]


def test_user_lookup_and_fallback():
    samples = [(i / 10.0, 0.0, 0.0) for i in range(10)]
    library = PatternLibrary([SampledPattern("b_one", "", samples)])
    assert library.sample("b_one", -1).as_tuple() == samples[-1]
    assert library.sample(name=b"b_one", pip_count=INT_MIN).as_tuple() == samples[INT_MIN % 10]
    assert library.sample(bytearray(b"b_one"), 12).as_tuple() == samples[2]
    assert library.sample("circle", 8).as_tuple() == kinetrope.circle(8).as_tuple()


@pytest.mark.parametrize("name", ["no_such", "", "B_one", "b_on", "b_one_"])
def test_unknown_names_are_refused_with_the_name(name):
    library = PatternLibrary([pattern("b_one")])
    with pytest.raises(ValueError) as err:
        library.sample(name, 0)
    assert str(err.value) == "Unknown kinetrope rudiment: " + name


@pytest.mark.parametrize("args", [(None, 0), ("b_one", 1.0), ("b_one", 2**31), ("\udcff", 0), (1, 0)])
def test_sample_arguments_of_the_wrong_kind_are_refused(args):
    with pytest.raises(TypeError):
        PatternLibrary([pattern("b_one")]).sample(*args)


# Names of every length up to the longest a pattern may have, sharing their first words, so
# that a lookup must tell them apart by what follows.
name_sets = st.sets(st.from_regex(r"(pattern_){0,15}[a-c][a-c0-9_]{0,7}", fullmatch=True),
                    min_size=1, max_size=60)


@settings(max_examples=60)
@given(name_sets, st.from_regex(r"(pattern_){0,15}[a-c][a-c0-9_]{0,8}", fullmatch=True))
def test_lookup_finds_exactly_the_stored_names(names, probe):
    names = sorted(names, key=lambda n: (len(n), n[::-1]))   # stored order unlike name order
    values = {n: i / 64.0 for i, n in enumerate(names)}
    library = PatternLibrary([SampledPattern(n, "", [(values[n], 0.0, 0.0)]) for n in names])
    for n in names:
        assert library.sample(n, 0).x == values[n]
    if probe not in values:
        with pytest.raises(ValueError, match="Unknown kinetrope rudiment"):
            library.sample(probe, 0)


def test_a_full_library_finds_every_name_and_nothing_else():
    # Eight names of each length from 1 to 128 bytes, alike but for their last byte.
    names = ["p" * (length - 1) + last for length in range(1, 129) for last in "abcdefgh"]
    library = PatternLibrary([SampledPattern(n, "", [(i / 1024.0, 0.0, 0.0)])
                              for i, n in enumerate(names)])
    assert [library.sample(n, 0).x for n in names] == [i / 1024.0 for i in range(1024)]
    for n in names:
        for other in (n[:-1] + "z", n + "z"):
            with pytest.raises(ValueError, match="Unknown kinetrope rudiment"):
                library.sample(other, 0)


# --- conversion of the pack and the caller's objects ---------------------------------------

@pytest.mark.parametrize("pack", [[None], [pattern("a"), None], [(ZERO,)], "abc", b"abc", 5, None,
                                  [kinetrope.bounce(0)]])
def test_packs_with_other_items_fail_conversion(pack):
    with pytest.raises(TypeError):
        PatternLibrary(pack)


def test_pack_from_a_generator_of_fresh_patterns():
    # Nothing else holds these objects: the library must copy them while they are alive.
    library = PatternLibrary(SampledPattern(f"g{i}", "gen", [(i / 8.0, 0.0, 0.0)] * 3) for i in range(8))
    assert [library.sample(f"g{i}", 1).x for i in range(8)] == [i / 8.0 for i in range(8)]
    assert [d["description"] for d in library.catalogue()[-8:]] == ["gen"] * 8


@pytest.mark.parametrize("fails", [False, True])
def test_callers_patterns_stay_intact(fails):
    samples = [(0.1, -0.2, 0.3), (0.4, 0.5, -0.6)]
    mine = SampledPattern("mine", "kept", samples)
    twin = replica("bounce")
    pack = [mine, twin] + ([pattern("mine")] if fails else [])
    if fails:
        assert message_of(pack) == "Duplicate pattern name: mine"
    else:
        library = PatternLibrary(pack)
        del pack
        assert library.sample("mine", 1).as_tuple() == samples[1]
    assert (mine.name, mine.description, mine.period_pips) == ("mine", "kept", 2)
    assert [mine.sample(i).as_tuple() for i in range(2)] == samples
    assert twin.period_pips == 64 and twin.sample(32).as_tuple() == kinetrope.bounce(32).as_tuple()
    # The same objects can go into another library.
    assert PatternLibrary([mine, twin]).sample("mine", 0).as_tuple() == samples[0]


def test_library_outlives_the_callers_patterns():
    mine = SampledPattern("mine", "", [(0.75, 0.0, 0.0)])
    library = PatternLibrary([mine])
    del mine
    assert library.sample("mine", 99).x == 0.75
    assert library.catalogue()[-1]["name"] == "mine"


@pytest.mark.parametrize("attribute", ["patterns", "names"])
def test_library_exposes_nothing_else(attribute):
    library = PatternLibrary()
    assert not hasattr(library, attribute)
    with pytest.raises(AttributeError):
        setattr(library, attribute, [])


@pytest.mark.parametrize("name, shown", [
    ("a\x00b", "a\x00b"),            # a zero byte does not cut the message short
    (b"\xff\xfe", "\\xff\\xfe"),     # bytes that are not UTF-8 still give a ValueError
    (bytearray(b"no_such"), "no_such"),
])
def test_unknown_names_keep_every_byte_in_the_message(name, shown):
    library = kinetrope.PatternLibrary()
    for sample in (library.sample, kinetrope.sample):
        with pytest.raises(ValueError) as raised:
            sample(name, 0)
        assert str(raised.value) == "Unknown kinetrope rudiment: " + shown
