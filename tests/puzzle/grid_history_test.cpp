#include "puzzle/grid_history.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/grid_picture.h"

namespace vexilo {
namespace {

using test::pictureOf;

TEST(GridHistory, ANewChangeDropsWhatCouldBeRedone) {
  PuzzleGrid grid;
  GridHistory history;
  history.reset(grid);
  EXPECT_FALSE(history.record(grid, {}));  // nothing changed, no step

  grid.makeOpen(0);
  history.record(grid, {});
  grid.linkCells(0, 1);
  history.record(grid, {3, 4});
  ViewOffsets view;
  ASSERT_TRUE(history.undo(grid, view));
  EXPECT_EQ(pictureOf(grid, 1, 2), (std::vector<std::string>{".#"}));
  EXPECT_EQ(view, (ViewOffsets{3, 4}));
  EXPECT_EQ(grid.nextMark(), 0);

  grid.makeOpen(5);  // not yet recorded: undo takes it back first, and redo is gone
  ASSERT_FALSE(history.redo(grid, view));
  ASSERT_TRUE(history.undo(grid, view));
  EXPECT_EQ(pictureOf(grid, 1, 6), (std::vector<std::string>{".#####"}));
  ASSERT_TRUE(history.undo(grid, view));
  EXPECT_EQ(pictureOf(grid, 1, 6), (std::vector<std::string>{"######"}));
  EXPECT_FALSE(history.canUndo());

  grid.cellAt(7) = {std::string(511, 'x'), Fixed, 1023};  // as a hand-edited file may hold
  history.record(grid, {});
  ASSERT_TRUE(history.undo(grid, view));
  EXPECT_EQ(grid.cellAt(7).str, "");
  EXPECT_EQ(grid.cellAt(7).mark, -1);
  ASSERT_TRUE(history.redo(grid, view));
  EXPECT_EQ(grid.cellAt(7).str, std::string(511, 'x'));
  EXPECT_EQ(grid.cellAt(7).mark, 1023);
}

// What tells the window whether the grid differs from the one last saved.
TEST(GridHistory, PositionComesBackWithUndoAndNeverWithANewStep) {
  PuzzleGrid grid;
  GridHistory history(6000);  // a few steps that each rewrite 64 cells
  history.reset(grid);
  const std::uint64_t start = history.position();
  grid.makeOpen(0);
  history.record(grid, {});
  const std::uint64_t opened = history.position();
  EXPECT_NE(opened, start);
  ViewOffsets view;
  history.undo(grid, view);
  EXPECT_EQ(history.position(), start);
  history.redo(grid, view);
  EXPECT_EQ(history.position(), opened);

  history.undo(grid, view);
  grid.makeOpen(1);  // as many steps to undo as at "opened", but another grid
  history.record(grid, {});
  EXPECT_NE(history.position(), opened);
  EXPECT_NE(history.position(), start);

  for (int step = 0; step < 20; ++step) {  // the oldest steps go
    for (int i = 0; i < 64; ++i) grid.cellAt(i).str = std::string(2, char('a' + step % 26));
    history.record(grid, {});
  }
  const std::uint64_t last = history.position();
  while (history.undo(grid, view)) EXPECT_NE(history.position(), last);
  EXPECT_NE(history.position(), start);
  while (history.redo(grid, view)) {
  }
  EXPECT_EQ(history.position(), last);
  history.reset(grid);
  EXPECT_NE(history.position(), start);
}

TEST(GridHistory, HoldsAThousandStepsThatEachRewriteTheWholeGrid) {
  PuzzleGrid grid;
  GridHistory history;
  history.reset(grid);
  for (int step = 0; step < 1000; ++step) {
    for (int i = 0; i < CellCount; ++i) {
      grid.cellAt(i) = {std::string(2, char('a' + step % 2)), Fixed, step % 2 == 0 ? i : -1};
    }
    history.record(grid, {});
  }
  EXPECT_EQ(history.stepCount(), 1000u);
  EXPECT_LE(history.byteSize(), GridHistory::DefaultByteBudget);
}

TEST(GridHistory, OldestStepsGoPastTheByteBudget) {
  PuzzleGrid grid;
  GridHistory history(20000);
  history.reset(grid);
  for (int step = 0; step < 100; ++step) {
    for (int i = 0; i < 64; ++i) grid.cellAt(i).str = std::string(2, char('a' + step % 26));
    history.record(grid, {});
  }
  EXPECT_LE(history.byteSize(), 20000u);
  const std::size_t kept = history.stepCount();
  EXPECT_GT(kept, 5u);
  EXPECT_LT(kept, 100u);
  ViewOffsets view;
  for (std::size_t k = 0; k < kept; ++k) ASSERT_TRUE(history.undo(grid, view));
  EXPECT_FALSE(history.undo(grid, view));
  EXPECT_EQ(grid.cellAt(63).str, std::string(2, char('a' + (100 - kept - 1) % 26)));
}

TEST(GridHistory, ClueEditsAndPropertiesAreStepsOfTheirOwn) {
  PuzzleGrid grid;
  PuzzleClues clues;
  GridHistory history;
  history.reset(grid, clues);
  clues.setText({0, Across}, "first");
  ASSERT_TRUE(history.record(grid, clues, {}));
  clues.setText({0, Across}, "second");
  clues.setText({5, Down}, "other");
  clues.properties.title = "title";
  ASSERT_TRUE(history.record(grid, clues, {}));
  EXPECT_FALSE(history.record(grid, clues, {}));

  ViewOffsets view;
  ASSERT_TRUE(history.undo(grid, clues, view));
  PuzzleClues expected;
  expected.setText({0, Across}, "first");
  EXPECT_EQ(clues, expected);
  ASSERT_TRUE(history.undo(grid, clues, view));
  EXPECT_EQ(clues, PuzzleClues{});
  ASSERT_TRUE(history.redo(grid, clues, view));
  ASSERT_TRUE(history.redo(grid, clues, view));
  EXPECT_EQ(clues.textOf({0, Across}), "second");
  EXPECT_EQ(clues.textOf({5, Down}), "other");
  EXPECT_EQ(clues.properties.title, "title");

  // A step that changes one clue of 400 keeps that clue only.
  for (int i = 0; i < 400; ++i) clues.setText({i, Across}, std::string(60, 'x'));
  history.record(grid, clues, {});
  const std::size_t before = history.byteSize();
  clues.setText({7, Across}, "short");
  history.record(grid, clues, {});
  EXPECT_LT(history.byteSize() - before, 400u);  // not the 24,000 bytes of every clue
}

// Banning is undone like an edit, yet leaves the puzzle what it was: the window tells no
// unsaved change for it.
TEST(GridHistory, BannedWordsAreStepsThatLeaveThePuzzleAsItWas) {
  PuzzleGrid grid;
  PuzzleClues clues;
  GridHistory::WordList banned{"a"};
  GridHistory history;
  history.reset(grid, clues, banned);
  const std::uint64_t start = history.position();
  banned.push_back("b");
  ASSERT_TRUE(history.record(grid, clues, banned, {}));
  EXPECT_FALSE(history.record(grid, clues, banned, {}));
  EXPECT_TRUE(history.samePuzzleAs(start));
  grid.makeOpen(0);
  history.record(grid, clues, banned, {});
  const std::uint64_t opened = history.position();
  EXPECT_FALSE(history.samePuzzleAs(start));
  banned = {"b"};
  history.record(grid, clues, banned, {});
  EXPECT_TRUE(history.samePuzzleAs(opened));
  EXPECT_FALSE(history.samePuzzleAs(start));

  ViewOffsets view;
  ASSERT_TRUE(history.undo(grid, clues, banned, view));
  EXPECT_EQ(banned, (GridHistory::WordList{"a", "b"}));
  ASSERT_TRUE(history.undo(grid, clues, banned, view));  // the open cell; the bans stay
  EXPECT_EQ(banned, (GridHistory::WordList{"a", "b"}));
  EXPECT_EQ(grid.cellAt(0).flag, Block);
  ASSERT_TRUE(history.undo(grid, clues, banned, view));
  EXPECT_EQ(banned, GridHistory::WordList{"a"});
  EXPECT_TRUE(history.samePuzzleAs(opened) == false && history.samePuzzleAs(start));
  ASSERT_TRUE(history.redo(grid, clues, banned, view));
  ASSERT_TRUE(history.redo(grid, clues, banned, view));
  ASSERT_TRUE(history.redo(grid, clues, banned, view));
  EXPECT_EQ(banned, GridHistory::WordList{"b"});
  history.undo(grid, clues, banned, view);
  banned.push_back("c");  // a new step drops the ban that could be redone
  history.record(grid, clues, banned, {});
  EXPECT_FALSE(history.redo(grid, clues, banned, view));
  EXPECT_FALSE(history.samePuzzleAs(opened + 1000));  // never held
}

}  // namespace
}  // namespace vexilo
