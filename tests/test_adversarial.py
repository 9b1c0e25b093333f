"""Hostile callers: callbacks that mutate, re-enter, raise or lie about their length, and the
class protocols that could make a native object be read as another.

Every attack that could crash the interpreter runs in a child process, so that a crash fails
its own test instead of the run; under the sanitizers the child is instrumented too."""

import copy
import gc
import os
import pickle
import subprocess
import sys
from pathlib import Path

import pytest

import kinetrope
from kinetrope import Offset3, PatternLibrary, SampledPattern, SampledRecording

PATTERN_LIMIT = 65535
LIBRARY_LIMIT = 1024
RECORDING_LIMIT = 2**23
HUGE = 2**31 - 1


def outcome(call):
    try:
        result = call()
    except Exception as error:  # the outcome is the exception's type and message
        return f"{type(error).__name__}: {error}"
    return "ok"


def run_child(code):
    """Runs code in a fresh process with this module on its path; returns the lines it printed."""
    runtime = str(Path(kinetrope.__file__).resolve().parent)
    pythonpath = os.pathsep.join(filter(None, [runtime, os.environ.get("PYTHONPATH")]))
    done = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                          timeout=300, env=dict(os.environ, PYTHONPATH=pythonpath), check=False)
    assert done.returncode == 0, done.stderr[-3000:]
    return done.stdout.splitlines()


def in_child(attack, *args):
    """Runs attack(*args) in a fresh interpreter; returns the lines it printed."""
    return run_child(
        "import importlib.util, sys\n"
        f"spec = importlib.util.spec_from_file_location('adversarial', {__file__!r})\n"
        "module = importlib.util.module_from_spec(spec)\n"
        "spec.loader.exec_module(module)\n"
        f"for line in module.{attack.__name__}(*{args!r}):\n"
        "    print(line)\n"
    )


def instances():
    return {
        "Offset3": kinetrope.bounce(5),
        "SampledPattern": SampledPattern("wave", "d", [(0.5, 0.0, 0.0)]),
        "PatternLibrary": PatternLibrary(),
        "SampledRecording": SampledRecording("take", ["x"], [[0.5]], 120.0),
    }


CLASSES = list(instances())


# ---------------------------------------------------------------------------------------------
# A mutable name changed while the call still uses it

def shrink_the_name(entry, size, change):
    name = bytearray(b"a" * size)
    changes = {"cleared": name.clear, "grown": lambda: name.extend(b"b" * (1 << 20))}

    class Pip:
        def __index__(self):
            changes[change]()
            return 16

    sample = {"sample": kinetrope.sample, "library": PatternLibrary().sample}[entry]
    try:
        yield f"ok {sample(name, Pip()).as_tuple()}"
    except ValueError as error:
        yield "exact" if str(error) == "Unknown kinetrope rudiment: " + "a" * size else "garbled"


@pytest.mark.parametrize("entry", ["sample", "library"])
@pytest.mark.parametrize("size, change", [(64, "cleared"), (1 << 24, "cleared"), (64, "grown")])
def test_a_name_is_the_name_as_it_was_converted(entry, size, change):
    assert in_child(shrink_the_name, entry, size, change) == ["exact"]


def test_a_renamed_default_name_samples_the_name_it_had():
    name = bytearray(b"bounce")

    class Pip:
        def __index__(self):
            name[:] = b"circle"
            return 16

    assert kinetrope.sample(name, Pip()).as_tuple() == kinetrope.bounce(16).as_tuple()
    name[:] = b"bounce"
    assert PatternLibrary().sample(name, Pip()).as_tuple() == kinetrope.bounce(16).as_tuple()


def test_constructors_keep_the_name_they_were_given():
    name = bytearray(b"first")

    class Value:
        def __float__(self):
            name[:] = b"second_name_much_longer" * 100
            return 0.5

    assert SampledPattern(name, "", [(Value(), 0.0, 0.0)]).name == "first"
    name[:] = b"first"
    assert SampledRecording(name, ["x"], [[Value()]], 120.0).name == "first"


# ---------------------------------------------------------------------------------------------
# Pickling and copying

