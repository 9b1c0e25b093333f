"""The module frame: import, registered names and the shape of the public surface."""

import importlib
import os
import shutil
import subprocess
import sys
from pathlib import Path

import pytest

import kinetrope

# Every public name, in registration order.
REGISTRATION_ORDER = [
    "PIPS_PER_BEAT",
    "SampledRecording",
    "Offset3",
    "SampledPattern",
    "PatternLibrary",
    "sample",
    "catalogue",
    "bounce",
    "sway",
    "circle",
    "figure_eight",
    "step_touch",
    "box_step",
    "helix",
    "ombrel_background",
    "single_stroke_roll",
    "double_stroke_roll",
    "multiple_bounce_roll",
    "single_paradiddle",
    "flam",
    "drag",
    "five_stroke_roll",
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
