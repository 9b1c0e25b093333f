"""Every Python block of the guide runs, in order, in one namespace; every block of the
README runs on its own, as a reader who copies one of them runs it."""

import re
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parent.parent
DOCUMENTS = [ROOT / "docs" / "guide.md", ROOT / "README.md"]


def blocks(document):
    return re.findall(r"```python\n(.*?)```", document.read_text(encoding="utf-8"), re.S)


def test_guide_covers_every_source():
    text = "".join(blocks(DOCUMENTS[0]))
    for name in ("circle(", "sample(", "catalogue()", "SampledPattern(", "PatternLibrary(",
                 "SampledRecording("):
        assert name in text


@pytest.mark.parametrize("document", DOCUMENTS, ids=lambda d: d.name)
def test_examples_run(document, capsys):
    namespace: dict = {}
    for number, code in enumerate(blocks(document), 1):
        if document.name == "README.md":
            namespace = {}
        try:
            exec(compile(code, f"{document.name} block {number}", "exec"), namespace)
        except Exception as error:  # report which block failed
            pytest.fail(f"block {number} failed: {error!r}\n{code}")


def pictures():
    for document in DOCUMENTS:
        for target in re.findall(r"!\[[^\]]*\]\(([^)]+)\)", document.read_text(encoding="utf-8")):
            yield document, target


@pytest.mark.parametrize("document, target", list(pictures()),
                         ids=lambda v: getattr(v, "name", v))
def test_every_picture_is_there(document, target):
    assert (document.parent / target).read_bytes().startswith(b"\x89PNG")


def test_the_shaping_chapter_shows_every_layer():
    shown = {target for document, target in pictures() if document.name == "guide.md"}
    assert {"images/shapes_easings.png", "images/shapes_lfos.png", "images/shapes_figures.png",
            "images/fan.png"} <= shown