def pickle_every_way(cls_name):
    obj = instances()[cls_name]

    class Sub(type(obj)):
        pass

    for target in (obj, Sub.__new__(Sub)):
        for protocol in range(pickle.HIGHEST_PROTOCOL + 1):
            yield outcome(lambda: pickle.dumps(target, protocol=protocol))
        for protocol in (0, 1, 2):
            yield outcome(lambda: target.__reduce_ex__(protocol))
        yield outcome(target.__reduce__)
        yield outcome(lambda: copy.copy(target))
        yield outcome(lambda: copy.deepcopy(target))


@pytest.mark.parametrize("cls_name", CLASSES)
def test_pickling_is_refused_at_every_protocol(cls_name):
    lines = in_child(pickle_every_way, cls_name)
    per_target = len(lines) // 2
    assert set(lines[:per_target]) == {f"TypeError: cannot pickle 'kinetrope.{cls_name}' object"}
    assert set(lines[per_target:]) == {"TypeError: cannot pickle 'Sub' object"}


# ---------------------------------------------------------------------------------------------
# A second __init__, nested in the first or after it

def make(cls_name, hook):
    """Calls cls.__init__ on a fresh instance with hook placed where Python code can run."""
    class Number:
        def __float__(self):
            hook()
            return 0.5

        def __index__(self):
            hook()
            return 0

    def pack():
        hook()
        yield SampledPattern("packed", "", [(0.25, 0.0, 0.0)])

    def names():
        hook()
        yield "x"

    return {
        "SampledPattern": [("outer", "", [(Number(), 0.0, 0.0)])],
        "SampledRecording": [("outer", ["x"], [[Number()]], 120.0), ("outer", names(), [[0.5]], 120.0),
                             ("outer", ["x"], [[0.5]], Number()),
                             ("outer", ["x"], [[0.5]], 120.0, 0.0, Number())],
        "PatternLibrary": [(pack(),)],
    }[cls_name]


OUTER = {
    "SampledPattern": ("outer", "", [(0.5, 0.0, 0.0)]),
    "SampledRecording": ("outer", ["x"], [[0.5]], 120.0),
    "PatternLibrary": ([SampledPattern("outer", "", [(0.5, 0.0, 0.0)])],),
}
INNER = {
    "SampledPattern": ("inner", "", [(0.25, 0.0, 0.0)]),
    "SampledRecording": ("inner", ["y"], [[0.25]], 60.0),
    "PatternLibrary": ([SampledPattern("inner", "", [(0.75, 0.0, 0.0)])],),
}


def describe(obj):
    if isinstance(obj, PatternLibrary):
        defaults = len(kinetrope.catalogue())
        return obj.catalogue()[-1]["name"] if len(obj.catalogue()) > defaults else "no patterns"
    return obj.name


def reenter(cls_name, place):
    """A first __init__ (with a nested one at place, if any), then a second one after it."""
    cls = getattr(kinetrope, cls_name)
    obj = cls.__new__(cls)
    if place is None:
        args = OUTER[cls_name]
    else:
        args = make(cls_name, lambda: obj.__init__(*INNER[cls_name]))[place]
    yield outcome(lambda: obj.__init__(*args))
    yield describe(obj)
    yield outcome(lambda: obj.__init__(*INNER[cls_name]))
    yield describe(obj)
    del obj
    gc.collect()
    yield "released"


@pytest.mark.parametrize("cls_name, place", [
    ("SampledPattern", None), ("SampledRecording", None), ("PatternLibrary", None),
    ("SampledPattern", 0), ("SampledRecording", 0), ("SampledRecording", 1),
    ("SampledRecording", 2), ("SampledRecording", 3), ("PatternLibrary", 0)])
def test_an_instance_is_initialised_at_most_once(cls_name, place):
    # The object is the one the first __init__ built, or the nested one when there is one;
    # every later __init__ is refused and leaves it as it was.
    refused = f"TypeError: kinetrope.{cls_name} object is already initialised"
    first, built = ("ok", "outer") if place is None else (refused, "inner")
    assert in_child(reenter, cls_name, place) == [first, built, refused, built, "released"]


