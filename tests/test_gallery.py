"""The gallery draws the patterns it is asked for and lists them, searchably, in its index."""

import csv
import importlib.util
import json
import shutil
import struct
import subprocess
import sys
from html.parser import HTMLParser
from pathlib import Path

import pytest

pytest.importorskip("matplotlib")

import catalogue_records as records  # noqa: E402
import kinetrope  # noqa: E402

GALLERY = Path(__file__).resolve().parent.parent / "tools" / "gallery.py"


def load_gallery():
    spec = importlib.util.spec_from_file_location("gallery", GALLERY)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


class IndexReader(HTMLParser):
    """Collects, per sheet section, its image and the cell texts of each pattern row."""

    def __init__(self):
        super().__init__()
        self.sheets, self.images = {}, {}
        self.section = self.row = self.cell = None
        self.script = ""
        self.in_script = False

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "section":
            self.section = attrs["id"]
            self.sheets[self.section] = []
        elif tag == "img" and self.section:
            self.images[self.section] = attrs["src"]
        elif tag == "tr" and "data-name" in attrs:
            self.row = [attrs["data-name"]]
            self.sheets[self.section].append(self.row)
        elif tag == "td" and self.row is not None:
            self.cell = ""
        elif tag == "script":
            self.in_script = True

    def handle_endtag(self, tag):
        if tag == "td" and self.cell is not None:
            self.row.append(self.cell)
            self.cell = None
        elif tag == "tr":
            self.row = None
        elif tag == "script":
            self.in_script = False

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data
        elif self.in_script:
            self.script += data


def read_index(path):
    reader = IndexReader()
    reader.feed(path.read_text(encoding="utf-8"))
    return reader


def png_size(path):
    head = path.read_bytes()[:24]
    assert head[:8] == b"\x89PNG\r\n\x1a\n" and head[12:16] == b"IHDR"
    return struct.unpack(">II", head[16:24])


PREFIXES = ["ease_", "flam", "beat_four_floor_b"]


@pytest.fixture(scope="module")
def subset(tmp_path_factory):
    # The index of a generator's dump, whose family column the generator's tests hold to
    # the census; the gallery reads nothing else of the dump.
    dump = tmp_path_factory.mktemp("dump")
    with open(dump / "index.csv", "w", newline="", encoding="utf-8") as f:
        index = csv.writer(f, lineterminator="\n")
        index.writerow(["name", "period", "dimensions", "family", "description"])
        for e in kinetrope.catalogue()[len(records.RUDIMENTS):]:
            index.writerow([e["name"], e["period_pips"], e["dimensions"],
                            records.family_of(e["name"]), e["description"]])
    only = [arg for prefix in PREFIXES for arg in ("--only", prefix)]
    out = tmp_path_factory.mktemp("gallery")
    run = subprocess.run([sys.executable, str(GALLERY), str(out), "--dump", str(dump), *only],
                         capture_output=True, text=True, check=True)
    return out, run


def test_subset_index_lists_exactly_the_chosen_patterns_by_sheet(subset):
    out, _ = subset
    chosen = [e for e in kinetrope.catalogue() if e["name"].startswith(tuple(PREFIXES))]
    assert len(chosen) == 4 + 1 + 2
    index = read_index(out / "index.html")
    assert list(index.sheets) == ["rudiments", "ease", "beat_bounce", "beat_box"]
    by_sheet = {key: [row[0] for row in rows] for key, rows in index.sheets.items()}
    assert by_sheet["rudiments"] == ["flam"]
    assert by_sheet["ease"] == [e["name"] for e in chosen if e["name"].startswith("ease_")]
    assert by_sheet["beat_bounce"] == ["beat_four_floor_bounce"]
    assert by_sheet["beat_box"] == ["beat_four_floor_box"]
    rows = {row[0]: row[1:] for rows in index.sheets.values() for row in rows}
    for entry in chosen:
        assert rows[entry["name"]] == [entry["name"], f"{entry['period_pips'] / 64:g}",
                                       str(entry["dimensions"]), entry["description"]]


def test_subset_sheets_are_pngs_sized_by_their_rows(subset):
    out, _ = subset
    index = read_index(out / "index.html")
    assert sorted(p.name for p in out.glob("*.png")) == sorted(
        f"{key}.png" for key in index.sheets)
    sizes = {key: png_size(out / src) for key, src in index.images.items()}
    # One row each; a four-pattern row is wider than a single panel pair.
    assert sizes["ease"][1] == sizes["rudiments"][1] > 0
    assert 0 < sizes["rudiments"][0] < sizes["ease"][0]
    assert sizes["beat_bounce"] == sizes["beat_box"]


