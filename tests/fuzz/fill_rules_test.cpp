#include "fuzz/fill_rules.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "fuzz/targets.h"
#include "support/grid_picture.h"
#include "support/sjis.h"

namespace vexilo::fuzz {
namespace {

using test::sj;

// A 2 by 2 square with its four slots filled: アイ / ウエ across, アウ / イエ down.
struct Square {
  Square() : before(test::gridFromPicture({"..", ".."})) {
    extractSlots(before, table);
    after = before;
    for (const char* word : {"アイ", "ウエ", "アウ", "イエ", "オカ"}) words[2].insert(sj(word));
    fill(0, 0, Across, "アイ");
    fill(1, 0, Across, "ウエ");
    fill(0, 0, Down, "アウ");
    fill(0, 1, Down, "イエ");
  }

  WordSlot& slotAt(int row, int column, int direction) {
    for (WordSlot& s : table.slots) {
      if (s.row == row && s.column == column && s.direction == direction) return s;
    }
    throw std::logic_error("no such slot");
  }
  // Lists the word first and writes it into the cells.
  void fill(int row, int column, int direction, const char* word) {
    WordSlot& s = slotAt(row, column, direction);
    s.candidates.insert(s.candidates.begin(), sj(word));
    for (int p = 0; p < 2; ++p) after.cellAt(slotCell(s, p)).str = sj(word).substr(2 * p, 2);
  }
  // The rule the check names, or "" when the fill passes.
  std::string broken() {
    try {
      checkDictionaryOrderFill(before, after, table, words);
    } catch (const PropertyViolation& violation) {
      return violation.what();
    }
    return "";
  }

  PuzzleGrid before;
  PuzzleGrid after;
  SlotTable table;
  WordSets words;
};

TEST(FillRules, PassesAFillThatKeepsEveryRule) {
  Square square;
  EXPECT_EQ(square.broken(), "");
  square.slotAt(0, 0, Across).candidates.push_back(sj("オカ"));  // a further listed word
  EXPECT_EQ(square.broken(), "");
}

TEST(FillRules, NamesTheRuleAFillBreaks) {
  {
    Square square;
    square.after.cellAt(33).str = sj("オ");
    EXPECT_EQ(square.broken(), "a filled slot does not show its first word");
  }
  {
    Square square;
    square.slotAt(1, 0, Across).candidates.push_back(sj("ウ"));
    EXPECT_EQ(square.broken(), "a listed word has not the slot's length");
  }
  {
    Square square;
    square.words[2].erase(sj("ウエ"));
    EXPECT_EQ(square.broken(), "a listed word is not in the dictionary");
  }
  {
    Square square;
    square.fill(0, 0, Down, "アイ");
    square.fill(0, 1, Down, "イイ");
    square.fill(1, 0, Across, "イイ");
    square.words[2].insert(sj("イイ"));
    EXPECT_EQ(square.broken(), "one word fills two slots of one length");
  }
  {
    Square square;
    square.slotAt(1, 0, Across).candidates.clear();
    square.slotAt(0, 1, Down).candidates.clear();
    EXPECT_EQ(square.broken(), "a letter stands outside every filled slot");  // エ
  }
  {
    Square square;
    square.table.slots[0].length = 3;
    EXPECT_EQ(square.broken(), "the slots are not the grid's runs");
  }
  {
    Square square;
    square.after.cellAt(0).mark = 4;
    EXPECT_EQ(square.broken(), "the search changed a flag or a mark");
  }
}

TEST(FillRules, StarCellsAndGroupsAgree) {
  {
    Square square;
    square.before.cellAt(0).flag = Star;
    square.before.cellAt(1).flag = Star;
    square.after.cellAt(0).flag = Star;
    square.after.cellAt(1).flag = Star;
    EXPECT_EQ(square.broken(), "the star cells of a word hold different letters");
  }
  {
    Square square;
    for (PuzzleGrid* grid : {&square.before, &square.after}) {
      grid->cellAt(0).mark = 0;
      grid->cellAt(33).mark = 0;
    }
    EXPECT_EQ(square.broken(), "two cells of one numbered group hold different letters");
  }
  {
    Square square;
    square.before.cellAt(0) = NodeBox{sj("ア"), Fixed, -1};
    square.after.cellAt(0) = NodeBox{sj("オ"), Fixed, -1};
    square.slotAt(0, 0, Across).candidates.clear();
    square.slotAt(0, 0, Down).candidates.clear();
    EXPECT_EQ(square.broken(), "the search changed a given letter");
  }
}

}  // namespace
}  // namespace vexilo::fuzz
