#include "ui/grid_view.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/main_dialog.h"
#include "support/scripted_platform.h"
#include "support/sjis.h"

namespace vexilo {
namespace {

using test::DrawOp;
using test::sj;

// The scripted platform's frame: 540 by 534 pixels, pitch 33 by 33, remainders 12 and 6.
constexpr Rect Frame{10, 10, 550, 544};
constexpr Color ButtonFace = test::RecordingContext::ButtonFace;

GridGeometry view(int colOffset = 0, int rowOffset = 0) {
  return {Frame, colOffset, rowOffset, {}};
}

std::vector<DrawOp> opsOf(const NodeBox& cell, int index, const GridGeometry& g = view()) {
  std::vector<DrawOp> ops;
  test::RecordingContext dc(ops);
  drawCell(dc, cell, index, g.cellRect(index), g.frame);
  return ops;
}

std::vector<DrawOp> textsOf(const std::vector<DrawOp>& ops) {
  std::vector<DrawOp> texts;
  for (const DrawOp& op : ops) {
    if (op.kind == DrawOp::Text) texts.push_back(op);
  }
  return texts;
}

int countOf(const std::vector<DrawOp>& ops, DrawOp::Kind kind) {
  int n = 0;
  for (const DrawOp& op : ops) n += op.kind == kind ? 1 : 0;
  return n;
}

NodeBox box(int flag, std::string str = {}, int mark = -1) { return {std::move(str), flag, mark}; }

TEST(GridGeometry, CellRectanglesFollowTheOffsets) {
  EXPECT_EQ(view().cellRect(0), (Rect{16, 16, 43, 43}));
  EXPECT_EQ(view().cellRect(33), (Rect{49, 49, 76, 76}));
  EXPECT_EQ(view(16, 16).cellRect(528), (Rect{16, 16, 43, 43}));
  EXPECT_EQ(view(16, 16).cellRect(1023), (Rect{511, 511, 538, 538}));
  EXPECT_FALSE(view(16, 16).cellRect(0).intersects(Frame));
  // Column 16 starts 6 pixels after L + 16 * dx and reaches into the 12-pixel remainder.
  EXPECT_EQ(view().cellRect(16), (Rect{544, 16, 571, 43}));
}

TEST(GridGeometry, HitTestMapsEveryPointOfTheFrameAndNothingElse) {
  EXPECT_EQ(view().hitTest({10, 10}), 0);
  EXPECT_EQ(view(16, 16).hitTest({10, 10}), 528);
  EXPECT_EQ(view(16, 16).hitTest({549, 543}), 1023);
  EXPECT_EQ(view().hitTest({549, 543}), 15 * 32 + 15);

  EXPECT_EQ(view().hitTest({550, 100}), -1);  // right border line
  EXPECT_EQ(view().hitTest({100, 544}), -1);  // bottom border line
  EXPECT_EQ(view().hitTest({9, 100}), -1);
  EXPECT_EQ(view().hitTest({100, 9}), -1);

  // The gaps left of and above a cell belong to that cell.
  EXPECT_EQ(view().hitTest({44, 20}), 1);
  EXPECT_EQ(view().hitTest({20, 44}), 32);
  EXPECT_EQ(view().hitTest({45, 45}), 33);

  // The strip beyond L + 16 * dx selects column 15.
  EXPECT_EQ(view().hitTest({540, 20}), 15);
  EXPECT_EQ(view(16, 0).hitTest({545, 20}), 31);
  EXPECT_EQ(view().hitTest({20, 540}), 15 * 32);
}

TEST(GridGeometry, SlotRectanglesRunInTheGapsAndStayInsideTheFrame) {
  EXPECT_EQ(view().slotRect(0, 0, 3, Across), (Rect{14, 14, 111, 45}));
  EXPECT_EQ(view().slotRect(1, 1, 2, Down), (Rect{47, 47, 78, 111}));
  EXPECT_EQ(view().slotRect(0, 14, 4, Down), (Rect{14, 476, 45, 544}));
  EXPECT_EQ(view(2, 0).slotRect(0, 0, 4, Across), (Rect{10, 14, 78, 45}));
}

TEST(DrawCell, EveryFifthColumnAndRowHasALightBlueOutline) {
  const NodeBox blocked;
  EXPECT_EQ(opsOf(blocked, 4)[1].color, OutlineBlue);
  EXPECT_EQ(opsOf(blocked, 9 * 32)[1].color, OutlineBlue);
  EXPECT_EQ(opsOf(blocked, 5 * 32 + 5)[1].color, ButtonFace);
  EXPECT_EQ(opsOf(blocked, 20 * 32 + 24, view(16, 16))[1].color, OutlineBlue);
  EXPECT_EQ(opsOf(blocked, 33)[1].rect, (Rect{48, 48, 77, 77}));  // just outside the edge
}

TEST(DrawCell, FillAndLetterColourFollowTheKind) {
  const Rect inner{18, 18, 41, 41};
  std::vector<DrawOp> ops = opsOf(box(Block, sj("ア"), 3), 0);
  ASSERT_EQ(ops.size(), 3u);  // a blocked cell shows neither its letter nor its number
  EXPECT_EQ(ops[2].kind, DrawOp::Fill);
  EXPECT_EQ(ops[2].rect, inner);
  EXPECT_EQ(ops[2].color, BlockFill);

  ops = opsOf(box(Open, sj("ア")), 0);
  EXPECT_EQ(ops[2].color, CellFill);
  EXPECT_EQ(textsOf(ops)[0].color, OpenText);

  ops = opsOf(box(Fixed, sj("ア")), 0);
  EXPECT_EQ(textsOf(ops)[0].color, FixedText);

  ops = opsOf(box(Star), 0);
  EXPECT_EQ(textsOf(ops)[0].text, sj("＊"));
  EXPECT_EQ(textsOf(ops)[0].color, StarText);

  ops = opsOf(box(Star, sj("カ")), 0);
  EXPECT_EQ(textsOf(ops)[0].text, sj("カ"));
  EXPECT_EQ(textsOf(ops)[0].color, StarText);

  EXPECT_EQ(textsOf(opsOf(box(Open), 0)).size(), 0u);
  EXPECT_EQ(opsOf(box(7), 0).size(), 2u);  // an unknown kind gets its edge and outline only
}

TEST(DrawCell, LettersAreCentredAndNumbersSitInTheCorner) {
  // The recording context makes each byte 10 pixels wide and letters 12 high.
  std::vector<DrawOp> texts = textsOf(opsOf(box(Fixed, sj("ア")), 0));
  EXPECT_EQ(texts[0].at.x, 19);
  EXPECT_EQ(texts[0].at.y, 23);
  EXPECT_EQ(texts[0].background, CellFill);

  texts = textsOf(opsOf(box(Fixed, "A"), 0));
  EXPECT_EQ(texts[0].at.x, 24);

  texts = textsOf(opsOf(box(Fixed, sj("アイウエ")), 0));  // wider than the cell
  EXPECT_EQ(texts[0].at.x, -10);

  texts = textsOf(opsOf(box(Open, sj("ア"), 2), 33));
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1].text, "3");
  EXPECT_EQ(texts[1].at.x, 51);
  EXPECT_EQ(texts[1].at.y, 51);
  EXPECT_EQ(texts[1].font, DrawingContext::Font::Numbers);
  EXPECT_EQ(texts[1].color, NumberText);

