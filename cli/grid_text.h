#pragma once

#include <string>

#include "puzzle/puzzle_grid.h"

namespace vexilo::cli {

// The used rectangle of the grid, one UTF-8 line per row ended by LF: ■ for a black cell, □ for
// an open cell without a letter, the letter otherwise.
std::string gridText(const PuzzleGrid& grid);

}  // namespace vexilo::cli
