"""The module frame: import, registered names and the shape of the public surface."""

import importlib
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

import pytest

import kinetrope
from catalogue_records import RUDIMENT_NAMES

# Every public name, in registration order: the rudiments in their catalogue order.
REGISTRATION_ORDER = [
    "PIPS_PER_BEAT",
    "SampledRecording",
    "Offset3",
    "SampledPattern",
    "PatternLibrary",
    "sample",
    "catalogue",
    *RUDIMENT_NAMES,
]


def public_names():
    return [n for n in vars(kinetrope) if not (n.startswith("__") and n.endswith("__"))]


def test_docstring_and_pip_constant():
    assert kinetrope.__doc__ == "Integer-pip rhythmic position functions"
    assert type(kinetrope.PIPS_PER_BEAT) is int
    assert kinetrope.PIPS_PER_BEAT == 64


def test_exactly_the_public_names_in_registration_order():
    assert public_names() == REGISTRATION_ORDER


def test_reimport_yields_the_same_module_object():
    first = sys.modules.pop("kinetrope")
    try:
        again = importlib.import_module("kinetrope")
        assert again is first
        assert again.bounce is first.bounce
    finally:
        sys.modules["kinetrope"] = first


def test_only_export_is_the_init_function():
    nm = subprocess.run(["nm", "-D", "--defined-only", kinetrope.__file__],
                        capture_output=True, text=True, check=False)
    if nm.returncode != 0:
        pytest.skip("nm is not available")
    exported = {line.split()[-1] for line in nm.stdout.splitlines()
                if line.split() and line.split()[-2] in {"T", "D", "B", "R"}}
    assert exported == {"PyInit_kinetrope"}


@pytest.mark.parametrize("name", [n for n in REGISTRATION_ORDER if n[0].islower()])
def test_callables_carry_only_their_signature(name):
    fn = getattr(kinetrope, name)
    doc = fn.__doc__.strip()
    assert doc.startswith(f"{name}(")
    assert "\n" not in doc


def test_stub_matches_the_module(tmp_path):
    pytest.importorskip("mypy")
    stub = Path(__file__).resolve().parent.parent / "kinetrope-stubs" / "__init__.pyi"
    allowlist = Path(__file__).resolve().parent / "stubtest_allowlist.txt"
    # Outside the working directory, so the copy is not imported as a namespace package.
    stubs = tmp_path / "stubs"
    (stubs / "kinetrope").mkdir(parents=True)
    shutil.copy(stub, stubs / "kinetrope" / "__init__.pyi")
    (tmp_path / "mypy.ini").write_text("[mypy]\n")
    # The module under test, wherever it was imported from (an install or a build tree).
    runtime = str(Path(kinetrope.__file__).resolve().parent)
    pythonpath = os.pathsep.join(filter(None, [runtime, os.environ.get("PYTHONPATH")]))
    env = dict(os.environ, MYPYPATH=str(stubs), PYTHONPATH=pythonpath)
    result = subprocess.run(
        [sys.executable, "-m", "mypy.stubtest", "kinetrope", "--allowlist", str(allowlist),
         "--mypy-config-file", str(tmp_path / "mypy.ini")],
        capture_output=True, text=True, cwd=tmp_path, env=env, check=False)
    assert result.returncode == 0, result.stdout + result.stderr


# Lines that use the module, each with the error code mypy reports on it when it reads the
# stub (None: accepted). The module itself refuses the lines that mypy rejects.
TYPED_USES = [
    ("kinetrope.bounce(3)", None),
    ("kinetrope.bounce(True)", None),
    ("kinetrope.sample('bounce', numpy.int64(3))", None),
    ("kinetrope.PatternLibrary().sample('circle', numpy.int32(5))", None),
    ("kinetrope.catalogue()[0]['period_pips'] + 1", None),
    ("kinetrope.PatternLibrary().catalogue()[0]['description'].upper()", None),
    ("kinetrope.bounce(1.5)", "arg-type"),
    ("kinetrope.sample('bounce', numpy.float64(3))", "arg-type"),
    ("kinetrope.SampledRecording(name='take', dimensions=['x'], samples=[[0.0]], bpm=96.0,"
     " start_pip=1.5)", "arg-type"),
    ("kinetrope.catalogue()[0]['period']", "typeddict-item"),
]


