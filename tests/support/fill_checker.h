#pragma once

#include <optional>
#include <string>
#include <vector>

#include "puzzle/puzzle_grid.h"

namespace vexilo::test {

// Checks a fill against the rules alone, without any part of an engine: every run of two or
// more open cells across or down reads a word of `words` (small kana folded) of exactly its
// length, no word stands twice, cells of one mark group agree, given letters are kept, and
// the star cells of a run that were empty before hold one letter. `before` is the grid as the
// search starts (letters of the last search cleared, given letters spread over their groups):
// every letter in it is given. `words` are the words of the enabled rows, as in their files.
// Returns the first rule broken, in words, or nothing for a valid fill.
std::optional<std::string> checkFill(const PuzzleGrid& before, const PuzzleGrid& after,
                                     const std::vector<std::string>& words);

}  // namespace vexilo::test
