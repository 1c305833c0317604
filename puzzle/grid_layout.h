#pragma once

#include <bitset>
#include <vector>

#include "puzzle/puzzle_grid.h"

namespace vexilo {

// Which cells are open (not Block), bit = cell index.
using Layout = std::bitset<CellCount>;
Layout layoutOf(const PuzzleGrid& grid);

// Rows [top, bottom) and columns [left, right) of the grid.
struct CellRectangle {
  int top = 0;
  int left = 0;
  int bottom = 0;
  int right = 0;

  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  bool contains(int row, int column) const {
    return top <= row && row < bottom && left <= column && column < right;
  }
  friend bool operator==(const CellRectangle&, const CellRectangle&) = default;
};

// The smallest rectangle that holds every open cell; empty when none is open.
CellRectangle usedRectangle(const Layout& layout);
inline CellRectangle usedRectangle(const PuzzleGrid& grid) { return usedRectangle(layoutOf(grid)); }

// Values of the settings entry Design/Symmetry.
enum class Symmetry : int { None = 0, Point = 1, LeftRight = 2, TopBottom = 3 };

// The cell that mirrors index within the rectangle; -1 without symmetry, for a cell outside
// the rectangle, and for a cell that is its own mirror.
int mirrorOf(int index, Symmetry symmetry, const CellRectangle& rectangle);

// After an edit, every cell that turned black or open since before has its mirror (within the
// rectangle used before) turned the same way, unless the edit changed the mirror itself. A
// mirror turned open keeps its letter and number; only a black mirror is opened, so a given
// letter stays given. Returns the mirror cells changed.
std::vector<int> mirrorLayoutChanges(PuzzleGrid& grid, const Layout& before, Symmetry symmetry);

inline constexpr int MinPuzzleSide = 2;
inline constexpr int MaxPuzzleSide = GridSize;

// An empty grid of width by height open cells at the top left; the rest black, no letters,
// no numbers. The sides must lie in MinPuzzleSide..MaxPuzzleSide.
void layOutNewPuzzle(PuzzleGrid& grid, int width, int height);

}  // namespace vexilo
