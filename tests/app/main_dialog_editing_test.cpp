#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/main_dialog.h"
#include "files/crossword_file.h"
#include "support/grid_picture.h"
#include "support/scripted_platform.h"
#include "support/sjis.h"

namespace vexilo {
namespace {

using test::pictureOf;
using test::sj;

struct Editor {
  test::ScriptedPlatform platform;
  test::MemorySettingsStore store;
  std::unique_ptr<MainDialog> dialog = std::make_unique<MainDialog>(platform, store);

  Editor() {
    dialog->OnInitDialog();
    dialog->design.symmetry = Symmetry::None;  // the mouse alone, without mirror cells
    dialog->design.rules = 0;                  // and without rule marks to repaint
    dialog->slots.slotsCurrent = true;
    platform.invalidations.clear();
  }
  NodeBox& cell(int index) { return dialog->grid.cellAt(index); }
  void setCell(int index, int flag, std::string_view utf8 = {}, int mark = -1) {
    cell(index) = {sj(utf8), flag, mark};
    dialog->grid.noteMark(mark);
  }
  Point centre(int index) {
    const Rect r = dialog->cellRect(index);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  // A press on one cell whose outline is dropped so that the point lands on another.
  void drag(int from, int to) {
    const Rect a = dialog->cellRect(from);
    const Rect b = dialog->cellRect(to);
    platform.trackAnswers.push_back({true, b.left - a.left, b.top - a.top});
    dialog->OnGridPress(centre(from));
  }
  void enter(int index, std::string_view utf8, SlotDirection direction = Across) {
    platform.wordEntryAnswers.push_back({sj(utf8), direction, true});
    dialog->OnGridDoubleClick(centre(index));
  }
  // The cells repainted, in order; -1 for the whole grid.
  std::vector<int> repainted() {
    std::vector<int> cells;
    for (const auto& inv : platform.invalidations) {
      int found = inv.rect == platform.frame ? -1 : -2;
      for (int i = 0; i < CellCount && found == -2; ++i) {
        if (dialog->cellRect(i) == inv.rect) found = i;
      }
      cells.push_back(found);
    }
    return cells;
  }
  std::vector<int> marks(std::initializer_list<int> cells) {
    std::vector<int> result;
    for (int i : cells) result.push_back(cell(i).mark);
    return result;
  }
  int openCells() {
    int n = 0;
    for (int i = 0; i < CellCount; ++i) n += cell(i).flag != Block ? 1 : 0;
    return n;
  }
};

TEST(GridPress, OpensTheCellAndStartsADrag) {
  Editor e;
  e.dialog->OnGridPress(e.centre(33));
  EXPECT_EQ(e.cell(33).flag, Open);
  EXPECT_EQ(e.repainted(), (std::vector<int>{33}));
  EXPECT_FALSE(e.platform.invalidations[0].erase);
  EXPECT_FALSE(e.dialog->slots.slotsCurrent);
  ASSERT_EQ(e.platform.trackRequests.size(), 1u);
  EXPECT_EQ(e.platform.trackRequests[0].start, e.dialog->cellRect(33));
  EXPECT_EQ(e.platform.trackRequests[0].pressed.x, e.centre(33).x);

  e.platform.invalidations.clear();
  e.dialog->OnGridPress({5, 5});  // outside the frame
  e.dialog->OnGridPress({e.platform.frame.right, 100});
  EXPECT_EQ(e.platform.trackRequests.size(), 1u);
  EXPECT_EQ(e.platform.invalidations.size(), 0u);
}

TEST(GridPress, DraggingLinksTheCellUnderTheMovedPoint) {
  Editor e;
  e.drag(0, 1);
  EXPECT_EQ(pictureOf(e.dialog->grid, 1, 3), (std::vector<std::string>{"..#"}));
  EXPECT_EQ(e.marks({0, 1}), (std::vector<int>{0, 0}));
  EXPECT_EQ(e.repainted(), (std::vector<int>{0, 1, 0, 0}));  // then the new clue label of 0

  e.drag(64, 96);
  EXPECT_EQ(e.marks({64, 96}), (std::vector<int>{1, 1}));

  // The outline's top-left moved by (dx, dy); the pressed point moves with it.
  const Rect r = e.dialog->cellRect(300);
  e.platform.trackAnswers.push_back({true, 20, 0});
  e.dialog->OnGridPress({r.right - 5, r.top + 2});
  EXPECT_EQ(e.marks({300, 301}), (std::vector<int>{2, 2}));
}

// The renumbering is the grid's; the dialog repaints every cell it renumbered.
TEST(GridPress, CellsRenumberedByADragAreRepainted) {
  Editor e;
  e.setCell(10, Fixed, "ア", 0);  // group b = 0, one cell
  e.setCell(40, Open, "", 1);
  e.setCell(41, Open, "", 1);
  e.setCell(70, Open, "", 2);  // group a = 2
  e.setCell(71, Open, "", 2);
  e.drag(70, 10);
  EXPECT_EQ(e.marks({10, 40, 41, 70, 71}), (std::vector<int>{1, 0, 0, 1, 1}));
  // Then the cells whose clue labels changed: the two words are now ア and イ.
  EXPECT_EQ(e.repainted(), (std::vector<int>{70, 40, 41, 70, 71, 10, 70, 40, 70}));
}

TEST(GridPress, ADragThatLandsNowhereLeavesOnlyThePress) {
  Editor e;
  e.dialog->OnGridPress(e.centre(5));  // cancelled: Escape or the right button
  EXPECT_EQ(e.cell(5).flag, Open);
  EXPECT_EQ(e.cell(5).mark, -1);

  e.platform.trackAnswers.push_back({true, 3, 3});  // still over the same cell
  e.dialog->OnGridPress(e.centre(6));
  EXPECT_EQ(e.cell(6).mark, -1);

  e.platform.trackAnswers.push_back({true, -300, 0});  // dropped left of the grid
  e.dialog->OnGridPress(e.centre(7));
  EXPECT_EQ(e.cell(7).mark, -1);

  e.platform.trackAnswers.push_back({true, 0, 1000});  // dropped below it
  e.dialog->OnGridPress(e.centre(8));
  EXPECT_EQ(e.cell(8).mark, -1);

  EXPECT_EQ(e.dialog->grid.nextMark(), 0);
  EXPECT_EQ(e.openCells(), 4);
  EXPECT_EQ(e.repainted(), (std::vector<int>{5, 6, 5, 7, 8}));  // 5 starts a word once 6 opens
}

TEST(GridRightPress, BlocksTheCellAndClosesUpTheNumbers) {
  Editor e;
  e.setCell(5, Fixed, "ア", 0);
  e.setCell(6, Open, "", 1);
  e.setCell(7, Open, "", 1);
  e.dialog->OnGridRightPress(e.centre(5));
  EXPECT_EQ(e.cell(5).flag, Block);
  EXPECT_EQ(e.cell(5).str, sj("ア"));  // kept, unseen
  EXPECT_EQ(e.marks({5, 6, 7}), (std::vector<int>{-1, 0, 0}));
  EXPECT_EQ(e.dialog->grid.nextMark(), 1);
  EXPECT_EQ(e.repainted(), (std::vector<int>{6, 7, 5, 6}));  // the word now starts at 6
  EXPECT_FALSE(e.dialog->slots.slotsCurrent);

  e.platform.invalidations.clear();
  e.dialog->OnGridRightPress({e.platform.frame.left, e.platform.frame.bottom});
  EXPECT_EQ(e.platform.invalidations.size(), 0u);
}

TEST(GridDoubleClick, OpensTheBoxWithTheCellsLetterAndTypesOnlyOnOk) {
  Editor e;
  e.setCell(5, Open, "カ");  // a result letter of the last search
  e.platform.wordEntryAnswers.push_back({sj("ア"), Across, false});  // Escape
  e.dialog->OnGridDoubleClick(e.centre(5));
  ASSERT_EQ(e.platform.wordEntryOpenedWith.size(), 1u);
  EXPECT_EQ(e.platform.wordEntryOpenedWith[0], sj("カ"));
  EXPECT_EQ(e.cell(5).flag, Open);
  EXPECT_EQ(e.cell(5).str, sj("カ"));
  EXPECT_EQ(e.platform.invalidations.size(), 0u);
  EXPECT_TRUE(e.dialog->slots.slotsCurrent);

  e.enter(5, "ｱ*", Down);  // typed half width, written full width
  EXPECT_EQ(pictureOf(e.dialog->grid, 3, 1, 0, 5), (std::vector<std::string>{"ア", "*", "#"}));
  EXPECT_EQ(e.repainted(), (std::vector<int>{5, 37, 5}));  // then the clue label of 5
  EXPECT_FALSE(e.dialog->slots.slotsCurrent);

  e.dialog->slots.slotsCurrent = true;
  e.enter(5, "");  // an empty text changes nothing
  EXPECT_TRUE(e.dialog->slots.slotsCurrent);
  e.dialog->OnGridDoubleClick({0, 0});  // outside the grid: no box
  EXPECT_EQ(e.platform.wordEntryOpenedWith.size(), 3u);
}

// The box takes a text of any length but writes one letter a cell, so no line of a saved file
// grows past what the reader takes: a cell's own 509 bytes, put back, fill its row instead.
TEST(GridDoubleClick, ALongTextGoesOneLetterACellAndSavesReadably) {
  Editor e;
  std::string text;
  for (int i = 0; i < 254; ++i) text += "ア";
  text += "x";
  e.setCell(0, Fixed, text);
  e.enter(0, text);
  EXPECT_EQ(e.platform.wordEntryOpenedWith.back().size(), 509u);
  std::vector<int> cut;
  PuzzleGrid reread;
  parseCrosswordFile(formatCrosswordFile(e.dialog->grid, &cut), reread);
  EXPECT_TRUE(cut.empty());
  EXPECT_EQ(formatCrosswordFile(reread), formatCrosswordFile(e.dialog->grid));
  EXPECT_EQ(pictureOf(reread, 1, 32)[0], text.substr(0, 32 * std::string("ア").size()));
}

TEST(ClearCommand, EmptiesTheGridAndTheResultButKeepsTheRows) {
  Editor e;
  e.setCell(0, Fixed, "ア", 4);
  e.setCell(1023, Star);
  e.dialog->slots.slotCount = 5;
  e.dialog->slots.currentSlot = 3;
  e.platform.texts[IdResult] = sj("アイ\r\nカキ");
  e.platform.texts[IdDicPath2] = "/tmp/typed.dic";
  e.platform.checks[IdEnabled2] = false;
  e.dialog->OnVScroll(ScrollThumbPosition, 7);
  e.platform.invalidations.clear();

  e.dialog->OnCommand(IdClear);
  EXPECT_EQ(e.openCells(), 0);
  EXPECT_EQ(e.cell(0).str, "");
  EXPECT_EQ(e.cell(0).mark, -1);
  EXPECT_EQ(e.dialog->grid.nextMark(), 0);
  EXPECT_EQ(e.dialog->slots.slotCount, 0);
  EXPECT_EQ(e.dialog->slots.currentSlot, 0);
  EXPECT_FALSE(e.dialog->slots.slotsCurrent);
  EXPECT_EQ(e.platform.texts[IdResult], "");
  EXPECT_EQ(e.platform.texts[IdDicPath2], "/tmp/typed.dic");
  EXPECT_FALSE(e.platform.checks[IdEnabled2]);
  EXPECT_TRUE(e.platform.checks[IdEnabled1]);
  EXPECT_EQ(e.dialog->rowOffset, 7);
  EXPECT_EQ(e.repainted(), (std::vector<int>{-1}));
}

TEST(AboutCommand, OpensFromTheMenuAndTheSystemMenuOnly) {
  Editor e;
  e.dialog->OnCommand(IdAbout);
  EXPECT_EQ(e.platform.aboutBoxes, 1);
  EXPECT_TRUE(e.dialog->OnSysCommand(16));
  EXPECT_TRUE(e.dialog->OnSysCommand(0x13));  // the low four bits are the system's own
  EXPECT_EQ(e.platform.aboutBoxes, 3);
  EXPECT_FALSE(e.dialog->OnSysCommand(0xF060));  // Close goes on to the default handling
  EXPECT_FALSE(e.dialog->OnSysCommand(0x20));
  EXPECT_EQ(e.platform.aboutBoxes, 3);
}

}  // namespace
}  // namespace vexilo
