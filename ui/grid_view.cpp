#include "ui/grid_view.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace vexilo {

namespace {

constexpr int Gap = 6;  // band left of and above each cell for outlines and the slot frame
const std::string StarSign = "\x81\x96";  // ＊

// Everything a cell's drawing depends on beside its size.
std::string drawingKey(const NodeBox& cell, bool fifth, std::string_view clueLabel) {
  std::string key(9, fifth ? '5' : '-');
  std::memcpy(key.data(), &cell.flag, 4);
  std::memcpy(key.data() + 4, &cell.mark, 4);
  key += cell.str;
  if (!clueLabel.empty()) {
    key += '\0';
    key += clueLabel;
  }
  return key;
}

}  // namespace

Rect GridGeometry::cellRect(int index) const {
  const int dx = frame.width() / shape.columns;
  const int dy = frame.height() / shape.rows;
  const int u = index % GridSize - colOffset;
  const int v = index / GridSize - rowOffset;
  return {frame.left + u * dx + Gap, frame.top + v * dy + Gap, frame.left + (u + 1) * dx,
          frame.top + (v + 1) * dy};
}

int GridGeometry::hitTest(Point p) const {
  if (!frame.contains(p)) return -1;
  const int u = (p.x - frame.left) * shape.columns / frame.width();
  const int v = (p.y - frame.top) * shape.rows / frame.height();
  const int index = (v + rowOffset) * GridSize + colOffset + u;
  if (index < 0 || index >= CellCount || u < 0 || u >= shape.columns || v < 0 || v >= shape.rows) {
    return -1;
  }
  return index;
}

Rect GridGeometry::slotRect(int column, int row, int length, SlotDirection direction) const {
  const int first = row * GridSize + column;
  const int last = direction == Across ? first + length - 1 : first + (length - 1) * GridSize;
  Rect rect = cellRect(first);
  if (direction == Across) {
    rect.right = cellRect(last).right;
  } else {
    rect.bottom = cellRect(last).bottom;
  }
  return rect.inflated(2).intersected(frame);
}

void drawCell(DrawingContext& dc, const NodeBox& cell, int index, const Rect& rect,
              const Rect& frame, std::string_view clueLabel) {
  if (!rect.intersects(frame)) return;
  const int column = index % GridSize;
  const int row = index / GridSize;
  const bool fifth = column % 5 == 4 || row % 5 == 4;
  const std::string key = drawingKey(cell, fifth, clueLabel);
  const Rect outlined = rect.inflated(1);
  if (dc.drawKept(outlined, key)) return;

  dc.drawSunkenEdge(rect);
  dc.frameRect(outlined, fifth ? OutlineBlue : dc.buttonFaceColor());
  const Rect inner = rect.inflated(-2);
  Color fill = CellFill;
  Color textColor = FixedText;
  std::string_view text = cell.str;
  bool known = true;
  switch (cell.flag) {
    case Block:
      dc.fillRect(inner, BlockFill);
      dc.keep(outlined, key);
      return;
    case Open: textColor = OpenText; break;
    case Star:
      textColor = StarText;
      if (text.empty()) text = StarSign;
      break;
    case Fixed: break;
    default:
      known = false;  // unknown kinds from stored data: no fill and no letter, but the number
      fill = dc.buttonFaceColor();
      break;
  }
  if (known) {
    dc.fillRect(inner, fill);
    if (!text.empty()) {
      const Size extent = dc.textExtent(text, DrawingContext::Font::Letters);
      const int x = inner.left + (inner.right - extent.width - inner.left) / 2;
      const int y = inner.top + (inner.bottom - extent.height - inner.top) / 2;
      dc.drawText(x, y, text, DrawingContext::Font::Letters, textColor, fill);
    }
  }
  if (cell.mark != -1) {
    dc.drawText(inner.left, inner.top, std::to_string(cell.mark + 1), DrawingContext::Font::Numbers,
                NumberText, fill);
  }
  if (!clueLabel.empty()) {
    const Size extent = dc.textExtent(clueLabel, DrawingContext::Font::Numbers);
    dc.drawText(inner.right - extent.width, inner.top, clueLabel, DrawingContext::Font::Numbers,
                NumberText, fill);
  }
  dc.keep(outlined, key);
}

void drawRuleMark(DrawingContext& dc, const Rect& rect) {
  dc.frameRect(rect, RuleMark);
  dc.frameRect(rect.inflated(-1), RuleMark);
}

void drawCursor(DrawingContext& dc, const Rect& rect, SlotDirection direction) {
  for (int by = 0; by < 3; ++by) dc.frameRect(rect.inflated(-by), CursorMark);
  constexpr int Bar = 5;  // the edge, and three pixels more
  if (direction == Down) {
    dc.fillRect({rect.left, rect.bottom - Bar, rect.right, rect.bottom}, CursorMark);
  } else {
    dc.fillRect({rect.right - Bar, rect.top, rect.right, rect.bottom}, CursorMark);
  }
}

void drawSelectionEdges(DrawingContext& dc, const Rect& rect, unsigned sides) {
  constexpr int Band = 3;
  if (sides & LeftSide)
    dc.fillRect({rect.left, rect.top, rect.left + Band, rect.bottom}, SelectionMark);
  if (sides & TopSide)
    dc.fillRect({rect.left, rect.top, rect.right, rect.top + Band}, SelectionMark);
  if (sides & RightSide) {
    dc.fillRect({rect.right - Band, rect.top, rect.right, rect.bottom}, SelectionMark);
  }
  if (sides & BottomSide) {
    dc.fillRect({rect.left, rect.bottom - Band, rect.right, rect.bottom}, SelectionMark);
  }
}

int scrolledOffset(int offset, ScrollCode code, int position, int shown) {
  const int lastOffset = std::max(GridSize - shown, 0);
  switch (code) {
    case ScrollLineUp: return std::max(offset - 1, 0);
    case ScrollLineDown: return std::min(offset + 1, lastOffset);
    case ScrollPageUp: return std::max(offset - 3, 0);
    case ScrollPageDown: return std::min(offset + 3, lastOffset);
    case ScrollThumbPosition:
    case ScrollThumbTrack: return std::clamp(position, 0, lastOffset);
    case ScrollTop: return 0;
    case ScrollBottom: return lastOffset;
    default: return offset;
  }
}

}  // namespace vexilo
