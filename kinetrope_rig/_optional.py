"""Optional libraries, imported where a feature needs them."""

from __future__ import annotations

import importlib
from types import ModuleType

EXTRA_HINT = "Install it with `pip install kinetrope[rig]`."


class MissingDependency(ImportError):
    """A feature was used whose optional library is not installed."""


def require(module: str, package: str, feature: str) -> ModuleType:
    """Import ``module`` for ``feature``, or fail naming ``package`` and the extra."""
    try:
        # The package first: a submodule already imported would be found even when the
        # package itself is blocked or gone.
        importlib.import_module(module.partition(".")[0])
        return importlib.import_module(module)
    except ImportError as error:
        raise MissingDependency(
            f"{feature} requires the '{package}' package. {EXTRA_HINT}",
            name=module) from error
