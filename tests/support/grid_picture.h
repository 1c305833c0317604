#pragma once

#include <string>
#include <vector>

#include "puzzle/puzzle_grid.h"

namespace vexilo::test {

// Rows of a picture, one UTF-8 character per cell from column 0: '#' Block, '.' Open and
// empty, '*' Star and empty, any other character a Fixed cell holding it. Cells outside the
// picture stay blocked.
void drawPicture(PuzzleGrid& grid, const std::vector<std::string>& rows, int top = 0, int left = 0);
PuzzleGrid gridFromPicture(const std::vector<std::string>& rows);

// The cells of a rectangle as a picture: '#' Block, '.' open and empty, '*' Star and empty,
// the letter otherwise.
std::vector<std::string> pictureOf(const PuzzleGrid& grid, int rows, int columns, int top = 0,
                                   int left = 0);

}  // namespace vexilo::test
