#!/usr/bin/env python3
"""The sample puzzles: made by tools/make-samples, in the crossword file form, and filled.

    samples_test.py VEXILO_CLI
"""

import os
import re
import runpy
import subprocess
import sys
import tempfile
import types
import unittest

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
DATA = os.path.join(ROOT, "data")
PUZZLES = {"sample-5x5.crs": 5, "sample-9x9.crs": 9, "sample-13x13.crs": 13}
CLI = None
LINE = re.compile(rb"[^\t\r\n]*\t-?[0-9]+\t-?[0-9]+\r\n")


def cells_of(name):
    with open(os.path.join(DATA, name), "rb") as raw:
        lines = raw.read().split(b"\r\n")[:-1]
    return [(text.decode("cp932"), int(flag), int(mark))
            for text, flag, mark in (line.split(b"\t") for line in lines)]


def load_make_samples():
    path = os.path.join(ROOT, "tools", "make-samples")
    return types.SimpleNamespace(**runpy.run_path(path, run_name="make_samples"))


class SampleChecks(unittest.TestCase):
    def setUp(self):
        self.tool = load_make_samples()

    def rejected(self, fill, **features):
        puzzle = {"name": "p", "fill": fill, "fixed": [], "stars": [], "marks": []}
        puzzle.update(features)
        with self.assertRaises(SystemExit) as stop:
            self.tool.check(puzzle)
        return str(stop.exception)

    def test_a_sound_grid_gives_its_words_across_then_down(self):
        words = self.tool.check({"name": "p", "fill": ["アイ", "イエ"], "fixed": [(0, 0)],
                                 "stars": [], "marks": [[(0, 1), (1, 0)]]})
        self.assertEqual([text for text, _ in words], ["アイ", "イエ", "アイ", "イエ"])

    def test_grids_a_newspaper_would_not_print_are_refused(self):
        self.assertIn("not square", self.rejected(["アイ", "ウ"]))
        self.assertIn("not symmetric", self.rejected(["＃アイ", "ウエオ", "カキク"]))
        self.assertIn("side by side",
                      self.rejected(["アイウエ", "オ＃＃カ", "キ＃＃ク", "ケコサシ"]))
        self.assertIn("belongs to no word", self.rejected(["ア＃イ", "＃ウ＃", "エ＃オ"]))
        self.assertIn("not connected", self.rejected(["アイウ＃", "エオ＃キ", "ク＃ケコ", "＃サシス"]))

    def test_groups_and_stars_must_agree_with_the_fill(self):
        fill = ["アイア", "カキク", "アコサ"]
        self.assertIn("is black", self.rejected(["アイ", "ウエ"], stars=[(0, 2)]))
        self.assertIn("different letters", self.rejected(fill, marks=[[(0, 0), (0, 1)]]))
        self.assertIn("star cells of アイア", self.rejected(fill, stars=[(0, 0), (0, 1)]))
        self.assertEqual(len(self.tool.check({"name": "p", "fill": fill, "fixed": [],
                                              "stars": [(0, 0), (0, 2)],
                                              "marks": [[(0, 0), (2, 0)]]})), 6)


class Samples(unittest.TestCase):
    def test_committed_files_are_what_the_script_writes(self):
        with tempfile.TemporaryDirectory() as folder:
            subprocess.run([os.path.join(ROOT, "tools", "make-samples"), folder], check=True,
                           capture_output=True)
            for name in list(PUZZLES) + ["sample.dic"]:
                with self.subTest(name=name):
                    with open(os.path.join(folder, name), "rb") as made, \
                            open(os.path.join(DATA, name), "rb") as kept:
                        self.assertEqual(made.read(), kept.read())

    def test_crossword_files_hold_one_line_per_cell(self):
        for name in PUZZLES:
            with self.subTest(name=name):
                with open(os.path.join(DATA, name), "rb") as raw:
                    data = raw.read()
                lines = data.split(b"\r\n")
                self.assertEqual(lines[-1], b"")
                self.assertEqual(len(lines) - 1, 1024)
                self.assertTrue(all(LINE.fullmatch(line + b"\r\n") for line in lines[:-1]))

    def test_puzzles_sit_at_the_top_left_with_their_features(self):
        features = {}
        for name, size in PUZZLES.items():
            cells = cells_of(name)
            used = [i for i, (_, flag, _) in enumerate(cells) if flag != 0]
            with self.subTest(name=name):
                self.assertEqual(max(i // 32 for i in used) + 1, size)
                self.assertEqual(max(i % 32 for i in used) + 1, size)
            features[name] = ({flag for _, flag, _ in cells},
                              {mark for _, _, mark in cells} - {-1})
        self.assertEqual(features["sample-5x5.crs"], ({0, 1}, set()))
        self.assertEqual(features["sample-9x9.crs"], ({0, 1, 3}, set()))
        self.assertEqual(features["sample-13x13.crs"], ({0, 1, 2, 3}, {0, 1}))

    def test_search_with_the_sample_dictionary_fills_every_cell(self):
        for name, size in PUZZLES.items():
            with self.subTest(name=name):
                done = subprocess.run(
                    [CLI, "search", os.path.join(DATA, name), "--dic",
                     os.path.join(DATA, "sample.dic")], capture_output=True, check=False)
                self.assertEqual(done.returncode, 0, done.stderr.decode())
                self.assertEqual(done.stderr, b"")
                rows = done.stdout.decode("utf-8").splitlines()
                self.assertEqual([len(row) for row in rows], [size] * size)
                self.assertNotIn("□", "".join(rows))
                cells = cells_of(name)
                for r, row in enumerate(rows):
                    for c, shown in enumerate(row):
                        text, flag, _ = cells[r * 32 + c]
                        self.assertEqual(shown == "■", flag == 0, (r, c))
                        if flag == 3:
                            self.assertEqual(shown, text, (r, c))

    def test_a_utf8_copy_of_the_dictionary_gives_the_same_fill(self):
        with open(os.path.join(DATA, "sample.dic"), "rb") as raw:
            text = raw.read().decode("cp932")
        with tempfile.TemporaryDirectory() as folder:
            copies = {"lf.dic": text.replace("\r\n", "\n").encode("utf-8"),
                      "bom.dic": ("\ufeff" + text).encode("utf-8")}
            for name, data in copies.items():
                with open(os.path.join(folder, name), "wb") as out:
                    out.write(data)
            for puzzle in PUZZLES:
                runs = [subprocess.run([CLI, "search", os.path.join(DATA, puzzle), "--dic", dic],
                                       capture_output=True, check=False)
                        for dic in [os.path.join(DATA, "sample.dic")] +
                        [os.path.join(folder, name) for name in copies]]
                with self.subTest(puzzle=puzzle):
                    self.assertNotIn("□", runs[0].stdout.decode("utf-8"))
                    for run in runs[1:]:
                        self.assertEqual((run.returncode, run.stdout, run.stderr),
                                         (0, runs[0].stdout, b""))

    def test_search_without_the_dictionary_leaves_cells_open(self):
        done = subprocess.run([CLI, "search", os.path.join(DATA, "sample-5x5.crs")],
                              capture_output=True, check=False)
        self.assertEqual(done.returncode, 0)
        self.assertEqual(done.stdout.decode("utf-8").count("□"), 21)


if __name__ == "__main__":
    CLI = sys.argv.pop(1)
    unittest.main()
