#pragma once

#include "puzzle/node_box.h"
#include "ui/geometry.h"
#include "ui/platform.h"

namespace vexilo {

inline constexpr Color BlockFill{128, 128, 128};
inline constexpr Color CellFill{255, 255, 255};
inline constexpr Color OutlineBlue{192, 192, 255};  // every fifth row and column
inline constexpr Color OpenText{255, 0, 0};
inline constexpr Color StarText{0, 128, 0};
inline constexpr Color FixedText{0, 0, 0};
inline constexpr Color NumberText{64, 64, 64};
inline constexpr Color SlotFrame{255, 0, 0};
inline constexpr Color BlockingFrame{0, 0, 255};    // a slot that keeps the grid from a fill
inline constexpr Color ClueFrame{0, 150, 0};        // the word whose clue is selected
inline constexpr Color RuleMark{224, 0, 224};       // a cell that breaks a block rule
inline constexpr Color CursorMark{0, 102, 204};     // the cell typing goes into
inline constexpr Color SelectionMark{255, 128, 0};  // the edge of the selected cells

// The visible cells inside the grid frame F, 16 by 16 unless the window shows more; integer
// pixels of the client area.
struct GridGeometry {
  Rect frame;
  int colOffset = 0;
  int rowOffset = 0;
  GridShape shape;

  Rect cellRect(int index) const;
  // The cell under a point, or -1 outside F.
  int hitTest(Point p) const;
  // The frame around a run of cells, grown into the gaps and clipped to F.
  Rect slotRect(int column, int row, int length, SlotDirection direction) const;
};

// Draws one cell into rect; nothing when rect misses the frame. The clue label, when there is
// one, stands in the top-right corner, away from the group number in the top-left.
void drawCell(DrawingContext& dc, const NodeBox& cell, int index, const Rect& rect,
              const Rect& frame, std::string_view clueLabel = {});

// Drawn over a cell in the window only, never into a page or a print, and inside the cell's
// rectangle, which a repaint of the cell covers: the rule mark in place of the sunken edge,
// the cursor over the edge and one pixel more, thicker on the side that typing moves toward.
void drawRuleMark(DrawingContext& dc, const Rect& rect);
void drawCursor(DrawingContext& dc, const Rect& rect, SlotDirection direction);
// Bits of the sides of a cell that lie on the edge of the selection.
enum SelectionSide : unsigned { LeftSide = 1, TopSide = 2, RightSide = 4, BottomSide = 8 };
// A band along those sides inside the cell, so that the selected rectangle shows as one frame.
void drawSelectionEdges(DrawingContext& dc, const Rect& rect, unsigned sides);

// The first visible row or column after a scroll bar action; position is the thumb's. shown:
// the rows or columns visible, so that the last cell can come into view and no further.
int scrolledOffset(int offset, ScrollCode code, int position, int shown = VisibleCells);

}  // namespace vexilo
