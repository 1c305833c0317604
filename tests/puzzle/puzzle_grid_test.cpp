#include "puzzle/puzzle_grid.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/grid_picture.h"
#include "support/sjis.h"

namespace vexilo {
namespace {

struct RecordingListener : CellListener {
  std::vector<int> changed;
  void cellChanged(int index) override { changed.push_back(index); }
};

std::vector<int> marksOf(const PuzzleGrid& grid, std::initializer_list<int> cells) {
  std::vector<int> marks;
  for (int cell : cells) marks.push_back(grid.cellAt(cell).mark);
  return marks;
}

TEST(PuzzleGrid, IndexesRunRowByRow) {
  EXPECT_EQ(PuzzleGrid::indexOf(0, 0), 0);
  EXPECT_EQ(PuzzleGrid::indexOf(16, 16), 528);
  EXPECT_EQ(PuzzleGrid::indexOf(31, 31), 1023);
  EXPECT_EQ(PuzzleGrid::rowOf(33), 1);
  EXPECT_EQ(PuzzleGrid::columnOf(33), 1);
}

TEST(PuzzleGrid, StartsBlockedWithoutMarks) {
  PuzzleGrid grid;
  for (int i = 0; i < CellCount; ++i) {
    ASSERT_EQ(grid.cellAt(i).flag, Block);
    ASSERT_EQ(grid.cellAt(i).mark, -1);
    ASSERT_TRUE(grid.cellAt(i).str.empty());
  }
  EXPECT_EQ(grid.nextMark(), 0);
}

TEST(PuzzleGrid, MakeOpenAndMakeBlockKeepTheLetter) {
  PuzzleGrid grid;
  grid.cellAt(5).str = test::sj("ア");
  grid.cellAt(5).flag = Fixed;
  grid.makeOpen(5);
  EXPECT_EQ(grid.cellAt(5).flag, Open);
  EXPECT_EQ(grid.cellAt(5).str, test::sj("ア"));

  grid.cellAt(6).flag = Star;
  grid.makeOpen(6);
  EXPECT_EQ(grid.cellAt(6).flag, Open);

  grid.linkCells(5, 6);
  grid.makeBlock(5);
  EXPECT_EQ(grid.cellAt(5).flag, Block);
  EXPECT_EQ(grid.cellAt(5).mark, -1);
  EXPECT_EQ(grid.cellAt(5).str, test::sj("ア"));
  EXPECT_EQ(grid.cellAt(6).mark, 0);  // the other member keeps the number
}

TEST(PuzzleGrid, LinkingUnmarkedCellsGivesTheNextNumber) {
  PuzzleGrid grid;
  grid.makeOpen(0);
  grid.linkCells(0, 1);
  EXPECT_EQ(grid.cellAt(1).flag, Open);  // a blocked target opens
  EXPECT_EQ(marksOf(grid, {0, 1}), (std::vector<int>{0, 0}));
  grid.makeOpen(2);
  grid.linkCells(2, 3);
  EXPECT_EQ(marksOf(grid, {2, 3}), (std::vector<int>{1, 1}));
  EXPECT_EQ(grid.nextMark(), 2);

  // Unmarked source onto a group: the source joins it, no number is used.
  grid.makeOpen(4);
  grid.linkCells(4, 1);
  EXPECT_EQ(grid.cellAt(4).mark, 0);
  EXPECT_EQ(grid.nextMark(), 2);

  // Cells already sharing a number: nothing changes but a blocked target opens.
  grid.cellAt(1).flag = Block;
  grid.linkCells(0, 1);
  EXPECT_EQ(grid.cellAt(1).flag, Open);
  EXPECT_EQ(marksOf(grid, {0, 1, 4}), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(grid.nextMark(), 2);

  // A Fixed target keeps its flag.
  grid.cellAt(9).flag = Fixed;
  grid.makeOpen(8);
  grid.linkCells(8, 9);
  EXPECT_EQ(grid.cellAt(9).flag, Fixed);

  // After the highest mark a file can hold, no new group is numbered.
  grid.cellAt(20).mark = 1023;
  grid.noteMark(1023);
  grid.makeOpen(21);
  grid.linkCells(21, 22);
  EXPECT_EQ(marksOf(grid, {21, 22}), (std::vector<int>{-1, -1}));
  EXPECT_EQ(grid.cellAt(22).flag, Open);
  grid.linkCells(21, 20);
  EXPECT_EQ(grid.cellAt(21).mark, 1023);
}

TEST(PuzzleGrid, LinkingOntoTheOnlyCellOfALowerGroupRenumbers) {
  PuzzleGrid grid;
  RecordingListener listener;
  grid.setListener(&listener);
  // Groups 0, 1, 2 of one cell each at cells 10, 11, 12; group 3 of two cells 13, 14.
  for (int cell : {10, 11, 12}) {
    grid.makeOpen(cell);
    grid.cellAt(cell).mark = cell - 10;
  }
  grid.makeOpen(13);
  grid.makeOpen(14);
  grid.cellAt(13).mark = 3;
  grid.cellAt(14).mark = 3;
  grid.setNextMark(4);

  grid.linkCells(13, 11);  // group 1 disappears, 2 and 3 close up
  EXPECT_EQ(marksOf(grid, {10, 11, 12, 13, 14}), (std::vector<int>{0, 2, 1, 2, 2}));
  EXPECT_EQ(grid.nextMark(), 3);
  EXPECT_EQ(listener.changed, (std::vector<int>{12, 13, 14}));
}

TEST(PuzzleGrid, ReleaseMarkRenumbersOnlyWhenTheGroupDisappears) {
  {  // The example of three groups of one cell: releasing group 1.
    PuzzleGrid grid;
    for (int m = 0; m < 3; ++m) {
      grid.makeOpen(m);
      grid.cellAt(m).mark = m;
    }
    grid.setNextMark(3);
    grid.releaseMark(1);
    EXPECT_EQ(marksOf(grid, {0, 1, 2}), (std::vector<int>{0, -1, 1}));
    EXPECT_EQ(grid.nextMark(), 2);
  }
  {  // Releasing the only cell of the highest group: nothing renumbers, nextMark falls.
    PuzzleGrid grid;
    RecordingListener listener;
    grid.setListener(&listener);
    for (int m = 0; m < 3; ++m) {
      grid.makeOpen(m);
      grid.cellAt(m).mark = m;
    }
    grid.setNextMark(3);
    grid.makeBlock(2);
    EXPECT_EQ(marksOf(grid, {0, 1, 2}), (std::vector<int>{0, 1, -1}));
    EXPECT_EQ(grid.nextMark(), 2);
    EXPECT_TRUE(listener.changed.empty());
  }
  {  // One of two cells sharing a number: the other keeps it.
    PuzzleGrid grid;
    grid.makeOpen(0);
    grid.linkCells(0, 1);
    grid.makeOpen(2);
    grid.linkCells(2, 3);
    grid.makeBlock(0);
    EXPECT_EQ(marksOf(grid, {0, 1, 2, 3}), (std::vector<int>{-1, 0, 1, 1}));
    EXPECT_EQ(grid.nextMark(), 2);
  }
  {  // A blocked cell is not counted; its release renumbers when one open cell carries it.
    PuzzleGrid grid;
    grid.cellAt(0).mark = 0;  // blocked, from stored data
    grid.makeOpen(1);
    grid.cellAt(1).mark = 0;
    grid.cellAt(2).mark = 1;  // blocked cells are lowered too
    grid.setNextMark(2);
    grid.releaseMark(0);
    EXPECT_EQ(marksOf(grid, {0, 1, 2}), (std::vector<int>{-1, 0, 0}));
    EXPECT_EQ(grid.nextMark(), 1);
  }
  {  // A blocked cell whose group has no open member: count 0, no renumbering.
    PuzzleGrid grid;
    grid.cellAt(0).mark = 0;
    grid.cellAt(1).mark = 1;
    grid.setNextMark(2);
    grid.releaseMark(0);
    EXPECT_EQ(marksOf(grid, {0, 1}), (std::vector<int>{-1, 1}));
    EXPECT_EQ(grid.nextMark(), 2);
  }
  {  // Marks with gaps from storage: nextMark follows the highest lowered mark.
    PuzzleGrid grid;
    grid.makeOpen(0);
    grid.cellAt(0).mark = 2;
    grid.makeOpen(1);
    grid.cellAt(1).mark = 7;
    grid.setNextMark(8);
    grid.releaseMark(0);
    EXPECT_EQ(grid.cellAt(1).mark, 6);
    EXPECT_EQ(grid.nextMark(), 7);
  }
}

TEST(PuzzleGrid, NoteMarkAndClearGrid) {
  PuzzleGrid grid;
  grid.noteMark(-1);
  EXPECT_EQ(grid.nextMark(), 0);
  grid.noteMark(0);
  grid.noteMark(5);
  grid.noteMark(3);
  EXPECT_EQ(grid.nextMark(), 6);

  grid = test::gridFromPicture({"ア.*"});
  grid.cellAt(1).mark = 4;
  grid.clearGrid();
  EXPECT_EQ(test::pictureOf(grid, 1, 3), (std::vector<std::string>{"###"}));
  EXPECT_EQ(grid.cellAt(1).mark, -1);
  EXPECT_EQ(grid.nextMark(), 0);
}

TEST(PuzzleGrid, TypedTextFillsOneCellPerLetterFromTheStart) {
  PuzzleGrid grid;
  grid.cellAt(1).mark = 3;
  grid.cellAt(2).str = test::sj("カ");  // a result letter a star cell drops
  EXPECT_EQ(grid.typeText(0, test::sj("ア・＊イ"), Across), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(test::pictureOf(grid, 1, 5), (std::vector<std::string>{"ア.*イ#"}));
  EXPECT_EQ(grid.cellAt(1).mark, 3);  // marks stay

  PuzzleGrid down;
  EXPECT_EQ(down.typeText(1, test::sj("ウ・"), Down), (std::vector<int>{1, 33}));
  EXPECT_EQ(test::pictureOf(down, 3, 2), (std::vector<std::string>{"#ウ", "#.", "##"}));

  // A space is two one-byte spaces, a letter like any other; a last odd byte is dropped.
  PuzzleGrid spaces;
  EXPECT_EQ(spaces.typeText(0, "  \x82", Across), (std::vector<int>{0}));
  EXPECT_EQ(spaces.cellAt(0).flag, Fixed);
  EXPECT_EQ(spaces.cellAt(0).str, "  ");
  EXPECT_TRUE(spaces.typeText(5, "", Down).empty());
}

TEST(PuzzleGrid, TypedTextStopsAtTheEdgeOfTheGrid) {
  PuzzleGrid grid;
  EXPECT_EQ(grid.typeText(PuzzleGrid::indexOf(0, 30), test::sj("アイウエ"), Across),
            (std::vector<int>{30, 31}));  // never on into the next row
  EXPECT_EQ(grid.cellAt(32).flag, Block);
  EXPECT_EQ(grid.typeText(PuzzleGrid::indexOf(30, 3), test::sj("アイウエ"), Down),
            (std::vector<int>{963, 995}));
}

}  // namespace
}  // namespace vexilo
