#include "files/ipuz_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "files/json.h"
#include "support/grid_picture.h"
#include "support/sjis.h"
#include "support/temp_folder.h"

namespace vexilo {
namespace {

using test::pictureOf;
using test::sj;

const WordListCodec& codec = test::wordListCodec();

std::string sampleFile(const std::string& name) {
  const char* root = std::getenv("VEXILO_SOURCE_DIR");
  return test::readBytes(std::string(root ? root : "../..") + "/tests/files/ipuz/" + name);
}

std::string cellsOf(const PuzzleGrid& grid) {
  std::string all;
  for (int i = 0; i < CellCount; ++i) {
    const NodeBox& cell = grid.cellAt(i);
    if (cell.flag == Block && cell.str.empty() && cell.mark == -1) continue;
    all += std::to_string(i) + ":" + test::u8(cell.str) + "/" + std::to_string(cell.flag) + "/" +
           std::to_string(cell.mark) + " ";
  }
  return all + "next " + std::to_string(grid.nextMark());
}

TEST(Json, ReadsWhatItWritesAndRefusesWhatIsNotJson) {
  std::string error;
  const std::string text =
      R"({"a": [1, -2.5, 3e2, true, false, null], "b": {"c": "\u00e9\ud83d\ude00\n\"\\/"}})";
  const std::optional<JsonValue> value = parseJson(text, error);
  ASSERT_TRUE(value) << error;
  EXPECT_EQ(value->member("a")->items[2].asInt(), 300);
  EXPECT_EQ(value->member("b")->member("c")->text, "\xC3\xA9\xF0\x9F\x98\x80\n\"\\/");
  const std::string formatted = formatJson(*value);
  EXPECT_EQ(formatted,
            "{\n  \"a\": [1, -2.5, 300, true, false, null],\n  \"b\": {\n    \"c\": "
            "\"\xC3\xA9\xF0\x9F\x98\x80\\n\\\"\\\\/\"\n  }\n}\n");
  ASSERT_TRUE(parseJson(formatted, error));

  const struct {
    const char* text;
    const char* error;
  } bad[] = {
      {"", "the document ends where a value should be at byte 0"},
      {"[1,]", "a value should be here at byte 3"},
      {"{\"a\":1,\"a\":2}", "the member \"a\" comes twice at byte 10"},
      {"[01]", "',' or ']' should be here at byte 2"},
      {"\"\x01\"", "a control character inside a string at byte 1"},
      {"\"\xC3\"", "a broken UTF-8 character at byte 1"},
      {"\"\xC0\xAF\"", "a byte that starts no UTF-8 character at byte 1"},
      {"\"\\ud800\"", "a high surrogate without its low one at byte 7"},
      {"[1] x", "text after the end of the document at byte 4"},
      {"// no\n1", "a value should be here at byte 0"},
      {"nul", "unknown word at byte 0"},
  };
  for (const auto& row : bad) {
    error.clear();
    EXPECT_FALSE(parseJson(row.text, error)) << row.text;
    EXPECT_EQ(error, row.error) << row.text;
  }
  EXPECT_FALSE(parseJson(std::string(65, '[') + std::string(65, ']'), error));
  EXPECT_TRUE(parseJson(std::string(64, '[') + std::string(64, ']'), error));
}

// A random puzzle in a random part of the grid: open, star and given cells, groups, clues on
// some words and some clues kept aside, properties with quotes and Shift_JIS 0x5C bytes.
void randomPuzzle(std::mt19937& random, PuzzleGrid& grid, PuzzleClues& clues) {
  const std::vector<std::string> letters{sj("ア"), sj("ソ"), sj("表"), sj("ン"),
                                         sj("Ａ"), sj("ー"), sj("一"), sj("能")};
  const int height = 1 + static_cast<int>(random() % GridSize);
  const int width = 1 + static_cast<int>(random() % GridSize);
  const int top = static_cast<int>(random() % static_cast<unsigned>(GridSize - height + 1));
  const int left = static_cast<int>(random() % static_cast<unsigned>(GridSize - width + 1));
  for (int row = top; row < top + height; ++row) {
    for (int column = left; column < left + width; ++column) {
      const int roll = static_cast<int>(random() % 10);
      if (roll < 3) continue;
      NodeBox& cell = grid.cellAt(PuzzleGrid::indexOf(row, column));
      cell.flag = roll < 6 ? Open : roll < 8 ? Star : Fixed;
      if (cell.flag == Fixed || random() % 2 == 0) cell.str = letters[random() % letters.size()];
      if (random() % 5 == 0) cell.mark = static_cast<int>(random() % 12);
      grid.noteMark(cell.mark);
    }
  }
  clues.properties.numbering = random() % 2 ? Numbering::Sequence : Numbering::Magazine;
  clues.properties.title = sj("題名 \"ソ\\表\" <&>");
  clues.properties.author = random() % 2 ? sj("作者") : "";
  const WordNumbers words = numberWords(grid, clues.properties.numbering);
  for (const auto* list : {&words.across, &words.down}) {
    for (const NumberedWord& word : *list) {
      if (random() % 3 != 0) clues.setText(word.key, sj("カギ ") + word.label + "\t\"\\");
    }
  }
  for (int k = 0; k < 3; ++k) {
    const ClueKey key{static_cast<int>(random() % CellCount), random() % 2 ? Across : Down};
    if (!words.find(key)) clues.setText(key, sj("消えた言葉"));
  }
}

