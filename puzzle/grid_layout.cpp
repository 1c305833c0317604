#include "puzzle/grid_layout.h"

#include <algorithm>

namespace vexilo {

Layout layoutOf(const PuzzleGrid& grid) {
  Layout layout;
  for (int i = 0; i < CellCount; ++i) {
    if (grid.cellAt(i).flag != Block) layout.set(static_cast<std::size_t>(i));
  }
  return layout;
}

CellRectangle usedRectangle(const Layout& layout) {
  CellRectangle area{GridSize, GridSize, 0, 0};
  for (int i = 0; i < CellCount; ++i) {
    if (!layout.test(static_cast<std::size_t>(i))) continue;
    const int row = PuzzleGrid::rowOf(i);
    const int column = PuzzleGrid::columnOf(i);
    area.top = std::min(area.top, row);
    area.bottom = std::max(area.bottom, row + 1);
    area.left = std::min(area.left, column);
    area.right = std::max(area.right, column + 1);
  }
  return area.empty() ? CellRectangle{} : area;
}

int mirrorOf(int index, Symmetry symmetry, const CellRectangle& rectangle) {
  const int row = PuzzleGrid::rowOf(index);
  const int column = PuzzleGrid::columnOf(index);
  if (!rectangle.contains(row, column)) return -1;
  const int mirroredRow = rectangle.top + rectangle.bottom - 1 - row;
  const int mirroredColumn = rectangle.left + rectangle.right - 1 - column;
  int mirror = -1;
  switch (symmetry) {
    case Symmetry::None: return -1;
    case Symmetry::Point: mirror = PuzzleGrid::indexOf(mirroredRow, mirroredColumn); break;
    case Symmetry::LeftRight: mirror = PuzzleGrid::indexOf(row, mirroredColumn); break;
    case Symmetry::TopBottom: mirror = PuzzleGrid::indexOf(mirroredRow, column); break;
  }
  return mirror == index ? -1 : mirror;
}

std::vector<int> mirrorLayoutChanges(PuzzleGrid& grid, const Layout& before, Symmetry symmetry) {
  const Layout after = layoutOf(grid);
  const Layout changed = before ^ after;
  std::vector<int> mirrored;
  if (symmetry == Symmetry::None || changed.none()) return mirrored;
  const CellRectangle rectangle = usedRectangle(before);
  for (int i = 0; i < CellCount; ++i) {
    if (!changed.test(static_cast<std::size_t>(i))) continue;
    const int m = mirrorOf(i, symmetry, rectangle);
    if (m == -1 || changed.test(static_cast<std::size_t>(m))) continue;
    const bool open = after.test(static_cast<std::size_t>(i));
    if (open == (grid.cellAt(m).flag != Block)) continue;
    if (open) {
      grid.makeOpen(m);
    } else {
      grid.makeBlock(m);
    }
    mirrored.push_back(m);
  }
  return mirrored;
}

void layOutNewPuzzle(PuzzleGrid& grid, int width, int height) {
  grid.clearGrid();
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) grid.makeOpen(PuzzleGrid::indexOf(row, column));
  }
}

}  // namespace vexilo