  texts = textsOf(opsOf(box(7, sj("ア"), 11), 0));
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "12");
  EXPECT_EQ(texts[0].background, ButtonFace);
}

TEST(DrawCell, CellsOutsideTheFrameDrawNothing) {
  EXPECT_EQ(opsOf(box(Fixed, sj("ア")), 0, view(16, 16)).size(), 0u);
  EXPECT_EQ(opsOf(box(Fixed, sj("ア")), 17, view()).size(), 0u);
  EXPECT_EQ(opsOf(box(Fixed, sj("ア")), 16 * 32, view()).size(), 0u);  // bottom remainder is 6
  EXPECT_EQ(opsOf(box(Fixed, sj("ア")), 16, view()).size(), 4u);       // the strip on the right
}

struct Window {
  test::ScriptedPlatform platform;
  test::MemorySettingsStore store;
  std::unique_ptr<MainDialog> dialog = std::make_unique<MainDialog>(platform, store);

  Window() { dialog->OnInitDialog(); }
  std::vector<DrawOp> paint(const Rect& area) {
    std::vector<DrawOp> ops;
    test::RecordingContext dc(ops);
    dialog->OnPaint(dc, area);
    return ops;
  }
  void addAcrossSlot(int row, int column, int length) {
    WordSlot slot;
    slot.row = row;
    slot.column = column;
    slot.length = length;
    dialog->slots.slots.push_back(slot);
    ++dialog->slots.slotCount;
  }
};

TEST(PaintGrid, DrawsOnlyTheCellsMeetingTheArea) {
  Window w;
  std::vector<DrawOp> ops = w.paint(w.dialog->cellRect(33));
  ASSERT_EQ(countOf(ops, DrawOp::SunkenEdge), 1);
  EXPECT_EQ(ops[0].rect, w.dialog->cellRect(33));

  ops = w.paint(Rect{40, 16, 50, 20});  // across the gap between cells 0 and 1
  EXPECT_EQ(countOf(ops, DrawOp::SunkenEdge), 2);

  EXPECT_EQ(countOf(w.paint(Frame), DrawOp::SunkenEdge), 16 * 17);  // with the right strip
  w.dialog->OnHScroll(ScrollBottom, 0);
  EXPECT_EQ(countOf(w.paint(Frame), DrawOp::SunkenEdge), 16 * 16);
}

