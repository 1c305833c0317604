#pragma once

#include <optional>
#include <string>
#include <vector>

#include "puzzle/puzzle_grid.h"
#include "search/word_slot.h"

namespace vexilo::test {

// Where a run of open cells starts and which way it goes (0 across, 1 down).
struct RunStart {
  int row = 0;
  int column = 0;
  int direction = 0;
  friend bool operator==(const RunStart&, const RunStart&) = default;
};

// The slots of the table in the order the dictionary-order search fills them.
std::vector<RunStart> fillOrderOf(const SlotTable& table);

// Checks a fill against the rules alone, without any part of an engine: every run of two or
// more open cells across or down reads a word of `words` (small kana folded) of exactly its
// length, no word stands twice, cells of one mark group agree, given letters are kept, and
// the star cells that a run owns hold one letter: a star cell empty before belongs to the
// first run through it in `order` (runs missing there come after, across before down).
// `before` is the grid as the search starts (letters of the last search cleared, given
// letters spread over their groups): every letter in it is given. `words` are the words of
// the enabled rows, as in their files. Returns the first rule broken, in words, or nothing
// for a valid fill.
std::optional<std::string> checkFill(const PuzzleGrid& before, const PuzzleGrid& after,
                                     const std::vector<std::string>& words,
                                     const std::vector<RunStart>& order);

}  // namespace vexilo::test
