#include "puzzle/clues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "files/crossword_file.h"
#include "search/word_slot.h"
#include "support/grid_picture.h"
#include "support/sjis.h"

namespace vexilo {
namespace {

using test::gridFromPicture;
using test::sj;

// Numbering worked out another way: the slots the search cuts, sorted by first cell; the
// labels spelt out from the kana in UTF-8.
struct Expected {
  std::vector<std::pair<int, std::string>> across, down;  // first cell, label
};

std::string expectedKana(int ordinal) {
  static const std::u8string kana =
      u8"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲ"
      u8"ン";
  constexpr int letters = 46;
  std::string label;
  if (ordinal >= letters) {
    label = expectedKana(ordinal / letters - 1);
    ordinal %= letters;
  }
  const std::u8string one = kana.substr(static_cast<std::size_t>(ordinal) * 3, 3);
  return label + sj(std::string(one.begin(), one.end()));
}

Expected independentNumbering(const PuzzleGrid& grid, Numbering numbering) {
  SlotTable table;
  extractSlots(grid, table);
  std::vector<std::pair<int, SlotDirection>> starts;
  for (int i = 0; i < table.slotCount; ++i) {
    const WordSlot& slot = table.slots[static_cast<std::size_t>(i)];
    starts.emplace_back(slot.row * GridSize + slot.column, slot.direction);
  }
  std::ranges::sort(starts);
  Expected expected;
  int sequence = 0;
  int previousCell = -1;
  for (const auto& [cell, direction] : starts) {
    if (cell != previousCell) ++sequence;
    previousCell = cell;
    auto& list = direction == Across ? expected.across : expected.down;
    std::string label = std::to_string(sequence);
    if (numbering == Numbering::Magazine) {
      label = direction == Across ? expectedKana(static_cast<int>(list.size()))
                                  : std::to_string(list.size() + 1);
    }
    list.emplace_back(cell, label);
  }
  return expected;
}

void expectSameNumbering(const PuzzleGrid& grid, const std::string& name) {
  for (const Numbering numbering : {Numbering::Magazine, Numbering::Sequence}) {
    const WordNumbers words = numberWords(grid, numbering);
    const Expected expected = independentNumbering(grid, numbering);
    const auto shown = [](const std::vector<NumberedWord>& list) {
      std::vector<std::pair<int, std::string>> out;
      for (const NumberedWord& word : list) out.emplace_back(word.key.cell, word.label);
      return out;
    };
    EXPECT_EQ(shown(words.across), expected.across) << name;
    EXPECT_EQ(shown(words.down), expected.down) << name;
  }
}

TEST(Clues, NumberingAgreesWithTheSlotsOnTheSamplesAndRandomGrids) {
  const char* root = std::getenv("VEXILO_SOURCE_DIR");
  for (const char* sample : {"sample-5x5.crs", "sample-9x9.crs", "sample-13x13.crs"}) {
    PuzzleGrid grid;
    ASSERT_TRUE(loadCrosswordFile(std::string(root ? root : "../..") + "/data/" + sample, grid));
    expectSameNumbering(grid, sample);
  }
  std::mt19937 random(21);
  for (int round = 0; round < 200; ++round) {
    PuzzleGrid grid;
    const int percentOpen = 40 + round % 60;
    for (int i = 0; i < CellCount; ++i) {
      if (static_cast<int>(random() % 100) < percentOpen) grid.makeOpen(i);
    }
    expectSameNumbering(grid, "random grid " + std::to_string(round));
  }
}

TEST(Clues, LabelsInBothSchemes) {
  const PuzzleGrid grid = gridFromPicture({
      "...#",
      ".#..",
      "....",
  });
  const WordNumbers magazine = numberWords(grid, Numbering::Magazine);
  EXPECT_EQ(magazine.cellLabel(0, Numbering::Magazine), "1" + sj("ア"));
  EXPECT_EQ(magazine.cellLabel(2, Numbering::Magazine), "2");
  EXPECT_EQ(magazine.cellLabel(GridSize + 2, Numbering::Magazine), sj("イ"));
  EXPECT_EQ(magazine.cellLabel(GridSize + 3, Numbering::Magazine), "3");
  EXPECT_EQ(magazine.cellLabel(2 * GridSize, Numbering::Magazine), sj("ウ"));
  EXPECT_EQ(magazine.cellLabel(1, Numbering::Magazine), "");
  const WordNumbers sequence = numberWords(grid, Numbering::Sequence);
  EXPECT_EQ(sequence.cellLabel(0, Numbering::Sequence), "1");
  EXPECT_EQ(sequence.cellLabel(GridSize + 2, Numbering::Sequence), "3");
  EXPECT_EQ(sequence.cellLabel(GridSize + 3, Numbering::Sequence), "4");
  EXPECT_EQ(sequence.find({2 * GridSize, Across})->label, "5");
  EXPECT_EQ(sequence.find({2 * GridSize, Across})->length, 4);

  EXPECT_EQ(kanaLabel(45), sj("ン"));
  EXPECT_EQ(kanaLabel(46), sj("アア"));
  EXPECT_EQ(kanaLabel(47), sj("アイ"));
  EXPECT_EQ(kanaLabel(46 + 46 * 46), sj("アアア"));
  for (int i = 0; i < 46 + 46 * 46 + 100; ++i) ASSERT_EQ(kanaLabel(i), expectedKana(i)) << i;
}

TEST(Clues, StayWithTheirWordAndAreKeptAsideWhenItGoes) {
  PuzzleGrid grid = gridFromPicture({
      "....",
      "....",
  });
  PuzzleClues clues;
  clues.setText({1, Down}, sj("二つ目"));
  clues.setText({GridSize, Across}, sj("下の段"));
  clues.setText({0, Across}, "");  // an empty clue is none
  EXPECT_EQ(clues.texts.size(), 2u);

  grid.makeBlock(0);  // labels move on; the clue of the word from cell 1 stays with it
  WordNumbers words = numberWords(grid, Numbering::Magazine);
  EXPECT_EQ(words.find({1, Down})->label, "1");
  EXPECT_TRUE(setAsideClues(clues, words).empty());

  grid.makeBlock(GridSize + 1);
  words = numberWords(grid, Numbering::Magazine);
  EXPECT_EQ(setAsideClues(clues, words), (std::vector<ClueKey>{{1, Down}, {GridSize, Across}}));
  EXPECT_EQ(clues.textOf({1, Down}), sj("二つ目"));  // kept, not dropped

  grid.makeOpen(GridSize + 1);  // the word is back, and so is its clue
  EXPECT_TRUE(setAsideClues(clues, numberWords(grid, Numbering::Magazine)).empty());
}

TEST(Clues, KeywordIsReadFromTheGroupsInOrder) {
  PuzzleGrid grid = gridFromPicture({"カ.ア."});
  grid.cellAt(0).mark = 1;
  grid.cellAt(1).mark = 1;
  grid.cellAt(2).mark = 0;
  grid.cellAt(3).mark = 3;
  EXPECT_EQ(keywordLetters(grid), (std::vector<std::string>{sj("ア"), sj("カ"), "", ""}));
}

}  // namespace
}  // namespace vexilo