TEST(Ipuz, RandomPuzzlesComeBackWhole) {
  std::mt19937 random(2021);
  for (int round = 0; round < 300; ++round) {
    PuzzleGrid grid;
    PuzzleClues clues;
    randomPuzzle(random, grid, clues);
    const std::string text = formatIpuz(grid, clues, codec);
    PuzzleGrid back;
    PuzzleClues backClues;
    std::string error;
    ASSERT_TRUE(parseIpuz(text, codec, back, backClues, error)) << error << "\n" << text;
    ASSERT_EQ(cellsOf(back), cellsOf(grid)) << text;
    ASSERT_EQ(backClues, clues) << text;
  }
}

TEST(Ipuz, FilesWrittenByHandOpen) {
  PuzzleGrid grid;
  PuzzleClues clues;
  std::string error;
  ASSERT_TRUE(parseIpuz(sampleFile("plain-arrays.ipuz"), codec, grid, clues, error)) << error;
  EXPECT_EQ(pictureOf(grid, 3, 3), (std::vector<std::string>{"サク#", "ライム", "#スシ"}));
  EXPECT_EQ(grid.cellAt(PuzzleGrid::indexOf(1, 2)).flag, Open);  // an answer, not given
  EXPECT_EQ(clues.properties.title, "Three by three");
  EXPECT_EQ(clues.properties.numbering, Numbering::Sequence);
  EXPECT_EQ(clues.textOf({PuzzleGrid::indexOf(1, 2), Down}), sj("虫"));
  EXPECT_EQ(clues.texts.size(), 6u);

  ASSERT_TRUE(parseIpuz(sampleFile("objects-and-styles.ipuz"), codec, grid, clues, error)) << error;
  EXPECT_EQ(pictureOf(grid, 2, 4), (std::vector<std::string>{"カａン#", "ツキ.#"}));
  EXPECT_EQ(grid.cellAt(2).flag, Fixed);
  EXPECT_EQ(grid.cellAt(0).mark, 0);
  EXPECT_EQ(clues.properties.copyright, "? 2026 Example");  // © has no Shift_JIS form
  EXPECT_EQ(clues.textOf({GridSize, Across}), sj("月"));
  EXPECT_EQ(clues.textOf({1, Down}), "<i>A</i> &amp; B");
  EXPECT_EQ(clues.texts.size(), 4u);
}

TEST(Ipuz, WhatVexiloCannotHoldIsRefusedNamingTheCell) {
  const std::string head =
      R"({"version": "http://ipuz.org/v2", "kind": ["http://ipuz.org/crossword#1"], )";
  const struct {
    std::string text;
    std::string error;
  } bad[] = {
      {head + R"("dimensions": {"width": 2, "height": 1}, "puzzle": [[1, 0]],
                 "solution": [["ア", "AB"]]})",
       "row 1, column 2: \"AB\" is more than one letter"},
      {head + R"("dimensions": {"width": 1, "height": 2}, "puzzle": [[1], [0]],
                 "solution": [["\u00e9"], ["ア"]]})",
       "row 1, column 1: \"?\" has no full-width form in Shift_JIS"},
      {head + R"("dimensions": {"width": 33, "height": 1}, "puzzle": [[]]})",
       "the grid is 33 by 1 cells; Vexilo holds at most 32 by 32"},
      {head + R"("dimensions": {"width": 2, "height": 1}, "puzzle": [[1, 0]],
                 "clues": {"Across": [[7, "x"]]}})",
       "clue Across 7 names no cell of the grid"},
      {head + R"("dimensions": {"width": 2, "height": 1}, "puzzle": [[1, 0]],
                 "clues": {"Diagonal": []}})",
       "clues \"Diagonal\": Vexilo holds only Across and Down"},
      {head + R"("dimensions": {"width": 2, "height": 1}, "puzzle": [[1]]})",
       "\"puzzle\" is not a table of the dimensions"},
      {R"({"version": "http://ipuz.org/v2", "kind": ["http://ipuz.org/sudoku#1"]})",
       "the document is no ipuz crossword (\"kind\")"},
      {head, "not a valid JSON document: a member name should be here at byte 75"},
  };
  for (const auto& row : bad) {
    PuzzleGrid grid;
    grid.makeOpen(5);
    PuzzleClues clues;
    clues.setText({5, Across}, "kept");
    const std::string before = cellsOf(grid);
    std::string error;
    EXPECT_FALSE(parseIpuz(row.text, codec, grid, clues, error)) << row.text;
    EXPECT_EQ(error, row.error) << row.text;
    EXPECT_EQ(cellsOf(grid), before);
    EXPECT_EQ(clues.textOf({5, Across}), "kept");
  }
}

TEST(Ipuz, EveryTruncationLoadsWholeOrChangesNothing) {
  std::mt19937 random(7);
  PuzzleGrid grid;
  PuzzleClues clues;
  randomPuzzle(random, grid, clues);
  const std::string text = formatIpuz(grid, clues, codec);
  ASSERT_TRUE(looksLikeIpuz(text));
  for (std::size_t length = 0; length < text.size(); ++length) {
    PuzzleGrid target;
    target.makeOpen(1000);
    PuzzleClues targetClues;
    std::string error;
    const bool read = parseIpuz(text.substr(0, length), codec, target, targetClues, error);
    if (read) {
      EXPECT_EQ(cellsOf(target), cellsOf(grid)) << length;  // only the final line feed is gone
    } else {
      EXPECT_EQ(target.cellAt(1000).flag, Open) << length;
      EXPECT_FALSE(error.empty()) << length;
    }
  }
}

}  // namespace
}  // namespace vexilo
