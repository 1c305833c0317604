#include "search/candidate_lock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/grid_picture.h"
#include "support/sjis.h"

namespace vexilo {
namespace {

using test::pictureOf;
using test::sj;
using Picture = std::vector<std::string>;

WordSlot acrossSlot(int row, int column, int length) {
  WordSlot slot;
  slot.row = row;
  slot.column = column;
  slot.length = length;
  return slot;
}

TEST(CandidateLock, FittingWordBecomesGivenLettersOverSearchLetters) {
  PuzzleGrid grid = test::gridFromPicture({"ア..*", "#..#"});
  grid.cellAt(1).str = sj("カ");  // a search's letter, Open: no constraint
  WordSlot down = acrossSlot(0, 1, 2);
  down.direction = Down;

  EXPECT_EQ(lockWord(grid, acrossSlot(0, 0, 4), sj("アイウエ")), LockResult::Locked);
  EXPECT_EQ(pictureOf(grid, 2, 4), (Picture{"アイウエ", "#..#"}));
  EXPECT_EQ(grid.cellAt(1).flag, Fixed);
  EXPECT_EQ(grid.cellAt(3).flag, Fixed);
  EXPECT_EQ(lockWord(grid, down, sj("イキ")), LockResult::Locked);  // crossing a given letter
  EXPECT_EQ(pictureOf(grid, 2, 4), (Picture{"アイウエ", "#キ.#"}));
}

TEST(CandidateLock, WordThatDoesNotFitChangesNothing) {
  PuzzleGrid grid = test::gridFromPicture({"ア...", "#..#", "ネ###"});
  grid.cellAt(2).mark = 0;  // (0, 2) and (2, 0) are one group holding ネ
  grid.cellAt(64).mark = 0;
  grid.cellAt(33).mark = 1;  // (1, 1) and (1, 2) are one group
  grid.cellAt(34).mark = 1;
  const PuzzleGrid before = grid;
  const auto unchanged = [&] {
    for (int i = 0; i < CellCount; ++i) {
      if (grid.cellAt(i).str != before.cellAt(i).str ||
          grid.cellAt(i).flag != before.cellAt(i).flag)
        return false;
    }
    return true;
  };

  const WordSlot top = acrossSlot(0, 0, 4);
  EXPECT_EQ(lockWord(grid, top, sj("アイウ")), LockResult::NotThisLength);
  EXPECT_EQ(lockWord(grid, top, "too Many"), LockResult::NotThisLength);
  EXPECT_EQ(lockWord(grid, top, sj("カイネエ")), LockResult::GivenLetterDiffers);
  EXPECT_EQ(lockWord(grid, top, sj("アイウエ")), LockResult::GroupLetterDiffers);
  EXPECT_EQ(lockWord(grid, acrossSlot(1, 1, 2), sj("キク")), LockResult::GroupLetterDiffers);
  EXPECT_EQ(lockWord(grid, acrossSlot(1, 0, 3), sj("サキキ")), LockResult::SlotChanged);
  EXPECT_TRUE(unchanged());

  EXPECT_EQ(lockWord(grid, top, sj("アイネエ")), LockResult::Locked);
  EXPECT_EQ(lockWord(grid, acrossSlot(1, 1, 2), sj("キキ")), LockResult::Locked);
}

}  // namespace
}  // namespace vexilo
