#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/main_dialog.h"
#include "support/grid_picture.h"
#include "support/scripted_platform.h"
#include "support/sjis.h"
#include "support/temp_folder.h"

namespace vexilo {
namespace {

using test::sj;
using Picture = std::vector<std::string>;

std::string dataFile(const char* name) {
  const char* root = std::getenv("VEXILO_SOURCE_DIR");
  return std::string(root != nullptr ? root : "../..") + "/data/" + name;
}

// The cells and nextMark, comparable, shown as a picture when a test fails.
struct GridState {
  std::vector<std::string> cells;
  bool operator==(const GridState&) const = default;
};

void PrintTo(const GridState& state, std::ostream* out) {
  for (const std::string& cell : state.cells) *out << cell << ";";
}

class UndoHistory : public ::testing::Test {
 protected:
  UndoHistory() {
    dialog->OnInitDialog();
    platform.texts[IdDicPath1] = dataFile("sample.dic");
    platform.checks[IdEnabled1] = true;
  }
  GridState state() {
    GridState s;
    for (int i = 0; i < CellCount; ++i) {
      const NodeBox& cell = dialog->grid.cellAt(i);
      s.cells.push_back(test::u8(cell.str) + "/" + std::to_string(cell.flag) + "/" +
                        std::to_string(cell.mark));
    }
    s.cells.push_back("next " + std::to_string(dialog->grid.nextMark()));
    return s;
  }
  ViewOffsets view() { return {dialog->rowOffset, dialog->colOffset}; }
  Point centre(int index) {
    const Rect r = dialog->cellRect(index);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void open(const std::string& path) {
    platform.fileAnswers.push_back(path);
    dialog->OnCommand(IdOpenFile);
  }
  // A search that is stopped if it has not ended by its 300th candidate.
  void search() {
    platform.atPump(platform.pumps + 300, [this] { dialog->OnCommand(IdSearch); });
    dialog->OnCommand(IdSearch);
  }
  Picture picture(int rows, int columns) { return test::pictureOf(dialog->grid, rows, columns); }

  test::TempFolder folder;
  test::ScriptedPlatform platform;
  test::MemorySettingsStore settings;
  std::unique_ptr<MainDialog> dialog = std::make_unique<MainDialog>(platform, settings);
};

TEST_F(UndoHistory, RandomStepsUndoToTheStartAndRedoToTheEnd) {
  std::mt19937 random(1402);
  const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const char* letters[] = {"ア", "イ", "カ", "・", "＊", "ｻ"};
  std::vector<GridState> states{state()};
  std::vector<ViewOffsets> views{{}};  // where each step was made
  for (int action = 0; action < 600; ++action) {
    // A cell in the shown part of the grid.
    const int cell = (dialog->rowOffset + pick(VisibleCells)) * GridSize + dialog->colOffset +
                     pick(VisibleCells);
    switch (pick(10)) {
      case 0: dialog->OnGridPress(centre(cell)); break;
      case 1: {
        const Rect a = dialog->cellRect(cell);
        const Rect b = dialog->cellRect(pick(2) == 0 ? cell + 1 : cell + GridSize);
        platform.trackAnswers.push_back({true, b.left - a.left, b.top - a.top});
        dialog->OnGridPress(centre(cell));
        break;
      }
      case 2: dialog->OnGridRightPress(centre(cell)); break;
      case 3: {
        std::string text;
        for (int n = 1 + pick(4); n > 0; --n) text += sj(letters[pick(6)]);
        platform.wordEntryAnswers.push_back({text, pick(2) == 0 ? Across : Down, true});
        dialog->OnGridDoubleClick(centre(cell));
        break;
      }
      case 4:
        if (pick(4) == 0) dialog->OnCommand(IdClear);
        break;
      case 5: open(dataFile(pick(2) == 0 ? "sample-5x5.crs" : "sample-9x9.crs")); break;
      case 6: search(); break;
      case 7: dialog->OnResultDoubleClick(pick(4)); break;
      default: dialog->OnGridWheel(pick(9) - 4, pick(2) == 0); break;
    }
    if (state() != states.back()) {
      states.push_back(state());
      views.push_back(view());
    }
  }
  ASSERT_GT(states.size(), 200u);
  EXPECT_TRUE(platform.commandsEnabled[IdUndo]);
  EXPECT_FALSE(platform.commandsEnabled[IdRedo]);

  for (std::size_t k = states.size() - 1; k > 0; --k) {
    dialog->slots.slotsCurrent = true;
    dialog->OnCommand(IdUndo);
    ASSERT_EQ(state(), states[k - 1]) << "undo of step " << k;
    ASSERT_EQ(view(), views[k]) << "undo of step " << k;
    ASSERT_EQ(platform.scrollBars[IdVerticalBar].position, views[k].row);
    ASSERT_FALSE(dialog->slots.slotsCurrent);
  }
  EXPECT_FALSE(platform.commandsEnabled[IdUndo]);
  dialog->OnCommand(IdUndo);
  EXPECT_EQ(state(), states.front());

  for (std::size_t k = 1; k < states.size(); ++k) {
    platform.invalidations.clear();
    dialog->OnCommand(IdRedo);
    ASSERT_EQ(state(), states[k]) << "redo of step " << k;
    ASSERT_EQ(view(), views[k]) << "redo of step " << k;
  }
  EXPECT_FALSE(platform.commandsEnabled[IdRedo]);
  // Redrawn whole, then the cells whose clue labels changed.
  EXPECT_EQ(platform.invalidations.front().rect, platform.frame);
}

TEST_F(UndoHistory, UndoIsDisabledWhileASearchRunsAndTakesBackItsLetters) {
  const GridState initial = state();
  open(dataFile("sample-5x5.crs"));
  const GridState opened = state();
  bool enabledDuring = true;
  GridState beforeUndo, afterUndo;
  platform.atPump(3, [&] {
    enabledDuring = platform.commandsEnabled[IdUndo];
    beforeUndo = state();
    dialog->OnCommand(IdUndo);
    afterUndo = state();
  });
  dialog->OnCommand(IdSearch);
  EXPECT_FALSE(enabledDuring);
  EXPECT_EQ(afterUndo, beforeUndo);
  EXPECT_TRUE(platform.commandsEnabled[IdUndo]);
  ASSERT_NE(state(), opened);

  dialog->OnCommand(IdUndo);  // the whole run is one step
  EXPECT_EQ(state(), opened);
  dialog->OnCommand(IdUndo);
  EXPECT_EQ(state(), initial);  // before the file was opened
}

TEST_F(UndoHistory, DoubleClickedCandidateIsLockedAndKeptByTheNextSearch) {
  const std::string path = folder.path("words.dic");
  test::writeBytes(path, sj("アオス\r\nアイウ\r\nアカサ\r\nアキタ\r\n"));
  platform.texts[IdDicPath1] = path;
  test::drawPicture(dialog->grid, {"...", ".##", "ス##"});
  dialog->history.reset(dialog->grid);

  dialog->OnCommand(IdSearch);
  EXPECT_EQ(picture(3, 3), (Picture{"アイウ", "オ##", "ス##"}));
  dialog->OnCommand(IdShowResult);  // frames the across word
  EXPECT_EQ(platform.texts[IdResult], sj("アイウ\r\nアカサ\r\nアキタ\r\n"));
  platform.wordEntryAnswers.push_back({sj("サ"), Across, true});
  dialog->OnGridDoubleClick(centre(2));

  dialog->OnResultDoubleClick(0);  // アイウ: its ウ is not the given サ
  EXPECT_EQ(platform.messages, Picture{"The word does not match the given letters"});
  EXPECT_EQ(picture(3, 3), (Picture{"アイサ", "オ##", "ス##"}));
  dialog->OnResultDoubleClick(1);
  dialog->OnResultDoubleClick(7);  // past the list: nothing
  EXPECT_EQ(picture(3, 3), (Picture{"アカサ", "オ##", "ス##"}));
  EXPECT_EQ(dialog->grid.cellAt(0).flag, Fixed);
  EXPECT_FALSE(dialog->slots.slotsCurrent);
  EXPECT_EQ(platform.messages.size(), 1u);

  dialog->OnCommand(IdSearch);
  EXPECT_EQ(picture(3, 3), (Picture{"アカサ", "オ##", "ス##"}));
  EXPECT_EQ(dialog->grid.cellAt(1).flag, Fixed);
  dialog->OnCommand(IdUndo);  // the lock: the search changed no cell, so it is no step
  EXPECT_EQ(picture(3, 3), (Picture{"アイサ", "オ##", "ス##"}));
  EXPECT_EQ(dialog->grid.cellAt(0).flag, Open);
}

TEST_F(UndoHistory, WheelScrollsRowsAndWithShiftColumnsAsTheBarsDo) {
  dialog->OnGridWheel(3, false);
  dialog->OnGridWheel(-1, false);
  EXPECT_EQ(view(), (ViewOffsets{2, 0}));
  EXPECT_EQ(platform.scrollBars[IdVerticalBar].position, 2);
  dialog->OnGridWheel(-3, true);
  dialog->OnGridWheel(40, true);
  EXPECT_EQ(view(), (ViewOffsets{2, GridSize - VisibleCells}));
  EXPECT_EQ(platform.scrollBars[IdHorizontalBar].position, GridSize - VisibleCells);
  EXPECT_EQ(platform.invalidations.back().rect, platform.frame);
  EXPECT_FALSE(dialog->history.canUndo());  // scrolling is no step
}

}  // namespace
}  // namespace vexilo
