#pragma once

#include <string>
#include <vector>

#include "puzzle/puzzle_grid.h"

namespace vexilo::test {

// The block rules checked without the program's code, cell by cell on the 32 by 32 grid: one
// line per violation, "rule row column" from 0, the rules numbered as BlockRule, in rule
// order and then reading order, then one line "marked CELL RULEBITS" per cell that breaks
// a rule. Only the rules whose bit is set in rules are checked.
std::vector<std::string> checkRulesIndependently(const PuzzleGrid& grid, unsigned rules);

}  // namespace vexilo::test
