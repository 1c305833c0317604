#include "search/word_slot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/grid_picture.h"
#include "support/sjis.h"

namespace vexilo {
namespace {

// "A0.0x3": across at row 0, column 0, three cells; "D" for down.
std::string nameOf(const WordSlot& s) {
  return (s.direction == Across ? "A" : "D") + std::to_string(s.row) + "." +
         std::to_string(s.column) + "x" + std::to_string(s.length);
}

std::vector<std::string> tableOrder(const SlotTable& table) {
  std::vector<std::string> names;
  for (int i = 0; i < table.slotCount; ++i) names.push_back(nameOf(table.slots[i]));
  return names;
}

// The group of the root as a chain; an empty result when some slot has a sibling.
std::vector<std::string> chainFrom(const SlotTable& table, int root) {
  std::vector<std::string> names;
  for (int s = root; s != -1; s = table.slots[s].firstChild) {
    if (table.slots[s].nextSibling != -1) return {};
    names.push_back(nameOf(table.slots[s]));
  }
  return names;
}

SlotTable extracted(const PuzzleGrid& grid) {
  SlotTable table;
  extractSlots(grid, table);
  return table;
}

WordSlot slotAt(int row, int column, int length, SlotDirection direction) {
  WordSlot slot;
  slot.row = row;
  slot.column = column;
  slot.length = length;
  slot.direction = direction;
  return slot;
}

const std::vector<std::string> Ring = {"...", ".#.", "..."};

TEST(WordSlots, OpenGridIsOneChainOfAllSixtyFourSlots) {
  PuzzleGrid grid;
  for (int i = 0; i < CellCount; ++i) grid.makeOpen(i);
  const SlotTable table = extracted(grid);
  ASSERT_EQ(table.slotCount, 64);
  EXPECT_EQ(nameOf(table.slots[31]), "A31.0x32");
  EXPECT_EQ(nameOf(table.slots[32]), "D0.0x32");
  const std::vector<std::string> chain = chainFrom(table, 0);
  ASSERT_EQ(chain.size(), 64u);
  EXPECT_EQ(std::vector<std::string>(chain.begin(), chain.begin() + 4),
            (std::vector<std::string>{"A0.0x32", "D0.0x32", "A1.0x32", "D0.1x32"}));
  EXPECT_EQ(chain.back(), "D0.31x32");
  EXPECT_EQ(table.slots[0].groupState, Visited | GroupRoot);
  EXPECT_EQ(table.slots[63].groupState, Visited);
}

TEST(WordSlots, RingOrderAndChainFollowTheExchangeSort) {
  const SlotTable plain = extracted(test::gridFromPicture(Ring));
  EXPECT_EQ(tableOrder(plain),
            (std::vector<std::string>{"A0.0x3", "A2.0x3", "D0.0x3", "D0.2x3"}));
  EXPECT_EQ(chainFrom(plain, 0),
            (std::vector<std::string>{"A0.0x3", "D0.0x3", "A2.0x3", "D0.2x3"}));

  const SlotTable fixed = extracted(test::gridFromPicture({"...", ".#.", "..ア"}));
  EXPECT_EQ(tableOrder(fixed),
            (std::vector<std::string>{"A2.0x3", "D0.2x3", "D0.0x3", "A0.0x3"}));
  EXPECT_EQ(chainFrom(fixed, 0),
            (std::vector<std::string>{"A2.0x3", "D0.2x3", "A0.0x3", "D0.0x3"}));
  EXPECT_EQ(fixed.slots[0].constrained + fixed.slots[1].constrained +
                fixed.slots[2].constrained + fixed.slots[3].constrained,
            2);
}

TEST(WordSlots, RunsNeedTwoCellsAndEndAtTheEdge) {
  PuzzleGrid grid = test::gridFromPicture({".#..#"});
  test::drawPicture(grid, {"..", "#.", "#."}, 29, 30);
  EXPECT_EQ(tableOrder(extracted(grid)),
            (std::vector<std::string>{"D29.31x3", "A29.30x2", "A0.2x2"}));
}

TEST(WordSlots, ConstrainedSlotsComeFirstWhateverTheirLength) {
  PuzzleGrid grid = test::gridFromPicture({"..........", "##########", "*.", "##", ".."});
  grid.cellAt(PuzzleGrid::indexOf(4, 1)).str = test::sj("ア");  // left in an Open cell
  EXPECT_EQ(tableOrder(extracted(grid)),
            (std::vector<std::string>{"A2.0x2", "A4.0x2", "A0.0x10"}));
}

TEST(WordSlots, SharedMarksJoinParallelSlots) {
  PuzzleGrid grid = test::gridFromPicture({"...", "###", "...", "###", "..."});
  EXPECT_EQ(extracted(grid).slots[1].groupState, Visited | GroupRoot);

  grid.linkCells(PuzzleGrid::indexOf(0, 2), PuzzleGrid::indexOf(4, 0));
  const SlotTable table = extracted(grid);
  EXPECT_TRUE(slotsShareMark(grid, table.slots[0], table.slots[2]));
  EXPECT_FALSE(slotsCross(table.slots[0], table.slots[2]));
  EXPECT_EQ(chainFrom(table, 0), (std::vector<std::string>{"A0.0x3", "A4.0x3"}));
  EXPECT_EQ(table.slots[1].groupState, Visited | GroupRoot);
}

// Every relation inside a group joins an ancestor and a descendant, and groups never touch.
void expectTreesHoldEveryRelation(const PuzzleGrid& grid, const SlotTable& table) {
  std::vector<int> parent(table.slotCount, -1);
  for (int s = 0; s < table.slotCount; ++s) {
    for (int c = table.slots[s].firstChild; c != -1; c = table.slots[c].nextSibling) {
      ASSERT_LT(c, table.slotCount);
      ASSERT_EQ(parent[c], -1);
      parent[c] = s;
    }
  }
  auto isAncestor = [&](int a, int d) {
    for (int s = parent[d]; s != -1; s = parent[s]) {
      if (s == a) return true;
    }
    return false;
  };
  for (int a = 0; a < table.slotCount; ++a) {
    for (int b = a + 1; b < table.slotCount; ++b) {
      const WordSlot& x = table.slots[a];
      const WordSlot& y = table.slots[b];
      if (!slotsCross(x, y) && !slotsShareMark(grid, x, y)) continue;
      ASSERT_TRUE(isAncestor(a, b) || isAncestor(b, a)) << a << " " << b;
    }
  }
  for (int s = 0; s < table.slotCount; ++s) {
    EXPECT_EQ(table.slots[s].groupState, parent[s] == -1 ? Visited | GroupRoot : Visited);
  }
}

TEST(WordSlots, LargeGridsGrowTheTable) {
  PuzzleGrid diagonals;
  for (int i = 0; i < CellCount; ++i) {
    if ((PuzzleGrid::rowOf(i) + PuzzleGrid::columnOf(i)) % 3 != 0) diagonals.makeOpen(i);
  }
  diagonals.linkCells(PuzzleGrid::indexOf(0, 1), PuzzleGrid::indexOf(31, 31));
  const SlotTable many = extracted(diagonals);
  EXPECT_EQ(many.slotCount, 662);
  EXPECT_EQ(many.slots.size(), 662u);
  expectTreesHoldEveryRelation(diagonals, many);

  PuzzleGrid lattice;
  for (int i = 0; i < CellCount; ++i) {
    if (PuzzleGrid::rowOf(i) % 3 != 2 && PuzzleGrid::columnOf(i) % 3 != 2) lattice.makeOpen(i);
  }
  const SlotTable table = extracted(lattice);
  EXPECT_EQ(table.slotCount, 484);
  expectTreesHoldEveryRelation(lattice, table);
}

TEST(WordSlots, PositionsAndCells) {
  const WordSlot down = slotAt(4, 3, 5, Down);
  EXPECT_EQ(slotCell(down, 2), PuzzleGrid::indexOf(6, 3));
  EXPECT_EQ(positionInSlot(down, PuzzleGrid::indexOf(8, 3)), 4);
  EXPECT_EQ(positionInSlot(down, PuzzleGrid::indexOf(9, 3)), -1);
  EXPECT_EQ(positionInSlot(down, PuzzleGrid::indexOf(5, 4)), -1);
  const WordSlot across = slotAt(6, 2, 2, Across);
  EXPECT_TRUE(slotsCross(down, across) && slotsCross(across, down));
  const WordSlot clear = slotAt(9, 4, 3, Across);
  EXPECT_FALSE(slotsCross(down, clear) || slotsCross(clear, down));
}

}  // namespace
}  // namespace vexilo
