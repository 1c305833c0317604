#include <algorithm>

#include "app/main_dialog.h"

namespace vexilo {

namespace {

// The cell under a point, a point beside the visible cells taken to the nearest of them.
int nearestCell(const GridGeometry& view, Point point) {
  const Rect& frame = view.frame;
  point.x = std::clamp(point.x, frame.left, frame.right - 1);
  point.y = std::clamp(point.y, frame.top, frame.bottom - 1);
  return view.hitTest(point);
}

}  // namespace

void MainDialog::OnGridSelect(Point anchor, Point point) {
  const GridGeometry view = geometry();
  const int from = nearestCell(view, anchor);
  const int to = nearestCell(view, point);
  if (from == -1 || to == -1) return;
  const int rows[] = {PuzzleGrid::rowOf(from), PuzzleGrid::rowOf(to)};
  const int columns[] = {PuzzleGrid::columnOf(from), PuzzleGrid::columnOf(to)};
  selectCells({std::min(rows[0], rows[1]), std::min(columns[0], columns[1]),
               std::max(rows[0], rows[1]) + 1, std::max(columns[0], columns[1]) + 1});
}

void MainDialog::selectCells(const CellRectangle& selection) {
  if (selection == design.selection) return;
  for (const CellRectangle& shown : {design.selection, selection}) {
    if (shown.empty()) continue;
    const Rect first = cellRect(PuzzleGrid::indexOf(shown.top, shown.left));
    const Rect last = cellRect(PuzzleGrid::indexOf(shown.bottom - 1, shown.right - 1));
    platform.invalidate(Rect{first.left, first.top, last.right, last.bottom}, false);
  }
  design.selection = selection;
  updateCommandStates();
}

void MainDialog::SearchRegion() {
  if (searchState == SearchIdle && design.selection.empty()) return;
  runSearch(design.selection);
}

}  // namespace vexilo
