#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/main_dialog.h"
#include "support/grid_picture.h"
#include "support/scripted_platform.h"
#include "support/sjis.h"

namespace vexilo {
namespace {

using test::DrawOp;
using test::sj;
using Picture = std::vector<std::string>;

class GridDesigner : public ::testing::Test {
 protected:
  GridDesigner() { dialog->OnInitDialog(); }
  // A grid laid out straight, as the start of the history.
  void start(const Picture& rows) {
    dialog->grid.clearGrid();
    test::drawPicture(dialog->grid, rows);
    dialog->recordStep();
  }
  Picture picture(int rows, int columns) { return test::pictureOf(dialog->grid, rows, columns); }
  Point centre(int row, int column) {
    const Rect r = dialog->cellRect(PuzzleGrid::indexOf(row, column));
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  std::string status() { return platform.statuses.empty() ? "" : platform.statuses.back().text; }
  // The cells over which a paint of the whole grid drew frames of this colour.
  std::vector<int> framedIn(Color colour) {
    std::vector<DrawOp> ops;
    test::RecordingContext dc(ops);
    dialog->OnPaint(dc, dialog->gridFrameRect());
    std::vector<int> cells;
    for (const DrawOp& op : ops) {
      if (op.kind != DrawOp::Frame || !(op.color == colour)) continue;
      for (int i = 0; i < CellCount; ++i) {
        if (dialog->cellRect(i) == op.rect && (cells.empty() || cells.back() != i)) {
          cells.push_back(i);
        }
      }
    }
    return cells;
  }

  test::ScriptedPlatform platform;
  test::MemorySettingsStore settings;
  std::unique_ptr<MainDialog> dialog = std::make_unique<MainDialog>(platform, settings);
};

TEST_F(GridDesigner, NewPuzzleLaysOutTheSizeAskedForInOneStep) {
  start({"ア#.", "..."});
  dialog->grid.linkCells(0, 2);
  dialog->recordStep();
  platform.newPuzzleAnswers = {NewPuzzleData{"1", "5"}, NewPuzzleData{sj("４"), " 3 "}};
  dialog->OnCommand(IdNewPuzzle);
  ASSERT_EQ(platform.newPuzzleOpenedWith.size(), 2u);
  EXPECT_EQ(platform.newPuzzleOpenedWith[0].width, "3");  // the size in use
  EXPECT_EQ(platform.newPuzzleOpenedWith[0].height, "2");
  EXPECT_EQ(platform.newPuzzleOpenedWith[1].width, "1");  // again, as typed
  EXPECT_EQ(platform.messages,
            std::vector<std::string>{"Width and height are whole numbers from 2 to 32"});
  EXPECT_EQ(picture(4, 5), (Picture{"....#", "....#", "....#", "#####"}));
  EXPECT_EQ(dialog->grid.nextMark(), 0);
  EXPECT_EQ(status(), sj("黒マスの規則: 違反なし"));

  dialog->OnCommand(IdUndo);
  EXPECT_EQ(picture(2, 4), (Picture{"ア#.#", "...#"}));
  EXPECT_EQ(dialog->grid.cellAt(2).mark, 0);

  dialog->OnCommand(IdNewPuzzle);  // cancelled: nothing changes
  EXPECT_EQ(picture(2, 4), (Picture{"ア#.#", "...#"}));
}

TEST_F(GridDesigner, SymmetryMirrorsEachWayOfEditingInTheSameStep) {
  enum Way { RightPress, LeftPress, EntryBox, Space };
  struct Case {
    Symmetry symmetry;
    Way way;
    int row, column;
    Picture after;
  };
  const Picture before{".#.#.", ".....", "#...#", ".....", ".#.#."};
  const std::vector<Case> cases = {
      {Symmetry::Point, RightPress, 1, 1, {".#.#.", ".#...", "#...#", "...#.", ".#.#."}},
      {Symmetry::LeftRight, RightPress, 1, 1, {".#.#.", ".#.#.", "#...#", ".....", ".#.#."}},
      {Symmetry::TopBottom, RightPress, 1, 1, {".#.#.", ".#...", "#...#", ".#...", ".#.#."}},
      {Symmetry::None, RightPress, 1, 1, {".#.#.", ".#...", "#...#", ".....", ".#.#."}},
      {Symmetry::Point, LeftPress, 0, 1, {"...#.", ".....", "#...#", ".....", ".#..."}},
      {Symmetry::LeftRight, EntryBox, 2, 0, {".#.#.", ".....", "ア....", ".....", ".#.#."}},
      {Symmetry::TopBottom, Space, 0, 3, {".#...", ".....", "#...#", ".....", ".#..."}},
      {Symmetry::Point, Space, 2, 2, {".#.#.", ".....", "#.#.#", ".....", ".#.#."}},
  };
  for (const Case& c : cases) {
    start(before);
    dialog->ChooseSymmetry(c.symmetry);
    switch (c.way) {
      case RightPress: dialog->OnGridRightPress(centre(c.row, c.column)); break;
      case LeftPress: dialog->OnGridPress(centre(c.row, c.column)); break;
      case EntryBox:
        platform.wordEntryAnswers.push_back({sj("ア"), Across, true});
        dialog->OnGridDoubleClick(centre(c.row, c.column));
        break;
      case Space:
        dialog->moveCursor(PuzzleGrid::indexOf(c.row, c.column));
        dialog->OnGridKey(GridKey::Space);
        break;
    }
    const std::string name = "way " + std::to_string(c.way) + " symmetry " +
                             std::to_string(static_cast<int>(c.symmetry));
    EXPECT_EQ(picture(5, 5), c.after) << name;
    dialog->OnCommand(IdUndo);
    EXPECT_EQ(picture(5, 5), before) << name;
  }
}

TEST_F(GridDesigner, SymmetryAndRulesAreKeptInTheSettingsStore) {
  settings.integers[{"Design", "Symmetry"}] = 2;
  settings.integers[{"Rules", "BlackCorner"}] = 0;
  dialog->OnInitDialog();
  EXPECT_EQ(dialog->design.symmetry, Symmetry::LeftRight);
  EXPECT_TRUE(platform.checks[IdSymmetryLeftRight]);
  EXPECT_FALSE(platform.checks[IdSymmetryPoint]);
  EXPECT_FALSE(platform.checks[IdRuleBlackCorner]);
  EXPECT_TRUE(platform.checks[IdRuleSplitWhite]);

  dialog->OnCommand(IdSymmetryNone);
  dialog->OnCommand(IdRuleBlackCorner);
  dialog->OnCommand(IdRuleSingleWhite);
  EXPECT_TRUE(platform.checks[IdSymmetryNone]);
  EXPECT_FALSE(platform.checks[IdSymmetryLeftRight]);
  EXPECT_TRUE(platform.checks[IdRuleBlackCorner]);
  EXPECT_FALSE(platform.checks[IdRuleSingleWhite]);
  EXPECT_EQ((settings.integers[{"Design", "Symmetry"}]), 0);
  EXPECT_EQ((settings.integers[{"Rules", "BlackCorner"}]), 1);
  EXPECT_EQ((settings.integers[{"Rules", "SingleWhite"}]), 0);
}

TEST_F(GridDesigner, RulesAreCheckedAfterEveryEditAndMarkedUntilMended) {
  dialog->ChooseSymmetry(Symmetry::None);
  start({"....", "....", "....", "...."});
  EXPECT_TRUE(framedIn(RuleMark).empty());
  dialog->OnGridRightPress(centre(0, 0));
  dialog->OnGridRightPress(centre(1, 0));
  EXPECT_EQ(status(), sj("黒マスの規則に違反: 黒マスの連続 1、隅の黒マス 1"));
  EXPECT_EQ(framedIn(RuleMark), (std::vector<int>{0, 32}));

  dialog->OnCommand(IdRuleAdjacentBlack);  // switched off
  EXPECT_EQ(status(), sj("黒マスの規則に違反: 隅の黒マス 1"));
  EXPECT_EQ(framedIn(RuleMark), (std::vector<int>{0}));

  dialog->OnGridPress(centre(0, 0));
  EXPECT_EQ(status(), sj("黒マスの規則: 違反なし"));
  EXPECT_TRUE(framedIn(RuleMark).empty());
}

TEST_F(GridDesigner, ArrowKeysMoveTheCursorAndScrollItIntoView) {
  EXPECT_TRUE(framedIn(CursorMark).empty());  // shown only while the grid has the focus
  dialog->OnGridFocus(true);
  EXPECT_EQ(framedIn(CursorMark), std::vector<int>{0});
  dialog->OnGridKey(GridKey::Left);
  dialog->OnGridKey(GridKey::Up);
  EXPECT_EQ(dialog->design.cursor, 0);
  dialog->OnGridKey(GridKey::Right);
  dialog->OnGridKey(GridKey::Down);
  EXPECT_EQ(dialog->design.cursor, 33);
  EXPECT_EQ(framedIn(CursorMark), std::vector<int>{33});

  for (int i = 0; i < 15; ++i) dialog->OnGridKey(GridKey::Right);
  EXPECT_EQ(dialog->colOffset, 1);  // column 16 comes into view
  EXPECT_EQ(platform.scrollBars[IdHorizontalBar].position, 1);
  dialog->OnGridPress(centre(5, 3));  // a click puts the cursor on the cell
  EXPECT_EQ(dialog->design.cursor, PuzzleGrid::indexOf(5, 3));
  for (int i = 0; i < 3; ++i) dialog->OnGridKey(GridKey::Left);
  EXPECT_EQ(dialog->colOffset, 0);
}

TEST_F(GridDesigner, TypedLettersAreGivenAndTheCursorMovesOn) {
  dialog->ChooseSymmetry(Symmetry::None);
  dialog->OnGridText(sj("ア"));
  dialog->OnGridText(sj("ｲウ"));  // half width becomes full width; two letters, one step
  EXPECT_EQ(picture(1, 4), (Picture{"アイウ#"}));
  EXPECT_EQ(dialog->grid.cellAt(1).flag, Fixed);
  EXPECT_EQ(dialog->design.cursor, 3);

  dialog->OnGridKey(GridKey::Tab);  // down from here on
  dialog->OnGridText(sj("エ＊"));
  EXPECT_EQ(picture(3, 4), (Picture{"アイウエ", "###*", "####"}));
  EXPECT_EQ(dialog->design.cursor, 67);

  dialog->OnCommand(IdUndo);
  EXPECT_EQ(picture(2, 4), (Picture{"アイウ#", "####"}));
  dialog->OnCommand(IdUndo);
  EXPECT_EQ(picture(1, 4), (Picture{"ア###"}));

  dialog->moveCursor(31);  // at the end of the row the cursor stays on the last letter
  dialog->OnGridKey(GridKey::Tab);
  dialog->OnGridText(sj("オカ"));
  EXPECT_EQ(test::pictureOf(dialog->grid, 1, 2, 0, 30), (Picture{"#オ"}));
  EXPECT_EQ(dialog->design.cursor, 31);
}

TEST_F(GridDesigner, SpaceDeleteAndBackspaceAreStepsOfTheirOwn) {
  dialog->ChooseSymmetry(Symmetry::None);
  start({"アイウ.", "...."});
  dialog->moveCursor(3);
  dialog->OnGridKey(GridKey::Space);
  EXPECT_EQ(picture(1, 4), (Picture{"アイウ#"}));
  dialog->OnGridKey(GridKey::Backspace);  // a black cell: the letter before it goes
  EXPECT_EQ(picture(1, 4), (Picture{"アイ.#"}));
  EXPECT_EQ(dialog->design.cursor, 2);
  dialog->moveCursor(0);
  dialog->OnGridKey(GridKey::Delete);
  EXPECT_EQ(picture(1, 4), (Picture{".イ.#"}));
  EXPECT_EQ(dialog->grid.cellAt(0).flag, Open);
  dialog->OnGridKey(GridKey::Backspace);  // the cursor's own letter is gone already
  EXPECT_EQ(picture(1, 4), (Picture{".イ.#"}));

  for (const Picture& earlier : {Picture{"アイ.#"}, Picture{"アイウ#"}, Picture{"アイウ."}}) {
    dialog->OnCommand(IdUndo);
    EXPECT_EQ(picture(1, 4), earlier);
  }
}

TEST_F(GridDesigner, EnterRunsTheSearch) {
  start({"..", ".."});
  dialog->OnGridKey(GridKey::Enter);
  EXPECT_EQ(platform.waitCursorBegins, 1);
  EXPECT_TRUE(dialog->slots.slotsCurrent);
}

TEST_F(GridDesigner, AShiftDragSelectsARectangleDrawnAsOneFrameUntilAPress) {
  start({"...", "...", "..."});
  dialog->OnGridSelect(centre(2, 2), centre(0, 1));  // dragged up and to the left
  EXPECT_EQ(dialog->design.selection, (CellRectangle{0, 1, 3, 3}));
  EXPECT_TRUE(platform.commandsEnabled[IdSearchRegion]);
  std::vector<DrawOp> ops;
  test::RecordingContext dc(ops);
  dialog->OnPaint(dc, dialog->gridFrameRect());
  const Rect first = dialog->cellRect(PuzzleGrid::indexOf(0, 1));
  const Rect last = dialog->cellRect(PuzzleGrid::indexOf(2, 2));
  int bands = 0;
  for (const DrawOp& op : ops) {
    if (op.kind != DrawOp::Fill || !(op.color == SelectionMark)) continue;
    ++bands;  // each along a side of the rectangle
    EXPECT_TRUE(op.rect.left == first.left || op.rect.top == first.top ||
                op.rect.right == last.right || op.rect.bottom == last.bottom);
  }
  EXPECT_EQ(bands, 10);  // three cells down each side, two along the top and the bottom

  dialog->OnGridSelect(centre(1, 1), {5000, 5000});  // beyond the grid: to the last cell shown
  EXPECT_EQ(dialog->design.selection, (CellRectangle{1, 1, VisibleCells, VisibleCells}));
  dialog->OnGridPress(centre(1, 1));
  EXPECT_TRUE(dialog->design.selection.empty());
  EXPECT_FALSE(platform.commandsEnabled[IdSearchRegion]);
}

TEST_F(GridDesigner, AutoGenerateAsksFirstThenFillsAGridOfTheSizeInOneStep) {
  start({"ア#.", "..."});
  platform.texts[IdDicPath1] = VEXILO_TEST_DICTIONARY;
  platform.checks[IdEnabled1] = true;
  platform.questionAnswers = {false};
  dialog->OnCommand(IdGeneratePuzzle);  // いいえ to dropping the changes: nothing happens
  EXPECT_EQ(platform.questions, std::vector<std::string>{sj("変更を保存せずに新規作成しますか？")});
  EXPECT_TRUE(platform.newPuzzleOpenedWith.empty());

  platform.newPuzzleAnswers = {NewPuzzleData{"6", "5"}};
  dialog->OnCommand(IdGeneratePuzzle);
  for (int cell = 0; cell < CellCount; ++cell) {
    const bool inside = PuzzleGrid::rowOf(cell) < 5 && PuzzleGrid::columnOf(cell) < 6;
    const NodeBox& box = dialog->grid.cellAt(cell);
    EXPECT_TRUE(inside || box.flag == Block) << cell;
    EXPECT_TRUE(box.flag == Block || !box.str.empty()) << cell;
  }
  EXPECT_EQ(status().rfind(sj("自動作成: すべて埋まりました"), 0), 0u) << test::u8(status());
  EXPECT_NE(status().find(sj("シード 1")), std::string::npos);
  EXPECT_TRUE(dialog->design.check.holds());

  dialog->OnCommand(IdUndo);  // one step back to the grid before
  EXPECT_EQ(picture(2, 4), (Picture{"ア#.#", "...#"}));

  // The next press makes another grid, and a press while it works stops it.
  platform.newPuzzleAnswers = {NewPuzzleData{"15", "15"}};
  platform.atPump(platform.pumps + 2, [this] { dialog->OnCommand(IdGeneratePuzzle); });
  dialog->OnCommand(IdGeneratePuzzle);
  EXPECT_EQ(status().rfind(sj("自動作成: 中止しました"), 0), 0u) << test::u8(status());
  const std::string shownWhileRunning = platform.statuses[platform.statuses.size() - 2].text;
  EXPECT_EQ(shownWhileRunning.rfind(sj("自動作成中"), 0), 0u) << test::u8(shownWhileRunning);
  EXPECT_NE(status().find(sj("シード 2")), std::string::npos);
  EXPECT_EQ(dialog->searchState, SearchIdle);
}

TEST_F(GridDesigner, AutoGenerateWithoutWordsLeavesThePuzzleAsItIs) {
  start({"ア#.", "..."});
  const std::uint64_t step = dialog->history.position();
  platform.newPuzzleAnswers = {NewPuzzleData{"6", "5"}};
  dialog->OnCommand(IdGeneratePuzzle);
  EXPECT_EQ(status(), sj("自動作成: 辞書に語がありません"));
  EXPECT_EQ(picture(2, 4), (Picture{"ア#.#", "...#"}));
  EXPECT_EQ(dialog->history.position(), step);  // no step was recorded
}

}  // namespace
}  // namespace vexilo
