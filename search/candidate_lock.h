#pragma once

#include <string_view>

#include "puzzle/puzzle_grid.h"
#include "search/word_slot.h"

namespace vexilo {

enum class LockResult {
  Locked,
  NotThisLength,       // not one two-byte letter per cell of the slot
  SlotChanged,         // a cell of the slot has been blocked since the search
  GivenLetterDiffers,  // a cell already holds another given letter
  GroupLetterDiffers,  // a numbered group would hold two different letters
};

// Writes the word into the slot's cells as given letters (Fixed), so that the next search keeps
// it, when it fits: one two-byte letter per cell, each the same as a given letter already in
// its cell and as every given letter of the cell's numbered group. Letters a search chose do
// not count. Nothing changes unless it returns Locked.
LockResult lockWord(PuzzleGrid& grid, const WordSlot& slot, std::string_view word);

}  // namespace vexilo