def test_a_failed_init_leaves_the_instance_free_to_initialise():
    pattern = SampledPattern.__new__(SampledPattern)
    with pytest.raises(ValueError, match="Invalid pattern name"):
        pattern.__init__("Bad", "", [(0.0, 0.0, 0.0)])
    pattern.__init__("good", "", [(0.5, 0.0, 0.0)])
    assert pattern.name == "good"


# ---------------------------------------------------------------------------------------------
# __class__ assignment

def reassign(cls_name):
    obj = instances()[cls_name]

    class Sub(type(obj)):
        __slots__ = ()

    classes = [getattr(kinetrope, c) for c in CLASSES]
    for target in classes + [Sub]:
        yield outcome(lambda: setattr(obj, "__class__", target))
        yield outcome(lambda: object.__dict__["__class__"].__set__(obj, target))
    sub = Sub.__new__(Sub)
    for target in classes:
        yield outcome(lambda: setattr(sub, "__class__", target))
    yield obj.__class__.__name__


@pytest.mark.parametrize("cls_name", CLASSES)
def test_class_assignment_is_refused(cls_name):
    lines = in_child(reassign, cls_name)
    assert lines[-1] == cls_name
    assert all(line.startswith("TypeError: ") for line in lines[:-1]), lines


# ---------------------------------------------------------------------------------------------
# A method reached every way: through the instance, the class, the class's own dictionary or a
# subclass, with the instance it belongs to or with anything else in its place

METHODS = {"Offset3": ("as_tuple", ()), "SampledPattern": ("sample", (3,)),
           "PatternLibrary": ("sample", ("bounce", 3)), "SampledRecording": ("sample", (0,))}


def result_of(call):
    result = call()
    return repr(result.as_tuple() if isinstance(result, Offset3) else result)


def call_every_way(cls_name):
    """The result through each way in, then the outcome of each wrong self, then (for a class
    that can be subclassed here) the results on a subclass instance, super() first."""
    obj = instances()[cls_name]
    cls, (name, args) = type(obj), METHODS[cls_name]
    entry, bound = vars(cls)[name], getattr(obj, name)
    ways = [lambda o: getattr(o, name)(*args), lambda o: getattr(cls, name)(o, *args),
            lambda o: entry(o, *args), lambda o: entry.__get__(o, cls)(*args)]
    yield from (result_of(lambda: way(obj)) for way in ways)
    del obj
    yield result_of(lambda: bound(*args))
    other = instances()["PatternLibrary" if cls_name == "SampledPattern" else "SampledPattern"]
    refusals = [entry, lambda: entry(self=bound.__self__)]
    for wrong in (None, 3, other, cls.__new__(cls)):
        refusals += [lambda w=wrong: getattr(cls, name)(w, *args), lambda w=wrong: entry(w, *args)]
    yield from (outcome(call).splitlines()[0] for call in refusals)
    if cls_name in OUTER:
        class Sub(cls):
            def through_super(self):
                return getattr(super(), name)(*args)

        sub = Sub(*OUTER[cls_name])
        yield result_of(sub.through_super)
        yield from (result_of(lambda: way(sub)) for way in ways)


@pytest.mark.parametrize("cls_name", CLASSES)
def test_a_method_gives_one_result_every_way_and_refuses_any_other_self(cls_name):
    name, args = METHODS[cls_name]
    lines = in_child(call_every_way, cls_name)
    plain = result_of(lambda: getattr(instances()[cls_name], name)(*args))
    assert lines[:5] == [plain] * 5
    refused = f"TypeError: {name}(): incompatible function arguments."
    assert all(line.startswith(refused) for line in lines[5:15]), lines[5:15]
    subclassed = lines[15:]
    assert len(subclassed) == (5 if cls_name in OUTER else 0)
    assert len(set(subclassed)) <= 1


# ---------------------------------------------------------------------------------------------
# Sequences that lie about their length

class Claims:
    """Claims a length and yields `item` for as long as it is read, counting the reads."""

    def __init__(self, item, length=HUGE, items=None):
        self.item, self.length, self.items, self.reads = item, length, items, 0

    def __len__(self):
        return self.length

    def __getitem__(self, i):
        if self.items is not None and i >= self.items:
            raise IndexError(i)
        self.reads += 1
        return self.item


