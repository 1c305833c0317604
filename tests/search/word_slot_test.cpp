#include "search/word_slot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/grid_picture.h"
#include "support/sjis.h"

namespace vexilo {
namespace {

using Names = std::vector<std::string>;

// "A0.0x3": across at row 0, column 0, three cells; "D" for down.
std::string nameOf(const WordSlot& s) {
  return (s.direction == Across ? "A" : "D") + std::to_string(s.row) + "." +
         std::to_string(s.column) + "x" + std::to_string(s.length);
}

SlotTable extracted(const PuzzleGrid& grid) {
  SlotTable table;
  extractSlots(grid, table);
  return table;
}

Names tableOrder(const SlotTable& table) {
  Names names;
  for (int i = 0; i < table.slotCount; ++i) names.push_back(nameOf(table.slots[i]));
  return names;
}

// The group of the root as a chain; empty when some slot has a sibling.
Names chainFrom(const SlotTable& table, int root) {
  Names names;
  for (int s = root; s != -1; s = table.slots[s].firstChild) {
    if (table.slots[s].nextSibling != -1) return {};
    names.push_back(nameOf(table.slots[s]));
  }
  return names;
}

TEST(WordSlots, OpenGridIsOneChainOfAllSixtyFourSlots) {
  PuzzleGrid grid;
  for (int i = 0; i < CellCount; ++i) grid.makeOpen(i);
  const SlotTable table = extracted(grid);
  ASSERT_EQ(table.slotCount, 64);
  EXPECT_EQ(nameOf(table.slots[32]), "D0.0x32");
  const Names chain = chainFrom(table, 0);
  ASSERT_EQ(chain.size(), 64u);
  EXPECT_EQ(Names(chain.begin(), chain.begin() + 4),
            (Names{"A0.0x32", "D0.0x32", "A1.0x32", "D0.1x32"}));
  EXPECT_EQ(chain.back(), "D0.31x32");
}

TEST(WordSlots, RingOrderAndChainFollowTheExchangeSort) {
  const SlotTable plain = extracted(test::gridFromPicture({"...", ".#.", "..."}));
  EXPECT_EQ(tableOrder(plain), (Names{"A0.0x3", "A2.0x3", "D0.0x3", "D0.2x3"}));
  EXPECT_EQ(chainFrom(plain, 0), (Names{"A0.0x3", "D0.0x3", "A2.0x3", "D0.2x3"}));

  const SlotTable fixed = extracted(test::gridFromPicture({"...", ".#.", "..ア"}));
  EXPECT_EQ(tableOrder(fixed), (Names{"A2.0x3", "D0.2x3", "D0.0x3", "A0.0x3"}));
  EXPECT_EQ(chainFrom(fixed, 0), (Names{"A2.0x3", "D0.2x3", "A0.0x3", "D0.0x3"}));
}

TEST(WordSlots, RunsNeedTwoCellsAndConstrainedOnesComeFirst) {
  PuzzleGrid grid = test::gridFromPicture({".#..#", "#", "*.", "#", ".........."});
  test::drawPicture(grid, {"..", "#.", "#."}, 29, 30);            // runs ending at the edges
  grid.cellAt(PuzzleGrid::indexOf(29, 30)).str = test::sj("ア");  // left in an Open cell
  EXPECT_EQ(tableOrder(extracted(grid)),
            (Names{"A2.0x2", "A29.30x2", "A4.0x10", "D29.31x3", "A0.2x2"}));
}

TEST(WordSlots, SharedMarksJoinParallelSlots) {
  PuzzleGrid grid = test::gridFromPicture({"...", "###", "...", "###", "..."});
  EXPECT_EQ(extracted(grid).slots[2].groupState, Visited | GroupRoot);
  grid.linkCells(PuzzleGrid::indexOf(0, 2), PuzzleGrid::indexOf(4, 0));
  const SlotTable table = extracted(grid);
  EXPECT_EQ(chainFrom(table, 0), (Names{"A0.0x3", "A4.0x3"}));
  EXPECT_EQ(table.slots[1].groupState, Visited | GroupRoot);
}

// Every relation joins an ancestor and a descendant; roots and only roots carry GroupRoot.
void expectTreesHoldEveryRelation(const PuzzleGrid& grid, const SlotTable& table) {
  std::vector<int> parent(table.slotCount, -1);
  for (int s = 0; s < table.slotCount; ++s) {
    for (int c = table.slots[s].firstChild; c != -1; c = table.slots[c].nextSibling) {
      ASSERT_EQ(parent[c], -1);
      parent[c] = s;
    }
  }
  auto descends = [&](int d, int a) {
    for (int s = parent[d]; s != -1; s = parent[s]) {
      if (s == a) return true;
    }
    return false;
  };
  for (int a = 0; a < table.slotCount; ++a) {
    EXPECT_EQ(table.slots[a].groupState, parent[a] == -1 ? Visited | GroupRoot : Visited);
    for (int b = a + 1; b < table.slotCount; ++b) {
      const bool related = slotsCross(table.slots[a], table.slots[b]) ||
                           slotsShareMark(grid, table.slots[a], table.slots[b]);
      if (related) {
        ASSERT_TRUE(descends(b, a) || descends(a, b)) << a << " " << b;
      }
    }
  }
}

TEST(WordSlots, LargeGridsGrowTheTable) {
  PuzzleGrid diagonals;
  PuzzleGrid lattice;
  for (int i = 0; i < CellCount; ++i) {
    const int row = PuzzleGrid::rowOf(i);
    const int column = PuzzleGrid::columnOf(i);
    if ((row + column) % 3 != 0) diagonals.makeOpen(i);
    if (row % 3 != 2 && column % 3 != 2) lattice.makeOpen(i);
  }
  diagonals.linkCells(PuzzleGrid::indexOf(0, 1), PuzzleGrid::indexOf(31, 31));
  const SlotTable many = extracted(diagonals);
  EXPECT_EQ(many.slotCount, 662);
  EXPECT_EQ(many.slots.size(), 662u);
  expectTreesHoldEveryRelation(diagonals, many);
  const SlotTable table = extracted(lattice);
  EXPECT_EQ(table.slotCount, 484);
  expectTreesHoldEveryRelation(lattice, table);
}

}  // namespace
}  // namespace vexilo
