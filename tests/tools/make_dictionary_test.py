#!/usr/bin/env python3
"""tools/make-dictionary over small word lists laid out as the package lays out its own."""

import os
import subprocess
import tempfile
import unittest

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
TOOL = os.path.join(ROOT, "tools", "make-dictionary")


def entry(surface, reading, kind="一般", cost=5000):
    return f"{surface},1285,1285,{cost},名詞,{kind},*,*,*,*,{surface},{reading},{reading}\n"


class MakeDictionary(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.source = os.path.join(self.folder.name, "ipadic")
        os.mkdir(self.source)
        self.output = os.path.join(self.folder.name, "out", "nouns.dic")

    def tearDown(self):
        self.folder.cleanup()

    def lists(self, **files):
        for name, lines in files.items():
            with open(os.path.join(self.source, name), "wb") as out:
                out.write("".join(lines).encode("euc-jp"))

    def run_tool(self):
        return subprocess.run([TOOL, self.output, "--source", self.source],
                              capture_output=True, check=False)

    def words(self):
        with open(self.output, "rb") as raw:
            data = raw.read()
        self.assertTrue(data.endswith(b"\r\n"))
        self.assertNotIn(b"\n", data.replace(b"\r\n", b""))
        return data.decode("cp932").split("\r\n")[:-1]

    def test_common_nouns_first_then_by_cost_once_each_in_code_page_932(self):
        self.lists(**{
            "Noun.csv": [entry("猫", "ネコ", cost=3000), entry("犬", "イヌ", cost=4000),
                         entry("値", "ネ"), entry("客", "キャク", cost=6000),
                         entry("ネコ", "ネコ", cost=9000), entry("杯", "ハイ", cost=4000)],
            "Noun.name.csv": [entry("花子", "ハナコ", "固有名詞", 100),
                              entry("脚", "キヤク", "固有名詞", 200)],
            "Noun.number.csv": [entry("万", "マン", "数", 9999)],
            "Noun.verbal.csv": [entry("愛", "アイ", "サ変接続", 4000),
                                entry("位", "イヌ", "サ変接続", 100)],
            "Verb.csv": [entry("走る", "ハシル", "自立")],
        })
        done = self.run_tool()
        self.assertEqual(done.returncode, 0, done.stderr.decode())
        # イヌ takes its cheaper line; ties of cost go by file name, then line; キヤク folds
        # to the same word as the more common キャク.
        self.assertEqual(self.words(), ["イヌ", "ネコ", "ハイ", "アイ", "キャク", "マン", "ハナコ"])
        with open(self.output, "rb") as raw:
            self.assertEqual(raw.read(4), b"\x83\x43\x83\x6b")  # イヌ

    def test_only_katakana_readings_of_two_to_twelve_letters(self):
        self.lists(**{"Noun.csv": [
            entry("一", "イ"), entry("長", "ア" * 12), entry("過", "ア" * 13),
            entry("Web", "Ｗｅｂ"), entry("なほ", "なほ"), entry("点", "、"),
            entry("棒", "ボー"), entry("琴", "ヴァイオリン"),
        ]})
        done = self.run_tool()
        self.assertEqual(done.returncode, 0, done.stderr.decode())
        self.assertEqual(self.words(), ["ア" * 12, "ボー", "ヴァイオリン"])

    def test_spread_keeps_words_evenly_over_the_order(self):
        readings = ["カ" + letter for letter in "アイウエオカキクケコ"]
        self.lists(**{"Noun.csv": [entry(r, r) for r in readings]})
        for count, wanted in ((0, readings), (20, readings), (1, readings[9:]),
                              (5, readings[1::2]), (3, [readings[3], readings[6], readings[9]])):
            with self.subTest(count=count):
                done = subprocess.run([TOOL, self.output, "--source", self.source,
                                       "--spread", str(count)], capture_output=True, check=False)
                self.assertEqual(done.returncode, 0, done.stderr.decode())
                self.assertEqual(self.words(), wanted)

    def test_utf8_writes_the_same_words_after_a_byte_order_mark(self):
        self.lists(**{"Noun.csv": [entry("客", "キャク"), entry("猫", "ネコ")]})
        done = subprocess.run([TOOL, self.output, "--source", self.source, "--utf8"],
                              capture_output=True, check=False)
        self.assertEqual(done.returncode, 0, done.stderr.decode())
        with open(self.output, "rb") as raw:
            self.assertEqual(raw.read(), "\ufeffキャク\r\nネコ\r\n".encode("utf-8"))

    def test_a_folder_without_noun_lists_is_an_error_and_writes_nothing(self):
        self.lists(**{"Verb.csv": [entry("走る", "ハシル", "自立")]})
        done = self.run_tool()
        self.assertNotEqual(done.returncode, 0)
        self.assertIn(b"no Noun*.csv", done.stderr)
        self.assertFalse(os.path.exists(self.output))

    def test_a_list_that_is_not_euc_jp_is_an_error_and_keeps_the_old_file(self):
        os.makedirs(os.path.dirname(self.output))
        with open(self.output, "wb") as old:
            old.write(b"old\r\n")
        with open(os.path.join(self.source, "Noun.csv"), "wb") as out:
            out.write(b"\xff\xff,1,1,1,x,x,x,x,x,x,x,\xff\xff,x\n")
        done = self.run_tool()
        self.assertNotEqual(done.returncode, 0)
        with open(self.output, "rb") as kept:
            self.assertEqual(kept.read(), b"old\r\n")


if __name__ == "__main__":
    unittest.main()