def endless(case):
    pattern = SampledPattern("p", "", [(0.0, 0.0, 0.0)])
    calls = {
        "samples": lambda s: SampledPattern("a", "", s),
        "samples after a bad name": lambda s: SampledPattern("Bad", "", s),
        "axes": lambda s: SampledRecording("r", s, [[0.5]], 120.0),
        "axes after a bad tempo": lambda s: SampledRecording("r", s, [[0.5]], -1.0),
        "rows": lambda s: SampledRecording("r", ["x"], s, 120.0),
        "row values": lambda s: SampledRecording("r", ["x"], [s], 120.0),
        "pack": lambda s: PatternLibrary(s),
    }
    items = {"samples": (0.5, 0.0, 0.0), "samples after a bad name": (0.5, 0.0, 0.0),
             "axes": "x", "axes after a bad tempo": "x", "rows": [0.5], "row values": 0.5,
             "pack": pattern}
    seq = Claims(items[case])
    yield outcome(lambda: calls[case](seq))
    yield str(seq.reads)


@pytest.mark.parametrize("case, message, reads", [
    ("samples", "A pattern requires 1..65535 samples (one per pip)", PATTERN_LIMIT + 1),
    ("samples after a bad name", "Invalid pattern name", PATTERN_LIMIT + 1),
    ("axes", "Empty recording or recording resource limit exceeded", RECORDING_LIMIT + 1),
    ("axes after a bad tempo", "A finite positive BPM and beat origin are required",
     RECORDING_LIMIT + 1),
    ("rows", "Empty recording or recording resource limit exceeded", RECORDING_LIMIT + 1),
    ("row values", "Ragged recording", RECORDING_LIMIT + 1),
    ("pack", "Too many patterns", LIBRARY_LIMIT + 1),
])
def test_an_endless_sequence_is_read_one_past_its_limit(case, message, reads):
    assert in_child(endless, case) == [f"ValueError: {message}", str(reads)]


class Mislabelled(list):
    def __init__(self, items, length):
        super().__init__(items)
        self.length = length

    def __len__(self):
        return self.length


@pytest.mark.parametrize("length", [0, 1, 10**6])
def test_every_reader_takes_the_items_iteration_yields(length):
    samples = Mislabelled([(0.5, 0.0, 0.0), (0.25, 0.0, 0.0), (0.0, 0.0, 0.0)], length)
    assert SampledPattern("a", "", samples).period_pips == 3
    rows = Mislabelled([[0.5, 0.0], [0.25, 0.0], [0.0, 0.0]], length)
    axes = Mislabelled(["x", "y"], length)
    recording = SampledRecording("r", axes, rows, 120.0)
    assert (recording.dimensions, recording.sample_count) == (["x", "y"], 3)
    assert recording.sample(2) == [0.0, 0.0]
    pack = Mislabelled([SampledPattern(f"p{i}", "", [(0.5, 0.0, 0.0)]) for i in range(3)], length)
    assert len(PatternLibrary(pack).catalogue()) == len(kinetrope.catalogue()) + 3
    triple = Mislabelled([0.5, 0.25, 0.0], length)
    assert SampledPattern("t", "", [triple]).sample(0).as_tuple() == (0.5, 0.25, 0.0)


class Meddler:
    """A number whose conversion runs caller code that changes the list it sits in."""

    def __init__(self, action):
        self.action = action

    def __float__(self):
        self.action()
        return 0.5