def test_progress_counts_every_sheet(subset):
    _, run = subset
    lines = run.stderr.splitlines()
    assert [line.split("] ")[1].split()[0] for line in lines] == ["1/4", "2/4", "3/4", "4/4"]
    assert lines[-1].startswith("[" + "#" * 30 + "]")
    assert "7 patterns on 4 sheets" in run.stdout


@pytest.mark.parametrize("args, message", [
    (["--only", "nothing_like_this"], "no pattern name starts with nothing_like_this"),
    (["--only", "lfo_breathe", "--only", "wave_pinched"], "does not list lfo_breathe and 1 more"),
])
def test_what_cannot_be_drawn_is_refused(tmp_path, capsys, args, message):
    # The dump here lists one other pattern only.
    (tmp_path / "index.csv").write_text("name,period,dimensions,family,description\n"
                                        "ease_rebound,256,1,ease,A curve\n", encoding="utf-8")
    with pytest.raises(SystemExit) as stop:
        load_gallery().main([str(tmp_path / "out"), "--dump", str(tmp_path), *args])
    assert stop.value.code == 2
    assert message in capsys.readouterr().err
    assert not (tmp_path / "out").exists()


@pytest.mark.parametrize("name, families, family", [
    ("accent_walk_12_5", {"accent_walk_12_5": "accent_walk"}, "accent_walk"),
    ("lfo_breathe", {"lfo_breathe": "lfo"}, "lfo"),
    ("five_stroke_roll", {}, "rudiments"),
    ("lfo_breathe", {}, None),
])
def test_the_family_is_the_dumps_and_the_rudiments_share_one(name, families, family):
    assert load_gallery().family_of(name, families) == family


@pytest.mark.parametrize("name, family, sheet, label", [
    ("rudiment_paradiddle_diddle", "rudiment", "rudiment", "rudiment_paradiddle_diddle"),
    ("beat_four_floor_bounce", "beat", "beat_bounce", "four_floor"),
    ("beat_ukg_two_step_figure8", "beat", "beat_figure8", "ukg_two_step"),
    ("beat_dembow_push_ricochet", "beat", "beat_ricochet", "dembow_push"),
])
def test_sheet_of_name(name, family, sheet, label):
    assert load_gallery().sheet_of(name, family) == (sheet, label)


def test_index_escapes_names_and_descriptions():
    gallery = load_gallery()
    entry = {"name": "odd<i>", "description": 'a <b>&"quoted"</b> — line',
             "period_pips": 160, "dimensions": 2}
    page = gallery.index_html({"odd": [("odd<i>", entry)]}, {"odd": "odd & co"})
    assert "<b>" not in page and "<i>" not in page
    reader = IndexReader()
    reader.feed(page)
    assert reader.sheets == {"odd": [["odd<i>", "odd<i>", "2.5", "2", entry["description"]]]}


FAKE_DOM = """
const rows = %s.map(n => ({dataset: {name: n}, style: {display: ''}}));
const sections = [{rows: rows.slice(0, 2), style: {display: ''}},
                  {rows: rows.slice(2), style: {display: ''}}];
sections.forEach(s => { s.querySelectorAll = () => s.rows; });
const q = {value: '', listeners: [], addEventListener(k, f) { this.listeners.push(f); }};
const shown = {textContent: ''};
global.document = {
  getElementById: id => ({q, shown})[id],
  querySelectorAll: () => sections,
};
const out = [];
%s
for (const text of %s) {
  q.value = text;
  q.listeners.forEach(f => f());
  out.push([rows.filter(r => r.style.display === '').map(r => r.dataset.name),
            sections.map(s => s.style.display), shown.textContent]);
}
console.log(JSON.stringify(out));
"""


@pytest.mark.skipif(shutil.which("node") is None, reason="needs node to run the page script")
def test_page_script_filters_rows_and_sheets_by_name(subset):
    out, _ = subset
    script = read_index(out / "index.html").script
    names = ["flam", "ease_rebound", "beat_four_floor_box", "beat_funky_toms_box"]
    queries = ["", "box", "  FLAM ", "zzz"]
    run = subprocess.run(["node", "-e", FAKE_DOM % (json.dumps(names), script,
                                                   json.dumps(queries))],
                         capture_output=True, text=True, check=True)
    assert json.loads(run.stdout) == [
        [names, ["", ""], ""],
        [names[2:], ["none", ""], "2 matching"],
        [["flam"], ["", "none"], "1 matching"],
        [[], ["none", "none"], "0 matching"],
    ]