TEST(PaintGrid, FramesTheCurrentSlotAndWipesTheOldFrame) {
  Window w;
  EXPECT_EQ(countOf(w.paint(Frame), DrawOp::Frame), 16 * 17);  // outlines only, no slot frame

  w.addAcrossSlot(0, 0, 3);
  w.addAcrossSlot(2, 1, 2);
  w.dialog->slots.currentSlot = 1;
  std::vector<DrawOp> ops = w.paint(Frame);
  EXPECT_EQ(ops.back().kind, DrawOp::Frame);
  EXPECT_EQ(ops.back().color, SlotFrame);
  EXPECT_EQ(ops.back().rect, (Rect{47, 80, 111, 111}));
  EXPECT_EQ(w.dialog->highlightShown, 1);
  EXPECT_EQ(w.dialog->highlightRect, (Rect{47, 80, 111, 111}));

  w.dialog->slots.currentSlot = 0;
  ops = w.paint(Frame);
  EXPECT_EQ(ops.front().rect, (Rect{47, 80, 111, 111}));
  EXPECT_EQ(ops.front().color, ButtonFace);
  EXPECT_EQ(ops.back().rect, (Rect{14, 14, 111, 45}));

  w.dialog->slots.currentSlot = 2;  // past slotCount
  ops = w.paint(Frame);
  int redFrames = 0;
  for (const DrawOp& op : ops) redFrames += op.kind == DrawOp::Frame && op.color == SlotFrame;
  EXPECT_EQ(redFrames, 0);
}

TEST(Scrolling, EveryCodeMovesTheOffsetByItsRule) {
  Window w;
  MainDialog& d = *w.dialog;
  d.OnVScroll(ScrollLineUp, 0);
  EXPECT_EQ(d.rowOffset, 0);  // line up from 0
  d.OnVScroll(ScrollLineDown, 0);
  EXPECT_EQ(d.rowOffset, 1);
  d.OnVScroll(ScrollThumbPosition, 15);
  EXPECT_EQ(d.rowOffset, 15);
  for (int i = 0; i < 3; ++i) d.OnVScroll(ScrollPageDown, 0);
  EXPECT_EQ(d.rowOffset, 16);  // page down three times from 15
  d.OnVScroll(ScrollLineDown, 0);
  EXPECT_EQ(d.rowOffset, 16);
  d.OnVScroll(ScrollPageUp, 0);
  EXPECT_EQ(d.rowOffset, 13);
  d.OnVScroll(ScrollEnd, 3);  // end of scrolling
  EXPECT_EQ(d.rowOffset, 13);
  d.OnVScroll(ScrollTop, 0);
  EXPECT_EQ(d.rowOffset, 0);
  d.OnVScroll(ScrollPageUp, 0);
  EXPECT_EQ(d.rowOffset, 0);
  d.OnVScroll(ScrollBottom, 0);
  EXPECT_EQ(d.rowOffset, 16);
  EXPECT_EQ(d.colOffset, 0);

  d.OnHScroll(ScrollThumbTrack, 9);
  EXPECT_EQ(d.colOffset, 9);
  EXPECT_EQ(d.rowOffset, 16);
  EXPECT_EQ(w.platform.scrollBars[IdHorizontalBar].position, 9);
  EXPECT_EQ(w.platform.scrollBars[IdVerticalBar].position, 16);
}

TEST(Scrolling, EveryMessageRepaintsTheWholeGridAndSetsTheBar) {
  Window w;
  w.platform.invalidations.clear();
  for (int position : {3, 4, 5, 5})
    w.dialog->OnVScroll(ScrollThumbTrack, position);  // thumb dragged
  w.dialog->OnVScroll(ScrollEnd, 0);
  ASSERT_EQ(w.platform.invalidations.size(), 5u);
  int wholeWithoutErase = 0;
  for (const auto& inv : w.platform.invalidations) {
    if (inv.rect == Frame && !inv.erase) ++wholeWithoutErase;
  }
  EXPECT_EQ(wholeWithoutErase, 5);
  EXPECT_EQ(w.platform.scrollBars[IdVerticalBar].positionsSet,
            (std::vector<int>{0, 3, 4, 5, 5, 5}));  // the first from opening the window
}

}  // namespace
}  // namespace vexilo
