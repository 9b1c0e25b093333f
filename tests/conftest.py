import os
import sys
from pathlib import Path

import pytest

# Lets the test modules share helpers (catalogue_data) under --import-mode=importlib.
sys.path.insert(0, str(Path(__file__).resolve().parent))


@pytest.fixture(scope="session")
def kinetrope_gen():
    """The catalogue generator: KINETROPE_GEN names it wherever it was built (a named file
    that is missing fails the test); otherwise the one beside the module of a build tree."""
    named = os.environ.get("KINETROPE_GEN")
    if named:
        path = Path(named)
        if not path.is_file():
            pytest.fail(f"KINETROPE_GEN names {named}, which is not a file")
        return path.resolve()
    import kinetrope

    path = Path(kinetrope.__file__).resolve().parent / "kinetrope_gen"
    if not path.is_file():
        pytest.skip("the catalogue generator is neither named by KINETROPE_GEN nor beside "
                    "the module (not a build tree)")
    return path
