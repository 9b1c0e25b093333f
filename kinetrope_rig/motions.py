"""What a show plays: default patterns by name, effects and fans, as named points at any
whole pip."""

from __future__ import annotations

import functools
from typing import Mapping, Sequence, Union

import kinetrope

from .effects import Effect, Fan
from .frame import XYZ

Motion = Union[str, Effect, Fan]


@functools.cache
def periods() -> dict[str, int]:
    """Every default pattern's period in pips, by name."""
    return {str(entry["name"]): int(entry["period_pips"]) for entry in kinetrope.catalogue()}


def check_name(name: str) -> None:
    """Raise the module's own ``ValueError`` if ``name`` is not a default pattern."""
    try:
        name.encode("utf-8")
    except UnicodeEncodeError:      # undecodable bytes from a command line
        raise ValueError(f"Unknown kinetrope rudiment: {name!r} (not UTF-8 text)") from None
    kinetrope.sample(name, 0)


def _label(motion: Effect | Fan) -> str:
    effect = motion.effect if isinstance(motion, Fan) else motion
    source = effect.source
    return source if isinstance(source, str) else str(getattr(source, "name", "effect"))


class Part:
    """One motion: the labels of its points, how often its values repeat (0: unknown) and
    its values at a pip."""

    def __init__(self, label: str, motion: Motion) -> None:
        if isinstance(motion, str):
            check_name(motion)
            self.labels = [label]
            self.repeat = periods()[motion]
        elif isinstance(motion, Effect):
            self.labels = [label]
            self.repeat = motion.repeat_pips or 0
        elif isinstance(motion, Fan):
            self.labels = [f"{label}_{member}" for member in range(1, motion.count + 1)]
            self.repeat = motion.effect.repeat_pips or 0
        else:
            raise ValueError(f"a motion is a pattern name, an Effect or a Fan, not {motion!r}")
        self.motion = motion

    def values(self, pip: int) -> list[tuple[float, float, float]]:
        motion = self.motion
        if isinstance(motion, str):
            # A pattern gives the same values at every pip of the same phase, bit for bit,
            # so the pip is reduced by its period first: a show may run past the module's
            # 32-bit pips.
            return [kinetrope.sample(motion, pip % self.repeat).as_tuple()]
        if isinstance(motion, Effect):
            return [motion.at(pip)]
        return [(x, y, z) for x, y, z in motion.frame(pip).tolist()]


class Motions:
    """Named points at any whole pip, from pattern names, effects and fans.

    ``motions`` is a sequence, each item labelled by itself (a name) or by its source's
    name (an effect on a pattern), or a mapping from labels to motions. A fan of ``n``
    gives ``n`` points, labelled ``<label>_1`` to ``<label>_<n>``. Labels must not repeat.
    """

    def __init__(self, motions: Sequence[Motion] | Mapping[str, Motion]) -> None:
        pairs = (list(motions.items()) if isinstance(motions, Mapping) else
                 [(m if isinstance(m, str) else _label(m), m) for m in motions])
        self.parts = [Part(label, motion) for label, motion in pairs]
        self.labels = [label for part in self.parts for label in part.labels]
        repeated = sorted({label for label in self.labels if self.labels.count(label) > 1})
        if repeated:
            raise ValueError(f"motions share the labels {', '.join(repeated)}; give them "
                             "labels of their own in a mapping")

    def values(self, pip: int) -> list[tuple[float, float, float]]:
        """Every point's ``(x, y, z)`` at ``pip``, in the order of ``labels``."""
        return [value for part in self.parts for value in part.values(pip)]

    def points(self, pip: int) -> dict[str, XYZ]:
        """``{label: point}`` at ``pip``."""
        return {label: XYZ(*value) for label, value in zip(self.labels, self.values(pip))}
