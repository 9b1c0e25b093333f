"""Which compiler a build tree takes: a fresh tree takes the one it is given, however it is
given; a tree that holds a build made with one compiler refuses a configuration that asks for
another, and goes on as before once nothing else is asked for."""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

import pytest

CMAKE_MODULE = Path(__file__).resolve().parent.parent / "cmake" / "compiler_of_tree.cmake"
REFUSED = "holds a build made with"


def tools():
    """CMake and the compilers that c++, g++ and clang++ are."""
    found = [shutil.which(name) for name in ("cmake", "c++", "g++", "clang++")]
    if not (sys.platform.startswith("linux") and CMAKE_MODULE.is_file() and all(found)):
        pytest.skip("needs Linux, the source tree, CMake, c++, g++ and clang++")
    cmake, *compilers = found
    return cmake, dict(zip(["c++", "g++", "clang++"], (Path(c).resolve() for c in compilers)))


def configure(cmake, source, tree, defines=(), cxx=None):
    # CMake and the compilers are the system's: no sanitizer runtime preloaded into them.
    env = {k: v for k, v in os.environ.items() if k not in ("CXX", "LD_PRELOAD")}
    if cxx:
        env["CXX"] = cxx
    done = subprocess.run([cmake, "-S", source, "-B", tree, *defines], env=env,
                          capture_output=True, text=True, timeout=120, check=False)
    # The compiler CMake determined for the tree, and builds with.
    (found,) = tree.glob("CMakeFiles/*/CMakeCXXCompiler.cmake")
    compiler = re.search(r'set\(CMAKE_CXX_COMPILER "([^"]+)"\)', found.read_text()).group(1)
    return done.returncode == 0 and REFUSED not in done.stderr, Path(compiler).resolve()


# Each step: (-D compiler or None, CXX or None, accepted); the tree keeps its first compiler.
@pytest.mark.parametrize("steps", [
    [("clang++", None, True), (None, None, True), (None, "clang++", True), (None, "g++", False),
     (None, None, True), ("g++", None, False), (None, None, True)],
    [(None, "clang++", True), (None, "clang++", True), (None, None, True), ("g++", None, False),
     ("clang++", None, True)],
    [("clang++", "g++", True), (None, "g++", True)],
    [(None, None, True), (None, "clang++", False), ("clang++", None, False), (None, None, True)],
], ids=["-D on a fresh tree", "CXX on a fresh tree", "-D over CXX", "default compiler"])
def test_a_tree_keeps_the_compiler_it_was_first_given(tmp_path, steps):
    cmake, compilers = tools()
    (tmp_path / "CMakeLists.txt").write_text(
        "cmake_minimum_required(VERSION 3.26)\n"
        f'include("{CMAKE_MODULE.as_posix()}")\n'
        "kinetrope_check_tree_compiler()\n"
        "project(probe LANGUAGES CXX)\n"
        "kinetrope_record_tree_compiler()\n")
    tree = tmp_path / "build"
    first = None
    for given, cxx, accepted in steps:
        defines = [f"-DCMAKE_CXX_COMPILER={given}"] if given else []
        ok, compiler = configure(cmake, tmp_path, tree, defines, cxx)
        first = first or compiler
        assert (ok, compiler) == (accepted, first), (given, cxx)
    assert first == compilers[steps[0][0] or steps[0][1] or "c++"]