@pytest.fixture(scope="module")
def stub_verdicts(tmp_path_factory):
    """The error code mypy reports on each line of TYPED_USES (None for none), in one run."""
    pytest.importorskip("numpy")
    api = pytest.importorskip("mypy.api")
    folder = tmp_path_factory.mktemp("typed")
    stub = Path(__file__).resolve().parent.parent / "kinetrope-stubs" / "__init__.pyi"
    (folder / "stubs" / "kinetrope").mkdir(parents=True)
    shutil.copy(stub, folder / "stubs" / "kinetrope" / "__init__.pyi")
    (folder / "mypy.ini").write_text("[mypy]\n")
    header = ["import kinetrope", "import numpy"]
    snippet = folder / "uses.py"
    snippet.write_text("\n".join(header + [line for line, _ in TYPED_USES]) + "\n")
    with pytest.MonkeyPatch.context() as patch:
        patch.setenv("MYPYPATH", str(folder / "stubs"))
        out, err, status = api.run([str(snippet), "--config-file", str(folder / "mypy.ini"),
                                    "--cache-dir", str(folder / "cache"),
                                    "--show-error-codes"])
    assert status in (0, 1) and not err, out + err     # 2: mypy itself failed
    codes = {int(number): code for number, code in
             re.findall(r"^.*uses\.py:(\d+): error: .*\[([\w-]+)\]$", out, re.M)}
    # An error on the imports would mean the stub was not found.
    assert all(number > len(header) for number in codes), out
    first = len(header) + 1
    return {line: codes.get(number) for number, (line, _) in enumerate(TYPED_USES, first)}


@pytest.mark.parametrize("line, code", TYPED_USES)
def test_stub_types_pips_and_catalogue_entries(stub_verdicts, line, code):
    assert stub_verdicts[line] == code
    numpy = pytest.importorskip("numpy")
    if code is None:
        eval(line, {"kinetrope": kinetrope, "numpy": numpy})
    else:
        with pytest.raises((TypeError, KeyError)):
            eval(line, {"kinetrope": kinetrope, "numpy": numpy})


# The interpreter check follows the headers the module was compiled against: this module
# was built for the interpreter running the suite. A stand-in Py_GetVersion, preloaded into
# a child interpreter, shows the module each version string a future or past release
# could report.
COMPILED_FOR = f"{sys.version_info.major}.{sys.version_info.minor}"
OTHER_MINOR = f"{sys.version_info.major}.{sys.version_info.minor + 1}"


@pytest.fixture(scope="module")
def version_shim(tmp_path_factory):
    cc = shutil.which("cc") or shutil.which("gcc") or shutil.which("clang")
    if cc is None:
        pytest.skip("no C compiler to build the stand-in Py_GetVersion")
    folder = tmp_path_factory.mktemp("shim")
    source = folder / "version.c"
    source.write_text('#include <stdlib.h>\n'
                      'const char* Py_GetVersion(void) { return getenv("KINETROPE_FAKE_VERSION"); }\n')
    shim = folder / "libversion.so"
    # The compiler is not the code under test: no sanitizer runtime preloaded into it.
    plain = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}
    subprocess.run([cc, "-shared", "-fPIC", "-o", str(shim), str(source)], check=True, env=plain)
    return shim


@pytest.mark.skipif(not sys.platform.startswith("linux"), reason="preloading is Linux's")
@pytest.mark.parametrize("version, accepted", [
    (f"{COMPILED_FOR}.9 (main, Jan  1 2026, 00:00:00) [GCC 12.2.0]", True),
    (COMPILED_FOR, True),
    (f"{OTHER_MINOR}.1 (main, Jan  1 2026, 00:00:00) [GCC 12.2.0]", False),
    (f"{COMPILED_FOR}0 (main)", False),
    ("3.1.2 (main)", False),
])
def test_the_interpreter_check_follows_the_compiled_headers(version_shim, version, accepted):
    runtime = str(Path(kinetrope.__file__).resolve().parent)
    preload = os.pathsep.join(filter(None, [os.environ.get("LD_PRELOAD"), str(version_shim)]))
    env = dict(os.environ, LD_PRELOAD=preload, KINETROPE_FAKE_VERSION=version,
               PYTHONPATH=os.pathsep.join(filter(None, [runtime, os.environ.get("PYTHONPATH")])))
    code = ("try:\n    import kinetrope\nexcept ImportError as e:\n    print(e)\n"
            "else:\n    print('imported', kinetrope.bounce(32).x)\n")
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, env=env,
                         check=True).stdout.strip()
    if accepted:
        assert out == "imported 1.0"
    else:
        assert out == (f"Python version mismatch: module was compiled for Python {COMPILED_FOR}, "
                       f"but the interpreter version is incompatible: {version}.")