def changed_while_read():
    """Calls whose lists change while they are read, each with what it gives: the items that
    iteration yielded, whatever became of the list after."""
    def pattern(build):
        samples = []
        samples.extend(build(samples))
        return lambda: SampledPattern("a", "", samples)

    def recording(build):
        rows = []
        rows.extend(build(rows))
        return lambda: SampledRecording("take", ["x", "y"], rows, 120.0)

    def row(width, grow=False):
        values = []
        action = (lambda: values.extend([0.0] * 50)) if grow else values.clear
        values.extend([Meddler(action)] + [0.25] * (width - 1))
        return values

    half, quarter, zero = (0.5, 0.0, 0.0), (0.25, 0.0, 0.0), (0.0, 0.0, 0.0)
    return {
        "pattern list cut": (pattern(lambda s: [(Meddler(lambda: s.__delitem__(slice(1, None))),
                                                 0.0, 0.0), quarter, zero]), [half]),
        "pattern list cleared": (pattern(lambda s: [(0.1, 0.0, 0.0), (Meddler(s.clear), 0.0, 0.0),
                                                    quarter]), [(0.1, 0.0, 0.0), half]),
        "pattern list grown": (pattern(lambda s: [(Meddler(lambda: s.extend([quarter] * 99)),
                                                   0.0, 0.0)]), [half] + [quarter] * 99),
        "pattern item cleared": (pattern(lambda s: [row(3)]),
                                 "TypeError: __init__(): incompatible constructor arguments"),
        "rows cleared": (recording(lambda r: [[0.5, 0.5], [Meddler(r.clear), 0.5], [0.25, 0.25]]),
                         [[0.5, 0.5], [0.5, 0.5]]),
        "rows grown": (recording(lambda r: [[Meddler(lambda: r.extend([[0.25, 0.25]] * 99)), 0.5]]),
                       [[0.5, 0.5]] + [[0.25, 0.25]] * 99),
        "row cleared": (recording(lambda r: [[0.5, 0.5], row(2)]), "ValueError: Ragged recording"),
        "row grown": (recording(lambda r: [row(2, grow=True), [0.5, 0.5]]),
                      "ValueError: Ragged recording"),
    }


@pytest.mark.parametrize("case", list(changed_while_read()))
def test_a_list_changed_while_read_gives_what_was_yielded(case):
    call, expected = changed_while_read()[case]
    if isinstance(expected, str):
        assert outcome(call).startswith(expected)
        return
    built = call()
    if isinstance(built, SampledPattern):
        assert [built.sample(i).as_tuple() for i in range(built.period_pips)] == expected
    else:
        assert [built.sample(i) for i in range(built.sample_count)] == expected


# ---------------------------------------------------------------------------------------------
# Another interpreter of the same process: refused, and the main interpreter's module unharmed

IN_OTHER = (
    "try:\n"
    "    import kinetrope\n"
    "except ImportError as error:\n"
    "    print('refused:', error.__cause__ or error, flush=True)\n"
    "else:\n"
    "    print('imported', flush=True)\n"
)
IN_MAIN = """
import kinetrope
library = kinetrope.PatternLibrary([kinetrope.SampledPattern("wave", "", [(0.5, 0.0, 0.0)])])
same = library.sample("bounce", 3).as_tuple() == kinetrope.bounce(3).as_tuple()
print("main", "ok" if same else "wrong", flush=True)
"""
START_OTHER = {
    "legacy": "import _testcapi\n_testcapi.run_in_subinterp(IN_OTHER)\n",
    "isolated": ("import _interpreters as api\ninterp = api.create('isolated')\n"
                 if sys.version_info >= (3, 13) else
                 "import _xxsubinterpreters as api\ninterp = api.create(isolated=True)\n")
                + "api.run_string(interp, IN_OTHER)\napi.destroy(interp)\n",
}


@pytest.mark.parametrize("kind, main_first", [
    ("legacy", True),
    ("legacy", False),
    pytest.param("isolated", True, marks=pytest.mark.skipif(
        sys.version_info < (3, 12), reason="isolated interpreters came with CPython 3.12")),
])
def test_another_interpreter_is_refused_and_leaves_the_main_one_working(kind, main_first):
    pytest.importorskip("_testcapi")
    script = (f"IN_OTHER = {IN_OTHER!r}\n" + (IN_MAIN if main_first else "")
              + START_OTHER[kind] + IN_MAIN)
    lines = run_child(script)
    # CPython itself refuses a module that declares no support, where the interpreter checks
    refusals = ("refused: kinetrope can only be imported in the main interpreter",
                "refused: module kinetrope does not support loading in subinterpreters")
    lines = ["refused" if line in refusals else line for line in lines]
    assert lines == ["main ok"] * main_first + ["refused", "main ok"]
