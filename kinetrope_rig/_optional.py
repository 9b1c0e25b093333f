"""Optional libraries, imported where a feature needs them."""

from __future__ import annotations

import importlib
from types import ModuleType


def install_hint(extra: str = "rig") -> str:
    """How to install the libraries of one extra of kinetrope."""
    return f"Install it with `pip install kinetrope[{extra}]`."


class MissingDependency(ImportError):
    """A feature was used whose optional library is not installed."""


def require(module: str, package: str, feature: str, extra: str = "rig") -> ModuleType:
    """Import ``module`` for ``feature``, or fail naming ``package`` and ``extra``, the
    extra of kinetrope that installs it."""
    try:
        # The package first: a submodule already imported would be found even when the
        # package itself is blocked or gone.
        importlib.import_module(module.partition(".")[0])
        return importlib.import_module(module)
    except ImportError as error:
        raise MissingDependency(
            f"{feature} requires the '{package}' package. {install_hint(extra)}",
            name=module) from error
